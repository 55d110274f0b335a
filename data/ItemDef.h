#pragma once
// Item definitions: things in the stage a character can take, with the
// commands that run on the taker.
#include <cstddef>
#include <cstdint>
#include <string>

#include "base/SerialRecord.h"
#include "data/BlockDef.h"
#include "data/Cond.h"
#include "data/FlowCmd.h"
#include "data/ReadContext.h"

class cItemDef : public cSerialRecord {
 public:
  static constexpr size_t kInheritGroups = 13;

  int16_t m_Col = 0;
  int16_t m_Row = 0;
  int8_t m_PalKind = 0;
  int16_t m_PalIndex = 0;
  cVector<int8_t> m_Inherit;
  std::string m_Name;
  cVector<cCond> m_Conds;
  int8_t m_CondMode = 0;
  int8_t m_CondLatch = 0;
  int16_t m_ItemValue1 = 0;
  int16_t m_ItemValue2 = 0;
  int16_t m_GfxIndex = 0;
  int8_t m_GfxKind = 2;
  int16_t m_GfxPattern = 0;
  int8_t m_ItemByte = 6;
  int8_t m_Hidden = 0;
  int8_t m_Overlay = 0;
  int16_t m_OverlayChip = 0;
  int8_t m_PickUp = 0;  // 0 once, 1 any number of times, 2 never
  int8_t m_ShowOnTake = 1;
  int8_t m_Size = 1;
  int16_t m_Sound = 0;
  cVector<cFlowCmd> m_Commands;

  cItemDef();

  // Clears the registered fields, 13 flags, the defaults; the map place,
  // conditions and commands stay.
  void SetDefaults();

  void RegisterFields(uint32_t version) override;
  bool Read(cRecordReader& r) override;
  bool Write(cRecordWriter& w) override { return Write(w, DefaultReadContext()); }
  bool Write(cRecordWriter& w, const cReadContext& context);

  void Validate(const cReadContext& context = DefaultReadContext());
  void ValidateCommandRefs(const cReadContext& context = DefaultReadContext());
  void InheritFromPalette(const cReadContext& context = DefaultReadContext());
};

// The item definition at `index` of the common (kind 1) or stage (kind 2)
// palette's item list; null for another kind or an index out of range.
const cItemDef* GetPaletteItemDef(int kind, int16_t index, const cReadContext& context = DefaultReadContext());
