// ctest-label: engine
// The stage character: set-up, boxes, the per-axis moves' reports, the jump
// command and the activity range.
#include <gtest/gtest.h>

#include <cmath>
#include <iterator>

#include "data/Stage.h"
#include "data/System.h"
#include "engine/World.h"
#include "engine/objects/Chara.h"
#include "engine/objects/CharaFlowUpdate.h"
#include "engine/objects/CharaLoopMoves.h"
#include "tests/engine/objects/CharaTestWorld.h"
#include "tests/support/EngineFakes.h"

namespace {

class StageCharaTest : public ::testing::Test {
 protected:
  void SetUp() override {
    PlayScene = &world;
    LayOutWorld(world, 60, 40);
    Stage = cStage();
    Stage.m_Gravity = 0.5;
    Stage.SetHitLevel(1);
    SystemData = cSystem();
  }
  void TearDown() override { PlayScene = nullptr; }

  testsupport::FakeEngineServices services;
  cPlayWorld world;
};

TEST_F(StageCharaTest, SetupOfAWalkingCharacter) {
  cCharaDef def;
  def.m_Size = 0;
  def.m_Flows.resize(2);
  def.m_ActiveRange = 1;
  cChara c;
  c.Setup(3, &def, nullptr, 400, 500, 2);
  EXPECT_EQ(def.m_Size, 1);  // mended in the stage's copy too
  EXPECT_EQ(c.Scale(), 1);
  EXPECT_EQ(c.m_nID, 3);
  EXPECT_EQ(c.m_wSpawnTag, 2);
  EXPECT_EQ(c.m_nW, 16);
  EXPECT_EQ(c.m_nH, 24);
  EXPECT_EQ(c.m_nPicOfsX, 8);
  EXPECT_EQ(c.m_nPicOfsY, 8);  // bottom-aligned in the cell
  EXPECT_EQ(c.m_HitBoxChara.nOfsX, 2);
  EXPECT_EQ(c.m_HitBoxChara.nOfsY, 0);
  EXPECT_EQ(c.m_HitBoxChara.nW, 12);
  EXPECT_EQ(c.m_HitBoxShot.nOfsX, -7);  // 30 × 30 centred
  EXPECT_EQ(c.m_HitBoxShot.nW, 30);
  EXPECT_EQ(c.m_Anim.m_nAnim, 1);
  EXPECT_EQ(c.m_bIgnoreRangeX, 0);
  EXPECT_EQ(c.m_bIgnoreRangeY, 1);
  EXPECT_EQ(c.m_FlowRuns.size(), 2u);
  EXPECT_EQ(c.m_HeldItem.m_nChip, 0);
}

TEST_F(StageCharaTest, MagnificationScalesTheBoxes) {
  cCharaDef def;
  def.m_Size = 2;
  cChara c;
  c.Setup(1, &def, nullptr, 0, 0, 0);
  EXPECT_EQ(c.m_nW, 32);
  EXPECT_EQ(c.m_HitBoxChara.nW, 24);
  EXPECT_EQ(c.m_HitBoxChara.nOfsX, 4);
  EXPECT_EQ(c.m_HitBoxShot.nH, 60);
  EXPECT_EQ(c.m_HitBoxChara.nBaseW, 12);
}

TEST_F(StageCharaTest, BlockCharacterBoxes) {
  cCharaDef def;
  def.m_BlockChara = 1;
  def.m_Size = 2;
  cChara c;
  c.Setup(1, &def, nullptr, 0, 0, 0);
  EXPECT_EQ(c.m_nW, 64);
  EXPECT_EQ(c.m_nPicOfsX, 0);
  for (const HitBox* b : {&c.m_HitBoxChara, &c.m_HitBoxShot}) {
    EXPECT_EQ(b->nOfsX, 0);
    EXPECT_EQ(b->nW, 64);
    EXPECT_EQ(b->nH, 64);
  }
}

TEST_F(StageCharaTest, LeavingTheMap) {
  cChara c;
  c.m_nW = c.m_nBaseW = 16;
  c.m_nH = c.m_nBaseH = 24;
  c.m_dX = 1000;
  c.m_dY = 1590;  // the map area ends at 1600
  c.m_dVY = 5;
  EXPECT_EQ(c.MoveY(), 7);  // a walker fell out: it dies
  c.m_bFly = 1;
  c.m_dY = 1590;
  EXPECT_EQ(c.MoveY(), 5);  // a flier past the map area flies on
  c.m_dY = 1900;            // the world ends at 1920
  EXPECT_EQ(c.MoveY(), 8);  // removed silently
}

// A box larger than the world (2560 x 1920 here): the step's clamp puts its
// far edge on the world's and so its start below 0; the second clamp then
// moves it to 0.
TEST_F(StageCharaTest, ABoxLargerThanTheWorldEndsAtTheWorldsStart) {
  cChara c;
  c.m_nW = 3000;
  c.m_nH = 2000;
  c.m_dX = 100;
  c.m_dY = 100;
  EXPECT_EQ(c.MoveX(), 4);  // clamped at the world: removed
  EXPECT_DOUBLE_EQ(c.m_dX, 0);
  EXPECT_DOUBLE_EQ(c.m_dRight, 2999);
  EXPECT_EQ(c.m_nCol, 0);
  EXPECT_EQ(c.m_nRightCol, 93);
  EXPECT_EQ(c.MoveY(), 7);  // the first clamp met the bottom: a walker dies
  EXPECT_DOUBLE_EQ(c.m_dY, 0);
  EXPECT_DOUBLE_EQ(c.m_dBottom, 1999);
  EXPECT_EQ(c.m_nBottomRow, 62);
}

// The Characters loop's moves report only 4, 7 and 8: the scroll window's
// reports become 0 (map area 320..2240 x 320..1600, world 2560 x 1920).
TEST_F(StageCharaTest, TheLoopsMovesLeaveOutTheScrollWindow) {
  world.m_ScrollX.m_nLower = 1200;
  world.m_ScrollX.m_nUpper = 1800;
  world.m_ScrollY.m_nLower = 0;
  world.m_ScrollY.m_nUpper = 1000;
  struct Case {
    double x, y, vy;
    int8_t fly;
    int full, inWorld;  // MoveX, then MoveY
  };
  const Case cases[] = {
      {1000, 500, 0, 0, 1, 0},  // left of the window: X says 1
      {1300, 1100, 0, 0, 4, 0},  // below the window: Y says 4
      {1300, 1100, 0, 1, 4, 0},  // the same for a flier
      {1300, 1590, 5, 0, 7, 7},  // out of the map area: a walker dies
      {1300, 1900, 0, 1, 8, 8},  // at the world's end: a flier is removed
  };
  for (const Case& k : cases) {
    cChara full, loop;
    for (cChara* c : {&full, &loop}) {
      c->m_nW = c->m_nBaseW = 16;
      c->m_nH = c->m_nBaseH = 24;
      c->m_dX = k.x;
      c->m_dY = k.y;
      c->m_dVY = k.vy;
      c->m_bFly = k.fly;
    }
    const bool yCase = k.y != 500;
    EXPECT_EQ(yCase ? full.MoveY() : full.MoveX(), k.full) << k.x << "," << k.y;
    EXPECT_EQ(yCase ? MoveCharaYInWorld(loop) : MoveCharaXInWorld(loop), k.inWorld) << k.x << "," << k.y;
    EXPECT_DOUBLE_EQ(loop.m_dX, full.m_dX);
    EXPECT_DOUBLE_EQ(loop.m_dY, full.m_dY);
  }
}

// The hit boxes of the loop-move tables: the character box 2 + 12 wide
// (0 + 24 high), the shot box -7 + 30 (-3 + 30).
void GiveLoopMoveBoxes(cChara& c) {
  c.m_nW = c.m_nBaseW = 16;
  c.m_nH = c.m_nBaseH = 24;
  c.m_HitBoxChara.nOfsX = 2;
  c.m_HitBoxChara.nW = 12;
  c.m_HitBoxChara.nOfsY = 0;
  c.m_HitBoxChara.nH = 24;
  c.m_HitBoxShot.nOfsX = -7;
  c.m_HitBoxShot.nW = 30;
  c.m_HitBoxShot.nOfsY = -3;
  c.m_HitBoxShot.nH = 30;
}

// Every value the loop's X move writes, worked by hand (map area 320..2240,
// world 0..2560, step cap 6). The boxes and columns come from one truncation
// of the new x; NaN truncates to 0.
TEST_F(StageCharaTest, TheLoopsXMoveWritesTheBoxesAndColumns) {
  const double nan = std::nan("");
  struct Case {
    double x, vx, impact;
    int report;
    double newX, right;
    int col, rightCol;
    double charaL, charaR, shotL, shotR;
  };
  const Case cases[] = {
      {1000.25, 3, 0, 0, 1003.25, 1018.25, 31, 31, 1005, 1016, 996, 1025},  // inside the map area
      {100, -3, 0, 0, 97, 112, 3, 3, 99, 110, 90, 119},                     // left of the map area: was 2
      {2300, 0, 0, 0, 2300, 2315, 71, 72, 2302, 2313, 2293, 2322},          // right of it: was 2
      {1000, 10, 0, 0, 1006, 1021, 31, 31, 1008, 1019, 999, 1028},          // capped at 6
      {1000, -10, 0, 0, 994, 1009, 31, 31, 996, 1007, 987, 1016},           // capped at -6
      {1000, 5, -2, 0, 998, 1013, 31, 31, 1000, 1011, 991, 1020},           // the knock-back replaces 5
      {2, -5, 0, 4, 0, 15, 0, 0, 2, 13, -7, 22},                            // clamped at the world's start
      {2539, 5, 0, 0, 2544, 2559, 79, 79, 2546, 2557, 2537, 2566},          // the far edge on 2559 stays
      {2540, 5, 0, 4, 2544, 2559, 79, 79, 2546, 2557, 2537, 2566},          // 2560 is past: clamped
      {nan, 1, 0, 0, nan, nan, 0, 0, 2, 13, -7, 22},                        // NaN: no clamp, truncated to 0
  };
  // The truncated x and right the move hands to the side pass, per case.
  const int truncs[][2] = {{1003, 1018}, {97, 112},   {2300, 2315}, {1006, 1021}, {994, 1009},
                           {998, 1013},  {0, 15},     {2544, 2559}, {2544, 2559}, {0, 0}};
  static_assert(std::size(truncs) == std::size(cases));
  int i = 0;
  for (const Case& k : cases) {
    cChara c;
    GiveLoopMoveBoxes(c);
    c.m_dX = k.x;
    c.m_dVX = k.vx;
    c.m_ImpactX = k.impact;
    BoxTruncs edges{-99, -99, -99, -99};
    EXPECT_EQ(MoveCharaXInWorld(c, edges), k.report) << k.x << " " << k.vx;
    EXPECT_EQ(edges.x, truncs[i][0]) << k.x << " " << k.vx;
    EXPECT_EQ(edges.right, truncs[i][1]) << k.x << " " << k.vx;
    EXPECT_EQ(edges.y, -99);  // the X move leaves the rows alone
    EXPECT_EQ(edges.bottom, -99);
    ++i;
    if (std::isnan(k.newX)) {
      EXPECT_TRUE(std::isnan(c.m_dX));
      EXPECT_TRUE(std::isnan(c.m_dRight));
    } else {
      EXPECT_EQ(c.m_dX, k.newX) << k.x << " " << k.vx;
      EXPECT_EQ(c.m_dRight, k.right) << k.x << " " << k.vx;
    }
    EXPECT_EQ(c.m_nCol, k.col) << k.x << " " << k.vx;
    EXPECT_EQ(c.m_nRightCol, k.rightCol) << k.x << " " << k.vx;
    EXPECT_EQ(c.m_HitBoxChara.rc.left, k.charaL) << k.x << " " << k.vx;
    EXPECT_EQ(c.m_HitBoxChara.rc.right, k.charaR) << k.x << " " << k.vx;
    EXPECT_EQ(c.m_HitBoxShot.rc.left, k.shotL) << k.x << " " << k.vx;
    EXPECT_EQ(c.m_HitBoxShot.rc.right, k.shotR) << k.x << " " << k.vx;
  }
}

// The same for Y (map area 320..1600, world 0..1920): 7 for a walker past
// the map area's bottom or clamped at the world's, 8 for a flier clamped at
// either edge, 0 for everything else.
TEST_F(StageCharaTest, TheLoopsYMoveWritesTheBoxesAndRows) {
  const double nan = std::nan("");
  struct Case {
    double y, vy;
    int8_t fly;
    int h;
    int report;
    double newY, bottom;
    int row, bottomRow;
    double charaT, charaB, shotT, shotB;
  };
  const Case cases[] = {
      {1000.5, 2, 0, 24, 0, 1002.5, 1025.5, 31, 32, 1002, 1025, 999, 1028},  // inside the map area
      {1590, 5, 0, 24, 7, 1595, 1618, 49, 50, 1595, 1618, 1592, 1621},       // a walker fell out
      {1590, 5, 1, 24, 0, 1595, 1618, 49, 50, 1595, 1618, 1592, 1621},       // a flier flies on: was 5
      {1000, 10, 0, 24, 0, 1006, 1029, 31, 32, 1006, 1029, 1003, 1032},      // capped at 6
      // A box taller than the map area: above the area's top the report is
      // 2 even with its bottom past the area; from the top on it is 5.
      {300, 0, 0, 1400, 0, 300, 1699, 9, 53, 300, 323, 297, 326},
      {320, 0, 0, 1400, 7, 320, 1719, 10, 53, 320, 343, 317, 346},
      {2, -5, 0, 24, 0, 0, 23, 0, 0, 0, 23, -3, 26},                         // a walker at the top: was 3
      {2, -5, 1, 24, 8, 0, 23, 0, 0, 0, 23, -3, 26},                         // a flier there is removed
      {1900, 5, 0, 24, 7, 1896, 1919, 59, 59, 1896, 1919, 1893, 1922},       // clamped at the bottom
      {1900, 5, 1, 24, 8, 1896, 1919, 59, 59, 1896, 1919, 1893, 1922},
      {nan, 1, 0, 24, 0, nan, nan, 0, 0, 0, 23, -3, 26},                     // NaN: no clamp, truncated to 0
  };
  // The truncated y and bottom the move hands to the top-and-bottom pass.
  const int truncs[][2] = {{1002, 1025}, {1595, 1618}, {1595, 1618}, {1006, 1029}, {300, 1699}, {320, 1719},
                           {0, 23},      {0, 23},      {1896, 1919}, {1896, 1919}, {0, 0}};
  static_assert(std::size(truncs) == std::size(cases));
  int i = 0;
  for (const Case& k : cases) {
    cChara c;
    GiveLoopMoveBoxes(c);
    c.m_nH = k.h;
    c.m_dY = k.y;
    c.m_dVY = k.vy;
    c.m_bFly = k.fly;
    BoxTruncs edges{-99, -99, -99, -99};
    EXPECT_EQ(MoveCharaYInWorld(c, edges), k.report) << k.y << " " << k.vy << " " << int{k.fly};
    EXPECT_EQ(edges.y, truncs[i][0]) << k.y << " " << k.vy;
    EXPECT_EQ(edges.bottom, truncs[i][1]) << k.y << " " << k.vy;
    EXPECT_EQ(edges.x, -99);  // the Y move leaves the columns alone
    EXPECT_EQ(edges.right, -99);
    ++i;
    if (std::isnan(k.newY)) {
      EXPECT_TRUE(std::isnan(c.m_dY));
      EXPECT_TRUE(std::isnan(c.m_dBottom));
    } else {
      EXPECT_EQ(c.m_dY, k.newY) << k.y << " " << k.vy << " " << int{k.fly};
      EXPECT_EQ(c.m_dBottom, k.bottom) << k.y << " " << k.vy << " " << int{k.fly};
    }
    EXPECT_EQ(c.m_nRow, k.row) << k.y << " " << k.vy;
    EXPECT_EQ(c.m_nBottomRow, k.bottomRow) << k.y << " " << k.vy;
    EXPECT_EQ(c.m_HitBoxChara.rc.top, k.charaT) << k.y << " " << k.vy;
    EXPECT_EQ(c.m_HitBoxChara.rc.bottom, k.charaB) << k.y << " " << k.vy;
    EXPECT_EQ(c.m_HitBoxShot.rc.top, k.shotT) << k.y << " " << k.vy;
    EXPECT_EQ(c.m_HitBoxShot.rc.bottom, k.shotB) << k.y << " " << k.vy;
  }
}

// The Characters loop's gravity and Y move in one (gravity step 0.25, from
// y 1000 at speed 1): gravity is added to a walker that neither flies,
// rides nor has its moves disabled, and not during a rising knock-back;
// then the knock-back as in MoveY. -0 counts as no knock-back, NaN as one
// (gravity added, then NaN reaches the speed).
TEST_F(StageCharaTest, TheLoopsGravityAndYMoveTogether) {
  const double nan = std::nan("");
  struct Case {
    const char* what;
    int8_t fly, riding, disabled;
    double impact;
    double vy, newY, impactAfter, prevImpact;
  };
  const Case cases[] = {
      {"walker", 0, 0, 0, 0, 1.25, 1001.25, 0, 0},
      {"flier", 1, 0, 0, 0, 1, 1001, 0, 0},
      {"rider", 0, 1, 0, 0, 1, 1001, 0, 0},
      {"moves disabled", 0, 0, 1, 0, 1, 1001, 0, 0},
      {"-0 knock-back", 0, 0, 0, -0.0, 1.25, 1001.25, 0, 0},
      {"rising knock-back", 0, 0, 0, -2, -1, 999, -2, -2},       // 1 - 0 - 2, no gravity
      {"falling knock-back", 0, 0, 0, 2, 3.25, 1003.25, 2, 2},  // 1 + 0.25 + 2, off the ground
      {"flier's knock-back", 1, 0, 0, 2, 3, 1003, 2, 2},        // 1 + 2
      {"rider's knock-back", 0, 1, 0, 2, 1, 1001, 0, 0},        // on the ground: it ends
      {"NaN knock-back", 0, 0, 0, nan, nan, nan, nan, nan},
  };
  for (const Case& k : cases) {
    cChara c;
    GiveLoopMoveBoxes(c);
    c.m_dY = 1000;
    c.m_dVY = 1;
    c.m_bFly = k.fly;
    c.m_bRiding = k.riding;
    c.m_bMoveDisabled = k.disabled;
    c.m_ImpactY = k.impact;
    BoxTruncs edges;
    EXPECT_EQ(MoveCharaYInWorld<true>(c, edges, 0.25), 0) << k.what;
    if (std::isnan(k.vy)) {
      EXPECT_TRUE(std::isnan(c.m_dVY)) << k.what;
      EXPECT_TRUE(std::isnan(c.m_dY)) << k.what;
      EXPECT_TRUE(std::isnan(c.m_ImpactY)) << k.what;
      EXPECT_TRUE(std::isnan(c.m_PrevImpactY)) << k.what;
      continue;
    }
    EXPECT_EQ(c.m_dVY, k.vy) << k.what;
    EXPECT_EQ(c.m_dY, k.newY) << k.what;
    EXPECT_EQ(c.m_ImpactY, k.impactAfter) << k.what;
    EXPECT_EQ(c.m_PrevImpactY, k.prevImpact) << k.what;
    EXPECT_EQ(edges.y, TruncToInt(k.newY)) << k.what;
  }
  // -0 stays -0: kept as the last knock-back.
  cChara c;
  GiveLoopMoveBoxes(c);
  c.m_dY = 1000;
  c.m_ImpactY = -0.0;
  BoxTruncs edges;
  MoveCharaYInWorld<true>(c, edges, 0.25);
  EXPECT_TRUE(std::signbit(c.m_PrevImpactY));
}

// The knock-back and the command velocity before the loop's Y step, on both
// moves: a flier's knock-back adds to its velocity and keeps the command
// velocity out; a walker's downward knock-back ends on the ground.
TEST_F(StageCharaTest, TheYMovesKnockBackAndCommandVelocity) {
  struct Case {
    int8_t fly, riding;
    double impact, vy2, decel;
    int frictionOn;
    double newY, vy, newVy2, impactAfter, prevImpact;
  };
  const Case cases[] = {
      {1, 0, 2, 3, 0, 0, 1003, 3, 3, 2, 2},          // 1 + 2: the command velocity waits
      {1, 0, 0, 3, 0.5, 1, 1003.5, 3.5, 2.5, 0, 0},  // 1 + (3 - 0.5)
      {1, 0, 0, 3, 0.5, 0, 1004, 4, 3, 0, 0},        // friction off: 1 + 3
      {0, 1, 2, 3, 0, 0, 1001, 1, 3, 0, 0},          // riding: on the ground, the knock-back ends
      {0, 0, -2, 3, 0, 0, 999, -1, 3, -2, -2},       // a walker's upward knock-back: 1 - 0 - 2
  };
  for (const Case& k : cases) {
    for (int loop = 0; loop < 2; ++loop) {
      cChara c;
      GiveLoopMoveBoxes(c);
      c.m_dY = 1000;
      c.m_dVY = 1;
      c.m_bFly = k.fly;
      c.m_bRiding = k.riding;
      c.m_ImpactY = k.impact;
      c.m_dVY2 = k.vy2;
      c.m_dDecel = k.decel;
      c.m_bFrictionY = k.frictionOn;
      EXPECT_EQ(loop ? MoveCharaYInWorld(c) : c.MoveY(), 0);
      EXPECT_EQ(c.m_dY, k.newY) << loop << " " << k.impact << " " << k.decel;
      EXPECT_EQ(c.m_dVY, k.vy) << loop << " " << k.impact << " " << k.decel;
      EXPECT_EQ(c.m_dVY2, k.newVy2) << loop << " " << k.impact << " " << k.decel;
      EXPECT_EQ(c.m_ImpactY, k.impactAfter) << loop << " " << k.impact << " " << k.decel;
      EXPECT_EQ(c.m_PrevImpactY, k.prevImpact) << loop << " " << k.impact << " " << k.decel;
    }
  }
}

TEST_F(StageCharaTest, KnockBackOverridesTheMove) {
  cChara c;
  c.m_nW = 16;
  c.m_nH = 24;
  c.m_dX = 1000;
  c.m_dVX2 = -2;
  c.m_ImpactX = 3;
  c.MoveX();
  EXPECT_DOUBLE_EQ(c.m_dX, 1003);
  c.m_ImpactX = 0;
  c.m_dVX = 0;
  c.m_dDecel = 0.5;
  c.m_bFrictionX = 1;
  c.MoveX();
  EXPECT_DOUBLE_EQ(c.m_dVX2, -1.5);
  EXPECT_DOUBLE_EQ(c.m_dX, 1001.5);
}

class StageJumpTest : public StageCharaTest {
 protected:
  void SetUp() override {
    StageCharaTest::SetUp();
    chara.m_nW = 16;
    chara.m_nH = 24;
    chara.m_dX = 1000;
    chara.m_dY = 1000;
    chara.m_nObjKind = 1;
    chara.m_bFalling = 0;
    jump.m_CmdKind = 10;
    jump.m_CmdSound = 5;
    jump.m_CmdOption = 0;
    jump.m_Params = {0, 0, 4, 0, 0};
    run.lpCmd = &jump;
    run.dSpeed = chara.JumpSpeed(64);
    run.nFrames = 18;
    run.nLeft = 18;
  }
  // What the jump executor does per call.
  void Execute() {
    chara.Jump(&run);
    ++run.nTick;
  }
  cChara chara;
  cFlowCmd jump;
  cCmdRun run;
};

TEST_F(StageJumpTest, JumpsFromTheGround) {
  Execute();
  EXPECT_DOUBLE_EQ(chara.m_dVY, -8.25390529679106);
  EXPECT_EQ(chara.m_bJumping, 1);
  EXPECT_EQ(run.bStarted, 1);
  EXPECT_EQ(services.calls(), std::vector<std::string>{"sound 21"});
  // In the air the command waits for the landing.
  chara.m_dVY = 2;
  Execute();
  EXPECT_EQ(run.nLeft, 18);
  chara.m_bRiding = 1;  // on the ground again
  Execute();
  EXPECT_EQ(run.nLeft, 0);
}

TEST_F(StageJumpTest, SoundOnlyOnScreen) {
  jump.m_CmdOption = 1;
  chara.m_dX = 2000;  // the camera is at 320
  chara.m_dRight = 2015;
  Execute();
  EXPECT_EQ(chara.m_bJumping, 1);
  EXPECT_TRUE(services.calls().empty());
}

TEST_F(StageJumpTest, AFallingCharacterGivesUp) {
  Stage.SetHitLevel(2);
  chara.m_bFalling = 1;
  for (int i = 0; i < 8; ++i) {
    Execute();
    ASSERT_EQ(run.bStarted, 0) << i;
  }
  chara.m_bJumpBlocked = 1;
  Execute();  // after 4n vain executions
  EXPECT_EQ(run.bStarted, 1);
  EXPECT_EQ(run.nLeft, 0);
  EXPECT_EQ(chara.m_bJumpBlocked, 0);
  EXPECT_EQ(chara.m_bJumping, 0);
}

TEST_F(StageJumpTest, OldJumpHasNoPatience) {
  SystemData.m_Switch749 = 1;
  chara.m_nAirSteps = 1;
  for (int i = 0; i < 10; ++i) Execute();
  EXPECT_EQ(run.nLeft, 18);
  EXPECT_EQ(chara.m_bJumping, 0);
  chara.m_nAirSteps = 0;
  Execute();
  EXPECT_EQ(chara.m_bJumping, 1);
}

TEST_F(StageCharaTest, ActivityRange) {
  cChara c;
  c.m_nW = 16;
  c.m_nH = 24;
  c.m_bIgnoreRangeY = 1;  // range 1: x only
  c.m_bFalling = 0;
  c.m_Def.m_InGroup = 1;
  c.m_Def.m_GroupNo = 7;
  cVector<int8_t> groups(60, 0);
  c.m_dX = 500;
  c.m_dRight = 515;
  c.m_dY = 5000;  // far below the view
  c.m_dBottom = 5023;
  EXPECT_EQ(c.UpdateActiveRange(groups), 1);
  EXPECT_EQ(groups[7], 1);
  EXPECT_EQ(c.UpdateOperating(groups), 1);
  EXPECT_EQ(c.m_bWasOperating, 1);
  // Off screen: only its group keeps it going.
  c.m_dX = 1500;
  c.m_dRight = 1515;
  groups.assign(60, 0);
  EXPECT_EQ(c.UpdateActiveRange(groups), 0);
  EXPECT_EQ(c.UpdateOperating(groups), 0);
  groups[7] = 1;
  EXPECT_EQ(c.UpdateOperating(groups), 1);
  // A walker finishes its fall.
  groups[7] = 0;
  c.m_bFalling = 1;
  EXPECT_EQ(c.UpdateOperating(groups), 1);
  c.m_bFly = 1;
  EXPECT_EQ(c.UpdateOperating(groups), 0);
  // A group number outside the table sets nothing.
  c.m_Def.m_GroupNo = 600;
  c.m_dX = 500;
  c.m_dRight = 515;
  EXPECT_EQ(c.UpdateActiveRange(groups), 1);
}

// Only a character in range and in a group marks that group, and only a
// group number within the table's 60 entries.
TEST_F(StageCharaTest, GroupFlagNeedsRangeGroupSwitchAndAValidNumber) {
  struct Case {
    const char* name;
    int inGroup, groupNo;
    double x;  // the camera is at (0, 0): 500 in view, 1500 out
    int inRange;
    int marked;  // the group entry set, or -1 for none
  };
  const Case cases[] = {
      {"in range, in group 3", 1, 3, 500, 1, 3},
      {"in range, last group 59", 1, 59, 500, 1, 59},
      {"in range, group switch off", 0, 3, 500, 1, -1},
      {"out of range, in group 3", 1, 3, 1500, 0, -1},
      {"in range, group 60 past the table", 1, 60, 500, 1, -1},
      {"in range, group -1", 1, -1, 500, 1, -1},
  };
  for (const Case& k : cases) {
    cChara c;
    c.m_Def.m_InGroup = static_cast<int8_t>(k.inGroup);
    c.m_Def.m_GroupNo = static_cast<int16_t>(k.groupNo);
    c.m_dX = k.x;
    c.m_dRight = k.x + 15;
    c.m_dY = 100;
    c.m_dBottom = 123;
    cVector<int8_t> groups(60, 0);
    EXPECT_EQ(c.UpdateActiveRange(groups, 0, 0), k.inRange) << k.name;
    EXPECT_EQ(c.m_bInRange, k.inRange) << k.name;
    for (int g = 0; g < 60; ++g)
      EXPECT_EQ(groups[static_cast<size_t>(g)], g == k.marked ? 1 : 0) << k.name << " group " << g;
  }
}

TEST_F(StageCharaTest, OnceTrueKeepsOperating) {
  cChara c;
  c.m_nW = 16;
  c.m_nH = 24;
  c.m_bFly = 1;
  c.m_Def.m_ActiveMode = 1;
  cVector<int8_t> groups(60, 0);
  c.m_dX = 500;
  c.m_dRight = 515;
  c.m_dY = 100;  // the camera is at (0, 0)
  c.m_dBottom = 123;
  c.UpdateActiveRange(groups);
  EXPECT_EQ(c.UpdateOperating(groups), 1);
  c.m_dX = 3000;
  c.m_dRight = 3015;
  EXPECT_EQ(c.UpdateActiveRange(groups), 1);
  EXPECT_EQ(c.UpdateOperating(groups), 1);
}

TEST_F(StageCharaTest, BoxOverlapsIncludesTheEdges) {
  cChara c;
  c.m_dX = 10;
  c.m_dRight = 20;
  c.m_dY = 10;
  c.m_dBottom = 20;
  EXPECT_EQ(BoxOverlaps(c, 20, 20, 30, 30), 1);
  EXPECT_EQ(BoxOverlaps(c, 20.5, 0, 30, 30), 0);
  EXPECT_EQ(BoxOverlaps(c, 0, 0, 9.9, 30), 0);
}

}  // namespace

