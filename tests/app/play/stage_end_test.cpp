// ctest-label: play
// The stage end: how long the clear picture holds the scene, when button 1
// is taken, and what leaving a challenge stage keeps in the save data.
#include <gtest/gtest.h>

#include <string>

#include "app/frame/SceneDirector.h"
#include "app/play/PlayScene.h"
#include "data/Option.h"
#include "data/SaveData.h"
#include "data/Stage.h"
#include "data/System.h"
#include "engine/Names.h"
#include "engine/World.h"
#include "platform/FileSystem.h"
#include "tests/support/EngineFakes.h"
#include "tests/support/TestSupport.h"

namespace {

class StageEndState : public ::testing::Test {
 protected:
  void SetUp() override {
    PlayerInput.assign(1, cInput());
    autoEnd_ = nm::stage::AutoEnd(Stage);
    showClear_ = nm::stage::ShowClear(Stage);
    titleItem_ = SceneDirector.m_nTitleItem;
    rankings_ = SceneDirector.m_bRankings;
    replay_ = nm::sys::ReplayRecording(SystemData);
    rankMode_ = nm::opt::RankMode(OptionData);
    save_ = SaveData;
    nm::sys::ReplayRecording(SystemData) = 0;
    nm::opt::RankMode(OptionData) = 0;
    SceneDirector.m_bRankings = 0;
    // Free play without chaining: leaving starts the same file again.
    SceneDirector.m_nTitleItem = 3;
    nm::save::NextPartChain(SaveData) = 0;
    scene_.SetSceneState(cPlayScene::kStageEnd, 0);
  }
  void TearDown() override {
    nm::stage::AutoEnd(Stage) = autoEnd_;
    nm::stage::ShowClear(Stage) = showClear_;
    SceneDirector.m_nTitleItem = titleItem_;
    SceneDirector.m_bRankings = rankings_;
    nm::sys::ReplayRecording(SystemData) = replay_;
    nm::opt::RankMode(OptionData) = rankMode_;
    SaveData = save_;
    PlayerInput.clear();
  }
  // One StageEnd frame; button 1 newly pressed when `press`.
  void Frame(bool press) {
    cInput& in = PlayerInput[0];
    in.m_wButton = press ? 1 : 0;
    in.m_wDir = 0;
    in.m_wDirTrail = 0;
    in.m_bTriggerLatch = 0;
    in.m_nRepeatH = in.m_nRepeatV = 0;
    scene_.StageEnd();
  }
  // The frame (1-based) on which the state is left, pressing from `pressFrom` on.
  int FramesToLeave(int pressFrom) {
    for (int f = 1; f <= 400; ++f) {
      Frame(f >= pressFrom);
      if (scene_.m_nState != cPlayScene::kStageEnd) return f;
    }
    return -1;
  }

