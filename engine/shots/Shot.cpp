#include "engine/shots/Shot.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <iterator>

#include "base/Text.h"
#include "data/Database.h"
#include "data/Stage.h"
#include "engine/Names.h"
#include "engine/StepMath.h"
#include "engine/World.h"
#include "engine/objects/BlockMap.h"
#include "engine/objects/CharaBase.h"
#include "engine/objects/ChipSheets.h"
#include "engine/objects/Motion.h"
#include "engine/shots/ShotMove.h"

namespace {

// The auto-scroll speed per sub-step of an axis, or null while it is held
// at a bound (the caller then keeps or zeroes its value).
bool ScrollSpeed(const cScrollAxis& axis, double* speed) {
  if (axis.m_bAtLimit) return false;
  *speed = axis.m_dAutoSpeed;
  return true;
}

void RemoveLink(cCharaBase* chara, cShot* shot, int kind) {
  if (!chara) return;
  cVector<ShotLink>& links = chara->m_ShotLinks;
  ShotLink key{shot, kind};
  links.erase(std::remove_if(links.begin(), links.end(), [&](const ShotLink& l) { return SameLink(l, key); }),
              links.end());
}

}  // namespace

const cSwordType* SwordTypeOf(int type) {
  if (type < 0 || static_cast<size_t>(type) >= Database.m_SwordTypes.size()) return nullptr;
  const cSwordType& t = Database.m_SwordTypes[static_cast<size_t>(type)];
  return t.m_SwordFrames.empty() ? nullptr : &t;
}

int HasLink(const cVector<ShotLink>& links, const ShotLink& link) {
  for (const ShotLink& l : links)
    if (SameLink(l, link)) return 1;
  return 0;
}

void cShot::ScaleHitBox(int nScale) {
  m_nHitX = nScale * m_nBaseHitX;
  m_nHitY = nScale * m_nBaseHitY;
  m_nHitW = nScale * m_nBaseHitW;
  m_nHitH = nScale * m_nBaseHitH;
}

void cShot::KeepFootOnScale(int nNew, int nOld) {
  if (nNew == nOld) return;
  m_dY -= static_cast<double>((nNew - nOld) * (m_nBaseH >> 1));
  ClampStageY(2);
}

void cShot::UpdateBoxY() {
  m_HitRect.top = TruncToInt(m_dY) + m_nHitY;
  m_HitRect.bottom = m_HitRect.top + m_nHitH - 1;
}

void cShot::Unlink() {
  RemoveLink(m_lpTarget, this, 0);
  RemoveLink(m_lpOwner, this, 4);
  m_lpTarget = nullptr;
  m_lpOwner = nullptr;
}

