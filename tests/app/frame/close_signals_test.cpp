// ctest-label: app
// How the player program ends from outside: Ctrl+C is an orderly close like
// SIGTERM, and without any display it says so and fails instead of running
// unseen.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tests/app/app_process.h"
#include "tests/support/TestSupport.h"

namespace {

namespace fs = std::filesystem;
using namespace apptest;

TEST(CloseSignals, CtrlCClosesInOrder) {
  ASSERT_FALSE(SampleProject().empty()) << "make-sample-project failed";
  testsupport::TempDir tmp;
  const fs::path project = tmp.path() / "game";
  CopyTree(SampleProject(), project);
  const fs::path runtime = tmp.path() / "runtime";
  fs::create_directories(runtime);
  Process p({project.string()},
            {"SDL_VIDEODRIVER=dummy", "SDL_AUDIODRIVER=dummy", "XDG_RUNTIME_DIR=" + runtime.string(),
             "ASAN_OPTIONS=detect_leaks=0"},
            tmp.path() / "err.txt");
  ASSERT_TRUE(WaitForText(p, project / "Report_Game.txt", "Start-up : done", 60)) << p.Stderr();
  kill(p.Pid(), SIGINT);
  p.Wait(30);
  EXPECT_FALSE(p.signalled) << "Ctrl+C ended the program on the spot";
  EXPECT_EQ(p.exitCode, 0) << p.Stderr();
  // The orderly close writes the window placement and its last log line.
  EXPECT_NE(ReadText(project / "Report_Game.txt").find("Exit : done"), std::string::npos);
  EXPECT_TRUE(fs::exists(project / "user_data" / "Window.dat"));
}

TEST(CloseSignals, NoDisplayIsToldAndFails) {
  ASSERT_FALSE(SampleProject().empty()) << "make-sample-project failed";
  testsupport::TempDir tmp;
  const fs::path project = tmp.path() / "game";
  CopyTree(SampleProject(), project);
  const fs::path runtime = tmp.path() / "runtime";
  fs::create_directories(runtime);
  // No driver named and no display of any kind to be found.
  Process p({project.string()},
            {"SDL_VIDEODRIVER=", "DISPLAY=", "WAYLAND_DISPLAY=", "SDL_AUDIODRIVER=dummy",
             "XDG_RUNTIME_DIR=" + runtime.string(), "ASAN_OPTIONS=detect_leaks=0"},
            tmp.path() / "err.txt");
  p.Wait(30);
  EXPECT_FALSE(p.signalled) << "it ran on unseen";
  EXPECT_NE(p.exitCode, 0);
  EXPECT_NE(p.Stderr().find("no display"), std::string::npos) << p.Stderr();
  EXPECT_NE(ReadText(project / "Report_Game.txt").find("no display"), std::string::npos);
}

}  // namespace
