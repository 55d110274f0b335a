#include "engine/script/Expr.h"

#include <cstring>
#include <vector>

#include "base/Text.h"
#include "data/CharaDef.h"
#include "engine/Services.h"
#include "engine/script/StatusRef.h"

int bCodeError = 0;

namespace {

// Keyword tables; the index of a keyword is its position.
const char* const FuncWords[] = {"rand"};
const char* const OperatorWords[] = {"=", "+", "-", "*", "/", "%"};
const int OperatorLevel[] = {2, 1, 1, 0, 0, 0};
const char* const ObjectWords[] = {"my", "tg", "tg1", "tg2", "tg3", "tg4", "pl", "sys"};
const char* const StatusWords[] = {"v1",    "v2",    "v3",  "v4",  "v5",  "v6",   "v7",   "v8",
                                   "hp",    "sp",    "mhp", "msp", "cid", "z",    "mark", "sight",
                                   "power", "imp",   "def", "impd", "stop", "getsc"};
const char* const SystemWords[] = {"time", "scrlx", "scrly", "score", "life"};

enum { kOpAssign = 0, kOpAdd, kOpSub, kOpMul, kOpDiv, kOpMod };
enum { kObjMy = 0, kObjTg, kObjTg1, kObjTg2, kObjTg3, kObjTg4, kObjPl, kObjSys };
enum { kWordHp = 8, kWordSp, kWordMaxHp, kWordMaxSp, kWordSight = 15 };
enum { kTokConst = 0, kTokVar, kTokStatus, kTokSystem, kTokOp };

// Error texts (code page 932).
// "")"が見つかりません！"
const char kErrNoCloseParen[] = "\x22)\x22\x82\xAA\x8C\xA9\x82\xC2\x82\xA9\x82\xE8\x82\xDC\x82\xB9\x82\xF1\x81I";
// "関数 %s で")"が見つかりません！"
const char kErrCallNotClosed[] =
    "\x8A\xD6\x90\x94 %s \x82\xC5\x22)\x22\x82\xAA\x8C\xA9\x82\xC2\x82\xA9\x82\xE8\x82\xDC\x82\xB9\x82\xF1\x81I";
// "関数 %s の引数が不正です！"
const char kErrBadArgs[] = "\x8A\xD6\x90\x94 %s \x82\xCC\x88\xF8\x90\x94\x82\xAA\x95s\x90\xB3\x82\xC5\x82\xB7\x81I";
// "オブジェクト "%s." が認識できません！"
const char kErrBadObject[] =
    "\x83I\x83u\x83W\x83\x46\x83N\x83g \x22%s.\x22 \x82\xAA\x94\x46\x8E\xAF\x82\xC5\x82\xAB\x82\xDC\x82\xB9\x82\xF1"
    "\x81I";
// "代入先が不正です！"
const char kErrBadAssign[] = "\x91\xE3\x93\xFC\x90\xE6\x82\xAA\x95s\x90\xB3\x82\xC5\x82\xB7\x81I";
// "0除算が行われました！(%s)"
const char kErrDivZero[] = "0\x8F\x9C\x8EZ\x82\xAA\x8Ds\x82\xED\x82\xEA\x82\xDC\x82\xB5\x82\xBD\x81I(%s)";
// "演算子の前後に値がありません！(%s)"
const char kErrMissingOperand[] =
    "\x89\x89\x8EZ\x8Eq\x82\xCC\x91O\x8C\xE3\x82\xC9\x92l\x82\xAA\x82\xA0\x82\xE8\x82\xDC\x82\xB9\x82\xF1\x81I(%s)";
// "変数の番号が範囲外です！(%s)"
const char kErrVarIndex[] = "\x95\xCF\x90\x94\x82\xCC\x94\xD4\x8D\x86\x82\xAA\x94\xCD\x88\xCD\x8AO\x82\xC5\x82\xB7\x81I(%s)";
// "コードが長すぎます！"
const char kErrTooLong[] = "\x83R\x81[\x83h\x82\xAA\x92\xB7\x82\xB7\x82\xAC\x82\xDC\x82\xB7\x81I";
// "括弧の入れ子が深すぎます！"
const char kErrTooDeep[] = "\x8A\x87\x8C\xCA\x82\xCC\x93\xFC\x82\xEA\x8Eq\x82\xAA\x90[\x82\xB7\x82\xAC\x82\xDC\x82\xB7\x81I";

template <size_t N>
int FindWord(const char* const (&table)[N], const std::string& word) {
  for (size_t i = 0; i < N; ++i)
    if (word == table[i]) return static_cast<int>(i);
  return -1;
}

// Error boxes go to the application through the engine's error seam.
void Box(const std::string& text) {
  ErrorReporter().ErrorBox(text, "\x83\x47\x83\x89\x81\x5B");  // "エラー"
}

int Fail() {
  bCodeError = 1;
  return 0;
}

// Leading sign and digits, saturating at the 32-bit bounds; 0 when the text
// does not start with a number.
int64_t LeadingNumber(const char* p) {
  bool negative = false;
  if (*p == '+' || *p == '-') negative = *p++ == '-';
  int64_t value = 0;
  for (; *p >= '0' && *p <= '9'; ++p) {
    value = value * 10 + (*p - '0');
    if (value > 2147483648LL) value = 2147483648LL;
  }
  value = negative ? -value : value;
  if (value > INT32_MAX) value = INT32_MAX;
  return value;
}

int32_t Wrap(int64_t v) { return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(v))); }

