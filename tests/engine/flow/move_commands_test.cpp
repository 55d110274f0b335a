// ctest-label: engine
// The ground move's turn at ledges: the two cells under the feet decide.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <memory>

#include "data/EdMove.h"
#include "data/FlowCmd.h"
#include "data/Stage.h"
#include "engine/Names.h"
#include "engine/flow/Conditions.h"
#include "engine/flow/FlowRun.h"
#include "engine/flow/MoveCommands.h"
#include "engine/objects/BlockMap.h"
#include "engine/objects/Chara.h"
#include "tests/engine/engine_fixture.h"

namespace {

int g_groundCondAnswer = 0;
int GroundAnsweredCondition(const cCond&, cCharaBase*) { return g_groundCondAnswer; }

// A 20 x 15 chip stage: the block map is 64 cells a row (shift 6) and 35
// rows deep (15 plus the margins), so map columns run 0..63, rows 0..34.
struct GroundTurn : ::testing::Test {
  enginetest::World world{20, 15};
  cFlowCmd cmd;
  cCmdRun run;
  cChara c;
  CondEvaluator savedCond = ConditionTable[2];

  void SetUp() override {
    cmd.m_pMove.reset(new cEdMove);
    nm::move::bNoMoveAnim(*cmd.m_pMove) = 1;  // no animation change
    run.lpCmd = &cmd;
    run.dSpeed = 1;
  }
  void TearDown() override { ConditionTable[2] = savedCond; }
  // Cell (col, row) of the map (margins included) with class `hit`.
  cBlockCell& Cell(int col, int row, int hit) {
    cBlockCell& cell = BlockMap[static_cast<size_t>(col + (row << 6))];
    cell.m_Hit = static_cast<int8_t>(hit);
    return cell;
  }
};

}  // namespace

TEST_F(GroundTurn, TheCellsUnderBothEdgesOfTheFeetDecideTheTurn) {
  struct Case {
    const char* name;
    double x, right, bottom;  // the box's left and right edges and its bottom
    int solidCol, solidRow;   // a solid cell (col -1: none)
    int solidCol2;            // a second solid cell in the same row (-1: none)
    int faceRight;            // facing before
    int faceAfter;
  };
  // The row read is (bottom + 1.1) floored, divided by 32 toward zero, at
  // most the last row (34); the columns are the edges truncated, divided by
  // 32 toward zero. Ground under the left edge only turns left, under the
  // right edge only turns right.
  const Case cases[] = {
      // Feet at 127: row (128.1 -> 128) / 32 = 4; columns 330 / 32 = 10 and
      // 361 / 32 = 11.
      {"ground under both", 330, 361, 127, 10, 4, 11, 1, 1},
      {"ground under the left only", 330, 361, 127, 10, 4, -1, 1, 0},
      {"ground under the right only", 330, 361, 127, 11, 4, -1, 0, 1},
      {"no ground", 330, 361, 127, -1, 0, -1, 1, 1},
      // Feet at 5000: row 156 is past the map, the last row 34 is read.
      {"below the map: the last row", 330, 361, 5000, 10, 34, -1, 1, 0},
      // Feet at -1.5: -0.4 floors to -1, and -1 / 32 is row 0.
      {"just above the map: row 0", 330, 361, -1.5, 10, 0, -1, 1, 0},
      // Feet at -1.1: -1.1 + 1.1 is 0, row 0.
      {"feet at -1.1: row 0", 330, 361, -1.1, 10, 0, -1, 1, 0},
      // Feet at -40: -38.9 floors to -39, and -39 / 32 is row -1: nothing
      // is read there, even with ground in row 0.
      {"above the map: no row", 330, 361, -40, 10, 0, -1, 1, 1},
      // Left edge -20: -20 / 32 is column 0 (toward zero).
      {"left edge just left of the map: column 0", -20, 11, 127, 0, 4, -1, 1, 1},
      // Left edge -20 in column 0 over ground, right edge 40 in column 1.
      {"left edge -20 over ground in column 0", -20, 40, 127, 0, 4, -1, 1, 0},
      // Each edge stands alone: a right edge at -20 reads column 0 too.
      {"right edge -20 over ground in column 0", 40, -20, 127, 0, 4, -1, 0, 1},
      // Left edge -40: -40 / 32 is column -1, outside; the right edge
      // -9 lies in column 0.
      {"left edge outside the map", -40, -9, 127, 0, 4, -1, 0, 1},
      // Right edge 4100: column 128 is past the row's 64 cells.
      {"right edge past the row", 2026, 4100, 127, 63, 4, -1, 1, 0},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    if (k.solidCol >= 0) Cell(k.solidCol, k.solidRow, 1);
    if (k.solidCol2 >= 0) Cell(k.solidCol2, k.solidRow, 1);
    c.m_bFaceRight = k.faceRight;
    c.m_nTurnSide = -1;
    c.m_dX = k.x;
    c.m_dRight = k.right;
    c.m_dBottom = k.bottom;
    c.m_dVX = 0;
    CmdMoveGroundTurn(&c, &run);
    EXPECT_EQ(c.m_bFaceRight, k.faceAfter);
    EXPECT_EQ(c.m_dVX, k.faceRight ? 1 : -1);  // the facing before the move
    if (k.solidCol >= 0) Cell(k.solidCol, k.solidRow, 0);
    if (k.solidCol2 >= 0) Cell(k.solidCol2, k.solidRow, 0);
  }
}

