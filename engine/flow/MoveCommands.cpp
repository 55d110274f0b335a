// Movement command executors (kinds 2..10) and the direction and velocity
// routines they share. A move never moves the character: it adds one
// sub-step's velocity and may request a facing; MoveX/MoveY do the rest.
#include "engine/flow/MoveCommands.h"

#include <bit>
#include <cmath>
#include <cstdint>

#include "data/FlowCmd.h"
#include "data/Replay.h"
#include "data/System.h"
#include "engine/Names.h"
#include "engine/Services.h"
#include "engine/StepMath.h"
#include "engine/World.h"
#include "engine/flow/CommandSupport.h"
#include "engine/flow/Commands.h"
#include "engine/objects/BlockMap.h"
#include "engine/objects/CharaBase.h"
#include "engine/objects/Motion.h"

namespace {

constexpr double kK = 0.7071067811865476;  // 1/sqrt(2)
constexpr int kGameTypeReplay = 3;

bool FixedFacingOn(const cCharaBase* c) { return c->m_Def.m_FixedFacing != 0; }
bool PlacedFacingRight(const cCharaBase* c) { return c->m_Def.m_Facing == 1; }

const cEdMove* MoveOf(const cCmdRun* run) { return run && run->lpCmd ? run->lpCmd->m_pMove.get() : nullptr; }

void ClearAnchors(cCharaBase* c) {
  c->m_bScreenAnchorX = 0;
  c->m_bScreenAnchorY = 0;
}

cCharaBase* TargetSlot(cCharaBase* c, int slot) {
  if (slot < 0 || slot > 3) return nullptr;
  return c->m_Targets[static_cast<size_t>(slot)];
}

int Degrees16(int v) { return static_cast<int16_t>(v); }

// MapView::Class(map.Index(col, row)) for a row inside the map whose first
// cell is at `first`: only the column and the map's size are left to test.
inline int RowCellClass(const MapView& map, long first, int col, int side) {
  if (static_cast<unsigned>(col) >= static_cast<unsigned>(map.pitch)) return 0;
  const long index = first + col;
  if (index >= map.size) return 0;
  cBlockCell& cell = map.base[index];
  return cell.HasConds() ? cell.HitType(side) : cell.PlainClass(side);
}

}  // namespace

// --------------------------------------------------------------- directions

int InputDirIndex(uint16_t bits) {
  switch (bits & 15) {
    case 0: return 0;
    case cInput::DIR_LEFT: return 1;
    case cInput::DIR_RIGHT: return 2;
    case cInput::DIR_UP: return 3;
    case cInput::DIR_DOWN: return 4;
    case cInput::DIR_UP | cInput::DIR_LEFT: return 5;
    case cInput::DIR_DOWN | cInput::DIR_LEFT: return 6;
    case cInput::DIR_UP | cInput::DIR_RIGHT: return 7;
    case cInput::DIR_DOWN | cInput::DIR_RIGHT: return 8;
    default: return 9;
  }
}

int ConvertDirection(int inputIndex, int unclear, int faceRight) {
  static const int kTable[10] = {0, 2, 3, 6, 7, 8, 9, 10, 11, 0};
  if (SceneValues().GameType() == kGameTypeReplay) {
    const uint32_t v = Replay.m_DataVersion;
    if (v <= 777) unclear = 1;
    else if (v <= 779) unclear = 0;
  }
  const int facing = faceRight ? 3 : 2;
  if (inputIndex < 0 || inputIndex > 9) return facing;
  if (inputIndex == 0) return facing;
  if (inputIndex == 9) return unclear ? 0 : facing;
  return kTable[inputIndex];
}

int ResolveDirection(cCharaBase* chara, int kind, int live, int unclear, int diagonal) {
  const bool right = chara->m_bFaceRight != 0;
  switch (kind) {
    case 0: return right ? 3 : 2;
    case 1: return right ? 2 : 3;
    case 4: return right ? 7 : 6;
    case 5: return right ? 6 : 7;
    case 2: case 3: case 6: case 7: case 8: case 9: case 10: case 11: return kind;
    case 12: {
      int index = 0;
      if (live) {
        if (!PlayerInput.empty()) index = InputDirIndex(PlayerInput[0].m_wDir);
      } else if (PlayScene && PlayScene->m_pCurFlowRun) {
        index = PlayScene->m_pCurFlowRun->nStartDir;
      }
      int d = ConvertDirection(index, unclear, right);
      if (!diagonal) {
        if (d == 8 || d == 9) d = 2;
        else if (d == 10 || d == 11) d = 3;
      }
      return d;
    }
    default: return 0;
  }
}

