#include "app/play/PlayDrawFrame.h"

#include <algorithm>
#include <iterator>

#include "app/frame/PaletteVariants.h"
#include "app/frame/ProgramObjects.h"
#include "app/play/CharaDraw.h"
#include "app/play/DrawKernels.h"
#include "app/play/ScreenEffects.h"
#include "base/FrameTimer.h"
#include "base/Text.h"
#include "data/SaveData.h"
#include "data/Stage.h"
#include "engine/rules/Rules.h"
#include <cstdio>
#include "data/System.h"
#include "engine/Names.h"
#include "engine/Services.h"
#include "media/graphics/Palette.h"

namespace {

constexpr int kScreenW = 640, kScreenH = 480;
constexpr uint32_t kNoBackground = 16;
constexpr int kBackSurface = 55, kBackImages = 8;
constexpr int kDigitSurface = 51, kColorWork = 67;

int ItemLayer(const cItem& item) { return std::clamp<int>(item.m_Def.m_ItemByte, 0, 7); }
int CharaLayer(const cCharaBase& c) { return std::clamp<int>(c.m_Def.m_Z, 0, 7); }
int ShotLayer(const cShot& s) { return std::clamp<int>(s.m_ShotDef.m_OptionA, 0, 7); }
bool InLayer(int objectLayer, int layer) { return layer < 0 || objectLayer == layer; }

// Characters of a Shift-JIS text, a double-byte character counting 1.
int SjisCharCount(const std::string& s) {
  int n = 0;
  for (size_t i = 0; i < s.size(); ++i, ++n) {
    const auto b = static_cast<unsigned char>(s[i]);
    if (((b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC)) && i + 1 < s.size()) ++i;
  }
  return n;
}

int PaletteWeight(int alpha) { return alpha >= 255 ? 256 : std::max(alpha, 0); }

}  // namespace

void cPlayFieldDraw::DrawFrame(int bPlay, int bFreeze, int bTick, int bSysText) {
  RebuildLostChipSheets();
  if (m_World.m_ScrEffect.m_nIndex != 0) SetVirtualBack(1);
  ScrollBackgrounds();
  DrawBackgrounds(0);
  if (FieldHiddenWhilePaused(bPlay)) {
    DrawBackgrounds(1);
    DrawScreenColor(bFreeze);
    return;
  }
  DrawStagePictures(0, bFreeze);
  DrawMapChips(0);
  const int layers = Stage.m_DrawLayers ? 8 : 1;
  for (int l = 0; l < layers; ++l) {
    const int layer = layers == 1 ? -1 : l;
    DrawPlayer(layer, bFreeze);
    DrawItems(layer, bFreeze);
    DrawCharas(layer, bFreeze);
    DrawShots(layer, bFreeze);
  }
  DrawMapChips(1);
  DrawBackgrounds(1);
  DrawCharaOverlays();
  DrawHeroBackdrop();
  DrawStagePictures(1, bFreeze);
  DrawEffects(bFreeze);
  DrawMessages(bFreeze);
  RunScreenEffect(bFreeze);
  DrawStatusWindow();
  DrawTimeCounter(bTick);
  if (bSysText) DrawSysText();
  CycleBlinkColors();
  DrawScreenColor(bFreeze);
}

void cPlayFieldDraw::SetVirtualBack(int on) { DrawKernels.SetVirBackBuffer(on); }

int cPlayFieldDraw::FieldHiddenWhilePaused(int bPlay) {
  return SystemData.m_PauseHidesField != 0 && bPlay == 0 && m_World.SceneState() == 3;
}

