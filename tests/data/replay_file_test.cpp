// ctest-label: data
// Replay files: stage body, replay record and save data.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "data/Replay.h"
#include "data/SaveData.h"
#include "data/Stage.h"
#include "data/System.h"
#include "data/WorldMap.h"
#include "platform/FileSystem.h"
#include "tests/support/TestSupport.h"

// The file's own namespace keeps its helpers apart from other test files compiled with it.
namespace replay_file_test {

namespace fs = std::filesystem;

namespace {

uint32_t U32At(const std::vector<unsigned char>& b, size_t at) {
  uint32_t v;
  std::memcpy(&v, b.data() + at, 4);
  return v;
}

std::vector<unsigned char> StageBytes(cStage& s) {
  cStage copy = s;
  return copy.SaveToBytes();
}

class ReplayFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(platform::CreateFolder("user_data"));
    ASSERT_TRUE(platform::CreateFolder("user_data\\rpl4"));
    system_.m_ChallengeCount = 2;
    map_.SetSize(10, 10);
    SaveContext() = cSaveContext{&system_, &map_, nullptr, 0, false};

    stage_.m_Width = 40;
    stage_.m_Height = 15;
    stage_.m_Name = "replayed";
    stage_.m_PlacedCharas.resize(1);
    stage_.m_PlacedCharas[0].m_Control = 0;
    stage_.m_PlacedCharas[0].m_GfxIndex = 3;
    // As loaded for play: read once, so the derived values are computed.
    ASSERT_TRUE(stage_.LoadFromBytes(StageBytes(stage_)));
    scalars_ = stage_;
    scalars_.m_PlacedCharas.clear();
    scalars_.m_TimeLimit = 321;  // the scalar part comes from the stage as loaded

    for (int i = 0; i < 50; ++i) replay_.RecordFrame(static_cast<uint16_t>((i / 10) % 3), static_cast<uint16_t>(i / 25));
    replay_.m_Seed = 0x0BADF00D;
    start_.m_Score = 777;
    start_.m_Vars[10] = 5;
  }
  void TearDown() override {
    SaveContext() = cSaveContext{};
    dwDataVersion = kDataVersion;
  }
  std::string Path() const { return "user_data\\rpl4\\test." + ReplayExtension(); }
  fs::path Native() const { return dir_.path() / "user_data" / "rpl4" / ("test." + ReplayExtension()); }

  testsupport::ProjectFolder dir_;
  cSystem system_;
  cWorldMap map_;
  cStage stage_, scalars_;
  cReplay replay_;
  cSaveData start_;
};

TEST_F(ReplayFiles, SaveThenLoad) {
  const std::vector<unsigned char> stageBefore = StageBytes(stage_);
  const std::vector<unsigned char> scalarsBefore = StageBytes(scalars_);
  ASSERT_TRUE(replay_.SaveFile(Path(), stage_, scalars_, start_));
  // Saving changes nothing that is being played.
  EXPECT_EQ(StageBytes(stage_), stageBefore);
  EXPECT_EQ(StageBytes(scalars_), scalarsBefore);

  cStage stage, copy;
  copy.m_PlacedBlocks.resize(3);
  copy.m_PaletteCharas.resize(4);
  cReplay loaded;
  cSaveData save;
  loaded.m_DirIndex = 2;
  ASSERT_TRUE(loaded.LoadFile(Path(), stage, copy, save));
  EXPECT_EQ(loaded.m_DirValues, replay_.m_DirValues);
  EXPECT_EQ(loaded.m_DirRuns, replay_.m_DirRuns);
  EXPECT_EQ(loaded.m_ButtonValues, replay_.m_ButtonValues);
  EXPECT_EQ(loaded.m_ButtonRuns, replay_.m_ButtonRuns);
  EXPECT_EQ(loaded.m_Seed, replay_.m_Seed);
  EXPECT_EQ(loaded.m_DataVersion, 791u);
  EXPECT_EQ(save.SaveToBytes(), start_.SaveToBytes());

  EXPECT_EQ(stage.m_Name, "replayed");
  EXPECT_EQ(stage.m_TimeLimit, 321);
  ASSERT_EQ(stage.m_PlacedCharas.size(), 1u);
  EXPECT_EQ(stage.m_PlacedCharas[0].m_GfxIndex, 3);
  EXPECT_EQ(copy.m_TimeLimit, 321);
  EXPECT_TRUE(copy.m_PlacedBlocks.empty());
  EXPECT_TRUE(copy.m_PlacedCharas.empty());
  EXPECT_TRUE(copy.m_PaletteCharas.empty());

  // Saving what was loaded gives the same file.
  std::vector<unsigned char> first = testsupport::ReadFileBytes(Native());
  ASSERT_TRUE(loaded.SaveFile(Path(), stage, copy, save));
  EXPECT_EQ(testsupport::ReadFileBytes(Native()), first);
}

