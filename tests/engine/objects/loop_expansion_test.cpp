// ctest-label: engine
#include "engine/objects/LoopExpansion.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// "ABC" spells plain commands named by their text; "L(p0,p1)" is a loop.
cFlowCmd Plain(char name) {
  cFlowCmd c;
  c.m_CmdKind = 1;
  c.m_Text = std::string(1, name);
  return c;
}

cFlowCmd Loop(int repeat, int body, uint8_t cmdSet = 0) {
  cFlowCmd c;
  c.m_CmdSet = cmdSet;
  c.m_CmdKind = cmdSet == 0 ? 39 : 24;
  c.m_Params = {repeat, body};
  return c;
}

std::string Spell(const cVector<cFlowCmd>& cmds) {
  std::string s;
  for (const auto& c : cmds) s += IsLoopCmd(c) ? std::string("L") : c.m_Text;
  return s;
}

cVector<cFlowCmd> Cmds(std::initializer_list<cFlowCmd> list) { return cVector<cFlowCmd>(list); }

struct LoopCase {
  const char* name;
  cVector<cFlowCmd> cmds;
  const char* expanded;
};

TEST(LoopExpansion, Table) {
  const LoopCase cases[] = {
      {"three times two", Cmds({Loop(3, 2), Plain('A'), Plain('B'), Plain('C')}), "ABABABC"},
      {"body past the end repeats what exists", Cmds({Plain('X'), Loop(3, 5), Plain('A'), Plain('B')}), "XABABAB"},
      {"loop at the end has no body", Cmds({Plain('A'), Loop(4, 2)}), "A"},
      {"repeat 1 leaves the body once", Cmds({Loop(1, 2), Plain('A'), Plain('B'), Plain('C')}), "ABC"},
      {"repeat 0 leaves the body once", Cmds({Loop(0, 2), Plain('A'), Plain('B')}), "AB"},
      {"negative repeat leaves the body once", Cmds({Loop(-5, 1), Plain('A'), Plain('B')}), "AB"},
      {"negative body length repeats nothing", Cmds({Loop(3, -2), Plain('A'), Plain('B')}), "AB"},
      {"body length 0", Cmds({Loop(3, 0), Plain('A')}), "A"},
      {"two successive loops", Cmds({Loop(2, 1), Plain('A'), Loop(3, 1), Plain('B'), Plain('C')}), "AABBBC"},
      // The inner loop is copied with the outer body, then each copy expands.
      {"nested", Cmds({Loop(2, 3), Plain('A'), Loop(2, 1), Plain('B'), Plain('C')}), "ABBABBC"},
      {"item loop", Cmds({Loop(2, 1, 1), Plain('A'), Plain('B')}), "AAB"},
  };
  for (const auto& c : cases) {
    cVector<cFlowCmd> cmds = c.cmds;
    ExpandLoops(cmds);
    EXPECT_EQ(Spell(cmds), c.expanded) << c.name;
  }
}

TEST(LoopExpansion, KindsThatAreNotLoops) {
  cFlowCmd itemKind39 = Loop(3, 1);
  itemKind39.m_CmdSet = 1;  // item kind 39 does not exist; not a loop
  cFlowCmd charaKind24 = Loop(3, 1);
  charaKind24.m_CmdKind = 24;
  EXPECT_FALSE(IsLoopCmd(itemKind39));
  EXPECT_FALSE(IsLoopCmd(charaKind24));
  cVector<cFlowCmd> none = Cmds({Plain('A')});
  EXPECT_EQ(ExpandFirstLoop(none), 0);
  cVector<cFlowCmd> one = Cmds({Loop(2, 1), Plain('A')});
  EXPECT_EQ(ExpandFirstLoop(one), 1);
  EXPECT_EQ(Spell(one), "AA");
}

TEST(LoopExpansion, GrowthIsCapped) {
  // 1000 x 1000 x 1000 would be a billion commands.
  cVector<cFlowCmd> cmds =
      Cmds({Loop(1000, 3), Loop(1000, 2), Loop(1000, 1), Plain('A'), Plain('B')});
  ExpandLoops(cmds);
  EXPECT_LE(cmds.size(), kMaxExpandedCmds);
  EXPECT_GT(cmds.size(), 1000u);
  for (const auto& c : cmds) EXPECT_FALSE(IsLoopCmd(c));
  EXPECT_EQ(cmds.back().m_Text, "B");
}

}  // namespace
