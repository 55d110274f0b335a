#include "engine/objects/BlockMap.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <typeinfo>

#include "base/Text.h"
#include "data/System.h"
#include "engine/Names.h"
#include "engine/World.h"
#include "engine/flow/Triggers.h"
#include "engine/objects/Chara.h"
#include "engine/objects/ChipSheets.h"
#include "engine/objects/Hero.h"
#include "engine/rules/Rules.h"
#include "engine/shots/Shot.h"
#include "media/graphics/DDCore.h"

cVector<cBlockCell> BlockMap;

namespace {

// Asked for every object in each sub-step's map collision: the exact types
// are told apart by their type records first (as in SampleScale).
cCharaBase* AsChara(cGameObj* obj) {
  if (!obj) return nullptr;
  const std::type_info* type = &typeid(*obj);
  if (type == &typeid(cChara)) return static_cast<cChara*>(obj);
  if (type == &typeid(cHero)) return static_cast<cHero*>(obj);
  if (type == &typeid(cShot)) return nullptr;
  return dynamic_cast<cCharaBase*>(obj);
}

// A stage character of the running list is a cChara (or, in tests, a type
// derived from it): it is a character without asking its type.
cChara* AsChara(cChara* c) { return c; }

// A flyer that passes through blocks.
bool PassesBlocks(const cGameObj* obj) { return obj->m_bFly && obj->m_byFlyHit == 0; }
bool DiesOnBlocks(const cGameObj* obj) { return obj->m_bFly && obj->m_byFlyHit == 2; }
bool IsStageChara(const cGameObj* obj) { return obj->m_nObjKind == 1; }

// The best of the samples so far: the largest class wins; on a tie the one
// nearer `mid` wins when `useMid` (strictly nearer; ties keep the earlier).
struct Best {
  int index = -1;
  int cls = -1;
  int dist = 0;
  void Offer(int idx, int side, bool useMid, int pos, int mid) {
    int c = BlockClassAt(idx, side);
    int d = std::abs(pos - mid);
    if (cls < 0 || c > cls || (useMid && c == cls && d < dist)) {
      index = idx;
      cls = c;
      dist = d;
    }
  }
};

}  // namespace

int8_t cBlockCell::HitType(int nSide) {
  if (!m_Conds.empty() && !CheckBlockCondition(this)) return 0;
  return PlainClass(nSide);
}

void cBlockCell::DrawChip(DDSURFACEDATA* dest, int x, int y) {
  ChipSource src;
  GetChipRect(&src, 0, m_GfxKind, m_GfxIndex, m_GfxPattern);
  if (!src.lpChosen) return;
  DDBlt(dest, x, y, 32, 32, src.lpChosen, src.nSrcX, src.nSrcY, 1);
  if (m_Overlay == 1) {
    int k = m_OverlayChip;
    DDBlt(dest, x, y, 32, 32, &SurfaceTable[43], (k / 15) * 32, (k % 15) * 32, 1);
  }
}

int BlockIndex(int col, int row) {
  const cPlayWorld& w = CurrentWorld();
  int pitch = 1 << w.m_ScrollX.m_nShift;
  if (col < 0 || row < 0 || col >= pitch || row >= w.m_ScrollY.m_nCells) return -1;
  long index = static_cast<long>(col) + (static_cast<long>(row) << w.m_ScrollX.m_nShift);
  if (index >= static_cast<long>(BlockMap.size())) return -1;
  return static_cast<int>(index);
}

int BlockIndexAt(int x, int y) { return BlockIndex(x >> 5, y >> 5); }

cBlockCell* BlockCellAt(int index) {
  if (index < 0 || static_cast<size_t>(index) >= BlockMap.size()) return nullptr;
  return &BlockMap[static_cast<size_t>(index)];
}

int BlockClassAt(int index, int nSide) {
  cBlockCell* cell = BlockCellAt(index);
  return cell ? cell->HitType(nSide) : 0;
}

namespace {
int ShotScale(const cShot* s) { return nm::shot::bySize(s->m_ShotDef) < 1 ? 1 : nm::shot::bySize(s->m_ShotDef); }

// Every object asks this in each sub-step's map collision: the exact types
// are told apart by their type records first, which costs no walk through
// the class tree; other types take the general cast.
inline int ScaleOf(const cGameObj* obj) {
  const std::type_info* type = &typeid(*obj);
  if (type == &typeid(cChara)) return static_cast<const cChara*>(obj)->Scale();
  if (type == &typeid(cShot)) return ShotScale(static_cast<const cShot*>(obj));
  if (type == &typeid(cHero)) return static_cast<const cHero*>(obj)->Scale();
  if (auto* c = dynamic_cast<const cCharaBase*>(obj)) return c->Scale();
  if (auto* s = dynamic_cast<const cShot*>(obj)) return ShotScale(s);
  return 1;
}
}  // namespace

int SampleScale(const cGameObj* obj) { return ScaleOf(obj); }

