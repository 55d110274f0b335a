// The evaluators bound to the running play scene.
#include "data/Cond.h"
#include "data/FlowCmd.h"
#include "data/SaveData.h"
#include "data/Stage.h"
#include "engine/World.h"
#include "engine/flow/Conditions.h"
#include "engine/objects/StateConditions.h"
#include "engine/script/Expr.h"

void (*SightRebuildHook)() = nullptr;

namespace {

cCharaBase* Chara(void* p) { return static_cast<cCharaBase*>(p); }

class cPlayScriptWorld : public cScriptWorld {
 public:
  cScriptChara View(void* p) override {
    cScriptChara v;
    cCharaBase* c = Chara(p);
    if (!c) return v;
    v.m_pObj = c;
    v.m_pDef = &c->m_Def;
    v.m_pHp = &c->m_nHp;
    v.m_pSp = &c->m_nSp;
    v.m_pVars = c->m_Vars.data();
    v.m_nVars = static_cast<int>(c->m_Vars.size());
    v.m_bHero = dynamic_cast<cHero*>(c) != nullptr;
    return v;
  }
  void* Target(void* p, int slot) override {
    cCharaBase* c = Chara(p);
    if (!c || slot < 0 || static_cast<size_t>(slot) >= c->m_Targets.size()) return nullptr;
    return c->m_Targets[static_cast<size_t>(slot)];
  }
  void* Hero() override { return Player.empty() ? nullptr : static_cast<cCharaBase*>(&Player[0]); }
  int32_t* CommonVars() override { return SaveData.m_Vars.data(); }
  int CommonVarCount() override { return static_cast<int>(SaveData.m_Vars.size()); }
  int32_t* StageVars() override { return PlayScene ? PlayScene->m_StageVars.data() : nullptr; }
  int StageVarCount() override { return PlayScene ? static_cast<int>(PlayScene->m_StageVars.size()) : 0; }
  int32_t& Time() override { return PlayScene ? PlayScene->m_nTime : scratchTime_; }
  bool NoTimeLimit() override { return PlayScene && PlayScene->m_bNoTimeLimit; }
  int32_t& AutoScrollSpeed(int axis) override { return axis == 0 ? Stage.m_AutoSpeedX : Stage.m_AutoSpeedY; }
  int32_t& Score() override { return SaveData.m_Score; }
  int32_t& Lives() override { return SaveData.m_Lives; }
  void SetAutoSpeed(int axis, int speed) override {
    if (!PlayScene) return;
    if (axis == 0)
      PlayScene->m_ScrollX.SetAutoSpeed(Stage.m_AutoScrollX, speed);
    else
      PlayScene->m_ScrollY.SetAutoSpeed(Stage.m_AutoScrollY, speed);
  }
  void RequestDeathCheck() override {
    if (PlayScene) PlayScene->m_bCheckDeaths = 1;
  }
  void SetHeroSight(void* hero, int sightHbl) override {
    Chara(hero)->m_nSight = HblToPixels(static_cast<int8_t>(sightHbl));
    if (SightRebuildHook) SightRebuildHook();
  }
  void StartHpGauge(void* c, int diff) override { Chara(c)->StartHpGauge(diff); }
  void StartSpGauge(void* c, int diff) override { Chara(c)->StartSpGauge(diff); }
  void ChangeHp(void* c, int diff, bool gauge) override { Chara(c)->ChangeHp(diff, 1, gauge ? 1 : 0); }
  void ChangeSp(void* c, int diff, bool gauge) override { Chara(c)->ChangeSp(diff, gauge ? 1 : 0); }
  void ScaleAccel(void* c) override { Chara(c)->m_dDecel = ::ScaleAccel(Chara(c)->m_Def.m_StopEase); }

 private:
  int32_t scratchTime_ = 0;
};

int StatusCondKind(const cCond& c, cCharaBase* chara) { return CheckStatusCondition(c, chara); }
int StateCondKind(const cCond& c, cCharaBase* chara) { return CheckStatusCondition2(chara, c); }
int State3CondKind(const cCond& c, cCharaBase* chara) { return CheckStatusCondition3(chara, c); }
int DistanceCondKind(const cCond& c, cCharaBase* chara) { return CheckDistanceCondition(chara, c); }

}  // namespace

cScriptWorld& PlayScriptWorld() {
  static cPlayScriptWorld world;
  return world;
}

int RunCode(const std::string& text, cCharaBase* chara) { return RunCode(PlayScriptWorld(), text, chara); }
int EvalParens(const std::string& text, cCharaBase* chara) { return EvalParens(PlayScriptWorld(), text, chara); }
int EvalFlat(const std::string& text, cCharaBase* chara) { return EvalFlat(PlayScriptWorld(), text, chara); }

int CheckStatusCondition(const cCond& cond, cCharaBase* chara) {
  return CheckStatusCondition(PlayScriptWorld(), cond, chara);
}

void ApplyStatusOperation(cCharaBase* chara, cFlowCmd* cmd) {
  if (cmd) ApplyStatusOperation(PlayScriptWorld(), chara, cmd->m_Params);
}

void InstallStatusConditions() {
  ConditionTable[4] = StatusCondKind;
  ConditionTable[5] = StateCondKind;
  ConditionTable[6] = State3CondKind;
  ConditionTable[7] = DistanceCondKind;
}
