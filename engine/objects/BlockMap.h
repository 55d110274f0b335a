#pragma once
// The running block map and the collision of objects with it. The map has
// the vertical axis's cell count of rows, each 2^s cells long (s the
// horizontal axis's shift); world pixel (x, y) lies in cell
// (x >> 5) + ((y >> 5) << s). Cells outside the map are empty.
#include <bit>
#include <cstdint>

#include "base/Containers.h"
#include "data/BlockDef.h"
#include "engine/flow/Triggers.h"

class cGameObj;
class cCharaBase;
class cHero;
class cChara;
struct DDSURFACEDATA;

// One cell: a block definition and the once-true latch of its conditions.
class cBlockCell : public cBlockDef {
 public:
  int8_t bCondLatched = 0;

  // The collision class for an object of side nSide: 0 none, 1 solid,
  // 2 solid for stage characters and deadly for everything else.
  int8_t HitType(int nSide);
  // The class without the conditions: what HitType gives for a cell without
  // conditions, which makes that class a plain function of the cell's fields.
  int8_t PlainClass(int nSide) const { return static_cast<int8_t>(m_HitException) == nSide ? 0 : m_Hit; }
  bool HasConds() const { return !m_Conds.empty(); }
  // Draws the cell's chip (and overlay) at screen (x, y).
  void DrawChip(DDSURFACEDATA* dest, int x, int y);
};

extern cVector<cBlockCell> BlockMap;

// The cell of world pixel (x, y), or -1 outside the map.
int BlockIndexAt(int x, int y);
// The cell at a column and row (margins included), or -1 outside the map.
int BlockIndex(int col, int row);
// The class of cell `index` for side nSide; 0 outside the map.
int BlockClassAt(int index, int nSide);
// The cell at `index`, or null outside the map.
cBlockCell* BlockCellAt(int index);
// BlockClassAt(BlockIndex(col, row), nSide) in one call (inline, below).
inline int BlockClassAtCell(int col, int row, int nSide);
// 1 when any of the cells (col1, row1), (col1, row2), (col2, row1),
// (col2, row2), asked in this order, has a class other than 0 (inline,
// below; AnyCornerCellSolid is its general case).
inline int AnyCornerSolid(int col1, int row1, int col2, int row2, int nSide);
int AnyCornerCellSolid(int col1, int row1, int col2, int row2, int nSide);

// Sampling: each returns the index of the most solid cell sampled (-1 when
// nothing was sampled or every sample lay outside the map).
int FindEdgeChip(cGameObj* obj, int x1, int y1, int x2, int y2);
int FindFootChip(cGameObj* obj);
int FindCornerChip(int col1, int row1, int col2, int row2, int nSide);

// What a first pass over one object's side walls (or its top and bottom)
// found: `clear` when every sample was clear (outside the map, or a cell
// without conditions whose class is 0), with what the samples depended on.
struct MapPassNote {
  bool clear = false;
  uint64_t events = 0;  // EventsRaised when the samples were taken
  int n = 0, side = 0, step = 0;
  int a = 0, b = 0;  // the two columns (side walls) or rows (top and bottom)
  int from = 0;      // where the samples along the edges start
  // A clear top-and-bottom pass: its samples cover every side-wall sample
  // of the box it saw, whose edges these are.
  bool sidesCovered = false;
  double x = 0, right = 0, y = 0, bottom = 0;
};

