#include "engine/script/StatusOps.h"

#include "base/Text.h"
#include "data/CharaDef.h"
#include "data/Cond.h"
#include "engine/script/StatusRef.h"

int CompareByOp(int32_t a, int32_t b, int op) { return CompareCond(op, a, b) ? 1 : 0; }
int CompareChar(int32_t a, int32_t b, int op) {
  return CompareCond(op, static_cast<int8_t>(a), static_cast<int8_t>(b)) ? 1 : 0;
}
int CompareShort(int32_t a, int32_t b, int op) {
  return CompareCond(op, static_cast<int16_t>(a), static_cast<int16_t>(b)) ? 1 : 0;
}

namespace {
int64_t Percent64(int64_t a, int64_t b) {
  const int64_t p = a * b;
  return p >= 0 ? (p + 50) / 100 : (p - 50) / 100;
}
int32_t Saturate(int64_t v) {
  if (v > INT32_MAX) return INT32_MAX;
  if (v < INT32_MIN) return INT32_MIN;
  return static_cast<int32_t>(v);
}
int64_t Clamp64(int64_t v, int64_t min, int64_t max) { return v < min ? min : (v > max ? max : v); }
}  // namespace

int32_t PercentOf(int32_t a, int32_t b) { return Saturate(Percent64(a, b)); }
int32_t PercentOfChar(int32_t a, int32_t b) { return PercentOf(static_cast<int8_t>(a), b); }
int32_t PercentOfShort(int32_t a, int32_t b) { return PercentOf(static_cast<int16_t>(a), b); }

int32_t Clamp(int32_t& value, int32_t min, int32_t max) {
  if (value < min) value = min;
  if (value > max) value = max;
  return value;
}

int8_t ClampChar(int8_t& value, int32_t min, int32_t max) {
  value = static_cast<int8_t>(Clamp64(value, min, max));
  return value;
}

int64_t ApplyOp(int64_t x, int64_t v, int op) {
  switch (op) {
    case 0: return v;
    case 1: return x + v;
    case 2: return x - v;
    case 3: return x * v;
    case 4: return v == 0 ? x : x / v;
    case 5: return v == 0 ? x : x % v;
    case 6: return Percent64(v, x);
    default: return x;
  }
}

namespace {
int64_t CutToWidth(int64_t v, int width) {
  return width == 1 ? static_cast<int8_t>(v) : static_cast<int16_t>(v);
}
}  // namespace

int64_t ApplyOpInWidth(int64_t x, int32_t operand, int op, int width, int32_t min, int32_t max) {
  if (width != 1 && width != 2) return ApplyOp(x, operand, op);
  const int64_t v = CutToWidth(operand, width);
  switch (op) {
    case 1: return CutToWidth(x + v, width);
    case 2: return CutToWidth(x - v, width);
    case 3: {
      const int64_t p = CutToWidth(x * v, width);
      const bool sameSign = (x < 0) == (v < 0);
      if (sameSign && p < 0) return max;
      if (!sameSign && p > 0) return min;
      return p;
    }
    default: return ApplyOp(x, v, op);
  }
}

void ApplyOpInt(int32_t& value, int32_t operand, int op, int32_t min, int32_t max) {
  value = static_cast<int32_t>(Clamp64(ApplyOp(value, operand, op), min, max));
}
void ApplyOpChar(int8_t& value, int32_t operand, int op, int32_t min, int32_t max) {
  value = static_cast<int8_t>(Clamp64(ApplyOpInWidth(value, operand, op, 1, min, max), min, max));
}
void ApplyOpShort(int16_t& value, int32_t operand, int op, int32_t min, int32_t max) {
  value = static_cast<int16_t>(Clamp64(ApplyOpInWidth(value, operand, op, 2, min, max), min, max));
}

