#include "engine/shots/Firing.h"

#include <algorithm>
#include <cmath>

#include "base/Text.h"
#include "data/CommonPalette.h"
#include "data/Database.h"
#include "data/Stage.h"
#include "engine/Names.h"
#include "engine/StepMath.h"
#include "engine/World.h"
#include "engine/flow/FlowRun.h"
#include "engine/objects/CharaBase.h"
#include "engine/objects/Motion.h"
#include "engine/rules/Rules.h"

namespace {

namespace s = nm::shot;
const double K = 1.0 / std::sqrt(2.0);

double Rad(double deg) { return deg * kPi / 180; }

// The picture rectangle of a character and the camera, as the placement
// tables name them.
struct Frame {
  int L, T, R, B, W, H;
  double X, Y;
  int fX, fY;
  int w, h, n, g;
  double v;
};

Frame MakeFrame(const cCharaBase* p, const cEdShot* def, const ShotLaunch& l) {
  const cPlayWorld& world = CurrentWorld();
  Frame f{};
  f.L = p->m_nScrLeft;
  f.T = p->m_nScrTop;
  f.R = p->m_nScrRight;
  f.B = p->m_nScrBottom;
  f.W = p->m_nPicW;
  f.H = p->m_nPicH;
  f.X = world.m_ScrollX.m_dPos;
  f.Y = world.m_ScrollY.m_dPos;
  f.fX = static_cast<int>(std::floor(f.X));
  f.fY = static_cast<int>(std::floor(f.Y));
  f.w = l.nW;
  f.h = l.nH;
  f.n = s::byShots(*def);
  f.g = 16 * s::wForm(*def, 0);
  f.v = l.dSpeed;
  return f;
}

void SetVelocity(ShotLaunch& l, double angle) {
  l.dVX = -std::cos(Rad(angle)) * l.dSpeed;
  l.dVY = -std::sin(Rad(angle)) * l.dSpeed;
}

void AddOffset(ShotLaunch& l) {
  l.nBaseX += l.nOfsX;
  l.nBaseY += l.nOfsY;
}

cCharaBase* SlotTarget(cCharaBase* chara, int slot) {
  if (slot < 0 || static_cast<size_t>(slot) >= chara->m_Targets.size()) return nullptr;
  return chara->m_Targets[static_cast<size_t>(slot)];
}

// Diagonal start points of straight A and spread.
int DiagX0(const Frame& f, int dir) {
  double cx = f.fX + f.L + (f.W >> 1);
  if (dir == 8 || dir == 9) return TruncToInt(cx - K * ((f.W >> 1) + (f.w >> 1) - 1) - (f.w >> 1));
  return TruncToInt(cx + K * (f.R - f.L - (f.W >> 1) + (f.w >> 1) + 1) - (f.w >> 1));
}
int DiagY0(const Frame& f, int dir) {
  double cy = f.fY + f.T + (f.H >> 1);
  if (dir == 8 || dir == 10) return TruncToInt(cy - K * ((f.H >> 1) + (f.h >> 1)) - (f.h >> 1));
  return TruncToInt(cy + K * (f.B - f.T - (f.H >> 1) + (f.h >> 1) + 1) - (f.h >> 1));
}

void PlaceStraightA(ShotLaunch& l, const cEdShot* def, cCharaBase* p) {
  Frame f = MakeFrame(p, def, l);
  const int n = f.n, g = f.g, w = f.w, h = f.h;
  const double v = f.v;
  const int rowY = f.fY + f.T + (f.H >> 1) - (n - 1) * (g / 2) - n * (h >> 1);
  const int colX = f.fX + f.L + (f.W >> 1) - (n - 1) * (g / 2) - n * (w >> 1);
  const double spanX = K * (n - 1) * (g / 2 + (w >> 1));
  const double spanY = K * (n - 1) * ((h >> 1) + g / 2);
  l.nStepX = l.nStepY = 0;
  switch (l.nDir) {
    case 2:
    case 3:
      l.nBaseX = l.nDir == 2 ? TruncToInt(f.X + f.L + 1 - w) : TruncToInt(f.X + f.R + 1);
      l.nBaseY = rowY;
      l.nStepY = g + h;
      l.dVX = l.nDir == 2 ? -v : v;
      l.dVY = 0;
      break;
    case 6:
    case 7:
      l.nBaseX = colX;
      l.nBaseY = l.nDir == 6 ? f.fY + f.T - h : f.fY + f.B + 1;
      l.nStepX = g + w;
      l.dVX = 0;
      l.dVY = l.nDir == 6 ? -v : v;
      break;
    default: {
      const int x0 = DiagX0(f, l.nDir), y0 = DiagY0(f, l.nDir);
      const bool left = l.nDir == 8 || l.nDir == 9;
      const bool up = l.nDir == 8 || l.nDir == 10;
      // The row runs across the flight line: up-left and down-right rows
      // climb to the right, the other two descend.
      const bool climbs = l.nDir == 8 || l.nDir == 11;
      l.nBaseX = TruncToInt(x0 - spanX);
      l.nBaseY = climbs ? TruncToInt(y0 + spanY) : TruncToInt(y0 - spanY);
      l.nStepX = TruncToInt(K * (g + w));
      l.nStepY = climbs ? TruncToInt(-K * (g + h)) : TruncToInt(K * (g + h));
      l.dVX = left ? -v * K : v * K;
      l.dVY = up ? -v * K : v * K;
      break;
    }
  }
  AddOffset(l);
}

void PlaceStraightB(ShotLaunch& l, const cEdShot* def, cCharaBase* p) {
  Frame f = MakeFrame(p, def, l);
  const double v = f.v;
  int side = l.nDir;  // 2 left, 3 right
  if (l.nDir == 8 || l.nDir == 9) side = 2;
  if (l.nDir == 10 || l.nDir == 11) side = 3;
  if (l.nDir == 6 || l.nDir == 7) side = p->m_bFaceRight ? 3 : 2;
  l.nBaseX = side == 2 ? TruncToInt(f.X + f.L + 1 - f.w) : TruncToInt(f.X + f.R + 1);
  l.nBaseY = f.fY + f.B - f.h + 1;
  l.nStepX = 0;
  l.nStepY = -f.g - f.h;
  switch (l.nDir) {
    case 2: l.dVX = -v; l.dVY = 0; break;
    case 3: l.dVX = v; l.dVY = 0; break;
    case 6: l.dVX = 0; l.dVY = -v; break;
    case 7: l.dVX = 0; l.dVY = v; break;
    case 8: l.dVX = -v * K; l.dVY = -v * K; break;
    case 9: l.dVX = -v * K; l.dVY = v * K; break;
    case 10: l.dVX = v * K; l.dVY = -v * K; break;
    default: l.dVX = v * K; l.dVY = v * K; break;
  }
  AddOffset(l);
}

void PlaceSpread(ShotLaunch& l, const cEdShot* def, cCharaBase* p) {
  Frame f = MakeFrame(p, def, l);
  switch (l.nDir) {
    case 2:
    case 3:
      l.nBaseX = l.nDir == 2 ? f.fX + f.L - f.w + 1 : f.fX + f.R + 1;
      l.nBaseY = f.fY + f.T + (f.H >> 1) - (f.h >> 1);
      break;
    case 6:
    case 7:
      l.nBaseX = f.fX + f.L + (f.W >> 1) - (f.w >> 1);
      l.nBaseY = l.nDir == 6 ? f.fY + f.T - f.h : f.fY + f.B + 1;
      break;
    default:
      l.nBaseX = DiagX0(f, l.nDir);
      l.nBaseY = DiagY0(f, l.nDir);
      break;
  }
  AddOffset(l);
}

int FirerCentreAim(ShotLaunch& l, cCharaBase* p, const cEdShot* def) {
  Frame f = MakeFrame(p, def, l);
  return AimAngle(f.fX + f.L + (f.W >> 1) + l.nOfsX, f.fY + f.T + (f.H >> 1) + l.nOfsY, p, def, &l);
}

void PlaceSpreadAngled(ShotLaunch& l, const cEdShot* def, cCharaBase* p) {
  if (!s::byRotateStart(*def)) {
    PlaceSpread(l, def, p);
    return;
  }
  double c = s::byAim(*def) ? FirerCentreAim(l, p, def) : DirectionAngle(l.nDir);
  c += l.nAngle;
  RotateLaunchOffset(l, p, c);
  AddOffset(l);
}

void PlaceStraightBAngled(ShotLaunch& l, const cEdShot* def, cCharaBase* p) {
  PlaceStraightB(l, def, p);
  double c = s::byAim(*def) ? AimAngle(l.nBaseX + (l.nW >> 1), l.nBaseY + (l.nH >> 1), p, def, &l)
                            : DirectionAngle(l.nDir);
  SetVelocity(l, c + l.nAngle);
}

void PlaceStraightAAngled(ShotLaunch& l, const cEdShot* def, cCharaBase* p) {
  if (!s::byRotateStart(*def)) {
    PlaceStraightA(l, def, p);
    double c = s::byAim(*def) ? AimAngle(l.nBaseX + (l.nW >> 1), l.nBaseY + (l.nH >> 1), p, def, &l)
                              : DirectionAngle(l.nDir);
    SetVelocity(l, c + l.nAngle);
    return;
  }
  const int n = s::byShots(*def), g = 16 * s::wForm(*def, 0), w = l.nW, h = l.nH;
  double c = s::byAim(*def) ? FirerCentreAim(l, p, def) + l.nAngle : l.nAngle + DirectionAngle(l.nDir);
  RotateLaunchOffset(l, p, c);
  if (s::byAim(*def))
    c = AimAngle(l.nBaseX + l.nOfsX + (w >> 1), l.nBaseY + l.nOfsY + (h >> 1), p, def, &l) + l.nAngle;
  const double sn = std::sin(Rad(c)), k = std::cos(Rad(c));
  if ((sn >= 0 && k >= 0) || (sn < 0 && k < 0)) {
    l.nBaseX = TruncToInt(l.nBaseX - sn * (g / 2 + (w >> 1)) * (n - 1));
    l.nStepX = TruncToInt(sn * (g + w));
    l.nBaseY = TruncToInt(l.nBaseY + k * (g / 2 + (h >> 1)) * (n - 1));
    l.nStepY = TruncToInt(k * (-g - h));
  } else {
    l.nBaseX = TruncToInt(l.nBaseX + sn * (g / 2 + (w >> 1)) * (n - 1));
    l.nStepX = TruncToInt(sn * (-g - w));
    l.nBaseY = TruncToInt(l.nBaseY - k * (g / 2 + (h >> 1)) * (n - 1));
    l.nStepY = TruncToInt(k * (g + h));
  }
  AddOffset(l);
  l.dVX = -k * l.dSpeed;
  l.dVY = -sn * l.dSpeed;
}

void PlaceThunder(ShotLaunch& l, const cEdShot* def, cCharaBase* firer, cCharaBase* p) {
  Frame f = MakeFrame(firer, def, l);
  const int w = f.w, h = f.h, g = f.g;
  const double v = f.v;
  const int r = s::wForm(*def, 1);
  const int q = 16 * s::wForm(*def, 2);
  const int e = ((r - 1) >> 1) * q;
  const int fs = (r & 1) ? e : e + q / 2;
  const int kf = TruncToInt(K * fs);
  const int cx = p->m_nScrLeft + (p->m_nPicW >> 1);
  const int cy = p->m_nScrTop + (p->m_nPicH >> 1);
  const bool rows = r >= 2;
  int rsx = 0, rsy = 0;
  switch (l.nDir) {
    case 2:
      l.nBaseX = TruncToInt(f.X + 640 - w);
      l.nBaseY = f.fY + cy - (h >> 1);
      l.nStepX = -w - g, l.nStepY = 0;
      l.dVX = -v, l.dVY = 0;
      rsx = 0, rsy = q;
      if (rows) l.nBaseY -= fs;
      break;
    case 3:
      l.nBaseX = f.fX;
      l.nBaseY = f.fY + cy - (h >> 1);
      l.nStepX = g + w, l.nStepY = 0;
      l.dVX = v, l.dVY = 0;
      rsx = 0, rsy = q;
      if (rows) l.nBaseY -= fs;
      break;
    case 6:
      l.nBaseX = f.fX + cx - (w >> 1);
      l.nBaseY = TruncToInt(f.Y + 480 - h);
      l.nStepX = 0, l.nStepY = -g - h;
      l.dVX = 0, l.dVY = -v;
      rsx = q, rsy = 0;
      if (rows) l.nBaseX -= fs;
      break;
    case 7:
      l.nBaseX = f.fX + cx - (w >> 1);
      l.nBaseY = f.fY;
      l.nStepX = 0, l.nStepY = g + h;
      l.dVX = 0, l.dVY = v;
      rsx = q, rsy = 0;
      if (rows) l.nBaseX -= fs;
      break;
    case 8:
      if (640 - cx < 480 - cy) {
        l.nBaseX = TruncToInt(f.X + 640 - w);
        l.nBaseY = TruncToInt(f.Y + cy + (640 - cx) - h);
      } else {
        l.nBaseX = TruncToInt(f.X + cx + (480 - cy) - w);
        l.nBaseY = TruncToInt(f.Y + 480 - h);
      }
      l.nStepX = TruncToInt(-K * (w + g)), l.nStepY = TruncToInt(-K * (g + h));
      l.dVX = -v * K, l.dVY = -v * K;
      rsx = TruncToInt(q * K), rsy = TruncToInt(-q * K);
      if (rows) l.nBaseX -= kf, l.nBaseY += kf;
      break;
    case 9:
      if (640 - cx < cy) {
        l.nBaseX = TruncToInt(f.X + 640 - w);
        l.nBaseY = TruncToInt(f.Y + cy - (640 - cx));
      } else {
        l.nBaseX = TruncToInt(f.X + cx + cy - w);
        l.nBaseY = f.fY;
      }
      l.nStepX = TruncToInt(-K * (w + g)), l.nStepY = TruncToInt(K * (g + h));
      l.dVX = -v * K, l.dVY = v * K;
      rsx = TruncToInt(q * K), rsy = TruncToInt(q * K);
      if (rows) l.nBaseX -= kf, l.nBaseY -= kf;
      break;
    case 10:
      if (cx < 480 - cy) {
        l.nBaseX = f.fX;
        l.nBaseY = TruncToInt(f.Y + cy + cx - h);
      } else {
        l.nBaseX = TruncToInt(f.X + cx - (480 - cy));
        l.nBaseY = TruncToInt(f.Y + 480 - h);
      }
      l.nStepX = TruncToInt(K * (w + g)), l.nStepY = TruncToInt(-K * (g + h));
      l.dVX = v * K, l.dVY = -v * K;
      rsx = TruncToInt(q * K), rsy = TruncToInt(q * K);
      if (rows) l.nBaseX -= kf, l.nBaseY -= kf;
      break;
    default:  // 11
      if (cx < cy) {
        l.nBaseX = f.fX;
        l.nBaseY = TruncToInt(f.Y + cy - cx);
      } else {
        l.nBaseX = TruncToInt(f.X + cx - cy);
        l.nBaseY = f.fY;
      }
      l.nStepX = TruncToInt(K * (w + g)), l.nStepY = TruncToInt(K * (g + h));
      l.dVX = v * K, l.dVY = v * K;
      rsx = TruncToInt(q * K), rsy = TruncToInt(-q * K);
      if (rows) l.nBaseX -= kf, l.nBaseY += kf;
      break;
  }
  l.nRowStepX = rows ? rsx : 0;
  l.nRowStepY = rows ? rsy : 0;
  AddOffset(l);
}

// The centre character of lightning and surround, or null.
cCharaBase* FormationCentre(cCharaBase* chara, const cEdShot* def) {
  switch (s::byFormTarget(*def)) {
    case 0: return SlotTarget(chara, s::byAimSlot(*def));
    case 1: return Player.empty() ? nullptr : &Player[0];
    case 2: return chara;
    default: return nullptr;
  }
}

// The step of the circle formations: 360 / n in whole degrees.
int CircleStep(int n) { return 360 / n; }

int CmdKind(const cCmdRun* run) { return run && run->lpCmd ? run->lpCmd->m_CmdKind : 11; }

// Input direction index into a direction code, the unclear-input flag clear.
int ConvertStartDirection(int index, int faceRight) {
  static const int kTable[10] = {0, 2, 3, 6, 7, 8, 9, 10, 11, 0};
  if (index <= 0 || index >= 9) return faceRight ? 3 : 2;
  return kTable[index];
}

template <class T>
const T* PaletteEntry(const cVector<T>& common, const cVector<T>& stage, const cEdShot* def) {
  const cVector<T>& list = s::bySummonSource(*def) == 0 ? common : stage;
  int i = s::wSummonIndex(*def);
  if (i < 0 || static_cast<size_t>(i) >= list.size()) return nullptr;
  return &list[static_cast<size_t>(i)];
}

void RunFormation(cList<cShot>& list, cCharaBase* chara, cCmdRun* run, const cEdShot* def, ShotLaunch& l) {
  switch (s::byFormation(*def)) {
    case 0: FormStraightA(list, chara, run, def, l); break;
    case 1: FormStraightB(list, chara, run, def, l); break;
    case 2: FormSpread(list, chara, run, def, l); break;
    case 3: FormThunder(list, chara, run, def, l); break;
    case 4: FormExplosion(list, chara, run, def, l); break;
    case 5: FormSurround(list, chara, run, def, l); break;
    default: break;
  }
}

void RefreshIfStageChara(cCharaBase* c) {
  if (c && c->m_nObjKind == 1) c->UpdateScreenPos();
}

// Summons: one launch record, no clones.
void Summon(cCharaBase* chara, cCmdRun* run, const cEdShot* def, int size) {
  ShotLaunch l;
  l.nW = l.nH = size;
  l.nDir = ResolveShotDirection(s::byDirection(*def), chara->m_bFaceRight,
                                CurrentWorld().m_pCurFlowRun ? CurrentWorld().m_pCurFlowRun->nStartDir : 0);
  if (l.nDir == 0) return;
  chara->UpdateScreenPos();
  l.nClone = 0;
  l.dSpeed = 1.0;
  l.nAngle = 0;
  l.nRange = 0;
  l.nOfsX = TruncToInt(def->CalcX(0, chara->m_bFaceRight));
  l.nOfsY = TruncToInt(def->CalcY(0, chara->m_bFaceRight));
  cList<cShot> none;
  RunFormation(none, chara, run, def, l);
}

}  // namespace