cExprToken Constant(int32_t value) {
  cExprToken t;
  t.m_nKind = kTokConst;
  t.m_nValue = value;
  return t;
}

int32_t ClampTo(int64_t v, int min, int max) {
  if (v < min) return min;
  if (v > max) return max;
  return static_cast<int32_t>(v);
}

class cFlatEval {
 public:
  cFlatEval(cScriptWorld& world, const std::string& text, void* chara) : w_(world), text_(text), chara_(chara) {}

  int Run() {
    if (!Tokenise()) return 0;
    // Every operator needs an operand on each side; a malformed list is
    // refused before anything is assigned.
    for (size_t i = 0; i < tokens_.size(); ++i) {
      if (tokens_[i].m_nKind != kTokOp) continue;
      if (i == 0 || i + 1 >= tokens_.size() || tokens_[i - 1].m_nKind == kTokOp || tokens_[i + 1].m_nKind == kTokOp) {
        Box(FormatString(kErrMissingOperand, text_.c_str()));
        return Fail();
      }
    }
    bool operated = false;
    int32_t last = 0;
    for (int level = 0; level <= 2; ++level) {
      for (;;) {
        size_t i = 0;
        while (i < tokens_.size() && !(tokens_[i].m_nKind == kTokOp && OperatorLevel[tokens_[i].m_nOp] == level)) ++i;
        if (i == tokens_.size()) break;
        int32_t result = 0;
        if (!Combine(tokens_[i - 1], tokens_[i].m_nOp, tokens_[i + 1], result)) return 0;
        tokens_.erase(tokens_.begin() + static_cast<long>(i), tokens_.begin() + static_cast<long>(i) + 2);
        tokens_[i - 1] = Constant(result);
        last = result;
        operated = true;
      }
    }
    if (operated) return last;
    return tokens_.empty() ? 0 : tokens_.back().m_nValue;
  }

 private:
  bool Tokenise() {
    std::string word;
    int object = -1;
    bool tokenSinceDot = false;
    for (size_t i = 0; i <= text_.size(); ++i) {
      char c = i < text_.size() ? text_[i] : '\0';
      if (c != ' ' && c != '.' && c != '\0') {
        word += c;
        continue;
      }
      if (c == '.') {
        int found = FindWord(ObjectWords, word);
        if (found >= 0) {
          object = found;
        } else if (!tokenSinceDot) {
          Box(FormatString(kErrBadObject, word.c_str()));
          return Fail();
        }
        word.clear();
        tokenSinceDot = false;
        continue;
      }
      if (word.empty()) continue;
      if (!AddToken(word, object)) return false;
      object = -1;
      word.clear();
      tokenSinceDot = true;
    }
    return true;
  }

