// ctest-label: graphics
#include <gtest/gtest.h>

#include "base/Log.h"
#include "platform/CloseRequest.h"
#include "platform/MessageBox.h"
#include "tests/media/graphics/GraphicsTestSupport.h"

// The file's own namespace keeps its helpers apart from other test files compiled with it.
namespace ddsurface_test {

namespace {
using gfxtest::Library;
using gfxtest::MakeBmp;
using gfxtest::Pixel;

TEST(Surfaces, NewEmptySurfacePerPersonality) {
  struct Row {
    int d3d, bpp;
    uint32_t expected;  // every pixel of a new surface
  };
  PalTable[0] = {1, 2, 3, 0};
  for (const Row& r : std::vector<Row>{{1, 32, 0xFFFF00FFu}, {1, 16, 0xFC1Fu}, {0, 8, 0u}, {0, 16, 0x0843u}, {0, 32, 0x010203u}}) {
    SCOPED_TRACE(testing::Message() << "d3d " << r.d3d << " bpp " << r.bpp);
    Library lib(r.d3d, r.bpp, 1);
    ASSERT_TRUE(lib.ok());
    if (lpDTCon) {
      lpDTCon->argbTransmit = 0xFFFF00FF;
      lpDTCon->wTransmitOpaque16 = 0xFC1F;
    }
    DDSURFACEDATA sd;
    ASSERT_TRUE(DDCreateSurface(&sd, 40, 30, 1, 0, DTMEMORYTYPE_VIDEO_RT, 0, 0));
    EXPECT_EQ(sd.nWidth, 40);
    EXPECT_EQ(sd.nHeight, 30);
    EXPECT_EQ(sd.strFile, r.d3d ? "E" : "");
    for (int y = 0; y < 30; y += 7)
      for (int x = 0; x < 40; x += 9) ASSERT_EQ(Pixel(sd, x, y), r.expected) << x << "," << y;
    if (r.d3d) {
      EXPECT_EQ(sd.strName, "OffScreen");
      EXPECT_EQ(sd.lpDT->bRenderTarget, 1);
      EXPECT_TRUE(sd.lpDT->lpSystemSurface);
      EXPECT_EQ(SurfaceList.back(), &sd);
    } else {
      EXPECT_TRUE(sd.lpDD->lpSurface->HasColorKey());
      EXPECT_EQ(sd.lpDD->lpSurface->ColorKey(), dwTransmitPixel);
    }
    DDReleaseSurface(&sd);
    EXPECT_EQ(sd.lpDT, nullptr);
    EXPECT_EQ(sd.lpDD, nullptr);
  }
}

TEST(Surfaces, MemoryKindsAndVideoMemoryFallback) {
  testsupport::LogCapture log;
  DDVIRTUALDISPLAY d;
  Library lib(1, 32, 1);
  DDSURFACEDATA sys, full;
  ASSERT_TRUE(DDCreateSurface(&sys, 16, 16, 0, 1, DTMEMORYTYPE_SYSTEM, 0, 0));
  EXPECT_EQ(sys.lpDT->bRenderTarget, 0);
  EXPECT_EQ(sys.lpDT->Desc.Pool, DDPOOL_SYSTEMMEM);
  EXPECT_EQ(sys.lpDT->Desc.Usage, uint32_t(DTUSAGE_DYNAMIC));
  d.nVideoMemoryBytes = VideoMemoryInUse() + 100;
  DDSetVirtualDisplay(d);
  ASSERT_TRUE(DDCreateSurface(&full, 64, 64, 0, 0, DTMEMORYTYPE_VIDEO_NORT, 0, 0));
  EXPECT_EQ(full.lpDT->nMemoryType, DTMEMORYTYPE_SYSTEM);
  EXPECT_EQ(full.lpDT->bRenderTarget, 0);
  EXPECT_EQ(log.Lines().back(), "VRAM不足のためシステムメモリにテクスチャを作成します。(空)");
  DDSetVirtualDisplay(DDVIRTUALDISPLAY{});
  DDReleaseSurface(&sys);
  DDReleaseSurface(&full);
}

TEST(Surfaces, SixteenBitCopyNudgesPixelsOffTheKey) {
  // DirectDraw 16 bpp (R5G6B5): only pixels of the exact key colour become
  // the transparent value; others that pack onto it are moved one step off.
  struct Row {
    uint8_t keyR, keyG, keyB;
    uint32_t keyPixel;
    uint32_t nearKeyRgb;
    uint32_t expectedNear;
  };
  gfxtest::Project project;
  for (const Row& r : std::vector<Row>{{255, 0, 255, 0xF81F, 0xFF04FF, 0xF81E}, {0, 0, 0, 0x0000, 0x040404, 0x0001}}) {
    Library lib(0, 16, 1);
    lpDDCon->rgbTransmit16 = {r.keyB, r.keyG, r.keyR};
    dwTransmitPixel = r.keyPixel;
    uint32_t key = uint32_t(r.keyR) << 16 | uint32_t(r.keyG) << 8 | r.keyB;
    std::string path = project.Bitmap("k.bmp", MakeBmp(3, 1, 24, {key, r.nearKeyRgb, 0x808080}));
    DDSURFACEDATA sd;
    ASSERT_EQ(DDCreateSurfaceFromFile(&sd, path, 1, 16, 1, 0, 0, 0, 0, 0, 0), 0);
    EXPECT_EQ(Pixel(sd, 0, 0), r.keyPixel);
    EXPECT_EQ(Pixel(sd, 1, 0), r.expectedNear);
    EXPECT_EQ(Pixel(sd, 2, 0), (128u * 31 / 255) << 11 | (128u * 63 / 255) << 5 | (128u * 31 / 255));
    EXPECT_EQ(sd.strFile, path);
    DDReleaseSurface(&sd);
  }
  dwTransmitPixel = 0;
}

TEST(Surfaces, FileTexturesTakeTheKeyColourAsTransparentBlack) {
  gfxtest::Project project;
  std::string path = project.Bitmap("t.bmp", MakeBmp(2, 1, 24, {0xFF00FF, 0x123456}));
  for (int bpp : {32, 16}) {
    Library lib(1, bpp, 1);
    lpDTCon->rgbTransmit = {255, 0, 255};
    lpDTCon->rgbTransmit16 = {255, 0, 255};
    for (int transparent : {0, 1}) {
      DDSURFACEDATA sd;
      ASSERT_EQ(DDCreateSurfaceFromFile(&sd, path, transparent, bpp, 0, 0, 0, 0, 0, 0, 0), 0);
      EXPECT_EQ(sd.strName, "OffScreenFromFile");
      EXPECT_EQ(sd.lpDT->Desc.Pool, DDPOOL_MANAGED);
      EXPECT_EQ(Pixel(sd, 0, 0), 0u);
      EXPECT_EQ(Pixel(sd, 1, 0), ArgbToFormat(lpDTCon->TextureFormat, 0xFF123456));
      DDReleaseSurface(&sd);
    }
  }
}

// A texture wider than its bitmap (sizes rounded up to powers of two) holds
// each bitmap row at its own row, the key colour as transparent black in any
// row, and leaves the rest of the texture clear.
TEST(Surfaces, FileTexturesKeepEveryRowInPlace) {
  gfxtest::Project project;
  std::string path =
      project.Bitmap("rows.bmp", MakeBmp(3, 2, 24, {0x010203, 0x040506, 0x070809, 0x0A0B0C, 0xFF00FF, 0x0D0E0F}));
  Library lib(1, 32, 1);
  lpDTCon->rgbTransmit = {255, 0, 255};
  lpDTCon->bPow2 = true;
  DDSURFACEDATA sd;
  ASSERT_EQ(DDCreateSurfaceFromFile(&sd, path, 1, 32, 0, 0, 0, 0, 0, 0, 0), 0);
  ASSERT_EQ(sd.nTexWidth, 4);
  ASSERT_EQ(sd.nTexHeight, 2);
  const uint32_t want[2][4] = {{0xFF010203u, 0xFF040506u, 0xFF070809u, 0u}, {0xFF0A0B0Cu, 0u, 0xFF0D0E0Fu, 0u}};
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 4; ++x) EXPECT_EQ(Pixel(sd, x, y), want[y][x]) << x << "," << y;
  DDReleaseSurface(&sd);
}

TEST(Surfaces, MirroredCellsAreTheSameUnderBothPersonalities) {
  gfxtest::Project project;
  const int w = 64, h = 8;
  std::string path = project.Bitmap("m.bmp", MakeBmp(w, h, 24, gfxtest::Gradient(w, h)));
  std::vector<uint32_t> d3d, dd;
  {
    Library lib(1, 32, 1);
    DDSURFACEDATA sd;
    ASSERT_EQ(DDCreateSurfaceFromFile(&sd, path, 1, 32, 0, 0, 0, 0, 32, 0, 0), 0);
    EXPECT_EQ(sd.nMirrorW, 32);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) d3d.push_back(Pixel(sd, x, y) & 0xFFFFFF);
    DDReleaseSurface(&sd);
    EXPECT_TRUE(SurfaceList.size() == 2u);  // the scratch copy is gone again
  }
  {
    Library lib(0, 32, 1);
    DDSURFACEDATA sd;
    ASSERT_EQ(DDCreateSurfaceFromFile(&sd, path, 1, 32, 0, 0, 0, 0, 32, 0, 0), 0);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) dd.push_back(Pixel(sd, x, y) & 0xFFFFFF);
    DDReleaseSurface(&sd);
  }
  EXPECT_EQ(d3d, dd);
  // Column x of a cell shows column 31 - x of it.
  EXPECT_EQ(d3d[0], uint32_t(31) << 16 | 7u);
  EXPECT_EQ(d3d[32 + 1], uint32_t(62) << 16 | 7u);

  // Vertical cells: mirrored by the DirectDraw copy, left alone under Direct3D.
  {
    Library lib(1, 32, 1);
    DDSURFACEDATA sd;
    ASSERT_EQ(DDCreateSurfaceFromFile(&sd, path, 1, 32, 0, 0, 0, 0, 0, 4, 0), 0);
    EXPECT_EQ(Pixel(sd, 0, 0) & 0xFFFFFF, 7u);
    DDReleaseSurface(&sd);
  }
  {
    Library lib(0, 8, 1);
    std::vector<uint32_t> idx(size_t(4) * 4);
    for (size_t i = 0; i < idx.size(); ++i) idx[i] = uint32_t(i);
    std::string p8 = project.Bitmap("m8.bmp", MakeBmp(4, 4, 8, idx, std::vector<uint32_t>(256, 0)));
    DDSURFACEDATA sd;
    ASSERT_EQ(DDCreateSurfaceFromFile(&sd, p8, 0, 8, 0, 0, 0, 0, 2, 2, 0), 0);
    EXPECT_EQ(Pixel(sd, 0, 0), 5u);  // cell (0,0) turned both ways
    EXPECT_EQ(Pixel(sd, 3, 3), 10u);
    DDReleaseSurface(&sd);
  }
}

