// ctest-label: effects
#include <gtest/gtest.h>

#include <vector>

#include "media/graphics/EffectPixels.h"

// The file's own namespace keeps its helpers apart from other test files compiled with it.
namespace effect_pixels_test {

namespace {

// A small block of pixels and its view.
struct Pixels {
  std::vector<uint8_t> bytes;
  PixelView view;
  Pixels(int w, int h, int bpp, uint32_t fill = 0) {
    view.bytesPerPixel = bpp / 8;
    view.width = w;
    view.height = h;
    view.pitch = w + 3;  // rows longer than the picture, as locked surfaces may be
    bytes.assign(static_cast<size_t>(view.pitch) * h * view.bytesPerPixel + 16, 0xEE);
    view.bits = bytes.data();
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) view.Set(x, y, fill);
  }
  uint32_t operator()(int x, int y) const { return view.Get(x, y); }
  void Set(int x, int y, uint32_t v) { view.Set(x, y, v); }
  std::vector<uint32_t> All() const {
    std::vector<uint32_t> out;
    for (int y = 0; y < view.height; ++y)
      for (int x = 0; x < view.width; ++x) out.push_back(view.Get(x, y));
    return out;
  }
};

const EffectLayout kArgb{16, 8, 0, 24, 255, 255, 255, 255};
const EffectLayout kXrgb{16, 8, 0, 0, 255, 255, 255, 0};
const EffectLayout kA1R5{10, 5, 0, 15, 31, 31, 31, 1};
const EffectLayout kR5G6B5{11, 5, 0, 16, 31, 63, 31, 0};

PixelRules D3D32() { return {true, 32, kArgb, {}, 0, false}; }
PixelRules D3D16(bool back = false) { return {true, 16, kA1R5, kR5G6B5, 0, back}; }
PixelRules DD32(uint32_t key = 0x00FF00FF) { return {false, 32, kXrgb, {}, key, false}; }
PixelRules DD16(uint32_t key = 0xF81F) { return {false, 16, kR5G6B5, {}, key, false}; }
PixelRules DD8(uint32_t key = 0) { return {false, 8, {}, {}, key, false}; }

uint32_t Grey(int v) { return 0xFF000000u | uint32_t(v) << 16 | uint32_t(v) << 8 | uint32_t(v); }

TEST(BlurPixels, ThreeByThreeGolden) {
  Pixels src(3, 3, 32), dst(3, 3, 32, 0x12000000);
  const int values[9] = {10, 20, 30, 40, 50, 60, 70, 80, 90};
  for (int i = 0; i < 9; ++i) src.Set(i % 3, i / 3, Grey(values[i]));
  BlurPixels(dst.view, 0, 0, 3, 3, 1, 1, src.view, 0, 0, 0, DD32());
  // Each pixel averages itself with its left, upper and upper-left neighbours inside the rectangle;
  // DirectDraw keeps the destination's fourth byte.
  const int want[9] = {10, 15, 25, 25, 30, 40, 55, 60, 70};
  for (int i = 0; i < 9; ++i) EXPECT_EQ(dst(i % 3, i / 3), 0x12000000u | (Grey(want[i]) & 0xFFFFFF)) << i;

  // Direct3D writes opaque pixels.
  Pixels d3d(3, 3, 32);
  BlurPixels(d3d.view, 0, 0, 3, 3, 1, 1, src.view, 0, 0, 0, D3D32());
  EXPECT_EQ(d3d(1, 1), Grey(30));
}

TEST(BlurPixels, TransparentPixelsNeitherDrawnNorMixed) {
  Pixels src(3, 1, 32), dst(3, 1, 32, 0x11111111);
  src.Set(0, 0, Grey(100));
  src.Set(1, 0, 0x00FF00FF);  // the key
  src.Set(2, 0, Grey(200));
  BlurPixels(dst.view, 0, 0, 3, 1, 1, 1, src.view, 0, 0, 1, DD32());
  EXPECT_EQ(dst(0, 0) & 0xFFFFFF, Grey(100) & 0xFFFFFF);
  EXPECT_EQ(dst(1, 0), 0x11111111u);                       // transparent centre untouched
  EXPECT_EQ(dst(2, 0) & 0xFFFFFF, Grey(200) & 0xFFFFFF);  // the keyed neighbour is left out
  // Flag values other than 1 do not key.
  Pixels dst2(3, 1, 32);
  BlurPixels(dst2.view, 0, 0, 3, 1, 1, 1, src.view, 0, 0, 2, DD32());
  EXPECT_NE(dst2(1, 0), 0u);
}

TEST(BlurPixels, NeverReadsOutsideTheSource) {
  // A rectangle that runs past the source (the caller's fault) is clipped to it.
  Pixels src(2, 2, 32, Grey(40)), dst(8, 8, 32);
  BlurPixels(dst.view, 0, 0, 8, 8, 3, 3, src.view, -1, -1, 0, D3D32());
  EXPECT_EQ(dst(0, 0), 0u);  // its centre lies outside the source
  EXPECT_EQ(dst(1, 1), Grey(40));
  EXPECT_EQ(dst(2, 2), Grey(40));
  EXPECT_EQ(dst(3, 3), 0u);
  // A zero radius draws nothing.
  Pixels none(2, 2, 32);
  BlurPixels(none.view, 0, 0, 2, 2, 0, 1, src.view, 0, 0, 0, D3D32());
  EXPECT_EQ(none(0, 0), 0u);
}

TEST(MosaicPixels, CellColourPerMode) {
  // A 3 x 2 source: one cell of 4 (larger than the rectangle) covers all of it.
  struct Case {
    const char* name;
    PixelRules rules;
    std::vector<uint32_t> src;
    uint32_t want;
  };
  const Case cases[] = {
      // Corner pixel, alpha forced to 255.
      {"d3d32", D3D32(), {0x00102030, 0x80FFFFFF, 0x80FFFFFF, 0x80FFFFFF, 0x80FFFFFF, 0x80FFFFFF}, 0},
      {"d3d32 opaque", D3D32(), {0x80102030, 0, 0, 0, 0, 0}, 0xFF102030},
      // Corner pixel converted into the full-screen back buffer.
      {"d3d16 back", D3D16(true), {0x8000u | 31u << 10 | 2u << 5 | 3u, 0, 0, 0, 0, 0}, 31u << 11 | 4u << 5 | 3u},
      {"dd8", DD8(9), {5, 1, 1, 1, 1, 1}, 5},
      // Mean of channels scaled to 0..255 and back: red fields 31, 0, 0, 0 (keyed pixels left out).
      {"dd16", DD16(), {31u << 11, 0, 0, 0xF81F, 0xF81F, 0}, 7u << 11},
      // Mean of bytes, key pixels left out.
      {"dd32", DD32(), {0x00300000, 0x00100000, 0x00FF00FF, 0x00FF00FF, 0x00FF00FF, 0x00FF00FF}, 0x00200000},
  };
  for (const Case& c : cases) {
    const int bpp = c.rules.nBpp;
    Pixels src(3, 2, bpp), dst(3, 2, bpp);
    for (int i = 0; i < 6; ++i) src.Set(i % 3, i / 3, c.src[i]);
    MosaicPixels(dst.view, 0, 0, 3, 2, 4, src.view, 0, 0, 1, c.rules);
    for (uint32_t v : dst.All()) EXPECT_EQ(v, c.want) << c.name;
  }
}

TEST(MosaicPixels, CellsCutAtTheEdgeAndZeroSize) {
  Pixels src(5, 1, 8), dst(5, 1, 8, 99);
  for (int x = 0; x < 5; ++x) src.Set(x, 0, uint32_t(10 + x));
  MosaicPixels(dst.view, 0, 0, 5, 1, 2, src.view, 0, 0, 0, DD8());
  EXPECT_EQ(dst.All(), (std::vector<uint32_t>{10, 10, 12, 12, 14}));
  // A cell size of 0 or less draws nothing (and never loops).
  Pixels same(5, 1, 8, 99);
  for (int n : {0, -3}) {
    MosaicPixels(same.view, 0, 0, 5, 1, n, src.view, 0, 0, 0, DD8());
    EXPECT_EQ(same.All(), (std::vector<uint32_t>(5, 99)));
  }
}

TEST(LensPixels, ZeroDistanceStretchesTheCentre) {
  const int R = 5;
  Pixels src(21, 21, 32), dst(21, 21, 32, 0xAB000000);
  for (int y = 0; y < 21; ++y)
    for (int x = 0; x < 21; ++x) src.Set(x, y, 0xFF000000u | uint32_t(y) << 8 | uint32_t(x));
  LensSetup setup = LensPrepare(R, 0);
  ASSERT_TRUE(setup.ok);
  LensPixels(dst.view, 10, 10, R, 0, setup.S, src.view, 10, 10, 0, 0, D3D32());
  for (int dy = -R - 1; dy <= R + 1; ++dy)
    for (int dx = -R - 1; dx <= R + 1; ++dx) {
      const int r2 = dx * dx + dy * dy;
      uint32_t want = 0xAB000000;  // outside the disc: untouched
      if (r2 == R * R)
        want = src(10 + dx, 10 + dy);  // rim: z = 0, offset (dx, dy)
      else if (r2 < R * R)
        want = src(10, 10);
      EXPECT_EQ(dst(10 + dx, 10 + dy), want) << dx << "," << dy;
    }
}

TEST(LensPixels, KeyAndClearRules) {
  LensSetup setup = LensPrepare(2, 0);
  // DirectDraw leaves out the key colour whatever the flag says.
  Pixels src(5, 5, 32, 0x00FF00FF), dst(5, 5, 32, 7);
  LensPixels(dst.view, 2, 2, 2, 0, setup.S, src.view, 2, 2, 0, 0, DD32());
  EXPECT_EQ(dst(2, 2), 7u);
  // Direct3D 32 with the clear flag: transparent samples and everything outside the disc become 0.
  Pixels clr(5, 5, 32, 0x55555555), tsrc(5, 5, 32, 0x00123456);
  LensPixels(clr.view, 2, 2, 2, 0, setup.S, tsrc.view, 2, 2, 0, 1, D3D32());
  EXPECT_EQ(clr(2, 2), 0u);
  EXPECT_EQ(clr(0, 0), 0u);
  // A lens partly off the destination only touches what lies on it.
  Pixels edge(3, 3, 32);
  Pixels full(9, 9, 32, Grey(9));
  LensPixels(edge.view, 0, 0, 4, 0, LensPrepare(4, 0).S, full.view, 4, 4, 0, 0, D3D32());
  EXPECT_EQ(edge(2, 2), Grey(9));
}

TEST(RotatePixels, GoldenPictures) {
  Pixels src(4, 3, 8);
  for (int v = 0; v < 3; ++v)
    for (int u = 0; u < 4; ++u) src.Set(u, v, uint32_t(10 * v + u + 1));
  struct Case {
    int angle;
    std::vector<uint32_t> want;  // rows 2..6, columns 1..6 of an 8 x 8 destination, centre (4, 4)
  };
  const Case cases[] = {
      {0, {0, 0, 0, 0, 0, 0,  //
           0, 1, 2, 3, 4, 0,  //
           0, 11, 12, 13, 14, 0, 0, 21, 22, 23, 24, 0, 0, 0, 0, 0, 0, 0}},
      // 90 degrees: the top row becomes the right column.
      {90, {0, 0, 21, 11, 1, 0,  //
            0, 0, 22, 12, 2, 0,  //
            0, 0, 23, 13, 3, 0,  //
            0, 0, 24, 14, 4, 0,  //
            0, 0, 0, 0, 0, 0}},
      // 45 degrees, nearest pixel in 10-bit fixed point.
      {45, {0, 0, 0, 0, 0, 0,  //
            0, 0, 11, 2, 0, 0,  //
            0, 21, 12, 13, 3, 0,  //
            0, 0, 23, 13, 14, 0,  //
            0, 0, 0, 24, 0, 0}},
  };
  for (const Case& c : cases) {
    Pixels dst(8, 8, 8);
    RotatePixels(dst.view, 4, 4, 4, 3, 2, 1, c.angle, src.view, 0, 0, 0, DD8(255));
    std::vector<uint32_t> got;
    for (int y = 2; y <= 6; ++y)
      for (int x = 1; x <= 6; ++x) got.push_back(dst(x, y));
    EXPECT_EQ(got, c.want) << c.angle;
    // Nothing outside the rotated box is touched.
    for (int x = 0; x < 8; ++x) EXPECT_EQ(dst(x, 0), 0u) << c.angle;
  }
}

TEST(RotatePixels, KeyedCopyAndClipping) {
  Pixels src(4, 3, 32, 0x00FF00FF), dst(6, 6, 32, 3);
  src.Set(0, 0, Grey(1));
  RotatePixels(dst.view, 2, 1, 4, 3, 2, 1, 0, src.view, 0, 0, 1, DD32());
  EXPECT_EQ(dst(0, 0), Grey(1));
  EXPECT_EQ(dst(1, 0), 3u);  // keyed
  // Off the destination and past the source corner: nothing written, nothing read out of bounds.
  Pixels small(2, 2, 32, 3);
  RotatePixels(small.view, -1, -1, 4, 3, 2, 1, 30, src.view, -2, -2, 0, DD32());
  // What is written comes from the source; the rest keeps its value.
  std::vector<uint32_t> after;
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 2; ++x) {
      const uint32_t p = small(x, y);
      EXPECT_TRUE(p == 3u || p == 0x00FF00FFu || p == Grey(1)) << x << "," << y << ": " << p;
      after.push_back(p);
    }
  RotatePixels(small.view, 100, 100, 4, 3, 2, 1, 30, src.view, 3, 2, 0, DD32());
  std::vector<uint32_t> again;
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 2; ++x) again.push_back(small(x, y));
  EXPECT_EQ(again, after);  // a box wholly off the destination writes nothing
}

