// The stage character: set-up from a definition, boxes, clamps, the per-axis
// moves, the flow update, the jump, the activity range and the held-item icon.
#include <algorithm>
#include <cstdint>

#include "base/Text.h"
#include "data/Stage.h"
#include "data/System.h"
#include "engine/Names.h"
#include "engine/Services.h"
#include "engine/StepMath.h"
#include "engine/World.h"
#include "engine/flow/FlowRun.h"
#include "engine/objects/Chara.h"
#include "engine/objects/CharaFlowUpdate.h"
#include "engine/objects/CharaLoopMoves.h"
#include "engine/objects/ChipSheets.h"
#include "engine/objects/StageClamp.h"

namespace {

void UpdateHitBoxX(HitBox& b, double x) { PlaceHitBoxAtX(b, TruncToInt(x)); }
void UpdateHitBoxY(HitBox& b, double y) { PlaceHitBoxAtY(b, TruncToInt(y)); }

void ScaleBox(HitBox& b, int m) {
  b.nOfsX = b.nBaseOfsX * m;
  b.nOfsY = b.nBaseOfsY * m;
  b.nW = b.nBaseW * m;
  b.nH = b.nBaseH * m;
}

// A box of the given size centred in the 32 × 32 cell.
void SetCentredBox(HitBox& b, int w, int h, int boxOfsX, int boxOfsY) {
  b.nOfsX = b.nBaseOfsX = 16 - (w >> 1) - boxOfsX;
  b.nOfsY = b.nBaseOfsY = 16 - (h >> 1) - boxOfsY;
  b.nW = b.nBaseW = w;
  b.nH = b.nBaseH = h;
}

}  // namespace

void CharaUpdateHitBoxX(HitBox& b, double x) { UpdateHitBoxX(b, x); }
void CharaUpdateHitBoxY(HitBox& b, double y) { UpdateHitBoxY(b, y); }
void CharaScaleHitBox(HitBox& b, int m) { ScaleBox(b, m); }
void CharaSetCentredBox(HitBox& b, int w, int h, int boxOfsX, int boxOfsY) { SetCentredBox(b, w, h, boxOfsX, boxOfsY); }

void cChara::Setup(int id, const cCharaDef* def, const cItem* heldItem, double originX, double originY,
                   int16_t clone) {
  if (def && nm::chara::Size(*def) < 1) {
    // The definitions handed over are the stage's own lists. A negative
    // magnification (bad data) is mended like 0.
    nm::chara::SetMagnification(*const_cast<cCharaDef*>(def), 1);
  }
  InitFromDef(def, originX, originY, clone);
  const cCharaDef& d = m_Def;
  const bool fly = nm::chara::Fly(d) != 0;

  int w = 32, h = 32, ofsX = 0, ofsY = 0;
  if (!nm::chara::BlockChara(d)) {
    w = fly ? nm::stage::CharaFlyW(Stage) : nm::stage::CharaW(Stage);
    h = fly ? nm::stage::CharaFlyH(Stage) : nm::stage::CharaH(Stage);
    const int bottom = fly ? nm::stage::CharaFlyAlign(Stage) : nm::stage::CharaAlign(Stage);
    ofsX = (32 - w) >> 1;
    ofsY = bottom ? 32 - h : (32 - h) >> 1;
  }
  cGameObj::Setup(id, nm::chara::Kind(d), nm::chara::Faction(d), nm::chara::Side(d),
                  static_cast<int16_t>(nm::chara::Chip(d)), nullptr, 0, ofsX, ofsY, w, h, 32, 32,
                  nm::chara::Facing(d), nm::chara::Fly(d), clone, &d);

  if (nm::chara::BlockChara(d)) {
    m_HitBoxChara = HitBox{};
    SetCentredBox(m_HitBoxShot, 32, 32, m_nPicOfsX, m_nPicOfsY);
  } else {
    switch (nm::chara::HitBoxKind(d)) {
      case 0:
        if (fly) {
          SetHitOffsets(nm::stage::CharaFlyHitAlign(Stage), nm::stage::CharaFlyHitW(Stage),
                        nm::stage::CharaFlyHitH(Stage));
        } else {
          SetHitOffsets(nm::stage::CharaHitAlign(Stage), nm::stage::CharaHitW(Stage), nm::stage::CharaHitH(Stage));
        }
        break;
      case 1:
        SetHitOffsets(0, nm::stage::CharaShotBoxW(Stage), nm::stage::CharaShotBoxH(Stage));
        break;
      case 2:
        SetHitOffsets(0, nm::stage::ShotCharaBoxW(Stage), nm::stage::ShotCharaBoxH(Stage));
        break;
      default:
        SetHitOffsets(0, m_nBasePicW, m_nBasePicH);
        break;
    }
    SetCentredBox(m_HitBoxShot, nm::stage::CharaShotBoxW(Stage), nm::stage::CharaShotBoxH(Stage), m_nPicOfsX,
                  m_nPicOfsY);
  }

  SetScale(Scale(), 1);

  if (heldItem) {
    m_HeldItem = *heldItem;
  } else {
    m_HeldItem.m_nChip = 0;
  }
  m_nHeldIconBlink = 0;

  const int range = nm::chara::ActiveRange(d);
  m_bIgnoreRangeX = range == 2 || range == 3 ? 1 : 0;
  m_bIgnoreRangeY = range == 1 || range == 3 ? 1 : 0;
  m_bWasOperating = 0;

  m_Anim.Play(fly ? 0 : 1, 1);
  AddFlows(nm::chara::Flows(m_Def), 0, 0);
}

