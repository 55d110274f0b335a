// The virtual display: its capabilities, the video-memory budget, the pixel
// formats and the life of a pixel surface.
#include "media/graphics/DDDevice.h"

#include <algorithm>
#include <atomic>
#include <mutex>
#include <set>

namespace {
DDVIRTUALDISPLAY g_display;
std::atomic<int64_t> g_videoBytes{0};
std::atomic<int> g_defaultPool{0};
std::mutex g_registryMutex;
std::set<cPixelSurface*> g_videoSurfaces;

int64_t FloorDiv(int64_t a, int64_t b) {
  int64_t q = a / b;
  if ((a % b != 0) && ((a < 0) != (b < 0))) --q;
  return q;
}

bool CountsVideoMemory(DDPOOL pool) { return pool == DDPOOL_DEFAULT || pool == DDPOOL_MANAGED; }
}  // namespace

void DDSetVirtualDisplay(const DDVIRTUALDISPLAY& display) { g_display = display; }
const DDVIRTUALDISPLAY& DDGetVirtualDisplay() { return g_display; }
int64_t VideoMemoryInUse() { return g_videoBytes.load(); }
bool VideoMemoryFits(int64_t bytes) { return g_videoBytes.load() + bytes <= g_display.nVideoMemoryBytes; }
int DefaultPoolSurfaces() { return g_defaultPool.load(); }

void MarkVideoSurfacesLost() {
  std::lock_guard<std::mutex> lock(g_registryMutex);
  for (cPixelSurface* s : g_videoSurfaces) s->MarkLost();
}

int FormatBytesPerPixel(DDFORMAT format) {
  switch (format) {
    case DDFMT_P8: return 1;
    case DDFMT_R5G6B5:
    case DDFMT_A1R5G5B5: return 2;
    case DDFMT_A8R8G8B8:
    case DDFMT_X8R8G8B8: return 4;
    default: return 0;
  }
}

PIXELLAYOUT LayoutOfFormat(DDFORMAT format) {
  switch (format) {
    case DDFMT_A8R8G8B8:
    case DDFMT_X8R8G8B8: return {16, 8, 0, 24, 255, 255, 255, format == DDFMT_A8R8G8B8 ? 255 : 0};
    case DDFMT_R5G6B5: return {11, 5, 0, 16, 31, 63, 31, 0};
    case DDFMT_A1R5G5B5: return {10, 5, 0, 15, 31, 31, 31, 1};
    default: return {0, 0, 0, 0, 0, 0, 0, 0};
  }
}

uint32_t FormatToArgb(DDFORMAT format, uint32_t raw) {
  switch (format) {
    case DDFMT_A8R8G8B8: return raw;
    case DDFMT_X8R8G8B8: return raw | 0xFF000000u;
    case DDFMT_R5G6B5:
      return 0xFF000000u | ExpandChannel((raw >> 11) & 31, 31) << 16 | ExpandChannel((raw >> 5) & 63, 63) << 8 |
             ExpandChannel(raw & 31, 31);
    case DDFMT_A1R5G5B5:
      return ((raw & 0x8000) ? 0xFF000000u : 0u) | ExpandChannel((raw >> 10) & 31, 31) << 16 |
             ExpandChannel((raw >> 5) & 31, 31) << 8 | ExpandChannel(raw & 31, 31);
    default: return 0;
  }
}

uint32_t ArgbToFormat(DDFORMAT format, uint32_t argb) {
  uint32_t a = argb >> 24, r = (argb >> 16) & 255, g = (argb >> 8) & 255, b = argb & 255;
  switch (format) {
    case DDFMT_A8R8G8B8: return argb;
    case DDFMT_X8R8G8B8: return argb | 0xFF000000u;
    case DDFMT_R5G6B5: return NarrowChannel(r, 31) << 11 | NarrowChannel(g, 63) << 5 | NarrowChannel(b, 31);
    case DDFMT_A1R5G5B5:
      return (a >= 128 ? 0x8000u : 0u) | NarrowChannel(r, 31) << 10 | NarrowChannel(g, 31) << 5 | NarrowChannel(b, 31);
    default: return 0;
  }
}

int StretchSourceOffset(int i, int sw, int w) {
  if (sw == w) return i;
  if (w == 0) return 0;
  return static_cast<int>(FloorDiv((2 * int64_t(i) + 1) * sw, 2 * int64_t(w)));
}

// ---------------------------------------------------------------- surfaces

cPixelSurface::cPixelSurface(DDFORMAT format, int width, int height, DDPOOL pool)
    : format_(format), width_(std::max(width, 0)), height_(std::max(height, 0)), pool_(pool) {
  bpp_ = FormatBytesPerPixel(format);
  pitch_ = (width_ * bpp_ + 3) & ~3;
  bits_ = cZeroedBytes(static_cast<size_t>(pitch_) * height_);
  if (CountsVideoMemory(pool_)) g_videoBytes += static_cast<int64_t>(bits_.size());
  if (pool_ == DDPOOL_DEFAULT) {
    ++g_defaultPool;
    std::lock_guard<std::mutex> lock(g_registryMutex);
    g_videoSurfaces.insert(this);
  }
}

cPixelSurface::~cPixelSurface() {
  if (CountsVideoMemory(pool_)) g_videoBytes -= static_cast<int64_t>(bits_.size());
  if (pool_ == DDPOOL_DEFAULT) {
    --g_defaultPool;
    std::lock_guard<std::mutex> lock(g_registryMutex);
    g_videoSurfaces.erase(this);
  }
}

void cDDPalette::SetEntries(int first, int count, const DDPALENTRY* from) {
  for (int i = 0; i < count; ++i) {
    int n = first + i;
    if (n >= 0 && n < 256) entries[n] = from[i];
  }
}

