#pragma once
// The save data: the state of one play that outlives a stage (world-map
// place, common variables and switches, lives and score, results, the best
// value of every stage played, challenge progress, carried statuses,
// checkpoint copies). The same body is a story slot file, Challenge.dat and
// the start state inside a replay file.
#include <cstdint>
#include <string>

#include "base/SerialRecord.h"
#include "data/ChallengeRecord.h"
#include "data/CharaDef.h"
#include "data/StageRecord.h"

class cStage;
class cSystem;
class cWorldMap;

// Local time of a story save, laid out as the Windows SYSTEMTIME the files hold.
struct cSavedTime {
  uint16_t wYear = 0;
  uint16_t wMonth = 0;
  uint16_t wDayOfWeek = 0;
  uint16_t wDay = 0;
  uint16_t wHour = 0;
  uint16_t wMinute = 0;
  uint16_t wSecond = 0;
  uint16_t wMilliseconds = 0;
  bool operator==(const cSavedTime&) const = default;
};
static_assert(sizeof(cSavedTime) == 16);

// The local clock, as stored in a story slot.
cSavedTime GetLocalSavedTime();

constexpr int kCarryGroups = 25;
constexpr int kCarryValues = 5;
constexpr int kSwitchCount = 1000;
constexpr int kVarCount = 1001;
constexpr int kStorySlots = 99;
constexpr int32_t kInfiniteLives = 999999;

// What the save data consults outside itself: the system data (lives,
// carried groups, restore switches, challenge count), the world map (size,
// start, stage nodes), the stage that carried values return into, and the
// application's play mode (0 story, 1 challenge, 2 free play) and
// start-file flag. The application points it at its program-wide objects at
// start-up; a rule whose object is missing is skipped.
struct cSaveContext {
  const cSystem* system = nullptr;
  const cWorldMap* worldMap = nullptr;
  cStage* stage = nullptr;  // null: the program-wide Stage
  int playMode = 0;
  bool startFilePlay = false;
};
cSaveContext& SaveContext();

// Statuses a player carries from one stage to the next.
class cCarryStatus : public cSerialRecord {
 public:
  cCharaDef m_CarryDef;
  int32_t m_CarryValues[kCarryValues] = {0, 0, 0, 0, 0};

  cCarryStatus() = default;
  void RegisterFields(uint32_t version) override;
  bool Read(cRecordReader& r) override;
  bool Write(cRecordWriter& w) override;
};

class cSaveData : public cSerialRecord {
 public:
  int32_t m_HasCarry = 0;
  cVector<int32_t> m_CarryFlags;
  cVector<cCarryStatus> m_Carry;
  int32_t m_MapX = 0;
  int32_t m_MapY = 0;
  int32_t m_MapNode = 0;
  cVector<int32_t> m_Switches;
  int32_t m_PlayCount = 0;
  cVector<int32_t> m_Vars;
  std::string m_StageFile;
  std::string m_StageBase;  // files from 724 on
  int32_t m_TagOn = 0;      // files from 758 on
  int32_t m_TagNo = 0;
  int32_t m_TagSub = 0;
  int32_t m_AppValueA = 0;
  int32_t m_AppValueB = 0;
  int32_t m_StartLives = 0;
  int32_t m_Lives = 0;
  int32_t m_Score = 0;
  int32_t m_Result0 = 0;
  int32_t m_RecordTotal = 0;
  int32_t m_Result1 = 0;
  int32_t m_Result2 = 0;
  int32_t m_Result3 = 0;  // files from 182 on
  int32_t m_Result4 = 0;
  int32_t m_AppValueC = 0;
  int32_t m_AppValueD = 0;
  int32_t m_AppValueE = 0;   // files from 166 on
  int32_t m_MenuCursor = 0;  // files from 194 on
  int32_t m_AppValueF = 0;   // files from 190 on
  int32_t m_CursorCol = 0;   // files from 191 on
  int32_t m_CursorRow = 0;
  cVector<cStageRecord> m_StageRecords;
  int32_t m_ChallengeLevel = 0;
  cVector<cChallengeRecord> m_ChallengeRecords;
  cVector<int32_t> m_CheckVars;  // checkpoint copies, never stored
  int32_t m_CheckLives = 0;
  int32_t m_CheckResult0 = 0;
  int32_t m_StorySlot = 0;
  int32_t m_AutoSave = 0;  // files from 169 on
  cSavedTime m_SavedTime;
  std::string m_PlayerName;
  int32_t m_AppValueG = 0;
  int32_t m_AppValueH = 0;
  int32_t m_RestartOn = 0;  // files from 678 on
  int32_t m_RestartCol = 0;
  int32_t m_RestartRow = 0;
  int32_t m_AppValueI = 0;  // files from 679 on

  cSaveData();
  void RegisterFields(uint32_t version) override;
  // Reads into a reset record, so nothing an older file lacks survives from
  // before; upgrades, pads the lists the engine indexes and validates.
  bool Read(cRecordReader& r) override;
  bool Write(cRecordWriter& w) override;
  SERIAL_RECORD_COPYABLE(cSaveData)

  // A fresh play. The checkpoint copies are left alone.
  void Reset();
  void ResetProgressList(int count);
  // Position on the world map, challenge records and level within what the
  // world map and the system data allow.
  void Validate();
  void Validate(const cSystem* system, const cWorldMap* worldMap);

  // Story slots and challenge progress. LoadStory and LoadChallenge commit
  // only a complete read, then apply the lives rule of their game mode.
  bool SaveStory(int slot);
  bool LoadStory(int slot);
  bool LoadChallenge();
  bool SaveChallenge();
  // Infinite lives of game mode m, or the mode's initial lives in place of
  // an infinite count.
  void ApplyLivesRule(int mode);

  void SetStageName(const std::string& name, int tagOn, int tagNo, int tagSub);
  void UpdateStageRecord(const std::string& stageFile, const std::string& key, int place1, int place2, int place3,
                         int value);
  int GetStageBest(const std::string& key) const;
  void RecalcTotal();

  void SaveCheckpoint();
  void RestoreCheckpoint(bool always);

  void StoreCarriedStatus(int player, const cCharaDef& def, int value1, int value2, int effect, int effectArg1,
                          int effectArg2, int value3, int value4, int value5);
  void ApplyCarriedStatus(int player, cCharaDef& def);
  void GetCarriedValues(int player, int& out1, int& out2) const;
  void ClearCarriedFlags();
  void StartNextRound();

 private:
  // After any read: the lists the engine indexes at fixed places.
  void PadLists();
  cStage& TargetStage() const;
};

// One story slot as the slot menu lists it; never written to a file.
class cSaveSlot : public cSerialRecord {
 public:
  int32_t m_Exists = 0;
  cSavedTime m_SavedTime;

  void RegisterFields(uint32_t) override {
    ResetFields();
    AddInt(&m_Exists, 1, "m_Exists");
    AddField(&m_SavedTime, 1, sizeof(cSavedTime), "m_SavedTime");
  }
  void SetFromSave(const cSavedTime& time) {
    m_Exists = 1;
    m_SavedTime = time;
  }
};

extern cVector<cSaveSlot> StorySlots;

// The save data of the game in progress, and the copies taken at the start of
// the current and of the previous attempt, which are written with their replays.
extern cSaveData SaveData;
extern cSaveData ReplaySave;
extern cSaveData PrevReplaySave;

// "user_data\story\StoryNN.dat" for slot n (0 -> 01).
std::string StoryPath(int slot);
// Marks every slot whose file reads completely as existing with its saved time.
void ScanStorySlots(cVector<cSaveSlot>& slots);
