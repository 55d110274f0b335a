// ctest-label: data
// Block, character and item definitions: file bodies, version upgrades,
// palette inheritance and validation.
#include <map>
#include <set>

#include <gtest/gtest.h>

#include "data/BlockDef.h"
#include "data/CharaDef.h"
#include "data/CommonPalette.h"
#include "data/ItemDef.h"
#include "data/Stage.h"
#include "tests/data/stage_test_bytes.h"

// The file's own namespace keeps its helpers apart from other test files compiled with it.
namespace block_chara_item_def_test {

namespace {
using namespace stagetest;
using Snapshot = std::map<std::string, std::string>;

template <class Def>
bool ReadBody(Def& def, const Bytes& body, uint32_t version, cReadContext context) {
  cRecordReader r(body.bytes());
  r.SetVersion(version);
  r.SetContext(&context);
  return def.Read(r) && r.Ok() && r.AtEnd();
}

template <class Def>
Bytes WriteBody(Def& def, const cReadContext& context) {
  cRecordWriter w;
  def.Write(w, context);
  return Bytes{w.Bytes()};
}

// Every field of a definition by its name in the layout table, plus the
// name text and the sizes of its lists.
template <class Def>
Snapshot Snap(Def& def, const std::vector<Field>& table) {
  Snapshot s;
  def.RegisterFields(791);
  const auto& fields = def.Fields();
  EXPECT_EQ(fields.size(), table.size());
  for (size_t i = 0; i < fields.size() && i < table.size(); ++i) {
    const auto* p = static_cast<const char*>(fields[i].address);
    s[table[i].name] = std::string(p, p + fields[i].count * fields[i].elementSize);
  }
  s["Name"] = def.m_Name;
  s["Conds"] = std::to_string(def.m_Conds.size());
  if constexpr (requires { def.m_Flows; }) s["Flows"] = std::to_string(def.m_Flows.size());
  if constexpr (requires { def.m_Commands; }) s["Commands"] = std::to_string(def.m_Commands.size());
  return s;
}

// A source whose every field differs from the defaults.
template <class Def>
Def DistinctSource() {
  Def d;
  d.RegisterFields(791);
  int k = 0;
  for (const auto& f : d.Fields()) std::memset(f.address, 0x40 + k++, static_cast<size_t>(f.count * f.elementSize));
  d.m_Name = "source";
  d.m_Conds.resize(2);
  if constexpr (requires { d.m_Flows; }) {
    d.m_Flows.resize(2);
    d.m_Flows[1].m_Trigger = 4;
  }
  if constexpr (requires { d.m_Commands; }) d.m_Commands.resize(3);
  return d;
}

// For each group alone: exactly the listed members come from the source.
template <class Def, class ListOf>
void CheckGroupTable(const std::vector<Field>& table, const std::vector<std::set<std::string>>& groups,
                     ListOf listOf) {
  cCommonPalette common;
  auto& list = listOf(common);
  list.resize(2);
  list[1] = DistinctSource<Def>();
  cReadContext context;
  context.commonPalette = &common;
  const Snapshot source = Snap(list[1], table);
  ASSERT_EQ(groups.size(), Def::kInheritGroups);
  for (size_t g = 0; g < groups.size(); ++g) {
    SCOPED_TRACE(testing::Message() << "group " << g);
    Def def;
    def.m_PalKind = PAL_COMMON;
    def.m_PalIndex = 1;
    def.m_Inherit[g] = 1;
    const Snapshot before = Snap(def, table);
    def.InheritFromPalette(context);
    const Snapshot after = Snap(def, table);
    for (const auto& [key, value] : after) {
      if (groups[g].count(key)) {
        EXPECT_EQ(value, source.at(key)) << key;
        EXPECT_NE(value, before.at(key)) << key;
      } else {
        EXPECT_EQ(value, before.at(key)) << key;
      }
    }
  }
}

// --- blocks ---

TEST(BlockDef, InheritanceGroupsOneAtATime) {
  CheckGroupTable<cBlockDef>(BlockFields(),
                             {{"Name"},
                              {"Conds", "CondMode", "CondLatch"},
                              {"GfxKind", "GfxIndex", "GfxPattern"},
                              {"Front"},
                              {"Hidden"},
                              {"Overlay", "OverlayChip"},
                              {"Hit"},
                              {"HitException"},
                              {"Effect", "EffectValue"},
                              {"ItemKind", "ItemIndex"},
                              {"Fixed"}},
                             [](cCommonPalette& p) -> cVector<cBlockDef>& { return p.m_Blocks; });
}

TEST(BlockDef, ReferencesThatNameNothing) {
  cCommonPalette common;
  common.m_Blocks.resize(3);
  common.m_Blocks[1] = DistinctSource<cBlockDef>();
  cStage stage;
  stage.m_PaletteBlocks.resize(5);
  cReadContext context;
  context.commonPalette = &common;
  context.stage = &stage;

  cBlockDef blank;  // (1, 0): entry 0 is never a source
  blank.m_PalKind = PAL_COMMON;
  blank.m_Inherit.Fill(1);
  blank.InheritFromPalette(context);
  EXPECT_EQ(blank.m_Name, "");
  EXPECT_EQ(blank.m_PalKind, PAL_COMMON);

  cBlockDef past;  // (2, 5) with five stage entries
  past.m_PalKind = PAL_STAGE;
  past.m_PalIndex = 5;
  past.m_Inherit.Fill(1);
  past.InheritFromPalette(context);
  EXPECT_EQ(past.m_PalKind, PAL_NONE);
  EXPECT_EQ(past.m_PalIndex, 5);

  cBlockDef checked;
  checked.m_PalKind = PAL_STAGE;
  checked.m_PalIndex = 5;
  checked.ValidatePaletteRef(context);
  EXPECT_EQ(checked.m_PalKind, PAL_NONE);
  EXPECT_EQ(checked.m_PalIndex, 0);

  cBlockDef negative;
  negative.m_PalKind = PAL_COMMON;
  negative.m_PalIndex = -1;
  negative.ValidatePaletteRef(context);
  EXPECT_EQ(negative.m_PalKind, PAL_NONE);

  cBlockDef item;
  item.m_ItemKind = PAL_STAGE;
  item.m_ItemIndex = 1;  // the stage palette has one item entry
  item.ValidateItemRef(context);
  EXPECT_EQ(item.m_ItemKind, PAL_NONE);
  EXPECT_EQ(item.m_ItemIndex, 0);
}

TEST(BlockDef, FlagsForConditionsAndPictureOnly) {
  cCommonPalette common;
  common.m_Blocks.resize(2);
  common.m_Blocks[1] = DistinctSource<cBlockDef>();
  cReadContext context;
  context.commonPalette = &common;
  cBlockDef def;
  def.m_PalKind = PAL_COMMON;
  def.m_PalIndex = 1;
  def.m_Inherit = {0, 1, 1};
  def.m_Name = "own";
  def.InheritFromPalette(context);
  EXPECT_EQ(def.m_Conds.size(), 2u);
  EXPECT_EQ(def.m_GfxIndex, common.m_Blocks[1].m_GfxIndex);
  EXPECT_EQ(def.m_Name, "own");
  EXPECT_EQ(def.m_Hit, 1);
}

TEST(BlockDef, OldShotPicturesMoveUpOne) {
  struct Row {
    uint32_t version;
    int kind, stored, expected;
  };
  for (Row r : {Row{200, 3, 119, 119}, Row{200, 3, 40, 41}, Row{218, 3, 0, 1}, Row{219, 3, 40, 40},
                Row{200, 1, 40, 40}}) {
    SCOPED_TRACE(testing::Message() << r.version << " " << r.stored);
    cBlockDef def;
    ASSERT_TRUE(ReadBody(def, BlockBody(r.version, With(BlockValues(), {{"GfxKind", r.kind}, {"GfxIndex", r.stored}})),
                         r.version, cReadContext{}));
    EXPECT_EQ(def.m_GfxIndex, r.expected);
  }
}

TEST(BlockDef, EmptyBlockIsWrittenPassableAndNotFixed) {
  cBlockDef def;
  def.m_GfxIndex = 0;
  def.m_Hit = 1;
  def.m_Fixed = 1;
  Bytes out = WriteBody(def, cReadContext{});
  Bytes expected = BlockBody(791, With(BlockValues(), {{"GfxIndex", 0}, {"Hit", 0}, {"Fixed", 0}}));
  EXPECT_EQ(out.bytes(), expected.bytes());
}

TEST(BlockDef, BodyRoundTrip) {
  Bytes body = BlockBody(791, With(BlockValues(), {{"Effect", 3}, {"EffectValue", -70000}, {"HitException", 200}}),
                         "\x83\x75\x83\x8D\x83\x62\x83\x4E", 7, 9, Flags(11, {4}));  // ブロック
  cBlockDef def;
  ASSERT_TRUE(ReadBody(def, body, 791, cReadContext{}));
  EXPECT_EQ(def.m_EffectValue, -70000);
  EXPECT_EQ(def.m_HitException, 200);
  EXPECT_EQ(def.m_Col, 7);
  EXPECT_EQ(WriteBody(def, cReadContext{}).bytes(), body.bytes());
}

// --- characters ---

TEST(CharaDef, InheritanceGroupsOneAtATime) {
  CheckGroupTable<cCharaDef>(
      CharaFields(),
      {{"Name"},
       {"Control", "PlayerNo"},
       {"Faction"},
       {"CharaId"},
       {"Conds", "CondMode", "CondLatch"},
       {"Facing"},
       {"CopyCount"},
       {"CopyOriginX", "CopyStepX", "CopyMirrorX"},
       {"CopyOriginY", "CopyStepY", "CopyMirrorY"},
       {"GfxKind", "GfxIndex", "GfxPattern"},
       {"AnimeSet"},
       {"Z"},
       {"Transparent"},
       {"CharaEffect", "CharaEffectArg1", "CharaEffectArg2"},
       {"CharaEffect2", "CharaEffect2Arg"},
       {"EmblemSwitch", "Emblem"},
       {"FixedFacing"},
       {"Fly"},
       {"Invincible", "DrawSwitch"},
       {"BlockChara"},
       {"Size"},
       {"ScrollSync"},
       {"ViewShape", "ViewRange"},
       {"MaxHp"},
       {"MaxSp"},
       {"HitBox"},
       {"BodyPower"},
       {"BodyImpact"},
       {"EffectNo"},
       {"Defence"},
       {"ImpactResist"},
       {"StopEase"},
       {"ActiveRange", "ActiveMode"},
       {"GroupNo", "InGroup"},
       {"Score"},
       {"Switch"},
       {"Flows"}},
      [](cCommonPalette& p) -> cVector<cCharaDef>& { return p.m_Charas; });
}

TEST(CharaDef, FlowsFromASourceWithoutFlowsLeaveOneDefaultFlow) {
  cCommonPalette common;
  common.m_Charas.resize(2);
  cReadContext context;
  context.commonPalette = &common;
  cCharaDef def;
  def.m_Flows.resize(3);
  def.m_PalKind = PAL_COMMON;
  def.m_PalIndex = 1;
  def.m_Inherit[36] = 1;
  def.InheritFromPalette(context);
  ASSERT_EQ(def.m_Flows.size(), 1u);
  EXPECT_EQ(def.m_Flows[0].m_KeyTolerance, 3);
  // The empty flow is dropped by validation.
  def.Validate(context);
  EXPECT_TRUE(def.m_Flows.empty());
}

TEST(CharaDef, ValidateDropsEmptyFlowsOnly) {
  cCharaDef def;
  def.m_Flows.resize(4);
  def.m_Flows[1].m_FlowId = 2;  // a flow that carries only an ID is kept
  def.m_Flows[3].m_Trigger = 1;
  def.Validate(cReadContext{});
  ASSERT_EQ(def.m_Flows.size(), 2u);
  EXPECT_EQ(def.m_Flows[0].m_FlowId, 2);
  EXPECT_EQ(def.m_Flows[1].m_Trigger, 1);
}

TEST(CharaDef, Version150WithThirtyFourFlags) {
  // Old flags 0, 20, 22, 26 and 33 set.
  Bytes body = CharaBody(150, CharaValues(), "", 0, 0, Flags(34, {0, 20, 22, 26, 33}));
  cCharaDef def;
  ASSERT_TRUE(ReadBody(def, body, 150, cReadContext{}));
  ASSERT_EQ(def.m_Inherit.size(), 37u);
  std::set<int> on;
  for (int i = 0; i < 37; ++i)
    if (def.m_Inherit[static_cast<size_t>(i)]) on.insert(i);
  // New groups 21, 25, 29 start inherited; the old flags follow their groups.
  EXPECT_EQ(on, (std::set<int>{0, 20, 21, 23, 25, 28, 29, 36}));
  EXPECT_EQ(def.m_Defence, 0);
  EXPECT_EQ(def.m_DrawSwitch, 1);
}

TEST(CharaDef, VersionUpgrades) {
  struct Row {
    uint32_t version;
    Values stored;
    const char* what;
    std::function<void(const cCharaDef&)> check;
  };
  const Row rows[] = {
      {205, {{"HitBox", 2}}, "hit box 2 becomes 3", [](const cCharaDef& d) { EXPECT_EQ(d.m_HitBox, 3); }},
      {205, {{"HitBox", 1}}, "hit box 1 stays", [](const cCharaDef& d) { EXPECT_EQ(d.m_HitBox, 1); }},
      {206, {{"HitBox", 2}}, "from 206 as stored", [](const cCharaDef& d) { EXPECT_EQ(d.m_HitBox, 2); }},
      {195, {{"CharaEffectArg2", 4}}, "no effect settings before 196", [](const cCharaDef& d) {
         EXPECT_EQ(d.m_CharaEffectArg1, 0);
         EXPECT_EQ(d.m_CharaEffectArg2, 4);
       }},
      {284, {{"Invincible", 1}}, "draw switch on before 285", [](const cCharaDef& d) { EXPECT_EQ(d.m_DrawSwitch, 1); }},
      {285, {}, "draw switch as stored", [](const cCharaDef& d) { EXPECT_EQ(d.m_DrawSwitch, 0); }},
      {200, {{"GfxKind", 3}, {"GfxIndex", 119}}, "shot picture 119 stays",
       [](const cCharaDef& d) { EXPECT_EQ(d.m_GfxIndex, 119); }},
      {209, {{"GfxKind", 3}, {"GfxIndex", 5}}, "shot picture moves up",
       [](const cCharaDef& d) {
         EXPECT_EQ(d.m_GfxIndex, 6);
         EXPECT_EQ(d.m_ScrollSync, 0);
         EXPECT_EQ(d.m_Inherit[21], 1);
       }},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    cCharaDef def;
    ASSERT_TRUE(ReadBody(def, CharaBody(r.version, With(CharaValues(), r.stored)), r.version, cReadContext{}));
    r.check(def);
  }
}

TEST(CharaDef, ValidateRepairs) {
  cReadContext context;
  context.dbCount[static_cast<int>(DbList::BmpCharaExc)] = 3;
  context.dbCount[static_cast<int>(DbList::AnimeSet)] = 2;
  context.dbCount[static_cast<int>(DbList::CharaEffect)] = 4;
  context.dbCount[static_cast<int>(DbList::Effect)] = 5;
  cCharaDef def;
  def.m_Control = 0;
  def.m_CopyCount = 4;
  def.m_BlockChara = 1;
  def.m_GfxKind = 4;
  def.m_GfxIndex = 3;
  def.m_Size = 0;
  def.m_AnimeSet = 2;
  def.m_CharaEffect = 3;
  def.m_CharaEffect2 = -1;
  def.m_EffectNo = 4;
  Bytes out = WriteBody(def, context);
  EXPECT_EQ(def.m_CopyCount, 0);
  EXPECT_EQ(def.m_BlockChara, 0);
  EXPECT_EQ(def.m_GfxIndex, 1);
  EXPECT_EQ(def.m_Size, 1);
  EXPECT_EQ(def.m_AnimeSet, 0);
  EXPECT_EQ(def.m_CharaEffect, 3);
  EXPECT_EQ(def.m_CharaEffect2, 0);
  EXPECT_EQ(def.m_EffectNo, 4);
  // Written as repaired.
  cCharaDef back;
  ASSERT_TRUE(ReadBody(back, out, 791, context));
  EXPECT_EQ(back.m_CopyCount, 0);
}

TEST(CharaDef, TestPlayFlowsKeptOnlyForTheEditor) {
  cCharaDef def;
  def.m_Flows.resize(2);
  def.m_Flows[0].m_Trigger = 1;
  def.m_Flows[1].m_Trigger = 2;
  def.m_Flows[1].m_TestPlayOnly = 1;
  Bytes body = WriteBody(def, cReadContext{});
  for (bool editor : {false, true}) {
    cReadContext context;
    context.startedByEditor = editor;
    cCharaDef back;
    ASSERT_TRUE(ReadBody(back, body, 791, context));
    EXPECT_EQ(back.m_Flows.size(), editor ? 2u : 1u);
  }
}

TEST(CharaDef, CopyOffsets) {
  cCharaDef def;
  def.m_CopyOriginX = 8;
  def.m_CopyStepX = 16;
  def.m_CopyMirrorX = 1;
  def.m_CopyOriginY = -4;
  def.m_CopyStepY = 3;
  EXPECT_DOUBLE_EQ(def.CalcX(2, 1), -40);
  EXPECT_DOUBLE_EQ(def.CalcX(2, 0), 40);
  EXPECT_DOUBLE_EQ(def.CalcY(2, 1), 2);  // y not mirrored
  def.m_CopyMirrorY = 1;
  EXPECT_DOUBLE_EQ(def.CalcY(2, 1), -2);
}

TEST(CharaDef, FieldBlockAt791Has53EntriesIn82Bytes) {
  cCharaDef def;
  Bytes out = WriteBody(def, cReadContext{});
  int32_t n = 0, strings = 0;
  std::memcpy(&n, out.bytes().data(), 4);
  std::memcpy(&strings, out.bytes().data() + 4 + 82, 4);
  EXPECT_EQ(n, 53);
  EXPECT_EQ(strings, 1);
  EXPECT_EQ(out.bytes(), CharaBody(791, CharaValues()).bytes());
}

// --- items ---

TEST(ItemDef, InheritanceGroupsOneAtATime) {
  CheckGroupTable<cItemDef>(ItemFields(),
                            {{"Name"},
                             {"Conds", "CondMode", "CondLatch"},
                             {"ItemValue1"},
                             {"ItemValue2"},
                             {"GfxKind", "GfxIndex", "GfxPattern"},
                             {"ItemByte"},
                             {"Hidden"},
                             {"Overlay", "OverlayChip"},
                             {"Size"},
                             {"PickUp"},
                             {"ShowOnTake"},
                             {"Sound"},
                             {"Commands"}},
                            [](cCommonPalette& p) -> cVector<cItemDef>& { return p.m_Items; });
}

TEST(ItemDef, CommandsAreCopiedDeeply) {
  cCommonPalette common;
  common.m_Items.resize(2);
  cItemDef& source = common.m_Items[1];
  source.m_Commands.resize(1);
  source.m_Commands[0].m_CmdSet = 1;
  source.m_Commands[0].m_CmdKind = 4;
  source.m_Commands[0].m_Text = "hello";
  cReadContext context;
  context.commonPalette = &common;
  cItemDef def;
  def.m_PalKind = PAL_COMMON;
  def.m_PalIndex = 1;
  def.m_Inherit[12] = 1;
  def.InheritFromPalette(context);
  source.m_Commands[0].m_Text = "changed";
  source.m_Commands.clear();
  ASSERT_EQ(def.m_Commands.size(), 1u);
  EXPECT_EQ(def.m_Commands[0].m_Text, "hello");
}

TEST(ItemDef, SizeSoundAndPictureRepairs) {
  cReadContext context;
  context.dbCount[static_cast<int>(DbList::Sound)] = 3;
  cItemDef def;
  ASSERT_TRUE(ReadBody(def, ItemBody(791, With(ItemValues(), {{"Size", 0}, {"Sound", 3}})), 791, context));
  EXPECT_EQ(def.m_Size, 1);
  EXPECT_EQ(def.m_Sound, 0);
  EXPECT_EQ(WriteBody(def, context).bytes(), ItemBody(791, ItemValues()).bytes());

  for (auto [stored, expected] : {std::pair{119, 119}, {7, 8}}) {
    cItemDef shot;
    ASSERT_TRUE(ReadBody(shot, ItemBody(218, With(ItemValues(), {{"GfxKind", 3}, {"GfxIndex", stored}})), 218,
                         context));
    EXPECT_EQ(shot.m_GfxIndex, expected);
  }
}

TEST(ItemDef, ShowOnTakeIsStoredBeforePickUp) {
  cItemDef def;
  ASSERT_TRUE(ReadBody(def, ItemBody(791, With(ItemValues(), {{"ShowOnTake", 0}, {"PickUp", 2}})), 791,
                       cReadContext{}));
  EXPECT_EQ(def.m_ShowOnTake, 0);
  EXPECT_EQ(def.m_PickUp, 2);
}

TEST(ItemDef, PaletteLookup) {
  cCommonPalette common;
  common.m_Items.resize(4);
  cStage stage;
  cReadContext context;
  context.commonPalette = &common;
  context.stage = &stage;
  EXPECT_EQ(GetPaletteItemDef(3, 0, context), nullptr);
  EXPECT_EQ(GetPaletteItemDef(0, 1, context), nullptr);
  EXPECT_EQ(GetPaletteItemDef(1, 4, context), nullptr);
  EXPECT_EQ(GetPaletteItemDef(1, -1, context), nullptr);
  EXPECT_EQ(GetPaletteItemDef(1, 3, context), &common.m_Items[3]);
  EXPECT_EQ(GetPaletteItemDef(2, 0, context), &stage.m_PaletteItems[0]);
  EXPECT_EQ(GetPaletteItemDef(2, 1, context), nullptr);
}

TEST(Definitions, TruncatedBodiesAreRefused) {
  const Bytes bodies[] = {BlockBody(791, BlockValues(), "x"), HeroBody(), ItemBody(791, ItemValues(), "x")};
  for (size_t k = 0; k < 3; ++k) {
    for (size_t cut = 0; cut < bodies[k].bytes().size(); cut += 7) {
      Bytes part;
      part.bytes().assign(bodies[k].bytes().begin(), bodies[k].bytes().begin() + static_cast<long>(cut));
      cRecordReader r(part.bytes());
      r.SetVersion(791);
      bool ok = k == 0 ? cBlockDef().Read(r) : k == 1 ? cCharaDef().Read(r) : cItemDef().Read(r);
      EXPECT_FALSE(ok && r.Ok()) << k << " at " << cut;
    }
  }
}

}  // namespace

}  // namespace block_chara_item_def_test
