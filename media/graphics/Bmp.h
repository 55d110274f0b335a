#pragma once
// Our reader of Windows bitmap files: 1-, 4- and 8-bit palettised (short
// colour tables too), 16-bit (555 and bit fields), 24- and 32-bit, bottom-up
// and top-down, RLE8 and RLE4. Broken or hostile files are refused.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct cBitmapImage {
  int nWidth = 0, nHeight = 0;
  int nBitCount = 0;  // bits per pixel of the file
  int nColors = 0;    // colour-table entries the file gave (palettised files)
  uint32_t Palette[256] = {};     // 0x00RRGGBB; entries past nColors are black
  std::vector<uint8_t> Indices;   // palettised files: palette numbers, top row first
  std::vector<uint32_t> Pixels;   // every file: 0x00RRGGBB, top row first

  bool IsPalettised() const { return nBitCount <= 8; }
  uint32_t At(int x, int y) const { return Pixels[static_cast<size_t>(y) * nWidth + x]; }
  uint8_t IndexAt(int x, int y) const { return Indices[static_cast<size_t>(y) * nWidth + x]; }
};

// Largest picture we accept (a hostile RLE file could claim any size).
constexpr int kBmpMaxSide = 16384;
constexpr int64_t kBmpMaxPixels = int64_t(1) << 24;

// Decodes a whole file image. On failure *error says why.
bool DecodeBmp(const uint8_t* data, size_t size, cBitmapImage& out, std::string* error);
// Reads and decodes a bitmap by its internal path; a refusal writes
// "BMP Err %s (%s)" (file, reason) to the main log.
bool LoadBmpFile(const std::string& path, cBitmapImage& out);
