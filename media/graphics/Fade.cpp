// Screen fades: a black overlay under Direct3D, a palette blend at 8 bits and
// a pixel blend from the FadeSD snapshot at 16 and 32 bits under DirectDraw.
#include <algorithm>
#include <cmath>
#include <numbers>

#include "base/Log.h"
#include "media/graphics/Palette.h"

namespace {

// One angle per fade and personality, in degrees; each completed fade puts
// its angle back to the start.
struct FadeAngles {
  double d3dOut = 90, d3dIn = 0, ddOut = 90, ddIn = 0;
};
FadeAngles g_angles;

double SinDeg(double a) { return std::sin(a * std::numbers::pi / 180.0); }

// Direct3D: black with alpha 255 - trunc(255 sin A) over the whole back buffer.
bool DrawOverlay(double angle) {
  DDSURFACEDATA* target = &BackBuffer;
  DDRedirectBackBuffer(&target);
  if (!lpDevice || !DDBeginScene() || !DDSetRenderTarget(0, target)) return false;
  const uint32_t alpha = 255u - static_cast<uint32_t>(static_cast<int>(255.0 * SinDeg(angle)));
  DTSTAGE& st = lpDevice->Stage();
  st.colorOp = DTOP_SELECTARG2;
  st.colorArg2 = DTTA_DIFFUSE;
  st.alphaOp = DTOP_SELECTARG2;
  st.alphaArg2 = DTTA_DIFFUSE;
  lpDevice->SetTexture(nullptr);
  lpDevice->DrawRect(0, 0, target->nWidth, target->nHeight, 0, 0, 0, 0, alpha << 24);
  return DDSetRenderTarget(0, lpDTCon->lpRestTarget) != 0;
}

// DirectDraw: the frame at angle A.
void DrawDD(double angle, DDPALENTRY* lpPal, int first, int last, int r, int g, int b, const DDPALENTRY* lpSrcPal) {
  const int k = static_cast<int>(256.0 * SinDeg(angle));
  if (DDSettings.nBpp == 8) {
    DDBlendPalette(lpPal, first, last, k, r, g, b, lpSrcPal);
    if (lpDDPalette && lpPal && first >= 0 && last <= 255 && first <= last)
      lpDDPalette->SetEntries(first, last - first + 1, lpPal + first);
  } else {
    DDFade_UnPal(&BackBuffer, k, r, g, b, &FadeSD);
  }
}

void Snapshot() {
  if (DDSettings.nBpp != 8) DDBlt(&FadeSD, 0, 0, BackBuffer.nWidth, BackBuffer.nHeight, &BackBuffer, 0, 0, 0);
}

}  // namespace

void DDResetFadeAngles() { g_angles = FadeAngles{}; }

bool DDFadeOut(DDPALENTRY* lpPal, int first, int last, int r, int g, int b, double dSpeed,
               const DDPALENTRY* lpSrcPal, int bFinish) {
  double& a = lpDTCon ? g_angles.d3dOut : g_angles.ddOut;
  if (lpDTCon) {
    // A failed frame leaves the angle as it was, so the next call repeats it.
    if (!DrawOverlay(bFinish ? 0 : a)) return false;
    if (bFinish) a = 0;
  } else {
    if (a == 90) Snapshot();
    if (bFinish) a = 0;
    DrawDD(a, lpPal, first, last, r, g, b, lpSrcPal);
  }
  if (a > 0) {
    a -= dSpeed;
    if (a < 0) a = 0;
    return false;
  }
  a = 90;
  return true;
}

bool DDFadeIn(DDPALENTRY* lpPal, int first, int last, int r, int g, int b, double dSpeed,
              const DDPALENTRY* lpSrcPal, int bFinish) {
  double& a = lpDTCon ? g_angles.d3dIn : g_angles.ddIn;
  if (lpDTCon) {
    if (!DrawOverlay(bFinish ? 90 : a)) return false;
    if (bFinish) a = 90;
  } else {
    if (a == 0) Snapshot();
    if (bFinish) a = 90;
    DrawDD(a, lpPal, first, last, r, g, b, lpSrcPal);
  }
  if (a < 90) {
    a += dSpeed;
    if (a > 90) a = 90;
    return false;
  }
  a = 0;
  return true;
}

int DDFade_UnPal(DDSURFACEDATA* lpDstSD, int nWeight, int r, int g, int b, DDSURFACEDATA* lpSrcSD) {
  if (lpDTCon) {
    // "D3DではDDFade_UnPalは未対応"
    WriteDebugLog("D3D\x82\xC5\x82\xCD" "DDFade_UnPal\x82\xCD\x96\xA2\x91\xCE\x89\x9E");
    return 1;
  }
  cSurfaceLock dst, src;
  if (!dst.Lock(lpDstSD) || !src.Lock(lpSrcSD)) return 0;
  const int bpp = dst.m_nBytesPerPixel;
  if (bpp != src.m_nBytesPerPixel || (bpp != 2 && bpp != 4)) return 1;
  const int k = std::clamp(nWeight, 0, 256);
  const uint32_t cr = uint32_t(r) & 255, cg = uint32_t(g) & 255, cb = uint32_t(b) & 255;
  auto mix = [k](uint32_t c, uint32_t s) { return static_cast<uint32_t>((int(c) * (256 - k) + k * int(s)) >> 8); };
  // Every pixel of the destination's size that the source has too.
  const cPixelSurface* dp = dst.m_lpSD->Pixels();
  const cPixelSurface* sp = src.m_lpSD->Pixels();
  const int W = std::min({dst.m_lpSD->nWidth, dst.m_nPitch, src.m_nPitch});
  const int H = std::min({dst.m_lpSD->nHeight, dp ? dp->Height() : 0, sp ? sp->Height() : 0});
  const PIXELLAYOUT& L = PixelLayout;
  for (int y = 0; y < H; ++y) {
    for (int x = 0; x < W; ++x) {
      const uint8_t* s = src.Pixel(x, y);
      uint8_t* d = dst.Pixel(x, y);
      if (bpp == 4) {
        d[2] = static_cast<uint8_t>(mix(cr, s[2]));
        d[1] = static_cast<uint8_t>(mix(cg, s[1]));
        d[0] = static_cast<uint8_t>(mix(cb, s[0]));
      } else {
        const uint32_t v = uint32_t(s[0]) | uint32_t(s[1]) << 8;
        auto wide = [v](int32_t shift, int32_t max) {
          return max > 0 ? ((v >> shift) & uint32_t(max)) * 255u / uint32_t(max) : 0u;
        };
        auto pack = [](uint32_t c, int32_t shift, int32_t max) { return (c * uint32_t(max) / 255u) << shift; };
        const uint32_t out = pack(mix(cb, wide(L.nBShift, L.nBMax)) & 0xFFFF, L.nBShift, L.nBMax) |
                             pack(mix(cg, wide(L.nGShift, L.nGMax)) & 0xFFFF, L.nGShift, L.nGMax) |
                             pack(mix(cr, wide(L.nRShift, L.nRMax)) & 0xFFFF, L.nRShift, L.nRMax);
        d[0] = static_cast<uint8_t>(out);
        d[1] = static_cast<uint8_t>(out >> 8);
      }
    }
  }
  return 1;
}
