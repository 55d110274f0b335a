#pragma once
// Character definitions: who controls a character, its picture, statuses,
// size, activation rules, appearance conditions and flows.
#include <cstddef>
#include <cstdint>
#include <string>

#include "base/SerialRecord.h"
#include "data/BlockDef.h"
#include "data/Cond.h"
#include "data/Flow.h"
#include "data/ReadContext.h"

class cCharaDef : public cSerialRecord {
 public:
  static constexpr size_t kInheritGroups = 37;

  int16_t m_Col = 0;
  int16_t m_Row = 0;
  int32_t m_HeldItem = 0;  // index into the stage's placed items; -1 none
  int8_t m_PalKind = 0;
  int16_t m_PalIndex = 0;
  cVector<int8_t> m_Inherit;
  std::string m_Name;
  cVector<cCond> m_Conds;
  int8_t m_CondMode = 0;
  int8_t m_CondLatch = 0;
  int8_t m_Facing = 0;  // 0 left, 1 right
  int8_t m_CopyCount = 0;
  int16_t m_CopyOriginX = 0;
  int16_t m_CopyStepX = 0;
  int16_t m_CopyOriginY = 0;
  int16_t m_CopyStepY = 0;
  int8_t m_CopyMirrorX = 0;
  int8_t m_CopyMirrorY = 0;
  int16_t m_GfxIndex = 0;
  int8_t m_GfxKind = 1;
  int16_t m_GfxPattern = 0;
  int16_t m_AnimeSet = 0;
  int8_t m_Z = 3;
  int8_t m_Transparent = 0;
  int16_t m_CharaEffect = 0;
  int8_t m_CharaEffectArg1 = 0;  // files from 196 on
  int8_t m_CharaEffectArg2 = 1;
  int16_t m_CharaEffect2 = 0;
  int8_t m_CharaEffect2Arg = 0;  // files from 196 on
  int8_t m_EmblemSwitch = 0;
  int16_t m_Emblem = 0;
  int8_t m_Control = 1;  // 0 player, 1 computer
  int8_t m_PlayerNo = 0;
  int8_t m_Faction = 1;
  int8_t m_CharaId = 0;
  int8_t m_Fly = 0;
  int8_t m_FixedFacing = 1;
  int8_t m_Invincible = 0;
  int8_t m_DrawSwitch = 0;  // files from 285 on; older ones mean 1
  int8_t m_BlockChara = 0;
  int8_t m_Size = 1;
  int8_t m_ScrollSync = 0;  // files from 210 on
  int8_t m_ViewShape = 0;
  int8_t m_ViewRange = 0;
  int32_t m_MaxHp = 10;
  int32_t m_MaxSp = 0;
  int16_t m_StopEase = 10;
  int8_t m_HitBox = 0;  // files from 201 on
  int32_t m_BodyPower = 0;
  int8_t m_BodyImpact = 0;
  int16_t m_EffectNo = 0;
  int32_t m_Defence = 0;  // files from 168 on
  int8_t m_ImpactResist = 0;
  int32_t m_Score = 0;
  int8_t m_Switch = 1;
  int8_t m_InGroup = 0;
  int16_t m_GroupNo = 0;
  int8_t m_ActiveRange = 0;
  int8_t m_ActiveMode = 0;
  cVector<cFlow> m_Flows;

  cCharaDef();

  // Clears the registered fields and sets the defaults with 37 flags; the
  // map place, held item, conditions and flows stay.
  void SetDefaults();

  void RegisterFields(uint32_t version) override;
  bool Read(cRecordReader& r) override;
  bool Write(cRecordWriter& w) override { return Write(w, DefaultReadContext()); }
  bool Write(cRecordWriter& w, const cReadContext& context);

  void Validate(const cReadContext& context = DefaultReadContext());
  void ValidateCommandRefs(const cReadContext& context = DefaultReadContext());
  void InheritFromPalette(const cReadContext& context = DefaultReadContext());

  // Offset of copy n of a placement: n * step + origin, negated when the
  // character faces right (1) and the axis is mirrored.
  double CalcX(int n, int facing) const;
  double CalcY(int n, int facing) const;
};
