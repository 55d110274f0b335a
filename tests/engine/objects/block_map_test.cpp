// ctest-label: engine
#include "engine/objects/BlockMap.h"

#include <gtest/gtest.h>

#include <memory>

#include "data/System.h"
#include "engine/flow/Conditions.h"
#include "engine/flow/Triggers.h"
#include "engine/objects/Chara.h"
#include "engine/objects/ChipSheets.h"
#include "engine/objects/Hero.h"
#include "tests/engine/engine_fixture.h"
#include "tests/engine/instances/InstanceTestSupport.h"

namespace {

// Characters whose clamps keep them in the world, as the real ones do.
class TestChara : public cChara {
 public:
  int ClampX() override { return ClampStageX(2); }
  int ClampY() override { return ClampStageY(2); }
};

template <class T>
void Place(T& c, double x, double y, int w = 20, int h = 20, int kind = 1) {
  c.m_nObjKind = kind;
  c.m_nW = c.m_nBaseW = w;
  c.m_nH = c.m_nBaseH = h;
  c.m_dX = x;
  c.m_dY = y;
  c.m_dVX = c.m_dVY = 0;
  c.ClampStageX(9);
  c.ClampStageY(9);
}

// A 20 x 15 chip stage; cells are addressed in world chips (margin included).
struct BlockMapTest : ::testing::Test {
  enginetest::World world{20, 15};
  cBlockCell& Cell(int col, int row, int hit) {
    cBlockCell& c = BlockMap[static_cast<size_t>(BlockIndex(col, row))];
    c.m_GfxIndex = 1;
    c.m_Hit = static_cast<int8_t>(hit);
    return c;
  }
  void SetUp() override { SystemData.m_Switch677 = 0; }
};

}  // namespace

TEST_F(BlockMapTest, IndexingAndCellsOutsideTheMap) {
  EXPECT_EQ(world.m_ScrollX.m_nShift, 6);
  EXPECT_EQ(BlockMap.size(), 35u * 64u);
  EXPECT_EQ(BlockIndexAt(33, 65), 1 + (2 << 6));
  EXPECT_EQ(BlockIndexAt(-1, 0), -1);
  EXPECT_EQ(BlockIndex(64, 0), -1);  // past the row pitch: not the next row
  EXPECT_EQ(BlockIndex(0, 35), -1);
  EXPECT_EQ(BlockClassAt(-1, 0), 0);
  EXPECT_EQ(BlockCellAt(-1), nullptr);
  cChara c;
  Place(c, -40, 400);  // beyond the world's left edge: sampled cells are empty
  EXPECT_EQ(HitMapLeft(&c), 0);
  EXPECT_EQ(c.m_WallL, 0);
}

TEST_F(BlockMapTest, ClassTwoKillsTheHeroFromEverySideAndWallsACharacter) {
  // A class-2 block at world chip (15, 15): pixels [480, 512).
  Cell(15, 15, 2);
  struct Side {
    const char* name;
    double x, y;
    int (*hit)(cGameObj*);
    double charaX, charaY;  // where the character is pushed to
  };
  const Side sides[] = {
      {"right", 470, 485, HitMapRight, 460, 485},   // right edge 489: 489 & 31 = 9, pushed 10 left
      {"left", 505, 485, HitMapLeft, 512, 485},     // left edge 505: pushed 32 - 25 = 7 right
      {"top", 485, 505, HitMapTop, 485, 512},       // head in the block: pushed down 7
      {"bottom", 485, 470, HitMapBottom, 485, 460}, // feet in the block: lands 10 higher
  };
  for (const Side& s : sides) {
    cHero hero;
    Place(hero, s.x, s.y, 20, 20, 0);
    EXPECT_EQ(s.hit(&hero), 2) << s.name;
    TestChara chara;
    Place(chara, s.x, s.y);
    EXPECT_EQ(s.hit(&chara), 0) << s.name;
    EXPECT_EQ(chara.m_dX, s.charaX) << s.name;
    EXPECT_EQ(chara.m_dY, s.charaY) << s.name;
  }
  TestChara chara;
  Place(chara, 470, 485);
  chara.m_dVX2 = 3;
  HitMapRight(&chara);
  EXPECT_EQ(chara.m_WallR, 1);
  EXPECT_EQ(chara.m_nTurnSide, 1);
  EXPECT_EQ(chara.m_dVX2, 0);
}

TEST_F(BlockMapTest, PushTableOfBothSides) {
  // A solid column at world chip 15; the box's edge at every offset of the chip.
  for (int row = 0; row < 35; ++row) Cell(15, row, 1);
  for (int ofs = 0; ofs < 32; ++ofs) {
    TestChara right;
    Place(right, 480 + ofs - 19, 400);
    HitMapRight(&right);
    EXPECT_EQ(right.m_dRight, 479) << ofs;  // ends on the last pixel before the chip
    TestChara left;
    Place(left, 480 + ofs, 400);
    HitMapLeft(&left);
    EXPECT_EQ(left.m_dX, 512) << ofs;  // starts on the next chip boundary
  }
}

TEST_F(BlockMapTest, MagnificationSetsTheNumberOfSamples) {
  // Base height 16 at y = 100: magnification 1 samples 100 and 115 (row 3),
  // magnification 2 also 130 (row 4), where the more solid cell lies.
  Cell(12, 3, 1);
  Cell(12, 4, 2);
  TestChara c;
  Place(c, 12 * 32 + 4, 100, 16, 16);
  int x = 12 * 32 + 4;
  EXPECT_EQ(FindEdgeChip(&c, x, 100, x, 131), BlockIndex(12, 3));
  c.m_Def.m_Size = 2;
  EXPECT_EQ(FindEdgeChip(&c, x, 100, x, 131), BlockIndex(12, 4));
  c.m_Def.m_Size = -3;  // kept at 1
  EXPECT_EQ(FindEdgeChip(&c, x, 100, x, 131), BlockIndex(12, 3));
  EXPECT_EQ(FindEdgeChip(&c, x, 100, x + 1, 101), -1);  // neither an edge: nothing
}