TEST(Surfaces, EightBitScreenRefusesTrueColourBitmaps) {
  testsupport::LogCapture log;
  gfxtest::Project project;
  std::string path = project.Bitmap("rgb.bmp", MakeBmp(4, 2, 24, gfxtest::Gradient(4, 2)));
  Library lib(0, 8, 0);
  DDSURFACEDATA sd;
  EXPECT_EQ(DDCreateSurfaceFromFile(&sd, path, 0, 8, 0, 0, 0, 0, 0, 0, 0), 8);
  EXPECT_EQ(log.Lines().back(), "CopyBitmap Err bmp\\rgb.bmp Surface(4,2) Bmp(4,2)");
  DDReleaseSurface(&sd);
}

TEST(Surfaces, LoadBitmapsHonoursOptionalEntries) {
  gfxtest::Project project;
  std::string good = project.Bitmap("g.bmp", MakeBmp(2, 2, 24, gfxtest::Gradient(2, 2)));
  std::vector<std::string> boxes;
  platform::SetMessageBoxHandler([&](const std::string& text, const std::string&, unsigned) {
    boxes.push_back(text);
    return platform::IDOK;
  });
  DDSURFACEDATA table[4];
  DDBITMAPDATA bitmaps[4];
  bitmaps[0].strFile = good;
  bitmaps[1].strFile = "E";
  bitmaps[1].nWidth = 8;
  bitmaps[1].nHeight = 4;
  bitmaps[2].strFile = "bmp\\missing.bmp";
  bitmaps[2].bOptional = 1;
  bitmaps[3].strFile = "bmp\\missing.bmp";
  for (int d3d : {1, 0}) {
    Library lib(d3d, 32, 1, table, bitmaps, 4);
    boxes.clear();
    const int first[] = {0, 1, 2};
    EXPECT_TRUE(DDLoadBitmaps(table, first, 3));
    EXPECT_EQ(table[0].nWidth, 2);
    EXPECT_EQ(table[1].nWidth, 8);
    EXPECT_TRUE(boxes.empty());
    const int all[] = {3};
    EXPECT_FALSE(DDLoadBitmaps(table, all, 1));
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0], "bmp\\missing.bmp \x82\xCC\x93\xC7\x82\xDD\x8D\x9E\x82\xDD\x82\xC9\x8E\xB8\x94s\x81I");
    // Loading again releases first.
    EXPECT_TRUE(DDLoadBitmaps(table, first, 1));
  }
  platform::SetMessageBoxHandler(nullptr);
  EXPECT_EQ(DefaultPoolSurfaces(), 0);
}

