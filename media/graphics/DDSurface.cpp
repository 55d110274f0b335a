// Surface records: creation (empty and from bitmap files) under both
// personalities, bitmap copies with colour keys and mirrored cells, the
// surface tables and lists, palette maps and release.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <unordered_map>

#include "base/Log.h"
#include "base/Thread.h"
#include "media/graphics/Bmp.h"
#include "media/graphics/DDInternal.h"

namespace {

constexpr int kMaxSurfaceSide = 16384;

DDPOOL PoolOfMemory(int nDDMemory) { return nDDMemory == 0 ? DDPOOL_DEFAULT : DDPOOL_SYSTEMMEM; }

// Where a mirrored copy puts column (or row) v of cells of size c; c = 0 keeps it.
int MirrorIndex(int v, int c) { return c > 0 ? c * (v / c + 1) - v % c - 1 : v; }

// Fills a texture level from a bitmap; pixels of the key colour become transparent black.
// False when the thread is being stopped part way (the load then fails).
bool FillTexture(cPixelSurface& level, const cBitmapImage& bmp, uint32_t keyArgb) {
  int w = std::min(level.Width(), bmp.nWidth), h = std::min(level.Height(), bmp.nHeight);
  // 32-bit textures take the bitmap's colours as they are, a row at a time.
  if (level.Format() == DDFMT_A8R8G8B8 || level.Format() == DDFMT_X8R8G8B8) {
    for (int y = 0; y < h; ++y) {
      if ((y & 63) == 0 && ThreadStopRequested()) return false;
      uint8_t* row = level.Row(y);
      const uint32_t* src = bmp.Pixels.data() + static_cast<size_t>(y) * bmp.nWidth;
      for (int x = 0; x < w; ++x) {
        const uint32_t argb = 0xFF000000u | src[x];
        const uint32_t raw = argb == keyArgb ? 0u : argb;
        std::memcpy(row + static_cast<size_t>(x) * 4, &raw, 4);
      }
    }
    return true;
  }
  for (int y = 0; y < h; ++y) {
    if ((y & 63) == 0 && ThreadStopRequested()) return false;
    for (int x = 0; x < w; ++x) {
      uint32_t argb = 0xFF000000u | bmp.At(x, y);
      level.SetPixel(x, y, argb == keyArgb ? 0u : ArgbToFormat(level.Format(), argb));
    }
  }
  return true;
}

// A fresh Direct3D record (not a restore): names, memory kind, no textures
// yet, and an id of its own unless it borrows another surface's.
void ResetD3DRecord(DDSURFACEDATA* lpSD, const char* name, const std::string& file, int bTransparent, int nD3DType,
                    int bAlias) {
  DTDATA* dt = lpSD->lpDT;
  lpSD->strName = std::string(name);
  lpSD->strFile = file;
  dt->nMemoryType = nD3DType;
  dt->lpSurface.reset();
  dt->lpSystemSurface.reset();
  dt->lpTexture.reset();
  dt->bTransparent = bTransparent == 1;
  if (!bAlias) dt->nSurfaceId = lpDTCon->nNextSurfaceId++;
}

bool CreateEmptyD3D(DDSURFACEDATA* lpSD, int width, int height, int bTransparent, int nDDMemory, int nD3DType,
                    int bAlias, int bRestore) {
  DTDATA* dt = lpSD->lpDT;
  if (!bRestore) ResetD3DRecord(lpSD, "OffScreen", "E", bTransparent, nD3DType, bAlias);
  if (bAlias) {
    lpSD->nWidth = lpSD->nTexWidth = width;
    lpSD->nHeight = lpSD->nTexHeight = height;
    lpSD->nDDMemory = nDDMemory;
    return true;
  }
  int tw = width, th = height;
  DDAdjustTextureSize(&tw, &th);
  if (!DDCheckTextureSize(tw, th)) {
    // "上記の理由でテクスチャの描画が失敗する可能性があります。(空)"
    WriteLog("\x8F\xE3\x8BL\x82\xCC\x97\x9D\x97R\x82\xC5\x83" "e\x83N\x83X\x83`\x83\x83\x82\xCC\x95`\x89\xE6\x82\xAA\x8E\xB8\x94s\x82\xB7\x82\xE9\x89\xC2\x94\x5C\x90\xAB\x82\xAA\x82\xA0\x82\xE8\x82\xDC\x82\xB7\x81" "B(\x8B\xF3)");
  }
  if (dt->nMemoryType == DTMEMORYTYPE_VIDEO_NORT) dt->nMemoryType = DTMEMORYTYPE_VIDEO_RT;
  DDFORMAT fmt = lpDTCon->TextureFormat;
  if (dt->nMemoryType == DTMEMORYTYPE_VIDEO_RT) {
    dt->bRenderTarget = 1;
    DDRESULT hr = lpDevice->CreateTexture(tw, th, DTUSAGE_RENDERTARGET, fmt, DDPOOL_DEFAULT, &dt->lpTexture);
    if (hr == D3DERR_OUTOFVIDEOMEMORY) {
      // "VRAM不足のためシステムメモリにテクスチャを作成します。(空)"
      WriteLog("VRAM\x95s\x91\xAB\x82\xCC\x82\xBD\x82\xDF\x83V\x83X\x83" "e\x83\x80\x83\x81\x83\x82\x83\x8A\x82\xC9\x83" "e\x83N\x83X\x83`\x83\x83\x82\xF0\x8D\xEC\x90\xAC\x82\xB5\x82\xDC\x82\xB7\x81" "B(\x8B\xF3)");
      dt->nMemoryType = DTMEMORYTYPE_SYSTEM;
    } else if (hr != DD_OK) {
      return false;
    }
  }
  // A restored system-memory surface keeps its texture.
  if (dt->nMemoryType == DTMEMORYTYPE_SYSTEM && (!bRestore || !dt->lpTexture)) {
    dt->bRenderTarget = 0;
    DDRESULT hr = lpDevice->CreateTexture(tw, th, DTUSAGE_DYNAMIC, fmt, DDPOOL_SYSTEMMEM, &dt->lpTexture);
    if (hr != DD_OK) {
      WriteLog("D3DXCreateTexture Err hr = %x", static_cast<unsigned>(hr));
      DDTextureErrorBox();
      return false;
    }
  }
  if (!dt->lpTexture || !dt->lpTexture->level0) {
    WriteLog("GetSurfaceLevel Err hr = %x", static_cast<unsigned>(D3DERR_INVALIDCALL));
    return false;
  }
  cPixelSurface& level = *dt->lpTexture->level0;
  dt->lpSurface = dt->lpTexture->level0;
  dt->Desc = {level.Format(), dt->lpTexture->usage, level.Pool(), level.Width(), level.Height()};
  if (dt->nMemoryType == DTMEMORYTYPE_VIDEO_RT && !bRestore) {
    DDRESULT hr =
        lpDevice->CreateOffscreenPlainSurface(level.Width(), level.Height(), fmt, DDPOOL_SYSTEMMEM, &dt->lpSystemSurface);
    if (hr != DD_OK) {
      WriteLog("CreateOffscreenPlainSurface Err hr = %x", static_cast<unsigned>(hr));
      DDTextureErrorBox();
      return false;
    }
  }
  lpSD->nWidth = width;
  lpSD->nHeight = height;
  lpSD->nTexWidth = level.Width();
  lpSD->nTexHeight = level.Height();
  if (DDSetRenderTarget(0, lpSD)) {
    lpDevice->Clear(nullptr, DDTransmitClearColor(&BackBuffer));
    DDSetRenderTarget(0, lpDTCon->lpRestTarget);
  }
  if (!bRestore) SurfaceList.push_back(lpSD);
  return true;
}

bool CreateEmptyDD(DDSURFACEDATA* lpSD, int width, int height, int bTransparent, int nDDMemory) {
  DDFORMAT fmt = DDDisplayFormat();
  bool usable = fmt != DDFMT_UNKNOWN && width > 0 && height > 0 && width <= kMaxSurfaceSide && height <= kMaxSurfaceSide;
  int64_t bytes = int64_t(width) * height * FormatBytesPerPixel(fmt);
  int memory = nDDMemory == 0 ? 0 : 1;
  if (memory == 0 && (!usable || !VideoMemoryFits(bytes))) {
    // Out of video memory: system memory instead.
    if (!usable) {
      WriteLog("CreateSurface Video -> System Err");
      return false;
    }
    memory = 1;
  } else if (!usable) {
    WriteLog("CreateSurface System Err");
    return false;
  }
  lpSD->lpDD->lpSurface = std::make_shared<cPixelSurface>(fmt, width, height, PoolOfMemory(memory));
  if (bTransparent == 1 && lpSD->lpDD->lpSurface->SetColorKey(DDCKEY_SRCBLT, dwTransmitPixel, dwTransmitPixel) != DD_OK)
    WriteLog("SetColorKey Err");
  lpSD->nWidth = lpSD->nTexWidth = width;
  lpSD->nHeight = lpSD->nTexHeight = height;
  lpSD->nDDMemory = memory;
  DDFillRect(lpSD, 0, 0, width, height, 0);
  return true;
}

// The locked copies and the drawn copy of the DirectDraw personality.
bool CopyBitmapImage(DDSURFACEDATA* lpSD, const cBitmapImage& bmp, const std::string& file, int nBpp, int bPaletteMap,
                     int nMirrorW, int nMirrorH) {
  if (!lpSD->lpDD || !lpSD->lpDD->lpSurface) return false;
  cPixelSurface& s = *lpSD->lpDD->lpSurface;
  const int W = s.Width(), H = s.Height();
  if (nBpp == 8) {
    // A true-colour picture has no palette numbers to copy.
    if (!bmp.IsPalettised()) {
      WriteLog("CopyBitmap Err %s Surface(%d,%d) Bmp(%d,%d)", file.c_str(), W, H, bmp.nWidth, bmp.nHeight);
      return false;
    }
    DDLOCKDESC desc;
    void* bits = nullptr;
    if (!DDLock(lpSD, &desc, &bits, nBpp)) return false;
    if (W != bmp.nWidth || H != bmp.nHeight) {
      WriteDebugLog("CopyBitmap Err %s Surface(%d,%d) Bmp(%d,%d)", file.c_str(), W, H, bmp.nWidth, bmp.nHeight);
    } else if (s.Format() == DDFMT_P8) {
      for (int y = 0; y < H; ++y) {
        int dy = MirrorIndex(y, nMirrorH);
        if (dy >= H) break;
        for (int x = 0; x < W; ++x) {
          int dx = MirrorIndex(x, nMirrorW);
          if (dx >= W) break;
          s.SetPixel(dx, dy, bmp.IndexAt(x, y));
        }
      }
    }
    s.UnlockRect();
  } else if (nBpp == 16 && (bmp.nBitCount == 24 || bmp.nBitCount == 32) && s.BytesPerPixel() == 2) {
    DDLOCKDESC desc;
    void* bits = nullptr;
    if (!DDLock(lpSD, &desc, &bits, nBpp)) return false;
    const DDRGBTRIPLE key = lpDDCon ? lpDDCon->rgbTransmit16 : DDRGBTRIPLE{};
    const PIXELLAYOUT& L = PixelLayout;
    int w = std::min(W, bmp.nWidth), h = std::min(H, bmp.nHeight);
    for (int y = 0; y < h; ++y) {
      int dy = MirrorIndex(y, nMirrorH);
      if (dy >= H) break;
      for (int x = 0; x < w; ++x) {
        int dx = MirrorIndex(x, nMirrorW);
        if (dx >= W) break;
        uint32_t rgb = bmp.At(x, y);
        uint32_t r = (rgb >> 16) & 255, g = (rgb >> 8) & 255, b = rgb & 255;
        uint32_t px;
        if (r == key.rgbtRed && g == key.rgbtGreen && b == key.rgbtBlue) {
          px = dwTransmitPixel;
        } else {
          px = (b * uint32_t(L.nBMax) / 255) << L.nBShift | (g * uint32_t(L.nGMax) / 255) << L.nGShift |
               (r * uint32_t(L.nRMax) / 255) << L.nRShift;
          // Only real key pixels may come out transparent: step off the key.
          if (px == dwTransmitPixel) px = ((px >> L.nBShift) & uint32_t(L.nBMax)) == uint32_t(L.nBMax) ? px - 1 : px + 1;
        }
        s.SetPixel(dx, dy, px);
      }
    }
    s.UnlockRect();
  } else {
    // Drawn copy: whole picture, or every whole cell mirrored into place.
    int cw = nMirrorW > 0 ? nMirrorW : bmp.nWidth, ch = nMirrorH > 0 ? nMirrorH : bmp.nHeight;
    bool mirrored = nMirrorW > 0 || nMirrorH > 0;
    int w = std::min(W, bmp.nWidth), h = std::min(H, bmp.nHeight);
    auto convert = [&](int x, int y) -> uint32_t {
      uint32_t rgb = bmp.At(x, y);
      switch (s.Format()) {
        case DDFMT_X8R8G8B8: return rgb;
        case DDFMT_P8: return bmp.IsPalettised() ? bmp.IndexAt(x, y) : 0;
        default: return ArgbToFormat(s.Format(), 0xFF000000u | rgb);
      }
    };
    for (int y = 0; y < h; ++y) {
      if (mirrored && (y / ch + 1) * ch > bmp.nHeight) break;
      int dy = nMirrorH > 0 ? MirrorIndex(y, ch) : y;
      if (dy >= H) break;
      for (int x = 0; x < w; ++x) {
        if (mirrored && (x / cw + 1) * cw > bmp.nWidth) break;
        int dx = nMirrorW > 0 ? MirrorIndex(x, cw) : x;
        if (dx >= W) break;
        s.SetPixel(dx, dy, convert(x, y));
      }
    }
  }
  lpSD->nWidth = lpSD->nTexWidth = bmp.nWidth;
  lpSD->nHeight = lpSD->nTexHeight = bmp.nHeight;
  lpSD->nMirrorW = nMirrorW;
  lpSD->nMirrorH = nMirrorH;
  lpSD->strFile = file;
  if (bPaletteMap && nBpp != 8) return DDBuildPaletteMap(lpSD);
  lpSD->lpDD->PaletteMap.clear();
  lpSD->lpDD->nPaletteMapPitch = 0;
  return true;
}

int CreateFromFileD3D(DDSURFACEDATA* lpSD, const std::string& file, int bTransparent, int nBpp, int nDDMemory,
                      int nD3DType, int bAlias, int bPaletteMap, int nMirrorW, int nMirrorH, int bRestore) {
  DTDATA* dt = lpSD->lpDT;
  if (!bRestore) ResetD3DRecord(lpSD, "OffScreenFromFile", file, bTransparent, nD3DType, bAlias);
  cBitmapImage bmp;
  if (!LoadBmpFile(file, bmp)) {
    if (!file.empty()) WriteLog("LoadImage Err %s", file.c_str());
    return 8;
  }
  if (bAlias) {
    lpSD->nWidth = lpSD->nTexWidth = bmp.nWidth;
    lpSD->nHeight = lpSD->nTexHeight = bmp.nHeight;
  } else {
    int tw = bmp.nWidth, th = bmp.nHeight;
    DDAdjustTextureSize(&tw, &th);
    if (!DDCheckTextureSize(tw, th)) {
      // "上記の理由でテクスチャの描画が失敗する可能性があります。(%s)"
      WriteLog("\x8F\xE3\x8BL\x82\xCC\x97\x9D\x97R\x82\xC5\x83" "e\x83N\x83X\x83`\x83\x83\x82\xCC\x95`\x89\xE6\x82\xAA\x8E\xB8\x94s\x82\xB7\x82\xE9\x89\xC2\x94\x5C\x90\xAB\x82\xAA\x82\xA0\x82\xE8\x82\xDC\x82\xB7\x81" "B(%s)",
               file.c_str());
    }
    // The key applies to every file surface, transparent or not.
    const DDRGBTRIPLE& k = nBpp == 16 ? lpDTCon->rgbTransmit16 : lpDTCon->rgbTransmit;
    uint32_t key = 0xFF000000u | uint32_t(k.rgbtRed) << 16 | uint32_t(k.rgbtGreen) << 8 | k.rgbtBlue;
    if (dt->nMemoryType == DTMEMORYTYPE_VIDEO_NORT) {
      // "DDCreateSurfaceFromFile Err DTMEMORYTYPE_VIDEO_NORTの指定は未対応です。DTMEMORYTYPE_VIDEO_RTでテクスチャを作成します。"
      WriteDebugLog("DDCreateSurfaceFromFile Err DTMEMORYTYPE_VIDEO_NORT\x82\xCC\x8Ew\x92\xE8\x82\xCD\x96\xA2\x91\xCE\x89\x9E\x82\xC5\x82\xB7\x81" "BDTMEMORYTYPE_VIDEO_RT\x82\xC5\x83" "e\x83N\x83X\x83`\x83\x83\x82\xF0\x8D\xEC\x90\xAC\x82\xB5\x82\xDC\x82\xB7\x81" "B");
      dt->nMemoryType = DTMEMORYTYPE_VIDEO_RT;
    }
    bool created = false;
    DDFORMAT fmt = lpDTCon->TextureFormat;
    if (dt->nMemoryType == DTMEMORYTYPE_VIDEO_RT) {
      dt->bRenderTarget = 0;
      DDRESULT hr = lpDevice->CreateTexture(tw, th, 0, fmt, DDPOOL_MANAGED, &dt->lpTexture);
      if (hr == D3DERR_OUTOFVIDEOMEMORY) {
        // "VRAM不足のためシステムメモリにテクスチャを作成します。(%s)"
        WriteLog("VRAM\x95s\x91\xAB\x82\xCC\x82\xBD\x82\xDF\x83V\x83X\x83" "e\x83\x80\x83\x81\x83\x82\x83\x8A\x82\xC9\x83" "e\x83N\x83X\x83`\x83\x83\x82\xF0\x8D\xEC\x90\xAC\x82\xB5\x82\xDC\x82\xB7\x81" "B(%s)",
                 file.c_str());
        dt->nMemoryType = DTMEMORYTYPE_SYSTEM;
      } else if (hr != DD_OK) {
        // "テクスチャの作成に失敗。(%s)"
        WriteLog("\x83" "e\x83N\x83X\x83`\x83\x83\x82\xCC\x8D\xEC\x90\xAC\x82\xC9\x8E\xB8\x94s\x81" "B(%s)", file.c_str());
        return hr;
      } else {
        created = true;
      }
    }
    if (dt->nMemoryType == DTMEMORYTYPE_SYSTEM && (!bRestore || !dt->lpTexture)) {
      dt->bRenderTarget = 0;
      DDRESULT hr = lpDevice->CreateTexture(tw, th, DTUSAGE_DYNAMIC, fmt, DDPOOL_SYSTEMMEM, &dt->lpTexture);
      if (hr != DD_OK) {
        WriteLog("D3DXCreateTextureFromFileEx Err %x %s", static_cast<unsigned>(hr), file.c_str());
        DDTextureErrorBox();
        return hr;
      }
      created = true;
    }
    if (!dt->lpTexture || !dt->lpTexture->level0) return D3DERR_INVALIDCALL;
    cPixelSurface& level = *dt->lpTexture->level0;
    if (created && !FillTexture(level, bmp, key)) {
      WriteLog("LoadImage Err %s (loading stopped)", file.c_str());
      return 8;
    }
    dt->lpSurface = dt->lpTexture->level0;
    dt->Desc = {level.Format(), dt->lpTexture->usage, level.Pool(), level.Width(), level.Height()};
    lpSD->nWidth = bmp.nWidth;
    lpSD->nHeight = bmp.nHeight;
    lpSD->nTexWidth = level.Width();
    lpSD->nTexHeight = level.Height();
  }
  int result = 0;
  if ((nMirrorW || nMirrorH) && !bAlias) {
    DDSURFACEDATA temp;
    int r = CreateFromFileD3D((DDAllocSurfaceData(&temp), &temp), file, bTransparent, nBpp, nDDMemory, nD3DType, 0,
                              bPaletteMap, 0, 0, 0);
    if (r != 0 || !CreateMirror(lpSD, &temp, nMirrorW, nMirrorH)) {
      WriteLog("CreateMirror Err");
      result = 1;
    }
    DDReleaseSurface(&temp);
  }
  if (!bRestore && !bAlias) SurfaceList.push_back(lpSD);
  lpSD->nMirrorW = nMirrorW;
  lpSD->nMirrorH = nMirrorH;
  lpSD->nDDMemory = nDDMemory;
  if (bPaletteMap && nBpp != 8 && !bAlias) {
    DDBuildPaletteMap(lpSD);
  } else if (!bRestore) {
    // A restore passes no map request; the map it had stays valid.
    dt->PaletteMap.clear();
    dt->nPaletteMapPitch = 0;
  }
  return result;
}

}  // namespace

