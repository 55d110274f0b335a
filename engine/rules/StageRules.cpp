// The stage-level rules of each frame: activity, clocks, condition lists,
// foot blocks, riding, item pick-up, defeat and the stage-end totals.
#include <algorithm>
#include <cstdint>

#include "base/FrameTimer.h"
#include "data/Cond.h"
#include "data/Ranking.h"
#include "data/SaveData.h"
#include "data/Stage.h"
#include "data/System.h"
#include "engine/Names.h"
#include "engine/Services.h"
#include "engine/World.h"
#include "engine/flow/Conditions.h"
#include "engine/flow/Triggers.h"
#include "engine/objects/BlockCharaCache.h"
#include "engine/objects/Hits.h"
#include "engine/rules/Rules.h"

namespace {

constexpr int kMaxPlayTime = 599999;

int StoredSubSteps() { return nm::stage::SubSteps(Stage); }

cHero* Hero() { return Player.empty() ? nullptr : &Player[0]; }

// The owner check shared by blocks, characters and items: an empty list
// allows, a latched list allows without evaluation, a list that holds
// latches.
template <class Latch>
int OwnerCheck(const cVector<cCond>& conds, int mode, int latchByte, Latch& latched, cCharaBase* subject) {
  if (conds.empty()) return 1;
  if (latchByte && latched) return 1;
  if (!CheckCondList(conds, mode, subject)) return 0;
  latched = 1;
  return 1;
}

int Inclusive(const cRectD& a, const cRectD& b) {
  return a.left <= b.right && a.right >= b.left && a.top <= b.bottom && a.bottom >= b.top;
}

cRectD BoxOf(const cGameObj& o) { return cRectD{o.m_dX, o.m_dY, o.m_dRight, o.m_dBottom}; }

int Contains(const cGameObj& o, double x, double y) {
  return x >= o.m_dX && x <= o.m_dRight && y >= o.m_dY && y <= o.m_dBottom;
}

bool IsLiveBlockChara(const cChara& c, int exceptId) {
  return nm::chara::BlockChara(c.m_Def) && !c.m_bDead && c.m_bActive && c.m_nID != exceptId;
}

}  // namespace

void ModalWait::SetModalWait(int kind, int waitKey, int frames, int keepKeys) {
  nKind = kind;
  bWaitKey = waitKey;
  nFrames = frames;
  nCount = 0;
  nKeyDelay = (waitKey && kind == 1 && !keepKeys) ? 10 : 0;
}

int CheckPauseKey() {
  if (!KeyState().IsDown(IKeyState::kSpace)) return 0;
  PlaySE(4);
  cPlayWorld& w = CurrentWorld();
  w.m_nSavedState = w.SceneState();
  w.m_nSavedSubState = w.SceneSubState();
  return 1;
}

int UpdateActiveObjects() {
  cPlayWorld& w = CurrentWorld();
  // The camera as IsOnScreen reads it, with the same sums for the far edges;
  // read again after a condition list is evaluated, the only call here that
  // runs more than this pass's own code.
  double cx = 0, cy = 0, cxEnd = 0, cyEnd = 0;
  auto readCamera = [&] {
    cx = w.m_ScrollX.m_dPos, cy = w.m_ScrollY.m_dPos;
    cxEnd = cx + 640, cyEnd = cy + 480;
  };
  readCamera();
  auto onScreen = [&](const cGameObj& o) {
    return o.m_dRight >= cx && cxEnd > o.m_dX && o.m_dBottom >= cy && cyEnd > o.m_dY ? 1 : 0;
  };
  for (cHero& hero : Player) {
    hero.m_bActive = 1;
    hero.m_bOnScreen = 1;
  }
  w.m_GroupActive.assign(kActivityGroups, 0);
  for (cChara& c : CharaList) {
    // An empty list allows without a call.
    bool active = true;
    if (!c.m_Def.m_Conds.empty()) {
      active = CheckCharaCondition(&c) != 0;
      readCamera();
    }
    if (active) {
      c.m_bActive = 1;
      c.m_bOnScreen = onScreen(c);
      c.UpdateActiveRange(w.m_GroupActive, cx, cy);
    } else {
      c.m_bActive = 0;
      c.m_bOnScreen = 0;
    }
  }
  const cScreenCamera camera = CurrentScreenCamera();
  UpdateOperatingAll(CharaList, w.m_GroupActive, camera);
  for (cItem& item : ItemList) {
    item.m_bActive = CheckItemCondition(&item);
    readCamera();
    item.m_bOnScreen = item.m_bActive ? onScreen(item) : 0;
  }
  for (cShot& shot : w.m_Shots) {
    shot.m_bActive = 1;
    shot.m_bOnScreen = onScreen(shot);
  }
  return 0;
}