void cChara::ScaleHitBox(int nScale) {
  if (nm::chara::BlockChara(m_Def)) {
    for (HitBox* b : {&m_HitBoxChara, &m_HitBoxShot}) {
      b->nOfsX = b->nOfsY = 0;
      b->nW = m_nW;
      b->nH = m_nH;
    }
    return;
  }
  ScaleBox(m_HitBoxChara, nScale);
  ScaleBox(m_HitBoxShot, nScale);
}

void cChara::UpdateBoxX() {
  const double x = m_dX;
  UpdateHitBoxX(m_HitBoxChara, x);
  UpdateHitBoxX(m_HitBoxShot, x);
}

void cChara::UpdateBoxY() {
  const double y = m_dY;
  UpdateHitBoxY(m_HitBoxChara, y);
  UpdateHitBoxY(m_HitBoxShot, y);
}

int cChara::ClampX() { return ClampStageX(2); }
int cChara::ClampY() { return ClampStageY(2); }

void cChara::PlaceAtBlock(int col, int row) {
  const int marginX = PlayScene ? PlayScene->m_ScrollX.m_nMargin : 10;
  const int marginY = PlayScene ? PlayScene->m_ScrollY.m_nMargin : 10;
  m_dX = (col + marginX) * 32 + m_nBasePicOfsX + 0.5;
  m_dY = (row + marginY) * 32 + m_nBasePicOfsY;
  KeepFoot(Scale(), 1);
  ClampX();
  ClampY();
}

int cChara::MoveX() {
  StartCharaMoveX(*this);
  const int side = StepXOf<cChara>(*this, CurrentWorld().m_ScrollX, Stage.m_StepCap, 2);
  // The step's clamp moves m_dX only when it reports 3; otherwise a second
  // clamp would find the same box and write the same values.
  if (side == 3) ClampX();
  return side == 3 ? 4 : side;
}

int cChara::MoveY() {
  StartCharaMoveY(*this);
  const int side = StepYOf<cChara>(*this, CurrentWorld().m_ScrollY, Stage.m_StepCap, 2);
  // As in MoveX: only a clamp at the world's edge (3 or 6) moved m_dY.
  if (side == 3 || side == 6) ClampY();
  if (m_bFly) return side == 3 || side == 6 ? 8 : side;
  return side == 5 || side == 6 ? 7 : side;
}

// The body is with the run loop, which it inlines; a tail call.
int cChara::UpdateFlows(int bDying) { return StageCharaFlowUpdate(this, bDying); }

namespace {
bool CanStartJump(const cCharaBase& c) { return !(c.m_bFalling || c.m_bJumpBlocked || c.m_bImpacted || c.m_nAirSteps); }
}  // namespace

