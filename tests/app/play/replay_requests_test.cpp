// ctest-label: play
// The F1/F2 replay keys and the modal sub-loop's way out when the program
// closes, with the recording engine seams.
#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "app/frame/MainWnd.h"
#include "app/frame/ProgramObjects.h"
#include "app/frame/SceneDirector.h"
#include "app/play/PlayScene.h"
#include "app/play/ReplayRequests.h"
#include "data/Replay.h"
#include "data/System.h"
#include "engine/Names.h"
#include "platform/Messages.h"
#include "tests/support/EngineFakes.h"
#include "tests/support/Wait.h"

namespace {

class ReplayKeysTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ReplayKeys = ReplayKeyState();
    nm::sys::ReplayRecording(SystemData) = 1;
    SceneDirector.m_nTitleItem = 0;
    Replay.Clear();
    PrevReplay.Clear();
  }
  void TearDown() override {
    nm::sys::ReplayRecording(SystemData) = 0;
    Replay.Clear();
    PrevReplay.Clear();
    ReplayKeys = ReplayKeyState();
  }
  int Sounds(const std::string& which) const {
    int n = 0;
    for (const std::string& c : fake.calls()) n += c == which;
    return n;
  }
  testsupport::FakeEngineServices fake;
};

TEST_F(ReplayKeysTest, EmptyRecordingRefusesOnceEvery60Calls) {
  fake.keysDown[IKeyState::kF1] = true;
  for (int i = 0; i < 120; ++i) EXPECT_EQ(RequestSaveReplay(), 0);
  EXPECT_EQ(Sounds("sound 3"), 2);
}

TEST_F(ReplayKeysTest, HeldKeySavesOnceUntilReleased) {
  Replay.RecordFrame(0, 1);
  fake.keysDown[IKeyState::kF1] = true;
  EXPECT_EQ(RequestSaveReplay(), 1);
  for (int i = 0; i < 10; ++i) EXPECT_EQ(RequestSaveReplay(), 0);
  EXPECT_EQ(Sounds("sound 1"), 1);
  fake.keysDown[IKeyState::kF1] = false;
  EXPECT_EQ(RequestSaveReplay(), 0);
  fake.keysDown[IKeyState::kF1] = true;
  EXPECT_EQ(RequestSaveReplay(), 1);
}

TEST_F(ReplayKeysTest, F1WinsOverF2) {
  // Only the previous attempt is recorded: F1 with F2 refuses (F1's recording is empty).
  PrevReplay.RecordFrame(0, 1);
  fake.keysDown[IKeyState::kF1] = true;
  fake.keysDown[IKeyState::kF2] = true;
  EXPECT_EQ(RequestSaveReplay(), 0);
  EXPECT_EQ(Sounds("sound 3"), 1);
  fake.keysDown[IKeyState::kF1] = false;
  EXPECT_EQ(RequestSaveReplay(), 1);
}

TEST_F(ReplayKeysTest, NothingDuringPlaybackOrWithTheSwitchOff) {
  Replay.RecordFrame(0, 1);
  fake.keysDown[IKeyState::kF1] = true;
  SceneDirector.m_nTitleItem = 4;
  EXPECT_EQ(RequestSaveReplay(), 0);
  SceneDirector.m_nTitleItem = 0;
  nm::sys::ReplayRecording(SystemData) = 0;
  EXPECT_EQ(RequestSaveReplay(), 0);
  EXPECT_TRUE(fake.calls().empty());
}

TEST(ModalLoop, RefusesToStartWhileClosing) {
  cPlayScene scene;
  scene.m_bQuit = 1;
  EXPECT_EQ(cPlayScene::MessageLoop(&scene), 0u);
}

TEST(ModalLoop, ClosingEndsTheLoopWithoutTheWindowsQuit) {
  testsupport::FakeEngineServices fake;
  cPlayScene scene;
  scene.m_ModalWait.bWaitKey = 1;
  bAppActive.store(1);
  scene.m_bQuit = 0;
  cThread t;
  const auto start = std::chrono::steady_clock::now();
  ASSERT_EQ(t.Start(&cPlayScene::MessageLoop, &scene), 1);
  // Posts succeed once the loop has begun reading its queue, past the
  // check that refuses to start while closing.
  ASSERT_TRUE(testsupport::WaitFor(
      [&] { return platform::PostThreadMessage(t.GetThreadId(), platform::WM_USER, 0, 0); }));
  // The window thread's flag; its WM_QUIT is lost.
  scene.m_bQuit = 1;
  t.Wait();
  const auto waited = std::chrono::steady_clock::now() - start;
  EXPECT_GE(waited, std::chrono::milliseconds(1900));
  bAppActive.store(0);
}

}  // namespace
