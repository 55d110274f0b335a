// ctest-label: play
// The play field on a real window: the sample's first stage after a fixed
// scripted input, presented by the play scene in each personality and read
// back from the X server, equals the reviewed picture of that personality.
// The pictures live in tests/app/play/golden as 8-bit BMP files; with
// BRINDLE_UPDATE_GOLDEN=1 the test writes them (review them before
// committing). A difference is reported as the number of differing pixels
// and the first few of them, and the picture seen is kept for a look.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "app/frame/SceneDirector.h"
#include "media/graphics/DDDevice.h"
#include "platform/FrameMailbox.h"
#include "platform/Window.h"
#include "tests/app/app_process.h"
#include "tests/app/play/stage_draw_fixture.h"
#include "tests/support/TestSupport.h"
#include "tests/support/VirtualX.h"

namespace {

namespace fs = std::filesystem;
using namespace platform;
using testsupport::ScreenPixels;

constexpr int kW = 640, kH = 480;

// ---- 8-bit BMP files of 0xRRGGBB pictures ----

void Put(std::vector<unsigned char>& b, uint32_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) b.push_back(static_cast<unsigned char>(v >> (8 * i)));
}
uint32_t Get(const std::vector<unsigned char>& b, size_t at, int bytes) {
  uint32_t v = 0;
  for (int i = 0; i < bytes; ++i) v |= uint32_t(b[at + i]) << (8 * i);
  return v;
}

// The colours numbered in order of first appearance; false past 256.
bool WriteBmp8(const fs::path& path, const std::vector<uint32_t>& rgb) {
  std::map<uint32_t, int> index;
  std::vector<uint32_t> palette;
  for (uint32_t c : rgb)
    if (index.emplace(c, static_cast<int>(palette.size())).second) palette.push_back(c);
  if (palette.size() > 256) return false;
  std::vector<unsigned char> b;
  const uint32_t offset = 14 + 40 + 256 * 4, size = offset + kW * kH;
  b.push_back('B');
  b.push_back('M');
  Put(b, size, 4), Put(b, 0, 4), Put(b, offset, 4);
  Put(b, 40, 4), Put(b, kW, 4), Put(b, kH, 4), Put(b, 1, 2), Put(b, 8, 2), Put(b, 0, 4), Put(b, kW * kH, 4);
  Put(b, 2835, 4), Put(b, 2835, 4), Put(b, 256, 4), Put(b, 0, 4);
  for (int i = 0; i < 256; ++i) Put(b, i < static_cast<int>(palette.size()) ? palette[i] : 0, 4);
  for (int y = kH - 1; y >= 0; --y)
    for (int x = 0; x < kW; ++x) b.push_back(static_cast<unsigned char>(index[rgb[size_t(y) * kW + x]]));
  testsupport::WriteFileBytes(path, b);
  return true;
}

// The picture of a file written by WriteBmp8; empty when it is not one.
std::vector<uint32_t> ReadBmp8(const fs::path& path) {
  std::error_code ec;
  if (!fs::exists(path, ec)) return {};
  const std::vector<unsigned char> b = testsupport::ReadFileBytes(path);
  if (b.size() < 54 + 1024 || b[0] != 'B' || b[1] != 'M' || Get(b, 18, 4) != kW || Get(b, 22, 4) != kH ||
      Get(b, 28, 2) != 8)
    return {};
  const size_t offset = Get(b, 10, 4);
  if (offset + size_t(kW) * kH > b.size()) return {};
  std::vector<uint32_t> rgb(size_t(kW) * kH);
  for (int y = 0; y < kH; ++y)
    for (int x = 0; x < kW; ++x)
      rgb[size_t(y) * kW + x] = Get(b, 54 + 4 * size_t(b[offset + size_t(kH - 1 - y) * kW + x]), 4) & 0xFFFFFF;
  return rgb;
}

// "N pixels differ: (x, y) 0xRRGGBB for 0xRRGGBB, ..." with the first five.
std::string Differences(const std::vector<uint32_t>& seen, const std::vector<uint32_t>& golden, long* count) {
  std::ostringstream first;
  *count = 0;
  for (int y = 0; y < kH; ++y)
    for (int x = 0; x < kW; ++x) {
      const uint32_t a = seen[size_t(y) * kW + x], g = golden[size_t(y) * kW + x];
      if (a == g) continue;
      if (++*count <= 5) {
        char t[64];
        std::snprintf(t, sizeof t, " (%d, %d) 0x%06X for 0x%06X", x, y, a, g);
        first << t;
      }
    }
  return std::to_string(*count) + " pixels differ:" + first.str();
}