namespace {

// Applies an operation to a status of any width and range; the range limits
// never exceed what the width can hold.
void ApplyToRef(const cStatusRef& ref, int32_t operand, int op) {
  const int64_t r = ApplyOpInWidth(ReadStatus(ref), operand, op, ref.m_nWidth, ref.m_nMin, ref.m_nMax);
  WriteStatus(ref, static_cast<int32_t>(Clamp64(r, ref.m_nMin, ref.m_nMax)));
}

int32_t* VariableAt(cScriptWorld& w, int scope, int index) {
  int32_t* list = scope == 0 ? w.CommonVars() : scope == 1 ? w.StageVars() : nullptr;
  int count = scope == 0 ? w.CommonVarCount() : scope == 1 ? w.StageVarCount() : 0;
  if (!list || index < 0 || index >= count) return nullptr;
  return &list[index];
}

// The character addressed by an object code: 1..4 a target slot (null when
// empty), anything else the running character.
void* ObjectOf(cScriptWorld& w, void* chara, int object) {
  if (object >= 1 && object <= 4) return w.Target(chara, object - 1);
  return chara;
}

// Reads a value as an operand (the right side of a condition, the operand of
// an operation). False when the whole test or operation must give up.
bool ReadOperand(cScriptWorld& w, void* chara, int kind, int32_t constant, int32_t rmin, int32_t rmax, int object,
                 int status, int scope, int index, int32_t& out) {
  out = 0;
  switch (kind) {
    case 0: out = constant; return true;
    case 1: out = Random(rmin, rmax); return true;
    case 2: {
      if (object == 5) {
        cStatusRef ref = SystemRef(w, status);
        out = ReadStatus(ref);
        if (status == kSystemTime && w.NoTimeLimit()) out = 0;
        if (status == kSystemLives && out == kUnlimitedLives) out = 0;
        return true;
      }
      void* obj = ObjectOf(w, chara, object);
      cScriptChara view = w.View(obj);
      if (!view) return false;
      if (status == kStatusSight && !view.m_bHero) return false;
      if (status == kStatusStopEase) w.ScaleAccel(obj);
      out = ReadStatus(CharaStatusRef(view, status, index));
      return true;
    }
    case 3: {
      int32_t* v = VariableAt(w, scope, index);
      out = v ? *v : 0;
      return true;
    }
    default: return true;
  }
}

int CompareByWidth(int width, int32_t a, int32_t b, int op) {
  if (width == 1) return CompareChar(a, b, op);
  if (width == 2) return CompareShort(a, b, op);
  return CompareByOp(a, b, op);
}

}  // namespace

int CheckStatusCondition(cScriptWorld& w, const cCond& c, void* chara) {
  int32_t value = 0;
  if (!ReadOperand(w, chara, c.m_RightSource, c.m_Value, c.m_RandomMin, c.m_RandomMax, c.m_RightTarget,
                   c.m_RightStatus, c.m_RightScope, c.m_RightIndex, value))
    return 0;
  const int32_t cmp = c.m_Percent ? 0 : value;
  if (c.m_LeftSource == 1) {
    int32_t* v = VariableAt(w, c.m_LeftScope, c.m_Index);
    if (!v) return 0;
    return CompareByOp(*v, cmp, c.m_Op);
  }
  if (c.m_LeftSource != 0) return 0;
  if (c.m_Target == 5) {
    cStatusRef ref = SystemRef(w, c.m_Status);
    if (!ref) return 0;
    int32_t a = ReadStatus(ref);
    if (c.m_Status == kSystemLives && a == kUnlimitedLives) return 0;
    return CompareByOp(a, cmp, c.m_Op);
  }
  cScriptChara view = w.View(ObjectOf(w, chara, c.m_Target));
  if (!view) return 0;
  cStatusRef ref = CharaStatusRef(view, c.m_Status, c.m_Index);
  if (!ref) return 0;
  int32_t b = value;
  if (c.m_Percent) {
    if (c.m_Status == kStatusHp)
      b = static_cast<int32_t>(Clamp64(PercentOf(view.m_pDef->m_MaxHp, value), 0, 999999));
    else if (c.m_Status == kStatusSp)
      b = static_cast<int32_t>(Clamp64(PercentOf(view.m_pDef->m_MaxSp, value), 0, 999999));
    else
      b = 0;
  }
  return CompareByWidth(ref.m_nWidth, ReadStatus(ref), b, c.m_Op);
}

