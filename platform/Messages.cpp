#include "platform/Messages.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <map>
#include <memory>
#include <mutex>

#include "platform/Clock.h"

namespace platform {
namespace {

struct Queue;

struct PendingSend {
  uintptr_t window = 0;
  UINT message = 0;
  WPARAM wParam = 0;
  LPARAM lParam = 0;
  LRESULT result = 0;
  bool started = false;  // the owner has taken it and runs the procedure
  bool done = false;
  std::shared_ptr<Queue> sender;  // its condition wakes the waiting sender
};

struct Queue {
  uint32_t threadId = 0;
  std::condition_variable cv;
  std::deque<MSG> posted;
  std::deque<std::shared_ptr<PendingSend>> sends;
  bool quit = false;  // from PostQuitMessage
  int quitCode = 0;
  uint64_t seq = 0;  // bumped whenever something is queued
};

struct Window {
  uint32_t owner = 0;
  WNDPROC proc;
};

struct Suspension {
  int count = 0;
  bool parked = false;
};

// One lock for everything: traffic is a few messages per frame, and a single
// lock leaves no lock order to get wrong.
struct State {
  std::mutex m;
  std::map<uint32_t, std::shared_ptr<Queue>> queues;
  std::map<uintptr_t, Window> windows;
  std::map<uint32_t, std::function<void()>> wakeHooks;
  std::map<uint32_t, Suspension> suspended;
  std::condition_variable parkCv;
  uintptr_t nextWindow = 1;
};

// Never destroyed: static thread objects still post and wait while the
// program's statics are being torn down.
State& S() {
  static State* s = new State;
  return *s;
}

std::atomic<uint32_t> g_nextThreadId{1};
thread_local uint32_t t_threadId = 0;

uint32_t NewThreadId() {
  uint32_t id;
  do {
    id = g_nextThreadId.fetch_add(1, std::memory_order_relaxed);
  } while (id == 0);
  return id;
}

// A thread's queue ends with the thread.
struct QueueGuard {
  bool active = false;
  ~QueueGuard() {
    if (active) ShutdownMessageQueue();
  }
};
thread_local QueueGuard t_queueGuard;

HWND ToHandle(uintptr_t id) { return reinterpret_cast<HWND>(id); }
uintptr_t FromHandle(HWND h) { return reinterpret_cast<uintptr_t>(h); }

std::shared_ptr<Queue> FindQueueLocked(uint32_t threadId) {
  auto it = S().queues.find(threadId);
  return it == S().queues.end() ? nullptr : it->second;
}

std::shared_ptr<Queue> OwnQueueLocked() {
  uint32_t self = GetCurrentThreadId();
  auto& q = S().queues[self];
  if (!q) {
    q = std::make_shared<Queue>();
    q->threadId = self;
    t_queueGuard.active = true;
  }
  return q;
}

void Notify(Queue& q) {
  ++q.seq;
  q.cv.notify_all();
}

void Release(PendingSend& ps, LRESULT result) {
  ps.result = result;
  ps.done = true;
  if (ps.sender) ps.sender->cv.notify_all();
}

void WakeThread(uint32_t threadId) {
  std::function<void()> hook;
  {
    std::lock_guard<std::mutex> lk(S().m);
    auto it = S().wakeHooks.find(threadId);
    if (it != S().wakeHooks.end()) hook = it->second;
  }
  if (hook) hook();
}

bool QuitPendingLocked(const Queue& q) {
  if (q.quit) return true;
  return std::any_of(q.posted.begin(), q.posted.end(), [](const MSG& m) { return m.message == WM_QUIT; });
}

// Runs the sends queued for q's thread, outside the lock. True if any ran.
bool HandleSendsLocked(std::unique_lock<std::mutex>& lk, Queue& q) {
  bool any = false;
  while (!q.sends.empty()) {
    std::shared_ptr<PendingSend> ps = q.sends.front();
    q.sends.pop_front();
    ps->started = true;
    WNDPROC proc;
    auto it = S().windows.find(ps->window);
    if (it != S().windows.end()) proc = it->second.proc;
    lk.unlock();
    LRESULT result = proc ? proc(ToHandle(ps->window), ps->message, ps->wParam, ps->lParam) : 0;
    lk.lock();
    Release(*ps, result);
    any = true;
  }
  return any;
}

bool Passes(const MSG& m, HWND filter, UINT min, UINT max) {
  if (filter && m.hwnd != filter) return false;
  if (m.message == WM_QUIT) return true;
  if (min == 0 && max == 0) return true;
  return m.message >= min && m.message <= max;
}

bool TakeLocked(Queue& q, MSG* out, HWND filter, UINT min, UINT max, bool remove) {
  for (auto it = q.posted.begin(); it != q.posted.end(); ++it) {
    if (!Passes(*it, filter, min, max)) continue;
    if (out) *out = *it;
    if (remove) q.posted.erase(it);
    return true;
  }
  if (q.quit) {
    if (out) *out = MSG{nullptr, WM_QUIT, static_cast<WPARAM>(static_cast<intptr_t>(q.quitCode)), 0, GetTickCount32()};
    if (remove) q.quit = false;
    return true;
  }
  return false;
}

}  // namespace

uint32_t GetCurrentThreadId() {
  if (t_threadId == 0) t_threadId = NewThreadId();
  return t_threadId;
}

uint32_t ReserveThreadId() { return NewThreadId(); }

void AdoptThreadId(uint32_t id) {
  if (t_threadId == 0 && id != 0) t_threadId = id;
}

HWND CreateMessageWindow(WNDPROC proc) {
  std::lock_guard<std::mutex> lk(S().m);
  auto q = OwnQueueLocked();
  uintptr_t id = S().nextWindow++;
  S().windows[id] = Window{q->threadId, std::move(proc)};
  return ToHandle(id);
}

void DestroyMessageWindow(HWND hwnd) {
  std::lock_guard<std::mutex> lk(S().m);
  uintptr_t id = FromHandle(hwnd);
  auto it = S().windows.find(id);
  if (it == S().windows.end()) return;
  uint32_t owner = it->second.owner;
  S().windows.erase(it);
  if (auto q = FindQueueLocked(owner)) {
    auto& sends = q->sends;
    for (auto s = sends.begin(); s != sends.end();) {
      if ((*s)->window == id) {
        Release(**s, 0);
        s = sends.erase(s);
      } else {
        ++s;
      }
    }
  }
}

bool IsMessageWindow(HWND hwnd) {
  std::lock_guard<std::mutex> lk(S().m);
  return hwnd && S().windows.count(FromHandle(hwnd)) != 0;
}

bool PostMessage(HWND hwnd, UINT msg, WPARAM w, LPARAM l) {
  if (!hwnd) return false;
  uint32_t now = GetTickCount32();
  uint32_t owner;
  {
    std::lock_guard<std::mutex> lk(S().m);
    auto it = S().windows.find(FromHandle(hwnd));
    if (it == S().windows.end()) return false;
    owner = it->second.owner;
    auto q = FindQueueLocked(owner);
    if (!q) return false;
    q->posted.push_back(MSG{hwnd, msg, w, l, now});
    Notify(*q);
  }
  WakeThread(owner);
  return true;
}

bool PostThreadMessage(uint32_t threadId, UINT msg, WPARAM w, LPARAM l) {
  uint32_t now = GetTickCount32();
  {
    std::lock_guard<std::mutex> lk(S().m);
    auto q = FindQueueLocked(threadId);
    if (!q) return false;
    q->posted.push_back(MSG{nullptr, msg, w, l, now});
    Notify(*q);
  }
  WakeThread(threadId);
  return true;
}

void EnsureMessageQueue() {
  std::lock_guard<std::mutex> lk(S().m);
  OwnQueueLocked();
}

bool PeekMessage(MSG* msg, HWND filter, UINT min, UINT max, UINT remove) {
  ParkIfSuspended();
  std::unique_lock<std::mutex> lk(S().m);
  auto q = OwnQueueLocked();
  HandleSendsLocked(lk, *q);
  return TakeLocked(*q, msg, filter, min, max, (remove & PM_REMOVE) != 0);
}

int GetMessage(MSG* msg, HWND filter, UINT min, UINT max) {
  MSG local{};
  if (!msg) msg = &local;
  for (;;) {
    ParkIfSuspended();
    std::unique_lock<std::mutex> lk(S().m);
    auto q = OwnQueueLocked();
    HandleSendsLocked(lk, *q);
    if (TakeLocked(*q, msg, filter, min, max, true)) {
      lk.unlock();
      ParkIfSuspended();
      return msg->message == WM_QUIT ? 0 : 1;
    }
    uint64_t seen = q->seq;
    q->cv.wait(lk, [&] { return q->seq != seen; });
  }
}

bool WaitMessage(uint32_t timeoutMs) {
  ParkIfSuspended();
  bool got;
  {
    std::unique_lock<std::mutex> lk(S().m);
    auto q = OwnQueueLocked();
    got = HandleSendsLocked(lk, *q) || !q->posted.empty() || q->quit;
    if (!got) {
      uint64_t seen = q->seq;
      auto changed = [&] { return q->seq != seen; };
      if (timeoutMs == UINT32_MAX) {
        q->cv.wait(lk, changed);
        got = true;
      } else {
        got = q->cv.wait_for(lk, std::chrono::milliseconds(timeoutMs), changed);
      }
      if (got) HandleSendsLocked(lk, *q);
    }
  }
  ParkIfSuspended();
  return got;
}

void PostQuitMessage(int exitCode) {
  uint32_t self = GetCurrentThreadId();
  {
    std::lock_guard<std::mutex> lk(S().m);
    auto q = OwnQueueLocked();
    q->quit = true;
    q->quitCode = exitCode;
    Notify(*q);
  }
  WakeThread(self);
}

LRESULT DispatchMessage(const MSG* msg) {
  if (!msg || !msg->hwnd) return 0;
  WNDPROC proc;
  {
    std::lock_guard<std::mutex> lk(S().m);
    auto it = S().windows.find(FromHandle(msg->hwnd));
    if (it == S().windows.end()) return 0;
    proc = it->second.proc;
  }
  return proc ? proc(msg->hwnd, msg->message, msg->wParam, msg->lParam) : 0;
}

LRESULT SendMessage(HWND hwnd, UINT msg, WPARAM w, LPARAM l) {
  if (!hwnd) return 0;
  ParkIfSuspended();
  uint32_t self = GetCurrentThreadId();
  std::unique_lock<std::mutex> lk(S().m);
  auto it = S().windows.find(FromHandle(hwnd));
  if (it == S().windows.end()) return 0;
  uint32_t owner = it->second.owner;
  if (owner == self) {
    WNDPROC proc = it->second.proc;
    lk.unlock();
    return proc ? proc(hwnd, msg, w, l) : 0;
  }
  auto target = FindQueueLocked(owner);
  if (!target) return 0;
  auto me = OwnQueueLocked();
  // A thread that is being stopped starts no new request.
  if (QuitPendingLocked(*me)) return 0;

  auto ps = std::make_shared<PendingSend>();
  ps->window = FromHandle(hwnd);
  ps->message = msg;
  ps->wParam = w;
  ps->lParam = l;
  ps->sender = me;
  target->sends.push_back(ps);
  Notify(*target);
  lk.unlock();
  WakeThread(owner);
  lk.lock();

  for (;;) {
    if (ps->done) return ps->result;
    // Sends to this thread's own windows run while it waits, so two threads
    // sending to each other cannot lock up.
    if (!me->sends.empty()) {
      HandleSendsLocked(lk, *me);
      continue;
    }
    if (!ps->started && QuitPendingLocked(*me)) {
      auto& sends = target->sends;
      sends.erase(std::remove(sends.begin(), sends.end(), ps), sends.end());
      return 0;
    }
    uint64_t seen = me->seq;
    me->cv.wait(lk, [&] { return ps->done || me->seq != seen; });
  }
}

void SetQueueWakeHook(uint32_t threadId, std::function<void()> wake) {
  std::lock_guard<std::mutex> lk(S().m);
  if (wake)
    S().wakeHooks[threadId] = std::move(wake);
  else
    S().wakeHooks.erase(threadId);
}

void ShutdownMessageQueue() {
  uint32_t self = GetCurrentThreadId();
  std::lock_guard<std::mutex> lk(S().m);
  auto q = FindQueueLocked(self);
  if (!q) return;
  S().queues.erase(self);
  for (auto& ps : q->sends) Release(*ps, 0);
  q->sends.clear();
  q->posted.clear();
  q->quit = false;
  for (auto it = S().windows.begin(); it != S().windows.end();) {
    if (it->second.owner == self)
      it = S().windows.erase(it);
    else
      ++it;
  }
  t_queueGuard.active = false;
}

bool IsQuitPending() {
  std::lock_guard<std::mutex> lk(S().m);
  auto q = FindQueueLocked(GetCurrentThreadId());
  return q && QuitPendingLocked(*q);
}

void SuspendThreadById(uint32_t id) {
  if (id == 0) return;
  std::lock_guard<std::mutex> lk(S().m);
  ++S().suspended[id].count;
}

void ResumeThreadById(uint32_t id) {
  std::lock_guard<std::mutex> lk(S().m);
  auto it = S().suspended.find(id);
  if (it == S().suspended.end()) return;
  if (it->second.count > 0) --it->second.count;
  if (it->second.count == 0) {
    if (!it->second.parked) S().suspended.erase(it);
    S().parkCv.notify_all();
  }
}

void ClearThreadSuspension(uint32_t id) {
  std::lock_guard<std::mutex> lk(S().m);
  auto it = S().suspended.find(id);
  if (it == S().suspended.end()) return;
  it->second.count = 0;
  if (!it->second.parked) S().suspended.erase(it);
  S().parkCv.notify_all();
}

void ParkIfSuspended() {
  uint32_t self = GetCurrentThreadId();
  std::unique_lock<std::mutex> lk(S().m);
  auto it = S().suspended.find(self);
  if (it == S().suspended.end()) return;
  if (it->second.count > 0) {
    it->second.parked = true;
    S().parkCv.wait(lk, [&] { return it->second.count <= 0; });
    it->second.parked = false;
  }
  S().suspended.erase(it);
}

bool IsThreadParked(uint32_t id) {
  std::lock_guard<std::mutex> lk(S().m);
  auto it = S().suspended.find(id);
  return it != S().suspended.end() && it->second.parked;
}

}  // namespace platform