void cShot::Setup(int id, cCharaBase* owner, int cmdKind, const cEdShot* def, const ShotLaunch& launch) {
  namespace s = nm::shot;
  m_ShotDef = *def;
  if (m_ShotDef.m_ShotSize == 0) m_ShotDef.m_ShotSize = 1;
  const int scale = std::max<int>(m_ShotDef.m_ShotSize, 1);
  const int n = SubSteps();
  const double nf = SubStepsF();

  int faceRight = launch.dVX > 0 ? 1 : launch.dVX == 0 ? owner->m_bFaceRight : 0;

  int w = 16, h = 16;
  m_bShot = 1;
  const cSwordType* sword = nullptr;
  if (cmdKind == 12) {
    m_bShot = 0;
    sword = SwordTypeOf(s::byMove(m_ShotDef));
    if (sword) {
      w = sword->m_SwordFrames[0].m_Width;
      h = sword->m_SwordFrames[0].m_Height;
    }
  }

  m_nOwnerId = owner->m_nID;
  cGameObj::Setup(id, owner->m_nObjKind, owner->m_nFaction, s::byFaction(m_ShotDef), s::wGraphic(m_ShotDef),
                  kShotAnimSource, m_bShot ? 1 : 0, 0, 0, w, h, 16, 16, faceRight, 1, launch.nClone, nullptr);
  if (s::byOwnerFaction(m_ShotDef)) {
    s::byFaction(m_ShotDef) = static_cast<uint8_t>(owner->m_nBlockSide);
    m_nBlockSide = owner->m_nBlockSide;
  }

  if (!m_bShot) {
    m_nBaseHitX = m_nBaseHitY = 0;
    m_nBaseHitW = w;
    m_nBaseHitH = h;
  } else {
    int hw = owner->m_nObjKind == 0 ? nm::stage::HeroShotHitW(Stage) : nm::stage::CharaShotHitW(Stage);
    int hh = owner->m_nObjKind == 0 ? nm::stage::HeroShotHitH(Stage) : nm::stage::CharaShotHitH(Stage);
    m_nBaseHitW = hw;
    m_nBaseHitH = hh;
    m_nBaseHitX = 8 - (hw >> 1);
    m_nBaseHitY = 8 - (hh >> 1);
  }
  m_nHitX = m_nBaseHitX;
  m_nHitY = m_nBaseHitY;
  m_nHitW = m_nBaseHitW;
  m_nHitH = m_nBaseHitH;
  SetScale(scale, 1);

  m_dX = launch.nX;
  ClampX();
  m_dY = launch.nY;
  ClampStageY(2);

  m_dFlyVX = launch.dVX / nf;
  m_dFlyVY = launch.dVY / nf;

  if (s::byAccelOn(m_ShotDef)) {
    m_bAccel = 1;
    m_dAccel = (s::wAccel(m_ShotDef) + s::wAccelInc(m_ShotDef) * launch.nClone) * 0.1 / nf;
    SplitSpeed(&m_dVX2, &m_dVY2, launch.dVX, launch.dVY);
  } else {
    m_bAccel = 0;
    m_dAccel = m_dVX2 = m_dVY2 = 0;
  }
  m_dVX = m_dVY = 0;
  m_bScrollSync = s::byScrollSync(m_ShotDef);

  if (s::byLifeOn(m_ShotDef)) m_nLifeLeft = launch.nLife * n * 6;

  if (s::byRangeOn(m_ShotDef)) {
    int d = std::max(launch.nRange * 16 - m_nW, 0);
    double sp = std::fabs(launch.dSpeed / nf);
    if (d > 0 && sp > 0) {
      m_nRangeLeft = TruncToInt(d / sp);
    } else {
      m_nRangeLeft = n;
      if (sp > 0 && m_nW < TruncToInt(sp * n)) m_nRangeLeft = TruncToInt(m_nW / sp);
    }
    if (m_nRangeLeft < n) {
      // The range is covered within one frame: cover exactly d in one frame.
      double v = d / nf;
      double sum = std::fabs(launch.dVX) + std::fabs(launch.dVY);
      if (sum > 0) {
        m_dFlyVX = v * launch.dVX / sum;
        m_dFlyVY = v * launch.dVY / sum;
      } else {
        m_dFlyVX = m_dFlyVY = 0;
      }
      m_nRangeLeft = n;
    }
  }

  m_nCount = m_nSwordFrame = m_nTurnStart = m_nTurnEnd = m_bTurnDone = 0;

  // A slot number outside the four target slots names no target.
  int slot = s::byTargetSlot(m_ShotDef);
  m_lpTarget = slot >= 0 && static_cast<size_t>(slot) < owner->m_Targets.size()
                   ? owner->m_Targets[static_cast<size_t>(slot)]
                   : nullptr;
  m_lpOwner = owner;
  m_bNoHit = 0;
  m_bHitEvent = s::byHitEvent(m_ShotDef);
  m_byHitEventArg = static_cast<int8_t>(s::byHitEventArg(m_ShotDef));
}

void cShot::SplitSpeed(double* outX, double* outY, double vx, double vy) {
  double a = m_dAccel / SubStepsF() / 60;
  if (vx != 0 && vy != 0) {
    double len = std::sqrt(vx * vx + vy * vy);
    *outX = a * vx / len;
    *outY = a * vy / len;
  } else if (vx != 0) {
    *outX = vx > 0 ? a : -a;
    *outY = 0;
  } else if (vy != 0) {
    *outX = 0;
    *outY = vy > 0 ? a : -a;
  } else {
    *outX = *outY = 0;
  }
}

int cShot::ClampX() { return ClampXIn(CurrentWorld().m_ScrollX.m_nExtent); }

int cShot::MoveX() {
  if (m_dVX2 != 0) m_dVX += m_dVX2;
  if (m_dVX != 0) {
    double cap = Stage.m_StepCap;
    m_dVX = std::clamp(m_dVX, -cap, cap);
    m_dX += m_dVX;
    return ClampX();
  }
  return 0;
}

int cShot::MoveY() {
  if (m_dVY2 != 0) m_dVY += m_dVY2;
  if (m_dVY != 0) {
    const int side = StepY(2);
    // Only a clamp at the world's edge (3 or 6) moved m_dY; otherwise a
    // second clamp would find the same box and give the same report.
    return side == 3 || side == 6 ? ClampStageY(2) : side;
  }
  return 0;
}

