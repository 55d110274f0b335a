// ctest-label: graphics
#include <gtest/gtest.h>

#include "base/Log.h"
#include "platform/MessageBox.h"
#include "tests/media/graphics/GraphicsTestSupport.h"

// The file's own namespace keeps its helpers apart from other test files compiled with it.
namespace ddinit_test {

namespace {
using gfxtest::Library;

struct DisplayScope {
  explicit DisplayScope(const DDVIRTUALDISPLAY& d) { DDSetVirtualDisplay(d); }
  ~DisplayScope() { DDSetVirtualDisplay(DDVIRTUALDISPLAY{}); }
};

TEST(DDInit, MatrixOfPersonalityDepthAndWindow) {
  struct Row {
    int d3d, bpp, windowed;
    bool ok;
    DDFORMAT back;    // Direct3D back buffer or DirectDraw primary
    DDFORMAT texture; // Direct3D only
    PIXELLAYOUT layout;
    PIXELLAYOUT backLayout;  // Direct3D 16 only
    std::vector<std::string> log;
  };
  const PIXELLAYOUT argb = {16, 8, 0, 24, 255, 255, 255, 255};
  const PIXELLAYOUT a1 = {10, 5, 0, 15, 31, 31, 31, 1};
  const PIXELLAYOUT r565 = {11, 5, 0, 16, 31, 63, 31, 0};
  const PIXELLAYOUT none = {};
  const PIXELLAYOUT dd565 = {11, 5, 0, 0, 31, 63, 31, 0};
  const PIXELLAYOUT dd888 = {16, 8, 0, 0, 255, 255, 255, 0};
  std::vector<Row> rows = {
      {1, 32, 1, true, DDFMT_X8R8G8B8, DDFMT_A8R8G8B8, argb, none, {"VSync : 0", "Device HAL-HARD", "X8R8G8B8"}},
      {1, 32, 0, true, DDFMT_X8R8G8B8, DDFMT_A8R8G8B8, argb, none, {"VSync : 0", "Device HAL-HARD", "X8R8G8B8"}},
      {1, 16, 1, true, DDFMT_A1R5G5B5, DDFMT_A1R5G5B5, a1, a1, {"VSync : 0", "Device HAL-HARD", "A1R5G5B5"}},
      {1, 16, 0, true, DDFMT_R5G6B5, DDFMT_A1R5G5B5, a1, r565, {"VSync : 0", "Device HAL-HARD", "R5G6B5"}},
      {1, 8, 1, false, DDFMT_UNKNOWN, DDFMT_UNKNOWN, none, none, {"VSync : 0"}},
      {0, 8, 0, true, DDFMT_P8, DDFMT_UNKNOWN, none, none, {"VSync : 0"}},
      {0, 8, 1, true, DDFMT_P8, DDFMT_UNKNOWN, none, none, {"VSync : 0"}},
      {0, 16, 0, true, DDFMT_R5G6B5, DDFMT_UNKNOWN, dd565, none, {"VSync : 0"}},
      {0, 16, 1, true, DDFMT_R5G6B5, DDFMT_UNKNOWN, dd565, none, {"VSync : 0"}},
      {0, 32, 0, true, DDFMT_X8R8G8B8, DDFMT_UNKNOWN, dd888, none, {"VSync : 0"}},
      {0, 32, 1, true, DDFMT_X8R8G8B8, DDFMT_UNKNOWN, dd888, none, {"VSync : 0"}},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(testing::Message() << "d3d " << r.d3d << " bpp " << r.bpp << " window " << r.windowed);
    PixelLayout = {};
    BackBufferLayout = {};
    testsupport::LogCapture log;
    {
      Library lib(r.d3d, r.bpp, r.windowed);
      EXPECT_EQ(lib.ok(), r.ok);
      EXPECT_EQ(log.Lines(), r.log);
      if (!r.ok) continue;
      EXPECT_EQ(bDDInitDone, 1);
      const PIXELLAYOUT& L = PixelLayout;
      EXPECT_EQ(std::vector<int>({L.nRShift, L.nGShift, L.nBShift, L.nAShift, L.nRMax, L.nGMax, L.nBMax, L.nAMax}),
                std::vector<int>({r.layout.nRShift, r.layout.nGShift, r.layout.nBShift, r.layout.nAShift,
                                  r.layout.nRMax, r.layout.nGMax, r.layout.nBMax, r.layout.nAMax}));
      if (r.d3d) {
        ASSERT_NE(lpDTCon, nullptr);
        EXPECT_EQ(lpDDCon, nullptr);
        EXPECT_EQ(lpDTCon->BackBufferFormat, r.back);
        EXPECT_EQ(lpDTCon->TextureFormat, r.texture);
        EXPECT_EQ(BackBufferLayout.nGMax, r.backLayout.nGMax);
        EXPECT_EQ(BackBufferLayout.nRShift, r.backLayout.nRShift);
        EXPECT_EQ(BackBuffer.Pixels()->Format(), r.back);
        EXPECT_EQ(BackBuffer.strName, "BackBuffer");
        EXPECT_EQ(BackBuffer.lpDT->nSurfaceId, 0);
        EXPECT_EQ(VirBackBuffer.lpDT->nSurfaceId, 1);
        EXPECT_EQ(WorkSD.lpDT->nSurfaceId, 2);
        EXPECT_EQ(lpDTCon->nNextSurfaceId, 3);
        EXPECT_EQ(VirBackBuffer.strName, "VirBackBuffer");
        EXPECT_EQ(WorkSD.strName, "WorkSD");
        EXPECT_EQ(lpDTCon->lpRestTarget, &VirBackBuffer);
        EXPECT_EQ(lpDTCon->dwBltColor, 0xFFFFFFFFu);
        EXPECT_EQ(lpDTCon->dwBltColorOp, uint32_t(DTOP_MODULATE));
        EXPECT_EQ(lpDTCon->dwBltAlphaOp, uint32_t(DTOP_SELECTARG1));
        EXPECT_EQ(SurfaceList.size(), 2u);
      } else {
        ASSERT_NE(lpDDCon, nullptr);
        EXPECT_EQ(lpDTCon, nullptr);
        EXPECT_EQ(PrimarySD.Pixels()->Format(), r.back);
        EXPECT_EQ(BackBuffer.Pixels()->Format(), r.back);
        EXPECT_EQ(FadeSD.nDDMemory, 1);
        EXPECT_EQ(FadeSD.Pixels()->Pool(), DDPOOL_SYSTEMMEM);
        EXPECT_EQ(lpDDPalette->attached, r.bpp == 8);
        EXPECT_EQ(lpDDClipper != nullptr, r.windowed == 1);
        if (r.windowed) {
          EXPECT_EQ(lpDDPalette->entries[5].peFlags, 2);
          EXPECT_EQ(lpDDPalette->entries[100].peGreen, 100);
        } else {
          EXPECT_EQ(lpDDPalette->entries[0].peBlue, 255);
        }
      }
    }
    EXPECT_EQ(lpDTCon, nullptr);
    EXPECT_EQ(lpDDCon, nullptr);
    EXPECT_EQ(bDDInitDone, 0);
    EXPECT_TRUE(SurfaceList.empty());
    EXPECT_EQ(DefaultPoolSurfaces(), 0);
  }
}

TEST(DDInit, AdapterDecidesVertexProcessingRefreshAndSupport) {
  {
    DDVIRTUALDISPLAY d;
    d.bHardwareVertexProcessing = false;
    DisplayScope scope(d);
    testsupport::LogCapture log;
    Library lib(1, 32, 1);
    EXPECT_TRUE(lib.ok());
    EXPECT_EQ(log.Lines().at(1), "Device HAL-SOFT");
  }
  {
    DDVIRTUALDISPLAY d;
    d.nRefreshRate = 75;
    DisplayScope scope(d);
    testsupport::LogCapture log;
    ASSERT_TRUE(DDInit(1, nullptr, 640, 480, 32, 1, 1, 1, 60, 1, nullptr, nullptr, 0, 0));
    EXPECT_EQ(DDSettings.bVSync, 0);
    auto lines = log.Lines();
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines[0], "VSync : 1");
    EXPECT_EQ(lines[1], "RefreshRate : 75");
    EXPECT_EQ(lines[2], "リフレッシュレートの変更に失敗しました！垂直同期が無効になります！");
    EXPECT_EQ(lpDTCon->PresentParams.PresentationInterval, 0x80000000u);
    DDEnd();
  }
  {
    DDVIRTUALDISPLAY d;
    d.nDdiVersion = 8;
    DisplayScope scope(d);
    testsupport::LogCapture log;
    EXPECT_FALSE(DDInit(1, nullptr, 640, 480, 32, 0, 1, 1, 60, 0, nullptr, nullptr, 0, 0));
    EXPECT_EQ(log.Lines().back(), "ビデオカードのドライバがDirectX9をサポートしていません！ 8");
    DDEnd();
    // The application falls back to DirectDraw.
    EXPECT_TRUE(DDInit(0, nullptr, 640, 480, 32, 0, 1, 1, 60, 0, nullptr, nullptr, 0, 0));
    EXPECT_NE(lpDDCon, nullptr);
    DDEnd();
  }
  {
    // A driver whose version cannot be read is taken as new enough.
    DDVIRTUALDISPLAY d;
    d.nDdiVersion = 0;
    DisplayScope scope(d);
    EXPECT_TRUE(DDInit(1, nullptr, 640, 480, 32, 0, 1, 1, 60, 0, nullptr, nullptr, 0, 0));
    EXPECT_NE(lpDTCon, nullptr);
    DDEnd();
  }
  {
    DDVIRTUALDISPLAY d;
    d.nDesktopBpp = 8;
    DisplayScope scope(d);
    Library lib(0, 32, 1);
    ASSERT_TRUE(lib.ok());
    EXPECT_EQ(nDesktopBpp, 8);
    EXPECT_EQ(PrimarySD.Pixels()->Format(), DDFMT_P8);
    EXPECT_TRUE(lpDDPalette->attached);
  }
}

TEST(DDInit, TextureSizeRules) {
  DDVIRTUALDISPLAY d;
  d.bPow2 = true;
  d.bSquareOnly = true;
  d.nMaxTextureWidth = 1024;
  d.nMaxTextureHeight = 512;
  DisplayScope scope(d);
  testsupport::LogCapture log;
  Library lib(1, 32, 1);
  ASSERT_TRUE(lib.ok());
  int w = 100, h = 60;
  DDAdjustTextureSize(&w, &h);
  EXPECT_EQ(w, 128);
  EXPECT_EQ(h, 128);
  EXPECT_EQ(DDCheckTextureSize(1024, 512), 1);
  EXPECT_EQ(DDCheckTextureSize(2048, 600), 0);
  auto lines = log.Lines();
  EXPECT_EQ(lines[lines.size() - 2], "このビデオカードでは横幅1024を超える画像はサポートされていません！");
  EXPECT_EQ(lines.back(), "このビデオカードでは縦幅512を超える画像はサポートされていません！");
  lpDTCon->bSquareOnly = 0;
  DDSURFACEDATA sd;
  ASSERT_TRUE(DDCreateSurface(&sd, 100, 60, 0, 0, DTMEMORYTYPE_VIDEO_RT, 0, 0));
  EXPECT_EQ(sd.nWidth, 100);
  EXPECT_EQ(sd.nHeight, 60);
  EXPECT_EQ(sd.nTexWidth, 128);
  EXPECT_EQ(sd.nTexHeight, 64);
  DDReleaseSurface(&sd);
}

TEST(DDFlip, PresentsTheBackBufferAsArgbAndPacesByTheClock) {
  std::vector<uint32_t> frame;
  int width = 0, height = 0, frames = 0;
  DDSetPresentSink([&](const uint32_t* argb, int w, int h) {
    frame.assign(argb, argb + size_t(w) * h);
    width = w;
    height = h;
    ++frames;
  });
  int asked = 0;
  DDSetFramePacer([&](int rate, int, DDSURFACEDATA*) {
    EXPECT_EQ(rate, 60);
    return ++asked >= 3;
  });
  {
    Library lib(1, 32, 1);
    ASSERT_TRUE(lib.ok());
    DDFillRect(&BackBuffer, 0, 0, 640, 480, 0);  // colour 0 is transparent: no change
    PalTable[5] = {10, 20, 30, 0};
    DDFillRect(&BackBuffer, 1, 2, 3, 4, 5);
    EXPECT_EQ(DDFlip(60, 0, nullptr), 1);
    EXPECT_EQ(asked, 3);
    ASSERT_EQ(width, 640);
    ASSERT_EQ(height, 480);
    EXPECT_EQ(frame[size_t(2) * 640 + 1], 0xFF0A141Eu);
    EXPECT_EQ(frame[0], 0xFF000000u);
  }
  DDSetFramePacer(nullptr);
  {
    // 16-bit full screen: R5G6B5 widened to ARGB.
    Library lib(1, 16, 0);
    PalTable[5] = {255, 255, 255, 0};
    DDFillRect(&BackBuffer, 0, 0, 1, 1, 5);
    EXPECT_EQ(DDFlip(60, 0, nullptr), 1);
    EXPECT_EQ(frame[0], 0xFFFFFFFFu);
  }
  {
    // DirectDraw: DDFlip does nothing; the application flips the primary,
    // and 8-bit frames go through the hardware palette.
    Library lib(0, 8, 0);
    int before = frames;
    EXPECT_EQ(DDFlip(60, 0, nullptr), 1);
    EXPECT_EQ(frames, before);
    DDFillRect(&BackBuffer, 0, 0, 640, 480, 7);
    lpDDPalette->entries[7] = {1, 2, 3, 1};
    ASSERT_EQ(PrimarySD.Pixels()->Flip(), DD_OK);
    EXPECT_EQ(frames, before + 1);
    EXPECT_EQ(frame[1234], 0xFF010203u);
  }
  {
    // DirectDraw window: the application blits the back buffer to the screen rectangle.
    Library lib(0, 32, 1);
    PalTable[9] = {200, 100, 50, 0};
    DDFillRect(&BackBuffer, 0, 0, 640, 480, 9);
    DDRECT r = rcScreen;
    ASSERT_EQ(PrimarySD.Pixels()->Blt(&r, BackBuffer.Pixels(), nullptr, DDBLT_WAIT, 0), DD_OK);
    EXPECT_EQ(frame[100], 0xFFC86432u);
  }
  DDSetPresentSink(nullptr);
}

TEST(DDFlip, VirtualBackBufferReachesTheScreen) {
  std::vector<uint32_t> frame;
  DDSetPresentSink([&](const uint32_t* argb, int w, int h) { frame.assign(argb, argb + size_t(w) * h); });
  Library lib(1, 32, 1);
  DDSetVirBackBuffer(1);
  EXPECT_EQ(lpDTCon->lpRestTarget, &BackBuffer);
  DDSURFACEDATA* target = &BackBuffer;
  EXPECT_EQ(DDRedirectBackBuffer(&target), 1);
  EXPECT_EQ(target, &VirBackBuffer);
  DDSURFACEDATA* other = &WorkSD;
  EXPECT_EQ(DDRedirectBackBuffer(&other), 0);
  EXPECT_EQ(other, &WorkSD);
  PalTable[3] = {9, 8, 7, 0};
  DDFillRect(&BackBuffer, 0, 0, 10, 10, 3);  // lands in VirBackBuffer
  EXPECT_EQ(gfxtest::Pixel(VirBackBuffer, 5, 5), 0xFF090807u);
  EXPECT_EQ(gfxtest::Pixel(BackBuffer, 5, 5), 0u);
  EXPECT_EQ(DDFlip(60, 0, nullptr), 1);
  EXPECT_EQ(frame[5 * 640 + 5], 0xFF090807u);
  DDSetPresentSink(nullptr);
}

TEST(DDScene, NestingAndRenderTargets) {
  Library lib(1, 32, 1);
  EXPECT_EQ(DDBeginScene(), 1);
  EXPECT_EQ(DDBeginScene(), 1);  // one scene at a time
  EXPECT_EQ(lpDTCon->bInScene, 1);
  DDEndScene();
  EXPECT_EQ(lpDTCon->bInScene, 0);
  DDEndScene();  // nothing open: nothing happens
  DDSURFACEDATA file;
  gfxtest::Project project;
  std::string path = project.Bitmap("p.bmp", gfxtest::MakeBmp(2, 2, 24, gfxtest::Gradient(2, 2)));
  ASSERT_EQ(DDCreateSurfaceFromFile(&file, path, 0, 32, 0, 0, 0, 0, 0, 0, 0), 0);
  cPixelSurface* before = lpDevice->RenderTarget();
  EXPECT_EQ(DDSetRenderTarget(0, &file), 0);
  EXPECT_EQ(lpDevice->RenderTarget(), before);
  EXPECT_EQ(DDSetRenderTarget(0, &WorkSD), 1);
  EXPECT_EQ(lpDevice->RenderTarget(), WorkSD.Pixels());
  DDReleaseSurface(&file);
}

TEST(DDMesBox, FullScreenBoxesGoThroughTheDialogMode) {
  std::vector<std::string> events;
  platform::SetMessageBoxHandler([&](const std::string& text, const std::string&, unsigned) {
    events.push_back("box " + text);
    return platform::IDNO;
  });
  DDHOSTHOOKS hooks;
  hooks.ShowCursor = [&](bool show) { events.push_back(show ? "show" : "hide"); };
  DDSetHostHooks(hooks);
  {
    Library lib(1, 32, 0);
    events.clear();
    EXPECT_EQ(MessageBoxSafe("question", "caption", platform::MB_YESNO), 1);  // the button is not returned
    EXPECT_EQ(events, (std::vector<std::string>{"show", "box question", "hide"}));
  }
  {
    Library lib(0, 16, 1);
    events.clear();
    EXPECT_EQ(MessageBoxSafe("plain", "caption", platform::MB_YESNO), platform::IDNO);
    EXPECT_EQ(events, (std::vector<std::string>{"box plain"}));
    EXPECT_EQ(DDSetDialogMode(1), 1);
    EXPECT_EQ(DDMesBox("windowed", "c", 0), 1);
    EXPECT_EQ(events.back(), "box windowed");
  }
  DDSetHostHooks({});
  platform::SetMessageBoxHandler(nullptr);
}

}  // namespace

}  // namespace ddinit_test
