#include "app/play/CharaDraw.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "app/play/DrawKernels.h"
#include "base/Text.h"
#include "data/Effect.h"

namespace {

int Param(const cCharaEffectPlayer& fx, int i) { return fx.m_pDef ? fx.m_pDef->m_EffectParam[i] : 0; }
int Progress(const cCharaEffectPlayer& fx) { return TruncToInt(fx.m_dValue); }
int Advance(cCharaEffectPlayer& fx, int bFreeze) { return bFreeze ? 0 : fx.Step(); }
int Count(int n) { return n < 1 ? 1 : n; }

// Where a mode reads the cell: the scaled work surface or the chip sheet.
struct Src {
  DDSURFACEDATA* s;
  int x, y;
};

Src SourceOf(const cCharaDrawInfo& info, const cCharaDrawEnv& env) {
  if (info.bScaled && env.pWork) return {env.pWork, 0, 0};
  return {info.pSheet, info.nSrcX, info.nSrcY};
}

class ColorScope {
 public:
  explicit ColorScope(const cCharaDrawInfo& info) : on_(info.pBltColor != nullptr) {
    if (!on_) return;
    DrawKernels.SetBltColor(info.pBltColor->dwColor);
    DrawKernels.SetBltColorOp(info.pBltColor->dwColorOp);
  }
  ~ColorScope() {
    if (!on_) return;
    DrawKernels.ResetBltColor();
    DrawKernels.ResetBltColorOp();
  }