int DirectionAngle(int code) {
  switch (code) {
    case 2: return 0;
    case 3: return 180;
    case 6: return 90;
    case 7: return 270;
    case 8: return 45;
    case 9: return 315;
    case 10: return 135;
    case 11: return 225;
    default: return -1;
  }
}

int ResolveShotDirection(int value, int faceRight, int startDir) {
  switch (value) {
    case 0: return faceRight ? 3 : 2;
    case 1: return faceRight ? 2 : 3;
    case 4: return faceRight ? 7 : 6;
    case 5: return faceRight ? 6 : 7;
    case 12: return ConvertStartDirection(startDir, faceRight);
    default: return DirectionAngle(value) >= 0 ? value : 0;
  }
}

int AimAngle(double x, double y, cCharaBase* chara, const cEdShot* def, ShotLaunch* l) {
  cCharaBase* t = SlotTarget(chara, s::byAimSlot(*def));
  if (!t) return chara->m_bFaceRight ? 180 : 0;
  const cPlayWorld& w = CurrentWorld();
  auto scrolling = [](const cScrollAxis& a) { return a.m_dAutoSpeed != 0 && !a.m_bAtLimit; };
  const double X = w.m_ScrollX.m_dPos, Y = w.m_ScrollY.m_dPos;
  const int fX = static_cast<int>(std::floor(X)), fY = static_cast<int>(std::floor(Y));
  if ((!scrolling(w.m_ScrollX) && !scrolling(w.m_ScrollY)) || s::byScrollSync(*def) || !t->m_bScrollSync) {
    double tx = fX + t->m_nScrLeft + (t->m_nPicW >> 1);
    double ty = fY + t->m_nScrTop + (t->m_nPicH >> 1);
    return TruncToInt(std::atan2(ty - y, tx - x) * 180 / kPi + 180 + 0.5);
  }
  // Compensated for the auto-scroll. The aim needs only the shot's speed and
  // the two screen points, so no shot object (ID or link) is made for it.
  const double n = SubStepsF();
  double speed = (s::wSpeed(*def) + s::wSpeedInc(*def) * l->nClone) * 0.1 / n;
  double vx = 0, vy = 0;
  int dir = 0;
  ApproachCore(&vx, &vy, &dir, t, x - fX, y - fY, t->ScreenCenterX(), t->ScreenCenterY(), speed, 0, 0, 0);
  l->dSpeed = std::sqrt(vx * vx + vy * vy) * n;
  return TruncToInt(std::atan2(vy, vx) * 180 / kPi + 180);
}

