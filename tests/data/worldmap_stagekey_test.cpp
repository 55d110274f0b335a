// ctest-label: data
#include <gtest/gtest.h>

#include <cstring>

#include "data/StageKey.h"
#include "data/WorldMap.h"
#include "tests/support/ByteBuilder.h"

// The file's own namespace keeps its helpers apart from other test files compiled with it.
namespace worldmap_stagekey_test {

namespace {
using Bytes = std::vector<unsigned char>;

using testsupport::ByteBuilder;

struct NodeSpec {
  int32_t kind = 0;
  std::string file;
  int32_t minTotal = 0, hasPlace = 0, placeA = 1, placeB = 0;
};
struct PointSpec {
  int32_t x = 0, y = 0;
  std::vector<NodeSpec> nodes;
};

// A world map file of `version`, from the layout as the file format gives it.
struct MapSpec {
  int32_t width = 20, height = 15, pitch = 32, shift = 5, startX = 9, startY = 7;
  int chips = 10;
  std::vector<int32_t> cells = std::vector<int32_t>(480, 0);
  std::vector<PointSpec> points;

  Bytes Build(uint32_t version) const {
    ByteBuilder b;
    b.I32(static_cast<int32_t>(version));
    b.I32(8).I32(width).I32(height).I32(pitch).I32(shift).I32(startX).I32(startY).I32(16).I32(0);
    b.I32(2).Str("World").Str("");
    b.I32(chips);
    for (int i = 0; i < chips; ++i) b.I32(3).I32(0).I32(0).I32(i).I32(2).Str("").Str("chip");
    b.I32(static_cast<int32_t>(cells.size()));
    for (int32_t c : cells) b.I32(c);
    b.I32(static_cast<int32_t>(points.size()));
    for (const auto& p : points) {
      b.I32(2).I32(p.x).I32(p.y).I32(1).Str("pt");
      b.I32(static_cast<int32_t>(p.nodes.size()));
      for (const auto& n : p.nodes) {
        int count = 10 + (version >= 209 ? 1 : 0) + (version >= 758 ? 3 : 0);
        b.I32(count).I32(n.kind);
        for (int i = 0; i < 9; ++i) b.I32(50 + i);
        if (version >= 209) b.I32(n.minTotal);
        if (version >= 758) b.I32(n.hasPlace).I32(n.placeA).I32(n.placeB);
        b.I32(2).Str("node").Str(n.file);
      }
    }
    b.I32(0);  // no extra points
    return b.bytes();
  }
};

TEST(StageKey, TheMinusOneRule) {
  const std::pair<const char*, const char*> cases[] = {
      {"Stage03-1.stg4_004", "Stage03."},
      {"Bonus.stg4", "Bonus."},
      {"forest-1.stg4_791", "forest."},
      {"town.stg4_791", "town."},
      {"Zone-10.stg4", "Zone."},          // any "-1" counts
      {"a-1b-1c.stg4", "a-1b."},          // the last one
      {"Stage-2.stg4_001", "Stage-2."},   // other parts keep their number
      {"Stage.stg4_-1", "Stage."},        // a "-1" in the extension does not count
      {"NoExtension", "NoExtension."},
      {"stg4\\w-1\\s.stg4", "stg4\\w."},  // even in a folder name
      {"\x83\x58\x83\x65-1.stg4", "\x83\x58\x83\x65."},  // ステ-1.stg4
      {"", "."},
  };
  for (auto [file, key] : cases) EXPECT_EQ(StageKey(file), key) << file;
}

TEST(WorldMap, SetSizeTable) {
  struct Case {
    int width, height, result, pitch, shift;
  } cases[] = {
      {20, 15, 1, 32, 5}, {32, 15, 1, 32, 5}, {33, 15, 1, 64, 6}, {1, 1, 1, 1, 0},
      {2, 3, 1, 2, 1},    {0, 5, 0, 32, 5},   {5, 0, 0, 32, 5},   {-4, 5, 0, 32, 5},
      {1 << 20, 1 << 10, 0, 32, 5},
  };
  for (const auto& c : cases) {
    cWorldMap map;
    EXPECT_EQ(map.SetSize(c.width, c.height), c.result) << c.width << "x" << c.height;
    EXPECT_EQ(map.m_Pitch, c.pitch);
    EXPECT_EQ(map.m_PitchShift, c.shift);
    size_t cells = c.result ? static_cast<size_t>(c.height) * static_cast<size_t>(c.pitch) : 480u;
    EXPECT_EQ(map.m_Cells.size(), cells);
    EXPECT_EQ(map.m_Width, c.result ? c.width : 20);
  }
}

TEST(WorldMap, SetSizeKeepsCellsInsideBothSizes) {
  cWorldMap map;
  for (int y = 0; y < 15; ++y)
    for (int x = 0; x < 20; ++x) map.m_Cells[static_cast<size_t>((y << 5) + x)] = y * 100 + x;
  cWorldMap grown = map;
  ASSERT_EQ(grown.SetSize(40, 20), 1);
  EXPECT_EQ(grown.m_Pitch, 64);
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 40; ++x) {
      int want = (y < 15 && x < 20) ? y * 100 + x : 0;
      ASSERT_EQ(grown.m_Cells[static_cast<size_t>((y << 6) + x)], want) << x << "," << y;
    }
  cWorldMap shrunk = map;
  ASSERT_EQ(shrunk.SetSize(10, 10), 1);
  EXPECT_EQ(shrunk.m_Cells.size(), 160u);
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 10; ++x) ASSERT_EQ(shrunk.m_Cells[static_cast<size_t>((y << 4) + x)], y * 100 + x);
}

