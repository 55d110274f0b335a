#pragma once
// Pieces shared by the flow runtime and the flow triggers.
#include <cstdint>

#include "base/Containers.h"
#include "data/Flow.h"
#include "engine/Names.h"

class cCharaBase;

constexpr int kTriggerAlways = 0;        // 常時
constexpr int kTriggerDeath = 3;         // 死亡した時
constexpr int kTriggerBeforeStage = 21;  // ステージ開始前

// A flow's ID as the ID flag vectors use it: 1..26, or 0 for none (and for
// a value out of that range).
inline int FlowIdIndex(int id) { return id >= 1 && id <= 26 ? id : 0; }
inline int FlowStopId(const cFlow& f) { return FlowIdIndex(nm::flow::FlowId(f)); }
inline int FlowBusyId(const cFlow& f) { return FlowIdIndex(nm::flow::BusyId(f)); }

// Sets flag `id` (nothing for 0 or an index past the vector).
void SetFlowIdFlag(cVector<uint8_t>& flags, int id);
// Sets `id` in the character's stopped flags and the pending switch.
void MarkFlowIdStopped(cCharaBase* chara, int id);