void RotateLaunchOffset(ShotLaunch& l, cCharaBase* p, double angle) {
  const cPlayWorld& w = CurrentWorld();
  const int L = p->m_nScrLeft, T = p->m_nScrTop, R = p->m_nScrRight, B = p->m_nScrBottom;
  const int W = p->m_nPicW, H = p->m_nPicH;
  const double rx = K * ((l.nW >> 1) + R - L - (W >> 1) + 1);
  const double ry = K * (B + (l.nH >> 1) - T - (H >> 1) + 1);
  const double phi = Rad(angle + 225);
  l.nBaseX = TruncToInt(L + (W >> 1) + w.m_ScrollX.m_dPos + ry * std::sin(phi) + rx * std::cos(phi) - (l.nW >> 1));
  l.nBaseY = TruncToInt(T + (H >> 1) + w.m_ScrollY.m_dPos + rx * std::sin(phi) - ry * std::cos(phi) - (l.nH >> 1));
}

using PlaceFn = void (*)(ShotLaunch&, const cEdShot*, cCharaBase*);

// A line of shots: placed by the straight or the angled rule, then spaced by
// the step the placement chose.
void FormLine(cList<cShot>& list, cCharaBase* chara, cCmdRun* run, const cEdShot* def, ShotLaunch& l, PlaceFn place,
              PlaceFn placeAngled) {
  const int n = s::byShots(*def);
  if (n <= 0) return;
  if (l.nAngle != 0 || s::byAim(*def))
    placeAngled(l, def, chara);
  else
    place(l, def, chara);
  l.nX = l.nBaseX;
  l.nY = l.nBaseY;
  for (int i = 0; i < n; ++i) {
    SpawnShotObject(list, l, chara, run, def);
    l.nX += l.nStepX;
    l.nY += l.nStepY;
  }
}

