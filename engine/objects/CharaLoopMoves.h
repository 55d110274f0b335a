#pragma once
// A stage character's per-axis moves, inline for the Characters loop, which
// runs them for every character every sub-step: c.MoveX() and c.MoveY()
// with only the reports that loop asks for.
#include "base/Text.h"
#include "data/Stage.h"
#include "engine/World.h"
#include "engine/objects/BlockMap.h"
#include "engine/objects/Chara.h"
#include "engine/objects/StageClamp.h"

// A hit box's edges from the position already truncated (ix = TruncToInt(x)).
inline void PlaceHitBoxAtX(HitBox& b, int ix) {
  b.rc.left = ix + b.nOfsX;
  b.rc.right = b.rc.left + b.nW - 1;
}

inline void PlaceHitBoxAtY(HitBox& b, int iy) {
  b.rc.top = iy + b.nOfsY;
  b.rc.bottom = b.rc.top + b.nH - 1;
}

// The velocity before the step: a knock-back replaces it, else the command
// velocity (slowed by its friction) is added.
inline void StartCharaMoveX(cChara& c) {
  if (c.m_ImpactX != 0) {
    c.m_dVX = c.m_ImpactX;
  } else if (c.m_dVX2 != 0) {
    if (c.m_bFrictionX) c.ApplyFriction(&c.m_dVX2, c.m_bFrictionX);
    c.m_dVX += c.m_dVX2;
  }
}

inline void StartCharaMoveY(cChara& c) {
  // Without a knock-back ApplyImpactY would only keep it as the last one.
  // With one, the command velocity waits unless ApplyImpactY ended it.
  if (c.m_ImpactY != 0) {
    c.ApplyImpactY();
    if (c.m_ImpactY != 0) return;
  } else {
    c.m_PrevImpactY = c.m_ImpactY;
  }
  if (c.m_bFly && c.m_dVY2 != 0) {
    if (c.m_bFrictionY) c.ApplyFriction(&c.m_dVY2, c.m_bFrictionY);
    c.m_dVY += c.m_dVY2;
  }
}

// ApplyCharaGravity(step), then StartCharaMoveY, as one test of the
// knock-back: without one (0 or -0) gravity's test of a rising knock-back
// (m_ImpactY < 0) is false, so only the three flags are asked.
inline void FallAndStartCharaMoveY(cChara& c, double step) {
  if (c.m_ImpactY != 0) {
    c.ApplyCharaGravity(step);
    c.ApplyImpactY();
    if (c.m_ImpactY != 0) return;
  } else {
    if (!c.m_bFly && !c.m_bRiding && !c.m_bMoveDisabled) c.m_dVY = c.m_dVY + step;
    c.m_PrevImpactY = c.m_ImpactY;
  }
  if (c.m_bFly && c.m_dVY2 != 0) {
    if (c.m_bFrictionY) c.ApplyFriction(&c.m_dVY2, c.m_bFrictionY);
    c.m_dVY += c.m_dVY2;
  }
}

// What ClampStageXOf / ClampStageYOf write after their clamp (cChara's box
// update included). TruncToInt depends on the position alone: truncated
// once, it serves both hit boxes and the column (row).
// ix and iright are TruncToInt(c.m_dX) and TruncToInt(right).
inline void PlaceCharaXAt(cChara& c, double right, int ix, int iright) {
  c.m_dRight = right;
  PlaceHitBoxAtX(c.m_HitBoxChara, ix);
  PlaceHitBoxAtX(c.m_HitBoxShot, ix);
  c.m_nCol = ix >> 5;
  c.m_nRightCol = iright >> 5;
}

inline void PlaceCharaYAt(cChara& c, double bottom, int iy, int ibottom) {
  c.m_dBottom = bottom;
  PlaceHitBoxAtY(c.m_HitBoxChara, iy);
  PlaceHitBoxAtY(c.m_HitBoxShot, iy);
  c.m_nRow = iy >> 5;
  c.m_nBottomRow = ibottom >> 5;
}

inline void PlaceCharaX(cChara& c, double right) { PlaceCharaXAt(c, right, TruncToInt(c.m_dX), TruncToInt(right)); }
inline void PlaceCharaY(cChara& c, double bottom) { PlaceCharaYAt(c, bottom, TruncToInt(c.m_dY), TruncToInt(bottom)); }

