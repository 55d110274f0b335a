// ctest-label: graphics
#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <utility>

#include "media/graphics/Shape.h"
#include "tests/media/graphics/fill_palette_support.h"

// The file's own namespace keeps its helpers apart from other test files compiled with it.
namespace fill_test {

namespace {

using namespace palettetest;

using Points = std::set<std::pair<int, int>>;

// The points of a surface (8 bits) that carry colour c.
Points PointsOf(const DDSURFACEDATA& sd, uint32_t c) {
  Points out;
  for (int y = 0; y < sd.nHeight; ++y)
    for (int x = 0; x < sd.nWidth; ++x)
      if (PixelAt(sd, x, y) == c) out.insert({x, y});
  return out;
}

TEST(Fill, ColourZeroPerPersonality) {
  {
    // Direct3D: colour 0 is transparent black; on the back buffer it draws nothing...
    Library lib(kD3D, 32);
    PalTable[5] = {10, 20, 30, 255};
    DDFillRect(&BackBuffer, 0, 0, 640, 480, 5);
    DDFillRect(&BackBuffer, 0, 0, 640, 480, 0);
    EXPECT_EQ(PixelAt(BackBuffer, 9, 9) & 0xFFFFFF, 0x0A141Eu);
    // ...and on a transparent render target it clears to transparent black.
    DDSURFACEDATA rt;
    ASSERT_TRUE(DDCreateSurface(&rt, 64, 64, 1, 0, DTMEMORYTYPE_VIDEO_RT, 0, 0));
    DDFillRect(&rt, 0, 0, 64, 64, 5);
    EXPECT_EQ(PixelAt(rt, 1, 1), 0xFF0A141Eu);
    DDFillRect(&rt, 0, 0, 32, 64, 0);
    EXPECT_EQ(PixelAt(rt, 1, 1), 0u);
    EXPECT_EQ(PixelAt(rt, 40, 1), 0xFF0A141Eu);
    DDReleaseSurface(&rt);
  }
  {
    // DirectDraw: colour 0 is an ordinary fill.
    Library lib(kDD, 8);
    DDFillRect(&BackBuffer, 0, 0, 640, 480, 5);
    DDFillRect(&BackBuffer, 0, 0, 10, 10, 0);
    EXPECT_EQ(PixelAt(BackBuffer, 3, 3), 0u);
    EXPECT_EQ(PixelAt(BackBuffer, 10, 3), 5u);
  }
}

TEST(Fill, RectanglesAreCutAtBothEdges) {
  for (Personality p : {kDD, kD3D}) {
    Library lib(p, p == kDD ? 8 : 32);
    PalTable[7] = {255, 255, 255, 255};
    const uint32_t seven = p == kDD ? 7u : 0xFFFFFFFFu;
    DDFillRect(&BackBuffer, 0, 0, 640, 480, p == kDD ? 1 : 0);
    // Sticking out on the left only: columns 0 to 9.
    DDFillRect(&BackBuffer, -10, 0, 20, 5, 7);
    EXPECT_EQ(PixelAt(BackBuffer, 0, 0) | (p == kD3D ? 0xFF000000u : 0), seven) << p;
    EXPECT_EQ(PixelAt(BackBuffer, 9, 4) | (p == kD3D ? 0xFF000000u : 0), seven) << p;
    EXPECT_NE(PixelAt(BackBuffer, 10, 0) | (p == kD3D ? 0xFF000000u : 0), seven) << p;
    // Sticking out on every side: the whole surface.
    DDFillRect(&BackBuffer, -10, -10, 700, 500, 7);
    EXPECT_EQ(PixelAt(BackBuffer, 639, 479) | (p == kD3D ? 0xFF000000u : 0), seven) << p;
    EXPECT_EQ(PixelAt(BackBuffer, 320, 200) | (p == kD3D ? 0xFF000000u : 0), seven) << p;
  }
}

TEST(Fill, BatchQueuesRenderTargetFillsUntilItsEnd) {
  Library lib(kD3D, 32);
  PalTable[7] = {255, 0, 0, 255};
  PalTable[8] = {0, 0, 255, 255};
  DDSURFACEDATA rt;
  ASSERT_TRUE(DDCreateSurface(&rt, 64, 64, 0, 0, DTMEMORYTYPE_VIDEO_RT, 0, 0));
  DDFillRectARGB(&BackBuffer, 0, 0, 640, 480, 0xFF000000);
  DDBeginFillBatch();
  EXPECT_TRUE(DDIsFillBatchActive());
  DDFillRect(&BackBuffer, 0, 0, 10, 10, 7);
  DDFillRect(&rt, 0, 0, 10, 10, 8);
  DDFillRect(&BackBuffer, 5, 5, 10, 10, 8);
  EXPECT_EQ(PixelAt(BackBuffer, 1, 1) & 0xFFFFFF, 0u);
  DDEndFillBatch();
  EXPECT_FALSE(DDIsFillBatchActive());
  EXPECT_EQ(PixelAt(BackBuffer, 1, 1) & 0xFFFFFF, 0xFF0000u);
  EXPECT_EQ(PixelAt(BackBuffer, 7, 7) & 0xFFFFFF, 0x0000FFu);  // queued order kept
  EXPECT_EQ(PixelAt(rt, 1, 1) & 0xFFFFFF, 0x0000FFu);
  // After the batch fills draw at once again.
  DDFillRect(&BackBuffer, 20, 20, 1, 1, 7);
  EXPECT_EQ(PixelAt(BackBuffer, 20, 20) & 0xFFFFFF, 0xFF0000u);
  DDReleaseSurface(&rt);
}

TEST(Shapes, CirclePointSets) {
  Library lib(kDD, 8);
  struct Case {
    int r;
    Points expect;
  } cases[] = {
      {0, {}},
      {1, {{50, 49}, {50, 51}, {49, 50}, {51, 50}}},
      {2, {{50, 48}, {50, 52}, {48, 50}, {52, 50}, {49, 48}, {51, 48}, {49, 52}, {51, 52},
           {48, 49}, {48, 51}, {52, 49}, {52, 51}}},
  };
  for (const Case& c : cases) {
    DDFillSurface(&BackBuffer, 0);
    DDCircle(&BackBuffer, 50, 50, c.r, 9);
    EXPECT_EQ(PointsOf(BackBuffer, 9), c.expect) << c.r;
  }
  // A larger circle: symmetric, every point about r away from the centre.
  DDFillSurface(&BackBuffer, 0);
  DDCircle(&BackBuffer, 100, 100, 20, 9);
  Points big = PointsOf(BackBuffer, 9);
  EXPECT_GT(big.size(), 100u);
  for (auto [x, y] : big) {
    EXPECT_TRUE(big.count({200 - x, y}) && big.count({x, 200 - y}) && big.count({y, x}));
    double d = std::hypot(x - 100, y - 100);
    EXPECT_NEAR(d, 20, 1.0);
  }
  // At the corner: the points outside are left out.
  DDFillSurface(&BackBuffer, 0);
  DDCircle(&BackBuffer, 0, 0, 3, 9);
  for (auto [x, y] : PointsOf(BackBuffer, 9)) EXPECT_TRUE(x >= 0 && y >= 0);
  EXPECT_TRUE(PointsOf(BackBuffer, 9).count({3, 0}));
  DDPutPixel(&BackBuffer, -1, 5, 9);
  DDPutPixel(&BackBuffer, 640, 5, 9);
  DDPutPixel(&BackBuffer, 639, 479, 9);
  EXPECT_EQ(PixelAt(BackBuffer, 639, 479), 9u);
}

TEST(Shapes, FramesLieInsideAndBoxFramesAround) {
  for (Personality p : {kDD, kD3D}) {
    Library lib(p, p == kDD ? 8 : 32);
    PalTable[4] = {0, 255, 0, 255};
    PalTable[6] = {0, 0, 255, 255};
    const uint32_t mask = p == kDD ? 0xFFu : 0xFFFFFFu;
    auto px = [&](int x, int y) { return PixelAt(BackBuffer, x, y) & mask; };
    const uint32_t four = p == kDD ? 4u : 0x00FF00u, six = p == kDD ? 6u : 0x0000FFu;
    DDFillRect(&BackBuffer, 0, 0, 640, 480, p == kDD ? 1 : 0);
    DDFrameRect(&BackBuffer, 10, 10, 20, 10, 2, 4);
    EXPECT_EQ(px(10, 10), four);
    EXPECT_EQ(px(29, 19), four);
    EXPECT_EQ(px(11, 15), four);
    EXPECT_NE(px(12, 12), four);
    EXPECT_NE(px(9, 10), four);
    EXPECT_NE(px(30, 10), four);
    // A box: the picture's top-left, then a frame of thickness 1 around it.
    DDSURFACEDATA box;
    ASSERT_TRUE(DDCreateSurface(&box, 64, 64, 0, 0, 0, 0, 0));
    DDFillRect(&box, 0, 0, 64, 64, 6);
    DDDrawBox(&BackBuffer, 100, 100, 30, 20, &box, 1, 4);
    EXPECT_EQ(px(100, 100), six);
    EXPECT_EQ(px(129, 119), six);
    EXPECT_EQ(px(99, 99), four);
    EXPECT_EQ(px(130, 120), four);
    EXPECT_NE(px(131, 121), four);
    DDReleaseSurface(&box);
  }
}

// A strip of ten 4x6 digit cells: digit d has colour 10 + d.
class Digits : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(lib_.ok());
    ASSERT_TRUE(DDCreateSurface(&strip_, 40, 6, 1, 0, 0, 0, 0));
    for (int d = 0; d < 10; ++d) DDFillRect(&strip_, 4 * d, 0, 4, 6, uint32_t(10 + d));
    DDFillSurface(&BackBuffer, 1);
  }
  void TearDown() override { DDReleaseSurface(&strip_); }
  // Colours of the cells along y = 0 from x, one per 4 pixels, until background.
  std::vector<int> Row(int x, int count) {
    std::vector<int> out;
    for (int i = 0; i < count; ++i) out.push_back(int(PixelAt(BackBuffer, x + 4 * i, 0)));
    return out;
  }
  Library lib_{kDD, 8};
  DDSURFACEDATA strip_;
};

