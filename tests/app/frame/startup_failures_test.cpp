// ctest-label: app
// Start-up on broken copies of the sample project: each failing step shows
// or logs its own message; a start-up that fails ends with exit code 1 and
// says why on standard error too.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tests/app/app_process.h"
#include "tests/support/TestSupport.h"

namespace {

namespace fs = std::filesystem;
using namespace apptest;

struct FailCase {
  const char* name;
  void (*breakIt)(const fs::path& project);
  const char* text;  // UTF-8, in the log or on standard error (an unshown box)
  bool startsUp;
};

void NoSystem(const fs::path& p) { fs::remove(p / "data" / "System.dat"); }
// The version word 791 and two bytes of the four-byte field count.
void CutSystem(const fs::path& p) { WriteText(p / "data" / "System.dat", std::string("\x17\x03\0\0\x01\0", 6)); }
void BrokenDatabase(const fs::path& p) { WriteText(p / "data" / "database" / "Sound.dat", "xx"); }
void IniWithoutExit(const fs::path& p) {
  WriteText(p / "System.ini", "Direct3D=1\nWindowMode=1\n");
  // The defaults then ask for the drawing mode: answered before, do not ask.
  const unsigned char boot[] = {0x17, 0x03, 0, 0, 2, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0};
  fs::create_directories(p / "user_data");
  WriteText(p / "user_data" / "Boot.dat", std::string(reinterpret_cast<const char*>(boot), sizeof boot));
}
void Bpp24(const fs::path& p) { WriteText(p / "System.ini", "Direct3D=0\nWindowMode=0\nBpp=24\nExit\n"); }
void WindowAt16(const fs::path& p) { WriteText(p / "System.ini", "Direct3D=1\nWindowMode=1\nBpp=16\nExit\n"); }
// A 256-colour full screen (the sample's system data is not full colour).
void EightBit(const fs::path& p) { WriteText(p / "System.ini", "Direct3D=0\nWindowMode=0\nBpp=8\nExit\n"); }
void EightBitNoBlendTable(const fs::path& p) {
  EightBit(p);
  fs::remove(p / "bmp" / "hbt" / "hbt00.dat");
}
void NoDebugPicture(const fs::path& p) { fs::remove(p / "bmp" / "Debug.bmp"); }
void NoWorldMap(const fs::path& p) { fs::remove(p / "data" / "WorldMap.dat"); }
void NoCommonPalette(const fs::path& p) { fs::remove(p / "data" / "CommonPalette.cplt4"); }
void Fine(const fs::path&) {}

class StartupFailure : public ::testing::TestWithParam<FailCase> {};

TEST_P(StartupFailure, ShowsItsMessage) {
  ASSERT_FALSE(SampleProject().empty()) << "make-sample-project failed";
  const FailCase& c = GetParam();
  testsupport::TempDir tmp;
  const fs::path project = tmp.path() / "game";
  CopyTree(SampleProject(), project);
  c.breakIt(project);
  const RunResult r = RunHeadless(project);
  EXPECT_FALSE(r.signalled);
  EXPECT_EQ(r.exitCode, c.startsUp ? 0 : 1) << r.stderrText;
  EXPECT_EQ(r.startedUp, c.startsUp) << r.log;
  if (!c.startsUp) {
    EXPECT_NE(r.stderrText.find("brindle: start-up failed: "), std::string::npos) << r.stderrText;
    EXPECT_NE(r.log.find("Start-up : failed"), std::string::npos) << r.log;
  }
  const std::string seen = r.log + r.stderrText;
  EXPECT_NE(seen.find(c.text), std::string::npos) << "log:\n" << r.log << "\nstderr:\n" << r.stderrText;
  EXPECT_EQ(r.log.rfind("App : ver 791", 0), 0u) << r.log;
}

INSTANTIATE_TEST_SUITE_P(
    Steps, StartupFailure,
    ::testing::Values(
        FailCase{"SystemData", NoSystem, "data\\System.dat の読み込みに失敗…", false},
        // The reader stops at the field count, byte 4, and the message says so.
        FailCase{"SystemDataCut", CutSystem, "needs 4 bytes, 2 left, at byte 4", false},
        FailCase{"Database", BrokenDatabase, "データベースの読み込みに失敗…", false},
        FailCase{"IniWithoutExit", IniWithoutExit, "System.ini の読み込みに失敗しました！", true},
        FailCase{"DepthGeneral", Bpp24, "画面モードが不正です！\nSystem.iniと画面の設定を見直して下さい！", false},
        FailCase{"DepthWindow", WindowAt16,
                 "画面モードが不正です！\nウインドウモードではSystem.iniの設定と画面の色の設定を合わせて下さい！",
                 false},
        FailCase{"DebugPicture", NoDebugPicture, "bmp\\Debug.bmp の読み込みに失敗！", false},
        FailCase{"BlendTable", EightBitNoBlendTable, "bmp\\hbt\\hbt00.dat の読み込みに失敗！", false},
        FailCase{"EightBitScreen", EightBit, "Bpp : 8", true},
        FailCase{"WorldMap", NoWorldMap, "data\\WorldMap.dat のロードに失敗！", false},
        FailCase{"CommonPalette", NoCommonPalette, "data\\CommonPalette.cplt4 のロードに失敗！", false},
        FailCase{"NothingBroken", Fine, "Start-up : done", true}),
    [](const ::testing::TestParamInfo<FailCase>& info) { return std::string(info.param.name); });

TEST(Startup, MissingStartFileIsLoggedAndTheTitleFollows) {
  ASSERT_FALSE(SampleProject().empty());
  testsupport::TempDir tmp;
  const fs::path project = tmp.path() / "game";
  CopyTree(SampleProject(), project);
  const RunResult r = RunHeadless(project, {"data/stg4/Nothing.stg4_000"});
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_TRUE(r.startedUp);
  EXPECT_NE(r.log.find("「data\\stg4\\Nothing.stg4_000」の読み込みに失敗しました！"), std::string::npos) << r.log;
}

TEST(Startup, ALogThatCannotBeMadeIsToldOnStandardError) {
  ASSERT_FALSE(SampleProject().empty());
  testsupport::TempDir tmp;
  const fs::path project = tmp.path() / "game";
  CopyTree(SampleProject(), project);
  fs::create_directories(project / "Report_Game.txt");  // a folder where the log should go
  const RunResult r = RunHeadless(project);
  EXPECT_NE(r.exitCode, 0);
  EXPECT_FALSE(r.startedUp);
  EXPECT_NE(r.stderrText.find("Report_Game.txt"), std::string::npos) << r.stderrText;
}

// A path that is neither a project folder nor a file inside one is refused
// by name, with a non-zero exit, before anything is written.
TEST(Startup, WrongProjectPathIsRefusedByName) {
  testsupport::TempDir tmp;
  const fs::path cwd = tmp.path() / "cwd";
  const fs::path empty = tmp.path() / "not-a-game";
  fs::create_directories(cwd);
  fs::create_directories(empty);
  WriteText(tmp.path() / "loose.stg4_791", "x");
  const std::string paths[] = {(tmp.path() / "no" / "such" / "game").string(), empty.string(),
                               (tmp.path() / "loose.stg4_791").string()};
  const fs::path before = fs::current_path();
  for (const std::string& path : paths) {
    SCOPED_TRACE(path);
    fs::current_path(cwd);
    Process p({path}, {"SDL_VIDEODRIVER=dummy", "SDL_AUDIODRIVER=dummy", "ASAN_OPTIONS=detect_leaks=0"},
              tmp.path() / "stderr.txt");
    fs::current_path(before);
    p.Wait(30);
    EXPECT_FALSE(p.signalled);
    EXPECT_NE(p.exitCode, 0);
    const std::string err = p.Stderr();
    EXPECT_NE(err.find(path + " is not a game project folder"), std::string::npos) << err;
    EXPECT_NE(err.find("data folder"), std::string::npos) << err;
    EXPECT_TRUE(fs::is_empty(cwd));
    EXPECT_TRUE(fs::is_empty(empty));
  }
}

TEST(Startup, LaunchDialogIsSkippedWhenBootDataSaysSo) {
  ASSERT_FALSE(SampleProject().empty());
  testsupport::TempDir tmp;
  const fs::path project = tmp.path() / "game";
  CopyTree(SampleProject(), project);
  WriteText(project / "System.ini", "Direct3D=2\nWindowMode=1\nExit\n");
  // Boot.dat: version 791, two fields (DirectDraw, do not ask), no strings.
  const unsigned char boot[] = {0x17, 0x03, 0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0};
  fs::create_directories(project / "user_data");
  WriteText(project / "user_data" / "Boot.dat", std::string(reinterpret_cast<const char*>(boot), sizeof boot));
  const RunResult r = RunHeadless(project);
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_TRUE(r.startedUp) << r.log << r.stderrText;
  // DirectDraw in a window: its display report, not the Direct3D one.
  EXPECT_NE(r.log.find("VRAM Total"), std::string::npos) << r.log;
  EXPECT_EQ(r.log.find("Direct3D : "), std::string::npos) << r.log;
}

}  // namespace