void DDAllocSurfaceData(DDSURFACEDATA* lpSD) {
  if (!lpSD) return;
  if (DDSettings.bUseD3D) {
    if (!lpSD->lpDT) lpSD->lpDT = new DTDATA;
  } else {
    if (!lpSD->lpDD) lpSD->lpDD = new DDDATA;
  }
}

bool DDCreateSurface(DDSURFACEDATA* lpSD, int width, int height, int bTransparent, int nDDMemory, int nD3DType,
                     int bAlias, int bRestore) {
  if (!lpSD) return false;
  DDAllocSurfaceData(lpSD);
  if (lpDTCon) {
    if (!lpDevice || !lpSD->lpDT) return false;
    return CreateEmptyD3D(lpSD, width, height, bTransparent, nDDMemory, nD3DType, bAlias, bRestore);
  }
  if (!lpSD->lpDD) return false;
  return CreateEmptyDD(lpSD, width, height, bTransparent, nDDMemory);
}

int DDCreateSurfaceFromFile(DDSURFACEDATA* lpSD, const std::string& file, int bTransparent, int nBpp, int nDDMemory,
                            int nD3DType, int bAlias, int bPaletteMap, int nMirrorW, int nMirrorH, int bRestore) {
  if (!lpSD) return 4;
  DDAllocSurfaceData(lpSD);
  if (lpDTCon) {
    if (!lpDevice || !lpSD->lpDT) return 4;
    return CreateFromFileD3D(lpSD, file, bTransparent, nBpp, nDDMemory, nD3DType, bAlias, bPaletteMap, nMirrorW,
                             nMirrorH, bRestore);
  }
  cBitmapImage bmp;
  if (!LoadBmpFile(file, bmp)) {
    WriteDebugLog("%s", file.c_str());
    return 8;
  }
  if (!DDCreateSurface(lpSD, bmp.nWidth, bmp.nHeight, bTransparent, nDDMemory, nD3DType, bAlias, 0)) return 4;
  lpSD->strName = std::string("OffScreenFromFile");
  if (!CopyBitmapImage(lpSD, bmp, file, nBpp, bPaletteMap, nMirrorW, nMirrorH)) return 8;
  lpSD->nMirrorW = nMirrorW;
  lpSD->nMirrorH = nMirrorH;
  lpSD->nWidth = lpSD->nTexWidth = bmp.nWidth;
  lpSD->nHeight = lpSD->nTexHeight = bmp.nHeight;
  lpSD->strFile = file;
  lpSD->nDDMemory = nDDMemory;
  return 0;
}

