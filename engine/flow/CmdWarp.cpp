// The warp, target, status-switch, vanish and get-item commands.
#include <algorithm>
#include <cmath>

#include "base/Log.h"
#include "data/CommonPalette.h"
#include "data/Stage.h"
#include "data/System.h"
#include "engine/Names.h"
#include "engine/World.h"
#include "engine/flow/MiscCommands.h"
#include "engine/flow/MoveCommands.h"
#include "engine/objects/BlockMap.h"
#include "engine/objects/Motion.h"

namespace {
constexpr double kInvSqrt2 = 0.7071067811865476;
// Vanishing a tree of summoned characters stops this deep.
constexpr int kMaxTreeDepth = 1000;
// A get-item command that (through its item) reaches itself stops this deep.
constexpr int kMaxGetItemDepth = 32;
int getItemDepth = 0;

// Without a move-direction resolver the plain codes pass as they are.
// A warp in the input direction reads the stick as it is now; left and right
// held together (an unclear input) warp in the facing direction.
int WarpDirection(cCharaBase* who, int kind, int diagonal) { return ResolveDirection(who, kind, 1, 0, diagonal); }

void SetX(cCharaBase* c, double x) {
  c->m_dX = x;
  c->m_dRight = x + c->m_nW - 1;
  c->ClampX();
}
void SetY(cCharaBase* c, double y) {
  c->m_dY = y;
  c->m_dBottom = y + c->m_nH - 1;
  c->ClampY();
}
void RefreshScreenPos(cCharaBase* c) {
  if (cHero* hero = dynamic_cast<cHero*>(c))
    hero->UpdateScreenPos();
  else
    c->UpdateScreenPos();
}

// Shot removal: the back links of its owner and target go, its faction list
// forgets it, and the scene's list destroys it.
void DestroyShotAndLinks(cShot* shot) {
  cPlayWorld& w = CurrentWorld();
  for (cCharaBase* c : {shot->m_lpOwner, shot->m_lpTarget}) {
    if (!c) continue;
    auto& links = c->m_ShotLinks;
    links.erase(std::remove_if(links.begin(), links.end(), [&](const ShotLink& l) { return l.lpShot == shot; }),
                links.end());
  }
  for (ShotPtrList& list : w.m_FactionShots) list.remove(shot);
  for (auto it = w.m_Shots.begin(); it != w.m_Shots.end(); ++it) {
    if (&*it == shot) {
      w.m_Shots.erase(it);
      break;
    }
  }
}
}  // namespace

int (*WarpResolveDirection)(cCharaBase* who, int kind, int diagonal) = WarpDirection;

