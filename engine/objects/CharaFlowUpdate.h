#pragma once
// Pieces of the flow update that the stage character and the hero share.
#include "engine/World.h"
#include "engine/flow/FlowUpdate.h"

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

// The velocity a flow update starts from (auto-scroll sync).
void SetBaseVelocity(cCharaBase* chara, bool hero);
// The idle animation after a flow update in which nothing moved the character.
void SetIdleAnimation(cCharaBase* chara);

// Hit-box arithmetic of the character classes.
void CharaUpdateHitBoxX(HitBox& box, double x);
void CharaUpdateHitBoxY(HitBox& box, double y);
void CharaScaleHitBox(HitBox& box, int scale);
void CharaSetCentredBox(HitBox& box, int w, int h, int boxOfsX, int boxOfsY);
