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
  AddChar(&m_PalKind);
  AddShort(&m_PalIndex);
  AddString(&m_Name);
  AddChar(&m_CondMode);
  AddChar(&m_CondLatch);
  AddShort(&m_GfxIndex);
  AddChar(&m_GfxKind);
  AddShort(&m_GfxPattern);
  AddChar(&m_Front);
  AddChar(&m_Hidden);
  AddChar(&m_Overlay);
  AddShort(&m_OverlayChip);
  AddChar(&m_Hit);
  AddChar(&m_HitException);
  AddChar(&m_Effect);
  AddInt(&m_EffectValue);
  AddChar(&m_ItemKind);
  AddShort(&m_ItemIndex);
  AddChar(&m_Fixed);
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
  const cBlockDef* src = FindInheritSource<cBlockDef>(m_PalKind, m_PalIndex, CommonPaletteOf(context).m_Blocks,
                                                       StageOf(context).m_PaletteBlocks);
  if (!src) return;
  const cBlockDef& s = *src;
  CopyFlaggedGroups(*this, s, kInheritGroups, [&](size_t group) {
    switch (group) {
      case 0: m_Name = s.m_Name; break;
      case 1:
        m_Conds = s.m_Conds;
        m_CondMode = s.m_CondMode;
        m_CondLatch = s.m_CondLatch;
        break;
      case 2:
        m_GfxKind = s.m_GfxKind;
        m_GfxIndex = s.m_GfxIndex;
        m_GfxPattern = s.m_GfxPattern;
        break;
      case 3: m_Front = s.m_Front; break;
      case 4: m_Hidden = s.m_Hidden; break;
      case 5:
        m_Overlay = s.m_Overlay;
        m_OverlayChip = s.m_OverlayChip;
        break;
      case 6: m_Hit = s.m_Hit; break;
      case 7: m_HitException = s.m_HitException; break;
      case 8:
        m_Effect = s.m_Effect;
        m_EffectValue = s.m_EffectValue;
        break;
      case 9:
        m_ItemKind = s.m_ItemKind;
        m_ItemIndex = s.m_ItemIndex;
        break;
      case 10: m_Fixed = s.m_Fixed; break;
      default: break;
    }
  });
}
