// The hero: set-up, fly status and boxes, the camera follow, the per-axis
// moves, the flow update, the variable-height jump, the memory of taken
// items, the item-command runner and the hit-box display.
#include <algorithm>
#include <cmath>
#include <cstdint>

#include "base/Text.h"
#include "data/Stage.h"
#include "data/System.h"
#include "engine/Names.h"
#include "engine/Services.h"
#include "engine/StepMath.h"
#include "engine/World.h"
#include "engine/flow/Commands.h"
#include "engine/flow/FlowRun.h"
#include "engine/flow/Triggers.h"
#include "engine/objects/CharaFlowUpdate.h"
#include "engine/objects/CharaMath.h"
#include "engine/objects/Hero.h"
#include "engine/objects/Motion.h"
#include "media/graphics/DDCore.h"

namespace {

// The jumped flag of a jump command's run is its started flag (the jump
// executor has no other first-call set-up); Reset clears it.
int& Jumped(cCmdRun* run) { return run->bStarted; }

void HeroSizes(bool fly, int* ofsX, int* ofsY, int* w, int* h) {
  *w = fly ? nm::stage::HeroFlyW(Stage) : nm::stage::HeroW(Stage);
  *h = fly ? nm::stage::HeroFlyH(Stage) : nm::stage::HeroH(Stage);
  const int bottom = fly ? nm::stage::HeroFlyAlign(Stage) : nm::stage::HeroAlign(Stage);
  *ofsX = (32 - *w) >> 1;
  *ofsY = bottom ? 32 - *h : (32 - *h) >> 1;
}

}  // namespace

void cHero::Setup(int id, const cCharaDef* def, double originX, double originY, int16_t clone) {
  if (def && nm::chara::Size(*def) < 1) {
    // The definitions handed over are the stage's own lists. A negative
    // magnification (bad data) is mended like 0.
    nm::chara::SetMagnification(*const_cast<cCharaDef*>(def), 1);
  }
  InitFromDef(def, originX, originY, clone);
  const cCharaDef& d = m_Def;
  int ofsX, ofsY, w, h;
  HeroSizes(false, &ofsX, &ofsY, &w, &h);
  // Clone index 0: the hero's commands use their base values only.
  cGameObj::Setup(id, nm::chara::Kind(d), nm::chara::Faction(d), nm::chara::Side(d),
                  static_cast<int16_t>(nm::chara::Chip(d)), nullptr, 0, ofsX, ofsY, w, h, 32, 32, 1, 0, 0, &d);
  // Only player 1's input exists; a hero of another faction reads it too.
  m_lpInput = PlayerInput.empty() ? nullptr : &PlayerInput[0];
  SetFlyStatus(nm::chara::Fly(d), 0);
  SetScale(Scale(), 1);
  m_bFaceRight = nm::chara::Facing(d);
  m_bJumpBlocked = 0;
  m_bNoJumpBlock = 0;
  m_nJumpHold = 0;
  m_bJumpReady = 1;
  m_bClearInputDir = m_bClearInputButtons = 0;
  m_dAccelUnit = 4 / SubStepsFAtLeastOne();
  m_nFootAction = 0;
  m_dFootActionValue = 0;
  m_nFootActionLeft = 0;
  BuildParts();
  m_Taken.clear();
  AddFlows(nm::chara::Flows(m_Def), 0, 0);
}

void cHero::GetHitSizes(int* ofsX, int* ofsY, int* w, int* h) const { HeroSizes(m_bFly != 0, ofsX, ofsY, w, h); }

