// ctest-label: menus
// The option scene: values wrap within their ranges, a cancelled edit puts
// the old value back, the value texts, the music switch taken into use on
// leaving, and the options file written every time the scene is left.
#include <gtest/gtest.h>

#include "app/frame/ProgramObjects.h"
#include "app/scenes/OptionScene.h"
#include "data/Cmd.h"
#include "data/System.h"
#include "engine/Names.h"
#include "media/sound/DSound.h"
#include "platform/Audio.h"
#include "platform/CodePage.h"
#include "tests/app/scenes/menu_scene_fixture.h"
#include "tests/media/sound/SoundTestSupport.h"

namespace {

using menutest::Calls;

TEST(OptionValues, StepsWrap) {
  struct Case {
    int32_t value;
    uint16_t dir;
    int32_t min, max, after;
  } const cases[] = {
      {23, cInput::DIR_UP, 0, 23, 0},   {0, cInput::DIR_DOWN, 0, 10, 10},  {0, cInput::DIR_DOWN, 0, 1, 1},
      {1, cInput::DIR_UP, 0, 1, 0},     {2, cInput::DIR_UP, 0, 3, 3},      {5, 0, 0, 10, 5},
      {3, cInput::DIR_UP | cInput::DIR_DOWN, 0, 3, 3},  // up wraps to 0, then down back to 3
      {7, cInput::DIR_LEFT, 0, 10, 7},
  };
  for (const Case& c : cases)
    EXPECT_EQ(StepOptionValue(c.value, c.dir, c.min, c.max), c.after) << c.value << " dir " << c.dir;
}

TEST(OptionValues, FieldsAndRanges) {
  cOption o;
  struct Case {
    int item;
    int32_t* field;
    int32_t max;
  } const cases[] = {
      {0, &o.m_Palette, 23}, {1, &o.m_Music, 1}, {2, &o.m_SoundVolume, 10}, {3, &o.m_RankMode, 3},
      {4, nullptr, 0},       {5, nullptr, 0},
  };
  for (const Case& c : cases) {
    int32_t max = -1;
    EXPECT_EQ(OptionField(o, c.item, max), c.field) << c.item;
    EXPECT_EQ(max, c.max) << c.item;
  }
}

// A new project's option menu labels each entry with the setting its number
// edits: 0 the palette (no label), 1 music, 2 volume, 3 ranking mode, 4
// ranking name, 5 back; every entry is enabled.
TEST(OptionValues, DefaultLabelsFollowTheItems) {
  const cSystem s;
  struct Case {
    int item;
    const char* label;  // UTF-8 for reading
  } const cases[] = {
      {kOptPalette, ""},
      {kOptMusic, "BGM"},
      {kOptVolume, "SE"},
      {kOptRankMode, "ランキング登録"},
      {kOptRankName, "ランキング登録名"},
      {kOptBack, "もどる"},
  };
  ASSERT_EQ(s.m_OptionMenu.size(), 6u);
  for (const Case& c : cases) {
    const cCmd& entry = s.m_OptionMenu[static_cast<size_t>(c.item)];
    EXPECT_EQ(platform::Cp932ToUtf8(entry.m_Label), c.label) << c.item;
    EXPECT_EQ(entry.m_Enabled, 1) << c.item;
  }
}

TEST(OptionValues, Texts) {
  cOption o;
  cSystem s;
  o.m_Palette = 17;
  o.m_Music = 0;
  o.m_SoundVolume = 4;
  o.m_RankMode = 2;
  o.m_RankName = "abc";
  s.m_RankModeLabels = cVector<std::string>{"m0", "m1", "m2", "m3"};
  const char* const texts[] = {"17", "OFF", "4", "m2", "abc", ""};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(OptionValueText(o, s, i), texts[i]) << i;
  o.m_Music = 1;
  EXPECT_EQ(OptionValueText(o, s, 1), "ON");
  s.m_RankModeLabels.resize(2);
  EXPECT_EQ(OptionValueText(o, s, 3), "");
}

TEST(OptionValues, MusicSwitchMatrix) {
  EXPECT_EQ(DecideMusicSwitch(true, true), kMusicKeep);
  EXPECT_EQ(DecideMusicSwitch(false, false), kMusicKeep);
  EXPECT_EQ(DecideMusicSwitch(true, false), kMusicRelease);
  EXPECT_EQ(DecideMusicSwitch(false, true), kMusicRestart);
}

class OptionScene : public menutest::MenuSceneTest {
 protected:
  void SetUp() override {
    MenuSceneTest::SetUp();
    platform::CreateFolder("user_data");
  }
  void TearDown() override {
    BgmManager.Release();
    MenuSceneTest::TearDown();
  }
  // Leaves the scene and runs its fade-out to the end.
  void Leave(cOptionScene& scene) {
    Frame(scene, 2);
    for (int i = 0; i < 20 && SceneDirector.m_nMode != 0; ++i) Frame(scene, 0);
  }
};

TEST_F(OptionScene, EditingWrapsAndConfirmKeepsTheValue) {
  OptionData.m_Palette = 23;
  cOptionScene scene;
  Open(scene);
  Frame(scene, 1);  // palette
  EXPECT_EQ(scene.m_nSubState, 2);
  EXPECT_EQ(MenuCursor.Depth(), 2u);
  Frame(scene, 0, cInput::DIR_UP);
  EXPECT_EQ(OptionData.m_Palette, 0);
  Frame(scene, 0, cInput::DIR_DOWN);
  Frame(scene, 0, cInput::DIR_DOWN);
  EXPECT_EQ(OptionData.m_Palette, 22);
  Frame(scene, 1);
  EXPECT_EQ(OptionData.m_Palette, 22);
  EXPECT_EQ(scene.m_nSubState, 1);
  EXPECT_EQ(MenuCursor.Depth(), 1u);
  EXPECT_EQ(MenuCursor.Current().nRow, 0);
  EXPECT_EQ(Recorded(), (Calls{"sound 1", "sound 1"}));
}

TEST_F(OptionScene, CancelPutsTheOldValueBack) {
  OptionData.m_SoundVolume = 0;
  cOptionScene scene;
  Open(scene);
  Frame(scene, 0, cInput::DIR_DOWN);
  Frame(scene, 0, cInput::DIR_DOWN);  // the volume
  EXPECT_EQ(MenuCursor.Current().nY, 96 + 2 * 16);
  Frame(scene, 1);
  Frame(scene, 0, cInput::DIR_DOWN);
  EXPECT_EQ(OptionData.m_SoundVolume, 10);
  Frame(scene, 2);
  EXPECT_EQ(OptionData.m_SoundVolume, 0);
  EXPECT_EQ(scene.m_nSubState, 1);
  EXPECT_EQ(MenuCursor.Current().nRow, 2);
  EXPECT_EQ(Recorded(), (Calls{"sound 1", "sound 2"}));
}

TEST_F(OptionScene, OnlyEnabledItemsAreListed) {
  cVector<cCmd>& menu = nm::sys::OptionMenu(SystemData);
  for (cCmd& c : menu) c.m_Enabled = 0;
  menu[1].m_Enabled = menu[3].m_Enabled = 1;
  OptionData.m_RankMode = 3;
  cOptionScene scene;
  Open(scene);
  EXPECT_EQ(scene.m_nItemCount, 2);
  Frame(scene, 0, cInput::DIR_DOWN);
  Frame(scene, 1);
  EXPECT_EQ(scene.m_nEditItem, 3);
  Frame(scene, 0, cInput::DIR_UP);
  EXPECT_EQ(OptionData.m_RankMode, 0);
  for (cCmd& c : menu) c.m_Enabled = 0;
  cOptionScene none;
  Open(none);
  EXPECT_EQ(none.m_nItemCount, 1);
  EXPECT_EQ(none.m_Items[0], 0);
}

TEST_F(OptionScene, LeavingWritesTheOptionsEvenUnchanged) {
  const std::filesystem::path file = dir_.path() / "user_data" / "Option.dat";
  for (int pass = 0; pass < 2; ++pass) {
    std::filesystem::remove(file);
    OptionData.m_Music = 0;
    OptionData.m_RankName = pass ? "zz" : "ab";
    cOptionScene scene;
    Open(scene);
    SceneDirector.m_nMode = 5;
    Leave(scene);
    EXPECT_EQ(Recorded().front(), "sound 2");
    EXPECT_EQ(SceneDirector.m_nMode, 0);
    EXPECT_EQ(SceneDirector.m_nPrevMode, 5);
    ASSERT_TRUE(std::filesystem::exists(file));
    cOption back;
    ASSERT_TRUE(back.Load("user_data\\Option.dat"));
    EXPECT_EQ(back.m_RankName, OptionData.m_RankName);
  }
}

TEST_F(OptionScene, BackItemLeavesForTheTitle) {
  cOptionScene scene;
  Open(scene);
  Frame(scene, 0, cInput::DIR_UP);  // the last item: back
  Frame(scene, 1);
  EXPECT_EQ(scene.m_nState, cOptionScene::kFadeOut);
  EXPECT_EQ(SceneDirector.m_nNextMode, 0);
}

TEST_F(OptionScene, MusicSwitchTakesEffectOnLeaving) {
  struct Case {
    int32_t musicOn;
    int running, bgmAfter;
  } const cases[] = {
      {1, 1, 0},  // not running, switched on: started, the next scene asks for its tune again
      {1, 1, 3},  // running and on: nothing
      {0, 0, 0},  // running, switched off: released
      {0, 0, 3},  // not running and off: nothing
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.musicOn << " " << BgmManager.m_bEnabled);
    OptionData.m_Music = c.musicOn;
    cOptionScene scene;
    Open(scene);
    SceneDirector.m_nSceneBgm = 3;
    SceneDirector.m_nMode = 5;
    Leave(scene);
    EXPECT_EQ(BgmManager.m_bEnabled, c.running);
    EXPECT_EQ(SceneDirector.m_nSceneBgm, c.bgmAfter);
  }
}

