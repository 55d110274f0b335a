// ctest-label: engine
// The shot object: set-up, the sub-step with lifetime and range, the map
// test, the links, and the ten movement kinds.
#include "engine/shots/Shot.h"

#include <gtest/gtest.h>

#include <cmath>
#include <iterator>
#include <limits>
#include <string>

#include "data/Database.h"
#include "data/Stage.h"
#include "engine/objects/Chara.h"
#include "engine/objects/Hero.h"
#include "engine/shots/ShotMove.h"
#include "engine/World.h"
#include "engine/objects/ChipSheets.h"
#include "tests/engine/engine_fixture.h"
#include "tests/media/graphics/GraphicsTestSupport.h"

namespace {

// A firer with a 32 x 32 picture whose screen rectangle is set directly.
cChara MakeFirer(int scrLeft, int scrTop, int faceRight) {
  cChara c;
  c.m_nID = 7;
  c.m_nObjKind = 1;
  c.m_nBlockSide = 2;
  c.m_bFaceRight = faceRight;
  c.m_nPicW = c.m_nPicH = 32;
  c.m_nScrLeft = scrLeft;
  c.m_nScrTop = scrTop;
  c.m_nScrRight = scrLeft + 31;
  c.m_nScrBottom = scrTop + 31;
  return c;
}

ShotLaunch Launch(double vx, double vy, int x = 600, int y = 600) {
  ShotLaunch l;
  l.dVX = vx;
  l.dVY = vy;
  l.dSpeed = std::sqrt(vx * vx + vy * vy);
  l.nX = x;
  l.nY = y;
  return l;
}

struct ShotTest : ::testing::Test {
  enginetest::World world{60, 40, 1};  // one sub-step per frame
  cChara firer = MakeFirer(200, 200, 1);
  cEdShot def;
  void SetUp() override {
    Stage.m_ShotHitW = 10;
    Stage.m_ShotHitH = 6;
    Stage.m_Shot2HitW = 8;
    Stage.m_Shot2HitH = 4;
  }
};

// Steps the shots once; the shots of the cases that stay are left in order
// (check looks at each), the others are gone.
template <class Case, size_t N, class Check>
void StepAndCheckKept(cPlayWorld& world, const Case (&cases)[N], Check check) {
  StepShots(world);
  auto it = world.m_Shots.begin();
  int id = 0;
  for (const Case& c : cases) {
    ++id;
    if (!c.stays) continue;
    ASSERT_NE(it, world.m_Shots.end()) << c.name;
    EXPECT_EQ(it->m_nID, id) << c.name;
    check(c, *it);
    ++it;
  }
  EXPECT_EQ(it, world.m_Shots.end());
}

}  // namespace

TEST_F(ShotTest, SetupSizeFacingHitBoxAndAcceleration) {
  def.m_ShotSize = 0;  // counts as 1
  def.m_ExtraFlag = 1;
  def.m_ExtraValue1 = 30;
  def.m_ExtraValue2 = 10;
  cShot s;
  ShotLaunch l = Launch(0, -4);
  l.nClone = 2;
  firer.m_bFaceRight = 0;
  s.Setup(1, &firer, 11, &def, l);
  EXPECT_EQ(s.m_nW, 16);
  EXPECT_EQ(s.m_nH, 16);
  EXPECT_EQ(s.m_bShot, 1);
  EXPECT_EQ(s.m_bFaceRight, 0);  // straight up keeps the owner's facing
  EXPECT_EQ(s.m_nOwnerId, 7);
  EXPECT_EQ(s.m_bFly, 1);
  // A stage character's shot takes the characters' hit size, centred in the cell.
  EXPECT_EQ(s.m_nHitW, 8);
  EXPECT_EQ(s.m_nHitH, 4);
  EXPECT_EQ(s.m_nHitX, 4);
  EXPECT_EQ(s.m_nHitY, 6);
  EXPECT_EQ(s.m_HitRect.left, 604);
  EXPECT_EQ(s.m_HitRect.bottom, 609);
  // (30 + 10 * 2) * 0.1 = 5, split along straight up: (0, -5 / 60).
  EXPECT_DOUBLE_EQ(s.m_dAccel, 5.0);
  EXPECT_DOUBLE_EQ(s.m_dVX2, 0);
  EXPECT_DOUBLE_EQ(s.m_dVY2, -5.0 / 60);

  firer.m_nObjKind = 0;  // the hero's shots take the hero's size
  def.m_OptionB = 1;     // the owner's side
  cShot h;
  h.Setup(2, &firer, 11, &def, Launch(3, 0));
  EXPECT_EQ(h.m_bFaceRight, 1);
  EXPECT_EQ(h.m_nHitW, 10);
  EXPECT_EQ(h.m_nHitX, 3);
  EXPECT_EQ(h.m_nBlockSide, 2);

  def.m_ShotSize = 2;
  cShot big;
  big.Setup(3, &firer, 11, &def, Launch(-3, 0));
  EXPECT_EQ(big.m_nW, 32);
  EXPECT_EQ(big.m_nHitW, 20);
  EXPECT_EQ(big.m_bFaceRight, 0);
}

TEST_F(ShotTest, LifetimeZeroEndsInTheFirstSubStep) {
  def.m_LifeLimited = 1;
  cShot s;
  ShotLaunch l = Launch(2, 0);
  l.nLife = 0;
  s.Setup(1, &firer, 11, &def, l);
  EXPECT_EQ(s.Step(), 1);

  l.nLife = 1;  // a tenth of a second: 6 frames of one sub-step
  cShot t;
  t.Setup(1, &firer, 11, &def, l);
  for (int i = 0; i < 6; ++i) EXPECT_EQ(t.Step(), 0) << i;
  EXPECT_EQ(t.Step(), 1);
}

