// ctest-label: engine
#include <gtest/gtest.h>

#include <initializer_list>
#include <utility>
#include <vector>

#include "engine/flow/KeyMatch.h"

namespace {

using Runs = std::vector<std::pair<int, int>>;  // {active, frames}, newest first

enum : int { kNeutral = 0, kLeft = 1, kRight = 2, kUp = 3, kDown = 4, kRightDown = 8, kAnyDir = 9, kB1 = 11, kB2 = 12 };

// A 32-run history with the given newest runs, the rest {0, 0}.
void SetHistory(cInput& in, int slot, const Runs& runs) {
  cInput::cHistory& h =
      slot < 10 ? in.m_DirHistory[static_cast<size_t>(slot)] : in.m_ButtonHistory[static_cast<size_t>(slot - 10)];
  h.assign(cInput::kHistoryRuns, cInput::sCmdRun{0, 0});
  for (size_t i = 0; i < runs.size(); ++i) h[i] = cInput::sCmdRun{runs[i].first, runs[i].second};
}

// Feeds frames through the input's own history update, oldest first.
struct Frame {
  uint16_t dir;
  uint16_t buttons;
  int count;
};
cInput Played(std::initializer_list<Frame> frames) {
  cInput in;
  for (const Frame& f : frames)
    for (int i = 0; i < f.count; ++i) {
      in.m_wDir = f.dir;
      in.m_wButton = f.buttons;
      in.UpdateCommandHistory();
    }
  return in;
}
constexpr uint16_t L = cInput::DIR_LEFT, R = cInput::DIR_RIGHT, D = cInput::DIR_DOWN;

cKeyCond Held(std::initializer_list<int> slots, int min = 0, int max = 0, bool any = true) {
  cKeyCond k;
  for (int s : slots) k.m_KeyStates[static_cast<size_t>(s)] = 1;
  k.m_HoldMin = static_cast<int16_t>(min);
  k.m_HoldMax = static_cast<int16_t>(max);
  k.m_AnyHold = any ? 1 : 0;
  return k;
}

int Match(const cInput& in, const std::vector<cKeyCond>& steps, KeyMatchOptions opt = {}) {
  std::vector<const cKeyCond*> p;
  for (const cKeyCond& k : steps) p.push_back(&k);
  return MatchKeyHistory(in, p, opt);
}

// ShiftKeyHistory on hand-built histories. Slot 0 runs 3, 5, 2, 4 (newest
// first), the rest of the 32 runs empty. Entering a newer run subtracts the
// newer run's length; these positions are what recorded replays rely on.
struct ShiftCase {
  KeyCursor from;
  int n;
  KeyCursor to;
};
class ShiftKeyHistoryCase : public ::testing::TestWithParam<ShiftCase> {};

TEST_P(ShiftKeyHistoryCase, MovesTheCursorToTheExactPosition) {
  cInput in;
  SetHistory(in, kNeutral, {{1, 3}, {0, 5}, {1, 2}, {0, 4}});
  KeyCursors c = InitKeyCursors(in);
  c[0] = GetParam().from;
  ShiftKeyHistory(in, c, GetParam().n);
  EXPECT_EQ(c[0].nRun, GetParam().to.nRun);
  EXPECT_EQ(c[0].nLength, GetParam().to.nLength);
}

INSTANTIATE_TEST_SUITE_P(Positions, ShiftKeyHistoryCase,
                         ::testing::Values(ShiftCase{{0, 3}, -1, {0, 2}},  // inside the current run
                                           ShiftCase{
                                               {0, 3}, -3, {1, 5}},  // exactly to a run start: the older run, whole
                                           ShiftCase{{0, 3}, -4, {1, 4}},  // one frame into the older run
                                           ShiftCase{{0, 3}, -8, {2, 2}},  // over a whole run, landing on its start
                                           ShiftCase{{0, 3}, -100, {31, -86}},  // past the oldest run: stops at run 31
                                           ShiftCase{{0, 3}, 0, {0, 3}},        // n = 0 is the backward branch
                                           ShiftCase{{1, 4}, 1, {1, 5}},        // forward inside a run
                                           ShiftCase{{1, 4}, 2, {0, 3}},        // 6 - length of run 0 (3), not of run 1
                                           ShiftCase{{2, 2}, 4, {1, 1}},        // 6 - 5
                                           ShiftCase{{3, 1}, 9, {1, 3}},        // two runs: 10 - 2 - 5
                                           ShiftCase{{0, 3}, 5, {0, 8}}));      // past the newest run: stays at run 0

TEST(ShiftKeyHistory, MovesEveryHistoryByItsOwnRuns) {
  cInput in;
  SetHistory(in, kNeutral, {{1, 3}, {0, 5}});
  SetHistory(in, kB2, {{0, 1}, {1, 1}, {0, 7}});
  SetHistory(in, 18, {{1, 40}});
  KeyCursors c = InitKeyCursors(in);
  EXPECT_EQ(c[0], (KeyCursor{0, 3}));
  EXPECT_EQ(c[kB2], (KeyCursor{0, 1}));
  ShiftKeyHistory(in, c, -2);
  EXPECT_EQ(c[0], (KeyCursor{0, 1}));
  EXPECT_EQ(c[kB2], (KeyCursor{2, 7}));  // 1 - 2 = -1, + 1 = 0 -> start of run 2
  EXPECT_EQ(c[18], (KeyCursor{0, 38}));
  // An empty history walks to run 31 and keeps the deficit.
  EXPECT_EQ(c[kUp], (KeyCursor{31, -2}));
}

TEST(TestKeySlot, HeldLengthAndRelease) {
  const cKeyCond ranged = Held({kRight}, 1, 5, false);
  const cKeyCond any = Held({kRight});
  const cInput::sCmdRun on{1, 9}, off{0, 9};
  EXPECT_EQ(TestKeySlot(on, 1, ranged, 1), 1);
  EXPECT_EQ(TestKeySlot(on, 5, ranged, 1), 1);
  EXPECT_EQ(TestKeySlot(on, 6, ranged, 1), 0);
  EXPECT_EQ(TestKeySlot(on, 0, ranged, 1), 0);
  EXPECT_EQ(TestKeySlot(on, 6, any, 1), 1);
  EXPECT_EQ(TestKeySlot(on, 0, any, 1), 0);
  EXPECT_EQ(TestKeySlot(off, 3, any, 1), 0);
  EXPECT_EQ(TestKeySlot(off, 1, any, 2), 1);
  EXPECT_EQ(TestKeySlot(off, 0, any, 2), 0);
  EXPECT_EQ(TestKeySlot(on, 3, any, 2), 0);
  EXPECT_EQ(TestKeySlot(on, 3, any, 3), 0);
}

// Down, then down+right: with tolerance 0 the second state must follow the
// first directly; tolerance 3 accepts a gap of up to 3 frames.
TEST(MatchKeyHistory, DownThenDownRightWithTolerance) {
  const std::vector<cKeyCond> seq = {Held({kDown}), Held({kRightDown})};
  struct Case {
    int gap, tolerance, expected;
  };
  for (const Case& c : {Case{0, 0, 1}, Case{1, 0, 0}, Case{0, 3, 1}, Case{1, 3, 1}, Case{3, 3, 1}, Case{4, 3, 0},
                        Case{2, 1, 0}, Case{2, 2, 1}}) {
    const cInput in = Played({{0, 0, 5}, {D, 0, 3}, {0, 0, c.gap}, {static_cast<uint16_t>(D | R), 0, 2}});
    KeyMatchOptions opt;
    opt.tolerance = c.tolerance;
    EXPECT_EQ(Match(in, seq, opt), c.expected) << "gap " << c.gap << " tolerance " << c.tolerance;
  }
  // The newest step must hold now.
  const cInput released = Played({{D, 0, 3}, {static_cast<uint16_t>(D | R), 0, 2}, {0, 0, 1}});
  EXPECT_EQ(Match(released, seq, {3, false, false, false}), 0);
  // In repeat mode after a match only the newest step is tested.
  const cInput onlyNewest = Played({{static_cast<uint16_t>(D | R), 0, 9}});
  EXPECT_EQ(Match(onlyNewest, seq, {3, false, false, false}), 0);
  EXPECT_EQ(Match(onlyNewest, seq, {3, false, true, false}), 1);
}

// A held-length window on the older step reads the length the step had
// when the newer one began.
TEST(MatchKeyHistory, OlderStepLengthIsTheLengthAtTheBoundary) {
  const std::vector<cKeyCond> seq = {Held({kDown}, 2, 4, false), Held({kRightDown})};
  for (int held = 1; held <= 6; ++held) {
    const cInput in = Played({{0, 0, 5}, {D, 0, held}, {static_cast<uint16_t>(D | R), 0, 2}});
    EXPECT_EQ(Match(in, seq), held >= 2 && held <= 4) << held;
  }
}

// Two buttons pressed in the same frame: the older step only matches one
// frame after the newer step began, which the overlap switch allows.
TEST(MatchKeyHistory, OverlapSwitchDecidesSimultaneousPresses) {
  const std::vector<cKeyCond> seq = {Held({kB1}), Held({kB2})};
  const cInput together = Played({{0, 0, 5}, {0, 3, 3}});
  EXPECT_EQ(Match(together, seq, {2, false, false, false}), 0);
  EXPECT_EQ(Match(together, seq, {2, false, false, true}), 1);
  // Button 1 first, then both: a real sequence, matched without the overlap.
  const cInput sequenced = Played({{0, 0, 5}, {0, 1, 2}, {0, 3, 3}});
  EXPECT_EQ(Match(sequenced, seq, {2, false, false, false}), 1);
  // Without tolerance the overlap test is never reached.
  EXPECT_EQ(Match(together, seq, {0, false, false, true}), 0);
}

TEST(MatchKeyHistory, RelativeDirectionsMirrorForALeftFacingCharacter) {
  cKeyCond right = Held({kRight}, 1, 5, false);
  right.m_MirrorKeys = 1;
  const cInput pressingLeft = Played({{0, 0, 4}, {L, 0, 3}});
  const cInput pressingRight = Played({{0, 0, 4}, {R, 0, 3}});
  EXPECT_EQ(Match(pressingLeft, {right}, {0, true, false, false}), 1);
  EXPECT_EQ(Match(pressingRight, {right}, {0, true, false, false}), 0);
  EXPECT_EQ(Match(pressingRight, {right}, {0, false, false, false}), 1);
  // Held too long for the 1..5 window.
  const cInput longLeft = Played({{L, 0, 6}});
  EXPECT_EQ(Match(longLeft, {right}, {0, true, false, false}), 0);
  // Without the relative switch a left-facing character reads right as right.
  right.m_MirrorKeys = 0;
  EXPECT_EQ(Match(pressingLeft, {right}, {0, true, false, false}), 0);
}

TEST(MatchKeyStep, CombinationModesAndConsumedLength) {
  cInput in;
  SetHistory(in, kB1, {{1, 4}});
  SetHistory(in, kB2, {{1, 9}});
  SetHistory(in, 13, {{0, 2}});
  const KeyCursors c = InitKeyCursors(in);
  cKeyCond k = Held({kB1, kB2, 13});
  int consumed = -1;
  k.m_KeyMode = 0;
  EXPECT_EQ(MatchKeyStep(in, k, c, false, consumed), 0);
  k.m_KeyMode = 1;
  EXPECT_EQ(MatchKeyStep(in, k, c, false, consumed), 1);
  EXPECT_EQ(consumed, 9);  // the longest passing length
  k.m_KeyMode = 2;
  EXPECT_EQ(MatchKeyStep(in, k, c, false, consumed), 0);
  k.m_KeyMode = 5;
  EXPECT_EQ(MatchKeyStep(in, k, c, false, consumed), 0);
  k = Held({kB1, kB2});
  k.m_KeyMode = 0;
  EXPECT_EQ(MatchKeyStep(in, k, c, false, consumed), 1);
  EXPECT_EQ(consumed, 4);  // the shortest
  k.m_KeyStates[12] = 2;   // button 2 must be released: exactly one passes
  k.m_KeyMode = 2;
  EXPECT_EQ(MatchKeyStep(in, k, c, false, consumed), 1);
  EXPECT_EQ(consumed, 4);
}

TEST(MatchKeyHistory, EmptySequenceNeverMatches) { EXPECT_EQ(Match(cInput{}, {}), 0); }

TEST(CheckKeyCondition, CurrentRunsOnly) {
  const cInput in = Played({{R, 0, 50}, {0, 2, 1}});
  cKeyCond k = Held({kB2}, 5, 6, false);  // lengths are not tested here
  EXPECT_EQ(CheckKeyCondition(in, k), 1);
  k.m_KeyStates[kB1] = 1;
  EXPECT_EQ(CheckKeyCondition(in, k), 0);
  k.m_KeyMode = 1;
  EXPECT_EQ(CheckKeyCondition(in, k), 1);
  k.m_KeyMode = 2;
  EXPECT_EQ(CheckKeyCondition(in, k), 1);
  k.m_KeyStates[kRight] = 2;  // right released: true now, two pass
  EXPECT_EQ(CheckKeyCondition(in, k), 0);
  // Never mirrored: a relative "right" is not met by the left key.
  cKeyCond right = Held({kRight});
  right.m_MirrorKeys = 1;
  EXPECT_EQ(CheckKeyCondition(Played({{L, 0, 3}}), right), 0);
  EXPECT_EQ(CheckKeyCondition(Played({{R, 0, 3}}), right), 1);
}

TEST(FirstPressedKey, FirstActiveDirectionHistory) {
  EXPECT_EQ(FirstPressedKey(Played({{0, 0, 1}})), kNeutral);
  EXPECT_EQ(FirstPressedKey(Played({{L, 0, 1}})), kLeft);
  EXPECT_EQ(FirstPressedKey(Played({{static_cast<uint16_t>(D | R), 0, 1}})), kRightDown);
  EXPECT_EQ(FirstPressedKey(cInput{}), 0);  // nothing recorded yet
  cInput only9;
  SetHistory(only9, kAnyDir, {{1, 1}});
  EXPECT_EQ(FirstPressedKey(only9), kAnyDir);
}

}  // namespace
