// ctest-label: app
// System.ini's byte rules, case by case, on the key records of a new project.
#include <gtest/gtest.h>

#include <string>

#include "app/frame/IniSettings.h"
#include "data/System.h"

namespace {

struct IniCase {
  const char* name;
  std::string bytes;
  int32_t result;
  // Expected fields after defaults and the read.
  int32_t direct3D, vsync, showFps, english;
  std::string freeStage;
};

std::string Bytes(const char* s, size_t n) { return std::string(s, n); }

class IniTest : public ::testing::TestWithParam<IniCase> {};

TEST_P(IniTest, ReadsAsTheByteRulesSay) {
  const IniCase& c = GetParam();
  cSystem system;  // Direct3D 2, VSync 2, ShowFps 1 by default
  sIniSettings s;
  LoadSystemIniDefaults(s, system.m_IniKeys);
  const int32_t r = ParseSystemIni(reinterpret_cast<const unsigned char*>(c.bytes.data()), c.bytes.size(), s,
                                   system.m_IniKeys);
  EXPECT_EQ(r, c.result);
  EXPECT_EQ(s.Direct3D, c.direct3D);
  EXPECT_EQ(s.VSync, c.vsync);
  EXPECT_EQ(s.ShowFps, c.showFps);
  EXPECT_EQ(s.English, c.english);
  EXPECT_EQ(s.FreeStage, c.freeStage);
}

const std::string kLongKey(5000, 'K');

INSTANTIATE_TEST_SUITE_P(
    Cases, IniTest,
    ::testing::Values(
        IniCase{"ExitLine", "Direct3D=1\nExit\n", 1, 1, 2, 1, 0, ""},
        IniCase{"ExitAtEndOfFile", "Direct3D=1\nExit", 0, 1, 2, 1, 0, ""},
        IniCase{"NoExit", "Direct3D=0\nVSync=0\n", 0, 0, 0, 1, 0, ""},
        IniCase{"EmptyFile", "", 0, 2, 2, 1, 0, ""},
        IniCase{"NulInKeyEnds", Bytes("Direct3D=1\n\0VSync=0\n", 21), 1, 1, 2, 1, 0, ""},
        IniCase{"NulInValueEndsOnlyTheValue", Bytes("Direct3D=1\0VSync=0\nExit\n", 25), 1, 1, 0, 1, 0, ""},
        IniCase{"ExitAfterValueOnSameLine", "Direct3D=0 Exit\n", 1, 0, 2, 1, 0, ""},
        IniCase{"SlashStartsComment", "ShowFps=2/ the plain text\nExit\n", 1, 2, 2, 2, 0, ""},
        IniCase{"SpaceAfterEqualsEmptiesValue", "Direct3D = 1\nExit\n", 1, 0, 2, 1, 0, ""},
        IniCase{"SpacesInsideKeyDropped", "Dir ect\t3D=0\nExit\n", 1, 0, 2, 1, 0, ""},
        IniCase{"CarriageReturnLines", "VSync=1\r\nFreeStage=data\\stg4\\a.stg4_001\r\nExit\r\n", 1, 2, 1, 1, 0,
                "data\\stg4\\a.stg4_001\r"},
        IniCase{"WrongCaseIgnored", "direct3d=0\nSHOWFPS=0\nExit\n", 1, 2, 2, 1, 0, ""},
        IniCase{"EnglishTakesEffect", "English=1\nExit\n", 1, 2, 2, 1, 1, ""},
        IniCase{"NotANumberIsZero", "ShowFps=abc\nExit\n", 1, 2, 2, 0, 0, ""},
        IniCase{"SignedNumber", "ShowFps=-3x\nExit\n", 1, 2, 2, -3, 0, ""},
        IniCase{"OverflowSaturates", "ShowFps=99999999999\nExit\n", 1, 2, 2, 2147483647, 0, ""},
        IniCase{"FreeStageOneCharIgnored", "FreeStage=a\nExit\n", 1, 2, 2, 1, 0, ""},
        IniCase{"FreeStageTooLongIgnored", "FreeStage=" + std::string(260, 'a') + "\nExit\n", 1, 2, 2, 1, 0, ""},
        IniCase{"FreeStageLongestKept", "FreeStage=" + std::string(259, 'a') + "\nExit\n", 1, 2, 2, 1, 0,
                std::string(259, 'a')},
        IniCase{"LongKeyCutSafely", kLongKey + "=1\nVSync=0\nExit\n", 1, 2, 0, 1, 0, ""},
        IniCase{"LongValueCutSafely", "ShowFps=" + std::string(5000, '7') + "\nExit\n", 1, 2, 2, 2147483647, 0,
                ""},
        IniCase{"ExitNeedsExactCase", "exit\n", 0, 2, 2, 1, 0, ""},
        IniCase{"EndInsideValue", "ShowFps=0", 0, 2, 2, 0, 0, ""}),
    [](const ::testing::TestParamInfo<IniCase>& info) { return std::string(info.param.name); });

TEST(IniDefaults, ComeFromTheKeyRecordsAndEnglishIsAlwaysZero) {
  cSystem system;
  system.m_IniKeys[0].Set("Direct3D", 0);
  system.m_IniKeys[7].Set("ShowFps", 2);
  system.m_IniKeys[8].SetText("FreeStage", "data\\stg4\\x.stg4_000");
  system.m_IniKeys[9].Set("English", 1);
  sIniSettings s;
  s.English = 5;
  LoadSystemIniDefaults(s, system.m_IniKeys);
  EXPECT_EQ(s.Direct3D, 0);
  EXPECT_EQ(s.ShowFps, 2);
  EXPECT_EQ(s.DD_FontCache, 1);
  EXPECT_EQ(s.FreeStage, "data\\stg4\\x.stg4_000");
  EXPECT_EQ(s.English, 0);
}

TEST(IniKeys, RenamedKeyReadsUnderItsNewName) {
  cSystem system;
  system.m_IniKeys[3].Set("Sync", 2);
  sIniSettings s;
  LoadSystemIniDefaults(s, system.m_IniKeys);
  const std::string bytes = "VSync=0\nSync=1\nExit\n";
  EXPECT_EQ(ParseSystemIni(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), s, system.m_IniKeys), 1);
  EXPECT_EQ(s.VSync, 1);
}

TEST(IniKeys, ShortKeyListLeavesTheRestAtZero) {
  cSystem system;
  system.m_IniKeys.resize(2);
  sIniSettings s;
  LoadSystemIniDefaults(s, system.m_IniKeys);
  EXPECT_EQ(s.Direct3D, 2);
  EXPECT_EQ(s.ShowFps, 0);
  const std::string bytes = "ShowFps=2\nWindowMode=1\nExit\n";
  EXPECT_EQ(ParseSystemIni(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), s, system.m_IniKeys), 1);
  EXPECT_EQ(s.ShowFps, 0);
  EXPECT_EQ(s.WindowMode, 1);
}

TEST(IniFile, MissingFileIsUnreadable) {
  cSystem system;
  sIniSettings s;
  EXPECT_EQ(LoadSystemIni("no_such_folder\\System.ini", s, system.m_IniKeys), 0);
}

}  // namespace
