// Palette loading, the transparent colour, palette blending and rotation.
#include "media/graphics/Palette.h"

#include <algorithm>

#include "base/Log.h"
#include "media/graphics/Bmp.h"

namespace {

// The palette bitmap loaded into a scratch surface the way the library loads
// pictures (screen depth, system memory, opaque).
bool LoadScratch(DDSURFACEDATA& temp, const std::string& file) {
  return DDCreateSurfaceFromFile(&temp, file, 0, DDSettings.nBpp, 1, DTMEMORYTYPE_SYSTEM, 0, 0, 0, 0, 0) == 0;
}

uint8_t Byte(uint32_t v, int k) { return static_cast<uint8_t>(v >> (8 * k)); }

// Field f of a channel with largest value max, widened to 0-255.
uint8_t Widen(uint32_t f, int32_t max) { return max > 0 ? static_cast<uint8_t>(f * 255u / uint32_t(max)) : 0; }

bool ValidRange(int first, int last) { return first >= 0 && last <= 255 && first <= last; }

}  // namespace

int DDSetPalette_UnPal(DDPALENTRY* lpPalette, DDSURFACEDATA* lpSD) {
  if (!lpPalette) return 0;
  cSurfaceLock lock;
  if (!lock.Lock(lpSD)) {
    WriteDebugLog("DDSetPalette_UnPal Lock Err");
    return 0;
  }
  const cPixelSurface* px = lock.m_lpSD->Pixels();
  const int W = std::min(lock.m_nPitch, lock.m_lpSD->nWidth);
  const int H = std::min(px ? px->Height() : 0, lock.m_lpSD->nHeight);
  const PIXELLAYOUT& L = PixelLayout;
  // Only the part of the block that lies on the picture is read.
  for (int row = 0; row < 16 && 8 + row < H; ++row) {
    for (int col = 0; col < 16 && col < W; ++col) {
      const uint8_t* p = lock.Pixel(col, 8 + row);
      DDPALENTRY& e = lpPalette[16 * row + col];
      if (lock.m_nBytesPerPixel == 2) {
        uint32_t v = uint32_t(p[0]) | uint32_t(p[1]) << 8;
        auto field = [v](int32_t shift, int32_t max) { return (v >> shift) & uint32_t(max); };
        if (lpDTCon) {
          if (L.nAMax == 0 || field(L.nAShift, L.nAMax) == 0) continue;
          e.peRed = Widen(field(L.nRShift, L.nRMax), L.nRMax);
          e.peGreen = Widen(field(L.nGShift, L.nGMax), L.nGMax);
          e.peBlue = Widen(field(L.nBShift, L.nBMax), L.nBMax);
        } else {
          e.peRed = static_cast<uint8_t>(field(L.nRShift, L.nRMax));
          e.peGreen = static_cast<uint8_t>(field(L.nGShift, L.nGMax));
          e.peBlue = static_cast<uint8_t>(field(L.nBShift, L.nBMax));
        }
      } else if (lock.m_nBytesPerPixel == 4) {
        if (lpDTCon && p[3] == 0) continue;
        e = {p[2], p[1], p[0], p[3]};
      }
    }
  }
  lock.Unlock();
  return 1;
}

bool DDLoadPaletteFromFile(DDPALENTRY* lpPalette, const std::string& file, int) {
  if (!lpPalette) return false;
  cBitmapImage bmp;
  if (!LoadBmpFile(file, bmp)) return false;
  const bool table = bmp.nBitCount == 8;
  if (lpDTCon && table) {
    for (int i = 0; i < 256; ++i)
      lpPalette[i] = {Byte(bmp.Palette[i], 2), Byte(bmp.Palette[i], 1), Byte(bmp.Palette[i], 0), 255};
  }
  if (!lpDTCon && DDSettings.nBpp == 8) {
    if (table) {
      for (int i = 0; i < 256; ++i) {
        uint8_t flags = (i >= 10 && i <= 245) ? 1 : 2;
        lpPalette[i] = {Byte(bmp.Palette[i], 2), Byte(bmp.Palette[i], 1), Byte(bmp.Palette[i], 0), flags};
      }
      if (lpDDPalette) lpDDPalette->SetEntries(0, 256, lpPalette);
    }
    return true;
  }
  if (DDSettings.nBpp == 16 || DDSettings.nBpp == 24 || DDSettings.nBpp == 32) {
    // Under Direct3D the colour table came first: entries the picture leaves
    // out (transparent pixels) keep those colours.
    DDSURFACEDATA temp;
    if (LoadScratch(temp, file)) DDSetPalette_UnPal(lpPalette, &temp);
    DDReleaseSurface(&temp);
  }
  return true;
}

