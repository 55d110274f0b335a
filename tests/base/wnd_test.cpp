// ctest-label: window
#include <gtest/gtest.h>

#include <vector>

#include "base/Wnd.h"
#include "platform/Keyboard.h"
#include "platform/Window.h"

namespace {

using namespace platform;

constexpr uint32_t kMainStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
const int kCaption = GetSystemMetrics(SM_CYCAPTION);
const int kDlgX = GetSystemMetrics(SM_CXDLGFRAME), kDlgY = GetSystemMetrics(SM_CYDLGFRAME);
const int kFrameX = GetSystemMetrics(SM_CXFRAME), kFrameY = GetSystemMetrics(SM_CYFRAME);
const int kScroll = GetSystemMetrics(SM_CXVSCROLL);

TEST(WndFrame, OuterSizeForClientSizeAndStyle) {
  struct {
    const char* name;
    uint32_t style;
    int menu;
    uint32_t scrollBars;
    int outerW, outerH, mouseW, mouseH;
  } const cases[] = {
      {"caption, dialog frame", WS_CAPTION, 0, 0, 640 + 2 * kDlgX, 480 + kCaption + 2 * kDlgY, 640, 480},
      {"the main window", kMainStyle, 0, 0, 640 + 2 * kDlgX, 480 + kCaption + 2 * kDlgY, 640, 480},
      {"sizing frame", kMainStyle | WS_THICKFRAME, 0, 0, 640 + 2 * kFrameX, 480 + kCaption + 2 * kFrameY, 640, 480},
      {"popup", WS_POPUP, 0, 0, 640, 480, 640, 480},
      {"menu bar", WS_CAPTION, 1, 0, 640 + 2 * kDlgX, 480 + kCaption + 2 * kDlgY + GetSystemMetrics(SM_CYMENU), 640,
       480},
      {"window scroll bars", WS_POPUP | WS_HSCROLL | WS_VSCROLL, 0, 0, 640 + kScroll, 480 + kScroll, 640, 480},
      {"scroll controls inside", WS_POPUP, 0, 3, 640, 480, 640 - kScroll, 480 - kScroll},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    cWnd w;
    w.Setup(640, 480, 100, 100, 640, 480, c.style, c.menu, 0, 0, 0, c.scrollBars);
    EXPECT_EQ(w.m_rcWindow, (RECT{0, 0, c.outerW, c.outerH}));
    EXPECT_EQ(w.m_rcMouse[2], c.mouseW);
    EXPECT_EQ(w.m_rcMouse[3], c.mouseH);
    EXPECT_EQ(GetFrameInsets(c.style, c.menu).left + GetFrameInsets(c.style, c.menu).right,
              w.m_FrameMetrics.cxTotal)
        << "the window layer uses the same frame";
  }
}

TEST(WndFrame, MinMaxTrackSizesIncludeTheFrame) {
  cWnd w;
  w.Setup(640, 480, 100, 100, 640, 480, kMainStyle, 0, 0, 0, 0, 0);
  MINMAXINFO mmi{};
  w.OnGetMinMaxInfo(&mmi);
  EXPECT_EQ(mmi.ptMinTrackSize, (POINT{100 + 2 * kDlgX, 100 + kCaption + 2 * kDlgY}));
  EXPECT_EQ(mmi.ptMaxTrackSize, (POINT{640 + 2 * kDlgX, 480 + kCaption + 2 * kDlgY}));
  // Through the dispatch too.
  MINMAXINFO viaDispatch{};
  EXPECT_EQ(w.Dispatch(nullptr, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&viaDispatch)), 1);
  EXPECT_EQ(viaDispatch.ptMaxTrackSize, mmi.ptMaxTrackSize);
}

class WndPlace : public ::testing::Test {
 protected:
  void SetUp() override {
    const RECT work{0, 0, 1024, 768};
    SetWorkAreaForTest(&work);
  }
  void TearDown() override { SetWorkAreaForTest(nullptr); }
};

