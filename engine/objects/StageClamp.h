#pragma once
// The step and clamp of an object's box against the stage, written once as
// templates over the object's type. cGameObj's members use them with the
// box update dispatched virtually; a caller that knows the exact type (whose
// box update is final) gets the whole step inlined.
#include <cmath>

#include "base/Text.h"
#include "engine/objects/GameObj.h"
#include "engine/rules/ScrollAxis.h"

template <class Obj>
int ClampStageXOf(Obj& o, const cScrollAxis& a, int nMode) {
  int result = 0;
  auto pastScroll = [&] { return o.m_dX < a.m_nLower || o.m_dX + o.m_nW - 1 >= a.m_nUpper; };
  switch (nMode) {
    case 0:
      if (a.m_nLower > o.m_dX)
        o.m_dX = a.m_nLower;
      else if (o.m_dX + o.m_nW - 1 >= a.m_nUpper)
        o.m_dX = a.m_nUpper - o.m_nW;
      break;
    case 1:
      if (a.m_nOrigin > o.m_dX)
        o.m_dX = a.m_nOrigin;
      else if (o.m_dX + o.m_nW - 1 >= a.m_nDefaultUpper)
        o.m_dX = a.m_nDefaultUpper - o.m_nW;
      else
        result = pastScroll() ? 1 : 0;
      break;
    case 2:
      if (o.m_dX < 0) {
        o.m_dX = 0;
        result = 3;
      } else if (o.m_dX + o.m_nW - 1 >= a.m_nExtent) {
        o.m_dX = a.m_nExtent - o.m_nW;
        result = 3;
      } else if (o.m_dX < a.m_nOrigin || o.m_dX + o.m_nW - 1 >= a.m_nDefaultUpper) {
        result = 2;
      } else {
        result = pastScroll() ? 1 : 0;
      }
      break;
    default:
      break;
  }
  o.m_dRight = o.m_dX + o.m_nW - 1.0;
  o.UpdateBoxX();
  o.m_nCol = TruncToInt(o.m_dX) >> 5;
  o.m_nRightCol = TruncToInt(o.m_dRight) >> 5;
  return result;
}

template <class Obj>
int ClampStageYOf(Obj& o, const cScrollAxis& a, int nMode) {
  int result = 0;
  auto scrollSide = [&] { return o.m_dY < a.m_nLower ? 1 : o.m_dY + o.m_nH - 1 >= a.m_nUpper ? 4 : 0; };
  switch (nMode) {
    case 0:
      if (a.m_nLower > o.m_dY)
        o.m_dY = a.m_nLower;
      else if (o.m_dY + o.m_nH - 1 >= a.m_nUpper)
        o.m_dY = a.m_nUpper - o.m_nH;
      break;
    case 1:
      if (a.m_nOrigin > o.m_dY)
        o.m_dY = a.m_nOrigin;
      else if (o.m_dY + o.m_nH - 1 >= a.m_nDefaultUpper)
        o.m_dY = a.m_nDefaultUpper - o.m_nH;
      else
        result = scrollSide();
      break;
    case 2:
      if (o.m_dY < 0) {
        o.m_dY = 0;
        result = 3;
      } else if (o.m_dY + o.m_nH - 1 >= a.m_nExtent) {
        o.m_dY = a.m_nExtent - o.m_nH;
        result = 6;
      } else if (o.m_dY < a.m_nOrigin) {
        result = 2;
      } else if (o.m_dY + o.m_nH - 1 >= a.m_nDefaultUpper) {
        result = 5;
      } else {
        result = scrollSide();
      }
      break;
    default:
      break;
  }
  o.m_dBottom = o.m_dY + o.m_nH - 1.0;
  o.UpdateBoxY();
  o.m_nRow = TruncToInt(o.m_dY) >> 5;
  o.m_nBottomRow = TruncToInt(o.m_dBottom) >> 5;
  return result;
}

// A step's speed limited to -cap..cap (NaN is left as it is). |v| > cap
// holds exactly when v > cap or v < -cap, and is false for a NaN v or cap:
// one compare for the common speed within the cap.
inline void CapStepSpeed(double& v, double cap) {
  if (std::fabs(v) > cap) v = v > cap ? cap : -cap;
}

// The speed-capped step of StepX / StepY: `cap` is the stage's step cap.
template <class Obj>
int StepXOf(Obj& o, const cScrollAxis& a, double cap, int nMode) {
  CapStepSpeed(o.m_dVX, cap);
  o.m_dX += o.m_dVX;
  const int r = ClampStageXOf<Obj>(o, a, nMode);
  return r >= 1 && r <= 3 ? r : 0;
}

template <class Obj>
int StepYOf(Obj& o, const cScrollAxis& a, double cap, int nMode) {
  CapStepSpeed(o.m_dVY, cap);
  o.m_dY += o.m_dVY;
  const int r = ClampStageYOf<Obj>(o, a, nMode);
  return r >= 1 && r <= 6 ? r : 0;
}
