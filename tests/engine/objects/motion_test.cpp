// ctest-label: engine
#include "engine/objects/Motion.h"

#include <gtest/gtest.h>

#include <cmath>

#include "data/System.h"
#include "engine/objects/Chara.h"
#include "engine/objects/StageClamp.h"
#include "tests/engine/engine_fixture.h"

namespace {

struct MotionTest : ::testing::Test {
  enginetest::World world{60, 40, 3};
  void SetUp() override { SystemData.m_Switch214 = 0; }
  void TearDown() override { SystemData.m_Switch214 = 0; }
};

cChara MakeChara(int id, int cx, int cy, int active = 1, int onScreen = 1) {
  cChara c;
  c.m_nID = id;
  c.m_nPicW = c.m_nPicH = 20;
  c.m_nScrLeft = cx - 10;
  c.m_nScrTop = cy - 10;
  c.m_bActive = active;
  c.m_bOnScreen = onScreen;
  return c;
}

}  // namespace

TEST_F(MotionTest, StepWithTheSpeedCapAndGravity) {
  ASSERT_EQ(Stage.m_SubSteps, 3);
  cGameObj o;
  o.m_nW = o.m_nH = 20;
  o.m_dX = 1000;
  o.m_dY = 600;
  o.m_dVX = 10;
  EXPECT_EQ(o.StepX(2), 0);
  EXPECT_EQ(o.m_dX, 1006);
  EXPECT_EQ(o.m_dVX, 6);
  o.m_dVY = -7.5;
  o.StepY(2);
  EXPECT_EQ(o.m_dY, 594);
  o.m_dX = 2;
  o.m_dVX = -5;
  EXPECT_EQ(o.StepX(2), 3);  // clamped at the world's edge

  // Gravity per sub-step is G / n²: G = 0.9 at n = 3 adds 0.1.
  const double savedGravity = Stage.m_Gravity;
  Stage.m_Gravity = 0.9;
  Stage.SetHitLevel(3);
  o.m_dVY = 0.25;
  o.ApplyGravity();
  EXPECT_DOUBLE_EQ(o.m_dVY, 0.35);
  o.m_bFly = 1;
  o.ApplyGravity();
  EXPECT_DOUBLE_EQ(o.m_dVY, 0.35);  // a flyer keeps its speed
  Stage.m_Gravity = savedGravity;

  o.m_dDecel = 0.5;
  const struct {
    double v0, after;
  } friction[] = {{1.2, 0.7}, {-1.2, -0.7}, {0.3, 0}, {-0.3, 0}, {0.5, 0}, {0, 0}};
  for (const auto& f : friction) {
    double v = f.v0;
    o.ApplyFriction(&v, 0);
    EXPECT_EQ(v, f.v0);
    o.ApplyFriction(&v, 1);
    EXPECT_DOUBLE_EQ(v, f.after) << f.v0;
  }
}

TEST_F(MotionTest, SplitSpeed) {
  cGameObj o;
  double vx = 4, vy = 5;
  o.SplitSpeed(&vx, &vy, 0, 1, 1);
  EXPECT_EQ(vx, 4);
  EXPECT_EQ(vy, 5);
  o.SplitSpeed(&vx, &vy, 10, 0, 0);
  EXPECT_EQ(vx, 0);
  EXPECT_EQ(vy, 0);
  // Power −53 along (11, −42): s = 53, shares −11 and 42. At n = 3 a share d
  // gives (√(1 + 384 |d|) − 1) / 6: √4225 = 65 and √16129 = 127.
  o.SplitSpeed(&vx, &vy, -53, 11, -42);
  EXPECT_DOUBLE_EQ(vx, -64.0 / 6);
  EXPECT_DOUBLE_EQ(vy, 21);
  // At n = 1 a share of 31 gives (√3969 − 1) / 2 = 31; of 0, nothing.
  Stage.SetHitLevel(1);
  o.SplitSpeed(&vx, &vy, 31, -2, 0);
  EXPECT_DOUBLE_EQ(vx, -31);
  EXPECT_EQ(vy, 0);
}

