// ctest-label: effects
// The effect kernels over real surfaces of both personalities.
#include <gtest/gtest.h>

#include <vector>

#include "media/graphics/Effect.h"
#include "tests/media/graphics/GraphicsTestSupport.h"

// The file's own namespace keeps its helpers apart from other test files compiled with it.
namespace effect_kernels_test {

namespace {
using gfxtest::Library;

// An empty surface whose pixels the test sets raw. Direct3D type 0 is a
// render target, type 1 a system-memory texture.
struct Surf {
  DDSURFACEDATA sd;
  Surf(int w, int h, int d3dType = DTMEMORYTYPE_VIDEO_RT, uint32_t fill = 0) {
    EXPECT_TRUE(DDCreateSurface(&sd, w, h, 0, 0, d3dType, 0, 0));
    if (sd.Pixels()) sd.Pixels()->FillRaw(nullptr, fill);
  }
  ~Surf() { DDReleaseSurface(&sd); }
  uint32_t operator()(int x, int y) const { return sd.Pixels()->GetPixel(x, y); }
  void Set(int x, int y, uint32_t v) { sd.Pixels()->SetPixel(x, y, v); }
};

// Every source pixel different and opaque.
void Number(Surf& s, int w, int h) {
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) s.Set(x, y, 0xFF000000u | uint32_t(y + 1) << 8 | uint32_t(x + 1));
}

const char* Name(int d3d) { return d3d ? "Direct3D" : "DirectDraw"; }

TEST(RasterKernels, EdgeCasesUnderBothPersonalities) {
  for (int d3d : {1, 0}) {
    SCOPED_TRACE(Name(d3d));
    Library lib(d3d, 32, 1);
    ASSERT_TRUE(lib.ok());
    Surf src(10, 6);
    Number(src, 10, 6);

    {  // A wave of amplitude 0 is the identity.
      Surf dst(14, 10);
      DDWave(&dst.sd, 2, 2, 10, 6, 2, 0.0, 17, 1, &src.sd, 0, 0, 0, 0);
      for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 10; ++x) ASSERT_EQ(dst(2 + x, 2 + y), src(x, y)) << x << "," << y;
      EXPECT_EQ(dst(1, 2), 0u);
    }
    {  // Split, 10 wide, band 4, columns: 0-3 down, 4-7 up, 8-9 not drawn.
      Surf dst(14, 10);
      DDSplit(&dst.sd, 1, 2, 10, 4, 4, 1, &src.sd, 0, 0, 0, 1);
      for (int j = 0; j < 4; ++j) {
        EXPECT_EQ(dst(1 + 2, 3 + j), src(2, j));
        EXPECT_EQ(dst(1 + 6, 1 + j), src(6, j));
        EXPECT_EQ(dst(1 + 8, 2 + j), 0u);
      }
      // Band 0 is one plain copy.
      Surf plain(14, 10), split(14, 10);
      DDBlt(&plain.sd, 1, 1, 5, 3, &src.sd, 2, 1, 0);
      DDSplit(&split.sd, 1, 1, 5, 3, 0, 9, &src.sd, 2, 1, 0, 0);
      for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 14; ++x) ASSERT_EQ(split(x, y), plain(x, y));
    }
    {  // Burst at distance 0: the picture in place, minus the odd last column.
      Surf dst(14, 10);
      DDBurst(&dst.sd, 0, 0, 5, 4, &src.sd, 0, 0, 0, 0);
      EXPECT_EQ(dst(0, 0), src(0, 0));
      EXPECT_EQ(dst(3, 3), src(3, 3));
      EXPECT_EQ(dst(4, 0), 0u);
    }
    {  // Turn: too thin a picture and unknown directions draw nothing.
      Surf dst(14, 10);
      EXPECT_EQ(DDTurn(&dst.sd, 0, 0, 1, 6, &src.sd, 0, 0, &src.sd, 0, 0, 1, 6, 0, 3, 0), 0);
      EXPECT_EQ(DDTurn(&dst.sd, 0, 0, 6, 1, &src.sd, 0, 0, &src.sd, 0, 0, 6, 1, 0, 3, 1), 0);
      EXPECT_EQ(DDTurn(&dst.sd, 0, 0, 8, 6, &src.sd, 0, 0, &src.sd, 0, 0, 8, 6, 0, 3, 2), 1);
      for (int x = 0; x < 14; ++x) EXPECT_EQ(dst(x, 0), 0u);
      // w = 8, phase 4: the back picture (source column 8, row 0 here) squeezed to 2 columns at x + 3.
      DDTurn(&dst.sd, 0, 0, 8, 6, &src.sd, 0, 0, &src.sd, 8, 0, 2, 6, 0, 4, 0);
      EXPECT_EQ(dst(2, 0), 0u);
      EXPECT_EQ(dst(3, 0), src(8, 0));
      EXPECT_EQ(dst(4, 0), src(9, 0));
      EXPECT_EQ(dst(5, 0), 0u);
    }
    {  // Circle of radius 1 draws nothing; radius 3 draws the disc's strips.
      Surf dst(14, 10);
      DDBltCircle(&dst.sd, 5, 5, 20, 20, 1, 1, &src.sd, 5, 3, 0);
      for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 14; ++x) ASSERT_EQ(dst(x, y), 0u);
      DDBltCircle(&dst.sd, 5, 5, 20, 20, 3, 1, &src.sd, 5, 3, 0);
      EXPECT_EQ(dst(5, 5), src(5, 3));
      EXPECT_EQ(dst(3, 4), src(3, 2));
      EXPECT_EQ(dst(0, 0), 0u);
    }
  }
}

