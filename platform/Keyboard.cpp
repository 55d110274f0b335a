#include "platform/Keyboard.h"

#include <SDL.h>

#include <array>
#include <atomic>

namespace platform {
namespace {

std::array<std::atomic<uint8_t>, 256> g_keys{};

struct KeyPair {
  int vk;
  SDL_Keycode key;
};

// Keys that do not type a character: matched by their SDL key code, which for
// these does not depend on the layout.
constexpr KeyPair kNamedKeys[] = {
    {VK_BACK, SDLK_BACKSPACE}, {VK_TAB, SDLK_TAB}, {VK_CLEAR, SDLK_CLEAR}, {VK_RETURN, SDLK_RETURN},
    {VK_RETURN, SDLK_KP_ENTER}, {VK_PAUSE, SDLK_PAUSE}, {VK_CAPITAL, SDLK_CAPSLOCK}, {VK_ESCAPE, SDLK_ESCAPE},
    {VK_SPACE, SDLK_SPACE}, {VK_PRIOR, SDLK_PAGEUP}, {VK_NEXT, SDLK_PAGEDOWN}, {VK_END, SDLK_END},
    {VK_HOME, SDLK_HOME}, {VK_LEFT, SDLK_LEFT}, {VK_UP, SDLK_UP}, {VK_RIGHT, SDLK_RIGHT}, {VK_DOWN, SDLK_DOWN},
    {VK_SELECT, SDLK_SELECT}, {VK_EXECUTE, SDLK_EXECUTE}, {VK_SNAPSHOT, SDLK_PRINTSCREEN},
    {VK_INSERT, SDLK_INSERT}, {VK_DELETE, SDLK_DELETE}, {VK_HELP, SDLK_HELP}, {VK_LWIN, SDLK_LGUI},
    {VK_RWIN, SDLK_RGUI}, {VK_APPS, SDLK_APPLICATION}, {VK_SLEEP, SDLK_SLEEP},
    {VK_NUMPAD0, SDLK_KP_0}, {VK_NUMPAD0 + 1, SDLK_KP_1}, {VK_NUMPAD0 + 2, SDLK_KP_2}, {VK_NUMPAD0 + 3, SDLK_KP_3},
    {VK_NUMPAD0 + 4, SDLK_KP_4}, {VK_NUMPAD0 + 5, SDLK_KP_5}, {VK_NUMPAD0 + 6, SDLK_KP_6},
    {VK_NUMPAD0 + 7, SDLK_KP_7}, {VK_NUMPAD0 + 8, SDLK_KP_8}, {VK_NUMPAD9, SDLK_KP_9},
    {VK_MULTIPLY, SDLK_KP_MULTIPLY}, {VK_ADD, SDLK_KP_PLUS}, {VK_SEPARATOR, SDLK_KP_COMMA},
    {VK_SUBTRACT, SDLK_KP_MINUS}, {VK_DECIMAL, SDLK_KP_PERIOD}, {VK_DIVIDE, SDLK_KP_DIVIDE},
    {VK_F1, SDLK_F1}, {VK_F1 + 1, SDLK_F2}, {VK_F1 + 2, SDLK_F3}, {VK_F1 + 3, SDLK_F4}, {VK_F1 + 4, SDLK_F5},
    {VK_F1 + 5, SDLK_F6}, {VK_F1 + 6, SDLK_F7}, {VK_F1 + 7, SDLK_F8}, {VK_F1 + 8, SDLK_F9}, {VK_F1 + 9, SDLK_F10},
    {VK_F1 + 10, SDLK_F11}, {VK_F12, SDLK_F12}, {VK_F1 + 12, SDLK_F13}, {VK_F1 + 13, SDLK_F14},
    {VK_F1 + 14, SDLK_F15}, {VK_F1 + 15, SDLK_F16}, {VK_F1 + 16, SDLK_F17}, {VK_F1 + 17, SDLK_F18},
    {VK_F1 + 18, SDLK_F19}, {VK_F1 + 19, SDLK_F20}, {VK_F1 + 20, SDLK_F21}, {VK_F1 + 21, SDLK_F22},
    {VK_F1 + 22, SDLK_F23}, {VK_F24, SDLK_F24}, {VK_NUMLOCK, SDLK_NUMLOCKCLEAR}, {VK_SCROLL, SDLK_SCROLLLOCK},
    {VK_LSHIFT, SDLK_LSHIFT}, {VK_RSHIFT, SDLK_RSHIFT}, {VK_LCONTROL, SDLK_LCTRL}, {VK_RCONTROL, SDLK_RCTRL},
    {VK_LMENU, SDLK_LALT}, {VK_RMENU, SDLK_RALT}, {VK_BROWSER_BACK, SDLK_AC_BACK},
    {VK_BROWSER_FORWARD, SDLK_AC_FORWARD}, {VK_BROWSER_REFRESH, SDLK_AC_REFRESH}, {VK_BROWSER_STOP, SDLK_AC_STOP},
    {VK_BROWSER_SEARCH, SDLK_AC_SEARCH}, {VK_BROWSER_HOME, SDLK_AC_HOME}, {VK_VOLUME_MUTE, SDLK_MUTE},
    {VK_VOLUME_DOWN, SDLK_VOLUMEDOWN}, {VK_VOLUME_UP, SDLK_VOLUMEUP}, {VK_MEDIA_NEXT_TRACK, SDLK_AUDIONEXT},
    {VK_MEDIA_PREV_TRACK, SDLK_AUDIOPREV}, {VK_MEDIA_STOP, SDLK_AUDIOSTOP}, {VK_MEDIA_PLAY_PAUSE, SDLK_AUDIOPLAY},
    {VK_LAUNCH_MAIL, SDLK_MAIL},
};

// Punctuation keys, by the character the key types without Shift. A
// Japanese keyboard types ':' '@' '^' on keys of their own; its ';' key has
// the code that a US keyboard gives '='.
constexpr KeyPair kPunctuation[] = {
    {VK_OEM_1, ';'}, {VK_OEM_PLUS, '='}, {VK_OEM_COMMA, ','}, {VK_OEM_MINUS, '-'}, {VK_OEM_PERIOD, '.'},
    {VK_OEM_2, '/'}, {VK_OEM_3, '`'}, {VK_OEM_4, '['}, {VK_OEM_5, '\\'}, {VK_OEM_6, ']'}, {VK_OEM_7, '\''},
    {VK_OEM_1, ':'}, {VK_OEM_3, '@'}, {VK_OEM_7, '^'},
};

// Keys that type nothing useful on some layouts (dead keys, accented
// letters): matched by their position on a US or Japanese board.
struct ScanPair {
  int vk;
  SDL_Scancode scan;
};
constexpr ScanPair kByPosition[] = {
    {VK_OEM_MINUS, SDL_SCANCODE_MINUS}, {VK_OEM_PLUS, SDL_SCANCODE_EQUALS}, {VK_OEM_4, SDL_SCANCODE_LEFTBRACKET},
    {VK_OEM_6, SDL_SCANCODE_RIGHTBRACKET}, {VK_OEM_5, SDL_SCANCODE_BACKSLASH}, {VK_OEM_1, SDL_SCANCODE_SEMICOLON},
    {VK_OEM_7, SDL_SCANCODE_APOSTROPHE}, {VK_OEM_3, SDL_SCANCODE_GRAVE}, {VK_OEM_COMMA, SDL_SCANCODE_COMMA},
    {VK_OEM_PERIOD, SDL_SCANCODE_PERIOD}, {VK_OEM_2, SDL_SCANCODE_SLASH}, {VK_OEM_102, SDL_SCANCODE_NONUSBACKSLASH},
    {VK_OEM_102, SDL_SCANCODE_INTERNATIONAL1}, {VK_OEM_5, SDL_SCANCODE_INTERNATIONAL3},
    {VK_KANA, SDL_SCANCODE_INTERNATIONAL2}, {VK_CONVERT, SDL_SCANCODE_INTERNATIONAL4},
    {VK_NONCONVERT, SDL_SCANCODE_INTERNATIONAL5}, {VK_KANA, SDL_SCANCODE_LANG3}, {VK_KANJI, SDL_SCANCODE_LANG5},
};

bool JapaneseLayout() { return SDL_GetKeyFromScancode(SDL_SCANCODE_LEFTBRACKET) == '@'; }

}  // namespace

int16_t GetAsyncKeyState(int vk) {
  if (vk < 0 || vk > 255) return 0;
  return g_keys[static_cast<size_t>(vk)].load(std::memory_order_relaxed) ? static_cast<int16_t>(0x8000) : 0;
}

bool IsKeyDown(int vk) { return (GetAsyncKeyState(vk) & 0x8000) != 0; }

void SetKeyDown(int vk, bool down) {
  if (vk <= 0 || vk > 255) return;
  g_keys[static_cast<size_t>(vk)].store(down ? 1 : 0, std::memory_order_relaxed);
  // The side-less modifier codes follow their two sides.
  auto either = [](int a, int b) { return g_keys[static_cast<size_t>(a)].load() || g_keys[static_cast<size_t>(b)].load(); };
  switch (vk) {
    case VK_LSHIFT: case VK_RSHIFT: g_keys[VK_SHIFT].store(either(VK_LSHIFT, VK_RSHIFT)); break;
    case VK_LCONTROL: case VK_RCONTROL: g_keys[VK_CONTROL].store(either(VK_LCONTROL, VK_RCONTROL)); break;
    case VK_LMENU: case VK_RMENU: g_keys[VK_MENU].store(either(VK_LMENU, VK_RMENU)); break;
    default: break;
  }
}

void ResetKeyboardState() {
  for (auto& k : g_keys) k.store(0, std::memory_order_relaxed);
}

int VirtualKeyFromSdl(int32_t sdlKeycode, int sdlScancode) {
  if (sdlKeycode >= 'a' && sdlKeycode <= 'z') return 'A' + (sdlKeycode - 'a');
  if (sdlKeycode >= '0' && sdlKeycode <= '9') return sdlKeycode;
  for (const auto& p : kNamedKeys)
    if (p.key == sdlKeycode) return p.vk;
  if (sdlKeycode == ';' && JapaneseLayout()) return VK_OEM_PLUS;
  for (const auto& p : kPunctuation)
    if (p.key == sdlKeycode) return p.vk;
  // A key that types something else (an accented letter, a dead key): by position.
  if (sdlScancode >= SDL_SCANCODE_A && sdlScancode <= SDL_SCANCODE_Z) return 'A' + (sdlScancode - SDL_SCANCODE_A);
  if (sdlScancode >= SDL_SCANCODE_1 && sdlScancode <= SDL_SCANCODE_9) return '1' + (sdlScancode - SDL_SCANCODE_1);
  if (sdlScancode == SDL_SCANCODE_0) return '0';
  for (const auto& p : kByPosition)
    if (p.scan == sdlScancode) return p.vk;
  return 0;
}

int32_t SdlKeycodeFromVirtualKey(int vk) {
  if (vk >= 'A' && vk <= 'Z') return 'a' + (vk - 'A');
  if (vk >= '0' && vk <= '9') return vk;
  switch (vk) {
    case VK_SHIFT: return SDLK_LSHIFT;
    case VK_CONTROL: return SDLK_LCTRL;
    case VK_MENU: return SDLK_LALT;
    default: break;
  }
  for (const auto& p : kNamedKeys)
    if (p.vk == vk) return p.key;
  // Punctuation: whatever this layout types on the key that carries the code.
  const bool jp = JapaneseLayout();
  if (jp && vk == VK_OEM_PLUS) return ';';
  for (const auto& p : kByPosition)
    if (p.vk == vk) {
      SDL_Keycode k = SDL_GetKeyFromScancode(p.scan);
      if (k != SDLK_UNKNOWN && VirtualKeyFromSdl(k, p.scan) == vk) return k;
    }
  for (const auto& p : kPunctuation)
    if (p.vk == vk) return p.key;
  return 0;
}

}  // namespace platform
