// ctest-label: graphics
#include <gtest/gtest.h>

#include <cmath>

#include "tests/media/graphics/fill_palette_support.h"

// The file's own namespace keeps its helpers apart from other test files compiled with it.
namespace palette_test {

namespace {

using namespace palettetest;

bool Same(const DDPALENTRY& a, const DDPALENTRY& b) {
  return a.peRed == b.peRed && a.peGreen == b.peGreen && a.peBlue == b.peBlue && a.peFlags == b.peFlags;
}

void Numbered(DDPALENTRY* pal) {
  for (int i = 0; i < 256; ++i) pal[i] = {uint8_t(i), uint8_t(255 - i), uint8_t(i / 2), 7};
}

// ---------------------------------------------------------------- pure tables

TEST(PaletteBlend, MixesTowardsTheColourAndMarksEntries) {
  Library lib(kDD, 8);
  DDPALENTRY src[256], dst[256];
  Numbered(src);
  Numbered(dst);
  src[40] = {200, 0, 0, 0};
  DDBlendPalette(dst, 40, 41, 128, 0, 0, 100, src);
  EXPECT_TRUE(Same(dst[40], {100, 0, 50, 1}));
  // Weight 256 keeps the source, 0 gives the colour; entries outside stay.
  DDBlendPalette(dst, 50, 50, 256, 9, 9, 9, src);
  EXPECT_TRUE(Same(dst[50], {src[50].peRed, src[50].peGreen, src[50].peBlue, 1}));
  DDBlendPalette(dst, 51, 51, 0, 9, 8, 7, src);
  EXPECT_TRUE(Same(dst[51], {9, 8, 7, 1}));
  EXPECT_TRUE(Same(dst[39], src[39]));
  EXPECT_TRUE(Same(dst[42], src[42]));
  // A reversed or out-of-range span changes nothing.
  DDPALENTRY before[256];
  std::copy(dst, dst + 256, before);
  DDBlendPalette(dst, 10, 5, 0, 0, 0, 0, src);
  DDBlendPalette(dst, -1, 300, 0, 0, 0, 0, src);
  for (int i = 0; i < 256; ++i) EXPECT_TRUE(Same(dst[i], before[i]));
}

TEST(PaletteRotate, RotatesTheSpanFromTheSource) {
  Library lib(kDD, 32);
  DDPALENTRY src[256], dst[256];
  Numbered(src);
  struct Case {
    int n, direction;
    int from16;  // source entry that lands in 16
    int to31;    // source entry that lands in 31
  } cases[] = {
      {1, 0, 31, 30},   // up: 16 -> 17, ..., 31 wraps to 16
      {17, 0, 31, 30},  // n counts modulo the span
      {1, 1, 17, 16},   // down: 17 -> 16, ..., 16 wraps to 31
      {-1, 0, 17, 16},  // a negative n turns the other way
      {3, 2, 16, 31},   // another direction only copies
      {16, 0, 16, 31},
  };
  for (const Case& c : cases) {
    std::fill(dst, dst + 256, DDPALENTRY{1, 2, 3, 4});
    DDRotatePalette(dst, 16, 31, c.n, c.direction, src);
    EXPECT_TRUE(Same(dst[16], src[c.from16])) << c.n << "/" << c.direction;
    EXPECT_TRUE(Same(dst[31], src[c.to31])) << c.n << "/" << c.direction;
    EXPECT_TRUE(Same(dst[15], src[15]));
    EXPECT_TRUE(Same(dst[32], src[32]));
    EXPECT_TRUE(Same(dst[200], src[200]));
  }
  DDRotatePalette(dst, 16, 31, 1, 0, src);
  for (int i = 16; i < 31; ++i) EXPECT_TRUE(Same(dst[i + 1], src[i]));
  // In place: the rotation is taken from the source before anything is written.
  DDPALENTRY same[256];
  Numbered(same);
  DDRotatePalette(same, 16, 31, 1, 0, same);
  EXPECT_TRUE(Same(same[16], src[31]));
  EXPECT_TRUE(Same(same[17], src[16]));
}

TEST(PaletteToRgb16, PacksFieldsOnA565Screen) {
  {
    Library lib(kDD, 16);
    ASSERT_TRUE(lib.ok());
    DDPALENTRY e{31, 63, 31, 0};
    EXPECT_EQ(DDPalToRGB16(&e), 0xFFFF);
    e = {31, 0, 0, 0};
    EXPECT_EQ(DDPalToRGB16(&e), 0xF800);
    e = {0, 1, 2, 0};
    EXPECT_EQ(DDPalToRGB16(&e), 0x0022);
  }
  Library d3d(kD3D, 16);
  DDPALENTRY e{31, 63, 31, 0};
  EXPECT_EQ(DDPalToRGB16(&e), 0);
}

// ---------------------------------------------------------------- transparent colour

TEST(Transmit, ColourFormPerPersonalityAndDepth) {
  {
    Library lib(kDD, 32);
    DDSetTransmit(255, 0, 0);
    EXPECT_EQ(dwTransmitPixel, 0xFF0000u);
    EXPECT_EQ(lpDDCon->rgbTransmit.rgbtRed, 255);
    EXPECT_EQ(lpDDCon->rgbTransmit.rgbtBlue, 0);
  }
  {
    Library lib(kDD, 16);
    DDSetTransmit(255, 255, 255);
    EXPECT_EQ(dwTransmitPixel, 0xFFFFu);
    DDSetTransmit(255, 0, 8);
    EXPECT_EQ(dwTransmitPixel, 0xF800u);  // 8 * 31 / 255 = 0
  }
  {
    Library lib(kDD, 8);
    dwTransmitPixel = 7;
    DDSetTransmit(1, 2, 3);
    EXPECT_EQ(dwTransmitPixel, 7u);
  }
  {
    Library lib(kD3D, 32);
    DDSetTransmit(255, 0, 255);
    EXPECT_EQ(lpDTCon->argbTransmit, 0xFFFF00FFu);
    EXPECT_EQ(lpDTCon->argbTransparent, 0u);
    EXPECT_EQ(lpDTCon->rgbTransmit.rgbtRed, 255);
    EXPECT_EQ(lpDTCon->rgbTransmit.rgbtGreen, 0);
    EXPECT_EQ(dwTransmitPixel, 0u);
  }
  {
    // 16 bits under Direct3D: every form comes from the one 8-bit colour.
    Library lib(kD3D, 16);
    DDSetTransmit(255, 0, 255);
    EXPECT_EQ(lpDTCon->argbTransmit, 0xFFFF00FFu);
    EXPECT_EQ(lpDTCon->rgbTransmit16.rgbtRed, 255);
    EXPECT_EQ(lpDTCon->rgbTransmit16.rgbtGreen, 0);
    EXPECT_EQ(lpDTCon->rgbTransmit16.rgbtBlue, 255);
    EXPECT_EQ(lpDTCon->wTransmitOpaque16, 0xFC1F);
    EXPECT_EQ(lpDTCon->wTransmit_16, 0);
    EXPECT_EQ(dwTransmitPixel, 0xFC1Fu);
  }
}

class TransmitFile : public ::testing::Test {
 protected:
  void SetUp() override {
    // 8-bit: first pixel colour 5 = magenta. 24-bit: first pixel magenta.
    std::vector<uint32_t> table(256, 0x000000);
    table[5] = 0xFF00FF;
    table[6] = 0x102030;
    std::vector<uint32_t> idx(16 * 24, 6);
    idx[0] = 5;
    bmp8_ = (dir_.path() / "key8.bmp").string();
    testsupport::WriteFileBytes(bmp8_, MakeBmp(16, 24, 8, idx, table));
    std::vector<uint32_t> px(16 * 24, 0x102030);
    px[0] = 0xFF00FF;
    bmp24_ = (dir_.path() / "key24.bmp").string();
    testsupport::WriteFileBytes(bmp24_, MakeBmp(16, 24, 24, px));
  }
  testsupport::TempDir dir_;
  std::string bmp8_, bmp24_;
};

TEST_F(TransmitFile, FirstPixelGivesTheKey) {
  {
    Library lib(kDD, 8);
    EXPECT_EQ(DDSetTransmit(bmp8_), 1);
    EXPECT_EQ(dwTransmitPixel, 5u);
  }
  {
    Library lib(kDD, 32);
    EXPECT_EQ(DDSetTransmit(bmp24_), 1);
    EXPECT_EQ(dwTransmitPixel, 0xFF00FFu);
    EXPECT_EQ(lpDDCon->rgbTransmit.rgbtRed, 255);
    EXPECT_EQ(lpDDCon->rgbTransmit.rgbtGreen, 0);
  }
  {
    Library lib(kDD, 16);
    EXPECT_EQ(DDSetTransmit(bmp24_), 1);
    EXPECT_EQ(dwTransmitPixel, 0xF81Fu);
  }
  for (const std::string* f : {&bmp8_, &bmp24_}) {
    Library lib(kD3D, 32);
    EXPECT_EQ(DDSetTransmit(*f), 1);
    EXPECT_EQ(lpDTCon->argbTransmit, 0xFFFF00FFu) << *f;
  }
  for (const std::string* f : {&bmp8_, &bmp24_}) {
    Library lib(kD3D, 16);
    EXPECT_EQ(DDSetTransmit(*f), 1);
    EXPECT_EQ(lpDTCon->argbTransmit, 0xFFFF00FFu) << *f;
    EXPECT_EQ(lpDTCon->rgbTransmit16.rgbtBlue, 255) << *f;
    EXPECT_EQ(lpDTCon->wTransmitOpaque16, 0xFC1F) << *f;
  }
  Library lib(kDD, 32);
  dwTransmitPixel = 0x123;
  EXPECT_EQ(DDSetTransmit((dir_.path() / "missing.bmp").string()), 0);
  EXPECT_EQ(dwTransmitPixel, 0x123u);
}

// ---------------------------------------------------------------- palette loading

class PaletteFile : public ::testing::Test {
 protected:
  void SetUp() override {
    // Colour table entry i = (i, 255 - i, 7); the 16x16 block from row 8
    // shows entry 255 - i at block position i, so a palette taken from the
    // pixels differs from one taken from the table.
    std::vector<uint32_t> table(256);
    for (int i = 0; i < 256; ++i) table[i] = uint32_t(i) << 16 | uint32_t(255 - i) << 8 | 7;
    std::vector<uint32_t> idx(16 * 24, 0);
    for (int i = 0; i < 256; ++i) idx[size_t(8 + i / 16) * 16 + i % 16] = uint32_t(255 - i);
    bmp8_ = (dir_.path() / "Palette.bmp").string();
    testsupport::WriteFileBytes(bmp8_, MakeBmp(16, 24, 8, idx, table));
    // 24-bit: block entry i = (255, 0, 0) for even i, (0, 255, 255) for odd; entry 3 black.
    std::vector<uint32_t> px(16 * 24, 0x808080);
    for (int i = 0; i < 256; ++i) px[size_t(8 + i / 16) * 16 + i % 16] = (i % 2) ? 0x00FFFF : 0xFF0000;
    px[size_t(8) * 16 + 3] = 0x000000;
    bmp24_ = (dir_.path() / "Palette24.bmp").string();
    testsupport::WriteFileBytes(bmp24_, MakeBmp(16, 24, 24, px));
  }
  testsupport::TempDir dir_;
  std::string bmp8_, bmp24_;
};

TEST_F(PaletteFile, EightBitBitmapPerPersonality) {
  {
    Library lib(kDD, 8);
    ASSERT_TRUE(DDLoadPaletteFromFile(PalTable, bmp8_, 0));
    for (int i : {0, 9, 10, 100, 245, 246, 255}) {
      uint8_t flags = (i >= 10 && i <= 245) ? 1 : 2;
      EXPECT_TRUE(Same(PalTable[i], {uint8_t(i), uint8_t(255 - i), 7, flags})) << i;
      EXPECT_TRUE(Same(lpDDPalette->entries[i], PalTable[i])) << i;
    }
  }
  {
    // Direct3D: the table first, then the pixels; pixels of the key colour
    // (black here, the default) leave the table's colour.
    Library lib(kD3D, 32);
    ASSERT_TRUE(DDLoadPaletteFromFile(PalTable, bmp8_, 0));
    for (int i : {0, 1, 100, 254}) {
      int j = 255 - i;
      EXPECT_TRUE(Same(PalTable[i], {uint8_t(j), uint8_t(255 - j), 7, 255})) << i;
    }
  }
  {
    // 32-bit DirectDraw: the pixels, fourth byte as flags.
    Library lib(kDD, 32);
    ASSERT_TRUE(DDLoadPaletteFromFile(PalTable, bmp8_, 0));
    EXPECT_TRUE(Same(PalTable[0], {255, 0, 7, 0}));
    EXPECT_TRUE(Same(PalTable[200], {55, 200, 7, 0}));
  }
}

TEST_F(PaletteFile, TrueColourBitmapPerPersonality) {
  {
    Library lib(kDD, 16);
    ASSERT_TRUE(DDLoadPaletteFromFile(PalTable, bmp24_, 0));
    // A 16-bit DirectDraw palette holds the fields as they are.
    EXPECT_TRUE(Same(PalTable[0], {31, 0, 0, 0}));
    EXPECT_TRUE(Same(PalTable[1], {0, 63, 31, 0}));
    EXPECT_EQ(DDPalToRGB16(&PalTable[1]), 0x07FF);
  }
  {
    Library lib(kD3D, 32);
    PalTable[3] = {9, 9, 9, 9};
    ASSERT_TRUE(DDLoadPaletteFromFile(PalTable, bmp24_, 0));
    EXPECT_TRUE(Same(PalTable[0], {255, 0, 0, 255}));
    EXPECT_TRUE(Same(PalTable[255], {0, 255, 255, 255}));
    EXPECT_TRUE(Same(PalTable[3], {9, 9, 9, 9}));  // key-coloured pixel: left alone
  }
  {
    Library lib(kD3D, 16);
    PalTable[3] = {9, 9, 9, 9};
    PalTable[4] = {1, 1, 1, 77};
    ASSERT_TRUE(DDLoadPaletteFromFile(PalTable, bmp24_, 0));
    EXPECT_TRUE(Same(PalTable[4], {255, 0, 0, 77}));  // widened fields, flags kept
    EXPECT_TRUE(Same(PalTable[3], {9, 9, 9, 9}));
  }
  {
    // 8-bit DirectDraw with a true-colour bitmap: nothing to take.
    Library lib(kDD, 8);
    PalTable[0] = {1, 2, 3, 4};
    ASSERT_TRUE(DDLoadPaletteFromFile(PalTable, bmp24_, 0));
    EXPECT_TRUE(Same(PalTable[0], {1, 2, 3, 4}));
  }
}

TEST_F(PaletteFile, BrokenOrSmallFiles) {
  Library lib(kDD, 32);
  PalTable[0] = {1, 2, 3, 4};
  EXPECT_FALSE(DDLoadPaletteFromFile(PalTable, (dir_.path() / "none.bmp").string(), 0));
  std::string junk = (dir_.path() / "junk.bmp").string();
  testsupport::WriteFileBytes(junk, {'B', 'M', 1, 2, 3});
  EXPECT_FALSE(DDLoadPaletteFromFile(PalTable, junk, 0));
  EXPECT_TRUE(Same(PalTable[0], {1, 2, 3, 4}));
  // A picture smaller than the block: only the pixels it has are read.
  std::string tiny = (dir_.path() / "tiny.bmp").string();
  testsupport::WriteFileBytes(tiny, MakeBmp(4, 10, 24, std::vector<uint32_t>(40, 0x0A0B0C)));
  EXPECT_TRUE(DDLoadPaletteFromFile(PalTable, tiny, 0));
  EXPECT_TRUE(Same(PalTable[0], {0x0A, 0x0B, 0x0C, 0}));
  EXPECT_TRUE(Same(PalTable[19], {0x0A, 0x0B, 0x0C, 0}));
  EXPECT_FALSE(Same(PalTable[4], {0x0A, 0x0B, 0x0C, 0}));
  EXPECT_FALSE(Same(PalTable[32], {0x0A, 0x0B, 0x0C, 0}));
}

}  // namespace

}  // namespace palette_test
