// ctest-label: tools
// Every kind of file brindle-data knows dumps with its fields by name and
// resaves to the same bytes: the files of user_data\ that the sample does
// not ship are written here with the project's own writers.
#include <gtest/gtest.h>

#include "data/Option.h"
#include "data/Ranking.h"
#include "data/Replay.h"
#include "data/SaveData.h"
#include "data/Stage.h"
#include "data/System.h"
#include "media/input/Input.h"
#include "tests/tools/sample_fixture.h"
#include "tools/toolkit/AppRecords.h"
#include "tools/toolkit/DataKinds.h"
#include "tools/toolkit/ProjectScope.h"

namespace {

namespace fs = std::filesystem;
using sampletest::Native;
using sampletest::ProjectRoot;
using sampletest::SampleDir;
using testsupport::ReadFileBytes;

struct KindCase {
  const char* kind;
  const char* path;       // inside the project copy
  const char* someField;  // a key the dump must show
};

class UserFileKinds : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = new testsupport::TempDir();
    fs::copy(SampleDir(), Project(), fs::copy_options::recursive);
    fs::create_directories(Project() / "user_data" / "story");
    fs::create_directories(Project() / "user_data" / "rpl4");
    fs::create_directories(Project() / "user_data" / "free");
    tools::cProjectScope project(Project().string());
    ProjectRoot root(Project());

    cSaveData save;
    save.m_Score = 1234;
    save.m_Lives = 3;
    save.m_Vars[7] = 42;
    save.m_StageFile = "data\\stg4\\World1-1.stg4_000";
    ASSERT_TRUE(save.cSerialRecord::Save("user_data\\story\\Story01.dat"));

    cRanking ranking;
    ranking.m_Tables[0].Insert("abc", 500);
    ranking.m_Tables[1].Insert("xyz", 90);
    ASSERT_TRUE(ranking.cSerialRecord::Save("user_data\\free\\Sample.rkg"));

    cOption option;
    option.m_SoundVolume = 4;
    ASSERT_TRUE(option.Save("user_data\\Option.dat"));

    tools::cBootRecord boot;
    boot.m_bDoNotAsk = 1;
    ASSERT_TRUE(boot.Save("user_data\\Boot.dat"));
    tools::cWindowRecord window;
    window.m_nX = 120;
    window.m_nWidth = 646;
    ASSERT_TRUE(window.Save("user_data\\Window.dat"));

    KEYCONFIG keys{};
    SetDefaultKeyConfig(keys);
    ASSERT_TRUE(platform::WriteWholeFileAtomic("user_data\\KeyConfig.dat", &keys, sizeof keys));

    // A replay of the story stage: a few frames of input and the start state.
    cStage stage, scalars;
    ASSERT_TRUE(stage.Load("data\\stg4\\World1-1.stg4_000"));
    scalars.AssignScalars(stage);
    cReplay replay;
    replay.m_Seed = 777;
    for (uint16_t f = 0; f < 40; ++f) replay.RecordFrame(f < 20 ? 2 : 0, f % 10 == 0 ? 1 : 0);
    ASSERT_TRUE(replay.SaveFile("user_data\\rpl4\\Replay.rpl4_791", stage, scalars, save));
    ready_ = true;
  }
  // A failed suite set-up only skips the tests; each test fails instead.
  void SetUp() override { ASSERT_TRUE(ready_) << "the user files could not be written"; }
  static void TearDownTestSuite() {
    delete dir_;
    dir_ = nullptr;
  }
  static fs::path Project() { return dir_->path() / "project"; }

  static testsupport::TempDir* dir_;
  static bool ready_;
};
testsupport::TempDir* UserFileKinds::dir_ = nullptr;
bool UserFileKinds::ready_ = false;

TEST_F(UserFileKinds, DumpShowsFieldsAndResaveGivesTheSameBytes) {
  const KindCase cases[] = {
      {"save", "user_data\\story\\Story01.dat", "\"m_Score\": 1234"},
      {"ranking", "user_data\\free\\Sample.rkg", "\"m_RankName\": \"abc\""},
      {"option", "user_data\\Option.dat", "\"m_SoundVolume\": 4"},
      {"boot", "user_data\\Boot.dat", "\"m_bDoNotAsk\": 1"},
      {"window", "user_data\\Window.dat", "\"m_nWidth\": 646"},
      {"key-config", "user_data\\KeyConfig.dat", "\"nEntries\""},
      {"replay", "user_data\\rpl4\\Replay.rpl4_791", "\"m_Seed\": 777"},
  };
  testsupport::TempDir out;
  for (const KindCase& c : cases) {
    SCOPED_TRACE(c.kind);
    const tools::cDataKind* kind = tools::FindDataKind(c.kind);
    ASSERT_NE(kind, nullptr);
    std::string path, target, error;
    ASSERT_TRUE(tools::NativeToDataPath(Native(Project(), c.path).string(), path));
    ASSERT_TRUE(tools::NativeToDataPath((out.path() / "resaved").string(), target));
    tools::cJsonWriter json;
    ASSERT_TRUE(kind->dump(path, json, &error)) << error;
    EXPECT_NE(json.Text().find(c.someField), std::string::npos) << json.Text().substr(0, 2000);
    ASSERT_TRUE(kind->resave(path, target, &error)) << error;
    EXPECT_EQ(ReadFileBytes(out.path() / "resaved"), ReadFileBytes(Native(Project(), c.path)));
  }
}

