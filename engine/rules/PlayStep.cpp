// The play state's frame and its sub-steps, in the one order replays rely on.
#include "engine/rules/PlayStep.h"

#include <climits>

#include "data/Replay.h"
#include "data/SaveData.h"
#include "data/Stage.h"
#include "data/System.h"
#include "engine/Names.h"
#include "engine/Services.h"
#include "engine/World.h"
#include "engine/flow/Triggers.h"
#include "engine/objects/BlockCharaCache.h"
#include "engine/objects/BlockMap.h"
#include "engine/objects/CharaLoopMoves.h"
#include "engine/objects/Hits.h"
#include "engine/rules/Rules.h"
#include "engine/shots/Shot.h"

namespace {

constexpr int32_t kUnlimited = INT_MAX;

using CharaIt = cList<cChara>::iterator;

// Outcome of one sub-step: keep going, or the frame ends with this result.
struct StepEnd {
  bool ended = false;
  PlayFrameResult result = kFrameDone;
};
StepEnd Continue() { return {}; }
StepEnd End(PlayFrameResult r) { return {true, r}; }

// HitBlockCharas's own first checks, without the call: with no block
// character listed, a flyer's pass and that of a walker which neither rides
// nor touches a wall meet nothing and change nothing.
bool BlockCharaPassIdle(const cChara& c) {
  if (!NoBlockCharas()) return false;
  return c.m_bFly || (!c.m_bRiding && !c.m_WallL && !c.m_WallR && !c.m_WallU && !c.m_WallD);
}

class FrameRunner {
 public:
  explicit FrameRunner(cPlayWorld& w) : w_(w), hero_(Player[0]) {}

  StepEnd HeroDeath() {
    PlaySE(8);
    if (Defeat(&hero_) == 1) {
      EndStage();
      w_.SetSceneState(4, 0);
    }
    return End(kFrameHeroDeath);
  }
  StepEnd StageEnd() {
    EndStage();
    w_.SetSceneState(4, 0);
    return End(kFrameStageEnd);
  }
  // After a result of 1 (stage end) or 2 (hero death) from a rule.
  StepEnd OnRuleResult(int r) {
    if (r == 1) return StageEnd();
    if (r == 2) return HeroDeath();
    return Continue();
  }

  StepEnd SubStep() {
    UpdateActiveObjects();
    Timers();
    UpdateInvincibility(&hero_);
    hero_.ClearWallFlags();
    hero_.SavePrevBox();
    hero_.KeepFootBlock();
    w_.m_ScrollX.Update();
    w_.m_ScrollY.Update();
    StepEnd e;
    if (hero_.m_bDead == 0 && (e = Characters<true>()).ended) return e;
    if (hero_.m_bDead == 0 && (e = HeroStep()).ended) return e;
    if (hero_.m_bDead == 0 && (e = Characters<false>()).ended) return e;
    Shots();
    if (w_.m_nSubStep == 1 && hero_.m_bDead == 0) RemovalAreas();
    if (hero_.m_bDead == 0) {
      if ((e = OnRuleResult(ApplyFootBlockItem(&hero_))).ended) return e;
      if ((e = OnRuleResult(HitShotsAndCharas())).ended) return e;
    }
    if (hero_.m_bDead == 0 && (e = OnRuleResult(PickUpItems(&hero_))).ended) return e;
    return Continue();
  }

 private:
  // The life timers, then each remaining character's per-sub-step counters
  // and saved box. One pass over CharaList: a removal touches no other
  // character's counters or box, so the order of the two parts per
  // character does not matter.
  void Timers() {
    const bool timers = hero_.m_bDead == 0;
    for (CharaIt it = CharaList.begin(); it != CharaList.end();) {
      cChara& c = *it;
      if (timers && c.m_nLife != kUnlimited && c.m_bDead == 0 && --c.m_nLife < 0) {
        it = RemoveCharaNode(CharaList, it);
        continue;
      }
      UpdateInvincibility(&c);
      c.ClearWallFlags();
      c.SavePrevBox();
      ++it;
    }
    if (!timers) return;
    for (auto it = ItemList.begin(); it != ItemList.end();) {
      if (it->m_nLife != kUnlimited && --it->m_nLife < 0)
        it = ItemList.erase(it);
      else
        ++it;
    }
  }

