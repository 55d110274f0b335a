// ctest-label: effects
// The effect kernels' fast paths against the direct loops they replace.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "media/graphics/EffectPixels.h"

// The file's own namespace keeps its helpers apart from other test files compiled with it.
namespace effect_fast_paths_test {

namespace {

struct Pixels {
  std::vector<uint8_t> bytes;
  PixelView view;
  Pixels(int w, int h, int bytesPerPixel) {
    view.bytesPerPixel = bytesPerPixel;
    view.width = w;
    view.height = h;
    view.pitch = w + 2;
    bytes.assign(size_t(view.pitch) * h * bytesPerPixel + 8, 0);
    view.bits = bytes.data();
  }
};

const EffectLayout kArgb{16, 8, 0, 24, 255, 255, 255, 255};
const EffectLayout kXrgb{16, 8, 0, 0, 255, 255, 255, 0};
const EffectLayout kA1R5{10, 5, 0, 15, 31, 31, 31, 1};
const EffectLayout kR5G6B5{11, 5, 0, 16, 31, 63, 31, 0};

// Random pixels with runs of the mode's transparent value.
void FillRandom(Pixels& p, const PixelRules& rules, std::mt19937& rng) {
  for (int y = 0; y < p.view.height; ++y)
    for (int x = 0; x < p.view.width; ++x) {
      uint32_t v = rng();
      if (p.view.bytesPerPixel == 2) v &= 0xFFFF;
      if (rng() % 5 == 0) {
        if (!rules.bD3D) v = rules.transmit;
        else if (rules.nBpp == 16) v &= ~0xA000u;
        else v &= 0xFFFFFF;
      }
      p.view.Set(x, y, v);
    }
}

TEST(BlurRunningSums, EqualsTheDirectBlurOnRandomImagesRadiiKeysAndClipping) {
  const PixelRules modes[] = {
      {true, 32, kArgb, {}, 0, false},        {true, 16, kA1R5, kR5G6B5, 0, false},
      {true, 16, kA1R5, kR5G6B5, 0, true},    {false, 32, kXrgb, {}, 0x00FF00FF, false},
      {false, 16, kR5G6B5, {}, 0xF81F, false},
  };
  std::mt19937 rng(3);
  int changed = 0;
  for (int round = 0; round < 600; ++round) {
    const PixelRules& rules = modes[round % 5];
    const int bytes = rules.nBpp / 8;
    Pixels src(1 + int(rng() % 60), 1 + int(rng() % 60), bytes);
    Pixels fast(30 + int(rng() % 40), 30 + int(rng() % 40), bytes);
    FillRandom(src, rules, rng);
    FillRandom(fast, rules, rng);
    Pixels direct = fast;
    direct.view.bits = direct.bytes.data();
    const std::vector<uint8_t> before = fast.bytes;
    const int x = int(rng() % 30) - 10, y = int(rng() % 30) - 10, w = int(rng() % 70), h = int(rng() % 70);
    const int rx = int(rng() % 13) - 1, ry = int(rng() % 13) - 1;
    const int sx = int(rng() % 30) - 10, sy = int(rng() % 30) - 10, keyed = int(rng() % 3);
    BlurPixels(fast.view, x, y, w, h, rx, ry, src.view, sx, sy, keyed, rules);
    BlurPixelsDirect(direct.view, x, y, w, h, rx, ry, src.view, sx, sy, keyed, rules);
    ASSERT_EQ(fast.bytes, direct.bytes) << "round " << round << " rect " << x << "," << y << " " << w << "x" << h
                                        << " radii " << rx << "," << ry << " source " << sx << "," << sy
                                        << " keyed " << keyed;
    changed += fast.bytes != before ? 1 : 0;
  }
  // A good share of the cases must draw something, or the comparison proves little.
  EXPECT_GT(changed, 200);
}

TEST(BlurRunningSums, LargeWindowsAndInPlaceBlursStayExact) {
  std::mt19937 rng(9);
  const PixelRules rules{true, 32, kArgb, {}, 0, false};
  // A window wider than the picture, and a blur of a surface into itself.
  Pixels src(300, 200, 4), a(300, 200, 4);
  FillRandom(src, rules, rng);
  FillRandom(a, rules, rng);
  Pixels b = a;
  b.view.bits = b.bytes.data();
  BlurPixels(a.view, 0, 0, 300, 200, 400, 3, src.view, 0, 0, 1, rules);
  BlurPixelsDirect(b.view, 0, 0, 300, 200, 400, 3, src.view, 0, 0, 1, rules);
  EXPECT_EQ(a.bytes, b.bytes);
  Pixels c = src;
  c.view.bits = c.bytes.data();
  BlurPixels(src.view, 5, 3, 250, 150, 4, 2, src.view, 0, 0, 0, rules);
  BlurPixelsDirect(c.view, 5, 3, 250, 150, 4, 2, c.view, 0, 0, 0, rules);
  EXPECT_EQ(src.bytes, c.bytes);
}

}  // namespace

}  // namespace effect_fast_paths_test
