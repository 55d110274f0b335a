// brindle [PROJECT_DIR] [STAGE_FILE] [--started-by-editor]
// A folder argument is the project folder (the program changes into it);
// otherwise the project is the current folder, or, for a stage file given
// alone, the project folder that holds it. A stage file is played at once in
// free mode; a relative one is taken from the project folder. A path that is
// neither a project folder nor inside one is refused before anything is
// written.
#include <unistd.h>

#include <cctype>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "app/frame/App.h"
#include "platform/FileSystem.h"
#include "platform/Memory.h"

namespace {

int Usage() {
  std::fprintf(stderr, "usage: brindle [PROJECT_DIR] [STAGE_FILE] [--started-by-editor]\n");
  return 2;
}

// A project folder holds the game's "data" folder, or the "default" folder
// that it is made from (names in any case, as projects come from Windows).
bool IsProjectFolder(const std::filesystem::path& dir) {
  std::error_code ec;
  for (std::filesystem::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
    std::string name = it->path().filename().string();
    for (char& c : name) c = char(std::tolower(static_cast<unsigned char>(c)));
    if ((name == "data" || name == "default") && it->is_directory(ec)) return true;
  }
  return false;
}

int NotAProject(const std::string& path) {
  std::fprintf(stderr,
               "brindle: %s is not a game project folder nor a file inside one.\n"
               "A project folder holds the game's data folder (data/System.dat, data/database/, data/stg4/)\n"
               "and its bmp/ and sound folders; give that folder, or a stage file inside it.\n",
               path.c_str());
  return 1;
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
    if (!IsProjectFolder(args[next])) return NotAProject(args[next]);
    if (chdir(args[next].c_str()) != 0) {
      std::fprintf(stderr, "brindle: cannot enter %s\n", args[next].c_str());
      return 1;
    }
    ++next;
  } else if (next < args.size() && !IsProjectFolder(std::filesystem::current_path(ec))) {
    // A stage file given alone: its project is the nearest folder above it
    // that is one.
    const std::filesystem::path file = std::filesystem::absolute(args[next], ec);
    std::filesystem::path project;
    if (std::filesystem::is_regular_file(file, ec)) {
      for (auto dir = file.parent_path(); !dir.empty(); dir = dir.parent_path()) {
        if (IsProjectFolder(dir)) {
          project = dir;
          break;
        }
        if (dir == dir.root_path()) break;
      }
    }
    if (project.empty()) return NotAProject(args[next]);
    if (chdir(project.c_str()) != 0) {
      std::fprintf(stderr, "brindle: cannot enter %s\n", project.c_str());
      return 1;
    }
    args[next] = file.string();
  } else if (!IsProjectFolder(std::filesystem::current_path(ec))) {
    return NotAProject(std::filesystem::current_path(ec).string());
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
  platform::PrepareLoadingHeap();
  return WinMain(launch);
}