TEST_F(BlockMapTest, HorizontalSamplesPreferTheCentreOnTies) {
  Cell(10, 20, 1);
  Cell(11, 20, 1);
  TestChara c;
  Place(c, 0, 0, 32, 32);
  c.m_Def.m_Size = 2;  // samples at 330, 361, 392 with mid 346
  EXPECT_EQ(FindEdgeChip(&c, 330, 20 * 32, 393, 20 * 32), BlockIndex(11, 20));
  c.m_Def.m_Size = 1;  // samples at 330, 361 with mid 361
  EXPECT_EQ(FindEdgeChip(&c, 330, 20 * 32, 392, 20 * 32), BlockIndex(11, 20));
}

TEST_F(BlockMapTest, LandingAndRisingWalkers) {
  Cell(12, 3, 1);
  TestChara c;
  Place(c, 12 * 32, 100.7 - 19);  // bottom at 100.7
  EXPECT_EQ(HitMapBottom(&c), 0);
  EXPECT_DOUBLE_EQ(c.m_dY, 100.7 - 19 - 5);  // (100 & 31) + 1
  EXPECT_EQ(c.m_WallD, 1);
  EXPECT_EQ(c.m_bFalling, 0);
  EXPECT_EQ(c.m_lpFootBlock, BlockCellAt(BlockIndex(12, 3)));

  TestChara rising;
  Place(rising, 12 * 32, 100.7 - 19);
  rising.m_dVY = -2;
  EXPECT_EQ(HitMapBottom(&rising), 0);
  EXPECT_DOUBLE_EQ(rising.m_dY, 100.7 - 19);  // passes upward through the top
  SystemData.m_Switch677 = 1;                 // land while rising
  EXPECT_EQ(HitMapBottom(&rising), 0);
  EXPECT_DOUBLE_EQ(rising.m_dY, 100.7 - 19 - 5);
  SystemData.m_Switch677 = 0;
}

TEST_F(BlockMapTest, FallsAfterTheFallLimit) {
  TestChara c;
  Place(c, 400, 400);
  c.m_bFalling = 0;
  for (int i = 1; i < Stage.m_FallStepLimit; ++i) HitMapBottom(&c);
  EXPECT_EQ(c.m_nAirSteps, Stage.m_FallStepLimit - 1);
  EXPECT_EQ(c.m_bFalling, 0);
  HitMapBottom(&c);
  EXPECT_EQ(c.m_bFalling, 1);
  EXPECT_EQ(c.m_lpFootBlock, nullptr);

  Player.resize(1);
  cHero& hero = Player[0];
  Place(hero, 400, 400, 20, 20, 0);
  hero.m_bFalling = 0;
  hero.m_bJumpReady = 0;
  hero.m_bRiding = 1;  // riding a block character: no fall
  for (int i = 0; i < Stage.m_FallStepLimit; ++i) HitMapBottom(&hero);
  EXPECT_EQ(hero.m_bFalling, 0);
  hero.m_bRiding = 0;
  HitMapBottom(&hero);
  EXPECT_EQ(hero.m_bFalling, 1);
  EXPECT_EQ(hero.m_bJumpReady, 1);
  Player.clear();
}

TEST_F(BlockMapTest, ExceptionsConditionsAndFlyModes) {
  cBlockCell& cell = Cell(15, 15, 1);
  TestChara c;
  Place(c, 470, 485);
  c.m_nBlockSide = 3;
  cell.m_HitException = 3;  // its own side passes
  EXPECT_EQ(HitMapRight(&c), 0);
  EXPECT_EQ(c.m_WallR, 0);
  cell.m_HitException = 255;  // none
  cCond never;
  never.m_Kind = 9;  // a condition that never holds
  cell.m_Conds.push_back(never);
  EXPECT_EQ(HitMapRight(&c), 0);
  EXPECT_EQ(c.m_WallR, 0);
  cell.m_Conds.clear();

  // Mode 3 dies on every side; mode 1 is never tested; mode 2 is pushed.
  for (int (*hit)(cGameObj*) : {HitMapRight, HitMapX, RecheckMapX}) {
    TestChara f;
    Place(f, 470, 485);
    f.SetFlyMode(3);
    EXPECT_EQ(hit(&f), 2);
    f.SetFlyMode(1);
    EXPECT_EQ(hit(&f), 0);
    EXPECT_EQ(f.m_dX, 470);
  }
  TestChara below;
  Place(below, 485, 505);
  below.SetFlyMode(3);
  EXPECT_EQ(HitMapY(&below), 2);
  EXPECT_EQ(RecheckMapY(&below), 2);
  below.SetFlyMode(2);
  EXPECT_EQ(HitMapY(&below), 0);
  EXPECT_EQ(below.m_dY, 512);
}

