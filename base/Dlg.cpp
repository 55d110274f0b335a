#include "base/Dlg.h"

#include <map>

#include "base/Log.h"
#include "platform/Keyboard.h"

using namespace platform;
using namespace dlgmsg;

namespace {

// The one hook of the program and the Ctrl state it sees; window thread only.
bool g_hookInstalled = false;
bool g_ctrlDown = false;
// The "cHook" window property: which binding serves a dialog window.
std::map<HWND, cHook*> g_hookProps;

bool IsSpecialKey(int vk) {
  return vk == VK_SPACE || vk == VK_LEFT || vk == VK_UP || vk == VK_RIGHT || vk == VK_DOWN || vk == VK_DELETE ||
         (vk >= VK_F1 && vk <= VK_F1 + 7);
}

}  // namespace

// ---------------------------------------------------------------- hook

bool cHook::Install(HWND dlg, int bCtrlBlocks) {
  m_hWnd = dlg;
  m_bCtrlBlocks = bCtrlBlocks;
  g_hookProps[dlg] = this;
  g_hookInstalled = true;  // keys reach the modal loop of our own dialogs, so this cannot fail
  return true;
}

LRESULT cHook::HookProc(int code, WPARAM wParam, LPARAM lParam) {
  if (code < 0 || code == 3 || !g_hookInstalled) return 0;
  cDlgWindow* active = cDlgWindow::Active();
  if (!active) return 0;
  auto it = g_hookProps.find(active->Handle());
  if (it == g_hookProps.end() || !it->second || it->second->m_hWnd != active->Handle()) return 0;
  const cHook& hook = *it->second;
  const HWND dlg = hook.m_hWnd;
  const int vk = static_cast<int>(wParam);

  if (static_cast<uint32_t>(lParam) & 0x80000000u) {
    if (vk == VK_CONTROL) g_ctrlDown = false;
    if (!(hook.m_bCtrlBlocks && g_ctrlDown)) PostMessage(dlg, WM_KEYUP, wParam, lParam);
    return 0;
  }
  if (vk == VK_RETURN) {
    // Enter during a composition belongs to the input method.
    if (active->IsComposing()) return 0;
  } else if (vk == VK_TAB) {
    return 0;
  } else {
    if (!active->IsComposing() && IsSpecialKey(vk)) {
      PostMessage(dlg, WM_HOOKKEY, wParam, lParam);
      return 0;
    }
    if (vk == VK_CONTROL) g_ctrlDown = true;
  }
  if (!(hook.m_bCtrlBlocks && g_ctrlDown)) PostMessage(dlg, WM_KEYDOWN, wParam, lParam);
  return 0;
}

void cHook::UnhookAll() {
  g_hookInstalled = false;
  g_hookProps.clear();
  g_ctrlDown = false;
}

bool cHook::IsInstalled() { return g_hookInstalled; }
bool cHook::IsCtrlDown() { return g_ctrlDown; }

// ---------------------------------------------------------------- window list

void cWndList::ShowAll(int show) {
  for (cWnd* w : m_Wnds)
    if (w && w->m_hWnd) ShowWindow(w->m_hWnd, show ? SW_SHOW : SW_HIDE);
  for (const sWndRecord& r : m_Records)
    if (r.hWnd) ShowWindow(r.hWnd, show ? SW_SHOW : SW_HIDE);
}

void cWndList::EnableAll(int enable) {
  constexpr uint32_t kDisabled = 0x08000000u;  // WS_DISABLED
  for (cWnd* w : m_Wnds) {
    if (!w) continue;
    if (enable) w->RemoveStyle(kDisabled);
    else w->AddStyle(kDisabled);
  }
  for (const sWndRecord& r : m_Records) {
    if (!r.hWnd) continue;
    const auto style = static_cast<uint32_t>(GetWindowLong(r.hWnd, GWL_STYLE));
    SetWindowLong(r.hWnd, GWL_STYLE, static_cast<int32_t>(enable ? style & ~kDisabled : style | kDisabled));
  }
}

// ---------------------------------------------------------------- dialog

cDlg::cDlg() { m_bFromTemplate = 1; }

cDlg::~cDlg() { m_Ctrls.clear(); }

void cDlg::Create(int templateId, cWnd* owner, int bFromTemplate, void* user) {
  m_bFromTemplate = bFromTemplate;
  m_bInitialized = 0;
  m_dwModalFlags = 0;
  m_bUpdating = 0;
  Init(templateId, owner, user);
}

