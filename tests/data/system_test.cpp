// ctest-label: data
#include "data/System.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <set>

#include "data/DataPaths.h"
#include "data/ReadContext.h"
#include "tests/data/system_test_file.h"

// The file's own namespace keeps its helpers apart from other test files compiled with it.
namespace system_test {

namespace {
using systest::Build;
using systest::ByteBuilder;
using systest::Bytes;
using systest::Distinct;
using systest::FieldTable;
using systest::Present;

// A context that knows the tune count, so reading clamps the scene music.
cReadContext WithTunes(int tunes) {
  cReadContext context;
  context.dbCount[static_cast<int>(DbList::Bgm)] = tunes;
  return context;
}

cSystem ReadSystem(const Bytes& bytes, int tunes = 100) {
  cReadContext context = WithTunes(tunes);
  cSystem s;
  EXPECT_TRUE(s.LoadFromBytes(bytes, &context));
  return s;
}

// Each member of the record as bytes under its name, so two records can be
// compared member by member.
std::map<std::string, Bytes> Parts(cSystem& s) {
  std::map<std::string, Bytes> parts;
  for (const auto& e : FieldTable()) {
    if (!e.address) continue;
    const auto* p = static_cast<const unsigned char*>(e.address(s));
    parts[e.name] = Bytes(p, p + e.size);
  }
  auto put = [&parts](const char* name, auto write) {
    cRecordWriter w;
    write(w);
    parts[name] = w.Bytes();
  };
  auto records = [](auto& list) {
    return [&list](cRecordWriter& w) { WriteRecordVector(w, list); };
  };
  auto texts = [](const cVector<std::string>& list) {
    return [&list](cRecordWriter& w) {
      for (const auto& t : list) w.WriteString(t);
      w.WriteU32(static_cast<uint32_t>(list.size()));
    };
  };
  auto raw = [](const auto& list) {
    return [&list](cRecordWriter& w) {
      w.WriteU32(static_cast<uint32_t>(list.size()));
      w.WriteBytes(list.data(), list.size() * sizeof(list[0]));
    };
  };
  put("m_Title", [&s](cRecordWriter& w) { w.WriteString(s.m_Title); });
  put("m_CarryEnabled", raw(s.m_CarryEnabled));
  put("m_CarryDropOnMiss", raw(s.m_CarryDropOnMiss));
  put("m_StatusItems", records(s.m_StatusItems));
  put("m_InitialLives", raw(s.m_InitialLives));
  put("m_InfiniteLives", raw(s.m_InfiniteLives));
  put("m_Results", records(s.m_Results));
  put("m_Labels", texts(s.m_Labels));
  put("m_SystemSounds", texts(s.m_SystemSounds));
  put("m_SceneBgm", raw(s.m_SceneBgm));
  put("m_SceneBgmLoop", raw(s.m_SceneBgmLoop));
  put("m_TitleMenu", records(s.m_TitleMenu));
  put("m_MapMenu", records(s.m_MapMenu));
  put("m_OptionMenu", records(s.m_OptionMenu));
  put("m_RankModeLabels", texts(s.m_RankModeLabels));
  put("m_IniKeys", records(s.m_IniKeys));
  return parts;
}

int32_t IntField(cSystem& s, const std::string& name) {
  for (const auto& e : FieldTable())
    if (e.address && name == e.name) return e.size == 1 ? *static_cast<uint8_t*>(e.address(s)) : *static_cast<int32_t*>(e.address(s));
  ADD_FAILURE() << "no field " << name;
  return 0;
}

const char* const kAutoSave = "\x83\x49\x81\x5B\x83\x67\x83\x5A\x81\x5B\x83\x75";  // オートセーブ

// --- defaults ---

TEST(SystemDefaults, CountsAndValuesOfANewProject) {
  cSystem s;
  ASSERT_EQ(s.m_CarryEnabled.size(), 25u);
  int ones = 0;
  for (uint8_t c : s.m_CarryEnabled) ones += c;
  EXPECT_EQ(ones, 9);
  for (int g : {0, 1, 13, 14, 16, 17, 19, 20, 21}) EXPECT_EQ(s.m_CarryEnabled[static_cast<size_t>(g)], 1) << g;
  ASSERT_EQ(s.m_CarryDropOnMiss.size(), 25u);
  EXPECT_EQ(s.m_CarryDropOnMiss[11] + s.m_CarryDropOnMiss[12], 2);
  EXPECT_EQ(s.m_StatusItems.size(), 5u);
  EXPECT_EQ(s.m_TitleMenu.size(), 7u);
  EXPECT_EQ(s.m_MapMenu.size(), 4u);
  EXPECT_EQ(s.m_OptionMenu.size(), 6u);
  EXPECT_EQ(s.m_Results.size(), 4u);
  EXPECT_EQ(s.m_Labels.size(), 29u);
  EXPECT_EQ(s.m_SystemSounds.size(), 17u);
  EXPECT_EQ(s.m_IniKeys.size(), 10u);
  EXPECT_EQ(s.m_RankModeLabels.size(), 4u);
  EXPECT_EQ(s.m_OptionMenu[0].m_Label, "");  // the palette item has no label of its own
  EXPECT_EQ(s.m_OptionMenu[0].m_Enabled, 1);
  EXPECT_EQ(s.m_Labels[22], "");
  EXPECT_EQ(s.m_DepthPalette, 2);
  EXPECT_EQ(s.m_DepthFullColour, 0);
  EXPECT_EQ(s.m_ExtraLife, 0);
  EXPECT_EQ(s.m_ExtraLifeScore, 100);
  EXPECT_EQ(s.GetMenuItemCount(0), 5);
  EXPECT_EQ(s.GetMenuItemCount(3), 0);
  EXPECT_EQ(s.m_IniKeys[8].m_IsText, 1);
  EXPECT_EQ(s.m_IniKeys[8].m_Key, "FreeStage");
}

// The file a new project's system data writes, byte by byte, as the layout
// and the default tables give it.
Bytes FreshSystemFile() {
  ByteBuilder b;
  b.U32(791);
  // 58 field entries: 1..29 and 31..59.
  b.I32(58);
  b.I32(0).I32(100).I32(1).I32(0).I32(60).I32(0).I32(0).I32(1).I32(1);  // 1..9
  b.I32(1).I32(1).I32(1).I32(40).I32(1).I32(1).I32(1).I32(1).I32(1);    // 10..18
  b.I32(1).I32(1).I32(1).I32(1).I32(1).I32(0).I32(0);                   // 19..25
  b.U8(0).U8(0).U8(0);                                                   // 26..28 colour key
  b.I32(0);                                                              // 29 m_Switch214
  b.I32(0).I32(0).I32(0).I32(16).I32(0).I32(1);                          // 31..36
  for (int i = 37; i <= 57; ++i) b.I32(0);                               // the rule switches
  b.I32(0).I32(2);                                                       // 58, 59 depths
  b.I32(1).Str("");                                                      // the title
  b.Bytes8({1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 0, 1, 1, 0, 1, 1, 1, 0, 0, 0});
  b.Bytes8({0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
  // Status items: shown, icon, digits, show number, threshold, percent; label.
  const char* score = "\x83\x58\x83\x52\x83\x41";  // スコア
  b.U32(5);
  b.I32(6).I32(1).I32(1).I32(4).I32(0).I32(0).I32(0).I32(1).Str(score);
  b.I32(6).I32(1).I32(1).I32(3).I32(0).I32(0).I32(0).I32(1).Str(score);
  b.I32(6).I32(1).I32(1).I32(0).I32(0).I32(0).I32(0).I32(1).Str("HP");
  b.I32(6).I32(1).I32(1).I32(0).I32(0).I32(0).I32(0).I32(1).Str("SP");
  b.I32(6).I32(1).I32(1).I32(2).I32(0).I32(0).I32(0).I32(1).Str("\x90\x6C");  // 人
  b.Ints({5, 5, 5, 99});
  b.Ints({1, 1, 1, 1});
  b.U32(4);
  for (int t = 0; t < 3; ++t) b.I32(1).I32(1).I32(0).Bytes8({1, 1, 1, 1, 1});
  b.I32(1).I32(0).I32(0).Bytes8({0, 0, 0, 0, 0});
  const char* cancel = "\x82\xE2\x82\xC1\x82\xCF\x82\xE8\x82\xE2\x82\xDF\x82\xE9";  // やっぱりやめる
  const char* retry = "\x83\x8A\x83\x67\x83\x89\x83\x43";                      // リトライ
  b.Strings({
      "\x83\x8F\x81\x5B\x83\x8B\x83\x68",                          // ワールド
      "\x83\x58\x83\x65\x81\x5B\x83\x57",                          // ステージ
      score,
      "\x83\x6E\x83\x43\x83\x58\x83\x52\x83\x41",                  // ハイスコア
      "\x83\x67\x81\x5B\x83\x5E\x83\x8B\x83\x58\x83\x52\x83\x41",  // トータルスコア
      score,
      "\x8E\x63\x82\xE8\x8E\x9E\x8A\xD4",          // 残り時間
      "\x83\x4E\x83\x8A\x83\x41\x8E\x9E\x8A\xD4",  // クリア時間
      "\x8E\x63\x82\xE8HP",                        // 残りHP
      "\x8E\x63\x82\xE8SP",                        // 残りSP
      "\x83\x58\x83\x65\x81\x5B\x83\x57\x82\xC9\x92\xA7\x82\xDE",  // ステージに挑む
      cancel,
      "\x83\x5A\x81\x5B\x83\x75\x82\xB7\x82\xE9",  // セーブする
      cancel,
      "\x83\x49\x81\x5B\x83\x67\x83\x5A\x81\x5B\x83\x75\x82\x6E\x82\x6D",          // オートセーブＯＮ
      "\x83\x49\x81\x5B\x83\x67\x83\x5A\x81\x5B\x83\x75\x82\x6E\x82\x65\x82\x65",  // オートセーブＯＦＦ
      // 保存先が不明です！一度は「セーブ」して下さい！
      "\x95\xDB\x91\xB6\x90\xE6\x82\xAA\x95\x73\x96\xBE\x82\xC5\x82\xB7\x81\x49\x88\xEA\x93\x78\x82\xCD\x81\x75"
      "\x83\x5A\x81\x5B\x83\x75\x81\x76\x82\xB5\x82\xC4\x89\xBA\x82\xB3\x82\xA2\x81\x49",
      "\x83\x5E\x83\x43\x83\x67\x83\x8B\x82\xD6\x96\xDF\x82\xE9",  // タイトルへ戻る
      cancel,
      "\x82\xB5\x82\xE3\x82\xA4\x82\xE8\x82\xE5\x82\xA4",  // しゅうりょう
      "\x82\xC2\x82\xC3\x82\xAF\x82\xE9",                  // つづける
      retry,
      "",
      retry,
      "\x83\x7D\x83\x62\x83\x76\x82\xD6\x96\xDF\x82\xE9",  // マップへ戻る
      // Vキーでジャンルの切り替え
      "V\x83\x4C\x81\x5B\x82\xC5\x83\x57\x83\x83\x83\x93\x83\x8B\x82\xCC\x90\xD8\x82\xE8\x91\xD6\x82\xA6",
      // スペースキーでタイトルへ戻る
      "\x83\x58\x83\x79\x81\x5B\x83\x58\x83\x4C\x81\x5B\x82\xC5\x83\x5E\x83\x43\x83\x67\x83\x8B\x82\xD6\x96\xDF"
      "\x82\xE9",
      "\x83\x58\x83\x79\x81\x5B\x83\x58\x83\x4C\x81\x5B\x82\xC5\x8F\x49\x97\xB9",  // スペースキーで終了
      // F3キーでランキングへ登録
      "F3\x83\x4C\x81\x5B\x82\xC5\x83\x89\x83\x93\x83\x4C\x83\x93\x83\x4F\x82\xD6\x93\x6F\x98\x5E",
  });
  b.Strings(std::vector<std::string>(17));
  b.Ints({0, 0, 0, 0});
  b.Bytes8({1, 1, 1, 1});
  auto menu = [&b](std::vector<std::string> labels) {
    b.U32(static_cast<uint32_t>(labels.size()));
    for (const auto& l : labels) b.I32(1).I32(1).I32(1).Str(l);
  };
  menu({"\x82\xCD\x82\xB6\x82\xDF\x82\xA9\x82\xE7",          // はじめから
        "\x82\xC2\x82\xC3\x82\xAB\x82\xA9\x82\xE7",          // つづきから
        "\x83\x60\x83\x83\x83\x8C\x83\x93\x83\x57",          // チャレンジ
        "\x83\x74\x83\x8A\x81\x5B",                          // フリー
        "\x83\x8A\x83\x76\x83\x8C\x83\x43",                  // リプレイ
        "\x83\x49\x83\x76\x83\x56\x83\x87\x83\x93",          // オプション
        "\x82\xB5\x82\xE3\x82\xA4\x82\xE8\x82\xE5\x82\xA4"});  // しゅうりょう
  menu({"\x83\x5A\x81\x5B\x83\x75", kAutoSave, "\x82\xE0\x82\xC7\x82\xE9",  // セーブ, オートセーブ, もどる
        "\x83\x5E\x83\x43\x83\x67\x83\x8B\x82\xD6"});                      // タイトルへ
  menu({"", "BGM", "SE",  // the palette item has no label
        "\x83\x89\x83\x93\x83\x4C\x83\x93\x83\x4F\x93\x6F\x98\x5E",          // ランキング登録
        "\x83\x89\x83\x93\x83\x4C\x83\x93\x83\x4F\x93\x6F\x98\x5E\x96\xBC",  // ランキング登録名
        "\x82\xE0\x82\xC7\x82\xE9"});                                        // もどる
  b.Strings({
      "\x8E\xE8\x93\xAE\x93\x6F\x98\x5E\x81\x69\x93\x6F\x98\x5E\x96\xBC\x93\xFC\x97\xCD\x81\x6A",  // 手動登録（登録名入力）
      "\x8E\xE8\x93\xAE\x93\x6F\x98\x5E\x81\x69\x93\x6F\x98\x5E\x96\xBC\x8C\xC5\x92\xE8\x81\x6A",  // 手動登録（登録名固定）
      "\x8E\xA9\x93\xAE\x93\x6F\x98\x5E\x81\x69\x93\x6F\x98\x5E\x96\xBC\x93\xFC\x97\xCD\x81\x6A",  // 自動登録（登録名入力）
      "\x8E\xA9\x93\xAE\x93\x6F\x98\x5E\x81\x69\x93\x6F\x98\x5E\x96\xBC\x8C\xC5\x92\xE8\x81\x6A",  // 自動登録（登録名固定）
  });
  // System.ini keys: is-text, default; name, default text.
  b.U32(10);
  const std::pair<const char*, int> keys[10] = {{"Direct3D", 2},     {"WindowMode", 0},    {"Bpp", 0},
                                                {"VSync", 2},        {"D3D_FontCache", 0}, {"DD_FontCache", 1},
                                                {"DD_VideoStretch", 0}, {"ShowFps", 1},     {"FreeStage", 0},
                                                {"English", 0}};
  for (int k = 0; k < 10; ++k) b.I32(2).I32(k == 8 ? 1 : 0).I32(keys[k].second).I32(2).Str(keys[k].first).Str("");
  return b.bytes();
}

TEST(SystemDefaults, FreshFileIsTheGoldenImage) {
  cSystem s;
  Bytes written = s.SaveToBytes();
  Bytes golden = FreshSystemFile();
  ASSERT_EQ(written.size(), golden.size());
  for (size_t i = 0; i < golden.size(); ++i) ASSERT_EQ(written[i], golden[i]) << "byte " << i;
}

TEST(SystemDefaults, WrittenAndReadBackEqual) {
  cSystem fresh;
  Bytes bytes = fresh.SaveToBytes();
  cSystem changed = Distinct();
  cReadContext context = WithTunes(10);
  ASSERT_TRUE(changed.LoadFromBytes(bytes, &context));
  EXPECT_EQ(changed.SaveToBytes(), bytes);
  EXPECT_EQ(changed.m_Labels.size(), 29u);
  EXPECT_EQ(changed.m_IniKeys.size(), 10u);
}

// --- version gates ---

TEST(SystemRead, CurrentFileMatchesTheWriterAndReadsEveryExtra) {
  cSystem s = Distinct();
  Bytes built = Build(s, 791);
  // 58 field entries in a current file.
  EXPECT_EQ(built[4], 58);
  EXPECT_EQ(s.SaveToBytes(), built);
  cSystem read = ReadSystem(built);
  EXPECT_EQ(read.SaveToBytes(), built);
  EXPECT_EQ(read.m_CarryDropOnMiss[0], 150);
  EXPECT_EQ(read.m_InfiniteLives[3], 24);
  EXPECT_EQ(read.m_Results[3].m_On, 2);
  EXPECT_EQ(read.m_SceneBgmLoop[3], 3);
  EXPECT_EQ(read.m_RankModeLabels[2], "mode2");
}

// Every version from 100 to 791: each field the layout holds at that version
// is read into its own member, and a member the file does not hold never
// receives a file value; the gated lists are read exactly when present.
TEST(SystemRead, EveryVersionReadsTheFieldsOfItsLayout) {
  cSystem source = Distinct();
  for (uint32_t v = 100; v <= 791; ++v) {
    SCOPED_TRACE(v);
    cSystem got = ReadSystem(Build(source, v));
    int bad = 0;
    for (const auto& e : FieldTable()) {
      if (!e.address) continue;
      int32_t want = IntField(source, e.name), have = IntField(got, e.name);
      if (Present(e, v) ? have != want : have == want) {
        ADD_FAILURE() << e.name << (Present(e, v) ? " not read" : " read although absent") << ": " << have;
        ++bad;
      }
    }
    EXPECT_EQ(got.m_Title, "Distinct");
    EXPECT_EQ(got.m_CarryDropOnMiss == source.m_CarryDropOnMiss, v >= 501);
    EXPECT_EQ(got.m_InfiniteLives == source.m_InfiniteLives, v >= 191);
    EXPECT_EQ(got.m_Results[1].m_On == 2, v >= 186);
    EXPECT_EQ(got.m_SceneBgmLoop == source.m_SceneBgmLoop, v >= 202);
    EXPECT_EQ(got.m_RankModeLabels == source.m_RankModeLabels, v >= 674);
    EXPECT_EQ(got.m_SystemSounds, source.m_SystemSounds);
    EXPECT_EQ(got.m_InitialLives, source.m_InitialLives);
    EXPECT_EQ(got.m_StatusItems[0].m_ShowNumber, v >= 204 ? 4 : 1);
    EXPECT_EQ(got.m_StatusItems[4].m_Threshold, v >= 587 ? 64 : 0);
    EXPECT_EQ(got.m_StatusItems[2].m_Threshold, v >= 587 ? 62 : 33);
    if (v >= 756) {
      EXPECT_EQ(got.m_Labels, source.m_Labels);
    }
    if (v >= 672) {
      EXPECT_EQ(Parts(got)["m_IniKeys"], Parts(source)["m_IniKeys"]);
    }
    if (bad) break;
  }
}

TEST(SystemRead, RetiredValueOf240IsReadAndIgnored) {
  cSystem source = Distinct();
  Bytes a = Build(source, 240);
  systest::retiredValue = 77;
  Bytes b = Build(source, 240);
  systest::retiredValue = 0x5EEDBEEF;
  ASSERT_NE(a, b);
  cSystem ra = ReadSystem(a), rb = ReadSystem(b);
  EXPECT_EQ(ra.SaveToBytes(), rb.SaveToBytes());
  EXPECT_EQ(ra.m_Switch214, source.m_Switch214);
  EXPECT_EQ(ra.m_Switch261, 1);
  EXPECT_EQ(ra.m_Switch272, 0);
  // 260 holds neither the retired value nor m_Switch261.
  EXPECT_EQ(Build(source, 260).size() + 4, a.size());
  cSystem r260 = ReadSystem(Build(source, 260));
  EXPECT_EQ(r260.m_Switch214, source.m_Switch214);
  EXPECT_EQ(r260.m_Switch261, 1);
}

TEST(SystemRead, Version185GetsItsUpgrades) {
  cSystem source = Distinct();
  cSystem got = ReadSystem(Build(source, 185));
  cSystem defaults;
  EXPECT_EQ(Parts(got)["m_Results"], Parts(defaults)["m_Results"]);
  EXPECT_EQ(got.m_RankModeLabels, defaults.m_RankModeLabels);
  EXPECT_EQ(got.m_InfiniteLives, (cVector<int32_t>{0, 0, 0, 1}));
  EXPECT_EQ(got.m_SceneBgmLoop, (cVector<uint8_t>{1, 1, 1, 1}));
  EXPECT_EQ(got.m_CarryDropOnMiss, cVector<uint8_t>(25, 0));
  EXPECT_EQ(got.m_ContinueAfterMiss, 0);
  EXPECT_EQ(got.m_MapShowsLives, 0);
  EXPECT_EQ(got.m_ExtraLife, source.m_ExtraLife);
  EXPECT_EQ(got.m_FullColour, 0);
  EXPECT_EQ(got.m_ColourKey[1], 177);
  EXPECT_EQ(got.m_FontFace, 60);
  EXPECT_EQ(got.m_Switch214, 1);
  EXPECT_EQ(got.m_Switch783, 1);
  EXPECT_EQ(got.m_DepthPalette, 2);
}

// --- the upgrade chain, step by step ---

struct Step {
  uint32_t version;
  std::set<std::string> touched;
  std::function<void(cSystem& older)> check;
};

std::function<void(cSystem&)> Sets(std::vector<std::pair<std::string, int32_t>> values) {
  return [values](cSystem& s) {
    for (const auto& [name, value] : values) EXPECT_EQ(IntField(s, name), value) << name;
  };
}

const std::vector<Step>& Steps() {
  static const std::vector<Step> steps = {
      {113, {"m_KeepTestFlows"}, Sets({{"m_KeepTestFlows", 0}})},
      {157, {"m_TitlePictureMenu"}, Sets({{"m_TitlePictureMenu", 0}})},
      {167,
       {"m_MapShowsScore", "m_MapMenuShowsTotal", "m_ChallengeShowsBest", "m_ChallengeShowsTotal"},
       Sets({{"m_MapShowsScore", 1}, {"m_MapMenuShowsTotal", 1}, {"m_ChallengeShowsBest", 1}, {"m_ChallengeShowsTotal", 1}})},
      {168, {"m_CarryEnabled"}, [](cSystem& s) { EXPECT_EQ(s.m_CarryEnabled[18], 1); }},  // 16, moved up by 201 and 210
      {169, {"m_MapMenu", "m_Labels"}, [](cSystem& s) { EXPECT_EQ(s.m_MapMenu[1].m_Label, kAutoSave); }},
      {170, {"m_CenterGlyph"}, Sets({{"m_CenterGlyph", 0}})},
      {181, {"m_Results", "m_Labels"}, [](cSystem& s) { EXPECT_EQ(s.m_Results[0].m_Categories[3], 0); }},
      {184, {"m_Replay"}, Sets({{"m_Replay", 1}})},
      {185, {"m_ExtraLife"}, Sets({{"m_ExtraLife", 1}})},
      // Palette cycling follows, since the step of 289 reads m_FullColour.
      {187,
       {"m_FullColour", "m_ColourKey0", "m_ColourKey1", "m_ColourKey2", "m_PaletteCycling"},
       Sets({{"m_FullColour", 0}, {"m_ColourKey0", 0}, {"m_ColourKey1", 177}, {"m_ColourKey2", 0}, {"m_PaletteCycling", 1}})},
      {188,
       {"m_RestoreStory", "m_RestoreChallenge", "m_RestoreFree"},
       Sets({{"m_RestoreStory", 1}, {"m_RestoreChallenge", 1}, {"m_RestoreFree", 1}})},
      {191,
       {"m_InfiniteLives", "m_ContinueAfterMiss", "m_MapShowsLives"},
       [](cSystem& s) {
         EXPECT_EQ(s.m_InfiniteLives, (cVector<int32_t>{0, 0, 0, 1}));
         Sets({{"m_ContinueAfterMiss", 0}, {"m_MapShowsLives", 0}})(s);
       }},
      {192, {"m_RestoreStartFile"}, Sets({{"m_RestoreStartFile", 1}})},
      {193, {"m_Labels"}, [](cSystem& s) { EXPECT_EQ(s.m_Labels[24], "\x83\x7D\x83\x62\x83\x76\x82\xD6\x96\xDF\x82\xE9"); }},
      {201, {"m_CarryEnabled"}, [](cSystem& s) { EXPECT_EQ(s.m_CarryEnabled[15], 0); }},
      {202, {"m_SceneBgmLoop"}, [](cSystem& s) { EXPECT_EQ(s.m_SceneBgmLoop, (cVector<uint8_t>{1, 1, 1, 1})); }},
      {205, {"m_FontFace"}, Sets({{"m_FontFace", 60}})},
      {210, {"m_CarryEnabled"}, [](cSystem& s) { EXPECT_EQ(s.m_CarryEnabled[9], 0); }},
      {214, {"m_Switch214"}, Sets({{"m_Switch214", 1}})},
      {224, {"m_PauseRetryStory", "m_PauseRetryChallenge"}, Sets({{"m_PauseRetryStory", 0}, {"m_PauseRetryChallenge", 0}})},
      {261, {"m_Switch261"}, Sets({{"m_Switch261", 1}})},
      {272, {"m_Switch272"}, Sets({{"m_Switch272", 0}})},
      {286, {"m_IniKeys"}, [](cSystem& s) { EXPECT_EQ(s.m_IniKeys[0].m_Key, "Direct3D"); }},
      {287, {"m_Switch287"}, Sets({{"m_Switch287", 0}})},
      // A full-colour file (m_FullColour is not 0) gets no palette cycling.
      {289, {"m_PaletteCycling"}, Sets({{"m_PaletteCycling", 0}})},
      {501, {"m_CarryDropOnMiss"}, [](cSystem& s) { EXPECT_EQ(s.m_CarryDropOnMiss, cVector<uint8_t>(25, 0)); }},
      {515, {"m_BlinkStep"}, Sets({{"m_BlinkStep", 16}})},
      {525, {"m_Switch525"}, Sets({{"m_Switch525", 1}})},
      {555, {"m_Switch555"}, Sets({{"m_Switch555", 1}})},
      {567, {"m_IniKeys"}, [](cSystem& s) { EXPECT_EQ(s.m_IniKeys[6].m_Key, "DD_VideoStretch"); }},  // 568 then inserts two before it
      {568, {"m_IniKeys"}, [](cSystem& s) { EXPECT_EQ(s.m_IniKeys[5].m_Key, "DD_FontCache"); }},
      {587, {"m_StatusItems"}, [](cSystem& s) { EXPECT_EQ(s.m_StatusItems[3].m_Threshold, 33); }},
      {637, {"m_Switch637"}, Sets({{"m_Switch637", 0}})},
      {669, {"m_Switch669"}, Sets({{"m_Switch669", 1}})},
      {670, {"m_DepthFullColour", "m_DepthPalette"}, Sets({{"m_DepthFullColour", 0}, {"m_DepthPalette", 2}})},
      {672, {"m_IniKeys"}, [](cSystem& s) { EXPECT_EQ(s.m_IniKeys[9].m_Key, "English"); }},
      {677, {"m_Switch677"}, Sets({{"m_Switch677", 1}})},
      {695, {"m_Switch695"}, Sets({{"m_Switch695", 1}})},
      {696, {"m_Switch696"}, Sets({{"m_Switch696", 1}})},
      {697, {"m_Switch697"}, Sets({{"m_Switch697", 1}})},
      {721, {"m_Switch721"}, Sets({{"m_Switch721", 1}})},
      {728, {"m_Switch728"}, Sets({{"m_Switch728", 1}})},
      {733, {"m_Switch733"}, Sets({{"m_Switch733", 1}})},
      {744, {"m_Switch744"}, Sets({{"m_Switch744", 1}})},
      {749, {"m_Switch749"}, Sets({{"m_Switch749", 1}})},
      {752, {"m_Switch752"}, Sets({{"m_Switch752", 1}})},
      {756, {"m_Labels"}, [](cSystem& s) { EXPECT_EQ(s.m_Labels[22], "\x83\x7D\x83\x62\x83\x76\x82\xD6\x96\xDF\x82\xE9"); }},
      {757, {"m_PauseMapStory"}, Sets({{"m_PauseMapStory", 0}})},
      {763, {"m_Switch763a", "m_Switch763b"}, Sets({{"m_Switch763a", 1}, {"m_Switch763b", 1}})},
      {768, {"m_Switch768"}, Sets({{"m_Switch768", 1}})},
      {773, {"m_Switch773"}, Sets({{"m_Switch773", 1}})},
      {781, {"m_Switch781"}, Sets({{"m_Switch781", 1}})},
      {782, {"m_Switch782"}, Sets({{"m_Switch782", 1}})},
      {783, {"m_Switch783"}, Sets({{"m_Switch783", 1}})},
  };
  return steps;
}

// A file of version v - 1 and one of version v (same content) read alike
// except for what the step of version v changes: each step fires exactly
// below its version, and nothing else fires at that boundary.
TEST(SystemUpgrade, EachStepFiresExactlyBelowItsVersion) {
  cSystem source = Distinct();
  for (const Step& step : Steps()) {
    SCOPED_TRACE(step.version);
    cSystem newer = ReadSystem(Build(source, step.version));
    cSystem older = ReadSystem(Build(source, step.version - 1));
    auto a = Parts(newer), b = Parts(older);
    for (const auto& [name, bytes] : a) {
      if (step.touched.count(name))
        EXPECT_NE(b[name], bytes) << name << " unchanged";
      else
        EXPECT_EQ(b[name], bytes) << name << " changed";
    }
    step.check(older);
  }
}

TEST(SystemUpgrade, EdgeCasesOfTheChain) {
  cSystem source = Distinct();
  // Map menu of 150: "セーブ", "もどる", "タイトルへ" gains the auto-save entry.
  {
    cSystem s = source;
    s.m_MapMenu = {cCmd(1, "save"), cCmd(1, "back"), cCmd(0, "title")};
    cSystem got = ReadSystem(Build(s, 150));
    ASSERT_EQ(got.m_MapMenu.size(), 4u);
    EXPECT_EQ(got.m_MapMenu[0].m_Label, "save");
    EXPECT_EQ(got.m_MapMenu[1].m_Label, kAutoSave);
    EXPECT_EQ(got.m_MapMenu[1].m_Enabled, 1);
    EXPECT_EQ(got.m_MapMenu[2].m_Label, "back");
    EXPECT_EQ(got.m_MapMenu[3].m_Label, "title");
    EXPECT_EQ(got.m_MapMenu[3].m_Enabled, 0);
  }
  // Carried statuses of 209: entries 9..23 move up one, 9 becomes 0, the last is lost.
  {
    cSystem got = ReadSystem(Build(source, 209));
    EXPECT_EQ(got.m_CarryEnabled[9], 0);
    for (int g = 10; g < 25; ++g) EXPECT_EQ(got.m_CarryEnabled[static_cast<size_t>(g)], 100 + g - 1) << g;
    for (int g = 0; g < 9; ++g) EXPECT_EQ(got.m_CarryEnabled[static_cast<size_t>(g)], 100 + g) << g;
  }
  // Keys of 280: "Direct3D" (1) goes first, and VSync's default 5 becomes 2.
  {
    cSystem s = source;
    const char* names[10] = {"WindowMode", "Bpp", "VSync", "a", "b", "c", "d", "e", "f", "g"};
    for (int k = 0; k < 10; ++k) s.m_IniKeys[static_cast<size_t>(k)].m_Key = names[k];
    s.m_IniKeys[2].m_Default = 5;
    s.m_IniKeys[0].m_Default = 0;
    cSystem got = ReadSystem(Build(s, 280));
    EXPECT_EQ(got.m_IniKeys[0].m_Key, "Direct3D");
    EXPECT_EQ(got.m_IniKeys[0].m_Default, 1);
    EXPECT_EQ(got.m_IniKeys[0].m_IsText, 0);
    EXPECT_EQ(got.m_IniKeys[0].m_DefaultText, "text0");  // kept from the entry it took the place of
    EXPECT_EQ(got.m_IniKeys[1].m_Key, "WindowMode");
    EXPECT_EQ(got.m_IniKeys[3].m_Key, "VSync");
    EXPECT_EQ(got.m_IniKeys[3].m_Default, 2);
  }
  // m_Switch637 by version.
  for (auto [version, want] : {std::pair{600u, 1}, {616u, 1}, {617u, 0}, {636u, 0}, {500u, 1}}) {
    cSystem got = ReadSystem(Build(source, version));
    EXPECT_EQ(got.m_Switch637, want) << version;
  }
  // A 782 file differs from a 790 file by m_Switch783 only; 790 runs nothing.
  {
    cSystem at790 = ReadSystem(Build(source, 790));
    auto p790 = Parts(at790);
    auto psrc = Parts(source);
    EXPECT_EQ(p790, psrc);
    cSystem at782 = ReadSystem(Build(source, 782));
    at782.m_Switch783 = source.m_Switch783;
    EXPECT_EQ(Parts(at782), psrc);
  }
  // A 160 file with only 20 labels ends with 29, the upgrade texts in place.
  {
    cSystem s = source;
    s.m_Labels.resize(20);
    cSystem got = ReadSystem(Build(s, 160));
    ASSERT_EQ(got.m_Labels.size(), 29u);
    EXPECT_EQ(got.m_Labels[8], "\x8E\x63\x82\xE8HP");  // 残りHP
    EXPECT_EQ(got.m_Labels[9], "\x8E\x63\x82\xE8SP");  // 残りSP
    EXPECT_EQ(got.m_Labels[14], "\x83\x49\x81\x5B\x83\x67\x83\x5A\x81\x5B\x83\x75\x82\x6E\x82\x6D");  // オートセーブＯＮ
    EXPECT_EQ(got.m_Labels[22], "\x83\x7D\x83\x62\x83\x76\x82\xD6\x96\xDF\x82\xE9");  // マップへ戻る
    EXPECT_EQ(got.m_Labels[0], "label0");
  }
}

// --- texts, music, values ---

TEST(SystemRead, ListTextsKeepCarriageReturnsTheTitleLosesThem) {
  cSystem s = Distinct();
  s.m_Title = "My\r\nGame";
  s.m_Labels[3] = "two\r\nlines";
  s.m_SystemSounds[0] = "";
  cSystem got = ReadSystem(Build(s, 791));
  EXPECT_EQ(got.m_Title, "My\nGame");
  EXPECT_EQ(got.m_Labels[3], "two\r\nlines");
  EXPECT_EQ(got.m_SystemSounds[0], "");
}

TEST(SystemRead, BrokenListTextsAreRefused) {
  cSystem s = Distinct();
  Bytes good = Build(s, 791);
  // Find the first label's length word: the bytes of "label0" are preceded by it.
  const std::string first = "label0";
  auto it = std::search(good.begin(), good.end(), first.begin(), first.end());
  ASSERT_NE(it, good.end());
  size_t lengthAt = static_cast<size_t>(it - good.begin()) - 4;
  for (int32_t bad : {0, -1, 0x7FFFFFFF}) {
    Bytes broken = good;
    std::memcpy(broken.data() + lengthAt, &bad, 4);
    cSystem target;
    Bytes before = target.SaveToBytes();
    EXPECT_FALSE(target.LoadFromBytes(broken)) << bad;
    EXPECT_EQ(target.SaveToBytes(), before);
  }
  // A text without its NUL inside its L bytes ends where its L bytes end.
  Bytes noNul = good;
  noNul[lengthAt + 4 + first.size()] = 'X';
  cSystem got = ReadSystem(noNul);
  EXPECT_EQ(got.m_Labels[0], "label0X");
  EXPECT_EQ(got.m_Labels[1], "label1");
}

TEST(SystemRead, TruncatedOrNewerFilesLeaveTheRecordAlone) {
  Bytes good = cSystem().SaveToBytes();
  cSystem target = Distinct();
  Bytes before = target.SaveToBytes();
  for (size_t n = 0; n < good.size(); n += (n < 400 ? 1 : 7)) {
    Bytes cut(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(n));
    ASSERT_FALSE(target.LoadFromBytes(cut)) << n;
  }
  Bytes newer = good;
  newer[0] = 0x18;  // 792
  newer[1] = 0x03;
  EXPECT_FALSE(target.LoadFromBytes(newer));
  // One field entry more than a current file registers.
  Bytes surplus = good;
  surplus[4] = 59;
  EXPECT_FALSE(target.LoadFromBytes(surplus));
  // A list count far beyond the bytes left: the sound list's count word
  // stands before the length word of its only text.
  cSystem s = Distinct();
  s.m_SystemSounds = {"SOUNDMARK"};
  Bytes huge = Build(s, 791);
  const std::string mark = "SOUNDMARK";
  auto it = std::search(huge.begin(), huge.end(), mark.begin(), mark.end());
  ASSERT_NE(it, huge.end());
  size_t countAt = static_cast<size_t>(it - huge.begin()) - 8;
  ASSERT_EQ(huge[countAt], 1);
  for (uint32_t count : {0xFFFFFFFFu, 0x40000000u, 1000u}) {
    std::memcpy(huge.data() + countAt, &count, 4);
    EXPECT_FALSE(target.LoadFromBytes(huge)) << count;
  }
  EXPECT_EQ(target.SaveToBytes(), before);
}

TEST(SystemRead, SceneMusicIsClampedToTheTuneCount) {
  cSystem s = Distinct();
  s.m_SceneBgm = {3, 2, -1, 0};
  cSystem got = ReadSystem(Build(s, 791), 3);
  EXPECT_EQ(got.m_SceneBgm, (cVector<int32_t>{0, 2, 0, 0}));
  // Without a known tune count nothing is clamped.
  cSystem unknown = ReadSystem(Build(s, 791), -1);
  EXPECT_EQ(unknown.m_SceneBgm, s.m_SceneBgm);
  cSystem direct = s;
  direct.ClampSceneBgm(0);
  EXPECT_EQ(direct.m_SceneBgm, (cVector<int32_t>{0, 0, 0, 0}));
}

TEST(SystemRead, ShortListsArePaddedWithTheDefaults) {
  cSystem s = Distinct();
  s.m_Labels.resize(3);
  s.m_TitleMenu.resize(2);
  s.m_IniKeys.clear();
  s.m_CarryEnabled.resize(4);
  s.m_SceneBgm = {1};
  s.m_StatusItems.resize(1);
  s.m_Results.resize(2);
  s.m_Results[0].m_Categories = {7, 7};
  s.m_SystemSounds.resize(40, "extra");  // longer lists stay as they are
  cSystem got = ReadSystem(Build(s, 791));
  cSystem defaults;
  ASSERT_EQ(got.m_Labels.size(), 29u);
  EXPECT_EQ(got.m_Labels[2], "label2");
  EXPECT_EQ(got.m_Labels[28], defaults.m_Labels[28]);
  ASSERT_EQ(got.m_TitleMenu.size(), 7u);
  EXPECT_EQ(got.m_TitleMenu[6].m_Label, defaults.m_TitleMenu[6].m_Label);
  EXPECT_EQ(Parts(got)["m_IniKeys"], Parts(defaults)["m_IniKeys"]);
  ASSERT_EQ(got.m_CarryEnabled.size(), 25u);
  EXPECT_EQ(got.m_CarryEnabled[3], 103);
  EXPECT_EQ(got.m_CarryEnabled[13], 1);
  EXPECT_EQ(got.m_SceneBgm, (cVector<int32_t>{1, 0, 0, 0}));
  ASSERT_EQ(got.m_StatusItems.size(), 5u);
  EXPECT_EQ(got.m_StatusItems[4].m_Label, defaults.m_StatusItems[4].m_Label);
  ASSERT_EQ(got.m_Results.size(), 4u);
  EXPECT_EQ(got.m_Results[0].m_Categories, (cVector<uint8_t>{7, 7, 0, 0, 0}));
  EXPECT_EQ(got.m_Results[3].m_On, 0);
  EXPECT_EQ(got.m_SystemSounds.size(), 40u);
}

TEST(SystemRead, FontFaceOutsideTheTableIsClamped) {
  cSystem s = Distinct();
  for (auto [stored, want] : {std::pair{500, kFontFaceTableSize - 1}, {-3, 0}, {122, 122}, {0, 0}}) {
    s.m_FontFace = stored;
    EXPECT_EQ(ReadSystem(Build(s, 791)).m_FontFace, want) << stored;
  }
}

TEST(System, CheckLowValue) {
  struct Case {
    int percent, threshold, value, maximum;
    bool low;
  } cases[] = {
      {1, 33, 33, 100, true}, {1, 33, 34, 100, false}, {0, 33, 33, 100, true}, {0, 33, 34, 100, false},
      {1, 50, 1, 2, true},    {1, 49, 1, 2, false},    {1, 33, 0, 0, false},   {1, 33, -5, 0, false},
      {1, 33, 5, -10, false}, {0, 33, 5, 0, true},     {1, 0, 0, 100, true},
  };
  cSystem s;
  for (const auto& c : cases) {
    s.m_StatusItems[2].m_ThresholdPercent = c.percent;
    s.m_StatusItems[2].m_Threshold = c.threshold;
    EXPECT_EQ(s.CheckLowValue(2, c.value, c.maximum), c.low)
        << c.percent << " " << c.threshold << " " << c.value << " " << c.maximum;
  }
}

TEST(System, GetMenuItemCount) {
  cSystem s;
  s.m_Results[1].m_On = 0;  // categories all 1, but the type is off
  s.m_Results[2].m_Categories = {1, 0, 2, 0, 0};
  EXPECT_EQ(s.GetMenuItemCount(0), 5);
  EXPECT_EQ(s.GetMenuItemCount(1), 0);
  EXPECT_EQ(s.GetMenuItemCount(2), 2);
  EXPECT_EQ(s.GetMenuItemCount(3), 0);
}

TEST(System, IniKeySetKeepsTheOtherDefault) {
  cIniKey key;
  key.SetText("FreeStage", "stage.stg4");
  key.m_Default = 9;
  key.Set("Bpp", 16);
  EXPECT_EQ(key.m_Key, "Bpp");
  EXPECT_EQ(key.m_IsText, 0);
  EXPECT_EQ(key.m_Default, 16);
  EXPECT_EQ(key.m_DefaultText, "stage.stg4");
  key.SetText("", "x");
  EXPECT_EQ(key.m_Key, "");
  EXPECT_EQ(key.m_IsText, 1);
  EXPECT_EQ(key.m_Default, 16);
  EXPECT_EQ(key.m_DefaultText, "x");
}

}  // namespace

}  // namespace system_test