TEST_F(WndPlace, ClampsTheStoredPositionIntoTheWorkArea) {
  const int ow = 640 + 2 * kDlgX, oh = 480 + kCaption + 2 * kDlgY;
  struct {
    int initX, initY;
    bool moved;
    int x, y;
  } const cases[] = {
      {-1000, 50, false, 0, 0},
      {50, -1000, false, 0, 0},
      {-5, 10, true, 0, 10},
      {10, -1, true, 10, 0},
      {500, 10, true, 1024 - ow, 10},  // would pass the right edge: ends exactly at it
      {1024 - ow, 10, true, 1024 - ow, 10},
      {1024 - ow - 1, 10, true, 1024 - ow - 1, 10},
      {10, 300, true, 10, 768 - oh},
      {-1, 5000, true, 0, 768 - oh},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.initX << "," << c.initY);
    cWnd w;
    w.Setup(640, 480, 100, 100, 640, 480, kMainStyle, 0, 0, 0, 0, 0);
    w.m_nPosX = w.m_nPosY = 7;
    w.m_nInitX = c.initX;
    w.m_nInitY = c.initY;
    w.Place();
    if (!c.moved) {
      EXPECT_EQ(w.m_nPosX, 7);
      EXPECT_EQ(w.m_nInitX, c.initX) << "nothing at all happens";
      continue;
    }
    EXPECT_EQ(w.m_nPosX, c.x);
    EXPECT_EQ(w.m_nPosY, c.y);
    EXPECT_EQ(w.m_nInitX, c.x) << "clamped values are written back";
    EXPECT_EQ(w.m_nInitY, c.y);
  }
}

TEST_F(WndPlace, AnchorAndParentWithCentring) {
  cWnd anchor, parent, w;
  anchor.Setup(400, 300, 0, 0, 0, 0, WS_POPUP, 0, 0, 0, 0, 0);
  anchor.m_nPosX = 100;
  anchor.m_nPosY = 50;
  parent.Setup(200, 100, 0, 0, 0, 0, WS_POPUP, 0, 0, 0, 0, 0);
  parent.m_nPosX = 11;
  parent.m_nPosY = 13;
  w.Setup(101, 51, 0, 0, 0, 0, WS_POPUP, 0, 0, 0, 0, 0);
  w.m_nInitX = w.m_nInitY = 999;

  w.m_lpParent = &parent;
  w.Place();
  EXPECT_EQ(w.m_nPosX, 11);
  EXPECT_EQ(w.m_nPosY, 13);
  w.m_lpAnchor = &anchor;  // the anchor comes first
  w.m_bCenter = 1;
  w.Place();
  EXPECT_EQ(w.m_nPosX, 100 + 200 - 50);  // halves truncate
  EXPECT_EQ(w.m_nPosY, 50 + 150 - 25);
  EXPECT_EQ(w.m_nInitX, 999) << "only the stored position is written back";
}

class CountingWnd : public cWnd {
 public:
  void OnCommand(WPARAM w, LPARAM l) override {
    ++commands;
    inner = Dispatch(m_hWnd, WM_COMMAND, w + 1, l);
  }
  void OnLButtonDown(WPARAM, LPARAM) override { ++clicks; }
  void OnPaint() override { ++paints; }
  void OnCreate(WPARAM, LPARAM) override { ++creates; }
  int Dispatch(HWND h, UINT m, WPARAM w, LPARAM l) override { return DispatchWithCreate(h, m, w, l); }
  int commands = 0, inner = -1, clicks = 0, paints = 0, creates = 0;
};

TEST(WndDispatch, HandlersAndTheRefusedReentrantCommand) {
  CountingWnd w;
  w.Setup(640, 480, 100, 100, 640, 480, WS_POPUP, 0, 0, 0, 0, 0);
  auto fake = reinterpret_cast<HWND>(uintptr_t{0x1234});
  EXPECT_EQ(w.Dispatch(fake, WM_COMMAND, 5, 0), 1);
  EXPECT_EQ(w.commands, 1);
  EXPECT_EQ(w.inner, 0) << "a command from inside a command is not handled";
  EXPECT_EQ(w.m_bInCommand, 0);
  EXPECT_EQ(w.Dispatch(fake, WM_COMMAND, 5, 0), 1) << "the next command goes through";
  EXPECT_EQ(w.commands, 2);

  EXPECT_EQ(w.Dispatch(fake, WM_LBUTTONDOWN, 0, 0), 1);
  EXPECT_EQ(w.Dispatch(fake, WM_PAINT, 0, 0), 1);
  EXPECT_EQ(w.Dispatch(fake, WM_ACTIVATEAPP, 1, 0), 1);
  EXPECT_EQ(w.Dispatch(fake, WM_CREATE, 0, 0), 0);
  EXPECT_EQ(w.Dispatch(fake, WM_KEYDOWN, VK_ESCAPE, 0), 0) << "left to the caller";
  EXPECT_EQ((std::vector<int>{w.clicks, w.paints, w.creates}), (std::vector<int>{1, 1, 1}));
  EXPECT_EQ(w.m_hWnd, fake);
  EXPECT_EQ(w.Dispatch(fake, WM_DESTROY, 0, 0), 1);
  EXPECT_EQ(w.m_hWnd, nullptr);
  EXPECT_EQ(w.m_bLaidOut, 1);
}

