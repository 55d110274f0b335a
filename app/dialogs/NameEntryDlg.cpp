#include "app/dialogs/NameEntryDlg.h"

#include "app/frame/IniSettings.h"
#include "app/frame/SceneDirector.h"

cNameEntryDlg* NameEntryDlg = nullptr;

using namespace platform;
using dlgmsg::LoWord;

cNameEntryDlg::cNameEntryDlg(int templateId, cWnd* owner, int modal, void* user, std::string* name) {
  Create(templateId, owner, modal, user);
  NameEntryDlg = this;
  m_lpfnProc = [](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
    return NameEntryDlg ? NameEntryDlg->WndProc(h, m, w, l) : 0;
  };
  Setup(0, 0, 100, 100, 640, 480, 0, 0, 0, 0, 0, 0);
  POINT at{240, 220};
  if (SceneDirector.m_Startup.m_bWindowed && owner) {
    POINT main{0, 0};
    owner->GetPos(main);
    at.x += main.x;
    at.y += main.y;
  }
  m_nPosX = m_nInitX = at.x;
  m_nPosY = m_nInitY = at.y;
  SetCursorPos(at.x + 80, at.y + 65);  // onto the dialog
  if (name) {
    EDITPARAM p;
    p.id = 1003;
    p.text = name;
    p.maxChars = 4;  // bytes of the text, less one: up to 3 single-byte characters
    p.maxLineLen = 3;
    p.maxLines = 1;
    p.sjis = 1;
    m_EditParams.push_back(p);
  }
}

cNameEntryDlg::~cNameEntryDlg() {
  if (m_hWnd) End(0);
  m_Ctrls.clear();
  if (NameEntryDlg == this) NameEntryDlg = nullptr;
}

LRESULT cNameEntryDlg::WndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  return DlgWndProc(hwnd, message, wParam, lParam);
}

void cNameEntryDlg::InitDialog(WPARAM wParam, LPARAM lParam) {
  cDlg::InitDialog(wParam, lParam);
  // The bindings live in a vector sized once, so their addresses stay put.
  m_EditBinds.assign(m_EditParams.size(), cEditCtrl());
  for (size_t i = 0; i < m_EditParams.size(); ++i) {
    m_EditBinds[i].Bind(this, m_EditParams[i]);
    m_Ctrls.push_back(&m_EditBinds[i]);
  }
  UpdateControls();
  cDlgWindow* w = Window();
  if (w && !m_EditBinds.empty() && m_EditBinds[0].m_hWnd) {
    w->SetFocus(m_EditBinds[0].m_hWnd);
    m_EditBinds[0].m_hWnd->SetSel(0, -1);
  }
  if (IniSettings.English && w)
    if (cDlgItem* label = w->Item(1007)) label->SetText("     Name");
  m_bInitialized = 1;
}

void cNameEntryDlg::OnCommand(WPARAM wParam, LPARAM lParam) {
  if (!cDlg::OnCommand(wParam)) return;
  cDlg::OnControlCommand(wParam, lParam);
  switch (LoWord(wParam)) {
    case 1000:
      UpdateData();
      End(1);
      break;
    case 1001: End(0); break;
    default: break;
  }
}
