#pragma once
// Key conditions of flows, matched against one player's command histories.
// A flow's key conditions form a sequence of steps; the newest step must hold
// now, and each older step must hold just before the time the newer one
// began (within the flow's tolerance). These functions work on the input
// record alone; the character-level wrappers live in FlowTriggers.h.
//
// Key slots 0..9 are the ten direction histories (neutral, left, right, up,
// down, left+up, left+down, right+up, right+down, any direction), slots
// 10..18 the nine button histories (none, buttons 1 to 8). Each history is up
// to 32 runs {active, length in frames}, run 0 the current one.
#include <array>
#include <cstdint>
#include <vector>

#include "data/Flow.h"
#include "engine/flow/Triggers.h"
#include "media/input/Input.h"

constexpr int kKeySlots = cKeyCond::kKeys;           // 19
constexpr int kDirKeySlots = cInput::kDirHistories;  // 10

// A cursor into one history: a run index and the length of that run that
// lies at or before the cursor's moment.
struct KeyCursor {
  int32_t nRun = 0;
  int32_t nLength = 0;
  bool operator==(const KeyCursor&) const = default;
};
using KeyCursors = std::array<KeyCursor, kKeySlots>;

// Settings of one match that come from the flow, the character and the
// system data.
struct KeyMatchOptions {
  int tolerance = 0;            // frames an older step may lie further back
  bool facingLeft = false;      // the current character faces left
  bool newestSuffices = false;  // key-repeat mode and the last test matched
  bool overlap = false;         // system switch: skip the overlap test
};

// The direction slot a relative key condition reads for a left-facing
// character: left <-> right, left+up <-> right+up, left+down <-> right+down.
int MirrorKeySlot(int slot);

// History of a slot; an empty one when the input holds fewer histories.
const cInput::cHistory& KeyHistory(const cInput& input, int slot);
// Run j of a history; an inactive run of length 0 past its end.
cInput::sCmdRun KeyRun(const cInput::cHistory& history, int j);

// Every cursor at run 0 with the length of run 0.
KeyCursors InitKeyCursors(const cInput& input);

// Moves all 19 cursors by n frames (n <= 0 back in time, n > 0 forward).
void ShiftKeyHistory(const cInput& input, KeyCursors& cursors, int n);

// The test of one slot: state 1 held (for the allowed length), 2 released.
int TestKeySlot(const cInput::sCmdRun& run, int length, const cKeyCond& cond, int state);

// One step at the cursors; consumed receives the length the step took.
int MatchKeyStep(const cInput& input, const cKeyCond& cond, const KeyCursors& cursors, bool facingLeft, int& consumed);

// The whole sequence, conds[0] oldest, conds.back() newest.
int MatchKeyHistory(const cInput& input, const std::vector<const cKeyCond*>& conds, const KeyMatchOptions& options);

// CheckKeyCondition (the slot test on the current runs only, never mirrored)
// and FirstPressedKey (index 0..9 of the first direction history whose
// current run is active, 0 when none is) are declared in Triggers.h.
