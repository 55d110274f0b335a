// ctest-label: engine
// The grid that finds the characters a shot can touch: every overlapping
// character comes back once and in list order, far ones stay out, the
// characters that cannot be hit are left out, and rectangles the grid cannot
// place send the caller back to the whole list.
#include "engine/objects/CharaHitIndex.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "engine/Names.h"
#include "engine/objects/Chara.h"
#include "tests/engine/engine_fixture.h"

namespace {

cRectD Box(double l, double t, double w, double h) { return cRectD{l, t, l + w - 1, t + h - 1}; }

struct CharaHitIndexTest : ::testing::Test {
  enginetest::World world{200, 100, 1};
  std::vector<cChara> charas;
  CharaPtrList list;

  // Characters in list order at these hit boxes; all active and hittable.
  void Place(const std::vector<cRectD>& boxes) {
    charas.assign(boxes.size(), cChara());
    list.clear();
    for (size_t i = 0; i < boxes.size(); ++i) {
      cChara& c = charas[i];
      c.m_bActive = 1;
      c.m_HitBoxShot.rc = boxes[i];
      // The object's own box, which the on-screen test reads.
      c.m_dX = boxes[i].left, c.m_dY = boxes[i].top, c.m_dRight = boxes[i].right, c.m_dBottom = boxes[i].bottom;
      list.push_back(&c);
    }
  }
  // The list positions of the characters the index gives for `q`.
  std::vector<size_t> Near(const CharaHitIndex& index, const cRectD& q) {
    std::vector<uint32_t> out;
    EXPECT_TRUE(index.Query(q, out));
    std::vector<size_t> positions;
    for (uint32_t e : out) positions.push_back(static_cast<size_t>(static_cast<cChara*>(index.At(e).chara) - charas.data()));
    return positions;
  }
};

TEST_F(CharaHitIndexTest, OverlappingCharactersComeBackOnceInListOrderAndFarOnesStayOut) {
  // List order runs against the x order; #1 spans many 64-pixel cells, #4 is
  // 3,000 pixels away from everything else.
  Place({Box(900, 400, 32, 32), Box(100, 380, 700, 48), Box(500, 400, 32, 32), Box(96, 400, 32, 32),
         Box(4000, 400, 32, 32), Box(520, 420, 40, 40)});
  CharaHitIndex index;
  index.Build(list, false);
  struct Case {
    cRectD q;
    std::vector<size_t> touching;  // by hand from the boxes above
  };
  const Case cases[] = {
      {Box(510, 410, 16, 16), {1, 2, 5}},  // x 510..525 meets #1 (100..799), #2 (500..531), #5 (520..559)
      {Box(531, 431, 1, 1), {2, 5}},       // #2's corner pixel touches; #1 ends at y 427
      {Box(880, 400, 24, 8), {0}},         // 880..903 reaches #0 at 900
      {Box(60, 390, 41, 20), {1, 3}},      // 60..100 meets #3 (96..127) and #1's left edge at 100
      {Box(4020, 410, 8, 8), {4}},
      {Box(2000, 400, 32, 32), {}},        // between #0 and #4: nothing near
      {Box(500, 0, 32, 32), {}},           // above everything
  };
  for (const Case& c : cases) {
    const std::vector<size_t> got = Near(index, c.q);
    for (size_t i = 1; i < got.size(); ++i) EXPECT_LT(got[i - 1], got[i]) << "in list order, once each";
    std::vector<size_t> touching;
    for (size_t p : got)
      if (charas[p].m_HitBoxShot.rc.Overlaps(c.q)) touching.push_back(p);
    EXPECT_EQ(touching, c.touching) << c.q.left << "," << c.q.top;
    for (size_t p : got) EXPECT_LT(std::abs(charas[p].m_HitBoxShot.rc.left - c.q.left), 1000) << "far character " << p;
  }
}

TEST_F(CharaHitIndexTest, CharactersThatCannotBeHitAreLeftOut) {
  Place({Box(100, 100, 32, 32), Box(100, 100, 32, 32), Box(100, 100, 32, 32), Box(100, 100, 32, 32),
         Box(100, 100, 32, 32), Box(2000, 100, 32, 32)});
  charas[0].m_bActive = 0;
  charas[1].m_bDead = 1;
  nm::chara::Invincible(charas[2].m_Def) = 2;  // shots pass
  nm::chara::Invincible(charas[3].m_Def) = 1;  // shots hit: kept
  // The screen starts at x = 320 (the fixture's scroll): #5 is off it.
  world.m_ScrollX.m_dPos = 0;
  world.m_ScrollY.m_dPos = 0;
  CharaHitIndex index;
  index.Build(list, false);
  EXPECT_EQ(Near(index, Box(90, 90, 64, 64)), (std::vector<size_t>{3, 4}));
  EXPECT_EQ(Near(index, Box(2000, 100, 8, 8)), (std::vector<size_t>{5}));
  index.Build(list, true);
  EXPECT_EQ(Near(index, Box(90, 90, 64, 64)), (std::vector<size_t>{3, 4}));
  EXPECT_TRUE(Near(index, Box(2000, 100, 8, 8)).empty());
}

TEST_F(CharaHitIndexTest, RectanglesTheGridCannotPlaceSendTheCallerToTheWholeList) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  std::vector<uint32_t> out;
  CharaHitIndex index;
  // An inverted shot rectangle (right < left) can overlap boxes that a cell
  // range cannot describe.
  Place({Box(100, 100, 32, 32)});
  index.Build(list, false);
  EXPECT_FALSE(index.Query(cRectD{200, 100, 50, 120}, out));
  // A rectangle with a NaN edge overlaps nothing.
  EXPECT_TRUE(index.Query(cRectD{nan, 100, 120, 120}, out));
  EXPECT_TRUE(out.empty());
  // An inverted character box makes the whole list walked.
  Place({Box(100, 100, 32, 32), cRectD{300, 100, 0, 120}});
  index.Build(list, false);
  EXPECT_FALSE(index.Query(Box(100, 100, 8, 8), out));
  // A character box with a NaN edge is never hit and is left out.
  Place({cRectD{100, nan, 131, 131}, Box(100, 100, 32, 32)});
  index.Build(list, false);
  EXPECT_EQ(Near(index, Box(100, 100, 8, 8)), (std::vector<size_t>{1}));
  // Boxes at infinity leave the grid without a size.
  Place({Box(100, 100, 32, 32), cRectD{0, 0, std::numeric_limits<double>::infinity(), 10}});
  index.Build(list, false);
  EXPECT_FALSE(index.Query(Box(100, 100, 8, 8), out));
}

}  // namespace
