#include "tests/support/VirtualX.h"

#include <gtest/gtest.h>

#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <dlfcn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <thread>

#include "tests/support/TestSupport.h"

namespace testsupport {

namespace {

constexpr const char* kChildVar = "BRINDLE_TEST_ON_VIRTUAL_X";

std::string SelfPath() {
  char buf[4096];
  const ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
  return n > 0 ? std::string(buf, static_cast<size_t>(n)) : std::string();
}

// `current` with `extra` appended as one more sanitizer option.
std::string WithOption(const char* var, const std::string& extra) {
  const char* current = std::getenv(var);
  return current && *current ? std::string(current) + ":" + extra : extra;
}

std::string Quoted(const std::string& s) {
  std::string q = "'";
  for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

}  // namespace

bool OnVirtualX() { return std::getenv(kChildVar) != nullptr; }

bool RerunUnderVirtualX(const VirtualXOptions& options) {
  if (OnVirtualX()) return false;
  const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
  if (!test) {
    ADD_FAILURE() << "RerunUnderVirtualX is called outside a test";
    return true;
  }
  if (std::system("command -v xvfb-run >/dev/null && command -v xdotool >/dev/null") != 0) {
    ADD_FAILURE() << "xvfb-run and xdotool are needed (scripts/setup installs them)";
    return true;
  }
  const std::string self = SelfPath();
  if (self.empty()) {
    ADD_FAILURE() << "the test program cannot find itself";
    return true;
  }
  // Mesa's software renderer, which SDL may draw with on the virtual server,
  // races inside its own threads; that is not ours to report.
  TempDir tmp;
  const std::string suppressions = (tmp.path() / "tsan.supp").string();
  std::ofstream(suppressions) << "race:swrast_dri.so\n";
  const std::string filter = std::string(test->test_suite_name()) + "." + test->name();
  const std::string screen = "-screen 0 " + std::to_string(options.width) + "x" + std::to_string(options.height) +
                             "x24" + (options.blackRoot ? " -br" : "") + (options.keyRepeat ? "" : " -r");
  const std::string cmd = std::string("env ") + kChildVar + "=1" +
                          " ASAN_OPTIONS=" + Quoted(WithOption("ASAN_OPTIONS", "detect_leaks=0")) +
                          " TSAN_OPTIONS=" + Quoted(WithOption("TSAN_OPTIONS", "suppressions=" + suppressions)) +
                          " SDL_VIDEODRIVER=x11 SDL_RENDER_DRIVER=software xvfb-run -a -s " + Quoted(screen) + " " +
                          Quoted(self) + " --gtest_filter=" + Quoted(filter);
  const int rc = std::system(cmd.c_str());
  EXPECT_TRUE(WIFEXITED(rc) && WEXITSTATUS(rc) == 0)
      << "the test failed on the virtual X server (its output is above)";
  return true;
}

// Xlib through dlopen.
struct VirtualDisplay::Lib {
  void* handle = dlopen("libX11.so.6", RTLD_NOW);
  template <class F>
  F Get(const char* name) {
    return handle ? reinterpret_cast<F>(dlsym(handle, name)) : nullptr;
  }
  decltype(&XOpenDisplay) OpenDisplay = Get<decltype(&XOpenDisplay)>("XOpenDisplay");
  decltype(&XCloseDisplay) CloseDisplay = Get<decltype(&XCloseDisplay)>("XCloseDisplay");
  decltype(&XGetImage) GetImage = Get<decltype(&XGetImage)>("XGetImage");
  decltype(&XGetWindowAttributes) GetWindowAttributes =
      Get<decltype(&XGetWindowAttributes)>("XGetWindowAttributes");
  decltype(&XTranslateCoordinates) TranslateCoordinates =
      Get<decltype(&XTranslateCoordinates)>("XTranslateCoordinates");
  decltype(&XInternAtom) InternAtom = Get<decltype(&XInternAtom)>("XInternAtom");
  decltype(&XSendEvent) SendEvent = Get<decltype(&XSendEvent)>("XSendEvent");
  decltype(&XSync) Sync = Get<decltype(&XSync)>("XSync");
  bool Ok() const {
    return OpenDisplay && CloseDisplay && GetImage && GetWindowAttributes && TranslateCoordinates && InternAtom &&
           SendEvent && Sync;
  }
  ~Lib() {
    if (handle) dlclose(handle);
  }
};

VirtualDisplay::~VirtualDisplay() {
  if (display_) lib_->CloseDisplay(static_cast<Display*>(display_));
  delete lib_;
}

VirtualDisplay::Lib* VirtualDisplay::Open() {
  if (!tried_) {
    tried_ = true;
    lib_ = new Lib;
    if (lib_->Ok()) display_ = lib_->OpenDisplay(nullptr);
  }
  return display_ ? lib_ : nullptr;
}

bool VirtualDisplay::Ok() { return Open() != nullptr; }

ScreenPixels VirtualDisplay::ReadScreen(int x, int y, int width, int height) {
  ScreenPixels out;
  Lib* x11 = Open();
  if (!x11 || width <= 0 || height <= 0) return out;
  Display* d = static_cast<Display*>(display_);
  x11->Sync(d, False);
  XImage* image = x11->GetImage(d, DefaultRootWindow(d), x, y, static_cast<unsigned>(width),
                                static_cast<unsigned>(height), AllPlanes, ZPixmap);
  if (!image) return out;
  out.width = width;
  out.height = height;
  out.rgb.resize(static_cast<size_t>(width) * height);
  for (int yy = 0; yy < height; ++yy)
    for (int xx = 0; xx < width; ++xx)
      out.rgb[static_cast<size_t>(yy) * width + xx] = static_cast<uint32_t>(XGetPixel(image, xx, yy) & 0xFFFFFF);
  XDestroyImage(image);
  return out;
}

bool VirtualDisplay::WindowOrigin(XWindowId window, int* x, int* y) {
  Lib* x11 = Open();
  if (!x11) return false;
  Display* d = static_cast<Display*>(display_);
  ::Window child;
  return x11->TranslateCoordinates(d, window, DefaultRootWindow(d), 0, 0, x, y, &child) != 0;
}

ScreenPixels VirtualDisplay::ReadWindow(XWindowId window, int width, int height) {
  int x = 0, y = 0;
  if (!WindowOrigin(window, &x, &y)) return {};
  return ReadScreen(x, y, width, height);
}

bool VirtualDisplay::WindowSize(XWindowId window, int* width, int* height) {
  Lib* x11 = Open();
  if (!x11) return false;
  XWindowAttributes attrs;
  if (x11->GetWindowAttributes(static_cast<Display*>(display_), window, &attrs) == 0) return false;
  *width = attrs.width;
  *height = attrs.height;
  return true;
}

bool VirtualDisplay::SendCloseRequest(XWindowId window) {
  Lib* x11 = Open();
  if (!x11) return false;
  Display* d = static_cast<Display*>(display_);
  XEvent close{};
  close.xclient.type = ClientMessage;
  close.xclient.window = window;
  close.xclient.message_type = x11->InternAtom(d, "WM_PROTOCOLS", False);
  close.xclient.format = 32;
  close.xclient.data.l[0] = static_cast<long>(x11->InternAtom(d, "WM_DELETE_WINDOW", False));
  close.xclient.data.l[1] = CurrentTime;
  const bool sent = x11->SendEvent(d, window, False, NoEventMask, &close) != 0;
  x11->Sync(d, False);
  return sent;
}

XWindowId FindSdlWindow() {
  SDL_Window* sdlWindow = nullptr;
  for (Uint32 id = 1; id < 64 && !sdlWindow; ++id) sdlWindow = SDL_GetWindowFromID(id);
  if (!sdlWindow) return 0;
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (!SDL_GetWindowWMInfo(sdlWindow, &info) || info.subsystem != SDL_SYSWM_X11) return 0;
  return info.info.x11.window;
}

XWindowId FindWindowOfProcess(pid_t pid, int seconds, bool onlyVisible) {
  const std::string cmd = "timeout " + std::to_string(seconds) + " xdotool search --sync " +
                          (onlyVisible ? "--onlyvisible " : "") + "--pid " +
                          std::to_string(pid) + " 2>/dev/null";
  FILE* p = popen(cmd.c_str(), "r");
  if (!p) return 0;
  unsigned long id = 0;
  if (std::fscanf(p, "%lu", &id) != 1) id = 0;
  pclose(p);
  return id;
}

bool Xdotool(const std::string& args) { return std::system(("xdotool " + args).c_str()) == 0; }

namespace {
std::string Id(XWindowId window) { return std::to_string(window); }
}  // namespace

bool FocusWindow(XWindowId window, int x, int y) {
  return Xdotool("mousemove --window " + Id(window) + " " + std::to_string(x) + " " + std::to_string(y) +
                 " windowfocus --sync " + Id(window));
}

bool SendKeys(XWindowId window, const std::string& keys, int delayMs) {
  return Xdotool("windowfocus --sync " + Id(window) + " key --delay " + std::to_string(delayMs) + " " + keys);
}

bool TypeText(XWindowId window, const std::string& text, int delayMs) {
  return Xdotool("windowfocus --sync " + Id(window) + " type --delay " + std::to_string(delayMs) + " " +
                 Quoted(text));
}

bool ClickAt(XWindowId window, int x, int y) {
  const bool moved =
      Xdotool("mousemove --window " + Id(window) + " " + std::to_string(x) + " " + std::to_string(y));
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  return Xdotool("mousedown 1 mouseup 1") && moved;
}

}  // namespace testsupport
