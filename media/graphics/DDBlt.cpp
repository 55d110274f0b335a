// Blits under both personalities, the mirrored-cell adjustment, clipping, the
// Direct3D quad and software paths, the sprite batch and the DirectDraw lock.
#include <algorithm>
#include <vector>

#include "base/Log.h"
#include "media/graphics/DDInternal.h"

namespace {

struct BatchEntry {
  uint32_t key;
  DDSURFACEDATA* dst;
  DDSURFACEDATA* src;
  int x, y, w, h, sx, sy, sw, sh;
  int transparent;
  uint32_t colour, colourOp, alphaOp, reserved;
};

struct SpriteBatch {
  bool active = false;
  bool sort = false;
  std::vector<std::pair<DDSURFACEDATA*, uint32_t>> targets;
  uint32_t counter = 0;
  std::vector<BatchEntry> entries;
};
SpriteBatch g_batch;

// One quad from src into dst with the given stage settings; the destination
// must be a render target. Nonzero when drawn.
int DrawQuad(DDSURFACEDATA* dst, int x, int y, int w, int h, DDSURFACEDATA* src, int sx, int sy, int sw, int sh,
             int bTransparent, uint32_t colour, uint32_t colourOp, uint32_t alphaOp) {
  if (!DDBeginScene()) return 0;
  if (!DDSetRenderTarget(0, dst)) return 0;
  if (bTransparent == 0 && src->lpDT->bTransparent) {
    DDRECT r{x, y, x + w, y + h};
    lpDevice->Clear(&r, DDTransmitClearColor(dst));
  }
  DTSTAGE& st = lpDevice->Stage();
  st.colorOp = colourOp;
  st.colorArg1 = DTTA_TEXTURE;
  st.colorArg2 = DTTA_DIFFUSE;
  st.alphaOp = alphaOp;
  st.alphaArg1 = DTTA_TEXTURE;
  st.alphaArg2 = DTTA_DIFFUSE;
  lpDevice->SetTexture(src->lpDT->lpTexture);
  lpDevice->DrawRect(x, y, w, h, sx, sy, sw, sh, colour);
  return DDSetRenderTarget(0, lpDTCon->lpRestTarget);
}

uint32_t KeyBase(DDSURFACEDATA* dst) {
  for (const auto& t : g_batch.targets)
    if (t.first == dst) return t.second;
  return 0;
}

// Direct3D copy by pixels: the destination is no render target or the source
// lives in system memory.
int SoftwareBlt(DDSURFACEDATA* dst, int x, int y, int w, int h, DDSURFACEDATA* src, int sx, int sy, int sw, int sh,
                int bTransparent) {
  if (w == 0 || h == 0) return 0;
  cSurfaceLock dl, sl;
  if (!dl.Lock(dst)) return 0;
  if (!sl.Lock(src)) return 0;
  const int dW = std::min(dl.m_lpSD->nWidth, dl.m_nPitch), dH = dl.m_lpSD->nHeight;
  const int sW = std::min(sl.m_lpSD->nWidth, sl.m_nPitch), sH = sl.m_lpSD->nHeight;
  const int dRows = dl.m_lpSD->Pixels() ? std::min(dH, dl.m_lpSD->Pixels()->Height()) : 0;
  const int sRows = sl.m_lpSD->Pixels() ? std::min(sH, sl.m_lpSD->Pixels()->Height()) : 0;
  const bool same = w == sw && h == sh;
  const bool full16 = DDIsFullScreenBack(dl.m_lpSD) != 0;
  const int bytes = dl.m_nBytesPerPixel;
  if (bytes != sl.m_nBytesPerPixel || (bytes != 2 && bytes != 4)) return 1;
  auto offset = [](int i, int s, int n) {
    int o = static_cast<int>(int64_t(i) * s / n);
    return s < 0 ? o - 1 : o;
  };
  for (int j = 0; j < h; ++j) {
    int dy = y + j, syy = sy + (same ? j : offset(j, sh, h));
    if (dy < 0 || dy >= dRows || syy < 0 || syy >= sRows) continue;
    for (int i = 0; i < w; ++i) {
      int dx = x + i, sxx = sx + (same ? i : offset(i, sw, w));
      if (dx < 0 || dx >= dW || sxx < 0 || sxx >= sW) continue;
      uint8_t* d = dl.Pixel(dx, dy);
      const uint8_t* s = sl.Pixel(sxx, syy);
      if (bytes == 2) {
        uint32_t t = uint32_t(s[0]) | uint32_t(s[1]) << 8;
        // Bit 13 counts as opaque too, as it always did.
        if (bTransparent == 1 && !(t & 0xA000)) continue;
        if (full16) {
          uint32_t r = (t >> 10) & 31, g = (t >> 5) & 31, b = t & 31;
          t = r << BackBufferLayout.nRShift | (g * 2) << BackBufferLayout.nGShift | b << BackBufferLayout.nBShift;
        }
        d[0] = static_cast<uint8_t>(t);
        d[1] = static_cast<uint8_t>(t >> 8);
      } else {
        if (bTransparent == 1 && s[3] == 0) continue;
        std::copy(s, s + 4, d);
      }
    }
  }
  return 1;
}

int BltStretchWith(DDSURFACEDATA* dst, int x, int y, int w, int h, DDSURFACEDATA* src, int sx, int sy, int sw, int sh,
                   int bTransparent, uint32_t colour, uint32_t colourOp) {
  DDAdjustMirror(src, &sx, &sy, &sw, &sh);
  if (!lpDTCon) {
    if (!dst || !src || !dst->lpDD || !src->lpDD || !dst->lpDD->lpSurface || !src->lpDD->lpSurface)
      return DDERR_INVALIDPARAMS;
    if (!DDClipBlt(dst, &x, &y, &w, &h, src, &sx, &sy, &sw, &sh)) return 0;
    DDRECT s{sx, sy, sx + sw, sy + sh}, d{x, y, x + w, y + h};
    return dst->lpDD->lpSurface->Blt(&d, src->lpDD->lpSurface.get(), &s,
                                     DDBLT_WAIT | (bTransparent == 1 ? DDBLT_KEYSRC : 0u), 0);
  }
  if (!dst || !src || !lpDevice) return 0;
  DDResolveAlias(&dst);
  DDResolveAlias(&src);
  if (lpDTCon->bCopyingVirBack) {
    dst = &BackBuffer;
    src = &VirBackBuffer;
  } else {
    DDRedirectBackBuffer(&dst);
    DDRedirectBackBuffer(&src);
  }
  if (!dst->lpDT || !src->lpDT) return 0;
  if (!(dst->lpDT->bRenderTarget && src->lpDT->nMemoryType != DTMEMORYTYPE_SYSTEM))
    return SoftwareBlt(dst, x, y, w, h, src, sx, sy, sw, sh, bTransparent);
  if (!src->lpDT->lpTexture) return 0;
  if (!DDClipBlt(dst, &x, &y, &w, &h, src, &sx, &sy, &sw, &sh)) return 0;
  if (g_batch.active) {
    g_batch.entries.push_back({KeyBase(dst) + g_batch.counter++, dst, src, x, y, w, h, sx, sy, sw, sh, bTransparent,
                               colour, colourOp, lpDTCon->dwBltAlphaOp, 0});
    return 1;
  }
  return DrawQuad(dst, x, y, w, h, src, sx, sy, sw, sh, bTransparent, colour, colourOp, lpDTCon->dwBltAlphaOp);
}

}  // namespace