// Two sound entries over a silent mixer: one of two buffers at its own
// volume -500, one of one buffer at -1300.
class OptionVolume : public OptionScene {
 protected:
  void SetUp() override {
    OptionScene::SetUp();
    platform::AudioSetHeadless(22050);
    ASSERT_TRUE(DS_Init(nullptr, 22050, 8, 1));
    testsupport::WriteFileBytes(dir_.path() / "a.wav", soundtest::MakeWav(soundtest::WavSpec{}));
    saved_.swap(SoundEntries);
    SoundEntries.resize(2);
    ASSERT_TRUE(DS_CreateSound(SoundEntries[0], "a.wav", 2, -500));
    ASSERT_TRUE(DS_CreateSound(SoundEntries[1], "a.wav", 1, -1300));
  }
  void TearDown() override {
    for (DSDATA& e : SoundEntries) DS_ReleaseSound(e);
    SoundEntries.swap(saved_);
    DS_End();
    platform::AudioSetHeadless(0);
    OptionScene::TearDown();
  }
  // The volume of every buffer, entry by entry.
  static std::vector<int> Volumes() {
    std::vector<int> v;
    for (DSDATA& e : SoundEntries)
      for (size_t i = 0; i < e.buffers.size(); ++i) v.push_back(DS_GetVolume(e, static_cast<int>(i)));
    return v;
  }
  cVector<DSDATA> saved_;
};

