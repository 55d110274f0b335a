#include "base/Wnd.h"

#include <atomic>

#include "base/Log.h"
#include "platform/Keyboard.h"

using namespace platform;

namespace {
// Shared by every window, as they always were.
int g_prevLeft = 0, g_prevRight = 0;
int g_latchLeft = 0, g_latchRight = 0;

void Edge(bool down, int& latch, int& pressed) {
  if (down && !latch) {
    latch = 1;
    pressed = 1;
  } else {
    if (!down) latch = 0;
    pressed = 0;
  }
}
}  // namespace

void ResetMouseEdgeLatches() { g_prevLeft = g_prevRight = g_latchLeft = g_latchRight = 0; }

void cMouseState::Update(unsigned flags) {
  const bool left = (GetAsyncKeyState(VK_LBUTTON) & 0x8000) != 0;
  const bool right = (GetAsyncKeyState(VK_RBUTTON) & 0x8000) != 0;
  g_prevLeft = bLeft;
  g_prevRight = bRight;
  if (flags & 1) {
    bLeft = left;
    bRight = right;
  }
  if (flags & 2) {
    Edge(left, g_latchLeft, bLeftPressed);
    Edge(right, g_latchRight, bRightPressed);
  }
  if (flags & 4) {
    bLeftReleased = g_prevLeft == 1 && bLeft == 0;
    bRightReleased = g_prevRight == 1 && bRight == 0;
  }
}

cWnd::cWnd() = default;

cWnd::~cWnd() {
  m_Gdi[0].Release();
  m_Gdi[1].Release();
}

void cWnd::Init(int id, HWND owner, void* user) {
  m_nID = id & 0xFFFF;
  m_hOwner = owner;
  m_lpUser = user;
}

void cWnd::CalcInnerExtras() {
  sFrameMetrics& f = m_FrameMetrics;
  f.innerRight = f.innerTop = f.innerBottom = 0;
  if (m_dwScrollBars & 1) f.innerBottom += GetSystemMetrics(SM_CYHSCROLL);
  if (m_dwScrollBars & 2) f.innerRight += GetSystemMetrics(SM_CXVSCROLL);
  if (m_nStatusBar == 1) f.innerBottom += GetStatusBarHeight();
  if (m_bToolBar) f.innerTop += GetToolBarHeight();
  f.innerCxTotal = f.innerRight;
  f.innerCyTotal = f.innerTop + f.innerBottom;
}

void cWnd::Setup(int w, int h, int minW, int minH, int maxW, int maxH, uint32_t style, int bMenu, int bToolBar,
                 int nStatusBar, int reserved, uint32_t scrollBars) {
  (void)reserved;
  m_rcClient = m_rcInit = {0, 0, w, h};
  m_rcMin = {0, 0, minW, minH};
  m_rcMax = {0, 0, maxW, maxH};
  m_dwStyle = style;
  m_bMenu = bMenu;
  m_bToolBar = bToolBar;
  m_nStatusBar = nStatusBar;
  m_dwScrollBars = scrollBars;
  CalcInnerExtras();
  m_rcMouse[0] = 0;
  m_rcMouse[1] = GetToolBarHeight();
  if (!m_bFromTemplate) CalcFrame();
}

void cWnd::CalcFrame() {
  m_rcWindow = m_rcClient;
  m_FrameMetrics = sFrameMetrics{};
  sFrameMetrics& f = m_FrameMetrics;
  if (m_dwStyle & WS_CAPTION) f.top += GetSystemMetrics(SM_CYCAPTION);
  if (m_dwStyle & WS_THICKFRAME) {
    f.left += GetSystemMetrics(SM_CXFRAME);
    f.right += GetSystemMetrics(SM_CXFRAME);
    f.top += GetSystemMetrics(SM_CYFRAME);
    f.bottom += GetSystemMetrics(SM_CYFRAME);
  } else if (m_dwStyle & WS_DLGFRAME) {
    f.left += GetSystemMetrics(SM_CXDLGFRAME);
    f.right += GetSystemMetrics(SM_CXDLGFRAME);
    f.top += GetSystemMetrics(SM_CYDLGFRAME);
    f.bottom += GetSystemMetrics(SM_CYDLGFRAME);
  }
  if (m_dwStyle & WS_HSCROLL) f.bottom += GetSystemMetrics(SM_CYHSCROLL);
  if (m_dwStyle & WS_VSCROLL) f.right += GetSystemMetrics(SM_CXVSCROLL);
  CalcInnerExtras();
  if (m_bMenu) {
    if (!m_bFromTemplate) {
      f.top += GetSystemMetrics(SM_CYMENU);
    } else {
      RECT window{0, 0, 0, 0}, client{0, 0, 0, 0};
      GetWindowRect(m_hWnd, window);
      GetClientRect(m_hWnd, client);
      int menu = (Height(window) - Height(client)) - GetSystemMetrics(SM_CYCAPTION);
      if (m_dwStyle & WS_THICKFRAME) menu -= 2 * GetSystemMetrics(SM_CXFRAME);
      else if (m_dwStyle & WS_DLGFRAME) menu -= 2 * GetSystemMetrics(SM_CXDLGFRAME);
      f.top += menu;
    }
  }
  f.cxTotal = f.left + f.right;
  f.cyTotal = f.top + f.bottom;
  m_rcWindow = {0, 0, Width(m_rcClient) + f.cxTotal, Height(m_rcClient) + f.cyTotal};
  m_rcMouse[0] = 0;
  m_rcMouse[1] = GetToolBarHeight();
  m_rcMouse[2] = Width(m_rcClient) - f.innerCxTotal;
  m_rcMouse[3] = Height(m_rcClient) - f.innerCyTotal;
}

