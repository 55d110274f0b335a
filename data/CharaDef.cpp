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
  AddChar(&m_PalKind);
  AddShort(&m_PalIndex);
  AddString(&m_Name);

  AddChar(&m_CondMode);
  AddChar(&m_CondLatch);
  AddChar(&m_Facing);
  AddChar(&m_CopyCount);
  AddShort(&m_CopyOriginX);
  AddShort(&m_CopyStepX);
  AddShort(&m_CopyOriginY);
  AddShort(&m_CopyStepY);
  AddChar(&m_CopyMirrorX);
  AddChar(&m_CopyMirrorY);
  AddShort(&m_GfxIndex);
  AddChar(&m_GfxKind);
  AddShort(&m_GfxPattern);
  AddShort(&m_AnimeSet);
  AddChar(&m_Z);
  AddChar(&m_Transparent);
  AddShort(&m_CharaEffect);

  if (v >= 196) AddChar(&m_CharaEffectArg1);
  AddChar(&m_CharaEffectArg2);
  AddShort(&m_CharaEffect2);

  if (v >= 196) AddChar(&m_CharaEffect2Arg);
  AddChar(&m_EmblemSwitch);
  AddShort(&m_Emblem);

  AddChar(&m_Control);
  AddChar(&m_PlayerNo);
  AddChar(&m_Faction);
  AddChar(&m_CharaId);
  AddChar(&m_Fly);
  AddChar(&m_FixedFacing);
  AddChar(&m_Invincible);

  if (v >= 285) AddChar(&m_DrawSwitch);
  AddChar(&m_BlockChara);
  AddChar(&m_Size);

  if (v >= 210) AddChar(&m_ScrollSync);
  AddChar(&m_ViewShape);
  AddChar(&m_ViewRange);
  AddInt(&m_MaxHp);
  AddInt(&m_MaxSp);
  AddShort(&m_StopEase);

  if (v >= 201) AddChar(&m_HitBox);
  AddInt(&m_BodyPower);
  AddChar(&m_BodyImpact);
  AddShort(&m_EffectNo);

  if (v >= 168) AddInt(&m_Defence);
  AddChar(&m_ImpactResist);
  AddInt(&m_Score);
  AddChar(&m_Switch);
  AddChar(&m_InGroup);
  AddShort(&m_GroupNo);
  AddChar(&m_ActiveRange);
  AddChar(&m_ActiveMode);
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
  const cCharaDef* src = FindInheritSource<cCharaDef>(m_PalKind, m_PalIndex, CommonPaletteOf(context).m_Charas,
                                                       StageOf(context).m_PaletteCharas);
  if (!src) return;
  const cCharaDef& s = *src;
  CopyFlaggedGroups(*this, s, kInheritGroups, [&](size_t group) {
    switch (group) {
      case 0: m_Name = s.m_Name; break;
      case 1:
        m_Control = s.m_Control;
        m_PlayerNo = s.m_PlayerNo;
        break;
      case 2: m_Faction = s.m_Faction; break;
      case 3: m_CharaId = s.m_CharaId; break;
      case 4:
        m_Conds = s.m_Conds;
        m_CondMode = s.m_CondMode;
        m_CondLatch = s.m_CondLatch;
        break;
      case 5: m_Facing = s.m_Facing; break;
      case 6: m_CopyCount = s.m_CopyCount; break;
      case 7:
        m_CopyOriginX = s.m_CopyOriginX;
        m_CopyStepX = s.m_CopyStepX;
        m_CopyMirrorX = s.m_CopyMirrorX;
        break;
      case 8:
        m_CopyOriginY = s.m_CopyOriginY;
        m_CopyStepY = s.m_CopyStepY;
        m_CopyMirrorY = s.m_CopyMirrorY;
        break;
      case 9:
        m_GfxKind = s.m_GfxKind;
        m_GfxIndex = s.m_GfxIndex;
        m_GfxPattern = s.m_GfxPattern;
        break;
      case 10: m_AnimeSet = s.m_AnimeSet; break;
      case 11: m_Z = s.m_Z; break;
      case 12: m_Transparent = s.m_Transparent; break;
      case 13:
        m_CharaEffect = s.m_CharaEffect;
        m_CharaEffectArg1 = s.m_CharaEffectArg1;
        m_CharaEffectArg2 = s.m_CharaEffectArg2;
        break;
      case 14:
        m_CharaEffect2 = s.m_CharaEffect2;
        m_CharaEffect2Arg = s.m_CharaEffect2Arg;
        break;
      case 15:
        m_EmblemSwitch = s.m_EmblemSwitch;
        m_Emblem = s.m_Emblem;
        break;
      case 16: m_FixedFacing = s.m_FixedFacing; break;
      case 17: m_Fly = s.m_Fly; break;
      case 18:
        m_Invincible = s.m_Invincible;
        m_DrawSwitch = s.m_DrawSwitch;
        break;
      case 19: m_BlockChara = s.m_BlockChara; break;
      case 20: m_Size = s.m_Size; break;
      case 21: m_ScrollSync = s.m_ScrollSync; break;
      case 22:
        m_ViewShape = s.m_ViewShape;
        m_ViewRange = s.m_ViewRange;
        break;
      case 23: m_MaxHp = s.m_MaxHp; break;
      case 24: m_MaxSp = s.m_MaxSp; break;
      case 25: m_HitBox = s.m_HitBox; break;
      case 26: m_BodyPower = s.m_BodyPower; break;
      case 27: m_BodyImpact = s.m_BodyImpact; break;
      case 28: m_EffectNo = s.m_EffectNo; break;
      case 29: m_Defence = s.m_Defence; break;
      case 30: m_ImpactResist = s.m_ImpactResist; break;
      case 31: m_StopEase = s.m_StopEase; break;
      case 32:
        m_ActiveRange = s.m_ActiveRange;
        m_ActiveMode = s.m_ActiveMode;
        break;
      case 33:
        m_GroupNo = s.m_GroupNo;
        m_InGroup = s.m_InGroup;
        break;
      case 34: m_Score = s.m_Score; break;
      case 35: m_Switch = s.m_Switch; break;
      case 36:
        m_Flows = s.m_Flows;
        if (m_Flows.empty()) m_Flows.emplace_back();
        break;
      default: break;
    }
  });
}

double cCharaDef::CalcX(int n, int facing) const {
  double x = static_cast<double>(n) * m_CopyStepX + m_CopyOriginX;
  return facing == 1 && m_CopyMirrorX ? -x : x;
}

double cCharaDef::CalcY(int n, int facing) const {
  double y = static_cast<double>(n) * m_CopyStepY + m_CopyOriginY;
  return facing == 1 && m_CopyMirrorY ? -y : y;
}