// The option's step replaces every buffer's volume with its table value,
// whatever the buffer held before (full volume 0 included).
TEST_F(OptionVolume, TheStepReplacesEveryBuffersVolume) {
  ASSERT_EQ(Volumes(), (std::vector<int>{-500, -500, -1300}));
  struct Case {
    int32_t step;
    int volume;  // hundredths of a decibel, from the eleven-entry table
  } const cases[] = {{0, -10000}, {3, -1300}, {7, -150}, {10, 0}, {7, -150}};
  for (const Case& c : cases) {
    cOption o;
    o.m_SoundVolume = c.step;
    ApplyOptionItem(kOptVolume, o);
    EXPECT_EQ(Volumes(), (std::vector<int>{c.volume, c.volume, c.volume})) << "step " << c.step;
  }
  // Other items leave the volumes alone.
  cOption o;
  o.m_SoundVolume = 0;
  ApplyOptionItem(kOptRankMode, o);
  EXPECT_EQ(Volumes(), (std::vector<int>{-150, -150, -150}));
}

TEST_F(OptionVolume, EditingTakesEffectAtOnceAndCancelPutsTheOldVolumeBack) {
  OptionData.m_SoundVolume = 5;
  cOptionScene scene;
  Open(scene);
  Frame(scene, 0, cInput::DIR_DOWN);
  Frame(scene, 0, cInput::DIR_DOWN);  // the volume
  Frame(scene, 1);
  Frame(scene, 0, cInput::DIR_DOWN);  // 5 -> 4
  EXPECT_EQ(OptionData.m_SoundVolume, 4);
  EXPECT_EQ(Volumes(), (std::vector<int>{-800, -800, -800}));
  Frame(scene, 0, cInput::DIR_DOWN);  // 4 -> 3
  EXPECT_EQ(Volumes(), (std::vector<int>{-1300, -1300, -1300}));
  Frame(scene, 2);  // cancel: back to 5
  EXPECT_EQ(OptionData.m_SoundVolume, 5);
  EXPECT_EQ(Volumes(), (std::vector<int>{-500, -500, -500}));
}

}  // namespace