bool DDCheckResult(int code) {
  switch (code) {
    case 4: WriteDebugLog("CREATESURFACE_ERR"); return false;
    case 8: WriteDebugLog("LOADIMAGE_ERR"); return false;
    case 9: WriteDebugLog("SETCOLORKEY_ERR"); return false;
    default: return true;
  }
}

bool CopyBitmap(DDSURFACEDATA* lpSD, const std::string& file, int nBpp, int bPaletteMap, int nMirrorW, int nMirrorH) {
  if (lpDTCon || file.empty()) return true;
  if (!lpSD) return false;
  cBitmapImage bmp;
  if (!LoadBmpFile(file, bmp)) return false;
  return CopyBitmapImage(lpSD, bmp, file, nBpp, bPaletteMap, nMirrorW, nMirrorH);
}

bool CreateMirror(DDSURFACEDATA* lpDstSD, DDSURFACEDATA* lpSrcSD, int nMirrorW, int nMirrorH) {
  if (!(nMirrorW > 0 && nMirrorH == 0)) return true;
  if (!lpDstSD || !lpSrcSD) return false;
  if (DDSetRenderTarget(0, lpDstSD)) {
    lpDevice->Clear(nullptr, lpDTCon->argbTransparent);
    DDSetRenderTarget(0, lpDTCon->lpRestTarget);
  }
  for (int k = 0; k < lpSrcSD->nWidth / nMirrorW; ++k)
    DDBltStretch(lpDstSD, k * nMirrorW, 0, nMirrorW, lpSrcSD->nHeight, lpSrcSD, (k + 1) * nMirrorW, 0, -nMirrorW,
                 lpSrcSD->nHeight, 0);
  return true;
}

