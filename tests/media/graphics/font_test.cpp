// ctest-label: fonts graphics
#include <gtest/gtest.h>

#include <filesystem>
#include <cstring>
#include <set>

#include "media/graphics/Font.h"
#include "media/graphics/Shape.h"
#include "platform/FontFace.h"
#include "tests/media/graphics/fill_palette_support.h"

// The file's own namespace keeps its helpers apart from other test files compiled with it.
namespace font_test {

namespace {

using namespace palettetest;

const char* const kIpaGothic = "/usr/share/fonts/opentype/ipafont-gothic/ipag.ttf";
const char* const kGothicFace = "\x82\x6C\x82\x72 \x83\x53\x83\x56\x83\x62\x83\x4E";  // ＭＳ ゴシック
const char* const kKanji = "\x8A\xBF";  // 漢, not among the preloaded characters

class FontTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!std::filesystem::exists(kIpaGothic)) GTEST_SKIP() << "fonts-ipafont-gothic is not installed";
    platform::SetFixedFontFile(kIpaGothic);
  }
  void TearDown() override { platform::SetFixedFontFile(""); }
};

// Every pixel of a surface's level 0.
std::vector<uint32_t> Pixels(const DDSURFACEDATA& sd) {
  const cPixelSurface* s = sd.Pixels();
  std::vector<uint32_t> out;
  for (int y = 0; y < s->Height(); ++y)
    for (int x = 0; x < s->Width(); ++x) out.push_back(s->GetPixel(x, y));
  return out;
}

// ---------------------------------------------------------------- layout and measuring

TEST_F(FontTest, LayoutPutsCharactersOnThePitchGrid) {
  Library lib(kDD, 8);
  Font f;
  f.Create(kGothicFace, 0, 16, 16, 20, 241, nullptr, 1, 240, nullptr, 0);
  using K = FONTPLACE::Kind;
  struct Case {
    const char* text;
    std::vector<std::tuple<K, int, int>> places;
  } cases[] = {
      {"a", {{K::kByte, 0, 0}}},
      {"\x82\xA0", {{K::kDouble, 0, 0}}},                           // あ
      {"\x81\x40" "a", {{K::kAdvance, 0, 0}, {K::kByte, 16, 0}}},  // full-width space only advances
      {"a b", {{K::kByte, 0, 0}, {K::kAdvance, 16, 0}, {K::kByte, 32, 0}}},
      {"a\nb", {{K::kByte, 0, 0}, {K::kByte, 0, 20}}},
      {"\xB1\x82\xA0x", {{K::kByte, 0, 0}, {K::kDouble, 16, 0}, {K::kByte, 32, 0}}},  // ｱあx
      {"a\x82", {{K::kByte, 0, 0}, {K::kByte, 16, 0}}},  // a lead byte at the end is one byte
      {"\x82\n", {{K::kByte, 0, 0}}},                    // a lead byte before a newline too
  };
  for (const Case& c : cases) {
    std::vector<FONTPLACE> got = f.LayoutText(c.text);
    ASSERT_EQ(got.size(), c.places.size()) << c.text;
    for (size_t i = 0; i < got.size(); ++i) {
      EXPECT_EQ(got[i].kind, std::get<0>(c.places[i])) << c.text << " #" << i;
      EXPECT_EQ(got[i].x, std::get<1>(c.places[i])) << c.text << " #" << i;
      EXPECT_EQ(got[i].y, std::get<2>(c.places[i])) << c.text << " #" << i;
    }
  }
}

TEST_F(FontTest, TextSizes) {
  Library lib(kDD, 8);
  Font f;
  f.Create(kGothicFace, 0, 16, 16, 16, 241, nullptr, 1, 240, nullptr, 0);
  int w = 0, h = 0;
  f.GetTextSize("ab\n\x82\xA0\x82\xA2\x82\xA4", &w, &h);  // ab / あいう
  EXPECT_EQ(w, 48);
  EXPECT_EQ(h, 32);
  f.GetTextSize("", &w, &h);
  EXPECT_EQ(w, 0);
  EXPECT_EQ(h, 16);
  EXPECT_EQ(GetLineLength("abc\ndef"), 3);
  EXPECT_EQ(GetLineLength("abc"), 3);

  // Proportional text measures rendered widths.
  Font p;
  p.Create(kGothicFace, 0, 16, 0, 18, 241, nullptr, 1, 240, nullptr, 1);
  EXPECT_FALSE(p.m_lpFastFont_Half);  // no caches without a pitch
  p.MeasureText("ab\n\x82\xA0\x82\xA0\x82\xA0", &w, &h);
  EXPECT_GT(w, 30);
  EXPECT_LE(w, 48);
  EXPECT_EQ(h, 36);
}

