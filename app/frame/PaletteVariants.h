#pragma once
// Palette variants of an 8-bit screen and the highlight colours that every
// scene advances once per frame.
#include <cstdint>
#include <string>

#include "media/graphics/DDDevice.h"

struct cBlinkColor {
  uint32_t dwColor = 0;  // ARGB
  int32_t nColorOp = 0;  // texture-stage colour operation
};
// Entry n tints a character whose highlight number is n; entry 0 is unused.
extern cBlinkColor BlinkColors[10];

// Moves value by step between low and high without storing either bound;
// 1 when a falling run has just turned at the bottom.
int BounceStep(int32_t& value, int32_t& direction, int step, int low, int high);

// "bmp\hbt\hbtNN.dat" for variant n.
std::string HbtFileName(int n);
// Rebuilds entries 16..207 of a loaded palette as variant n (0..23): below 12
// a rotation by 16 n places, from 12 on twelve copies of one 16-entry block.
void BuildPaletteVariant(DDPALENTRY* pal, int n);
// Loads the blend table and palette of variant n on an 8-bit DirectDraw
// screen; 1 on success or when there is nothing to do, 0 after an error box.
int LoadHbtPalette(int n);

// One frame of the highlight colours: palette cycling on an 8-bit
// DirectDraw screen, the pulsing tints under Direct3D.
void CycleBlinkColors();
// The pulse channels and counters back to their start (a new program).
void ResetBlinkColors();
