// ctest-label: app
// The launch dialog on a virtual X server: start-up shows it before the main
// window's own first show, so the window must come up for it, with the
// pointer over Start. The test runs itself again under xvfb-run.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <thread>

#include "tests/app/app_process.h"
#include "tests/support/TestSupport.h"
#include "tests/support/VirtualX.h"

namespace {

namespace fs = std::filesystem;
using namespace apptest;

// A copy of the sample project whose System.ini asks for the launch dialog
// (Direct3D=2) and which has no Boot.dat yet.
fs::path AskingProject(const fs::path& root) {
  const fs::path project = root / "game";
  CopyTree(SampleProject(), project);
  std::string ini = ReadText(project / "System.ini");
  const size_t at = ini.find("Direct3D=1");
  if (at != std::string::npos) ini.replace(at, 10, "Direct3D=2");
  WriteText(project / "System.ini", ini);
  fs::remove(project / "user_data" / "Boot.dat");
  return project;
}

// Where the pointer is on the screen; false when it cannot be read.
bool PointerAt(int* x, int* y) {
  FILE* p = popen("xdotool getmouselocation 2>/dev/null", "r");
  if (!p) return false;
  const bool ok = std::fscanf(p, "x:%d y:%d", x, y) == 2;
  pclose(p);
  return ok;
}

TEST(LaunchOnX, LaunchDialogIsShownAndReturnStartsTheGame) {
  if (testsupport::RerunUnderVirtualX({.width = 1024, .height = 768, .blackRoot = true})) return;
  ASSERT_FALSE(SampleProject().empty()) << "make-sample-project failed";
  testsupport::TempDir tmp;
  const fs::path project = AskingProject(tmp.path());
  const fs::path runtime = tmp.path() / "runtime";
  fs::create_directories(runtime);
  const fs::path log = project / "Report_Game.txt";

  Process p({project.string()}, XEnv(runtime), tmp.path() / "err.txt");
  // Start-up waits in the dialog: the window it is drawn in is on screen.
  const testsupport::XWindowId w = testsupport::FindWindowOfProcess(p.Pid(), 30, true);
  ASSERT_NE(w, 0u) << "no visible window while the launch dialog runs\n" << ReadText(log) << p.Stderr();
  EXPECT_EQ(ReadText(log).find("Start-up : done"), std::string::npos) << "start-up did not wait for the dialog";
  // The pointer starts over Start: the dialog sits at the window's outer
  // corner + (320 - 187, 240 - 136) and the pointer 181.9, 198.9 further,
  // (314, 302) from the outer corner; the client area begins 3 right of it
  // and 19 + 3 below it, so (311, 280) in the client.
  testsupport::VirtualDisplay x;
  int cx = 0, cy = 0, px = -1, py = -1;
  ASSERT_TRUE(x.Ok() && x.WindowOrigin(w, &cx, &cy));
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(3);
  while (PointerAt(&px, &py) && !(px - cx == 311 && py - cy == 280) && std::chrono::steady_clock::now() < until)
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_EQ(px - cx, 311);
  EXPECT_EQ(py - cy, 280);
  // Return presses the default button, Start.
  ASSERT_TRUE(testsupport::SendKeys(w, "Return"));
  ASSERT_TRUE(WaitForText(p, log, "Start-up : done", 60)) << ReadText(log) << p.Stderr();

  // The choice as a record file, worked by hand: version 791 (0x317), two
  // fields (Direct3D = 1, do-not-ask = 0), no strings.
  const std::string boot = ReadText(project / "user_data" / "Boot.dat");
  const std::string expected("\x17\x03\x00\x00"
                             "\x02\x00\x00\x00"
                             "\x01\x00\x00\x00"
                             "\x00\x00\x00\x00"
                             "\x00\x00\x00\x00",
                             20);
  EXPECT_EQ(boot, expected);
  kill(p.Pid(), SIGTERM);
  p.Wait(30);
  EXPECT_FALSE(p.signalled);
  EXPECT_EQ(p.exitCode, 0) << p.Stderr();
}

}  // namespace
