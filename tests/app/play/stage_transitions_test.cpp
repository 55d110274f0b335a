// ctest-label: play
// The next part's file name and the proposed replay file name, on files
// made in a scratch folder.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "app/play/PlayTransitions.h"
#include "app/play/ReplayRequests.h"
#include "platform/FileSystem.h"
#include "tests/support/TestSupport.h"

namespace {

class NextStagePath : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* f : {"stage-2.stg4_000", "stage-2.stg4_003", "boss.stg4_001", "stage-1.stg4_001"})
      testsupport::WriteFileBytes(dir_.path() / "data" / "stg4" / f, {'x'});
  }
  testsupport::ProjectFolder dir_{"data/stg4"};
};

// After starting stage-1.stg4_001 (base "stage."), part 2 is stage-2.stg4_003.
TEST_F(NextStagePath, ResolvesTheHighestNumberedCopy) {
  const std::string base = "data\\stg4\\stage.";
  std::string out;
  EXPECT_EQ(BuildNextStagePathFor(out, 1, 2, "", base, 2), 1);
  EXPECT_EQ(out, "data\\stg4\\stage-2.stg4_003");
  EXPECT_EQ(BuildNextStagePathFor(out, 1, 5, "data\\stg4\\boss.", base, 5), 1);
  EXPECT_EQ(out, "data\\stg4\\boss.stg4_001");
  // No file, no chaining, no destination: empty.
  EXPECT_EQ(BuildNextStagePathFor(out, 1, 3, "", base, 3), 0);
  EXPECT_EQ(out, "");
  EXPECT_EQ(BuildNextStagePathFor(out, 0, 2, "", base, 2), 0);
  EXPECT_EQ(out, "");
  EXPECT_EQ(BuildNextStagePathFor(out, 1, 0, "", base, 2), 0);
}

std::set<std::string>* g_taken = nullptr;
bool Taken(const std::string& p) { return g_taken->count(p) != 0; }

TEST(ReplayName, FirstFreeSuffixAndLastWhenAllTaken) {
  std::set<std::string> taken;
  g_taken = &taken;
  EXPECT_EQ(ProposeReplayName("data\\stg4\\stage.", 0, 0, 0, Taken), "stage_00.rpl4_791");
  taken.insert("user_data\\rpl4\\stage_00.rpl4_791");
  taken.insert("user_data\\rpl4\\stage_01.rpl4_791");
  EXPECT_EQ(ProposeReplayName("data\\stg4\\stage.", 0, 0, 0, Taken), "stage_02.rpl4_791");
  for (int a = 0; a <= 8; ++a)
    for (int b = 0; b <= 8; ++b)
      taken.insert("user_data\\rpl4\\stage_" + std::to_string(a) + std::to_string(b) + ".rpl4_791");
  EXPECT_EQ(ProposeReplayName("data\\stg4\\stage.", 0, 0, 0, Taken), "stage_88.rpl4_791");
  EXPECT_EQ(ProposeReplayName("", 0, 0, 0, Taken), "");
  g_taken = nullptr;
}

// A stage started with a start variable: "_c", the variable number in three
// digits, "_", the value, then the "_ab" number, before the extension.
TEST(ReplayName, StartVariableSuffixComesBeforeTheNumber) {
  std::set<std::string> taken;
  g_taken = &taken;
  struct Case {
    const char* base;
    int on, number, value;
    const char* name;
  } const cases[] = {
      {"data\\stg4\\forest.", 1, 7, 2, "forest_c007_2_00.rpl4_791"},
      {"data\\stg4\\forest.", 1, 123, 45, "forest_c123_45_00.rpl4_791"},
      {"data\\stg4\\forest.", 1, 0, 0, "forest_c000_0_00.rpl4_791"},
      {"data\\stg4\\forest.", 0, 7, 2, "forest_00.rpl4_791"},  // switched off: no suffix
      {"forest.", 1, 40, 9, "forest_c040_9_00.rpl4_791"},
  };
  for (const Case& c : cases) EXPECT_EQ(ProposeReplayName(c.base, c.on, c.number, c.value, Taken), c.name) << c.name;

  // The taken names are looked up in the replay folder with the suffix.
  taken.insert("user_data\\rpl4\\forest_c007_2_00.rpl4_791");
  taken.insert("user_data\\rpl4\\forest_00.rpl4_791");
  EXPECT_EQ(ProposeReplayName("data\\stg4\\forest.", 1, 7, 2, Taken), "forest_c007_2_01.rpl4_791");
  EXPECT_EQ(ProposeReplayName("data\\stg4\\forest.", 1, 2, 7, Taken), "forest_c002_7_00.rpl4_791");
  g_taken = nullptr;
}

}  // namespace
