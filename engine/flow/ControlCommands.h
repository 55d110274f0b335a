#pragma once
// Flow control, stage clear, game wait and message commands. The Do* bodies
// take the command alone so that item commands can run them too.
class cCharaBase;
class cCmdRun;
class cFlowCmd;

void CmdFlowControl(cCharaBase* chara, cCmdRun* run);
void CmdStageClear(cCharaBase* chara, cCmdRun* run);
void CmdGameWait(cCharaBase* chara, cCmdRun* run);
void CmdMessage(cCharaBase* chara, cCmdRun* run);

// Fills the next-stage fields of the scene and the save data; always 1. A
// path destination cuts the command text's extension and appends ".".
int DoStageClear(cCharaBase* chara, cFlowCmd* cmd);
// Freezes the game for parameter 0 tenths of a second.
void DoGameWait(cCharaBase* chara, cFlowCmd* cmd);
// Shows, replaces or erases a message window; chain: the previous command of
// the flow was a key-waiting message (no key delay, no opening sound).
void DoMessage(cCharaBase* chara, cFlowCmd* cmd, int chain);
