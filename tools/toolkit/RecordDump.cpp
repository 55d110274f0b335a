#include "tools/toolkit/RecordDump.h"

#include <algorithm>
#include <cstring>

namespace tools {
namespace {

template <class T>
T Element(const void* base, int i) {
  T v;
  std::memcpy(&v, static_cast<const unsigned char*>(base) + static_cast<size_t>(i) * sizeof(T), sizeof(T));
  return v;
}

void DumpElement(cJsonWriter& j, const cSerialRecord::FieldEntry& f, int i) {
  using Kind = cSerialRecord::ValueKind;
  switch (f.elementSize) {
    case 1:
      if (f.kind == Kind::Unsigned)
        j.UInt(Element<uint8_t>(f.address, i));
      else
        j.Int(Element<int8_t>(f.address, i));
      break;
    case 2:
      if (f.kind == Kind::Unsigned)
        j.UInt(Element<uint16_t>(f.address, i));
      else
        j.Int(Element<int16_t>(f.address, i));
      break;
    case 4:
      if (f.kind == Kind::Float)
        j.Double(Element<float>(f.address, i));
      else if (f.kind == Kind::Unsigned)
        j.UInt(Element<uint32_t>(f.address, i));
      else
        j.Int(Element<int32_t>(f.address, i));
      break;
    case 8:
      if (f.kind == Kind::Float)
        j.Double(Element<double>(f.address, i));
      else if (f.kind == Kind::Unsigned)
        j.UInt(Element<uint64_t>(f.address, i));
      else
        j.Int(Element<int64_t>(f.address, i));
      break;
    default: {
      // A structure stored whole: its bytes.
      const auto* bytes = static_cast<const unsigned char*>(f.address) + static_cast<size_t>(i) * f.elementSize;
      j.BeginArray(true);
      for (int b = 0; b < f.elementSize; ++b) j.UInt(bytes[b]);
      j.EndArray();
      break;
    }
  }
}

template <class T>
void DumpNumbers(cJsonWriter& j, const char* key, const cVector<T>& v) {
  j.Key(key);
  j.BeginArray(true);
  for (T x : v) j.Int(x);
  j.EndArray();
}

void DumpTexts(cJsonWriter& j, const char* key, const cVector<std::string>& v) {
  j.Key(key);
  j.BeginArray();
  for (const std::string& text : v) j.Cp932String(text);
  j.EndArray();
}

// The condition group every definition holds.
void DumpCondGroup(cJsonWriter& j, cVector<int8_t>& inherit, cVector<cCond>& conds) {
  DumpNumbers(j, "m_Inherit", inherit);
  DumpVector(j, "m_Conds", conds);
}

// The map place of a placed definition (kept in palette entries too).
void DumpPlace(cJsonWriter& j, int16_t col, int16_t row) {
  j.Key("m_Col");
  j.Int(col);
  j.Key("m_Row");
  j.Int(row);
}

}  // namespace

void DumpFieldTable(cJsonWriter& j, cSerialRecord& record) {
  record.RegisterFields(dwDataVersion);
  int unnamed = 0;
  for (const auto& f : record.Fields()) {
    std::string key = f.name ? f.name : "field" + std::to_string(unnamed);
    ++unnamed;
    j.Key(key);
    if (f.count == 1) {
      DumpElement(j, f, 0);
    } else {
      j.BeginArray(true);
      for (int i = 0; i < f.count; ++i) DumpElement(j, f, i);
      j.EndArray();
    }
  }
  int strings = 0;
  for (const auto& s : record.Strings()) {
    j.Key(s.name ? std::string(s.name) : "string" + std::to_string(strings));
    ++strings;
    j.Cp932String(*s.string);
  }
}

void DumpExtras(cJsonWriter& j, cAnime& r) { DumpVector(j, "m_Frames", r.m_Frames); }
void DumpExtras(cJsonWriter& j, cAnimeSet& r) {
  cVector<cAnime> animes = r.m_Animes.Get();  // a shared list is never changed, not even by dumping
  DumpVector(j, "m_Animes", animes);
}
void DumpExtras(cJsonWriter& j, cSwordType& r) { DumpVector(j, "m_SwordFrames", r.m_SwordFrames); }
void DumpExtras(cJsonWriter& j, cEffect& r) { DumpVector(j, "m_EffectFrames", r.m_EffectFrames); }
void DumpExtras(cJsonWriter& j, cCondList& r) { DumpVector(j, "m_Conds", r.m_Conds); }

void DumpExtras(cJsonWriter& j, cKeyCond& r) { DumpNumbers(j, "m_KeyStates", r.m_KeyStates); }

void DumpExtras(cJsonWriter& j, cFlow& r) {
  DumpVector(j, "m_Conds", r.m_Conds);
  DumpVector(j, "m_KeyConds", r.m_KeyConds);
  DumpVector(j, "m_Cmds", r.m_Cmds);
}

void DumpExtras(cJsonWriter& j, cFlowCmd& r) {
  DumpOptional(j, "m_pMove", r.m_pMove);
  DumpOptional(j, "m_pShot", r.m_pShot);
  DumpOptional(j, "m_pCondList", r.m_pCondList);
  DumpVector(j, "m_SubFlows", r.m_SubFlows);
  DumpNumbers(j, "m_Params", r.m_Params);
}

void DumpExtras(cJsonWriter& j, cBlockDef& r) {
  DumpPlace(j, r.m_Col, r.m_Row);
  DumpCondGroup(j, r.m_Inherit, r.m_Conds);
}

void DumpExtras(cJsonWriter& j, cCharaDef& r) {
  DumpPlace(j, r.m_Col, r.m_Row);
  j.Key("m_HeldItem");
  j.Int(r.m_HeldItem);
  DumpCondGroup(j, r.m_Inherit, r.m_Conds);
  DumpVector(j, "m_Flows", r.m_Flows);
}

void DumpExtras(cJsonWriter& j, cItemDef& r) {
  DumpPlace(j, r.m_Col, r.m_Row);
  DumpCondGroup(j, r.m_Inherit, r.m_Conds);
  DumpVector(j, "m_Commands", r.m_Commands);
}

void DumpExtras(cJsonWriter& j, cCommonPalette& r) {
  DumpVector(j, "m_Blocks", r.m_Blocks);
  DumpVector(j, "m_Charas", r.m_Charas);
  DumpVector(j, "m_Items", r.m_Items);
}

void DumpExtras(cJsonWriter& j, cStage& r) {
  DumpNumbers(j, "m_RankFlags", r.m_RankFlags);
  j.Key("m_RemoveAreas");
  j.BeginArray();
  for (cRemoveArea& area : r.m_RemoveAreas) DumpRecord(j, area);
  j.EndArray();
  DumpVector(j, "m_PaletteBlocks", r.m_PaletteBlocks);
  DumpVector(j, "m_PaletteCharas", r.m_PaletteCharas);
  DumpVector(j, "m_PaletteItems", r.m_PaletteItems);
  DumpVector(j, "m_PlacedBlocks", r.m_PlacedBlocks);
  DumpVector(j, "m_PlacedCharas", r.m_PlacedCharas);
  DumpVector(j, "m_PlacedItems", r.m_PlacedItems);
  DumpVector(j, "m_BackLayers", r.m_BackLayers);
  // A thousand names, nearly all empty: one line of texts.
  j.Key("m_VarNames");
  j.BeginArray(true);
  for (cVarName& name : r.m_VarNames) j.Cp932String(name.m_Name);
  j.EndArray();
}

}  // namespace tools

