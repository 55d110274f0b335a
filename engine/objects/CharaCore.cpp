// The running character core: construction, set-up from a definition, hit
// box offsets, the flow lists with their run states, links and targets.
#include <algorithm>
#include <cstdint>

#include "base/Log.h"
#include "base/Text.h"
#include "data/Database.h"
#include "data/Stage.h"
#include "engine/Names.h"
#include "engine/StepMath.h"
#include "engine/World.h"
#include "engine/objects/BlockCharaCache.h"
#include "engine/objects/CharaBase.h"
#include "engine/objects/CharaMath.h"
#include "engine/objects/LoopExpansion.h"

namespace {

constexpr int kFlowIds = 27;
constexpr int kTargetSlots = 4;
constexpr int kVars = 9;

// n, at least 1 (a stage whose hit level was never set has 0).

template <class V, class L>
void AddLinkOnce(V& links, const L& link) {
  for (const auto& l : links) {
    if (SameLink(l, link)) return;
  }
  links.push_back(link);
}

template <class V, class L>
void RemoveLinks(V& links, const L& link) {
  links.erase(std::remove_if(links.begin(), links.end(), [&](const L& l) { return SameLink(l, link); }), links.end());
}

int IsNoWait(const cFlowCmd& cmd) { return nm::cmd::NoWait(cmd) == 1 ? 1 : 0; }

// Length of a database animation in frames: 6 × the durations up to the
// first frame that ends the loop.
int AnimeLengthFrames(int id) {
  const cAnime& anime = Database.m_AnimeList.At(id);
  int64_t sum = 0;
  for (const cAnimeFrame& f : anime.m_Frames) {
    if (f.m_Uninterruptible) break;
    sum += f.m_Duration;
  }
  return static_cast<int>(std::clamp<int64_t>(sum * 6, INT16_MIN, INT16_MAX));
}

}  // namespace

void InitAnimRun(cAnimPlayer& player) {
  player.m_Patterns.clear();
  player.m_nAnim = 0;
  player.m_nEntry = 0;
  player.m_nFrames = 0;
}

cCharaBase::cCharaBase() {
  NoteCharaChange();
  m_Def.RegisterFields(kDataVersion);
  m_Def.SetDefaults();
}

cCharaBase::cCharaBase(const cCharaBase& other) : cGameObj(other) { Assign(other); }

cCharaBase& cCharaBase::operator=(const cCharaBase& other) {
  if (this != &other) Assign(other);
  return *this;
}

cCharaBase::~cCharaBase() {
  NoteCharaChange();
  if (!m_bKeepLinks) DetachLinks();
}

