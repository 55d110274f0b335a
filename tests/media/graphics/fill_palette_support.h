#pragma once
// Shared by the palette, fade, fill and font tests: the library started in
// one personality and depth for the scope, and bitmap files built by code.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "media/graphics/DDCore.h"
#include "media/graphics/Palette.h"
#include "tests/support/TestSupport.h"

namespace palettetest {

enum Personality { kDD, kD3D };

// DDInit in window mode at 640x480 for the scope; DDEnd after it.
class Library {
 public:
  Library(Personality p, int bpp) {
    std::memset(PalTable, 0, sizeof PalTable);
    std::memset(PalWork, 0, sizeof PalWork);
    dwTransmitPixel = 0;
    DDResetFadeAngles();
    ok_ = DDInit(p == kD3D, nullptr, 640, 480, bpp, 0, 1, 1, 60, 0, nullptr, nullptr, 0, 0);
  }
  ~Library() {
    DDEnd();
    DDResetFadeAngles();
  }
  Library(const Library&) = delete;
  Library& operator=(const Library&) = delete;
  bool ok() const { return ok_; }

 private:
  bool ok_ = false;
};

// The raw pixel of a surface's level 0 (what the personality drew into).
inline uint32_t PixelAt(const DDSURFACEDATA& sd, int x, int y) {
  DDSURFACEDATA* p = const_cast<DDSURFACEDATA*>(&sd);
  DDResolveAlias(&p);
  DDRedirectBackBuffer(&p);
  return p->Pixels()->GetPixel(x, y);
}

inline void Put16(std::vector<unsigned char>& b, uint32_t v) {
  b.push_back(static_cast<unsigned char>(v));
  b.push_back(static_cast<unsigned char>(v >> 8));
}
inline void Put32(std::vector<unsigned char>& b, uint32_t v) {
  Put16(b, v & 0xFFFF);
  Put16(b, v >> 16);
}

// A Windows bitmap: bitCount 8 (indices + colour table of 0x00RRGGBB) or 24
// (pixels 0x00RRGGBB). Rows top first in the arguments.
inline std::vector<unsigned char> MakeBmp(int w, int h, int bitCount, const std::vector<uint32_t>& pixels,
                                          const std::vector<uint32_t>& colourTable = {}) {
  const int rowBytes = ((w * bitCount / 8) + 3) & ~3;
  const int tableBytes = bitCount == 8 ? 256 * 4 : 0;
  const uint32_t offset = 14 + 40 + tableBytes;
  std::vector<unsigned char> b;
  b.push_back('B');
  b.push_back('M');
  Put32(b, offset + uint32_t(rowBytes * h));
  Put32(b, 0);
  Put32(b, offset);
  Put32(b, 40);
  Put32(b, uint32_t(w));
  Put32(b, uint32_t(h));
  Put16(b, 1);
  Put16(b, uint32_t(bitCount));
  Put32(b, 0);
  Put32(b, uint32_t(rowBytes * h));
  Put32(b, 2835);
  Put32(b, 2835);
  Put32(b, bitCount == 8 ? 256 : 0);
  Put32(b, 0);
  for (int i = 0; i < tableBytes / 4; ++i) Put32(b, i < int(colourTable.size()) ? colourTable[i] : 0);
  for (int y = h - 1; y >= 0; --y) {
    size_t start = b.size();
    for (int x = 0; x < w; ++x) {
      uint32_t v = pixels[size_t(y) * w + x];
      if (bitCount == 8) {
        b.push_back(static_cast<unsigned char>(v));
      } else {
        b.push_back(static_cast<unsigned char>(v));
        b.push_back(static_cast<unsigned char>(v >> 8));
        b.push_back(static_cast<unsigned char>(v >> 16));
      }
    }
    while (b.size() - start < size_t(rowBytes)) b.push_back(0);
  }
  return b;
}

}  // namespace palettetest
