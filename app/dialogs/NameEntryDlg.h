#pragma once
// The name-entry dialog: up to three characters (a double-byte character
// counts as one) for a ranking name, typed with the input method where
// needed. OK (also Enter) writes the text into the bound name and answers 1;
// closing the window answers 0 and leaves the name as it was.
#include <string>

#include "app/dialogs/DialogTemplates.h"
#include "base/Containers.h"
#include "base/Dlg.h"
#include "base/EditCtrl.h"

class cNameEntryDlg : public cDlg {
 public:
  // templateId 102, owner the main window, modal, the shared window registry;
  // `name` the text to edit (null: the dialog edits nothing).
  cNameEntryDlg(int templateId, cWnd* owner, int modal, void* user, std::string* name);
  ~cNameEntryDlg() override;

  LRESULT WndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override;
  void InitDialog(WPARAM wParam, LPARAM lParam) override;
  void OnCommand(WPARAM wParam, LPARAM lParam) override;

  cVector<EDITPARAM> m_EditParams;
  cVector<cEditCtrl> m_EditBinds;
};

// The live instance (null while none is open).
extern cNameEntryDlg* NameEntryDlg;
