#include "engine/flow/Commands.h"

#include "data/CommandTables.h"
#include "data/FlowCmd.h"
#include "data/Stage.h"
#include "engine/Names.h"
#include "engine/Services.h"
#include "engine/World.h"
#include "engine/flow/CommandSupport.h"
#include "engine/flow/MiscCommands.h"
#include "engine/objects/CharaBase.h"

CmdExecutor CommandTable[kCommandKinds] = {};
ItemCmdExecutor ItemCommandTable[kItemCommandKinds] = {};

// Kept out of line: the dispatch stays short.
void PadCmdParams(cFlowCmd* cmd, int count) { cmd->m_Params.resize(static_cast<size_t>(count), 0); }

void ExecCmd(cCharaBase* chara, cCmdRun* run) {
  if (!chara || !run || !run->lpCmd) return;
  if (CmdExecutor exec = ExecutorFor(run->lpCmd)) exec(chara, run);
}

void InstallCommandExecutors() {
  for (CmdExecutor& e : CommandTable) e = nullptr;
  for (ItemCmdExecutor& e : ItemCommandTable) e = nullptr;
  // Kinds 0 and 1 (nothing, wait) and 39 (loop) stay empty: they only last.
  RegisterMoveCommands();
  RegisterShotCommands();
  RegisterControlCommands();
  RegisterMiscCommands();
}

int CmdSubSteps() {
  const int n = nm::stage::SubSteps(Stage);
  return n < 1 ? 1 : n;
}

int CmdParam(const cFlowCmd* cmd, int i) {
  if (!cmd || i < 0 || static_cast<size_t>(i) >= cmd->m_Params.size()) return 0;
  return cmd->m_Params[static_cast<size_t>(i)];
}

void AdvanceTick(cCmdRun* run) {
  if (++run->nTick >= 6 * CmdSubSteps()) run->nTick = 0;
}

void PlayCmdSound(cCharaBase* chara, const cFlowCmd* cmd) {
  if (!cmd || cmd->m_CmdSound == 0) return;
  if (cmd->m_CmdOption != 0 && chara && !chara->m_bOnScreen) return;
  PlayStageSE(cmd->m_CmdSound);
}

void RunModalSubLoop() { ModalLoop().RunModalWait(); }

namespace {
// The table is filled before main, so every play path finds the executors.
[[maybe_unused]] const int kTableInstalled = (InstallCommandExecutors(), 1);
}  // namespace
