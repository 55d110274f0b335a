// ctest-label: engine
// Character physics: knock-back, hit and skill points with their gauges,
// landing and ceiling contact, gravity, and the move and jump initialisation
// of command runs.
#include <gtest/gtest.h>

#include <cmath>
#include <utility>
#include <vector>

#include "data/Flow.h"
#include "data/Stage.h"
#include "data/System.h"
#include "engine/World.h"
#include "engine/flow/Conditions.h"
#include "engine/flow/FlowRun.h"
#include "engine/flow/Triggers.h"
#include "engine/objects/Chara.h"
#include "tests/engine/objects/CharaTestWorld.h"

namespace {

class CharaPhysicsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    PlayScene = &world;
    LayOutWorld(world, 60, 40);
    Stage = cStage();
    Stage.m_Gravity = 0.5;
    Stage.SetHitLevel(1);
    SystemData = cSystem();
    chara.m_nObjKind = 1;
    chara.m_nW = chara.m_nBaseW = 16;
    chara.m_nH = chara.m_nBaseH = 24;
    chara.m_Def.m_MaxHp = 100;
    chara.m_nHp = 100;
  }
  void TearDown() override { PlayScene = nullptr; }

  cPlayWorld world;
  cChara chara;
};

TEST_F(CharaPhysicsTest, ImpactIsReducedByResistance) {
  // The power left after the resistance is split along (1, 0) at n = 1:
  // u gives (√(1 + 128 |u|) − 1) / 2 with u's sign; nothing split keeps 0.75.
  struct Case {
    int8_t power, resist;
    double impactX;
  } cases[] = {
      {15, 20, 0.75},                // 15 − 20 < 0: 0
      {15, 5, 17.39553016817328},    // u = 10: (√1281 − 1) / 2
      {40, 5, 24.80316185775999},    // u = 35, at most 20: (√2561 − 1) / 2
      {-30, 5, -24.80316185775999},  // u = −25, at least −20
      {-8, 5, -9.310708435174291},   // u = −3: (√385 − 1) / 2
      {-3, 5, 0.75},                 // −3 + 5 > 0: 0
  };
  for (const auto& c : cases) {
    chara.m_Def.m_ImpactResist = c.resist;
    chara.m_ImpactX = 0.75;
    chara.m_ImpactY = 0;
    chara.m_bImpacted = 0;
    chara.ApplyImpact(c.power, 1, 0);
    EXPECT_NEAR(chara.m_ImpactX, c.impactX, 1e-12) << int(c.power) << " vs " << int(c.resist);
    EXPECT_EQ(chara.m_bImpacted, 1);
  }
  // Power 0 does nothing at all.
  chara.m_bImpacted = 0;
  chara.ApplyImpact(0, 1, 0);
  EXPECT_EQ(chara.m_bImpacted, 0);
}

TEST_F(CharaPhysicsTest, ImpactStopsOpposingMoves) {
  chara.m_dVX2 = -1;  // walking left, knocked right
  chara.m_dVY2 = 1;   // moving down, knocked up
  chara.m_dVY = 2;
  chara.ApplyImpact(10, 1, -1);
  EXPECT_GT(chara.m_ImpactX, 0);
  EXPECT_LT(chara.m_ImpactY, 0);
  EXPECT_EQ(chara.m_dVX2, 0);
  EXPECT_EQ(chara.m_dVY2, 0);
  EXPECT_EQ(chara.m_dVY, 0);
  // Same direction: kept.
  chara.m_dVX2 = 1;
  chara.ApplyImpact(10, 1, 0);
  EXPECT_EQ(chara.m_dVX2, 1);
}

TEST_F(CharaPhysicsTest, ImpactFromAWalkingAttackerIsHorizontal) {
  cChara attacker;
  attacker.m_Def.m_BodyImpact = 10;
  attacker.m_dVX = 2;
  attacker.m_dVY = 3;  // below 8n × g = 4: a walker's fall does not push down
  chara.ApplyImpactFromChara(&attacker);
  EXPECT_GT(chara.m_ImpactX, 0);
  EXPECT_EQ(chara.m_ImpactY, 0);
  attacker.m_dVY = 5;
  chara.ApplyImpactFromChara(&attacker);
  EXPECT_GT(chara.m_ImpactY, 0);
}

