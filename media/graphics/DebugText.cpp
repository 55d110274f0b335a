// Text from a 16x16-cell bitmap font.
#include <cstdarg>
#include <cstdio>

#include "media/graphics/Shape.h"

void DDDebugText(DDSURFACEDATA* lpDstSD, int x, int y, int nCharW, int nCharH, DDSURFACEDATA* lpFontSD,
                 const char* text) {
  if (!text) return;
  const bool own = lpDTCon && !DDIsSpriteBatchActive();
  if (own) DDBeginSpriteBatch(0);
  const int width = DDSettings.nWidth > 0 ? DDSettings.nWidth : 640;
  int cx = x, cy = y;
  for (const char* p = text; *p; ++p) {
    const int c = static_cast<signed char>(*p);
    if (c == 10) {
      cx = x;
      cy += nCharH;
      continue;
    }
    const int b = c & 0xFF;
    const int column = c & 15;
    int row = (c >> 4) & 15;
    // Half-width katakana sit in the font's rows 0-1 and 8-9.
    if (b >= 0xA6 && b <= 0xBF) row -= 10;
    else if (b >= 0xC0 && b <= 0xDD) row -= 4;
    DDBlt(lpDstSD, cx, cy, nCharW, nCharH, lpFontSD, column * nCharW, row * nCharH, 1);
    cx += nCharW;
    if (cx >= width) {
      cx = x;
      cy += nCharH;
    }
  }
  if (own) DDEndSpriteBatch();
}

void DDDebugPrintf(DDSURFACEDATA* lpDstSD, int x, int y, int nCharW, int nCharH, DDSURFACEDATA* lpFontSD,
                   const char* format, ...) {
  char buf[256];
  va_list args;
  va_start(args, format);
  std::vsnprintf(buf, sizeof buf, format, args);
  va_end(args);
  DDDebugText(lpDstSD, x, y, nCharW, nCharH, lpFontSD, buf);
}