// ---------------------------------------------------------------- transparent colour

void DDSetTransmit(uint8_t cbRed, uint8_t cbGreen, uint8_t cbBlue) {
  const int bpp = DDSettings.nBpp;
  if (lpDTCon) {
    lpDTCon->rgbTransmit = {cbBlue, cbGreen, cbRed};
    WriteDebugLog("SetTrans lpDTCon->rgbTransmit.rgbtRed = %d,lpDTCon->rgbTransmit.rgbtGreen = %d,"
                  "lpDTCon->rgbTransmit.rgbtBlue = %d",
                  cbRed, cbGreen, cbBlue);
    if (bpp != 16 && bpp != 32) return;
    const uint32_t rgb = uint32_t(cbRed) << 16 | uint32_t(cbGreen) << 8 | cbBlue;
    lpDTCon->argbTransparent = 0;
    lpDTCon->argbTransmit = 0xFF000000u | rgb;
    lpDTCon->wTransmit_16 = 0;
    if (bpp == 32) {
      lpDTCon->wTransmitOpaque16 = 0;
      dwTransmitPixel = 0;
    } else {
      // Every form of the key derives from this one 8-bit colour: the clear
      // colour, the texel with the alpha bit, and the key of 16-bit file
      // textures. (Taking the bytes as 5-bit fields would make the
      // render-target clear colour a near-black.)
      lpDTCon->rgbTransmit16 = lpDTCon->rgbTransmit;
      lpDTCon->wTransmitOpaque16 = static_cast<uint16_t>(ArgbToFormat(DDFMT_A1R5G5B5, 0xFF000000u | rgb));
      dwTransmitPixel = lpDTCon->wTransmitOpaque16;
    }
    return;
  }
  const PIXELLAYOUT& L = PixelLayout;
  if (bpp == 32) {
    dwTransmitPixel = uint32_t(cbRed) << 16 | uint32_t(cbGreen) << 8 | cbBlue;
    if (lpDDCon) lpDDCon->rgbTransmit = {cbBlue, cbGreen, cbRed};
  } else if (bpp == 16) {
    dwTransmitPixel = (uint32_t(cbBlue) * uint32_t(L.nBMax) / 255) << L.nBShift |
                      (uint32_t(cbGreen) * uint32_t(L.nGMax) / 255) << L.nGShift |
                      (uint32_t(cbRed) * uint32_t(L.nRMax) / 255) << L.nRShift;
    // "※16bit色で　DDSetTransmit(BYTE cbRed,BYTE cbGreen,BYTE cbBlue)　は未対応！"
    WriteDebugLog("\x81\xA6" "16bit\x90\x46\x82\xC5\x81\x40" "DDSetTransmit(BYTE cbRed,BYTE cbGreen,BYTE cbBlue)"
                  "\x81\x40\x82\xCD\x96\xA2\x91\xCE\x89\x9E\x81\x49");
    auto field = [](uint32_t v, int32_t shift, int32_t max) { return int((v >> shift) & uint32_t(max)); };
    auto wide = [](int f, int32_t max) { return max > 0 ? f * 255 / max : 0; };
    DebugErrorBox("Tr %d RGB32(%d,%d,%d) -> RGB16(%d,%d,%d)", static_cast<int>(dwTransmitPixel), cbRed, cbGreen,
                  cbBlue, wide(field(dwTransmitPixel, L.nRShift, L.nRMax), L.nRMax),
                  wide(field(dwTransmitPixel, L.nGShift, L.nGMax), L.nGMax),
                  wide(field(dwTransmitPixel, L.nBShift, L.nBMax), L.nBMax));
  }
}