TEST_F(BlockMapTest, OnlyTheLastSampleOfALargerCharacterReachesTheBlock) {
  // Base size 16 x 16 (20 wide for the rows) and magnification 2: three
  // samples one base size apart along each edge, of which only the third
  // falls in the solid cell; with magnification 1 the edge is clear.
  Cell(15, 17, 1);  // x 480..511, y 544..575
  Cell(12, 3, 1);   // x 384..415, y 96..127
  struct Case {
    const char* name;
    int (*pass)(cGameObj*);
    double x, y;
    int w, h;
    double movedX, movedY;  // after the pass with magnification 2
  };
  const Case cases[] = {
      // Right edge 489 sampled at y 515, 530, 545: pushed (489 & 31) + 1 = 10.
      {"walls", HitMapX, 470, 515, 20, 16, 460, 515},
      {"walls again", RecheckMapX, 470, 515, 20, 16, 460, 515},
      // Bottom 100 sampled at x 360, 375, 390: lands (100 & 31) + 1 = 5 higher.
      {"floor", HitMapY, 360, 81, 16, 20, 360, 76},
      {"floor again", RecheckMapY, 360, 81, 16, 20, 360, 76},
  };
  for (const Case& k : cases) {
    for (int size : {1, 2}) {
      TestChara c;
      Place(c, k.x, k.y, k.w, k.h);
      c.m_Def.m_Size = static_cast<int8_t>(size);
      EXPECT_EQ(k.pass(&c), 0) << k.name << size;
      EXPECT_DOUBLE_EQ(c.m_dX, size == 2 ? k.movedX : k.x) << k.name << size;
      EXPECT_DOUBLE_EQ(c.m_dY, size == 2 ? k.movedY : k.y) << k.name << size;
    }
  }
}

// A condition whose answer the test sets, counting how often it is asked.
int g_condAnswer = 0;
int g_condAsked = 0;
int AnsweredCondition(const cCond&, cCharaBase*) {
  ++g_condAsked;
  return g_condAnswer;
}

struct AnsweredCell {
  CondEvaluator saved = ConditionTable[2];
  AnsweredCell(cBlockCell& cell, int answer) {
    ConditionTable[2] = AnsweredCondition;
    g_condAnswer = answer;
    g_condAsked = 0;
    cCond cond;
    cond.m_Kind = 2;
    cell.m_Conds.push_back(cond);
  }
  ~AnsweredCell() { ConditionTable[2] = saved; }
};

TEST_F(BlockMapTest, RechecksRunWhereTheFirstPassCannotVouchForThem) {
  // A 20 x 20 box at x 470..489 (columns 14 and 15), y 485..504 (row 15):
  // every wall sample is clear, so the side pass notes them.
  Cell(15, 16, 1);  // pixels x 480..511, y 512..543
  {
    // Moved down into row 16 before the recheck: the right wall is solid
    // there, and the right edge 489 is pushed (489 & 31) + 1 = 10 left.
    TestChara c;
    Place(c, 470, 485);
    MapPassNote note;
    EXPECT_EQ(HitMapX(&c, &note), 0);
    EXPECT_EQ(c.m_dX, 470);
    c.m_dY = 500;
    c.ClampStageY(9);  // rows 15 and 16
    EXPECT_EQ(RecheckMapX(&c, note), 0);
    EXPECT_EQ(c.m_dX, 460);
    EXPECT_EQ(c.m_WallR, 1);
  }
  {
    // The same box with a wall put in row 15 after an event was raised:
    // the recheck sees the wall.
    TestChara c;
    Place(c, 470, 485);
    MapPassNote note;
    EXPECT_EQ(HitMapX(&c, &note), 0);
    RaiseEvent(&c, 9);
    Cell(15, 15, 1);
    EXPECT_EQ(RecheckMapX(&c, note), 0);
    EXPECT_EQ(c.m_dX, 460);
    Cell(15, 15, 0);
  }
  {
    // A wall cell with a condition is asked again by the recheck: it did
    // not hold in the first pass and holds now.
    cBlockCell& wall = Cell(15, 15, 1);
    AnsweredCell answered(wall, 0);
    TestChara c;
    Place(c, 470, 485);
    MapPassNote note;
    EXPECT_EQ(HitMapX(&c, &note), 0);
    EXPECT_EQ(c.m_dX, 470);
    g_condAnswer = 1;
    EXPECT_EQ(RecheckMapX(&c, note), 0);
    EXPECT_EQ(c.m_dX, 460);
    wall.m_Conds.clear();
    Cell(15, 15, 0);
  }
  {
    // Top and bottom: clear at y 70..89 (row 2) above a floor in row 3
    // (y 96..127); moved to 81..100 the recheck lands the box
    // (100 & 31) + 1 = 5 higher, on the floor cell.
    Cell(12, 3, 1);
    TestChara c;
    Place(c, 12 * 32, 70);
    MapPassNote note;
    EXPECT_EQ(HitMapY(&c, &note), 0);
    EXPECT_EQ(c.m_lpFootBlock, nullptr);
    c.m_dY = 81;
    c.ClampStageY(9);
    EXPECT_EQ(RecheckMapY(&c, note), 0);
    EXPECT_DOUBLE_EQ(c.m_dY, 76);
    EXPECT_EQ(c.m_WallD, 1);
    EXPECT_EQ(c.m_lpFootBlock, BlockCellAt(BlockIndex(12, 3)));
  }
}

