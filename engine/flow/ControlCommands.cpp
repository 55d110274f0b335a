// Flow control, stage clear, game wait and message commands (kinds 16..19).
#include "engine/flow/ControlCommands.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <string>

#include "base/Paths.h"
#include "data/FlowCmd.h"
#include "data/SaveData.h"
#include "data/WorldMap.h"
#include "engine/Names.h"
#include "engine/Services.h"
#include "engine/World.h"
#include "engine/flow/CommandSupport.h"
#include "engine/flow/Commands.h"
#include "engine/flow/Conditions.h"
#include "engine/objects/CharaBase.h"
#include "media/graphics/DDCore.h"

namespace {

// "ステージファイル " + name + " が不正です。\nステージファイルとして認識できません。"
const char kBadStagePre[] = "\x83\x58\x83\x65\x81\x5B\x83\x57\x83\x74\x83\x40\x83\x43\x83\x8B\x20";
const char kBadStageSuf[] = "\x20\x82\xAA\x95\x73\x90\xB3\x82\xC5\x82\xB7\x81\x42\x0A\x83\x58\x83\x65\x81\x5B\x83\x57\x83\x74\x83\x40\x83\x43\x83\x8B\x82\xC6\x82\xB5\x82\xC4\x94\x46\x8E\xAF\x82\xC5\x82\xAB\x82\xDC\x82\xB9\x82\xF1\x81\x42";
const char kBadStageCaption[] = "\x83\x47\x83\x89\x81\x5B";

int P(const cFlowCmd* cmd, int i) { return CmdParam(cmd, i); }

void ReleaseWindow(cMessageWnd& w) {
  if (w.m_lpSD) DDRemoveSurfaceList(Off_Msg, MessageBitmaps, w.m_lpSD);
  w.m_lpSD = nullptr;
  w.m_lpBmp = nullptr;
}

void ApplyFlowOp(cCharaBase* self, cCharaBase* x, cFlowRun& r, int op, int scope, int id) {
  switch (op) {
    case 0:
      r.Stop(x);
      RemoveFlowEffects(x, r.nSerial);
      r.Start(x);
      r.bBreak = 1;
      break;
    case 1:
      r.Stop(x);
      RemoveFlowEffects(x, r.nSerial);
      r.bBreak = 1;
      break;
    case 2:
      r.Pause();
      EndFlowEffects(x, r.nSerial);
      r.bBreak = 1;
      break;
    case 3:
      r.Resume();
      ResumeFlowEffects(x, r.nSerial);
      break;
    case 4:
      if (x == self) {
        r.bDelete = 1;
        r.bBreak = 1;
        x->m_bRemovePending = 1;
      }
      (void)scope;
      (void)id;
      break;
    case 5:
      r.Abort(x);
      RemoveFlowEffects(x, r.nSerial);
      r.bBreak = 1;
      break;
    default: break;
  }
}

}  // namespace

void CmdFlowControl(cCharaBase* chara, cCmdRun* run) {
  const cFlowCmd* cmd = run->lpCmd;
  if (const cCondList* conds = cmd->m_pCondList.get()) {
    if (conds->m_Enabled && !CheckCondList(conds->m_Conds, conds->m_Mode, chara)) return;
  }
  const int op = P(cmd, 0), scope = P(cmd, 1), id = P(cmd, 2), ownerSlot = P(cmd, 3);
  cCharaBase* owner = chara;
  if (ownerSlot >= 1 && ownerSlot <= 4) {
    owner = chara->m_Targets[static_cast<size_t>(ownerSlot - 1)];
    if (!owner) return;  // an empty slot: nothing happens
  }
  cFlowRun* current = PlayScene ? PlayScene->m_pCurFlowRun : nullptr;
  if (scope == 0) {
    if (current) ApplyFlowOp(chara, chara, *current, op, scope, id);
    return;
  }
  if (scope == 1) {
    for (size_t i = 0; i < chara->m_FlowRuns.size(); ++i) {
      cFlowRun& r = chara->m_FlowRuns[i];
      if (&r != current) ApplyFlowOp(chara, chara, r, op, scope, id);
    }
    return;
  }
  if (scope != 2 || id == 0) return;
  if (op == 4 && owner != chara) {
    // Another character's flows with that ID go at once.
    owner->RemoveFlowsById(id);
    return;
  }
  for (size_t i = 0; i < owner->m_FlowRuns.size(); ++i) {
    cFlowRun& r = owner->m_FlowRuns[i];
    if (r.lpFlow && nm::flow::FlowId(*r.lpFlow) == id) ApplyFlowOp(chara, owner, r, op, scope, id);
  }
}