namespace {
// Samples per edge: the scale plus one. A cChara's scale needs no type test
// (ScaleOf gives every character its own Scale()).
inline int SampleCount(const cGameObj* obj) { return ScaleOf(obj) + 1; }
inline int SampleCount(const cChara* c) { return c->Scale() + 1; }
// Only the hero counts its steps in the air with the player's jump.
inline bool IsHeroChara(cCharaBase* c) { return dynamic_cast<cHero*>(c) != nullptr; }
inline bool IsHeroChara(cChara*) { return false; }
}  // namespace

namespace {

// The cell an edge's samples chose and its class. A cell with conditions is
// asked again when its class is read, as every reader of a cell does.
struct Edge {
  int index = -1;
  int cls = 0;
  int Class(int side) const {
    if (index >= 0 && BlockMap[static_cast<size_t>(index)].HasConds())
      return BlockMap[static_cast<size_t>(index)].HitType(side);
    return cls;
  }
};

// The samples down a vertical edge at x from y: n = scale + 1 samples, one
// base height apart; the largest class wins, a tie keeps the earlier one.
Edge VerticalEdge(const cGameObj* obj, int x, int y) {
  const int n = ScaleOf(obj) + 1;
  const MapView map;
  const int side = obj->m_nBlockSide;
  const int col = x >> 5;
  const int step = obj->m_nBaseH - 1;
  int bestIndex = -1, bestCls = -1;
  for (int k = 0; k < n; ++k) {
    const int idx = map.Index(col, (y + k * step) >> 5);
    const int c = map.Class(idx, side);
    if (bestCls < 0 || c > bestCls) {
      bestIndex = idx;
      bestCls = c;
    }
  }
  return Edge{bestIndex, bestIndex < 0 ? 0 : bestCls};
}

// The samples along a horizontal edge at y from x1 to x2: n samples one base
// width apart; the largest class wins, a tie goes to the sample strictly
// nearer the middle, otherwise to the earlier one. An edge one pixel wide
// (x1 == x2) is sampled as a vertical one.
Edge HorizontalEdge(const cGameObj* obj, int x1, int x2, int y) {
  if (x1 == x2) return VerticalEdge(obj, x1, y);
  const int n = ScaleOf(obj) + 1;
  const MapView map;
  const int side = obj->m_nBlockSide;
  const int row = y >> 5;
  const int mid = (x1 + x2) >> 1;
  const int step = obj->m_nBaseW - 1;
  if (n == 2) {
    // The loop below for two samples: the first is taken, the second wins
    // with a larger class or the same class strictly nearer the middle.
    const int xb = x1 + step;
    const int ia = map.Index(x1 >> 5, row);
    const int ca = map.Class(ia, side);
    const int ib = map.Index(xb >> 5, row);
    const int cb = map.Class(ib, side);
    const bool second = cb > ca || (cb == ca && std::abs(xb - mid) < std::abs(x1 - mid));
    const int index = second ? ib : ia;
    return Edge{index, index < 0 ? 0 : (second ? cb : ca)};
  }
  int bestIndex = -1, bestCls = -1, bestDist = 0;
  for (int k = 0; k < n; ++k) {
    const int x = x1 + k * step;
    const int idx = map.Index(x >> 5, row);
    const int c = map.Class(idx, side);
    const int d = std::abs(x - mid);
    if (bestCls < 0 || c > bestCls || (c == bestCls && d < bestDist)) {
      bestIndex = idx;
      bestCls = c;
      bestDist = d;
    }
  }
  return Edge{bestIndex, bestIndex < 0 ? 0 : bestCls};
}

// Either edge by its ends; any other line samples nothing.
Edge FindEdge(const cGameObj* obj, int x1, int y1, int x2, int y2) {
  if (x1 == x2) return VerticalEdge(obj, x1, y1);
  if (y1 == y2) return HorizontalEdge(obj, x1, x2, y1);
  return Edge{};
}

// The side walls' and the top and bottom edges' samples of an object's box.
Edge SideEdge(const cGameObj* obj, int x) { return VerticalEdge(obj, x, TruncToInt(obj->m_dY)); }
Edge RowEdge(const cGameObj* obj, int y) {
  return HorizontalEdge(obj, TruncToInt(obj->m_dX), TruncToInt(obj->m_dRight), y);
}

// The note of a clear pass of n samples per edge. The box's edges (x ..
// bottom) are read only where sidesCovered is set, and that is written with
// them: they are left as they are.
[[gnu::always_inline]] inline void NoteClearPass(MapPassNote* note, int n, int side, int step, int a, int b,
                                                 int from) {
  note->clear = true;
  note->events = EventsRaised;
  note->n = n;
  note->side = side;
  note->step = step;
  note->a = a;
  note->b = b;
  note->from = from;
  note->sidesCovered = false;
}

// Tells, for the edges of one object's box, whether every sample of an edge
// falls outside the map or in a cell without conditions whose class is 0.
// Such an edge's search gives class 0, and every pass below does nothing on
// a class-0 edge, so a pass whose edges are all clear is done without the
// search. A cell without conditions is read without side effects, so the
// look is exact; any other edge takes the full search.
//
// A recheck soon after a first pass may also be skipped from the first
// pass's note: the samples are a function of the cells, the map's shape, the
// object's sample count, side and base size, and the columns and rows the
// samples fall in. Cells, map, count, side and size change only in
// commands, and while one object moves commands run only from events; so
// when no event was raised since the note and the columns and rows are the
// same, the recheck would take the noted clear samples again and do nothing.
class ClearEdges {
 public:
  // `rows`: the top and bottom edges are asked (the bottom is read).
  ClearEdges(const cGameObj* obj, bool rows, int n)
      : obj_(obj), n_(n), side_(obj->m_nBlockSide), x_(TruncToInt(obj->m_dX)), right_(TruncToInt(obj->m_dRight)),
        y_(TruncToInt(obj->m_dY)), bottom_(rows ? TruncToInt(obj->m_dBottom) : 0) {}
  // Both side walls (the samples of VerticalEdge at the left and right x).
  [[gnu::always_inline]] bool Sides() const {
    const MapView map;
    if (n_ == 2) return Quad(map, x_ >> 5, right_ >> 5, y_ >> 5, (y_ + obj_->m_nBaseH - 1) >> 5);
    return Column(map, x_, y_) && Column(map, right_, y_);
  }
  // The top and bottom edges (the samples of HorizontalEdge at both y).
  [[gnu::always_inline]] bool TopAndBottom() const {
    const MapView map;
    if (n_ == 2 && x_ != right_) return Quad(map, x_ >> 5, (x_ + obj_->m_nBaseW - 1) >> 5, y_ >> 5, bottom_ >> 5);
    return Row(map, y_) && Row(map, bottom_);
  }
  void NoteSides(MapPassNote* note) const { Note(note, obj_->m_nBaseH - 1, x_ >> 5, right_ >> 5, y_); }
  // A one-pixel-wide box samples its top and bottom as columns: not noted.
  void NoteRows(MapPassNote* note) const {
    if (x_ != right_) Note(note, obj_->m_nBaseW - 1, y_ >> 5, bottom_ >> 5, x_);
  }
  bool SidesAsNoted(const MapPassNote& note) const {
    return Noted(note, obj_->m_nBaseH - 1, x_ >> 5, right_ >> 5, y_);
  }
  bool RowsAsNoted(const MapPassNote& note) const {
    return x_ != right_ && Noted(note, obj_->m_nBaseW - 1, y_ >> 5, bottom_ >> 5, x_);
  }
  // The side walls' samples all fall in cells that a clear top-and-bottom
  // pass (noted in `rows`, no event since) sampled: those cells were clear
  // then and are still, so the side walls are clear.
  bool SidesWithinRows(const MapPassNote& rows) const {
    if (!rows.clear || rows.events != EventsRaised || rows.n != n_ || rows.side != side_) return false;
    const int step = obj_->m_nBaseH - 1;
    for (int k = 0; k < n_; ++k) {
      const int row = (y_ + k * step) >> 5;
      if (row != rows.a && row != rows.b) return false;
    }
    return AmongNotedColumns(rows, x_ >> 5) && AmongNotedColumns(rows, right_ >> 5);
  }
  // SidesWithinRows for the note just taken of this box; two samples per
  // edge lie at the box's first column (row) and one base size on.
  bool SidesWithinRowsNoted() const {
    if (n_ != 2) return SidesWithinRowsAt();
    const int r1 = y_ >> 5, r2 = bottom_ >> 5, sideRow = (y_ + obj_->m_nBaseH - 1) >> 5;
    const int c1 = x_ >> 5, c2 = (x_ + obj_->m_nBaseW - 1) >> 5, right = right_ >> 5;
    return (sideRow == r1 || sideRow == r2) && (right == c1 || right == c2);
  }
  // The other way round, for two samples per edge: every top-and-bottom
  // sample falls in a cell that the clear side-wall pass noted in `sides`
  // (no event since) sampled. Those cells were outside the map or clear
  // then, and without an event no command changed them, the map's shape,
  // the side or the sizes since, so they still are.
  bool RowsWithinSides(const MapPassNote& sides) const {
    if (n_ != 2 || x_ == right_ || !sides.clear || sides.events != EventsRaised || sides.n != 2 ||
        sides.side != side_)
      return false;
    const int r1 = sides.from >> 5, r2 = (sides.from + sides.step) >> 5;
    const int c1 = x_ >> 5, c2 = (x_ + obj_->m_nBaseW - 1) >> 5, top = y_ >> 5, bottom = bottom_ >> 5;
    return (c1 == sides.a || c1 == sides.b) && (c2 == sides.a || c2 == sides.b) && (top == r1 || top == r2) &&
           (bottom == r1 || bottom == r2);
  }
  [[gnu::noinline]] bool SidesWithinRowsAt() const {
    MapPassNote rows;
    NoteRows(&rows);
    return SidesWithinRows(rows);
  }

