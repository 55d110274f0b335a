// ctest-label: window
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "platform/FrameMailbox.h"

namespace {

using platform::ComputePresentRect;
using platform::FrameMailbox;
using platform::PresentRect;

std::vector<uint32_t> Frame(uint32_t seed, int pitchPixels = platform::kFrameWidth) {
  std::vector<uint32_t> f(static_cast<size_t>(pitchPixels) * platform::kFrameHeight, 0xDEADBEEF);
  for (int y = 0; y < platform::kFrameHeight; ++y)
    for (int x = 0; x < platform::kFrameWidth; ++x)
      f[static_cast<size_t>(y) * pitchPixels + x] = seed ^ static_cast<uint32_t>(y * 1000 + x);
  return f;
}

TEST(FrameMailbox, NewestFrameWinsAndEachIsTakenOnce) {
  FrameMailbox box;
  int wakes = 0;
  box.SetWakeHook([&] { ++wakes; });
  std::vector<uint32_t> shown;
  EXPECT_FALSE(box.Take(shown));

  auto a = Frame(1), b = Frame(2);
  box.Post(a.data(), platform::kFrameWidth * 4);
  box.Post(b.data(), platform::kFrameWidth * 4);
  EXPECT_EQ(wakes, 2);
  ASSERT_TRUE(box.Take(shown));
  EXPECT_EQ(shown, b);
  EXPECT_FALSE(box.Take(shown)) << "no new frame";
  EXPECT_EQ(shown, b) << "a failed take leaves the shown frame";
  EXPECT_EQ(box.PostedCount(), 2u);
}

TEST(FrameMailbox, RowsArePickedOutOfAWiderPitch) {
  FrameMailbox box;
  const int pitch = platform::kFrameWidth + 13;
  auto src = Frame(7, pitch);
  box.Post(src.data(), pitch * 4);
  std::vector<uint32_t> shown;
  ASSERT_TRUE(box.Take(shown));
  EXPECT_EQ(shown, Frame(7));
}

TEST(FrameMailbox, DrawingThreadAndMainThreadNeverSeeATornFrame) {
  FrameMailbox box;
  std::atomic<bool> done{false};
  std::thread drawer([&] {
    std::vector<uint32_t> f(static_cast<size_t>(platform::kFrameWidth) * platform::kFrameHeight);
    for (uint32_t n = 1; n <= 200; ++n) {
      std::fill(f.begin(), f.end(), n);
      box.Post(f.data(), platform::kFrameWidth * 4);
    }
    done = true;
  });
  std::vector<uint32_t> shown;
  uint32_t last = 0;
  for (;;) {
    const bool finished = done.load();
    if (!box.Take(shown)) {
      if (finished) break;
      continue;
    }
    ASSERT_EQ(std::count(shown.begin(), shown.end(), shown[0]), static_cast<long>(shown.size()));
    EXPECT_GT(shown[0], last) << "frames arrive in order";
    last = shown[0];
  }
  drawer.join();
  EXPECT_EQ(last, 200u);
}

TEST(PresentRect, IntegerScaleWhenItFitsElse43Letterbox) {
  struct {
    int w, h;
    PresentRect want;
  } const cases[] = {
      {640, 480, {0, 0, 640, 480}},
      {1280, 960, {0, 0, 1280, 960}},
      {1920, 1080, {320, 60, 1280, 960}},   // scale 2 with borders
      {1279, 1000, {319, 260, 640, 480}},   // scale 1 centred
      {3840, 2160, {640, 120, 2560, 1920}},
      {639, 480, {0, 0, 639, 479}},         // too narrow: bars above and below
      {600, 800, {0, 175, 600, 450}},
      {800, 400, {133, 0, 533, 400}},       // too low: bars left and right
      {320, 240, {0, 0, 320, 240}},
      {0, 480, {0, 0, 0, 0}},
  };
  for (const auto& c : cases) EXPECT_EQ(ComputePresentRect(c.w, c.h), c.want) << c.w << "x" << c.h;
}

}  // namespace
