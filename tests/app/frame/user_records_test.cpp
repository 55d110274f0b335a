// ctest-label: app
// Boot.dat and Window.dat: their bytes, what a broken file leaves, and the
// clamping that keeps a stored window on the work area.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "app/dialogs/BootData.h"
#include "app/frame/WindowData.h"
#include "platform/FileSystem.h"
#include "platform/Window.h"
#include "tests/support/TestSupport.h"

namespace {

std::vector<unsigned char> Le32(std::initializer_list<int32_t> words) {
  std::vector<unsigned char> out;
  for (int32_t w : words)
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<unsigned char>(static_cast<uint32_t>(w) >> (8 * i)));
  return out;
}

class UserRecords : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::CreateFolder("user_data");
  }
  void TearDown() override {
    platform::SetWorkAreaForTest(nullptr);
  }
  testsupport::ProjectFolder dir_;
};

// A record file: version 791, field count, the fields' bytes, string count 0.
std::vector<unsigned char> RecordFile(std::initializer_list<int32_t> values) {
  std::vector<unsigned char> out = Le32({791, static_cast<int32_t>(values.size())});
  for (int32_t v : values) {
    const auto f = Le32({v});
    out.insert(out.end(), f.begin(), f.end());
  }
  const auto tail = Le32({0});
  out.insert(out.end(), tail.begin(), tail.end());
  return out;
}

TEST_F(UserRecords, BootDataRoundTripsAndDefaultsStayOnABrokenFile) {
  cBootData boot;
  EXPECT_EQ(boot.m_nDrawMode, 1);
  EXPECT_EQ(boot.m_bDoNotAsk, 0);
  boot.m_nDrawMode = 0;
  boot.m_bDoNotAsk = 1;
  ASSERT_TRUE(boot.Save(kBootDataPath));
  std::vector<unsigned char> bytes;
  ASSERT_TRUE(platform::ReadWholeFile(kBootDataPath, bytes));
  cBootData read;
  ASSERT_TRUE(read.Load(kBootDataPath));
  EXPECT_EQ(read.m_nDrawMode, 0);
  EXPECT_EQ(read.m_bDoNotAsk, 1);

  // Truncated: refused, the defaults stay.
  bytes.resize(bytes.size() - 6);
  ASSERT_TRUE(platform::WriteWholeFileAtomic(kBootDataPath, bytes.data(), bytes.size()));
  cBootData fresh;
  EXPECT_FALSE(fresh.Load(kBootDataPath));
  EXPECT_EQ(fresh.m_nDrawMode, 1);
  EXPECT_EQ(fresh.m_bDoNotAsk, 0);
}

TEST_F(UserRecords, WindowDataReadsFiveFieldsAndClampsToTheWorkArea) {
  const platform::RECT area{0, 0, 1024, 768};
  platform::SetWorkAreaForTest(&area);
  struct Case {
    int32_t x, y, w, h;
    int32_t wantX, wantY;
  } cases[] = {
      {100, 50, 646, 505, 100, 50},    // on screen: unchanged
      {-50, 3000, 646, 505, 0, 263},   // above and below: the whole window on the area
      {2000, -5, 646, 505, 378, 0},    // right of the area
      {900, 700, 0, 0, 378, 263},      // no size stored: the 640x480 window's
      {10, 10, 3000, 3000, 0, 0},      // larger than the area: its corner on it
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.x) + "," + std::to_string(c.y));
    const auto bytes = RecordFile({c.x, c.y, c.w, c.h, 1});
    ASSERT_TRUE(platform::WriteWholeFileAtomic(kWindowDataPath, bytes.data(), bytes.size()));
    cWindowData data;
    ASSERT_TRUE(data.Load(kWindowDataPath));
    EXPECT_EQ(data.m_nX, c.wantX);
    EXPECT_EQ(data.m_nY, c.wantY);
    EXPECT_EQ(data.m_nWidth, c.w);
    EXPECT_EQ(data.m_nHeight, c.h);
    EXPECT_EQ(data.m_bMaximised, 1);
  }
}

TEST_F(UserRecords, WindowDataSavedBytesAreTheRecordFile) {
  cWindowData data;
  data.Set(12, 34, 646, 505, 0);
  ASSERT_TRUE(data.Save(kWindowDataPath));
  std::vector<unsigned char> bytes;
  ASSERT_TRUE(platform::ReadWholeFile(kWindowDataPath, bytes));
  EXPECT_EQ(bytes, RecordFile({12, 34, 646, 505, 0}));
}

TEST_F(UserRecords, WindowDataRefusedFileLeavesTheRecord) {
  const auto bytes = Le32({791, 5, 1, 4});
  ASSERT_TRUE(platform::WriteWholeFileAtomic(kWindowDataPath, bytes.data(), bytes.size()));
  cWindowData data;
  data.Set(7, 8, 9, 10, 0);
  EXPECT_FALSE(data.Load(kWindowDataPath));
  EXPECT_EQ(data.m_nX, 7);
  EXPECT_EQ(data.m_nHeight, 10);
}

}  // namespace
