// ctest-label: menus
// The title scene: what each menu item starts, the items shown, where the
// cursor opens, the continue list, and the fresh save data of a new story
// and of free play.
#include <gtest/gtest.h>

#include "app/frame/SceneDirector.h"
#include "app/scenes/TitleScene.h"
#include "data/Cmd.h"
#include "data/Stage.h"
#include "engine/Names.h"
#include "tests/app/app_process.h"
#include "tests/app/scenes/menu_scene_fixture.h"

namespace {

using menutest::Calls;

class TitleScene : public menutest::MenuSceneTest {
 protected:
  void SetUp() override {
    MenuSceneTest::SetUp();
    SetTitleRequests({[this] {
                        dialogs_.push_back("open stage");
                        return openResult_;
                      },
                      [this] {
                        dialogs_.push_back("open replay");
                        return openResult_;
                      }});
  }
  void TearDown() override {
    SetTitleRequests({});
    MenuSceneTest::TearDown();
  }
  void EnableTitleItems(std::initializer_list<int> enabled) {
    cVector<cCmd>& menu = nm::sys::TitleMenu(SystemData);
    for (cCmd& c : menu) c.m_Enabled = 0;
    for (int i : enabled) menu[static_cast<size_t>(i)].m_Enabled = 1;
  }

  bool openResult_ = true;
  std::vector<std::string> dialogs_;
};

TEST_F(TitleScene, EveryItemStartsItsGame) {
  struct Case {
    int item;
    bool dialogResult;
    int state;     // after the confirm
    int nextMode;  // when leaving (state 3)
    int gameType;  // -1: unchanged
    const char* dialog;
    Calls calls;
  } const cases[] = {
      {0, true, 3, 1, 0, "", {"sound 1"}},
      {1, true, 2, -1, 0, "", {"sound 1"}},
      {2, true, 3, 3, 1, "", {"sound 1"}},
      {3, true, 3, 4, 2, "open stage", {"sound 1"}},
      {3, false, 1, -1, 2, "open stage", {"sound 1"}},
      {4, true, 3, 4, 3, "open replay", {"sound 1"}},
      {4, false, 1, -1, 3, "open replay", {"sound 1"}},
      {5, true, 3, 5, -1, "", {"sound 1"}},
      {6, true, 1, -1, -1, "", {"sound 1", "close"}},
  };
  // Rankings of game types 0 and 2 only.
  cVector<cMenuSetting>& rankings = nm::sys::RankingMenus(SystemData);
  for (int t = 0; t < 4; ++t) rankings[static_cast<size_t>(t)].m_On = t % 2 == 0 ? 1 : 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "item " << c.item << " dialog " << c.dialogResult);
    SceneDirector.m_nTitleItem = c.item;  // the cursor opens on it
    SceneDirector.m_nGameType = 7;
    SceneDirector.m_nNextMode = -1;
    SceneDirector.m_bRankings = 9;
    openResult_ = c.dialogResult;
    dialogs_.clear();
    cTitleScene scene;
    Open(scene);
    Frame(scene, 1);
    EXPECT_EQ(Recorded(), c.calls);
    EXPECT_EQ(dialogs_, c.dialog[0] ? Calls{c.dialog} : Calls{});
    EXPECT_EQ(scene.m_nState, c.state);
    EXPECT_EQ(SceneDirector.m_nTitleItem, c.item);
    EXPECT_EQ(SceneDirector.m_nNextMode, c.nextMode);
    EXPECT_EQ(SceneDirector.m_nGameType, c.gameType == -1 ? 7 : c.gameType);
    EXPECT_EQ(SceneDirector.m_bRankings, c.gameType == -1 ? 9 : (c.gameType % 2 == 0 ? 1 : 0));
  }
}

TEST_F(TitleScene, QuitAsksToCloseOncePerPress) {
  SceneDirector.m_nTitleItem = 6;
  cTitleScene scene;
  Open(scene);
  Frame(scene, 1);
  scene.Step();  // still held: no new press
  Frame(scene, 0);
  Frame(scene, 1);
  EXPECT_EQ(Recorded(), (Calls{"sound 1", "close", "sound 1", "close"}));
  EXPECT_EQ(scene.m_nState, cTitleScene::kMainMenu);
}

TEST_F(TitleScene, ShownItemsAndCursorRow) {
  int32_t items[kTitleItems];
  EnableTitleItems({0, 2, 3, 5});
  ASSERT_EQ(BuildTitleItems(nm::sys::TitleMenu(SystemData), items), 4);
  EXPECT_EQ((std::vector<int32_t>(items, items + 4)), (std::vector<int32_t>{0, 2, 3, 5}));
  // After a free-play game the cursor opens on the free-play entry.
  EXPECT_EQ(TitleCursorRow(3, items, 4), 2);
  // An item not shown keeps its number as the row.
  EXPECT_EQ(TitleCursorRow(1, items, 4), 1);
  EXPECT_EQ(TitleCursorRow(6, items, 4), 6);
  EnableTitleItems({});
  ASSERT_EQ(BuildTitleItems(nm::sys::TitleMenu(SystemData), items), 1);
  EXPECT_EQ(items[0], 0);
}

