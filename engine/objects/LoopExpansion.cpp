#include "engine/objects/LoopExpansion.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "base/Log.h"

namespace {

const cFlowCmd& CmdOf(const cFlowCmd& c) { return c; }
const cFlowCmd& CmdOf(const cFlowCmd* c) { return *c; }

// One expansion on a vector of commands or of pointers to commands (the
// pointer form keeps repeated expansions of large flows cheap).
template <class V>
int ExpandFirst(V& cmds) {
  auto it = std::find_if(cmds.begin(), cmds.end(), [](const auto& c) { return IsLoopCmd(CmdOf(c)); });
  if (it == cmds.end()) return 0;
  const int64_t index = it - cmds.begin();
  const int64_t size = static_cast<int64_t>(cmds.size());
  const cFlowCmd& loop = CmdOf(*it);
  // A repeat count below 1 and a negative body length come from broken data:
  // they mean "the body once" and "no body".
  const int64_t repeat = std::max<int64_t>(1, loop.m_Params.At(0));
  int64_t body = std::max<int64_t>(0, loop.m_Params.At(1));
  if (index + body >= size - 1) body = size - 1 - index;
  if (body > 0 && repeat > 1) {
    const int64_t room = static_cast<int64_t>(kMaxExpandedCmds) - size;
    const int64_t copies = std::min<int64_t>(repeat - 1, room > 0 ? room / body : 0);
    if (copies < repeat - 1) {
      WriteLog("loop of %lld x %lld commands cut to %lld repeats", static_cast<long long>(repeat),
               static_cast<long long>(body), static_cast<long long>(copies + 1));
    }
    if (copies > 0) {
      std::vector<typename V::value_type> insert;
      insert.reserve(static_cast<size_t>(copies * body));
      for (int64_t c = 0; c < copies; ++c) insert.insert(insert.end(), cmds.begin() + index + 1, cmds.begin() + index + 1 + body);
      cmds.insert(cmds.begin() + index + 1, insert.begin(), insert.end());
    }
  }
  cmds.erase(cmds.begin() + index);
  return 1;
}

}  // namespace

bool IsLoopCmd(const cFlowCmd& cmd) {
  if (cmd.m_CmdSet == 0) return cmd.m_CmdKind == 39;
  return cmd.m_CmdKind == 24;
}

int ExpandFirstLoop(cVector<cFlowCmd>& cmds) { return ExpandFirst(cmds); }

void ExpandLoops(cVector<cFlowCmd>& cmds) {
  if (std::none_of(cmds.begin(), cmds.end(), IsLoopCmd)) return;
  std::vector<const cFlowCmd*> order;
  order.reserve(cmds.size());
  for (const auto& c : cmds) order.push_back(&c);
  while (ExpandFirst(order)) {
  }
  cVector<cFlowCmd> expanded;
  expanded.reserve(order.size());
  for (const cFlowCmd* c : order) expanded.push_back(*c);
  cmds.swap(expanded);
}
