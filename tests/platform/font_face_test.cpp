// ctest-label: fonts
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/FontFace.h"

namespace {

using namespace platform;

// The fixed file every font test renders with (fonts-ipafont-gothic).
const char* const kIpaGothic = "/usr/share/fonts/opentype/ipafont-gothic/ipag.ttf";

class FontFaceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!std::filesystem::exists(kIpaGothic)) GTEST_SKIP() << "fonts-ipafont-gothic is not installed";
  }
};

TEST(FontLookup, KnownFacesTryTheirAliasesFirstAndEndWithGenericJapanese) {
  struct Case {
    const char* face;
    const char* first;
  } cases[] = {
      {"\x82\x6C\x82\x72 \x83\x53\x83\x56\x83\x62\x83\x4E", "MS Gothic"},                  // ＭＳ ゴシック
      {"\x82\x6C\x82\x72 \x82\x6F\x83\x53\x83\x56\x83\x62\x83\x4E", "MS PGothic"},         // ＭＳ Ｐゴシック
      {"\x82\x6C\x82\x72 \x96\xBE\x92\xA9", "MS Mincho"},                                 // ＭＳ 明朝
      {"HGP\xBA\xDE\xBC\xAF\xB8" "E", "MS PGothic"},                                      // HGPｺﾞｼｯｸE
      {"Arial", "Arial"},
  };
  for (const Case& c : cases) {
    std::vector<std::string> list = FontFamilyCandidates(c.face);
    ASSERT_FALSE(list.empty());
    EXPECT_EQ(list.front(), c.first) << c.face;
    EXPECT_EQ(list.back(), ":lang=ja");
    // No candidate is tried twice.
    for (size_t i = 0; i < list.size(); ++i)
      for (size_t j = i + 1; j < list.size(); ++j) EXPECT_NE(list[i], list[j]);
  }
  // The face's own name, converted to UTF-8, is among the candidates.
  std::vector<std::string> gothic = FontFamilyCandidates("\x82\x6C\x82\x72 \x83\x53\x83\x56\x83\x62\x83\x4E");
  EXPECT_NE(std::find(gothic.begin(), gothic.end(), "\xEF\xBC\xAD\xEF\xBC\xB3 \xE3\x82\xB4\xE3\x82\xB7\xE3\x83\x83\xE3\x82\xAF"),
            gothic.end());
}

TEST_F(FontFaceTest, LookupAcceptsOnlyFontsWithTheSampleGlyphs) {
  // fontconfig answers "MS Gothic" with some installed font, often one
  // without kana; the lookup must still end on a face that has them.
  for (const char* face : {"\x82\x6C\x82\x72 \x83\x53\x83\x56\x83\x62\x83\x4E", "MS Gothic", "Arial", "NoSuchFace"}) {
    std::string file = FindFontFile(face, JapaneseSample());
    ASSERT_FALSE(file.empty()) << face;
    auto f = FontFace::Open(file, 16);
    ASSERT_TRUE(f) << file;
    for (char32_t c : JapaneseSample()) EXPECT_TRUE(f->HasGlyph(c)) << face << " " << file;
  }
  // A character no installed font has: no candidate qualifies.
  EXPECT_EQ(FindFontFile("MS Gothic", U"\U0010FFFD"), "");
}

TEST_F(FontFaceTest, FixedFileOverridesTheLookup) {
  SetFixedFontFile("/nowhere/pinned.ttf");
  EXPECT_EQ(FindFontFile("Arial", JapaneseSample()), "/nowhere/pinned.ttf");
  SetFixedFontFile("");
  EXPECT_NE(FindFontFile("Arial", JapaneseSample()), "/nowhere/pinned.ttf");
}

