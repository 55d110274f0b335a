// Placeholder bodies of operations the command executors call whose own
// source lives elsewhere (firing and shots, the modal-wait request, flow
// effects). Each group is compiled only while its own source is absent.
#include "engine/World.h"
#include "engine/objects/CharaBase.h"
#include "engine/rules/ModalWait.h"
#include "engine/shots/Shot.h"

#if !__has_include("engine/shots/Firing.cpp")
void FireShot(cList<cShot>&, cCharaBase*, cCmdRun*, const cEdShot*) {}
void SummonBlock(cCharaBase*, cCmdRun*, const cEdShot*) {}
void SummonChara(cCharaBase*, cCmdRun*, const cEdShot*) {}
void SummonItem(cCharaBase*, cCmdRun*, const cEdShot*) {}
#endif

#if !__has_include("engine/shots/Shot.cpp")
void cShot::Setup(int id, cCharaBase* owner, int cmdKind, const cEdShot* def, const ShotLaunch&) {
  m_nID = id;
  m_lpOwner = owner;
  m_bShot = cmdKind == 12 ? 0 : 1;
  if (def) m_ShotDef = *def;
}
cShot* AddShot(cList<cShot>& list, const cShot& shot) {
  list.push_back(shot);
  return &list.back();
}
#endif

#if !__has_include("engine/rules/StageRules.cpp")
void ModalWait::SetModalWait(int kind, int waitKey, int frames, int keepKeys) {
  nKind = kind;
  bWaitKey = waitKey;
  nFrames = frames;
  nCount = 0;
  nKeyDelay = (waitKey && kind == 1 && !keepKeys) ? 10 : 0;
}
#endif

#if !__has_include("engine/objects/CharaStatus.cpp")
void EndFlowEffects(cCharaBase*, int) {}
void ResumeFlowEffects(cCharaBase*, int) {}
#endif
