// ctest-label: dialogs
// Dialogs in the real game window on a virtual X server (the test runs itself
// again under xvfb-run): a launch-style dialog is read back from the screen
// with its texts drawn in their items, and keys and typed text sent with
// xdotool work it through SDL's key and text events.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "base/DlgRender.h"
#include "platform/FontFace.h"
#include "platform/FrameMailbox.h"
#include "platform/Window.h"
#include "tests/base/dialog_test_support.h"
#include "tests/support/VirtualX.h"
#include "tests/support/Wait.h"

namespace {

using namespace dlgtest;
using testsupport::XWindowId;

class DialogOnX : public ::testing::Test {
 protected:
  void OpenWindow() {
    ASSERT_TRUE(InitWindowSystem()) << GetWindowError();
    constexpr uint32_t kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    const RECT in = GetFrameInsets(kStyle, false);
    hwnd = CreateMainWindow(
        [this](HWND, UINT m, WPARAM w, LPARAM) -> LRESULT {
          mainSeen.push_back({m, w});
          return 0;
        },
        "Brindle", kStyle, 100, 100, 640 + in.left + in.right, 480 + in.top + in.bottom);
    ASSERT_NE(hwnd, nullptr) << GetWindowError();
    ShowWindow(hwnd, SW_SHOW);
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    bool painted = false;
    while (!painted && std::chrono::steady_clock::now() < until) {
      MSG m;
      while (PeekWindowMessage(&m)) DispatchMessage(&m);
      for (const Seen& s : mainSeen) painted |= s.message == WM_PAINT;
      WaitWindowMessage(10);
    }
    ASSERT_TRUE(painted) << "the window was never exposed";
    xid = testsupport::FindSdlWindow();
    ASSERT_NE(xid, 0u);
    owner.m_hWnd = hwnd;
    RegisterTemplates();
  }
  void TearDown() override {
    SetDialogOpenedHook({});
    if (hwnd) DestroyWindow(hwnd);
    ShutdownWindowSystem();
  }
  void Focus() { ASSERT_TRUE(testsupport::FocusWindow(xid)); }
  int MainSaw(UINT message, WPARAM w) const {
    int n = 0;
    for (const Seen& s : mainSeen) n += s.message == message && s.wParam == w;
    return n;
  }

