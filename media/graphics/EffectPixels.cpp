#include "media/graphics/EffectPixels.h"

#include <algorithm>
#include <vector>

namespace {
bool Known(int bpp) { return bpp == 8 || bpp == 16 || bpp == 32; }

uint32_t Field(uint32_t p, int32_t shift, int32_t max) { return (p >> shift) & uint32_t(max); }
}  // namespace

void BlurPixelsDirect(const PixelView& dst, int x, int y, int w, int h, int rx, int ry, const PixelView& src, int sx,
                      int sy, int bTransparent, const PixelRules& rules) {
  if (rx == 0 || ry == 0) return;
  if (rules.nBpp != 16 && rules.nBpp != 32) return;
  const bool keyed = FlagOn(bTransparent);
  for (int row = 0; row < h; ++row) {
    const int64_t destY = int64_t(y) + row;
    if (destY < 0 || destY >= dst.height) continue;
    for (int col = 0; col < w; ++col) {
      const int64_t destX = int64_t(x) + col;
      if (destX < 0 || destX >= dst.width) continue;
      // The window is clipped to the rectangle and to the source surface.
      const int64_t cxs = int64_t(sx) + col, cys = int64_t(sy) + row;
      if (cxs < 0 || cys < 0 || cxs >= src.width || cys >= src.height) continue;
      if (keyed && rules.IsTransparent(src.Get(int(cxs), int(cys)))) continue;
      uint32_t sum[3] = {0, 0, 0}, count = 0;
      for (int dy = -ry; dy < ry; ++dy) {
        const int r = row + dy;
        if (r < 0) continue;
        if (r >= h) break;
        const int64_t srow = int64_t(sy) + r;
        if (srow < 0 || srow >= src.height) continue;
        for (int dx = -rx; dx < rx; ++dx) {
          const int c = col + dx;
          if (c < 0) continue;
          if (c >= w) break;
          const int64_t scol = int64_t(sx) + c;
          if (scol < 0 || scol >= src.width) continue;
          const uint32_t p = src.Get(int(scol), int(srow));
          if (keyed && rules.IsTransparent(p)) continue;
          int cr, cg, cb;
          rules.Read(p, &cr, &cg, &cb);
          sum[0] += uint32_t(cr);
          sum[1] += uint32_t(cg);
          sum[2] += uint32_t(cb);
          ++count;
        }
      }
      if (count == 0) continue;
      dst.Set(int(destX), int(destY),
              rules.Compose(int(sum[0] / count), int(sum[1] / count), int(sum[2] / count),
                            dst.Get(int(destX), int(destY))));
    }
  }
}

namespace {
// floor(n / d) for n < 2^24 and 0 < d < 2^16 by one multiplication:
// m = ceil(2^40 / d) leaves an error below 1 / d.
struct Divider {
  uint32_t d = 0;
  uint64_t m = 0;
  uint32_t operator()(uint32_t n, uint32_t by) {
    if (by >= 65536u) return n / by;
    if (by != d) {
      d = by;
      m = ((uint64_t(1) << 40) + by - 1) / by;
    }
    return static_cast<uint32_t>((uint64_t(n) * m) >> 40);
  }
};

bool Overlap(const PixelView& a, const PixelView& b) {
  if (!a.bits || !b.bits) return false;
  auto span = [](const PixelView& v) {
    return static_cast<size_t>(std::max(v.pitch, v.width)) * size_t(std::max(v.height, 0)) * size_t(v.bytesPerPixel);
  };
  const uint8_t *a0 = a.bits, *a1 = a.bits + span(a), *b0 = b.bits, *b1 = b.bits + span(b);
  return a0 < b1 && b0 < a1;
}
}  // namespace

