// ctest-label: graphics
#include <gtest/gtest.h>

#include "tests/media/graphics/GraphicsTestSupport.h"

// The file's own namespace keeps its helpers apart from other test files compiled with it.
namespace ddblt_test {

namespace {
using gfxtest::Library;
using gfxtest::MakeBmp;
using gfxtest::Pixel;

// Source 16 x 4 (red = column, green = row) and a cleared 40 x 12 target.
struct BlitScene {
  gfxtest::Project project;
  DDSURFACEDATA src, dst;
  explicit BlitScene(int srcTransparent = 0) {
    std::string path = project.Bitmap("s.bmp", MakeBmp(16, 4, 24, gfxtest::Gradient(16, 4)));
    EXPECT_EQ(DDCreateSurfaceFromFile(&src, path, srcTransparent, DDSettings.nBpp, 0, 0, 0, 0, 0, 0, 0), 0);
    EXPECT_TRUE(DDCreateSurface(&dst, 40, 12, 0, 0, DTMEMORYTYPE_VIDEO_RT, 0, 0));
    PalTable[1] = {0, 0, 0, 0};
    DDFillRect(&dst, 0, 0, 40, 12, 1);
  }
  ~BlitScene() {
    DDReleaseSurface(&src);
    DDReleaseSurface(&dst);
  }
  // Source column shown at destination pixel (x, y), or -1 where nothing was drawn.
  int Column(int x, int y) const {
    uint32_t p = Pixel(dst, x, y) & 0xFFFFFF;
    if ((p & 0xFF) != 7) return -1;
    return int(p >> 16);
  }
};

TEST(Blits, SameSizeDoubleHalfAndMirroredUnderBothPersonalities) {
  struct Row {
    const char* name;
    int x, w, sx, sw;
    std::vector<int> expected;  // source column at destination columns x .. x + 7
  };
  std::vector<Row> rows = {
      {"same size", 2, 8, 3, 8, {3, 4, 5, 6, 7, 8, 9, 10}},
      {"double", 2, 16, 4, 8, {4, 4, 5, 5, 6, 6, 7, 7}},
      {"half", 2, 4, 0, 8, {1, 3, 5, 7, -1, -1, -1, -1}},
      {"mirrored", 2, 8, 8, -8, {7, 6, 5, 4, 3, 2, 1, 0}},
  };
  for (int d3d : {1, 0}) {
    Library lib(d3d, 32, 1);
    for (const Row& r : rows) {
      if (!d3d && r.sw < 0) continue;  // mirrored copies are a Direct3D feature
      SCOPED_TRACE(testing::Message() << (d3d ? "Direct3D " : "DirectDraw ") << r.name);
      BlitScene s;
      int result = DDBltStretch(&s.dst, r.x, 1, r.w, 2, &s.src, r.sx, 0, r.sw, 2, 0);
      EXPECT_EQ(result != 0, d3d == 1) << "DirectDraw answers 0 for success";
      std::vector<int> got;
      for (int i = 0; i < 8; ++i) got.push_back(s.Column(r.x + i, 1));
      EXPECT_EQ(got, r.expected);
      EXPECT_EQ(s.Column(r.x - 1, 1), -1);
      EXPECT_EQ(s.Column(r.x, 3), -1);
    }
  }
}

TEST(Blits, DirectDrawSameSizeWithNegativeSourceStartsAtColumnZeroInPlace) {
  Library lib(0, 32, 1);
  BlitScene s;
  EXPECT_EQ(DDBlt(&s.dst, 5, 0, 6, 1, &s.src, -2, 0, 0), 0);
  EXPECT_EQ(s.Column(5, 0), 0);
  EXPECT_EQ(s.Column(8, 0), 3);
  EXPECT_EQ(s.Column(9, 0), -1);
  // Wholly outside: nothing.
  EXPECT_EQ(DDBlt(&s.dst, 50, 0, 4, 1, &s.src, 0, 0, 0), 0);
}

TEST(Blits, AdjustMirrorCases) {
  Library lib(1, 32, 1);
  DDSURFACEDATA base, alias, plain;
  alias.lpAlias = &base;
  alias.nMirrorW = 32;
  alias.nMirrorH = 16;
  plain.nMirrorW = 32;
  struct Row {
    DDSURFACEDATA* sd;
    int sx, sw, ex, ew;
  };
  for (const Row& r : std::vector<Row>{
           {&alias, 64, 32, 96, -32},   // whole cell: from its right edge leftwards
           {&alias, 70, 10, 90, -10},   // part of a cell: mirrored position within it
           {&alias, 64, 48, 64, 48},    // wider than a cell: left alone
           {&plain, 64, 32, 64, 32},    // no alias: left alone
       }) {
    int sx = r.sx, sy = 16, sw = r.sw, sh = 16;
    DDAdjustMirror(r.sd, &sx, &sy, &sw, &sh);
    EXPECT_EQ(sx, r.ex);
    EXPECT_EQ(sw, r.ew);
    if (r.sd == &alias) {
      EXPECT_EQ(sy, 32);
      EXPECT_EQ(sh, -16);
    }
  }
}

TEST(Blits, AliasOfMirroredCopyDrawsTheBorrowedCellMirrored) {
  Library lib(1, 32, 1);
  BlitScene s;
  DDSURFACEDATA alias;
  alias.lpAlias = &s.src;
  ASSERT_TRUE(DDCreateSurface(&alias, 16, 4, 0, 0, 0, 1, 0));
  alias.nMirrorW = 8;
  DDBlt(&s.dst, 0, 0, 8, 1, &alias, 8, 0, 0);
  std::vector<int> got;
  for (int i = 0; i < 8; ++i) got.push_back(s.Column(i, 0));
  EXPECT_EQ(got, (std::vector<int>{15, 14, 13, 12, 11, 10, 9, 8}));
  DDReleaseSurface(&alias);
}

TEST(Blits, OpaqueBlitOfTransparentSourceClearsToTheKeyInTheTargetsFormat) {
  gfxtest::Project project;
  std::string path = project.Bitmap("k.bmp", MakeBmp(2, 1, 24, {0xFF00FF, 0x102030}));
  struct Row {
    int bpp, windowed;
    uint32_t backExpected;  // the transparent pixel on BackBuffer, in its format
  };
  for (const Row& r : std::vector<Row>{{32, 1, 0xFFFF00FFu}, {16, 0, 0xF81Fu}, {16, 1, 0xFC1Fu}}) {
    SCOPED_TRACE(testing::Message() << r.bpp << (r.windowed ? " window" : " full screen"));
    Library lib(1, r.bpp, r.windowed);
    lpDTCon->rgbTransmit = {255, 0, 255};
    lpDTCon->rgbTransmit16 = {255, 0, 255};
    lpDTCon->argbTransmit = 0xFFFF00FF;
    lpDTCon->wTransmitOpaque16 = 0xFC1F;
    DDSURFACEDATA src, rt;
    ASSERT_EQ(DDCreateSurfaceFromFile(&src, path, 1, r.bpp, 0, 0, 0, 0, 0, 0, 0), 0);
    ASSERT_TRUE(DDCreateSurface(&rt, 4, 4, 0, 0, 0, 0, 0));
    PalTable[2] = {90, 90, 90, 0};
    DDFillRect(&BackBuffer, 0, 0, 4, 4, 2);
    DDFillRect(&rt, 0, 0, 4, 4, 2);
    DDBlt(&BackBuffer, 0, 0, 2, 1, &src, 0, 0, 0);
    DDBlt(&rt, 0, 0, 2, 1, &src, 0, 0, 0);
    EXPECT_EQ(Pixel(BackBuffer, 0, 0), r.backExpected);
    EXPECT_EQ(Pixel(rt, 0, 0), 0u);
    DDFORMAT bf = BackBuffer.Pixels()->Format();
    EXPECT_EQ(FormatToArgb(bf, Pixel(BackBuffer, 1, 0)) & 0xFFFFFF, FormatToArgb(bf, ArgbToFormat(bf, 0xFF102030)) & 0xFFFFFF);
    // A transparent blit leaves the key pixel's destination alone.
    DDFillRect(&rt, 0, 0, 4, 4, 2);
    DDBlt(&rt, 0, 0, 2, 1, &src, 0, 0, 1);
    EXPECT_EQ(Pixel(rt, 0, 0), ArgbToFormat(lpDTCon->TextureFormat, 0xFF5A5A5A));
    DDReleaseSurface(&src);
    DDReleaseSurface(&rt);
  }
}

TEST(Blits, StageOperationsAndBlendingIntoDestinationAlpha) {
  Library lib(1, 32, 1);
  DDSURFACEDATA src, dst;
  ASSERT_TRUE(DDCreateSurface(&src, 2, 1, 0, 0, 0, 0, 0));
  ASSERT_TRUE(DDCreateSurface(&dst, 2, 1, 0, 0, 0, 0, 0));
  src.Pixels()->SetPixel(0, 0, 0x80FF0000);  // half-transparent red
  src.Pixels()->SetPixel(1, 0, 0xFF00FF00);
  dst.Pixels()->SetPixel(0, 0, 0x400000FF);
  dst.Pixels()->SetPixel(1, 0, 0x400000FF);
  DDBlt(&dst, 0, 0, 2, 1, &src, 0, 0, 1);
  uint32_t a = 0x80;
  uint32_t expected = BlendChannel(a, 0x40, a) << 24 | BlendChannel(0xFF, 0, a) << 16 | BlendChannel(0, 0xFF, a);
  EXPECT_EQ(Pixel(dst, 0, 0), expected);
  EXPECT_EQ(Pixel(dst, 1, 0), 0xFF00FF00u);
  // Vertex colour and colour operation for one blit.
  dst.Pixels()->FillRaw(nullptr, 0);
  DDBLTCOLOR half = {0xFF808080, DTOP_MODULATE};
  DDBltEx(&dst, 0, 0, 2, 1, &src, 0, 0, 1, &half);
  EXPECT_EQ(Pixel(dst, 1, 0), 0xFF008000u);
  EXPECT_EQ(lpDTCon->dwBltColor, 0xFFFFFFFFu);
  DDSetBltColorOp(DTOP_SELECTARG2);
  DDSetBltColor(0xFF112233);
  DDBlt(&dst, 0, 0, 2, 1, &src, 0, 0, 1);
  EXPECT_EQ(Pixel(dst, 1, 0), 0xFF112233u);
  DDResetBltColorOp();
  DDResetBltColor();
  DDReleaseSurface(&src);
  DDReleaseSurface(&dst);
}

TEST(Blits, SoftwarePathForPlainTexturesAndSystemSources) {
  gfxtest::Project project;
  std::string path = project.Bitmap("s.bmp", MakeBmp(4, 1, 24, {0xFF00FF, 0x010101, 0x020202, 0x030303}));
  Library lib(1, 16, 0);
  lpDTCon->rgbTransmit16 = {255, 0, 255};
  DDSURFACEDATA file, sys;
  ASSERT_EQ(DDCreateSurfaceFromFile(&file, path, 1, 16, 0, 0, 0, 0, 0, 0, 0), 0);
  ASSERT_TRUE(DDCreateSurface(&sys, 4, 1, 1, 1, DTMEMORYTYPE_SYSTEM, 0, 0));
  sys.Pixels()->SetPixel(0, 0, 0x2000);  // bit 13 alone counts as opaque
  sys.Pixels()->SetPixel(1, 0, 0x1FFF);  // transparent
  sys.Pixels()->SetPixel(2, 0, 0xFC00);  // opaque red
  // System source onto the full-screen back buffer: R5G6B5 with green doubled.
  EXPECT_EQ(DDBlt(&BackBuffer, 0, 0, 3, 1, &sys, 0, 0, 1), 1);
  EXPECT_EQ(Pixel(BackBuffer, 0, 0), 8u << 11);
  EXPECT_EQ(Pixel(BackBuffer, 1, 0), 0x0000u);
  EXPECT_EQ(Pixel(BackBuffer, 2, 0), 0xF800u);
  sys.Pixels()->SetPixel(0, 0, 0x83E0);  // opaque green 31
  DDBlt(&BackBuffer, 0, 0, 1, 1, &sys, 0, 0, 1);
  EXPECT_EQ(Pixel(BackBuffer, 0, 0), 62u << 5);
  // Into a file texture (no render target): texels copied unchanged, stretched by truncation.
  EXPECT_EQ(DDBltStretch(&file, 0, 0, 4, 1, &sys, 0, 0, 2, 1, 0), 1);
  EXPECT_EQ(Pixel(file, 0, 0), 0x83E0u);
  EXPECT_EQ(Pixel(file, 1, 0), 0x83E0u);
  EXPECT_EQ(Pixel(file, 2, 0), 0x1FFFu);
  DDReleaseSurface(&file);
  DDReleaseSurface(&sys);
}

TEST(Blits, ClipTables) {
  struct Row {
    int d3d;
    int in[8];   // x, y, w, h, sx, sy, sw, sh
    int out[8];
    int result;
  };
  // Destination 100 x 100, source 50 x 50.
  std::vector<Row> rows = {
      {0, {10, 10, 20, 20, 5, 5, 20, 20}, {10, 10, 20, 20, 5, 5, 20, 20}, 1},
      {0, {10, 10, 20, 20, -5, 0, 20, 20}, {10, 10, 15, 20, 0, 0, 15, 20}, 1},
      {0, {-5, 0, 20, 20, 0, 0, 20, 20}, {0, 0, 15, 20, 5, 0, 15, 20}, 1},
      {0, {90, 95, 20, 20, 0, 0, 20, 20}, {90, 95, 10, 5, 0, 0, 10, 5}, 1},
      {0, {100, 0, 20, 20, 0, 0, 20, 20}, {100, 0, -20, 20, 0, 0, -20, 20}, 0},
      {0, {0, 0, 0, 20, 0, 0, 20, 20}, {0, 0, 0, 20, 0, 0, 20, 20}, 0},
      {0, {-10, 0, 40, 20, 0, 0, 20, 10}, {0, 0, 30, 20, 5, 0, 15, 10}, 1},
      {1, {-10, 0, 40, 20, 0, 0, 20, 10}, {-10, 0, 40, 20, 0, 0, 20, 10}, 1},
      {0, {0, 0, 40, 40, 30, 0, 40, 20}, {0, 0, 20, 40, 30, 0, 20, 20}, 1},
      {0, {80, 0, 40, 20, 0, 0, 20, 10}, {80, 0, 20, 20, 0, 0, 10, 10}, 1},
      {0, {100, 0, 40, 20, 0, 0, 20, 10}, {100, 0, 40, 20, 0, 0, 20, 10}, 0},
      {1, {0, 0, 32, 32, 32, 0, -32, 32}, {0, 0, 32, 32, 32, 0, -32, 32}, 1},
      {1, {0, 0, 32, 32, 60, 0, -32, 32}, {0, 0, 22, 32, 50, 0, -22, 32}, 1},
      {1, {0, 0, 32, 32, 0, 0, -32, 32}, {0, 0, 0, 32, 0, 0, 0, 32}, 0},
  };
  for (int d3d : {0, 1}) {
    Library lib(d3d, 32, 1);
    DDSURFACEDATA dst, src;
    dst.nWidth = dst.nHeight = 100;
    src.nWidth = src.nHeight = 50;
    for (size_t i = 0; i < rows.size(); ++i) {
      const Row& r = rows[i];
      if (r.d3d != d3d) continue;
      int v[8];
      std::copy(r.in, r.in + 8, v);
      int result = DDClipBlt(&dst, &v[0], &v[1], &v[2], &v[3], &src, &v[4], &v[5], &v[6], &v[7]);
      EXPECT_EQ(result != 0, r.result != 0) << "row " << i;
      if (r.result) {
        EXPECT_EQ(std::vector<int>(v, v + 8), std::vector<int>(r.out, r.out + 8)) << "row " << i;
      }
    }
  }
}

TEST(SpriteBatch, SortedRunsDrawUnregisteredFirstThenByRegistration) {
  Library lib(1, 32, 1);
  DDSURFACEDATA a, b, c, src;
  for (DDSURFACEDATA* sd : {&a, &b, &c, &src}) ASSERT_TRUE(DDCreateSurface(sd, 8, 8, 0, 0, 0, 0, 0));
  std::vector<DTDRAWRECORD> trace;
  lpDevice->SetDrawTrace(&trace);
  DDBeginSpriteBatch(1);
  DDRegisterBatchTarget(&a);
  DDRegisterBatchTarget(&b);
  DDRegisterBatchTarget(&a);  // keeps its first key
  DDBlt(&b, 0, 0, 1, 1, &src, 0, 0, 0);
  DDBlt(&a, 1, 0, 1, 1, &src, 0, 0, 0);
  DDBlt(&c, 0, 0, 1, 1, &src, 0, 0, 0);
  DDBlt(&a, 2, 0, 1, 1, &src, 0, 0, 0);
  EXPECT_TRUE(trace.empty()) << "queued, not drawn";
  DDEndSpriteBatch();
  lpDevice->SetDrawTrace(nullptr);
  ASSERT_EQ(trace.size(), 4u);
  EXPECT_EQ(trace[0].target, c.Pixels());
  EXPECT_EQ(trace[1].target, a.Pixels());
  EXPECT_EQ(trace[1].rect.left, 1);
  EXPECT_EQ(trace[2].target, a.Pixels());
  EXPECT_EQ(trace[2].rect.left, 2);
  EXPECT_EQ(trace[3].target, b.Pixels());
  EXPECT_FALSE(DDIsSpriteBatchActive());
  for (DDSURFACEDATA* sd : {&a, &b, &c, &src}) DDReleaseSurface(sd);
}

TEST(SpriteBatch, NestedBatchFlushesWhatWasQueued) {
  Library lib(1, 32, 1);
  DDSURFACEDATA dst, src;
  ASSERT_TRUE(DDCreateSurface(&dst, 4, 4, 0, 0, 0, 0, 0));
  ASSERT_TRUE(DDCreateSurface(&src, 4, 4, 0, 0, 0, 0, 0));
  src.Pixels()->FillRaw(nullptr, 0xFF123456);
  DDBeginSpriteBatch(0);
  DDBlt(&dst, 0, 0, 1, 1, &src, 0, 0, 0);
  DDBeginSpriteBatch(0);
  DDBlt(&dst, 1, 0, 1, 1, &src, 0, 0, 0);
  DDEndSpriteBatch();
  EXPECT_EQ(Pixel(dst, 0, 0), 0xFF123456u);
  EXPECT_EQ(Pixel(dst, 1, 0), 0xFF123456u);
  DDReleaseSurface(&dst);
  DDReleaseSurface(&src);
}

TEST(Blits, DirectDrawLock) {
  {
    Library lib(1, 32, 1);
    DDLOCKDESC desc;
    void* bits = nullptr;
    EXPECT_TRUE(DDLock(&BackBuffer, &desc, &bits, 32));
    EXPECT_EQ(bits, nullptr);
  }
  Library lib(0, 16, 1);
  DDLOCKDESC desc;
  void* bits = nullptr;
  ASSERT_TRUE(DDLock(&BackBuffer, &desc, &bits, 16));
  EXPECT_EQ(desc.dwSize, 124u);
  EXPECT_EQ(desc.lPitch, 640 * 2);
  EXPECT_EQ(bits, BackBuffer.Pixels()->Bits());
  EXPECT_FALSE(DDLock(&BackBuffer, &desc, &bits, 16)) << "already locked";
  BackBuffer.Pixels()->UnlockRect();
}

TEST(Fills, PaletteColoursPerPersonality) {
  PalTable[10] = {255, 128, 0, 0};
  struct Row {
    int d3d, bpp;
    uint32_t value10, value0;
  };
  for (const Row& r : std::vector<Row>{{1, 32, 0xFFFF8000u, 0u}, {0, 8, 10u, 0u}, {0, 32, 0xFF8000u, 0u}}) {
    Library lib(r.d3d, r.bpp, 1);
    EXPECT_EQ(PalNumToRGB(10), r.value10);
    if (r.d3d || r.bpp == 8) {
      EXPECT_EQ(PalNumToRGB(0), r.value0);
    }
    EXPECT_EQ(PalNumToRGB(300), 0u);
  }
  Library lib(1, 32, 1);
  DDSURFACEDATA sd;
  ASSERT_TRUE(DDCreateSurface(&sd, 20, 4, 1, 0, 0, 0, 0));
  DDFillRect(&sd, -10, 0, 20, 1, 10);
  EXPECT_EQ(Pixel(sd, 9, 0), 0xFFFF8000u);
  EXPECT_EQ(Pixel(sd, 10, 0), 0u);
  // Colour 0 on a transparent render target clears to transparent black; on
  // the back buffer it draws nothing.
  DDFillRect(&sd, 0, 0, 5, 1, 0);
  EXPECT_EQ(Pixel(sd, 2, 0), 0u);
  DDFillRect(&BackBuffer, 0, 0, 1, 1, 10);
  DDFillRect(&BackBuffer, 0, 0, 1, 1, 0);
  EXPECT_EQ(Pixel(BackBuffer, 0, 0), 0xFFFF8000u);
  DDReleaseSurface(&sd);
}

}  // namespace

}  // namespace ddblt_test
