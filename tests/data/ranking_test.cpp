// ctest-label: data
#include "data/Ranking.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/FileSystem.h"
#include "tests/support/TestSupport.h"

// The file's own namespace keeps its helpers apart from other test files compiled with it.
namespace ranking_test {

namespace {

cRankTable TableOf(int largerIsBetter, const std::vector<int>& values, size_t rows = kRankRows) {
  cRankTable t;
  t.m_LargerIsBetter = largerIsBetter;
  t.m_Rows.resize(rows);
  for (size_t i = 0; i < values.size(); ++i) {
    t.m_Rows[i].m_Used = 1;
    t.m_Rows[i].m_RankValue = values[i];
    t.m_Rows[i].m_RankName = "p" + std::to_string(i);
  }
  return t;
}

std::vector<int> Values(const cRankTable& t) {
  std::vector<int> v;
  for (const auto& row : t.m_Rows) v.push_back(row.m_Used ? row.m_RankValue : -999);
  return v;
}

TEST(RankTable, FindRank) {
  std::vector<int> full;
  for (int i = 0; i < kRankRows; ++i) full.push_back(1000 - i * 50);  // last value 50
  struct {
    int largerIsBetter;
    std::vector<int> values;
    int value;
    int rank;
  } cases[] = {
      {1, {500, 300, 300, 100}, 300, 3},  // an equal value ranks below the stored ones
      {1, {500, 300, 300, 100}, 301, 1},
      {1, {500, 300, 300, 100}, 600, 0},
      {1, {500, 300, 300, 100}, 50, 4},   // first empty row
      {1, full, 50, -1},
      {1, full, 51, 19},
      {0, {1200, 1500}, 1300, 1},         // times: smaller is better
      {0, {1200, 1500}, 1200, 1},
      {0, {1200, 1500}, 1100, 0},
      {0, {1200, 1500}, 2000, 2},
      {1, {}, -5, 0},
  };
  for (const auto& c : cases) {
    cRankTable t = TableOf(c.largerIsBetter, c.values);
    EXPECT_EQ(t.FindRank(c.value), c.rank) << c.largerIsBetter << " " << c.value;
  }
  // A table with no rows ranks nothing.
  cRankTable empty = TableOf(1, {}, 0);
  EXPECT_EQ(empty.FindRank(1), -1);
}

TEST(RankTable, InsertKeepsTheLength) {
  std::vector<int> full;
  for (int i = 0; i < kRankRows; ++i) full.push_back(1000 - i * 50);
  cRankTable t = TableOf(1, full);
  t.Insert("top", 5000);
  ASSERT_EQ(t.m_Rows.size(), 20u);
  EXPECT_EQ(t.m_Rows[0].m_RankName, "top");
  EXPECT_EQ(t.m_Rows[0].m_Used, 1);
  EXPECT_EQ(t.m_Rows[0].m_RankValue, 5000);
  EXPECT_EQ(t.m_Rows[1].m_RankName, "p0");
  EXPECT_EQ(t.m_Rows[19].m_RankValue, 100);  // the former twentieth row (50) is gone

  std::vector<int> before = Values(t);
  t.Insert("low", 10);
  EXPECT_EQ(Values(t), before);

  cRankTable partial = TableOf(0, {1200, 1500});
  partial.Insert("mid", 1300);
  EXPECT_EQ(Values(partial)[0], 1200);
  EXPECT_EQ(Values(partial)[1], 1300);
  EXPECT_EQ(Values(partial)[2], 1500);
  EXPECT_EQ(partial.m_Rows.size(), 20u);
}

TEST(RankTable, InitMakesTwentyClearedRows) {
  cRankTable t = TableOf(1, {7, 6, 5}, 25);
  t.Init();
  EXPECT_EQ(t.m_LargerIsBetter, 0);
  EXPECT_EQ(t.m_Rows.size(), 20u);
  EXPECT_EQ(t.m_Rows[0].m_RankValue, 7);  // surplus rows are dropped from the end only
  t.m_Rows.resize(3);
  t.Init();
  EXPECT_EQ(t.m_Rows.size(), 20u);
  EXPECT_EQ(t.m_Rows[3].m_Used, 0);
}

void ExpectDefaultRanking(const cRanking& r) {
  ASSERT_EQ(r.m_Tables.size(), 5u);
  const int order[] = {1, 1, 0, 1, 1};
  for (size_t i = 0; i < 5; ++i) {
    EXPECT_EQ(r.m_Tables[i].m_LargerIsBetter, order[i]) << i;
    ASSERT_EQ(r.m_Tables[i].m_Rows.size(), 20u);
    for (const auto& row : r.m_Tables[i].m_Rows) {
      EXPECT_EQ(row.m_Used, 0);
      EXPECT_EQ(row.m_RankName, "");
      EXPECT_EQ(row.m_RankValue, 0);
    }
  }
}

TEST(Ranking, DefaultFileIs2096Bytes) {
  cRanking r;
  ExpectDefaultRanking(r);
  std::vector<unsigned char> bytes = r.SaveToBytes();
  ASSERT_EQ(bytes.size(), 2096u);
  // version, empty field and string blocks, five tables
  const std::vector<unsigned char> head = {0x17, 0x03, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 5, 0, 0, 0,
                                           1,    0,    0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 20, 0, 0, 0,
                                           2,    0,    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0};
  EXPECT_EQ(std::vector<unsigned char>(bytes.begin(), bytes.begin() + static_cast<long>(head.size())), head);
  // Table 2 (smaller is better) starts after two tables of 416 bytes.
  EXPECT_EQ(bytes[16 + 2 * 416 + 4], 0);
  EXPECT_EQ(bytes[16 + 3 * 416 + 4], 1);

  cRanking back;
  back.m_Tables.clear();
  ASSERT_TRUE(back.LoadFromBytes(bytes));
  ExpectDefaultRanking(back);
}

TEST(Ranking, RoundTripKeepsRowsAndNames) {
  cRanking r;
  r.m_Tables[0].Insert("\x82\xA0\x82\xA2", 300);  // あい
  r.m_Tables[0].Insert("bob", 500);
  r.m_Tables[2].Insert("fast", 1234);
  r.m_Tables[4].m_Rows.resize(3);  // a table keeps the rows its file holds
  cRanking back;
  ASSERT_TRUE(back.LoadFromBytes(r.SaveToBytes()));
  EXPECT_EQ(back.m_Tables[0].m_Rows[0].m_RankName, "bob");
  EXPECT_EQ(back.m_Tables[0].m_Rows[1].m_RankName, "\x82\xA0\x82\xA2");
  EXPECT_EQ(back.m_Tables[0].m_Rows[1].m_RankValue, 300);
  EXPECT_EQ(back.m_Tables[2].m_Rows[0].m_RankValue, 1234);
  EXPECT_EQ(back.m_Tables[4].m_Rows.size(), 3u);
  EXPECT_EQ(back.SaveToBytes(), r.SaveToBytes());
}

// A ranking file image with the given version and table flags (rows empty).
std::vector<unsigned char> RankingImage(uint32_t version, const std::vector<int>& flags, int rows = 20) {
  cRanking r;
  r.m_Tables.clear();
  for (int f : flags) {
    r.m_Tables.emplace_back();
    r.m_Tables.back().m_LargerIsBetter = f;
    r.m_Tables.back().m_Rows.resize(static_cast<size_t>(rows));
  }
  std::vector<unsigned char> bytes = r.SaveToBytes();
  for (int i = 0; i < 4; ++i) bytes[static_cast<size_t>(i)] = static_cast<unsigned char>(version >> (8 * i));
  return bytes;
}

TEST(Ranking, TableCountIsNormalised) {
  struct {
    uint32_t version;
    std::vector<int> stored;
    std::vector<int> read;
  } cases[] = {
      {180, {0, 0, 1}, {0, 0, 1, 1, 1}},             // old: tables 3, 4 rank larger values higher; 2 keeps its flag
      {180, {0, 0, 0, 0, 0, 0, 0}, {0, 0, 0, 1, 1}},  // cut to five
      {180, {}, {0, 0, 0, 1, 1}},
      {181, {0, 0, 1}, {0, 0, 1, 1, 1}},             // newer short file: padded with default tables
      {791, {0}, {0, 1, 0, 1, 1}},
      {791, {0, 0, 0, 0, 0, 0}, {0, 0, 0, 0, 0, 0}},  // a newer file keeps extra tables
  };
  for (const auto& c : cases) {
    cRanking r;
    ASSERT_TRUE(r.LoadFromBytes(RankingImage(c.version, c.stored))) << c.version;
    std::vector<int> flags;
    for (const auto& t : r.m_Tables) {
      flags.push_back(t.m_LargerIsBetter);
      EXPECT_EQ(t.m_Rows.size(), 20u);
    }
    EXPECT_EQ(flags, c.read) << c.version << " " << c.stored.size();
  }
}

TEST(Ranking, BrokenFilesAreRefusedWithoutChange) {
  std::vector<unsigned char> good = RankingImage(791, {1, 1, 0, 1, 1});
  std::vector<std::vector<unsigned char>> bad;
  bad.push_back(std::vector<unsigned char>(good.begin(), good.end() - 1));  // truncated
  bad.push_back(std::vector<unsigned char>(good.begin(), good.begin() + 2));
  auto hugeTables = good;
  hugeTables[12] = 0xFF;
  hugeTables[13] = 0xFF;
  hugeTables[14] = 0xFF;
  hugeTables[15] = 0x7F;
  bad.push_back(hugeTables);
  auto hugeRows = good;
  hugeRows[16 + 12] = 0xFF;  // first table's row count
  hugeRows[16 + 15] = 0x40;
  bad.push_back(hugeRows);
  auto newer = good;
  newer[0] = 0x18;  // 792
  bad.push_back(newer);

  for (size_t i = 0; i < bad.size(); ++i) {
    cRanking r;
    r.m_Tables[1].Insert("keep", 77);
    EXPECT_FALSE(r.LoadFromBytes(bad[i])) << i;
    EXPECT_EQ(r.m_Tables[1].m_Rows[0].m_RankName, "keep") << i;
  }
}

TEST(Ranking, BuildRankingPath) {
  struct {
    int mode;
    const char* name;
    int a, b, c;
    int result;
    const char* path;
  } cases[] = {
      {0, "forest.", 1, 7, 2, 1, "user_data\\story\\forest_c007_2.rkg"},
      {0, "forest.", 0, 7, 2, 1, "user_data\\story\\forest.rkg"},
      {0, "data\\stg4\\town.", 1, 12, 30, 1, "user_data\\story\\town_c012_30.rkg"},
      {1, "c01.", 1, 7, 2, 1, "user_data\\challenge\\c01.rkg"},  // only story names get the suffix
      {2, "data\\stg4\\free.", 0, 0, 0, 1, "user_data\\free\\free.rkg"},
      {2, "noext", 0, 0, 0, 1, "user_data\\free\\noextrkg"},  // the name supplies the dot
      {3, "forest.", 0, 0, 0, 0, "unchanged"},
      {-1, "forest.", 0, 0, 0, 0, "unchanged"},
  };
  for (const auto& c : cases) {
    std::string out = "unchanged";
    EXPECT_EQ(BuildRankingPath(out, c.mode, c.name, c.a, c.b, c.c), c.result) << c.mode << c.name;
    EXPECT_EQ(out, c.path);
  }
}

class RankingFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::CreateFolder("user_data");
    platform::CreateFolder("user_data\\free");
  }
  testsupport::ProjectFolder dir_;
};

