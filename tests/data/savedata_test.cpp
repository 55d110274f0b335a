// ctest-label: data
#include "data/SaveData.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "data/Stage.h"
#include "data/System.h"
#include "data/WorldMap.h"

// The file's own namespace keeps its helpers apart from other test files compiled with it.
namespace savedata_test {

namespace {

// Points the save data at a small system data, world map and stage.
class SaveDataTest : public ::testing::Test {
 protected:
  void SetUp() override {
    system_.m_ChallengeCount = 3;
    ASSERT_EQ(map_.SetSize(10, 8), 1);
    map_.m_StartX = 2;
    map_.m_StartY = 3;
    SaveContext() = cSaveContext{&system_, &map_, &stage_, 0, false};
  }
  void TearDown() override { SaveContext() = cSaveContext{}; }

  cSystem system_;
  cWorldMap map_;
  cStage stage_;
};

uint32_t U32At(const std::vector<unsigned char>& b, size_t at) {
  uint32_t v;
  std::memcpy(&v, b.data() + at, 4);
  return v;
}

// A save data whose every part differs from a fresh one.
cSaveData Distinct() {
  cSaveData s;
  s.m_HasCarry = 1;
  s.m_CarryFlags[4] = 1;
  s.m_CarryFlags[24] = 1;
  s.m_Carry.resize(2);
  s.m_Carry[1].m_CarryValues[4] = 7;
  s.m_Carry[1].m_CarryDef.m_MaxHp = 321;
  s.m_Carry[1].m_CarryDef.m_Name = "hero";
  s.m_MapX = 4;
  s.m_MapY = 5;
  s.m_MapNode = 6;
  s.m_Switches[999] = 1;
  s.m_PlayCount = 3;
  s.m_Vars[1000] = -5;
  s.m_StageFile = "forest.";
  s.m_StageBase = "forest_c007_2.";
  s.m_TagOn = 1;
  s.m_TagNo = 7;
  s.m_TagSub = 2;
  int32_t* ints[] = {&s.m_AppValueA, &s.m_AppValueB, &s.m_StartLives, &s.m_Lives,     &s.m_Score,     &s.m_Result0,
                     &s.m_RecordTotal, &s.m_Result1, &s.m_Result2,   &s.m_Result3,    &s.m_Result4,   &s.m_AppValueC,
                     &s.m_AppValueD, &s.m_AppValueE, &s.m_MenuCursor, &s.m_AppValueF, &s.m_CursorCol, &s.m_CursorRow,
                     &s.m_AutoSave,  &s.m_AppValueG, &s.m_AppValueH, &s.m_RestartOn,  &s.m_RestartCol, &s.m_RestartRow,
                     &s.m_AppValueI};
  int n = 100;
  for (int32_t* p : ints) *p = n++;
  s.UpdateStageRecord("forest.", "forest_c007_2.", 1, 7, 2, 500);
  s.m_ChallengeLevel = 2;
  s.m_ChallengeRecords.resize(3);
  s.m_ChallengeRecords[1].m_Cleared = 1;
  s.m_ChallengeRecords[1].m_Best = 900;
  s.m_StorySlot = 4;
  s.m_SavedTime = cSavedTime{2024, 5, 3, 9, 13, 14, 15, 16};
  s.m_PlayerName = "\x83\x76\x83\x8C\x83\x43\x83\x84\x81\x5B";  // プレイヤー
  return s;
}

TEST_F(SaveDataTest, ByteRoundTripAt791) {
  cSaveData s = Distinct();
  std::vector<unsigned char> bytes = s.SaveToBytes();
  EXPECT_EQ(U32At(bytes, 0), 791u);
  EXPECT_EQ(U32At(bytes, 4), 35u);  // 35 entries of one int
  EXPECT_EQ(U32At(bytes, 4 + 4 + 140), 3u);  // three texts
  // Field block order: the three tag ints follow the first five.
  EXPECT_EQ(U32At(bytes, 8 + 5 * 4), 1u);
  EXPECT_EQ(U32At(bytes, 8 + 6 * 4), 7u);
  EXPECT_EQ(U32At(bytes, 8 + 34 * 4), 124u);  // m_AppValueI last

  cSaveData back;
  ASSERT_TRUE(back.LoadFromBytes(bytes));
  EXPECT_EQ(back.SaveToBytes(), bytes);
  EXPECT_EQ(back.m_SavedTime, s.m_SavedTime);
  ASSERT_EQ(back.m_Carry.size(), 2u);
  EXPECT_EQ(back.m_Carry[1].m_CarryDef.m_MaxHp, 321);
  EXPECT_EQ(back.m_Carry[1].m_CarryValues[4], 7);
  ASSERT_EQ(back.m_StageRecords.size(), 1u);
  EXPECT_EQ(back.m_StageRecords[0].m_StageKey, "forest_c007_2.");
  EXPECT_EQ(back.m_StageRecords[0].m_Place[1], 7);
  EXPECT_EQ(back.m_ChallengeRecords[1].m_Best, 900);
  EXPECT_EQ(back.m_PlayerName, s.m_PlayerName);
  EXPECT_EQ(back.m_RestartRow, s.m_RestartRow);
}

TEST_F(SaveDataTest, ResetGivesAFreshPlay) {
  cSaveData s = Distinct();
  s.Reset();
  EXPECT_EQ(s.m_HasCarry, 0);
  EXPECT_EQ(s.m_CarryFlags, cVector<int32_t>(25, 0));
  EXPECT_EQ(s.m_Carry.size(), 1u);
  EXPECT_EQ(s.m_Carry[0].m_CarryDef.m_MaxHp, cCharaDef().m_MaxHp);
  ASSERT_EQ(s.m_Switches.size(), 1000u);
  EXPECT_EQ(s.m_Switches[0], 1);
  EXPECT_EQ(s.m_Switches[999], 0);
  EXPECT_EQ(s.m_Vars, cVector<int32_t>(1001, 0));
  EXPECT_TRUE(s.m_StageRecords.empty());
  EXPECT_TRUE(s.m_ChallengeRecords.empty());
  EXPECT_EQ(s.m_ChallengeLevel, 1);
  EXPECT_EQ(s.m_StorySlot, -1);
  EXPECT_EQ(s.m_PlayerName, "aaa");
  EXPECT_EQ(s.m_StageFile, "");
  EXPECT_EQ(s.m_Lives, 0);
  EXPECT_EQ(s.m_RestartOn, 0);
  EXPECT_EQ(s.m_SavedTime, cSavedTime{});
}

// An image of save data as a program of version v wrote it: its fields,
// no carried statuses, `vars` variables.
std::vector<unsigned char> OldImage(uint32_t v, cSaveData s, size_t vars) {
  s.m_Vars.resize(vars);
  const uint32_t saved = dwDataVersion;
  dwDataVersion = v;
  cRecordWriter w;
  BeginRecordFile(w);
  s.cSerialRecord::Write(w);
  w.WriteValue(s.m_SavedTime);
  if (v > 500) {
    w.WriteU32(25);
    for (int i = 0; i < 25; ++i) w.WriteI32(0);
  }
  w.WriteU32(0);  // carried statuses
  WriteRecordVector(w, s.m_StageRecords);
  WriteRecordVector(w, s.m_ChallengeRecords);
  w.WriteU32(static_cast<uint32_t>(s.m_Switches.size()));
  for (int32_t x : s.m_Switches) w.WriteI32(x);
  w.WriteU32(static_cast<uint32_t>(s.m_Vars.size()));
  for (int32_t x : s.m_Vars) w.WriteI32(x);
  dwDataVersion = saved;
  return w.Bytes();
}

TEST_F(SaveDataTest, OlderFilesAreUpgraded) {
  cSaveData src = Distinct();
  src.m_Vars[799] = 42;

  {  // v500: no flag vector, every carried group counts as stored
    cSaveData s;
    ASSERT_TRUE(s.LoadFromBytes(OldImage(500, src, 1001)));
    EXPECT_EQ(s.m_CarryFlags, cVector<int32_t>(25, 1));
    EXPECT_EQ(s.m_Carry.size(), 1u);  // at least one carried record
  }
  {  // v700 with 800 variables: padded to the size the engine indexes
    cSaveData s;
    ASSERT_TRUE(s.LoadFromBytes(OldImage(700, src, 800)));
    ASSERT_EQ(s.m_Vars.size(), 1001u);
    EXPECT_EQ(s.m_Vars[799], 42);
    EXPECT_EQ(s.m_Vars[800], 0);
    EXPECT_EQ(s.m_Vars[1000], 0);
    EXPECT_GE(s.m_CheckVars.size(), 1001u);
    EXPECT_EQ(s.m_CarryFlags, cVector<int32_t>(25, 0));
  }
  {  // v750: stage records are keyed by their file name, place 0
    cSaveData s;
    ASSERT_TRUE(s.LoadFromBytes(OldImage(750, src, 1001)));
    ASSERT_EQ(s.m_StageRecords.size(), 1u);
    EXPECT_EQ(s.m_StageRecords[0].m_StageFile, "forest.");
    EXPECT_EQ(s.m_StageRecords[0].m_StageKey, "forest.");
    EXPECT_EQ(s.m_StageRecords[0].m_Place[0], 0);
    EXPECT_EQ(s.m_StageRecords[0].m_Place[1], 0);
    EXPECT_EQ(s.m_StageRecords[0].m_Best, 500);
    EXPECT_EQ(s.m_Vars.size(), 1001u);  // from 754 the stored count is kept
    EXPECT_EQ(s.m_StageBase, src.m_StageBase);
    EXPECT_EQ(s.m_TagOn, 0);  // tags are stored from 758
  }
  {  // v677: no restart place in the file; what the target held is gone
    cSaveData s = Distinct();
    ASSERT_TRUE(s.LoadFromBytes(OldImage(677, src, 1001)));
    EXPECT_EQ(s.m_RestartOn, 0);
    EXPECT_EQ(s.m_RestartCol, 0);
    EXPECT_EQ(s.m_RestartRow, 0);
    EXPECT_EQ(s.m_AppValueI, 0);
    EXPECT_EQ(s.m_AppValueH, src.m_AppValueH);
    EXPECT_EQ(s.m_StageBase, "");  // stored from 724
  }
  {  // v165: the early gates
    cSaveData s = Distinct();
    ASSERT_TRUE(s.LoadFromBytes(OldImage(165, src, 1001)));
    EXPECT_EQ(s.m_AppValueE, 1);
    EXPECT_EQ(s.m_AutoSave, 0);
    EXPECT_EQ(s.m_Result3, 0);
    EXPECT_EQ(s.m_AppValueF, 0);
    EXPECT_EQ(s.m_CursorCol, 0);
    EXPECT_EQ(s.m_MenuCursor, 0);
    EXPECT_EQ(s.m_Result2, src.m_Result2);
    EXPECT_EQ(s.m_PlayerName, src.m_PlayerName);
  }
  {  // v190 has m_AppValueF but not the cursors; 191 has the cursor, 194 the menu cursor
    cSaveData s;
    ASSERT_TRUE(s.LoadFromBytes(OldImage(190, src, 1001)));
    EXPECT_EQ(s.m_AppValueF, src.m_AppValueF);
    EXPECT_EQ(s.m_CursorRow, 0);
    ASSERT_TRUE(s.LoadFromBytes(OldImage(191, src, 1001)));
    EXPECT_EQ(s.m_CursorRow, src.m_CursorRow);
    EXPECT_EQ(s.m_MenuCursor, 0);
    ASSERT_TRUE(s.LoadFromBytes(OldImage(194, src, 1001)));
    EXPECT_EQ(s.m_MenuCursor, src.m_MenuCursor);
  }
}

TEST_F(SaveDataTest, ReadPadsShortLists) {
  cSaveData src = Distinct();
  src.m_Switches.resize(10);
  src.m_Vars.resize(5);
  src.m_CarryFlags.resize(3);
  src.m_Carry.clear();
  cSaveData s;
  ASSERT_TRUE(s.LoadFromBytes(src.SaveToBytes()));
  EXPECT_EQ(s.m_Switches.size(), 1000u);
  EXPECT_EQ(s.m_Switches[0], src.m_Switches[0]);
  EXPECT_EQ(s.m_Vars.size(), 1001u);
  EXPECT_EQ(s.m_CarryFlags.size(), 25u);
  EXPECT_EQ(s.m_CarryFlags[2], 0);
  EXPECT_EQ(s.m_Carry.size(), 1u);
}

TEST_F(SaveDataTest, BrokenFilesAreRefusedWithoutChange) {
  std::vector<unsigned char> good = Distinct().SaveToBytes();
  std::vector<std::vector<unsigned char>> bad;
  for (size_t cut : {size_t{3}, size_t{100}, good.size() / 2, good.size() - 1})
    bad.emplace_back(good.begin(), good.begin() + static_cast<long>(cut));
  auto newer = good;
  newer[0] = 0x18;  // 792
  bad.push_back(newer);
  auto surplusFields = good;
  surplusFields[4] = 36;  // more entries than registered
  bad.push_back(surplusFields);
  auto hugeVars = good;  // last vector's count far beyond the file
  hugeVars[good.size() - 1001 * 4 - 1] = 0x40;
  bad.push_back(hugeVars);

  for (size_t i = 0; i < bad.size(); ++i) {
    cSaveData s;
    s.m_Score = 4242;
    s.m_Vars[3] = 9;
    EXPECT_FALSE(s.LoadFromBytes(bad[i])) << i;
    EXPECT_EQ(s.m_Score, 4242) << i;
    EXPECT_EQ(s.m_Vars[3], 9) << i;
    EXPECT_EQ(s.m_PlayerName, "aaa") << i;
  }
}

TEST_F(SaveDataTest, ValidateKeepsPlaceAndChallengesInRange) {
  struct {
    int mapX, mapY;
    int wantX, wantY;
  } places[] = {{9, 7, 9, 7}, {10, 7, 2, 7}, {9, 8, 9, 3}, {-1, 0, 2, 0}, {0, -5, 0, 3}};
  for (const auto& p : places) {
    cSaveData s;
    s.m_MapX = p.mapX;
    s.m_MapY = p.mapY;
    s.Validate();
    EXPECT_EQ(s.m_MapX, p.wantX) << p.mapX;
    EXPECT_EQ(s.m_MapY, p.wantY) << p.mapY;
  }

  cSaveData s;
  s.m_ChallengeLevel = 5;
  s.m_ChallengeRecords.resize(7);
  s.m_ChallengeRecords[2].m_Best = 3;
  cSaveData back;
  ASSERT_TRUE(back.LoadFromBytes(s.SaveToBytes()));
  EXPECT_EQ(back.m_ChallengeLevel, 3);
  ASSERT_EQ(back.m_ChallengeRecords.size(), 3u);
  EXPECT_EQ(back.m_ChallengeRecords[2].m_Best, 3);

  system_.m_ChallengeCount = 5;
  back.m_ChallengeLevel = 2;
  back.Validate();
  EXPECT_EQ(back.m_ChallengeRecords.size(), 5u);
  EXPECT_EQ(back.m_ChallengeRecords[4].m_Cleared, 0);
  EXPECT_EQ(back.m_ChallengeLevel, 2);
}

TEST_F(SaveDataTest, SetStageName) {
  struct {
    const char* name;
    int tagOn, tagNo, tagSub;
    const char* file;
    const char* base;
  } cases[] = {
      {"forest-1.stg4_791", 1, 7, 2, "forest.", "forest_c007_2."},
      {"town.stg4_791", 0, 7, 2, "town.", "town."},
      {"town.stg4_791", 1, 123, -4, "town.", "town_c123_-4."},
      {"Stage03-1.stg4_004", 0, 0, 0, "Stage03.", "Stage03."},
      // Any "-1" counts, as the stored keys of older slots expect: part 10
      // of "zone" and part 1 of "zone" share one key (and with it one set of
      // records, ranking and challenge files) with a stage named "zone".
      {"zone-10.stg4_791", 0, 0, 0, "zone.", "zone."},
      {"zone-1.stg4_791", 0, 0, 0, "zone.", "zone."},
      {"zone.stg4_791", 0, 0, 0, "zone.", "zone."},
  };
  for (const auto& c : cases) {
    cSaveData s;
    s.SetStageName(c.name, c.tagOn, c.tagNo, c.tagSub);
    EXPECT_EQ(s.m_StageFile, c.file) << c.name;
    EXPECT_EQ(s.m_StageFile.size(), std::strlen(c.file)) << c.name;  // no text left behind a NUL
    EXPECT_EQ(s.m_StageBase, c.base) << c.name;
    EXPECT_EQ(s.m_TagOn, c.tagOn);
    EXPECT_EQ(s.m_TagNo, c.tagNo);
    EXPECT_EQ(s.m_TagSub, c.tagSub);
  }
}

TEST_F(SaveDataTest, StageRecordsAndTotal) {
  cSaveData s;
  s.UpdateStageRecord("a.", "a.", 0, 1, 0, 100);
  s.UpdateStageRecord("b.", "b_c001_2.", 1, 1, 2, 50);
  EXPECT_EQ(s.m_RecordTotal, 150);
  s.UpdateStageRecord("a.", "a.", 0, 1, 0, 80);  // smaller: nothing changes
  EXPECT_EQ(s.m_RecordTotal, 150);
  EXPECT_EQ(s.GetStageBest("a."), 100);
  s.UpdateStageRecord("a.", "a.", 0, 1, 0, 130);
  EXPECT_EQ(s.m_RecordTotal, 180);
  EXPECT_EQ(s.GetStageBest("a."), 130);
  EXPECT_EQ(s.GetStageBest("A."), 0);  // keys compare with case
  EXPECT_EQ(s.m_StageRecords.size(), 2u);

  s.m_RecordTotal = 2147483600;
  s.UpdateStageRecord("c.", "c.", 0, 0, 0, 1000);
  EXPECT_EQ(s.m_RecordTotal, 2147483647);  // never wraps

  // Only records whose stage is still a node of the map count.
  map_.m_Points.resize(1);
  map_.m_Points[0].m_Nodes.assign(2, cWorldNode());
  map_.m_Points[0].m_Nodes[0].m_StageFile = "a-1.stg4_791";
  map_.m_Points[0].m_Nodes[1].m_StageFile = "b-1.stg4_791";
  map_.m_Points[0].m_Nodes[1].m_HasPlace = 1;
  map_.m_Points[0].m_Nodes[1].m_PlaceA = 1;
  map_.m_Points[0].m_Nodes[1].m_PlaceB = 2;
  s.RecalcTotal();
  EXPECT_EQ(s.m_RecordTotal, 180);
}

TEST_F(SaveDataTest, CheckpointsByPlayMode) {
  system_.m_RestoreStory = 1;
  system_.m_RestoreChallenge = 0;
  system_.m_RestoreFree = 0;
  system_.m_RestoreStartFile = 1;
  struct {
    int mode;
    bool startFile;
    bool always;
    bool varsBack;
    bool livesBack;
  } cases[] = {
      {0, false, false, true, false}, {1, false, false, false, false}, {2, false, false, false, false},
      {2, true, false, true, false},  {7, false, false, true, false},  {1, false, true, true, true},
  };
  for (const auto& c : cases) {
    SaveContext().playMode = c.mode;
    SaveContext().startFilePlay = c.startFile;
    cSaveData s;
    s.m_Vars[5] = 1;
    s.m_Lives = 3;
    s.m_Result0 = 10;
    s.SaveCheckpoint();
    s.m_Vars[5] = 2;
    s.m_Lives = 1;
    s.m_Result0 = 99;
    s.RestoreCheckpoint(c.always);
    EXPECT_EQ(s.m_Vars[5], c.varsBack ? 1 : 2) << c.mode << c.startFile << c.always;
    EXPECT_EQ(s.m_Lives, c.livesBack ? 3 : 1);
    EXPECT_EQ(s.m_Result0, 10);  // always returns
  }
}

TEST_F(SaveDataTest, CarriedStatuses) {
  system_.m_CarryEnabled.assign(25, 0);
  for (int g : {0, 4, 11, 13, 21, 22, 23, 24}) system_.m_CarryEnabled[static_cast<size_t>(g)] = 1;
  system_.m_CarryDropOnMiss.assign(25, 0);
  system_.m_CarryDropOnMiss[13] = 1;

  cCharaDef hero;
  hero.m_GfxIndex = 0;
  hero.m_GfxKind = 4;
  hero.m_MaxHp = 77;
  hero.m_MaxSp = 55;  // group 14 is not carried
  hero.m_Flows.resize(2);
  cSaveData s;
  int out1 = -1, out2 = -2;
  s.GetCarriedValues(0, out1, out2);
  EXPECT_EQ(out1, -1);  // nothing stored yet

  s.StoreCarriedStatus(0, hero, 11, 12, 9, 3, 4, 300, 6, 2);
  EXPECT_EQ(s.m_HasCarry, 1);
  cVector<int32_t> flags(25, 0);
  for (int g : {0, 4, 11, 13, 21, 22, 23, 24}) flags[static_cast<size_t>(g)] = 1;
  EXPECT_EQ(s.m_CarryFlags, flags);

  s.GetCarriedValues(0, out1, out2);
  EXPECT_EQ(out1, 11);
  EXPECT_EQ(out2, -2);  // group 12 is not carried

  cCharaDef next;
  stage_.m_TimeLimit = 1;
  stage_.m_Bgm = 1;
  s.m_Lives = 0;
  s.ApplyCarriedStatus(0, next);
  EXPECT_EQ(next.m_GfxKind, 4);
  EXPECT_EQ(next.m_GfxIndex, 1);  // picture 0 comes back as 1
  EXPECT_EQ(next.m_CharaEffect, 9);  // the current effect, not the defined one
  EXPECT_EQ(next.m_CharaEffectArg1, 3);
  EXPECT_EQ(next.m_CharaEffectArg2, 4);
  EXPECT_EQ(next.m_MaxHp, 77);
  EXPECT_EQ(next.m_MaxSp, cCharaDef().m_MaxSp);
  EXPECT_EQ(next.m_Flows.size(), 2u);
  EXPECT_EQ(stage_.m_TimeLimit, 300);
  EXPECT_EQ(s.m_Lives, 6);
  EXPECT_EQ(stage_.m_Bgm, 2);

  s.ClearCarriedFlags();
  EXPECT_EQ(s.m_CarryFlags[13], 0);
  EXPECT_EQ(s.m_CarryFlags[0], 1);
  cCharaDef after;
  s.ApplyCarriedStatus(0, after);
  EXPECT_EQ(after.m_MaxHp, cCharaDef().m_MaxHp);

  // Another player's list grows; a bad player number changes nothing.
  s.StoreCarriedStatus(2, hero, 1, 2, 0, 0, 0, 0, 0, 0);
  EXPECT_EQ(s.m_Carry.size(), 3u);
  s.StoreCarriedStatus(-1, hero, 1, 2, 0, 0, 0, 0, 0, 0);
  cCharaDef untouched;
  s.ApplyCarriedStatus(9, untouched);
  EXPECT_EQ(untouched.m_MaxHp, cCharaDef().m_MaxHp);

  cSaveData none;
  cCharaDef plain;
  none.ApplyCarriedStatus(0, plain);
  EXPECT_EQ(plain.m_GfxIndex, 0);
}

TEST_F(SaveDataTest, NextRoundAndLives) {
  cSaveData s;
  s.m_Switches.Fill(1);
  s.m_MapX = 5;
  s.StartNextRound();
  EXPECT_EQ(s.m_PlayCount, 1);
  EXPECT_EQ(s.m_Switches, cVector<int32_t>(1000, 0));
  EXPECT_EQ(s.m_MapX, 2);
  EXPECT_EQ(s.m_MapY, 3);

  system_.m_InfiniteLives = {1, 0, 0, 0};
  system_.m_InitialLives = {5, 4, 3, 2};
  s.m_Lives = 2;
  s.ApplyLivesRule(0);
  EXPECT_EQ(s.m_Lives, 999999);
  EXPECT_EQ(s.m_StartLives, 999999);
  s.ApplyLivesRule(1);
  EXPECT_EQ(s.m_Lives, 4);
  s.ApplyLivesRule(1);
  EXPECT_EQ(s.m_Lives, 4);
  s.ApplyLivesRule(9);  // no such mode
  EXPECT_EQ(s.m_Lives, 4);
}

}  // namespace

}  // namespace savedata_test
