#include "engine/Names.h"
#include "engine/objects/ChipSheets.h"

#include <algorithm>

#include "data/Database.h"
#include "engine/World.h"
#include "engine/objects/GameObj.h"
#include "media/graphics/DDCore.h"

DDSURFACEDATA* ChipStretchSheets[3] = {};
int bChipVideoStretch = 0;

namespace {

constexpr int kCell = 32;

// Entries of SurfaceTable.
constexpr int kBlockSheet = 2, kBlockSheet2 = 3;
constexpr int kCharaSheet = 4, kCharaSheetLast = 19, kCharaSecondOffset = 18;
constexpr int kItemSheet = 40, kItemSheet2 = 41, kItemMini = 42;
constexpr int kShotChips = 63, kShotChipsMirror = 64;

DDSURFACEDATA* Table(int index) { return &SurfaceTable[index]; }

bool Inside(const DDSURFACEDATA* sd, int x, int y) {
  return x >= 0 && y >= 0 && x < sd->nWidth && y < sd->nHeight;
}

// The first chip of character sheet 1: where a chip outside its sheet is taken from.
void FallBack(ChipSource* src) {
  src->lpFirst = Table(kCharaSheet);
  src->lpFirstMirror = Table(kCharaSheet + 1);
  src->lpSecond = Table(kCharaSheet + kCharaSecondOffset);
  src->lpSecondMirror = Table(kCharaSheet + 1 + kCharaSecondOffset);
  src->nSrcX = 0;
  src->nSrcY = 0;
}

// Cell multiplier of custom image c: 1..16 so that a row holds at least one cell.
int CustomMultiplier(int c, bool* customSize) {
  *customSize = false;
  const auto& images = nm::db::BmpCharaExc(Database);
  if (c < 1 || static_cast<size_t>(c) >= images.size()) return 1;
  const cBmpCharaExc& e = images[static_cast<size_t>(c)];
  if (!nm::db::ExcCustomSize(e)) return 1;
  *customSize = true;
  return std::clamp(nm::db::ExcCellMul(e), 1, 16);
}

// Position of `column` in a custom image of multiplier m.
void CustomCell(int column, int m, bool customSize, int* x, int* y) {
  if (customSize) {
    const int perRow = 16 / m;
    *x = (column % perRow) * kCell * m;
    *y = (column / perRow) * kCell * m;
  } else {
    *x = (column % 16) * kCell;
    *y = (column / 16) * kCell;
  }
}

// True when custom image c has its four surfaces.
bool HasCustomImage(int c) {
  return c >= 1 && static_cast<int64_t>(c) * 4 <= static_cast<int64_t>(StageBmpSurfaces.size());
}

}  // namespace

bool ChipFirstCopies() { return lpDTCon == nullptr && bChipVideoStretch != 0; }

void SelectChipSheets() {
  if (ChipFirstCopies()) {
    ChipStretchSheets[0] = Table(43);
    ChipStretchSheets[1] = Table(67);
    ChipStretchSheets[2] = Table(68);
  } else {
    ChipStretchSheets[0] = Table(44);
    ChipStretchSheets[1] = Table(68);
    ChipStretchSheets[2] = Table(lpDTCon ? 70 : 68);
  }
}