TEST_F(ReplayFiles, Layout) {
  ASSERT_TRUE(replay_.SaveFile(Path(), stage_, scalars_, start_));
  std::vector<unsigned char> bytes = testsupport::ReadFileBytes(Native());
  ASSERT_GT(bytes.size(), 8u);
  EXPECT_EQ(U32At(bytes, 0), 791u);

  cStage lists = stage_, scalars = scalars_;
  cRecordWriter stageOnly;
  lists.WriteReplay(stageOnly, scalars);
  const size_t afterStage = 4 + stageOnly.Bytes().size();
  EXPECT_EQ(std::vector<unsigned char>(bytes.begin() + 4, bytes.begin() + static_cast<long>(afterStage)),
            stageOnly.Bytes());
  EXPECT_EQ(U32At(bytes, afterStage - 4), 123456789u);
  EXPECT_EQ(U32At(bytes, afterStage), 1u);
  EXPECT_EQ(U32At(bytes, afterStage + 4), 0x0BADF00Du);
  EXPECT_EQ(U32At(bytes, afterStage + 8), 0u);
  EXPECT_EQ(U32At(bytes, afterStage + 12), replay_.m_DirValues.size());

  cRecordWriter body;
  replay_.Write(body);
  std::vector<unsigned char> save = start_.SaveToBytes();
  EXPECT_EQ(bytes.size(), afterStage + body.Bytes().size() + save.size() - 4);
  EXPECT_TRUE(std::equal(save.begin() + 4, save.end(), bytes.end() - static_cast<long>(save.size() - 4)));
}

// A replay file as a program of version v wrote it.
std::vector<unsigned char> OldReplay(uint32_t v, cStage stage, cStage scalars, cReplay& replay, cSaveData save) {
  dwDataVersion = v;
  cRecordWriter w;
  BeginRecordFile(w);
  stage.WriteReplay(w, scalars);
  if (v < 173) w.Bytes().resize(w.Bytes().size() - 4);  // no trailer yet
  replay.Write(w);
  if (v >= 173) save.Write(w);
  dwDataVersion = kDataVersion;
  return w.Bytes();
}

TEST_F(ReplayFiles, OlderVersions) {
  for (uint32_t v : {172u, 173u}) {
    testsupport::WriteFileBytes(Native(), OldReplay(v, stage_, scalars_, replay_, start_));
    cStage stage, copy;
    cReplay loaded;
    cSaveData save;
    save.m_Score = 5;
    ASSERT_TRUE(loaded.LoadFile(Path(), stage, copy, save)) << v;
    EXPECT_EQ(loaded.m_DirRuns, replay_.m_DirRuns) << v;
    EXPECT_EQ(loaded.m_Seed, replay_.m_Seed);
    EXPECT_EQ(loaded.m_DataVersion, v);  // playback picks legacy rules by it
    EXPECT_EQ(stage.m_Name, "replayed");
    EXPECT_EQ(save.m_Score, v == 172 ? 5 : 777) << v;  // 172 files hold no save data

    // Copies keep the version; a cleared recording is ours again.
    cReplay copied;
    copied = loaded;
    EXPECT_EQ(copied.m_DataVersion, v);
    copied.Clear();
    EXPECT_EQ(copied.m_DataVersion, 791u);
  }
}

