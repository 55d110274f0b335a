// ctest-label: data
#include "data/Stage.h"

#include <cstdlib>
#include <filesystem>

#include <gtest/gtest.h>

#include "data/CommonPalette.h"
#include "tests/data/stage_test_bytes.h"
#include "tests/support/TestSupport.h"

// The file's own namespace keeps its helpers apart from other test files compiled with it.
namespace stage_test {

namespace {
using namespace stagetest;

// A context of its own, so the program-wide palettes play no part.
cReadContext TestContext() {
  static cCommonPalette common;
  cReadContext c;
  c.commonPalette = &common;
  return c;
}

// tests/fixtures of the source tree: from the environment ctest sets, else
// from where this file was compiled.
std::filesystem::path FixturesDir() {
  if (const char* source = std::getenv("BRINDLE_SOURCE_DIR"); source && *source)
    return std::filesystem::path(source) / "tests" / "fixtures";
  return std::filesystem::path(__FILE__).parent_path().parent_path() / "fixtures";
}

bool ReadStage(cStage& stage, const Bytes& file, cReadContext context = TestContext()) {
  return stage.LoadFromBytes(file.bytes(), &context);
}

std::vector<unsigned char> WriteStage(cStage& stage) {
  cRecordWriter w;
  w.WriteU32(791);
  stage.Write(w);
  return w.Bytes();
}

TEST(StageFile, MinimalFixtureFromScriptLoadsAndWritesBackIdentically) {
  const std::filesystem::path script = FixturesDir() / "make_min_stage.py";
  ASSERT_TRUE(std::filesystem::exists(script)) << script;
  testsupport::TempDir dir;
  const std::filesystem::path out = dir.path() / "Min.stg4_000";
  const std::string command = "python3 '" + script.string() + "' '" + out.string() + "'";
  ASSERT_EQ(std::system(command.c_str()), 0) << command;
  const auto bytes = testsupport::ReadFileBytes(out);

  cStage stage;
  cReadContext context = TestContext();
  ASSERT_TRUE(stage.LoadFromBytes(bytes, &context));
  EXPECT_EQ(stage.m_Name, "Min stage");
  EXPECT_EQ(stage.m_Width, 20);
  EXPECT_EQ(stage.m_Height, 15);
  EXPECT_EQ(stage.FindHero(), 0);
  EXPECT_EQ(stage.m_PlacedCharas[0].m_Name, "hero");
  EXPECT_EQ(stage.m_SubSteps, 10);
  EXPECT_EQ(stage.m_CmdStepPeriod, 60);
  EXPECT_DOUBLE_EQ(stage.m_GravityStep, 0.004);
  ASSERT_EQ(stage.m_PlacedBlocks.size(), 20u);
  EXPECT_EQ(stage.m_PlacedBlocks[19].m_Col, 19);
  EXPECT_EQ(stage.m_PlacedBlocks[19].m_Row, 14);
  EXPECT_EQ(stage.m_PlacedBlocks[0].m_PalKind, PAL_STAGE);
  EXPECT_EQ(stage.m_PlacedBlocks[0].m_Hit, 1);
  ASSERT_EQ(stage.m_PlacedItems.size(), 1u);
  EXPECT_EQ(stage.m_PlacedItems[0].m_GfxIndex, 3);
  EXPECT_EQ(stage.m_PaletteBlocks[1].m_Name, "floor");
  ASSERT_EQ(stage.m_VarNames.size(), 1000u);
  EXPECT_EQ(stage.m_VarNames[0].m_Name, "coins");
  ASSERT_EQ(stage.m_BackLayers.size(), 1u);
  EXPECT_EQ(stage.m_BackLayers[0].m_File, "back.bmp");
  EXPECT_EQ(stage.m_RemoveAreas[4].m_BottomDist, 10);

  EXPECT_EQ(WriteStage(stage), bytes);
}

TEST(StageFile, FieldBlockHas98EntriesIn416Bytes) {
  cStage stage;
  auto bytes = WriteStage(stage);
  int32_t entries = 0, strings = 0;
  std::memcpy(&entries, bytes.data() + 4, 4);
  std::memcpy(&strings, bytes.data() + 8 + 416, 4);
  EXPECT_EQ(entries, 98);
  EXPECT_EQ(strings, 1);
}

TEST(StageFile, WrittenByTheBuilderAndByTheWriterAlike) {
  // The builder writes the same layout: the C++ writer reproduces it.
  StageSpec spec = PlayableStage();
  spec.paletteBlocks = {BlockBody(791, With(BlockValues(), {{"Hit", 0}, {"GfxIndex", 0}})),
                        BlockBody(791, BlockValues(), "floor")};
  spec.paletteCharas = {CharaBody(791, CharaValues()), CharaBody(791, CharaValues())};
  spec.paletteItems = {ItemBody(791, ItemValues()), ItemBody(791, ItemValues())};
  Bytes file = StageFile(spec);
  cStage stage;
  ASSERT_TRUE(ReadStage(stage, file));
  EXPECT_EQ(WriteStage(stage), file.bytes());
}

// Older layouts: what the file lacks and what the upgrade sets.
TEST(StageFile, Migrations) {
  {
    SCOPED_TRACE("154: flying hit boxes from the ground ones, alignments 0, BGM loop on");
    StageSpec s;
    s.version = 154;
    s.fields = With(StageValues(), {{"HeroHitW", 20}, {"HeroHitH", 30}, {"CharaHitW", 10}, {"CharaHitH", 22}});
    cStage stage;
    ASSERT_TRUE(ReadStage(stage, StageFile(s)));
    EXPECT_EQ(stage.m_HeroFlyHitW, 20);
    EXPECT_EQ(stage.m_HeroFlyHitH, 30);
    EXPECT_EQ(stage.m_CharaFlyHitW, 10);
    EXPECT_EQ(stage.m_CharaFlyHitH, 22);
    EXPECT_EQ(stage.m_HeroHitAlign, 0);
    EXPECT_EQ(stage.m_HeroFlyHitAlign, 0);
    EXPECT_EQ(stage.m_CharaHitAlign, 0);
    EXPECT_EQ(stage.m_CharaFlyHitAlign, 0);
    EXPECT_EQ(stage.m_BgmLoop, 1);
  }
  {
    SCOPED_TRACE("172: no trailer, read to its end");
    StageSpec s;
    s.version = 172;
    s.trailer = false;
    cStage stage;
    EXPECT_TRUE(ReadStage(stage, StageFile(s)));
  }
  {
    SCOPED_TRACE("173: the trailer is read and not looked at");
    StageSpec s;
    s.version = 173;
    s.trailerWord = 42;
    cStage stage;
    EXPECT_TRUE(ReadStage(stage, StageFile(s)));
  }
  {
    SCOPED_TRACE("180: three rank flags become five, the new two 0");
    StageSpec s;
    s.version = 180;
    s.rankFlags = {1, 1, 1};
    cStage stage;
    ASSERT_TRUE(ReadStage(stage, StageFile(s)));
    EXPECT_EQ(stage.m_RankFlags, (cVector<int32_t>{1, 1, 1, 0, 0}));
    EXPECT_EQ(stage.m_ShowStatusWindow, 1);
    EXPECT_EQ(stage.m_AutoEnd, 0);
  }
  {
    SCOPED_TRACE("181 keeps what it stores");
    StageSpec s;
    s.version = 181;
    s.rankFlags = {2, 3, 4, 5, 6};
    cStage stage;
    ASSERT_TRUE(ReadStage(stage, StageFile(s)));
    EXPECT_EQ(stage.m_RankFlags, (cVector<int32_t>{2, 3, 4, 5, 6}));
  }
  {
    SCOPED_TRACE("199: size boxes set, BGM keep off, no start caption");
    StageSpec s;
    s.version = 199;
    cStage stage;
    ASSERT_TRUE(ReadStage(stage, StageFile(s)));
    EXPECT_EQ(stage.m_BgmKeep, 0);
    EXPECT_EQ(stage.m_SizeBoxColour, 5);
    EXPECT_EQ(stage.m_CharaSizeH, 30);
    EXPECT_EQ(stage.m_CharaFlySizeH, 30);
    EXPECT_EQ(stage.m_CharaFlySizeAlign, 1);
    EXPECT_EQ(stage.m_HeroSizeH, 24);
    EXPECT_EQ(stage.m_ShowStartCaption, 0);
  }
  {
    SCOPED_TRACE("753: twelve variable names padded to 1000");
    StageSpec s;
    s.version = 753;
    s.varNames.assign(12, "v");
    s.varNames[11] = "last";
    cStage stage;
    ASSERT_TRUE(ReadStage(stage, StageFile(s)));
    ASSERT_EQ(stage.m_VarNames.size(), 1000u);
    EXPECT_EQ(stage.m_VarNames[11].m_Name, "last");
    EXPECT_EQ(stage.m_VarNames[12].m_Name, "");
  }
  {
    SCOPED_TRACE("791 with fewer rank flags is padded to five");
    StageSpec s;
    s.rankFlags = {1, 1};
    cStage stage;
    ASSERT_TRUE(ReadStage(stage, StageFile(s)));
    EXPECT_EQ(stage.m_RankFlags, (cVector<int32_t>{1, 1, 0, 0, 0}));
  }
}

// A stage with every removal edge on, read before an old stage, must not
// hand its flags to the old one (a version-124 file stores only the left flag).
TEST(StageFile, OlderFileDoesNotInheritThePreviousStage) {
  StageSpec all;
  for (auto& a : all.areas) a = {1, 1, 1, 1, 7, 7, 7, 7};
  all.fields = With(StageValues(), {{"BgmKeep", 1}, {"AutoEnd", 1}});
  StageSpec old;
  old.version = 124;

  cStage reused;
  ASSERT_TRUE(ReadStage(reused, StageFile(all)));
  ASSERT_TRUE(ReadStage(reused, StageFile(old)));
  cStage fresh;
  ASSERT_TRUE(ReadStage(fresh, StageFile(old)));
  EXPECT_EQ(reused.m_RemoveAreas[0].m_RightOn, 0);
  EXPECT_EQ(WriteStage(reused), WriteStage(fresh));
}

TEST(StageFile, PaletteEntryZeroIsBlankAndEmptyPalettesGetTwo) {
  StageSpec s;
  s.paletteBlocks = {BlockBody(791, With(BlockValues(), {{"GfxIndex", 9}}), "stored")};
  s.paletteCharas = {CharaBody(791, With(CharaValues(), {{"MaxHp", 99}}), "stored")};
  cStage stage;
  ASSERT_TRUE(ReadStage(stage, StageFile(s)));
  ASSERT_EQ(stage.m_PaletteBlocks.size(), 2u);
  EXPECT_EQ(stage.m_PaletteBlocks[0].m_Name, "");
  EXPECT_EQ(stage.m_PaletteBlocks[0].m_GfxIndex, 0);
  EXPECT_EQ(stage.m_PaletteCharas[0].m_MaxHp, 10);
  ASSERT_EQ(stage.m_PaletteItems.size(), 2u);  // stored with none
  EXPECT_EQ(stage.m_PaletteItems[1].m_GfxKind, 2);
}

TEST(StageFile, PlacedObjectsInheritFromTheStageBeingRead) {
  StageSpec s;
  s.paletteBlocks = {BlockBody(791, BlockValues()),
                     BlockBody(791, With(BlockValues(), {{"GfxKind", 4}, {"GfxIndex", 7}, {"GfxPattern", 2}}), "src")};
  // (2, 1) taking group 2, the picture; (2, 5) is past the palette's end.
  s.placedBlocks = {BlockBody(791, With(BlockValues(), {{"PalKind", 2}, {"PalIndex", 1}}), "", 0, 0, Flags(11, {2})),
                    BlockBody(791, With(BlockValues(), {{"PalKind", 2}, {"PalIndex", 5}}), "", 1, 0, Flags(11, {2}))};
  cStage stage;
  ASSERT_TRUE(ReadStage(stage, StageFile(s)));
  const cBlockDef& b = stage.m_PlacedBlocks[0];
  EXPECT_EQ(b.m_GfxKind, 4);
  EXPECT_EQ(b.m_GfxIndex, 7);
  EXPECT_EQ(b.m_GfxPattern, 2);
  EXPECT_EQ(b.m_Name, "");  // group 0 not flagged
  EXPECT_EQ(b.m_PalKind, PAL_STAGE);
  // The failed inheritance turns the reference off and keeps the index.
  EXPECT_EQ(stage.m_PlacedBlocks[1].m_PalKind, PAL_NONE);
  EXPECT_EQ(stage.m_PlacedBlocks[1].m_PalIndex, 5);

  // The program-wide stage (one palette entry) plays no part in writing:
  // the references into this stage's palette survive.
  auto bytes = WriteStage(stage);
  cStage again;
  cReadContext context = TestContext();
  ASSERT_TRUE(again.LoadFromBytes(bytes, &context));
  EXPECT_EQ(again.m_PlacedBlocks[0].m_PalKind, PAL_STAGE);
  EXPECT_EQ(again.m_PlacedBlocks[0].m_PalIndex, 1);
}

TEST(StageFile, BrokenMapSizesAreRefused) {
  for (auto [w, h] : {std::pair{0, 15}, {20, 0}, {-3, 15}, {20, -1}, {1 << 16, 1 << 16}, {1 << 23, 1}}) {
    SCOPED_TRACE(testing::Message() << w << "x" << h);
    StageSpec s = PlayableStage();
    s.fields = With(StageValues(), {{"Width", w}, {"Height", h}});
    cStage stage;
    stage.m_Name = "before";
    EXPECT_FALSE(ReadStage(stage, StageFile(s)));
    EXPECT_EQ(stage.m_Name, "before");
  }
}

TEST(StageFile, TruncatedFilesAreRefused) {
  Bytes file = StageFile(PlayableStage());
  for (size_t cut : {size_t{6}, size_t{200}, file.bytes().size() / 2, file.bytes().size() - 13000}) {
    Bytes part;
    part.bytes().assign(file.bytes().begin(), file.bytes().begin() + static_cast<long>(cut));
    cStage stage;
    EXPECT_FALSE(ReadStage(stage, part)) << cut;
  }
}

TEST(StageFile, CancelledReadStops) {
  std::atomic<bool> cancel{true};
  cReadContext context = TestContext();
  context.cancel = &cancel;
  cStage stage;
  stage.m_Name = "before";
  EXPECT_FALSE(ReadStage(stage, StageFile(PlayableStage()), context));
  EXPECT_EQ(stage.m_Name, "before");
}

TEST(StageValidate, Repairs) {
  cReadContext context = TestContext();
  context.dbCount[static_cast<int>(DbList::Bgm)] = 4;
  struct Case {
    const char* what;
    Values fields;
    std::function<void(const cStage&)> check;
  };
  const Case cases[] = {
      {"left column past width - 20", {{"Width", 40}, {"LimitLeftCol", 50}},
       [](const cStage& s) { EXPECT_EQ(s.m_LimitLeftCol, 20); }},
      {"right column and rows capped", {{"LimitRightCol", 25}, {"LimitTopRow", 3}, {"LimitBottomRow", 99}},
       [](const cStage& s) {
         EXPECT_EQ(s.m_LimitRightCol, 19);
         EXPECT_EQ(s.m_LimitTopRow, 0);
         EXPECT_EQ(s.m_LimitBottomRow, 14);
       }},
      {"map narrower than the screen", {{"Width", 5}, {"Height", 4}, {"LimitLeftCol", 3}, {"LimitTopRow", -2}},
       [](const cStage& s) {
         EXPECT_EQ(s.m_LimitLeftCol, 0);
         EXPECT_EQ(s.m_LimitTopRow, 0);
       }},
      {"frame rate 0", {{"FrameRate", 0}}, [](const cStage& s) { EXPECT_EQ(s.m_FrameRate, 60); }},
      {"frame rate -5", {{"FrameRate", -5}}, [](const cStage& s) { EXPECT_EQ(s.m_FrameRate, 60); }},
      {"BGM past the list", {{"Bgm", 4}}, [](const cStage& s) { EXPECT_EQ(s.m_Bgm, 0); }},
      {"negative BGM", {{"Bgm", -1}}, [](const cStage& s) { EXPECT_EQ(s.m_Bgm, 0); }},
      {"BGM in the list", {{"Bgm", 3}}, [](const cStage& s) { EXPECT_EQ(s.m_Bgm, 3); }},
      {"hit level 0", {{"HitLevel", 0}}, [](const cStage& s) {
         EXPECT_EQ(s.m_HitLevel, 10);
         EXPECT_EQ(s.m_SubSteps, 10);
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    StageSpec s;
    s.fields = With(StageValues(), c.fields);
    cStage stage;
    ASSERT_TRUE(ReadStage(stage, StageFile(s), context));
    c.check(stage);
  }
}

TEST(StageValidate, ChecksPaletteReferencesOfCommands) {
  cStage stage;
  cItemDef item;
  cFlowCmd take;  // item command "アイテムの取得": palette, index
  take.m_CmdSet = 1;
  take.m_CmdKind = 10;
  take.m_Params = {1, 7};  // stage palette, past its two entries
  item.m_Commands.push_back(take);
  stage.m_PlacedItems.push_back(item);
  stage.Validate(TestContext());
  EXPECT_EQ(stage.m_PlacedItems[0].m_Commands[0].m_Params[1], 1);
}

TEST(StageHitLevel, Table) {
  struct Row {
    int level, storedLevel, n;
    double speedCap, stepCap;
  };
  const Row rows[] = {{1, 1, 1, 6, 6},   {5, 5, 5, 30, 6},    {10, 10, 10, 60, 6}, {11, 11, 1, 60, 60},
                      {15, 15, 5, 60, 12}, {19, 19, 9, 60, 60.0 / 9}, {0, 10, 10, 60, 6},  {25, 10, 10, 60, 6}};
  for (const Row& r : rows) {
    SCOPED_TRACE(r.level);
    cStage stage;
    stage.SetHitLevel(r.level);
    EXPECT_EQ(stage.m_HitLevel, r.storedLevel);
    EXPECT_EQ(stage.m_SubSteps, r.n);
    EXPECT_DOUBLE_EQ(stage.m_SubStepsF, r.n);
    EXPECT_DOUBLE_EQ(stage.m_SubStepsSq, r.n * r.n);
    EXPECT_EQ(stage.m_CmdStepPeriod, 6 * r.n);
    EXPECT_DOUBLE_EQ(stage.m_SpeedCap, r.speedCap);
    EXPECT_DOUBLE_EQ(stage.m_StepCap, r.stepCap);
    EXPECT_EQ(stage.m_FallStepLimit, 8 * r.n);
    EXPECT_DOUBLE_EQ(stage.m_GravityStep, 0.4 / (r.n * r.n));
  }
}

TEST(StageHero, FirstPlayerCharacterWithAPicture) {
  auto chara = [](int control, int gfx) {
    cCharaDef c;
    c.m_Control = static_cast<int8_t>(control);
    c.m_GfxIndex = static_cast<int16_t>(gfx);
    return c;
  };
  cStage stage;
  EXPECT_EQ(stage.FindHero(), -1);
  stage.m_PlacedCharas = {chara(1, 5), chara(0, 0), chara(0, 2), chara(0, 3)};
  EXPECT_EQ(stage.FindHero(), 2);
  EXPECT_TRUE(stage.HasHero());
  stage.m_PlacedCharas = {chara(1, 5), chara(1, 6)};
  EXPECT_FALSE(stage.HasHero());
}

TEST(StageDefaults, NewStage) {
  cStage stage;
  EXPECT_EQ(stage.m_PaletteBlocks.size(), 1u);
  EXPECT_EQ(stage.m_RankFlags, (cVector<int32_t>{1, 1, 1, 1, 1}));
  ASSERT_EQ(stage.m_BackLayers.size(), 1u);
  EXPECT_EQ(stage.m_BackLayers[0].m_Fill, 1);
  EXPECT_EQ(stage.m_BackLayers[0].m_Show, 0);  // cleared, not given the layer defaults
  EXPECT_EQ(stage.m_RemoveAreas[3].m_TopOn, 1);
  EXPECT_EQ(stage.m_RemoveAreas[3].m_TopDist, 0);
  EXPECT_EQ(stage.m_RemoveAreas[4].m_LeftDist, 10);
  EXPECT_EQ(stage.m_RemoveAreas[2].m_LeftOn, 0);
  EXPECT_EQ(stage.m_SubSteps, 0);
  EXPECT_EQ(stage.m_HeroImmuneFrames, 30);
  EXPECT_EQ(stage.m_CharaHitW, 12);
}

TEST(StageReplay, ScalarsFromTheCopyListsFromThePlayedStage) {
  cStage played, scalars;
  ASSERT_TRUE(ReadStage(played, StageFile(PlayableStage())));
  scalars.AssignScalars(played);
  played.m_Name = "changed in play";
  played.m_TimeLimit = 5;
  played.m_RemoveAreas[0].m_LeftOn = 1;
  scalars.m_VarNames.resize(3);

  cRecordWriter w;
  w.WriteU32(791);
  played.WriteReplay(w, scalars);
  cStage back;
  ASSERT_TRUE(ReadStage(back, Bytes{w.Bytes()}));
  EXPECT_EQ(back.m_Name, "stage");
  EXPECT_EQ(back.m_TimeLimit, 200);
  EXPECT_EQ(back.m_RemoveAreas[0].m_LeftOn, 0);
  EXPECT_EQ(back.m_VarNames.size(), 3u);
  EXPECT_EQ(back.m_PlacedCharas.size(), 1u);
  EXPECT_EQ(back.m_PlacedBlocks.size(), 1u);
}

}  // namespace

}  // namespace stage_test
