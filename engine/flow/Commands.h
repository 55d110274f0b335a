#pragma once
// The command table: one executor per command kind. The executors are
// installed by InstallCommandExecutors (defined with the executors); a kind
// without an executor, or outside the table, does nothing.
#include "engine/flow/FlowRun.h"

class cCharaBase;
class cFlowCmd;
class cItem;

constexpr int kCommandKinds = 40;
constexpr int kItemCommandKinds = 25;

using CmdExecutor = void (*)(cCharaBase* chara, cCmdRun* run);
extern CmdExecutor CommandTable[kCommandKinds];

// An item command: the hero, the command and the item; 0 or a code the
// caller acts on (1 stage end, 2 stop).
using ItemCmdExecutor = int (*)(cCharaBase* chara, cFlowCmd* cmd, cItem* item);
extern ItemCmdExecutor ItemCommandTable[kItemCommandKinds];

// Calls the executor of the command's kind (signed 8-bit).
void ExecCmd(cCharaBase* chara, cCmdRun* run);
// Fills CommandTable and ItemCommandTable.
void InstallCommandExecutors();

// Puts target into the character's target slot (0..3) and keeps the targets'
// back links. With emptyWhenNone clear a null target changes nothing.
void SetTargetSlot(cCharaBase* chara, int slot, cCharaBase* target, int emptyWhenNone);