TEST_F(CharaPhysicsTest, ImpactDecaysOnePixelPerFramePerFrame) {
  Stage.SetHitLevel(4);  // n = 4: 0.25 per sub-step
  chara.m_ImpactX = 0.6;
  chara.m_ImpactY = -0.3;
  chara.DecayImpactX();
  chara.DecayImpactY();
  EXPECT_DOUBLE_EQ(chara.m_ImpactX, 0.35);
  EXPECT_DOUBLE_EQ(chara.m_ImpactY, -0.04999999999999999);
  chara.DecayImpactX();
  chara.DecayImpactX();
  chara.DecayImpactY();
  EXPECT_EQ(chara.m_ImpactX, 0);
  EXPECT_EQ(chara.m_ImpactY, 0);
}

TEST_F(CharaPhysicsTest, VerticalImpactReplacesThePreviousOne) {
  chara.m_dVY = 1;
  chara.m_ImpactY = -2;
  chara.ApplyImpactY();
  EXPECT_DOUBLE_EQ(chara.m_dVY, -1);
  chara.m_ImpactY = -1.5;
  chara.ApplyImpactY();
  EXPECT_DOUBLE_EQ(chara.m_dVY, -0.5);  // −1 − (−2) + (−1.5)
  EXPECT_DOUBLE_EQ(chara.m_PrevImpactY, -1.5);
  // A downward impact on a rider ends.
  chara.m_bRiding = 1;
  chara.m_ImpactY = 2;
  chara.ApplyImpactY();
  EXPECT_EQ(chara.m_ImpactY, 0);
}

TEST_F(CharaPhysicsTest, ChangeHpWhileInvincible) {
  chara.m_Def.m_Invincible = 1;
  EXPECT_EQ(chara.ChangeHp(-10, 0, 1), 0);
  EXPECT_EQ(chara.m_nHp, 100);
  EXPECT_EQ(chara.m_HpGauge.nFrames, 0);
  EXPECT_EQ(chara.ChangeHp(-10, 1, 1), 0);  // forced
  EXPECT_EQ(chara.m_nHp, 90);
  EXPECT_EQ(chara.ChangeHp(+5, 0, 0), 0);  // healing is no damage
  EXPECT_EQ(chara.m_nHp, 95);
  EXPECT_EQ(chara.ChangeHp(-1000, 1, 1), 1);
  EXPECT_EQ(chara.m_nHp, 0);
}

TEST_F(CharaPhysicsTest, ChangeHpLimitsHealingAndStartsTheGauge) {
  chara.m_nHp = 97;
  EXPECT_EQ(chara.ChangeHp(500, 0, 1), 0);
  EXPECT_EQ(chara.m_nHp, 100);
  EXPECT_EQ(chara.m_HpGauge.nFrames, 120);
  EXPECT_EQ(chara.m_HpGauge.nStartLength, 50);
  EXPECT_DOUBLE_EQ(chara.m_HpGauge.dChange, 3 * 50.0 / 100);  // delta 3
  EXPECT_DOUBLE_EQ(chara.m_HpGauge.dPerFrame, 1.5 * (1.0 / 60));
  // Extreme deltas neither overflow nor wrap.
  EXPECT_EQ(chara.ChangeHp(INT32_MIN, 1, 0), 1);
  EXPECT_EQ(chara.m_nHp, 0);
  chara.m_nHp = 50;
  EXPECT_EQ(chara.ChangeHp(INT32_MAX, 0, 1), 0);
  EXPECT_EQ(chara.m_nHp, 100);
}

