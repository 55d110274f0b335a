#include "data/Cond.h"

#include <boost/make_shared.hpp>
#include <cstdlib>
#include <cstring>

namespace {
// Entry counts of the layout before 110 with the two dropped values as two
// entries: kind, value, dropped, dropped, op, (percent from 43), shape.
int32_t SplitLayoutCount(uint32_t version) { return version >= 43 ? 7 : 6; }

int8_t Raise(int8_t v, int by) { return static_cast<int8_t>(v + by); }
}  // namespace

void cCond::RegisterFields(uint32_t v) {
  ResetFields();
  AddChar(&m_Kind, 1, "m_Kind");
  AddInt(&m_Value, 1, "m_Value");
  if (v >= 110) {
    AddInt(&m_RandomMin, 1, "m_RandomMin");
    AddInt(&m_RandomMax, 1, "m_RandomMax");
    AddChar(&m_Target, 1, "m_Target");
    AddChar(&m_Status, 1, "m_Status");
  } else if (m_DroppedAsOneEntry) {
    AddField(m_Dropped, 1, 4, "m_Dropped");
  } else {
    AddShort(&m_Dropped[0], 1, "m_Dropped[0]");
    AddShort(&m_Dropped[1], 1, "m_Dropped[1]");
  }
  if (v >= 110) {
    AddChar(&m_LeftSource, 1, "m_LeftSource");
    AddChar(&m_LeftScope, 1, "m_LeftScope");
    AddShort(&m_Index, 1, "m_Index");
    AddChar(&m_RightSource, 1, "m_RightSource");
    AddChar(&m_RightTarget, 1, "m_RightTarget");
    AddChar(&m_RightStatus, 1, "m_RightStatus");
    AddChar(&m_RightScope, 1, "m_RightScope");
    AddShort(&m_RightIndex, 1, "m_RightIndex");
  }
  AddChar(&m_Op, 1, "m_Op");
  if (v >= 43) AddChar(&m_Percent, 1, "m_Percent");
  AddChar(&m_Shape, 1, "m_Shape");
}

bool cCond::Read(cRecordReader& r) {
  const uint32_t v = r.Version();
  if (v < 110) {
    // The two layouts hold the same bytes when complete; only the entry count
    // tells them apart. A full two-entry count means two entries, anything
    // else is taken as one.
    int32_t n = 0;
    if (r.Remaining() >= 4) std::memcpy(&n, r.Bytes().data() + r.Position(), 4);
    m_DroppedAsOneEntry = n != SplitLayoutCount(v);
  }
  bool ok = cSerialRecord::Read(r);
  m_DroppedAsOneEntry = false;
  RegisterFields(dwDataVersion);
  Settle();
  if (!ok) return false;

  if (v < 791) {
    if (v < 160 && m_Kind >= 5) m_Kind = Raise(m_Kind, 2);
    if (v < 161 && m_Kind == 6 && m_Status == 2) m_Op = static_cast<int8_t>(m_Op ^ 1);
    for (int step = 0; step < 2; ++step) {
      const uint32_t before = step == 0 ? 168 : 203;
      const int threshold = step == 0 ? 10 : 5;
      if (v < before && m_Kind == 4) {
        if (m_LeftSource == 0 && m_Target != 2 && m_Status >= threshold) m_Status = Raise(m_Status, 1);
        if (m_RightSource == 2 && m_RightTarget != 2 && m_RightStatus >= threshold)
          m_RightStatus = Raise(m_RightStatus, 1);
      }
    }
    if (v < 210 && m_Kind == 5 && m_Target != 2 && m_Status >= 6) m_Status = Raise(m_Status, 1);
    if (m_Kind == 7) {
      if (v < 657) m_Target = 0;
      if (v < 745) m_LeftSource = 0;
      if (v < 746) {
        m_RightSource = 1;
        m_RightTarget = 1;
      }
    }
    // Owners were 0 self, 1 target, 2 system; now 0 self, 1..4 targets, 5 system.
    if (v < 767 && (m_Kind == 4 || m_Kind == 5)) {
      if (m_Target >= 2) m_Target = Raise(m_Target, 3);
      if (m_RightTarget >= 2) m_RightTarget = Raise(m_RightTarget, 3);
    }
  }
  return r.Ok();
}

bool ReadCondVector(cVector<cCond>& v, cRecordReader& r) { return ReadRecordVector(r, v, 8); }

void WriteCondVector(cVector<cCond>& v, cRecordWriter& w) { WriteRecordVector(w, v); }

void cCondList::RegisterFields(uint32_t) {
  ResetFields();
  AddChar(&m_Enabled, 1, "m_Enabled");
  AddChar(&m_Mode, 1, "m_Mode");
}

bool cCondList::Read(cRecordReader& r) {
  if (!cSerialRecord::Read(r)) return false;
  // Lists of 764 and 765 carry no conditions.
  if (r.Version() >= 766 && !ReadCondVector(m_Conds, r)) return false;
  return r.Ok();
}

bool cCondList::Write(cRecordWriter& w) {
  cSerialRecord::Write(w);
  WriteCondVector(m_Conds, w);
  return true;
}

void cCondList::Reset(boost::shared_ptr<cCondList>& p) { p = boost::make_shared<cCondList>(); }

void cCondList::Assign(boost::shared_ptr<cCondList>& dst, const boost::shared_ptr<cCondList>& src) {
  const boost::shared_ptr<cCondList> from = src;  // src may be dst itself
  dst.reset();
  if (!from) return;
  Reset(dst);
  dst->m_Enabled = from->m_Enabled;
  dst->m_Mode = from->m_Mode;
  dst->m_Conds = from->m_Conds;
}

bool CompareCond(int op, int32_t left, int32_t right) {
  const int64_t l = left;
  const int64_t r = right;
  switch (op) {
    case 0: return l == r;
    case 1: return l != r;
    case 2: return l >= r;
    case 3: return l <= r;
    case 4: return l > r;
    case 5: return l < r;
    // abs(INT_MIN) and INT_MIN % -1 overflow in 32 bits; 64 bits hold them.
    case 6: return r == 0 || std::llabs(l) % r == 0;
    case 7: return r != 0 && std::llabs(l) % r != 0;
    default: return false;
  }
}
