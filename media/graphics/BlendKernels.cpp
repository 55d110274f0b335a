// Colour blending kernels: colour scale, blend, half, the tint and the 8-bit
// blend table.
#include <algorithm>
#include <cstdio>
#include <vector>

#include "base/Log.h"
#include "media/graphics/Effect.h"
#include "media/graphics/EffectSurface.h"
#include "platform/FileSystem.h"

uint8_t BlendTable[65536];

bool DDLoadBlendTable(uint8_t* lpTable, const std::string& path) {
  if (lpDTCon) return true;
  if (!lpTable) return false;
  FILE* f = platform::OpenFile(path, "rb");
  if (!f) return false;
  // One byte more than the table tells a full file from a longer one; only a
  // short file is refused (it would leave the table half old, half new).
  std::vector<uint8_t> bytes(kBlendTableSize);
  const size_t got = std::fread(bytes.data(), 1, bytes.size(), f);
  std::fclose(f);
  if (got < bytes.size()) {
    WriteLog("%s : blend table of %u bytes refused (%d needed)", path.c_str(), static_cast<unsigned>(got),
             kBlendTableSize);
    return false;
  }
  std::copy(bytes.begin(), bytes.end(), lpTable);
  return true;
}

namespace {
// The quad of (x, y, w, h) reading (sx, sy, sw, sh) of the source's texture.
void RectQuad(DTVERTEX v[4], const DDSURFACEDATA* lpSrcSD, int x, int y, int w, int h, int sx, int sy, int sw, int sh,
              uint32_t diffuse) {
  const float tw = static_cast<float>(lpSrcSD->nTexWidth > 0 ? lpSrcSD->nTexWidth : 1);
  const float th = static_cast<float>(lpSrcSD->nTexHeight > 0 ? lpSrcSD->nTexHeight : 1);
  EffectRectVertices(v, static_cast<float>(x) - 0.5f, static_cast<float>(y) - 0.5f, static_cast<float>(w),
                     static_cast<float>(h), static_cast<float>(sx) / tw, static_cast<float>(sy) / th,
                     static_cast<float>(sx + sw) / tw, static_cast<float>(sy + sh) / th, diffuse);
}

DTSTAGE BlendStage(uint32_t colorOp, uint32_t colorArg2, uint32_t alphaOp) {
  DTSTAGE s;
  s.colorOp = colorOp;
  s.colorArg1 = DTTA_TEXTURE;
  s.colorArg2 = colorArg2;
  s.alphaOp = alphaOp;
  s.alphaArg1 = DTTA_TEXTURE;
  s.alphaArg2 = DTTA_DIFFUSE;
  return s;
}
}  // namespace

bool DDColorScale(DDSURFACEDATA* lpDstSD, int x, int y, int w, int h, DDSURFACEDATA* lpSrcSD, int sx, int sy,
                  int bTransparent, const DDPALENTRY* lpPalette, const uint8_t* lpTable, int nTarget, int n) {
  if (!lpPalette) lpPalette = PalWork;
  if (!lpTable) lpTable = BlendTable;
  const DDPALENTRY& t = lpPalette[nTarget & 255];
  if (lpDTCon) {
    if (n <= 0) return true;
    int asx = sx, asy = sy, aw = w, ah = h;
    DDAdjustMirror(lpSrcSD, &asx, &asy, &aw, &ah);
    EffectResolve(&lpDstSD, &lpSrcSD);
    if (EffectQuadPath(lpDstSD, lpSrcSD)) {
      const uint32_t a = static_cast<uint32_t>(ColorScaleQuadAlpha(n));
      lpDevice->SetTextureFactor(a << 24 | uint32_t(t.peRed) << 16 | uint32_t(t.peGreen) << 8 | t.peBlue);
      DTVERTEX v[4];
      RectQuad(v, lpSrcSD, x, y, w, h, asx, asy, aw, ah, 0xFFFFFFFFu);
      EffectDrawQuad(lpDstSD, lpSrcSD, v, BlendStage(DTOP_BLENDFACTORALPHA, DTTA_TFACTOR, DTOP_SELECTARG1));
      return true;
    }
  } else if (n == 0) {
    return true;
  }
  cEffectLocks locks;
  if (!locks.Lock(lpDstSD, lpSrcSD)) return false;
  if (locks.dst.m_nBytesPerPixel != locks.src.m_nBytesPerPixel) return true;
  ColorScalePixels(EffectView(locks.dst), x, y, w, h, EffectView(locks.src), sx, sy, bTransparent, t.peRed, t.peGreen,
                   t.peBlue, lpTable, nTarget, n, EffectRules(locks.dst));
  return true;
}

