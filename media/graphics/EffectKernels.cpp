// The locked-pixel effects: box blur, mosaic and the spherical lens.
#include "base/Log.h"
#include "media/graphics/Effect.h"
#include "media/graphics/EffectSurface.h"

bool DDBlur(DDSURFACEDATA* lpDstSD, int x, int y, int w, int h, int rx, int ry, DDSURFACEDATA* lpSrcSD, int sx, int sy,
            int bTransparent) {
  if (rx == 0 || ry == 0) return true;
  EffectResolve(&lpDstSD, &lpSrcSD);
  cEffectLocks locks;
  if (!locks.Lock(lpDstSD, lpSrcSD)) return false;
  const PixelRules rules = EffectRules(locks.dst);
  if (rules.nBpp == 8) {
    WriteDebugLog("8\x83r\x83" "b\x83g\x82\xDA\x82\xA9\x82\xB5\x82\xCD\x95s\x89\xC2\x94\\\x81I");  // "8ビットぼかしは不可能！"
    return true;
  }
  if (locks.dst.m_nBytesPerPixel != locks.src.m_nBytesPerPixel) return true;
  BlurPixels(EffectView(locks.dst), x, y, w, h, rx, ry, EffectView(locks.src), sx, sy, bTransparent, rules);
  return true;
}

bool DDMosaic(DDSURFACEDATA* lpDstSD, int x, int y, int w, int h, int n, DDSURFACEDATA* lpSrcSD, int sx, int sy,
              int bTransparent) {
  // A cell size of 0 or less draws nothing (a negative one would never end).
  if (n <= 0) return true;
  EffectResolve(&lpDstSD, &lpSrcSD);
  cEffectLocks locks;
  if (!locks.Lock(lpDstSD, lpSrcSD)) return false;
  if (locks.dst.m_nBytesPerPixel != locks.src.m_nBytesPerPixel) return true;
  MosaicPixels(EffectView(locks.dst), x, y, w, h, n, EffectView(locks.src), sx, sy, bTransparent,
               EffectRules(locks.dst));
  return true;
}

bool DDLens(DDSURFACEDATA* lpDstSD, int cx, int cy, int R, int d, DDSURFACEDATA* lpSrcSD, int scx, int scy,
            int bTransparent, int bClear) {
  const LensSetup setup = LensPrepare(R, d);
  if (!setup.ok) return false;
  EffectResolve(&lpDstSD, &lpSrcSD);
  cEffectLocks locks;
  if (!locks.Lock(lpDstSD, lpSrcSD)) return false;
  if (locks.dst.m_nBytesPerPixel != locks.src.m_nBytesPerPixel) return true;
  LensPixels(EffectView(locks.dst), cx, cy, R, d, setup.S, EffectView(locks.src), scx, scy, bTransparent, bClear,
             EffectRules(locks.dst));
  return true;
}
