// ctest-label: data
// The condition, movement, shot, flow and command records read at every
// version on both sides of each of their layout gates, from bodies built by
// the layout tables of nested_layout_bytes.h: a gate moved by one version
// misplaces a field, leaves bytes over or runs out of them.
#include <gtest/gtest.h>

#include <cstring>
#include <optional>

#include "data/Cond.h"
#include "data/EdMove.h"
#include "data/EdShot.h"
#include "data/Flow.h"
#include "data/FlowCmd.h"
#include "data/ReadContext.h"
#include "tests/data/nested_layout_bytes.h"

// The file's own namespace keeps its helpers apart from other test files compiled with it.
namespace nested_layout_test {

namespace {

using layout::Bytes;
using layout::Present;
using layout::Record;

// Reads one body as a file of version v: true when it read and used every byte.
template <class T>
bool ReadAt(T& record, const Bytes& bytes, uint32_t v, cReadContext* context) {
  cRecordReader r(bytes);
  r.SetVersion(v);
  r.SetContext(context);
  const bool ok = record.Read(r) && r.Ok();
  EXPECT_TRUE(r.AtEnd()) << "stopped at " << r.Position() << " of " << bytes.size();
  return ok && r.AtEnd();
}

// The member a field of the current layout names, located by its name.
std::optional<cSerialRecord::FieldEntry> FindField(cSerialRecord& record, const char* name) {
  record.RegisterFields(dwDataVersion);
  for (const auto& f : record.Fields())
    if (f.name && std::strcmp(f.name, name) == 0) return f;
  return std::nullopt;
}

// The 16-bit dropped value i of a condition before 110 (not kept as a member
// the player uses; found through the layout of that version).
int16_t Dropped(cCond& cond, int i) {
  cond.RegisterFields(109);
  int16_t value = 0;
  const std::string name = "m_Dropped[" + std::to_string(i) + "]";
  for (const auto& f : cond.Fields())
    if (f.name && name == f.name) std::memcpy(&value, f.address, 2);
  cond.RegisterFields(dwDataVersion);
  return value;
}

// Each field the table puts in a version-v file holds the bytes written for it.
void ExpectValues(cSerialRecord& record, const Record& table, uint32_t v,
                  const std::vector<std::string>& overwritten = {}) {
  for (size_t i = 0; i < table.fields.size(); ++i) {
    const layout::Field& field = table.fields[i];
    if (!Present(field, v) || std::string(field.name).find('[') != std::string::npos) continue;
    if (std::find(overwritten.begin(), overwritten.end(), field.name) != overwritten.end()) continue;
    const auto f = FindField(record, field.name);
    ASSERT_TRUE(f.has_value()) << field.name;
    ASSERT_EQ(f->count * f->elementSize, field.bytes) << field.name;
    const auto* p = static_cast<const unsigned char*>(f->address);
    for (int b = 0; b < field.bytes; ++b)
      ASSERT_EQ(p[b], layout::ValueOf(field, i)) << table.name << "::" << field.name << " at version " << v;
  }
}

// The record's own table at version v names the same entries, of the same
// sizes, in the same order as the layout table.
void ExpectTable(cSerialRecord& record, const Record& table, uint32_t v) {
  record.RegisterFields(v);
  std::vector<std::string> want, got;
  for (const auto& f : table.fields)
    if (Present(f, v)) want.push_back(std::string(f.name) + "/" + std::to_string(f.bytes));
  for (const auto& s : table.strings)
    if (Present(s, v)) want.push_back(std::string(s.name) + "/string");
  for (const auto& f : record.Fields())
    got.push_back(std::string(f.name ? f.name : "?") + "/" + std::to_string(f.count * f.elementSize));
  for (const auto& s : record.Strings()) got.push_back(std::string(s.name ? s.name : "?") + "/string");
  EXPECT_EQ(got, want) << table.name << " at version " << v;
  record.RegisterFields(dwDataVersion);
}

class NestedLayout : public testing::TestWithParam<uint32_t> {
 protected:
  uint32_t v() const { return GetParam(); }
  cReadContext context_;  // no list counts: nothing is repaired
};

TEST_P(NestedLayout, TablesMatchTheLayout) {
  cCond cond;
  ExpectTable(cond, layout::CondLayout(), v());
  cEdMove move;
  ExpectTable(move, layout::MoveLayout(), v());
  cEdShot shot;
  ExpectTable(shot, layout::ShotLayout(), v());
  cFlow flow;
  ExpectTable(flow, layout::FlowLayout(), v());
  cKeyCond key;
  ExpectTable(key, layout::KeyCondLayout(), v());
  cCondList list;
  ExpectTable(list, layout::CondListLayout(), v());
  cFlowCmd cmd;
  ExpectTable(cmd, layout::CmdLayout(), v());
}

TEST_P(NestedLayout, ConditionReadsEveryField) {
  cCond cond;
  ASSERT_TRUE(ReadAt(cond, layout::Blocks(layout::CondLayout(), v()), v(), &context_));
  ExpectValues(cond, layout::CondLayout(), v());
  if (v() < 110) {
    EXPECT_EQ(Dropped(cond, 0), 0x0303);
    EXPECT_EQ(Dropped(cond, 1), 0x0404);
  }
}

TEST_P(NestedLayout, MovementReadsEveryField) {
  cEdMove move;
  ASSERT_TRUE(ReadAt(move, layout::Blocks(layout::MoveLayout(), v()), v(), &context_));
  ExpectValues(move, layout::MoveLayout(), v());
}

TEST_P(NestedLayout, ShotReadsEveryField) {
  cEdShot shot;
  ASSERT_TRUE(ReadAt(shot, layout::Blocks(layout::ShotLayout(), v()), v(), &context_));
  // Files before 212 have the homing option worked out from the movement.
  ExpectValues(shot, layout::ShotLayout(), v(),
               v() < 212 ? std::vector<std::string>{"m_HomingOption"} : std::vector<std::string>{});
}

TEST_P(NestedLayout, FlowReadsEveryField) {
  cFlow flow;
  ASSERT_TRUE(ReadAt(flow, layout::FlowBody(v()), v(), &context_));
  ExpectValues(flow, layout::FlowLayout(), v());
}

TEST_P(NestedLayout, KeyConditionReadsEveryField) {
  cKeyCond key;
  Bytes body = layout::ByteBuilder().Raw(layout::Blocks(layout::KeyCondLayout(), v())).U32(2).U8(7).U8(9).bytes();
  ASSERT_TRUE(ReadAt(key, body, v(), &context_));
  ExpectValues(key, layout::KeyCondLayout(), v());
  EXPECT_EQ(key.m_KeyStates.size(), 2u);
}

// A command and its nested parts: movement, shot, condition list (from 764)
// with its conditions (from 766), and a sub-flow.
TEST_P(NestedLayout, CommandReadsItsNestedParts) {
  context_.keepTestFlows = true;
  cFlowCmd cmd;
  ASSERT_TRUE(ReadAt(cmd, layout::CmdBody(v()), v(), &context_));
  ExpectValues(cmd, layout::CmdLayout(), v());
  ASSERT_TRUE(cmd.m_pMove);
  ExpectValues(*cmd.m_pMove, layout::MoveLayout(), v());
  ASSERT_TRUE(cmd.m_pShot);
  ExpectValues(*cmd.m_pShot, layout::ShotLayout(), v(),
               v() < 212 ? std::vector<std::string>{"m_HomingOption"} : std::vector<std::string>{});
  if (v() >= 764) {
    ASSERT_TRUE(cmd.m_pCondList);
    ExpectValues(*cmd.m_pCondList, layout::CondListLayout(), v());
    ASSERT_EQ(cmd.m_pCondList->m_Conds.size(), v() >= 766 ? 1u : 0u);
    if (v() >= 766) ExpectValues(cmd.m_pCondList->m_Conds[0], layout::CondLayout(), v());
  } else {
    EXPECT_FALSE(cmd.m_pCondList);
  }
  ASSERT_EQ(cmd.m_SubFlows.size(), 1u);
  ExpectValues(cmd.m_SubFlows[0], layout::FlowLayout(), v());
}

INSTANTIATE_TEST_SUITE_P(Versions, NestedLayout, testing::ValuesIn(layout::GateVersions()),
                         [](const testing::TestParamInfo<uint32_t>& info) { return "v" + std::to_string(info.param); });

// Files before 110 may hold the two dropped values as one 4-byte entry; the
// entry count tells the two forms apart.
TEST(NestedLayoutOldCondition, DroppedValuesAsOneEntry) {
  for (uint32_t v : {42u, 43u, 109u}) {
    SCOPED_TRACE(v);
    layout::ByteBuilder b;
    b.I32(v >= 43 ? 6 : 5).U8(1).I32(0x02020202).U32(0x04030201).U8(5);
    if (v >= 43) b.U8(6);
    b.U8(7).I32(0);
    cCond cond;
    cReadContext context;
    ASSERT_TRUE(ReadAt(cond, b.bytes(), v, &context));
    EXPECT_EQ(cond.m_Kind, 1);
    EXPECT_EQ(cond.m_Value, 0x02020202);
    EXPECT_EQ(Dropped(cond, 0), 0x0201);
    EXPECT_EQ(Dropped(cond, 1), 0x0403);
    EXPECT_EQ(cond.m_Op, 5);
    EXPECT_EQ(cond.m_Percent, v >= 43 ? 6 : 0);
    EXPECT_EQ(cond.m_Shape, 7);
  }
}

}  // namespace

}  // namespace nested_layout_test