 private:
  [[gnu::always_inline]] bool Clear(const cBlockCell& cell) const {
    return !cell.HasConds() && cell.PlainClass(side_) == 0;
  }
  // Two samples per edge (scale 1) sample the cells {c1, c2} x {r1, r2},
  // whichever edge goes first. Each cell's test stands alone, so the order
  // does not matter; inside the map all four are read at once, otherwise
  // the loops below skip the samples outside.
  [[gnu::always_inline]] bool Quad(const MapView& map, int c1, int c2, int r1, int r2) const {
    const auto in = [](int v, int limit) { return static_cast<unsigned>(v) < static_cast<unsigned>(limit); };
    if (in(c1, map.pitch) && in(c2, map.pitch) && in(r1, map.rows) && in(r2, map.rows)) {
      const long row1 = static_cast<long>(r1) << map.shift, row2 = static_cast<long>(r2) << map.shift;
      // The index grows with column and row, so the largest of the four
      // stands for all of them against the map's size.
      if (std::max(c1, c2) + std::max(row1, row2) < map.size)
        return Clear(map.base[c1 + row1]) && Clear(map.base[c2 + row1]) && Clear(map.base[c1 + row2]) &&
               Clear(map.base[c2 + row2]);
    }
    return QuadSlow(map, c1, c2, r1, r2);
  }
  [[gnu::noinline]] bool QuadSlow(const MapView& map, int c1, int c2, int r1, int r2) const {
    for (const int c : {c1, c2})
      for (const int r : {r1, r2}) {
        const int index = map.Index(c, r);
        if (index >= 0 && !Clear(map.base[index])) return false;
      }
    return true;
  }
  // As the loops over map.Index, with the fixed column (row) tested once:
  // outside the map every sample is outside.
  [[gnu::noinline]] bool Column(const MapView& map, int x, int y) const {
    const int col = x >> 5;
    if (col < 0 || col >= map.pitch) return true;
    const int step = obj_->m_nBaseH - 1;
    for (int k = 0; k < n_; ++k) {
      const int row = (y + k * step) >> 5;
      if (row < 0 || row >= map.rows) continue;
      const long index = col + (static_cast<long>(row) << map.shift);
      if (index < map.size && !Clear(map.base[index])) return false;
    }
    return true;
  }
  [[gnu::noinline]] bool Row(const MapView& map, int y) const {
    if (x_ == right_) return Column(map, x_, y);
    const int row = y >> 5;
    if (row < 0 || row >= map.rows) return true;
    const long first = static_cast<long>(row) << map.shift;
    const int step = obj_->m_nBaseW - 1;
    for (int k = 0; k < n_; ++k) {
      const int col = (x_ + k * step) >> 5;
      if (col < 0 || col >= map.pitch) continue;
      const long index = first + col;
      if (index < map.size && !Clear(map.base[index])) return false;
    }
    return true;
  }
  static bool AmongNotedColumns(const MapPassNote& rows, int col) {
    for (int k = 0; k < rows.n; ++k)
      if ((rows.from + k * rows.step) >> 5 == col) return true;
    return false;
  }
  void Note(MapPassNote* note, int step, int a, int b, int from) const {
    NoteClearPass(note, n_, side_, step, a, b, from);
  }
  bool Noted(const MapPassNote& note, int step, int a, int b, int from) const {
    if (!note.clear || note.events != EventsRaised || note.n != n_ || note.side != side_ || note.step != step ||
        note.a != a || note.b != b)
      return false;
    // The samples along the edges fall in the same chips.
    if (note.from == from) return true;
    for (int k = 0; k < n_; ++k)
      if ((note.from + k * step) >> 5 != (from + k * step) >> 5) return false;
    return true;
  }