// ---------------------------------------------------------------- drawing at 8 bits

class EightBit : public FontTest {
 protected:
  void SetUp() override {
    FontTest::SetUp();
    if (IsSkipped()) return;
    lib_ = std::make_unique<Library>(kDD, 8);
    ASSERT_TRUE(lib_->ok());
    dwTransmitPixel = 0;
    DDFillSurface(&BackBuffer, 3);
  }
  void TearDown() override {
    fonts_.clear();
    lib_.reset();
    FontTest::TearDown();
  }
  Font& Make(int cacheMode, int pitch = 16, int linePitch = 16, DDSURFACEDATA* icons = nullptr) {
    fonts_.push_back(std::make_unique<Font>());
    fonts_.back()->Create(kGothicFace, 0, 16, pitch, linePitch, 241, nullptr, 1, 240, icons, cacheMode);
    return *fonts_.back();
  }
  std::unique_ptr<Library> lib_;
  std::vector<std::unique_ptr<Font>> fonts_;
};

TEST_F(EightBit, GlyphPixelsAreTheColourNumberAndNothingElseChanges) {
  std::vector<uint32_t> drawn[2];
  for (int cacheMode : {0, 1}) {
    DDFillSurface(&BackBuffer, 3);
    Font& f = Make(cacheMode);
    ASSERT_EQ(f.m_lpFastFont_Half != nullptr, cacheMode != 0);
    EXPECT_EQ(f.DrawText(&BackBuffer, 100, 50, "A"), 1);
    int glyph = 0;
    for (int y = 0; y < 480; ++y)
      for (int x = 0; x < 640; ++x) {
        uint32_t v = PixelAt(BackBuffer, x, y);
        bool inCell = x >= 100 && x < 116 && y >= 50 && y < 66;
        if (v == 241) {
          ++glyph;
          EXPECT_TRUE(inCell) << x << "," << y;
        } else {
          EXPECT_EQ(v, 3u) << x << "," << y;
        }
      }
    EXPECT_GT(glyph, 10);
    drawn[cacheMode] = Pixels(BackBuffer);
  }
  // The half-width cache holds exactly what direct drawing puts there.
  EXPECT_EQ(drawn[0], drawn[1]);
}

TEST_F(EightBit, NewKanjiTakesOneCellOnce) {
  Font& f = Make(1);
  ASSERT_TRUE(f.m_lpFastFont_FullAdd);
  cGlyphCache& full = *f.m_lpFastFont_FullAdd;
  EXPECT_EQ(full.m_nCols, 32);
  EXPECT_EQ(full.m_nRows, 30);
  EXPECT_EQ(full.m_nUsed, 256);
  const long before = f.GlyphRenders();
  f.DrawText(&BackBuffer, 0, 0, kKanji);
  EXPECT_EQ(full.m_nUsed, 257);
  EXPECT_EQ(full.m_Codes.back().code[0], 0x8A);
  EXPECT_EQ(full.m_Codes.back().code[1], 0xBF);
  EXPECT_EQ(full.m_Codes.back().nCell, 256);
  EXPECT_EQ(f.GlyphRenders(), before + 1);
  std::vector<uint32_t> first = Pixels(BackBuffer);
  DDFillSurface(&BackBuffer, 3);
  f.DrawText(&BackBuffer, 0, 0, kKanji);
  EXPECT_EQ(full.m_nUsed, 257);
  EXPECT_EQ(f.GlyphRenders(), before + 1);  // a blit from the cache, nothing rendered
  EXPECT_EQ(Pixels(BackBuffer), first);
  // Preloaded characters are blits from the start.
  f.DrawText(&BackBuffer, 0, 20, "\x82\xA0\x83\x41");  // あア
  EXPECT_EQ(f.GlyphRenders(), before + 1);
  EXPECT_EQ(full.m_nUsed, 257);
}

