// ctest-label: data
#include "data/Anime.h"

#include <gtest/gtest.h>

#include "data/Database.h"
#include "tests/data/database_test_bytes.h"

// The file's own namespace keeps its helpers apart from other test files compiled with it.
namespace anime_test {

namespace {
using dbtest::FileBytes;

const std::string kFly = "\x94\xF2\x8D\x73";                      // 飛行
const std::string kFlyMove = "\x94\xF2\x8D\x73\x88\xDA\x93\xAE";  // 飛行移動

// An animation body as a file of `version` holds it.
void AnimeBody(FileBytes& f, uint32_t version, const std::string& name, int frames, int16_t option = 7) {
  if (version >= 55)
    f.I32(3).I16(option).I8(static_cast<int8_t>(option)).I16(option);
  else
    f.I32(0);
  f.Strings({name});
  f.U32(static_cast<uint32_t>(frames));
  for (int i = 0; i < frames; ++i) f.Ints({10 + i, 2, i == 1 ? 1 : 0}).Strings({});
}

// A set body with `animes` animations named a0, a1, ...
void SetBody(FileBytes& f, uint32_t version, int animes) {
  if (version >= 119)
    f.Ints({1, 2, 3});
  else
    f.Ints({1, 2});
  f.Strings({"set"});
  f.U32(static_cast<uint32_t>(animes));
  for (int i = 0; i < animes; ++i) AnimeBody(f, version, "a" + std::to_string(i), 2);
}

cDatabase ReadSets(uint32_t version, int animes, int sets = 1, int32_t previousFly = 0) {
  FileBytes f(version);
  f.U32(static_cast<uint32_t>(sets));
  for (int i = 0; i < sets; ++i) SetBody(f, version, animes);
  cDatabase db;
  db.m_AnimeSets[0].m_FlyPatternOffset = previousFly;
  EXPECT_TRUE(db.LoadListFromBytes(DbList::AnimeSet, f.bytes()));
  return db;
}

TEST(AnimeSet, Version118ReadsAsTheFourBasicMotions) {
  cDatabase db = ReadSets(118, 2, 2, 7);
  ASSERT_EQ(db.m_AnimeSets.size(), 2u);
  EXPECT_EQ(db.m_AnimeSets[0].m_FlyPatternOffset, 7);  // reused element keeps it
  EXPECT_EQ(db.m_AnimeSets[1].m_FlyPatternOffset, 0);  // new element's default
  for (const cAnimeSet& set : db.m_AnimeSets) {
    EXPECT_EQ(set.m_PatternOffset1, 1);
    EXPECT_EQ(set.m_PatternOffset2, 2);
    ASSERT_EQ(set.m_Animes.size(), 4u);
    EXPECT_EQ(set.m_Animes[0].m_Name, "a0");
    EXPECT_EQ(set.m_Animes[1].m_Name, "a1");
    ASSERT_EQ(set.m_Animes[1].m_Frames.size(), 2u);
    EXPECT_EQ(set.m_Animes[1].m_Frames[1].m_Pattern, 11);
    EXPECT_EQ(set.m_Animes[1].m_Frames[1].m_Uninterruptible, 1);
    EXPECT_EQ(set.m_Animes[2].m_Name, kFly);
    EXPECT_EQ(set.m_Animes[3].m_Name, kFlyMove);
    for (int i = 2; i < 4; ++i) {
      const cAnime& reset = set.m_Animes[static_cast<size_t>(i)];
      ASSERT_EQ(reset.m_Frames.size(), 1u);
      EXPECT_EQ(reset.m_Frames[0].m_Duration, 1);
      EXPECT_EQ(reset.m_Option2, 1);
    }
  }
}

TEST(AnimeSet, Version127KeepsFourAndNamesTheFlyingMotions) {
  cDatabase db = ReadSets(127, 6);
  const cAnimeSet& set = db.m_AnimeSets[0];
  ASSERT_EQ(set.m_Animes.size(), 4u);
  EXPECT_EQ(set.m_FlyPatternOffset, 3);
  EXPECT_EQ(set.m_Animes[1].m_Name, "a1");
  EXPECT_EQ(set.m_Animes[2].m_Name, kFly);
  EXPECT_EQ(set.m_Animes[3].m_Name, kFlyMove);
  EXPECT_EQ(set.m_Animes[3].m_Frames.size(), 2u);  // stored frames stay
}

TEST(AnimeSet, Version128KeepsEveryAnimationAndItsName) {
  cDatabase db = ReadSets(128, 6);
  const cAnimeSet& set = db.m_AnimeSets[0];
  ASSERT_EQ(set.m_Animes.size(), 6u);
  for (int i = 0; i < 6; ++i) EXPECT_EQ(set.m_Animes[static_cast<size_t>(i)].m_Name, "a" + std::to_string(i));
}

TEST(AnimeSet, NewerSetWithoutTheBasicMotionsIsPadded) {
  cDatabase db = ReadSets(791, 2);
  const cAnimeSet& set = db.m_AnimeSets[0];
  ASSERT_EQ(set.m_Animes.size(), 4u);
  EXPECT_EQ(set.m_Animes[1].m_Name, "a1");
  EXPECT_EQ(set.m_Animes[1].m_Frames.size(), 2u);
  EXPECT_EQ(set.m_Animes[2].m_Name, kFly);
  EXPECT_EQ(set.m_Animes[3].m_Name, kFlyMove);
  EXPECT_EQ(set.m_Animes[3].m_Frames.size(), 1u);
}

TEST(AnimeSet, Version54HasNoAnimationOptions) {
  cDatabase db = ReadSets(54, 1);
  const cAnimeSet& set = db.m_AnimeSets[0];
  ASSERT_EQ(set.m_Animes.size(), 4u);
  EXPECT_EQ(set.m_Animes[0].m_Option1, 0);
  EXPECT_EQ(set.m_Animes[0].m_Option2, 1);
  EXPECT_EQ(set.m_Animes[0].m_Option3, 0);
  EXPECT_EQ(set.m_Animes[0].m_Frames.size(), 2u);

  // A reused element of the free animation list keeps its options.
  FileBytes f(54);
  f.U32(2);
  AnimeBody(f, 54, "x", 1);
  AnimeBody(f, 54, "y", 0);
  cDatabase list;
  list.m_AnimeList[0].m_Option2 = 9;
  ASSERT_TRUE(list.LoadListFromBytes(DbList::Anime, f.bytes()));
  EXPECT_EQ(list.m_AnimeList[0].m_Option2, 9);
  EXPECT_EQ(list.m_AnimeList[1].m_Option2, 1);
  EXPECT_TRUE(list.m_AnimeList[1].m_Frames.empty());
}

TEST(Anime, BodyLayoutAt791) {
  cAnime a;
  a.m_Name = "ab";
  a.m_Option1 = -2;
  a.m_Option2 = 3;
  a.m_Option3 = 0x1234;
  a.m_Frames[0].m_Pattern = 5;
  a.m_Frames[0].m_Uninterruptible = 1;
  FileBytes expected(791);
  expected.I32(3).I16(-2).I8(3).I16(0x1234).Strings({"ab"}).U32(1).Ints({5, 1, 1}).Strings({});
  EXPECT_EQ(a.SaveToBytes(), expected.bytes());

  cAnime b;
  b.m_Frames.clear();
  ASSERT_TRUE(b.LoadFromBytes(expected.bytes()));
  EXPECT_EQ(b.SaveToBytes(), expected.bytes());
  EXPECT_EQ(b.m_Option3, 0x1234);
}

TEST(Anime, NewAnimationHasOneFrameOfDurationOne) {
  cAnime a;
  ASSERT_EQ(a.m_Frames.size(), 1u);
  EXPECT_EQ(a.m_Frames[0].m_Duration, 1);
  EXPECT_EQ(a.m_Frames[0].m_Pattern, 0);
  EXPECT_EQ(a.m_Frames[0].m_Uninterruptible, 0);
  EXPECT_EQ(a.m_Option2, 1);
}

TEST(AnimeSet, CopiesAreIndependent) {
  cAnimeSet a;
  a.m_Name = "orig";
  a.m_Animes[0].m_Frames[0].m_Pattern = 3;
  cAnimeSet b;
  b = a;
  b.m_Name = "copy";
  b.m_Animes[0].m_Frames[0].m_Pattern = 9;
  b.m_Animes[1].m_Name = "changed";
  EXPECT_EQ(a.m_Animes[0].m_Frames[0].m_Pattern, 3);
  EXPECT_EQ(a.m_Animes[1].m_Name, "\x97\xA7\x82\xBF\x88\xDA\x93\xAE");  // 立ち移動
  // Each writes its own members, never the other's.
  cAnimeSet fromA, fromB;
  ASSERT_TRUE(fromA.LoadFromBytes(a.SaveToBytes()));
  ASSERT_TRUE(fromB.LoadFromBytes(b.SaveToBytes()));
  EXPECT_EQ(fromA.m_Name, "orig");
  EXPECT_EQ(fromB.m_Name, "copy");
  EXPECT_EQ(fromB.m_Animes[0].m_Frames[0].m_Pattern, 9);
}

// The body a new set writes: its three offsets, an empty name and the four
// basic motions, each with one frame of duration 1.
void NewSetBody(FileBytes& f) {
  const std::string names[] = {"\x97\xA7\x82\xBF", "\x97\xA7\x82\xBF\x88\xDA\x93\xAE", kFly, kFlyMove};
  f.Ints({4, 8, 0}).Strings({""}).U32(4);
  for (const std::string& name : names) f.I32(3).I16(0).I8(1).I16(0).Strings({name}).U32(1).Ints({0, 1, 0}).Strings({});
}

// Sets stored without animations hold the basic motions through one shared
// list: a change to one set's motions reaches no other set, and every set
// still writes the motions out in full.
TEST(AnimeSet, StoredEmptySetsShareTheBasicMotionsUntilOneChanges) {
  FileBytes f(791);
  f.U32(3);
  for (int i = 0; i < 3; ++i) f.Ints({}).Strings({}).U32(0);
  cDatabase db;
  ASSERT_TRUE(db.LoadListFromBytes(DbList::AnimeSet, f.bytes()));
  ASSERT_EQ(db.m_AnimeSets.size(), 3u);
  for (const cAnimeSet& set : db.m_AnimeSets) EXPECT_TRUE(set.m_Animes.SharesBasic());

  FileBytes expected(791);
  expected.U32(3);
  for (int i = 0; i < 3; ++i) NewSetBody(expected);
  EXPECT_EQ(db.ListToBytes(DbList::AnimeSet), expected.bytes());

  db.m_AnimeSets[1].m_Animes[0].m_Frames[0].m_Pattern = 5;
  db.m_AnimeSets[1].m_Animes[3].m_Name = "own";
  EXPECT_FALSE(db.m_AnimeSets[1].m_Animes.SharesBasic());
  EXPECT_TRUE(db.m_AnimeSets[2].m_Animes.SharesBasic());
  for (size_t i : {0u, 2u}) {
    EXPECT_EQ(db.m_AnimeSets[i].m_Animes[0].m_Frames[0].m_Pattern, 0);
    EXPECT_EQ(db.m_AnimeSets[i].m_Animes[3].m_Name, kFlyMove);
  }
  const cAnimeSet fresh;
  EXPECT_EQ(fresh.m_Animes[0].m_Frames[0].m_Pattern, 0);
  EXPECT_EQ(fresh.m_Animes[3].m_Name, kFlyMove);
  EXPECT_EQ(fresh.m_Animes.size(), 4u);
}

// A set with a list of its own never shares it: a reference into the list
// taken before a copy changes only the set it was taken from.
TEST(AnimeSet, OwnListsAreCopiedWithTheSet) {
  cAnimeSet a;
  cAnime& first = a.m_Animes[0];
  first.m_Name = "a";
  cAnimeSet copied(a);
  cAnimeSet assigned;
  assigned = a;
  first.m_Frames[0].m_Pattern = 7;
  EXPECT_EQ(copied.m_Animes[0].m_Name, "a");
  EXPECT_EQ(copied.m_Animes[0].m_Frames[0].m_Pattern, 0);
  EXPECT_EQ(assigned.m_Animes[0].m_Frames[0].m_Pattern, 0);

  // A set moved from holds the basic motions again, ready for use.
  cAnimeSet moved(std::move(a));
  EXPECT_EQ(moved.m_Animes[0].m_Frames[0].m_Pattern, 7);
  EXPECT_TRUE(a.m_Animes.SharesBasic());  // NOLINT(bugprone-use-after-move)
  EXPECT_EQ(a.m_Animes.size(), 4u);       // NOLINT(bugprone-use-after-move)
}

}  // namespace

}  // namespace anime_test
