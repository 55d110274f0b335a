#pragma once
// The flow part of a character's per-sub-step update, shared by the stage
// character's and the hero's UpdateFlows, and the safe walk over a
// character's flow runs.
//
// A command run from a flow may add or erase flow runs of any character,
// including one whose runs are being walked further up the stack (an item
// command changing the hero's flows, flow control on a target). Runs are
// values in the character's vector, so every walk here keeps an index and
// the run's serial and finds the run again after anything that can run
// commands, never touching a run that moved or was erased.
#include <cstdint>
#include <functional>

#include "engine/World.h"

class cCharaBase;
class cFlowRun;

// The start of the update: the character becomes the current character and
// the scene's death-check request is cleared.
// Inline: it runs for every character every sub-step.
inline void BeginFlowUpdate(cCharaBase* chara) {
  if (!PlayScene) return;
  PlayScene->m_pCurChara = chara;
  PlayScene->m_bCheckDeaths = 0;
}

// After the character's own velocity and animation preparation: clears the
// per-update movement flags, starts due lead-in animations, steps every
// running run in order and ends the update (current pointers cleared, runs
// flagged for deletion erased, stopped flow IDs released). Returns 1 when the
// character vanished or lost its HP during a step and must not be processed
// further (the rest of the update is skipped), else 0. With bDying set only
// flows of trigger kind 3 advance.
int RunFlowUpdate(cCharaBase* chara, int bDying);

// The index of the run with this serial, looking at `hint` first; -1 when the
// character has no such run any more.
int FindFlowRun(const cCharaBase* chara, int hint, int32_t serial);

// Calls fn(run) for every run whose flow has this nonzero ID, in the order
// they had at the call. Each is found again by its serial first, so fn may
// erase or add runs (a run erased by an earlier call is skipped).
void ForEachRunWithFlowId(cCharaBase* chara, int id, const std::function<void(cFlowRun&)>& fn);
