// ctest-label: engine
// Warp, vanish, get-item, picture, background, sound and code commands, and
// item-command lists run through the item-command table.
#include "engine/flow/MiscCommands.h"

#include <gtest/gtest.h>

#include <cstdint>

#include <boost/make_shared.hpp>

#include "data/CommonPalette.h"
#include "data/Database.h"
#include "data/Stage.h"
#include "data/System.h"
#include "engine/World.h"
#include "engine/flow/FlowRun.h"
#include "engine/objects/Chara.h"
#include "engine/objects/ChipSheets.h"
#include "engine/objects/Hits.h"
#include "engine/objects/Hero.h"
#include "media/graphics/DDDevice.h"
#include "media/input/Input.h"
#include "tests/engine/engine_fixture.h"
#include "tests/media/graphics/GraphicsTestSupport.h"
#include "tests/support/EngineFakes.h"

namespace {

class TestChara : public cChara {
 public:
  int ClampX() override { return ClampStageX(2); }
  int ClampY() override { return ClampStageY(2); }
};

void Place(cCharaBase& c, double x, double y, int kind = 1) {
  c.m_nObjKind = kind;
  c.m_nW = c.m_nBaseW = c.m_nPicW = 20;
  c.m_nH = c.m_nBaseH = c.m_nPicH = 20;
  c.m_dX = x;
  c.m_dY = y;
  c.m_dRight = x + 19;
  c.m_dBottom = y + 19;
  c.m_bActive = 1;
}

// The test's characters go in any order: their links go first.
void Unlink(std::initializer_list<cCharaBase*> charas) {
  for (cCharaBase* c : charas) {
    c->m_Links.clear();
    c->m_ShotLinks.clear();
  }
}

cFlowCmd Cmd(int kind, std::vector<int32_t> params, int set = 0) {
  cFlowCmd c;
  c.m_CmdSet = static_cast<uint8_t>(set);
  c.m_CmdKind = static_cast<int8_t>(kind);
  c.m_Params = cVector<int32_t>(params);
  c.m_CmdOption = 0;
  return c;
}

// Item kind 2 (stage clear) is registered with its body elsewhere; here a
// stand-in reports the clear.
int StageClearStandIn(cCharaBase*, cFlowCmd*, cItem*) { return 1; }

class MiscCommandsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RegisterMiscCommands();
    savedClear_ = ItemCommandTable[2];
    ItemCommandTable[2] = StageClearStandIn;
    SystemData.m_Switch721 = 0;
    Player.assign(1, cHero{});
    Place(Player[0], 500, 500, 0);
    Player[0].m_nHp = 10;
    Stage.m_PaletteItems.clear();
    Stage.m_BackLayers.clear();
  }
  void TearDown() override {
    ItemCommandTable[2] = savedClear_;
    Player.clear();
    Stage.m_PaletteItems.clear();
    Stage.m_BackLayers.clear();
  }
  void AddStageItem(std::vector<cFlowCmd> commands) {
    cItemDef def;
    def.m_Commands = cVector<cFlowCmd>(commands);
    Stage.m_PaletteItems.push_back(def);
  }

  testsupport::FakeEngineServices services;
  enginetest::World world{40, 30};
  ItemCmdExecutor savedClear_ = nullptr;
};

}  // namespace

// ----------------------------------------------------------------- item lists