int TickTimeCounter(int delta) {
  cPlayWorld& w = CurrentWorld();
  if (w.m_bNoTimeLimit) return 0;
  if (!CountCycle(1, 60)) return 0;
  int64_t t = static_cast<int64_t>(w.m_nTime) + delta;
  if (t > 999) {
    w.m_nTime = 999;
    return 0;
  }
  if (t <= 0) {
    w.m_nTime = 0;
    return 1;
  }
  w.m_nTime = static_cast<int32_t>(t);
  return 0;
}

void CountPlayTime() {
  cPlayWorld& w = CurrentWorld();
  if (w.m_nPlayTime >= kMaxPlayTime) return;
  w.m_nFrameCount++;
  int64_t t = static_cast<int64_t>(w.m_nFrameCount) * 100 / 60;
  w.m_nPlayTime = static_cast<int32_t>(t > kMaxPlayTime ? kMaxPlayTime : t);
}

int CheckBlockCondition(cBlockCell* cell) {
  return OwnerCheck(cell->m_Conds, cell->m_CondMode, cell->m_CondLatch, cell->bCondLatched, Hero());
}

int CheckCharaCondition(cCharaBase* chara) {
  const cCharaDef& d = chara->m_Def;
  return OwnerCheck(d.m_Conds, d.m_CondMode, d.m_CondLatch, chara->m_byCondLatch, chara);
}

int CheckItemCondition(cItem* item) {
  const cItemDef& d = item->m_Def;
  return OwnerCheck(d.m_Conds, d.m_CondMode, d.m_CondLatch, item->m_byCondLatch, Hero());
}

int ApplyFootBlockAction(cHero* hero) {
  if (hero->m_bFly) return 0;
  const int n = StoredSubSteps();
  cBlockDef* foot = hero->m_lpFootBlock;
  if (foot && hero->m_nFootActionLeft == 0 && static_cast<cBlockCell*>(foot)->HitType(hero->m_nBlockSide) != 0) {
    int p = nm::block::FootActionParam(*foot);
    int kind = nm::block::FootAction(*foot);
    switch (kind) {
      case 1:
        PlaySE(10);
        hero->m_dVY = hero->JumpSpeedHbl(static_cast<int8_t>(p));
        hero->m_bJumping = hero->m_bJumpRise = 1;
        hero->m_bJumpReady = 0;
        hero->m_nJumpHold = cCharaBase::FramesFromSpeed(hero->m_dVY);
        break;
      case 2:
        hero->m_bNoJumpBlock = 1;
        break;
      case 3:
        hero->m_nFootAction = 3;
        hero->m_dFootActionValue = p * 0.01;
        hero->m_nFootActionLeft = n;
        break;
      case 4:
      case 5:
        hero->m_nFootAction = kind;
        hero->m_dFootActionValue = p * 0.1 / n;
        hero->m_nFootActionLeft = n;
        break;
      default:
        break;
    }
    if (kind != 2) hero->m_bNoJumpBlock = 0;
  }
  if (hero->m_nFootActionLeft != 0) {
    switch (hero->m_nFootAction) {
      case 3:
        hero->m_dVX *= hero->m_dFootActionValue;
        break;
      case 4:
        hero->m_dVX -= hero->m_dFootActionValue;
        if (hero->m_ImpactX > 0) hero->m_ImpactX = 0;
        break;
      case 5:
        hero->m_dVX += hero->m_dFootActionValue;
        if (hero->m_ImpactX < 0) hero->m_ImpactX = 0;
        break;
      default:
        break;
    }
    if (--hero->m_nFootActionLeft == 0 && hero->m_dVY >= 0) hero->m_dVY += 1.0;
  }
  return 0;
}

int ApplyFootBlockItem(cHero* hero) {
  if (hero->m_bFly) return 0;
  bool applied = false;
  cBlockDef* foot = hero->m_lpFootBlock;
  if (foot && static_cast<cBlockCell*>(foot)->HitType(hero->m_nBlockSide) != 0 && hero->m_nFootItemWait == 0) {
    const cItemDef* def = GetPaletteItemDef(nm::block::ItemKind(*foot), nm::block::ItemIndex(*foot));
    if (def) {
      cItem item;
      item.InitFromDef(0, def, 0);
      item.m_bActive = 1;
      applied = true;
      int r = ApplyItem(&item, hero);
      if (r) return r;
      hero->m_nFootItemWait = StoredSubSteps() * 60;
    }
  }
  if (hero->m_nFootItemWait != 0) {
    if (!hero->IsOnGround()) {
      hero->m_nFootItemWait = 0;
    } else {
      if (hero->m_nFootItemWait > 0) hero->m_nFootItemWait--;
      if (!applied && hero->m_lpLandBlock != hero->m_lpPrevLandBlock) {
        hero->m_nFootItemWait = 0;
        if (hero->m_dVY >= 0) hero->m_dVY += 1.0;
      }
    }
  }
  return 0;
}

