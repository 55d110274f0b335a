#pragma once
// Motion arithmetic and character searches shared by characters, shots,
// movement commands and conditions. Methods of the objects themselves
// (StepX, ApplyGravity, SplitSpeed, the approach moves) are in GameObj.h.
#include <cstdint>
#include <utility>

#include "base/Containers.h"
#include "engine/objects/ObjLists.h"

class cGameObj;
class cCharaBase;

double WaveCos(int a, int b, double* phase, double step, double offset);
double WaveSin(int a, int b, double* phase, double step, double offset);

// Velocity towards (tx, ty) from (x, y): 1 when arrived (bArrive set).
int ApproachCore(double* vx, double* vy, int* dir, cGameObj* target, double x, double y, double tx, double ty,
                 double speed, int bFlag, int bNoFlee, int bArrive);
int ApproachCoreX(double* vx, double* vy, int* dir, cGameObj* target, double x, double tx, double speed, int bFlag,
                  int bArrive);
int ApproachCoreY(double* vx, double* vy, int* dir, cGameObj* target, double y, double ty, double speed, int bFlag,
                  int bArrive);

// A value per second made per sub-step: x / n / 60.
double PerSubStep(double x);

void CalcSpan(int* lo, int* hi, int nStart, int nSize, int nExtLo, int nExtHi, int bBoth);
int SpanOverlap(int nStart, int nSize, int pLo, int pHi, int pOfs, int nExtLo, int nExtHi, int bBoth,
                int bHeightRule, const cGameObj* partner);

// Searches. The filters: faction (the definition's search faction), not
// dead, not the excluded ID, not invincibility 1 or 2, not a block
// character, and a character-variable comparison.
struct CharaFilter {
  int bFaction = 0, nFaction = 0;
  int bVar = 0, nVar = 0, nValue = 0, nCmp = 0;
  int bExclId = 0, bExclInv1 = 0, bExclInv2 = 0, bExclBlock = 0, nId = 0;
};
int PassesCharaFilter(const cCharaBase* chara, const CharaFilter& filter);
cCharaBase* FindNearestChara(int x, int y, const CharaPtrList& list, int nMode, const CharaFilter& filter);
cCharaBase* FindNearestCharaTo(int x, int y, const CharaPtrList& list);
cCharaBase* FindNearestCharaToMe(const cGameObj& me, const CharaPtrList& list);
cCharaBase* FindCharaInList(const CharaPtrList& list, const CharaFilter& filter);
// The ID table: {character, key} pairs, searched from the last to the first.
using CharaIdTable = cVector<std::pair<cCharaBase*, int32_t>>;
cCharaBase* LookupCharaById(const CharaIdTable& table, int nKey, const CharaFilter& filter);

// Surface i, or its alternate i + 18.
int PickSurfaceIndex(int nIndex, int bPreferAlt);