TEST_F(BlockMapTest, SideRecheckAfterAClearTopAndBottomPass) {
  // A 20 x 20 box at x 470..489 (columns 14 and 15), y 485..504 (row 15),
  // its walls clear; then moved down to y 500..519 (rows 15 and 16).
  struct Case {
    const char* name;
    int baseW;    // the top and bottom samples lie at x and x + baseW - 1
    bool event;   // an event is raised before the wall appears
    bool solid;   // cell (15, 16) is solid before the recheck
    double x;     // x after the recheck
  };
  const Case cases[] = {
      // Samples at columns 14 and 15, rows 15 and 16 cover the side walls,
      // and nothing changed: the recheck has nothing to do.
      {"covered, clear", 20, false, false, 470},
      // The wall appears after an event: the recheck must look, and pushes
      // the right edge 489 back (489 & 31) + 1 = 10.
      {"covered, wall after an event", 20, true, true, 460},
      // Base width 5: the top and bottom samples lie in column 14 only, so
      // they cannot vouch for the right wall in column 15, solid from the
      // start (the top and bottom pass never sampled it).
      {"not covered", 5, false, true, 460},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    TestChara c;
    Place(c, 470, 485);
    c.m_nBaseW = k.baseW;
    if (!k.event && k.solid) Cell(15, 16, 1);
    MapPassNote xNote, yNote;
    EXPECT_EQ(HitMapX(&c, &xNote), 0);
    c.m_dY = 500;
    c.ClampStageY(9);
    EXPECT_EQ(HitMapY(&c, &yNote), 0);
    EXPECT_EQ(c.m_dX, 470);
    if (k.event) {
      RaiseEvent(&c, 9);
      Cell(15, 16, 1);
    }
    EXPECT_EQ(RecheckMapX(&c, xNote, yNote), 0);
    EXPECT_EQ(c.m_dX, k.x);
    EXPECT_EQ(c.m_WallR, k.x == 470 ? 0 : 1);
    Cell(15, 16, 0);
  }
}

TEST_F(BlockMapTest, BothRechecksRunUnlessTheClearTopAndBottomPassStillHolds) {
  // A 20 x 20 box at x 470..489 (columns 14 and 15), y 500..519 (rows 15
  // and 16): both first passes are clear, and the top and bottom samples
  // (columns 14 and 15, rows 15 and 16) cover the side walls'.
  struct Case {
    const char* name;
    bool event;  // an event is raised before the walls are put in
    double y;    // where the box is before the rechecks
    double x;    // x after the rechecks
  };
  const Case cases[] = {
      // Nothing changed: nothing to do, even with walls put in silently
      // (only commands change cells, and they run from events here).
      {"unchanged", false, 500, 470},
      // After an event the wall at (15, 16) is seen: the right edge 489 is
      // pushed back (489 & 31) + 1 = 10.
      {"after an event", true, 500, 460},
      // Moved down to y 530..549 (rows 16 and 17): the wall at (15, 17)
      // stops the right edge the same way; at x 460..479 (column 14 only)
      // the top and bottom then find rows 16 and 17 clear.
      {"moved", false, 530, 460},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    TestChara c;
    Place(c, 470, 500);
    MapPassNote xNote, yNote;
    EXPECT_EQ(HitMapX(&c, &xNote), 0);
    EXPECT_EQ(HitMapY(&c, &yNote), 0);
    if (k.event) RaiseEvent(&c, 9);
    Cell(15, 16, k.y == 500 ? 1 : 0);
    Cell(15, 17, 1);
    c.m_dY = k.y;
    c.ClampStageY(9);
    RecheckMaps(&c, xNote, yNote);
    EXPECT_EQ(c.m_dX, k.x);
    EXPECT_EQ(c.m_dY, k.y);
    EXPECT_EQ(c.m_WallR, k.x == 470 ? 0 : 1);
    Cell(15, 16, 0);
    Cell(15, 17, 0);
  }
}

TEST_F(BlockMapTest, TopAndBottomTakeTheClearSidePassOnlyForCellsItSampled) {
  // A 20 x 20 box at x 470..489 (columns 14 and 15), y 485..504 (row 15):
  // the side-wall pass samples cells (14..15, 15) and finds them clear.
  struct Case {
    const char* what;
    int floorRow;  // a solid cell at (14, floorRow), or none when 0
    bool before;   // put there before the side pass, else after an event
    double y;      // where the vertical move takes the box
    bool clear;
    int wallU, wallD, footRow, airSteps;  // footRow -1: no foot cell
    double yAfter;
  };
  const Case cases[] = {
      {"same row, nothing there", 0, true, 490, true, 0, 0, -1, 1, 490},
      // Bottom 519: lands (519 & 31) + 1 = 8 higher.
      {"moved into row 16 (y 500..519) onto a floor there", 16, true, 500, false, 0, 1, 16, 0, 492},
      // The new cell is the box's ceiling: pushed 32 - (485 & 31) = 27 down
      // into row 16, where the bottom finds nothing.
      {"same row, a block put in after an event", 15, false, 485, false, 1, 0, -1, 1, 512},
  };
  for (const Case& k : cases) {
    if (k.floorRow && k.before) Cell(14, k.floorRow, 1);
    TestChara c;
    Place(c, 470, 485);
    MapPassNote xNote, yNote;
    EXPECT_EQ(HitMapX(&c, &xNote), 0) << k.what;
    EXPECT_TRUE(xNote.clear) << k.what;
    if (k.floorRow && !k.before) {
      RaiseEvent(&c, 9);
      Cell(14, k.floorRow, 1);
    }
    c.m_dY = k.y;
    c.ClampStageY(9);
    EXPECT_EQ(HitMapY(&c, &yNote, xNote), 0) << k.what;
    EXPECT_EQ(yNote.clear, k.clear) << k.what;
    EXPECT_EQ(c.m_WallU, k.wallU) << k.what;
    EXPECT_EQ(c.m_WallD, k.wallD) << k.what;
    EXPECT_EQ(c.m_lpFootBlock, k.footRow < 0 ? nullptr : BlockCellAt(BlockIndex(14, k.footRow))) << k.what;
    EXPECT_EQ(c.m_nAirSteps, k.airSteps) << k.what;
    EXPECT_DOUBLE_EQ(c.m_dY, k.yAfter) << k.what;
    if (k.floorRow) Cell(14, k.floorRow, 0);
  }
}