namespace {
constexpr double kGroundNaN = std::numeric_limits<double>::quiet_NaN();
}  // namespace

TEST_F(GroundTurn, EveryWriteInEachFormOfTheMove) {
  // Ground under the left edge only (column 10 of row 4, feet at 127 over
  // columns 10 and 11): the map turns a right-facing walker left. Speed 3,
  // two sub-steps, cap 100 for the inertia case.
  struct Case {
    const char* name;
    double impactX, impactY;
    int turnSide;  // before
    int inertia, keepFacing, noAnim, fly, noScene;
    int animBefore;
    // Expected.
    int faceAfter;
    double vx, vx2;
    int moved, anim, entry, turnSideAfter;
    bool untouched;  // fly: nothing written at all
  };
  const Case cases[] = {
      // The map turns it; velocity +3 (facing before); animation 0 -> 1
      // restarts at entry 0.
      {"walk over a ledge", 0, 0, -1, 0, 0, 0, 0, 0, 0, 0, 3, 0, 1, 1, 0, -1, false},
      // Animation 1 already: no change, entry 5 stays.
      {"walk animation already playing", 0, 0, -1, 0, 0, 0, 0, 0, 1, 0, 3, 0, 1, 1, 5, -1, false},
      {"facing kept", 0, 0, -1, 0, 1, 0, 0, 0, 0, 1, 3, 0, 1, 1, 0, -1, false},
      {"no move animation", 0, 0, -1, 0, 0, 1, 0, 0, 0, 0, 3, 0, 0, 0, 5, -1, false},
      // -0 impacts are 0: the map is read.
      {"impacts -0", -0.0, -0.0, -1, 0, 0, 0, 0, 0, 0, 0, 3, 0, 1, 1, 0, -1, false},
      // Any impact skips the map: no turn.
      {"impact X", 0.5, 0, -1, 0, 0, 0, 0, 0, 0, 1, 3, 0, 1, 1, 0, -1, false},
      {"impact Y", 0, -2, -1, 0, 0, 0, 0, 0, 0, 1, 3, 0, 1, 1, 0, -1, false},
      // NaN is not 0: no map either.
      {"impact Y NaN", 0, kGroundNaN, -1, 0, 0, 0, 0, 0, 0, 1, 3, 0, 1, 1, 0, -1, false},
      // A pending turn: request 1 (facing right) turns left, the velocity
      // is -3, the pending side is cleared; the map is not read.
      {"pending turn", 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, -3, 0, 1, 1, 0, -1, false},
      // Inertia: the command velocity gets 3 / (60 * 2); the direct one
      // stays 0; the map still turns it.
      {"inertia", 0, 0, -1, 1, 0, 0, 0, 0, 0, 0, 0, 3.0 / 120, 1, 1, 0, -1, false},
      // No play scene: the empty world has no rows, so no cell is read.
      {"no play scene", 0, 0, -1, 0, 0, 0, 0, 1, 0, 1, 3, 0, 1, 1, 0, -1, false},
      {"flying", 0, 0, -1, 0, 0, 0, 1, 0, 0, 1, 0, 0, 0, 0, 5, -1, true},
  };
  const int savedSubSteps = nm::stage::SubSteps(Stage);
  nm::stage::SubSteps(Stage) = 2;
  Cell(10, 4, 1);
  run.dSpeed = 3;
  run.dSpeed2 = 100;
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    cEdMove& mv = *cmd.m_pMove;
    nm::move::bInertia(mv) = static_cast<uint8_t>(k.inertia);
    nm::move::bKeepFacing(mv) = static_cast<uint8_t>(k.keepFacing);
    nm::move::bNoMoveAnim(mv) = static_cast<uint8_t>(k.noAnim);
    c.m_bFly = k.fly;
    c.m_ImpactX = k.impactX;
    c.m_ImpactY = k.impactY;
    c.m_nTurnSide = k.turnSide;
    c.m_bFaceRight = 1;
    c.m_dX = 330;
    c.m_dRight = 361;
    c.m_dBottom = 127;
    c.m_dVX = 0;
    c.m_dVY = -0.0;
    c.m_dVX2 = 0;
    c.m_bFrictionX = 1;
    c.m_bScreenAnchorX = 1;
    c.m_bScreenAnchorY = 1;
    c.m_bMovedThisUpdate = 0;
    c.m_Anim.m_nAnim = k.animBefore;
    c.m_Anim.m_nEntry = 5;
    cPlayWorld* const scene = PlayScene;
    if (k.noScene) PlayScene = nullptr;
    CmdMoveGroundTurn(&c, &run);
    PlayScene = scene;
    EXPECT_EQ(c.m_bFaceRight, k.faceAfter);
    EXPECT_EQ(c.m_dVX, k.vx);
    EXPECT_EQ(c.m_dVX2, k.vx2);
    EXPECT_EQ(c.m_bMovedThisUpdate, k.moved);
    EXPECT_EQ(c.m_Anim.m_nAnim, k.anim);
    EXPECT_EQ(c.m_Anim.m_nEntry, k.entry);
    EXPECT_EQ(c.m_nTurnSide, k.turnSideAfter);
    // -0 + 0 is +0: the vertical velocity's sign bit is cleared by the
    // move; a flying walker keeps everything.
    EXPECT_EQ(std::signbit(c.m_dVY), k.untouched || k.inertia);
    EXPECT_EQ(c.m_bScreenAnchorX, k.untouched ? 1 : 0);
    EXPECT_EQ(c.m_bScreenAnchorY, k.untouched ? 1 : 0);
    EXPECT_EQ(c.m_bFrictionX, k.inertia ? 0 : 1);
  }
  nm::stage::SubSteps(Stage) = savedSubSteps;
}

