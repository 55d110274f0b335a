// ctest-label: data
#include <gtest/gtest.h>

#include "data/Cmd.h"
#include "data/DataPaths.h"
#include "data/Option.h"
#include "platform/FileSystem.h"
#include "tests/support/TestSupport.h"

// The file's own namespace keeps its helpers apart from other test files compiled with it.
namespace option_cmd_test {

namespace {
using Bytes = std::vector<unsigned char>;

TEST(Option, FreshFileIsTheKnown36Bytes) {
  const Bytes expected = {0x17, 0x03, 0x00, 0x00, 0x04, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
                          0x01, 0x00, 0x00, 0x00, 0x07, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
                          0x01, 0x00, 0x00, 0x00, 0x04, 0x00, 0x00, 0x00, 0x61, 0x61, 0x61, 0x00};
  cOption option;
  EXPECT_EQ(option.SaveToBytes(), expected);
  cOption read;
  read.m_RankName = "zzz";
  read.m_Music = 0;
  ASSERT_TRUE(read.LoadFromBytes(expected));
  EXPECT_EQ(read.SaveToBytes(), expected);
}

// The fresh image with one value replaced: field 0..3 sit at offsets 8, 12, 16, 20.
Bytes WithField(int field, int32_t value) {
  Bytes b = cOption().SaveToBytes();
  std::memcpy(b.data() + 8 + 4 * field, &value, 4);
  return b;
}

TEST(Option, ValuesAreClampedOnReading) {
  struct Case {
    int field;
    int32_t stored, want;
  } cases[] = {
      {0, 24, 23}, {0, -1, 0}, {0, 23, 23},  {1, 2, 1},   {1, -7, 0}, {2, 99, 10},
      {2, -1, 0},  {2, 10, 10}, {3, 4, 3},   {3, -2, 0},  {3, 3, 3},
  };
  for (const auto& c : cases) {
    cOption o;
    ASSERT_TRUE(o.LoadFromBytes(WithField(c.field, c.stored)));
    const int32_t values[4] = {o.m_Palette, o.m_Music, o.m_SoundVolume, o.m_RankMode};
    EXPECT_EQ(values[c.field], c.want) << "field " << c.field << " stored " << c.stored;
  }
}

TEST(Option, SavedAndLoadedThroughTheUserDataPath) {
  testsupport::ProjectFolder dir;
  ASSERT_TRUE(platform::CreateFolder("user_data"));
  cOption option;
  option.m_SoundVolume = 3;
  option.m_RankName = "ABC";
  EXPECT_TRUE(option.Save(PathTable[PATH_OPTION]));
  cOption loaded;
  EXPECT_TRUE(loaded.Load(PathTable[PATH_OPTION]));
  EXPECT_EQ(loaded.m_SoundVolume, 3);
  EXPECT_EQ(loaded.m_RankName, "ABC");
  // A broken file leaves the options as they were.
  Bytes broken = option.SaveToBytes();
  broken.resize(broken.size() - 2);
  ASSERT_TRUE(platform::WriteWholeFileAtomic(PathTable[PATH_OPTION], broken.data(), broken.size()));
  EXPECT_FALSE(loaded.Load(PathTable[PATH_OPTION]));
  EXPECT_EQ(loaded.m_RankName, "ABC");
}

TEST(Option, VolumeTable) {
  EXPECT_EQ(cOption::VolumeAttenuation(0), -10000);
  EXPECT_EQ(cOption::VolumeAttenuation(7), -150);
  EXPECT_EQ(cOption::VolumeAttenuation(10), 0);
  EXPECT_EQ(cOption::VolumeAttenuation(99), 0);
}

cVector<cCmd> Menu(std::initializer_list<int> switches) {
  cVector<cCmd> list;
  for (int s : switches) list.push_back(cCmd(s, "entry"));
  return list;
}

TEST(Cmd, CountAndRowToEntry) {
  struct Case {
    cVector<cCmd> list;
    int count;
    std::vector<std::pair<int, int>> rows;  // row -> entry
  } cases[] = {
      {Menu({1, 0, 1, 1}), 3, {{0, 0}, {1, 2}, {2, 3}, {3, 0}, {-1, 0}}},
      {Menu({0, 0, 0}), 0, {{0, 0}, {1, 0}, {2, 0}}},
      {Menu({0, 0, 1}), 1, {{0, 2}, {1, 0}}},
      {Menu({}), 0, {{0, 0}}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(cCmd::GetCmdCount(c.list), c.count);
    for (auto [row, entry] : c.rows) EXPECT_EQ(cCmd::GetCmdNum(row, c.list), entry) << "row " << row;
  }
}

TEST(Cmd, NewEntryIsEnabledAndBodyIsOneIntAndOneText) {
  cCmd cmd;
  EXPECT_EQ(cmd.m_Enabled, 1);
  EXPECT_EQ(cmd.m_Label, "");
  cmd.m_Label = "Go";
  cmd.m_Enabled = 0;
  cRecordWriter w;
  cmd.Write(w);
  const Bytes expected = {1, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 3, 0, 0, 0, 'G', 'o', 0};
  EXPECT_EQ(w.Bytes(), expected);
}

}  // namespace

}  // namespace option_cmd_test