void cDlg::Init(int id, cWnd* owner, void* user) {
  m_hOwner = owner ? owner->m_hWnd : nullptr;
  m_lpOwner = owner;
  m_lpfnDlgProc = nullptr;
  cWnd::Init(id, m_hOwner, user);
}

intptr_t cDlg::DoModal(uint32_t flags) {
  if (m_hWnd) return 0;
  if (cDlgWindow::Active()) {
    // One dialog at a time is drawn over the game.
    WriteLog("%s", "Dialog : DoModal while another dialog is open");
    return 0;
  }
  End(0);
  m_dwModalFlags = flags;
  auto* list = static_cast<cWndList*>(m_lpUser);
  if (list && (flags & 2)) list->ShowAll(0);
  if (list && (flags & 4)) list->EnableAll(0);

  intptr_t result = -1;
  if (const sDlgTemplate* tpl = FindDialogTemplate(m_nID)) {
    WNDPROC proc = m_lpfnProc;
    if (!proc) proc = [this](HWND h, UINT m, WPARAM w, LPARAM l) { return WndProc(h, m, w, l); };
    if (m_lpOwner && m_lpOwner->m_hWnd) m_hOwner = m_lpOwner->m_hWnd;
    result = RunDialogBox(*tpl, m_hOwner, proc, 0);
  } else {
    WriteLog("Dialog : no template %d", m_nID);
  }

  m_hWnd = nullptr;
  RestoreWindows();
  return result;
}

int cDlg::End(intptr_t result) {
  m_nResult = result;
  m_Ctrls.clear();
  if (m_hWnd) return EndDialog(m_hWnd, result) ? 1 : 0;
  return 0;
}

void cDlg::RestoreWindows() {
  auto* list = static_cast<cWndList*>(m_lpUser);
  if (!list) return;
  if (m_dwModalFlags & 2) list->ShowAll(1);
  if (m_dwModalFlags & 4) list->EnableAll(1);
}

void cDlg::OnControlCommand(WPARAM wParam, LPARAM lParam) {
  const int id = LoWord(wParam), code = HiWord(wParam);
  for (int i = 0; static_cast<size_t>(i) < m_Ctrls.size(); ++i) {
    cCtrl* c = m_Ctrls.At(i);
    if (!c || c->m_nID != id) continue;
    const int kind = c->m_nKind;
    bool matched = true;
    if ((kind == 2 || kind == 3) && code == EN_UPDATE) c->OnChange();
    else if ((kind == 2 || kind == 3) && code == EN_KILLFOCUS) c->OnKillFocus();
    else if (kind == 7 && code == 1) c->OnChange();
    else if (kind == 8 && code == 1) c->OnChange();
    else if (kind == 8 && code == 5) c->OnKillFocus();
    else matched = false;
    if (matched) break;
  }
  for (int i = 0; static_cast<size_t>(i) < m_Ctrls.size(); ++i) {
    cCtrl* c = m_Ctrls.At(i);
    if (c && c->m_nKind == 8) c->AfterCommand();
  }
}

void cDlg::UpdateControls() {
  m_bUpdating = 1;
  for (int i = 0; static_cast<size_t>(i) < m_Ctrls.size(); ++i)
    if (cCtrl* c = m_Ctrls.At(i)) c->ToControl();
  m_bUpdating = 0;
}

void cDlg::UpdateData() {
  for (int i = 0; static_cast<size_t>(i) < m_Ctrls.size(); ++i)
    if (cCtrl* c = m_Ctrls.At(i)) c->FromControl();
}

void cDlg::Refresh() {
  for (int i = 0; static_cast<size_t>(i) < m_Ctrls.size(); ++i) {
    cCtrl* c = m_Ctrls.At(i);
    if (c && c->m_nKind == 8) c->Redraw();
  }
}

