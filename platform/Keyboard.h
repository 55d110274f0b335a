#pragma once
// Keyboard and mouse-button state indexed by Windows virtual-key codes.
// The main thread fills it from SDL events; any thread reads it.
#include <cstdint>

namespace platform {

// Virtual-key codes, with their Windows values (the key configuration stores them).
enum : int {
  VK_LBUTTON = 0x01, VK_RBUTTON = 0x02, VK_CANCEL = 0x03, VK_MBUTTON = 0x04, VK_XBUTTON1 = 0x05, VK_XBUTTON2 = 0x06,
  VK_BACK = 0x08, VK_TAB = 0x09, VK_CLEAR = 0x0C, VK_RETURN = 0x0D,
  VK_SHIFT = 0x10, VK_CONTROL = 0x11, VK_MENU = 0x12, VK_PAUSE = 0x13, VK_CAPITAL = 0x14, VK_KANA = 0x15,
  VK_KANJI = 0x19, VK_ESCAPE = 0x1B, VK_CONVERT = 0x1C, VK_NONCONVERT = 0x1D,
  VK_SPACE = 0x20, VK_PRIOR = 0x21, VK_NEXT = 0x22, VK_END = 0x23, VK_HOME = 0x24,
  VK_LEFT = 0x25, VK_UP = 0x26, VK_RIGHT = 0x27, VK_DOWN = 0x28,
  VK_SELECT = 0x29, VK_PRINT = 0x2A, VK_EXECUTE = 0x2B, VK_SNAPSHOT = 0x2C, VK_INSERT = 0x2D, VK_DELETE = 0x2E,
  VK_HELP = 0x2F,
  // '0'..'9' are 0x30..0x39 and 'A'..'Z' are 0x41..0x5A.
  VK_LWIN = 0x5B, VK_RWIN = 0x5C, VK_APPS = 0x5D, VK_SLEEP = 0x5F,
  VK_NUMPAD0 = 0x60, VK_NUMPAD9 = 0x69, VK_MULTIPLY = 0x6A, VK_ADD = 0x6B, VK_SEPARATOR = 0x6C,
  VK_SUBTRACT = 0x6D, VK_DECIMAL = 0x6E, VK_DIVIDE = 0x6F,
  VK_F1 = 0x70, VK_F2 = 0x71, VK_F3 = 0x72, VK_F12 = 0x7B, VK_F24 = 0x87,
  VK_NUMLOCK = 0x90, VK_SCROLL = 0x91,
  VK_LSHIFT = 0xA0, VK_RSHIFT = 0xA1, VK_LCONTROL = 0xA2, VK_RCONTROL = 0xA3, VK_LMENU = 0xA4, VK_RMENU = 0xA5,
  VK_BROWSER_BACK = 0xA6, VK_BROWSER_FORWARD = 0xA7, VK_BROWSER_REFRESH = 0xA8, VK_BROWSER_STOP = 0xA9,
  VK_BROWSER_SEARCH = 0xAA, VK_BROWSER_HOME = 0xAC, VK_VOLUME_MUTE = 0xAD, VK_VOLUME_DOWN = 0xAE,
  VK_VOLUME_UP = 0xAF, VK_MEDIA_NEXT_TRACK = 0xB0, VK_MEDIA_PREV_TRACK = 0xB1, VK_MEDIA_STOP = 0xB2,
  VK_MEDIA_PLAY_PAUSE = 0xB3, VK_LAUNCH_MAIL = 0xB4,
  VK_OEM_1 = 0xBA, VK_OEM_PLUS = 0xBB, VK_OEM_COMMA = 0xBC, VK_OEM_MINUS = 0xBD, VK_OEM_PERIOD = 0xBE,
  VK_OEM_2 = 0xBF, VK_OEM_3 = 0xC0, VK_OEM_4 = 0xDB, VK_OEM_5 = 0xDC, VK_OEM_6 = 0xDD, VK_OEM_7 = 0xDE,
  VK_OEM_102 = 0xE2,
};

// Bit 15 set while the key is down; any thread.
int16_t GetAsyncKeyState(int vk);
bool IsKeyDown(int vk);

// Writers: the window pump on the main thread, and tests faking a keyboard.
// Out-of-range codes are ignored.
void SetKeyDown(int vk, bool down);
void ResetKeyboardState();

// Translation between SDL keys and virtual-key codes. Keys that type a
// character follow the keyboard layout (the key that types 'Z' is 'Z'); the
// others go by their position. 0 when a key has no virtual-key code.
int VirtualKeyFromSdl(int32_t sdlKeycode, int sdlScancode);
// The SDL key code for a virtual-key code (0 when none): what a configured
// key means on this keyboard layout.
int32_t SdlKeycodeFromVirtualKey(int vk);

}  // namespace platform
