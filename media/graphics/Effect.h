#pragma once
// Effect kernels of the graphics library: raster effects built from blits
// (wave, split, burst, turn, circle) and the rotation, the locked-pixel
// effects (blur, mosaic, lens) and the colour blending kernels (colour scale,
// blend, half, tint) with the 8-bit blend table. Every kernel runs on the
// thread that draws the frame; callers ignore the results.
#include <cstdint>
#include <string>

#include "media/graphics/DDCore.h"

// 256 x 256 palette indexes: entry a * 256 + b stands for the half-way mix of
// colours a and b. Used only by the DirectDraw personality at 8 bits per pixel;
// written only while the application loads a palette.
extern uint8_t BlendTable[65536];

// ----------------------------------------------------------- raster effects

void DDWave(DDSURFACEDATA* lpDstSD, int x, int y, int w, int h, int nWaves, double dAmplitude, int nPhase, int nBand,
            DDSURFACEDATA* lpSrcSD, int sx, int sy, int bTransparent, int bVertical);
int DDSplit(DDSURFACEDATA* lpDstSD, int x, int y, int w, int h, int nBand, int nShift, DDSURFACEDATA* lpSrcSD, int sx,
            int sy, int bTransparent, int bVertical);
void DDBurst(DDSURFACEDATA* lpDstSD, int x, int y, int w, int h, DDSURFACEDATA* lpSrcSD, int sx, int sy, int nDistance,
             int bTransparent);
int DDTurn(DDSURFACEDATA* lpDstSD, int x, int y, int w, int h, DDSURFACEDATA* lpFrontSD, int fsx, int fsy,
           DDSURFACEDATA* lpBackSD, int bsx, int bsy, int sw, int sh, int bTransparent, int nPhase, int nDirection);
int DDBltCircle(DDSURFACEDATA* lpDstSD, int cx, int cy, int hw, int hh, int r, int nStep, DDSURFACEDATA* lpSrcSD,
                int scx, int scy, int bTransparent);
bool DDRotate(DDSURFACEDATA* lpDstSD, int cx, int cy, int w, int h, int px, int py, int nAngle, DDSURFACEDATA* lpSrcSD,
              int sx, int sy, int bTransparent);

// ------------------------------------------------------ locked-pixel effects

bool DDBlur(DDSURFACEDATA* lpDstSD, int x, int y, int w, int h, int rx, int ry, DDSURFACEDATA* lpSrcSD, int sx, int sy,
            int bTransparent);
bool DDMosaic(DDSURFACEDATA* lpDstSD, int x, int y, int w, int h, int n, DDSURFACEDATA* lpSrcSD, int sx, int sy,
              int bTransparent);
bool DDLens(DDSURFACEDATA* lpDstSD, int cx, int cy, int R, int d, DDSURFACEDATA* lpSrcSD, int scx, int scy,
            int bTransparent, int bClear);

// --------------------------------------------------------- colour blending

// Loads the 65,536-byte blend table (DirectDraw only; Direct3D answers true
// at once). A missing or short file leaves the table unchanged and gives false.
bool DDLoadBlendTable(uint8_t* lpTable, const std::string& path);
bool DDColorScale(DDSURFACEDATA* lpDstSD, int x, int y, int w, int h, DDSURFACEDATA* lpSrcSD, int sx, int sy,
                  int bTransparent, const DDPALENTRY* lpPalette, const uint8_t* lpTable, int nTarget, int n);
bool DDBltBlend(DDSURFACEDATA* lpDstSD, int x, int y, int w, int h, DDSURFACEDATA* lpSrcSD, int sx, int sy,
                int bTransparent, const uint8_t* lpTable, int nWeight);
bool DDBltHalf(DDSURFACEDATA* lpDstSD, int x, int y, int w, int h, DDSURFACEDATA* lpSrcSD, int sx, int sy,
               int bTransparent, const uint8_t* lpTable);
int DDChangeColor(DDSURFACEDATA* lpDstSD, int x, int y, int nWidth, int nHeight, int nAlpha, uint8_t bRed,
                  uint8_t bGreen, uint8_t bBlue);
int DDChangeColorEx(DDSURFACEDATA* lpDstSD, int x, int y, int w, int h, DDSURFACEDATA* lpSrcSD, int nAlpha,
                    uint8_t bRed, uint8_t bGreen, uint8_t bBlue);