TEST_F(ShotTest, RangeShorterThanOneFrameIsCoveredInExactlyOneFrame) {
  def.m_MoveTimeLimited = 1;
  ShotLaunch l = Launch(-40, 0);
  l.nRange = 3;  // 48 pixels, less the shot's width: 32
  cShot s;
  s.Setup(1, &firer, 11, &def, l);
  EXPECT_EQ(s.m_nRangeLeft, 1);
  EXPECT_DOUBLE_EQ(s.m_dFlyVX, -32);
  EXPECT_DOUBLE_EQ(s.m_dFlyVY, 0);
  EXPECT_EQ(s.Step(), 0);
  EXPECT_EQ(s.Step(), 1);

  def.m_StopAtMoveEnd = 1;
  def.m_ShotMove = 8;
  cShot t;
  t.Setup(1, &firer, 11, &def, l);
  EXPECT_EQ(t.Step(), 0);
  EXPECT_EQ(t.Step(), 0);  // stops for good instead
  EXPECT_EQ(t.m_dFlyVX, 0);
  EXPECT_EQ(t.m_dVX, 0);
  EXPECT_EQ(t.m_ShotDef.m_ShotMove, 0);

  // A long range: trunc(d / speed) sub-steps.
  cShot u;
  l.nRange = 10;  // 160 - 16 = 144 pixels at 40: 3 sub-steps
  def.m_StopAtMoveEnd = 0;
  u.Setup(1, &firer, 11, &def, l);
  EXPECT_EQ(u.m_nRangeLeft, 3);
  EXPECT_DOUBLE_EQ(u.m_dFlyVX, -40);
}

TEST_F(ShotTest, StepAppliesFlightAccelerationAndScrollSync) {
  def.m_ExtraFlag = 1;
  def.m_ExtraValue1 = 600;  // 60 px/frame per second: 1 px per frame per frame
  cShot s;
  s.Setup(1, &firer, 11, &def, Launch(2, 0));
  EXPECT_EQ(s.Step(), 0);
  EXPECT_DOUBLE_EQ(s.m_dFlyVX, 3);
  EXPECT_DOUBLE_EQ(s.m_dVX, 3);
  s.MoveX();  // the acceleration counts once more in the applied velocity
  EXPECT_DOUBLE_EQ(s.m_dX, 604);

  def.m_ExtraFlag = 0;
  def.m_HomingOption = 1;
  world.m_ScrollX.m_dAutoSpeed = 1.5;
  cShot t;
  t.Setup(2, &firer, 11, &def, Launch(2, 0));
  t.Step();
  EXPECT_DOUBLE_EQ(t.m_dVX, 3.5);
  world.m_ScrollX.m_bAtLimit = 1;
  t.Step();
  EXPECT_DOUBLE_EQ(t.m_dVX, 2);
}

// A shot taller than the 1920-pixel world: the step's clamp meets the
// bottom (6) and leaves the top at -80; the second clamp moves it to 0 and
// its report (3) is the one returned.
TEST_F(ShotTest, AShotTallerThanTheWorldEndsAtTheTop) {
  cShot s;
  s.m_nW = 16;
  s.m_nH = 2000;
  s.m_dY = 100;
  s.m_dVY = 1;
  EXPECT_EQ(s.MoveY(), 3);
  EXPECT_DOUBLE_EQ(s.m_dY, 0);
  EXPECT_DOUBLE_EQ(s.m_dBottom, 1999);
}

TEST_F(ShotTest, MapTestSamplesWideShotsOnAGrid) {
  cShot s;
  def.m_ShotSize = 3;  // 48 x 48
  s.Setup(1, &firer, 11, &def, Launch(1, 0, 640, 640));
  // Cells of world pixels 640..687: columns 20..21 (map columns 10..11).
  EXPECT_EQ(s.HitsMap(), 0);
  world.SetBlock(11, 11, 1);  // world cell (21, 21): the box's middle
  EXPECT_EQ(s.HitsMap(), 1);
  def.m_OptionE = 1;  // passes blocks
  cShot p;
  p.Setup(1, &firer, 11, &def, Launch(1, 0, 640, 640));
  EXPECT_EQ(p.HitsMap(), 0);

  // A narrow, tall shot tests only its corners: a block beside the middle row is missed.
  def.m_OptionE = 0;
  def.m_ShotSize = 1;
  cShot tall;
  tall.Setup(1, &firer, 11, &def, Launch(1, 0, 672, 640));
  tall.m_nH = 80;  // rows 20..22, the middle row 21 is not a corner
  tall.m_dY = 640;
  tall.ClampStageY(2);
  EXPECT_EQ(tall.HitsMap(), 0);
  tall.m_nW = 48;
  tall.m_dX = 650;
  tall.ClampX();
  EXPECT_EQ(tall.HitsMap(), 1);
}

// The pass over all shots: plain flights (no acceleration, life, range,
// move kind or scroll sync) and the others, each stepped, moved and tested
// against the map, and removed when they end.
TEST_F(ShotTest, StepShotsMovesEachShotAndRemovesThoseThatEnd) {
  world.m_nSubStep = 1;
  cCond never;
  never.m_Kind = 9;  // a condition that never holds
  // World cell (18, 18): solid, but only while its condition holds.
  world.SetBlock(8, 8, 1).m_Conds.push_back(never);
  world.SetBlock(10, 10, 1);  // world cell (20, 20)
  world.SetBlock(8, 12, 1);   // world cell (18, 22)
  struct Case {
    const char* name;
    ShotLaunch launch;
    bool accel, life;
    bool stays;
    double x, y;
    int faceRight;
  };
  const Case cases[] = {
      // x 578..593, y 576..591: within the conditioned cell, which lets it pass.
      {"in one cell", Launch(2, 0, 576, 576), false, false, true, 578, 576, 1},
      // x 628..643 spans columns 19 and 20; (20, 20) is solid.
      {"across two cells", Launch(8, 0, 620, 640), false, false, false, 0, 0, 0},
      // x 578..593, y 704..719: within the solid cell (18, 22).
      {"in a solid cell", Launch(2, 0, 576, 704), false, false, false, 0, 0, 0},
      // Flight speed 2 + 1 from the step, and the acceleration once more in the move.
      {"accelerating", Launch(2, 0, 600, 800), true, false, true, 604, 800, 1},
      {"life over", Launch(2, 0, 600, 900), false, true, false, 0, 0, 0},
      {"falling", Launch(0, 3, 800, 600), false, false, true, 800, 603, 1},
      {"to the left", Launch(-2, 0, 1000, 600), false, false, true, 998, 600, 0},
  };
  cList<cShot>& shots = world.m_Shots;
  int id = 0;
  for (const Case& c : cases) {
    cEdShot d;
    if (c.accel) {
      d.m_ExtraFlag = 1;
      d.m_ExtraValue1 = 600;  // 1 px per frame per frame
    }
    d.m_LifeLimited = c.life ? 1 : 0;
    cShot s;
    s.Setup(++id, &firer, 11, &d, c.launch);
    AddShot(shots, s);
  }
  StepAndCheckKept(world, cases, [](const Case& c, const cShot& s) {
    EXPECT_DOUBLE_EQ(s.m_dX, c.x) << c.name;
    EXPECT_DOUBLE_EQ(s.m_dY, c.y) << c.name;
    EXPECT_DOUBLE_EQ(s.m_dRight, c.x + 15) << c.name;
    EXPECT_EQ(s.m_nCol, static_cast<int>(c.x) >> 5) << c.name;
    EXPECT_EQ(s.m_HitRect.left, static_cast<int>(c.x) + 4) << c.name;  // hit box 8 wide, centred
    EXPECT_EQ(s.m_bFaceRight, c.faceRight) << c.name;
  });
}