TEST_F(MotionTest, WavesAdvanceAndWrapThePhase) {
  // a = 10, b = 90 (k = π / 2), n = 3.
  double phase = 1079.5;  // 360n - 0.5
  // t = 359.8333 frames, k t = 345° (mod 360°): (π / 2) × 10 × cos 15° / 3.
  EXPECT_NEAR(WaveCos(10, 90, &phase, 1.0, 0), 5.057575799637213, 1e-12);
  EXPECT_DOUBLE_EQ(phase, 0.5);
  // t = 0.5 / 3 + 1.5 = 5 / 3, k t = 150°: −10 × (π / 2)² × 0.5 / 9 = −5π² / 36.
  EXPECT_NEAR(WaveSin(10, 90, &phase, 2.0, 1.5), -1.3707783890401887, 1e-12);
  EXPECT_DOUBLE_EQ(phase, 2.5);
  // t = 2 frames, k t = 180°: (π / 2) × 10 × (−1) / 3 = −5π / 3.
  phase = 6;
  EXPECT_NEAR(WaveCos(10, 90, &phase, 3.0, 0), -5.235987755982989, 1e-12);
  EXPECT_DOUBLE_EQ(phase, 9);
}

TEST_F(MotionTest, ArrivalRules) {
  double vx, vy;
  int dir = -1;
  // One axis: arrives only strictly inside the speed.
  EXPECT_EQ(ApproachCoreX(&vx, &vy, &dir, nullptr, 100, 102, 2, 0, 1), 0);
  EXPECT_EQ(vx, 2);
  EXPECT_EQ(dir, 2);
  EXPECT_EQ(ApproachCoreX(&vx, &vy, &dir, nullptr, 100, 101.5, 2, 0, 1), 1);
  EXPECT_EQ(ApproachCoreY(&vx, &vy, &dir, nullptr, 100, 90, 2, 0, 1), 0);
  EXPECT_EQ(vy, -2);
  EXPECT_EQ(dir, 0);
  EXPECT_EQ(ApproachCoreX(&vx, &vy, &dir, nullptr, 100, 101.5, 2, 0, 0), 0);  // no arrival asked
  // Two axes: arrives when both distances are at most the speed.
  EXPECT_EQ(ApproachCore(&vx, &vy, &dir, nullptr, 100, 100, 102, 98, 2, 0, 0, 1), 1);
  EXPECT_EQ(ApproachCore(&vx, &vy, &dir, nullptr, 100, 100, 102.5, 98, 2, 0, 0, 1), 0);
  EXPECT_DOUBLE_EQ(std::hypot(vx, vy), 2);
  EXPECT_EQ(dir, 2);
  // The same point: no direction, no division by zero.
  EXPECT_EQ(ApproachCore(&vx, &vy, &dir, nullptr, 5, 5, 5, 5, 2, 0, 0, 1), 1);
  EXPECT_EQ(vx, 0);
  EXPECT_EQ(dir, 0);
}

TEST_F(MotionTest, FleeingMovesAwayOnBothAxes) {
  double vx, vy;
  int dir;
  EXPECT_EQ(ApproachCore(&vx, &vy, &dir, nullptr, 100, 100, 100, 150, -2, 0, 0, 1), 0);
  double s = 2 / std::sqrt(2.0);
  EXPECT_NEAR(vx, s, 1e-15);  // exactly at the target's x: moves right
  EXPECT_NEAR(vy, -s, 1e-15);
  EXPECT_EQ(dir, 2);
  // bNoFlee: a negative speed approaches backwards instead.
  ApproachCore(&vx, &vy, &dir, nullptr, 100, 100, 100, 150, -2, 0, 1, 0);
  EXPECT_DOUBLE_EQ(vy, -2);
}

TEST_F(MotionTest, ScrollCompensation) {
  world.m_ScrollX.m_dAutoSpeed = 0.5;
  cGameObj plain;
  cGameObj synced;
  synced.m_bScrollSync = 1;
  double vx, vy;
  int dir;
  // A target that does not move with the screen: the scroll is taken off.
  ApproachCore(&vx, &vy, &dir, &plain, 0, 0, 100, 0, 2, 0, 0, 0);
  EXPECT_DOUBLE_EQ(vx, 1.5);
  // With bFlag, a synchronised target needs nothing.
  ApproachCore(&vx, &vy, &dir, &synced, 0, 0, 100, 0, 2, 1, 0, 0);
  EXPECT_DOUBLE_EQ(vx, 2);
  // The scroll-relative switch adds the scroll instead.
  SystemData.m_Switch214 = 1;
  ApproachCore(&vx, &vy, &dir, &plain, 0, 0, 100, 0, 2, 0, 0, 0);
  EXPECT_DOUBLE_EQ(vx, 2.5);
  ApproachCoreX(&vx, &vy, &dir, &synced, 0, 100, 2, 0, 0);
  EXPECT_DOUBLE_EQ(vx, 2.5);
  // Held at a bound, the camera does not move: nothing to compensate.
  world.m_ScrollX.m_bAtLimit = 1;
  ApproachCore(&vx, &vy, &dir, &plain, 0, 0, 100, 0, 2, 0, 0, 0);
  EXPECT_DOUBLE_EQ(vx, 2);
}

