#pragma once
// An item in play: a running object with its own copy of its item definition.
#include <cstdint>

#include "data/ItemDef.h"
#include "engine/objects/GameObj.h"

struct DDSURFACEDATA;

class cItem : public cGameObj {
 public:
  cItemDef m_Def;
  int32_t m_bHeld = 0;  // belongs to a character rather than to ItemList

  cItem() = default;
  cItem(const cItem&) = default;
  // The common part as CopyFrom, then the definition and m_bHeld.
  cItem& operator=(const cItem& other);

  void KeepFootOnScale(int nNew, int nOld) override;

  // Set-up from a definition; the result of expanding the command loops.
  int InitFromDef(int id, const cItemDef* def, int held);
  void PlaceAtBlock(int col, int row);
  void Draw(DDSURFACEDATA* target, int frozen);
};
