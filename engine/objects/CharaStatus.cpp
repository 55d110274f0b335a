// Invincibility, immunity, damage exchange, defeat and the overlay
// animations of a character.
#include <algorithm>
#include <climits>

#include "data/SaveData.h"
#include "data/Stage.h"
#include "engine/Names.h"
#include "engine/StepMath.h"
#include "engine/World.h"
#include "engine/flow/Triggers.h"
#include "engine/objects/CharaBase.h"
#include "engine/rules/Rules.h"
#include "engine/shots/Shot.h"

namespace {

bool IsHero(const cCharaBase* c) { return c->m_nObjKind == 0; }

// Damage after defence: a positive power loses the defence, kept in 0..999999;
// zero or negative powers pass unchanged (a negative one heals).
int DamageAfterDefence(int power, int defence) {
  if (power <= 0) return power;
  int64_t a = static_cast<int64_t>(power) - defence;
  return static_cast<int>(std::clamp<int64_t>(a, 0, 999999));
}

void AddEffect(int number, const cRectD& a, const cRectD& b, int scale) {
  if (!PlayScene || number == 0) return;
  cEffectInst e;
  e.Spawn(number, a, b, scale);
  PlayScene->m_Effects.push_back(e);
}

cRectD ShotRect(const cGameObj* o) { return cRectD{o->m_dX, o->m_dY, o->m_dRight, o->m_dBottom}; }

// Raises `key` on the victim with the attacker, or, when the attacker
// forwards its events, with its parent and `forwardKey` on the parent.
void RaisePair(cCharaBase* victim, cCharaBase* attacker, int key, int forwardKey) {
  if (attacker && attacker->m_lpParent && attacker->m_bForwardToParent) {
    RaiseEventWith(victim, key, attacker->m_lpParent, 0);
    RaiseEventWith(attacker->m_lpParent, forwardKey, victim, attacker->m_nAttackNumber);
  } else {
    RaiseEventWith(victim, key, attacker, 0);
  }
}

}  // namespace

void StartInvincible(cCharaBase* chara) {
  int frames = IsHero(chara) ? nm::stage::HeroInvincibleFrames(Stage) : nm::stage::CharaInvincibleFrames(Stage);
  chara->m_nInvincible = SubSteps() * frames;
}

void AddHitImmunity(cCharaBase* chara, int key) {
  StartInvincible(chara);
  int frames = IsHero(chara) ? nm::stage::HeroImmuneFrames(Stage) : nm::stage::CharaImmuneFrames(Stage);
  chara->m_Immunity.push_back(ImmunityEntry{key, SubSteps() * frames});
}

void CountDownInvincibility(cCharaBase* chara) {
  chara->m_nInvincible = std::max(chara->m_nInvincible - 1, 0);
  for (auto it = chara->m_Immunity.begin(); it != chara->m_Immunity.end();) {
    if (--it->nLeft <= 0)
      it = chara->m_Immunity.erase(it);
    else
      ++it;
  }
}

int cCharaBase::IsImmuneTo(int key) const {
  if (IsInvincible()) return 1;
  for (const ImmunityEntry& e : m_Immunity)
    if (e.nKey == key) return 1;
  return 0;
}

// A negative power heals; the most negative one heals as far as it can
// instead of overflowing.
namespace {
int HpChangeOf(int damage) { return damage == INT_MIN ? INT_MAX : -damage; }
}  // namespace

int TakeBodyAttack(cCharaBase* victim, cCharaBase* attacker) {
  int a = DamageAfterDefence(nm::chara::BodyPower(attacker->m_Def), nm::chara::Defence(victim->m_Def));
  int r = victim->ChangeHp(HpChangeOf(a), 0, 1);
  AddEffect(nm::chara::BodyHitEffect(attacker->m_Def), victim->m_HitBoxChara.rc, attacker->m_HitBoxChara.rc,
            attacker->Scale());
  victim->ApplyImpactFromChara(attacker);
  return r;
}

int TakeShotDamage(cCharaBase* victim, cShot* shot) {
  int a = DamageAfterDefence(nm::shot::nPower(shot->m_ShotDef), nm::chara::Defence(victim->m_Def));
  int r = victim->ChangeHp(HpChangeOf(a), 0, 1);
  AddEffect(nm::shot::HitEffect(shot->m_ShotDef), victim->m_HitBoxShot.rc, ShotRect(shot),
            std::max<int>(shot->m_ShotDef.m_ShotSize, 1));
  victim->ApplyImpactFromShot(shot);
  return r;
}

void RaiseBodyHitEvents(cCharaBase* victim, cCharaBase* attacker) {
  if (nm::chara::BodyPower(attacker->m_Def) != 0) RaisePair(victim, attacker, 1, 18);
  if (nm::chara::BodyImpact(attacker->m_Def) != 0) RaisePair(victim, attacker, 2, 19);
}

void RaiseShotHitEvents(cCharaBase* victim, cShot* shot) {
  auto raise = [&](int key, int forwardKey) {
    RaiseEventWith(victim, key, shot->m_lpOwner, 0);
    if (shot->m_lpOwner && shot->m_bHitEvent)
      RaiseEventWith(shot->m_lpOwner, forwardKey, victim, static_cast<uint8_t>(shot->m_byHitEventArg));
  };
  if (nm::shot::nPower(shot->m_ShotDef) != 0) raise(1, 18);
  if (nm::shot::byImpact(shot->m_ShotDef) != 0) raise(2, 19);
}