// Plain flights at the step cap and the world's edges, with their boxes:
// hit box 8 wide from x + 4; the world is (60 + 20) * 32 = 2560 wide.
TEST_F(ShotTest, PlainShotsAtTheStepCapAndTheWorldsEdges) {
  world.m_nSubStep = 2;
  const double savedCap = Stage.m_StepCap;
  Stage.m_StepCap = 6;
  struct Case {
    const char* name;
    ShotLaunch launch;
    double x, vx;
    int faceRight;
  };
  const Case cases[] = {
      {"over the cap to the right", Launch(9, 0, 600, 600), 606, 6, 1},
      {"over the cap to the left", Launch(-9, 0, 600, 600), 594, -6, 0},
      {"at the cap", Launch(6, 0, 600, 600), 606, 6, 1},
      {"past the left edge", Launch(-4, 0, 2, 600), 0, -4, 0},
      // 2548 + 15 reaches 2560: back to 2560 - 16.
      {"past the right edge", Launch(4, 0, 2540, 600), 2544, 4, 1},
  };
  int id = 0;
  for (const Case& c : cases) {
    cShot s;
    s.Setup(++id, &firer, 11, &def, c.launch);
    AddShot(world.m_Shots, s);
  }
  StepShots(world);
  ASSERT_EQ(world.m_Shots.size(), std::size(cases));
  auto it = world.m_Shots.begin();
  for (const Case& c : cases) {
    const cShot& s = *it++;
    EXPECT_DOUBLE_EQ(s.m_dX, c.x) << c.name;
    EXPECT_DOUBLE_EQ(s.m_dVX, c.vx) << c.name;
    EXPECT_DOUBLE_EQ(s.m_dRight, c.x + 15) << c.name;
    EXPECT_EQ(s.m_nCol, static_cast<int>(c.x) >> 5) << c.name;
    EXPECT_EQ(s.m_nRightCol, static_cast<int>(c.x + 15) >> 5) << c.name;
    EXPECT_DOUBLE_EQ(s.m_HitRect.left, c.x + 4) << c.name;
    EXPECT_DOUBLE_EQ(s.m_HitRect.right, c.x + 11) << c.name;
    EXPECT_EQ(s.m_bFaceRight, c.faceRight) << c.name;
  }

  // A negative cap (bad data): the speed is first raised to -cap, then cut
  // to cap, so every speed becomes -1.
  Stage.m_StepCap = -1;
  for (cShot& s : world.m_Shots) s.m_dX = 600;
  world.m_Shots.front().m_dFlyVX = 0.5;
  StepShots(world);
  for (const cShot& s : world.m_Shots) {
    EXPECT_DOUBLE_EQ(s.m_dX, 599);
    EXPECT_DOUBLE_EQ(s.m_dVX, -1);
  }
  // A NaN cap (bad data) holds no speed back: every compare with it fails.
  Stage.m_StepCap = std::numeric_limits<double>::quiet_NaN();
  const double flights[] = {9, -9, 0.5, -4, 4};
  auto fit = world.m_Shots.begin();
  for (double v : flights) {
    fit->m_dX = 600;
    (fit++)->m_dFlyVX = v;
  }
  StepShots(world);
  fit = world.m_Shots.begin();
  for (double v : flights) {
    EXPECT_DOUBLE_EQ(fit->m_dVX, v) << v;
    EXPECT_DOUBLE_EQ((fit++)->m_dX, 600 + v) << v;
  }
  Stage.m_StepCap = savedCap;
}

// A plain flight's one-cell map test by its side, and accelerations left
// in a plain flight from elsewhere, which its moves still add.
TEST_F(ShotTest, PlainShotsCellClassBySideAndStrayAccelerations) {
  world.m_nSubStep = 2;
  world.SetBlock(8, 8, 1, 2);   // world cell (18, 18): solid but for side 2
  world.SetBlock(8, 10, 1, 1);  // world cell (18, 20): solid but for side 1
  world.SetBlock(8, 12, 0, 2);  // world cell (18, 22): no class, side 2 excepted
  struct Case {
    const char* name;
    ShotLaunch launch;
    double vx2, vy2;
    bool stays;
    double x, y, vx;
  };
  // Every shot is of side 2; x 576 + 2 .. 593 is within column 18.
  const Case cases[] = {
      {"solid but for its side", Launch(2, 0, 576, 576), 0, 0, true, 578, 576, 2},
      {"solid but for another side", Launch(2, 0, 576, 640), 0, 0, false, 0, 0, 0},
      {"no class, its side excepted", Launch(2, 0, 576, 704), 0, 0, true, 578, 704, 2},
      {"stray x acceleration", Launch(2, 0, 800, 600), 0.5, 0, true, 802.5, 600, 2.5},
      // MoveY: a speed of 0 + 1.
      {"stray y acceleration", Launch(2, 0, 800, 800), 0, 1, true, 802, 801, 2},
  };
  int id = 0;
  for (const Case& c : cases) {
    cShot s;
    s.Setup(++id, &firer, 11, &def, c.launch);
    s.m_nBlockSide = 2;
    s.m_dVX2 = c.vx2;
    s.m_dVY2 = c.vy2;
    AddShot(world.m_Shots, s);
  }
  StepAndCheckKept(world, cases, [](const Case& c, const cShot& s) {
    EXPECT_DOUBLE_EQ(s.m_dX, c.x) << c.name;
    EXPECT_DOUBLE_EQ(s.m_dY, c.y) << c.name;
    EXPECT_DOUBLE_EQ(s.m_dVX, c.vx) << c.name;
  });
}

