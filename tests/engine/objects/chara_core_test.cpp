// ctest-label: engine
// The running character core: set-up from a definition, the flow lists with
// their runs and lead-in animations, flow removal, links and targets.
#include <gtest/gtest.h>

#include "data/Database.h"
#include "data/Stage.h"
#include "engine/World.h"
#include "engine/objects/Chara.h"
#include "engine/objects/Hero.h"
#include "tests/engine/objects/CharaTestWorld.h"

namespace {

cFlowCmd Cmd(int kind, int time, int withNext = 0) {
  cFlowCmd c;
  c.m_CmdKind = static_cast<int8_t>(kind);
  c.m_Time = static_cast<int16_t>(time);
  c.m_WithNext = static_cast<uint8_t>(withNext);
  return c;
}

cFlow Flow(int id, std::initializer_list<cFlowCmd> cmds) {
  cFlow f;
  f.m_FlowId = static_cast<int8_t>(id);
  f.m_Cmds = cVector<cFlowCmd>(cmds);
  return f;
}

class CharaCoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    PlayScene = &world;
    Stage = cStage();
    Stage.SetHitLevel(1);
    Database = cDatabase();
    Player.clear();
    CharaList.clear();
  }
  void TearDown() override {
    CharaList.clear();
    Player.clear();
    PlayScene = nullptr;
  }

  // Checks run i against flow i, its key conditions and commands.
  static void ExpectBound(cChara& c) {
    ASSERT_EQ(c.m_FlowRuns.size(), c.m_Def.m_Flows.size());
    for (size_t i = 0; i < c.m_FlowRuns.size(); ++i) {
      const cFlowRun& r = c.m_FlowRuns[i];
      cFlow& f = c.m_Def.m_Flows[i];
      EXPECT_EQ(r.nIndex, static_cast<int>(i));
      EXPECT_EQ(r.lpFlow, &f);
      ASSERT_EQ(r.CmdRuns.size(), f.m_Cmds.size());
      for (size_t j = 0; j < r.CmdRuns.size(); ++j) EXPECT_EQ(r.CmdRuns[j].lpCmd, &f.m_Cmds[j]);
      ASSERT_EQ(r.KeyConds.size(), f.m_KeyConds.size());
      for (size_t j = 0; j < r.KeyConds.size(); ++j) EXPECT_EQ(r.KeyConds[j], &f.m_KeyConds[j]);
    }
  }

  cPlayWorld world;
};

TEST_F(CharaCoreTest, InitFromDef) {
  cCharaDef def;
  def.m_MaxHp = 30;
  def.m_MaxSp = 7;
  def.m_ViewRange = -2;
  def.m_StopEase = 100;
  def.m_ScrollSync = 1;
  def.m_CharaEffect = 5;
  def.m_CharaEffectArg1 = 1;
  def.m_CharaEffectArg2 = 3;
  Stage.SetHitLevel(2);
  cChara c;
  c.m_Vars.assign(3, 9);
  c.InitFromDef(&def, 100.5, 200, -3);
  EXPECT_EQ(c.m_wSpawnTag, -3);
  EXPECT_EQ(c.m_nHp, 30);
  EXPECT_EQ(c.m_nSp, 7);
  EXPECT_EQ(c.m_Targets, cVector<cCharaBase*>(4, nullptr));
  EXPECT_EQ(c.m_Vars, cVector<int32_t>(9, 0));
  EXPECT_EQ(c.m_FlowIdBusy.size(), 27u);
  EXPECT_EQ(c.m_FlowIdStopped.size(), 27u);
  EXPECT_EQ(c.m_FlowIdStarted.size(), 27u);
  EXPECT_EQ(c.m_nSight, -32);
  EXPECT_DOUBLE_EQ(c.m_dDecel, 100 * 0.01 / 4);
  EXPECT_EQ(c.m_bScrollSync, 1);
  EXPECT_EQ(c.m_bFalling, 1);
  EXPECT_EQ(c.m_nTurnSide, -1);
  EXPECT_DOUBLE_EQ(c.m_OriginX, 100.5);
  EXPECT_EQ(c.m_CharaEffect.m_nIndex, 5);
  EXPECT_EQ(c.m_CharaEffect.m_nMode, 1);
  EXPECT_EQ(c.m_CharaEffect.m_bRepeat, 3);
  // No definition: the copy stays, HP and SP stay 0.
  c.InitFromDef(nullptr, 0, 0, 0);
  EXPECT_EQ(c.m_Def.m_MaxHp, 30);
  EXPECT_EQ(c.m_nHp, 0);
}