void cHero::SetFlyStatus(int fly, int scale) {
  nm::chara::Fly(m_Def) = static_cast<int8_t>(fly);
  const int wasFlying = m_bFly;
  SetFlyMode(fly);
  if (m_bFly != wasFlying) m_nCrushGrace = 2;
  if (wasFlying && !m_bFly) m_dVX = m_dVY = m_dVX2 = m_dVY2 = 0;

  int ofsX, ofsY, w, h;
  GetHitSizes(&ofsX, &ofsY, &w, &h);
  m_nW = m_nBaseW = w;
  m_nH = m_nBaseH = h;
  m_nPicOfsX = m_nBasePicOfsX = ofsX;
  m_nPicOfsY = m_nBasePicOfsY = ofsY;
  m_nPicW = m_nBasePicW = 32;
  m_nPicH = m_nBasePicH = 32;

  switch (nm::chara::HitBoxKind(m_Def)) {
    case 0:
      if (m_bFly) {
        SetHitOffsets(nm::stage::HeroFlyHitAlign(Stage), nm::stage::HeroFlyHitW(Stage), nm::stage::HeroFlyHitH(Stage));
      } else {
        SetHitOffsets(nm::stage::HeroHitAlign(Stage), nm::stage::HeroHitW(Stage), nm::stage::HeroHitH(Stage));
      }
      break;
    case 1:
      SetHitOffsets(0, nm::stage::HeroShotBoxW(Stage), nm::stage::HeroShotBoxH(Stage));
      break;
    case 2:
      SetHitOffsets(0, nm::stage::ShotCharaBoxW(Stage), nm::stage::ShotCharaBoxH(Stage));
      break;
    default:
      SetHitOffsets(0, 32, 32);
      break;
  }
  CharaSetCentredBox(m_HitBoxShot, nm::stage::HeroShotBoxW(Stage), nm::stage::HeroShotBoxH(Stage), ofsX, ofsY);
  CharaSetCentredBox(m_HitBoxItem, nm::stage::HeroItemBoxW(Stage), nm::stage::HeroItemBoxH(Stage), ofsX, ofsY);

  if (scale) {
    const int m = Scale();
    m_nW *= m;
    m_nH *= m;
    m_nPicOfsX *= m;
    m_nPicOfsY *= m;
    m_nPicW *= m;
    m_nPicH *= m;
    for (HitBox* b : {&m_HitBoxChara, &m_HitBoxShot, &m_HitBoxItem}) {
      b->nOfsX *= m;
      b->nOfsY *= m;
      b->nW *= m;
      b->nH *= m;
    }
  }
  BuildParts();
}

void cHero::BuildParts() {
  const cStage& s = Stage;
  auto part = [](int type, int mode, int colour, int w, int h) {
    HitBoxPart p;
    p.nType = type;
    p.nMode = mode;
    p.nColour = 208 + 4 * colour;
    p.nW = w;
    p.nH = h;
    return p;
  };
  m_Parts.clear();
  m_Parts.push_back(part(0, nm::stage::ObjectBoxView(s), nm::stage::ObjectBoxColour(s), m_nW, m_nH));
  m_Parts.push_back(part(2, nm::stage::ItemBoxView(s), nm::stage::ItemBoxColour(s), m_HitBoxItem.nW, m_HitBoxItem.nH));
  m_Parts.push_back(
      part(1, nm::stage::CharaBoxView(s), nm::stage::CharaBoxColour(s), m_HitBoxChara.nW, m_HitBoxChara.nH));
  m_Parts.push_back(part(3, nm::stage::ShotBoxView(s), nm::stage::ShotBoxColour(s), m_HitBoxShot.nW, m_HitBoxShot.nH));
  // Smaller boxes are drawn over larger ones.
  std::stable_sort(m_Parts.begin(), m_Parts.end(), [](const HitBoxPart& a, const HitBoxPart& b) {
    return static_cast<int64_t>(a.nW) * a.nH > static_cast<int64_t>(b.nW) * b.nH;
  });
}

void cHero::ScaleHitBox(int nScale) {
  CharaScaleHitBox(m_HitBoxChara, nScale);
  CharaScaleHitBox(m_HitBoxShot, nScale);
  CharaScaleHitBox(m_HitBoxItem, nScale);
}

void cHero::UpdateBoxX() {
  CharaUpdateHitBoxX(m_HitBoxChara, m_dX);
  CharaUpdateHitBoxX(m_HitBoxShot, m_dX);
  CharaUpdateHitBoxX(m_HitBoxItem, m_dX);
}

