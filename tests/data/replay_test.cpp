// ctest-label: data
#include "data/Replay.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

// The file's own namespace keeps its helpers apart from other test files compiled with it.
namespace replay_test {

namespace {

using Frames = std::vector<std::pair<uint16_t, uint16_t>>;

Frames PlayAll(cReplay& r, size_t limit = 100000) {
  Frames out;
  uint16_t d = 0, b = 0;
  while (out.size() < limit && r.PlayFrame(d, b) == 0) out.emplace_back(d, b);
  return out;
}

TEST(ReplayChannels, RecordAndPlayBack) {
  cReplay r;
  const Frames frames = {{0, 0}, {0, 0}, {0, 0}, {2, 0}, {2, 0}};
  for (auto [d, b] : frames) r.RecordFrame(d, b);
  EXPECT_EQ(r.m_DirValues, (cVector<uint16_t>{0, 2}));
  EXPECT_EQ(r.m_DirRuns, (cVector<uint32_t>{3, 2}));
  EXPECT_EQ(r.m_ButtonValues, (cVector<uint16_t>{0}));
  EXPECT_EQ(r.m_ButtonRuns, (cVector<uint32_t>{5}));

  EXPECT_EQ(PlayAll(r), frames);
  uint16_t d = 77, b = 88;
  for (int i = 0; i < 3; ++i) EXPECT_EQ(r.PlayFrame(d, b), 1);  // over for ever, nothing written
  EXPECT_EQ(d, 77);
  EXPECT_EQ(b, 88);

  r.RewindPlayback();
  EXPECT_EQ(PlayAll(r), frames);
}

TEST(ReplayChannels, ChannelsHaveTheirOwnRuns) {
  cReplay r;
  Frames frames;
  for (int i = 0; i < 40; ++i) frames.emplace_back(static_cast<uint16_t>((i / 3) % 4), static_cast<uint16_t>((i / 7) & 16));
  for (auto [d, b] : frames) r.RecordFrame(d, b);
  for (size_t i = 1; i < r.m_DirValues.size(); ++i) EXPECT_NE(r.m_DirValues[i], r.m_DirValues[i - 1]);
  for (size_t i = 1; i < r.m_ButtonValues.size(); ++i) EXPECT_NE(r.m_ButtonValues[i], r.m_ButtonValues[i - 1]);
  EXPECT_TRUE(r.IsConsistent());
  EXPECT_EQ(PlayAll(r), frames);
}

TEST(ReplayChannels, EmptyAndClear) {
  cReplay r;
  uint16_t d = 5, b = 6;
  EXPECT_EQ(r.PlayFrame(d, b), 1);
  EXPECT_EQ(d, 5);
  EXPECT_TRUE(r.Empty());

  r.RecordFrame(1, 2);
  r.m_Seed = 1234;
  PlayAll(r);
  r.Clear();
  EXPECT_TRUE(r.Empty());
  EXPECT_TRUE(r.m_DirRuns.empty());
  EXPECT_EQ(r.m_Seed, 0);
  EXPECT_EQ(r.m_DirIndex, 0);
  EXPECT_EQ(r.m_ButtonIndex, 0);
  EXPECT_EQ(r.m_DirPos, 0);
  EXPECT_EQ(r.m_ButtonPos, 0);
  EXPECT_EQ(r.PlayFrame(d, b), 1);
}

TEST(ReplayChannels, AssignmentCopiesTheRecordingNotThePositions) {
  cReplay src;
  for (int i = 0; i < 10; ++i) src.RecordFrame(static_cast<uint16_t>(i / 4), 1);
  src.m_Seed = -42;
  uint16_t d, b;
  src.PlayFrame(d, b);

  cReplay dst;
  dst.RecordFrame(9, 9);
  dst.RecordFrame(9, 9);
  dst.PlayFrame(d, b);  // dir pos 1 in a run of 2
  dst = src;
  EXPECT_EQ(dst.m_DirValues, src.m_DirValues);
  EXPECT_EQ(dst.m_DirRuns, src.m_DirRuns);
  EXPECT_EQ(dst.m_ButtonValues, src.m_ButtonValues);
  EXPECT_EQ(dst.m_ButtonRuns, src.m_ButtonRuns);
  EXPECT_EQ(dst.m_Seed, -42);
  EXPECT_EQ(dst.m_DirIndex, 0);
  EXPECT_EQ(dst.m_DirPos, 1);
  EXPECT_EQ(dst.m_ButtonPos, 1);

  cReplay copy(src);
  copy.RewindPlayback();
  EXPECT_EQ(PlayAll(copy).size(), 10u);
}

TEST(ReplayChannels, BadPositionsEndPlayback) {
  cReplay r;
  r.RecordFrame(1, 1);
  r.m_DirIndex = -1;  // an index below 0 compares as a huge unsigned one
  uint16_t d, b;
  EXPECT_EQ(r.PlayFrame(d, b), 1);
  r.m_DirIndex = 0;
  r.m_ButtonIndex = 1;
  EXPECT_EQ(r.PlayFrame(d, b), 1);
}

TEST(ReplayChannels, BodyRoundTripAndValidation) {
  cReplay r;
  for (int i = 0; i < 9; ++i) r.RecordFrame(static_cast<uint16_t>(i / 2), static_cast<uint16_t>(i / 5));
  r.m_Seed = 0x12345678;
  std::vector<unsigned char> bytes = r.SaveToBytes();
  // version, 1 field: seed, 0 strings, then the four vectors
  const std::vector<unsigned char> head = {0x17, 0x03, 0, 0, 1, 0, 0, 0, 0x78, 0x56, 0x34, 0x12, 0, 0, 0, 0, 5, 0, 0, 0};
  EXPECT_EQ(std::vector<unsigned char>(bytes.begin(), bytes.begin() + 20), head);
  EXPECT_EQ(bytes.size(), 4u + 8 + 4 + (4 + 10) + (4 + 4) + (4 + 20) + (4 + 8));

  cReplay back;
  ASSERT_TRUE(back.LoadFromBytes(bytes));
  EXPECT_EQ(back.m_Seed, r.m_Seed);
  EXPECT_EQ(back.m_DirValues, r.m_DirValues);
  EXPECT_EQ(back.m_ButtonRuns, r.m_ButtonRuns);

  // Vectors that disagree, a run of 0 frames and counts past the end are refused.
  auto shortRuns = bytes;  // dir runs count 5 -> 4, with the bytes dropped
  size_t dirRuns = 4 + 8 + 4 + 14 + 8;
  shortRuns[dirRuns] = 4;
  shortRuns.erase(shortRuns.begin() + static_cast<long>(dirRuns + 4), shortRuns.begin() + static_cast<long>(dirRuns + 8));
  auto zeroRun = bytes;
  zeroRun[dirRuns + 4] = 0;
  auto huge = bytes;
  huge[16] = 0xFF;
  huge[17] = 0xFF;
  auto truncated = std::vector<unsigned char>(bytes.begin(), bytes.end() - 1);
  for (const auto& bad : {shortRuns, zeroRun, huge, truncated}) {
    cReplay target;
    target.RecordFrame(3, 3);
    EXPECT_FALSE(target.LoadFromBytes(bad));
    EXPECT_EQ(target.m_DirValues, (cVector<uint16_t>{3}));
  }
}

TEST(ReplayChannels, Extension) { EXPECT_EQ(ReplayExtension(), "rpl4_791"); }

}  // namespace

}  // namespace replay_test