TEST_F(MiscCommandsTest, ItemListStopsAtStageClearAndAtDeath) {
  // [stage clear, sound]: 1, and the sound never plays.
  cVector<cFlowCmd> cleared{Cmd(2, {}, 1), Cmd(20, {5}, 1)};
  EXPECT_EQ(RunItemCommands(&Player[0], cleared), 1);
  EXPECT_TRUE(services.calls().empty());
  // [HP = 0 (code), sound]: 2 before anything after the code runs.
  cFlowCmd code = Cmd(22, {}, 1);
  code.m_Text = "hp = 0";
  cVector<cFlowCmd> dying{code, Cmd(20, {5}, 1)};
  EXPECT_EQ(RunItemCommands(&Player[0], dying), 2);
  EXPECT_EQ(Player[0].m_nHp, 0);
  EXPECT_TRUE(services.calls().empty());
  // A list that runs through plays its sound and reports 0.
  Player[0].m_nHp = 3;
  cVector<cFlowCmd> plain{Cmd(20, {5}, 1), Cmd(24, {2, 1}, 1), Cmd(0, {}, 1)};
  EXPECT_EQ(RunItemCommands(&Player[0], plain), 0);
  EXPECT_EQ(services.calls(), std::vector<std::string>{"sound 21"});
}

TEST_F(MiscCommandsTest, CodeCommandRunsTheExpressionAndSurvivesErrors) {
  cFlowCmd code = Cmd(37, {});
  code.m_Text = "hp = 7";
  cCmdRun run;
  run.lpCmd = &code;
  CommandTable[37](&Player[0], &run);
  EXPECT_EQ(Player[0].m_nHp, 7);
  // An erroneous text keeps what it assigned before the error.
  code.m_Text = "hp = 4 C1 = (1 / 0)";
  DoRunCode(&Player[0], &code);
  EXPECT_EQ(Player[0].m_nHp, 4);
}

TEST_F(MiscCommandsTest, SoundCommandRules) {
  TestChara c;
  Place(c, 5000, 5000);  // off screen
  cFlowCmd silent = Cmd(35, {0});
  DoPlaySound(&c, &silent);
  cFlowCmd onScreenOnly = Cmd(35, {3});
  onScreenOnly.m_CmdOption = 1;
  DoPlaySound(&c, &onScreenOnly);
  EXPECT_TRUE(services.calls().empty());
  onScreenOnly.m_CmdOption = 0;
  DoPlaySound(&c, &onScreenOnly);
  cFlowCmd music = Cmd(36, {4, 2});
  DoPlayBgm(&c, &music);
  ASSERT_GE(services.calls().size(), 1u);
  EXPECT_EQ(services.calls()[0], "sound 19");
}

// -------------------------------------------------------------------- get-item

TEST_F(MiscCommandsTest, GetItemOfAClearingItemEndsTheStage) {
  AddStageItem({Cmd(20, {2}, 1), Cmd(2, {}, 1), Cmd(20, {9}, 1)});
  TestChara runner;
  Place(runner, 600, 600);
  cFlowCmd get = Cmd(25, {1, 0});
  cCmdRun run;
  run.lpCmd = &get;
  CommandTable[25](&runner, &run);
  EXPECT_EQ(world.m_nClearResult, 1);
  EXPECT_EQ(services.calls(), std::vector<std::string>{"sound 18"});
  // Absent palette entries and palettes do nothing.
  world.m_nClearResult = 0;
  for (auto params : {std::vector<int32_t>{1, 5}, {0, 0}, {2, 0}, {1, -1}}) {
    cFlowCmd absent = Cmd(25, params);
    DoGetItem(&runner, &absent);
  }
  EXPECT_EQ(world.m_nClearResult, 0);
}

TEST_F(MiscCommandsTest, NestedGetItemKeepsAClearAndStopsSelfRecursion) {
  // Item 0 takes item 1 (which clears) and then plays a sound: the outer
  // result 0 does not undo the clear.
  AddStageItem({Cmd(10, {1, 1}, 1), Cmd(20, {1}, 1)});
  AddStageItem({Cmd(2, {}, 1)});
  cFlowCmd get = Cmd(25, {1, 0});
  DoGetItem(&Player[0], &get);
  EXPECT_EQ(world.m_nClearResult, 1);
  EXPECT_EQ(services.calls().size(), 1u);

  // Item 2 takes itself: 32 levels, then it stops.
  services.ClearCalls();
  world.m_nClearResult = 0;
  AddStageItem({Cmd(20, {1}, 1), Cmd(10, {1, 2}, 1)});
  cFlowCmd self = Cmd(25, {1, 2});
  DoGetItem(&Player[0], &self);
  EXPECT_EQ(services.calls().size(), 32u);
  EXPECT_EQ(world.m_nClearResult, 0);
}

