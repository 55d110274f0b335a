// The flow runtime: starting, stepping, stopping, pausing and halting flow
// runs, the per-command countdown, and the flow part of a character's update.
#include "engine/flow/FlowRun.h"

#include <cstdint>
#include <functional>
#include <vector>

#include "base/Log.h"
#include "data/Flow.h"
#include "engine/World.h"
#include "engine/flow/Commands.h"
#include "engine/flow/FlowRuntimeParts.h"
#include "engine/flow/FlowUpdate.h"
#include "engine/flow/MoveCommands.h"
#include "engine/objects/CharaBase.h"
#include "engine/objects/CharaFlowUpdate.h"

namespace {

constexpr int kCmdMessage = 19;
constexpr int kCmdArrange = 38;
constexpr int kFirstInstantKind = 16;
// "使用時間0なので、ここにくることはあり得ないはず！" (code page 932)
constexpr const char* kNotInstant =
    "\x8E\x67\x97\x70\x8E\x9E\x8A\xD4\x30\x82\xC8\x82\xCC\x82\xC5\x81\x41\x82\xB1\x82"
    "\xB1\x82\xC9\x82\xAD\x82\xE9\x82\xB1\x82\xC6\x82\xCD\x82\xA0\x82\xE8\x93\xBE\x82"
    "\xC8\x82\xA2\x82\xCD\x82\xB8\x81\x49";

bool NoWait(const cFlowCmd* cmd) { return cmd && cmd->m_WithNext == 1; }

// A message command that hands its window on to the next message command.
bool IsChainMessage(const cFlowCmd* cmd) {
  if (!cmd || cmd->m_CmdKind != kCmdMessage) return false;
  return cmd->m_Params.At(15) == 0 && cmd->m_Params.At(6) == 0;
}

// The start of the character's run vector when `run` is one of its runs,
// else null (a run stepped for a character that does not own it).
const cFlowRun* OwnerBase(const cCharaBase* chara, const cFlowRun* run) {
  if (!chara || chara->m_FlowRuns.empty()) return nullptr;
  const cFlowRun* base = chara->m_FlowRuns.data();
  const std::less<const cFlowRun*> before;
  return !before(run, base) && before(run, base + chara->m_FlowRuns.size()) ? base : nullptr;
}

}  // namespace

void SetFlowIdFlag(cVector<uint8_t>& flags, int id) {
  if (id > 0 && static_cast<size_t>(id) < flags.size()) flags[static_cast<size_t>(id)] = 1;
}

void MarkFlowIdStopped(cCharaBase* chara, int id) {
  if (!chara || id <= 0) return;
  SetFlowIdFlag(chara->m_FlowIdStopped, id);
  chara->m_bFlowIdStopPending = 1;
}

// --- cCmdRun ---

void cCmdRun::Reset() {
  nLeft = nFrames;
  bDone = 0;
  nTick = 0;
  bStarted = 0;
  dPhaseX = 0;
  dPhaseY = 0;
  if (lpCmd && lpCmd->m_CmdKind == kCmdArrange) return;
  cPlayWorld* scene = PlayScene;
  cFlowRun* flowRun = scene ? scene->m_pCurFlowRun : nullptr;
  if (!flowRun) return;
  if (lpCmd && !flowRun->Arranges.empty()) ApplyFlowArranges(lpCmd, scene->m_pCurChara, flowRun);
  flowRun->Arranges.clear();
}

namespace {

// The countdown after an execution: 1 when the command finished.
int CountDown(cCmdRun& c) {
  // An executor may leave any countdown; 64 bits keep INT32_MIN from wrapping.
  const int64_t left = static_cast<int64_t>(c.nLeft) - 1;
  if (left > 0) {
    c.nLeft = static_cast<int32_t>(left);
    return 0;
  }
  c.nLeft = 0;
  return 1;
}

void RunExecutor(cCharaBase* chara, cCmdRun* c) {
  if (PlayScene) PlayScene->m_pCurCmdRun = c;
  ExecCmd(chara, c);
}

}  // namespace

