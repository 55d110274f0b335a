#include "platform/MessageBox.h"

#include <cstdio>
#include <mutex>

#include "platform/CodePage.h"

namespace platform {
namespace {
std::mutex g_mutex;
MessageBoxHandler g_handler;
}  // namespace

void SetMessageBoxHandler(MessageBoxHandler handler) {
  std::lock_guard<std::mutex> lock(g_mutex);
  g_handler = std::move(handler);
}

int ShowMessageBox(const std::string& text, const std::string& caption, unsigned type) {
  MessageBoxHandler h;
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    h = g_handler;
  }
  if (h) return h(text, caption, type);
  std::fprintf(stderr, "[%s] %s\n", Cp932ToUtf8(caption).c_str(), Cp932ToUtf8(text).c_str());
  switch (type & 0xF) {
    case MB_YESNO: return IDYES;
    default: return IDOK;
  }
}

}  // namespace platform
