// ctest-label: engine
#include <gtest/gtest.h>

#include "data/Stage.h"
#include "engine/World.h"
#include "engine/instances/Item.h"
#include "engine/objects/CharaBase.h"
#include "engine/objects/ChipSheets.h"
#include "tests/engine/instances/InstanceTestSupport.h"

// The loop expansion of command lists lives with the running characters;
// items without loops need none of it here.
__attribute__((weak)) void ExpandLoops(cVector<cFlowCmd>&) {}

namespace {

using insttest::CellOf;

// A 20 x 15 map in a world with margins of 10 chips; items have a 20 x 24 box.
class Items : public ::testing::Test {
 protected:
  void SetUp() override {
    savedW_ = Stage.m_ItemHitW;
    savedH_ = Stage.m_ItemHitH;
    Stage.m_ItemHitW = 20;
    Stage.m_ItemHitH = 24;
    SetAxis(world_.m_ScrollX, 20);
    SetAxis(world_.m_ScrollY, 15);
    PlayScene = &world_;
  }
  void TearDown() override {
    PlayScene = nullptr;
    Stage.m_ItemHitW = savedW_;
    Stage.m_ItemHitH = savedH_;
  }
  static void SetAxis(cScrollAxis& a, int chips) {
    a.m_nMargin = 10;
    a.m_nOrigin = 320;
    a.m_nDefaultUpper = 320 + 32 * chips;
    a.m_nLower = a.m_nOrigin;
    a.m_nUpper = a.m_nDefaultUpper;
    a.m_nExtent = 640 + 32 * chips;
  }
  static cItemDef Def(int scale) {
    cItemDef d;
    d.m_Size = static_cast<int8_t>(scale);
    d.m_GfxKind = 2;
    d.m_GfxIndex = 16;
    return d;
  }
  cPlayWorld world_;
  int16_t savedW_ = 0, savedH_ = 0;
};

TEST_F(Items, ScaleZeroIsOne) {
  cItemDef d = Def(0);
  cItem item;
  item.InitFromDef(7, &d, 0);
  EXPECT_EQ(item.m_Def.m_Size, 1);
  EXPECT_EQ(d.m_Size, 0) << "the caller's definition is not written";
  EXPECT_EQ(item.m_nID, 7);
  EXPECT_EQ(item.m_nChip, 16);
  EXPECT_EQ(item.m_nW, 20);
  EXPECT_EQ(item.m_nH, 24);
  EXPECT_EQ(item.m_nPicOfsX, 6);
  EXPECT_EQ(item.m_nPicOfsY, 4);
  EXPECT_EQ(item.m_nPicW, 32);
  EXPECT_EQ(item.m_bActive, 0) << "a free item waits for the activity pass";
  EXPECT_EQ(item.m_bFly, 1);

  cItemDef n = Def(-3);
  item.InitFromDef(8, &n, 0);
  EXPECT_EQ(item.m_Def.m_Size, 1);
  EXPECT_EQ(item.m_nW, 20);
}

TEST_F(Items, HeldItemIsActiveAtOnceAndUnscaled) {
  cItemDef d = Def(2);
  cItem item;
  item.InitFromDef(1, &d, 1);
  EXPECT_EQ(item.m_bHeld, 1);
  EXPECT_EQ(item.m_bActive, 1);
  EXPECT_EQ(item.m_nW, 20);
}

TEST_F(Items, PlacedOnACellAndRisingWhenScaled) {
  cItemDef one = Def(1);
  cItem a;
  a.InitFromDef(1, &one, 0);
  a.PlaceAtBlock(3, 4);
  EXPECT_DOUBLE_EQ(a.m_dX, 13 * 32 + 6 + 0.5);
  EXPECT_DOUBLE_EQ(a.m_dY, 14 * 32 + 4);

  cItemDef two = Def(2);
  cItem b;
  b.InitFromDef(2, &two, 0);
  EXPECT_EQ(b.m_nW, 40);
  EXPECT_EQ(b.m_nPicH, 64);
  b.PlaceAtBlock(3, 4);
  // Centred horizontally on the larger box, and raised by base height plus
  // picture offset so that it stays on the cell's floor.
  EXPECT_DOUBLE_EQ(b.m_dX, 13 * 32 + 6 + 0.5 - 10);
  EXPECT_DOUBLE_EQ(b.m_dY, 14 * 32 + 4 - (24 + 4));
  EXPECT_DOUBLE_EQ(b.m_dBottom, b.m_dY + 48 - 1);

  // A change back rises by the negative amount.
  b.KeepFootOnScale(1, 2);
  EXPECT_DOUBLE_EQ(b.m_dY, 14 * 32 + 4);
  b.KeepFootOnScale(2, 2);
  EXPECT_DOUBLE_EQ(b.m_dY, 14 * 32 + 4);
}

TEST_F(Items, CopyTakesTheDefinitionAndHeldFlag) {
  cItemDef d = Def(1);
  d.m_Sound = 12;
  cItem a;
  a.InitFromDef(3, &d, 1);
  a.m_dX = 55;
  cItem b;
  b = a;
  EXPECT_EQ(b.m_Def.m_Sound, 12);
  EXPECT_EQ(b.m_bHeld, 1);
  EXPECT_DOUBLE_EQ(b.m_dX, 55);
}

TEST_F(Items, DrawsItsAnimationColumnAndTheOverlayChip) {
  gfxtest::Library lib(0, 32, 1);
  insttest::FillCells(&SurfaceTable[40], 256, 480, 32);
  insttest::FillCells(&SurfaceTable[41], 256, 480, 32);
  insttest::FillCells(&SurfaceTable[43], 256, 480, 32);
  insttest::Surface target(100, 100);
  cItemDef d = Def(1);
  d.m_GfxIndex = 17;   // column pair 1, row 2
  d.m_Overlay = 1;
  d.m_OverlayChip = 16;  // overlay column 1, row 1
  cItem item;
  item.InitFromDef(1, &d, 1);
  item.m_nScrLeft = 10;
  item.m_nScrTop = 20;
  item.m_Def.m_Overlay = 0;
  // Frozen: the current pattern 0, column 2 of the sheet.
  item.Draw(target.sd(), 1);
  EXPECT_EQ(CellOf(target.sd(), 10, 20), std::make_pair(2, 2));
  EXPECT_TRUE(target.Untouched(9, 20));
  // Running: 14 steps of pattern 0, then pattern 1 (column 3).
  for (int i = 0; i < 14; ++i) item.Draw(target.sd(), 0);
  EXPECT_EQ(CellOf(target.sd(), 41, 51), std::make_pair(2, 2));
  item.Draw(target.sd(), 0);
  EXPECT_EQ(CellOf(target.sd(), 41, 51), std::make_pair(3, 2));
  // The overlay chip 16 comes from (32, 32) of the overlay sheet, drawn on top.
  item.m_Def.m_Overlay = 1;
  item.Draw(target.sd(), 1);
  EXPECT_EQ(CellOf(target.sd(), 10, 20), std::make_pair(1, 1));
  EXPECT_EQ(CellOf(target.sd(), 41, 51), std::make_pair(1, 1));
  // Overlay chip 14: column 0, row 14.
  item.m_Def.m_OverlayChip = 14;
  item.Draw(target.sd(), 1);
  EXPECT_EQ(CellOf(target.sd(), 10, 20), std::make_pair(0, 14));
  // Hidden items draw nothing.
  insttest::Surface other(100, 100);
  item.m_Def.m_Hidden = 1;
  item.Draw(other.sd(), 1);
  EXPECT_TRUE(other.Untouched(10, 20));
  for (int e : {40, 41, 43}) DDReleaseSurface(&SurfaceTable[e]);
}

TEST_F(Items, ScaledItemsStretchFromTheChosenSheets) {
  gfxtest::Library lib(0, 32, 1);
  SelectChipSheets();  // DirectDraw without video stretching: second copies, overlay sheet 44
  insttest::FillCells(&SurfaceTable[41], 256, 480, 32);
  insttest::FillCells(&SurfaceTable[44], 256, 480, 32);
  insttest::Surface target(100, 100);
  cItemDef d = Def(2);
  d.m_GfxIndex = 1;  // column pair 0, row 1
  cItem item;
  item.InitFromDef(1, &d, 0);
  ASSERT_EQ(item.m_nPicW, 64);
  item.m_nScrLeft = 4;
  item.m_nScrTop = 4;
  item.Draw(target.sd(), 1);
  EXPECT_EQ(CellOf(target.sd(), 4, 4), std::make_pair(0, 1));
  EXPECT_EQ(CellOf(target.sd(), 67, 67), std::make_pair(0, 1));
  EXPECT_TRUE(target.Untouched(68, 68));
  item.m_Def.m_Overlay = 1;
  item.m_Def.m_OverlayChip = 16;
  item.Draw(target.sd(), 1);
  EXPECT_EQ(CellOf(target.sd(), 67, 67), std::make_pair(1, 1));
  for (int e : {41, 44}) DDReleaseSurface(&SurfaceTable[e]);
}

}  // namespace