// A plain flight's speeds are 0 + its flight speeds: -0 becomes +0, a zero
// X speed neither moves nor turns the shot, NaN moves it without turning
// it, and a Y flight speed sends it through MoveY. Stale speeds are
// overwritten. Launched at (600, 600), cap 6.
TEST_F(ShotTest, PlainFlightSpeedsZeroSignNaNAndAYSpeed) {
  world.m_nSubStep = 2;
  const double savedCap = Stage.m_StepCap;
  Stage.m_StepCap = 6;
  const double nan = std::numeric_limits<double>::quiet_NaN();
  struct Case {
    const char* name;
    double flyVX, flyVY;
    int faceBefore;
    double x, y, vx, vy;  // x and vx NaN: both NaN
    int faceAfter, col;
  };
  const Case cases[] = {
      {"+0: stays, facing kept", 0.0, 0.0, 0, 600, 600, 0, 0, 0, 18},
      {"-0: stays, speeds +0", -0.0, -0.0, 1, 600, 600, 0, 0, 1, 18},
      {"right, Y speed -0", 2, -0.0, 0, 602, 600, 2, 0, 1, 18},
      {"left", -2, 0.0, 1, 598, 600, -2, 0, 0, 18},
      {"left and down through MoveY", -2, 1.5, 1, 598, 601.5, -2, 1.5, 0, 18},
      // The truncation of NaN is 0: the box's column is 0.
      {"NaN: moves to NaN, facing kept", nan, 0.0, 1, nan, 600, nan, 0, 1, 0},
  };
  int id = 0;
  for (const Case& c : cases) {
    cShot s;
    s.Setup(++id, &firer, 11, &def, Launch(1, 0, 600, 600));
    s.m_dFlyVX = c.flyVX;
    s.m_dFlyVY = c.flyVY;
    s.m_bFaceRight = c.faceBefore;
    s.m_dVX = 7;  // stale
    s.m_dVY = 5;  // stale
    AddShot(world.m_Shots, s);
  }
  StepShots(world);
  ASSERT_EQ(world.m_Shots.size(), std::size(cases));
  auto it = world.m_Shots.begin();
  for (const Case& c : cases) {
    const cShot& s = *it++;
    if (std::isnan(c.x)) {
      EXPECT_TRUE(std::isnan(s.m_dX)) << c.name;
      EXPECT_TRUE(std::isnan(s.m_dVX)) << c.name;
    } else {
      EXPECT_EQ(s.m_dX, c.x) << c.name;
      EXPECT_EQ(s.m_dVX, c.vx) << c.name;
      EXPECT_FALSE(std::signbit(s.m_dVX) && c.vx == 0) << c.name << ": -0 left in the X speed";
    }
    EXPECT_EQ(s.m_dY, c.y) << c.name;
    EXPECT_EQ(s.m_dVY, c.vy) << c.name;
    EXPECT_FALSE(std::signbit(s.m_dVY)) << c.name << ": the Y speed is never -0 here";
    EXPECT_EQ(s.m_bFaceRight, c.faceAfter) << c.name;
    EXPECT_EQ(s.m_nCol, c.col) << c.name;
  }
  Stage.m_StepCap = savedCap;
}

// One flag set after the set-up takes a shot off the plain flight: each
// then moves or ends as the full step has it.
TEST_F(ShotTest, EachFlagOfAPlainFlightSendsTheShotThroughTheFullStep) {
  world.m_nSubStep = 2;
  const double savedCap = Stage.m_StepCap, savedGravity = Stage.m_GravityStep;
  Stage.m_StepCap = 6;
  Stage.m_GravityStep = 0.5;
  world.m_ScrollX.m_dAutoSpeed = 1.5;
  world.m_ScrollX.m_bAtLimit = 0;
  struct Case {
    const char* name;
    void (*set)(cShot&);
    bool stays;
    double x, y;
  };
  // Launched at (600, 600) at 2 px per sub-step to the right.
  const Case cases[] = {
      {"plain", [](cShot&) {}, true, 602, 600},
      {"scroll sync: the auto-scroll speed 1.5 added", [](cShot& s) { s.m_bScrollSync = 1; }, true, 603.5, 600},
      {"walking: gravity 0.5 moves it down", [](cShot& s) { s.m_bFly = 0; }, true, 602, 600.5},
      {"range on, none left: ends", [](cShot& s) { s.m_ShotDef.m_MoveTimeLimited = 1; }, false, 0, 0},
      {"life on, none left: ends", [](cShot& s) { s.m_ShotDef.m_LifeLimited = 1; }, false, 0, 0},
      // A sword follows its owner, who is not in the character list.
      {"sword: its owner gone, it ends", [](cShot& s) { s.m_bShot = 0; }, false, 0, 0},
  };
  int id = 0;
  for (const Case& c : cases) {
    cShot s;
    s.Setup(++id, &firer, 11, &def, Launch(2, 0, 600, 600));
    c.set(s);
    AddShot(world.m_Shots, s);
  }
  StepAndCheckKept(world, cases, [](const Case& c, const cShot& s) {
    EXPECT_DOUBLE_EQ(s.m_dX, c.x) << c.name;
    EXPECT_DOUBLE_EQ(s.m_dY, c.y) << c.name;
  });
  Stage.m_StepCap = savedCap;
  Stage.m_GravityStep = savedGravity;
}

// A plain shot with a range count left from elsewhere is tested against
// the removal area on a frame's first sub-step only; at x 0 it is out.
TEST_F(ShotTest, PlainShotMeetsTheRemovalAreaOnTheFirstSubStepOnly) {
  for (int subStep : {2, 1}) {
    world.m_nSubStep = subStep;
    cShot s;
    s.Setup(1, &firer, 11, &def, Launch(-4, 0, 2, 600));
    s.m_nRangeLeft = 5;
    AddShot(world.m_Shots, s);
    StepShots(world);
    EXPECT_EQ(world.m_Shots.size(), subStep == 1 ? 0u : 1u) << "sub-step " << subStep;
    EXPECT_DOUBLE_EQ(world.m_Shots.empty() ? 0 : world.m_Shots.front().m_dX, 0);
    world.m_Shots.clear();
    world.m_FactionShots.assign(world.m_FactionShots.size(), ShotPtrList());
  }
}

