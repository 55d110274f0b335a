// ctest-label: engine
// The hero: camera follow, the variable-height jump (early release, jumping
// off a ride, the run-up height), the taken-item memory and fly status.
#include <gtest/gtest.h>

#include "data/Stage.h"
#include "engine/World.h"
#include "engine/flow/Commands.h"
#include "engine/objects/CharaMath.h"
#include "engine/objects/Hero.h"
#include "tests/engine/objects/CharaTestWorld.h"
#include "tests/support/EngineFakes.h"

// The file's own namespace keeps its helpers apart from other test files compiled with it.
namespace hero_test {

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
  world.m_nSubStep = 1;  // sub-steps count 1..n
  JumpStep(true);
  EXPECT_EQ(hero.m_bRiding, 1);
  EXPECT_DOUBLE_EQ(hero.m_dVY, 0);
  world.m_nSubStep = 2;
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

namespace {

TEST_F(HeroTest, SetupReadsPlayerOnesInput) {
  PlayerInput.resize(2);
  cCharaDef def;
  def.m_Control = 0;
  def.m_PlayerNo = 3;  // no such input record: player 1's is used
  def.m_Facing = 1;
  def.m_Size = 0;
  def.m_Flows.resize(1);
  cHero h;
  h.Setup(0, &def, 500, 500, 5);
  EXPECT_EQ(h.m_lpInput, &PlayerInput[0]);
  EXPECT_EQ(def.m_Size, 1);
  EXPECT_EQ(h.m_wSpawnTag, 0);  // the hero's commands use base values only
  EXPECT_EQ(h.m_bFaceRight, 1);
  EXPECT_EQ(h.m_bJumpReady, 1);
  EXPECT_DOUBLE_EQ(h.m_dAccelUnit, 4.0);
  EXPECT_EQ(h.m_nW, 16);
  EXPECT_EQ(h.m_nH, 24);
  EXPECT_EQ(h.m_HitBoxItem.nW, 16);
  EXPECT_EQ(h.m_FlowRuns.size(), 1u);
  ASSERT_EQ(h.m_Parts.size(), 4u);
  for (size_t i = 1; i < h.m_Parts.size(); ++i) {
    EXPECT_GE(h.m_Parts[i - 1].nW * h.m_Parts[i - 1].nH, h.m_Parts[i].nW * h.m_Parts[i].nH);
  }
  PlayerInput.clear();
}

TEST_F(HeroTest, FlyStatus) {
  hero.m_Def.m_Size = 2;
  hero.SetFlyStatus(2, 1);
  EXPECT_EQ(hero.m_bFly, 1);
  EXPECT_EQ(hero.m_nCrushGrace, 2);
  EXPECT_EQ(hero.m_nW, 32);  // 16 × 2
  EXPECT_EQ(hero.m_nBaseW, 16);
  EXPECT_EQ(hero.m_HitBoxShot.nW, 24);
  hero.m_nCrushGrace = 0;
  hero.m_dVX = hero.m_dVY = hero.m_dVX2 = hero.m_dVY2 = 1;
  hero.SetFlyStatus(3, 0);  // still flying: nothing stops
  EXPECT_EQ(hero.m_nCrushGrace, 0);
  EXPECT_EQ(hero.m_dVX, 1);
  hero.SetFlyStatus(0, 0);
  EXPECT_EQ(hero.m_nCrushGrace, 2);
  EXPECT_EQ(hero.m_dVX + hero.m_dVY + hero.m_dVX2 + hero.m_dVY2, 0);
  EXPECT_EQ(hero.m_nH, 24);
}

TEST_F(HeroTest, FlowUpdateKeepsTheCurrentObjects) {
  cChara other;
  cFlowRun outerRun;
  cCmdRun outerCmd;
  world.m_pCurChara = &other;
  world.m_pCurFlowRun = &outerRun;
  world.m_pCurCmdRun = &outerCmd;
  hero.m_nHp = 1;
  EXPECT_EQ(hero.UpdateFlows(0), 0);
  EXPECT_EQ(world.m_pCurChara, &other);
  EXPECT_EQ(world.m_pCurFlowRun, &outerRun);
  EXPECT_EQ(world.m_pCurCmdRun, &outerCmd);
  // Without a jump in the update the jump state is released.
  EXPECT_EQ(hero.m_bJumpReady, 1);
  hero.m_nHp = 0;
  EXPECT_EQ(hero.UpdateFlows(0), 1);
}

TEST_F(HeroTest, PendingFlowChangesApplyAfterTheUpdate) {
  Player.resize(1);
  cHero& h = Player[0];
  h.m_nHp = 1;
  cFlowCmd change;
  change.m_CmdSet = 1;
  change.m_CmdKind = 1;
  change.m_Params = {0, 0};  // add
  change.m_SubFlows.resize(2);
  world.m_pCurChara = &h;  // the hero's own flows are running
  ChangeFlow(&h, &change, 0);
  EXPECT_EQ(h.m_FlowRuns.size(), 0u);
  EXPECT_EQ(h.m_PendingFlowChanges.size(), 1u);
  world.m_pCurChara = nullptr;
  h.UpdateFlows(0);
  EXPECT_EQ(h.m_FlowRuns.size(), 2u);
  EXPECT_TRUE(h.m_PendingFlowChanges.empty());
  // Replace the flows of ID 0 (all of them) by one.
  change.m_Params = {1, 0};
  change.m_SubFlows.resize(1);
  ChangeFlow(&h, &change, 0);
  EXPECT_EQ(h.m_FlowRuns.size(), 1u);
  change.m_Params = {2, 0};
  ChangeFlow(&h, &change, 1);
  EXPECT_TRUE(h.m_FlowRuns.empty());
  Player.clear();
}

int HurtingItemCommand(cCharaBase* chara, cFlowCmd* cmd, cItem*) {
  chara->m_nHp -= cmd->m_Params.At(0);
  return cmd->m_Params.At(1);
}

TEST_F(HeroTest, ItemCommandsStopWhenHpRunsOut) {
  ItemCommandTable[5] = HurtingItemCommand;
  auto cmd = [](int damage, int result) {
    cFlowCmd c;
    c.m_CmdSet = 1;
    c.m_CmdKind = 5;
    c.m_Params = {damage, result};
    return c;
  };
  hero.m_nHp = 10;
  cVector<cFlowCmd> list = {cmd(3, 0), cmd(7, 0), cmd(1, 0)};
  world.m_bItemMessage = 1;
  EXPECT_EQ(RunItemCommands(&hero, list), 2);
  EXPECT_EQ(hero.m_nHp, 0);  // the third command did not run
  EXPECT_EQ(world.m_bItemMessage, 0);
  hero.m_nHp = 10;
  list = {cmd(1, 0), cmd(1, 4), cmd(1, 0)};
  EXPECT_EQ(RunItemCommands(&hero, list), 4);
  EXPECT_EQ(hero.m_nHp, 8);
  list = {cmd(1, 0)};
  EXPECT_EQ(RunItemCommands(&hero, list), 0);
  ItemCommandTable[5] = nullptr;
}

}  // namespace

}  // namespace hero_test
