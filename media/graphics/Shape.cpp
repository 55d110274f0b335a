// Points, circles, frames, boxes and numbers from digit strips.
#include "media/graphics/Shape.h"

#include <cstdint>

void DDPutPixel(DDSURFACEDATA* lpSD, int x, int y, uint32_t dwPalNum) {
  if (!lpSD || x < 0 || y < 0 || x >= lpSD->nWidth || y >= lpSD->nHeight) return;
  DDFillRect(lpSD, x, y, 1, 1, dwPalNum);
}

void DDCircle(DDSURFACEDATA* lpSD, int cx, int cy, int r, uint32_t dwPalNum) {
  if (r < 1) return;
  int x = 0, y = r, d = 3 - 2 * r;
  while (y >= x) {
    DDPutPixel(lpSD, cx + x, cy + y, dwPalNum);
    DDPutPixel(lpSD, cx - x, cy + y, dwPalNum);
    DDPutPixel(lpSD, cx + x, cy - y, dwPalNum);
    DDPutPixel(lpSD, cx - x, cy - y, dwPalNum);
    DDPutPixel(lpSD, cx + y, cy + x, dwPalNum);
    DDPutPixel(lpSD, cx - y, cy + x, dwPalNum);
    DDPutPixel(lpSD, cx + y, cy - x, dwPalNum);
    DDPutPixel(lpSD, cx - y, cy - x, dwPalNum);
    if (d < 0) {
      d += 4 * x + 6;
    } else {
      d += 4 * (x - y) + 10;
      --y;
    }
    ++x;
  }
}

void DDFrameRect(DDSURFACEDATA* lpSD, int x, int y, int w, int h, int nThick, uint32_t dwPalNum) {
  // Inside a batch the caller opened, the four bands join it.
  const bool own = !DDIsFillBatchActive();
  if (own) DDBeginFillBatch();
  DDFillRect(lpSD, x, y, w, nThick, dwPalNum);
  DDFillRect(lpSD, x, y + h - nThick, w, nThick, dwPalNum);
  DDFillRect(lpSD, x, y, nThick, h, dwPalNum);
  DDFillRect(lpSD, x + w - nThick, y, nThick, h, dwPalNum);
  if (own) DDEndFillBatch();
}

void DDDrawBox(DDSURFACEDATA* lpDstSD, int x, int y, int w, int h, DDSURFACEDATA* lpBoxSD, int nThick,
               uint32_t dwPalNum) {
  DDBlt(lpDstSD, x, y, w, h, lpBoxSD, 0, 0, 0);
  DDFrameRect(lpDstSD, x - nThick, y - nThick, w + 2 * nThick, h + 2 * nThick, nThick, dwPalNum);
}

void DDDrawNumber(DDSURFACEDATA* lpDstSD, int x, int y, int nDigitW, int nDigitH, DDSURFACEDATA* lpDigitSD,
                  int nStripX, int nStripY, int bTransparent, int nValue, int nMinDigits, int bCentre) {
  // The digit split is for non-negative values; a negative one shows as 0.
  uint32_t v = nValue < 0 ? 0u : static_cast<uint32_t>(nValue);
  int digits[10];
  int count = 0;
  do {
    digits[count++] = static_cast<int>(v % 10);
    v /= 10;
  } while (v != 0 && count < 10);
  int offset = 0;
  if (count < nMinDigits) {
    offset = (nMinDigits - count) * nDigitW;
    if (bCentre) offset /= 2;
  }
  for (int i = 0; i < count; ++i) {
    int d = digits[count - 1 - i];
    DDBlt(lpDstSD, x + offset + i * nDigitW, y, nDigitW, nDigitH, lpDigitSD, nStripX + d * nDigitW, nStripY,
          bTransparent);
  }
}
