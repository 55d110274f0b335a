// Items in play: set-up from a definition, placement on a cell, keeping the
// foot on the floor when the magnification changes, and drawing.
#include "engine/Names.h"
#include "engine/instances/Item.h"

#include "data/Stage.h"
#include "engine/World.h"
#include "engine/objects/CharaBase.h"
#include "engine/objects/ChipSheets.h"
#include "media/graphics/DDCore.h"

namespace {

constexpr int kItemCell = 32;
constexpr int kOverlaySheet = 43;

int Margin() { return PlayScene ? PlayScene->m_ScrollX.m_nMargin : 10; }
int MarginY() { return PlayScene ? PlayScene->m_ScrollY.m_nMargin : 10; }

// A magnification below 1 (0, or a byte read as negative) counts as 1.
int ItemScale(int size) { return size < 1 ? 1 : size; }

}  // namespace

int cItem::InitFromDef(int id, const cItemDef* def, int held) {
  // The callers' definitions (palette entries among them) stay untouched;
  // the item's own copy holds the corrected magnification.
  m_Def = *def;
  nm::item::Size(m_Def) = static_cast<int8_t>(ItemScale(nm::item::Size(*def)));
  const int w = nm::stage::ItemHitW(Stage), h = nm::stage::ItemHitH(Stage);
  Setup(id, 0, 0, 0, nm::item::Chip(*def), kItemAnimSource, 0, 16 - (w >> 1), 16 - (h >> 1), w, h, kItemCell, kItemCell, 0, 1, 0,
        def);
  m_bHeld = held;
  if (held)
    m_bActive = 1;
  else
    SetScale(nm::item::Size(m_Def), 1);
  ExpandLoops(nm::item::Commands(m_Def));
  return 0;
}

void cItem::PlaceAtBlock(int column, int row) {
  m_dX = (column + Margin()) * kItemCell + m_nBasePicOfsX + 0.5;
  m_dY = (row + MarginY()) * kItemCell + m_nBasePicOfsY;
  KeepFoot(ItemScale(nm::item::Size(m_Def)), 1);
  ClampStageX(2);
  ClampStageY(2);
}

void cItem::Draw(DDSURFACEDATA* lpTarget, int bFrozen) {
  if (nm::item::Hidden(m_Def)) return;
  const int pattern = bFrozen ? m_Anim.GetPattern() : m_Anim.Step();
  ChipSource src;
  GetChipRect(&src, kChipOwnerItem, nm::item::ChipKind(m_Def), nm::item::Chip(m_Def), nm::item::ChipSub(m_Def), this,
              pattern);
  const int scale = ItemScale(nm::item::Size(m_Def));
  if (src.lpChosen && src.lpFirst) {
    const int sheetScale = src.bCustomSize ? src.nCellMul : 1;
    const bool stretch = src.bCustomSize ? scale != sheetScale : scale > 1;
    if (stretch)
      DDBltStretch(lpTarget, m_nScrLeft, m_nScrTop, m_nPicW, m_nPicH, src.lpChosen, src.nSrcX, src.nSrcY,
                   m_nBasePicW * sheetScale, m_nBasePicH * sheetScale, 1);
    else
      DDBlt(lpTarget, m_nScrLeft, m_nScrTop, m_nPicW, m_nPicH, src.lpFirst, src.nSrcX, src.nSrcY, 1);
  }
  if (nm::item::Overlay(m_Def) == 1) {
    // The overlay sheet holds 15 chips per column.
    const int c = nm::item::OverlayChip(m_Def);
    const int sx = (c / 15) * kItemCell, sy = (c % 15) * kItemCell;
    if (scale > 1) {
      if (ChipStretchSheets[0])
        DDBltStretch(lpTarget, m_nScrLeft, m_nScrTop, m_nPicW, m_nPicH, ChipStretchSheets[0], sx, sy, kItemCell, kItemCell, 1);
    } else {
      DDBlt(lpTarget, m_nScrLeft, m_nScrTop, kItemCell, kItemCell, &SurfaceTable[kOverlaySheet], sx, sy, 1);
    }
  }
}
