// Shot, sword and summon executors: they decide when to act and which sound
// to play; what is created is the firing code's business.
#include "engine/flow/ShotCommands.h"

#include "base/Log.h"
#include "data/Database.h"
#include "data/FlowCmd.h"
#include "engine/World.h"
#include "engine/flow/CommandSupport.h"
#include "engine/flow/Commands.h"
#include "engine/objects/CharaBase.h"
#include "engine/shots/Shot.h"

namespace {

const cEdShot* ShotOf(const cCmdRun* run) { return run && run->lpCmd ? run->lpCmd->m_pShot.get() : nullptr; }

// Acts on the first sub-step and then every tenth of a second.
template <typename Act>
void Periodic(cCharaBase* chara, cCmdRun* run, Act act) {
  const cEdShot* def = ShotOf(run);
  if (!def) return;  // a command without shot parameters does nothing
  if (TickDue(run)) {
    PlayCmdSound(chara, run->lpCmd);
    act(def);
  }
  AdvanceTick(run);
}

}  // namespace

void CmdShot(cCharaBase* chara, cCmdRun* run) {
  Periodic(chara, run, [&](const cEdShot* def) {
    if (PlayScene) FireShot(PlayScene->m_Shots, chara, run, def);
  });
}

void CmdSummonBlock(cCharaBase* chara, cCmdRun* run) {
  Periodic(chara, run, [&](const cEdShot* def) { SummonBlock(chara, run, def); });
}

void CmdSummonChara(cCharaBase* chara, cCmdRun* run) {
  Periodic(chara, run, [&](const cEdShot* def) { SummonChara(chara, run, def); });
}

void CmdSummonItem(cCharaBase* chara, cCmdRun* run) {
  Periodic(chara, run, [&](const cEdShot* def) { SummonItem(chara, run, def); });
}

void CmdSword(cCharaBase* chara, cCmdRun* run) {
  const cEdShot* def = ShotOf(run);
  if (!def || !PlayScene) return;
  if (run->nTick++ != 0) return;  // one sword per activation
  PlayCmdSound(chara, run->lpCmd);
  const int type = static_cast<int8_t>(def->m_ShotMove);
  const auto& types = Database.m_SwordTypes;
  if (type < 0 || static_cast<size_t>(type) >= types.size() ||
      types[static_cast<size_t>(type)].m_SwordFrames.empty()) {
    // A sword type that does not exist (or has no frames) makes no sword.
    WriteDebugLog("sword type %d does not exist\n", type);
    return;
  }
  cShot shot;
  shot.Setup(PlayScene->m_nNextShotId, chara, 12, def, ShotLaunch{});
  cShot* added = AddShot(PlayScene->m_Shots, shot);
  ++PlayScene->m_nNextShotId;
  if (!added) return;
  added->m_lpTarget = nullptr;
  if (cCharaBase* owner = added->m_lpOwner) {
    const ShotLink link{added, 4};
    bool present = false;
    for (const ShotLink& l : owner->m_ShotLinks) present = present || SameLink(l, link);
    if (!present) owner->m_ShotLinks.push_back(link);
  }
}

void RegisterShotCommands() {
  CommandTable[11] = CmdShot;
  CommandTable[12] = CmdSword;
  CommandTable[13] = CmdSummonBlock;
  CommandTable[14] = CmdSummonChara;
  CommandTable[15] = CmdSummonItem;
}