TEST(TitleMenuLayout, PictureAndTextMenus) {
  // A 256-pixel game-mode picture: the menu starts at x 160 and is 288 wide.
  EXPECT_EQ(TitleMenuX(256), 160);
  EXPECT_EQ(TitleMenuWidth(true, 256, 9), 288);
  // Text: the longest label at 32 pixels a character, the cursor column and the frame.
  EXPECT_EQ(TitleMenuWidth(false, 256, 6), 6 * 32 + 34);
  EXPECT_EQ(TitleMenuWidth(false, 0, 0), 34);
}

TEST_F(TitleScene, CursorOnAHiddenItemWrapsToTheTop) {
  EnableTitleItems({0, 2});
  SceneDirector.m_nTitleItem = 5;
  cTitleScene scene;
  Open(scene);
  EXPECT_EQ(scene.m_nItemCount, 2);
  Frame(scene, 0);
  EXPECT_EQ(MenuCursor.Current().nRow, 0);
  Frame(scene, 0, cInput::DIR_DOWN);
  Frame(scene, 1);
  EXPECT_EQ(SceneDirector.m_nTitleItem, 2);
  EXPECT_EQ(SceneDirector.m_nNextMode, 3);
}

TEST_F(TitleScene, WithEveryItemHiddenTheOneItemStartsANewStory) {
  EnableTitleItems({});
  SceneDirector.m_nTitleItem = 4;
  cTitleScene scene;
  Open(scene);
  Frame(scene, 1);
  EXPECT_EQ(SceneDirector.m_nTitleItem, 0);
  EXPECT_EQ(SceneDirector.m_nNextMode, 1);
  EXPECT_EQ(scene.m_nState, cTitleScene::kFadeOut);
}

TEST_F(TitleScene, MenuPositionsAndMovesWrap) {
  cTitleScene scene;
  Open(scene);
  Frame(scene, 0, cInput::DIR_UP);  // from row 0 to the last of seven
  EXPECT_EQ(MenuCursor.Current().nRow, 6);
  EXPECT_EQ(MenuCursor.Current().nX, TitleMenuPos.x);
  EXPECT_EQ(MenuCursor.Current().nY, TitleMenuPos.y + 6 * 32);
  Frame(scene, 0, cInput::DIR_DOWN);
  EXPECT_EQ(MenuCursor.Current().nRow, 0);
}

TEST_F(TitleScene, ChallengeWithoutProgressStartsFresh) {
  nm::sys::ChallengeCount(SystemData) = 12;
  nm::save::Lives(SaveData) = 77;
  SaveData.m_ChallengeRecords.assign(3, cChallengeRecord());
  SaveData.m_ChallengeRecords[1].m_Best = 500;
  SceneDirector.m_nTitleItem = 2;
  cTitleScene scene;
  Open(scene);
  Frame(scene, 1);
  const cVector<cChallengeRecord>& recs = nm::save::ChallengeRecords(SaveData);
  ASSERT_EQ(recs.size(), 12u);
  for (const cChallengeRecord& r : recs) {
    EXPECT_EQ(r.m_Cleared, 0);
    EXPECT_EQ(r.m_Best, 0);
  }
  EXPECT_EQ(nm::save::ChallengeOpenCount(SaveData), 1);
  EXPECT_EQ(nm::save::Lives(SaveData), 0);
}

TEST_F(TitleScene, ChallengeProgressIsLoaded) {
  nm::sys::ChallengeCount(SystemData) = 4;
  cSaveData progress;
  progress.m_ChallengeRecords.assign(4, cChallengeRecord());
  progress.m_ChallengeRecords[2].m_Cleared = 1;
  progress.m_ChallengeRecords[2].m_Best = 1234;
  nm::save::ChallengeOpenCount(progress) = 3;
  platform::CreateFolder("user_data");
  platform::CreateFolder("user_data\\challenge");
  ASSERT_TRUE(progress.SaveChallenge());
  SceneDirector.m_nTitleItem = 2;
  cTitleScene scene;
  Open(scene);
  Frame(scene, 1);
  ASSERT_EQ(nm::save::ChallengeRecords(SaveData).size(), 4u);
  EXPECT_EQ(nm::save::ChallengeRecords(SaveData)[2].m_Best, 1234);
  EXPECT_EQ(nm::save::ChallengeOpenCount(SaveData), 3);
}

