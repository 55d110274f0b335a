#pragma once
// A small stage for the menu scenes: the program-wide records they read put
// back to fresh ones (and restored afterwards), a project folder of its own,
// the engine's requests recorded, and player 1's keys pressed frame by frame.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/frame/SceneDirector.h"
#include "app/scenes/MenuCursor.h"
#include "app/scenes/TitleScene.h"
#include "data/Option.h"
#include "data/SaveData.h"
#include "data/System.h"
#include "data/WorldMap.h"
#include "engine/World.h"
#include "media/graphics/Palette.h"
#include "media/input/Input.h"
#include "platform/FileSystem.h"
#include "tests/support/EngineFakes.h"
#include "tests/support/RecordGlobals.h"
#include "tests/support/TestSupport.h"

namespace menutest {

struct DirectorValues {
  int32_t mode, next, prev, titleItem, gameType, cursor, top, rankings, fade, bgm;
  static DirectorValues Take() {
    const cSceneDirector& d = SceneDirector;
    return {d.m_nMode,          d.m_nNextMode,     d.m_nPrevMode, d.m_nTitleItem, d.m_nGameType,
            d.m_nChallengeCursor, d.m_nChallengeTop, d.m_bRankings, d.m_nFadeSpeed, d.m_nSceneBgm};
  }
  void Put() const {
    cSceneDirector& d = SceneDirector;
    d.m_nMode = mode;
    d.m_nNextMode = next;
    d.m_nPrevMode = prev;
    d.m_nTitleItem = titleItem;
    d.m_nGameType = gameType;
    d.m_nChallengeCursor = cursor;
    d.m_nChallengeTop = top;
    d.m_bRankings = rankings;
    d.m_nFadeSpeed = fade;
    d.m_nSceneBgm = bgm;
  }
};

class MenuSceneTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = platform::GetProjectRoot();
    platform::SetProjectRoot(dir_.str());
    platform::ForgetFolderListings();
    context_ = SaveContext();
    SaveContext().system = &SystemData;
    SaveContext().worldMap = &WorldMap;
    SystemData = cSystem();
    SaveData = cSaveData();
    OptionData = cOption();
    WorldMap = cWorldMap();
    DirectorValues{0, 0, 0, 0, 0, 0, 0, 0, 90, 0}.Put();
    if (PlayerInput.empty()) PlayerInput.resize(1);
    Press(0);
    MenuCursor.Reset();
    DDResetFadeAngles();
    slots_ = StorySlots;
    titlePos_ = TitleMenuPos;
  }
  void TearDown() override {
    StorySlots = slots_;
    TitleMenuPos = titlePos_;
    SystemData = system_;
    SaveData = save_;
    OptionData = option_;
    WorldMap = map_;
    SaveContext() = context_;
    director_.Put();
    MenuCursor.Reset();
    DDResetFadeAngles();
    platform::SetProjectRoot(root_);
    platform::ForgetFolderListings();
  }

  // Player 1's keys for the next frame, as newly pressed.
  static void Press(uint16_t buttons, uint16_t dir = 0) {
    cInput& in = PlayerInput[0];
    in.m_wButton = buttons;
    in.m_wDir = dir;
    in.m_wDirTrail = 0;
    in.m_bTriggerLatch = 0;
    in.m_nRepeatH = in.m_nRepeatV = 0;
  }
  // One frame with these keys.
  template <class Scene>
  static void Frame(Scene& scene, uint16_t buttons, uint16_t dir = 0) {
    Press(buttons, dir);
    scene.Step();
  }
  // Enter and the fade-in, up to the scene's first own state; the requests
  // made so far are dropped.
  template <class Scene>
  void Open(Scene& scene) {
    for (int i = 0; i < 20 && scene.m_nState != 1; ++i) Frame(scene, 0);
    ASSERT_EQ(scene.m_nState, 1);
    fake_.ClearCalls();
  }
  // The requests recorded, without the close requests of pictures that
  // cannot load without a display.
  std::vector<std::string> Recorded() const { return fake_.calls(); }

  testsupport::TempDir dir_;
  testsupport::FakeEngineServices fake_;
  testsupport::RecordGlobalsScope records_;

 private:
  std::string root_;
  cSaveContext context_;
  cSystem system_ = SystemData;
  cSaveData save_ = SaveData;
  cOption option_ = OptionData;
  cWorldMap map_ = WorldMap;
  cVector<cSaveSlot> slots_;
  sMenuPos titlePos_{};
  DirectorValues director_ = DirectorValues::Take();
};

using Calls = std::vector<std::string>;

}  // namespace menutest
