#pragma once
// Palettised pictures for the generated project: an 8-bit canvas with a few
// drawing helpers, and its file form (Windows bitmap, 8 bits per pixel,
// uncompressed, 256-entry colour table, rows bottom-up).
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tools {

using cPalette = std::array<uint32_t, 256>;  // 0x00RRGGBB

class cIndexedImage {
 public:
  cIndexedImage(int width, int height, uint8_t fill = 0);

  int Width() const { return width_; }
  int Height() const { return height_; }
  uint8_t At(int x, int y) const { return pixels_[static_cast<size_t>(y) * width_ + x]; }
  // Drawing is clipped to the picture.
  void Set(int x, int y, uint8_t c);
  void Fill(int x, int y, int w, int h, uint8_t c);
  void Frame(int x, int y, int w, int h, uint8_t c);
  void Disc(int cx, int cy, int r, uint8_t c);
  // A 5 x 7 block font (A-Z, 0-9 and a little punctuation), each dot
  // drawn scale x scale. Returns the width drawn.
  int Text(int x, int y, std::string_view text, uint8_t c, int scale = 1);
  static int TextWidth(std::string_view text, int scale = 1);
  // Copies a rectangle of another picture (colour 0 included).
  void Blit(const cIndexedImage& src, int sx, int sy, int w, int h, int dx, int dy);

  std::vector<unsigned char> EncodeBmp(const cPalette& palette) const;

 private:
  int width_, height_;
  std::vector<uint8_t> pixels_;
};

}  // namespace tools
