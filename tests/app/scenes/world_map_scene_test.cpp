// ctest-label: menus
// The world map, headless: which node a point offers, the hero's moves and
// what blocks them, the confirmation box on stage points, the start of a
// node's stage (lives, stage index, the clear action the play scene reads),
// and the entry rules (no start coming back from the map menu, back to the
// previous cell after leaving a stage, the auto-save after a stage).
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "app/frame/SceneDirector.h"
#include "app/scenes/MenuCursor.h"
#include "app/scenes/WorldMapScene.h"
#include "data/SaveData.h"
#include "data/Stage.h"
#include "data/System.h"
#include "data/WorldMap.h"
#include "engine/Names.h"
#include "engine/World.h"
#include "media/graphics/Palette.h"
#include "media/input/Input.h"
#include "platform/FileSystem.h"
#include "tests/data/stage_test_bytes.h"
#include "tests/support/EngineFakes.h"
#include "tests/support/TestSupport.h"

namespace {

constexpr int kGrass = 0, kWater = 1;
constexpr int kStageSwitch = 5;
const char* const kStageFile = "data\\stg4\\Node.stg4";

cWorldNode Node(int kind) {
  cWorldNode n;
  n.m_NodeKind = kind;
  n.m_StageFile = kStageFile;
  n.m_NodeName = "Node";
  return n;
}

cWorldPoint Point(int x, int y, std::vector<cWorldNode> nodes) {
  cWorldPoint p;
  p.m_X = x;
  p.m_Y = y;
  p.m_Nodes.assign(nodes.begin(), nodes.end());
  return p;
}

// A map of 8 x 6 grass cells with water at (2, 3). Points:
//   (3, 2) an uncleared stage (clear switch 5), after-clear action 2;
//   (1, 2) a wall node;
//   (2, 1) a point whose only node needs switch 9 (off): an empty cell.
class WorldMapScene : public ::testing::Test {
 protected:
  void SetUp() override {
    savedMap_ = WorldMap;
    savedSave_ = SaveData;
    savedSystem_ = SystemData;
    savedStage_ = Stage;
    savedCopy_ = StageCopy;
    platform::SetProjectRoot(dir_.str());
    std::filesystem::create_directories(dir_.path() / "data" / "stg4");
    std::filesystem::create_directories(dir_.path() / "user_data" / "story");

    cWorldMap m;
    m.m_Chips.clear();
    cWorldChip grass, water;
    water.m_Blocked = 1;
    m.m_Chips.push_back(grass);
    m.m_Chips.push_back(water);
    ASSERT_EQ(m.SetSize(8, 6), 1);
    std::fill(m.m_Cells.begin(), m.m_Cells.end(), kGrass);
    m.m_Cells[(size_t{3} << m.m_PitchShift) + 2] = kWater;
    cWorldNode stage = Node(0);
    stage.m_ClearSwitch = kStageSwitch;
    stage.m_AfterClear = 2;
    cWorldNode hidden = Node(0);
    hidden.m_NeedSwitch = 9;
    m.m_Points.clear();
    m.m_Points.push_back(Point(3, 2, {stage}));
    m.m_Points.push_back(Point(1, 2, {Node(2)}));
    m.m_Points.push_back(Point(2, 1, {hidden}));
    WorldMap = m;

    SaveData = cSaveData();
    SaveData.Reset();
    nm::save::nMapX(SaveData) = 2;
    nm::save::nMapY(SaveData) = 2;
    SystemData = cSystem();
    SceneDirector.m_nFadeSpeed = 10;
    SceneDirector.m_nPrevMode = kModeTitle;
    SceneDirector.m_nMode = kModeWorldMap;
    SceneDirector.m_nNextMode = kModeWorldMap;
    SceneDirector.m_bRankings = 0;
    SceneDirector.m_nGameType = 0;
    PlayerInput.assign(1, cInput());
    MenuCursor.Reset();
    LastViewOrigin = {-1, -1};
    CurrentStageNode = sStageNodeRef();
    DDResetFadeAngles();
  }
  void TearDown() override {
    scene_.reset();
    WorldMap = savedMap_;
    SaveData = savedSave_;
    SystemData = savedSystem_;
    Stage = savedStage_;
    StageCopy = savedCopy_;
    PlayerInput.clear();
    MenuCursor.Reset();
    platform::SetProjectRoot("");
  }