TEST_F(CharaCoreTest, HitOffsets) {
  cChara c;
  c.m_nPicOfsX = 8;
  c.m_nPicOfsY = 8;
  c.SetHitOffsets(1, 12, 24);
  EXPECT_EQ(c.m_HitBoxChara.nOfsX, 16 - 8 - 6);
  EXPECT_EQ(c.m_HitBoxChara.nOfsY, 32 - 8 - 24);
  EXPECT_EQ(c.m_HitBoxChara.nBaseW, 12);
  c.SetHitOffsets(0, 13, 13);
  EXPECT_EQ(c.m_HitBoxChara.nOfsX, 16 - 8 - 6);
  EXPECT_EQ(c.m_HitBoxChara.nOfsY, 16 - 8 - 6);
}

TEST_F(CharaCoreTest, BuildingTheFlowList) {
  Stage.SetHitLevel(2);
  cChara c;
  c.m_wSpawnTag = 3;
  cFlowCmd timed = Cmd(1, 2);
  timed.m_TimeStep = 1;  // (1 × 3 + 2) × n × 6
  cFlowCmd move = Cmd(2, 1);
  move.m_pMove.reset(new cEdMove);
  move.m_pMove->m_Speed = 10;
  move.m_pMove->m_SpeedStep = 2;
  move.m_pMove->m_Inertia = 1;
  move.m_pMove->m_InertiaLimit = 30;
  move.m_pMove->m_Direction = 7;
  cFlowCmd loop = Cmd(39, 0);
  loop.m_Params = {2, 1};
  c.m_Def.m_Flows = {Flow(0, {timed, move}), Flow(0, {loop, Cmd(1, 1)})};
  c.m_Def.m_Flows[0].m_KeyConds.resize(2);
  EXPECT_EQ(c.AddFlows(c.m_Def.m_Flows, 0, 0), 2);
  ExpectBound(c);
  const cFlowRun& r0 = c.m_FlowRuns[0];
  EXPECT_EQ(r0.CmdRuns[0].nFrames, 60);
  EXPECT_EQ(r0.CmdRuns[1].nFrames, 12);
  EXPECT_DOUBLE_EQ(r0.CmdRuns[1].dSpeed, (2 * 3 + 10) * 0.1 / 2);
  EXPECT_DOUBLE_EQ(r0.CmdRuns[1].dSpeed2, 30 * 0.1 / 2);
  EXPECT_EQ(r0.CmdRuns[1].nMoveKind, 7);
  EXPECT_EQ(c.m_Def.m_Flows[1].m_Cmds.size(), 2u);  // the loop was expanded
  EXPECT_EQ(c.m_FlowRuns[0].nSerial, 0);
  EXPECT_EQ(c.m_FlowRuns[1].nSerial, 1);
}

TEST_F(CharaCoreTest, InsertingFlowsRenumbersTheRuns) {
  cChara c;
  for (int i = 0; i < 5; ++i) c.m_Def.m_Flows.push_back(Flow(i + 1, {Cmd(1, i + 1)}));
  c.AddFlows(c.m_Def.m_Flows, 0, 0);
  cVector<cFlow> added = {Flow(10, {Cmd(1, 7)}), Flow(11, {Cmd(1, 8)})};
  added[1].m_KeyRepeat = 1;
  EXPECT_EQ(c.AddFlows(added, 1, 2), 2);
  ExpectBound(c);
  const int ids[] = {1, 2, 10, 11, 3, 4, 5};
  const int serials[] = {0, 1, 5, 6, 2, 3, 4};
  for (int i = 0; i < 7; ++i) {
    EXPECT_EQ(c.m_Def.m_Flows[i].m_FlowId, ids[i]);
    EXPECT_EQ(c.m_FlowRuns[i].nSerial, serials[i]);
  }
  EXPECT_EQ(c.m_FlowRuns[2].bKeyLatch, 1);  // no key repeat: latched
  EXPECT_EQ(c.m_FlowRuns[3].bKeyLatch, 0);
  // Past the end: appended.
  EXPECT_EQ(c.AddFlows({Flow(12, {Cmd(1, 1)})}, 1, 99), 1);
  EXPECT_EQ(c.m_Def.m_Flows.back().m_FlowId, 12);
  ExpectBound(c);
  EXPECT_EQ(c.AddFlows({}, 1, 0), 0);
}

TEST_F(CharaCoreTest, RemovingFlows) {
  cChara c;
  for (int id : {1, 2, 1, 3}) c.m_Def.m_Flows.push_back(Flow(id, {Cmd(1, 1)}));
  c.AddFlows(c.m_Def.m_Flows, 0, 0);
  c.m_FlowRuns[2].bRunning = 1;
  EXPECT_EQ(c.RemoveFlowsById(1), 0);
  ExpectBound(c);
  ASSERT_EQ(c.m_Def.m_Flows.size(), 2u);
  EXPECT_EQ(c.m_Def.m_Flows[0].m_FlowId, 2);
  EXPECT_EQ(c.RemoveFlowsById(9), -1);
  c.RemoveFlow(0);
  ExpectBound(c);
  EXPECT_EQ(c.m_Def.m_Flows[0].m_FlowId, 3);
  EXPECT_EQ(c.RemoveFlowsById(0), 0);
  EXPECT_TRUE(c.m_FlowRuns.empty());
  EXPECT_TRUE(c.m_Def.m_Flows.empty());
}

