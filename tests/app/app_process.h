#pragma once
// Running the player program as a process on a generated sample project:
// its exit code, its standard error and its main log.
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace apptest {

inline std::string BinDir() { return BRINDLE_BIN_DIR; }

inline std::string ReadText(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

inline void WriteText(const std::filesystem::path& p, const std::string& text) {
  std::ofstream out(p, std::ios::binary | std::ios::trunc);
  out << text;
}

// The sample project, generated once per test program, copied per use.
inline const std::filesystem::path& SampleProject() {
  static const std::filesystem::path dir = [] {
    std::filesystem::path d = std::filesystem::temp_directory_path() /
                              ("brindle-app-sample-" + std::to_string(getpid()));
    std::filesystem::remove_all(d);
    const std::string cmd = BinDir() + "/tools/make-sample-project '" + d.string() + "' > /dev/null";
    if (std::system(cmd.c_str()) != 0) return std::filesystem::path();
    return d;
  }();
  return dir;
}

inline void CopyTree(const std::filesystem::path& from, const std::filesystem::path& to) {
  std::filesystem::copy(from, to, std::filesystem::copy_options::recursive);
}

struct RunResult {
  int exitCode = -1;
  bool signalled = false;
  bool startedUp = false;  // the log reached "Start-up : done"
  std::string stderrText;
  std::string log;
};

// A started copy of the program.
class Process {
 public:
  Process(const std::vector<std::string>& args, const std::vector<std::string>& env,
          const std::filesystem::path& errFile)
      : err_(errFile) {
    pid_ = fork();
    if (pid_ == 0) {
      const int fd = open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      if (fd >= 0) {
        dup2(fd, 2);
        dup2(fd, 1);
      }
      for (const std::string& e : env) putenv(const_cast<char*>(e.c_str()));
      std::vector<char*> argv;
      const std::string exe = BinDir() + "/brindle";
      argv.push_back(const_cast<char*>(exe.c_str()));
      for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
      argv.push_back(nullptr);
      execv(exe.c_str(), argv.data());
      _exit(127);
    }
  }
  ~Process() {
    if (pid_ > 0 && !done_) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
  }
  pid_t Pid() const { return pid_; }
  // Whether it is still running; collects the exit status when it is not.
  bool Running() {
    if (done_) return false;
    int status = 0;
    if (waitpid(pid_, &status, WNOHANG) == pid_) {
      Collect(status);
      return false;
    }
    return true;
  }
  // Waits for the end up to `seconds`; then kills it (signalled stays true).
  void Wait(int seconds) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (Running() && std::chrono::steady_clock::now() < until)
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    if (Running()) {
      kill(pid_, SIGKILL);
      int status = 0;
      waitpid(pid_, &status, 0);
      Collect(status);
    }
  }
  int exitCode = -1;
  bool signalled = false;
  std::string Stderr() const { return ReadText(err_); }

 private:
  void Collect(int status) {
    done_ = true;
    if (WIFEXITED(status)) exitCode = WEXITSTATUS(status);
    signalled = WIFSIGNALED(status);
  }
  pid_t pid_ = -1;
  bool done_ = false;
  std::filesystem::path err_;
};

// Waits until the file contains the text, the process ends, or `seconds` pass.
// The player's environment on a virtual X server: software drawing, no sound.
inline std::vector<std::string> XEnv(const std::filesystem::path& runtime) {
  return {"SDL_VIDEODRIVER=x11", "SDL_RENDER_DRIVER=software", "SDL_AUDIODRIVER=dummy",
          "XDG_RUNTIME_DIR=" + runtime.string(), "ASAN_OPTIONS=detect_leaks=0"};
}

inline bool WaitForText(Process& p, const std::filesystem::path& file, const std::string& text, int seconds) {
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  while (std::chrono::steady_clock::now() < until) {
    if (ReadText(file).find(text) != std::string::npos) return true;
    if (!p.Running()) return ReadText(file).find(text) != std::string::npos;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return false;
}

// Runs the program on `project` headless; a copy that starts up is asked to
// close (SIGTERM, a close request) once its log says so.
inline RunResult RunHeadless(const std::filesystem::path& project, const std::vector<std::string>& extraArgs = {}) {
  std::vector<std::string> args{project.string()};
  args.insert(args.end(), extraArgs.begin(), extraArgs.end());
  const std::filesystem::path runtime = project / ".runtime";
  std::filesystem::create_directories(runtime);
  Process p(args,
            {"SDL_VIDEODRIVER=dummy", "SDL_AUDIODRIVER=dummy", "XDG_RUNTIME_DIR=" + runtime.string(),
             "ASAN_OPTIONS=detect_leaks=0"},
            project / ".stderr.txt");
  RunResult r;
  r.startedUp = WaitForText(p, project / "Report_Game.txt", "Start-up : done", 60);
  if (p.Running()) kill(p.Pid(), SIGTERM);
  p.Wait(30);
  r.exitCode = p.exitCode;
  r.signalled = p.signalled;
  r.stderrText = p.Stderr();
  r.log = ReadText(project / "Report_Game.txt");
  return r;
}

}  // namespace apptest
