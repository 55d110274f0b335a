// ctest-label: engine
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "base/Text.h"
#include "engine/script/Expr.h"
#include "tests/engine/script/fake_script_world.h"
#include "tests/support/EngineFakes.h"

namespace {

using scripttest::FakeChara;
using scripttest::FakeWorld;

// Error texts in code page 932.
const std::string kNoCloseParen = "\x22)\x22\x82\xAA\x8C\xA9\x82\xC2\x82\xA9\x82\xE8\x82\xDC\x82\xB9\x82\xF1\x81I";
const std::string kRandNotClosed =
    "\x8A\xD6\x90\x94 rand \x82\xC5\x22)\x22\x82\xAA\x8C\xA9\x82\xC2\x82\xA9\x82\xE8\x82\xDC\x82\xB9\x82\xF1\x81I";
const std::string kRandBadArgs = "\x8A\xD6\x90\x94 rand \x82\xCC\x88\xF8\x90\x94\x82\xAA\x95s\x90\xB3\x82\xC5\x82\xB7\x81I";
std::string BadObject(const std::string& word) {
  return "\x83I\x83u\x83W\x83\x46\x83N\x83g \x22" + word +
         ".\x22 \x82\xAA\x94\x46\x8E\xAF\x82\xC5\x82\xAB\x82\xDC\x82\xB9\x82\xF1\x81I";
}
const std::string kBadAssign = "\x91\xE3\x93\xFC\x90\xE6\x82\xAA\x95s\x90\xB3\x82\xC5\x82\xB7\x81I";
std::string DivZero(const std::string& text) {
  return "0\x8F\x9C\x8EZ\x82\xAA\x8Ds\x82\xED\x82\xEA\x82\xDC\x82\xB5\x82\xBD\x81I(" + text + ")";
}
std::string MissingOperand(const std::string& text) {
  return "\x89\x89\x8EZ\x8Eq\x82\xCC\x91O\x8C\xE3\x82\xC9\x92l\x82\xAA\x82\xA0\x82\xE8\x82\xDC\x82\xB9\x82\xF1\x81I(" +
         text + ")";
}
std::string VarIndex(const std::string& word) {
  return "\x95\xCF\x90\x94\x82\xCC\x94\xD4\x8D\x86\x82\xAA\x94\xCD\x88\xCD\x8AO\x82\xC5\x82\xB7\x81I(" + word + ")";
}
const std::string kTooLong = "\x83R\x81[\x83h\x82\xAA\x92\xB7\x82\xB7\x82\xAC\x82\xDC\x82\xB7\x81I";
const std::string kTooDeep = "\x8A\x87\x8C\xCA\x82\xCC\x93\xFC\x82\xEA\x8Eq\x82\xAA\x90[\x82\xB7\x82\xAC\x82\xDC\x82\xB7\x81I";

// The running character with two filled target slots and a hero.
struct Scene {
  FakeWorld w;
  FakeChara self, tg1, tg2, hero;
  Scene() {
    self.def.m_MaxHp = 100;
    self.hp = 50;
    self.def.m_MaxSp = 40;
    self.sp = 10;
    tg1.def.m_MaxHp = 30;
    tg1.hp = 20;
    tg2.def.m_MaxHp = 30;
    tg2.hp = 30;
    hero.hero = true;
    hero.def.m_MaxHp = 80;
    hero.hp = 77;
    self.targets = {&tg1, &tg2, nullptr, nullptr};
    w.hero = &hero;
    w.common[2] = 9;
  }
  Scene(const Scene&) = delete;