void cPlayFieldDraw::ScrollBackgrounds() {
  if (m_World.SceneState() == 3) return;  // paused
  const int n = std::min<int>(static_cast<int>(Stage.m_BackLayers.size()), kBackImages);
  for (int i = 0; i < n; ++i) {
    cBackLayer& b = Stage.m_BackLayers[i];
    const DDSURFACEDATA& s = SurfaceTable[kBackSurface + i];
    if (b.m_AutoX && s.nWidth > 0) {
      b.m_OffsetX -= b.m_RateX;
      if (b.m_OffsetX < 0) b.m_OffsetX += s.nWidth;
      else if (b.m_OffsetX >= s.nWidth) b.m_OffsetX -= s.nWidth;
    }
    if (b.m_AutoY && s.nHeight > 0) {
      b.m_OffsetY -= b.m_RateY;
      if (b.m_OffsetY < 0) b.m_OffsetY += s.nHeight;
      else if (b.m_OffsetY >= s.nHeight) b.m_OffsetY -= s.nHeight;
    }
  }
}

void cPlayFieldDraw::DrawBackgrounds(int front) {
  int drawn = 0;
  const int n = static_cast<int>(Stage.m_BackLayers.size());
  for (int i = 0; i < n; ++i) {
    const cBackLayer& b = Stage.m_BackLayers[i];
    if (!b.m_Show || (b.m_Front ? 1 : 0) != front) continue;
    ++drawn;
    if (b.m_Fill) {
      DrawKernels.FillRect(m_pTarget, 0, 0, kScreenW, kScreenH, static_cast<uint32_t>(b.m_FillColour));
      continue;
    }
    if (i >= kBackImages) continue;
    DDSURFACEDATA* s = &SurfaceTable[kBackSurface + i];
    if (s->nWidth <= 0 || s->nHeight <= 0) continue;  // no pixels: skipped, still counted
    const cScrollAxis& ax = m_World.m_ScrollX;
    const cScrollAxis& ay = m_World.m_ScrollY;
    int ox, oy;
    if (b.m_AutoX) ox = TruncToInt(ax.m_dPos + b.m_OffsetX - ax.m_nMargin * 32);
    else ox = TruncToInt((TruncToInt(ax.m_dPos + 0.5) - ax.m_nMargin * 32) * b.m_RateX);
    if (b.m_AutoY) oy = TruncToInt(ay.m_dPos + b.m_OffsetY - ay.m_nMargin * 32);
    else oy = TruncToInt((TruncToInt(ay.m_dPos) - ay.m_nMargin * 32) * b.m_RateY);
    int sy = oy % s->nHeight;
    if (sy < 0) sy += s->nHeight;
    int sx0 = ox % s->nWidth;
    if (sx0 < 0) sx0 += s->nWidth;
    const int transparent = front || drawn > 1 ? 1 : 0;
    int y = 0;
    for (int row = 0; row < 1000 && y < kScreenH; ++row) {
      const int h = s->nHeight - sy;
      int x = 0, sx = sx0;
      for (int col = 0; col < 1000 && x < kScreenW; ++col) {
        const int w = s->nWidth - sx;
        DrawKernels.Blt(m_pTarget, x, y, w, h, s, sx, sy, transparent);
        x += w;
        sx = 0;
      }
      y += h;
      sy = 0;
    }
  }
  if (front == 0 && drawn == 0) DrawKernels.FillRect(m_pTarget, 0, 0, kScreenW, kScreenH, kNoBackground);
}

void cPlayFieldDraw::DrawMapChips(int front) {
  const cScrollAxis& ax = m_World.m_ScrollX;
  const cScrollAxis& ay = m_World.m_ScrollY;
  const int camX = TruncToInt(ax.m_dPos), camY = TruncToInt(ay.m_dPos);
  const int row0 = camY / 32, col0 = camX / 32;
  DDBeginSpriteBatch(1);
  DDRegisterBatchTarget(&SurfaceTable[43]);
  for (int r = row0; r < row0 + 16; ++r) {
    if (r < 0 || r >= ay.m_nCells) continue;
    for (int c = col0; c < col0 + 21; ++c) {
      if (c < 0 || c >= ax.m_nCells) continue;
      cBlockCell* cell = BlockCellAt(c + (r << ax.m_nShift));
      if (!cell || cell->m_GfxIndex == 0 || (cell->m_Front ? 1 : 0) != front || cell->m_Hidden) continue;
      if (!CheckBlockCondition(cell)) continue;
      cell->DrawChip(m_pTarget, (c - col0) * 32 - camX % 32, (r - row0) * 32 - camY % 32);
    }
  }
  DDEndSpriteBatch();
}

