// The DirectDraw personality's surface pixels: access, fills, locks, colour
// keys, copies (one pass per row through the span kernels), stretches, flips
// and loss.
#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "media/graphics/DDDevice.h"
#include "media/graphics/PixelSpans.h"

namespace {
bool RectInside(const DDRECT& r, int w, int h) {
  return r.left >= 0 && r.top >= 0 && r.right <= w && r.bottom <= h && r.left < r.right && r.top < r.bottom;
}
}  // namespace

uint32_t cPixelSurface::GetPixel(int x, int y) const {
  const uint8_t* p = Row(y) + static_cast<size_t>(x) * bpp_;
  switch (bpp_) {
    case 1: return *p;
    case 2: {
      uint16_t v;
      std::memcpy(&v, p, 2);
      return v;
    }
    default: {
      uint32_t v;
      std::memcpy(&v, p, 4);
      return v;
    }
  }
}

void cPixelSurface::SetPixel(int x, int y, uint32_t raw) {
  uint8_t* p = Row(y) + static_cast<size_t>(x) * bpp_;
  switch (bpp_) {
    case 1: *p = static_cast<uint8_t>(raw); break;
    case 2: {
      uint16_t v = static_cast<uint16_t>(raw);
      std::memcpy(p, &v, 2);
      break;
    }
    default: std::memcpy(p, &raw, 4); break;
  }
}

void cPixelSurface::FillRaw(const DDRECT* rect, uint32_t raw) {
  DDRECT r = rect ? *rect : DDRECT{0, 0, width_, height_};
  r.left = std::max(r.left, 0);
  r.top = std::max(r.top, 0);
  r.right = std::min(r.right, width_);
  r.bottom = std::min(r.bottom, height_);
  if (r.left >= r.right || r.top >= r.bottom) return;
  for (int y = r.top; y < r.bottom; ++y) {
    uint8_t* row = Row(y);
    if (bpp_ == 1) {
      std::memset(row + r.left, static_cast<int>(raw & 0xFF), static_cast<size_t>(r.right - r.left));
    } else if (bpp_ == 2) {
      uint16_t v = static_cast<uint16_t>(raw);
      for (int x = r.left; x < r.right; ++x) std::memcpy(row + x * 2, &v, 2);
    } else {
      for (int x = r.left; x < r.right; ++x) std::memcpy(row + x * 4, &raw, 4);
    }
  }
}

DDRESULT cPixelSurface::LockRect(DDLOCKEDRECT* locked) {
  if (!locked) return D3DERR_INVALIDCALL;
  if (locks_ > 0) return D3DERR_INVALIDCALL;
  ++locks_;
  locked->Pitch = pitch_;
  locked->pBits = bits_.data();
  return DD_OK;
}

DDRESULT cPixelSurface::UnlockRect() {
  if (locks_ == 0) return D3DERR_INVALIDCALL;
  --locks_;
  return DD_OK;
}

DDRESULT cPixelSurface::SetColorKey(uint32_t flags, uint32_t low, uint32_t) {
  if (!(flags & DDCKEY_SRCBLT)) return DDERR_INVALIDPARAMS;
  hasKey_ = true;
  key_ = low;
  return DD_OK;
}

