#include "platform/XErrors.h"

#include <dlfcn.h>

#include <atomic>
#include <cstdlib>
#include <cstring>

namespace platform {
namespace {

// The leading fields of Xlib's error event, as its protocol defines them.
struct XErrorFields {
  int type;
  void* display;
  unsigned long resourceid;
  unsigned long serial;
  unsigned char error_code;
  unsigned char request_code;
  unsigned char minor_code;
};
using XErrorHandlerFn = int (*)(void*, XErrorFields*);
using XSetErrorHandlerFn = XErrorHandlerFn (*)(XErrorHandlerFn);

constexpr unsigned char kBadWindow = 3;
constexpr unsigned char kSendEventRequest = 25;

// Read by whichever thread meets an error on its display.
std::atomic<XErrorHandlerFn> g_next{nullptr};
thread_local bool t_passingOn = false;

int FilterXError(void* display, XErrorFields* e) {
  if (e && e->error_code == kBadWindow && e->request_code == kSendEventRequest) return 0;
  // A chain of handlers that leads back here ends instead of going round.
  const XErrorHandlerFn next = g_next.load();
  if (!next || t_passingOn) return 0;
  t_passingOn = true;
  const int r = next(display, e);
  t_passingOn = false;
  return r;
}

}  // namespace

namespace {
// Puts the filter in front of the handler in place through `lib`; false
// without XSetErrorHandler.
bool SetFilter(void* lib) {
  auto set = reinterpret_cast<XSetErrorHandlerFn>(dlsym(lib, "XSetErrorHandler"));
  if (!set) return false;
  XErrorHandlerFn previous = set(FilterXError);
  if (previous != FilterXError) g_next = previous;
  return true;
}
}  // namespace

void InstallXErrorFilter() {
  // Only where the video system has already brought Xlib in.
  void* lib = dlopen("libX11.so.6", RTLD_LAZY | RTLD_NOLOAD);
  if (!lib) return;
  SetFilter(lib);
  dlclose(lib);
}

bool InstallXErrorFilterBeforeVideo() {
  const char* display = std::getenv("DISPLAY");
  if (!display || !*display) return false;
  const char* driver = std::getenv("SDL_VIDEODRIVER");
  if (driver && *driver && std::strcmp(driver, "x11") != 0) return false;
  // Loaded here and kept for the program's life, so that it stays loaded
  // however often the video system loads and unloads it.
  static void* const lib = dlopen("libX11.so.6", RTLD_LAZY);
  if (!lib) return false;
  // Xlib asks for its thread set-up before any other call; the video
  // system makes the same call when it starts.
  if (auto initThreads = reinterpret_cast<int (*)()>(dlsym(lib, "XInitThreads"))) initThreads();
  return SetFilter(lib);
}

}  // namespace platform
