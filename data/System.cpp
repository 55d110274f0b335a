#include "data/System.h"

#include <algorithm>

#include "data/DataPaths.h"
#include "data/ReadContext.h"

namespace {
// The extra data's lists. Each is read into a fresh list that replaces the
// old one only when complete; a count is checked against the bytes left
// before anything is allocated.

bool ReadBytesList(cRecordReader& r, cVector<uint8_t>& list) {
  uint32_t count = 0;
  if (!r.ReadCount(count, 1)) return false;
  cVector<uint8_t> fresh(count, 0);
  if (!r.ReadBytes(fresh.data(), count)) return false;
  list = std::move(fresh);
  return true;
}

bool ReadIntList(cRecordReader& r, cVector<int32_t>& list) {
  uint32_t count = 0;
  if (!r.ReadCount(count, 4)) return false;
  cVector<int32_t> fresh(count, 0);
  if (!r.ReadBytes(fresh.data(), size_t{count} * 4)) return false;
  list = std::move(fresh);
  return true;
}

// List texts: L, then L bytes unless L is 1; the text ends at the first NUL.
// Unlike a record's strings they keep their carriage returns. An L below 1
// is refused (the authoring tool never writes one).
bool ReadTextList(cRecordReader& r, cVector<std::string>& list) {
  uint32_t count = 0;
  if (!r.ReadCount(count, 4)) return false;
  cVector<std::string> fresh(count);
  for (auto& text : fresh)
    if (!r.ReadString(text)) return false;
  list = std::move(fresh);
  return true;
}

void WriteBytesList(cRecordWriter& w, const cVector<uint8_t>& list) {
  w.WriteU32(static_cast<uint32_t>(list.size()));
  w.WriteBytes(list.data(), list.size());
}

void WriteIntList(cRecordWriter& w, const cVector<int32_t>& list) {
  w.WriteU32(static_cast<uint32_t>(list.size()));
  w.WriteBytes(list.data(), list.size() * sizeof(int32_t));
}

void WriteTextList(cRecordWriter& w, const cVector<std::string>& list) {
  w.WriteU32(static_cast<uint32_t>(list.size()));
  for (const auto& text : list) w.WriteString(text);
}
}  // namespace

// --- element records ---

void cStatusItem::RegisterFields(uint32_t version) {
  ResetFields();
  AddInt(&m_Shown, 1, "m_Shown");
  AddInt(&m_Icon, 1, "m_Icon");
  AddInt(&m_Digits, 1, "m_Digits");
  if (version >= 204) AddInt(&m_ShowNumber, 1, "m_ShowNumber");
  if (version >= 587) {
    AddInt(&m_Threshold, 1, "m_Threshold");
    AddInt(&m_ThresholdPercent, 1, "m_ThresholdPercent");
  }
  AddString(&m_Label, "m_Label");
}

bool cStatusItem::Read(cRecordReader& r) {
  if (!cSerialRecord::Read(r)) return false;
  if (r.Version() < 204) m_ShowNumber = 1;
  return r.Ok();
}

void cMenuSetting::RegisterFields(uint32_t) {
  ResetFields();
  AddInt(&m_On, 1, "m_On");
}

bool cMenuSetting::Read(cRecordReader& r) {
  if (!cSerialRecord::Read(r)) return false;
  return ReadBytesList(r, m_Categories) && r.Ok();
}

bool cMenuSetting::Write(cRecordWriter& w) {
  cSerialRecord::Write(w);
  WriteBytesList(w, m_Categories);
  return true;
}

void cIniKey::RegisterFields(uint32_t) {
  ResetFields();
  AddInt(&m_IsText, 1, "m_IsText");
  AddInt(&m_Default, 1, "m_Default");
  AddString(&m_Key, "m_Key");
  AddString(&m_DefaultText, "m_DefaultText");
}

void cIniKey::Set(const std::string& key, int value) {
  m_Key = key;
  m_IsText = 0;
  m_Default = value;
}

void cIniKey::SetText(const std::string& key, const std::string& text) {
  m_Key = key;
  m_IsText = 1;
  m_DefaultText = text;
}

// --- the system data ---

