// ctest-label: menus
// The map menu, headless: its entries, where the save list opens, saving a
// slot, the auto-save choice (and the slot it writes keeping auto-save on),
// the message before the first save, the title confirmation, and that every
// cancel returns to the menu with the cursor where it was.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "app/frame/SceneDirector.h"
#include "app/scenes/MapMenuScene.h"
#include "app/scenes/MenuCursor.h"
#include "data/SaveData.h"
#include "data/System.h"
#include "engine/Names.h"
#include "engine/World.h"
#include "media/graphics/Palette.h"
#include "media/input/Input.h"
#include "platform/FileSystem.h"
#include "tests/support/EngineFakes.h"
#include "tests/support/TestSupport.h"

namespace {

class MapMenuScene : public ::testing::Test {
 protected:
  void SetUp() override {
    savedSave_ = SaveData;
    savedSystem_ = SystemData;
    savedSlots_ = StorySlots;
    platform::SetProjectRoot(dir_.str());
    std::filesystem::create_directories(dir_.path() / "user_data" / "story");
    SaveData = cSaveData();
    SaveData.Reset();
    SystemData = cSystem();
    SystemData.m_MapMenu.assign(4, cCmd(1, "item"));
    SceneDirector.m_nFadeSpeed = 10;
    SceneDirector.m_nPrevMode = kModeWorldMap;
    SceneDirector.m_nMode = kModeMapMenu;
    SceneDirector.m_nNextMode = kModeMapMenu;
    PlayerInput.assign(1, cInput());
    DDResetFadeAngles();
    scene_.Enter();
    scene_.m_nState = cMapMenuScene::kMenu;
  }
  void TearDown() override {
    SaveData = savedSave_;
    SystemData = savedSystem_;
    StorySlots = savedSlots_;
    PlayerInput.clear();
    MenuCursor.Reset();
    platform::SetProjectRoot("");
  }

  // One frame of the current state's handler with these input words.
  void Frame(uint16_t dir, uint16_t button) {
    PlayerInput[0].m_wDir = dir;
    PlayerInput[0].m_wButton = button;
    switch (scene_.m_nState) {
      case cMapMenuScene::kMenu: scene_.Menu(); break;
      case cMapMenuScene::kSaveSlots: scene_.SaveSlots(); break;
      case cMapMenuScene::kAutoSave: scene_.AutoSave(); break;
      case cMapMenuScene::kBackToMap: scene_.BackToMap(); break;
      case cMapMenuScene::kBackToTitle: scene_.BackToTitle(); break;
      default: FAIL() << "state " << scene_.m_nState;
    }
  }
  void Idle() { Frame(0, 0); }
  // Moves the menu cursor to an item row and confirms it.
  void Choose(int row) {
    for (int i = 0; i < row; ++i) Frame(cInput::DIR_DOWN, 0);
    Frame(0, 1);
  }
  std::filesystem::path SlotFile(int slot) const {
    char name[32];
    std::snprintf(name, sizeof name, "Story%02d.dat", slot + 1);
    return dir_.path() / "user_data" / "story" / name;
  }
  std::vector<std::string> Sounds() const {
    std::vector<std::string> out;
    for (const std::string& c : fake_.calls())
      if (c.rfind("sound", 0) == 0) out.push_back(c);
    return out;
  }

