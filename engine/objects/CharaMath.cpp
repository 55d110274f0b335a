#include "engine/objects/CharaMath.h"

#include <cmath>

#include "base/Text.h"

int HblToPixels(int8_t k) { return (k * 32) / 2; }

double ScaleAccel(int16_t a, double subStepsSq) {
  if (!(subStepsSq >= 1)) subStepsSq = 1;
  return a * 0.01 / subStepsSq;
}

double JumpStartSpeed(double height, double gravityStep, double stageGravity, bool hero) {
  const double g = gravityStep;
  double root = g * (g + 8 * height);
  if (!(root >= 0)) root = g * g;  // as for height 0
  double v = (-g - std::sqrt(root)) * 0.5;
  if (hero) v = v * (0.99 - 0.025 * stageGravity);
  return v;
}

int FramesToApex(double speed, double gravityStep, double subStepsF) {
  if (gravityStep == 0) return TruncToInt(subStepsF);
  return TruncToInt(subStepsF - speed / gravityStep);
}

int JumpTimeUnits(int framesToApex, int subSteps) {
  if (subSteps < 1) subSteps = 1;
  return framesToApex / subSteps / 6 + 1;
}

void SightSlice(int overlayW, int overlayH, int cellW, int cellH, int scrX, int scrY, int mode, int facing,
                int sight, int* x, int* y) {
  int sx = (overlayW >> 1) - (cellW >> 1) - scrX;
  if (mode == 2 || mode == 4) sx += facing * (cellW >> 1) - facing * sight;
  int sy = (overlayH >> 1) - (cellH >> 1) - scrY;
  // The upper clamp first: an overlay smaller than the view starts at 0.
  sx = sx > overlayW - 640 ? overlayW - 640 : sx;
  sy = sy > overlayH - 480 ? overlayH - 480 : sy;
  *x = sx < 0 ? 0 : sx;
  *y = sy < 0 ? 0 : sy;
}

double FollowCamera(double boxStart, int boxSize, int half, int view, int lower, int upper) {
  double pos = boxStart - (half - (boxSize >> 1));
  if (lower > pos) {
    pos = lower;
  } else if (pos + view >= upper) {
    pos = upper - view;
  }
  return pos;
}