void cHero::UpdateBoxY() {
  CharaUpdateHitBoxY(m_HitBoxChara, m_dY);
  CharaUpdateHitBoxY(m_HitBoxShot, m_dY);
  CharaUpdateHitBoxY(m_HitBoxItem, m_dY);
}

int cHero::ClampX() {
  if (PlayScene) {
    cScrollAxis& a = PlayScene->m_ScrollX;
    if (!a.m_bAuto) a.m_dPos = FollowCamera(m_dX, m_nW, 320, 640, a.m_nLower, a.m_nUpper);
  }
  const int side = ClampStageX(m_bFly ? 0 : 1);
  m_dRight = m_nW + m_dX - 1;
  return side;
}

int cHero::ClampY() {
  if (PlayScene) {
    cScrollAxis& a = PlayScene->m_ScrollY;
    if (!a.m_bAuto) a.m_dPos = FollowCamera(m_dY, m_nH, 240, 480, a.m_nLower, a.m_nUpper);
  }
  return ClampStageY(m_bFly ? 0 : 1);
}

void cHero::UpdateScreenPos() {
  const cScrollAxis* ax = PlayScene ? &PlayScene->m_ScrollX : nullptr;
  const cScrollAxis* ay = PlayScene ? &PlayScene->m_ScrollY : nullptr;
  const double cx = ax ? ax->m_dPos : 0;
  const double cy = ay ? ay->m_dPos : 0;
  m_nScrLeft = ax && ax->m_bAuto ? TruncToInt(m_dX) - TruncToInt(cx) - m_nPicOfsX : TruncToInt(m_dX - cx - m_nPicOfsX);
  m_nScrRight = m_nScrLeft + m_nPicW - 1;
  m_nScrTop = ay && ay->m_bAuto ? TruncToInt(m_dY) - TruncToInt(cy) - m_nPicOfsY : TruncToInt(m_dY - cy - m_nPicOfsY);
  m_nScrBottom = m_nScrTop + m_nPicH - 1;
}

int cHero::MoveX() {
  if (m_ImpactX != 0) {
    m_dVX = m_ImpactX;
  } else if (m_dVX2 != 0) {
    ApplyFriction(&m_dVX2, m_bFrictionX);
    if (m_nFootActionLeft != 0 && m_nFootAction == 3) {
      // The speed factor of the block stood on.
      const double d = (m_dFootActionValue - 1) * PerSubStep(m_dAccelUnit);
      if (m_dVX2 > 0) {
        m_dVX2 = m_dVX2 + d;
        if (m_dVX2 < 0) m_dVX2 = 0;
      } else if (m_dVX2 < 0) {
        m_dVX2 = m_dVX2 - d;
        if (m_dVX2 > 0) m_dVX2 = 0;
      }
    }
    m_dVX = m_dVX + m_dVX2;
  }
  const double cap = nm::stage::StepCap(Stage);
  if (m_dVX > cap) {
    m_dVX = cap;
  } else if (m_dVX < -cap) {
    m_dVX = -cap;
  }
  m_dX = m_dX + m_dVX;
  ClampX();
  return 0;
}

int cHero::MoveY() {
  ApplyImpactY();
  if (m_ImpactY == 0 && m_bFly && m_dVY2 != 0) {
    ApplyFriction(&m_dVY2, m_bFrictionY);
    m_dVY = m_dVY + m_dVY2;
  }
  const int side = StepY(m_bFly ? 0 : 2);
  ClampY();
  if (!m_bFly && (side == 5 || side == 6)) return 7;
  return side;
}

int cHero::UpdateFlows(int bDying) {
  CurrentObjectsGuard guard;
  BeginFlowUpdate(this);
  SetBaseVelocity(this, true);
  m_bClearInputDir = m_bClearInputButtons = 0;
  m_bJumpDone = 0;
  if (RunFlowUpdate(this, bDying)) return 1;
  // Flow changes carried by items while the hero's own flows ran.
  cVector<cFlowCmd> pending;
  pending.swap(m_PendingFlowChanges);
  for (cFlowCmd& cmd : pending) ChangeFlow(this, &cmd, 1);
  SetIdleAnimation(this);
  if (!m_bJumpDone) {
    m_nJumpHold = 0;
    m_bJumpReady = 1;
    m_bJumpBlocked = 0;
  }
  return m_nHp <= 0 ? 1 : 0;
}