void cPlayFieldDraw::DrawStagePictures(int layer, int bFreeze) {
  auto pic = m_World.m_Pictures.begin();
  auto surf = PictureSurfaces.begin();
  auto bmp = PictureBitmaps.begin();
  while (pic != m_World.m_Pictures.end() && surf != PictureSurfaces.end() && bmp != PictureBitmaps.end()) {
    if (pic->m_nLayer == layer && pic->Draw(m_pTarget, &*surf, bFreeze) == 1) {
      DDReleaseSurface(&*surf);
      pic = m_World.m_Pictures.erase(pic);
      surf = PictureSurfaces.erase(surf);
      bmp = PictureBitmaps.erase(bmp);
      continue;
    }
    ++pic, ++surf, ++bmp;
  }
}

void DrawCharaGauges(DDSURFACEDATA* target, cCharaBase& c) {
  DDSURFACEDATA* pieces = &SurfaceTable[49];
  const int w = c.m_nScrRight - c.m_nScrLeft + 1;
  DrawGauge(target, c.m_HpGauge, 0, c.m_nScrLeft, c.m_nScrTop, w, c.m_bDead,
            SystemData.CheckLowValue(2, c.m_nHp, nm::chara::MaxHp(c.m_Def)), pieces);
  DrawGauge(target, c.m_SpGauge, 1, c.m_nScrLeft, c.m_nScrTop, w, c.m_bDead,
            SystemData.CheckLowValue(3, c.m_nSp, nm::chara::MaxSp(c.m_Def)), pieces);
}

void cPlayFieldDraw::DrawPlayer(int layer, int bFreeze) {
  if (Player.empty()) return;
  cHero& hero = Player[0];
  if (!InLayer(CharaLayer(hero), layer)) return;
  hero.UpdateScreenPos();
  if (hero.m_bDead != 1) {
    DrawCharaBody(hero, bFreeze);
    hero.Draw(m_pTarget, bFreeze);
    DrawCharaGauges(m_pTarget, hero);
  } else if (DrawCharaDeath(hero, 1, bFreeze) == 1) {
    HeroDefeatEnded();
  }
}

void cPlayFieldDraw::DrawItems(int layer, int bFreeze) {
  DDBeginSpriteBatch(1);
  DDRegisterBatchTarget(&SurfaceTable[43]);
  for (cItem& item : ItemList) {
    if (!InLayer(ItemLayer(item), layer) || !item.IsOnScreen()) continue;
    item.UpdateScreenPos();
    item.Draw(m_pTarget, bFreeze);
  }
  DDEndSpriteBatch();
}

void cPlayFieldDraw::DrawCharas(int layer, int bFreeze) {
  for (auto it = CharaList.begin(); it != CharaList.end();) {
    cChara& c = *it;
    if (!InLayer(CharaLayer(c), layer) || DrawCharaOf(c, bFreeze) != 1) {
      ++it;
      continue;
    }
    c.DetachLinks();
    for (CharaPtrList& list : m_World.m_FactionCharas) list.remove(&c);
    it = CharaList.erase(it);
  }
}

