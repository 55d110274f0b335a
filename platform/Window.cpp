#include "platform/Window.h"

#include <SDL.h>
#include <signal.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <optional>
#include <vector>

#include "platform/CodePage.h"
#include "platform/FrameMailbox.h"
#include "platform/Joystick.h"
#include "platform/Keyboard.h"
#include "platform/MessageBox.h"
#include "platform/TextInput.h"
#include "platform/XErrors.h"

namespace platform {
namespace {

// A message box asked for by another thread, shown by the main window's thread.
constexpr UINT kMsgShowBox = 0xC0DE;
struct BoxRequest {
  const std::string* text;
  const std::string* caption;
  unsigned type;
};

struct MainWindow {
  HWND hwnd = nullptr;
  WNDPROC proc;
  SDL_Window* window = nullptr;
  SDL_Renderer* renderer = nullptr;
  SDL_Texture* texture = nullptr;
  uint32_t style = 0;
  bool active = false;
  std::vector<uint32_t> frame;  // the frame on screen, shown again after an expose
  bool haveFrame = false;
  std::optional<POINT> pendingCursor;  // a pointer move asked for while hidden
  int boxW = 0, boxH = 0;              // a box's own window: the frame's corner it shows 1:1
};
MainWindow g_main;  // main thread only

std::atomic<HWND> g_mainHwnd{nullptr};
std::atomic<bool> g_sdlUp{false};
std::atomic<uint32_t> g_mainThreadId{0};
std::atomic<uint32_t> g_wakeEvent{0};
std::atomic<bool> g_wakePending{false};
std::atomic<uint64_t> g_presented{0};
std::string g_error;
bool g_droppingKeys = false;  // main thread: DropQueuedKeys is draining SDL's queue

// SIGTERM and SIGINT (Ctrl+C) are close requests, not an abrupt end.
volatile sig_atomic_t g_closeSignal = 0;
struct sigaction g_oldSigterm, g_oldSigint;
bool g_sigtermInstalled = false, g_sigintInstalled = false;

std::mutex g_overrideMutex;
std::optional<RECT> g_desktopOverride, g_workOverride;

extern "C" void OnCloseSignal(int) { g_closeSignal = 1; }

// Posts and sends to the main thread, and new frames, wake its SDL wait.
void Wake() {
  uint32_t type = g_wakeEvent.load();
  if (!type || !g_sdlUp.load()) return;
  if (g_wakePending.exchange(true)) return;  // one wake event in flight is enough
  SDL_Event e;
  SDL_zero(e);
  e.type = type;
  if (SDL_PushEvent(&e) != 1) g_wakePending = false;
}

LPARAM MakeLParam(int lo, int hi) {
  return static_cast<LPARAM>(static_cast<uint32_t>(static_cast<uint16_t>(lo)) |
                             (static_cast<uint32_t>(static_cast<uint16_t>(hi)) << 16));
}

int StderrBox(const std::string& text, const std::string& caption, unsigned type) {
  return AnswerUnshownBox(text, caption, type);
}

// Test seam: BRINDLE_NO_SYSTEM_BOX=1 makes every system box fail as if the
// desktop could not show it, so that the program's own box is drawn instead.
bool SystemBoxRefused() {
  const char* v = SDL_getenv("BRINDLE_NO_SYSTEM_BOX");
  return v && std::strcmp(v, "1") == 0;
}

// Where the system box cannot be shown on a display: the program's own box,
// and only when that cannot be shown either, standard error and the log.
int OwnOrStderrBox(const std::string& text, const std::string& caption, unsigned type) {
  const int answer = ShowOwnBox(text, caption, type);
  return answer > 0 ? answer : StderrBox(text, caption, type);
}

bool BoxesCanShow() {
  const char* driver = SDL_GetCurrentVideoDriver();
  return g_sdlUp.load() && driver && std::strcmp(driver, "dummy") != 0 && std::strcmp(driver, "offscreen") != 0;
}

// Main thread only.
int ShowSdlBox(const std::string& text, const std::string& caption, unsigned type) {
  SDL_MessageBoxButtonData buttons[2];
  int count = 0;
  const int ret = SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, esc = SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT;
  switch (type & 0xF) {
    case MB_YESNO:
      buttons[count++] = {static_cast<Uint32>(ret), IDYES, "Yes"};
      buttons[count++] = {static_cast<Uint32>(esc), IDNO, "No"};
      break;
    case MB_OKCANCEL:
      buttons[count++] = {static_cast<Uint32>(ret), IDOK, "OK"};
      buttons[count++] = {static_cast<Uint32>(esc), IDCANCEL, "Cancel"};
      break;
    default:
      buttons[count++] = {static_cast<Uint32>(ret | esc), IDOK, "OK"};
      break;
  }
  const std::string utf8Text = Cp932ToUtf8(text), utf8Caption = Cp932ToUtf8(caption);
  SDL_MessageBoxData data;
  SDL_zero(data);
  data.flags = (type & MB_ICONERROR) ? SDL_MESSAGEBOX_ERROR : SDL_MESSAGEBOX_INFORMATION;
  data.window = g_main.window;
  data.title = utf8Caption.c_str();
  data.message = utf8Text.c_str();
  data.numbuttons = count;
  data.buttons = buttons;
  int pressed = -1;
  if (SystemBoxRefused() || SDL_ShowMessageBox(&data, &pressed) != 0) return OwnOrStderrBox(text, caption, type);
  if (pressed <= 0) return StderrBox(text, caption, type);
  return pressed;
}

int BoxHandler(const std::string& text, const std::string& caption, unsigned type) {
  if (!BoxesCanShow()) return StderrBox(text, caption, type);
  if (GetCurrentThreadId() == g_mainThreadId.load()) return ShowSdlBox(text, caption, type);
  // SDL video belongs to the main thread: ask it, and wait until it answers
  // or its window or queue goes away.
  HWND main = g_mainHwnd.load();
  if (!main) return StderrBox(text, caption, type);
  BoxRequest request{&text, &caption, type};
  LRESULT result = SendMessage(main, kMsgShowBox, 0, reinterpret_cast<LPARAM>(&request));
  return result > 0 ? static_cast<int>(result) : StderrBox(text, caption, type);
}

LRESULT MainProc(HWND hwnd, UINT msg, WPARAM w, LPARAM l) {
  if (msg == kMsgShowBox) {
    const auto* r = reinterpret_cast<const BoxRequest*>(l);
    return ShowSdlBox(*r->text, *r->caption, r->type);
  }
  WNDPROC proc = g_main.proc;
  return proc ? proc(hwnd, msg, w, l) : 0;
}

bool IsMain(HWND hwnd) { return hwnd && hwnd == g_main.hwnd && g_main.window; }

void Post(UINT msg, WPARAM w, LPARAM l) {
  if (g_main.hwnd) PostMessage(g_main.hwnd, msg, w, l);
}

RECT Insets() { return GetFrameInsets(g_main.style, false); }

void ApplyTrackLimits() {
  RECT desk;
  GetDesktopRect(desk);
  MINMAXINFO mmi;
  std::memset(&mmi, 0, sizeof mmi);
  mmi.ptMinTrackSize = {1, 1};
  mmi.ptMaxTrackSize = {desk.right - desk.left, desk.bottom - desk.top};
  MainProc(g_main.hwnd, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&mmi));
  const RECT in = Insets();
  const int fw = in.left + in.right, fh = in.top + in.bottom;
  SDL_SetWindowMinimumSize(g_main.window, std::max(1, mmi.ptMinTrackSize.x - fw), std::max(1, mmi.ptMinTrackSize.y - fh));
  SDL_SetWindowMaximumSize(g_main.window, std::max(1, mmi.ptMaxTrackSize.x - fw), std::max(1, mmi.ptMaxTrackSize.y - fh));
}

void ShowFrame() {
  if (!g_main.renderer) return;
  SDL_SetRenderDrawColor(g_main.renderer, 0, 0, 0, 255);
  SDL_RenderClear(g_main.renderer);
  if (g_main.haveFrame && g_main.texture && g_main.boxW > 0) {
    const SDL_Rect corner{0, 0, g_main.boxW, g_main.boxH};
    SDL_RenderCopy(g_main.renderer, g_main.texture, &corner, &corner);
  } else if (g_main.haveFrame && g_main.texture) {
    int w = 0, h = 0;
    SDL_GetRendererOutputSize(g_main.renderer, &w, &h);
    PresentRect r = ComputePresentRect(w, h);
    SDL_Rect dst{r.x, r.y, r.w, r.h};
    SDL_RenderCopy(g_main.renderer, g_main.texture, nullptr, &dst);
  }
  SDL_RenderPresent(g_main.renderer);
}

// Set by the window's events of one turn; the turn ends with one showing.
bool g_repaintPending = false;

bool PresentNewFrame() {
  if (!g_main.texture || !MainFrameMailbox().Take(g_main.frame)) return false;
  SDL_UpdateTexture(g_main.texture, nullptr, g_main.frame.data(), kFrameWidth * 4);
  g_main.haveFrame = true;
  ShowFrame();
  g_presented.fetch_add(1);
  return true;
}

void SetActive(bool active) {
  if (active == g_main.active) return;
  g_main.active = active;
  if (active) {
    Post(WM_ACTIVATEAPP, 1, 0);
    Post(WM_ACTIVATE, 1, 0);
    Post(WM_SETFOCUS, 0, 0);
  } else {
    // Keys let go while another window has the focus never report it.
    ResetKeyboardState();
    Post(WM_ACTIVATE, 0, 0);
    Post(WM_ACTIVATEAPP, 0, 0);
    Post(WM_KILLFOCUS, 0, 0);
  }
}

WPARAM MouseKeys() {
  WPARAM k = 0;
  if (IsKeyDown(VK_LBUTTON)) k |= MK_LBUTTON;
  if (IsKeyDown(VK_RBUTTON)) k |= MK_RBUTTON;
  if (IsKeyDown(VK_MBUTTON)) k |= MK_MBUTTON;
  if (IsKeyDown(VK_SHIFT)) k |= MK_SHIFT;
  if (IsKeyDown(VK_CONTROL)) k |= MK_CONTROL;
  return k;
}

void HandleWindowEvent(const SDL_WindowEvent& e) {
  if (!g_main.window || e.windowID != SDL_GetWindowID(g_main.window)) return;
  switch (e.event) {
    case SDL_WINDOWEVENT_SHOWN:
    case SDL_WINDOWEVENT_EXPOSED:
      g_repaintPending = true;
      Post(WM_PAINT, 0, 0);
      break;
    case SDL_WINDOWEVENT_MOVED:
      Post(WM_MOVE, 0, MakeLParam(e.data1, e.data2));
      break;
    case SDL_WINDOWEVENT_SIZE_CHANGED: {
      const WPARAM kind = (SDL_GetWindowFlags(g_main.window) & SDL_WINDOW_MAXIMIZED) ? SIZE_MAXIMIZED : SIZE_RESTORED;
      Post(WM_SIZE, kind, MakeLParam(e.data1, e.data2));
      g_repaintPending = true;
      break;
    }
    case SDL_WINDOWEVENT_MINIMIZED:
      Post(WM_SIZE, SIZE_MINIMIZED, 0);
      break;
    case SDL_WINDOWEVENT_FOCUS_GAINED:
      SetActive(true);
      break;
    case SDL_WINDOWEVENT_FOCUS_LOST:
      SetActive(false);
      break;
    case SDL_WINDOWEVENT_CLOSE:
      Post(WM_CLOSE, 0, 0);
      break;
    default:
      break;
  }
}

void HandleKey(const SDL_KeyboardEvent& e) {
  const int vk = VirtualKeyFromSdl(e.keysym.sym, e.keysym.scancode);
  if (!vk) return;
  const bool down = e.type == SDL_KEYDOWN;
  SetKeyDown(vk, down);
  int reported = vk;  // the procedure sees the side-less modifier codes
  if (vk == VK_LSHIFT || vk == VK_RSHIFT) reported = VK_SHIFT;
  if (vk == VK_LCONTROL || vk == VK_RCONTROL) reported = VK_CONTROL;
  if (vk == VK_LMENU || vk == VK_RMENU) reported = VK_MENU;
  const bool sys = IsKeyDown(VK_MENU) || vk == VK_F1 + 9;
  LPARAM l = 1 | (static_cast<LPARAM>(e.keysym.scancode & 0xFF) << 16);
  if (e.repeat) l |= LPARAM{1} << 30;
  if (!down) l |= (LPARAM{1} << 30) | (LPARAM{1} << 31);
  if (IsKeyEventSwallowed(vk, down)) return;  // held over from a dialog
  if (g_droppingKeys) return;                 // typed while a dialog was open
  Post(down ? (sys ? WM_SYSKEYDOWN : WM_KEYDOWN) : (sys ? WM_SYSKEYUP : WM_KEYUP), static_cast<WPARAM>(reported), l);
}

void HandleMouseButton(const SDL_MouseButtonEvent& e) {
  const bool down = e.type == SDL_MOUSEBUTTONDOWN;
  int vk = 0;
  UINT msg = 0;
  switch (e.button) {
    case SDL_BUTTON_LEFT: vk = VK_LBUTTON; msg = down ? WM_LBUTTONDOWN : WM_LBUTTONUP; break;
    case SDL_BUTTON_RIGHT: vk = VK_RBUTTON; msg = down ? WM_RBUTTONDOWN : WM_RBUTTONUP; break;
    case SDL_BUTTON_MIDDLE: vk = VK_MBUTTON; msg = down ? WM_MBUTTONDOWN : WM_MBUTTONUP; break;
    default: return;
  }
  SetKeyDown(vk, down);
  Post(msg, MouseKeys(), MakeLParam(e.x, e.y));
}

void HandleEvent(const SDL_Event& e, bool& moved, POINT& movedTo) {
  if (e.type == g_wakeEvent.load()) {
    g_wakePending = false;
    return;
  }
  switch (e.type) {
    case SDL_WINDOWEVENT: HandleWindowEvent(e.window); break;
    case SDL_KEYDOWN:
    case SDL_KEYUP: HandleKey(e.key); break;
    case SDL_MOUSEMOTION:
      moved = true;
      movedTo = {e.motion.x, e.motion.y};
      break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: HandleMouseButton(e.button); break;
    case SDL_TEXTINPUT:
    case SDL_TEXTEDITING: ForwardSdlTextEvent(e, g_main.hwnd); break;
    case SDL_JOYDEVICEADDED: OpenJoystickDevice(e.jdevice.which); break;
    case SDL_JOYDEVICEREMOVED: CloseJoystickInstance(e.jdevice.which); break;
    default: break;  // SDL_QUIT: the close button and SIGTERM arrive as WM_CLOSE already
  }
}

void DrainEvents(const SDL_Event* first) {
  bool moved = false;
  POINT movedTo{0, 0};
  if (first) HandleEvent(*first, moved, movedTo);
  SDL_Event e;
  while (SDL_PollEvent(&e)) HandleEvent(e, moved, movedTo);
  // One WM_MOUSEMOVE per turn, as the motions of a turn coalesce.
  if (moved) Post(WM_MOUSEMOVE, MouseKeys(), MakeLParam(movedTo.x, movedTo.y));
  if (g_closeSignal) {
    g_closeSignal = 0;
    Post(WM_CLOSE, kCloseBySignal, 0);
  }
  PollJoysticks();
  // Shown, uncovered and resized in one turn: the window is drawn once.
  if (!PresentNewFrame() && g_repaintPending) ShowFrame();
  g_repaintPending = false;
}

}  // namespace

