// ctest-label: threads
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <vector>

#include "base/FrameTimer.h"
#include "platform/Clock.h"

namespace {

std::atomic<uint64_t> g_now{0};
uint64_t FakeClock() { return g_now.load(); }

class FrameTimer : public ::testing::Test {
 protected:
  void SetUp() override {
    g_now = 0;
    platform::SetClockSource(&FakeClock);
    ResetFrameTiming();
    SetPaceFrameActive(true);
  }
  void TearDown() override {
    platform::SetClockSource(nullptr);
    SetFrameOverlayPrinter(nullptr);
    ResetFrameTiming();
  }
  // Calls fn once per millisecond from the current time for ms milliseconds
  // and returns the times (relative to the start) at which it said true.
  template <class F>
  static std::vector<uint64_t> DueTimes(uint64_t ms, F fn) {
    std::vector<uint64_t> times;
    uint64_t start = g_now;
    for (uint64_t t = 0; t < ms; ++t) {
      g_now = start + t;
      if (fn()) times.push_back(t);
    }
    g_now = start + ms;
    return times;
  }
};

TEST_F(FrameTimer, NextFrameDueEvery16MsWithoutCatchUpAfterAStall) {
  EXPECT_EQ(DueTimes(49, [] { return IsNextFrameDue(60); }), (std::vector<uint64_t>{0, 16, 32, 48}));
  // Stalled for 100 ms: one frame at once, then the normal spacing again.
  g_now = 48 + 100;
  EXPECT_EQ(DueTimes(33, [] { return IsNextFrameDue(60); }), (std::vector<uint64_t>{0, 16, 32}));
}

TEST_F(FrameTimer, NonPositiveRateIsAlwaysDue) {
  for (int rate : {0, -1}) {
    SCOPED_TRACE(rate);
    EXPECT_EQ(DueTimes(5, [rate] { return IsNextFrameDue(rate); }).size(), 5u);
    EXPECT_EQ(DueTimes(5, [rate] { return PaceFrame(rate); }).size(), 5u);
  }
}

TEST_F(FrameTimer, PaceFrameFollowsThePerSecondSchedule) {
  auto times = DueTimes(1040, [] { return PaceFrame(60); });
  ASSERT_GE(times.size(), 63u);
  // Frame k of the second is due k * 16.67 ms after it began.
  EXPECT_EQ(std::vector<uint64_t>(times.begin(), times.begin() + 8),
            (std::vector<uint64_t>{0, 17, 34, 50, 67, 84, 100, 117}));
  EXPECT_EQ(times[59], 984u);
  // After the 60th frame the second restarts from that moment.
  EXPECT_EQ(times[60], 985u);
  EXPECT_EQ(times[61], 1001u);
  EXPECT_EQ(times[62], 1018u);
}

TEST_F(FrameTimer, PaceFrameIsIdleWhileSwitchedOff) {
  SetPaceFrameActive(false);
  EXPECT_EQ(DueTimes(10, [] { return PaceFrame(60); }).size(), 10u);
}

TEST_F(FrameTimer, FpsReportsTheFramesOfTheLastSecond) {
  EXPECT_EQ(GetFps(false), 0u);  // the second starts here
  for (int k = 0; k < 60; ++k) {
    g_now = k * 1000 / 60;
    EXPECT_EQ(GetFps(true), 0u);
  }
  g_now = 1000;
  EXPECT_EQ(GetFps(true), 60u) << "the call that crosses the second is not counted";
  EXPECT_EQ(GetFps(false), 60u);
  g_now = 1500;
  EXPECT_EQ(GetFps(true), 60u);
  g_now = 2000;
  EXPECT_EQ(GetFps(true), 1u);
}

TEST_F(FrameTimer, FrameTimeIsMeasuredOnlyWhenAsked) {
  g_now = 100;
  StartFrameTimer();
  g_now = 117;
  EXPECT_EQ(GetFrameTime(false), 0u);
  EXPECT_EQ(GetFrameTime(true), 17u);
  g_now = 200;
  EXPECT_EQ(GetFrameTime(false), 17u);
}

TEST_F(FrameTimer, CountCycleTicksEveryPeriod) {
  std::vector<int> ticks;
  for (int call = 1; call <= 130; ++call)
    if (CountCycle(1, 60)) ticks.push_back(call);
  EXPECT_EQ(ticks, (std::vector<int>{60, 120}));
  EXPECT_EQ(CountCycle(2, 60), 0) << "10 calls into the cycle";
  EXPECT_EQ(CountCycle(0, 60), 0);
  EXPECT_EQ(CountCycle(2, 123), 1);
  CountCycle(1, 60);
  EXPECT_EQ(CountCycle(2, 60), 0);
}

// 49.7 days after start the 32-bit clock wraps; pacing must go on.
TEST_F(FrameTimer, PacingSurvivesTheClockWrap) {
  const uint64_t wrap = uint64_t{1} << 32;
  g_now = wrap - 20;
  auto due = DueTimes(60, [] { return IsNextFrameDue(60); });
  EXPECT_EQ(due, (std::vector<uint64_t>{0, 16, 32, 48}));

  ResetFrameTiming();
  g_now = wrap - 20;
  auto paced = DueTimes(60, [] { return PaceFrame(60); });
  EXPECT_EQ(paced, (std::vector<uint64_t>{0, 17, 34, 50}));

  ResetFrameTiming();
  g_now = wrap - 500;
  GetFps(true);
  g_now = wrap + 499;
  EXPECT_EQ(GetFps(true), 0u);
  g_now = wrap + 500;
  EXPECT_EQ(GetFps(true), 2u);

  g_now = wrap - 5;
  StartFrameTimer();
  g_now = wrap + 11;
  EXPECT_EQ(GetFrameTime(true), 16u);
}

std::vector<std::string> g_printed;
void Printer(void* font, int x, int y, int cw, int ch, const std::string& text) {
  EXPECT_EQ(x, 0);
  EXPECT_EQ(y, 16);
  EXPECT_EQ(cw, 8);
  EXPECT_EQ(ch, 16);
  g_printed.push_back(text);
}

TEST_F(FrameTimer, OverlayShowsAveragesOfSixteenSamples) {
  g_printed.clear();
  SetFrameOverlayPrinter(&Printer);
  int font = 0;
  // No font surface, no overlay.
  EXPECT_TRUE(PaceFrame(60, true, nullptr));
  EXPECT_TRUE(g_printed.empty());

  ResetFrameTiming();
  g_now = 0;
  StartFrameTimer();
  g_now = 10;
  GetFrameTime(true);  // every sample of the frame-time ring is 10
  int frames = 0;
  for (uint64_t t = 10; frames < 17; ++t) {
    g_now = t;
    if (PaceFrame(60, true, &font)) ++frames;
  }
  ASSERT_EQ(g_printed.size(), 17u);
  EXPECT_EQ(g_printed[0], "FPS-Ave 0(0)\ndwTime_OneSec 10\nnFrameCt_OneSec 1");
  // The 16th sample completes the ring: its average shows from then on.
  EXPECT_EQ(g_printed[15], "FPS-Ave 0(10)\ndwTime_OneSec 10\nnFrameCt_OneSec 16");
}

}  // namespace
