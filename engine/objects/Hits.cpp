// Hits between objects: shots against characters, bodies against bodies,
// shots against shots, and the death check of a sub-step.
#include "engine/objects/Hits.h"

#include <algorithm>
#include <iterator>
#include <vector>

#include "data/ItemDef.h"
#include "data/Stage.h"
#include "data/System.h"
#include "engine/Names.h"
#include "engine/Services.h"
#include "engine/World.h"
#include "engine/flow/Triggers.h"
#include "engine/objects/CharaBase.h"
#include "engine/objects/CharaHitIndex.h"
#include "engine/rules/Rules.h"
#include "engine/shots/Shot.h"

namespace {

constexpr int kSeHit = 7, kSeHeroDefeated = 8, kSeCharaDefeated = 9;

bool OnScreenOnly() { return nm::stage::OnScreenHitsOnly(Stage) != 0; }
// IsOnScreen inlined; the camera is read on every call.
bool OnScreen(const cGameObj* o) {
  const cPlayWorld& w = CurrentWorld();
  return o->IsOnScreenAt(w.m_ScrollX.m_dPos, w.m_ScrollY.m_dPos) != 0;
}
bool IsBlockChara(const cCharaBase* c) { return nm::chara::BlockChara(c->m_Def) != 0; }

cRectD ObjRect(const cGameObj* o) { return cRectD{o->m_dX, o->m_dY, o->m_dRight, o->m_dBottom}; }

// Takes a shot out of its faction list and the shot list (unlinking it).
void DestroyShot(cShot* shot) {
  cList<cShot>& shots = CurrentWorld().m_Shots;
  for (auto it = shots.begin(); it != shots.end(); ++it) {
    if (&*it == shot) {
      RemoveShot(shots, it);
      return;
    }
  }
}

// The sub-step's entry of the shot-hit mask; sub-steps count from 1.
bool ShotHitsThisSubStep(const cPlayWorld& w) {
  if (nm::stage::ShotHitChecks(Stage) == 0) return true;
  const int i = w.m_nSubStep - 1;
  if (i < 0 || static_cast<size_t>(i) >= w.m_ShotHitMask.size()) return true;
  return w.m_ShotHitMask[static_cast<size_t>(i)] != 0;
}

bool InHitList(const cShot* shot, const cCharaBase* c) {
  return std::find(shot->m_HitList.begin(), shot->m_HitList.end(), c) != shot->m_HitList.end();
}

// One shot against one character. Returns kUntouched when the pair changed
// nothing (no events, no damage), otherwise 0 to go on or the non-zero
// result that ends the whole hit test.
constexpr int kUntouched = -1;

int ShotAgainstChara(cShot* q, cCharaBase* r, bool attacks, bool& vanish) {
  if (OnScreenOnly() && !OnScreen(r)) return kUntouched;
  if (!r->m_bActive || r->m_bDead || nm::chara::Invincible(r->m_Def) == 2) return kUntouched;
  if (!r->m_HitBoxShot.rc.Overlaps(q->m_HitRect) || InHitList(q, r)) return kUntouched;
  const cEdShot& d = q->m_ShotDef;
  bool damage;
  if (attacks) {
    if (r->IsInvincible()) return kUntouched;
    damage = true;
  } else {
    damage = !nm::sys::HarmlessShots(SystemData);
  }
  RaiseEventWith(r, 7, q->m_lpOwner, 0);
  if (q->m_lpOwner && q->m_bHitEvent) RaiseEventWith(q->m_lpOwner, 20, r, static_cast<uint8_t>(q->m_byHitEventArg));
  if (!damage) return 0;
  const int dead = TakeShotDamage(r, q);
  RaiseShotHitEvents(r, q);
  if (dead) {
    if (r->m_nObjKind == 1) PlaySE(kSeCharaDefeated);
    int k = KillChara(r);
    if (k == 1 || k == 2) return k;
  } else {
    PlaySE(kSeHit);
    if (attacks) StartInvincible(r);
  }
  if (q->m_bShot) {
    const bool passes = IsBlockChara(r) ? nm::shot::PassBlockCharas(d) == 1 : nm::shot::PassCharas(d) == 1;
    if (passes)
      q->m_HitList.push_back(r);
    else
      vanish = true;
  } else {
    q->m_HitList.push_back(r);
  }
  if (nm::shot::ItemPalette(d) != 0) {
    const cItemDef* def = GetPaletteItemDef(nm::shot::ItemPalette(d), nm::shot::ItemIndex(d));
    if (def && !Player.empty()) {
      cItem item;
      item.InitFromDef(0, def, 0);
      item.m_bActive = 1;
      int res = ApplyItem(&item, &Player[0]);
      if (res != 0) return res;
    }
  }
  return 0;
}

// The view as OnScreen reads it, with the same sums for its far edges.
struct HitView {
  bool onScreenOnly = false;
  double x = 0, y = 0, xEnd = 0, yEnd = 0;