int cCmdRun::Execute(cCharaBase* chara) {
  RunExecutor(chara, this);
  return CountDown(*this);
}

// --- cFlowRun ---

namespace {

// Where a run is while its commands execute. A command may add or erase runs
// of the character that owns it; after each command the run is found again
// by its serial, and the walk goes on with the run's new place or ends when
// it was erased.
class RunPlace {
 public:
  // `base` is OwnerBase(chara, run) and `serial` the run's serial, both
  // taken before any command of this walk ran.
  RunPlace(cFlowRun* run, cCharaBase* chara, const cFlowRun* base, int32_t serial)
      : run_(run), chara_(chara), base_(base), serial_(serial) {}
  RunPlace(cFlowRun* run, cCharaBase* chara) : RunPlace(run, chara, OwnerBase(chara, run), run->nSerial) {}
  cFlowRun* Get() const { return run_; }
  // False when the run no longer exists.
  bool Refind() {
    if (!base_) return true;
    // run_ never lies below base_ (it was inside the vector that starts
    // there), so while the vector has not moved, run_ is still one of its
    // runs when it lies below the end.
    const cVector<cFlowRun>& runs = chara_->m_FlowRuns;
    if (runs.data() == base_ && run_ < base_ + runs.size() && run_->nSerial == serial_) return true;
    const int i = FindFlowRun(chara_, -1, serial_);
    if (i < 0) return false;
    cFlowRun* const old = run_;
    run_ = &chara_->m_FlowRuns[static_cast<size_t>(i)];
    base_ = chara_->m_FlowRuns.data();
    if (PlayScene && PlayScene->m_pCurFlowRun == old) PlayScene->m_pCurFlowRun = run_;
    return true;
  }

 private:
  cFlowRun* run_;
  cCharaBase* chara_;
  const cFlowRun* base_;
  int32_t serial_;
};

}  // namespace

void cFlowRun::Start(cCharaBase* chara) {
  bRunning = 1;
  nCur = 0;
  nSteps = 0;
  bMessageChain = 0;
  for (cCmdRun& c : CmdRuns) c.bDone = 0;
  bStartedThisFrame = 1;
  if (!lpFlow) return;
  // The busy flag belongs to the run's owner, which is the character given.
  if (nm::flow::Trigger(*lpFlow) == kTriggerAlways && chara) {
    const int id = FlowBusyId(*lpFlow);
    SetFlowIdFlag(chara->m_FlowIdBusy, id);
    SetFlowIdFlag(chara->m_FlowIdStarted, id);
  }
  if (nm::flow::Trigger(*lpFlow) != kTriggerBeforeStage || CmdRuns.empty()) return;

  // A before-stage flow runs its instant commands now and never steps.
  if (PlayScene) PlayScene->m_pCurFlowRun = this;
  bBreak = 0;
  RunPlace place(this, chara);
  for (int i = 0; static_cast<size_t>(i) < place.Get()->CmdRuns.size(); ++i) {
    place.Get()->nCur = i;
    cCmdRun* c = &place.Get()->CmdRuns[static_cast<size_t>(i)];
    if (!c->lpCmd || c->lpCmd->m_CmdKind < kFirstInstantKind || !NoWait(c->lpCmd)) continue;
    c->Reset();
    // Executed in two halves: the command may have moved this run.
    RunExecutor(chara, c);
    if (!place.Refind()) return;
    c = &place.Get()->CmdRuns[static_cast<size_t>(i)];
    const int finished = CountDown(*c);
    if (!finished) DebugErrorBox("%s", kNotInstant);
    if (place.Get()->bBreak) break;
    c->bDone = 1;
  }
  place.Get()->Stop(chara);
}

