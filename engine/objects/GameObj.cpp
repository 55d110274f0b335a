#include "engine/objects/GameObj.h"

#include <algorithm>

#include "base/Text.h"
#include "data/Stage.h"
#include "engine/World.h"
#include "engine/objects/StageClamp.h"

namespace {
constexpr int kViewW = 640;
constexpr int kViewH = 480;

// The auto-scroll moves the camera on this axis.
bool AutoScrolling(const cScrollAxis& axis) { return axis.m_dAutoSpeed != 0 && axis.m_bAtLimit == 0; }
}  // namespace

void cGameObj::CopyFrom(const cGameObj& other) { cGameObj::operator=(other); }

void cGameObj::Setup(int nID, int nKind, int nFaction, int nBlockSide, int nChip, AnimSource patterns, int nAnim,
                     int nPicOfsX, int nPicOfsY, int nBaseW, int nBaseH, int nBasePicW, int nBasePicH,
                     int bFaceRight, int nFlyMode, int16_t wSpawnTag, const void* /*definition*/) {
  m_nID = nID;
  m_nObjKind = nKind;
  m_nFaction = nFaction;
  m_nBlockSide = nBlockSide;
  m_nChip = nChip;
  m_nLife = 2147483647;
  if (patterns) {
    m_Anim.SetPatterns(patterns);
    m_Anim.Play(nAnim, 1);
  }
  m_nPicOfsX = m_nBasePicOfsX = nPicOfsX;
  m_nPicOfsY = m_nBasePicOfsY = nPicOfsY;
  m_nPicW = m_nBasePicW = nBasePicW;
  m_nPicH = m_nBasePicH = nBasePicH;
  m_nW = m_nBaseW = nBaseW;
  m_nH = m_nBaseH = nBaseH;
  m_dVX = m_dVY = m_dVX2 = m_dVY2 = 0;
  m_bFaceRight = bFaceRight;
  m_wSpawnTag = wSpawnTag;
  m_bActive = 0;
  m_bOnScreen = 0;
  m_byCondLatch = 0;
  SetFlyMode(nFlyMode);
}

void cGameObj::SetFlyMode(int nMode) {
  switch (nMode) {
    case 0: m_bFly = 0; m_byFlyHit = 1; break;
    case 1: m_bFly = 1; m_byFlyHit = 0; break;
    case 2: m_bFly = 1; m_byFlyHit = 1; break;
    case 3: m_bFly = 1; m_byFlyHit = 2; break;
    default: break;
  }
}

void cGameObj::SetScale(int nNew, int nOld) {
  // A magnification below 1 would empty or invert the box: it counts as 1.
  nNew = std::max(nNew, 1);
  nOld = std::max(nOld, 1);
  if (nNew == nOld) return;
  m_nW = nNew * m_nBaseW;
  m_nH = nNew * m_nBaseH;
  m_nPicOfsX = nNew * m_nBasePicOfsX;
  m_nPicOfsY = nNew * m_nBasePicOfsY;
  m_nPicW = nNew * m_nBasePicW;
  m_nPicH = nNew * m_nBasePicH;
  KeepFoot(nNew, nOld);
  ScaleHitBox(nNew);
}

void cGameObj::KeepFoot(int nNew, int nOld) {
  if (nNew == nOld) return;
  KeepCenterX(nNew, nOld);
  KeepFootOnScale(nNew, nOld);
}

void cGameObj::KeepCenterX(int nNew, int nOld) {
  if (nNew == nOld) return;
  m_dX -= static_cast<double>((nNew - nOld) * (m_nBaseW >> 1));
  ClampStageX(2);
}

int cGameObj::ClampStageX(int nMode) { return ClampStageXOf(*this, CurrentWorld().m_ScrollX, nMode); }

int cGameObj::ClampStageY(int nMode) { return ClampStageYOf(*this, CurrentWorld().m_ScrollY, nMode); }

cScreenCamera CurrentScreenCamera() {
  const cPlayWorld& w = CurrentWorld();
  cScreenCamera c;
  c.x = w.m_ScrollX.m_dPos;
  c.y = w.m_ScrollY.m_dPos;
  c.ix = TruncToInt(c.x);
  c.iy = TruncToInt(c.y);
  c.dix = c.ix;
  c.diy = c.iy;
  c.autoX = AutoScrolling(w.m_ScrollX);
  c.autoY = AutoScrolling(w.m_ScrollY);
  return c;
}

void cGameObj::UpdateScreenPos() { UpdateScreenPosWith(CurrentScreenCamera()); }

int cGameObj::IsOnScreenAxis(int bSkipX, int bSkipY) const {
  const cPlayWorld& w = CurrentWorld();
  return IsOnScreenAxisAt(bSkipX, bSkipY, w.m_ScrollX.m_dPos, w.m_ScrollY.m_dPos);
}

int cGameObj::IsOnScreen() const {
  const cPlayWorld& w = CurrentWorld();
  return IsOnScreenAt(w.m_ScrollX.m_dPos, w.m_ScrollY.m_dPos);
}

int cGameObj::IsInStage(int bWorld) const {
  const cPlayWorld& w = CurrentWorld();
  const cScrollAxis& x = w.m_ScrollX;
  const cScrollAxis& y = w.m_ScrollY;
  if (bWorld)
    return m_dX >= 0 && m_dRight < x.m_nExtent && m_dY >= 0 && m_dBottom < y.m_nExtent ? 1 : 0;
  return x.m_nOrigin <= m_dX && m_dRight < x.m_nDefaultUpper && y.m_nOrigin <= m_dY && m_dBottom < y.m_nDefaultUpper
             ? 1
             : 0;
}

int cGameObj::IsOutOfRange(const cRemoveArea& area) const {
  if (m_bOnScreen) return 0;
  const cPlayWorld& w = CurrentWorld();
  double c = w.m_ScrollX.m_dPos;
  double d = w.m_ScrollY.m_dPos;
  if (area.m_LeftOn && TruncToInt(c - 32.0 * area.m_LeftDist) >= m_dRight) return 1;
  if (area.m_RightOn && TruncToInt(32.0 * area.m_RightDist + c + kViewW) <= m_dX) return 1;
  if (area.m_BottomOn && TruncToInt(32.0 * area.m_BottomDist + d + kViewH) <= m_dY) return 1;
  if (area.m_TopOn && TruncToInt(d - 32.0 * area.m_TopDist) >= m_dBottom) return 1;
  if (m_dX <= 0 || w.m_ScrollX.m_nExtent - 1 <= m_dRight) return 1;
  if (m_dY <= 0 || w.m_ScrollY.m_nExtent - 1 <= m_dBottom) return 1;
  return 0;
}
