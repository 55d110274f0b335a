// ctest-label: threads
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

#include "base/FrameTimer.h"
#include "base/Thread.h"
#include "platform/Messages.h"
#include "tests/support/TestSupport.h"
#include "tests/support/Wait.h"

namespace {

using namespace platform;
using namespace std::chrono_literals;

// Exit logs a thread that outlived its polls.
bool HasGaveUpLine(const testsupport::LogCapture& log) {
  return log.Text().find("did not end") != std::string::npos;
}

template <class Pred>
void WaitUntil(Pred pred) {
  EXPECT_TRUE(testsupport::WaitFor(pred)) << "waited past the deadline";
}

// A well-behaved worker: reads its queue and ends on WM_QUIT.
std::atomic<int> g_quitLoopEnded{0};
unsigned QuitLoop(void*) {
  MSG m;
  while (GetMessage(&m, nullptr, 0, 0)) {
  }
  ++g_quitLoopEnded;
  return 1;
}

TEST(Thread, IdleObjectIgnoresExitWaitSuspendAndResume) {
  testsupport::LogCapture log;
  cThread t;
  EXPECT_FALSE(t.HasThread());
  EXPECT_EQ(t.GetThreadId(), 0u);
  t.Exit();
  t.Wait();
  EXPECT_EQ(t.Suspend(), 1);
  EXPECT_EQ(t.Resume(), 1);
  EXPECT_EQ(t.Start(nullptr, nullptr), 0);
  EXPECT_EQ(log.Text(), "");
}

TEST(Thread, ExitEndsAThreadThatHonoursQuit) {
  testsupport::LogCapture log;
  g_quitLoopEnded = 0;
  cThread t;
  ASSERT_EQ(t.Start(&QuitLoop, nullptr), 1);
  EXPECT_TRUE(t.HasThread());
  EXPECT_NE(t.GetThreadId(), 0u);
  // At once, possibly before the thread has its queue: the re-posts cover that.
  t.Exit();
  EXPECT_EQ(g_quitLoopEnded.load(), 1);
  EXPECT_FALSE(t.HasThread());
  EXPECT_FALSE(HasGaveUpLine(log));
  t.Exit();  // a second time does nothing
}

// Ignores WM_QUIT and never reaches a park point until released.
std::atomic<bool> g_release{false};
std::atomic<bool> g_stubbornEnded{false};
unsigned Stubborn(void*) {
  testsupport::WaitFor([] { return g_release.load(); });
  ThreadSleep(1);
  g_stubbornEnded = true;
  return 0;
}

// The caller of Exit frees what the thread works on next: a thread that is
// still busy after the polls is waited for, never left running.
TEST(Thread, ExitWaitsForAThreadThatOutlivesItsPolls) {
  testsupport::LogCapture log;
  g_release = false;
  g_stubbornEnded = false;
  cThread t;
  ASSERT_EQ(t.Start(&Stubborn, nullptr), 1);
  const auto start = std::chrono::steady_clock::now();
  std::thread releaser([] {
    std::this_thread::sleep_for(400ms);
    g_release = true;
  });
  t.Exit();
  const auto took = std::chrono::steady_clock::now() - start;
  releaser.join();
  EXPECT_TRUE(g_stubbornEnded.load()) << "Exit returned while the thread still ran";
  EXPECT_GE(took, 400ms);
  EXPECT_FALSE(t.HasThread());
  EXPECT_NE(log.Text().find("did not end after 200 polls; waiting"), std::string::npos) << log.Text();
  EXPECT_NE(log.Text().find("ended after"), std::string::npos) << log.Text();
}

// A long load polls the stop request at its safe points: false while the
// thread runs normally and on threads that are no cThread worker, true once
// Exit has asked, so Exit ends it within its polls.
std::atomic<int> g_stopSeenBefore{-1};
std::atomic<bool> g_busyEnded{false};
std::atomic<bool> g_busyRunning{false};
unsigned BusyLoad(void*) {
  g_stopSeenBefore = ThreadStopRequested() ? 1 : 0;
  g_busyRunning = true;
  while (!ThreadStopRequested()) {
  }
  g_busyEnded = true;
  return 0;
}

TEST(Thread, StopRequestEndsALoadThatNeverReadsItsQueue) {
  testsupport::LogCapture log;
  EXPECT_FALSE(ThreadStopRequested()) << "not a worker";
  g_stopSeenBefore = -1;
  g_busyEnded = false;
  g_busyRunning = false;
  cThread t;
  ASSERT_EQ(t.Start(&BusyLoad, nullptr), 1);
  WaitUntil([] { return g_busyRunning.load(); });
  std::this_thread::sleep_for(20ms);
  EXPECT_FALSE(g_busyEnded.load());
  t.Exit();
  EXPECT_EQ(g_stopSeenBefore.load(), 0);
  EXPECT_TRUE(g_busyEnded.load());
  EXPECT_FALSE(HasGaveUpLine(log)) << log.Text();
  EXPECT_FALSE(ThreadStopRequested());
}

TEST(Thread, WaitReturnsWhenTheThreadEndsAndTheObjectCanStartAgain) {
  cThread t;
  ASSERT_EQ(t.Start([](void*) -> unsigned { return 0; }, nullptr), 1);
  uint32_t first = t.GetThreadId();
  t.Wait();
  EXPECT_FALSE(t.HasThread());
  EXPECT_FALSE(PostThreadMessage(first, WM_APP, 0, 0)) << "the ended thread has no queue";
  g_quitLoopEnded = 0;
  ASSERT_EQ(t.Start(&QuitLoop, nullptr), 1);
  EXPECT_NE(t.GetThreadId(), first);
  t.Exit();
  EXPECT_EQ(g_quitLoopEnded.load(), 1);
}

// The window thread ends a thread that another thread is waiting for (the
// game thread waiting for the modal sub-loop while the window closes).
TEST(Thread, ExitFromOneThreadReleasesAWaitOnAnother) {
  g_quitLoopEnded = 0;
  cThread t;
  ASSERT_EQ(t.Start(&QuitLoop, nullptr), 1);
  std::atomic<bool> waited{false};
  std::thread waiter([&] {
    t.Wait();
    waited = true;
  });
  std::this_thread::sleep_for(5ms);
  EXPECT_FALSE(waited.load());
  t.Exit();
  waiter.join();
  EXPECT_TRUE(waited.load());
  EXPECT_EQ(g_quitLoopEnded.load(), 1);
  EXPECT_FALSE(t.HasThread());
}

// A worker blocked in a request to a window thread that is busy closing
// (it is the one calling Exit) is released and ends through WM_QUIT.
std::atomic<HWND> g_window{nullptr};
std::atomic<bool> g_sending{false};
std::atomic<LRESULT> g_sendResult{-1};
unsigned Requester(void*) {
  EnsureMessageQueue();
  g_sending = true;
  g_sendResult = SendMessage(g_window, WM_USER + 5, 3, 0);
  return QuitLoop(nullptr);
}

TEST(Thread, ExitReleasesAWorkerWaitingInASend) {
  testsupport::LogCapture log;
  g_quitLoopEnded = 0;
  g_sending = false;
  std::atomic<int> served{0};
  g_window = CreateMessageWindow([&](HWND, UINT, WPARAM, LPARAM) {
    ++served;
    return LRESULT{1};
  });
  cThread t;
  ASSERT_EQ(t.Start(&Requester, nullptr), 1);
  WaitUntil([] { return g_sending.load(); });
  std::this_thread::sleep_for(5ms);
  t.Exit();  // this thread does not pump meanwhile
  EXPECT_EQ(g_sendResult.load(), 0);
  EXPECT_EQ(g_quitLoopEnded.load(), 1);
  EXPECT_FALSE(HasGaveUpLine(log));
  MSG m;
  while (PeekMessage(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessage(&m);
  EXPECT_EQ(served.load(), 0) << "the withdrawn request never runs";
  ShutdownMessageQueue();
}

// Each kind of park point a looping worker may pass.
struct ParkPoint {
  const char* name;
  void (*call)();
};
const ParkPoint kParkPoints[] = {
    {"PeekMessage", [] { MSG m; PeekMessage(&m, nullptr, 0, 0, PM_REMOVE); }},
    {"WaitMessage", [] { WaitMessage(1); }},
    {"ThreadSleep", [] { ThreadSleep(1); }},
    {"IsNextFrameDue", [] { IsNextFrameDue(0); }},
};

std::atomic<int> g_turns{0};
std::atomic<bool> g_stop{false};
const ParkPoint* g_point = nullptr;
unsigned Looper(void*) {
  while (!g_stop) {
    g_point->call();
    ++g_turns;
  }
  return 0;
}

TEST(Thread, SuspendParksALoopingWorkerAtItsNextParkPointAndResumeReleasesIt) {
  for (const ParkPoint& point : kParkPoints) {
    SCOPED_TRACE(point.name);
    g_point = &point;
    g_turns = 0;
    g_stop = false;
    cThread t;
    ASSERT_EQ(t.Start(&Looper, nullptr), 1);
    WaitUntil([] { return g_turns.load() > 3; });
    EXPECT_EQ(t.Suspend(), 1);
    WaitUntil([&] { return IsThreadParked(t.GetThreadId()); });
    int parkedAt = g_turns.load();
    std::this_thread::sleep_for(15ms);
    EXPECT_EQ(g_turns.load(), parkedAt);
    EXPECT_EQ(t.Resume(), 1);
    WaitUntil([&] { return g_turns.load() > parkedAt + 3; });
    g_stop = true;
    t.Wait();
  }
}

// Exit resumes once only: a thread suspended twice stays parked through the
// polls; then its suspension is lifted and Exit waits for its end.
std::atomic<int> g_parkTurns{0};
std::atomic<bool> g_parkerEnded{false};
unsigned StoppableSleeper(void*) {
  while (!ThreadStopRequested()) {
    ThreadSleep(1);
    ++g_parkTurns;
  }
  g_parkerEnded = true;
  return 0;
}

TEST(Thread, ExitKeepsFurtherSuspensionLevelsThroughItsPolls) {
  testsupport::LogCapture log;
  g_parkTurns = 0;
  g_parkerEnded = false;
  cThread t;
  ASSERT_EQ(t.Start(&StoppableSleeper, nullptr), 1);
  uint32_t id = t.GetThreadId();
  WaitUntil([] { return g_parkTurns.load() > 2; });
  t.Suspend();
  t.Suspend();
  WaitUntil([id] { return IsThreadParked(id); });
  auto start = std::chrono::steady_clock::now();
  t.Exit();
  EXPECT_GE(std::chrono::steady_clock::now() - start, 200ms) << "parked through 200 polls of at least 1 ms";
  EXPECT_TRUE(HasGaveUpLine(log)) << log.Text();
  EXPECT_TRUE(g_parkerEnded.load());
  EXPECT_FALSE(IsThreadParked(id));
  EXPECT_FALSE(t.HasThread());
}

// A program-wide thread object still running at exit is ended by its
// destructor; a joinable std::thread left behind would abort the process.
cThread& StaticThread() {
  static cThread t;
  return t;
}

TEST(ThreadDeathTest, StaticThreadObjectEndsItsThreadAtExit) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        StaticThread().Start(&QuitLoop, nullptr);
        std::exit(3);
      },
      ::testing::ExitedWithCode(3), "");
}

}  // namespace
