#pragma once
// The running block map and the collision of objects with it. The map has
// the vertical axis's cell count of rows, each 2^s cells long (s the
// horizontal axis's shift); world pixel (x, y) lies in cell
// (x >> 5) + ((y >> 5) << s). Cells outside the map are empty.
#include <cstdint>

#include "base/Containers.h"
#include "data/BlockDef.h"

class cGameObj;
class cCharaBase;
class cHero;
struct DDSURFACEDATA;

// One cell: a block definition and the once-true latch of its conditions.
class cBlockCell : public cBlockDef {
 public:
  int8_t bCondLatched = 0;

  // The collision class for an object of side nSide: 0 none, 1 solid,
  // 2 solid for stage characters and deadly for everything else.
  int8_t HitType(int nSide);
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
// BlockClassAt(BlockIndex(col, row), nSide) in one call.
int BlockClassAtCell(int col, int row, int nSide);

// Sampling: each returns the index of the most solid cell sampled (-1 when
// nothing was sampled or every sample lay outside the map).
int FindEdgeChip(cGameObj* obj, int x1, int y1, int x2, int y2);
int FindFootChip(cGameObj* obj);
int FindCornerChip(int col1, int row1, int col2, int row2, int nSide);

// Map collision: 0 handled or nothing hit, 2 the object must die now.
int HitMapX(cGameObj* obj);
int RecheckMapX(cGameObj* obj);
int HitMapLeft(cGameObj* obj);
int HitMapRight(cGameObj* obj);
int HitMapY(cGameObj* obj);
int RecheckMapY(cGameObj* obj);
int HitMapTop(cGameObj* obj);
int HitMapBottom(cGameObj* obj);
void KeepHeroInScreenX(cHero* hero);
int KeepHeroInScreenY(cHero* hero);
// 1 when the object's place is taken by a block or a block character.
int IsPlaceBlocked(cGameObj* obj);

// The magnification the map collision samples with: a character's size
// byte (at least 1), 1 for every other object.
int SampleScale(const cGameObj* obj);
