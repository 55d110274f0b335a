#include "media/graphics/EffectSurface.h"

#include <algorithm>

void EffectResolve(DDSURFACEDATA** lplpDstSD, DDSURFACEDATA** lplpSrcSD) {
  if (!lpDTCon) return;
  DDResolveAlias(lplpDstSD);
  DDResolveAlias(lplpSrcSD);
  DDRedirectBackBuffer(lplpDstSD);
  DDRedirectBackBuffer(lplpSrcSD);
}

PixelView EffectView(const cSurfaceLock& lock) {
  PixelView v;
  if (!lock.m_lpSD || !lock.m_lpBits) return v;
  v.bits = lock.m_lpBits;
  v.pitch = lock.m_nPitch;
  v.bytesPerPixel = lock.m_nBytesPerPixel;
  v.width = std::max(0, std::min(lock.m_lpSD->nWidth, lock.m_nPitch));
  const cPixelSurface* px = lock.m_lpSD->Pixels();
  v.height = std::max(0, px ? std::min(lock.m_lpSD->nHeight, px->Height()) : 0);
  return v;
}

PixelRules EffectRules(const cSurfaceLock& dst) {
  PixelRules r;
  r.bD3D = lpDTCon != nullptr;
  r.nBpp = dst.m_nBpp;
  r.layout = PixelLayout;
  r.backLayout = BackBufferLayout;
  r.transmit = dwTransmitPixel;
  r.fullScreenBack = DDIsFullScreenBack(dst.m_lpSD) != 0;
  return r;
}

bool EffectQuadPath(const DDSURFACEDATA* lpDstSD, const DDSURFACEDATA* lpSrcSD) {
  return lpDstSD && lpSrcSD && lpDstSD->lpDT && lpSrcSD->lpDT && lpDstSD->lpDT->bRenderTarget &&
         lpSrcSD->lpDT->nMemoryType != DTMEMORYTYPE_SYSTEM;
}

bool EffectDrawQuad(DDSURFACEDATA* lpDstSD, DDSURFACEDATA* lpSrcSD, const DTVERTEX v[4], const DTSTAGE& stage,
                    bool* restored) {
  if (restored) *restored = false;
  if (!lpDevice || !lpDTCon) return false;
  if (!DDBeginScene()) return false;
  if (!DDSetRenderTarget(0, lpDstSD)) return false;
  lpDevice->Stage() = stage;
  lpDevice->SetTexture(lpSrcSD && lpSrcSD->lpDT ? lpSrcSD->lpDT->lpTexture : nullptr);
  lpDevice->DrawQuad(v);
  const bool ok = DDSetRenderTarget(0, lpDTCon->lpRestTarget) != 0;
  if (restored) *restored = ok;
  return true;
}

void EffectRectVertices(DTVERTEX v[4], float x, float y, float w, float h, float u0, float v0, float u1, float v1,
                        uint32_t diffuse) {
  v[0] = {x, y, 0.0f, 1.0f, diffuse, u0, v0};
  v[1] = {x, y + h, 0.0f, 1.0f, diffuse, u0, v1};
  v[2] = {x + w, y, 0.0f, 1.0f, diffuse, u1, v0};
  v[3] = {x + w, y + h, 0.0f, 1.0f, diffuse, u1, v1};
}
