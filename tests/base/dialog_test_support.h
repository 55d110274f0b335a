#pragma once
// Dialogs shaped like the program's own (name entry, launch) and a harness
// that runs one modally on the test thread with a script of synthetic input
// posted to an owner window, as the window pump would post it.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "base/Dlg.h"
#include "base/EditCtrl.h"
#include "platform/Keyboard.h"
#include "platform/Messages.h"
#include "platform/TextInput.h"

namespace dlgtest {

using namespace platform;
using namespace dlgmsg;

constexpr int kNameTemplate = 102, kBootTemplate = 103;
constexpr int kOk = 1000, kCancel = 1001;

inline sDlgItemTemplate It(int id, eDlgItemKind kind, const std::string& text, int x, int y, int cx, int cy,
                           bool tab = false) {
  sDlgItemTemplate t;
  t.id = id;
  t.kind = kind;
  t.text = text;
  t.x = x;
  t.y = y;
  t.cx = cx;
  t.cy = cy;
  t.tabStop = tab;
  return t;
}

inline void RegisterTemplates() {
  sDlgTemplate name;
  name.cx = 110;
  name.cy = 65;
  name.caption = false;
  name.items = {It(1075, eDlgItemKind::Picture, "", 7, 7, 20, 21),
                It(1003, eDlgItemKind::Edit, "", 75, 12, 24, 14, true),
                It(kOk, eDlgItemKind::DefButton, "OK", 30, 35, 50, 18, true),
                // "登録名(3文字まで)"
                It(1007, eDlgItemKind::Static, "\x93\x6f\x98\x5e\x96\xbc(3\x95\xb6\x8e\x9a\x82\xdc\x82\xc5)", 15, 15,
                   56, 16)};
  RegisterDialogTemplate(kNameTemplate, name);

  sDlgTemplate boot;
  boot.cx = 222;
  boot.cy = 171;
  boot.items = {It(1075, eDlgItemKind::Picture, "", 7, 7, 20, 21),
                It(kOk, eDlgItemKind::DefButton, "Start", 80, 105, 50, 25, true),
                It(kCancel, eDlgItemKind::Button, "Cancel", 80, 140, 50, 18, true),
                It(1006, eDlgItemKind::GroupBox, "Drawing mode", 15, 15, 190, 55),
                It(1002, eDlgItemKind::Radio, "Direct3D", 20, 30, 42, 10, true),
                It(1003, eDlgItemKind::Radio, "DirectDraw", 80, 30, 45, 10, true),
                It(1005, eDlgItemKind::Static, "Configure the detail settings at \"System.ini\".", 20, 50, 177, 12),
                It(1004, eDlgItemKind::CheckBox, "Do not ask this dialog again", 50, 85, 120, 10, true)};
  RegisterDialogTemplate(kBootTemplate, boot);
}

// Messages that reached a dialog's procedure.
struct Seen {
  UINT message;
  WPARAM wParam;
};

// Name entry: one edit bound to a string, 3 characters on one line.
class cNameDlg : public cDlg {
 public:
  cNameDlg(cWnd* owner, std::string* name) {
    Create(kNameTemplate, owner, 1, nullptr);
    Setup(0, 0, 100, 100, 640, 480, 0, 0, 0, 0, 0, 0);
    m_Param.id = 1003;
    m_Param.text = name;
    m_Param.maxChars = 4;
    m_Param.maxLineLen = 3;
    m_Param.maxLines = 1;
    m_Param.sjis = 1;
  }
  LRESULT WndProc(HWND h, UINT m, WPARAM w, LPARAM l) override {
    seen.push_back({m, w});
    return DlgWndProc(h, m, w, l);
  }
  void InitDialog(WPARAM w, LPARAM l) override {
    cDlg::InitDialog(w, l);
    m_Edit.Bind(this, m_Param);
    m_Ctrls.push_back(&m_Edit);
    UpdateControls();
    Window()->SetFocus(m_Edit.m_hWnd);
    m_Edit.m_hWnd->SetSel(0, -1);
    m_bInitialized = 1;
  }
  void OnCommand(WPARAM w, LPARAM l) override {
    if (!cDlg::OnCommand(w)) return;
    cDlg::OnControlCommand(w, l);
    if (LoWord(w) == kOk) {
      UpdateData();
      End(1);
    } else if (LoWord(w) == kCancel) {
      End(0);
    }
  }
  int KeyDownsSeen(int vk) const {
    int n = 0;
    for (const Seen& s : seen) n += s.message == WM_KEYDOWN && s.wParam == static_cast<WPARAM>(vk);
    return n;
  }