// ---------------------------------------------------------------------- vanish

TEST_F(MiscCommandsTest, VanishRemovesEveryGenerationBelow) {
  TestChara gen[6];
  for (int i = 0; i < 6; ++i) {
    Place(gen[i], 400 + 30 * i, 400);
    if (i > 0) gen[i - 1].m_Links.push_back({&gen[i], 4});
  }
  gen[2].m_Links.push_back({&gen[0], 0});  // a target link is no child link
  // A shot of the second generation.
  world.m_Shots.emplace_back();
  cShot* shot = &world.m_Shots.back();
  shot->m_bActive = 1;
  shot->m_lpOwner = &gen[2];
  gen[2].m_ShotLinks.push_back({shot, 4});
  world.m_FactionShots[0].push_back(shot);

  cFlowCmd tree = Cmd(24, {2, 0, 1});
  DoVanish(&gen[0], &tree);
  EXPECT_EQ(gen[0].m_bVanished, 0);
  for (int i = 1; i < 6; ++i) EXPECT_EQ(gen[i].m_bVanished, 1) << i;
  EXPECT_EQ(world.m_bCheckDeaths, 1);
  EXPECT_EQ(world.m_Shots.size(), 1u);  // mode 2 leaves the shots

  // Mode 5: the tree with its shots; while hits are tested the shot only stops hitting.
  world.m_bHitTesting = 1;
  cFlowCmd withShots = Cmd(24, {5, 0, 1});
  DoVanish(&gen[0], &withShots);
  EXPECT_EQ(shot->m_bNoHit, 1);
  EXPECT_EQ(world.m_Shots.size(), 1u);
  world.m_bHitTesting = 0;
  DoVanish(&gen[0], &withShots);
  EXPECT_TRUE(world.m_Shots.empty());
  EXPECT_TRUE(world.m_FactionShots[0].empty());
  EXPECT_TRUE(gen[2].m_ShotLinks.empty());

  // The hero vanishes by losing its HP.
  Player[0].m_Links.push_back({&gen[5], 4});
  gen[5].m_Links.push_back({&Player[0], 4});
  cFlowCmd fromChild = Cmd(24, {2, 0, 1});
  DoVanish(&gen[5], &fromChild);
  EXPECT_EQ(Player[0].m_nHp, 0);
  Unlink({&gen[0], &gen[1], &gen[2], &gen[3], &gen[4], &gen[5], &Player[0]});
}

// A shot that only stops hitting while hits are tested leaves the shot list
// when the hit test ends; the others stay.
TEST_F(MiscCommandsTest, AShotStoppedDuringTheHitTestLeavesAtItsEnd) {
  TestChara parent, child;
  Place(parent, 400, 400);
  Place(child, 430, 400);
  parent.m_Links.push_back({&child, 4});
  world.m_Shots.emplace_back();
  cShot* marked = &world.m_Shots.back();
  marked->m_bActive = 1;
  marked->m_lpOwner = &child;
  child.m_ShotLinks.push_back({marked, 4});
  world.m_Shots.emplace_back();
  cShot* other = &world.m_Shots.back();
  other->m_bActive = 1;

  world.m_bHitTesting = 1;
  cFlowCmd withShots = Cmd(24, {5, 0, 1});
  DoVanish(&parent, &withShots);
  world.m_bHitTesting = 0;
  ASSERT_EQ(marked->m_bNoHit, 1);
  ASSERT_EQ(world.m_Shots.size(), 2u);
  EXPECT_EQ(HitShotsAndCharas(), 0);
  ASSERT_EQ(world.m_Shots.size(), 1u);
  EXPECT_EQ(&world.m_Shots.front(), other);
  Unlink({&parent, &child});
}