// ---------------------------------------------------------------- continue

class TitleSlots : public TitleScene {
 protected:
  void SetUp() override {
    TitleScene::SetUp();
    platform::CreateFolder("user_data");
    platform::CreateFolder("user_data\\story");
  }
  // The slot list open, the cursor on its first row.
  void OpenSlots(cTitleScene& scene) {
    SceneDirector.m_nTitleItem = 1;
    Open(scene);
    Frame(scene, 1);
    ASSERT_EQ(scene.m_nState, cTitleScene::kSlotMenu);
    fake_.ClearCalls();
  }
};

TEST_F(TitleSlots, LoadsAnExistingSlot) {
  cSaveData saved;
  saved.Reset();
  nm::save::CommonVars(saved)[5] = 42;
  nm::save::nMapX(saved) = 0;
  ASSERT_TRUE(saved.SaveStory(2));
  cTitleScene scene;
  OpenSlots(scene);
  Frame(scene, 0, cInput::DIR_DOWN);
  Frame(scene, 0, cInput::DIR_DOWN);
  Frame(scene, 1);
  EXPECT_EQ(Recorded(), Calls{"sound 1"});
  EXPECT_EQ(nm::save::CommonVars(SaveData)[5], 42);
  EXPECT_EQ(SceneDirector.m_nNextMode, 1);
  EXPECT_EQ(scene.m_nState, cTitleScene::kFadeOut);
}

TEST_F(TitleSlots, AnEmptySlotIsRefused) {
  cTitleScene scene;
  OpenSlots(scene);
  Frame(scene, 1);
  EXPECT_EQ(Recorded(), Calls{"sound 3"});
  EXPECT_EQ(scene.m_nState, cTitleScene::kSlotMenu);
}

TEST_F(TitleSlots, ASlotBrokenAfterTheListWasReadIsRefusedAndTheGameKept) {
  cSaveData saved;
  saved.Reset();
  ASSERT_TRUE(saved.SaveStory(0));
  cTitleScene scene;
  OpenSlots(scene);
  ASSERT_TRUE(StorySlots[0].m_Exists);
  testsupport::WriteFileBytes(dir_.path() / "user_data" / "story" / "Story01.dat", {1, 2, 3});
  nm::save::CommonVars(SaveData)[1] = 9;
  Frame(scene, 1);
  EXPECT_EQ(Recorded(), Calls{"sound 3"});
  EXPECT_EQ(nm::save::CommonVars(SaveData)[1], 9);
  EXPECT_EQ(StorySlots[0].m_Exists, 0);
  EXPECT_EQ(scene.m_nState, cTitleScene::kSlotMenu);
}

TEST_F(TitleSlots, PagingAndCancelBackToTheMenuRow) {
  cTitleScene scene;
  OpenSlots(scene);
  Frame(scene, 0, cInput::DIR_RIGHT);
  EXPECT_EQ(scene.m_nSlotRows, 10);
  EXPECT_EQ(scene.m_nSlotTop, 9);
  EXPECT_EQ(MenuCursor.Current().nRow, 9);
  EXPECT_EQ(MenuCursor.Current().nY, TitleSlotPos.y);
  for (int i = 0; i < 20; ++i) Frame(scene, 0, cInput::DIR_RIGHT);
  EXPECT_EQ(scene.m_nSlotTop, 89);
  EXPECT_EQ(MenuCursor.Current().nRow, 98);
  Frame(scene, 2);
  EXPECT_EQ(Recorded().back(), "sound 2");
  EXPECT_EQ(scene.m_nState, cTitleScene::kMainMenu);
  EXPECT_EQ(MenuCursor.Depth(), 1u);
  EXPECT_EQ(MenuCursor.Current().nRow, 1);  // the continue item, as it was
}

// ---------------------------------------------------------------- fresh save data