void cWnd::UpdateStyle() {
  m_dwStyle = static_cast<uint32_t>(GetWindowLong(m_hWnd, GWL_STYLE));
  RECT client;
  if (GetClientRect(m_hWnd, client)) m_rcClient = client;
  CalcFrame();
}

void cWnd::AddStyle(uint32_t bits) {
  SetWindowLong(m_hWnd, GWL_STYLE, static_cast<int32_t>(static_cast<uint32_t>(GetWindowLong(m_hWnd, GWL_STYLE)) | bits));
  UpdateStyle();
}

void cWnd::RemoveStyle(uint32_t bits) {
  SetWindowLong(m_hWnd, GWL_STYLE, static_cast<int32_t>(static_cast<uint32_t>(GetWindowLong(m_hWnd, GWL_STYLE)) & ~bits));
  UpdateStyle();
}

void cWnd::GetPos(POINT& point) {
  RECT r;
  if (GetWindowRect(m_hWnd, r)) point = {r.left, r.top};
  else point = {m_nPosX, m_nPosY};
}

bool cWnd::GetClientArea(RECT& rect) { return m_hWnd && GetClientRect(m_hWnd, rect); }

void cWnd::Move(int x, int y) {
  SetWindowPos(m_hWnd, x, y, Width(m_rcWindow), Height(m_rcWindow));
  m_nPosX = x;
  m_nPosY = y;
  CalcFrame();
}

void cWnd::SetSize(int w, int h) {
  POINT p;
  GetPos(p);
  SetPosSize(p.x, p.y, w, h);
}

void cWnd::SetPosSize(int x, int y, int w, int h) {
  const sFrameMetrics& f = m_FrameMetrics;
  m_rcClient = {0, 0, w + f.innerCxTotal, h + f.innerCyTotal};
  SetWindowPos(m_hWnd, x, y, Width(m_rcClient) + f.cxTotal, Height(m_rcClient) + f.cyTotal);
  CalcFrame();
}

void cWnd::Place() {
  int x, y;
  auto clientOf = [](cWnd* w) {
    RECT r;
    if (!w->GetClientArea(r)) r = w->m_rcClient;
    return r;
  };
  auto cornerOf = [](cWnd* w) {
    POINT p;
    w->GetPos(p);
    return p;
  };
  cWnd* base = m_lpAnchor ? m_lpAnchor : m_lpParent;
  if (base) {
    POINT p = cornerOf(base);
    x = p.x;
    y = p.y;
    if (m_bCenter) {
      const RECT theirs = clientOf(base), mine = clientOf(this);
      x += Width(theirs) / 2 - Width(mine) / 2;
      y += Height(theirs) / 2 - Height(mine) / 2;
    }
  } else {
    if (m_nInitX == -1000 || m_nInitY == -1000) return;
    x = m_nInitX;
    y = m_nInitY;
  }
  RECT work;
  GetWorkArea(work);
  if (x < 0) x = 0;
  else if (x + Width(m_rcWindow) >= work.right) x = work.right - Width(m_rcWindow);
  if (y < 0) y = 0;
  else if (y + Height(m_rcWindow) >= work.bottom) y = work.bottom - Height(m_rcWindow);
  if (!base) {
    m_nInitX = x;
    m_nInitY = y;
  }
  Move(x, y);
}

void cWnd::CenterOnDesktop() {
  RECT desk, win;
  GetDesktopRect(desk);
  if (!GetWindowRect(m_hWnd, win)) win = m_rcWindow;
  Move((desk.right - Width(win)) / 2, (desk.bottom - Height(win)) / 2);
}

int cWnd::GetToolBarHeight() {
  RECT r;
  return m_hToolBar && GetWindowRect(m_hToolBar, r) ? Height(r) : 0;
}

int cWnd::GetStatusBarHeight() {
  RECT r;
  return m_hStatusBar && GetWindowRect(m_hStatusBar, r) ? Height(r) : 0;
}

