#pragma once
// The modal dialog class on top of cWnd, the keyboard hook that copies keys
// to the active dialog, and the window list every window gets as its user
// pointer. Window thread only.
#include <cstdint>
#include <vector>

#include "base/Containers.h"
#include "base/Ctrl.h"
#include "base/DlgWindow.h"
#include "base/Wnd.h"

// Copies key strokes to the active dialog, leaving the input method's
// composition alone. One hook serves every dialog of the program.
class cHook {
 public:
  using HWND = platform::HWND;
  using WPARAM = platform::WPARAM;
  using LPARAM = platform::LPARAM;
  using LRESULT = platform::LRESULT;

  virtual ~cHook() = default;
  bool Install(HWND dlg, int bCtrlBlocks);
  // code: below 0 or 3 (no removal) passes the key on untouched; wParam is the
  // key, lParam the key data (bit 31: released).
  static LRESULT HookProc(int code, WPARAM wParam, LPARAM lParam);
  static void UnhookAll();
  static bool IsInstalled();
  static bool IsCtrlDown();

  HWND m_hWnd = nullptr;
  int m_bCtrlBlocks = 0;
};

struct sWndRecord {
  platform::HWND hWnd = nullptr;
};

// Windows to hide or disable while a dialog runs with flags 2 or 4. The
// program adds none.
class cWndList {
 public:
  void ShowAll(int show);
  void EnableAll(int enable);
  cList<cWnd*> m_Wnds;
  cList<sWndRecord> m_Records;
};

class cDlg : public cWnd {
 public:
  cDlg();
  ~cDlg() override;

  void Create(int templateId, cWnd* owner, int bFromTemplate, void* user);
  void Init(int id, cWnd* owner, void* user);
  // The dialog result; 0 while this or another dialog is open.
  intptr_t DoModal(uint32_t flags);
  int End(intptr_t result);
  // The first step of every derived command handler: 1 (go on).
  int OnCommand(WPARAM wParam) { return 1; }
  void OnCommand(WPARAM wParam, LPARAM lParam) override { OnControlCommand(wParam, lParam); }
  void OnControlCommand(WPARAM wParam, LPARAM lParam);
  void UpdateControls();
  void UpdateData();
  void Refresh() override;
  int Dispatch(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override;
  LRESULT DlgWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  // WM_INITDIALOG; a derived dialog calls this first from its own.
  virtual void InitDialog(WPARAM wParam, LPARAM lParam);
  void RestoreWindows();

  // The live dialog window (null while closed).
  cDlgWindow* Window() const { return cDlgWindow::Find(m_hWnd); }

  uint32_t m_dwModalFlags = 0;
  platform::WNDPROC m_lpfnDlgProc;
  intptr_t m_nResult = 0;
  cHook m_Hook;
  cWnd* m_lpOwner = nullptr;
  cViewCtrl m_View;
  cScrollCtrl m_HScroll, m_VScroll;
  int m_bUpdating = 0;
  cVector<cCtrl*> m_Ctrls;
};
