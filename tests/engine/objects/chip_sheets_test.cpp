// ctest-label: engine
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "data/Database.h"
#include "engine/World.h"
#include "engine/objects/Chara.h"
#include "engine/objects/ChipSheets.h"
#include "engine/objects/GameObj.h"
#include "tests/engine/instances/InstanceTestSupport.h"

namespace {

using insttest::CellOf;
using insttest::FillCells;

// Sheet sizes only: GetChipRect reads no pixels.
class ChipRects : public ::testing::Test {
 protected:
  void SetUp() override {
    for (int i = 0; i < kSurfaceTableSize; ++i) SurfaceTable[i].nWidth = SurfaceTable[i].nHeight = 0;
    SurfaceTable[4].nWidth = 256;  // character sheet 1: 8 columns of 15 chips
    SurfaceTable[4].nHeight = 480;
    SurfaceTable[5] = SurfaceTable[4];
    SurfaceTable[6].nWidth = 128;  // character sheet 2: 4 columns
    SurfaceTable[6].nHeight = 480;
    SurfaceTable[7] = SurfaceTable[6];
    savedExcs_ = Database.m_BmpCharaExcs;
    Database.m_BmpCharaExcs.assign(4, cBmpCharaExc{});
    Database.m_BmpCharaExcs[3].m_DrawValue1 = 1;  // custom size
    Database.m_BmpCharaExcs[3].m_DrawValue2 = 2;  // multiplier
    StageBmpSurfaces.assign(12, DDSURFACEDATA{});
    bChipVideoStretch = 0;
  }
  void TearDown() override {
    Database.m_BmpCharaExcs = savedExcs_;
    StageBmpSurfaces.clear();
    for (int i = 0; i < kSurfaceTableSize; ++i) SurfaceTable[i] = DDSURFACEDATA{};
  }
  cVector<cBmpCharaExc> savedExcs_;
};

TEST_F(ChipRects, SourcesOfEachKind) {
  cGameObj right;
  right.m_bFaceRight = 1;
  cGameObj left;
  struct Case {
    const char* name;
    int owner, kind, c, b;
    const cGameObj* obj;
    int e;
    DDSURFACEDATA *first, *second, *mirror;
    int x, y;
  };
  DDSURFACEDATA* T = SurfaceTable;
  DDSURFACEDATA* C = StageBmpSurfaces.data();
  const Case cases[] = {
      {"block 17", 0, 0, 17, 0, nullptr, 0, &T[2], &T[3], &T[2], 32, 64},
      {"own chara facing right", 1, 1, 17, 2, &right, 1, &T[7], &T[25], &T[6], 96, 64},
      {"own chara facing left", 1, 1, 17, 2, &left, 1, &T[6], &T[24], &T[7], 96, 64},
      {"chara column 21 (mirrored sheet)", 0, 1, 3, 21, nullptr, 0, &T[5], &T[23], &T[4], 32, 96},
      {"chara column beyond the sheet", 0, 1, 17, 4, nullptr, 0, &T[4], &T[22], &T[5], 0, 0},
      {"chara row beyond character sheet 8", 0, 1, 120, 0, nullptr, 0, &T[4], &T[22], &T[5], 0, 0},
      {"item, second column of its pair", 2, 2, 16, 0, nullptr, 1, &T[40], &T[41], &T[40], 96, 32},
      {"item for another owner", 0, 2, 16, 0, nullptr, 1, &T[40], &T[41], &T[40], 64, 32},
      {"shot facing right", 1, 3, 31, 0, &right, 0, &T[64], &T[64], &T[63], 64, 32},
      {"shot of another owner", 0, 3, 31, 0, nullptr, 0, &T[63], &T[63], &T[64], 64, 32},
      {"custom 3, multiplier 2, column 9", 0, 4, 3, 9, nullptr, 0, &C[8], &C[10], &C[9], 64, 64},
      {"custom 3 own, facing right, column 8 + 1", 1, 4, 3, 8, &right, 1, &C[9], &C[11], &C[8], 64, 64},
      {"custom 2, plain cells, column 17", 0, 4, 2, 17, nullptr, 0, &C[4], &C[6], &C[5], 32, 32},
      {"custom image beyond the list", 0, 4, 4, 0, nullptr, 0, &T[4], &T[22], &T[5], 0, 0},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    ChipSource s;
    GetChipRect(&s, k.owner, k.kind, k.c, k.b, k.obj, k.e);
    EXPECT_EQ(s.lpFirst, k.first);
    EXPECT_EQ(s.lpSecond, k.second);
    EXPECT_EQ(s.lpFirstMirror, k.mirror);
    EXPECT_EQ(s.lpChosen, k.second) << "without video stretching the second copies are drawn";
    EXPECT_EQ(s.nSrcX, k.x);
    EXPECT_EQ(s.nSrcY, k.y);
    EXPECT_EQ(s.bCustomSize, k.kind == 4 && k.c == 3 ? 1 : 0);
    EXPECT_EQ(s.nCellMul, k.kind == 4 && k.c == 3 ? 2 : 1);
  }
}

TEST_F(ChipRects, MultiplierOfZeroCountsAsOne) {
  Database.m_BmpCharaExcs[3].m_DrawValue2 = 0;
  ChipSource s;
  GetChipRect(&s, 0, 4, 3, 17, nullptr, 0);
  EXPECT_EQ(s.nSrcX, 32);
  EXPECT_EQ(s.nSrcY, 32);
}

TEST_F(ChipRects, OtherKindsOnlyResetTheMultiplier) {
  ChipSource s;
  s.nCellMul = 3;
  s.bCustomSize = 1;
  s.nSrcX = 7;
  GetChipRect(&s, 0, 9, 1, 1, nullptr, 0);
  EXPECT_EQ(s.nCellMul, 1);
  EXPECT_EQ(s.bCustomSize, 0);
  EXPECT_EQ(s.nSrcX, 7);
  EXPECT_EQ(s.lpChosen, nullptr);
}

TEST(ChipSheetsDrawing, VideoStretchingChoosesTheFirstCopiesUnderDirectDraw) {
  {
    gfxtest::Library lib(0, 32, 1);
    bChipVideoStretch = 1;
    ChipSource s;
    GetChipRect(&s, 0, 0, 0, 0, nullptr, 0);
    EXPECT_EQ(s.lpChosen, &SurfaceTable[2]);
    SelectChipSheets();
    EXPECT_EQ(ChipStretchSheets[0], &SurfaceTable[43]);
    EXPECT_EQ(ChipStretchSheets[1], &SurfaceTable[67]);
    EXPECT_EQ(ChipStretchSheets[2], &SurfaceTable[68]);
    bChipVideoStretch = 0;
    SelectChipSheets();
    EXPECT_EQ(ChipStretchSheets[0], &SurfaceTable[44]);
    EXPECT_EQ(ChipStretchSheets[2], &SurfaceTable[68]);
  }
  {
    gfxtest::Library lib(1, 32, 1);
    bChipVideoStretch = 1;  // only the DirectDraw back end stretches in video memory
    ChipSource s;
    GetChipRect(&s, 0, 0, 0, 0, nullptr, 0);
    EXPECT_EQ(s.lpChosen, &SurfaceTable[3]);
    SelectChipSheets();
    EXPECT_EQ(ChipStretchSheets[0], &SurfaceTable[44]);
    EXPECT_EQ(ChipStretchSheets[2], &SurfaceTable[70]);
    bChipVideoStretch = 0;
  }
}

TEST(ChipSheetsDrawing, SmallChipsComeFromTheirOwnCells) {
  gfxtest::Library lib(0, 32, 1);
  insttest::Surface target(32, 32);
  // Each sheet's pixels name their cell.
  FillCells(&SurfaceTable[3], 256, 480, 32);
  FillCells(&SurfaceTable[42], 128, 240, 16);
  FillCells(&SurfaceTable[22], 256, 480, 32);
  // Block chip 17 as an icon: from (64, 64), columns 64 apart.
  DrawSmallChip(target.sd(), 0, 0, 0, 17, 0);
  EXPECT_EQ(CellOf(target.sd(), 0, 0, 32), std::make_pair(2, 2));
  EXPECT_EQ(CellOf(target.sd(), 15, 15, 32), std::make_pair(2, 2));
  EXPECT_EQ(target.Untouched(16, 0), true);
  // Item chip 16: the 16x16 cell (32, 16) of the small item sheet, unscaled.
  DrawSmallChip(target.sd(), 16, 16, 2, 16, 0);
  EXPECT_EQ(CellOf(target.sd(), 16, 16, 16), std::make_pair(2, 1));
  EXPECT_EQ(CellOf(target.sd(), 31, 31, 16), std::make_pair(2, 1));
  // Character chip 2, column 3: the second copy of sheet 1 (entry 22).
  DrawSmallChip(target.sd(), 16, 0, 1, 2, 3);
  EXPECT_EQ(CellOf(target.sd(), 16, 0, 32), std::make_pair(3, 2));
  for (int e : {3, 42, 22}) DDReleaseSurface(&SurfaceTable[e]);
}

TEST(ChipSheetsDrawing, SmallShotAndCustomChips) {
  gfxtest::Library lib(0, 32, 1);
  insttest::Surface target(32, 16);
  // Shot chip 31: (64, 32) of the shot chip sheet.
  FillCells(&SurfaceTable[63], 256, 960, 32);
  DrawSmallChip(target.sd(), 0, 0, 3, 31, 0);
  EXPECT_EQ(CellOf(target.sd(), 0, 0), std::make_pair(2, 1));
  EXPECT_EQ(CellOf(target.sd(), 15, 15), std::make_pair(2, 1));
  // Custom image 3 with multiplier 2, column 9: the 64 x 64 cell at (64, 64)
  // of its second copy (surface 10), scaled to 16 x 16.
  const cVector<cBmpCharaExc> saved = Database.m_BmpCharaExcs;
  Database.m_BmpCharaExcs.assign(4, cBmpCharaExc{});
  Database.m_BmpCharaExcs[3].m_DrawValue1 = 1;
  Database.m_BmpCharaExcs[3].m_DrawValue2 = 2;
  StageBmpSurfaces.assign(12, DDSURFACEDATA{});
  FillCells(&StageBmpSurfaces[10], 512, 256, 64);
  DrawSmallChip(target.sd(), 16, 0, 4, 3, 9);
  EXPECT_EQ(CellOf(target.sd(), 16, 0), std::make_pair(1, 1));
  EXPECT_EQ(CellOf(target.sd(), 31, 15), std::make_pair(1, 1));
  // An image beyond the list draws nothing.
  insttest::Surface other(16, 16);
  DrawSmallChip(other.sd(), 0, 0, 4, 4, 0);
  EXPECT_TRUE(other.Untouched(0, 0));
  DDReleaseSurface(&StageBmpSurfaces[10]);
  StageBmpSurfaces.clear();
  Database.m_BmpCharaExcs = saved;
  DDReleaseSurface(&SurfaceTable[63]);
}

// A character carrying an item shows the item's icon on 32 of every 96
// drawn frames, from the 64th on, and the pattern repeats.
TEST(ChipSheetsDrawing, HeldItemIconShowsOnThirtyTwoOfNinetySixFrames) {
  gfxtest::Library lib(0, 32, 1);
  insttest::Surface target(32, 32);
  FillCells(&SurfaceTable[42], 128, 240, 16);
  cChara c;
  c.m_HeldItem.m_bHeld = 1;
  c.m_HeldItem.m_Def.m_GfxKind = 2;  // item sheet
  c.m_HeldItem.m_Def.m_GfxIndex = 16;
  c.m_HeldItem.m_nPicW = 32;
  c.m_HeldItem.m_nPicH = 32;
  c.m_bOnScreen = 1;
  c.m_nPicW = 32;
  c.m_nScrLeft = 0;  // icon x = 0 + 16 - 8 = 8
  c.m_nScrTop = 16;  // icon y = 16 - 16 = 0
  std::vector<int> shown;
  std::pair<int, int> firstCell{-1, -1};
  for (int frame = 1; frame <= 192; ++frame) {
    target.sd()->Pixels()->SetPixel(8, 0, 0x000001u);
    c.DrawHeldItemIcon(target.sd());
    if (target.Untouched(8, 0)) continue;
    if (shown.empty()) firstCell = CellOf(target.sd(), 8, 0, 16);
    shown.push_back(frame);
  }
  std::vector<int> expected;
  for (int cycle = 0; cycle < 2; ++cycle)
    for (int f = 64; f <= 95; ++f) expected.push_back(cycle * 96 + f);
  EXPECT_EQ(shown, expected);
  EXPECT_EQ(firstCell, std::make_pair(2, 1));  // item chip 16's cell of the small item sheet
  DDReleaseSurface(&SurfaceTable[42]);
}

}  // namespace
