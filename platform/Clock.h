#pragma once
#include <cstdint>

namespace platform {

// Milliseconds since an arbitrary start; the 32-bit count wraps at 2^32.
uint32_t GetTickCount32();
uint64_t GetTickCount64();
void SleepMs(uint32_t ms);

// Tests replace the clock; nullptr restores the real one.
using ClockSource = uint64_t (*)();
void SetClockSource(ClockSource source);

}  // namespace platform
