// Placeholder bodies of the flow triggers, so that the engine links before
// their own source exists. Compiled only while that source is absent.
#if !__has_include("engine/flow/FlowTriggers.cpp")
#include "engine/flow/Triggers.h"

void RaiseEvent(cCharaBase*, int) {}
void RaiseEventWith(cCharaBase*, int, cGameObj*, uint8_t) {}
#endif
