#pragma once
// Character state and distance conditions (condition kinds 5, 6 and 7).
class cCharaBase;
class cCond;

int CheckStatusCondition2(cCharaBase* self, const cCond& cond);
int CheckStatusCondition3(cCharaBase* self, const cCond& cond);
int CheckDistanceCondition(cCharaBase* self, const cCond& cond);