namespace {

// The end of a step that did not finish the flow on the way.
int EndStep(cFlowRun& run, int last) {
  if (last >= 0 && run.CmdRuns[static_cast<size_t>(last)].bDone) return 1;
  ++run.nSteps;
  return 0;
}

// The walk of a step over the commands 0..nCur that are not finished. With
// `executed` set, the executor of command i already ran in this step (the
// walk goes on right after it); `start`, `base` and `serial` are the run,
// OwnerBase(chara, run) and its serial from before that.
[[gnu::noinline]] int WalkCommands(cFlowRun* start, cCharaBase* chara, const cFlowRun* base, int32_t serial, int last,
                                   int i, bool executed) {
  RunPlace place(start, chara, base, serial);
  if (executed || start->nCur >= 0) {
    while (executed || i <= place.Get()->nCur) {
      if (!executed) {
        cFlowRun& self = *place.Get();
        if (i > last || self.CmdRuns[static_cast<size_t>(i)].bDone) {
          ++i;
          continue;
        }
        cCmdRun* c = &self.CmdRuns[static_cast<size_t>(i)];
        const cFlowCmd* cmd = c->lpCmd;
        if (c->nLeft == 0) {
          c->Reset();
          if (!IsChainMessage(cmd) && !NoWait(cmd)) self.bMessageChain = 0;
        }
        RunExecutor(chara, c);
      }
      executed = false;
      // Executed in two halves: the command may have moved or erased this run.
      if (!place.Refind()) return 0;
      cFlowRun& now = *place.Get();
      cCmdRun* c = &now.CmdRuns[static_cast<size_t>(i)];
      const cFlowCmd* cmd = c->lpCmd;  // the flows may have been rebound
      const int finished = CountDown(*c);
      if (NoWait(cmd)) {
        if (finished) {
          c->bDone = 1;
          if (i == last) return 1;
        }
        if (i == now.nCur) now.nCur = i + 1;
        if (now.bBreak) return 0;
        ++i;
        continue;
      }
      if (!finished) {
        if (now.bBreak) return 0;
        ++i;
        continue;
      }
      c->bDone = 1;
      if (IsChainMessage(cmd)) now.bMessageChain = 1;
      if (i == last) return 1;
      ++now.nCur;
      break;
    }
  }
  return EndStep(*place.Get(), last);
}

bool IsDeathFlow(const cFlowRun& run) { return run.lpFlow && nm::flow::Trigger(*run.lpFlow) == kTriggerDeath; }

// Executors that change only the character's motion and their own command
// run's work values and countdown: they never add, erase or rebind flow runs
// nor touch a run's commands, current index or break flag, so after them the
// run is where it was and StepSole's change check would always pass.
bool LeavesRunsAsTheyWere(CmdExecutor exec) {
  return exec == CmdMoveGroundTurn || exec == CmdMoveStraight || exec == CmdMoveCircle;
}

// The run's current command when it is the only one the walk visits: every
// command before it finished, it is not finished, it needs no reset (its
// countdown is not 0) and it does not run with the next one. Else null.
cCmdRun* SoleCommand(cFlowRun& run, int last) {
  const int cur = run.nCur;
  if (cur < 0 || cur > last) return nullptr;
  cCmdRun* const c = &run.CmdRuns[static_cast<size_t>(cur)];
  if (c->bDone || c->nLeft == 0 || NoWait(c->lpCmd)) return nullptr;
  for (int j = 0; j < cur; ++j)
    if (!run.CmdRuns[static_cast<size_t>(j)].bDone) return nullptr;
  return c;
}

// SoleCommand over all the run's commands, its bound taken from the end
// address: nCur, made unsigned (a negative one becomes too large), is below
// the size exactly when its command starts before the end. The address is
// worked out as an integer, which cannot wrap (below 2^32 commands of under
// 256 bytes past a user-space address), and made a pointer only in bounds.
static_assert(sizeof(cCmdRun) < 256);
cCmdRun* SoleCommandOf(cFlowRun& run) {
  const uint32_t cur = static_cast<uint32_t>(run.nCur);
  cCmdRun* const first = run.CmdRuns.data();
  const uintptr_t at = reinterpret_cast<uintptr_t>(first) + static_cast<uint64_t>(cur) * sizeof(cCmdRun);
  if (at >= reinterpret_cast<uintptr_t>(first + run.CmdRuns.size())) return nullptr;
  cCmdRun* const c = reinterpret_cast<cCmdRun*>(at);
  if (c->bDone || c->nLeft == 0 || NoWait(c->lpCmd)) return nullptr;
  for (const cCmdRun* p = first; p != c; ++p)
    if (!p->bDone) return nullptr;
  return c;
}

// The body of cFlowRun::Step; `base` is OwnerBase(chara, start). Inlined
// into the flow update, which steps every running run every sub-step.
//
// Most steps run one command: the walk would skip the finished ones before
// it, execute it and count it down. When the executor left the run, its
// commands, this command and nCur as they were (or there is no executor to
// change anything), the walk's outcome is the one worked out here;
// otherwise the walk goes on from where the executor returned. `inPlace` is
// set when the run is known to be where it was (no command could move it).
[[gnu::always_inline]] inline int StepSole(cFlowRun* start, cCharaBase* chara, const cFlowRun* base, cCmdRun* c,
                                           CmdExecutor exec, bool& inPlace);

[[gnu::always_inline]] inline int StepRun(cFlowRun* start, cCharaBase* chara, const cFlowRun* base, bool& inPlace) {
  inPlace = false;
  if (PlayScene) PlayScene->m_pCurFlowRun = start;
  start->bBreak = 0;
  const int last = static_cast<int>(start->CmdRuns.size()) - 1;
  cCmdRun* const c = SoleCommand(*start, last);
  if (!c) return WalkCommands(start, chara, base, start->nSerial, last, 0, false);
  // As ExecCmd; without an executor nothing runs that could change the run.
  return StepSole(start, chara, base, c, chara && c->lpCmd ? ExecutorFor(c->lpCmd) : nullptr, inPlace);
}

// StepRun's part after SoleCommand found `c`, with the executor ExecCmd
// would call for it; the scene's current run is `start` and its break flag
// is clear.
[[gnu::always_inline]] inline int StepSole(cFlowRun* start, cCharaBase* chara, const cFlowRun* base, cCmdRun* c,
                                           CmdExecutor exec, bool& inPlace) {
  const int last = static_cast<int>(start->CmdRuns.size()) - 1;
  const int cur = start->nCur;
  cFlowCmd* const cmd = c->lpCmd;
  if (PlayScene) PlayScene->m_pCurCmdRun = c;
  if (exec && LeavesRunsAsTheyWere(exec)) {
    exec(chara, c);
  } else if (exec) {
    const int32_t serial = start->nSerial;
    const cCmdRun* const cmds = start->CmdRuns.data();
    const cCmdRun* const cmdsEnd = cmds + start->CmdRuns.size();
    exec(chara, c);
    // The run first (only then may it be read), as RunPlace::Refind finds it.
    // The ends are compared as pointers: same start and end, same size.
    bool same = true;
    if (base) {
      const cVector<cFlowRun>& runs = chara->m_FlowRuns;
      same = runs.data() == base && start < runs.data() + runs.size() && start->nSerial == serial;
    }
    same = same && start->CmdRuns.data() == cmds && start->CmdRuns.data() + start->CmdRuns.size() == cmdsEnd &&
           c->lpCmd == cmd && start->nCur == cur;
    if (!same) return WalkCommands(start, chara, base, serial, last, cur, true);
  }
  inPlace = true;
  if (!CountDown(*c)) {
    if (start->bBreak) return 0;
    return EndStep(*start, last);
  }
  c->bDone = 1;
  if (IsChainMessage(cmd)) start->bMessageChain = 1;
  if (cur == last) return 1;
  ++start->nCur;
  return EndStep(*start, last);
}

}  // namespace