void cHero::Jump(cCmdRun* run) {
  if (!run || !run->lpCmd) return;
  if (m_bFly || m_bJumpDone) return;
  const cFlowCmd& cmd = *run->lpCmd;
  const auto& p = nm::cmd::Params(cmd);
  const int p0 = p.At(0);
  const cFlowRun* flowRun = PlayScene ? PlayScene->m_pCurFlowRun : nullptr;
  const bool hasKeys = flowRun && !flowRun->KeyConds.empty();

  bool held;
  if (p0 == 0) {
    held = true;
  } else {
    held = hasKeys && m_lpInput && flowRun->KeyConds.back() &&
           CheckKeyCondition(*m_lpInput, *flowRun->KeyConds.back()) != 0;
  }

  if (p0 == 2) {
    // The height follows the run-up speed.
    const double N = SubStepsFAtLeastOne();
    const double s = std::fabs(m_dVX2);
    const double a = p.At(1) / (10 * N);
    const double b = p.At(3) / (10 * N);
    int height;
    if (s >= a) {
      height = p.At(2);
    } else if (s <= b) {
      height = p.At(4);
    } else {
      height = TruncToInt(p.At(4) + (p.At(2) - p.At(4)) * s / a);
    }
    run->dSpeed = JumpSpeed(16.0 * height);
  }

  const int n = SubSteps();
  if (!held || m_bNoJumpBlock) {
    if (m_nJumpHold > 0 && m_nJumpHold < run->nFrames && !m_bJumpRise && !m_bJumpBlocked && !m_bNoJumpBlock &&
        !m_bImpacted) {
      // An early release cuts the rise.
      m_bRiding = 0;
      if (m_dVY < 0) m_dVY = m_dVY * 0.3;
      m_bJumpRise = 1;
    }
    m_nJumpHold = 0;
    m_bJumpReady = 1;
    m_bJumpBlocked = 0;
  } else {
    ++m_nJumpHold;
    if (m_nJumpHold >= run->nFrames && (!m_bJumpRise || m_bRiding) && m_bJumpReady && !m_bJumpBlocked &&
        (m_dVY < 0 || m_bRiding)) {
      m_bJumpRise = 1;
      m_bJumpReady = 0;
    } else if (!m_bFalling && m_nJumpHold <= n && (!m_bJumpRise || m_bRiding) && m_bJumpReady && !m_bJumpBlocked &&
               !m_bImpacted && !Jumped(run)) {
      m_bJumping = 1;
      if (!m_bRiding) {
        m_dVY = run->dSpeed;
        Jumped(run) = 1;
        PlayStageSE(nm::cmd::Sound(cmd));
      } else if (!PlayScene || PlayScene->m_nSubStep >= n) {
        // Off a ride only in the frame's last sub-step, by the single-precision 1.02.
        m_dVY = run->dSpeed * static_cast<double>(1.02f);
        m_bRiding = 0;
        Jumped(run) = 1;
        PlayStageSE(nm::cmd::Sound(cmd));
      }
    }
  }

  if (IsOnGround() && m_dVY >= 0) {
    if (!hasKeys || !held) {
      m_nJumpHold = 0;
      m_bJumpReady = 1;
      m_bJumpBlocked = 0;
      m_bImpacted = 0;
      Jumped(run) = 0;
      if (hasKeys) run->nLeft = 0;
    }
  }
  m_bJumpDone = 1;
}

void ChangeFlow(cHero* hero, cFlowCmd* cmd, int applyNow) {
  if (!hero || !cmd) return;
  if (!applyNow && PlayScene && !Player.empty() && PlayScene->m_pCurChara == &Player[0] && hero == &Player[0]) {
    // The hero's own flows are running: apply at the end of its update.
    hero->m_PendingFlowChanges.push_back(*cmd);
    return;
  }
  const auto& p = nm::cmd::Params(*cmd);
  const cVector<cFlow>& flows = nm::cmd::SubFlows(*cmd);
  switch (p.At(0)) {
    case 0:
      hero->AddFlows(flows, 1, -1);
      break;
    case 1:
      hero->AddFlows(flows, 1, hero->RemoveFlowsById(p.At(1)));
      break;
    case 2:
      hero->RemoveFlowsById(p.At(1));
      break;
    default:
      break;
  }
}