void cCharaBase::Assign(const cCharaBase& o) {
  NoteCharaChange();
  cGameObj::CopyFrom(o);
  m_bKeepLinks = o.m_bKeepLinks;
  m_Targets = o.m_Targets;
  m_lpParent = o.m_lpParent;
  m_Links = o.m_Links;
  m_ShotLinks = o.m_ShotLinks;
  m_bForwardToParent = o.m_bForwardToParent;
  m_nAttackNumber = o.m_nAttackNumber;
  m_Def = o.m_Def;
  m_nNextRunSerial = o.m_nNextRunSerial;
  m_FlowIdBusy = o.m_FlowIdBusy;
  m_FlowIdStopped = o.m_FlowIdStopped;
  m_FlowIdStarted = o.m_FlowIdStarted;
  m_bFlowIdStopPending = o.m_bFlowIdStopPending;
  m_bRemovePending = o.m_bRemovePending;
  m_OriginX = o.m_OriginX;
  m_OriginY = o.m_OriginY;
  m_bMovedThisUpdate = o.m_bMovedThisUpdate;
  m_ImpactX = o.m_ImpactX;
  m_ImpactY = o.m_ImpactY;
  m_bImpacted = o.m_bImpacted;
  m_PrevImpactY = o.m_PrevImpactY;
  m_bMoveDisabled = o.m_bMoveDisabled;
  m_nTurnSide = o.m_nTurnSide;
  m_bFalling = o.m_bFalling;
  m_bJumpRise = o.m_bJumpRise;
  m_bJumping = o.m_bJumping;
  m_bJumpBlocked = o.m_bJumpBlocked;
  m_nAirSteps = o.m_nAirSteps;
  m_lpFootBlock = o.m_lpFootBlock;
  m_lpLandBlock = o.m_lpLandBlock;
  m_lpPrevLandBlock = o.m_lpPrevLandBlock;
  m_nStandCell = o.m_nStandCell;
  m_nCrushGrace = o.m_nCrushGrace;
  m_bScreenAnchorX = o.m_bScreenAnchorX;
  m_bScreenAnchorY = o.m_bScreenAnchorY;
  m_nScreenAnchorX = o.m_nScreenAnchorX;
  m_nScreenAnchorY = o.m_nScreenAnchorY;
  m_bDead = o.m_bDead;
  m_nDeathFrames = o.m_nDeathFrames;
  m_WallL = o.m_WallL;
  m_WallR = o.m_WallR;
  m_WallU = o.m_WallU;
  m_WallD = o.m_WallD;
  m_bLeftRide = o.m_bLeftRide;
  m_bRiding = o.m_bRiding;
  m_nRideId = o.m_nRideId;
  m_RideBox = o.m_RideBox;
  m_PrevBox = o.m_PrevBox;
  m_nHp = o.m_nHp;
  m_nSp = o.m_nSp;
  m_HpGauge = o.m_HpGauge;
  m_SpGauge = o.m_SpGauge;
  m_Vars = o.m_Vars;
  m_nInvincible = o.m_nInvincible;
  m_Immunity = o.m_Immunity;
  m_Effects = o.m_Effects;
  m_CharaEffect = o.m_CharaEffect;
  m_bVanished = o.m_bVanished;
  m_nSight = o.m_nSight;
  m_HitBoxChara = o.m_HitBoxChara;
  m_HitBoxShot = o.m_HitBoxShot;
  // The runs point into the flows: bind them to this character's copy.
  m_FlowRuns = o.m_FlowRuns;
  RebindFlowRuns();
}

void cCharaBase::InitFromDef(const cCharaDef* def, double originX, double originY, int16_t clone) {
  m_wSpawnTag = clone;

  m_Links.clear();
  m_ShotLinks.clear();
  m_Targets.assign(kTargetSlots, nullptr);
  m_lpParent = nullptr;
  m_nNextRunSerial = 0;

  m_FlowIdBusy.assign(kFlowIds, 0);
  m_FlowIdStopped.assign(kFlowIds, 0);
  m_FlowIdStarted.assign(kFlowIds, 0);
  m_bFlowIdStopPending = 0;
  m_bRemovePending = 0;

  m_OriginX = originX;
  m_OriginY = originY;
  m_ImpactX = m_ImpactY = 0;
  m_bImpacted = 0;
  m_PrevImpactY = 0;
  m_bMoveDisabled = 0;
  m_bFalling = 1;
  m_nTurnSide = -1;
  m_bJumpRise = m_bJumping = m_bJumpBlocked = 0;
  m_nAirSteps = 0;
  m_lpFootBlock = nullptr;
  m_lpLandBlock = nullptr;
  m_lpPrevLandBlock = nullptr;
  m_nCrushGrace = 0;
  m_bScreenAnchorX = m_bScreenAnchorY = 0;
  m_nScreenAnchorX = m_nScreenAnchorY = 0;
  m_bDead = 0;
  m_nDeathFrames = 0;
  m_WallL = m_WallR = m_WallU = m_WallD = 0;
  m_bLeftRide = m_bRiding = 0;
  m_nRideId = 0;
  m_RideBox = cRectD{};
  m_PrevBox = cRectD{};
  m_HpGauge = GaugeAnim{};
  m_SpGauge = GaugeAnim{};
  m_nHp = m_nSp = 0;

  m_Vars.assign(kVars, 0);

  if (def) {
    NoteCharaChange();
    m_Def = *def;
    m_nHp = nm::chara::MaxHp(m_Def);
    m_nSp = nm::chara::MaxSp(m_Def);
  }

  m_bVanished = 0;
  m_bScrollSync = nm::chara::ScrollSync(m_Def);
  m_nSight = 16 * static_cast<int8_t>(nm::chara::SightHbl(m_Def));
  m_dDecel = ScaleAccel(nm::chara::StopEase(m_Def));

  m_CharaEffect.Clear();
  if (nm::chara::AppearEffect(m_Def) != 0) {
    m_CharaEffect.Start(nm::chara::AppearEffect(m_Def), nm::chara::AppearEffectMode(m_Def),
                        nm::chara::AppearEffectRepeat(m_Def));
  }

  m_nInvincible = 0;
  m_Immunity.clear();
  SetBaseAnimSet(nm::chara::BaseAnimSet(m_Def), 1);
  m_Effects.clear();
  m_bForwardToParent = 0;
  m_nAttackNumber = 0;
}

