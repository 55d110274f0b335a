// ctest-label: window
// The main window's pump on SDL's dummy driver: SDL events, SIGTERM and
// other threads' requests become window messages on the main thread.
#include <gtest/gtest.h>

#include <SDL.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <functional>
#include <thread>
#include <vector>

#include "platform/FrameMailbox.h"
#include "platform/Keyboard.h"
#include "platform/MessageBox.h"
#include "platform/Window.h"
#include "tests/support/Wait.h"

namespace {

using namespace platform;

struct Seen {
  UINT msg;
  WPARAM w;
  LPARAM l;
};

class WindowPump : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(InitWindowSystem()) << GetWindowError();
    hwnd = CreateMainWindow(
        [this](HWND, UINT m, WPARAM w, LPARAM l) -> LRESULT {
          seen.push_back({m, w, l});
          return m == WM_USER + 1 ? static_cast<LRESULT>(w * 2) : 0;
        },
        "\x83\x65\x83\x58\x83\x67", WS_POPUP | WS_CAPTION, 100, 100, 646, 505);  // "テスト"
    ASSERT_NE(hwnd, nullptr) << GetWindowError();
  }
  void TearDown() override {
    if (hwnd) DestroyWindow(hwnd);
    ShutdownWindowSystem();
  }
  // Pumps and dispatches until a message with that number arrives (or 5 s pass).
  const Seen* PumpUntil(UINT msg) {
    auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    size_t from = seen.size();
    while (std::chrono::steady_clock::now() < until) {
      WaitWindowMessage(20);
      MSG m;
      while (PeekWindowMessage(&m)) DispatchMessage(&m);
      for (size_t i = from; i < seen.size(); ++i)
        if (seen[i].msg == msg) return &seen[i];
    }
    return nullptr;
  }
  void PushWindowEvent(Uint8 event) {
    SDL_Event e;
    SDL_zero(e);
    e.type = SDL_WINDOWEVENT;
    e.window.event = event;
    // The one window of this process.
    for (Uint32 id = 1; id < 64; ++id)
      if (SDL_GetWindowFromID(id)) e.window.windowID = id;
    ASSERT_EQ(SDL_PushEvent(&e), 1);
  }
  void PushKey(Uint32 type, SDL_Keycode key, SDL_Scancode scan, Uint8 repeat = 0) {
    SDL_Event e;
    SDL_zero(e);
    e.type = type;
    e.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
    e.key.repeat = repeat;
    e.key.keysym.sym = key;
    e.key.keysym.scancode = scan;
    ASSERT_EQ(SDL_PushEvent(&e), 1);
  }

  // Key messages that reached the window from `from` on.
  std::vector<Seen> KeysSince(size_t from) const {
    std::vector<Seen> keys;
    for (size_t i = from; i < seen.size(); ++i)
      if (seen[i].msg == WM_KEYDOWN || seen[i].msg == WM_KEYUP) keys.push_back(seen[i]);
    return keys;
  }

  HWND hwnd = nullptr;
  std::vector<Seen> seen;
};

TEST_F(WindowPump, CreationSendsMinMaxThenCreate) {
  ASSERT_GE(seen.size(), 2u);
  EXPECT_EQ(seen[0].msg, WM_GETMINMAXINFO);
  EXPECT_EQ(seen[1].msg, WM_CREATE);
  RECT r;
  ASSERT_TRUE(GetClientRect(hwnd, r));
  EXPECT_EQ(r, (RECT{0, 0, 640, 480})) << "outer 646x505 less the caption and dialog frame";
  EXPECT_EQ(GetMainWindow(), hwnd);
}

TEST_F(WindowPump, ActivationCloseAndPaint) {
  PushWindowEvent(SDL_WINDOWEVENT_FOCUS_GAINED);
  const Seen* s = PumpUntil(WM_ACTIVATEAPP);
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(s->w, 1u);

  SetKeyDown('Z', true);
  PushWindowEvent(SDL_WINDOWEVENT_FOCUS_LOST);
  s = PumpUntil(WM_ACTIVATEAPP);
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(s->w, 0u);
  EXPECT_FALSE(IsKeyDown('Z')) << "keys are let go with the focus";

  PushWindowEvent(SDL_WINDOWEVENT_EXPOSED);
  EXPECT_NE(PumpUntil(WM_PAINT), nullptr);
  PushWindowEvent(SDL_WINDOWEVENT_CLOSE);
  EXPECT_NE(PumpUntil(WM_CLOSE), nullptr);
}

