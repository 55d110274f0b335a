// The pending arrange lists of the running play scene.
#include "data/FlowCmd.h"
#include "engine/World.h"
#include "engine/flow/FlowRun.h"
#include "engine/flow/ParamTable.h"
#include "engine/objects/Hero.h"
#include "engine/script/Expr.h"

namespace {
void ApplyList(cFlowCmd* cmd, cCharaBase* chara, cList<cVector<int32_t>>& list) {
  if (!cmd || ArrangeKindOf(*cmd) == kArrangeKind) return;
  for (const cVector<int32_t>& e : list) ApplyArrange(PlayScriptWorld(), *cmd, ArrangeEntry::FromParams(e), chara);
  list.clear();
}
}  // namespace

void DoArrange(cCharaBase*, cFlowCmd* cmd) {
  if (!cmd) return;
  cVector<int32_t> entry(5, 0);
  for (size_t i = 0; i < 5 && i < cmd->m_Params.size(); ++i) entry[i] = cmd->m_Params[i];
  if (cmd->IsItemCmd()) {
    if (!Player.empty()) Player[0].m_ItemArranges.push_back(entry);
    return;
  }
  if (PlayScene && PlayScene->m_pCurFlowRun) PlayScene->m_pCurFlowRun->Arranges.push_back(entry);
}

void ApplyFlowArranges(cFlowCmd* cmd, cCharaBase* chara, cFlowRun* run) {
  if (run) ApplyList(cmd, chara, run->Arranges);
}

void ApplyHeroArranges(cFlowCmd* cmd, cHero* hero) {
  if (hero) ApplyList(cmd, hero, hero->m_ItemArranges);
}