// A map that ends before its last row: cells past its end are outside
// (clear); a plain shot still reads the cells before the end.
TEST_F(ShotTest, StepShotsOnAMapEndingBeforeItsLastRowTakesCellsPastTheEndAsClear) {
  world.m_nSubStep = 1;
  world.SetBlock(8, 20, 1);   // cell (18, 30): kept
  world.SetBlock(14, 20, 1);  // cell (24, 30): cut off below
  world.SetBlock(8, 21, 1);   // cell (18, 31): cut off below
  // Row 30 keeps its first 20 cells (columns 0..19).
  BlockMap.resize((30u << world.m_ScrollX.m_nShift) + 20u);
  BlockMap.shrink_to_fit();  // a read past the end is caught
  struct Case {
    const char* name;
    int col, row;
    bool stays;
  };
  const Case cases[] = {
      {"solid cell before the end", 18, 30, false},
      {"solid cell cut off in the same row", 24, 30, true},
      {"solid cell cut off in the next row", 18, 31, true},
  };
  cList<cShot>& shots = world.m_Shots;
  int id = 0;
  for (const Case& c : cases) {
    cEdShot d;
    cShot s;
    // x col*32+2 .. +17 after the step, y row*32 .. +15: one cell.
    s.Setup(++id, &firer, 11, &d, Launch(2, 0, c.col * 32, c.row * 32));
    AddShot(shots, s);
  }
  StepAndCheckKept(world, cases, [](const Case& c, const cShot& s) {
    EXPECT_EQ(s.m_nCol, c.col) << c.name;
    EXPECT_EQ(s.m_nRow, c.row) << c.name;
  });
}

TEST_F(ShotTest, AddAndRemoveKeepFactionListsAndLinks) {
  cList<cShot> shots;
  def.m_OptionB = 0;
  def.m_ShotFaction = 3;
  cShot s;
  s.Setup(1, &firer, 11, &def, Launch(1, 0));
  cShot* a = AddShot(shots, s);
  ASSERT_EQ(world.m_FactionShots[3].size(), 1u);
  EXPECT_EQ(world.m_FactionShots[3].front(), a);
  firer.m_ShotLinks.push_back(ShotLink{a, 4});
  RemoveShot(shots, shots.begin());
  EXPECT_TRUE(shots.empty());
  EXPECT_TRUE(world.m_FactionShots[3].empty());
  EXPECT_TRUE(firer.m_ShotLinks.empty());

  // A faction outside the lists stays out of them instead of indexing past them.
  def.m_ShotFaction = 200;
  cShot o;
  o.Setup(2, &firer, 11, &def, Launch(1, 0));
  AddShot(shots, o);
  RemoveShot(shots, shots.begin());
  for (const ShotPtrList& l : world.m_FactionShots) EXPECT_TRUE(l.empty());
}

// ---------------------------------------------------------------- movement

namespace {

struct MoveTest : ShotTest {
  cChara target = MakeFirer(0, 0, 0);
  // The target's screen centre at (cx, cy).
  void PlaceTarget(int cx, int cy) {
    target.m_nScrLeft = cx - 16;
    target.m_nScrTop = cy - 16;
    target.m_nScrRight = cx + 15;
    target.m_nScrBottom = cy + 15;
  }
  // A shot flying right at 4 px per frame from world (x, y).
  cShot Fire(int kind, int move1, int move2, int move3 = 0, int x = 400, int y = 400) {
    def.m_ShotMove = static_cast<uint8_t>(kind);
    def.m_MoveParam[0] = static_cast<int16_t>(move1);
    def.m_MoveParam[1] = static_cast<int16_t>(move2);
    def.m_MoveParam[2] = static_cast<int16_t>(move3);
    def.m_ShotSpeed = 40;
    firer.m_Targets[0] = &target;
    cShot s;
    s.Setup(1, &firer, 11, &def, Launch(4, 0, x, y));
    return s;
  }
};

}  // namespace

TEST_F(MoveTest, AimTurnsOnceAtItsDistance) {
  cShot s = Fire(3, 2, 0);  // 32 pixels at 4 per sub-step: turn at count 8
  s.UpdateScreenPos();
  PlaceTarget(s.ScreenCenterX(), s.ScreenCenterY() + 300);  // straight below the launch point
  for (int i = 0; i < 8; ++i) {
    s.Step();
    EXPECT_DOUBLE_EQ(s.m_dFlyVX, 4) << i;
    s.MoveX();
  }
  s.Step();
  EXPECT_EQ(s.m_bTurnDone, 1);
  // From 32 pixels right of the target's column, 300 - ... below: pointed at it, speed 4.
  EXPECT_LT(s.m_dFlyVX, 0);
  EXPECT_GT(s.m_dFlyVY, 3.9);
  EXPECT_NEAR(std::hypot(s.m_dFlyVX, s.m_dFlyVY), 4, 1e-9);
  double vx = s.m_dFlyVX, vy = s.m_dFlyVY;
  PlaceTarget(0, 0);
  s.Step();
  EXPECT_EQ(s.m_dFlyVX, vx);  // once only
  EXPECT_EQ(s.m_dFlyVY, vy);
}

TEST_F(MoveTest, AimAtAnEmptyOrDeadTargetKeepsTheCourse) {
  cShot s = Fire(3, 0, 0);
  s.m_lpTarget = nullptr;
  s.Step();
  EXPECT_EQ(s.m_bTurnDone, 1);
  EXPECT_DOUBLE_EQ(s.m_dFlyVX, 4);
  EXPECT_DOUBLE_EQ(s.m_dFlyVY, 0);
  target.m_bDead = 1;
  cShot t = Fire(6, 0, 5);
  PlaceTarget(0, 0);
  t.Step();
  EXPECT_DOUBLE_EQ(t.m_dFlyVX, 4);
}

TEST_F(MoveTest, HomingFollowsUntilItsEndDistance) {
  cShot s = Fire(6, 0, 1);  // homes for 16 pixels: counts 0..3
  for (int i = 0; i < 4; ++i) {
    s.UpdateScreenPos();
    // Put the target straight above, then straight below, the shot.
    int dy = i % 2 ? 200 : -200;
    PlaceTarget(s.ScreenCenterX(), s.ScreenCenterY() + dy);
    s.Step();
    EXPECT_NEAR(s.m_dFlyVX, 0, 1e-9) << i;
    EXPECT_NEAR(s.m_dFlyVY, dy > 0 ? 4 : -4, 1e-9) << i;
  }
  s.UpdateScreenPos();
  PlaceTarget(s.ScreenCenterX() + 200, s.ScreenCenterY());
  s.Step();
  EXPECT_EQ(s.m_bTurnDone, 1);
  EXPECT_NEAR(s.m_dFlyVY, 4, 1e-9);  // no longer homing

  cShot never = Fire(6, 0, 0);  // an end distance of 0 never homes
  PlaceTarget(0, 0);
  never.Step();
  EXPECT_DOUBLE_EQ(never.m_dFlyVX, 4);
  EXPECT_EQ(never.m_bTurnDone, 1);
}