int GetSystemMetrics(int index) {
  switch (index) {
    case SM_CXSCREEN: case SM_CYSCREEN: {
      RECT d;
      GetDesktopRect(d);
      return index == SM_CXSCREEN ? d.right - d.left : d.bottom - d.top;
    }
    case SM_CXVSCROLL: return 17;
    case SM_CYHSCROLL: return 17;
    case SM_CYCAPTION: return 19;
    case SM_CXDLGFRAME: return 3;
    case SM_CYDLGFRAME: return 3;
    case SM_CYMENU: return 19;
    case SM_CXFRAME: return 4;
    case SM_CYFRAME: return 4;
    default: return 0;
  }
}

RECT GetFrameInsets(uint32_t style, bool menu) {
  RECT r{0, 0, 0, 0};
  if (style & WS_CAPTION) r.top += GetSystemMetrics(SM_CYCAPTION);
  if (style & WS_THICKFRAME) {
    r.left += GetSystemMetrics(SM_CXFRAME);
    r.right += GetSystemMetrics(SM_CXFRAME);
    r.top += GetSystemMetrics(SM_CYFRAME);
    r.bottom += GetSystemMetrics(SM_CYFRAME);
  } else if (style & WS_DLGFRAME) {
    r.left += GetSystemMetrics(SM_CXDLGFRAME);
    r.right += GetSystemMetrics(SM_CXDLGFRAME);
    r.top += GetSystemMetrics(SM_CYDLGFRAME);
    r.bottom += GetSystemMetrics(SM_CYDLGFRAME);
  }
  if (style & WS_HSCROLL) r.bottom += GetSystemMetrics(SM_CYHSCROLL);
  if (style & WS_VSCROLL) r.right += GetSystemMetrics(SM_CXVSCROLL);
  if (menu) r.top += GetSystemMetrics(SM_CYMENU);
  return r;
}

