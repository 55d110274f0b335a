#include "tests/support/TestSupport.h"

#include <atomic>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <unistd.h>

#include "base/Log.h"
#include "platform/FileSystem.h"

namespace testsupport {

TempDir::TempDir() {
  static std::atomic<int> counter{0};
  path_ = std::filesystem::temp_directory_path() /
          ("brindle-test-" + std::to_string(getpid()) + "-" + std::to_string(counter++));
  std::filesystem::remove_all(path_);
  std::filesystem::create_directories(path_);
}

TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

ProjectRootScope::ProjectRootScope(const std::filesystem::path& folder) : previous_(platform::GetProjectRoot()) {
  platform::SetProjectRoot(folder.string());
  platform::ForgetFolderListings();
}

ProjectRootScope::~ProjectRootScope() {
  platform::SetProjectRoot(previous_);
  platform::ForgetFolderListings();
}

ProjectFolder::ProjectFolder(std::initializer_list<const char*> subfolders)
    : root_(dir_.path()), startFolder_(std::filesystem::current_path()) {
  for (const char* sub : subfolders) std::filesystem::create_directories(dir_.path() / sub);
}

LogCapture::LogCapture() : previous_(GetLogPath()) { InitLog((dir_.path() / "Report_Game.txt").string()); }

LogCapture::~LogCapture() {
  if (previous_.empty()) {
    InitLog((dir_.path() / "unused.txt").string());
    InitLog("");
  } else {
    // Reattach without emptying the earlier log.
    std::string p = previous_;
    std::ifstream in(p, std::ios::binary);
    std::string keep((std::istreambuf_iterator<char>(in)), {});
    InitLog(p);
    std::ofstream(p, std::ios::binary) << keep;
  }
}

std::vector<std::string> LogCapture::Lines() const {
  std::vector<std::string> lines;
  std::ifstream in(dir_.path() / "Report_Game.txt");
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

std::string LogCapture::Text() const {
  std::ifstream in(dir_.path() / "Report_Game.txt", std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), {});
}

std::vector<unsigned char> ReadFileBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<unsigned char>((std::istreambuf_iterator<char>(in)), {});
}

void WriteFileBytes(const std::filesystem::path& path, const std::vector<unsigned char>& bytes) {
  std::filesystem::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::string TestMediaDir() {
  const char* d = std::getenv("BRINDLE_TEST_MEDIA");
  if (!d || !*d || !std::filesystem::exists(d)) return {};
  return d;
}

}  // namespace testsupport
