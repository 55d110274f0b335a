// ctest-label: engine
#include <gtest/gtest.h>

#include <vector>

#include "data/Database.h"
#include "engine/instances/EffectPlayers.h"

namespace {

// Database lists for one test: entry 0 is "no effect".
class EffectTables : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = Database;
    Database.m_CharaEffects.assign(1, cCharaEffect{});
    Database.m_ScrEffects.assign(1, cScrEffect{});
    Database.m_AnimeList.clear();
    Database.m_Effects.clear();
  }
  void TearDown() override {
    Database = saved_;
    BuildRuntimeTables();
  }

  static int AddChara(int kind, int d, int a, int b) {
    cCharaEffect e;
    e.m_EffectKind = kind;
    e.m_EffectParam[0] = d;
    e.m_EffectParam[1] = a;
    e.m_EffectParam[2] = b;
    Database.m_CharaEffects.push_back(e);
    return static_cast<int>(Database.m_CharaEffects.size()) - 1;
  }
  static int AddScr(int kind, int d, int a, int b, int c = 0, int dd = 0) {
    cScrEffect e;
    e.m_EffectKind = kind;
    e.m_EffectParam[0] = d;
    e.m_EffectParam[1] = a;
    e.m_EffectParam[2] = b;
    e.m_EffectParam[3] = c;
    e.m_EffectParam[4] = dd;
    Database.m_ScrEffects.push_back(e);
    return static_cast<int>(Database.m_ScrEffects.size()) - 1;
  }
  // Steps until the player reports its end; the number of steps, or -1.
  template <class StepFn>
  static int StepsToEnd(StepFn step, int limit = 1000) {
    for (int i = 1; i <= limit; ++i)
      if (step()) return i;
    return -1;
  }

  cDatabase saved_;
};

TEST_F(EffectTables, CharaRampEndsWhenTheRealValuePassesTheEnd) {
  // 0 up to 10 in steps of 0.3: 10.2 already exceeds 10.
  cCharaEffectPlayer p;
  p.m_nStart = 0;
  p.m_nEnd = 10;
  p.m_dValue = 0;
  p.m_dStep = 0.3;
  EXPECT_EQ(StepsToEnd([&] { return p.Step(); }), 34);
  EXPECT_NEAR(p.m_dValue, 10.2, 1e-9);
}

TEST_F(EffectTables, ScreenRampEndsWhenTheTruncatedValuePassesTheEnd) {
  // The same ramp runs on through 10.2 (truncated 10) and ends at 11.1.
  cScrEffectPlayer p;
  p.m_dValue = 0;
  int n = StepsToEnd([&] { return p.Step(0, 10, 0.3); });
  EXPECT_EQ(n, 37);
  EXPECT_EQ(static_cast<int>(p.m_dValue), 11);
  // Downwards: ends at the first truncated value below the end.
  cScrEffectPlayer q;
  q.m_dValue = 5;
  EXPECT_EQ(StepsToEnd([&] { return q.Step(5, 3, 0.5); }), 5);  // 4.5 4 3.5 3 2.5
}

TEST_F(EffectTables, PingPongRunsForwardThenBackwardThenEnds) {
  const int i = AddChara(1, 1, 0, 3);  // step 3 / 6 = 0.5
  BuildRuntimeTables();
  cCharaEffectPlayer p;
  p.Start(i, 2, 0);
  EXPECT_EQ(p.m_nDirection, 0);
  std::vector<double> values;
  int n = StepsToEnd([&] {
    int r = p.Step();
    values.push_back(p.m_dValue);
    return r;
  });
  // 0.5 .. 3.5 ends the forward pass (7 steps) and restarts backward from 3;
  // 2.5 .. -0.5 ends it (7 more steps).
  EXPECT_EQ(n, 14);
  EXPECT_EQ(p.m_nDirection, 1);
  EXPECT_DOUBLE_EQ(values[6], 3.0);  // the restart happened within step 7
  EXPECT_DOUBLE_EQ(values[7], 2.5);
  EXPECT_DOUBLE_EQ(values[13], -0.5);

  // With repeat it never ends and keeps turning round.
  cCharaEffectPlayer r;
  r.Start(i, 2, 1);
  EXPECT_EQ(StepsToEnd([&] { return r.Step(); }, 100), -1);
  // Reversed mode plays the reversed motion and ends after one pass.
  cCharaEffectPlayer b;
  b.Start(i, 1, 0);
  EXPECT_EQ(b.m_nDirection, 1);
  EXPECT_DOUBLE_EQ(b.m_dValue, 3.0);
  EXPECT_EQ(StepsToEnd([&] { return b.Step(); }), 7);
}

