#include "engine/objects/StateConditions.h"

#include <cmath>

#include "data/Cond.h"
#include "data/Replay.h"
#include "data/Stage.h"
#include "data/System.h"
#include "engine/Names.h"
#include "engine/Services.h"
#include "engine/World.h"
#include "engine/objects/Motion.h"
#include "engine/script/StatusOps.h"

namespace {

// Subject 1..4: the character in that target slot (null when empty).
cCharaBase* SubjectTarget(cCharaBase* self, int subject) {
  return self->m_Targets.size() > static_cast<size_t>(subject - 1) ? self->m_Targets[subject - 1] : nullptr;
}

constexpr int kReplayGameType = 3;

// The distance subject's screen box is refreshed unless the switch says not
// to, or a replay recorded by data version 781 or older is played back.
bool RefreshSubject() {
  if (nm::sys::DistanceNoRefresh(SystemData)) return false;
  if (SceneValues().GameType() == kReplayGameType && Replay.m_DataVersion <= 781) return false;
  return true;
}

// The hero keeps its screen box by its own rule.
void UpdateScreen(cCharaBase* c) {
  if (cHero* hero = dynamic_cast<cHero*>(c))
    hero->UpdateScreenPos();
  else
    c->UpdateScreenPos();
}

}  // namespace

int CheckStatusCondition2(cCharaBase* self, const cCond& c) {
  const int value = c.m_Index;
  if (c.m_Target == 5) {
    if (c.m_Status == 0) return CompareByOp(Stage.m_AutoSpeedX, value, c.m_Op);
    if (c.m_Status == 1) return CompareByOp(Stage.m_AutoSpeedY, value, c.m_Op);
    return 0;
  }
  cCharaBase* who = self;
  if (c.m_Target >= 1 && c.m_Target <= 4) {
    who = SubjectTarget(self, c.m_Target);
    if (!who) return 0;
  }
  const cCharaDef& d = who->m_Def;
  int32_t a;
  switch (c.m_Status) {
    case 1: a = static_cast<uint8_t>(d.m_Transparent); break;
    case 2: a = d.m_FixedFacing; break;
    case 3: a = d.m_Fly; break;
    case 4: a = d.m_Invincible; break;
    case 5: a = d.m_Size; break;
    case 6: a = static_cast<uint8_t>(d.m_ScrollSync); break;
    default: return 0;
  }
  return CompareByOp(a, value, c.m_Op);
}

int CheckStatusCondition3(cCharaBase* self, const cCond& c) {
  cCharaBase* who = self;
  if (c.m_Target >= 1 && c.m_Target <= 4) {
    who = SubjectTarget(self, c.m_Target);
    if (!who) {
      if (c.m_Status != 4) return 0;
      return c.m_Op == 1 ? 1 : 0;  // "exists" is false, then the negation
    }
  }
  if (!who) return 0;
  int result = 0;
  switch (c.m_Status) {
    case 0: result = who->m_bFaceRight == 0; break;
    case 1: result = who->m_bFaceRight == 1; break;
    case 2: result = who->m_Def.m_Fly == 0 && (who->m_bRiding || (!who->m_bJumping && !who->m_bFalling)); break;
    case 3: result = dynamic_cast<cHero*>(who) ? who->IsOnScreen() != 0 : who->m_bOnScreen != 0; break;
    case 4: result = !who->m_bDead; break;
    default: result = 0; break;
  }
  if (c.m_Op == 1) result = !result;
  return result ? 1 : 0;
}

int CheckDistanceCondition(cCharaBase* self, const cCond& c) {
  // A negative range counts as 0; a huge one is held where the span
  // arithmetic cannot overflow.
  int64_t r = static_cast<int64_t>(c.m_Value) * 16 + c.m_RightIndex;
  const int range = static_cast<int>(r < 0 ? 0 : r > 1000000 ? 1000000 : r);
  cCharaBase* subject = nullptr;
  if (c.m_Target == 0)
    subject = Player.empty() ? nullptr : &Player.At(0);
  else if (c.m_Target >= 1 && c.m_Target <= 4)
    subject = SubjectTarget(self, c.m_Target);
  if (!subject) return 0;
  UpdateScreen(self);
  if (RefreshSubject()) UpdateScreen(subject);
  const bool faceRight = self->m_bFaceRight == 1;
  int within = 0;
  auto spanX = [&](int lo, int hi, int both) {
    return SpanOverlap(self->m_nScrLeft, self->m_nPicW, subject->m_nScrLeft, subject->m_nScrRight, subject->m_nPicOfsX,
                       lo, hi, both, 0, subject);
  };
  auto spanY = [&](int lo, int hi, int both) {
    return SpanOverlap(self->m_nScrTop, self->m_nPicH, subject->m_nScrTop, subject->m_nScrBottom, subject->m_nPicOfsY,
                       lo, hi, both, 1, subject);
  };
  switch (c.m_Shape) {
    case 0: within = spanX(range, range, 1); break;
    case 1: within = faceRight ? spanX(0, range, 0) : spanX(range, 0, 0); break;
    case 2: within = faceRight ? spanX(range, 0, 0) : spanX(0, range, 0); break;
    case 3: within = spanY(range, range, 1); break;
    case 4: within = faceRight ? spanY(0, range, 0) : spanY(range, 0, 0); break;
    case 5: within = faceRight ? spanY(range, 0, 0) : spanY(0, range, 0); break;
    case 6: {
      const double ax = self->m_dX + (self->m_nW >> 1), ay = self->m_dY + (self->m_nH >> 1);
      const double bx = subject->m_dX + (subject->m_nW >> 1), by = subject->m_dY + (subject->m_nH >> 1);
      const double dx = bx - ax, dy = by - ay;
      within = range >= std::sqrt(dx * dx + dy * dy);
      break;
    }
    default: within = 0; break;
  }
  if (c.m_Op == 0) return within ? 1 : 0;
  return within ? 0 : 1;
}