TEST_F(CharaPhysicsTest, ChangeSpWithoutMaximum) {
  chara.m_Def.m_MaxSp = 0;
  EXPECT_EQ(chara.ChangeSp(5, 1), 1);
  EXPECT_EQ(chara.m_nSp, 0);
  EXPECT_EQ(chara.m_SpGauge.nFrames, 0);
  chara.m_Def.m_MaxSp = 20;
  EXPECT_EQ(chara.ChangeSp(5, 1), 0);
  EXPECT_EQ(chara.m_nSp, 5);
  EXPECT_EQ(chara.m_SpGauge.nFrames, 120);
  // A gauge of a maximum of 0 would divide by zero: none starts.
  chara.m_Def.m_MaxHp = 0;
  chara.m_HpGauge = GaugeAnim{};
  chara.StartHpGauge(5);
  EXPECT_EQ(chara.m_HpGauge.nFrames, 0);
}

// Events reach the character's flows: one flow per block-contact trigger
// (9 any block, 13 above or below, 14 above, 15 below), each gated by a
// condition that records {character ID, trigger} when it is asked.
std::vector<std::pair<int, int>> gAskedEvents;
int RecordAskedEvent(const cCond& cond, cCharaBase* subject) {
  gAskedEvents.emplace_back(subject->m_nID, cond.m_Value);
  return 0;  // the flow stays idle, so the next event is asked again
}

class CharaContactEvents : public CharaPhysicsTest {
 protected:
  void SetUp() override {
    CharaPhysicsTest::SetUp();
    saved_ = ConditionTable[1];
    ConditionTable[1] = RecordAskedEvent;
    gAskedEvents.clear();
    for (int trigger : {9, 13, 14, 15}) {
      cFlow f;
      f.m_Trigger = static_cast<int8_t>(trigger);
      cCond c;
      c.m_Kind = 1;
      c.m_Value = trigger;
      f.m_Conds.push_back(c);
      chara.m_Def.m_Flows.push_back(f);
    }
    for (size_t k = 0; k < chara.m_Def.m_Flows.size(); ++k) {
      cFlowRun r;
      r.nIndex = static_cast<int32_t>(k);
      r.lpFlow = &chara.m_Def.m_Flows[k];
      chara.m_FlowRuns.push_back(r);
    }
  }
  void TearDown() override {
    ConditionTable[1] = saved_;
    CharaPhysicsTest::TearDown();
  }
  CondEvaluator saved_ = nullptr;
};

TEST_F(CharaContactEvents, LandAndHitTheCeiling) {
  chara.m_dY = 100.7 - 23;  // bottom at 100.7
  chara.m_dBottom = 100.7;
  chara.m_dVY = 3;
  chara.m_bFalling = chara.m_bJumping = chara.m_bJumpRise = chara.m_bJumpBlocked = chara.m_bImpacted = 1;
  chara.m_nAirSteps = 5;
  chara.m_nID = 7;
  chara.Land();
  EXPECT_DOUBLE_EQ(chara.m_dY, 100.7 - 23 - 5);  // (100 & 31) + 1
  EXPECT_EQ(chara.m_dVY, 0);
  EXPECT_EQ(chara.m_WallD, 1);
  EXPECT_EQ(chara.m_bFalling + chara.m_bJumping + chara.m_bJumpRise + chara.m_bJumpBlocked + chara.m_nAirSteps, 0);
  EXPECT_EQ(gAskedEvents, (std::vector<std::pair<int, int>>{{7, 9}, {7, 13}, {7, 15}}));

  gAskedEvents.clear();
  ClearFlowTriggers(&chara);  // a new sub-step
  chara.m_dY = 70.5;
  chara.m_ImpactY = -2;
  chara.HitCeiling();
  EXPECT_DOUBLE_EQ(chara.m_dY, 96.5);  // 70.5 + 32 − (70 & 31)
  EXPECT_EQ(chara.m_ImpactY, 0);
  EXPECT_EQ(chara.m_bJumpBlocked, 1);
  EXPECT_EQ(gAskedEvents, (std::vector<std::pair<int, int>>{{7, 9}, {7, 13}, {7, 14}}));
  SystemData.m_Switch781 = 1;  // the ceiling keeps the knock-back
  chara.m_ImpactY = -2;
  chara.HitCeiling();
  EXPECT_EQ(chara.m_ImpactY, -2);
}