void FormStraightA(cList<cShot>& list, cCharaBase* chara, cCmdRun* run, const cEdShot* def, ShotLaunch& l) {
  FormLine(list, chara, run, def, l, PlaceStraightA, PlaceStraightAAngled);
}

void FormStraightB(cList<cShot>& list, cCharaBase* chara, cCmdRun* run, const cEdShot* def, ShotLaunch& l) {
  FormLine(list, chara, run, def, l, PlaceStraightB, PlaceStraightBAngled);
}

void FormSpread(cList<cShot>& list, cCharaBase* chara, cCmdRun* run, const cEdShot* def, ShotLaunch& l) {
  const int n = s::byShots(*def);
  if (n <= 0) return;
  const int b = s::wForm(*def, 0);
  if (l.nAngle != 0 || s::byAim(*def))
    PlaceSpreadAngled(l, def, chara);
  else
    PlaceSpread(l, def, chara);
  double c = s::byAim(*def) ? AimAngle(l.nBaseX + (l.nW >> 1), l.nBaseY + (l.nH >> 1), chara, def, &l)
                            : DirectionAngle(l.nDir);
  double theta = (n & 1) ? c + l.nAngle - b * (n >> 1) : c + l.nAngle - b * ((n >> 1) - 0.5);
  for (int i = 0; i < n; ++i) {
    SetVelocity(l, theta);
    l.nX = l.nBaseX;
    l.nY = l.nBaseY;
    SpawnShotObject(list, l, chara, run, def);
    theta += b;
  }
}