  const cGameObj* obj_;
  const int n_, side_, x_, right_, y_, bottom_;
};

}  // namespace

int FindEdgeChip(cGameObj* obj, int x1, int y1, int x2, int y2) { return FindEdge(obj, x1, y1, x2, y2).index; }

// The general case of AnyCornerSolid.
int AnyCornerCellSolid(int col1, int row1, int col2, int row2, int nSide) {
  const MapView map;
  // A box within one column or row names a cell twice. A cell without
  // conditions asked again gives the class it gave before, which was 0 (or
  // we had returned), so a cell named again is asked only when it has
  // conditions.
  auto solid = [&](int index, bool again) {
    if (again && (index < 0 || !map.base[index].HasConds())) return false;
    return map.Class(index, nSide) != 0;
  };
  const bool oneRow = row2 == row1, oneCol = col2 == col1;
  const int a = map.Index(col1, row1);
  if (solid(a, false)) return 1;
  const int b = oneRow ? a : map.Index(col1, row2);
  if (solid(b, oneRow)) return 1;
  const int c = oneCol ? a : map.Index(col2, row1);
  if (solid(c, oneCol)) return 1;
  const int d = oneCol ? b : oneRow ? c : map.Index(col2, row2);
  return solid(d, oneCol || oneRow) ? 1 : 0;
}

int FindFootChip(cGameObj* obj) {
  int m = SampleScale(obj);
  int k = (m & 1) ? m + 2 : m + 1;
  int step = obj->m_nW / (k - 1);
  int xL = TruncToInt(obj->m_dX);
  int xR = TruncToInt(obj->m_dRight);
  int mid = (xL + xR) >> 1;
  int row = TruncToInt(obj->m_dBottom) >> 5;
  Best best;
  for (int i = 0; i < k; ++i) {
    int x = i == k - 1 ? xR : xL + i * step;
    best.Offer(BlockIndex(x >> 5, row), obj->m_nBlockSide, true, x, mid);
  }
  return best.index;
}