TEST(WorldMap, DefaultsAndTheirFile) {
  cWorldMap map;
  EXPECT_EQ(map.m_Chips.size(), 10u);
  EXPECT_EQ(map.m_Chips[4].m_Blocked, 1);
  EXPECT_EQ(map.m_Chips[5].m_Blocked, 0);
  EXPECT_EQ(map.m_Chips[7].m_Picture, 7);
  EXPECT_TRUE(map.m_Points.empty());
  ASSERT_EQ(map.m_ExtraPoints.size(), 1u);
  ASSERT_EQ(map.m_ExtraPoints[0].m_Nodes.size(), 1u);
  EXPECT_EQ(map.m_ExtraPoints[0].m_Nodes[0].m_PlaceA, 1);

  // The golden image: version, 8 fields, 2 strings, 10 chips, 480 cells,
  // no points, one extra point with one new node.
  ByteBuilder b;
  b.I32(791).I32(8).I32(20).I32(15).I32(32).I32(5).I32(9).I32(7).I32(16).I32(0);
  b.I32(2).Str("\x83\x8F\x81\x5B\x83\x8B\x83\x68").Str("");  // ワールド
  b.I32(10);
  for (int i = 0; i < 10; ++i)
    b.I32(3).I32(0).I32(i < 5 ? 1 : 0).I32(i).I32(2).Str("").Str(i < 5 ? "\x92\xCA\x8D\x73\x95\x73\x89\xC2"   // 通行不可
                                                                         : "\x92\xCA\x8D\x73\x89\xC2");       // 通行可
  b.I32(480);
  for (int i = 0; i < 480; ++i) b.I32(0);
  b.I32(0);
  b.I32(1).I32(2).I32(0).I32(0).I32(1).Str("\x83\x66\x83\x74\x83\x48\x83\x8B\x83\x67");  // デフォルト
  // One node: ten ints, min total, has place, place A 1, place B 0; two empty texts.
  b.I32(1).I32(14);
  for (int i = 0; i < 14; ++i) b.I32(i == 12 ? 1 : 0);
  b.I32(2).Str("").Str("");
  Bytes written = map.SaveToBytes();
  Bytes golden = b.bytes();
  ASSERT_EQ(written.size(), golden.size());
  for (size_t i = 0; i < golden.size(); ++i) ASSERT_EQ(written[i], golden[i]) << "byte " << i;

  cWorldMap read;
  read.m_StartX = 3;
  ASSERT_TRUE(read.LoadFromBytes(written));
  EXPECT_EQ(read.SaveToBytes(), written);
}

TEST(WorldMap, RepairsOnReading) {
  MapSpec spec;
  spec.startX = 25;
  spec.startY = -3;
  spec.points = {{20, 3, {{}}}, {19, 14, {{}}}, {5, 15, {{}}}, {0, 0, {{}}}};
  spec.cells[0] = 10;   // no chip 10
  spec.cells[1] = -1;
  spec.cells[2] = 9;
  spec.pitch = 7;       // stored wrong; rebuilt from the width
  spec.shift = 1;
  cWorldMap map;
  ASSERT_TRUE(map.LoadFromBytes(spec.Build(791)));
  EXPECT_EQ(map.m_StartX, 19);
  EXPECT_EQ(map.m_StartY, 0);
  EXPECT_EQ(map.m_Pitch, 32);
  EXPECT_EQ(map.m_PitchShift, 5);
  ASSERT_EQ(map.m_Points.size(), 2u);
  EXPECT_EQ(map.m_Points[0].m_X, 19);
  EXPECT_EQ(map.m_Points[1].m_X, 0);
  EXPECT_EQ(map.m_Cells[0], 0);
  EXPECT_EQ(map.m_Cells[1], 0);
  EXPECT_EQ(map.m_Cells[2], 9);
  EXPECT_NE(map.FindPoint(19, 14), nullptr);
  EXPECT_EQ(map.FindPoint(20, 3), nullptr);

  // Cells padded to height x pitch, or cut to it.
  for (size_t stored : {size_t{0}, size_t{100}, size_t{480}, size_t{900}}) {
    MapSpec s;
    s.cells.assign(stored, 3);
    cWorldMap m;
    ASSERT_TRUE(m.LoadFromBytes(s.Build(791))) << stored;
    ASSERT_EQ(m.m_Cells.size(), 480u) << stored;
    EXPECT_EQ(m.m_Cells[479], stored >= 480 ? 3 : 0);
  }
}