void cSystem::RegisterFields(uint32_t version) {
  ResetFields();
  if (version >= 185) AddInt(&m_ExtraLife, 1, "m_ExtraLife");
  AddInt(&m_ExtraLifeScore, 1, "m_ExtraLifeScore");
  AddInt(&m_PauseHidesField, 1, "m_PauseHidesField");
  AddInt(&m_IconLetters, 1, "m_IconLetters");
  if (version >= 205) AddInt(&m_FontFace, 1, "m_FontFace");
  if (version >= 170) AddInt(&m_CenterGlyph, 1, "m_CenterGlyph");
  if (version >= 113) AddInt(&m_KeepTestFlows, 1, "m_KeepTestFlows");
  if (version >= 184) AddInt(&m_Replay, 1, "m_Replay");
  if (version >= 157) AddInt(&m_TitlePictureMenu, 1, "m_TitlePictureMenu");
  AddInt(&m_CarryLives, 1, "m_CarryLives");
  if (version >= 191) {
    AddInt(&m_ContinueAfterMiss, 1, "m_ContinueAfterMiss");
    AddInt(&m_MapShowsLives, 1, "m_MapShowsLives");
  }
  AddInt(&m_ChallengeCount, 1, "m_ChallengeCount");
  AddInt(&m_ChallengeAllOpen, 1, "m_ChallengeAllOpen");
  if (version >= 167) {
    AddInt(&m_MapShowsScore, 1, "m_MapShowsScore");
    AddInt(&m_MapMenuShowsTotal, 1, "m_MapMenuShowsTotal");
  }
  if (version >= 188) AddInt(&m_RestoreStory, 1, "m_RestoreStory");
  if (version >= 224) AddInt(&m_PauseRetryStory, 1, "m_PauseRetryStory");
  if (version >= 167) {
    AddInt(&m_ChallengeShowsBest, 1, "m_ChallengeShowsBest");
    AddInt(&m_ChallengeShowsTotal, 1, "m_ChallengeShowsTotal");
  }
  if (version >= 188) AddInt(&m_RestoreChallenge, 1, "m_RestoreChallenge");
  if (version >= 224) AddInt(&m_PauseRetryChallenge, 1, "m_PauseRetryChallenge");
  if (version >= 188) AddInt(&m_RestoreFree, 1, "m_RestoreFree");
  if (version >= 192) AddInt(&m_RestoreStartFile, 1, "m_RestoreStartFile");
  if (version >= 187) {
    AddInt(&m_FullColour, 1, "m_FullColour");
    AddChar(&m_ColourKey[0], 1, "m_ColourKey[0]");
    AddChar(&m_ColourKey[1], 1, "m_ColourKey[1]");
    AddChar(&m_ColourKey[2], 1, "m_ColourKey[2]");
  }
  if (version >= 214) AddInt(&m_Switch214, 1, "m_Switch214");
  if (version >= 221 && version <= 259) AddInt(&m_Retired, 1, "m_Retired");
  if (version >= 261) AddInt(&m_Switch261, 1, "m_Switch261");
  if (version >= 272) AddInt(&m_Switch272, 1, "m_Switch272");
  if (version >= 287) AddInt(&m_Switch287, 1, "m_Switch287");
  if (version >= 515) AddInt(&m_BlinkStep, 1, "m_BlinkStep");
  if (version >= 289) AddInt(&m_PaletteCycling, 1, "m_PaletteCycling");
  if (version >= 757) AddInt(&m_PauseMapStory, 1, "m_PauseMapStory");
  if (version >= 525) AddInt(&m_Switch525, 1, "m_Switch525");
  if (version >= 555) AddInt(&m_Switch555, 1, "m_Switch555");
  if (version >= 637) AddInt(&m_Switch637, 1, "m_Switch637");
  if (version >= 669) AddInt(&m_Switch669, 1, "m_Switch669");
  if (version >= 677) AddInt(&m_Switch677, 1, "m_Switch677");
  if (version >= 695) AddInt(&m_Switch695, 1, "m_Switch695");
  if (version >= 696) AddInt(&m_Switch696, 1, "m_Switch696");
  if (version >= 697) AddInt(&m_Switch697, 1, "m_Switch697");
  if (version >= 721) AddInt(&m_Switch721, 1, "m_Switch721");
  if (version >= 728) AddInt(&m_Switch728, 1, "m_Switch728");
  if (version >= 733) AddInt(&m_Switch733, 1, "m_Switch733");
  if (version >= 744) AddInt(&m_Switch744, 1, "m_Switch744");
  if (version >= 749) AddInt(&m_Switch749, 1, "m_Switch749");
  if (version >= 752) AddInt(&m_Switch752, 1, "m_Switch752");
  if (version >= 763) {
    AddInt(&m_Switch763a, 1, "m_Switch763a");
    AddInt(&m_Switch763b, 1, "m_Switch763b");
  }
  if (version >= 768) AddInt(&m_Switch768, 1, "m_Switch768");
  if (version >= 773) AddInt(&m_Switch773, 1, "m_Switch773");
  if (version >= 781) AddInt(&m_Switch781, 1, "m_Switch781");
  if (version >= 782) AddInt(&m_Switch782, 1, "m_Switch782");
  if (version >= 783) AddInt(&m_Switch783, 1, "m_Switch783");
  if (version >= 670) {
    AddInt(&m_DepthFullColour, 1, "m_DepthFullColour");
    AddInt(&m_DepthPalette, 1, "m_DepthPalette");
  }
  AddString(&m_Title, "m_Title");
}