 private:
  bool on_;
};

void DrawPlain(DDSURFACEDATA* target, const cCharaDrawInfo& info) {
  if (info.bScaled) {
    if (info.pBltColor)
      DrawKernels.BltStretchEx(target, info.nBoxX, info.nBoxY, info.nBoxW, info.nBoxH, info.pSheet, info.nSrcX,
                               info.nSrcY, info.nCellW, info.nCellH, 1, info.pBltColor);
    else
      DrawKernels.BltStretch(target, info.nBoxX, info.nBoxY, info.nBoxW, info.nBoxH, info.pSheet, info.nSrcX,
                             info.nSrcY, info.nCellW, info.nCellH, 1);
  } else if (info.pBltColor) {
    DrawKernels.BltEx(target, info.nBoxX, info.nBoxY, info.nCellW, info.nCellH, info.pSheet, info.nSrcX, info.nSrcY,
                      1, info.pBltColor);
  } else {
    DrawKernels.Blt(target, info.nBoxX, info.nBoxY, info.nCellW, info.nCellH, info.pSheet, info.nSrcX, info.nSrcY, 1);
  }
}

// Drawn size: the box when scaled, else the cell.
int W(const cCharaDrawInfo& i) { return i.bScaled ? i.nBoxW : i.nCellW; }
int H(const cCharaDrawInfo& i) { return i.bScaled ? i.nBoxH : i.nCellH; }

// Blink counter (m_nSpare1) and toggle (m_nSpare2), counted while not frozen.
void CountBlink(cCharaEffectPlayer& fx, int bFreeze) {
  if (bFreeze) return;
  if (++fx.m_nSpare1 >= Param(fx, 1)) {
    fx.m_nSpare1 = 0;
    fx.m_nSpare2 = fx.m_nSpare2 ? 0 : 1;
  }
}

#define MODE_ARGS \
  cCharaEffectPlayer &fx, DDSURFACEDATA *t, const cCharaDrawInfo &i, int bFreeze, int bDraw, const cCharaDrawEnv &env

int Plain(MODE_ARGS) {
  (void)fx, (void)bFreeze, (void)env;
  if (bDraw) DrawPlain(t, i);
  return 0;
}

int Burst(MODE_ARGS) {
  if (bDraw) {
    const Src s = SourceOf(i, env);
    ColorScope c(i);
    DrawKernels.Burst(t, i.nBoxX, i.nBoxY, W(i), H(i), s.s, s.x, s.y, Progress(fx) * i.nScale, 1);
  }
  return Advance(fx, bFreeze);
}

int Split(MODE_ARGS, bool vertical) {
  if (bDraw) {
    const Src s = SourceOf(i, env);
    const int n = Count(Param(fx, 3));
    const int band = (H(i) + n - 1) / n;  // both directions use the height
    ColorScope c(i);
    DrawKernels.Split(t, i.nBoxX, i.nBoxY, W(i), H(i), band, Progress(fx) * i.nScale, s.s, s.x, s.y, 1,
                      vertical ? 1 : 0);
  }
  return Advance(fx, bFreeze);
}
int SplitH(MODE_ARGS) { return Split(fx, t, i, bFreeze, bDraw, env, false); }
int SplitV(MODE_ARGS) { return Split(fx, t, i, bFreeze, bDraw, env, true); }

// The wave's phase lives in m_nSpare1.
int Wave(MODE_ARGS, bool vertical) {
  if (bDraw) {
    const Src s = SourceOf(i, env);
    ColorScope c(i);
    DrawKernels.Wave(t, i.nBoxX, i.nBoxY, W(i), H(i), Count(Param(fx, 3)),
                     static_cast<double>(Progress(fx) * i.nScale), fx.m_nSpare1, Param(fx, 4) * i.nScale, s.s, s.x,
                     s.y, 1, vertical ? 1 : 0);
  }
  if (bFreeze) return 0;
  if (++fx.m_nSpare1 >= 360) fx.m_nSpare1 = 0;
  return Advance(fx, bFreeze);
}
int WaveH(MODE_ARGS) { return Wave(fx, t, i, bFreeze, bDraw, env, false); }
int WaveV(MODE_ARGS) { return Wave(fx, t, i, bFreeze, bDraw, env, true); }

int Blink(MODE_ARGS) {
  (void)env;
  if (bDraw && fx.m_nSpare2 == 1) DrawPlain(t, i);
  CountBlink(fx, bFreeze);
  return Advance(fx, bFreeze);
}

int RotateB(MODE_ARGS) {
  if (bDraw) {
    const Src s = SourceOf(i, env);
    ColorScope c(i);
    DrawKernels.Rotate(t, i.nBoxX + i.nBoxW / 2, i.nBoxY + i.nBoxH / 2, W(i), H(i), W(i) / 2, H(i) / 2,
                       Progress(fx), s.s, s.x, s.y, 1);
  }
  return Advance(fx, bFreeze);
}

int RotateA(MODE_ARGS) {
  if (env.bD3D || !env.pWork2) return RotateB(fx, t, i, bFreeze, bDraw, env);
  if (bDraw) {
    const Src s = SourceOf(i, env);
    const int side = static_cast<int>(std::ceil(i.nScale * i.nCellW * Sqrt2));
    DrawKernels.FillRect(env.pWork2, 0, 0, side, side, 0);
    DrawKernels.Rotate(env.pWork2, side / 2, side / 2, W(i), H(i), W(i) / 2, H(i) / 2, Progress(fx), s.s, s.x, s.y,
                       1);
    const int out = TruncToInt(Sqrt2 * i.nBoxW);
    ColorScope c(i);
    DrawKernels.BltStretch(t, i.nBoxX + i.nBoxW / 2 - out / 2, i.nBoxY + i.nBoxH / 2 - out / 2, out, out, env.pWork2,
                           0, 0, side, side, 1);
  }
  return Advance(fx, bFreeze);
}

int Turn(MODE_ARGS) {
  if (bDraw) {
    const Src s = SourceOf(i, env);
    ColorScope c(i);
    DrawKernels.Turn(t, i.nBoxX, i.nBoxY, W(i), H(i), s.s, s.x, s.y, s.s, s.x, s.y, W(i), H(i), 1, Progress(fx), 0);
  }
  return Advance(fx, bFreeze);
}

int Circle(MODE_ARGS) {
  if (bDraw) {
    const Src s = SourceOf(i, env);
    ColorScope c(i);
    DrawKernels.BltCircle(t, i.nBoxX + i.nBoxW / 2, i.nBoxY + i.nBoxH / 2, W(i) / 2, H(i) / 2,
                          Progress(fx) * i.nScale, Param(fx, 3), s.s, s.x + W(i) / 2, s.y + H(i) / 2, 1);
  }
  return Advance(fx, bFreeze);
}

int Zoom(MODE_ARGS) {
  if (bDraw) {
    const int e = i.bScaled ? (Progress(fx) - 32) * i.nScale / 2 : Progress(fx) - 32;
    const int w = i.nBoxW + e, h = i.nBoxH + e;
    if (w > 0 && h > 0) {
      ColorScope c(i);
      DrawKernels.BltStretch(t, i.nBoxX - e / 2, i.nBoxY - e / 2, w, h, i.pSheet, i.nSrcX, i.nSrcY, i.nCellW,
                             i.nCellH, 1);
    }
  }
  return Advance(fx, bFreeze);
}

int Lens(MODE_ARGS) {
  if (bDraw) {
    const Src s = SourceOf(i, env);
    const int ox = Param(fx, 3) * i.nScale, oy = Param(fx, 4) * i.nScale;
    const int lx = i.nBoxX + i.nBoxW / 2 + ox, ly = i.nBoxY + i.nBoxH / 2 + oy;
    const int r = TruncToInt(Sqrt2 * (std::max(std::abs(ox), std::abs(oy)) + i.nBoxW / 2));
    ColorScope c(i);
    DrawKernels.Lens(t, lx, ly, r, Progress(fx), s.s, s.x + (lx - i.nBoxX), s.y + (ly - i.nBoxY), 1, 0);
  }
  return Advance(fx, bFreeze);
}

int ColorChange(MODE_ARGS) {
  if (bDraw) {
    const Src s = SourceOf(i, env);
    ColorScope c(i);
    DrawKernels.ColorScale(t, i.nBoxX, i.nBoxY, W(i), H(i), s.s, s.x, s.y, 1, env.pPalette, env.pBlendTable,
                           Param(fx, 3), Progress(fx));
  }
  return Advance(fx, bFreeze);
}

int Half(MODE_ARGS) {
  if (bDraw) {
    if (fx.m_nSpare2 == 0) {
      const Src s = SourceOf(i, env);
      ColorScope c(i);
      DrawKernels.BltHalf(t, i.nBoxX, i.nBoxY, W(i), H(i), s.s, s.x, s.y, 1, env.pBlendTable);
    } else {
      DrawPlain(t, i);
    }
  }
  CountBlink(fx, bFreeze);
  return Advance(fx, bFreeze);
}

int Mosaic(MODE_ARGS) {
  if (bDraw) {
    const Src s = SourceOf(i, env);
    ColorScope c(i);
    DrawKernels.Mosaic(t, i.nBoxX, i.nBoxY, W(i), H(i), Progress(fx), s.s, s.x, s.y, 1);
  }
  return Advance(fx, bFreeze);
}

int Blur(MODE_ARGS) {
  if (bDraw) {
    const Src s = SourceOf(i, env);
    ColorScope c(i);
    if (!env.bD3D && env.nBpp == 8)
      DrawKernels.ColorScale(t, i.nBoxX, i.nBoxY, W(i), H(i), s.s, s.x, s.y, 1, env.pPalette, env.pBlendTable, 31,
                             Progress(fx));
    else
      DrawKernels.Blur(t, i.nBoxX, i.nBoxY, W(i), H(i), Progress(fx), Progress(fx), s.s, s.x, s.y, 1);
  }
  return Advance(fx, bFreeze);
}

#undef MODE_ARGS

}  // namespace