TEST_F(EightBit, FullCacheDrawsNewCharactersDirectlyEveryTime) {
  // 64-pixel cells: 10 x 7 cells, all taken by the preload.
  Font& f = Make(1, 64, 64);
  cGlyphCache& full = *f.m_lpFastFont_FullAdd;
  EXPECT_EQ(full.m_nCapacity, 70);
  EXPECT_EQ(full.m_nUsed, 70);
  const long before = f.GlyphRenders();
  f.DrawText(&BackBuffer, 0, 0, kKanji);
  f.DrawText(&BackBuffer, 0, 0, kKanji);
  EXPECT_EQ(full.m_nUsed, 70);
  EXPECT_EQ(f.GlyphRenders(), before + 2);
  int glyph = 0;
  for (uint32_t v : Pixels(BackBuffer)) glyph += v == 241;
  EXPECT_GT(glyph, 20);
}

TEST_F(EightBit, IconLettersReplaceLowercaseLetters) {
  // Icon k is a 16x16 cell of colour 100 + k.
  DDSURFACEDATA icons;
  ASSERT_TRUE(DDCreateSurface(&icons, 16 * 26, 16, 1, 0, 0, 0, 0));
  for (int k = 0; k < 26; ++k) DDFillRect(&icons, 16 * k, 0, 16, 16, uint32_t(100 + k));
  {
    Font& f = Make(1, 16, 16, &icons);
    EXPECT_EQ(f.m_bIcons, 1);
    using K = FONTPLACE::Kind;
    std::vector<FONTPLACE> places = f.LayoutText("abc");
    ASSERT_EQ(places.size(), 3u);
    for (const FONTPLACE& p : places) EXPECT_EQ(p.kind, K::kIcon);
    f.DrawText(&BackBuffer, 32, 40, "abc");
    for (int k = 0; k < 3; ++k) {
      EXPECT_EQ(PixelAt(BackBuffer, 32 + 16 * k, 40), uint32_t(100 + k));
      EXPECT_EQ(PixelAt(BackBuffer, 32 + 16 * k + 15, 55), uint32_t(100 + k));
    }
    for (uint32_t v : Pixels(BackBuffer)) EXPECT_NE(v, 241u);
    // Capital letters stay glyphs.
    DDFillSurface(&BackBuffer, 3);
    f.DrawText(&BackBuffer, 0, 0, "A");
    int glyph = 0;
    for (uint32_t v : Pixels(BackBuffer)) glyph += v == 241;
    EXPECT_GT(glyph, 0);
  }
  fonts_.clear();
  DDReleaseSurface(&icons);
}

TEST_F(EightBit, BoxesAroundText) {
  DDSURFACEDATA box;
  ASSERT_TRUE(DDCreateSurface(&box, 640, 480, 0, 0, 0, 0, 0));
  DDFillSurface(&box, 5);
  fonts_.push_back(std::make_unique<Font>());
  Font& f = *fonts_.back();
  f.Create(kGothicFace, 0, 16, 16, 16, 241, &box, 1, 240, nullptr, 1);
  // Centred: 640 / 2 - 200 / 2.
  f.DrawBox(&BackBuffer, 10000, 100, 200, 40);
  EXPECT_EQ(PixelAt(BackBuffer, 220, 110), 5u);
  EXPECT_EQ(PixelAt(BackBuffer, 219, 110), 240u);  // the frame surrounds the box
  EXPECT_EQ(PixelAt(BackBuffer, 218, 110), 3u);
  EXPECT_EQ(PixelAt(BackBuffer, 419, 110), 5u);
  EXPECT_EQ(PixelAt(BackBuffer, 420, 110), 240u);
  // Sized to the text: margin 8 + 5 characters of 16 pixels.
  DDFillSurface(&BackBuffer, 3);
  f.DrawTextBox(&BackBuffer, 50, 300, 0, 0, "ABCDE", 8);
  EXPECT_EQ(PixelAt(BackBuffer, 49, 305), 240u);
  EXPECT_EQ(PixelAt(BackBuffer, 50 + 87, 305), 5u);
  EXPECT_EQ(PixelAt(BackBuffer, 50 + 88, 305), 240u);
  EXPECT_EQ(PixelAt(BackBuffer, 60, 299), 240u);
  EXPECT_EQ(PixelAt(BackBuffer, 60, 316), 240u);  // one line high
  int glyph = 0;
  for (int x = 58; x < 138; ++x)
    for (int y = 300; y < 316; ++y) glyph += PixelAt(BackBuffer, x, y) == 241;
  EXPECT_GT(glyph, 40);
  fonts_.clear();
  DDReleaseSurface(&box);
}

