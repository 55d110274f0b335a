// ctest-label: tools
// What makes the sample a game: read back through the player's own loaders,
// its stages have a hero the player moves, an enemy that patrols and shoots,
// items that score and clear; parts chain; the world map leads to stages.
#include <gtest/gtest.h>

#include <algorithm>

#include "base/Paths.h"
#include "data/StageLoad.h"
#include "platform/FileSystem.h"
#include "tests/tools/sample_fixture.h"
#include "tools/toolkit/ProjectScope.h"
#include "tools/toolkit/SampleStages.h"

namespace {

using sampletest::ProjectRoot;
using sampletest::SampleDir;

const char* const kStages[] = {"data\\stg4\\Sample-1.stg4_000", "data\\stg4\\Sample-2.stg4_000",
                               "data\\stg4\\World1-1.stg4_000", "data\\stg4\\c01-1.stg4_000"};

bool HasCmd(const cCharaDef& def, int8_t kind) {
  for (const cFlow& f : def.m_Flows)
    for (const cFlowCmd& c : f.m_Cmds)
      if (c.m_CmdSet == 0 && c.m_CmdKind == kind) return true;
  return false;
}

bool HasItemCmd(const cItemDef& def, int8_t kind) {
  return std::any_of(def.m_Commands.begin(), def.m_Commands.end(),
                     [kind](const cFlowCmd& c) { return c.m_CmdSet != 0 && c.m_CmdKind == kind; });
}

class SampleContent : public testing::Test {
 protected:
  void SetUp() override { root_ = std::make_unique<ProjectRoot>(SampleDir()); }
  void TearDown() override { root_.reset(); }
  std::unique_ptr<ProjectRoot> root_;
  tools::cProjectScope project_{SampleDir().string()};
};

TEST_F(SampleContent, StagesArePlayableLevels) {
  for (const char* path : kStages) {
    SCOPED_TRACE(path);
    cStage stage;
    ASSERT_TRUE(LoadStageForPlay(stage, path, 0, nullptr));
    // The hero: the player's character, moved by keys.
    const int hero = stage.FindHero();
    ASSERT_GE(hero, 0);
    const cCharaDef& h = stage.m_PlacedCharas[static_cast<size_t>(hero)];
    EXPECT_EQ(h.m_PalKind, PAL_COMMON);  // inheritance survived the read
    EXPECT_TRUE(HasCmd(h, 2));           // 直線移動
    EXPECT_TRUE(HasCmd(h, 10));          // ジャンプ
    EXPECT_FALSE(h.m_Flows.empty() || h.m_Flows[0].m_KeyConds.empty());
    // At least one enemy that patrols (turning at walls) and shoots.
    bool walker = false;
    for (const cCharaDef& c : stage.m_PlacedCharas)
      if (c.m_Control == 1 && HasCmd(c, 3) && HasCmd(c, 11)) walker = true;
    EXPECT_TRUE(walker);
    // A scoring item and a clearing item.
    bool scores = false, clears = false;
    for (const cItemDef& i : stage.m_PlacedItems) {
      scores = scores || HasItemCmd(i, 7);
      clears = clears || HasItemCmd(i, 2);
    }
    EXPECT_TRUE(scores);
    EXPECT_TRUE(clears);
    // Solid ground under the whole width, and every placed object inside the map.
    size_t ground = 0;
    for (const cBlockDef& b : stage.m_PlacedBlocks) {
      EXPECT_LT(b.m_Col, stage.m_Width);
      EXPECT_LT(b.m_Row, stage.m_Height);
      if (b.m_Row == stage.m_Height - 2 && b.m_Hit == 1) ++ground;
    }
    EXPECT_EQ(ground, static_cast<size_t>(stage.m_Width));
    EXPECT_GT(stage.m_Bgm, 0);
    EXPECT_LT(stage.m_Bgm, project_.Database().Count(DbList::Bgm));
  }
}

// Clearing free-play part 1 goes on to part 2: the base name "Sample-" with
// part 2 names an existing numbered file; there is no part 3.
TEST_F(SampleContent, FreePlayStageHasTwoParts) {
  std::string found;
  EXPECT_EQ(FindLatestNumberedFileString(found, "data\\stg4\\Sample-2.stg4", "stg4"), 1);
  EXPECT_EQ(found, "data\\stg4\\Sample-2.stg4_000");
  EXPECT_EQ(FindLatestNumberedFileString(found, "data\\stg4\\Sample-3.stg4", "stg4"), 0);
  // Challenge stage 1 is "data\stg4\c" + "01-1".
  EXPECT_EQ(FindLatestNumberedFileString(found, "data\\stg4\\c01-1.stg4", "stg4"), 1);
}

TEST_F(SampleContent, WorldMapLeadsToStoryStages) {
  cWorldMap map;
  ASSERT_TRUE(map.Load("data\\WorldMap.dat"));
  auto chipAt = [&map](int x, int y) {
    return map.m_Chips[static_cast<size_t>(map.m_Cells[(static_cast<size_t>(y) << map.m_PitchShift) + x])];
  };
  EXPECT_EQ(chipAt(map.m_StartX, map.m_StartY).m_Blocked, 0);
  size_t stageNodes = 0;
  for (const cWorldPoint& p : map.m_Points) {
    EXPECT_EQ(chipAt(p.m_X, p.m_Y).m_Blocked, 0) << p.m_Label;
    for (const cWorldNode& n : p.m_Nodes)
      if (n.m_NodeKind == 0) {
        ++stageNodes;
        EXPECT_TRUE(platform::IsRegularFile(n.m_StageFile)) << n.m_StageFile;
        EXPECT_GT(n.m_ClearSwitch, 0);
      }
  }
  EXPECT_GE(stageNodes, 2u);
}

TEST_F(SampleContent, SystemDataSpeaksEnglishAndNamesExistingFiles) {
  cSystem system;
  ASSERT_TRUE(system.Load("data\\System.dat"));
  auto plain = [](const std::string& s) {
    return std::all_of(s.begin(), s.end(), [](char c) { return c >= 0x20 && c < 0x7F; });
  };
  for (const std::string& label : system.m_Labels) EXPECT_TRUE(plain(label)) << label;
  for (const auto* menu : {&system.m_TitleMenu, &system.m_MapMenu, &system.m_OptionMenu})
    for (const cCmd& c : *menu) EXPECT_TRUE(plain(c.m_Label)) << c.m_Label;
  EXPECT_TRUE(plain(system.m_Title));
  for (const std::string& sound : system.m_SystemSounds) EXPECT_TRUE(platform::IsRegularFile(sound)) << sound;
  for (int32_t tune : system.m_SceneBgm) {
    EXPECT_GT(tune, 0);
    EXPECT_TRUE(platform::IsRegularFile(project_.Database().m_Bgms[static_cast<size_t>(tune)].m_File));
  }
}

// The stage-end results box stands at x 336 of the 640-pixel screen and is
// (W + L + 3) x 16 pixels wide, W at least 8 when the clear time is shown
// and L the longest shown label: with score values of up to 8 digits the
// box fits only when every result label (5 .. 9) has at most 8 characters.
TEST_F(SampleContent, ResultsBoxLabelsFitTheScreen) {
  cSystem system;
  ASSERT_TRUE(system.Load("data\\System.dat"));
  ASSERT_GE(system.m_Labels.size(), 10u);
  for (size_t i = 5; i <= 9; ++i) EXPECT_LE(system.m_Labels[i].size(), 8u) << i << ": " << system.m_Labels[i];
}

}  // namespace
