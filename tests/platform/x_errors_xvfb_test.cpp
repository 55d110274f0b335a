// ctest-label: window
// The X error filter on a real X server: a SendEvent to a window that no
// longer exists (what a late wake-up does) is dropped, and any other error
// still reaches the handler that was in place before. The test runs itself
// again under xvfb-run.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <SDL.h>

#include "platform/Window.h"
#include "platform/XErrors.h"
#include "tests/support/VirtualX.h"

namespace {

using namespace platform;

int g_errorsSeen = 0;
unsigned char g_lastRequest = 0, g_lastError = 0;

// The leading fields of an X error event: type, display, resource, serial,
// then the error and request codes.
struct ErrorHead {
  int type;
  void* display;
  unsigned long resourceid;
  unsigned long serial;
  unsigned char error_code;
  unsigned char request_code;
};
int CountError(void*, ErrorHead* e) {
  ++g_errorsSeen;
  g_lastRequest = e->request_code;
  g_lastError = e->error_code;
  return 0;
}

TEST(XErrorFilter, DropsOnlyASendEventToAGoneWindow) {
  if (testsupport::RerunUnderVirtualX()) return;
  ASSERT_TRUE(InitWindowSystem()) << GetWindowError();
  ASSERT_STREQ(SDL_GetCurrentVideoDriver(), "x11");
  void* lib = dlopen("libX11.so.6", RTLD_LAZY | RTLD_NOLOAD);
  ASSERT_NE(lib, nullptr);
  using Handler = int (*)(void*, ErrorHead*);
  auto setHandler = reinterpret_cast<Handler (*)(Handler)>(dlsym(lib, "XSetErrorHandler"));
  auto open = reinterpret_cast<void* (*)(const char*)>(dlsym(lib, "XOpenDisplay"));
  auto close = reinterpret_cast<int (*)(void*)>(dlsym(lib, "XCloseDisplay"));
  auto send = reinterpret_cast<int (*)(void*, unsigned long, int, long, void*)>(dlsym(lib, "XSendEvent"));
  auto map = reinterpret_cast<int (*)(void*, unsigned long)>(dlsym(lib, "XMapWindow"));
  auto sync = reinterpret_cast<int (*)(void*, int)>(dlsym(lib, "XSync"));
  ASSERT_TRUE(setHandler && open && close && send && map && sync);

  // The counting handler stands for what was in place; the filter goes in front.
  setHandler(CountError);
  InstallXErrorFilter();
  void* d = open(nullptr);
  ASSERT_NE(d, nullptr);
  constexpr unsigned long kGone = 0x3fffff0;  // no client owns this id
  long event[24] = {33, 0, 0, 0, 0, 0, 32};   // a client message of 32-bit data (type ... format)
  send(d, kGone, 0, 0, event);
  sync(d, 0);
  EXPECT_EQ(g_errorsSeen, 0) << "the SendEvent's BadWindow was not dropped: request " << int(g_lastRequest) << " error "
                             << int(g_lastError);
  map(d, kGone);
  sync(d, 0);
  EXPECT_EQ(g_errorsSeen, 1) << "another error did not reach the earlier handler";
  EXPECT_EQ(g_lastRequest, 8);  // MapWindow
  close(d);
  dlclose(lib);
  ShutdownWindowSystem();
}

}  // namespace

namespace {

// The video system puts back, as it shuts down, the handler it found when it
// started; its own connections are closed after that, which is when a late
// wake-up's BadWindow is read. The filter must be that handler: a SendEvent
// to a gone window after two starts and shutdowns (a box's window, then the
// main window) is still dropped, where Xlib's default handler would exit.
TEST(XErrorFilter, StaysInPlaceAfterTheWindowSystemShutsDown) {
  if (testsupport::RerunUnderVirtualX()) return;
  // A connection of the test's own stays open throughout: the server resets
  // when its last client leaves, and refuses connections while it does.
  void* lib = dlopen("libX11.so.6", RTLD_LAZY);
  ASSERT_NE(lib, nullptr);
  auto open = reinterpret_cast<void* (*)(const char*)>(dlsym(lib, "XOpenDisplay"));
  auto close = reinterpret_cast<int (*)(void*)>(dlsym(lib, "XCloseDisplay"));
  auto send = reinterpret_cast<int (*)(void*, unsigned long, int, long, void*)>(dlsym(lib, "XSendEvent"));
  auto sync = reinterpret_cast<int (*)(void*, int)>(dlsym(lib, "XSync"));
  ASSERT_TRUE(open && close && send && sync);
  void* d = open(nullptr);
  ASSERT_NE(d, nullptr);
  for (int round = 0; round < 2; ++round) {
    ASSERT_TRUE(InitWindowSystem()) << GetWindowError();
    ASSERT_STREQ(SDL_GetCurrentVideoDriver(), "x11");
    ShutdownWindowSystem();
  }
  long event[24] = {33, 0, 0, 0, 0, 0, 32};
  send(d, 0x3fffff0, 0, 0, event);
  sync(d, 0);  // the error is read here
  close(d);
  dlclose(lib);
}

}  // namespace