  bool AddToken(const std::string& word, int object) {
    cExprToken t;
    int op = FindWord(OperatorWords, word);
    if (op >= 0) {
      t.m_nKind = kTokOp;
      t.m_nOp = op;
      tokens_.push_back(t);
      return true;
    }
    void* owner = chara_;
    switch (object) {
      case kObjTg:
      case kObjTg1:
      case kObjTg2:
      case kObjTg3:
      case kObjTg4:
        owner = w_.Target(chara_, object == kObjTg ? 0 : object - kObjTg1);
        if (!owner) return Fail();  // an empty target slot: no message
        break;
      case kObjPl:
        owner = w_.Hero();
        if (!owner) return Fail();
        break;
      case kObjSys: owner = nullptr; break;
      default: break;
    }
    if (word[0] == 'C' || word[0] == 'S') {
      int64_t n = LeadingNumber(word.c_str() + 1);
      bool common = word[0] == 'C';
      int32_t* list = common ? w_.CommonVars() : w_.StageVars();
      int count = common ? w_.CommonVarCount() : w_.StageVarCount();
      if (!list || n < 0 || n >= count) {
        Box(FormatString(kErrVarIndex, word.c_str()));
        return Fail();
      }
      t.m_nKind = kTokVar;
      t.m_pTarget = &list[n];
      t.m_nValue = list[n];
      tokens_.push_back(t);
      return true;
    }
    int status = FindWord(StatusWords, word);
    if (status >= 0) {
      // A status needs a character: "sys" has none.
      cScriptChara view = w_.View(owner);
      if (!view) return Fail();
      cStatusRef ref = status < 8 ? CharaStatusRef(view, kStatusVar, status + 1) : CharaStatusRef(view, status - 7, 0);
      if (!ref) {
        Box(FormatString(kErrVarIndex, word.c_str()));
        return Fail();
      }
      if (status == kWordMaxHp || status == kWordMaxSp) ref.m_nMin = 1;
      t.m_nKind = kTokStatus;
      t.m_nStatus = status;
      t.m_pOwner = owner;
      t.m_pTarget = ref.m_pTarget;
      t.m_nWidth = ref.m_nWidth;
      t.m_nMin = ref.m_nMin;
      t.m_nMax = ref.m_nMax;
      t.m_nValue = ReadStatus(ref);
      tokens_.push_back(t);
      return true;
    }
    int system = FindWord(SystemWords, word);
    if (system >= 0) {
      cStatusRef ref = SystemRef(w_, system);
      t.m_nKind = kTokSystem;
      t.m_nSystem = system;
      t.m_pOwner = owner;
      t.m_pTarget = ref.m_pTarget;
      t.m_nWidth = ref.m_nWidth;
      t.m_nMin = ref.m_nMin;
      t.m_nMax = ref.m_nMax;
      t.m_nValue = ReadStatus(ref);
      if (system == kSystemLives && t.m_nValue == kUnlimitedLives) {
        // Unlimited lives read as 0 and an assignment keeps them unlimited.
        t.m_nValue = 0;
        t.m_nMin = t.m_nMax = kUnlimitedLives;
      }
      tokens_.push_back(t);
      return true;
    }
    tokens_.push_back(Constant(static_cast<int32_t>(LeadingNumber(word.c_str()))));
    return true;
  }

  bool Combine(const cExprToken& l, int op, const cExprToken& r, int32_t& result) {
    const int64_t a = l.m_nValue;
    const int64_t b = r.m_nValue;
    switch (op) {
      case kOpAdd: result = Wrap(a + b); return true;
      case kOpSub: result = Wrap(a - b); return true;
      case kOpMul: result = Wrap(a * b); return true;
      case kOpDiv:
      case kOpMod:
        if (b == 0) {
          Box(FormatString(kErrDivZero, text_.c_str()));
          return Fail();
        }
        // In 64 bits INT_MIN / -1 wraps back to INT_MIN and INT_MIN % -1 is 0.
        result = Wrap(op == kOpDiv ? a / b : a % b);
        return true;
      case kOpAssign: return Assign(l, r.m_nValue, result);
      default: return Fail();
    }
  }

