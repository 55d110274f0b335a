#pragma once
// Next to the rectangle fills of the library: the Direct3D fill batch,
// points, circle outlines, frames and boxes, numbers from a digit strip and
// debug text from a 16x16 bitmap font.
#include <cstdint>

#include "media/graphics/DDCore.h"

// Direct3D: while a fill batch is active, render-target fills are queued and
// drawn together by DDEndFillBatch. No-ops under DirectDraw.
void DDBeginFillBatch();
void DDEndFillBatch();
bool DDIsFillBatchActive();

void DDPutPixel(DDSURFACEDATA* lpSD, int x, int y, uint32_t dwPalNum);
void DDCircle(DDSURFACEDATA* lpSD, int cx, int cy, int r, uint32_t dwPalNum);
// A frame of thickness nThick inside the rectangle.
void DDFrameRect(DDSURFACEDATA* lpSD, int x, int y, int w, int h, int nThick, uint32_t dwPalNum);
// The box picture's top-left w x h at (x, y), with a frame around it.
void DDDrawBox(DDSURFACEDATA* lpDstSD, int x, int y, int w, int h, DDSURFACEDATA* lpBoxSD, int nThick,
               uint32_t dwPalNum);

// Draws nValue (negative values as 0) from a strip of ten digit cells, at
// least nMinDigits wide: the digits are right-aligned in that width, or
// centred with bCentre. No leading zeros.
void DDDrawNumber(DDSURFACEDATA* lpDstSD, int x, int y, int nDigitW, int nDigitH, DDSURFACEDATA* lpDigitSD,
                  int nStripX, int nStripY, int bTransparent, int nValue, int nMinDigits, int bCentre);

// Text from a 16x16-cell bitmap font (byte b at column b & 15, row b >> 4;
// half-width katakana in the rows the control characters leave free).
void DDDebugText(DDSURFACEDATA* lpDstSD, int x, int y, int nCharW, int nCharH, DDSURFACEDATA* lpFontSD,
                 const char* text);
void DDDebugPrintf(DDSURFACEDATA* lpDstSD, int x, int y, int nCharW, int nCharH, DDSURFACEDATA* lpFontSD,
                   const char* format, ...) __attribute__((format(printf, 7, 8)));
