#include "media/graphics/Bmp.h"

#include <bit>
#include <cstring>

#include "base/Log.h"
#include "base/Thread.h"
#include "media/graphics/DDDevice.h"
#include "platform/FileSystem.h"

namespace {

uint16_t U16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
uint32_t U32(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24; }

struct Channel {
  uint32_t mask = 0;
  int shift = 0;
  uint32_t max = 0;
  bool Set(uint32_t m) {
    mask = m;
    if (m == 0) return true;
    shift = std::countr_zero(m);
    max = m >> shift;
    return (max & (max + 1)) == 0;  // one run of set bits
  }
  uint32_t Read(uint32_t px) const {
    if (!mask) return 0;
    uint32_t field = (px & mask) >> shift;
    if (max <= 255) return ExpandChannel(field, max);
    return static_cast<uint32_t>((uint64_t(field) * 255 + max / 2) / max);
  }
};

bool Fail(std::string* error, const char* why) {
  if (error) *error = why;
  return false;
}

// RLE8 / RLE4 into top-down indices. False when the data ends early or breaks the format.
bool DecodeRle(const uint8_t* p, size_t n, bool four, cBitmapImage& out, std::string* error) {
  const int w = out.nWidth, h = out.nHeight;
  int x = 0, row = 0;  // row counts from the bottom
  size_t i = 0;
  auto put = [&](int value) {
    if (x < w && row < h) out.Indices[static_cast<size_t>(h - 1 - row) * w + x] = static_cast<uint8_t>(value);
    ++x;
  };
  while (true) {
    if (i + 2 > n) return Fail(error, "RLE data ends early");
    uint8_t count = p[i], value = p[i + 1];
    i += 2;
    if (count > 0) {
      for (int k = 0; k < count; ++k) put(four ? ((k & 1) ? value & 15 : value >> 4) : value);
      continue;
    }
    switch (value) {
      case 0:  // end of line
        x = 0;
        ++row;
        break;
      case 1:  // end of bitmap
        return true;
      case 2: {  // delta
        if (i + 2 > n) return Fail(error, "RLE data ends early");
        x += p[i];
        row += p[i + 1];
        i += 2;
        break;
      }
      default: {  // absolute run of `value` pixels, padded to a word
        size_t bytes = four ? (value + 1u) / 2 : value;
        size_t padded = (bytes + 1) & ~size_t(1);
        if (i + padded > n) return Fail(error, "RLE data ends early");
        for (int k = 0; k < value; ++k) put(four ? ((k & 1) ? p[i + k / 2] & 15 : p[i + k / 2] >> 4) : p[i + k]);
        i += padded;
        break;
      }
    }
    if (row >= h) return true;  // past the top: nothing more can land
  }
}

// What the file and info headers say.
struct BmpHeader {
  uint32_t offBits = 0;
  uint32_t hsize = 0;  // size of the info header: 12 (core) up to 124
  int64_t width = 0;
  int64_t height = 0;  // made positive; topDown keeps the sign
  int bitCount = 0;
  uint32_t compression = 0;
  uint32_t clrUsed = 0;
  bool topDown = false;
  bool rle = false;
};

struct BitFields {
  Channel r, g, b;
  uint32_t Read(uint32_t px) const { return r.Read(px) << 16 | g.Read(px) << 8 | b.Read(px); }
};

// Whether the bit count and compression go together; sets `rle`.
bool CheckCompression(BmpHeader& hd, std::string* error) {
  switch (hd.bitCount) {
    case 1: if (hd.compression != 0) return Fail(error, "bad compression"); break;
    case 4:
    case 8:
      if (hd.compression == (hd.bitCount == 8 ? 1u : 2u)) hd.rle = true;
      else if (hd.compression != 0) return Fail(error, "bad compression");
      break;
    case 16:
    case 32: if (hd.compression != 0 && hd.compression != 3) return Fail(error, "bad compression"); break;
    case 24: if (hd.compression != 0) return Fail(error, "bad compression"); break;
    default: return Fail(error, "bad bit count");
  }
  if (hd.rle && hd.topDown) return Fail(error, "top-down RLE");
  return true;
}

bool ReadHeader(const uint8_t* d, size_t size, BmpHeader& hd, std::string* error) {
  if (!d || size < 14 + 12) return Fail(error, "file too short");
  if (d[0] != 'B' || d[1] != 'M') return Fail(error, "not a bitmap");
  hd.offBits = U32(d + 10);
  hd.hsize = U32(d + 14);
  if (hd.hsize != 12 && hd.hsize != 40 && hd.hsize != 52 && hd.hsize != 56 && hd.hsize != 108 && hd.hsize != 124)
    return Fail(error, "unknown header");
  if (14 + uint64_t(hd.hsize) > size) return Fail(error, "header past the end");
  const uint8_t* h = d + 14;
  if (hd.hsize == 12) {
    hd.width = U16(h + 4);
    hd.height = static_cast<int16_t>(U16(h + 6));
    hd.bitCount = U16(h + 10);
  } else {
    hd.width = static_cast<int32_t>(U32(h + 4));
    hd.height = static_cast<int32_t>(U32(h + 8));
    hd.bitCount = U16(h + 14);
    hd.compression = U32(h + 16);
    hd.clrUsed = U32(h + 32);
  }
  hd.topDown = hd.height < 0;
  if (hd.topDown) hd.height = -hd.height;
  if (hd.width <= 0 || hd.height <= 0) return Fail(error, "empty or negative size");
  if (hd.width > kBmpMaxSide || hd.height > kBmpMaxSide || hd.width * hd.height > kBmpMaxPixels)
    return Fail(error, "too large");
  return CheckCompression(hd, error);
}

// The channel masks of 16- and 32-bit pixels: stored ones (after a 40-byte
// header, or inside a longer one) or the defaults. Moves `tablePos` past
// stored masks.
bool ReadBitFields(const uint8_t* d, size_t size, const BmpHeader& hd, size_t& tablePos, BitFields& fields,
                   std::string* error) {
  uint32_t rm, gm, bm;
  if (hd.compression == 3) {
    const uint8_t* m;
    if (hd.hsize == 40) {
      if (tablePos + 12 > size) return Fail(error, "bit fields past the end");
      m = d + tablePos;
      tablePos += 12;
    } else {
      m = d + 14 + 40;
    }
    rm = U32(m);
    gm = U32(m + 4);
    bm = U32(m + 8);
  } else if (hd.bitCount == 16) {
    rm = 0x7C00, gm = 0x03E0, bm = 0x001F;
  } else {
    rm = 0xFF0000, gm = 0xFF00, bm = 0xFF;
  }
  if (hd.bitCount == 16 && ((rm | gm | bm) >> 16)) return Fail(error, "bad bit fields");
  if (!fields.r.Set(rm) || !fields.g.Set(gm) || !fields.b.Set(bm)) return Fail(error, "bad bit fields");
  return true;
}

// Palette entries of 1-, 4- and 8-bit images: three bytes each after a core
// header, four otherwise.
bool ReadColourTable(const uint8_t* d, size_t size, const BmpHeader& hd, size_t tablePos, cBitmapImage& img,
                     std::string* error) {
  uint32_t full = 1u << hd.bitCount;
  uint32_t count = hd.clrUsed == 0 || hd.clrUsed > full ? full : hd.clrUsed;
  size_t entry = hd.hsize == 12 ? 3 : 4;
  if (tablePos + uint64_t(count) * entry > size) return Fail(error, "colour table past the end");
  for (uint32_t i = 0; i < count; ++i) {
    const uint8_t* e = d + tablePos + i * entry;
    img.Palette[i] = uint32_t(e[2]) << 16 | uint32_t(e[1]) << 8 | e[0];
  }
  img.nColors = static_cast<int>(count);
  return true;
}

// One stored row into the image's row `y`: indices for palette images, pixels otherwise.
void DecodeRow(const uint8_t* row, int y, const BitFields& fields, cBitmapImage& img) {
  const int w = img.nWidth;
  const size_t base = static_cast<size_t>(y) * w;
  switch (img.nBitCount) {
    case 1:
      for (int x = 0; x < w; ++x) img.Indices[base + x] = (row[x >> 3] >> (7 - (x & 7))) & 1;
      break;
    case 4:
      for (int x = 0; x < w; ++x) img.Indices[base + x] = (x & 1) ? row[x >> 1] & 15 : row[x >> 1] >> 4;
      break;
    case 8: std::memcpy(&img.Indices[base], row, static_cast<size_t>(w)); break;
    case 16:
      for (int x = 0; x < w; ++x) img.Pixels[base + x] = fields.Read(U16(row + x * 2));
      break;
    case 24:
      for (int x = 0; x < w; ++x) {
        const uint8_t* p = row + x * 3;
        img.Pixels[base + x] = uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0];
      }
      break;
    case 32:
      for (int x = 0; x < w; ++x) img.Pixels[base + x] = fields.Read(U32(row + x * 4));
      break;
  }
}

