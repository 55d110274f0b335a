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

double FollowCamera(double boxStart, int boxSize, int half, int view, int lower, int upper) {
  double pos = boxStart - (half - (boxSize >> 1));
  if (lower > pos) {
    pos = lower;
  } else if (pos + view >= upper) {
    pos = upper - view;
  }
  return pos;
}
