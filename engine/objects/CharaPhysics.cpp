// Movement and physics shared by the running characters: unit conversions,
// the move and jump initialisation of command runs, gravity, landing and
// ceiling contact, riding, hit and skill points with their gauges, and
// knock-back with its decay.
#include <algorithm>
#include <cstdint>
#include <functional>

#include "base/Text.h"
#include "data/Stage.h"
#include "data/System.h"
#include "engine/Names.h"
#include "engine/StepMath.h"
#include "engine/World.h"
#include "engine/flow/FlowRun.h"
#include "engine/flow/Triggers.h"
#include "engine/objects/BlockMap.h"
#include "engine/objects/CharaBase.h"
#include "engine/objects/CharaMath.h"

namespace {

// value + step × clone index, both signed 16-bit.
int CloneScaled(int16_t base, int16_t step, int16_t clone) { return step * clone + base; }

constexpr double kEps = 1e-8;

bool Opposite(double a, double b) { return (a > kEps && b < -kEps) || (a < -kEps && b > kEps); }

void StartGauge(GaugeAnim& g, int delta, int value, int max) {
  if (delta == 0) return;
  // A maximum of 0 or below (bad data) has no bar to animate.
  if (max <= 0) return;
  g.nFrames = 120;
  g.nStartLength = static_cast<int32_t>(static_cast<int64_t>(value) * 50 / max);
  g.dChange = static_cast<double>(delta) * 50 / max;
  g.dPerFrame = g.dChange * (1.0 / 60);
}

// HP or SP + delta, an increase limited to the room left, clamped to 0..max
// (in 64 bits: data may hold any int32). Returns the delta used.
int AddClamped(int32_t& value, int delta, int32_t max) {
  int64_t d = delta;
  if (d > 0) d = std::min<int64_t>(d, static_cast<int64_t>(max) - value);
  int64_t v = static_cast<int64_t>(value) + d;
  v = std::min<int64_t>(v, max);
  v = std::max<int64_t>(v, 0);
  value = static_cast<int32_t>(v);
  return static_cast<int>(d);
}

}  // namespace

double ScaleAccel(int16_t a) { return ScaleAccel(a, nm::stage::SubStepsSq(Stage)); }

double cCharaBase::JumpSpeed(double h) const {
  return JumpStartSpeed(h, nm::stage::GravityStep(Stage), nm::stage::Gravity(Stage), m_nObjKind == 0);
}

double cCharaBase::JumpSpeedHbl(int8_t k) const { return JumpSpeed(HblToPixels(k)); }

int cCharaBase::FramesFromSpeed(double v) {
  return FramesToApex(v, nm::stage::GravityStep(Stage), SubStepsFAtLeastOne());
}

int cCharaBase::JumpFrames(int8_t k) const { return JumpTimeUnits(FramesFromSpeed(JumpSpeedHbl(k)), SubSteps()); }

// ------------------------------------------------------- move initialisation

void ConvertMoveSpec(cCmdRun* run, cFlowCmd* cmd, int16_t clone) {
  const auto& mv = nm::cmd::Move(*cmd);
  if (!mv) return;
  const int step = nm::move::sDistanceStep(*mv);
  const int base = nm::move::sDistance(*mv);
  const int scaled = step == 0 ? base : CloneScaled(nm::move::sDistance(*mv), nm::move::sDistanceStep(*mv), clone);
  const double d = nm::move::byDistUnit(*mv) == 1 ? scaled : 16.0 * scaled;
  switch (nm::move::byTimeMode(*mv)) {
    case 1:
      // A time of 0 covers the distance in the one execution it gets.
      run->dSpeed = d / (run->nFrames != 0 ? run->nFrames : 1);
      break;
    case 2: {
      // No speed never arrives: the command ends at once.
      int frames = run->dSpeed != 0 ? TruncToInt(d / run->dSpeed) : 0;
      if (frames < 0 && !nm::sys::NegativeTime(SystemData)) frames = -frames;
      run->nFrames = frames;
      break;
    }
    default:
      break;
  }
}

void InitMoveTimed(cCmdRun* run, cCharaBase* chara) {
  const auto& mv = nm::cmd::Move(*run->lpCmd);
  if (mv && nm::move::byTimeMode(*mv) != 0) ConvertMoveSpec(run, run->lpCmd, chara->m_wSpawnTag);
}

void InitMoveHoming(cCmdRun* run, cCharaBase* chara) {
  const auto& mv = nm::cmd::Move(*run->lpCmd);
  if (!mv) return;
  run->nRadius = CloneScaled(nm::move::sSlow(*mv), nm::move::sSlowStep(*mv), chara->m_wSpawnTag) * SubSteps();
  if (nm::move::byTimeMode(*mv) != 0) ConvertMoveSpec(run, run->lpCmd, chara->m_wSpawnTag);
}

