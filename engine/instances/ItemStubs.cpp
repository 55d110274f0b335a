// Placeholder bodies of the item's class operations, so that items can be
// built and linked before their own source exists. The item source
// replaces this file.
#include "engine/instances/Item.h"

cItem& cItem::operator=(const cItem& other) {
  cGameObj::operator=(other);
  m_Def = other.m_Def;
  m_bHeld = other.m_bHeld;
  return *this;
}
void cItem::KeepFootOnScale(int, int) {}
