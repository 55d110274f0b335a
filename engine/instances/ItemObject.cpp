// The object operations of an item: copying and its own foot rule. Kept apart
// from the set-up and drawing, so that the lists of running objects link
// without the code that set-up and drawing need.
#include "engine/instances/Item.h"

cItem& cItem::operator=(const cItem& other) {
  if (this == &other) return *this;
  CopyFrom(other);
  m_Def = other.m_Def;
  m_bHeld = other.m_bHeld;
  return *this;
}

void cItem::KeepFootOnScale(int nNew, int nOld) {
  if (nNew == nOld) return;
  // An item that grows rises so that it stays on its floor.
  m_dY -= static_cast<double>(nNew - nOld) * (m_nBaseH + m_nBasePicOfsY);
  ClampStageY(2);
}