struct RotatePath {
  const char* name;
  int d3d, srcType;
};

std::vector<uint32_t> RotateWindow(const RotatePath& p, int angle) {
  Library lib(p.d3d, 32, 1);
  EXPECT_TRUE(lib.ok());
  Surf src(4, 3, p.srcType), dst(8, 8);
  for (int v = 0; v < 3; ++v)
    for (int u = 0; u < 4; ++u) src.Set(u, v, 0xFF000000u | uint32_t(10 * v + u + 1));
  EXPECT_TRUE(DDRotate(&dst.sd, 4, 4, 4, 3, 2, 1, angle, &src.sd, 0, 0, 0));
  std::vector<uint32_t> out;
  for (int y = 2; y <= 6; ++y)
    for (int x = 1; x <= 6; ++x) out.push_back(dst(x, y) & 0xFF);
  for (int x = 0; x < 8; ++x) EXPECT_EQ(dst(x, 0), 0u) << p.name;
  return out;
}

TEST(RotateKernel, GoldenPermutationsOnEveryPath) {
  const RotatePath paths[] = {{"Direct3D quad", 1, DTMEMORYTYPE_VIDEO_RT},
                              {"Direct3D pixels", 1, DTMEMORYTYPE_SYSTEM},
                              {"DirectDraw pixels", 0, 0}};
  // Rows 2..6, columns 1..6 of the destination; the pivot lands on (4, 4).
  const std::vector<uint32_t> at0 = {0, 0, 0, 0, 0, 0,  0, 1,  2,  3,  4,  0, 0, 11, 12,
                                     13, 14, 0, 0, 21, 22, 23, 24, 0, 0, 0, 0,  0,  0,  0};
  const std::vector<uint32_t> at90 = {0, 0, 21, 11, 1, 0, 0, 0, 22, 12, 2, 0, 0, 0, 23,
                                      13, 3, 0, 0, 0, 24, 14, 4, 0, 0, 0, 0,  0,  0, 0};
  const std::vector<uint32_t> at45 = {0, 0, 0, 0, 0, 0,  0, 0, 11, 2, 0,  0, 0, 21, 12,
                                      13, 3, 0, 0, 0, 23, 13, 14, 0, 0, 0, 0, 24, 0,  0};
  // The quad turns the picture about the pivot's pixel corner, so at 90 and
  // 45 degrees it sits one pixel left of the pixel path, as it always did.
  const std::vector<uint32_t> quad90 = {0, 21, 11, 1, 0, 0, 0, 22, 12, 2, 0, 0, 0, 23, 13,
                                        3, 0,  0,  0, 24, 14, 4, 0, 0, 0, 0, 0, 0, 0,  0};
  const std::vector<uint32_t> quad45 = {0, 0,  1,  0, 0, 0, 0, 11, 2,  2, 0, 0, 0, 22, 12,
                                        3, 4, 0, 0, 0, 23, 14, 0, 0, 0, 0, 0,  0,  0, 0};
  for (const RotatePath& p : paths) {
    const bool quad = p.d3d && p.srcType == DTMEMORYTYPE_VIDEO_RT;
    EXPECT_EQ(RotateWindow(p, 0), at0) << p.name;
    EXPECT_EQ(RotateWindow(p, 90), quad ? quad90 : at90) << p.name;
    EXPECT_EQ(RotateWindow(p, 45), quad ? quad45 : at45) << p.name;
  }
}

