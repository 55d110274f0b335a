// ctest-label: dialogs
// On a virtual X server whose system box fails (BRINDLE_NO_SYSTEM_BOX=1), a
// box asked for by another thread while the main window exists is drawn by
// the dialog kit in that window, on its face, and answered from the real
// keyboard and mouse. The test runs itself again under xvfb-run.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>

#include "base/DlgMessageBox.h"
#include "base/DlgWindow.h"
#include "platform/MessageBox.h"
#include "platform/Window.h"
#include "tests/support/VirtualX.h"
#include "tests/support/Wait.h"

namespace {

using namespace platform;

// 6 pixels a byte, nothing drawn: the layout can be worked by hand.
class XBoxPainter : public cDlgTextPainter {
 public:
  int Width(const std::string& s) override { return 6 * static_cast<int>(s.size()); }
  void Draw(std::vector<uint32_t>&, int, int, const std::string&, uint32_t, int, int, int, int) override {}
};

TEST(BoxInMainWindowOnX, AskedFromAnotherThreadAndAnsweredFromKeysAndMouse) {
  if (testsupport::RerunUnderVirtualX()) return;
  setenv("BRINDLE_NO_SYSTEM_BOX", "1", 1);
  SetDlgTextPainter(std::make_unique<XBoxPainter>());
  ASSERT_TRUE(InitWindowSystem()) << GetWindowError();
  InstallDialogMessageBox();
  constexpr uint32_t kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU;
  const RECT in = GetFrameInsets(kStyle, false);
  const HWND main = CreateMainWindow([](HWND, UINT, WPARAM, LPARAM) -> LRESULT { return 0; }, "Brindle", kStyle, 100,
                                     100, 640 + in.left + in.right, 480 + in.top + in.bottom);
  ASSERT_NE(main, nullptr) << GetWindowError();
  ShowWindow(main, SW_SHOW);
  const testsupport::XWindowId xid = testsupport::FindSdlWindow();
  ASSERT_NE(xid, 0u);

  std::atomic<int> opened{0};
  SetDialogOpenedHook([&](HWND) { ++opened; });

  // "Restart?" with Yes and No, centred on the 640x480 frame with its caption
  // bar: the client starts at (230, 213); No's centre is (130, 49) in it.
  struct Step {
    const char* name;
    const char* keys;  // or a click on No when empty
    int answer;
  };
  const Step steps[] = {{"N", "n", IDNO}, {"Return", "Return", IDYES}, {"a click on No", "", IDNO}};
  for (const Step& step : steps) {
    SCOPED_TRACE(step.name);
    const int before = opened.load();
    std::atomic<int> answer{-1};
    std::thread asker([&] { answer = ShowMessageBox("Restart?", "Q", MB_YESNO | MB_ICONQUESTION); });
    std::thread driver([&] {
      if (!testsupport::WaitFor([&] { return opened.load() > before; })) return;
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
      if (*step.keys) testsupport::SendKeys(xid, step.keys);
      else testsupport::ClickAt(xid, 360, 262);
    });
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (answer.load() < 0 && std::chrono::steady_clock::now() < until) {
      MSG m;
      while (PeekWindowMessage(&m)) DispatchMessage(&m);
      WaitWindowMessage(10);
    }
    const bool timedOut = answer.load() < 0;
    if (timedOut) PostMessage(main, WM_CLOSE, 0, 0);  // a box that never ended
    driver.join();
    while (answer.load() < 0) {
      MSG m;
      while (PeekWindowMessage(&m)) DispatchMessage(&m);
      WaitWindowMessage(10);
    }
    asker.join();
    EXPECT_EQ(opened.load(), before + 1) << "the box was not drawn with the dialog kit";
    EXPECT_FALSE(timedOut) << "the box was not answered";
    EXPECT_EQ(answer.load(), step.answer);
  }
  SetDialogOpenedHook({});
  DestroyWindow(main);
  ShutdownWindowSystem();
  SetDlgTextPainter(nullptr);
  unsetenv("BRINDLE_NO_SYSTEM_BOX");
}

}  // namespace
