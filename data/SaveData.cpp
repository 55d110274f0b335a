#include "data/SaveData.h"

#include <algorithm>
#include <chrono>
#include <ctime>
#include <limits>

#include "base/Log.h"
#include "base/Text.h"
#include "data/DataPaths.h"
#include "data/Ranking.h"
#include "data/Stage.h"
#include "data/StageKey.h"
#include "data/System.h"
#include "data/WorldMap.h"
#include "platform/FileSystem.h"

cSaveData SaveData;
cSaveData ReplaySave;
cSaveData PrevReplaySave;
cVector<cSaveSlot> StorySlots(kStorySlots);

namespace {
// Version gates of the save-data body.
constexpr uint32_t kV166 = 166, kV169 = 169, kV182 = 182, kV190 = 190, kV191 = 191, kV194 = 194;
constexpr uint32_t kLastWithoutCarryFlags = 500;
constexpr uint32_t kStageBaseFrom = 724;
constexpr uint32_t kVarsFixedBefore = 754;
constexpr uint32_t kTagsFrom = 758;
constexpr uint32_t kRestartFrom = 678;
constexpr uint32_t kAppValueIFrom = 679;
constexpr int kOldVarCount = 1000;
// Players a carried-status list may grow to; more is a caller's fault.
constexpr int kMaxCarryPlayers = 256;

int32_t Saturate(int64_t v) {
  return static_cast<int32_t>(
      std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

bool ReadIntVector(cRecordReader& r, cVector<int32_t>& v) {
  uint32_t count = 0;
  if (!r.ReadCount(count, sizeof(int32_t))) return false;
  cVector<int32_t> fresh(count);
  if (count && !r.ReadBytes(fresh.data(), count * sizeof(int32_t))) return false;
  v = std::move(fresh);
  return true;
}

void WriteIntVector(cRecordWriter& w, const cVector<int32_t>& v) {
  w.WriteU32(static_cast<uint32_t>(v.size()));
  if (!v.empty()) w.WriteBytes(v.data(), v.size() * sizeof(int32_t));
}

template <class T>
void PadTo(cVector<T>& v, size_t n, const T& value = T{}) {
  if (v.size() < n) v.resize(n, value);
}

// A switch of a byte or int list of the system data; a missing entry is off.
template <class T>
bool SwitchOn(const cVector<T>& list, int index) {
  return index >= 0 && static_cast<size_t>(index) < list.size() && list[static_cast<size_t>(index)] != 0;
}

// Copies the statuses of carried group g between a definition and a stored one.
void CopyGroup(int g, cCharaDef& to, const cCharaDef& from) {
  switch (g) {
    case 0:
      to.m_GfxKind = from.m_GfxKind;
      to.m_GfxIndex = from.m_GfxIndex;
      to.m_GfxPattern = from.m_GfxPattern;
      break;
    case 1: to.m_AnimeSet = from.m_AnimeSet; break;
    case 2: to.m_Z = from.m_Z; break;
    case 3: to.m_Transparent = from.m_Transparent; break;
    case 4:
      to.m_CharaEffect = from.m_CharaEffect;
      to.m_CharaEffectArg1 = from.m_CharaEffectArg1;
      to.m_CharaEffectArg2 = from.m_CharaEffectArg2;
      break;
    case 5: to.m_FixedFacing = from.m_FixedFacing; break;
    case 6: to.m_Fly = from.m_Fly; break;
    case 7: to.m_Invincible = from.m_Invincible; break;
    case 8: to.m_Size = from.m_Size; break;
    case 9: to.m_ScrollSync = from.m_ScrollSync; break;
    case 10:
      to.m_ViewShape = from.m_ViewShape;
      to.m_ViewRange = from.m_ViewRange;
      break;
    case 13: to.m_MaxHp = from.m_MaxHp; break;
    case 14: to.m_MaxSp = from.m_MaxSp; break;
    case 15: to.m_HitBox = from.m_HitBox; break;
    case 16: to.m_BodyPower = from.m_BodyPower; break;
    case 17: to.m_BodyImpact = from.m_BodyImpact; break;
    case 18: to.m_Defence = from.m_Defence; break;
    case 19: to.m_ImpactResist = from.m_ImpactResist; break;
    case 20: to.m_StopEase = from.m_StopEase; break;
    case 21: to.m_Flows = from.m_Flows; break;
    default: break;  // 11, 12, 22, 23, 24 are values, not definition fields
  }
}

// Groups that carry one of the caller's values, and which value.
int CarriedValueOf(int group) {
  switch (group) {
    case 11: return 0;
    case 12: return 1;
    case 22: return 2;
    case 23: return 3;
    case 24: return 4;
    default: return -1;
  }
}
}  // namespace

cSaveContext& SaveContext() {
  static cSaveContext context;
  return context;
}

cSavedTime GetLocalSavedTime() {
  using namespace std::chrono;
  auto now = system_clock::now();
  std::time_t t = system_clock::to_time_t(now);
  std::tm tm{};
  localtime_r(&t, &tm);
  cSavedTime s;
  s.wYear = static_cast<uint16_t>(tm.tm_year + 1900);
  s.wMonth = static_cast<uint16_t>(tm.tm_mon + 1);
  s.wDayOfWeek = static_cast<uint16_t>(tm.tm_wday);
  s.wDay = static_cast<uint16_t>(tm.tm_mday);
  s.wHour = static_cast<uint16_t>(tm.tm_hour);
  s.wMinute = static_cast<uint16_t>(tm.tm_min);
  s.wSecond = static_cast<uint16_t>(std::min(tm.tm_sec, 59));  // no leap second in the stored form
  s.wMilliseconds = static_cast<uint16_t>(duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000);
  return s;
}

// --- carried statuses ---

void cCarryStatus::RegisterFields(uint32_t) {
  ResetFields();
  // Five entries of one int each, as the files count them.
  for (int32_t& v : m_CarryValues) AddInt(&v);
}

bool cCarryStatus::Read(cRecordReader& r) {
  if (!cSerialRecord::Read(r)) return false;
  if (!m_CarryDef.Read(r)) return false;
  return r.Ok();
}

bool cCarryStatus::Write(cRecordWriter& w) {
  cSerialRecord::Write(w);
  return m_CarryDef.Write(w);
}

// --- the save data record ---

cSaveData::cSaveData() {
  RegisterFields(dwDataVersion);
  Reset();
  m_CheckVars.assign(kVarCount, 0);
}

void cSaveData::RegisterFields(uint32_t version) {
  ResetFields();
  AddInt(&m_HasCarry);
  AddInt(&m_MapX);
  AddInt(&m_MapY);
  AddInt(&m_MapNode);
  AddInt(&m_PlayCount);
  AddString(&m_StageFile);
  if (version >= kStageBaseFrom) AddString(&m_StageBase);
  if (version >= kTagsFrom) {
    AddInt(&m_TagOn);
    AddInt(&m_TagNo);
    AddInt(&m_TagSub);
  }
  AddInt(&m_AppValueA);
  AddInt(&m_AppValueB);
  AddInt(&m_StartLives);
  AddInt(&m_Lives);
  AddInt(&m_Score);
  AddInt(&m_Result0);
  AddInt(&m_RecordTotal);
  AddInt(&m_Result1);
  AddInt(&m_Result2);
  if (version >= kV182) {
    AddInt(&m_Result3);
    AddInt(&m_Result4);
  }
  AddInt(&m_AppValueC);
  AddInt(&m_AppValueD);
  if (version >= kV166) AddInt(&m_AppValueE);
  if (version >= kV190) {
    if (version >= kV194) AddInt(&m_MenuCursor);
    AddInt(&m_AppValueF);
    if (version >= kV191) {
      AddInt(&m_CursorCol);
      AddInt(&m_CursorRow);
    }
  }
  AddInt(&m_ChallengeLevel);
  AddInt(&m_StorySlot);
  if (version >= kV169) AddInt(&m_AutoSave);
  AddString(&m_PlayerName);
  AddInt(&m_AppValueG);
  AddInt(&m_AppValueH);
  if (version >= kRestartFrom) {
    AddInt(&m_RestartOn);
    AddInt(&m_RestartCol);
    AddInt(&m_RestartRow);
  }
  if (version >= kAppValueIFrom) AddInt(&m_AppValueI);
}

void cSaveData::Reset() {
  Clear();  // every registered int 0, every text empty
  m_SavedTime = cSavedTime{};
  m_CarryFlags.assign(kCarryGroups, 0);
  ResetProgressList(1);
  m_Switches.assign(kSwitchCount, 0);
  m_Switches[0] = 1;
  m_Vars.assign(kVarCount, 0);
  m_StageRecords.clear();
  m_ChallengeRecords.clear();
  m_ChallengeLevel = 1;
  m_StorySlot = -1;
  m_PlayerName = "aaa";
}

void cSaveData::ResetProgressList(int count) { m_Carry.assign(static_cast<size_t>(std::max(count, 0)), cCarryStatus()); }

bool cSaveData::Read(cRecordReader& r) {
  const uint32_t v = r.Version();
  // Whatever an older file lacks starts as in a new play, never as it was.
  Reset();
  if (!cSerialRecord::Read(r)) return false;
  if (!r.ReadBytes(&m_SavedTime, sizeof m_SavedTime)) return false;
  if (v > kLastWithoutCarryFlags && !ReadIntVector(r, m_CarryFlags)) return false;
  if (!ReadRecordVector(r, m_Carry)) return false;
  if (!ReadRecordVector(r, m_StageRecords)) return false;
  if (!ReadRecordVector(r, m_ChallengeRecords)) return false;
  if (!ReadIntVector(r, m_Switches)) return false;
  if (!ReadIntVector(r, m_Vars)) return false;
  if (!r.Ok()) return false;

  if (v < kDataVersion) {
    if (v < kV166) m_AppValueE = 1;
    if (v < kV169) m_AutoSave = 0;
    if (v < kV182) m_Result3 = m_Result4 = 0;
    if (v < kV190) m_AppValueF = 0;
    if (v <= kV190) m_CursorCol = m_CursorRow = 0;
    if (v < kV194) m_MenuCursor = 0;
    if (v <= kLastWithoutCarryFlags) m_CarryFlags.assign(kCarryGroups, 1);
    if (v < kVarsFixedBefore) {
      m_Vars.resize(kOldVarCount, 0);
      m_CheckVars.resize(kOldVarCount, 0);
    }
  }
  PadLists();
  Validate();
  return r.Ok();
}

void cSaveData::PadLists() {
  PadTo(m_Vars, kVarCount);
  PadTo(m_CheckVars, kVarCount);
  PadTo(m_Switches, kSwitchCount);
  PadTo(m_CarryFlags, kCarryGroups);
  if (m_Carry.empty()) m_Carry.emplace_back();
}

bool cSaveData::Write(cRecordWriter& w) {
  Validate();
  cSerialRecord::Write(w);
  w.WriteValue(m_SavedTime);
  if (dwDataVersion > kLastWithoutCarryFlags) WriteIntVector(w, m_CarryFlags);
  WriteRecordVector(w, m_Carry);
  WriteRecordVector(w, m_StageRecords);
  WriteRecordVector(w, m_ChallengeRecords);
  WriteIntVector(w, m_Switches);
  WriteIntVector(w, m_Vars);
  return true;
}

void cSaveData::Validate() { Validate(SaveContext().system, SaveContext().worldMap); }

void cSaveData::Validate(const cSystem* system, const cWorldMap* worldMap) {
  if (worldMap) {
    // A negative place is as far off the map as one past its edge.
    if (m_MapX < 0 || m_MapX >= worldMap->m_Width) m_MapX = worldMap->m_StartX;
    if (m_MapY < 0 || m_MapY >= worldMap->m_Height) m_MapY = worldMap->m_StartY;
  }
  if (system) {
    int count = std::max(system->m_ChallengeCount, 0);
    m_ChallengeRecords.resize(static_cast<size_t>(count));
    if (m_ChallengeLevel > count) m_ChallengeLevel = count;
  }
}

// --- files ---

std::string StoryPath(int slot) { return FormatString("%s%02d.dat", PathTable[PATH_STORY_SLOT], slot + 1); }

bool cSaveData::SaveStory(int slot) {
  m_SavedTime = GetLocalSavedTime();
  if (!Save(StoryPath(slot))) return false;
  if (slot >= 0 && static_cast<size_t>(slot) < StorySlots.size()) StorySlots[static_cast<size_t>(slot)].SetFromSave(m_SavedTime);
  return true;
}

bool cSaveData::LoadStory(int slot) {
  if (!Load(StoryPath(slot))) return false;
  ApplyLivesRule(0);
  return true;
}

bool cSaveData::LoadChallenge() {
  if (!Load(PathTable[PATH_CHALLENGE])) return false;
  ApplyLivesRule(1);
  return true;
}

bool cSaveData::SaveChallenge() { return Save(PathTable[PATH_CHALLENGE]); }

void ScanStorySlots(cVector<cSaveSlot>& slots) {
  cSaveData scratch;
  for (size_t i = 0; i < slots.size(); ++i) {
    cSaveSlot& slot = slots[i];
    slot.m_Exists = 0;
    slot.m_SavedTime = cSavedTime{};
    if (scratch.Load(StoryPath(static_cast<int>(i)))) {
      slot.SetFromSave(scratch.m_SavedTime);
    } else if (bNewerFile == 0 && platform::PathExists(StoryPath(static_cast<int>(i)))) {
      WriteLog("%s is broken and is listed as empty.", StoryPath(static_cast<int>(i)).c_str());
    }
  }
}

void cSaveData::ApplyLivesRule(int mode) {
  const cSystem* system = SaveContext().system;
  if (!system) return;
  if (SwitchOn(system->m_InfiniteLives, mode)) {
    m_StartLives = m_Lives = kInfiniteLives;
  } else if (m_Lives == kInfiniteLives && mode >= 0 && static_cast<size_t>(mode) < system->m_InitialLives.size()) {
    m_Lives = system->m_InitialLives[static_cast<size_t>(mode)];
  }
}

// --- stage names and records ---

void cSaveData::SetStageName(const std::string& name, int tagOn, int tagNo, int tagSub) {
  m_TagOn = tagOn;
  m_TagNo = tagNo;
  m_TagSub = tagSub;
  // The stored file name is the base name itself; the world map finds the
  // stage's records by the same key.
  m_StageFile = StageKey(name);
  m_StageBase = m_StageFile;
  AppendStageSuffix(m_StageBase, m_TagOn, m_TagNo, m_TagSub);
}

void cSaveData::UpdateStageRecord(const std::string& stageFile, const std::string& key, int place1, int place2,
                                  int place3, int value) {
  for (auto& rec : m_StageRecords) {
    if (rec.m_StageKey != key) continue;
    if (rec.m_Best < value) {
      m_RecordTotal = Saturate(int64_t{m_RecordTotal} + value - rec.m_Best);
      rec.m_Best = value;
    }
    return;
  }
  cStageRecord rec;
  rec.m_StageFile = stageFile;
  rec.m_StageKey = key;
  rec.m_Place[0] = place1;
  rec.m_Place[1] = place2;
  rec.m_Place[2] = place3;
  rec.m_Best = value;
  m_StageRecords.push_back(rec);
  m_RecordTotal = Saturate(int64_t{m_RecordTotal} + value);
}

int cSaveData::GetStageBest(const std::string& key) const {
  for (const auto& rec : m_StageRecords)
    if (rec.m_StageKey == key) return rec.m_Best;
  return 0;
}

void cSaveData::RecalcTotal() {
  const cWorldMap* map = SaveContext().worldMap;
  if (!map) return;
  int64_t total = 0;
  for (const auto& rec : m_StageRecords)
    if (map->FindStageNode(rec.m_StageFile, rec.m_Place[0] != 0, rec.m_Place[1], rec.m_Place[2])) total += rec.m_Best;
  m_RecordTotal = Saturate(total);
}

// --- checkpoints ---

void cSaveData::SaveCheckpoint() {
  m_CheckVars = m_Vars;
  m_CheckLives = m_Lives;
  m_CheckResult0 = m_Result0;
}

void cSaveData::RestoreCheckpoint(bool always) {
  const cSaveContext& ctx = SaveContext();
  bool restoreVars = always;
  if (!always) {
    if (!ctx.system) {
      restoreVars = false;
    } else if (ctx.startFilePlay) {
      restoreVars = ctx.system->m_RestoreStartFile != 0;
    } else {
      switch (ctx.playMode) {
        case 0: restoreVars = ctx.system->m_RestoreStory != 0; break;
        case 1: restoreVars = ctx.system->m_RestoreChallenge != 0; break;
        case 2: restoreVars = ctx.system->m_RestoreFree != 0; break;
        default: restoreVars = true; break;
      }
    }
  }
  if (restoreVars) {
    m_Vars = m_CheckVars;
    PadTo(m_Vars, kVarCount);
  }
  if (always) m_Lives = m_CheckLives;
  m_Result0 = m_CheckResult0;
}

// --- carried statuses ---

cStage& cSaveData::TargetStage() const { return SaveContext().stage ? *SaveContext().stage : Stage; }

void cSaveData::StoreCarriedStatus(int player, const cCharaDef& def, int value1, int value2, int effect,
                                   int effectArg1, int effectArg2, int value3, int value4, int value5) {
  if (player < 0 || player >= kMaxCarryPlayers) {
    WriteLog("Carried status of player %d ignored.", player);
    return;
  }
  const cSystem* system = SaveContext().system;
  m_HasCarry = 1;
  PadTo(m_Carry, static_cast<size_t>(player) + 1);
  PadTo(m_CarryFlags, kCarryGroups);
  cCarryStatus& carry = m_Carry[static_cast<size_t>(player)];
  const int values[kCarryValues] = {value1, value2, value3, value4, value5};
  // The character's current effect, not the one it was defined with.
  cCharaDef withEffect;
  withEffect.m_CharaEffect = static_cast<int16_t>(effect);
  withEffect.m_CharaEffectArg1 = static_cast<int8_t>(effectArg1);
  withEffect.m_CharaEffectArg2 = static_cast<int8_t>(effectArg2);
  for (int g = 0; g < kCarryGroups; ++g) {
    if (!system || !SwitchOn(system->m_CarryEnabled, g)) continue;
    if (int v = CarriedValueOf(g); v >= 0)
      carry.m_CarryValues[v] = values[v];
    else
      CopyGroup(g, carry.m_CarryDef, g == 4 ? withEffect : def);
    m_CarryFlags[static_cast<size_t>(g)] = 1;
  }
}

void cSaveData::ApplyCarriedStatus(int player, cCharaDef& def) {
  if (m_HasCarry == 0) return;
  if (player < 0 || static_cast<size_t>(player) >= m_Carry.size()) return;
  const cCarryStatus& carry = m_Carry[static_cast<size_t>(player)];
  for (int g = 0; g < kCarryGroups; ++g) {
    if (!SwitchOn(m_CarryFlags, g) || g == 11 || g == 12) continue;
    switch (g) {
      case 22: TargetStage().m_TimeLimit = carry.m_CarryValues[2]; break;
      case 23: m_Lives = carry.m_CarryValues[3]; break;
      case 24: TargetStage().m_Bgm = carry.m_CarryValues[4]; break;
      default:
        CopyGroup(g, def, carry.m_CarryDef);
        if (g == 0 && def.m_GfxIndex == 0) def.m_GfxIndex = 1;
        break;
    }
  }
}

void cSaveData::GetCarriedValues(int player, int& out1, int& out2) const {
  if (m_HasCarry == 0 || player < 0 || static_cast<size_t>(player) >= m_Carry.size()) return;
  const cSystem* system = SaveContext().system;
  if (!system) return;
  const cCarryStatus& carry = m_Carry[static_cast<size_t>(player)];
  if (SwitchOn(system->m_CarryEnabled, 11) && SwitchOn(m_CarryFlags, 11)) out1 = carry.m_CarryValues[0];
  if (SwitchOn(system->m_CarryEnabled, 12) && SwitchOn(m_CarryFlags, 12)) out2 = carry.m_CarryValues[1];
}

void cSaveData::ClearCarriedFlags() {
  const cSystem* system = SaveContext().system;
  if (!system) return;
  for (int g = 0; g < kCarryGroups && static_cast<size_t>(g) < m_CarryFlags.size(); ++g)
    if (SwitchOn(system->m_CarryDropOnMiss, g)) m_CarryFlags[static_cast<size_t>(g)] = 0;
}

void cSaveData::StartNextRound() {
  m_PlayCount = Saturate(int64_t{m_PlayCount} + 1);
  m_Switches.Fill(0);
  if (const cWorldMap* map = SaveContext().worldMap) {
    m_MapX = map->m_StartX;
    m_MapY = map->m_StartY;
  }
}
