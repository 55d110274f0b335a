// ctest-label: data
#include "data/Database.h"

#include <gtest/gtest.h>

#include "platform/CodePage.h"
#include "tests/data/database_test_bytes.h"

// The file's own namespace keeps its helpers apart from other test files compiled with it.
namespace database_test {

namespace {
using dbtest::FileBytes;
using dbtest::Project;

// " の読み込みに失敗しました！"
const std::string kFailedTail =
    " \x82\xCC\x93\xC7\x82\xDD\x8D\x9E\x82\xDD\x82\xC9\x8E\xB8\x94\x73\x82\xB5\x82\xDC\x82\xB5\x82\xBD\x81\x49";
// "ソフトより上位のバージョンのファイルは使用できません。"
const std::string kNewerLine =
    "\x83\x5C\x83\x74\x83\x67\x82\xE6\x82\xE8\x8F\xE3\x88\xCA\x82\xCC\x83\x6F\x81\x5B\x83\x57\x83\x87\x83\x93\x82\xCC"
    "\x83\x74\x83\x40\x83\x43\x83\x8B\x82\xCD\x8E\x67\x97\x70\x82\xC5\x82\xAB\x82\xDC\x82\xB9\x82\xF1\x81\x42";

constexpr int kLists = static_cast<int>(DbList::Count);

DbList ListAt(int i) { return static_cast<DbList>(i); }

std::vector<unsigned char> U32Bytes(uint32_t v) {
  return {static_cast<unsigned char>(v), static_cast<unsigned char>(v >> 8), static_cast<unsigned char>(v >> 16),
          static_cast<unsigned char>(v >> 24)};
}

// A database whose every list differs from the defaults, so a load that
// replaces a list can be told from one that does not.
cDatabase DistinctDatabase() {
  cDatabase db;
  db.m_AnimeSets.resize(2);
  db.m_AnimeSets[1].m_Name = "set1";
  db.m_AnimeList.resize(5);
  db.m_AnimeList[4].m_Name = "anime4";
  db.m_BmpCharaExcs.resize(3);
  db.m_BmpCharaExcs[2].m_DrawValue1 = 1;
  db.m_SwordTypes.resize(3);
  db.m_Effects.resize(3);
  db.m_CharaEffects.resize(3);
  db.m_CharaEffects[0].m_EffectKind = 5;
  db.m_ScrEffects.resize(3);
  db.m_ScrEffects[0].m_EffectKind = 6;
  db.m_Pictures.resize(3);
  db.m_Sounds.resize(3);
  db.m_Bgms.resize(3);
  return db;
}

TEST(Database, DefaultsAsTheConstructorMakesThem) {
  cDatabase db;
  ASSERT_EQ(db.m_AnimeSets.size(), 1u);
  EXPECT_EQ(db.m_AnimeSets[0].m_Animes.size(), 4u);
  ASSERT_EQ(db.m_AnimeList.size(), 2u);
  EXPECT_EQ(db.m_AnimeList[0].m_Name, "\x82\xC8\x82\xB5");  // なし
  EXPECT_EQ(db.m_AnimeList[1].m_Name, "\x83\x41\x83\x4E\x83\x56\x83\x87\x83\x93" "A");  // アクションA
  ASSERT_EQ(db.m_BmpCharaExcs.size(), 2u);
  EXPECT_EQ(db.m_BmpCharaExcs[1].m_DrawValue1, 0);
  EXPECT_EQ(db.m_BmpCharaExcs[1].m_DrawValue2, 2);
  ASSERT_EQ(db.m_SwordTypes.size(), 1u);
  ASSERT_EQ(db.m_SwordTypes[0].m_SwordFrames.size(), 1u);
  EXPECT_EQ(db.m_SwordTypes[0].m_SwordFrames[0].m_Param3, 1);
  EXPECT_EQ(db.m_SwordTypes[0].m_SwordFrames[0].m_Param7, 1);
  ASSERT_EQ(db.m_Effects.size(), 2u);
  EXPECT_EQ(db.m_Effects[1].m_EffectW, 32);
  EXPECT_EQ(db.m_Effects[1].m_EffectH, 32);
  ASSERT_EQ(db.m_Effects[1].m_EffectFrames.size(), 1u);
  EXPECT_EQ(db.m_Effects[1].m_EffectFrames[0].m_Duration, 1);
  ASSERT_EQ(db.m_CharaEffects.size(), 2u);
  ASSERT_EQ(db.m_ScrEffects.size(), 2u);
  for (int i = 0; i < 2; ++i) {
    EXPECT_EQ(db.m_CharaEffects[static_cast<size_t>(i)].m_EffectKind, 1);
    EXPECT_EQ(db.m_ScrEffects[static_cast<size_t>(i)].m_EffectKind, 1);
  }
  EXPECT_EQ(db.m_Pictures.size(), 2u);
  EXPECT_EQ(db.m_Sounds.size(), 2u);
  EXPECT_EQ(db.m_Bgms.size(), 2u);
}

TEST(Database, DefaultPictureFileBytes) {
  cDatabase db;
  // version 791, two elements of {one field: tag 0; two empty strings}
  FileBytes expected(791);
  expected.U32(2);
  for (int i = 0; i < 2; ++i) expected.Ints({0}).Strings({"", ""});
  EXPECT_EQ(db.ListToBytes(DbList::Picture), expected.bytes());
}

TEST(Database, DefaultsWrittenReadBackAndWrittenAgain) {
  Project project;
  cDatabase written;
  ASSERT_TRUE(written.Save());
  std::vector<std::vector<unsigned char>> files;
  for (int i = 0; i < kLists; ++i) files.push_back(project.Read(DbFilePath(ListAt(i))));

  cDatabase read = DistinctDatabase();
  read.m_CharaEffects.clear();
  ASSERT_TRUE(read.Load());
  EXPECT_TRUE(project.boxes.empty());

  // Loading makes element 0 of the effect lists "no effect"; otherwise the
  // lists read back equal and write out byte for byte the same.
  cDatabase expected;
  expected.FixAfterLoad();
  for (int i = 0; i < kLists; ++i) {
    SCOPED_TRACE(DbFilePath(ListAt(i)));
    EXPECT_EQ(read.Count(ListAt(i)), expected.Count(ListAt(i)));
    EXPECT_EQ(read.ListToBytes(ListAt(i)), expected.ListToBytes(ListAt(i)));
    if (ListAt(i) != DbList::CharaEffect && ListAt(i) != DbList::ScrEffect) {
      EXPECT_EQ(read.ListToBytes(ListAt(i)), files[static_cast<size_t>(i)]);
    }
  }
  EXPECT_EQ(read.m_AnimeSets[0].m_Animes[3].m_Name, written.m_AnimeSets[0].m_Animes[3].m_Name);
  EXPECT_EQ(read.m_BmpCharaExcs[1].m_DrawValue2, 2);
  EXPECT_EQ(read.m_CharaEffects[0].m_EffectKind, 0);
  EXPECT_EQ(read.m_CharaEffects[1].m_EffectKind, 1);

  // A saved and reloaded database is stable.
  ASSERT_TRUE(read.Save());
  cDatabase again;
  ASSERT_TRUE(again.Load());
  for (int i = 0; i < kLists; ++i) EXPECT_EQ(again.ListToBytes(ListAt(i)), read.ListToBytes(ListAt(i)));
}

TEST(Database, MissingSwordTypeStopsTheLoad) {
  Project project;
  cDatabase source = DistinctDatabase();
  ASSERT_TRUE(source.Save());
  ASSERT_TRUE(platform::RemoveFile("data\\database\\SwordType.dat"));

  cDatabase db;
  EXPECT_FALSE(db.Load());
  ASSERT_EQ(project.boxes.size(), 1u);
  EXPECT_EQ(project.boxes[0], "data\\database\\SwordType.dat" + kFailedTail + "\nfile missing or unreadable");
  EXPECT_NE(project.log.Text().find(platform::Cp932ToUtf8("data\\database\\SwordType.dat" + kFailedTail)),
            std::string::npos);
  // The lists before it were read ...
  EXPECT_EQ(db.m_AnimeSets.size(), 2u);
  EXPECT_EQ(db.m_AnimeList.size(), 5u);
  EXPECT_EQ(db.m_AnimeList[4].m_Name, "anime4");
  EXPECT_EQ(db.m_BmpCharaExcs.size(), 3u);
  // ... it and the later ones keep their defaults, untouched by the fix-up.
  cDatabase defaults;
  for (int i = static_cast<int>(DbList::SwordType); i < kLists; ++i)
    EXPECT_EQ(db.ListToBytes(ListAt(i)), defaults.ListToBytes(ListAt(i))) << DbFilePath(ListAt(i));
}

TEST(Database, NewerSoundFileIsRefusedWithTheTwoLineMessage) {
  Project project;
  cDatabase source = DistinctDatabase();
  ASSERT_TRUE(source.Save());
  std::vector<unsigned char> sound = project.Read("data\\database\\Sound.dat");
  std::vector<unsigned char> v792 = U32Bytes(792);
  std::copy(v792.begin(), v792.end(), sound.begin());
  project.Write("data\\database\\Sound.dat", sound);

  cDatabase db;
  EXPECT_FALSE(db.Load());
  ASSERT_EQ(project.boxes.size(), 1u);
  // The two lines, then the reader's reason naming the newer version.
  const std::string head = "data\\database\\Sound.dat" + kFailedTail + "\n" + kNewerLine + "\n";
  EXPECT_EQ(project.boxes[0].rfind(head, 0), 0u) << project.boxes[0];
  EXPECT_NE(project.boxes[0].find("792", head.size()), std::string::npos) << project.boxes[0];
  EXPECT_EQ(bNewerFile, 1);
  EXPECT_EQ(db.m_Pictures.size(), 3u);
  EXPECT_EQ(db.m_Sounds.size(), 2u);
  EXPECT_EQ(db.m_Bgms.size(), 2u);
}

TEST(Database, MissingFileAfterARefusedNewerOneGetsTheOneLineMessage) {
  Project project;
  bNewerFile = 1;  // left over from an earlier refused file
  cDatabase db;
  EXPECT_FALSE(db.Load());
  ASSERT_EQ(project.boxes.size(), 1u);
  EXPECT_EQ(project.boxes[0], "data\\database\\AnimeSet.dat" + kFailedTail + "\nfile missing or unreadable");
}

TEST(Database, BrokenFilesAreRefusedAndLeaveTheListAlone) {
  struct Case {
    const char* what;
    DbList list;
    std::vector<unsigned char> bytes;
  };
  std::vector<Case> cases = {
      {"count beyond the file", DbList::Anime, FileBytes(791).U32(0xFFFFFFFFu).bytes()},
      {"count with too few bytes", DbList::Picture, FileBytes(791).U32(3).Ints({0}).Strings({"a", "b"}).bytes()},
      {"body cut short", DbList::Sound, FileBytes(791).U32(1).Ints({0}).I32(2).I32(5).bytes()},
      {"string length beyond the file", DbList::Bgm, FileBytes(791).U32(1).Ints({0}).I32(2).I32(1000).I32(1).bytes()},
      {"surplus field entries", DbList::Picture, FileBytes(791).U32(1).Ints({0, 0}).Strings({"", ""}).bytes()},
      {"surplus strings", DbList::Picture, FileBytes(791).U32(1).Ints({0}).Strings({"", "", ""}).bytes()},
      {"negative field count", DbList::Picture, FileBytes(791).U32(1).I32(-1).Strings({"", ""}).bytes()},
      {"frame count beyond the file", DbList::SwordType,
       FileBytes(791).U32(1).Ints({0}).Strings({"", "", ""}).U32(0x10000000u).bytes()},
      {"animation count beyond the file", DbList::AnimeSet,
       FileBytes(791).U32(1).Ints({4, 8, 0}).Strings({"s"}).U32(0x7FFFFFFFu).bytes()},
      {"no count", DbList::Effect, FileBytes(791).bytes()},
  };
  for (auto& c : cases) {
    SCOPED_TRACE(c.what);
    cDatabase db = DistinctDatabase();
    std::vector<unsigned char> before = db.ListToBytes(c.list);
    EXPECT_FALSE(db.LoadListFromBytes(c.list, c.bytes));
    EXPECT_EQ(db.ListToBytes(c.list), before);
  }
}

TEST(Database, BrokenFileStopsTheLoadWithTheOneLineMessage) {
  Project project;
  cDatabase source;
  ASSERT_TRUE(source.Save());
  project.Write("data\\database\\Anime.dat", FileBytes(791).U32(0xFFFFFFFFu).bytes());
  cDatabase db;
  EXPECT_FALSE(db.Load());
  ASSERT_EQ(project.boxes.size(), 1u);
  // The one-line message, then the reader's reason below it.
  const std::string head = "data\\database\\Anime.dat" + kFailedTail + "\n";
  EXPECT_EQ(project.boxes[0].rfind(head, 0), 0u) << project.boxes[0];
  EXPECT_GT(project.boxes[0].size(), head.size());
  EXPECT_EQ(db.m_AnimeList.size(), 2u);
}

TEST(Database, ListsTakeTheFileCountReusingExistingElements) {
  for (uint32_t count : {1u, 5u}) {
    FileBytes f(791);
    f.U32(count);
    // options 2, 1 and 2 bytes wide; no frames
    for (uint32_t i = 0; i < count; ++i) f.I32(3).I16(3).I8(4).I16(5).Strings({"n"}).U32(0);
    cDatabase db;
    ASSERT_TRUE(db.LoadListFromBytes(DbList::Anime, f.bytes()));
    EXPECT_EQ(db.m_AnimeList.size(), count);
    EXPECT_TRUE(db.m_AnimeList.back().m_Frames.empty());
    EXPECT_EQ(db.m_AnimeList.back().m_Option2, 4);
  }
}

TEST(Database, PictureTagIsClearedBelow153) {
  for (uint32_t version : {150u, 152u, 153u, 791u}) {
    SCOPED_TRACE(version);
    FileBytes f(version);
    f.U32(2);
    for (int i = 0; i < 2; ++i) {
      if (version >= 151)
        f.Ints({77});
      else
        f.Ints({});
      f.Strings({"pic", "bmp\\picture\\a.bmp"});
    }
    cDatabase db;
    db.m_Pictures[1].m_Tag = 55;
    ASSERT_TRUE(db.LoadListFromBytes(DbList::Picture, f.bytes()));
    for (auto& p : db.m_Pictures) {
      EXPECT_EQ(p.m_Tag, version >= 153 ? 77 : 0);
      EXPECT_EQ(p.m_File, "bmp\\picture\\a.bmp");
    }
  }
}

TEST(Database, BmpCharaExcBefore172KeepsItsDrawValues) {
  // v171: tag only (from 152); the drawing values keep what the element had.
  FileBytes f(171);
  f.U32(3);
  for (int i = 0; i < 3; ++i) f.Ints({9}).Strings({"name", "file.bmp"});
  cDatabase db;
  db.m_BmpCharaExcs[1].m_DrawValue1 = 1;
  db.m_BmpCharaExcs[1].m_DrawValue2 = 3;
  ASSERT_TRUE(db.LoadListFromBytes(DbList::BmpCharaExc, f.bytes()));
  ASSERT_EQ(db.m_BmpCharaExcs.size(), 3u);
  EXPECT_EQ(db.m_BmpCharaExcs[0].m_DrawValue2, 2);
  EXPECT_EQ(db.m_BmpCharaExcs[1].m_DrawValue1, 1);  // reused element
  EXPECT_EQ(db.m_BmpCharaExcs[1].m_DrawValue2, 3);
  EXPECT_EQ(db.m_BmpCharaExcs[2].m_DrawValue1, 0);  // new element
  EXPECT_EQ(db.m_BmpCharaExcs[2].m_DrawValue2, 2);
  for (auto& b : db.m_BmpCharaExcs) EXPECT_EQ(b.m_Tag, 9);
  EXPECT_EQ(db.m_BmpCharaExcs[2].m_File, "file.bmp");

  // v172 has them; v151 has no tag either.
  FileBytes g(172);
  g.U32(1).Ints({9, 1, 4}).Strings({"n", "f"});
  ASSERT_TRUE(db.LoadListFromBytes(DbList::BmpCharaExc, g.bytes()));
  ASSERT_EQ(db.m_BmpCharaExcs.size(), 1u);
  EXPECT_EQ(db.m_BmpCharaExcs[0].m_DrawValue1, 1);
  EXPECT_EQ(db.m_BmpCharaExcs[0].m_DrawValue2, 4);
  FileBytes h(151);
  h.U32(1).Ints({}).Strings({"n", "f"});
  ASSERT_TRUE(db.LoadListFromBytes(DbList::BmpCharaExc, h.bytes()));
  EXPECT_EQ(db.m_BmpCharaExcs[0].m_Tag, 0);
}

TEST(Database, SwordFramesBefore138HaveEightEntries) {
  FileBytes f(137);
  f.U32(1).Ints({}).Strings({"sword", "bmp\\sword\\a.bmp", "b.bmp"});
  f.U32(2);
  // param1, param2, position, param5, param6, width, height, param7
  f.Ints({11, 12, 3, 15, 16, 40, 24, 6}).Strings({});
  f.Ints({21, 22, 1, 25, 26, 41, 25, 7}).Strings({});
  cDatabase db;
  ASSERT_TRUE(db.LoadListFromBytes(DbList::SwordType, f.bytes()));
  ASSERT_EQ(db.m_SwordTypes.size(), 1u);
  const cSwordType& s = db.m_SwordTypes[0];
  EXPECT_EQ(s.m_Text2, "b.bmp");
  ASSERT_EQ(s.m_SwordFrames.size(), 2u);
  const cSwordFrame& a = s.m_SwordFrames[0];
  EXPECT_EQ(a.m_Param1, 11);
  EXPECT_EQ(a.m_Param2, 12);
  EXPECT_EQ(a.m_Param3, 1);  // a new frame's value
  EXPECT_EQ(a.m_Param4, 0);
  EXPECT_EQ(a.m_Position, 3);
  EXPECT_EQ(a.m_Param5, 15);
  EXPECT_EQ(a.m_Param6, 16);
  EXPECT_EQ(a.m_Width, 40);
  EXPECT_EQ(a.m_Height, 24);
  EXPECT_EQ(a.m_Param7, 6);
  EXPECT_EQ(s.m_SwordFrames[1].m_Param7, 7);
  EXPECT_EQ(db.SwordTime(0), 13);

  // Written back at 791 with ten entries per frame, and read the same.
  std::vector<unsigned char> bytes = db.ListToBytes(DbList::SwordType);
  cDatabase again;
  ASSERT_TRUE(again.LoadListFromBytes(DbList::SwordType, bytes));
  EXPECT_EQ(again.ListToBytes(DbList::SwordType), bytes);
  EXPECT_EQ(again.m_SwordTypes[0].m_SwordFrames[1].m_Param3, 1);
  EXPECT_EQ(again.m_SwordTypes[0].m_SwordFrames[1].m_Height, 25);
}

TEST(Database, SwordTime) {
  struct Case {
    std::vector<int32_t> durations;
    int expected;
  };
  const Case cases[] = {
      {{}, 0},
      {{1}, 1},
      {{5000, 6000}, 9999},
      {{9999, -5}, 9994},      // capped after each addition, not at the end
      {{40000}, 9999},         // no 16-bit wrap
      {{100, -300}, -200},
  };
  for (const auto& c : cases) {
    cDatabase db;
    db.m_SwordTypes[0].m_SwordFrames.clear();
    for (int32_t d : c.durations) {
      cSwordFrame f;
      f.m_Param7 = d;
      db.m_SwordTypes[0].m_SwordFrames.push_back(f);
    }
    EXPECT_EQ(db.SwordTime(0), c.expected);
  }
  cDatabase db;
  EXPECT_EQ(db.SwordTime(1), 0);
  EXPECT_EQ(db.SwordTime(-1), 0);
  db.m_SwordTypes.clear();
  EXPECT_EQ(db.SwordTime(0), 0);
}

TEST(Database, EffectDefinitionZeroIsForcedToNoEffect) {
  Project project;
  cDatabase source;
  ASSERT_TRUE(source.Save());
  // Element 0 stored with kinds 5 and 6; an empty screen-effect list.
  FileBytes chara(791);
  chara.U32(2);
  chara.I32(2).I32(5).I32(1).I32(2).I32(3).I32(4).I32(5).Strings({"zero"});
  chara.I32(2).I32(7).I32(1).I32(2).I32(3).I32(4).I32(5).Strings({"one"});
  project.Write("data\\database\\CharaEffect.dat", chara.bytes());
  project.Write("data\\database\\ScrEffect.dat", FileBytes(791).U32(0).bytes());

  cDatabase db;
  ASSERT_TRUE(db.Load());
  ASSERT_EQ(db.m_CharaEffects.size(), 2u);
  EXPECT_EQ(db.m_CharaEffects[0].m_EffectKind, 0);
  EXPECT_EQ(db.m_CharaEffects[0].m_EffectParam[4], 5);
  EXPECT_EQ(db.m_CharaEffects[0].m_EffectName, "zero");
  EXPECT_EQ(db.m_CharaEffects[1].m_EffectKind, 7);
  ASSERT_EQ(db.m_ScrEffects.size(), 1u);
  EXPECT_EQ(db.m_ScrEffects[0].m_EffectKind, 0);
}

TEST(Database, CarriageReturnsAreStripped) {
  Project project;
  cDatabase source;
  source.m_Pictures[1].m_Name = "a\r\nb";
  source.m_SwordTypes[0].m_Text2 = "x\ry";
  source.m_AnimeSets[0].m_Animes[1].m_Name = "c\r\nd";
  ASSERT_TRUE(source.Save());
  cDatabase db;
  ASSERT_TRUE(db.Load());
  EXPECT_EQ(db.m_Pictures[1].m_Name, "a\nb");
  EXPECT_EQ(db.m_SwordTypes[0].m_Text2, "xy");
  EXPECT_EQ(db.m_AnimeSets[0].m_Animes[1].m_Name, "c\nd");
}

TEST(Database, FillReadContextSetsTheListCounts) {
  cDatabase db = DistinctDatabase();
  db.m_Bgms.resize(7);
  cReadContext context;
  FillReadContext(db, context);
  for (int i = 0; i < kLists; ++i) EXPECT_EQ(context.DbCount(ListAt(i)), db.Count(ListAt(i)));
  EXPECT_EQ(context.DbCount(DbList::Bgm), 7);
  EXPECT_EQ(context.DbCount(DbList::Anime), 5);
  ASSERT_TRUE(context.swordFrameDurations);
  EXPECT_TRUE(context.swordFrameDurations(-1).empty());
  EXPECT_TRUE(context.swordFrameDurations(static_cast<int>(db.m_SwordTypes.size())).empty());
  std::vector<int> expected;
  for (const auto& f : db.m_SwordTypes[0].m_SwordFrames) expected.push_back(f.Duration());
  EXPECT_EQ(context.swordFrameDurations(0), expected);
}

}  // namespace

}  // namespace database_test
