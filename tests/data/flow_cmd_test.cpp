// ctest-label: data
#include <gtest/gtest.h>

#include "data/CommandTables.h"
#include "data/FlowCmd.h"
#include "flow_fixtures.h"
#include "tests/support/TestSupport.h"

// The file's own namespace keeps its helpers apart from other test files compiled with it.
namespace flow_cmd_test {

using namespace flowfix;

namespace {

cReadContext ContextWith(DbList list, int count) {
  cReadContext ctx;
  ctx.dbCount[static_cast<int>(list)] = count;
  return ctx;
}

TEST(CommandTables, RowsAndParameterCounts) {
  // Spot checks against the authoring tool's tables.
  EXPECT_EQ(CharaCmdTable[10].params, 5);   // ジャンプ
  EXPECT_EQ(CharaCmdTable[19].params, 18);  // メッセージ
  EXPECT_EQ(CharaCmdTable[21].params, 16);  // ターゲットの設定
  EXPECT_EQ(CharaCmdTable[32].params, 15);  // ピクチャーの表示
  EXPECT_EQ(ItemCmdTable[1].params, 2);     // フローの変更
  EXPECT_STREQ(CharaCmdTable[36].label, "BGM\x82\xCC\x8D\xC4\x90\xB6");  // BGMの再生
  // Item kind k >= 2 is character kind k + 15.
  for (int k = 2; k < kItemCmdKinds; ++k) {
    EXPECT_STREQ(ItemCmdTable[k].label, CharaCmdTable[k + 15].label) << k;
    EXPECT_EQ(ItemCmdTable[k].params, CharaCmdTable[k + 15].params) << k;
  }
  EXPECT_EQ(FindCmdRow(0, 40), nullptr);
  EXPECT_EQ(FindCmdRow(0, -1), nullptr);
  EXPECT_EQ(FindCmdRow(7, 25), nullptr);
  EXPECT_EQ(FindCmdRow(7, 24), &ItemCmdTable[24]);
}

TEST(FlowCmd, ValidateSizesParametersForEveryRow) {
  for (uint8_t set : {uint8_t{0}, uint8_t{1}}) {
    const int rows = set ? kItemCmdKinds : kCharaCmdKinds;
    for (int kind = 0; kind < rows; ++kind) {
      const int want = set ? ItemCmdTable[kind].params : CharaCmdTable[kind].params;
      cFlowCmd longer;
      longer.m_CmdSet = set;
      longer.m_CmdKind = static_cast<int8_t>(kind);
      for (int i = 0; i < 30; ++i) longer.m_Params.push_back(100 + i);
      longer.Validate(cReadContext());
      ASSERT_EQ(static_cast<int>(longer.m_Params.size()), want) << int(set) << " " << kind;
      for (int i = 0; i < want; ++i) EXPECT_EQ(longer.m_Params[i], 100 + i);

      cFlowCmd shorter;
      shorter.m_CmdSet = set;
      shorter.m_CmdKind = static_cast<int8_t>(kind);
      shorter.m_Params.push_back(7);
      shorter.Validate(cReadContext());
      ASSERT_EQ(static_cast<int>(shorter.m_Params.size()), want);
      if (want > 0) {
        EXPECT_EQ(shorter.m_Params[0], 7);
      }
      for (int i = 1; i < want; ++i) EXPECT_EQ(shorter.m_Params[i], 0);
    }
  }
}

TEST(FlowCmd, KindOutsideItsTableGetsNoParameters) {
  testsupport::LogCapture log;
  struct Row {
    uint8_t set;
    int kind;
  };
  for (Row row : {Row{0, 40}, Row{0, 127}, Row{0, -1}, Row{0, -128}, Row{1, 25}, Row{1, -3}}) {
    cFlowCmd c;
    c.m_CmdSet = row.set;
    c.m_CmdKind = static_cast<int8_t>(row.kind);
    c.m_Params.assign(5, 1);
    c.Validate(cReadContext());
    EXPECT_TRUE(c.m_Params.empty()) << row.kind;
  }
  EXPECT_EQ(log.Text().find("err V"), std::string::npos);
}

TEST(FlowCmd, DatabaseRepairs) {
  struct Row {
    const char* name;
    uint8_t set;
    int kind;
    DbList list;
    int count;
    int32_t in, want;
  };
  const Row rows[] = {
      {"effect -1", 0, 29, DbList::Effect, 6, -1, 1},
      {"effect = count", 0, 29, DbList::Effect, 6, 6, 1},
      {"effect in range", 0, 29, DbList::Effect, 6, 5, 5},
      {"anime set out", 0, 27, DbList::AnimeSet, 3, 3, 0},
      {"anime set in", 0, 27, DbList::AnimeSet, 3, 2, 2},
      {"anime", 0, 28, DbList::Anime, 4, 9, 1},
      {"chara effect", 0, 30, DbList::CharaEffect, 2, 2, 1},
      {"screen effect", 0, 31, DbList::ScrEffect, 2, -5, 1},
      {"picture", 0, 32, DbList::Picture, 10, 10, 1},
      {"sound", 0, 35, DbList::Sound, 10, 11, 1},
      {"bgm", 0, 36, DbList::Bgm, 5, 5, 1},
      // A list too short to hold entry 1 repairs to 0.
      {"bgm list of one", 0, 36, DbList::Bgm, 1, 3, 0},
      {"effect list empty", 0, 29, DbList::Effect, 0, 0, 0},
      {"unknown count", 0, 29, DbList::Effect, -1, 999, 999},
      {"item anime set", 1, 12, DbList::AnimeSet, 2, 2, 0},
      {"item anime", 1, 13, DbList::Anime, 2, 2, 1},
      {"item effect", 1, 14, DbList::Effect, 2, -1, 1},
      {"item chara effect", 1, 15, DbList::CharaEffect, 2, 7, 1},
      {"item screen effect", 1, 16, DbList::ScrEffect, 2, 7, 1},
      {"item picture", 1, 17, DbList::Picture, 2, 7, 1},
      {"item sound", 1, 20, DbList::Sound, 2, 7, 1},
      {"item bgm", 1, 21, DbList::Bgm, 2, 7, 1},
      // The set decides the table: character kind 14 is a summon, no repair.
      {"chara 14 untouched", 0, 14, DbList::Effect, 2, 7, 7},
      {"item 29 outside", 1, 29, DbList::Effect, 2, 7, 7},
  };
  for (const Row& row : rows) {
    cFlowCmd c;
    c.m_CmdSet = row.set;
    c.m_CmdKind = static_cast<int8_t>(row.kind);
    c.m_Params.assign(20, 0);
    c.m_Params[0] = row.in;
    c.Validate(ContextWith(row.list, row.count));
    const int32_t got = c.m_Params.empty() ? row.in : c.m_Params[0];
    EXPECT_EQ(got, row.want) << row.name;
  }
}

TEST(FlowCmd, SoundAndAnimationReferences) {
  cReadContext ctx;
  ctx.dbCount[static_cast<int>(DbList::Sound)] = 5;
  ctx.dbCount[static_cast<int>(DbList::Anime)] = 3;
  cFlowCmd c;
  c.m_CmdSound = -1;
  c.m_Anime = 3;
  c.Validate(ctx);
  EXPECT_EQ(c.m_CmdSound, 0);
  EXPECT_EQ(c.m_Anime, 0);
  c.m_CmdSound = 4;
  c.m_Anime = 2;
  c.Validate(ctx);
  EXPECT_EQ(c.m_CmdSound, 4);
  EXPECT_EQ(c.m_Anime, 2);
}

TEST(FlowCmd, SwordTimeComesFromTheSwordType) {
  cReadContext ctx;
  ctx.dbCount[static_cast<int>(DbList::SwordType)] = 3;
  std::vector<int> asked;
  ctx.swordFrameDurations = [&](int type) {
    asked.push_back(type);
    if (type == 1) return std::vector<int>{5000, 6000};
    if (type == 2) return std::vector<int>{3, 4, 5};
    return std::vector<int>{7};
  };
  auto sword = [](int type) {
    cFlowCmd c;
    c.m_CmdKind = 12;
    cEdShot::Reset(c.m_pShot);
    c.m_pShot->m_ShotMove = static_cast<uint8_t>(type);
    return c;
  };

  cFlowCmd capped = sword(1);
  capped.Validate(ctx);
  EXPECT_EQ(capped.m_Time, 9999);

  cFlowCmd plain = sword(2);
  plain.Validate(ctx);
  EXPECT_EQ(plain.m_Time, 12);

  cFlowCmd outOfRange = sword(3);
  outOfRange.Validate(ctx);
  EXPECT_EQ(outOfRange.m_pShot->m_ShotMove, 0);
  EXPECT_EQ(outOfRange.m_Time, 7);
  EXPECT_EQ(asked.back(), 0);

  cReadContext none;
  none.dbCount[static_cast<int>(DbList::SwordType)] = 0;
  none.swordFrameDurations = ctx.swordFrameDurations;
  cFlowCmd empty = sword(0);
  empty.m_Time = 50;
  asked.clear();
  empty.Validate(none);
  EXPECT_EQ(empty.m_Time, 0);
  EXPECT_TRUE(asked.empty());

  // A sword command without its shot record is left alone.
  cFlowCmd bare;
  bare.m_CmdKind = 12;
  bare.m_Time = 5;
  bare.Validate(ctx);
  EXPECT_EQ(bare.m_Time, 5);
}

TEST(FlowCmd, SwordTimeSum) {
  EXPECT_EQ(SwordTime({}), 0);
  EXPECT_EQ(SwordTime({5000, 6000}), 9999);
  EXPECT_EQ(SwordTime({9999, 1}), 9999);
  EXPECT_EQ(SwordTime({30000, 30000}), 9999);  // never wraps negative
  EXPECT_EQ(SwordTime({9999, -100}), 9899);    // capped after each addition
}

TEST(FlowCmd, Version763HasNoConditionListFlag) {
  OldCmd wait;
  wait.kind = 1;
  cFlowCmd a;
  ASSERT_TRUE(ReadBody(a, CmdBytes(wait, 763), 763));
  EXPECT_FALSE(a.m_pCondList);

  // A list the command already had stays.
  cFlowCmd b;
  cCondList::Reset(b.m_pCondList);
  b.m_pCondList->m_Mode = 1;
  ASSERT_TRUE(ReadBody(b, CmdBytes(wait, 763), 763));
  ASSERT_TRUE(b.m_pCondList);
  EXPECT_EQ(b.m_pCondList->m_Mode, 1);

  OldCmd withList = wait;
  cCondList::Reset(withList.condList);
  cFlowCmd c;
  ASSERT_TRUE(ReadBody(c, CmdBytes(withList, 764), 764));
  EXPECT_TRUE(c.m_pCondList);
}

TEST(FlowCmd, RoundTripKeepsWhichRecordsArePresent) {
  for (int mask = 0; mask < 8; ++mask) {
    cFlowCmd c;
    c.m_CmdKind = 19;  // メッセージ
    c.m_Text = "\x83\x65\x83\x58\x83\x67";  // テスト
    c.m_Params.assign(18, 0);
    c.m_Params[17] = -42;
    c.m_Time = 12;
    c.m_WithNext = 1;
    if (mask & 1) {
      cEdMove::Reset(c.m_pMove);
      c.m_pMove->m_Speed = 77;
    }
    if (mask & 2) {
      cEdShot::Reset(c.m_pShot);
      c.m_pShot->m_Attack = 1234;
    }
    if (mask & 4) {
      cCondList::Reset(c.m_pCondList);
      c.m_pCondList->m_Conds.resize(1);
    }
    Bytes body = BodyNow(c);
    cFlowCmd back;
    ASSERT_TRUE(ReadBody(back, body, 791)) << mask;
    EXPECT_EQ(bool(back.m_pMove), bool(mask & 1));
    EXPECT_EQ(bool(back.m_pShot), bool(mask & 2));
    EXPECT_EQ(bool(back.m_pCondList), bool(mask & 4));
    if (back.m_pMove) {
      EXPECT_EQ(back.m_pMove->m_Speed, 77);
    }
    if (back.m_pShot) {
      EXPECT_EQ(back.m_pShot->m_Attack, 1234);
    }
    if (back.m_pCondList) {
      EXPECT_EQ(back.m_pCondList->m_Conds.size(), 1u);
    }
    EXPECT_EQ(back.m_Text, c.m_Text);
    EXPECT_EQ(Params(back), Params(c));
    EXPECT_EQ(back.m_Time, 12);
    EXPECT_EQ(back.m_CmdOption, 1);
    EXPECT_EQ(BodyNow(back), body);
  }
}

TEST(FlowCmd, ReadingReplacesTheRecordsItHeld) {
  OldCmd bare;
  bare.kind = 2;
  cFlowCmd c;
  cEdMove::Reset(c.m_pMove);
  cEdShot::Reset(c.m_pShot);
  ASSERT_TRUE(ReadBody(c, CmdBytes(bare, 791), 791));
  EXPECT_FALSE(c.m_pMove);
  EXPECT_FALSE(c.m_pShot);
  EXPECT_FALSE(c.m_pCondList);
}

TEST(FlowCmd, CopiesAreDeep) {
  cFlowCmd src;
  src.m_CmdKind = 16;
  src.m_Params = {1, 2, 3, 4};
  cEdMove::Reset(src.m_pMove);
  cEdShot::Reset(src.m_pShot);
  cCondList::Reset(src.m_pCondList);
  src.m_pCondList->m_Conds.resize(1);
  src.m_SubFlows.resize(1);
  src.m_SubFlows[0].m_Cmds.resize(1);
  cEdMove::Reset(src.m_SubFlows[0].m_Cmds[0].m_pMove);

  auto checkIndependent = [&](cFlowCmd& copy) {
    ASSERT_TRUE(copy.m_pMove && copy.m_pShot && copy.m_pCondList);
    EXPECT_NE(copy.m_pMove.get(), src.m_pMove.get());
    EXPECT_NE(copy.m_pShot.get(), src.m_pShot.get());
    EXPECT_NE(copy.m_pCondList.get(), src.m_pCondList.get());
    EXPECT_NE(copy.m_SubFlows[0].m_Cmds[0].m_pMove.get(), src.m_SubFlows[0].m_Cmds[0].m_pMove.get());
    copy.m_pMove->m_Speed = 1;
    copy.m_pShot->m_Attack = 2;
    copy.m_pCondList->m_Conds[0].m_Value = 3;
    copy.m_SubFlows[0].m_Cmds[0].m_pMove->m_Speed = 4;
    copy.m_Params[0] = 9;
    EXPECT_EQ(src.m_pMove->m_Speed, 10);
    EXPECT_EQ(src.m_pShot->m_Attack, 0);
    EXPECT_EQ(src.m_pCondList->m_Conds[0].m_Value, 0);
    EXPECT_EQ(src.m_SubFlows[0].m_Cmds[0].m_pMove->m_Speed, 10);
    EXPECT_EQ(src.m_Params[0], 1);
  };

  cFlowCmd constructed(src);
  checkIndependent(constructed);

  cFlowCmd assigned;
  cEdShot::Reset(assigned.m_pShot);
  assigned = src;
  checkIndependent(assigned);

  cVector<cFlowCmd> list(1, src);
  cVector<cFlowCmd> listCopy = list;
  listCopy.push_back(src);  // growth copies too
  checkIndependent(listCopy[0]);

  // Empty pointers stay empty; a copy of a copy still writes the same bytes.
  cFlowCmd plain;
  cFlowCmd plainCopy(plain);
  EXPECT_FALSE(plainCopy.m_pMove);
  EXPECT_FALSE(plainCopy.m_pCondList);
  cFlowCmd again(src);
  EXPECT_EQ(BodyNow(again), BodyNow(src));

  cFlowCmd& self = again;
  again = self;
  ASSERT_TRUE(again.m_pMove);
  EXPECT_EQ(again.m_pMove->m_Speed, 10);
}

TEST(FlowCmd, SubFlowsForTestPlayAreRemovedUnlessKept) {
  OldCmd c;
  c.kind = 1;
  ByteBuilder flows;
  flows.U32(3).Raw(FlowBytes(791, 1, 1, {})).Raw(FlowBytes(791, 0, 2, {})).Raw(FlowBytes(791, 1, 3, {}));
  c.subFlows = flows.bytes();
  Bytes body = CmdBytes(c, 791);

  cReadContext plain;
  cFlowCmd a;
  ASSERT_TRUE(ReadBody(a, body, 791, &plain));
  ASSERT_EQ(a.m_SubFlows.size(), 1u);
  EXPECT_EQ(a.m_SubFlows[0].m_FlowId, 2);

  cReadContext editor;
  editor.startedByEditor = true;
  cFlowCmd b;
  ASSERT_TRUE(ReadBody(b, body, 791, &editor));
  EXPECT_EQ(b.m_SubFlows.size(), 3u);
}

TEST(FlowCmd, PaletteReferences) {
  cReadContext::PaletteCounts common{10, 20, 12};
  cReadContext::PaletteCounts stage{5, 6, 7};
  auto shotCmd = [](int kind) {
    cFlowCmd c;
    c.m_CmdKind = static_cast<int8_t>(kind);
    cEdShot::Reset(c.m_pShot);
    return c;
  };

  cFlowCmd itemSummon = shotCmd(15);
  itemSummon.m_pShot->m_SummonIndex = 40;
  itemSummon.CheckPaletteRefs(common, stage);
  EXPECT_EQ(itemSummon.m_pShot->m_SummonIndex, 1);

  cFlowCmd charaSummon = shotCmd(14);
  charaSummon.m_pShot->m_SummonPalette = 1;
  charaSummon.m_pShot->m_SummonIndex = 6;
  charaSummon.CheckPaletteRefs(common, stage);
  EXPECT_EQ(charaSummon.m_pShot->m_SummonIndex, 1);

  cFlowCmd blockSummon = shotCmd(13);
  blockSummon.m_pShot->m_SummonIndex = 9;
  blockSummon.CheckPaletteRefs(common, stage);
  EXPECT_EQ(blockSummon.m_pShot->m_SummonIndex, 9);

  cFlowCmd otherPalette = shotCmd(13);
  otherPalette.m_pShot->m_SummonPalette = 2;
  otherPalette.m_pShot->m_SummonIndex = 999;
  otherPalette.CheckPaletteRefs(common, stage);
  EXPECT_EQ(otherPalette.m_pShot->m_SummonIndex, 999);

  cFlowCmd drop = shotCmd(11);
  drop.m_pShot->m_DropItemPalette = 2;
  drop.m_pShot->m_DropItemIndex = 7;
  drop.CheckPaletteRefs(common, stage);
  EXPECT_EQ(drop.m_pShot->m_DropItemPalette, 0);
  EXPECT_EQ(drop.m_pShot->m_DropItemIndex, 0);

  cFlowCmd dropOk = shotCmd(12);
  dropOk.m_pShot->m_DropItemPalette = 1;
  dropOk.m_pShot->m_DropItemIndex = 11;
  dropOk.CheckPaletteRefs(common, stage);
  EXPECT_EQ(dropOk.m_pShot->m_DropItemIndex, 11);

  cFlowCmd take;
  take.m_CmdKind = 25;
  take.m_Params = {1, 7};
  cFlowCmd itemTake;
  itemTake.m_CmdSet = 1;
  itemTake.m_CmdKind = 10;
  itemTake.m_Params = {0, -1};
  // Inside a sub-flow, so the walk reaches nested commands too.
  cFlowCmd holder;
  holder.m_SubFlows.resize(1);
  holder.m_SubFlows[0].m_Cmds = {take, itemTake, shotCmd(15)};
  holder.CheckPaletteRefs(common, stage);
  EXPECT_EQ(holder.m_SubFlows[0].m_Cmds[0].m_Params[1], 1);
  EXPECT_EQ(holder.m_SubFlows[0].m_Cmds[1].m_Params[1], 1);

  // Without its record a summon is left alone.
  cFlowCmd bare;
  bare.m_CmdKind = 15;
  bare.CheckPaletteRefs(common, stage);
  EXPECT_FALSE(bare.m_pShot);
}

TEST(FlowCmd, HostileBodiesAreRefused) {
  OldCmd c;
  c.kind = 10;
  c.params = {1, 2, 3, 4, 5};
  Bytes body = CmdBytes(c, 791);
  for (size_t cut = 0; cut < body.size(); ++cut) {
    cFlowCmd d;
    EXPECT_FALSE(ReadBody(d, Bytes(body.begin(), body.begin() + static_cast<long>(cut)), 791)) << cut;
  }
  // A parameter count beyond the file's end.
  Bytes huge = body;
  huge.resize(huge.size() - 5 * 4);
  std::fill(huge.end() - 4, huge.end(), 0xFF);
  cFlowCmd d;
  EXPECT_FALSE(ReadBody(d, huge, 791));
}

}  // namespace

}  // namespace flow_cmd_test
