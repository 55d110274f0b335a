// ctest-label: engine
// Stages built in code, set up with SetStage and run frame by frame with the
// headless play step: spawning from the map, falling, landing, falling out
// of the map and the time limit.
#include <gtest/gtest.h>

#include <climits>
#include <ostream>
#include <vector>

#include "base/FrameTimer.h"
#include "base/Text.h"
#include "data/EdShot.h"
#include "data/Replay.h"
#include "data/SaveData.h"
#include "data/Stage.h"
#include "data/System.h"
#include "engine/Services.h"
#include "engine/World.h"
#include "engine/rules/PlayStep.h"
#include "engine/rules/Rules.h"
#include "platform/Clock.h"
#include "tests/support/EngineFakes.h"

namespace {

constexpr int kW = 20, kH = 15;

class HeadlessStage : public testing::Test {
 protected:
  void SetUp() override {
    savedStage_ = Stage;
    savedSystem_ = SystemData;
    savedSave_ = SaveData;
    SystemData.m_Replay = 0;
    Stage = cStage();
    Stage.m_Width = kW;
    Stage.m_Height = kH;
    Stage.m_ScrollExtraX = kW * 32;
    Stage.m_ScrollExtraY = kH * 32;
    Stage.m_TimeLimitOn = 0;
    PlayerInput.assign(1, cInput());
    PlayScene = &world_;
    world_.SetSceneState(2, 0);
  }
  void TearDown() override {
    testsupport::ReleaseRunningWorld();
    Stage = savedStage_;
    SystemData = savedSystem_;
    SaveData = savedSave_;
  }

  static cCharaDef Chara(int role, int col, int row) {
    cCharaDef d;
    d.m_Control = static_cast<int8_t>(role);
    d.m_GfxIndex = 1;
    d.m_Col = static_cast<int16_t>(col);
    d.m_Row = static_cast<int16_t>(row);
    d.m_HeldItem = -1;
    d.m_MaxHp = 3;
    return d;
  }
  static void Floor(int row) {
    for (int c = 0; c < kW; ++c) {
      cBlockDef b;
      b.m_Col = static_cast<int16_t>(c);
      b.m_Row = static_cast<int16_t>(row);
      b.m_GfxIndex = 1;
      b.m_Hit = 1;
      Stage.m_PlacedBlocks.push_back(b);
    }
  }
  // Runs frames until the predicate holds; the frame number (1-based) or -1.
  template <class Pred>
  int RunUntil(int maxFrames, Pred pred) {
    for (int f = 1; f <= maxFrames; ++f) {
      last_ = PlayFrame(&world_);
      if (pred()) return f;
    }
    return -1;
  }

  cPlayWorld world_;
  PlayFrameResult last_ = kFrameDone;

