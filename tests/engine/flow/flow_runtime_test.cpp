// ctest-label: engine
#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>
#include <string>
#include <vector>

#include "data/EdMove.h"
#include "data/Flow.h"
#include "data/System.h"
#include "engine/World.h"
#include "engine/flow/Commands.h"
#include "engine/flow/Conditions.h"
#include "engine/flow/FlowRun.h"
#include "engine/flow/FlowUpdate.h"
#include "engine/flow/Triggers.h"
#include "engine/instances/EffectPlayers.h"
#include "engine/objects/Chara.h"
#include "engine/rules/Rules.h"

namespace {

// Stub command kinds, with their real numbers where the runtime cares.
constexpr int kWait = 1, kMove = 2, kJump = 10, kFlowControl = 16, kMessage = 19, kSound = 35;

// Parameter 0 of every test command is its label in the trace.
struct Exec {
  int step;
  int label;
  bool operator==(const Exec&) const = default;
};
std::vector<Exec> gTrace;
int gStep = 0;
std::function<void(cCharaBase*, cCmdRun*)> gHook;  // extra behaviour of the jump stub

void Record(cCharaBase*, cCmdRun* run) { gTrace.push_back({gStep, run->lpCmd->m_Params.At(0)}); }
void MoveStub(cCharaBase* chara, cCmdRun* run) {
  Record(chara, run);
  chara->m_dX += 1;
}
void JumpStub(cCharaBase* chara, cCmdRun* run) {
  Record(chara, run);
  if (gHook) gHook(chara, run);
}

struct Cmd {
  int kind;
  int frames;
  bool noWait = false;
  int label = 0;
};

class FlowRuntime : public ::testing::Test {
 protected:
  cPlayWorld world;
  cChara chara;
  cInput input;
  CmdExecutor savedTable[kCommandKinds];
  CondEvaluator savedConds[kCondKinds];
  int32_t savedSwitches[3] = {};

  void SetUp() override {
    gTrace.clear();
    gStep = 0;
    gHook = nullptr;
    PlayScene = &world;
    std::copy(std::begin(CommandTable), std::end(CommandTable), savedTable);
    std::copy(std::begin(ConditionTable), std::end(ConditionTable), savedConds);
    std::fill(std::begin(CommandTable), std::end(CommandTable), nullptr);
    for (int k : {kWait, kFlowControl, kMessage, kSound, 22, 24, 35, 38}) CommandTable[k] = Record;
    CommandTable[kMove] = MoveStub;
    CommandTable[kJump] = JumpStub;
    InstallVariableConditions();
    savedSwitches[0] = SystemData.m_Switch525;
    savedSwitches[1] = SystemData.m_Switch744;
    savedSwitches[2] = SystemData.m_Switch669;
    SystemData.m_Switch525 = SystemData.m_Switch744 = SystemData.m_Switch669 = 0;  // the late latch
    Player.resize(1);
    Player[0].m_lpInput = &input;
    chara.m_FlowIdBusy.assign(27, 0);
    chara.m_FlowIdStopped.assign(27, 0);
    chara.m_FlowIdStarted.assign(27, 0);
    chara.m_nHp = 10;
    chara.m_bFaceRight = 1;
  }
  void TearDown() override {
    std::copy(std::begin(savedTable), std::end(savedTable), CommandTable);
    std::copy(std::begin(savedConds), std::end(savedConds), ConditionTable);
    Player.clear();
    PlayScene = nullptr;
    gHook = nullptr;
    SystemData.m_Switch525 = savedSwitches[0];
    SystemData.m_Switch744 = savedSwitches[1];
    SystemData.m_Switch669 = savedSwitches[2];
  }

  // Adds a flow to the character's definition; call Build() once after the
  // last one. Command frame counts are given in sub-steps.
  cFlow& AddFlow(int trigger, std::initializer_list<Cmd> cmds, int id = 0) {
    cFlow f;
    f.m_Trigger = static_cast<int8_t>(trigger);
    f.m_FlowId = static_cast<int8_t>(id);
    for (const Cmd& c : cmds) {
      cFlowCmd fc;
      fc.m_CmdKind = static_cast<int8_t>(c.kind);
      fc.m_Params.assign(18, 0);
      fc.m_Params[0] = c.label;
      fc.m_WithNext = c.noWait ? 1 : 0;
      fc.m_Time = static_cast<int16_t>(c.frames);  // kept only to build the run below
      f.m_Cmds.push_back(fc);
    }
    chara.m_Def.m_Flows.push_back(f);
    return chara.m_Def.m_Flows.back();
  }
  void Build() {
    chara.m_FlowRuns.clear();
    for (size_t k = 0; k < chara.m_Def.m_Flows.size(); ++k) chara.m_FlowRuns.push_back(MakeRun(k));
  }
  cFlowRun MakeRun(size_t k) {
    cFlow& f = chara.m_Def.m_Flows[k];
    cFlowRun r;
    r.nIndex = static_cast<int32_t>(k);
    r.nSerial = chara.m_nNextRunSerial++;
    r.lpFlow = &f;
    for (cKeyCond& kc : f.m_KeyConds) r.KeyConds.push_back(&kc);
    for (cFlowCmd& c : f.m_Cmds) {
      cCmdRun cr;
      cr.lpCmd = &c;
      cr.nFrames = c.m_Time;
      r.CmdRuns.push_back(cr);
    }
    return r;
  }
  cFlowRun& Run(size_t k) { return chara.m_FlowRuns[k]; }

