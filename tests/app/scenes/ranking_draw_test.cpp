// ctest-label: play
// The clear-time format and the choice of the ranking category shown.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "app/frame/AppTexts.h"
#include "app/scenes/RankingDraw.h"
#include "platform/CodePage.h"

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

}  // namespace