TEST_F(EightBit, RestoreAfterSurfaceLossRebuildsTheCaches) {
  Font& f = Make(1);
  f.DrawText(&BackBuffer, 0, 0, kKanji);
  const std::vector<uint32_t> half = Pixels(f.m_lpFastFont_Half->m_CacheSD);
  const std::vector<uint32_t> full = Pixels(f.m_lpFastFont_FullAdd->m_CacheSD);
  DDSimulateSurfaceLoss();
  EXPECT_TRUE(DDRestore());
  EXPECT_EQ(Pixels(f.m_lpFastFont_Half->m_CacheSD), half);
  EXPECT_EQ(Pixels(f.m_lpFastFont_FullAdd->m_CacheSD), full);
  EXPECT_EQ(f.m_lpFastFont_FullAdd->m_nUsed, 257);
}

TEST_F(EightBit, ReleaseIsIdempotent) {
  Font& f = Make(1);
  EXPECT_EQ(std::count(FontList.begin(), FontList.end(), &f), 1);
  f.Destroy();
  f.Destroy();
  EXPECT_EQ(std::count(FontList.begin(), FontList.end(), &f), 0);
  EXPECT_FALSE(f.m_lpFastFont_Half);
  EXPECT_EQ(f.m_WorkSD.lpDD, nullptr);
  // Drawing with a released font draws nothing and does not fail hard.
  EXPECT_EQ(f.DrawText(&BackBuffer, 0, 0, "A"), 0);
  // A font can be created again after its release.
  f.Create(kGothicFace, 0, 16, 16, 16, 241, nullptr, 1, 240, nullptr, 1);
  EXPECT_EQ(f.DrawText(&BackBuffer, 0, 0, "A"), 1);
}

TEST_F(EightBit, DigitStrips) {
  Font& f = Make(1, 10, 10);
  FONTDATA fd{};
  fd.nPitch = 10;
  fd.nLinePitch = 10;
  DDBITMAPDATA desc;
  desc.bTransparent = 1;
  DDSURFACEDATA strip;
  ASSERT_EQ(CreateDigitSurfaces(&strip, &desc, 1, &f, &fd), 1);
  EXPECT_EQ(strip.nWidth, 100);
  EXPECT_EQ(strip.nHeight, 10);
  // Each digit lies in its own cell: "1" and "7" differ, each cell has ink.
  std::set<std::vector<uint32_t>> cells;
  for (int d = 0; d < 10; ++d) {
    std::vector<uint32_t> cell;
    int ink = 0;
    for (int y = 0; y < 10; ++y)
      for (int x = 0; x < 10; ++x) {
        uint32_t v = strip.Pixels()->GetPixel(10 * d + x, y);
        cell.push_back(v);
        ink += v == 241;
      }
    EXPECT_GT(ink, 0) << d;
    cells.insert(cell);
  }
  EXPECT_EQ(cells.size(), 10u);
  DDReleaseSurface(&strip);
}