int DoStageClear(cCharaBase*, cFlowCmd* cmd) {
  cPlayWorld& w = CurrentWorld();
  const int part = nm::save::nPart(SaveData);
  switch (P(cmd, 0)) {
    case 0: w.m_nClearDest = part + 1; w.m_NextStageName.clear(); break;
    case 1: w.m_nClearDest = P(cmd, 1); w.m_NextStageName.clear(); break;
    case 3: w.m_nClearDest = 0; w.m_NextStageName.clear(); break;
    case 2:
      w.m_nClearDest = part;
      if (!cmd->m_Text.empty()) {
        StripExtensionString(cmd->m_Text);
        cmd->m_Text += ".";
        w.m_NextStageName = cmd->m_Text;
      } else {
        ErrorReporter().ErrorBox(std::string(kBadStagePre) + kBadStageSuf, kBadStageCaption);
        w.m_NextStageName.clear();
      }
      break;
    default: break;
  }
  if (P(cmd, 2)) {
    // The position stays inside the map, and never below 0.
    auto clampTo = [](int v, int size) {
      if (v >= size - 1) v = size - 1;
      return v < 0 ? 0 : v;
    };
    nm::save::nMapX(SaveData) = clampTo(P(cmd, 3), nm::wmap::Width(WorldMap));
    nm::save::nMapY(SaveData) = clampTo(P(cmd, 4), nm::wmap::Height(WorldMap));
    nm::save::nMapState(SaveData) = 0;
  }
  if (P(cmd, 5)) {
    nm::save::bStartOverride(SaveData) = 1;
    nm::save::nStartX(SaveData) = P(cmd, 6);
    nm::save::nStartY(SaveData) = P(cmd, 7);
    int facing = P(cmd, 8);
    if (facing == 2) facing = Player.empty() ? 0 : (Player[0].m_bFaceRight ? 1 : 0);
    nm::save::nStartFacing(SaveData) = facing;
  } else {
    nm::save::bStartOverride(SaveData) = 0;
  }
  return 1;
}

void DoGameWait(cCharaBase*, cFlowCmd* cmd) {
  cPlayWorld& w = CurrentWorld();
  // A wait too long (or too negative) for an int is the longest one.
  const int frames = static_cast<int>(std::clamp<int64_t>(int64_t{P(cmd, 0)} * 6, INT_MIN, INT_MAX));
  w.m_Messages.emplace_back();
  w.m_Messages.back().Init(0, "", 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 2, frames, 1, 0, 0, 0, 0, 0, 0, 0, 0);
  w.m_ModalWait.nKind = 0;
  w.m_ModalWait.nKeyDelay = 0;
  w.m_ModalWait.bWaitKey = 0;
  w.m_ModalWait.nFrames = frames;
  w.m_ModalWait.nCount = 0;
  RunModalSubLoop();
  if (!w.m_Messages.empty()) w.m_Messages.pop_back();
}

