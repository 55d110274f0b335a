#include "tools/toolkit/Image.h"

#include <algorithm>
#include <cctype>
#include <cstddef>

namespace tools {
namespace {

// 5 x 7 glyphs, one string of 7 rows of 5 dots per character.
struct Glyph {
  char c;
  const char* rows;
};
constexpr Glyph kGlyphs[] = {
    {'A', ".###.#...##...#######...##...##...#"},
    {'B', "####.#...#####.#...##...##...#####."},
    {'C', ".###.#...##....#....#....#...#.###."},
    {'D', "####.#...##...##...##...##...#####."},
    {'E', "######....####.#....#....#....#####"},
    {'F', "######....####.#....#....#....#...."},
    {'G', ".###.#...##....#.####...##...#.####"},
    {'H', "#...##...#######...##...##...##...#"},
    {'I', ".###...#....#....#....#....#...###."},
    {'J', "..###...#....#....#....#.#..#..##.."},
    {'K', "#...##..#.#.#..##...#.#..#..#.#...#"},
    {'L', "#....#....#....#....#....#....#####"},
    {'M', "#...###.###.#.##...##...##...##...#"},
    {'N', "#...###..##.#.##..###...##...##...#"},
    {'O', ".###.#...##...##...##...##...#.###."},
    {'P', "####.#...##...#####.#....#....#...."},
    {'Q', ".###.#...##...##...##.#.##..#..##.#"},
    {'R', "####.#...##...#####.#.#..#..#.#...#"},
    {'S', ".#####....#.....###.....#....#####."},
    {'T', "#####..#....#....#....#....#....#.."},
    {'U', "#...##...##...##...##...##...#.###."},
    {'V', "#...##...##...##...##...#.#.#...#.."},
    {'W', "#...##...##...##.#.##.#.##.#.#.#.#."},
    {'X', "#...##...#.#.#...#...#.#.#...##...#"},
    {'Y', "#...##...#.#.#...#....#....#....#.."},
    {'Z', "#####....#...#...#...#...#....#####"},
    {'0', ".###.#...##..###.#.###..##...#.###."},
    {'1', "..#...##....#....#....#....#...###."},
    {'2', ".###.#...#....#...#...#...#...#####"},
    {'3', "#####...#...#.....#.....##...#.###."},
    {'4', "...#...##..#.#.#..#.#####...#....#."},
    {'5', "######....####.....#....##...#.###."},
    {'6', "..##..#...#....####.#...##...#.###."},
    {'7', "#####....#...#...#...#....#....#..."},
    {'8', ".###.#...##...#.###.#...##...#.###."},
    {'9', ".###.#...##...#.####....#...#..##.."},
    {'-', "...............#####..............."},
    {'.', "..............................##..."},
    {'!', "..#....#....#....#....#.........#.."},
    {':', ".......##....##.........##....##..."},
    {'/', ".....#...#...#...#...#...#........."},
    {'+', "......#....#..#####..#....#........"},
    {'?', ".###.#...#....#...#...#.........#.."},
    {'\'',
     "..#....#...#......................"
     "."},
};

const char* FindGlyph(char c) {
  c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  for (const Glyph& g : kGlyphs)
    if (g.c == c) return g.rows;
  return nullptr;  // space and anything unknown: blank
}

}  // namespace

cIndexedImage::cIndexedImage(int width, int height, uint8_t fill)
    : width_(width), height_(height), pixels_(static_cast<size_t>(width) * height, fill) {}

void cIndexedImage::Set(int x, int y, uint8_t c) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
  pixels_[static_cast<size_t>(y) * width_ + x] = c;
}

void cIndexedImage::Fill(int x, int y, int w, int h, uint8_t c) {
  int x0 = std::max(x, 0), y0 = std::max(y, 0);
  int x1 = std::min(x + w, width_), y1 = std::min(y + h, height_);
  for (int yy = y0; yy < y1; ++yy)
    std::fill_n(pixels_.begin() + static_cast<ptrdiff_t>(yy) * width_ + x0, std::max(0, x1 - x0), c);
}

void cIndexedImage::Frame(int x, int y, int w, int h, uint8_t c) {
  Fill(x, y, w, 1, c);
  Fill(x, y + h - 1, w, 1, c);
  Fill(x, y, 1, h, c);
  Fill(x + w - 1, y, 1, h, c);
}

void cIndexedImage::Disc(int cx, int cy, int r, uint8_t c) {
  for (int dy = -r; dy <= r; ++dy)
    for (int dx = -r; dx <= r; ++dx)
      if (dx * dx + dy * dy <= r * r + r) Set(cx + dx, cy + dy, c);
}

int cIndexedImage::TextWidth(std::string_view text, int scale) { return static_cast<int>(text.size()) * 6 * scale; }

int cIndexedImage::Text(int x, int y, std::string_view text, uint8_t c, int scale) {
  int pen = x;
  for (char ch : text) {
    if (const char* rows = FindGlyph(ch))
      for (int gy = 0; gy < 7; ++gy)
        for (int gx = 0; gx < 5; ++gx)
          if (rows[gy * 5 + gx] == '#') Fill(pen + gx * scale, y + gy * scale, scale, scale, c);
    pen += 6 * scale;
  }
  return pen - x;
}

void cIndexedImage::Blit(const cIndexedImage& src, int sx, int sy, int w, int h, int dx, int dy) {
  for (int yy = 0; yy < h; ++yy)
    for (int xx = 0; xx < w; ++xx) {
      int x = sx + xx, y = sy + yy;
      if (x < 0 || y < 0 || x >= src.width_ || y >= src.height_) continue;
      Set(dx + xx, dy + yy, src.At(x, y));
    }
}

std::vector<unsigned char> cIndexedImage::EncodeBmp(const cPalette& palette) const {
  const uint32_t stride = (static_cast<uint32_t>(width_) + 3u) & ~3u;
  const uint32_t headerBytes = 14 + 40 + 256 * 4;
  const uint32_t imageBytes = stride * static_cast<uint32_t>(height_);
  std::vector<unsigned char> out;
  out.reserve(headerBytes + imageBytes);
  auto u16 = [&out](uint32_t v) {
    out.push_back(static_cast<unsigned char>(v));
    out.push_back(static_cast<unsigned char>(v >> 8));
  };
  auto u32 = [&u16](uint32_t v) {
    u16(v & 0xFFFF);
    u16(v >> 16);
  };
  // File header.
  out.push_back('B');
  out.push_back('M');
  u32(headerBytes + imageBytes);
  u32(0);
  u32(headerBytes);
  // Info header: positive height, so rows are stored bottom-up.
  u32(40);
  u32(static_cast<uint32_t>(width_));
  u32(static_cast<uint32_t>(height_));
  u16(1);
  u16(8);
  u32(0);  // uncompressed
  u32(imageBytes);
  u32(2835);  // 72 dots per inch
  u32(2835);
  u32(256);
  u32(0);
  for (uint32_t rgb : palette) {
    out.push_back(static_cast<unsigned char>(rgb));        // blue
    out.push_back(static_cast<unsigned char>(rgb >> 8));   // green
    out.push_back(static_cast<unsigned char>(rgb >> 16));  // red
    out.push_back(0);
  }
  for (int y = height_ - 1; y >= 0; --y) {
    const uint8_t* row = pixels_.data() + static_cast<size_t>(y) * width_;
    out.insert(out.end(), row, row + width_);
    out.insert(out.end(), stride - static_cast<uint32_t>(width_), 0);
  }
  return out;
}

}  // namespace tools
