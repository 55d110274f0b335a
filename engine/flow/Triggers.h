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
// Events raised so far: while the count stays the same, no flow has been
// started by an event (so no command has run from one).
extern uint64_t EventsRaised;
void RaiseEventWith(cCharaBase* chara, int key, cGameObj* partner, uint8_t arg);
int CheckFlowKeyConditions(cCharaBase* chara, cFlowRun* run);
int CheckKeyCondition(const cInput& input, const cKeyCond& cond);
int FirstPressedKey(const cInput& input);
