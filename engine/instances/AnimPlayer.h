#pragma once
// The animation player of every object, effect instance and overlay
// animation: a table of animations, each a list of {pattern, duration, flag}
// entries ending in a control entry, turned into one pattern per Step.
#include <cstdint>
#include <vector>

// One entry. pattern >= 0 is drawn; a negative pattern is a control code.
// For a jump entry the duration holds the target animation.
struct AnimEntry {
  int32_t nPattern = 0;
  int32_t nDuration = 0;
  int32_t nFlag = 0;  // 1: uninterruptible while current
};

// Control codes ending an animation.
enum : int32_t { kAnimHold = -1, kAnimLoop = -2, kAnimJump = -3, kAnimEnd = -4 };

using Animation = std::vector<AnimEntry>;
using AnimTable = std::vector<Animation>;

// Source form of SetPatterns: a null-ended array of animations, each an
// array of {pattern, duration, flag} records ended by its first record with a
// negative pattern (which is kept as the animation's last entry).
using AnimSourceRecord = int32_t[3];
using AnimSource = const AnimSourceRecord* const*;

class cAnimPlayer {
 public:
  AnimTable m_Patterns;
  int32_t m_nAnim = 0;
  int32_t m_nEntry = 0;
  int32_t m_nFrames = 0;

  // Null leaves everything as it is; otherwise the table is replaced and the
  // three counters become 0.
  void SetPatterns(AnimSource source);
  // 1 started, 0 refused (the current entry is uninterruptible and force is 0).
  int Play(int n, int force);
  // 1 started or already current, 0 refused.
  int Change(int n, int force);
  // Advances one call; the pattern of the current entry, 0 for an empty table.
  int Step();
  // The pattern of the current entry without advancing.
  int GetPattern() const;
  // Empties the table; the counters become 0.
  void Clear();
};

// The tables built into the program.
extern const AnimSource kItemAnimSource;  // {0,15,1},{1,15,1},{-2,0,1}
extern const AnimSource kShotAnimSource;  // 0 swords, 1 shots