  testsupport::TempDir dir_;
  testsupport::FakeEngineServices fake_;
  cMapMenuScene scene_;
  cSaveData savedSave_;
  cSystem savedSystem_;
  cVector<cSaveSlot> savedSlots_;
};

TEST_F(MapMenuScene, EnabledEntries) {
  struct Case {
    std::vector<int> enabled;
    std::vector<int32_t> items;
  } const cases[] = {
      {{1, 1, 1, 1}, {0, 1, 2, 3}},
      {{1, 0, 1, 0}, {0, 2}},
      {{0, 0, 0, 1}, {3}},
      {{0, 0, 0, 0}, {0}},  // none enabled: the first entry stands alone
  };
  for (const Case& c : cases) {
    cVector<cCmd> menu;
    for (int e : c.enabled) menu.push_back(cCmd(e, "x"));
    const cVector<int32_t> items = cMapMenuScene::EnabledItems(menu);
    EXPECT_EQ(std::vector<int32_t>(items.begin(), items.end()), c.items);
  }
  EXPECT_EQ(cMapMenuScene::EnabledItems(cVector<cCmd>()).size(), 1u);
}

TEST_F(MapMenuScene, ChoosingAnEntryEntersItsState) {
  SystemData.m_MapMenu[1].m_Enabled = 0;  // items 0, 2, 3
  scene_.Enter();
  ASSERT_EQ(scene_.m_nItemCount, 3);
  scene_.m_nState = cMapMenuScene::kMenu;
  Choose(2);  // the third row is item 3
  EXPECT_EQ(scene_.m_nState, cMapMenuScene::kBackToTitle);
  EXPECT_EQ(MenuCursor.Depth(), 2u);
  EXPECT_EQ((std::vector<std::string>{"sound 1"}), Sounds());
}

TEST_F(MapMenuScene, SaveListOpensOnTheLastSlot) {
  struct Case {
    int lastSlot, row, top;
  } const cases[] = {
      {-1, 0, 0},   // never saved: slot 1
      {0, 0, 0},    {5, 5, 5},
      {95, 95, 89},  // near the end the list's clamp decides the top
      {98, 98, 89},
      {500, 98, 89},  // a damaged number stays inside the list
  };
  for (const Case& c : cases) {
    MenuCursor.Reset();
    nm::save::LastStorySlot(SaveData) = c.lastSlot;
    scene_.m_nState = cMapMenuScene::kSaveSlots;
    scene_.m_nSubState = 0;
    Idle();
    EXPECT_EQ(scene_.m_nSubState, 1);
    EXPECT_EQ(scene_.m_nSlotRows, 10);
    EXPECT_EQ(MenuCursor.Current().nRow, c.row) << c.lastSlot;
    EXPECT_EQ(scene_.m_nSlotTop, c.top) << c.lastSlot;
    EXPECT_EQ(MenuCursor.Current().nX, 152);
    EXPECT_EQ(MenuCursor.Current().nY, 160 + 16 * (c.row - c.top));
  }
}

TEST_F(MapMenuScene, SavingASlot) {
  nm::save::LastStorySlot(SaveData) = 2;
  Choose(0);
  ASSERT_EQ(scene_.m_nState, cMapMenuScene::kSaveSlots);
  Idle();                          // the list opens on slot 3 (index 2)
  Frame(cInput::DIR_DOWN, 0);      // slot 4
  Frame(0, 1);                     // the confirmation opens on "cancel"
  EXPECT_EQ(scene_.m_nSubState, 2);
  EXPECT_EQ(MenuCursor.Current().nRow, 1);
  Frame(0, 1);  // cancel row: nothing saved, back to the list
  EXPECT_EQ(scene_.m_nSubState, 1);
  EXPECT_FALSE(std::filesystem::exists(SlotFile(3)));
  EXPECT_EQ(MenuCursor.Current().nRow, 3);  // the list cursor stayed
  Frame(0, 1);
  Frame(cInput::DIR_UP, 0);  // row 0, "save"
  Frame(0, 1);
  EXPECT_TRUE(std::filesystem::exists(SlotFile(3)));
  EXPECT_EQ(nm::save::LastStorySlot(SaveData), 3);
  EXPECT_EQ(StorySlots[3].m_Exists, 1);
  EXPECT_EQ(scene_.m_nSubState, 1);
  // Button 2 on the list: back to the menu with its cursor where it was.
  Frame(0, 2);
  EXPECT_EQ(scene_.m_nState, cMapMenuScene::kMenu);
  EXPECT_EQ(MenuCursor.Depth(), 1u);
  EXPECT_EQ(MenuCursor.Current().nRow, 0);
  EXPECT_EQ((std::vector<std::string>{"sound 1", "sound 1", "sound 1", "sound 1", "sound 5", "sound 2"}), Sounds());
}

TEST_F(MapMenuScene, AutoSaveOnWritesTheSlotWithAutoSaveOn) {
  nm::save::LastStorySlot(SaveData) = 4;
  Choose(1);
  ASSERT_EQ(scene_.m_nState, cMapMenuScene::kAutoSave);
  Idle();
  EXPECT_EQ(scene_.m_nSubState, 1);
  EXPECT_EQ(MenuCursor.Current().nRow, 1);  // off: the cursor on "OFF"
  Frame(cInput::DIR_UP, 0);
  Frame(0, 1);
  EXPECT_EQ(nm::save::AutoSave(SaveData), 1);
  EXPECT_EQ(scene_.m_nState, cMapMenuScene::kMenu);
  EXPECT_EQ(MenuCursor.Current().nRow, 1);  // the menu cursor where it was
  ASSERT_TRUE(std::filesystem::exists(SlotFile(4)));
  cSaveData back;
  ASSERT_TRUE(back.LoadStory(4));
  EXPECT_EQ(nm::save::AutoSave(back), 1);
  // Switching it off saves nothing.
  std::filesystem::remove(SlotFile(4));
  Choose(0);
  Idle();
  EXPECT_EQ(MenuCursor.Current().nRow, 0);  // on: the cursor on "ON"
  Frame(cInput::DIR_DOWN, 0);
  Frame(0, 1);
  EXPECT_EQ(nm::save::AutoSave(SaveData), 0);
  EXPECT_FALSE(std::filesystem::exists(SlotFile(4)));
}

TEST_F(MapMenuScene, AutoSaveBeforeAnySaveShowsTheMessage) {
  for (int slot : {-1, 99, -7}) {
    for (uint16_t button : {1, 2}) {
      MenuCursor.Reset();
      scene_.m_nState = cMapMenuScene::kMenu;
      nm::save::LastStorySlot(SaveData) = slot;
      Choose(1);
      Idle();
      EXPECT_EQ(scene_.m_nSubState, 2) << slot;
      Idle();
      EXPECT_EQ(scene_.m_nState, cMapMenuScene::kAutoSave);
      Frame(0, button);
      EXPECT_EQ(scene_.m_nState, cMapMenuScene::kMenu);
      EXPECT_EQ(MenuCursor.Depth(), 1u);
      EXPECT_EQ(MenuCursor.Current().nRow, 1);
      EXPECT_EQ(nm::save::AutoSave(SaveData), 0);
    }
  }
  EXPECT_TRUE(std::filesystem::is_empty(dir_.path() / "user_data" / "story"));
}

TEST_F(MapMenuScene, BackToTitleAsksFirst) {
  Choose(3);
  ASSERT_EQ(scene_.m_nState, cMapMenuScene::kBackToTitle);
  Idle();
  EXPECT_EQ(MenuCursor.Current().nRow, 1);  // "cancel" first
  Frame(0, 1);
  EXPECT_EQ(scene_.m_nState, cMapMenuScene::kMenu);
  EXPECT_EQ(MenuCursor.Current().nRow, 3);
  Frame(0, 1);
  Idle();
  Frame(0, 2);
  EXPECT_EQ(scene_.m_nState, cMapMenuScene::kMenu);
  EXPECT_EQ(MenuCursor.Current().nRow, 3);
  Frame(0, 1);
  Idle();
  Frame(cInput::DIR_DOWN, 0);  // wraps to row 0
  Frame(0, 1);
  EXPECT_EQ(scene_.m_nState, cMapMenuScene::kFadeOut);
  EXPECT_EQ(SceneDirector.m_nNextMode, kModeTitle);
}

TEST_F(MapMenuScene, BackToTheMapKeepsTheCursorThroughTheFade) {
  Frame(cInput::DIR_DOWN, 0);
  Frame(0, 2);  // button 2 anywhere in the menu: back to the map
  EXPECT_EQ(scene_.m_nState, cMapMenuScene::kBackToMap);
  Idle();
  EXPECT_EQ(scene_.m_nState, cMapMenuScene::kFadeOut);
  EXPECT_EQ(SceneDirector.m_nNextMode, kModeWorldMap);
  for (int i = 0; i < 200 && SceneDirector.m_nMode == kModeMapMenu; ++i) scene_.FadeOut();
  EXPECT_EQ(SceneDirector.m_nMode, kModeWorldMap);
  EXPECT_EQ(SceneDirector.m_nPrevMode, kModeMapMenu);
  EXPECT_EQ(MenuCursor.Current().nRow, 1);
  EXPECT_EQ((std::vector<std::string>{"sound 2"}), Sounds());
}

TEST_F(MapMenuScene, MusicIsNotRestartedWhenItAlreadyPlays) {
  SystemData.m_SceneBgm = {3, 5, 0, 0};
  struct Case {
    int32_t playing;
    bool request;
  } const cases[] = {{5, false}, {3, true}, {0, true}};
  for (const Case& c : cases) {
    fake_.ClearCalls();
    SceneDirector.m_nSceneBgm = c.playing;
    cMapMenuScene s;
    s.Enter();
    bool asked = false;
    for (const std::string& call : fake_.calls()) asked |= call == "music 1 0";
    EXPECT_EQ(asked, c.request) << c.playing;
    EXPECT_EQ(SceneDirector.m_nSceneBgm, 5);
  }
  // No music for the kind: asked every time (it stops what plays).
  SystemData.m_SceneBgm = {3, 0, 0, 0};
  SceneDirector.m_nSceneBgm = 0;
  fake_.ClearCalls();
  cMapMenuScene s;
  s.Enter();
  EXPECT_EQ(fake_.calls().front(), "music 1 0");
}

}  // namespace
