// Placeholder bodies of operations the flow runtime calls whose own sources
// live with other parts (status and overlays). Each goes
// when its real body lands.
#include "engine/flow/FlowRun.h"
#include "engine/objects/CharaBase.h"

// Status and overlays.
void StartFlowCmdAnims(cCharaBase*) {}