  // One frame at one sub-step: clear triggers, raise trigger 0, update.
  int Frame(bool raiseAlways = true) {
    ++gStep;
    ClearFlowTriggers(&chara);
    if (raiseAlways) RaiseEvent(&chara, 0);
    BeginFlowUpdate(&chara);
    return RunFlowUpdate(&chara, 0);
  }
  std::vector<int> LabelsAt(int step) const {
    std::vector<int> v;
    for (const Exec& e : gTrace)
      if (e.step == step) v.push_back(e.label);
    return v;
  }
  std::vector<int> StepsOf(int label) const {
    std::vector<int> v;
    for (const Exec& e : gTrace)
      if (e.label == label) v.push_back(e.step);
    return v;
  }
};

std::vector<int> Range(int from, int to) {
  std::vector<int> v;
  for (int i = from; i <= to; ++i) v.push_back(i);
  return v;
}

// Frame counts 6, 0 and 12 at one sub-step per frame: steps 1..6, 7, 8..19.
TEST_F(FlowRuntime, CommandsRunTheirFrameCountsInOrder) {
  AddFlow(22, {{kWait, 6, false, 1}, {kMove, 0, false, 2}, {kJump, 12, false, 3}});
  Build();
  Run(0).Start(&chara);
  for (int i = 0; i < 25; ++i) Frame(false);
  EXPECT_EQ(StepsOf(1), Range(1, 6));
  EXPECT_EQ(StepsOf(2), std::vector<int>{7});
  EXPECT_EQ(StepsOf(3), Range(8, 19));
  EXPECT_EQ(Run(0).bRunning, 0);
  EXPECT_EQ(Run(0).nSteps, 18);  // the finishing step is not counted
  EXPECT_EQ(chara.m_dX, 1);
  // The scene's current pointers are cleared after the update.
  EXPECT_EQ(world.m_pCurChara, nullptr);
  EXPECT_EQ(world.m_pCurFlowRun, nullptr);
  EXPECT_EQ(world.m_pCurCmdRun, nullptr);
}

// A no-wait command (30) and a plain one (10) both run from step 1; the flow
// ends with the last command although the first has not finished.
TEST_F(FlowRuntime, NoWaitCommandRunsAlongsideTheNext) {
  AddFlow(22, {{kWait, 30, true, 1}, {kWait, 10, false, 2}});
  Build();
  Run(0).Start(&chara);
  for (int i = 0; i < 15; ++i) Frame(false);
  EXPECT_EQ(StepsOf(1), Range(1, 10));
  EXPECT_EQ(StepsOf(2), Range(1, 10));
  EXPECT_EQ(Run(0).bRunning, 0);
  EXPECT_EQ(Run(0).CmdRuns[0].bDone, 0);
  EXPECT_EQ(Run(0).CmdRuns[0].nLeft, 0);  // Stop cleared the countdown
}

// Several no-wait commands of one frame open the way to the next at once; a
// plain command then holds the frontier until it finishes.
TEST_F(FlowRuntime, NoWaitChainStartsInOneStep) {
  AddFlow(22, {{kSound, 0, true, 1}, {kSound, 0, true, 2}, {kWait, 2, false, 3}, {kSound, 0, true, 4}});
  Build();
  Run(0).Start(&chara);
  Frame(false);
  EXPECT_EQ(LabelsAt(1), (std::vector<int>{1, 2, 3}));
  Frame(false);
  EXPECT_EQ(LabelsAt(2), (std::vector<int>{3}));
  Frame(false);
  EXPECT_EQ(LabelsAt(3), (std::vector<int>{4}));
  EXPECT_EQ(Run(0).bRunning, 0);
}

// A before-stage flow runs its no-wait commands of kind 16 or higher inside
// its start and is idle afterwards; a kind-2 move and a command without the
// flag are skipped.
TEST_F(FlowRuntime, BeforeStageFlowRunsInstantCommandsOnly) {
  AddFlow(21, {{kSound, 0, true, 1}, {kMove, 0, true, 2}, {22, 0, false, 3}, {24, 0, true, 4}, {kJump, 0, true, 5}});
  Build();
  RaiseEvent(&chara, 21);
  EXPECT_EQ(LabelsAt(0), (std::vector<int>{1, 4}));
  EXPECT_EQ(Run(0).bRunning, 0);
  EXPECT_EQ(Run(0).CmdRuns[0].bDone, 1);
  EXPECT_EQ(Run(0).CmdRuns[1].bDone, 0);
  EXPECT_EQ(chara.m_dX, 0);
  Frame(false);
  EXPECT_EQ(LabelsAt(1), std::vector<int>{});
}

// A before-stage command that does not finish at once is reported (silently)
// and the flow goes on.
TEST_F(FlowRuntime, BeforeStageCommandThatTakesTimeDoesNotStopTheFlow) {
  AddFlow(21, {{kSound, 30, true, 1}, {kSound, 0, true, 2}});
  Build();
  RaiseEvent(&chara, 21);
  EXPECT_EQ(LabelsAt(0), (std::vector<int>{1, 2}));
  EXPECT_EQ(Run(0).bRunning, 0);
}

TEST_F(FlowRuntime, HaltedRunNeverRestartsAndPausedRunKeepsItsPlace) {
  AddFlow(4, {{kWait, 1, false, 1}});
  AddFlow(22, {{kWait, 2, false, 2}, {kWait, 2, false, 3}});
  Build();
  Run(0).Abort(&chara);
  EXPECT_EQ(Run(0).bHalted, 1);
  for (int i = 0; i < 3; ++i) {
    ++gStep;
    ClearFlowTriggers(&chara);
    RaiseEvent(&chara, 4);
  }
  EXPECT_EQ(Run(0).bRunning, 0);
  EXPECT_TRUE(StepsOf(1).empty());

  Run(1).Start(&chara);
  gStep = 10;
  Frame(false);  // 11: command 2, first execution
  Run(1).Pause();
  Frame(false);
  Frame(false);
  Run(1).Resume();
  Frame(false);  // 14: command 2 finishes
  Frame(false);  // 15, 16: command 3
  Frame(false);
  EXPECT_EQ(StepsOf(2), (std::vector<int>{11, 14}));
  EXPECT_EQ(StepsOf(3), (std::vector<int>{15, 16}));
  EXPECT_EQ(Run(1).bRunning, 0);
}

// Two always-flows with the same flow ID: only the first in list order
// starts; after it ends the second starts from the next frame on.
TEST_F(FlowRuntime, AlwaysFlowsSharingAnIdRunOneAtATime) {
  cFlow& first = AddFlow(0, {{kWait, 2, false, 1}}, 3);
  cCond gate;  // stage variable 0 == 0
  gate.m_Kind = 2;
  gate.m_Index = 0;
  gate.m_Op = 0;
  gate.m_Value = 0;
  first.m_Conds.push_back(gate);
  AddFlow(0, {{kWait, 1, false, 2}}, 3);
  AddFlow(0, {{kWait, 1, false, 3}}, 4);  // another ID is not blocked
  Build();
  Frame();  // 1: first starts and runs
  EXPECT_EQ(LabelsAt(1), (std::vector<int>{1, 3}));
  EXPECT_EQ(Run(1).bRunning, 0);
  world.m_StageVars[0] = 1;  // the first cannot start again
  Frame();                   // 2: first ends; ID 3 still busy when raised
  EXPECT_EQ(LabelsAt(2), (std::vector<int>{1, 3}));
  EXPECT_EQ(chara.m_FlowIdBusy[3], 0);  // released at the end of the update
  Frame();                              // 3: the second starts
  EXPECT_EQ(LabelsAt(3), (std::vector<int>{2, 3}));
}

// A stop frees the ID only at the end of the update.
TEST_F(FlowRuntime, StoppedIdIsReleasedAtTheEndOfTheUpdate) {
  AddFlow(0, {{kWait, 5, false, 1}}, 5);
  Build();
  Frame();
  EXPECT_EQ(chara.m_FlowIdBusy[5], 1);
  EXPECT_EQ(chara.m_FlowIdStarted[5], 1);
  Run(0).Stop(&chara);
  EXPECT_EQ(chara.m_FlowIdBusy[5], 1);
  EXPECT_EQ(chara.m_FlowIdStopped[5], 1);
  EXPECT_EQ(chara.m_bFlowIdStopPending, 1);
  RunFlowUpdate(&chara, 0);
  EXPECT_EQ(chara.m_FlowIdBusy[5], 0);
  EXPECT_EQ(chara.m_FlowIdStopped[5], 0);
  EXPECT_EQ(chara.m_bFlowIdStopPending, 0);
  ClearFlowTriggers(&chara);
  EXPECT_EQ(chara.m_FlowIdStarted[5], 0);
}

TEST_F(FlowRuntime, DyingCharacterAdvancesOnlyDeathFlows) {
  AddFlow(22, {{kWait, 3, false, 1}});
  AddFlow(3, {{kWait, 3, false, 2}});
  Build();
  Run(0).Start(&chara);
  Run(1).Start(&chara);
  ++gStep;
  chara.m_nHp = 0;
  EXPECT_EQ(RunFlowUpdate(&chara, 1), 0);
  EXPECT_EQ(LabelsAt(1), std::vector<int>{2});
  // Without the dying switch a character without HP stops after the first
  // flow it steps.
  ++gStep;
  EXPECT_EQ(RunFlowUpdate(&chara, 0), 1);
  EXPECT_EQ(LabelsAt(2), (std::vector<int>{1}));
  EXPECT_EQ(world.m_pCurChara, nullptr);
}

// Triggers: one start per frame, the attack number, the latch forms.
TEST_F(FlowRuntime, EventStartsAFlowOncePerFrame) {
  AddFlow(1, {{kWait, 1, false, 1}});
  cFlow& numbered = AddFlow(1, {{kWait, 1, false, 2}});
  numbered.m_ExclusiveId = 2;  // attack number
  Build();
  ++gStep;
  ClearFlowTriggers(&chara);
  RaiseEventWith(&chara, 1, nullptr, 1);
  EXPECT_EQ(Run(0).bRunning, 0);  // attack number 0 is not 1
  EXPECT_EQ(Run(1).bRunning, 0);
  RaiseEventWith(&chara, 1, nullptr, 2);
  EXPECT_EQ(Run(1).bRunning, 1);
  RaiseEvent(&chara, 1);  // argument 0: every flow of the kind is a candidate
  EXPECT_EQ(Run(0).bRunning, 1);
  RunFlowUpdate(&chara, 0);
  EXPECT_EQ(Run(0).bRunning, 0);
  RaiseEvent(&chara, 1);  // the same frame: no second start
  EXPECT_EQ(Run(0).bRunning, 0);
  ClearFlowTriggers(&chara);
  RaiseEvent(&chara, 1);
  EXPECT_EQ(Run(0).bRunning, 1);
}

// The latch forms: the early latch counts an event that was refused for its
// attack number, the late one only events that reach the conditions, and
// without a latch a flow whose conditions failed is tried again.
TEST_F(FlowRuntime, LatchFormsDecideRetriesWithinAFrame) {
  cFlow& f = AddFlow(2, {{kWait, 1, false, 1}});
  f.m_ExclusiveId = 5;  // attack number
  cCond gate;
  gate.m_Kind = 2;
  gate.m_Op = 0;
  gate.m_Value = 7;
  f.m_Conds.push_back(gate);
  Build();
  struct Case {
    int noLatch, early;
    int afterWrongNumber, afterFailedCondition;
  };
  for (const Case& c : {Case{0, 0, 1, 0}, Case{0, 1, 0, 0}, Case{1, 0, 1, 1}, Case{1, 1, 1, 1}}) {
    SystemData.m_Switch525 = c.noLatch;
    SystemData.m_Switch744 = c.early;
    world.m_StageVars[0] = 7;
    ClearFlowTriggers(&chara);
    RaiseEventWith(&chara, 2, nullptr, 4);
    RaiseEventWith(&chara, 2, nullptr, 5);
    EXPECT_EQ(Run(0).bRunning, c.afterWrongNumber) << c.noLatch << c.early;
    Run(0).Stop(&chara);

    world.m_StageVars[0] = 0;
    ClearFlowTriggers(&chara);
    RaiseEvent(&chara, 2);
    world.m_StageVars[0] = 7;
    RaiseEvent(&chara, 2);
    EXPECT_EQ(Run(0).bRunning, c.afterFailedCondition) << c.noLatch << c.early;
    Run(0).Stop(&chara);
  }
}

// With the once-true switch the start conditions hold for good once they held.
TEST_F(FlowRuntime, OnceTrueStartConditions) {
  cFlow& f = AddFlow(6, {{kWait, 1, false, 1}});
  cCond gate;
  gate.m_Kind = 3;  // character variable 1 == 2
  gate.m_Index = 1;
  gate.m_Value = 2;
  f.m_Conds.push_back(gate);
  f.m_CondLatch = 1;
  Build();
  EXPECT_EQ(CheckFlowCondition(&Run(0), &chara), 0);
  chara.m_Vars[1] = 2;
  EXPECT_EQ(CheckFlowCondition(&Run(0), &chara), 1);
  chara.m_Vars[1] = 0;
  EXPECT_EQ(CheckFlowCondition(&Run(0), &chara), 1);
  EXPECT_EQ(Run(0).bCondLatched, 1);
  Run(0).lpFlow->m_CondLatch = 0;
  EXPECT_EQ(CheckFlowCondition(&Run(0), &chara), 0);
}

// Edge mode starts once per press; repeat mode every frame the keys hold.
TEST_F(FlowRuntime, KeyConditionEdgeAndRepeat) {
  cKeyCond b1;
  b1.m_KeyStates[11] = 1;
  b1.m_AnyHold = 1;
  for (int repeat = 0; repeat <= 1; ++repeat) {
    chara.m_Def.m_Flows.clear();
    gTrace.clear();
    gStep = 0;
    input = cInput();
    cFlow& f = AddFlow(0, {{kWait, 1, false, 1}});
    f.m_KeyConds.push_back(b1);
    f.m_KeyRepeat = static_cast<uint8_t>(repeat);
    Build();
    for (uint16_t buttons : {1, 1, 1, 0, 1, 1}) {
      input.m_wButton = buttons;
      input.UpdateCommandHistory();
      Frame();
    }
    const std::vector<int> expected = repeat ? std::vector<int>{1, 2, 3, 5, 6} : std::vector<int>{1, 5};
    EXPECT_EQ(StepsOf(1), expected) << "repeat " << repeat;
  }
}

// Keys held since an edge-triggered always-flow started keep its ID blocked:
// another always-flow with that ID waits until the keys are released.
TEST_F(FlowRuntime, HeldKeysKeepAnEdgeTriggeredIdBlocked) {
  cKeyCond b1;
  b1.m_KeyStates[11] = 1;
  b1.m_AnyHold = 1;
  cFlow& keyed = AddFlow(0, {{kWait, 1, false, 1}}, 4);
  keyed.m_KeyConds.push_back(b1);
  AddFlow(0, {{kWait, 1, false, 2}}, 4);
  Build();
  for (uint16_t buttons : {1, 1, 1, 0}) {
    input.m_wButton = buttons;
    input.UpdateCommandHistory();
    Frame();
  }
  EXPECT_EQ(StepsOf(1), std::vector<int>{1});
  EXPECT_EQ(StepsOf(2), std::vector<int>{4});
  EXPECT_EQ(chara.m_FlowIdBusy[4], 0);
}

// A relative key condition on a character facing left is met by the mirrored
// key, and a started run remembers the first pressed direction.
TEST_F(FlowRuntime, RelativeKeysFollowTheFacingAndTheStartDirectionIsKept) {
  cKeyCond right;
  right.m_KeyStates[2] = 1;
  right.m_HoldMin = 1;
  right.m_HoldMax = 5;
  right.m_MirrorKeys = 1;
  cFlow& f = AddFlow(9, {{kWait, 3, false, 1}});
  f.m_KeyConds.push_back(right);
  f.m_KeyRepeat = 1;
  Build();
  chara.m_bFaceRight = 0;
  input.m_wDir = cInput::DIR_LEFT | cInput::DIR_DOWN;
  input.UpdateCommandHistory();
  ClearFlowTriggers(&chara);
  RaiseEvent(&chara, 9);
  EXPECT_EQ(Run(0).bRunning, 0);  // left+down is not left
  input.m_wDir = cInput::DIR_LEFT;
  input.UpdateCommandHistory();
  ClearFlowTriggers(&chara);
  RaiseEvent(&chara, 9);
  ASSERT_EQ(Run(0).bRunning, 1);
  EXPECT_EQ(Run(0).nStartDir, 1);  // left
  Run(0).Stop(&chara);
  chara.m_bFaceRight = 1;
  ClearFlowTriggers(&chara);
  RaiseEvent(&chara, 9);
  EXPECT_EQ(Run(0).bRunning, 0);
}

// The flow's partner switch puts the partner into a target slot for the
// condition test, and puts the former target back when it fails.
TEST_F(FlowRuntime, PartnerGoesToTheTargetSlotOnlyWhenTheFlowStarts) {
  cChara former, partner;
  chara.m_Targets[2] = &former;
  cFlow& f = AddFlow(4, {{kWait, 1, false, 1}});
  f.m_PartnerToTarget = 1;
  f.m_PartnerSlot = 2;
  cCond gate;
  gate.m_Kind = 2;
  gate.m_Op = 0;
  gate.m_Value = 1;
  f.m_Conds.push_back(gate);
  Build();
  ClearFlowTriggers(&chara);
  RaiseEventWith(&chara, 4, &partner, 0);
  EXPECT_EQ(chara.m_Targets[2], &former);
  world.m_StageVars[0] = 1;
  ClearFlowTriggers(&chara);
  RaiseEventWith(&chara, 4, &partner, 0);
  EXPECT_EQ(Run(0).bRunning, 1);
  EXPECT_EQ(chara.m_Targets[2], &partner);
  chara.DetachLinks();
}

// An event raised on another character from inside a running command leaves
// the current character, flow run and command run of the running one.
TEST_F(FlowRuntime, EventOnAnotherCharacterKeepsTheCurrentPointers) {
  cChara other;
  other.m_FlowIdBusy.assign(27, 0);
  other.m_FlowIdStopped.assign(27, 0);
  other.m_FlowIdStarted.assign(27, 0);
  AddFlow(22, {{kJump, 1, false, 1}});
  Build();
  cCharaBase* seenChara = nullptr;
  cFlowRun* seenFlow = nullptr;
  cCmdRun* seenCmd = nullptr;
  gHook = [&](cCharaBase*, cCmdRun*) {
    RaiseEvent(&other, 4);
    seenChara = world.m_pCurChara;
    seenFlow = world.m_pCurFlowRun;
    seenCmd = world.m_pCurCmdRun;
  };
  Run(0).Start(&chara);
  Frame(false);
  EXPECT_EQ(seenChara, &chara);
  EXPECT_EQ(seenFlow, &Run(0));
  EXPECT_EQ(seenCmd, &Run(0).CmdRuns[0]);
}

// A command that erases or moves runs of the character being walked (an item
// command changing its flows): the walk never touches a stale run, and the
// runs after it are still stepped.
TEST_F(FlowRuntime, RunsErasedOrMovedWhileWalkedAreSkippedSafely) {
  AddFlow(22, {{kJump, 3, false, 1}, {kWait, 1, false, 9}});
  AddFlow(22, {{kWait, 3, false, 2}});
  AddFlow(22, {{kWait, 3, false, 3}});
  Build();
  for (size_t k = 0; k < 3; ++k) Run(k).Start(&chara);
  gHook = [&](cCharaBase* c, cCmdRun*) { c->m_FlowRuns.erase(c->m_FlowRuns.begin()); };
  Frame(false);
  EXPECT_EQ(LabelsAt(1), (std::vector<int>{1, 2, 3}));
  ASSERT_EQ(chara.m_FlowRuns.size(), 2u);
  EXPECT_EQ(Run(0).bRunning, 1);

  // Moving the vector: the running run's memory is freed under it.
  gTrace.clear();
  chara.m_FlowRuns.clear();
  Build();
  for (size_t k = 0; k < 3; ++k) Run(k).Start(&chara);
  gHook = [&](cCharaBase* c, cCmdRun*) {
    gHook = nullptr;
    c->m_FlowRuns.reserve(c->m_FlowRuns.capacity() * 4 + 8);
  };
  Frame(false);
  EXPECT_EQ(LabelsAt(2), (std::vector<int>{1, 2, 3}));
  Frame(false);
  Frame(false);  // the first run's first command finishes in step 4
  Frame(false);
  EXPECT_EQ(StepsOf(9), (std::vector<int>{5}));
}

// An executor that moves its run's frontier on: the walk goes on in the same
// step with the commands up to the new frontier. Step 1 starts command 1
// (5 sub-steps); in step 2 it sets nCur to 2, so commands 2 and 3 start then
// too. Countdowns after step 2: 5-2 = 3, 3-1 = 2, 3-1 = 2.
TEST_F(FlowRuntime, ExecutorMovingTheFrontierRunsTheCommandsUpToIt) {
  AddFlow(22, {{kJump, 5, false, 1}, {kWait, 3, false, 2}, {kWait, 3, false, 3}});
  Build();
  Run(0).Start(&chara);
  gHook = [&](cCharaBase*, cCmdRun*) {
    if (gStep == 2) world.m_pCurFlowRun->nCur = 2;
  };
  Frame(false);
  Frame(false);
  EXPECT_EQ(LabelsAt(1), std::vector<int>{1});
  EXPECT_EQ(LabelsAt(2), (std::vector<int>{1, 2, 3}));
  EXPECT_EQ(Run(0).nCur, 2);
  EXPECT_EQ(Run(0).CmdRuns[0].nLeft, 3);
  EXPECT_EQ(Run(0).CmdRuns[1].nLeft, 2);
  EXPECT_EQ(Run(0).CmdRuns[2].nLeft, 2);
  EXPECT_EQ(Run(0).nSteps, 2);
}

// A current index outside the commands (set by hand) has no current command:
// past the end, the step runs every unfinished command (both waits start,
// 3 -> 2); below 0 it runs none. Either way the step is counted.
TEST_F(FlowRuntime, CurrentIndexOutsideTheCommandsStepsWithoutACurrentCommand) {
  struct Case {
    int cur;
    std::vector<int> labels;
    int left;
  };
  for (const Case& k : {Case{5, {1, 2}, 2}, Case{2, {1, 2}, 2}, Case{-1, {}, 0}}) {
    chara.m_Def.m_Flows.clear();
    gTrace.clear();
    gStep = 0;
    AddFlow(22, {{kWait, 3, false, 1}, {kWait, 3, false, 2}});
    Build();
    Run(0).Start(&chara);
    Run(0).nCur = k.cur;
    EXPECT_EQ(Frame(false), 0);
    EXPECT_EQ(LabelsAt(1), k.labels) << k.cur;
    EXPECT_EQ(Run(0).CmdRuns[0].nLeft, k.left) << k.cur;
    EXPECT_EQ(Run(0).CmdRuns[1].nLeft, k.left) << k.cur;
    EXPECT_EQ(Run(0).nSteps, 1) << k.cur;
    EXPECT_EQ(Run(0).bRunning, 1) << k.cur;
  }
}

// An executor that ends its command early (countdown set to 1, as the jump
// does on landing) finishes it in that step; the next command starts in the
// step after.
TEST_F(FlowRuntime, ExecutorEndingItsCommandEarlyHandsOnInTheNextStep) {
  AddFlow(22, {{kJump, 10, false, 1}, {kMove, 0, false, 2}});
  Build();
  Run(0).Start(&chara);
  gHook = [&](cCharaBase*, cCmdRun* run) {
    if (gStep == 3) run->nLeft = 1;
  };
  for (int i = 0; i < 5; ++i) Frame(false);
  EXPECT_EQ(StepsOf(1), Range(1, 3));
  EXPECT_EQ(StepsOf(2), std::vector<int>{4});
  EXPECT_EQ(Run(0).bRunning, 0);
  EXPECT_EQ(Run(0).nSteps, 3);
}

// A wait without executor (as installed for play) still counts down: 3
// sub-steps (steps 1..3), then the move runs in step 4 and ends the flow.
TEST_F(FlowRuntime, WaitWithoutExecutorCountsDown) {
  CommandTable[kWait] = nullptr;
  AddFlow(22, {{kWait, 3, false, 1}, {kMove, 0, false, 2}});
  Build();
  Run(0).Start(&chara);
  Frame(false);
  Frame(false);
  EXPECT_EQ(Run(0).CmdRuns[0].nLeft, 1);
  EXPECT_EQ(Run(0).nSteps, 2);
  Frame(false);
  EXPECT_EQ(Run(0).CmdRuns[0].bDone, 1);
  EXPECT_EQ(Run(0).CmdRuns[0].nLeft, 0);
  EXPECT_EQ(Run(0).nCur, 1);
  EXPECT_EQ(Run(0).nSteps, 3);
  EXPECT_TRUE(gTrace.empty());
  Frame(false);
  EXPECT_EQ(StepsOf(2), std::vector<int>{4});
  EXPECT_EQ(Run(0).bRunning, 0);
  EXPECT_EQ(chara.m_dX, 1);
}

// Commands without executors counted down on the short path. Step 1 starts
// the chain message (2 sub-steps, parameters 6 and 15 are 0), step 2 ends it:
// the chain is marked and command 1 becomes current. Step 3 starts the
// 2-sub-step wait (a plain command clears the chain), step 4 ends it and with
// it the flow; the step that ends the flow is not counted (3 steps).
TEST_F(FlowRuntime, CommandsWithoutExecutorEndTheirFlowAndMarkTheChain) {
  CommandTable[kWait] = nullptr;
  CommandTable[kMessage] = nullptr;
  AddFlow(22, {{kMessage, 2, false, 1}, {kWait, 2, false, 2}});
  Build();
  Run(0).Start(&chara);
  Frame(false);
  EXPECT_EQ(Run(0).bMessageChain, 0);
  EXPECT_EQ(Run(0).CmdRuns[0].nLeft, 1);
  Frame(false);
  EXPECT_EQ(Run(0).bMessageChain, 1);
  EXPECT_EQ(Run(0).CmdRuns[0].bDone, 1);
  EXPECT_EQ(Run(0).nCur, 1);
  Frame(false);
  EXPECT_EQ(Run(0).bMessageChain, 0);
  EXPECT_EQ(Run(0).CmdRuns[1].nLeft, 1);
  EXPECT_EQ(Run(0).bRunning, 1);
  Frame(false);
  EXPECT_EQ(Run(0).bRunning, 0);
  EXPECT_EQ(Run(0).nSteps, 3);
  EXPECT_TRUE(gTrace.empty());
  EXPECT_EQ(world.m_pCurFlowRun, nullptr);
  EXPECT_EQ(world.m_pCurCmdRun, nullptr);
}

// A character whose HP is already gone stops being updated after the first
// run that is not a death flow was stepped; a death flow in front is stepped
// and does not stop it. Two waits of 3 sub-steps: stepped in a frame before
// (no command starts in the lost-HP frame) or not (both start in it: the
// first countdown goes 3 -> 2, an unstepped run keeps its 0).
TEST_F(FlowRuntime, LostHpStopsTheUpdateAfterTheFirstOrdinaryRun) {
  CommandTable[kWait] = nullptr;
  struct Case {
    int firstTrigger;
    int framesBefore;
    int firstLeft, secondLeft;
  };
  for (const Case& k : {Case{22, 1, 1, 2}, Case{3, 1, 1, 1}, Case{22, 0, 2, 0}, Case{3, 0, 2, 2}}) {
    chara.m_Def.m_Flows.clear();
    AddFlow(k.firstTrigger, {{kWait, 3, false, 1}});
    AddFlow(22, {{kWait, 3, false, 2}});
    Build();
    chara.m_nHp = 10;
    Run(0).Start(&chara);
    Run(1).Start(&chara);
    for (int f = 0; f < k.framesBefore; ++f) EXPECT_EQ(Frame(false), 0);
    chara.m_nHp = 0;
    const std::string where = std::to_string(k.firstTrigger) + "/" + std::to_string(k.framesBefore);
    EXPECT_EQ(Frame(false), 1) << where;
    EXPECT_EQ(Run(0).CmdRuns[0].nLeft, k.firstLeft) << where;
    EXPECT_EQ(Run(1).CmdRuns[0].nLeft, k.secondLeft) << where;
    EXPECT_EQ(world.m_pCurChara, nullptr);
  }
}

// A death flow's command that takes the HP does not stop the update, but the
// ordinary run after it does once stepped, even though that run only counts
// a wait down (no executor). Frame 1 starts both 3-sub-step commands
// (3 -> 2); in frame 2 the jump of the death flow runs its hook first, then
// the wait goes 2 -> 1. With the hook leaving the HP alone nothing stops.
TEST_F(FlowRuntime, HpTakenByADeathFlowStopsTheUpdateAfterTheNextRun) {
  CommandTable[kWait] = nullptr;
  for (const bool takesHp : {true, false}) {
    chara.m_Def.m_Flows.clear();
    AddFlow(3, {{kJump, 3, false, 1}});
    AddFlow(22, {{kWait, 3, false, 2}});
    Build();
    chara.m_nHp = 10;
    gHook = nullptr;
    Run(0).Start(&chara);
    Run(1).Start(&chara);
    EXPECT_EQ(Frame(false), 0);
    if (takesHp) gHook = [](cCharaBase* c, cCmdRun*) { c->m_nHp = 0; };
    EXPECT_EQ(Frame(false), takesHp ? 1 : 0) << takesHp;
    EXPECT_EQ(Run(0).CmdRuns[0].nLeft, 1) << takesHp;
    EXPECT_EQ(Run(1).CmdRuns[0].nLeft, 1) << takesHp;
    EXPECT_EQ(world.m_pCurChara, nullptr);
  }
}

// Raising a key whose flow is running: the early latch still marks the run,
// so once stopped it cannot start again in the same frame; the late latch
// does not, so it can.
TEST_F(FlowRuntime, RaiseOnARunningFlowLatchesOnlyEarly) {
  AddFlow(2, {{kWait, 5, false, 1}});
  Build();
  for (int early : {1, 0}) {
    SystemData.m_Switch744 = early;
    ClearFlowTriggers(&chara);
    Run(0).Start(&chara);
    Run(0).bStartedThisFrame = 0;
    RaiseEvent(&chara, 2);
    EXPECT_EQ(Run(0).bTriggered, early);
    Run(0).Stop(&chara);
    RaiseEvent(&chara, 2);
    EXPECT_EQ(Run(0).bRunning, 1 - early) << early;
    Run(0).Stop(&chara);
  }
}

// Flow control deleting the executing run flags it; the update erases it at
// its end, after the runs behind it were stepped.
TEST_F(FlowRuntime, RunFlaggedForDeletionIsErasedAtTheEndOfTheUpdate) {
  AddFlow(22, {{kJump, 1, false, 1}, {kWait, 1, false, 9}});
  AddFlow(22, {{kWait, 3, false, 2}});
  Build();
  Run(0).Start(&chara);
  Run(1).Start(&chara);
  gHook = [&](cCharaBase* c, cCmdRun*) {
    world.m_pCurFlowRun->bDelete = 1;
    world.m_pCurFlowRun->bBreak = 1;
    c->m_bRemovePending = 1;
  };
  Frame(false);
  EXPECT_EQ(LabelsAt(1), (std::vector<int>{1, 2}));
  ASSERT_EQ(chara.m_FlowRuns.size(), 1u);
  EXPECT_EQ(Run(0).nSerial, 1);
  EXPECT_EQ(chara.m_bRemovePending, 0);
}

// A command that appends a run (and may move the vector): the update steps
// the appended run in the same update, after the quiet steps behind the
// command. Waits without executors, 3 sub-steps: the wait started before
// goes 3 -> 2 in step 1 and the appended one starts (0 -> 3 -> 2); in step 2
// both go 2 -> 1 on the short path.
TEST_F(FlowRuntime, RunAppendedByACommandIsSteppedInTheSameUpdate) {
  CommandTable[kWait] = nullptr;
  AddFlow(22, {{kJump, 5, false, 1}});
  AddFlow(22, {{kWait, 3, false, 2}});
  AddFlow(22, {{kWait, 3, false, 3}});
  Build();
  chara.m_FlowRuns.pop_back();  // flow 2 is added by the jump
  Run(0).Start(&chara);
  Run(1).Start(&chara);
  gHook = [&](cCharaBase* c, cCmdRun*) {
    if (gStep != 1) return;
    c->m_FlowRuns.reserve(c->m_FlowRuns.capacity() * 4 + 8);
    c->m_FlowRuns.push_back(MakeRun(2));
    c->m_FlowRuns.back().Start(c);
  };
  EXPECT_EQ(Frame(false), 0);
  ASSERT_EQ(chara.m_FlowRuns.size(), 3u);
  EXPECT_EQ(Run(1).CmdRuns[0].nLeft, 2);
  EXPECT_EQ(Run(2).CmdRuns[0].nLeft, 2);
  EXPECT_EQ(Run(2).nSteps, 1);
  EXPECT_EQ(Frame(false), 0);
  EXPECT_EQ(Run(1).CmdRuns[0].nLeft, 1);
  EXPECT_EQ(Run(2).CmdRuns[0].nLeft, 1);
  EXPECT_EQ(Run(2).nSteps, 2);
  EXPECT_EQ(StepsOf(1), (std::vector<int>{1, 2}));
}

// Removing a run flagged for deletion that is still running stops it, which
// marks its flow ID stopped: the same update releases that ID although no
// stop was pending before the removal.
TEST_F(FlowRuntime, RemovalThatStopsARunReleasesItsIdInTheSameUpdate) {
  AddFlow(0, {{kJump, 5, false, 1}}, 5);
  Build();
  Frame();
  ASSERT_EQ(Run(0).bRunning, 1);
  EXPECT_EQ(chara.m_FlowIdBusy[5], 1);
  gHook = [&](cCharaBase* c, cCmdRun*) {
    world.m_pCurFlowRun->bDelete = 1;
    c->m_bRemovePending = 1;
  };
  EXPECT_EQ(Frame(), 0);
  EXPECT_TRUE(chara.m_FlowRuns.empty());
  EXPECT_EQ(chara.m_bRemovePending, 0);
  EXPECT_EQ(chara.m_bFlowIdStopPending, 0);
  EXPECT_EQ(chara.m_FlowIdStopped[5], 0);
  EXPECT_EQ(chara.m_FlowIdBusy[5], 0);
}

// The stage character's update puts the scene's current pointers back on
// every way out; the bare run loop (after BeginFlowUpdate) clears them. During a step they name the
// character, the run and the command. Two flows of a 3-sub-step jump and a
// wait; the jump's hook does what the case needs in step 1.
TEST_F(FlowRuntime, CurrentPointersAfterTheUpdateOnEveryWayOut) {
  enum Way { kEnds, kLosesHp, kFlagsDeletion };
  struct Case {
    Way way;
    bool stage;  // cChara::UpdateFlows, else RunFlowUpdate
    int result;
    std::vector<int> labels;
    size_t runsAfter;
  };
  const Case cases[] = {
      {kEnds, true, 0, {1, 2}, 2},          {kEnds, false, 0, {1, 2}, 2},
      {kLosesHp, true, 1, {1}, 2},          {kLosesHp, false, 1, {1}, 2},
      {kFlagsDeletion, true, 0, {1, 2}, 1}, {kFlagsDeletion, false, 0, {1, 2}, 1},
  };
  for (const Case& k : cases) {
    chara.m_Def.m_Flows.clear();
    gTrace.clear();
    gStep = 0;
    chara.m_nHp = 10;
    AddFlow(22, {{kJump, 3, false, 1}});
    AddFlow(22, {{kWait, 3, false, 2}});
    Build();
    Run(0).Start(&chara);
    Run(1).Start(&chara);
    const cFlowRun* const run0 = &Run(0);
    const cCmdRun* const cmd0 = &Run(0).CmdRuns[0];
    bool seen = false;
    gHook = [&](cCharaBase* c, cCmdRun* cmd) {
      seen = world.m_pCurChara == c && world.m_pCurFlowRun == run0 && cmd == cmd0 && world.m_pCurCmdRun == cmd0;
      if (k.way == kLosesHp) c->m_nHp = 0;
      if (k.way == kFlagsDeletion) {
        world.m_pCurFlowRun->bDelete = 1;
        c->m_bRemovePending = 1;
      }
    };
    cChara other;
    cFlowRun otherRun;
    cCmdRun otherCmd;
    world.m_pCurChara = &other;
    world.m_pCurFlowRun = &otherRun;
    world.m_pCurCmdRun = &otherCmd;
    ++gStep;
    if (!k.stage) BeginFlowUpdate(&chara);  // as the hero's update
    const int r = k.stage ? chara.UpdateFlows(0) : RunFlowUpdate(&chara, 0);
    EXPECT_EQ(r, k.result) << k.way << k.stage;
    EXPECT_TRUE(seen) << k.way << k.stage;
    EXPECT_EQ(LabelsAt(1), k.labels) << k.way << k.stage;
    EXPECT_EQ(chara.m_FlowRuns.size(), k.runsAfter) << k.way << k.stage;
    EXPECT_EQ(world.m_pCurChara, k.stage ? &other : nullptr) << k.way << k.stage;
    EXPECT_EQ(world.m_pCurFlowRun, k.stage ? &otherRun : nullptr) << k.way << k.stage;
    EXPECT_EQ(world.m_pCurCmdRun, k.stage ? &otherCmd : nullptr) << k.way << k.stage;
  }
}

// A dying stage character steps only its death flows, and its update puts
// the current pointers back. The ordinary flow in front keeps its countdown
// (never started: 0); the death flow's 3-sub-step wait starts (3 -> 2).
TEST_F(FlowRuntime, DyingStageCharacterStepsOnlyDeathFlows) {
  AddFlow(22, {{kWait, 3, false, 1}});
  AddFlow(3, {{kWait, 3, false, 2}});
  Build();
  Run(0).Start(&chara);
  Run(1).Start(&chara);
  cChara other;
  world.m_pCurChara = &other;
  chara.m_nHp = 0;
  ++gStep;
  EXPECT_EQ(chara.UpdateFlows(1), 1);  // no HP left
  EXPECT_EQ(LabelsAt(1), std::vector<int>{2});
  EXPECT_EQ(Run(0).CmdRuns[0].nLeft, 0);
  EXPECT_EQ(Run(1).CmdRuns[0].nLeft, 2);
  EXPECT_EQ(world.m_pCurChara, &other);
}

TEST_F(FlowRuntime, ForEachRunWithFlowIdSurvivesErasing) {
  AddFlow(22, {{kWait, 1}}, 7);
  AddFlow(22, {{kWait, 1}}, 2);
  AddFlow(22, {{kWait, 1}}, 7);
  AddFlow(22, {{kWait, 1}}, 7);
  Build();
  std::vector<int32_t> seen;
  ForEachRunWithFlowId(&chara, 7, [&](cFlowRun& r) {
    seen.push_back(r.nSerial);
    auto& runs = chara.m_FlowRuns;
    runs.erase(runs.begin() + (&r - runs.data()));
  });
  EXPECT_EQ(seen, (std::vector<int32_t>{0, 2, 3}));
  ASSERT_EQ(chara.m_FlowRuns.size(), 1u);
  EXPECT_EQ(Run(0).nSerial, 1);
}

TEST_F(FlowRuntime, CountdownTreatsZeroAndNegativeAsFinished) {
  AddFlow(22, {{kWait, 0}});
  Build();
  world.m_pCurFlowRun = &Run(0);
  cCmdRun& c = Run(0).CmdRuns[0];
  for (int32_t frames : {0, 1, -5, INT32_MIN}) {
    c.nFrames = frames;
    c.Reset();
    EXPECT_EQ(c.Execute(&chara), 1) << frames;
    EXPECT_EQ(c.nLeft, 0);
  }
  c.nFrames = 2;
  c.Reset();
  EXPECT_EQ(c.Execute(&chara), 0);
  EXPECT_EQ(world.m_pCurCmdRun, &c);
  EXPECT_EQ(c.Execute(&chara), 1);
}

}  // namespace