TEST_F(MotionTest, InterceptOfATargetMovingWithTheScreen) {
  world.m_ScrollX.m_dAutoSpeed = 0.4;
  world.m_ScrollY.m_dAutoSpeed = -0.3;
  cGameObj synced;
  synced.m_bScrollSync = 1;
  struct Case {
    double dx, dy;
  };
  // Towards the point as seen on the screen, at the straight move's speed.
  for (Case c : {Case{100, 30}, Case{20, 90}, Case{100, -30}, Case{-20, 90}}) {
    double vx, vy;
    int dir = 9;
    ApproachCore(&vx, &vy, &dir, &synced, 0, 0, c.dx, c.dy, 3, 0, 0, 0);
    double rx = vx - 0.4, ry = vy + 0.3;
    EXPECT_NEAR(rx * c.dy - ry * c.dx, 0, 1e-9) << c.dx << " " << c.dy;
    EXPECT_GT(rx * c.dx + ry * c.dy, 0) << c.dx << " " << c.dy;
    EXPECT_EQ(dir, vx < 0 ? 1 : 2);
    // The magnitude is exact where the root is taken as it is (the leading
    // axis positive); with it negative the negated root is kept as written.
    if ((std::fabs(c.dy) < std::fabs(c.dx) ? c.dx : c.dy) > 0) {
      EXPECT_NEAR(std::hypot(vx, vy), 3, 1e-9) << c.dx << " " << c.dy;
    }
  }
  // Too slow to catch up: the straight velocity is kept.
  double vx, vy;
  int dir;
  world.m_ScrollX.m_dAutoSpeed = 5;
  world.m_ScrollY.m_dAutoSpeed = 0;
  ApproachCore(&vx, &vy, &dir, &synced, 0, 0, 100, 90, 1, 0, 0, 0);
  EXPECT_DOUBLE_EQ(vx, 100 / std::hypot(100.0, 90.0));
  EXPECT_DOUBLE_EQ(vy, 90 / std::hypot(100.0, 90.0));
  // A zero divisor ends at once and leaves the direction alone.
  world.m_ScrollX.m_dAutoSpeed = 0.5;
  dir = 7;
  ApproachCore(&vx, &vy, &dir, &synced, 0, 0, 0, 0, 1, 0, 0, 1);
  EXPECT_EQ(dir, 7);
}

TEST_F(MotionTest, SpansAndPerSecondValues) {
  int lo, hi;
  CalcSpan(&lo, &hi, 100, 20, 0, 0, 0);
  EXPECT_EQ(lo, 110);
  EXPECT_EQ(hi, 110);
  CalcSpan(&lo, &hi, 100, 20, 0, 0, 1);
  EXPECT_EQ(lo, 100);
  EXPECT_EQ(hi, 120);
  CalcSpan(&lo, &hi, 100, 21, 5, 0, 1);
  EXPECT_EQ(lo, 95);
  EXPECT_EQ(hi, 110);
  EXPECT_EQ(SpanOverlap(100, 20, 120, 200, 0, 0, 0, 1, 0, nullptr), 1);  // touching counts
  EXPECT_EQ(SpanOverlap(100, 20, 121, 200, 0, 0, 0, 1, 0, nullptr), 0);
  EXPECT_DOUBLE_EQ(PerSubStep(180), 1.0);
}