uint32_t DDTransmitClearColor(const DDSURFACEDATA* lpDstSD) {
  if (!lpDTCon) return 0;
  bool back = lpDstSD == &BackBuffer;
  // At 16 bits the key lives in the texel words; they are widened to a
  // 32-bit colour for the clear.
  if (DDSettings.nBpp == 16) return FormatToArgb(DDFMT_A1R5G5B5, back ? lpDTCon->wTransmitOpaque16 : lpDTCon->wTransmit_16);
  return back ? lpDTCon->argbTransmit : lpDTCon->argbTransparent;
}

int DDBlt(DDSURFACEDATA* lpDstSD, int x, int y, int w, int h, DDSURFACEDATA* lpSrcSD, int sx, int sy,
          int bTransparent) {
  if (lpDTCon) return DDBltStretch(lpDstSD, x, y, w, h, lpSrcSD, sx, sy, w, h, bTransparent);
  if (!lpDstSD || !lpSrcSD || !lpDstSD->lpDD || !lpSrcSD->lpDD || !lpDstSD->lpDD->lpSurface ||
      !lpSrcSD->lpDD->lpSurface)
    return DDERR_INVALIDPARAMS;
  int sw = w, sh = h;
  if (!DDClipBlt(lpDstSD, &x, &y, &w, &h, lpSrcSD, &sx, &sy, &sw, &sh)) return 0;
  DDRECT s{sx, sy, sx + sw, sy + sh};
  return lpDstSD->lpDD->lpSurface->BltFast(x, y, lpSrcSD->lpDD->lpSurface.get(), &s,
                                           DDBLTFAST_WAIT | (bTransparent == 1 ? DDBLTFAST_SRCCOLORKEY : 0u));
}