void GetDesktopRect(RECT& rect) {
  {
    std::lock_guard<std::mutex> lock(g_overrideMutex);
    if (g_desktopOverride) {
      rect = *g_desktopOverride;
      return;
    }
  }
  SDL_Rect b;
  const int display = g_main.window ? std::max(0, SDL_GetWindowDisplayIndex(g_main.window)) : 0;
  if (g_sdlUp.load() && SDL_GetDisplayBounds(display, &b) == 0) {
    rect = {b.x, b.y, b.x + b.w, b.y + b.h};
  } else {
    rect = {0, 0, 1024, 768};  // no display
  }
}

void GetWorkArea(RECT& rect) {
  {
    std::lock_guard<std::mutex> lock(g_overrideMutex);
    if (g_workOverride) {
      rect = *g_workOverride;
      return;
    }
  }
  SDL_Rect b;
  const int display = g_main.window ? std::max(0, SDL_GetWindowDisplayIndex(g_main.window)) : 0;
  if (g_sdlUp.load() && SDL_GetDisplayUsableBounds(display, &b) == 0) {
    rect = {b.x, b.y, b.x + b.w, b.y + b.h};
  } else {
    GetDesktopRect(rect);
  }
}

void SetDesktopRectForTest(const RECT* rect) {
  std::lock_guard<std::mutex> lock(g_overrideMutex);
  g_desktopOverride = rect ? std::optional<RECT>(*rect) : std::nullopt;
}

