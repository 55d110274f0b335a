// ctest-label: effects
#include <gtest/gtest.h>

#include <vector>

#include "media/graphics/EffectMath.h"

// The file's own namespace keeps its helpers apart from other test files compiled with it.
namespace effect_math_test {

namespace {

template <class F>
std::vector<RasterBlt> Collect(F&& run) {
  std::vector<RasterBlt> out;
  run([&](const RasterBlt& b) { out.push_back(b); });
  return out;
}

TEST(RasterTables, TurnOffsetsAndPictures) {
  struct Case {
    int phase, offset;
    bool back;
  };
  // w = 8: the triangle wave 0..3, 3..0 and the half turn that flips the picture.
  const Case cases[] = {{0, 0, false}, {3, 3, false}, {4, 3, true}, {7, 0, true}, {8, 0, true}, {12, 3, false}};
  for (const Case& c : cases) {
    TurnStep t = TurnOffset(c.phase, 8);
    EXPECT_TRUE(t.valid);
    EXPECT_EQ(t.offset, c.offset) << "phase " << c.phase;
    EXPECT_EQ(t.back, c.back) << "phase " << c.phase;
  }
  // A picture narrower than 2 cannot turn (its half width is a divisor): nothing, no trap.
  for (int len : {1, 0, -5}) EXPECT_FALSE(TurnOffset(5, len).valid) << len;
}

TEST(RasterTables, SplitColumnsTenWideBandFour) {
  auto blits = Collect([](auto emit) { ForEachSplitBlit(100, 50, 10, 6, 4, 3, 7, 9, true, emit); });
  // Odd band first (columns 4-7 up), then the even band (0-3 down); 8-9 are left out.
  const std::vector<RasterBlt> want = {{104, 47, 4, 6, 11, 9}, {100, 53, 4, 6, 7, 9}};
  EXPECT_EQ(blits, want);
  // Rows: odd rows to the left, even rows to the right.
  auto rows = Collect([](auto emit) { ForEachSplitBlit(0, 0, 5, 9, 3, 2, 0, 0, false, emit); });
  const std::vector<RasterBlt> wantRows = {{-2, 3, 5, 3, 0, 3}, {2, 0, 5, 3, 0, 0}, {2, 6, 5, 3, 0, 6}};
  EXPECT_EQ(rows, wantRows);
}

TEST(RasterTables, WaveRowsAndBands) {
  // Amplitude 0 is the identity: every row at its own place.
  auto flat = Collect([](auto emit) { ForEachWaveBlit(5, 6, 20, 4, 2, 0.0, 17, 1, 1, 2, false, emit); });
  ASSERT_EQ(flat.size(), 4u);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(flat[i], (RasterBlt{5, 6 + i, 20, 1, 1, 2 + i}));

  // The accumulator steps before its first use: row 0 sits at 90 degrees.
  auto wave = Collect([](auto emit) { ForEachWaveBlit(0, 0, 8, 4, 1, 10.0, 0, 1, 0, 0, false, emit); });
  ASSERT_EQ(wave.size(), 4u);
  EXPECT_EQ(wave[0].x, 10);
  EXPECT_EQ(wave[1].x, 0);
  EXPECT_EQ(wave[2].x, -10);
  EXPECT_EQ(wave[3].x, 0);

  // Columns move up and down.
  auto cols = Collect([](auto emit) { ForEachWaveBlit(0, 0, 4, 8, 1, 10.0, 0, 1, 3, 4, true, emit); });
  ASSERT_EQ(cols.size(), 4u);
  EXPECT_EQ(cols[0], (RasterBlt{0, 10, 1, 8, 3, 4}));
  EXPECT_EQ(cols[2], (RasterBlt{2, -10, 1, 8, 5, 4}));

  // A band taller than the picture is one band of all its rows; the last band is cut.
  auto one = Collect([](auto emit) { ForEachWaveBlit(0, 0, 8, 5, 1, 0.0, 0, 9, 0, 0, false, emit); });
  EXPECT_EQ(one, (std::vector<RasterBlt>{{0, 0, 8, 5, 0, 0}}));
  auto bands = Collect([](auto emit) { ForEachWaveBlit(0, 0, 7, 3, 1, 0.0, 0, 3, 0, 0, true, emit); });
  EXPECT_EQ(bands, (std::vector<RasterBlt>{{0, 0, 3, 3, 0, 0}, {3, 0, 3, 3, 3, 0}, {6, 0, 1, 3, 6, 0}}));

  // band <= 0 and empty rectangles draw nothing.
  EXPECT_TRUE(Collect([](auto emit) { ForEachWaveBlit(0, 0, 8, 8, 1, 5.0, 0, 0, 0, 0, false, emit); }).empty());
  EXPECT_TRUE(Collect([](auto emit) { ForEachWaveBlit(0, 0, 8, 0, 1, 5.0, 0, 1, 0, 0, false, emit); }).empty());
}

TEST(RasterTables, BurstQuarters) {
  auto still = Collect([](auto emit) { ForEachBurstBlit(10, 20, 5, 4, 1, 2, 0, emit); });
  // d = 0 puts the quarters back in place; the odd last column is not drawn.
  const std::vector<RasterBlt> want = {
      {10, 20, 2, 2, 1, 2}, {12, 20, 2, 2, 3, 2}, {10, 22, 2, 2, 1, 4}, {12, 22, 2, 2, 3, 4}};
  EXPECT_EQ(still, want);
  auto apart = Collect([](auto emit) { ForEachBurstBlit(10, 20, 4, 4, 0, 0, 3, emit); });
  EXPECT_EQ(apart[0], (RasterBlt{7, 17, 2, 2, 0, 0}));
  EXPECT_EQ(apart[3], (RasterBlt{15, 25, 2, 2, 2, 2}));
}

TEST(RasterTables, CircleStrips) {
  // r = 1: two one-pixel strips (rows 0 and -1), both 0 wide: the middle row loses a pixel.
  auto tiny = Collect([](auto emit) { ForEachCircleStrip(50, 50, 100, 100, 1, 1, 20, 30, 640, emit); });
  EXPECT_EQ(tiny, (std::vector<RasterBlt>{{50, 50, 0, 1, 20, 30}, {50, 49, 0, 1, 20, 29}}));
  EXPECT_TRUE(Collect([](auto emit) { ForEachCircleStrip(0, 0, 9, 9, 0, 1, 0, 0, 64, emit); }).empty());
  EXPECT_TRUE(Collect([](auto emit) { ForEachCircleStrip(0, 0, 9, 9, 5, 0, 0, 0, 64, emit); }).empty());

  // Bands of 2 rows aligned at the bottom, half widths from the band's middle row.
  auto bands = Collect([](auto emit) { ForEachCircleStrip(0, 0, 50, 50, 4, 2, 10, 10, 640, emit); });
  const std::vector<RasterBlt> want = {
      {-2, 2, 4, 2, 8, 12}, {-3, 0, 6, 2, 7, 10}, {-3, -2, 6, 2, 7, 8}, {-2, -4, 4, 2, 8, 6}};
  EXPECT_EQ(bands, want);

  // The half height moves the outer bands inwards; the source's left edge cuts strips.
  auto cut = Collect([](auto emit) { ForEachCircleStrip(0, 0, 50, 3, 4, 2, 1, 10, 640, emit); });
  const std::vector<RasterBlt> wantCut = {{-1, 1, 4, 2, 0, 11}, {-1, -1, 4, 2, 0, 9}, {-1, -3, 4, 2, 0, 7}};
  EXPECT_EQ(cut, wantCut);
}

TEST(RotateMath, FixedPointCoefficients) {
  struct Case {
    int angle;
    RotateFixed f;
  };
  // 90: the cosine of 90 x K is a tiny positive number and truncates to 0.
  const Case cases[] = {{0, {0, 1024, 0, 1024}},
                        {90, {1024, 0, -1024, 0}},
                        {45, {724, 724, -724, 724}},
                        {180, {0, -1024, 0, -1024}},
                        {-30, {-511, 886, 511, 886}}};
  for (const Case& c : cases) {
    RotateFixed f = RotateCoefficients(c.angle);
    EXPECT_EQ(f.S, c.f.S) << c.angle;
    EXPECT_EQ(f.C, c.f.C) << c.angle;
    EXPECT_EQ(f.Sinv, c.f.Sinv) << c.angle;
    EXPECT_EQ(f.Cinv, c.f.Cinv) << c.angle;
  }
  // The two constants differ in the last digits and stay apart.
  EXPECT_LT(kRotateDegree, kWaveDegree);
}

TEST(RotateMath, BoundsAndInverseMapping) {
  RotateFixed f = RotateCoefficients(0);
  RotateBox box = RotateBounds(4, 3, 2, 1, f);
  EXPECT_EQ(box.x0, -2);
  EXPECT_EQ(box.x1, 5);
  EXPECT_EQ(box.y0, -2);
  EXPECT_EQ(box.y1, 4);
  int u, v;
  RotateSource(3, 2, 2, 1, f, &u, &v);
  EXPECT_EQ(u, 3);
  EXPECT_EQ(v, 2);
  // The shift rounds toward minus infinity.
  RotateFixed g = RotateCoefficients(45);
  RotateSource(0, 0, 1, 1, g, &u, &v);  // (-1, -1): u = (-724 - 724) >> 10 = -2, v = (-724 + 724) >> 10 = 0
  EXPECT_EQ(u, -1);
  EXPECT_EQ(v, 1);
}

TEST(RotateMath, QuadCornersTurnAboutThePivot) {
  QuadPositions q = RotateQuadPositions(10, 20, 4, 2, 2, 1, 0);
  const float wantX[4] = {7.5f, 7.5f, 11.5f, 11.5f}, wantY[4] = {18.5f, 20.5f, 18.5f, 20.5f};
  for (int i = 0; i < 4; ++i) {
    EXPECT_FLOAT_EQ(q.x[i], wantX[i]) << i;
    EXPECT_FLOAT_EQ(q.y[i], wantY[i]) << i;
  }
  q = RotateQuadPositions(10, 20, 4, 2, 2, 1, 90);
  EXPECT_NEAR(q.x[0], 10.5f, 1e-5);  // top-left (-2, -1) turns to (1, -2)
  EXPECT_NEAR(q.y[0], 17.5f, 1e-5);
  EXPECT_NEAR(q.x[3], 8.5f, 1e-5);  // bottom-right (2, 1) turns to (-1, 2)
  EXPECT_NEAR(q.y[3], 21.5f, 1e-5);
}

TEST(ColorScaleMath, WeightSchemes) {
  const int quad[] = {0, 128, 80, 48, 16, 0, 0};
  const int locked[] = {0, 128, 64, 32, 16, 0, 0};
  for (int n = 0; n <= 6; ++n) {
    EXPECT_EQ(ColorScaleQuadAlpha(n), quad[n]) << n;
    EXPECT_EQ(ColorScaleLockedWeight(n), locked[n]) << n;
  }
  EXPECT_EQ(ColorScaleQuadAlpha(-1), 0);
  EXPECT_EQ(HalveToward(200, 0, 3), 25);
  EXPECT_EQ(HalveToward(200, 0, -1), 200);
}

TEST(ColorScaleMath, LockedDirect3DChannels) {
  const EffectLayout argb{16, 8, 0, 24, 255, 255, 255, 255};
  struct Case {
    int n, r, g, b;
  };
  // Pixel (200, 100, 0) toward (0, 0, 255).
  const Case cases[] = {{1, 100, 50, 127}, {2, 50, 25, 191}, {4, 12, 6, 239}, {5, 0, 0, 255}, {9, 0, 0, 255}};
  for (const Case& c : cases) {
    ColorScaleD3D cs = MakeColorScaleD3D(c.n, 0, 0, 255, argb);
    EXPECT_EQ(cs.Channel(200, 0), c.r) << c.n;
    EXPECT_EQ(cs.Channel(100, 1), c.g) << c.n;
    EXPECT_EQ(cs.Channel(0, 2), c.b) << c.n;
  }
  // 5-bit target from a 0..255 palette channel, and the doubled green of the R5G6B5 back buffer.
  const EffectLayout a1r5{10, 5, 0, 15, 31, 31, 31, 1};
  ColorScaleD3D one = MakeColorScaleD3D(1, 0, 255, 0, a1r5);
  EXPECT_EQ(one.T[1], 31);
  EXPECT_EQ(one.BackGreen(0), 31);
  ColorScaleD3D two = MakeColorScaleD3D(2, 0, 255, 0, a1r5);
  EXPECT_EQ(two.BackGreen(0), 2 * static_cast<int>(31.0f * (1.0f - 64.0f / 255.0f)));
}

TEST(PixelRulesTable, TransparencyPerMode) {
  PixelRules d3d16{true, 16, {10, 5, 0, 15, 31, 31, 31, 1}, {}, 0, false};
  PixelRules d3d32{true, 32, {16, 8, 0, 24, 255, 255, 255, 255}, {}, 0, false};
  PixelRules dd16{false, 16, {11, 5, 0, 0, 31, 63, 31, 0}, {}, 0xF81F, false};
  PixelRules dd8{false, 8, {}, {}, 7, false};
  PixelRules dd32{false, 32, {16, 8, 0, 0, 255, 255, 255, 0}, {}, 0x00FF00FF, false};
  struct Case {
    const PixelRules* rules;
    uint32_t pixel;
    bool transparent;
  };
  const Case cases[] = {
      {&d3d16, 0x2000, false},  // bit 13 alone counts as opaque
      {&d3d16, 0x7FFF, false},   {&d3d16, 0x1FFF, true},      {&d3d16, 0x8000, false}, {&d3d16, 0x0000, true},
      {&d3d32, 0x00FFFFFF, true}, {&d3d32, 0x01000000, false}, {&dd16, 0xF81F, true},   {&dd16, 0xF81E, false},
      {&dd8, 7, true},           {&dd8, 0, false},            {&dd32, 0x00FF00FF, true}, {&dd32, 0xFFFF00FF, false},
  };
  for (const Case& c : cases)
    EXPECT_EQ(c.rules->IsTransparent(c.pixel), c.transparent) << std::hex << c.pixel << " bpp " << c.rules->nBpp;
}

TEST(PixelRulesTable, WriteRulesPerMode) {
  PixelRules d3d16{true, 16, {10, 5, 0, 15, 31, 31, 31, 1}, {11, 5, 0, 16, 31, 63, 31, 0}, 0, false};
  EXPECT_EQ(d3d16.Compose(31, 1, 2, 0), 0x8000u | 31u << 10 | 1u << 5 | 2u);
  PixelRules back = d3d16;
  back.fullScreenBack = true;
  // R5G6B5 with the green field doubled from five to six bits.
  EXPECT_EQ(back.Compose(31, 31, 31, 0), 0xFFDFu);
  EXPECT_EQ(back.Convert(0x8000u | 31u << 10 | 31u << 5 | 31u), 0xFFDFu);
  EXPECT_EQ(d3d16.Convert(0x1234), 0x1234u);
  PixelRules dd16{false, 16, {11, 5, 0, 0, 31, 63, 31, 0}, {}, 0, false};
  EXPECT_EQ(dd16.Compose(31, 63, 31, 0), 0xFFFFu);
  PixelRules d3d32{true, 32, {16, 8, 0, 24, 255, 255, 255, 255}, {}, 0, false};
  EXPECT_EQ(d3d32.Compose(1, 2, 3, 0x00000000), 0xFF010203u);
  PixelRules dd32{false, 32, {16, 8, 0, 0, 255, 255, 255, 0}, {}, 0, false};
  EXPECT_EQ(dd32.Compose(1, 2, 3, 0x7F000000), 0x7F010203u);
}

TEST(LensMath, SetupAndOffsets) {
  EXPECT_FALSE(LensPrepare(0, 5).ok);  // E = d
  EXPECT_FALSE(LensPrepare(-1, 5).ok);
  EXPECT_FALSE(LensPrepare(5, -1).ok);
  LensSetup flat = LensPrepare(3, 0);
  ASSERT_TRUE(flat.ok);
  EXPECT_EQ(flat.E, 3);
  EXPECT_EQ(flat.S, 9);
  int ox, oy;
  LensOffset(2, 1, 0, flat.S, &ox, &oy);
  EXPECT_EQ(ox, 0);
  EXPECT_EQ(oy, 0);
  LensOffset(3, 0, 0, flat.S, &ox, &oy);  // rim: z = 0
  EXPECT_EQ(ox, 3);
  EXPECT_EQ(oy, 0);

  LensSetup lens = LensPrepare(3, 4);
  ASSERT_TRUE(lens.ok);
  EXPECT_EQ(lens.S, 25);
  LensOffset(3, 0, 4, lens.S, &ox, &oy);  // z = 4: 3 + 0.5 truncates to 3
  EXPECT_EQ(ox, 3);
  LensOffset(-1, 0, 4, lens.S, &ox, &oy);  // -0.316 truncates toward zero
  EXPECT_EQ(ox, 0);
  LensOffset(-3, 0, 4, lens.S, &ox, &oy);  // -2.5 truncates to -2
  EXPECT_EQ(ox, -2);
  // A huge lens neither overflows its square nor traps.
  LensSetup big = LensPrepare(2000000000, 2000000000);
  EXPECT_TRUE(big.ok);
  EXPECT_GT(big.S, int64_t(2000000000) * 2000000000);
}

}  // namespace

}  // namespace effect_math_test
