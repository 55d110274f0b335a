#include "data/CharaDef.h"

#include <algorithm>

#include "data/CommonPalette.h"
#include "data/Stage.h"

cCharaDef::cCharaDef() { SetDefaults(); }

void cCharaDef::SetDefaults() {
  Clear();
  m_Inherit.assign(kInheritGroups, 0);
  m_GfxKind = 1;
  m_Z = 3;
  m_CharaEffectArg2 = 1;
  m_Control = 1;
  m_Faction = 1;
  m_FixedFacing = 1;
  m_Size = 1;
  m_MaxHp = 10;
  m_StopEase = 10;
  m_Switch = 1;
}

void cCharaDef::RegisterFields(uint32_t v) {
  ResetFields();
  AddChar(&m_PalKind, 1, "m_PalKind");
  AddShort(&m_PalIndex, 1, "m_PalIndex");
  AddString(&m_Name, "m_Name");

  AddChar(&m_CondMode, 1, "m_CondMode");
  AddChar(&m_CondLatch, 1, "m_CondLatch");
  AddChar(&m_Facing, 1, "m_Facing");
  AddChar(&m_CopyCount, 1, "m_CopyCount");
  AddShort(&m_CopyOriginX, 1, "m_CopyOriginX");
  AddShort(&m_CopyStepX, 1, "m_CopyStepX");
  AddShort(&m_CopyOriginY, 1, "m_CopyOriginY");
  AddShort(&m_CopyStepY, 1, "m_CopyStepY");
  AddChar(&m_CopyMirrorX, 1, "m_CopyMirrorX");
  AddChar(&m_CopyMirrorY, 1, "m_CopyMirrorY");
  AddShort(&m_GfxIndex, 1, "m_GfxIndex");
  AddChar(&m_GfxKind, 1, "m_GfxKind");
  AddShort(&m_GfxPattern, 1, "m_GfxPattern");
  AddShort(&m_AnimeSet, 1, "m_AnimeSet");
  AddChar(&m_Z, 1, "m_Z");
  AddChar(&m_Transparent, 1, "m_Transparent");
  AddShort(&m_CharaEffect, 1, "m_CharaEffect");

  if (v >= 196) AddChar(&m_CharaEffectArg1, 1, "m_CharaEffectArg1");
  AddChar(&m_CharaEffectArg2, 1, "m_CharaEffectArg2");
  AddShort(&m_CharaEffect2, 1, "m_CharaEffect2");

  if (v >= 196) AddChar(&m_CharaEffect2Arg, 1, "m_CharaEffect2Arg");
  AddChar(&m_EmblemSwitch, 1, "m_EmblemSwitch");
  AddShort(&m_Emblem, 1, "m_Emblem");

  AddChar(&m_Control, 1, "m_Control");
  AddChar(&m_PlayerNo, 1, "m_PlayerNo");
  AddChar(&m_Faction, 1, "m_Faction");
  AddChar(&m_CharaId, 1, "m_CharaId");
  AddChar(&m_Fly, 1, "m_Fly");
  AddChar(&m_FixedFacing, 1, "m_FixedFacing");
  AddChar(&m_Invincible, 1, "m_Invincible");

  if (v >= 285) AddChar(&m_DrawSwitch, 1, "m_DrawSwitch");
  AddChar(&m_BlockChara, 1, "m_BlockChara");
  AddChar(&m_Size, 1, "m_Size");

  if (v >= 210) AddChar(&m_ScrollSync, 1, "m_ScrollSync");
  AddChar(&m_ViewShape, 1, "m_ViewShape");
  AddChar(&m_ViewRange, 1, "m_ViewRange");
  AddInt(&m_MaxHp, 1, "m_MaxHp");
  AddInt(&m_MaxSp, 1, "m_MaxSp");
  AddShort(&m_StopEase, 1, "m_StopEase");

  if (v >= 201) AddChar(&m_HitBox, 1, "m_HitBox");
  AddInt(&m_BodyPower, 1, "m_BodyPower");
  AddChar(&m_BodyImpact, 1, "m_BodyImpact");
  AddShort(&m_EffectNo, 1, "m_EffectNo");

  if (v >= 168) AddInt(&m_Defence, 1, "m_Defence");
  AddChar(&m_ImpactResist, 1, "m_ImpactResist");
  AddInt(&m_Score, 1, "m_Score");
  AddChar(&m_Switch, 1, "m_Switch");
  AddChar(&m_InGroup, 1, "m_InGroup");
  AddShort(&m_GroupNo, 1, "m_GroupNo");
  AddChar(&m_ActiveRange, 1, "m_ActiveRange");
  AddChar(&m_ActiveMode, 1, "m_ActiveMode");
}

