#pragma once
// The palette (PalTable, and its working copy PalWork that fades and colour
// cycling change), the transparent colour, and the screen fades.
//
// Palette entries hold, by personality and depth: Direct3D 0-255 with flags
// 255 (or the pixel's alpha at 32 bpp); DirectDraw 8 bpp 0-255 with flags 1
// for the entries 10-245 and 2 for the others; DirectDraw 16 bpp the pixel's
// channel fields as they are (0-31, green 0-63 on a 6-bit green screen);
// DirectDraw 32 bpp 0-255 with the pixel's fourth byte.
#include <cstdint>
#include <string>

#include "media/graphics/DDCore.h"

// Loads the palette from the palette bitmap (its colour table, or the 16x16
// block of pixels at row 8). False when the file cannot be read.
bool DDLoadPaletteFromFile(DDPALENTRY* lpPalette, const std::string& file, int reserved);
// Takes entries from the 16x16 block of a surface's pixels that starts at row 8.
int DDSetPalette_UnPal(DDPALENTRY* lpPalette, DDSURFACEDATA* lpSD);

// The transparent colour from a bitmap's first pixel, or from an 8-bit RGB colour.
int DDSetTransmit(const std::string& file);
void DDSetTransmit(uint8_t cbRed, uint8_t cbGreen, uint8_t cbBlue);

// Entries first..last of the source mixed towards (r, g, b): weight 256 keeps
// the source, 0 gives the colour.
void DDBlendPalette(DDPALENTRY* lpDstPal, int first, int last, int nWeight, int r, int g, int b,
                    const DDPALENTRY* lpSrcPal);
// The source with entries first..last rotated by n places: direction 0 up
// (the last n wrap to the front), 1 down; other directions copy only.
void DDRotatePalette(DDPALENTRY* lpDstPal, int first, int last, int n, int nDirection, const DDPALENTRY* lpSrcPal);

// One frame of a screen fade; true on the frame that has reached the end.
// bFinish jumps to the end at once.
bool DDFadeOut(DDPALENTRY* lpPal, int first, int last, int r, int g, int b, double dSpeed,
               const DDPALENTRY* lpSrcPal, int bFinish);
bool DDFadeIn(DDPALENTRY* lpPal, int first, int last, int r, int g, int b, double dSpeed,
              const DDPALENTRY* lpSrcPal, int bFinish);
// DirectDraw pixel fade: every pixel of the destination = the source's pixel
// mixed towards (r, g, b) with weight nWeight of 256.
int DDFade_UnPal(DDSURFACEDATA* lpDstSD, int nWeight, int r, int g, int b, DDSURFACEDATA* lpSrcSD);
// The fades' angles back to their start values (a fresh library).
void DDResetFadeAngles();

// A 16-bit DirectDraw palette entry as a pixel (the entry holds field values).
uint16_t DDPalToRGB16(const DDPALENTRY* lpEntry);
