// Bringing system data of older files to the current form, and padding the
// lists the program indexes at fixed positions.
#include <algorithm>

#include "data/System.h"
#include "data/SystemTexts.h"

namespace {
using namespace systemtext;

// Makes the list exactly n entries long; new entries are new elements.
template <class T>
void Resize(cVector<T>& list, size_t n) {
  list.resize(n);
}

// Moves entries i .. size-2 one place up (the last entry is lost) and puts x
// at i. Entries are copied, never moved, so the entry left at i is intact.
template <class T>
void InsertAt(cVector<T>& list, size_t i, const T& x) {
  if (i >= list.size()) return;
  std::copy_backward(list.begin() + static_cast<std::ptrdiff_t>(i), list.end() - 1, list.end());
  list[i] = x;
}

// The same for System.ini keys: the entry left at i (a copy of the old one)
// is renamed and renumbered, keeping its default text.
void InsertKeyAt(cVector<cIniKey>& keys, size_t i, const char* key, int value) {
  if (i >= keys.size()) return;
  std::copy_backward(keys.begin() + static_cast<std::ptrdiff_t>(i), keys.end() - 1, keys.end());
  keys[i].Set(key, value);
}

template <class T>
void PadTo(cVector<T>& list, const cVector<T>& defaults) {
  while (list.size() < defaults.size()) list.push_back(defaults[list.size()]);
}
}  // namespace

