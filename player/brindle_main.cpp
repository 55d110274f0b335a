// brindle [PROJECT_DIR] [STAGE_FILE] [--started-by-editor]
// A folder argument is the project folder (the program changes into it);
// otherwise the project is the current folder. A stage file is played at
// once in free mode; a relative one is taken from the project folder.
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "app/frame/App.h"
#include "platform/FileSystem.h"

namespace {

int Usage() {
  std::fprintf(stderr, "usage: brindle [PROJECT_DIR] [STAGE_FILE] [--started-by-editor]\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  sLaunch launch;
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--started-by-editor") {
      launch.showState = 5;
    } else if (a == "-h" || a == "--help") {
      return Usage();
    } else {
      args.push_back(a);
    }
  }
  if (args.size() > 2) return Usage();
  std::error_code ec;
  size_t next = 0;
  if (next < args.size() && std::filesystem::is_directory(args[next], ec)) {
    if (chdir(args[next].c_str()) != 0) {
      std::fprintf(stderr, "brindle: cannot enter %s\n", args[next].c_str());
      return 1;
    }
    ++next;
  }
  platform::SetProjectRoot(std::filesystem::current_path(ec).string());
  if (next < args.size()) {
    std::string file = args[next++];
    // Paths are code page 932 inside the program.
    if (file.size() >= 2 && file.front() == '"' && file.back() == '"') file = file.substr(1, file.size() - 2);
    std::string internal;
    if (!file.empty() && file.front() == '/') {
      if (platform::NativeToInternalPath(file, internal)) file = internal;
    } else if (platform::NativeToInternalPath(platform::GetProjectRoot() + "/" + file, internal)) {
      // A relative path keeps its relative form: only its encoding changes.
      std::string root;
      if (platform::NativeToInternalPath(platform::GetProjectRoot(), root) && internal.rfind(root + "\\", 0) == 0)
        file = internal.substr(root.size() + 1);
    }
    launch.stageFile = file;
  }
  if (next < args.size()) return Usage();
  return WinMain(launch);
}