namespace {
// A property group was inserted at `group`: the flags from there on move up
// one place (the last one drops off) and the new group starts inherited, so
// every old flag stays with the group it belonged to.
void InsertInheritGroup(cVector<int8_t>& flags, size_t group) {
  flags.resize(cCharaDef::kInheritGroups, 0);
  for (size_t i = cCharaDef::kInheritGroups - 1; i > group; --i) flags[i] = flags[i - 1];
  flags[group] = 1;
}
}  // namespace

bool cCharaDef::Read(cRecordReader& r) {
  if (!cSerialRecord::Read(r)) return false;
  if (!r.ReadValue(m_Col) || !r.ReadValue(m_Row) || !r.ReadValue(m_HeldItem)) return false;
  if (!ReadInheritFlags(m_Inherit, r)) return false;
  if (!ReadCondVector(m_Conds, r)) return false;
  if (!ReadFlowVector(m_Flows, r)) return false;

  const cReadContext& context = ContextOf(r);
  RemoveTestPlayFlows(m_Flows, context);

  const uint32_t v = r.Version();
  if (v < 791) {
    if (v < 168) {
      m_Defence = 0;
      InsertInheritGroup(m_Inherit, 27);
    }
    if (v < 196) {
      m_CharaEffectArg1 = 0;
      m_CharaEffect2Arg = 0;
    }
    if (v < 201) {
      m_HitBox = 0;
      InsertInheritGroup(m_Inherit, 24);
    }
    if (v < 206 && m_HitBox >= 2) ++m_HitBox;
    if (v < 210) {
      m_ScrollSync = 0;
      InsertInheritGroup(m_Inherit, 21);
    }
    FixOldShotPicture(m_GfxKind, m_GfxIndex, v);
    if (v < 285) m_DrawSwitch = 1;
  }

  InheritFromPalette(context);
  Validate(context);
  return r.Ok();
}

bool cCharaDef::Write(cRecordWriter& w, const cReadContext& context) {
  Validate(context);
  cSerialRecord::Write(w);
  w.WriteValue(m_Col);
  w.WriteValue(m_Row);
  w.WriteValue(m_HeldItem);
  WriteInheritFlags(m_Inherit, w);
  WriteCondVector(m_Conds, w);
  WriteFlowVector(m_Flows, w);
  return true;
}

namespace {
// A database index against a list count (as unsigned); unknown counts repair nothing.
bool OutsideList(int32_t index, int count) {
  return count >= 0 && (index < 0 || index >= count);
}

bool IsEmptyFlow(const cFlow& f) {
  return f.m_Trigger == 0 && f.m_FlowId == 0 && f.m_ExclusiveId == 0 && f.m_Conds.empty() && f.m_KeyConds.empty() &&
         f.m_Cmds.empty();
}
}  // namespace

void cCharaDef::Validate(const cReadContext& context) {
  CheckPaletteRef(m_PalKind, m_PalIndex, CommonPaletteOf(context).m_Charas.size(),
                  StageOf(context).m_PaletteCharas.size());
  if (m_GfxKind == 4 && OutsideList(static_cast<uint16_t>(m_GfxIndex), context.DbCount(DbList::BmpCharaExc)))
    m_GfxIndex = 1;
  if (m_Size <= 0) m_Size = 1;
  if (OutsideList(static_cast<uint16_t>(m_AnimeSet), context.DbCount(DbList::AnimeSet))) m_AnimeSet = 0;
  const int charaEffects = context.DbCount(DbList::CharaEffect);
  if (OutsideList(static_cast<uint16_t>(m_CharaEffect), charaEffects)) m_CharaEffect = 0;
  if (OutsideList(static_cast<uint16_t>(m_CharaEffect2), charaEffects)) m_CharaEffect2 = 0;
  if (OutsideList(static_cast<uint16_t>(m_EffectNo), context.DbCount(DbList::Effect))) m_EffectNo = 0;
  if (m_Control == 0) {
    m_BlockChara = 0;
    m_CopyCount = 0;
  }
  for (cFlow& flow : m_Flows) flow.Validate(context);
  std::erase_if(m_Flows, IsEmptyFlow);
}