namespace tools {

void DumpExtras(cJsonWriter& j, cMenuSetting& r) { DumpNumbers(j, "m_Categories", r.m_Categories); }

void DumpExtras(cJsonWriter& j, cSystem& r) {
  DumpNumbers(j, "m_CarryEnabled", r.m_CarryEnabled);
  DumpNumbers(j, "m_CarryDropOnMiss", r.m_CarryDropOnMiss);
  DumpVector(j, "m_StatusItems", r.m_StatusItems);
  DumpNumbers(j, "m_InitialLives", r.m_InitialLives);
  DumpNumbers(j, "m_InfiniteLives", r.m_InfiniteLives);
  DumpVector(j, "m_Results", r.m_Results);
  DumpTexts(j, "m_Labels", r.m_Labels);
  DumpTexts(j, "m_SystemSounds", r.m_SystemSounds);
  DumpNumbers(j, "m_SceneBgm", r.m_SceneBgm);
  DumpNumbers(j, "m_SceneBgmLoop", r.m_SceneBgmLoop);
  DumpVector(j, "m_TitleMenu", r.m_TitleMenu);
  DumpVector(j, "m_MapMenu", r.m_MapMenu);
  DumpVector(j, "m_OptionMenu", r.m_OptionMenu);
  DumpTexts(j, "m_RankModeLabels", r.m_RankModeLabels);
  DumpVector(j, "m_IniKeys", r.m_IniKeys);
}

void DumpExtras(cJsonWriter& j, cWorldPoint& r) { DumpVector(j, "m_Nodes", r.m_Nodes); }

void DumpExtras(cJsonWriter& j, cWorldMap& r) {
  DumpVector(j, "m_Chips", r.m_Chips);
  // The cells row by row, one line each (the row pitch may exceed the width).
  j.Key("m_Cells");
  j.BeginArray();
  const size_t pitch = r.m_Pitch > 0 ? static_cast<size_t>(r.m_Pitch) : r.m_Cells.size();
  for (size_t row = 0; pitch && row * pitch < r.m_Cells.size(); ++row) {
    j.BeginArray(true);
    for (size_t i = row * pitch; i < std::min(r.m_Cells.size(), (row + 1) * pitch); ++i) j.Int(r.m_Cells[i]);
    j.EndArray();
  }
  j.EndArray();
  DumpVector(j, "m_Points", r.m_Points);
  DumpVector(j, "m_ExtraPoints", r.m_ExtraPoints);
}

void DumpExtras(cJsonWriter& j, cCarryStatus& r) {
  j.Key("m_CarryDef");
  DumpRecord(j, r.m_CarryDef);
}

void DumpExtras(cJsonWriter& j, cSaveData& r) {
  const cSavedTime& t = r.m_SavedTime;
  j.Key("m_SavedTime");
  j.BeginArray(true);
  for (uint16_t v : {t.wYear, t.wMonth, t.wDayOfWeek, t.wDay, t.wHour, t.wMinute, t.wSecond, t.wMilliseconds})
    j.UInt(v);
  j.EndArray();
  DumpNumbers(j, "m_CarryFlags", r.m_CarryFlags);
  DumpVector(j, "m_Carry", r.m_Carry);
  DumpVector(j, "m_StageRecords", r.m_StageRecords);
  DumpVector(j, "m_ChallengeRecords", r.m_ChallengeRecords);
  DumpNumbers(j, "m_Switches", r.m_Switches);
  DumpNumbers(j, "m_Vars", r.m_Vars);
}

void DumpExtras(cJsonWriter& j, cReplay& r) {
  DumpNumbers(j, "m_DirValues", r.m_DirValues);
  DumpNumbers(j, "m_ButtonValues", r.m_ButtonValues);
  DumpNumbers(j, "m_DirRuns", r.m_DirRuns);
  DumpNumbers(j, "m_ButtonRuns", r.m_ButtonRuns);
}

void DumpExtras(cJsonWriter& j, cRankTable& r) { DumpVector(j, "m_Rows", r.m_Rows); }
void DumpExtras(cJsonWriter& j, cRanking& r) { DumpVector(j, "m_Tables", r.m_Tables); }

}  // namespace tools
