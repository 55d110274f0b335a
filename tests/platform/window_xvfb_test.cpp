// ctest-label: window
// The main window on a real X server. The test runs itself again under
// xvfb-run, so it needs no display of its own: the window opens with a
// 640x480 client area, a presented frame is read back from the screen, a key
// sent with xdotool shows in the key state, and the window manager's close
// request arrives as WM_CLOSE.
#include <gtest/gtest.h>

#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <dlfcn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "platform/FrameMailbox.h"
#include "platform/Keyboard.h"
#include "platform/Window.h"

namespace {

using namespace platform;

constexpr const char* kChildVar = "BRINDLE_WINDOW_TEST_UNDER_XVFB";

std::string SelfPath() {
  char buf[4096];
  ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
  return n > 0 ? std::string(buf, static_cast<size_t>(n)) : std::string();
}

// Xlib through dlopen: the test program is linked with SDL only.
struct Xlib {
  void* lib = dlopen("libX11.so.6", RTLD_NOW);
  template <class F>
  F Get(const char* name) {
    return lib ? reinterpret_cast<F>(dlsym(lib, name)) : nullptr;
  }
  decltype(&XOpenDisplay) OpenDisplay = Get<decltype(&XOpenDisplay)>("XOpenDisplay");
  decltype(&XCloseDisplay) CloseDisplay = Get<decltype(&XCloseDisplay)>("XCloseDisplay");
  decltype(&XGetImage) GetImage = Get<decltype(&XGetImage)>("XGetImage");
  decltype(&XGetWindowAttributes) GetWindowAttributes = Get<decltype(&XGetWindowAttributes)>("XGetWindowAttributes");
  decltype(&XTranslateCoordinates) TranslateCoordinates =
      Get<decltype(&XTranslateCoordinates)>("XTranslateCoordinates");
  decltype(&XInternAtom) InternAtom = Get<decltype(&XInternAtom)>("XInternAtom");
  decltype(&XSendEvent) SendEvent = Get<decltype(&XSendEvent)>("XSendEvent");
  decltype(&XSync) Sync = Get<decltype(&XSync)>("XSync");
  bool Ok() const {
    return OpenDisplay && CloseDisplay && GetImage && GetWindowAttributes && TranslateCoordinates && InternAtom &&
           SendEvent && Sync;
  }
};

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
  if (!std::getenv(kChildVar)) {
    // Parent: run this very test again on a fresh virtual X server.
    ASSERT_EQ(std::system("command -v xvfb-run >/dev/null && command -v xdotool >/dev/null"), 0)
        << "xvfb-run and xdotool are needed (scripts/setup installs them)";
    const std::string self = SelfPath();
    ASSERT_FALSE(self.empty());
    // The X libraries that SDL loads and unloads leave a few allocations
    // behind that the leak checker cannot attribute; our own code is checked
    // for leaks by the headless window tests.
    const char* asan = std::getenv("ASAN_OPTIONS");
    const std::string asanOptions = std::string(asan && *asan ? asan : "") + (asan && *asan ? ":" : "") + "detect_leaks=0";
    const std::string cmd = std::string("env ") + kChildVar + "=1 ASAN_OPTIONS='" + asanOptions +
                            "' SDL_VIDEODRIVER=x11 SDL_RENDER_DRIVER=software "
                            "xvfb-run -a -s '-screen 0 1280x1024x24' '" +
                            self + "' --gtest_filter=WindowOnX.OpensPresentsTakesKeysAndCloses";
    const int rc = std::system(cmd.c_str());
    ASSERT_TRUE(WIFEXITED(rc));
    EXPECT_EQ(WEXITSTATUS(rc), 0) << "the test failed on the virtual X server (its output is above)";
    return;
  }

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

  SDL_Window* sdlWindow = nullptr;
  for (Uint32 id = 1; id < 64 && !sdlWindow; ++id) sdlWindow = SDL_GetWindowFromID(id);
  ASSERT_NE(sdlWindow, nullptr);
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  ASSERT_TRUE(SDL_GetWindowWMInfo(sdlWindow, &info));
  const ::Window xid = info.info.x11.window;

  Xlib x;
  ASSERT_TRUE(x.Ok()) << "libX11 could not be loaded";
  Display* display = x.OpenDisplay(nullptr);
  ASSERT_NE(display, nullptr);

  // The client area as the X server sees it.
  XWindowAttributes attrs;
  ASSERT_NE(x.GetWindowAttributes(display, xid, &attrs), 0);
  EXPECT_EQ(attrs.width, 640);
  EXPECT_EQ(attrs.height, 480);
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
  int rootX = 0, rootY = 0;
  ::Window child;
  x.TranslateCoordinates(display, xid, DefaultRootWindow(display), 0, 0, &rootX, &rootY, &child);
  long mismatches = -1;
  for (int attempt = 0; attempt < 50 && mismatches != 0; ++attempt) {
    PumpUntil([] { return true; });
    x.Sync(display, False);
    XImage* image = x.GetImage(display, DefaultRootWindow(display), rootX, rootY, 640, 480, AllPlanes, ZPixmap);
    ASSERT_NE(image, nullptr);
    mismatches = 0;
    for (int y = 0; y < kFrameHeight; ++y)
      for (int xx = 0; xx < kFrameWidth; ++xx)
        mismatches += (XGetPixel(image, xx, y) & 0xFFFFFF) != (Pattern(xx, y) & 0xFFFFFF);
    XDestroyImage(image);
    if (mismatches) std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  EXPECT_EQ(mismatches, 0) << "pixels on screen differ from the presented frame";

  // A key pressed on the X server shows in the key state.
  const std::string id = std::to_string(static_cast<unsigned long>(xid));
  ASSERT_EQ(std::system(("xdotool mousemove --window " + id + " 320 240 windowfocus " + id).c_str()), 0);
  ASSERT_EQ(std::system("xdotool keydown z"), 0);
  EXPECT_TRUE(PumpUntil([] { return IsKeyDown('Z'); })) << "the key never reached the key state";
  WPARAM key = 0;
  EXPECT_TRUE(Saw(WM_KEYDOWN, &key));
  EXPECT_EQ(key, static_cast<WPARAM>('Z'));
  ASSERT_EQ(std::system("xdotool keyup z"), 0);
  EXPECT_TRUE(PumpUntil([] { return !IsKeyDown('Z'); }));

  // What a window manager does for the close button.
  XEvent close{};
  close.xclient.type = ClientMessage;
  close.xclient.window = xid;
  close.xclient.message_type = x.InternAtom(display, "WM_PROTOCOLS", False);
  close.xclient.format = 32;
  close.xclient.data.l[0] = static_cast<long>(x.InternAtom(display, "WM_DELETE_WINDOW", False));
  close.xclient.data.l[1] = CurrentTime;
  ASSERT_NE(x.SendEvent(display, xid, False, NoEventMask, &close), 0);
  x.Sync(display, False);
  EXPECT_TRUE(PumpUntil([&] { return Saw(WM_CLOSE); })) << "no WM_CLOSE";

  x.CloseDisplay(display);
  DestroyWindow(hwnd);
  EXPECT_TRUE(Saw(WM_DESTROY));
  ShutdownWindowSystem();
}

}  // namespace