TEST_F(GroundTurn, TheSideExceptionAndTheClassDecideWhatIsGround) {
  // Feet at 127 over columns 10 and 11 of row 4; the walker's side is 3.
  struct Case {
    const char* name;
    int leftHit, leftException;  // exception 255: none
    int rightHit;
    int faceBefore, faceAfter;
  };
  const Case cases[] = {
      // Side 3 passes through the left cell: ground only on the right.
      {"left passable for the side", 1, 3, 1, 0, 1},
      // Another side's exception leaves it solid: ground under both.
      {"another side's exception", 1, 2, 1, 0, 0},
      // Class 2 is ground as well.
      {"class 2 on the left", 2, 255, 0, 1, 0},
      {"class 2 on the right", 0, 255, 2, 0, 1},
  };
  c.m_nBlockSide = 3;
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    Cell(10, 4, k.leftHit).m_HitException = static_cast<uint8_t>(k.leftException);
    Cell(11, 4, k.rightHit);
    c.m_bFaceRight = k.faceBefore;
    c.m_nTurnSide = -1;
    c.m_dX = 330;
    c.m_dRight = 361;
    c.m_dBottom = 127;
    CmdMoveGroundTurn(&c, &run);
    EXPECT_EQ(c.m_bFaceRight, k.faceAfter);
  }
  Cell(10, 4, 0).m_HitException = 255;
  Cell(11, 4, 0);
}

TEST_F(GroundTurn, ACellPastTheMapsStorageIsNoGround) {
  // Both cells solid, then the storage cut just before column 11 of row 4
  // (index 4 * 64 + 11 = 267): the right cell is outside, so the walker
  // turns left toward the left cell.
  Cell(10, 4, 1);
  Cell(11, 4, 1);
  c.m_bFaceRight = 1;
  c.m_dX = 330;
  c.m_dRight = 361;
  c.m_dBottom = 127;
  CmdMoveGroundTurn(&c, &run);
  EXPECT_EQ(c.m_bFaceRight, 1);  // whole map: ground under both
  BlockMap.resize(267);
  CmdMoveGroundTurn(&c, &run);
  EXPECT_EQ(c.m_bFaceRight, 0);
  // Cut before column 10 too: no ground under either edge.
  c.m_bFaceRight = 1;
  BlockMap.resize(266);
  CmdMoveGroundTurn(&c, &run);
  EXPECT_EQ(c.m_bFaceRight, 1);
}

TEST_F(GroundTurn, ACellWithAConditionIsGroundOnlyWhileItHolds) {
  // Feet at 127 over columns 10 and 11 of row 4, facing right. One cell is
  // solid under a condition; the other is plain solid or empty.
  struct Case {
    int condCol, plainCol;  // -1: no plain solid cell
    int answer;
    int8_t faceAfter;
  };
  const Case cases[] = {
      {10, -1, 0, 1},  // no ground under either edge: no turn
      {10, -1, 1, 0},  // ground under the left edge only: turns left
      {11, 10, 1, 1},  // ground under both: no turn
      {11, 10, 0, 0},  // the left only: turns left
  };
  ConditionTable[2] = GroundAnsweredCondition;
  for (const Case& k : cases) {
    SCOPED_TRACE(testing::Message() << k.condCol << " " << k.answer);
    if (k.plainCol >= 0) Cell(k.plainCol, 4, 1);
    cBlockCell& cell = Cell(k.condCol, 4, 1);
    cCond cond;
    cond.m_Kind = 2;
    cell.m_Conds.push_back(cond);
    g_groundCondAnswer = k.answer;
    c.m_bFaceRight = 1;
    c.m_nTurnSide = -1;
    c.m_dX = 330;
    c.m_dRight = 361;
    c.m_dBottom = 127;
    CmdMoveGroundTurn(&c, &run);
    EXPECT_EQ(c.m_bFaceRight, k.faceAfter);
    cell.m_Conds.clear();
    Cell(k.condCol, 4, 0);
    if (k.plainCol >= 0) Cell(k.plainCol, 4, 0);
  }
}
