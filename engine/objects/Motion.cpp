#include "engine/objects/Motion.h"

#include <cmath>
#include <cstdlib>

#include "base/Text.h"
#include "data/EdMove.h"
#include "data/FlowCmd.h"
#include "data/Stage.h"
#include "data/System.h"
#include "engine/Names.h"
#include "engine/StepMath.h"
#include "engine/World.h"
#include "engine/flow/FlowRun.h"
#include "engine/objects/CharaBase.h"
#include "engine/objects/Hero.h"
#include "engine/objects/StageClamp.h"

namespace {

const double kOneOverSqrt2 = 1.0 / std::sqrt(2.0);

// n as a double; a stage without a sub-step count counts as one.
double N() { return Stage.m_SubStepsF > 0 ? Stage.m_SubStepsF : 1.0; }

bool Moves(const cScrollAxis& a) { return a.m_dAutoSpeed != 0 && a.m_bAtLimit == 0; }
double SpeedX() { return Moves(CurrentWorld().m_ScrollX) ? CurrentWorld().m_ScrollX.m_dAutoSpeed : 0.0; }
double SpeedY() { return Moves(CurrentWorld().m_ScrollY) ? CurrentWorld().m_ScrollY.m_dAutoSpeed : 0.0; }
bool RelativeSwitch() { return nm::sys::ScrollRelativeMove(SystemData); }

int DirOf(double vx) { return vx < 0 ? 1 : vx > 0 ? 2 : 0; }

// Velocity whose difference with the scroll (sx, sy) points along (dx, dy),
// with the magnitude of (*vx, *vy). False when a divisor is zero on the
// way (the velocities stay as far as computed).
enum class Intercept { Done, ZeroDivisor, NoSolution };
Intercept SolveIntercept(double* vx, double* vy, double dx, double dy, double sx, double sy) {
  double u2 = *vx * *vx + *vy * *vy;
  if (std::fabs(dy) < std::fabs(dx)) {
    double dx2 = dx * dx;
    if (dx2 == 0) return Intercept::ZeroDivisor;
    double w = 1 + dy * dy / dx2;
    double x = (2 * dy * dy * sx - 2 * dx * dy * sy) / dx2;
    double c = (sy * dx - sx * dy) * (sy * dx - sx * dy) / dx2 - u2;
    double disc = x * x - 4 * w * c;
    if (disc < 0) return Intercept::NoSolution;
    if (w == 0) return Intercept::ZeroDivisor;
    double v = (x + std::sqrt(disc)) / (2 * w);
    if (dx < 0) v = -v;
    *vx = v;
    if (*vx == sx) return Intercept::ZeroDivisor;
    double tau = dx / (*vx - sx);
    if (tau == 0) return Intercept::ZeroDivisor;
    *vy = (dy + tau * sy) / tau;
  } else {
    double dy2 = dy * dy;
    if (dy2 == 0) return Intercept::ZeroDivisor;
    double w = 1 + dx * dx / dy2;
    double x = (2 * dx * dx * sy - 2 * dx * dy * sx) / dy2;
    double c = (sy * dx - sx * dy) * (sy * dx - sx * dy) / dy2 - u2;
    double disc = x * x - 4 * w * c;
    if (disc < 0) return Intercept::NoSolution;
    if (w == 0) return Intercept::ZeroDivisor;
    double v = (x + std::sqrt(disc)) / (2 * w);
    if (dy < 0) v = -v;
    *vy = v;
    if (*vy == sy) return Intercept::ZeroDivisor;
    double tau = dy / (*vy - sy);
    if (tau == 0) return Intercept::ZeroDivisor;
    *vx = (dx + tau * sx) / tau;
  }
  return Intercept::Done;
}

bool StopsAtTarget(const cCmdRun* run) {
  return run && run->lpCmd && run->lpCmd->m_pMove && run->lpCmd->m_pMove->m_NoOvershoot != 0;
}

void RefreshScreen(cGameObj* obj) {
  if (!obj) return;
  if (auto* hero = dynamic_cast<cHero*>(obj))
    hero->UpdateScreenPos();
  else
    obj->UpdateScreenPos();
}

int64_t Abs64(int64_t v) { return v < 0 ? -v : v; }

}  // namespace