TEST_F(BlockMapTest, AMapShorterThanItsShapeIsSampledCellByCell) {
  // The last row (34) keeps only its first five cells: index 34 * 64 + 5 is
  // past the map. A 20 x 20 box at x 148..167 (columns 4 and 5), y
  // 1076..1095 (rows 33 and 34) has its last corner there: that sample is
  // outside, the other three are read.
  BlockMap.resize(34u * 64u + 5u);
  BlockMap.shrink_to_fit();  // a read past the end is caught
  struct Case {
    const char* what;
    int bottomLeftHit;  // cell (4, 34)
    int standCell, walled, airSteps;
  };
  const Case cases[] = {
      {"clear inside, outside past the end", 0, -1, 0, 1},
      {"solid at (4, 34): lands on it", 1, 34 * 64 + 4, 1, 0},
  };
  for (const Case& k : cases) {
    Cell(4, 34, k.bottomLeftHit);
    TestChara c;
    Place(c, 148, 1076);
    c.m_nStandCell = -1;
    MapPassNote note;
    EXPECT_EQ(HitMapY(static_cast<cChara*>(&c), &note), 0) << k.what;
    EXPECT_EQ(note.clear, k.bottomLeftHit == 0) << k.what;
    EXPECT_EQ(c.m_nStandCell, k.standCell) << k.what;
    EXPECT_EQ(c.m_WallD, k.walled) << k.what;
    EXPECT_EQ(c.m_nAirSteps, k.airSteps) << k.what;
  }
}

TEST_F(BlockMapTest, CornerCellsWithConditionsAreAskedForEveryCorner) {
  // A 10 x 10 box inside one cell names it as all four corners: a cell
  // with a condition is asked each time (a condition may draw random
  // numbers), and the box is blocked once it holds.
  cBlockCell& cell = Cell(15, 15, 1);
  AnsweredCell answered(cell, 0);
  TestChara c;
  Place(c, 485, 485, 10, 10);
  EXPECT_EQ(c.CornerOnBlock(), 0);
  EXPECT_EQ(g_condAsked, 4);
  g_condAnswer = 1;
  g_condAsked = 0;
  EXPECT_EQ(c.CornerOnBlock(), 1);
  EXPECT_EQ(g_condAsked, 1);
  cell.m_Conds.clear();
  // Without a condition the cell's class decides at once; a box across
  // four cells finds the one solid corner, whichever it is.
  EXPECT_EQ(c.CornerOnBlock(), 1);
  Cell(15, 15, 0);
  EXPECT_EQ(c.CornerOnBlock(), 0);
  const int corners[4][2] = {{14, 14}, {14, 15}, {15, 14}, {15, 15}};
  for (const auto& k : corners) {
    Cell(k[0], k[1], 1);
    Place(c, 470, 470);  // x 470..489, y 470..489
    EXPECT_EQ(c.CornerOnBlock(), 1) << k[0] << "," << k[1];
    Cell(k[0], k[1], 0);
  }
  EXPECT_EQ(c.CornerOnBlock(), 0);
}

TEST_F(BlockMapTest, BlockedPlacesAndCorners) {
  Cell(15, 15, 1);
  TestChara c;
  Place(c, 470, 470);  // corner cells (14..15, 14..15)
  EXPECT_EQ(IsPlaceBlocked(&c), 1);
  EXPECT_EQ(c.CornerOnBlock(), 1);
  c.SetFlyMode(1);
  EXPECT_EQ(IsPlaceBlocked(&c), 0);
  Place(c, 400, 400);
  c.SetFlyMode(0);
  EXPECT_EQ(IsPlaceBlocked(&c), 0);
  EXPECT_EQ(c.CornerOnBlock(), 0);
}

TEST_F(BlockMapTest, HeroPushedOutOfTheScreenBottomDies) {
  world.m_ScrollY.m_bAuto = 1;
  cHero hero;
  Place(hero, 400, 320 + 470, 20, 20, 0);
  hero.m_nPicW = hero.m_nPicH = 20;
  EXPECT_EQ(KeepHeroInScreenY(&hero), 2);
  EXPECT_EQ(hero.m_WallD, 1);
  EXPECT_EQ(hero.m_dY, 320 + 480 - 20 - 1);
  hero.SetFlyMode(2);
  Place(hero, 400, 320 + 470, 20, 20, 0);
  hero.SetFlyMode(2);
  EXPECT_EQ(KeepHeroInScreenY(&hero), 0);
}

TEST_F(BlockMapTest, TheMostSolidFootCellWins) {
  // The hero stands across a solid and a deadly cell: the deadly one wins.
  Cell(14, 16, 1);
  Cell(15, 16, 2);
  cHero hero;
  Place(hero, 470, 512 - 20 + 3, 20, 20, 0);  // bottom in row 16, x 470..489
  EXPECT_EQ(HitMapBottom(&hero), 2);
  // Standing on solid cells only, the foot cell is the one nearest the centre.
  Cell(15, 16, 1);
  Cell(16, 16, 1);
  Place(hero, 470, 512 - 20 + 3, 40, 20, 0);  // x 470..509, mid 489
  hero.m_Def.m_Size = 2;                      // three foot samples: 470, 490, 509
  EXPECT_EQ(FindFootChip(&hero), BlockIndex(15, 16));
  EXPECT_EQ(HitMapBottom(&hero), 0);
  EXPECT_EQ(hero.m_nStandCell, BlockIndex(15, 16));
  EXPECT_EQ(hero.m_WallD, 1);
}