void cWnd::OnGetMinMaxInfo(MINMAXINFO* info) {
  if (!info) return;
  const sFrameMetrics& f = m_FrameMetrics;
  info->ptMinTrackSize = {Width(m_rcMin) + f.cxTotal + f.innerCxTotal, Height(m_rcMin) + f.cyTotal + f.innerCyTotal};
  info->ptMaxTrackSize = {Width(m_rcMax) + f.cxTotal + f.innerCxTotal, Height(m_rcMax) + f.cyTotal + f.innerCyTotal};
}

int cWnd::GetMouse(int force, unsigned flags) {
  POINT p{0, 0};
  // "GetCursorPos失敗！"
  if (!GetCursorPos(p)) WriteDebugLog("%s", "GetCursorPos\x8e\xb8\x94\x73\x81\x49");
  ScreenToClient(m_hWnd, p);
  p.x -= m_rcMouse[0];
  p.y -= GetToolBarHeight();
  if (!force && (p.x < 0 || p.x >= m_rcMouse[2] || p.y < 0 || p.y >= m_rcMouse[3])) return 0;
  m_Mouse.x = p.x;
  m_Mouse.y = p.y;
  m_Mouse.Update(flags);
  return 1;
}

void cWnd::SetText(const std::string& text) { SetWindowText(m_hWnd, text); }

int cWnd::Dispatch(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  m_hWnd = hwnd;
  if (message == WM_COMMAND) {
    // A command sent from inside a command handler is dropped.
    if (m_bInCommand) return 0;
    m_bInCommand = 1;
  }
  if (m_bTrace && message != WM_GETTEXT) {
    const auto w = static_cast<uint32_t>(wParam);
    const auto l = static_cast<int32_t>(lParam);
    WriteDebugLog("%s | msg:%s | wp:%u(%u,%u) | lp:%d(%d,%d)", m_strName.c_str(), GetMessageName(message).c_str(), w,
                  (w >> 16) & 0xFFFF, w & 0xFFFF, l, (static_cast<uint32_t>(l) >> 16) & 0xFFFF,
                  static_cast<uint32_t>(l) & 0xFFFF);
  }
  if (!m_bLaidOut && (!m_bToolBar || m_hToolBar) && (m_nStatusBar != 1 || m_hStatusBar)) {
    m_bLaidOut = 1;
    if (m_bToolBar || m_nStatusBar == 1) {
      CalcFrame();
      Move(m_nPosX, m_nPosY);
      if (Width(m_rcInit) != 0) SetSize(Width(m_rcInit), Height(m_rcInit));
    }
  }
  GetMouse(0, 7);
  switch (message) {
    case WM_DESTROY:
      m_hWnd = nullptr;
      return 1;
    case WM_MOVE: {
      POINT p;
      GetPos(p);
      m_nPosX = p.x;
      m_nPosY = p.y;
      return 1;
    }
    case WM_SIZE: {
      UpdateStyle();
      if (m_hToolBar) SendMessage(m_hToolBar, WM_SIZE, wParam, lParam);
      if (m_hStatusBar) {
        const int h = GetStatusBarHeight();
        SetWindowPos(m_hStatusBar, 0, Height(m_rcClient) - h, m_rcMouse[2], h);
        SendMessage(m_hStatusBar, WM_SIZE, wParam, lParam);
      }
      return 1;
    }
    case WM_ACTIVATEAPP:
      return 1;
    case WM_PAINT:
      OnPaint();
      return 1;
    case WM_GETMINMAXINFO:
      OnGetMinMaxInfo(reinterpret_cast<MINMAXINFO*>(lParam));
      return 1;
    case WM_COMMAND:
      OnCommand(wParam, lParam);
      EndCommand();
      return 1;
    case WM_MOUSEMOVE: OnMouseMove(wParam, lParam); return 1;
    case WM_LBUTTONDOWN: OnLButtonDown(wParam, lParam); return 1;
    case WM_RBUTTONDOWN: OnRButtonDown(wParam, lParam); return 1;
    case WM_LBUTTONDBLCLK: OnLButtonDblClk(wParam, lParam); return 1;
    case WM_RBUTTONDBLCLK: OnRButtonDblClk(wParam, lParam); return 1;
    case WM_LBUTTONUP: OnLButtonUp(wParam, lParam); return 1;
    case WM_RBUTTONUP: OnRButtonUp(wParam, lParam); return 1;
    default:
      return 0;
  }
}

int cWnd::DispatchWithCreate(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  const int handled = cWnd::Dispatch(hwnd, message, wParam, lParam);
  if (message == WM_CREATE) OnCreate(wParam, lParam);
  return handled;
}

std::string GetMessageName(platform::UINT id) { return std::to_string(id); }
