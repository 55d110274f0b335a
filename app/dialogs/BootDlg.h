#pragma once
// The launch dialog: Direct3D or DirectDraw, and whether to ask again. Start
// saves the choice to "user_data\Boot.dat" and answers 1; Cancel answers 0.
#include <cstdint>

#include "base/Containers.h"
#include "base/Dlg.h"

class cBootData;

class cBootDlg : public cDlg {
 public:
  // templateId 103, owner the main window, modal flag 1, the shared window
  // registry; `data` is the record the controls are bound to.
  cBootDlg(int templateId, cWnd* owner, int modal, void* user, cBootData* data);
  ~cBootDlg() override;

  LRESULT WndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override;
  void OnCommand(WPARAM wParam, LPARAM lParam) override;
  void InitDialog(WPARAM wParam, LPARAM lParam) override;

  // The check binding with the id, or null (reported through the debug box).
  cCheckBind* FindCtrl(cVector<cCheckBind*>& binds, int id);

  cVector<cCheckBind*> m_CheckBinds;
  cVector<cRadioBind*> m_RadioBinds;
  cVector<cStaticBind*> m_StaticBinds;
  cBootData* m_lpData;
};

// The live instance (null while none is open).
extern cBootDlg* BootDlg;
