#pragma once
// Loop commands (character kind 39, item kind 24) are expanded once, when a
// character's flows are built: the body is repeated in place and the loop
// command disappears.
#include <cstddef>

#include "data/FlowCmd.h"

// A flow never grows past this many commands through loop expansion; a loop
// that would pass it repeats its body only as often as still fits.
constexpr size_t kMaxExpandedCmds = 10000;

bool IsLoopCmd(const cFlowCmd& cmd);
// Expands the first loop command; 1 when one was expanded, 0 when none is left.
int ExpandFirstLoop(cVector<cFlowCmd>& cmds);
// Expands every loop, outermost first.
void ExpandLoops(cVector<cFlowCmd>& cmds);