TEST(ColorScalePixels, ModeByCountOnOnePixel) {
  std::vector<uint8_t> table(kBlendTableSize);
  for (int a = 0; a < 256; ++a)
    for (int b = 0; b < 256; ++b) table[size_t(a) * 256 + size_t(b)] = uint8_t((a + b) / 2);
  struct Case {
    const char* name;
    PixelRules rules;
    uint32_t pixel;
    int palR, palG, palB;  // target palette entry
    int n;
    uint32_t want;
  };
  const uint32_t a1 = 0x8000;
  const Case cases[] = {
      // 8 bits: n look-ups of [p * 256 + target] (target index 100).
      {"dd8 n1", DD8(255), 200, 0, 0, 0, 1, 150},
      {"dd8 n2", DD8(255), 200, 0, 0, 0, 2, 125},
      {"dd8 n5", DD8(255), 200, 0, 0, 0, 5, 103},
      {"dd8 n-1", DD8(255), 200, 0, 0, 0, -1, 200},
      // DirectDraw 16: palette entries hold fields; channels through 0..255 and back.
      {"dd16 n1", DD16(0), 31u << 11, 0, 63, 0, 1, 15u << 11 | 31u << 5},
      {"dd16 n5", DD16(0), 31u << 11, 0, 63, 0, 5, 0u << 11 | 61u << 5},
      {"dd16 n-1", DD16(0), 1u << 11 | 1, 0, 63, 0, -1, 1u << 11 | 1},
      // DirectDraw 32: halving on bytes, fourth byte of the destination kept.
      {"dd32 n1", DD32(1), 0x00C86400, 0, 0, 255, 1, 0x5A64327F},
      {"dd32 n2", DD32(1), 0x00C86400, 0, 0, 255, 2, 0x5A3219BF},
      {"dd32 n5", DD32(1), 0x00C86400, 0, 0, 255, 5, 0x5A0603F7},
      // Direct3D 32: weights 128, 64, 32, 16, 0.
      {"d3d32 n1", D3D32(), 0xFFC86400, 0, 0, 255, 1, 0xFF64327F},
      {"d3d32 n2", D3D32(), 0xFFC86400, 0, 0, 255, 2, 0xFF3219BF},
      {"d3d32 n5", D3D32(), 0xFFC86400, 0, 0, 255, 5, 0xFF0000FF},
      // Direct3D 16: A1R5G5B5 with the alpha bit; the full-screen back buffer doubles green.
      {"d3d16 n1", D3D16(), a1 | 31u << 10, 0, 255, 0, 1, a1 | 15u << 10 | 15u << 5},
      {"d3d16 n5", D3D16(), a1 | 31u << 10, 0, 255, 0, 5, a1 | 31u << 5},
      {"d3d16 back n1", D3D16(true), a1 | 31u << 10, 0, 255, 0, 1, 15u << 11 | 31u << 5},
      {"d3d16 back n5", D3D16(true), a1 | 31u << 10, 0, 255, 0, 5, 62u << 5},
  };
  for (const Case& c : cases) {
    const int bpp = c.rules.nBpp;
    Pixels src(1, 1, bpp, c.pixel), dst(1, 1, bpp, bpp == 32 ? 0x5A000000u : 0u);
    ColorScalePixels(dst.view, 0, 0, 1, 1, src.view, 0, 0, 1, c.palR, c.palG, c.palB, table.data(), 100 + 256, c.n,
                     c.rules);
    EXPECT_EQ(dst(0, 0), c.want) << c.name;
  }
}