namespace {
// Copies w x h pixels; with a key, source pixels equal to it are left out.
void CopyPixels(cPixelSurface& dst, int x, int y, const cPixelSurface& src, int sx, int sy, int w, int h, bool keyed,
                uint32_t key) {
  const int bpp = dst.BytesPerPixel();
  const bool reference = DDReferencePixelPaths();
  if (!reference && w * bpp == dst.Pitch() && w * bpp == src.Pitch() && h > 1) {
    // Whole rows on both sides follow each other in memory: one span.
    w *= h;
    h = 1;
  }
  for (int j = 0; j < h; ++j) {
    uint8_t* d = dst.Row(y + j) + static_cast<size_t>(x) * bpp;
    const uint8_t* s = src.Row(sy + j) + static_cast<size_t>(sx) * bpp;
    if (!keyed) {
      std::memmove(d, s, static_cast<size_t>(w) * bpp);
    } else if (bpp == 1) {
      (reference ? spanref::CopyKeyed8 : spans::CopyKeyed8)(d, s, w, static_cast<uint8_t>(key));
    } else if (bpp == 2) {
      (reference ? spanref::CopyKeyed16 : spans::CopyKeyed16)(reinterpret_cast<uint16_t*>(d),
                                                              reinterpret_cast<const uint16_t*>(s), w,
                                                              static_cast<uint16_t>(key));
    } else {
      (reference ? spanref::CopyKeyed32 : spans::CopyKeyed32)(reinterpret_cast<uint32_t*>(d),
                                                              reinterpret_cast<const uint32_t*>(s), w, key);
    }
  }
}

// One row of a stretched copy: out[i] = in[cols[i]] for i0 <= i < i1, keys left out.
template <typename T>
void StretchRow(T* out, const T* in, const int* cols, int i0, int i1, bool keyed, T key, std::vector<T>& buffer) {
  if (DDReferencePixelPaths()) {
    for (int i = i0; i < i1; ++i) {
      T v = in[cols[i]];
      if (!keyed || v != key) out[i] = v;
    }
    return;
  }
  const int n = i1 - i0;
  if (n <= 0) return;
  if (!keyed) {
    for (int i = i0; i < i1; ++i) out[i] = in[cols[i]];
    return;
  }
  buffer.resize(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) buffer[static_cast<size_t>(i)] = in[cols[i0 + i]];
  if constexpr (sizeof(T) == 1) spans::CopyKeyed8(out + i0, buffer.data(), n, key);
  else if constexpr (sizeof(T) == 2) spans::CopyKeyed16(out + i0, buffer.data(), n, key);
  else spans::CopyKeyed32(out + i0, buffer.data(), n, key);
}
}  // namespace

DDRESULT cPixelSurface::BltFast(int x, int y, cPixelSurface* src, const DDRECT* srcRect, uint32_t flags) {
  if (!src) return DDERR_INVALIDPARAMS;
  if (lost_ || src->lost_) return DDERR_SURFACELOST;
  DDRECT sr = srcRect ? *srcRect : DDRECT{0, 0, src->width_, src->height_};
  if (!RectInside(sr, src->width_, src->height_)) return DDERR_INVALIDRECT;
  int w = sr.right - sr.left, h = sr.bottom - sr.top;
  if (!RectInside(DDRECT{x, y, x + w, y + h}, width_, height_)) return DDERR_INVALIDRECT;
  if (src->format_ != format_) return DDERR_INVALIDPIXELFORMAT;
  bool keyed = (flags & DDBLTFAST_SRCCOLORKEY) && src->hasKey_;
  if (src == this) {
    // Overlapping copy within one surface: go through a copy of the source.
    cPixelSurface tmp(format_, w, h, DDPOOL_SYSTEMMEM);
    CopyPixels(tmp, 0, 0, *src, sr.left, sr.top, w, h, false, 0);
    CopyPixels(*this, x, y, tmp, 0, 0, w, h, keyed, src->key_);
  } else {
    CopyPixels(*this, x, y, *src, sr.left, sr.top, w, h, keyed, src->key_);
  }
  if (primary) OnPrimaryChanged(*this);
  return DD_OK;
}

