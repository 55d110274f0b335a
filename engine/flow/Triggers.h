#pragma once
// Flow triggers and key conditions.
#include <cstdint>

class cCharaBase;
class cFlowRun;
class cGameObj;
class cInput;
class cKeyCond;

void ClearFlowTriggers(cCharaBase* chara);
// Called with every event raised on a character, before its flows see it
// (tools that trace a run install one; null: none).
using EventObserver = void (*)(const cCharaBase& chara, int key);
void SetEventObserver(EventObserver observer);
void RaiseEvent(cCharaBase* chara, int key);
void RaiseEventWith(cCharaBase* chara, int key, cGameObj* partner, uint8_t arg);
int CheckFlowKeyConditions(cCharaBase* chara, cFlowRun* run);
int CheckKeyCondition(const cInput& input, const cKeyCond& cond);
int FirstPressedKey(const cInput& input);
