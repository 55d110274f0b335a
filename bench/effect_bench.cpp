// Each effect kernel over a 640 x 480 frame, as the screen handlers run them:
// the frame copied into a work surface is drawn back into the back buffer.
// "fps" is frames per second; "budget" is how many times the kernel fits in
// one frame at 60 frames per second (below 1: it cannot keep up alone).
#include <benchmark/benchmark.h>

#include <functional>

#include "media/graphics/Effect.h"

namespace {

struct Mode {
  int d3d, bpp, windowed;
};
constexpr Mode kD3D32{1, 32, 1}, kDD32{0, 32, 1}, kDD8{0, 8, 0}, kD3D16{1, 16, 0};

using Kernel = std::function<void(DDSURFACEDATA* dst, DDSURFACEDATA* src)>;

void RunKernel(benchmark::State& state, Mode mode, const Kernel& kernel) {
  if (!DDInit(mode.d3d, nullptr, 640, 480, mode.bpp, 0, mode.windowed, 1, 60, 0, nullptr, nullptr, 0, 0)) {
    state.SkipWithError("DDInit failed");
    return;
  }
  DDSURFACEDATA work;
  DDCreateSurface(&work, 640, 480, 0, 1, DTMEMORYTYPE_VIDEO_RT, 0, 0);
  // Something other than one flat colour in both surfaces.
  for (int y = 0; y < 480; y += 16) DDFillRect(&work, 0, y, 640, 8, uint32_t(y / 16 + 20));
  for (int i = 0; i < 256; ++i) {
    PalWork[i] = {uint8_t(i), uint8_t(255 - i), uint8_t(i * 3), 255};
    for (int j = 0; j < 256; ++j) BlendTable[i * 256 + j] = uint8_t((i + j) / 2);
  }
  DDFillRect(&BackBuffer, 0, 0, 640, 480, 16);
  for (auto _ : state) {
    kernel(&BackBuffer, &work);
    benchmark::ClobberMemory();
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
