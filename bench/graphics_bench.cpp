// The virtual device's copies, keyed sprites and x2 stretches in every
// personality and depth, each beside SDL doing the same work in the matching
// pixel format and a plain memcpy of the frame as the physical limit.
//
// Modes: D3D32 (X8R8G8B8 back buffer, A8R8G8B8 textures), D3D16w (windowed:
// A1R5G5B5 back buffer and textures), D3D16f (full screen: R5G6B5 back
// buffer, A1R5G5B5 textures), DD32 (X8R8G8B8), DD16 (R5G6B5), DD8 (P8).
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "media/graphics/DDCore.h"

namespace {

constexpr int kW = 640, kH = 480;

struct Mode {
  const char* name;
  int d3d, bpp, windowed;
  uint32_t sdlDst, sdlSrc;  // the SDL formats of the target and of the pictures
};
const Mode kModes[] = {
    {"D3D32", 1, 32, 1, SDL_PIXELFORMAT_RGB888, SDL_PIXELFORMAT_ARGB8888},
    {"D3D16w", 1, 16, 1, SDL_PIXELFORMAT_ARGB1555, SDL_PIXELFORMAT_ARGB1555},
    {"D3D16f", 1, 16, 0, SDL_PIXELFORMAT_RGB565, SDL_PIXELFORMAT_ARGB1555},
    {"DD32", 0, 32, 1, SDL_PIXELFORMAT_RGB888, SDL_PIXELFORMAT_RGB888},
    {"DD16", 0, 16, 1, SDL_PIXELFORMAT_RGB565, SDL_PIXELFORMAT_RGB565},
    {"DD8", 0, 8, 0, SDL_PIXELFORMAT_INDEX8, SDL_PIXELFORMAT_INDEX8},
};
constexpr int kModeCount = int(sizeof(kModes) / sizeof(kModes[0]));

uint32_t Noise(uint32_t i) { return (i * 2654435761u) ^ (i >> 7) ^ (i << 13); }
bool KeyAt(int x, int y) { return ((x + y) & 3) == 0; }

// Raw pixel of a picture in the surface's own format: noise, never the key colour.
uint32_t RawOf(const cPixelSurface& s, uint32_t noise, bool d3d) {
  const uint32_t argb = 0xFF000000u | (noise & 0xFFFFFF);
  if (s.Format() == DDFMT_P8) {
    uint32_t v = noise & 0xFF;
    return v == dwTransmitPixel ? v ^ 1 : v;
  }
  uint32_t raw = ArgbToFormat(s.Format(), argb);
  if (!d3d && raw == dwTransmitPixel) raw ^= 1;
  return raw;
}

// A library set up for the scope in one mode, with a full-screen picture, a
// half-size picture and a 256 x 256 sprite sheet (key on every fourth pixel).
struct Library {
  DDSURFACEDATA picture, sheet, half;
  bool ok = false;
  explicit Library(const Mode& m) {
    if (!DDInit(m.d3d, nullptr, kW, kH, m.bpp, 0, m.windowed, 1, 60, 0, nullptr, nullptr, 0, 0)) return;
    ok = true;
    // System memory under Direct3D would take the software path; video memory draws quads.
    DDCreateSurface(&picture, kW, kH, 0, 0, DTMEMORYTYPE_VIDEO_RT, 0, 0);
    DDCreateSurface(&sheet, 256, 256, 1, 0, DTMEMORYTYPE_VIDEO_RT, 0, 0);
    DDCreateSurface(&half, kW / 2, kH / 2, 0, 0, DTMEMORYTYPE_VIDEO_RT, 0, 0);
    Fill(picture.Pixels(), m.d3d != 0, false);
    Fill(half.Pixels(), m.d3d != 0, false);
    Fill(sheet.Pixels(), m.d3d != 0, true);
  }
  static void Fill(cPixelSurface* s, bool d3d, bool keyed) {
    for (int y = 0; y < s->Height(); ++y)
      for (int x = 0; x < s->Width(); ++x) {
        uint32_t raw = RawOf(*s, Noise(uint32_t(y * s->Width() + x)), d3d);
        if (keyed && KeyAt(x, y)) raw = d3d ? 0u : dwTransmitPixel;
        s->SetPixel(x, y, raw);
      }
  }
  ~Library() {
    if (!ok) return;
    DDReleaseSurface(&picture);
    DDReleaseSurface(&sheet);
    DDReleaseSurface(&half);
    DDEnd();
  }
};

// The same pictures as SDL surfaces in the mode's formats.
struct SdlSurfaces {
  SDL_Surface *screen, *picture, *sheet, *half;
  explicit SdlSurfaces(const Mode& m) {
    screen = SDL_CreateRGBSurfaceWithFormat(0, kW, kH, 0, m.sdlDst);
    picture = SDL_CreateRGBSurfaceWithFormat(0, kW, kH, 0, m.sdlSrc);
    half = SDL_CreateRGBSurfaceWithFormat(0, kW / 2, kH / 2, 0, m.sdlSrc);
    sheet = SDL_CreateRGBSurfaceWithFormat(0, 256, 256, 0, m.sdlSrc);
    if (screen->format->palette) {
      // One palette for all: SDL copies between surfaces that share it.
      SDL_Color colours[256];
      for (int i = 0; i < 256; ++i) colours[i] = {Uint8(i), Uint8(255 - i), Uint8(i * 7), 255};
      SDL_SetPaletteColors(screen->format->palette, colours, 0, 256);
      for (SDL_Surface* s : {picture, half, sheet}) SDL_SetSurfacePalette(s, screen->format->palette);
    }
    for (SDL_Surface* s : {screen, picture, half, sheet}) SDL_SetSurfaceBlendMode(s, SDL_BLENDMODE_NONE);
    const uint32_t key = m.bpp == 8 ? 0u : SDL_MapRGBA(sheet->format, 255, 0, 255, 0);
    auto fill = [&](SDL_Surface* s, bool keyed) {
      const int bytes = s->format->BytesPerPixel;
      for (int y = 0; y < s->h; ++y) {
        auto* row = static_cast<uint8_t*>(s->pixels) + y * s->pitch;
        for (int x = 0; x < s->w; ++x) {
          const uint32_t n = Noise(uint32_t(y * s->w + x));
          uint32_t v = bytes == 1 ? (n & 0xFF) | 1u : SDL_MapRGBA(s->format, Uint8(n >> 16), Uint8(n >> 8), Uint8(n), 255);
          if (keyed && KeyAt(x, y)) v = key;
          std::memcpy(row + x * bytes, &v, size_t(bytes));
        }
      }
    };
    fill(picture, false);
    fill(half, false);
    fill(sheet, true);
    SDL_SetColorKey(sheet, SDL_TRUE, key);
  }
  ~SdlSurfaces() {
    for (SDL_Surface* s : {screen, picture, half, sheet}) SDL_FreeSurface(s);
  }
};

// Sprite positions shared by every sprite benchmark.
std::vector<std::pair<int, int>> SpritePlaces() {
  std::vector<std::pair<int, int>> p;
  for (uint32_t i = 0; i < 2000; ++i) p.push_back({int(Noise(i) % (kW - 32)), int(Noise(i + 7777) % (kH - 32))});
  return p;
}

const Mode& ModeOf(benchmark::State& state) {
  const Mode& m = kModes[state.range(0)];
  state.SetLabel(m.name);
  return m;
}

void Modes(benchmark::internal::Benchmark* b) {
  for (int i = 0; i < kModeCount; ++i) b->Arg(i);
}

void BM_FrameCopy_Memcpy(benchmark::State& state) {
  const Mode& m = ModeOf(state);
  const size_t bytes = size_t(kW) * kH * size_t(m.bpp / 8);
  std::vector<uint8_t> a(bytes, 1), b(bytes);
  for (auto _ : state) {
    std::memcpy(b.data(), a.data(), bytes);
    benchmark::DoNotOptimize(b.data());
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_FrameCopy_Memcpy)->Apply(Modes);

void BM_FrameCopy_Device(benchmark::State& state) {
  Library lib(ModeOf(state));
  if (!lib.ok) return state.SkipWithError("DDInit failed");
  for (auto _ : state) benchmark::DoNotOptimize(DDBlt(&BackBuffer, 0, 0, kW, kH, &lib.picture, 0, 0, 0));
}
BENCHMARK(BM_FrameCopy_Device)->Apply(Modes);

void BM_FrameCopy_SdlBlitSurface(benchmark::State& state) {
  SdlSurfaces s(ModeOf(state));
  for (auto _ : state)
    if (SDL_BlitSurface(s.picture, nullptr, s.screen, nullptr) != 0) return state.SkipWithError(SDL_GetError());
}
BENCHMARK(BM_FrameCopy_SdlBlitSurface)->Apply(Modes);

void BM_Sprites2000_Device(benchmark::State& state) {
  Library lib(ModeOf(state));
  if (!lib.ok) return state.SkipWithError("DDInit failed");
  auto places = SpritePlaces();
  const bool batch = state.range(1) != 0;
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
BENCHMARK(BM_Sprites2000_Device)
    ->Args({0, 0})->Args({0, 1})->Args({1, 0})->Args({1, 1})->Args({2, 0})->Args({2, 1})
    ->Args({3, 0})->Args({4, 0})->Args({5, 0})->ArgNames({"mode", "batch"});

void BM_Sprites2000_SdlBlitSurface(benchmark::State& state) {
  SdlSurfaces s(ModeOf(state));
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
BENCHMARK(BM_Sprites2000_SdlBlitSurface)->Apply(Modes);

void BM_Stretch2x_Device(benchmark::State& state) {
  Library lib(ModeOf(state));
  if (!lib.ok) return state.SkipWithError("DDInit failed");
  for (auto _ : state)
    benchmark::DoNotOptimize(DDBltStretch(&BackBuffer, 0, 0, kW, kH, &lib.half, 0, 0, kW / 2, kH / 2, 0));
}
BENCHMARK(BM_Stretch2x_Device)->Apply(Modes);

void BM_Stretch2x_SdlBlitScaled(benchmark::State& state) {
  SdlSurfaces s(ModeOf(state));
  for (auto _ : state) {
    SDL_Rect dst{0, 0, kW, kH};
    // SDL scales palettised surfaces only through its plain stretch.
    const int rc = s.half->format->palette ? SDL_SoftStretch(s.half, nullptr, s.screen, &dst)
                                           : SDL_BlitScaled(s.half, nullptr, s.screen, &dst);
    if (rc != 0) return state.SkipWithError(SDL_GetError());
  }
}
BENCHMARK(BM_Stretch2x_SdlBlitScaled)->Apply(Modes);

}  // namespace