// Map collision: 0 handled or nothing hit, 2 the object must die now.
// With a note, the first passes record what they found, and a recheck of
// the same object given that note skips itself when it cannot change
// anything (see BlockMap.cpp). A note is kept only across the object's own
// movement, where commands run from events alone (never across a flow
// update).
int HitMapX(cGameObj* obj);
int HitMapX(cGameObj* obj, MapPassNote* note);
int RecheckMapX(cGameObj* obj);
int RecheckMapX(cGameObj* obj, const MapPassNote& note);
// The same passes for a character of CharaList, which skip the type tests.
// Its side-wall recheck is also skipped when the clear top-and-bottom pass
// noted in `rows` (no event since) sampled every cell it would sample.
int HitMapX(cChara* c, MapPassNote* note);
// The box's edges truncated (TruncToInt of m_dX, m_dRight, m_dY, m_dBottom),
// as a caller that just placed the box already has them.
struct BoxTruncs {
  int x = 0, right = 0, y = 0, bottom = 0;
};
// HitMapX with edges.x and edges.right given (the others are not read).
int HitMapX(cChara* c, MapPassNote* note, BoxTruncs edges);
int RecheckMapX(cChara* c, const MapPassNote& note, const MapPassNote& rows);
int HitMapY(cChara* c, MapPassNote* note);
// With the note of the character's side-wall pass taken before its vertical
// move: a top-and-bottom pass whose samples fall in cells that clear pass
// sampled (no event since) takes them as clear without reading them.
// `note` and `sides` are two notes (the pass writes one, then reads the other).
int HitMapY(cChara* c, MapPassNote* note, const MapPassNote& sides);
// The same with all four edges given.
int HitMapY(cChara* c, MapPassNote* note, const MapPassNote& sides, BoxTruncs edges);
int RecheckMapY(cChara* c, const MapPassNote& note);
// RecheckMapX(c, xNote, yNote), then RecheckMapY(c, yNote); both are
// skipped when the box has not moved and no event was raised since the
// clear top-and-bottom pass noted in yNote, whose samples cover the side
// walls' (then both would find their samples clear and do nothing). That
// first test is inline (below); a template only so that it reads the box
// where the character's class is complete.
template <class C>
inline void RecheckMaps(C* c, const MapPassNote& xNote, const MapPassNote& yNote);
// RecheckMaps past its first test.
void RecheckMovedBox(cChara* c, const MapPassNote& xNote, const MapPassNote& yNote);
int HitMapLeft(cGameObj* obj);
int HitMapRight(cGameObj* obj);
int HitMapY(cGameObj* obj);
int HitMapY(cGameObj* obj, MapPassNote* note);
int RecheckMapY(cGameObj* obj);
int RecheckMapY(cGameObj* obj, const MapPassNote& note);
// With the sample count (scale + 1) already known.
int RecheckMapY(cGameObj* obj, const MapPassNote& note, int n);
int HitMapTop(cGameObj* obj);
int HitMapBottom(cGameObj* obj);
void KeepHeroInScreenX(cHero* hero);
int KeepHeroInScreenY(cHero* hero);
// 1 when the object's place is taken by a block or a block character.
int IsPlaceBlocked(cGameObj* obj);

// The magnification the map collision samples with: a character's size
// byte (at least 1), 1 for every other object.
int SampleScale(const cGameObj* obj);

// The map's shape is the current world's: World.h includes this header only
// after the world is complete, so that the inline readers below see it
// whichever of the two headers comes first.
#include "engine/World.h"

// The map as one object's samples read it: pitch, height and base are read
// once, and nothing of them changes while the samples are taken.
struct MapView {
  cBlockCell* base;
  long size;
  int shift;
  int pitch;
  int rows;
  MapView() : base(BlockMap.data()), size(static_cast<long>(BlockMap.size())) {
    const cPlayWorld& w = CurrentWorld();
    shift = w.m_ScrollX.m_nShift;
    pitch = 1 << shift;
    rows = w.m_ScrollY.m_nCells;
  }
  // As BlockIndex.
  int Index(int col, int row) const {
    if (col < 0 || row < 0 || col >= pitch || row >= rows) return -1;
    const long index = static_cast<long>(col) + (static_cast<long>(row) << shift);
    return index < size ? static_cast<int>(index) : -1;
  }
  // As BlockClassAt; a cell without conditions is read without the call.
  int Class(int index, int side) const {
    if (index < 0) return 0;
    cBlockCell& cell = base[index];
    return cell.HasConds() ? cell.HitType(side) : cell.PlainClass(side);
  }
};

inline int BlockClassAtCell(int col, int row, int nSide) {
  const MapView map;
  return map.Class(map.Index(col, row), nSide);
}

inline int AnyCornerSolid(int col1, int row1, int col2, int row2, int nSide) {
  // A box within one cell without conditions: that cell's class decides.
  if (row2 == row1 && col2 == col1) {
    const MapView map;
    const int a = map.Index(col1, row1);
    if (a < 0) return 0;
    const cBlockCell& cell = map.base[a];
    if (!cell.HasConds()) return cell.PlainClass(nSide) != 0 ? 1 : 0;
  }
  return AnyCornerCellSolid(col1, row1, col2, row2, nSide);
}

namespace blockmap_detail {
// The same bits: then the same value, so the same truncations (the box's
// columns and rows). Values equal in other bits (0 and -0) only lose the
// skip; the rechecks then run and find what the skip would have assumed.
inline bool SameBits(double a, double b) { return std::bit_cast<uint64_t>(a) == std::bit_cast<uint64_t>(b); }
}  // namespace blockmap_detail

template <class C>
inline void RecheckMaps(C* c, const MapPassNote& xNote, const MapPassNote& yNote) {
  using blockmap_detail::SameBits;
  if (yNote.sidesCovered && yNote.events == EventsRaised && SameBits(c->m_dX, yNote.x) &&
      SameBits(c->m_dRight, yNote.right) && SameBits(c->m_dY, yNote.y) && SameBits(c->m_dBottom, yNote.bottom))
    return;
  RecheckMovedBox(c, xNote, yNote);
}