TEST_F(BlockMapTest, HeroKeptInsideAnAutoScrollingScreen) {
  cHero hero;
  Place(hero, 300, 500, 20, 20, 0);
  hero.m_nPicW = hero.m_nPicH = 20;
  KeepHeroInScreenX(&hero);  // no auto-scroll, walking: left alone
  EXPECT_EQ(hero.m_dX, 300);
  world.m_ScrollX.m_bAuto = 1;
  KeepHeroInScreenX(&hero);
  EXPECT_EQ(hero.m_WallL, 1);
  EXPECT_EQ(hero.m_dX, 320);
  Place(hero, 320 + 630, 500, 20, 20, 0);
  KeepHeroInScreenX(&hero);
  EXPECT_EQ(hero.m_WallR, 1);
  EXPECT_EQ(hero.m_dX, 320 + 640 - 20 - 1);
}

namespace {

TEST(BlockChip, DrawsItsChipThenItsOverlay) {
  gfxtest::Library lib(0, 32, 1);
  SelectChipSheets();  // DirectDraw without video stretching: the second copy, entry 3
  insttest::FillCells(&SurfaceTable[3], 256, 480, 32);
  insttest::FillCells(&SurfaceTable[43], 256, 480, 32);
  insttest::Surface target(64, 64);
  cBlockCell cell;
  cell.m_GfxKind = 0;
  cell.m_GfxIndex = 17;  // column 1, row 2
  cell.DrawChip(target.sd(), 8, 8);
  EXPECT_EQ(insttest::CellOf(target.sd(), 8, 8), std::make_pair(1, 2));
  EXPECT_EQ(insttest::CellOf(target.sd(), 39, 39), std::make_pair(1, 2));
  EXPECT_TRUE(target.Untouched(7, 8));
  EXPECT_TRUE(target.Untouched(40, 8));
  cell.m_Overlay = 1;
  cell.m_OverlayChip = 16;  // overlay column 1, row 1
  cell.DrawChip(target.sd(), 8, 8);
  EXPECT_EQ(insttest::CellOf(target.sd(), 8, 8), std::make_pair(1, 1));
  for (int e : {3, 43}) DDReleaseSurface(&SurfaceTable[e]);
}

}  // namespace

TEST_F(BlockMapTest, ListedCharacterSidePassNotesWhatItSampled) {
  // A 20 x 20 box at x 470..489 (columns 14 and 15), y 485..504 (row 15;
  // the side samples lie at y 485 and 485 + 19). Scale 1 with four clear
  // cells inside the map is the common case; every other case below takes
  // the general pass, which must note (or push) the same way.
  struct Case {
    const char* name;
    int size;            // the size byte (scale)
    int wallHit;         // class of cell (15, 15), before the pass
    bool cond;           // cell (15, 15) has a condition that does not hold
    bool passes;         // a flyer passing through blocks
    bool noScene;        // no play scene: the empty world, all cells outside
    double x, right;     // the box's edges (set after placing)
    bool clear;          // the note's flag
    int n, a, b;         // noted sample count and columns
    double xAfter;
  };
  const Case cases[] = {
      {"scale 1, clear", 1, 0, false, false, false, 470, 489, true, 2, 14, 15, 470},
      // Scale 2: three samples, at y 485, 504 and 523 (rows 15, 15, 16).
      {"scale 2, clear", 2, 0, false, false, false, 470, 489, true, 3, 14, 15, 470},
      // The right wall at (15, 15): pushed back (489 & 31) + 1 = 10.
      {"scale 1, a wall", 1, 1, false, false, false, 470, 489, false, 0, 0, 0, 460},
      // Solid only under a condition that does not hold: asked, not a wall,
      // and the pass is not noted as clear (a condition may change).
      {"scale 1, a wall under a condition", 1, 1, true, false, false, 470, 489, false, 0, 0, 0, 470},
      {"scale 1, passing through blocks", 1, 1, false, true, false, 470, 489, false, 0, 0, 0, 470},
      // Columns -2 and -1 lie outside the map: clear.
      {"scale 1, left of the map", 1, 0, false, false, false, -40, -21, true, 2, -2, -1, -40},
      // The empty world has no cells: clear, even with the wall.
      {"scale 1, no play scene", 1, 1, false, false, true, 470, 489, true, 2, 14, 15, 470},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    cBlockCell& wall = Cell(15, 15, k.wallHit);
    g_condAsked = 0;
    std::unique_ptr<AnsweredCell> answered;
    if (k.cond) answered = std::make_unique<AnsweredCell>(wall, 0);
    TestChara c;
    Place(c, 470, 485);
    c.m_Def.m_Size = static_cast<int8_t>(k.size);
    c.m_dX = k.x;
    c.m_dRight = k.right;
    if (k.passes) {
      c.m_bFly = 1;
      c.m_byFlyHit = 0;  // passes through blocks
    }
    cPlayWorld* scene = PlayScene;
    if (k.noScene) PlayScene = nullptr;
    MapPassNote note;
    note.clear = true;  // stale: every pass clears it first
    EXPECT_EQ(HitMapX(static_cast<cChara*>(&c), &note), 0);
    PlayScene = scene;
    EXPECT_EQ(note.clear, k.clear);
    if (k.clear) {
      EXPECT_EQ(note.n, k.n);
      EXPECT_EQ(note.step, 19);
      EXPECT_EQ(note.a, k.a);
      EXPECT_EQ(note.b, k.b);
      EXPECT_EQ(note.from, 485);
      EXPECT_EQ(note.side, 0);
      EXPECT_EQ(note.events, EventsRaised);
      EXPECT_FALSE(note.sidesCovered);
    }
    EXPECT_EQ(c.m_dX, k.xAfter);
    EXPECT_EQ(c.m_WallR, k.xAfter != k.x ? 1 : 0);
    EXPECT_EQ(g_condAsked > 0, k.cond);  // only a cell with a condition is asked
    wall.m_Conds.clear();
    answered.reset();
    Cell(15, 15, 0);
  }
  // A map shorter than its shape: cell (5, 34) lies past its end, so the
  // box at x 148..167, y 1076..1095 (columns 4 and 5, rows 33 and 34) has
  // one sample outside; the other three are clear.
  BlockMap.resize(34u * 64u + 5u);
  BlockMap.shrink_to_fit();
  TestChara c;
  Place(c, 148, 1076);
  MapPassNote note;
  EXPECT_EQ(HitMapX(static_cast<cChara*>(&c), &note), 0);
  EXPECT_TRUE(note.clear);
  EXPECT_EQ(note.a, 4);
  EXPECT_EQ(note.b, 5);
  EXPECT_EQ(note.from, 1076);
}