void DoWarp(cCharaBase* chara, cFlowCmd* cmd) {
  if (!chara || !cmd || !nm::cmd::Move(*cmd)) return;  // no move record: nothing
  const cEdMove& mv = *nm::cmd::Move(*cmd);
  chara->m_bScreenAnchorX = chara->m_bScreenAnchorY = 0;
  const double x0 = chara->m_dX, y0 = chara->m_dY, r0 = chara->m_dRight, b0 = chara->m_dBottom;
  const int mode = static_cast<uint8_t>(nm::move::byMode(mv));
  if (mode <= 4) {
    const double g = (static_cast<double>(nm::move::sDistance(mv)) +
                      static_cast<double>(nm::move::sDistanceStep(mv)) * chara->m_wSpawnTag) *
                     16;
    cCharaBase* ref = chara;
    if (mode >= 1) {
      ref = chara->m_Targets.At(mode - 1);
      if (!ref) return;
      SetX(chara, ref->m_dX - ref->m_nPicOfsX + ref->m_nPicW / 2 + chara->m_nPicOfsX - chara->m_nPicW / 2);
      SetY(chara, ref->m_dY - ref->m_nPicOfsY + ref->m_nPicH / 2 + chara->m_nPicOfsY - chara->m_nPicH / 2);
    }
    const int diagonal = !nm::sys::Legacy721(SystemData) || ref->m_bFly;
    const int code = WarpResolveDirection(ref, static_cast<uint8_t>(nm::move::byDir(mv)), diagonal);
    double dx = 0, dy = 0;
    switch (code) {
      case 2: dx = -g; break;
      case 3: dx = g; break;
      case 6: dy = -g; break;
      case 7: dy = g; break;
      case 8: dx = -g * kInvSqrt2; dy = -g * kInvSqrt2; break;
      case 9: dx = -g * kInvSqrt2; dy = g * kInvSqrt2; break;
      case 10: dx = g * kInvSqrt2; dy = -g * kInvSqrt2; break;
      case 11: dx = g * kInvSqrt2; dy = g * kInvSqrt2; break;
      default: break;
    }
    if (dx != 0) SetX(chara, chara->m_dX + dx);
    if (dy != 0) SetY(chara, chara->m_dY + dy);
  } else if (mode == 5) {
    double gx = nm::move::sTargetXBl(mv) * 32.0 + nm::move::sTargetXDot(mv);
    double gy = nm::move::sTargetYBl(mv) * 32.0 + nm::move::sTargetYDot(mv);
    if (chara->m_bFaceRight && nm::move::bMirrorX(mv)) gx = -gx;
    if (chara->m_bFaceRight && nm::move::bMirrorY(mv)) gy = -gy;
    switch (nm::move::byPosMode(mv)) {
      case 0:
        SetX(chara, chara->m_dX + gx);
        SetY(chara, chara->m_dY + gy);
        break;
      case 1:
        chara->PlaceAtBlockX(nm::move::sTargetXBl(mv));
        SetX(chara, chara->m_dX + nm::move::sTargetXDot(mv));
        chara->PlaceAtBlockY(nm::move::sTargetYBl(mv));
        SetY(chara, chara->m_dY + nm::move::sTargetYDot(mv));
        break;
      case 2:
        SetX(chara, chara->m_nPicOfsX + CurrentWorld().m_ScrollX.m_dPos + gx);
        SetY(chara, chara->m_nPicOfsY + CurrentWorld().m_ScrollY.m_dPos + gy);
        break;
      default:
        break;
    }
  }
  RefreshScreenPos(chara);
  if (!chara->IsInStage(0) || IsPlaceBlocked(chara)) {
    // The warp does not happen.
    chara->m_dX = x0;
    chara->m_dY = y0;
    chara->m_dRight = r0;
    chara->m_dBottom = b0;
    chara->ClampY();
    chara->ClampX();
    RefreshScreenPos(chara);
    return;
  }
  if (!chara->m_bFly) chara->m_dVY = 0;
  if (mode == 5 && nm::move::byPosMode(mv) == 2) {
    chara->m_bScreenAnchorX = chara->m_bScreenAnchorY = 1;
    chara->m_nScreenAnchorX = chara->m_nScrLeft;
    chara->m_nScreenAnchorY = chara->m_nScrTop;
  }
}

void DoSetTarget(cCharaBase* chara, cFlowCmd* cmd) {
  if (!chara || !cmd) return;
  const auto& p = nm::cmd::Params(*cmd);
  cPlayWorld& w = CurrentWorld();
  const int px = chara->ScreenCenterX(), py = chara->ScreenCenterY();
  CharaFilter f;
  f.bExclId = p.At(5);
  f.nId = chara->m_nID;
  f.bExclInv1 = p.At(6);
  f.bExclInv2 = p.At(7);
  f.bExclBlock = p.At(8);
  f.bFaction = p.At(9);
  f.nFaction = p.At(10);
  f.bVar = p.At(11);
  f.nVar = p.At(12);
  f.nValue = p.At(13);
  f.nCmp = p.At(14);
  const int faction = p.At(2);
  const bool validFaction = faction >= 0 && faction < static_cast<int>(w.m_FactionCharas.size());
  cCharaBase* found = nullptr;
  switch (p.At(1)) {
    case 0: found = Player.empty() ? nullptr : &Player[0]; break;
    case 1: found = chara; break;
    case 2:
      if (p.At(3)) {
        CharaPtrList winners;
        for (const CharaPtrList& list : w.m_FactionCharas)
          if (cCharaBase* c = FindNearestChara(px, py, list, p.At(4), f)) winners.push_back(c);
        found = FindNearestChara(px, py, winners, p.At(4), f);
      } else if (validFaction) {
        found = FindNearestChara(px, py, w.m_FactionCharas[static_cast<size_t>(faction)], p.At(4), f);
      }
      break;
    case 3:
      if (p.At(3)) {
        for (const CharaPtrList& list : w.m_FactionCharas)
          if ((found = FindCharaInList(list, f))) break;
      } else if (validFaction) {
        found = FindCharaInList(w.m_FactionCharas[static_cast<size_t>(faction)], f);
      }
      break;
    case 4: found = chara->m_lpParent; break;
    case 5:
      for (auto it = chara->m_Links.rbegin(); it != chara->m_Links.rend(); ++it)
        if (it->nSlot == 4) {
          found = it->lpChara;
          break;
        }
      break;
    case 6: {
      CharaIdTable children;
      for (const CharaLink& l : chara->m_Links)
        if (l.nSlot == 4) children.emplace_back(l.lpChara, l.lpChara ? l.lpChara->m_nID : 0);
      for (auto it = children.rbegin(); it != children.rend() && !found; ++it)
        if (PassesCharaFilter(it->first, f)) found = it->first;
      break;
    }
    case 7: case 8: case 9: case 10: found = chara->m_Targets.At(p.At(1) - 7); break;
    default: break;
  }
  if (p.At(15) == 0)
    SetTargetSlot(chara, p.At(0), found, 1);
  else if (p.At(15) == 1)
    SetTargetSlot(chara, p.At(0), found, 0);
}

