// ctest-label: play
// The clear-time format, the choice of the ranking category shown, and the
// rows of the ranking panel: where each row's place, name and value land.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <memory>
#include <string>

#include "app/frame/AppTexts.h"
#include "app/frame/IniSettings.h"
#include "app/frame/SceneDirector.h"
#include "app/scenes/RankingDraw.h"
#include "data/Ranking.h"
#include "data/System.h"
#include "engine/World.h"
#include "media/graphics/DDCore.h"
#include "media/graphics/Font.h"
#include "platform/CodePage.h"
#include "platform/FontFace.h"
#include "tests/media/graphics/GraphicsTestSupport.h"

namespace {

TEST(RankTime, FormatsMinutesSecondsHundredths) {
  struct Case {
    int32_t t;
    const char* text;
  } const cases[] = {
      {0, "00:00.00"},       {345, "00:03.45"},        {12345, "02:03.45"},
      {600000, "100:00.00"}, {599999, "99:59.99"},     {-345, "00:-03.-45"},
  };
  for (const Case& c : cases) EXPECT_EQ(FormatRankTime(c.t), c.text) << c.t;
}

TEST(RankCategory, StepsOverEnabledCategories) {
  const uint8_t some[5] = {1, 0, 1, 0, 1};
  EXPECT_EQ(StepCategory(0, some, 1), 2);
  EXPECT_EQ(StepCategory(4, some, 1), 0);
  EXPECT_EQ(StepCategory(0, some, 2), 4);
  EXPECT_EQ(StepCategory(0, some, -1), 4);
  EXPECT_EQ(StepCategory(1, some, 0), 2);
  EXPECT_EQ(StepCategory(2, some, 0), 2);
  const uint8_t one[5] = {0, 0, 0, 1, 0};
  EXPECT_EQ(StepCategory(3, one, 1), 3);
  EXPECT_EQ(StepCategory(0, one, 0), 3);
  const uint8_t none[5] = {0, 0, 0, 0, 0};
  EXPECT_EQ(StepCategory(2, none, 1), 2);
}

// The Japanese heading is code page 932, as the fonts read it: five
// double-byte characters (10 bytes), four spaces, then the category label.
TEST(RankHeading, JapaneseHeadingIsCodePage932) {
  bool ok = false;
  const std::string word = platform::Utf8ToCp932("ランキング", &ok);
  ASSERT_TRUE(ok);
  ASSERT_EQ(word.size(), 10u);
  EXPECT_EQ(std::string(apptext::kRankingHeading), word + "    %s");
  EXPECT_EQ(std::strlen(apptext::kRankingHeading), 16u);
}

TEST(RankCategory, CountValue) {
  EXPECT_EQ(CountValue(cVector<int32_t>{-1, 3, -1, -1, 0}, -1), 3);
  EXPECT_EQ(CountValue(cVector<int32_t>{}, -1), 0);
}

const char* const kIpaGothic = "/usr/share/fonts/opentype/ipafont-gothic/ipag.ttf";
const char* const kGothicFace = "\x82\x6C\x82\x72 \x83\x53\x83\x56\x83\x62\x83\x4E";
constexpr uint32_t kPaper = 0x000001u;

// The panel drawn with the 16-pixel fixed-pitch font in white, without a box
// picture or frame, onto a surface of one colour; a 16 x 16 cell "has ink"
// when any pixel of it changed.
class RankingBoxDraw : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!std::filesystem::exists(kIpaGothic)) GTEST_SKIP() << "fonts-ipafont-gothic is not installed";
    platform::SetFixedFontFile(kIpaGothic);
    lib_ = std::make_unique<gfxtest::Library>(0, 32, 1);
    ASSERT_TRUE(lib_->ok());
    white_ = PalTable[241];
    PalTable[241] = DDPALENTRY{255, 255, 255, 0};
    Fonts[1].Create(kGothicFace, 0, 16, 16, 16, 241, nullptr, 0, 0, nullptr, 1);
    DDCreateSurface(&sd_, 640, 480, 0, 0, DTMEMORYTYPE_VIDEO_RT, 0, 0);
    for (int y = 0; y < 480; ++y)
      for (int x = 0; x < 640; ++x) sd_.Pixels()->SetPixel(x, y, kPaper);
    english_ = IniSettings.English;
    gameType_ = SceneDirector.m_nGameType;
    system_ = SystemData;
    SystemData = cSystem();  // no game type has two categories: no hint line
  }
  void TearDown() override {
    if (!lib_) return;
    DDReleaseSurface(&sd_);
    Fonts[1].Destroy();
    PalTable[241] = white_;
    lib_.reset();
    platform::SetFixedFontFile("");
    IniSettings.English = english_;
    SceneDirector.m_nGameType = gameType_;
    SystemData = system_;
  }
  bool Ink(int x, int y) {
    for (int py = y; py < y + 16; ++py)
      for (int px = x; px < x + 16; ++px)
        if ((sd_.Pixels()->GetPixel(px, py) & 0xFFFFFFu) != kPaper) return true;
    return false;
  }
  // The inked cells of the line at y, from x over `cells` cells, as a text
  // of '#' (ink) and '.' (none).
  std::string Line(int x, int y, int cells) {
    std::string s;
    for (int k = 0; k < cells; ++k) s += Ink(x + 16 * k, y) ? '#' : '.';
    return s;
  }
  static cRankTable Table(const std::vector<std::pair<const char*, int32_t>>& rows) {
    cRankTable t;
    for (size_t i = 0; i < rows.size(); ++i) {
      t.m_Rows[i].m_Used = rows[i].first != nullptr;
      t.m_Rows[i].m_RankName = rows[i].first ? rows[i].first : "zz";
      t.m_Rows[i].m_RankValue = rows[i].second;
    }
    return t;
  }

  std::unique_ptr<gfxtest::Library> lib_;
  DDSURFACEDATA sd_;
  DDPALENTRY white_{};
  int english_ = 0;
  int32_t gameType_ = 0;
  cSystem system_;
};

