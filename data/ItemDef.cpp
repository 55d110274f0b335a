#include "data/ItemDef.h"

#include "data/CommonPalette.h"
#include "data/Stage.h"

cItemDef::cItemDef() { SetDefaults(); }

void cItemDef::SetDefaults() {
  Clear();
  m_Inherit.assign(kInheritGroups, 0);
  m_GfxKind = 2;
  m_ItemByte = 6;
  m_ShowOnTake = 1;
  m_Size = 1;
}

void cItemDef::RegisterFields(uint32_t) {
  ResetFields();
  AddChar(&m_PalKind);
  AddShort(&m_PalIndex);
  AddString(&m_Name);
  AddChar(&m_CondMode);
  AddChar(&m_CondLatch);
  AddShort(&m_ItemValue1);
  AddShort(&m_ItemValue2);
  AddShort(&m_GfxIndex);
  AddChar(&m_GfxKind);
  AddShort(&m_GfxPattern);
  AddChar(&m_ItemByte);
  AddChar(&m_Hidden);
  AddChar(&m_Overlay);
  AddShort(&m_OverlayChip);
  // Stored before the pick-up kind, unlike the order in memory.
  AddChar(&m_ShowOnTake);
  AddChar(&m_PickUp);
  AddChar(&m_Size);
  AddShort(&m_Sound);
}

bool cItemDef::Read(cRecordReader& r) {
  if (!cSerialRecord::Read(r)) return false;
  if (!r.ReadValue(m_Col) || !r.ReadValue(m_Row)) return false;
  if (!ReadInheritFlags(m_Inherit, r)) return false;
  if (!ReadCondVector(m_Conds, r)) return false;
  if (!ReadCmdVector(m_Commands, r)) return false;
  FixOldShotPicture(m_GfxKind, m_GfxIndex, r.Version());
  const cReadContext& context = ContextOf(r);
  InheritFromPalette(context);
  Validate(context);
  return r.Ok();
}

bool cItemDef::Write(cRecordWriter& w, const cReadContext& context) {
  Validate(context);
  cSerialRecord::Write(w);
  w.WriteValue(m_Col);
  w.WriteValue(m_Row);
  WriteInheritFlags(m_Inherit, w);
  WriteCondVector(m_Conds, w);
  WriteCmdVector(m_Commands, w);
  return true;
}

void cItemDef::Validate(const cReadContext& context) {
  CheckPaletteRef(m_PalKind, m_PalIndex, CommonPaletteOf(context).m_Items.size(),
                  StageOf(context).m_PaletteItems.size());
  if (m_Size <= 0) m_Size = 1;
  const int sounds = context.DbCount(DbList::Sound);
  if (sounds >= 0 && static_cast<uint16_t>(m_Sound) >= sounds) m_Sound = 0;
  for (cFlowCmd& cmd : m_Commands) cmd.Validate(context);
}

void cItemDef::ValidateCommandRefs(const cReadContext& context) {
  const auto common = PaletteCountsOf(CommonPaletteOf(context));
  const auto stage = PaletteCountsOf(StageOf(context));
  for (cFlowCmd& cmd : m_Commands) cmd.CheckPaletteRefs(common, stage);
}

void cItemDef::InheritFromPalette(const cReadContext& context) {
  const cItemDef* src = FindInheritSource<cItemDef>(m_PalKind, m_PalIndex, CommonPaletteOf(context).m_Items,
                                                     StageOf(context).m_PaletteItems);
  if (!src) return;
  const cItemDef& s = *src;
  CopyFlaggedGroups(*this, s, kInheritGroups, [&](size_t group) {
    switch (group) {
      case 0: m_Name = s.m_Name; break;
      case 1:
        m_Conds = s.m_Conds;
        m_CondMode = s.m_CondMode;
        m_CondLatch = s.m_CondLatch;
        break;
      case 2: m_ItemValue1 = s.m_ItemValue1; break;
      case 3: m_ItemValue2 = s.m_ItemValue2; break;
      case 4:
        m_GfxKind = s.m_GfxKind;
        m_GfxIndex = s.m_GfxIndex;
        m_GfxPattern = s.m_GfxPattern;
        break;
      case 5: m_ItemByte = s.m_ItemByte; break;
      case 6: m_Hidden = s.m_Hidden; break;
      case 7:
        m_Overlay = s.m_Overlay;
        m_OverlayChip = s.m_OverlayChip;
        break;
      case 8: m_Size = s.m_Size; break;
      case 9: m_PickUp = s.m_PickUp; break;
      case 10: m_ShowOnTake = s.m_ShowOnTake; break;
      case 11: m_Sound = s.m_Sound; break;
      case 12: m_Commands = s.m_Commands; break;  // cFlowCmd copies deeply
      default: break;
    }
  });
}

const cItemDef* GetPaletteItemDef(int kind, int16_t index, const cReadContext& context) {
  const cVector<cItemDef>* list = kind == PAL_COMMON  ? &CommonPaletteOf(context).m_Items
                                  : kind == PAL_STAGE ? &StageOf(context).m_PaletteItems
                                                      : nullptr;
  if (!list || !PaletteIndexInRange(index, list->size())) return nullptr;
  return &(*list)[static_cast<size_t>(index)];
}
