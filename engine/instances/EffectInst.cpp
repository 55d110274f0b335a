// Effect instances (an effect animation at a world position) and picture
// instances (a still picture, world- or screen-fixed).
#include "base/Text.h"
#include "data/Database.h"
#include "engine/Names.h"
#include "engine/World.h"
#include "engine/instances/EffectPlayers.h"
#include "engine/objects/ChipSheets.h"
#include "media/graphics/DDCore.h"

namespace {

double CameraX() { return PlayScene ? PlayScene->m_ScrollX.m_dPos : 0.0; }
double CameraY() { return PlayScene ? PlayScene->m_ScrollY.m_dPos : 0.0; }

// The database effect of number n; an invalid number is reported by the
// list's accessor and entry 0 is used.
const cEffect& EffectDef(int n) { return nm::db::Effect(Database).At(n); }

}  // namespace

// ------------------------------------------------------------ effect instances

cEffectInst& cEffectInst::Init(int number, double x, double y, int width, int height, int runWhileFrozen) {
  m_nEffect = static_cast<int16_t>(number);
  m_dX = x;
  m_dY = y;
  m_nW = width;
  m_nH = height;
  m_bRunWhileFrozen = runWhileFrozen;
  m_bStretched = width != nm::db::EffectW(EffectDef(number)) ? 1 : 0;
  BuildFrames(number);
  return *this;
}

cEffectInst& cEffectInst::Spawn(int number, const cRectD& a, const cRectD& b, int scale) {
  m_nEffect = static_cast<int16_t>(number);
  m_Anim.Clear();
  const cEffect& def = EffectDef(number);
  const bool scalable = nm::db::EffectScalable(def);
  if (scalable && scale > 1) {
    m_nW = scale * nm::db::EffectW(def);
    m_nH = scale * nm::db::EffectH(def);
    m_bStretched = 1;
  } else {
    m_nW = nm::db::EffectW(def);
    m_nH = nm::db::EffectH(def);
    m_bStretched = 0;
  }
  const int j = scalable ? scale : 1;
  // The overlap of the two boxes. On an axis where they do not meet, the
  // same formula gives the gap between them, so the effect is centred
  // between the boxes rather than thrown to the world's corner.
  const double left = a.left > b.left ? a.left : b.left;
  const double right = a.right < b.right ? a.right : b.right;
  const double top = a.top > b.top ? a.top : b.top;
  const double bottom = a.bottom < b.bottom ? a.bottom : b.bottom;
  m_dX = left + (TruncToInt(right - left + 1) >> 1) - (m_nW >> 1);
  m_dY = top + (TruncToInt(bottom - top + 1) >> 1) - (m_nH >> 1);
  m_dX += Random(-4 * j, 4 * j);
  m_dY += Random(-4 * j, 4 * j);
  BuildFrames(number);
  return *this;
}

void cEffectInst::BuildFrames(int number) {
  m_Anim.Clear();
  m_Anim.m_Patterns.push_back(EffectTable.At(number));
  m_Anim.Play(0, 1);
}

int cEffectInst::Draw(DDSURFACEDATA* lpTarget, int bFrozen) {
  const cEffect& def = EffectDef(m_nEffect);
  if (nm::db::EffectFrames(def).empty()) return 1;
  int pattern;
  if (!bFrozen || m_bRunWhileFrozen) {
    pattern = m_Anim.Step();
    if (pattern == kAnimEnd) return 1;
  } else {
    pattern = m_Anim.GetPattern();
  }
  // Effect n owns surfaces 2n - 2 (video memory) and 2n - 1 (system memory).
  const int64_t video = 2 * static_cast<int64_t>(m_nEffect) - 2;
  if (video < 0 || video + 1 >= static_cast<int64_t>(EffectSurfaces.size())) return 1;
  DDSURFACEDATA* lpVideo = &EffectSurfaces[static_cast<size_t>(video)];
  DDSURFACEDATA* lpSystem = &EffectSurfaces[static_cast<size_t>(video + 1)];
  const int x = TruncToInt(m_dX - CameraX());
  const int y = TruncToInt(m_dY - CameraY());
  if (m_bStretched)
    DDBltStretch(lpTarget, x, y, m_nW, m_nH, ChipFirstCopies() ? lpVideo : lpSystem, pattern * nm::db::EffectW(def),
                 0, nm::db::EffectW(def), nm::db::EffectH(def), 1);
  else
    DDBlt(lpTarget, x, y, m_nW, m_nH, lpVideo, pattern * m_nW, 0, 1);
  return 0;
}

// ------------------------------------------------------------ picture instances

void cPictureInst::Init(int number, double x, double y, int width, int height, int screenFixed, int layer, int percent,
                        int showMode, int time, int runWhileFrozen, int value1, int value2) {
  m_nPicture = static_cast<int16_t>(number);
  m_dX = x;
  m_dY = y;
  m_nW = width;
  m_nH = height;
  m_bStretched = percent != 100 ? 1 : 0;
  m_nLayer = layer;
  m_nShowMode = showMode;
  m_nTime = time;
  m_bRunWhileFrozen = runWhileFrozen;
  m_bScreenFixed = screenFixed;
  m_nValue1 = value1;
  m_nValue2 = value2;
  m_bPosStored = 0;
  if (screenFixed) {
    m_nStoredX = TruncToInt(x) - TruncToInt(CameraX());
    m_nStoredY = TruncToInt(y) - TruncToInt(CameraY());
    m_bPosStored = 1;
  }
}

int cPictureInst::Draw(DDSURFACEDATA* lpTarget, DDSURFACEDATA* lpSurface, int bFrozen) {
  if (m_nShowMode == 2 && (!bFrozen || m_bRunWhileFrozen)) {
    --m_nTime;
    if (m_nTime < 0) return 1;
  }
  int x, y;
  if (m_bScreenFixed) {
    x = m_nStoredX;
    y = m_nStoredY;
  } else {
    x = TruncToInt(m_dX) - TruncToInt(CameraX());
    y = TruncToInt(m_dY) - TruncToInt(CameraY());
  }
  if (!lpSurface) return 0;
  if (m_bStretched)
    DDBltStretch(lpTarget, x, y, m_nW, m_nH, lpSurface, 0, 0, lpSurface->nWidth, lpSurface->nHeight, 1);
  else
    DDBlt(lpTarget, x, y, m_nW, m_nH, lpSurface, 0, 0, 1);
  return 0;
}
