// ctest-label: engine
#include <gtest/gtest.h>

#include "data/Cond.h"
#include "data/Replay.h"
#include "data/Stage.h"
#include "data/System.h"
#include "engine/World.h"
#include "engine/objects/StateConditions.h"
#include "tests/support/EngineFakes.h"

namespace {

// A hand-built scene: the hero (Player element 0), a running stage character
// ("self") and a target, with the camera at the origin.
class StateConditions : public ::testing::Test {
 protected:
  void SetUp() override {
    Player.clear();
    Player.resize(1);
    hero = &Player[0];
    Place(self, 100, 100);
    Place(*hero, 400, 100);
    Place(target, 300, 300);
    self.m_Targets = {&target, nullptr, nullptr, nullptr};
    SystemData.m_Switch782 = 0;
    SystemData.m_Switch733 = 0;
    Stage.m_AutoSpeedX = Stage.m_AutoSpeedY = 0;
  }
  void TearDown() override {
    Player.clear();
    SystemData.m_Switch782 = 0;
  }

  // A 32 × 32 box in a 32 × 32 cell at (x, y).
  static void Place(cCharaBase& c, double x, double y) {
    c.m_dX = x;
    c.m_dY = y;
    c.m_nW = c.m_nH = 32;
    c.m_dRight = x + 31;
    c.m_dBottom = y + 31;
    c.m_nPicW = c.m_nPicH = 32;
    c.m_nPicOfsX = c.m_nPicOfsY = 0;
  }

  static cCond Cond(int kind, int subject, int type, int op) {
    cCond c;
    c.m_Kind = static_cast<int8_t>(kind);
    c.m_Target = static_cast<int8_t>(subject);
    c.m_Status = static_cast<int8_t>(type);
    c.m_Op = static_cast<int8_t>(op);
    return c;
  }
  static cCond Distance(int subject, int shape, int hbl, int extra, int op) {
    cCond c = Cond(7, subject, 0, op);
    c.m_Shape = static_cast<int8_t>(shape);
    c.m_Value = hbl;
    c.m_RightIndex = static_cast<int16_t>(extra);
    return c;
  }

