// ctest-label: app
// A second copy of the player on a display whose system box fails
// (BRINDLE_NO_SYSTEM_BOX=1): the restart question comes up in a small window
// of its own, drawn with the program's dialog kit, before any main window.
// Its keys, a click on No and the window's close button answer it. The test
// runs itself again under xvfb-run.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

#include "tests/app/app_process.h"
#include "tests/support/TestSupport.h"
#include "tests/support/VirtualX.h"

namespace {

namespace fs = std::filesystem;
using namespace apptest;

enum class BoxAnswer { Key, ClickNo, Close };

struct BoxStep {
  const char* name;
  BoxAnswer how;
  const char* keys;  // xdotool key names for BoxAnswer::Key
  bool restart;      // Yes: the running copy is ended and this one starts up
};

TEST(BoxOnX, SecondCopyAsksInItsOwnWindowWhenTheSystemBoxFails) {
  if (testsupport::RerunUnderVirtualX({.width = 1024, .height = 768, .blackRoot = true})) return;
  ASSERT_FALSE(SampleProject().empty()) << "make-sample-project failed";
  testsupport::TempDir tmp;
  const fs::path project = tmp.path() / "game";
  const fs::path runtime = tmp.path() / "runtime";
  CopyTree(SampleProject(), project);
  fs::create_directories(runtime);
  const fs::path log = project / "Report_Game.txt";
  std::vector<std::string> env = XEnv(runtime);
  env.push_back("BRINDLE_NO_SYSTEM_BOX=1");

  auto running = std::make_unique<Process>(std::vector<std::string>{project.string()}, XEnv(runtime),
                                           tmp.path() / "first.txt");
  ASSERT_TRUE(WaitForText(*running, log, "Start-up : done", 60)) << ReadText(log) << running->Stderr();

  const BoxStep steps[] = {
      {"Esc", BoxAnswer::Key, "Escape", false},
      {"N", BoxAnswer::Key, "n", false},
      {"a click on No", BoxAnswer::ClickNo, "", false},
      {"the close button", BoxAnswer::Close, "", false},
      {"Return", BoxAnswer::Key, "Return", true},
      {"Y", BoxAnswer::Key, "y", true},
  };
  int n = 0;
  for (const BoxStep& step : steps) {
    SCOPED_TRACE(step.name);
    const fs::path errFile = tmp.path() / ("second" + std::to_string(++n) + ".txt");
    auto second = std::make_unique<Process>(std::vector<std::string>{project.string()}, env, errFile);
    const testsupport::XWindowId w = testsupport::FindWindowOfProcess(second->Pid(), 30, true);
    ASSERT_NE(w, 0u) << "no window with the question\n" << second->Stderr();
    testsupport::VirtualDisplay x;
    int width = 0, height = 0;
    ASSERT_TRUE(x.Ok() && x.WindowSize(w, &width, &height));
    // The box alone: smaller than the 640x480 picture of a main window.
    EXPECT_LT(width, 640);
    EXPECT_LT(height, 480);
    // The box's grey face fills the window: a point of the margin left of the
    // buttons, inside the 3-pixel frame, once the picture is up.
    bool face = false;
    for (int attempt = 0; attempt < 100 && !face; ++attempt) {
      const testsupport::ScreenPixels shot = x.ReadWindow(w, width, height);
      face = !shot.empty() && shot.At(5, height - 6) == 0xD4D0C8 && shot.At(width - 6, 5) == 0xD4D0C8;
      if (!face) std::this_thread::sleep_for(std::chrono::milliseconds(30));
    }
    EXPECT_TRUE(face) << "the box is not drawn in its window";
    switch (step.how) {
      case BoxAnswer::Key: ASSERT_TRUE(testsupport::SendKeys(w, step.keys)); break;
      case BoxAnswer::ClickNo: {
        // The window is the box: its 3-pixel frame, the client, whose
        // buttons (75 x 21, 6 apart) sit 12 above the client's bottom and are
        // centred at a multiple of 3. No is the second.
        const int clientW = width - 6, clientH = height - 6;
        const int firstX = (clientW - 156) / 2 / 3 * 3;
        const int noX = 3 + firstX + 81 + 37, noY = 3 + clientH - 12 - 21 + 10;
        ASSERT_TRUE(testsupport::ClickAt(w, noX, noY));
        break;
      }
      case BoxAnswer::Close: ASSERT_TRUE(x.SendCloseRequest(w)); break;
    }
    if (!step.restart) {
      second->Wait(30);
      EXPECT_FALSE(second->signalled);
      EXPECT_EQ(second->exitCode, 0) << second->Stderr();
      // Answered in the box: the fallback that prints the question never ran.
      EXPECT_EQ(second->Stderr().find("Restart?"), std::string::npos) << second->Stderr();
      std::this_thread::sleep_for(std::chrono::milliseconds(300));
      ASSERT_TRUE(running->Running()) << "the running copy was ended by a No";
    } else {
      // Yes: the running copy gets a close request and ends cleanly; this
      // copy goes on and starts up.
      running->Wait(30);
      EXPECT_FALSE(running->signalled);
      EXPECT_EQ(running->exitCode, 0) << running->Stderr();
      ASSERT_TRUE(WaitForText(*second, log, "Start-up : done", 60)) << ReadText(log) << second->Stderr();
      EXPECT_EQ(second->Stderr().find("Restart?"), std::string::npos) << second->Stderr();
      running = std::move(second);
    }
  }
  kill(running->Pid(), SIGTERM);
  running->Wait(30);
  EXPECT_FALSE(running->signalled);
  EXPECT_EQ(running->exitCode, 0) << running->Stderr();
}

}  // namespace