// ------------------------------------------------------------ object steps

int cGameObj::StepX(int nMode) { return StepXOf(*this, CurrentWorld().m_ScrollX, Stage.m_StepCap, nMode); }

int cGameObj::StepY(int nMode) { return StepYOf(*this, CurrentWorld().m_ScrollY, Stage.m_StepCap, nMode); }

void cGameObj::ApplyGravity() {
  if (!m_bFly) m_dVY += Stage.m_GravityStep;
}

void cGameObj::ApplyFriction(double* v, int bOn) {
  if (!bOn) return;
  if (*v > 0) {
    *v -= m_dDecel;
    if (*v < 0) *v = 0;
  } else if (*v < 0) {
    *v += m_dDecel;
    if (*v > 0) *v = 0;
  }
}

void cGameObj::SplitSpeed(double* vx, double* vy, int8_t nPower, double dx, double dy) {
  if (nPower == 0) return;
  double s = std::fabs(dx) + std::fabs(dy);
  if (s == 0) {
    *vx = 0;
    *vy = 0;
    return;
  }
  double n = N();
  auto velocity = [n](double d) {
    if (d == 0) return 0.0;
    double v = (std::sqrt(1 + 128 * n * std::fabs(d)) - 1) / (2 * n);
    return d < 0 ? -v : v;
  };
  *vx = velocity(nPower * dx / s);
  *vy = velocity(nPower * dy / s);
}

int cGameObj::ApproachPoint2D(cCmdRun* run, cGameObj* target, double tx, double ty, int bFlag, int bArrive,
                              int bKeepScreen) {
  int arrived = ApproachCore(&run->dMoveVX, &run->dMoveVY, &run->nFaceReq, target, ScreenCenterX(), ScreenCenterY(),
                             tx, ty, run->dSpeed, bFlag, 0, bArrive);
  if (arrived && StopsAtTarget(run)) {
    if (!bKeepScreen) {
      RefreshScreen(this);
      RefreshScreen(target);
    }
    SetCenterAndStop(TruncToInt(tx), TruncToInt(ty), run);
  }
  return arrived;
}

int cGameObj::ApproachPointX(cCmdRun* run, cGameObj* target, double tx, int bFlag, int bArrive, int bKeepScreen) {
  int arrived = ApproachCoreX(&run->dMoveVX, &run->dMoveVY, &run->nFaceReq, target, ScreenCenterX(), tx,
                              run->dSpeed, bFlag, bArrive);
  if (arrived && StopsAtTarget(run)) {
    if (!bKeepScreen) {
      RefreshScreen(this);
      RefreshScreen(target);
    }
    SetCenterXAndStop(TruncToInt(tx), run);
  }
  return arrived;
}

int cGameObj::ApproachPointY(cCmdRun* run, cGameObj* target, double ty, int bFlag, int bArrive, int bKeepScreen) {
  int arrived = ApproachCoreY(&run->dMoveVX, &run->dMoveVY, &run->nFaceReq, target, ScreenCenterY(), ty,
                              run->dSpeed, bFlag, bArrive);
  if (arrived && StopsAtTarget(run)) {
    if (!bKeepScreen) {
      RefreshScreen(this);
      RefreshScreen(target);
    }
    SetCenterYAndStop(TruncToInt(ty), run);
  }
  return arrived;
}

void cGameObj::MoveToPoint(double* tx, double* ty, cCmdRun* run, int bAbsX, int bAbsY) {
  if (!bAbsX) *tx = run->nTargetDX + ScreenCenterX();
  if (!bAbsY) *ty = run->nTargetDY + ScreenCenterY();
}

// ------------------------------------------------------------- arithmetic

double WaveCos(int a, int b, double* phase, double step, double offset) {
  double n = N();
  double k = b * kPi / 180;
  double t = *phase / n + offset;
  double v = k * a * std::cos(k * t) / n;
  *phase += step;
  if (*phase >= 360 * n) *phase -= 360 * n;
  return v;
}

double WaveSin(int a, int b, double* phase, double step, double offset) {
  double n = N();
  double k = b * kPi / 180;
  double t = *phase / n + offset;
  double v = -(a * k * k * std::sin(k * t)) / (n * n);
  *phase += step;
  if (*phase >= 360 * n) *phase -= 360 * n;
  return v;
}