void InitMoveCircle(cCmdRun* run, cCharaBase* chara) {
  const auto& mv = nm::cmd::Move(*run->lpCmd);
  if (!mv) return;
  const int n = SubSteps();
  const int16_t clone = chara->m_wSpawnTag;
  int offset = 0;
  if (nm::chara::Facing(chara->m_Def) == 1) {
    if (nm::move::bMirrorX(*mv)) {
      run->nMoveKind = run->nMoveKind == 0 ? 1 : run->nMoveKind == 1 ? 0 : run->nMoveKind;
      offset = 180;
    }
    if (nm::move::bMirrorY(*mv)) run->nMoveKind = run->nMoveKind == 0 ? 1 : run->nMoveKind == 1 ? 0 : run->nMoveKind;
  }
  const int radius = std::clamp(CloneScaled(nm::move::sSlow(*mv), nm::move::sSlowStep(*mv), clone), 0, 20);
  run->nRadius = radius * 16 * n;
  run->nAngleFrom = (offset + CloneScaled(nm::move::sAngle(*mv), nm::move::sAngleStep(*mv), clone)) * n;
  run->nAngleTo = (offset + CloneScaled(nm::move::sDistance(*mv), nm::move::sDistanceStep(*mv), clone)) * n;
  const int angle = nm::move::sDistance(*mv) > nm::move::sAngle(*mv) ? run->nAngleTo - run->nAngleFrom
                                                                       : run->nAngleFrom - run->nAngleTo;
  const double N = SubStepsFAtLeastOne();
  switch (nm::move::byTimeMode(*mv)) {
    case 0:
      run->dSpeed = static_cast<double>(angle) / (run->nFrames != 0 ? run->nFrames : 1) / N;
      break;
    case 1: {
      int frames = run->dSpeed != 0 ? TruncToInt(angle / run->dSpeed / N) : 0;
      run->nFrames = frames < 0 ? -frames : frames;
      break;
    }
    default:
      break;
  }
}

void InitJumpCmd(cCmdRun* run, cCharaBase* chara) {
  cFlowCmd& cmd = *run->lpCmd;
  const int8_t height = static_cast<int8_t>(nm::cmd::Params(cmd).At(2));
  run->dSpeed = chara->JumpSpeedHbl(height);
  nm::cmd::TimeBase(cmd) = static_cast<int16_t>(chara->JumpFrames(height));
  run->nFrames = nm::cmd::TimeBase(cmd) * SubSteps() * 6;
}

MoveInit MoveInitTable[40] = {
    nullptr,       nullptr,       InitMoveTimed, InitMoveTimed, InitMoveCircle, InitMoveTimed, InitMoveHoming,
    InitMoveTimed, nullptr,       nullptr,       InitJumpCmd,
};

// ------------------------------------------------------------------ placing

void cCharaBase::PlaceAtBlockX(int col) {
  const int margin = PlayScene ? PlayScene->m_ScrollX.m_nMargin : 10;
  m_dX = (col + margin) * 32 + m_nBasePicOfsX + 0.5;
  KeepCenterX(Scale(), 1);
  ClampX();
}

void cCharaBase::PlaceAtBlockY(int row) {
  const int margin = PlayScene ? PlayScene->m_ScrollY.m_nMargin : 10;
  m_dY = (row + margin) * 32 + m_nBasePicOfsY;
  KeepFootOnScale(Scale(), 1);
  ClampY();
}

void cCharaBase::PlaceAtBlock(int col, int row) {
  PlaceAtBlockX(col);
  PlaceAtBlockY(row);
}

void cCharaBase::KeepFootOnScale(int nNew, int nOld) {
  if (nNew == nOld) return;
  const int d = nNew - nOld;
  if (nm::sys::FootScaling(SystemData)) {
    m_dY = m_dY - d * m_nBaseH;
  } else {
    m_dY = m_dY - d * m_nBasePicH + d * m_nBasePicOfsY;
  }
  ClampY();
}

// ------------------------------------------------------- gravity and contact

void cCharaBase::ApplyCharaGravity() { ApplyCharaGravity(nm::stage::GravityStep(Stage)); }

int cCharaBase::IsOnGround() const {
  if (m_bRiding) return 1;
  if (!m_lpFootBlock) return 0;
  // The foot block is normally a cell of the block map (whose conditions
  // count); any other definition is tested by its hit kind and exception.
  const std::less_equal<const cBlockDef*> le;
  if (!BlockMap.empty() && le(&BlockMap.front(), m_lpFootBlock) && le(m_lpFootBlock, &BlockMap.back())) {
    return static_cast<cBlockCell*>(m_lpFootBlock)->HitType(m_nBlockSide) != 0 ? 1 : 0;
  }
  if (nm::block::ExceptionSide(*m_lpFootBlock) == m_nBlockSide) return 0;
  return nm::block::HitKind(*m_lpFootBlock) != 0 ? 1 : 0;
}

