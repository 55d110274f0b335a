#include "media/graphics/DDDevice.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <mutex>
#include <set>

namespace {
DDVIRTUALDISPLAY g_display;
std::atomic<int64_t> g_videoBytes{0};
std::atomic<int> g_defaultPool{0};
std::mutex g_registryMutex;
std::set<cPixelSurface*> g_videoSurfaces;

std::mutex g_sinkMutex;
DDPresentSink g_sink;
std::vector<uint32_t> g_frame;

int64_t FloorDiv(int64_t a, int64_t b) {
  int64_t q = a / b;
  if ((a % b != 0) && ((a < 0) != (b < 0))) --q;
  return q;
}

int Wrap(int v, int n) {
  if (v >= 0 && v < n) return v;
  if (n <= 0) return 0;
  v %= n;
  return v < 0 ? v + n : v;
}

bool CountsVideoMemory(DDPOOL pool) { return pool == DDPOOL_DEFAULT || pool == DDPOOL_MANAGED; }

bool RectInside(const DDRECT& r, int w, int h) {
  return r.left >= 0 && r.top >= 0 && r.right <= w && r.bottom <= h && r.left < r.right && r.top < r.bottom;
}
}  // namespace

void DDSetVirtualDisplay(const DDVIRTUALDISPLAY& display) { g_display = display; }
const DDVIRTUALDISPLAY& DDGetVirtualDisplay() { return g_display; }
int64_t VideoMemoryInUse() { return g_videoBytes.load(); }
bool VideoMemoryFits(int64_t bytes) { return g_videoBytes.load() + bytes <= g_display.nVideoMemoryBytes; }
int DefaultPoolSurfaces() { return g_defaultPool.load(); }

void MarkVideoSurfacesLost() {
  std::lock_guard<std::mutex> lock(g_registryMutex);
  for (cPixelSurface* s : g_videoSurfaces) s->MarkLost();
}

int FormatBytesPerPixel(DDFORMAT format) {
  switch (format) {
    case DDFMT_P8: return 1;
    case DDFMT_R5G6B5:
    case DDFMT_A1R5G5B5: return 2;
    case DDFMT_A8R8G8B8:
    case DDFMT_X8R8G8B8: return 4;
    default: return 0;
  }
}

PIXELLAYOUT LayoutOfFormat(DDFORMAT format) {
  switch (format) {
    case DDFMT_A8R8G8B8:
    case DDFMT_X8R8G8B8: return {16, 8, 0, 24, 255, 255, 255, format == DDFMT_A8R8G8B8 ? 255 : 0};
    case DDFMT_R5G6B5: return {11, 5, 0, 16, 31, 63, 31, 0};
    case DDFMT_A1R5G5B5: return {10, 5, 0, 15, 31, 31, 31, 1};
    default: return {0, 0, 0, 0, 0, 0, 0, 0};
  }
}

uint32_t FormatToArgb(DDFORMAT format, uint32_t raw) {
  switch (format) {
    case DDFMT_A8R8G8B8: return raw;
    case DDFMT_X8R8G8B8: return raw | 0xFF000000u;
    case DDFMT_R5G6B5:
      return 0xFF000000u | ExpandChannel((raw >> 11) & 31, 31) << 16 | ExpandChannel((raw >> 5) & 63, 63) << 8 |
             ExpandChannel(raw & 31, 31);
    case DDFMT_A1R5G5B5:
      return ((raw & 0x8000) ? 0xFF000000u : 0u) | ExpandChannel((raw >> 10) & 31, 31) << 16 |
             ExpandChannel((raw >> 5) & 31, 31) << 8 | ExpandChannel(raw & 31, 31);
    default: return 0;
  }
}

uint32_t ArgbToFormat(DDFORMAT format, uint32_t argb) {
  uint32_t a = argb >> 24, r = (argb >> 16) & 255, g = (argb >> 8) & 255, b = argb & 255;
  switch (format) {
    case DDFMT_A8R8G8B8: return argb;
    case DDFMT_X8R8G8B8: return argb | 0xFF000000u;
    case DDFMT_R5G6B5: return NarrowChannel(r, 31) << 11 | NarrowChannel(g, 63) << 5 | NarrowChannel(b, 31);
    case DDFMT_A1R5G5B5:
      return (a >= 128 ? 0x8000u : 0u) | NarrowChannel(r, 31) << 10 | NarrowChannel(g, 31) << 5 | NarrowChannel(b, 31);
    default: return 0;
  }
}