namespace {

// A lead-in entry of animation 1 that is due when its run has made `steps` steps.
LeadInEntry DueLeadIn(int steps) {
  LeadInEntry e;
  e.nStart = steps;
  e.nStart2 = steps;
  e.nAnimId = 1;
  e.nLength = 4;
  e.bLoops = 1;
  return e;
}

}  // namespace

// Lead-in animations start from the runs as they were before any run stepped,
// whatever the first run does. After a first frame (every command started,
// 3 -> 2 sub-steps left) run 1, a wait, gets an entry due at 1 step: once it
// has stepped again it has made 2 and the entry is no longer due. In the
// second frame run 0 is a wait counted down without an executor, the same
// wait ending the update (HP 0, run 0 not a death flow), or a jump whose hook
// pauses or stops run 1 (a paused or stopped run starts none). In every case
// exactly one entry starts, for run 1. With the entry on run 0 it starts too.
TEST_F(FlowRuntime, LeadInsStartFromTheRunsBeforeAnyStep) {
  CommandTable[kWait] = nullptr;
  const cVector<Animation> savedTable = AnimeTable;
  AnimeTable.assign(2, Animation{});
  AnimeTable[1] = {{7, 4, 0}, {kAnimEnd, 0, 0}};
  enum class First { QuietWait, LostHp, JumpPausing, JumpStopping, OwnEntry };
  struct Case {
    First first;
    const char* name;
    int result;
  };
  for (const Case& k : {Case{First::QuietWait, "quiet wait", 0}, Case{First::LostHp, "lost HP", 1},
                        Case{First::JumpPausing, "pausing jump", 0}, Case{First::JumpStopping, "stopping jump", 0},
                        Case{First::OwnEntry, "entry on the quiet run", 0}}) {
    SCOPED_TRACE(k.name);
    chara.m_Def.m_Flows.clear();
    chara.m_Effects.clear();
    gTrace.clear();
    const bool jump = k.first == First::JumpPausing || k.first == First::JumpStopping;
    AddFlow(22, {{jump ? kJump : kWait, 3, false, 1}});
    AddFlow(22, {{kWait, 3, false, 2}});
    Build();
    chara.m_nHp = 10;
    gHook = nullptr;
    Run(0).Start(&chara);
    Run(1).Start(&chara);
    EXPECT_EQ(Frame(false), 0);
    ASSERT_TRUE(chara.m_Effects.empty());
    const size_t withEntry = k.first == First::OwnEntry ? 0 : 1;
    Run(withEntry).LeadIns.push_back(DueLeadIn(1));
    if (k.first == First::LostHp) chara.m_nHp = 0;
    if (k.first == First::JumpPausing) gHook = [this](cCharaBase*, cCmdRun*) { Run(1).Pause(); };
    if (k.first == First::JumpStopping) gHook = [this](cCharaBase* c, cCmdRun*) { Run(1).Stop(c); };
    EXPECT_EQ(Frame(false), k.result);
    ASSERT_EQ(chara.m_Effects.size(), 1u);
    EXPECT_EQ(chara.m_Effects.front().nRunSerial, Run(withEntry).nSerial);
    EXPECT_EQ(chara.m_Effects.front().nCountdown, 4);
    EXPECT_EQ(Run(0).nSteps, 2);
    EXPECT_EQ(Run(0).CmdRuns[0].nLeft, 1);
    EXPECT_EQ(gTrace.size(), jump ? 2u : 0u);
  }
  gHook = nullptr;
  AnimeTable = savedTable;
}

