// Placeholder bodies of operations the misc command bodies call whose own
// source lives elsewhere (the modal-wait request, the screen colour). Each
// group is compiled only while its own source (or another placeholder of
// it) is absent.
#include "engine/instances/ScreenColor.h"
#include "engine/rules/ModalWait.h"

#if !__has_include("engine/rules/StageRules.cpp") && !__has_include("engine/flow/CommandPlaceholders.cpp")
void ModalWait::SetModalWait(int kind, int waitKey, int frames, int keepKeys) {
  nKind = kind;
  bWaitKey = waitKey;
  nFrames = frames;
  nCount = 0;
  nKeyDelay = (waitKey && kind == 1 && !keepKeys) ? 10 : 0;
}
#endif

#if !__has_include("engine/instances/ScreenColor.cpp")
void cScreenColor::Set(const int32_t*) {}
#endif