 private:
  cStage savedStage_;
  cSystem savedSystem_;
  cSaveData savedSave_;
};

TEST_F(HeadlessStage, SetUpPlacesTheHeroCharactersAndItemsWithTheirIds) {
  Stage.m_PlacedCharas.push_back(Chara(1, 8, 5));
  Stage.m_PlacedCharas.push_back(Chara(0, 3, 5));
  cCharaDef copies = Chara(1, 12, 5);
  copies.m_CopyCount = 2;
  Stage.m_PlacedCharas.push_back(copies);
  cCharaDef ignored = Chara(5, 14, 5);  // neither hero nor stage character
  ignored.m_HeldItem = 1;
  Stage.m_PlacedCharas.push_back(ignored);
  cCharaDef holder = Chara(1, 16, 5);
  holder.m_HeldItem = 0;
  Stage.m_PlacedCharas.push_back(holder);
  for (int i = 0; i < 2; ++i) {
    cItemDef item;
    item.m_Col = static_cast<int16_t>(2 + i);
    item.m_Row = 3;
    Stage.m_PlacedItems.push_back(item);
  }
  Floor(10);
  SetStage(&world_, 0, 0);

  ASSERT_EQ(Player.size(), 1u);
  EXPECT_EQ(Player[0].m_nID, 0);
  std::vector<int> ids;
  for (const cChara& c : CharaList) ids.push_back(c.m_nID);
  EXPECT_EQ(ids, (std::vector<int>{1, 2, 3, 4, 5}));
  // The held item took item ID 0 first; the free one (the item the ignored
  // character would hold) comes next.
  ASSERT_EQ(ItemList.size(), 1u);
  EXPECT_EQ(ItemList.front().m_nID, 1);
  EXPECT_EQ(world_.m_nNextCharaId, 6);
  EXPECT_EQ(world_.m_nNextItemId, 2);
  // Each character is in the list of its faction, the hero first.
  size_t listed = 0;
  for (const CharaPtrList& l : world_.m_FactionCharas) listed += l.size();
  EXPECT_EQ(listed, 6u);
  EXPECT_EQ(world_.m_FactionCharas[static_cast<size_t>(Player[0].m_nBlockSide)].front(), &Player[0]);
  EXPECT_EQ(world_.m_nTime, 999);
  EXPECT_EQ(world_.m_bNoTimeLimit, 1);
  // The floor is in the block map at its cell.
  int index = (5 + 10) + ((10 + 10) << world_.m_ScrollX.m_nShift);
  EXPECT_EQ(BlockMap[static_cast<size_t>(index)].m_Hit, 1);
  EXPECT_EQ(BlockMap.size(), static_cast<size_t>(kH + 20) << world_.m_ScrollX.m_nShift);
}

TEST_F(HeadlessStage, AStageWithoutCharactersIsSetUpWithoutIndexingAnEmptyList) {
  Floor(10);
  SetStage(&world_, 0, 0);
  ASSERT_EQ(Player.size(), 1u);
  EXPECT_TRUE(CharaList.empty());
  for (int f = 0; f < 3; ++f) PlayFrame(&world_);
}

TEST_F(HeadlessStage, EveryStartSetsTheStagesFrameRateRestartsTheSecondAndRestoresThePalette) {
  testsupport::FakeEngineServices fake;
  Floor(10);
  for (int rate : {30, 45}) {
    Stage.m_FrameRate = rate;
    for (int f = 0; f < 5; ++f) CountCycle(1, 60);
    ASSERT_EQ(CountCycle(2, 60), 0);
    SetStage(&world_, 0, 0);
    EXPECT_EQ(fake.frameRate, rate);
    EXPECT_EQ(CountCycle(2, 60), 1) << "the shared second counter starts again";
  }
  EXPECT_EQ(fake.paletteRestores, 2);
}

TEST_F(HeadlessStage, RemovingDuringAWalkKeepsTheOrder) {
  for (int c = 4; c < 9; ++c) Stage.m_PlacedCharas.push_back(Chara(1, c, 5));
  Stage.m_PlacedCharas.push_back(Chara(0, 2, 5));
  SetStage(&world_, 0, 0);
  ASSERT_EQ(CharaList.size(), 5u);
  for (auto it = CharaList.begin(); it != CharaList.end();)
    it = it->m_nID % 2 == 0 ? RemoveCharaNode(CharaList, it) : std::next(it);
  std::vector<int> ids;
  for (const cChara& c : CharaList) ids.push_back(c.m_nID);
  EXPECT_EQ(ids, (std::vector<int>{1, 3, 5}));
  size_t listed = 0;
  for (const CharaPtrList& l : world_.m_FactionCharas) listed += l.size();
  EXPECT_EQ(listed, 4u);  // the hero and the three left
}

// Each sub-step counts the characters' lives down in list order and removes
// the ones whose life went below zero; the ones left count down their
// invincibility and hit immunities in the same sub-step.
TEST_F(HeadlessStage, LifeTimersRemoveCharactersAndTheRestCountDownTheirInvincibility) {
  Stage.m_HitLevel = 2;
  for (int c : {4, 6, 8}) Stage.m_PlacedCharas.push_back(Chara(1, c, 9));
  Stage.m_PlacedCharas.push_back(Chara(0, 2, 9));
  Floor(10);
  SetStage(&world_, 0, 0);
  ASSERT_EQ(Stage.m_SubSteps, 2);
  ASSERT_EQ(CharaList.size(), 3u);
  const int lives[] = {2, INT_MAX, 0};
  int k = 0;
  for (cChara& c : CharaList) {
    c.m_nLife = lives[k++];
    c.m_nInvincible = 10;
    c.m_Immunity.push_back(ImmunityEntry{0, 3});
  }
  struct Left {
    int id, life, invincible;
    size_t immunities;
    bool operator==(const Left&) const = default;
  };
  auto left = [] {
    std::vector<Left> v;
    for (const cChara& c : CharaList)
      v.push_back(Left{c.m_nID, c.m_nLife, c.m_nInvincible, c.m_Immunity.size()});
    return v;
  };
  PlayFrame(&world_);
  EXPECT_EQ(left(), (std::vector<Left>{{1, 0, 8, 1}, {2, INT_MAX, 8, 1}}));
  PlayFrame(&world_);
  EXPECT_EQ(left(), (std::vector<Left>{{2, INT_MAX, 6, 0}}));
  size_t listed = 0;
  for (const CharaPtrList& l : world_.m_FactionCharas) listed += l.size();
  EXPECT_EQ(listed, 2u);  // the hero and the one left
}

// The hero placed at row 2 starts at rest with its 24-pixel box from y 392
// (the chip's top 384 plus its box offset 8): its bottom is at 415. The stage
// gravity G is 0.4; each sub-step adds G / n² to the speed, capped at 6
// pixels per sub-step, and then moves the box. A fall from rest covers
// g k (k + 1) / 2 pixels in k sub-steps until the cap.
//   n = 1, g = 0.4: the cap at k = 15 after 48 pixels, then 6 per sub-step.
//   n = 2, g = 0.1: the cap at k = 60 after 183 pixels, then 6 per sub-step.
struct FallCase {
  int hitLevel;
  int frame;  // the frame (1-based) of the sub-step k: (k + n - 1) / n
};
void PrintTo(const FallCase& c, std::ostream* os) { *os << "hit level " << c.hitLevel << ", frame " << c.frame; }

class Landing : public HeadlessStage, public testing::WithParamInterface<FallCase> {};

// The floor's top at row 10 is 640: 225 pixels below the bottom.
//   n = 1: 48 + 6 × 30 ≥ 225 first at k = 15 + 30 = 45: frame 45.
//   n = 2: 183 + 6 × 7 = 225 at k = 67: frame 34.
TEST_P(Landing, HeroFallsOntoTheFloorAndStandsOnIt) {
  Stage.m_HitLevel = GetParam().hitLevel;
  Stage.m_PlacedCharas.push_back(Chara(0, 5, 2));
  Floor(10);
  SetStage(&world_, 0, 0);
  ASSERT_EQ(Stage.m_SubSteps, GetParam().hitLevel);
  const cHero& hero = Player[0];
  ASSERT_EQ(hero.m_dBottom, 415);
  const double floorTop = (10 + 10) * 32;
  double before = hero.m_dVY;
  int frame = RunUntil(200, [&] {
    bool landed = hero.m_dVY < before;
    before = hero.m_dVY;
    return landed;
  });
  EXPECT_EQ(frame, GetParam().frame);
  EXPECT_EQ(hero.m_bDead, 0);
  EXPECT_GE(hero.m_dBottom, floorTop - 1);
  EXPECT_LT(hero.m_dBottom, floorTop);
  // It stays on the floor.
  for (int f = 0; f < 60; ++f) {
    PlayFrame(&world_);
    ASSERT_GE(hero.m_dBottom, floorTop - 1) << f;
    ASSERT_LT(hero.m_dBottom, floorTop) << f;
  }
  EXPECT_EQ(hero.m_bDead, 0);
}

INSTANTIATE_TEST_SUITE_P(SubSteps, Landing, testing::Values(FallCase{1, 45}, FallCase{2, 34}));

class FallOut : public HeadlessStage, public testing::WithParamInterface<FallCase> {};

// It dies in the sub-step its box reaches the bottom of the map area,
// (15 + 10) × 32 = 800: 385 pixels below the bottom.
//   n = 1: 48 + 6 × 57 ≥ 385 first at k = 72: frame 72.
//   n = 2: 183 + 6 × 34 ≥ 385 first at k = 94: frame 47.
TEST_P(FallOut, FallingOutOfTheMapKillsTheHero) {
  Stage.m_HitLevel = GetParam().hitLevel;
  Stage.m_PlacedCharas.push_back(Chara(0, 5, 2));
  SetStage(&world_, 0, 0);
  const cHero& hero = Player[0];
  ASSERT_EQ(hero.m_dBottom, 415);
  int frame = RunUntil(300, [&] { return hero.m_bDead != 0; });
  EXPECT_EQ(frame, GetParam().frame);
  EXPECT_EQ(last_, kFrameHeroDeath);
}

INSTANTIATE_TEST_SUITE_P(SubSteps, FallOut, testing::Values(FallCase{1, 72}, FallCase{2, 47}));

TEST_F(HeadlessStage, TimeLimitKillsTheHeroWhenTheLastSecondRunsOut) {
  Stage.m_TimeLimitOn = 1;
  Stage.m_TimeLimit = 2;
  Stage.m_PlacedCharas.push_back(Chara(0, 5, 9));
  Floor(10);
  SetStage(&world_, 0, 0);
  EXPECT_EQ(world_.m_nTime, 2);
  const cHero& hero = Player[0];
  int frame = RunUntil(300, [&] { return hero.m_bDead != 0; });
  EXPECT_EQ(frame, 120);
  EXPECT_EQ(last_, kFrameHeroDeath);
  EXPECT_EQ(world_.m_nTime, 0);
}

uint64_t FakeClock() { return 12345; }

TEST_F(HeadlessStage, RecordingSeedsFromTheClockAndKeepsThePreviousRecording) {
  Stage.m_PlacedCharas.push_back(Chara(0, 5, 9));
  Floor(10);
  cReplay savedReplay = Replay, savedPrev = PrevReplay;

  // Recording off: the seed stays (0 at the first set-up).
  world_.m_dwSeed = 0;
  SetStage(&world_, 0, 0);
  EXPECT_EQ(world_.m_dwSeed, 0u);
  EXPECT_EQ(RandomState(), 0u);

  SystemData.m_Replay = 1;
  Replay.Clear();
  Replay.RecordFrame(1, 0);
  platform::SetClockSource(FakeClock);
  SetStage(&world_, 0, 0);
  platform::SetClockSource(nullptr);
  EXPECT_EQ(world_.m_dwSeed, 12345u);
  EXPECT_EQ(static_cast<uint32_t>(Replay.m_Seed), 12345u);
  EXPECT_TRUE(Replay.Empty());
  EXPECT_FALSE(PrevReplay.Empty());  // the attempt before
  EXPECT_EQ(Replay.m_DataVersion, kDataVersion);
  EXPECT_EQ(RandomState(), 12345u);

  Replay = savedReplay;
  PrevReplay = savedPrev;
}

TEST_F(HeadlessStage, SummonedBlocksPlaceEraseAndSwitch) {
  Stage.m_PlacedCharas.push_back(Chara(0, 5, 9));
  Floor(10);
  SetStage(&world_, 0, 0);
  cBlockDef block;
  block.m_GfxIndex = 7;
  block.m_Hit = 1;
  cEdShot params;
  const int shift = world_.m_ScrollX.m_nShift;
  auto cell = [&](int c, int r) -> cBlockCell& { return BlockMap[static_cast<size_t>(c + (r << shift))]; };

  // The cell is found from the rounded position: 15.4 is chip 0, 15.5 chip 1.
  params.m_BlockSummonMode = 0;
  SpawnBlock(15.4 + 32 * 12, 32 * 12, 0, &params, &block);
  EXPECT_EQ(cell(12, 12).m_GfxIndex, 7);
  SpawnBlock(15.5 + 32 * 13, 32 * 12, 0, &params, &block);
  EXPECT_EQ(cell(14, 12).m_GfxIndex, 7);
  EXPECT_EQ(cell(13, 12).m_GfxIndex, 0);

  // Switch mode: an empty cell is placed and recorded; a second copy of the
  // same summon leaves it alone; after the list is emptied it switches back.
  params.m_BlockSummonMode = 2;
  world_.m_SwitchedCells.clear();
  SpawnBlock(32 * 16, 32 * 12, 0, &params, &block);
  EXPECT_EQ(cell(16, 12).m_GfxIndex, 7);
  SpawnBlock(32 * 16, 32 * 12, 0, &params, &block);
  EXPECT_EQ(cell(16, 12).m_GfxIndex, 7);
  world_.m_SwitchedCells.clear();
  SpawnBlock(32 * 16, 32 * 12, 0, &params, &block);
  EXPECT_NE(cell(16, 12).m_GfxIndex, 7);

  // Place mode refusing on the hero, over the hero: the old cell comes
  // back, and the hero still gets its crush grace.
  cHero& hero = Player[0];
  int c = static_cast<int>(hero.m_dX) >> 5, r = static_cast<int>(hero.m_dY) >> 5;
  cBlockCell before = cell(c, r);
  params.m_BlockSummonMode = 0;
  params.m_OptionH = 1;
  hero.m_nCrushGrace = 0;
  SpawnBlock(c * 32, r * 32, 0, &params, &block);
  EXPECT_EQ(cell(c, r).m_GfxIndex, before.m_GfxIndex);
  EXPECT_EQ(hero.m_nCrushGrace, 2);
  // Out of the map: nothing.
  SpawnBlock(-100, -100, 0, &params, &block);
  SpawnBlock(1e9, 1e9, 0, &params, &block);
}

class SoundLog : public IWindowRequests {
 public:
  std::vector<int> sounds;
  void PlaySound(int slot) override { sounds.push_back(slot); }
  void PlayMusic(int, int) override {}
  void RequestClose() override {}
};

TEST_F(HeadlessStage, ItemsAreTakenByTheirTakeMode) {
  Stage.m_PlacedCharas.push_back(Chara(0, 5, 9));
  Floor(10);
  for (int mode = 0; mode < 3; ++mode) {
    cItemDef item;
    item.m_Col = 5;
    item.m_Row = 9;
    item.m_PickUp = static_cast<int8_t>(mode);
    item.m_ShowOnTake = 0;
    item.m_Sound = static_cast<int16_t>(mode + 1);
    Stage.m_PlacedItems.push_back(item);
  }
  SetStage(&world_, 0, 0);
  ASSERT_EQ(ItemList.size(), 3u);
  SoundLog log;
  cEngineServices services;
  services.window = &log;
  SetEngineServices(services);
  cHero& hero = Player[0];

  for (int i = 0; i < 3; ++i) EXPECT_EQ(PickUpItems(&hero), 0);
  // Mode 0 once and removed; mode 1 once during the touch; mode 2 never.
  EXPECT_EQ(log.sounds, (std::vector<int>{17, 18}));
  EXPECT_EQ(ItemList.size(), 2u);

  // Leaving the item and touching it again takes mode 1 again.
  const double x = hero.m_dX, right = hero.m_dRight;
  hero.m_dX -= 200;
  hero.m_dRight -= 200;
  PickUpItems(&hero);
  hero.m_dX = x;
  hero.m_dRight = right;
  PickUpItems(&hero);
  EXPECT_EQ(log.sounds, (std::vector<int>{17, 18, 18}));
  SetEngineServices(cEngineServices{});
}

TEST_F(HeadlessStage, FootBlockActionsLastOneFrame) {
  Stage.m_HitLevel = 2;
  Stage.m_PlacedCharas.push_back(Chara(0, 5, 9));
  Floor(10);
  SetStage(&world_, 0, 0);
  cHero& hero = Player[0];
  cBlockCell foot;
  foot.m_GfxIndex = 1;
  foot.m_Hit = 1;
  foot.m_Effect = 5;  // push right
  foot.m_EffectValue = 10;
  hero.m_lpFootBlock = &foot;
  hero.m_bFly = 0;
  hero.m_dVX = 0;
  hero.m_dVY = 0;
  hero.m_ImpactX = -3;
  EXPECT_EQ(ApplyFootBlockAction(&hero), 0);
  EXPECT_EQ(hero.m_nFootAction, 5);
  EXPECT_DOUBLE_EQ(hero.m_dVX, 10 * 0.1 / 2);
  EXPECT_EQ(hero.m_ImpactX, 0);
  EXPECT_EQ(hero.m_nFootActionLeft, 1);
  hero.m_lpFootBlock = nullptr;
  EXPECT_EQ(ApplyFootBlockAction(&hero), 0);
  EXPECT_EQ(hero.m_nFootActionLeft, 0);
  EXPECT_DOUBLE_EQ(hero.m_dVX, 2 * (10 * 0.1 / 2));
  EXPECT_DOUBLE_EQ(hero.m_dVY, 1.0);  // the push ends with a nudge downwards

  // A flag block stops jumping until the hero stands on another solid block.
  foot.m_Effect = 2;
  hero.m_lpFootBlock = &foot;
  ApplyFootBlockAction(&hero);
  EXPECT_EQ(hero.m_bNoJumpBlock, 1);
  foot.m_Effect = 0;
  ApplyFootBlockAction(&hero);
  EXPECT_EQ(hero.m_bNoJumpBlock, 0);
  // Flying heroes are left alone.
  foot.m_Effect = 2;
  hero.m_bFly = 1;
  ApplyFootBlockAction(&hero);
  EXPECT_EQ(hero.m_bNoJumpBlock, 0);
}

}  // namespace

