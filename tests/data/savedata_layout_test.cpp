// ctest-label: data
// Save files of every version on both sides of every gate, built from the
// layout table of savedata_layout_bytes.h, read field by field.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "data/SaveData.h"
#include "data/System.h"
#include "data/WorldMap.h"
#include "tests/data/savedata_layout_bytes.h"

// The file's own namespace keeps its helpers apart from other test files compiled with it.
namespace savedata_layout_test {

namespace {

using namespace savelayout;

class SaveDataLayout : public ::testing::Test {
 protected:
  void SetUp() override {
    system_.m_ChallengeCount = 3;
    ASSERT_EQ(map_.SetSize(10, 8), 1);
    map_.m_StartX = 2;
    map_.m_StartY = 3;
    SaveContext() = cSaveContext{&system_, &map_, nullptr, 0, false};
  }
  void TearDown() override { SaveContext() = cSaveContext{}; }

  cSystem system_;
  cWorldMap map_;
};

// Each gate's last version without the field and first version with it.
const uint32_t kVersions[] = {100, 165, 166, 168, 169, 181, 182, 189, 190, 191, 193, 194, 500, 501,
                              677, 678, 679, 723, 724, 753, 754, 757, 758, 759, 790, 791};

TEST_F(SaveDataLayout, EveryVersionReadsEachFieldFromItsOwnPlace) {
  for (uint32_t v : kVersions) {
    SCOPED_TRACE("version " + std::to_string(v));
    cSaveData s;
    ASSERT_TRUE(s.LoadFromBytes(SaveFile(v)));
    for (const IntField& f : IntFields()) {
      // A field the file lacks starts as in a new play; m_AppValueE of
      // files before 166 reads as 1.
      int32_t want = v >= f.from ? f.value : 0;
      if (f.member == &cSaveData::m_AppValueE && v < 166) want = 1;
      EXPECT_EQ(s.*f.member, want) << f.name;
    }
    for (const TextField& t : TextFields()) EXPECT_EQ(s.*t.member, v >= t.from ? t.value : "") << t.name;

    const cSavedTime time{2024, 5, 3, 9, 13, 14, 15, 16};
    EXPECT_EQ(s.m_SavedTime, time);
    ASSERT_EQ(s.m_CarryFlags.size(), 25u);
    for (int i = 0; i < 25; ++i)  // files up to 500 store no flags: every group counts as stored
      EXPECT_EQ(s.m_CarryFlags[i], v >= 501 ? (CarryFlagAt(i) ? 1 : 0) : 1) << "carry flag " << i;
    EXPECT_EQ(s.m_Carry.size(), 1u);

    ASSERT_EQ(s.m_StageRecords.size(), 1u);
    const cStageRecord& r = s.m_StageRecords[0];
    EXPECT_EQ(r.m_StageFile, "forest.");
    EXPECT_EQ(r.m_StageKey, v >= 759 ? "forest_c007_2." : "forest.");  // keyed by the file before 759
    EXPECT_EQ(r.m_Place[0], v >= 759 ? 1 : 0);
    EXPECT_EQ(r.m_Place[1], v >= 759 ? 7 : 0);
    EXPECT_EQ(r.m_Place[2], v >= 759 ? 2 : 0);
    EXPECT_EQ(r.m_Best, 500);

    ASSERT_EQ(s.m_ChallengeRecords.size(), 3u);
    EXPECT_EQ(s.m_ChallengeRecords[0].m_Cleared, 1);
    EXPECT_EQ(s.m_ChallengeRecords[0].m_Best, 300);
    EXPECT_EQ(s.m_ChallengeRecords[1].m_Cleared, 0);
    EXPECT_EQ(s.m_ChallengeRecords[2].m_Best, 900);

    ASSERT_EQ(s.m_Switches.size(), 1000u);
    EXPECT_EQ(s.m_Switches[0], 1);
    EXPECT_EQ(s.m_Switches[998], 0);
    EXPECT_EQ(s.m_Switches[999], 1);
    // Before 754 the variables are cut to 1000 (then padded to the 1001 the
    // engine indexes): variable 1000 of the file is dropped.
    ASSERT_EQ(s.m_Vars.size(), 1001u);
    EXPECT_EQ(s.m_Vars[999], 11);
    EXPECT_EQ(s.m_Vars[1000], v >= 754 ? 7 : 0);
  }
}

TEST_F(SaveDataLayout, WritingGivesTheTablesImage) {
  cSaveData s;
  ASSERT_TRUE(s.LoadFromBytes(SaveFile(791)));
  s.m_Carry.clear();  // the table's file holds no carried status
  EXPECT_EQ(s.SaveToBytes(), SaveFile(791));
}

}  // namespace

}  // namespace savedata_layout_test
