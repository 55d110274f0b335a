// Raster effects: pieces of a picture drawn at displaced places, by blits
// collected in one sprite batch, and the rotation (a quad under Direct3D, a
// fixed-point pixel walk otherwise).
#include "base/Log.h"
#include "media/graphics/Effect.h"
#include "media/graphics/EffectSurface.h"

void DDWave(DDSURFACEDATA* lpDstSD, int x, int y, int w, int h, int nWaves, double dAmplitude, int nPhase, int nBand,
            DDSURFACEDATA* lpSrcSD, int sx, int sy, int bTransparent, int bVertical) {
  if (nBand <= 0) return;
  DDBeginSpriteBatch(0);
  ForEachWaveBlit(x, y, w, h, nWaves, dAmplitude, nPhase, nBand, sx, sy, bVertical != 0, [&](const RasterBlt& b) {
    DDBlt(lpDstSD, b.x, b.y, b.w, b.h, lpSrcSD, b.sx, b.sy, bTransparent);
  });
  DDEndSpriteBatch();
}

int DDSplit(DDSURFACEDATA* lpDstSD, int x, int y, int w, int h, int nBand, int nShift, DDSURFACEDATA* lpSrcSD, int sx,
            int sy, int bTransparent, int bVertical) {
  if (nBand == 0) return DDBlt(lpDstSD, x, y, w, h, lpSrcSD, sx, sy, bTransparent);
  DDBeginSpriteBatch(0);
  ForEachSplitBlit(x, y, w, h, nBand, nShift, sx, sy, bVertical != 0, [&](const RasterBlt& b) {
    DDBlt(lpDstSD, b.x, b.y, b.w, b.h, lpSrcSD, b.sx, b.sy, bTransparent);
  });
  DDEndSpriteBatch();
  return 1;
}

void DDBurst(DDSURFACEDATA* lpDstSD, int x, int y, int w, int h, DDSURFACEDATA* lpSrcSD, int sx, int sy, int nDistance,
             int bTransparent) {
  DDBeginSpriteBatch(0);
  ForEachBurstBlit(x, y, w, h, sx, sy, nDistance, [&](const RasterBlt& b) {
    DDBlt(lpDstSD, b.x, b.y, b.w, b.h, lpSrcSD, b.sx, b.sy, bTransparent);
  });
  DDEndSpriteBatch();
}

int DDTurn(DDSURFACEDATA* lpDstSD, int x, int y, int w, int h, DDSURFACEDATA* lpFrontSD, int fsx, int fsy,
           DDSURFACEDATA* lpBackSD, int bsx, int bsy, int sw, int sh, int bTransparent, int nPhase, int nDirection) {
  if (nDirection != 0 && nDirection != 1) return nDirection - 1;
  const TurnStep t = TurnOffset(nPhase, nDirection == 0 ? w : h);
  // A picture thinner than 2 pixels cannot turn: nothing is drawn.
  if (!t.valid) return 0;
  DDSURFACEDATA* src = t.back ? lpBackSD : lpFrontSD;
  const int sx = t.back ? bsx : fsx, sy = t.back ? bsy : fsy;
  if (nDirection == 0)
    return DDBltStretch(lpDstSD, x + t.offset, y, w - 2 * t.offset, h, src, sx, sy, sw, sh, bTransparent);
  return DDBltStretch(lpDstSD, x, y + t.offset, w, h - 2 * t.offset, src, sx, sy, sw, sh, bTransparent);
}