void cCharaDef::ValidateCommandRefs(const cReadContext& context) {
  const auto common = PaletteCountsOf(CommonPaletteOf(context));
  const auto stage = PaletteCountsOf(StageOf(context));
  for (cFlow& flow : m_Flows) flow.CheckPaletteRefs(common, stage);
}

void cCharaDef::InheritFromPalette(const cReadContext& context) {
  using D = cCharaDef;
  static constexpr InheritGroup<D> kGroups[] = {
      kInheritMembers<&D::m_Name>,
      kInheritMembers<&D::m_Control, &D::m_PlayerNo>,
      kInheritMembers<&D::m_Faction>,
      kInheritMembers<&D::m_CharaId>,
      kInheritMembers<&D::m_Conds, &D::m_CondMode, &D::m_CondLatch>,
      kInheritMembers<&D::m_Facing>,
      kInheritMembers<&D::m_CopyCount>,
      kInheritMembers<&D::m_CopyOriginX, &D::m_CopyStepX, &D::m_CopyMirrorX>,
      kInheritMembers<&D::m_CopyOriginY, &D::m_CopyStepY, &D::m_CopyMirrorY>,
      kInheritMembers<&D::m_GfxKind, &D::m_GfxIndex, &D::m_GfxPattern>,
      kInheritMembers<&D::m_AnimeSet>,
      kInheritMembers<&D::m_Z>,
      kInheritMembers<&D::m_Transparent>,
      kInheritMembers<&D::m_CharaEffect, &D::m_CharaEffectArg1, &D::m_CharaEffectArg2>,
      kInheritMembers<&D::m_CharaEffect2, &D::m_CharaEffect2Arg>,
      kInheritMembers<&D::m_EmblemSwitch, &D::m_Emblem>,
      kInheritMembers<&D::m_FixedFacing>,
      kInheritMembers<&D::m_Fly>,
      kInheritMembers<&D::m_Invincible, &D::m_DrawSwitch>,
      kInheritMembers<&D::m_BlockChara>,
      kInheritMembers<&D::m_Size>,
      kInheritMembers<&D::m_ScrollSync>,
      kInheritMembers<&D::m_ViewShape, &D::m_ViewRange>,
      kInheritMembers<&D::m_MaxHp>,
      kInheritMembers<&D::m_MaxSp>,
      kInheritMembers<&D::m_HitBox>,
      kInheritMembers<&D::m_BodyPower>,
      kInheritMembers<&D::m_BodyImpact>,
      kInheritMembers<&D::m_EffectNo>,
      kInheritMembers<&D::m_Defence>,
      kInheritMembers<&D::m_ImpactResist>,
      kInheritMembers<&D::m_StopEase>,
      kInheritMembers<&D::m_ActiveRange, &D::m_ActiveMode>,
      kInheritMembers<&D::m_GroupNo, &D::m_InGroup>,
      kInheritMembers<&D::m_Score>,
      kInheritMembers<&D::m_Switch>,
      // A character keeps at least one flow.
      [](D& self, const D& source) {
        self.m_Flows = source.m_Flows;
        if (self.m_Flows.empty()) self.m_Flows.emplace_back();
      },
  };
  static_assert(std::size(kGroups) == kInheritGroups);
  InheritFromPaletteEntry(*this, CommonPaletteOf(context).m_Charas, StageOf(context).m_PaletteCharas, kGroups);
}

double cCharaDef::CalcX(int n, int facing) const {
  double x = static_cast<double>(n) * m_CopyStepX + m_CopyOriginX;
  return facing == 1 && m_CopyMirrorX ? -x : x;
}

double cCharaDef::CalcY(int n, int facing) const {
  double y = static_cast<double>(n) * m_CopyStepY + m_CopyOriginY;
  return facing == 1 && m_CopyMirrorY ? -y : y;
}