int DDBltStretch(DDSURFACEDATA* lpDstSD, int x, int y, int w, int h, DDSURFACEDATA* lpSrcSD, int sx, int sy, int sw,
                 int sh, int bTransparent) {
  return BltStretchWith(lpDstSD, x, y, w, h, lpSrcSD, sx, sy, sw, sh, bTransparent,
                        lpDTCon ? lpDTCon->dwBltColor : 0xFFFFFFFF, lpDTCon ? lpDTCon->dwBltColorOp : DTOP_MODULATE);
}

int DDBltEx(DDSURFACEDATA* lpDstSD, int x, int y, int w, int h, DDSURFACEDATA* lpSrcSD, int sx, int sy,
            int bTransparent, const DDBLTCOLOR* lpBltColor) {
  if (!lpDTCon || !lpBltColor) return DDBlt(lpDstSD, x, y, w, h, lpSrcSD, sx, sy, bTransparent);
  return BltStretchWith(lpDstSD, x, y, w, h, lpSrcSD, sx, sy, w, h, bTransparent, lpBltColor->dwColor,
                        lpBltColor->dwColorOp);
}

int DDBltStretchEx(DDSURFACEDATA* lpDstSD, int x, int y, int w, int h, DDSURFACEDATA* lpSrcSD, int sx, int sy,
                   int sw, int sh, int bTransparent, const DDBLTCOLOR* lpBltColor) {
  if (!lpDTCon || !lpBltColor) return DDBltStretch(lpDstSD, x, y, w, h, lpSrcSD, sx, sy, sw, sh, bTransparent);
  return BltStretchWith(lpDstSD, x, y, w, h, lpSrcSD, sx, sy, sw, sh, bTransparent, lpBltColor->dwColor,
                        lpBltColor->dwColorOp);
}

void DDAdjustMirror(DDSURFACEDATA* lpSrcSD, int* sx, int* sy, int* sw, int* sh) {
  if (!lpDTCon || !lpSrcSD || !lpSrcSD->lpAlias) return;
  int c = lpSrcSD->nMirrorW;
  if (c > 0) {
    if (*sw == c) {
      *sx += c;
      *sw = -*sw;
    } else if (*sw < c) {
      *sx = *sx - 2 * (*sx % c) + c;
      *sw = -*sw;
    }
  }
  c = lpSrcSD->nMirrorH;
  if (c > 0) {
    if (*sh == c) {
      *sy += c;
      *sh = -*sh;
    } else if (*sh < c) {
      *sy = *sy - 2 * (*sy % c) + c;
      *sh = -*sh;
    }
  }
}