  HWND hwnd = nullptr;
  XWindowId xid = 0;
  cWnd owner;
  std::vector<Seen> mainSeen;
};

struct Area {
  const char* label;
  int l, t, r, b;  // frame pixels where the label's text lies
};

TEST_F(DialogOnX, LaunchDialogShowsItsTextsAndTakesKeys) {
  if (testsupport::RerunUnderVirtualX()) return;
  if (platform::FindFontFile("\x82\x6C\x82\x72 \x82\x6F\x83\x53\x83\x56\x83\x62\x83\x4E", platform::JapaneseSample())
          .empty())
    GTEST_SKIP() << "no Japanese gothic font is installed (fonts-ipafont-gothic)";
  OpenWindow();
  ASSERT_FALSE(HasFatalFailure());

  BootData data;
  cBootDlg dlg(&owner, &data);
  std::vector<Area> areas;
  Area face{"face", 0, 0, 0, 0};
  std::atomic<bool> ready{false};
  SetDialogOpenedHook([&](HWND d) {
    cDlgWindow* w = cDlgWindow::Find(d);
    const POINT o = w->ClientOrigin();
    auto textOf = [&](int id, int indent, const char* label) {
      cDlgItem* item = w->Item(id);
      areas.push_back({label, o.x + item->m_rc.left + indent, o.y + item->m_rc.top, o.x + item->m_rc.right,
                       o.y + item->m_rc.bottom});
    };
    textOf(1002, 16, "radio Direct3D");
    textOf(1003, 16, "radio DirectDraw");
    textOf(1004, 17, "check box");
    textOf(kOk, 3, "Start");
    textOf(kCancel, 3, "Cancel");
    textOf(1005, 0, "static text");
    // Between the group frame and the check box: nothing is drawn there.
    face = {"face", o.x + DluToPixelsX(20), o.y + DluToPixelsY(72), o.x + DluToPixelsX(200), o.y + DluToPixelsY(82)};
    ready = true;
  });

  std::atomic<int> inkFailures{0};
  std::atomic<bool> checked{false};
  std::vector<std::string> messages;
  std::thread checker([&] {
    testsupport::WaitFor([&] { return ready.load(); });
    testsupport::VirtualDisplay x;
    if (!x.Ok()) {
      messages.push_back("no X display for the read-back");
      inkFailures = 99;
      PostMessage(owner.m_hWnd, WM_CLOSE, 0, 0);
      checked = true;
      return;
    }
    auto inkIn = [&](const testsupport::ScreenPixels& shot, const Area& a) {
      int ink = 0;
      for (int y = a.t; y < a.b; ++y)
        for (int xx = a.l; xx < a.r; ++xx) {
          const uint32_t p = shot.At(xx, y);
          ink += ((p >> 16) & 0xFF) < 0x60 && ((p >> 8) & 0xFF) < 0x60 && (p & 0xFF) < 0x60;
        }
      return ink;
    };
    // The dialog reaches the screen a moment after it is presented.
    int failures = 0;
    for (int attempt = 0; attempt < 100; ++attempt) {
      const testsupport::ScreenPixels shot = x.ReadWindow(xid, 640, 480);
      if (shot.empty()) break;
      failures = 0;
      messages.clear();
      for (const Area& a : areas) {
        const int ink = inkIn(shot, a);
        if (ink < 20) {
          ++failures;
          messages.push_back(std::string(a.label) + ": " + std::to_string(ink) + " text pixels");
        }
      }
      const int stray = inkIn(shot, face);
      if (stray != 0) {
        ++failures;
        messages.push_back("dark pixels where nothing is drawn: " + std::to_string(stray));
      }
      if (shot.At(face.l + 5, face.t + 2) != 0xD4D0C8) {
        ++failures;
        messages.push_back("the dialog face is not on screen");
      }
      if (const char* path = std::getenv("BRINDLE_DIALOG_SHOT"); path && !failures) {
        // For a look at the dialog: a binary PPM of what was read back.
        if (FILE* f = std::fopen(path, "wb")) {
          std::fprintf(f, "P6\n640 480\n255\n");
          for (const uint32_t p : shot.rgb) {
            const unsigned char rgb[3] = {static_cast<unsigned char>(p >> 16), static_cast<unsigned char>(p >> 8),
                                          static_cast<unsigned char>(p)};
            std::fwrite(rgb, 1, 3, f);
          }
          std::fclose(f);
        }
      }
      if (!failures) break;
      std::this_thread::sleep_for(std::chrono::milliseconds(30));
    }
    inkFailures = failures;
    checked = true;
    // Then the keyboard: Tab to Start, on to Cancel, to the radio group, Right
    // picks DirectDraw, Tab to the check box, Space ticks it, Enter starts.
    testsupport::SendKeys(xid, "Tab Tab Tab Right Tab space Return");
  });

  const intptr_t r = dlg.DoModal(0);
  checker.join();
  SetDialogOpenedHook({});
  for (const std::string& m : messages) ADD_FAILURE() << m;
  EXPECT_TRUE(checked.load());
  EXPECT_EQ(inkFailures.load(), 0);
  EXPECT_EQ(r, 1);
  EXPECT_EQ(data.drawMode, 0) << "DirectDraw chosen with the keys";
  EXPECT_EQ(data.doNotAsk, 1);
  EXPECT_EQ(MainSaw(WM_KEYDOWN, VK_RETURN), 0) << "the dialog's keys stay the dialog's";
}

TEST_F(DialogOnX, NameEntryTakesTypedTextAndEscNeverQuits) {
  if (testsupport::RerunUnderVirtualX()) return;
  OpenWindow();
  ASSERT_FALSE(HasFatalFailure());
  Focus();
  {
    std::string name = "old";
    cNameDlg dlg(&owner, &name);
    std::thread typist;
    SetDialogOpenedHook([&](HWND) {
      typist = std::thread([this] {
        testsupport::TypeText(xid, "abcd");
        testsupport::Xdotool("key --delay 60 Return");
      });
    });
    const intptr_t r = dlg.DoModal(0);
    typist.join();
    EXPECT_EQ(r, 1);
    EXPECT_EQ(name, "abc") << "the typed text replaced the selected name and the fourth letter was refused";
  }
  {
    std::string name = "old";
    cNameDlg dlg(&owner, &name);
    std::thread presser;
    SetDialogOpenedHook([&](HWND) {
      presser = std::thread([] {
        // Held long enough to repeat.
        testsupport::Xdotool("keydown Escape sleep 0.8 keyup Escape");
      });
    });
    const intptr_t r = dlg.DoModal(0);
    presser.join();
    // Let the repeats and the release arrive at the main window's pump.
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(500);
    while (std::chrono::steady_clock::now() < until) {
      MSG m;
      while (PeekWindowMessage(&m)) DispatchMessage(&m);
      WaitWindowMessage(10);
    }
    EXPECT_EQ(r, 0);
    EXPECT_EQ(name, "old");
    EXPECT_EQ(MainSaw(WM_KEYDOWN, VK_ESCAPE), 0) << "Esc never reaches the program's quit key";
    EXPECT_EQ(MainSaw(WM_CLOSE, 0), 0);
  }
}

// Full screen is a window of the desktop's size showing the frame scaled; a
// window of another size than the frame's takes the same way from click to item.
TEST_F(DialogOnX, ClicksLandOnTheItemsOfAScaledFrame) {
  if (testsupport::RerunUnderVirtualX()) return;
  OpenWindow();
  ASSERT_FALSE(HasFatalFailure());
  const RECT in = GetFrameInsets(static_cast<uint32_t>(GetWindowLong(hwnd, GWL_STYLE)), false);
  ASSERT_TRUE(SetWindowPos(hwnd, 0, 0, 480 + in.left + in.right, 360 + in.top + in.bottom));
  RECT client{0, 0, 0, 0};
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (std::chrono::steady_clock::now() < until) {
    MSG m;
    while (PeekWindowMessage(&m)) DispatchMessage(&m);
    GetClientRect(hwnd, client);
    if (client.right == 480 && client.bottom == 360) break;
    WaitWindowMessage(10);
  }
  ASSERT_EQ(client, (RECT{0, 0, 480, 360}));
  // Too small for the frame: it is shown at three quarters of its size.
  const PresentRect r = ComputePresentRect(client.right, client.bottom);
  ASSERT_EQ(r, (PresentRect{0, 0, 480, 360}));

  BootData data;
  cBootDlg dlg(&owner, &data);
  std::thread clicker;
  std::atomic<bool> ended{false};
  SetDialogOpenedHook([&](HWND d) {
    cDlgWindow* w = cDlgWindow::Find(d);
    const POINT o = w->ClientOrigin();
    // Each item's frame position on the scaled window.
    std::vector<POINT> clicks;
    for (int id : {1003, 1004, kOk}) {
      cDlgItem* item = w->Item(id);
      const int fx = o.x + item->m_rc.left + 5, fy = o.y + (item->m_rc.top + item->m_rc.bottom) / 2;
      clicks.push_back({r.x + fx * r.w / 640, r.y + fy * r.h / 480});
    }
    clicker = std::thread([clicks, this, &ended] {
      for (const POINT& c : clicks) {
        testsupport::ClickAt(xid, c.x, c.y);
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
      }
      // Missed clicks must not hang the test.
      for (int i = 0; i < 500 && !ended; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
      if (!ended) PostMessage(hwnd, WM_CLOSE, 0, 0);
    });
  });
  const intptr_t result = dlg.DoModal(0);
  ended = true;
  clicker.join();
  EXPECT_EQ(result, 1);
  EXPECT_EQ(data.drawMode, 0);
  EXPECT_EQ(data.doNotAsk, 1);
}

}  // namespace