// Running sums: column sums over the window's rows move down one row at a
// time, and a running sum over them moves along each row. The sums are the
// direct ones exactly (uint32 arithmetic wraps alike), so the result is too.
void BlurPixels(const PixelView& dst, int x, int y, int w, int h, int rx, int ry, const PixelView& src, int sx, int sy,
                int bTransparent, const PixelRules& rules) {
  if (rx == 0 || ry == 0) return;
  if (rules.nBpp != 16 && rules.nBpp != 32) return;
  // Negative radii give empty windows: nothing is drawn.
  if (rx < 0 || ry < 0 || w <= 0 || h <= 0) return;
  // In place the direct loop reads pixels it has already blurred; keep that.
  if (Overlap(dst, src)) return BlurPixelsDirect(dst, x, y, w, h, rx, ry, src, sx, sy, bTransparent, rules);
  const bool keyed = FlagOn(bTransparent);
  // Rows and columns of the rectangle whose source pixel lies on the source.
  const int rLo = int(std::max<int64_t>(0, -int64_t(sy))), rHi = int(std::min<int64_t>(h, int64_t(src.height) - sy));
  const int cLo = int(std::max<int64_t>(0, -int64_t(sx))), cHi = int(std::min<int64_t>(w, int64_t(src.width) - sx));
  if (rLo >= rHi || cLo >= cHi) return;
  const int n = cHi - cLo;
  std::vector<uint32_t> colR(size_t(n), 0), colG(size_t(n), 0), colB(size_t(n), 0), colN(size_t(n), 0);
  auto addRow = [&](int r, bool add) {
    const int srow = sy + r;
    for (int c = cLo; c < cHi; ++c) {
      const uint32_t p = src.Get(sx + c, srow);
      if (keyed && rules.IsTransparent(p)) continue;
      int cr, cg, cb;
      rules.Read(p, &cr, &cg, &cb);
      const size_t i = size_t(c - cLo);
      if (add) {
        colR[i] += uint32_t(cr);
        colG[i] += uint32_t(cg);
        colB[i] += uint32_t(cb);
        ++colN[i];
      } else {
        colR[i] -= uint32_t(cr);
        colG[i] -= uint32_t(cg);
        colB[i] -= uint32_t(cb);
        --colN[i];
      }
    }
  };
  // The window of row r is [r - ry, r + ry); of column c, [c - rx, c + rx).
  for (int r = rLo; r < int(std::min<int64_t>(rHi, int64_t(rLo) + ry)); ++r) addRow(r, true);
  Divider div;
  for (int row = rLo; row < rHi; ++row) {
    if (row > rLo) {
      const int64_t in = int64_t(row) + ry - 1, out = int64_t(row) - 1 - ry;
      if (in < rHi) addRow(int(in), true);
      if (out >= rLo) addRow(int(out), false);
    }
    const int64_t destY = int64_t(y) + row;
    if (destY < 0 || destY >= dst.height) continue;
    uint32_t sr = 0, sg = 0, sb = 0, cnt = 0;
    for (int c = cLo; c < int(std::min<int64_t>(cHi, int64_t(cLo) + rx)); ++c) {
      const size_t i = size_t(c - cLo);
      sr += colR[i];
      sg += colG[i];
      sb += colB[i];
      cnt += colN[i];
    }
    for (int col = cLo; col < cHi; ++col) {
      if (col > cLo) {
        const int64_t in = int64_t(col) + rx - 1, out = int64_t(col) - 1 - rx;
        if (in < cHi) {
          const size_t i = size_t(in - cLo);
          sr += colR[i];
          sg += colG[i];
          sb += colB[i];
          cnt += colN[i];
        }
        if (out >= cLo) {
          const size_t i = size_t(out - cLo);
          sr -= colR[i];
          sg -= colG[i];
          sb -= colB[i];
          cnt -= colN[i];
        }
      }
      const int64_t destX = int64_t(x) + col;
      if (destX < 0 || destX >= dst.width || cnt == 0) continue;
      if (keyed && rules.IsTransparent(src.Get(sx + col, sy + row))) continue;
      // Sums of more than 65535 pixels may not fit the multiplication: divide plainly.
      uint32_t qr, qg, qb;
      if (cnt < 65536u) {
        qr = div(sr, cnt);
        qg = div(sg, cnt);
        qb = div(sb, cnt);
      } else {
        qr = sr / cnt;
        qg = sg / cnt;
        qb = sb / cnt;
      }
      dst.Set(int(destX), int(destY), rules.Compose(int(qr), int(qg), int(qb), dst.Get(int(destX), int(destY))));
    }
  }
}

