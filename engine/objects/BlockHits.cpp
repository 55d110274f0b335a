// Block characters (stage characters that act as moving solid ground and
// walls) against the characters that walk into, stand on or are squeezed by
// them: pushing out, landing and riding, carrying, crushing, and easing out
// of the map's walls afterwards.
#include <cstdint>

#include "base/Log.h"
#include "data/Stage.h"
#include "engine/Names.h"
#include "engine/StepMath.h"
#include "engine/World.h"
#include "engine/flow/Triggers.h"
#include "engine/objects/BlockCharaCache.h"
#include "engine/objects/BlockMap.h"
#include "engine/objects/CharaBase.h"
#include "engine/objects/Hero.h"
#include "engine/objects/Hits.h"
#include "engine/rules/Rules.h"

namespace {

bool HasBlockCharaFlag(const cCharaBase* c) { return nm::chara::BlockChara(c->m_Def) != 0; }

cRectD Box(const cGameObj* o) { return cRectD{o->m_dX, o->m_dY, o->m_dRight, o->m_dBottom}; }

bool IsLiveBlockChara(const cChara& c, const cGameObj* except) {
  return &c != except && c.m_bActive && !c.m_bDead && HasBlockCharaFlag(&c);
}

// The penetration of b into r along one axis (0 when apart).
double Penetration(double rLo, double rHi, double bLo, double bHi) {
  if (bHi < rLo || bLo > rHi) return 0;
  return rLo < bLo && bLo <= rHi ? rHi - bLo + 1 : bHi - rLo + 1;
}

// B touches the vertical line x from y0 to y1 (or the horizontal line y from x0 to x1).
bool TouchesVLine(const cRectD& b, double x, double y0, double y1) {
  return b.left <= x && x <= b.right && b.top <= y1 && b.bottom >= y0;
}
bool TouchesHLine(const cRectD& b, double y, double x0, double x1) {
  return b.top <= y && y <= b.bottom && b.left <= x1 && b.right >= x0;
}

}  // namespace

void ResolveBlockCharaOverlap(cCharaBase* chara, int bVertical) {
  const cRectD r = Box(chara);
  bool haveLo = false, haveHi = false;
  double lo = 0, hi = 0;
  int loId = 0, hiId = 0;
  for (cChara& b : BlockCharas()) {
    if (!IsLiveBlockChara(b, chara)) continue;
    const cRectD bb = Box(&b);
    if (Penetration(r.left, r.right, bb.left, bb.right) == 0 || Penetration(r.top, r.bottom, bb.top, bb.bottom) == 0)
      continue;
    if (!bVertical) {
      if (TouchesVLine(bb, r.left, r.top + 1, r.bottom - 1)) {
        chara->m_WallL = 1;
        if (!haveLo || bb.right + 1 > lo) lo = bb.right + 1, loId = b.m_nID;
        haveLo = true;
      }
      if (TouchesVLine(bb, r.right, r.top + 1, r.bottom - 1)) {
        chara->m_WallR = 1;
        if (!haveHi || bb.left - chara->m_nW < hi) hi = bb.left - chara->m_nW, hiId = b.m_nID;
        haveHi = true;
      }
    } else {
      if (TouchesHLine(bb, r.top, r.left + 1, r.right - 1)) {
        chara->m_WallU = 1;
        if (!haveLo || bb.bottom + 1 > lo) lo = bb.bottom + 1;
        haveLo = true;
      }
      if (TouchesHLine(bb, r.bottom, r.left + 1, r.right - 1)) {
        chara->m_WallD = 1;
        if (!haveHi || bb.top - chara->m_nH < hi) hi = bb.top - chara->m_nH;
        haveHi = true;
      }
    }
  }
  auto push = [&](double value, int pusher) {
    if (!(pusher == chara->m_nRideId && chara->m_bRiding)) chara->m_bLeftRide = 1;
    chara->m_dX = value;
    chara->ClampX();
  };
  if (!bVertical) {
    if (haveLo) push(lo, loId);
    if (haveHi) push(hi, hiId);
  } else {
    if (haveLo) {
      chara->m_dY = lo;
      chara->ClampY();
    }
    if (haveHi) {
      chara->m_dY = hi;
      chara->ClampY();
    }
  }
}

int IsStillRiding(cCharaBase* chara) {
  cRectD r = Box(chara);
  r.bottom += 5;
  for (cChara& b : BlockCharas())
    if (IsLiveBlockChara(b, chara) && b.m_nID == chara->m_nRideId && Box(&b).Overlaps(r)) return 1;
  return 0;
}

cCharaBase* FindBlockCharaBelow(cCharaBase* chara) {
  cRectD r = Box(chara);
  r.bottom += 5;
  for (cChara& b : BlockCharas())
    if (IsLiveBlockChara(b, chara) && Box(&b).Overlaps(r)) return &b;
  return nullptr;
}