TEST_F(EffectTables, ReversedMotionsSwapOnlyTheCopies) {
  const int i = AddChara(2, 1, 10, 40);
  const int s = AddScr(1, 1, 1, 2, 3, 4);
  BuildRuntimeTables();
  EXPECT_EQ(CharaEffectMotions[i].m_nStart, 10);
  EXPECT_EQ(CharaEffectMotionsRev[i].m_nStart, 40);
  EXPECT_EQ(CharaEffectMotionsRev[i].m_nEnd, 10);
  EXPECT_EQ(Database.m_CharaEffects[i].m_EffectParam[1], 10);
  EXPECT_EQ(CharaEffectDefsRev[i].m_EffectParam[1], 40);
  // Screen kind 1 swaps the pairs (A, C) and (B, D).
  EXPECT_EQ(ScrEffectMotions[s].m_nValue1, 1);
  EXPECT_EQ(ScrEffectMotionsRev[s].m_nValue1, 3);
  EXPECT_EQ(ScrEffectMotionsRev[s].m_nValue2, 4);
  EXPECT_EQ(Database.m_ScrEffects[s].m_EffectParam[1], 1);
  // A second build gives the same tables (the copies are taken afresh).
  BuildRuntimeTables();
  EXPECT_EQ(CharaEffectMotionsRev[i].m_nStart, 40);
  EXPECT_EQ(ScrEffectMotionsRev[s].m_nValue1, 3);
}

TEST_F(EffectTables, EqualValuesLastTheDurationThroughTheTimeCounter) {
  const int i = AddChara(3, 2, 5, 5);
  const int s = AddScr(9, 2, 7, 7);
  BuildRuntimeTables();
  cCharaEffectPlayer p;
  p.Start(i, 0, 0);
  EXPECT_EQ(StepsToEnd([&] { return p.Step(); }), 13);  // 12 frames run, the 13th ends it
  EXPECT_DOUBLE_EQ(p.m_dValue, 5.0);
  cScrEffectPlayer q;
  q.Start(s, 0, 0);
  EXPECT_EQ(q.m_bTimeBased, 1);
  EXPECT_EQ(q.m_nLimit, 2);
  EXPECT_EQ(StepsToEnd([&] { return q.Step(7, 7, 1.0); }), 13);
}

TEST_F(EffectTables, ZeroDurationEndsAfterOneStep) {
  const int up = AddChara(1, 0, 0, 100);
  const int down = AddChara(1, 0, 100, 0);
  const int time = AddChara(6, 0, 0, 0);
  const int scr = AddScr(4, 0, 0, 200);
  const int neg = AddChara(1, -3, 0, 100);
  BuildRuntimeTables();
  for (int i : {up, down, time, neg}) {
    cCharaEffectPlayer p;
    p.Start(i, 0, 0);
    EXPECT_EQ(p.Step(), 1) << i;
    cCharaEffectPlayer r;
    r.Start(i, 1, 0);
    EXPECT_EQ(r.Step(), 1) << i;
  }
  cScrEffectPlayer q;
  q.Start(scr, 0, 0);
  EXPECT_EQ(q.Step(0, 200, q.m_dStep), 1);
}

TEST_F(EffectTables, ClearKeepsModeAndFrame) {
  const int i = AddChara(1, 1, 0, 3);
  BuildRuntimeTables();
  cCharaEffectPlayer p;
  p.Start(i, 2, 1);
  p.m_nFrame = 9;
  p.Clear();
  EXPECT_EQ(p.m_nIndex, 0);
  EXPECT_EQ(p.m_pDef, nullptr);
  EXPECT_EQ(p.m_bRepeat, 0);
  EXPECT_EQ(p.m_nMode, 2);
  EXPECT_EQ(p.m_nFrame, 9);
}

TEST_F(EffectTables, PatternListsFromAnimationsAndEffects) {
  cAnime a0, a1;
  a0.m_Frames.clear();
  a1.m_Frames.clear();
  for (auto [p, d, u] : {std::tuple{3, 2, 0}, std::tuple{4, 1, 0}}) {
    cAnimeFrame f;
    f.m_Pattern = p, f.m_Duration = d, f.m_Uninterruptible = u;
    a0.m_Frames.push_back(f);
  }
  for (auto [p, d, u] : {std::tuple{1, 1, 0}, std::tuple{2, 3, 1}, std::tuple{5, 2, 0}}) {
    cAnimeFrame f;
    f.m_Pattern = p, f.m_Duration = d, f.m_Uninterruptible = u;
    a1.m_Frames.push_back(f);
  }
  Database.m_AnimeList = {a0, a1};
  BuildRuntimeTables();
  ASSERT_EQ(AnimeTable.size(), 2u);
  auto entries = [](const Animation& a) {
    std::vector<std::vector<int>> v;
    for (const auto& e : a) v.push_back({e.nPattern, e.nDuration, e.nFlag});
    return v;
  };
  EXPECT_EQ(entries(AnimeTable[0]), (std::vector<std::vector<int>>{{3, 0, 1}, {4, 0, 1}, {-2, 0, 1}}));
  EXPECT_EQ(entries(AnimeTable[1]), (std::vector<std::vector<int>>{{1, 6, 0}, {2, 18, 1}, {5, 12, 1}, {-4, 0, 0}}));
}

}  // namespace
