// Placeholder bodies of operations the flow runtime calls whose own sources
// live with other parts (the character core, status and overlays, the
// parameter table). Each goes when its real body lands.
#include "engine/flow/FlowRun.h"
#include "engine/objects/CharaBase.h"

// Character core: erases the run only; the definition's flows stay so that
// the other runs keep their pointers.
void cCharaBase::RemoveFlow(int index) {
  if (index < 0 || static_cast<size_t>(index) >= m_FlowRuns.size()) return;
  m_FlowRuns[static_cast<size_t>(index)].Stop(this);
  m_FlowRuns.erase(m_FlowRuns.begin() + index);
}
void cCharaBase::DetachLinks() {}

// Status and overlays.
void StartFlowCmdAnims(cCharaBase*) {}

// Parameter table.
void ApplyFlowArranges(cFlowCmd*, cCharaBase*, cFlowRun*) {}
