// ctest-label: data
#include <gtest/gtest.h>

#include "data/Flow.h"
#include "flow_fixtures.h"

// The file's own namespace keeps its helpers apart from other test files compiled with it.
namespace flow_test {

using namespace flowfix;

namespace {

cFlow ReadFlowAt(const cFlow& src, uint32_t v) {
  cFlow f;
  EXPECT_TRUE(ReadBody(f, BodyAt(src, v), v)) << v;
  return f;
}

TEST(Flow, TriggerRenumbering) {
  struct Row {
    uint32_t version;
    int trigger, exclusive;
    int wantTrigger, wantExclusive;
  };
  const Row rows[] = {
      {131, 11, 0, 14, 0},  // 12, then 14
      {131, 16, 0, 22, 0},  // 17, 19, then 22
      {131, 3, 0, 3, 0},    {131, 0, 4, 0, 4},
      {132, 11, 0, 13, 0},  // the first step ends at 131
      {162, 4, 5, 4, 0},    // exclusive IDs belong to trigger-0 flows only
      {162, 0, 5, 0, 5},    {163, 4, 5, 4, 5},
      {163, 5, 0, 7, 0},    {164, 5, 0, 5, 0},
      {761, 18, 0, 21, 0},  {761, 17, 0, 17, 0},
      {762, 18, 0, 18, 0},  {791, 11, 0, 11, 0},
  };
  for (const Row& row : rows) {
    cFlow src;
    src.m_Trigger = static_cast<int8_t>(row.trigger);
    src.m_ExclusiveId = static_cast<int8_t>(row.exclusive);
    cFlow f = ReadFlowAt(src, row.version);
    EXPECT_EQ(f.m_Trigger, row.wantTrigger) << row.version << " " << row.trigger;
    EXPECT_EQ(f.m_ExclusiveId, row.wantExclusive) << row.version << " " << row.trigger;
  }
}

TEST(Flow, NamesAreStoredFrom676AndNeverKept) {
  cFlow src;
  src.m_FlowName = "jump";
  Bytes old = BodyAt(src, 675);
  Bytes named = BodyAt(src, 676);
  EXPECT_EQ(named.size(), old.size() + 9);  // length word and "jump\0"
  for (uint32_t v : {675u, 676u, 791u}) {
    cFlow f;
    f.m_FlowName = "stale";
    ASSERT_TRUE(ReadBody(f, v == 675 ? old : BodyAt(src, v), v));
    EXPECT_EQ(f.m_FlowName, "") << v;
  }
}

TEST(Flow, PartnerFieldsArriveAt762And767) {
  cFlow src;
  src.m_PartnerToTarget = 1;
  src.m_PartnerSlot = 2;
  src.m_KeyTolerance = 7;
  src.m_KeyRepeat = 1;
  cFlow a = ReadFlowAt(src, 761);
  EXPECT_EQ(a.m_PartnerToTarget, 0);
  EXPECT_EQ(a.m_PartnerSlot, 0);
  EXPECT_EQ(a.m_KeyTolerance, 7);
  EXPECT_EQ(a.m_KeyRepeat, 1);
  cFlow b = ReadFlowAt(src, 766);
  EXPECT_EQ(b.m_PartnerToTarget, 1);
  EXPECT_EQ(b.m_PartnerSlot, 0);
  cFlow c = ReadFlowAt(src, 767);
  EXPECT_EQ(c.m_PartnerSlot, 2);
}

TEST(KeyCond, StatesAreKeptAsStored) {
  cKeyCond fresh;
  EXPECT_EQ(fresh.m_KeyStates.size(), 19u);

  cKeyCond src;
  src.m_KeyStates.assign(12, 1);
  src.m_KeyStates[11] = 2;
  src.m_HoldMin = 3;
  src.m_HoldMax = 30;
  src.m_KeyMode = 2;
  Bytes body = BodyNow(src);
  cKeyCond k;
  ASSERT_TRUE(ReadBody(k, body, 791));
  EXPECT_EQ(k.m_KeyStates.size(), 12u);
  EXPECT_EQ(k.KeyState(11), 2);
  EXPECT_EQ(k.KeyState(15), 0);  // not stored: not tested
  EXPECT_EQ(k.KeyState(-1), 0);
  EXPECT_EQ(k.m_HoldMax, 30);
  EXPECT_EQ(BodyNow(k), body);

  // Clear pads to 19 and keeps existing states.
  k.Clear();
  EXPECT_EQ(k.m_KeyStates.size(), 19u);
  EXPECT_EQ(k.m_KeyStates[11], 2);
  EXPECT_EQ(k.m_HoldMax, 0);
}

TEST(Flow, ReadFlowVector) {
  {
    cVector<cFlow> flows(3);
    cRecordReader r(Bytes{0, 0, 0, 0});
    r.SetVersion(791);
    ASSERT_TRUE(ReadFlowVector(flows, r));
    EXPECT_TRUE(flows.empty());
  }
  {
    cFlow a;
    cFlow b;
    b.m_KeyTolerance = 5;
    ByteBuilder bb;
    bb.U32(2).Raw(BodyAt(a, 791)).Raw(BodyAt(b, 791));
    cVector<cFlow> flows;
    cRecordReader r(bb.bytes());
    r.SetVersion(791);
    ASSERT_TRUE(ReadFlowVector(flows, r));
    ASSERT_EQ(flows.size(), 2u);
    EXPECT_EQ(flows[0].m_KeyTolerance, 3);
    EXPECT_EQ(flows[1].m_KeyTolerance, 5);
    EXPECT_TRUE(r.AtEnd());
  }
  {
    // A count beyond what the bytes can hold is refused; the vector is unchanged.
    ByteBuilder bb;
    bb.U32(1000000);
    cVector<cFlow> flows(1);
    cRecordReader r(bb.bytes());
    r.SetVersion(791);
    EXPECT_FALSE(ReadFlowVector(flows, r));
    EXPECT_EQ(flows.size(), 1u);
  }
}

TEST(Flow, TestPlayFlowsFollowTheContext) {
  auto make = [] {
    cVector<cFlow> flows(4);
    flows[0].m_TestPlayOnly = 1;
    flows[1].m_FlowId = 1;
    flows[2].m_TestPlayOnly = 9;
    flows[3].m_FlowId = 2;
    return flows;
  };
  cReadContext plain;
  cVector<cFlow> flows = make();
  RemoveTestPlayFlows(flows, plain);
  ASSERT_EQ(flows.size(), 2u);
  EXPECT_EQ(flows[0].m_FlowId, 1);
  EXPECT_EQ(flows[1].m_FlowId, 2);

  cReadContext editor;
  editor.startedByEditor = true;
  flows = make();
  RemoveTestPlayFlows(flows, editor);
  EXPECT_EQ(flows.size(), 4u);

  cReadContext keep;
  keep.keepTestFlows = true;
  flows = make();
  RemoveTestPlayFlows(flows, keep);
  EXPECT_EQ(flows.size(), 4u);
}

TEST(Flow, FullFlowRoundTripsAndTruncationsFail) {
  cFlow f;
  f.m_FlowId = 3;
  f.m_Trigger = 7;
  f.m_Conds.resize(2);
  f.m_Conds[0].m_Kind = 1;
  f.m_KeyConds.resize(1);
  f.m_KeyConds[0].m_KeyStates[4] = 1;
  f.m_Cmds.resize(2);
  f.m_Cmds[0].m_CmdKind = 10;  // ジャンプ
  f.m_Cmds[1].m_CmdKind = 37;  // コードの実行
  f.m_Cmds[1].m_Text = "x = 1";
  cEdMove::Reset(f.m_Cmds[0].m_pMove);
  Bytes body = BodyNow(f);

  cFlow g;
  ASSERT_TRUE(ReadBody(g, body, 791));
  EXPECT_EQ(BodyNow(g), body);
  ASSERT_EQ(g.m_Cmds.size(), 2u);
  EXPECT_EQ(g.m_Cmds[0].m_Params.size(), 5u);
  EXPECT_EQ(g.m_Cmds[1].m_Text, "x = 1");

  for (size_t cut = 0; cut < body.size(); ++cut) {
    cFlow h;
    EXPECT_FALSE(ReadBody(h, Bytes(body.begin(), body.begin() + static_cast<long>(cut)), 791)) << cut;
  }
}

// A command carries flows, whose commands carry flows, and so on.
Bytes NestedCmd(int depth) {
  OldCmd c;
  c.kind = 1;
  if (depth > 0) {
    ByteBuilder flows;
    flows.U32(1).Raw(FlowBytes(791, 0, 0, {NestedCmd(depth - 1)}));
    c.subFlows = flows.bytes();
  }
  return CmdBytes(c, 791);
}

TEST(Flow, NestingIsBounded) {
  cFlowCmd shallow;
  ASSERT_TRUE(ReadBody(shallow, NestedCmd(8), 791));
  const cFlowCmd* c = &shallow;
  for (int i = 0; i < 8; ++i) {
    ASSERT_EQ(c->m_SubFlows.size(), 1u);
    ASSERT_EQ(c->m_SubFlows[0].m_Cmds.size(), 1u);
    c = &c->m_SubFlows[0].m_Cmds[0];
  }
  EXPECT_TRUE(c->m_SubFlows.empty());

  cFlowCmd deep;
  EXPECT_FALSE(ReadBody(deep, NestedCmd(200), 791));
}

}  // namespace

}  // namespace flow_test
