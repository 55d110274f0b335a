// ctest-label: app
// The 71 bitmap descriptors, the font and digit descriptors and the twin
// links, checked field by field against a table written apart from the code.
#include <gtest/gtest.h>

#include <string>

#include "app/frame/ProgramObjects.h"
#include "platform/CodePage.h"

namespace {

// file, transparent, system memory, Direct3D type, twin, optional, mirror width, width, height.
struct Row {
  std::string file;
  int t, sys, d3d, twin, opt, mirror, w, h;
};

std::vector<Row> Expected() {
  std::vector<Row> r(71);
  auto set = [&r](int i, const std::string& f, int t, int sys, int d3d, int twin, int opt, int mirror, int w = 0,
                  int h = 0) { r[i] = {f, t, sys, d3d, twin, opt, mirror, w, h}; };
  set(0, "bmp\\plt\\Palette.bmp", 0, 1, 0, 0, 0, 0);
  set(1, "bmp\\Debug.bmp", 1, 0, 0, 0, 0, 0);
  set(2, "bmp\\Block.bmp", 1, 0, 0, 0, 0, 0);
  set(3, "bmp\\Block.bmp", 1, 1, 0, 1, 0, 0);
  set(4, "bmp\\Character1.bmp", 1, 0, 0, 0, 0, 0);
  set(5, "bmp\\Character1.bmp", 1, 0, 0, 1, 0, 32);
  const char* chars[7] = {"bmp\\Character2.bmp", "bmp\\Character3.bmp", "bmp\\Character4.bmp", "bmp\\Character5.bmp",
                          "bmp\\Character6.bmp", "bmp\\Character7.bmp", "bmp\\Character8.bmp"};
  const int firsts[7] = {6, 8, 10, 12, 14, 16, 18};
  const int systems[7] = {24, 26, 28, 30, 32, 34, 36};
  for (int k = 0; k < 7; ++k) {
    set(firsts[k], chars[k], 1, 0, 0, 0, 1, 0);
    set(firsts[k] + 1, chars[k], 1, 0, 0, 1, 1, 32);
    set(systems[k], chars[k], 1, 1, 0, 1, 1, 0);
    set(systems[k] + 1, chars[k], 1, 1, 0, 1, 1, 32);
  }
  set(20, "bmp\\Shot.bmp", 1, 0, 0, 0, 0, 0);
  set(21, "bmp\\Shot.bmp", 1, 0, 0, 1, 0, 16);
  set(22, "bmp\\Character1.bmp", 1, 1, 0, 1, 0, 0);
  set(23, "bmp\\Character1.bmp", 1, 1, 0, 1, 0, 32);
  set(38, "bmp\\Shot.bmp", 1, 1, 0, 1, 0, 0);
  set(39, "bmp\\Shot.bmp", 1, 1, 0, 1, 0, 16);
  set(40, "bmp\\Item.bmp", 1, 0, 0, 0, 0, 0);
  set(41, "bmp\\Item.bmp", 1, 1, 0, 1, 0, 0);
  set(42, "bmp\\Item_Mini.bmp", 1, 0, 0, 0, 0, 0);
  set(43, "bmp\\Mark.bmp", 1, 0, 0, 0, 0, 0);
  set(44, "bmp\\Mark.bmp", 1, 1, 0, 1, 0, 0);
  set(45, "bmp\\Window.bmp", 0, 0, 0, 0, 0, 0);
  set(46, "bmp\\StatusWindow.bmp", 1, 0, 0, 0, 0, 0);
  set(47, "bmp\\Title.bmp", 0, 0, 0, 0, 0, 0);
  set(48, "bmp\\GameMode.bmp", 1, 0, 0, 0, 1, 0);
  set(49, "bmp\\Accessory.bmp", 1, 0, 0, 0, 0, 0);
  set(50, "bmp\\Symbol.bmp", 1, 0, 0, 0, 0, 0);
  set(51, "bmp\\Word.bmp", 1, 0, 0, 0, 0, 0);
  set(52, "bmp\\WorldMapChip.bmp", 1, 0, 0, 0, 0, 0);
  set(53, "bmp\\WorldEvent.bmp", 1, 1, 0, 0, 0, 0);
  set(54, "bmp\\WorldBack.bmp", 0, 1, 0, 0, 1, 0);
  for (int n = 1; n <= 8; ++n)
    set(54 + n, platform::Utf8ToCp932("背景その" + std::to_string(n) + ".bmp"), 1, 0, 0, 0, 1, 0);
  set(63, "E", 1, 1, 0, 0, 0, 0, 256, 960);
  set(64, "E", 1, 1, 0, 0, 0, 0, 256, 960);
  set(65, "E", 1, 1, 0, 0, 0, 0, 640, 480);
  set(66, "E", 0, 1, 0, 0, 0, 0, 640, 480);
  set(67, "E", 1, 0, 0, 0, 0, 0, 640, 480);
  set(68, "E", 1, 1, 0, 1, 0, 0, 640, 480);
  set(69, "E", 1, 0, 2, 0, 0, 0, 1024, 1024);
  set(70, "E", 1, 1, 1, 0, 0, 0, 1024, 1024);
  return r;
}

TEST(BitmapTable, EveryDescriptorFieldByField) {
  const std::vector<Row> rows = Expected();
  for (int i = 0; i < kSurfaceCount; ++i) {
    SCOPED_TRACE("entry " + std::to_string(i));
    const DDBITMAPDATA& d = BitmapTable[i];
    const Row& e = rows[i];
    EXPECT_EQ(d.strFile, e.file);
    EXPECT_EQ(d.bTransparent, e.t);
    EXPECT_EQ(d.nDDMemory, e.sys);
    EXPECT_EQ(d.nD3DType, e.d3d);
    EXPECT_EQ(d.bAlias, e.twin);
    EXPECT_EQ(d.bPaletteMap, 0);
    EXPECT_EQ(d.bOptional, e.opt);
    EXPECT_EQ(d.nMirrorW, e.mirror);
    EXPECT_EQ(d.nMirrorH, 0);
    EXPECT_EQ(d.nWidth, e.w);
    EXPECT_EQ(d.nHeight, e.h);
  }
}

TEST(FontTable, ThreeFontsWithTheirMetricsAndTheSettingsCacheMode) {
  struct F {
    int height, pitch, cache;
  } expected[3] = {{9, 10, 2}, {16, 16, 2}, {30, 32, 0}};
  for (int i = 0; i < kFontCount; ++i) {
    SCOPED_TRACE("font " + std::to_string(i));
    const FONTDATA& f = FontTable[i];
    EXPECT_EQ(platform::Cp932ToUtf8(f.szFace), "ＭＳ ゴシック");
    EXPECT_EQ(f.nWidth, 0);
    EXPECT_EQ(f.nHeight, expected[i].height);
    EXPECT_EQ(f.nPitch, expected[i].pitch);
    EXPECT_EQ(f.nLinePitch, expected[i].pitch);
    EXPECT_EQ(f.nColor, 241);
    EXPECT_EQ(f.nBoxSurface, 45);
    EXPECT_EQ(f.nBoxFrame, 1);
    EXPECT_EQ(f.nBoxFrameColor, 240);
    EXPECT_EQ(f.nIconSurface, 50);
    EXPECT_EQ(f.nCacheMode, expected[i].cache);
  }
}

TEST(DigitTable, EmptyNamesOnlyTransparent) {
  for (const DDBITMAPDATA& d : DigitTable) {
    EXPECT_TRUE(d.strFile.empty());
    EXPECT_EQ(d.bTransparent, 1);
    EXPECT_EQ(d.nDDMemory + d.nD3DType + d.bAlias + d.bOptional + d.nMirrorW + d.nWidth + d.nHeight, 0);
  }
}

TEST(TwinLinks, EveryTwinEntryAndOnlyThoseShareTheirSource) {
  DDSURFACEDATA table[kSurfaceCount];
  LinkTwinSurfaces(table);
  const std::pair<int, int> links[] = {{3, 2},   {5, 4},   {7, 6},   {9, 8},   {11, 10}, {13, 12}, {15, 14}, {17, 16},
                                       {19, 18}, {21, 20}, {22, 4},  {23, 4},  {24, 6},  {25, 6},  {26, 8},  {27, 8},
                                       {28, 10}, {29, 10}, {30, 12}, {31, 12}, {32, 14}, {33, 14}, {34, 16}, {35, 16},
                                       {36, 18}, {37, 18}, {38, 20}, {39, 20}, {41, 40}, {44, 43}, {68, 67}};
  int linked = 0;
  for (int i = 0; i < kSurfaceCount; ++i) {
    int source = -1;
    for (auto [t, s] : links)
      if (t == i) source = s;
    SCOPED_TRACE("entry " + std::to_string(i));
    if (source < 0) {
      EXPECT_EQ(table[i].lpAlias, nullptr);
    } else {
      EXPECT_EQ(table[i].lpAlias, &table[source]);
      ++linked;
    }
    // A twin shares a texture only with an entry of the same file.
    if (source >= 0) {
      EXPECT_EQ(BitmapTable[i].strFile, BitmapTable[source].strFile);
    }
  }
  EXPECT_EQ(linked, 31);
}

}  // namespace
