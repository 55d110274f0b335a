#include "platform/TextInput.h"

#include <SDL.h>

#include <array>
#include <atomic>
#include <deque>
#include <mutex>

#include "platform/Keyboard.h"

namespace platform {
namespace {

constexpr size_t kKeptEntries = 64;

struct Store {
  std::mutex mutex;
  std::deque<std::pair<WPARAM, TextInputEntry>> entries;
  WPARAM next = 1;
};
Store& TheStore() {
  static Store s;
  return s;
}

std::atomic<bool> g_enabled{false};  // set by the window thread, read anywhere
std::array<std::atomic<bool>, 256> g_swallowed{};

bool PostEntry(HWND hwnd, UINT msg, TextInputEntry entry) {
  Store& s = TheStore();
  WPARAM id;
  {
    std::lock_guard<std::mutex> lock(s.mutex);
    id = s.next++;
    s.entries.emplace_back(id, std::move(entry));
    while (s.entries.size() > kKeptEntries) s.entries.pop_front();
  }
  if (PostMessage(hwnd, msg, id, 0)) return true;
  TextInputEntry dropped;
  TakeTextInput(id, dropped);
  return false;
}

}  // namespace

void EnableTextInput(bool on) {
  g_enabled = on;
  if (!SDL_WasInit(SDL_INIT_VIDEO)) return;
  if (on) SDL_StartTextInput();
  else SDL_StopTextInput();
}

bool IsTextInputEnabled() { return g_enabled; }

void SetTextInputRect(int x, int y, int w, int h) {
  if (!SDL_WasInit(SDL_INIT_VIDEO)) return;
  SDL_Rect r{x, y, w, h};
  SDL_SetTextInputRect(&r);
}

bool PostTextCommit(HWND hwnd, const std::string& utf8) { return PostEntry(hwnd, WM_TEXT_COMMIT, {utf8, 0}); }

bool PostTextComposition(HWND hwnd, const std::string& utf8, int cursor) {
  return PostEntry(hwnd, WM_TEXT_COMPOSITION, {utf8, cursor});
}

bool TakeTextInput(WPARAM entry, TextInputEntry& out) {
  Store& s = TheStore();
  std::lock_guard<std::mutex> lock(s.mutex);
  for (auto it = s.entries.begin(); it != s.entries.end(); ++it) {
    if (it->first != entry) continue;
    out = std::move(it->second);
    s.entries.erase(it);
    return true;
  }
  return false;
}

void ForwardSdlTextEvent(const SDL_Event& event, HWND mainWindow) {
  if (!g_enabled || !mainWindow) return;
  if (event.type == SDL_TEXTINPUT) {
    PostTextCommit(mainWindow, event.text.text);
  } else if (event.type == SDL_TEXTEDITING) {
    PostTextComposition(mainWindow, event.edit.text, event.edit.start);
  }
}

std::string GetClipboardUtf8() {
  if (!SDL_WasInit(SDL_INIT_VIDEO) || !SDL_HasClipboardText()) return {};
  char* text = SDL_GetClipboardText();
  std::string out = text ? text : "";
  SDL_free(text);
  return out;
}

void SwallowHeldKeys() {
  for (int vk = 0; vk < 256; ++vk) {
    if (vk == VK_LBUTTON || vk == VK_RBUTTON || vk == VK_MBUTTON) continue;
    if (IsKeyDown(vk)) g_swallowed[static_cast<size_t>(vk)] = true;
  }
}

bool IsKeyEventSwallowed(int vk, bool down) {
  if (vk < 0 || vk >= 256) return false;
  std::atomic<bool>& flag = g_swallowed[static_cast<size_t>(vk)];
  return down ? flag.load() : flag.exchange(false);
}

void ResetSwallowedKeys() {
  for (auto& s : g_swallowed) s = false;
}

}  // namespace platform
