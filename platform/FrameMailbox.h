#pragma once
// Hand-over of finished frames from a drawing thread to the main thread,
// which alone may show them. The newest frame wins: a frame that was not
// shown before the next one arrives is dropped.
#include <cstdint>
#include <functional>
#include <mutex>
#include <vector>

namespace platform {

constexpr int kFrameWidth = 640;
constexpr int kFrameHeight = 480;

class FrameMailbox {
 public:
  // Any thread: copies a 640x480 ARGB8888 frame whose rows are pitchBytes apart.
  void Post(const uint32_t* pixels, int pitchBytes);
  // Main thread: swaps the newest frame into `frame` when one arrived since
  // the last take (the old contents of `frame` become the next spare buffer).
  bool Take(std::vector<uint32_t>& frame);
  uint64_t PostedCount() const;
  // Called after every post (the window layer wakes its event loop with it).
  void SetWakeHook(std::function<void()> wake);

 private:
  mutable std::mutex mutex_;
  std::vector<uint32_t> pending_;
  bool fresh_ = false;
  uint64_t posted_ = 0;
  std::function<void()> wake_;
};

// The mailbox that the main window shows.
FrameMailbox& MainFrameMailbox();

struct PresentRect {
  int x, y, w, h;
  bool operator==(const PresentRect&) const = default;
};

// Where a frame goes in an output of outW x outH pixels: the largest whole
// multiple of its size that fits, centred; when not even one fits, the
// largest 4:3 rectangle, centred (letterbox or pillarbox).
PresentRect ComputePresentRect(int outW, int outH, int frameW = kFrameWidth, int frameH = kFrameHeight);

}  // namespace platform
