// Presentation: the finished frame as ARGB8888 to the application's sink.
#include <cstring>
#include <mutex>
#include <vector>

#include "media/graphics/DDDevice.h"

namespace {
std::mutex g_sinkMutex;
DDPresentSink g_sink;
std::vector<uint32_t> g_frame;
}  // namespace

void DDSetPresentSink(DDPresentSink sink) {
  std::lock_guard<std::mutex> lock(g_sinkMutex);
  g_sink = std::move(sink);
}

void PresentSurface(const cPixelSurface& surface, const cDDPalette* palette) {
  std::lock_guard<std::mutex> lock(g_sinkMutex);
  if (!g_sink) return;
  int w = surface.Width(), h = surface.Height();
  g_frame.resize(static_cast<size_t>(w) * h);
  uint32_t lut[256];
  if (surface.Format() == DDFMT_P8) {
    for (int i = 0; i < 256; ++i) {
      const DDPALENTRY& e = palette ? palette->entries[i] : DDPALENTRY{uint8_t(i), uint8_t(i), uint8_t(i), 0};
      lut[i] = 0xFF000000u | uint32_t(e.peRed) << 16 | uint32_t(e.peGreen) << 8 | e.peBlue;
    }
  }
  for (int y = 0; y < h; ++y) {
    uint32_t* out = g_frame.data() + static_cast<size_t>(y) * w;
    const uint8_t* row = surface.Row(y);
    switch (surface.Format()) {
      case DDFMT_P8:
        for (int x = 0; x < w; ++x) out[x] = lut[row[x]];
        break;
      case DDFMT_A8R8G8B8:
      case DDFMT_X8R8G8B8:
        for (int x = 0; x < w; ++x) {
          uint32_t v;
          std::memcpy(&v, row + x * 4, 4);
          out[x] = v | 0xFF000000u;
        }
        break;
      default:
        for (int x = 0; x < w; ++x) out[x] = FormatToArgb(surface.Format(), surface.GetPixel(x, y)) | 0xFF000000u;
        break;
    }
  }
  g_sink(g_frame.data(), w, h);
}

