#pragma once
// The numeric rules shared by the running characters: unit conversions, the
// start speed of a jump for a height, its duration, and the camera follow of
// the hero. Everything is per sub-step.
#include <cstdint>

// 16 pixels per half-block (k × 32 / 2, division toward zero).
int HblToPixels(int8_t k);
// An acceleration in hundredths of a pixel per frame² as pixels per
// sub-step²: a × 0.01 / n². A sub-step count below 1 counts as 1.
double ScaleAccel(int16_t a, double subStepsSq);

// The (negative) start speed that reaches `height` pixels under `gravityStep`
// per sub-step²; the hero's is scaled by 0.99 − 0.025 × the stage gravity.
// A height too negative for the root gives the speed of height 0 instead of
// NaN.
double JumpStartSpeed(double height, double gravityStep, double stageGravity, bool hero);
// Sub-steps to the apex plus n: N − v / g, truncated. Without gravity the
// apex never comes; that gives n.
int FramesToApex(double speed, double gravityStep, double subStepsF);
// A jump's duration in command time units (6 frames): apex sub-steps / n / 6 + 1.
int JumpTimeUnits(int framesToApex, int subSteps);

// Top-left of the 640 × 480 slice of the sight overlay (opening at its
// centre) that puts the opening on the hero: on its centre, or for the "in
// front" modes 2 and 4 `sight` pixels into the cell from the back edge;
// clamped to the overlay.
void SightSlice(int overlayW, int overlayH, int cellW, int cellH, int scrX, int scrY, int mode, int facing,
                int sight, int* x, int* y);

// New camera position of one axis that puts the box's centre at the view's
// centre, then keeps it inside [lower, upper): `half` is 320 or 240, `view`
// 640 or 480. On an axis narrower than the view the upper bound wins.
double FollowCamera(double boxStart, int boxSize, int half, int view, int lower, int upper);
