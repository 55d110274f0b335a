#include "app/frame/PaletteVariants.h"

#include <algorithm>
#include <cstdio>

#include "app/frame/AppTexts.h"
#include "base/Log.h"
#include "data/System.h"
#include "engine/Services.h"
#include "media/graphics/DDCore.h"
#include "media/graphics/Effect.h"
#include "media/graphics/Palette.h"

cBlinkColor BlinkColors[10];

namespace {

constexpr int kVariantFirst = 16, kVariantCount = 192;
constexpr int kCycleFirst = 208, kCycleGroups = 8;
constexpr int32_t kOpAdd = 7, kOpSubtract = 10;

int32_t PulseValue[9], PulseDir[9];
int32_t PulsePhase = 0;
int32_t CycleFrames = 0;

uint32_t Argb(uint32_t r, uint32_t g, uint32_t b) { return 0xFF000000u | (r & 255) << 16 | (g & 255) << 8 | (b & 255); }

}  // namespace

int BounceStep(int32_t& value, int32_t& direction, int step, int low, int high) {
  const int32_t before = value;
  if (direction == 0) {
    value += step;
    if (value >= high) {
      value = before;
      direction = 1;
    }
    return 0;
  }
  value -= step;
  if (value <= low) {
    value = before;
    direction = 0;
    return 1;
  }
  return 0;
}

std::string HbtFileName(int n) {
  char digits[16];
  std::snprintf(digits, sizeof digits, "%02d", n);
  return std::string("bmp\\hbt\\hbt") + digits + ".dat";
}

void BuildPaletteVariant(DDPALENTRY* pal, int n) {
  if (n <= 0 || n > 23) return;
  DDPALENTRY old[kVariantCount];
  std::copy(pal + kVariantFirst, pal + kVariantFirst + kVariantCount, old);
  if (n < 12) {
    for (int k = 0; k < kVariantCount; ++k) pal[kVariantFirst + k] = old[(k + 16 * n) % kVariantCount];
  } else {
    const int from = 16 * (n - 11) - kVariantFirst;  // index into old
    for (int k = 0; k < kVariantCount; ++k) pal[kVariantFirst + k] = old[from + k % 16];
  }
}

int LoadHbtPalette(int n) {
  if (lpDTCon != nullptr || DDSettings.nBpp != 8) return 1;
  const std::string file = HbtFileName(n);
  if (!DDLoadBlendTable(BlendTable, file)) {
    ErrorReporter().ErrorBox(file + apptext::kTableLoadFailed, apptext::kErrorCaption);
    return 0;
  }
  std::string palette = "bmp\\plt\\Palette.bmp";
  if (DDSettings.lpBitmapTable && DDSettings.nSurfaceCount > 0) palette = DDSettings.lpBitmapTable[0].strFile;
  if (!DDLoadPaletteFromFile(PalTable, palette, DDSettings.bWindowed)) {
    WriteDebugLog("%s", apptext::kPaletteFailed);
    return 0;
  }
  BuildPaletteVariant(PalTable, n);
  std::copy(PalTable, PalTable + 256, PalWork);
  if (lpDDPalette) lpDDPalette->SetEntries(0, 255, PalWork);
  return 1;
}

void CycleBlinkColors() {
  if (lpDTCon == nullptr) {
    if (!SystemData.m_PaletteCycling || DDSettings.nBpp != 8) return;
    if (++CycleFrames < 6) return;
    CycleFrames = 0;
    for (int g = 0; g < kCycleGroups; ++g) {
      DDPALENTRY* e = PalWork + kCycleFirst + 4 * g;
      const DDPALENTRY first = e[0];
      e[0] = e[1];
      e[1] = e[2];
      e[2] = e[3];
      e[3] = first;
    }
    if (lpDDPalette) lpDDPalette->SetEntries(kCycleFirst, 4 * kCycleGroups, PalWork + kCycleFirst);
    return;
  }
  const int step = SystemData.m_BlinkStep;
  uint32_t c[9];
  const int32_t phase = PulsePhase;
  for (int i = 0; i < 9; ++i) {
    c[i] = static_cast<uint32_t>(PulseValue[i]);
    const int turned = BounceStep(PulseValue[i], PulseDir[i], step, 0, 255);
    if (i == 8 && turned) PulsePhase = PulsePhase >= 3 ? 0 : PulsePhase + 1;
  }
  BlinkColors[1] = {Argb(c[0], c[0], c[0]), kOpAdd};
  BlinkColors[2] = {Argb(c[1], c[1], c[1]), kOpSubtract};
  BlinkColors[3] = {Argb(c[2], 0, 0), kOpAdd};
  BlinkColors[4] = {Argb(0, c[3], 0), kOpAdd};
  BlinkColors[5] = {Argb(0, 0, c[4]), kOpAdd};
  BlinkColors[6] = {Argb(c[5], c[5], 0), kOpAdd};
  BlinkColors[7] = {Argb(c[6], 0, c[6] >> 2), kOpAdd};
  BlinkColors[8] = {Argb(c[7] >> 2, 0, c[7]), kOpAdd};
  static constexpr uint32_t kPhaseMask[4][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {1, 1, 0}};
  const uint32_t* m = kPhaseMask[phase & 3];
  BlinkColors[9] = {Argb(c[8] * m[0], c[8] * m[1], c[8] * m[2]), kOpAdd};
}

void ResetBlinkColors() {
  std::fill(PulseValue, PulseValue + 9, 0);
  std::fill(PulseDir, PulseDir + 9, 0);
  PulsePhase = 0;
  CycleFrames = 0;
  for (auto& b : BlinkColors) b = {};
}
