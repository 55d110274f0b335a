// ctest-label: engine
// The hero: camera follow, the variable-height jump (early release, jumping
// off a ride, the run-up height), the taken-item memory and fly status.
#include <gtest/gtest.h>

#include "data/Stage.h"
#include "engine/World.h"
#include "engine/objects/CharaMath.h"
#include "engine/objects/Hero.h"
#include "tests/engine/objects/CharaTestStubs.h"
#include "tests/support/EngineFakes.h"

namespace {

class HeroTest : public ::testing::Test {
 protected:
  void SetUp() override {
    PlayScene = &world;
    Stage = cStage();
    Stage.m_Gravity = 0.5;
    Stage.SetHitLevel(1);  // n = 1, g = 0.5
    LayOutWorld(world, 60, 60);  // bounds 320..2240 on both axes
    hero.m_nObjKind = 0;
    hero.m_nW = hero.m_nBaseW = 32;
    hero.m_nH = hero.m_nBaseH = 32;
    hero.m_bFalling = 0;
    hero.m_bJumpReady = 1;
    hero.m_dX = hero.m_dY = 1000;
    jump.m_CmdKind = 10;
    jump.m_Params = {0, 0, 4, 0, 0};  // p0 0: the key counts as held; height 4 hbl
    run.lpCmd = &jump;
    run.nFrames = 20;  // a 20-frame rise at n = 1
    run.dSpeed = hero.JumpSpeed(64);
  }
  void TearDown() override { PlayScene = nullptr; }

  // One flow update's worth of the jump command: the key held or not.
  void JumpStep(bool held) {
    jump.m_Params[0] = held ? 0 : 1;  // p0 1 without key conditions: not held
    hero.m_bJumpDone = 0;
    hero.Jump(&run);
  }

