#pragma once
// The base of every running character (the hero and the stage characters):
// its own copy of its definition, the flow runs, targets and links, jump and
// fall state, hit points, knock-back, hit boxes and overlay animations.
#include <bit>
#include <cstdint>

#include "base/Containers.h"
#include "data/CharaDef.h"
#include "engine/flow/FlowRun.h"
#include "engine/instances/EffectPlayers.h"
#include "engine/objects/GameObj.h"
#include "engine/objects/RectD.h"

class cBlockDef;
class cFlow;
class cItem;
class cShot;

struct HitBox {
  cRectD rc;
  int32_t nOfsX = 0, nOfsY = 0, nW = 0, nH = 0;
  int32_t nBaseOfsX = 0, nBaseOfsY = 0, nBaseW = 0, nBaseH = 0;
};

// {X, s} in C's m_Links: X's target slot s (0..3) points to C; s = 4: C is X's parent.
struct CharaLink {
  cCharaBase* lpChara = nullptr;
  int32_t nSlot = 0;
};
// kind 0: the shot targets this character; kind 4: this character owns the shot.
struct ShotLink {
  cShot* lpShot = nullptr;
  int32_t nKind = 0;
};
inline bool SameLink(const CharaLink& a, const CharaLink& b) { return a.lpChara == b.lpChara && a.nSlot == b.nSlot; }
inline bool SameLink(const ShotLink& a, const ShotLink& b) { return a.lpShot == b.lpShot && a.nKind == b.nKind; }

// HP or SP bar animation.
struct GaugeAnim {
  int32_t nFrames = 0;  // 120 when started
  int32_t nSpare = 0;
  double dChange = 0;
  double dPerFrame = 0;
  int32_t nStartLength = 0;
};

struct ImmunityEntry {
  int32_t nKey = 0;   // the attacker
  int32_t nLeft = 0;  // sub-steps
};

// An overlay animation running on a character.
struct CharaEffectEntry {
  cAnimPlayer Anim;
  int32_t bPriority = 0;
  int32_t nCountdown = 0;  // frames
  int32_t nHold = 0;       // frames
  int32_t nRunSerial = 0;
  int32_t bEnding = 0;
};

class cCharaBase : public cGameObj {
 public:
  int32_t m_bKeepLinks = 0;
  cVector<cCharaBase*> m_Targets = cVector<cCharaBase*>(4, nullptr);  // tg1..tg4
  cCharaBase* m_lpParent = nullptr;
  cVector<CharaLink> m_Links;
  cVector<ShotLink> m_ShotLinks;
  int32_t m_bForwardToParent = 0;
  uint8_t m_nAttackNumber = 0;
  cCharaDef m_Def;
  int32_t m_nNextRunSerial = 0;
  cVector<cFlowRun> m_FlowRuns;
  cVector<uint8_t> m_FlowIdBusy, m_FlowIdStopped, m_FlowIdStarted;  // 27 each, by flow ID
  int32_t m_bFlowIdStopPending = 0;
  int32_t m_bRemovePending = 0;
  double m_OriginX = 0, m_OriginY = 0;
  int32_t m_bMovedThisUpdate = 0;
  double m_ImpactX = 0, m_ImpactY = 0;
  int32_t m_bImpacted = 0;
  double m_PrevImpactY = 0;
  int32_t m_bMoveDisabled = 0;
  int32_t m_nTurnSide = -1;
  int32_t m_bFalling = 1;
  int32_t m_bJumpRise = 0;
  int32_t m_bJumping = 0;
  int32_t m_bJumpBlocked = 0;
  int32_t m_nAirSteps = 0;
  cBlockDef* m_lpFootBlock = nullptr;
  cBlockDef* m_lpLandBlock = nullptr;
  cBlockDef* m_lpPrevLandBlock = nullptr;
  int32_t m_nStandCell = -1;  // block-map index of the cell stood on, -1 none
  int32_t m_nCrushGrace = 0;
  int32_t m_bScreenAnchorX = 0, m_bScreenAnchorY = 0;
  int32_t m_nScreenAnchorX = 0, m_nScreenAnchorY = 0;
  int32_t m_bDead = 0;
  int32_t m_nDeathFrames = 0;
  int32_t m_WallL = 0, m_WallR = 0, m_WallU = 0, m_WallD = 0;
  int32_t m_bLeftRide = 0;
  int32_t m_bRiding = 0;
  int32_t m_nRideId = 0;
  cRectD m_RideBox;
  cRectD m_PrevBox;
  int32_t m_nHp = 0, m_nSp = 0;
  GaugeAnim m_HpGauge, m_SpGauge;
  cVector<int32_t> m_Vars = cVector<int32_t>(9, 0);
  int32_t m_nInvincible = 0;
  cList<ImmunityEntry> m_Immunity;
  cList<CharaEffectEntry> m_Effects;
  cCharaEffectPlayer m_CharaEffect;
  int32_t m_bVanished = 0;
  int32_t m_nSight = 0;
  HitBox m_HitBoxChara;
  HitBox m_HitBoxShot;

  cCharaBase();
  cCharaBase(const cCharaBase& other);
  cCharaBase& operator=(const cCharaBase& other);
  ~cCharaBase() override;

  // The magnification: the definition's signed size byte, at least 1.
  int Scale() const { return m_Def.m_Size < 1 ? 1 : m_Def.m_Size; }

  // --- positioning slots ---
  void KeepFootOnScale(int nNew, int nOld) override;
  void SetCenter(int x, int y) override;
  void SetCenterAndStop(int x, int y, cCmdRun* run) override;
  void SetCenterX(int x) override;
  void SetCenterXAndStop(int x, cCmdRun* run) override;
  void SetCenterY(int y) override;
  void SetCenterYAndStop(int y, cCmdRun* run) override;

