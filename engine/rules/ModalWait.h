#pragma once
// The request the engine fills before the play scene's modal sub-loop runs.
#include <cstdint>

struct ModalWait {
  int32_t nKind = 0;  // 0 game wait, 1 message, 2 effect, 3 picture, 4 extra-life notice
  int32_t nKeyDelay = 0;
  int32_t bWaitKey = 0;
  int32_t nFrames = 0;
  int32_t nCount = 0;

  // Fills the request (nCount = 0).
  void SetModalWait(int kind, int waitKey, int frames, int keepKeys);
};