TEST_F(WindowPump, KeysAndMouseButtonsFillTheKeyStateAndPost) {
  PushKey(SDL_KEYDOWN, SDLK_z, SDL_SCANCODE_Z);
  const Seen* s = PumpUntil(WM_KEYDOWN);
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(s->w, static_cast<WPARAM>('Z'));
  EXPECT_TRUE(IsKeyDown('Z'));
  PushKey(SDL_KEYUP, SDLK_z, SDL_SCANCODE_Z);
  ASSERT_NE(PumpUntil(WM_KEYUP), nullptr);
  EXPECT_FALSE(IsKeyDown('Z'));

  PushKey(SDL_KEYDOWN, SDLK_RSHIFT, SDL_SCANCODE_RSHIFT);
  s = PumpUntil(WM_KEYDOWN);
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(s->w, static_cast<WPARAM>(VK_SHIFT));
  EXPECT_TRUE(IsKeyDown(VK_RSHIFT));
  PushKey(SDL_KEYUP, SDLK_RSHIFT, SDL_SCANCODE_RSHIFT);
  PumpUntil(WM_KEYUP);

  SDL_Event e;
  SDL_zero(e);
  e.type = SDL_MOUSEBUTTONDOWN;
  e.button.button = SDL_BUTTON_LEFT;
  e.button.x = 12;
  e.button.y = 34;
  ASSERT_EQ(SDL_PushEvent(&e), 1);
  s = PumpUntil(WM_LBUTTONDOWN);
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(s->l, (34 << 16) | 12);
  EXPECT_TRUE(IsKeyDown(VK_LBUTTON));
  e.type = SDL_MOUSEBUTTONUP;
  ASSERT_EQ(SDL_PushEvent(&e), 1);
  ASSERT_NE(PumpUntil(WM_LBUTTONUP), nullptr);
  EXPECT_FALSE(IsKeyDown(VK_LBUTTON));
}

// What a dialog's end leaves: the key that ended it still held, its repeats
// and a whole keystroke waiting in SDL's queue, a key message posted.
TEST_F(WindowPump, KeysQueuedWhenADialogEndsNeverReachTheProgram) {
  PushKey(SDL_KEYDOWN, SDLK_ESCAPE, SDL_SCANCODE_ESCAPE);
  PushKey(SDL_KEYDOWN, SDLK_ESCAPE, SDL_SCANCODE_ESCAPE, 1);
  PushKey(SDL_KEYDOWN, SDLK_a, SDL_SCANCODE_A);
  PushKey(SDL_KEYUP, SDLK_a, SDL_SCANCODE_A);
  PushWindowEvent(SDL_WINDOWEVENT_CLOSE);
  ASSERT_TRUE(PostMessage(hwnd, WM_KEYDOWN, 'B', 1));
  const size_t from = seen.size();
  DropQueuedKeys();
  EXPECT_TRUE(IsKeyDown(VK_ESCAPE)) << "the key state follows the dropped events";
  EXPECT_FALSE(IsKeyDown('A'));
  EXPECT_NE(PumpUntil(WM_CLOSE), nullptr) << "other events go on as usual";

  // Later repeats and the release of the held key stay the dialog's; each
  // batch ends with a paint, so that all of it has been pumped.
  PushKey(SDL_KEYDOWN, SDLK_ESCAPE, SDL_SCANCODE_ESCAPE, 1);
  PushKey(SDL_KEYDOWN, SDLK_ESCAPE, SDL_SCANCODE_ESCAPE, 1);
  PushKey(SDL_KEYUP, SDLK_ESCAPE, SDL_SCANCODE_ESCAPE);
  PushWindowEvent(SDL_WINDOWEVENT_EXPOSED);
  ASSERT_NE(PumpUntil(WM_PAINT), nullptr);
  for (const Seen& k : KeysSince(from)) ADD_FAILURE() << "key message " << k.msg << " for " << k.w;
  EXPECT_FALSE(IsKeyDown(VK_ESCAPE));

  // A fresh press is the program's again.
  PushKey(SDL_KEYDOWN, SDLK_ESCAPE, SDL_SCANCODE_ESCAPE);
  PushKey(SDL_KEYUP, SDLK_ESCAPE, SDL_SCANCODE_ESCAPE);
  PushWindowEvent(SDL_WINDOWEVENT_EXPOSED);
  ASSERT_NE(PumpUntil(WM_PAINT), nullptr);
  const std::vector<Seen> keys = KeysSince(from);
  ASSERT_EQ(keys.size(), 2u);
  EXPECT_EQ(keys[0].msg, WM_KEYDOWN);
  EXPECT_EQ(keys[0].w, static_cast<WPARAM>(VK_ESCAPE));
  EXPECT_EQ(keys[1].msg, WM_KEYUP);
}

