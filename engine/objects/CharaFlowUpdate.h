#pragma once
// Pieces of the flow update that the stage character and the hero share.
#include "data/System.h"
#include "engine/Names.h"
#include "engine/World.h"
#include "engine/flow/FlowUpdate.h"
#include "engine/objects/CharaBase.h"

struct HitBox;

// Keeps the play scene's current character, flow run and command run across
// a character's flow update: a flow update run from inside another
// character's command (a defeat, say) hands the pointers of the running
// command back instead of leaving them cleared.
class CurrentObjectsGuard {
 public:
  CurrentObjectsGuard()
      : m_Chara(PlayScene ? PlayScene->m_pCurChara : nullptr),
        m_FlowRun(PlayScene ? PlayScene->m_pCurFlowRun : nullptr),
        m_CmdRun(PlayScene ? PlayScene->m_pCurCmdRun : nullptr) {}
  ~CurrentObjectsGuard() {
    if (!PlayScene) return;
    PlayScene->m_pCurChara = m_Chara;
    PlayScene->m_pCurFlowRun = m_FlowRun;
    PlayScene->m_pCurCmdRun = m_CmdRun;
  }
  CurrentObjectsGuard(const CurrentObjectsGuard&) = delete;
  CurrentObjectsGuard& operator=(const CurrentObjectsGuard&) = delete;

 private:
  cCharaBase* m_Chara;
  cFlowRun* m_FlowRun;
  cCmdRun* m_CmdRun;
};

// The velocity every flow update of a character starts from (auto-scroll
// sync). Inline: it runs for every character every sub-step. The scroll
// speeds are read only where they are used (reads without side effects).
inline void SetBaseVelocity(cCharaBase* c, bool hero) {
  const cPlayWorld* w = PlayScene;
  auto autoSpeed = [w](const cScrollAxis cPlayWorld::*axis) {
    if (!w) return 0.0;
    const cScrollAxis& a = w->*axis;
    return a.m_bAtLimit ? 0.0 : a.m_dAutoSpeed;
  };
  if (nm::sys::ScrollSyncBaseVelocity(SystemData)) {
    if (hero && c->m_bFly) {
      c->m_dVX = autoSpeed(&cPlayWorld::m_ScrollX);
      c->m_dVY = autoSpeed(&cPlayWorld::m_ScrollY);
    } else {
      c->m_dVX = 0;
      if (c->m_bFly) c->m_dVY = 0;
    }
    return;
  }
  const bool sync = nm::chara::ScrollSync(c->m_Def) != 0;
  c->m_dVX = sync ? autoSpeed(&cPlayWorld::m_ScrollX) : 0;
  if (c->m_bFly) c->m_dVY = sync ? autoSpeed(&cPlayWorld::m_ScrollY) : 0;
}

// Idle: no move command ran and no command velocity is left.
inline void SetIdleAnimation(cCharaBase* c) {
  if (!c->m_bMovedThisUpdate && c->m_dVX2 == 0 && c->m_dVY2 == 0) c->m_Anim.Change(c->m_bFly ? 2 : 0, 1);
}

// The stage character's whole flow update (cChara::UpdateFlows): the
// current pointers kept across it, BeginFlowUpdate, SetBaseVelocity, the
// runs stepped as RunFlowUpdate steps them, SetIdleAnimation. Returns 1
// when the character vanished or has no HP left. Defined with the run loop,
// which it inlines: it runs for every character every sub-step.
int StageCharaFlowUpdate(cCharaBase* chara, int bDying);

// Hit-box arithmetic of the character classes.
void CharaUpdateHitBoxX(HitBox& box, double x);
void CharaUpdateHitBoxY(HitBox& box, double y);
void CharaScaleHitBox(HitBox& box, int scale);
void CharaSetCentredBox(HitBox& box, int w, int h, int boxOfsX, int boxOfsY);