// The authoring tool offers 1..50 rows; a file's larger count would make
// millions of objects per volley, so it is held at that.
constexpr int kMaxThunderRows = 50;

void FormThunder(cList<cShot>& list, cCharaBase* chara, cCmdRun* run, const cEdShot* def, ShotLaunch& l) {
  const int n = s::byShots(*def);
  const int r = std::min<int>(s::wForm(*def, 1), kMaxThunderRows);
  cCharaBase* p = FormationCentre(chara, def);
  if (!p || n <= 0 || r <= 0) return;
  PlaceThunder(l, def, chara, p);
  if (l.nAngle != 0) SetVelocity(l, l.nAngle + DirectionAngle(l.nDir));
  for (int i = 0; i < n; ++i) {
    const int colX = l.nBaseX + i * l.nStepX, colY = l.nBaseY + i * l.nStepY;
    for (int k = 0; k < r; ++k) {
      l.nX = colX + k * l.nRowStepX;
      l.nY = colY + k * l.nRowStepY;
      SpawnShotObject(list, l, chara, run, def);
    }
  }
}

void FormExplosion(cList<cShot>& list, cCharaBase* chara, cCmdRun* run, const cEdShot* def, ShotLaunch& l) {
  const int n = s::byShots(*def);
  if (n <= 0) return;
  const cPlayWorld& w = CurrentWorld();
  l.nBaseX = TruncToInt(chara->m_nScrLeft + (chara->m_nPicW >> 1) + w.m_ScrollX.m_dPos - (l.nW >> 1));
  l.nBaseY = TruncToInt(chara->m_nScrTop + (chara->m_nPicH >> 1) + w.m_ScrollY.m_dPos - (l.nH >> 1));
  AddOffset(l);
  int theta = DirectionAngle(l.nDir) + l.nAngle;
  for (int i = 0; i < n; ++i) {
    SetVelocity(l, theta);
    l.nX = l.nBaseX;
    l.nY = l.nBaseY;
    SpawnShotObject(list, l, chara, run, def);
    theta += CircleStep(n);
  }
}