int FindCornerChip(int col1, int row1, int col2, int row2, int nSide) {
  Best best;
  best.Offer(BlockIndex(col1, row1), nSide, false, 0, 0);
  best.Offer(BlockIndex(col2, row1), nSide, false, 0, 0);
  best.Offer(BlockIndex(col1, row2), nSide, false, 0, 0);
  best.Offer(BlockIndex(col2, row2), nSide, false, 0, 0);
  return best.index;
}

int cGameObj::CornerOnBlock() const {
  return AnyCornerSolid(m_nCol, m_nRow, m_nRightCol, m_nBottomRow, m_nBlockSide);
}

namespace {

// One side wall: x of the edge, whether it is the left side.
int HitSide(cGameObj* obj, bool left) {
  if (PassesBlocks(obj)) return 0;
  int x = left ? TruncToInt(obj->m_dX) : TruncToInt(obj->m_dRight);
  int c = SideEdge(obj, x).Class(obj->m_nBlockSide);
  if (c == 1 || (c == 2 && IsStageChara(obj))) {
    if (DiesOnBlocks(obj)) return 2;
    cCharaBase* chara = AsChara(obj);
    obj->m_dVX2 = 0;
    if (left) {
      obj->m_dX += 32 - (x & 31);
    } else {
      obj->m_dX -= (x & 31) + 1;
    }
    if (chara) {
      (left ? chara->m_WallL : chara->m_WallR) = 1;
      chara->ClampX();
      chara->m_nTurnSide = left ? 0 : 1;
      RaiseEvent(chara, 9);
      RaiseEvent(chara, 10);
      RaiseEvent(chara, left ? 11 : 12);
    } else {
      obj->ClampStageX(2);
    }
    return 0;
  }
  if (c == 2) return 2;
  return 0;
}

bool RisingWalker(const cGameObj* obj) {
  return !nm::sys::LandWhileRising(SystemData) && !obj->m_bFly && obj->m_dVY < 0;
}

void SetStandCell(cGameObj* obj, int index) {
  cCharaBase* chara = AsChara(obj);
  if (!chara) return;
  chara->m_lpFootBlock = BlockCellAt(index);
  chara->m_nStandCell = index;
}

void LandObj(cGameObj* obj) {
  if (cCharaBase* chara = AsChara(obj)) chara->Land();
}

void CeilingObj(cGameObj* obj) {
  if (cCharaBase* chara = AsChara(obj)) chara->HitCeiling();
}

// No ground under a character's bottom edge: one more step in the air.
template <class C>
void InAir(C* chara) {
  chara->m_lpFootBlock = nullptr;
  chara->m_nAirSteps += 1;
  if (chara->m_nAirSteps >= Stage.m_FallStepLimit) {
    if (IsHeroChara(chara)) {
      if (!chara->m_bRiding) {
        if (!Player.empty()) Player[0].m_bJumpReady = 1;
        chara->m_bFalling = 1;
      }
    } else {
      chara->m_bFalling = 1;
    }
  }
}

// The cell a landing object stands on: the hero samples its whole foot.
int StandIndex(cGameObj* obj, int edgeIndex) {
  return obj->m_nObjKind == 0 && dynamic_cast<cHero*>(obj) ? FindFootChip(obj) : edgeIndex;
}

}  // namespace

namespace {

// A cell without conditions whose class for `side` is 0.
[[gnu::always_inline]] inline bool PlainClear(const cBlockCell& cell, int side) {
  return !cell.HasConds() && cell.PlainClass(side) == 0;
}

// What ClearEdges' Quad finds for the cells (c1, c2) x (r1, r2) when it can
// be told without a call: 1 all inside the map and clear (no conditions,
// class 0 for `side`), 0 all inside and one not clear; -1 when any lies
// outside or there is no play scene (the general pass then reads the empty
// world).
[[gnu::always_inline]] inline int QuadState(int c1, int c2, int r1, int r2, int side) {
  const cPlayWorld* w = PlayScene;
  if (!w) return -1;
  const int shift = w->m_ScrollX.m_nShift;
  const unsigned pitch = 1u << shift, rows = static_cast<unsigned>(w->m_ScrollY.m_nCells);
  if (static_cast<unsigned>(c1) >= pitch || static_cast<unsigned>(c2) >= pitch ||
      static_cast<unsigned>(r1) >= rows || static_cast<unsigned>(r2) >= rows)
    return -1;
  const long row1 = static_cast<long>(r1) << shift, row2 = static_cast<long>(r2) << shift;
  // The index grows with column and row: the largest stands for all four,
  // compared in bytes with the map's storage (no division for its size).
  const cBlockCell* base = BlockMap.data();
  const unsigned long bytes = reinterpret_cast<uintptr_t>(std::to_address(BlockMap.end())) -
                              reinterpret_cast<uintptr_t>(base);
  if (static_cast<unsigned long>(std::max(c1, c2) + std::max(row1, row2)) * sizeof(cBlockCell) >= bytes) return -1;
  // Each cell's test stands alone and reads nothing else: a cell named twice
  // (one column or one row) is tested once.
  const cBlockCell* first = base + row1;
  if (!PlainClear(first[c1], side) || (c2 != c1 && !PlainClear(first[c2], side))) return 0;
  if (r2 == r1) return 1;
  const cBlockCell* second = base + row2;
  return PlainClear(second[c1], side) && (c2 == c1 || PlainClear(second[c2], side)) ? 1 : 0;
}

[[gnu::always_inline]] inline bool InsideAndClear(int c1, int c2, int r1, int r2, int side) {
  return QuadState(c1, c2, r1, r2, side) == 1;
}

// The note ClearEdges writes for a clear pass of two samples per edge.
[[gnu::always_inline]] inline void NoteClear(MapPassNote* note, int side, int step, int a, int b, int from) {
  NoteClearPass(note, 2, side, step, a, b, from);
}

}  // namespace