void cCharaBase::Land() {
  m_dVY = 0;
  m_dVY2 = 0;
  m_WallD = 1;
  m_nAirSteps = 0;
  m_bFalling = 0;
  m_bJumping = 0;
  m_bJumpRise = 0;
  m_bImpacted = 0;
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

void cCharaBase::LeaveRide(int set) {
  m_bRiding = 0;
  if (m_ImpactY == 0) m_dVY = 0;
  if (set) m_bLeftRide = 1;
}

void cCharaBase::RestorePrevBox() {
  m_dX = m_PrevBox.left;
  m_dY = m_PrevBox.top;
  m_dRight = m_PrevBox.right;
  m_dBottom = m_PrevBox.bottom;
}

// -------------------------------------------------------------- HP and SP

int cCharaBase::ChangeHp(int delta, int force, int showGauge) {
  if (!force && delta <= 0 && nm::chara::Invincible(m_Def) != 0) return 0;
  const int used = AddClamped(m_nHp, delta, nm::chara::MaxHp(m_Def));
  if (m_nHp <= 0) {
    m_nHp = 0;
    return 1;
  }
  if (showGauge) StartHpGauge(used);
  return 0;
}

void cCharaBase::StartHpGauge(int delta) { StartGauge(m_HpGauge, delta, m_nHp, nm::chara::MaxHp(m_Def)); }

int cCharaBase::ChangeSp(int delta, int showGauge) {
  const int32_t max = nm::chara::MaxSp(m_Def);
  const int used = AddClamped(m_nSp, delta, max);
  if (max <= 0) return 1;
  if (showGauge) StartSpGauge(used);
  return 0;
}

void cCharaBase::StartSpGauge(int delta) { StartGauge(m_SpGauge, delta, m_nSp, nm::chara::MaxSp(m_Def)); }

// ---------------------------------------------------------------- impacts

void cCharaBase::ApplyImpact(int8_t power, double dirX, double dirY) {
  if (power == 0) return;
  // The resistance is taken in 8-bit arithmetic, as stored.
  const int8_t resist = nm::chara::ImpactResist(m_Def);
  int8_t p;
  if (power > 0) {
    p = static_cast<int8_t>(power - resist);
    if (p < 0) p = 0;
    if (p > 20) p = 20;
  } else {
    p = static_cast<int8_t>(power + resist);
    if (p < -20) p = -20;
    if (p > 0) p = 0;
  }
  SplitSpeed(&m_ImpactX, &m_ImpactY, p, dirX, dirY);
  if (m_dVX2 != 0 && Opposite(m_dVX2, m_ImpactX)) m_dVX2 = 0;
  if (m_dVY2 != 0 && Opposite(m_dVY2, m_ImpactY)) m_dVY2 = 0;
  if (Opposite(m_dVY, m_ImpactY)) m_dVY = 0;
  m_bImpacted = 1;
}

void cCharaBase::ApplyImpactFromChara(cCharaBase* a) {
  double dy = a->m_dVY;
  if (nm::chara::Fly(a->m_Def) == 0 && a->m_dVY < nm::stage::FallStepLimit(Stage) * nm::stage::GravityStep(Stage)) {
    dy = 0;
  }
  ApplyImpact(nm::chara::BodyImpact(a->m_Def), a->m_dVX, dy);
}

void cCharaBase::ApplyImpactFromShot(cShot* s) {
  const int8_t power = nm::shot::byImpact(s->m_ShotDef);
  if (nm::shot::ImpactDirSwitch(s->m_ShotDef)) {
    ApplyImpact(power, s->m_dVX, s->m_dVY);
  } else {
    ApplyImpact(power, s->FacingSign(), 0);
  }
}

void cCharaBase::ApplyImpactY() {
  if (m_ImpactY != 0) {
    if (m_bFly) {
      m_dVY = m_dVY + m_ImpactY;
    } else if (m_ImpactY > 0 && IsOnGround()) {
      m_ImpactY = 0;
    } else {
      m_dVY = m_dVY - m_PrevImpactY + m_ImpactY;
    }
  }
  m_PrevImpactY = m_ImpactY;
}

void cCharaBase::DecayImpact(double& v) {
  const double step = 1 / SubStepsFAtLeastOne();
  if (v > 0) {
    v -= step;
    if (v < 0) v = 0;
  } else if (v < 0) {
    v += step;
    if (v > 0) v = 0;
  }
}
