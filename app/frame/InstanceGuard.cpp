// The single-instance guard. A lock file stands in for the named mutex
// "ゲーム": the running copy holds an exclusive lock on it and keeps its
// process id in it. A second copy asks whether to restart; Yes asks the
// running copy to close (SIGTERM, which it handles as a close request) and
// kills it only when it has not let go of the lock after the wait.
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

#include "app/frame/App.h"
#include "app/frame/AppTexts.h"
#include "base/Log.h"
#include "platform/CodePage.h"
#include "platform/MessageBox.h"

namespace {

int g_lockFd = -1;
// A clean close saves the window placement and ends four threads; give it time.
constexpr int kCloseWaitMs = 3000;
constexpr int kKillWaitMs = 1000;

bool TryLock(int fd) { return flock(fd, LOCK_EX | LOCK_NB) == 0; }

bool WaitForLock(int fd, int ms) {
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  do {
    if (TryLock(fd)) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  } while (std::chrono::steady_clock::now() < until);
  return TryLock(fd);
}

pid_t ReadPid(int fd) {
  char buf[32] = {};
  const ssize_t n = pread(fd, buf, sizeof buf - 1, 0);
  if (n <= 0) return 0;
  const long v = std::strtol(buf, nullptr, 10);
  return v > 0 && v < (1L << 30) ? static_cast<pid_t>(v) : 0;
}

void WritePid(int fd) {
  const std::string text = std::to_string(getpid()) + "\n";
  if (ftruncate(fd, 0) == 0 && pwrite(fd, text.data(), text.size(), 0) < 0) WriteLog("%s", "Instance : pid not written");
}

}  // namespace

std::string InstanceLockPath() {
  const char* dir = std::getenv("XDG_RUNTIME_DIR");
  const std::string base = dir && *dir ? dir : "/tmp";
  return base + "/brindle-" + platform::Cp932ToUtf8(apptext::kMutexName) + ".lock";
}

bool AcquireInstanceGuard() {
  ReleaseInstanceGuard();
  const std::string path = InstanceLockPath();
  const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd < 0) {
    // Without a lock file there is no guard; the program still runs.
    WriteLog("Instance : no lock file %s", path.c_str());
    return true;
  }
  if (!TryLock(fd)) {
    const int answer = MessageBoxSafe(apptext::kRestartQuestion, apptext::kDoubleStart,
                                      platform::MB_YESNO | platform::MB_ICONQUESTION);
    if (answer != platform::IDYES) {
      close(fd);
      return false;
    }
    const pid_t pid = ReadPid(fd);
    if (pid > 0 && pid != getpid() && kill(pid, 0) == 0) {
      if (kill(pid, SIGTERM) != 0) {
        MessageBoxSafe(apptext::kEndFailed, apptext::kDoubleStart, platform::MB_OK);
        close(fd);
        return false;
      }
      if (!WaitForLock(fd, kCloseWaitMs)) {
        kill(pid, SIGKILL);
        WaitForLock(fd, kKillWaitMs);
      }
    }
    // When the other copy cannot be found, start-up goes on beside it.
    if (!TryLock(fd)) {
      close(fd);
      return true;
    }
  }
  WritePid(fd);
  g_lockFd = fd;
  return true;
}

void ReleaseInstanceGuard() {
  if (g_lockFd < 0) return;
  flock(g_lockFd, LOCK_UN);
  close(g_lockFd);
  g_lockFd = -1;
}
