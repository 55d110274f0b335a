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

// Owner modes and chip kinds of GetChipRect.
enum : int { kChipOwnerOther = 0, kChipOwnerSelf = 1, kChipOwnerItem = 2 };
enum : int { kChipBlock = 0, kChipChara = 1, kChipItem = 2, kChipShot = 3, kChipCustom = 4 };

class cGameObj;

// The sheets chosen by SelectChipSheets: the overlay sheet for stretched
// overlay chips and two work surfaces for stretched drawing.
extern DDSURFACEDATA* ChipStretchSheets[3];
// DD_VideoStretch of System.ini; the application sets it at start-up.
extern int bChipVideoStretch;
// True under the DirectDraw back end with video stretching: the first copies
// of the sheets are drawn, otherwise the second copies.
bool ChipFirstCopies();

void SelectChipSheets();
// Fills `source` for chip c of chip kind `kind`: b is the column, e the extra
// column (owner mode 1, an object drawing itself, adds it to b and takes the
// facing of `owner`; owner mode 2, an item, steps through its chip pair).
// A chip outside its sheet falls back to the first chip of character sheet 1;
// an unknown kind leaves the surfaces as they were (null in a fresh record).
void GetChipRect(ChipSource* source, int ownerMode, int kind, int c, int b, const cGameObj* owner, int e);
// The same without an owner object and extra column; returns 0.
int GetChipRect(ChipSource* source, int objKind, int sheetKind, int chip, int pattern);
void DrawSmallChip(DDSURFACEDATA* target, int x, int y, int kind, int number, int sub);