TEST(Surfaces, ListsAndVectors) {
  Library lib(1, 32, 1);
  cList<DDSURFACEDATA> list;
  cList<DDBITMAPDATA> descs;
  ASSERT_TRUE(DDAddSurfaceList(list, descs, 8, 8, 1, 0, 0, 0));
  ASSERT_TRUE(DDInsertSurfaceList(list, descs, 0, 4, 4, 0, 0, 0, 0));
  ASSERT_TRUE(DDInsertSurfaceList(list, descs, 99, 2, 2, 0, 0, 0, 0));
  ASSERT_TRUE(DDInsertSurfaceList(list, descs, -3, 6, 6, 0, 0, 0, 0));
  std::vector<int> widths;
  for (auto& sd : list) widths.push_back(sd.nWidth);
  EXPECT_EQ(widths, (std::vector<int>{6, 4, 8, 2}));
  EXPECT_EQ(descs.size(), 4u);
  DDSURFACEDATA stranger;
  EXPECT_EQ(DDRemoveSurfaceList(list, descs, &stranger), 0);
  EXPECT_EQ(list.size(), 4u);
  EXPECT_EQ(DDRemoveSurfaceList(list, descs, &list.At(1)), 1);
  EXPECT_EQ(list.size(), 3u);
  EXPECT_EQ(descs.size(), 3u);
  DDReleaseSurfaceList(list);

  // A growing vector moves its records; the restore list must follow them.
  cVector<DDSURFACEDATA> vec;
  cVector<DDBITMAPDATA> vdescs;
  for (int i = 0; i < 20; ++i) ASSERT_TRUE(DDAddSurface(vec, vdescs, 4 + i, 4, 0, 0, 0, 0));
  size_t found = 0;
  for (DDSURFACEDATA* p : SurfaceList)
    if (p >= vec.data() && p < vec.data() + vec.size()) ++found;
  EXPECT_EQ(found, 20u);
  DDReleaseSurfaces(vec);
  EXPECT_EQ(SurfaceList.size(), 2u);
}