  void Read() {
    onScreenOnly = OnScreenOnly();
    const cPlayWorld& w = CurrentWorld();
    x = w.m_ScrollX.m_dPos, y = w.m_ScrollY.m_dPos;
    xEnd = x + 640, yEnd = y + 480;
  }
  bool Holds(const cGameObj* o) const {
    return o->m_dRight >= x && xEnd > o->m_dX && o->m_dBottom >= y && yEnd > o->m_dY;
  }
};

// The next shot from qi on that is tested: not marked, and in view when only
// on-screen hits count; qi is left past it. Null at the end. Its own small
// loop: most shots are passed over here.
cShot* NextTestedShot(ShotPtrList::iterator& qi, ShotPtrList::iterator end, const HitView& view) {
  const HitView v = view;
  while (qi != end) {
    cShot* q = *qi;
    ++qi;  // q may leave the list later
    if (!q->m_bNoHit && (!v.onScreenOnly || v.Holds(q))) return q;
  }
  return nullptr;
}

// Shots of faction list s against the characters of list c, each shot
// against the characters in list order. Returns a non-zero result that ends
// the whole hit test.
//
// A shot meets only the characters the index finds near it. Pairs that are
// left out would change nothing, as long as nothing has changed since the
// index was built; a touching pair may run events, flows and items that move
// or add characters, so the rest of that shot walks the list from there, as
// the plain walk does, and the next shot gets a new index.
int ShotsAgainstCharas(ShotPtrList& shots, CharaPtrList& charas) {
  CharaHitIndex index;
  bool built = false;
  std::vector<uint32_t> near;
  // Read again after a touching pair, the only place that runs events.
  HitView view;
  view.Read();
  for (auto qi = shots.begin();;) {
    cShot* q = NextTestedShot(qi, shots.end(), view);
    if (!q) break;
    const cEdShot& d = q->m_ShotDef;
    const bool attacks = nm::shot::nPower(d) != 0 || nm::shot::byImpact(d) != 0 || nm::shot::ItemPalette(d) != 0;
    bool vanish = false;
    if (!built) {
      index.Build(charas, OnScreenOnly());
      built = true;
    }
    bool walk = true;
    auto from = charas.begin();
    if (index.Query(q->m_HitRect, near)) {
      walk = false;
      for (uint32_t e : near) {
        const CharaHitIndex::Entry& entry = index.At(e);
        const int res = ShotAgainstChara(q, entry.chara, attacks, vanish);
        if (res == kUntouched) continue;
        built = false;
        view.Read();
        if (res != 0) return res;
        from = std::next(entry.it);
        walk = true;
        break;
      }
    }
    if (walk) {
      for (auto it = from; it != charas.end(); ++it) {
        const int res = ShotAgainstChara(q, *it, attacks, vanish);
        if (res == kUntouched) continue;
        built = false;
        view.Read();
        if (res != 0) return res;
      }
    }
    if (vanish && !q->m_bNoHit) DestroyShot(q);
  }
  return 0;
}

int BodiesAgainstBodies(CharaPtrList& li, CharaPtrList& lj) {
  auto ok = [](const cCharaBase* c) {
    return c->m_bActive && !c->m_bDead && !IsBlockChara(c) && (!OnScreenOnly() || OnScreen(c));
  };
  auto hitEvent = [](cCharaBase* victim, cCharaBase* other) {
    if (other->m_lpParent && other->m_bForwardToParent) {
      RaiseEventWith(victim, 4, other->m_lpParent, 0);
      RaiseEventWith(other->m_lpParent, 20, victim, other->m_nAttackNumber);
    } else {
      RaiseEventWith(victim, 4, other, 0);
    }
  };
  auto attacks = [](const cCharaBase* c) {
    return nm::chara::BodyPower(c->m_Def) != 0 || nm::chara::BodyImpact(c->m_Def) != 0;
  };
  // One touching pair: events, damage and their settling; a non-zero
  // result ends the whole hit test.
  auto touch = [&](cCharaBase* s, cCharaBase* v) -> int {
    const bool a = !s->IsImmuneTo(v->m_nID);
    const bool b = !v->IsImmuneTo(s->m_nID);
    if (a) hitEvent(s, v);
    if (b) hitEvent(v, s);
    const bool inOrder = nm::sys::BodyHitEventOrder(SystemData);
    bool sTook = false, vTook = false;
    int sDead = 0, vDead = 0;
    if (a && attacks(v)) {
      sDead = TakeBodyAttack(s, v);
      sTook = true;
      if (inOrder) RaiseBodyHitEvents(s, v);
    }
    if (b && attacks(s)) {
      vDead = TakeBodyAttack(v, s);
      vTook = true;
      if (inOrder) RaiseBodyHitEvents(v, s);
    }
    if (!inOrder) {
      if (sTook) RaiseBodyHitEvents(s, v);
      if (vTook) RaiseBodyHitEvents(v, s);
    }
    if (!sTook && !vTook) return 0;
    PlaySE(kSeHit);
    auto settle = [](cCharaBase* c, bool took, int dead, cCharaBase* other) -> int {
      if (!took) return 0;
      if (dead) {
        if (c->m_nObjKind == 1) PlaySE(kSeCharaDefeated);
        int k = KillChara(c);
        return k == 1 || k == 2 ? k : 0;
      }
      AddHitImmunity(c, other->m_nID);
      return 0;
    };
    if (int k = settle(s, sTook, sDead, v)) return k;
    return settle(v, vTook, vDead, s);
  };
  for (cCharaBase* s : li) {
    // Whether s may touch is asked again only after a touching pair, the
    // only place that runs events: the pairs in between change nothing.
    // Both tests of a pair only read, so the cheaper overlap goes first.
    bool sOk = ok(s);
    for (cCharaBase* v : lj) {
      if (!sOk) break;
      if (!s->m_HitBoxChara.rc.Overlaps(v->m_HitBoxChara.rc) || !ok(v)) continue;
      if (int k = touch(s, v)) return k;
      sOk = ok(s);
    }
  }
  return 0;
}

void ShotsAgainstShots(ShotPtrList& lj, ShotPtrList& lk) {
  for (auto vi = lj.begin(); vi != lj.end();) {
    cShot* v = *vi;
    ++vi;
    bool flagged = false;
    for (auto wi = lk.begin(); wi != lk.end();) {
      cShot* w = *wi;
      ++wi;
      const bool vc = nm::shot::CancelFlag(v->m_ShotDef) != 0;
      const bool wc = nm::shot::CancelFlag(w->m_ShotDef) != 0;
      if (!vc && !wc) continue;
      if (!ObjRect(v).Overlaps(ObjRect(w))) continue;
      bool removeW = false;
      if (vc && wc) {
        const int sv = nm::shot::byVanishValue(v->m_ShotDef), sw = nm::shot::byVanishValue(w->m_ShotDef);
        if (sw < sv) {
          removeW = true;
        } else if (sw > sv) {
          flagged = true;
        } else {
          flagged = true;
          removeW = true;
        }
      } else if (vc) {
        flagged = true;
      } else {
        removeW = true;
      }
      if (removeW) DestroyShot(w);
    }
    if (flagged) DestroyShot(v);
  }
}

// Takes a character out of its faction list and CharaList.
void EraseChara(cList<cChara>::iterator it) {
  cCharaBase* c = &*it;
  c->DetachLinks();
  cVector<CharaPtrList>& lists = CurrentWorld().m_FactionCharas;
  if (c->m_nBlockSide >= 0 && static_cast<size_t>(c->m_nBlockSide) < lists.size()) {
    CharaPtrList& l = lists[static_cast<size_t>(c->m_nBlockSide)];
    auto p = std::find(l.begin(), l.end(), c);
    if (p != l.end()) l.erase(p);
  }
  CharaList.erase(it);
}

int HitAll() {
  cPlayWorld& w = CurrentWorld();
  cVector<ShotPtrList>& fs = w.m_FactionShots;
  cVector<CharaPtrList>& fc = w.m_FactionCharas;
  if (ShotHitsThisSubStep(w)) {
    for (size_t s = 0; s < fs.size(); ++s) {
      if (fs[s].empty()) continue;
      for (size_t c = 0; c < fc.size(); ++c) {
        if (c == s || fc[c].empty()) continue;
        if (int r = ShotsAgainstCharas(fs[s], fc[c])) return r;
      }
    }
  }
  if (w.m_nNoHitMarks != 0) {
    for (auto it = w.m_Shots.begin(); it != w.m_Shots.end();)
      it = it->m_bNoHit ? RemoveShot(w.m_Shots, it) : std::next(it);
    w.m_nNoHitMarks = 0;
  }
  for (size_t i = 0; i < fc.size(); ++i)
    for (size_t j = i + 1; j < fc.size(); ++j)
      if (!fc[i].empty() && !fc[j].empty())
        if (int r = BodiesAgainstBodies(fc[i], fc[j])) return r;
  for (size_t j = 0; j < fs.size(); ++j)
    for (size_t k = j + 1; k < fs.size(); ++k)
      if (!fs[j].empty() && !fs[k].empty()) ShotsAgainstShots(fs[j], fs[k]);
  return 0;
}

}  // namespace

