// ctest-label: tools
// Blend tables built from palettes: the truncated channel mix, the squared
// RGB distance, the lowest index on a tie, and palettes sharing one search.
#include "tools/toolkit/BlendTable.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace {

// Entries not set are black, like entry 0.
tools::cPaletteEntries Palette(std::initializer_list<std::pair<int, DDPALENTRY>> set) {
  tools::cPaletteEntries p{};
  for (const auto& [i, e] : set) p[static_cast<size_t>(i)] = e;
  return p;
}

// The mix of entries 6 and 7 is (0, 50, 0): entries 5 and 6 lie 10 away.
// Entries 10 and 11 mix to (50, 150, 100): 12 lies at squared distance 72
// (sum of channel gaps 12), 13 at 100 (gaps 10).
const tools::cPaletteEntries kBase = Palette({
    {1, {30, 0, 0, 0}},
    {2, {41, 0, 0, 0}},
    {3, {35, 0, 0, 0}},
    {4, {36, 0, 0, 0}},
    {5, {0, 60, 0, 0}},
    {6, {0, 40, 0, 0}},
    {7, {0, 60, 0, 0}},
    {8, {0, 40, 0, 0}},
    {10, {50, 150, 20, 0}},
    {11, {50, 150, 180, 0}},
    {12, {56, 156, 100, 0}},
    {13, {50, 150, 110, 0}},
});

TEST(BlendTable, NearestEntryToTheTruncatedMix) {
  const auto tables = tools::MakeBlendTables({kBase});
  ASSERT_EQ(tables.size(), 1u);
  const std::vector<uint8_t>& t = tables[0];
  ASSERT_EQ(t.size(), 65536u);
  struct Case {
    int a, b, expected;
    const char* why;
  };
  const Case cases[] = {
      {1, 2, 3, "(30 + 41) >> 1 is 35, not 36"},
      {2, 1, 3, "the mix is symmetric"},
      {10, 11, 12, "squared distance 72 beats 100"},
      {6, 5, 5, "(0, 50, 0) ties 5, 6, 7 and 8: the lowest index"},
      {8, 8, 6, "a copy maps to the first entry of its colour"},
      {7, 7, 5, "likewise"},
      {0, 9, 0, "black with black"},
      {3, 3, 3, "a colour with itself"},
  };
  for (const Case& c : cases) EXPECT_EQ(t[c.a * 256 + c.b], c.expected) << c.a << ", " << c.b << ": " << c.why;
  for (int a = 0; a < 256; ++a)
    for (int b = 0; b < a; ++b) ASSERT_EQ(t[a * 256 + b], t[b * 256 + a]) << a << ", " << b;
}

// The same colours in another order share one search, yet each table breaks
// its ties by its own indexes.
TEST(BlendTable, ReorderedPaletteBreaksTiesByItsOwnIndexes) {
  tools::cPaletteEntries swapped = kBase;
  std::swap(swapped[5], swapped[9]);    // (0, 60, 0) now first at 7; entry 5 black
  std::swap(swapped[3], swapped[200]);  // (35, 0, 0) moves to 200
  const auto tables = tools::MakeBlendTables({kBase, swapped});
  ASSERT_EQ(tables.size(), 2u);
  EXPECT_EQ(tables[0][6 * 256 + 7], 5);
  EXPECT_EQ(tables[1][6 * 256 + 7], 6);
  EXPECT_EQ(tables[0][1 * 256 + 2], 3);
  EXPECT_EQ(tables[1][1 * 256 + 2], 200);
  EXPECT_EQ(tables[1][9 * 256 + 9], 7);
  EXPECT_EQ(tables[1][5 * 256 + 5], 0);
}

}  // namespace