// A dump of a file that cannot be read says why, and writes nothing.
TEST_F(UserFileKinds, UnreadableFilesAreReportedWithTheReason) {
  testsupport::TempDir tmp;
  auto bytes = ReadFileBytes(Native(Project(), "user_data\\Option.dat"));
  bytes[0] = 0x18;  // version 792
  testsupport::WriteFileBytes(tmp.path() / "Newer.dat", bytes);
  testsupport::WriteFileBytes(tmp.path() / "Short.dat", {1, 2});

  struct Bad {
    const char* file;
    const char* reason;
  };
  for (const Bad& b : {Bad{"Newer.dat", "version 792 is newer"}, Bad{"Short.dat", "broken or truncated"},
                       Bad{"Missing.dat", "missing"}}) {
    SCOPED_TRACE(b.file);
    std::string path, error;
    ASSERT_TRUE(tools::NativeToDataPath((tmp.path() / b.file).string(), path));
    tools::cJsonWriter json;
    EXPECT_FALSE(tools::FindDataKind("option")->dump(path, json, &error));
    EXPECT_NE(error.find(b.reason), std::string::npos) << error;
    EXPECT_TRUE(json.Text().empty());
  }
}

// A stage whose characters hold test-play flows resaves unchanged in a
// project whose system data keeps them, and loses them in one that does not.
TEST(StageKind, ResaveFollowsTheProjectsKeepTestFlowsSwitch) {
  testsupport::TempDir tmp;
  const fs::path copy = tmp.path() / "project";
  fs::copy(SampleDir(), copy, fs::copy_options::recursive);
  const char* const kStage = "data\\stg4\\c01-1.stg4_000";
  auto setKeep = [&copy](int keep) {
    tools::cProjectScope project(copy.string());
    ProjectRoot root(copy);
    cSystem system;
    ASSERT_TRUE(system.Load("data\\System.dat"));
    system.m_KeepTestFlows = keep;
    ASSERT_TRUE(system.cSerialRecord::Save("data\\System.dat"));
  };
  setKeep(1);
  {
    tools::cProjectScope project(copy.string());
    ProjectRoot root(copy);
    ASSERT_TRUE(DefaultReadContext().keepTestFlows);
    cStage stage;
    ASSERT_TRUE(stage.Load(kStage));
    ASSERT_FALSE(stage.m_PlacedCharas.empty());
    cFlow flow;
    flow.m_TestPlayOnly = 1;
    flow.m_FlowId = 3;
    cCharaDef& chara = stage.m_PlacedCharas[0];
    chara.m_Inherit[36] = 0;  // its own flows, not the palette entry's
    chara.m_Flows.push_back(flow);
    ASSERT_TRUE(stage.cSerialRecord::Save(kStage));
  }
  const fs::path native = Native(copy, kStage);
  std::string path, out;
  ASSERT_TRUE(tools::NativeToDataPath(native.string(), path));
  ASSERT_TRUE(tools::NativeToDataPath((tmp.path() / "out.stg4_000").string(), out));
  std::string error;
  ASSERT_TRUE(tools::FindDataKind("stage")->resave(path, out, &error)) << error;
  EXPECT_EQ(ReadFileBytes(tmp.path() / "out.stg4_000"), ReadFileBytes(native));

  setKeep(0);
  ASSERT_TRUE(tools::FindDataKind("stage")->resave(path, out, &error)) << error;
  EXPECT_LT(ReadFileBytes(tmp.path() / "out.stg4_000").size(), ReadFileBytes(native).size());
}

// Every kind is named in the table, and the sample's data files are all covered.
TEST(DataKindsTable, CoversEveryKindOfTheProject) {
  for (const char* name :
       {"system",     "anime-set", "anime",   "bmp-chara-exc", "sword-type", "effect",         "chara-effect",
        "scr-effect", "picture",   "sound",   "bgm",           "world-map",  "common-palette", "stage",
        "save",       "replay",    "ranking", "option",        "boot",       "window",         "key-config"})
    EXPECT_NE(tools::FindDataKind(name), nullptr) << name;
  ProjectRoot root(SampleDir());
  auto files = tools::ProjectDataFiles();
  size_t stages = 0;
  for (const auto& f : files) stages += f.second == "stage";
  EXPECT_EQ(stages, 4u);
  EXPECT_EQ(files.size(), 10u + 3u + 4u);
}

}  // namespace
