// ctest-label: tools
// brindle-data check: silent on the sample, and on a copy with one damaged
// file it names exactly that file with the message the player gives.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstring>

#include "base/Log.h"
#include "base/SerialRecord.h"
#include "data/Database.h"
#include "platform/CodePage.h"
#include "platform/MessageBox.h"
#include "tests/tools/sample_fixture.h"
#include "tools/toolkit/DataCheck.h"

namespace {

namespace fs = std::filesystem;
using sampletest::Native;
using sampletest::ProjectRoot;
using sampletest::SampleDir;
using testsupport::ReadFileBytes;
using testsupport::WriteFileBytes;

enum class Damage { Missing, Truncated, Newer, Garbage };
const char* const kDamageNames[] = {"Missing", "Truncated", "Newer", "Garbage"};

void Apply(const fs::path& file, Damage damage) {
  auto bytes = ReadFileBytes(file);
  switch (damage) {
    case Damage::Missing:
      fs::remove(file);
      break;
    case Damage::Truncated:
      bytes.resize(bytes.size() / 2);
      WriteFileBytes(file, bytes);
      break;
    case Damage::Newer: {
      const uint32_t v = 792;
      std::memcpy(bytes.data(), &v, 4);
      WriteFileBytes(file, bytes);
      break;
    }
    case Damage::Garbage:
      WriteFileBytes(file, {'g', 'a', 'r', 'b', 'a', 'g', 'e', '!'});
      break;
  }
}

struct Case {
  const char* file;
  Damage damage;
  const char* message;  // UTF-8, %s = the file
};

std::string Expected(const Case& c) {
  char buf[1024];
  std::snprintf(buf, sizeof buf, c.message, c.file);
  return buf;
}

const char* const kLoadFailed = "%s の読み込みに失敗しました！";
const char* const kNewer = "%s の読み込みに失敗しました！\nソフトより上位のバージョンのファイルは使用できません。";

class DamagedCopy : public testing::TestWithParam<Case> {};

TEST_P(DamagedCopy, CheckNamesTheFileWithItsMessage) {
  const Case& c = GetParam();
  testsupport::TempDir tmp;
  fs::path copy = tmp.path() / "project";
  fs::copy(SampleDir(), copy, fs::copy_options::recursive);
  Apply(Native(copy, c.file), c.damage);

  testsupport::LogCapture log;
  std::vector<tools::cCheckFailure> failures;
  ASSERT_TRUE(tools::CheckProject(copy.string(), failures));
  ASSERT_EQ(failures.size(), 1u);
  EXPECT_EQ(failures[0].file, c.file);
  EXPECT_EQ(failures[0].message, Expected(c));
}

INSTANTIATE_TEST_SUITE_P(Files, DamagedCopy,
                         testing::Values(Case{"data\\database\\AnimeSet.dat", Damage::Missing, kLoadFailed},
                                         Case{"data\\database\\Anime.dat", Damage::Truncated, kLoadFailed},
                                         Case{"data\\database\\Sound.dat", Damage::Newer, kNewer},
                                         Case{"data\\database\\Bgm.dat", Damage::Truncated, kLoadFailed},
                                         Case{"bmp\\Debug.bmp", Damage::Missing, "%s の読み込みに失敗！"},
                                         Case{"bmp\\plt\\Palette.bmp", Damage::Missing, "DDLoadPaletteFromFile失敗"},
                                         Case{"bmp\\Title.bmp", Damage::Truncated, "%s の読み込みに失敗！"},
                                         Case{"wave\\Coin.wav", Damage::Missing, "%s の読み込みに失敗しました！"},
                                         Case{"System.ini", Damage::Truncated, "System.ini の読み込みに失敗しました！"},
                                         Case{"data\\CommonPalette.cplt4", Damage::Missing, "%s のロードに失敗！"},
                                         Case{"data\\CommonPalette.cplt4", Damage::Newer, "%s のロードに失敗！"},
                                         Case{"data\\stg4\\c01-1.stg4_000", Damage::Truncated,
                                              "ステージファイル %s が破損しています！"},
                                         Case{"data\\stg4\\Sample-2.stg4_000", Damage::Newer,
                                              "ステージファイル %s の読み込みに失敗しました！"},
                                         Case{"data\\System.dat", Damage::Newer, "%s の読み込みに失敗…"},
                                         Case{"data\\System.dat", Damage::Truncated, "%s の読み込みに失敗…"},
                                         Case{"data\\WorldMap.dat", Damage::Missing, "%s のロードに失敗！"},
                                         Case{"data\\WorldMap.dat", Damage::Truncated, "%s のロードに失敗！"},
                                         Case{"wave\\Cursor.wav", Damage::Missing, "%s の読み込みに失敗しました！"},
                                         // Refused by the player's own loaders: a blend table
                                         // short of 65536 bytes, a tune that is no MIDI file.
                                         Case{"bmp\\hbt\\hbt00.dat", Damage::Truncated, "%s の読み込みに失敗！"},
                                         Case{"bgm\\Title.mid", Damage::Garbage, "Midi %s Init 標準MIDIでない(4)"},
                                         Case{"bgm\\Stage.mid", Damage::Missing, "Midi %s Create ファイルが開けません"}),
                         [](const testing::TestParamInfo<Case>& info) {
                           std::string name = info.param.file;
                           for (char& ch : name)
                             if (!isalnum(static_cast<unsigned char>(ch))) ch = '_';
                           return name + "_" + kDamageNames[static_cast<int>(info.param.damage)];
                         });

// A tune in bgm\ that no data names is checked as well; an Ogg file is
// refused with the reason the Ogg player logs.
TEST(DataCheck, UnplayableOggTuneIsNamedWithItsReason) {
  testsupport::TempDir tmp;
  fs::path copy = tmp.path() / "project";
  fs::copy(SampleDir(), copy, fs::copy_options::recursive);
  WriteFileBytes(copy / "bgm" / "Extra.ogg", {});

  testsupport::LogCapture log;
  std::vector<tools::cCheckFailure> failures;
  ASSERT_TRUE(tools::CheckProject(copy.string(), failures));
  ASSERT_EQ(failures.size(), 1u);
  EXPECT_EQ(failures[0].file, "bgm\\Extra.ogg");
  EXPECT_EQ(failures[0].message, "Ogg bgm\\Extra.ogg : empty file");
}

TEST(DataCheck, SampleHasNoFailure) {
  testsupport::LogCapture log;
  std::vector<tools::cCheckFailure> failures;
  ASSERT_TRUE(tools::CheckProject(SampleDir().string(), failures));
  for (const auto& f : failures) ADD_FAILURE() << f.file << ": " << f.message;
}

// Files of user_data\ are optional; a broken one is named although the
// player passes over it in silence.
TEST(DataCheck, BrokenOptionalUserFileIsNamed) {
  testsupport::TempDir tmp;
  fs::path copy = tmp.path() / "project";
  fs::copy(SampleDir(), copy, fs::copy_options::recursive);
  fs::create_directories(copy / "user_data");
  WriteFileBytes(copy / "user_data" / "Option.dat", {0x17, 0x03, 0x00, 0x00, 0x05});

  testsupport::LogCapture log;
  std::vector<tools::cCheckFailure> failures;
  ASSERT_TRUE(tools::CheckProject(copy.string(), failures));
  ASSERT_EQ(failures.size(), 1u);
  EXPECT_EQ(failures[0].file, "user_data\\Option.dat");
  EXPECT_EQ(failures[0].message, "refused; start-up keeps the defaults and shows nothing");
}

TEST(DataCheck, NotAFolderIsRefused) {
  std::vector<tools::cCheckFailure> failures;
  EXPECT_FALSE(tools::CheckProject((SampleDir() / "System.ini").string(), failures));
  EXPECT_FALSE(tools::CheckProject((SampleDir() / "no such folder").string(), failures));
}

// The database message is the one the player's own loader shows; the box's
// last line, the reason with its byte offset, is the check's reason.
TEST(DataCheck, DatabaseMessageIsTheLoadersBox) {
  testsupport::TempDir tmp;
  fs::path copy = tmp.path() / "project";
  fs::copy(SampleDir(), copy, fs::copy_options::recursive);
  Apply(Native(copy, "data\\database\\Effect.dat"), Damage::Newer);

  testsupport::LogCapture log;
  std::vector<tools::cCheckFailure> failures;
  ASSERT_TRUE(tools::CheckProject(copy.string(), failures));
  ASSERT_EQ(failures.size(), 1u);

  std::string box;
  platform::SetMessageBoxHandler([&box](const std::string& text, const std::string&, unsigned) {
    box = text;
    return platform::IDOK;
  });
  {
    ProjectRoot root(copy);
    cDatabase db;
    EXPECT_FALSE(db.Load());
  }
  platform::SetMessageBoxHandler(nullptr);
  EXPECT_EQ(failures[0].message + "\n" + failures[0].reason, platform::Cp932ToUtf8(box));
  EXPECT_NE(failures[0].reason.find("792"), std::string::npos) << failures[0].reason;
}

// The programs themselves, as a user runs them.
std::string RunCommand(const std::string& command, int* status) {
  std::string out;
  FILE* p = popen((command + " 2>&1").c_str(), "r");
  if (!p) return out;
  char buf[4096];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
  int rc = pclose(p);
  *status = WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
  return out;
}

TEST(DataTools, ProgramsRunOnTheSample) {
  const std::string bin = BRINDLE_TOOLS_BIN;
  testsupport::TempDir tmp;
  int status = -1;

  std::string out = RunCommand(bin + "/make-sample-project '" + tmp.str() + "/p'", &status);
  EXPECT_EQ(status, 0) << out;
  out = RunCommand(bin + "/brindle-data check '" + tmp.str() + "/p'", &status);
  EXPECT_EQ(status, 0) << out;
  EXPECT_EQ(out, "OK\n");

  out = RunCommand(bin + "/brindle-data dump bgm '" + tmp.str() + "/p/data/database/Bgm.dat'", &status);
  EXPECT_EQ(status, 0) << out;
  EXPECT_NE(out.find("\"kind\": \"bgm\""), std::string::npos) << out;
  EXPECT_NE(out.find("\"m_File\": \"bgm\\\\Stage.mid\""), std::string::npos) << out;

  out = RunCommand(
      bin + "/brindle-data resave bgm '" + tmp.str() + "/p/data/database/Bgm.dat' '" + tmp.str() + "/Bgm.dat'",
      &status);
  EXPECT_EQ(status, 0) << out;
  EXPECT_EQ(ReadFileBytes(tmp.path() / "Bgm.dat"), ReadFileBytes(tmp.path() / "p/data/database/Bgm.dat"));

  fs::remove(tmp.path() / "p/data/database/Bgm.dat");
  out = RunCommand(bin + "/brindle-data check '" + tmp.str() + "/p'", &status);
  EXPECT_EQ(status, 1);
  EXPECT_EQ(out,
            "FAIL data\\database\\Bgm.dat: data\\database\\Bgm.dat の読み込みに失敗しました！\n"
            "    why: file missing or unreadable\n");

  out = RunCommand(bin + "/brindle-data dump bgm '" + tmp.str() + "/p/data/database/Bgm.dat'", &status);
  EXPECT_EQ(status, 1);
  EXPECT_NE(out.find("missing"), std::string::npos) << out;
  // A half-length system data file: the dump names what was cut and where.
  auto system = ReadFileBytes(tmp.path() / "p/data/System.dat");
  system.resize(system.size() / 2);
  WriteFileBytes(tmp.path() / "p/data/System.dat", system);
  out = RunCommand(bin + "/brindle-data dump system '" + tmp.str() + "/p/data/System.dat' 2>&1", &status);
  EXPECT_EQ(status, 1);
  EXPECT_NE(out.find("broken or truncated: "), std::string::npos) << out;
  EXPECT_NE(out.find(" left after it, at byte "), std::string::npos) << out;
  out = RunCommand(bin + "/brindle-data check '" + tmp.str() + "/p'", &status);
  EXPECT_NE(out.find("FAIL data\\System.dat: data\\System.dat の読み込みに失敗…\n    why: "), std::string::npos) << out;

  // A stage outside any project is refused, and named as it was typed.
  fs::copy_file(tmp.path() / "p/data/stg4/c01-1.stg4_000", tmp.path() / "alone.stg4_000");
  out = RunCommand("cd '" + tmp.str() + "' && " + bin + "/brindle-data resave stage alone.stg4_000 out.stg4_000 2>&1",
                   &status);
  EXPECT_EQ(status, 1);
  EXPECT_EQ(out.rfind("brindle-data: alone.stg4_000: no project folder found above it", 0), 0u) << out;
  EXPECT_FALSE(fs::exists(tmp.path() / "out.stg4_000"));

  // A missing sound is named with the data file that refers to it.
  fs::remove(tmp.path() / "p/wave/Coin.wav");
  out = RunCommand(bin + "/brindle-data check '" + tmp.str() + "/p'", &status);
  EXPECT_NE(out.find("FAIL wave\\Coin.wav (named in data\\"), std::string::npos) << out;

  RunCommand(bin + "/brindle-data dump nonsense x", &status);
  EXPECT_EQ(status, 2);
}

}  // namespace
