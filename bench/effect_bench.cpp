// Each effect kernel over a 640 x 480 frame, as the screen handlers run them:
// a picture in a work surface is drawn into the back buffer, which holds a
// different picture. A kernel that changes no pixel is reported as an error.
// "fps" is frames per second; "budget" is how many times the kernel fits in
// one frame at 60 frames per second (below 1: it cannot keep up alone).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <functional>
#include <vector>

#include "media/graphics/Effect.h"

namespace {

struct Mode {
  int d3d, bpp, windowed;
};
constexpr Mode kD3D32{1, 32, 1}, kDD32{0, 32, 1}, kDD8{0, 8, 0}, kD3D16{1, 16, 0};

using Kernel = std::function<void(DDSURFACEDATA* dst, DDSURFACEDATA* src)>;

uint32_t Noise(uint32_t i) { return (i * 2654435761u) ^ (i >> 7) ^ (i << 13); }

// A picture in the surface's own format: colour ramps across and down with
// noise in blue, a checker of 16-pixel squares, and fully transparent texels
// (or the key colour) on every ninth pixel so keyed paths have work too.
void Paint(cPixelSurface& s, uint32_t seed) {
  for (int y = 0; y < s.Height(); ++y)
    for (int x = 0; x < s.Width(); ++x) {
      const uint32_t n = Noise(seed + uint32_t(y * s.Width() + x));
      const uint32_t checker = ((x >> 4) ^ (y >> 4)) & 1 ? 0x40u : 0u;
      const uint32_t r = uint32_t(x * 255 / std::max(1, s.Width() - 1)) ^ checker;
      const uint32_t g = uint32_t(y * 255 / std::max(1, s.Height() - 1)) ^ (seed & 0x80);
      const uint32_t argb = 0xFF000000u | r << 16 | g << 8 | (n & 0xFF);
      uint32_t raw = s.Format() == DDFMT_P8 ? (r ^ g ^ n) & 0xFF : ArgbToFormat(s.Format(), argb);
      if ((x + 3 * y) % 9 == 0 && seed != 0) raw = s.Format() == DDFMT_A8R8G8B8 || s.Format() == DDFMT_A1R5G5B5 ? 0u : raw;
      s.SetPixel(x, y, raw);
    }
}

std::vector<uint32_t> Snapshot(const cPixelSurface& s) {
  std::vector<uint32_t> v;
  v.reserve(size_t(s.Width()) * s.Height());
  for (int y = 0; y < s.Height(); ++y)
    for (int x = 0; x < s.Width(); ++x) v.push_back(s.GetPixel(x, y));
  return v;
}

void RunKernel(benchmark::State& state, Mode mode, const Kernel& kernel) {
  if (!DDInit(mode.d3d, nullptr, 640, 480, mode.bpp, 0, mode.windowed, 1, 60, 0, nullptr, nullptr, 0, 0)) {
    state.SkipWithError("DDInit failed");
    return;
  }
  DDSURFACEDATA work;
  DDCreateSurface(&work, 640, 480, 0, 1, DTMEMORYTYPE_VIDEO_RT, 0, 0);
  for (int i = 0; i < 256; ++i) {
    PalWork[i] = {uint8_t(i), uint8_t(255 - i), uint8_t(i * 3), 255};
    for (int j = 0; j < 256; ++j) BlendTable[i * 256 + j] = uint8_t((i + j) / 2);
  }
  // Real pictures in both surfaces, different from each other.
  Paint(*work.Pixels(), 12345);
  Paint(*BackBuffer.Pixels(), 0);
  // Each kernel must change pixels, or its figure measures nothing.
  const std::vector<uint32_t> before = Snapshot(*BackBuffer.Pixels());
  kernel(&BackBuffer, &work);
  if (Snapshot(*BackBuffer.Pixels()) == before) {
    state.SkipWithError("the kernel changed no pixel");
  } else {
    for (auto _ : state) {
      kernel(&BackBuffer, &work);
      benchmark::ClobberMemory();
    }
  }
  DDReleaseSurface(&work);
  DDEnd();
  state.counters["fps"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
  state.counters["budget"] = benchmark::Counter(double(state.iterations()) / 60.0, benchmark::Counter::kIsRate);
}

#define EFFECT_BENCH(name, mode, body)                                                                   \
  void BM_##name(benchmark::State& state) {                                                              \
    RunKernel(state, mode, [](DDSURFACEDATA* dst, DDSURFACEDATA* src) { body; });                        \
  }                                                                                                      \
  BENCHMARK(BM_##name)->Unit(benchmark::kMillisecond)

int g_phase = 0;

EFFECT_BENCH(Wave_D3D32, kD3D32, DDWave(dst, 0, 0, 640, 480, 2, 12.0, ++g_phase % 360, 1, src, 0, 0, 0, 0));
EFFECT_BENCH(Wave_DD32, kDD32, DDWave(dst, 0, 0, 640, 480, 2, 12.0, ++g_phase % 360, 1, src, 0, 0, 0, 0));
EFFECT_BENCH(Split_D3D32, kD3D32, DDSplit(dst, 0, 0, 640, 480, 60, 20, src, 0, 0, 0, 0));
EFFECT_BENCH(Split_DD32, kDD32, DDSplit(dst, 0, 0, 640, 480, 60, 20, src, 0, 0, 0, 0));
EFFECT_BENCH(Burst_D3D32, kD3D32, DDBurst(dst, 0, 0, 640, 480, src, 0, 0, 10, 0));
EFFECT_BENCH(Burst_DD32, kDD32, DDBurst(dst, 0, 0, 640, 480, src, 0, 0, 10, 0));
EFFECT_BENCH(Turn_D3D32, kD3D32, DDTurn(dst, 0, 0, 640, 480, src, 0, 0, src, 0, 0, 640, 480, 0, 100, 0));
EFFECT_BENCH(Turn_DD32, kDD32, DDTurn(dst, 0, 0, 640, 480, src, 0, 0, src, 0, 0, 640, 480, 0, 100, 0));
EFFECT_BENCH(Circle_D3D32, kD3D32, DDBltCircle(dst, 320, 240, 320, 240, 240, 1, src, 320, 240, 0));
EFFECT_BENCH(Circle_DD32, kDD32, DDBltCircle(dst, 320, 240, 320, 240, 240, 1, src, 320, 240, 0));
EFFECT_BENCH(Rotate_D3D32_Quad, kD3D32, DDRotate(dst, 320, 240, 640, 480, 320, 240, 30, src, 0, 0, 0));
EFFECT_BENCH(Rotate_D3D16_Quad, kD3D16, DDRotate(dst, 320, 240, 640, 480, 320, 240, 30, src, 0, 0, 0));
EFFECT_BENCH(Rotate_DD32_Pixels, kDD32, DDRotate(dst, 320, 240, 640, 480, 320, 240, 30, src, 0, 0, 0));
EFFECT_BENCH(Rotate_DD8_Pixels, kDD8, DDRotate(dst, 320, 240, 640, 480, 320, 240, 30, src, 0, 0, 0));
EFFECT_BENCH(Blur1_D3D32, kD3D32, DDBlur(dst, 0, 0, 640, 480, 1, 1, src, 0, 0, 0));
EFFECT_BENCH(Blur3_D3D32, kD3D32, DDBlur(dst, 0, 0, 640, 480, 3, 3, src, 0, 0, 0));
EFFECT_BENCH(Blur3_D3D16, kD3D16, DDBlur(dst, 0, 0, 640, 480, 3, 3, src, 0, 0, 0));
EFFECT_BENCH(Blur3Keyed_D3D32, kD3D32, DDBlur(dst, 0, 0, 640, 480, 3, 3, src, 0, 0, 1));
EFFECT_BENCH(Blur1_DD32, kDD32, DDBlur(dst, 0, 0, 640, 480, 1, 1, src, 0, 0, 0));
EFFECT_BENCH(Mosaic8_D3D32, kD3D32, DDMosaic(dst, 0, 0, 640, 480, 8, src, 0, 0, 0));
EFFECT_BENCH(Mosaic8_DD32, kDD32, DDMosaic(dst, 0, 0, 640, 480, 8, src, 0, 0, 0));
EFFECT_BENCH(Mosaic8_D3D16, kD3D16, DDMosaic(dst, 0, 0, 640, 480, 8, src, 0, 0, 0));
EFFECT_BENCH(Lens_D3D32, kD3D32, DDLens(dst, 320, 240, 200, 100, src, 320, 240, 0, 0));
EFFECT_BENCH(Lens_DD32, kDD32, DDLens(dst, 320, 240, 200, 100, src, 320, 240, 0, 0));
EFFECT_BENCH(ColorScale2_D3D32_Quad, kD3D32, DDColorScale(dst, 0, 0, 640, 480, src, 0, 0, 1, PalWork, BlendTable, 31, 2));
EFFECT_BENCH(ColorScale2_DD32, kDD32, DDColorScale(dst, 0, 0, 640, 480, src, 0, 0, 1, PalWork, BlendTable, 31, 2));
EFFECT_BENCH(ColorScale2_DD8, kDD8, DDColorScale(dst, 0, 0, 640, 480, src, 0, 0, 1, PalWork, BlendTable, 31, 2));
EFFECT_BENCH(Blend128_D3D32_Quad, kD3D32, DDBltBlend(dst, 0, 0, 640, 480, src, 0, 0, 1, BlendTable, 128));
EFFECT_BENCH(Blend128_DD32, kDD32, DDBltBlend(dst, 0, 0, 640, 480, src, 0, 0, 1, BlendTable, 128));
EFFECT_BENCH(Blend128_DD8, kDD8, DDBltBlend(dst, 0, 0, 640, 480, src, 0, 0, 1, BlendTable, 128));
EFFECT_BENCH(ChangeColor_D3D32, kD3D32, DDChangeColor(dst, 0, 0, 640, 480, 128, 255, 0, 0));

}  // namespace
