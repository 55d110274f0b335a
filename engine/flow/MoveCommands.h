#pragma once
// Direction and velocity routines of the movement commands (also used by the
// warp command and the firing code).
#include <cstdint>

class cCharaBase;
class cCmdRun;
class cEdMove;

// Direction codes: 2 left, 3 right, 6 up, 7 down, 8 up-left, 9 down-left,
// 10 up-right, 11 down-right; 0 none.
// Input index (0 neutral, 1..8 the eight directions, 9 any other) to a code.
// While a replay plays back, the unclear flag comes from its data version:
// up to 777 set, 778 and 779 clear, 780 on the argument.
int ConvertDirection(int inputIndex, int unclear, int faceRight);
// The input index of direction bits (left 1, right 2, up 4, down 8).
int InputDirIndex(uint16_t bits);
// Direction kind 0..12 of the move parameters to a code.
int ResolveDirection(cCharaBase* chara, int kind, int live, int unclear, int diagonal);

void SetMoveVelocity(cCharaBase* chara, cCmdRun* run, double speed, int kind);
void SetMoveVelocityAngled(cCharaBase* chara, cCmdRun* run, double speed, int kind, int offset);
void SetMoveVelocityToPoint(cCharaBase* chara, cCmdRun* run, double speed, int tx, int ty, const cEdMove& mv);
void InitMoveAngle(cCharaBase* chara, cCmdRun* run, const cEdMove& mv);
void InitMoveTarget(cCharaBase* chara, cCmdRun* run, const cEdMove& mv);
void ApplyMoveStep(cCharaBase* chara, double vx, double vy, int request, cCmdRun* run, const cEdMove& mv,
                   int force);

void CmdMoveStraight(cCharaBase* chara, cCmdRun* run);
void CmdMoveGroundTurn(cCharaBase* chara, cCmdRun* run);
void CmdMoveCircle(cCharaBase* chara, cCmdRun* run);
void CmdMoveCharge(cCharaBase* chara, cCmdRun* run);
void CmdMoveHoming(cCharaBase* chara, cCmdRun* run);
void CmdMoveStayOnScreen(cCharaBase* chara, cCmdRun* run);
void CmdStopMove(cCharaBase* chara, cCmdRun* run);
void CmdTurn(cCharaBase* chara, cCmdRun* run);
void CmdJump(cCharaBase* chara, cCmdRun* run);
