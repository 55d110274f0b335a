// ctest-label: engine
#include <gtest/gtest.h>

#include <vector>

#include "data/FlowCmd.h"
#include "engine/flow/ParamTable.h"
#include "tests/engine/script/fake_script_world.h"

namespace {

using scripttest::FakeChara;
using scripttest::FakeWorld;

cFlowCmd Cmd(int kind, bool item = false) {
  cFlowCmd c;
  c.m_CmdSet = item ? 1 : 0;
  c.m_CmdKind = static_cast<int8_t>(kind);
  c.m_Params.assign(20, 0);
  c.m_pMove.reset(new cEdMove);
  c.m_pShot.reset(new cEdShot);
  return c;
}

ArrangeEntry Entry(int kind, int row, int op, int source, int index) {
  ArrangeEntry e;
  e.m_nKind = kind;
  e.m_nRow = row;
  e.m_nOp = op;
  e.m_nSource = source;
  e.m_nIndex = index;
  return e;
}

TEST(ParamTable, RowsAndLabels) {
  InitParamTable();
  ASSERT_EQ(ParamTable.size(), 40u);
  const size_t sizes[40] = {0, 0, 6, 0, 0, 6, 6, 0, 0, 0, 0, 29, 4, 6, 8, 7, 0, 5, 0, 5,
                            6, 3, 2, 0, 1, 0, 2, 0, 0, 5, 0, 0, 6, 4, 1, 0, 0, 0, 0, 0};
  for (int k = 0; k < 40; ++k) EXPECT_EQ(ParamTable[static_cast<size_t>(k)].size(), sizes[k]) << k;
  EXPECT_EQ(ParamTable[2][4].m_Label, "\x8A\x70\x93\x78");  // 角度
  EXPECT_EQ(ParamTable[2][4].m_nMin, -7200);
  EXPECT_EQ(ParamTable[11][27].m_Label, "\x88\xD0\x97\xCD");  // 威力
  EXPECT_EQ(ParamTable[11][27].m_nMax, 999999);
  EXPECT_EQ(ParamTable[33][3].m_Label, "%");
  EXPECT_EQ(ParamTable[14][0].m_nMax, 9999);
  // Kinds 3, 4 and 7 have functions that do nothing; kinds without rows have none.
  EXPECT_NE(ArrangeSetTable[3], nullptr);
  EXPECT_EQ(ArrangeSetTable[0], nullptr);
  EXPECT_EQ(ArrangeSetTable[38], nullptr);
}

TEST(ParamTable, ApplyArrangeAccumulatesAndClamps) {
  FakeWorld w;
  FakeChara self;
  cFlowCmd move = Cmd(2);
  w.common[1] = 90;
  for (int i = 0; i < 3; ++i) ApplyArrange(w, move, Entry(2, 4, 1, 0, 1), &self);
  EXPECT_EQ(move.m_pMove->m_Angle, 270);  // the change stays in the command

  cFlowCmd homing = Cmd(6);
  w.stage[2] = 15;
  ApplyArrange(w, homing, Entry(6, 0, 0, 1, 2), &self);
  EXPECT_EQ(homing.m_pMove->m_Extra, 10);

  struct Row {
    int kind, row, op;
    int32_t start, operand, expected;
  };
  const Row rows[] = {
      {2, 0, 0, 0, 700, 640},                 // set, clamped
      {2, 4, 2, 100, 7300, -7200},            // subtract
      {2, 4, 4, 700, 0, 700},                 // ÷0 keeps the value
      {2, 4, 5, 700, 0, 700},                 // remainder by 0 keeps it
      {2, 1, 4, 700, 0, 640},                 // ...and then it is clamped
      {2, 4, 5, -7, 3, -1},                   // sign of the value
      {2, 4, 4, -7, 2, -3},                   // truncation toward zero
      {11, 27, 3, 999999, 999999, 999999},    // a product past 32 bits saturates
      {11, 27, 3, 999999, -999999, -999999},
      {11, 27, 3, -999999, -999999, 999999},
      {21, 2, 3, 65536, 65536, 999999},       // 2^32 wraps to 0 in 32 bits
      {11, 27, 6, 150, 33, 50},               // 49.5 rounds away from zero
      {11, 27, 6, -150, 33, -50},
      {11, 27, 6, 150, 32, 48},
      {11, 27, 9, 123, 5, 123},               // unknown operation
      {11, 28, 0, 0, -5, -5},                 // 8-bit field, read back signed
      {11, 28, 1, -5, -30, -20},
      {11, 5, 1, 100, 100, 127},
      {11, 0, 2, 5, 10, 1},
      {19, 0, 1, 998, 5, 999},                // integer parameter 13
      {33, 3, 0, 0, 150, 100},
  };
  for (const Row& r : rows) {
    cFlowCmd c = Cmd(r.kind);
    SetArrangeParam(r.start, r.row, c);
    w.common[7] = r.operand;
    ApplyArrange(w, c, Entry(r.kind, r.row, r.op, 0, 7), &self);
    int32_t got = 0;
    ASSERT_EQ(GetArrangeParam(got, r.row, c), 1);
    EXPECT_EQ(got, r.expected) << "kind " << r.kind << " row " << r.row << " op " << r.op;
  }
}

TEST(ParamTable, FormationAndMovementRanges) {
  FakeWorld w;
  FakeChara self;
  w.common[1] = 0;
  cFlowCmd shot = Cmd(11);
  shot.m_pShot->m_Formation = 3;  // 落雷: value 2 is the number of rows, 1..50
  ApplyArrange(w, shot, Entry(11, 3, 0, 0, 1), &self);
  EXPECT_EQ(shot.m_pShot->m_FormationParam[1], 1);
  shot.m_pShot->m_Formation = 4;  // 爆発 has no values: 0..0
  shot.m_pShot->m_FormationParam[0] = 9;
  w.common[1] = 5;
  ApplyArrange(w, shot, Entry(11, 2, 1, 0, 1), &self);
  EXPECT_EQ(shot.m_pShot->m_FormationParam[0], 0);
  shot.m_pShot->m_Formation = 9;  // outside the table: no range, no change
  shot.m_pShot->m_FormationParam[0] = 9;
  ApplyArrange(w, shot, Entry(11, 2, 1, 0, 1), &self);
  EXPECT_EQ(shot.m_pShot->m_FormationParam[0], 9);

  shot.m_pShot->m_ShotMove = 8;  // ウェーブ: start angle 0..359
  w.common[1] = 400;
  ApplyArrange(w, shot, Entry(11, 17, 0, 0, 1), &self);
  EXPECT_EQ(shot.m_pShot->m_MoveParam[2], 359);

  cFlowCmd summon = Cmd(15);  // アイテム召喚: formation rows 1..3
  summon.m_pShot->m_Formation = 5;
  w.common[1] = 100;
  ApplyArrange(w, summon, Entry(15, 1, 0, 0, 1), &self);
  EXPECT_EQ(summon.m_pShot->m_FormationParam[0], 40);
}

TEST(ParamTable, SourcesKindsAndPendingEntries) {
  FakeWorld w;
  FakeChara self;
  self.vars[0] = 3;
  w.common[0] = 50;
  w.stage[0] = 50;
  cFlowCmd c = Cmd(2);
  ApplyArrange(w, c, Entry(2, 4, 0, 0, 0), &self);  // common variable 0 is never a source
  ApplyArrange(w, c, Entry(2, 4, 0, 1, 0), &self);  // nor stage variable 0
  ApplyArrange(w, c, Entry(2, 4, 0, 0, 1001), &self);
  ApplyArrange(w, c, Entry(2, 4, 0, 1, 1000), &self);
  ApplyArrange(w, c, Entry(2, 4, 0, 2, 9), &self);
  ApplyArrange(w, c, Entry(2, 4, 0, 3, 1), &self);   // unknown source
  ApplyArrange(w, c, Entry(2, 40, 0, 2, 0), &self);  // a row past the list
  ApplyArrange(w, c, Entry(5, 4, 0, 2, 0), &self);   // another kind
  EXPECT_EQ(c.m_pMove->m_Angle, 0);
  ApplyArrange(w, c, Entry(2, 4, 0, 2, 0), &self);   // character variable 0 is
  EXPECT_EQ(c.m_pMove->m_Angle, 3);

  cFlowCmd noMove = Cmd(2);
  noMove.m_pMove.reset();
  ApplyArrange(w, noMove, Entry(2, 4, 0, 2, 0), &self);
  cFlowCmd shortParams = Cmd(19);
  shortParams.m_Params.assign(3, 0);
  ApplyArrange(w, shortParams, Entry(19, 0, 0, 2, 0), &self);  // integer 13 missing
  EXPECT_EQ(shortParams.m_Params.size(), 3u);
  cFlowCmd none = Cmd(3);
  ApplyArrange(w, none, Entry(3, 0, 0, 2, 0), &self);

  // Item commands name the character kind: item kind 4 is kind 19.
  cFlowCmd item = Cmd(4, true);
  w.common[2] = 42;
  ApplyArrange(w, item, Entry(19, 0, 0, 0, 2), &self);
  EXPECT_EQ(item.m_Params[13], 42);
  ApplyArrange(w, item, Entry(4, 0, 0, 0, 2), &self);

  // Pending entries: all apply in order to the next command, then are dropped,
  // matching or not; an arrange command leaves them pending.
  w.common[1] = 10;
  std::vector<ArrangeEntry> pending = {Entry(2, 4, 1, 0, 1), Entry(2, 4, 3, 0, 1)};
  cFlowCmd arrange = Cmd(kArrangeKind);
  ApplyArranges(w, arrange, pending, &self);
  EXPECT_EQ(pending.size(), 2u);
  cFlowCmd target = Cmd(2);
  target.m_pMove->m_Angle = 5;
  ApplyArranges(w, target, pending, &self);
  EXPECT_EQ(target.m_pMove->m_Angle, 150);
  EXPECT_TRUE(pending.empty());
  pending = {Entry(2, 4, 1, 0, 1)};
  cFlowCmd other = Cmd(11);
  ApplyArranges(w, other, pending, &self);
  EXPECT_TRUE(pending.empty());
  ApplyArranges(w, target, pending, &self);
  EXPECT_EQ(target.m_pMove->m_Angle, 150);

  // The entry copies an arrange command's five parameters.
  cFlowCmd a = Cmd(kArrangeKind);
  a.m_Params = {11, 27, 3, 2, 4};
  ArrangeEntry e = ArrangeEntry::FromCmd(a);
  EXPECT_EQ(e.m_nKind, 11);
  EXPECT_EQ(e.m_nIndex, 4);
  a.m_Params.clear();
  EXPECT_EQ(ArrangeEntry::FromCmd(a).m_nKind, 0);
}

}  // namespace
