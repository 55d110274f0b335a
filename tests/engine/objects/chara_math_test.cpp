// ctest-label: engine
#include "engine/objects/CharaMath.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

TEST(CharaMath, Units) {
  EXPECT_EQ(HblToPixels(-3), -48);
  EXPECT_EQ(HblToPixels(127), 2032);
  EXPECT_DOUBLE_EQ(ScaleAccel(100, 4.0), 0.25);
  EXPECT_DOUBLE_EQ(ScaleAccel(-50, 1.0), -0.5);
  EXPECT_DOUBLE_EQ(ScaleAccel(100, 0.0), 1.0);  // a stage without sub-steps yet
}

TEST(CharaMath, JumpSpeeds) {
  // g = 0.5 (G = 0.5, n = 1), h = 64 pixels (4 half-blocks).
  EXPECT_DOUBLE_EQ(JumpStartSpeed(64, 0.5, 0.5, false), -8.25390529679106);
  EXPECT_DOUBLE_EQ(JumpStartSpeed(64, 0.5, 0.5, true), -8.068192427613262);
  // g = 0.5, h = 5: (−0.5 − √(0.5 × 40.5)) / 2 = (−0.5 − 4.5) / 2.
  EXPECT_DOUBLE_EQ(JumpStartSpeed(5, 0.5, 0.5, false), -2.5);
  // n = 2: g = 0.5 / 4 = 0.125; (−0.125 − √(0.125 × 512.125)) / 2 = (−0.125 − 8.000976...) / 2.
  EXPECT_DOUBLE_EQ(JumpStartSpeed(64, 0.125, 0.5, false), -4.062988251451315);
  // The hero's factor takes the stage gravity G, not g: 0.99 − 0.025 × 2 = 0.94.
  EXPECT_DOUBLE_EQ(JumpStartSpeed(5, 0.5, 2.0, true), -2.5 * 0.94);
  // Height 0 just cancels one step of gravity.
  EXPECT_DOUBLE_EQ(JumpStartSpeed(0, 0.5, 0.5, false), -0.5);
}

TEST(CharaMath, JumpDurations) {
  // v = −8.2539... (g = 0.5, h = 64): 1 + 16.5078, truncated.
  EXPECT_EQ(FramesToApex(-8.25390529679106, 0.5, 1.0), 17);
  EXPECT_EQ(JumpTimeUnits(17, 1), 3);
  // n = 2, g = 0.125, v = −4.062988...: 2 + 32.5039... = 34.5039, truncated 34;
  // 34 / 2 / 6 + 1 = 3 time units.
  EXPECT_EQ(FramesToApex(-4.062988251451315, 0.125, 2.0), 34);
  EXPECT_EQ(JumpTimeUnits(34, 2), 3);
  // 17 / 2 = 8, 8 / 6 = 1: 2 units.
  EXPECT_EQ(JumpTimeUnits(17, 2), 2);
  // n = 3: 100 / 3 = 33, 33 / 6 = 5: 6 units.
  EXPECT_EQ(JumpTimeUnits(100, 3), 6);
  // v = −2.5, g = 0.5, n = 1: 1 + 5 = 6 exactly.
  EXPECT_EQ(FramesToApex(-2.5, 0.5, 1.0), 6);
}

TEST(CharaMath, NoNaNFromGravityOrHeight) {
  // No gravity: speed -0, and the apex never comes: n.
  const double v0 = JumpStartSpeed(64, 0.0, 0.0, false);
  EXPECT_FALSE(std::isnan(v0));
  EXPECT_EQ(FramesToApex(v0, 0.0, 3.0), 3);
  EXPECT_EQ(JumpTimeUnits(FramesToApex(v0, 0.0, 3.0), 3), 1);
  // A negative height (signed byte data) takes the root of height 0.
  const double vn = JumpStartSpeed(HblToPixels(-8), 0.5, 0.5, false);
  EXPECT_DOUBLE_EQ(vn, -0.5);
  EXPECT_EQ(FramesToApex(vn, 0.5, 1.0), 2);
  EXPECT_EQ(JumpTimeUnits(17, 0), 3);  // a sub-step count of 0 counts as 1
}

struct CameraCase {
  int lower, upper;
  double x;
  double camera;
};

TEST(CharaMath, HeroCameraTable) {
  // A 32-pixel box; a stage 60 chips wide without scroll limits (320..2240),
  // and one 15 chips wide (320..800), where the upper bound wins.
  const CameraCase cases[] = {
      {320, 2240, 500, 320},   // 500 − 304 is below the lower bound
      {320, 2240, 1300, 996},  // centred
      {320, 2240, 2100, 1600}, // 2240 − 640
      {320, 2240, 1904, 1600}, // right edge of the view exactly at the bound
      {320, 2240, 1903, 1599},
      {320, 800, 700, 160},
  };
  for (const auto& c : cases) {
    EXPECT_DOUBLE_EQ(FollowCamera(c.x, 32, 320, 640, c.lower, c.upper), c.camera) << c.x;
  }
  // Vertically the centre goes to 240 of 480.
  EXPECT_DOUBLE_EQ(FollowCamera(1000, 24, 240, 480, 320, 2000), 1000 - (240 - 12));
}

}  // namespace

namespace {

TEST(CharaMath, SightSlice) {
  int x, y;
  // A 1280 × 960 overlay; a 32-pixel cell at screen (300, 200).
  SightSlice(1280, 960, 32, 32, 300, 200, 1, 1, 64, &x, &y);
  EXPECT_EQ(x, 640 - 16 - 300);
  EXPECT_EQ(y, 480 - 16 - 200);
  // In front, facing right: the opening 64 pixels into the cell from its left.
  SightSlice(1280, 960, 32, 32, 300, 200, 2, 1, 64, &x, &y);
  EXPECT_EQ(x, 640 - 16 - 300 + 16 - 64);
  SightSlice(1280, 960, 32, 32, 300, 200, 4, -1, 64, &x, &y);
  EXPECT_EQ(x, 640 - 16 - 300 - 16 + 64);
  // Clamped to the overlay.
  SightSlice(1280, 960, 32, 32, 700, -400, 1, 1, 64, &x, &y);
  EXPECT_EQ(x, 0);
  EXPECT_EQ(y, 480);
}

}  // namespace
