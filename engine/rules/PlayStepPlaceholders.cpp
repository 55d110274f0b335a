// Placeholder bodies of operations the play step and the stage set-up call
// whose own sources are not in the tree yet, so that a stage links and runs
// headless. Each group compiles only while its real source is absent.
#include <climits>

#include "engine/World.h"
#include "engine/objects/Hits.h"

#if !__has_include("engine/objects/StageChara.cpp")
void cChara::Setup(int id, const cCharaDef* def, const cItem* heldItem, double originX, double originY, int16_t clone) {
  m_Def = *def;
  m_nID = id;
  m_nObjKind = 1;
  m_nFaction = def->m_PlayerNo;
  m_nBlockSide = def->m_Faction;
  m_bFaceRight = def->m_Facing;
  m_wSpawnTag = clone;
  m_nW = m_nH = 32;
  m_dX = originX - 16;
  m_dY = originY - 16;
  m_dRight = m_dX + m_nW - 1;
  m_dBottom = m_dY + m_nH - 1;
  m_OriginX = originX;
  m_OriginY = originY;
  m_nHp = def->m_MaxHp;
  m_nSp = def->m_MaxSp;
  m_nLife = INT_MAX;
  if (heldItem) m_HeldItem = *heldItem;
}
void cChara::PlaceAtBlock(int col, int row) { cCharaBase::PlaceAtBlock(col, row); }
int cChara::UpdateActiveRange(const cVector<int8_t>&) { return 0; }
int cChara::UpdateOperating(const cVector<int8_t>&) { return 1; }
#endif

#if !__has_include("engine/objects/HeroChara.cpp")
void cHero::Setup(int id, const cCharaDef* def, double originX, double originY, int16_t clone) {
  m_Def = *def;
  m_nID = id;
  m_nObjKind = 0;
  m_nFaction = def->m_PlayerNo;
  m_nBlockSide = def->m_Faction;
  m_bFaceRight = def->m_Facing;
  m_wSpawnTag = clone;
  m_nW = 16;
  m_nH = 24;
  m_dX = originX - 8;
  m_dY = originY - 12;
  m_dRight = m_dX + m_nW - 1;
  m_dBottom = m_dY + m_nH - 1;
  m_nHp = def->m_MaxHp;
  m_nSp = def->m_MaxSp;
  m_nLife = INT_MAX;
}
void cHero::KeepFootBlock() {}
int cHero::HasNotTaken(const cItem*) const { return 1; }
void cHero::ForgetTaken(const cItem*) {}
int RunItemCommands(cCharaBase*, cVector<cFlowCmd>&) { return 0; }
void ShowItemMessage(cCharaBase*, int, int, int) {}
#endif

#if !__has_include("engine/objects/CharaPhysics.cpp")
double cCharaBase::JumpSpeedHbl(int8_t k) const { return -k; }
int cCharaBase::FramesFromSpeed(double) { return 0; }
void cCharaBase::PlaceAtBlock(int col, int row) {
  m_dX = (col + 10) * 32 + (32 - m_nW) / 2;
  m_dY = (row + 10) * 32 + 32 - m_nH;
  m_dRight = m_dX + m_nW - 1;
  m_dBottom = m_dY + m_nH - 1;
}
void cCharaBase::ClearWallFlags() { m_WallL = m_WallR = m_WallU = m_WallD = 0; }
void cCharaBase::ApplyCharaGravity() {}
int cCharaBase::IsOnGround() const { return m_bFalling ? 0 : 1; }
void cCharaBase::SavePrevBox() { m_PrevBox = cRectD{m_dX, m_dY, m_dRight, m_dBottom}; }
void cCharaBase::RestorePrevBox() {
  m_dX = m_PrevBox.left;
  m_dY = m_PrevBox.top;
  m_dRight = m_PrevBox.right;
  m_dBottom = m_PrevBox.bottom;
}
void cCharaBase::DecayImpactX() {}
void cCharaBase::DecayImpactY() {}
#endif

#if !__has_include("engine/objects/CharaCore.cpp")
void cCharaBase::InitTargets(cCharaBase* parent) { m_lpParent = parent; }
#endif

#if !__has_include("engine/instances/Item.cpp")
int cItem::InitFromDef(int id, const cItemDef* def, int held) {
  m_Def = *def;
  m_nID = id;
  m_bHeld = held;
  m_nW = m_nH = 32;
  m_nLife = INT_MAX;
  return 0;
}
void cItem::PlaceAtBlock(int col, int row) {
  m_dX = (col + 10) * 32;
  m_dY = (row + 10) * 32;
  m_dRight = m_dX + m_nW - 1;
  m_dBottom = m_dY + m_nH - 1;
}
#endif

// Characters against block characters (carrying, landing, crushing) are not
// resolved yet: no character is moved or crushed by a block character.
int HitBlockCharas(cCharaBase*) { return 0; }

#if !__has_include("engine/objects/Hits.cpp")
int HitShotsAndCharas() { return 0; }
int CheckDeaths() { return 0; }
int KillChara(cCharaBase* chara) { return chara->m_nObjKind == 0 ? 2 : 0; }
#endif

#if !__has_include("engine/objects/CharaStatus.cpp")
void UpdateInvincibility(cCharaBase* chara) {
  if (chara->m_nInvincible > 0) chara->m_nInvincible--;
}
int Defeat(cCharaBase* chara) {
  chara->m_bDead = 1;
  return 0;
}
#endif

#if !__has_include("engine/shots/Shot.cpp")
int cShot::Step() { return 0; }
int cShot::MoveX() { return 0; }
int cShot::MoveY() { return 0; }
int cShot::HitsMap() { return 0; }
cList<cShot>::iterator RemoveShot(cList<cShot>& list, cList<cShot>::iterator node) { return list.erase(node); }
#endif
