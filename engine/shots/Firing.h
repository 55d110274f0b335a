#pragma once
// Firing: the launch direction, the volleys of a shot command and the six
// formations that lay the objects out, for shots, swords and summons.
#include "base/Containers.h"
#include "engine/shots/Shot.h"

class cCharaBase;
class cCmdRun;
class cEdShot;

// The direction code a launch direction value resolves to for a firer
// facing right or left; 0 when the value names no direction.
int ResolveShotDirection(int value, int faceRight, int startDir);
// Degrees of a direction code (0 left, 90 up); -1 for no direction.
int DirectionAngle(int code);

void FormStraightA(cList<cShot>& list, cCharaBase* chara, cCmdRun* run, const cEdShot* def, ShotLaunch& l);
void FormStraightB(cList<cShot>& list, cCharaBase* chara, cCmdRun* run, const cEdShot* def, ShotLaunch& l);
void FormSpread(cList<cShot>& list, cCharaBase* chara, cCmdRun* run, const cEdShot* def, ShotLaunch& l);
void FormThunder(cList<cShot>& list, cCharaBase* chara, cCmdRun* run, const cEdShot* def, ShotLaunch& l);
void FormExplosion(cList<cShot>& list, cCharaBase* chara, cCmdRun* run, const cEdShot* def, ShotLaunch& l);
void FormSurround(cList<cShot>& list, cCharaBase* chara, cCmdRun* run, const cEdShot* def, ShotLaunch& l);

// The launch angle towards the firer's aim slot from world point (x, y);
// with auto-scroll compensation it also sets the record's speed.
int AimAngle(double x, double y, cCharaBase* chara, const cEdShot* def, ShotLaunch* l);
void RotateLaunchOffset(ShotLaunch& l, cCharaBase* chara, double angle);
// Creates one object at (nX, nY) by the command kind of the run.
void SpawnShotObject(cList<cShot>& list, ShotLaunch& l, cCharaBase* chara, cCmdRun* run, const cEdShot* def);
