// The sound, music, code and loop commands.
#include "engine/Names.h"
#include "engine/Services.h"
#include "engine/flow/MiscCommands.h"
#include "engine/objects/CharaBase.h"
#include "engine/script/Expr.h"

void DoPlaySound(cCharaBase* chara, cFlowCmd* cmd) {
  if (!cmd) return;
  if (nm::cmd::SoundOnScreenOnly(*cmd) && chara && !chara->IsOnScreen()) return;
  PlayStageSE(static_cast<int16_t>(nm::cmd::Params(*cmd).At(0)));
}

void DoPlayBgm(cCharaBase*, cFlowCmd* cmd) {
  if (!cmd) return;
  const auto& p = nm::cmd::Params(*cmd);
  RequestStageBgm(p.At(0), p.At(1));
}

// The result (0 after an error) is not used: an erroneous text never stops the flow.
void DoRunCode(cCharaBase* chara, cFlowCmd* cmd) {
  if (!cmd) return;
  RunCode(nm::cmd::Text(*cmd), chara);
}

namespace {
void CmdPlaySound(cCharaBase* chara, cCmdRun* run) { DoPlaySound(chara, run->lpCmd); }
void CmdPlayBgm(cCharaBase* chara, cCmdRun* run) { DoPlayBgm(chara, run->lpCmd); }
void CmdRunCode(cCharaBase* chara, cCmdRun* run) { DoRunCode(chara, run->lpCmd); }
// Loops are expanded when flows are built; a loop command left over does nothing.
void CmdLoop(cCharaBase*, cCmdRun*) {}
}  // namespace

void RegisterSoundCommands() {
  CommandTable[35] = CmdPlaySound;
  CommandTable[36] = CmdPlayBgm;
  CommandTable[37] = CmdRunCode;
  CommandTable[39] = CmdLoop;
}

void RegisterMiscCommands() {
  RegisterWarpCommands();
  RegisterGraphicCommands();
  RegisterSoundCommands();
  RegisterItemCommands();
}