namespace {
// One axis of a stretched copy: the source span is cut to the source and the
// destination size scaled by the part kept. False when nothing is left.
void CutScaledAxis(bool d3d, int srcSize, int* pos, int* size, int* spos, int* ssize) {
  bool mirrored = *ssize < 0;
  int lo = *spos, hi = *spos + *ssize;
  if (d3d && mirrored) std::swap(lo, hi);
  int old = hi - lo;
  if (lo < 0) lo = 0;
  if (hi > srcSize) hi = srcSize;
  int kept = hi - lo;
  *size = static_cast<int>(*size * (static_cast<double>(kept) / old));
  if (d3d && mirrored) {
    *spos = hi;
    *ssize = -kept;
  } else {
    *spos = lo;
    *ssize = kept;
  }
  (void)pos;
}

// DirectDraw only: the destination of a stretched copy is cut to the surface.
bool CutDestinationAxis(int dstSize, int* pos, int* size, int* spos, int* ssize) {
  if (*pos >= dstSize || *pos + *size < 0) return false;
  if (*pos < 0 && *size != 0) {
    int d = static_cast<int>(static_cast<double>(-*pos) / *size * *ssize);
    *spos += d;
    *ssize -= d;
    *size += *pos;
    *pos = 0;
  }
  if (*pos + *size > dstSize && *size != 0) {
    *ssize = static_cast<int>(static_cast<double>(dstSize - *pos) / *size * *ssize);
    *size = dstSize - *pos;
  }
  return true;
}
}  // namespace

int DDClipBlt(DDSURFACEDATA* lpDstSD, int* x, int* y, int* w, int* h, DDSURFACEDATA* lpSrcSD, int* sx, int* sy,
              int* sw, int* sh) {
  if (!lpDstSD || !lpSrcSD) return 0;
  if (*w <= 0 || *h <= 0 || *sw == 0 || *sh == 0) return 0;
  const bool d3d = lpDTCon != nullptr;
  const bool mirX = *sw < 0, mirY = *sh < 0;
  const int srcW = lpSrcSD->nWidth, srcH = lpSrcSD->nHeight, dstW = lpDstSD->nWidth, dstH = lpDstSD->nHeight;
  if (*w == *sw && *h == *sh) {
    // The source is cut without moving the destination (a negative sx starts
    // at column 0 in place), then the copy is fitted into the destination.
    int l = std::max(*sx, 0), r = std::min(*sx + *sw, srcW);
    int t = std::max(*sy, 0), b = std::min(*sy + *sh, srcH);
    *sx = l;
    *sw = r - l;
    *sy = t;
    *sh = b - t;
    if (*x < 0) {
      *sx -= *x;
      *sw += *x;
      *x = 0;
    } else if (*x + *sw > dstW) {
      *sw = dstW - *x;
    }
    if (*y < 0) {
      *sy -= *y;
      *sh += *y;
      *y = 0;
    } else if (*y + *sh > dstH) {
      *sh = dstH - *y;
    }
    *w = *sw;
    *h = *sh;
    return *w > 0 && *h > 0;
  }
  CutScaledAxis(d3d, srcW, x, w, sx, sw);
  CutScaledAxis(d3d, srcH, y, h, sy, sh);
  if (d3d) {
    bool okX = *sw > 0 || (mirX && *sw < 0);
    bool okY = *sh > 0 || (mirY && *sh < 0);
    return *w > 0 && *h > 0 && okX && okY;
  }
  if (!CutDestinationAxis(dstW, x, w, sx, sw) || !CutDestinationAxis(dstH, y, h, sy, sh)) return 0;
  return *w > 0 && *h > 0 && *sw > 0 && *sh > 0;
}

void DDBeginSpriteBatch(int bSort) {
  if (!lpDTCon) return;
  // A batch begun inside another one draws what was queued first, so no
  // entry is dropped.
  if (g_batch.active) DDEndSpriteBatch();
  g_batch.active = true;
  g_batch.sort = bSort != 0;
  g_batch.entries.clear();
  g_batch.targets.clear();
  g_batch.counter = 0;
}

