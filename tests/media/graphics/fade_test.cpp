// ctest-label: graphics
#include <gtest/gtest.h>

#include "tests/media/graphics/fill_palette_support.h"

// The file's own namespace keeps its helpers apart from other test files compiled with it.
namespace fade_test {

namespace {

using namespace palettetest;

const int kOutAlphas[10] = {0, 4, 16, 35, 60, 92, 128, 168, 211, 255};
const int kOutWeights[10] = {256, 252, 240, 221, 196, 164, 127, 87, 44, 0};

// Under Direct3D each frame draws black with alpha a over white: 255 - a remains.
void FillWhite() { DDFillRectARGB(&BackBuffer, 0, 0, 640, 480, 0xFFFFFFFF); }
int RedD3D() { return int((FormatToArgb(BackBuffer.Pixels()->Format(), PixelAt(BackBuffer, 5, 7)) >> 16) & 255); }

TEST(FadeD3D, FadeOutAlphasAtSpeedTen) {
  Library lib(kD3D, 32);
  ASSERT_TRUE(lib.ok());
  for (int round = 0; round < 2; ++round) {  // a finished fade is ready to run again
    for (int i = 0; i < 10; ++i) {
      FillWhite();
      bool done = DDFadeOut(PalWork, 0, 255, 0, 0, 0, 10, PalTable, 0);
      EXPECT_EQ(255 - RedD3D(), kOutAlphas[i]) << i;
      EXPECT_EQ(done, i == 9) << i;
    }
  }
}

TEST(FadeD3D, FadeInIsTheMirrorAndFinishIsImmediate) {
  Library lib(kD3D, 32);
  for (int i = 0; i < 10; ++i) {
    FillWhite();
    bool done = DDFadeIn(PalWork, 0, 255, 0, 0, 0, 10, PalTable, 0);
    EXPECT_EQ(255 - RedD3D(), kOutAlphas[9 - i]) << i;
    EXPECT_EQ(done, i == 9) << i;
  }
  FillWhite();
  EXPECT_TRUE(DDFadeIn(PalWork, 0, 255, 0, 0, 0, 10, PalTable, 1));
  EXPECT_EQ(RedD3D(), 255);  // undimmed
  FillWhite();
  EXPECT_TRUE(DDFadeOut(PalWork, 0, 255, 0, 0, 0, 10, PalTable, 1));
  EXPECT_EQ(RedD3D(), 0);
  // Both fades start from their beginnings again.
  FillWhite();
  EXPECT_FALSE(DDFadeOut(PalWork, 0, 255, 0, 0, 0, 10, PalTable, 0));
  EXPECT_EQ(RedD3D(), 255);
}

TEST(FadeD3D, VirtualBackBufferIsTheTarget) {
  Library lib(kD3D, 16);
  DDSetVirBackBuffer(1);
  FillWhite();
  for (int i = 0; i < 10; ++i) DDFadeOut(PalWork, 0, 255, 0, 0, 0, 10, PalTable, 0);
  EXPECT_EQ(FormatToArgb(VirBackBuffer.Pixels()->Format(), VirBackBuffer.Pixels()->GetPixel(3, 3)) & 0xFFFFFF, 0u);
  DDSetVirBackBuffer(0);
}

TEST(FadeDD, PaletteWeightsAtEightBits) {
  Library lib(kDD, 8);
  ASSERT_TRUE(lib.ok());
  for (int i = 0; i < 256; ++i) PalTable[i] = {200, 100, uint8_t(i), 0};
  for (int i = 0; i < 10; ++i) {
    bool done = DDFadeOut(PalWork, 0, 255, 0, 0, 40, 10, PalTable, 0);
    int k = kOutWeights[i];
    EXPECT_EQ(PalWork[10].peRed, (200 * k) >> 8) << i;
    EXPECT_EQ(PalWork[10].peBlue, (10 * k + 40 * (256 - k)) >> 8) << i;
    EXPECT_EQ(lpDDPalette->entries[10].peRed, PalWork[10].peRed) << i;
    EXPECT_EQ(done, i == 9);
  }
  EXPECT_TRUE(DDFadeIn(PalWork, 0, 255, 0, 0, 0, 10, PalTable, 1));
  EXPECT_EQ(lpDDPalette->entries[10].peRed, 200);
}

TEST(FadeDD, PixelWeightsFromTheSnapshotAtSixteenAndThirtyTwoBits) {
  for (int bpp : {32, 16}) {
    Library lib(kDD, bpp);
    ASSERT_TRUE(lib.ok());
    const uint32_t white = bpp == 32 ? 0xFFFFFF : 0xFFFF;
    DDFillRectARGB(&BackBuffer, 0, 0, 640, 480, white);
    // The back buffer dims frame by frame, each frame from the undimmed snapshot.
    for (int i = 0; i < 10; ++i) {
      bool done = DDFadeOut(PalWork, 0, 255, 0, 0, 0, 10, PalTable, 0);
      int k = kOutWeights[i];
      int v = (255 * k) >> 8;
      uint32_t expect = bpp == 32 ? uint32_t(v) * 0x010101u
                                  : (uint32_t(v) * 31 / 255) << 11 | (uint32_t(v) * 63 / 255) << 5 | uint32_t(v) * 31 / 255;
      EXPECT_EQ(PixelAt(BackBuffer, 639, 479), expect) << bpp << " " << i;
      EXPECT_EQ(done, i == 9);
    }
  }
}

TEST(FadeDD, FadeUnPalMixesTowardsTheColour) {
  Library lib(kDD, 32);
  DDFillRectARGB(&FadeSD, 0, 0, 640, 480, 0x00C86400);
  EXPECT_EQ(DDFade_UnPal(&BackBuffer, 128, 0, 0, 200, &FadeSD), 1);
  EXPECT_EQ(PixelAt(BackBuffer, 0, 0) & 0xFFFFFF, 0x643264u);
}

TEST(FadeDD, FadeUnPalUnderDirect3DDoesNothing) {
  Library lib(kD3D, 32);
  FillWhite();
  EXPECT_EQ(DDFade_UnPal(&BackBuffer, 0, 0, 0, 0, &WorkSD), 1);
  EXPECT_EQ(RedD3D(), 255);
}

}  // namespace

}  // namespace fade_test
