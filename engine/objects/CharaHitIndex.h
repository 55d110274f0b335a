#pragma once
// The characters of one faction list that a shot's hit rectangle can touch,
// found through a coarse grid instead of pairing every shot with every
// character. Candidates come back in list order, so hits happen in the same
// order as in a walk over the whole list.
//
// The index holds only while no character moves, changes state or joins the
// list: the caller builds it again after any hit that ran events or damage.
#include <cstdint>
#include <vector>

#include "engine/objects/ObjLists.h"
#include "engine/objects/RectD.h"

class CharaHitIndex {
 public:
  struct Entry {
    cCharaBase* chara;
    CharaPtrList::iterator it;
  };

  // Keeps the characters that may be hit now: active, not dead, not fully
  // invincible, on screen when `onScreenOnly`, with a hit box that can
  // overlap anything.
  void Build(CharaPtrList& charas, bool onScreenOnly);

  // The entries whose hit box may overlap `rect`, as indices in list order.
  // False when the grid cannot answer for this rectangle or this list (an
  // inverted rectangle): then the caller walks the whole list.
  bool Query(const cRectD& rect, std::vector<uint32_t>& out) const;

  const Entry& At(uint32_t i) const { return entries_[i]; }

 private:
  int Cell(double v, double lo, int cells) const;

  std::vector<Entry> entries_;
  std::vector<int32_t> ranges_;     // per entry: first and last column, row
  std::vector<uint32_t> start_;     // per cell: first slot in items_
  std::vector<uint32_t> items_;     // entry indices, by cell, in list order
  double x0_ = 0, y0_ = 0, x1_ = 0, y1_ = 0, size_ = 64;
  int cols_ = 0, rows_ = 0;
  bool usable_ = false;
};