void cCharaBase::SetHitOffsets(int bottomAligned, int width, int height) {
  HitBox& b = m_HitBoxChara;
  b.nOfsX = b.nBaseOfsX = 16 - m_nPicOfsX - (width >> 1);
  b.nOfsY = b.nBaseOfsY = bottomAligned ? 32 - m_nPicOfsY - height : 16 - m_nPicOfsY - (height >> 1);
  b.nW = b.nBaseW = width;
  b.nH = b.nBaseH = height;
}

int cCharaBase::AddFlows(const cVector<cFlow>& flows, int insert, int position) {
  // Copy first: the flows given may be this character's own list.
  cVector<cFlow> added = flows;
  for (cFlow& f : added) ExpandLoops(nm::flow::Cmds(f));
  const int count = static_cast<int>(added.size());
  cVector<cFlow>& list = nm::chara::Flows(m_Def);

  int first = 0;
  if (insert && position != -1 && position >= 0 && position < static_cast<int>(list.size())) {
    first = position;
    list.insert(list.begin() + position, added.begin(), added.end());
    m_FlowRuns.insert(m_FlowRuns.begin() + std::min<size_t>(position, m_FlowRuns.size()), count, cFlowRun{});
  } else if (insert) {
    first = static_cast<int>(m_FlowRuns.size());
    list.insert(list.end(), added.begin(), added.end());
    m_FlowRuns.resize(m_FlowRuns.size() + count);
  } else {
    // The initial form: the flows given are the character's own list.
    list = added;
    m_FlowRuns.clear();
    m_FlowRuns.resize(list.size());
  }
  if (count == 0) return 0;

  const int n = SubSteps();
  const int clone = m_wSpawnTag;
  for (int j = 0; j < count; ++j) {
    const int k = first + j;
    cFlow& flow = list.At(k);
    cFlowRun& run = m_FlowRuns.At(k);
    run.nIndex = k;
    run.lpFlow = &flow;
    run.nSerial = m_nNextRunSerial++;
    run.KeyConds.clear();
    for (cKeyCond& kc : nm::flow::KeyConds(flow)) run.KeyConds.push_back(&kc);
    cVector<cFlowCmd>& cmds = nm::flow::Cmds(flow);
    run.CmdRuns.assign(cmds.size(), cCmdRun{});
    for (size_t c = 0; c < cmds.size(); ++c) {
      cFlowCmd& cmd = cmds[c];
      cCmdRun& cr = run.CmdRuns[c];
      cr.lpCmd = &cmd;
      cr.nFrames = (nm::cmd::TimeStep(cmd) * clone + nm::cmd::TimeBase(cmd)) * n * 6;
      if (const auto& mv = nm::cmd::Move(cmd)) {
        cr.dSpeed = (nm::move::sSpeedStep(*mv) * clone + nm::move::sSpeed(*mv)) * 0.1 / n;
        if (nm::move::bInertia(*mv)) cr.dSpeed2 = nm::move::sMaxSpeed(*mv) * 0.1 / n;
        cr.nMoveKind = nm::move::byDir(*mv);
      }
      const int kind = nm::cmd::Kind(cmd);
      if (nm::cmd::CmdSet(cmd) == 0 && kind >= 0 && kind < 40 && MoveInitTable[kind]) MoveInitTable[kind](&cr, this);
    }
    if (insert) run.bKeyLatch = nm::flow::KeyRepeat(flow) == 0 ? 1 : 0;
  }

  if (insert) RebindFlowRuns();

  // Lead-in animations: each starts so that it ends as its command starts.
  for (int j = 0; j < count; ++j) {
    cFlowRun& run = m_FlowRuns.At(first + j);
    run.LeadIns.clear();
    cVector<cFlowCmd>& cmds = nm::flow::Cmds(list.At(first + j));
    int64_t elapsed = 0;
    for (size_t c = 0; c < cmds.size(); ++c) {
      const cFlowCmd& cmd = cmds[c];
      const auto& mv = nm::cmd::Move(cmd);
      const int anim = nm::cmd::LeadInAnim(cmd);
      if (anim != 0 && (!mv || nm::move::bNoMoveAnim(*mv))) {
        const int length = AnimeLengthFrames(anim);
        const int64_t total = static_cast<int64_t>(length) * n;
        int64_t left = total;
        bool placed = false;
        for (size_t b = c; b-- > 0;) {
          if (IsNoWait(cmds[b])) continue;
          left -= run.CmdRuns.At(static_cast<int>(b)).nFrames;
          if (left <= 0) {
            placed = true;
            break;
          }
        }
        LeadInEntry e;
        e.nAnimId = static_cast<int16_t>(anim);
        e.nTimeBase6 = static_cast<int16_t>(nm::cmd::TimeBase(cmd) * 6);
        const int kind = nm::cmd::Kind(cmd);
        e.bLoops = nm::cmd::CmdSet(cmd) == 0 && (kind == 10 || kind == 12) ? 0 : 1;
        if (placed) {
          e.nStart = static_cast<int32_t>(elapsed - total);
          e.nSkip = 0;
          e.nLength = static_cast<int16_t>(length);
        } else {
          e.nStart = 0;
          e.nSkip = static_cast<int16_t>(std::min<int64_t>(left / n, length));
          e.nLength = static_cast<int16_t>(length - e.nSkip);
        }
        e.nStart2 = e.nStart;
        run.LeadIns.push_back(e);
      }
      if (!IsNoWait(cmd)) elapsed += run.CmdRuns.At(static_cast<int>(c)).nFrames;
    }
  }
  return count;
}

