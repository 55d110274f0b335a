// ctest-label: engine
// The kept list of block characters: a character added, removed, set up
// again or copied over between two scans of one sub-step is seen by the
// next scan exactly as CharaList holds it then, in list order, and a change
// of life or activity counts at once.
#include <gtest/gtest.h>

#include <functional>
#include <iterator>

#include "data/CharaDef.h"
#include "data/EdShot.h"
#include "engine/Names.h"
#include "engine/World.h"
#include "engine/objects/BlockCharaCache.h"
#include "engine/objects/Chara.h"
#include "engine/objects/Hits.h"
#include "engine/rules/Rules.h"
#include "tests/engine/engine_fixture.h"
#include "tests/support/EngineFakes.h"

namespace {

void Place(cCharaBase& c, double x, double y, int w, int h) {
  c.m_nW = w;
  c.m_nH = h;
  c.m_dX = x;
  c.m_dY = y;
  c.ClampX();
  c.ClampY();
  c.SavePrevBox();
}

cCharaDef BlockDef(int block) {
  cCharaDef d;
  nm::chara::BlockChara(d) = static_cast<int8_t>(block);
  d.m_Size = 1;
  d.m_Fly = 1;
  return d;
}

struct BlockCharaCache : ::testing::Test {
  enginetest::World world{30, 20, 1};
  testsupport::FakeEngineServices services;
  int32_t nextId = 50;

  void TearDown() override {
    CharaList.clear();
    Player.clear();
  }
  // A block character spawned the way flows and shots spawn them, with its
  // 32 x 32 box's top left at (x, y).
  cChara& Spawn(double x, double y) {
    const cCharaDef def = BlockDef(1);
    const cEdShot params;
    SpawnChara(CharaList, x, y, 1, 0, 0, &params, &def, &nextId, nullptr);
    cChara& b = CharaList.back();
    b.m_bActive = 1;
    return b;
  }
  // A listed character of the given definition, its box at (x, y).
  cChara& Add(int block, double x, double y) {
    CharaList.emplace_back();
    cChara& c = CharaList.back();
    const cCharaDef def = BlockDef(block);
    c.Setup(nextId++, &def, nullptr, x, y, 0);
    c.m_bActive = 1;
    Place(c, x, y, 32, 32);
    return c;
  }
  // A walker that has just fallen 3 pixels into the top of the box at
  // (400, 500).
  cChara Walker(int id) {
    cChara w;
    w.m_nID = id;
    w.m_nObjKind = 1;
    w.m_bActive = 1;
    Place(w, 410, 500 - 32 - 5, 32, 32);
    w.m_dY = 500 - 32 + 3;
    w.ClampY();
    w.m_dVY = 5;
    w.m_bFalling = 1;
    return w;
  }
};

}  // namespace

TEST_F(BlockCharaCache, ACharacterAddedOrRemovedBetweenTwoWalkersCountsForTheSecond) {
  cChara before = Walker(1);
  EXPECT_EQ(HitBlockCharas(&before), 0);
  EXPECT_EQ(before.m_bRiding, 0);
  EXPECT_TRUE(NoBlockCharas());

  cChara& b = Spawn(400, 500);
  ASSERT_DOUBLE_EQ(b.m_dY, 500);
  // The quick test sees the new one before any scan, and again after one.
  EXPECT_FALSE(NoBlockCharas());
  EXPECT_FALSE(NoBlockCharas());
  cChara during = Walker(2);
  EXPECT_EQ(HitBlockCharas(&during), 0);
  EXPECT_EQ(during.m_bRiding, 1);
  EXPECT_EQ(during.m_nRideId, b.m_nID);
  EXPECT_DOUBLE_EQ(during.m_dY, 500 - 32);

  RemoveCharaNode(CharaList, std::prev(CharaList.end()));
  EXPECT_TRUE(NoBlockCharas());
  cChara after = Walker(3);
  EXPECT_EQ(HitBlockCharas(&after), 0);
  EXPECT_EQ(after.m_bRiding, 0);
  EXPECT_DOUBLE_EQ(after.m_dY, 500 - 32 + 3);
  EXPECT_EQ(FindBlockCharaBelow(&after), nullptr);
}