  bool Assign(const cExprToken& l, int32_t value, int32_t& result) {
    if (!l.m_pTarget) {
      Box(kErrBadAssign);
      return Fail();
    }
    result = ClampTo(value, l.m_nMin, l.m_nMax);
    cStatusRef ref;
    ref.m_pTarget = l.m_pTarget;
    ref.m_nWidth = l.m_nWidth;
    WriteStatus(ref, result);
    if (l.m_nKind == kTokStatus) {
      cScriptChara owner = w_.View(l.m_pOwner);
      switch (l.m_nStatus) {
        case kWordHp:
          if (l.m_pOwner != chara_ && *owner.m_pHp < 1) w_.RequestDeathCheck();
          break;
        case kWordMaxHp: *owner.m_pHp = ClampTo(*owner.m_pHp, 1, result); break;
        case kWordMaxSp: *owner.m_pSp = ClampTo(*owner.m_pSp, 1, result); break;
        case kWordSight:
          if (owner.m_bHero) w_.SetHeroSight(l.m_pOwner, result);
          break;
        default: break;
      }
    } else if (l.m_nKind == kTokSystem && (l.m_nSystem == kSystemScrollX || l.m_nSystem == kSystemScrollY)) {
      w_.SetAutoSpeed(l.m_nSystem == kSystemScrollX ? 0 : 1, result);
    }
    return true;
  }

  cScriptWorld& w_;
  const std::string& text_;
  void* chara_;
  std::vector<cExprToken> tokens_;
};

// Finds the ")" that closes the "(" before `from`; npos when the text ends first.
size_t MatchingParen(const std::string& s, size_t from) {
  int depth = 1;
  for (size_t i = from; i < s.size(); ++i) {
    if (s[i] == '(') ++depth;
    if (s[i] == ')' && --depth == 0) return i;
  }
  return std::string::npos;
}

}  // namespace

int EvalFlat(cScriptWorld& world, const std::string& text, void* chara) {
  return cFlatEval(world, text, chara).Run();
}

int EvalParens(cScriptWorld& world, const std::string& text, void* chara, int depth) {
  if (depth > kMaxCodeDepth) {
    Box(kErrTooDeep);
    return Fail();
  }
  std::string s = text;
  size_t wordStart = 0;
  size_t pos = 0;
  while (pos <= s.size()) {
    char c = pos < s.size() ? s[pos] : '\0';
    if (c == ' ') {
      wordStart = ++pos;
      continue;
    }
    if (c != '(') {
      ++pos;
      continue;
    }
    if (pos == wordStart) {
      // A group: evaluate it and put its value in its place.
      size_t close = MatchingParen(s, pos + 1);
      if (close == std::string::npos) {
        Box(kErrNoCloseParen);
        return Fail();
      }
      int value = EvalParens(world, s.substr(pos + 1, close - pos - 1), chara, depth + 1);
      s = s.substr(0, wordStart) + std::to_string(value) + s.substr(close + 1);
      pos = wordStart;
      continue;
    }
    std::string name = s.substr(wordStart, pos - wordStart);
    if (FindWord(FuncWords, name) < 0) {
      ++pos;  // not a function: the word is left for EvalFlat
      continue;
    }
    std::vector<int> args;
    std::string arg;
    int nest = 0;
    size_t close = std::string::npos;
    for (size_t i = pos + 1; i < s.size(); ++i) {
      char a = s[i];
      if (a == '(') {
        ++nest;
        arg += a;
      } else if (nest == 0 && (a == ',' || a == ')')) {
        if (!arg.empty()) args.push_back(EvalParens(world, arg, chara, depth + 1));
        arg.clear();
        if (a == ')') {
          close = i;
          break;
        }
      } else {
        if (a == ')') --nest;
        arg += a;
      }
    }
    if (close == std::string::npos) {
      Box(FormatString(kErrCallNotClosed, name.c_str()));
      return Fail();
    }
    if (args.size() != 2) {
      Box(FormatString(kErrBadArgs, name.c_str()));
      return Fail();
    }
    int value = Random(args[0], args[1]);
    s = s.substr(0, wordStart) + std::to_string(value) + s.substr(close + 1);
    pos = wordStart;
  }
  return EvalFlat(world, s, chara);
}

int RunCode(cScriptWorld& world, const std::string& text, void* chara) {
  bCodeError = 0;
  if (text.size() > kMaxCodeLength) {
    Box(kErrTooLong);
    return Fail();
  }
  cScriptChara self = world.View(chara);
  const int32_t hp = self.m_pHp ? *self.m_pHp : 0;
  const int32_t sp = self.m_pSp ? *self.m_pSp : 0;
  EvalParens(world, text, chara);
  if (bCodeError) return 0;
  if (self.m_pHp && *self.m_pHp != hp) world.StartHpGauge(chara, *self.m_pHp - hp);
  if (self.m_pSp && *self.m_pSp != sp) world.StartSpGauge(chara, *self.m_pSp - sp);
  return 1;
}
