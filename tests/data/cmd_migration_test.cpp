// ctest-label: data
#include <gtest/gtest.h>

#include <functional>

#include "data/FlowCmd.h"
#include "data/FlowCmdMigrations.h"
#include "flow_fixtures.h"
#include "tests/support/TestSupport.h"

// The file's own namespace keeps its helpers apart from other test files compiled with it.
namespace cmd_migration_test {

using namespace flowfix;

namespace {

std::vector<int32_t> Seq(int from, int count) {
  std::vector<int32_t> v;
  for (int i = 0; i < count; ++i) v.push_back(from + i);
  return v;
}

// A command read from a file of the given version: the whole reader runs,
// so the steps are followed by validation as in play.
cFlowCmd ReadOld(const OldCmd& c, uint32_t v) {
  cFlowCmd cmd;
  EXPECT_TRUE(ReadBody(cmd, CmdBytes(c, v), v)) << v;
  return cmd;
}

struct Row {
  const char* name;
  uint32_t version;
  uint8_t set;
  int kind;
  std::vector<int32_t> params;
  int wantKind;
  std::vector<int32_t> wantParams;
};

// Kinds are given as stored in the file: before 734 the older numbering.
const Row kRows[] = {
    {"BGM from 165", 165, 0, 35, {7}, 36, {7, 1}},
    {"item BGM from 165", 165, 1, 20, {7}, 21, {7, 1}},
    {"target setting from 188", 188, 0, 21, Seq(100, 15), 21,
     {0, 100, 101, 0, 102, 103, 104, 105, 106, 107, 108, 0, 1, 111, 112, 0}},
    {"item target setting from 188", 188, 1, 6, Seq(100, 15), 6,
     {0, 100, 101, 0, 102, 103, 104, 105, 106, 107, 108, 0, 1, 111, 112, 0}},
    {"turn from 766, p0 4", 766, 0, 9, {4}, 9, {10}},
    {"turn from 766, p0 3", 766, 0, 9, {3}, 9, {3}},
    {"flow operation from 759", 759, 0, 16, {1, 2, 3}, 16, {1, 2, 3, 0}},
    {"chara effect from 733", 733, 0, 30, {1, 2, 3}, 31, {1, 2, 3}},
    {"status 2 from 733 keeps its kind", 733, 0, 23, {0, 1, 2}, 23, {0, 1, 2}},
    {"item chara effect from 733", 733, 1, 15, {1, 2, 3}, 16, {1, 2, 3}},
    {"nothing runs at 791", 791, 0, 35, {7}, 35, {7}},
    {"stage clear from 144", 144, 0, 17, {2, 1}, 17, {3, 1, 0, 0, 0, 0, 0, 0, 0}},
    {"item stage clear from 721", 721, 1, 2, {2, 5, 6, 7, 8, 9, 10, 11, 12}, 2, {3, 5, 6, 7, 8, 9, 10, 11, 12}},
    {"status op 1 from 150", 150, 0, 22,
     {0, 0, 0, 1, 10, 0, 2, 0, 0, 0, 0, 0, 2, 10, 0, 0, 0, 0}, 22,
     {0, 0, 0, 1, 12, 0, 2, 0, 0, 0, 0, 0, 5, 10, 0, 0, 0, 0}},
    {"status op 2 from 209", 209, 0, 23, {0, 6, 0}, 23, {0, 7, 0}},
    {"status op 2 from 766 owner", 766, 0, 23, {2, 6, 0}, 23, {5, 6, 0}},
    {"graphic change from 218 caps the mark", 218, 0, 25, {3, 119, 0}, 26, {3, 119, 0}},
    {"graphic change from 218", 218, 0, 25, {3, 40, 0}, 26, {3, 41, 0}},
    {"picture from 193", 193, 0, 31, {1, 2, 3, 4, 5, 6, 7}, 32, {1, 2, 3, 4, 5, 6, 1, 7, 0, 0, 0, 0, 0, 0, 0}},
    {"chara effect from 194", 194, 0, 29, {5, 6}, 30, {5, 0, 6}},
    {"summons from 202 lose their parameters", 202, 0, 14, {1, 2}, 14, {}},
    {"message from 544, placement 7", 544, 0, 19, {7}, 19,
     {7, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 1, 0, 1, 0}},
    {"message from 544, placement 2", 544, 0, 19, {2}, 19,
     {2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 1, 0}},
    {"arrange from 725", 725, 0, 37, {0, 13}, 38, {11, 20, 0, 0, 0}},
    {"arrange from 726, low target", 726, 0, 37, {11, 2, 0, 0, 0}, 38, {11, 5, 0, 0, 0}},
    {"arrange from 733, p0 24", 733, 0, 37, {24, 0, 0, 0, 0}, 38, {25, 0, 0, 0, 0}},
    {"item arrange from 725", 725, 1, 22, {0, 13}, 23, {11, 20, 0, 0, 0}},
    {"item status op 2 from 766", 766, 1, 8, {3, 0, 0}, 8, {6, 0, 0}},
};

TEST(FlowCmdMigration, WorkedExamples) {
  for (const Row& row : kRows) {
    OldCmd c;
    c.set = row.set;
    c.kind = static_cast<int8_t>(row.kind);
    c.params = row.params;
    cFlowCmd cmd = ReadOld(c, row.version);
    EXPECT_EQ(cmd.m_CmdKind, row.wantKind) << row.name;
    EXPECT_EQ(Params(cmd), row.wantParams) << row.name;
  }
}

TEST(FlowCmdMigration, FlowOperationGainsADisabledList) {
  OldCmd c;
  c.kind = 16;
  c.params = {1, 2, 3};
  cFlowCmd cmd = ReadOld(c, 759);
  ASSERT_TRUE(cmd.m_pCondList);
  EXPECT_EQ(cmd.m_pCondList->m_Enabled, 0);
  EXPECT_TRUE(cmd.m_pCondList->m_Conds.empty());

  // From 764 the file says whether there is one.
  c.params.push_back(0);
  EXPECT_FALSE(ReadOld(c, 764).m_pCondList);
}

TEST(FlowCmdMigration, RecordSteps) {
  OldCmd warp;
  warp.kind = 20;
  cEdMove::Reset(warp.move);
  warp.move->m_MoveBy = 2;
  EXPECT_EQ(ReadOld(warp, 766).m_pMove->m_MoveBy, 5);
  EXPECT_EQ(ReadOld(warp, 767).m_pMove->m_MoveBy, 2);
  warp.move->m_MoveBy = 1;
  EXPECT_EQ(ReadOld(warp, 766).m_pMove->m_MoveBy, 1);

  OldCmd itemWarp = warp;
  itemWarp.set = 1;
  itemWarp.kind = 5;
  itemWarp.move->m_MoveBy = 3;
  EXPECT_EQ(ReadOld(itemWarp, 700).m_pMove->m_MoveBy, 6);

  OldCmd charge;
  charge.kind = 5;
  cEdMove::Reset(charge.move);
  charge.move->m_Angle = 45;
  charge.move->m_AngleStep = 5;
  cFlowCmd c = ReadOld(charge, 513);
  EXPECT_EQ(c.m_pMove->m_Angle, 0);
  EXPECT_EQ(c.m_pMove->m_AngleStep, 0);
  EXPECT_EQ(c.m_pMove->m_MirrorAngle, 1);
  EXPECT_EQ(ReadOld(charge, 514).m_pMove->m_Angle, 45);

  OldCmd shot;
  shot.kind = 11;
  cEdShot::Reset(shot.shot);
  shot.shot->m_Graphic = 10;
  EXPECT_EQ(ReadOld(shot, 219).m_pShot->m_Graphic, 11);
  EXPECT_EQ(ReadOld(shot, 220).m_pShot->m_Graphic, 10);
  shot.shot->m_Graphic = 119;
  EXPECT_EQ(ReadOld(shot, 219).m_pShot->m_Graphic, 119);
}

// Damaged commands: lists shorter than a step expects, records missing.
// Nothing may crash or report a bad index; validation sizes the list.
TEST(FlowCmdMigration, GuardsAgainstMissingParametersAndRecords) {
  testsupport::LogCapture log;
  struct Guard {
    const char* name;
    uint32_t version;
    uint8_t set;
    int kind;
    std::vector<int32_t> params;
    size_t wantSize;
  };
  const Guard guards[] = {
      {"two-element status command at 150", 150, 0, 22, {0, 0}, 18},
      {"empty status command at 150", 150, 0, 22, {}, 18},
      {"item status command at 150", 150, 1, 7, {0, 0}, 18},
      {"status 2 without p1 at 200", 200, 0, 23, {0}, 3},
      {"graphic change without p1 at 200", 200, 0, 25, {3}, 3},
      {"item graphic change without p1 at 200", 200, 1, 10, {3}, 3},
      {"message without p10 at 545", 545, 0, 19, {0}, 18},
      {"stage clear empty at 700", 700, 0, 17, {}, 9},
      {"arrange empty at 726", 726, 0, 37, {}, 5},
      {"turn empty at 700", 700, 0, 9, {}, 1},
      {"status op owner shift short at 700", 700, 0, 22, {0, 0, 0}, 18},
  };
  for (const Guard& g : guards) {
    OldCmd c;
    c.set = g.set;
    c.kind = static_cast<int8_t>(g.kind);
    c.params = g.params;
    cFlowCmd cmd = ReadOld(c, g.version);
    EXPECT_EQ(cmd.m_Params.size(), g.wantSize) << g.name;
  }

  OldCmd shotless;
  shotless.kind = 11;
  EXPECT_FALSE(ReadOld(shotless, 219).m_pShot);
  OldCmd moveless;
  moveless.kind = 5;
  EXPECT_FALSE(ReadOld(moveless, 500).m_pMove);
  moveless.kind = 20;
  EXPECT_FALSE(ReadOld(moveless, 766).m_pMove);
  moveless.set = 1;
  moveless.kind = 5;
  EXPECT_FALSE(ReadOld(moveless, 766).m_pMove);

  EXPECT_EQ(log.Text().find("err V"), std::string::npos);
}

TEST(FlowCmdMigration, ValuesAtTheLimitsWrapWithoutOverflow) {
  cFlowCmd cmd;
  cmd.m_CmdKind = 23;
  cmd.m_Params = {0, INT32_MAX, 0};
  MigrateFlowCmd(cmd, 209);
  EXPECT_EQ(cmd.m_Params[1], INT32_MIN);

  cFlowCmd kind;
  kind.m_CmdKind = 127;
  MigrateFlowCmd(kind, 733);
  EXPECT_EQ(kind.m_CmdKind, -128);  // outside the table either way
  kind.Validate(cReadContext());
  EXPECT_TRUE(kind.m_Params.empty());
}

}  // namespace

}  // namespace cmd_migration_test