TEST_F(MiscCommandsTest, VanishStopsOnACycleOfChildLinks) {
  TestChara a, b;
  Place(a, 400, 400);
  Place(b, 430, 400);
  a.m_Links.push_back({&b, 4});
  b.m_Links.push_back({&a, 4});
  cFlowCmd tree = Cmd(24, {2, 0, 1});
  DoVanish(&a, &tree);  // ends at the depth limit
  EXPECT_EQ(a.m_bVanished, 1);
  EXPECT_EQ(b.m_bVanished, 1);
  Unlink({&a, &b});
}

// ------------------------------------------------------------------------ warp

// Picture and effect places: scroll 320 (the fixture's), margin 10. Offsets
// from a file may be anything; sums past 32 bits wrap instead of overflowing.
TEST_F(MiscCommandsTest, PlacePositionsByBlockAndWrapHugeOffsets) {
  struct Case {
    int placement, blockX, blockY, ofsX, ofsY, x, y;
  };
  const Case cases[] = {
      {3, 2, 1, 5, -3, 320 + 64 + 5, 320 + 32 - 3},           // on screen: scroll + block
      {4, 2, 1, 5, -3, (2 + 10) * 32 + 5, (1 + 10) * 32 - 3},  // in the map
      // 320 + 2147483647 - 2^32 and 320 + 2147483647 * 32 - 1 - 2^32 * 16
      {3, 0, 2147483647, 2147483647, -1, -2147483329, 320 - 32 - 1},
      // (0 + 10) * 32 - 2147483648 stays in range
      {4, 0, 0, INT32_MIN, 0, 320 - 2147483647 - 1, 320},
      // the centre of the screen: 320 + 320 - 8 + 2147483647 - 2^32
      {0, 0, 0, 2147483647, 0, -2147483017, 320 + 240 - 8},
  };
  for (const Case& c : cases) {
    int x = 0, y = 0;
    CalcPlacePos(&x, &y, 16, 16, nullptr, c.placement, c.blockX, c.blockY, c.ofsX, c.ofsY);
    EXPECT_EQ(x, c.x) << c.placement << " " << c.ofsX;
    EXPECT_EQ(y, c.y) << c.placement << " " << c.ofsX;
  }
}

TEST_F(MiscCommandsTest, WarpToAPointAndIntoAWall) {
  TestChara c;
  Place(c, 480, 480);
  cFlowCmd warp = Cmd(20, {});
  warp.m_pMove = boost::make_shared<cEdMove>();
  warp.m_pMove->m_MoveBy = 5;
  warp.m_pMove->m_CoordSystem = 0;
  warp.m_pMove->m_TargetBlockX = 3;
  c.m_dVY = 4;
  cCmdRun run;
  run.lpCmd = &warp;
  CommandTable[20](&c, &run);
  EXPECT_EQ(c.m_dX, 480 + 96);
  EXPECT_EQ(c.m_dRight, 480 + 96 + 19);
  EXPECT_EQ(c.m_dVY, 0);  // a walking character stops falling

  // Mirrored while facing right.
  warp.m_pMove->m_MirrorX = 1;
  c.m_bFaceRight = 1;
  DoWarp(&c, &warp);
  EXPECT_EQ(c.m_dX, 480);

  // Into a solid cell: nothing moves.
  world.SetBlock(8, 5, 1);  // world column 18 = pixels 576..607, row 15 = 480..511
  c.m_bFaceRight = 0;
  DoWarp(&c, &warp);
  EXPECT_EQ(c.m_dX, 480);
  EXPECT_EQ(c.m_dY, 480);

  // Absolute blocks, then screen coordinates that anchor the character.
  warp.m_pMove->m_CoordSystem = 1;
  warp.m_pMove->m_TargetBlockX = 2;
  warp.m_pMove->m_TargetBlockY = 3;
  warp.m_pMove->m_TargetDotX = 5;
  DoWarp(&c, &warp);
  TestChara atBlock;
  Place(atBlock, 480, 480);
  atBlock.PlaceAtBlockX(2);
  EXPECT_EQ(c.m_dX, atBlock.m_dX + 5);
  warp.m_pMove->m_CoordSystem = 2;
  DoWarp(&c, &warp);
  EXPECT_EQ(c.m_bScreenAnchorX, 1);
  EXPECT_EQ(c.m_nScreenAnchorX, c.m_nScrLeft);

  // Without a move record or with an empty target slot: nothing.
  const double x = c.m_dX;
  cFlowCmd bare = Cmd(20, {});
  DoWarp(&c, &bare);
  warp.m_pMove->m_MoveBy = 2;
  DoWarp(&c, &warp);
  EXPECT_EQ(c.m_dX, x);
}