  testsupport::FakeEngineServices fake_;
  cPlayScene scene_;
  int32_t autoEnd_ = 0, showClear_ = 0, titleItem_ = 0, rankings_ = 0, replay_ = 0, rankMode_ = 0;
  cSaveData save_;
};

// The clear picture adds 4 to the counter each frame and the state is left
// once it reaches 200: frame f sees 4 (f - 1), so frames 1..50 show the
// picture and frame 51 is the first that may leave. Without the picture the
// first frame sets 200, so the second may leave.
TEST_F(StageEndState, FramesBeforeTheStateIsLeft) {
  struct Case {
    int autoEnd, showClear, pressFrom, leavesOn;
  } const cases[] = {
      {1, 1, 1000, 51},  // automatic end: no key needed
      {1, 0, 1000, 2},
      {0, 1, 1, 51},     // button 1 held from the start is taken on frame 51
      {0, 1, 60, 60},    // a later press is taken at once
      {0, 0, 1, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("auto " + std::to_string(c.autoEnd) + " clear " + std::to_string(c.showClear) + " press " +
                 std::to_string(c.pressFrom));
    nm::stage::AutoEnd(Stage) = c.autoEnd;
    nm::stage::ShowClear(Stage) = c.showClear;
    scene_.SetSceneState(cPlayScene::kStageEnd, 0);
    fake_.ClearCalls();
    EXPECT_EQ(FramesToLeave(c.pressFrom), c.leavesOn);
    EXPECT_EQ(scene_.m_nState, cPlayScene::kFadeOut);
    EXPECT_EQ(scene_.m_nSubState, 0);
    EXPECT_EQ(scene_.m_nStateFrames, 0);
    EXPECT_EQ(SceneDirector.m_nNextMode, kModePlay);
    // Leaving by button 1 sounds the confirmation; the automatic end is silent.
    const std::vector<std::string> sounds = c.autoEnd ? std::vector<std::string>{} : std::vector<std::string>{"sound 1"};
    EXPECT_EQ(fake_.calls(), sounds);
  }
}

TEST_F(StageEndState, ThePictureCounterStepsByFour) {
  nm::stage::AutoEnd(Stage) = 1;
  nm::stage::ShowClear(Stage) = 1;
  Frame(false);
  EXPECT_EQ(scene_.m_nStateFrames, 4);
  EXPECT_EQ(scene_.m_nSubState, 1);
  Frame(false);
  EXPECT_EQ(scene_.m_nStateFrames, 8);
}

TEST_F(StageEndState, SpacePausesUnlessTheEndIsAutomatic) {
  nm::stage::ShowClear(Stage) = 1;
  fake_.keysDown[IKeyState::kSpace] = true;
  nm::stage::AutoEnd(Stage) = 1;
  Frame(false);
  EXPECT_EQ(scene_.m_nState, cPlayScene::kStageEnd);

  nm::stage::AutoEnd(Stage) = 0;
  Frame(false);
  EXPECT_EQ(scene_.m_nState, cPlayScene::kPause);
  EXPECT_EQ(scene_.m_nSavedState, cPlayScene::kStageEnd);
  EXPECT_EQ(scene_.m_nSavedSubState, 1);
}

// Leaving a cleared challenge stage (title item 2, no next part).
class ChallengeClear : public ::testing::Test {
 protected:
  void SetUp() override {
    save_ = SaveData;
    titleItem_ = SceneDirector.m_nTitleItem;
    count_ = nm::sys::ChallengeCount(SystemData);
    SceneDirector.m_nTitleItem = 2;
    nm::sys::ChallengeCount(SystemData) = 3;
    SaveData = cSaveData();
    nm::save::NextPartChain(SaveData) = 0;
    nm::save::nPart(SaveData) = 6;
    SaveData.m_ChallengeRecords.resize(3);
  }
  void TearDown() override {
    SaveData = save_;
    SceneDirector.m_nTitleItem = titleItem_;
    nm::sys::ChallengeCount(SystemData) = count_;
  }

  testsupport::ProjectFolder dir_{"user_data/challenge"};
  testsupport::FakeEngineServices fake_;
  cSaveData save_;
  int32_t titleItem_ = 0;
  int32_t count_ = 0;
};

TEST_F(ChallengeClear, OpensTheNextStageAndKeepsTheBestAndTheSum) {
  struct Case {
    int stage, open, best, sum, score;  // before
    int wantBest, wantSum, wantOpen;
  } const cases[] = {
      {2, 2, 300, 1000, 500, 500, 1200, 3},  // better: the sum grows by 200, stage 3 opens
      {2, 2, 300, 1000, 200, 300, 1000, 3},  // worse: best and sum kept
      {2, 2, 300, 1000, 300, 300, 1000, 3},  // equal: kept
      {1, 3, 0, 50, 40, 40, 90, 3},          // an earlier stage: nothing more opens
      {3, 3, 0, 0, 70, 70, 70, 3},           // the last stage: capped at the 3 stages
      {2, 1, 0, 0, 10, 10, 10, 3},           // beyond the opened ones: n + 1
      {1, 1, 0, 0, 10, 10, 10, 2},           // the first stage opens the second only
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("stage " + std::to_string(c.stage) + " score " + std::to_string(c.score));
    cSaveData& s = SaveData;
    for (cChallengeRecord& r : s.m_ChallengeRecords) r = cChallengeRecord();
    nm::save::StageIndex(s) = c.stage;
    nm::save::ChallengeOpenCount(s) = c.open;
    s.m_ChallengeRecords[c.stage - 1].m_Best = c.best;
    nm::save::ChallengeBestSum(s) = c.sum;
    nm::save::TotalScore(s) = c.score;
    cPlayScene scene;
    EXPECT_EQ(scene.LoadNextStage(), kModeChallenge);

    const cChallengeRecord& r = s.m_ChallengeRecords[c.stage - 1];
    EXPECT_EQ(r.m_Cleared, 1);
    EXPECT_EQ(r.m_Best, c.wantBest);
    EXPECT_EQ(nm::save::ChallengeBestSum(s), c.wantSum);
    EXPECT_EQ(nm::save::ChallengeOpenCount(s), c.wantOpen);
    EXPECT_EQ(nm::save::nPart(s), 6);
    for (int i = 0; i < 3; ++i) {
      if (i != c.stage - 1) {
        EXPECT_EQ(s.m_ChallengeRecords[i].m_Cleared, 0) << "record " << i;
      }
    }

    // What was kept is on disk.
    cSaveData back;
    ASSERT_TRUE(back.Load("user_data\\challenge\\Challenge.dat"));
    ASSERT_EQ(back.m_ChallengeRecords.size(), 3u);
    EXPECT_EQ(back.m_ChallengeRecords[c.stage - 1].m_Cleared, 1);
    EXPECT_EQ(back.m_ChallengeRecords[c.stage - 1].m_Best, c.wantBest);
    EXPECT_EQ(nm::save::ChallengeBestSum(back), c.wantSum);
    EXPECT_EQ(nm::save::ChallengeOpenCount(back), c.wantOpen);
  }
}

}  // namespace
