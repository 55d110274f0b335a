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
  AddChar(&m_PalKind, 1, "m_PalKind");
  AddShort(&m_PalIndex, 1, "m_PalIndex");
  AddString(&m_Name, "m_Name");
  AddChar(&m_CondMode, 1, "m_CondMode");
  AddChar(&m_CondLatch, 1, "m_CondLatch");
  AddShort(&m_ItemValue1, 1, "m_ItemValue1");
  AddShort(&m_ItemValue2, 1, "m_ItemValue2");
  AddShort(&m_GfxIndex, 1, "m_GfxIndex");
  AddChar(&m_GfxKind, 1, "m_GfxKind");
  AddShort(&m_GfxPattern, 1, "m_GfxPattern");
  AddChar(&m_ItemByte, 1, "m_ItemByte");
  AddChar(&m_Hidden, 1, "m_Hidden");
  AddChar(&m_Overlay, 1, "m_Overlay");
  AddShort(&m_OverlayChip, 1, "m_OverlayChip");
  // Stored before the pick-up kind, unlike the order in memory.
  AddChar(&m_ShowOnTake, 1, "m_ShowOnTake");
  AddChar(&m_PickUp, 1, "m_PickUp");
  AddChar(&m_Size, 1, "m_Size");
  AddShort(&m_Sound, 1, "m_Sound");
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
  using D = cItemDef;
  static constexpr InheritGroup<D> kGroups[] = {
      kInheritMembers<&D::m_Name>,
      kInheritMembers<&D::m_Conds, &D::m_CondMode, &D::m_CondLatch>,
      kInheritMembers<&D::m_ItemValue1>,
      kInheritMembers<&D::m_ItemValue2>,
      kInheritMembers<&D::m_GfxKind, &D::m_GfxIndex, &D::m_GfxPattern>,
      kInheritMembers<&D::m_ItemByte>,
      kInheritMembers<&D::m_Hidden>,
      kInheritMembers<&D::m_Overlay, &D::m_OverlayChip>,
      kInheritMembers<&D::m_Size>,
      kInheritMembers<&D::m_PickUp>,
      kInheritMembers<&D::m_ShowOnTake>,
      kInheritMembers<&D::m_Sound>,
      kInheritMembers<&D::m_Commands>,  // cFlowCmd copies deeply
  };
  static_assert(std::size(kGroups) == kInheritGroups);
  InheritFromPaletteEntry(*this, CommonPaletteOf(context).m_Items, StageOf(context).m_PaletteItems, kGroups);
}

const cItemDef* GetPaletteItemDef(int kind, int16_t index, const cReadContext& context) {
  const cVector<cItemDef>* list = kind == PAL_COMMON  ? &CommonPaletteOf(context).m_Items
                                  : kind == PAL_STAGE ? &StageOf(context).m_PaletteItems
                                                      : nullptr;
  if (!list || !PaletteIndexInRange(index, list->size())) return nullptr;
  return &(*list)[static_cast<size_t>(index)];
}