// --------------------------------------------------------------- velocities

void SetMoveVelocity(cCharaBase* chara, cCmdRun* run, double s, int kind) {
  run->dMoveVX = 0;
  run->dMoveVY = 0;
  const int fly = chara->m_bFly;
  const int d = ResolveDirection(chara, kind, 0, 1, fly);
  int req = 0;
  switch (d) {
    case 2: run->dMoveVX = -s; req = 1; break;
    case 3: run->dMoveVX = s; req = 2; break;
    case 6: if (fly) run->dMoveVY = -s; break;
    case 7: if (fly) run->dMoveVY = s; break;
    case 8: run->dMoveVX = -s * kK; if (fly) run->dMoveVY = -s * kK; req = 1; break;
    case 9: run->dMoveVX = -s * kK; run->dMoveVY = s * kK; req = 1; break;
    case 10: run->dMoveVX = s * kK; run->dMoveVY = -s * kK; req = 2; break;
    case 11: run->dMoveVX = s * kK; run->dMoveVY = s * kK; req = 2; break;
    default: return;
  }
  if (!FixedFacingOn(chara)) run->nFaceReq = req;
}

void SetMoveVelocityAngled(cCharaBase* chara, cCmdRun* run, double s, int kind, int offset) {
  const int fly = chara->m_bFly;
  const int d = ResolveDirection(chara, kind, 0, 1, fly);
  int base = 0, req = -1;
  switch (d) {
    case 2: base = 0; req = 1; break;
    case 3: base = 180; req = 2; break;
    case 6: base = 90; req = 0; break;
    case 7: base = 270; req = 0; break;
    case 8: base = 45; req = 1; break;
    case 9: base = 315; req = 1; break;
    case 10: base = 135; req = 2; break;
    case 11: base = 225; req = 2; break;
    default: break;
  }
  if (req >= 0 && !FixedFacingOn(chara)) run->nFaceReq = req;
  const double theta = (base + Degrees16(offset)) * kPi / 180.0;
  run->dMoveVX = -s * std::cos(theta);
  run->dMoveVY = fly ? -s * std::sin(theta) : 0.0;
}

void InitMoveAngle(cCharaBase* chara, cCmdRun* run, const cEdMove& mv) {
  int a = nm::move::sAngle(mv) + nm::move::sAngleStep(mv) * chara->m_wSpawnTag;
  if (nm::move::bMirrorAngle(mv) && PlacedFacingRight(chara)) a = 360 - a;
  while (a >= 360) a -= 360;
  run->nAngle = a;
}

void InitMoveTarget(cCharaBase* chara, cCmdRun* run, const cEdMove& mv) {
  run->nTargetDX = nm::move::sTargetXBl(mv) * 32 + nm::move::sTargetXDot(mv);
  run->nTargetDY = nm::move::sTargetYBl(mv) * 32 + nm::move::sTargetYDot(mv);
  if (PlacedFacingRight(chara)) {
    if (nm::move::bMirrorX(mv)) run->nTargetDX = -run->nTargetDX;
    if (nm::move::bMirrorY(mv)) run->nTargetDY = -run->nTargetDY;
  }
}

