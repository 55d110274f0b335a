#pragma once
// Typed text for the dialogs: SDL's text input (with the input method's
// composition) turned into messages for the main window, so that text arrives
// in the same order as the keys around it. The texts travel as UTF-8 in a
// small store; a message carries the number of its entry.
//
// Also the keys a dialog has taken: a key that is still held when a dialog
// ends does not reach the program as a fresh press (its auto-repeat would
// otherwise, for example, turn the Esc that closed a dialog into the quit key).
#include <cstdint>
#include <string>

#include "platform/Messages.h"

union SDL_Event;

namespace platform {

// wParam: the entry number for TakeTextInput. Committed text, and the
// composition under way (an empty composition text: the composition ended).
constexpr UINT WM_TEXT_COMMIT = 0xC0E1;
constexpr UINT WM_TEXT_COMPOSITION = 0xC0E2;

struct TextInputEntry {
  std::string utf8;
  int cursor = 0;  // composition: caret position in characters
};

// Main thread. While on, SDL's text events are forwarded to the main window.
void EnableTextInput(bool on);
bool IsTextInputEnabled();
// Where the input method should show its candidate window (client pixels).
void SetTextInputRect(int x, int y, int w, int h);

// Any thread: stores the text and posts the message to hwnd. False when the
// post fails (the entry is dropped then).
bool PostTextCommit(HWND hwnd, const std::string& utf8);
bool PostTextComposition(HWND hwnd, const std::string& utf8, int cursor);
// Takes the entry of a message; false when it is gone (the store keeps only
// the newest entries, so messages nobody reads cannot pile up).
bool TakeTextInput(WPARAM entry, TextInputEntry& out);

// Called by the window pump for SDL_TEXTINPUT and SDL_TEXTEDITING.
void ForwardSdlTextEvent(const SDL_Event& event, HWND mainWindow);

// The system clipboard as UTF-8 (empty when there is none or no video).
std::string GetClipboardUtf8();

// Every key held now is kept from the program until it is let go: its repeats
// and its release are not posted as messages (the key state still follows).
void SwallowHeldKeys();
// The window pump asks for every key event; true: do not post it.
bool IsKeyEventSwallowed(int vk, bool down);
void ResetSwallowedKeys();

}  // namespace platform
