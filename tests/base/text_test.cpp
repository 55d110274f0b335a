// ctest-label: base
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <memory>
#include <thread>

#include "base/Text.h"
#include "platform/CodePage.h"

namespace {

TEST(Text, CountDigits) {
  struct {
    int value, digits;
  } cases[] = {{0, 1}, {9, 1}, {10, 2}, {-123, 3}, {2147483647, 10}, {INT_MIN, 10}, {-9, 1}};
  for (auto c : cases) EXPECT_EQ(CountDigits(c.value), c.digits) << c.value;
}

TEST(Text, FormatNumber) {
  struct {
    int value, minimum;
    bool zeros, plus;
    const char* expected;
  } cases[] = {
      {7, 3, true, false, "007"},      {7, 3, false, false, "  7"},    {7, 3, true, true, "+007"},
      {0, 3, false, false, "  0"},     {0, 0, false, true, "+0"},      {12345, 3, false, false, "12345"},
      {-5, 3, false, false, "-  5"},   {-5, 3, true, false, "-005"},   {100, 5, false, false, "  100"},
      {INT_MIN, 0, false, false, "-2147483648"}, {INT_MAX, 0, false, true, "+2147483647"},
  };
  for (auto c : cases) {
    std::string out = "junk";
    FormatNumber(out, c.value, c.minimum, c.zeros, c.plus);
    EXPECT_EQ(out, c.expected) << c.value << " " << c.minimum;
  }
}

TEST(Text, FormatStringCutsAtTheBufferSize) {
  std::string big(10000, 'x');
  EXPECT_EQ(FormatString("%s", big.c_str()).size(), 5119u);
  std::string s = "a";
  AppendFormat(s, "%d-%s", 5, "b");
  EXPECT_EQ(s, "a5-b");
}

TEST(Text, Mid) {
  struct {
    int start, count;
    const char* expected;
  } cases[] = {{2, 2, "cd"}, {2, 10, "cdef"}, {2, -1, "cdef"}, {6, 1, ""}, {7, 1, ""},
               {-1, 3, "ab"}, {-5, 3, "abcdef"}, {0, 0, ""}};
  for (auto c : cases) {
    cString s("abcdef");
    EXPECT_EQ(s.Mid(c.start, c.count), c.expected) << c.start << "," << c.count;
  }
  cString withNul(std::string("ab\0cd", 5));
  EXPECT_EQ(withNul.GetLength(), 2);
}

TEST(Text, CountCharsOnShiftJis) {
  EXPECT_EQ(CountChars("\x82\xA0" "a\nb"), 3);  // あ a \n b
  EXPECT_EQ(CountChars("\n\n\n"), 0);
  EXPECT_EQ(CountChars(""), 0);
  EXPECT_EQ(CountChars("\x83\x5C"), 1);  // ソ: trail byte is a backslash
  // A lone lead byte at the very end of an exactly sized buffer: no over-read.
  auto lone = std::make_unique<char[]>(2);
  lone[0] = '\x82';
  lone[1] = '\0';
  EXPECT_EQ(CountChars(lone.get()), 1);
  EXPECT_EQ(IsDoubleByteChar(lone.get()), 0);
}

TEST(Random, IsTheRuntimeLinearCongruentialGenerator) {
  std::thread([] {
    // A fresh thread starts from state 1.
    EXPECT_EQ(RandomRaw(), 41);
    EXPECT_EQ(RandomRaw(), 18467);
    EXPECT_EQ(RandomRaw(), 6334);
    EXPECT_EQ(RandomRaw(), 26500);
    EXPECT_EQ(RandomRaw(), 19169);
  }).join();
  SeedRandom(1);
  EXPECT_EQ(RandomRaw(), 41);
}

TEST(Random, RangesAndSwappedBounds) {
  SeedRandom(77);
  int a = Random(5, 1);
  SeedRandom(77);
  int b = Random(1, 5);
  EXPECT_EQ(a, b);
  int next = RandomRaw();
  SeedRandom(77);
  RandomRaw();
  EXPECT_EQ(RandomRaw(), next);  // Random draws exactly once
  for (int i = 0; i < 100; ++i) {
    EXPECT_EQ(Random(3, 3), 3);
    int r = Random(-2, 2);
    EXPECT_GE(r, -2);
    EXPECT_LE(r, 2);
    int wide = Random(INT_MIN, INT_MAX);
    EXPECT_LE(static_cast<long long>(wide), static_cast<long long>(INT_MIN) + 32767);
  }
}

TEST(Text, ConstantsBitForBit) {
  uint64_t a, b;
  std::memcpy(&a, &Sqrt2, 8);
  std::memcpy(&b, &OneOverSqrt2, 8);
  EXPECT_EQ(a, 0x3FF6A09E667F3BCDull);
  EXPECT_EQ(b, 0x3FE6A09E667F3BCDull);
}

TEST(Text, TruncToInt) {
  EXPECT_EQ(TruncToInt(2.9), 2);
  EXPECT_EQ(TruncToInt(-2.9), -2);
  EXPECT_EQ(TruncToInt(0.0 / 0.0), 0);
  EXPECT_EQ(TruncToInt(1e20), 0);
  // The edges of int: values that truncate into it keep their value, the
  // rest give 0, on either side.
  const struct {
    double value;
    int expected;
  } edges[] = {
      {2147483647.9, 2147483647},   {2147483648.0, 0},  {-2147483648.0, INT32_MIN},
      {-2147483648.9, INT32_MIN},   {-2147483649.0, 0}, {-1e20, 0},
      {-0.5, 0},                    {1.0 / 0.0, 0},     {-1.0 / 0.0, 0},
  };
  for (const auto& e : edges) EXPECT_EQ(TruncToInt(e.value), e.expected) << e.value;
}

TEST(CodePage, RoundTripAndInvalidBytes) {
  std::string sjis = "\x83\x5C\x82\xA0" "abc\\";  // ソあabc\ (backslash stays a backslash)
  std::string utf8 = platform::Cp932ToUtf8(sjis);
  EXPECT_EQ(utf8, "\xE3\x82\xBD\xE3\x81\x82" "abc\\");
  EXPECT_EQ(platform::Utf8ToCp932(utf8), sjis);
  EXPECT_EQ(platform::Cp932ToUtf8("a\x80" "b"), "a\xEF\xBF\xBD" "b");
  EXPECT_EQ(platform::Cp932ToUtf8("\x82"), "\xEF\xBF\xBD");
  bool ok = true;
  EXPECT_EQ(platform::Utf8ToCp932("\xF0\x9F\x98\x80", &ok), "");  // an emoji has no CP932 form
  EXPECT_FALSE(ok);
}

}  // namespace