void SetMoveVelocityToPoint(cCharaBase* chara, cCmdRun* run, double s, int tx, int ty, const cEdMove& mv) {
  const cPlayWorld& w = CurrentWorld();
  const double cx = chara->m_nScrLeft + chara->m_nPicW / 2 + w.m_ScrollX.m_dPos;
  const double cy = chara->m_nScrTop + chara->m_nPicH / 2 + w.m_ScrollY.m_dPos;
  double dx = 0, dy = 0;
  switch (nm::move::byPosMode(mv)) {
    case 0: dx = tx + chara->m_OriginX - cx; dy = ty + chara->m_OriginY - cy; break;
    case 1: dx = tx; dy = ty; break;
    case 2:
      dx = w.m_ScrollX.m_nMargin * 32 + tx + 16 - cx;
      dy = w.m_ScrollY.m_nMargin * 32 + ty + 16 - cy;
      break;
    case 3: dx = w.m_ScrollX.m_dPos + tx + 16 - cx; dy = w.m_ScrollY.m_dPos + ty + 16 - cy; break;
    default: break;  // no other mode has a target offset
  }
  if (!nm::move::bUseX(mv)) dx = 0;
  if (!nm::move::bUseY(mv)) dy = 0;
  const double dist = std::sqrt(dx * dx + dy * dy);
  if (dist == 0) {
    run->dMoveVX = 0;
    run->dMoveVY = 0;
  } else {
    run->dMoveVX = nm::move::bNoVX(mv) ? 0.0 : s * dx / dist;
    run->dMoveVY = nm::move::bNoVY(mv) ? 0.0 : s * dy / dist;
  }
  if (!FixedFacingOn(chara)) run->nFaceReq = run->dMoveVX < -1e-8 ? 1 : run->dMoveVX > 1e-8 ? 2 : 0;
  if (nm::move::bArrive(mv) && s != 0) {
    const double calls = std::floor(std::fabs(dist) / std::fabs(s));
    run->nLeft = calls > 2147483647.0 ? 2147483647 : static_cast<int32_t>(calls);
    if (nm::move::bStopOnArrival(mv) && run->nLeft < 1) {
      if (nm::move::bUseX(mv) && !nm::move::bNoVX(mv)) {
        run->dMoveVX = 0;
        if (!FixedFacingOn(chara)) run->nFaceReq = 0;
      }
      if (nm::move::bUseY(mv) && !nm::move::bNoVY(mv)) run->dMoveVY = 0;
    }
  }
}

void ApplyMoveStep(cCharaBase* chara, double vx, double vy, int request, cCmdRun* run, const cEdMove& mv,
                   int force) {
  if ((!FixedFacingOn(chara) || force) && !nm::move::bKeepFacing(mv)) {
    if (request == 1) chara->m_bFaceRight = 0;
    else if (request == 2) chara->m_bFaceRight = 1;
  }
  if (!nm::move::bInertia(mv)) {
    chara->m_dVX += vx;
    chara->m_dVY += vy;
  } else {
    const double n = CmdSubSteps();
    const double cap = run->dSpeed2;
    auto axis = [&](double v, double& cv, int32_t& friction) {
      double step = v / (60 * n);
      if ((cv < 0 && v > 0) || (cv > 0 && v < 0)) step *= nm::move::dTurnBrake(mv);
      else friction = 0;
      cv += step;
      if (cv > cap) cv = cap;
      if (cv < -cap) cv = -cap;
    };
    axis(vx, chara->m_dVX2, chara->m_bFrictionX);
    axis(vy, chara->m_dVY2, chara->m_bFrictionY);
  }
  if (!nm::move::bNoMoveAnim(mv)) {
    chara->m_bMovedThisUpdate = 1;
    // Changing to the animation already playing does nothing.
    const int anim = chara->m_bFly ? 3 : 1;
    if (chara->m_Anim.m_nAnim != anim) chara->m_Anim.Change(anim, 1);
  }
}

// --------------------------------------------------------------- executors

void CmdMoveStraight(cCharaBase* chara, cCmdRun* run) {
  const cEdMove* mv = MoveOf(run);
  if (!mv) return;
  ClearAnchors(chara);
  const int fly = chara->m_bFly;
  if (!run->bStarted) {
    run->bStarted = 1;
    InitMoveAngle(chara, run, *mv);
    if (nm::move::byMode(*mv) == 1) {
      InitMoveTarget(chara, run, *mv);
      SetMoveVelocityToPoint(chara, run, run->dSpeed, run->nTargetDX, run->nTargetDY, *mv);
    } else if (run->nAngle != 0) {
      SetMoveVelocityAngled(chara, run, run->dSpeed, run->nMoveKind, run->nAngle);
    } else {
      SetMoveVelocity(chara, run, run->dSpeed, run->nMoveKind);
    }
    if (!fly) run->dMoveVY = 0;
  } else {
    if (!fly) run->dMoveVY = 0;
    if (nm::move::bReverseOnTurn(*mv) && chara->m_Def.m_FixedFacing == 1 && chara->m_bFaceRight != run->nLastFacing &&
        (nm::sys::Legacy783(SystemData) || nm::move::byMode(*mv) == 0)) {
      run->dMoveVX = -run->dMoveVX;
      run->dMoveVY = -run->dMoveVY;
    }
  }
  if (!nm::sys::Legacy773(SystemData)) {
    if (nm::move::bNoVX(*mv)) run->dMoveVX = 0;
    if (nm::move::bNoVY(*mv)) run->dMoveVY = 0;
  }
  ApplyMoveStep(chara, run->dMoveVX, run->dMoveVY, run->nFaceReq, run, *mv, 0);
  run->nLastFacing = chara->m_bFaceRight;
}