int cShot::Step() {
  namespace s = nm::shot;
  if (!m_bShot) return FollowOwner();
  const cPlayWorld& w = CurrentWorld();

  if (m_bScrollSync) {
    double v = 0;
    m_dVX = ScrollSpeed(w.m_ScrollX, &v) ? v : 0;
    if (m_bFly) m_dVY = ScrollSpeed(w.m_ScrollY, &v) ? v : 0;
  } else {
    m_dVX = 0;
    if (m_bFly) m_dVY = 0;
  }

  // Move kind 0 flies straight: RunShotMove would do nothing.
  if (nm::shot::byMove(m_ShotDef) != 0) RunShotMove(this);

  if (m_bAccel) {
    m_dFlyVX += m_dVX2;
    if (m_bFly)
      m_dFlyVY += m_dVY2;
    else
      m_dVY += m_dVY2;
  }
  m_dVX += m_dFlyVX;
  if (m_bFly) m_dVY += m_dFlyVY;

  if (s::byLifeOn(m_ShotDef)) {
    if (m_nLifeLeft <= 0) return 1;
    --m_nLifeLeft;
  }

  if (m_dVX > 0)
    m_bFaceRight = 1;
  else if (m_dVX < 0)
    m_bFaceRight = 0;

  if (s::byRangeOn(m_ShotDef)) {
    if (m_nRangeLeft > 0) {
      --m_nRangeLeft;
      return 0;
    }
    if (!s::byStopAtRange(m_ShotDef)) return 1;
    m_dFlyVX = m_dFlyVY = 0;
    s::byMove(m_ShotDef) = 0;
    if (m_bScrollSync) {
      double v = 0;
      if (ScrollSpeed(w.m_ScrollX, &v)) m_dVX = v;
      if (m_bFly && ScrollSpeed(w.m_ScrollY, &v)) m_dVY = v;
    } else {
      m_dVX = m_dVY = 0;
    }
  }
  return 0;
}

namespace {

// A shot wider than a chip samples rows and columns every 32 pixels, the
// last sample on the far edge. Out of line, so the common small shot's test
// saves no registers.
[[gnu::noinline]] int WideShotHitsMap(const cShot& s) {
  auto solid = [&](int col, int row) { return BlockClassAtCell(col, row, s.m_nBlockSide) != 0; };
  const int x0 = TruncToInt(s.m_dX), y0 = TruncToInt(s.m_dY);
  for (int oy = 0;; oy += 32) {
    int y = std::min(oy, s.m_nH - 1);
    for (int ox = 0;; ox += 32) {
      int x = std::min(ox, s.m_nW - 1);
      if (solid((x0 + x) >> 5, (y0 + y) >> 5)) return 1;
      if (x >= s.m_nW - 1) break;
    }
    if (y >= s.m_nH - 1) break;
  }
  return 0;
}

}  // namespace

int cShot::HitsMap() {
  if (nm::shot::byPassBlocks(m_ShotDef) == 1) return 0;
  if (m_nW > 32) return WideShotHitsMap(*this);
  return AnyCornerSolid(m_nCol, m_nRow, m_nRightCol, m_nBottomRow, m_nBlockSide);
}

