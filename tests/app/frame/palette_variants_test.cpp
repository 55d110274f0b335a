// ctest-label: play
// Palette variants and the highlight colours.
#include "app/frame/PaletteVariants.h"

#include <gtest/gtest.h>

#include <vector>

#include "data/System.h"
#include "media/graphics/DDCore.h"

namespace {

std::vector<int> Reds(const DDPALENTRY* pal, int first, int count) {
  std::vector<int> out;
  for (int i = first; i < first + count; ++i) out.push_back(pal[i].peRed);
  return out;
}

class PaletteVariants : public ::testing::Test {
 protected:
  void SetUp() override {
    for (int i = 0; i < 256; ++i) pal[i] = {static_cast<uint8_t>(i), 0, 0, 0};
  }
  DDPALENTRY pal[256];
};

TEST_F(PaletteVariants, RotationsAndRepeatedBlocks) {
  BuildPaletteVariant(pal, 0);
  for (int i = 0; i < 256; ++i) EXPECT_EQ(pal[i].peRed, i);
  BuildPaletteVariant(pal, 11);  // 176 places towards the lower indexes
  EXPECT_EQ(pal[16].peRed, 16 + 176);
  EXPECT_EQ(pal[31].peRed, 207);
  EXPECT_EQ(pal[32].peRed, 16);
  EXPECT_EQ(pal[207].peRed, 191);
  EXPECT_EQ(pal[15].peRed, 15);
  EXPECT_EQ(pal[208].peRed, 208);
}

TEST_F(PaletteVariants, VariantsFromTwelveRepeatOneBlock) {
  for (int n : {12, 23}) {
    SetUp();
    BuildPaletteVariant(pal, n);
    const int first = 16 * (n - 11);
    for (int block = 0; block < 12; ++block) {
      std::vector<int> expected;
      for (int k = 0; k < 16; ++k) expected.push_back(first + k);
      EXPECT_EQ(Reds(pal, 16 + 16 * block, 16), expected) << n << " block " << block;
    }
    EXPECT_EQ(pal[208].peRed, 208);
  }
}

TEST(PaletteFiles, BlendTableNameHasTwoDigits) {
  EXPECT_EQ(HbtFileName(5), "bmp\\hbt\\hbt05.dat");
  EXPECT_EQ(HbtFileName(23), "bmp\\hbt\\hbt23.dat");
}

TEST(PaletteFiles, NothingToLoadOffEightBitDirectDraw) {
  const int bpp = DDSettings.nBpp;
  DDSettings.nBpp = 32;
  EXPECT_EQ(LoadHbtPalette(5), 1);
  DDSettings.nBpp = bpp;
}

TEST(Bounce, StepOfHundredTurnsBeforeTheBounds) {
  int32_t value = 0, dir = 0;
  std::vector<int> seen, turned;
  for (int i = 0; i < 8; ++i) {
    seen.push_back(value);
    turned.push_back(BounceStep(value, dir, 100, 0, 255));
  }
  EXPECT_EQ(seen, (std::vector<int>{0, 100, 200, 200, 100, 100, 200, 200}));
  EXPECT_EQ(turned, (std::vector<int>{0, 0, 0, 0, 1, 0, 0, 0}));
}

class Highlights : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetBlinkColors();
    saved_ = lpDTCon;
    lpDTCon = &con_;
  }
  void TearDown() override {
    lpDTCon = saved_;
    SystemData.m_BlinkStep = 0;
    ResetBlinkColors();
  }
  DTCONTEXT con_;
  DTCONTEXT* saved_ = nullptr;
};

TEST_F(Highlights, StepZeroStaysBlack) {
  SystemData.m_BlinkStep = 0;
  for (int i = 0; i < 5; ++i) CycleBlinkColors();
  EXPECT_EQ(BlinkColors[1].dwColor, 0xFF000000u);
  EXPECT_EQ(BlinkColors[2].nColorOp, 10);
  EXPECT_EQ(BlinkColors[9].dwColor, 0xFF000000u);
}

TEST_F(Highlights, ColoursFollowTheChannelsAndEntryNineChangesHue) {
  SystemData.m_BlinkStep = 100;
  CycleBlinkColors();  // c = 0
  CycleBlinkColors();  // c = 100
  EXPECT_EQ(BlinkColors[1].dwColor, 0xFF646464u);
  EXPECT_EQ(BlinkColors[1].nColorOp, 7);
  EXPECT_EQ(BlinkColors[7].dwColor, 0xFF640019u);  // (c, 0, c / 4)
  EXPECT_EQ(BlinkColors[8].dwColor, 0xFF190064u);
  EXPECT_EQ(BlinkColors[9].dwColor, 0xFF640000u);  // phase 0: red
  for (int i = 0; i < 3; ++i) CycleBlinkColors();  // 200, 200, 100 (turns at the bottom)
  CycleBlinkColors();                              // 100, phase 1
  EXPECT_EQ(BlinkColors[9].dwColor, 0xFF006400u);
}

}  // namespace
