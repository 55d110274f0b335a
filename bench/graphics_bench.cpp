// The virtual device's blits beside SDL doing the same work, and a plain
// memcpy of the frame as the physical limit.
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "media/graphics/DDCore.h"

namespace {

constexpr int kW = 640, kH = 480;

uint32_t Noise(uint32_t i) { return (i * 2654435761u) ^ (i >> 7); }

// A library set up for the scope, with a full-screen picture and a sprite
// sheet (key colour on every fourth pixel) as surfaces.
struct Library {
  DDSURFACEDATA picture, sheet, half;
  explicit Library(int d3d) {
    DDInit(d3d, nullptr, kW, kH, 32, 0, 1, 1, 60, 0, nullptr, nullptr, 0, 0);
    // System memory under Direct3D would take the software path; video memory draws quads.
    DDCreateSurface(&picture, kW, kH, 0, 0, DTMEMORYTYPE_VIDEO_RT, 0, 0);
    DDCreateSurface(&sheet, 256, 256, 1, 0, DTMEMORYTYPE_VIDEO_RT, 0, 0);
    DDCreateSurface(&half, kW / 2, kH / 2, 0, 0, DTMEMORYTYPE_VIDEO_RT, 0, 0);
    cPixelSurface* p = picture.Pixels();
    for (int y = 0; y < kH; ++y)
      for (int x = 0; x < kW; ++x) p->SetPixel(x, y, 0xFF000000u | (Noise(uint32_t(y * kW + x)) & 0xFFFFFF));
    cPixelSurface* h = half.Pixels();
    for (int y = 0; y < kH / 2; ++y)
      for (int x = 0; x < kW / 2; ++x) h->SetPixel(x, y, 0xFF000000u | (Noise(uint32_t(y * kW + x)) & 0xFFFFFF));
    cPixelSurface* s = sheet.Pixels();
    for (int y = 0; y < 256; ++y)
      for (int x = 0; x < 256; ++x) {
        bool key = ((x + y) & 3) == 0;
        uint32_t c = Noise(uint32_t(y * 256 + x)) & 0xFFFFFF;
        if (d3d) s->SetPixel(x, y, key ? 0u : 0xFF000000u | c);
        else s->SetPixel(x, y, key ? dwTransmitPixel : (c == dwTransmitPixel ? c ^ 1 : c));
      }
  }
  ~Library() {
    DDReleaseSurface(&picture);
    DDReleaseSurface(&sheet);
    DDReleaseSurface(&half);
    DDEnd();
  }
};

struct SdlSurfaces {
  SDL_Surface* screen;
  SDL_Surface* picture;
  SDL_Surface* sheet;
  SDL_Surface* half;
  SdlSurfaces() {
    screen = SDL_CreateRGBSurfaceWithFormat(0, kW, kH, 32, SDL_PIXELFORMAT_ARGB8888);
    picture = SDL_CreateRGBSurfaceWithFormat(0, kW, kH, 32, SDL_PIXELFORMAT_ARGB8888);
    half = SDL_CreateRGBSurfaceWithFormat(0, kW / 2, kH / 2, 32, SDL_PIXELFORMAT_ARGB8888);
    sheet = SDL_CreateRGBSurfaceWithFormat(0, 256, 256, 32, SDL_PIXELFORMAT_ARGB8888);
    auto fill = [](SDL_Surface* s, bool keyed) {
      for (int y = 0; y < s->h; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(s->pixels) + y * s->pitch);
        for (int x = 0; x < s->w; ++x) {
          uint32_t c = 0xFF000000u | (Noise(uint32_t(y * s->w + x)) & 0xFFFFFF);
          row[x] = keyed && ((x + y) & 3) == 0 ? 0xFFFF00FFu : c;
        }
      }
    };
    fill(picture, false);
    fill(half, false);
    fill(sheet, true);
    SDL_SetSurfaceBlendMode(picture, SDL_BLENDMODE_NONE);
    SDL_SetSurfaceBlendMode(half, SDL_BLENDMODE_NONE);
    SDL_SetSurfaceBlendMode(sheet, SDL_BLENDMODE_NONE);
    SDL_SetColorKey(sheet, SDL_TRUE, 0xFFFF00FFu);
  }
  ~SdlSurfaces() {
    SDL_FreeSurface(screen);
    SDL_FreeSurface(picture);
    SDL_FreeSurface(half);
    SDL_FreeSurface(sheet);
  }
};

