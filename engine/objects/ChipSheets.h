#pragma once
// Chip sheets and chip rectangles of blocks, characters, items and shots.
#include <cstdint>

struct DDSURFACEDATA;

struct ChipSource {
  DDSURFACEDATA* lpFirst = nullptr;
  DDSURFACEDATA* lpSecond = nullptr;
  DDSURFACEDATA* lpFirstMirror = nullptr;
  DDSURFACEDATA* lpSecondMirror = nullptr;
  DDSURFACEDATA* lpChosen = nullptr;
  DDSURFACEDATA* lpChosenMirror = nullptr;
  int32_t nSpare1 = 0, nSpare2 = 0;
  int32_t bCustomSize = 0;
  uint8_t nCellMul = 1;
  int32_t nSrcX = 0, nSrcY = 0;
};

void SelectChipSheets();
// Fills `source` for a chip of an object kind (0 block, 1 character, 2 item,
// 3 shot), its sheet kind, number and second index.
int GetChipRect(ChipSource* source, int objKind, int sheetKind, int chip, int pattern);
void DrawSmallChip(DDSURFACEDATA* target, int x, int y, int kind, int number, int sub);