void SetWorkAreaForTest(const RECT* rect) {
  std::lock_guard<std::mutex> lock(g_overrideMutex);
  g_workOverride = rect ? std::optional<RECT>(*rect) : std::nullopt;
}

bool InitWindowSystem() {
  if (g_sdlUp.load()) return true;
  // SIGTERM and SIGINT are ours (WM_CLOSE), not SDL's SDL_QUIT.
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  // Frames are finished in software; the window only copies and scales them.
  // A GL renderer would cost a third of a second and 80 MB of driver at start.
  // The environment (SDL_RENDER_DRIVER, SDL_FRAMEBUFFER_ACCELERATION) still wins.
  SDL_SetHint(SDL_HINT_RENDER_DRIVER, "software");
  SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  const bool xFilterFirst = InstallXErrorFilterBeforeVideo();
  if (SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) {
    g_error = SDL_GetError();
    return false;
  }
  // Without a display SDL falls back to drawing off screen, and the program
  // would run unseen for ever. Tests ask for such a driver by name; that stays.
  const char* asked = SDL_getenv("SDL_VIDEODRIVER");
  const char* hint = SDL_GetHint(SDL_HINT_VIDEODRIVER);
  const bool named = (asked && *asked) || (hint && *hint);
  const char* driver = SDL_GetCurrentVideoDriver();
  if (!named && driver && (std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0)) {
    SDL_QuitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS);
    g_error = "no display can be reached (is DISPLAY or WAYLAND_DISPLAY set?)";
    return false;
  }
  if (SDL_InitSubSystem(SDL_INIT_JOYSTICK) != 0) std::fprintf(stderr, "Joystick : %s\n", SDL_GetError());
  g_wakeEvent = SDL_RegisterEvents(1);
  if (g_wakeEvent.load() == static_cast<uint32_t>(-1)) g_wakeEvent = 0;
  if (!xFilterFirst && driver && std::strcmp(driver, "x11") == 0) InstallXErrorFilter();
  g_sdlUp = true;
  EnsureMessageQueue();
  g_mainThreadId = GetCurrentThreadId();
  SetQueueWakeHook(g_mainThreadId.load(), Wake);
  MainFrameMailbox().SetWakeHook(Wake);
  SetMessageBoxHandler(BoxHandler);

  struct sigaction sa;
  std::memset(&sa, 0, sizeof sa);
  sa.sa_handler = OnCloseSignal;
  sigemptyset(&sa.sa_mask);
  g_sigtermInstalled = sigaction(SIGTERM, &sa, &g_oldSigterm) == 0;
  g_sigintInstalled = sigaction(SIGINT, &sa, &g_oldSigint) == 0;
  return true;
}

