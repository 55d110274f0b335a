#pragma once
// The arithmetic of the raster, pixel and blend kernels, kept apart from the
// surfaces so that every rule (offset tables, fixed-point rotation, weights,
// the per-mode pixel rules) can be checked on its own. The kernels in
// Effect*.cpp, Raster*.cpp and Blend*.cpp run these over locked pixels or turn
// them into blits.
#include <algorithm>
#include <cmath>
#include <cstdint>

#include "media/graphics/DDDevice.h"

// The wave uses pi / 180; the rotation was built with a slightly smaller
// constant. Both are kept so pictures turn exactly as they always did.
constexpr double kWaveDegree = 0.017453292519943295;
constexpr double kRotateDegree = 0.017453292519943278;

// One same-size copy: destination rectangle (x, y, w, h) from source corner (sx, sy).
struct RasterBlt {
  int x, y, w, h, sx, sy;
  bool operator==(const RasterBlt&) const = default;
};

// ------------------------------------------------------------------ wave

// Rows (or columns, vertical) shifted by amplitude * sin((phase + A) * waves deg),
// the accumulator A stepping by 360 / lines (times band) before each use.
// band <= 0 or an empty rectangle emits nothing.
template <class Emit>
void ForEachWaveBlit(int x, int y, int w, int h, int waves, double amplitude, int phase, int band, int sx, int sy,
                     bool vertical, Emit&& emit) {
  const int lines = vertical ? w : h;
  if (band <= 0 || lines <= 0) return;
  const double k = waves * kWaveDegree;
  double step = 360.0 / lines;
  if (band > 1) step *= band;
  double acc = 0.0;
  auto offset = [&] {
    acc += step;
    return static_cast<int>(std::trunc(amplitude * std::sin((phase + acc) * k)));
  };
  if (band == 1) {
    for (int i = 0; i < lines; ++i) {
      int off = offset();
      if (vertical)
        emit(RasterBlt{x + i, y + off, 1, h, sx + i, sy});
      else
        emit(RasterBlt{x + off, y + i, w, 1, sx, sy + i});
    }
    return;
  }
  for (int done = 0; done < lines; done += band) {
    int off = offset();
    int size = band + done > lines ? lines - done : band;
    if (vertical)
      emit(RasterBlt{x + done, y + off, size, h, sx + done, sy});
    else
      emit(RasterBlt{x + off, y + done, w, size, sx, sy + done});
  }
}

// ----------------------------------------------------------------- split

// Alternate bands pushed apart: odd bands by -shift, even bands by +shift,
// odd ones first. The pixels after the last whole band are not drawn.
// band must not be 0 (that is one plain copy, done by the caller).
template <class Emit>
void ForEachSplitBlit(int x, int y, int w, int h, int band, int shift, int sx, int sy, bool vertical, Emit&& emit) {
  if (band <= 0) return;
  const int n = (vertical ? w : h) / band;
  auto put = [&](int start, int displacement) {
    if (vertical)
      emit(RasterBlt{x + start, y + displacement, band, h, sx + start, sy});
    else
      emit(RasterBlt{x + displacement, y + start, w, band, sx, sy + start});
  };
  for (int j = 0; j < n / 2; ++j) put(band + 2 * j * band, -shift);
  for (int j = 0; j < (n + 1) / 2; ++j) put(2 * j * band, shift);
}

// ----------------------------------------------------------------- burst

template <class Emit>
void ForEachBurstBlit(int x, int y, int w, int h, int sx, int sy, int d, Emit&& emit) {
  const int hw = w >> 1, hh = h >> 1;
  emit(RasterBlt{x - d, y - d, hw, hh, sx, sy});
  emit(RasterBlt{x + hw + d, y - d, hw, hh, sx + hw, sy});
  emit(RasterBlt{x - d, y + hh + d, hw, hh, sx, sy + hh});
  emit(RasterBlt{x + hw + d, y + hh + d, hw, hh, sx + hw, sy + hh});
}

// ------------------------------------------------------------------ turn

// Offset of the squeezed picture and whether the back picture shows, for a
// picture `length` pixels wide (or high). length < 2 gives valid = false: the
// half length is a divisor, so such a picture cannot turn and draws nothing.
struct TurnStep {
  bool valid;
  int offset;
  bool back;
};
TurnStep TurnOffset(int phase, int length);

// ---------------------------------------------------------------- circle

// The strips of a circle of radius r (rows of height step) clipped to the half
// extents hw, hh around the centre and to the source columns. Each strip is a
// same-size copy; widths may come out 0 or negative (the blit then draws nothing).
// r <= 0 or step <= 0 emits nothing.
// floor(sqrt(r^2 - row^2)), one less when that reaches r (only the middle row),
// 0 for a row outside the circle.
int CircleHalfWidth(int r, int64_t row);