  cChara self, target;
  cHero* hero = nullptr;
};

TEST_F(StateConditions, StatusSwitches) {
  self.m_Def.m_Fly = 2;
  cCond c = Cond(5, 0, 3, 0);
  c.m_Index = 2;
  EXPECT_EQ(CheckStatusCondition2(&self, c), 1);
  c.m_Op = 4;
  EXPECT_EQ(CheckStatusCondition2(&self, c), 0);

  for (int op = 0; op < 8; ++op) {  // an empty target slot is false for every operator
    cCond e = Cond(5, 2, 3, op);
    EXPECT_EQ(CheckStatusCondition2(&self, e), 0) << op;
  }
  c = Cond(5, 0, 3, 6);  // value 0: multiple of everything
  EXPECT_EQ(CheckStatusCondition2(&self, c), 1);
  c.m_Op = 7;
  EXPECT_EQ(CheckStatusCondition2(&self, c), 0);

  target.m_Def.m_Transparent = -1;  // read unsigned
  c = Cond(5, 1, 1, 0);
  c.m_Index = 255;
  EXPECT_EQ(CheckStatusCondition2(&self, c), 1);
  target.m_Def.m_Size = 3;
  c = Cond(5, 1, 5, 2);
  c.m_Index = 3;
  EXPECT_EQ(CheckStatusCondition2(&self, c), 1);
  c.m_Status = 7;
  EXPECT_EQ(CheckStatusCondition2(&self, c), 0);

  Stage.m_AutoSpeedX = 30;
  Stage.m_AutoSpeedY = -5;
  c = Cond(5, 5, 0, 2);
  c.m_Index = 20;
  EXPECT_EQ(CheckStatusCondition2(&self, c), 1);
  c.m_Status = 1;
  EXPECT_EQ(CheckStatusCondition2(&self, c), 0);
  c.m_Status = 2;
  EXPECT_EQ(CheckStatusCondition2(&self, c), 0);
}

TEST_F(StateConditions, FacingGroundScreenAndExistence) {
  self.m_bFaceRight = 0;
  EXPECT_EQ(CheckStatusCondition3(&self, Cond(6, 0, 0, 0)), 1);
  EXPECT_EQ(CheckStatusCondition3(&self, Cond(6, 0, 1, 0)), 0);
  EXPECT_EQ(CheckStatusCondition3(&self, Cond(6, 0, 1, 1)), 1);  // negated

  self.m_bFalling = 0;
  self.m_bJumping = 0;
  EXPECT_EQ(CheckStatusCondition3(&self, Cond(6, 0, 2, 0)), 1);
  self.m_bFalling = 1;
  EXPECT_EQ(CheckStatusCondition3(&self, Cond(6, 0, 2, 0)), 0);
  self.m_bRiding = 1;  // riding a block character counts even while falling
  EXPECT_EQ(CheckStatusCondition3(&self, Cond(6, 0, 2, 0)), 1);
  self.m_Def.m_Fly = 1;
  EXPECT_EQ(CheckStatusCondition3(&self, Cond(6, 0, 2, 0)), 0);

  target.m_bOnScreen = 1;
  EXPECT_EQ(CheckStatusCondition3(&self, Cond(6, 1, 3, 0)), 1);
  self.m_Targets[1] = hero;  // the hero is tested against the camera instead
  hero->m_bOnScreen = 0;
  EXPECT_EQ(CheckStatusCondition3(&self, Cond(6, 2, 3, 0)), 1);
  Place(*hero, 2000, 100);
  hero->m_bOnScreen = 1;
  EXPECT_EQ(CheckStatusCondition3(&self, Cond(6, 2, 3, 0)), 0);

  // Empty slot: "exists" is false (so negated true); other types give 0 unnegated.
  EXPECT_EQ(CheckStatusCondition3(&self, Cond(6, 3, 4, 0)), 0);
  EXPECT_EQ(CheckStatusCondition3(&self, Cond(6, 3, 4, 1)), 1);
  EXPECT_EQ(CheckStatusCondition3(&self, Cond(6, 3, 3, 1)), 0);
  EXPECT_EQ(CheckStatusCondition3(&self, Cond(6, 1, 4, 0)), 1);
  target.m_bDead = 1;
  EXPECT_EQ(CheckStatusCondition3(&self, Cond(6, 1, 4, 0)), 0);
  EXPECT_EQ(CheckStatusCondition3(&self, Cond(6, 0, 4, 0)), 1);
  EXPECT_EQ(CheckStatusCondition3(&self, Cond(6, 0, 9, 0)), 0);
  EXPECT_EQ(CheckStatusCondition3(&self, Cond(6, 0, 9, 1)), 1);
}

TEST_F(StateConditions, Distance) {
  // 横 with no range: the subject's box overlaps self's cell [100, 132].
  Place(target, 130, 300);
  EXPECT_EQ(CheckDistanceCondition(&self, Distance(1, 0, 0, 0, 0)), 1);
  EXPECT_EQ(CheckDistanceCondition(&self, Distance(1, 0, 0, 0, 1)), 0);
  Place(target, 140, 300);
  EXPECT_EQ(CheckDistanceCondition(&self, Distance(1, 0, 0, 0, 0)), 0);
  EXPECT_EQ(CheckDistanceCondition(&self, Distance(1, 0, 0, 8, 0)), 1);  // 8 pixels more reach it
  EXPECT_EQ(CheckDistanceCondition(&self, Distance(1, 0, 0, 0, 1)), 1);

  // 前 with no range is the single point at self's centre (116).
  self.m_bFaceRight = 1;
  Place(target, 110, 300);
  EXPECT_EQ(CheckDistanceCondition(&self, Distance(1, 1, 0, 0, 0)), 1);
  Place(target, 120, 300);
  EXPECT_EQ(CheckDistanceCondition(&self, Distance(1, 1, 0, 0, 0)), 0);
  // 前 reaches to the right when facing right, 後 to the left.
  Place(target, 160, 300);
  EXPECT_EQ(CheckDistanceCondition(&self, Distance(1, 1, 2, 0, 0)), 1);
  EXPECT_EQ(CheckDistanceCondition(&self, Distance(1, 2, 2, 0, 0)), 0);
  self.m_bFaceRight = 0;
  EXPECT_EQ(CheckDistanceCondition(&self, Distance(1, 1, 2, 0, 0)), 0);
  EXPECT_EQ(CheckDistanceCondition(&self, Distance(1, 2, 2, 0, 0)), 1);

  // 縦: the y axis.
  Place(target, 500, 140);
  EXPECT_EQ(CheckDistanceCondition(&self, Distance(1, 3, 1, 0, 0)), 1);
  EXPECT_EQ(CheckDistanceCondition(&self, Distance(1, 3, 0, 0, 0)), 0);

  // 円: R = 64 against centres 60 apart, then 70 apart.
  Place(target, 160, 100);
  EXPECT_EQ(CheckDistanceCondition(&self, Distance(1, 6, 4, 0, 0)), 1);
  Place(target, 170, 100);
  EXPECT_EQ(CheckDistanceCondition(&self, Distance(1, 6, 4, 0, 0)), 0);
  EXPECT_EQ(CheckDistanceCondition(&self, Distance(1, 6, 4, 0, 1)), 1);
  EXPECT_EQ(CheckDistanceCondition(&self, Distance(1, 9, 4, 0, 0)), 0);  // unknown mode: not within

  // Subject 0 is the hero; an empty slot is false either way.
  Place(*hero, 130, 500);
  EXPECT_EQ(CheckDistanceCondition(&self, Distance(0, 0, 0, 0, 0)), 1);
  EXPECT_EQ(CheckDistanceCondition(&self, Distance(3, 0, 0, 0, 0)), 0);
  EXPECT_EQ(CheckDistanceCondition(&self, Distance(3, 0, 0, 0, 1)), 0);
}

TEST_F(StateConditions, DistanceEdgeRules) {
  // A negative range counts as 0 rather than shrinking self's span to nothing.
  Place(target, 130, 300);
  EXPECT_EQ(CheckDistanceCondition(&self, Distance(1, 0, -1, 0, 0)), 1);
  EXPECT_EQ(CheckDistanceCondition(&self, Distance(1, 0, 0, -40, 0)), 1);
  EXPECT_EQ(CheckDistanceCondition(&self, Distance(1, 6, -2147483647, 0, 1)), 1);
  // A huge range does not overflow.
  Place(target, 5000, 300);
  EXPECT_EQ(CheckDistanceCondition(&self, Distance(1, 0, 2147483647, 32767, 0)), 1);

  // With the refresh switch set the subject's screen box stays as it was.
  Place(target, 130, 300);
  EXPECT_EQ(CheckDistanceCondition(&self, Distance(1, 0, 0, 0, 0)), 1);  // refreshed to 130
  Place(target, 300, 300);
  SystemData.m_Switch782 = 1;
  EXPECT_EQ(CheckDistanceCondition(&self, Distance(1, 0, 0, 0, 0)), 1);
  SystemData.m_Switch782 = 0;
  EXPECT_EQ(CheckDistanceCondition(&self, Distance(1, 0, 0, 0, 0)), 0);

  // So does playing back a replay recorded by data version 781 or older.
  testsupport::FakeEngineServices services;
  services.gameType = 3;
  uint32_t version = Replay.m_DataVersion;
  Place(target, 130, 300);
  Replay.m_DataVersion = 782;
  EXPECT_EQ(CheckDistanceCondition(&self, Distance(1, 0, 0, 0, 0)), 1);
  Place(target, 300, 300);
  Replay.m_DataVersion = 781;
  EXPECT_EQ(CheckDistanceCondition(&self, Distance(1, 0, 0, 0, 0)), 1);
  services.gameType = 2;
  EXPECT_EQ(CheckDistanceCondition(&self, Distance(1, 0, 0, 0, 0)), 0);
  Replay.m_DataVersion = version;
}

}  // namespace