  // A character's HP ran out in its flows. Sets `it` to the next node.
  StepEnd FlowDefeat(CharaIt& it) {
    int r = DefeatAndCheckEnd(&*it, CharaList);
    if (nm::sys::ShowDefeat(SystemData)) {
      if (r == 1) {
        it = RemoveCharaNode(CharaList, it);
        return End(kFrameStageEnd);
      }
      PlaySE(9);
      ++it;
    } else {
      it = RemoveCharaNode(CharaList, it);
    }
    if (r != 0) return End(r == 1 ? kFrameStageEnd : kFrameStopped);
    return Continue();
  }

  // Block characters (kBlocks) or the others, steps 5 and 7.
  template <bool kBlocks>
  StepEnd Characters() {
    // Without block characters in CharaList their pass would only skip.
    if (kBlocks && NoBlockCharas()) return Continue();
    // The first passes' notes let a recheck that cannot change anything
    // skip itself: only this character's movement runs in between. Kept
    // outside the loop: each character's HitMapX and HitMapY write their
    // flags before any recheck reads them, and the rest only with them.
    MapPassNote xNote, yNote;
    for (CharaIt it = CharaList.begin(); it != CharaList.end();) {
      cChara& c = *it;
      if ((nm::chara::BlockChara(c.m_Def) != 0) != kBlocks || c.m_bDead != 0 || !c.m_bActive || !c.m_bOperating) {
        ++it;
        continue;
      }
      RaiseEvent(&c, 0);
      // CharaList holds cChara objects themselves: its calls need no dispatch.
      if (c.cChara::UpdateFlows(0)) {
        if (!kBlocks && c.m_bRemovePending) {
          it = RemoveCharaNode(CharaList, it);
          continue;
        }
        StepEnd e = FlowDefeat(it);
        if (e.ended) return e;
        continue;
      }
      if (w_.m_bCheckDeaths && CheckDeaths()) return End(kFrameStopped);
      bool dying = false, remove = false;
      if (!kBlocks && c.m_bRiding) RideBlockChara(&c, CharaList);
      // The moves hand the map passes the box's edges they truncated.
      BoxTruncs edges;
      if (MoveCharaXInWorld(c, edges) == 4) remove = true;
      if (HitMapX(&c, &xNote, edges) == 2) dying = true;
      // A clear side pass moved nothing, and gravity and the Y move touch
      // no X field: edges.x and edges.right still hold. Else read again.
      if (!xNote.clear) {
        edges.x = TruncToInt(c.m_dX);
        edges.right = TruncToInt(c.m_dRight);
      }
      const int y = MoveCharaYInWorld<true>(c, edges, nm::stage::GravityStep(Stage));
      if (y == 7)
        dying = true;
      else if (y == 8)
        remove = true;
      if (HitMapY(&c, &yNote, xNote, edges) == 2) dying = true;
      if constexpr (!kBlocks) {
        if (!BlockCharaPassIdle(c) && HitBlockCharas(&c) == 2) dying = true;
        RecheckMaps(&c, xNote, yNote);
        if ((c.m_WallL && c.m_WallR) || (c.m_WallU && c.m_WallD)) dying = true;
      }
      if (dying) {
        PlaySE(9);
        int r = DefeatAndCheckEnd(&c, CharaList);
        if (r == 1) {
          RemoveCharaNode(CharaList, it);
          return End(kFrameStageEnd);
        }
        if (r != 0) return End(kFrameStopped);
        ++it;
      } else if (remove) {
        it = RemoveCharaNode(CharaList, it);
      } else {
        c.DecayImpacts();
        ++it;
      }
    }
    return Continue();
  }

  bool Crushed() const {
    return ((hero_.m_WallL && hero_.m_WallR) || (hero_.m_WallU && hero_.m_WallD)) && hero_.m_nCrushGrace == 0;
  }
  bool MayDie() const { return hero_.m_bDead == 0 && hero_.m_nCrushGrace == 0; }

