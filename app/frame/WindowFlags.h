#pragma once
// The flags that cross between the window thread and the game threads, and
// the ids of the requests the main window takes. Kept apart from the window
// itself so the director and start-up need not see it.
#include <atomic>
#include <cstdint>

#include "platform/Messages.h"

// Flags crossing threads.
extern std::atomic<int32_t> bAppActive;
extern std::atomic<uint8_t> bGameRunning;
extern std::atomic<int32_t> bStartedByEditor;
extern std::atomic<platform::HWND> hMainWnd;
extern std::atomic<int32_t> bNameEntryDone;
extern std::atomic<int32_t> bDialogDone;
extern std::atomic<int32_t> bDialogResult;

constexpr platform::UINT kWmNameEntry = platform::WM_USER + 1;
constexpr platform::UINT kWmOpenStage = platform::WM_USER + 2;
constexpr platform::UINT kWmOpenReplay = platform::WM_USER + 3;
constexpr platform::UINT kWmSaveReplay = platform::WM_USER + 4;
constexpr platform::UINT kWmPlaySound = platform::WM_USER + 5;
constexpr platform::UINT kWmPlayMusic = platform::WM_USER + 6;
constexpr platform::UINT kWmRestoreDevice = platform::WM_USER + 100;
