// ctest-label: app
// The scene director and the game loop, headless: which scenes exist after
// each mode, the order scenes are deleted in, the play-scene hook, text
// exceptions from Enter, a failed allocation, the frame-work ring, and that
// an inactive program runs no frames.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "app/frame/App.h"
#include "app/frame/IniSettings.h"
#include "app/frame/MainWnd.h"
#include "app/frame/ProgramObjects.h"
#include "app/frame/SceneDirector.h"
#include "platform/CloseRequest.h"
#include "platform/Messages.h"

namespace {

std::vector<std::string> g_events;
std::atomic<int> g_steps{0};

class Probe : public cScene {
 public:
  explicit Probe(int mode, bool throwOnEnter = false) : mode_(mode), throw_(throwOnEnter) {
    g_events.push_back("new " + std::to_string(mode));
  }
  ~Probe() override { g_events.push_back("delete " + std::to_string(mode_)); }
  int Step() override {
    static int (Probe::*const handlers[])() = {&Probe::Count};
    return RunHandlers(this, handlers);
  }
  void Enter() override {
    g_events.push_back("enter " + std::to_string(mode_));
    if (throw_) throw "scene text";
  }
  int Count() {
    ++g_steps;
    return 0;
  }
  int mode_;
  bool throw_;
};

class Director : public ::testing::Test {
 protected:
  void SetUp() override {
    g_events.clear();
    g_steps = 0;
    SetSceneFactory([this](int32_t mode) -> cScene* {
      if (failAlloc) return nullptr;
      return new Probe(mode, throwOnEnter);
    });
    SetPlaySceneHook([this](cScene* s) { playScene = s; });
  }
  void TearDown() override {
    SceneDirector.DeleteAllScenes();
    SceneDirector.m_nMode = 0;
    SetSceneFactory({});
    SetPlaySceneHook({});
    IniSettings.ShowFps = 0;
  }
  bool failAlloc = false;
  bool throwOnEnter = false;
  cScene* playScene = nullptr;
};

TEST_F(Director, OnlyTheSceneOfTheModeExists) {
  SceneDirector.EnsureScene(kModeTitle);
  SceneDirector.EnsureScene(kModeTitle);
  SceneDirector.EnsureScene(kModePlay);
  EXPECT_EQ(SceneDirector.m_pTitle, nullptr);
  ASSERT_NE(SceneDirector.m_pPlay, nullptr);
  EXPECT_EQ(playScene, SceneDirector.m_pPlay);
  SceneDirector.EnsureScene(7);  // above 5: every scene goes, none is made
  EXPECT_EQ(SceneDirector.m_pPlay, nullptr);
  EXPECT_EQ(g_events, (std::vector<std::string>{"new 0", "delete 0", "new 4", "delete 4"}));
}

TEST_F(Director, ScenesAreDeletedInTheirOrder) {
  SceneDirector.m_pTitle = new Probe(0);
  SceneDirector.m_pWorldMap = new Probe(1);
  SceneDirector.m_pMapMenu = new Probe(2);
  SceneDirector.m_pChallenge = new Probe(3);
  SceneDirector.m_pPlay = new Probe(4);
  SceneDirector.m_pOption = new Probe(5);
  g_events.clear();
  SceneDirector.EnsureScene(9);
  EXPECT_EQ(g_events, (std::vector<std::string>{"delete 0", "delete 2", "delete 1", "delete 3", "delete 4",
                                                "delete 5"}));
  SceneDirector.m_pTitle = new Probe(0);
  SceneDirector.m_pOption = new Probe(5);
  SceneDirector.m_pPlay = new Probe(4);
  g_events.clear();
  SceneDirector.DeleteAllScenes();
  EXPECT_EQ(g_events, (std::vector<std::string>{"delete 0", "delete 5", "delete 4"}));
}

TEST_F(Director, EnterRunsOnceAndAThrownTextClosesTheProgram) {
  throwOnEnter = true;
  const long closes = platform::CloseRequestCount();
  SceneDirector.m_nMode = kModeOption;
  ASSERT_EQ(SceneDirector.Frame(), 1);
  ASSERT_EQ(SceneDirector.Frame(), 1);
  EXPECT_EQ(platform::CloseRequestCount(), closes + 1);
  EXPECT_EQ(g_events, (std::vector<std::string>{"new 5", "enter 5"}));
  EXPECT_EQ(g_steps.load(), 2);  // the frame goes on after the text
}

TEST_F(Director, FailedAllocationSkipsTheStepAndCloses) {
  failAlloc = true;
  const long closes = platform::CloseRequestCount();
  SceneDirector.m_nMode = kModeTitle;
  EXPECT_EQ(SceneDirector.Frame(), 1);
  EXPECT_EQ(SceneDirector.m_pTitle, nullptr);
  EXPECT_GT(platform::CloseRequestCount(), closes);
}

TEST(FpsRing, AverageOfSixteenAndUntouchedWhileOff) {
  FrameFigures = sFrameFigures();
  UpdateFpsDisplay(0, 60, 99);
  EXPECT_EQ(FrameFigures.index, 0u);
  for (uint32_t i = 0; i < 15; ++i) UpdateFpsDisplay(2, 60, 10 + i);
  EXPECT_EQ(FrameFigures.average, 0u);  // the first 15 frames show 0
  UpdateFpsDisplay(2, 60, 25);
  EXPECT_EQ(FrameFigures.index, 0u);
  EXPECT_EQ(FrameFigures.average, (10u + 25u) * 16u / 2u >> 4);
  UpdateFpsDisplay(0, 60, 1000);  // off: the ring waits where it was
  UpdateFpsDisplay(1, 60, 7);
  EXPECT_EQ(FrameFigures.index, 1u);
  EXPECT_EQ(FrameFigures.ring[0], 7u);
}

unsigned RunGameLoop(void*) { return static_cast<unsigned>(GameLoop()); }

TEST_F(Director, InactiveRunsNoFramesActiveDoes) {
  bAppActive = 0;
  SceneDirector.m_nMode = kModeTitle;
  ASSERT_TRUE(thGame.Start(RunGameLoop, nullptr));
  // A message other than WM_QUIT is dropped.
  while (!platform::PostThreadMessage(thGame.GetThreadId(), 0x8000, 0, 0)) std::this_thread::yield();
  std::this_thread::sleep_for(std::chrono::milliseconds(150));
  EXPECT_EQ(g_steps.load(), 0);
  bAppActive = 1;
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (g_steps.load() < 3 && std::chrono::steady_clock::now() < until)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  EXPECT_GE(g_steps.load(), 3);
  thGame.Exit();
  EXPECT_FALSE(thGame.HasThread());
  bAppActive = 0;
}

}  // namespace