DDRESULT cPixelSurface::Blt(const DDRECT* dstRect, cPixelSurface* src, const DDRECT* srcRect, uint32_t flags,
                            uint32_t fillValue) {
  if (lost_) return DDERR_SURFACELOST;
  DDRECT dr = dstRect ? *dstRect : DDRECT{0, 0, width_, height_};
  if (flags & DDBLT_COLORFILL) {
    if (!RectInside(dr, width_, height_)) return DDERR_INVALIDRECT;
    FillRaw(&dr, fillValue);
    if (primary) OnPrimaryChanged(*this);
    return DD_OK;
  }
  if (!src) return DDERR_INVALIDPARAMS;
  if (src->lost_) return DDERR_SURFACELOST;
  DDRECT sr = srcRect ? *srcRect : DDRECT{0, 0, src->width_, src->height_};
  if (!RectInside(sr, src->width_, src->height_)) return DDERR_INVALIDRECT;
  if (primary) {
    // The window's clipper keeps the picture on the client area.
    if (dr.left >= dr.right || dr.top >= dr.bottom) return DDERR_INVALIDRECT;
  } else if (!RectInside(dr, width_, height_)) {
    return DDERR_INVALIDRECT;
  }
  if (src->format_ != format_) return DDERR_INVALIDPIXELFORMAT;
  int w = dr.right - dr.left, h = dr.bottom - dr.top, sw = sr.right - sr.left, sh = sr.bottom - sr.top;
  bool keyed = (flags & DDBLT_KEYSRC) && src->hasKey_;
  if (w == sw && h == sh && src != this && !primary) {
    CopyPixels(*this, dr.left, dr.top, *src, sr.left, sr.top, w, h, keyed, src->key_);
  } else {
    std::vector<int> cols(static_cast<size_t>(w));
    for (int i = 0; i < w; ++i) cols[static_cast<size_t>(i)] = sr.left + StretchSourceOffset(i, sw, w);
    const cPixelSurface* s = src;
    std::unique_ptr<cPixelSurface> tmp;
    if (src == this) {
      tmp = std::make_unique<cPixelSurface>(format_, width_, height_, DDPOOL_SYSTEMMEM);
      CopyPixels(*tmp, 0, 0, *this, 0, 0, width_, height_, false, 0);
      s = tmp.get();
    }
    int i0 = std::max(0, -dr.left), i1 = std::min(w, width_ - dr.left);
    auto stretch = [&](auto pixel) {
      using T = decltype(pixel);
      const T key = static_cast<T>(src->key_);
      std::vector<T> buffer;
      const T* lastIn = nullptr;
      T* lastOut = nullptr;
      for (int j = 0; j < h; ++j) {
        int y = dr.top + j;
        if (y < 0 || y >= height_) continue;
        const T* in = reinterpret_cast<const T*>(s->Row(sr.top + StretchSourceOffset(j, sh, h)));
        T* out = reinterpret_cast<T*>(Row(y)) + dr.left;
        if (!keyed && in == lastIn && !DDReferencePixelPaths()) {
          // The same source row again: its stretched pixels are in the row before.
          std::memcpy(out + i0, lastOut + i0, static_cast<size_t>(std::max(i1 - i0, 0)) * sizeof(T));
        } else {
          StretchRow(out, in, cols.data(), i0, i1, keyed, key, buffer);
        }
        lastIn = in;
        lastOut = out;
      }
    };
    if (bpp_ == 1) stretch(uint8_t{});
    else if (bpp_ == 2) stretch(uint16_t{});
    else stretch(uint32_t{});
  }
  if (primary) OnPrimaryChanged(*this);
  return DD_OK;
}

DDRESULT cPixelSurface::Restore() {
  lost_ = false;
  return DD_OK;
}

DDRESULT cPixelSurface::Flip() {
  if (chain_.empty()) return DDERR_INVALIDPARAMS;
  if (lost_) return DDERR_SURFACELOST;
  SwapStorage(*chain_[0]);
  for (size_t i = 1; i < chain_.size(); ++i) chain_[i - 1]->SwapStorage(*chain_[i]);
  if (primary) OnPrimaryChanged(*this);
  return DD_OK;
}

void cPixelSurface::MarkLost() {
  lost_ = true;
  std::fill(bits_.begin(), bits_.end(), uint8_t{0xCD});
}

