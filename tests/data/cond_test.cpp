// ctest-label: data
#include <gtest/gtest.h>

#include <climits>

#include "data/Cond.h"
#include "flow_fixtures.h"

// The file's own namespace keeps its helpers apart from other test files compiled with it.
namespace cond_test {

using namespace flowfix;

namespace {

TEST(Cond, CurrentLayoutIs36BytesAndRoundTrips) {
  cCond c;
  c.m_Kind = 4;
  c.m_Value = -5;
  c.m_RandomMin = 1;
  c.m_RandomMax = 9;
  c.m_Target = 3;
  c.m_Status = 7;
  c.m_Index = 300;
  c.m_RightIndex = -2;
  c.m_Op = 5;
  c.m_Shape = 6;
  Bytes body = BodyNow(c);
  ASSERT_EQ(body.size(), 36u);
  EXPECT_EQ(body[0], 17);  // field entries
  EXPECT_EQ(std::vector<unsigned char>(body.end() - 4, body.end()), Bytes({0, 0, 0, 0}));

  cCond back;
  ASSERT_TRUE(ReadBody(back, body, 791));
  EXPECT_EQ(BodyNow(back), body);
  EXPECT_EQ(back.m_Index, 300);
  EXPECT_EQ(back.m_RightIndex, -2);
}

// Before 110 two 2-byte values stood where the random bounds and owners are
// now; they are dropped whichever way the entries were split.
class CondBefore110 : public ::testing::TestWithParam<bool> {};

TEST_P(CondBefore110, ReadsWithDroppedValuesAsOneOrTwoEntries) {
  const bool twoEntries = GetParam();
  ByteBuilder b;
  // The same bytes either way; only the entry count differs.
  b.I32(twoEntries ? 7 : 6).U8(4).I32(1234).I16(0x1111).I16(0x2222).U8(3).U8(1).U8(2).I32(0);

  cCond c;
  ASSERT_TRUE(ReadBody(c, b.bytes(), 100));
  EXPECT_EQ(c.m_Kind, 4);
  EXPECT_EQ(c.m_Value, 1234);
  EXPECT_EQ(c.m_Op, 3);
  EXPECT_EQ(c.m_Percent, 1);
  EXPECT_EQ(c.m_Shape, 2);
  EXPECT_EQ(c.m_RandomMin, 0);
  EXPECT_EQ(c.m_RandomMax, 0);
  EXPECT_EQ(c.m_Target, 0);
  EXPECT_EQ(c.m_Status, 0);
  EXPECT_EQ(c.m_LeftSource, 0);
  EXPECT_EQ(c.m_Index, 0);
  EXPECT_EQ(c.m_RightSource, 0);
  EXPECT_EQ(c.m_RightIndex, 0);
  // Written again in the current layout.
  EXPECT_EQ(BodyNow(c).size(), 36u);
}

INSTANTIATE_TEST_SUITE_P(Layouts, CondBefore110, ::testing::Values(false, true));

TEST(Cond, Before43HasNoPercentByte) {
  ByteBuilder b;
  b.I32(6).U8(1).I32(8).I16(0).I16(0).U8(2).U8(5).I32(0);
  cCond c;
  ASSERT_TRUE(ReadBody(c, b.bytes(), 42));
  EXPECT_EQ(c.m_Op, 2);
  EXPECT_EQ(c.m_Shape, 5);
  EXPECT_EQ(c.m_Percent, 0);
}

TEST(Cond, SurplusOrBrokenEntriesAreRefused) {
  ByteBuilder tooMany;
  tooMany.I32(8).U8(4).I32(0).I16(0).I16(0).U8(0).U8(0).U8(0).U8(0).I32(0);
  cCond c;
  EXPECT_FALSE(ReadBody(c, tooMany.bytes(), 100));

  cCond cur;
  Bytes body = BodyNow(cur);
  for (size_t cut = 0; cut < body.size(); ++cut) {
    cCond d;
    EXPECT_FALSE(ReadBody(d, Bytes(body.begin(), body.begin() + static_cast<long>(cut)), 791)) << cut;
  }
}

struct MigrationRow {
  const char* name;
  uint32_t version;
  cCond in;
  cCond expected;
};

cCond MakeCond(int kind, int leftSource, int target, int status, int rightSource, int rightTarget, int rightStatus,
               int op = 0) {
  cCond c;
  c.m_Kind = static_cast<int8_t>(kind);
  c.m_LeftSource = static_cast<int8_t>(leftSource);
  c.m_Target = static_cast<int8_t>(target);
  c.m_Status = static_cast<int8_t>(status);
  c.m_RightSource = static_cast<int8_t>(rightSource);
  c.m_RightTarget = static_cast<int8_t>(rightTarget);
  c.m_RightStatus = static_cast<int8_t>(rightStatus);
  c.m_Op = static_cast<int8_t>(op);
  return c;
}

TEST(Cond, MigrationChain) {
  const MigrationRow rows[] = {
      // Kind 5 became 7 when 5 and 6 were inserted, then gets the distance defaults.
      {"v159 kind 5", 159, MakeCond(5, 1, 3, 0, 0, 0, 0), MakeCond(7, 0, 0, 0, 1, 1, 0)},
      {"v159 kind 3 stays", 159, MakeCond(3, 0, 2, 11, 0, 0, 0), MakeCond(3, 0, 2, 11, 0, 0, 0)},
      {"v160 kind 6 state 2 flips op", 160, MakeCond(6, 0, 0, 2, 0, 0, 0, 0), MakeCond(6, 0, 0, 2, 0, 0, 0, 1)},
      {"v161 kind 6 keeps op", 161, MakeCond(6, 0, 0, 2, 0, 0, 0, 0), MakeCond(6, 0, 0, 2, 0, 0, 0, 0)},
      // Status 10 moves twice (limits 10 and 5); owner 1 stays 1.
      {"v150 status 10", 150, MakeCond(4, 0, 1, 10, 0, 0, 0), MakeCond(4, 0, 1, 12, 0, 0, 0)},
      {"v150 right status", 150, MakeCond(4, 1, 0, 10, 2, 0, 10), MakeCond(4, 1, 0, 10, 2, 0, 12)},
      {"v150 system owner untouched", 150, MakeCond(4, 0, 2, 10, 0, 0, 0), MakeCond(4, 0, 5, 10, 0, 0, 0)},
      {"v200 status 5", 200, MakeCond(4, 0, 0, 5, 0, 0, 0), MakeCond(4, 0, 0, 6, 0, 0, 0)},
      {"v209 kind 5 status 6", 209, MakeCond(5, 0, 0, 6, 0, 0, 0), MakeCond(5, 0, 0, 7, 0, 0, 0)},
      {"v700 owner 2", 700, MakeCond(4, 0, 2, 1, 2, 2, 1), MakeCond(4, 0, 5, 1, 2, 5, 1)},
      {"v700 kind 5 owner 1", 700, MakeCond(5, 0, 1, 1, 0, 0, 0), MakeCond(5, 0, 1, 1, 0, 0, 0)},
      {"v767 owner 2 stays", 767, MakeCond(4, 0, 2, 1, 0, 0, 0), MakeCond(4, 0, 2, 1, 0, 0, 0)},
      {"v744 kind 7", 744, MakeCond(7, 1, 3, 0, 0, 0, 0), MakeCond(7, 0, 3, 0, 1, 1, 0)},
      {"v791 untouched", 791, MakeCond(5, 1, 3, 6, 0, 2, 0), MakeCond(5, 1, 3, 6, 0, 2, 0)},
  };
  for (const auto& row : rows) {
    cCond c;
    ASSERT_TRUE(ReadBody(c, BodyAt(row.in, row.version), row.version)) << row.name;
    cCond expected = row.expected;
    EXPECT_EQ(BodyNow(c), BodyNow(expected)) << row.name;
  }
}

TEST(Cond, Version100Kind4ReadsOnlyWhatTheFileHad) {
  cCond in = MakeCond(4, 1, 2, 10, 2, 2, 10, 3);
  in.m_Value = 77;
  in.m_Shape = 1;
  cCond c;
  ASSERT_TRUE(ReadBody(c, BodyAt(in, 100), 100));
  cCond expected = MakeCond(4, 0, 0, 0, 0, 0, 0, 3);
  expected.m_Value = 77;
  expected.m_Shape = 1;
  EXPECT_EQ(BodyNow(c), BodyNow(expected));
}

TEST(CondList, Version765HasNoVectorAndGainsAnEmptyOne) {
  ByteBuilder b;
  b.I32(2).U8(1).U8(1).I32(0);
  cCondList list;
  ASSERT_TRUE(ReadBody(list, b.bytes(), 765));
  EXPECT_EQ(list.m_Enabled, 1);
  EXPECT_EQ(list.m_Mode, 1);
  EXPECT_TRUE(list.m_Conds.empty());
  ByteBuilder expected;
  expected.Raw(b.bytes()).U32(0);
  EXPECT_EQ(BodyNow(list), expected.bytes());
}

TEST(CondList, Version766ReadsConditions) {
  cCondList src;
  src.m_Enabled = 1;
  src.m_Conds.resize(2);
  src.m_Conds[1].m_Kind = 2;
  src.m_Conds[1].m_Value = 9;
  cCondList list;
  ASSERT_TRUE(ReadBody(list, BodyAt(src, 766), 766));
  ASSERT_EQ(list.m_Conds.size(), 2u);
  EXPECT_EQ(list.m_Conds[1].m_Value, 9);
}

TEST(CondList, HostileCountIsRefusedBeforeAllocating) {
  ByteBuilder b;
  b.I32(2).U8(1).U8(0).I32(0).U32(0xFFFFFFFF);
  cCondList list;
  list.m_Conds.resize(1);
  EXPECT_FALSE(ReadBody(list, b.bytes(), 791));
}

TEST(CompareCond, OperatorTable) {
  struct Row {
    int op;
    int32_t l, r;
    bool holds;
  };
  const Row rows[] = {
      {0, 3, 3, true},      {0, 3, 4, false},        {1, 3, 4, true},         {1, 4, 4, false},
      {2, 4, 4, true},      {2, 3, 4, false},        {3, 4, 4, true},         {3, 5, 4, false},
      {4, 5, 4, true},      {4, 4, 4, false},        {5, 3, 4, true},         {5, 4, 4, false},
      {6, 9, 3, true},      {6, -9, 3, true},        {6, 10, 3, false},       {6, 12345, 0, true},
      {6, 0, 0, true},      {7, 12345, 0, false},    {7, 10, 3, true},        {7, -9, 3, false},
      {6, 9, -3, true},     {6, INT_MIN, -1, true},  {6, INT_MIN, 2, true},   {6, INT_MIN, 3, false},
      {7, INT_MIN, -1, false}, {7, INT_MIN, 3, true}, {2, INT_MIN, INT_MAX, false}, {4, INT_MAX, INT_MIN, true},
      {8, 1, 1, false},     {-1, 1, 1, false},
  };
  for (const Row& row : rows)
    EXPECT_EQ(CompareCond(row.op, row.l, row.r), row.holds) << row.op << " " << row.l << " " << row.r;
}

// Conditions with a random right-hand value draw once each when tested, so
// the number of draws shows which conditions a group tested.
struct CountingRandom {
  int draws = 0;
  int32_t next = 0;
  int32_t operator()(int32_t, int32_t) {
    ++draws;
    return next;
  }
};

cCond RandomCond(int32_t value, int op) {
  cCond c;
  c.m_Kind = 4;
  c.m_LeftSource = 1;
  c.m_RightSource = 1;
  c.m_Value = value;  // stands for the left-hand variable here
  c.m_Op = static_cast<int8_t>(op);
  return c;
}

TEST(CondGroup, StopsAtTheDecidingCondition) {
  CountingRandom rng;
  auto holds = [&](const cCond& c) { return CompareCond(c.m_Op, c.m_Value, rng(c.m_RandomMin, c.m_RandomMax)); };
  // Random source yields 0: "value = 0" holds for value 0 only.
  cVector<cCond> conds = {RandomCond(0, 0), RandomCond(1, 0), RandomCond(0, 0), RandomCond(0, 0)};

  bool once = false;
  EXPECT_FALSE(CondGroupHolds(conds, 0, 0, once, holds));
  EXPECT_EQ(rng.draws, 2);  // stopped at the first failure
  EXPECT_FALSE(once);

  rng.draws = 0;
  EXPECT_TRUE(CondGroupHolds(conds, 1, 0, once, holds));
  EXPECT_EQ(rng.draws, 1);  // stopped at the first that held
  EXPECT_TRUE(once);

  rng.draws = 0;
  cVector<cCond> none = {RandomCond(1, 0), RandomCond(2, 0), RandomCond(3, 0)};
  once = false;
  EXPECT_FALSE(CondGroupHolds(none, 1, 0, once, holds));
  EXPECT_EQ(rng.draws, 3);

  rng.draws = 0;
  EXPECT_FALSE(CondGroupHolds(conds, 2, 0, once, holds));  // unknown mode
  EXPECT_EQ(rng.draws, 0);
}

TEST(CondGroup, EmptyHoldsAndLatchSkipsTests) {
  int tests = 0;
  auto never = [&](const cCond&) {
    ++tests;
    return false;
  };
  bool once = false;
  EXPECT_TRUE(CondGroupHolds(cVector<cCond>{}, 0, 0, once, never));
  EXPECT_TRUE(CondGroupHolds(cVector<cCond>{}, 1, 0, once, never));
  EXPECT_TRUE(CondGroupHolds(cVector<cCond>{}, 5, 0, once, never));

  cVector<cCond> one(1);
  once = true;
  EXPECT_TRUE(CondGroupHolds(one, 0, 1, once, never));
  EXPECT_EQ(tests, 0);
  EXPECT_FALSE(CondGroupHolds(one, 0, 0, once, never));  // without the latch it is tested again
  EXPECT_EQ(tests, 1);
}

TEST(CondList, EnabledEmptyListHoldsOnlyInMode0) {
  auto always = [](const cCond&) { return true; };
  cCondList list;
  EXPECT_TRUE(list.Allows(always));  // disabled
  list.m_Mode = 1;
  EXPECT_TRUE(list.Allows(always));
  list.m_Enabled = 1;
  EXPECT_FALSE(list.Allows(always));
  list.m_Mode = 0;
  EXPECT_TRUE(list.Allows(always));
  list.m_Mode = 2;
  EXPECT_FALSE(list.Allows(always));

  auto never = [](const cCond&) { return false; };
  list.m_Mode = 0;
  list.m_Conds.resize(1);
  EXPECT_FALSE(list.Allows(never));
  list.m_Enabled = 0;
  EXPECT_TRUE(list.Allows(never));
}

}  // namespace

}  // namespace cond_test
