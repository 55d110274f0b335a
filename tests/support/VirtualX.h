#pragma once
// Tests that need a real X display. Such a test starts with
//
//   if (testsupport::RerunUnderVirtualX()) return;
//
// which, in the test program as ctest starts it, runs this very test again in
// a child program on a fresh virtual X server (xvfb-run) and reports the
// child's result; in the child it returns false and the test goes on, with
// SDL set to draw on X in software. The display is opened through dlopen, so
// test programs need no link with Xlib, and this header pulls in no X header.
#include <sys/types.h>

#include <cstdint>
#include <string>
#include <vector>

namespace testsupport {

// X window ids as Xlib's `Window`.
using XWindowId = unsigned long;

struct VirtualXOptions {
  int width = 1280;
  int height = 1024;
  bool blackRoot = false;  // the server's root window black instead of its grey pattern
  bool keyRepeat = true;   // false: held keys give one press and one release, no repeats
};

// False in the child on the virtual server. In the parent: checks that
// xvfb-run and xdotool exist, runs the current test in a child with leak
// checks off (X libraries leave allocations the checker cannot attribute) and
// ThreadSanitizer told about Mesa's races, records a failure when the child
// fails, and returns true.
bool RerunUnderVirtualX(const VirtualXOptions& options = {});

// True in the child program started by RerunUnderVirtualX.
bool OnVirtualX();

// Pixels read back from the screen, 0xRRGGBB each.
struct ScreenPixels {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> rgb;
  bool empty() const { return rgb.empty(); }
  uint32_t At(int x, int y) const { return rgb[static_cast<size_t>(y) * width + x]; }
};

// The X display, opened on first use and closed with the object. One per
// thread: Xlib connections are not shared between threads here.
class VirtualDisplay {
 public:
  VirtualDisplay() = default;
  ~VirtualDisplay();
  VirtualDisplay(const VirtualDisplay&) = delete;
  VirtualDisplay& operator=(const VirtualDisplay&) = delete;

  // False when libX11 cannot be loaded or the display cannot be opened.
  bool Ok();
  // A rectangle of the screen as shown (every window on top included);
  // empty when it cannot be read.
  ScreenPixels ReadScreen(int x, int y, int width, int height);
  // The top-left `width` x `height` pixels of a window's client area, as on screen.
  ScreenPixels ReadWindow(XWindowId window, int width, int height);
  // Where the window's client area starts on the screen.
  bool WindowOrigin(XWindowId window, int* x, int* y);
  bool WindowSize(XWindowId window, int* width, int* height);
  // What a window manager sends for the close button (WM_DELETE_WINDOW).
  bool SendCloseRequest(XWindowId window);

 private:
  struct Lib;
  Lib* Open();
  Lib* lib_ = nullptr;
  void* display_ = nullptr;
  bool tried_ = false;
};

// The X window of this program's first SDL window, or 0.
XWindowId FindSdlWindow();
// The first X window of process `pid`, waiting up to `seconds` for it to appear; 0 if none.
// With `onlyVisible`, only a mapped (visible) window counts.
XWindowId FindWindowOfProcess(pid_t pid, int seconds = 20, bool onlyVisible = false);

// xdotool with these arguments; true when it succeeded.
bool Xdotool(const std::string& args);
// Moves the pointer to (x, y) in the window and gives it the keyboard focus.
bool FocusWindow(XWindowId window, int x = 320, int y = 240);
// Focuses the window and presses the keys (xdotool key names) one after another.
bool SendKeys(XWindowId window, const std::string& keys, int delayMs = 60);
// Focuses the window and types the text.
bool TypeText(XWindowId window, const std::string& text, int delayMs = 60);
// Moves the pointer to (x, y) in the window and clicks the left button there.
bool ClickAt(XWindowId window, int x, int y);

}  // namespace testsupport