TEST_F(BlockMapTest, TopAndBottomAfterAClearSidePassNoteWhatTheyCover) {
  // The box at x 470..489, y 485..504 after a clear side pass over columns
  // 14 and 15, rows 15 (y 485) and 15 (y 504). The top and bottom samples
  // lie at x 470 and 470 + baseW - 1, in rows 15 and 15.
  struct Case {
    const char* name;
    int size;          // the size byte (scale) for the top and bottom pass
    int baseW;         // base width for the top and bottom pass
    bool event;        // an event raised between the two passes
    double x, right;   // the box's edges (set after placing)
    int b;             // noted bottom row
    bool covered;      // the top and bottom samples cover the side walls'
  };
  const Case cases[] = {
      // Columns 14 and 15: the side walls' cells, and the walls' column 15
      // is among them.
      {"covered", 1, 20, false, 470, 489, 15, true},
      // Base width 5: columns 14 and 14, which miss the right wall's 15.
      {"narrow base", 1, 5, false, 470, 489, 15, false},
      // The side pass is stale: the cells are read again, and are clear.
      {"after an event", 1, 20, true, 470, 489, 15, true},
      // Stale, and the cells (columns -2 and -1) lie outside the map: clear.
      {"outside the map, after an event", 1, 20, true, -40, -21, 15, true},
      // Scale 2: three samples (x 470, 489, 508: columns 14, 15, 15); the
      // walls' third sample at y 523 lies in row 16, not among rows 15.
      {"scale 2", 2, 20, false, 470, 489, 15, false},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    TestChara c;
    Place(c, 470, 485);
    c.m_dX = k.x;
    c.m_dRight = k.right;
    c.m_nAirSteps = 3;
    c.m_lpFootBlock = BlockCellAt(BlockIndex(1, 1));
    MapPassNote xNote, yNote;
    EXPECT_EQ(HitMapX(static_cast<cChara*>(&c), &xNote), 0);
    ASSERT_TRUE(xNote.clear);
    if (k.event) RaiseEvent(&c, 9);
    c.m_Def.m_Size = static_cast<int8_t>(k.size);
    c.m_nBaseW = k.baseW;
    EXPECT_EQ(HitMapY(static_cast<cChara*>(&c), &yNote, xNote), 0);
    EXPECT_TRUE(yNote.clear);
    EXPECT_EQ(yNote.n, k.size + 1);
    EXPECT_EQ(yNote.step, k.baseW - 1);
    EXPECT_EQ(yNote.a, 15);
    EXPECT_EQ(yNote.b, k.b);
    EXPECT_EQ(yNote.from, k.x);
    EXPECT_EQ(yNote.events, EventsRaised);
    EXPECT_EQ(yNote.sidesCovered, k.covered);
    if (k.covered) {
      EXPECT_EQ(yNote.x, k.x);
      EXPECT_EQ(yNote.right, k.right);
      EXPECT_EQ(yNote.y, 485);
      EXPECT_EQ(yNote.bottom, 504);
    }
    // A step in the air, off the ground.
    EXPECT_EQ(c.m_nAirSteps, 4);
    EXPECT_EQ(c.m_lpFootBlock, nullptr);
    EXPECT_DOUBLE_EQ(c.m_dY, 485);
  }
}

TEST_F(BlockMapTest, TwoSamplesAlongAnEdgeTakeTheMoreSolidThenTheNearerTheMiddle) {
  // Row 20; samples at x1 and x1 + baseW - 1, the middle (x1 + x2) >> 1.
  struct Case {
    const char* name;
    int hit10, hit11;  // classes of cells (10, 20) and (11, 20)
    int x1, x2, baseW;
    int col;  // the chosen cell's column (-1: none, index -1)
  };
  const Case cases[] = {
      // Samples 330 (column 10) and 361 (column 11).
      {"first more solid", 2, 1, 330, 392, 32, 10},
      {"second more solid", 1, 2, 330, 392, 32, 11},
      // Middle 361: the second (distance 0) is nearer than the first (31).
      {"tie, second nearer", 1, 1, 330, 392, 32, 11},
      // A box narrower than its base: middle 335, distances 5 and 26.
      {"tie, first nearer", 1, 1, 330, 340, 32, 10},
      // Middle 346: both 16 away; the first is kept.
      {"tie, as near", 1, 1, 330, 362, 33, 10},
      // The first sample (x -10) outside the map counts as class 0, as the
      // clear second (x 30, column 0) does; middle 15: distances 25 and 15.
      {"outside and clear, second nearer", 0, 0, -10, 40, 41, 0},
      // Middle 10: both 20 away; the first (outside) is kept.
      {"outside and clear, as near", 0, 0, -10, 30, 41, -1},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    Cell(10, 20, k.hit10);
    Cell(11, 20, k.hit11);
    TestChara c;
    Place(c, 0, 0, 32, 32);
    c.m_nBaseW = k.baseW;
    const int expected = k.col < 0 ? -1 : BlockIndex(k.col, 20);
    EXPECT_EQ(FindEdgeChip(&c, k.x1, 20 * 32, k.x2, 20 * 32), expected);
  }
  Cell(10, 20, 0);
  Cell(11, 20, 0);
}

