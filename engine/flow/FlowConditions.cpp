// Condition kinds 1..3 (a common, stage or character variable compared with
// the condition's value) and the start conditions of a flow run.
#include "data/Cond.h"
#include "data/Flow.h"
#include "data/SaveData.h"
#include "engine/Names.h"
#include "engine/World.h"
#include "engine/flow/Conditions.h"
#include "engine/flow/FlowRun.h"
#include "engine/objects/CharaBase.h"
#include "engine/rules/Rules.h"

namespace {

int CommonVariableHolds(const cCond& c, cCharaBase*) {
  return CompareCond(c.m_Op, nm::save::CommonVars(SaveData).At(c.m_Index), c.m_Value);
}

int StageVariableHolds(const cCond& c, cCharaBase*) {
  if (!PlayScene) return 0;
  return CompareCond(c.m_Op, PlayScene->m_StageVars.At(c.m_Index), c.m_Value);
}

int CharaVariableHolds(const cCond& c, cCharaBase* subject) {
  if (!subject) return 0;
  return CompareCond(c.m_Op, subject->m_Vars.At(c.m_Index), c.m_Value);
}

}  // namespace

void InstallVariableConditions() {
  ConditionTable[1] = CommonVariableHolds;
  ConditionTable[2] = StageVariableHolds;
  ConditionTable[3] = CharaVariableHolds;
}

// The flow's condition group with the run's own once-true flag; the subject
// is the character that owns the run.
int CheckFlowCondition(cFlowRun* run, cCharaBase* chara) {
  if (!run || !run->lpFlow) return 0;
  const cFlow& flow = *run->lpFlow;
  bool latched = run->bCondLatched != 0;
  const bool holds = CondGroupHolds(nm::flow::Conds(flow), nm::flow::CondMode(flow), nm::flow::CondLatch(flow), latched,
                                    [&](const cCond& c) { return CheckCondition(c, chara) != 0; });
  run->bCondLatched = latched ? 1 : 0;
  return holds ? 1 : 0;
}
