// ctest-label: engine
// Object hits and the damage rules: piercing and vanishing shots, the
// invincibility statuses and times, immunity, body hits, cancelling shots,
// defence, and the hit-testing flag.
#include "engine/objects/Hits.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <string>
#include <vector>

#include "data/Stage.h"
#include "data/System.h"
#include "engine/Names.h"
#include "engine/objects/Chara.h"
#include "engine/objects/CharaBase.h"
#include "tests/engine/engine_fixture.h"
#include "tests/support/EngineFakes.h"

// The file's own namespace keeps its helpers apart from other test files compiled with it.
namespace hits_test {

namespace {

void SetBox(cRectD& r, double l, double t, double w, double h) { r = cRectD{l, t, l + w - 1, t + h - 1}; }

struct HitsTest : ::testing::Test {
  enginetest::World world{60, 40, 1};
  testsupport::FakeEngineServices services;
  cChara a, b;  // faction 1
  cChara owner;
  int savedOnScreen = 0, savedHeroImm = 0, savedCharaImm = 0, savedCharaInv = 0;

  void SetUp() override {
    savedOnScreen = Stage.m_OnScreenHitsOnly;
    savedCharaImm = nm::stage::CharaImmuneFrames(Stage);
    savedHeroImm = nm::stage::HeroImmuneFrames(Stage);
    savedCharaInv = nm::stage::CharaInvincibleFrames(Stage);
    Stage.m_OnScreenHitsOnly = 0;
    nm::stage::CharaImmuneFrames(Stage) = 30;
    nm::stage::CharaInvincibleFrames(Stage) = 0;
    for (cChara* c : {&a, &b}) {
      c->m_nObjKind = 1;
      c->m_bActive = 1;
      c->m_nBlockSide = 1;
      nm::chara::MaxHp(c->m_Def) = 100;
      c->m_nHp = 100;
    }
    a.m_nID = 1;
    b.m_nID = 2;
    SetBox(a.m_HitBoxShot.rc, 100, 100, 32, 32);
    SetBox(b.m_HitBoxShot.rc, 120, 100, 32, 32);
    owner.m_nID = 9;
    owner.m_nObjKind = 1;
    owner.m_nBlockSide = 0;
    world.m_FactionCharas[1] = {&a, &b};
  }
  void TearDown() override {
    while (!world.m_Shots.empty()) RemoveShot(world.m_Shots, world.m_Shots.begin());
    Stage.m_OnScreenHitsOnly = savedOnScreen;
    nm::stage::CharaImmuneFrames(Stage) = savedCharaImm;
    nm::stage::HeroImmuneFrames(Stage) = savedHeroImm;
    nm::stage::CharaInvincibleFrames(Stage) = savedCharaInv;
    SystemData.m_Switch763b = 0;
  }

