// ctest-label: data
// Story slots and the challenge progress file.
#include <gtest/gtest.h>

#include <chrono>
#include <ctime>

#include "data/SaveData.h"
#include "data/System.h"
#include "data/WorldMap.h"
#include "platform/FileSystem.h"
#include "tests/support/TestSupport.h"

// The file's own namespace keeps its helpers apart from other test files compiled with it.
namespace story_test {

namespace fs = std::filesystem;

namespace {

class StoryFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(platform::CreateFolder("user_data"));
    ASSERT_TRUE(platform::CreateFolder("user_data\\story"));
    ASSERT_TRUE(platform::CreateFolder("user_data\\challenge"));
    system_.m_ChallengeCount = 4;
    system_.m_InfiniteLives = {0, 0, 0, 0};
    system_.m_InitialLives = {3, 7, 1, 1};
    SaveContext() = cSaveContext{&system_, &map_, nullptr, 0, false};
    StorySlots.assign(kStorySlots, cSaveSlot());
  }
  void TearDown() override {
    SaveContext() = cSaveContext{};
    StorySlots.assign(kStorySlots, cSaveSlot());
  }
  fs::path Story(int n) const {
    return dir_.path() / "user_data" / "story" / (std::string(n < 9 ? "Story0" : "Story") + std::to_string(n + 1) + ".dat");
  }

  testsupport::ProjectFolder dir_;
  cSystem system_;
  cWorldMap map_;
};

TEST(StoryPath, TwoDigitNumbersFromOne) {
  EXPECT_EQ(StoryPath(0), "user_data\\story\\Story01.dat");
  EXPECT_EQ(StoryPath(8), "user_data\\story\\Story09.dat");
  EXPECT_EQ(StoryPath(98), "user_data\\story\\Story99.dat");
}

TEST_F(StoryFiles, SaveLoadAndScan) {
  cSaveData s;
  s.m_Score = 1234;
  s.m_Lives = 999999;  // infinite in the slot, but mode 0 no longer allows it
  auto before = std::chrono::system_clock::now();
  ASSERT_TRUE(s.SaveStory(2));
  ASSERT_TRUE(fs::exists(Story(2)));
  EXPECT_EQ(StorySlots[2].m_Exists, 1);
  EXPECT_EQ(StorySlots[2].m_SavedTime, s.m_SavedTime);
  std::time_t t = std::chrono::system_clock::to_time_t(before);
  std::tm tm{};
  localtime_r(&t, &tm);
  EXPECT_EQ(s.m_SavedTime.wYear, tm.tm_year + 1900);
  EXPECT_GE(s.m_SavedTime.wMonth, 1);
  EXPECT_LE(s.m_SavedTime.wMonth, 12);
  EXPECT_LE(s.m_SavedTime.wDayOfWeek, 6);
  EXPECT_LT(s.m_SavedTime.wMilliseconds, 1000);

  cSaveData loaded;
  ASSERT_TRUE(loaded.LoadStory(2));
  EXPECT_EQ(loaded.m_Score, 1234);
  EXPECT_EQ(loaded.m_Lives, 3);
  EXPECT_EQ(loaded.m_SavedTime, s.m_SavedTime);

  // A broken slot, a newer one and an empty file: not existing, and loading
  // them reports false and changes nothing.
  std::vector<unsigned char> image = testsupport::ReadFileBytes(Story(2));
  testsupport::WriteFileBytes(Story(4), std::vector<unsigned char>(image.begin(), image.end() - 8));
  auto newer = image;
  newer[0] = 0x18;
  newer[1] = 0x03;
  testsupport::WriteFileBytes(Story(5), newer);
  testsupport::WriteFileBytes(Story(6), {});
  testsupport::WriteFileBytes(Story(98), image);

  StorySlots[4].m_Exists = 1;  // stale
  ScanStorySlots(StorySlots);
  for (int i = 0; i < kStorySlots; ++i)
    EXPECT_EQ(StorySlots[static_cast<size_t>(i)].m_Exists, i == 2 || i == 98 ? 1 : 0) << i;
  EXPECT_EQ(StorySlots[98].m_SavedTime, s.m_SavedTime);
  EXPECT_EQ(StorySlots[4].m_SavedTime, cSavedTime{});

  for (int slot : {4, 5, 6, 7}) {
    cSaveData t;
    t.m_Score = 5;
    EXPECT_FALSE(t.LoadStory(slot)) << slot;
    EXPECT_EQ(t.m_Score, 5);
  }
}

TEST_F(StoryFiles, FailedSaveKeepsTheOldFileAndSlot) {
  cSaveData s;
  s.m_Score = 1;
  ASSERT_TRUE(s.SaveStory(0));
  std::vector<unsigned char> old = testsupport::ReadFileBytes(Story(0));
  StorySlots[1] = cSaveSlot();
  // A folder where the file should be cannot be replaced.
  fs::create_directory(Story(1));
  EXPECT_FALSE(s.SaveStory(1));
  EXPECT_EQ(StorySlots[1].m_Exists, 0);
  EXPECT_EQ(testsupport::ReadFileBytes(Story(0)), old);
}

TEST_F(StoryFiles, ChallengeProgress) {
  cSaveData s;
  s.m_Lives = 5;
  EXPECT_FALSE(s.LoadChallenge());
  EXPECT_EQ(s.m_Lives, 5);

  s.m_ChallengeLevel = 3;
  s.m_Lives = 999999;
  ASSERT_TRUE(s.SaveChallenge());
  ASSERT_TRUE(fs::exists(dir_.path() / "user_data" / "challenge" / "Challenge.dat"));
  cSaveData back;
  ASSERT_TRUE(back.LoadChallenge());
  EXPECT_EQ(back.m_ChallengeLevel, 3);
  EXPECT_EQ(back.m_ChallengeRecords.size(), 4u);
  EXPECT_EQ(back.m_Lives, 7);  // initial lives of mode 1

  system_.m_InfiniteLives = {0, 1, 0, 0};
  ASSERT_TRUE(back.LoadChallenge());
  EXPECT_EQ(back.m_Lives, 999999);
  EXPECT_EQ(back.m_StartLives, 999999);
}

}  // namespace

}  // namespace story_test
