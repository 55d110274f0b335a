#pragma once
// Rankings: one file per stage and game mode, five tables (one per result
// category) of twenty rows, each row a name and a value.
#include <cstdint>
#include <string>

#include "base/SerialRecord.h"

class cRankEntry : public cSerialRecord {
 public:
  int32_t m_Used = 0;  // 0 = empty row
  std::string m_RankName;
  int32_t m_RankValue = 0;

  cRankEntry() = default;
  void RegisterFields(uint32_t version) override;
};

constexpr int kRankRows = 20;
constexpr int kRankTables = 5;

class cRankTable : public cSerialRecord {
 public:
  cVector<cRankEntry> m_Rows;  // best first
  int32_t m_LargerIsBetter = 0;

  cRankTable() { Init(); }
  void RegisterFields(uint32_t version) override;
  bool Read(cRecordReader& r) override;
  bool Write(cRecordWriter& w) override;

  // Cleared flag, exactly kRankRows rows (surplus dropped, empty rows added).
  void Init();
  // Row index the value would take, or -1. An equal value ranks below the
  // stored one; the first empty row is taken before any later row.
  int FindRank(int value) const;
  // Inserts a ranked result and pushes the last row out; a result that does
  // not rank leaves the table as it was.
  void Insert(const std::string& name, int value);
};

class cRanking : public cSerialRecord {
 public:
  cVector<cRankTable> m_Tables;

  cRanking() { SetDefaults(); }
  void RegisterFields(uint32_t version) override;
  bool Read(cRecordReader& r) override;
  bool Write(cRecordWriter& w) override;
  SERIAL_RECORD_COPYABLE(cRanking)

  // Five tables of empty rows; table 2 ranks smaller values higher.
  void SetDefaults();
  // 1 when the file of (mode, name, a, b, c) was read; otherwise the default
  // ranking and 0.
  int Load(int mode, const std::string& name, int a, int b, int c);
  // 1 when written (atomically), 0 otherwise.
  int Save(int mode, const std::string& name, int a, int b, int c);
};

// The flag each default table gets.
int DefaultRankOrder(int table);

// The ranking file of a stage: the mode's folder (0 story, 1 challenge,
// 2 free play), the stage name without folders (story names get the stage
// suffix) and the extension; the name supplies the dot. 0 for another mode.
int BuildRankingPath(std::string& out, int mode, const std::string& name, int a, int b, int c);

// Story suffix of a base name: with a non-zero, a final "." is taken off and
// "_c<b, three digits>_<c>." appended. Unchanged when a is 0.
void AppendStageSuffix(std::string& name, int a, int b, int c);

// The program-wide record (defined in data/ProgramData.cpp).
extern cRanking Ranking;