int HitMapLeft(cGameObj* obj) { return HitSide(obj, true); }
int HitMapRight(cGameObj* obj) { return HitSide(obj, false); }

int HitMapX(cGameObj* obj) {
  MapPassNote note;
  return HitMapX(obj, &note);
}

namespace {

// The passes below are written once for any object and once for a listed
// stage character, which reads its scale and kind without type tests.
// The walls' passes when a sample was not clear (apart, so that the clear
// case's call stays small).
[[gnu::noinline]] int HitWalls(cGameObj* obj) {
  if (obj->m_bFly && obj->m_byFlyHit == 1) {
    if (HitMapRight(obj) == 2) return 2;
    return HitMapLeft(obj) == 2 ? 2 : 0;
  }
  bool rightFirst = obj->m_dVX > 0;
  if ((rightFirst ? HitMapRight(obj) : HitMapLeft(obj)) == 2) return 2;
  return rightFirst ? HitMapLeft(obj) : HitMapRight(obj);
}

template <class Obj>
int HitMapXOf(Obj* obj, MapPassNote* note) {
  note->clear = false;
  if (PassesBlocks(obj)) return 0;
  // Clear walls: neither side moves the object, so the second side sees
  // the box the first saw.
  const ClearEdges edges(obj, false, SampleCount(obj));
  if (edges.Sides()) {
    edges.NoteSides(note);
    return 0;
  }
  return HitWalls(obj);
}

template <class Obj>
int RecheckMapXOf(Obj* obj, const MapPassNote& note, const MapPassNote& rows) {
  if (PassesBlocks(obj)) return 0;
  const ClearEdges edges(obj, false, SampleCount(obj));
  if (edges.SidesAsNoted(note) || edges.SidesWithinRows(rows) || edges.Sides()) return 0;
  int r = HitMapRight(obj);
  int l = HitMapLeft(obj);
  return r == 2 || l == 2 ? 2 : 0;
}

// The general passes for a listed character, apart from the fast cases
// below so that those stay small.
[[gnu::noinline]] int CharaHitMapX(cChara* c, MapPassNote* note) { return HitMapXOf(c, note); }

}  // namespace

int HitMapX(cGameObj* obj, MapPassNote* note) { return HitMapXOf(obj, note); }

int HitMapX(cChara* c, MapPassNote* note) { return HitMapX(c, note, BoxTruncs{TruncToInt(c->m_dX), TruncToInt(c->m_dRight)}); }

int HitMapX(cChara* c, MapPassNote* note, BoxTruncs edges) {
  // Scale 1 with the four wall cells inside the map and clear: what
  // HitMapXOf finds by the same cells (Sides' Quad), without its spills.
  if (c->m_Def.m_Size <= 1 && !PassesBlocks(c)) {
    const int x = edges.x, right = edges.right, y = TruncToInt(c->m_dY);
    const int step = c->m_nBaseH - 1, side = c->m_nBlockSide;
    // Noted before the test, so that less stays live across it: when the
    // cells are not clear, HitMapXOf starts by setting clear to false, and
    // no reader looks past a false clear.
    NoteClear(note, side, step, x >> 5, right >> 5, y);
    if (InsideAndClear(x >> 5, right >> 5, y >> 5, (y + step) >> 5, side)) return 0;
  }
  return CharaHitMapX(c, note);
}

int RecheckMapX(cGameObj* obj) { return RecheckMapX(obj, MapPassNote{}); }
int RecheckMapX(cGameObj* obj, const MapPassNote& note) { return RecheckMapXOf(obj, note, MapPassNote{}); }
int RecheckMapX(cChara* c, const MapPassNote& note, const MapPassNote& rows) { return RecheckMapXOf(c, note, rows); }

int HitMapTop(cGameObj* obj) {
  if (PassesBlocks(obj)) return 0;
  // Two samples (at x and x + base width - 1) in clear cells inside the map
  // find class 0, on which nothing happens.
  const int x = TruncToInt(obj->m_dX), right = TruncToInt(obj->m_dRight), row = TruncToInt(obj->m_dY) >> 5;
  if (x != right && SampleCount(obj) == 2 &&
      InsideAndClear(x >> 5, (x + obj->m_nBaseW - 1) >> 5, row, row, obj->m_nBlockSide))
    return 0;
  int c = RowEdge(obj, TruncToInt(obj->m_dY)).Class(obj->m_nBlockSide);
  if (c == 1 || (c == 2 && IsStageChara(obj))) {
    if (DiesOnBlocks(obj)) return 2;
    CeilingObj(obj);
    return 0;
  }
  return c == 2 ? 2 : 0;
}

