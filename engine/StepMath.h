#pragma once
// Small helpers shared by the engine's step arithmetic (one definition, so
// that sources compiled together do not each bring their own).
#include "data/Stage.h"

inline constexpr double kPi = 3.14159265358979323846;

// Sub-steps of a frame of the loaded stage; a value that is not positive counts as one.
inline int SubSteps() { return Stage.m_SubSteps > 0 ? Stage.m_SubSteps : 1; }
inline double SubStepsF() { return Stage.m_SubStepsF > 0 ? Stage.m_SubStepsF : 1.0; }
// The same as a double, where a value below one counts as one.
inline double SubStepsFAtLeastOne() { return Stage.m_SubStepsF >= 1 ? Stage.m_SubStepsF : 1.0; }
