#pragma once
// The common palette: the project-wide lists of block, character and item
// definitions that every stage may refer to (data\CommonPalette.cplt4).
#include "base/SerialRecord.h"
#include "data/BlockDef.h"
#include "data/CharaDef.h"
#include "data/ItemDef.h"
#include "data/ReadContext.h"

class cCommonPalette : public cSerialRecord {
 public:
  cVector<cBlockDef> m_Blocks;
  cVector<cCharaDef> m_Charas;
  cVector<cItemDef> m_Items;

  // One default entry per list.
  cCommonPalette();

  void RegisterFields(uint32_t) override { ResetFields(); }
  bool Read(cRecordReader& r) override;
  bool Write(cRecordWriter& w) override;

  // At least two entries per list, then every entry's reference checks.
  void Validate(const cReadContext& context = DefaultReadContext());

  // One list: u32 n, then n bodies read in place, so an entry that names a
  // lower entry of its own list takes what was already read.
  static bool ReadBlocks(cVector<cBlockDef>& list, cRecordReader& r);
  static bool ReadCharas(cVector<cCharaDef>& list, cRecordReader& r);
  static bool ReadItems(cVector<cItemDef>& list, cRecordReader& r);

  SERIAL_RECORD_COPYABLE(cCommonPalette)
};

extern cCommonPalette CommonPalette;

// The palette a reader or check consults: the context's, else the program-wide one.
const cCommonPalette& CommonPaletteOf(const cReadContext& context);
cReadContext::PaletteCounts PaletteCountsOf(const cCommonPalette& palette);

// Empties a definition list and refills it with n default entries of its kind.
void ResetDefList(cVector<cBlockDef>& list, size_t n);
void ResetDefList(cVector<cCharaDef>& list, size_t n);
void ResetDefList(cVector<cItemDef>& list, size_t n);

// Smallest file body of each kind: field and string counts, the map place,
// the flag count, the condition count and (characters) the flow count or
// (items) the command count.
constexpr size_t kMinBlockBody = 20;
constexpr size_t kMinCharaBody = 28;
constexpr size_t kMinItemBody = 24;

// Reads u32 n, then n bodies. A palette list is read in place, after filling
// it with n default entries, so an entry that names a lower entry of the same
// list inherits what was already read. A placed list (placedWord: every body
// follows a u32 that is skipped) never names itself: its entries are read
// into a fresh list, each starting as a copy of one default entry, which
// replaces the list once all were read. A cancelled load (see
// cReadContext::cancel) stops it.
template <class Def>
bool ReadDefList(cVector<Def>& list, cRecordReader& r, size_t minBody, bool placedWord) {
  uint32_t n = 0;
  const size_t minEach = minBody + (placedWord ? 4 : 0);
  if (!r.ReadCount(n, minEach)) return false;
  const cReadContext& context = ContextOf(r);
  if (!placedWord) {
    ResetDefList(list, n);
    for (uint32_t i = 0; i < n; ++i) {
      if (context.Cancelled()) return r.Fail("read abandoned");
      if (!list[i].Read(r)) return false;
    }
    return r.Ok();
  }
  cVector<Def> fresh;
  ReserveForRecords(fresh, n, minEach);
  const Def blank;
  for (uint32_t i = 0; i < n; ++i) {
    if (context.Cancelled()) return r.Fail("read abandoned");
    if (!r.Skip(4)) return false;
    fresh.push_back(blank);
    if (!fresh.back().Read(r)) return false;
  }
  if (!r.Ok()) return false;
  list = std::move(fresh);
  return true;
}