  EDITPARAM m_Param;
  cEditCtrl m_Edit;
  std::vector<Seen> seen;
};

struct BootData {
  int32_t drawMode = 1;
  int32_t doNotAsk = 0;
};

// Launch-style dialog: two radio buttons, a check box, a static text, Start and Cancel.
class cBootDlg : public cDlg {
 public:
  cBootDlg(cWnd* owner, BootData* data) : m_lpData(data) {
    Create(kBootTemplate, owner, 1, nullptr);
    Setup(0, 0, 100, 100, 640, 480, 0, 0, 0, 0, 0, 0);
  }
  LRESULT WndProc(HWND h, UINT m, WPARAM w, LPARAM l) override { return DlgWndProc(h, m, w, l); }
  void InitDialog(WPARAM w, LPARAM l) override {
    cDlg::InitDialog(w, l);
    Window()->SetTitle("Brindle");
    m_Radio[0].Bind(this, 1002, &m_lpData->drawMode, 1);
    m_Radio[1].Bind(this, 1003, &m_lpData->drawMode, 0);
    m_Check.Bind(this, 1004, &m_lpData->doNotAsk);
    m_Static.Bind(this, 1005);
    m_Ctrls.push_back(&m_Radio[0]);
    m_Ctrls.push_back(&m_Radio[1]);
    m_Ctrls.push_back(&m_Check);
    m_Ctrls.push_back(&m_Static);
    UpdateControls();
    m_bInitialized = 1;
  }
  void OnCommand(WPARAM w, LPARAM l) override {
    if (!cDlg::OnCommand(w)) return;
    cDlg::OnControlCommand(w, l);
    if (LoWord(w) == kOk) {
      UpdateData();
      End(1);
    } else if (LoWord(w) == kCancel) {
      End(0);
    }
  }
  BootData* m_lpData;
  cRadioBind m_Radio[2];
  cCheckBind m_Check;
  cStaticBind m_Static;
};

// An owner window on the test thread (the stand-in for the main window) that
// records what reaches it, and a script that posts input once the dialog is up.
class DialogHarness {
 public:
  DialogHarness() {
    RegisterTemplates();
    owner.m_hWnd = CreateMessageWindow([this](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
      ownerSeen.push_back({m, w});
      if (onOwnerMessage) onOwnerMessage(m);
      if (m == kRelay) PostMessage(h, w ? kRelay : WM_CLOSE, w ? w - 1 : 0, 0);
      return 0;
    });
    ResetKeyboardState();
    ResetSwallowedKeys();
    cHook::UnhookAll();
  }
  ~DialogHarness() {
    SetDialogOpenedHook({});
    DestroyMessageWindow(owner.m_hWnd);
    ResetKeyboardState();
    ResetSwallowedKeys();
  }

  // Runs the dialog with the script; a dialog still open after 10 seconds is
  // closed so that a fault cannot hang the test.
  intptr_t Run(cDlg& dlg, const std::function<void(HWND dlg)>& script) {
    SetDialogOpenedHook(script);
    std::mutex m;
    std::condition_variable cv;
    bool done = false;
    HWND target = owner.m_hWnd;
    std::thread watchdog([&] {
      std::unique_lock<std::mutex> lk(m);
      if (!cv.wait_for(lk, std::chrono::seconds(10), [&] { return done; })) {
        timedOut = true;
        PostMessage(target, WM_CLOSE, 0, 0);
      }
    });
    const intptr_t r = dlg.DoModal(0);
    {
      std::lock_guard<std::mutex> lk(m);
      done = true;
    }
    cv.notify_all();
    watchdog.join();
    SetDialogOpenedHook({});
    // What the script posted after the dialog ended belongs to no later test.
    MSG left;
    while (PeekMessage(&left, nullptr, 0, 0, PM_REMOVE)) {
    }
    EXPECT_FALSE(timedOut) << "the dialog did not end by itself";
    return r;
  }

  // Input as the window pump posts it to the main window.
  void Key(int vk) {
    PostMessage(owner.m_hWnd, WM_KEYDOWN, static_cast<WPARAM>(vk), 1);
    PostMessage(owner.m_hWnd, WM_KEYUP, static_cast<WPARAM>(vk), static_cast<LPARAM>(0xC0000001u));
  }
  void Type(const std::string& utf8) { PostTextCommit(owner.m_hWnd, utf8); }
  void Compose(const std::string& utf8) { PostTextComposition(owner.m_hWnd, utf8, 0); }
  void Close() { PostMessage(owner.m_hWnd, WM_CLOSE, 0, 0); }
  // Closes after what the messages before it post in turn has been handled
  // (each round lets one more generation of posted messages through).
  void CloseLater(int rounds = 3) { PostMessage(owner.m_hWnd, kRelay, static_cast<WPARAM>(rounds), 0); }
  static constexpr UINT kRelay = WM_APP + 0x77;
  // A click at the centre of an item (the frame is the client area here).
  void Click(HWND dlg, int id) {
    cDlgWindow* w = cDlgWindow::Find(dlg);
    ASSERT_NE(w, nullptr);
    cDlgItem* item = w->Item(id);
    ASSERT_NE(item, nullptr);
    const POINT o = w->ClientOrigin();
    const int x = o.x + (item->m_rc.left + item->m_rc.right) / 2;
    const int y = o.y + (item->m_rc.top + item->m_rc.bottom) / 2;
    const LPARAM l = static_cast<LPARAM>((static_cast<uint32_t>(y) << 16) | static_cast<uint32_t>(x));
    PostMessage(owner.m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, l);
    PostMessage(owner.m_hWnd, WM_LBUTTONUP, 0, l);
  }
  int OwnerSaw(UINT message, WPARAM w) const {
    int n = 0;
    for (const Seen& s : ownerSeen) n += s.message == message && s.wParam == w;
    return n;
  }

  cWnd owner;
  std::vector<Seen> ownerSeen;
  // Called for every message dispatched to the owner (those the dialog does not take).
  std::function<void(UINT)> onOwnerMessage;
  bool timedOut = false;
};

}  // namespace dlgtest
