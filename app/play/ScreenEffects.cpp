#include "app/play/ScreenEffects.h"

#include <algorithm>
#include <cmath>

#include "app/play/DrawKernels.h"
#include "base/Text.h"
#include "data/Effect.h"
#include "engine/World.h"
#include "engine/objects/ChipSheets.h"

namespace {

constexpr int kW = 640, kH = 480;
constexpr uint32_t kUncovered = 16;  // palette colour of parts the effect uncovers

int Param(const cScrEffectPlayer& fx, int i) { return fx.m_pDef ? fx.m_pDef->m_EffectParam[i] : 0; }
int Progress(const cScrEffectPlayer& fx) { return TruncToInt(fx.m_dValue); }

// Copy of the frame into `work`, the back buffer filled with colour 16.
void CopyAndClear(const cScrEffectEnv& env, DDSURFACEDATA* work) {
  DrawKernels.Blt(work, 0, 0, kW, kH, env.pBack, 0, 0, 0);
  DrawKernels.FillRect(env.pBack, 0, 0, kW, kH, kUncovered);
}

template <class F>
void WithAlphaOff(F draw) {
  DrawKernels.SetBltAlphaOp(1);
  draw();
  DrawKernels.ResetBltAlphaOp();
}

// The ramp from parameter 1 to parameter 2.
int StepRamp(cScrEffectPlayer& fx, int bFreeze) {
  if (bFreeze) return 0;
  return fx.Step(Param(fx, 1), Param(fx, 2), fx.m_dStep);
}

int StepLength(cScrEffectPlayer& fx, int bFreeze) {
  if (bFreeze) return 0;
  return fx.Step(0, Param(fx, 0), fx.m_dStep);
}

// A split or wave count from the data; 0 or less counts as one band.
int AtLeastOne(int n) { return n < 1 ? 1 : n; }

int None(cScrEffectPlayer&, const cScrEffectEnv& env, int) {
  if (env.bD3D && lpDTCon && lpDTCon->bVirBackBuffer) DrawKernels.SetVirBackBuffer(0);
  return 0;
}

int Move(cScrEffectPlayer& fx, const cScrEffectEnv& env, int bFreeze) {
  CopyAndClear(env, env.pWork);
  const int length = Param(fx, 0);
  const double t = length > 0 ? fx.m_dValue / length : 1.0;
  const int x = TruncToInt(Param(fx, 1) + (Param(fx, 3) - Param(fx, 1)) * t);
  const int y = TruncToInt(Param(fx, 2) + (Param(fx, 4) - Param(fx, 2)) * t);
  WithAlphaOff([&] { DrawKernels.Blt(env.pBack, x, y, kW, kH, env.pWork, 0, 0, 0); });
  return StepLength(fx, bFreeze);
}

// Shakes: the offset lives in m_dSpare, its direction (0 rising, 1 falling) in m_nValue1.
int Shake(cScrEffectPlayer& fx, const cScrEffectEnv& env, int bFreeze, bool vertical) {
  DrawKernels.Blt(env.pWork, 0, 0, kW, kH, env.pBack, 0, 0, 0);
  const int d = TruncToInt(fx.m_dSpare);
  const int extent = vertical ? kH : kW;
  if (d > 0) {
    if (vertical) DrawKernels.FillRect(env.pBack, 0, 0, kW, d + 1, kUncovered);
    else DrawKernels.FillRect(env.pBack, 0, 0, d + 1, kH, kUncovered);
  } else if (d < 0) {
    if (vertical) DrawKernels.FillRect(env.pBack, 0, extent + d, kW, 1 - d, kUncovered);
    else DrawKernels.FillRect(env.pBack, extent + d, 0, 1 - d, kH, kUncovered);
  }
  WithAlphaOff([&] {
    if (vertical) DrawKernels.Blt(env.pBack, 0, d, kW, kH, env.pWork, 0, 0, 0);
    else DrawKernels.Blt(env.pBack, d, 0, kW, kH, env.pWork, 0, 0, 0);
  });
  if (bFreeze) return 0;
  const double amplitude = Param(fx, 1);
  const int length = Param(fx, 0);
  const double delta =
      length > 0 ? amplitude * Param(fx, 2) * 4.0 / (static_cast<double>(length) * 6.0) : amplitude;
  if (fx.m_nValue1 == 0) {
    fx.m_dSpare += delta;
    if (fx.m_dSpare >= amplitude) {
      fx.m_dSpare = amplitude;
      fx.m_nValue1 = 1;
    }
  } else {
    fx.m_dSpare -= delta;
    if (fx.m_dSpare <= -amplitude) {
      fx.m_dSpare = -amplitude;
      fx.m_nValue1 = 0;
    }
  }
  return fx.Step(0, length, fx.m_dStep);
}
int ShakeH(cScrEffectPlayer& fx, const cScrEffectEnv& env, int bFreeze) { return Shake(fx, env, bFreeze, false); }
int ShakeV(cScrEffectPlayer& fx, const cScrEffectEnv& env, int bFreeze) { return Shake(fx, env, bFreeze, true); }

int Split(cScrEffectPlayer& fx, const cScrEffectEnv& env, int bFreeze, bool vertical) {
  CopyAndClear(env, env.pWork);
  const int n = AtLeastOne(Param(fx, 3));
  const int extent = vertical ? kW : kH;
  const int band = (extent + n - 1) / n;
  WithAlphaOff([&] {
    DrawKernels.Split(env.pBack, 0, 0, kW, kH, band, Progress(fx), env.pWork, 0, 0, 0, vertical ? 1 : 0);
  });
  return StepRamp(fx, bFreeze);
}
int SplitH(cScrEffectPlayer& fx, const cScrEffectEnv& env, int bFreeze) { return Split(fx, env, bFreeze, false); }
int SplitV(cScrEffectPlayer& fx, const cScrEffectEnv& env, int bFreeze) { return Split(fx, env, bFreeze, true); }

// Waves: the phase lives in m_nValue1.
int Wave(cScrEffectPlayer& fx, const cScrEffectEnv& env, int bFreeze, bool vertical) {
  CopyAndClear(env, env.pWork);
  WithAlphaOff([&] {
    DrawKernels.Wave(env.pBack, 0, 0, kW, kH, AtLeastOne(Param(fx, 3)), static_cast<double>(Progress(fx)), fx.m_nValue1,
                     Param(fx, 4), env.pWork, 0, 0, 0, vertical ? 1 : 0);
  });
  if (bFreeze) return 0;
  if (++fx.m_nValue1 >= 360) fx.m_nValue1 = 0;
  return StepRamp(fx, bFreeze);
}
int WaveH(cScrEffectPlayer& fx, const cScrEffectEnv& env, int bFreeze) { return Wave(fx, env, bFreeze, false); }
int WaveV(cScrEffectPlayer& fx, const cScrEffectEnv& env, int bFreeze) { return Wave(fx, env, bFreeze, true); }

// Blink: counter in m_nValue1, toggle in m_nValue2; toggle 0 hides the field.
int Blink(cScrEffectPlayer& fx, const cScrEffectEnv& env, int bFreeze) {
  if (fx.m_nValue2 == 0 && env.RedrawBackgrounds) env.RedrawBackgrounds();
  if (bFreeze) return 0;
  if (++fx.m_nValue1 >= Param(fx, 1)) {
    fx.m_nValue1 = 0;
    fx.m_nValue2 = fx.m_nValue2 ? 0 : 1;
  }
  return StepLength(fx, bFreeze);
}

int Rotate(cScrEffectPlayer& fx, const cScrEffectEnv& env, int bFreeze) {
  CopyAndClear(env, env.pWork2);
  WithAlphaOff([&] {
    DrawKernels.Rotate(env.pBack, kW / 2, kH / 2, kW, kH, kW / 2, kH / 2, Progress(fx), env.pWork2, 0, 0, 0);
  });
  return StepRamp(fx, bFreeze);
}

int Circle(cScrEffectPlayer& fx, const cScrEffectEnv& env, int bFreeze) {
  CopyAndClear(env, env.pWork);
  const int cx = env.nHeroCX, cy = env.nHeroCY;
  const int hw = std::max(cx, kW - cx), hh = std::max(cy, kH - cy);
  WithAlphaOff([&] {
    DrawKernels.BltCircle(env.pBack, cx, cy, hw, hh, Progress(fx), Param(fx, 3), env.pWork, cx, cy, 0);
  });
  return StepRamp(fx, bFreeze);
}

int Zoom(cScrEffectPlayer& fx, const cScrEffectEnv& env, int bFreeze) {
  DDSURFACEDATA* work = env.pStretch ? env.pStretch : env.pWork;
  DrawKernels.Blt(work, 0, 0, kW, kH, env.pBack, 0, 0, 0);
  const double z = fx.m_dValue / 640.0;
  WithAlphaOff([&] {
    if (z >= 1.0) {
      const int ww = TruncToInt(kW / z), wh = TruncToInt(kH / z);
      const int wx = std::clamp(env.nHeroCX - ww / 2, 0, kW - ww);
      const int wy = std::clamp(env.nHeroCY - wh / 2, 0, kH - wh);
      DrawKernels.BltStretch(env.pBack, 0, 0, kW, kH, work, wx, wy, ww, wh, 0);
    } else {
      DrawKernels.FillRect(env.pBack, 0, 0, kW, kH, kUncovered);
      const int w = TruncToInt(kW * z), h = TruncToInt(kH * z);
      if (w > 0 && h > 0) DrawKernels.BltStretch(env.pBack, (kW - w) / 2, (kH - h) / 2, w, h, work, 0, 0, kW, kH, 0);
    }
  });
  return StepRamp(fx, bFreeze);
}

int Lens(cScrEffectPlayer& fx, const cScrEffectEnv& env, int bFreeze) {
  const int lx = env.nHeroCX + Param(fx, 3), ly = env.nHeroCY + Param(fx, 4);
  const int dx = std::max(std::abs(lx), std::abs(kW - lx)), dy = std::max(std::abs(ly), std::abs(kH - ly));
  const int h = TruncToInt(Sqrt2 * std::max(dx, dy));
  // The clear stays inside the work surface, however far the lens is moved.
  const int64_t side = static_cast<int64_t>(h) * (env.nBpp == 16 ? 4 : 2);
  if (env.pWork2) {
    const int cw = static_cast<int>(std::min<int64_t>(side, env.pWork2->nWidth));
    const int ch = static_cast<int>(std::min<int64_t>(side, env.pWork2->nHeight));
    if (cw > 0 && ch > 0) DrawKernels.FillRect(env.pWork2, 0, 0, cw, ch, 0);
  }
  CopyAndClear(env, env.pWork2);
  WithAlphaOff([&] { DrawKernels.Lens(env.pBack, lx, ly, h, Progress(fx), env.pWork2, lx, ly, 0, 0); });
  return StepRamp(fx, bFreeze);
}

int Mosaic(cScrEffectPlayer& fx, const cScrEffectEnv& env, int bFreeze) {
  CopyAndClear(env, env.pWork2);
  WithAlphaOff([&] { DrawKernels.Mosaic(env.pBack, 0, 0, kW, kH, Progress(fx), env.pWork2, 0, 0, 0); });
  return StepRamp(fx, bFreeze);
}

}  // namespace