void VanishCharacter(cCharaBase* chara) {
  if (!chara) return;
  if (chara->m_nObjKind == 1)
    chara->m_bVanished = 1;
  else if (chara->m_nObjKind == 0)
    chara->m_nHp = 0;
}

void DoStatusOperation2(cCharaBase* chara, cFlowCmd* cmd) {
  if (!chara || !cmd) return;
  const auto& p = nm::cmd::Params(*cmd);
  const int owner = p.At(0), item = p.At(1), value = p.At(2);
  cPlayWorld& w = CurrentWorld();
  if (owner == 5) {
    if (item == 0) {
      Stage.m_AutoScrollX = value;
      w.m_ScrollX.SetAutoSpeed(value, Stage.m_AutoSpeedX);
    } else if (item == 1) {
      Stage.m_AutoScrollY = value;
      w.m_ScrollY.SetAutoSpeed(value, Stage.m_AutoSpeedY);
    }
    return;
  }
  cCharaBase* obj = chara;
  if (owner >= 1 && owner <= 4) obj = chara->m_Targets.At(owner - 1);
  else if (owner != 0) return;
  if (!obj) return;
  cHero* hero = dynamic_cast<cHero*>(obj);
  switch (item) {
    case 0:
      VanishCharacter(obj);
      if (obj != chara) w.m_bCheckDeaths = 1;
      break;
    case 1: obj->m_Def.m_Transparent = static_cast<decltype(obj->m_Def.m_Transparent)>(value); break;
    case 2: obj->m_Def.m_FixedFacing = static_cast<decltype(obj->m_Def.m_FixedFacing)>(value); break;
    case 3:
      if (hero) hero->SetFlyStatus(value, 1);
      break;
    case 4: obj->m_Def.m_Invincible = static_cast<decltype(obj->m_Def.m_Invincible)>(value); break;
    case 5: {
      const int old = obj->Scale();
      obj->SetScale(value, old);
      nm::chara::SetMagnification(obj->m_Def, value);
      if (hero) hero->BuildParts();
      break;
    }
    case 6:
      obj->m_Def.m_ScrollSync = static_cast<decltype(obj->m_Def.m_ScrollSync)>(value);
      obj->m_bScrollSync = value;
      break;
    default: break;
  }
}

void VanishShotsOf(cCharaBase* chara) {
  if (!chara) return;
  cPlayWorld& w = CurrentWorld();
  for (size_t i = 0; i < chara->m_ShotLinks.size();) {
    const ShotLink link = chara->m_ShotLinks[i];
    if (link.nKind != 4 || !link.lpShot || !link.lpShot->m_bActive) {
      ++i;
      continue;
    }
    if (w.m_bHitTesting) {
      link.lpShot->m_bNoHit = 1;
      ++w.m_nNoHitMarks;
      ++i;
      continue;
    }
    const size_t before = chara->m_ShotLinks.size();
    DestroyShotAndLinks(link.lpShot);
    // The links changed: scan again from the start.
    if (chara->m_ShotLinks.size() != before) i = 0;
    else ++i;
  }
}

