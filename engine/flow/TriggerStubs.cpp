// Placeholder bodies of the flow triggers, so that the engine links before
// their own source exists. The trigger source replaces this file.
#include "engine/flow/Triggers.h"

void RaiseEvent(cCharaBase*, int) {}
void RaiseEventWith(cCharaBase*, int, cGameObj*, uint8_t) {}
