#pragma once
// Conditions: one test on the running game (a variable, a status, a state or
// a distance), and the two forms that hold them: a condition group (a vector
// with a mode byte and a once-true latch, kept by definitions and flows) and
// cCondList, the optional guard of a flow command.
#include <cstdint>

#include <boost/shared_ptr.hpp>

#include "base/SerialRecord.h"

class cCond : public cSerialRecord {
 public:
  int8_t m_Kind = 0;         // 0 empty row, 1..7
  int8_t m_LeftSource = 0;   // kind 4: 0 status, 1 variable
  int8_t m_LeftScope = 0;    // kind 4, left variable: 0 common, 1 stage
  int8_t m_Target = 0;       // 0 self, 1..4 targets, 5 system; kind 7: 0 hero, 1..4 targets
  int8_t m_Status = 0;
  int16_t m_Index = 0;
  int8_t m_RightSource = 0;  // kind 4: 0 constant, 1 random, 2 status, 3 variable
  int32_t m_Value = 0;
  int32_t m_RandomMin = 0;
  int32_t m_RandomMax = 0;
  int8_t m_RightTarget = 0;
  int8_t m_RightStatus = 0;
  int8_t m_RightScope = 0;
  int16_t m_RightIndex = 0;
  int8_t m_Op = 0;
  int8_t m_Percent = 0;
  int8_t m_Shape = 0;

  cCond() { Clear(); }

  void RegisterFields(uint32_t version) override;
  bool Read(cRecordReader& r) override;

 private:
  // Files before 110 hold two 2-byte values here that are read and dropped.
  // Whether they form one field entry or two cannot be known from the
  // version, so Read looks at the entry count first.
  int16_t m_Dropped[2] = {0, 0};
  bool m_DroppedAsOneEntry = false;
};

// A condition vector: u32 count, then each condition's body.
bool ReadCondVector(cVector<cCond>& v, cRecordReader& r);
void WriteCondVector(cVector<cCond>& v, cRecordWriter& w);

class cCondList : public cSerialRecord {
 public:
  int8_t m_Enabled = 0;  // 0: the command acts as if there were no list
  int8_t m_Mode = 0;     // 0 all hold, 1 one or more hold
  cVector<cCond> m_Conds;

  cCondList() { Clear(); }

  void RegisterFields(uint32_t version) override;
  bool Read(cRecordReader& r) override;
  bool Write(cRecordWriter& w) override;

  // Makes the pointer own a new default list.
  static void Reset(boost::shared_ptr<cCondList>& p);
  // Deep copy: the destination never shares the source's list.
  static void Assign(boost::shared_ptr<cCondList>& dst, const boost::shared_ptr<cCondList>& src);

  // Whether the guarded command may act. holds(const cCond&) judges one
  // condition. Unlike a condition group, an enabled empty list holds only in
  // mode 0 ("all of none").
  template <class Holds>
  bool Allows(Holds&& holds) const;
};

// Comparison operators of condition kinds 1..5: 0 =, 1 !=, 2 >=, 3 <=, 4 >,
// 5 <, 6 "is a multiple of", 7 "is not a multiple of". Any other never holds.
bool CompareCond(int op, int32_t left, int32_t right);

// Group modes: 0 every condition holds (stops at the first that fails),
// 1 at least one holds (stops at the first that holds); others never hold.
template <class Holds>
bool CondsHoldByMode(const cVector<cCond>& conds, int mode, Holds&& holds) {
  if (mode == 0) {
    for (const cCond& c : conds)
      if (!holds(c)) return false;
    return true;
  }
  if (mode == 1) {
    for (const cCond& c : conds)
      if (holds(c)) return true;
    return false;
  }
  return false;
}

// A condition group of a definition or flow. An empty group holds; with the
// latch set, a group once found true holds without further tests. A group
// found true sets onceTrue.
template <class Holds>
bool CondGroupHolds(const cVector<cCond>& conds, int mode, int latch, bool& onceTrue, Holds&& holds) {
  if (conds.empty()) {
    onceTrue = true;
    return true;
  }
  if (latch && onceTrue) return true;
  if (!CondsHoldByMode(conds, mode, holds)) return false;
  onceTrue = true;
  return true;
}

template <class Holds>
bool cCondList::Allows(Holds&& holds) const {
  if (!m_Enabled) return true;
  return CondsHoldByMode(m_Conds, m_Mode, holds);
}