TEST_F(BlockCharaCache, TheFirstInListOrderIsFound) {
  cChara w = Walker(1);
  cChara& first = Add(1, 400, 500);
  Add(1, 420, 500);
  EXPECT_EQ(FindBlockCharaBelow(&w), &first);

  CharaList.emplace_front(first);  // a copy ahead of it
  EXPECT_EQ(FindBlockCharaBelow(&w), &CharaList.front());

  CharaList.pop_front();
  auto between = CharaList.insert(std::next(CharaList.begin()), first);
  CharaList.pop_front();
  EXPECT_EQ(FindBlockCharaBelow(&w), &*between);

  CharaList.clear();
  EXPECT_EQ(FindBlockCharaBelow(&w), nullptr);
}

TEST_F(BlockCharaCache, ADefinitionThatBecomesABlockCharacterIsPickedUp) {
  struct Case {
    const char* what;
    int blockBefore;
    std::function<void(cChara&)> change;
    bool seen;
  };
  const Case cases[] = {
      {"set up from a block definition", 0,
       [](cChara& c) {
         const cCharaDef def = BlockDef(1);
         c.Setup(c.m_nID, &def, nullptr, 400, 500, 0);
         c.m_bActive = 1;
         Place(c, 400, 500, 32, 32);
       },
       true},
      {"copied over from a block character", 0,
       [](cChara& c) {
         cChara other = c;
         nm::chara::BlockChara(other.m_Def) = 1;
         c = other;
       },
       true},
      {"its field written in place, with notice", 0,
       [](cChara& c) {
         nm::chara::BlockChara(c.m_Def) = 1;
         NoteCharaChange();
       },
       true},
      {"set up from a plain definition", 1,
       [](cChara& c) {
         const cCharaDef def = BlockDef(0);
         c.Setup(c.m_nID, &def, nullptr, 400, 500, 0);
         c.m_bActive = 1;
         Place(c, 400, 500, 32, 32);
       },
       false},
  };
  for (const Case& k : cases) {
    CharaList.clear();
    cChara w = Walker(1);
    cChara& c = Add(k.blockBefore, 400, 500);
    EXPECT_EQ(FindBlockCharaBelow(&w) != nullptr, k.blockBefore != 0) << k.what;
    k.change(c);
    EXPECT_EQ(FindBlockCharaBelow(&w) == &c, k.seen) << k.what;
    EXPECT_EQ(OverlapsBlockCharaExcept(&w, 0) != 0, k.seen) << k.what;
  }
}

TEST_F(BlockCharaCache, LifeAndActivityCountAtEachScan) {
  cChara w = Walker(1);
  cChara& b = Add(1, 400, 500);
  ASSERT_EQ(FindBlockCharaBelow(&w), &b);
  b.m_bActive = 0;
  EXPECT_EQ(FindBlockCharaBelow(&w), nullptr);
  b.m_bActive = 1;
  b.m_bDead = 1;
  EXPECT_EQ(FindBlockCharaBelow(&w), nullptr);
  b.m_bDead = 0;
  EXPECT_EQ(FindBlockCharaBelow(&w), &b);
  // A block character never finds itself.
  EXPECT_EQ(OverlapsBlockCharaExcept(&b, 0), 0);
}

TEST_F(BlockCharaCache, AListOtherThanCharaListIsScannedItself) {
  cChara w = Walker(1);
  cList<cChara> others;
  others.emplace_back();
  cChara& b = others.back();
  const cCharaDef def = BlockDef(1);
  b.Setup(99, &def, nullptr, 400, 500, 0);
  b.m_bActive = 1;
  Place(b, 400, 500, 32, 32);
  EXPECT_EQ(OverlapsBlockChara(&w, CharaList), 0);
  EXPECT_EQ(OverlapsBlockChara(&w, others), 1);
}