void MosaicPixels(const PixelView& dst, int x, int y, int w, int h, int n, const PixelView& src, int sx, int sy,
                  int bTransparent, const PixelRules& rules) {
  // A cell size of 0 or less would never move on.
  if (n <= 0 || !Known(rules.nBpp)) return;
  if (rules.bD3D && rules.nBpp == 8) return;
  const bool keyed = FlagOn(bTransparent);
  const bool corner = rules.bD3D || rules.nBpp == 8;
  for (int64_t cy0 = 0; cy0 < h; cy0 += n) {
    const int ch = static_cast<int>(std::min<int64_t>(n, h - cy0));
    for (int64_t cx0 = 0; cx0 < w; cx0 += n) {
      const int cw = static_cast<int>(std::min<int64_t>(n, w - cx0));
      uint32_t colour = 0;
      bool keepByte3 = false;  // DirectDraw 32 bpp writes only bytes 2, 1, 0
      if (corner) {
        const int64_t px = sx + cx0, py = sy + cy0;
        if (px < 0 || py < 0 || px >= src.width || py >= src.height) continue;
        const uint32_t p = src.Get(int(px), int(py));
        if (keyed && rules.IsTransparent(p)) continue;
        colour = rules.bD3D ? (rules.nBpp == 16 ? rules.Convert(p) : p | 0xFF000000u) : p;
      } else {
        uint32_t sum[3] = {0, 0, 0}, count = 0;
        const int mask[3] = {rules.layout.nRMax, rules.layout.nGMax, rules.layout.nBMax};
        for (int j = 0; j < ch; ++j) {
          const int64_t py = sy + cy0 + j;
          if (py < 0 || py >= src.height) continue;
          for (int i = 0; i < cw; ++i) {
            const int64_t px = sx + cx0 + i;
            if (px < 0 || px >= src.width) continue;
            const uint32_t p = src.Get(int(px), int(py));
            if (keyed && rules.IsTransparent(p)) continue;
            int c[3];
            rules.Read(p, &c[0], &c[1], &c[2]);
            for (int k = 0; k < 3; ++k) sum[k] += uint32_t(rules.nBpp == 16 ? ScaleTo255(c[k], mask[k]) : c[k]);
            ++count;
          }
        }
        if (count == 0) continue;
        int mean[3];
        for (int k = 0; k < 3; ++k) mean[k] = int(sum[k] / count);
        if (rules.nBpp == 16) {
          colour = rules.Compose(ScaleFrom255(mean[0], mask[0]), ScaleFrom255(mean[1], mask[1]),
                                 ScaleFrom255(mean[2], mask[2]), 0);
          if (keyed && colour == rules.transmit) continue;
        } else {
          colour = uint32_t(mean[0]) << 16 | uint32_t(mean[1]) << 8 | uint32_t(mean[2]);
          if (keyed && colour == (rules.transmit & 0xFFFFFFu)) continue;
          keepByte3 = true;
        }
      }
      for (int j = 0; j < ch; ++j) {
        const int64_t dy = y + cy0 + j;
        if (dy < 0 || dy >= dst.height) continue;
        for (int i = 0; i < cw; ++i) {
          const int64_t dx = x + cx0 + i;
          if (dx < 0 || dx >= dst.width) continue;
          uint32_t v = colour;
          if (keepByte3) v |= dst.Get(int(dx), int(dy)) & 0xFF000000u;
          dst.Set(int(dx), int(dy), v);
        }
      }
    }
  }
}

void LensPixels(const PixelView& dst, int cx, int cy, int R, int d, int64_t S, const PixelView& src, int scx, int scy,
                int bTransparent, int bClear, const PixelRules& rules) {
  if (!Known(rules.nBpp) || (rules.bD3D && rules.nBpp == 8)) return;
  const bool keyed = FlagOn(bTransparent);
  const bool clear32 = bClear && rules.bD3D && rules.nBpp == 32;
  const int64_t R2 = int64_t(R) * R;
  // Only the part of the square that lies on the destination is visited.
  const int64_t dyLo = std::max<int64_t>(-R, -int64_t(cy)), dyHi = std::min<int64_t>(R, int64_t(dst.height) - 1 - cy);
  const int64_t dxLo = std::max<int64_t>(-R, -int64_t(cx)), dxHi = std::min<int64_t>(R, int64_t(dst.width) - 1 - cx);
  for (int64_t dy = dyLo; dy <= dyHi; ++dy) {
    const int destY = static_cast<int>(cy + dy);
    for (int64_t dx = dxLo; dx <= dxHi; ++dx) {
      const int destX = static_cast<int>(cx + dx);
      const int64_t r2 = dx * dx + dy * dy;
      if (r2 > R2) {
        if (clear32) dst.Set(destX, destY, 0);
        continue;
      }
      int ox, oy;
      LensOffset(int(dx), int(dy), d, S, &ox, &oy);
      const int64_t px = int64_t(scx) + ox, py = int64_t(scy) + oy;
      const bool inside = px >= 0 && py >= 0 && px < src.width && py < src.height;
      const uint32_t p = inside ? src.Get(int(px), int(py)) : 0;
      if (!rules.bD3D) {
        // The key test holds here whatever the flag says.
        if (inside && p != rules.transmit) dst.Set(destX, destY, p);
      } else if (rules.nBpp == 16) {
        if (inside && !(keyed && rules.IsTransparent(p))) dst.Set(destX, destY, rules.Convert(p));
      } else if (inside && (p >> 24) != 0) {
        dst.Set(destX, destY, p);
      } else if (bClear) {
        dst.Set(destX, destY, 0);
      }
    }
  }
}

