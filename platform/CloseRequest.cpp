#include "platform/CloseRequest.h"

#include <atomic>
#include <mutex>

namespace platform {
namespace {
std::mutex g_closeMutex;
std::function<void()> g_closeHandler;
std::atomic<long> g_count{0};
}  // namespace

void SetCloseRequestHandler(std::function<void()> handler) {
  std::lock_guard<std::mutex> lock(g_closeMutex);
  g_closeHandler = std::move(handler);
}

void RequestMainWindowClose() {
  g_count.fetch_add(1, std::memory_order_relaxed);
  std::function<void()> h;
  {
    std::lock_guard<std::mutex> lock(g_closeMutex);
    h = g_closeHandler;
  }
  if (h) h();
}

long CloseRequestCount() { return g_count.load(std::memory_order_relaxed); }

}  // namespace platform
