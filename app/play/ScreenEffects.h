#pragma once
// The screen-effect handlers: each transforms the picture drawn so far into
// the back buffer and advances the running screen effect by one frame.
#include <cstdint>
#include <functional>

#include "engine/instances/EffectPlayers.h"
#include "media/graphics/DDCore.h"

struct cScrEffectEnv {
  DDSURFACEDATA* pBack = nullptr;     // the picture being composed
  DDSURFACEDATA* pWork = nullptr;     // a copy of the frame (surface entry 67)
  DDSURFACEDATA* pWork2 = nullptr;    // the second work surface (entry 68)
  DDSURFACEDATA* pStretch = nullptr;  // the stretch work surface of the zoom
  int nHeroCX = 320, nHeroCY = 240;   // the hero's box centre on screen
  int bD3D = 0;                       // the Direct3D personality is drawing
  int nBpp = 32;
  std::function<void()> RedrawBackgrounds;  // both background passes (blink)
};

constexpr int kScrEffectKinds = 14;
using ScrEffectHandler = int (*)(cScrEffectPlayer& fx, const cScrEffectEnv& env, int bFreeze);
// Indexed by the screen-effect kind; each returns 1 when the effect has ended.
extern const ScrEffectHandler ScrEffectTable[kScrEffectKinds];

// Runs the active screen effect once (nothing when none is active). When it
// ends, the effect number is cleared and drawing returns to the real back
// buffer.
void RunScreenEffect(cScrEffectPlayer& fx, const cScrEffectEnv& env, int bFreeze);

// The environment of the running program: the back buffer, surface entries
// 67 and 68, the zoom's stretch surface and the hero's screen box.
cScrEffectEnv ProgramScrEffectEnv(std::function<void()> redrawBackgrounds);
