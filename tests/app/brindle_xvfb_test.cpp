// ctest-label: app
// The player program on a virtual X server with the generated sample
// project: it opens its window, presents frames, closes cleanly on a close
// request with its start-up lines in order, and a second copy started
// meanwhile asks whether to restart and, answered Yes, takes over. The test
// runs itself again under xvfb-run, so it needs no display of its own.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <dlfcn.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

#include "tests/app/app_process.h"
#include "tests/support/TestSupport.h"

namespace {

namespace fs = std::filesystem;
using namespace apptest;

constexpr const char* kChildVar = "BRINDLE_APP_TEST_UNDER_XVFB";

std::string SelfPath() {
  char buf[4096];
  ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
  return n > 0 ? std::string(buf, static_cast<size_t>(n)) : std::string();
}

// Xlib through dlopen: the test program is not linked with it.
struct Xlib {
  void* lib = dlopen("libX11.so.6", RTLD_NOW);
  template <class F>
  F Get(const char* name) {
    return lib ? reinterpret_cast<F>(dlsym(lib, name)) : nullptr;
  }
  decltype(&XOpenDisplay) OpenDisplay = Get<decltype(&XOpenDisplay)>("XOpenDisplay");
  decltype(&XCloseDisplay) CloseDisplay = Get<decltype(&XCloseDisplay)>("XCloseDisplay");
  decltype(&XGetImage) GetImage = Get<decltype(&XGetImage)>("XGetImage");
  bool Ok() const { return OpenDisplay && CloseDisplay && GetImage; }
};

// Pixels of the screen that are neither black nor the root's grey: the
// window's picture once a frame has been shown.
int LitPixels(Xlib& x) {
  Display* d = x.OpenDisplay(nullptr);
  if (!d) return -1;
  XImage* image = x.GetImage(d, DefaultRootWindow(d), 0, 0, 1024, 768, AllPlanes, ZPixmap);
  int lit = 0;
  if (image) {
    for (int y = 0; y < 768; y += 2)
      for (int xx = 0; xx < 1024; xx += 2)
        if ((XGetPixel(image, xx, y) & 0xFFFFFF) > 0x202020) ++lit;
    XDestroyImage(image);
  }
  x.CloseDisplay(d);
  return lit;
}

std::vector<std::string> XEnv(const fs::path& runtime) {
  return {"SDL_VIDEODRIVER=x11", "SDL_RENDER_DRIVER=software", "SDL_AUDIODRIVER=dummy",
          "XDG_RUNTIME_DIR=" + runtime.string(), "ASAN_OPTIONS=detect_leaks=0"};
}

TEST(BrindleOnX, RunsTheSampleProject) {
  if (!std::getenv(kChildVar)) {
    ASSERT_EQ(std::system("command -v xvfb-run >/dev/null && command -v xdotool >/dev/null"), 0)
        << "xvfb-run and xdotool are needed (scripts/setup installs them)";
    const std::string cmd = std::string("env ") + kChildVar +
                            "=1 ASAN_OPTIONS=detect_leaks=0 xvfb-run -a -s '-screen 0 1024x768x24 -br' '" +
                            SelfPath() + "' --gtest_filter=BrindleOnX.RunsTheSampleProject";
    const int rc = std::system(cmd.c_str());
    ASSERT_TRUE(WIFEXITED(rc));
    EXPECT_EQ(WEXITSTATUS(rc), 0) << "the test failed on the virtual X server (its output is above)";
    return;
  }
  ASSERT_FALSE(SampleProject().empty()) << "make-sample-project failed";
  Xlib x;
  ASSERT_TRUE(x.Ok());
  testsupport::TempDir tmp;
  const fs::path project = tmp.path() / "game";
  const fs::path runtime = tmp.path() / "runtime";
  CopyTree(SampleProject(), project);
  fs::create_directories(runtime);
  const fs::path log = project / "Report_Game.txt";

  {
    Process a({project.string()}, XEnv(runtime), tmp.path() / "a.txt");
    ASSERT_TRUE(WaitForText(a, log, "Start-up : done", 60)) << ReadText(log) << a.Stderr();
    // Give it the focus, as a window manager would: an active program runs frames.
    std::system(("xdotool search --sync --pid " + std::to_string(a.Pid()) +
                 " windowfocus >/dev/null 2>&1").c_str());
    int lit = 0;
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(15);
    while ((lit = LitPixels(x)) < 200 && std::chrono::steady_clock::now() < until)
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_GE(lit, 200) << "no frame was shown";
    kill(a.Pid(), SIGTERM);  // a close request
    a.Wait(30);
    EXPECT_FALSE(a.signalled);
    EXPECT_EQ(a.exitCode, 0) << a.Stderr();
  }
  const std::string text = ReadText(log);
  size_t at = 0;
  for (const char* line : {"App : ver 791", "Mode : Window", "Direct3D : ", "Start-up : done", "Exit : done"}) {
    const size_t found = text.find(line, at);
    EXPECT_NE(found, std::string::npos) << "\"" << line << "\" missing or out of order in\n" << text;
    if (found != std::string::npos) at = found;
  }
  EXPECT_TRUE(fs::exists(project / "user_data" / "Window.dat"));

  // A second copy while the first runs: "Restart?", answered Yes where no
  // box can be shown, closes the first and starts in its place.
  fs::remove(log);
  Process first({project.string()}, XEnv(runtime), tmp.path() / "first.txt");
  ASSERT_TRUE(WaitForText(first, log, "Start-up : done", 60)) << first.Stderr();
  std::vector<std::string> headless = XEnv(runtime);
  headless[0] = "SDL_VIDEODRIVER=dummy";
  Process second({project.string()}, headless, tmp.path() / "second.txt");
  EXPECT_TRUE(WaitForText(second, tmp.path() / "second.txt", "Restart?", 30)) << second.Stderr();
  first.Wait(20);
  EXPECT_FALSE(first.signalled) << "the first copy had to be killed";
  EXPECT_EQ(first.exitCode, 0);
  EXPECT_TRUE(WaitForText(second, log, "Start-up : done", 60)) << second.Stderr();
  kill(second.Pid(), SIGTERM);
  second.Wait(30);
  EXPECT_EQ(second.exitCode, 0);
}

}  // namespace