TEST(LockedKernels, WiringAndRefusals) {
  {
    Library lib(0, 32, 1);
    Surf src(3, 3), dst(3, 3, 0, 0x12000000);
    const int values[9] = {10, 20, 30, 40, 50, 60, 70, 80, 90};
    for (int i = 0; i < 9; ++i) src.Set(i % 3, i / 3, uint32_t(values[i]) << 16);
    EXPECT_TRUE(DDBlur(&dst.sd, 0, 0, 3, 3, 1, 1, &src.sd, 0, 0, 0));
    const int want[9] = {10, 15, 25, 25, 30, 40, 55, 60, 70};
    for (int i = 0; i < 9; ++i) EXPECT_EQ(dst(i % 3, i / 3), 0x12000000u | uint32_t(want[i]) << 16) << i;

    Surf untouched(3, 3, 0, 5);
    EXPECT_TRUE(DDBlur(&untouched.sd, 0, 0, 3, 3, 0, 2, &src.sd, 0, 0, 0));
    EXPECT_TRUE(DDMosaic(&untouched.sd, 0, 0, 3, 3, 0, &src.sd, 0, 0, 0));
    EXPECT_TRUE(DDMosaic(&untouched.sd, 0, 0, 3, 3, -2, &src.sd, 0, 0, 0));
    EXPECT_FALSE(DDLens(&untouched.sd, 1, 1, 0, 5, &src.sd, 1, 1, 0, 0));
    EXPECT_FALSE(DDLens(&untouched.sd, 1, 1, -1, 0, &src.sd, 1, 1, 0, 0));
    for (int i = 0; i < 9; ++i) EXPECT_EQ(untouched(i % 3, i / 3), 5u);
    // One surface locked twice (source = destination) fails cleanly.
    EXPECT_FALSE(DDMosaic(&dst.sd, 0, 0, 3, 3, 2, &dst.sd, 0, 0, 0));
    // The lens with d = 0 stretches the source's centre.
    Surf lens(3, 3);
    EXPECT_TRUE(DDLens(&lens.sd, 1, 1, 1, 0, &src.sd, 1, 1, 0, 0));
    EXPECT_EQ(lens(1, 1), src(1, 1));
    EXPECT_EQ(lens(0, 1), src(0, 1));  // rim
  }
  {  // No blur at 8 bits.
    Library lib(0, 8, 0);
    Surf src(2, 2, 0, 9), dst(2, 2, 0, 3);
    EXPECT_TRUE(DDBlur(&dst.sd, 0, 0, 2, 2, 1, 1, &src.sd, 0, 0, 0));
    EXPECT_EQ(dst(1, 1), 3u);
    EXPECT_TRUE(DDMosaic(&dst.sd, 0, 0, 2, 2, 2, &src.sd, 0, 0, 0));
    EXPECT_EQ(dst(1, 1), 9u);
  }
  {  // Direct3D 16 bits full screen: pixels written into the back buffer are R5G6B5, green doubled.
    Library lib(1, 16, 0);
    ASSERT_TRUE(lib.ok());
    Surf src(2, 2, DTMEMORYTYPE_VIDEO_RT, 0x8000u | 31u << 10 | 15u << 5 | 1u);
    EXPECT_TRUE(DDMosaic(&BackBuffer, 0, 0, 2, 2, 2, &src.sd, 0, 0, 1));
    EXPECT_EQ(BackBuffer.Pixels()->GetPixel(1, 1), 31u << 11 | 30u << 5 | 1u);
  }
}