namespace {

// The ground move in every case once its definition is known. The common
// case below sends here all it does not cover before it writes anything.
[[gnu::noinline]] void GroundTurnGeneral(cCharaBase* chara, cCmdRun* run, const cEdMove& mv) {
  ClearAnchors(chara);
  double vx = chara->FacingSign() * run->dSpeed;
  int req = 0;
  if (chara->m_ImpactX == 0 && chara->m_ImpactY == 0) {
    if (chara->m_nTurnSide < 0) {
      // One view of the map serves both cells: nothing between the two
      // reads changes the map's shape or storage.
      const MapView map;
      // Below 0 the floor differs from the truncation; from 0 up they agree.
      const double below = chara->m_dBottom + 1.1;
      int row = (below >= 0 ? static_cast<int>(below) : static_cast<int>(std::floor(below))) / 32;
      if (row > map.rows - 1) row = map.rows - 1;
      // The clamp leaves row below rows: only a row above the map is outside
      // (both cells then class 0, as MapView::Index gives -1 for each).
      if (row >= 0) {
        const int side = chara->m_nBlockSide;
        const long first = static_cast<long>(row) << map.shift;
        const int left = RowCellClass(map, first, static_cast<int>(chara->m_dX) / 32, side);
        const int right = RowCellClass(map, first, static_cast<int>(chara->m_dRight) / 32, side);
        // Ground under one edge only: turn toward it.
        if ((left > 0) != (right > 0)) req = left > 0 ? 1 : 2;
      }
    } else {
      req = chara->m_bFaceRight ? 1 : 2;
      vx = -vx;
      if (chara->m_bRiding && chara->m_nRideId) {
        if (cCharaBase* ride = FindCharaById(chara->m_nRideId)) {
          const double d = ride->m_dX - chara->m_RideBox.left;
          if ((chara->m_bFaceRight && d < 0) || (!chara->m_bFaceRight && d > 0)) vx = 2 * d + vx;
          else vx = vx + d;
        }
      }
      chara->m_nTurnSide = -1;
    }
  }
  ApplyMoveStep(chara, vx, 0, req, run, mv, 1);
}

// Both +-0 exactly when no bit but the signs is set: each == 0 then, and
// a NaN (never == 0) has mantissa bits.
inline bool GroundBothZero(double a, double b) {
  return ((std::bit_cast<uint64_t>(a) | std::bit_cast<uint64_t>(b)) << 1) == 0;
}

// Stands for a cell outside the map: no conditions and class 0 for every
// side, as MapView::Class gives for index -1.
cBlockCell GroundClearCell() {
  cBlockCell cell;
  cell.m_Hit = 0;
  return cell;
}
const cBlockCell kGroundOutside = GroundClearCell();

// The cell of the row starting at `first` for column `col` (the row inside
// the map), or kGroundOutside where MapView::Index gives -1.
inline const cBlockCell& GroundRowCell(const cBlockCell* base, long size, unsigned pitch, long first, int col) {
  if (static_cast<unsigned>(col) >= pitch) return kGroundOutside;
  const long index = first + col;
  return index < size ? base[index] : kGroundOutside;
}

}  // namespace

