#pragma once
// cThread: one worker thread of the program (game loop, modal sub-loop,
// ranking, stage reader) on std::thread, ended politely through WM_QUIT.
//
// Suspend and Resume are cooperative: a suspended thread parks at its next
// queue call (PeekMessage, GetMessage, WaitMessage, SendMessage), ThreadSleep
// or frame wait, never in the middle of its own work.
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>

// Sleep for the whole program: honours a suspension of the calling thread
// before and after the sleep.
void ThreadSleep(uint32_t ms);

// True on a cThread worker whose object's Exit has been called.
// Long loads check it at safe points and give up, so a close need not wait
// for them to finish. Always false on other threads.
bool ThreadStopRequested();

class cThread {
 public:
  // The thread procedure; its result is not used.
  using ThreadProc = unsigned (*)(void* arg);

  // Polls of 1 ms that Exit waits for a thread to answer WM_QUIT.
  static constexpr int kExitPolls = 200;

  cThread() = default;
  ~cThread();
  cThread(const cThread&) = delete;
  cThread& operator=(const cThread&) = delete;

  // 1 when the thread runs, 0 when it cannot be created.
  int Start(ThreadProc proc, void* arg);
  // Until the thread has ended (or another thread has ended it through Exit).
  void Wait();
  // One suspension level more or less; 1 also when no thread runs.
  int Suspend();
  int Resume();
  // Resume once, post WM_QUIT, re-post it every 1 ms poll. A thread still
  // running after kExitPolls polls is waited for (with a log line, its
  // suspension lifted so that it can reach its end): the caller goes on to
  // free what the thread uses, so it is never left running.
  void Exit();

  // Id of the last thread started (0 before the first start); its queue
  // receives PostThreadMessage.
  uint32_t GetThreadId() const { return m_dwThreadId.load(std::memory_order_acquire); }
  // Whether a thread is held (started and not yet ended by Wait or Exit).
  bool HasThread() const;

 private:
  struct Handle;
  bool Holds(const std::shared_ptr<Handle>& h) const;
  std::shared_ptr<Handle> Take(const std::shared_ptr<Handle>& h);
  static void Reap(Handle& h);

  mutable std::mutex m_mutex;
  std::atomic<uint32_t> m_dwThreadId{0};
  std::shared_ptr<Handle> m_hThread;  // guarded by m_mutex
};
