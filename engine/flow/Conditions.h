#pragma once
// Condition dispatch by the condition's kind byte: 1 common variable,
// 2 stage variable, 3 character variable, 4 status, 5 and 6 character
// state, 7 distance. Evaluators are installed per kind; a kind without one
// is false.
#include "base/Containers.h"

class cCond;
class cCharaBase;

constexpr int kCondKinds = 8;
using CondEvaluator = int (*)(const cCond& cond, cCharaBase* subject);
extern CondEvaluator ConditionTable[kCondKinds];

// 1 when the condition holds for the subject (the hero for blocks and items).
int CheckCondition(const cCond& cond, cCharaBase* subject);
// Mode 0: all hold; 1: at least one holds; others false.
int CheckCondList(const cVector<cCond>& conds, int mode, cCharaBase* subject);

// Installers: kinds 1..3 (with the flow runtime) and 4..7 (with the status
// and state conditions).
void InstallVariableConditions();
void InstallStatusConditions();