void ShutdownWindowSystem() {
  if (!g_sdlUp.load()) return;
  if (g_main.hwnd) DestroyWindow(g_main.hwnd);
  SetMessageBoxHandler(nullptr);
  SetQueueWakeHook(g_mainThreadId.load(), {});
  MainFrameMailbox().SetWakeHook({});
  if (g_sigtermInstalled) sigaction(SIGTERM, &g_oldSigterm, nullptr);
  if (g_sigintInstalled) sigaction(SIGINT, &g_oldSigint, nullptr);
  g_sigtermInstalled = g_sigintInstalled = false;
  g_sdlUp = false;
  CloseAllJoysticks();
  ResetKeyboardState();
  SDL_QuitSubSystem(SDL_INIT_JOYSTICK | SDL_INIT_VIDEO | SDL_INIT_EVENTS);
}

namespace {
// The SDL window, renderer and frame texture of the main window (or of a
// box's own window); false with g_error set.
bool CreateSdlWindow(const std::string& titleCp932, int x, int y, int cw, int ch, Uint32 flags) {
  SDL_Window* win = SDL_CreateWindow(Cp932ToUtf8(titleCp932).c_str(), x, y, cw, ch, flags);
  if (!win) {
    g_error = SDL_GetError();
    return false;
  }
  SDL_Renderer* ren = SDL_CreateRenderer(win, -1, 0);
  if (!ren) ren = SDL_CreateRenderer(win, -1, SDL_RENDERER_SOFTWARE);
  SDL_Texture* tex = ren ? SDL_CreateTexture(ren, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING, kFrameWidth,
                                             kFrameHeight)
                         : nullptr;
  if (!tex) {
    g_error = SDL_GetError();
    if (ren) SDL_DestroyRenderer(ren);
    SDL_DestroyWindow(win);
    return false;
  }
  g_main.window = win;
  g_main.renderer = ren;
  g_main.texture = tex;
  return true;
}
}  // namespace