// Row i at y + 16 (i + 1): its place at x + 16, its name at x + 64, its
// value right-aligned on the digit count W of row 0's value: a value of d
// digits starts at x + 16 (W - d + 9), so with W = 7 every value ends at
// x + 256. Panel at (96, 40); the cells are counted from x = 96.
//   place   name      value
//   col 1   col 4..   cols 9..15
TEST_F(RankingBoxDraw, RowsKeepTheirPlacesAndValuesAlignRight) {
  const cRankTable t = Table({{"abc", 1234567}, {"de", 89}, {nullptr, 5}, {"f", 4000}});
  DrawRankingBox(t, &sd_, 96, 40, 0, -1);
  // Cell columns 0..16 of each line (x 96 .. 367).
  EXPECT_EQ(Line(96, 40 + 16, 17), ".#..###..#######.");  // 1 abc 1234567
  EXPECT_EQ(Line(96, 40 + 32, 17), ".#..##........##.");  // 2 de       89
  EXPECT_EQ(Line(96, 40 + 48, 17), ".................");  // unused: nothing, place kept
  EXPECT_EQ(Line(96, 40 + 64, 17), ".#..#.......####.");  // 4 f      4000
  EXPECT_EQ(Line(96, 40 + 80, 17), ".................");  // no more rows
}

// Clear times always take the 8 characters mm:ss.hh at x + 144; a two-digit
// place takes two cells.
TEST_F(RankingBoxDraw, ClearTimesStartAtTheNinthCell) {
  std::vector<std::pair<const char*, int32_t>> rows(10, {"g", 12345});
  const cRankTable t = Table(rows);
  DrawRankingBox(t, &sd_, 96, 40, 2, -1);
  EXPECT_EQ(Line(96, 40 + 16, 18), ".#..#....########.");   // 1 g 02:03.45
  EXPECT_EQ(Line(96, 40 + 160, 18), ".##.#....########.");  // 10 g 02:03.45
}

}  // namespace