template <class Emit>
void ForEachCircleStrip(int cx, int cy, int hw, int hh, int r, int step, int scx, int scy, int srcWidth,
                        Emit&& emit) {
  if (r <= 0 || step <= 0) return;
  const int left = scx - hw > 0 ? scx - hw : 0;
  const int right = scx + hw < srcWidth ? scx + hw : srcWidth;
  auto strip = [&](int row, int c, int height) {
    int s = scx - c, d = cx - c, width = 2 * c;
    if (s < left) {
      width -= left - s;
      d += left - s;
      s = left;
    }
    if (s + width >= right) width = right - s;
    emit(RasterBlt{d, cy + row, width, height, s, scy + row});
  };
  if (step == 1) {
    for (int i = r - 1; i >= -r; --i) {
      if (i >= hh) continue;
      if (i < -hh) break;
      strip(i, CircleHalfWidth(r, i), 1);
    }
    return;
  }
  for (int b = r - step; b >= -r; b -= step) {
    if (b >= hh) continue;
    if (b + step <= -hh) break;
    if (b + step > hh)
      b = hh - step;
    else if (b < -hh)
      b = -hh;
    strip(b, CircleHalfWidth(r, int64_t(b) + (step >> 1)), step);
  }
}

// ---------------------------------------------------------------- rotate

// 10-bit fixed-point sine and cosine of the angle and of its negative.
struct RotateFixed {
  int32_t S, C, Sinv, Cinv;
};
RotateFixed RotateCoefficients(int angle);

// The rotated source rectangle's bounding box relative to the pivot frame,
// widened by 2 on every side: loop Y in [y0, y1) and X in [x0, x1).
struct RotateBox {
  int x0, x1, y0, y1;
};
RotateBox RotateBounds(int w, int h, int px, int py, const RotateFixed& f);

// Arithmetic shift right by 10 (rounds toward minus infinity).
inline int64_t Fixed10(int64_t v) { return v >> 10; }

// Source position (u, v) inside the w x h rectangle that lands on box point (X, Y).
inline void RotateSource(int X, int Y, int px, int py, const RotateFixed& f, int* u, int* v) {
  const int64_t dx = int64_t(X) - px, dy = int64_t(Y) - py;
  *u = static_cast<int>(Fixed10(dx * f.Cinv - dy * f.Sinv) + px);
  *v = static_cast<int>(Fixed10(dy * f.Cinv + dx * f.Sinv) + py);
}

// The pixel path of the rotation: every destination pixel of the widened box
// that lies on the destination (dstW x dstH) and whose source lies inside the
// w x h rectangle and the source surface (srcW x srcH) is passed to
// emit(destX, destY, srcX, srcY). The products advance by additions along a row.
template <class Emit>
void ForEachRotatedPixel(int cx, int cy, int w, int h, int px, int py, const RotateFixed& f, int dstW, int dstH,
                         int sx, int sy, int srcW, int srcH, Emit&& emit) {
  const RotateBox box = RotateBounds(w, h, px, py, f);
  // Destination column cx + X - px must lie in [0, dstW).
  const int64_t xLo = std::max<int64_t>(box.x0, int64_t(px) - cx);
  const int64_t xHi = std::min<int64_t>(box.x1, int64_t(dstW) - cx + px);
  const int64_t yLo = std::max<int64_t>(box.y0, int64_t(py) - cy);
  const int64_t yHi = std::min<int64_t>(box.y1, int64_t(dstH) - cy + py);
  for (int64_t Y = yLo; Y < yHi; ++Y) {
    const int64_t dy = Y - py;
    int64_t uNum = (xLo - px) * f.Cinv - dy * f.Sinv;
    int64_t vNum = dy * f.Cinv + (xLo - px) * f.Sinv;
    const int destY = static_cast<int>(cy + dy);
    for (int64_t X = xLo; X < xHi; ++X, uNum += f.Cinv, vNum += f.Sinv) {
      const int64_t u = Fixed10(uNum) + px, v = Fixed10(vNum) + py;
      if (u < 0 || u >= w || v < 0 || v >= h) continue;
      const int64_t srcX = sx + u, srcY = sy + v;
      // The source corner may be negative; never read before the surface either.
      if (srcX < 0 || srcY < 0 || srcX >= srcW || srcY >= srcH) continue;
      emit(static_cast<int>(cx + (X - px)), destY, static_cast<int>(srcX), static_cast<int>(srcY));
    }
  }
}

// The quad path's four vertex positions (top-left, bottom-left, top-right,
// bottom-right) in single precision.
struct QuadPositions {
  float x[4], y[4];
};
QuadPositions RotateQuadPositions(int cx, int cy, int w, int h, int px, int py, int angle);

// ----------------------------------------------------------- pixel rules

// The library's channel layout (PixelLayout, BackBufferLayout).
using EffectLayout = PIXELLAYOUT;

