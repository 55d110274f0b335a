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

namespace {
// Kept out of line: the dispatch stays a short leaf that jumps to the executor.
[[gnu::noinline]] void PadParams(cFlowCmd* cmd, int count) { cmd->m_Params.resize(static_cast<size_t>(count), 0); }
}  // namespace

void ExecCmd(cCharaBase* chara, cCmdRun* run) {
  if (!chara || !run || !run->lpCmd) return;
  cFlowCmd* cmd = run->lpCmd;
  int kind = static_cast<int8_t>(cmd->m_CmdKind);
  // A kind outside its table (broken data) does nothing. The rows are read
  // straight from the tables: this runs for every command every sub-step.
  if (kind < 0) return;
  int count;
  if (cmd->m_CmdSet == 0) {
    if (kind >= kCharaCmdKinds) return;
    count = CharaCmdTable[kind].params;
  } else {
    if (kind >= kItemCmdKinds) return;
    count = ItemCmdTable[kind].params;
    // Item kind k >= 2 runs character kind k + 15.
    if (kind < 2) return;
    kind += 15;
  }
  if (kind >= kCommandKinds) return;
  // A command that was never validated gets the parameter count of its kind
  // (the missing ones 0), so that no executor reads past its parameters.
  if (static_cast<int>(cmd->m_Params.size()) < count) PadParams(cmd, count);
  if (CmdExecutor exec = CommandTable[kind]) exec(chara, run);
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
