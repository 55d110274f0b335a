#pragma once
// Flow triggers and key conditions.
#include <cstdint>

class cCharaBase;
class cFlowRun;
class cGameObj;
class cInput;
class cKeyCond;

void ClearFlowTriggers(cCharaBase* chara);
void RaiseEvent(cCharaBase* chara, int key);
void RaiseEventWith(cCharaBase* chara, int key, cGameObj* partner, uint8_t arg);
int CheckFlowKeyConditions(cCharaBase* chara, cFlowRun* run);
int CheckKeyCondition(const cInput& input, const cKeyCond& cond);
int FirstPressedKey(const cInput& input);