// A warp in the input direction (kind 12) over 3 units (48 px) follows the
// stick held now, not the direction held when the flow started; left and
// right together count as no clear direction: the facing (left) is used.
TEST_F(MiscCommandsTest, WarpInTheInputDirectionReadsTheLiveStick) {
  struct Case {
    const char* what;
    uint16_t stick;
    double dx;
  } const cases[] = {
      {"right", cInput::DIR_RIGHT, +48},
      {"left", cInput::DIR_LEFT, -48},
      {"left and right", cInput::DIR_LEFT | cInput::DIR_RIGHT, -48},
      {"none", 0, -48},
  };
  cFlowRun flowRun;
  flowRun.nStartDir = 0;  // nothing was held when the flow started
  world.m_pCurFlowRun = &flowRun;
  PlayerInput.assign(1, cInput{});
  cFlowCmd warp = Cmd(20, {});
  warp.m_pMove = boost::make_shared<cEdMove>();
  warp.m_pMove->m_MoveBy = 0;
  warp.m_pMove->m_Direction = 12;
  warp.m_pMove->m_Distance = 3;
  for (const Case& k : cases) {
    SCOPED_TRACE(k.what);
    TestChara c;
    Place(c, 480, 480);
    c.m_bFly = 1;
    c.m_bFaceRight = 0;
    PlayerInput[0].m_wDir = k.stick;
    DoWarp(&c, &warp);
    EXPECT_EQ(c.m_dX, 480 + k.dx);
    EXPECT_EQ(c.m_dY, 480);
  }
  world.m_pCurFlowRun = nullptr;
  PlayerInput.clear();
}

// ----------------------------------------------- targets and status switches

