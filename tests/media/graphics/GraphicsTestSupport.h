#pragma once
// Shared by the graphics tests: bitmap files built by code, a project folder
// to load them from, and a scoped library set-up.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "media/graphics/DDCore.h"
#include "platform/FileSystem.h"
#include "tests/support/TestSupport.h"

namespace gfxtest {

inline void Put16(std::vector<uint8_t>& b, uint32_t v) {
  b.push_back(uint8_t(v));
  b.push_back(uint8_t(v >> 8));
}
inline void Put32(std::vector<uint8_t>& b, uint32_t v) {
  for (int i = 0; i < 4; ++i) b.push_back(uint8_t(v >> (8 * i)));
}

struct BmpOptions {
  bool topDown = false;
  uint32_t compression = 0;  // 0, 1 RLE8, 2 RLE4, 3 bit fields
  int colours = 0;           // colour-table entries written (0: 2^bpp for palettised files)
  uint32_t masks[3] = {0, 0, 0};
  std::vector<uint8_t> rle;  // the pixel data of an RLE file, as written
};

// A bitmap file. `pixels` holds one value per pixel, top row first: palette
// numbers (1, 4, 8 bits), raw 16-bit words, 0x00RRGGBB (24 bits) or raw 32-bit words.
inline std::vector<uint8_t> MakeBmp(int w, int h, int bpp, const std::vector<uint32_t>& pixels,
                                    const std::vector<uint32_t>& palette = {}, const BmpOptions& o = {}) {
  int colours = bpp <= 8 ? (o.colours ? o.colours : (1 << bpp)) : 0;
  size_t stride = ((size_t(w) * bpp + 31) / 32) * 4;
  std::vector<uint8_t> data;
  if (o.compression == 1 || o.compression == 2) {
    data = o.rle;
  } else if (pixels.size() >= size_t(w) * h) {
    data.assign(stride * h, 0);
    for (int y = 0; y < h; ++y) {
      uint8_t* row = data.data() + stride * (o.topDown ? y : h - 1 - y);
      for (int x = 0; x < w; ++x) {
        uint32_t v = pixels[size_t(y) * w + x];
        switch (bpp) {
          case 1: row[x / 8] |= uint8_t((v & 1) << (7 - x % 8)); break;
          case 4: row[x / 2] |= uint8_t((x & 1) ? (v & 15) : (v & 15) << 4); break;
          case 8: row[x] = uint8_t(v); break;
          case 16: row[x * 2] = uint8_t(v); row[x * 2 + 1] = uint8_t(v >> 8); break;
          case 24: row[x * 3] = uint8_t(v); row[x * 3 + 1] = uint8_t(v >> 8); row[x * 3 + 2] = uint8_t(v >> 16); break;
          case 32: for (int k = 0; k < 4; ++k) row[x * 4 + k] = uint8_t(v >> (8 * k)); break;
        }
      }
    }
  }
  size_t extra = o.compression == 3 ? 12 : 0;
  size_t off = 14 + 40 + extra + size_t(colours) * 4;
  std::vector<uint8_t> b;
  b.push_back('B');
  b.push_back('M');
  Put32(b, uint32_t(off + data.size()));
  Put32(b, 0);
  Put32(b, uint32_t(off));
  Put32(b, 40);
  Put32(b, uint32_t(w));
  Put32(b, uint32_t(o.topDown ? -h : h));
  Put16(b, 1);
  Put16(b, uint32_t(bpp));
  Put32(b, o.compression);
  Put32(b, uint32_t(data.size()));
  Put32(b, 2835);
  Put32(b, 2835);
  Put32(b, uint32_t(bpp <= 8 ? colours : 0));
  Put32(b, 0);
  if (extra)
    for (uint32_t m : o.masks) Put32(b, m);
  for (int i = 0; i < colours; ++i) Put32(b, i < int(palette.size()) ? palette[size_t(i)] : 0);
  b.insert(b.end(), data.begin(), data.end());
  return b;
}

// A project folder for the scope: files are written under it and loaded by
// their internal (backslash) paths.
class Project {
 public:
  // Writes bmp\<name> and returns its internal path.
  std::string Bitmap(const std::string& name, const std::vector<uint8_t>& bytes) {
    testsupport::WriteFileBytes(dir_.path() / "bmp" / name, bytes);
    return "bmp\\" + name;
  }

 private:
  testsupport::ProjectFolder dir_;
};

// DDInit for the scope; DDEnd at its end.
class Library {
 public:
  Library(int d3d, int bpp, int windowed, DDSURFACEDATA* table = nullptr, DDBITMAPDATA* bitmaps = nullptr,
          int count = 0) {
    ok_ = DDInit(d3d, nullptr, 640, 480, bpp, 0, windowed, 1, 60, 0, table, bitmaps, count, 0);
  }
  ~Library() { DDEnd(); }
  bool ok() const { return ok_; }

 private:
  bool ok_;
};

inline uint32_t Pixel(const DDSURFACEDATA& sd, int x, int y) { return sd.Pixels()->GetPixel(x, y); }

// A picture whose every pixel differs: red = x, green = y, blue = 7.
inline std::vector<uint32_t> Gradient(int w, int h) {
  std::vector<uint32_t> p(size_t(w) * h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) p[size_t(y) * w + x] = uint32_t(x) << 16 | uint32_t(y) << 8 | 7u;
  return p;
}

}  // namespace gfxtest
