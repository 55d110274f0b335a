// ctest-label: graphics
#include <gtest/gtest.h>

#include "tests/media/graphics/GraphicsTestSupport.h"

// The file's own namespace keeps its helpers apart from other test files compiled with it.
namespace ddrestore_test {

namespace {
using gfxtest::Library;
using gfxtest::MakeBmp;
using gfxtest::Pixel;

TEST(DeviceLoss, Direct3DRestoreBringsEverySurfaceBack) {
  gfxtest::Project project;
  std::string path = project.Bitmap("r.bmp", MakeBmp(16, 2, 24, gfxtest::Gradient(16, 2)));
  DDSetPresentSink([](const uint32_t*, int, int) {});
  int lost = 0, restored = 0;
  DDSetFontRestoreHooks([&] { ++lost; }, [&] { ++restored; });
  Library lib(1, 32, 1);
  lpDTCon->argbTransmit = 0xFF00FF00;
  DDSURFACEDATA empty, file, sys;
  ASSERT_TRUE(DDCreateSurface(&empty, 8, 8, 0, 0, DTMEMORYTYPE_VIDEO_RT, 0, 0));
  ASSERT_EQ(DDCreateSurfaceFromFile(&file, path, 1, 32, 0, 0, 0, 0, 8, 0, 0), 0);
  ASSERT_TRUE(DDCreateSurface(&sys, 4, 4, 0, 1, DTMEMORYTYPE_SYSTEM, 0, 0));
  sys.Pixels()->FillRaw(nullptr, 0xFF445566);
  PalTable[3] = {1, 2, 3, 0};
  DDFillRect(&empty, 0, 0, 8, 8, 3);
  std::vector<int> ids = {empty.lpDT->nSurfaceId, file.lpDT->nSurfaceId, sys.lpDT->nSurfaceId};
  std::vector<DDSURFACEDATA*> order(SurfaceList.begin(), SurfaceList.end());
  uint32_t mirrored = Pixel(file, 0, 0);

  EXPECT_EQ(DDFlip(60, 0, nullptr), 1);
  DDSimulateDeviceLoss(true);
  EXPECT_EQ(DDFlip(60, 0, nullptr), 0);
  // Another program still holds the display: the restore keeps failing.
  EXPECT_EQ(DDRestoreSurface(), 0);
  EXPECT_EQ(DDRestoreSurface(), 0);
  DDEndDeviceLossHold();
  EXPECT_EQ(DDRestoreSurface(), 1);
  EXPECT_GE(lost, 1);
  EXPECT_EQ(restored, 1);
  EXPECT_EQ(DDFlip(60, 0, nullptr), 1);

  EXPECT_EQ(std::vector<DDSURFACEDATA*>(SurfaceList.begin(), SurfaceList.end()), order);
  EXPECT_EQ(std::vector<int>({empty.lpDT->nSurfaceId, file.lpDT->nSurfaceId, sys.lpDT->nSurfaceId}), ids);
  EXPECT_EQ(Pixel(empty, 3, 3), 0xFF00FF00u) << "empty surfaces come back cleared to the transparent colour";
  EXPECT_EQ(empty.bLost, 1);
  EXPECT_EQ(Pixel(file, 0, 0), mirrored) << "file surfaces come back with their pictures and mirror cells";
  EXPECT_EQ(file.bLost, 0);
  EXPECT_EQ(Pixel(sys, 1, 1), 0xFF445566u) << "system-memory textures keep their contents";
  EXPECT_EQ(BackBuffer.Pixels(), lpDevice->GetBackBuffer().get());
  // Drawing works again.
  DDFillRect(&empty, 0, 0, 1, 1, 3);
  EXPECT_EQ(Pixel(empty, 0, 0), 0xFF010203u);
  DDReleaseSurface(&empty);
  DDReleaseSurface(&file);
  DDReleaseSurface(&sys);
  DDSetFontRestoreHooks(nullptr, nullptr);
  DDSetPresentSink(nullptr);
}

TEST(DeviceLoss, DirectDrawRestoreReloadsVideoSurfacesAndFlagsEmptyOnes) {
  gfxtest::Project project;
  std::vector<uint32_t> idx(16);
  for (size_t i = 0; i < idx.size(); ++i) idx[i] = uint32_t(i + 1);
  std::string path = project.Bitmap("d.bmp", MakeBmp(4, 4, 8, idx, std::vector<uint32_t>(256, 0)));
  DDSURFACEDATA table[3];
  DDBITMAPDATA bitmaps[3];
  bitmaps[0].strFile = path;
  bitmaps[1].strFile = "E";
  bitmaps[1].nWidth = bitmaps[1].nHeight = 4;
  bitmaps[2].strFile = "E";
  bitmaps[2].nWidth = bitmaps[2].nHeight = 4;
  bitmaps[2].nDDMemory = 1;
  Library lib(0, 8, 0, table, bitmaps, 3);
  const int all[] = {0, 1, 2};
  ASSERT_TRUE(DDLoadBitmaps(table, all, 3));
  PalWork[7] = {7, 7, 7, 1};
  DDSimulateSurfaceLoss();
  EXPECT_EQ(PrimarySD.Pixels()->IsLost(), DDERR_SURFACELOST);
  EXPECT_NE(Pixel(table[0], 0, 0), 1u);
  EXPECT_NE(DDBlt(&BackBuffer, 0, 0, 4, 4, &table[0], 0, 0, 0), 0) << "blits fail while lost";
  EXPECT_TRUE(DDRestore());
  EXPECT_EQ(PrimarySD.Pixels()->IsLost(), DD_OK);
  EXPECT_EQ(Pixel(table[0], 0, 0), 1u);
  EXPECT_EQ(Pixel(table[0], 3, 3), 16u);
  EXPECT_EQ(table[0].bLost, 0);
  EXPECT_EQ(table[1].bLost, 1);
  EXPECT_EQ(table[2].bLost, 0) << "system memory is neither reloaded nor flagged";
  EXPECT_EQ(lpDDPalette->entries[7].peRed, 7);
  EXPECT_EQ(DDBlt(&BackBuffer, 0, 0, 4, 4, &table[0], 0, 0, 0), 0);
  // Under the other personality the restore of each is a logged no-op.
  EXPECT_EQ(DDRestoreSurface(), 1);
}

}  // namespace

}  // namespace ddrestore_test