HWND CreateMainWindow(WNDPROC proc, const std::string& titleCp932, uint32_t style, int x, int y, int w, int h) {
  if (!g_sdlUp.load() || g_main.hwnd) {
    g_error = g_main.hwnd ? "the main window exists already" : "the window system is not started";
    return nullptr;
  }
  style &= ~(WS_VISIBLE | WS_MINIMIZE | WS_MAXIMIZE);
  const RECT in = GetFrameInsets(style, false);
  Uint32 flags = SDL_WINDOW_HIDDEN | SDL_WINDOW_ALLOW_HIGHDPI;
  if (style & WS_THICKFRAME) flags |= SDL_WINDOW_RESIZABLE;
  if (!(style & WS_CAPTION)) flags |= SDL_WINDOW_BORDERLESS;
  const int cw = std::max(1, w - in.left - in.right), ch = std::max(1, h - in.top - in.bottom);
  if (!CreateSdlWindow(titleCp932, x + in.left, y + in.top, cw, ch, flags)) return nullptr;
  g_main.style = style;
  g_main.proc = std::move(proc);
  g_main.active = false;
  g_main.haveFrame = false;
  g_main.hwnd = CreateMessageWindow(MainProc);
  g_mainHwnd = g_main.hwnd;
  ApplyTrackLimits();
  MainProc(g_main.hwnd, WM_CREATE, 0, 0);
  return g_main.hwnd;
}

HWND CreateBoxWindow(WNDPROC proc, const std::string& titleCp932, int clientW, int clientH) {
  if (!g_sdlUp.load() || g_main.hwnd) {
    g_error = g_main.hwnd ? "the main window exists already" : "the window system is not started";
    return nullptr;
  }
  const int cw = std::clamp(clientW, 1, kFrameWidth), ch = std::clamp(clientH, 1, kFrameHeight);
  // Above other windows, such as a running copy's full screen, so that the question is seen.
  if (!CreateSdlWindow(titleCp932, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, cw, ch,
                       SDL_WINDOW_HIDDEN | SDL_WINDOW_ALWAYS_ON_TOP))
    return nullptr;
  g_main.style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
  g_main.proc = std::move(proc);
  g_main.active = false;
  g_main.haveFrame = false;
  g_main.boxW = cw;
  g_main.boxH = ch;
  g_main.hwnd = CreateMessageWindow(MainProc);
  g_mainHwnd = g_main.hwnd;
  MainProc(g_main.hwnd, WM_CREATE, 0, 0);
  return g_main.hwnd;
}

HWND GetMainWindow() { return g_mainHwnd.load(); }

std::string GetWindowError() { return g_error; }

bool DestroyWindow(HWND hwnd) {
  if (!IsMain(hwnd)) return false;
  MainProc(hwnd, WM_DESTROY, 0, 0);
  g_mainHwnd = nullptr;
  DestroyMessageWindow(hwnd);
  // A box's last picture is not the next window's first.
  if (g_main.boxW > 0) MainFrameMailbox().Take(g_main.frame);
  SDL_DestroyTexture(g_main.texture);
  SDL_DestroyRenderer(g_main.renderer);
  SDL_DestroyWindow(g_main.window);
  g_main = MainWindow{};
  return true;
}