// A walker pushed back by a wall in the Characters loop: its side pass moves
// it, so the top-and-bottom pass that follows reads the moved box again (the
// truncations of the X move no longer hold). It keeps standing on the floor.
TEST_F(HeadlessStage, AWalkerPushedBackByAWallStillStandsOnTheFloor) {
  cCharaDef walker = Chara(1, 5, 9);
  walker.m_ActiveRange = 3;
  Stage.m_PlacedCharas.push_back(walker);
  Stage.m_PlacedCharas.push_back(Chara(0, 1, 9));
  Floor(10);
  cBlockDef wall;
  wall.m_Col = 6;
  wall.m_Row = 9;
  wall.m_GfxIndex = 1;
  wall.m_Hit = 1;
  Stage.m_PlacedBlocks.push_back(wall);
  SetStage(&world_, 0, 0);
  ASSERT_EQ(CharaList.size(), 1u);
  cChara& c = CharaList.front();
  // Placed at x 488.5 (column 5 after the 10-column margin, its picture
  // offset 8, plus 0.5), 16 wide, box from y 616 (row 19) to 639. The wall
  // fills x 512..543 in row 19 (the floor starts at y 640). A knock-back
  // of 6 drives it into the wall in the first sub-steps; each push puts
  // its right edge back into 511 (x 496), box 498..509 (offset 2, 12 wide).
  for (int f = 0; f < 4; ++f) {
    c.m_ImpactX = 6;
    PlayFrame(&world_);
    EXPECT_EQ(TruncToInt(c.m_dX), 496) << f;
    EXPECT_EQ(TruncToInt(c.m_dRight), 511) << f;
    EXPECT_EQ(c.m_nCol, 15) << f;
    EXPECT_EQ(c.m_nRightCol, 15) << f;
    EXPECT_EQ(c.m_HitBoxChara.rc.left, 498) << f;
    EXPECT_EQ(c.m_HitBoxChara.rc.right, 509) << f;
    EXPECT_EQ(c.m_WallR, 1) << f;
    // Gravity pulls it into the floor every sub-step and the floor puts it
    // back: its box stays in row 19, just above y 640.
    EXPECT_EQ(TruncToInt(c.m_dY), 616) << f;
    EXPECT_EQ(c.m_nRow, 19) << f;
    EXPECT_EQ(c.m_nBottomRow, 19) << f;
  }
  EXPECT_EQ(c.m_bFalling, 0);  // it landed
  EXPECT_EQ(CharaList.size(), 1u);
}