int StretchSourceOffset(int i, int sw, int w) {
  if (sw == w) return i;
  if (w == 0) return 0;
  return static_cast<int>(FloorDiv((2 * int64_t(i) + 1) * sw, 2 * int64_t(w)));
}

// ---------------------------------------------------------------- surfaces

cPixelSurface::cPixelSurface(DDFORMAT format, int width, int height, DDPOOL pool)
    : format_(format), width_(std::max(width, 0)), height_(std::max(height, 0)), pool_(pool) {
  bpp_ = FormatBytesPerPixel(format);
  pitch_ = (width_ * bpp_ + 3) & ~3;
  bits_.assign(static_cast<size_t>(pitch_) * height_, 0);
  if (CountsVideoMemory(pool_)) g_videoBytes += static_cast<int64_t>(bits_.size());
  if (pool_ == DDPOOL_DEFAULT) {
    ++g_defaultPool;
    std::lock_guard<std::mutex> lock(g_registryMutex);
    g_videoSurfaces.insert(this);
  }
}

cPixelSurface::~cPixelSurface() {
  if (CountsVideoMemory(pool_)) g_videoBytes -= static_cast<int64_t>(bits_.size());
  if (pool_ == DDPOOL_DEFAULT) {
    --g_defaultPool;
    std::lock_guard<std::mutex> lock(g_registryMutex);
    g_videoSurfaces.erase(this);
  }
}

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
  int bpp = dst.BytesPerPixel();
  for (int j = 0; j < h; ++j) {
    uint8_t* d = dst.Row(y + j) + static_cast<size_t>(x) * bpp;
    const uint8_t* s = src.Row(sy + j) + static_cast<size_t>(sx) * bpp;
    if (!keyed) {
      std::memmove(d, s, static_cast<size_t>(w) * bpp);
    } else if (bpp == 1) {
      for (int i = 0; i < w; ++i)
        if (s[i] != key) d[i] = s[i];
    } else if (bpp == 2) {
      const uint16_t k = static_cast<uint16_t>(key);
      for (int i = 0; i < w; ++i) {
        uint16_t v;
        std::memcpy(&v, s + i * 2, 2);
        if (v != k) std::memcpy(d + i * 2, &v, 2);
      }
    } else {
      for (int i = 0; i < w; ++i) {
        uint32_t v;
        std::memcpy(&v, s + i * 4, 4);
        if (v != key) std::memcpy(d + i * 4, &v, 4);
      }
    }
  }
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
      for (int j = 0; j < h; ++j) {
        int y = dr.top + j;
        if (y < 0 || y >= height_) continue;
        const T* in = reinterpret_cast<const T*>(s->Row(sr.top + StretchSourceOffset(j, sh, h)));
        T* out = reinterpret_cast<T*>(Row(y)) + dr.left;
        if (keyed) {
          for (int i = i0; i < i1; ++i) {
            T v = in[cols[static_cast<size_t>(i)]];
            if (v != key) out[i] = v;
          }
        } else {
          for (int i = i0; i < i1; ++i) out[i] = in[cols[static_cast<size_t>(i)]];
        }
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

void cDDPalette::SetEntries(int first, int count, const DDPALENTRY* from) {
  for (int i = 0; i < count; ++i) {
    int n = first + i;
    if (n >= 0 && n < 256) entries[n] = from[i];
  }
}

// ------------------------------------------------------------ presentation

void DDSetPresentSink(DDPresentSink sink) {
  std::lock_guard<std::mutex> lock(g_sinkMutex);
  g_sink = std::move(sink);
}

void PresentSurface(const cPixelSurface& surface, const cDDPalette* palette) {
  std::lock_guard<std::mutex> lock(g_sinkMutex);
  if (!g_sink) return;
  int w = surface.Width(), h = surface.Height();
  g_frame.resize(static_cast<size_t>(w) * h);
  uint32_t lut[256];
  if (surface.Format() == DDFMT_P8) {
    for (int i = 0; i < 256; ++i) {
      const DDPALENTRY& e = palette ? palette->entries[i] : DDPALENTRY{uint8_t(i), uint8_t(i), uint8_t(i), 0};
      lut[i] = 0xFF000000u | uint32_t(e.peRed) << 16 | uint32_t(e.peGreen) << 8 | e.peBlue;
    }
  }
  for (int y = 0; y < h; ++y) {
    uint32_t* out = g_frame.data() + static_cast<size_t>(y) * w;
    const uint8_t* row = surface.Row(y);
    switch (surface.Format()) {
      case DDFMT_P8:
        for (int x = 0; x < w; ++x) out[x] = lut[row[x]];
        break;
      case DDFMT_A8R8G8B8:
      case DDFMT_X8R8G8B8:
        for (int x = 0; x < w; ++x) {
          uint32_t v;
          std::memcpy(&v, row + x * 4, 4);
          out[x] = v | 0xFF000000u;
        }
        break;
      default:
        for (int x = 0; x < w; ++x) out[x] = FormatToArgb(surface.Format(), surface.GetPixel(x, y)) | 0xFF000000u;
        break;
    }
  }
  g_sink(g_frame.data(), w, h);
}

// ------------------------------------------------------------------ device

namespace {
// Source-alpha blend of ARGB texels onto a 32-bit row. Rows of only opaque
// texels are copied, rows of only opaque and fully transparent ones are
// selected without arithmetic; both loops vectorise.
enum SpanKind { kOpaque, kKeyed, kBlended };

SpanKind ClassifySpan(const uint32_t* s, int n) {
  uint32_t all = 0xFFFFFFFFu, partial = 0;
  for (int i = 0; i < n; ++i) {
    uint32_t a = s[i] >> 24;
    all &= s[i];
    partial |= (a - 1u) < 254u;
  }
  if ((all >> 24) == 0xFF) return kOpaque;
  return partial ? kBlended : kKeyed;
}

void BlendSpan32(uint32_t* d, const uint32_t* s, int n, SpanKind kind, uint32_t forceAlpha) {
  if (kind == kOpaque) {
    std::memcpy(d, s, static_cast<size_t>(n) * 4);
    return;
  }
  if (kind == kKeyed) {
    for (int i = 0; i < n; ++i) {
      uint32_t m = (s[i] >> 24) ? 0xFFFFFFFFu : 0u;
      d[i] = (s[i] & m) | (d[i] & ~m);
    }
    return;
  }
  for (int i = 0; i < n; ++i) {
    uint32_t c = s[i], a = c >> 24;
    if (a == 255) {
      d[i] = c;
    } else if (a != 0) {
      uint32_t dv = d[i];
      d[i] = (BlendChannel(a, dv >> 24, a) << 24 | BlendChannel((c >> 16) & 255, (dv >> 16) & 255, a) << 16 |
              BlendChannel((c >> 8) & 255, (dv >> 8) & 255, a) << 8 | BlendChannel(c & 255, dv & 255, a)) |
             forceAlpha;
    }
  }
}
}  // namespace

cVirtualDevice::cVirtualDevice(DDFORMAT backBufferFormat, int width, int height)
    : bbFormat_(backBufferFormat), width_(width), height_(height) {
  backBuffer_ = std::make_shared<cPixelSurface>(bbFormat_, width_, height_, DDPOOL_SWAPCHAIN);
  backBuffer_->renderTarget = true;
  target_ = backBuffer_;
  ResetStates();
}

void cVirtualDevice::ResetStates() {
  stage_ = DTSTAGE{};
  factor_ = 0xFFFFFFFF;
  blend_ = false;
  texture_ = nullptr;
}

DDRESULT cVirtualDevice::CreateTexture(int width, int height, uint32_t usage, DDFORMAT format, DDPOOL pool,
                                       std::shared_ptr<cTexture>* out) {
  if (!out || width <= 0 || height <= 0 || width > g_display.nMaxTextureWidth ||
      height > g_display.nMaxTextureHeight || FormatBytesPerPixel(format) == 0)
    return D3DERR_INVALIDCALL;
  if ((usage & DTUSAGE_RENDERTARGET) && pool != DDPOOL_DEFAULT) return D3DERR_INVALIDCALL;
  if (CountsVideoMemory(pool) && !VideoMemoryFits(int64_t(width) * height * FormatBytesPerPixel(format)))
    return D3DERR_OUTOFVIDEOMEMORY;
  auto tex = std::make_shared<cTexture>();
  tex->level0 = std::make_shared<cPixelSurface>(format, width, height, pool);
  tex->level0->renderTarget = (usage & DTUSAGE_RENDERTARGET) != 0;
  tex->usage = usage;
  *out = std::move(tex);
  return DD_OK;
}

DDRESULT cVirtualDevice::CreateOffscreenPlainSurface(int width, int height, DDFORMAT format, DDPOOL pool,
                                                     std::shared_ptr<cPixelSurface>* out) {
  if (!out || width <= 0 || height <= 0 || FormatBytesPerPixel(format) == 0) return D3DERR_INVALIDCALL;
  if (CountsVideoMemory(pool) && !VideoMemoryFits(int64_t(width) * height * FormatBytesPerPixel(format)))
    return D3DERR_OUTOFVIDEOMEMORY;
  *out = std::make_shared<cPixelSurface>(format, width, height, pool);
  return DD_OK;
}

DDRESULT cVirtualDevice::GetRenderTargetData(cPixelSurface* rt, cPixelSurface* sys) {
  if (!rt || !sys || !rt->renderTarget || sys->Pool() != DDPOOL_SYSTEMMEM || rt->Format() != sys->Format() ||
      rt->Width() != sys->Width() || rt->Height() != sys->Height())
    return D3DERR_INVALIDCALL;
  if (lost_) return D3DERR_DEVICELOST;
  for (int y = 0; y < rt->Height(); ++y)
    std::memcpy(sys->Row(y), rt->Row(y), static_cast<size_t>(rt->Width()) * rt->BytesPerPixel());
  return DD_OK;
}

DDRESULT cVirtualDevice::UpdateSurface(cPixelSurface* src, cPixelSurface* dst) {
  if (!src || !dst || src->Pool() != DDPOOL_SYSTEMMEM || dst->Pool() != DDPOOL_DEFAULT ||
      src->Format() != dst->Format() || src->Width() != dst->Width() || src->Height() != dst->Height())
    return D3DERR_INVALIDCALL;
  for (int y = 0; y < src->Height(); ++y)
    std::memcpy(dst->Row(y), src->Row(y), static_cast<size_t>(src->Width()) * src->BytesPerPixel());
  return DD_OK;
}

DDRESULT cVirtualDevice::BeginScene() {
  if (inScene_) return D3DERR_INVALIDCALL;
  inScene_ = true;
  return DD_OK;
}

DDRESULT cVirtualDevice::EndScene() {
  if (!inScene_) return D3DERR_INVALIDCALL;
  inScene_ = false;
  return DD_OK;
}

DDRESULT cVirtualDevice::SetRenderTarget(std::shared_ptr<cPixelSurface> target) {
  if (!target || !target->renderTarget) return D3DERR_INVALIDCALL;
  target_ = std::move(target);
  return DD_OK;
}

DDRESULT cVirtualDevice::Clear(const DDRECT* rect, uint32_t argb) {
  if (!target_) return D3DERR_INVALIDCALL;
  return ClearRaw(rect, ArgbToFormat(target_->Format(), argb));
}

DDRESULT cVirtualDevice::ClearRaw(const DDRECT* rect, uint32_t raw) {
  if (!target_) return D3DERR_INVALIDCALL;
  if (lost_) return DD_OK;
  target_->FillRaw(rect, raw);
  return DD_OK;
}

namespace {
uint32_t OpChannel(uint32_t op, uint32_t x, uint32_t y, uint32_t diffuseA, uint32_t textureA, uint32_t factorA) {
  switch (op) {
    case DTOP_SELECTARG1: return x;
    case DTOP_SELECTARG2: return y;
    case DTOP_MODULATE: return Mul255(x, y);
    case DTOP_MODULATE2X: return std::min(255u, 2 * Mul255(x, y));
    case DTOP_MODULATE4X: return std::min(255u, 4 * Mul255(x, y));
    case DTOP_ADD: return std::min(255u, x + y);
    case DTOP_ADDSIGNED: return static_cast<uint32_t>(std::clamp(int(x) + int(y) - 128, 0, 255));
    case DTOP_ADDSIGNED2X: return static_cast<uint32_t>(std::clamp(2 * (int(x) + int(y) - 128), 0, 255));
    case DTOP_SUBTRACT: return x > y ? x - y : 0;
    case DTOP_ADDSMOOTH: return std::min(255u, x + y - Mul255(x, y));
    case DTOP_BLENDDIFFUSEALPHA: return BlendChannel(x, y, diffuseA);
    case DTOP_BLENDTEXTUREALPHA: return BlendChannel(x, y, textureA);
    case DTOP_BLENDFACTORALPHA: return BlendChannel(x, y, factorA);
    default: return x;
  }
}

uint32_t Arg(uint32_t source, uint32_t texel, uint32_t diffuse, uint32_t factor) {
  switch (source & 0xF) {
    case DTTA_TEXTURE: return texel;
    case DTTA_TFACTOR: return factor;
    default: return diffuse;  // diffuse, and "current" at stage 0
  }
}
}  // namespace

bool cVirtualDevice::PassThrough(uint32_t diffuse) const {
  bool colourIsTexel = (stage_.colorOp == DTOP_SELECTARG1 && stage_.colorArg1 == DTTA_TEXTURE) ||
                       (stage_.colorOp == DTOP_SELECTARG2 && stage_.colorArg2 == DTTA_TEXTURE) ||
                       (stage_.colorOp == DTOP_MODULATE && (diffuse & 0xFFFFFF) == 0xFFFFFF &&
                        ((stage_.colorArg1 == DTTA_TEXTURE && stage_.colorArg2 == DTTA_DIFFUSE) ||
                         (stage_.colorArg1 == DTTA_DIFFUSE && stage_.colorArg2 == DTTA_TEXTURE)));
  bool alphaIsTexel = (stage_.alphaOp == DTOP_SELECTARG1 && stage_.alphaArg1 == DTTA_TEXTURE) ||
                      (stage_.alphaOp == DTOP_SELECTARG2 && stage_.alphaArg2 == DTTA_TEXTURE) ||
                      (stage_.alphaOp == DTOP_MODULATE && (diffuse >> 24) == 0xFF &&
                       ((stage_.alphaArg1 == DTTA_TEXTURE && stage_.alphaArg2 == DTTA_DIFFUSE) ||
                        (stage_.alphaArg1 == DTTA_DIFFUSE && stage_.alphaArg2 == DTTA_TEXTURE)));
  return colourIsTexel && alphaIsTexel;
}

uint32_t cVirtualDevice::Shade(uint32_t texel, uint32_t diffuse) const {
  uint32_t dA = diffuse >> 24, tA = texel >> 24, fA = factor_ >> 24;
  uint32_t out = 0;
  if (stage_.colorOp == DTOP_DISABLE) {
    out = diffuse & 0xFFFFFF;
  } else {
    uint32_t a1 = Arg(stage_.colorArg1, texel, diffuse, factor_);
    uint32_t a2 = Arg(stage_.colorArg2, texel, diffuse, factor_);
    for (int shift = 0; shift <= 16; shift += 8)
      out |= OpChannel(stage_.colorOp, (a1 >> shift) & 255, (a2 >> shift) & 255, dA, tA, fA) << shift;
  }
  uint32_t alpha;
  if (stage_.alphaOp == DTOP_DISABLE) {
    alpha = dA;
  } else {
    uint32_t a1 = Arg(stage_.alphaArg1, texel, diffuse, factor_) >> 24;
    uint32_t a2 = Arg(stage_.alphaArg2, texel, diffuse, factor_) >> 24;
    alpha = OpChannel(stage_.alphaOp, a1, a2, dA, tA, fA);
  }
  return alpha << 24 | out;
}

void cVirtualDevice::WriteSpan(uint8_t* dst, const uint32_t* colours, int count) {
  DDFORMAT f = target_->Format();
  if (f == DDFMT_A8R8G8B8 || f == DDFMT_X8R8G8B8) {
    uint32_t forceAlpha = f == DDFMT_X8R8G8B8 ? 0xFF000000u : 0u;
    for (int i = 0; i < count; ++i) {
      uint32_t c = colours[i];
      uint32_t a = c >> 24;
      if (!blend_ || a == 255) {
        c |= forceAlpha;
        std::memcpy(dst + i * 4, &c, 4);
      } else if (a != 0) {
        uint32_t d;
        std::memcpy(&d, dst + i * 4, 4);
        uint32_t r = BlendChannel(a, d >> 24, a) << 24 | BlendChannel((c >> 16) & 255, (d >> 16) & 255, a) << 16 |
                     BlendChannel((c >> 8) & 255, (d >> 8) & 255, a) << 8 | BlendChannel(c & 255, d & 255, a);
        r |= forceAlpha;
        std::memcpy(dst + i * 4, &r, 4);
      }
    }
    return;
  }
  for (int i = 0; i < count; ++i) {
    uint32_t c = colours[i];
    uint32_t a = c >> 24;
    uint16_t out;
    if (!blend_ || a == 255) {
      out = static_cast<uint16_t>(ArgbToFormat(f, c));
    } else if (a != 0) {
      uint16_t raw;
      std::memcpy(&raw, dst + i * 2, 2);
      uint32_t d = FormatToArgb(f, raw);
      if (f == DDFMT_A1R5G5B5 && !(raw & 0x8000)) d &= 0x00FFFFFF;
      uint32_t r = BlendChannel(a, d >> 24, a) << 24 | BlendChannel((c >> 16) & 255, (d >> 16) & 255, a) << 16 |
                   BlendChannel((c >> 8) & 255, (d >> 8) & 255, a) << 8 | BlendChannel(c & 255, d & 255, a);
      out = static_cast<uint16_t>(ArgbToFormat(f, r));
    } else {
      continue;
    }
    std::memcpy(dst + i * 2, &out, 2);
  }
}

void cVirtualDevice::Trace(int x, int y, int w, int h) {
  if (trace_)
    trace_->push_back({target_.get(), texture_ && texture_->level0 ? texture_->level0.get() : nullptr,
                       DDRECT{x, y, x + w, y + h}});
}

DDRESULT cVirtualDevice::DrawRect(int x, int y, int w, int h, int sx, int sy, int sw, int sh, uint32_t diffuse) {
  if (!target_) return D3DERR_INVALIDCALL;
  if (lost_ || w <= 0 || h <= 0) return DD_OK;
  Trace(x, y, w, h);
  cPixelSurface& dst = *target_;
  int x0 = std::max(x, 0), x1 = std::min(x + w, dst.Width());
  int y0 = std::max(y, 0), y1 = std::min(y + h, dst.Height());
  if (x0 >= x1 || y0 >= y1) return DD_OK;
  const cPixelSurface* tex = texture_ && texture_->level0 ? texture_->level0.get() : nullptr;
  int texW = tex ? tex->Width() : 1, texH = tex ? tex->Height() : 1;
  int n = x1 - x0;
  columns_.resize(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) columns_[static_cast<size_t>(i)] = Wrap(sx + StretchSourceOffset(x0 - x + i, sw, w), texW);
  texels_.resize(static_cast<size_t>(n));
  bool pass = PassThrough(diffuse);
  bool fast32 = pass && blend_ && tex && tex->Format() == DDFMT_A8R8G8B8 &&
                (dst.Format() == DDFMT_X8R8G8B8 || dst.Format() == DDFMT_A8R8G8B8);
  uint32_t forceAlpha = dst.Format() == DDFMT_X8R8G8B8 ? 0xFF000000u : 0u;
  bool contiguous = sw == w && columns_[0] + n <= texW && columns_[static_cast<size_t>(n - 1)] == columns_[0] + n - 1;
  int gathered = -1;
  SpanKind kind = kBlended;
  for (int py = y0; py < y1; ++py) {
    int srow = Wrap(sy + StretchSourceOffset(py - y, sh, h), texH);
    uint8_t* out = dst.Row(py) + static_cast<size_t>(x0) * dst.BytesPerPixel();
    if (fast32) {
      const uint32_t* srcRow = reinterpret_cast<const uint32_t*>(tex->Row(srow));
      const uint32_t* s;
      if (contiguous) {
        s = srcRow + columns_[0];
        kind = ClassifySpan(s, n);
      } else {
        // A stretched copy reads each source row several times: gather it once.
        if (srow != gathered) {
          for (int i = 0; i < n; ++i) texels_[static_cast<size_t>(i)] = srcRow[columns_[static_cast<size_t>(i)]];
          kind = ClassifySpan(texels_.data(), n);
          gathered = srow;
        }
        s = texels_.data();
      }
      BlendSpan32(reinterpret_cast<uint32_t*>(out), s, n, kind, forceAlpha);
      continue;
    }
    for (int i = 0; i < n; ++i) {
      uint32_t t = tex ? FormatToArgb(tex->Format(), tex->GetPixel(columns_[static_cast<size_t>(i)], srow))
                       : 0xFF000000u;
      texels_[static_cast<size_t>(i)] = pass ? t : Shade(t, diffuse);
    }
    WriteSpan(out, texels_.data(), n);
  }
  return DD_OK;
}

DDRESULT cVirtualDevice::DrawQuad(const DTVERTEX v[4]) {
  if (!target_) return D3DERR_INVALIDCALL;
  if (lost_) return DD_OK;
  const cPixelSurface* tex = texture_ && texture_->level0 ? texture_->level0.get() : nullptr;
  int texW = tex ? tex->Width() : 1, texH = tex ? tex->Height() : 1;
  auto integral = [](double d, int* out) {
    double r = std::round(d);
    if (std::fabs(d - r) > 1e-3) return false;
    *out = static_cast<int>(r);
    return true;
  };
  // Axis-aligned quads at pixel edges with whole texel rectangles take the exact path.
  if (v[0].x == v[1].x && v[2].x == v[3].x && v[0].y == v[2].y && v[1].y == v[3].y && v[0].u == v[1].u &&
      v[2].u == v[3].u && v[0].v == v[2].v && v[1].v == v[3].v && v[0].diffuse == v[1].diffuse &&
      v[0].diffuse == v[2].diffuse && v[0].diffuse == v[3].diffuse) {
    int x0, x1, y0, y1, u0, u1, t0, t1;
    if (integral(v[0].x + 0.5, &x0) && integral(v[2].x + 0.5, &x1) && integral(v[0].y + 0.5, &y0) &&
        integral(v[1].y + 0.5, &y1) && x1 > x0 && y1 > y0 && integral(double(v[0].u) * texW, &u0) &&
        integral(double(v[2].u) * texW, &u1) && integral(double(v[0].v) * texH, &t0) &&
        integral(double(v[1].v) * texH, &t1))
      return DrawRect(x0, y0, x1 - x0, y1 - y0, u0, t0, u1 - u0, t1 - t0, v[0].diffuse);
  }
  // General case: two triangles of the strip, top-left fill rule, pixel centres
  // at integer positions, affine texture coordinates, point sampling.
  cPixelSurface& dst = *target_;
  const int tris[2][3] = {{0, 1, 2}, {1, 3, 2}};
  double minX = 1e30, minY = 1e30, maxX = -1e30, maxY = -1e30;
  for (int i = 0; i < 4; ++i) {
    minX = std::min(minX, double(v[i].x));
    maxX = std::max(maxX, double(v[i].x));
    minY = std::min(minY, double(v[i].y));
    maxY = std::max(maxY, double(v[i].y));
  }
  Trace(static_cast<int>(std::floor(minX)), static_cast<int>(std::floor(minY)),
        static_cast<int>(std::ceil(maxX - minX)), static_cast<int>(std::ceil(maxY - minY)));
  for (const auto& tri : tris) {
    const DTVERTEX* a = &v[tri[0]];
    const DTVERTEX* b = &v[tri[1]];
    const DTVERTEX* c = &v[tri[2]];
    auto edge = [](const DTVERTEX* p, const DTVERTEX* q, double x, double y) {
      return (double(q->x) - p->x) * (y - p->y) - (double(q->y) - p->y) * (x - p->x);
    };
    double area = edge(a, b, c->x, c->y);
    if (area == 0) continue;
    if (area < 0) {
      std::swap(b, c);
      area = -area;
    }
    auto topLeft = [](const DTVERTEX* p, const DTVERTEX* q) {
      double dx = double(q->x) - p->x, dy = double(q->y) - p->y;
      return (dy == 0 && dx > 0) || dy < 0;
    };
    bool tlA = topLeft(b, c), tlB = topLeft(c, a), tlC = topLeft(a, b);
    int px0 = std::max(0, static_cast<int>(std::floor(std::min({a->x, b->x, c->x}))));
    int px1 = std::min(dst.Width() - 1, static_cast<int>(std::ceil(std::max({a->x, b->x, c->x}))));
    int py0 = std::max(0, static_cast<int>(std::floor(std::min({a->y, b->y, c->y}))));
    int py1 = std::min(dst.Height() - 1, static_cast<int>(std::ceil(std::max({a->y, b->y, c->y}))));
    for (int py = py0; py <= py1; ++py) {
      uint8_t* row = dst.Row(py);
      for (int px = px0; px <= px1; ++px) {
        double w0 = edge(b, c, px, py), w1 = edge(c, a, px, py), w2 = edge(a, b, px, py);
        if (w0 < 0 || w1 < 0 || w2 < 0) continue;
        if ((w0 == 0 && !tlA) || (w1 == 0 && !tlB) || (w2 == 0 && !tlC)) continue;
        double l0 = w0 / area, l1 = w1 / area, l2 = w2 / area;
        double u = l0 * a->u + l1 * b->u + l2 * c->u;
        double vv = l0 * a->v + l1 * b->v + l2 * c->v;
        uint32_t diffuse = 0;
        for (int s = 0; s <= 24; s += 8) {
          double ch = l0 * ((a->diffuse >> s) & 255) + l1 * ((b->diffuse >> s) & 255) + l2 * ((c->diffuse >> s) & 255);
          diffuse |= static_cast<uint32_t>(std::clamp(static_cast<int>(ch + 0.5), 0, 255)) << s;
        }
        uint32_t t = 0xFF000000u;
        if (tex) {
          int tx = Wrap(static_cast<int>(std::floor(u * texW)), texW);
          int ty = Wrap(static_cast<int>(std::floor(vv * texH)), texH);
          t = FormatToArgb(tex->Format(), tex->GetPixel(tx, ty));
        }
        uint32_t colour = Shade(t, diffuse);
        WriteSpan(row + static_cast<size_t>(px) * dst.BytesPerPixel(), &colour, 1);
      }
    }
  }
  return DD_OK;
}

DDRESULT cVirtualDevice::Present() {
  if (lost_) return D3DERR_DEVICELOST;
  PresentSurface(*backBuffer_, nullptr);
  return DD_OK;
}

DDRESULT cVirtualDevice::TestCooperativeLevel() const {
  if (!lost_) return DD_OK;
  return held_ ? D3DERR_DEVICELOST : D3DERR_DEVICENOTRESET;
}

DDRESULT cVirtualDevice::Reset() {
  if (lost_ && held_) return D3DERR_DEVICELOST;
  target_.reset();
  texture_.reset();
  // Every default-pool resource must be gone before a reset, as on real hardware.
  if (DefaultPoolSurfaces() > 0) {
    target_ = backBuffer_;
    return D3DERR_INVALIDCALL;
  }
  backBuffer_ = std::make_shared<cPixelSurface>(bbFormat_, width_, height_, DDPOOL_SWAPCHAIN);
  backBuffer_->renderTarget = true;
  target_ = backBuffer_;
  lost_ = false;
  inScene_ = false;
  ResetStates();
  return DD_OK;
}

void cVirtualDevice::SimulateLoss(bool held) {
  lost_ = true;
  held_ = held;
  backBuffer_->FillRaw(nullptr, 0xCDCDCDCDu);
}
