// ctest-label: engine
// The ground move's turn at ledges: the two cells under the feet decide.
#include <gtest/gtest.h>

#include <memory>

#include "data/EdMove.h"
#include "data/FlowCmd.h"
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
      // Feet at -40: -38.9 floors to -39, and -39 / 32 is row -1: nothing
      // is read there, even with ground in row 0.
      {"above the map: no row", 330, 361, -40, 10, 0, -1, 1, 1},
      // Left edge -20: -20 / 32 is column 0 (toward zero).
      {"left edge just left of the map: column 0", -20, 11, 127, 0, 4, -1, 1, 1},
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

TEST_F(GroundTurn, ACellWithAConditionIsGroundOnlyWhileItHolds) {
  // Feet at 127 over columns 10 and 11 of row 4; the left cell is solid
  // under a condition.
  ConditionTable[2] = GroundAnsweredCondition;
  cBlockCell& cell = Cell(10, 4, 1);
  cCond cond;
  cond.m_Kind = 2;
  cell.m_Conds.push_back(cond);
  for (int answer : {0, 1}) {
    SCOPED_TRACE(answer);
    g_groundCondAnswer = answer;
    c.m_bFaceRight = 1;
    c.m_nTurnSide = -1;
    c.m_dX = 330;
    c.m_dRight = 361;
    c.m_dBottom = 127;
    CmdMoveGroundTurn(&c, &run);
    EXPECT_EQ(c.m_bFaceRight, answer ? 0 : 1);
  }
  cell.m_Conds.clear();
}
