#include "engine/instances/AnimPlayer.h"

#include <cstddef>
#include <utility>

namespace {
// The entry the player stands on, or null when the counters point outside
// the table (an animation number or entry beyond it).
const AnimEntry* Current(const cAnimPlayer& p) {
  if (p.m_nAnim < 0 || static_cast<std::size_t>(p.m_nAnim) >= p.m_Patterns.size()) return nullptr;
  const Animation& anim = p.m_Patterns[static_cast<std::size_t>(p.m_nAnim)];
  if (p.m_nEntry < 0 || static_cast<std::size_t>(p.m_nEntry) >= anim.size()) return nullptr;
  return &anim[static_cast<std::size_t>(p.m_nEntry)];
}

bool CurrentLocked(const cAnimPlayer& p) {
  const AnimEntry* e = Current(p);
  return e && e->nFlag != 0;
}

const AnimSourceRecord kItemAnim0[] = {{0, 15, 1}, {1, 15, 1}, {kAnimLoop, 0, 1}};
const AnimSourceRecord* const kItemAnims[] = {kItemAnim0, nullptr};
const AnimSourceRecord kSwordAnim[] = {{0, 7, 0}, {1, 7, 0}, {2, 7, 0}, {kAnimEnd, 0, 0}};
const AnimSourceRecord kShotAnim[] = {{0, 8, 0}, {1, 8, 0}, {kAnimLoop, 0, 0}};
const AnimSourceRecord* const kShotAnims[] = {kSwordAnim, kShotAnim, nullptr};
}  // namespace

const AnimSource kItemAnimSource = kItemAnims;
const AnimSource kShotAnimSource = kShotAnims;

void cAnimPlayer::SetPatterns(AnimSource source) {
  if (!source) return;
  AnimTable table;
  for (int a = 0; source[a]; ++a) {
    Animation anim;
    const AnimSourceRecord* rec = source[a];
    for (int i = 0;; ++i) {
      AnimEntry e{rec[i][0], rec[i][1], static_cast<int32_t>(static_cast<uint8_t>(rec[i][2]))};
      anim.push_back(e);
      if (e.nPattern < 0) break;  // the control entry ends the animation
    }
    table.push_back(std::move(anim));
  }
  m_Patterns = std::move(table);
  m_nAnim = m_nEntry = m_nFrames = 0;
}

int cAnimPlayer::Play(int n, int force) {
  if (!force && CurrentLocked(*this)) return 0;
  m_nAnim = n;
  m_nEntry = 0;
  m_nFrames = 0;
  return 1;
}

int cAnimPlayer::Change(int n, int force) {
  if (n == m_nAnim) return 1;
  return Play(n, force);
}

int cAnimPlayer::Step() {
  if (m_Patterns.empty()) return 0;
  const AnimEntry* e = Current(*this);
  // An animation number or entry beyond the table draws pattern 0 and stays.
  if (!e) return 0;
  ++m_nFrames;
  if (m_nFrames >= e->nDuration) {
    m_nFrames = 0;
    ++m_nEntry;
    const AnimEntry* next = Current(*this);
    if (!next) {
      // Stepping on past the last entry (an end entry, or an animation
      // without a control entry) stays on that entry.
      --m_nEntry;
      return GetPattern();
    }
    switch (next->nPattern) {
      case kAnimJump:
        Play(next->nDuration, 1);
        break;
      case kAnimLoop:
        m_nEntry = 0;
        break;
      case kAnimHold:
        // A hold at entry 0 has no entry before it: stay on the hold (pattern 0).
        if (m_nEntry > 0) --m_nEntry;
        break;
      default:
        break;
    }
  }
  return GetPattern();
}

int cAnimPlayer::GetPattern() const {
  const AnimEntry* e = Current(*this);
  if (!e) return 0;
  // A hold entry reached at entry 0 draws pattern 0; an end entry returns its code.
  if (e->nPattern == kAnimHold) return 0;
  return e->nPattern;
}

void cAnimPlayer::Clear() {
  m_Patterns.clear();
  m_nAnim = m_nEntry = m_nFrames = 0;
}