TEST_F(Digits, OffsetsAndValues) {
  DDDrawNumber(&BackBuffer, 0, 0, 4, 6, &strip_, 0, 0, 1, 42, 5, 1);
  // Three missing digits, halved: 1.5 digit widths = 6 pixels.
  EXPECT_EQ(PixelAt(BackBuffer, 5, 0), 1u);
  EXPECT_EQ(Row(6, 3), (std::vector<int>{14, 12, 1}));
  DDFillSurface(&BackBuffer, 1);
  DDDrawNumber(&BackBuffer, 0, 0, 4, 6, &strip_, 0, 0, 1, 42, 5, 0);
  EXPECT_EQ(Row(0, 5), (std::vector<int>{1, 1, 1, 14, 12}));  // right-aligned, no leading zeros
  DDFillSurface(&BackBuffer, 1);
  DDDrawNumber(&BackBuffer, 0, 0, 4, 6, &strip_, 0, 0, 1, 0, 0, 0);
  EXPECT_EQ(Row(0, 2), (std::vector<int>{10, 1}));  // one digit
  DDFillSurface(&BackBuffer, 1);
  DDDrawNumber(&BackBuffer, 0, 0, 4, 6, &strip_, 0, 0, 1, -57, 0, 0);
  EXPECT_EQ(Row(0, 2), (std::vector<int>{10, 1}));  // negative values show as 0
  DDFillSurface(&BackBuffer, 1);
  DDDrawNumber(&BackBuffer, 0, 0, 4, 6, &strip_, 0, 0, 1, 2147483647, 3, 1);
  EXPECT_EQ(Row(0, 11), (std::vector<int>{12, 11, 14, 17, 14, 18, 13, 16, 14, 17, 1}));
}