int cPlayFieldDraw::DrawCharaOf(cCharaBase& c, int bFreeze) {
  if (c.m_bDead != 0) {
    c.UpdateScreenPos();
    return DrawCharaDeath(c, 0, bFreeze);
  }
  const auto drawGauges = [&] { DrawCharaGauges(m_pTarget, c); };

  if (c.IsOnScreen()) {
    c.UpdateScreenPos();
    if (c.m_Def.m_Transparent) {
      UpdateCharaEffectsOf(c);
      if (RunCharaDrawMode(c.m_CharaEffect, nullptr, cCharaDrawInfo{}, 0, 0, cCharaDrawEnv{}) == 1)
        c.m_CharaEffect.m_nIndex = 0;
      drawGauges();
    } else {
      DrawCharaBody(c, bFreeze);
      drawGauges();
      if (auto* stage = dynamic_cast<cChara*>(&c)) stage->DrawHeldItemIcon(m_pTarget);
    }
  } else if (const auto* stage = dynamic_cast<const cChara*>(&c); stage ? stage->m_bOperating : c.m_bActive) {
    // Off screen but taking part in this sub-step: its effects go on.
    c.UpdateScreenPos();
    UpdateCharaEffectsOf(c);
    RunCharaDrawMode(c.m_CharaEffect, nullptr, cCharaDrawInfo{}, 0, 0, cCharaDrawEnv{});
  }
  return 0;
}

int cPlayFieldDraw::DrawCharaDeath(cCharaBase& c, int isHero, int bFreeze) {
  // Without a defeat effect a stage character is finished at once; with one,
  // it is finished when the effect ends.
  if (!isHero && c.m_CharaEffect.m_nIndex == 0) return 1;
  const int ended = RunCharaDrawMode(c.m_CharaEffect, nullptr, cCharaDrawInfo{}, bFreeze, 0, cCharaDrawEnv{});
  return !isHero && ended == 1 ? 1 : 0;
}

void cPlayFieldDraw::DrawShots(int layer, int bFreeze) {
  DDBeginSpriteBatch(0);
  for (cShot& shot : m_World.m_Shots) {
    if (!InLayer(ShotLayer(shot), layer) || !shot.IsOnScreen()) continue;
    shot.UpdateScreenPos();
    shot.Draw(m_pTarget, bFreeze);
  }
  DDEndSpriteBatch();
}

void cPlayFieldDraw::DrawHeroBackdrop() {
  if (!Player.empty()) Player[0].DrawBackdrop(m_pTarget);
}

void cPlayFieldDraw::DrawEffects(int bFreeze) {
  DDBeginSpriteBatch(0);
  for (auto it = m_World.m_Effects.begin(); it != m_World.m_Effects.end();) {
    if (it->Draw(m_pTarget, bFreeze) == 1) it = m_World.m_Effects.erase(it);
    else ++it;
  }
  DDEndSpriteBatch();
}

void cPlayFieldDraw::DrawMessages(int bFreeze) {
  for (auto it = m_World.m_Messages.begin(); it != m_World.m_Messages.end();) {
    if (it->Update(m_pTarget, bFreeze) == 1) it = m_World.m_Messages.erase(it);
    else ++it;
  }
}

void cPlayFieldDraw::RunScreenEffect(int bFreeze) {
  const cScrEffectEnv env = ProgramScrEffectEnv([this] {
    DrawBackgrounds(0);
    DrawBackgrounds(1);
  });
  ::RunScreenEffect(m_World.m_ScrEffect, env, bFreeze);
}

void cPlayFieldDraw::DrawTimeCounter(int bTick) {
  if (!Stage.m_TimeLimitOn) return;
  DrawKernels.DrawNumber(m_pTarget, 272, 24, 32, 32, &SurfaceTable[kDigitSurface], 0, 160, 1, m_World.m_nTime, 3, 0);
  const int t = m_World.m_nTime;
  if (t >= 1 && t <= Stage.m_TimeWarning && bTick && CountCycle(2, static_cast<uint32_t>(SceneValues().FrameRate())))
    PlaySE(13);
}