int cShot::FollowOwner() {
  cCharaBase* owner = FindCharaById(m_nOwnerId);
  if (!owner) return 1;
  const cSwordType* type = SwordTypeOf(nm::shot::byMove(m_ShotDef));
  if (!type || m_nSwordFrame < 0 || static_cast<size_t>(m_nSwordFrame) >= type->m_SwordFrames.size()) return 1;
  owner->UpdateScreenPos();
  m_bFaceRight = owner->m_bFaceRight;
  const cSwordFrame& f = type->m_SwordFrames[static_cast<size_t>(m_nSwordFrame)];
  const int scale = std::max<int>(m_ShotDef.m_ShotSize, 1);
  if (m_nCount == 0) {
    m_nBasePicW = m_nBaseW = m_nBaseHitW = f.m_Width;
    m_nBasePicH = m_nBaseH = m_nBaseHitH = f.m_Height;
    m_nPicW = m_nW = m_nHitW = scale * f.m_Width;
    m_nPicH = m_nH = m_nHitH = scale * f.m_Height;
    m_nHitX = m_nHitY = 0;
  }
  const cPlayWorld& w = CurrentWorld();
  const double camX = w.m_ScrollX.m_dPos, camY = w.m_ScrollY.m_dPos;
  double x = m_dX, y = m_dY;
  const int centreY = owner->m_nScrTop + (owner->m_nPicH >> 1) - (m_nH >> 1);
  switch (f.m_Position) {
    case 0:
    case 1: {
      int right = f.m_Position == 0 ? m_bFaceRight : !m_bFaceRight;
      if (f.m_Position == 1) m_bFaceRight = !m_bFaceRight;
      x = (right ? owner->m_nScrRight + 1 : owner->m_nScrLeft - m_nW) + camX;
      y = centreY + camY;
      break;
    }
    case 2:
      x = owner->m_nScrLeft + (owner->m_nPicW >> 1) - (m_nW >> 1) + camX;
      y = owner->m_nScrTop - 1 - (m_nH - 1) + camY;
      break;
    case 3:
      x = owner->m_nScrLeft + (owner->m_nPicW >> 1) - (m_nW >> 1) + camX;
      y = owner->m_nScrBottom + 1 + camY;
      break;
    default:
      break;
  }
  const int dx = f.m_Param1 * scale, dy = f.m_Param2 * scale;
  x += owner->m_bFaceRight && f.m_Param3 ? -dx : dx;
  y += owner->m_bFaceRight && f.m_Param4 ? -dy : dy;
  m_dX = x;
  m_dY = y;
  ClampX();
  ClampStageY(2);
  ++m_nCount;
  if (static_cast<int64_t>(m_nCount) <= static_cast<int64_t>(f.Duration()) * SubSteps() * 6) return 0;
  m_nCount = 0;
  ++m_nSwordFrame;
  return static_cast<size_t>(m_nSwordFrame) >= type->m_SwordFrames.size() ? 1 : 0;
}

void cShot::Draw(DDSURFACEDATA* surface, int frozen) {
  if (nm::shot::byHidden(m_ShotDef)) return;
  const int scale = std::max<int>(m_ShotDef.m_ShotSize, 1);
  const int s = ChipFirstCopies() ? 1 : 0;
  DDSURFACEDATA* src = nullptr;
  int sx = 0, sy = 0;
  if (m_bShot) {
    const int p = frozen ? m_Anim.GetPattern() : m_Anim.Step();
    if (m_nChip < 0) return;
    const int index = PickSurfaceIndex(20 + (m_bFaceRight ? 1 : 0), scale > 1 ? 1 - s : 0);
    if (index < 0 || index >= kSurfaceTableSize) return;
    src = &SurfaceTable[index];
    sx = (p + (m_nChip / 30) * 2) * 16;
    sy = (m_nChip % 30) * 16;
  } else {
    // The current frame's rectangle in the sword type's images: the first
    // image faces left, the second right; stretching without video
    // stretching reads the system-memory copies.
    const cSwordType* type = SwordTypeOf(nm::shot::byMove(m_ShotDef));
    if (!type || m_nSwordFrame < 0 || static_cast<size_t>(m_nSwordFrame) >= type->m_SwordFrames.size()) return;
    const cSwordFrame& f = type->m_SwordFrames[static_cast<size_t>(m_nSwordFrame)];
    const size_t index = 4 * static_cast<size_t>(nm::shot::byMove(m_ShotDef)) + (scale > 1 && !s ? 2 : 0) +
                         (m_bFaceRight ? 1 : 0);
    // The images are loaded with the stage; without them nothing is drawn.
    if (index >= SwordSurfaces.size()) return;
    src = &SwordSurfaces[index];
    sx = nm::db::SwordSrcX(f);
    sy = nm::db::SwordSrcY(f);
  }
  if (scale > 1)
    DDBltStretch(surface, m_nScrLeft, m_nScrTop, m_nPicW, m_nPicH, src, sx, sy, m_nBasePicW, m_nBasePicH, 1);
  else
    DDBlt(surface, m_nScrLeft, m_nScrTop, m_nPicW, m_nPicH, src, sx, sy, 1);
}

cShot* AddShot(cList<cShot>& list, const cShot& shot) {
  list.push_back(shot);
  cShot* copy = &list.back();
  cVector<ShotPtrList>& factions = CurrentWorld().m_FactionShots;
  // A faction outside the lists keeps the shot out of every faction list.
  if (copy->m_nBlockSide >= 0 && static_cast<size_t>(copy->m_nBlockSide) < factions.size())
    factions[static_cast<size_t>(copy->m_nBlockSide)].push_back(copy);
  return copy;
}