const ScrEffectHandler ScrEffectTable[kScrEffectKinds] = {None,  Move,   ShakeH, ShakeV, SplitH, SplitV, WaveH,
                                                          WaveV, Blink,  Rotate, Circle, Zoom,   Lens,   Mosaic};

void RunScreenEffect(cScrEffectPlayer& fx, const cScrEffectEnv& env, int bFreeze) {
  if (fx.m_nIndex == 0) return;
  int kind = fx.m_pDef ? fx.m_pDef->m_EffectKind : 0;
  if (kind < 0 || kind >= kScrEffectKinds) kind = 0;  // unknown kinds draw nothing
  if (ScrEffectTable[kind](fx, env, bFreeze) == 1) {
    fx.m_nIndex = 0;
    DrawKernels.SetVirBackBuffer(0);
  }
}

cScrEffectEnv ProgramScrEffectEnv(std::function<void()> redrawBackgrounds) {
  cScrEffectEnv env;
  env.pBack = &BackBuffer;
  env.pWork = &SurfaceTable[67];
  env.pWork2 = &SurfaceTable[68];
  env.pStretch = ChipStretchSheets[1] ? ChipStretchSheets[1] : &SurfaceTable[67];
  env.bD3D = lpDTCon != nullptr;
  env.nBpp = DDSettings.nBpp;
  if (!Player.empty()) {
    const cHero& hero = Player[0];
    env.nHeroCX = hero.m_nScrLeft + hero.m_nW / 2;
    env.nHeroCY = hero.m_nScrTop + hero.m_nH / 2;
  }
  env.RedrawBackgrounds = std::move(redrawBackgrounds);
  return env;
}
