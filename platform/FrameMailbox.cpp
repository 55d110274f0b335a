#include "platform/FrameMailbox.h"

#include <algorithm>
#include <cstring>

namespace platform {

void FrameMailbox::Post(const uint32_t* pixels, int pitchBytes) {
  std::function<void()> wake;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    pending_.resize(static_cast<size_t>(kFrameWidth) * kFrameHeight);
    const auto* src = reinterpret_cast<const unsigned char*>(pixels);
    for (int y = 0; y < kFrameHeight; ++y)
      std::memcpy(&pending_[static_cast<size_t>(y) * kFrameWidth], src + static_cast<ptrdiff_t>(y) * pitchBytes,
                  kFrameWidth * sizeof(uint32_t));
    fresh_ = true;
    ++posted_;
    wake = wake_;
  }
  if (wake) wake();
}

bool FrameMailbox::Take(std::vector<uint32_t>& frame) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!fresh_) return false;
  frame.swap(pending_);
  fresh_ = false;
  return true;
}

uint64_t FrameMailbox::PostedCount() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return posted_;
}

void FrameMailbox::SetWakeHook(std::function<void()> wake) {
  std::lock_guard<std::mutex> lock(mutex_);
  wake_ = std::move(wake);
}

FrameMailbox& MainFrameMailbox() {
  static FrameMailbox mailbox;
  return mailbox;
}

PresentRect ComputePresentRect(int outW, int outH, int frameW, int frameH) {
  if (outW <= 0 || outH <= 0 || frameW <= 0 || frameH <= 0) return {0, 0, 0, 0};
  const int scale = std::min(outW / frameW, outH / frameH);
  int w, h;
  if (scale >= 1) {
    w = frameW * scale;
    h = frameH * scale;
  } else if (int64_t{outW} * frameH >= int64_t{outH} * frameW) {
    h = outH;  // wider than the frame: bars left and right
    w = static_cast<int>(int64_t{outH} * frameW / frameH);
  } else {
    w = outW;  // taller: bars above and below
    h = static_cast<int>(int64_t{outW} * frameH / frameW);
  }
  return {(outW - w) / 2, (outH - h) / 2, w, h};
}

}  // namespace platform