// The common case (no impact, no pending turn, no inertia, a play scene,
// feet at or below the map's top, cells without conditions) makes no call
// but the animation change, so it saves no registers; the rest goes to
// GroundTurnGeneral, which repeats every read from the start.
void CmdMoveGroundTurn(cCharaBase* chara, cCmdRun* run) {
  const cEdMove* mv = MoveOf(run);
  if (!mv || chara->m_bFly) return;
  const cPlayWorld* w = PlayScene;
  const double below = chara->m_dBottom + 1.1;
  // From 0 up the floor is the truncation; below 0 (or NaN) the general form.
  if (!w || chara->m_nTurnSide >= 0 || nm::move::bInertia(*mv) || !(below >= 0) ||
      !GroundBothZero(chara->m_ImpactX, chara->m_ImpactY))
    return GroundTurnGeneral(chara, run, *mv);
  // The truncation of a value from 0 up is 0 or more, so / 32 is >> 5; past
  // the int range it is INT_MIN on this target, a multiple of 32, and >> 5
  // gives INT_MIN / 32 as well (a row above the map: no cell read).
  int row = static_cast<int>(below) >> 5;
  const int rows = w->m_ScrollY.m_nCells;
  if (row > rows - 1) row = rows - 1;
  // Ground under each edge (class above 0); none in a row above the map.
  bool left = false, right = false;
  if (row >= 0) {
    const int shift = w->m_ScrollX.m_nShift;
    const cBlockCell* base = BlockMap.data();
    const long size = static_cast<long>(BlockMap.size());
    const unsigned pitch = static_cast<unsigned>(1 << shift);
    const long first = static_cast<long>(row) << shift;
    const int xl = static_cast<int>(chara->m_dX), xr = static_cast<int>(chara->m_dRight);
    // An edge truncated below 0 (-31..-1 is column 0, toward zero) goes to
    // the general form; from 0 up, / 32 is >> 5.
    if ((xl | xr) < 0) return GroundTurnGeneral(chara, run, *mv);
    const cBlockCell& lc = GroundRowCell(base, size, pitch, first, xl >> 5);
    const cBlockCell& rc = GroundRowCell(base, size, pitch, first, xr >> 5);
    // A cell with conditions asks them (a call): the general form does it,
    // the left cell first as here.
    if (lc.HasConds() || rc.HasConds()) return GroundTurnGeneral(chara, run, *mv);
    const int side = chara->m_nBlockSide;
    left = lc.PlainClass(side) > 0;
    right = rc.PlainClass(side) > 0;
  }
  // ApplyMoveStep with force and no inertia, in its order of writes.
  ClearAnchors(chara);
  const double vx = chara->FacingSign() * run->dSpeed;
  // Ground under one edge only: turn toward it (request 1 faces left, 2
  // right, so the facing becomes `right`).
  if (left != right && !nm::move::bKeepFacing(*mv)) chara->m_bFaceRight = right;
  chara->m_dVX += vx;
  chara->m_dVY += 0.0;  // kept: it turns -0 into +0
  if (!nm::move::bNoMoveAnim(*mv)) {
    chara->m_bMovedThisUpdate = 1;
    // Not flying: the walk animation; changing to the one playing does nothing.
    if (chara->m_Anim.m_nAnim != 1) chara->m_Anim.Change(1, 1);
  }
}

void CmdMoveCircle(cCharaBase* chara, cCmdRun* run) {
  const cEdMove* mv = MoveOf(run);
  if (!mv || run->nRadius == 0) return;
  ClearAnchors(chara);
  if (!run->bStarted) {
    run->bStarted = 1;
    run->dPhaseX = run->dPhaseY = run->nAngleFrom;
  }
  int r = run->nMoveKind;
  if (r == 2) r = chara->m_bFaceRight ? 1 : 0;
  else if (r == 3) r = chara->m_bFaceRight ? 0 : 1;
  const double offset = r == 1 ? 90 : 270;
  const double n = CmdSubSteps();
  double vx = 0, vy = 0;
  const double wx = WaveCos(run->nRadius, 1, &run->dPhaseX, n * run->dSpeed, 0);
  const double wy = WaveCos(run->nRadius, 1, &run->dPhaseY, n * run->dSpeed, offset);
  if (!nm::move::bNoVX(*mv)) vx = -run->dSpeed * wx;
  if (chara->m_bFly && !nm::move::bNoVY(*mv)) vy = -run->dSpeed * wy;
  ApplyMoveStep(chara, vx, vy, 0, run, *mv, 0);
}

namespace {

void ApproachTarget(cCharaBase* chara, cCmdRun* run, const cEdMove& mv, cGameObj* target, double x, double y) {
  const int stop = nm::move::bStopOnArrival(mv);
  if (nm::move::bNoVX(mv)) chara->ApproachPointY(run, target, y, chara->m_bScrollSync, stop);
  else if (nm::move::bNoVY(mv)) chara->ApproachPointX(run, target, x, chara->m_bScrollSync, stop);
  else chara->ApproachPoint2D(run, target, x, y, chara->m_bScrollSync, stop);
}

}  // namespace