int cFlowRun::Step(cCharaBase* chara) {
  bool inPlace;
  return StepRun(this, chara, OwnerBase(chara, this), inPlace);
}

void cFlowRun::Stop(cCharaBase* chara) {
  if (!bRunning) return;
  bRunning = 0;
  Arranges.clear();
  for (cCmdRun& c : CmdRuns) c.nLeft = 0;
  if (lpFlow) MarkFlowIdStopped(chara, FlowStopId(*lpFlow));
}

void cFlowRun::Pause() { bPaused = 1; }

void cFlowRun::Resume() { bPaused = 0; }

void cFlowRun::Abort(cCharaBase* chara) {
  bHalted = 1;
  if (!bRunning) return;
  for (cCmdRun& c : CmdRuns) c.nLeft = 0;
  if (lpFlow) MarkFlowIdStopped(chara, FlowStopId(*lpFlow));
}

// --- the flow update ---

int FindFlowRun(const cCharaBase* chara, int hint, int32_t serial) {
  if (!chara) return -1;
  const cVector<cFlowRun>& runs = chara->m_FlowRuns;
  if (hint >= 0 && static_cast<size_t>(hint) < runs.size() && runs[static_cast<size_t>(hint)].nSerial == serial)
    return hint;
  for (size_t i = 0; i < runs.size(); ++i)
    if (runs[i].nSerial == serial) return static_cast<int>(i);
  return -1;
}

