// ctest-label: play
// The shared menu cursor: its level stack, the wrapping grid, the scrolling
// list with paging, and the left edge of a label box.
#include <gtest/gtest.h>

#include <string>

#include "app/scenes/MenuCursor.h"
#include "media/input/Input.h"

namespace {

cInput Dir(uint16_t d) {
  cInput in;
  in.m_wDir = d;
  return in;
}

TEST(MenuCursor, GridWrapsRowsBothWays) {
  cMenuCursor c;
  c.MoveGrid(Dir(cInput::DIR_UP), 100, 200, 0, 16, 1, 2);
  EXPECT_EQ(c.Current().nRow, 1);
  EXPECT_EQ(c.Current().nY, 216);
  EXPECT_EQ(c.Current().nX, 100);
  c.MoveGrid(Dir(cInput::DIR_DOWN), 100, 200, 0, 16, 1, 2);
  EXPECT_EQ(c.Current().nRow, 0);
  EXPECT_EQ(c.Current().nY, 200);
  // One column: left and right change nothing visible.
  c.MoveGrid(Dir(cInput::DIR_LEFT), 100, 200, 0, 16, 1, 2);
  EXPECT_EQ(c.Current().nColumn, 0);
}

TEST(MenuCursor, GridWithNegativeRowsChangesNothing) {
  cMenuCursor c;
  c.Current() = {3, 4, 5, 6};
  c.MoveGrid(Dir(cInput::DIR_DOWN), 100, 200, 0, 16, 1, -1);
  EXPECT_EQ(c.Current().nRow, 4);
  EXPECT_EQ(c.Current().nX, 5);
  EXPECT_EQ(c.Current().nY, 6);
}

TEST(MenuCursor, ListPagesForwardAndClamps) {
  cMenuCursor c;
  int32_t top = 0;
  struct Step {
    int top, row;
  } const expect[] = {{9, 9}, {15, 18}, {15, 24}, {15, 24}};
  for (const Step& s : expect) {
    c.MoveList(Dir(cInput::DIR_RIGHT), 1, top, 50, 16, 30, 10, 25, 1);
    EXPECT_EQ(top, s.top);
    EXPECT_EQ(c.Current().nRow, s.row);
    EXPECT_EQ(c.Current().nY, 50 + 16 * (s.row - s.top));
    EXPECT_EQ(c.Current().nX, 30);
  }
  c.MoveList(Dir(cInput::DIR_LEFT), 1, top, 50, 16, 30, 10, 25, 1);
  EXPECT_EQ(top, 6);
  EXPECT_EQ(c.Current().nRow, 15);
}

TEST(MenuCursor, ListNeverWrapsAndEmptyListStaysAtZero) {
  cMenuCursor c;
  int32_t top = 0;
  c.MoveList(Dir(cInput::DIR_UP), 1, top, 0, 16, 0, 10, 5, 0);
  EXPECT_EQ(c.Current().nRow, 0);
  EXPECT_EQ(top, 0);
  for (int i = 0; i < 7; ++i) c.MoveList(Dir(cInput::DIR_DOWN), 1, top, 0, 16, 0, 3, 5, 0);
  EXPECT_EQ(c.Current().nRow, 4);
  EXPECT_EQ(top, 2);
  cMenuCursor e;
  int32_t t2 = 0;
  e.MoveList(Dir(cInput::DIR_DOWN), 1, t2, 0, 16, 0, 10, 0, 1);
  EXPECT_EQ(e.Current().nRow, 0);
  EXPECT_EQ(t2, 0);
}

// Six rows, three visible, at y 50 in steps of 16. Down scrolls when the
// cursor stands on the last visible row (row - top = 2), up when it stands on
// the first (row - top = 0), so the cursor never leaves the three places
// y 50, 66, 82.
TEST(MenuCursor, ListScrollsOneRowAtTheEdgesOfTheView) {
  cMenuCursor c;
  int32_t top = 0;
  struct Step {
    uint16_t dir;
    int row, top;
  } const steps[] = {
      {cInput::DIR_DOWN, 1, 0}, {cInput::DIR_DOWN, 2, 0}, {cInput::DIR_DOWN, 3, 1}, {cInput::DIR_DOWN, 4, 2},
      {cInput::DIR_DOWN, 5, 3}, {cInput::DIR_DOWN, 5, 3},  // the last row: stays
      {cInput::DIR_UP, 4, 3},   {cInput::DIR_UP, 3, 3},   {cInput::DIR_UP, 2, 2},   {cInput::DIR_UP, 1, 1},
      {cInput::DIR_UP, 0, 0},   {cInput::DIR_UP, 0, 0},  // the first row: stays
  };
  int n = 0;
  for (const Step& s : steps) {
    c.MoveList(Dir(s.dir), 1, top, 50, 16, 30, 3, 6, 0);
    ++n;
    EXPECT_EQ(c.Current().nRow, s.row) << "step " << n;
    EXPECT_EQ(top, s.top) << "step " << n;
    EXPECT_EQ(c.Current().nY, 50 + 16 * (s.row - s.top)) << "step " << n;
    EXPECT_EQ(c.Current().nX, 30) << "step " << n;
  }
}

// Along a row (vertical 0) the column moves and x follows; y is fixed.
TEST(MenuCursor, HorizontalListScrollsTheColumns) {
  cMenuCursor c;
  int32_t top = 0;
  const int wantColumn[] = {1, 2, 3, 3};
  const int wantTop[] = {0, 1, 2, 2};
  for (int k = 0; k < 4; ++k) {
    c.MoveList(Dir(cInput::DIR_DOWN), 0, top, 100, 32, 200, 2, 4, 0);
    EXPECT_EQ(c.Current().nColumn, wantColumn[k]) << k;
    EXPECT_EQ(c.Current().nRow, 0) << k;
    EXPECT_EQ(top, wantTop[k]) << k;
    EXPECT_EQ(c.Current().nX, 100 + 32 * (wantColumn[k] - wantTop[k])) << k;
    EXPECT_EQ(c.Current().nY, 200) << k;
  }
  // A list shorter than its view never scrolls.
  cMenuCursor s;
  int32_t t = 0;
  for (int k = 0; k < 3; ++k) s.MoveList(Dir(cInput::DIR_DOWN), 1, t, 0, 16, 0, 5, 2, 0);
  EXPECT_EQ(s.Current().nRow, 1);
  EXPECT_EQ(t, 0);
  EXPECT_EQ(s.Current().nY, 16);
}

TEST(MenuCursor, SlotListReachesTop89) {
  cMenuCursor c;
  int32_t top = 0;
  for (int i = 0; i < 200; ++i) c.MoveList(Dir(cInput::DIR_DOWN), 1, top, 0, 16, 0, 10, 99, 0);
  EXPECT_EQ(top, 89);
  EXPECT_EQ(c.Current().nRow, 98);
}

TEST(MenuCursor, PushAndPopModes) {
  cMenuCursor c;
  c.Pop(0);  // one level: nothing happens
  EXPECT_EQ(c.Depth(), 1u);
  EXPECT_EQ(c.Previous(), nullptr);
  c.Current() = {1, 2, 3, 4};
  c.Push(1);
  EXPECT_EQ(c.Current().nRow, 2);
  ASSERT_NE(c.Previous(), nullptr);
  c.Current().nRow = 7;
  c.Pop(1);
  EXPECT_EQ(c.Current().nRow, 2);
  c.Push(0);
  EXPECT_EQ(c.Current().nRow, 0);
  c.Current() = {9, 8, 7, 6};
  c.Pop(2);
  EXPECT_EQ(c.Current().nColumn, 9);
  EXPECT_EQ(c.Current().nY, 6);
  c.Push(0);
  c.Pop(0);
  EXPECT_EQ(c.Current().nRow, 0);
  c.Push(0);
  c.Push(0);
  c.Reset();
  EXPECT_EQ(c.Depth(), 1u);
}

TEST(LabelBox, LeftEdgeCentresTheWidestLabel) {
  const cVector<std::string> labels = {"x", "abcde", "abcdef", "x"};
  EXPECT_EQ(CalcLabelBoxX(320, labels, 1, 2, 1), 264);
  EXPECT_EQ(CalcLabelBoxX(320, labels, 1, 2, 0), 272);
  // A double-byte character counts one.
  const cVector<std::string> jp = {"\x82\xa0\x82\xa2"};
  EXPECT_EQ(CalcLabelBoxX(320, jp, 0, 1, 0), 304);
  // Entries beyond the list count as empty.
  EXPECT_EQ(CalcLabelBoxX(320, labels, 10, 2, 0), 320);
}

}  // namespace