TEST_F(TitleScene, NewStoryGameValues) {
  struct Case {
    int32_t lives, infinite, startLives, livesNow;
  } const cases[] = {{3, 0, 3, 2}, {1, 0, 1, 0}, {3, 1, 999999, 999999}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.lives);
    nm::sys::InitialLives(SystemData)[0] = c.lives;
    nm::sys::InfiniteLives(SystemData)[0] = c.infinite;
    WorldMap.m_Width = WorldMap.m_Height = 20;
    WorldMap.m_StartX = 4;
    WorldMap.m_StartY = 7;
    // Leftovers of a previous game.
    SaveData.m_Switches.assign(1000, 1);
    SaveData.m_Vars.assign(1001, 5);
    SaveData.m_CarryFlags.assign(25, 1);
    SaveData.m_Carry.resize(3);
    SaveData.m_StageRecords.resize(2);
    SaveData.m_ChallengeRecords.resize(2);
    nm::save::CycleCounter(SaveData) = 4;
    nm::save::LastStorySlot(SaveData) = 3;
    nm::save::PlayerName(SaveData) = "xyz";
    nm::save::ChallengeOpenCount(SaveData) = 9;
    nm::save::AutoSave(SaveData) = 1;
    NewStoryGame();
    const cSaveData& s = SaveData;
    ASSERT_EQ(s.m_Switches.size(), 1000u);
    EXPECT_EQ(s.m_Switches[0], 1);
    EXPECT_EQ(std::count(s.m_Switches.begin(), s.m_Switches.end(), 0), 999);
    ASSERT_EQ(s.m_Vars.size(), 1001u);
    EXPECT_EQ(std::count(s.m_Vars.begin(), s.m_Vars.end(), 0), 1001);
    ASSERT_EQ(s.m_CarryFlags.size(), 25u);
    EXPECT_EQ(std::count(s.m_CarryFlags.begin(), s.m_CarryFlags.end(), 0), 25);
    EXPECT_EQ(s.m_Carry.size(), 1u);
    EXPECT_TRUE(s.m_StageRecords.empty());
    EXPECT_TRUE(s.m_ChallengeRecords.empty());
    EXPECT_EQ(nm::save::ChallengeOpenCount(s), 1);
    EXPECT_EQ(nm::save::LastStorySlot(s), -1);
    EXPECT_EQ(nm::save::PlayerName(s), "aaa");
    EXPECT_EQ(nm::save::AutoSave(s), 0);
    EXPECT_EQ(nm::save::nMapX(s), 4);
    EXPECT_EQ(nm::save::nMapY(s), 7);
    EXPECT_EQ(nm::save::CycleCounter(s), 0);
    EXPECT_EQ(nm::save::LivesAtStageStart(s), c.startLives);
    EXPECT_EQ(nm::save::Lives(s), c.livesNow);
  }
}

TEST_F(TitleScene, FreeStageThatDoesNotLoadLeavesFreshSaveData) {
  nm::save::CommonVars(SaveData)[3] = 8;
  nm::save::nMapX(SaveData) = 5;
  EXPECT_FALSE(StartFreeStage("data\\stg4\\missing.stg4", 1));
  EXPECT_EQ(nm::save::CommonVars(SaveData)[3], 0);
  EXPECT_EQ(nm::save::PlayerName(SaveData), "aaa");
}

// Free play of a stage of the generated sample project.
class FreeStage : public TitleScene {
 protected:
  void SetUp() override {
    TitleScene::SetUp();
    ASSERT_FALSE(apptest::SampleProject().empty());
    platform::SetProjectRoot(apptest::SampleProject().string());
    platform::ForgetFolderListings();
  }
  void TearDown() override {
    SceneDirector.m_Startup.m_bStartFilePlay.store(0);
    TitleScene::TearDown();
  }
};

TEST_F(FreeStage, LoadsTheFileAndSetsTheStart) {
  struct Case {
    const char* path;
    int resolve, startFile, infinite;
    int32_t startLives, livesNow;
  } const cases[] = {
      {"data\\stg4\\Sample-1.stg4_000", 0, 0, 0, 4, 3},
      {"data\\stg4\\Sample-1.stg4", 1, 0, 0, 4, 3},
      {"data\\stg4\\Sample-1.stg4_000", 0, 0, 1, 999999, 999999},
      {"data\\stg4\\Sample-1.stg4_000", 0, 1, 0, 999999, 999999},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.path << " " << c.startFile << c.infinite);
    nm::sys::InitialLives(SystemData)[2] = 4;
    nm::sys::InfiniteLives(SystemData)[2] = c.infinite;
    SceneDirector.m_Startup.m_bStartFilePlay.store(c.startFile);
    nm::save::CommonVars(SaveData)[3] = 8;
    ASSERT_TRUE(StartFreeStage(c.path, c.resolve));
    EXPECT_NE(nm::stage::Path(Stage).find("Sample-1.stg4_000"), std::string::npos);
    EXPECT_EQ(nm::save::CommonVars(SaveData)[3], 0);
    EXPECT_EQ(nm::save::StageIndex(SaveData), 1);
    EXPECT_EQ(nm::save::nPart(SaveData), 1);
    EXPECT_EQ(nm::save::StartVarFlag(SaveData), 0);
    EXPECT_NE(nm::save::StageBaseName(SaveData).find("Sample"), std::string::npos);
    EXPECT_EQ(nm::save::StageBaseName(SaveData).find("-1"), std::string::npos);
    EXPECT_EQ(nm::save::LivesAtStageStart(SaveData), c.startLives);
    EXPECT_EQ(nm::save::Lives(SaveData), c.livesNow);
  }
}

}  // namespace
