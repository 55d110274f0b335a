// ctest-label: engine
#include "engine/rules/ScrollAxis.h"

#include <gtest/gtest.h>

#include "data/Stage.h"

namespace {
cScrollAxis Horizontal(int chips) {
  cScrollAxis a;
  a.Layout(0, chips, 0);
  return a;
}
}  // namespace

TEST(ScrollAxis, LayoutOfBothAxes) {
  cScrollAxis x = Horizontal(20);
  EXPECT_EQ(x.m_nView, 640);
  EXPECT_EQ(x.m_nCells, 40);
  EXPECT_EQ(x.m_nShift, 6);  // 39 needs 6 bits
  EXPECT_EQ(x.m_nPitch, 64);
  EXPECT_EQ(x.m_nOrigin, 320);
  EXPECT_EQ(x.m_nDefaultUpper, 960);
  EXPECT_EQ(x.m_nExtent, 640);
  EXPECT_EQ(Horizontal(13).m_nShift, 6);  // 32 needs 6 bits, 31 needs 5
  EXPECT_EQ(Horizontal(12).m_nShift, 5);
  EXPECT_EQ(Horizontal(-30).m_nDefaultUpper, 0);

  cScrollAxis y;
  y.Layout(1, 15, 100);
  EXPECT_EQ(y.m_nView, 480);
  EXPECT_EQ(y.m_nShift, 0);
  EXPECT_EQ(y.m_nPitch, 35);
  EXPECT_EQ(y.m_nExtent, 740);
}

TEST(ScrollAxis, BoundsAndClampForAStageTwentyChipsWide) {
  cScrollAxis x = Horizontal(20);
  x.SetBounds(3, 7, 0, 0);
  EXPECT_EQ(x.m_nLower, 320);
  EXPECT_EQ(x.m_nUpper, 960);
  x.m_dPos = 500;
  x.Clamp();
  EXPECT_EQ(x.m_dPos, 320);  // 960 - 640
  EXPECT_EQ(x.m_bAtLimit, 1);

  // A right limit left of the left limit pins the view to the lower bound.
  x.SetBounds(10, 4, 1, 1);
  EXPECT_EQ(x.m_nLower, 640);
  EXPECT_EQ(x.m_nUpper, 640);
  x.m_dPos = 0;
  x.Clamp();
  EXPECT_EQ(x.m_dPos, 640);
  x.m_dPos = 900;
  x.Clamp();
  EXPECT_EQ(x.m_dPos, 640);

  // Exactly at the lower bound with room above: not at a limit; far edge
  // exactly at the upper bound: at a limit.
  cScrollAxis wide = Horizontal(60);
  wide.SetBounds(0, 0, 0, 0);
  wide.m_dPos = 320;
  wide.Clamp();
  EXPECT_EQ(wide.m_bAtLimit, 0);
  wide.m_dPos = wide.m_nUpper - 640;
  wide.Clamp();
  EXPECT_EQ(wide.m_bAtLimit, 1);
}

TEST(ScrollAxis, AutoSpeedIsSpreadOverTheSubSteps) {
  int saved = Stage.m_HitLevel;
  Stage.SetHitLevel(4);
  cScrollAxis x = Horizontal(60);
  x.SetBounds(0, 0, 0, 0);
  x.m_dPos = 320;
  x.SetAutoSpeed(1, 10);
  EXPECT_EQ(x.m_dAutoSpeed, 0.25);
  EXPECT_EQ(x.m_bAuto, 1);
  for (int i = 0; i < 4; ++i) x.Update();
  EXPECT_EQ(x.m_dPos, 321);  // one pixel per frame
  x.SetAutoSpeed(0, 10);
  EXPECT_EQ(x.m_dAutoSpeed, 0);
  EXPECT_EQ(x.m_bAuto, 0);
  Stage.SetHitLevel(saved);
}