void ApplyStatusOperation(cScriptWorld& w, void* chara, const cVector<int32_t>& params) {
  auto p = [&](int i) { return static_cast<size_t>(i) < params.size() ? params[static_cast<size_t>(i)] : 0; };
  const int op = p(5);
  const bool percent = p(14) != 0;
  int32_t operand = 0;
  int operandKind = p(6);
  if (operandKind == 3 && p(10) != 0 && p(10) != 1) operandKind = -1;  // an unknown variable kind gives 0
  if (!ReadOperand(w, chara, operandKind, p(7), p(8), p(9), p(12), p(13), p(10), p(11), operand)) return;

  if (p(0) == 1) {
    if (p(1) != 0 && p(1) != 1) return;
    int32_t* v = VariableAt(w, p(1), p(2));
    if (!v) return;
    ApplyOpInt(*v, percent ? PercentOf(operand, *v) : operand, op, -999999, 999999);
    return;
  }
  if (p(0) != 0) return;
  const int object = p(3);
  const int status = p(4);
  if (object == 5) {
    cStatusRef ref = SystemRef(w, status);
    if (!ref) return;
    if (status == kSystemLives && ReadStatus(ref) == kUnlimitedLives) return;
    ApplyToRef(ref, percent ? PercentOf(operand, ReadStatus(ref)) : operand, op);
    if (status == kSystemScrollX || status == kSystemScrollY)
      w.SetAutoSpeed(status == kSystemScrollX ? 0 : 1, ReadStatus(ref));
    return;
  }
  if (object < 0 || object > 5) return;
  void* obj = ObjectOf(w, chara, object);
  cScriptChara view = w.View(obj);
  if (!view) return;
  if (p(17) && view.m_pDef->m_Invincible) return;
  cCharaDef& def = *view.m_pDef;
  switch (status) {
    case kStatusHp:
    case kStatusSp: {
      const bool hp = status == kStatusHp;
      const int32_t current = hp ? *view.m_pHp : *view.m_pSp;
      const int32_t maximum = hp ? def.m_MaxHp : def.m_MaxSp;
      int32_t v = current;
      switch (p(15)) {
        case 0: ApplyOpInt(v, operand, op, 0, 999999); break;
        case 1: ApplyOpInt(v, PercentOf(operand, maximum), op, 0, 999999); break;
        case 2: ApplyOpInt(v, PercentOf(operand, current), op, 0, 999999); break;
        default: break;
      }
      const int diff = static_cast<int>(static_cast<int64_t>(v) - current);
      if (hp)
        w.ChangeHp(obj, diff, p(16) != 0);
      else
        w.ChangeSp(obj, diff, p(16) != 0);
      break;
    }
    case kStatusMaxHp:
    case kStatusMaxSp: {
      const bool hp = status == kStatusMaxHp;
      int32_t& maximum = hp ? def.m_MaxHp : def.m_MaxSp;
      ApplyOpInt(maximum, percent ? PercentOf(operand, maximum) : operand, op, 0, 999999);
      int32_t& current = hp ? *view.m_pHp : *view.m_pSp;
      if (current > maximum) current = maximum;
      break;
    }
    default: {
      if (status == kStatusSight && !view.m_bHero) return;
      cStatusRef ref = CharaStatusRef(view, status, p(2));
      if (!ref) return;
      ApplyToRef(ref, percent ? PercentOf(operand, ReadStatus(ref)) : operand, op);
      if (status == kStatusSight) w.SetHeroSight(obj, ReadStatus(ref));
      if (status == kStatusStopEase) w.ScaleAccel(obj);
      break;
    }
  }
  if ((status == kStatusHp || status == kStatusMaxHp) && obj != chara && *view.m_pHp < 1) w.RequestDeathCheck();
}
