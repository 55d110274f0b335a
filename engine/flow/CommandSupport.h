#pragma once
// Rules shared by the command executors: the periodic tick, the command
// sound, parameter access and the blocking hand-over to the modal sub-loop.
#include <cstdint>

class cCharaBase;
class cCmdRun;
class cFlowCmd;

// The stage's sub-steps per frame, at least 1.
int CmdSubSteps();
// Parameter i of the command, 0 when the command has fewer.
int CmdParam(const cFlowCmd* cmd, int i);
// A periodic executor acts on the calls where nTick is 0; AdvanceTick then
// counts and wraps at 6n (once per tenth of a second).
inline bool TickDue(const cCmdRun* run);
void AdvanceTick(cCmdRun* run);
// Plays the command's sound unless its on-screen flag is set and the
// character is off screen; number 0 plays nothing.
void PlayCmdSound(cCharaBase* chara, const cFlowCmd* cmd);
// Runs the modal sub-loop for the scene's m_ModalWait and returns when it ends.
void RunModalSubLoop();

// Group registration: each executor file fills its own kinds of the table.
void RegisterMoveCommands();
void RegisterShotCommands();
void RegisterControlCommands();

#include "engine/flow/FlowRun.h"
inline bool TickDue(const cCmdRun* run) { return run->nTick == 0; }
