// ctest-label: play
// A scripted run of the sample's first stage in the play scene, kept with F1
// (the save chooser answering with the name it proposes), opened as the
// main window opens a replay and played back: every frame's world hash and
// the end state equal the recorded run's, whatever the live input says.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "app/frame/MainWnd.h"
#include "app/frame/ProgramObjects.h"
#include "app/frame/SceneDirector.h"
#include "app/frame/StartupContext.h"
#include "app/play/PlayScene.h"
#include "app/play/ReplayRequests.h"
#include "data/CommonPalette.h"
#include "data/Database.h"
#include "data/Replay.h"
#include "data/SaveData.h"
#include "data/Stage.h"
#include "data/StageLoad.h"
#include "data/System.h"
#include "data/WorldMap.h"
#include "engine/EngineTables.h"
#include "engine/Names.h"
#include "engine/WorldHash.h"
#include "engine/rules/Rules.h"
#include "platform/Clock.h"
#include "platform/FileSystem.h"
#include "platform/Messages.h"
#include "tests/app/app_process.h"
#include "tests/support/EngineFakes.h"
#include "tests/support/TestSupport.h"

namespace {

// Runs of frames with one input: direction bits and button bits.
struct Segment {
  int frames;
  uint16_t dir, buttons;
};
constexpr uint16_t kL = cInput::DIR_LEFT, kR = cInput::DIR_RIGHT;
// Walk right, jump the first brick, get hit, jump back, walk left, stand.
const std::vector<Segment> kScript = {
    {175, kR, 0}, {25, kR, 1}, {20, kR, 0}, {10, kL, 0}, {25, kL, 1}, {60, kL, 0}, {30, 0, 0}, {20, kL, 1},
};

// What the end of a run leaves, beyond the hash.
struct EndState {
  double heroX = 0, heroY = 0;
  int heroHp = 0, score = 0, charas = 0, items = 0, shots = 0;
  std::vector<double> charaX;
  bool operator==(const EndState&) const = default;
};

class ReplayPlayback : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(apptest::SampleProject().empty()) << "make-sample-project failed";
    project_ = dir_.path() / "sample";
    apptest::CopyTree(apptest::SampleProject(), project_);
    previousRoot_ = platform::GetProjectRoot();
    platform::SetProjectRoot(project_.string());
    platform::ForgetFolderListings();
    platform::CreateFolder("user_data");
    platform::CreateFolder("user_data\\rpl4");
    // What start-up loads and fills before the first stage.
    ASSERT_TRUE(Database.Load());
    FillStartupReadContext();
    ASSERT_TRUE(SystemData.Load("data\\System.dat"));
    ASSERT_TRUE(WorldMap.Load("data\\WorldMap.dat"));
    ASSERT_TRUE(CommonPalette.Load("data\\CommonPalette.cplt4"));
    FillStartupReadContext();
    InstallEngineTables();
    BuildEngineRuntimeTables();
    nm::sys::ReplayRecording(SystemData) = 1;
    PlayerInput.assign(1, cInput());
    ReplayKeys = ReplayKeyState();
    Replay.Clear();
    PrevReplay.Clear();

    // The main window's request handling on this thread, with the save
    // chooser answering with the name it would propose.
    hMainWnd.store(platform::CreateMessageWindow(StaticWndProc));
    sWindowRequestHooks hooks = PlaySceneWindowHooks();
    hooks.ChooseReplaySaveFile = [this](std::string& path) {
      const cSaveData& s = SaveData;
      path = "user_data\\rpl4\\" + ProposeReplayName(nm::save::StageBaseName(s), nm::save::StartVarFlag(s),
                                                     nm::save::StartVarNumber(s), nm::save::StartVarValue(s),
                                                     [](const std::string& p) { return platform::PathExists(p); });
      chosen_ = path;
      return true;
    };
    SetWindowRequestHooks(hooks);
  }
  void TearDown() override {
    SetWindowRequestHooks({});
    if (platform::HWND h = hMainWnd.load()) platform::DestroyMessageWindow(h);
    hMainWnd.store(nullptr);
    platform::SetClockSource(nullptr);
    Player.clear();
    CharaList.clear();
    ItemList.clear();
    BlockMap.clear();
    PlayerInput.clear();
    Replay.Clear();
    PrevReplay.Clear();
    ReplayKeys = ReplayKeyState();
    SceneDirector.m_nTitleItem = 0;
    SceneDirector.m_nGameType = 0;
    platform::SetProjectRoot(previousRoot_);
    platform::ForgetFolderListings();
  }

  // The play scene's first entry, from its totals to SetStage, then Play.
  void Start(cPlayScene& scene) {
    scene.ResetTotals();
    cPlayScene::LoseLife(SaveData);
    SetStage(&scene, 0, 1);
    scene.SetSceneState(cPlayScene::kPlay, 0);
  }
  // One Play frame with the given live input; the world hash after it.
  uint64_t Frame(cPlayScene& scene, uint16_t dir, uint16_t buttons) {
    cInput& in = PlayerInput[0];
    in.m_wDir = dir;
    in.m_wButton = buttons;
    in.m_nDirCode = cInput::GetDirection(dir);
    scene.Play();
    return WorldHash(scene);
  }
  static EndState End(const cPlayScene& scene) {
    EndState e;
    e.heroX = Player[0].m_dX;
    e.heroY = Player[0].m_dY;
    e.heroHp = Player[0].m_nHp;
    e.score = nm::save::StageScore(SaveData);
    e.charas = static_cast<int>(CharaList.size());
    e.items = static_cast<int>(ItemList.size());
    e.shots = static_cast<int>(scene.m_Shots.size());
    for (const cChara& c : CharaList) e.charaX.push_back(c.m_dX);
    return e;
  }

  testsupport::TempDir dir_;
  std::filesystem::path project_;
  std::string previousRoot_;
  std::string chosen_;
  testsupport::FakeEngineServices fake_;
};

