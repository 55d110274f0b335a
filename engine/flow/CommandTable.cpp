#include "engine/flow/Commands.h"

#include "data/FlowCmd.h"

CmdExecutor CommandTable[kCommandKinds] = {};
ItemCmdExecutor ItemCommandTable[kItemCommandKinds] = {};

void ExecCmd(cCharaBase* chara, cCmdRun* run) {
  if (!run || !run->lpCmd) return;
  int kind = static_cast<int8_t>(run->lpCmd->m_CmdKind);
  // A kind outside the table (broken data) does nothing.
  if (kind < 0 || kind >= kCommandKinds) return;
  if (CmdExecutor exec = CommandTable[kind]) exec(chara, run);
}