bool DDBuildPaletteMap(DDSURFACEDATA* lpSD) {
  cSurfaceLock lock;
  if (!lock.Lock(lpSD)) return false;
  DDSURFACEDATA* sd = lock.m_lpSD;
  const int w = std::min(sd->nWidth, sd->Pixels()->Width()), h = std::min(sd->nHeight, sd->Pixels()->Height());
  std::vector<uint8_t> map(static_cast<size_t>(lock.m_nPitch) * h, 0);
  std::unordered_map<uint32_t, uint8_t> found;
  bool d3d = lpDTCon != nullptr;
  bool transparent = d3d && sd->lpDT && sd->lpDT->bTransparent;
  auto lookup = [&](uint32_t px) -> uint8_t {
    auto it = found.find(px);
    if (it != found.end()) return it->second;
    uint8_t index = 0;
    for (int i = 0; i < 256; ++i) {
      const DDPALENTRY& e = PalTable[i];
      bool match;
      if (lock.m_nBytesPerPixel == 2 && d3d) {
        const PIXELLAYOUT& L = PixelLayout;
        uint32_t r = ((px >> L.nRShift) & L.nRMax) * 255 / L.nRMax, g = ((px >> L.nGShift) & L.nGMax) * 255 / L.nGMax,
                 b = ((px >> L.nBShift) & L.nBMax) * 255 / L.nBMax;
        match = e.peRed == r && e.peGreen == g && e.peBlue == b;
      } else if (lock.m_nBytesPerPixel == 2) {
        match = PackPalEntry16(e) == px;
      } else {
        match = e.peRed == ((px >> 16) & 255) && e.peGreen == ((px >> 8) & 255) && e.peBlue == (px & 255);
      }
      if (match) {
        index = static_cast<uint8_t>(i);
        break;
      }
    }
    found.emplace(px, index);
    return index;
  };
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const uint8_t* p = lock.Pixel(x, y);
      uint32_t px = 0;
      if (lock.m_nBytesPerPixel == 2) {
        px = uint32_t(p[0]) | uint32_t(p[1]) << 8;
      } else if (lock.m_nBytesPerPixel == 4) {
        px = uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
      } else {
        continue;
      }
      map[static_cast<size_t>(y) * lock.m_nPitch + x] = (transparent && px == 0) ? 0 : lookup(px);
    }
  if (sd->lpDT) {
    sd->lpDT->PaletteMap = std::move(map);
    sd->lpDT->nPaletteMapPitch = lock.m_nPitch;
  } else if (sd->lpDD) {
    sd->lpDD->PaletteMap = std::move(map);
    sd->lpDD->nPaletteMapPitch = lock.m_nPitch;
  }
  return true;
}

