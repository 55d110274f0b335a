#pragma once
// Waiting in tests: every wait has a deadline, so a fault fails the test
// instead of hanging it.
#include <chrono>
#include <thread>

namespace testsupport {

constexpr std::chrono::milliseconds kWaitDeadline{20000};

// Polls `pred` every millisecond until it holds (true) or the deadline passes (false).
template <class Pred>
bool WaitFor(Pred pred, std::chrono::milliseconds timeout = kWaitDeadline) {
  const auto until = std::chrono::steady_clock::now() + timeout;
  while (!pred()) {
    if (std::chrono::steady_clock::now() >= until) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

}  // namespace testsupport