void CmdMoveCharge(cCharaBase* chara, cCmdRun* run) {
  const cEdMove* mv = MoveOf(run);
  if (!mv) return;
  ClearAnchors(chara);
  const int fly = chara->m_bFly;
  if (!run->bStarted) {
    run->bStarted = 1;
    InitMoveAngle(chara, run, *mv);
    InitMoveTarget(chara, run, *mv);
    cCharaBase* target = TargetSlot(chara, nm::move::byTarget(*mv));
    if (!target) {
      run->dMoveVX = run->dMoveVY = 0;
    } else {
      if (target->m_bDead) return;
      if (fly) {
        double tx = 0, ty = 0;
        target->MoveToPoint(&tx, &ty, run);
        ApproachTarget(chara, run, *mv, target, tx, ty);
      } else if (nm::move::bNoVX(*mv)) {
        run->dMoveVX = 0;
      } else {
        ApproachCoreX(&run->dMoveVX, &run->dMoveVY, &run->nFaceReq, target, chara->ScreenCenterX(),
                      target->ScreenCenterX() + run->nTargetDX, run->dSpeed, chara->m_bScrollSync, 0);
      }
      if (run->nAngle != 0) {
        double th;
        if (nm::sys::Legacy728(SystemData)) {
          th = std::floor(std::atan2(run->dMoveVX, run->dMoveVY) * 180.0 / kPi + 90) + run->nAngle;
          run->dMoveVX = run->dSpeed * std::cos(th * kPi / 180.0);
        } else {
          th = std::floor(std::atan2(run->dMoveVY, run->dMoveVX) * 180.0 / kPi + 180) + run->nAngle;
          run->dMoveVX = -run->dSpeed * std::cos(th * kPi / 180.0);
        }
        if (fly) run->dMoveVY = -run->dSpeed * std::sin(th * kPi / 180.0);
      }
    }
  } else if (!fly) {
    run->dMoveVY = 0;
  }
  ApplyMoveStep(chara, run->dMoveVX, run->dMoveVY, run->nFaceReq, run, *mv, 0);
}

void CmdMoveHoming(cCharaBase* chara, cCmdRun* run) {
  const cEdMove* mv = MoveOf(run);
  if (!mv) return;
  cCharaBase* target = TargetSlot(chara, nm::move::byTarget(*mv));
  if (!target || target->m_bDead) return;
  if (!run->bStarted) {
    run->bStarted = 1;
    InitMoveTarget(chara, run, *mv);
  }
  ClearAnchors(chara);
  const int lag = run->nRadius;
  const int fly = chara->m_bFly;
  if (!fly && nm::move::bNoVX(*mv)) return;
  double px = 0, py = 0;
  if (fly) target->MoveToPoint(&px, &py, run);
  else px = target->ScreenCenterX() + run->nTargetDX;
  auto approach = [&](double x, double y) {
    if (fly) ApproachTarget(chara, run, *mv, target, x, y);
    else chara->ApproachPointX(run, target, x, chara->m_bScrollSync, nm::move::bStopOnArrival(*mv));
  };
  if (lag <= 0) {
    approach(px, py);
  } else if (run->nTick == 0) {
    run->HomingPoints.clear();
    run->HomingPoints.push_back({px, py});
    approach(px, py);
  } else if (run->nTick % lag == 0 && !run->HomingPoints.empty()) {
    const std::pair<double, double> oldest = run->HomingPoints.front();
    approach(oldest.first, oldest.second);
    run->HomingPoints.push_back({px, py});
    run->HomingPoints.pop_front();
  }
  if (!fly) run->dMoveVY = 0;
  ApplyMoveStep(chara, run->dMoveVX, run->dMoveVY, run->nFaceReq, run, *mv, 0);
  ++run->nTick;
}