bool DDLoadBitmaps(DDSURFACEDATA* lpSurfaceTable, const int* indices, int count) {
  if (!lpSurfaceTable || !DDSettings.lpBitmapTable) return false;
  for (int k = 0; k < count; ++k) {
    int i = indices[k];
    if (i < 0 || i >= DDSettings.nSurfaceCount) {
      WriteLog("DDLoadBitmaps Err %d", i);
      return false;
    }
    DDSURFACEDATA* sd = &lpSurfaceTable[i];
    DDReleaseSurface(sd);
    const DDBITMAPDATA& bd = DDSettings.lpBitmapTable[i];
    if (bd.strFile == "E") {
      if (!DDCreateSurface(sd, bd.nWidth, bd.nHeight, bd.bTransparent, bd.nDDMemory, bd.nD3DType, bd.bAlias, 0) &&
          !bd.bOptional) {
        OutOfMemoryExit();
        return false;
      }
    } else {
      int r = DDCreateSurfaceFromFile(sd, bd.strFile, bd.bTransparent, DDSettings.nBpp, bd.nDDMemory, bd.nD3DType,
                                      bd.bAlias, bd.bPaletteMap, bd.nMirrorW, bd.nMirrorH, 0);
      if (!DDCheckResult(r) && !bd.bOptional) {
        // "%s の読み込みに失敗！"
        ErrorBox("%s \x82\xCC\x93\xC7\x82\xDD\x8D\x9E\x82\xDD\x82\xC9\x8E\xB8\x94s\x81I", bd.strFile.c_str());
        return false;
      }
    }
  }
  return true;
}