int HitMapBottom(cGameObj* obj) {
  if (PassesBlocks(obj)) return 0;
  const Edge edge = RowEdge(obj, TruncToInt(obj->m_dBottom));
  const int i = edge.index;
  cCharaBase* chara = AsChara(obj);
  if (chara) chara->m_lpFootBlock = BlockCellAt(i);
  int c = edge.Class(obj->m_nBlockSide);
  if (c == 0) {
    if (chara) InAir(chara);
    return 0;
  }
  if (c == 1) {
    if (DiesOnBlocks(obj)) return 2;
    if (RisingWalker(obj)) return 0;
    SetStandCell(obj, StandIndex(obj, i));
    LandObj(obj);
    return 0;
  }
  // Class 2.
  SetStandCell(obj, i);
  if (!IsStageChara(obj)) return 2;
  if (DiesOnBlocks(obj)) return 2;
  if (RisingWalker(obj)) return 0;
  LandObj(obj);
  return 0;
}

int HitMapY(cGameObj* obj) {
  MapPassNote note;
  return HitMapY(obj, &note);
}

namespace {

[[gnu::noinline]] int HitTopAndBottom(cGameObj* obj) {
  bool bottomFirst = (obj->m_bFly && obj->m_byFlyHit == 1) || obj->m_dVY > 0;
  if ((bottomFirst ? HitMapBottom(obj) : HitMapTop(obj)) == 2) return 2;
  return bottomFirst ? HitMapTop(obj) : HitMapBottom(obj);
}

template <class Obj>
int HitMapYOf(Obj* obj, MapPassNote* note, const MapPassNote& sides) {
  note->clear = false;
  note->sidesCovered = false;
  if (PassesBlocks(obj)) return 0;
  auto* chara = AsChara(obj);
  if (chara) chara->m_lpFootBlock = nullptr;
  // Clear top and bottom: the top does nothing and the bottom only counts
  // a step in the air, whichever goes first.
  const ClearEdges edges(obj, true, SampleCount(obj));
  if (edges.RowsWithinSides(sides) || edges.TopAndBottom()) {
    edges.NoteRows(note);
    if (note->clear && edges.SidesWithinRowsNoted()) {
      note->sidesCovered = true;
      note->x = obj->m_dX;
      note->right = obj->m_dRight;
      note->y = obj->m_dY;
      note->bottom = obj->m_dBottom;
    }
    if (chara) InAir(chara);
    return 0;
  }
  return HitTopAndBottom(obj);
}

[[gnu::noinline]] int CharaHitMapY(cChara* c, MapPassNote* note, const MapPassNote& sides) {
  return HitMapYOf(c, note, sides);
}

}  // namespace

int HitMapY(cGameObj* obj, MapPassNote* note) { return HitMapYOf(obj, note, MapPassNote{}); }
int HitMapY(cChara* c, MapPassNote* note) { return HitMapYOf(c, note, MapPassNote{}); }
int HitMapY(cChara* c, MapPassNote* note, const MapPassNote& sides) {
  return HitMapY(c, note, sides, BoxTruncs{TruncToInt(c->m_dX), TruncToInt(c->m_dRight), TruncToInt(c->m_dY), TruncToInt(c->m_dBottom)});
}

int HitMapY(cChara* c, MapPassNote* note, const MapPassNote& sides, BoxTruncs edges) {
  // Scale 1 with a box wider than a pixel: HitMapYOf's two-sample case,
  // step by step, wherever it can tell without a call whether the top and
  // bottom are clear (RowsWithinSides, else TopAndBottom's Quad).
  if (c->m_Def.m_Size <= 1 && !PassesBlocks(c)) {
    const int x = edges.x, right = edges.right;
    if (x != right) {
      const int y = edges.y, bottom = edges.bottom, side = c->m_nBlockSide;
      const int c1 = x >> 5, c2 = (x + c->m_nBaseW - 1) >> 5, top = y >> 5, bot = bottom >> 5;
      // Noted before the tests, as in HitMapX: a pass that is not clear
      // sets clear (and sidesCovered) to false first.
      NoteClear(note, side, c->m_nBaseW - 1, top, bot, x);
      int state = -1;
      if (sides.clear && sides.events == EventsRaised && sides.n == 2 && sides.side == side) {
        const int r1 = sides.from >> 5, r2 = (sides.from + sides.step) >> 5;
        if ((c1 == sides.a || c1 == sides.b) && (c2 == sides.a || c2 == sides.b) && (top == r1 || top == r2) &&
            (bot == r1 || bot == r2))
          state = 1;
      }
      if (state < 0) state = QuadState(c1, c2, top, bot, side);
      if (state == 1) {
        const int sideRow = (y + c->m_nBaseH - 1) >> 5, rightCol = right >> 5;
        if ((sideRow == top || sideRow == bot) && (rightCol == c1 || rightCol == c2)) {
          note->sidesCovered = true;
          note->x = c->m_dX;
          note->right = c->m_dRight;
          note->y = c->m_dY;
          note->bottom = c->m_dBottom;
        }
        InAir(c);
        return 0;
      }
      if (state == 0) {
        note->clear = false;
        note->sidesCovered = false;
        c->m_lpFootBlock = nullptr;
        return HitTopAndBottom(c);
      }
    }
  }
  return CharaHitMapY(c, note, sides);
}