  void WriteStage() {
    stagetest::StageSpec spec = stagetest::PlayableStage();
    spec.name = "node";
    testsupport::WriteFileBytes(dir_.path() / "data" / "stg4" / "Node.stg4_000", stagetest::StageFile(spec).bytes());
  }

  // A scene that has run Enter and stands in Main at the hero's cell.
  cWorldMapScene& Entered() {
    scene_ = std::make_unique<cWorldMapScene>();
    scene_->Enter();
    scene_->m_nState = cWorldMapScene::kMain;
    return *scene_;
  }
  void Place(int col, int row) {
    MenuCursor.Current().nColumn = col;
    MenuCursor.Current().nRow = row;
  }
  // One frame of a handler with these direction and button words.
  void Press(uint16_t dir, uint16_t button) {
    PlayerInput[0].m_wDir = dir;
    PlayerInput[0].m_wButton = button;
  }
  int MainFrame(uint16_t dir, uint16_t button) {
    Press(dir, button);
    return scene_->Main();
  }
  int BoxFrame(uint16_t dir, uint16_t button) {
    Press(dir, button);
    return scene_->ConfirmBox();
  }
  std::pair<int, int> Hero() const { return {MenuCursor.Current().nColumn, MenuCursor.Current().nRow}; }
  std::vector<std::string> Sounds() const {
    std::vector<std::string> out;
    for (const std::string& c : fake_.calls())
      if (c.rfind("sound", 0) == 0) out.push_back(c);
    return out;
  }
  int Count(const std::string& call) const {
    return static_cast<int>(std::count(fake_.calls().begin(), fake_.calls().end(), call));
  }
  bool HasCall(const std::string& prefix) const {
    for (const std::string& c : fake_.calls())
      if (c.rfind(prefix, 0) == 0) return true;
    return false;
  }
  void RunFadeIn() {
    for (int i = 0; i < 200 && scene_->m_nState == cWorldMapScene::kFadeIn; ++i) scene_->FadeIn();
  }

