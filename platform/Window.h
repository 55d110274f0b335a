#pragma once
// The main window on SDL2, created and served on the main thread, with the
// Windows-style geometry the window classes are written against: outer
// rectangles include a frame computed from the style and the system metrics,
// and positions are desktop pixels.
//
// The main thread's pump: PeekWindowMessage instead of PeekMessage (it first
// turns SDL events into messages for the main window and shows the newest
// frame), and WaitWindowMessage instead of WaitMessage and Sleep (it wakes at
// once for SDL events, posted or sent messages and new frames).
#include <cstdint>
#include <string>
#include <vector>

#include "platform/Messages.h"

namespace platform {

struct RECT {
  int32_t left, top, right, bottom;
  bool operator==(const RECT&) const = default;
};
struct POINT {
  int32_t x, y;
  bool operator==(const POINT&) const = default;
};
struct MINMAXINFO {
  POINT ptReserved, ptMaxSize, ptMaxPosition, ptMinTrackSize, ptMaxTrackSize;
};

// Messages of the window beyond the queue's own set.
constexpr UINT WM_CREATE = 0x0001;
constexpr UINT WM_MOVE = 0x0003;
constexpr UINT WM_SIZE = 0x0005;
constexpr UINT WM_GETTEXT = 0x000D;
constexpr UINT WM_GETMINMAXINFO = 0x0024;
constexpr UINT WM_SYSKEYUP = 0x0105;
constexpr UINT WM_LBUTTONDBLCLK = 0x0203;
constexpr UINT WM_RBUTTONDBLCLK = 0x0206;
constexpr UINT WM_MBUTTONDOWN = 0x0207;
constexpr UINT WM_MBUTTONUP = 0x0208;

constexpr WPARAM SIZE_RESTORED = 0, SIZE_MINIMIZED = 1, SIZE_MAXIMIZED = 2;
constexpr WPARAM MK_LBUTTON = 0x1, MK_RBUTTON = 0x2, MK_SHIFT = 0x4, MK_CONTROL = 0x8, MK_MBUTTON = 0x10;

// Window styles, with their Windows values.
constexpr uint32_t WS_OVERLAPPED = 0x00000000u, WS_POPUP = 0x80000000u, WS_CHILD = 0x40000000u,
                   WS_MINIMIZE = 0x20000000u, WS_VISIBLE = 0x10000000u, WS_MAXIMIZE = 0x01000000u,
                   WS_BORDER = 0x00800000u, WS_DLGFRAME = 0x00400000u, WS_CAPTION = 0x00C00000u,
                   WS_VSCROLL = 0x00200000u, WS_HSCROLL = 0x00100000u, WS_SYSMENU = 0x00080000u,
                   WS_THICKFRAME = 0x00040000u, WS_MINIMIZEBOX = 0x00020000u, WS_MAXIMIZEBOX = 0x00010000u;
constexpr int GWL_STYLE = -16;

// ShowWindow commands.
constexpr int SW_HIDE = 0, SW_SHOWNORMAL = 1, SW_SHOWMINIMIZED = 2, SW_SHOWMAXIMIZED = 3, SW_SHOW = 5,
              SW_MINIMIZE = 6, SW_RESTORE = 9;

// System metrics: the classic Windows values, since stored window sizes
// (Window.dat) were measured with them.
constexpr int SM_CXSCREEN = 0, SM_CYSCREEN = 1, SM_CXVSCROLL = 2, SM_CYHSCROLL = 3, SM_CYCAPTION = 4,
              SM_CXDLGFRAME = 7, SM_CYDLGFRAME = 8, SM_CYMENU = 15, SM_CXFRAME = 32, SM_CYFRAME = 33;
int GetSystemMetrics(int index);

// Thickness of the frame around the client area (caption, frame, menu bar)
// for a style: left, top, right and bottom.
RECT GetFrameInsets(uint32_t style, bool menu);

// The desktop and its work area (without panels). Tests inject their own;
// nullptr goes back to the display's.
void GetDesktopRect(RECT& rect);
void GetWorkArea(RECT& rect);
void SetDesktopRectForTest(const RECT* rect);
void SetWorkAreaForTest(const RECT* rect);

// ---- Main thread only ----

// SDL video, events and joysticks; the wake hook of the main thread's queue;
// the message-box handler; SIGTERM and SIGINT as WM_CLOSE with wParam
// kCloseBySignal. False when SDL cannot start.
bool InitWindowSystem();
// The wParam of a WM_CLOSE that a signal asked for: it ends an open dialog
// and then the program.
constexpr WPARAM kCloseBySignal = 0x5349474E;
void ShutdownWindowSystem();

// The one top-level window: hidden until ShowWindow. x, y, w, h is the outer
// rectangle. The procedure receives WM_CREATE before this returns.
// Null on failure (the SDL error is in GetWindowError).
HWND CreateMainWindow(WNDPROC proc, const std::string& titleCp932, uint32_t style, int x, int y, int w, int h);
// A small window of its own for a box asked for while there is no main
// window: it stands in as the main window (GetMainWindow, input, frames,
// RevealMainWindowForModal) until DestroyWindow. It shows the frame's top-left
// clientW x clientH pixels unscaled and reports the whole frame as its client
// area, so that its client pixels are frame pixels.
HWND CreateBoxWindow(WNDPROC proc, const std::string& titleCp932, int clientW, int clientH);
HWND GetMainWindow();
std::string GetWindowError();
// WM_DESTROY to the procedure, then the window is gone.
bool DestroyWindow(HWND hwnd);

bool ShowWindow(HWND hwnd, int command);
// For a modal dialog drawn in the main window: shows and raises the window
// and gives it the keyboard focus. True when it was hidden before, so that
// the caller hides it again when the dialog ends.
bool RevealMainWindowForModal();
bool SetWindowPos(HWND hwnd, int x, int y, int w, int h);
bool GetWindowRect(HWND hwnd, RECT& rect);
bool GetClientRect(HWND hwnd, RECT& rect);
bool ClientToScreen(HWND hwnd, POINT& point);
bool ScreenToClient(HWND hwnd, POINT& point);
bool GetCursorPos(POINT& point);
// Moves the mouse pointer to a screen position, read as a point of the
// 640x480 picture placed at the main window's client corner and shown scaled
// like the picture. Asked while the window is hidden, the move happens when
// it is shown for a modal dialog. False without a main window.
bool SetCursorPos(int x, int y);
int32_t GetWindowLong(HWND hwnd, int index);
// Changing WS_THICKFRAME makes the window resizable or fixed.
int32_t SetWindowLong(HWND hwnd, int index, int32_t value);
bool SetWindowText(HWND hwnd, const std::string& textCp932);
bool IsZoomed(HWND hwnd);
bool IsIconic(HWND hwnd);
// Desktop full screen; the display mode is never changed.
bool SetFullScreen(HWND hwnd, bool on);
bool IsFullScreen(HWND hwnd);

// SDL events become messages; a new frame of the mailbox is shown.
void PumpWindowEvents();
// When a dialog ends: every key event already queued (SDL events not yet
// pumped and key messages) is dropped, the key state still following them;
// then the keys still held keep their repeats and releases from the program
// (SwallowHeldKeys). Other events are pumped as usual.
void DropQueuedKeys();
// PumpWindowEvents, then PeekMessage (any window, PM_REMOVE).
bool PeekWindowMessage(MSG* msg);
// Sleeps until an SDL event, a message for this thread or a new frame
// arrives, or the timeout passes; then pumps. False on timeout.
bool WaitWindowMessage(uint32_t timeoutMs);

// Frames shown on the main window so far (tests).
uint64_t PresentedFrameCount();
// The 640x480 ARGB frame on screen now; false before the first one.
bool CopyShownFrame(std::vector<uint32_t>& frame);

}  // namespace platform