  // Reads a value by the name the table uses.
  int Read(const std::string& name) {
    if (name[0] == 'C') return w.common.at(std::stoul(name.substr(1)));
    if (name[0] == 'S') return w.stage.at(std::stoul(name.substr(1)));
    const std::vector<std::pair<std::string, std::function<int()>>> names = {
        {"hp", [&] { return self.hp; }},
        {"sp", [&] { return self.sp; }},
        {"mhp", [&] { return self.def.m_MaxHp; }},
        {"v3", [&] { return self.vars[3]; }},
        {"z", [&] { return self.def.m_Z; }},
        {"imp", [&] { return self.def.m_BodyImpact; }},
        {"cid", [&] { return self.def.m_CharaId; }},
        {"mark", [&] { return self.def.m_Emblem; }},
        {"sight", [&] { return self.def.m_ViewRange; }},
        {"tg.hp", [&] { return tg1.hp; }},
        {"tg2.v3", [&] { return tg2.vars[3]; }},
        {"pl.sight", [&] { return hero.def.m_ViewRange; }},
        {"life", [&] { return w.lives; }},
        {"time", [&] { return w.time; }},
        {"score", [&] { return w.score; }},
        {"scrlx", [&] { return w.scroll[0]; }},
        {"deaths", [&] { return w.deathChecks; }},
    };
    for (auto& [n, f] : names)
      if (n == name) return f();
    ADD_FAILURE() << "unknown name " << name;
    return 0;
  }
};

struct Case {
  std::string text;
  std::function<void(Scene&)> init;  // null: the scene as built
  std::vector<std::pair<std::string, int>> stores;
  int value;  // value of the text (EvalParens)
  int error;  // bCodeError after RunCode
  std::string box;  // the error box, empty for none
};

std::vector<Case> Cases() {
  auto emptyTarget = [](Scene& s) { s.self.targets[0] = nullptr; };
  auto unlimited = [](Scene& s) { s.w.lives = 999999; };
  auto c1is4 = [](Scene& s) { s.w.common[1] = 4; };
  std::string padded = "C1 = 1" + std::string(kMaxCodeLength - 6, ' ');
  std::string deep256 = "C1 = " + std::string(256, '(') + "1" + std::string(256, ')');
  std::string deep257 = "C1 = " + std::string(257, '(') + "1" + std::string(257, ')');
  return {
      {"hp = 5 + 3 * 2", nullptr, {{"hp", 11}}, 11, 0, ""},
      {"C1 = 7 / 2", nullptr, {{"C1", 3}}, 3, 0, ""},
      // "*", "/" and "%" bind tighter than "+" and "-"; each level runs left to right.
      {"C1 = 2 + 8 / 2", nullptr, {{"C1", 6}}, 6, 0, ""},       // not (2 + 8) / 2 = 5
      {"C1 = 10 - 6 / 2", nullptr, {{"C1", 7}}, 7, 0, ""},      // not (10 - 6) / 2 = 2
      {"C1 = 7 + 10 % 4", nullptr, {{"C1", 9}}, 9, 0, ""},      // not 17 % 4 = 1
      {"C1 = 20 - 7 % 4", nullptr, {{"C1", 17}}, 17, 0, ""},    // not 13 % 4 = 1
      {"C1 = 1 + 9 / 3 * 2", nullptr, {{"C1", 7}}, 7, 0, ""},   // 1 + (9 / 3) * 2
      {"C1 = 24 / 4 / 2", nullptr, {{"C1", 3}}, 3, 0, ""},      // not 24 / (4 / 2) = 12
      {"C1 = 100 / 10 % 3", nullptr, {{"C1", 1}}, 1, 0, ""},    // not 100 / (10 % 3) = 100
      {"C1 = 9 - 4 - 3", nullptr, {{"C1", 2}}, 2, 0, ""},       // not 9 - (4 - 3) = 8
      {"C1 = -7 % 3", nullptr, {{"C1", -1}}, -1, 0, ""},
      {"C1 = (2 + 3) * 4", nullptr, {{"C1", 20}}, 20, 0, ""},
      {"C1 = rand(3,3)", nullptr, {{"C1", 3}}, 3, 0, ""},
      {"C1 = rand( 3 , (1 + 2) )", nullptr, {{"C1", 3}}, 3, 0, ""},
      {"tg.hp = 0", emptyTarget, {{"tg.hp", 20}, {"deaths", 0}}, 0, 1, ""},
      {"tg.hp = 0", nullptr, {{"tg.hp", 0}, {"deaths", 1}}, 0, 0, ""},
      {"tg1.hp = 99", nullptr, {{"tg.hp", 30}, {"deaths", 0}}, 30, 0, ""},
      {"hp = 0", nullptr, {{"hp", 0}, {"deaths", 0}}, 0, 0, ""},
      {"tg2.v3 = 7 + tg.hp", nullptr, {{"tg2.v3", 27}}, 27, 0, ""},
      {"C1 = pl.hp", nullptr, {{"C1", 77}}, 77, 0, ""},
      {"z = 9", nullptr, {{"z", 7}}, 7, 0, ""},
      {"imp = -50", nullptr, {{"imp", -20}}, -20, 0, ""},
      {"cid = 150", nullptr, {{"cid", 99}}, 99, 0, ""},
      {"mark = -3", nullptr, {{"mark", 0}}, 0, 0, ""},
      {"sight = 99", nullptr, {{"sight", 40}}, 40, 0, ""},
      {"mhp = 0", nullptr, {{"mhp", 1}, {"hp", 1}}, 1, 0, ""},
      {"hp = 500", nullptr, {{"hp", 100}}, 100, 0, ""},
      {"v3 = 1000000", nullptr, {{"v3", 999999}}, 999999, 0, ""},
      {"life = 5", unlimited, {{"life", 999999}}, 999999, 0, ""},
      {"C1 = life", unlimited, {{"C1", 0}}, 0, 0, ""},
      {"life = 500", nullptr, {{"life", 99}}, 99, 0, ""},
      {"time = 5000", nullptr, {{"time", 999}}, 999, 0, ""},
      {"score = -5", nullptr, {{"score", 0}}, 0, 0, ""},
      {"sys.scrlx = 600", nullptr, {{"scrlx", 480}}, 480, 0, ""},
      {"C1 = 1.5", nullptr, {{"C1", 5}}, 5, 0, ""},
      {"1.5", nullptr, {}, 0, 1, BadObject("1")},
      {"x.hp = 1", nullptr, {{"hp", 50}}, 0, 1, BadObject("x")},
      {"C1 = x.hp", nullptr, {{"C1", 50}}, 50, 0, ""},
      {"C1 = C2 = 5", nullptr, {{"C1", 9}, {"C2", 9}}, 0, 1, kBadAssign},
      {"C1 = 1+2", nullptr, {{"C1", 1}}, 1, 0, ""},
      {"S3 = 4 S4 = S3", nullptr, {{"S3", 4}, {"S4", 0}}, 0, 0, ""},
      {"C1 = 3 C2", nullptr, {{"C1", 3}, {"C2", 9}}, 3, 0, ""},
      {"C1 = foo(3)", nullptr, {{"C1", 0}}, 0, 0, ""},
      {"", nullptr, {}, 0, 0, ""},
      {"C1 = 5 / 0", nullptr, {{"C1", 0}}, 0, 1, DivZero("C1 = 5 / 0")},
      {"C1 = (C2 % 0) + 1", nullptr, {{"C1", 1}}, 1, 1, DivZero("C2 % 0")},
      {"C1 = (2 + 3", nullptr, {{"C1", 0}}, 0, 1, kNoCloseParen},
      {"C1 = rand(1,2", c1is4, {{"C1", 4}}, 0, 1, kRandNotClosed},
      {"C1 = rand(1)", c1is4, {{"C1", 4}}, 0, 1, kRandBadArgs},
      {"C1 = rand()", c1is4, {{"C1", 4}}, 0, 1, kRandBadArgs},
      {"C1 = (rand(1,2,3)) + 2", c1is4, {{"C1", 2}}, 2, 1, kRandBadArgs},
      {"sys.hp = 1", c1is4, {{"C1", 4}, {"hp", 50}}, 0, 1, ""},
      // Mended: malformed texts and bad indexes are refused and write nothing.
      {"C1 = + 5", c1is4, {{"C1", 4}}, 0, 1, MissingOperand("C1 = + 5")},
      {"C1 = 5 +", c1is4, {{"C1", 4}}, 0, 1, MissingOperand("C1 = 5 +")},
      {"C1 = 5 =", c1is4, {{"C1", 4}}, 0, 1, MissingOperand("C1 = 5 =")},
      {"*", nullptr, {}, 0, 1, MissingOperand("*")},
      {"C1001 = 1", nullptr, {{"C1000", 0}}, 0, 1, VarIndex("C1001")},
      {"S1000 = 1", nullptr, {{"S999", 0}}, 0, 1, VarIndex("S1000")},
      {"C-1 = 1", nullptr, {}, 0, 1, VarIndex("C-1")},
      {"C1000 = 7 S999 = 8", nullptr, {{"C1000", 7}, {"S999", 8}}, 8, 0, ""},
      {padded, nullptr, {{"C1", 1}}, 1, 0, ""},
      {padded + " ", nullptr, {{"C1", 0}}, 1, 1, kTooLong},
      {deep256, nullptr, {{"C1", 1}}, 1, 0, ""},
      {deep257, nullptr, {{"C1", 0}}, 0, 1, kTooDeep},
      // 32-bit arithmetic wraps; INT_MIN / -1 is INT_MIN and INT_MIN % -1 is 0.
      {"C1 = 2147483647 + 2 - 2147483647", nullptr, {{"C1", 2}}, 2, 0, ""},
      {"C1 = 65536 * 65536 + 5", nullptr, {{"C1", 5}}, 5, 0, ""},
      {"C1 = -2147483648 / -1 / 1000000", nullptr, {{"C1", -2147}}, -2147, 0, ""},
      {"C1 = -2147483648 % -1", nullptr, {{"C1", 0}}, 0, 0, ""},
      {"C1 = 99999999999", nullptr, {{"C1", 999999}}, 999999, 0, ""},
  };
}

// Records the error boxes the evaluator asks the application for.
class BoxRecorder {
 public:
  std::vector<std::string> Boxes() const {
    std::vector<std::string> boxes;
    const std::string prefix = "error \x83\x47\x83\x89\x81\x5B|";  // caption "エラー"
    for (const std::string& call : services_.calls())
      boxes.push_back(call.rfind(prefix, 0) == 0 ? call.substr(prefix.size()) : "unexpected: " + call);
    return boxes;
  }

