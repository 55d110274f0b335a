#pragma once
// Shot, sword and summon command executors (kinds 11..15).
class cCharaBase;
class cCmdRun;

void CmdShot(cCharaBase* chara, cCmdRun* run);
void CmdSword(cCharaBase* chara, cCmdRun* run);
void CmdSummonBlock(cCharaBase* chara, cCmdRun* run);
void CmdSummonChara(cCharaBase* chara, cCmdRun* run);
void CmdSummonItem(cCharaBase* chara, cCmdRun* run);