TEST(WndMouse, PressedOnTheFirstMessageReleasedOnceAfter) {
  ResetKeyboardState();
  ResetMouseEdgeLatches();
  cMouseState m;
  struct Step {
    bool down;
    int held, pressed, released;
  };
  const Step steps[] = {{false, 0, 0, 0}, {true, 1, 1, 0}, {true, 1, 0, 0}, {true, 1, 0, 0},
                        {false, 0, 0, 1}, {false, 0, 0, 0}, {true, 1, 1, 0}};
  for (size_t i = 0; i < std::size(steps); ++i) {
    SetKeyDown(VK_LBUTTON, steps[i].down);
    m.Update(7);
    EXPECT_EQ(m.bLeft, steps[i].held) << i;
    EXPECT_EQ(m.bLeftPressed, steps[i].pressed) << i;
    EXPECT_EQ(m.bLeftReleased, steps[i].released) << i;
    EXPECT_EQ(m.bRight + m.bRightPressed + m.bRightReleased, 0);
  }
  ResetKeyboardState();
}

// A real window on SDL's dummy driver: the geometry goes through the window layer.
class WndOnWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(InitWindowSystem()) << GetWindowError();
    const RECT desk{0, 0, 1280, 1024};
    SetDesktopRectForTest(&desk);
    SetWorkAreaForTest(&desk);
    w.Setup(640, 480, 100, 100, 640, 480, kMainStyle, 0, 0, 0, 0, 0);
    hwnd = CreateMainWindow([this](HWND h, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
      w.Dispatch(h, m, wp, lp);
      return 0;
    }, "test", kMainStyle, 100, 100, cWnd::Width(w.m_rcWindow), cWnd::Height(w.m_rcWindow));
    ASSERT_NE(hwnd, nullptr) << GetWindowError();
  }
  void TearDown() override {
    DestroyWindow(hwnd);
    ShutdownWindowSystem();
    SetDesktopRectForTest(nullptr);
    SetWorkAreaForTest(nullptr);
  }
  cWnd w;
  HWND hwnd = nullptr;
};

TEST_F(WndOnWindow, MoveCentreResizeAndStyle) {
  EXPECT_EQ(w.m_hWnd, hwnd) << "WM_CREATE passed through the dispatch";
  RECT client;
  ASSERT_TRUE(GetClientRect(hwnd, client));
  EXPECT_EQ(client, (RECT{0, 0, 640, 480}));

  w.CenterOnDesktop();
  const int ow = 640 + 2 * kDlgX, oh = 480 + kCaption + 2 * kDlgY;
  RECT r;
  ASSERT_TRUE(GetWindowRect(hwnd, r));
  EXPECT_EQ(r, (RECT{(1280 - ow) / 2, (1024 - oh) / 2, (1280 - ow) / 2 + ow, (1024 - oh) / 2 + oh}));
  POINT p;
  w.GetPos(p);
  EXPECT_EQ(p, (POINT{r.left, r.top}));

  w.SetPosSize(10, 20, 320, 240);
  ASSERT_TRUE(GetClientRect(hwnd, client));
  EXPECT_EQ(client, (RECT{0, 0, 320, 240}));
  ASSERT_TRUE(GetWindowRect(hwnd, r));
  EXPECT_EQ(r.left, 10);
  EXPECT_EQ(r.top, 20);

  EXPECT_EQ(w.m_FrameMetrics.left, kDlgX);
  w.AddStyle(WS_THICKFRAME);
  EXPECT_EQ(w.m_FrameMetrics.left, kFrameX) << "sizing-frame values now";
  EXPECT_EQ(w.m_rcWindow, (RECT{0, 0, 320 + 2 * kFrameX, 240 + kCaption + 2 * kFrameY}));
  EXPECT_TRUE(GetWindowLong(hwnd, GWL_STYLE) & WS_THICKFRAME);
  w.RemoveStyle(WS_THICKFRAME);
  EXPECT_EQ(w.m_FrameMetrics.left, kDlgX);
}

}  // namespace