namespace {
DDBITMAPDATA ListDescriptor(int bTransparent, int nDDMemory, int nD3DType, int bAlias) {
  DDBITMAPDATA bd;
  bd.bTransparent = bTransparent;
  bd.nDDMemory = nDDMemory;
  bd.nD3DType = nD3DType;
  bd.bAlias = bAlias;
  return bd;
}
}  // namespace

bool DDAddSurface(cVector<DDSURFACEDATA>& surfaces, cVector<DDBITMAPDATA>& bitmaps, int width, int height,
                  int bTransparent, int nDDMemory, int nD3DType, int bAlias) {
  // Growing the vector moves its records; the restore list and the aliases
  // must follow them, or they would point at freed memory.
  uintptr_t oldBegin = reinterpret_cast<uintptr_t>(surfaces.data());
  uintptr_t oldEnd = oldBegin + surfaces.size() * sizeof(DDSURFACEDATA);
  surfaces.push_back(DDSURFACEDATA{});
  bitmaps.push_back(ListDescriptor(bTransparent, nDDMemory, nD3DType, bAlias));
  uintptr_t newBegin = reinterpret_cast<uintptr_t>(surfaces.data());
  if (oldBegin != newBegin && oldEnd != oldBegin) {
    auto follow = [&](DDSURFACEDATA*& p) {
      uintptr_t a = reinterpret_cast<uintptr_t>(p);
      if (a >= oldBegin && a < oldEnd) p = reinterpret_cast<DDSURFACEDATA*>(newBegin + (a - oldBegin));
    };
    for (DDSURFACEDATA*& p : SurfaceList) follow(p);
    for (DDSURFACEDATA& sd : surfaces)
      if (sd.lpAlias) follow(sd.lpAlias);
  }
  return DDCreateSurface(&surfaces.back(), width, height, bTransparent, nDDMemory, nD3DType, bAlias, 0);
}

