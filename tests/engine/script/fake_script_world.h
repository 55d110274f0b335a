#pragma once
// A hand-built world for the expression and status tests: a few characters
// with target slots, the variable lists and the system values, recording
// every side effect it is asked for.
#include <array>
#include <string>
#include <vector>

#include "data/CharaDef.h"
#include "engine/script/ScriptWorld.h"

namespace scripttest {

struct FakeChara {
  cCharaDef def;
  int32_t hp = 0;
  int32_t sp = 0;
  std::vector<int32_t> vars = std::vector<int32_t>(9, 0);
  bool hero = false;
  std::array<FakeChara*, 4> targets{};
  int sightPixels = 0;
};

class FakeWorld : public cScriptWorld {
 public:
  std::vector<int32_t> common = std::vector<int32_t>(1001, 0);
  std::vector<int32_t> stage = std::vector<int32_t>(1000, 0);
  int32_t time = 100;
  bool noTimeLimit = false;
  int32_t scroll[2] = {0, 0};
  int32_t score = 0;
  int32_t lives = 3;
  FakeChara* hero = nullptr;

  // Recorded side effects.
  std::vector<std::string> events;
  int deathChecks = 0;

  cScriptChara View(void* chara) override {
    cScriptChara v;
    auto* c = static_cast<FakeChara*>(chara);
    if (!c) return v;
    v.m_pObj = c;
    v.m_pDef = &c->def;
    v.m_pHp = &c->hp;
    v.m_pSp = &c->sp;
    v.m_pVars = c->vars.data();
    v.m_nVars = static_cast<int>(c->vars.size());
    v.m_bHero = c->hero;
    return v;
  }
  void* Target(void* chara, int slot) override { return static_cast<FakeChara*>(chara)->targets[slot]; }
  void* Hero() override { return hero; }
  int32_t* CommonVars() override { return common.data(); }
  int CommonVarCount() override { return static_cast<int>(common.size()); }
  int32_t* StageVars() override { return stage.data(); }
  int StageVarCount() override { return static_cast<int>(stage.size()); }
  int32_t& Time() override { return time; }
  bool NoTimeLimit() override { return noTimeLimit; }
  int32_t& AutoScrollSpeed(int axis) override { return scroll[axis]; }
  int32_t& Score() override { return score; }
  int32_t& Lives() override { return lives; }
  void SetAutoSpeed(int axis, int speed) override {
    events.push_back("autospeed " + std::to_string(axis) + " " + std::to_string(speed));
  }
  void RequestDeathCheck() override { ++deathChecks; }
  void SetHeroSight(void* hero, int sightHbl) override {
    static_cast<FakeChara*>(hero)->sightPixels = sightHbl * 16;
    events.push_back("sight " + std::to_string(sightHbl));
  }
  void StartHpGauge(void*, int diff) override { events.push_back("hpgauge " + std::to_string(diff)); }
  void StartSpGauge(void*, int diff) override { events.push_back("spgauge " + std::to_string(diff)); }
  void ChangeHp(void* chara, int diff, bool gauge) override {
    auto* c = static_cast<FakeChara*>(chara);
    int64_t v = static_cast<int64_t>(c->hp) + diff;
    c->hp = static_cast<int32_t>(v < 0 ? 0 : v > c->def.m_MaxHp ? c->def.m_MaxHp : v);
    events.push_back("changehp " + std::to_string(diff) + (gauge ? " gauge" : ""));
  }
  void ChangeSp(void* chara, int diff, bool gauge) override {
    auto* c = static_cast<FakeChara*>(chara);
    int64_t v = static_cast<int64_t>(c->sp) + diff;
    c->sp = static_cast<int32_t>(v < 0 ? 0 : v > c->def.m_MaxSp ? c->def.m_MaxSp : v);
    events.push_back("changesp " + std::to_string(diff) + (gauge ? " gauge" : ""));
  }
  void ScaleAccel(void*) override { events.push_back("scaleaccel"); }
};

}  // namespace scripttest
