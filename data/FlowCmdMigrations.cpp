#include "data/FlowCmdMigrations.h"

#include <initializer_list>

#include "data/FlowCmd.h"

// The steps must run in this order: later ones test kind numbers and values
// that earlier ones produce. Kinds are those of their time; the renumbering
// at 734 moves character kinds from 24 and item kinds from 9 up by one.
//
// Lists written for each kind at each version hold the indexes a step uses.
// A damaged list that does not is left alone by that step; validation sizes
// it afterwards.

namespace {

class Params {
 public:
  explicit Params(cVector<int32_t>& p) : p_(p) {}

  bool Has(std::initializer_list<int> indexes) const {
    for (int i : indexes)
      if (i < 0 || static_cast<size_t>(i) >= p_.size()) return false;
    return true;
  }
  int32_t& operator[](int i) { return p_[static_cast<size_t>(i)]; }

  void Resize(int n) { p_.resize(static_cast<size_t>(n), 0); }
  void Clear() { p_.clear(); }
  // Elements i..N-2 move up one place, the last is lost, p[i] = value.
  void Insert(int i, int32_t value) {
    if (!Has({i})) return;
    for (size_t k = p_.size() - 1; k > static_cast<size_t>(i); --k) p_[k] = p_[k - 1];
    p_[static_cast<size_t>(i)] = value;
  }
  // Resize to n, then set the given elements.
  void ResizeAndSet(int n, std::initializer_list<std::pair<int, int32_t>> values) {
    Resize(n);
    for (auto [i, v] : values) (*this)[i] = v;
  }

