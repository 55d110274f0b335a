// ctest-label: app
// The player program on a virtual X server with the generated sample
// project: it opens its window, presents frames, closes cleanly on a close
// request with its start-up lines in order, and a second copy started
// meanwhile asks whether to restart and, when the question cannot be shown,
// leaves the first copy running. The test
// runs itself again under xvfb-run, so it needs no display of its own.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

#include "tests/app/app_process.h"
#include "tests/support/TestSupport.h"
#include "tests/support/VirtualX.h"

namespace {

namespace fs = std::filesystem;
using namespace apptest;

// Pixels of the screen that are neither black nor the root's grey: the
// window's picture once a frame has been shown.
int LitPixels(testsupport::VirtualDisplay& x) {
  const testsupport::ScreenPixels screen = x.ReadScreen(0, 0, 1024, 768);
  if (screen.empty()) return -1;
  int lit = 0;
  for (int y = 0; y < screen.height; y += 2)
    for (int xx = 0; xx < screen.width; xx += 2) lit += screen.At(xx, y) > 0x202020;
  return lit;
}

TEST(BrindleOnX, RunsTheSampleProject) {
  if (testsupport::RerunUnderVirtualX({.width = 1024, .height = 768, .blackRoot = true})) return;
  ASSERT_FALSE(SampleProject().empty()) << "make-sample-project failed";
  testsupport::VirtualDisplay x;
  ASSERT_TRUE(x.Ok()) << "no X display";
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
    if (const testsupport::XWindowId w = testsupport::FindWindowOfProcess(a.Pid()))
      testsupport::Xdotool("windowfocus " + std::to_string(w) + " >/dev/null 2>&1");
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

  // A second copy while the first runs asks "Restart?". Where no box can be
  // shown the question is declined: the second copy ends and the first runs on.
  fs::remove(log);
  Process first({project.string()}, XEnv(runtime), tmp.path() / "first.txt");
  ASSERT_TRUE(WaitForText(first, log, "Start-up : done", 60)) << first.Stderr();
  std::vector<std::string> headless = XEnv(runtime);
  headless[0] = "SDL_VIDEODRIVER=dummy";
  Process second({project.string()}, headless, tmp.path() / "second.txt");
  EXPECT_TRUE(WaitForText(second, tmp.path() / "second.txt", "Restart?", 30)) << second.Stderr();
  second.Wait(30);
  EXPECT_FALSE(second.signalled);
  EXPECT_EQ(second.exitCode, 0) << second.Stderr();
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  EXPECT_TRUE(first.Running()) << "the first copy was ended without an answer";
  EXPECT_EQ(ReadText(log).find("Exit : done"), std::string::npos) << ReadText(log);
  kill(first.Pid(), SIGTERM);
  first.Wait(30);
  EXPECT_FALSE(first.signalled);
  EXPECT_EQ(first.exitCode, 0) << first.Stderr();
}

}  // namespace
