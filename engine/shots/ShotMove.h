#pragma once
// The ten movement kinds of a shot, run once per sub-step before its
// velocity is applied: straight, aim (hero, nearest, target), homing (hero,
// nearest, target), wave and fall.
class cShot;
class cCharaBase;

// Runs the shot's movement kind; a kind outside the table flies straight.
void RunShotMove(cShot* shot);

void MoveAimHero(cShot* shot);
void MoveAimNearest(cShot* shot);
void MoveAimTarget(cShot* shot);
void MoveHomeHero(cShot* shot);
void MoveHomeNearest(cShot* shot);
void MoveHomeTarget(cShot* shot);
void MoveWave(cShot* shot);
void MoveFall(cShot* shot);
void HomingTurn(cShot* shot, cCharaBase* target);
