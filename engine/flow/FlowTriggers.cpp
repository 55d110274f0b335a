// Flow triggers: raising an event key on a character starts its idle flows
// of that trigger kind whose start and key conditions hold.
#include <typeinfo>
#include <vector>

#include "data/Flow.h"
#include "data/System.h"
#include "engine/Names.h"
#include "engine/World.h"
#include "engine/flow/Commands.h"
#include "engine/flow/FlowRuntimeParts.h"
#include "engine/flow/FlowUpdate.h"
#include "engine/flow/KeyMatch.h"
#include "engine/flow/Triggers.h"
#include "engine/objects/CharaBase.h"
#include "engine/objects/Hero.h"
#include "engine/rules/Rules.h"

namespace {

const cInput kNoInput;

// The input of player 1's hero; every key condition reads it.
const cInput& KeyConditionInput() {
  if (!Player.empty() && Player[0].m_lpInput) return *Player[0].m_lpInput;
  if (!PlayerInput.empty()) return PlayerInput[0];
  return kNoInput;
}

// The input whose first pressed direction a started run remembers: the
// hero's own for a hero, player 1's for a stage character.
const cInput& StartDirInput(const cCharaBase* chara) {
  // cHero is final: comparing the dynamic type is the cast, without its search.
  if (chara && typeid(*chara) == typeid(cHero)) {
    if (const cInput* input = static_cast<const cHero*>(chara)->m_lpInput) return *input;
  }
  return KeyConditionInput();
}

bool IdFlagSet(const cVector<uint8_t>& flags, int id) {
  return id > 0 && static_cast<size_t>(id) < flags.size() && flags[static_cast<size_t>(id)] != 0;
}

// Saves the scene's current character, flow run and command run, and puts
// them back when it goes: an event raised while another character's flow
// runs must not leave that flow without its current pointers.
class CurrentPointers {
 public:
  CurrentPointers() {
    if (!PlayScene) return;
    chara_ = PlayScene->m_pCurChara;
    flowRun_ = PlayScene->m_pCurFlowRun;
    cmdRun_ = PlayScene->m_pCurCmdRun;
  }
  ~CurrentPointers() {
    if (!PlayScene) return;
    PlayScene->m_pCurChara = chara_;
    PlayScene->m_pCurFlowRun = flowRun_;
    PlayScene->m_pCurCmdRun = cmdRun_;
  }
  CurrentPointers(const CurrentPointers&) = delete;
  CurrentPointers& operator=(const CurrentPointers&) = delete;

 private:
  cCharaBase* chara_ = nullptr;
  cFlowRun* flowRun_ = nullptr;
  cCmdRun* cmdRun_ = nullptr;
};

// Whether a run of trigger `key` is idle, or (early latch) not latched yet.
// A run that is neither needs no look at its flow: most raises find every
// run busy, so the flows stay untouched.
// kEarlyLatch is the early latch made a constant, so that the loop does not
// test it per run.
template <bool kEarlyLatch>
[[gnu::always_inline]] inline bool HasStartableRunOf(const cCharaBase& chara, int key) {
  for (const cFlowRun& run : chara.m_FlowRuns) {
    const bool busy = run.bRunning || run.bPaused || run.bHalted || run.bStartedThisFrame;
    if (busy && (!kEarlyLatch || run.bTriggered)) continue;
    if (run.lpFlow && nm::flow::Trigger(*run.lpFlow) == key) return true;
  }
  return false;
}

[[gnu::always_inline]] inline bool HasStartableRun(const cCharaBase& chara, int key, bool earlyLatch) {
  return earlyLatch ? HasStartableRunOf<true>(chara, key) : HasStartableRunOf<false>(chara, key);
}

}  // namespace

void ClearFlowTriggers(cCharaBase* chara) {
  if (!chara) return;
  for (cFlowRun& run : chara->m_FlowRuns) {
    run.bTriggered = 0;
    run.bStartedThisFrame = 0;
  }
  for (uint8_t& f : chara->m_FlowIdStarted) f = 0;
}

namespace {
EventObserver g_eventObserver = nullptr;
}  // namespace

void SetEventObserver(EventObserver observer) { g_eventObserver = observer; }

uint64_t EventsRaised = 0;