bool DDAddSurfaceList(cList<DDSURFACEDATA>& surfaces, cList<DDBITMAPDATA>& bitmaps, int width, int height,
                      int bTransparent, int nDDMemory, int nD3DType, int bAlias) {
  surfaces.push_back(DDSURFACEDATA{});
  bitmaps.push_back(ListDescriptor(bTransparent, nDDMemory, nD3DType, bAlias));
  return DDCreateSurface(&surfaces.back(), width, height, bTransparent, nDDMemory, nD3DType, bAlias, 0);
}

bool DDInsertSurfaceList(cList<DDSURFACEDATA>& surfaces, cList<DDBITMAPDATA>& bitmaps, int index, int width,
                         int height, int bTransparent, int nDDMemory, int nD3DType, int bAlias) {
  if (index < 0) index = 0;
  if (static_cast<size_t>(index) >= surfaces.size())
    return DDAddSurfaceList(surfaces, bitmaps, width, height, bTransparent, nDDMemory, nD3DType, bAlias);
  auto it = surfaces.begin();
  std::advance(it, index);
  surfaces.insert(it, DDSURFACEDATA{});
  auto bit = bitmaps.begin();
  std::advance(bit, std::min(static_cast<size_t>(index), bitmaps.size()));
  bitmaps.insert(bit, ListDescriptor(bTransparent, nDDMemory, nD3DType, bAlias));
  return DDCreateSurface(&surfaces.At(index), width, height, bTransparent, nDDMemory, nD3DType, bAlias, 0);
}