void FormSurround(cList<cShot>& list, cCharaBase* chara, cCmdRun* run, const cEdShot* def, ShotLaunch& l) {
  const int n = s::byShots(*def);
  cCharaBase* p = FormationCentre(chara, def);
  if (!p || n <= 0) return;
  const cPlayWorld& w = CurrentWorld();
  const int rho = 16 * s::wForm(*def, 0);
  l.nBaseX = TruncToInt(p->m_nScrLeft + (p->m_nPicW >> 1) + w.m_ScrollX.m_dPos - (l.nW >> 1) + l.nOfsX);
  l.nBaseY = TruncToInt(p->m_nScrTop + (p->m_nPicH >> 1) + w.m_ScrollY.m_dPos - (l.nH >> 1) + l.nOfsY);
  int theta = DirectionAngle(l.nDir) + l.nAngle;
  for (int i = 0; i < n; ++i) {
    l.nX = TruncToInt(rho * std::cos(Rad(theta)) + 0.5) + l.nBaseX;
    l.nY = TruncToInt(rho * std::sin(Rad(theta)) + 0.5) + l.nBaseY;
    SetVelocity(l, theta);
    SpawnShotObject(list, l, chara, run, def);
    theta += CircleStep(n);
  }
}

void SpawnShotObject(cList<cShot>& list, ShotLaunch& l, cCharaBase* chara, cCmdRun* run, const cEdShot* def) {
  cPlayWorld& w = CurrentWorld();
  const int kind = CmdKind(run);
  switch (kind) {
    case 13: {
      const cBlockDef* b = PaletteEntry(CommonPalette.m_Blocks, Stage.m_PaletteBlocks, def);
      if (b) SpawnBlock(l.nX, l.nY, chara->m_bFaceRight, def, b);
      return;
    }
    case 14: {
      const cCharaDef* c = PaletteEntry(CommonPalette.m_Charas, Stage.m_PaletteCharas, def);
      if (!c || nm::chara::Kind(*c) != 1) return;
      int faction = s::bySummonFaction(*def) == 0   ? nm::chara::Side(*c)
                    : s::bySummonFaction(*def) == 1 ? chara->m_nBlockSide
                                                    : s::byFaction(*def);
      int facing = s::bySummonReverse(*def) ? !chara->m_bFaceRight : chara->m_bFaceRight;
      SpawnChara(CharaList, l.nX, l.nY, faction, facing, chara->m_bFaceRight, def, c, &w.m_nNextCharaId, chara);
      return;
    }
    case 15: {
      const cItemDef* it = PaletteEntry(CommonPalette.m_Items, Stage.m_PaletteItems, def);
      if (it) SpawnItem(ItemList, l.nX, l.nY, chara->m_bFaceRight, def, it, &w.m_nNextItemId);
      return;
    }
    default:
      break;
  }
  // A sword type that is missing or has no frames makes no sword.
  if (kind == 12 && !SwordTypeOf(s::byMove(*def))) return;
  cShot shot;
  shot.Setup(w.m_nNextShotId, chara, kind, def, l);
  cShot* added = AddShot(list, shot);
  ++w.m_nNextShotId;
  const int move = s::byMove(added->m_ShotDef);
  if (added->m_bShot && (move == 3 || move == 6) && added->m_lpTarget) {
    ShotLink link{added, 0};
    if (!HasLink(added->m_lpTarget->m_ShotLinks, link)) added->m_lpTarget->m_ShotLinks.push_back(link);
  } else {
    added->m_lpTarget = nullptr;
  }
  if (added->m_lpOwner) {
    ShotLink link{added, 4};
    if (!HasLink(added->m_lpOwner->m_ShotLinks, link)) added->m_lpOwner->m_ShotLinks.push_back(link);
  }
}

