#pragma once
// The command table: one executor per command kind. The executors are
// installed by InstallCommandExecutors (defined with the executors); a kind
// without an executor, or outside the table, does nothing.
#include "data/CommandTables.h"
#include "data/FlowCmd.h"
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

// Gives a command that was never validated the parameter count of its kind.
void PadCmdParams(cFlowCmd* cmd, int count);

// The executor ExecCmd calls for the command, after padding its parameters
// as ExecCmd does; null when it calls none.
inline CmdExecutor ExecutorFor(cFlowCmd* cmd) {
  // A kind outside its table (broken data) does nothing; made unsigned, a
  // negative kind is outside every table.
  const unsigned kind = static_cast<unsigned>(static_cast<int>(static_cast<int8_t>(cmd->m_CmdKind)));
  int count;
  unsigned slot;
  if (cmd->m_CmdSet == 0) {
    if (kind >= static_cast<unsigned>(kCharaCmdKinds)) return nullptr;
    count = CharaCmdTable[kind].params;
    slot = kind;
  } else {
    if (kind >= static_cast<unsigned>(kItemCmdKinds)) return nullptr;
    count = ItemCmdTable[kind].params;
    // Item kind k >= 2 runs character kind k + 15.
    if (kind < 2) return nullptr;
    slot = kind + 15;
  }
  // Every slot reached above lies inside the executor table.
  static_assert(kCharaCmdKinds <= kCommandKinds && kItemCmdKinds - 1 + 15 < kCommandKinds);
  // Missing parameters are 0, so that no executor reads past its parameters.
  if (static_cast<int>(cmd->m_Params.size()) < count) PadCmdParams(cmd, count);
  return CommandTable[slot];
}
// Fills CommandTable and ItemCommandTable.
void InstallCommandExecutors();

// Puts target into the character's target slot (0..3) and keeps the targets'
// back links. With emptyWhenNone clear a null target changes nothing.
void SetTargetSlot(cCharaBase* chara, int slot, cCharaBase* target, int emptyWhenNone);
