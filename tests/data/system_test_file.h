#pragma once
// Builds System.dat images in the layout of any version, from the file
// layout table written out here on its own (not from the reader's code), so
// the reader's version gates are checked against an independent statement.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "data/System.h"
#include "tests/support/ByteBuilder.h"

namespace systest {

using Bytes = std::vector<unsigned char>;

using testsupport::ByteBuilder;

// One entry of the field block: present in files of versions from..to.
struct Entry {
  const char* name;
  uint32_t from;
  uint32_t to;
  int size;  // 4 or 1
  std::function<void*(cSystem&)> address;  // nullptr: the retired value
};

#define SYS_INT(member, from) Entry{#member, from, 0xFFFFFFFFu, 4, [](cSystem& s) -> void* { return &s.member; }}
#define SYS_KEY(i) Entry{"m_ColourKey" #i, 187, 0xFFFFFFFFu, 1, [](cSystem& s) -> void* { return &s.m_ColourKey[i]; }}

inline const std::vector<Entry>& FieldTable() {
  static const std::vector<Entry> table = {
      SYS_INT(m_ExtraLife, 185),          SYS_INT(m_ExtraLifeScore, 0),       SYS_INT(m_PauseHidesField, 0),
      SYS_INT(m_IconLetters, 0),          SYS_INT(m_FontFace, 205),           SYS_INT(m_CenterGlyph, 170),
      SYS_INT(m_KeepTestFlows, 113),      SYS_INT(m_Replay, 184),             SYS_INT(m_TitlePictureMenu, 157),
      SYS_INT(m_CarryLives, 0),           SYS_INT(m_ContinueAfterMiss, 191),  SYS_INT(m_MapShowsLives, 191),
      SYS_INT(m_ChallengeCount, 0),       SYS_INT(m_ChallengeAllOpen, 0),     SYS_INT(m_MapShowsScore, 167),
      SYS_INT(m_MapMenuShowsTotal, 167),  SYS_INT(m_RestoreStory, 188),       SYS_INT(m_PauseRetryStory, 224),
      SYS_INT(m_ChallengeShowsBest, 167), SYS_INT(m_ChallengeShowsTotal, 167), SYS_INT(m_RestoreChallenge, 188),
      SYS_INT(m_PauseRetryChallenge, 224), SYS_INT(m_RestoreFree, 188),       SYS_INT(m_RestoreStartFile, 192),
      SYS_INT(m_FullColour, 187),         SYS_KEY(0),                         SYS_KEY(1),
      SYS_KEY(2),                         SYS_INT(m_Switch214, 214),
      Entry{"retired", 221, 259, 4, nullptr},
      SYS_INT(m_Switch261, 261),          SYS_INT(m_Switch272, 272),          SYS_INT(m_Switch287, 287),
      SYS_INT(m_BlinkStep, 515),          SYS_INT(m_PaletteCycling, 289),     SYS_INT(m_PauseMapStory, 757),
      SYS_INT(m_Switch525, 525),          SYS_INT(m_Switch555, 555),          SYS_INT(m_Switch637, 637),
      SYS_INT(m_Switch669, 669),          SYS_INT(m_Switch677, 677),          SYS_INT(m_Switch695, 695),
      SYS_INT(m_Switch696, 696),          SYS_INT(m_Switch697, 697),          SYS_INT(m_Switch721, 721),
      SYS_INT(m_Switch728, 728),          SYS_INT(m_Switch733, 733),          SYS_INT(m_Switch744, 744),
      SYS_INT(m_Switch749, 749),          SYS_INT(m_Switch752, 752),          SYS_INT(m_Switch763a, 763),
      SYS_INT(m_Switch763b, 763),         SYS_INT(m_Switch768, 768),          SYS_INT(m_Switch773, 773),
      SYS_INT(m_Switch781, 781),          SYS_INT(m_Switch782, 782),          SYS_INT(m_Switch783, 783),
      SYS_INT(m_DepthFullColour, 670),    SYS_INT(m_DepthPalette, 670),
  };
  return table;
}
#undef SYS_INT
#undef SYS_KEY

inline bool Present(const Entry& e, uint32_t version) { return version >= e.from && version <= e.to; }

// The value written for the retired entry; nothing may ever hold it.
inline int32_t retiredValue = 0x5EEDBEEF;

inline void StatusItemBody(ByteBuilder& b, const cStatusItem& item, uint32_t version) {
  std::vector<int32_t> ints = {item.m_Shown, item.m_Icon, item.m_Digits};
  if (version >= 204) ints.push_back(item.m_ShowNumber);
  if (version >= 587) {
    ints.push_back(item.m_Threshold);
    ints.push_back(item.m_ThresholdPercent);
  }
  b.I32(static_cast<int32_t>(ints.size()));
  for (int32_t x : ints) b.I32(x);
  b.I32(1).Str(item.m_Label);
}

inline void CmdList(ByteBuilder& b, const cVector<cCmd>& list) {
  b.U32(static_cast<uint32_t>(list.size()));
  for (const auto& c : list) b.I32(1).I32(c.m_Enabled).I32(1).Str(c.m_Label);
}

// The file of `s` as a file of `version` would hold it.
inline Bytes Build(cSystem& s, uint32_t version) {
  ByteBuilder b;
  b.U32(version);
  int32_t n = 0;
  for (const auto& e : FieldTable()) n += Present(e, version) ? 1 : 0;
  b.I32(n);
  for (const auto& e : FieldTable()) {
    if (!Present(e, version)) continue;
    if (!e.address) {
      b.I32(retiredValue);
    } else if (e.size == 1) {
      b.U8(*static_cast<uint8_t*>(e.address(s)));
    } else {
      b.I32(*static_cast<int32_t*>(e.address(s)));
    }
  }
  b.I32(1).Str(s.m_Title);
  b.Bytes8(s.m_CarryEnabled);
  if (version >= 501) b.Bytes8(s.m_CarryDropOnMiss);
  b.U32(static_cast<uint32_t>(s.m_StatusItems.size()));
  for (const auto& item : s.m_StatusItems) StatusItemBody(b, item, version);
  b.Ints(s.m_InitialLives);
  if (version >= 191) b.Ints(s.m_InfiniteLives);
  if (version >= 186) {
    b.U32(static_cast<uint32_t>(s.m_Results.size()));
    for (const auto& r : s.m_Results) b.I32(1).I32(r.m_On).I32(0).Bytes8(r.m_Categories);
  }
  b.Strings(s.m_Labels);
  b.Strings(s.m_SystemSounds);
  b.Ints(s.m_SceneBgm);
  if (version >= 202) b.Bytes8(s.m_SceneBgmLoop);
  CmdList(b, s.m_TitleMenu);
  CmdList(b, s.m_MapMenu);
  CmdList(b, s.m_OptionMenu);
  if (version >= 674) b.Strings(s.m_RankModeLabels);
  b.U32(static_cast<uint32_t>(s.m_IniKeys.size()));
  for (const auto& k : s.m_IniKeys) b.I32(2).I32(k.m_IsText).I32(k.m_Default).I32(2).Str(k.m_Key).Str(k.m_DefaultText);
  return b.bytes();
}

// A system record whose every value differs from the defaults, from what
// any upgrade step sets and from every other field.
inline cSystem Distinct() {
  cSystem s;
  int i = 0;
  for (const auto& e : FieldTable()) {
    ++i;
    if (!e.address) continue;
    if (e.size == 1)
      *static_cast<uint8_t*>(e.address(s)) = static_cast<uint8_t>(10 + i);
    else
      *static_cast<int32_t*>(e.address(s)) = 1000 + i;
  }
  s.m_FontFace = 37;  // inside the face table, which reading enforces
  s.m_Title = "Distinct";
  s.m_CarryEnabled.clear();
  s.m_CarryDropOnMiss.clear();
  for (int g = 0; g < 25; ++g) {
    s.m_CarryEnabled.push_back(static_cast<uint8_t>(100 + g));
    s.m_CarryDropOnMiss.push_back(static_cast<uint8_t>(150 + g));
  }
  for (int k = 0; k < 5; ++k) {
    cStatusItem& item = s.m_StatusItems[static_cast<size_t>(k)];
    item.m_Shown = 2;
    item.m_Icon = 3;
    item.m_Label = "item" + std::to_string(k);
    item.m_ShowNumber = 4;
    item.m_Digits = 5 + k;
    item.m_Threshold = 60 + k;
    item.m_ThresholdPercent = 2;
  }
  s.m_InitialLives = {11, 12, 13, 14};
  s.m_InfiniteLives = {21, 22, 23, 24};
  for (int t = 0; t < 4; ++t) {
    s.m_Results[static_cast<size_t>(t)].m_On = 2;
    s.m_Results[static_cast<size_t>(t)].m_Categories = {2, 3, 4, 5, 6};
  }
  for (int l = 0; l < 29; ++l) s.m_Labels[static_cast<size_t>(l)] = "label" + std::to_string(l);
  for (int l = 0; l < 17; ++l) s.m_SystemSounds[static_cast<size_t>(l)] = "se" + std::to_string(l) + ".wav";
  s.m_SceneBgm = {1, 2, 3, 4};
  s.m_SceneBgmLoop = {0, 2, 0, 3};
  auto menu = [](cVector<cCmd>& list, const char* prefix) {
    for (size_t m = 0; m < list.size(); ++m) {
      list[m].m_Enabled = static_cast<int32_t>(m % 2);
      list[m].m_Label = prefix + std::to_string(m);
    }
  };
  menu(s.m_TitleMenu, "title");
  menu(s.m_MapMenu, "map");
  menu(s.m_OptionMenu, "option");
  for (int m = 0; m < 4; ++m) s.m_RankModeLabels[static_cast<size_t>(m)] = "mode" + std::to_string(m);
  for (int k = 0; k < 10; ++k) {
    cIniKey& key = s.m_IniKeys[static_cast<size_t>(k)];
    key.m_IsText = k == 8 ? 1 : 0;
    key.m_Key = "Key" + std::to_string(k);
    key.m_Default = 7;
    key.m_DefaultText = "text" + std::to_string(k);
  }
  return s;
}

}  // namespace systest
