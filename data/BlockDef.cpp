#include "data/BlockDef.h"

#include <algorithm>

#include "data/CommonPalette.h"
#include "data/Stage.h"

cBlockDef::cBlockDef() { SetDefaults(); }

void cBlockDef::SetDefaults() {
  Clear();
  m_Hit = 1;
  m_HitException = 255;
  m_GfxIndex = 0;
  m_Inherit.assign(kInheritGroups, 0);
}

void cBlockDef::RegisterFields(uint32_t) {
  ResetFields();
  AddChar(&m_PalKind, 1, "m_PalKind");
  AddShort(&m_PalIndex, 1, "m_PalIndex");
  AddString(&m_Name, "m_Name");
  AddChar(&m_CondMode, 1, "m_CondMode");
  AddChar(&m_CondLatch, 1, "m_CondLatch");
  AddShort(&m_GfxIndex, 1, "m_GfxIndex");
  AddChar(&m_GfxKind, 1, "m_GfxKind");
  AddShort(&m_GfxPattern, 1, "m_GfxPattern");
  AddChar(&m_Front, 1, "m_Front");
  AddChar(&m_Hidden, 1, "m_Hidden");
  AddChar(&m_Overlay, 1, "m_Overlay");
  AddShort(&m_OverlayChip, 1, "m_OverlayChip");
  AddChar(&m_Hit, 1, "m_Hit");
  AddChar(&m_HitException, 1, "m_HitException");
  AddChar(&m_Effect, 1, "m_Effect");
  AddInt(&m_EffectValue, 1, "m_EffectValue");
  AddChar(&m_ItemKind, 1, "m_ItemKind");
  AddShort(&m_ItemIndex, 1, "m_ItemIndex");
  AddChar(&m_Fixed, 1, "m_Fixed");
}

bool ReadInheritFlags(cVector<int8_t>& flags, cRecordReader& r) {
  uint32_t n = 0;
  if (!r.ReadCount(n, 1)) return false;
  flags.assign(n, 0);
  return n == 0 || r.ReadBytes(flags.data(), n);
}

void WriteInheritFlags(const cVector<int8_t>& flags, cRecordWriter& w) {
  w.WriteU32(static_cast<uint32_t>(flags.size()));
  if (!flags.empty()) w.WriteBytes(flags.data(), flags.size());
}

void FixOldShotPicture(int8_t gfxKind, int16_t& gfxIndex, uint32_t version) {
  if (version < 219 && gfxKind == 3) gfxIndex = static_cast<int16_t>(std::min(gfxIndex + 1, 119));
}

bool cBlockDef::Read(cRecordReader& r) {
  if (!cSerialRecord::Read(r)) return false;
  if (!r.ReadValue(m_Col) || !r.ReadValue(m_Row)) return false;
  if (!ReadInheritFlags(m_Inherit, r)) return false;
  if (!ReadCondVector(m_Conds, r)) return false;
  FixOldShotPicture(m_GfxKind, m_GfxIndex, r.Version());
  const cReadContext& context = ContextOf(r);
  InheritFromPalette(context);
  ValidatePaletteRef(context);
  return r.Ok();
}

bool cBlockDef::Write(cRecordWriter& w, const cReadContext& context) {
  ValidatePaletteRef(context);
  cSerialRecord::Write(w);
  w.WriteValue(m_Col);
  w.WriteValue(m_Row);
  WriteInheritFlags(m_Inherit, w);
  WriteCondVector(m_Conds, w);
  return true;
}

void cBlockDef::ValidatePaletteRef(const cReadContext& context) {
  CheckPaletteRef(m_PalKind, m_PalIndex, CommonPaletteOf(context).m_Blocks.size(),
                  StageOf(context).m_PaletteBlocks.size());
  // An empty block is never solid and never kept against placements.
  if (m_GfxIndex == 0) {
    m_Hit = 0;
    m_Fixed = 0;
  }
}

void cBlockDef::ValidateItemRef(const cReadContext& context) {
  CheckPaletteRef(m_ItemKind, m_ItemIndex, CommonPaletteOf(context).m_Items.size(),
                  StageOf(context).m_PaletteItems.size());
}

void cBlockDef::InheritFromPalette(const cReadContext& context) {
  using D = cBlockDef;
  static constexpr InheritGroup<D> kGroups[] = {
      kInheritMembers<&D::m_Name>,
      kInheritMembers<&D::m_Conds, &D::m_CondMode, &D::m_CondLatch>,
      kInheritMembers<&D::m_GfxKind, &D::m_GfxIndex, &D::m_GfxPattern>,
      kInheritMembers<&D::m_Front>,
      kInheritMembers<&D::m_Hidden>,
      kInheritMembers<&D::m_Overlay, &D::m_OverlayChip>,
      kInheritMembers<&D::m_Hit>,
      kInheritMembers<&D::m_HitException>,
      kInheritMembers<&D::m_Effect, &D::m_EffectValue>,
      kInheritMembers<&D::m_ItemKind, &D::m_ItemIndex>,
      kInheritMembers<&D::m_Fixed>,
  };
  static_assert(std::size(kGroups) == kInheritGroups);
  InheritFromPaletteEntry(*this, CommonPaletteOf(context).m_Blocks, StageOf(context).m_PaletteBlocks, kGroups);
}