TEST_F(ReplayFiles, BrokenFilesChangeNothing) {
  ASSERT_TRUE(replay_.SaveFile(Path(), stage_, scalars_, start_));
  const std::vector<unsigned char> good = testsupport::ReadFileBytes(Native());
  cStage lists = stage_, scalars = scalars_;
  cRecordWriter stageOnly;
  lists.WriteReplay(stageOnly, scalars);
  const size_t body = 4 + stageOnly.Bytes().size();  // the replay record starts here
  const size_t dirValues = body + 12;
  const uint32_t nDir = U32At(good, dirValues);
  const size_t buttonValues = dirValues + 4 + 2 * nDir;
  const uint32_t nButton = U32At(good, buttonValues);
  const size_t dirRuns = buttonValues + 4 + 2 * nButton;

  std::vector<std::vector<unsigned char>> bad;
  bad.emplace_back(good.begin(), good.begin() + 40);                            // inside the stage
  bad.emplace_back(good.begin(), good.begin() + static_cast<long>(body + 6));   // inside the replay
  bad.emplace_back(good.begin(), good.end() - 3);                               // inside the save data
  auto newer = good;
  newer[0] = 0x18;  // 792
  bad.push_back(newer);
  auto zeroRun = good;
  std::memset(zeroRun.data() + dirRuns + 4, 0, 4);
  bad.push_back(zeroRun);
  auto shortRuns = good;  // one run fewer than values, the file otherwise whole
  shortRuns[dirRuns] = static_cast<unsigned char>(nDir - 1);
  shortRuns.erase(shortRuns.begin() + static_cast<long>(dirRuns + 4), shortRuns.begin() + static_cast<long>(dirRuns + 8));
  bad.push_back(shortRuns);
  auto hugeCount = good;
  hugeCount[dirValues + 3] = 0x7F;
  bad.push_back(hugeCount);

  for (size_t i = 0; i < bad.size(); ++i) {
    testsupport::WriteFileBytes(Native(), bad[i]);
    cStage stage = stage_, copy = scalars_;
    stage.m_Path = "keep";
    cReplay target;
    target.RecordFrame(9, 9);
    target.m_Seed = 99;
    cSaveData save;
    save.m_Score = 5;
    const auto stageBefore = StageBytes(stage), copyBefore = StageBytes(copy);
    EXPECT_FALSE(target.LoadFile(Path(), stage, copy, save)) << i;
    EXPECT_EQ(target.m_DirValues, (cVector<uint16_t>{9})) << i;
    EXPECT_EQ(target.m_Seed, 99);
    EXPECT_EQ(save.m_Score, 5) << i;
    EXPECT_EQ(StageBytes(stage), stageBefore) << i;
    EXPECT_EQ(StageBytes(copy), copyBefore) << i;
    EXPECT_EQ(stage.m_Path, "keep");
  }

  cStage stage, copy;
  cSaveData save;
  EXPECT_FALSE(replay_.LoadFile("user_data\\rpl4\\missing.rpl4_791", stage, copy, save));
}

TEST_F(ReplayFiles, FailedSaveKeepsTheOldFile) {
  ASSERT_TRUE(replay_.SaveFile(Path(), stage_, scalars_, start_));
  const std::vector<unsigned char> old = testsupport::ReadFileBytes(Native());
  EXPECT_FALSE(replay_.SaveFile("", stage_, scalars_, start_));
  EXPECT_FALSE(replay_.SaveFile("user_data\\nofolder\\x.rpl4_791", stage_, scalars_, start_));
  EXPECT_EQ(testsupport::ReadFileBytes(Native()), old);
}

TEST_F(ReplayFiles, RestartKeepsThePath) {
  ASSERT_TRUE(replay_.SaveFile(Path(), stage_, scalars_, start_));
  cStage stage, scratch;
  stage.m_Path = Path();
  cReplay r;
  cSaveData save;
  ASSERT_TRUE(r.LoadFile(stage.m_Path, stage, scratch, save));
  EXPECT_EQ(stage.m_Path, Path());
}

}  // namespace

}  // namespace replay_file_test
