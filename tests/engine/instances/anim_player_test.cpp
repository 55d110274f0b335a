// ctest-label: engine
#include "engine/instances/AnimPlayer.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<int> Steps(cAnimPlayer& p, int n) {
  std::vector<int> out;
  for (int i = 0; i < n; ++i) out.push_back(p.Step());
  return out;
}

cAnimPlayer Table(AnimTable table) {
  cAnimPlayer p;
  p.m_Patterns = std::move(table);
  return p;
}

}  // namespace

TEST(AnimPlayer, ItemTableTrace) {
  cAnimPlayer p;
  p.SetPatterns(kItemAnimSource);
  ASSERT_EQ(p.m_Patterns.size(), 1u);
  ASSERT_EQ(p.m_Patterns[0].size(), 3u);  // two drawable records and the loop entry
  EXPECT_EQ(p.Play(0, 1), 1);
  EXPECT_EQ(p.GetPattern(), 0);
  std::vector<int> trace = Steps(p, 60);
  for (int call = 1; call <= 60; ++call) {
    // Calls 1-14 give 0, 15-29 give 1, 30 loops to 0, then 15 calls per pattern.
    int expected = call < 15 ? 0 : call < 30 ? 1 : ((call - 30) / 15) % 2;
    EXPECT_EQ(trace[static_cast<size_t>(call - 1)], expected) << "call " << call;
  }
}

TEST(AnimPlayer, ShotTablesAndSourceForm) {
  cAnimPlayer p;
  p.SetPatterns(kShotAnimSource);
  ASSERT_EQ(p.m_Patterns.size(), 2u);
  EXPECT_EQ(p.m_Patterns[0].back().nPattern, kAnimEnd);
  EXPECT_EQ(p.m_Patterns[1].back().nPattern, kAnimLoop);
  // A sword runs 0, 1, 2 and then reports the end, and keeps reporting it.
  p.Play(0, 1);
  std::vector<int> t = Steps(p, 23);
  EXPECT_EQ(t[5], 0);
  EXPECT_EQ(t[6], 1);
  EXPECT_EQ(t[13], 2);
  EXPECT_EQ(t[20], kAnimEnd);
  EXPECT_EQ(t[22], kAnimEnd);

  // Only the flag's low byte is taken; a source whose first record is
  // negative gives an animation of that one control entry.
  static const AnimSourceRecord a0[] = {{3, 2, 0x101}, {kAnimHold, 0, 0}};
  static const AnimSourceRecord a1[] = {{kAnimEnd, 9, 0}, {7, 7, 7}};
  static const AnimSourceRecord* const src[] = {a0, a1, nullptr};
  p.SetPatterns(src);
  ASSERT_EQ(p.m_Patterns.size(), 2u);
  EXPECT_EQ(p.m_Patterns[0][0].nFlag, 1);
  ASSERT_EQ(p.m_Patterns[1].size(), 1u);
  EXPECT_EQ(p.m_Patterns[1][0].nPattern, kAnimEnd);

  // A null source keeps the table and the counters.
  p.Play(1, 1);
  p.m_nFrames = 4;
  p.SetPatterns(nullptr);
  EXPECT_EQ(p.m_Patterns.size(), 2u);
  EXPECT_EQ(p.m_nAnim, 1);
  EXPECT_EQ(p.m_nFrames, 4);
}

TEST(AnimPlayer, HoldJumpAndEnd) {
  // Pattern 5 for 10 calls, then hold: 5 for good.
  cAnimPlayer hold = Table({{{4, 2, 0}, {5, 10, 0}, {kAnimHold, 0, 0}}});
  hold.Play(0, 1);
  std::vector<int> t = Steps(hold, 40);
  EXPECT_EQ(t[0], 4);
  EXPECT_EQ(t[1], 5);
  for (size_t i = 1; i < t.size(); ++i) EXPECT_EQ(t[i], 5) << i;

  // A jump to animation 2 already returns its first pattern.
  cAnimPlayer jump = Table({{{1, 1, 0}, {kAnimJump, 2, 0}}, {{8, 1, 0}, {kAnimLoop, 0, 0}}, {{9, 3, 0}, {kAnimLoop, 0, 0}}});
  jump.Play(0, 1);
  EXPECT_EQ(jump.Step(), 9);
  EXPECT_EQ(jump.m_nAnim, 2);
  EXPECT_EQ(jump.m_nEntry, 0);
}

TEST(AnimPlayer, UninterruptibleEntriesRefuseUnforcedPlay) {
  cAnimPlayer p = Table({{{0, 5, 1}, {1, 5, 0}, {kAnimLoop, 0, 0}}, {{2, 5, 0}, {kAnimLoop, 0, 0}}});
  p.Play(0, 1);
  p.Step();
  EXPECT_EQ(p.Play(1, 0), 0);
  EXPECT_EQ(p.m_nAnim, 0);
  EXPECT_EQ(p.m_nEntry, 0);
  EXPECT_EQ(p.m_nFrames, 1);
  EXPECT_EQ(p.Change(1, 0), 0);
  EXPECT_EQ(p.Change(0, 0), 1);  // already current: not restarted
  EXPECT_EQ(p.m_nFrames, 1);
  EXPECT_EQ(p.Play(1, 1), 1);
  EXPECT_EQ(p.GetPattern(), 2);
  EXPECT_EQ(p.Play(0, 0), 1);  // entry 0 of animation 1 is interruptible
}

TEST(AnimPlayer, OutOfTableStatesDrawPatternZero) {
  cAnimPlayer empty;
  EXPECT_EQ(empty.Step(), 0);
  EXPECT_EQ(empty.m_nFrames, 0);
  EXPECT_EQ(empty.GetPattern(), 0);

  // An animation with no entries, a hold at entry 0 and a number beyond the table.
  cAnimPlayer p = Table({{}, {{kAnimHold, 0, 0}}, {{6, 1, 0}, {kAnimLoop, 0, 0}}});
  p.Play(0, 1);
  EXPECT_EQ(p.Step(), 0);
  p.Play(1, 1);
  EXPECT_EQ(p.GetPattern(), 0);
  EXPECT_EQ(p.Step(), 0);
  EXPECT_EQ(p.Step(), 0);
  EXPECT_EQ(p.Play(7, 0), 1);  // not compared with the table's size
  EXPECT_EQ(p.Step(), 0);
  EXPECT_EQ(p.GetPattern(), 0);

  p.Clear();
  EXPECT_TRUE(p.m_Patterns.empty());
  EXPECT_EQ(p.m_nAnim, 0);
}