// Sprite positions shared by every sprite benchmark.
std::vector<std::pair<int, int>> SpritePlaces() {
  std::vector<std::pair<int, int>> p;
  for (uint32_t i = 0; i < 2000; ++i) p.push_back({int(Noise(i) % (kW - 32)), int(Noise(i + 7777) % (kH - 32))});
  return p;
}

void BM_FrameCopy_Memcpy(benchmark::State& state) {
  std::vector<uint32_t> a(size_t(kW) * kH, 1), b(size_t(kW) * kH);
  for (auto _ : state) {
    std::memcpy(b.data(), a.data(), a.size() * 4);
    benchmark::DoNotOptimize(b.data());
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_FrameCopy_Memcpy);

void BM_FrameCopy_Device(benchmark::State& state) {
  Library lib(int(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(DDBlt(&BackBuffer, 0, 0, kW, kH, &lib.picture, 0, 0, 0));
}
BENCHMARK(BM_FrameCopy_Device)->Arg(1)->Arg(0)->ArgName("d3d");

void BM_FrameCopy_SdlBlitSurface(benchmark::State& state) {
  SdlSurfaces s;
  for (auto _ : state) benchmark::DoNotOptimize(SDL_BlitSurface(s.picture, nullptr, s.screen, nullptr));
}
BENCHMARK(BM_FrameCopy_SdlBlitSurface);

void BM_Sprites2000_Device(benchmark::State& state) {
  Library lib(int(state.range(0)));
  auto places = SpritePlaces();
  bool batch = state.range(1) != 0;
  for (auto _ : state) {
    if (batch) DDBeginSpriteBatch(0);
    int k = 0;
    for (auto [x, y] : places) {
      DDBlt(&BackBuffer, x, y, 32, 32, &lib.sheet, (k & 7) * 32, ((k >> 3) & 7) * 32, 1);
      ++k;
    }
    if (batch) DDEndSpriteBatch();
  }
  state.SetItemsProcessed(state.iterations() * 2000);
}
BENCHMARK(BM_Sprites2000_Device)->Args({1, 0})->Args({1, 1})->Args({0, 0})->ArgNames({"d3d", "batch"});

void BM_Sprites2000_SdlBlitSurface(benchmark::State& state) {
  SdlSurfaces s;
  auto places = SpritePlaces();
  for (auto _ : state) {
    int k = 0;
    for (auto [x, y] : places) {
      SDL_Rect src{(k & 7) * 32, ((k >> 3) & 7) * 32, 32, 32};
      SDL_Rect dst{x, y, 32, 32};
      SDL_BlitSurface(s.sheet, &src, s.screen, &dst);
      ++k;
    }
  }
  state.SetItemsProcessed(state.iterations() * 2000);
}
BENCHMARK(BM_Sprites2000_SdlBlitSurface);

void BM_Stretch2x_Device(benchmark::State& state) {
  Library lib(int(state.range(0)));
  for (auto _ : state)
    benchmark::DoNotOptimize(DDBltStretch(&BackBuffer, 0, 0, kW, kH, &lib.half, 0, 0, kW / 2, kH / 2, 0));
}
BENCHMARK(BM_Stretch2x_Device)->Arg(1)->Arg(0)->ArgName("d3d");

void BM_Stretch2x_SdlBlitScaled(benchmark::State& state) {
  SdlSurfaces s;
  for (auto _ : state) {
    SDL_Rect dst{0, 0, kW, kH};
    benchmark::DoNotOptimize(SDL_BlitScaled(s.half, nullptr, s.screen, &dst));
  }
}
BENCHMARK(BM_Stretch2x_SdlBlitScaled);

}  // namespace