void DoMessage(cCharaBase* chara, cFlowCmd* cmd, int chain) {
  cPlayWorld& w = CurrentWorld();
  if (w.m_bQuit) return;
  const bool withId = P(cmd, 12) != 0;
  const bool erase = P(cmd, 15) != 0;
  auto place = w.m_Messages.end();
  bool reuse = false;
  if (withId) {
    auto found = w.m_Messages.begin();
    for (; found != w.m_Messages.end(); ++found) {
      if (found->m_bHasId && found->m_nMessageId == P(cmd, 13)) break;
    }
    if (found != w.m_Messages.end()) {
      if (erase) {
        ReleaseWindow(*found);
        w.m_Messages.erase(found);
        return;
      }
      std::string text = cmd->m_Text;
      if (P(cmd, 9)) ExpandMessageVars(text);
      int width = 0, height = 0;
      MeasureMessageText(text, &width, &height);
      if (width == found->m_nWidth && height == found->m_nHeight) {
        place = found;
        reuse = true;
      } else {
        ReleaseWindow(*found);
        place = w.m_Messages.insert(w.m_Messages.erase(found), cMessageWnd{});
      }
    } else if (erase) {
      return;
    }
  } else if (erase) {
    return;
  }
  // Seconds to frames in 32-bit arithmetic: a time from a file too large
  // for it wraps instead of overflowing.
  const int time = P(cmd, 17) ? 1 : static_cast<int32_t>(static_cast<uint32_t>(P(cmd, 7)) * 6u);
  const int pos = P(cmd, 0);
  int follow = 0;
  if (pos >= 1 && pos <= 3) follow = chara ? chara->m_nID : 0;
  else if (pos >= 4 && pos <= 6) follow = Player.empty() ? 0 : Player[0].m_nID;
  if (place == w.m_Messages.end()) {
    w.m_Messages.emplace_back();
    place = std::prev(w.m_Messages.end());
  }
  cMessageWnd& wnd = *place;
  wnd.Init(1, cmd->m_Text.c_str(), 0, 0, 0, pos, P(cmd, 1), P(cmd, 2), P(cmd, 3), P(cmd, 4), P(cmd, 5), P(cmd, 10),
           P(cmd, 6), time, P(cmd, 8), follow, chain, P(cmd, 9), P(cmd, 11), P(cmd, 16), P(cmd, 14), P(cmd, 12),
           P(cmd, 13), reuse ? 1 : 0);
  wnd.m_bHasId = P(cmd, 12) != 0 ? 1 : 0;
  wnd.m_nMessageId = P(cmd, 13);
  if (!P(cmd, 8)) return;
  const int display = P(cmd, 6);
  if (display == 0) {
    w.m_ModalWait.SetModalWait(1, 1, 0, chain);
    if (!chain) PlaySE(11);
  } else if (display == 2) {
    w.m_ModalWait.SetModalWait(1, 0, time, chain);
  } else {
    // Shown until the stage ends: the freeze has nothing to wait for, so it
    // is a wait of zero frames instead of the previous request.
    w.m_ModalWait.SetModalWait(1, 0, 0, chain);
  }
  const cMessageWnd* shown = &wnd;
  RunModalSubLoop();
  // The sub-loop may have ended the window itself: remove it only if it is there.
  for (auto it = w.m_Messages.begin(); it != w.m_Messages.end(); ++it) {
    if (&*it == shown) {
      ReleaseWindow(*it);
      w.m_Messages.erase(it);
      break;
    }
  }
}

void CmdStageClear(cCharaBase* chara, cCmdRun* run) { CurrentWorld().m_nClearResult = DoStageClear(chara, run->lpCmd); }
void CmdGameWait(cCharaBase* chara, cCmdRun* run) { DoGameWait(chara, run->lpCmd); }
void CmdMessage(cCharaBase* chara, cCmdRun* run) {
  const int chain = PlayScene && PlayScene->m_pCurFlowRun ? PlayScene->m_pCurFlowRun->bMessageChain : 0;
  DoMessage(chara, run->lpCmd, chain);
}

namespace {
// Item kinds 2..4 run the same bodies once; a stage clear ends the item's
// list with 1, which ends the stage.
int ItemCmdStageClear(cCharaBase* chara, cFlowCmd* cmd, cItem*) { return DoStageClear(chara, cmd); }
int ItemCmdGameWait(cCharaBase* chara, cFlowCmd* cmd, cItem*) {
  DoGameWait(chara, cmd);
  return 0;
}
// A second message of one list opens chained to the first.
int ItemCmdMessage(cCharaBase* chara, cFlowCmd* cmd, cItem*) {
  cPlayWorld& w = CurrentWorld();
  DoMessage(chara, cmd, w.m_bItemMessage);
  w.m_bItemMessage = 1;
  return 0;
}
}  // namespace

void RegisterControlCommands() {
  CommandTable[16] = CmdFlowControl;
  CommandTable[17] = CmdStageClear;
  CommandTable[18] = CmdGameWait;
  CommandTable[19] = CmdMessage;
  ItemCommandTable[2] = ItemCmdStageClear;
  ItemCommandTable[3] = ItemCmdGameWait;
  ItemCommandTable[4] = ItemCmdMessage;
}
