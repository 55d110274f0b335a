#include "engine/shots/ShotMove.h"

#include <cmath>

#include "base/Text.h"
#include "data/Stage.h"
#include "engine/Names.h"
#include "engine/StepMath.h"
#include "engine/World.h"
#include "engine/objects/CharaBase.h"
#include "engine/objects/Motion.h"
#include "engine/shots/Shot.h"

namespace {

// The flight speed per sub-step, fixed in the first sub-step.
void ComputeSpeed(cShot* s) {
  s->m_dSpeed = (nm::shot::wSpeed(s->m_ShotDef) + nm::shot::wSpeedInc(s->m_ShotDef) * s->m_wSpawnTag) * 0.1 /
                SubStepsF();
}

// A distance in half-blocks as sub-steps at the shot's speed.
int DistanceSteps(const cShot* s, int halfBlocks) {
  if (s->m_dSpeed == 0) return 0;
  return TruncToInt(16.0 * halfBlocks / s->m_dSpeed);
}

cCharaBase* HeroTarget() { return Player.empty() ? nullptr : &Player[0]; }

// The nearest character of faction group g; a group outside the lists has none.
cCharaBase* NearestOfGroup(cShot* s, int group) {
  const cVector<CharaPtrList>& lists = CurrentWorld().m_FactionCharas;
  if (group < 0 || static_cast<size_t>(group) >= lists.size()) return nullptr;
  s->UpdateScreenPos();
  return FindNearestCharaToMe(*s, lists[static_cast<size_t>(group)]);
}

cCharaBase* LiveTarget(cShot* s) { return s->m_lpTarget && !s->m_lpTarget->m_bDead ? s->m_lpTarget : nullptr; }

void AimAt(cShot* s, cCharaBase* target) {
  s->UpdateScreenPos();
  int dir = 0;
  ApproachCore(&s->m_dFlyVX, &s->m_dFlyVY, &dir, target, s->ScreenCenterX(), s->ScreenCenterY(),
               target->ScreenCenterX(), target->ScreenCenterY(), s->m_dSpeed, s->m_bScrollSync, 0, 0);
  if (s->m_bAccel) s->SplitSpeed(&s->m_dVX2, &s->m_dVY2, s->m_dFlyVX, s->m_dFlyVY);
}

template <class Find>
void Aim(cShot* s, Find find) {
  if (s->m_bTurnDone) return;
  if (s->m_nCount == 0) {
    ComputeSpeed(s);
    if (nm::shot::wMove(s->m_ShotDef, 0) != 0) s->m_nTurnStart = DistanceSteps(s, nm::shot::wMove(s->m_ShotDef, 0));
  }
  if (s->m_nCount == s->m_nTurnStart) {
    if (cCharaBase* t = find()) AimAt(s, t);
    s->m_bTurnDone = 1;
  }
  ++s->m_nCount;
}

template <class Find>
void Home(cShot* s, Find find) {
  if (s->m_bTurnDone) return;
  if (s->m_nCount == 0) {
    ComputeSpeed(s);
    if (nm::shot::wMove(s->m_ShotDef, 0) != 0) s->m_nTurnStart = DistanceSteps(s, nm::shot::wMove(s->m_ShotDef, 0));
    if (nm::shot::wMove(s->m_ShotDef, 1) != 0) s->m_nTurnEnd = DistanceSteps(s, nm::shot::wMove(s->m_ShotDef, 1));
  }
  if (s->m_nCount >= s->m_nTurnEnd) {
    s->m_bTurnDone = 1;
    ++s->m_nCount;
    return;
  }
  if (s->m_nCount >= s->m_nTurnStart) {
    if (cCharaBase* t = find()) {
      s->UpdateScreenPos();
      HomingTurn(s, t);
    }
  }
  ++s->m_nCount;
}

}  // namespace