TEST_F(MoveTest, WaveSwingsAcrossTheFlightLine) {
  // Amplitude 1 half-block (16 px), 90 degrees per frame, start phase 0.
  cShot s = Fire(8, 1, 90, 0);
  s.Step();
  EXPECT_EQ(s.m_ShotDef.m_MoveParam[0], 16);
  EXPECT_EQ(s.m_nCount, 1);
  // Flying right, the side direction is straight up: h * A = pi / 2 * 16.
  const double h = 3.14159265358979323846 / 2;
  EXPECT_NEAR(s.m_dFlyVY, -h * 16, 1e-9);
  EXPECT_NEAR(s.m_dFlyVX, 4, 1e-9);
  // Over one period (4 frames) the side velocity comes back.
  double y0 = s.m_dFlyVY;
  for (int i = 0; i < 3; ++i) s.Step();
  EXPECT_GT(s.m_dFlyVY, y0);

  cShot flat = Fire(8, 1, 0, 0);  // no angular speed: flies straight
  for (int i = 0; i < 3; ++i) flat.Step();
  EXPECT_DOUBLE_EQ(flat.m_dFlyVX, 4);
  EXPECT_DOUBLE_EQ(flat.m_dFlyVY, 0);
}

TEST_F(MoveTest, FallDropsAtItsDistance) {
  def.m_ShotSpeed = 40;
  cShot now = Fire(9, 0, 0);
  now.m_dFlyVY = -2;
  now.Step();
  EXPECT_EQ(now.m_bFly, 0);
  EXPECT_DOUBLE_EQ(now.m_dVY, -2);  // keeps the launch vertical speed
  EXPECT_DOUBLE_EQ(now.m_dVX, 4);   // and its horizontal flight

  cShot later = Fire(9, 1, 0);  // 16 pixels at 4: four sub-steps of flight
  for (int i = 0; i < 4; ++i) {
    later.Step();
    EXPECT_EQ(later.m_bFly, 1) << i;
  }
  later.Step();
  EXPECT_EQ(later.m_bFly, 0);
}

TEST_F(MoveTest, ZeroSpeedMakesEveryDistanceZero) {
  def.m_ShotSpeed = 0;
  def.m_ShotMove = 9;
  def.m_MoveParam[0] = 10;
  cShot s;
  s.Setup(1, &firer, 11, &def, Launch(4, 0));
  s.Step();
  EXPECT_EQ(s.m_nTurnStart, 0);
  EXPECT_EQ(s.m_bFly, 0);
}

// ------------------------------------------------- movement at sub-steps

namespace {

// Puts a 32 x 32 character's screen centre at (cx, cy), active and on screen.
void PlaceChara(cCharaBase& c, int cx, int cy) {
  c.m_nPicW = c.m_nPicH = 32;
  c.m_nScrLeft = cx - 16;
  c.m_nScrTop = cy - 16;
  c.m_nScrRight = cx + 15;
  c.m_nScrBottom = cy + 15;
  c.m_bActive = c.m_bOnScreen = 1;
  c.m_bDead = 0;
}

struct MoveAtSubSteps : MoveTest {
  ~MoveAtSubSteps() override { Player.clear(); }
  // A shot of speed 40 plus 10 per clone, fired as clone 2: (40 + 10 * 2)
  // tenths of a pixel per frame, 6 / n pixels per sub-step.
  cShot FireClone(int kind, int move1, int move2, int move3 = 0) {
    def.m_ShotMove = static_cast<uint8_t>(kind);
    def.m_MoveParam[0] = static_cast<int16_t>(move1);
    def.m_MoveParam[1] = static_cast<int16_t>(move2);
    def.m_MoveParam[2] = static_cast<int16_t>(move3);
    def.m_ShotSpeed = 40;
    def.m_ShotSpeedStep = 10;
    firer.m_Targets[0] = &target;
    ShotLaunch l = Launch(4, 0, 400, 400);
    l.nClone = 2;
    cShot s;
    s.Setup(1, &firer, 11, &def, l);
    return s;
  }
};

}  // namespace

// Aiming, homing and falling take their speed per sub-step: 6 / n pixels,
// and a distance of p half-blocks is 16 p / (6 / n) sub-steps.
TEST_F(MoveAtSubSteps, AimHomeAndFallSpeedsAreSplitOverTheSubSteps) {
  for (int n : {1, 2, 4}) {
    Stage.SetHitLevel(n);
    const double speed = 6.0 / n;
    SCOPED_TRACE("n = " + std::to_string(n));

    // Aim: 3 half-blocks = 48 pixels at 6 / n: the turn comes at count 8n.
    cShot aim = FireClone(3, 3, 0);
    aim.UpdateScreenPos();
    PlaceTarget(aim.ScreenCenterX(), aim.ScreenCenterY() + 300);  // straight below
    for (int i = 0; i < 8 * n; ++i) {
      aim.Step();
      ASSERT_EQ(aim.m_bTurnDone, 0) << i;
      ASSERT_DOUBLE_EQ(aim.m_dFlyVX, 4.0 / n) << i;  // the launch course, 4 pixels per frame
    }
    aim.Step();
    EXPECT_EQ(aim.m_bTurnDone, 1);
    EXPECT_NEAR(aim.m_dFlyVX, 0, 1e-12);
    EXPECT_NEAR(aim.m_dFlyVY, speed, 1e-12);

    // Home: ends after 1 half-block = 16 pixels at 6 / n: 16n / 6, truncated.
    const int homingSteps = 16 * n / 6;  // 2, 5, 10
    cShot home = FireClone(6, 0, 1);
    for (int i = 0; i < homingSteps; ++i) {
      home.UpdateScreenPos();
      PlaceTarget(home.ScreenCenterX() - 200, home.ScreenCenterY());  // straight left
      home.Step();
      ASSERT_EQ(home.m_bTurnDone, 0) << i;
      ASSERT_NEAR(home.m_dFlyVX, -speed, 1e-12) << i;
      ASSERT_NEAR(home.m_dFlyVY, 0, 1e-12) << i;
    }
    home.Step();
    EXPECT_EQ(home.m_bTurnDone, 1);

    // Fall: 2 half-blocks = 32 pixels at 6 / n: 16n / 3 sub-steps of flight, truncated.
    const int flightSteps = 32 * n / 6;  // 5, 10, 21
    cShot fall = FireClone(9, 2, 0);
    for (int i = 0; i < flightSteps; ++i) {
      fall.Step();
      ASSERT_EQ(fall.m_bFly, 1) << i;
    }
    fall.Step();
    EXPECT_EQ(fall.m_bFly, 0);
  }
}

