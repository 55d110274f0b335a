#include "platform/XErrors.h"

#include <dlfcn.h>

#include <atomic>

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

void InstallXErrorFilter() {
  // Only where the video system has already brought Xlib in.
  void* lib = dlopen("libX11.so.6", RTLD_LAZY | RTLD_NOLOAD);
  if (!lib) return;
  auto set = reinterpret_cast<XSetErrorHandlerFn>(dlsym(lib, "XSetErrorHandler"));
  if (set) {
    XErrorHandlerFn previous = set(FilterXError);
    if (previous != FilterXError) g_next = previous;
  }
  dlclose(lib);
}

}  // namespace platform
