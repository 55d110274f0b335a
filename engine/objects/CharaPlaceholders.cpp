// Placeholder bodies of operations of other engine parts that the running
// characters call, so that the engine links before their own sources exist.
// Each group is compiled only while its real source is absent.
#include "engine/World.h"
#include "engine/flow/FlowRun.h"
#include "engine/flow/Triggers.h"
#include "engine/objects/CharaBase.h"
#include "engine/objects/CharaFlowUpdate.h"
#include "engine/objects/ChipSheets.h"
#include "engine/objects/Hero.h"

#if !__has_include("engine/flow/FlowRun.cpp")
void cFlowRun::Stop(cCharaBase*) {
  bRunning = 0;
  for (cCmdRun& c : CmdRuns) c.nLeft = 0;
}
void BeginFlowUpdate(cCharaBase* chara) {
  if (PlayScene) PlayScene->m_pCurChara = chara;
}
int RunFlowUpdate(cCharaBase*, int) { return 0; }
#endif

#if !__has_include("engine/flow/KeyMatch.cpp")
int CheckKeyCondition(const cInput&, const cKeyCond&) { return 0; }
#endif

#if !__has_include("engine/flow/Arrange.cpp")
void ApplyHeroArranges(cFlowCmd*, cHero*) {}
#endif

#if !__has_include("engine/instances/EffectMotions.cpp")
void cCharaEffectPlayer::Clear() { *this = cCharaEffectPlayer{}; }
void cCharaEffectPlayer::Start(int index, int mode, int repeat) {
  m_nIndex = static_cast<int16_t>(index);
  m_nMode = mode;
  m_bRepeat = repeat;
}
#endif

#if !__has_include("engine/instances/MessageWnd.cpp")
void cMessageWnd::Init(int, const char*, int, int, int, int, int, int, int, int, int, int, int, int, int, int, int,
                       int, int, int, int, int, int) {}
#endif

#if !__has_include("engine/objects/ChipSheets.cpp")
void DrawSmallChip(DDSURFACEDATA*, int, int, int, int, int) {}
#endif

#if !__has_include("engine/objects/CharaStatus.cpp")
void RemoveFlowEffects(cCharaBase* chara, int serial) {
  chara->m_Effects.remove_if([serial](const CharaEffectEntry& e) { return e.nRunSerial == serial; });
}
#endif
