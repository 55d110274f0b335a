#pragma once
// Block definitions (one kind of map chip) and the palette inheritance that
// blocks, characters and items share: a definition may name an entry of the
// common palette or of the stage palette and take the property groups its
// flags select from it while it is read.
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <string>

#include "base/SerialRecord.h"
#include "data/Cond.h"
#include "data/ReadContext.h"

// Palette reference kinds (m_PalKind, and the item reference of a block).
enum : int8_t { PAL_NONE = 0, PAL_COMMON = 1, PAL_STAGE = 2 };

// A 16-bit palette index against a list size, the index taken as unsigned:
// a negative index is never in range.
inline bool PaletteIndexInRange(int32_t index, size_t count) {
  return index >= 0 && static_cast<size_t>(index) < count;
}

// The reference check of every definition kind: a reference past the end of
// the list it names becomes "none" (0, 0). Other kinds are left alone.
inline void CheckPaletteRef(int8_t& kind, int16_t& index, size_t commonCount, size_t stageCount) {
  size_t bound = 0;
  if (kind == PAL_COMMON)
    bound = commonCount;
  else if (kind == PAL_STAGE)
    bound = stageCount;
  else
    return;
  if (!PaletteIndexInRange(index, bound)) {
    kind = PAL_NONE;
    index = 0;
  }
}

// The entry a definition inherits from, or null. Entry 0 (the blank entry)
// and kind 0 name nothing; an index past the named list turns the reference
// off and keeps the index.
template <class Def, class List>
const Def* FindInheritSource(int8_t& kind, int16_t index, const List& common, const List& stage) {
  if (index == 0 || kind == PAL_NONE) return nullptr;
  const List* list = kind == PAL_COMMON ? &common : kind == PAL_STAGE ? &stage : nullptr;
  if (!list) return nullptr;
  if (!PaletteIndexInRange(index, list->size())) {
    kind = PAL_NONE;
    return nullptr;
  }
  return &(*list)[static_cast<size_t>(index)];
}

// One property group of a definition kind, by its flag's place: copies the
// group's members from the palette entry.
template <class Def>
using InheritGroup = void (*)(Def& self, const Def& source);

// A group that is a plain copy of the named members, in this order.
template <auto... Members>
inline constexpr auto kInheritMembers = [](auto& self, const auto& source) {
  ((self.*Members = source.*Members), ...);
};

// The inheritance of every definition kind: finds the entry the definition
// names and runs the kind's group for every set flag. Flags past the kind's
// table do nothing; a definition that names itself copies nothing.
template <class Def, class List, size_t N>
void InheritFromPaletteEntry(Def& self, const List& common, const List& stage, const InheritGroup<Def> (&groups)[N]) {
  const Def* source = FindInheritSource<Def>(self.m_PalKind, self.m_PalIndex, common, stage);
  if (!source || source == &self) return;
  for (size_t i = 0; i < self.m_Inherit.size() && i < N; ++i)
    if (self.m_Inherit[i]) groups[i](self, *source);
}

// Inherit flags in a file: u32 n, then n bytes (any n is kept as stored).
bool ReadInheritFlags(cVector<int8_t>& flags, cRecordReader& r);
void WriteInheritFlags(const cVector<int8_t>& flags, cRecordWriter& w);
// Files before 219 count shot pictures from 0: the number moves up by one,
// at most to 119.
void FixOldShotPicture(int8_t gfxKind, int16_t& gfxIndex, uint32_t version);

class cBlockDef : public cSerialRecord {
 public:
  static constexpr size_t kInheritGroups = 11;

  int16_t m_Col = 0;  // map place of a placed block (kept for palette entries too)
  int16_t m_Row = 0;
  int8_t m_PalKind = 0;
  int16_t m_PalIndex = 0;
  cVector<int8_t> m_Inherit;
  std::string m_Name;
  cVector<cCond> m_Conds;
  int8_t m_CondMode = 0;   // 0 all, 1 one or more
  int8_t m_CondLatch = 0;  // once the group held, it holds for good
  int16_t m_GfxIndex = 0;  // 0: empty block
  int8_t m_GfxKind = 0;    // 0 block chips, 1 chara, 2 item, 3 shot, 4 dedicated bitmap
  int16_t m_GfxPattern = 0;
  int8_t m_Front = 0;
  int8_t m_Hidden = 0;
  int8_t m_Overlay = 0;
  int16_t m_OverlayChip = 0;
  int8_t m_Hit = 1;  // 0 passes, 1 solid, 2 kills the hero
  uint8_t m_HitException = 255;  // faction that passes through; 255 none
  int8_t m_Effect = 0;
  int32_t m_EffectValue = 0;
  int8_t m_ItemKind = 0;
  int16_t m_ItemIndex = 0;
  int8_t m_Fixed = 0;

  cBlockDef();

  // Clears the registered fields and sets the defaults of a new block; the
  // map place and the conditions stay.
  void SetDefaults();

  void RegisterFields(uint32_t version) override;
  bool Read(cRecordReader& r) override;
  bool Write(cRecordWriter& w) override { return Write(w, DefaultReadContext()); }
  // The palettes the reference is checked against come from the context.
  bool Write(cRecordWriter& w, const cReadContext& context);

  void ValidatePaletteRef(const cReadContext& context = DefaultReadContext());
  void ValidateItemRef(const cReadContext& context = DefaultReadContext());
  void InheritFromPalette(const cReadContext& context = DefaultReadContext());
};