bool ShowWindow(HWND hwnd, int command) {
  if (!IsMain(hwnd)) return false;
  const bool wasVisible = (SDL_GetWindowFlags(g_main.window) & SDL_WINDOW_SHOWN) != 0;
  switch (command) {
    case SW_HIDE: SDL_HideWindow(g_main.window); break;
    case SW_SHOWMINIMIZED:
    case SW_MINIMIZE:
      SDL_ShowWindow(g_main.window);
      SDL_MinimizeWindow(g_main.window);
      break;
    case SW_SHOWMAXIMIZED:
      SDL_ShowWindow(g_main.window);
      SDL_MaximizeWindow(g_main.window);
      break;
    case SW_RESTORE:
      SDL_ShowWindow(g_main.window);
      SDL_RestoreWindow(g_main.window);
      break;
    default:
      SDL_ShowWindow(g_main.window);
      SDL_RaiseWindow(g_main.window);
      break;
  }
  return wasVisible;
}

namespace {
void WarpCursor(POINT p) {
  int wx = 0, wy = 0, cw = 0, ch = 0;
  SDL_GetWindowPosition(g_main.window, &wx, &wy);
  SDL_GetWindowSize(g_main.window, &cw, &ch);
  const PresentRect r = ComputePresentRect(cw, ch);
  if (r.w <= 0 || r.h <= 0) return;
  SDL_WarpMouseInWindow(g_main.window, r.x + (p.x - wx) * r.w / kFrameWidth, r.y + (p.y - wy) * r.h / kFrameHeight);
}
}  // namespace

bool SetCursorPos(int x, int y) {
  if (!g_main.window) return false;
  if (SDL_GetWindowFlags(g_main.window) & SDL_WINDOW_SHOWN) {
    g_main.pendingCursor.reset();
    WarpCursor({x, y});
  } else {
    g_main.pendingCursor = POINT{x, y};
  }
  return true;
}

bool RevealMainWindowForModal() {
  if (!g_main.window) return false;
  const bool hidden = (SDL_GetWindowFlags(g_main.window) & SDL_WINDOW_SHOWN) == 0;
  if (hidden) SDL_ShowWindow(g_main.window);
  SDL_RaiseWindow(g_main.window);
  // Without a window manager nobody else hands out the focus; keys go to the dialog.
  SDL_SetWindowInputFocus(g_main.window);
  if (g_main.pendingCursor) {
    WarpCursor(*g_main.pendingCursor);
    g_main.pendingCursor.reset();
  }
  return hidden;
}

bool SetWindowPos(HWND hwnd, int x, int y, int w, int h) {
  if (!IsMain(hwnd)) return false;
  const RECT in = Insets();
  SDL_SetWindowSize(g_main.window, std::max(1, w - in.left - in.right), std::max(1, h - in.top - in.bottom));
  SDL_SetWindowPosition(g_main.window, x + in.left, y + in.top);
  return true;
}

bool GetWindowRect(HWND hwnd, RECT& rect) {
  if (!IsMain(hwnd)) return false;
  int x, y, w, h;
  SDL_GetWindowPosition(g_main.window, &x, &y);
  SDL_GetWindowSize(g_main.window, &w, &h);
  const RECT in = Insets();
  rect = {x - in.left, y - in.top, x + w + in.right, y + h + in.bottom};
  return true;
}

bool GetClientRect(HWND hwnd, RECT& rect) {
  if (!IsMain(hwnd)) return false;
  if (g_main.boxW > 0) {
    rect = {0, 0, kFrameWidth, kFrameHeight};
    return true;
  }
  int w, h;
  SDL_GetWindowSize(g_main.window, &w, &h);
  rect = {0, 0, w, h};
  return true;
}

bool ClientToScreen(HWND hwnd, POINT& point) {
  if (!IsMain(hwnd)) return false;
  int x, y;
  SDL_GetWindowPosition(g_main.window, &x, &y);
  point.x += x;
  point.y += y;
  return true;
}

bool ScreenToClient(HWND hwnd, POINT& point) {
  if (!IsMain(hwnd)) return false;
  int x, y;
  SDL_GetWindowPosition(g_main.window, &x, &y);
  point.x -= x;
  point.y -= y;
  return true;
}

bool GetCursorPos(POINT& point) {
  if (!g_sdlUp.load()) return false;
  int x = 0, y = 0;
  SDL_GetGlobalMouseState(&x, &y);
  point = {x, y};
  return true;
}

