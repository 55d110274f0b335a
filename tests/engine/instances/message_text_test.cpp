// ctest-label: engine
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "engine/instances/MessageText.h"

namespace {

// Common variable 5 holds 42, 6 holds -7, 1000 holds 1; stage variables 0..999
// exist (12 holds 9), so stage 1000 does not.
bool Lookup(char kind, int n, int* value) {
  static const std::map<int, int> common = {{5, 42}, {6, -7}, {1000, 1}};
  if (kind == 'C') {
    auto it = common.find(n);
    *value = it == common.end() ? 0 : it->second;
    return true;
  }
  if (n < 0 || n >= 1000) return false;
  *value = n == 12 ? 9 : 0;
  return true;
}

std::string Expand(std::string text) {
  ExpandMessageVars(text, Lookup);
  return text;
}

TEST(ExpandMessageVars, EscapeTable) {
  const struct {
    const char* in;
    const char* out;
  } cases[] = {
      {"#C5.", "42"},
      {"#c5.", "42"},
      {"#C5_4Z.", "0042"},
      {"#C5_4.", "  42"},
      {"#C5_P", "+42"},
      {"#C5_2", "42"},        // width below the digit count
      {"#C5_39.", "       42"},  // the last width digit counts
      {"#C6_3.", "-  7"},
      {"#C6_3Z.", "-007"},
      {"#C6_P.", "-7"},      // a negative value gets no plus sign
      {"#C7_P.", "+0"},
      {"#C1000.", "1"},
      {"score #C5 pts", "score 42 pts"},  // the space ends the escape and stays
      {"a#C5.b#C6.c", "a42b-7c"},
      {"#S12", "9"},          // the end of the text ends the escape
      {"#s12.", "9"},
      {"#5C.", "42"},         // letter after the number
      {"#C5x", "42x"},
      {"#C5..", "42."},       // only one full stop belongs to the escape
      // unchanged
      {"#X12.", "#X12."},
      {"#C.", "#C."},
      {"#12.", "#12."},
      {"#C0.", "#C0."},
      {"#C1001.", "#C1001."},
      {"#C99999999999.", "#C99999999999."},
      {"#S1000.", "#S1000."},  // beyond the 1000 stage variables
      {"#", "#"},
      {"50#", "50#"},
      {"##C5.", "#42"},
      // "\x81#" is one double-byte character: its second byte starts no escape
      {"\x81#C5.", "\x81#C5."},
      {"\x82\xa0#C5.", "\x82\xa0" "42"},
  };
  for (const auto& c : cases) EXPECT_EQ(Expand(c.in), c.out) << c.in;
}

TEST(ExpandMessageVars, ScanContinuesAfterTheInsertedText) {
  // The inserted value is not scanned again, even when it could form an escape.
  std::string text = "#C5.#S12";
  ExpandMessageVars(text, [](char kind, int, int* v) {
    *v = kind == 'C' ? -1 : 3;
    return true;
  });
  EXPECT_EQ(text, "-13");
}

}  // namespace