const CharaEffectHandler CharaEffectTable[kCharaDrawModes] = {
    Plain,   Burst,   SplitH, SplitV, WaveH,       WaveV, Blink,  RotateA, RotateB,
    Turn,    Circle,  Zoom,   Lens,   ColorChange, Half,  Mosaic, Blur};

int IsScaledCell(int scale, int preScaled, int preparedScale) {
  return preScaled ? (scale != preparedScale ? 1 : 0) : (scale > 1 ? 1 : 0);
}

int RunCharaDrawMode(cCharaEffectPlayer& fx, DDSURFACEDATA* target, const cCharaDrawInfo& info, int bFreeze,
                     int bDraw, const cCharaDrawEnv& env) {
  int mode = fx.m_nIndex != 0 && fx.m_pDef ? fx.m_pDef->m_EffectKind : 0;
  if (mode < 0 || mode >= kCharaDrawModes) mode = 0;  // unknown kinds draw plainly
  if (!target) bDraw = 0;
  // The modes other than the plain one work from the cell at its drawn size.
  if (bDraw && mode != 0 && mode != 11 && info.bScaled && env.pWork) {
    DrawKernels.FillRect(env.pWork, 0, 0, info.nBoxW, info.nBoxH, 0);
    DrawKernels.BltStretch(env.pWork, 0, 0, info.nBoxW, info.nBoxH, info.pSheet, info.nSrcX, info.nSrcY, info.nCellW,
                           info.nCellH, 0);
  }
  const int ended = CharaEffectTable[mode](fx, target, info, bFreeze, bDraw, env);
  if (ended == 1) fx.m_nIndex = 0;
  return ended;
}

void DrawGauge(DDSURFACEDATA* target, GaugeAnim& g, int which, int boxLeft, int boxTop, int boxW, int dead, int low,
               DDSURFACEDATA* pieces) {
  if (g.nFrames <= 0 || dead) return;
  const bool tall = pieces && pieces->nHeight > 208;
  const int row0 = tall ? 208 : 128, rowStep = tall ? 2 : 16;
  const int px = which == 0 ? 0 : 64;
  const int x = boxLeft + boxW / 2 - 25;
  const int y = which == 0 ? boxTop - 3 : boxTop - 7;
  const int bar = std::clamp(g.nStartLength, 0, 50);
  DrawKernels.Blt(target, x, y, 50, 2, pieces, px, row0, 1);
  if (bar > 0) DrawKernels.Blt(target, x, y, bar, 2, pieces, px, row0 + rowStep * (low ? 2 : 1), 1);
  const int amount = TruncToInt(g.dChange);
  if (amount > 0) DrawKernels.Blt(target, x + bar - amount, y, amount, 2, pieces, px, row0 + rowStep * 4, 1);
  else if (amount < 0) DrawKernels.Blt(target, x + bar, y, -amount, 2, pieces, px, row0 + rowStep * 3, 1);
  g.nFrames -= 1;
  if (g.nFrames < 60) {
    g.dChange = 0;
    g.dPerFrame = 0;
  } else {
    g.dChange -= g.dPerFrame;
  }
}
