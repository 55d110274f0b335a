// ctest-label: app
// What start-up decides before the graphics library starts: the screen mode
// from the settings and the system data, and the start file.
#include <gtest/gtest.h>

#include <string>

#include "app/frame/App.h"
#include "platform/FileSystem.h"
#include "tests/support/TestSupport.h"

namespace {

struct ModeCase {
  const char* name;
  int32_t direct3D, windowMode, bpp, vsync;
  int desktop;
  bool vista;
  int32_t depthD3D, depthDD;
  bool fullColour;
  // expected
  int32_t windowed, outVsync, outBpp;
  int message;  // 0 accepted, 1 window text, 2 general text
  bool thick;
};

class ScreenMode : public ::testing::TestWithParam<ModeCase> {};

TEST_P(ScreenMode, DecisionTable) {
  const ModeCase& c = GetParam();
  sScreenInputs in;
  in.direct3D = c.direct3D;
  in.windowMode = c.windowMode;
  in.bpp = c.bpp;
  in.vsync = c.vsync;
  in.desktopBpp = c.desktop;
  in.osAtLeast60 = c.vista;
  in.depthD3D = c.depthD3D;
  in.depthDD = c.depthDD;
  in.fullColour = c.fullColour;
  const sScreenMode m = DecideScreenMode(in);
  EXPECT_EQ(m.windowed, c.windowed);
  EXPECT_EQ(m.vsync, c.outVsync);
  EXPECT_EQ(m.bpp, c.outBpp);
  EXPECT_EQ(m.accepted, c.message == 0);
  EXPECT_EQ(m.message, c.message);
  EXPECT_EQ(m.thickFrame, c.thick);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ScreenMode,
    ::testing::Values(
        // name, d3d, wmode, bpp, vsync, desktop, vista, d3dCode, ddCode, fullColour -> windowed, vsync, bpp, msg, thick
        ModeCase{"D3DWindowAutoVsync", 1, 1, 0, 2, 32, true, 0, 0, true, 1, 1, 32, 0, false},
        ModeCase{"D3DResizableWindow", 1, 2, 0, 0, 32, true, 0, 0, true, 1, 0, 32, 0, true},
        ModeCase{"D3DFullScreenCode1Is16", 1, 0, 0, 2, 32, true, 1, 0, true, 0, 1, 16, 0, false},
        ModeCase{"D3DFullScreenOtherCodeIs32", 1, 0, 0, 1, 32, true, 0, 0, true, 0, 1, 32, 0, false},
        ModeCase{"D3DNo8Bit", 1, 0, 8, 1, 32, true, 0, 0, false, 0, 1, 8, 2, false},
        ModeCase{"DDWindowNoVsync", 0, 1, 0, 1, 32, true, 0, 0, true, 1, 0, 32, 0, false},
        ModeCase{"DDFullAutoVsyncNew", 0, 0, 0, 2, 32, true, 0, 0, true, 0, 0, 32, 0, false},
        ModeCase{"DDFullAutoVsyncOld", 0, 0, 0, 2, 32, false, 0, 0, true, 0, 1, 32, 0, false},
        ModeCase{"DDFull256Code2Is8", 0, 0, 0, 1, 32, true, 0, 2, false, 0, 1, 8, 0, false},
        ModeCase{"DDFullColourCode2Is32", 0, 0, 0, 1, 32, true, 0, 2, true, 0, 1, 32, 0, false},
        ModeCase{"DDFullCode1Is16", 0, 0, 0, 1, 32, true, 0, 1, true, 0, 1, 16, 0, false},
        ModeCase{"DDFullColourNo8", 0, 0, 8, 1, 32, true, 0, 0, true, 0, 1, 8, 2, false},
        ModeCase{"WindowDepthMustMatchDesktop", 1, 1, 32, 1, 16, true, 0, 0, true, 1, 1, 32, 1, false},
        ModeCase{"Window8BitRefused", 0, 1, 8, 0, 8, true, 0, 0, false, 1, 0, 8, 2, false},
        ModeCase{"FullScreen24Refused", 0, 0, 24, 1, 32, true, 0, 0, true, 0, 1, 24, 2, false},
        ModeCase{"ExplicitBppWins", 1, 0, 16, 1, 32, true, 0, 0, true, 0, 1, 16, 0, false}),
    [](const ::testing::TestParamInfo<ModeCase>& info) { return std::string(info.param.name); });

TEST(StartFile, CommandLineQuotesAndLength) {
  EXPECT_EQ(StartFileFromCommandLine("\"data\\stg4\\a.stg4_001\""), "data\\stg4\\a.stg4_001");
  EXPECT_EQ(StartFileFromCommandLine("data\\stg4\\a.stg4_001"), "data\\stg4\\a.stg4_001");
  EXPECT_EQ(StartFileFromCommandLine("\""), "\"");
  EXPECT_EQ(StartFileFromCommandLine(std::string(259, 'a')), std::string(259, 'a'));
  EXPECT_EQ(StartFileFromCommandLine(std::string(260, 'a')), "");
}

class StartFileResolution : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::CreateFolder("data");
    platform::CreateFolder("data\\stg4");
    platform::ForgetFolderListings();
  }
  void Touch(const std::string& path) {
    const char b = 0;
    ASSERT_TRUE(platform::WriteWholeFileAtomic(path, &b, 1));
    platform::ForgetFolderListings();
  }
  testsupport::ProjectFolder dir_;
};

TEST_F(StartFileResolution, NewestNumberWinsOverTheNamedOne) {
  Touch("data\\stg4\\Forest.stg4_012");
  Touch("data\\stg4\\Forest.stg4_015");
  EXPECT_EQ(ResolveStartFile("data\\stg4\\Forest.stg4_012"), "data\\stg4\\Forest.stg4_015");
}

TEST_F(StartFileResolution, NameWithoutNumberedFileStaysAsItIs) {
  EXPECT_EQ(ResolveStartFile("data\\stg4\\Nothing.stg4_001"), "data\\stg4\\Nothing.stg4_001");
}

}  // namespace
