#pragma once
// Stand-ins for the operations of other engine parts that the character
// tests reach but do not test. Every definition is weak: when the real one is
// linked into a test program it wins. Include in one test source per program.
#include <cmath>
#include <string>
#include <vector>

#include "data/Stage.h"
#include "engine/World.h"
#include "engine/flow/FlowRun.h"
#include "engine/flow/Triggers.h"
#include "engine/objects/BlockMap.h"
#include "engine/objects/CharaBase.h"
#include "engine/objects/CharaFlowUpdate.h"
#include "engine/objects/ChipSheets.h"
#include "engine/objects/Hero.h"
#include "engine/objects/Motion.h"

#define CHARA_STUB __attribute__((weak))

// Scroll axes of a map of the given size without scroll limits; the world
// has a margin of 10 chips on every side.
inline void LayOutWorld(cPlayWorld& w, int chipsX, int chipsY) {
  w.m_ScrollX.Layout(0, chipsX, (chipsX + 20) * 32 - 640);
  w.m_ScrollY.Layout(1, chipsY, (chipsY + 20) * 32 - 640);
  w.m_ScrollX.SetBounds(0, 0, 0, 0);
  w.m_ScrollY.SetBounds(0, 0, 0, 0);
}

// Events raised on characters: {character ID, event} in order.
inline std::vector<std::pair<int, int>>& RaisedEvents() {
  static std::vector<std::pair<int, int>> events;
  return events;
}

CHARA_STUB void cGameObj::Setup(int nID, int nKind, int nFaction, int nBlockSide, int nChip, AnimSource, int,
                                int nPicOfsX, int nPicOfsY, int nBaseW, int nBaseH, int nBasePicW, int nBasePicH,
                                int bFaceRight, int nFlyMode, int16_t wSpawnTag, const void*) {
  m_nID = nID;
  m_nObjKind = nKind;
  m_nFaction = nFaction;
  m_nBlockSide = nBlockSide;
  m_nChip = nChip;
  m_nLife = 2147483647;
  m_nPicOfsX = m_nBasePicOfsX = nPicOfsX;
  m_nPicOfsY = m_nBasePicOfsY = nPicOfsY;
  m_nPicW = m_nBasePicW = nBasePicW;
  m_nPicH = m_nBasePicH = nBasePicH;
  m_nW = m_nBaseW = nBaseW;
  m_nH = m_nBaseH = nBaseH;
  m_dVX = m_dVY = m_dVX2 = m_dVY2 = 0;
  m_bFaceRight = bFaceRight;
  m_wSpawnTag = wSpawnTag;
  m_bActive = m_bOnScreen = 0;
  m_byCondLatch = 0;
  SetFlyMode(nFlyMode);
}
CHARA_STUB void cGameObj::SetFlyMode(int nMode) {
  if (nMode < 0 || nMode > 3) return;
  m_bFly = nMode != 0;
  m_byFlyHit = nMode == 0 ? 1 : nMode == 1 ? 0 : nMode == 2 ? 1 : 2;
}
CHARA_STUB void cGameObj::KeepCenterX(int nNew, int nOld) {
  if (nNew != nOld) m_dX -= (nNew - nOld) * (m_nBaseW >> 1);
}
CHARA_STUB void cGameObj::KeepFoot(int nNew, int nOld) {
  if (nNew == nOld) return;
  KeepCenterX(nNew, nOld);
  KeepFootOnScale(nNew, nOld);
}
CHARA_STUB int cGameObj::ClampStageX(int) {
  m_dRight = m_dX + m_nW - 1.0;
  UpdateBoxX();
  return 0;
}
CHARA_STUB int cGameObj::ClampStageY(int) {
  m_dBottom = m_dY + m_nH - 1.0;
  UpdateBoxY();
  return 0;
}
CHARA_STUB int cGameObj::StepX(int nMode) {
  m_dX += m_dVX;
  return ClampStageX(nMode);
}
CHARA_STUB int cGameObj::StepY(int nMode) {
  m_dY += m_dVY;
  return ClampStageY(nMode);
}
CHARA_STUB void cGameObj::ApplyFriction(double* v, int bOn) {
  if (!bOn) return;
  if (*v > 0) {
    *v -= m_dDecel;
    if (*v < 0) *v = 0;
  } else if (*v < 0) {
    *v += m_dDecel;
    if (*v > 0) *v = 0;
  }
}
CHARA_STUB void cGameObj::SplitSpeed(double* vx, double* vy, int8_t p, double dx, double dy) {
  if (p == 0) return;
  const double s = std::fabs(dx) + std::fabs(dy);
  if (s == 0) {
    *vx = *vy = 0;
    return;
  }
  const double n = Stage.m_SubStepsF;
  auto share = [n](double d) {
    if (d == 0) return 0.0;
    const double v = (std::sqrt(1 + 128 * n * std::fabs(d)) - 1) / (2 * n);
    return d < 0 ? -v : v;
  };
  *vx = share(p * dx / s);
  *vy = share(p * dy / s);
}
CHARA_STUB void cGameObj::UpdateScreenPos() {}
CHARA_STUB int cGameObj::IsOnScreen() const { return 1; }
CHARA_STUB int cGameObj::IsOnScreenAxis(int, int) const { return 1; }
CHARA_STUB int cAnimPlayer::Play(int n, int) {
  m_nAnim = n;
  return 1;
}
CHARA_STUB int cAnimPlayer::Change(int n, int) {
  m_nAnim = n;
  return 1;
}
CHARA_STUB void cCharaEffectPlayer::Clear() { m_nIndex = 0; }
CHARA_STUB void cCharaEffectPlayer::Start(int index, int mode, int repeat) {
  m_nIndex = static_cast<int16_t>(index);
  m_nMode = mode;
  m_bRepeat = repeat;
}
CHARA_STUB int8_t cBlockCell::HitType(int nSide) {
  return static_cast<int8_t>(m_HitException) == nSide ? 0 : m_Hit;
}
CHARA_STUB double PerSubStep(double x) { return x / Stage.m_SubStepsF * (1.0 / 60); }
CHARA_STUB void RaiseEvent(cCharaBase* chara, int key) { RaisedEvents().emplace_back(chara->m_nID, key); }
CHARA_STUB int CheckKeyCondition(const cInput&, const cKeyCond&) { return 0; }
CHARA_STUB void cFlowRun::Stop(cCharaBase*) {
  bRunning = 0;
  for (cCmdRun& c : CmdRuns) c.nLeft = 0;
}
CHARA_STUB void RemoveFlowEffects(cCharaBase* chara, int serial) {
  chara->m_Effects.remove_if([serial](const CharaEffectEntry& e) { return e.nRunSerial == serial; });
}
CHARA_STUB void BeginFlowUpdate(cCharaBase* chara) {
  if (PlayScene) PlayScene->m_pCurChara = chara;
}
CHARA_STUB int RunFlowUpdate(cCharaBase* chara, int) {
  chara->m_bMovedThisUpdate = 0;
  if (PlayScene) {
    PlayScene->m_pCurChara = nullptr;
    PlayScene->m_pCurFlowRun = nullptr;
    PlayScene->m_pCurCmdRun = nullptr;
  }
  return 0;
}
CHARA_STUB void ApplyHeroArranges(cFlowCmd*, cHero*) {}
CHARA_STUB void cMessageWnd::Init(int, const char*, int, int, int, int, int, int, int, int, int, int, int, int, int,
                                  int, int, int, int, int, int, int, int, int) {}
CHARA_STUB void DrawSmallChip(DDSURFACEDATA*, int, int, int, int, int) {}
