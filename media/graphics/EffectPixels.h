#pragma once
// The locked-pixel loops of the effect kernels over plain pixel views. The DD*
// kernels lock their surfaces, describe the locked memory as views and the
// current mode as PixelRules, and run these; tests run them on small buffers
// in every mode.
#include <cstdint>
#include <cstddef>
#include <cstring>

#include "media/graphics/EffectMath.h"

// Locked pixels: pitch in pixels, 1, 2 or 4 bytes per pixel.
struct PixelView {
  uint8_t* bits = nullptr;
  int pitch = 0;
  int bytesPerPixel = 4;
  int width = 0, height = 0;

  bool Inside(int x, int y) const { return x >= 0 && y >= 0 && x < width && y < height; }
  uint8_t* At(int x, int y) const {
    return bits + (static_cast<ptrdiff_t>(y) * pitch + x) * bytesPerPixel;
  }
  uint32_t Get(int x, int y) const {
    const uint8_t* p = At(x, y);
    if (bytesPerPixel == 1) return *p;
    if (bytesPerPixel == 2) {
      uint16_t v;
      std::memcpy(&v, p, 2);
      return v;
    }
    uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
  }
  void Set(int x, int y, uint32_t v) const {
    uint8_t* p = At(x, y);
    if (bytesPerPixel == 1) {
      *p = static_cast<uint8_t>(v);
    } else if (bytesPerPixel == 2) {
      const uint16_t w = static_cast<uint16_t>(v);
      std::memcpy(p, &w, 2);
    } else {
      std::memcpy(p, &v, 4);
    }
  }
};

// The transparent flag counts only when it is 1.
inline bool FlagOn(int bTransparent) { return bTransparent == 1; }

// Box blur over 2rx x 2ry source pixels (the window runs from -r to r - 1),
// clipped to the w x h rectangle and to the source surface.
void BlurPixels(const PixelView& dst, int x, int y, int w, int h, int rx, int ry, const PixelView& src, int sx, int sy,
                int bTransparent, const PixelRules& rules);
// The same blur summing every window directly: the definition BlurPixels
// keeps, and what it runs when source and destination share memory.
void BlurPixelsDirect(const PixelView& dst, int x, int y, int w, int h, int rx, int ry, const PixelView& src, int sx,
                      int sy, int bTransparent, const PixelRules& rules);

// Cells of n x n pixels of one colour; n <= 0 draws nothing.
void MosaicPixels(const PixelView& dst, int x, int y, int w, int h, int n, const PixelView& src, int sx, int sy,
                  int bTransparent, const PixelRules& rules);

// The spherical lens; the caller has checked LensPrepare.
void LensPixels(const PixelView& dst, int cx, int cy, int R, int d, int64_t S, const PixelView& src, int scx, int scy,
                int bTransparent, int bClear, const PixelRules& rules);

// The rotation's pixel path.
void RotatePixels(const PixelView& dst, int cx, int cy, int w, int h, int px, int py, int angle, const PixelView& src,
                  int sx, int sy, int bTransparent, const PixelRules& rules);

// The locked colour scale: n halvings toward palette entry (palR, palG, palB)
// (8 bpp: toward index target through the blend table).
void ColorScalePixels(const PixelView& dst, int x, int y, int w, int h, const PixelView& src, int sx, int sy,
                      int bTransparent, int palR, int palG, int palB, const uint8_t* table, int target, int n,
                      const PixelRules& rules);

// The locked blend: always half and half.
void BlendPixels(const PixelView& dst, int x, int y, int w, int h, const PixelView& src, int sx, int sy,
                 int bTransparent, const uint8_t* table, const PixelRules& rules);