void cDlg::InitDialog(WPARAM wParam, LPARAM lParam) {
  m_Ctrls.clear();
  if (!m_lpfnDlgProc) m_lpfnDlgProc = m_lpfnProc ? m_lpfnProc : WNDPROC([](HWND, UINT, WPARAM, LPARAM) { return LRESULT{0}; });
  // The live style and client size are the template's.
  if (cDlgWindow* w = Window()) {
    m_dwStyle = WS_POPUP | (w->HasCaption() ? WS_CAPTION : 0) | WS_DLGFRAME;
    m_rcClient = {0, 0, w->ClientWidth(), w->ClientHeight()};
    CalcFrame();
  }
  if (m_dwScrollBars & 1) {
    SCROLLPARAM p;
    p.bar = SB_HORZ;
    m_HScroll.Bind(this, p);
    m_Ctrls.push_back(&m_HScroll);
  }
  if (m_dwScrollBars & 2) {
    SCROLLPARAM p;
    p.bar = SB_VERT;
    m_VScroll.Bind(this, p);
    m_Ctrls.push_back(&m_VScroll);
  }
  Place();
  if (cDlgWindow* w = Window(); w && m_nInitX != -1000 && m_nInitY != -1000) {
    // Screen positions are meant relative to the main window's client area,
    // where the dialog is drawn.
    POINT origin{0, 0};
    HWND main = GetMainWindow();
    if (!main || !ClientToScreen(main, origin)) origin = {0, 0};
    w->MoveTo(m_nPosX - origin.x, m_nPosY - origin.y);
  }
  if (!m_Hook.Install(m_hWnd, 0)) ErrorBox("%s", "KeyboardHook\x82\xc9\x8e\xb8\x94\x73!");  // "KeyboardHookに失敗!"
  GetMouse(0, 7);
  if (Width(m_rcInit) != 0) SetSize(Width(m_rcInit), Height(m_rcInit));
}

int cDlg::Dispatch(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  const int r = cWnd::Dispatch(hwnd, message, wParam, lParam);
  if (m_bInitialized && m_View.m_hWnd) {
    cDlgWindow* w = Window();
    if (w && (w->Focus() == m_VScroll.m_hWnd || w->Focus() == m_HScroll.m_hWnd) && w->Focus())
      w->SetFocus(m_View.m_hWnd);
  }
  switch (message) {
    case WM_DESTROY:
      RestoreWindows();
      break;
    case WM_NOTIFY:
      for (int i = 0; static_cast<size_t>(i) < m_Ctrls.size(); ++i)
        if (cCtrl* c = m_Ctrls.At(i); c && c->OnNotify(wParam, lParam)) break;
      break;
    case WM_KEYDOWN: {
      struct ScrollKey {
        int vk;
        UINT msg;
        int code;
      };
      static constexpr ScrollKey kKeys[] = {
          {VK_PRIOR, WM_VSCROLL, SB_PAGEUP}, {VK_NEXT, WM_VSCROLL, SB_PAGEDOWN}, {VK_END, WM_HSCROLL, SB_PAGEDOWN},
          {VK_HOME, WM_HSCROLL, SB_PAGEUP},  {VK_LEFT, WM_HSCROLL, SB_LINEUP},   {VK_UP, WM_VSCROLL, SB_LINEUP},
          {VK_RIGHT, WM_HSCROLL, SB_LINEDOWN}, {VK_DOWN, WM_VSCROLL, SB_LINEDOWN}};
      for (const ScrollKey& k : kKeys) {
        if (static_cast<int>(wParam) != k.vk) continue;
        cDlgItem* bar = k.msg == WM_VSCROLL ? m_VScroll.m_hWnd : m_HScroll.m_hWnd;
        PostMessage(hwnd, k.msg, static_cast<WPARAM>(k.code), reinterpret_cast<LPARAM>(bar));
      }
      for (int i = 0; static_cast<size_t>(i) < m_Ctrls.size(); ++i)
        if (cCtrl* c = m_Ctrls.At(i)) c->OnKeyDown(static_cast<int>(wParam), lParam, cHook::IsCtrlDown() ? 1 : 0);
      break;
    }
    case WM_INITDIALOG:
      InitDialog(wParam, lParam);
      break;
    case WM_HSCROLL:
    case WM_VSCROLL: {
      // Our dialogs have no scroll-bar windows of their own, so there is no
      // position to step; the controls still see the message.
      for (int i = 0; static_cast<size_t>(i) < m_Ctrls.size(); ++i)
        if (cCtrl* c = m_Ctrls.At(i); c && c->OnScroll(wParam, lParam)) break;
      break;
    }
    case WM_HOOKKEY:
      SendMessage(hwnd, WM_KEYDOWN, wParam, lParam);
      break;
    default:
      break;
  }
  return r;
}

LRESULT cDlg::DlgWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  const int r = Dispatch(hwnd, message, wParam, lParam);
  if (message == WM_DESTROY) return 1;
  if (message == WM_CLOSE) {
    End(0);
    return 1;
  }
  return r ? 1 : 0;
}