void ForEachRunWithFlowId(cCharaBase* chara, int id, const std::function<void(cFlowRun&)>& fn) {
  if (!chara || id == 0) return;
  std::vector<int32_t> serials;
  for (const cFlowRun& r : chara->m_FlowRuns)
    if (r.lpFlow && r.lpFlow->m_FlowId == id) serials.push_back(r.nSerial);
  int hint = 0;
  for (int32_t serial : serials) {
    const int i = FindFlowRun(chara, hint, serial);
    if (i < 0) continue;
    fn(chara->m_FlowRuns[static_cast<size_t>(i)]);
    hint = i;
  }
}

namespace {

void ClearCurrent() {
  if (!PlayScene) return;
  PlayScene->m_pCurChara = nullptr;
  PlayScene->m_pCurFlowRun = nullptr;
  PlayScene->m_pCurCmdRun = nullptr;
}

}  // namespace

namespace {

// The short step of a run whose sole command `c` has no executor or one that
// leaves the run as it was (LeavesRunsAsTheyWere): StepSole's outcome
// without its checks (such an executor sets no break flag, so none is read).
// Returns 1 when the run finished.
[[gnu::always_inline]] inline int StepQuiet(cFlowRun* run, cCharaBase* chara, cCmdRun* c, CmdExecutor exec) {
  if (exec) exec(chara, c);
  // The last command, as EndStep reads it (the run has commands).
  const cCmdRun& last = run->CmdRuns.back();
  if (c->nLeft > 1) {
    --c->nLeft;
    if (last.bDone) return 1;
    ++run->nSteps;
    return 0;
  }
  c->nLeft = 0;
  c->bDone = 1;
  if (IsChainMessage(c->lpCmd)) run->bMessageChain = 1;
  if (c == &last) return 1;
  ++run->nCur;
  if (last.bDone) return 1;
  ++run->nSteps;
  return 0;
}

// One step of the run at index i of the character's runs, which is running,
// has commands, and is neither paused nor halted, when it is not quiet (see
// RunFlowUpdate): SoleCommandOf found `c` (null for none) with the executor
// `exec` that is not a move, or no sole command. Returns 1 when the run
// finished; `i` becomes the run's index after the step, or i - 1 when a
// command erased it. `deathFlow` (-1 unknown) is read before anything runs
// that could rebind the run's flow.
[[gnu::noinline]] int StepRunAt(cCharaBase* chara, size_t& i, int& deathFlow, cCmdRun* c, CmdExecutor exec) {
  cFlowRun* const run = &chara->m_FlowRuns[i];
  if (PlayScene) PlayScene->m_pCurFlowRun = run;
  run->bBreak = 0;
  const int32_t serial = run->nSerial;
  if (deathFlow < 0) deathFlow = IsDeathFlow(*run);
  bool inPlace = false;
  int finished;
  if (!c) {
    finished =
        WalkCommands(run, chara, chara->m_FlowRuns.data(), serial, static_cast<int>(run->CmdRuns.size()) - 1, 0, false);
  } else {
    finished = StepSole(run, chara, chara->m_FlowRuns.data(), c, exec, inPlace);
  }
  if (inPlace) return finished;
  const int j = FindFlowRun(chara, static_cast<int>(i), serial);
  i = static_cast<size_t>(j >= 0 ? j : static_cast<int>(i) - 1);
  return j >= 0 ? finished : 0;
}

// The update's lead-in start, when `due`: it clears `due`. Out of line, so
// that the flag stays out of the run loop's registers.
[[gnu::noinline]] void StartLeadInsOnce(cCharaBase* chara, bool& due) {
  if (!due) return;
  due = false;
  StartFlowCmdAnims(chara);
}

// StartLeadInsOnce when any run has lead-in entries; clears `due` either way.
[[gnu::noinline]] void StartLeadInsOfAny(cCharaBase* chara, bool& due) {
  if (!due) return;
  due = false;
  for (const cFlowRun& run : chara->m_FlowRuns) {
    if (!run.LeadIns.empty()) {
      StartFlowCmdAnims(chara);
      return;
    }
  }
}

// RunFlowUpdate's body for a character that is not null. With kGuarded the
// caller puts the scene's current pointers back right after (its
// CurrentObjectsGuard), so they are cleared only where something runs before
// that: the removal of runs flagged for deletion.
// kDying is bDying made a constant, so that the loop tests it only once.
template <bool kGuarded, bool kDying>
[[gnu::always_inline]] inline int FlowUpdateBody(cCharaBase* chara) {
  chara->m_bMoveDisabled = 0;
  chara->m_bMovedThisUpdate = 0;
  chara->m_bFrictionX = 1;
  chara->m_bFrictionY = 1;
  if (chara->m_nCrushGrace > 0) --chara->m_nCrushGrace;

  // The lead-in animations start before any run steps, and only runs with
  // lead-in entries can start one. The start waits for the first run with
  // entries, the first step that is not quiet, or a return from the loop: a
  // quiet step or a stop changes only its own run, which then has no entries,
  // and the character's motion, so the start finds what it would have found
  // first (and effects are touched by neither).
  bool leadInsDue = true;

  // Whether the character stays after any run's step, whatever its flow's
  // trigger: it has not vanished and has HP left (or is dying, where the
  // HP is not looked at). Only a step that is not quiet can change that.
  bool stays = !chara->m_bVanished && (kDying || chara->m_nHp > 0);
  // The runs' bounds, read again only after a step that is not quiet: a
  // quiet step (no executor, or a move) and a stop add, erase and move no run.
  cFlowRun* runs = chara->m_FlowRuns.data();
  cFlowRun* runsEnd = runs + chara->m_FlowRuns.size();
  for (cFlowRun* next = runs; next < runsEnd;) {
    cFlowRun* run = next++;
    if (!run->LeadIns.empty()) StartLeadInsOnce(chara, leadInsDue);
    if (!run->bRunning) continue;
    // A running run without commands stops, whatever its flags and flow: it
    // is looked for only where a run is not stepped or has no sole command
    // (SoleCommandOf finds none without commands). The flags are tested at
    // once; none of these tests has a side effect.
    if ((run->bPaused | run->bHalted) != 0 || (kDying && !IsDeathFlow(*run))) {
      if (run->CmdRuns.empty()) run->Stop(chara);
      continue;
    }
    int deathFlow = kDying ? 1 : -1;  // -1: read only when needed
    cCmdRun* const c = SoleCommandOf(*run);
    if (!c && run->CmdRuns.empty()) {
      run->Stop(chara);
      continue;
    }
    const CmdExecutor exec = c && c->lpCmd ? ExecutorFor(c->lpCmd) : nullptr;
    const bool quiet = c && (!exec || LeavesRunsAsTheyWere(exec));
    int finished;
    if (quiet) {
      // Only an executor may read the current pointers before the next step
      // sets them or the update puts them back; without one they are left.
      // The break flag is not set here: a quiet step does not read it, and
      // every step that reads it clears it first.
      if (exec) {
        if (cPlayWorld* const scene = PlayScene) {
          scene->m_pCurFlowRun = run;
          scene->m_pCurCmdRun = c;
        }
      }
      finished = StepQuiet(run, chara, c, exec);
    } else {
      StartLeadInsOfAny(chara, leadInsDue);
      // Found again by index, as its commands may add or erase runs. i
      // becomes SIZE_MAX when the first run was erased: the next is then
      // run 0, and no erased run is read below (finished is 0, deathFlow known).
      size_t i = static_cast<size_t>(run - runs);
      finished = StepRunAt(chara, i, deathFlow, c, exec);
      runs = chara->m_FlowRuns.data();
      runsEnd = runs + chara->m_FlowRuns.size();
      next = runs + (i + 1);
      run = i + 1 != 0 ? runs + i : nullptr;
    }
    if (finished) run->Stop(chara);
    // A quiet step leaves the HP and the vanished flag alone; so does a stop.
    if (quiet && stays) continue;
    // The character may be removed once we return; leave no pointer to it.
    bool leave = chara->m_bVanished != 0;
    if (!leave && !kDying && chara->m_nHp <= 0) {
      // Still unknown only after a quiet step: the run and its flow are unchanged.
      if (deathFlow < 0) deathFlow = IsDeathFlow(*run);
      leave = !deathFlow;
    }
    if (leave) {
      StartLeadInsOfAny(chara, leadInsDue);
      if (!kGuarded) ClearCurrent();
      return 1;
    }
    stays = kDying || chara->m_nHp > 0;  // not vanished, as it did not leave
  }
  if (!kGuarded) ClearCurrent();

  // Most updates have neither pending: both flags tested at once. With
  // neither set, the removal runs nothing that could set the second.
  if ((chara->m_bRemovePending | chara->m_bFlowIdStopPending) == 0) return 0;
  if (chara->m_bRemovePending) {
    if (kGuarded) ClearCurrent();
    for (size_t i = 0; i < chara->m_FlowRuns.size();) {
      if (!chara->m_FlowRuns[i].bDelete) {
        ++i;
        continue;
      }
      const size_t before = chara->m_FlowRuns.size();
      chara->RemoveFlow(static_cast<int>(i));
      if (chara->m_FlowRuns.size() >= before) ++i;  // not erased: do not test it forever
    }
    chara->m_bRemovePending = 0;
  }

  if (chara->m_bFlowIdStopPending) {
    for (size_t id = 0; id < chara->m_FlowIdStopped.size(); ++id) {
      if (!chara->m_FlowIdStopped[id]) continue;
      chara->m_FlowIdStopped[id] = 0;
      if (id < chara->m_FlowIdBusy.size()) chara->m_FlowIdBusy[id] = 0;
    }
    chara->m_bFlowIdStopPending = 0;
  }
  return 0;
}

}  // namespace

int RunFlowUpdate(cCharaBase* chara, int bDying) {
  if (!chara) return 0;
  return bDying ? FlowUpdateBody<false, true>(chara) : FlowUpdateBody<false, false>(chara);
}

int StageCharaFlowUpdate(cCharaBase* chara, int bDying) {
  CurrentObjectsGuard guard;
  BeginFlowUpdate(chara);
  SetBaseVelocity(chara, false);
  if (bDying ? FlowUpdateBody<true, true>(chara) : FlowUpdateBody<true, false>(chara)) return 1;
  SetIdleAnimation(chara);
  return chara->m_nHp <= 0 ? 1 : 0;
}