  // A shot of faction 0 whose hit rectangle covers both characters.
  cShot* AddTestShot(int power, int pierce, int cancel = 0, int strength = 0, double x = 110) {
    cShot s;
    s.m_nBlockSide = 0;
    s.m_bShot = 1;
    s.m_lpOwner = &owner;
    s.m_ShotDef.m_Attack = power;
    s.m_ShotDef.m_PierceChara = static_cast<uint8_t>(pierce);
    s.m_ShotDef.m_HitsShots = static_cast<uint8_t>(cancel);
    s.m_ShotDef.m_ShotStrength = static_cast<uint8_t>(strength);
    s.m_dX = x;
    s.m_dY = 100;
    s.m_nW = s.m_nH = 16;
    s.m_dRight = x + 15;
    s.m_dBottom = 115;
    SetBox(s.m_HitRect, x, 100, 16, 16);
    return AddShot(world.m_Shots, s);
  }
  int Sounds(const std::string& what) const {
    const auto& c = services.calls();
    return static_cast<int>(std::count(c.begin(), c.end(), what));
  }
};

}  // namespace

TEST_F(HitsTest, PiercingShotHitsBothAndGoesOnNonPiercingVanishesAfterBoth) {
  cShot* p = AddTestShot(10, 1);
  EXPECT_EQ(HitShotsAndCharas(), 0);
  EXPECT_EQ(a.m_nHp, 90);
  EXPECT_EQ(b.m_nHp, 90);
  ASSERT_EQ(world.m_Shots.size(), 1u);
  EXPECT_EQ(p->m_HitList.size(), 2u);
  EXPECT_EQ(Sounds("sound 7"), 2);
  // A character already in the hit list is not hit again.
  HitShotsAndCharas();
  EXPECT_EQ(a.m_nHp, 90);

  RemoveShot(world.m_Shots, world.m_Shots.begin());
  AddTestShot(10, 0);
  HitShotsAndCharas();
  EXPECT_EQ(a.m_nHp, 80);
  EXPECT_EQ(b.m_nHp, 80);
  EXPECT_TRUE(world.m_Shots.empty());
  EXPECT_TRUE(world.m_FactionShots[0].empty());
  EXPECT_EQ(world.m_bHitTesting, 0);
}

TEST_F(HitsTest, InvincibilityStatusesAndTime) {
  nm::chara::Invincible(a.m_Def) = 2;  // shots pass through
  nm::chara::Invincible(b.m_Def) = 1;  // hit, no HP lost
  AddTestShot(10, 1);
  HitShotsAndCharas();
  EXPECT_EQ(a.m_nHp, 100);
  EXPECT_EQ(b.m_nHp, 100);
  EXPECT_EQ(world.m_Shots.front().m_HitList.size(), 1u);
  EXPECT_EQ(world.m_Shots.front().m_HitList.front(), &b);
  RemoveShot(world.m_Shots, world.m_Shots.begin());

  // While the invincibility time runs, an attacking shot passes by; a
  // harmless one still hits (and vanishes) without damage.
  nm::chara::Invincible(a.m_Def) = 0;
  nm::chara::Invincible(b.m_Def) = 0;
  world.m_FactionCharas[1] = {&a};
  a.m_nInvincible = 5;
  AddTestShot(10, 0);
  HitShotsAndCharas();
  EXPECT_EQ(a.m_nHp, 100);
  EXPECT_EQ(world.m_Shots.size(), 1u);
  RemoveShot(world.m_Shots, world.m_Shots.begin());
  AddTestShot(0, 0);
  HitShotsAndCharas();
  EXPECT_TRUE(world.m_Shots.empty());
  EXPECT_EQ(a.m_nHp, 100);
}

TEST_F(HitsTest, AttackingShotStartsTheInvincibilityTime) {
  nm::stage::CharaInvincibleFrames(Stage) = 4;
  world.m_FactionCharas[1] = {&a};
  AddTestShot(10, 1);
  HitShotsAndCharas();
  EXPECT_EQ(a.m_nInvincible, 4);
  for (int i = 0; i < 4; ++i) UpdateInvincibility(&a);
  EXPECT_EQ(a.IsInvincible(), 0);
}

// The stage's invincibility and immunity times are frames: n sub-steps each.
TEST_F(HitsTest, ImmunityAndInvincibilityLastTheirFramesInSubSteps) {
  nm::stage::HeroInvincibleFrames(Stage) = 3;
  nm::stage::HeroImmuneFrames(Stage) = 20;
  nm::stage::CharaInvincibleFrames(Stage) = 4;
  nm::stage::CharaImmuneFrames(Stage) = 30;
  struct Case {
    int hitLevel;  // n = 1, 3 and (level 12) 2
    int kind;      // 0 the hero, 1 a stage character
    int invincibleSteps, immuneSteps;
  };
  const Case cases[] = {
      {1, 1, 4, 30}, {3, 1, 12, 90}, {12, 1, 8, 60},  // 4n and 30n
      {1, 0, 3, 20}, {3, 0, 9, 60},  {12, 0, 6, 40},  // 3n and 20n
  };
  for (const Case& c : cases) {
    Stage.SetHitLevel(c.hitLevel);
    cChara v;
    v.m_nObjKind = c.kind;
    AddHitImmunity(&v, 42);
    const std::string what = "level " + std::to_string(c.hitLevel) + " kind " + std::to_string(c.kind);
    for (int k = 0; k <= c.immuneSteps; ++k) {
      // After k sub-steps of countdown.
      ASSERT_EQ(v.IsInvincible(), k < c.invincibleSteps ? 1 : 0) << what << " step " << k;
      ASSERT_EQ(v.IsImmuneTo(42), k < c.immuneSteps ? 1 : 0) << what << " step " << k;
      // Another attacker is kept off only by the invincibility.
      ASSERT_EQ(v.IsImmuneTo(43), k < c.invincibleSteps ? 1 : 0) << what << " step " << k;
      UpdateInvincibility(&v);
    }
    EXPECT_TRUE(v.m_Immunity.empty()) << what;
  }
}

TEST_F(HitsTest, BodyHitsOncePerImmunityPeriod) {
  cChara e;
  e.m_nID = 3;
  e.m_nObjKind = 1;
  e.m_bActive = 1;
  e.m_nBlockSide = 2;
  nm::chara::MaxHp(e.m_Def) = 100;
  e.m_nHp = 100;
  nm::chara::BodyPower(e.m_Def) = 15;
  SetBox(a.m_HitBoxChara.rc, 100, 100, 32, 32);
  SetBox(e.m_HitBoxChara.rc, 131, 100, 32, 32);  // touching edges overlap
  world.m_FactionCharas[1] = {&a};
  world.m_FactionCharas[2] = {&e};
  HitShotsAndCharas();
  EXPECT_EQ(a.m_nHp, 85);
  EXPECT_EQ(e.m_nHp, 100);  // a has no body power
  HitShotsAndCharas();
  EXPECT_EQ(a.m_nHp, 85);
  for (int i = 0; i < 30; ++i) UpdateInvincibility(&a);
  HitShotsAndCharas();
  EXPECT_EQ(a.m_nHp, 70);
  world.m_FactionCharas[2].clear();
}

namespace {

// Services whose hit sound moves the camera to x 1000, as a flow run by a
// touching pair might.
class CameraMovingServices : public testsupport::FakeEngineServices {
 public:
  void PlaySound(int slot) override {
    FakeEngineServices::PlaySound(slot);
    CurrentWorld().m_ScrollX.m_dPos = 1000;
  }
};

void PlaceHitChara(cChara& c, double x, double y) {
  c.m_dX = x;
  c.m_dY = y;
  c.m_dRight = x + 31;
  c.m_dBottom = y + 31;
  SetBox(c.m_HitBoxShot.rc, x, y, 32, 32);
}

}  // namespace

// With hits on screen only, each shot is placed by the camera as it is: a
// touching pair that moves the camera moves the view of the shots after it.
TEST_F(HitsTest, OnScreenHitsFollowACameraMovedByATouchingPair) {
  CameraMovingServices moving;
  Stage.m_OnScreenHitsOnly = 1;
  world.m_ScrollX.m_dPos = 320;  // view x 320..959, y 320..799
  world.m_ScrollY.m_dPos = 320;
  PlaceHitChara(a, 400, 400);
  PlaceHitChara(b, 1400, 400);  // in view only once the camera is at 1000
  struct Case {
    const char* name;
    double x;
    cChara* target;
  };
  const Case cases[] = {
      {"a shot in the first view", 405, &a},
      {"a shot in the moved view", 1405, &b},
  };
  for (const Case& c : cases) {
    cShot* s = AddTestShot(10, 1, 0, 0, c.x);
    s->m_dY = 405;
    s->m_dBottom = 420;
    SetBox(s->m_HitRect, c.x, 405, 16, 16);
  }
  EXPECT_EQ(HitShotsAndCharas(), 0);
  for (const Case& c : cases) EXPECT_EQ(c.target->m_nHp, 90) << c.name;
  EXPECT_DOUBLE_EQ(world.m_ScrollX.m_dPos, 1000);
}

// Which shots are tested at all: a marked shot never, a shot out of view
// only while hits are not limited to the screen. The view is x 320..959,
// y 320..799; every hit rectangle lies on the character at (400, 400).
TEST_F(HitsTest, MarkedShotsAndShotsOutOfViewAreNotTested) {
  PlaceHitChara(a, 400, 400);
  PlaceHitChara(b, 1400, 1400);  // touched by none
  struct Case {
    const char* name;
    int noHit, onScreenOnly;
    double boxX;  // the shot's box, 16 wide, at y 405
    int hp;
  };
  const Case cases[] = {
      {"in view, on-screen hits", 0, 1, 405, 90},
      {"left edge on the view's far side, on-screen hits", 0, 1, 960, 100},
      {"right edge on the view's left side, on-screen hits", 0, 1, 305, 90},
      {"out of view, every hit", 0, 0, 2000, 90},
      {"marked, in view", 1, 0, 405, 100},
  };
  for (const Case& c : cases) {
    a.m_nHp = 100;
    Stage.m_OnScreenHitsOnly = c.onScreenOnly;
    cShot* s = AddTestShot(10, 1, 0, 0, c.boxX);
    s->m_dY = 405;
    s->m_dBottom = 420;
    s->m_bNoHit = c.noHit;
    SetBox(s->m_HitRect, 405, 405, 16, 16);
    EXPECT_EQ(HitShotsAndCharas(), 0) << c.name;
    EXPECT_EQ(a.m_nHp, c.hp) << c.name;
    while (!world.m_Shots.empty()) RemoveShot(world.m_Shots, world.m_Shots.begin());
  }
}

TEST_F(HitsTest, CancellingShots) {
  struct Case {
    const char* what;
    int vCancel, vStrength, wCancel, wStrength;
    bool vStays, wStays;
  };
  const Case cases[] = {
      {"equal strength", 1, 3, 1, 3, false, false}, {"w weaker", 1, 3, 1, 2, true, false},
      {"w stronger", 1, 2, 1, 3, false, true},      {"only v cancels", 1, 0, 0, 0, false, true},
      {"only w cancels", 0, 0, 1, 0, true, false},  {"neither", 0, 0, 0, 0, true, true},
  };
  world.m_FactionCharas[1].clear();
  for (const Case& c : cases) {
    cShot* v = AddTestShot(0, 0, c.vCancel, c.vStrength);
    cShot* w = AddTestShot(0, 0, c.wCancel, c.wStrength, 120);
    world.m_FactionShots[0].clear();
    world.m_FactionShots[0].push_back(v);
    w->m_nBlockSide = 3;
    world.m_FactionShots[3].push_back(w);
    HitShotsAndCharas();
    EXPECT_EQ(std::count(world.m_FactionShots[0].begin(), world.m_FactionShots[0].end(), v), c.vStays) << c.what;
    EXPECT_EQ(std::count(world.m_FactionShots[3].begin(), world.m_FactionShots[3].end(), w), c.wStays) << c.what;
    EXPECT_EQ(world.m_Shots.size(), static_cast<size_t>(c.vStays + c.wStays)) << c.what;
    while (!world.m_Shots.empty()) RemoveShot(world.m_Shots, world.m_Shots.begin());
  }
}

TEST_F(HitsTest, DefenceAndHealing) {
  struct Case {
    int power, defence, hpAfter;
  };
  const Case cases[] = {{100, 120, 50}, {0, 50, 50}, {-5, 50, 55}, {30, 10, 30}};
  cChara e;
  for (const Case& c : cases) {
    a.m_nHp = 50;
    nm::chara::Defence(a.m_Def) = c.defence;
    nm::chara::BodyPower(e.m_Def) = c.power;
    EXPECT_EQ(TakeBodyAttack(&a, &e), 0);
    EXPECT_EQ(a.m_nHp, c.hpAfter) << c.power << " vs " << c.defence;
  }
  // The most negative power from a file heals up to the maximum.
  a.m_nHp = 50;
  nm::chara::Defence(a.m_Def) = 0;
  nm::chara::BodyPower(e.m_Def) = INT_MIN;
  EXPECT_EQ(TakeBodyAttack(&a, &e), 0);
  EXPECT_EQ(a.m_nHp, nm::chara::MaxHp(a.m_Def));
  EXPECT_GT(a.m_nHp, 50);
}

TEST_F(HitsTest, ShotHitMaskIsIndexedBySubStepFromOne) {
  Stage.m_ObjectHitLevel = 1;
  world.m_ShotHitMask = {1, 0, 1};
  world.m_FactionCharas[1] = {&a};
  AddTestShot(10, 1);
  world.m_nSubStep = 2;  // mask entry 1: off
  HitShotsAndCharas();
  EXPECT_EQ(a.m_nHp, 100);
  world.m_nSubStep = 3;
  HitShotsAndCharas();
  EXPECT_EQ(a.m_nHp, 90);
  world.m_nSubStep = 7;  // beyond the mask: tested
  Stage.m_ObjectHitLevel = 0;
}

TEST_F(HitsTest, ADefeatedCharacterEndsTheTestAndTheFlagIsCleared) {
  a.m_nHp = 5;
  world.m_FactionCharas[1] = {&a};
  AddTestShot(10, 1);
  EXPECT_EQ(HitShotsAndCharas(), 0);
  EXPECT_EQ(a.m_bDead, 1);
  EXPECT_EQ(Sounds("sound 9"), 1);
  EXPECT_EQ(world.m_bHitTesting, 0);
  // A dead character is not hit again.
  RemoveShot(world.m_Shots, world.m_Shots.begin());
  AddTestShot(10, 1);
  HitShotsAndCharas();
  EXPECT_EQ(Sounds("sound 9"), 1);
}

// ---------------------------------------------------------- block characters

namespace {

cChara& AddBlockChara(int id, double x, double y, int w, int h) {
  CharaList.emplace_back();
  cChara& b = CharaList.back();
  b.m_nID = id;
  b.m_nObjKind = 1;
  b.m_bActive = 1;
  nm::chara::BlockChara(b.m_Def) = 1;
  b.m_nW = w;
  b.m_nH = h;
  b.m_dX = x;
  b.m_dY = y;
  b.m_dRight = x + w - 1;
  b.m_dBottom = y + h - 1;
  return b;
}

void Place(cCharaBase& c, double x, double y, int w, int h) {
  c.m_nW = w;
  c.m_nH = h;
  c.m_dX = x;
  c.m_dY = y;
  c.m_dRight = x + w - 1;
  c.m_dBottom = y + h - 1;
}

}  // namespace

TEST_F(HitsTest, PushedOutOfBlockCharactersAndRidingTests) {
  AddBlockChara(50, 400, 400, 64, 32);  // a platform
  AddBlockChara(51, 420, 300, 32, 64);  // a pillar
  cChara walker;
  walker.m_nID = 60;
  Place(walker, 440, 330, 32, 32);  // inside the pillar's right part
  ResolveBlockCharaOverlap(&walker, 0);
  EXPECT_EQ(walker.m_WallL, 1);
  EXPECT_DOUBLE_EQ(walker.m_dX, 452);
  EXPECT_EQ(walker.m_bLeftRide, 1);

  Place(walker, 410, 380, 32, 32);  // sunk into the platform's top
  walker.m_WallD = 0;
  ResolveBlockCharaOverlap(&walker, 1);
  EXPECT_EQ(walker.m_WallD, 1);
  EXPECT_DOUBLE_EQ(walker.m_dY, 400 - 32);

  // Standing on the platform: still riding within 5 pixels below.
  Place(walker, 460, 366, 32, 32);
  walker.m_nRideId = 50;
  EXPECT_EQ(IsStillRiding(&walker), 1);
  EXPECT_EQ(FindBlockCharaBelow(&walker)->m_nID, 50);
  Place(walker, 460, 360, 32, 32);
  EXPECT_EQ(IsStillRiding(&walker), 0);
  EXPECT_EQ(FindBlockCharaBelow(&walker), nullptr);

  Place(walker, 410, 380, 32, 32);
  EXPECT_EQ(OverlapsBlockCharaExcept(&walker, 0), 1);
  EXPECT_EQ(OverlapsBlockCharaExcept(&walker, 50), 0);  // only the platform touches
  Place(walker, 410, 350, 32, 32);
  EXPECT_EQ(OverlapsBlockCharaExcept(&walker, 50), 1);  // the pillar
  EXPECT_EQ(OverlapsBlockCharaExcept(&walker, 51), 0);
  Place(walker, 470, 380, 32, 32);
  EXPECT_EQ(OverlapsBlockCharaExcept(&walker, 50), 0);
  walker.SetFlyMode(1);  // passes through blocks
  EXPECT_EQ(OverlapsBlockCharaExcept(&walker, 0), 0);
  CharaList.clear();
}

}  // namespace hits_test