// A running run without commands is stopped by the update whatever its
// flags and flow: plain, paused, halted, or not a death flow of a dying
// character (and a death flow of one). The wait run after it still steps
// (3 -> 2 sub-steps left) unless the character is dying, when only death
// flows step.
TEST_F(FlowRuntime, RunWithoutCommandsStopsWhateverItsFlags) {
  CommandTable[kWait] = nullptr;
  struct Case {
    const char* name;
    int trigger;
    bool paused, halted, dying;
    int waitLeft;
  };
  for (const Case& k : {Case{"plain", 22, false, false, false, 2}, Case{"paused", 22, true, false, false, 2},
                        Case{"halted", 22, false, true, false, 2}, Case{"dying", 22, false, false, true, 0},
                        Case{"dying, death flow", 3, false, false, true, 0}}) {
    SCOPED_TRACE(k.name);
    chara.m_Def.m_Flows.clear();
    AddFlow(k.trigger, {});
    AddFlow(22, {{kWait, 3, false, 1}});
    Build();
    Run(0).Start(&chara);
    Run(1).Start(&chara);
    Run(0).bPaused = k.paused ? 1 : 0;
    Run(0).bHalted = k.halted ? 1 : 0;
    BeginFlowUpdate(&chara);
    EXPECT_EQ(RunFlowUpdate(&chara, k.dying ? 1 : 0), 0);
    EXPECT_EQ(Run(0).bRunning, 0);
    EXPECT_EQ(Run(1).bRunning, 1);
    EXPECT_EQ(Run(1).CmdRuns[0].nLeft, k.waitLeft);
  }
}
