// The Direct3D personality's virtual device: resources, render targets,
// clears, the fixed-function stage and the quad rasteriser.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "media/graphics/DDDevice.h"
#include "media/graphics/PixelSpans.h"

namespace {
int Wrap(int v, int n) {
  if (v >= 0 && v < n) return v;
  if (n <= 0) return 0;
  v %= n;
  return v < 0 ? v + n : v;
}

bool PoolCountsVideoMemory(DDPOOL pool) { return pool == DDPOOL_DEFAULT || pool == DDPOOL_MANAGED; }
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
  if (!out || width <= 0 || height <= 0 || width > DDGetVirtualDisplay().nMaxTextureWidth ||
      height > DDGetVirtualDisplay().nMaxTextureHeight || FormatBytesPerPixel(format) == 0)
    return D3DERR_INVALIDCALL;
  if ((usage & DTUSAGE_RENDERTARGET) && pool != DDPOOL_DEFAULT) return D3DERR_INVALIDCALL;
  if (PoolCountsVideoMemory(pool) && !VideoMemoryFits(int64_t(width) * height * FormatBytesPerPixel(format)))
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
  if (PoolCountsVideoMemory(pool) && !VideoMemoryFits(int64_t(width) * height * FormatBytesPerPixel(format)))
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

// The colour the stage writes is the texel's own.
bool ColourIsTexel(const DTSTAGE& st, uint32_t diffuse) {
  return (st.colorOp == DTOP_SELECTARG1 && st.colorArg1 == DTTA_TEXTURE) ||
         (st.colorOp == DTOP_SELECTARG2 && st.colorArg2 == DTTA_TEXTURE) ||
         (st.colorOp == DTOP_MODULATE && (diffuse & 0xFFFFFF) == 0xFFFFFF &&
          ((st.colorArg1 == DTTA_TEXTURE && st.colorArg2 == DTTA_DIFFUSE) ||
           (st.colorArg1 == DTTA_DIFFUSE && st.colorArg2 == DTTA_TEXTURE)));
}

// True unless the colour and alpha both come from arguments other than the
// texture; other operations count as reading it.
bool ReadsTexture(const DTSTAGE& st) {
  auto reads = [](uint32_t op, uint32_t arg1, uint32_t arg2) {
    if (op == DTOP_DISABLE) return false;
    if (op == DTOP_SELECTARG1) return (arg1 & 0xF) == DTTA_TEXTURE;
    if (op == DTOP_SELECTARG2) return (arg2 & 0xF) == DTTA_TEXTURE;
    return true;
  };
  return reads(st.colorOp, st.colorArg1, st.colorArg2) || reads(st.alphaOp, st.alphaArg1, st.alphaArg2);
}
}  // namespace