// Rows padded to four bytes, bottom row first unless the image is top-down.
bool DecodeRows(const uint8_t* bits, size_t avail, bool topDown, const BitFields& fields, cBitmapImage& img,
                std::string* error) {
  const int w = img.nWidth, hh = img.nHeight;
  size_t stride = ((static_cast<size_t>(w) * img.nBitCount + 31) / 32) * 4;
  size_t lastRow = (static_cast<size_t>(w) * img.nBitCount + 7) / 8;
  if (stride * (hh - 1) + lastRow > avail) return Fail(error, "pixel data ends early");
  for (int y = 0; y < hh; ++y) {
    // A large picture takes a while: a thread being stopped gives up here.
    if ((y & 63) == 0 && ThreadStopRequested()) return Fail(error, "loading stopped");
    DecodeRow(bits + stride * (topDown ? y : hh - 1 - y), y, fields, img);
  }
  return true;
}

}  // namespace

bool DecodeBmp(const uint8_t* d, size_t size, cBitmapImage& out, std::string* error) {
  BmpHeader hd;
  if (!ReadHeader(d, size, hd, error)) return false;
  BitFields fields;
  size_t tablePos = 14 + hd.hsize;
  if ((hd.bitCount == 16 || hd.bitCount == 32) && !ReadBitFields(d, size, hd, tablePos, fields, error)) return false;

  cBitmapImage img;
  img.nWidth = static_cast<int>(hd.width);
  img.nHeight = static_cast<int>(hd.height);
  img.nBitCount = hd.bitCount;
  if (hd.bitCount <= 8 && !ReadColourTable(d, size, hd, tablePos, img, error)) return false;
  if (hd.offBits < 14 + hd.hsize || hd.offBits >= size) return Fail(error, "pixel data past the end");
  const uint8_t* bits = d + hd.offBits;
  const size_t avail = size - hd.offBits;
  const size_t pixels = static_cast<size_t>(img.nWidth) * img.nHeight;
  img.Pixels.assign(pixels, 0);
  if (hd.bitCount <= 8) img.Indices.assign(pixels, 0);

  const bool decoded = hd.rle ? DecodeRle(bits, avail, hd.bitCount == 4, img, error)
                              : DecodeRows(bits, avail, hd.topDown, fields, img, error);
  if (!decoded) return false;
  if (hd.bitCount <= 8)
    for (size_t i = 0; i < pixels; ++i) {
      if ((i & 0xFFFF) == 0 && ThreadStopRequested()) return Fail(error, "loading stopped");
      img.Pixels[i] = img.Palette[img.Indices[i]];
    }
  out = std::move(img);
  return true;
}

bool LoadBmpFile(const std::string& path, cBitmapImage& out) {
  if (ThreadStopRequested()) return false;
  std::vector<unsigned char> bytes;
  if (!platform::ReadWholeFile(path, bytes)) return false;
  std::string why;
  if (!DecodeBmp(bytes.data(), bytes.size(), out, &why)) {
    WriteLog("BMP Err %s (%s)", path.c_str(), why.c_str());
    return false;
  }
  return true;
}