// Both decays at once (one sub-step: 1 per decay here). A knock-back on
// either axis takes the slow path, which leaves a 0 (or -0) alone.
TEST_F(CharaPhysicsTest, BothImpactsDecayTogether) {
  const double nan = std::nan("");
  struct Case {
    double x, y, newX, newY;
  };
  const Case cases[] = {
      {0, 0, 0, 0},       {-0.0, 0, -0.0, 0},  {-0.0, -0.0, -0.0, -0.0}, {0, 2.5, 0, 1.5},
      {-0.0, 2.5, -0.0, 1.5}, {3, 0, 2, 0},    {-0.5, 0, 0, 0},           {0.25, -4, 0, -3},
      {nan, 0.5, nan, 0},
  };
  for (const Case& k : cases) {
    cChara c;
    c.m_ImpactX = k.x;
    c.m_ImpactY = k.y;
    c.DecayImpacts();
    if (std::isnan(k.newX)) {
      EXPECT_TRUE(std::isnan(c.m_ImpactX));
    } else {
      EXPECT_EQ(c.m_ImpactX, k.newX) << k.x << " " << k.y;
      EXPECT_EQ(std::signbit(c.m_ImpactX), std::signbit(k.newX)) << k.x << " " << k.y;
    }
    EXPECT_EQ(c.m_ImpactY, k.newY) << k.x << " " << k.y;
    EXPECT_EQ(std::signbit(c.m_ImpactY), std::signbit(k.newY)) << k.x << " " << k.y;
  }
}

TEST_F(CharaPhysicsTest, TheHeroKeepsItsJumpBlockOnLanding) {
  cHero hero;
  hero.m_nObjKind = 0;
  hero.m_bJumpBlocked = 1;
  hero.Land();
  EXPECT_EQ(hero.m_bJumpBlocked, 1);
}

TEST_F(CharaPhysicsTest, Gravity) {
  chara.ApplyCharaGravity();
  EXPECT_DOUBLE_EQ(chara.m_dVY, 0.5);
  for (int which = 0; which < 4; ++which) {
    cChara c;
    c.m_bFly = which == 0;
    c.m_bRiding = which == 1;
    c.m_bMoveDisabled = which == 2;
    c.m_ImpactY = which == 3 ? -1 : 0;
    c.ApplyCharaGravity();
    EXPECT_EQ(c.m_dVY, 0) << which;
  }
}

// A command run of the given kind built the way the flow list builds it.
struct BuiltRun {
  cFlowCmd cmd;
  cCmdRun run;
  BuiltRun(int kind, int time) {
    cmd.m_CmdKind = static_cast<int8_t>(kind);
    cmd.m_Time = static_cast<int16_t>(time);
    run.lpCmd = &cmd;
  }
};

TEST_F(CharaPhysicsTest, JumpCommandInitialisation) {
  BuiltRun b(10, 99);
  b.cmd.m_Params = {0, 0, 4, 0, 0};
  InitJumpCmd(&b.run, &chara);
  EXPECT_DOUBLE_EQ(b.run.dSpeed, -8.25390529679106);  // a stage character: no hero factor
  EXPECT_EQ(b.cmd.m_Time, 3);                           // (17 / 1 / 6) + 1
  EXPECT_EQ(b.run.nFrames, 18);
  // No gravity: no NaN, the shortest duration.
  Stage.m_Gravity = 0;
  Stage.SetHitLevel(1);
  InitJumpCmd(&b.run, &chara);
  EXPECT_FALSE(std::isnan(b.run.dSpeed));
  EXPECT_EQ(b.cmd.m_Time, 1);
}

