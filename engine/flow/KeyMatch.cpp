#include "engine/flow/KeyMatch.h"

#include <climits>

namespace {

const cInput::cHistory kNoHistory;

// Lengths are int32 in the record; sums are kept in 64 bits and stored back
// clamped so that a hostile length cannot wrap.
int32_t ClampToInt32(int64_t v) {
  if (v > INT32_MAX) return INT32_MAX;
  if (v < INT32_MIN) return INT32_MIN;
  return static_cast<int32_t>(v);
}

}  // namespace

int MirrorKeySlot(int slot) {
  switch (slot) {
    case 1: return 2;
    case 2: return 1;
    case 5: return 7;
    case 7: return 5;
    case 6: return 8;
    case 8: return 6;
    default: return slot;
  }
}

const cInput::cHistory& KeyHistory(const cInput& input, int slot) {
  if (slot < 0 || slot >= kKeySlots) return kNoHistory;
  const cVector<cInput::cHistory>& v = slot < kDirKeySlots ? input.m_DirHistory : input.m_ButtonHistory;
  const size_t i = static_cast<size_t>(slot < kDirKeySlots ? slot : slot - kDirKeySlots);
  return i < v.size() ? v[i] : kNoHistory;
}

cInput::sCmdRun KeyRun(const cInput::cHistory& history, int j) {
  if (j < 0 || static_cast<size_t>(j) >= history.size()) return cInput::sCmdRun{0, 0};
  return history[static_cast<size_t>(j)];
}

KeyCursors InitKeyCursors(const cInput& input) {
  KeyCursors c;
  for (int h = 0; h < kKeySlots; ++h) c[static_cast<size_t>(h)] = KeyCursor{0, KeyRun(KeyHistory(input, h), 0).nFrames};
  return c;
}

void ShiftKeyHistory(const cInput& input, KeyCursors& cursors, int n) {
  for (int h = 0; h < kKeySlots; ++h) {
    const cInput::cHistory& history = KeyHistory(input, h);
    KeyCursor& c = cursors[static_cast<size_t>(h)];
    int32_t j = c.nRun;
    int64_t len = static_cast<int64_t>(c.nLength) + n;
    if (n <= 0) {
      while (len < 0) {
        ++j;
        if (j >= cInput::kHistoryRuns) {
          j = cInput::kHistoryRuns - 1;
          break;
        }
        len += KeyRun(history, j).nFrames;
      }
      if (len == 0) {
        if (j + 1 < cInput::kHistoryRuns && static_cast<size_t>(j + 1) < history.size()) {
          ++j;
          len = KeyRun(history, j).nFrames;
        }
      }
    } else {
      // Entering a newer run subtracts that run's own length, not the length
      // of the run left behind; recorded replays depend on these positions.
      while (len > KeyRun(history, j).nFrames) {
        --j;
        if (j < 0) {
          j = 0;
          break;
        }
        len -= KeyRun(history, j).nFrames;
      }
    }
    c.nRun = j;
    c.nLength = ClampToInt32(len);
  }
}

int TestKeySlot(const cInput::sCmdRun& run, int length, const cKeyCond& cond, int state) {
  const bool active = run.nState != 0;
  if (state == 1) {
    if (!active) return 0;
    if (cond.m_AnyHold) return length >= 1;
    return cond.m_HoldMin <= length && length <= cond.m_HoldMax;
  }
  if (state == 2) return !active && length >= 1;
  return 0;
}

int MatchKeyStep(const cInput& input, const cKeyCond& cond, const KeyCursors& cursors, bool facingLeft, int& consumed) {
  consumed = 0;
  const bool mirror = cond.m_MirrorKeys != 0 && facingLeft;
  int passed = 0, failed = 0;
  for (int k = 0; k < kKeySlots; ++k) {
    const int state = cond.KeyState(k);
    if (state == 0) continue;
    const int h = mirror && k < kDirKeySlots ? MirrorKeySlot(k) : k;
    const KeyCursor& c = cursors[static_cast<size_t>(h)];
    const cInput::sCmdRun run = KeyRun(KeyHistory(input, h), c.nRun);
    if (!TestKeySlot(run, c.nLength, cond, state)) {
      ++failed;
      continue;
    }
    // The first passing slot seeds the length; the mode then keeps the
    // shortest (all), the longest (any) or the last (exactly one).
    if (passed == 0 || cond.m_KeyMode == 2 || (cond.m_KeyMode == 0 && c.nLength < consumed) ||
        (cond.m_KeyMode == 1 && c.nLength > consumed))
      consumed = c.nLength;
    ++passed;
  }
  switch (cond.m_KeyMode) {
    case 0: return failed == 0;
    case 1: return passed > 0;
    case 2: return passed == 1;
    default: return 0;
  }
}

int MatchKeyHistory(const cInput& input, const std::vector<const cKeyCond*>& conds, const KeyMatchOptions& options) {
  const int m = static_cast<int>(conds.size());
  if (m == 0) return 0;
  for (const cKeyCond* k : conds)
    if (!k) return 0;
  // A negative tolerance from the data allows no gap, like 0.
  const int tolerance = options.tolerance > 0 ? options.tolerance : 0;
  KeyCursors cursors = InitKeyCursors(input);
  int consumed = 0;
  for (int i = m - 1; i >= 0; --i) {
    const cKeyCond& cond = *conds[static_cast<size_t>(i)];
    if (i == m - 1) {
      if (!MatchKeyStep(input, cond, cursors, options.facingLeft, consumed)) return 0;
      if (options.newestSuffices) return 1;
    } else if (!MatchKeyStep(input, cond, cursors, options.facingLeft, consumed)) {
      if (tolerance == 0) return 0;
      bool matched = false;
      int moved = 0;
      while (moved < tolerance) {
        ShiftKeyHistory(input, cursors, -1);
        ++moved;
        if (MatchKeyStep(input, cond, cursors, options.facingLeft, consumed)) {
          matched = true;
          break;
        }
      }
      if (!matched) {
        ShiftKeyHistory(input, cursors, moved);
        ShiftKeyHistory(input, cursors, 1);
        if (!MatchKeyStep(input, cond, cursors, options.facingLeft, consumed)) return 0;
        if (!options.overlap) {
          // One frame newer than the newer step's start: refuse when that
          // step also holds there, so one key state cannot serve both.
          int newerConsumed = consumed;
          if (MatchKeyStep(input, *conds[static_cast<size_t>(i + 1)], cursors, options.facingLeft, newerConsumed))
            return 0;
        }
      }
    }
    if (i == 0) return 1;
    ShiftKeyHistory(input, cursors, consumed == INT32_MIN ? INT32_MAX : -consumed);
  }
  return 0;
}

int CheckKeyCondition(const cInput& input, const cKeyCond& cond) {
  int passed = 0, failed = 0;
  for (int k = 0; k < kKeySlots; ++k) {
    const int state = cond.KeyState(k);
    if (state == 0) continue;
    const bool active = KeyRun(KeyHistory(input, k), 0).nState != 0;
    if ((state == 1 && active) || (state == 2 && !active)) {
      if (cond.m_KeyMode == 1) return 1;
      ++passed;
    } else {
      ++failed;
    }
  }
  switch (cond.m_KeyMode) {
    case 0: return failed == 0;
    case 2: return passed == 1;
    default: return 0;
  }
}

int FirstPressedKey(const cInput& input) {
  for (int i = 0; i < kDirKeySlots; ++i)
    if (KeyRun(KeyHistory(input, i), 0).nState != 0) return i;
  return 0;
}
