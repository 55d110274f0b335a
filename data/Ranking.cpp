#include "data/Ranking.h"

#include "base/Paths.h"
#include "base/Text.h"
#include "data/DataPaths.h"

namespace {
constexpr int kDefaultOrder[kRankTables] = {1, 1, 0, 1, 1};

// Versions up to this one could store any number of tables and had no
// order flag worth keeping for tables 3 and 4.
constexpr uint32_t kLastFreeTableCount = 180;
}  // namespace

int DefaultRankOrder(int table) { return table >= 0 && table < kRankTables ? kDefaultOrder[table] : 0; }

// --- rows ---

void cRankEntry::RegisterFields(uint32_t) {
  ResetFields();
  AddInt(&m_Used);
  AddString(&m_RankName);
  AddInt(&m_RankValue);
}

// --- tables ---

void cRankTable::RegisterFields(uint32_t) {
  ResetFields();
  AddInt(&m_LargerIsBetter);
}

void cRankTable::Init() {
  Clear();
  m_Rows.resize(kRankRows);
}

bool cRankTable::Read(cRecordReader& r) {
  if (!cSerialRecord::Read(r)) return false;
  // A table keeps as many rows as its file holds.
  if (!ReadRecordVector(r, m_Rows)) return false;
  return r.Ok();
}

bool cRankTable::Write(cRecordWriter& w) {
  cSerialRecord::Write(w);
  WriteRecordVector(w, m_Rows);
  return true;
}

int cRankTable::FindRank(int value) const {
  for (size_t i = 0; i < m_Rows.size(); ++i) {
    const cRankEntry& row = m_Rows[i];
    if (row.m_Used == 0) return static_cast<int>(i);
    if (m_LargerIsBetter == 1 ? row.m_RankValue < value : (m_LargerIsBetter == 0 && value < row.m_RankValue))
      return static_cast<int>(i);
  }
  return -1;
}

void cRankTable::Insert(const std::string& name, int value) {
  int rank = FindRank(value);
  cRankEntry row;
  row.m_Used = 1;
  row.m_RankName = name;
  row.m_RankValue = value;
  if (rank >= 0 && static_cast<size_t>(rank) < m_Rows.size())
    m_Rows.insert(m_Rows.begin() + rank, row);
  else
    m_Rows.push_back(row);
  m_Rows.pop_back();
}

// --- the ranking file ---

void cRanking::RegisterFields(uint32_t) { ResetFields(); }

void cRanking::SetDefaults() {
  Clear();
  m_Tables.assign(kRankTables, cRankTable());
  for (int i = 0; i < kRankTables; ++i) m_Tables[static_cast<size_t>(i)].m_LargerIsBetter = kDefaultOrder[i];
}

bool cRanking::Read(cRecordReader& r) {
  if (!cSerialRecord::Read(r)) return false;
  if (!ReadRecordVector(r, m_Tables)) return false;
  if (r.Version() <= kLastFreeTableCount) {
    if (m_Tables.size() > static_cast<size_t>(kRankTables)) m_Tables.resize(kRankTables);
    while (m_Tables.size() < static_cast<size_t>(kRankTables)) m_Tables.emplace_back();
    m_Tables[3].m_LargerIsBetter = 1;
    m_Tables[4].m_LargerIsBetter = 1;
  } else {
    // The screens index five tables; a short file gets default ones.
    while (m_Tables.size() < static_cast<size_t>(kRankTables)) {
      m_Tables.emplace_back();
      m_Tables.back().m_LargerIsBetter = kDefaultOrder[m_Tables.size() - 1];
    }
  }
  return r.Ok();
}

bool cRanking::Write(cRecordWriter& w) {
  cSerialRecord::Write(w);
  WriteRecordVector(w, m_Tables);
  return true;
}

int cRanking::Load(int mode, const std::string& name, int a, int b, int c) {
  std::string path;
  if (BuildRankingPath(path, mode, name, a, b, c) && cSerialRecord::Load(path)) return 1;
  SetDefaults();
  return 0;
}

int cRanking::Save(int mode, const std::string& name, int a, int b, int c) {
  std::string path;
  if (!BuildRankingPath(path, mode, name, a, b, c)) return 0;
  return cSerialRecord::Save(path) ? 1 : 0;
}

// --- file names ---

void AppendStageSuffix(std::string& name, int a, int b, int c) {
  if (a == 0) return;
  if (!name.empty() && name.back() == '.') name.pop_back();
  AppendFormat(name, "_c%03d_%d.", b, c);
}

int BuildRankingPath(std::string& out, int mode, const std::string& name, int a, int b, int c) {
  const char* folder = nullptr;
  switch (mode) {
    case 0: folder = PathTable[PATH_RANKING_STORY]; break;
    case 1: folder = PathTable[PATH_RANKING_CHALLENGE]; break;
    case 2: folder = PathTable[PATH_RANKING_FREE]; break;
    default: return 0;
  }
  std::string file = name;
  if (mode == 0) AppendStageSuffix(file, a, b, c);
  StripDirectory(file);
  out = FormatString("%s%s%s", folder, file.c_str(), ExtTable[EXT_RANKING]);
  return 1;
}