// The jumped flag of a jump command's run is its started flag (the jump
// executor has no other first-call set-up); Reset clears it. Its tick counts
// the executions.
void cChara::Jump(cCmdRun* run) {
  if (!run || !run->lpCmd) return;
  const cFlowCmd& cmd = *run->lpCmd;
  auto start = [&](bool sound) {
    run->bStarted = 1;
    if (sound) PlayStageSE(nm::cmd::Sound(cmd));
    m_dVY = run->dSpeed;
    m_bJumping = m_bJumpRise = 1;
    m_bRiding = 0;
  };
  if (nm::sys::OldJump(SystemData)) {
    if (CanStartJump(*this)) start(true);
    return;
  }
  if (!run->bStarted) {
    if (CanStartJump(*this)) {
      start(nm::cmd::SoundOnScreenOnly(cmd) == 0 || IsOnScreen());
    } else if (run->nTick >= 4 * SubSteps()) {
      // Give up after four frames of vain tries: the command ends.
      run->bStarted = 1;
      m_bJumpBlocked = 0;
      m_bImpacted = 0;
      run->nLeft = 0;
    }
    return;
  }
  if (IsOnGround()) {
    m_bJumpBlocked = 0;
    m_bImpacted = 0;
    run->nLeft = 0;
  }
}

int cChara::UpdateActiveRange(cVector<int8_t>& groups) {
  const cPlayWorld& w = CurrentWorld();
  return UpdateActiveRange(groups, w.m_ScrollX.m_dPos, w.m_ScrollY.m_dPos);
}

void cChara::MarkGroupActive(cVector<int8_t>& groups) const {
  const int g = nm::chara::GroupNo(m_Def);
  // A group number outside the table (bad data) sets nothing.
  if (g >= 0 && static_cast<size_t>(g) < groups.size()) groups[static_cast<size_t>(g)] = 1;
}

int cChara::UpdateOperating(const cVector<int8_t>& groups) { return UpdateOperating(groups, CurrentScreenCamera()); }

int cChara::UpdateOperating(const cVector<int8_t>& groups, const cScreenCamera& camera) {
  bool operating = m_bInRange != 0;
  if (!operating && nm::chara::InGroup(m_Def)) {
    const int g = nm::chara::GroupNo(m_Def);
    operating = g >= 0 && static_cast<size_t>(g) < groups.size() && groups[static_cast<size_t>(g)] != 0;
  }
  if (!operating) {
    if (m_bFly || !(m_bJumping || (m_bWasOperating && m_bFalling))) return 0;
  }
  m_bWasOperating = 1;
  if (nm::chara::OnceTrue(m_Def)) m_bIgnoreRangeX = m_bIgnoreRangeY = 1;
  UpdateScreenPosWith(camera);
  return 1;
}

void UpdateOperatingAll(cList<cChara>& charas, const cVector<int8_t>& groups, const cScreenCamera& camera) {
  // A copy of its own: no write to a character can change it, so what it
  // gives each character is worked out once.
  const cScreenCamera c = camera;
  for (cChara& chara : charas) chara.m_bOperating = chara.m_bActive && chara.UpdateOperating(groups, c);
}

int BoxOverlaps(const cGameObj& obj, double left, double top, double right, double bottom) {
  return !(obj.m_dX > right) && obj.m_dRight >= left && !(obj.m_dY > bottom) && obj.m_dBottom >= top ? 1 : 0;
}

void cChara::DrawHeldItemIcon(DDSURFACEDATA* surface) {
  const cItemDef& item = m_HeldItem.m_Def;
  if (!m_HeldItem.m_bHeld || !m_bOnScreen || nm::chara::Transparent(m_Def) || nm::item::Hidden(item)) return;
  // Counts 1..95, then 0: the icon shows on 64..95, 32 of every 96 frames.
  if (++m_nHeldIconBlink >= 96) m_nHeldIconBlink = 0;
  if (m_nHeldIconBlink >= 64) {
    DrawSmallChip(surface, m_nScrLeft + (m_nPicW >> 1) - (m_HeldItem.m_nPicW >> 2),
                  m_nScrTop - (m_HeldItem.m_nPicH >> 1), nm::item::ChipKind(item), nm::item::Chip(item),
                  nm::item::ChipSub(item));
  }
}
