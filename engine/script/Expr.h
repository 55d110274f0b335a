#pragma once
// The expression language of the code command: one line of space-separated
// words that reads and assigns statuses, character, common and stage
// variables and system values. Every number is a signed 32-bit integer;
// "+", "-", "*" wrap, "/" and "%" truncate toward zero.
#include <cstdint>
#include <string>

#include "engine/script/ScriptWorld.h"
#include "engine/script/StatusOps.h"

class cCharaBase;
class cCond;
class cFlowCmd;

// Set by any error of an evaluation; cleared by RunCode before each one.
extern int bCodeError;

// Texts are limited to this many bytes; a longer text is refused whole.
constexpr size_t kMaxCodeLength = 5119;
// Groups and call arguments nest at most this deep.
constexpr int kMaxCodeDepth = 256;

// One element of the token list.
struct cExprToken {
  int m_nKind = 0;  // 0 constant, 1 variable, 2 status, 3 system value, 4 operator
  int32_t m_nValue = 0;
  void* m_pTarget = nullptr;  // where an assignment writes; null for constants and results
  int m_nWidth = 4;           // 1, 2 or 4 bytes, signed
  int m_nOp = 0;
  int m_nMin = -999999;
  int m_nMax = 999999;
  int m_nStatus = -1;  // index into StatusWords
  int m_nSystem = -1;  // index into SystemWords
  void* m_pOwner = nullptr;
};

// Evaluates the text for the running character: 1 on success, 0 after an
// error (bCodeError set; assignments made before the error stay). When the
// character's HP or SP changed, its gauge starts with the difference.
int RunCode(cScriptWorld& world, const std::string& text, void* chara);
// Resolves groups and function calls, then evaluates the flat rest.
int EvalParens(cScriptWorld& world, const std::string& text, void* chara, int depth = 0);
// Tokenises and evaluates a text without parentheses.
int EvalFlat(cScriptWorld& world, const std::string& text, void* chara);

// The same on the running play scene (PlayScene, Player, SaveData, Stage).
int RunCode(const std::string& text, cCharaBase* chara);
int EvalParens(const std::string& text, cCharaBase* chara);
int EvalFlat(const std::string& text, cCharaBase* chara);
int CheckStatusCondition(const cCond& cond, cCharaBase* chara);
// The status-operation command (its integer parameters).
void ApplyStatusOperation(cCharaBase* chara, cFlowCmd* cmd);

// The play scene's binding of the evaluators. The hero's darkness overlay is
// rebuilt through SightRebuildHook after a sight change, when one is set.
cScriptWorld& PlayScriptWorld();
extern void (*SightRebuildHook)();
