// ctest-label: engine
#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <utility>
#include <vector>

#include "base/Text.h"
#include "data/Cond.h"
#include "engine/script/StatusOps.h"
#include "tests/engine/script/fake_script_world.h"

// The file's own namespace keeps its helpers apart from other test files compiled with it.
namespace status_ops_test {

namespace {

using scripttest::FakeChara;
using scripttest::FakeWorld;

TEST(StatusOps, CompareAtEachWidth) {
  struct Row {
    int width;
    int32_t a, b;
    int op;
    int expected;
  };
  const Row rows[] = {
      {4, 5, 5, 0, 1},          {4, 5, 4, 1, 1},         {4, 5, 5, 2, 1},        {4, 4, 5, 3, 1},
      {4, 5, 5, 4, 0},          {4, 4, 5, 5, 1},         {4, 7, 0, 6, 1},        {4, 7, 0, 7, 0},
      {4, -12, 4, 6, 1},        {4, -12, 5, 7, 1},       {4, 1, 1, 8, 0},        {4, 1, 1, -1, 0},
      {4, INT_MIN, -1, 6, 1},   {4, INT_MIN, 3, 7, 1},   {4, 300, 44, 0, 0},
      // 8 bits: 300 is 44, 200 is -56, 128 is -128.
      {1, 300, 44, 0, 1},       {1, 200, 0, 5, 1},       {1, 128, -128, 0, 1},   {1, -12, 4, 6, 1},
      {1, 256, 0, 6, 1},        {1, 5, 256, 6, 1},       {1, 5, 256, 7, 0},
      // 16 bits: 65537 is 1, 40000 is -25536.
      {2, 65537, 1, 0, 1},      {2, 40000, 0, 5, 1},     {2, 40000, 0, 2, 0},    {2, 7, 65536, 6, 1},
  };
  for (const Row& r : rows) {
    int got = r.width == 1 ? CompareChar(r.a, r.b, r.op) : r.width == 2 ? CompareShort(r.a, r.b, r.op)
                                                                      : CompareByOp(r.a, r.b, r.op);
    EXPECT_EQ(got, r.expected) << r.width << " " << r.a << " op" << r.op << " " << r.b;
  }
}

TEST(StatusOps, PercentOfRoundsHalfAwayFromZeroIn64Bits) {
  EXPECT_EQ(PercentOf(50, 120), 60);
  EXPECT_EQ(PercentOf(3, 50), 2);
  EXPECT_EQ(PercentOf(-3, 50), -2);
  EXPECT_EQ(PercentOf(1, 49), 0);
  EXPECT_EQ(PercentOf(-1, 49), 0);
  EXPECT_EQ(PercentOf(65536, 65536), 42949673);  // the product does not wrap
  EXPECT_EQ(PercentOf(INT_MAX, INT_MAX), INT_MAX);
  EXPECT_EQ(PercentOf(INT_MIN, INT_MAX), INT_MIN);
  EXPECT_EQ(PercentOfChar(300, 100), 44);
  EXPECT_EQ(PercentOfShort(65636, 50), 50);
}

TEST(StatusOps, ApplyOpAtEachWidth) {
  struct Row {
    int width;
    int32_t x, v;
    int op;
    int32_t min, max, expected;
  };
  const Row rows[] = {
      {4, 10, 3, 0, -999999, 999999, 3},
      {4, 10, 3, 1, -999999, 999999, 13},
      {4, 10, 3, 2, -999999, 999999, 7},
      {4, 999999, 3, 3, 0, 999999, 999999},                // clamp
      {4, 999999, 999999, 3, -999999, 999999, 999999},     // 32-bit product would be negative
      {4, -999999, 999999, 3, -999999, 999999, -999999},   // signs differ: the lower limit
      {4, -999999, -999999, 3, -999999, 999999, 999999},
      {4, 10, 0, 4, -999999, 999999, 10},                  // ÷0 leaves the value
      {4, 10, 0, 5, -999999, 999999, 10},
      {4, -7, 3, 5, -999999, 999999, -1},
      {4, 7, -2, 4, -999999, 999999, -3},
      {4, INT_MIN, -1, 4, INT_MIN, INT_MAX, INT_MAX},      // no overflow trap, then clamp
      {4, 80, 50, 6, -999999, 999999, 40},
      {4, 3, 50, 6, -999999, 999999, 2},
      {4, 10, 3, 7, -999999, 999999, 10},                  // unknown operation keeps the value
      {4, 2000000, 0, 1, -999999, 999999, 999999},         // the clamp applies to every operation
      // 8 bits: the operand is cut to a byte, and the sum, difference and
      // product wrap in it before the clamp.
      {1, 50, 100, 1, 0, 99, 0},        // 150 wraps to -106, clamps to 0
      {1, -20, 120, 2, -20, 20, 20},    // -140 wraps to 116, clamps to 20
      {1, 5, 300, 0, 0, 99, 44},        // 300 cut to a byte: 300 - 256
      {1, 10, 258, 1, 0, 99, 12},       // 258 cut to 2
      {1, 7, 2, 3, 0, 7, 7},            // 14 clamps
      {1, 50, 6, 3, 0, 99, 44},         // 300 wraps to 44, no sign flip
      {1, 50, 3, 3, 0, 99, 99},         // 150 wraps negative: same signs give the upper limit
      {1, -50, 3, 3, -99, 99, -99},     // -150 wraps to 106: signs differ, the lower limit
      {1, -20, 3, 4, -20, 20, -6},
      {1, 10, 258, 4, -99, 99, 5},      // ÷ 2
      // 16 bits.
      {2, 150, 1000, 3, 0, 200, 200},       // 150000 wraps to 18928, clamps
      {2, 119, 32700, 1, 0, 119, 0},        // 32819 wraps to -32717, clamps to 0
      {2, 100, 65546, 2, 0, 200, 90},       // 65546 cut to 10
      {2, 0, 70000, 0, 0, 5000, 4464},      // 70000 - 65536
      {2, 300, 200, 3, -1000, 1000, 1000},  // 60000 wraps to -5536: the upper limit
      {2, 100, 0, 5, 0, 200, 100},
  };
  for (const Row& r : rows) {
    int32_t got;
    if (r.width == 1) {
      int8_t v = static_cast<int8_t>(r.x);
      ApplyOpChar(v, r.v, r.op, r.min, r.max);
      got = v;
    } else if (r.width == 2) {
      int16_t v = static_cast<int16_t>(r.x);
      ApplyOpShort(v, r.v, r.op, r.min, r.max);
      got = v;
    } else {
      int32_t v = r.x;
      ApplyOpInt(v, r.v, r.op, r.min, r.max);
      got = v;
    }
    EXPECT_EQ(got, r.expected) << r.width << ": " << r.x << " op" << r.op << " " << r.v;
  }
  int32_t c = 5;
  EXPECT_EQ(Clamp(c, 7, 9), 7);
  int8_t b = 100;
  EXPECT_EQ(ClampChar(b, -20, 20), 20);
}

struct Scene {
  FakeWorld w;
  FakeChara self, tg1, hero;
  Scene() {
    self.def.m_MaxHp = 120;
    self.hp = 60;
    self.def.m_MaxSp = 50;
    self.sp = 10;
    self.def.m_CharaId = 12;
    tg1.def.m_MaxHp = 80;
    tg1.hp = 20;
    hero.hero = true;
    hero.def.m_ViewRange = 5;
    self.targets = {&tg1, nullptr, nullptr, nullptr};
    w.hero = &hero;
  }
};

cCond StatusCond(int target, int status, int op, int32_t value) {
  cCond c;
  c.m_Kind = 4;
  c.m_Target = static_cast<int8_t>(target);
  c.m_Status = static_cast<int8_t>(status);
  c.m_Op = static_cast<int8_t>(op);
  c.m_Value = value;
  return c;
}

TEST(StatusOps, StatusConditions) {
  Scene s;
  cCond c = StatusCond(0, 1, 0, 50);  // HP = 50% of 120
  c.m_Percent = 1;
  EXPECT_EQ(CheckStatusCondition(s.w, c, &s.self), 1);
  s.self.hp = 59;
  EXPECT_EQ(CheckStatusCondition(s.w, c, &s.self), 0);

  c = StatusCond(0, 5, 2, 1000);  // character ID >= in percent mode compares with 0
  c.m_Percent = 1;
  EXPECT_EQ(CheckStatusCondition(s.w, c, &s.self), 1);

  c = StatusCond(0, 5, 0, 12 + 256);  // a 1-byte status compares with the value cut to 8 bits
  EXPECT_EQ(CheckStatusCondition(s.w, c, &s.self), 1);

  c = StatusCond(2, 1, 3, 999);  // empty target slot
  EXPECT_EQ(CheckStatusCondition(s.w, c, &s.self), 0);
  c = StatusCond(1, 1, 0, 20);
  EXPECT_EQ(CheckStatusCondition(s.w, c, &s.self), 1);
  c = StatusCond(9, 1, 0, 60);  // unknown object codes mean the running character
  s.self.hp = 60;
  EXPECT_EQ(CheckStatusCondition(s.w, c, &s.self), 1);

  // Lives: unlimited makes every lives test false.
  c = StatusCond(5, 4, 2, 0);
  EXPECT_EQ(CheckStatusCondition(s.w, c, &s.self), 1);
  s.w.lives = 999999;
  EXPECT_EQ(CheckStatusCondition(s.w, c, &s.self), 0);

  // Variables on the left.
  s.w.stage[7] = -12;
  c = StatusCond(0, 0, 6, 4);
  c.m_LeftSource = 1;
  c.m_LeftScope = 1;
  c.m_Index = 7;
  EXPECT_EQ(CheckStatusCondition(s.w, c, &s.self), 1);
  c.m_LeftScope = 2;
  EXPECT_EQ(CheckStatusCondition(s.w, c, &s.self), 0);
  c.m_LeftScope = 1;
  c.m_Index = 1000;  // past the list: false rather than a stray read
  EXPECT_EQ(CheckStatusCondition(s.w, c, &s.self), 0);

  // Right side: a status read as an operand.
  c = StatusCond(0, 1, 0, 0);  // HP = the time counter, which reads 0 without a time limit
  c.m_RightSource = 2;
  c.m_RightTarget = 5;
  c.m_RightStatus = 0;
  s.w.time = 60;
  EXPECT_EQ(CheckStatusCondition(s.w, c, &s.self), 1);
  s.w.noTimeLimit = true;
  EXPECT_EQ(CheckStatusCondition(s.w, c, &s.self), 0);

  c.m_RightTarget = 0;  // the sight of a non-hero ends the test
  c.m_RightStatus = 8;
  c.m_Op = 1;
  EXPECT_EQ(CheckStatusCondition(s.w, c, &s.self), 0);
  c.m_RightStatus = 13;  // the ease of stopping refreshes the friction
  EXPECT_EQ(CheckStatusCondition(s.w, c, &s.self), 1);
  EXPECT_EQ(s.w.events, std::vector<std::string>{"scaleaccel"});

  // Right side: random between the two bounds.
  SeedRandom(1);
  c = StatusCond(0, 1, 0, 0);
  c.m_RightSource = 1;
  c.m_RandomMin = 60;
  c.m_RandomMax = 60;
  EXPECT_EQ(CheckStatusCondition(s.w, c, &s.self), 1);
  c.m_RightSource = 3;
  c.m_RightScope = 0;
  c.m_RightIndex = 5;
  s.w.common[5] = 60;
  EXPECT_EQ(CheckStatusCondition(s.w, c, &s.self), 1);
}

cVector<int32_t> Params(std::initializer_list<std::pair<int, int32_t>> set) {
  cVector<int32_t> p(18, 0);
  for (auto& [i, v] : set) p[static_cast<size_t>(i)] = v;
  return p;
}

TEST(StatusOps, StatusOperations) {
  {
    Scene s;  // HP as a percentage of the maximum, with the gauge
    s.tg1.hp = 5;
    ApplyStatusOperation(s.w, &s.self, Params({{3, 1}, {4, 1}, {5, 0}, {7, 50}, {15, 1}, {16, 1}}));
    EXPECT_EQ(s.tg1.hp, 40);
    EXPECT_EQ(s.w.events, std::vector<std::string>{"changehp 35 gauge"});
    EXPECT_EQ(s.w.deathChecks, 0);
    ApplyStatusOperation(s.w, &s.self, Params({{3, 1}, {4, 1}, {5, 2}, {7, 100}}));
    EXPECT_EQ(s.tg1.hp, 0);
    EXPECT_EQ(s.w.deathChecks, 1);
  }
  {
    Scene s;  // multiplying a common variable saturates; dividing by 0 changes nothing
    s.w.common[3] = 999999;
    ApplyStatusOperation(s.w, &s.self, Params({{0, 1}, {1, 0}, {2, 3}, {5, 3}, {7, 999999}}));
    EXPECT_EQ(s.w.common[3], 999999);
    ApplyStatusOperation(s.w, &s.self, Params({{0, 1}, {1, 0}, {2, 3}, {5, 4}, {7, 0}}));
    EXPECT_EQ(s.w.common[3], 999999);
    ApplyStatusOperation(s.w, &s.self, Params({{0, 1}, {1, 1}, {2, 4}, {5, 1}, {7, 50}, {14, 1}}));
    EXPECT_EQ(s.w.stage[4], 0);  // 50% of 0 added to 0
    s.w.stage[4] = 40;
    ApplyStatusOperation(s.w, &s.self, Params({{0, 1}, {1, 1}, {2, 4}, {5, 1}, {7, 50}, {14, 1}}));
    EXPECT_EQ(s.w.stage[4], 60);
    ApplyStatusOperation(s.w, &s.self, Params({{0, 1}, {1, 2}, {2, 4}, {5, 0}, {7, 1}}));
    EXPECT_EQ(s.w.stage[4], 60);  // unknown variable kind
    ApplyStatusOperation(s.w, &s.self, Params({{0, 1}, {1, 0}, {2, 5000}, {5, 0}, {7, 1}}));  // past the list
  }
  {
    Scene s;  // defence ×3 clamps; the character ID works in its byte
    s.self.def.m_Defence = 999999;
    ApplyStatusOperation(s.w, &s.self, Params({{4, 11}, {5, 3}, {7, 3}}));
    EXPECT_EQ(s.self.def.m_Defence, 999999);
    s.self.def.m_CharaId = 50;
    ApplyStatusOperation(s.w, &s.self, Params({{4, 5}, {5, 1}, {7, 100}}));
    EXPECT_EQ(s.self.def.m_CharaId, 0);  // 150 wraps to -106, clamps to 0
    ApplyStatusOperation(s.w, &s.self, Params({{4, 5}, {5, 0}, {7, 300}}));
    EXPECT_EQ(s.self.def.m_CharaId, 44);  // 300 cut to a byte
  }
  {
    Scene s;  // lives: nothing while unlimited
    s.w.lives = 999999;
    ApplyStatusOperation(s.w, &s.self, Params({{3, 5}, {4, 4}, {5, 2}, {7, 1}}));
    EXPECT_EQ(s.w.lives, 999999);
    s.w.lives = 3;
    ApplyStatusOperation(s.w, &s.self, Params({{3, 5}, {4, 4}, {5, 1}, {7, 500}}));
    EXPECT_EQ(s.w.lives, 99);
    ApplyStatusOperation(s.w, &s.self, Params({{3, 5}, {4, 1}, {5, 0}, {7, 900}}));
    EXPECT_EQ(s.w.scroll[0], 480);
    EXPECT_EQ(s.w.events, std::vector<std::string>{"autospeed 0 480"});
  }
  {
    Scene s;  // sight: only the hero
    ApplyStatusOperation(s.w, &s.self, Params({{4, 8}, {5, 0}, {7, 9}}));
    EXPECT_EQ(s.self.def.m_ViewRange, 0);
    s.self.targets[1] = &s.hero;
    ApplyStatusOperation(s.w, &s.self, Params({{3, 2}, {4, 8}, {5, 1}, {7, 2}}));
    EXPECT_EQ(s.hero.def.m_ViewRange, 7);
    EXPECT_EQ(s.hero.sightPixels, 112);
  }
  {
    Scene s;  // maximum HP lowers HP; stopping ease refreshes the friction
    ApplyStatusOperation(s.w, &s.self, Params({{4, 3}, {5, 0}, {7, 30}}));
    EXPECT_EQ(s.self.def.m_MaxHp, 30);
    EXPECT_EQ(s.self.hp, 30);
    ApplyStatusOperation(s.w, &s.self, Params({{4, 13}, {5, 1}, {7, 500}}));
    EXPECT_EQ(s.self.def.m_StopEase, 200);
    EXPECT_EQ(s.w.events, std::vector<std::string>{"scaleaccel"});
  }
  {
    Scene s;  // nothing for an empty slot, an unknown object, an invincible target with parameter 17
    ApplyStatusOperation(s.w, &s.self, Params({{3, 3}, {4, 9}, {5, 0}, {7, 5}}));
    ApplyStatusOperation(s.w, &s.self, Params({{3, 6}, {4, 9}, {5, 0}, {7, 5}}));
    ApplyStatusOperation(s.w, &s.self, Params({{3, -1}, {4, 9}, {5, 0}, {7, 5}}));
    EXPECT_EQ(s.self.def.m_BodyPower, 0);
    s.tg1.def.m_Invincible = 1;
    ApplyStatusOperation(s.w, &s.self, Params({{3, 1}, {4, 9}, {5, 0}, {7, 5}, {17, 1}}));
    EXPECT_EQ(s.tg1.def.m_BodyPower, 0);
    ApplyStatusOperation(s.w, &s.self, Params({{3, 1}, {4, 9}, {5, 0}, {7, 5}}));
    EXPECT_EQ(s.tg1.def.m_BodyPower, 5);
    // An operand from a non-hero's sight makes the command do nothing.
    ApplyStatusOperation(s.w, &s.self, Params({{3, 1}, {4, 9}, {5, 0}, {6, 2}, {12, 0}, {13, 8}}));
    EXPECT_EQ(s.tg1.def.m_BodyPower, 5);
    // A short parameter list reads 0 for what is missing.
    ApplyStatusOperation(s.w, &s.self, cVector<int32_t>{});
    EXPECT_EQ(s.self.vars[0], 0);
  }
}

}  // namespace

}  // namespace status_ops_test