TEST_F(CharaCoreTest, LeadInAnimations) {
  // Animation 1 lasts 10 units (60 frames) before its loop-end frame.
  cAnime anime;
  anime.m_Frames.resize(3);
  anime.m_Frames[0].m_Duration = 4;
  anime.m_Frames[1].m_Duration = 6;
  anime.m_Frames[2].m_Duration = 50;
  anime.m_Frames[2].m_Uninterruptible = 1;
  Database.m_AnimeList.resize(2);
  Database.m_AnimeList[1] = anime;

  cFlowCmd animated = Cmd(1, 3);
  animated.m_Anime = 1;
  cFlowCmd jump = Cmd(10, 1);
  jump.m_Anime = 1;
  jump.m_Params = {0, 0, 2, 0, 0};
  cChara c;
  c.m_Def.m_Flows = {Flow(0, {Cmd(1, 20), animated}), Flow(0, {animated}),
                     Flow(0, {Cmd(1, 5), Cmd(1, 30, 1), jump})};
  c.AddFlows(c.m_Def.m_Flows, 0, 0);

  ASSERT_EQ(c.m_FlowRuns[0].LeadIns.size(), 1u);
  const LeadInEntry& a = c.m_FlowRuns[0].LeadIns[0];
  EXPECT_EQ(a.nStart, 60);  // after a 120-frame wait
  EXPECT_EQ(a.nStart2, 60);
  EXPECT_EQ(a.nSkip, 0);
  EXPECT_EQ(a.nLength, 60);
  EXPECT_EQ(a.nTimeBase6, 18);
  EXPECT_EQ(a.bLoops, 1);

  ASSERT_EQ(c.m_FlowRuns[1].LeadIns.size(), 1u);
  const LeadInEntry& b = c.m_FlowRuns[1].LeadIns[0];
  EXPECT_EQ(b.nStart, 0);  // nothing before it: its first frames are skipped
  EXPECT_EQ(b.nSkip, 60);
  EXPECT_EQ(b.nLength, 0);

  // A no-wait command before it counts for nothing: 30 of 60 frames remain.
  ASSERT_EQ(c.m_FlowRuns[2].LeadIns.size(), 1u);
  const LeadInEntry& j = c.m_FlowRuns[2].LeadIns[0];
  EXPECT_EQ(j.nStart, 0);
  EXPECT_EQ(j.nSkip, 30);
  EXPECT_EQ(j.nLength, 30);
  EXPECT_EQ(j.bLoops, 0);  // a jump does not loop
}

// A started lead-in holds for the command's time base × 6 frames, and its
// first flagged frame is lengthened by that hold less one. Animation 1 is
// {pattern 7, 4 frames}, {pattern 8, 6 frames, flagged}, end.
TEST_F(CharaCoreTest, LeadInHoldAndFlaggedFrameFollowTheTimeBase) {
  struct Case {
    int timeBase, hold, flaggedFrames;
  } const cases[] = {
      {1, 6, 11},   // 6 + (6 - 1)
      {2, 12, 17},  // 6 + (12 - 1)
  };
  const cVector<Animation> savedTable = AnimeTable;
  AnimeTable.assign(2, Animation{});
  AnimeTable[1] = {{7, 4, 0}, {8, 6, 1}, {kAnimEnd, 0, 0}};
  for (const Case& k : cases) {
    SCOPED_TRACE(k.timeBase);
    cChara c;
    cFlowRun run;
    run.bRunning = 1;
    run.nSteps = 5;
    run.nSerial = 40;
    LeadInEntry e;
    e.nStart = 5;
    e.nAnimId = 1;
    e.nLength = 10;
    e.nTimeBase6 = static_cast<int16_t>(k.timeBase * 6);
    e.bLoops = 1;
    run.LeadIns.push_back(e);
    c.m_FlowRuns.push_back(run);

    StartFlowCmdAnims(&c);
    ASSERT_EQ(c.m_Effects.size(), 1u);
    const CharaEffectEntry& started = c.m_Effects.front();
    EXPECT_EQ(started.nHold, k.hold);
    EXPECT_EQ(started.nCountdown, 10);
    EXPECT_EQ(started.bPriority, 1);
    ASSERT_EQ(started.Anim.m_Patterns.size(), 1u);
    ASSERT_EQ(started.Anim.m_Patterns[0].size(), 3u);
    EXPECT_EQ(started.Anim.m_Patterns[0][0].nDuration, 4);  // not flagged: unchanged
    EXPECT_EQ(started.Anim.m_Patterns[0][1].nDuration, k.flaggedFrames);
    // The shared table is left as it was.
    EXPECT_EQ(AnimeTable[1][1].nDuration, 6);

    // Ending the run: an entry whose countdown fell to -hold is gone at once
    // (hold + countdown - 1 = -1); one at -hold + 1 stays and is marked ending.
    c.m_Effects.front().nCountdown = -k.hold;
    CharaEffectEntry kept = c.m_Effects.front();
    kept.nCountdown = -k.hold + 1;
    c.m_Effects.push_back(kept);
    CharaEffectEntry other = kept;
    other.nRunSerial = 41;
    c.m_Effects.push_back(other);
    EndFlowEffects(&c, 40);
    ASSERT_EQ(c.m_Effects.size(), 2u);
    EXPECT_EQ(c.m_Effects.front().nCountdown, -k.hold + 1);
    EXPECT_EQ(c.m_Effects.front().bEnding, 1);
    EXPECT_EQ(c.m_Effects.back().nRunSerial, 41);
    EXPECT_EQ(c.m_Effects.back().bEnding, 0);
  }
  AnimeTable = savedTable;
}