TEST_F(FontTest, CreateFontsTakesTheDescriptorsAndTableSurfaces) {
  DDSURFACEDATA table[3];
  DDBITMAPDATA bitmaps[3];
  ASSERT_TRUE(DDInit(0, nullptr, 640, 480, 8, 0, 1, 1, 60, 0, table, bitmaps, 3, 0));
  ASSERT_TRUE(DDCreateSurface(&table[1], 32, 32, 0, 0, 0, 0, 0));
  ASSERT_TRUE(DDCreateSurface(&table[2], 16 * 26, 16, 1, 0, 0, 0, 0));
  FONTDATA fd[2] = {};
  for (FONTDATA& d : fd) {
    std::strcpy(d.szFace, kGothicFace);
    d.nHeight = 16;
    d.nPitch = d.nLinePitch = 16;
    d.nColor = 241;
    d.nBoxFrame = 1;
    d.nBoxFrameColor = 240;
    d.nCacheMode = 2;
  }
  fd[0].nBoxSurface = 1;
  fd[0].nIconSurface = 2;
  fd[1].nBoxSurface = 99;  // outside the table: no surface
  fd[1].nIconSurface = -1;
  fd[1].nCacheMode = 0;
  {
    Font fonts[2];
    EXPECT_EQ(CreateFonts(fonts, fd, 2), 1);
    EXPECT_EQ(fonts[0].m_lpBoxSD, &table[1]);
    EXPECT_EQ(fonts[0].m_lpIconSD, &table[2]);
    EXPECT_EQ(fonts[0].m_bIcons, 1);
    EXPECT_TRUE(fonts[0].m_lpFastFont_Half);
    EXPECT_EQ(fonts[1].m_lpBoxSD, nullptr);
    EXPECT_EQ(fonts[1].m_bIcons, 0);
    EXPECT_FALSE(fonts[1].m_lpFastFont_Half);
    EXPECT_EQ(fonts[0].m_nFontNo + 1, fonts[1].m_nFontNo);
  }
  DDEnd();
}

// ---------------------------------------------------------------- Direct3D

TEST_F(FontTest, Direct3DGlyphsAreAntiAliasedAndCached) {
  Library lib(kD3D, 32);
  ASSERT_TRUE(lib.ok());
  PalTable[241] = {255, 255, 255, 255};
  std::vector<uint32_t> drawn[2];
  for (int cacheMode : {0, 1}) {
    Font f;
    f.Create(kGothicFace, 0, 16, 16, 16, 241, nullptr, 1, 240, nullptr, cacheMode);
    EXPECT_EQ(f.m_dwColor, 0xFFFFFFFFu);
    if (cacheMode) {
      EXPECT_EQ(f.m_lpFastFont_FullAdd->m_nCols, 32);
      EXPECT_EQ(f.m_lpFastFont_FullAdd->m_nRows, 32);
    }
    DDFillRectARGB(&BackBuffer, 0, 0, 640, 480, 0xFF000000);
    EXPECT_EQ(f.DrawText(&BackBuffer, 10, 10, "\x82\xA0"), 1);  // あ
    int partial = 0, full = 0;
    for (int y = 0; y < 480; ++y)
      for (int x = 0; x < 640; ++x) {
        uint32_t g = (PixelAt(BackBuffer, x, y) >> 8) & 255;
        if (g >= 128) ++full;
        if (g > 0 && g < 255) ++partial;
        if (g) {
          EXPECT_TRUE(x >= 10 && x < 26 && y >= 10 && y < 26) << x << "," << y;
        }
      }
    EXPECT_GT(full, 5);
    EXPECT_GT(partial, 5);  // coverage became alpha
    drawn[cacheMode] = Pixels(BackBuffer);
  }
  EXPECT_GT(std::count_if(drawn[1].begin(), drawn[1].end(), [](uint32_t v) { return (v & 0xFFFFFF) != 0; }), 20);
}

TEST_F(FontTest, Direct3DDeviceLossRebuildsTheCaches) {
  Library lib(kD3D, 32);
  PalTable[241] = {255, 255, 255, 255};
  Font f;
  f.Create(kGothicFace, 0, 16, 16, 16, 241, nullptr, 1, 240, nullptr, 1);
  f.DrawText(&BackBuffer, 0, 0, kKanji);
  const std::vector<uint32_t> half = Pixels(f.m_lpFastFont_Half->m_CacheSD);
  const std::vector<uint32_t> full = Pixels(f.m_lpFastFont_FullAdd->m_CacheSD);
  DDSimulateDeviceLoss(false);
  EXPECT_EQ(DDRestoreSurface(), 1);
  EXPECT_EQ(f.m_lpFastFont_Half->m_CacheSD.bLost, 0);
  EXPECT_EQ(Pixels(f.m_lpFastFont_Half->m_CacheSD), half);
  EXPECT_EQ(Pixels(f.m_lpFastFont_FullAdd->m_CacheSD), full);
  // The kanji keeps its cell and is still a blit.
  const long renders = f.GlyphRenders();
  f.DrawText(&BackBuffer, 0, 0, kKanji);
  EXPECT_EQ(f.GlyphRenders(), renders);
}

}  // namespace

}  // namespace font_test
