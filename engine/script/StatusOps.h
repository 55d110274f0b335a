#pragma once
// Status conditions (condition kind 4) and the status-operation command: one
// value of a character, a target, a variable or the system compared or
// changed, plus the comparison and percent helpers other kinds share.
#include <cstdint>

#include "base/Containers.h"
#include "engine/script/ScriptWorld.h"

class cCond;

// Comparison codes: 0 =, 1 !=, 2 >=, 3 <=, 4 >, 5 <, 6 b = 0 or |a| mod b = 0,
// 7 b != 0 and |a| mod b != 0; others are false. CompareChar and CompareShort
// cut both values to 8 and 16 bits first.
int CompareByOp(int32_t a, int32_t b, int op);
int CompareChar(int32_t a, int32_t b, int op);
int CompareShort(int32_t a, int32_t b, int op);

// a × b / 100 rounded half away from zero. The product is formed in 64 bits
// and the result saturates at the 32-bit bounds.
int32_t PercentOf(int32_t a, int32_t b);
int32_t PercentOfChar(int32_t a, int32_t b);   // a cut to 8 bits
int32_t PercentOfShort(int32_t a, int32_t b);  // a cut to 16 bits

int32_t Clamp(int32_t& value, int32_t min, int32_t max);
int8_t ClampChar(int8_t& value, int32_t min, int32_t max);

// Operation codes: 0 =, 1 +, 2 -, 3 ×, 4 ÷ (no change by 0), 5 remainder
// (sign of x; no change by 0), 6 percent; others keep the value. ApplyOp
// works in 64 bits, so an overflowing 4-byte product saturates to the limit
// of its sign after the clamp into [min, max].
int64_t ApplyOp(int64_t value, int64_t operand, int op);
// The same in a status's own width (1, 2 or 4 bytes) before the clamp: a
// narrow status cuts the operand to its width, and its sum, difference and
// product wrap there (50 + 100 in a byte is -106, which clamps to 0); a
// product whose sign the wrap flipped gives the limit of the expected sign.
int64_t ApplyOpInWidth(int64_t value, int32_t operand, int op, int width, int32_t min, int32_t max);
void ApplyOpInt(int32_t& value, int32_t operand, int op, int32_t min, int32_t max);
void ApplyOpChar(int8_t& value, int32_t operand, int op, int32_t min, int32_t max);
void ApplyOpShort(int16_t& value, int32_t operand, int op, int32_t min, int32_t max);

// Condition kind 4 for the character that owns the condition list.
int CheckStatusCondition(cScriptWorld& world, const cCond& cond, void* chara);
// The status-operation command with its integer parameters (missing ones read 0).
void ApplyStatusOperation(cScriptWorld& world, void* chara, const cVector<int32_t>& params);