TEST_F(MotionTest, NearestSearchesAndFilters) {
  cChara a = MakeChara(1, 110, 100);        // distance 10
  cChara b = MakeChara(2, 100, 90);         // distance 10: a tie, the first wins
  cChara off = MakeChara(3, 101, 100, 1, 0);  // nearest, but off screen
  cChara idle = MakeChara(4, 100, 100, 0, 1); // inactive
  CharaPtrList list{&a, &b, &off, &idle};
  CharaFilter none;
  EXPECT_EQ(FindNearestChara(100, 100, list, 0, none), &a);
  EXPECT_EQ(FindNearestChara(100, 100, list, 1, none), &off);
  EXPECT_EQ(FindNearestChara(100, 100, list, 2, none), &a);
  EXPECT_EQ(FindNearestChara(100, 100, list, 3, none), nullptr);
  a.m_bOnScreen = b.m_bOnScreen = 0;
  EXPECT_EQ(FindNearestChara(100, 100, list, 0, none), &off);  // none on screen: off-screen ones
  EXPECT_EQ(FindNearestChara(100, 100, list, 2, none), nullptr);
  a.m_bOnScreen = b.m_bOnScreen = 1;

  CharaFilter notA;
  notA.bExclId = 1;
  notA.nId = 1;
  EXPECT_EQ(FindNearestChara(100, 100, list, 0, notA), &b);
  b.m_bDead = 1;
  EXPECT_EQ(FindNearestChara(100, 100, list, 0, notA), &off);
  EXPECT_EQ(FindNearestChara(100, 100, list, 2, notA), nullptr);
  b.m_bDead = 0;
  b.m_Def.m_Invincible = 2;
  EXPECT_EQ(FindNearestCharaTo(100, 100, CharaPtrList{&b}), nullptr);
  EXPECT_EQ(FindCharaInList(list, notA), &b);

  // Variable comparisons: divisible by 0 accepts all, not divisible by 0 none.
  a.m_Vars[3] = -9;
  struct Cmp {
    int cmp, value;
    bool match;
  };
  for (Cmp c : {Cmp{0, -9, true}, Cmp{1, -9, false}, Cmp{2, -9, true}, Cmp{3, -10, false}, Cmp{4, -10, true},
                Cmp{5, -9, false}, Cmp{6, 3, true}, Cmp{6, 0, true}, Cmp{7, 4, true}, Cmp{7, 0, false},
                Cmp{8, 0, false}}) {
    CharaFilter f;
    f.bVar = 1;
    f.nVar = 3;
    f.nCmp = c.cmp;
    f.nValue = c.value;
    EXPECT_EQ(PassesCharaFilter(&a, f), c.match ? 1 : 0) << c.cmp << " " << c.value;
  }
  CharaFilter badVar;
  badVar.bVar = 1;
  badVar.nVar = 99;
  EXPECT_EQ(PassesCharaFilter(&a, badVar), 0);

  CharaIdTable table{{&a, 5}, {&b, 5}, {nullptr, 5}, {&off, 6}};
  EXPECT_EQ(LookupCharaById(table, 5, none), &b);
  EXPECT_EQ(LookupCharaById(table, 7, none), nullptr);
}

namespace {

// The step's speed cap: v past either side becomes that side; NaN (speed
// or cap) changes nothing; a negative cap (bad data) gives -cap for a speed
// below it and cap otherwise.
TEST(StepSpeedCap, LimitsToEitherSide) {
  const double nan = std::nan("");
  const double inf = INFINITY;
  struct Case {
    double v, cap, capped;
  };
  const Case cases[] = {
      {3, 6, 3},     {6, 6, 6},     {-6, 6, -6}, {7, 6, 6},   {-7, 6, -6},  {inf, 6, 6},
      {-inf, 6, -6}, {-1, 0, -0.0}, {1, 0, 0},   {1, -2, -2}, {-5, -2, 2},  {-2, -2, 2},
      {nan, 6, nan}, {3, nan, 3},   {-0.0, 0, -0.0},
  };
  for (const Case& k : cases) {
    double v = k.v;
    CapStepSpeed(v, k.cap);
    if (std::isnan(k.capped)) {
      EXPECT_TRUE(std::isnan(v)) << k.v << " " << k.cap;
    } else {
      EXPECT_EQ(v, k.capped) << k.v << " " << k.cap;
      EXPECT_EQ(std::signbit(v), std::signbit(k.capped)) << k.v << " " << k.cap;
    }
  }
}

}  // namespace
