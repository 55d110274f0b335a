// Palette numbers as pixel values, and rectangle fills.
#include <algorithm>

#include "base/Log.h"
#include "media/graphics/DDInternal.h"

bool (*DDQueueFill)(DDSURFACEDATA* lpSD, int x, int y, int w, int h, uint32_t argb) = nullptr;

uint32_t PalNumToRGB(uint32_t dwPalNum) {
  if (dwPalNum > 255) {
    WriteDebugLog("PalNumToRGB(DWORD dwPalNum) Err dwPalNum = %d", static_cast<int>(dwPalNum));
    return 0;
  }
  const DDPALENTRY& e = PalTable[dwPalNum];
  const uint32_t rgb = uint32_t(e.peRed) << 16 | uint32_t(e.peGreen) << 8 | e.peBlue;
  if (lpDTCon) {
    if (DDSettings.nBpp != 16 && DDSettings.nBpp != 32) return 0;
    return dwPalNum == 0 ? lpDTCon->argbTransparent : 0xFF000000u | rgb;
  }
  switch (DDSettings.nBpp) {
    case 8: return dwPalNum;
    case 16: return PackPalEntry16(e);
    case 24:
    case 32: return rgb;
    default: return 0;
  }
}

namespace {
// DirectDraw: the fill rectangle cut to the surface, then a colour-fill blit.
int FillDD(DDSURFACEDATA* lpSD, int x, int y, int w, int h, uint32_t value) {
  if (!lpSD || !lpSD->lpDD || !lpSD->lpDD->lpSurface) return DDERR_INVALIDPARAMS;
  // Both edges are cut, so a fill that sticks out on both sides still
  // fills what lies inside.
  DDRECT r{x, y, x + w, y + h};
  if (r.left < 0) r.left = 0;
  if (r.right > lpSD->nWidth) r.right = lpSD->nWidth;
  if (r.top < 0) r.top = 0;
  if (r.bottom > lpSD->nHeight) r.bottom = lpSD->nHeight;
  if (r.left >= r.right || r.top >= r.bottom) return DD_OK;
  return lpSD->lpDD->lpSurface->Blt(&r, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, value);
}
}  // namespace

int DDFillRect(DDSURFACEDATA* lpSD, int x, int y, int w, int h, uint32_t dwPalNum) {
  if (lpDTCon) return DDFillRectARGB(lpSD, x, y, w, h, PalNumToRGB(dwPalNum));
  return FillDD(lpSD, x, y, w, h, PalNumToRGB(dwPalNum));
}

void DDFillSurface(DDSURFACEDATA* lpSD, uint32_t dwPalNum) {
  if (lpSD) DDFillRect(lpSD, 0, 0, lpSD->nWidth, lpSD->nHeight, dwPalNum);
}

int DDFillRectARGB(DDSURFACEDATA* lpSD, int x, int y, int w, int h, uint32_t dwColor) {
  if (!lpDTCon) return FillDD(lpSD, x, y, w, h, dwColor);
  DDResolveAlias(&lpSD);
  DDRedirectBackBuffer(&lpSD);
  if (!lpSD || !lpSD->lpDT || !lpDevice) return 0;
  const int l = std::max(x, 0), t = std::max(y, 0);
  const int r = std::min(x + w, lpSD->nWidth), b = std::min(y + h, lpSD->nHeight);
  if (lpSD->lpDT->bRenderTarget) {
    if (l >= r || t >= b) return 0;
    DDRECT rect{l, t, r, b};
    uint32_t transparent = lpSD == &BackBuffer ? lpDTCon->argbTransmit : lpDTCon->argbTransparent;
    if (lpSD->lpDT->bTransparent && (DDSettings.nBpp == 16 || DDSettings.nBpp == 32) && dwColor == transparent) {
      if (!DDBeginScene() || !DDSetRenderTarget(0, lpSD)) return 0;
      lpDevice->Clear(&rect, dwColor);
      DDSetRenderTarget(0, lpDTCon->lpRestTarget);
      return 1;
    }
    if (DDQueueFill && DDQueueFill(lpSD, l, t, r - l, b - t, dwColor)) return 1;
    if (!DDBeginScene() || !DDSetRenderTarget(0, lpSD)) return 0;
    lpDevice->SetTextureFactor(dwColor);
    DTSTAGE& st = lpDevice->Stage();
    st.colorOp = DTOP_SELECTARG2;
    st.colorArg2 = DTTA_TFACTOR;
    st.alphaOp = DTOP_SELECTARG2;
    st.alphaArg2 = DTTA_TFACTOR;
    lpDevice->DrawRect(l, t, r - l, b - t, 0, 0, 0, 0, dwColor);
    DDSetRenderTarget(0, lpDTCon->lpRestTarget);
    return 1;
  }
  cSurfaceLock lock;
  if (!lock.Lock(lpSD)) return 0;
  const int W = std::min(lock.m_lpSD->nWidth, lock.m_nPitch);
  const int H = std::min(lock.m_lpSD->nHeight, lock.m_lpSD->Pixels() ? lock.m_lpSD->Pixels()->Height() : 0);
  uint32_t value = dwColor;
  if (lock.m_nBytesPerPixel == 2) {
    const PIXELLAYOUT& L = PixelLayout;
    uint32_t a = dwColor >> 24, rr = (dwColor >> 16) & 255, g = (dwColor >> 8) & 255, bb = dwColor & 255;
    value = (bb * uint32_t(L.nBMax) / 255) << L.nBShift | (g * uint32_t(L.nGMax) / 255) << L.nGShift |
            (rr * uint32_t(L.nRMax) / 255) << L.nRShift | (a * uint32_t(L.nAMax) / 255) << L.nAShift;
  }
  for (int yy = std::max(y, 0); yy < std::min(y + h, H); ++yy)
    for (int xx = std::max(x, 0); xx < std::min(x + w, W); ++xx) {
      uint8_t* p = lock.Pixel(xx, yy);
      for (int k = 0; k < lock.m_nBytesPerPixel; ++k) p[k] = static_cast<uint8_t>(value >> (8 * k));
    }
  return 1;
}

void DDFillSurfaceARGB(DDSURFACEDATA* lpSD, uint32_t dwColor) {
  if (lpSD) DDFillRectARGB(lpSD, 0, 0, lpSD->nWidth, lpSD->nHeight, dwColor);
}