void cHero::KeepFootBlock() { m_lpPrevLandBlock = m_lpLandBlock; }

int cHero::HasNotTaken(const cItem* item) const {
  if (!item) return 1;
  return std::find(m_Taken.begin(), m_Taken.end(), item->m_nID) == m_Taken.end() ? 1 : 0;
}

void cHero::ForgetTaken(const cItem* item) {
  if (item) m_Taken.remove(item->m_nID);
}

int RunItemCommands(cCharaBase* chara, cVector<cFlowCmd>& commands) {
  if (!chara) return 0;
  if (PlayScene) PlayScene->m_bItemMessage = 0;
  cHero* hero = dynamic_cast<cHero*>(chara);
  for (cFlowCmd& cmd : commands) {
    const int kind = nm::cmd::Kind(cmd);
    if (hero && kind != 23) {
      ApplyHeroArranges(&cmd, hero);
      hero->m_ItemArranges.clear();
    }
    int result = 0;
    if (kind >= 0 && kind < kItemCommandKinds && ItemCommandTable[kind]) result = ItemCommandTable[kind](chara, &cmd, nullptr);
    if (chara->m_nHp <= 0) return 2;
    if (result != 0) return result;
  }
  return chara->m_nHp <= 0 ? 2 : 0;
}

void ShowItemMessage(cCharaBase* chara, int kind, int number, int sub) {
  if (!PlayScene || !chara) return;
  cMessageWnd w;
  w.Init(2, "", kind, static_cast<int16_t>(number), static_cast<int16_t>(sub), 4, 0, 0, 0, 0, 0, 1, 2, 30, 0,
         chara->m_nID, 0, 0, 0, 0, 0, 0, 0);
  PlayScene->m_Messages.push_back(w);
}

void cHero::DrawBackdrop(DDSURFACEDATA* surface) {
  if (!surface || nm::chara::SightMode(m_Def) == 0) return;
  int x, y;
  SightSlice(SightDarkSD.nWidth, SightDarkSD.nHeight, m_nPicW, m_nPicH, m_nScrLeft, m_nScrTop,
             nm::chara::SightMode(m_Def), FacingSign(), m_nSight, &x, &y);
  DDBlt(surface, 0, 0, 640, 480, &SightDarkSD, x, y, 1);
}

void cHero::Draw(DDSURFACEDATA* surface, int mode) {
  (void)mode;
  // The character itself is drawn by the play-field drawing; these are the
  // hit-box frames over it.
  if (!surface) return;
  const bool fixed = DDSettings.nBpp == 8 && nm::sys::FixedColour8(SystemData) != 0;
  for (HitBoxPart& p : m_Parts) {
    if (p.nMode == 0) continue;
    int x = m_nScrLeft + m_nPicOfsX;
    int y = m_nScrTop + m_nPicOfsY;
    const HitBox* b = p.nType == 1 ? &m_HitBoxChara : p.nType == 2 ? &m_HitBoxItem : p.nType == 3 ? &m_HitBoxShot : nullptr;
    if (b) {
      x += b->nOfsX;
      y += b->nOfsY;
    }
    const uint32_t colour = static_cast<uint32_t>(fixed ? p.nColour : p.nColour + (p.nBlink >> 3));
    if (p.nMode == 1) {
      DDFillRect(surface, x, y, p.nW, p.nH, colour);
    } else {
      DDFillRect(surface, x, y, p.nW, 1, colour);
      DDFillRect(surface, x, y + p.nH - 1, p.nW, 1, colour);
      DDFillRect(surface, x, y + 1, 1, p.nH - 2, colour);
      DDFillRect(surface, x + p.nW - 1, y + 1, 1, p.nH - 2, colour);
    }
    p.nBlink = (p.nBlink + 1) & 31;
  }
}