void FireShot(cList<cShot>& list, cCharaBase* chara, cCmdRun* run, const cEdShot* def) {
  ShotLaunch l;
  l.nW = l.nH = 16 * s::bySize(*def);
  const cPlayWorld& w = CurrentWorld();
  l.nDir = ResolveShotDirection(s::byDirection(*def), chara->m_bFaceRight,
                                w.m_pCurFlowRun ? w.m_pCurFlowRun->nStartDir : 0);
  if (l.nDir == 0) return;  // the value names no direction
  RefreshIfStageChara(chara);
  RefreshIfStageChara(SlotTarget(chara, s::byAimSlot(*def)));
  RefreshIfStageChara(SlotTarget(chara, s::byTargetSlot(*def)));

  const bool mirror = s::byMirrorAngle(*def) && chara->m_bFaceRight;
  const int jitter = s::wAngleRand(*def);
  double speed = s::wSpeed(*def) * 0.1;
  int angle = mirror ? 360 - s::wAngle(*def) : s::wAngle(*def);
  if (jitter != 0) angle += Random(-jitter, jitter);
  int range = s::wRange(*def);
  int life = s::wLife(*def);
  for (int i = 0; i <= s::byClones(*def); ++i) {
    l.nClone = i;
    l.dSpeed = speed;
    l.nAngle = angle;
    l.nRange = range;
    l.nLife = life;
    l.nOfsX = TruncToInt(def->CalcX(i, chara->m_bFaceRight));
    l.nOfsY = TruncToInt(def->CalcY(i, chara->m_bFaceRight));
    RunFormation(list, chara, run, def, l);
    // The next volley's values; the deviation is drawn after the last
    // volley too, so the random sequence does not depend on the count.
    speed += s::wSpeedInc(*def) * 0.1;
    int a = s::wAngle(*def) + s::wAngleInc(*def) * (i + 1);
    angle = mirror ? 360 - a : a;
    if (jitter != 0) angle += Random(-jitter, jitter);
    range += s::wRangeInc(*def);
    life += s::wLifeInc(*def);
  }
}

void SummonBlock(cCharaBase* chara, cCmdRun* run, const cEdShot* def) {
  if (!PaletteEntry(CommonPalette.m_Blocks, Stage.m_PaletteBlocks, def)) return;
  if (s::bySummonMode(*def) == 2) CurrentWorld().m_SwitchedCells.clear();
  Summon(chara, run, def, 32);
}

void SummonChara(cCharaBase* chara, cCmdRun* run, const cEdShot* def) {
  const cCharaDef* c = PaletteEntry(CommonPalette.m_Charas, Stage.m_PaletteCharas, def);
  if (!c || nm::chara::Kind(*c) != 1) return;
  Summon(chara, run, def, 32 * nm::chara::Magnification(*c));
}

void SummonItem(cCharaBase* chara, cCmdRun* run, const cEdShot* def) {
  const cItemDef* it = PaletteEntry(CommonPalette.m_Items, Stage.m_PaletteItems, def);
  if (!it) return;
  Summon(chara, run, def, 32 * std::max<int>(it->m_Size, 1));
}