int DDBltCircle(DDSURFACEDATA* lpDstSD, int cx, int cy, int hw, int hh, int r, int nStep, DDSURFACEDATA* lpSrcSD,
                int scx, int scy, int bTransparent) {
  if (r <= 0 || nStep <= 0) return 0;
  if (lpDTCon) {
    DDResolveAlias(&lpDstSD);
    DDResolveAlias(&lpSrcSD);
  }
  const int srcWidth = lpSrcSD ? lpSrcSD->nWidth : 0;
  DDBeginSpriteBatch(0);
  ForEachCircleStrip(cx, cy, hw, hh, r, nStep, scx, scy, srcWidth, [&](const RasterBlt& b) {
    if (lpDTCon)
      DDBltStretch(lpDstSD, b.x, b.y, b.w, b.h, lpSrcSD, b.sx, b.sy, b.w, b.h, bTransparent);
    else
      DDBlt(lpDstSD, b.x, b.y, b.w, b.h, lpSrcSD, b.sx, b.sy, bTransparent);
  });
  DDEndSpriteBatch();
  return 1;
}

namespace {
bool RotateByPixels(DDSURFACEDATA* lpDstSD, int cx, int cy, int w, int h, int px, int py, int nAngle,
                    DDSURFACEDATA* lpSrcSD, int sx, int sy, int bTransparent) {
  cEffectLocks locks;
  if (!locks.Lock(lpDstSD, lpSrcSD)) return false;
  if (locks.dst.m_nBytesPerPixel != locks.src.m_nBytesPerPixel) return true;
  const PixelRules rules = EffectRules(locks.dst);
  // Direct3D has no 8-bit textures.
  if (rules.bD3D && rules.nBpp == 8) return true;
  RotatePixels(EffectView(locks.dst), cx, cy, w, h, px, py, nAngle, EffectView(locks.src), sx, sy, bTransparent,
               rules);
  return true;
}
}  // namespace

bool DDRotate(DDSURFACEDATA* lpDstSD, int cx, int cy, int w, int h, int px, int py, int nAngle, DDSURFACEDATA* lpSrcSD,
              int sx, int sy, int bTransparent) {
  if (!lpDTCon) return RotateByPixels(lpDstSD, cx, cy, w, h, px, py, nAngle, lpSrcSD, sx, sy, bTransparent);
  if (!lpDstSD || !lpSrcSD) return true;
  int asx = sx, asy = sy, aw = w, ah = h;
  DDAdjustMirror(lpSrcSD, &asx, &asy, &aw, &ah);
  EffectResolve(&lpDstSD, &lpSrcSD);
  if (EffectQuadPath(lpDstSD, lpSrcSD) && lpSrcSD->lpDT->lpTexture) {
    const QuadPositions q = RotateQuadPositions(cx, cy, w, h, px, py, nAngle);
    const float tw = static_cast<float>(lpSrcSD->nTexWidth > 0 ? lpSrcSD->nTexWidth : 1);
    const float th = static_cast<float>(lpSrcSD->nTexHeight > 0 ? lpSrcSD->nTexHeight : 1);
    const float u0 = static_cast<float>(asx) / tw, u1 = static_cast<float>(asx + aw) / tw;
    const float v0 = static_cast<float>(asy) / th, v1 = static_cast<float>(asy + ah) / th;
    const float us[4] = {u0, u0, u1, u1}, vs[4] = {v0, v1, v0, v1};
    DTVERTEX v[4];
    for (int i = 0; i < 4; ++i) v[i] = {q.x[i], q.y[i], 0.0f, 1.0f, lpDTCon->dwBltColor, us[i], vs[i]};
    DTSTAGE stage;
    stage.colorOp = lpDTCon->dwBltColorOp;
    stage.colorArg1 = DTTA_TEXTURE;
    stage.colorArg2 = DTTA_DIFFUSE;
    stage.alphaOp = lpDTCon->dwBltAlphaOp;
    stage.alphaArg1 = DTTA_TEXTURE;
    stage.alphaArg2 = DTTA_DIFFUSE;
    EffectDrawQuad(lpDstSD, lpSrcSD, v, stage);
    return true;
  }
  return RotateByPixels(lpDstSD, cx, cy, w, h, px, py, nAngle, lpSrcSD, sx, sy, bTransparent);
}
