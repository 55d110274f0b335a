#include "data/CommonPalette.h"

#include "data/Stage.h"

cCommonPalette CommonPalette;

const cCommonPalette& CommonPaletteOf(const cReadContext& context) {
  return context.commonPalette ? *context.commonPalette : CommonPalette;
}

cReadContext::PaletteCounts PaletteCountsOf(const cCommonPalette& palette) {
  return {static_cast<int>(palette.m_Blocks.size()), static_cast<int>(palette.m_Charas.size()),
          static_cast<int>(palette.m_Items.size())};
}

// The entries are copies of one default record: a copy starts with empty
// field tables (registered when first used), which keeps a long list cheap.
void ResetDefList(cVector<cBlockDef>& list, size_t n) {
  list.clear();
  list.assign(n, cBlockDef());
}

void ResetDefList(cVector<cCharaDef>& list, size_t n) {
  list.clear();
  list.assign(n, cCharaDef());
}

void ResetDefList(cVector<cItemDef>& list, size_t n) {
  list.clear();
  list.assign(n, cItemDef());
}

cCommonPalette::cCommonPalette() {
  ResetDefList(m_Blocks, 1);
  ResetDefList(m_Charas, 1);
  ResetDefList(m_Items, 1);
}

bool cCommonPalette::ReadBlocks(cVector<cBlockDef>& list, cRecordReader& r) {
  return ReadDefList(list, r, kMinBlockBody, false);
}
bool cCommonPalette::ReadCharas(cVector<cCharaDef>& list, cRecordReader& r) {
  return ReadDefList(list, r, kMinCharaBody, false);
}
bool cCommonPalette::ReadItems(cVector<cItemDef>& list, cRecordReader& r) {
  return ReadDefList(list, r, kMinItemBody, false);
}

namespace {
// Pads a list to two entries with defaults.
template <class Def>
void PadToTwo(cVector<Def>& list) {
  while (list.size() < 2) list.emplace_back();
}
}  // namespace

bool cCommonPalette::Read(cRecordReader& r) {
  if (!cSerialRecord::Read(r)) return false;
  // The entries of this palette inherit from this palette as it is being read.
  cReadContext context = ContextOf(r);
  context.commonPalette = this;
  cReadContext* outer = r.Context();
  r.SetContext(&context);
  bool ok = ReadBlocks(m_Blocks, r) && ReadCharas(m_Charas, r) && ReadItems(m_Items, r);
  r.SetContext(outer);
  if (!ok) return false;

  // Entry 0 is the blank entry; its conditions, flows and commands stay as read.
  if (!m_Blocks.empty()) m_Blocks[0].SetDefaults();
  if (!m_Charas.empty()) {
    m_Charas[0].m_HeldItem = 0;
    m_Charas[0].SetDefaults();
  }
  if (!m_Items.empty()) m_Items[0].SetDefaults();

  // The palette is a source only: its entries inherit nothing later on.
  for (auto& e : m_Blocks) e.m_Inherit.Fill(0);
  for (auto& e : m_Charas) e.m_Inherit.Fill(0);
  for (auto& e : m_Items) e.m_Inherit.Fill(0);

  Validate(context);
  return r.Ok();
}

bool cCommonPalette::Write(cRecordWriter& w) {
  cReadContext context = DefaultReadContext();
  context.commonPalette = this;
  Validate(context);
  cSerialRecord::Write(w);
  w.WriteU32(static_cast<uint32_t>(m_Blocks.size()));
  for (auto& e : m_Blocks) e.Write(w, context);
  w.WriteU32(static_cast<uint32_t>(m_Charas.size()));
  for (auto& e : m_Charas) e.Write(w, context);
  w.WriteU32(static_cast<uint32_t>(m_Items.size()));
  for (auto& e : m_Items) e.Write(w, context);
  return true;
}

void cCommonPalette::Validate(const cReadContext& outer) {
  cReadContext context = outer;
  context.commonPalette = this;
  PadToTwo(m_Blocks);
  PadToTwo(m_Charas);
  PadToTwo(m_Items);
  for (auto& e : m_Blocks) {
    e.ValidatePaletteRef(context);
    e.ValidateItemRef(context);
  }
  for (auto& e : m_Charas) {
    e.Validate(context);
    e.ValidateCommandRefs(context);
  }
  for (auto& e : m_Items) {
    e.Validate(context);
    e.ValidateCommandRefs(context);
  }
}