bool cSystem::Read(cRecordReader& r) {
  if (!cSerialRecord::Read(r)) return false;
  const uint32_t v = r.Version();
  if (!ReadBytesList(r, m_CarryEnabled)) return false;
  if (v >= 501 && !ReadBytesList(r, m_CarryDropOnMiss)) return false;
  if (!ReadRecordVector(r, m_StatusItems)) return false;
  if (!ReadIntList(r, m_InitialLives)) return false;
  if (v >= 191 && !ReadIntList(r, m_InfiniteLives)) return false;
  if (v >= 186 && !ReadRecordVector(r, m_Results)) return false;
  if (!ReadTextList(r, m_Labels)) return false;
  if (!ReadTextList(r, m_SystemSounds)) return false;
  if (!ReadIntList(r, m_SceneBgm)) return false;
  if (v >= 202 && !ReadBytesList(r, m_SceneBgmLoop)) return false;
  if (!ReadRecordVector(r, m_TitleMenu)) return false;
  if (!ReadRecordVector(r, m_MapMenu)) return false;
  if (!ReadRecordVector(r, m_OptionMenu)) return false;
  if (v >= 674 && !ReadTextList(r, m_RankModeLabels)) return false;
  if (!ReadRecordVector(r, m_IniKeys)) return false;
  if (!r.Ok()) return false;

  if (v < kDataVersion) Upgrade(v);
  // The program reaches these lists at fixed positions; a short list from a
  // file would send those reads to the bad-index path and close the game.
  PadLists();
  // The font face indexes the face table.
  m_FontFace = std::clamp(m_FontFace, 0, kFontFaceTableSize - 1);
  ClampSceneBgm(ContextOf(r).DbCount(DbList::Bgm));
  return true;
}

bool cSystem::Write(cRecordWriter& w) {
  ClampSceneBgm(DefaultReadContext().DbCount(DbList::Bgm));
  cSerialRecord::Write(w);
  WriteBytesList(w, m_CarryEnabled);
  WriteBytesList(w, m_CarryDropOnMiss);
  WriteRecordVector(w, m_StatusItems);
  WriteIntList(w, m_InitialLives);
  WriteIntList(w, m_InfiniteLives);
  WriteRecordVector(w, m_Results);
  WriteTextList(w, m_Labels);
  WriteTextList(w, m_SystemSounds);
  WriteIntList(w, m_SceneBgm);
  WriteBytesList(w, m_SceneBgmLoop);
  WriteRecordVector(w, m_TitleMenu);
  WriteRecordVector(w, m_MapMenu);
  WriteRecordVector(w, m_OptionMenu);
  WriteTextList(w, m_RankModeLabels);
  WriteRecordVector(w, m_IniKeys);
  return true;
}

void cSystem::ClampSceneBgm(int bgmCount) {
  if (bgmCount < 0) return;
  // Compared unsigned, so a negative tune is outside the list as well.
  for (auto& tune : m_SceneBgm)
    if (static_cast<uint32_t>(tune) >= static_cast<uint32_t>(bgmCount)) tune = 0;
}

int cSystem::GetMenuItemCount(int gameType) const {
  const cMenuSetting& setting = m_Results.At(gameType);
  if (setting.m_On == 0) return 0;
  return static_cast<int>(std::count_if(setting.m_Categories.begin(), setting.m_Categories.end(),
                                        [](uint8_t c) { return c != 0; }));
}

bool cSystem::CheckLowValue(int item, int value, int maximum) const {
  const cStatusItem& status = m_StatusItems.At(item);
  if (status.m_ThresholdPercent == 0) return status.m_Threshold >= value;
  // A percentage of no maximum is no warning (and no division by zero).
  if (maximum <= 0) return false;
  return status.m_Threshold >= static_cast<double>(value) * 100.0 / static_cast<double>(maximum);
}
