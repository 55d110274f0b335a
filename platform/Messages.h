#pragma once
// Per-thread message queues: posts to a window or a thread, peek/get/wait,
// WM_QUIT, and a synchronous send to a window that blocks the sender until the
// window's thread has run it. Also the thread ids and the cooperative
// suspension that cThread builds on.
#include <cstdint>
#include <functional>

namespace platform {

struct WindowTag;  // opaque; a handle is never dereferenced
using HWND = WindowTag*;
using UINT = uint32_t;
using WPARAM = uintptr_t;
using LPARAM = intptr_t;
using LRESULT = intptr_t;

struct MSG {
  HWND hwnd;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  uint32_t time;
};

constexpr UINT WM_DESTROY = 0x0002;
constexpr UINT WM_ACTIVATE = 0x0006;
constexpr UINT WM_SETFOCUS = 0x0007;
constexpr UINT WM_KILLFOCUS = 0x0008;
constexpr UINT WM_PAINT = 0x000F;
constexpr UINT WM_CLOSE = 0x0010;
constexpr UINT WM_QUIT = 0x0012;
constexpr UINT WM_ACTIVATEAPP = 0x001C;
constexpr UINT WM_COPYDATA = 0x004A;
constexpr UINT WM_KEYDOWN = 0x0100;
constexpr UINT WM_KEYUP = 0x0101;
constexpr UINT WM_CHAR = 0x0102;
constexpr UINT WM_SYSKEYDOWN = 0x0104;
constexpr UINT WM_COMMAND = 0x0111;
constexpr UINT WM_TIMER = 0x0113;
constexpr UINT WM_MOUSEMOVE = 0x0200;
constexpr UINT WM_LBUTTONDOWN = 0x0201;
constexpr UINT WM_LBUTTONUP = 0x0202;
constexpr UINT WM_RBUTTONDOWN = 0x0204;
constexpr UINT WM_RBUTTONUP = 0x0205;
constexpr UINT WM_USER = 0x0400;
constexpr UINT WM_APP = 0x8000;

constexpr UINT PM_NOREMOVE = 0;
constexpr UINT PM_REMOVE = 1;

using WNDPROC = std::function<LRESULT(HWND, UINT, WPARAM, LPARAM)>;

// The calling thread's id; never 0 and never reused within a run.
uint32_t GetCurrentThreadId();

// The window belongs to the calling thread's queue (which it creates).
HWND CreateMessageWindow(WNDPROC proc);
// Pending sends to the window are released with 0; later posts fail.
void DestroyMessageWindow(HWND hwnd);
bool IsMessageWindow(HWND hwnd);

// False for a null or dead window.
bool PostMessage(HWND hwnd, UINT msg, WPARAM w, LPARAM l);
// False until that thread has a queue (and after it has shut it down).
bool PostThreadMessage(uint32_t threadId, UINT msg, WPARAM w, LPARAM l);

// The calling thread gets its queue (the first Peek/Get/Wait does too).
void EnsureMessageQueue();

// Handles pending sends first, then takes the first posted message that passes
// the filter (hwnd null: any; min == max == 0: any number; WM_QUIT always
// passes the number range), then a WM_QUIT from PostQuitMessage.
bool PeekMessage(MSG* msg, HWND filter, UINT min, UINT max, UINT remove);
// 0 on WM_QUIT, 1 otherwise; blocks until a message passes the filter.
int GetMessage(MSG* msg, HWND filter, UINT min, UINT max);
// Until something is queued for the calling thread or the timeout passes
// (UINT32_MAX: no timeout). Pending sends are handled inside. False on timeout.
bool WaitMessage(uint32_t timeoutMs = UINT32_MAX);
// The calling thread's next Peek/Get (once its posted messages are taken)
// returns WM_QUIT with wParam = exitCode.
void PostQuitMessage(int exitCode);
// Calls the window's procedure; 0 for a thread message or a dead window.
LRESULT DispatchMessage(const MSG* msg);

// Synchronous request. From another thread: blocks until the owner thread runs
// the procedure (inside its PeekMessage/GetMessage/WaitMessage) and returns its
// result; from the owner thread: calls the procedure directly. Released with 0
// when the window is destroyed or the owner shuts its queue down, and also
// when a WM_QUIT reaches the sender's own queue before the owner has begun the
// request, so a thread being stopped never hangs in a send.
LRESULT SendMessage(HWND hwnd, UINT msg, WPARAM w, LPARAM l);

// Called (outside any lock) after anything is queued for that thread; the SDL
// window thread uses it to push an SDL user event. An empty function removes it.
void SetQueueWakeHook(uint32_t threadId, std::function<void()> wake);

// The calling thread's queue ends: pending sends to it get 0, its windows are
// destroyed, later posts to it fail. A thread's queue also ends with the thread.
void ShutdownMessageQueue();

// Whether a WM_QUIT waits in the calling thread's queue (posted or from
// PostQuitMessage), without taking it. Lets long waits on a worker give up.
bool IsQuitPending();

// ---- Thread ids and cooperative suspension (used by cThread) ----

// A thread about to be started gets its id before it runs, so the starter
// knows it at once; the new thread calls AdoptThreadId first.
uint32_t ReserveThreadId();
void AdoptThreadId(uint32_t id);

// Suspension is cooperative: a suspended thread parks at its next queue call,
// ThreadSleep or frame wait (all call ParkIfSuspended). Levels nest.
void SuspendThreadById(uint32_t id);
// Removes one level; the thread continues when none is left.
void ResumeThreadById(uint32_t id);
// Drops every level (the thread has ended).
void ClearThreadSuspension(uint32_t id);
// The calling thread waits here while it is suspended.
void ParkIfSuspended();
// Whether the thread is waiting in ParkIfSuspended now.
bool IsThreadParked(uint32_t id);

}  // namespace platform