// A 16x16 font of 2x3 cells: cell (column c, row r) has colour 16r + c; colour 0 is the key.
class DebugText : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(lib_.ok());
    dwTransmitPixel = 0;
    ASSERT_TRUE(DDCreateSurface(&font_, 32, 48, 1, 0, 0, 0, 0));
    for (int r = 0; r < 16; ++r)
      for (int c = 0; c < 16; ++c) DDFillRect(&font_, 2 * c, 3 * r, 2, 3, uint32_t(16 * r + c));
    DDFillSurface(&BackBuffer, 0);
  }
  void TearDown() override { DDReleaseSurface(&font_); }
  uint32_t At(int x, int y) { return PixelAt(BackBuffer, x, y); }
  Library lib_{kDD, 8};
  DDSURFACEDATA font_;
};

TEST_F(DebugText, CellsLinesKatakanaAndWrap) {
  DDDebugText(&BackBuffer, 10, 20, 2, 3, &font_, "A\nB");
  EXPECT_EQ(At(10, 20), 0x41u);
  EXPECT_EQ(At(10, 23), 0x42u);  // next line, back at x
  EXPECT_EQ(At(12, 20), 0u);
  // Half-width katakana: 0xA6-0xBF from rows 0-1, 0xC0-0xDD from rows 8-9; others as they are.
  DDDebugText(&BackBuffer, 0, 100, 2, 3, &font_, "\xB1\xC0\xDD\xA1\xE0");
  EXPECT_EQ(At(0, 100), 0x11u);
  EXPECT_EQ(At(2, 100), 0x80u);
  EXPECT_EQ(At(4, 100), 0x9Du);
  EXPECT_EQ(At(6, 100), 0xA1u);
  EXPECT_EQ(At(8, 100), 0xE0u);
  // Reaching the picture's width wraps to the next line at x.
  DDDebugText(&BackBuffer, 636, 200, 2, 3, &font_, "ABC");
  EXPECT_EQ(At(636, 200), 0x41u);
  EXPECT_EQ(At(638, 200), 0x42u);
  EXPECT_EQ(At(636, 203), 0x43u);
  DDDebugPrintf(&BackBuffer, 0, 300, 2, 3, &font_, "%d", 7);
  EXPECT_EQ(At(0, 300), 0x37u);
}

TEST(DebugTextD3D, DrawsThroughTheSpriteBatch) {
  Library lib(kD3D, 32);
  DDSURFACEDATA font;
  ASSERT_TRUE(DDCreateSurface(&font, 32, 48, 1, 0, DTMEMORYTYPE_VIDEO_RT, 0, 0));
  DDFillRectARGB(&font, 0, 0, 32, 48, 0xFF112233);
  DDFillRectARGB(&BackBuffer, 0, 0, 640, 480, 0xFF000000);
  DDDebugText(&BackBuffer, 4, 4, 2, 3, &font, "AB");
  EXPECT_FALSE(DDIsSpriteBatchActive());
  EXPECT_EQ(PixelAt(BackBuffer, 4, 4) & 0xFFFFFF, 0x112233u);
  EXPECT_EQ(PixelAt(BackBuffer, 7, 6) & 0xFFFFFF, 0x112233u);
  EXPECT_EQ(PixelAt(BackBuffer, 8, 4) & 0xFFFFFF, 0u);
  DDReleaseSurface(&font);
}

}  // namespace

}  // namespace fill_test