  testsupport::TempDir dir_;
  testsupport::FakeEngineServices fake_;
  std::unique_ptr<cWorldMapScene> scene_;
  cWorldMap savedMap_;
  cSaveData savedSave_;
  cSystem savedSystem_;
  cStage savedStage_, savedCopy_;
};

TEST_F(WorldMapScene, NodeTestsPickTheFirstPassingNode) {
  nm::save::CommonVars(SaveData)[7] = -12;
  nm::save::MapTotalScore(SaveData) = 500;
  struct Case {
    int needSwitch, var, op, value, minTotal;
    bool passes;
  } const cases[] = {
      {0, 0, 99, 0, 0, true},      // no variable test: the operator is not read
      {3, 0, 0, 0, 0, false},      // switch 3 off
      {1, 0, 0, 0, 0, true},       // switch 1 on
      {0, 7, 0, -12, 0, true},     // =
      {0, 7, 1, -12, 0, false},    // !=
      {0, 7, 2, -11, 0, false},    // >=
      {0, 7, 5, -11, 0, true},     // <
      {0, 7, 6, 4, 0, true},       // |a| mod 4 = 0
      {0, 7, 6, 0, 0, true},       // a multiple of 0 always holds
      {0, 7, 7, 0, 0, false},      // "not a multiple of 0" never holds
      {0, 7, 7, 5, 0, true},       // |a| mod 5 != 0
      {0, 7, 8, 0, 0, false},      // unknown operator
      {0, 2000, 0, 0, 0, true},    // a variable outside the list reads 0
      {0, 0, 0, 0, 500, true},     // total score reached
      {0, 0, 0, 0, 501, false},
  };
  nm::save::Switches(SaveData)[1] = 1;
  for (const Case& c : cases) {
    cWorldNode n = Node(0);
    n.m_NeedSwitch = c.needSwitch;
    n.m_CondVar = c.var;
    n.m_CondOp = c.op;
    n.m_CondValue = c.value;
    n.m_MinTotal = c.minTotal;
    cWorldNode fallback = Node(1);
    cWorldPoint p = Point(0, 0, {n, fallback});
    cWorldNode* chosen = cWorldMapScene::SelectNode(&p);
    ASSERT_NE(chosen, nullptr);
    EXPECT_EQ(chosen == &p.m_Nodes[0], c.passes)
        << "switch " << c.needSwitch << " var " << c.var << " op " << c.op << " value " << c.value;
  }
  // No node passing, or no point: none.
  cWorldNode failing = Node(0);
  failing.m_NeedSwitch = 3;
  cWorldPoint p = Point(0, 0, {failing});
  EXPECT_EQ(cWorldMapScene::SelectNode(&p), nullptr);
  EXPECT_EQ(cWorldMapScene::SelectNode(nullptr), nullptr);
}

TEST_F(WorldMapScene, ClearedAndPassable) {
  cWorldNode n = Node(0);
  n.m_ClearSwitch = kStageSwitch;
  EXPECT_FALSE(cWorldMapScene::IsCleared(&n));
  EXPECT_FALSE(cWorldMapScene::IsPassable(&n));
  n.m_Open = 1;
  EXPECT_TRUE(cWorldMapScene::IsPassable(&n));
  n.m_Open = 0;
  nm::save::Switches(SaveData)[kStageSwitch] = 1;
  EXPECT_TRUE(cWorldMapScene::IsCleared(&n));
  EXPECT_TRUE(cWorldMapScene::IsPassable(&n));
  EXPECT_FALSE(cWorldMapScene::IsCleared(nullptr));
  EXPECT_FALSE(cWorldMapScene::IsPassable(nullptr));
  // A clear switch outside the switch list is never on.
  n.m_ClearSwitch = 5000;
  EXPECT_FALSE(cWorldMapScene::IsCleared(&n));
}

TEST_F(WorldMapScene, MovesAndBlocking) {
  using D = uint16_t;
  struct Case {
    const char* what;
    int fromCol, fromRow;
    D dir;
    int toCol, toRow, facing;
    bool blocked;
  } const cases[] = {
      {"onto an uncleared stage point", 2, 2, cInput::DIR_RIGHT, 3, 2, 3, false},
      {"a wall node blocks but turns the hero", 2, 2, cInput::DIR_LEFT, 2, 2, 2, true},
      {"a point whose nodes all fail is a plain cell", 2, 2, cInput::DIR_UP, 2, 1, 1, false},
      {"a blocking chip", 2, 2, cInput::DIR_DOWN, 2, 2, 0, true},
      {"the left edge holds", 0, 4, cInput::DIR_LEFT, 0, 4, 2, false},
      {"the bottom edge holds", 5, 5, cInput::DIR_DOWN, 5, 5, 0, false},
      {"the right edge holds", 7, 0, cInput::DIR_RIGHT, 7, 0, 3, false},
      {"left wins over up", 5, 4, D(cInput::DIR_LEFT | cInput::DIR_UP), 4, 4, 2, false},
      {"right wins over down", 5, 4, D(cInput::DIR_RIGHT | cInput::DIR_DOWN), 6, 4, 3, false},
      {"up wins over down", 5, 4, D(cInput::DIR_UP | cInput::DIR_DOWN), 5, 3, 1, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    cWorldMapScene& s = Entered();
    Place(c.fromCol, c.fromRow);
    s.m_nViewX = c.fromCol - 9;
    s.m_nViewY = c.fromRow - 7;
    s.m_nFacing = 1;
    nm::save::SetMapFacing(SaveData, 1);
    cInput in;
    in.m_wDir = c.dir;
    s.MoveOnMap(in);
    EXPECT_EQ(Hero(), std::make_pair(c.toCol, c.toRow));
    EXPECT_EQ(s.m_nFacing, c.facing);
    EXPECT_EQ(MenuCursor.Current().nX, 288);
    EXPECT_EQ(MenuCursor.Current().nY, 224);
    // The previous cell is where the step began.
    EXPECT_EQ(nm::save::PrevCellX(SaveData), c.fromCol);
    EXPECT_EQ(nm::save::PrevCellY(SaveData), c.fromRow);
    // A blocked step keeps the saved facing and the view.
    EXPECT_EQ(nm::save::MapFacing(SaveData), c.blocked ? 1 : c.facing);
    EXPECT_EQ(s.m_nViewX, c.toCol - 9);
    EXPECT_EQ(s.m_nViewY, c.toRow - 7);
  }
}

TEST_F(WorldMapScene, NoDirectionKeepsThePreviousCell) {
  cWorldMapScene& s = Entered();
  nm::save::PrevCellX(SaveData) = 6;
  nm::save::PrevCellY(SaveData) = 5;
  s.MoveOnMap(cInput());
  EXPECT_EQ(nm::save::PrevCellX(SaveData), 6);
  EXPECT_EQ(nm::save::PrevCellY(SaveData), 5);
  EXPECT_EQ(Hero(), std::make_pair(2, 2));
}

TEST_F(WorldMapScene, UnclearedStageOpensTheBoxAndCancelGoesBack) {
  Entered();
  MainFrame(cInput::DIR_RIGHT, 0);
  EXPECT_EQ(scene_->m_nState, cWorldMapScene::kConfirmBox);
  EXPECT_EQ(MenuCursor.Depth(), 2u);
  // The map position is the stage point while the box is open.
  EXPECT_EQ(nm::save::nMapX(SaveData), 3);
  // First box frame: sound 1, the file is tried; "cancel" is selected.
  BoxFrame(0, 0);
  EXPECT_EQ(MenuCursor.Current().nRow, 1);
  EXPECT_EQ(bNodeStageLoaded, 0);
  EXPECT_TRUE(HasCall("error"));
  BoxFrame(0, 2);
  EXPECT_EQ(scene_->m_nState, cWorldMapScene::kMain);
  EXPECT_EQ(MenuCursor.Depth(), 1u);
  EXPECT_EQ(Hero(), std::make_pair(2, 2));
  EXPECT_EQ((std::vector<std::string>{"sound 1", "sound 2"}), Sounds());
}

TEST_F(WorldMapScene, ConfirmingAStageThatDoesNotLoadActsAsCancel) {
  Entered();
  MainFrame(cInput::DIR_RIGHT, 0);
  BoxFrame(0, 0);
  BoxFrame(cInput::DIR_UP, 0);  // row 1 -> row 0, wrapping the two rows
  EXPECT_EQ(MenuCursor.Current().nRow, 0);
  BoxFrame(0, 1);
  EXPECT_EQ(scene_->m_nState, cWorldMapScene::kMain);
  EXPECT_EQ(SceneDirector.m_nNextMode, kModeWorldMap);
  EXPECT_EQ(Hero(), std::make_pair(2, 2));
  EXPECT_EQ(MenuCursor.Depth(), 1u);
}

TEST_F(WorldMapScene, ClearedStageNeedsTheReplayFlagForButton1) {
  nm::save::Switches(SaveData)[kStageSwitch] = 1;
  Entered();
  MainFrame(cInput::DIR_RIGHT, 0);
  EXPECT_EQ(scene_->m_nState, cWorldMapScene::kMain);  // cleared: passable, no box
  EXPECT_EQ(Hero(), std::make_pair(3, 2));
  MainFrame(0, 1);
  EXPECT_EQ(scene_->m_nState, cWorldMapScene::kMain);  // no replay flag: ignored
  WorldMap.m_Points[0].m_Nodes[0].m_Reenter = 1;
  MainFrame(0, 1);
  ASSERT_EQ(scene_->m_nState, cWorldMapScene::kConfirmBox);
  BoxFrame(0, 0);
  BoxFrame(0, 2);
  // Cancelling leaves the hero on the point.
  EXPECT_EQ(scene_->m_nState, cWorldMapScene::kMain);
  EXPECT_EQ(Hero(), std::make_pair(3, 2));
}

TEST_F(WorldMapScene, ConfirmedStageStartsWithItsValues) {
  WriteStage();
  nm::save::Lives(SaveData) = 4;
  SystemData.m_CarryLives = 1;
  SystemData.m_InfiniteLives.assign(4, 0);
  Entered();
  MainFrame(cInput::DIR_RIGHT, 0);
  BoxFrame(0, 0);
  ASSERT_EQ(bNodeStageLoaded, 1);
  BoxFrame(cInput::DIR_DOWN, 0);  // row 1 -> row 0
  BoxFrame(0, 1);
  EXPECT_EQ(scene_->m_nState, cWorldMapScene::kFadeOut);
  EXPECT_EQ(SceneDirector.m_nNextMode, kModePlay);
  EXPECT_EQ(nm::save::StageIndex(SaveData), kStageSwitch);
  EXPECT_EQ(nm::save::nPart(SaveData), 1);
  EXPECT_EQ(nm::save::NextPartChain(SaveData), 1);
  EXPECT_EQ(nm::save::LivesAtStageStart(SaveData), 5);  // carried: lives + 1
  EXPECT_EQ(nm::save::MapFacing(SaveData), 3);
  EXPECT_NE(nm::save::StageBaseName(SaveData).find("Node"), std::string::npos);
  // The play scene reads the node's clear action at the stage end.
  EXPECT_EQ(CurrentNodeClearAction(), 2);
  nm::save::CurrentNodeFlag(SaveData) = 0;  // e.g. a clear command wrote the map position
  EXPECT_EQ(CurrentNodeClearAction(), 0);
  EXPECT_EQ((std::vector<std::string>{"sound 1", "sound 1"}), Sounds());
}

TEST_F(WorldMapScene, StageStartLives) {
  struct Case {
    bool carry, infinite;
    int32_t lives, story, expect;
  } const cases[] = {
      {false, false, 7, 3, 3},  {false, true, 7, 3, 3},        {true, true, 7, 3, 999999},
      {true, false, 7, 3, 8},   {true, false, 999999, 3, 999999},
  };
  for (const Case& c : cases)
    EXPECT_EQ(StoryStageStartLives(c.carry, c.infinite, c.lives, c.story), c.expect)
        << c.carry << c.infinite << " " << c.lives;
}

TEST_F(WorldMapScene, Button2OpensTheMapMenu) {
  Entered();
  MainFrame(cInput::DIR_UP, 0);
  MainFrame(0, 2);
  EXPECT_EQ(scene_->m_nState, cWorldMapScene::kFadeOut);
  EXPECT_EQ(SceneDirector.m_nNextMode, kModeMapMenu);
  EXPECT_EQ(nm::save::nMapX(SaveData), 2);
  EXPECT_EQ(nm::save::nMapY(SaveData), 1);
  EXPECT_EQ((std::vector<std::string>{"sound 4"}), Sounds());
}

TEST_F(WorldMapScene, EntryOntoAnUnclearedStage) {
  nm::save::nMapX(SaveData) = 3;
  // Back from the map menu: no start by itself; Main then opens the box.
  SceneDirector.m_nPrevMode = kModeMapMenu;
  scene_ = std::make_unique<cWorldMapScene>();
  scene_->Enter();
  scene_->m_nState = cWorldMapScene::kFadeIn;
  RunFadeIn();
  EXPECT_EQ(scene_->m_nState, cWorldMapScene::kMain);
  EXPECT_FALSE(HasCall("error"));
  // From the title (a continued story) the stage starts at once; a file that
  // does not load shows the box and closes the program.
  SceneDirector.m_nPrevMode = kModeTitle;
  DDResetFadeAngles();
  scene_ = std::make_unique<cWorldMapScene>();
  scene_->Enter();
  scene_->m_nState = cWorldMapScene::kFadeIn;
  const int closes = Count("close");  // headless, the pictures' load asks too
  RunFadeIn();
  EXPECT_TRUE(HasCall("error"));
  EXPECT_EQ(Count("close"), closes + 1);
  EXPECT_EQ(scene_->m_nState, cWorldMapScene::kMain);
  // With the file there it starts.
  WriteStage();
  DDResetFadeAngles();
  scene_ = std::make_unique<cWorldMapScene>();
  scene_->Enter();
  scene_->m_nState = cWorldMapScene::kFadeIn;
  RunFadeIn();
  EXPECT_EQ(scene_->m_nState, cWorldMapScene::kFadeOut);
  EXPECT_EQ(SceneDirector.m_nNextMode, kModePlay);
  EXPECT_EQ(nm::save::PrevCellX(SaveData), 3);
}

TEST_F(WorldMapScene, LeavingAStageSendsTheHeroBack) {
  nm::save::nMapX(SaveData) = 3;
  nm::save::PrevCellX(SaveData) = 2;
  nm::save::PrevCellY(SaveData) = 2;
  nm::save::BackToMap(SaveData) = 1;
  SceneDirector.m_nPrevMode = kModePlay;
  scene_ = std::make_unique<cWorldMapScene>();
  scene_->Enter();
  scene_->m_nState = cWorldMapScene::kFadeIn;
  RunFadeIn();
  EXPECT_EQ(scene_->m_nState, cWorldMapScene::kMain);
  EXPECT_EQ(Hero(), std::make_pair(2, 2));
  EXPECT_EQ(scene_->m_nViewX, 2 - 9);
  EXPECT_EQ(nm::save::BackToMap(SaveData), 0);
  EXPECT_FALSE(HasCall("error"));
}

TEST_F(WorldMapScene, BackToMapFlagIsClearedOffAStageNode) {
  // Left a stage whose point no longer offers a stage: the flag must not
  // send the hero back on a later entry.
  nm::save::BackToMap(SaveData) = 1;
  SceneDirector.m_nPrevMode = kModePlay;
  scene_ = std::make_unique<cWorldMapScene>();
  scene_->Enter();
  scene_->m_nState = cWorldMapScene::kFadeIn;
  RunFadeIn();
  EXPECT_EQ(nm::save::BackToMap(SaveData), 0);
}

TEST_F(WorldMapScene, AutoSaveAfterAStageOnly) {
  const std::filesystem::path slot3 = dir_.path() / "user_data" / "story" / "Story04.dat";
  nm::save::AutoSave(SaveData) = 1;
  nm::save::LastStorySlot(SaveData) = 3;
  struct Case {
    int prevMode, slot;
    bool written;
  } const cases[] = {
      {kModeMapMenu, 3, false}, {kModeTitle, 3, false}, {kModePlay, -1, false}, {kModePlay, 3, true}};
  for (const Case& c : cases) {
    std::filesystem::remove(slot3);
    SceneDirector.m_nPrevMode = c.prevMode;
    nm::save::LastStorySlot(SaveData) = c.slot;
    scene_ = std::make_unique<cWorldMapScene>();
    scene_->Enter();
    EXPECT_EQ(std::filesystem::exists(slot3), c.written) << c.prevMode << " " << c.slot;
  }
  // Nothing is written outside the slot list.
  EXPECT_FALSE(std::filesystem::exists(dir_.path() / "user_data" / "story" / "Story00.dat"));
}

TEST_F(WorldMapScene, PositionFromASlotIsPulledIntoTheMap) {
  nm::save::nMapX(SaveData) = 40;
  nm::save::nMapY(SaveData) = -3;
  Entered();
  EXPECT_EQ(Hero(), std::make_pair(7, 0));
}

}  // namespace