int Defeat(cCharaBase* chara) {
  RaiseEvent(chara, 3);
  chara->UpdateFlows(1);
  int64_t score = static_cast<int64_t>(nm::save::StageScore(SaveData)) + nm::chara::DefeatScore(chara->m_Def);
  nm::save::StageScore(SaveData) = static_cast<int32_t>(std::clamp<int64_t>(score, 0, 999999));
  int itemResult = 0;
  if (cItem* held = chara->GetHeldItem()) itemResult = Player.empty() ? 0 : ApplyItem(held, &Player[0]);
  if (CurrentWorld().m_nClearResult == 1 || itemResult == 1) return 1;
  chara->DetachLinks();
  chara->m_bDead = 1;
  chara->m_CharaEffect.Start(nm::chara::DeathEffect(chara->m_Def), nm::chara::DeathEffectMode(chara->m_Def), 0);
  return 0;
}

void StartFlowCmdAnims(cCharaBase* chara) {
  for (cFlowRun& run : chara->m_FlowRuns) {
    if (!run.bRunning || run.bPaused) continue;
    for (const LeadInEntry& e : run.LeadIns) {
      if (e.nStart != run.nSteps) continue;
      CharaEffectEntry entry;
      InitAnimRun(entry.Anim);
      entry.bPriority = 1;
      entry.nCountdown = e.nLength;
      entry.nHold = e.nTimeBase6;  // already the time base × 6
      entry.nRunSerial = run.nSerial;
      entry.bEnding = 0;
      // An animation ID outside the table plays nothing.
      if (e.nAnimId >= 0 && static_cast<size_t>(e.nAnimId) < AnimeTable.size())
        entry.Anim.m_Patterns.assign(1, AnimeTable[static_cast<size_t>(e.nAnimId)]);
      chara->m_Effects.push_back(entry);
      cAnimPlayer& anim = chara->m_Effects.back().Anim;
      anim.Play(0, 1);
      if (e.nSkip != 0) anim.m_nFrames += e.nSkip;
      if (e.nTimeBase6 >= 2 && e.bLoops && !anim.m_Patterns.empty()) {
        for (AnimEntry& p : anim.m_Patterns[0]) {
          if (p.nFlag) {
            p.nDuration += e.nTimeBase6 - 1;
            break;
          }
        }
      }
    }
  }
}

void RemoveFlowEffects(cCharaBase* chara, int serial) {
  chara->m_Effects.remove_if([serial](const CharaEffectEntry& e) { return e.nRunSerial == serial; });
}

void EndFlowEffects(cCharaBase* chara, int serial) {
  for (auto it = chara->m_Effects.begin(); it != chara->m_Effects.end();) {
    if (it->nRunSerial == serial) {
      if (static_cast<int64_t>(it->nHold) + it->nCountdown - 1 < 0) {
        it = chara->m_Effects.erase(it);
        continue;
      }
      it->bEnding = 1;
    }
    ++it;
  }
}

void ResumeFlowEffects(cCharaBase* chara, int serial) {
  for (CharaEffectEntry& e : chara->m_Effects)
    if (e.nRunSerial == serial) e.bEnding = 0;
}

int UpdateCharaEffects(cCharaBase* chara, int frozen) {
  if (!frozen) {
    chara->m_Anim.Step();
    for (auto it = chara->m_Effects.begin(); it != chara->m_Effects.end();) {
      if (!it->bEnding) {
        it->Anim.Step();
        const cAnimPlayer& a = it->Anim;
        bool ended = a.m_nAnim >= 0 && static_cast<size_t>(a.m_nAnim) < a.m_Patterns.size() &&
                     a.m_nEntry >= 0 &&
                     static_cast<size_t>(a.m_nEntry) < a.m_Patterns[static_cast<size_t>(a.m_nAnim)].size() &&
                     a.m_Patterns[static_cast<size_t>(a.m_nAnim)][static_cast<size_t>(a.m_nEntry)].nPattern ==
                         kAnimEnd;
        if (ended) {
          it = chara->m_Effects.erase(it);
          continue;
        }
        --it->nCountdown;
      }
      ++it;
    }
  }
  const CharaEffectEntry* choice = nullptr;
  int a = INT_MAX;
  bool e = false;
  for (const CharaEffectEntry& entry : chara->m_Effects) {
    if (entry.bEnding) continue;
    const int c = entry.nCountdown;
    if (e) {
      if (c <= 0 && c > a) {
        choice = &entry;
        a = c;
      }
    } else if (entry.bPriority) {
      if (c <= 0 && a <= 0) {
        choice = &entry;
        a = c;
        e = true;
      } else if (c < a) {
        choice = &entry;
        a = c;
      }
    } else if (!choice) {
      choice = &entry;
      a = INT_MAX;
    }
  }
  if (choice) return choice->Anim.GetPattern();
  return chara->m_Anim.GetPattern();
}