TEST_F(BlockMapTest, TopPassSamplesAsManyCellsAsTheScaleAsks) {
  // A box 20 high at x 460.., y 485..504: the top edge lies in row 15,
  // sampled at x 460 + k * (baseW - 1): with base width 20, columns 14, 14
  // for scale 1 and 14, 14, 15 for scale 2. A one-pixel-wide box samples
  // column 14 downward instead, at y 485 + k * (baseH - 1).
  struct Case {
    const char* name;
    int size, baseW, baseH;
    double right;            // the box's right edge
    int solidCol, solidRow;  // a solid cell (col -1: none)
    bool passes;             // a flyer passing through blocks
    int wallU;
    double yAfter;  // pushed 32 - (485 & 31) = 27 down under a ceiling
  };
  const Case cases[] = {
      {"scale 1, clear", 1, 20, 20, 479, -1, 15, false, 0, 485},
      {"scale 1, ceiling", 1, 20, 20, 479, 14, 15, false, 1, 512},
      {"scale 1, ceiling beside the samples", 1, 20, 20, 479, 15, 15, false, 0, 485},
      {"scale 2, ceiling at the third sample", 2, 20, 20, 479, 15, 15, false, 1, 512},
      {"scale 1, passing through blocks", 1, 20, 20, 479, 14, 15, true, 0, 485},
      // Base width 40 would put a second sample in column 15.
      {"one pixel wide", 1, 40, 20, 460, 15, 15, false, 0, 485},
      // Base height 40: the second sample (y 524) lies in row 16.
      {"one pixel wide, its column's second sample", 1, 20, 40, 460, 14, 16, false, 1, 512},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    if (k.solidCol >= 0) Cell(k.solidCol, k.solidRow, 1);
    TestChara c;
    Place(c, 460, 485);
    c.m_Def.m_Size = static_cast<int8_t>(k.size);
    c.m_nBaseW = k.baseW;
    c.m_nBaseH = k.baseH;
    c.m_dRight = k.right;
    if (k.passes) {
      c.m_bFly = 1;
      c.m_byFlyHit = 0;
    }
    EXPECT_EQ(HitMapTop(&c), 0);
    EXPECT_EQ(c.m_WallU, k.wallU);
    EXPECT_DOUBLE_EQ(c.m_dY, k.yAfter);
    if (k.solidCol >= 0) Cell(k.solidCol, k.solidRow, 0);
  }
}

TEST_F(BlockMapTest, RechecksAfterAMoveSeeEverySampleTheScaleAsks) {
  // The first passes noted nothing that vouches for the rechecks; the box
  // is at x 470.., y 485..504 (row 15). Side samples lie at y 485 + k * 19:
  // rows 15, 15 for scale 1 and 15, 15, 16 for scale 2. A one-pixel-wide
  // box samples its bottom downward from y 504: rows 15 and 16.
  struct Case {
    const char* name;
    int size;
    double right;
    int wallCol, wallRow;  // a solid cell (col -1: none)
    double x, y;           // after the rechecks
    int wallR, wallD;
  };
  const Case cases[] = {
      {"scale 1, all clear", 1, 489, -1, 0, 470, 485, 0, 0},
      {"scale 1, a wall below the side samples", 1, 489, 15, 16, 470, 485, 0, 0},
      // The right edge 489 is pushed (489 & 31) + 1 = 10 back.
      {"scale 2, a wall at the third side sample", 2, 489, 15, 16, 460, 485, 1, 0},
      // Lands: the bottom 504 goes (504 & 31) + 1 = 25 up.
      {"one pixel wide, a floor under its bottom", 1, 470, 14, 16, 470, 460, 0, 1},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    if (k.wallCol >= 0) Cell(k.wallCol, k.wallRow, 1);
    TestChara c;
    Place(c, 470, 485);
    c.m_Def.m_Size = static_cast<int8_t>(k.size);
    c.m_dRight = k.right;
    MapPassNote xNote, yNote;  // nothing noted
    RecheckMaps(&c, xNote, yNote);
    EXPECT_EQ(c.m_dX, k.x);
    EXPECT_DOUBLE_EQ(c.m_dY, k.y);
    EXPECT_EQ(c.m_WallR, k.wallR);
    EXPECT_EQ(c.m_WallD, k.wallD);
    if (k.wallCol >= 0) Cell(k.wallCol, k.wallRow, 0);
  }
}

TEST_F(BlockMapTest, OnePixelWideBoxSamplesItsBottomDownward) {
  // x 470..470, y 485..504 after a clear side pass (column 14, rows 15 and
  // 15): its bottom samples lie at y 504 and 504 + 19 (rows 15 and 16), so
  // the floor at (14, 16) lands it (504 & 31) + 1 = 25 higher, though the
  // cells (14..15, 15) that a wider box would sample are clear.
  Cell(14, 16, 1);
  TestChara c;
  Place(c, 470, 485);
  c.m_dRight = 470;
  MapPassNote xNote, yNote;
  EXPECT_EQ(HitMapX(static_cast<cChara*>(&c), &xNote), 0);
  EXPECT_TRUE(xNote.clear);
  EXPECT_EQ(HitMapY(static_cast<cChara*>(&c), &yNote, xNote), 0);
  EXPECT_FALSE(yNote.clear);
  EXPECT_DOUBLE_EQ(c.m_dY, 460);
  EXPECT_EQ(c.m_WallD, 1);
  EXPECT_EQ(c.m_lpFootBlock, BlockCellAt(BlockIndex(14, 16)));
}
