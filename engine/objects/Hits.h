#pragma once
// Hits between objects: shots and characters, body hits, block characters.
class cCharaBase;
class cGameObj;

int HitShotsAndCharas();
int HitBlockCharas(cCharaBase* chara);
void ResolveBlockCharaOverlap(cCharaBase* chara, int bVertical);
int IsStillRiding(cCharaBase* chara);
cCharaBase* FindBlockCharaBelow(cCharaBase* chara);
int OverlapsBlockCharaExcept(cGameObj* obj, int nExceptId);
int CheckDeaths();
int KillChara(cCharaBase* chara);