void cCharaBase::RebindFlowRuns() {
  cVector<cFlow>& list = nm::chara::Flows(m_Def);
  for (size_t i = 0; i < m_FlowRuns.size(); ++i) {
    cFlowRun& run = m_FlowRuns[i];
    cFlow& flow = list.At(static_cast<int>(i));
    run.nIndex = static_cast<int32_t>(i);
    run.lpFlow = &flow;
    run.KeyConds.clear();
    for (cKeyCond& kc : nm::flow::KeyConds(flow)) run.KeyConds.push_back(&kc);
    cVector<cFlowCmd>& cmds = nm::flow::Cmds(flow);
    for (size_t j = 0; j < run.CmdRuns.size(); ++j) run.CmdRuns[j].lpCmd = &cmds.At(static_cast<int>(j));
  }
}

void cCharaBase::RemoveFlow(int index) {
  cVector<cFlow>& list = nm::chara::Flows(m_Def);
  cFlowRun& run = m_FlowRuns.At(index);
  run.Stop(this);
  RemoveFlowEffects(this, run.nSerial);
  if (index < 0 || static_cast<size_t>(index) >= m_FlowRuns.size()) return;
  if (static_cast<size_t>(index) < list.size()) list.erase(list.begin() + index);
  m_FlowRuns.erase(m_FlowRuns.begin() + index);
  RebindFlowRuns();
}

int cCharaBase::RemoveFlowsById(int id) {
  cVector<cFlow>& list = nm::chara::Flows(m_Def);
  if (id == 0) {
    for (cFlowRun& run : m_FlowRuns) run.Stop(this);
    m_FlowRuns.clear();
    list.clear();
    m_Effects.clear();
    RebindFlowRuns();
    return 0;
  }
  int first = -1;
  for (size_t i = 0; i < m_FlowRuns.size() && i < list.size();) {
    if (nm::flow::FlowId(list[i]) != id) {
      ++i;
      continue;
    }
    m_FlowRuns[i].Stop(this);
    RemoveFlowEffects(this, m_FlowRuns[i].nSerial);
    if (first < 0) first = static_cast<int>(i);
    m_FlowRuns.erase(m_FlowRuns.begin() + static_cast<ptrdiff_t>(i));
    list.erase(list.begin() + static_cast<ptrdiff_t>(i));
    RebindFlowRuns();
  }
  return first;
}

