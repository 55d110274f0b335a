// ctest-label: menus
// The challenge list: its length, stage names, paging, the cursor kept
// between visits, the ranking switches and what starting a stage sets.
#include <gtest/gtest.h>

#include "app/scenes/ChallengeScene.h"
#include "data/Stage.h"
#include "engine/Names.h"
#include "tests/app/app_process.h"
#include "tests/app/scenes/menu_scene_fixture.h"

namespace {

using menutest::Calls;

class ChallengeScene : public menutest::MenuSceneTest {
 protected:
  void SetUp() override {
    MenuSceneTest::SetUp();
    nm::sys::ChallengeCount(SystemData) = 40;
    nm::sys::ChallengeAllOpen(SystemData) = 1;
    SaveData.m_ChallengeRecords.assign(40, cChallengeRecord());
    SceneDirector.m_nGameType = 1;
  }
};

TEST(ChallengeNames, StageFileNames) {
  EXPECT_EQ(ChallengeStageName(1), "data\\stg4\\c01-1.stg4");
  EXPECT_EQ(ChallengeStageName(7), "data\\stg4\\c07-1.stg4");
  EXPECT_EQ(ChallengeStageName(40), "data\\stg4\\c40-1.stg4");
  EXPECT_EQ(ChallengeStageName(123), "data\\stg4\\c123-1.stg4");
}

TEST(ChallengeNames, ListLengthAndRows) {
  cSystem system;
  cSaveData save;
  nm::sys::ChallengeCount(system) = 40;
  nm::save::ChallengeOpenCount(save) = 3;
  nm::sys::ChallengeAllOpen(system) = 1;
  EXPECT_EQ(ChallengeListCount(system, save), 40);
  nm::sys::ChallengeAllOpen(system) = 0;
  EXPECT_EQ(ChallengeListCount(system, save), 3);
  nm::save::ChallengeOpenCount(save) = -2;
  EXPECT_EQ(ChallengeListCount(system, save), 0);
  EXPECT_EQ(ChallengeRows(40, 0), 10);
  EXPECT_EQ(ChallengeRows(40, 35), 5);
  EXPECT_EQ(ChallengeRows(3, 0), 3);
  EXPECT_EQ(ChallengeRows(0, 0), 0);
  EXPECT_EQ(ChallengeRows(3, 9), 0);
}

TEST_F(ChallengeScene, PagingShowsTheNextTenAndPreviewsTheStageUnderTheCursor) {
  cChallengeScene scene;
  Open(scene);
  EXPECT_NE(nm::save::StageBaseName(SaveData).find("c01"), std::string::npos);
  Frame(scene, 0, cInput::DIR_RIGHT);
  EXPECT_EQ(scene.m_nTop, 9);
  EXPECT_EQ(MenuCursor.Current().nRow, 9);
  EXPECT_EQ(MenuCursor.Current().nX, 32);
  EXPECT_EQ(MenuCursor.Current().nY, 160);
  EXPECT_NE(nm::save::StageBaseName(SaveData).find("c10"), std::string::npos);
  Frame(scene, 0, cInput::DIR_DOWN);
  EXPECT_NE(nm::save::StageBaseName(SaveData).find("c11"), std::string::npos);
  EXPECT_EQ(MenuCursor.Current().nY, 192);
  for (int i = 0; i < 10; ++i) Frame(scene, 0, cInput::DIR_RIGHT);
  EXPECT_EQ(scene.m_nTop, 30);
  EXPECT_EQ(scene.m_nRows, 10);
  EXPECT_EQ(MenuCursor.Current().nRow, 39);
  EXPECT_NE(nm::save::StageBaseName(SaveData).find("c40"), std::string::npos);
}

TEST_F(ChallengeScene, ListHoldsTheOpenedStagesWithoutTheAllOpenSwitch) {
  nm::sys::ChallengeAllOpen(SystemData) = 0;
  nm::save::ChallengeOpenCount(SaveData) = 3;
  cChallengeScene scene;
  Open(scene);
  for (int i = 0; i < 5; ++i) Frame(scene, 0, cInput::DIR_DOWN);
  EXPECT_EQ(scene.m_nCount, 3);
  EXPECT_EQ(scene.m_nRows, 3);
  EXPECT_EQ(MenuCursor.Current().nRow, 2);
}

TEST_F(ChallengeScene, CancelReturnsToTheTitleAndKeepsTheStoredCursor) {
  SceneDirector.m_nChallengeCursor = 12;
  SceneDirector.m_nChallengeTop = 9;
  cChallengeScene scene;
  Open(scene);
  EXPECT_EQ(MenuCursor.Current().nRow, 12);
  EXPECT_EQ(scene.m_nTop, 9);
  Frame(scene, 0, cInput::DIR_DOWN);
  Frame(scene, 2);
  EXPECT_EQ(Recorded(), Calls{"sound 2"});
  EXPECT_EQ(SceneDirector.m_nNextMode, 0);
  EXPECT_EQ(scene.m_nState, cChallengeScene::kFadeOut);
  EXPECT_EQ(SceneDirector.m_nChallengeCursor, 12);
  EXPECT_EQ(SceneDirector.m_nChallengeTop, 9);
}

TEST_F(ChallengeScene, AnEmptyListStartsNothing) {
  nm::sys::ChallengeAllOpen(SystemData) = 0;
  nm::save::ChallengeOpenCount(SaveData) = 0;
  cChallengeScene scene;
  Open(scene);
  Frame(scene, 1);
  EXPECT_EQ(Recorded(), Calls{"sound 3"});
  EXPECT_EQ(scene.m_nState, cChallengeScene::kMain);
  EXPECT_EQ(SceneDirector.m_nNextMode, 0);
}

TEST_F(ChallengeScene, AStageFileThatDoesNotLoadIsReported) {
  cChallengeScene scene;
  Open(scene);
  Frame(scene, 0, cInput::DIR_DOWN);
  Frame(scene, 1);
  const Calls calls = Recorded();
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_EQ(calls[0], "sound 3");
  EXPECT_EQ(calls[1].rfind("error ", 0), 0u);
  EXPECT_NE(calls[1].find("data\\stg4\\c02-1.stg4"), std::string::npos);
  EXPECT_EQ(scene.m_nState, cChallengeScene::kMain);
}

TEST_F(ChallengeScene, RankingButtons) {
  cVector<cMenuSetting>& menus = nm::sys::RankingMenus(SystemData);
  struct Case {
    int menuOn;
    int categories;  // switched on, from category 0
    uint16_t button;
    int displayBefore, displayAfter, categoryAfter;
    Calls calls;
  } const cases[] = {
      {1, 5, 4, 0, 1, 0, {"sound 6"}},  {1, 5, 4, 1, 0, 0, {"sound 6"}}, {0, 5, 4, 1, 0, 0, {}},
      {1, 5, 8, 1, 1, 1, {"sound 6"}},  {1, 1, 8, 1, 1, 0, {}},          {0, 5, 8, 0, 0, 0, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.menuOn << " " << c.categories << " " << c.button << " " << c.displayBefore);
    menus[1].m_On = c.menuOn;
    for (int k = 0; k < 5; ++k) menus[1].m_Categories[static_cast<size_t>(k)] = k < c.categories ? 1 : 0;
    nm::save::RankingDisplay(SaveData) = c.displayBefore;
    nm::save::SetRankingCategory(SaveData, 0);
    cChallengeScene scene;
    Open(scene);
    Frame(scene, c.button);
    EXPECT_EQ(Recorded(), c.calls);
    EXPECT_EQ(nm::save::RankingDisplay(SaveData), c.displayAfter);
    EXPECT_EQ(nm::save::RankingCategory(SaveData), c.categoryAfter);
    EXPECT_EQ(scene.m_nState, cChallengeScene::kMain);
  }
}

// Starting a stage of the generated sample project.
class ChallengeStart : public ChallengeScene {
 protected:
  void SetUp() override {
    ChallengeScene::SetUp();
    ASSERT_FALSE(apptest::SampleProject().empty());
    platform::SetProjectRoot(apptest::SampleProject().string());
    platform::ForgetFolderListings();
  }
};

TEST_F(ChallengeStart, ConfirmLoadsTheStageAndSetsTheStart) {
  struct Case {
    int32_t lives, infinite, startLives, livesNow;
  } const cases[] = {{3, 0, 3, 2}, {5, 1, 999999, 999999}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.lives);
    nm::sys::InitialLives(SystemData)[1] = c.lives;
    nm::sys::InfiniteLives(SystemData)[1] = c.infinite;
    nm::save::NextPartChain(SaveData) = 0;
    SceneDirector.m_nPrevMode = 0;
    SceneDirector.m_nChallengeCursor = SceneDirector.m_nChallengeTop = 0;
    cChallengeScene scene;
    Open(scene);
    Frame(scene, 1);
    EXPECT_EQ(Recorded(), Calls{"sound 1"});
    EXPECT_EQ(scene.m_nState, cChallengeScene::kFadeOut);
    EXPECT_NE(nm::stage::Path(Stage).find("c01-1.stg4_000"), std::string::npos);
    EXPECT_NE(nm::save::StageBaseName(SaveData).find("c01"), std::string::npos);
    EXPECT_EQ(nm::save::StageIndex(SaveData), 1);
    EXPECT_EQ(nm::save::nPart(SaveData), 1);
    EXPECT_EQ(nm::save::NextPartChain(SaveData), 1);
    EXPECT_EQ(nm::save::LivesAtStageStart(SaveData), c.startLives);
    EXPECT_EQ(nm::save::Lives(SaveData), c.livesNow);
    EXPECT_EQ(SceneDirector.m_nNextMode, 4);
    EXPECT_EQ(SceneDirector.m_nPrevMode, 3);
    EXPECT_EQ(SceneDirector.m_nChallengeCursor, 0);
  }
}

}  // namespace
