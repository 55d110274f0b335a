#pragma once
// The window base class: handle, owner and user pointer, the outer size for a
// client size and style, placement, minimum and maximum track sizes, the
// handler dispatch and a small mouse record. Window thread only.
#include <cstdint>
#include <string>

#include "platform/Window.h"

// Mouse position in mouse-area coordinates and the button states and edges.
struct cMouseState {
  int x = 0, y = 0;
  int bLeft = 0, bRight = 0;
  int bLeftPressed = 0, bRightPressed = 0;
  int bLeftReleased = 0, bRightReleased = 0;
  // Flags bit 0: held states; bit 1: pressed edges; bit 2: released edges.
  void Update(unsigned flags);
};
// The previous held states and the pressed latches are program-wide (tests reset them).
void ResetMouseEdgeLatches();

// GDI buffers a window may own. Nothing in this program fills one; they are
// released with their window.
class cGdiBuffer {
 public:
  void Release() {}
};

struct sFrameMetrics {
  int cxTotal = 0, cyTotal = 0;  // horizontal and vertical frame totals
  int left = 0, right = 0, top = 0, bottom = 0;
  int innerCxTotal = 0, innerCyTotal = 0;  // scroll controls and bars inside the client area
  int innerRight = 0, innerTop = 0, innerBottom = 0;
};

class cWnd {
 public:
  using HWND = platform::HWND;
  using UINT = platform::UINT;
  using WPARAM = platform::WPARAM;
  using LPARAM = platform::LPARAM;
  using LRESULT = platform::LRESULT;
  using RECT = platform::RECT;
  using POINT = platform::POINT;

  cWnd();
  virtual ~cWnd();
  cWnd(const cWnd&) = delete;
  cWnd& operator=(const cWnd&) = delete;

  virtual void Hook() {}
  virtual void OnCommand(WPARAM wParam, LPARAM lParam) {}
  virtual void OnMouseMove(WPARAM wParam, LPARAM lParam) {}
  virtual void OnLButtonDown(WPARAM wParam, LPARAM lParam) {}
  virtual void OnRButtonDown(WPARAM wParam, LPARAM lParam) {}
  virtual void OnLButtonDblClk(WPARAM wParam, LPARAM lParam) {}
  virtual void OnRButtonDblClk(WPARAM wParam, LPARAM lParam) {}
  virtual void OnLButtonUp(WPARAM wParam, LPARAM lParam) {}
  virtual void OnRButtonUp(WPARAM wParam, LPARAM lParam) {}
  virtual LRESULT WndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) { return 0; }
  // 1 when handled.
  virtual int Dispatch(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  virtual void Refresh() {}
  virtual void OnPaint() {}
  // The creation hook; a class that wants it puts DispatchWithCreate in Dispatch's place.
  virtual void OnCreate(WPARAM wParam, LPARAM lParam) {}
  int DispatchWithCreate(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

  void Init(int id, HWND owner, void* user);
  void Setup(int w, int h, int minW, int minH, int maxW, int maxH, uint32_t style, int bMenu, int bToolBar,
             int nStatusBar, int reserved, uint32_t scrollBars);
  void CalcFrame();
  void UpdateStyle();
  void AddStyle(uint32_t bits);
  void RemoveStyle(uint32_t bits);
  void GetPos(POINT& point);
  bool GetClientArea(RECT& rect);
  void Move(int x, int y);
  void SetSize(int w, int h);
  void SetPosSize(int x, int y, int w, int h);
  void Place();
  void CenterOnDesktop();
  int GetToolBarHeight();
  int GetStatusBarHeight();
  void OnGetMinMaxInfo(platform::MINMAXINFO* info);
  void EndCommand() { m_bInCommand = 0; }
  int GetMouse(int force, unsigned flags);
  void SetText(const std::string& text);

  static int Width(const RECT& r) { return r.right - r.left; }
  static int Height(const RECT& r) { return r.bottom - r.top; }

  int m_bFromTemplate = 0;
  HWND m_hWnd = nullptr;
  int m_nID = 0;
  HWND m_hOwner = nullptr;
  platform::WNDPROC m_lpfnProc;
  void* m_lpUser = nullptr;
  cGdiBuffer m_Gdi[2];
  int m_nPosX = 0, m_nPosY = 0;
  int m_rcMouse[4] = {0, 0, 0, 0};  // left, top, width, height
  cMouseState m_Mouse;
  RECT m_rcInit{0, 0, 0, 0};
  RECT m_rcClient{0, 0, 0, 0};
  RECT m_rcMin{0, 0, 0, 0};
  RECT m_rcMax{0, 0, 0, 0};
  RECT m_rcWindow{0, 0, 0, 0};
  uint32_t m_dwStyle = 0;
  int m_bMenu = 0;
  int m_bToolBar = 0;
  int m_nStatusBar = 0;
  uint32_t m_dwScrollBars = 0;
  HWND m_hToolBar = nullptr, m_hStatusBar = nullptr;
  sFrameMetrics m_FrameMetrics;
  int m_bInitialized = 0;
  int m_bLaidOut = 0;
  int m_bInCommand = 0;
  std::string m_strName;
  int m_bTrace = 0;
  int m_nInitX = -1000, m_nInitY = -1000;
  cWnd* m_lpParent = nullptr;
  cWnd* m_lpAnchor = nullptr;
  int m_bCenter = 0;

 private:
  void CalcInnerExtras();
};

// The name of a window message for the trace. The table of names is left
// out: every message is written as its number.
std::string GetMessageName(platform::UINT id);