// Kinds 1 and 2 turn once towards the hero or the nearest character of a
// group; kinds 4, 5 and 7 turn towards theirs in every homing sub-step.
TEST_F(MoveAtSubSteps, AimAndHomeOnTheHeroOrTheNearestOfAGroup) {
  struct Case {
    int kind;
    bool hero;   // the hero is the target; else the nearest of group 2
    bool homes;  // follows its target after the first sub-step
  };
  const Case cases[] = {{1, true, false}, {2, false, false}, {4, true, true}, {5, false, true}, {7, false, true}};
  cChara nearAbove, farBelow, decoy;
  for (int n : {1, 2}) {
    Stage.SetHitLevel(n);
    const double speed = 6.0 / n;
    for (const Case& c : cases) {
      SCOPED_TRACE("n = " + std::to_string(n) + ", kind " + std::to_string(c.kind));
      // Kind 2 takes its group from the second parameter, kinds 5 and 7
      // from the third, the second being the end of the homing (10
      // half-blocks); group 0 holds a decoy on the left.
      cShot s = c.kind == 2 ? FireClone(c.kind, 0, 2, 0) : FireClone(c.kind, 0, 10, 2);
      s.UpdateScreenPos();
      const int cx = s.ScreenCenterX(), cy = s.ScreenCenterY();
      Player.resize(1);
      PlaceChara(decoy, cx - 150, cy);
      world.m_FactionCharas[0] = {&decoy};
      if (c.hero) {
        PlaceChara(Player[0], cx, cy - 100);
        world.m_FactionCharas[2].clear();
      } else {
        PlaceChara(Player[0], cx + 150, cy);  // another decoy on the right
        PlaceChara(nearAbove, cx, cy - 100);
        PlaceChara(farBelow, cx, cy + 200);
        world.m_FactionCharas[2] = {&farBelow, &nearAbove};
      }
      s.Step();
      EXPECT_NEAR(s.m_dFlyVX, 0, 1e-12);
      EXPECT_NEAR(s.m_dFlyVY, -speed, 1e-12);  // up, to the hero or the nearer character

      // The hero moves below the shot; the nearer character dies.
      if (c.hero)
        PlaceChara(Player[0], cx, cy + 200);
      else
        nearAbove.m_bDead = 1;
      s.Step();
      EXPECT_NEAR(s.m_dFlyVX, 0, 1e-12);
      EXPECT_NEAR(s.m_dFlyVY, c.homes ? speed : -speed, 1e-12);
      EXPECT_EQ(s.m_bTurnDone, c.homes ? 0 : 1);
    }
  }
  world.m_FactionCharas[0].clear();
  world.m_FactionCharas[2].clear();
}

// ---------------------------------------------------------------- swords

TEST_F(ShotTest, SwordFramesFollowTheOwnerForTheirDurations) {
  cDatabase saved = Database;
  Database.m_SwordTypes.clear();
  cSwordType type;
  type.m_SwordFrames.clear();
  cSwordFrame f0, f1;
  f0.m_Width = 24, f0.m_Height = 8, f0.m_Param7 = 1, f0.m_Position = 0;  // in front, 6 sub-steps
  f0.m_Param1 = 3, f0.m_Param3 = 0;
  f1.m_Width = 10, f1.m_Height = 30, f1.m_Param7 = 2, f1.m_Position = 2;  // above, 12 sub-steps
  type.m_SwordFrames.push_back(f0);
  type.m_SwordFrames.push_back(f1);
  Database.m_SwordTypes.push_back(type);

  CharaList.emplace_back();
  cChara& owner = CharaList.back();
  owner.m_nID = 77;
  owner.m_bFaceRight = 1;
  owner.m_nPicW = owner.m_nPicH = 32;
  owner.m_dX = 500;
  owner.m_dY = 600;
  def.m_ShotMove = 0;
  cShot s;
  s.Setup(1, &owner, 12, &def, Launch(0, 0));
  EXPECT_EQ(s.m_bShot, 0);
  EXPECT_EQ(s.m_nW, 24);
  EXPECT_EQ(s.m_nHitW, 24);
  EXPECT_EQ(s.m_nHitX, 0);

  int steps = 0, result = 0;
  while (!(result = s.Step()) && steps < 100) {
    ++steps;
    if (steps == 1) {
      // Right of the owner's picture, centred vertically, plus the offset.
      EXPECT_EQ(s.m_dX, 500 + 32 + 3);
      EXPECT_EQ(s.m_dY, 600 + 16 - 4);
    }
    if (steps == 8) {
      EXPECT_EQ(s.m_nSwordFrame, 1);
      EXPECT_EQ(s.m_nW, 10);
      EXPECT_EQ(s.m_dX, 500 + 16 - 5);
      EXPECT_EQ(s.m_dY, 600 - 30);
    }
  }
  // Frame 0 runs 7 calls (counts 1..6, then the switch), frame 1 runs 13.
  EXPECT_EQ(steps + 1, 20);

  cShot again;
  again.Setup(2, &owner, 12, &def, Launch(0, 0));
  CharaList.clear();
  EXPECT_EQ(again.Step(), 1);  // the owner is gone
  Database = saved;
}

// ------------------------------------------------------------- sword drawing

namespace {

// Image `tag` of a sword type: every pixel names the image and its own
// position (red x, green y, blue the tag), so a read-back tells which image
// and which source pixel a blit took.
void FillSwordImage(DDSURFACEDATA* sd, int tag) {
  DDCreateSurface(sd, 64, 64, 1, 0, DTMEMORYTYPE_VIDEO_RT, 0, 0);
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 64; ++x) sd->Pixels()->SetPixel(x, y, uint32_t(x) << 16 | uint32_t(y) << 8 | uint32_t(tag));
}
struct Texel {
  int tag, x, y;
  bool operator==(const Texel&) const = default;
};
Texel TexelAt(DDSURFACEDATA* sd, int x, int y) {
  const uint32_t p = sd->Pixels()->GetPixel(x, y) & 0xFFFFFFu;
  return {int(p & 0xFFu), int(p >> 16), int((p >> 8) & 0xFFu)};
}