int RecheckMapY(cGameObj* obj) { return RecheckMapY(obj, MapPassNote{}); }

// RecheckMaps (BlockMap.h) compares the box's edges bit for bit: with the
// same edges both rechecks would take the noted samples (the same columns,
// rows and starts; count, side and base size change only in commands, which
// run only from events here).
namespace {
[[gnu::noinline]] void RecheckBoth(cChara* c, const MapPassNote& xNote, const MapPassNote& yNote) {
  RecheckMapX(c, xNote, yNote);
  RecheckMapY(c, yNote);
}
}  // namespace

void RecheckMovedBox(cChara* c, const MapPassNote& xNote, const MapPassNote& yNote) {
  // Scale 1, a box wider than a pixel: when the side walls' cells (Sides'
  // Quad) and then the top and bottom's (TopAndBottom's Quad) are inside the
  // map and clear, each recheck returns 0 having changed nothing.
  if (c->m_Def.m_Size <= 1 && !PassesBlocks(c)) {
    const int x = TruncToInt(c->m_dX), right = TruncToInt(c->m_dRight), y = TruncToInt(c->m_dY), side = c->m_nBlockSide;
    if (x != right && InsideAndClear(x >> 5, right >> 5, y >> 5, (y + c->m_nBaseH - 1) >> 5, side) &&
        InsideAndClear(x >> 5, (x + c->m_nBaseW - 1) >> 5, y >> 5, TruncToInt(c->m_dBottom) >> 5, side))
      return;
  }
  RecheckBoth(c, xNote, yNote);
}
int RecheckMapY(cChara* c, const MapPassNote& note) { return RecheckMapY(static_cast<cGameObj*>(c), note, SampleCount(c)); }
int RecheckMapY(cGameObj* obj, const MapPassNote& note) { return RecheckMapY(obj, note, SampleCount(obj)); }

int RecheckMapY(cGameObj* obj, const MapPassNote& note, int n) {
  if (PassesBlocks(obj)) return 0;
  const ClearEdges edges(obj, true, n);
  if (edges.RowsAsNoted(note) || edges.TopAndBottom()) return 0;
  const Edge edge = RowEdge(obj, TruncToInt(obj->m_dBottom));
  const int i = edge.index;
  int c = edge.Class(obj->m_nBlockSide);
  if (c == 1 || c == 2) {
    if (c == 1 && DiesOnBlocks(obj)) return 2;
    if (c == 1 && RisingWalker(obj)) return 0;
    SetStandCell(obj, StandIndex(obj, i));
    if (c == 2) {
      if (!IsStageChara(obj) || DiesOnBlocks(obj)) return 2;
      if (RisingWalker(obj)) return 0;
    }
    LandObj(obj);
  }
  int t = RowEdge(obj, TruncToInt(obj->m_dY)).Class(obj->m_nBlockSide);
  if (t == 1 || (t == 2 && IsStageChara(obj))) {
    if (DiesOnBlocks(obj)) return 2;
    CeilingObj(obj);
    return 0;
  }
  return t == 2 ? 2 : 0;
}

void KeepHeroInScreenX(cHero* hero) {
  const cScrollAxis& a = CurrentWorld().m_ScrollX;
  if (!a.m_bAuto && !hero->m_bFly) return;
  hero->UpdateScreenPos();
  if (hero->m_nScrLeft + hero->m_nPicOfsX < 0) {
    hero->m_WallL = 1;
    hero->m_dX = a.m_dPos;
    hero->ClampX();
  } else if (hero->m_nScrRight - hero->m_nPicOfsX + 1 >= 640) {
    hero->m_WallR = 1;
    hero->m_dX = a.m_dPos + 640 - hero->m_nW - 1;
    hero->ClampX();
  }
}

int KeepHeroInScreenY(cHero* hero) {
  const cScrollAxis& a = CurrentWorld().m_ScrollY;
  if (!a.m_bAuto && !hero->m_bFly) return 0;
  hero->UpdateScreenPos();
  if (hero->m_nScrTop + hero->m_nPicOfsY < 0) {
    hero->m_WallU = 1;
    hero->m_dY = a.m_dPos;
    hero->ClampY();
  } else if (hero->m_nScrBottom - hero->m_nPicOfsY + 1 >= 480) {
    hero->m_WallD = 1;
    hero->m_dY = a.m_dPos + 480 - hero->m_nH - 1;
    hero->ClampY();
    if (!hero->m_bFly) return 2;
  }
  return 0;
}

int IsPlaceBlocked(cGameObj* obj) {
  if (PassesBlocks(obj)) return 0;
  int i = FindCornerChip(obj->m_nCol, obj->m_nRow, obj->m_nRightCol, obj->m_nBottomRow, obj->m_nBlockSide);
  if (BlockClassAt(i, obj->m_nBlockSide) != 0) return 1;
  return OverlapsBlockChara(obj, CharaList) ? 1 : 0;
}
