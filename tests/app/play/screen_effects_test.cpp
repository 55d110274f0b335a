// ctest-label: play
// The screen-effect handlers: what each passes to the graphics library, how
// it advances, and that it stands still while frozen.
#include "app/play/ScreenEffects.h"

#include <gtest/gtest.h>

#include <initializer_list>

#include "data/Effect.h"
#include "tests/app/play/draw_recorder.h"

namespace {

using drawtest::Calls;
using V = std::vector<std::string>;

class ScreenEffects : public ::testing::Test {
 protected:
  void SetUp() override {
    back.strName = "back";
    work.strName = "work";
    work2.strName = "work2";
    work2.nWidth = 640;
    work2.nHeight = 480;
    stretch.strName = "stretch";
    env.pBack = &back;
    env.pWork = &work;
    env.pWork2 = &work2;
    env.pStretch = &stretch;
    env.nHeroCX = 100;
    env.nHeroCY = 200;
  }
  // Effect of `kind` with parameters p, progress `value` and step `step`.
  void Start(int kind, std::initializer_list<int> p, double value = 0, double step = 1) {
    def.m_EffectKind = kind;
    int i = 0;
    for (int v : p) def.m_EffectParam[i++] = v;
    fx = cScrEffectPlayer{};
    fx.m_nIndex = 1;
    fx.m_pDef = &def;
    fx.m_dValue = value;
    fx.m_dStep = step;
  }
  V Run(int bFreeze = 0) {
    Calls().clear();
    RunScreenEffect(fx, env, bFreeze);
    return Calls();
  }
  drawtest::Recorder rec;
  DDSURFACEDATA back, work, work2, stretch;
  cScrEffectEnv env;
  cScrEffect def;
  cScrEffectPlayer fx;
};

const std::string kCopy = "blt work 0 0 640 480 <- back 0 0 t0";
const std::string kClear = "fill back 0 0 640 480 c16";
const std::string kCopy2 = "blt work2 0 0 640 480 <- back 0 0 t0";

TEST_F(ScreenEffects, KernelHandlersPassTheirParameters) {
  struct Case {
    int kind;
    std::initializer_list<int> params;
    double value;
    V expected;
  };
  const Case cases[] = {
      {4, {10, 0, 640, 15}, 40.0,
       {kCopy, kClear, "alphaop 1", "split back 0 0 640 480 band32 shift40 <- work 0 0 t0 v0", "alphaop reset"}},
      // The vertical split's band comes from the screen width: 640 / 20.
      {5, {10, 0, 480, 20}, 7.9,
       {kCopy, kClear, "alphaop 1", "split back 0 0 640 480 band32 shift7 <- work 0 0 t0 v1", "alphaop reset"}},
      {6, {10, 0, 640, 4, 8}, 12.0,
       {kCopy, kClear, "alphaop 1", "wave back 0 0 640 480 n4 amp12 ph0 band8 <- work 0 0 t0 v0", "alphaop reset"}},
      {7, {10, 0, 480, 3, 10}, 5.0,
       {kCopy, kClear, "alphaop 1", "wave back 0 0 640 480 n3 amp5 ph0 band10 <- work 0 0 t0 v1", "alphaop reset"}},
      {9, {10, 0, 1440}, 90.0,
       {kCopy2, kClear, "alphaop 1", "rotate back 320 240 640 480 320 240 a90 <- work2 0 0 t0", "alphaop reset"}},
      // Hero at (100, 200): farther edges 540 and 280 away.
      {10, {10, 640, 0, 8}, 300.0,
       {kCopy, kClear, "alphaop 1", "circle back 100 200 540 280 r300 step8 <- work 100 200 t0", "alphaop reset"}},
      {13, {10, 1, 60}, 6.0,
       {kCopy2, kClear, "alphaop 1", "mosaic back 0 0 640 480 n6 <- work2 0 0 t0", "alphaop reset"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.kind);
    Start(c.kind, c.params, c.value);
    EXPECT_EQ(Run(), c.expected);
  }
}

TEST_F(ScreenEffects, SplitAndWaveCountsOfZeroDrawOneBand) {
  Start(4, {10, 0, 640, 0}, 3.0);
  EXPECT_EQ(Run().at(3), "split back 0 0 640 480 band480 shift3 <- work 0 0 t0 v0");
  Start(5, {10, 0, 480, 0}, 3.0);
  EXPECT_EQ(Run().at(3), "split back 0 0 640 480 band640 shift3 <- work 0 0 t0 v1");
  Start(6, {10, 0, 640, 0, 8}, 3.0);
  EXPECT_EQ(Run().at(3), "wave back 0 0 640 480 n1 amp3 ph0 band8 <- work 0 0 t0 v0");
}

TEST_F(ScreenEffects, MoveInterpolatesFromStartToEnd) {
  Start(1, {10, 0, 0, 640, -480}, 5.0);
  EXPECT_EQ(Run(), (V{kCopy, kClear, "alphaop 1", "blt back 320 -240 640 480 <- work 0 0 t0", "alphaop reset"}));
}

TEST_F(ScreenEffects, ShakeFillsOnlyTheUncoveredStripAndTurnsAtTheAmplitude) {
  // amplitude 4, 4 shakes over 1 s: 4 * 4 * 4 / 60 per frame.
  Start(2, {10, 4, 4}, 0, 1.0 / 6);
  fx.m_dSpare = 3;
  EXPECT_EQ(Run(), (V{kCopy, "fill back 0 0 4 480 c16", "alphaop 1", "blt back 3 0 640 480 <- work 0 0 t0",
                      "alphaop reset"}));
  EXPECT_DOUBLE_EQ(fx.m_dSpare, 4.0);  // clamped at the amplitude
  EXPECT_EQ(fx.m_nValue1, 1);          // now falling
  fx.m_dSpare = -2;
  EXPECT_EQ(Run().at(1), "fill back 638 0 3 480 c16");
  Start(3, {10, 4, 4}, 0, 1.0 / 6);
  fx.m_dSpare = -2;
  EXPECT_EQ(Run(), (V{kCopy, "fill back 0 478 640 3 c16", "alphaop 1", "blt back 0 -2 640 480 <- work 0 0 t0",
                      "alphaop reset"}));
}

TEST_F(ScreenEffects, ZoomWindowStaysOnScreenAndShrinksBelowOne) {
  Start(11, {10, 640, 1280}, 640.0);  // exactly the frame
  EXPECT_EQ(Run(), (V{"blt stretch 0 0 640 480 <- back 0 0 t0", "alphaop 1",
                      "stretch back 0 0 640 480 <- stretch 0 0 640 480 t0", "alphaop reset"}));
  Start(11, {10, 640, 1280}, 1280.0);  // twice: 320x240 about the hero, moved inside
  EXPECT_EQ(Run().at(2), "stretch back 0 0 640 480 <- stretch 0 80 320 240 t0");
  Start(11, {10, 320, 0}, 320.0);  // half size, centred
  EXPECT_EQ(Run(), (V{"blt stretch 0 0 640 480 <- back 0 0 t0", "alphaop 1", kClear,
                      "stretch back 160 120 320 240 <- stretch 0 0 640 480 t0", "alphaop reset"}));
}

TEST_F(ScreenEffects, LensClearStaysInsideTheWorkSurface) {
  Start(12, {10, 1500, 5, 20, -10}, 700.0);
  // Centre (120, 190); farther edges 520 and 290; h = trunc(1.414.. * 520) = 735.
  EXPECT_EQ(Run(), (V{"fill work2 0 0 640 480 c0", kCopy2, kClear, "alphaop 1",
                      "lens back 120 190 r735 d700 <- work2 120 190 t0 c0", "alphaop reset"}));
  work2.nWidth = 2000;
  work2.nHeight = 2000;
  EXPECT_EQ(Run().at(0), "fill work2 0 0 1470 1470 c0");
  env.nBpp = 16;
  EXPECT_EQ(Run().at(0), "fill work2 0 0 2000 2000 c0");
}

TEST_F(ScreenEffects, BlinkHidesTheFieldWhileTheToggleIsZero) {
  int redraws = 0;
  env.RedrawBackgrounds = [&] { ++redraws; };
  Start(8, {10, 2}, 0, 1.0 / 6);
  EXPECT_TRUE(Run().empty());  // no copy
  EXPECT_EQ(redraws, 1);
  Run();  // counter reaches the interval: toggle flips
  EXPECT_EQ(fx.m_nValue2, 1);
  Run();
  EXPECT_EQ(redraws, 2);
  Run(1);  // frozen: drawn, not counted
  EXPECT_EQ(fx.m_nValue1, 1);
}

TEST_F(ScreenEffects, FrozenEffectsKeepTheirState) {
  Start(6, {10, 0, 640, 4, 8}, 12.0, 2.0);
  fx.m_nValue1 = 359;
  Run(1);
  EXPECT_EQ(fx.m_nValue1, 359);
  EXPECT_DOUBLE_EQ(fx.m_dValue, 12.0);
  Run();
  EXPECT_EQ(fx.m_nValue1, 0);  // the phase wraps at 360
  EXPECT_DOUBLE_EQ(fx.m_dValue, 14.0);
}

TEST_F(ScreenEffects, EndingClearsTheNumberAndLeavesTheVirtualBackBuffer) {
  Start(13, {10, 1, 8}, 8.0, 1.0);
  EXPECT_EQ(Run().back(), "virback 0");
  EXPECT_EQ(fx.m_nIndex, 0);
  EXPECT_TRUE(Run().empty());  // nothing active
}

TEST_F(ScreenEffects, KindZeroAndUnknownKindsNeverEnd) {
  for (int kind : {0, 14, -1}) {
    Start(kind, {10}, 0);
    for (int i = 0; i < 100; ++i) Run();
    EXPECT_EQ(fx.m_nIndex, 1) << kind;
  }
}

}  // namespace