TEST(ColorScalePixels, TransparentSkippedAndBothSurfacesClip) {
  Pixels src(2, 1, 32), dst(2, 1, 32, 0x77777777);
  src.Set(0, 0, 0x00FFFFFF);  // alpha 0: transparent under Direct3D
  src.Set(1, 0, 0xFFFFFFFF);
  ColorScalePixels(dst.view, 0, 0, 5, 5, src.view, 0, 0, 1, 0, 0, 0, nullptr, 0, 1, D3D32());
  EXPECT_EQ(dst(0, 0), 0x77777777u);
  EXPECT_EQ(dst(1, 0), 0xFF7F7F7Fu);
}

TEST(BlendPixels, HalfAndHalfPerMode) {
  std::vector<uint8_t> table(kBlendTableSize, 0);
  table[size_t(9) * 256 + 4] = 77;  // [destination 9, source 4]
  struct Case {
    const char* name;
    PixelRules rules;
    uint32_t s, d;
    int flag;
    uint32_t want;
  };
  const uint32_t a1 = 0x8000;
  const Case cases[] = {
      {"d3d32", D3D32(), 0x80FF0000, 0x000000FF, 0, 0xFF7F007F},
      {"d3d32 keyed", D3D32(), 0x00FF0000, 0x000000FF, 1, 0x000000FF},
      {"d3d16", D3D16(), a1 | 31u << 10, 1u, 0, a1 | 15u << 10},
      {"d3d16 keyed", D3D16(), 0x1FFF, 5u, 1, 5u},
      // Back buffer read as R5G6B5; the source's 5-bit green counts twice.
      {"d3d16 back", D3D16(true), a1 | 31u << 10 | 31u << 5, 1u << 11 | 1u << 5, 0, 16u << 11 | 31u << 5},
      {"dd8 table", DD8(9), 4, 9, 0, 77},
      {"dd8 empty destination", DD8(9), 4, 0, 0, 4},
      {"dd8 index 0 keyed", DD8(9), 0, 9, 1, 9},
      {"dd16", DD16(), 31u << 11, 0, 0, 15u << 11},
      // A destination holding the key takes the source unmixed.
      {"dd16 key destination", DD16(), 31u << 11, 0xF81F, 0, 31u << 11},
      {"dd16 keyed source", DD16(), 0xF81F, 0, 1, 0},
      {"dd32", DD32(), 0x00FF0000, 0x440000FF, 0, 0x447F007F},
      {"dd32 key destination", DD32(), 0x33123456, 0x00FF00FF, 0, 0x00123456},
  };
  for (const Case& c : cases) {
    const int bpp = c.rules.nBpp;
    Pixels src(1, 1, bpp, c.s), dst(1, 1, bpp, c.d);
    BlendPixels(dst.view, 0, 0, 1, 1, src.view, 0, 0, c.flag, table.data(), c.rules);
    EXPECT_EQ(dst(0, 0), c.want) << c.name;
  }
}

}  // namespace

}  // namespace effect_pixels_test
