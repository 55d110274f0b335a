// ctest-label: engine
// Characters against block characters: landing and riding, being carried by
// a moving one across sub-steps, pushes from the side, head hits, crushing,
// easing out of map walls, leaving a ride, and flyers.
#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "data/Stage.h"
#include "engine/Names.h"
#include "engine/World.h"
#include "engine/objects/BlockMap.h"
#include "engine/objects/Chara.h"
#include "engine/objects/Hero.h"
#include "engine/objects/Hits.h"
#include "engine/rules/Rules.h"
#include "tests/engine/engine_fixture.h"
#include "tests/support/EngineFakes.h"

// The file's own namespace keeps its helpers apart from other test files compiled with it.
namespace block_hits_test {

namespace {

// World pixels of map column/row 0 (the margin is 10 chips).
constexpr double kOrigin = 320;

void Place(cCharaBase& c, double x, double y, int w, int h) {
  c.m_nW = w;
  c.m_nH = h;
  c.m_dX = x;
  c.m_dY = y;
  c.ClampX();  // the right and bottom edges and the chip coordinates
  c.ClampY();
  c.SavePrevBox();
}

// A block character whose last move was (vx, vy): its previous box lies
// that far back.
cChara& AddBlockChara(int id, double x, double y, int w, int h, double vx = 0, double vy = 0) {
  CharaList.emplace_back();
  cChara& b = CharaList.back();
  b.m_nID = id;
  b.m_nObjKind = 1;
  b.m_bActive = 1;
  b.SetFlyMode(2);
  nm::chara::BlockChara(b.m_Def) = 1;
  Place(b, x - vx, y - vy, w, h);
  b.m_dX = x;
  b.m_dY = y;
  b.ClampX();
  b.ClampY();
  b.m_dVX = vx;
  b.m_dVY = vy;
  return b;
}

// One empty flow per event key: a raised event leaves its run triggered.
void Listen(cCharaBase& c, std::initializer_list<int> keys) {
  c.m_Def.m_Flows.clear();
  for (int k : keys) {
    cFlow f;
    f.m_Trigger = static_cast<int8_t>(k);
    c.m_Def.m_Flows.push_back(f);
  }
  c.m_FlowRuns.clear();
  for (cFlow& f : c.m_Def.m_Flows) {
    cFlowRun r;
    r.lpFlow = &f;
    c.m_FlowRuns.push_back(r);
  }
}
std::vector<int> Heard(const cCharaBase& c) {
  std::vector<int> keys;
  for (const cFlowRun& r : c.m_FlowRuns)
    if (r.bTriggered) keys.push_back(r.lpFlow->m_Trigger);
  return keys;
}

struct BlockHits : ::testing::Test {
  enginetest::World world{30, 20, 1};
  testsupport::FakeEngineServices services;
  cChara walker;