 private:
  testsupport::FakeEngineServices services_;
};

TEST(Expr, TableOfTexts) {
  for (const Case& c : Cases()) {
    SCOPED_TRACE("text: " + c.text.substr(0, 60));
    {
      Scene s;
      if (c.init) c.init(s);
      BoxRecorder rec;
      int ok = RunCode(s.w, c.text, &s.self);
      EXPECT_EQ(bCodeError, c.error);
      EXPECT_EQ(ok, c.error ? 0 : 1);
      if (c.box.empty())
        EXPECT_TRUE(rec.Boxes().empty()) << rec.Boxes().front();
      else
        EXPECT_EQ(rec.Boxes(), std::vector<std::string>{c.box});
      for (auto& [name, value] : c.stores) EXPECT_EQ(s.Read(name), value) << name;
    }
    if (c.text.size() <= kMaxCodeLength) {
      Scene s;
      if (c.init) c.init(s);
      BoxRecorder rec;
      bCodeError = 0;
      EXPECT_EQ(EvalParens(s.w, c.text, &s.self), c.value);
    }
  }
}

TEST(Expr, RandomDrawsFromTheSharedGenerator) {
  Scene s;
  SeedRandom(1);
  EXPECT_EQ(RunCode(s.w, "C1 = rand(1,6) C2 = rand(1,6)", &s.self), 1);
  EXPECT_EQ(s.w.common[1], 6);
  EXPECT_EQ(s.w.common[2], 6);

  // A call that fails still consumes the draws of its arguments.
  BoxRecorder rec;
  SeedRandom(1);
  EXPECT_EQ(RunCode(s.w, "C3 = rand(rand(1,6),2,3)", &s.self), 0);
  EXPECT_EQ(rec.Boxes(), std::vector<std::string>{kRandBadArgs});
  SeedRandom(1);
  RandomRaw();
  int expected = RandomRaw();
  SeedRandom(1);
  EXPECT_EQ(RunCode(s.w, "C3 = rand(rand(1,6),2,3)", &s.self), 0);
  EXPECT_EQ(RandomRaw(), expected);

  // Bounds in either order.
  for (int i = 0; i < 50; ++i) {
    RunCode(s.w, "C4 = rand(5, 1)", &s.self);
    EXPECT_GE(s.w.common[4], 1);
    EXPECT_LE(s.w.common[4], 5);
  }
}

TEST(Expr, SideEffects) {
  {
    Scene s;  // only the running character's gauges start
    EXPECT_EQ(RunCode(s.w, "hp = hp - 10 sp = sp + 5 tg.hp = 3", &s.self), 1);
    EXPECT_EQ(s.self.hp, 40);
    EXPECT_EQ(s.w.events, (std::vector<std::string>{"hpgauge -10", "spgauge 5"}));
  }
  {
    Scene s;  // no gauge after an error, even when HP changed before it
    EXPECT_EQ(RunCode(s.w, "hp = 1 C1 = (1 / 0)", &s.self), 0);
    EXPECT_EQ(s.self.hp, 1);
    EXPECT_TRUE(s.w.events.empty());
  }
  {
    Scene s;
    EXPECT_EQ(RunCode(s.w, "tg.hp = 0", &s.self), 1);
    EXPECT_EQ(s.w.deathChecks, 1);
    EXPECT_EQ(RunCode(s.w, "tg2.hp = 5", &s.self), 1);
    EXPECT_EQ(s.w.deathChecks, 1);
  }
  {
    Scene s;  // the hero's sight rebuilds its overlay; other characters only store it
    EXPECT_EQ(RunCode(s.w, "pl.sight = 3 sight = 4", &s.self), 1);
    EXPECT_EQ(s.hero.sightPixels, 48);
    EXPECT_EQ(s.self.def.m_ViewRange, 4);
    EXPECT_EQ(s.w.events, std::vector<std::string>{"sight 3"});
  }
  {
    Scene s;
    EXPECT_EQ(RunCode(s.w, "scrlx = 20 scrly = -500", &s.self), 1);
    EXPECT_EQ(s.w.events, (std::vector<std::string>{"autospeed 0 20", "autospeed 1 -480"}));
    EXPECT_EQ(s.w.scroll[1], -480);
  }
  {
    Scene s;
    s.w.lives = 999999;
    EXPECT_EQ(RunCode(s.w, "life = life + 1", &s.self), 1);
    EXPECT_EQ(s.w.lives, 999999);
  }
  {
    Scene s;  // "msp" keeps SP within 1..the new maximum
    s.self.sp = 0;
    EXPECT_EQ(RunCode(s.w, "msp = 20", &s.self), 1);
    EXPECT_EQ(s.self.sp, 1);
  }
}

}  // namespace
