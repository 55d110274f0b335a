// ctest-label: play
// The Play state's ways out before the frame's rules run: the close request,
// the pause key and a replay save each end the frame without counting it.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "app/frame/SceneDirector.h"
#include "app/play/PlayScene.h"
#include "app/play/ReplayRequests.h"
#include "data/Replay.h"
#include "data/Stage.h"
#include "data/System.h"
#include "engine/Names.h"
#include "tests/support/EngineFakes.h"

namespace {

class PlayStateTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Player.resize(1);
    PlayerInput.resize(1);
    savedSteps_ = nm::stage::SubSteps(Stage);
    nm::stage::SubSteps(Stage) = 0;  // no sub-step: only the frame's own work
    scene_.SetSceneState(cPlayScene::kPlay, 0);
    scene_.m_bNoTimeLimit = 1;
    ReplayKeys = ReplayKeyState();
    SceneDirector.m_nTitleItem = 0;
  }
  void TearDown() override {
    nm::stage::SubSteps(Stage) = savedSteps_;
    nm::sys::ReplayRecording(SystemData) = 0;
    Replay.Clear();
    Player.clear();
    ReplayKeys = ReplayKeyState();
  }
  bool Called(const std::string& c) const {
    return std::find(fake_.calls().begin(), fake_.calls().end(), c) != fake_.calls().end();
  }
  testsupport::FakeEngineServices fake_;
  cPlayScene scene_;
  int32_t savedSteps_ = 0;
};

TEST_F(PlayStateTest, QuitPostsCloseAndNothingElse) {
  scene_.m_bQuit = 1;
  fake_.keysDown[IKeyState::kSpace] = true;
  scene_.Play();
  EXPECT_EQ(fake_.calls(), std::vector<std::string>{"close"});
  EXPECT_EQ(scene_.m_nPlayFrames, 0);
  EXPECT_EQ(scene_.m_nState, cPlayScene::kPlay);
}

TEST_F(PlayStateTest, SpacePausesAndRemembersTheState) {
  fake_.keysDown[IKeyState::kSpace] = true;
  scene_.m_nSubState = 3;
  scene_.Play();
  EXPECT_TRUE(Called("sound 4"));
  EXPECT_EQ(scene_.m_nState, cPlayScene::kPause);
  EXPECT_EQ(scene_.m_nSubState, 0);
  EXPECT_EQ(scene_.m_nSavedState, cPlayScene::kPlay);
  EXPECT_EQ(scene_.m_nSavedSubState, 3);
  EXPECT_EQ(scene_.m_nPlayFrames, 0);
}

TEST_F(PlayStateTest, ReplaySaveEndsTheFrame) {
  nm::sys::ReplayRecording(SystemData) = 1;
  Replay.RecordFrame(0, 0);
  fake_.keysDown[IKeyState::kF1] = true;
  scene_.Play();
  EXPECT_EQ(scene_.m_nPlayFrames, 0);
  fake_.keysDown[IKeyState::kF1] = false;
  scene_.Play();
  EXPECT_EQ(scene_.m_nPlayFrames, 1);
  EXPECT_EQ(scene_.m_nState, cPlayScene::kPlay);
}

TEST_F(PlayStateTest, HeldButtonsAreIgnoredUntilReleased) {
  scene_.m_bHoldButtons = 1;
  PlayerInput[0].m_wButton = 1;
  scene_.Play();
  EXPECT_EQ(PlayerInput[0].m_wButton, 0);
  EXPECT_EQ(scene_.m_bHoldButtons, 1);
  PlayerInput[0].m_wButton = 0;
  scene_.Play();
  EXPECT_EQ(scene_.m_bHoldButtons, 0);
  PlayerInput[0].m_wButton = 1;
  scene_.Play();
  EXPECT_EQ(PlayerInput[0].m_wButton, 1);
}

}  // namespace
