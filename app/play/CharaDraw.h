#pragma once
// Character drawing: the 17 draw modes of the character effects and the HP
// and SP gauges over characters.
#include <cstdint>

#include "engine/instances/EffectPlayers.h"
#include "engine/objects/CharaBase.h"
#include "media/graphics/DDCore.h"

// The current cell of a character and where it goes.
struct cCharaDrawInfo {
  DDSURFACEDATA* pSheet = nullptr;  // chip sheet of the cell
  int nSrcX = 0, nSrcY = 0;
  int nCellW = 32, nCellH = 32;
  int nBoxX = 0, nBoxY = 0, nBoxW = 32, nBoxH = 32;  // screen box
  int nScale = 1;
  int bScaled = 0;  // drawn at a size other than the cell's
  const DDBLTCOLOR* pBltColor = nullptr;  // a colour change of the character
};

struct cCharaDrawEnv {
  int bD3D = 0;
  int nBpp = 32;
  DDSURFACEDATA* pWork = nullptr;   // the scaled cell (surface entry 67)
  DDSURFACEDATA* pWork2 = nullptr;  // the rotation square (entry 68)
  const DDPALENTRY* pPalette = nullptr;
  const uint8_t* pBlendTable = nullptr;
};

// Scaled test: a pre-scaled source counts as scaled when its prepared scale
// differs from the character's.
int IsScaledCell(int scale, int preScaled, int preparedScale);

constexpr int kCharaDrawModes = 17;
using CharaEffectHandler = int (*)(cCharaEffectPlayer& fx, DDSURFACEDATA* target, const cCharaDrawInfo& info,
                                   int bFreeze, int bDraw, const cCharaDrawEnv& env);
// Indexed by the character-effect kind; each returns 1 when the effect ended.
extern const CharaEffectHandler CharaEffectTable[kCharaDrawModes];

// Draws (bDraw 1) or only advances (bDraw 0, target may be null) the
// character's cell through the mode of its active effect; an ended effect
// clears the active number. Returns the mode's end report.
int RunCharaDrawMode(cCharaEffectPlayer& fx, DDSURFACEDATA* target, const cCharaDrawInfo& info, int bFreeze,
                     int bDraw, const cCharaDrawEnv& env);

// One gauge over a character. `pieces` is surface entry 49, `low` whether
// the value counts as low. Counts the gauge's frames down.
void DrawGauge(DDSURFACEDATA* target, GaugeAnim& gauge, int which, int boxLeft, int boxTop, int boxW, int dead,
               int low, DDSURFACEDATA* pieces);
