#pragma once
// The system data, data\System.dat: the settings of a whole project that are
// not tied to one stage (title, menus, labels, status window, lives, carried
// statuses, scene music, system sounds, System.ini keys, colour mode, font,
// and the play engine's rule switches that select older or newer rules).
// The player only reads it; older files are brought to the current form in
// memory when read.
#include <cstdint>
#include <string>

#include "base/SerialRecord.h"
#include "data/Cmd.h"

// One item of the status window.
class cStatusItem : public cSerialRecord {
 public:
  int32_t m_Shown = 0;
  int32_t m_Icon = 0;        // 1: announced by its icon, 0: by m_Label
  std::string m_Label;
  int32_t m_ShowNumber = 0;  // gauges print their value; files from 204 on
  int32_t m_Digits = 0;      // width of the value in 16-pixel characters
  int32_t m_Threshold = 0;   // low-value threshold of a gauge; files from 587 on
  int32_t m_ThresholdPercent = 0;  // m_Threshold is a percentage of the maximum

  cStatusItem() = default;
  void RegisterFields(uint32_t version) override;
  bool Read(cRecordReader& r) override;
  SERIAL_RECORD_COPYABLE(cStatusItem)
};

// The result and ranking categories of one game type.
class cMenuSetting : public cSerialRecord {
 public:
  static constexpr int kCategories = 5;  // score, time left, clear time, HP left, SP left

  int32_t m_On = 0;
  cVector<uint8_t> m_Categories = cVector<uint8_t>(kCategories, 0);

  cMenuSetting() = default;
  void RegisterFields(uint32_t version) override;
  bool Read(cRecordReader& r) override;
  bool Write(cRecordWriter& w) override;
  SERIAL_RECORD_COPYABLE(cMenuSetting)
};

// One key of System.ini. Its position in the list decides the setting it
// fills; the name is what the settings reader looks for.
class cIniKey : public cSerialRecord {
 public:
  int32_t m_IsText = 0;
  std::string m_Key;
  int32_t m_Default = 0;
  std::string m_DefaultText;

  cIniKey() = default;
  void RegisterFields(uint32_t version) override;
  SERIAL_RECORD_COPYABLE(cIniKey)

  // A number key; the default text is left as it is.
  void Set(const std::string& key, int value);
  // A text key; the default number is left as it is.
  void SetText(const std::string& key, const std::string& text);
};

class cSystem : public cSerialRecord {
 public:
  // The sizes the program indexes the lists at; a list read shorter is
  // padded with the defaults.
  static constexpr int kCarryGroups = 25;
  static constexpr int kStatusItems = 5;
  static constexpr int kTitleMenuItems = 7;
  static constexpr int kMapMenuItems = 4;
  static constexpr int kOptionMenuItems = 6;
  static constexpr int kGameTypes = 4;  // story, challenge, free play, replay
  static constexpr int kRankModes = 4;
  static constexpr int kLabels = 29;
  static constexpr int kSystemSounds = 17;
  static constexpr int kMenuScenes = 4;  // title, world map, challenge select, options
  static constexpr int kIniKeys = 10;