bool DDBltBlend(DDSURFACEDATA* lpDstSD, int x, int y, int w, int h, DDSURFACEDATA* lpSrcSD, int sx, int sy,
                int bTransparent, const uint8_t* lpTable, int nWeight) {
  if (!lpTable) lpTable = BlendTable;
  if (lpDTCon) {
    int asx = sx, asy = sy, aw = w, ah = h;
    DDAdjustMirror(lpSrcSD, &asx, &asy, &aw, &ah);
    EffectResolve(&lpDstSD, &lpSrcSD);
    if (EffectQuadPath(lpDstSD, lpSrcSD)) {
      const uint32_t alpha = ~static_cast<uint32_t>(nWeight) & 0xFFu;
      DTVERTEX v[4];
      RectQuad(v, lpSrcSD, x, y, w, h, asx, asy, aw, ah, alpha << 24 | 0xFFFFFFu);
      bool restored = false;
      EffectDrawQuad(lpDstSD, lpSrcSD, v, BlendStage(DTOP_MODULATE, DTTA_DIFFUSE, DTOP_MODULATE), &restored);
      if (restored) {
        lpDevice->Stage().alphaOp = DTOP_SELECTARG1;
        lpDevice->Stage().alphaArg1 = DTTA_TEXTURE;
      }
      return true;
    }
  }
  cEffectLocks locks;
  if (!locks.Lock(lpDstSD, lpSrcSD)) return false;
  if (locks.dst.m_nBytesPerPixel != locks.src.m_nBytesPerPixel) return true;
  BlendPixels(EffectView(locks.dst), x, y, w, h, EffectView(locks.src), sx, sy, bTransparent, lpTable,
              EffectRules(locks.dst));
  return true;
}

bool DDBltHalf(DDSURFACEDATA* lpDstSD, int x, int y, int w, int h, DDSURFACEDATA* lpSrcSD, int sx, int sy,
               int bTransparent, const uint8_t* lpTable) {
  return DDBltBlend(lpDstSD, x, y, w, h, lpSrcSD, sx, sy, bTransparent, lpTable, 128);
}

int DDChangeColor(DDSURFACEDATA* lpDstSD, int x, int y, int nWidth, int nHeight, int nAlpha, uint8_t bRed,
                  uint8_t bGreen, uint8_t bBlue) {
  return DDChangeColorEx(lpDstSD, x, y, nWidth, nHeight, lpDstSD, nAlpha, bRed, bGreen, bBlue);
}

int DDChangeColorEx(DDSURFACEDATA* lpDstSD, int, int, int, int, DDSURFACEDATA* lpSrcSD, int nAlpha, uint8_t bRed,
                    uint8_t bGreen, uint8_t bBlue) {
  if (!lpDTCon) {
    // "DDrawでは DDChangeColor(...) は未対応"
    WriteDebugLog("DDraw\x82\xC5\x82\xCD DDChangeColor(DDSURFACEDATA *lpDstSD,int x,int y,int nWidth,int nHeight,int "
                  "nAlpha,BYTE bRed,BYTE bGreen,BYTE bBlue) \x82\xCD\x96\xA2\x91\xCE\x89\x9E");
    return 1;
  }
  if (!lpDstSD || !lpSrcSD) return 1;
  EffectResolve(&lpDstSD, &lpSrcSD);
  const uint32_t colour = (~static_cast<uint32_t>(nAlpha) & 0xFFu) << 24 | uint32_t(bRed) << 16 |
                          uint32_t(bGreen) << 8 | uint32_t(bBlue);
  const bool textured = lpSrcSD->lpDT && lpSrcSD->lpDT->lpTexture;
  DTVERTEX v[4];
  const float tw = static_cast<float>(lpSrcSD->nTexWidth > 0 ? lpSrcSD->nTexWidth : 1);
  const float th = static_cast<float>(lpSrcSD->nTexHeight > 0 ? lpSrcSD->nTexHeight : 1);
  EffectRectVertices(v, -0.5f, -0.5f, static_cast<float>(lpDstSD->nWidth), static_cast<float>(lpDstSD->nHeight), 0.0f,
                     0.0f, static_cast<float>(lpDstSD->nWidth) / tw, static_cast<float>(lpDstSD->nHeight) / th, colour);
  DTSTAGE stage = BlendStage(DTOP_MODULATE, DTTA_DIFFUSE, DTOP_MODULATE);
  if (!textured) {
    // The device back buffer is no texture, so there is nothing to sample.
    // Draw the colour itself at the same opacity, as the virtual
    // back buffer's blend does.
    stage.colorOp = DTOP_SELECTARG2;
    stage.alphaOp = DTOP_SELECTARG2;
  }
  EffectDrawQuad(lpDstSD, lpSrcSD, v, stage);
  return 1;
}