TEST_F(CharaPhysicsTest, MoveSpecConversion) {
  SystemData.m_Switch695 = 0;
  BuiltRun b(2, 10);
  b.cmd.m_pMove.reset(new cEdMove);
  cEdMove& m = *b.cmd.m_pMove;
  m.m_Distance = 4;  // half-blocks: 64 pixels
  m.m_SpeedMode = 1;  // time and distance
  b.run.nFrames = 32;
  InitMoveTimed(&b.run, &chara);
  EXPECT_DOUBLE_EQ(b.run.dSpeed, 2.0);
  m.m_SpeedMode = 2;  // speed and distance
  m.m_DistanceUnit = 1;
  m.m_Distance = -10;
  b.run.dSpeed = 4;
  InitMoveTimed(&b.run, &chara);
  EXPECT_EQ(b.run.nFrames, 2);  // −2.5 made positive
  SystemData.m_Switch695 = 1;
  InitMoveTimed(&b.run, &chara);
  EXPECT_EQ(b.run.nFrames, -2);
  // Zero divisors from data.
  b.run.dSpeed = 0;
  InitMoveTimed(&b.run, &chara);
  EXPECT_EQ(b.run.nFrames, 0);
  m.m_SpeedMode = 1;
  b.run.nFrames = 0;
  InitMoveTimed(&b.run, &chara);
  EXPECT_DOUBLE_EQ(b.run.dSpeed, -10);
  // The clone step scales the distance.
  chara.m_wSpawnTag = 2;
  m.m_DistanceStep = 3;
  b.run.nFrames = 4;
  InitMoveTimed(&b.run, &chara);
  EXPECT_DOUBLE_EQ(b.run.dSpeed, (3 * 2 - 10) / 4.0);
}

TEST_F(CharaPhysicsTest, CircleMoveInitialisation) {
  Stage.SetHitLevel(2);
  BuiltRun b(4, 10);
  b.cmd.m_pMove.reset(new cEdMove);
  cEdMove& m = *b.cmd.m_pMove;
  m.m_Angle = 0;
  m.m_Distance = 270;
  m.m_Extra = 25;  // radius clamped to 20 half-blocks
  m.m_SpeedMode = 0;
  b.run.nFrames = 120;
  InitMoveCircle(&b.run, &chara);
  EXPECT_EQ(b.run.nRadius, 20 * 16 * 2);
  EXPECT_EQ(b.run.nAngleFrom, 0);
  EXPECT_EQ(b.run.nAngleTo, 540);
  EXPECT_DOUBLE_EQ(b.run.dSpeed, 540.0 / 120 / 2);
  m.m_Angle = 180;
  m.m_Distance = 90;
  InitMoveCircle(&b.run, &chara);
  EXPECT_DOUBLE_EQ(b.run.dSpeed, 180.0 / 120 / 2);  // 90 degrees × n
  // Placed facing right with the first mirror switch: the other sense, +180.
  chara.m_Def.m_Facing = 1;
  b.run.nMoveKind = 0;
  InitMoveCircle(&b.run, &chara);
  EXPECT_EQ(b.run.nMoveKind, 1);
  EXPECT_EQ(b.run.nAngleFrom, 360 * 2);
  // Speed given, time derived; a speed of 0 gives no time.
  m.m_SpeedMode = 1;
  b.run.dSpeed = 0;
  InitMoveCircle(&b.run, &chara);
  EXPECT_EQ(b.run.nFrames, 0);
}

}  // namespace

namespace {

TEST_F(CharaPhysicsTest, OnTheGround) {
  EXPECT_EQ(chara.IsOnGround(), 0);
  chara.m_nBlockSide = 2;
  BlockMap.resize(3);
  BlockMap[1].m_Hit = 1;
  chara.m_lpFootBlock = &BlockMap[1];
  EXPECT_EQ(chara.IsOnGround(), 1);
  BlockMap[1].m_HitException = 2;  // this side passes through
  EXPECT_EQ(chara.IsOnGround(), 0);
  cBlockDef loose;  // a definition outside the map
  loose.m_Hit = 2;
  chara.m_lpFootBlock = &loose;
  EXPECT_EQ(chara.IsOnGround(), 1);
  chara.m_lpFootBlock = nullptr;
  chara.m_bRiding = 1;
  EXPECT_EQ(chara.IsOnGround(), 1);
  BlockMap.clear();
}

}  // namespace