void DDRegisterBatchTarget(DDSURFACEDATA* lpSD) {
  if (!lpDTCon || !g_batch.active || !g_batch.sort) return;
  for (const auto& t : g_batch.targets)
    if (t.first == lpSD) return;
  g_batch.targets.push_back({lpSD, static_cast<uint32_t>(g_batch.targets.size()) * 100000u + 100000u});
}

bool DDIsSpriteBatchActive() { return g_batch.active; }

void DDResetSpriteBatch() { g_batch = SpriteBatch{}; }

void DDEndSpriteBatch() {
  if (!lpDTCon) return;
  std::vector<BatchEntry> entries;
  entries.swap(g_batch.entries);
  bool sort = g_batch.sort;
  g_batch.active = false;
  g_batch.targets.clear();
  g_batch.counter = 0;
  if (sort && !entries.empty())
    std::stable_sort(entries.begin(), entries.end(), [](const BatchEntry& a, const BatchEntry& b) { return a.key < b.key; });
  auto sameRun = [](const BatchEntry& a, const BatchEntry& b) {
    return a.src == b.src && a.dst == b.dst && a.transparent == b.transparent && a.colour == b.colour &&
           a.colourOp == b.colourOp && a.alphaOp == b.alphaOp && a.reserved == b.reserved;
  };
  size_t i = 0;
  while (i < entries.size()) {
    size_t j = i + 1;
    while (j < entries.size() && sameRun(entries[i], entries[j])) ++j;
    const BatchEntry& first = entries[i];
    if (!lpDevice || !first.src->lpDT || !first.src->lpDT->lpTexture || !DDBeginScene() ||
        !DDSetRenderTarget(0, first.dst)) {
      // The rest of the run is tried as a run of its own.
      ++i;
      continue;
    }
    if (first.transparent == 0 && first.src->lpDT->bTransparent) {
      for (size_t k = i; k < j; ++k) {
        DDRECT r{entries[k].x, entries[k].y, entries[k].x + entries[k].w, entries[k].y + entries[k].h};
        lpDevice->Clear(&r, DDTransmitClearColor(first.dst));
      }
    }
    DTSTAGE& st = lpDevice->Stage();
    st.colorOp = first.colourOp;
    st.colorArg1 = DTTA_TEXTURE;
    st.colorArg2 = DTTA_DIFFUSE;
    st.alphaOp = first.alphaOp;
    st.alphaArg1 = DTTA_TEXTURE;
    st.alphaArg2 = DTTA_DIFFUSE;
    lpDevice->SetTexture(first.src->lpDT->lpTexture);
    for (size_t k = i; k < j; ++k) {
      const BatchEntry& e = entries[k];
      lpDevice->DrawRect(e.x, e.y, e.w, e.h, e.sx, e.sy, e.sw, e.sh, e.colour);
    }
    DDSetRenderTarget(0, lpDTCon->lpRestTarget);
    i = j;
  }
}

bool DDLock(DDSURFACEDATA* lpSD, DDLOCKDESC* desc, void** ppBits, int nBpp) {
  if (lpDTCon) {
    // "D3DではDDLockは未対応"
    WriteDebugLog("D3D\x82\xC5\x82\xCD" "DDLock\x82\xCD\x96\xA2\x91\xCE\x89\x9E");
    return true;
  }
  if (!lpSD || !lpSD->lpDD || !lpSD->lpDD->lpSurface || !desc) return false;
  desc->dwSize = 124;
  cPixelSurface& s = *lpSD->lpDD->lpSurface;
  if (s.IsLost() != DD_OK) return false;
  DDLOCKEDRECT locked;
  if (s.LockRect(&locked) != DD_OK) return false;
  desc->dwWidth = s.Width();
  desc->dwHeight = s.Height();
  desc->lPitch = locked.Pitch;
  desc->lpSurface = locked.pBits;
  if (ppBits && (nBpp == 8 || nBpp == 16 || nBpp == 24 || nBpp == 32)) *ppBits = desc->lpSurface;
  return true;
}
