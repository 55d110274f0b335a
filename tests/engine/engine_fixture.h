#pragma once
// A small play world for engine tests: a stage map of W x H chips with the
// usual 10-chip margin, its scroll axes, an empty block map with the right
// pitch, and PlayScene pointing at it for the fixture's lifetime.
#include <gtest/gtest.h>

#include "data/Stage.h"
#include "engine/World.h"

namespace enginetest {

class World : public cPlayWorld {
 public:
  World(int w, int h, int hitLevel = 1) {
    savedLevel_ = Stage.m_HitLevel;
    Stage.SetHitLevel(hitLevel);
    m_ScrollX.Layout(0, w, w * 32);  // extent = map + margins
    m_ScrollY.Layout(1, h, h * 32);
    m_ScrollX.SetBounds(0, 0, 0, 0);
    m_ScrollY.SetBounds(0, 0, 0, 0);
    m_ScrollX.m_dPos = 320;
    m_ScrollY.m_dPos = 320;
    BlockMap.assign(static_cast<size_t>(m_ScrollY.m_nCells) << m_ScrollX.m_nShift, cBlockCell{});
    for (cBlockCell& c : BlockMap) {
      c.m_GfxIndex = 0;
      c.m_Hit = 0;
      c.m_Fixed = 0;
    }
    previous_ = PlayScene;
    PlayScene = this;
  }
  ~World() override {
    PlayScene = previous_;
    BlockMap.clear();
    Stage.SetHitLevel(savedLevel_);
  }

  // Sets the class of the cell at map column c, row r (without margin).
  cBlockCell& SetBlock(int c, int r, int hit, int exceptionSide = -1) {
    cBlockCell& cell = BlockMap[static_cast<size_t>((c + 10) + ((r + 10) << m_ScrollX.m_nShift))];
    cell.m_GfxIndex = 1;
    cell.m_Hit = static_cast<int8_t>(hit);
    cell.m_HitException = static_cast<uint8_t>(exceptionSide);
    return cell;
  }

 private:
  cPlayWorld* previous_ = nullptr;
  int savedLevel_ = 0;
};

}  // namespace enginetest