TEST_F(MiscCommandsTest, SetTargetKeepsOrEmptiesWhenNothingIsFound) {
  TestChara self, old, parent;
  Place(self, 400, 400);
  Place(old, 450, 400);
  Place(parent, 500, 400);
  self.m_lpParent = &parent;
  SetTargetSlot(&self, 0, &old, 1);
  std::vector<int32_t> nearest(16, 0);
  nearest[1] = 2;  // the nearest character of faction 3: there is none
  nearest[2] = 3;
  nearest[4] = 1;
  nearest[15] = 1;  // keep the target
  cFlowCmd keep = Cmd(21, nearest);
  DoSetTarget(&self, &keep);
  EXPECT_EQ(self.m_Targets[0], &old);
  ASSERT_EQ(old.m_Links.size(), 1u);
  nearest[15] = 0;  // no target
  cFlowCmd empty = Cmd(21, nearest);
  DoSetTarget(&self, &empty);
  EXPECT_EQ(self.m_Targets[0], nullptr);
  EXPECT_TRUE(old.m_Links.empty());
  // Source 4: the summoner, linked back; then slot 2 copies slot 0.
  cFlowCmd toParent = Cmd(21, {0, 4, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
  DoSetTarget(&self, &toParent);
  EXPECT_EQ(self.m_Targets[0], &parent);
  cFlowCmd copy = Cmd(21, {2, 7, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
  DoSetTarget(&self, &copy);
  EXPECT_EQ(self.m_Targets[2], &parent);
  EXPECT_EQ(parent.m_Links.size(), 2u);
  Unlink({&self, &old, &parent});
  self.m_Targets.Fill(nullptr);
  self.m_lpParent = nullptr;
}

TEST_F(MiscCommandsTest, StatusSwitches) {
  TestChara c;
  Place(c, 400, 400);
  cFlowCmd fly = Cmd(23, {0, 3, 1});
  DoStatusOperation2(&c, &fly);  // flying is for the hero only
  EXPECT_EQ(c.m_bFly, 0);
  cFlowCmd transparent = Cmd(23, {0, 1, 1});
  DoStatusOperation2(&c, &transparent);
  EXPECT_EQ(c.m_Def.m_Transparent, 1);
  cFlowCmd viaEmptySlot = Cmd(23, {2, 0, 1});
  DoStatusOperation2(&c, &viaEmptySlot);
  EXPECT_EQ(c.m_bVanished, 0);
  cFlowCmd vanish = Cmd(23, {0, 0, 1});
  DoStatusOperation2(&c, &vanish);
  EXPECT_EQ(c.m_bVanished, 1);
  EXPECT_EQ(world.m_bCheckDeaths, 0);  // the executing character itself
}

TEST_F(MiscCommandsTest, EffectNumberZeroClearsEveryEffect) {
  world.m_Effects.resize(3);
  cFlowCmd clear = Cmd(29, {0, 0, 0, 0, 0, 0, 100, 0});
  DoRunEffect(nullptr, &clear);
  EXPECT_TRUE(world.m_Effects.empty());
}

// An effect's size is its picture's size times the percentage: 150 % of
// 48x32 is 72x48; 2^31 - 1 % of it is 1030792150.56 -> 1030792151 by
// 687194767.04 -> 687194767, with no int overflow on the way.
TEST_F(MiscCommandsTest, EffectSizeIsThePercentageOfThePictureWithoutOverflow) {
  const auto savedEffects = Database.m_Effects;
  Database.m_Effects.resize(2);
  Database.m_Effects[1].m_EffectW = 48;
  Database.m_Effects[1].m_EffectH = 32;
  const struct {
    int percent;
    int w, h;
  } cases[] = {{150, 72, 48}, {100, 48, 32}, {0x7FFFFFFF, 1030792151, 687194767}};
  for (const auto& t : cases) {
    SCOPED_TRACE(t.percent);
    world.m_Effects.clear();
    cFlowCmd run = Cmd(29, {1, 0, 0, 0, 0, 0, t.percent, 0});
    DoRunEffect(nullptr, &run);
    ASSERT_EQ(world.m_Effects.size(), 1u);
    EXPECT_EQ(world.m_Effects.front().m_nW, t.w);
    EXPECT_EQ(world.m_Effects.front().m_nH, t.h);
  }
  world.m_Effects.clear();
  Database.m_Effects = savedEffects;
}

// --------------------------------------------------------------- backgrounds

TEST_F(MiscCommandsTest, BackgroundActions) {
  Stage.m_BackLayers.resize(2);
  Stage.m_BackLayers[1].m_Show = 1;
  const struct {
    int layer, action, shown;
  } cases[] = {{2, 1, 0}, {2, 0, 1}, {2, 2, 0}, {2, 2, 1}, {3, 1, 1}, {0, 1, 1}, {2, 7, 1}};
  for (const auto& c : cases) {
    cFlowCmd cmd = Cmd(34, {c.layer, c.action});
    DoChangeBackground(nullptr, &cmd);
    EXPECT_EQ(Stage.m_BackLayers[1].m_Show, c.shown) << c.layer << " " << c.action;
  }
  EXPECT_EQ(Stage.m_BackLayers[0].m_Show, 0);
}

// -------------------------------------------------------------------- pictures

namespace {
class PictureTest : public MiscCommandsTest {
 protected:
  void SetUp() override {
    MiscCommandsTest::SetUp();
    ASSERT_TRUE(lib.ok());
    savedPictures = Database.m_Pictures;
    Database.m_Pictures.resize(4);
    Database.m_Pictures[1].m_File = project.Bitmap("a.bmp", gfxtest::MakeBmp(8, 4, 24, gfxtest::Gradient(8, 4)));
    Database.m_Pictures[2].m_File = project.Bitmap("b.bmp", gfxtest::MakeBmp(16, 2, 24, gfxtest::Gradient(16, 2)));
    Database.m_Pictures[3].m_File = "bmp\\missing.bmp";
  }
  void TearDown() override {
    for (DDSURFACEDATA& s : PictureSurfaces) DDReleaseSurface(&s);
    PictureSurfaces.clear();
    PictureBitmaps.clear();
    Database.m_Pictures = savedPictures;
    MiscCommandsTest::TearDown();
  }
  void Show(int number, int withId, int id) {
    cFlowCmd c = Cmd(32, {number, 0, 0, 0, 0, 0, 0, 100, 1, 0, 0, 0, withId, id, 0});
    DoShowPicture(nullptr, &c);
  }
  std::vector<int> Shown() const {
    std::vector<int> v;
    for (const cPictureInst& p : world.m_Pictures) v.push_back(p.m_nPicture * 100 + p.m_nValue2);
    return v;
  }

  gfxtest::Project project;
  gfxtest::Library lib{1, 32, 1};
  cVector<cPicture> savedPictures;
};
}  // namespace

TEST_F(PictureTest, ReplaceAndEraseKeepTheDrawingOrder) {
  Show(1, 1, 7);
  Show(2, 1, 8);
  Show(1, 0, 0);
  EXPECT_EQ(Shown(), (std::vector<int>{107, 208, 100}));
  // The picture with ID 7 is replaced where it stands.
  Show(2, 1, 7);
  EXPECT_EQ(Shown(), (std::vector<int>{207, 208, 100}));
  ASSERT_EQ(PictureSurfaces.size(), 3u);
  ASSERT_EQ(PictureBitmaps.size(), 3u);
  EXPECT_EQ(PictureBitmaps.front().strFile, Database.m_Pictures[2].m_File);
  EXPECT_EQ(PictureSurfaces.front().nWidth, 16);
  EXPECT_EQ(world.m_Pictures.front().m_nW, 16);
  // Number 0 with an ID erases that picture only; an unknown ID nothing.
  Show(0, 1, 8);
  Show(0, 1, 99);
  EXPECT_EQ(Shown(), (std::vector<int>{207, 100}));
  EXPECT_EQ(PictureBitmaps.back().strFile, Database.m_Pictures[1].m_File);
  // A new ID is appended; number 0 without an ID erases everything.
  Show(1, 1, 9);
  EXPECT_EQ(Shown(), (std::vector<int>{207, 100, 109}));
  Show(0, 0, 0);
  EXPECT_TRUE(world.m_Pictures.empty());
  EXPECT_TRUE(PictureSurfaces.empty());
  EXPECT_TRUE(PictureBitmaps.empty());
  EXPECT_TRUE(services.calls().empty());
}

// Under DirectDraw a picture's surface goes to system memory when it is
// scaled and video stretching is off, or when less than 20 % of the video
// memory is free; otherwise to video memory. Under Direct3D never.
TEST_F(MiscCommandsTest, PictureSurfacePlacement) {
  gfxtest::Project project;
  const cVector<cPicture> savedPictures = Database.m_Pictures;
  const int savedStretch = bChipVideoStretch;
  Database.m_Pictures.resize(2);
  Database.m_Pictures[1].m_File = project.Bitmap("a.bmp", gfxtest::MakeBmp(8, 4, 24, gfxtest::Gradient(8, 4)));
  struct Case {
    const char* what;
    int d3d, percent, stretch;
    bool videoNearlyFull;
    int systemMemory;
  } const cases[] = {
      {"scaled, no stretching", 0, 50, 0, false, 1},
      {"scaled, stretching", 0, 50, 1, false, 0},
      {"full size", 0, 100, 0, false, 0},
      {"full size, video memory nearly full", 0, 100, 0, true, 1},
      {"scaled, stretching, video memory nearly full", 0, 50, 1, true, 1},
      {"Direct3D, scaled", 1, 50, 0, false, 0},
      {"Direct3D, video memory nearly full", 1, 100, 0, true, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    gfxtest::Library lib(c.d3d, 32, 1);
    ASSERT_TRUE(lib.ok());
    bChipVideoStretch = c.stretch;
    // 1 MB in video memory, so that a fifth of what is in use is far more
    // than the picture needs.
    DDSURFACEDATA filler;
    ASSERT_TRUE(DDCreateSurface(&filler, 512, 512, 0, 0, DTMEMORYTYPE_VIDEO_RT, 0, 0));
    DDVIRTUALDISPLAY display;
    // Free = total - in use: 19 % of the total when nearly full, far more otherwise.
    const int64_t inUse = VideoMemoryInUse();
    display.nVideoMemoryBytes = c.videoNearlyFull ? inUse * 100 / 81 : inUse * 10 + (int64_t(64) << 20);
    DDSetVirtualDisplay(display);
    cFlowCmd show = Cmd(32, {1, 0, 0, 0, 0, 0, 0, c.percent, 1, 0, 0, 0, 0, 0, 0});
    DoShowPicture(nullptr, &show);
    ASSERT_EQ(PictureBitmaps.size(), 1u);
    ASSERT_EQ(PictureSurfaces.size(), 1u);
    EXPECT_EQ(PictureBitmaps.front().nDDMemory, c.systemMemory);
    EXPECT_EQ(PictureSurfaces.front().nDDMemory, c.systemMemory);
    cFlowCmd clear = Cmd(32, {0, 0, 0, 0, 0, 0, 0, 100, 1, 0, 0, 0, 0, 0, 0});
    DoShowPicture(nullptr, &clear);
    EXPECT_TRUE(PictureSurfaces.empty());
    DDReleaseSurface(&filler);
    DDSetVirtualDisplay(DDVIRTUALDISPLAY{});
  }
  bChipVideoStretch = savedStretch;
  Database.m_Pictures = savedPictures;
  EXPECT_TRUE(services.calls().empty());
}

TEST_F(PictureTest, AFailedLoadShowsAnErrorAndIsSkipped) {
  Show(1, 1, 7);
  Show(3, 1, 7);  // the file is missing: the picture with ID 7 stays
  EXPECT_EQ(Shown(), (std::vector<int>{107}));
  EXPECT_EQ(PictureSurfaces.size(), 1u);
  ASSERT_EQ(services.calls().size(), 1u);
  EXPECT_EQ(services.calls()[0].rfind("error ", 0), 0u);
  EXPECT_NE(services.calls()[0].find("missing.bmp"), std::string::npos);
  // Play goes on: no close request, and later pictures still show.
  Show(2, 0, 0);
  EXPECT_EQ(Shown(), (std::vector<int>{107, 200}));
}

TEST_F(PictureTest, BlockingPictureWaitsThenGoes) {
  int waited = -1;
  services.onModalWait = [&] {
    waited = world.m_ModalWait.nFrames;
    EXPECT_EQ(world.m_Pictures.size(), 1u);
  };
  cFlowCmd c = Cmd(32, {1, 0, 0, 0, 0, 0, 0, 100, 2, 3, 1, 0, 0, 0, 0});
  DoShowPicture(nullptr, &c);
  EXPECT_EQ(waited, 18);
  EXPECT_EQ(world.m_ModalWait.nKind, 3);
  EXPECT_TRUE(world.m_Pictures.empty());
  EXPECT_TRUE(PictureSurfaces.empty());
  // Nothing while the window closes.
  world.m_bQuit = 1;
  DoShowPicture(nullptr, &c);
  EXPECT_TRUE(world.m_Pictures.empty());
  world.m_bQuit = 0;
}
