// ctest-label: graphics
// The device's fast row kernels against the per-pixel paths they replace:
// the kernels alone on random runs, and whole blits through the library in
// every personality and depth with random content, keys and clipping, and
// rectangles under every stage setting the library uses.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <iterator>
#include <random>
#include <vector>

#include "media/graphics/DDCore.h"
#include "media/graphics/PixelSpans.h"
#include "media/graphics/Shape.h"
#include "tests/media/graphics/GraphicsTestSupport.h"

// The file's own namespace keeps its helpers apart from other test files compiled with it.
namespace pixel_spans_test {

namespace {

// Rows made of runs of one kind each, so that the kernels meet long opaque
// stretches, long clear ones and mixed blocks at every alignment.
template <typename T>
std::vector<T> Runs(std::mt19937& rng, size_t n, const std::function<T(int kind)>& make) {
  std::vector<T> v;
  while (v.size() < n) {
    int kind = int(rng() % 4), len = 1 + int(rng() % 70);
    for (int i = 0; i < len && v.size() < n; ++i) v.push_back(make(kind));
  }
  return v;
}

template <typename T, typename Fast, typename Ref>
void CompareKernel(const char* name, std::mt19937& rng, const std::function<T(int)>& make, Fast fast, Ref ref) {
  for (int round = 0; round < 300; ++round) {
    const int n = int(rng() % 200), off = int(rng() % 9);
    std::vector<T> src = Runs<T>(rng, size_t(n + off), make);
    std::vector<T> dst = Runs<T>(rng, size_t(n + off), [&](int) { return T(rng()); });
    std::vector<T> want = dst;
    fast(dst.data() + off, src.data() + off, n);
    ref(want.data() + off, src.data() + off, n);
    ASSERT_EQ(dst, want) << name << " round " << round << " n " << n << " offset " << off;
  }
}

void CompareAllKernels(std::mt19937& rng);

// Both the baseline forms and, where the processor has it, the AVX2 ones.
TEST(PixelSpans, KernelsEqualTheirPerPixelDefinitions) {
  std::mt19937 rng(33);
  for (bool baseline : {true, false}) {
    SCOPED_TRACE(baseline ? "SSE2" : "as the processor allows");
    DDLimitSpanKernelsToBaseline(baseline);
    CompareAllKernels(rng);
  }
  DDLimitSpanKernelsToBaseline(false);
}

void CompareAllKernels(std::mt19937& rng) {
  const uint8_t key8 = 0x5A;
  const uint16_t key16 = 0xF81F;
  const uint32_t key32 = 0x00FF00FF;
  CompareKernel<uint8_t>("CopyKeyed8", rng, [&](int k) { return k == 0 ? key8 : uint8_t(rng()); },
                         [&](uint8_t* d, const uint8_t* s, int n) { spans::CopyKeyed8(d, s, n, key8); },
                         [&](uint8_t* d, const uint8_t* s, int n) { spanref::CopyKeyed8(d, s, n, key8); });
  CompareKernel<uint16_t>("CopyKeyed16", rng, [&](int k) { return k == 0 ? key16 : uint16_t(rng()); },
                          [&](uint16_t* d, const uint16_t* s, int n) { spans::CopyKeyed16(d, s, n, key16); },
                          [&](uint16_t* d, const uint16_t* s, int n) { spanref::CopyKeyed16(d, s, n, key16); });
  CompareKernel<uint32_t>("CopyKeyed32", rng, [&](int k) { return k == 0 ? key32 : uint32_t(rng()); },
                          [&](uint32_t* d, const uint32_t* s, int n) { spans::CopyKeyed32(d, s, n, key32); },
                          [&](uint32_t* d, const uint32_t* s, int n) { spanref::CopyKeyed32(d, s, n, key32); });
  // ARGB texels: opaque, clear (with colour bits), partly transparent, anything.
  auto argb = [&](int k) -> uint32_t {
    uint32_t c = rng() & 0xFFFFFF;
    switch (k) {
      case 0: return 0xFF000000u | c;
      case 1: return c;
      case 2: return (1 + rng() % 254) << 24 | c;
      default: return rng() % 2 ? 0xFF000000u | c : c;
    }
  };
  for (uint32_t force : {0u, 0xFF000000u}) {
    CompareKernel<uint32_t>("BlendArgb", rng, argb,
                            [&](uint32_t* d, const uint32_t* s, int n) { spans::BlendArgb(d, s, n, force); },
                            [&](uint32_t* d, const uint32_t* s, int n) { spanref::BlendArgb(d, s, n, force); });
    CompareKernel<uint32_t>("CopyArgb", rng, argb,
                            [&](uint32_t* d, const uint32_t* s, int n) { spans::CopyArgb(d, s, n, force); },
                            [&](uint32_t* d, const uint32_t* s, int n) { spanref::CopyArgb(d, s, n, force); });
  }
  auto t1555 = [&](int k) -> uint16_t {
    uint16_t c = uint16_t(rng() & 0x7FFF);
    return k == 0 || (k == 3 && rng() % 2) ? uint16_t(c | 0x8000) : c;
  };
  CompareKernel<uint16_t>("Select1555", rng, t1555, spans::Select1555, spanref::Select1555);
  for (bool keyed : {false, true})
    CompareKernel<uint16_t>(
        "Convert1555To565", rng, t1555,
        [&](uint16_t* d, const uint16_t* s, int n) { spans::Convert1555To565(d, s, n, keyed); },
        [&](uint16_t* d, const uint16_t* s, int n) { spanref::Convert1555To565(d, s, n, keyed); });
}

struct Mode {
  const char* name;
  int d3d, bpp, windowed;
};
const Mode kModes[] = {{"D3D32", 1, 32, 1}, {"D3D16 windowed", 1, 16, 1}, {"D3D16 full screen", 1, 16, 0},
                       {"DD32", 0, 32, 1},  {"DD16", 0, 16, 1},          {"DD8", 0, 8, 0}};

// Random raw pixels in the surface's own format: opaque runs, keyed runs
// (the key colour, or texels without alpha) and, at 32 bits under
// Direct3D, partly transparent texels.
void FillRandom(cPixelSurface& s, bool d3d, std::mt19937& rng) {
  for (int y = 0; y < s.Height(); ++y) {
    int x = 0;
    while (x < s.Width()) {
      int kind = int(rng() % 4), len = 1 + int(rng() % 60);
      for (int i = 0; i < len && x < s.Width(); ++i, ++x) {
        uint32_t raw = rng();
        switch (s.Format()) {
          case DDFMT_P8: raw &= 0xFF; break;
          case DDFMT_R5G6B5: raw &= 0xFFFF; break;
          case DDFMT_A1R5G5B5: raw = (raw & 0x7FFF) | (kind == 1 ? 0u : 0x8000u); break;
          case DDFMT_X8R8G8B8: raw &= 0xFFFFFF; break;
          default: raw = (raw & 0xFFFFFF) | (kind == 1 ? 0u : kind == 2 ? (rng() % 256) << 24 : 0xFF000000u); break;
        }
        if (!d3d && kind == 1) raw = dwTransmitPixel;
        s.SetPixel(x, y, raw);
      }
    }
  }
}

std::vector<uint32_t> Snapshot(const cPixelSurface& s) {
  std::vector<uint32_t> v;
  for (int y = 0; y < s.Height(); ++y)
    for (int x = 0; x < s.Width(); ++x) v.push_back(s.GetPixel(x, y));
  return v;
}

// The same random blits with the fast paths and with the reference paths.
std::vector<uint32_t> RunBlits(const Mode& m, bool reference) {
  DDUseReferencePixelPaths(reference);
  gfxtest::Library lib(m.d3d, m.bpp, m.windowed);
  EXPECT_TRUE(lib.ok()) << m.name;
  std::mt19937 rng(7);
  DDSURFACEDATA picture, sheet, half, target;
  EXPECT_TRUE(DDCreateSurface(&picture, 640, 480, 0, 0, DTMEMORYTYPE_VIDEO_RT, 0, 0));
  EXPECT_TRUE(DDCreateSurface(&sheet, 256, 256, 1, 0, DTMEMORYTYPE_VIDEO_RT, 0, 0));
  EXPECT_TRUE(DDCreateSurface(&half, 320, 240, 1, 0, DTMEMORYTYPE_VIDEO_RT, 0, 0));
  EXPECT_TRUE(DDCreateSurface(&target, 200, 150, 0, 0, DTMEMORYTYPE_VIDEO_RT, 0, 0));
  const bool d3d = m.d3d != 0;
  FillRandom(*picture.Pixels(), d3d, rng);
  FillRandom(*sheet.Pixels(), d3d, rng);
  FillRandom(*half.Pixels(), d3d, rng);
  FillRandom(*BackBuffer.Pixels(), d3d, rng);
  FillRandom(*target.Pixels(), d3d, rng);
  // Whole frames first (the opaque copies), then sprites and stretches anywhere.
  DDBlt(&BackBuffer, 0, 0, 640, 480, &picture, 0, 0, 0);
  DDBltStretch(&BackBuffer, 0, 0, 640, 480, &half, 0, 0, 320, 240, 1);
  DDSURFACEDATA* sources[] = {&picture, &sheet, &half};
  for (int i = 0; i < 400; ++i) {
    DDSURFACEDATA* src = sources[rng() % 3];
    DDSURFACEDATA* dst = rng() % 4 == 0 ? &target : &BackBuffer;
    int x = int(rng() % 760) - 60, y = int(rng() % 600) - 60, w = 1 + int(rng() % 200), h = 1 + int(rng() % 160);
    int sx = int(rng() % 300) - 20, sy = int(rng() % 300) - 20;
    int keyed = int(rng() % 3);  // 2: the flag is on only when it is 1
    if (rng() % 3 == 0) {
      int sw = rng() % 2 ? w / 2 + 1 : 1 + int(rng() % 200), sh = rng() % 2 ? h / 2 + 1 : 1 + int(rng() % 160);
      DDBltStretch(dst, x, y, w, h, src, sx, sy, sw, sh, keyed);
    } else {
      DDBlt(dst, x, y, w, h, src, sx, sy, keyed);
    }
  }
  // Copies with the alpha stage off (the screen effects' and the virtual
  // back buffer's), and fills, some of them queued.
  for (int i = 0; i < 150; ++i) {
    DDSURFACEDATA* src = sources[rng() % 3];
    DDSURFACEDATA* dst = rng() % 4 == 0 ? &target : &BackBuffer;
    int x = int(rng() % 760) - 60, y = int(rng() % 600) - 60, w = 1 + int(rng() % 300), h = 1 + int(rng() % 240);
    const int kind = int(rng() % 4);
    if (kind == 0) {
      DDFillRect(dst, x, y, w, h, rng() % 256);
    } else if (kind == 1) {
      const uint32_t argb = rng() % 2 ? rng() | 0xFF000000u : rng();
      const bool queued = rng() % 2 != 0;
      if (queued) DDBeginFillBatch();
      DDFillRectARGB(dst, x, y, w, h, argb);
      if (queued) DDEndFillBatch();
    } else {
      int sx = int(rng() % 300) - 20, sy = int(rng() % 300) - 20, keyed = int(rng() % 3);
      DDSetBltAlphaOp(DTOP_DISABLE);
      if (kind == 2)
        DDBlt(dst, x, y, w, h, src, sx, sy, keyed);
      else
        DDBltStretch(dst, x, y, w, h, src, sx, sy, 1 + int(rng() % 300), 1 + int(rng() % 240), keyed);
      DDResetBltAlphaOp();
    }
  }
  std::vector<uint32_t> out = Snapshot(*BackBuffer.Pixels());
  std::vector<uint32_t> second = Snapshot(*target.Pixels());
  out.insert(out.end(), second.begin(), second.end());
  for (DDSURFACEDATA* s : {&picture, &sheet, &half, &target}) DDReleaseSurface(s);
  DDUseReferencePixelPaths(false);
  return out;
}

TEST(PixelSpans, BlitsMatchTheReferencePathsInEveryMode) {
  for (const Mode& m : kModes) {
    DDLimitSpanKernelsToBaseline(true);
    EXPECT_TRUE(RunBlits(m, false) == RunBlits(m, true)) << m.name << " with the SSE2 kernels";
    DDLimitSpanKernelsToBaseline(false);
    std::vector<uint32_t> fast = RunBlits(m, false), ref = RunBlits(m, true);
    ASSERT_EQ(fast.size(), ref.size()) << m.name;
    size_t differ = 0, first = fast.size();
    for (size_t i = 0; i < fast.size(); ++i)
      if (fast[i] != ref[i]) {
        ++differ;
        first = std::min(first, i);
      }
    EXPECT_EQ(differ, 0u) << m.name << ": first difference at pixel " << first;
  }
}

}  // namespace

namespace {

// Random quads (rotated, sheared, degenerate, partly off the target) through
// the device with its fast rasteriser and with the per-pixel reference.
// Random rectangles through the device under random stage settings (texel
// or diffuse or factor colour, alpha off or from any argument, with and
// without a texture, blending or not), onto the back buffer or onto the
// texture itself, against the per-pixel path.
TEST(PixelSpans, RectsMatchThePerPixelPathInEveryStage) {
  struct Target {
    DDFORMAT back, texture;
  };
  const Target targets[] = {{DDFMT_X8R8G8B8, DDFMT_A8R8G8B8}, {DDFMT_X8R8G8B8, DDFMT_X8R8G8B8},
                            {DDFMT_A8R8G8B8, DDFMT_A8R8G8B8}, {DDFMT_A8R8G8B8, DDFMT_X8R8G8B8},
                            {DDFMT_A1R5G5B5, DDFMT_A1R5G5B5}, {DDFMT_R5G6B5, DDFMT_A1R5G5B5}};
  struct Arg {
    uint32_t op, arg1, arg2;
  };
  const Arg colours[] = {
      {DTOP_SELECTARG1, DTTA_TEXTURE, DTTA_DIFFUSE},       {DTOP_SELECTARG2, DTTA_DIFFUSE, DTTA_TEXTURE},
      {DTOP_MODULATE, DTTA_TEXTURE, DTTA_DIFFUSE},         {DTOP_SELECTARG2, DTTA_TEXTURE, DTTA_TFACTOR},
      {DTOP_SELECTARG1, DTTA_DIFFUSE, DTTA_TEXTURE},       {DTOP_DISABLE, DTTA_TEXTURE, DTTA_DIFFUSE},
      {DTOP_BLENDTEXTUREALPHA, DTTA_DIFFUSE, DTTA_TFACTOR}};
  const Arg alphas[] = {{DTOP_DISABLE, DTTA_TEXTURE, DTTA_DIFFUSE},
                        {DTOP_SELECTARG1, DTTA_TEXTURE, DTTA_DIFFUSE},
                        {DTOP_SELECTARG2, DTTA_TEXTURE, DTTA_TFACTOR},
                        {DTOP_SELECTARG1, DTTA_DIFFUSE, DTTA_TEXTURE},
                        {DTOP_MODULATE, DTTA_TEXTURE, DTTA_DIFFUSE}};
  std::mt19937 rng(13);
  for (const Target& t : targets) {
    for (int round = 0; round < 80; ++round) {
      std::vector<uint32_t> results[2];
      const uint32_t seed = rng();
      for (int reference = 0; reference < 2; ++reference) {
        DDUseReferencePixelPaths(reference != 0);
        std::mt19937 r(seed);
        cVirtualDevice dev(t.back, 96, 80);
        std::shared_ptr<cTexture> tex;
        const bool selfCopy = r() % 4 == 0;
        ASSERT_EQ(dev.CreateTexture(1 + int(r() % 120), 1 + int(r() % 100), selfCopy ? uint32_t(DTUSAGE_RENDERTARGET) : 0u,
                                    selfCopy ? t.back : t.texture, selfCopy ? DDPOOL_DEFAULT : DDPOOL_MANAGED, &tex),
                  DD_OK);
        FillRandom(*tex->level0, true, r);
        FillRandom(*dev.GetBackBuffer(), true, r);
        if (selfCopy) {
          ASSERT_EQ(dev.SetRenderTarget(tex->level0), DD_OK);
        }
        dev.SetTexture(r() % 5 == 0 ? nullptr : tex);
        for (int q = 0; q < 8; ++q) {
          const Arg& c = colours[r() % std::size(colours)];
          const Arg& a = alphas[r() % std::size(alphas)];
          dev.Stage() = DTSTAGE{};
          dev.Stage().colorOp = c.op;
          dev.Stage().colorArg1 = c.arg1;
          dev.Stage().colorArg2 = c.arg2;
          dev.Stage().alphaOp = a.op;
          dev.Stage().alphaArg1 = a.arg1;
          dev.Stage().alphaArg2 = a.arg2;
          auto colour = [&r] {
            switch (r() % 4) {
              case 0: return 0xFFFFFFFFu;
              case 1: return uint32_t(r()) | 0xFF000000u;
              case 2: return uint32_t(r()) & 0x00FFFFFFu;
              default: return uint32_t(r());
            }
          };
          dev.SetTextureFactor(colour());
          dev.SetAlphaBlend(r() % 3 != 0);
          const int x = int(r() % 130) - 20, y = int(r() % 110) - 20, w = int(r() % 110), h = int(r() % 90);
          const int sx = int(r() % 160) - 30, sy = int(r() % 140) - 30;
          const int sw = r() % 2 ? w : int(r() % 160) - 40, sh = r() % 2 ? h : int(r() % 140) - 40;
          dev.DrawRect(x, y, w, h, sx, sy, sw, sh, colour());
        }
        results[reference] = Snapshot(*dev.GetBackBuffer());
        if (selfCopy) {
          const std::vector<uint32_t> own = Snapshot(*tex->level0);
          results[reference].insert(results[reference].end(), own.begin(), own.end());
        }
      }
      DDUseReferencePixelPaths(false);
      ASSERT_EQ(results[0], results[1]) << "format " << t.back << " texture " << t.texture << " round " << round;
    }
  }
}

TEST(PixelSpans, QuadsMatchThePerPixelRasteriser) {
  struct Target {
    DDFORMAT back, texture;
  };
  const Target targets[] = {{DDFMT_X8R8G8B8, DDFMT_A8R8G8B8},
                            {DDFMT_A1R5G5B5, DDFMT_A1R5G5B5},
                            {DDFMT_R5G6B5, DDFMT_A1R5G5B5}};
  std::mt19937 rng(11);
  for (const Target& t : targets) {
    for (int round = 0; round < 60; ++round) {
      std::vector<uint32_t> results[2];
      const uint32_t seed = rng();
      for (int reference = 0; reference < 2; ++reference) {
        DDUseReferencePixelPaths(reference != 0);
        std::mt19937 r(seed);
        cVirtualDevice dev(t.back, 96, 80);
        std::shared_ptr<cTexture> tex;
        ASSERT_EQ(dev.CreateTexture(1 + int(r() % 70), 1 + int(r() % 70), 0, t.texture, DDPOOL_MANAGED, &tex), DD_OK);
        FillRandom(*tex->level0, true, r);
        FillRandom(*dev.GetBackBuffer(), true, r);
        dev.SetTexture(tex);
        dev.SetAlphaBlend(r() % 4 != 0);
        if (r() % 3 == 0) {
          dev.Stage().colorOp = DTOP_MODULATE;
          dev.Stage().alphaOp = DTOP_MODULATE;
        } else {
          dev.Stage().colorOp = DTOP_SELECTARG1;
          dev.Stage().alphaOp = DTOP_SELECTARG1;
        }
        for (int q = 0; q < 6; ++q) {
          // A rotated rectangle, or four free corners.
          DTVERTEX v[4];
          const uint32_t one = r() % 2 ? 0xFFFFFFFFu : r();
          const bool oneColour = r() % 3 != 0;
          if (r() % 2) {
            const double angle = double(r() % 360) * 3.14159265358979 / 180, cx = double(r() % 120) - 12,
                         cy = double(r() % 100) - 10, hw = 1 + r() % 60, hh = 1 + r() % 50;
            const double dx[4] = {-hw, -hw, hw, hw}, dy[4] = {-hh, hh, -hh, hh};
            for (int i = 0; i < 4; ++i)
              v[i] = {float(cx + dx[i] * std::cos(angle) - dy[i] * std::sin(angle)),
                      float(cy + dx[i] * std::sin(angle) + dy[i] * std::cos(angle)), 0.0f, 1.0f, 0, 0, 0};
          } else {
            for (int i = 0; i < 4; ++i)
              v[i] = {float(int(r() % 1400) - 200) / 10.0f, float(int(r() % 1200) - 200) / 10.0f, 0.0f, 1.0f, 0, 0, 0};
          }
          const float us[4] = {0, 0, 1, 1}, vs[4] = {0, 1, 0, 1};
          for (int i = 0; i < 4; ++i) {
            v[i].diffuse = oneColour ? one : uint32_t(r());
            v[i].u = us[i] * float(1 + r() % 3) / 2;
            v[i].v = vs[i] * float(1 + r() % 3) / 2;
          }
          dev.DrawQuad(v);
        }
        results[reference] = Snapshot(*dev.GetBackBuffer());
      }
      DDUseReferencePixelPaths(false);
      ASSERT_EQ(results[0], results[1]) << "format " << t.back << " round " << round;
    }
  }
}

}  // namespace

}  // namespace pixel_spans_test
