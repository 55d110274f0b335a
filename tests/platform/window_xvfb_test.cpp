// ctest-label: window
// The main window on a real X server. The test runs itself again under
// xvfb-run, so it needs no display of its own: the window opens with a
// 640x480 client area, a presented frame is read back from the screen, a key
// sent with xdotool shows in the key state, and the window manager's close
// request arrives as WM_CLOSE.
#include <gtest/gtest.h>

#include <SDL.h>

#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "platform/FrameMailbox.h"
#include "platform/Keyboard.h"
#include "platform/Window.h"
#include "tests/support/VirtualX.h"

namespace {

using namespace platform;
using namespace testsupport;

uint32_t Pattern(int x, int y) {
  // Distinct colours in each quadrant with a fine gradient, so a shift,
  // a scale or a swapped channel shows.
  const uint32_t r = static_cast<uint32_t>(x * 255 / (kFrameWidth - 1));
  const uint32_t g = static_cast<uint32_t>(y * 255 / (kFrameHeight - 1));
  const uint32_t b = ((x / 40) + (y / 40)) % 2 ? 0xC0 : 0x30;
  return 0xFF000000u | (r << 16) | (g << 8) | b;
}

class WindowOnX : public ::testing::Test {
 protected:
  // Pumps and dispatches until the predicate holds or 10 seconds pass.
  bool PumpUntil(const std::function<bool()>& done) {
    auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < until) {
      MSG m;
      while (PeekWindowMessage(&m)) DispatchMessage(&m);
      if (done()) return true;
      WaitWindowMessage(10);
    }
    return false;
  }
  bool Saw(UINT msg, WPARAM* w = nullptr) {
    for (const MSG& m : seen)
      if (m.message == msg) {
        if (w) *w = m.wParam;
        return true;
      }
    return false;
  }
  std::vector<MSG> seen;
};

TEST_F(WindowOnX, OpensPresentsTakesKeysAndCloses) {
  if (RerunUnderVirtualX()) return;

  ASSERT_TRUE(InitWindowSystem()) << GetWindowError();
  ASSERT_STREQ(SDL_GetCurrentVideoDriver(), "x11");
  constexpr uint32_t kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
  const RECT in = GetFrameInsets(kStyle, false);
  HWND hwnd = CreateMainWindow(
      [this](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
        seen.push_back({h, m, w, l, 0});
        return 0;
      },
      "\x83\x65\x83\x58\x83\x67", kStyle, 100, 100, 640 + in.left + in.right, 480 + in.top + in.bottom);  // "テスト"
  ASSERT_NE(hwnd, nullptr) << GetWindowError();
  ShowWindow(hwnd, SW_SHOW);
  ASSERT_TRUE(PumpUntil([&] { return Saw(WM_PAINT); })) << "the window was never exposed";

  const XWindowId xid = FindSdlWindow();
  ASSERT_NE(xid, 0u);
  VirtualDisplay x;
  ASSERT_TRUE(x.Ok()) << "the X display could not be opened";

  // The client area as the X server sees it.
  int width = 0, height = 0;
  ASSERT_TRUE(x.WindowSize(xid, &width, &height));
  EXPECT_EQ(width, 640);
  EXPECT_EQ(height, 480);
  RECT client;
  ASSERT_TRUE(GetClientRect(hwnd, client));
  EXPECT_EQ(client, (RECT{0, 0, 640, 480}));

  // A frame drawn on another thread, shown by the main thread, read back from the screen.
  std::vector<uint32_t> frame(static_cast<size_t>(kFrameWidth) * kFrameHeight);
  for (int y = 0; y < kFrameHeight; ++y)
    for (int xx = 0; xx < kFrameWidth; ++xx) frame[static_cast<size_t>(y) * kFrameWidth + xx] = Pattern(xx, y);
  const uint64_t shown = PresentedFrameCount();
  std::thread drawer([&] { MainFrameMailbox().Post(frame.data(), kFrameWidth * 4); });
  drawer.join();
  ASSERT_TRUE(PumpUntil([&] { return PresentedFrameCount() > shown; }));
  long mismatches = -1;
  for (int attempt = 0; attempt < 50 && mismatches != 0; ++attempt) {
    PumpUntil([] { return true; });
    const ScreenPixels shot = x.ReadWindow(xid, 640, 480);
    ASSERT_FALSE(shot.empty());
    mismatches = 0;
    for (int y = 0; y < kFrameHeight; ++y)
      for (int xx = 0; xx < kFrameWidth; ++xx) mismatches += shot.At(xx, y) != (Pattern(xx, y) & 0xFFFFFF);
    if (mismatches) std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  EXPECT_EQ(mismatches, 0) << "pixels on screen differ from the presented frame";

  // A key pressed on the X server shows in the key state.
  ASSERT_TRUE(FocusWindow(xid));
  ASSERT_TRUE(Xdotool("keydown z"));
  EXPECT_TRUE(PumpUntil([] { return IsKeyDown('Z'); })) << "the key never reached the key state";
  WPARAM key = 0;
  EXPECT_TRUE(Saw(WM_KEYDOWN, &key));
  EXPECT_EQ(key, static_cast<WPARAM>('Z'));
  ASSERT_TRUE(Xdotool("keyup z"));
  EXPECT_TRUE(PumpUntil([] { return !IsKeyDown('Z'); }));

  // What a window manager does for the close button.
  ASSERT_TRUE(x.SendCloseRequest(xid));
  EXPECT_TRUE(PumpUntil([&] { return Saw(WM_CLOSE); })) << "no WM_CLOSE";

  DestroyWindow(hwnd);
  EXPECT_TRUE(Saw(WM_DESTROY));
  ShutdownWindowSystem();
}

}  // namespace