  StepEnd HeroStep() {
    RaiseEvent(&hero_, 0);
    if (hero_.UpdateFlows(0)) return HeroDeath();
    if (w_.m_nClearResult == 1) return StageEnd();
    if (w_.m_nClearResult == 2) return HeroDeath();
    if (w_.m_bCheckDeaths && CheckDeaths()) return End(kFrameStopped);
    StepEnd e = OnRuleResult(ApplyFootBlockAction(&hero_));
    if (e.ended) return e;
    if (hero_.m_bRiding) RideBlockChara(&hero_, CharaList);
    hero_.MoveX();
    KeepHeroInScreenX(&hero_);
    if (HitMapX(&hero_) == 2) return HeroDeath();
    KeepHeroInScreenX(&hero_);
    hero_.ApplyCharaGravity();
    if (hero_.MoveY() == 7) return HeroDeath();
    if (KeepHeroInScreenY(&hero_) == 2) return HeroDeath();
    if (HitMapY(&hero_) == 2) return HeroDeath();
    if (KeepHeroInScreenY(&hero_) == 2) return HeroDeath();
    if (Crushed()) {
      hero_.RestorePrevBox();
      return HeroDeath();
    }
    if (HitBlockCharas(&hero_) == 2 && MayDie()) return HeroDeath();
    if ((hero_.m_WallL || hero_.m_WallR) && RecheckMapX(&hero_) == 2 && MayDie()) return HeroDeath();
    if ((hero_.m_WallU || hero_.m_WallD) && RecheckMapY(&hero_) == 2 && MayDie()) return HeroDeath();
    if (Crushed()) {
      hero_.RestorePrevBox();
      return HeroDeath();
    }
    hero_.DecayImpactX();
    hero_.DecayImpactY();
    return Continue();
  }

  void Shots() { StepShots(w_); }

  void RemovalAreas() {
    for (int blocks = 0; blocks < 2; ++blocks) {
      if (!(blocks ? w_.m_bRemoveBlockCharas : w_.m_bRemoveCharas)) continue;
      const cRemoveArea& area = Stage.m_RemoveAreas[blocks];
      for (CharaIt it = CharaList.begin(); it != CharaList.end();) {
        bool isBlock = nm::chara::BlockChara(it->m_Def) != 0;
        if (isBlock == (blocks != 0) && it->m_bDead == 0 && it->m_bActive && it->IsOutOfRange(area))
          it = RemoveCharaNode(CharaList, it);
        else
          ++it;
      }
    }
    if (w_.m_bRemoveItems) {
      for (auto it = ItemList.begin(); it != ItemList.end();) {
        if (it->IsOutOfRange(Stage.m_RemoveAreas[2]))
          it = ItemList.erase(it);
        else
          ++it;
      }
    }
  }

  cPlayWorld& w_;
  cHero& hero_;
};

}  // namespace

PlayFrameResult PlayFrame(cPlayWorld* world) {
  cPlayWorld& w = *world;
  if (w.m_bQuit) {
    WindowRequests().RequestClose();
    return kFrameQuit;
  }
  if (CheckPauseKey()) {
    w.SetSceneState(3, 0);
    return kFramePause;
  }
  if (Player.empty()) return kFrameStopped;
  w.m_nPlayFrames += 1;
  cHero& hero = Player[0];
  if (!PlayerInput.empty()) {
    cInput& in = PlayerInput[0];
    if (SceneValues().GameType() == 3) {
      in.ClearDirection();
      in.ClearButtons();
      if (Replay.PlayFrame(in.m_wDir, in.m_wButton)) {
        SaveData.RestoreCheckpoint(true);
        SetStage(&w, 1, 1);
        w.SetSceneState(1, 0);
        return kFrameReplayEnded;
      }
      in.m_nDirCode = cInput::GetDirection(in.m_wDir);
      in.UpdateHistory();
      in.UpdateCommandHistory();
    } else {
      if (hero.m_bClearInputDir) in.ClearDirection();
      if (hero.m_bClearInputButtons) in.ClearButtons();
      if (in.m_wButton == 0)
        w.m_bHoldButtons = 0;
      else if (w.m_bHoldButtons)
        in.m_wButton = 0;
      in.UpdateHistory();
      in.UpdateCommandHistory();
      if (nm::sys::ReplayRecording(SystemData)) Replay.RecordFrame(in.m_wDir, in.m_wButton);
    }
  }
  FrameRunner runner(w);
  CountPlayTime();
  if (TickTimeCounter(-1) && hero.m_bDead == 0) return runner.HeroDeath().result;

  ClearFlowTriggers(&hero);
  for (cChara& c : CharaList)
    if (c.m_bDead == 0) ClearFlowTriggers(&c);
  for (cChara& c : CharaList) c.m_bMovedThisUpdate = 0;
  hero.m_bMovedThisUpdate = 0;

  const int n = nm::stage::SubSteps(Stage);
  for (int c = 1; c <= n; ++c) {
    w.m_nSubStep = c;
    w.m_nSubStepTotal += 1;
    StepEnd e = runner.SubStep();
    if (e.ended) return e.result;
  }
  return kFrameDone;
}