int ApproachCore(double* vx, double* vy, int* dir, cGameObj* target, double x, double y, double tx, double ty,
                 double speed, int bFlag, int bNoFlee, int bArrive) {
  double dx = tx - x, dy = ty - y;
  double sx = SpeedX(), sy = SpeedY();
  *vx = 0;
  *vy = 0;
  if (!bNoFlee && speed < 0) {
    double s = -speed * kOneOverSqrt2;
    *vx = x >= tx ? s : -s;
    *vy = y >= ty ? s : -s;
    *dir = DirOf(*vx);
    if (RelativeSwitch()) {
      *vx += sx;
      *vy += sy;
    } else if (target && ((bFlag && !target->m_bScrollSync) || (!bFlag && target->m_bScrollSync))) {
      *vx -= sx;
      *vy -= sy;
    }
    return 0;
  }
  double d = std::sqrt(dx * dx + dy * dy);
  if (d == 0) d = 1;
  *vx = speed * dx / d;
  *vy = speed * dy / d;
  if (RelativeSwitch()) {
    *vx += sx;
    *vy += sy;
  } else if (target) {
    if (!target->m_bScrollSync) {
      *vx -= sx;
      *vy -= sy;
    } else if (!bFlag && (sx != 0 || sy != 0)) {
      double keepX = *vx, keepY = *vy;
      Intercept r = SolveIntercept(vx, vy, dx, dy, sx, sy);
      if (r == Intercept::ZeroDivisor) return 0;
      // Too slow to meet a target that moves with the screen: head for
      // where it is now.
      if (r == Intercept::NoSolution) {
        *vx = keepX;
        *vy = keepY;
      }
    }
  }
  *dir = DirOf(*vx);
  if (bArrive && std::fabs(dx) <= std::fabs(speed) && std::fabs(dy) <= std::fabs(speed)) return 1;
  return 0;
}

int ApproachCoreX(double* vx, double* vy, int* dir, cGameObj* target, double x, double tx, double speed, int bFlag,
                  int bArrive) {
  *vx = x < tx ? speed : -speed;
  *dir = x < tx ? 2 : 1;
  if (!bFlag && target && target->m_bScrollSync && RelativeSwitch()) *vx += SpeedX();
  *vy = 0;
  return bArrive && std::fabs(x - tx) < std::fabs(speed) ? 1 : 0;
}

int ApproachCoreY(double* vx, double* vy, int* dir, cGameObj* target, double y, double ty, double speed, int bFlag,
                  int bArrive) {
  *vy = y < ty ? speed : -speed;
  *dir = 0;
  if (!bFlag && target && target->m_bScrollSync && RelativeSwitch()) *vy += SpeedY();
  *vx = 0;
  return bArrive && std::fabs(y - ty) < std::fabs(speed) ? 1 : 0;
}

double PerSubStep(double x) { return x / N() * (1.0 / 60); }

void CalcSpan(int* lo, int* hi, int nStart, int nSize, int nExtLo, int nExtHi, int bBoth) {
  int h = nSize >> 1;
  int c = nStart + h;
  if (bBoth && nExtLo == 0 && nExtHi == 0) {
    *lo = c - h;
    *hi = c + h;
    return;
  }
  *lo = nExtLo != 0 ? c - h - nExtLo : c;
  *hi = nExtHi != 0 ? c + h + nExtHi : c;
}

int SpanOverlap(int nStart, int nSize, int pLo, int pHi, int pOfs, int nExtLo, int nExtHi, int bBoth, int bHeightRule,
                const cGameObj* partner) {
  int lo = 0, hi = 0;
  CalcSpan(&lo, &hi, nStart, nSize, nExtLo, nExtHi, bBoth);
  bool first = lo <= pHi - pOfs;
  if (!nm::sys::DistanceSpanSwitch(SystemData) && bHeightRule && partner &&
      TruncToInt(partner->m_dBottom - partner->m_dY) + pOfs + 1 >= partner->m_nPicH)
    first = lo <= pHi;
  return first && pLo + pOfs <= hi ? 1 : 0;
}