namespace {

// The walk of RaiseEventWith over the runs of `key`, starting those whose
// conditions hold.
[[gnu::noinline]] void StartTriggeredRuns(cCharaBase* chara, int key, cGameObj* partner, uint8_t arg, bool earlyLatch,
                                          bool lateLatch) {
  const CurrentPointers saved;
  if (PlayScene) PlayScene->m_pCurChara = chara;
  // Every partner the engine passes is a character; anything else counts as none.
  cCharaBase* partnerChara = dynamic_cast<cCharaBase*>(partner);

  for (int i = 0; static_cast<size_t>(i) < chara->m_FlowRuns.size(); ++i) {
    cFlowRun& run = chara->m_FlowRuns[static_cast<size_t>(i)];
    const cFlow* flow = run.lpFlow;
    if (!flow || nm::flow::Trigger(*flow) != key) continue;
    if (earlyLatch) {
      if (run.bTriggered) continue;
      run.bTriggered = 1;
    }
    if (run.bRunning || run.bPaused || run.bHalted || run.bStartedThisFrame) continue;
    if (key == kTriggerAlways) {
      const int id = FlowBusyId(*flow);
      if (IdFlagSet(chara->m_FlowIdBusy, id) || IdFlagSet(chara->m_FlowIdStarted, id)) continue;
    }
    if (arg >= 1 && arg != nm::flow::AttackNumber(*flow)) continue;
    if (lateLatch) {
      if (run.bTriggered) continue;
      run.bTriggered = 1;
    }
    const int slot = nm::flow::PartnerSlot(*flow);
    if (nm::flow::PartnerToTarget(*flow) && partnerChara && slot >= 0 &&
        static_cast<size_t>(slot) < chara->m_Targets.size()) {
      cCharaBase* const former = chara->m_Targets[static_cast<size_t>(slot)];
      SetTargetSlot(chara, slot, partnerChara, 1);
      if (!CheckFlowCondition(&run, chara) || !CheckFlowKeyConditions(chara, &run)) {
        SetTargetSlot(chara, slot, former, 1);
        continue;
      }
    } else if (!CheckFlowCondition(&run, chara) || !CheckFlowKeyConditions(chara, &run)) {
      continue;
    }
    run.nStartDir = FirstPressedKey(StartDirInput(chara));
    const int32_t serial = run.nSerial;
    run.Start(chara);
    // A before-stage flow ran commands, which may have changed the runs.
    const int j = FindFlowRun(chara, i, serial);
    i = j >= 0 ? j : i - 1;
  }
}

// RaiseEventWith's body after the count and the observer, inlined into
// RaiseEvent too: the play step raises key 0 on every character every
// sub-step.
[[gnu::always_inline]] inline void Raise(cCharaBase* chara, int key, cGameObj* partner, uint8_t arg) {
  // The switches are only read: their order does not matter, and the
  // early one, mostly off, settles the early latch alone.
  const bool earlyLatch = nm::sys::EarlyTriggerLatch(SystemData) && !nm::sys::NoTriggerLatch(SystemData);
  // Most raises (key 0 every sub-step) find every flow of the key running.
  // The walk changes a run only when it is idle or, with the early latch,
  // not yet latched; without such a run it changes nothing (the current
  // character it sets is put back), so it is skipped. The scan changes no
  // switch, so the late latch is worked out only for the walk.
  if (HasStartableRun(*chara, key, earlyLatch)) {
    const bool lateLatch = !nm::sys::NoTriggerLatch(SystemData) && !earlyLatch;
    StartTriggeredRuns(chara, key, partner, arg, earlyLatch, lateLatch);
  }
}

// A raise with an observer installed (tools only): out of line, so that the
// common raise saves no registers around the observer's call.
[[gnu::noinline]] void RaiseObserved(cCharaBase* chara, int key, cGameObj* partner, uint8_t arg) {
  g_eventObserver(*chara, key);
  Raise(chara, key, partner, arg);
}

}  // namespace

void RaiseEvent(cCharaBase* chara, int key) {
  ++EventsRaised;
  if (!chara) return;
  if (g_eventObserver) return RaiseObserved(chara, key, nullptr, 0);
  Raise(chara, key, nullptr, 0);
}

void RaiseEventWith(cCharaBase* chara, int key, cGameObj* partner, uint8_t arg) {
  ++EventsRaised;
  if (!chara) return;
  if (g_eventObserver) return RaiseObserved(chara, key, partner, arg);
  Raise(chara, key, partner, arg);
}

int CheckFlowKeyConditions(cCharaBase* chara, cFlowRun* run) {
  if (!run || run->KeyConds.empty()) return 1;
  if (!run->lpFlow) return 0;
  const cFlow& flow = *run->lpFlow;
  std::vector<const cKeyCond*> conds(run->KeyConds.begin(), run->KeyConds.end());
  const cCharaBase* facing = PlayScene && PlayScene->m_pCurChara ? PlayScene->m_pCurChara : chara;
  KeyMatchOptions options;
  options.tolerance = nm::flow::KeyTolerance(flow);
  options.facingLeft = facing && !facing->m_bFaceRight;
  options.overlap = nm::sys::KeySequenceOverlap(SystemData);
  const cInput& input = KeyConditionInput();

  if (nm::flow::KeyRepeat(flow)) {
    options.newestSuffices = run->bKeyMatched != 0;
    const int r = MatchKeyHistory(input, conds, options);
    run->bKeyMatched = r != 0;
    return r;
  }
  run->bKeyMatched = 0;
  const int r = MatchKeyHistory(input, conds, options);
  if (!r) {
    run->bKeyLatch = 0;
    return 0;
  }
  const bool wasLatched = run->bKeyLatch != 0;
  run->bKeyLatch = 1;
  if (!wasLatched) return 1;
  // Keys still held since the last start: the ID stays blocked for the rest
  // of this update.
  if (nm::flow::Trigger(flow) == kTriggerAlways) {
    const int id = FlowBusyId(flow);
    if (id > 0) {
      if (PlayScene && PlayScene->m_pCurChara) SetFlowIdFlag(PlayScene->m_pCurChara->m_FlowIdBusy, id);
      MarkFlowIdStopped(chara, id);
    }
  }
  return 0;
}
