// ctest-label: play
// The character draw modes and the gauges over characters.
#include "app/play/CharaDraw.h"

#include <gtest/gtest.h>

#include <initializer_list>

#include "data/Effect.h"
#include "tests/app/play/draw_recorder.h"

namespace {

using drawtest::Calls;
using V = std::vector<std::string>;

class CharaModes : public ::testing::Test {
 protected:
  void SetUp() override {
    target.strName = "back";
    sheet.strName = "sheet";
    work.strName = "work";
    work2.strName = "work2";
    pieces.strName = "pieces";
    pieces.nHeight = 256;
    env.pWork = &work;
    env.pWork2 = &work2;
    info.pSheet = &sheet;
    info.nSrcX = 64;
    info.nSrcY = 32;
    info.nBoxX = 100;
    info.nBoxY = 50;
  }
  void Start(int kind, std::initializer_list<int> p, double value = 0, double step = 1, int end = 1000) {
    def.m_EffectKind = kind;
    int i = 0;
    for (int v : p) def.m_EffectParam[i++] = v;
    fx = cCharaEffectPlayer{};
    fx.m_nIndex = 3;
    fx.m_pDef = &def;
    fx.m_dValue = value;
    fx.m_dStep = step;
    fx.m_nStart = 0;
    fx.m_nEnd = end;
  }
  V Run(int bFreeze = 0, int bDraw = 1) {
    Calls().clear();
    last = RunCharaDrawMode(fx, &target, info, bFreeze, bDraw, env);
    return Calls();
  }
  drawtest::Recorder rec;
  DDSURFACEDATA target, sheet, work, work2, pieces;
  cCharaDrawEnv env;
  cCharaDrawInfo info;
  cCharaEffect def;
  cCharaEffectPlayer fx;
  int last = 0;
};

TEST_F(CharaModes, EachKernelModeGetsTheCellAndItsValues) {
  struct Case {
    int kind;
    std::initializer_list<int> params;
    double value;
    std::string call;
  };
  const Case cases[] = {
      {0, {}, 0, "blt back 100 50 32 32 <- sheet 64 32 t1"},
      {1, {5, 0, 32}, 7, "burst back 100 50 32 32 <- sheet 64 32 d7 t1"},
      {2, {5, 0, 32, 3}, 9, "split back 100 50 32 32 band11 shift9 <- sheet 64 32 t1 v0"},
      {3, {5, 0, 32, 3}, 9, "split back 100 50 32 32 band11 shift9 <- sheet 64 32 t1 v1"},
      {4, {5, 0, 32, 2, 2}, 6, "wave back 100 50 32 32 n2 amp6 ph0 band2 <- sheet 64 32 t1 v0"},
      {5, {5, 0, 32, 2, 2}, 6, "wave back 100 50 32 32 n2 amp6 ph0 band2 <- sheet 64 32 t1 v1"},
      {8, {10, 0, 1440}, 45, "rotate back 116 66 32 32 16 16 a45 <- sheet 64 32 t1"},
      {9, {10, 0, 256}, 12, "turn back 100 50 32 32 <- sheet 64 32 32 32 t1 ph12 dir0"},
      {10, {5, 32, 0, 2}, 20, "circle back 116 66 16 16 r20 step2 <- sheet 80 48 t1"},
      {11, {10, 32, 64}, 40, "stretch back 96 46 40 40 <- sheet 64 32 32 32 t1"},
      {12, {10, 100, 5, 4, -2}, 50, "lens back 120 64 r28 d50 <- sheet 84 46 t1 c0"},
      {13, {10, 1, 1, 40}, 2, "colorscale back 100 50 32 32 <- sheet 64 32 t1 c40 n2"},
      {15, {10, 1, 8}, 4, "mosaic back 100 50 32 32 n4 <- sheet 64 32 t1"},
      {16, {10, 1, 4}, 3, "blur back 100 50 32 32 r3 3 <- sheet 64 32 t1"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.kind);
    Start(c.kind, c.params, c.value);
    EXPECT_EQ(Run(), V{c.call});
  }
}

TEST_F(CharaModes, SplitAndWaveCountsOfZeroDrawOneBand) {
  Start(2, {5, 0, 32, 0}, 1);
  EXPECT_EQ(Run(), V{"split back 100 50 32 32 band32 shift1 <- sheet 64 32 t1 v0"});
  Start(4, {5, 0, 32, 0, 2}, 1);
  EXPECT_EQ(Run(), V{"wave back 100 50 32 32 n1 amp1 ph0 band2 <- sheet 64 32 t1 v0"});
}

TEST_F(CharaModes, VerticalSplitUsesTheHeight) {
  info.nCellW = 64;
  info.nCellH = 16;
  Start(3, {5, 0, 32, 4}, 0);
  EXPECT_EQ(Run(), V{"split back 100 50 64 16 band4 shift0 <- sheet 64 32 t1 v1"});
}

TEST_F(CharaModes, ScaledCellsAreRenderedToTheWorkSurfaceFirst) {
  EXPECT_EQ(IsScaledCell(2, 0, 0), 1);
  EXPECT_EQ(IsScaledCell(1, 0, 0), 0);
  EXPECT_EQ(IsScaledCell(1, 1, 2), 1);  // pre-scaled for 2, drawn at 1
  EXPECT_EQ(IsScaledCell(2, 1, 2), 0);
  info.bScaled = 1;
  info.nScale = 2;
  info.nBoxW = info.nBoxH = 64;
  Start(1, {5, 0, 32}, 5);
  EXPECT_EQ(Run(), (V{"fill work 0 0 64 64 c0", "stretch work 0 0 64 64 <- sheet 64 32 32 32 t0",
                      "burst back 100 50 64 64 <- work 0 0 d10 t1"}));
  Start(0, {}, 0);
  EXPECT_EQ(Run(), V{"stretch back 100 50 64 64 <- sheet 64 32 32 32 t1"});
  Start(11, {10, 32, 64}, 40);  // e = (40 - 32) * 2 / 2
  EXPECT_EQ(Run(), V{"stretch back 96 46 72 72 <- sheet 64 32 32 32 t1"});
}

TEST_F(CharaModes, BlitColourWrapsTheKernelCall) {
  const DDBLTCOLOR colour{0xFF112233u, 7};
  info.pBltColor = &colour;
  Start(0, {}, 0);
  EXPECT_EQ(Run(), V{"bltex back 100 50 32 32 <- sheet 64 32 t1"});
  Start(15, {10, 1, 8}, 2);
  EXPECT_EQ(Run(), (V{"bltcolor " + std::to_string(0xFF112233u), "colorop 7",
                      "mosaic back 100 50 32 32 n2 <- sheet 64 32 t1", "bltcolor reset", "colorop reset"}));
}

TEST_F(CharaModes, BlinkAndHalfFollowTheirToggle) {
  Start(6, {10, 2}, 0, 1.0 / 6);
  EXPECT_TRUE(Run().empty());  // toggle 0: hidden
  EXPECT_TRUE(Run().empty());  // the counter reaches 2 and flips
  EXPECT_EQ(Run(), V{"blt back 100 50 32 32 <- sheet 64 32 t1"});
  Run(1);
  EXPECT_EQ(fx.m_nSpare1, 1);  // frozen: not counted
  Start(14, {10, 9999}, 0, 1.0 / 6);
  EXPECT_EQ(Run(), V{"half back 100 50 32 32 <- sheet 64 32 t1"});
}

TEST_F(CharaModes, RotationAUnderDirectDrawGoesThroughASquare) {
  Start(7, {10, 0, 1440}, 30);
  EXPECT_EQ(Run(), (V{"fill work2 0 0 46 46 c0", "rotate work2 23 23 32 32 16 16 a30 <- sheet 64 32 t1",
                      "stretch back 94 44 45 45 <- work2 0 0 46 46 t1"}));
  env.bD3D = 1;
  EXPECT_EQ(Run(), V{"rotate back 116 66 32 32 16 16 a31 <- sheet 64 32 t1"});  // one step on
}

TEST_F(CharaModes, AdvanceOnlyAndEndClearTheNumber) {
  Start(15, {10, 1, 8}, 7, 1, 8);
  EXPECT_TRUE(Run(0, 0).empty());
  EXPECT_EQ(last, 0);
  Run(1);
  EXPECT_DOUBLE_EQ(fx.m_dValue, 8.0);  // frozen
  Run(0, 0);
  EXPECT_EQ(last, 1);
  EXPECT_EQ(fx.m_nIndex, 0);
  EXPECT_EQ(Run(), V{"blt back 100 50 32 32 <- sheet 64 32 t1"});  // back to plain
}

TEST_F(CharaModes, GaugePiecesAndTrail) {
  GaugeAnim g;
  g.nFrames = 120;
  g.nStartLength = 30;
  g.dChange = -10;  // trailing piece to the right of the bar
  g.dPerFrame = -10.0 / 60;
  Calls().clear();
  DrawGauge(&target, g, 0, 100, 50, 32, 0, 0, &pieces);
  EXPECT_EQ(Calls(), (V{"blt back 91 47 50 2 <- pieces 0 208 t1", "blt back 91 47 30 2 <- pieces 0 210 t1",
                        "blt back 121 47 10 2 <- pieces 0 214 t1"}));
  EXPECT_EQ(g.nFrames, 119);
  pieces.nHeight = 200;  // short sheet: rows 16 apart from 128
  g.dChange = 5;
  Calls().clear();
  DrawGauge(&target, g, 1, 100, 50, 32, 0, 1, &pieces);
  EXPECT_EQ(Calls(), (V{"blt back 91 43 50 2 <- pieces 64 128 t1", "blt back 91 43 30 2 <- pieces 64 160 t1",
                        "blt back 116 43 5 2 <- pieces 64 192 t1"}));
}

TEST_F(CharaModes, GaugeTrailStopsForTheLastSixtyFramesAndThenHides) {
  GaugeAnim g;
  g.nFrames = 61;
  g.nStartLength = 10;
  g.dChange = 6;
  g.dPerFrame = 1;
  DrawGauge(&target, g, 0, 0, 0, 32, 0, 0, &pieces);
  EXPECT_DOUBLE_EQ(g.dChange, 5);  // 60 left: still moving
  DrawGauge(&target, g, 0, 0, 0, 32, 0, 0, &pieces);
  EXPECT_DOUBLE_EQ(g.dChange, 0);  // 59 left: the trail stops
  for (int i = 0; i < 59; ++i) DrawGauge(&target, g, 0, 0, 0, 32, 0, 0, &pieces);
  Calls().clear();
  DrawGauge(&target, g, 0, 0, 0, 32, 0, 0, &pieces);
  EXPECT_TRUE(Calls().empty());
  g.nFrames = 10;
  DrawGauge(&target, g, 0, 0, 0, 32, 1, 0, &pieces);  // dead
  EXPECT_TRUE(Calls().empty());
}

}  // namespace
