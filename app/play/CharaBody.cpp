#include "app/play/CharaBody.h"

#include "app/frame/PaletteVariants.h"
#include "app/play/DrawKernels.h"
#include "data/Database.h"
#include "data/System.h"
#include "engine/Names.h"
#include "engine/World.h"
#include "engine/objects/ChipSheets.h"
#include "media/graphics/Effect.h"

namespace {

constexpr int kCell = 32;
constexpr int kOverlaySheet = 43;
constexpr int kScaledWork = 67, kSquareWork = 68;

bool HasPixels(const DDSURFACEDATA& s) { return s.lpDD || s.lpDT; }

void DrawOverlayChip(DDSURFACEDATA* target, const cCharaBase& c) {
  if (nm::chara::OverlayOn(c.m_Def) != 1) return;
  const int n = nm::chara::OverlayChip(c.m_Def);
  if (n < 0) return;
  // The overlay sheet holds 15 chips per column.
  const int sx = (n / 15) * kCell, sy = (n % 15) * kCell;
  if (c.Scale() > 1) {
    if (ChipStretchSheets[0])
      DrawKernels.BltStretch(target, c.m_nScrLeft, c.m_nScrTop, c.m_nPicW, c.m_nPicH, ChipStretchSheets[0], sx, sy,
                             kCell, kCell, 1);
  } else {
    DrawKernels.Blt(target, c.m_nScrLeft, c.m_nScrTop, kCell, kCell, &SurfaceTable[kOverlaySheet], sx, sy, 1);
  }
}

}  // namespace

int CharaDrawPattern(const cCharaBase& c, int d3d, int* column, DDBLTCOLOR* colour) {
  const cCharaDef& d = c.m_Def;
  int p = nm::chara::GraphicBase(d);
  const auto& sets = nm::db::AnimeSet(Database);
  const int set = nm::chara::BaseAnimSet(d);
  const cAnimeSet* s = set >= 0 && static_cast<size_t>(set) < sets.size() ? &sets[static_cast<size_t>(set)] : nullptr;
  int lit = 0;
  if (s) {
    if (nm::chara::Fly(d) != 0) p += s->m_FlyPatternOffset;
    if (nm::chara::BlockChara(d)) p += s->m_PatternOffset2;
  }
  if (nm::chara::Invincible(d) != 0) {
    if (s) p += s->m_PatternOffset1;
    const int i = nm::chara::HighlightIndex(d);
    // Highlight numbers past the colour table are drawn without a highlight.
    if (d3d && nm::sys::InvincibleHighlight(SystemData) && i != 0 && i < 10) {
      colour->dwColor = BlinkColors[i].dwColor;
      colour->dwColorOp = static_cast<uint32_t>(BlinkColors[i].nColorOp);
      lit = 1;
    }
  }
  *column = p;
  return lit;
}

void CharaDrawInfoOf(const cCharaBase& c, int column, int pattern, const DDBLTCOLOR* colour, cCharaDrawInfo& info) {
  ChipSource src;
  GetChipRect(&src, kChipOwnerSelf, nm::chara::ChipKind(c.m_Def), nm::chara::Chip(c.m_Def), column, &c, pattern);
  const int scale = c.Scale();
  const int sheetScale = src.bCustomSize ? src.nCellMul : 1;
  info.pSheet = src.lpChosen;
  info.nSrcX = src.nSrcX;
  info.nSrcY = src.nSrcY;
  info.nCellW = c.m_nBasePicW * sheetScale;
  info.nCellH = c.m_nBasePicH * sheetScale;
  info.nBoxX = c.m_nScrLeft;
  info.nBoxY = c.m_nScrTop;
  info.nBoxW = c.m_nPicW;
  info.nBoxH = c.m_nPicH;
  info.nScale = scale;
  info.bScaled = IsScaledCell(scale, src.bCustomSize, sheetScale);
  info.pBltColor = colour;
}

void DrawChara(DDSURFACEDATA* target, cCharaBase& c, int bFreeze, const cCharaDrawEnv& env) {
  const int pattern = UpdateCharaEffects(&c, bFreeze);
  if (c.m_bVanished || nm::chara::Transparent(c.m_Def)) {
    RunCharaDrawMode(c.m_CharaEffect, nullptr, cCharaDrawInfo{}, bFreeze, 0, env);
    return;
  }
  c.cGameObj::UpdateScreenPos();
  // A movement command that fixed the character on screen keeps it there.
  if (c.m_bScreenAnchorX) {
    c.m_nScrLeft = c.m_nScreenAnchorX;
    c.m_nScrRight = c.m_nScrLeft + c.m_nPicW - 1;
  }
  if (c.m_bScreenAnchorY) {
    c.m_nScrTop = c.m_nScreenAnchorY;
    c.m_nScrBottom = c.m_nScrTop + c.m_nPicH - 1;
  }
  int column = 0;
  DDBLTCOLOR colour{};
  const int lit = CharaDrawPattern(c, env.bD3D, &column, &colour);
  cCharaDrawInfo info;
  CharaDrawInfoOf(c, column, pattern, lit ? &colour : nullptr, info);
  if (info.pSheet) RunCharaDrawMode(c.m_CharaEffect, target, info, bFreeze, 1, env);
  else RunCharaDrawMode(c.m_CharaEffect, nullptr, info, bFreeze, 0, env);
  DrawOverlayChip(target, c);
}

int DrawCharaDeath(DDSURFACEDATA* target, cCharaBase& c, int isHero, int bFreeze, int frameRate,
                   const cCharaDrawEnv& env) {
  int column = 0;
  DDBLTCOLOR unused{};
  CharaDrawPattern(c, 0, &column, &unused);
  cCharaDrawInfo info;
  CharaDrawInfoOf(c, column, c.m_Anim.GetPattern(), nullptr, info);
  DDSURFACEDATA* to = info.pSheet ? target : nullptr;
  if (!isHero) {
    if (c.m_CharaEffect.m_nIndex == 0) return 1;
    return RunCharaDrawMode(c.m_CharaEffect, to, info, bFreeze, 1, env) == 1 ? 1 : 0;
  }
  if (c.m_CharaEffect.m_nIndex != 0) {
    RunCharaDrawMode(c.m_CharaEffect, to, info, bFreeze, 1, env);
    return 0;
  }
  if (bFreeze) return 0;
  return ++c.m_nDeathFrames > frameRate ? 1 : 0;
}

cCharaDrawEnv ProgramCharaDrawEnv() {
  cCharaDrawEnv env;
  env.bD3D = lpDTCon != nullptr;
  env.nBpp = DDSettings.nBpp;
  env.pWork = HasPixels(SurfaceTable[kScaledWork]) ? &SurfaceTable[kScaledWork] : nullptr;
  env.pWork2 = HasPixels(SurfaceTable[kSquareWork]) ? &SurfaceTable[kSquareWork] : nullptr;
  env.pPalette = PalTable;
  env.pBlendTable = BlendTable;
  return env;
}
