#pragma once
// The expression language of the code command, and the status conditions
// and operations.
#include <cstdint>
#include <string>

class cCharaBase;
class cCond;
class cFlowCmd;

// Set by any error of the evaluator; cleared by RunCode.
extern int bCodeError;

int RunCode(const std::string& text, cCharaBase* chara);
int EvalParens(const std::string& text, cCharaBase* chara);
int EvalFlat(const std::string& text, cCharaBase* chara);

int CompareByOp(int32_t a, int32_t b, int op);
int PercentOf(int32_t a, int32_t b);
int CheckStatusCondition(const cCond& cond, cCharaBase* chara);
void ApplyStatusOperation(cCharaBase* chara, cFlowCmd* cmd);