void StatusItemPositions(const cVector<cStatusItem>& items, int x[5]) {
  int widths[5] = {}, shown = 0, sum = 0;
  for (int i = 0; i < 5; ++i) {
    x[i] = -1;
    if (i >= static_cast<int>(items.size()) || !items[i].m_Shown) continue;
    const cStatusItem& it = items[i];
    int w = it.m_Icon ? 16 : 16 * SjisCharCount(it.m_Label);
    w += (i == 2 || i == 3) ? 50 : 16 * it.m_Digits;
    widths[i] = w;
    sum += w;
    ++shown;
  }
  if (shown == 0) return;
  const int gap = (638 - sum) / (shown + 1);
  int left = gap;
  for (int i = 0; i < 5; ++i) {
    if (i >= static_cast<int>(items.size()) || !items[i].m_Shown) continue;
    x[i] = left;
    left += widths[i] + gap;
  }
}

void cPlayFieldDraw::DrawStatusWindow() {
  if (!m_World.m_nStatusStyle) return;
  int xs[5];
  StatusItemPositions(SystemData.m_StatusItems, xs);
  if (std::none_of(xs, xs + 5, [](int v) { return v >= 0; })) return;
  DDSURFACEDATA* pieces = &SurfaceTable[49];
  DrawKernels.Blt(m_pTarget, 0, 0, 640, 20, &SurfaceTable[46], 0, 0, 0);
  char text[256];
  const int y = 3;
  for (int i = 0; i < 5; ++i) {
    if (xs[i] < 0) continue;
    const cStatusItem& it = SystemData.m_StatusItems[i];
    const int x = xs[i];
    if (i == 0 || i == 1) {
      const int value = i == 0 ? SaveData.m_Result0 : SaveData.m_Score;
      if (it.m_Icon) {
        DrawKernels.Blt(m_pTarget, x, y, 16, 16, pieces, 16 * i, 32, 1);
        std::snprintf(text, sizeof text, "%d", value);
        Fonts[1].DrawText(m_pTarget, x + 16, y, text);
      } else {
        std::snprintf(text, sizeof text, "%s%d", it.m_Label.c_str(), value);
        Fonts[1].DrawText(m_pTarget, x, y, text);
      }
    } else if (i == 2 || i == 3) {
      int gx = x;
      if (it.m_Icon) {
        DrawKernels.Blt(m_pTarget, x, y, 16, 16, pieces, i == 2 ? 32 : 48, 32, 1);
        gx += 16;
      } else {
        Fonts[1].DrawText(m_pTarget, x, y, it.m_Label.c_str());
        gx += 16 * SjisCharCount(it.m_Label);
      }
      if (Player.empty()) continue;
      const cHero& hero = Player[0];
      const int value = i == 2 ? hero.m_nHp : hero.m_nSp;
      const int max = i == 2 ? nm::chara::MaxHp(hero.m_Def) : nm::chara::MaxSp(hero.m_Def);
      const int fill = max > 0 ? static_cast<int>(std::clamp<int64_t>(int64_t(value) * 50 / max, 0, 50)) : 0;
      const int px = i == 2 ? 0 : 64;
      DrawKernels.Blt(m_pTarget, gx, y, 50, 16, pieces, px, 128, 1);
      const int row = SystemData.CheckLowValue(i, value, max) ? 160 : 144;
      if (fill > 0) DrawKernels.Blt(m_pTarget, gx, y, fill, 16, pieces, px, row, 1);
      if (it.m_ShowNumber) {
        std::snprintf(text, sizeof text, "%d", value);
        Fonts[0].DrawText(m_pTarget, gx, 6, text);
      }
    } else {
      const int lives = SaveData.m_Lives;
      const bool infinite = lives == kInfiniteLives;
      if (it.m_Icon) {
        DrawKernels.Blt(m_pTarget, x, y, 16, 16, pieces, 64, 32, 1);
        if (infinite) std::snprintf(text, sizeof text, "-");
        else std::snprintf(text, sizeof text, "%d", lives);
        Fonts[1].DrawText(m_pTarget, x + 16, y, text);
      } else {
        if (infinite) std::snprintf(text, sizeof text, "%s-", it.m_Label.c_str());
        else std::snprintf(text, sizeof text, "%s%d", it.m_Label.c_str(), lives);
        Fonts[1].DrawText(m_pTarget, x, y, text);
      }
    }
  }
}