  std::string m_Title;
  cVector<uint8_t> m_CarryEnabled;
  cVector<uint8_t> m_CarryDropOnMiss;
  int32_t m_ExtraLife = 0;
  int32_t m_ExtraLifeScore = 0;
  int32_t m_PauseHidesField = 0;
  int32_t m_IconLetters = 0;
  int32_t m_FontFace = 0;
  int32_t m_CenterGlyph = 0;
  int32_t m_Replay = 0;
  int32_t m_KeepTestFlows = 0;
  cVector<cStatusItem> m_StatusItems;
  int32_t m_TitlePictureMenu = 0;
  cVector<cCmd> m_TitleMenu;
  cVector<cCmd> m_MapMenu;
  cVector<cCmd> m_OptionMenu;
  cVector<std::string> m_RankModeLabels;
  int32_t m_CarryLives = 0;
  int32_t m_ContinueAfterMiss = 0;
  int32_t m_MapShowsLives = 0;
  int32_t m_ChallengeCount = 0;
  int32_t m_ChallengeAllOpen = 0;
  cVector<int32_t> m_InitialLives;
  cVector<int32_t> m_InfiniteLives;
  cVector<cMenuSetting> m_Results;
  int32_t m_MapShowsScore = 0;
  int32_t m_MapMenuShowsTotal = 0;
  int32_t m_RestoreStory = 0;
  int32_t m_PauseRetryStory = 0;
  int32_t m_PauseMapStory = 0;
  int32_t m_ChallengeShowsBest = 0;
  int32_t m_ChallengeShowsTotal = 0;
  int32_t m_RestoreChallenge = 0;
  int32_t m_PauseRetryChallenge = 0;
  int32_t m_RestoreFree = 0;
  int32_t m_RestoreStartFile = 0;
  int32_t m_FullColour = 0;
  uint8_t m_ColourKey[3] = {};  // red, green, blue
  cVector<std::string> m_SystemSounds;
  cVector<int32_t> m_SceneBgm;
  cVector<uint8_t> m_SceneBgmLoop;
  cVector<std::string> m_Labels;
  cVector<cIniKey> m_IniKeys;
  // Play-engine rule switches, named after the version that introduced them.
  int32_t m_Switch214 = 0;
  int32_t m_Switch261 = 0;
  int32_t m_Switch272 = 0;
  int32_t m_Switch287 = 0;
  int32_t m_Switch525 = 0;
  int32_t m_Switch555 = 0;
  int32_t m_Switch637 = 0;
  int32_t m_Switch669 = 0;
  int32_t m_Switch677 = 0;
  int32_t m_Switch695 = 0;
  int32_t m_Switch696 = 0;
  int32_t m_Switch697 = 0;
  int32_t m_Switch721 = 0;
  int32_t m_Switch728 = 0;
  int32_t m_Switch733 = 0;
  int32_t m_Switch744 = 0;
  int32_t m_Switch749 = 0;
  int32_t m_Switch752 = 0;
  int32_t m_Switch763a = 0;
  int32_t m_Switch763b = 0;
  int32_t m_Switch768 = 0;
  int32_t m_Switch773 = 0;
  int32_t m_Switch781 = 0;
  int32_t m_Switch782 = 0;
  int32_t m_Switch783 = 0;
  int32_t m_BlinkStep = 0;
  int32_t m_PaletteCycling = 0;
  int32_t m_DepthFullColour = 0;  // 0 32 bit, 1 16 bit
  int32_t m_DepthPalette = 0;     // 0 32 bit, 1 16 bit, 2 8 bit

  cSystem() { SetDefaults(); }
  // The content of a new project.
  void SetDefaults();
  void RegisterFields(uint32_t version) override;
  // Reads the file's layout, upgrades an older file, pads the lists and
  // clamps the scene music to the tune count of the reader's context.
  bool Read(cRecordReader& r) override;
  // Clamps the scene music to the program-wide tune count first.
  bool Write(cRecordWriter& w) override;
  SERIAL_RECORD_COPYABLE(cSystem)

  // Every scene tune that is not an entry of the music list (of bgmCount
  // entries) becomes 0. A negative count means unknown: nothing changes.
  void ClampSceneBgm(int bgmCount);
  // Number of result categories a game type counts: 0 when it has none.
  int GetMenuItemCount(int gameType) const;
  // Whether a gauge value is at or below the low threshold of status item `item`.
  bool CheckLowValue(int item, int value, int maximum) const;

  // The upgrade chain for a file of `fileVersion` (below the current version).
  void Upgrade(uint32_t fileVersion);
  // Pads every list shorter than the size the program indexes it at with the
  // defaults of a new project, and the categories of each game type to 5.
  void PadLists();

 private:
  int32_t m_Retired = 0;  // a value files of 221..259 hold; read and ignored
};

// The program-wide record (defined in data/ProgramData.cpp).
extern cSystem SystemData;