// How the locked kernels read, test and write pixels in one mode
// (personality x depth), with the destination's back-buffer status.
struct PixelRules {
  bool bD3D = false;
  int nBpp = 32;
  EffectLayout layout{};      // PixelLayout
  EffectLayout backLayout{};  // BackBufferLayout
  uint32_t transmit = 0;      // dwTransmitPixel
  bool fullScreenBack = false;

  // Transparency of a source pixel by the mode's rule (callers apply the flag).
  bool IsTransparent(uint32_t p) const {
    if (!bD3D) return p == transmit;
    if (nBpp == 16) return (p & 0xA000u) == 0;
    return (p >> 24) == 0;
  }
  // Source channels: PixelLayout fields at 16 bpp, bytes 2, 1, 0 at 32 bpp.
  void Read(uint32_t p, int* r, int* g, int* b) const {
    if (nBpp == 16) {
      *r = static_cast<int>((p >> layout.nRShift) & uint32_t(layout.nRMax));
      *g = static_cast<int>((p >> layout.nGShift) & uint32_t(layout.nGMax));
      *b = static_cast<int>((p >> layout.nBShift) & uint32_t(layout.nBMax));
    } else {
      *r = static_cast<int>((p >> 16) & 255);
      *g = static_cast<int>((p >> 8) & 255);
      *b = static_cast<int>(p & 255);
    }
  }
  // A colour in the PixelLayout range written into the destination; `old` is
  // the destination pixel (DirectDraw keeps its fourth byte).
  uint32_t Compose(int r, int g, int b, uint32_t old) const {
    if (nBpp == 16) {
      if (bD3D && fullScreenBack)
        return uint32_t(r) << backLayout.nRShift | uint32_t(2 * g) << backLayout.nGShift |
               uint32_t(b) << backLayout.nBShift;
      uint32_t v = (uint32_t(r) & uint32_t(layout.nRMax)) << layout.nRShift |
                   (uint32_t(g) & uint32_t(layout.nGMax)) << layout.nGShift |
                   (uint32_t(b) & uint32_t(layout.nBMax)) << layout.nBShift;
      if (bD3D) v |= (uint32_t(layout.nAMax) & 1u) << layout.nAShift;
      return v;
    }
    uint32_t rgb = (uint32_t(r) & 255u) << 16 | (uint32_t(g) & 255u) << 8 | (uint32_t(b) & 255u);
    return bD3D ? 0xFF000000u | rgb : (old & 0xFF000000u) | rgb;
  }
  // A whole source pixel copied raw, converted for the full-screen back buffer at 16 bpp.
  uint32_t Convert(uint32_t p) const {
    if (bD3D && nBpp == 16 && fullScreenBack) {
      int r, g, b;
      Read(p, &r, &g, &b);
      return Compose(r, g, b, 0);
    }
    return p;
  }
};

// ------------------------------------------------------- colour scaling

// Channel field <-> 0..255 by the integer rules of the 16-bit DirectDraw paths.
inline int ScaleTo255(int c, int mask) { return mask > 0 ? c * 255 / mask : 0; }
inline int ScaleFrom255(int v, int mask) { return v * mask / 255; }

// The quad path's alpha of the texture against the target colour for n halvings.
int ColorScaleQuadAlpha(int n);
// The locked Direct3D path's weight of the pixel for n halvings.
int ColorScaleLockedWeight(int n);

// The per-call constants of the locked Direct3D colour scale.
struct ColorScaleD3D {
  int n = 1;
  float f = 0;
  int T[3] = {0, 0, 0};    // target r, g, b in the PixelLayout range
  float Tp[3] = {0, 0, 0};  // T * (1 - f)
  // One channel (0 red, 1 green, 2 blue) of a source value c.
  int Channel(int c, int i) const {
    if (n == 1) return (c + T[i]) >> 1;
    return static_cast<int>(std::trunc(static_cast<float>(c) * f + Tp[i]));
  }
  // Green written into the R5G6B5 full-screen back buffer from a 5-bit source.
  int BackGreen(int c) const {
    if (n == 1) return c + T[1];
    return 2 * static_cast<int>(std::trunc(static_cast<float>(c) * f + Tp[1]));
  }
};
// palR, palG, palB: the target's palette entry (0..255).
ColorScaleD3D MakeColorScaleD3D(int n, int palR, int palG, int palB, const EffectLayout& layout);

// n halvings of a 0..255 channel toward t (DirectDraw; a negative n halves nothing).
inline int HalveToward(int c, int t, int n) {
  for (int i = 0; i < n; ++i) c = (c + t) >> 1;
  return c;
}

// --------------------------------------------------------------- lens

// E = floor(sqrt(R^2 + d^2)), S = E^2. ok is false for a negative R or d, or E <= d.
struct LensSetup {
  bool ok;
  int64_t E, S;
};
LensSetup LensPrepare(int R, int d);
// The source offset of disc point (dx, dy) (which lies inside the disc).
void LensOffset(int dx, int dy, int d, int64_t S, int* ox, int* oy);

// ---------------------------------------------------------- blend table

constexpr int kBlendTableSize = 65536;