TEST(Surfaces, AliasesBorrowAndReleaseNothing) {
  gfxtest::Project project;
  std::string path = project.Bitmap("a.bmp", MakeBmp(64, 4, 24, gfxtest::Gradient(64, 4)));
  Library lib(1, 32, 1);
  DDSURFACEDATA base, alias;
  ASSERT_EQ(DDCreateSurfaceFromFile(&base, path, 1, 32, 0, 0, 0, 0, 0, 0, 0), 0);
  alias.lpAlias = &base;
  ASSERT_EQ(DDCreateSurfaceFromFile(&alias, path, 1, 32, 0, 0, 1, 0, 32, 0, 0), 0);
  EXPECT_FALSE(alias.lpDT->lpTexture);
  EXPECT_EQ(alias.nWidth, 64);
  size_t listed = SurfaceList.size();
  DDReleaseSurface(&alias);
  EXPECT_EQ(SurfaceList.size(), listed);
  EXPECT_TRUE(base.lpDT->lpTexture);
  DDReleaseSurface(&base);
}

TEST(Surfaces, PaletteMapsFindTheFirstMatchingEntry) {
  gfxtest::Project project;
  for (int i = 0; i < 256; ++i) PalTable[i] = {0, 0, 0, 0};
  PalTable[4] = {255, 0, 0, 0};
  PalTable[9] = {255, 0, 0, 0};
  PalTable[7] = {0, 255, 0, 0};
  std::string path = project.Bitmap("pm.bmp", MakeBmp(3, 1, 24, {0xFF0000, 0x00FF00, 0x0000FF}));
  for (int d3d : {1, 0}) {
    Library lib(d3d, 32, 1);
    DDSURFACEDATA sd;
    ASSERT_EQ(DDCreateSurfaceFromFile(&sd, path, 0, 32, 1, 1, 0, 1, 0, 0, 0), 0);
    const std::vector<uint8_t>& map = d3d ? sd.lpDT->PaletteMap : sd.lpDD->PaletteMap;
    ASSERT_GE(map.size(), 3u);
    EXPECT_EQ(map[0], 4);
    EXPECT_EQ(map[1], 7);
    EXPECT_EQ(map[2], 0);
    DDReleaseSurface(&sd);
  }
}

}  // namespace

}  // namespace ddsurface_test