int32_t GetWindowLong(HWND hwnd, int index) {
  if (!IsMain(hwnd) || index != GWL_STYLE) return 0;
  uint32_t style = g_main.style;
  const Uint32 f = SDL_GetWindowFlags(g_main.window);
  if (f & SDL_WINDOW_SHOWN) style |= WS_VISIBLE;
  if (f & SDL_WINDOW_MINIMIZED) style |= WS_MINIMIZE;
  if (f & SDL_WINDOW_MAXIMIZED) style |= WS_MAXIMIZE;
  return static_cast<int32_t>(style);
}

int32_t SetWindowLong(HWND hwnd, int index, int32_t value) {
  if (!IsMain(hwnd) || index != GWL_STYLE) return 0;
  const int32_t old = GetWindowLong(hwnd, index);
  // The client area keeps its size; the outer size follows the new frame.
  g_main.style = static_cast<uint32_t>(value) & ~(WS_VISIBLE | WS_MINIMIZE | WS_MAXIMIZE);
  SDL_SetWindowResizable(g_main.window, (g_main.style & WS_THICKFRAME) ? SDL_TRUE : SDL_FALSE);
  SDL_SetWindowBordered(g_main.window, (g_main.style & WS_CAPTION) ? SDL_TRUE : SDL_FALSE);
  ApplyTrackLimits();
  return old;
}

bool SetWindowText(HWND hwnd, const std::string& textCp932) {
  if (!IsMain(hwnd)) return false;
  SDL_SetWindowTitle(g_main.window, Cp932ToUtf8(textCp932).c_str());
  return true;
}

bool IsZoomed(HWND hwnd) { return IsMain(hwnd) && (SDL_GetWindowFlags(g_main.window) & SDL_WINDOW_MAXIMIZED); }

bool IsIconic(HWND hwnd) { return IsMain(hwnd) && (SDL_GetWindowFlags(g_main.window) & SDL_WINDOW_MINIMIZED); }

bool SetFullScreen(HWND hwnd, bool on) {
  if (!IsMain(hwnd)) return false;
  return SDL_SetWindowFullscreen(g_main.window, on ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0) == 0;
}

bool IsFullScreen(HWND hwnd) {
  return IsMain(hwnd) && (SDL_GetWindowFlags(g_main.window) & SDL_WINDOW_FULLSCREEN_DESKTOP) != 0;
}

void PumpWindowEvents() {
  if (g_sdlUp.load()) DrainEvents(nullptr);
}

void DropQueuedKeys() {
  if (g_sdlUp.load()) {
    g_droppingKeys = true;
    DrainEvents(nullptr);
    g_droppingKeys = false;
  }
  constexpr UINT kKeyFirst = 0x0100, kKeyLast = 0x0109;
  for (MSG m; PeekMessage(&m, nullptr, kKeyFirst, kKeyLast, PM_REMOVE);) {
  }
  SwallowHeldKeys();
}

bool PeekWindowMessage(MSG* msg) {
  PumpWindowEvents();
  return PeekMessage(msg, nullptr, 0, 0, PM_REMOVE);
}

bool WaitWindowMessage(uint32_t timeoutMs) {
  if (!g_sdlUp.load()) return WaitMessage(timeoutMs);
  MSG m;
  PumpWindowEvents();
  if (PeekMessage(&m, nullptr, 0, 0, PM_NOREMOVE)) return true;
  const uint64_t start = SDL_GetTicks64();
  for (;;) {
    const uint64_t elapsed = SDL_GetTicks64() - start;
    if (timeoutMs != UINT32_MAX && elapsed >= timeoutMs) return false;
    // Short slices: a close signal sets only a flag.
    const uint64_t left = timeoutMs == UINT32_MAX ? 50 : timeoutMs - elapsed;
    SDL_Event e;
    const bool got = SDL_WaitEventTimeout(&e, static_cast<int>(std::min<uint64_t>(left, 50))) != 0;
    DrainEvents(got ? &e : nullptr);
    // PM_NOREMOVE also runs the sends that woke us.
    if (PeekMessage(&m, nullptr, 0, 0, PM_NOREMOVE) || got) return true;
  }
}

uint64_t PresentedFrameCount() { return g_presented.load(); }

bool CopyShownFrame(std::vector<uint32_t>& frame) {
  if (!g_main.haveFrame) return false;
  frame = g_main.frame;
  return true;
}

}  // namespace platform
