#include "platform/CloseRequest.h"

#include <atomic>
#include <mutex>

namespace platform {
namespace {
std::mutex g_mutex;
std::function<void()> g_handler;
std::atomic<long> g_count{0};
}  // namespace

void SetCloseRequestHandler(std::function<void()> handler) {
  std::lock_guard<std::mutex> lock(g_mutex);
  g_handler = std::move(handler);
}

void RequestMainWindowClose() {
  g_count.fetch_add(1, std::memory_order_relaxed);
  std::function<void()> h;
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    h = g_handler;
  }
  if (h) h();
}

long CloseRequestCount() { return g_count.load(std::memory_order_relaxed); }

}  // namespace platform