TEST(BlendKernels, ColorScaleQuadAgainstLockedWeights) {
  Library lib(1, 32, 1);
  ASSERT_TRUE(lib.ok());
  PalWork[5] = {0, 0, 255, 255};
  struct Case {
    int n;
    uint32_t quad, locked;
  };
  // Pixel (200, 100, 0) toward (0, 0, 255): the quad weights 128, 80, 48, 16, 0
  // differ from the locked weights 128, 64, 32, 16, 0 at n = 2 and 3.
  const Case cases[] = {{1, 0xFF64327F, 0xFF64327F}, {2, 0xFF3F1FAF, 0xFF3219BF}, {5, 0xFF0000FF, 0xFF0000FF}};
  for (const Case& c : cases) {
    for (int type : {DTMEMORYTYPE_VIDEO_RT, DTMEMORYTYPE_SYSTEM}) {
      Surf src(2, 1, type, 0xFFC86400), dst(2, 1, DTMEMORYTYPE_VIDEO_RT, 0xFF000000);
      EXPECT_TRUE(DDColorScale(&dst.sd, 0, 0, 2, 1, &src.sd, 0, 0, 1, PalWork, BlendTable, 5, c.n));
      EXPECT_EQ(dst(1, 0), type == DTMEMORYTYPE_VIDEO_RT ? c.quad : c.locked) << c.n << " type " << type;
    }
  }
  Surf src(2, 1, DTMEMORYTYPE_VIDEO_RT, 0xFFC86400), dst(2, 1, DTMEMORYTYPE_VIDEO_RT, 0xFF000000);
  EXPECT_TRUE(DDColorScale(&dst.sd, 0, 0, 2, 1, &src.sd, 0, 0, 1, PalWork, BlendTable, 5, 0));
  EXPECT_EQ(dst(0, 0), 0xFF000000u);
}

TEST(BlendKernels, BlendWeightsQuadAndLocked) {
  struct Case {
    int weight;
    uint32_t quadRgb;
  };
  // Red over blue: weight 0 draws the source opaque, 255 not at all, 128 at opacity 127/255.
  const Case cases[] = {{0, 0xFF0000}, {128, 0x7F0080}, {255, 0x0000FF}};
  {
    Library lib(1, 32, 1);
    for (const Case& c : cases) {
      Surf src(1, 1, DTMEMORYTYPE_VIDEO_RT, 0xFFFF0000), dst(1, 1, DTMEMORYTYPE_VIDEO_RT, 0xFF0000FF);
      EXPECT_TRUE(DDBltBlend(&dst.sd, 0, 0, 1, 1, &src.sd, 0, 0, 0, BlendTable, c.weight));
      EXPECT_EQ(dst(0, 0) & 0xFFFFFF, c.quadRgb) << c.weight;
    }
    Surf src(1, 1, DTMEMORYTYPE_SYSTEM, 0xFFFF0000), dst(1, 1, DTMEMORYTYPE_SYSTEM, 0xFF0000FF);
    EXPECT_TRUE(DDBltHalf(&dst.sd, 0, 0, 1, 1, &src.sd, 0, 0, 0, BlendTable));
    EXPECT_EQ(dst(0, 0), 0xFF7F007Fu);
  }
  {  // The locked paths mix half and half whatever the weight.
    Library lib(0, 32, 1);
    for (const Case& c : cases) {
      Surf src(1, 1, 0, 0x00FF0000), dst(1, 1, 0, 0x440000FF);
      EXPECT_TRUE(DDBltBlend(&dst.sd, 0, 0, 1, 1, &src.sd, 0, 0, 0, BlendTable, c.weight));
      EXPECT_EQ(dst(0, 0), 0x447F007Fu) << c.weight;
    }
  }
}

TEST(BlendKernels, EightBitTablePaths) {
  Library lib(0, 8, 0);
  ASSERT_TRUE(lib.ok());
  for (int a = 0; a < 256; ++a)
    for (int b = 0; b < 256; ++b) BlendTable[a * 256 + b] = uint8_t((a + b) / 2);
  BlendTable[9 * 256 + 4] = 77;
  Surf src(3, 1, 0, 4), dst(3, 1, 0, 9);
  src.Set(2, 0, 0);
  dst.Set(1, 0, 0);
  EXPECT_TRUE(DDBltBlend(&dst.sd, 0, 0, 3, 1, &src.sd, 0, 0, 1, BlendTable, 0));
  // [9 * 256 + 4]; an empty destination takes the source; source index 0 is transparent.
  EXPECT_EQ(dst(0, 0), 77u);
  EXPECT_EQ(dst(1, 0), 4u);
  EXPECT_EQ(dst(2, 0), 9u);

  Surf cs(1, 1, 0, 200), out(1, 1, 0, 0);
  EXPECT_TRUE(DDColorScale(&out.sd, 0, 0, 1, 1, &cs.sd, 0, 0, 0, PalWork, BlendTable, 100, 2));
  EXPECT_EQ(out(0, 0), 125u);
  EXPECT_TRUE(DDColorScale(&out.sd, 0, 0, 1, 1, &cs.sd, 0, 0, 0, PalWork, BlendTable, 100, -1));
  EXPECT_EQ(out(0, 0), 200u);
}

