#include "data/Cond.h"
#include "engine/flow/Conditions.h"

CondEvaluator ConditionTable[kCondKinds] = {};

int CheckCondition(const cCond& cond, cCharaBase* subject) {
  int kind = cond.m_Kind;
  if (kind < 0 || kind >= kCondKinds) return 0;
  CondEvaluator eval = ConditionTable[kind];
  return eval ? (eval(cond, subject) ? 1 : 0) : 0;
}

int CheckCondList(const cVector<cCond>& conds, int mode, cCharaBase* subject) {
  return CondsHoldByMode(conds, mode, [&](const cCond& c) { return CheckCondition(c, subject) != 0; }) ? 1 : 0;
}