int HitShotsAndCharas() {
  cPlayWorld& w = CurrentWorld();
  w.m_bHitTesting = 1;
  int r = HitAll();
  // Cleared on every path, the early ends included.
  w.m_bHitTesting = 0;
  return r;
}

int KillChara(cCharaBase* chara) {
  if (chara->m_nObjKind == 0) return 2;
  if (chara->m_bDead) return 0;
  return Defeat(chara);
}

int CheckDeaths() {
  if (!Player.empty() && Player[0].m_nHp <= 0) {
    PlaySE(kSeHeroDefeated);
    if (Defeat(&Player[0]) == 1) {
      EndStage();
      CurrentWorld().SetSceneState(4, 0);
    }
    return 1;
  }
  const bool animate = nm::sys::ShowDefeat(SystemData);
  for (auto it = CharaList.begin(); it != CharaList.end();) {
    if (it->m_bVanished) {
      auto next = std::next(it);
      EraseChara(it);
      it = next;
      continue;
    }
    if (it->m_nHp <= 0 && !it->m_bDead) {
      int r = DefeatAndCheckEnd(&*it, CharaList);
      if (animate) {
        if (r == 1) {
          EraseChara(it);
          return 1;
        }
        PlaySE(kSeCharaDefeated);
      } else {
        auto next = std::next(it);
        EraseChara(it);
        if (r != 0) return 1;
        it = next;
        continue;
      }
    }
    ++it;
  }
  return 0;
}
