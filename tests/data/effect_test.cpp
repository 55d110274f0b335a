// ctest-label: data
#include "data/Effect.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>

#include "data/Database.h"
#include "tests/data/database_test_bytes.h"

// The file's own namespace keeps its helpers apart from other test files compiled with it.
namespace effect_test {

namespace {
using dbtest::FileBytes;

struct TableInfo {
  const char* name;
  const cEffectParamLabel* rows;
  int kinds;
  std::vector<int> usedRows;  // rows with a label, kinds 0..n-1
  const char* const* names;
  const char* const* notes;
};

TEST(EffectParamTables, ShapeAndRanges) {
  const TableInfo tables[] = {
      {"chara", kCharaEffectParams, kCharaEffectKindCount,
       {0, 3, 4, 4, 5, 5, 2, 3, 3, 3, 4, 3, 5, 4, 2, 3, 3}, kCharaEffectKindNames, kCharaEffectSpeedNotes},
      {"screen", kScrEffectParams, kScrEffectKindCount, {0, 5, 3, 3, 4, 4, 5, 5, 2, 3, 4, 3, 5, 3},
       kScrEffectKindNames, kScrEffectSpeedNotes},
  };
  // "実行時間(1/10s)"
  const char* time = "\x8E\xC0\x8D\x73\x8E\x9E\x8A\xD4(1/10s)";
  // "Direct3D有効時："
  const char* noteStart = "Direct3D\x97\x4C\x8C\xF8\x8E\x9E\x81\x46";
  for (const auto& t : tables) {
    SCOPED_TRACE(t.name);
    for (int kind = 0; kind < t.kinds; ++kind) {
      int used = 0;
      for (int p = 0; p < kEffectParamCount; ++p) {
        const cEffectParamLabel& row = t.rows[kind * kEffectParamCount + p];
        if (row.label[0] == '\0') {
          EXPECT_EQ(row.minimum | row.maximum | row.defaultValue, 0) << kind << "/" << p;
          continue;
        }
        ++used;
        EXPECT_LE(row.minimum, row.defaultValue) << kind << "/" << p;
        EXPECT_LE(row.defaultValue, row.maximum) << kind << "/" << p;
      }
      EXPECT_EQ(used, t.usedRows[static_cast<size_t>(kind)]) << kind;
      // Every kind starts with its running time.
      if (kind > 0) {
        EXPECT_STREQ(t.rows[kind * kEffectParamCount].label, time) << kind;
        EXPECT_NE(t.names[kind - 1][0], '\0') << kind;
        EXPECT_EQ(std::strncmp(t.notes[kind - 1], noteStart, std::strlen(noteStart)), 0) << kind;
      }
    }
    EXPECT_STREQ(t.names[t.kinds - 1], "");
    EXPECT_STREQ(t.notes[t.kinds - 1], "");
  }
  // Kinds that share their rows.
  for (auto [a, b] : {std::pair{2, 3}, {4, 5}, {7, 8}})
    for (int p = 0; p < kEffectParamCount; ++p) {
      EXPECT_STREQ(CharaEffectParam(a, p).label, CharaEffectParam(b, p).label);
      EXPECT_EQ(CharaEffectParam(a, p).defaultValue, CharaEffectParam(b, p).defaultValue);
    }
  // Spot checks: "色" 16..207, 16 and "ズレX(dot)" -320..320.
  EXPECT_STREQ(CharaEffectParam(13, 3).label, "\x90\x46");
  EXPECT_EQ(CharaEffectParam(13, 3).minimum, 16);
  EXPECT_EQ(CharaEffectParam(13, 3).maximum, 207);
  EXPECT_EQ(ScrEffectParam(12, 3).minimum, -320);
  EXPECT_EQ(ScrEffectParam(11, 2).maximum, 6400);
  EXPECT_EQ(ScrEffectParam(11, 2).defaultValue, 1280);
  // Outside the table: an empty row, no read past it.
  EXPECT_STREQ(CharaEffectParam(17, 0).label, "");
  EXPECT_STREQ(ScrEffectParam(3, 5).label, "");
  EXPECT_STREQ(ScrEffectParam(-1, 0).label, "");
}

// A definition body: name, kind, five parameters.
FileBytes DefinitionFile(uint32_t version, int32_t kind) {
  FileBytes f(version);
  f.U32(2);
  for (int i = 0; i < 2; ++i) f.I32(2).I32(kind).I32(91).I32(92).I32(93).I32(94).I32(95).Strings({"def"});
  return f;
}

TEST(EffectDefinition, CoarsenessOfOldFilesTakesTheTableDefault) {
  struct Case {
    bool screen;
    uint32_t version;
    int32_t kind;
    std::array<int32_t, 5> expected;
  };
  const Case cases[] = {
      {false, 510, 4, {91, 92, 93, 94, 2}},  {false, 510, 5, {91, 92, 93, 94, 2}},
      {false, 510, 10, {91, 92, 93, 2, 95}}, {false, 511, 4, {91, 92, 93, 94, 95}},
      {false, 510, 6, {91, 92, 93, 94, 95}}, {false, 100, 10, {91, 92, 93, 2, 95}},
      {true, 300, 7, {91, 92, 93, 94, 10}},  {true, 300, 6, {91, 92, 93, 94, 8}},
      {true, 300, 10, {91, 92, 93, 8, 95}},  {true, 300, 1, {91, 92, 93, 94, 95}},
      {true, 511, 7, {91, 92, 93, 94, 95}},  {true, 510, 4, {91, 92, 93, 94, 95}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << (c.screen ? "screen" : "chara") << " v" << c.version << " kind " << c.kind);
    cDatabase db;
    DbList list = c.screen ? DbList::ScrEffect : DbList::CharaEffect;
    ASSERT_TRUE(db.LoadListFromBytes(list, DefinitionFile(c.version, c.kind).bytes()));
    const cEffectDefBase& def = c.screen ? static_cast<const cEffectDefBase&>(db.m_ScrEffects[1])
                                         : static_cast<const cEffectDefBase&>(db.m_CharaEffects[1]);
    EXPECT_EQ(def.m_EffectKind, c.kind);
    EXPECT_EQ(def.m_EffectName, "def");
    for (int p = 0; p < kEffectParamCount; ++p) EXPECT_EQ(def.m_EffectParam[p], c.expected[static_cast<size_t>(p)]) << p;
  }
}

TEST(EffectDefinition, TwoFieldEntries) {
  cCharaEffect def;
  def.m_EffectName = "x";
  def.m_EffectKind = 3;
  def.m_EffectParam[4] = -1;
  FileBytes expected(791);
  expected.I32(2).I32(3).I32(0).I32(0).I32(0).I32(0).I32(-1).Strings({"x"});
  EXPECT_EQ(def.SaveToBytes(), expected.bytes());
}

// An effect record body at `version` with the given frames.
void EffectBody(FileBytes& f, uint32_t version, std::initializer_list<std::pair<int, int>> frames) {
  if (version >= 151)
    f.Ints({66, 48, 24, 1});
  else
    f.Ints({48, 24, 1});
  f.Strings({"fx", "bmp\\effect\\fx.bmp"});
  f.U32(static_cast<uint32_t>(frames.size()));
  for (auto [pattern, duration] : frames) f.Ints({pattern, duration}).Strings({});
}

TEST(Effect, FrameListsAndTheTagOfOldFiles) {
  struct Case {
    uint32_t version;
    int32_t tag;
  };
  for (const Case& c : {Case{150, 0}, Case{152, 0}, Case{153, 66}}) {
    SCOPED_TRACE(c.version);
    FileBytes f(c.version);
    f.U32(2);
    EffectBody(f, c.version, {{1, 2}, {3, 4}, {5, 6}});
    EffectBody(f, c.version, {});
    cDatabase db;
    ASSERT_TRUE(db.LoadListFromBytes(DbList::Effect, f.bytes()));
    ASSERT_EQ(db.m_Effects.size(), 2u);
    const cEffect& e = db.m_Effects[0];
    EXPECT_EQ(e.m_Tag, c.tag);
    EXPECT_EQ(e.m_EffectW, 48);
    EXPECT_EQ(e.m_EffectH, 24);
    EXPECT_EQ(e.m_EffectMode, 1);
    EXPECT_EQ(e.m_File, "bmp\\effect\\fx.bmp");
    ASSERT_EQ(e.m_EffectFrames.size(), 3u);
    EXPECT_EQ(e.m_EffectFrames[2].m_Pattern, 5);
    EXPECT_EQ(e.m_EffectFrames[2].m_Duration, 6);
    EXPECT_TRUE(db.m_Effects[1].m_EffectFrames.empty());
  }
}

TEST(Effect, FrameVectorReplacesTheList) {
  cVector<cEffectFrame> frames(2);
  FileBytes three(791);
  three.U32(3).Ints({7, 8}).Strings({}).Ints({9, 10}).Strings({}).Ints({11, 12}).Strings({});
  cRecordReader r;
  ASSERT_TRUE(OpenRecordBytes(three.bytes(), r));
  ASSERT_TRUE(ReadEffectFrameVector(frames, r));
  ASSERT_EQ(frames.size(), 3u);
  EXPECT_EQ(frames[0].m_Pattern, 7);
  EXPECT_EQ(frames[2].m_Duration, 12);

  ASSERT_TRUE(OpenRecordBytes(FileBytes(791).U32(0).bytes(), r));
  ASSERT_TRUE(ReadEffectFrameVector(frames, r));
  EXPECT_TRUE(frames.empty());

  cEffectFrame fresh;
  EXPECT_EQ(fresh.m_Pattern, 0);
  EXPECT_EQ(fresh.m_Duration, 1);
}

}  // namespace

}  // namespace effect_test