  void SetUp() override {
    walker.m_nID = 60;
    walker.m_nObjKind = 1;
    walker.m_bActive = 1;
  }
  void TearDown() override {
    CharaList.clear();
    Player.clear();
  }
  cHero& AddHero() {
    Player.emplace_back();
    cHero& h = Player.back();
    h.m_nObjKind = 0;
    h.m_bActive = 1;
    return h;
  }
  // One sub-step in the play step's order: block characters move first,
  // then the rider is carried, moves, falls and meets the block characters.
  int SubStep(cCharaBase& rider) {
    for (cChara& b : CharaList) {
      b.ClearWallFlags();
      b.SavePrevBox();
    }
    rider.ClearWallFlags();
    rider.SavePrevBox();
    for (cChara& b : CharaList) {
      b.StepX(2);
      b.StepY(2);
    }
    rider.m_dVX = 0;  // the flows set the walking speed afresh every frame
    if (rider.m_bRiding) RideBlockChara(&rider, CharaList);
    rider.MoveX();
    HitMapX(&rider);
    rider.ApplyCharaGravity();
    rider.MoveY();
    HitMapY(&rider);
    return HitBlockCharas(&rider);
  }
};

}  // namespace

TEST_F(BlockHits, FallingOntoABlockCharacterLandsAndRides) {
  struct Case {
    const char* what;
    bool hero;
    double vy;     // falling speed this sub-step
    double depth;  // how far the box went into the block character's top
    bool lands;    // else the upper half met it: a side contact
  };
  const Case cases[] = {
      {"stage character on the foot strip", false, 5, 3, true},
      {"hero on the foot strip", true, 5, 3, true},
      {"fast and deep: from above", false, 5, 20, true},
      {"slow and deep: a side", false, 1, 20, false},
  };
  for (const Case& c : cases) {
    CharaList.clear();
    Player.clear();
    cChara& b = AddBlockChara(50, 400, 500, 96, 32);
    Listen(b, {16, 17});
    cCharaBase* w = &walker;
    if (c.hero) {
      w = &AddHero();
      Player[0].m_bNoJumpBlock = 1;
    }
    w->m_nID = c.hero ? 0 : 60;
    w->m_bRiding = 0;
    w->ClearWallFlags();
    Listen(*w, {5, 6});
    Place(*w, 420, 500 - 32 - c.vy, 32, 32);  // the box before the fall
    w->m_dY = 500 - 32 + c.depth;
    w->ClampY();
    w->m_dVY = c.vy;
    w->m_bFalling = w->m_bJumping = w->m_bJumpBlocked = 1;
    w->m_nAirSteps = 9;
    EXPECT_EQ(HitBlockCharas(w), 0) << c.what;
    if (!c.lands) {
      EXPECT_EQ(w->m_bRiding, 0) << c.what;
      EXPECT_EQ(w->m_WallR, 1) << c.what;
      EXPECT_DOUBLE_EQ(w->m_dX, 400 - 32 - 0.5) << c.what;
      EXPECT_EQ(Heard(*w), std::vector<int>{5}) << c.what;
      EXPECT_EQ(Heard(b), std::vector<int>{}) << c.what;
      continue;
    }
    EXPECT_DOUBLE_EQ(w->m_dY, 500 - 32) << c.what;
    EXPECT_DOUBLE_EQ(w->m_dBottom, 499) << c.what;
    EXPECT_EQ(w->m_bRiding, 1) << c.what;
    EXPECT_EQ(w->m_nRideId, 50) << c.what;
    EXPECT_DOUBLE_EQ(w->m_RideBox.top, 500) << c.what;
    EXPECT_EQ(w->m_dVY, 0) << c.what;
    EXPECT_EQ(w->m_nAirSteps + w->m_bFalling + w->m_bJumping, 0) << c.what;
    // Stage characters may jump again at once; the hero's own jump rules
    // clear its flag, and its foot-block jump ban goes.
    EXPECT_EQ(w->m_bJumpBlocked, c.hero ? 1 : 0) << c.what;
    if (c.hero) {
      EXPECT_EQ(Player[0].m_bNoJumpBlock, 0);
    }
    EXPECT_EQ(Heard(*w), (std::vector<int>{5, 6})) << c.what;
    EXPECT_EQ(Heard(b), c.hero ? (std::vector<int>{16, 17}) : std::vector<int>{17}) << c.what;
  }
}

TEST_F(BlockHits, HeroRidesAMovingBlockCharacter) {
  struct Case {
    double vx, vy;  // the platform's velocity per sub-step
  };
  const Case cases[] = {{2, 0}, {-3, 1}, {1, -2}, {0, 3}};
  for (const Case& c : cases) {
    CharaList.clear();
    Player.clear();
    cChara& platform = AddBlockChara(50, 500, 560, 96, 32);
    platform.m_dVX = c.vx;
    platform.m_dVY = c.vy;
    cHero& hero = AddHero();
    Place(hero, 530, 560 - 32 - 4, 32, 32);  // falls the last pixels first
    int landedAt = -1;
    for (int step = 1; step <= 30; ++step) {
      ASSERT_EQ(SubStep(hero), 0) << c.vx << "," << c.vy << " step " << step;
      if (hero.m_bRiding && landedAt < 0) landedAt = step;
      if (landedAt > 0) {
        // Carried: standing on the platform's top wherever it goes.
        ASSERT_EQ(hero.m_bRiding, 1) << step;
        EXPECT_DOUBLE_EQ(hero.m_dBottom, platform.m_dY - 1) << c.vx << "," << c.vy << " step " << step;
      }
    }
    ASSERT_GT(landedAt, 0);
    // Its horizontal offset on the platform stays what it was at landing.
    EXPECT_DOUBLE_EQ(hero.m_dX - platform.m_dX, 530 - (500 + c.vx * landedAt)) << c.vx << "," << c.vy;
  }
}

TEST_F(BlockHits, ASinkingBlockCharacterKeepsItsRiderUnlessAMapBlockIsThere) {
  for (bool solid : {false, true}) {
    CharaList.clear();
    world.SetBlock(3, 5, solid ? 1 : 0);  // the cell the rider's head has sunk into
    AddBlockChara(50, 400, 512, 96, 32, 0, 2);
    Place(walker, 420, 512 - 32 + 2, 32, 32);  // carried down 2 pixels too far
    walker.m_bRiding = 1;
    walker.m_nRideId = 50;
    EXPECT_EQ(HitBlockCharas(&walker), 0);
    if (solid) {
      EXPECT_DOUBLE_EQ(walker.m_dY, 512 - 32 + 2);  // the try failed: nothing moved
      EXPECT_EQ(walker.m_bRiding, 0);
    } else {
      EXPECT_DOUBLE_EQ(walker.m_dY, 512 - 32);
      EXPECT_EQ(walker.m_bRiding, 1);
    }
  }
}

TEST_F(BlockHits, WalkerCrushedBetweenBlockCharacters) {
  struct Case {
    const char* what;
    bool onPlatform;  // else on the map floor
    double leftX, rightX;
    int result;
  };
  const Case cases[] = {
      // Both pushers cover the walker's corners: crushed wherever it stands.
      {"on the floor, squeezed", false, 400 - 32 + 2, 430, 2},
      {"standing on a block character, squeezed", true, 400 - 32 + 2, 430, 2},
      // One pusher only: pushed aside.
      {"one pusher", false, 400 - 32 + 2, 520, 0},
  };
  for (const Case& c : cases) {
    CharaList.clear();
    walker.m_bRiding = 0;
    walker.m_bLeftRide = 0;
    walker.ClearWallFlags();
    if (c.onPlatform) AddBlockChara(52, 380, 478, 96, 32);  // 2 pixels under the feet
    AddBlockChara(50, c.leftX, 448, 32, 32, 2, 0);
    AddBlockChara(51, c.rightX, 448, 32, 32, -2, 0);
    Place(walker, 400, 448, 32, 32);
    EXPECT_EQ(HitBlockCharas(&walker), c.result) << c.what;
    if (c.result == 0) {
      EXPECT_EQ(walker.m_WallL, 1) << c.what;
      EXPECT_DOUBLE_EQ(walker.m_dX, c.leftX + 31 + 1.5) << c.what;
      EXPECT_EQ(walker.m_bLeftRide, 1) << c.what;
    }
  }
}

TEST_F(BlockHits, PushedIntoTheMapEasesBackByTenthsForAtMostFifteenSteps) {
  struct Case {
    double blockRight;  // the pusher's right edge; the walker ends 1.5 beyond it
    double expectX;
  };
  // A push to x = 417.5 puts the right edge at 448.5, in map column 4
  // (world 448..479): five tenths bring it back (to just under 417). A push
  // to 420 would need more than fifteen tenths, which are all it gets.
  const Case cases[] = {{416, 417.0}, {418.5, 418.5}};
  for (const Case& c : cases) {
    CharaList.clear();
    world.SetBlock(4, 3, 1);
    AddBlockChara(50, c.blockRight - 31, 416, 32, 32, 1, 0);
    Place(walker, c.blockRight - 1, 416, 32, 32);
    walker.ClearWallFlags();
    EXPECT_EQ(HitBlockCharas(&walker), 0);
    EXPECT_EQ(walker.m_WallL, 1);
    EXPECT_NEAR(walker.m_dX, c.expectX, 1e-9) << c.blockRight;
    EXPECT_EQ(walker.CornerOnBlock(), c.blockRight == 416 ? 0 : 1) << c.blockRight;
  }
}

// With no block character at all the walker's closing checks still act on
// its wall flags from the map and on a ride it believes in.
TEST_F(BlockHits, WithoutBlockCharactersTheClosingChecksStillAct) {
  struct Case {
    const char* what;
    int wallL, wallR, wallU, wallD, riding;
    int result;
    double expectX;
    int ridingAfter, leftRide;
    std::vector<int> heard;
  };
  // At x = 417.5 the right edge (448.5) is in the map block of column 4
  // (448..479): a left wall eases it back by five tenths to 417.
  const Case cases[] = {
      {"nothing touched", 0, 0, 0, 0, 0, 0, 417.5, 0, 0, {}},
      {"left wall in the map", 1, 0, 0, 0, 0, 0, 417.0, 0, 0, {}},
      {"walls left and right", 1, 1, 0, 0, 0, 2, 417.5, 0, 0, {}},
      {"walls above and below", 0, 0, 1, 1, 0, 2, 417.5, 0, 0, {}},
      {"a ride on nothing", 0, 0, 0, 0, 1, 0, 417.5, 0, 1, {5, 6}},
  };
  world.SetBlock(4, 3, 1);
  for (const Case& c : cases) {
    Listen(walker, {5, 6});
    Place(walker, 417.5, 416, 32, 32);
    walker.m_WallL = c.wallL;
    walker.m_WallR = c.wallR;
    walker.m_WallU = c.wallU;
    walker.m_WallD = c.wallD;
    walker.m_bRiding = c.riding;
    walker.m_bLeftRide = 0;
    EXPECT_EQ(HitBlockCharas(&walker), c.result) << c.what;
    EXPECT_NEAR(walker.m_dX, c.expectX, 1e-9) << c.what;
    EXPECT_EQ(walker.m_bRiding, c.ridingAfter) << c.what;
    EXPECT_EQ(walker.m_bLeftRide, c.leftRide) << c.what;
    EXPECT_EQ(Heard(walker), c.heard) << c.what;
  }
}

TEST_F(BlockHits, HeadHitUnderARisingBlockCharacterIsCarriedOnlyWhereFree) {
  enum { kFree, kOtherBlockChara, kMapBlock };
  for (int place : {kFree, kOtherBlockChara, kMapBlock}) {
    CharaList.clear();
    walker.ClearWallFlags();
    walker.m_bJumpBlocked = walker.m_bJumping = walker.m_bJumpRise = 0;
    AddBlockChara(50, 400, 400, 96, 32, 0, -1);
    // Something in the strip the walker would be lifted into.
    if (place == kOtherBlockChara) AddBlockChara(51, 446, 440, 32, 8);
    if (place == kMapBlock) world.SetBlock(3, 4, 1);
    Place(walker, 420, 429, 32, 32);  // 3 pixels under the rising bottom
    walker.m_dVY = -4;
    EXPECT_EQ(HitBlockCharas(&walker), 0) << place;
    if (place != kFree) {
      EXPECT_DOUBLE_EQ(walker.m_dY, 429) << place;
      EXPECT_EQ(walker.m_dVY, -4) << place;
    } else {
      EXPECT_DOUBLE_EQ(walker.m_dY, 432);
      EXPECT_EQ(walker.m_dVY, -1);  // the block character's speed
      EXPECT_EQ(walker.m_bJumpBlocked + walker.m_bJumping + walker.m_bJumpRise, 3);
    }
  }
}

TEST_F(BlockHits, LeavingAndKeepingARide) {
  struct Case {
    const char* what;
    double impactY;
    int rideId;  // the ride the walker believes in
    double gap;  // between its feet and the platform below
    int riding, rideIdAfter, leftRide;
  };
  const Case cases[] = {
      {"knocked upward", -2, 50, 0, 0, 50, 1},
      {"standing on it", 0, 50, 0, 1, 50, 0},
      {"within five pixels", 0, 50, 4, 1, 50, 0},
      {"another one below", 0, 77, 0, 1, 50, 0},
      {"nothing below", 0, 50, 5, 0, 50, 1},
  };
  for (const Case& c : cases) {
    CharaList.clear();
    cChara& b = AddBlockChara(50, 400, 500, 96, 32);
    Place(walker, 420, 500 - 32 - c.gap, 32, 32);
    walker.m_bRiding = 1;
    walker.m_bLeftRide = 0;
    walker.m_nRideId = c.rideId;
    walker.m_RideBox = cRectD{};
    walker.m_ImpactY = c.impactY;
    walker.m_nAirSteps = 3;
    EXPECT_EQ(HitBlockCharas(&walker), 0) << c.what;
    EXPECT_EQ(walker.m_bRiding, c.riding) << c.what;
    EXPECT_EQ(walker.m_nRideId, c.rideIdAfter) << c.what;
    EXPECT_EQ(walker.m_bLeftRide, c.leftRide) << c.what;
    if (c.riding) {
      EXPECT_DOUBLE_EQ(walker.m_RideBox.left, b.m_dX) << c.what;
      EXPECT_EQ(walker.m_nAirSteps, 0) << c.what;
    }
  }
}

TEST_F(BlockHits, Flyers) {
  struct Case {
    const char* what;
    int flyMode;
    double blockVX;  // the block character's last move
    int result;
    double x, y;  // the flyer's position afterwards
  };
  // The flyer (32 x 32 at 420, 400) overlaps a 32 x 32 block character at
  // (446, 420) by 6 pixels on its right and 12 at its bottom.
  const Case cases[] = {
      {"passes through", 1, 0, 0, 420, 400},
      {"dies on it", 3, 0, 2, 420, 400},
      {"stopped: pushed out to the left", 2, 0, 0, 446 - 32, 400},
      // A block character moving away (right) did not push: the overlap is
      // resolved on the other axis, which puts the flyer on top of it.
      {"stopped, the block moving away", 2, 1, 0, 420, 420 - 32},
  };
  for (const Case& c : cases) {
    CharaList.clear();
    cChara flyer;
    flyer.m_nID = 61;
    flyer.m_nObjKind = 1;
    flyer.SetFlyMode(c.flyMode);
    Listen(flyer, {5});
    AddBlockChara(50, 446, 420, 32, 32, c.blockVX, 0);
    Place(flyer, 420, 400, 32, 32);
    flyer.m_dVX2 = 3;
    EXPECT_EQ(HitBlockCharas(&flyer), c.result) << c.what;
    EXPECT_DOUBLE_EQ(flyer.m_dX, c.x) << c.what;
    EXPECT_DOUBLE_EQ(flyer.m_dY, c.y) << c.what;
    EXPECT_EQ(Heard(flyer), c.flyMode == 1 ? std::vector<int>{} : std::vector<int>{5}) << c.what;
    EXPECT_EQ(flyer.m_WallR, c.flyMode == 1 || c.blockVX > 0 ? 0 : 1) << c.what;
    EXPECT_EQ(flyer.m_dVX2, c.flyMode == 2 ? 0 : 3) << c.what;
  }
}

}  // namespace block_hits_test
