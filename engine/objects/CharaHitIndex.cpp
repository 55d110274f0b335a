#include "engine/objects/CharaHitIndex.h"

#include <algorithm>
#include <cmath>

#include "engine/Names.h"
#include "engine/World.h"
#include "engine/objects/CharaBase.h"

namespace {

constexpr double kFirstCellSize = 64;

bool Inverted(const cRectD& r) { return !(r.left <= r.right) || !(r.top <= r.bottom); }
bool HasNaN(const cRectD& r) {
  return std::isnan(r.left) || std::isnan(r.right) || std::isnan(r.top) || std::isnan(r.bottom);
}

}  // namespace

// Non-decreasing in v: rectangles that overlap map onto cell ranges that
// overlap, so no touching pair is missed.
int CharaHitIndex::Cell(double v, double lo, int cells) const {
  const double t = (v - lo) / size_;
  if (!(t < cells - 1)) return cells - 1;
  if (!(t > 0)) return 0;
  return static_cast<int>(t);
}

void CharaHitIndex::Build(CharaPtrList& charas, bool onScreenOnly) {
  entries_.clear();
  usable_ = false;
  const cPlayWorld& w = CurrentWorld();
  double minX = 0, minY = 0, maxX = 0, maxY = 0;
  for (auto it = charas.begin(); it != charas.end(); ++it) {
    cCharaBase* r = *it;
    if (onScreenOnly && !r->IsOnScreenAt(w.m_ScrollX.m_dPos, w.m_ScrollY.m_dPos)) continue;
    if (!r->m_bActive || r->m_bDead || nm::chara::Invincible(r->m_Def) == 2) continue;
    const cRectD& b = r->m_HitBoxShot.rc;
    if (HasNaN(b)) continue;  // compares false with everything: never hit
    if (Inverted(b)) return;  // may overlap rectangles beside it: walk the list
    if (entries_.empty()) {
      minX = b.left, minY = b.top, maxX = b.right, maxY = b.bottom;
    } else {
      minX = std::min(minX, b.left), minY = std::min(minY, b.top);
      maxX = std::max(maxX, b.right), maxY = std::max(maxY, b.bottom);
    }
    entries_.push_back(Entry{r, it});
  }
  if (!std::isfinite(maxX - minX) || !std::isfinite(maxY - minY)) return;
  // About four cells per character at most, however far they are spread.
  const double limit = 4.0 * static_cast<double>(entries_.size()) + 64;
  size_ = kFirstCellSize;
  double cols = 0, rows = 0;
  for (;;) {
    cols = std::floor((maxX - minX) / size_) + 1;
    rows = std::floor((maxY - minY) / size_) + 1;
    if (cols * rows <= limit) break;
    size_ *= 2;
  }
  x0_ = minX, y0_ = minY, x1_ = maxX, y1_ = maxY;
  cols_ = static_cast<int>(cols), rows_ = static_cast<int>(rows);
  const size_t cells = static_cast<size_t>(cols_) * static_cast<size_t>(rows_);
  start_.assign(cells + 1, 0);
  ranges_.resize(entries_.size() * 4);
  for (size_t e = 0; e < entries_.size(); ++e) {
    const cRectD& b = entries_[e].chara->m_HitBoxShot.rc;
    int32_t* r = &ranges_[e * 4];
    r[0] = Cell(b.left, x0_, cols_), r[1] = Cell(b.right, x0_, cols_);
    r[2] = Cell(b.top, y0_, rows_), r[3] = Cell(b.bottom, y0_, rows_);
    for (int y = r[2]; y <= r[3]; ++y)
      for (int x = r[0]; x <= r[1]; ++x) ++start_[static_cast<size_t>(y) * cols_ + x + 1];
  }
  for (size_t c = 0; c < cells; ++c) start_[c + 1] += start_[c];
  items_.resize(start_[cells]);
  std::vector<uint32_t> fill(start_.begin(), start_.end() - 1);
  for (size_t e = 0; e < entries_.size(); ++e) {
    const int32_t* r = &ranges_[e * 4];
    for (int y = r[2]; y <= r[3]; ++y)
      for (int x = r[0]; x <= r[1]; ++x) items_[fill[static_cast<size_t>(y) * cols_ + x]++] = static_cast<uint32_t>(e);
  }
  usable_ = true;
}

bool CharaHitIndex::Query(const cRectD& q, std::vector<uint32_t>& out) const {
  out.clear();
  if (!usable_) return false;
  if (HasNaN(q)) return true;  // overlaps nothing
  if (Inverted(q)) return false;
  if (entries_.empty()) return true;
  // Beyond the box around every character: nothing to touch.
  if (q.left > x1_ || q.right < x0_ || q.top > y1_ || q.bottom < y0_) return true;
  const int c0 = Cell(q.left, x0_, cols_), c1 = Cell(q.right, x0_, cols_);
  const int r0 = Cell(q.top, y0_, rows_), r1 = Cell(q.bottom, y0_, rows_);
  for (int y = r0; y <= r1; ++y) {
    const size_t row = static_cast<size_t>(y) * cols_;
    out.insert(out.end(), items_.begin() + start_[row + c0], items_.begin() + start_[row + c1 + 1]);
  }
  // A character spanning several of the cells is listed once, in list order.
  if (c0 != c1 || r0 != r1) {
    std::sort(out.begin(), out.end());
    out.erase(std::unique(out.begin(), out.end()), out.end());
  }
  return true;
}