cList<cShot>::iterator RemoveShot(cList<cShot>& list, cList<cShot>::iterator node) {
  cShot* shot = &*node;
  cVector<ShotPtrList>& factions = CurrentWorld().m_FactionShots;
  if (shot->m_nBlockSide >= 0 && static_cast<size_t>(shot->m_nBlockSide) < factions.size()) {
    ShotPtrList& l = factions[static_cast<size_t>(shot->m_nBlockSide)];
    auto it = std::find(l.begin(), l.end(), shot);
    if (it != l.end()) l.erase(it);
  }
  shot->Unlink();
  return list.erase(node);
}

namespace {

// What every shot's sub-step reads and nothing in the shots' pass changes:
// the world's width, the step cap, the map's layout and the sub-step.
struct ShotPass {
  double extent = 0;
  double cap = 0, negCap = 0;
  const cBlockCell* map = nullptr;
  int shift = 0;
  unsigned pitch = 0;     // 1 << shift
  unsigned fullRows = 0;  // rows whose every cell the map holds
  bool first = false;     // the frame's first sub-step

  explicit ShotPass(const cPlayWorld& w, bool firstSubStep)
      : extent(w.m_ScrollX.m_nExtent),
        cap(Stage.m_StepCap),
        negCap(-Stage.m_StepCap),
        map(BlockMap.data()),
        shift(w.m_ScrollX.m_nShift),
        first(firstSubStep) {
    // Below fullRows and pitch the index is below the map's size, as
    // BlockIndex would find: the cell is read without its tests. Any other
    // place (outside, or in a row the map cuts short) takes HitsMap.
    if (shift >= 0 && shift < 31) {
      pitch = 1u << shift;
      const long rows = std::max(w.m_ScrollY.m_nCells, 0);
      fullRows = static_cast<unsigned>(std::min(rows, static_cast<long>(BlockMap.size()) >> shift));
    }
  }
};

// A shot flying straight with nothing else to do: no sword, scroll sync,
// move kind, acceleration, life or range. Its Step only sets the speed from
// the flight speed and the facing, and gravity passes it by.
bool PlainFlight(const cShot& s) {
  const cEdShot& d = s.m_ShotDef;
  // Or'd together: zero only when each of them is.
  const int others =
      s.m_bScrollSync | s.m_bAccel | nm::shot::byMove(d) | nm::shot::byLifeOn(d) | nm::shot::byRangeOn(d);
  // Then the two that must be set, each by its own test (no side effects).
  return others == 0 && s.m_bShot != 0 && s.m_bFly != 0;
}

int OutOfRemovalArea(const cShot& s, const ShotPass& p) {
  return p.first && s.m_nRangeLeft != 0 && s.IsOutOfRange(Stage.m_RemoveAreas[s.m_nObjKind == 0 ? 3 : 4]);
}

// The sub-step of any other shot or sword, call by call.
[[gnu::noinline]] int StepShotInFull(cShot& s, const ShotPass& p) {
  if (s.Step()) return 1;
  s.ApplyGravity();
  s.MoveY();
  s.MoveX();
  if (OutOfRemovalArea(s, p)) return 1;
  return s.HitsMap();
}

// Bits of a double without the sign: zero only for +-0.
uint64_t MagnitudeBits(double x) {
  uint64_t bits = 0;
  std::memcpy(&bits, &x, sizeof bits);
  return bits << 1;
}

// After the moves of a plain flight: on the first sub-step the removal area,
// then HitsMap, a box within one cell without conditions getting that
// cell's class as AnyCornerSolid gives it.
template <bool kFirst>
int EndPlainShot(cShot& s, const ShotPass& p) {
  if (kFirst && OutOfRemovalArea(s, p)) [[unlikely]]
    return 1;
  if (nm::shot::byPassBlocks(s.m_ShotDef) == 1) return 0;
  const int col = s.m_nCol, row = s.m_nRow;
  // The box's corner cells, (m_nCol, m_nRow) and (m_nRightCol, m_nBottomRow),
  // are two pairs of neighbouring ints: one compare each way.
  uint64_t topLeft = 0, bottomRight = 0;
  std::memcpy(&topLeft, &s.m_nCol, sizeof topLeft);
  std::memcpy(&bottomRight, &s.m_nRightCol, sizeof bottomRight);
  if (s.m_nW <= 32 && topLeft == bottomRight && static_cast<unsigned>(col) < p.pitch &&
      static_cast<unsigned>(row) < p.fullRows) [[likely]] {
    const cBlockCell& cell = p.map[static_cast<long>(col) + (static_cast<long>(row) << p.shift)];
    // PlainClass != 0: a class, and not this side's exception (the class
    // first: most cells have none).
    if (!cell.HasConds()) return cell.m_Hit != 0 && static_cast<int8_t>(cell.m_HitException) != s.m_nBlockSide ? 1 : 0;
  }
  return s.HitsMap();
}

// MoveX of a plain flight with the speed vx (not +-0): the step cap, the
// move and the clamp at the world's edges.
void MovePlainShotX(cShot& s, const ShotPass& p, double vx) {
  // std::clamp's min(max()), on values rather than references (the same
  // also for a negative cap).
  const double atLeast = vx < p.negCap ? p.negCap : vx;
  vx = p.cap < atLeast ? p.cap : atLeast;
  s.m_dVX = vx;
  s.m_dX += vx;
  s.ClampXIn(p.extent);
}

// A plain flight with a Y flight speed or an acceleration: the speeds are
// set, MoveY runs and the acceleration is added as the full step has them.
template <bool kFirst>
[[gnu::noinline]] int StepPlainShotWithExtras(cShot& s, const ShotPass& p) {
  s.m_dVX = 0;
  s.m_dVY = 0;
  s.m_dVX += s.m_dFlyVX;
  s.m_dVY += s.m_dFlyVY;
  if (s.m_dVX > 0)
    s.m_bFaceRight = 1;
  else if (s.m_dVX < 0)
    s.m_bFaceRight = 0;
  // MoveY leaves the X speed alone, so it is read once here.
  double vx = s.m_dVX;
  if (MagnitudeBits(s.m_dVY2) | MagnitudeBits(s.m_dVY)) s.MoveY();
  if (MagnitudeBits(s.m_dVX2)) {
    vx += s.m_dVX2;
    s.m_dVX = vx;
  }
  // MoveX: x != 0 told by the bits, which let NaN through as the compare does.
  if (MagnitudeBits(vx)) MovePlainShotX(s, p, vx);
  return EndPlainShot<kFirst>(s, p);
}

// The same sub-step for a plain flight, with the calls that do nothing for
// it left out and the values of the pass read once; kFirst is p.first.
template <bool kFirst>
int StepPlainShot(cShot& s, const ShotPass& p) {
  // The Y flight speed and both accelerations +-0 (their bits without the
  // sign or'd): the speeds are 0 + the flight speeds, so the Y speed is +0,
  // MoveY does nothing and MoveX adds nothing.
  if (MagnitudeBits(s.m_dFlyVY) | MagnitudeBits(s.m_dVY2) | MagnitudeBits(s.m_dVX2)) [[unlikely]]
    return StepPlainShotWithExtras<kFirst>(s, p);
  s.m_dVY = 0;
  // 0 + the flight speed: -0 becomes +0, as in the full step.
  const double vx = s.m_dFlyVX + 0.0;
  if (vx > 0) {
    s.m_bFaceRight = 1;
    // Above 0 the raise to -cap changes nothing unless the cap is below 0,
    // and then the cut gives the cap either way (a NaN cap passes vx).
    const double capped = p.cap < vx ? p.cap : vx;
    s.m_dVX = capped;
    s.m_dX += capped;
    s.ClampXIn(p.extent);
  } else if (vx < 0) {
    s.m_bFaceRight = 0;
    MovePlainShotX(s, p, vx);
  } else if (vx != vx) [[unlikely]] {
    // NaN keeps the facing and still moves, as in MoveX.
    MovePlainShotX(s, p, vx);
  } else {
    s.m_dVX = 0;
  }
  return EndPlainShot<kFirst>(s, p);
}

}  // namespace

namespace {

template <bool kFirst>
void StepShotList(cList<cShot>& shots, const ShotPass& pass) {
  for (auto it = shots.begin(); it != shots.end();) {
    cShot& s = *it;
    int gone;
    if (PlainFlight(s)) [[likely]]
      gone = StepPlainShot<kFirst>(s, pass);
    else
      gone = StepShotInFull(s, pass);
    if (gone) [[unlikely]]
      it = RemoveShot(shots, it);
    else
      ++it;
  }
}

}  // namespace

void StepShots(cPlayWorld& w) {
  const ShotPass pass(CurrentWorld(), w.m_nSubStep == 1);
  if (pass.first)
    StepShotList<true>(w.m_Shots, pass);
  else
    StepShotList<false>(w.m_Shots, pass);
}