TEST_F(CharaCoreTest, BaseAnimationSet) {
  cAnimeSet set;
  set.m_Animes.resize(2);
  set.m_Animes[1].m_Frames.resize(2);
  set.m_Animes[1].m_Frames[0].m_Pattern = 3;
  set.m_Animes[1].m_Frames[0].m_Duration = 2;
  set.m_Animes[1].m_Frames[1].m_Pattern = 4;
  Database.m_AnimeSets = {cAnimeSet(), set};
  cChara c;
  c.SetBaseAnimSet(1, 1);
  ASSERT_EQ(c.m_Anim.m_Patterns.size(), 2u);
  const Animation& a = c.m_Anim.m_Patterns[1];
  ASSERT_EQ(a.size(), 3u);
  EXPECT_EQ(a[0].nPattern, 3);
  EXPECT_EQ(a[0].nDuration, 12);
  EXPECT_EQ(a[2].nPattern, kAnimLoop);
  EXPECT_EQ(c.m_Def.m_AnimeSet, 1);
}

TEST_F(CharaCoreTest, LinksAndTargets) {
  Player.resize(1);
  cHero& hero = Player[0];
  CharaList.resize(2);
  cChara& parent = CharaList.front();
  cChara& child = CharaList.back();
  child.InitTargets(&parent);
  child.InitTargets(&parent);  // twice: no duplicate link
  EXPECT_EQ(child.m_Targets[0], &hero);
  EXPECT_EQ(hero.m_Links.size(), 1u);
  EXPECT_EQ(parent.m_Links.size(), 1u);
  EXPECT_EQ(parent.m_Links[0].nSlot, 4);
  // The parent targets the child in slot 2.
  parent.m_Targets[2] = &child;
  child.m_Links.push_back(CharaLink{&parent, 2});
  {
    cChara& doomed = parent;
    doomed.DetachLinks();
  }
  EXPECT_EQ(child.m_lpParent, nullptr);
  EXPECT_TRUE(child.m_Links.empty());
  EXPECT_EQ(parent.m_Targets[2], nullptr);
  // Destroying a target clears the slot that pointed at it.
  CharaList.pop_back();
  EXPECT_TRUE(hero.m_Links.empty());
}

TEST_F(CharaCoreTest, DestroyingATargetClearsTheSlot) {
  CharaList.resize(2);
  cChara& a = CharaList.front();
  cChara& b = CharaList.back();
  a.m_Targets.assign(4, nullptr);
  a.m_Targets[1] = &b;
  b.m_Links.push_back(CharaLink{&a, 1});
  CharaList.pop_back();
  EXPECT_EQ(a.m_Targets[1], nullptr);
}

TEST_F(CharaCoreTest, FindCharaByIdPrefersTheHero) {
  Player.resize(1);
  Player[0].m_nID = 4;
  CharaList.resize(2);
  CharaList.front().m_nID = 4;
  CharaList.back().m_nID = 5;
  EXPECT_EQ(FindCharaById(4), &Player[0]);
  EXPECT_EQ(FindCharaById(5), &CharaList.back());
  EXPECT_EQ(FindCharaById(6), nullptr);
}

TEST_F(CharaCoreTest, CopyRebindsTheRuns) {
  cChara c;
  c.m_Def.m_Flows = {Flow(1, {Cmd(1, 1), Cmd(1, 2)})};
  c.AddFlows(c.m_Def.m_Flows, 0, 0);
  cChara copy;
  copy.Assign(c);
  ExpectBound(copy);
  EXPECT_NE(copy.m_FlowRuns[0].lpFlow, c.m_FlowRuns[0].lpFlow);
}

}  // namespace