TEST(BlendKernels, LoadBlendTable) {
  gfxtest::Project project;
  std::vector<uint8_t> full(65536), shortFile(100, 0xAB), longer(65537, 0x33);
  for (size_t i = 0; i < full.size(); ++i) full[i] = uint8_t(i * 7);
  project.Bitmap("hbt/hbt01.dat", full);
  project.Bitmap("hbt/hbt02.dat", shortFile);
  project.Bitmap("hbt/hbt03.dat", longer);
  std::vector<uint8_t> table(65536, 0x5A);
  {
    Library lib(1, 32, 1);
    // Direct3D has no use for the table and does not even open the file.
    EXPECT_TRUE(DDLoadBlendTable(table.data(), "bmp\\hbt\\missing.dat"));
    EXPECT_EQ(table[0], 0x5A);
  }
  Library lib(0, 8, 0);
  EXPECT_FALSE(DDLoadBlendTable(table.data(), "bmp\\hbt\\missing.dat"));
  {
    testsupport::LogCapture log;
    EXPECT_FALSE(DDLoadBlendTable(table.data(), "bmp\\hbt\\hbt02.dat"));
    EXPECT_NE(log.Text().find("hbt02.dat"), std::string::npos);
    EXPECT_EQ(table[0], 0x5A);  // a short table is refused whole
  }
  EXPECT_TRUE(DDLoadBlendTable(table.data(), "bmp\\hbt\\hbt01.dat"));
  EXPECT_EQ(table, full);
  EXPECT_TRUE(DDLoadBlendTable(table.data(), "bmp\\hbt\\hbt03.dat"));
  EXPECT_EQ(table[65535], 0x33);
}

TEST(BlendKernels, ChangeColor) {
  {
    Library lib(1, 32, 1);
    ASSERT_TRUE(lib.ok());
    cPixelSurface* back = BackBuffer.Pixels();
    back->SetPixel(0, 0, 0xFF804020);
    EXPECT_EQ(DDChangeColor(&BackBuffer, 0, 0, 640, 480, 255, 255, 0, 0), 1);
    EXPECT_EQ(back->GetPixel(0, 0) & 0xFFFFFF, 0x804020u);
    // The device back buffer is no texture: the colour itself at opacity (255 - alpha) / 255.
    EXPECT_EQ(DDChangeColor(&BackBuffer, 0, 0, 640, 480, 128, 255, 0, 0), 1);
    EXPECT_EQ(back->GetPixel(0, 0) & 0xFFFFFF, 0xBF2010u);
    EXPECT_EQ(DDChangeColor(&BackBuffer, 0, 0, 640, 480, 0, 0, 255, 0), 1);
    EXPECT_EQ(back->GetPixel(0, 0) & 0xFFFFFF, 0x00FF00u);
    // With the virtual back buffer the picture is multiplied by the colour.
    DDSetVirBackBuffer(1);
    VirBackBuffer.Pixels()->SetPixel(3, 2, 0xFF808080);
    EXPECT_EQ(DDChangeColor(&BackBuffer, 0, 0, 640, 480, 0, 255, 0, 0), 1);
    EXPECT_EQ(VirBackBuffer.Pixels()->GetPixel(3, 2) & 0xFFFFFF, 0x800000u);
    DDSetVirBackBuffer(0);
  }
  Library lib(0, 32, 1);
  BackBuffer.Pixels()->SetPixel(0, 0, 0x123456);
  EXPECT_EQ(DDChangeColor(&BackBuffer, 0, 0, 640, 480, 0, 255, 0, 0), 1);
  EXPECT_EQ(BackBuffer.Pixels()->GetPixel(0, 0), 0x123456u);
}

}  // namespace

}  // namespace effect_kernels_test
