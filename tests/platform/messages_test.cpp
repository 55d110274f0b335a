// ctest-label: threads
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <thread>
#include <vector>

#include "platform/Messages.h"
#include "tests/support/Wait.h"

namespace {

using namespace platform;
using namespace std::chrono_literals;

// Every test leaves the main thread without a queue, as it found it.
class Messages : public ::testing::Test {
 protected:
  void TearDown() override { ShutdownMessageQueue(); }
};

// Runs fn on a worker and returns its future; the worker ends with fn.
template <class F>
auto OnWorker(F fn) {
  return std::async(std::launch::async, fn);
}

TEST_F(Messages, ThreadIdsAreDistinctAndNeverZero) {
  uint32_t mine = GetCurrentThreadId();
  uint32_t other = OnWorker([] { return GetCurrentThreadId(); }).get();
  EXPECT_NE(mine, 0u);
  EXPECT_NE(other, 0u);
  EXPECT_NE(mine, other);
  EXPECT_EQ(mine, GetCurrentThreadId());
}

TEST_F(Messages, ThreadPostFailsUntilTheQueueExistsAndAfterItEnds) {
  std::promise<uint32_t> idReady;
  std::promise<void> tryNow, queueMade, ended;
  std::atomic<bool> release{false};
  std::thread worker([&] {
    idReady.set_value(GetCurrentThreadId());
    tryNow.get_future().wait();
    EnsureMessageQueue();
    queueMade.set_value();
    testsupport::WaitFor([&] { return release.load(); });
  });
  uint32_t id = idReady.get_future().get();
  EXPECT_FALSE(PostThreadMessage(id, WM_APP, 0, 0)) << "no queue yet";
  tryNow.set_value();
  queueMade.get_future().wait();
  EXPECT_TRUE(PostThreadMessage(id, WM_APP, 0, 0));
  release = true;
  worker.join();
  EXPECT_FALSE(PostThreadMessage(id, WM_APP, 0, 0)) << "the queue ends with its thread";
  EXPECT_FALSE(PostThreadMessage(0, WM_APP, 0, 0));
}

TEST_F(Messages, PeekTakesInOrderHonoursFiltersAndRemoval) {
  EnsureMessageQueue();
  HWND a = CreateMessageWindow([](HWND, UINT, WPARAM, LPARAM) { return LRESULT{0}; });
  HWND b = CreateMessageWindow([](HWND, UINT, WPARAM, LPARAM) { return LRESULT{0}; });
  uint32_t self = GetCurrentThreadId();
  ASSERT_TRUE(PostMessage(a, WM_USER + 1, 11, -1));
  ASSERT_TRUE(PostMessage(b, WM_KEYDOWN, 22, 0));
  ASSERT_TRUE(PostThreadMessage(self, WM_APP, 33, 0));

  MSG m{};
  // No removal leaves the message in place.
  ASSERT_TRUE(PeekMessage(&m, nullptr, 0, 0, PM_NOREMOVE));
  EXPECT_EQ(m.message, WM_USER + 1u);
  ASSERT_TRUE(PeekMessage(&m, nullptr, 0, 0, PM_NOREMOVE));
  EXPECT_EQ(m.message, WM_USER + 1u);
  // Window filter and number range skip over earlier messages.
  ASSERT_TRUE(PeekMessage(&m, b, 0, 0, PM_REMOVE));
  EXPECT_EQ(m.hwnd, b);
  EXPECT_EQ(m.wParam, 22u);
  ASSERT_TRUE(PeekMessage(&m, nullptr, WM_APP, WM_APP, PM_REMOVE));
  EXPECT_EQ(m.hwnd, nullptr);
  EXPECT_EQ(m.wParam, 33u);
  EXPECT_FALSE(PeekMessage(&m, b, 0, 0, PM_REMOVE));
  ASSERT_TRUE(PeekMessage(&m, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(m.hwnd, a);
  EXPECT_EQ(m.lParam, -1);
  EXPECT_FALSE(PeekMessage(&m, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(Messages, QuitComesAfterPostedMessagesWithItsExitCodeAndPassesAnyRange) {
  EnsureMessageQueue();
  uint32_t self = GetCurrentThreadId();
  PostQuitMessage(7);
  ASSERT_TRUE(PostThreadMessage(self, WM_APP, 1, 0));
  EXPECT_TRUE(IsQuitPending());
  MSG m{};
  ASSERT_TRUE(PeekMessage(&m, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(m.message, WM_APP);
  // A range that excludes WM_QUIT still gets it.
  ASSERT_TRUE(PeekMessage(&m, nullptr, WM_USER, WM_USER, PM_NOREMOVE));
  EXPECT_EQ(m.message, WM_QUIT);
  EXPECT_EQ(GetMessage(&m, nullptr, 0, 0), 0);
  EXPECT_EQ(m.message, WM_QUIT);
  EXPECT_EQ(static_cast<int>(m.wParam), 7);
  EXPECT_FALSE(IsQuitPending());
  EXPECT_FALSE(PeekMessage(&m, nullptr, 0, 0, PM_REMOVE));

  // A negative exit code survives the trip through wParam.
  PostQuitMessage(-3);
  EXPECT_EQ(GetMessage(&m, nullptr, 0, 0), 0);
  EXPECT_EQ(static_cast<int>(m.wParam), -3);
}

TEST_F(Messages, DispatchCallsTheProcedureAndDeadWindowsRefusePosts) {
  std::vector<UINT> seen;
  HWND w = CreateMessageWindow([&](HWND h, UINT msg, WPARAM wp, LPARAM) {
    seen.push_back(msg);
    return static_cast<LRESULT>(wp * 2);
  });
  ASSERT_TRUE(IsMessageWindow(w));
  ASSERT_TRUE(PostMessage(w, WM_CLOSE, 21, 0));
  MSG m{};
  ASSERT_TRUE(PeekMessage(&m, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(DispatchMessage(&m), 42);
  EXPECT_EQ(seen, std::vector<UINT>{WM_CLOSE});

  MSG threadMsg{nullptr, WM_APP, 0, 0, 0};
  EXPECT_EQ(DispatchMessage(&threadMsg), 0);
  EXPECT_FALSE(PostMessage(nullptr, WM_CLOSE, 0, 0));
  DestroyMessageWindow(w);
  EXPECT_FALSE(IsMessageWindow(w));
  EXPECT_FALSE(PostMessage(w, WM_CLOSE, 0, 0));
  EXPECT_EQ(SendMessage(w, WM_CLOSE, 1, 0), 0);
  DestroyMessageWindow(w);  // twice is harmless
}

TEST_F(Messages, GetMessageBlocksUntilAPostArrives) {
  std::promise<uint32_t> idReady;
  auto got = OnWorker([&] {
    EnsureMessageQueue();
    idReady.set_value(GetCurrentThreadId());
    std::vector<UINT> msgs;
    MSG m{};
    while (GetMessage(&m, nullptr, 0, 0)) msgs.push_back(m.message);
    return msgs;
  });
  uint32_t id = idReady.get_future().get();
  std::this_thread::sleep_for(5ms);
  ASSERT_TRUE(PostThreadMessage(id, WM_APP, 0, 0));
  ASSERT_TRUE(PostThreadMessage(id, WM_USER, 0, 0));
  ASSERT_TRUE(PostThreadMessage(id, WM_QUIT, 0, 0));
  EXPECT_EQ(got.get(), (std::vector<UINT>{WM_APP, WM_USER}));
}

TEST_F(Messages, WaitMessageTimesOutOrWakesForAPost) {
  EnsureMessageQueue();
  EXPECT_FALSE(WaitMessage(5));
  uint32_t self = GetCurrentThreadId();
  auto poster = OnWorker([self] {
    std::this_thread::sleep_for(10ms);
    return PostThreadMessage(self, WM_APP, 0, 0);
  });
  EXPECT_TRUE(WaitMessage(10000));
  EXPECT_TRUE(poster.get());
  EXPECT_TRUE(WaitMessage(0)) << "a message is still queued";
}

TEST_F(Messages, SendFromAWorkerRunsOnTheOwnerAndReturnsItsResult) {
  uint32_t owner = GetCurrentThreadId();
  std::atomic<uint32_t> ranOn{0};
  HWND w = CreateMessageWindow([&](HWND, UINT msg, WPARAM wp, LPARAM lp) {
    ranOn = GetCurrentThreadId();
    return static_cast<LRESULT>(msg + wp + static_cast<WPARAM>(lp));
  });
  auto result = OnWorker([w] { return SendMessage(w, WM_USER + 5, 10, 100); });
  // Pump until the worker has its answer.
  while (result.wait_for(0ms) != std::future_status::ready) {
    MSG m;
    while (PeekMessage(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessage(&m);
    WaitMessage(1);
  }
  EXPECT_EQ(result.get(), static_cast<LRESULT>(WM_USER + 5 + 10 + 100));
  EXPECT_EQ(ranOn.load(), owner);
  // From the owner itself the procedure is called directly.
  EXPECT_EQ(SendMessage(w, 1, 2, 3), 6);
}

// A send pending when the owner stops serving it is released with 0,
// whether the window goes or the whole queue goes.
TEST_F(Messages, PendingSendIsReleasedWithZero) {
  for (bool wholeQueue : {false, true}) {
    SCOPED_TRACE(wholeQueue ? "queue shut down" : "window destroyed");
    std::atomic<int> calls{0};
    HWND w = CreateMessageWindow([&](HWND, UINT, WPARAM, LPARAM) {
      ++calls;
      return LRESULT{5};
    });
    auto result = OnWorker([w] { return SendMessage(w, WM_USER + 1, 0, 0); });
    EXPECT_EQ(result.wait_for(20ms), std::future_status::timeout) << "the send waits for the owner";
    if (wholeQueue)
      ShutdownMessageQueue();
    else
      DestroyMessageWindow(w);
    EXPECT_EQ(result.get(), 0);
    EXPECT_EQ(calls.load(), 0);
    EXPECT_FALSE(IsMessageWindow(w));
  }
}

TEST_F(Messages, QuitPostedToTheSenderReleasesItsWaitingSend) {
  std::atomic<int> calls{0};
  HWND w = CreateMessageWindow([&](HWND, UINT, WPARAM, LPARAM) {
    ++calls;
    return LRESULT{9};
  });
  std::promise<uint32_t> idReady;
  auto result = OnWorker([&] {
    EnsureMessageQueue();
    idReady.set_value(GetCurrentThreadId());
    return SendMessage(w, WM_USER + 5, 0, 0);
  });
  uint32_t sender = idReady.get_future().get();
  EXPECT_EQ(result.wait_for(20ms), std::future_status::timeout);
  ASSERT_TRUE(PostThreadMessage(sender, WM_QUIT, 0, 0));
  EXPECT_EQ(result.get(), 0);
  // The request was withdrawn, not run later.
  MSG m;
  while (PeekMessage(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessage(&m);
  EXPECT_EQ(calls.load(), 0);
}

TEST_F(Messages, TwoThreadsSendingToEachOtherDoNotLockUp) {
  // Each side's procedure sends to the other side's window; waiting senders
  // serve their own windows meanwhile.
  std::promise<HWND> otherWindow;
  std::promise<void> done;
  auto other = OnWorker([&] {
    HWND mine = CreateMessageWindow([](HWND, UINT, WPARAM wp, LPARAM) { return static_cast<LRESULT>(wp + 1); });
    otherWindow.set_value(mine);
    MSG m;
    auto f = done.get_future();
    while (f.wait_for(0ms) != std::future_status::ready) {
      while (PeekMessage(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessage(&m);
      WaitMessage(1);
    }
  });
  HWND theirs = otherWindow.get_future().get();
  HWND mine = CreateMessageWindow([&](HWND, UINT, WPARAM wp, LPARAM) { return SendMessage(theirs, 0, wp * 10, 0); });
  auto result = OnWorker([&] {
    // Third thread -> main window -> (main sends to the other thread while serving).
    return SendMessage(mine, WM_USER, 4, 0);
  });
  while (result.wait_for(0ms) != std::future_status::ready) {
    MSG m;
    while (PeekMessage(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessage(&m);
    WaitMessage(1);
  }
  EXPECT_EQ(result.get(), 41);
  done.set_value();
  other.get();
}

TEST_F(Messages, WakeHookRunsAfterEveryPostOrSend) {
  uint32_t self = GetCurrentThreadId();
  std::atomic<int> wakes{0};
  SetQueueWakeHook(self, [&] { ++wakes; });
  HWND w = CreateMessageWindow([](HWND, UINT, WPARAM, LPARAM) { return LRESULT{1}; });
  ASSERT_TRUE(PostMessage(w, WM_PAINT, 0, 0));
  ASSERT_TRUE(PostThreadMessage(self, WM_APP, 0, 0));
  EXPECT_EQ(wakes.load(), 2);
  auto result = OnWorker([w] { return SendMessage(w, WM_USER, 0, 0); });
  while (wakes.load() < 3) std::this_thread::sleep_for(1ms);
  while (result.wait_for(0ms) != std::future_status::ready) {
    MSG m;
    PeekMessage(&m, nullptr, 0, 0, PM_NOREMOVE);
    WaitMessage(1);
  }
  EXPECT_EQ(result.get(), 1);
  SetQueueWakeHook(self, nullptr);
  ASSERT_TRUE(PostThreadMessage(self, WM_APP, 0, 0));
  EXPECT_EQ(wakes.load(), 3);
}

TEST_F(Messages, SuspendedThreadParksAtItsNextQueueCall) {
  std::atomic<int> turns{0};
  std::atomic<bool> stop{false};
  std::promise<uint32_t> idReady;
  auto worker = OnWorker([&] {
    idReady.set_value(GetCurrentThreadId());
    MSG m;
    while (!stop) {
      PeekMessage(&m, nullptr, 0, 0, PM_REMOVE);
      ++turns;
    }
  });
  uint32_t id = idReady.get_future().get();
  SuspendThreadById(id);
  SuspendThreadById(id);  // levels nest
  EXPECT_TRUE(testsupport::WaitFor([&] { return IsThreadParked(id); }));
  int parkedAt = turns.load();
  std::this_thread::sleep_for(20ms);
  EXPECT_EQ(turns.load(), parkedAt);
  ResumeThreadById(id);
  std::this_thread::sleep_for(10ms);
  EXPECT_TRUE(IsThreadParked(id)) << "one level is left";
  EXPECT_EQ(turns.load(), parkedAt);
  ResumeThreadById(id);
  while (turns.load() == parkedAt) std::this_thread::sleep_for(1ms);
  EXPECT_FALSE(IsThreadParked(id));
  stop = true;
  worker.get();
  ResumeThreadById(id);  // resuming a running thread does nothing
}

}  // namespace