int OverlapsBlockCharaExcept(cGameObj* obj, int nExceptId) {
  if (obj->m_bFly && obj->m_byFlyHit == 0) return 0;
  const cRectD r = Box(obj);
  for (cChara& b : BlockCharas())
    if (IsLiveBlockChara(b, obj) && b.m_nID != nExceptId && Box(&b).Overlaps(r)) return 1;
  return 0;
}

namespace {

// The best position found on one side, with the block character that gave
// it (its ID and its velocity on the axis). A later block character replaces
// it only when it improves the position.
struct Candidate {
  bool have = false;
  double value = 0;
  double v = 0;
  int id = 0;
  // Keeps the smallest value (right and bottom sides); true when taken.
  bool Min(double x, double vel, int bid) {
    if (have && !(x < value)) return false;
    have = true, value = x, v = vel, id = bid;
    return true;
  }
  // Keeps the largest value (left and top sides).
  bool Max(double x, double vel, int bid) {
    if (have && !(x > value)) return false;
    have = true, value = x, v = vel, id = bid;
    return true;
  }
};

// A flyer stopped by blocks (or dying on them) against the block characters.
[[gnu::noinline]] int FlyerAgainstBlockCharas(cCharaBase* c) {
  const cRectD r = Box(c);
  Candidate left, right, top, bottom;
  bool hit = false;
  for (cChara& b : BlockCharas()) {
    if (!IsLiveBlockChara(b, c)) continue;
    const cRectD bb = Box(&b);
    if (!bb.Overlaps(r)) continue;
    const double w = Penetration(r.left, r.right, bb.left, bb.right);
    const double h = Penetration(r.top, r.bottom, bb.top, bb.bottom);
    if (w == 0) continue;
    hit = true;
    if (w <= h) {
      if (TouchesVLine(bb, r.left, r.top + 1, r.bottom - 1)) {
        c->m_WallL = 1;
        left.Max(bb.right + 1, b.m_dVX, b.m_nID);
      }
      if (TouchesVLine(bb, r.right, r.top + 1, r.bottom - 1)) {
        c->m_WallR = 1;
        right.Min(bb.left - c->m_nW, b.m_dVX, b.m_nID);
      }
    } else {
      if (TouchesHLine(bb, r.top, r.left + 1, r.right - 1)) {
        c->m_WallU = 1;
        top.Max(bb.bottom + 1, b.m_dVY, b.m_nID);
      }
      if (TouchesHLine(bb, r.bottom, r.left + 1, r.right - 1)) {
        c->m_WallD = 1;
        bottom.Min(bb.top - c->m_nH, b.m_dVY, b.m_nID);
      }
    }
  }
  if (hit) RaiseEvent(c, 5);
  const bool any = left.have || right.have || top.have || bottom.have;
  if (c->m_byFlyHit == 2) return any ? 2 : 0;
  if (left.have || right.have) c->m_dVX2 = 0;
  if (top.have || bottom.have) c->m_dVY2 = 0;
  // A block character moving away from the side it touches did not push:
  // the overlap came from the other axis and is resolved there.
  if (left.have) {
    if (left.v < 0 && c->m_dVX >= 0) {
      c->m_WallL = 0;
      ResolveBlockCharaOverlap(c, 1);
    } else {
      c->m_dX = left.value;
      c->m_bLeftRide = 1;
      c->ClampX();
    }
  }
  if (right.have) {
    if (right.v > 0 && c->m_dVX <= 0) {
      c->m_WallR = 0;
      ResolveBlockCharaOverlap(c, 1);
    } else {
      c->m_dX = right.value;
      c->m_bLeftRide = 1;
      c->ClampX();
    }
  }
  if (top.have) {
    if (top.v < 0 && c->m_dVY >= 0) {
      c->m_WallU = 0;
      ResolveBlockCharaOverlap(c, 0);
    } else {
      c->m_dY = top.value;
      c->ClampY();
    }
  }
  if (bottom.have) {
    if (bottom.v > 0 && c->m_dVY <= 0) {
      c->m_WallD = 0;
      ResolveBlockCharaOverlap(c, 0);
    } else {
      c->m_dY = bottom.value;
      c->ClampY();
    }
  }
  return 0;
}

// The chara's box with its top moved to y (bottom and chip coordinates
// kept), for trying a move before making it.
cGameObj WithTop(const cCharaBase* c, double y) {
  cGameObj probe = *c;
  probe.m_dY = y;
  return probe;
}

// Pushed under the first block character that overlaps the upper half:
// the chara is carried below it, rising no further.
void CarryBelow(cCharaBase* c, const cRectD& up) {
  for (cChara& b : BlockCharas()) {
    if (!IsLiveBlockChara(b, c)) continue;
    const cRectD bb = Box(&b);
    if (!bb.Overlaps(up) || Penetration(up.left, up.right, bb.left, bb.right) == 0) continue;
    if (b.m_dVY > 0) c->m_WallU = 1;
    c->m_dVY2 = 0;
    c->m_bJumpRise = c->m_bJumping = c->m_bJumpBlocked = 1;
    c->m_dVY = b.m_dVY;
    c->m_dY = bb.bottom + 1;
    c->ClampY();
    return;
  }
}

int SettleAfterBlockCharas(cCharaBase* c, const cRectD& box, bool hit, bool landed);

// A walker against the block characters; 2 when it is crushed. Kept out of
// line so that HitBlockCharas's quick checks need no large stack frame.
[[gnu::noinline]] int WalkerAgainstBlockCharas(cCharaBase* c) {
  const double n = SubStepsF();
  const cRectD box = Box(c);
  const double startX = c->m_dX;
  const cRectD up{box.left, box.top, box.right, box.top + c->m_nH / 2};
  const cRectD foot{box.left + 1, box.bottom - c->m_nH / 3, box.right - 1, box.bottom};
  const cRectD prev = c->m_PrevBox;
  const cRectD mixed{prev.left, box.top, prev.right, box.bottom};
  Candidate left, right, top, bottom;
  cChara* rideCandidate = nullptr;
  bool hit = false;

  // One side line from the top down to y1; true when b touches it.
  auto side = [&](const cChara& b, const cRectD& bb, bool leftSide, double y1) {
    if (leftSide) {
      if (!TouchesVLine(bb, box.left, box.top, y1)) return false;
      c->m_WallL = 1;
      left.Max(bb.right + 1.5, b.m_dVX, b.m_nID);
    } else {
      if (!TouchesVLine(bb, box.right, box.top, y1)) return false;
      c->m_WallR = 1;
      right.Min(bb.left - c->m_nW - 0.5, b.m_dVX, b.m_nID);
    }
    return true;
  };
  auto standOn = [&](cChara& b, const cRectD& bb) {
    if (b.m_dVY < 0) c->m_WallD = 1;
    if (bottom.Min(bb.top - c->m_nH, b.m_dVY, b.m_nID)) {
      rideCandidate = &b;
      c->m_nRideId = b.m_nID;
      c->m_RideBox = bb;
    }
  };

  for (cChara& b : BlockCharas()) {
    if (!IsLiveBlockChara(b, c)) continue;
    const cRectD bb = Box(&b);
    if (!bb.Overlaps(box)) continue;
    hit = true;
    if (bb.Overlaps(up)) {
      const cRectD& bPrev = b.m_PrevBox;
      const double w1 = Penetration(up.left, up.right, bb.left, bb.right);
      const double h1 = Penetration(up.top, up.bottom, bb.top, bb.bottom);
      const double w2 = Penetration(prev.left, prev.right, bb.left, bb.right);
      const double w3 = Penetration(mixed.left, mixed.right, bPrev.left, bPrev.right);
      if (c->m_dVY > 2 / n && w3 != 0 && prev.top < bPrev.top) {
        WriteDebugLog("D Hit");
        standOn(b, bb);
      } else if ((w1 - h1 > 0.4 / n && box.bottom > bb.bottom) || (w3 != 0 && prev.top > bPrev.top && w2 == 0)) {
        if (b.m_dVY > 0) c->m_WallU = 1;
        top.Max(bb.bottom + 1, b.m_dVY, b.m_nID);
        if (c->m_bRiding && c->m_dVY < 0) c->m_WallD = 1;
      } else {
        const bool leftFirst = c->m_dVX < 0;
        if (!side(b, bb, leftFirst, up.bottom)) side(b, bb, !leftFirst, up.bottom);
      }
    } else {
      const double w = Penetration(box.left, box.right, bb.left, bb.right);
      const double h = Penetration(box.top, box.bottom, bb.top, bb.bottom);
      if (h > w) {
        side(b, bb, false, box.bottom);
        side(b, bb, true, box.bottom);
      } else if (bb.Overlaps(foot)) {
        standOn(b, bb);
      }
    }
  }

  const bool bothSides = left.have && right.have;
  bool landed = false;
  bool sidesDone = false;
  if (top.have && !bottom.have) {
    // Head against a block character above: a rising one takes the chara
    // along only when the place is free of map blocks and other block
    // characters.
    bool apply = true;
    if (top.v < 0) {
      cGameObj probe = WithTop(c, top.value);
      apply = !probe.CornerOnBlock() && !OverlapsBlockCharaExcept(&probe, top.id);
    }
    if (apply) {
      c->m_dVY = top.v;
      c->m_dY = top.value;
      c->m_dVY2 = 0;
      c->m_bJumpRise = c->m_bJumping = c->m_bJumpBlocked = 1;
      c->ClampY();
      RecheckMapY(c);
    }
  } else if (bothSides && !bottom.have) {
    // Squeezed from both sides in the air: carried below, not crushed.
    CarryBelow(c, up);
    c->m_WallL = c->m_WallR = 0;
    sidesDone = true;
  } else if (bottom.have && !bothSides) {
    // Standing on a block character; a sinking one takes the chara down
    // only where no map block is.
    bool apply = true;
    if (bottom.v > 0) {
      apply = !WithTop(c, bottom.value).CornerOnBlock();
      if (!apply) c->m_bRiding = 0;
    }
    if (apply) {
      landed = true;
      c->m_dVY2 = 0;
      if (!c->m_bRiding) {
        c->m_bRiding = 1;
        if (c->m_nObjKind == 0) RaiseEventWith(rideCandidate, 16, c, 0);
        RaiseEventWith(rideCandidate, 17, c, 0);
      }
      c->m_dY = bottom.value;
      c->ClampY();
      c->m_dVY = 0;
      c->m_nAirSteps = 0;
      c->m_bJumping = c->m_bJumpRise = c->m_bFalling = c->m_bImpacted = 0;
      if (c->m_nObjKind != 0)
        c->m_bJumpBlocked = 0;
      else if (!Player.empty())
        Player[0].m_bNoJumpBlock = 0;
    }
  }
  if (!sidesDone) {
    auto push = [&](const Candidate& k) {
      c->m_dVX2 = 0;
      if (!(k.id == c->m_nRideId && c->m_bRiding)) c->m_bLeftRide = 1;
      c->m_dX = k.value;
      c->ClampX();
    };
    if (left.have) push(left);
    if (right.have) push(right);
    if (bothSides && !bottom.have) {
      c->m_dX = startX;
      c->ClampX();
      CarryBelow(c, up);
    }
  }

  return SettleAfterBlockCharas(c, box, hit, landed);
}

// The walker's closing checks after the block characters were met: events,
// crushing, easing out of the map and keeping or leaving the ride.
[[gnu::noinline]] int SettleAfterBlockCharas(cCharaBase* c, const cRectD& box, bool hit, bool landed) {
  if (hit || c->m_bRiding) RaiseEvent(c, 5);
  if (c->m_bRiding) RaiseEvent(c, 6);

  if (c->m_WallL && c->m_WallR) return 2;
  if (c->m_WallU && c->m_WallD) return 2;
  if (BlockCharaInPath(c, box)) return 2;

  // Pushed into the map: back out by tenths of a pixel towards the pusher.
  for (int k = 0; c->m_WallL && k < 15 && c->CornerOnBlock(); ++k) {
    c->m_dX -= 0.1;
    c->ClampX();
  }
  for (int k = 0; c->m_WallR && k < 15 && c->CornerOnBlock(); ++k) {
    c->m_dX += 0.1;
    c->ClampX();
  }
  for (int k = 0; c->m_WallU && k < 15 && c->CornerOnBlock(); ++k) {
    c->m_dY -= 0.1;
    c->ClampY();
  }
  for (int k = 0; c->m_WallD && k < 15 && c->CornerOnBlock(); ++k) {
    c->m_dY += 0.1;
    c->ClampY();
  }

  if (c->m_bRiding && !landed) {
    if (c->m_ImpactY < 0) {
      c->LeaveRide(1);
    } else if (IsStillRiding(c)) {
      for (cChara& b : CharaList) {
        if (b.m_nID != c->m_nRideId) continue;
        c->m_RideBox = Box(&b);
        break;
      }
      c->m_nAirSteps = 0;
      c->m_bImpacted = 0;
    } else if (cCharaBase* below = FindBlockCharaBelow(c)) {
      c->m_nRideId = below->m_nID;
      c->m_RideBox = Box(below);
      c->m_nAirSteps = 0;
      c->m_bImpacted = 0;
    } else {
      c->LeaveRide(1);
    }
  }
  return 0;
}

}  // namespace

int HitBlockCharas(cCharaBase* chara) {
  if (chara->m_bFly && chara->m_byFlyHit == 0) return 0;
  if (BlockCharaCandidates().empty()) {
    // With no block character listed both passes meet nothing: a flyer's
    // then changes nothing, and a walker's comes down to its closing checks,
    // which act only on a walker that rides or touches a wall.
    if (chara->m_bFly) return 0;
    if (!chara->m_bRiding && !chara->m_WallL && !chara->m_WallR && !chara->m_WallU && !chara->m_WallD) return 0;
    return SettleAfterBlockCharas(chara, Box(chara), false, false);
  }
  if (chara->m_bFly) return FlyerAgainstBlockCharas(chara);
  return WalkerAgainstBlockCharas(chara);
}