void RotatePixels(const PixelView& dst, int cx, int cy, int w, int h, int px, int py, int angle, const PixelView& src,
                  int sx, int sy, int bTransparent, const PixelRules& rules) {
  if (!Known(rules.nBpp)) return;
  const bool keyed = FlagOn(bTransparent);
  const RotateFixed f = RotateCoefficients(angle);
  ForEachRotatedPixel(cx, cy, w, h, px, py, f, dst.width, dst.height, sx, sy, src.width, src.height,
                      [&](int dx, int dy, int u, int v) {
                        const uint32_t p = src.Get(u, v);
                        if (keyed && p == rules.transmit) return;
                        dst.Set(dx, dy, rules.Convert(p));
                      });
}

void ColorScalePixels(const PixelView& dst, int x, int y, int w, int h, const PixelView& src, int sx, int sy,
                      int bTransparent, int palR, int palG, int palB, const uint8_t* table, int target, int n,
                      const PixelRules& rules) {
  if (!Known(rules.nBpp) || (rules.bD3D && rules.nBpp == 8)) return;
  if (rules.nBpp == 8 && !table) return;
  const bool keyed = FlagOn(bTransparent);
  const int T8 = target & 255;
  const EffectLayout& L = rules.layout;
  const EffectLayout& B = rules.backLayout;
  const ColorScaleD3D cs = MakeColorScaleD3D(n, palR, palG, palB, L);
  const int mask[3] = {L.nRMax, L.nGMax, L.nBMax};
  const int t16[3] = {ScaleTo255(palR, mask[0]), ScaleTo255(palG, mask[1]), ScaleTo255(palB, mask[2])};
  const int t32[3] = {palR, palG, palB};
  for (int row = 0; row < h; ++row) {
    const int64_t dy = int64_t(y) + row, syy = int64_t(sy) + row;
    if (dy < 0 || dy >= dst.height || syy < 0 || syy >= src.height) continue;
    for (int col = 0; col < w; ++col) {
      const int64_t dx = int64_t(x) + col, sxx = int64_t(sx) + col;
      if (dx < 0 || dx >= dst.width || sxx < 0 || sxx >= src.width) continue;
      uint32_t p = src.Get(int(sxx), int(syy));
      if (keyed && rules.IsTransparent(p)) continue;
      uint32_t out;
      if (rules.nBpp == 8) {
        for (int i = 0; i < n; ++i) p = table[p * 256 + uint32_t(T8)];
        out = p;
      } else if (!rules.bD3D) {
        if (rules.nBpp == 16 && n <= 0) {
          // No halving: the pixel itself, not its lossy round trip through 0..255.
          out = p;
        } else {
          int c[3];
          rules.Read(p, &c[0], &c[1], &c[2]);
          for (int k = 0; k < 3; ++k) {
            if (rules.nBpp == 16)
              c[k] = ScaleFrom255(HalveToward(ScaleTo255(c[k], mask[k]), t16[k], n), mask[k]);
            else
              c[k] = HalveToward(c[k], t32[k], n);
          }
          out = rules.Compose(c[0], c[1], c[2], dst.Get(int(dx), int(dy)));
        }
      } else {
        int c[3];
        rules.Read(p, &c[0], &c[1], &c[2]);
        if (rules.nBpp == 16 && rules.fullScreenBack) {
          out = uint32_t(cs.Channel(c[0], 0)) << B.nRShift | uint32_t(cs.BackGreen(c[1])) << B.nGShift |
                uint32_t(cs.Channel(c[2], 2)) << B.nBShift;
        } else {
          out = rules.Compose(cs.Channel(c[0], 0), cs.Channel(c[1], 1), cs.Channel(c[2], 2), 0);
        }
      }
      dst.Set(int(dx), int(dy), out);
    }
  }
}