TEST(WorldMap, UnusableSizesAreRefused) {
  for (auto [width, height] : {std::pair{0, 15}, {20, 0}, {-1, 15}, {20, -5}, {1 << 24, 1 << 6}, {1 << 30, 1}}) {
    MapSpec spec;
    spec.width = width;
    spec.height = height;
    cWorldMap map;
    Bytes before = map.SaveToBytes();
    EXPECT_FALSE(map.LoadFromBytes(spec.Build(791))) << width << "x" << height;
    EXPECT_EQ(map.SaveToBytes(), before);
  }
  // Truncated files fail too.
  Bytes good = MapSpec{}.Build(791);
  cWorldMap map;
  for (size_t n = 0; n + 1 < good.size(); n += 13) {
    Bytes cut(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(n));
    EXPECT_FALSE(map.LoadFromBytes(cut)) << n;
  }
}

TEST(WorldMap, NodeFieldsByVersion) {
  MapSpec spec;
  NodeSpec node;
  node.kind = 0;
  node.file = "a.stg4";
  node.minTotal = 40;
  node.hasPlace = 1;
  node.placeA = 6;
  node.placeB = 7;
  spec.points = {{1, 1, {node}}};
  struct Case {
    uint32_t version;
    int minTotal, hasPlace, placeA, placeB;
  } cases[] = {{200, 0, 0, 1, 0}, {208, 0, 0, 1, 0}, {209, 40, 0, 1, 0}, {757, 40, 0, 1, 0}, {758, 40, 1, 6, 7}};
  for (const auto& c : cases) {
    cWorldMap map;
    ASSERT_TRUE(map.LoadFromBytes(spec.Build(c.version))) << c.version;
    ASSERT_EQ(map.m_Points.size(), 1u);
    const cWorldNode& n = map.m_Points[0].m_Nodes.At(0);
    EXPECT_EQ(n.m_CondOp, 58) << c.version;  // the last of the ten ints always read
    EXPECT_EQ(n.m_MinTotal, c.minTotal) << c.version;
    EXPECT_EQ(n.m_HasPlace, c.hasPlace) << c.version;
    EXPECT_EQ(n.m_PlaceA, c.placeA) << c.version;
    EXPECT_EQ(n.m_PlaceB, c.placeB) << c.version;
    EXPECT_EQ(n.m_StageFile, "a.stg4");
  }
}

TEST(WorldMap, FindStageNode) {
  cWorldMap map;
  cWorldPoint wall;
  wall.m_Nodes[0].m_NodeKind = 2;
  wall.m_Nodes[0].m_StageFile = "Wall-1.stg4_004";
  cWorldPoint stage;
  stage.m_Nodes[0].m_StageFile = "Stage03-1.stg4_004";
  cWorldNode placed;
  placed.m_StageFile = "Town.stg4";
  placed.m_HasPlace = 1;
  placed.m_PlaceA = 2;
  placed.m_PlaceB = 5;
  stage.m_Nodes.push_back(placed);
  map.m_Points = {wall, stage};
  struct Case {
    const char* key;
    bool usePlace;
    int a, b;
    bool found;
  } cases[] = {
      {"Stage03.", false, 0, 0, true},   {"Stage03", false, 0, 0, false}, {"stage03.", false, 0, 0, false},
      {"Stage03.", true, 1, 0, false},   {"Wall.", false, 0, 0, false},   {"Town.", false, 0, 0, false},
      {"Town.", true, 2, 5, true},       {"Town.", true, 2, 4, false},
  };
  for (const auto& c : cases) EXPECT_EQ(map.FindStageNode(c.key, c.usePlace, c.a, c.b), c.found) << c.key << c.usePlace;
  // The key the save data stores for a stage file finds the node of that file.
  EXPECT_TRUE(map.FindStageNode(StageKey("Stage03-1.stg4_791"), false, 0, 0));
}

}  // namespace

}  // namespace worldmap_stagekey_test
