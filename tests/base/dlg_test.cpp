// ctest-label: dialogs
// The modal dialog: its run on the window thread while a requester waits in
// a synchronous send, the result of OK, Cancel and closing, the keys (Enter
// during a composition, Tab, Esc) and the copies the keyboard hook makes,
// the launch-style dialog's bindings, placement, and what is drawn.
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>

#include "base/DlgRender.h"
#include "platform/FrameMailbox.h"
#include "tests/base/dialog_test_support.h"

namespace {

using namespace dlgtest;

TEST(DlgKeys, EnterConfirmsWithTheDataCopiedButNotDuringAComposition) {
  DialogHarness h;
  std::string name = "ab";
  cNameDlg dlg(&h.owner, &name);
  int closedEarly = -1;
  const intptr_t r = h.Run(dlg, [&](HWND d) {
    h.Key(VK_END);
    h.Compose("\xE3\x81\x8B");  // か being composed
    h.Key(VK_RETURN);           // confirms the composition, not the dialog
    h.Type("\xE3\x82\xAB");     // カ committed
    h.Key(VK_RETURN);
    (void)d;
  });
  closedEarly = dlg.KeyDownsSeen(VK_RETURN);
  EXPECT_EQ(r, 1);
  EXPECT_EQ(name, "ab\x83\x4a") << "the committed text is copied by OK";
  EXPECT_EQ(closedEarly, 0) << "Enter is never copied to the dialog (it ends it or belongs to the input method)";
}

TEST(DlgKeys, ClosingOrEscGivesZeroAndLeavesTheDataAlone) {
  for (const bool esc : {false, true}) {
    SCOPED_TRACE(esc ? "Esc" : "close button");
    DialogHarness h;
    std::string name = "ab";
    cNameDlg dlg(&h.owner, &name);
    const intptr_t r = h.Run(dlg, [&](HWND) {
      h.Type("c");
      if (esc) h.Key(VK_ESCAPE);
      else h.Close();
    });
    EXPECT_EQ(r, 0);
    EXPECT_EQ(name, "ab");
    EXPECT_EQ(h.OwnerSaw(WM_KEYDOWN, VK_ESCAPE), 0) << "Esc must not reach the program's quit key";
    EXPECT_EQ(h.OwnerSaw(WM_CLOSE, 0), 0) << "the close request is the dialog's";
    EXPECT_EQ(dlg.m_hWnd, nullptr);
    EXPECT_EQ(cDlgWindow::Active(), nullptr);
  }
}

TEST(DlgKeys, TheHookCopiesEachKeyOnceExceptTabAndComposingEnter) {
  DialogHarness h;
  std::string name;
  cNameDlg dlg(&h.owner, &name);
  h.Run(dlg, [&](HWND) {
    h.Key('A');       // copied as WM_KEYDOWN
    h.Key(VK_LEFT);   // special key: posted as the hook message, then sent as WM_KEYDOWN
    h.Key(VK_F1);
    h.Key(VK_TAB);    // never copied
    h.Compose("\xE3\x81\x8B");
    h.Key(VK_RETURN);  // belongs to the composition: not copied, dialog stays
    h.Key(VK_LEFT);    // during a composition: copied directly
    h.Compose("");
    h.CloseLater();
  });
  EXPECT_EQ(dlg.KeyDownsSeen('A'), 1);
  EXPECT_EQ(dlg.KeyDownsSeen(VK_LEFT), 2);
  EXPECT_EQ(dlg.KeyDownsSeen(VK_F1), 1);
  EXPECT_EQ(dlg.KeyDownsSeen(VK_TAB), 0);
  EXPECT_EQ(dlg.KeyDownsSeen(VK_RETURN), 0);
  int hookMessages = 0, keyUps = 0;
  for (const Seen& s : dlg.seen) {
    hookMessages += s.message == WM_HOOKKEY;
    keyUps += s.message == WM_KEYUP;
  }
  EXPECT_EQ(hookMessages, 2) << "the special keys without a composition";
  EXPECT_EQ(keyUps, 6) << "every release is copied, Tab's and Enter's too";
  // Arrow keys also ask the dialog to scroll (it has no bar: a null handle).
  int vscroll = 0, hscroll = 0;
  for (const Seen& s : dlg.seen) {
    vscroll += s.message == WM_VSCROLL;
    hscroll += s.message == WM_HSCROLL && s.wParam == SB_LINEUP;
  }
  EXPECT_EQ(hscroll, 2);
  EXPECT_EQ(vscroll, 0);
  EXPECT_EQ(h.OwnerSaw(WM_KEYDOWN, 'A'), 0) << "keys are the dialog's while it is open";
}

TEST(DlgKeys, AKeyThatEndedTheDialogDoesNotRepeatIntoTheProgram) {
  DialogHarness h;
  std::string name;
  cNameDlg dlg(&h.owner, &name);
  h.Run(dlg, [&](HWND) {
    SetKeyDown(VK_ESCAPE, true);
    PostMessage(h.owner.m_hWnd, WM_KEYDOWN, VK_ESCAPE, 1);
  });
  EXPECT_TRUE(IsKeyEventSwallowed(VK_ESCAPE, true)) << "an auto-repeat is kept from the main window";
  EXPECT_TRUE(IsKeyEventSwallowed(VK_ESCAPE, false)) << "so is the release";
  EXPECT_FALSE(IsKeyEventSwallowed(VK_ESCAPE, true)) << "the next press is the program's again";
}

TEST(DlgModal, ASecondDoModalWhileOneIsOpenReturnsZero) {
  DialogHarness h;
  std::string a = "a", b = "b";
  cNameDlg first(&h.owner, &a);
  cNameDlg second(&h.owner, &b);
  intptr_t again = -5, other = -5;
  const intptr_t r = h.Run(first, [&](HWND) {
    again = first.DoModal(0);
    other = second.DoModal(0);
    h.Key(VK_RETURN);
  });
  EXPECT_EQ(again, 0);
  EXPECT_EQ(other, 0);
  EXPECT_EQ(r, 1) << "the open dialog goes on";
  // The same object can be opened again afterwards.
  EXPECT_EQ(h.Run(first, [&](HWND) { h.Close(); }), 0);
}

TEST(DlgModal, RunsOnTheWindowThreadWhileTheRequesterWaitsInItsSend) {
  DialogHarness h;
  std::string name = "old";
  constexpr UINT kNameEntry = WM_USER + 1;
  std::atomic<bool> requestDone{false};
  std::atomic<bool> dialogEnded{false};
  intptr_t dialogResult = -1;
  uint32_t dialogThread = 0;
  HWND main = CreateMessageWindow([&](HWND, UINT m, WPARAM, LPARAM) -> LRESULT {
    if (m != kNameEntry) return 0;
    dialogThread = GetCurrentThreadId();
    cNameDlg dlg(&h.owner, &name);
    dialogResult = h.Run(dlg, [&](HWND) {
      EXPECT_FALSE(requestDone.load()) << "the requester must still be waiting";
      h.Type("xyz");
      h.Key(VK_RETURN);
    });
    dialogEnded = true;
    return 0;
  });
  std::thread requester([&] {
    SendMessage(main, kNameEntry, 0, 0);
    EXPECT_TRUE(dialogEnded.load()) << "the send returns only after the dialog";
    requestDone = true;
  });
  // The window thread's pump.
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (!requestDone && std::chrono::steady_clock::now() < until) {
    MSG m;
    while (PeekMessage(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessage(&m);
    WaitMessage(10);
  }
  requester.join();
  DestroyMessageWindow(main);
  EXPECT_EQ(dialogThread, GetCurrentThreadId());
  EXPECT_EQ(dialogResult, 1);
  EXPECT_EQ(name, "xyz");
}

TEST(DlgModal, AQuitEndsTheDialogAndIsPassedOn) {
  DialogHarness h;
  std::string name = "ab";
  cNameDlg dlg(&h.owner, &name);
  SetDialogOpenedHook([&](HWND) {
    h.Type("c");
    PostQuitMessage(3);
  });
  EXPECT_EQ(dlg.DoModal(0), 0);
  SetDialogOpenedHook({});
  EXPECT_EQ(name, "ab");
  MSG m;
  bool quit = false;
  while (PeekMessage(&m, nullptr, 0, 0, PM_REMOVE)) quit |= m.message == WM_QUIT && m.wParam == 3;
  EXPECT_TRUE(quit) << "the pump that ran the dialog still has to see the quit";
}

// Ctrl+C or SIGTERM while a dialog is open: the dialog ends as cancelled
// and the close request reaches the window after it, so the program closes.
TEST(DlgModal, ASignalsCloseRequestEndsTheDialogAndIsPassedOn) {
  for (const bool boot : {false, true}) {
    SCOPED_TRACE(boot ? "launch dialog" : "name entry");
    DialogHarness h;
    std::string name = "ab";
    BootData data;
    std::unique_ptr<cDlg> dlg;
    if (boot) dlg = std::make_unique<cBootDlg>(&h.owner, &data);
    else dlg = std::make_unique<cNameDlg>(&h.owner, &name);
    SetDialogOpenedHook([&](HWND) { PostMessage(h.owner.m_hWnd, WM_CLOSE, kCloseBySignal, 0); });
    const intptr_t r = dlg->DoModal(0);
    SetDialogOpenedHook({});
    EXPECT_EQ(r, 0);
    EXPECT_EQ(name, "ab");
    EXPECT_EQ(h.OwnerSaw(WM_CLOSE, kCloseBySignal), 0) << "not before the dialog has ended";
    MSG m;
    while (PeekMessage(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessage(&m);
    EXPECT_EQ(h.OwnerSaw(WM_CLOSE, kCloseBySignal), 1);
  }
}

TEST(DlgModal, ItemStringsAreReadWithinTheirMaximum) {
  DialogHarness h;
  std::string name;
  cNameDlg dlg(&h.owner, &name);
  std::string whole, cut;
  SetDialogOpenedHook([&](HWND hwnd) {
    SetDlgItemString(hwnd, 1003, "\x83\x41" "bc");  // アbc
    GetDlgItemString(hwnd, 1003, whole, 100000);
    GetDlgItemString(hwnd, 1003, cut, 2);  // room for one byte: never half of ア
    EndDialog(hwnd, 0);
  });
  EXPECT_EQ(dlg.DoModal(0), 0);
  SetDialogOpenedHook({});
  EXPECT_EQ(whole, "\x83\x41" "bc");
  EXPECT_EQ(cut, "");
}

TEST(DlgModal, WithoutATemplateDoModalFails) {
  DialogHarness h;
  cDlg dlg;
  dlg.Create(4242, &h.owner, 1, nullptr);
  EXPECT_EQ(dlg.DoModal(0), -1);
}

TEST(LaunchDialog, BindingsShowTheDataAndOkWritesItBack) {
  DialogHarness h;
  BootData data;  // Direct3D, ask again
  cBootDlg dlg(&h.owner, &data);
  int shownD3D = -1, shownDD = -1, shownCheck = -1;
  const intptr_t r = h.Run(dlg, [&](HWND d) {
    shownD3D = GetDlgItem(d, 1002)->GetCheck();
    shownDD = GetDlgItem(d, 1003)->GetCheck();
    shownCheck = GetDlgItem(d, 1004)->GetCheck();
    h.Click(d, 1003);  // DirectDraw
    h.Click(d, 1004);  // do not ask again
    h.Click(d, kOk);
  });
  EXPECT_EQ(shownD3D, 1);
  EXPECT_EQ(shownDD, 0);
  EXPECT_EQ(shownCheck, 0);
  EXPECT_EQ(r, 1);
  EXPECT_EQ(data.drawMode, 0);
  EXPECT_EQ(data.doNotAsk, 1);
}

TEST(LaunchDialog, KeyboardAloneWorksTheControlsAndCancelKeepsTheData) {
  {
    DialogHarness h;
    BootData data;
    cBootDlg dlg(&h.owner, &data);
    const intptr_t r = h.Run(dlg, [&](HWND) {
      h.Key(VK_TAB);    // Start
      h.Key(VK_TAB);    // Cancel
      h.Key(VK_TAB);    // the radio group (its checked button)
      h.Key(VK_RIGHT);  // DirectDraw
      h.Key(VK_TAB);    // the check box
      h.Key(VK_SPACE);
      h.Key(VK_RETURN);  // the default button: Start
    });
    EXPECT_EQ(r, 1);
    EXPECT_EQ(data.drawMode, 0);
    EXPECT_EQ(data.doNotAsk, 1);
  }
  {
    DialogHarness h;
    BootData data;
    cBootDlg dlg(&h.owner, &data);
    const intptr_t r = h.Run(dlg, [&](HWND d) {
      h.Click(d, 1003);
      h.Click(d, kCancel);
    });
    EXPECT_EQ(r, 0);
    EXPECT_EQ(data.drawMode, 1) << "Cancel copies nothing";
  }
}

TEST(LaunchDialog, PlacedAtItsPositionInsideTheFrame) {
  struct {
    int x, y, frameX, frameY;
  } const cases[] = {{100, 50, 100, 50}, {-1000, 50, -1, -1}, {630, 470, -2, -2}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.x);
    DialogHarness h;
    BootData data;
    cBootDlg dlg(&h.owner, &data);
    dlg.m_nInitX = c.x;
    dlg.m_nInitY = c.y;
    int fx = 0, fy = 0, w = 0, hh = 0;
    h.Run(dlg, [&](HWND d) {
      cDlgWindow* win = cDlgWindow::Find(d);
      fx = win->FrameX();
      fy = win->FrameY();
      w = win->OuterWidth();
      hh = win->OuterHeight();
      h.Close();
    });
    if (c.frameX == -1) {  // no stored position: centred
      EXPECT_EQ(fx, (640 - w) / 2);
      EXPECT_EQ(fy, (480 - hh) / 2);
    } else if (c.frameX == -2) {  // kept on the frame
      EXPECT_EQ(fx + w, 640);
      EXPECT_EQ(fy + hh, 480);
    } else {
      EXPECT_EQ(fx, c.frameX);
      EXPECT_EQ(fy, c.frameY);
    }
  }
}

// Records what the dialog drawing asks the text painter to draw.
class RecordingPainter : public cDlgTextPainter {
 public:
  struct Call {
    std::string text;
    int x, y;
  };
  explicit RecordingPainter(std::vector<Call>* calls) : calls_(calls) {}
  int Width(const std::string& s) override { return static_cast<int>(s.size()) * 6; }
  void Draw(std::vector<uint32_t>&, int x, int y, const std::string& s, uint32_t, int, int, int, int) override {
    calls_->push_back({s, x, y});
  }

 private:
  std::vector<Call>* calls_;
};

TEST(DlgDrawing, TheDialogIsPresentedWithItsTextsInTheirItems) {
  std::vector<RecordingPainter::Call> calls;
  SetDlgTextPainter(std::make_unique<RecordingPainter>(&calls));
  DialogHarness h;
  BootData data;
  cBootDlg dlg(&h.owner, &data);
  const uint64_t before = MainFrameMailbox().PostedCount();
  std::vector<uint32_t> frame;
  h.Run(dlg, [&](HWND d) {
    cDlgWindow* w = cDlgWindow::Find(d);
    RenderDialogFrame(*w, {}, frame);
    h.Close();
  });
  SetDlgTextPainter(nullptr);
  EXPECT_GT(MainFrameMailbox().PostedCount(), before) << "the dialog reaches the window through the mailbox";
  ASSERT_EQ(frame.size(), 640u * 480u);
  auto drawn = [&](const std::string& text) {
    for (const auto& c : calls)
      if (c.text == text) return true;
    return false;
  };
  for (const char* label : {"Brindle", "Start", "Cancel", "Drawing mode", "Direct3D", "DirectDraw",
                            "Do not ask this dialog again"})
    EXPECT_TRUE(drawn(label)) << label;
  // The dialog's face covers its rectangle; the frame around it stays the backdrop.
  EXPECT_EQ(frame[0], 0xFF203040u);
  EXPECT_EQ(frame[240 * 640 + 320] & 0xFFFFFF, 0xD4D0C8u) << "the middle of the dialog is its face colour";
}

}  // namespace
