#include "app/dialogs/BootDlg.h"

#include "app/dialogs/BootData.h"
#include "app/frame/DataGlobals.h"
#include "app/frame/IniSettings.h"
#include "app/frame/MainWnd.h"
#include "base/Log.h"

cBootDlg* BootDlg = nullptr;

using namespace platform;
using dlgmsg::LoWord;

namespace {
// "コントロールID 【%u】 が見つかりません！"
constexpr const char kNoControl[] =
    "\x83R\x83\x93\x83g\x83\x8d\x81[\x83\x8bID \x81y%u\x81z \x82\xaa\x8c\xa9\x82\xc2\x82\xa9\x82\xe8\x82\xdc\x82\xb9"
    "\x82\xf1\x81I";
}  // namespace

cBootDlg::cBootDlg(int templateId, cWnd* owner, int modal, void* user, cBootData* data) : m_lpData(data) {
  Create(templateId, owner, modal, user);
  BootDlg = this;
  m_lpfnProc = [](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
    return BootDlg ? BootDlg->WndProc(h, m, w, l) : 0;
  };
  Setup(0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0);
  // Over the centre of the 640x480 client area.
  POINT main{0, 0};
  if (owner) owner->GetPos(main);
  m_nPosX = main.x + 320 - 187;
  m_nPosY = main.y + 240 - 136;
  m_nInitX = m_nPosX;
  m_nInitY = m_nPosY;
  // The pointer starts over the Start button.
  SetCursorPos(static_cast<int>(m_nPosX + 181.9), static_cast<int>(m_nPosY + 198.9));
  auto* d3d = new cRadioBind();
  auto* dd = new cRadioBind();
  d3d->m_nID = 1002;
  d3d->m_lpValue = &data->m_nDrawMode;
  d3d->m_nValue = 1;
  dd->m_nID = 1003;
  dd->m_lpValue = &data->m_nDrawMode;
  dd->m_nValue = 0;
  m_RadioBinds.push_back(d3d);
  m_RadioBinds.push_back(dd);
  auto* ask = new cCheckBind();
  ask->m_nID = 1004;
  ask->m_lpValue = &data->m_bDoNotAsk;
  m_CheckBinds.push_back(ask);
  auto* text = new cStaticBind();
  text->m_nID = 1005;
  m_StaticBinds.push_back(text);
}

cBootDlg::~cBootDlg() {
  if (m_hWnd) End(0);
  m_Ctrls.clear();
  for (cCheckBind* c : m_CheckBinds) delete c;
  for (cRadioBind* c : m_RadioBinds) delete c;
  for (cStaticBind* c : m_StaticBinds) delete c;
  if (BootDlg == this) BootDlg = nullptr;
}

LRESULT cBootDlg::WndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  return DlgWndProc(hwnd, message, wParam, lParam);
}

void cBootDlg::InitDialog(WPARAM wParam, LPARAM lParam) {
  cDlg::InitDialog(wParam, lParam);
  cDlgWindow* w = Window();
  if (w) w->SetTitle(SystemData.m_Title);
  for (cRadioBind* r : m_RadioBinds) {
    r->Bind(this, r->m_nID, r->m_lpValue, r->m_nValue);
    m_Ctrls.push_back(r);
  }
  for (cCheckBind* c : m_CheckBinds) {
    c->Bind(this, c->m_nID, c->m_lpValue);
    m_Ctrls.push_back(c);
  }
  for (cStaticBind* s : m_StaticBinds) {
    s->Bind(this, s->m_nID);
    m_Ctrls.push_back(s);
  }
  UpdateControls();
  if (IniSettings.English && w) {
    auto set = [w](int id, const char* text) {
      if (cDlgItem* item = w->Item(id)) item->SetText(text);
    };
    set(1006, "Drawing mode");
    set(1000, "Start");
    set(1001, "Cancel");
    if (cDlgItem* item = w->Item(1005)) {
      item->SetText("Configure the detail settings at \"System.ini\".");
    } else {
      DebugErrorBox(kNoControl, 1005u);
      PostMessage(hMainWnd.load(), WM_CLOSE, 0, 0);
    }
    set(1004, "Do not ask this dialog again");
  }
  m_bInitialized = 1;
}

void cBootDlg::OnCommand(WPARAM wParam, LPARAM lParam) {
  if (!cDlg::OnCommand(wParam)) return;
  cDlg::OnControlCommand(wParam, lParam);
  switch (LoWord(wParam)) {
    case 1000:
      UpdateData();
      m_lpData->Save(kBootDataPath);  // a failed save only means the next start asks again
      End(1);
      break;
    case 1001: End(0); break;
    default: break;
  }
}

cCheckBind* cBootDlg::FindCtrl(cVector<cCheckBind*>& binds, int id) {
  for (cCheckBind* c : binds)
    if (c && c->m_nID == id) return c;
  DebugErrorBox(kNoControl, static_cast<unsigned>(id));
  PostMessage(hMainWnd.load(), WM_CLOSE, 0, 0);
  return nullptr;
}