void GetChipRect(ChipSource* src, int ownerMode, int kind, int c, int b, const cGameObj* owner, int e) {
  src->nCellMul = 1;
  src->bCustomSize = 0;
  const int facing = (owner && owner->m_bFaceRight) ? 1 : 0;
  switch (kind) {
    case kChipBlock:
      src->lpFirst = src->lpFirstMirror = Table(kBlockSheet);
      src->lpSecond = src->lpSecondMirror = Table(kBlockSheet2);
      src->nSrcX = (c / 15) * kCell;
      src->nSrcY = (c % 15) * kCell;
      break;
    case kChipChara: {
      int s, mirror, column;
      if (ownerMode == kChipOwnerSelf) {
        s = kCharaSheet + 2 * (c / 15) + facing;
        mirror = facing ? s - 1 : s + 1;
        column = b + e;
      } else if (b >= 20) {
        s = kCharaSheet + 1 + 2 * (c / 15);
        mirror = s - 1;
        column = b - 20;
      } else {
        s = kCharaSheet + 2 * (c / 15);
        mirror = s + 1;
        column = b;
      }
      src->nSrcX = column * kCell;
      src->nSrcY = (c % 15) * kCell;
      if (c < 0 || s < kCharaSheet || s > kCharaSheetLast || !Inside(Table(s), src->nSrcX, src->nSrcY)) {
        FallBack(src);
        break;
      }
      src->lpFirst = Table(s);
      src->lpFirstMirror = Table(mirror);
      src->lpSecond = Table(s + kCharaSecondOffset);
      src->lpSecondMirror = Table(mirror + kCharaSecondOffset);
      break;
    }
    case kChipItem:
      src->lpFirst = src->lpFirstMirror = Table(kItemSheet);
      src->lpSecond = src->lpSecondMirror = Table(kItemSheet2);
      src->nSrcX = (c / 15) * 2 * kCell + (ownerMode == kChipOwnerItem ? e * kCell : 0);
      src->nSrcY = (c % 15) * kCell;
      break;
    case kChipShot:
      if (ownerMode == kChipOwnerSelf) {
        src->lpFirst = src->lpSecond = Table(kShotChips + facing);
        src->lpFirstMirror = src->lpSecondMirror = Table(facing ? kShotChips : kShotChipsMirror);
      } else {
        src->lpFirst = src->lpSecond = Table(kShotChips);
        src->lpFirstMirror = src->lpSecondMirror = Table(kShotChipsMirror);
      }
      src->nSrcX = (c / 30) * 2 * kCell;
      src->nSrcY = (c % 30) * kCell;
      break;
    case kChipCustom: {
      if (!HasCustomImage(c)) {
        FallBack(src);
        break;
      }
      const int base = 4 * c - 4;
      int first = base, mirror = base + 1, column = b;
      if (ownerMode == kChipOwnerSelf) {
        first = base + facing;
        mirror = base + 1 - facing;
        column = b + e;
      }
      src->lpFirst = &StageBmpSurfaces[static_cast<size_t>(first)];
      src->lpFirstMirror = &StageBmpSurfaces[static_cast<size_t>(mirror)];
      src->lpSecond = &StageBmpSurfaces[static_cast<size_t>(first + 2)];
      src->lpSecondMirror = &StageBmpSurfaces[static_cast<size_t>(mirror + 2)];
      bool customSize = false;
      const int m = CustomMultiplier(c, &customSize);
      if (customSize) {
        src->bCustomSize = 1;
        src->nCellMul = static_cast<uint8_t>(m);
      }
      CustomCell(column, m, customSize, &src->nSrcX, &src->nSrcY);
      break;
    }
    default:
      return;
  }
  if (ChipFirstCopies()) {
    src->lpChosen = src->lpFirst;
    src->lpChosenMirror = src->lpFirstMirror;
  } else {
    src->lpChosen = src->lpSecond;
    src->lpChosenMirror = src->lpSecondMirror;
  }
}

void DrawSmallChip(DDSURFACEDATA* lpDstSD, int x, int y, int kind, int c, int d) {
  switch (kind) {
    case kChipBlock:
      // Columns 64 pixels apart here, unlike GetChipRect's 32 for the same sheet.
      DDBltStretch(lpDstSD, x, y, 16, 16, Table(kBlockSheet2), (c / 15) * 2 * kCell, (c % 15) * kCell, kCell, kCell,
                   1);
      break;
    case kChipChara: {
      const int s = kCharaSheet + kCharaSecondOffset + 2 * (c / 15);
      if (c < 0 || s > kCharaSheetLast + kCharaSecondOffset) break;
      DDBltStretch(lpDstSD, x, y, 16, 16, Table(s), d * kCell, (c % 15) * kCell, kCell, kCell, 1);
      break;
    }
    case kChipItem:
      DDBlt(lpDstSD, x, y, 16, 16, Table(kItemMini), (c / 15) * kCell, (c % 15) * 16, 1);
      break;
    case kChipShot:
      DDBltStretch(lpDstSD, x, y, 16, 16, Table(kShotChips), (c / 30) * 2 * kCell, (c % 30) * kCell, kCell, kCell,
                   1);
      break;
    case kChipCustom: {
      if (!HasCustomImage(c)) break;
      bool customSize = false;
      const int m = CustomMultiplier(c, &customSize);
      int sx = 0, sy = 0;
      CustomCell(d, m, customSize, &sx, &sy);
      const int size = customSize ? kCell * m : kCell;
      DDBltStretch(lpDstSD, x, y, 16, 16, &StageBmpSurfaces[static_cast<size_t>(4 * c - 4 + 2)], sx, sy, size, size,
                   1);
      break;
    }
    default:
      break;
  }
}

int GetChipRect(ChipSource* source, int objKind, int sheetKind, int chip, int pattern) {
  GetChipRect(source, objKind, sheetKind, chip, pattern, nullptr, 0);
  return 0;
}