int DDSetTransmit(const std::string& file) {
  DDSURFACEDATA temp;
  if (!LoadScratch(temp, file)) {
    // "%s 作成失敗！"
    WriteDebugLog("%s \x8D\xEC\x90\xAC\x8E\xB8\x94\x73\x81\x49", file.c_str());
    DDReleaseSurface(&temp);
    return 0;
  }
  cSurfaceLock lock;
  if (!lock.Lock(&temp) || lock.m_lpSD->nWidth < 1 || lock.m_lpSD->nHeight < 1) {
    // "Lock 失敗！"
    WriteDebugLog("Lock \x8E\xB8\x94\x73\x81\x49");
    lock.Unlock();
    DDReleaseSurface(&temp);
    return 0;
  }
  const uint8_t* p = lock.Pixel(0, 0);
  uint32_t first = 0;
  for (int k = 0; k < lock.m_nBytesPerPixel; ++k) first |= uint32_t(p[k]) << (8 * k);
  if (lpDTCon) {
    lock.Unlock();
    if (DDSettings.nBpp == 16) {
      // The texture's texel lost precision (and is black when it matched the
      // old key); the key is taken from the picture's own 8-bit colour.
      cBitmapImage bmp;
      if (LoadBmpFile(file, bmp) && bmp.nWidth > 0 && bmp.nHeight > 0) {
        uint32_t rgb = bmp.At(0, 0);
        DDSetTransmit(Byte(rgb, 2), Byte(rgb, 1), Byte(rgb, 0));
      }
      WriteDebugLog("SetTrans(filename) lpDTCon->wTransmit_16 = (%x)", static_cast<unsigned>(dwTransmitPixel));
    } else {
      DDSetTransmit(Byte(first, 2), Byte(first, 1), Byte(first, 0));
    }
  } else {
    dwTransmitPixel = first;
    if (lock.m_nBytesPerPixel == 4 && lpDDCon) lpDDCon->rgbTransmit = {Byte(first, 0), Byte(first, 1), Byte(first, 2)};
    lock.Unlock();
  }
  DDReleaseSurface(&temp);
  return 1;
}

// ---------------------------------------------------------------- blend and rotate

void DDBlendPalette(DDPALENTRY* lpDstPal, int first, int last, int nWeight, int r, int g, int b,
                    const DDPALENTRY* lpSrcPal) {
  if (!lpDstPal || !lpSrcPal || !ValidRange(first, last)) return;
  const int w = std::clamp(nWeight, 0, 256);
  auto mix = [w](int s, int c) { return static_cast<uint8_t>((s * w + c * (256 - w)) >> 8); };
  for (int i = first; i <= last; ++i) {
    const DDPALENTRY s = lpSrcPal[i];
    lpDstPal[i] = {mix(s.peRed, r & 255), mix(s.peGreen, g & 255), mix(s.peBlue, b & 255), 1};
  }
}

void DDRotatePalette(DDPALENTRY* lpDstPal, int first, int last, int n, int nDirection, const DDPALENTRY* lpSrcPal) {
  const int bpp = DDSettings.nBpp;
  if (!lpDstPal || !lpSrcPal || (bpp != 8 && bpp != 16 && bpp != 32)) return;
  if (lpDstPal != lpSrcPal) std::copy(lpSrcPal, lpSrcPal + 256, lpDstPal);
  if (!ValidRange(first, last) || (nDirection != 0 && nDirection != 1)) return;
  const int len = last - first + 1;
  int shift = n % len;
  if (shift < 0) shift += len;
  if (nDirection == 1) shift = (len - shift) % len;
  if (shift == 0) return;
  DDPALENTRY tmp[256];
  for (int i = 0; i < len; ++i) tmp[(i + shift) % len] = lpSrcPal[first + i];
  std::copy(tmp, tmp + len, lpDstPal + first);
}

uint16_t DDPalToRGB16(const DDPALENTRY* lpEntry) {
  if (lpDTCon) {
    // "DDPalToRGB16はDirect3Dでは未対応"
    WriteDebugLog("DDPalToRGB16\x82\xCD" "Direct3D\x82\xC5\x82\xCD\x96\xA2\x91\xCE\x89\x9E");
    return 0;
  }
  return lpEntry ? static_cast<uint16_t>(PackPalEntry16(*lpEntry)) : 0;
}
