#pragma once
// Run state of one flow of a running character, and of each of its commands.
#include <cstdint>
#include <utility>
#include <vector>

#include "base/Containers.h"

class cFlow;
class cFlowCmd;
class cKeyCond;
class cCharaBase;

// The run state of one command of a flow.
class cCmdRun {
 public:
  cFlowCmd* lpCmd = nullptr;
  int32_t bDone = 0;
  int32_t nFrames = 0;  // duration in sub-steps
  int32_t nLeft = 0;    // countdown; 0 = not started in this pass
  uint8_t nMoveKind = 0;
  double dSpeed = 0;   // pixels per sub-step
  double dSpeed2 = 0;  // inertial speed cap

  // Executor work values.
  int32_t nTargetDX = 0, nTargetDY = 0;
  int32_t nAngle = 0;
  int32_t nRadius = 0, nAngleFrom = 0, nAngleTo = 0;
  double dMoveVX = 0, dMoveVY = 0;
  int32_t nFaceReq = 0;  // 0 none, 1 face left, 2 face right (also the approach moves' direction)
  int32_t nTick = 0;
  int32_t bStarted = 0;
  double dPhaseX = 0, dPhaseY = 0;
  int32_t nLastFacing = 0;
  // Points the homing move remembered, oldest first.
  cList<std::pair<double, double>> HomingPoints;

  // nLeft = nFrames; clears bDone, nTick, bStarted and the phases.
  void Reset();
  // Runs the executor once and counts down: 1 when the command finished.
  int Execute(cCharaBase* chara);
};

// One entry of a run's lead-in animation timeline.
struct LeadInEntry {
  int32_t nStart = 0;
  int32_t nStart2 = 0;
  int16_t nAnimId = 0;
  int16_t nSkip = 0;
  int16_t nLength = 0;
  int16_t nTimeBase6 = 0;
  int32_t bLoops = 0;
};

// The run state of one flow.
class cFlowRun {
 public:
  int32_t nIndex = 0;
  int32_t nSerial = 0;
  cFlow* lpFlow = nullptr;
  int8_t bCondLatched = 0;
  std::vector<cKeyCond*> KeyConds;
  int32_t bKeyMatched = 0;
  int32_t bKeyLatch = 0;
  cVector<cCmdRun> CmdRuns;
  cVector<LeadInEntry> LeadIns;
  int32_t bRunning = 0;
  int32_t bPaused = 0;
  int32_t bHalted = 0;
  int32_t bDelete = 0;
  int32_t nCur = 0;
  int32_t nSteps = 0;
  int32_t nStartDir = 0;
  int32_t bTriggered = 0;
  int32_t bStartedThisFrame = 0;
  int32_t bMessageChain = 0;
  int32_t bBreak = 0;
  cList<cVector<int32_t>> Arranges;  // pending arrange entries (five ints each)

  // Operations of the flow runtime.
  void Start(cCharaBase* chara);
  void Stop(cCharaBase* chara);
  void Pause();
  void Resume();
  void Abort(cCharaBase* chara);
  // One step of the run; 1 when the flow finished.
  int Step(cCharaBase* chara);
};

// Applies the run's pending arrange entries, in order, to the command for the
// character (parameter table).
void ApplyFlowArranges(cFlowCmd* cmd, cCharaBase* chara, cFlowRun* run);
