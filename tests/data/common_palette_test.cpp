// ctest-label: data
#include "data/CommonPalette.h"

#include <gtest/gtest.h>

#include "data/Stage.h"
#include "platform/FileSystem.h"
#include "tests/data/stage_test_bytes.h"
#include "tests/support/TestSupport.h"

// The file's own namespace keeps its helpers apart from other test files compiled with it.
namespace common_palette_test {

namespace {
using namespace stagetest;

Bytes PaletteFile(const std::vector<Bytes>& blocks, const std::vector<Bytes>& charas, const std::vector<Bytes>& items,
                  uint32_t version = 791) {
  Bytes b;
  b.U32(version).I32(0).I32(0);
  for (const auto* list : {&blocks, &charas, &items}) {
    b.U32(static_cast<uint32_t>(list->size()));
    for (const Bytes& body : *list) b.Raw(body);
  }
  return b;
}

bool ReadPalette(cCommonPalette& palette, const Bytes& file) {
  cStage stage;  // the program-wide stage plays no part
  cReadContext context;
  context.stage = &stage;
  return palette.LoadFromBytes(file.bytes(), &context);
}

TEST(CommonPalette, ShortListsArePaddedToTwo) {
  const std::vector<Bytes> items(5, ItemBody(791, ItemValues(), "item"));
  cCommonPalette palette;
  ASSERT_TRUE(ReadPalette(palette, PaletteFile({}, {CharaBody(791, CharaValues(), "one")}, items)));
  ASSERT_EQ(palette.m_Blocks.size(), 2u);
  ASSERT_EQ(palette.m_Charas.size(), 2u);
  ASSERT_EQ(palette.m_Items.size(), 5u);
  EXPECT_EQ(palette.m_Blocks[1].m_HitException, 255);
  EXPECT_EQ(palette.m_Charas[1].m_MaxHp, 10);
  EXPECT_EQ(palette.m_Charas[1].m_Inherit.size(), 37u);
  EXPECT_EQ(palette.m_Items[4].m_Name, "item");
}

TEST(CommonPalette, EntryZeroIsBlankButKeepsItsLists) {
  cCommonPalette palette;
  // Entry 0 stored with a name, a picture and (blocks) one empty condition.
  Bytes block = BlockBody(791, With(BlockValues(), {{"GfxIndex", 9}}), "named");
  block.bytes().resize(block.bytes().size() - 4);
  block.U32(1).I32(0).I32(0);  // a condition with no stored fields
  Bytes chara = CharaBody(791, With(CharaValues(), {{"GfxIndex", 4}, {"MaxHp", 50}}), "named");
  Bytes item = ItemBody(791, With(ItemValues(), {{"Sound", 2}}), "named");
  ASSERT_TRUE(ReadPalette(palette, PaletteFile({block}, {chara}, {item})));
  EXPECT_EQ(palette.m_Blocks[0].m_Name, "");
  EXPECT_EQ(palette.m_Blocks[0].m_GfxIndex, 0);
  EXPECT_EQ(palette.m_Blocks[0].m_Conds.size(), 1u);
  EXPECT_EQ(palette.m_Charas[0].m_Name, "");
  EXPECT_EQ(palette.m_Charas[0].m_MaxHp, 10);
  EXPECT_EQ(palette.m_Charas[0].m_GfxIndex, 0);
  EXPECT_EQ(palette.m_Items[0].m_Sound, 0);
}

TEST(CommonPalette, EntriesInheritFromLowerEntriesWhileReadingThenLoseTheirFlags) {
  std::vector<Bytes> charas = {
      CharaBody(791, CharaValues()),
      CharaBody(791, With(CharaValues(), {{"MaxHp", 77}, {"Score", 500}}), "source"),
      CharaBody(791, With(CharaValues(), {{"MaxHp", 5}})),
      // (1, 1) taking the name (0) and the HP (23)
      CharaBody(791, With(CharaValues(), {{"PalKind", 1}, {"PalIndex", 1}}), "", 0, 0, Flags(37, {0, 23})),
      // (1, 5): a higher entry, read later, gives its defaults
      CharaBody(791, With(CharaValues(), {{"PalKind", 1}, {"PalIndex", 5}, {"MaxHp", 33}}), "", 0, 0, Flags(37, {23})),
      CharaBody(791, With(CharaValues(), {{"MaxHp", 99}})),
  };
  cCommonPalette palette;
  ASSERT_TRUE(ReadPalette(palette, PaletteFile({}, charas, {})));
  EXPECT_EQ(palette.m_Charas[3].m_Name, "source");
  EXPECT_EQ(palette.m_Charas[3].m_MaxHp, 77);
  EXPECT_EQ(palette.m_Charas[3].m_Score, 0);
  EXPECT_EQ(palette.m_Charas[4].m_MaxHp, 10);
  for (const cCharaDef& c : palette.m_Charas)
    for (int8_t flag : c.m_Inherit) EXPECT_EQ(flag, 0);
}

TEST(CommonPalette, FreshPaletteIs578BytesWithTwoEntriesEach) {
  cCommonPalette palette;
  auto bytes = palette.SaveToBytes();
  EXPECT_EQ(bytes.size(), 578u);
  EXPECT_EQ(palette.m_Blocks.size(), 2u);
  EXPECT_EQ(palette.m_Charas.size(), 2u);
  EXPECT_EQ(palette.m_Items.size(), 2u);
  Bytes two = PaletteFile({BlockBody(791, With(BlockValues(), {{"GfxIndex", 0}, {"Hit", 0}})),
                           BlockBody(791, With(BlockValues(), {{"GfxIndex", 0}, {"Hit", 0}}))},
                          {CharaBody(791, CharaValues()), CharaBody(791, CharaValues())},
                          {ItemBody(791, ItemValues()), ItemBody(791, ItemValues())});
  EXPECT_EQ(bytes, two.bytes());
}

TEST(CommonPalette, FailedLoadsLeaveThePaletteAsItWas) {
  testsupport::ProjectFolder dir;
  cCommonPalette palette;
  palette.m_Items.resize(3);
  palette.m_Items[2].m_Name = "kept";

  EXPECT_FALSE(palette.Load("data\\CommonPalette.cplt4"));  // missing

  std::filesystem::create_directories(dir.path() / "data");
  Bytes newer = PaletteFile({}, {}, {ItemBody(791, ItemValues())}, 792);
  testsupport::WriteFileBytes(dir.path() / "data" / "CommonPalette.cplt4", newer.bytes());
  EXPECT_FALSE(palette.Load("data\\CommonPalette.cplt4"));
  EXPECT_EQ(bNewerFile, 1);

  Bytes broken = PaletteFile({}, {}, {ItemBody(791, ItemValues())});
  broken.bytes().resize(broken.bytes().size() - 3);
  testsupport::WriteFileBytes(dir.path() / "data" / "CommonPalette.cplt4", broken.bytes());
  EXPECT_FALSE(palette.Load("data\\CommonPalette.cplt4"));

  ASSERT_EQ(palette.m_Items.size(), 3u);
  EXPECT_EQ(palette.m_Items[2].m_Name, "kept");

  ASSERT_TRUE(palette.Save("data\\CommonPalette.cplt4"));
  cCommonPalette back;
  ASSERT_TRUE(back.Load("data\\CommonPalette.cplt4"));
  EXPECT_EQ(back.m_Items.size(), 3u);
  EXPECT_EQ(back.m_Items[2].m_Name, "kept");
}

}  // namespace

}  // namespace common_palette_test