int DDRemoveSurfaceList(cList<DDSURFACEDATA>& surfaces, cList<DDBITMAPDATA>& bitmaps, DDSURFACEDATA* lpSD) {
  size_t p = 0;
  for (auto it = surfaces.begin(); it != surfaces.end(); ++it, ++p) {
    if (&*it != lpSD) continue;
    DDReleaseSurface(lpSD);
    surfaces.erase(it);
    if (p < bitmaps.size()) {
      auto bit = bitmaps.begin();
      std::advance(bit, p);
      bitmaps.erase(bit);
    }
    return 1;
  }
  return 0;
}

void DDReleaseSurface(DDSURFACEDATA* lpSD) {
  if (!lpSD) return;
  if (lpSD->lpDT) {
    if (!lpSD->lpAlias) {
      DTDATA* dt = lpSD->lpDT;
      dt->lpTexture.reset();
      dt->lpSystemSurface.reset();
      dt->lpSurface.reset();
      int id = dt->nSurfaceId;
      SurfaceList.remove_if([&](DDSURFACEDATA* p) { return p == lpSD || (p && p->lpDT && p->lpDT->nSurfaceId == id); });
    }
    delete lpSD->lpDT;
    lpSD->lpDT = nullptr;
  }
  if (lpSD->lpDD) {
    delete lpSD->lpDD;
    lpSD->lpDD = nullptr;
  }
}

void DDReleaseSurfaces(cVector<DDSURFACEDATA>& surfaces) {
  for (int i = 0; static_cast<size_t>(i) < surfaces.size(); ++i) DDReleaseSurface(&surfaces.At(i));
}

void DDReleaseSurfaceList(cList<DDSURFACEDATA>& surfaces) {
  for (DDSURFACEDATA& sd : surfaces) DDReleaseSurface(&sd);
}

int DDIsBitmapLarger(int* pLarger, const std::string& file, int width, int height) {
  if (lpDTCon) return 1;
  cBitmapImage bmp;
  if (!LoadBmpFile(file, bmp)) {
    if (pLarger) *pLarger = 0;
    return 0;
  }
  if (pLarger) *pLarger = (bmp.nWidth > width || bmp.nHeight > height) ? 1 : 0;
  return 1;
}