void cSystem::Upgrade(uint32_t v) {
  if (v < 113) m_KeepTestFlows = 0;
  if (v < 157) m_TitlePictureMenu = 0;
  if (v < 167) m_MapShowsScore = m_MapMenuShowsTotal = m_ChallengeShowsBest = m_ChallengeShowsTotal = 1;
  if (v < 168) {
    Resize(m_CarryEnabled, kCarryGroups);
    InsertAt<uint8_t>(m_CarryEnabled, 16, 1);
  }
  if (v < 169) {
    Resize(m_MapMenu, kMapMenuItems);
    InsertAt(m_MapMenu, 1, cCmd(1, kAutoSave));
    Resize(m_Labels, kLabels);
    // Inserted in reverse so that 12, 13 and 14 read ON, OFF and the message.
    InsertAt<std::string>(m_Labels, 12, kNoSaveSlot);
    InsertAt<std::string>(m_Labels, 12, kAutoSaveOff);
    InsertAt<std::string>(m_Labels, 12, kAutoSaveOn);
  }
  if (v < 170) m_CenterGlyph = 0;
  if (v < 181) {
    for (size_t type = 0; type < std::min<size_t>(m_Results.size(), kGameTypes); ++type) {
      cVector<uint8_t>& categories = m_Results[type].m_Categories;
      categories.resize(cMenuSetting::kCategories, 0);
      categories[3] = categories[4] = 0;
    }
    Resize(m_Labels, kLabels);
    InsertAt<std::string>(m_Labels, 8, kHpLeft);
    InsertAt<std::string>(m_Labels, 9, kSpLeft);
  }
  if (v < 184) m_Replay = 1;
  if (v < 185) m_ExtraLife = 1;
  if (v < 187) {
    m_FullColour = 0;
    m_ColourKey[0] = 0;
    m_ColourKey[1] = 177;
    m_ColourKey[2] = 0;
  }
  if (v < 188) m_RestoreStory = m_RestoreChallenge = m_RestoreFree = 1;
  if (v < 191) {
    m_InfiniteLives = {0, 0, 0, 1};
    m_ContinueAfterMiss = 0;
    m_MapShowsLives = 0;
  }
  if (v < 192) m_RestoreStartFile = 1;
  if (v < 193) {
    Resize(m_Labels, kLabels);
    InsertAt<std::string>(m_Labels, 22, kRetry);
    InsertAt<std::string>(m_Labels, 23, kBackToMap);
  }
  if (v < 201) {
    Resize(m_CarryEnabled, kCarryGroups);
    InsertAt<uint8_t>(m_CarryEnabled, 14, 0);
  }
  if (v < 202) m_SceneBgmLoop.assign(kMenuScenes, 1);
  if (v < 205) m_FontFace = 60;
  if (v < 210) {
    Resize(m_CarryEnabled, kCarryGroups);
    InsertAt<uint8_t>(m_CarryEnabled, 9, 0);
  }
  if (v < 214) m_Switch214 = 1;
  if (v < 224) m_PauseRetryStory = m_PauseRetryChallenge = 0;
  if (v < 261) m_Switch261 = 1;
  if (v < 272) m_Switch272 = 0;
  if (v < 286) {
    Resize(m_IniKeys, kIniKeys);
    InsertKeyAt(m_IniKeys, 0, "Direct3D", 1);
    if (m_IniKeys[3].m_Default >= 3) m_IniKeys[3].m_Default = 2;
  }
  if (v < 287) m_Switch287 = 0;
  if (v < 289) m_PaletteCycling = m_FullColour == 0 ? 1 : 0;
  if (v < 501) m_CarryDropOnMiss.assign(kCarryGroups, 0);
  if (v < 515) m_BlinkStep = 16;
  if (v < 525) m_Switch525 = 1;
  if (v < 555) m_Switch555 = 1;
  if (v < 567) {
    Resize(m_IniKeys, kIniKeys);
    InsertKeyAt(m_IniKeys, 4, "DD_VideoStretch", 0);
  }
  if (v < 568) {
    Resize(m_IniKeys, kIniKeys);
    InsertKeyAt(m_IniKeys, 4, "D3D_FontCache", 0);
    InsertKeyAt(m_IniKeys, 5, "DD_FontCache", 1);
  }
  if (v < 587) {
    Resize(m_StatusItems, kStatusItems);
    for (size_t item : {2u, 3u}) {
      m_StatusItems[item].m_Threshold = 33;
      m_StatusItems[item].m_ThresholdPercent = 1;
    }
  }
  if (v < 637) m_Switch637 = v <= 616 ? 1 : 0;
  if (v < 669) m_Switch669 = 1;
  if (v < 670) {
    m_DepthFullColour = 0;
    m_DepthPalette = 2;
  }
  if (v < 672) {
    Resize(m_IniKeys, kIniKeys);
    m_IniKeys[9].Set("English", 0);
  }
  if (v < 677) m_Switch677 = 1;
  if (v < 695) m_Switch695 = 1;
  if (v < 696) m_Switch696 = 1;
  if (v < 697) m_Switch697 = 1;
  if (v < 721) m_Switch721 = 1;
  if (v < 728) m_Switch728 = 1;
  if (v < 733) m_Switch733 = 1;
  if (v < 744) m_Switch744 = 1;
  if (v < 749) m_Switch749 = 1;
  if (v < 752) m_Switch752 = 1;
  if (v < 756) {
    Resize(m_Labels, kLabels);
    InsertAt<std::string>(m_Labels, 22, kBackToMap);
  }
  if (v < 757) m_PauseMapStory = 0;
  if (v < 763) m_Switch763a = m_Switch763b = 1;
  if (v < 768) m_Switch768 = 1;
  if (v < 773) m_Switch773 = 1;
  if (v < 781) m_Switch781 = 1;
  if (v < 782) m_Switch782 = 1;
  if (v < 783) m_Switch783 = 1;
}

void cSystem::PadLists() {
  const cSystem defaults;
  PadTo(m_CarryEnabled, defaults.m_CarryEnabled);
  PadTo(m_CarryDropOnMiss, defaults.m_CarryDropOnMiss);
  PadTo(m_StatusItems, defaults.m_StatusItems);
  PadTo(m_TitleMenu, defaults.m_TitleMenu);
  PadTo(m_MapMenu, defaults.m_MapMenu);
  PadTo(m_OptionMenu, defaults.m_OptionMenu);
  PadTo(m_Results, defaults.m_Results);
  PadTo(m_RankModeLabels, defaults.m_RankModeLabels);
  PadTo(m_InitialLives, defaults.m_InitialLives);
  PadTo(m_InfiniteLives, defaults.m_InfiniteLives);
  PadTo(m_Labels, defaults.m_Labels);
  PadTo(m_SystemSounds, defaults.m_SystemSounds);
  PadTo(m_SceneBgm, defaults.m_SceneBgm);
  PadTo(m_SceneBgmLoop, defaults.m_SceneBgmLoop);
  PadTo(m_IniKeys, defaults.m_IniKeys);
  // Categories a game type's file left out are off.
  for (auto& setting : m_Results)
    if (setting.m_Categories.size() < cMenuSetting::kCategories) setting.m_Categories.resize(cMenuSetting::kCategories, 0);
}
