#pragma once
// Control bindings: each ties one dialog item to program data. The dialog
// keeps pointers to them in binding order; the dialog class owns them.
#include <cstdint>
#include <string>

#include "base/DlgWindow.h"

class cDlg;

class cCtrl {
 public:
  using WPARAM = platform::WPARAM;
  using LPARAM = platform::LPARAM;
  using HWND = platform::HWND;

  explicit cCtrl(int kind = 0) : m_nKind(kind) {}
  virtual ~cCtrl() = default;

  virtual void Enable(bool on);
  // Program data -> control.
  virtual void ToControl() {}
  // Control -> program data.
  virtual void FromControl() {}
  virtual void OnChange() {}
  // Non-zero when handled.
  virtual int OnNotify(WPARAM wParam, LPARAM lParam) { return 0; }
  virtual int OnScroll(WPARAM wParam, LPARAM lParam) { return 0; }
  virtual void Unused() {}
  virtual void Redraw() {}
  virtual void OnKillFocus() {}
  virtual void AfterCommand() {}
  virtual void OnKeyDown(int key, LPARAM lParam, int ctrlHeld) {}

  void Bind(cDlg* dlg, int id);
  void UpdatePos();
  void MoveSize(int cx, int cy);

  cDlgItem* m_hWnd = nullptr;  // the control window
  cDlg* m_lpDlg = nullptr;
  HWND m_hDlg = nullptr;
  int m_nKind = 0;
  uint16_t m_nID = 0;
  int m_nX = 0, m_nY = 0;        // top-left corner on the frame
  int m_nOffX = 0, m_nOffY = 0;  // the same relative to the dialog's client area
  int m_bBusy = 0;
};

// Static text (kind 0): no data.
class cStaticBind : public cCtrl {
 public:
  cStaticBind() : cCtrl(0) {}
};

// Drawing area (kind 4); no dialog of this program binds one.
class cViewCtrl : public cCtrl {
 public:
  cViewCtrl() : cCtrl(4) {}
};

// Check box (kind 5) bound to an int.
class cCheckBind : public cCtrl {
 public:
  cCheckBind() : cCtrl(5) {}
  void Bind(cDlg* dlg, int id, int32_t* value);
  void ToControl() override;
  void FromControl() override;
  int32_t* m_lpValue = nullptr;
};

// Radio button (kind 6): checked while the bound int holds its own value.
class cRadioBind : public cCtrl {
 public:
  cRadioBind() : cCtrl(6) {}
  void Bind(cDlg* dlg, int id, int32_t* value, int32_t own);
  void ToControl() override;
  void FromControl() override;
  int32_t* m_lpValue = nullptr;
  int32_t m_nValue = 0;
};

struct SCROLLPARAM {
  uint16_t id = 0;
  platform::HWND* target = nullptr;
  int bar = 0;
  int minimum = 0, maximum = 0, page = 0;
  int redraw = 0;
};

// Scroll bar (kind 11). Our dialogs have none; the binding keeps its range.
class cScrollCtrl : public cCtrl {
 public:
  cScrollCtrl() : cCtrl(11) {}
  void Bind(cDlg* dlg, const SCROLLPARAM& param);
  platform::HWND* m_lphTarget = nullptr;
  int m_nBar = 0;
  int m_nMin = 0, m_nMax = 0, m_nPage = 0;
  int m_bRedraw = 0;
  SCROLLPARAM m_Param;
};
