#include "base/Thread.h"

#include <system_error>
#include <thread>

#include "base/Log.h"
#include "platform/Clock.h"
#include "platform/Messages.h"

void ThreadSleep(uint32_t ms) {
  platform::ParkIfSuspended();
  if (ms) platform::SleepMs(ms);
  platform::ParkIfSuspended();
}

namespace {
// The stop flag of the cThread the calling thread runs for, if any.
thread_local std::atomic<bool>* t_stop = nullptr;
}  // namespace

bool ThreadStopRequested() { return t_stop && t_stop->load(std::memory_order_acquire); }

struct cThread::Handle {
  std::thread thread;
  uint32_t id = 0;
  std::shared_ptr<std::atomic<bool>> ended = std::make_shared<std::atomic<bool>>(false);
  std::shared_ptr<std::atomic<bool>> stop = std::make_shared<std::atomic<bool>>(false);
};

cThread::~cThread() { Exit(); }

bool cThread::HasThread() const {
  std::lock_guard<std::mutex> lk(m_mutex);
  return m_hThread != nullptr;
}

bool cThread::Holds(const std::shared_ptr<Handle>& h) const {
  std::lock_guard<std::mutex> lk(m_mutex);
  return m_hThread == h;
}

// Only the caller that takes the handle joins or detaches its thread.
std::shared_ptr<cThread::Handle> cThread::Take(const std::shared_ptr<Handle>& h) {
  std::lock_guard<std::mutex> lk(m_mutex);
  if (m_hThread != h) return nullptr;
  m_hThread.reset();
  return h;
}

void cThread::Reap(Handle& h) {
  if (!h.thread.joinable()) return;
  if (h.thread.get_id() == std::this_thread::get_id())
    h.thread.detach();  // a thread ending its own object cannot join itself
  else
    h.thread.join();
  platform::ClearThreadSuspension(h.id);
}

int cThread::Start(ThreadProc proc, void* arg) {
  if (!proc) return 0;
  std::shared_ptr<Handle> old;
  {
    std::lock_guard<std::mutex> lk(m_mutex);
    old = std::move(m_hThread);
  }
  if (old) {
    if (old->ended->load(std::memory_order_acquire)) {
      Reap(*old);
    } else {
      WriteLog("cThread::Start : thread %u still runs; detached", old->id);
      old->thread.detach();
    }
  }

  auto h = std::make_shared<Handle>();
  h->id = platform::ReserveThreadId();
  try {
    h->thread = std::thread([proc, arg, id = h->id, ended = h->ended, stop = h->stop] {
      platform::AdoptThreadId(id);
      t_stop = stop.get();
      proc(arg);
      t_stop = nullptr;
      // Posts fail from here on, and a send still waiting for this thread is released.
      platform::ShutdownMessageQueue();
      ended->store(true, std::memory_order_release);
    });
  } catch (const std::system_error&) {
    return 0;
  }
  std::lock_guard<std::mutex> lk(m_mutex);
  m_hThread = h;
  m_dwThreadId.store(h->id, std::memory_order_release);
  return 1;
}

void cThread::Wait() {
  std::shared_ptr<Handle> h;
  {
    std::lock_guard<std::mutex> lk(m_mutex);
    h = m_hThread;
  }
  if (!h) return;
  while (!h->ended->load(std::memory_order_acquire)) {
    if (!Holds(h)) return;  // ended meanwhile by Exit on another thread
    ThreadSleep(1);
  }
  if (auto taken = Take(h)) Reap(*taken);
}

int cThread::Suspend() {
  std::shared_ptr<Handle> h;
  {
    std::lock_guard<std::mutex> lk(m_mutex);
    h = m_hThread;
  }
  if (h && !h->ended->load(std::memory_order_acquire)) platform::SuspendThreadById(h->id);
  return 1;
}

int cThread::Resume() {
  std::shared_ptr<Handle> h;
  {
    std::lock_guard<std::mutex> lk(m_mutex);
    h = m_hThread;
  }
  if (h) platform::ResumeThreadById(h->id);
  return 1;
}

void cThread::Exit() {
  std::shared_ptr<Handle> h;
  {
    std::lock_guard<std::mutex> lk(m_mutex);
    h = m_hThread;
  }
  if (!h) return;
  h->stop->store(true, std::memory_order_release);
  // One level only: a thread suspended several times keeps the rest.
  Resume();
  WriteDebugLog("Exit A");
  platform::PostThreadMessage(h->id, platform::WM_QUIT, 0, 0);
  WriteDebugLog("Exit B");
  WriteDebugLog("Exit C");
  // Re-posted on every poll: the first post fails while the thread has no queue yet.
  int polls = 0;
  bool answered = true;
  while (!h->ended->load(std::memory_order_acquire)) {
    if (!Holds(h)) return;  // another caller of Wait or Exit finished it
    ThreadSleep(1);
    platform::PostThreadMessage(h->id, platform::WM_QUIT, 0, 0);
    if (++polls >= kExitPolls) {
      answered = false;
      break;
    }
  }
  WriteDebugLog("Exit D");
  // A thread ending its own object cannot wait for itself.
  const bool self = platform::GetCurrentThreadId() == h->id;
  if (!answered && !self) {
    // The thread is busy (a long load): it sees the stop request at its next
    // safe point. Whoever called Exit frees what it may still touch, so wait.
    WriteLog("cThread::Exit : thread %u did not end after %d polls; waiting", h->id, polls);
    platform::ClearThreadSuspension(h->id);
    const uint64_t start = platform::GetTickCount64();
    while (!h->ended->load(std::memory_order_acquire)) {
      if (!Holds(h)) break;  // another caller of Wait or Exit finished it
      platform::SleepMs(1);
      platform::PostThreadMessage(h->id, platform::WM_QUIT, 0, 0);
    }
    WriteLog("cThread::Exit : thread %u ended after %llu ms more", h->id,
             static_cast<unsigned long long>(platform::GetTickCount64() - start));
  }
  if (auto taken = Take(h)) Reap(*taken);
  WriteDebugLog("Exit E");
}
