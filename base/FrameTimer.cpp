#include "base/FrameTimer.h"

#include <atomic>
#include <mutex>

#include "base/Text.h"
#include "platform/Clock.h"
#include "platform/Messages.h"

namespace {

constexpr int kRingSize = 16;

struct Ring {
  uint32_t samples[kRingSize] = {};
  int pos = 0;
  uint32_t average = 0;

  void Add(uint32_t v) {
    samples[pos++] = v;
    if (pos == kRingSize) {
      pos = 0;
      uint64_t sum = 0;
      for (uint32_t s : samples) sum += s;
      average = static_cast<uint32_t>(sum / kRingSize);
    }
  }
};

// The routines run on one game thread at a time; the lock only keeps a hand
// over between threads clean.
struct FrameState {
  uint32_t frameStart = 0;
  uint32_t frameTime = 0;

  uint32_t cycle = 0;

  bool fpsStarted = false;
  uint32_t fpsSecondStart = 0;
  uint32_t fpsFrames = 0;
  uint32_t fpsLast = 0;

  bool dueStarted = false;
  uint32_t nextDue = 0;

  bool paceStarted = false;
  uint32_t paceSecondStart = 0;
  uint32_t paceFrames = 0;
  Ring frameTimes;
  Ring fpsValues;
  bool overlayDrawn = true;
};

std::mutex g_mutex;
FrameState g_state;
std::atomic<bool> g_paceActive{true};
std::atomic<FrameOverlayPrinter> g_printer{nullptr};

uint32_t Now() { return platform::GetTickCount32(); }

uint32_t GetFpsLocked(bool count, uint32_t now) {
  FrameState& s = g_state;
  if (!s.fpsStarted) {
    s.fpsStarted = true;
    s.fpsSecondStart = now;
  }
  if (!count) return s.fpsLast;
  if (now - s.fpsSecondStart >= 1000) {
    s.fpsSecondStart = now;
    s.fpsLast = s.fpsFrames;
    s.fpsFrames = 0;
    return s.fpsLast;
  }
  ++s.fpsFrames;
  return s.fpsLast;
}

}  // namespace

void StartFrameTimer() {
  uint32_t now = Now();
  std::lock_guard<std::mutex> lk(g_mutex);
  g_state.frameStart = now;
}

uint32_t GetFrameTime(bool measure) {
  std::lock_guard<std::mutex> lk(g_mutex);
  if (measure) g_state.frameTime = Now() - g_state.frameStart;
  return g_state.frameTime;
}

int CountCycle(int mode, uint32_t period) {
  std::lock_guard<std::mutex> lk(g_mutex);
  uint32_t& cycle = g_state.cycle;
  if (mode == 0) {
    cycle = 0;
    return 0;
  }
  if (mode == 2) return cycle == 0 ? 1 : 0;
  if (++cycle >= period) {
    cycle = 0;
    return 1;
  }
  return 0;
}

uint32_t GetFps(bool count) {
  uint32_t now = Now();
  std::lock_guard<std::mutex> lk(g_mutex);
  return GetFpsLocked(count, now);
}

bool IsNextFrameDue(int rate) {
  platform::ParkIfSuspended();
  uint32_t now = Now();
  std::lock_guard<std::mutex> lk(g_mutex);
  FrameState& s = g_state;
  if (!s.dueStarted) {
    s.dueStarted = true;
    s.nextDue = now;
  }
  if (rate <= 0) return true;
  // Signed distance, so a due time just past the wrap is not 49 days away.
  if (static_cast<int32_t>(now - s.nextDue) < 0) return false;
  s.nextDue = now + 1000u / static_cast<uint32_t>(rate);
  return true;
}

bool PaceFrame(int rate, bool showOverlay, void* fontSurface) {
  if (!g_paceActive.load(std::memory_order_acquire) || rate <= 0) return true;
  platform::ParkIfSuspended();
  uint32_t now = Now();
  FrameOverlayPrinter printer = g_printer.load(std::memory_order_acquire);
  bool overlay = showOverlay && fontSurface;
  std::string text;
  {
    std::lock_guard<std::mutex> lk(g_mutex);
    FrameState& s = g_state;
    if (!s.paceStarted) {
      s.paceStarted = true;
      s.paceSecondStart = now;
    }
    if (overlay && s.overlayDrawn) {
      s.overlayDrawn = false;
      s.frameTimes.Add(s.frameTime);
      s.fpsValues.Add(GetFpsLocked(false, now));
    }
    // Measured from the second's start, so the schedule survives the clock's wrap.
    double due = (1000.0 / rate) * s.paceFrames;
    if (due > static_cast<double>(now - s.paceSecondStart)) return false;
    if (++s.paceFrames >= static_cast<uint32_t>(rate)) {
      s.paceFrames = 0;
      s.paceSecondStart = now;
    }
    if (!overlay) return true;
    text = FormatString("FPS-Ave %u(%u)\ndwTime_OneSec %u\nnFrameCt_OneSec %u", s.fpsValues.average,
                        s.frameTimes.average, s.paceSecondStart, s.paceFrames);
  }
  if (printer) printer(fontSurface, 0, 16, 8, 16, text);
  std::lock_guard<std::mutex> lk(g_mutex);
  g_state.overlayDrawn = true;
  return true;
}

void SetPaceFrameActive(bool active) { g_paceActive.store(active, std::memory_order_release); }

void SetFrameOverlayPrinter(FrameOverlayPrinter printer) { g_printer.store(printer, std::memory_order_release); }

void ResetFrameTiming() {
  std::lock_guard<std::mutex> lk(g_mutex);
  g_state = FrameState{};
}