int RideBlockChara(cCharaBase* rider, cList<cChara>& list) {
  if (rider->m_bFly) return 0;
  cChara* carrier = nullptr;
  for (cChara& c : list)
    if (c.m_nID == rider->m_nRideId) {
      carrier = &c;
      break;
    }
  if (!carrier) return 0;
  rider->m_dVX += carrier->m_dX - rider->m_RideBox.left;
  if (carrier->m_bFly || !carrier->IsOnGround()) rider->m_dVY = carrier->m_dY - rider->m_RideBox.top;
  if (rider->m_nObjKind == 0) RaiseEventWith(carrier, 16, rider, 0);
  RaiseEventWith(carrier, 17, rider, 0);
  return 0;
}

int OverlapsBlockChara(cGameObj* obj, cList<cChara>& list) {
  if (obj->m_bFly && obj->m_byFlyHit == 0) return 0;
  cRectD box = BoxOf(*obj);
  auto overlaps = [&](const cChara& c) { return IsLiveBlockChara(c, obj->m_nID) && Inclusive(BoxOf(c), box); };
  if (&list == &CharaList) {
    for (const cChara& c : BlockCharas())
      if (overlaps(c)) return 1;
    return 0;
  }
  return std::ranges::any_of(list, overlaps) ? 1 : 0;
}

int BlockCharaInPath(cGameObj* obj, const cRectD& box) {
  if (obj->m_bFly && obj->m_byFlyHit == 0) return 0;
  // No corner can be covered without a block character.
  if (BlockCharaCandidates().empty()) return 0;
  const double ox[4] = {obj->m_dX, obj->m_dRight, obj->m_dX, obj->m_dRight};
  const double oy[4] = {obj->m_dY, obj->m_dY, obj->m_dBottom - 1, obj->m_dBottom - 1};
  const double bx[4] = {box.left, box.right, box.left, box.right};
  const double by[4] = {box.top, box.top, box.bottom - 1, box.bottom - 1};
  for (int k = 0; k < 4; ++k) {
    bool covered = false;
    for (cChara& c : BlockCharas()) {
      if (!IsLiveBlockChara(c, obj->m_nID)) continue;
      if (Contains(c, ox[k], oy[k]) || Contains(c, bx[k], by[k])) {
        covered = true;
        break;
      }
    }
    if (!covered) return 0;
  }
  return 1;
}

int ApplyItem(cItem* item, cCharaBase* chara) {
  if (!item || !item->m_bActive) return 0;
  cItemDef& d = item->m_Def;
  if (nm::item::TakeMode(d) == 2) return 0;
  if (nm::item::ShowMessage(d))
    ShowItemMessage(chara, nm::item::MessageKind(d), nm::item::MessageNumber(d), nm::item::MessageSub(d));
  PlayStageSE(nm::item::Sound(d));
  return RunItemCommands(chara, d.m_Commands);
}

int PickUpItems(cHero* hero) {
  const int bw = hero->m_HitBoxItem.nW, bh = hero->m_HitBoxItem.nH;
  cRectD pick{hero->m_dX + hero->m_HitBoxItem.nOfsX, hero->m_dY + hero->m_HitBoxItem.nOfsY, 0, 0};
  pick.right = pick.left + bw - 1;
  pick.bottom = pick.top + bh - 1;
  if (bw <= 0 || bh <= 0) pick = BoxOf(*hero);
  for (auto it = ItemList.begin(); it != ItemList.end();) {
    cItem& item = *it;
    int m = nm::item::TakeMode(item.m_Def);
    if (!item.m_bActive || item.m_bHeld || m == 2) {
      ++it;
      continue;
    }
    if (Inclusive(pick, BoxOf(item))) {
      RaiseEvent(hero, 8);
      int r = 0;
      bool counts = true;
      if (m == 1) {
        counts = hero->HasNotTaken(&item);
        if (counts) hero->m_Taken.push_back(item.m_nID);
      }
      if (counts) r = ApplyItem(&item, hero);
      if (m == 0 && counts) {
        hero->ForgetTaken(&item);
        it = ItemList.erase(it);
      } else {
        ++it;
      }
      if (r) return r;
    } else {
      if (m == 1) hero->ForgetTaken(&item);
      ++it;
    }
  }
  return 0;
}

