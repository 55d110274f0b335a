// ctest-label: menus
// The menu scenes' music request: a tune already playing for the scenes is
// not requested again; no tune (0) is always requested, to stop the music.
#include <gtest/gtest.h>

#include "app/scenes/ChallengeScene.h"
#include "app/scenes/OptionScene.h"
#include "app/scenes/SceneMusic.h"
#include "app/scenes/TitleScene.h"
#include "engine/Names.h"
#include "tests/app/scenes/menu_scene_fixture.h"

namespace {

using menutest::Calls;

TEST(SceneMusicDue, Table) {
  struct Case {
    int32_t tune, playing;
    bool due;
    int32_t after;
  } const cases[] = {
      {3, 0, true, 3}, {3, 3, false, 3}, {3, 2, true, 3}, {0, 0, true, 0}, {0, 4, true, 0},
  };
  for (const Case& c : cases) {
    int32_t playing = c.playing;
    EXPECT_EQ(SceneMusicDue(c.tune, playing), c.due) << c.tune << " " << c.playing;
    EXPECT_EQ(playing, c.after);
  }
}

TEST(SceneMusicDue, KindOutsideTheListIsNoTune) {
  const cVector<int32_t> list{5, 6};
  EXPECT_EQ(SceneTune(list, 1), 6);
  EXPECT_EQ(SceneTune(list, 2), 0);
  EXPECT_EQ(SceneTune(list, -1), 0);
}

class SceneMusic : public menutest::MenuSceneTest {};

TEST_F(SceneMusic, PassingBetweenScenesOfOneTuneKeepsItPlaying) {
  nm::sys::SceneBgm(SystemData) = cVector<int32_t>{2, 5, 5, 0};
  RequestSceneMusic(kMusicTitle);
  RequestSceneMusic(kMusicWorldMap);
  RequestSceneMusic(kMusicWorldMap);  // the map menu and back
  RequestSceneMusic(kMusicChallenge);  // the same tune as the world map
  RequestSceneMusic(kMusicOption);     // none: stops it
  RequestSceneMusic(kMusicOption);
  RequestSceneMusic(kMusicTitle);
  EXPECT_EQ(Recorded(), (Calls{"music 0 0", "music 1 0", "music 3 0", "music 3 0", "music 0 0"}));
  EXPECT_EQ(SceneDirector.m_nSceneBgm, 2);
}

TEST_F(SceneMusic, EachSceneAsksForItsKindOnEntry) {
  nm::sys::SceneBgm(SystemData) = cVector<int32_t>{1, 2, 3, 4};
  {
    cTitleScene title;
    title.Step();
  }
  {
    cChallengeScene challenge;
    challenge.Step();
  }
  {
    cOptionScene option;
    option.Step();
  }
  Calls music;
  for (const std::string& c : Recorded())
    if (c.rfind("music", 0) == 0) music.push_back(c);
  EXPECT_EQ(music, (Calls{"music 0 0", "music 2 0", "music 3 0"}));
  EXPECT_EQ(SceneDirector.m_nSceneBgm, 4);
}

}  // namespace