 private:
  cVector<int32_t>& p_;
};

// Values come from files: add with the 32-bit wrap, never overflow.
void Add(int32_t& x, int by) { x = static_cast<int32_t>(static_cast<uint32_t>(x) + static_cast<uint32_t>(by)); }

// ステータスの操作 holds two operations; its status numbers above the limit
// moved up when a status was inserted.
void StatusIndexShift(Params& p, int limit) {
  if (p.Has({0, 3, 4}) && p[0] == 0 && p[3] != 2 && p[4] > limit) Add(p[4], 1);
  if (p.Has({6, 12, 13}) && p[6] == 2 && p[12] != 2 && p[13] > limit) Add(p[13], 1);
}

// Owners were 0 self, 1 target, 2 system; now 0 self, 1..4 targets, 5 system.
void StatusOwnerShift(Params& p) {
  if (p.Has({0, 3}) && p[0] == 0 && p[3] > 1) Add(p[3], 3);
  if (p.Has({6, 12}) && p[6] == 2 && p[12] > 1) Add(p[12], 3);
}

void MarkShift(Params& p) {
  if (p.Has({0, 1}) && p[0] == 3) {
    Add(p[1], 1);
    if (p[1] > 119) p[1] = 119;
  }
}

void ArrangeTargetShift(Params& p) {
  if (!p.Has({0, 1}) || p[0] != 11) return;
  for (int t : {1, 2, 3, 13, 14, 15, 16})
    if (p[1] > t) Add(p[1], 1);
}

void ShiftMoveBy(cFlowCmd& cmd) {
  if (cmd.m_pMove && cmd.m_pMove->m_MoveBy >= 2) cmd.m_pMove->m_MoveBy = static_cast<uint8_t>(cmd.m_pMove->m_MoveBy + 3);
}

int8_t Renumbered(int8_t kind) { return static_cast<int8_t>(kind + 1); }

void MigrateCharaCmd(cFlowCmd& cmd, uint32_t v) {
  Params p(cmd.m_Params);
  auto kind = [&] { return static_cast<int>(cmd.m_CmdKind); };

  if (v < 145 && kind() == 17) p.Resize(9);
  if (v < 166 && kind() == 35) p.ResizeAndSet(2, {{1, 1}});
  if (v < 168 && kind() == 22) StatusIndexShift(p, 9);
  if (v < 189 && kind() == 21) {
    p.Resize(16);
    p.Insert(2, 0);
  }
  if (v < 194 && kind() == 31) {
    p.Resize(15);
    p.Insert(6, 1);
  }
  if (v < 195 && (kind() == 29 || kind() == 30)) {
    p.Resize(3);
    p.Insert(1, 0);
  }
  if (v < 203) {
    if (kind() == 14 || kind() == 15) p.Clear();
    else if (kind() == 16) p.Resize(4);
    else if (kind() == 22) StatusIndexShift(p, 4);
  }
  if (v < 210 && kind() == 23 && p.Has({0, 1}) && p[0] != 2 && p[1] > 5) Add(p[1], 1);
  if (v < 219 && kind() == 25) MarkShift(p);
  if (v < 220 && kind() == 11 && cmd.m_pShot) {
    int graphic = cmd.m_pShot->m_Graphic + 1;
    cmd.m_pShot->m_Graphic = static_cast<int16_t>(graphic > 119 ? 119 : graphic);
  }
  if (v < 514 && kind() == 5 && cmd.m_pMove) {
    cmd.m_pMove->m_Angle = 0;
    cmd.m_pMove->m_AngleStep = 0;
    cmd.m_pMove->m_MirrorAngle = 1;
  }
  if (v < 545) {
    if (kind() == 19) p.ResizeAndSet(18, {{10, 1}});
    else if (kind() == 31) p.ResizeAndSet(15, {{11, 0}});
  }
  if (v < 546 && kind() == 19 && p.Has({0, 10})) p[10] = (p[0] == 0 || p[0] == 7) ? 1 : 0;
  if (v < 547) {
    if (kind() == 19) p.ResizeAndSet(18, {{11, 0}, {12, 0}, {13, 0}, {14, 1}, {15, 0}});
    else if (kind() == 31) p.ResizeAndSet(15, {{12, 0}, {13, 0}});
  }
  if (v < 556 && kind() == 19) p.ResizeAndSet(18, {{16, 1}});
  if (v < 722 && kind() == 17 && p.Has({0}) && p[0] > 1) Add(p[0], 1);
  if (v < 723) {
    if (kind() == 19) p.ResizeAndSet(18, {{17, 0}});
    else if (kind() == 31) p.ResizeAndSet(15, {{14, 0}});
  }
  if (v < 726 && kind() == 37) p.ResizeAndSet(5, {{0, 11}});
  if (v < 727 && kind() == 37) ArrangeTargetShift(p);
  if (v < 734) {
    if (kind() >= 24) cmd.m_CmdKind = Renumbered(cmd.m_CmdKind);
    if (kind() == 38 && p.Has({0}) && p[0] > 23) Add(p[0], 1);
  }
  if (v < 747 && kind() == 21) p.ResizeAndSet(16, {{10, 0}, {11, 1}, {14, 0}});
  if (v < 760 && kind() == 16) p.ResizeAndSet(4, {{3, 0}});
  if (v < 764 && kind() == 16) {
    cCondList::Reset(cmd.m_pCondList);
    cmd.m_pCondList->m_Enabled = 0;
  }
  if (v < 767) {
    switch (kind()) {
      case 9:
        if (p.Has({0}) && p[0] > 3) Add(p[0], 6);
        break;
      case 20: ShiftMoveBy(cmd); break;
      case 21:
        p.Resize(16);
        p.Insert(0, 0);
        break;
      case 22: StatusOwnerShift(p); break;
      case 23:
        if (p.Has({0}) && p[0] > 1) Add(p[0], 3);
        break;
      default: break;
    }
  }
}

// The twins of the character steps, for the commands items also have (item
// kind k >= 2 was character kind k + 15 at the time).
void MigrateItemCmd(cFlowCmd& cmd, uint32_t v) {
  Params p(cmd.m_Params);
  auto kind = [&] { return static_cast<int>(cmd.m_CmdKind); };

  if (v < 145 && kind() == 2) p.Resize(9);
  if (v < 166 && kind() == 20) p.ResizeAndSet(2, {{1, 1}});
  if (v < 168 && kind() == 7) StatusIndexShift(p, 9);
  if (v < 189 && kind() == 6) {
    p.Resize(16);
    p.Insert(2, 0);
  }
  if (v < 194 && kind() == 16) {
    p.Resize(15);
    p.Insert(6, 1);
  }
  if (v < 195 && (kind() == 14 || kind() == 15)) {
    p.Resize(3);
    p.Insert(1, 0);
  }
  if (v < 203 && kind() == 7) StatusIndexShift(p, 4);
  if (v < 210 && kind() == 8 && p.Has({0, 1}) && p[0] != 2 && p[1] > 5) Add(p[1], 1);
  if (v < 219 && kind() == 10) MarkShift(p);
  if (v < 545) {
    if (kind() == 4) p.ResizeAndSet(18, {{10, 1}});
    else if (kind() == 16) p.ResizeAndSet(15, {{11, 0}});
  }
  if (v < 546 && kind() == 4 && p.Has({0, 10})) p[10] = (p[0] == 0 || p[0] == 7) ? 1 : 0;
  if (v < 547) {
    if (kind() == 4) p.ResizeAndSet(18, {{11, 0}, {12, 0}, {13, 0}, {14, 1}, {15, 0}});
    else if (kind() == 16) p.ResizeAndSet(15, {{12, 0}, {13, 0}});
  }
  if (v < 556 && kind() == 4) p.ResizeAndSet(18, {{16, 1}});
  if (v < 722 && kind() == 2 && p.Has({0}) && p[0] > 1) Add(p[0], 1);
  if (v < 723) {
    if (kind() == 4) p.ResizeAndSet(18, {{17, 0}});
    else if (kind() == 16) p.ResizeAndSet(15, {{14, 0}});
  }
  if (v < 726 && kind() == 22) p.ResizeAndSet(5, {{0, 11}});
  if (v < 727 && kind() == 22) ArrangeTargetShift(p);
  if (v < 734) {
    if (kind() >= 9) cmd.m_CmdKind = Renumbered(cmd.m_CmdKind);
    if (kind() == 23 && p.Has({0}) && p[0] > 23) Add(p[0], 1);
  }
  if (v < 747 && kind() == 6) p.ResizeAndSet(16, {{10, 0}, {11, 1}, {14, 0}});
  if (v < 767) {
    switch (kind()) {
      case 5: ShiftMoveBy(cmd); break;
      case 6:
        p.Resize(16);
        p.Insert(0, 0);
        break;
      case 7: StatusOwnerShift(p); break;
      case 8:
        if (p.Has({0}) && p[0] > 1) Add(p[0], 3);
        break;
      default: break;
    }
  }
}

}  // namespace

void MigrateFlowCmd(cFlowCmd& cmd, uint32_t fileVersion) {
  if (fileVersion >= 791) return;
  if (cmd.IsItemCmd())
    MigrateItemCmd(cmd, fileVersion);
  else
    MigrateCharaCmd(cmd, fileVersion);
}
