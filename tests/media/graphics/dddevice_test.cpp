// ctest-label: graphics
#include <gtest/gtest.h>

#include "media/graphics/DDDevice.h"

// The file's own namespace keeps its helpers apart from other test files compiled with it.
namespace dddevice_test {

namespace {

TEST(PixelRules, ChannelWidthChangesRoundTrip) {
  for (uint32_t max : {1u, 31u, 63u, 255u})
    for (uint32_t f = 0; f <= max; ++f) ASSERT_EQ(NarrowChannel(ExpandChannel(f, max), max), f) << max;
  EXPECT_EQ(ExpandChannel(31, 31), 255u);
  EXPECT_EQ(ExpandChannel(0, 31), 0u);
  EXPECT_EQ(NarrowChannel(255, 63), 63u);
  // Blends and products round; the ends are exact.
  EXPECT_EQ(BlendChannel(200, 10, 255), 200u);
  EXPECT_EQ(BlendChannel(200, 10, 0), 10u);
  EXPECT_EQ(BlendChannel(255, 0, 128), 128u);
  EXPECT_EQ(Mul255(255, 77), 77u);
  for (DDFORMAT f : {DDFMT_R5G6B5, DDFMT_A1R5G5B5, DDFMT_A8R8G8B8})
    for (uint32_t raw : {0x0000u, 0x8001u, 0xFFFFu, 0x7C1Fu}) {
      uint32_t v = f == DDFMT_R5G6B5 ? raw & 0xFFFF : raw;
      if (f == DDFMT_A8R8G8B8) v = raw * 0x10001u;
      EXPECT_EQ(ArgbToFormat(f, FormatToArgb(f, v)), v) << f << " " << raw;
    }
}

TEST(PixelRules, StretchSamplesTheTexelUnderThePixelCentre) {
  struct Row {
    int sw, w;
    std::vector<int> offsets;
  };
  for (const Row& r : std::vector<Row>{{4, 4, {0, 1, 2, 3}},
                                       {2, 4, {0, 0, 1, 1}},
                                       {8, 4, {1, 3, 5, 7}},
                                       {3, 5, {0, 0, 1, 2, 2}},
                                       {-4, 4, {-1, -2, -3, -4}},
                                       {-2, 4, {-1, -1, -2, -2}}}) {
    std::vector<int> got;
    for (int i = 0; i < r.w; ++i) got.push_back(StretchSourceOffset(i, r.sw, r.w));
    EXPECT_EQ(got, r.offsets) << r.sw << "/" << r.w;
  }
}

TEST(VirtualDevice, GeneralQuadsMatchTheExactPathAndRotate) {
  cVirtualDevice dev(DDFMT_X8R8G8B8, 16, 16);
  std::shared_ptr<cTexture> tex, rt1, rt2;
  ASSERT_EQ(dev.CreateTexture(8, 8, 0, DDFMT_A8R8G8B8, DDPOOL_MANAGED, &tex), DD_OK);
  ASSERT_EQ(dev.CreateTexture(16, 16, DTUSAGE_RENDERTARGET, DDFMT_A8R8G8B8, DDPOOL_DEFAULT, &rt1), DD_OK);
  ASSERT_EQ(dev.CreateTexture(16, 16, DTUSAGE_RENDERTARGET, DDFMT_A8R8G8B8, DDPOOL_DEFAULT, &rt2), DD_OK);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) tex->level0->SetPixel(x, y, 0xFF000000u | uint32_t(x) << 16 | uint32_t(y) << 8);
  dev.SetAlphaBlend(true);
  dev.SetTexture(tex);
  dev.SetRenderTarget(rt1->level0);
  ASSERT_EQ(dev.DrawRect(2, 3, 8, 8, 0, 0, 8, 8, 0xFFFFFFFF), DD_OK);
  // The same rectangle as vertices, nudged off the pixel edges so that the general path runs.
  dev.SetRenderTarget(rt2->level0);
  const float e = 1.0f / 4096;
  DTVERTEX v[4] = {{1.5f + e, 2.5f + e, 0, 1, 0xFFFFFFFF, 0, 0},
                   {1.5f + e, 10.5f + e, 0, 1, 0xFFFFFFFF, 0, 1},
                   {9.5f + e, 2.5f + e, 0, 1, 0xFFFFFFFF, 1, 0},
                   {9.5f + e, 10.5f + e, 0, 1, 0xFFFFFFFF, 1, 1}};
  ASSERT_EQ(dev.DrawQuad(v), DD_OK);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) ASSERT_EQ(rt2->level0->GetPixel(x, y), rt1->level0->GetPixel(x, y)) << x << "," << y;
  // A quarter turn: the texture's top row runs down the left side.
  rt2->level0->FillRaw(nullptr, 0);
  DTVERTEX r[4] = {{9.5f, 2.5f, 0, 1, 0xFFFFFFFF, 0, 0},
                   {1.5f, 2.5f, 0, 1, 0xFFFFFFFF, 0, 1},
                   {9.5f, 10.5f, 0, 1, 0xFFFFFFFF, 1, 0},
                   {1.5f, 10.5f, 0, 1, 0xFFFFFFFF, 1, 1}};
  ASSERT_EQ(dev.DrawQuad(r), DD_OK);
  for (int k = 0; k < 8; ++k) EXPECT_EQ(rt2->level0->GetPixel(9, 3 + k), 0xFF000000u | uint32_t(k) << 16) << k;
}

TEST(VirtualDevice, ResetNeedsEveryDefaultPoolSurfaceReleased) {
  cVirtualDevice dev(DDFMT_X8R8G8B8, 4, 4);
  std::shared_ptr<cTexture> rt;
  ASSERT_EQ(dev.CreateTexture(4, 4, DTUSAGE_RENDERTARGET, DDFMT_A8R8G8B8, DDPOOL_DEFAULT, &rt), DD_OK);
  dev.SimulateLoss(false);
  EXPECT_EQ(dev.Present(), D3DERR_DEVICELOST);
  EXPECT_EQ(dev.TestCooperativeLevel(), D3DERR_DEVICENOTRESET);
  EXPECT_EQ(dev.Reset(), D3DERR_INVALIDCALL);
  rt.reset();
  EXPECT_EQ(dev.Reset(), DD_OK);
  EXPECT_EQ(dev.Present(), DD_OK);
}

}  // namespace

}  // namespace dddevice_test