TEST_F(RankingFiles, SaveThenLoadAndFailures) {
  cRanking r;
  r.m_Tables[3].Insert("ann", 42);
  ASSERT_EQ(r.Save(2, "data\\stg4\\s1.", 0, 0, 0), 1);
  EXPECT_EQ(testsupport::ReadFileBytes(dir_.path() / "user_data" / "free" / "s1.rkg").size(), 2096u + 4);  // "ann" and its NUL

  cRanking back;
  EXPECT_EQ(back.Load(2, "s1.", 0, 0, 0), 1);
  EXPECT_EQ(back.m_Tables[3].m_Rows[0].m_RankName, "ann");

  // Missing file and unknown mode give the defaults and 0.
  EXPECT_EQ(back.Load(2, "missing.", 0, 0, 0), 0);
  ExpectDefaultRanking(back);
  back.m_Tables[0].Insert("x", 1);
  EXPECT_EQ(back.Load(3, "s1.", 0, 0, 0), 0);
  ExpectDefaultRanking(back);
  EXPECT_EQ(back.Save(3, "s1.", 0, 0, 0), 0);
  // The story folder does not exist: the save fails and reports it.
  EXPECT_EQ(back.Save(0, "s1.", 0, 0, 0), 0);
}

}  // namespace

}  // namespace ranking_test