// Ctrl+C asks for an orderly close like SIGTERM does, marked as a signal's.
TEST_F(WindowPump, SigtermAndSigintBecomeClose) {
  for (int sig : {SIGTERM, SIGINT}) {
    SCOPED_TRACE(sig);
    std::raise(sig);
    const Seen* s = PumpUntil(WM_CLOSE);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->w, kCloseBySignal);
  }
}

TEST_F(WindowPump, OtherThreadsPostSendAndPresent) {
  std::atomic<LRESULT> reply{-1};
  std::thread worker([&] {
    PostMessage(hwnd, WM_USER + 5, 3, 0);
    reply = SendMessage(hwnd, WM_USER + 1, 21, 0);
    std::vector<uint32_t> frame(static_cast<size_t>(kFrameWidth) * kFrameHeight, 0xFF336699u);
    MainFrameMailbox().Post(frame.data(), kFrameWidth * 4);
  });
  const uint64_t shown = PresentedFrameCount();
  ASSERT_NE(PumpUntil(WM_USER + 1), nullptr);
  auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (PresentedFrameCount() == shown && std::chrono::steady_clock::now() < until) WaitWindowMessage(20);
  worker.join();
  EXPECT_EQ(reply.load(), 42);
  EXPECT_GT(PresentedFrameCount(), shown);
  bool posted = false;
  for (const Seen& s : seen) posted |= s.msg == WM_USER + 5 && s.w == 3;
  EXPECT_TRUE(posted);
}

// A box nobody sees gets the answer that loses nothing.
TEST_F(WindowPump, MessageBoxesWithoutADisplayGoToStandardError) {
  EXPECT_EQ(ShowMessageBox("text", "caption", MB_YESNO), IDNO);
  EXPECT_EQ(ShowMessageBox("text", "caption", MB_OKCANCEL), IDCANCEL);
  std::atomic<int> fromWorker{0};
  std::thread worker([&] { fromWorker = ShowMessageBox("text", "caption", MB_OK | MB_ICONERROR); });
  worker.join();  // never waits for the main thread on a display that cannot show a box
  EXPECT_EQ(fromWorker.load(), IDOK);
}

TEST_F(WindowPump, DestroySendsDestroyAndReleasesWaitingSenders) {
  std::atomic<LRESULT> reply{-1};
  std::atomic<bool> sending{false};
  std::thread worker([&] {
    sending = true;
    reply = SendMessage(hwnd, WM_USER + 1, 50, 0);
  });
  EXPECT_TRUE(testsupport::WaitFor([&] { return sending.load(); }));
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  ASSERT_TRUE(DestroyWindow(hwnd));
  worker.join();
  EXPECT_EQ(reply.load(), 0) << "released, not left waiting";
  EXPECT_EQ(seen.back().msg, WM_DESTROY);
  EXPECT_FALSE(PostMessage(hwnd, WM_USER, 0, 0));
  EXPECT_EQ(GetMainWindow(), nullptr);
  hwnd = nullptr;
}

}  // namespace