int DefeatAndCheckEnd(cCharaBase* chara, cList<cChara>&) {
  cPlayWorld& w = CurrentWorld();
  int r = KillChara(chara);
  if (r == 1) {
    EndStage();
    w.SetSceneState(4, 0);
  } else if (r == 2) {
    PlaySE(8);
    if (Hero() && Defeat(Hero()) == 1) {
      EndStage();
      w.SetSceneState(4, 0);
    }
  }
  return r;
}

void EndStage() {
  cPlayWorld& w = CurrentWorld();
  PlaySE(14);
  AddStageTotals();
  w.m_bRankDone = 0;
  w.m_bNewRank = 0;
  w.m_RankPlaces.assign(kRankCategories, -1);
  // A start file ranks every clear; other play only ranks the clear of the
  // last stage, and only while the game records rankings.
  const ISceneValues& scene = SceneValues();
  if (!scene.StartFilePlay() && !(scene.RankingsOn() && scene.IsFinalStage(w.m_nClearDest))) return;
  for (int i = 0; i < kRankCategories; ++i) w.m_RankValues[static_cast<size_t>(i)] = nm::save::RankTotal(SaveData, i);
  if (SceneValues().StartedByEditor()) return;
  int type = SceneValues().GameType();
  const cVector<cMenuSetting>& menus = nm::sys::RankingMenus(SystemData);
  if (type < 0 || static_cast<size_t>(type) >= menus.size()) return;
  const cMenuSetting& menu = menus[static_cast<size_t>(type)];
  for (int i = 0; i < kRankCategories; ++i) {
    size_t k = static_cast<size_t>(i);
    if (k >= menu.m_Categories.size() || !menu.m_Categories[k]) continue;
    if (k >= Stage.m_RankFlags.size() || !Stage.m_RankFlags[k]) continue;
    if (k >= Ranking.m_Tables.size()) continue;
    w.m_RankPlaces[k] = Ranking.m_Tables[k].FindRank(w.m_RankValues[k]);
    if (w.m_RankPlaces[k] != -1) w.m_bNewRank = 1;
  }
}

void AddStageTotals() {
  cPlayWorld& w = CurrentWorld();
  cHero* hero = Hero();
  int32_t oldScore = nm::save::RankTotal(SaveData, 0);
  int64_t newScore = static_cast<int64_t>(oldScore) + nm::save::StageScore(SaveData);
  auto clampAdd = [](int32_t& total, int64_t add) {
    int64_t v = static_cast<int64_t>(total) + add;
    total = static_cast<int32_t>(v > INT32_MAX ? INT32_MAX : v < INT32_MIN ? INT32_MIN : v);
  };
  clampAdd(nm::save::RankTotal(SaveData, 0), nm::save::StageScore(SaveData));
  if (nm::stage::TimeLimitOn(Stage)) clampAdd(nm::save::RankTotal(SaveData, 1), w.m_nTime);
  clampAdd(nm::save::RankTotal(SaveData, 2), w.m_nPlayTime);
  if (hero) {
    clampAdd(nm::save::RankTotal(SaveData, 3), hero->m_nHp);
    clampAdd(nm::save::RankTotal(SaveData, 4), hero->m_nSp);
  }
  int32_t& lives = nm::save::Lives(SaveData);
  int d = nm::sys::ExtraLifeScore(SystemData);
  if (lives == kInfiniteLives || !nm::sys::ExtraLife(SystemData) || d == 0) return;
  if (newScore > INT32_MAX) newScore = INT32_MAX;
  int64_t e = newScore / d - oldScore / d;
  for (int64_t step = 0; step < e; ++step) {
    lives = lives + 1 >= 100 ? 99 : lives + 1;
    PlaySE(15);
    // The notice rises over the hero, where it first appeared, and counts
    // down while the game is frozen for it.
    cMessageWnd notice;
    notice.Init(3, "", 0, 0, 0, 4, 0, 0, 0, 0, 0, 1, 2, 30, 1, hero ? hero->m_nID : 0, 0, 0, 0, 0, 0, 0, 0);
    w.m_Messages.push_back(notice);
    w.m_ModalWait.SetModalWait(4, 0, 30, 0);
    ModalLoop().RunModalWait();
    w.m_Messages.pop_back();
    if (w.m_bQuit) {
      WindowRequests().RequestClose();
      break;
    }
  }
}
