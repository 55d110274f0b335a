#include "platform/FileSystem.h"

#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <mutex>

#include "platform/CodePage.h"

namespace platform {
namespace {
std::mutex g_rootMutex;
std::string g_root;

std::string Root() {
  std::lock_guard<std::mutex> lock(g_rootMutex);
  if (!g_root.empty()) return g_root;
  std::error_code ec;
  return std::filesystem::current_path(ec).string();
}
}  // namespace

void SetProjectRoot(const std::string& nativeFolder) {
  std::lock_guard<std::mutex> lock(g_rootMutex);
  g_root = nativeFolder;
}

std::string GetProjectRoot() { return Root(); }

bool ToNativePath(const std::string& path, std::string& native, bool forCreate) {
  if (path.size() > kMaxPath) return false;
  std::string p;
  for (size_t i = 0; i < path.size(); ++i) {
    unsigned char b = static_cast<unsigned char>(path[i]);
    if (IsCp932LeadByte(b) && i + 1 < path.size()) {
      p += path[i];
      p += path[++i];
    } else {
      p += b == '\\' ? '/' : path[i];
    }
  }
  p = Cp932ToUtf8(p);
  native = (!p.empty() && p[0] == '/') ? p : Root() + "/" + p;
  return true;
}

FILE* OpenFile(const std::string& path, const char* mode) {
  std::string native;
  bool create = mode && (mode[0] == 'w' || mode[0] == 'a');
  if (!ToNativePath(path, native, create)) return nullptr;
  return std::fopen(native.c_str(), mode);
}

bool ReadWholeFile(const std::string& path, std::vector<unsigned char>& bytes) {
  FILE* f = OpenFile(path, "rb");
  if (!f) return false;
  std::vector<unsigned char> data;
  unsigned char buf[65536];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) data.insert(data.end(), buf, buf + n);
  bool ok = !std::ferror(f);
  std::fclose(f);
  if (ok) bytes.swap(data);
  return ok;
}

bool WriteWholeFileAtomic(const std::string& path, const void* data, size_t size) {
  std::string native;
  if (!ToNativePath(path, native, true)) return false;
  static std::atomic<unsigned> counter{0};
  std::string temp = native + ".tmp" + std::to_string(getpid()) + "_" + std::to_string(counter++);
  FILE* f = std::fopen(temp.c_str(), "wb");
  if (!f) return false;
  bool ok = size == 0 || std::fwrite(data, 1, size, f) == size;
  ok = (std::fflush(f) == 0) && ok;
  ok = (std::fclose(f) == 0) && ok;
  if (ok) ok = std::rename(temp.c_str(), native.c_str()) == 0;
  if (!ok) std::remove(temp.c_str());
  return ok;
}

bool PathExists(const std::string& path) {
  std::string native;
  struct stat st {};
  return ToNativePath(path, native) && stat(native.c_str(), &st) == 0;
}

bool IsRegularFile(const std::string& path) {
  std::string native;
  struct stat st {};
  return ToNativePath(path, native) && stat(native.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool IsFolder(const std::string& path) {
  std::string native;
  struct stat st {};
  return ToNativePath(path, native) && stat(native.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool CreateFolder(const std::string& path) {
  std::string native;
  if (!ToNativePath(path, native, true)) return false;
  std::error_code ec;
  std::filesystem::create_directory(native, ec);
  return !ec || std::filesystem::is_directory(native, ec);
}

bool RemoveFile(const std::string& path) {
  std::string native;
  return ToNativePath(path, native) && std::remove(native.c_str()) == 0;
}

std::vector<std::string> ListFolder(const std::string& path) {
  std::vector<std::string> names;
  std::string native;
  if (!ToNativePath(path, native)) return names;
  std::error_code ec;
  for (auto it = std::filesystem::directory_iterator(native, ec); !ec && it != std::filesystem::directory_iterator();
       it.increment(ec))
    names.push_back(Utf8ToCp932(it->path().filename().string()));
  return names;
}

}  // namespace platform