// The rare clamp at the world's edge, out of the loop: the new position,
// the boxes, then the character's own clamp (which finds them in place).
[[gnu::noinline]] inline int ClampCharaAtWorldX(cChara& c, const cScrollAxis& a) {
  if (c.m_dX < 0)
    c.m_dX = 0;
  else
    c.m_dX = a.m_nExtent - c.m_nW;
  PlaceCharaX(c, c.m_dX + c.m_nW - 1.0);
  c.ClampX();
  return 4;
}

// 8 for a flier, 7 for a walker at the bottom, 0 for one at the top.
[[gnu::noinline]] inline int ClampCharaAtWorldY(cChara& c, const cScrollAxis& a) {
  const bool top = c.m_dY < 0;
  if (top)
    c.m_dY = 0;
  else
    c.m_dY = a.m_nExtent - c.m_nH;
  PlaceCharaY(c, c.m_dY + c.m_nH - 1.0);
  c.ClampY();
  return c.m_bFly ? 8 : top ? 0 : 7;
}

// MoveX's step and mode-2 clamp with only the world's edges asked: 4 when
// clamped there, else 0 (the map area's report 2 and the scroll window's 1
// are left out). `edges` gets x and right: TruncToInt of the new m_dX and
// m_dRight, for the side-wall pass.
inline int MoveCharaXInWorld(cChara& c, BoxTruncs& edges) {
  StartCharaMoveX(c);
  CapStepSpeed(c.m_dVX, Stage.m_StepCap);
  c.m_dX += c.m_dVX;
  const cScrollAxis& a = CurrentWorld().m_ScrollX;
  const double right = c.m_dX + c.m_nW - 1.0;
  if (c.m_dX < 0 || right >= a.m_nExtent) {
    const int r = ClampCharaAtWorldX(c, a);
    edges.x = TruncToInt(c.m_dX);
    edges.right = TruncToInt(c.m_dRight);
    return r;
  }
  edges.x = TruncToInt(c.m_dX);
  edges.right = TruncToInt(right);
  PlaceCharaXAt(c, right, edges.x, edges.right);
  return 0;
}

inline int MoveCharaXInWorld(cChara& c) {
  BoxTruncs edges;
  return MoveCharaXInWorld(c, edges);
}

// MoveY's step and mode-2 clamp, reporting only 7 (a walker clamped at the
// world's bottom or past the map area's, side 6 or 5) and 8 (a flier
// clamped at the world's top or bottom, side 3 or 6); else 0.
// `edges` gets y and bottom: TruncToInt of the new m_dY and m_dBottom.
// `gravity`: ApplyCharaGravity(gravityStep) first.
template <bool gravity = false>
inline int MoveCharaYInWorld(cChara& c, BoxTruncs& edges, double gravityStep = 0) {
  if constexpr (gravity)
    FallAndStartCharaMoveY(c, gravityStep);
  else
    StartCharaMoveY(c);
  CapStepSpeed(c.m_dVY, Stage.m_StepCap);
  c.m_dY += c.m_dVY;
  const cScrollAxis& a = CurrentWorld().m_ScrollY;
  const double y = c.m_dY;
  const double bottom = y + c.m_nH - 1.0;
  if (y < 0 || bottom >= a.m_nExtent) {
    const int r = ClampCharaAtWorldY(c, a);
    edges.y = TruncToInt(c.m_dY);
    edges.bottom = TruncToInt(c.m_dBottom);
    return r;
  }
  edges.y = TruncToInt(y);
  edges.bottom = TruncToInt(bottom);
  PlaceCharaYAt(c, bottom, edges.y, edges.bottom);
  // Side 5 comes after the map area's top (side 2) in the clamp's order:
  // a box above that top reports 2 even when its bottom is past the area.
  return !c.m_bFly && bottom >= a.m_nDefaultUpper && !(y < a.m_nOrigin) ? 7 : 0;
}

inline int MoveCharaYInWorld(cChara& c) {
  BoxTruncs edges;
  return MoveCharaYInWorld(c, edges);
}
