// Feeds arbitrary text to the expression evaluator for a character with two
// targets and a hero. Whatever the text, the evaluation must end, report
// success exactly when no error was flagged, and leave every status it can
// assign inside its range.
#include <cstddef>
#include <cstdint>
#include <string>

#include "base/Text.h"
#include "engine/Services.h"
#include "engine/script/Expr.h"
#include "tests/engine/script/fake_script_world.h"

using scripttest::FakeChara;
using scripttest::FakeWorld;

// The harness links the evaluator without the engine's services: error
// boxes only need a text that is not empty.
IErrorReporter& ErrorReporter() {
  struct Boxes : IErrorReporter {
    void ErrorBox(const std::string& text, const std::string&) override {
      if (text.empty()) __builtin_trap();
    }
  };
  static Boxes boxes;
  return boxes;
}

namespace {
void CheckRanges(const FakeChara& c) {
  const cCharaDef& d = c.def;
  if (d.m_CharaId < 0 || d.m_CharaId > 99 || d.m_Z < 0 || d.m_Z > 7 || d.m_Emblem < 0 || d.m_Emblem > 119 ||
      d.m_ViewRange < 0 || d.m_ViewRange > 40 || d.m_BodyImpact < -20 || d.m_BodyImpact > 20 ||
      d.m_ImpactResist < 0 || d.m_ImpactResist > 20 || d.m_StopEase < 0 || d.m_StopEase > 200 || d.m_MaxHp < 1 ||
      d.m_MaxHp > 999999 || c.hp < 0)
    __builtin_trap();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FakeWorld w;
  FakeChara self, tg1, hero;
  self.def.m_MaxHp = 100;
  self.hp = 50;
  self.def.m_MaxSp = 20;
  tg1.def.m_MaxHp = 30;
  tg1.hp = 30;
  hero.hero = true;
  hero.def.m_MaxHp = 10;
  hero.hp = 10;
  self.targets = {&tg1, nullptr, &hero, nullptr};
  w.hero = &hero;
  SeedRandom(1);
  std::string text(reinterpret_cast<const char*>(data), size);
  int ok = RunCode(w, text, &self);
  if (ok != (bCodeError ? 0 : 1)) __builtin_trap();
  CheckRanges(self);
  CheckRanges(tg1);
  CheckRanges(hero);
  if (w.time < 0 || w.time > 999 || w.score < 0 || w.score > 999999 || w.lives < 0 || w.lives > 99 ||
      w.scroll[0] < -480 || w.scroll[0] > 480 || w.scroll[1] < -480 || w.scroll[1] > 480)
    __builtin_trap();
  return 0;
}