  // --- slots 13..20 ---
  virtual void Assign(const cCharaBase& other);
  virtual cItem* GetHeldItem() { return nullptr; }
  virtual int ClampX() { return 0; }
  virtual int ClampY() { return 0; }
  virtual int MoveX() { return 0; }
  virtual int MoveY() { return 0; }
  virtual int UpdateFlows(int bDying) { return 0; }
  // The jump command's run (its speed, frame count, parameters and jumped flag).
  virtual void Jump(cCmdRun* run) {}

  // --- running character core ---
  void InitFromDef(const cCharaDef* def, double originX, double originY, int16_t clone);
  void SetHitOffsets(int bottomAligned, int width, int height);
  int AddFlows(const cVector<cFlow>& flows, int insert, int position);
  void RemoveFlow(int index);
  // The index of the first run removed, -1 when none (ID 0 removes all and gives 0).
  int RemoveFlowsById(int id);
  void SetFlowRuns(const cVector<cFlowRun>& runs);
  void RebindFlowRuns();
  void SetBaseAnimSet(int id, int force);
  void InitTargets(cCharaBase* parent);
  void DetachLinks();

  // --- movement and physics ---
  // The hero's (object kind 0) jump is scaled by the stage gravity.
  double JumpSpeed(double h) const;
  double JumpSpeedHbl(int8_t k) const;
  static int FramesFromSpeed(double v);
  int JumpFrames(int8_t k) const;
  void PlaceAtBlock(int col, int row);
  void PlaceAtBlockX(int col);
  void PlaceAtBlockY(int row);
  void ClearWallFlags() { m_WallL = m_WallR = m_WallU = m_WallD = 0; }
  void ApplyCharaGravity();
  // ApplyCharaGravity with the stage's gravity step given: for the hot loop.
  void ApplyCharaGravity(double step) {
    if (m_bFly || m_bRiding || m_bMoveDisabled || m_ImpactY < 0) return;
    m_dVY = m_dVY + step;
  }
  int IsOnGround() const;
  void Land();
  void HitCeiling();
  void LeaveRide(int set);
  void SavePrevBox() { m_PrevBox = cRectD{m_dX, m_dY, m_dRight, m_dBottom}; }
  void RestorePrevBox();
  int ChangeHp(int delta, int force, int showGauge);
  void StartHpGauge(int delta);
  int ChangeSp(int delta, int showGauge);
  void StartSpGauge(int delta);
  void ApplyImpact(int8_t power, double dirX, double dirY);
  void ApplyImpactFromChara(cCharaBase* attacker);
  void ApplyImpactFromShot(cShot* shot);
  void ApplyImpactY();
  // A knock-back of 0 has nothing to decay: the common case stays inline.
  void DecayImpactX() {
    if (m_ImpactX != 0) DecayImpact(m_ImpactX);
  }
  void DecayImpactY() {
    if (m_ImpactY != 0) DecayImpact(m_ImpactY);
  }
  // Both decays. Both knock-backs at 0 (or -0) is the common case: their
  // bits or-ed, shifted past the sign, are 0 exactly then (NaN is not).
  void DecayImpacts() {
    if (((std::bit_cast<uint64_t>(m_ImpactX) | std::bit_cast<uint64_t>(m_ImpactY)) << 1) == 0) return;
    DecayImpactX();
    DecayImpactY();
  }
  // One sub-step's decay of a knock-back velocity towards 0.
  static void DecayImpact(double& v);
  int IsInvincible() const { return m_nInvincible > 0 ? 1 : 0; }
  int IsImmuneTo(int key) const;
};

int HblToPixels(int8_t k);
double ScaleAccel(int16_t a);
cCharaBase* FindCharaById(int id);
void ExpandLoops(cVector<cFlowCmd>& cmds);
int ExpandFirstLoop(cVector<cFlowCmd>& cmds);
void InitAnimRun(cAnimPlayer& player);

// Move initialisation (by command kind; see MoveInitTable).
void InitMoveTimed(cCmdRun* run, cCharaBase* chara);
void InitMoveCircle(cCmdRun* run, cCharaBase* chara);
void InitMoveHoming(cCmdRun* run, cCharaBase* chara);
void InitJumpCmd(cCmdRun* run, cCharaBase* chara);
using MoveInit = void (*)(cCmdRun*, cCharaBase*);
extern MoveInit MoveInitTable[40];
void ConvertMoveSpec(cCmdRun* run, cFlowCmd* cmd, int16_t clone);

// Status, invincibility and damage.
void StartInvincible(cCharaBase* chara);
void AddHitImmunity(cCharaBase* chara, int key);
// Counts down the invincibility and the immunities. Inline: nothing to
// count down is the common case, asked for every character every sub-step.
void CountDownInvincibility(cCharaBase* chara);
inline void UpdateInvincibility(cCharaBase* chara) {
  if (chara->m_nInvincible == 0 && chara->m_Immunity.empty()) return;
  CountDownInvincibility(chara);
}
int TakeBodyAttack(cCharaBase* victim, cCharaBase* attacker);
void RaiseBodyHitEvents(cCharaBase* victim, cCharaBase* attacker);
int TakeShotDamage(cCharaBase* victim, cShot* shot);
void RaiseShotHitEvents(cCharaBase* victim, cShot* shot);
int Defeat(cCharaBase* chara);
void StartFlowCmdAnims(cCharaBase* chara);
void RemoveFlowEffects(cCharaBase* chara, int serial);
void EndFlowEffects(cCharaBase* chara, int serial);
void ResumeFlowEffects(cCharaBase* chara, int serial);
int UpdateCharaEffects(cCharaBase* chara, int frozen);