TEST_F(ReplayPlayback, F1SavedRunPlaysBackFrameForFrame) {
  // Recording: free play of the stage file, the clock giving the seed.
  fake_.gameType = 2;
  SceneDirector.m_nGameType = 2;
  SceneDirector.m_nTitleItem = 3;
  ASSERT_TRUE(LoadStageForPlay("data\\stg4\\Sample-1.stg4_000", 0, &StageCopy));
  // Started with start variable 7 = 2, as a world-map node can ask.
  SaveData.SetStageName("data\\stg4\\Sample-1.stg4_000", 1, 7, 2);
  std::vector<uint64_t> recorded;
  int startHp = 0;
  EndState recordedEnd;
  {
    cPlayScene scene;
    platform::SetClockSource([]() -> uint64_t { return 0x13579BDFu; });
    Start(scene);
    platform::SetClockSource(nullptr);
    startHp = Player[0].m_nHp;
    for (const Segment& s : kScript)
      for (int i = 0; i < s.frames; ++i) recorded.push_back(Frame(scene, s.dir, s.buttons));
    ASSERT_EQ(scene.m_nState, cPlayScene::kPlay);
    ASSERT_EQ(scene.m_nPlayFrames, static_cast<int>(recorded.size()));
    recordedEnd = End(scene);
    // The run did something: the hero went right, took a coin and a hit.
    EXPECT_EQ(recordedEnd.score, 100);
    EXPECT_EQ(recordedEnd.heroHp, 2);

    // F1: the frame is spent on the save and not counted.
    fake_.keysDown[IKeyState::kF1] = true;
    const uint64_t before = WorldHash(scene);
    scene.Play();
    fake_.keysDown[IKeyState::kF1] = false;
    EXPECT_EQ(scene.m_nPlayFrames, static_cast<int>(recorded.size()));
    EXPECT_EQ(WorldHash(scene), before);
  }
  // The chain's name, the start variable's suffix, the first free number.
  ASSERT_EQ(chosen_, "user_data\\rpl4\\Sample_c007_2_00.rpl4_791");
  ASSERT_TRUE(platform::IsRegularFile(chosen_));

  // Something else was loaded meanwhile; opening the replay brings back its
  // stage, its start and its input, as the main window's open does.
  ASSERT_TRUE(LoadStageForPlay("data\\stg4\\Sample-2.stg4_000", 0, &StageCopy));
  Replay.Clear();
  ASSERT_TRUE(Replay.LoadFile(chosen_, Stage, StageCopy, SaveData));
  Stage.m_Path = chosen_;

  // Playback, with live input that would walk the hero the other way.
  fake_.gameType = 3;
  SceneDirector.m_nGameType = 3;
  SceneDirector.m_nTitleItem = 4;
  cPlayScene scene;
  platform::SetClockSource([]() -> uint64_t { return 42; });
  Start(scene);
  platform::SetClockSource(nullptr);
  for (size_t f = 0; f < recorded.size(); ++f) {
    ASSERT_EQ(Frame(scene, kL, 1), recorded[f]) << "frame " << f + 1;
    ASSERT_EQ(scene.m_nState, cPlayScene::kPlay);
  }
  EXPECT_EQ(End(scene), recordedEnd);

  // The frame after the recording restarts the stage from its start picture.
  Frame(scene, 0, 0);
  EXPECT_EQ(scene.m_nState, cPlayScene::kReady);
  EXPECT_EQ(scene.m_nPlayFrames, 0);
  EXPECT_EQ(Player[0].m_nHp, startHp);
}

}  // namespace