void CmdMoveStayOnScreen(cCharaBase* chara, cCmdRun* run) {
  const cEdMove* mv = MoveOf(run);
  if (!mv) return;
  ClearAnchors(chara);
  int kind = nm::move::byDir(*mv);
  const bool right = chara->m_bFaceRight != 0;
  if (kind == 0) kind = right ? 3 : 2;
  else if (kind == 1) kind = right ? 2 : 3;
  else if (kind == 4) kind = right ? 7 : 6;
  else if (kind == 5) kind = right ? 6 : 7;
  const bool goL = kind == 2 || kind == 8 || kind == 9;
  const bool goR = kind == 3 || kind == 10 || kind == 11;
  const bool goU = kind == 6 || kind == 8 || kind == 10;
  const bool goD = kind == 7 || kind == 9 || kind == 11;
  const cPlayWorld& w = CurrentWorld();
  const double s = run->dSpeed;
  double vx = 0, vy = 0;
  const int left = chara->m_nScrLeft, rightEdge = chara->m_nScrRight;
  const int top = chara->m_nScrTop, bottom = chara->m_nScrBottom;
  const cScrollAxis& ax = w.m_ScrollX;
  const cScrollAxis& ay = w.m_ScrollY;
  if (ax.m_dAutoSpeed == 0 || ax.m_bAtLimit) {
    if (goL && left > 608) vx = -s;
    if (goR && rightEdge < 32) vx = s;
    if (goU && top > 448) vy = -s;
    if (goD && bottom < 32) vy = s;
  } else {
    const double v = ax.m_dAutoSpeed, p = ax.m_dPos, b = ax.m_nExtent;
    if (goL && left > 608 - std::fabs(v + 1) && p > 0 && v + p <= b - 640) vx = v - s;
    if (goR && rightEdge < std::fabs(v + 1) + 32 && v + p > 0 && p < b - 640) vx = v + s;
    const double vv = ay.m_dAutoSpeed, pv = ay.m_dPos, bv = ay.m_nExtent;
    if (goU && top > 448 - std::fabs(vv + 1) && pv > 0 && vv + pv <= bv - 480) vy = vv - s;
    if (goD && bottom < std::fabs(vv + 1) + 32 && vv + pv > 0 && pv < bv - 480) vy = vv + s;
  }
  if (!chara->m_bFly) vy = 0;
  ApplyMoveStep(chara, vx, vy, run->nFaceReq, run, *mv, 0);
  ++run->nTick;
}

void CmdStopMove(cCharaBase* chara, cCmdRun*) {
  chara->m_dVX = chara->m_dVY = 0;
  chara->m_dVX2 = chara->m_dVY2 = 0;
  chara->m_ImpactX = chara->m_ImpactY = 0;
  ClearAnchors(chara);
  chara->m_bMoveDisabled = 1;
}

void CmdTurn(cCharaBase* chara, cCmdRun* run) {
  if (!FixedFacingOn(chara)) return;
  if (run->nTick == 0) {
    const int mode = CmdParam(run->lpCmd, 0);
    cCharaBase* target = nullptr;
    if (mode >= 2 && mode <= 9) {
      target = TargetSlot(chara, (mode - 2) / 2);
      // Waits for the slot to be filled: tries again on the next sub-step.
      if (!target) return;
    }
    PlayStageSE(run->lpCmd->m_CmdSound);
    if (mode == 0) chara->m_bFaceRight = 0;
    else if (mode == 1) chara->m_bFaceRight = 1;
    else if (target) {
      const double mine = (chara->m_dX + chara->m_dRight) / 2;
      const double theirs = (target->m_dX + target->m_dRight) / 2;
      const bool toward = (mode % 2) == 0;
      chara->m_bFaceRight = (theirs > mine) == toward ? 1 : 0;
    } else if (mode == 10 || mode == 11) {
      if (chara->m_nTurnSide == 0 || chara->m_nTurnSide == 1) {
        const int side = mode == 10 ? chara->m_nTurnSide : 1 - chara->m_nTurnSide;
        chara->m_bFaceRight = side;
      }
    }
  }
  AdvanceTick(run);
}

void CmdJump(cCharaBase* chara, cCmdRun* run) {
  ClearAnchors(chara);
  chara->Jump(run);
  ++run->nTick;
}

void RegisterMoveCommands() {
  CommandTable[2] = CmdMoveStraight;
  CommandTable[3] = CmdMoveGroundTurn;
  CommandTable[4] = CmdMoveCircle;
  CommandTable[5] = CmdMoveCharge;
  CommandTable[6] = CmdMoveHoming;
  CommandTable[7] = CmdMoveStayOnScreen;
  CommandTable[8] = CmdStopMove;
  CommandTable[9] = CmdTurn;
  CommandTable[10] = CmdJump;
}