void MoveAimHero(cShot* s) { Aim(s, [] { return HeroTarget(); }); }
void MoveAimNearest(cShot* s) { Aim(s, [s] { return NearestOfGroup(s, nm::shot::wMove(s->m_ShotDef, 1)); }); }
void MoveAimTarget(cShot* s) { Aim(s, [s] { return LiveTarget(s); }); }
void MoveHomeHero(cShot* s) { Home(s, [] { return HeroTarget(); }); }
void MoveHomeNearest(cShot* s) { Home(s, [s] { return NearestOfGroup(s, nm::shot::wMove(s->m_ShotDef, 2)); }); }
void MoveHomeTarget(cShot* s) { Home(s, [s] { return LiveTarget(s); }); }

void HomingTurn(cShot* s, cCharaBase* target) {
  double vx = 0, vy = 0;
  int dir = 0;
  ApproachCore(&vx, &vy, &dir, target, s->ScreenCenterX(), s->ScreenCenterY(), target->ScreenCenterX(),
               target->ScreenCenterY(), s->m_dSpeed, s->m_bScrollSync, 0, 0);
  if (!s->m_bAccel || s->m_nCount == s->m_nTurnStart) {
    s->m_dFlyVX = vx;
    s->m_dFlyVY = vy;
  }
  if (s->m_bAccel) s->SplitSpeed(&s->m_dVX2, &s->m_dVY2, vx, vy);
}

void MoveWave(cShot* s) {
  cEdShot& d = s->m_ShotDef;
  const int b = nm::shot::wMove(d, 1);
  if (b == 0) return;  // no angular speed: the wave has no period and the shot flies straight
  const double n = SubStepsF();
  if (s->m_nCount == 0) {
    nm::shot::wMove(d, 0) = static_cast<int16_t>(nm::shot::wMove(d, 0) * 16);
    s->m_nCount = 1;
    double a = nm::shot::wMove(d, 2) + (s->m_bFaceRight ? 0 : 180);
    s->m_dWavePhase = n * (a / b);
    double dir = std::atan2(s->m_dFlyVY, s->m_dFlyVX);
    if (dir < 0) dir += 2 * kPi;
    double side = dir - kPi / 2;
    s->m_dWaveCos = std::cos(side);
    s->m_dWaveSin = std::sin(side);
    double w = WaveCos(nm::shot::wMove(d, 0), b, &s->m_dWavePhase, 1, 0);
    s->m_dFlyVX += w * s->m_dWaveCos;
    s->m_dFlyVY += w * s->m_dWaveSin;
  } else {
    double w = WaveSin(nm::shot::wMove(d, 0), b, &s->m_dWavePhase, 1, 0);
    auto add = [](double* v, double dv) {
      double nv = *v + dv;
      *v = (*v < 0 && nv > 0) || (*v > 0 && nv < 0) ? 0 : nv;
    };
    add(&s->m_dFlyVX, w * s->m_dWaveCos);
    add(&s->m_dFlyVY, w * s->m_dWaveSin);
  }
  if (s->m_bAccel) s->SplitSpeed(&s->m_dVX2, &s->m_dVY2, s->m_dFlyVX, s->m_dFlyVY);
}

void MoveFall(cShot* s) {
  if (s->m_bTurnDone) return;
  if (s->m_nCount == 0) {
    ComputeSpeed(s);
    if (nm::shot::wMove(s->m_ShotDef, 0) != 0) s->m_nTurnStart = DistanceSteps(s, nm::shot::wMove(s->m_ShotDef, 0));
  }
  if (s->m_nCount >= s->m_nTurnStart) {
    s->m_dVY = s->m_dFlyVY;
    s->m_bFly = 0;
    s->m_bTurnDone = 1;
  }
  ++s->m_nCount;
}

void RunShotMove(cShot* s) {
  switch (nm::shot::byMove(s->m_ShotDef)) {
    case 1: MoveAimHero(s); break;
    case 2: MoveAimNearest(s); break;
    case 3: MoveAimTarget(s); break;
    case 4: MoveHomeHero(s); break;
    case 5:
    case 7: MoveHomeNearest(s); break;
    case 6: MoveHomeTarget(s); break;
    case 8: MoveWave(s); break;
    case 9: MoveFall(s); break;
    default: break;
  }
}
