#pragma once
// The save-data file layout, written out here as a table on its own (not
// taken from the reader): every stored int with the first version that has
// it, the texts with theirs, and a builder of whole files at any version.
#include <cstdint>
#include <string>
#include <vector>

#include "data/SaveData.h"
#include "tests/support/ByteBuilder.h"

namespace savelayout {

using testsupport::Bytes;
using testsupport::ByteBuilder;

// One int entry of the field block, in file order.
struct IntField {
  const char* name;
  uint32_t from;
  int32_t cSaveData::*member;
  int32_t value;  // what the built files hold; distinct from every other entry
};

inline const std::vector<IntField>& IntFields() {
  static const std::vector<IntField> table = {
      {"m_HasCarry", 0, &cSaveData::m_HasCarry, 1},
      {"m_MapX", 0, &cSaveData::m_MapX, 4},  // inside a 10 x 8 map
      {"m_MapY", 0, &cSaveData::m_MapY, 5},
      {"m_MapNode", 0, &cSaveData::m_MapNode, 106},
      {"m_PlayCount", 0, &cSaveData::m_PlayCount, 107},
      {"m_TagOn", 758, &cSaveData::m_TagOn, 108},
      {"m_TagNo", 758, &cSaveData::m_TagNo, 109},
      {"m_TagSub", 758, &cSaveData::m_TagSub, 110},
      {"m_AppValueA", 0, &cSaveData::m_AppValueA, 111},
      {"m_AppValueB", 0, &cSaveData::m_AppValueB, 112},
      {"m_StartLives", 0, &cSaveData::m_StartLives, 113},
      {"m_Lives", 0, &cSaveData::m_Lives, 114},
      {"m_Score", 0, &cSaveData::m_Score, 115},
      {"m_Result0", 0, &cSaveData::m_Result0, 116},
      {"m_RecordTotal", 0, &cSaveData::m_RecordTotal, 117},
      {"m_Result1", 0, &cSaveData::m_Result1, 118},
      {"m_Result2", 0, &cSaveData::m_Result2, 119},
      {"m_Result3", 182, &cSaveData::m_Result3, 120},
      {"m_Result4", 182, &cSaveData::m_Result4, 121},
      {"m_AppValueC", 0, &cSaveData::m_AppValueC, 122},
      {"m_AppValueD", 0, &cSaveData::m_AppValueD, 123},
      {"m_AppValueE", 166, &cSaveData::m_AppValueE, 124},
      {"m_MenuCursor", 194, &cSaveData::m_MenuCursor, 125},
      {"m_AppValueF", 190, &cSaveData::m_AppValueF, 126},
      {"m_CursorCol", 191, &cSaveData::m_CursorCol, 127},
      {"m_CursorRow", 191, &cSaveData::m_CursorRow, 128},
      {"m_ChallengeLevel", 0, &cSaveData::m_ChallengeLevel, 2},  // at most the 3 challenge stages
      {"m_StorySlot", 0, &cSaveData::m_StorySlot, 130},
      {"m_AutoSave", 169, &cSaveData::m_AutoSave, 131},
      {"m_AppValueG", 0, &cSaveData::m_AppValueG, 132},
      {"m_AppValueH", 0, &cSaveData::m_AppValueH, 133},
      {"m_RestartOn", 678, &cSaveData::m_RestartOn, 134},
      {"m_RestartCol", 678, &cSaveData::m_RestartCol, 135},
      {"m_RestartRow", 678, &cSaveData::m_RestartRow, 136},
      {"m_AppValueI", 679, &cSaveData::m_AppValueI, 137},
  };
  return table;
}

// The string block, in file order.
struct TextField {
  const char* name;
  uint32_t from;
  std::string cSaveData::*member;
  const char* value;
};

inline const std::vector<TextField>& TextFields() {
  static const std::vector<TextField> table = {
      {"m_StageFile", 0, &cSaveData::m_StageFile, "forest."},
      {"m_StageBase", 724, &cSaveData::m_StageBase, "forest_c007_2."},
      {"m_PlayerName", 0, &cSaveData::m_PlayerName, "\x83\x76\x83\x8C\x83\x43\x83\x84\x81\x5B"},  // プレイヤー
  };
  return table;
}

// The lists after the two blocks.
constexpr uint32_t kCarryFlagsFrom = 501;
constexpr uint32_t kStageKeyFrom = 759;
inline const uint16_t kSavedTime[8] = {2024, 5, 3, 9, 13, 14, 15, 16};
inline bool CarryFlagAt(int i) { return i % 3 == 0; }  // groups 0, 3, .. 24 stored
constexpr int32_t kStagePlace[3] = {1, 7, 2};
constexpr int32_t kStageBest = 500;
constexpr const char* kStageFile = "forest.";
constexpr const char* kStageKey = "forest_c007_2.";
constexpr int32_t kChallenge[3][2] = {{1, 300}, {0, 0}, {1, 900}};  // cleared, best
constexpr int kSwitchOn = 999;
constexpr int kVars = 1001;
constexpr int32_t kVar999 = 11, kVar1000 = 7;

// A save file as a program of version v writes it, with every value above
// and no carried status.
inline Bytes SaveFile(uint32_t v) {
  ByteBuilder b;
  b.U32(v);
  std::vector<int32_t> ints;
  for (const IntField& f : IntFields())
    if (v >= f.from) ints.push_back(f.value);
  b.Ints(ints);  // one entry per int
  std::vector<std::string> texts;
  for (const TextField& t : TextFields())
    if (v >= t.from) texts.push_back(t.value);
  b.Strings(texts);
  for (uint16_t w : kSavedTime) b.U16(w);
  if (v >= kCarryFlagsFrom) {
    b.U32(25);
    for (int i = 0; i < 25; ++i) b.I32(CarryFlagAt(i) ? 1 : 0);
  }
  b.U32(0);  // carried statuses
  b.U32(1);  // one stage record
  if (v >= kStageKeyFrom) {
    b.U32(4).I32(kStagePlace[0]).I32(kStagePlace[1]).I32(kStagePlace[2]).I32(kStageBest);
    b.U32(2).Str(kStageFile).Str(kStageKey);
  } else {
    b.U32(1).I32(kStageBest);
    b.U32(1).Str(kStageFile);
  }
  b.U32(3);
  for (const auto& c : kChallenge) b.U32(2).I32(c[0]).I32(c[1]).U32(0);
  b.U32(1000);
  for (int i = 0; i < 1000; ++i) b.I32(i == 0 || i == kSwitchOn ? 1 : 0);
  b.U32(kVars);
  for (int i = 0; i < kVars; ++i) b.I32(i == 999 ? kVar999 : i == 1000 ? kVar1000 : 0);
  return b.bytes();
}

}  // namespace savelayout