void cPlayFieldDraw::DrawSysText() {
  int label = -1;
  if (SceneValues().StartFilePlay()) label = 27;
  else if (SceneValues().StartedByEditor()) label = 26;
  if (label < 0 || label >= static_cast<int>(SystemData.m_Labels.size())) return;
  const std::string& text = SystemData.m_Labels[label];
  Fonts[1].DrawText(m_pTarget, 320 - 8 * SjisCharCount(text), 456, text.c_str());
}

void cPlayFieldDraw::CycleBlinkColors() { ::CycleBlinkColors(); }

void cPlayFieldDraw::DrawScreenColor(int bFreeze) {
  ::DrawScreenColor(m_World.m_ScreenColor, m_pTarget, &SurfaceTable[kColorWork], bFreeze);
}

void DrawScreenColor(cScreenColor& sc, DDSURFACEDATA* target, DDSURFACEDATA* work, int bFreeze) {
  if (!sc.m_bActive) return;
  const bool d3d = lpDTCon != nullptr;
  if (!d3d && DDSettings.nBpp != 8) {
    sc.m_bActive = 0;  // no palette to work on
    return;
  }
  if (!d3d && bFreeze) return;
  const double duration = sc.m_nDuration;
  const double f = sc.m_nDuration > 0 ? sc.m_nFrame / duration * sc.m_nStrength * 2.55 : sc.m_nStrength * 2.55;
  const int a = TruncToInt(255 - f);
  int alpha = a;
  int r = sc.m_byRed, g = sc.m_byGreen, b = sc.m_byBlue;
  bool advance = !bFreeze;
  if (sc.m_bFlash) {
    if (sc.m_nFrame >= sc.m_nDuration) {
      alpha = 255;
      if (advance) {
        sc.m_nFrame = 0;
        if (++sc.m_nRepeatCount >= sc.m_nRepeat) sc.m_bActive = 0;
        advance = false;
      }
    }
  } else if (sc.m_bRestore) {
    alpha = sc.m_nDuration > 0
                ? TruncToInt(sc.m_nFrame / duration * (255 - sc.m_nPrevAlpha) + sc.m_nPrevAlpha)
                : 255;
    r = sc.m_byPrevRed, g = sc.m_byPrevGreen, b = sc.m_byPrevBlue;
    if (advance && sc.m_nFrame >= sc.m_nDuration) sc.m_bActive = 0;
  } else if (sc.m_nFrame >= sc.m_nDuration) {
    // Under Direct3D a colour with strength stays on screen until replaced.
    if (!d3d || sc.m_nStrength == 0) {
      if (advance) sc.m_bActive = 0;
    }
    if (d3d) advance = false;
  }
  alpha = std::clamp(alpha, 0, 255);
  sc.m_nAlpha = alpha;
  if (d3d) {
    if (lpDTCon->bVirBackBuffer && work) {
      DrawKernels.FillSurfaceARGB(work, 0xFF000000u | uint32_t(r) << 16 | uint32_t(g) << 8 | uint32_t(b));
      DrawKernels.BltBlend(target, 0, 0, kScreenW, kScreenH, work, 0, 0, 0, BlendTable, alpha);
    } else {
      DrawKernels.ChangeColor(target, 0, 0, kScreenW, kScreenH, alpha, static_cast<uint8_t>(r),
                              static_cast<uint8_t>(g), static_cast<uint8_t>(b));
    }
  } else {
    DDBlendPalette(PalWork, 0, 255, PaletteWeight(alpha), r, g, b, PalTable);
    if (lpDDPalette) lpDDPalette->SetEntries(0, 256, PalWork);
  }
  if (advance) sc.m_nFrame += 1;
}