void cCharaBase::SetFlowRuns(const cVector<cFlowRun>& runs) {
  m_FlowRuns = runs;
  RebindFlowRuns();
}

void cCharaBase::SetBaseAnimSet(int id, int force) {
  int16_t& current = nm::chara::BaseAnimSet(m_Def);
  if (!force && id == current) return;
  current = static_cast<int16_t>(id);
  int index = static_cast<int16_t>(id);
  if (index < 0 || static_cast<size_t>(index) >= Database.m_AnimeSets.size()) {
    if (!Database.m_AnimeSets.empty()) Database.m_AnimeSets.At(index);  // reports the bad index
    index = 0;
  }
  AnimTable table;
  if (!Database.m_AnimeSets.empty()) {
    const cAnimeSet& set = Database.m_AnimeSets[static_cast<size_t>(index)];
    for (const cAnime& anime : set.m_Animes) {
      Animation a;
      for (const cAnimeFrame& f : anime.m_Frames) a.push_back(AnimEntry{f.m_Pattern, f.m_Duration * 6, 1});
      a.push_back(AnimEntry{kAnimLoop, 0, 1});
      table.push_back(std::move(a));
    }
  }
  m_Anim.m_Patterns = std::move(table);
  m_Anim.m_nEntry = 0;
  m_Anim.m_nFrames = 0;
}

void cCharaBase::InitTargets(cCharaBase* parent) {
  cCharaBase* hero = Player.empty() ? nullptr : &Player[0];
  m_Targets.At(0) = hero;
  if (hero) AddLinkOnce(hero->m_Links, CharaLink{this, 0});
  m_lpParent = parent;
  if (parent) AddLinkOnce(parent->m_Links, CharaLink{this, 4});
}

void cCharaBase::DetachLinks() {
  for (const CharaLink& l : m_Links) {
    if (!l.lpChara) continue;
    if (l.nSlot >= 0 && l.nSlot < kTargetSlots) {
      l.lpChara->m_Targets.At(l.nSlot) = nullptr;
    } else if (l.nSlot == 4) {
      l.lpChara->m_lpParent = nullptr;
    }
  }
  m_Links.clear();
  for (int j = 0; j < static_cast<int>(m_Targets.size()); ++j) {
    cCharaBase* t = m_Targets[static_cast<size_t>(j)];
    if (!t) continue;
    RemoveLinks(t->m_Links, CharaLink{this, j});
    m_Targets[static_cast<size_t>(j)] = nullptr;
  }
  if (m_lpParent) {
    RemoveLinks(m_lpParent->m_Links, CharaLink{this, 4});
    m_lpParent = nullptr;
  }
  for (const ShotLink& l : m_ShotLinks) {
    if (!l.lpShot) continue;
    if (l.nKind == 0) l.lpShot->m_lpTarget = nullptr;
    if (l.nKind == 4) l.lpShot->m_lpOwner = nullptr;
  }
  m_ShotLinks.clear();
}

cCharaBase* FindCharaById(int id) {
  for (cHero& h : Player) {
    if (h.m_nID == id) return &h;
  }
  for (cChara& c : CharaList) {
    if (c.m_nID == id) return &c;
  }
  return nullptr;
}

// Positioning: x and y are screen coordinates of the picture's centre; the
// caller brings the screen position up to date first.
void cCharaBase::SetCenterX(int x) {
  const int c = m_nScrLeft + (m_nPicW >> 1);
  m_dX += x - c;
  ClampX();
}

void cCharaBase::SetCenterY(int y) {
  const int c = m_nScrTop + (m_nPicH >> 1);
  m_dY += y - c;
  ClampY();
}

void cCharaBase::SetCenter(int x, int y) {
  SetCenterX(x);
  SetCenterY(y);
}

namespace {
void StopRun(cCmdRun* run) {
  if (!run) return;
  run->dMoveVX = 0;
  run->dMoveVY = 0;
}
}  // namespace

void cCharaBase::SetCenterAndStop(int x, int y, cCmdRun* run) {
  SetCenter(x, y);
  StopRun(run);
}

void cCharaBase::SetCenterXAndStop(int x, cCmdRun* run) {
  SetCenterX(x);
  StopRun(run);
}

void cCharaBase::SetCenterYAndStop(int y, cCmdRun* run) {
  SetCenterY(y);
  StopRun(run);
}