TEST(FontCodePoints, Cp932Characters) {
  struct Case {
    const char* bytes;
    int count;
    char32_t cp;
  } cases[] = {
      {"A", 1, U'A'},
      {"\x5C", 1, U'\\'},     // code page 932, not Shift_JIS: a backslash
      {"\xB1", 1, U'\uFF71'},  // ｱ
      {"\x82\xA0", 2, U'\u3042'},  // あ
      {"\x81\x40", 2, U'\u3000'},  // full-width space
      {"\x8A\xBF", 2, U'\u6F22'},  // 漢
      {"\x82", 1, 0},              // a lead byte alone
      {"\x82\x20", 2, 0},          // lead byte with an invalid trail
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Cp932CharToUnicode(c.bytes, c.count), c.cp) << std::hex << static_cast<unsigned>(static_cast<unsigned char>(c.bytes[0]));
    // Asked again: the remembered answer is the same.
    EXPECT_EQ(Cp932CharToUnicode(c.bytes, c.count), c.cp);
  }
}

TEST_F(FontFaceTest, OpenRefusesBadInput) {
  std::string error;
  EXPECT_FALSE(FontFace::Open("/nowhere/missing.ttf", 16, 0, &error));
  EXPECT_FALSE(error.empty());
  EXPECT_FALSE(FontFace::Open(kIpaGothic, 0, 0, &error));
  EXPECT_FALSE(FontFace::Open("/etc/hostname", 16, 0, &error));
}

// At every cell height the application uses, each glyph lies inside the cell
// of `height` rows: the pixel size was scaled so that ascent plus descent fill it.
TEST_F(FontFaceTest, GlyphsFitTheGdiCell) {
  for (int height : {9, 16, 30}) {
    auto f = FontFace::Open(kIpaGothic, height);
    ASSERT_TRUE(f);
    EXPECT_GT(f->Ascent(), height / 2);
    EXPECT_LE(f->Ascent(), height);
    for (char32_t c : {U'A', U'g', U'|', U'\u3042', U'\u6F22', U'\u3041', U'\uFF71'}) {
      GlyphImage g;
      ASSERT_TRUE(f->Render(c, GlyphMode::Mono, g)) << height << " " << static_cast<unsigned>(c);
      EXPECT_GE(g.top, 0) << height << " " << static_cast<unsigned>(c);
      EXPECT_LE(g.top + g.height, height) << height << " " << static_cast<unsigned>(c);
      EXPECT_GT(g.height, 0);
    }
    // A fixed-pitch gothic: half-width forms advance about half of a full-width one.
    EXPECT_NEAR(f->Advance(U'A') * 2, f->Advance(U'\u3042'), 1) << height;
    EXPECT_LE(f->Advance(U'\u3042'), height);
  }
}

TEST_F(FontFaceTest, MonoGlyphsAreOneBitAndAntiAliasedOnesAreNot) {
  auto f = FontFace::Open(kIpaGothic, 16);
  ASSERT_TRUE(f);
  GlyphImage mono, aa;
  ASSERT_TRUE(f->Render(U'\u3042', GlyphMode::Mono, mono));
  ASSERT_TRUE(f->Render(U'\u3042', GlyphMode::AntiAliased, aa));
  int monoOn = 0, aaPartial = 0;
  for (uint8_t v : mono.coverage) {
    EXPECT_TRUE(v == 0 || v == 255);
    monoOn += v == 255;
  }
  for (uint8_t v : aa.coverage) aaPartial += v > 0 && v < 255;
  EXPECT_GT(monoOn, 10);
  EXPECT_GT(aaPartial, 0);
  // A space has an advance and no pixels; a character the face lacks renders nothing.
  GlyphImage space;
  ASSERT_TRUE(f->Render(U' ', GlyphMode::Mono, space));
  EXPECT_GT(space.advance, 0);
  for (uint8_t v : space.coverage) EXPECT_EQ(v, 0);
  GlyphImage none;
  EXPECT_FALSE(f->Render(U'\U0010FFFD', GlyphMode::Mono, none));
  EXPECT_TRUE(none.coverage.empty());
  EXPECT_FALSE(f->HasGlyph(U'\U0010FFFD'));
}

}  // namespace