  testsupport::FakeEngineServices services;
  cPlayWorld world;
  cHero hero;
  cFlowCmd jump;
  cCmdRun run;
};

struct CameraCase {
  int upper;
  double x;
  double camera;
};

TEST_F(HeroTest, CameraFollowTable) {
  const CameraCase cases[] = {
      {2240, 500, 320},    // a stage 60 chips wide: the lower bound
      {2240, 1300, 996},   // centred: 1300 − (320 − 16)
      {2240, 2100, 1600},  // the upper bound: 2240 − 640
      {800, 700, 160},     // a stage 15 chips wide: the upper bound wins
  };
  for (const auto& c : cases) {
    world.m_ScrollX.Layout(0, c.upper / 32 - 10, (c.upper / 32 + 10) * 32 - 640);
    world.m_ScrollX.SetBounds(0, 0, 0, 0);
    ASSERT_EQ(world.m_ScrollX.m_nUpper, c.upper);
    hero.m_dX = c.x;
    hero.ClampX();
    EXPECT_DOUBLE_EQ(world.m_ScrollX.m_dPos, c.camera) << c.x;
  }
}

TEST_F(HeroTest, AutoScrollKeepsTheCamera) {
  world.m_ScrollX.m_bAuto = 1;
  world.m_ScrollX.m_dPos = 700;
  hero.m_dX = 1300;
  hero.ClampX();
  EXPECT_DOUBLE_EQ(world.m_ScrollX.m_dPos, 700);
}

TEST_F(HeroTest, JumpSpeedOfTheHero) {
  EXPECT_DOUBLE_EQ(hero.JumpSpeed(64), -8.068192427613262);
  EXPECT_DOUBLE_EQ(hero.JumpSpeedHbl(4), -8.068192427613262);
}

TEST_F(HeroTest, EarlyReleaseCutsTheRise) {
  JumpStep(true);  // the press starts the jump
  EXPECT_EQ(hero.m_bJumping, 1);
  EXPECT_DOUBLE_EQ(hero.m_dVY, run.dSpeed);
  EXPECT_EQ(services.calls().size(), 0u);  // sound 0 plays nothing
  hero.m_dVY += Stage.m_GravityStep;
  JumpStep(true);
  hero.m_dVY += Stage.m_GravityStep;
  const double before = hero.m_dVY;
  ASSERT_LT(before, 0);
  JumpStep(false);  // released after 2 frames of 20
  EXPECT_DOUBLE_EQ(hero.m_dVY, before * 0.3);
  EXPECT_EQ(hero.m_bJumpRise, 1);
  EXPECT_EQ(hero.m_nJumpHold, 0);
  EXPECT_EQ(hero.m_bJumpReady, 1);
}

TEST_F(HeroTest, HoldingGivesTheFullJump) {
  run.nFrames = 10;
  for (int i = 0; i < 10; ++i) {
    JumpStep(true);
    if (i < 9) hero.m_dVY += Stage.m_GravityStep;
  }
  ASSERT_LT(hero.m_dVY, 0);
  // The rise ended at the command's frame count while still rising.
  EXPECT_EQ(hero.m_bJumpRise, 1);
  EXPECT_EQ(hero.m_bJumpReady, 0);
  const double before = hero.m_dVY;
  JumpStep(false);
  EXPECT_DOUBLE_EQ(hero.m_dVY, before);  // no cut after the full rise
}

TEST_F(HeroTest, NoJumpBlockCountsAsRelease) {
  hero.m_bNoJumpBlock = 1;
  JumpStep(true);
  EXPECT_EQ(hero.m_bJumping, 0);
  EXPECT_DOUBLE_EQ(hero.m_dVY, 0);
}

TEST_F(HeroTest, JumpingOffARideWaitsForTheLastSubStep) {
  Stage.SetHitLevel(2);  // n = 2
  run.dSpeed = hero.JumpSpeed(64);
  hero.m_bRiding = 1;
  world.m_nSubStep = 0;
  JumpStep(true);
  EXPECT_EQ(hero.m_bRiding, 1);
  EXPECT_DOUBLE_EQ(hero.m_dVY, 0);
  world.m_nSubStep = 1;
  JumpStep(true);
  EXPECT_EQ(hero.m_bRiding, 0);
  EXPECT_EQ(hero.m_dVY, run.dSpeed * 1.0199999809265137);
  EXPECT_NE(hero.m_dVY, run.dSpeed * 1.02);
}

TEST_F(HeroTest, RunUpHeight) {
  // p0 2: p2 half-blocks at a run-up speed of p1 / 10 or more, p4 at p3 / 10
  // or less, in between p4 + (p2 − p4) × s / (p1 / 10), truncated.
  jump.m_Params = {2, 40, 6, 10, 2};
  const struct {
    double cvx;
    int hbl;
  } cases[] = {{0, 2}, {1.0, 2}, {-2.0, 4}, {3.9, 5}, {4.0, 6}, {9.0, 6}};
  for (const auto& c : cases) {
    hero.m_dVX2 = c.cvx;
    hero.m_bJumpDone = 0;
    hero.Jump(&run);
    EXPECT_DOUBLE_EQ(run.dSpeed, hero.JumpSpeed(16.0 * c.hbl)) << c.cvx;
  }
  // Without key conditions a key-bound jump never counts as held.
  EXPECT_EQ(hero.m_bJumping, 0);
}

TEST_F(HeroTest, TakenItemsAreRememberedById) {
  cItem a, b;
  a.m_nID = 3;
  b.m_nID = 4;
  hero.m_Taken.push_back(a.m_nID);
  EXPECT_EQ(hero.HasNotTaken(&a), 0);
  EXPECT_EQ(hero.HasNotTaken(&b), 1);
  cItem moved = a;  // the list may move items: the ID still matches
  EXPECT_EQ(hero.HasNotTaken(&moved), 0);
  hero.ForgetTaken(&a);
  EXPECT_EQ(hero.HasNotTaken(&a), 1);
}

}  // namespace
