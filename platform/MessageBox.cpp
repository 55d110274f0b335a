#include "platform/MessageBox.h"

#include <cstdio>
#include <mutex>

#include "platform/CodePage.h"

namespace platform {
namespace {
std::mutex g_mutex;
MessageBoxHandler g_handler;
MessageBoxHandler g_ownHandler;
std::function<void(const std::string&)> g_sink;
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
  return AnswerUnshownBox(text, caption, type);
}

void SetOwnBoxHandler(MessageBoxHandler handler) {
  std::lock_guard<std::mutex> lock(g_mutex);
  g_ownHandler = std::move(handler);
}

int ShowOwnBox(const std::string& text, const std::string& caption, unsigned type) {
  MessageBoxHandler h;
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    h = g_ownHandler;
  }
  return h ? h(text, caption, type) : 0;
}

void SetUnshownBoxSink(std::function<void(const std::string& line)> sink) {
  std::lock_guard<std::mutex> lock(g_mutex);
  g_sink = std::move(sink);
}

int AnswerUnshownBox(const std::string& text, const std::string& caption, unsigned type) {
  std::fprintf(stderr, "[%s] %s\n", Cp932ToUtf8(caption).c_str(), Cp932ToUtf8(text).c_str());
  std::function<void(const std::string&)> sink;
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    sink = g_sink;
  }
  if (sink) sink("[" + caption + "] " + text);
  return AnswerThatLosesNothing(type);
}

int AnswerThatLosesNothing(unsigned type) {
  switch (type & 0xF) {
    case MB_YESNO: return IDNO;
    case MB_OKCANCEL: return IDCANCEL;
    default: return IDOK;
  }
}

}  // namespace platform