bool cVirtualDevice::PassThrough(uint32_t diffuse) const {
  bool alphaIsTexel = (stage_.alphaOp == DTOP_SELECTARG1 && stage_.alphaArg1 == DTTA_TEXTURE) ||
                      (stage_.alphaOp == DTOP_SELECTARG2 && stage_.alphaArg2 == DTTA_TEXTURE) ||
                      (stage_.alphaOp == DTOP_MODULATE && (diffuse >> 24) == 0xFF &&
                       ((stage_.alphaArg1 == DTTA_TEXTURE && stage_.alphaArg2 == DTTA_DIFFUSE) ||
                        (stage_.alphaArg1 == DTTA_DIFFUSE && stage_.alphaArg2 == DTTA_TEXTURE)));
  return ColourIsTexel(stage_, diffuse) && alphaIsTexel;
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

namespace {
// The row kernels a pass-through draw can use instead of the per-pixel shade and write.
enum class RowPath { kGeneral, kArgbBlend, kArgbCopy, kSame1555Select, kSame16Copy, k1555To565Keyed, k1555To565 };

// opaque: the colour is the texel's and the alpha an opaque diffuse one.
RowPath ChooseRowPath(bool pass, bool opaque, bool blend, const cPixelSurface* tex, const cPixelSurface& dst) {
  if ((!pass && !opaque) || !tex || DDReferencePixelPaths()) return RowPath::kGeneral;
  const DDFORMAT t = tex->Format(), d = dst.Format();
  if (opaque) {
    // Every texel is written with alpha 255, blending or not.
    if ((t == DDFMT_A8R8G8B8 || t == DDFMT_X8R8G8B8) && (d == DDFMT_X8R8G8B8 || d == DDFMT_A8R8G8B8))
      return RowPath::kArgbCopy;
    return RowPath::kGeneral;
  }
  if (t == DDFMT_A8R8G8B8 && (d == DDFMT_X8R8G8B8 || d == DDFMT_A8R8G8B8))
    return blend ? RowPath::kArgbBlend : RowPath::kArgbCopy;
  if (t == DDFMT_A1R5G5B5 && d == DDFMT_A1R5G5B5) return blend ? RowPath::kSame1555Select : RowPath::kSame16Copy;
  if (t == DDFMT_A1R5G5B5 && d == DDFMT_R5G6B5) return blend ? RowPath::k1555To565Keyed : RowPath::k1555To565;
  return RowPath::kGeneral;
}

void RunRowPath(RowPath path, uint8_t* out, const void* texels, int n, uint32_t forceAlpha) {
  auto* d16 = reinterpret_cast<uint16_t*>(out);
  auto* d32 = reinterpret_cast<uint32_t*>(out);
  const auto* s16 = static_cast<const uint16_t*>(texels);
  const auto* s32 = static_cast<const uint32_t*>(texels);
  switch (path) {
    case RowPath::kArgbBlend: spans::BlendArgb(d32, s32, n, forceAlpha); break;
    case RowPath::kArgbCopy: spans::CopyArgb(d32, s32, n, forceAlpha); break;
    case RowPath::kSame1555Select: spans::Select1555(d16, s16, n); break;
    case RowPath::kSame16Copy: std::memcpy(d16, s16, static_cast<size_t>(n) * 2); break;
    case RowPath::k1555To565Keyed: spans::Convert1555To565(d16, s16, n, true); break;
    case RowPath::k1555To565: spans::Convert1555To565(d16, s16, n, false); break;
    case RowPath::kGeneral: break;
  }
}
}  // namespace

namespace {
// One colour blended onto a 32-bit row: WriteSpan's blend (BlendChannel on
// each channel, alpha included) with the colour's share worked once, byte by
// byte so that it runs many pixels at a time. opaqueAlpha: an X8R8G8B8 row.
void BlendSolidRow(uint8_t* row, int n, uint32_t c, bool opaqueAlpha) {
  const uint32_t a = c >> 24, keep = 255u - a;
  const uint32_t share[4] = {(c & 255u) * a + 127u, ((c >> 8) & 255u) * a + 127u, ((c >> 16) & 255u) * a + 127u,
                             a * a + 127u};
  for (int i = 0; i < n; ++i) {
    uint8_t* p = row + static_cast<size_t>(i) * 4;  // B, G, R, A in memory
    for (int k = 0; k < 4; ++k) p[k] = static_cast<uint8_t>((share[k] + p[k] * keep) / 255u);
    if (opaqueAlpha) p[3] = 255;
  }
}
}  // namespace

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
  if (sw == w) {
    for (int i = 0; i < n; ++i) columns_[static_cast<size_t>(i)] = Wrap(sx + x0 - x + i, texW);
  } else {
    for (int i = 0; i < n; ++i)
      columns_[static_cast<size_t>(i)] = Wrap(sx + StretchSourceOffset(x0 - x + i, sw, w), texW);
  }
  texels_.resize(static_cast<size_t>(n));
  texels16_.resize(static_cast<size_t>(n));
  bool pass = PassThrough(diffuse);
  const DDFORMAT dstFormat = dst.Format();
  if ((!tex || !ReadsTexture(stage_)) && !DDReferencePixelPaths() &&
      (dstFormat == DDFMT_A8R8G8B8 || dstFormat == DDFMT_X8R8G8B8 || dstFormat == DDFMT_R5G6B5 ||
       dstFormat == DDFMT_A1R5G5B5)) {
    // Every pixel gets the same colour: a fill, or one shade blended on each row.
    const uint32_t t = 0xFF000000u;
    const uint32_t c = pass ? t : Shade(t, diffuse);
    const uint32_t a = c >> 24;
    if (!blend_ || a == 255) {
      const bool wide = dstFormat == DDFMT_A8R8G8B8 || dstFormat == DDFMT_X8R8G8B8;
      const uint32_t raw = wide ? c | (dstFormat == DDFMT_X8R8G8B8 ? 0xFF000000u : 0u) : ArgbToFormat(dstFormat, c);
      const DDRECT r{x0, y0, x1, y1};
      dst.FillRaw(&r, raw);
      return DD_OK;
    }
    if (a == 0) return DD_OK;
    if (dstFormat == DDFMT_A8R8G8B8 || dstFormat == DDFMT_X8R8G8B8) {
      for (int py = y0; py < y1; ++py)
        BlendSolidRow(dst.Row(py) + static_cast<size_t>(x0) * 4, n, c, dstFormat == DDFMT_X8R8G8B8);
      return DD_OK;
    }
    std::fill(texels_.begin(), texels_.end(), c);
    for (int py = y0; py < y1; ++py)
      WriteSpan(dst.Row(py) + static_cast<size_t>(x0) * dst.BytesPerPixel(), texels_.data(), n);
    return DD_OK;
  }
  const bool opaque =
      !pass && stage_.alphaOp == DTOP_DISABLE && (diffuse >> 24) == 0xFF && ColourIsTexel(stage_, diffuse);
  const RowPath path = ChooseRowPath(pass, opaque, blend_, tex, dst);
  if (path != RowPath::kGeneral) {
    const int bytes = tex->BytesPerPixel();
    const uint32_t forceAlpha = opaque || dstFormat == DDFMT_X8R8G8B8 ? 0xFF000000u : 0u;
    // Reading the target's own pixels goes through a copy of each row.
    const bool contiguous = tex != &dst && sw == w && columns_[0] + n <= texW &&
                            columns_[static_cast<size_t>(n - 1)] == columns_[0] + n - 1;
    int gathered = -1;
    if (contiguous && sh == h && n * bytes == tex->Pitch() && n * dst.BytesPerPixel() == dst.Pitch() &&
        int64_t(sy) + (y0 - y) >= 0 && int64_t(sy) + (y1 - 1 - y) < texH) {
      // Whole rows on both sides follow each other in memory: one span.
      RunRowPath(path, dst.Row(y0), tex->Row(sy + (y0 - y)), n * (y1 - y0), forceAlpha);
      return DD_OK;
    }
    for (int py = y0; py < y1; ++py) {
      int srow = Wrap(sy + StretchSourceOffset(py - y, sh, h), texH);
      uint8_t* out = dst.Row(py) + static_cast<size_t>(x0) * dst.BytesPerPixel();
      const void* s;
      if (contiguous) {
        s = tex->Row(srow) + static_cast<size_t>(columns_[0]) * bytes;
      } else {
        // A stretched copy reads each source row several times: gather it once.
        if (srow != gathered || tex == &dst) {
          if (bytes == 2)
            spans::Gather16(texels16_.data(), reinterpret_cast<const uint16_t*>(tex->Row(srow)), columns_.data(), n);
          else
            spans::Gather32(texels_.data(), reinterpret_cast<const uint32_t*>(tex->Row(srow)), columns_.data(), n);
          gathered = srow;
        }
        s = bytes == 2 ? static_cast<const void*>(texels16_.data()) : static_cast<const void*>(texels_.data());
      }
      RunRowPath(path, out, s, n, forceAlpha);
    }
    return DD_OK;
  }
  for (int py = y0; py < y1; ++py) {
    int srow = Wrap(sy + StretchSourceOffset(py - y, sh, h), texH);
    uint8_t* out = dst.Row(py) + static_cast<size_t>(x0) * dst.BytesPerPixel();
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
  if (DDReferencePixelPaths()) {
    RasteriseReference(v);
    return DD_OK;
  }
  Rasterise(v);
  return DD_OK;
}

namespace {
double EdgeAt(const DTVERTEX* p, const DTVERTEX* q, double x, double y) {
  return (double(q->x) - p->x) * (y - p->y) - (double(q->y) - p->y) * (x - p->x);
}

// Pixels on an edge belong to the triangle only on its top and left edges.
bool IsTopLeft(const DTVERTEX* p, const DTVERTEX* q) {
  double dx = double(q->x) - p->x, dy = double(q->y) - p->y;
  return (dy == 0 && dx > 0) || dy < 0;
}
}  // namespace

// The straightforward rasteriser: every pixel of each triangle's bounding box
// tested and shaded on its own. Rasterise draws the same pixels.
void cVirtualDevice::RasteriseReference(const DTVERTEX v[4]) {
  const cPixelSurface* tex = texture_ && texture_->level0 ? texture_->level0.get() : nullptr;
  int texW = tex ? tex->Width() : 1, texH = tex ? tex->Height() : 1;
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
    double area = EdgeAt(a, b, c->x, c->y);
    if (area == 0) continue;
    if (area < 0) {
      std::swap(b, c);
      area = -area;
    }
    bool tlA = IsTopLeft(b, c), tlB = IsTopLeft(c, a), tlC = IsTopLeft(a, b);
    int px0 = std::max(0, static_cast<int>(std::floor(std::min({a->x, b->x, c->x}))));
    int px1 = std::min(dst.Width() - 1, static_cast<int>(std::ceil(std::max({a->x, b->x, c->x}))));
    int py0 = std::max(0, static_cast<int>(std::floor(std::min({a->y, b->y, c->y}))));
    int py1 = std::min(dst.Height() - 1, static_cast<int>(std::ceil(std::max({a->y, b->y, c->y}))));
    for (int py = py0; py <= py1; ++py) {
      uint8_t* row = dst.Row(py);
      for (int px = px0; px <= px1; ++px) {
        double w0 = EdgeAt(b, c, px, py), w1 = EdgeAt(c, a, px, py), w2 = EdgeAt(a, b, px, py);
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
}


namespace {

// Pixels [lo, hi] of a row where one edge's test passes. The computed edge
// value is monotonic along the row (each rounding step is), so the passing
// pixels form one run: found from the exact crossing, then settled with the
// same expression the per-pixel test uses.
void EdgeRun(const DTVERTEX* p, const DTVERTEX* q, bool topLeft, int py, int* lo, int* hi) {
  auto pass = [&](int x) {
    double e = EdgeAt(p, q, x, py);
    return e > 0 || (e == 0 && topLeft);
  };
  const double slope = -(double(q->y) - p->y);  // change of the value per pixel to the right
  if (*lo > *hi) return;
  if (slope == 0) {
    if (!pass(*lo)) *hi = *lo - 1;
    return;
  }
  // The crossing, where the value is zero.
  double cross = p->x + (double(q->x) - p->x) * (py - p->y) / (double(q->y) - p->y);
  int guess = std::isfinite(cross) ? int(std::clamp(std::floor(cross), double(*lo) - 1, double(*hi) + 1)) : *lo;
  if (slope > 0) {
    // Passes from some pixel on: the first passing one.
    int x = std::clamp(guess, *lo, *hi);
    if (pass(x)) {
      while (x > *lo && pass(x - 1)) --x;
    } else {
      while (x <= *hi && !pass(x)) ++x;
    }
    *lo = x;
  } else {
    // Passes up to some pixel: the last passing one.
    int x = std::clamp(guess, *lo, *hi);
    if (pass(x)) {
      while (x < *hi && pass(x + 1)) ++x;
    } else {
      while (x >= *lo && !pass(x)) --x;
    }
    *hi = x;
  }
}
}  // namespace

// Each row of a triangle is cut to the run inside all three edges, so only
// covered pixels are visited. A quad of one vertex colour skips the colour
// interpolation (it gives that colour back), and a pass-through stage writes
// the run's texels through the row kernels.
void cVirtualDevice::Rasterise(const DTVERTEX v[4]) {
  // The runs rely on exact, ordered edge values: far-off or broken positions take the reference.
  for (int i = 0; i < 4; ++i)
    if (!(std::fabs(v[i].x) < 1e7f) || !(std::fabs(v[i].y) < 1e7f)) return RasteriseReference(v);
  cPixelSurface& dst = *target_;
  const cPixelSurface* tex = texture_ && texture_->level0 ? texture_->level0.get() : nullptr;
  const int texW = tex ? tex->Width() : 1, texH = tex ? tex->Height() : 1;
  const bool oneColour = v[0].diffuse == v[1].diffuse && v[0].diffuse == v[2].diffuse && v[0].diffuse == v[3].diffuse;
  const RowPath path =
      oneColour && tex != &dst ? ChooseRowPath(PassThrough(v[0].diffuse), false, blend_, tex, dst) : RowPath::kGeneral;
  const int texBytes = tex ? tex->BytesPerPixel() : 4;
  const uint32_t forceAlpha = dst.Format() == DDFMT_X8R8G8B8 ? 0xFF000000u : 0u;
  const int dstBytes = dst.BytesPerPixel();
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
    double area = EdgeAt(a, b, c->x, c->y);
    if (area == 0) continue;
    if (area < 0) {
      std::swap(b, c);
      area = -area;
    }
    bool tlA = IsTopLeft(b, c), tlB = IsTopLeft(c, a), tlC = IsTopLeft(a, b);
    int px0 = std::max(0, static_cast<int>(std::floor(std::min({a->x, b->x, c->x}))));
    int px1 = std::min(dst.Width() - 1, static_cast<int>(std::ceil(std::max({a->x, b->x, c->x}))));
    int py0 = std::max(0, static_cast<int>(std::floor(std::min({a->y, b->y, c->y}))));
    int py1 = std::min(dst.Height() - 1, static_cast<int>(std::ceil(std::max({a->y, b->y, c->y}))));
    for (int py = py0; py <= py1; ++py) {
      int lo = px0, hi = px1;
      EdgeRun(b, c, tlA, py, &lo, &hi);
      EdgeRun(c, a, tlB, py, &lo, &hi);
      EdgeRun(a, b, tlC, py, &lo, &hi);
      if (lo > hi) continue;
      uint8_t* row = dst.Row(py);
      int runStart = lo, runLength = 0;
      auto flush = [&]() {
        if (runLength > 0) {
          const void* texels = texBytes == 2 ? static_cast<const void*>(texels16_.data())
                                             : static_cast<const void*>(texels_.data());
          RunRowPath(path, row + static_cast<size_t>(runStart) * dstBytes, texels, runLength, forceAlpha);
        }
        runLength = 0;
      };
      if (path != RowPath::kGeneral) {
        texels_.resize(static_cast<size_t>(hi - lo + 1));
        texels16_.resize(static_cast<size_t>(hi - lo + 1));
      }
      for (int px = lo; px <= hi; ++px) {
        double w0 = EdgeAt(b, c, px, py), w1 = EdgeAt(c, a, px, py), w2 = EdgeAt(a, b, px, py);
        double l0 = w0 / area, l1 = w1 / area, l2 = w2 / area;
        double u = l0 * a->u + l1 * b->u + l2 * c->u;
        double vv = l0 * a->v + l1 * b->v + l2 * c->v;
        // With one vertex colour the interpolation returns it whenever the
        // weights sum to 1 closely enough that rounding cannot move a channel.
        const bool colourHolds = oneColour && std::fabs(l0 + l1 + l2 - 1.0) < 1e-6;
        int tx = 0, ty = 0;
        if (tex) {
          tx = Wrap(static_cast<int>(std::floor(u * texW)), texW);
          ty = Wrap(static_cast<int>(std::floor(vv * texH)), texH);
        }
        if (path != RowPath::kGeneral && colourHolds) {
          if (runLength == 0) runStart = px;
          if (texBytes == 2)
            texels16_[static_cast<size_t>(runLength)] = reinterpret_cast<const uint16_t*>(tex->Row(ty))[tx];
          else
            texels_[static_cast<size_t>(runLength)] = reinterpret_cast<const uint32_t*>(tex->Row(ty))[tx];
          ++runLength;
          continue;
        }
        flush();
        uint32_t diffuse = 0;
        if (colourHolds) {
          diffuse = a->diffuse;
        } else {
          for (int s = 0; s <= 24; s += 8) {
            double ch =
                l0 * ((a->diffuse >> s) & 255) + l1 * ((b->diffuse >> s) & 255) + l2 * ((c->diffuse >> s) & 255);
            diffuse |= static_cast<uint32_t>(std::clamp(static_cast<int>(ch + 0.5), 0, 255)) << s;
          }
        }
        uint32_t t = tex ? FormatToArgb(tex->Format(), tex->GetPixel(tx, ty)) : 0xFF000000u;
        uint32_t colour = Shade(t, diffuse);
        WriteSpan(row + static_cast<size_t>(px) * dstBytes, &colour, 1);
      }
      flush();
    }
  }
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