namespace {

TEST_F(StageCharaTest, NegativeMagnificationIsMended) {
  cCharaDef def;
  def.m_Size = -3;
  cChara c;
  c.Setup(1, &def, nullptr, 0, 0, 0);
  EXPECT_EQ(def.m_Size, 1);
  EXPECT_EQ(c.m_nW, 16);
  EXPECT_EQ(c.m_HitBoxChara.nW, 12);
}

}  // namespace

namespace {

TEST_F(StageCharaTest, FlowUpdateStartsFromTheScrollSpeed) {
  world.m_ScrollX.m_dAutoSpeed = 0.5;
  world.m_ScrollY.m_dAutoSpeed = -0.25;
  cChara c;
  c.m_nHp = 1;
  c.m_dVX = c.m_dVY = 3;
  EXPECT_EQ(c.UpdateFlows(0), 0);
  EXPECT_EQ(c.m_dVX, 0);
  EXPECT_EQ(c.m_dVY, 3);  // a walker keeps its fall
  EXPECT_EQ(c.m_Anim.m_nAnim, 0);  // idle
  c.m_Def.m_ScrollSync = 1;
  c.m_bFly = 1;
  c.UpdateFlows(0);
  EXPECT_EQ(c.m_dVX, 0.5);
  EXPECT_EQ(c.m_dVY, -0.25);
  EXPECT_EQ(c.m_Anim.m_nAnim, 2);  // idle in the air
  world.m_ScrollX.m_bAtLimit = 1;  // that axis stopped
  c.UpdateFlows(0);
  EXPECT_EQ(c.m_dVX, 0);
  SystemData.m_Switch214 = 1;  // characters start from rest
  world.m_ScrollX.m_bAtLimit = 0;
  c.UpdateFlows(0);
  EXPECT_EQ(c.m_dVX, 0);
  EXPECT_EQ(c.m_dVY, 0);
  // A command velocity left over is no idle.
  c.m_Anim.m_nAnim = 3;
  c.m_dVX2 = 1;
  c.UpdateFlows(0);
  EXPECT_EQ(c.m_Anim.m_nAnim, 3);
}

// The base velocity for every form: the rest switch (with the hero's own
// sync when it flies), the definition's sync, an axis at its limit, no scene.
// Scroll speeds 0.5 and -0.25; both velocities start at 3 (a walker keeps
// its vertical one).
TEST_F(StageCharaTest, BaseVelocityInEveryForm) {
  struct Case {
    int rest, hero, fly, sync, limX, limY;
    bool scene;
    double vx, vy;
  };
  const Case cases[] = {
      {1, 1, 1, 0, 0, 1, true, 0.5, 0},   {1, 1, 0, 1, 0, 0, true, 0, 3},     {1, 0, 1, 1, 0, 0, true, 0, 0},
      {0, 0, 0, 1, 0, 0, true, 0.5, 3},   {0, 0, 1, 1, 1, 0, true, 0, -0.25}, {0, 1, 1, 0, 0, 0, true, 0, 0},
      {0, 0, 1, 1, 0, 0, false, 0, 0},    {1, 1, 1, 0, 0, 0, false, 0, 0},    {0, 0, 1, 1, 0, 0, true, 0.5, -0.25},
  };
  world.m_ScrollX.m_dAutoSpeed = 0.5;
  world.m_ScrollY.m_dAutoSpeed = -0.25;
  for (const Case& k : cases) {
    SystemData.m_Switch214 = k.rest;
    world.m_ScrollX.m_bAtLimit = k.limX;
    world.m_ScrollY.m_bAtLimit = k.limY;
    PlayScene = k.scene ? &world : nullptr;
    cChara c;
    c.m_bFly = k.fly;
    c.m_Def.m_ScrollSync = static_cast<int8_t>(k.sync);
    c.m_dVX = c.m_dVY = 3;
    SetBaseVelocity(&c, k.hero != 0);
    const int row = static_cast<int>(&k - cases);
    EXPECT_EQ(c.m_dVX, k.vx) << row;
    EXPECT_EQ(c.m_dVY, k.vy) << row;
  }
}

TEST_F(StageCharaTest, NestedFlowUpdateKeepsTheCurrentObjects) {
  cChara runner, victim;
  cCmdRun cmd;
  world.m_pCurChara = &runner;
  world.m_pCurCmdRun = &cmd;
  victim.m_nHp = 0;
  EXPECT_EQ(victim.UpdateFlows(1), 1);  // a defeat runs the dying flows
  EXPECT_EQ(world.m_pCurChara, &runner);
  EXPECT_EQ(world.m_pCurCmdRun, &cmd);
}

}  // namespace