void VanishDescendantTree(cCharaBase* chara, int depth, int withShots) {
  if (!chara || depth > kMaxTreeDepth) return;
  // A copy: vanishing never edits the links, but the shot removal may touch them.
  const cVector<CharaLink> links = chara->m_Links;
  for (const CharaLink& l : links) {
    if (l.nSlot != 4 || !l.lpChara || !l.lpChara->m_bActive) continue;
    if (withShots) VanishShotsOf(l.lpChara);
    VanishDescendantTree(l.lpChara, depth + 1, withShots);
    VanishCharacter(l.lpChara);
    CurrentWorld().m_bCheckDeaths = 1;
  }
}

void DoVanish(cCharaBase* chara, cFlowCmd* cmd) {
  if (!chara || !cmd) return;
  const auto& p = nm::cmd::Params(*cmd);
  cPlayWorld& w = CurrentWorld();
  const int faction = p.At(1);
  const bool all = p.At(2) == 1;
  switch (p.At(0)) {
    case 0:
      if (faction < 0 || faction >= static_cast<int>(w.m_FactionCharas.size())) return;
      for (cCharaBase* c : w.m_FactionCharas[static_cast<size_t>(faction)]) {
        if (!c || !c->m_bActive || !(all || c->IsOnScreen())) continue;
        VanishCharacter(c);
        if (c != chara) w.m_bCheckDeaths = 1;
      }
      break;
    case 1: {
      if (faction < 0 || faction >= static_cast<int>(w.m_FactionShots.size())) return;
      const ShotPtrList shots = w.m_FactionShots[static_cast<size_t>(faction)];
      for (cShot* s : shots) {
        if (!s || !s->m_bActive || !(all || s->IsOnScreen())) continue;
        if (w.m_bHitTesting) {
          s->m_bNoHit = 1;
          ++w.m_nNoHitMarks;
        } else {
          DestroyShotAndLinks(s);
        }
      }
      break;
    }
    case 2: VanishDescendantTree(chara, 0, 0); break;
    case 3: VanishShotsOf(chara); break;
    case 4:
      VanishShotsOf(chara);
      VanishDescendantTree(chara, 0, 1);
      break;
    case 5: VanishDescendantTree(chara, 0, 1); break;
    default: break;
  }
}

void DoGetItem(cCharaBase*, cFlowCmd* cmd) {
  if (!cmd || Player.empty()) return;
  const auto& p = nm::cmd::Params(*cmd);
  cVector<cItemDef>* list = nullptr;
  if (p.At(0) == 0) list = &CommonPalette.m_Items;
  else if (p.At(0) == 1) list = &Stage.m_PaletteItems;
  const int index = p.At(1);
  if (!list || index < 0 || index >= static_cast<int>(list->size())) return;  // absent item: nothing
  if (getItemDepth >= kMaxGetItemDepth) {
    WriteLog("get-item nested deeper than %d levels: stopped", kMaxGetItemDepth);
    return;
  }
  ++getItemDepth;
  const int result = RunItemCommands(&Player[0], (*list)[static_cast<size_t>(index)].m_Commands);
  --getItemDepth;
  // A nested list that cleared the stage is not undone by an outer result.
  cPlayWorld& w = CurrentWorld();
  if (w.m_nClearResult != 1) w.m_nClearResult = result;
}

namespace {
void CmdWarp(cCharaBase* chara, cCmdRun* run) { DoWarp(chara, run->lpCmd); }
void CmdSetTarget(cCharaBase* chara, cCmdRun* run) { DoSetTarget(chara, run->lpCmd); }
void CmdStatusOperation2(cCharaBase* chara, cCmdRun* run) { DoStatusOperation2(chara, run->lpCmd); }
void CmdVanish(cCharaBase* chara, cCmdRun* run) { DoVanish(chara, run->lpCmd); }
void CmdGetItem(cCharaBase* chara, cCmdRun* run) { DoGetItem(chara, run->lpCmd); }
}  // namespace

void RegisterWarpCommands() {
  CommandTable[20] = CmdWarp;
  CommandTable[21] = CmdSetTarget;
  CommandTable[23] = CmdStatusOperation2;
  CommandTable[24] = CmdVanish;
  CommandTable[25] = CmdGetItem;
}