// ---------------------------------------------------------------- searches

int PassesCharaFilter(const cCharaBase* c, const CharaFilter& f) {
  if (!c) return 0;
  if (f.bFaction && nm::chara::SearchFaction(c->m_Def) != f.nFaction) return 0;
  if (c->m_bDead) return 0;
  if (f.bExclId && c->m_nID == f.nId) return 0;
  if (f.bExclInv1 && c->m_Def.m_Invincible == 1) return 0;
  if (f.bExclInv2 && c->m_Def.m_Invincible == 2) return 0;
  if (f.bExclBlock && c->m_Def.m_BlockChara) return 0;
  if (f.bVar) {
    // A variable number outside the character's variables matches nothing.
    if (f.nVar < 0 || static_cast<size_t>(f.nVar) >= c->m_Vars.size()) return 0;
    int64_t v = c->m_Vars[static_cast<size_t>(f.nVar)];
    int64_t b = f.nValue;
    bool ok = false;
    switch (f.nCmp) {
      case 0: ok = v == b; break;
      case 1: ok = v != b; break;
      case 2: ok = v >= b; break;
      case 3: ok = v <= b; break;
      case 4: ok = v > b; break;
      case 5: ok = v < b; break;
      case 6: ok = b == 0 || Abs64(v) % Abs64(b) == 0; break;
      case 7: ok = b != 0 && Abs64(v) % Abs64(b) != 0; break;
      default: ok = false; break;
    }
    if (!ok) return 0;
  }
  return 1;
}

cCharaBase* FindNearestChara(int x, int y, const CharaPtrList& list, int nMode, const CharaFilter& filter) {
  auto nearest = [&](auto&& accept) -> cCharaBase* {
    cCharaBase* best = nullptr;
    int64_t bestDist = 0;
    for (cCharaBase* c : list) {
      if (!PassesCharaFilter(c, filter) || !accept(c)) continue;
      int64_t d = Abs64(static_cast<int64_t>(c->ScreenCenterX()) - x) + Abs64(static_cast<int64_t>(c->ScreenCenterY()) - y);
      if (!best || d < bestDist) {
        best = c;
        bestDist = d;
      }
    }
    return best;
  };
  switch (nMode) {
    case 0:
      if (cCharaBase* c = nearest([](cCharaBase* c) { return c->m_bActive && c->m_bOnScreen; })) return c;
      return nearest([](cCharaBase* c) { return c->m_bActive && !c->m_bOnScreen; });
    case 1:
      return nearest([](cCharaBase* c) { return c->m_bActive != 0; });
    case 2:
      return nearest([](cCharaBase* c) { return c->m_bActive && c->m_bOnScreen; });
    default:
      return nullptr;
  }
}

cCharaBase* FindNearestCharaTo(int x, int y, const CharaPtrList& list) {
  CharaFilter f;
  f.bExclInv2 = 1;
  return FindNearestChara(x, y, list, Stage.m_OnScreenHitsOnly ? 2 : 0, f);
}

cCharaBase* FindNearestCharaToMe(const cGameObj& me, const CharaPtrList& list) {
  return FindNearestCharaTo(me.ScreenCenterX(), me.ScreenCenterY(), list);
}

cCharaBase* FindCharaInList(const CharaPtrList& list, const CharaFilter& filter) {
  for (cCharaBase* c : list)
    if (PassesCharaFilter(c, filter)) return c;
  return nullptr;
}

cCharaBase* LookupCharaById(const CharaIdTable& table, int nKey, const CharaFilter& filter) {
  for (auto it = table.rbegin(); it != table.rend(); ++it)
    if (it->second == nKey && it->first && PassesCharaFilter(it->first, filter)) return it->first;
  return nullptr;
}

int PickSurfaceIndex(int nIndex, int bPreferAlt) {
  if (!bDDInitDone) return nIndex;
  auto holds = [](int i) { return i >= 0 && i < kSurfaceTableSize && SurfaceTable[i].Pixels() != nullptr; };
  if (!bPreferAlt) return holds(nIndex) ? nIndex : nIndex + 18;
  return holds(nIndex + 18) ? nIndex + 18 : nIndex;
}
