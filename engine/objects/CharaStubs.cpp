// Placeholder bodies of the running characters' class operations, so that
// objects of these classes can be built and linked before their own sources
// exist. The sources of the character classes replace this file.
#include "engine/objects/Chara.h"
#include "engine/objects/Hero.h"

cCharaBase::cCharaBase() = default;
cCharaBase::cCharaBase(const cCharaBase&) = default;
cCharaBase& cCharaBase::operator=(const cCharaBase&) = default;
cCharaBase::~cCharaBase() = default;
void cCharaBase::KeepFootOnScale(int, int) {}
void cCharaBase::SetCenter(int, int) {}
void cCharaBase::SetCenterAndStop(int, int, cCmdRun*) {}
void cCharaBase::SetCenterX(int) {}
void cCharaBase::SetCenterXAndStop(int, cCmdRun*) {}
void cCharaBase::SetCenterY(int) {}
void cCharaBase::SetCenterYAndStop(int, cCmdRun*) {}
void cCharaBase::Assign(const cCharaBase& other) { *this = other; }

void cChara::ScaleHitBox(int) {}
void cChara::UpdateBoxX() {}
void cChara::UpdateBoxY() {}
int cChara::ClampX() { return 0; }
int cChara::ClampY() { return 0; }
int cChara::MoveX() { return 0; }
int cChara::MoveY() { return 0; }
int cChara::UpdateFlows(int) { return 0; }
void cChara::Jump(int) {}

void cHero::ScaleHitBox(int) {}
void cHero::UpdateBoxX() {}
void cHero::UpdateBoxY() {}
int cHero::ClampX() { return 0; }
int cHero::ClampY() { return 0; }
int cHero::MoveX() { return 0; }
int cHero::MoveY() { return 0; }
int cHero::UpdateFlows(int) { return 0; }
void cHero::Jump(int) {}

// --- placeholders used by the map collision ---
#include "base/Text.h"
#include "data/System.h"
#include "engine/Names.h"
#include "engine/World.h"
#include "engine/flow/Triggers.h"

void cCharaBase::Land() {
  m_dVY = 0;
  m_dVY2 = 0;
  m_WallD = 1;
  m_nAirSteps = 0;
  m_bFalling = m_bJumping = m_bJumpRise = m_bImpacted = 0;
  if (m_nObjKind != 0) m_bJumpBlocked = 0;
  m_dY -= (TruncToInt(m_dBottom) & 31) + 1;
  ClampY();
  RaiseEvent(this, 9);
  RaiseEvent(this, 13);
  RaiseEvent(this, 15);
}

void cCharaBase::HitCeiling() {
  m_bJumpRise = m_bJumping = m_WallU = m_bJumpBlocked = 1;
  m_dVY = 0;
  m_dVY2 = 0;
  if (!nm::sys::CeilingImpact(SystemData)) m_ImpactY = 0;
  m_dY += 32 - (TruncToInt(m_dY) & 31);
  ClampY();
  RaiseEvent(this, 9);
  RaiseEvent(this, 13);
  RaiseEvent(this, 14);
}

void cHero::UpdateScreenPos() {
  const cPlayWorld& w = CurrentWorld();
  if (w.m_ScrollX.m_bAuto)
    m_nScrLeft = TruncToInt(m_dX) - TruncToInt(w.m_ScrollX.m_dPos) - m_nPicOfsX;
  else
    m_nScrLeft = TruncToInt(m_dX - w.m_ScrollX.m_dPos - m_nPicOfsX);
  m_nScrRight = m_nScrLeft + m_nPicW - 1;
  if (w.m_ScrollY.m_bAuto)
    m_nScrTop = TruncToInt(m_dY) - TruncToInt(w.m_ScrollY.m_dPos) - m_nPicOfsY;
  else
    m_nScrTop = TruncToInt(m_dY - w.m_ScrollY.m_dPos - m_nPicOfsY);
  m_nScrBottom = m_nScrTop + m_nPicH - 1;
}

// Erases the run only; the definition's flows stay so that
// the other runs keep their pointers.
void cCharaBase::RemoveFlow(int index) {
  if (index < 0 || static_cast<size_t>(index) >= m_FlowRuns.size()) return;
  m_FlowRuns[static_cast<size_t>(index)].Stop(this);
  m_FlowRuns.erase(m_FlowRuns.begin() + index);
}
void cCharaBase::DetachLinks() {}
