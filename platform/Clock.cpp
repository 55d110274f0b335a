#include "platform/Clock.h"

#include <atomic>
#include <chrono>
#include <thread>

namespace platform {
namespace {
std::atomic<ClockSource> g_source{nullptr};

uint64_t RealMs() {
  using namespace std::chrono;
  static const auto start = steady_clock::now();
  return static_cast<uint64_t>(duration_cast<milliseconds>(steady_clock::now() - start).count());
}
}  // namespace

uint64_t GetTickCount64() {
  ClockSource s = g_source.load(std::memory_order_acquire);
  return s ? s() : RealMs();
}

uint32_t GetTickCount32() { return static_cast<uint32_t>(GetTickCount64()); }

void SleepMs(uint32_t ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

void SetClockSource(ClockSource source) { g_source.store(source, std::memory_order_release); }

}  // namespace platform