fs::path GoldenDir() {
  const char* src = std::getenv("BRINDLE_SOURCE_DIR");
  return fs::path(src ? src : ".") / "tests" / "app" / "play" / "golden";
}

class PlayFieldOnX : public ::testing::TestWithParam<playdraw::Personality> {
 protected:
  bool PumpUntil(const std::function<bool()>& done, int seconds = 10) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (std::chrono::steady_clock::now() < until) {
      MSG m;
      while (PeekWindowMessage(&m)) {
        if (m.message == WM_PAINT) painted = true;
        DispatchMessage(&m);
      }
      if (done()) return true;
      WaitWindowMessage(10);
    }
    return false;
  }
  bool painted = false;
};

TEST_P(PlayFieldOnX, SampleFirstStageAfterTheScriptedInput) {
  if (testsupport::RerunUnderVirtualX()) return;
  const playdraw::Personality& p = GetParam();
  ASSERT_FALSE(apptest::SampleProject().empty()) << "make-sample-project failed";

  ASSERT_TRUE(InitWindowSystem()) << GetWindowError();
  constexpr uint32_t kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
  const RECT in = GetFrameInsets(kStyle, false);
  HWND hwnd = CreateMainWindow([](HWND, UINT, WPARAM, LPARAM) -> LRESULT { return 0; }, "play", kStyle, 0, 0,
                               kW + in.left + in.right, kH + in.top + in.bottom);
  ASSERT_NE(hwnd, nullptr) << GetWindowError();
  ShowWindow(hwnd, SW_SHOW);
  ASSERT_TRUE(PumpUntil([&] { return painted; })) << "the window was never exposed";
  DDSetPresentSink([](const uint32_t* argb, int width, int height) {
    if (width == kFrameWidth && height == kFrameHeight) MainFrameMailbox().Post(argb, width * 4);
  });

  std::vector<uint32_t> seen;
  {
    playdraw::StageRun run;
    std::string error;
    ASSERT_TRUE(run.Open(apptest::SampleProject().string(), p, hwnd, &error)) << error;
    run.RunScript();
    ASSERT_EQ(run.scene().m_nState, cPlayScene::kPlay) << "the scripted run left the Play state";
    ASSERT_FALSE(Player.empty());
    EXPECT_EQ(Player[0].m_bDead, 0);
    EXPECT_FALSE(CharaList.empty());
    EXPECT_FALSE(run.scene().m_Shots.empty()) << "the walker has not fired: the picture would show no shot";
    const uint64_t shown = PresentedFrameCount();
    SceneDirector.Present();
    ASSERT_TRUE(PumpUntil([&] { return PresentedFrameCount() > shown; })) << "the frame was never shown";
  }
  const testsupport::XWindowId xid = testsupport::FindSdlWindow();
  ASSERT_NE(xid, 0u);
  testsupport::VirtualDisplay x;
  ASSERT_TRUE(x.Ok());

  const fs::path golden = GoldenDir() / (std::string("play_field_") + p.name + ".bmp");
  const std::vector<uint32_t> want = ReadBmp8(golden);
  const bool update = std::getenv("BRINDLE_UPDATE_GOLDEN") != nullptr;
  ASSERT_TRUE(update || !want.empty()) << golden << " is missing or not a 640x480 8-bit BMP";
  // The X server shows the frame a moment after the window has taken it.
  for (int attempt = 0; attempt < 50; ++attempt) {
    PumpUntil([] { return true; });
    const ScreenPixels shot = x.ReadWindow(xid, kW, kH);
    ASSERT_FALSE(shot.empty());
    seen = shot.rgb;
    if (!update && seen == want) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  DDSetPresentSink({});
  DestroyWindow(hwnd);
  ShutdownWindowSystem();

  if (update) {
    ASSERT_TRUE(WriteBmp8(golden, seen)) << "more than 256 colours on screen";
    GTEST_SKIP() << "wrote " << golden;
  }
  long count = 0;
  const std::string report = Differences(seen, want, &count);
  if (count) {
    const fs::path kept = fs::temp_directory_path() / (std::string("play_field_") + p.name + "_seen.bmp");
    WriteBmp8(kept, seen);
    ADD_FAILURE() << p.name << ": " << report << "\nthe picture seen: " << kept;
  }
}

INSTANTIATE_TEST_SUITE_P(Personalities, PlayFieldOnX, ::testing::Values(playdraw::kD3D32, playdraw::kDD8),
                         [](const ::testing::TestParamInfo<playdraw::Personality>& i) { return i.param.name; });

}  // namespace
