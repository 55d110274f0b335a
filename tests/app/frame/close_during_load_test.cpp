// ctest-label: app
// A close request while the game thread loads a large picture: the close
// waits for the thread before anything it uses is freed, so the program ends
// cleanly (under AddressSanitizer, without a report), time after time. Frames
// run only in an active window, so the test runs itself on a virtual X server.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/app/app_process.h"
#include "tests/support/TestSupport.h"
#include "tests/support/VirtualX.h"

namespace {

namespace fs = std::filesystem;
using namespace apptest;

void PutU16(std::string& s, size_t at, uint16_t v) {
  s[at] = static_cast<char>(v & 0xFF);
  s[at + 1] = static_cast<char>(v >> 8);
}
void PutU32(std::string& s, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) s[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

// Replaces an 8-bit picture of the project by a 4096 x 4096 one with the
// same palette (a diagonal pattern of its colours), 16 MB of pixels.
void MakeHuge(const fs::path& file) {
  const std::string old = ReadText(file);
  ASSERT_GE(old.size(), 54u + 1024u) << file;
  constexpr uint32_t kSide = 4096, kHeaders = 14 + 40 + 1024;
  std::string bmp(kHeaders, '\0');
  bmp[0] = 'B';
  bmp[1] = 'M';
  PutU32(bmp, 2, kHeaders + kSide * kSide);
  PutU32(bmp, 10, kHeaders);
  PutU32(bmp, 14, 40);
  PutU32(bmp, 18, kSide);
  PutU32(bmp, 22, kSide);
  PutU16(bmp, 26, 1);
  PutU16(bmp, 28, 8);
  PutU32(bmp, 46, 256);
  bmp.replace(54, 1024, old.substr(54, 1024));
  bmp.reserve(kHeaders + kSide * kSide);
  std::string row(kSide, '\0');
  for (uint32_t y = 0; y < kSide; ++y) {
    for (uint32_t x = 0; x < kSide; ++x) row[x] = static_cast<char>((x + y) & 0xFF);
    bmp += row;
  }
  WriteText(file, bmp);
}

struct LoadCase {
  const char* name;
  const char* picture;  // under bmp/
  std::vector<std::string> args;
};

// Starts the program, gives its window the focus once start-up is done (the
// game thread then loads the picture) and asks it to close at once.
RunResult CloseRightAfterStartup(const fs::path& project, const std::vector<std::string>& extra,
                                 const fs::path& runtime) {
  std::vector<std::string> args{project.string()};
  args.insert(args.end(), extra.begin(), extra.end());
  Process p(args, XEnv(runtime), project / ".stderr.txt");
  RunResult r;
  r.startedUp = WaitForText(p, project / "Report_Game.txt", "Start-up : done", 60);
  if (const testsupport::XWindowId w = testsupport::FindWindowOfProcess(p.Pid(), 10))
    testsupport::Xdotool("windowfocus " + std::to_string(w) + " >/dev/null 2>&1");
  if (p.Running()) kill(p.Pid(), SIGTERM);
  p.Wait(60);
  r.exitCode = p.exitCode;
  r.signalled = p.signalled;
  r.stderrText = p.Stderr();
  r.log = ReadText(project / "Report_Game.txt");
  return r;
}

class CloseDuringLoad : public ::testing::TestWithParam<LoadCase> {};

TEST_P(CloseDuringLoad, EndsCleanlyEveryTime) {
  if (testsupport::RerunUnderVirtualX({.width = 1024, .height = 768})) return;
  ASSERT_FALSE(SampleProject().empty()) << "make-sample-project failed";
  const LoadCase& c = GetParam();
  testsupport::TempDir tmp;
  const fs::path project = tmp.path() / "game";
  CopyTree(SampleProject(), project);
  MakeHuge(project / "bmp" / c.picture);
  if (HasFatalFailure()) return;
  const fs::path runtime = tmp.path() / "runtime";
  fs::create_directories(runtime);
  for (int run = 0; run < 4; ++run) {
    SCOPED_TRACE("run " + std::to_string(run));
    fs::remove(project / "Report_Game.txt");
    const RunResult r = CloseRightAfterStartup(project, c.args, runtime);
    EXPECT_TRUE(r.startedUp) << r.log << r.stderrText;
    EXPECT_FALSE(r.signalled) << r.stderrText;
    EXPECT_EQ(r.exitCode, 0) << r.stderrText;
    EXPECT_EQ(r.stderrText.find("AddressSanitizer"), std::string::npos) << r.stderrText;
    EXPECT_NE(r.log.find("Exit : done"), std::string::npos) << r.log;
    EXPECT_EQ(r.log.find("detached"), std::string::npos) << "a thread was left running\n" << r.log;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Pictures, CloseDuringLoad,
    ::testing::Values(LoadCase{"TitlePicture", "Title.bmp", {}},
                      LoadCase{"StageBlocks", "Block.bmp", {"data/stg4/Sample-1.stg4_000"}}),
    [](const ::testing::TestParamInfo<LoadCase>& info) { return std::string(info.param.name); });

}  // namespace
