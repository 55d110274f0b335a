#include "app/frame/WindowFlags.h"

std::atomic<int32_t> bAppActive{0};
std::atomic<uint8_t> bGameRunning{0};
std::atomic<int32_t> bStartedByEditor{0};
std::atomic<platform::HWND> hMainWnd{nullptr};
std::atomic<int32_t> bNameEntryDone{0};
std::atomic<int32_t> bDialogDone{0};
std::atomic<int32_t> bDialogResult{0};
