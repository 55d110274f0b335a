// ctest-label: play
// The play scene's decisions: the start pictures of the Ready state, which
// pause items are offered, what follows the hero's defeat, and the lives.
#include <gtest/gtest.h>

#include <string>

#include "app/frame/SceneDirector.h"
#include "app/play/PlayScene.h"
#include "data/SaveData.h"
#include "engine/Names.h"

namespace {

TEST(ReadyState, PictureTable) {
  struct Case {
    bool editor, replay, number, second;
    ReadyShow first;
    int framesShown;  // frames on which the picture shows before the start
  } const cases[] = {
      {true, true, true, true, kReadyStart, 0},         {false, true, true, true, kReadyReplayLabel, 79},
      {false, false, true, true, kReadyStageLabel, 79}, {false, false, false, true, kReadySecondPicture, 79},
      {false, false, false, false, kReadyStart, 0},
  };
  for (const Case& c : cases) {
    int32_t frames = 0, frames2 = 0;
    int shown = 0;
    ReadyShow s;
    while ((s = DecideReady(c.editor, c.replay, c.number, c.second, frames, frames2)) != kReadyStart) {
      EXPECT_EQ(s, c.first);
      ASSERT_LT(++shown, 1000);
    }
    EXPECT_EQ(shown, c.framesShown) << c.replay << c.number << c.second;
  }
}

TEST(ReadyState, SecondPictureShowsOncePerEntry) {
  int32_t frames = 0, frames2 = 0;
  while (DecideReady(false, false, false, true, frames, frames2) != kReadyStart) {
  }
  frames = 0;  // the start resets only the first counter
  EXPECT_EQ(DecideReady(false, false, false, true, frames, frames2), kReadyStart);
}

TEST(PauseItems, EnablingMatrix) {
  const cVector<std::string> labels(30, "item");
  struct Case {
    PauseRules rules;
    int enabled[4];
  } const cases[] = {
      // story: retry and leave each need their switch and the stage cleared
      {{0, true, true, true, false, false}, {1, 1, 1, 1}},
      {{0, true, true, false, false, false}, {1, 1, 0, 0}},
      {{0, true, false, true, false, false}, {1, 1, 1, 0}},
      {{0, false, true, true, false, false}, {1, 1, 0, 1}},
      // challenge: retry needs its switch and the record's flag; never leave
      {{1, true, true, true, true, true}, {1, 1, 1, 0}},
      {{1, true, true, true, true, false}, {1, 1, 0, 0}},
      {{1, true, true, true, false, true}, {1, 1, 0, 0}},
      // free play and replay: no leave
      {{2, false, false, false, false, false}, {1, 1, 1, 0}},
      {{3, false, false, false, false, false}, {1, 1, 1, 0}},
  };
  for (const Case& c : cases) {
    cVector<cCmd> items;
    BuildPauseItems(items, labels, c.rules);
    ASSERT_EQ(items.size(), 4u);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(items[i].m_Enabled, c.enabled[i]) << "type " << c.rules.gameType << " item " << i;
  }
}

TEST(PauseItems, LabelsAreSystemLabels19To22) {
  cVector<std::string> labels(23);
  for (int i = 0; i < 23; ++i) labels[i] = "L" + std::to_string(i);
  cVector<cCmd> items;
  BuildPauseItems(items, labels, PauseRules{});
  EXPECT_EQ(items[0].m_Label, "L19");
  EXPECT_EQ(items[3].m_Label, "L22");
  // A short label list gives empty labels, not a read past its end.
  BuildPauseItems(items, cVector<std::string>(3), PauseRules{});
  EXPECT_EQ(items[3].m_Label, "");
}

TEST(HeroDeath, Outcomes) {
  EXPECT_EQ(DecideDeathOutcome(true, 0, true, true), kDeathReplayRestart);
  EXPECT_EQ(DecideDeathOutcome(false, 0, true, true), kDeathGameOver);
  EXPECT_EQ(DecideDeathOutcome(false, 1, true, true), kDeathContinueMenu);
  EXPECT_EQ(DecideDeathOutcome(false, 1, true, false), kDeathRetry);
  EXPECT_EQ(DecideDeathOutcome(false, 1, false, true), kDeathRetry);
}

TEST(HeroDeath, LoseLife) {
  cSaveData s;
  SceneDirector.m_Startup.m_bStartFilePlay.store(0);
  nm::save::Lives(s) = 2;
  EXPECT_EQ(cPlayScene::LoseLife(s), 1);
  EXPECT_EQ(nm::save::Lives(s), 1);
  EXPECT_EQ(cPlayScene::LoseLife(s), 1);
  EXPECT_EQ(nm::save::Lives(s), 0);
  EXPECT_EQ(cPlayScene::LoseLife(s), 0);
  EXPECT_EQ(nm::save::Lives(s), 0);
  nm::save::Lives(s) = 999999;
  EXPECT_EQ(cPlayScene::LoseLife(s), 1);
  EXPECT_EQ(nm::save::Lives(s), 999999);
  nm::save::Lives(s) = 0;
  SceneDirector.m_Startup.m_bStartFilePlay.store(1);
  EXPECT_EQ(cPlayScene::LoseLife(s), 1);
  EXPECT_EQ(nm::save::Lives(s), 0);
  SceneDirector.m_Startup.m_bStartFilePlay.store(0);
}

}  // namespace