struct SwordDraw : ShotTest {
  gfxtest::Library lib{0, 32, 1};
  cDatabase savedDb = Database;
  DDSURFACEDATA target;
  void SetUp() override {
    ShotTest::SetUp();
    // Sword type 1 (type 0 stays empty): frame 0 is 8 x 4 from (10, 20),
    // frame 1 is 6 x 6 from (40, 2); each lasts one tenth of a second.
    Database.m_SwordTypes.assign(2, cSwordType{});
    Database.m_SwordTypes[0].m_SwordFrames.clear();
    cSwordFrame f0, f1;
    f0.m_Width = 8, f0.m_Height = 4, f0.m_Param5 = 10, f0.m_Param6 = 20, f0.m_Param7 = 1;
    f1.m_Width = 6, f1.m_Height = 6, f1.m_Param5 = 40, f1.m_Param6 = 2, f1.m_Param7 = 1;
    Database.m_SwordTypes[1].m_SwordFrames = {f0, f1};
    SwordSurfaces.assign(8, DDSURFACEDATA{});
    for (int i = 4; i < 8; ++i) FillSwordImage(&SwordSurfaces[static_cast<size_t>(i)], i);
    DDCreateSurface(&target, 64, 64, 0, 0, DTMEMORYTYPE_VIDEO_RT, 0, 0);
    Clear();
    def.m_ShotMove = 1;
  }
  void TearDown() override {
    for (DDSURFACEDATA& sd : SwordSurfaces) DDReleaseSurface(&sd);
    SwordSurfaces.clear();
    DDReleaseSurface(&target);
    Database = savedDb;
    bChipVideoStretch = 0;
    CharaList.clear();
  }
  void Clear() {
    for (int y = 0; y < 64; ++y)
      for (int x = 0; x < 64; ++x) target.Pixels()->SetPixel(x, y, 0x000001u);
  }
  bool Untouched() {
    for (int y = 0; y < 64; ++y)
      for (int x = 0; x < 64; ++x)
        if ((target.Pixels()->GetPixel(x, y) & 0xFFFFFFu) != 1u) return false;
    return true;
  }
};

}  // namespace

TEST_F(SwordDraw, EachFrameIsDrawnFromItsRectangleForItsDuration) {
  CharaList.emplace_back();
  cChara& owner = CharaList.back();
  owner.m_nID = 5;
  owner.m_bFaceRight = 1;
  owner.m_nPicW = owner.m_nPicH = 16;
  owner.m_dX = 330;  // screen (10, 10) with the camera at (320, 320)
  owner.m_dY = 330;
  cShot s;
  s.Setup(1, &owner, 12, &def, Launch(0, 0));
  // Frame 0 lasts 6 sub-steps; the seventh switches to frame 1.
  for (int step = 1; step <= 8; ++step) {
    ASSERT_EQ(s.Step(), 0) << step;
    s.UpdateScreenPos();
    Clear();
    s.Draw(&target, 0);
    // The source switches with the frame; the size follows in the next
    // sub-step, when the new frame starts counting.
    const bool first = step <= 6, firstSize = step <= 7;
    const int w = firstSize ? 8 : 6, h = firstSize ? 4 : 6, sx = first ? 10 : 40, sy = first ? 20 : 2;
    // In front of the right-facing owner: the second image, left-facing
    // images being the first.
    ASSERT_EQ(s.m_nScrLeft, 26) << step;
    EXPECT_EQ(TexelAt(&target, 26, s.m_nScrTop), (Texel{5, sx, sy})) << step;
    EXPECT_EQ(TexelAt(&target, 26 + w - 1, s.m_nScrTop + h - 1), (Texel{5, sx + w - 1, sy + h - 1})) << step;
    EXPECT_EQ(TexelAt(&target, 26 + w, s.m_nScrTop), (Texel{1, 0, 0})) << step;  // nothing beyond the frame
  }
}

TEST_F(SwordDraw, ImageChosenByFacingAndStretching) {
  struct Case {
    int faceRight, size, videoStretch, entry;
  };
  // Entries 4t .. 4t + 3: first and second image in video memory, then the
  // same in system memory, which stretching reads unless video stretching.
  const Case cases[] = {
      {0, 1, 0, 4}, {1, 1, 0, 5}, {0, 2, 0, 6}, {1, 2, 0, 7}, {1, 2, 1, 5}, {1, 1, 1, 5},
  };
  for (const Case& c : cases) {
    bChipVideoStretch = c.videoStretch;
    cShot s;
    s.m_bShot = 0;
    s.m_ShotDef.m_ShotMove = 1;
    s.m_ShotDef.m_ShotSize = static_cast<int8_t>(c.size);
    s.m_bFaceRight = c.faceRight;
    s.m_nSwordFrame = 1;
    s.m_nBasePicW = s.m_nBasePicH = 6;
    s.m_nPicW = s.m_nPicH = 6 * c.size;
    s.m_nScrLeft = 3;
    s.m_nScrTop = 7;
    Clear();
    s.Draw(&target, 0);
    const std::string what = "face " + std::to_string(c.faceRight) + " size " + std::to_string(c.size) + " stretch " +
                             std::to_string(c.videoStretch);
    EXPECT_EQ(TexelAt(&target, 3, 7), (Texel{c.entry, 40, 2})) << what;
    // The far corner shows the frame's last source pixel at any size.
    EXPECT_EQ(TexelAt(&target, 3 + 6 * c.size - 1, 7 + 6 * c.size - 1), (Texel{c.entry, 45, 7})) << what;
  }
}

TEST_F(SwordDraw, NothingIsDrawnWithoutImagesFramesOrWhenHidden) {
  cShot s;
  s.m_bShot = 0;
  s.m_ShotDef.m_ShotMove = 1;
  s.m_nPicW = s.m_nPicH = s.m_nBasePicW = s.m_nBasePicH = 6;
  s.m_nSwordFrame = 2;  // past the last frame
  s.Draw(&target, 0);
  EXPECT_TRUE(Untouched());
  s.m_nSwordFrame = 0;
  s.m_ShotDef.m_ShotMove = 0;  // a type without frames
  s.Draw(&target, 0);
  EXPECT_TRUE(Untouched());
  s.m_ShotDef.m_ShotMove = 1;
  s.m_ShotDef.m_ShotHidden = 1;
  s.Draw(&target, 0);
  EXPECT_TRUE(Untouched());
  s.m_ShotDef.m_ShotHidden = 0;
  for (size_t i = 5; i < SwordSurfaces.size(); ++i) DDReleaseSurface(&SwordSurfaces[i]);
  SwordSurfaces.resize(5);  // the stage loaded no images for this facing
  s.m_bFaceRight = 1;
  s.Draw(&target, 0);
  EXPECT_TRUE(Untouched());
  s.m_bFaceRight = 0;
  s.Draw(&target, 0);
  EXPECT_EQ(TexelAt(&target, 0, 0), (Texel{4, 10, 20}));
}