void BlendPixels(const PixelView& dst, int x, int y, int w, int h, const PixelView& src, int sx, int sy,
                 int bTransparent, const uint8_t* table, const PixelRules& rules) {
  if (!Known(rules.nBpp) || (rules.bD3D && rules.nBpp == 8)) return;
  if (rules.nBpp == 8 && !table) return;
  const bool keyed = FlagOn(bTransparent);
  const EffectLayout& L = rules.layout;
  const EffectLayout& B = rules.backLayout;
  for (int row = 0; row < h; ++row) {
    const int64_t dy = int64_t(y) + row, syy = int64_t(sy) + row;
    if (dy < 0 || dy >= dst.height || syy < 0 || syy >= src.height) continue;
    for (int col = 0; col < w; ++col) {
      const int64_t dx = int64_t(x) + col, sxx = int64_t(sx) + col;
      if (dx < 0 || dx >= dst.width || sxx < 0 || sxx >= src.width) continue;
      const uint32_t s = src.Get(int(sxx), int(syy));
      const uint32_t d = dst.Get(int(dx), int(dy));
      uint32_t out;
      if (rules.bD3D && rules.nBpp == 16) {
        if (keyed && rules.IsTransparent(s)) continue;
        if (rules.fullScreenBack) {
          const uint32_t r = (Field(s, L.nRShift, L.nRMax) + Field(d, B.nRShift, B.nRMax)) >> 1;
          const uint32_t g = (Field(d, B.nGShift, B.nGMax) + 2 * Field(s, L.nGShift, L.nGMax)) >> 1;
          const uint32_t b = (Field(s, L.nBShift, L.nBMax) + Field(d, B.nBShift, B.nBMax)) >> 1;
          out = r << B.nRShift | g << B.nGShift | b << B.nBShift;
        } else {
          out = rules.Compose(int((Field(s, L.nRShift, L.nRMax) + Field(d, L.nRShift, L.nRMax)) >> 1),
                              int((Field(s, L.nGShift, L.nGMax) + Field(d, L.nGShift, L.nGMax)) >> 1),
                              int((Field(s, L.nBShift, L.nBMax) + Field(d, L.nBShift, L.nBMax)) >> 1), 0);
        }
      } else if (rules.bD3D) {
        if (keyed && (s >> 24) == 0) continue;
        out = 0xFF000000u | (((s >> 16 & 255) + (d >> 16 & 255)) >> 1) << 16 |
              (((s >> 8 & 255) + (d >> 8 & 255)) >> 1) << 8 | (((s & 255) + (d & 255)) >> 1);
      } else if (rules.nBpp == 8) {
        // The 8-bit path keys on index 0, not on the transparent colour.
        if (keyed && s == 0) continue;
        out = d == 0 ? s : table[d * 256 + s];
      } else {
        if (keyed && s == rules.transmit) continue;
        if (d == rules.transmit) {
          out = rules.nBpp == 16 ? s : (d & 0xFF000000u) | (s & 0xFFFFFFu);
        } else if (rules.nBpp == 16) {
          const int mask[3] = {L.nRMax, L.nGMax, L.nBMax};
          int sc[3], dc[3], m[3];
          rules.Read(s, &sc[0], &sc[1], &sc[2]);
          rules.Read(d, &dc[0], &dc[1], &dc[2]);
          for (int k = 0; k < 3; ++k)
            m[k] = ScaleFrom255((ScaleTo255(dc[k], mask[k]) + ScaleTo255(sc[k], mask[k])) >> 1, mask[k]);
          out = rules.Compose(m[0], m[1], m[2], d);
        } else {
          out = (d & 0xFF000000u) | (((s >> 16 & 255) + (d >> 16 & 255)) >> 1) << 16 |
                (((s >> 8 & 255) + (d >> 8 & 255)) >> 1) << 8 | (((s & 255) + (d & 255)) >> 1);
        }
      }
      dst.Set(int(dx), int(dy), out);
    }
  }
}
