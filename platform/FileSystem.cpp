#include "platform/FileSystem.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <stdio.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <filesystem>
#include <map>
#include <mutex>
#include <unordered_map>

#include "platform/CodePage.h"
#include "platform/Memory.h"

namespace platform {
namespace {

std::mutex g_rootMutex;
std::string g_root;

std::mutex g_hookMutex;
std::function<bool(const std::string&)> g_copyFault;

std::string TrimNative(std::string folder) {
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  return folder;
}

std::string Root() {
  {
    std::lock_guard<std::mutex> lock(g_rootMutex);
    if (!g_root.empty()) return g_root;
  }
  std::error_code ec;
  return TrimNative(std::filesystem::current_path(ec).string());
}

// ---- name folding ---------------------------------------------------------

// ASCII A-Z and full-width Ａ-Ｚ (U+FF21..FF3A) to lower case, on UTF-8 text.
std::string FoldUtf8(const std::string& s) {
  std::string out = s;
  for (size_t i = 0; i < out.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(out[i]);
    if (c >= 'A' && c <= 'Z') {
      out[i] = static_cast<char>(c + 32);
    } else if (c == 0xEF && i + 2 < out.size() && static_cast<unsigned char>(out[i + 1]) == 0xBC) {
      unsigned char t = static_cast<unsigned char>(out[i + 2]);
      if (t >= 0xA1 && t <= 0xBA) {
        out[i + 1] = static_cast<char>(0xBD);
        out[i + 2] = static_cast<char>(t - 0xA1 + 0x81);
      }
      i += 2;
    }
  }
  return out;
}

// The same on code-page-932 text: single-byte A-Z and the double-byte
// full-width capitals 0x8260..0x8279 (lower case at 0x8281..0x829A).
std::string FoldCp932(const std::string& s) {
  std::string out = s;
  for (size_t i = 0; i < out.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(out[i]);
    if (IsCp932LeadByte(c) && i + 1 < out.size() && IsCp932TrailByte(static_cast<unsigned char>(out[i + 1]))) {
      unsigned char t = static_cast<unsigned char>(out[i + 1]);
      if (c == 0x82 && t >= 0x60 && t <= 0x79) out[i + 1] = static_cast<char>(t + 0x21);
      ++i;
    } else if (c >= 'A' && c <= 'Z') {
      out[i] = static_cast<char>(c + 32);
    }
  }
  return out;
}

// ---- splitting -----------------------------------------------------------

bool HasDrive(const std::string& p) {
  return p.size() >= 2 && p[1] == ':' && ((p[0] >= 'A' && p[0] <= 'Z') || (p[0] >= 'a' && p[0] <= 'z'));
}

// Splits at '\' and '/' outside double-byte characters, drops empty and "."
// components and applies "..". False when ".." would climb above the start.
bool SplitInternal(const std::string& path, std::vector<std::string>& parts) {
  parts.clear();
  std::string cur;
  auto flush = [&]() -> bool {
    if (cur.empty() || cur == ".") {
    } else if (cur == "..") {
      if (parts.empty()) return false;
      parts.pop_back();
    } else {
      parts.push_back(cur);
    }
    cur.clear();
    return true;
  };
  for (size_t i = 0; i < path.size(); ++i) {
    unsigned char b = static_cast<unsigned char>(path[i]);
    if (IsCp932LeadByte(b) && i + 1 < path.size() && IsCp932TrailByte(static_cast<unsigned char>(path[i + 1]))) {
      cur += path[i];
      cur += path[++i];
    } else if (b == '\\' || b == '/') {
      if (!flush()) return false;
    } else {
      cur += path[i];
    }
  }
  return flush();
}

// True when a code-page-932 name has no separator of its own (a native name
// may contain a backslash) and is no "." or "..".
bool IsSingleComponent(const std::string& cp932) {
  std::vector<std::string> parts;
  return SplitInternal(cp932, parts) && parts.size() == 1 && parts[0] == cp932;
}

// ---- folder listings -----------------------------------------------------

struct Listing {
  dev_t dev = 0;
  ino_t ino = 0;
  timespec mtime{};
  std::vector<std::string> names;  // native names, sorted
  std::unordered_map<std::string, size_t> exact;
  std::unordered_map<std::string, size_t> foldedUtf8;
  std::unordered_map<std::string, size_t> foldedRaw;
};

std::mutex g_cacheMutex;
std::map<std::string, Listing> g_cache;
constexpr size_t kMaxCachedFolders = 512;
// Folder change times are coarse (a clock tick, two seconds on FAT): a
// listing is reused only when it was taken well after the folder's last
// change, so a later change is sure to show a different time.
constexpr long kTrustSeconds = 2;

bool SameTime(const timespec& a, const timespec& b) { return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec; }

bool ReadListing(const std::string& folder, Listing& l) {
  DIR* d = opendir(folder.c_str());
  if (!d) return false;
  while (dirent* e = readdir(d)) {
    std::string n = e->d_name;
    if (n == "." || n == "..") continue;
    l.names.push_back(std::move(n));
  }
  closedir(d);
  std::sort(l.names.begin(), l.names.end());
  for (size_t i = 0; i < l.names.size(); ++i) {
    l.exact.emplace(l.names[i], i);
    l.foldedUtf8.emplace(FoldUtf8(l.names[i]), i);  // the first in byte order wins
    l.foldedRaw.emplace(FoldCp932(l.names[i]), i);
  }
  return true;
}

// The listing of a native folder, or null when it is not a readable folder.
// Call with g_cacheMutex held.
const Listing* GetListing(const std::string& folder) {
  struct stat st {};
  if (stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return nullptr;
  auto it = g_cache.find(folder);
  if (it != g_cache.end() && it->second.dev == st.st_dev && it->second.ino == st.st_ino &&
      SameTime(it->second.mtime, st.st_mtim))
    return &it->second;
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  Listing l;
  l.dev = st.st_dev;
  l.ino = st.st_ino;
  l.mtime = st.st_mtim;
  if (!ReadListing(folder, l)) return nullptr;
  bool trusted = now.tv_sec > st.st_mtim.tv_sec + kTrustSeconds;
  if (it != g_cache.end()) g_cache.erase(it);
  if (!trusted) {
    // Kept only for this lookup.
    static thread_local Listing scratch;
    scratch = std::move(l);
    return &scratch;
  }
  if (g_cache.size() >= kMaxCachedFolders) g_cache.clear();
  return &g_cache.emplace(folder, std::move(l)).first->second;
}

// Native name of internal component `comp` inside `folder`.
std::string MatchComponent(const std::string& folder, const std::string& comp) {
  std::string utf8 = Cp932ToUtf8(comp);
  // A name that is there as written needs no listing: folders such as /tmp
  // hold thousands of names and change too often for a listing to be kept.
  struct stat st {};
  if (!utf8.empty() && lstat((folder == "/" ? "/" + utf8 : folder + "/" + utf8).c_str(), &st) == 0) return utf8;
  const Listing* l = GetListing(folder);
  if (!l) return utf8;
  if (l->exact.count(utf8)) return utf8;
  auto f = l->foldedUtf8.find(FoldUtf8(utf8));
  if (f != l->foldedUtf8.end()) return l->names[f->second];
  // Names stored as raw code-page-932 bytes (unpacked without conversion).
  if (l->exact.count(comp)) return comp;
  auto r = l->foldedRaw.find(FoldCp932(comp));
  if (r != l->foldedRaw.end()) return l->names[r->second];
  return utf8;
}

std::string ParentOf(const std::string& native) {
  size_t p = native.rfind('/');
  if (p == std::string::npos) return ".";
  if (p == 0) return "/";
  return native.substr(0, p);
}

void ForgetFolder(const std::string& folder) {
  std::lock_guard<std::mutex> lock(g_cacheMutex);
  g_cache.erase(folder);
}

bool StatNative(const std::string& path, struct stat& st) {
  std::string native;
  return ToNativePath(path, native) && stat(native.c_str(), &st) == 0;
}

bool CopyOneFile(const std::string& from, const std::string& to) {
  {
    std::lock_guard<std::mutex> lock(g_hookMutex);
    if (g_copyFault && g_copyFault(from)) return false;
  }
  FILE* in = std::fopen(from.c_str(), "rb");
  if (!in) return false;
  FILE* out = std::fopen(to.c_str(), "wbx");
  if (!out) {
    std::fclose(in);
    return false;
  }
  bool ok = true;
  unsigned char buf[65536];
  size_t n;
  while (ok && (n = std::fread(buf, 1, sizeof buf, in)) > 0) ok = std::fwrite(buf, 1, n, out) == n;
  ok = !std::ferror(in) && ok;
  std::fclose(in);
  ok = (std::fclose(out) == 0) && ok;
  return ok;
}

bool CopyTree(const std::string& from, const std::string& to, int depth) {
  // Linked folders could loop; a project is never this deep.
  if (depth > 32) return false;
  if (mkdir(to.c_str(), 0777) != 0) return false;
  DIR* d = opendir(from.c_str());
  if (!d) return false;
  std::vector<std::string> names;
  while (dirent* e = readdir(d)) {
    std::string n = e->d_name;
    if (n != "." && n != "..") names.push_back(std::move(n));
  }
  closedir(d);
  std::sort(names.begin(), names.end());
  for (const std::string& n : names) {
    std::string src = from + "/" + n;
    std::string dst = to + "/" + n;
    struct stat st {};
    if (stat(src.c_str(), &st) != 0) return false;
    if (S_ISDIR(st.st_mode)) {
      if (!CopyTree(src, dst, depth + 1)) return false;
    } else if (S_ISREG(st.st_mode)) {
      if (!CopyOneFile(src, dst)) return false;
    } else {
      return false;  // sockets, devices: not part of a project
    }
  }
  return true;
}

}  // namespace

void SetProjectRoot(const std::string& nativeFolder) {
  std::lock_guard<std::mutex> lock(g_rootMutex);
  g_root = nativeFolder.empty() ? std::string() : TrimNative(nativeFolder);
}

std::string GetProjectRoot() { return Root(); }

bool IsAbsolutePath(const std::string& path) {
  return (!path.empty() && (path[0] == '\\' || path[0] == '/')) || HasDrive(path);
}

bool ToNativePath(const std::string& path, std::string& native, bool forCreate) {
  (void)forCreate;  // lookups and creations resolve alike; creators drop the cached listing
  if (path.empty() || path.size() > kMaxPath || HasDrive(path)) return false;
  if (path.find('\0') != std::string::npos) return false;
  bool absolute = IsAbsolutePath(path);
  std::vector<std::string> parts;
  if (!SplitInternal(path, parts)) return false;
  std::string cur = absolute ? std::string("/") : Root();
  std::lock_guard<std::mutex> lock(g_cacheMutex);
  for (const std::string& comp : parts) {
    std::string name = MatchComponent(cur, comp);
    cur = cur == "/" ? "/" + name : cur + "/" + name;
  }
  native = cur;
  return true;
}

FILE* OpenFile(const std::string& path, const char* mode) {
  std::string native;
  bool create = mode && (mode[0] == 'w' || mode[0] == 'a');
  if (!mode || !ToNativePath(path, native, create)) return nullptr;
  FILE* f = std::fopen(native.c_str(), mode);
  if (f && create) ForgetFolder(ParentOf(native));
  return f;
}

bool ReadWholeFile(const std::string& path, std::vector<unsigned char>& bytes) {
  FILE* f = OpenFile(path, "rb");
  if (!f) return false;
  std::vector<unsigned char> data;
  // Room for a regular file's whole length up front, so a large file is not
  // copied as it grows.
  struct stat st {};
  if (fstat(fileno(f), &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0) {
    data.reserve(static_cast<size_t>(st.st_size));
    AdviseLargeBlock(data.data(), data.capacity());
  }
  unsigned char buf[65536];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) data.insert(data.end(), buf, buf + n);
  bool ok = !std::ferror(f);
  std::fclose(f);
  if (ok) bytes.swap(data);
  return ok;
}

namespace {
// The process id of a save's temporary file "NAME.tmpPID_N", or 0 when
// `entry` is not one. With `name` given, only those of the file `name`.
pid_t TempFileOwner(const std::string& entry, const std::string* name) {
  const size_t dot = entry.rfind(".tmp");
  if (dot == std::string::npos || dot == 0) return 0;
  if (name && (dot != name->size() || entry.compare(0, dot, *name) != 0)) return 0;
  const std::string rest = entry.substr(dot + 4);
  const size_t bar = rest.find('_');
  if (bar == 0 || bar == std::string::npos || bar + 1 == rest.size() || bar > 9) return 0;
  if (rest.find_first_not_of("0123456789") != bar || rest.find_first_not_of("0123456789", bar + 1) != std::string::npos)
    return 0;
  return static_cast<pid_t>(std::stol(rest.substr(0, bar)));
}

bool OwnerIsGone(pid_t pid) { return pid > 0 && pid != getpid() && kill(pid, 0) != 0 && errno == ESRCH; }

// Removes the stale temporary files in native `folder`, of the file `name`
// only when given.
int RemoveStaleIn(const std::string& folder, const std::string* name) {
  DIR* d = opendir(folder.c_str());
  if (!d) return 0;
  std::vector<std::string> stale;
  while (dirent* e = readdir(d)) {
    if (OwnerIsGone(TempFileOwner(e->d_name, name))) stale.push_back(e->d_name);
  }
  closedir(d);
  int removed = 0;
  for (const std::string& s : stale) removed += unlink((folder + "/" + s).c_str()) == 0 ? 1 : 0;
  return removed;
}

// Removes the temporary files of earlier saves of `native` whose process is
// gone (a save killed before its rename). Those of live processes, this one
// included, may be saves in flight and stay.
void RemoveStaleTempFiles(const std::string& native) {
  const size_t slash = native.rfind('/');
  const std::string name = slash == std::string::npos ? native : native.substr(slash + 1);
  RemoveStaleIn(ParentOf(native), &name);
}
}  // namespace

bool IsSaveTempName(const std::string& name) { return TempFileOwner(name, nullptr) > 0; }

int RemoveStaleSaveTemps(const std::string& folder) {
  std::string native;
  if (!ToNativePath(folder, native)) return 0;
  const int removed = RemoveStaleIn(native, nullptr);
  if (removed > 0) ForgetFolder(native);
  return removed;
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
  if (ok) RemoveStaleTempFiles(native);
  ForgetFolder(ParentOf(native));
  return ok;
}

bool PathExists(const std::string& path) {
  struct stat st {};
  return StatNative(path, st);
}

bool IsRegularFile(const std::string& path) {
  struct stat st {};
  return StatNative(path, st) && S_ISREG(st.st_mode);
}

bool IsFolder(const std::string& path) {
  struct stat st {};
  return StatNative(path, st) && S_ISDIR(st.st_mode);
}

bool CreateFolder(const std::string& path) {
  std::string native;
  if (!ToNativePath(path, native, true)) return false;
  bool ok = mkdir(native.c_str(), 0777) == 0;
  if (ok) ForgetFolder(ParentOf(native));
  struct stat st {};
  return ok || (errno == EEXIST && stat(native.c_str(), &st) == 0 && S_ISDIR(st.st_mode));
}

bool RemoveFile(const std::string& path) {
  std::string native;
  if (!ToNativePath(path, native)) return false;
  bool ok = unlink(native.c_str()) == 0;
  ForgetFolder(ParentOf(native));
  return ok;
}

std::vector<std::string> ListFolder(const std::string& path) {
  std::vector<std::string> names;
  std::string native;
  if (!ToNativePath(path, native)) return names;
  std::lock_guard<std::mutex> lock(g_cacheMutex);
  const Listing* l = GetListing(native);
  if (!l) return names;
  for (const std::string& n : l->names) {
    bool ok = false;
    std::string cp = Utf8ToCp932(n, &ok);
    if (ok && IsSingleComponent(cp))
      names.push_back(cp);
    else if (IsSingleComponent(n))
      names.push_back(n);
    // else: a name no internal path can reach (a backslash in it), left out
  }
  std::sort(names.begin(), names.end());
  return names;
}

bool NativeToInternalPath(const std::string& native, std::string& internal) {
  if (native.empty() || native[0] != '/') return false;
  std::string out;
  size_t i = 0;
  while (i < native.size()) {
    size_t j = native.find('/', i);
    if (j == std::string::npos) j = native.size();
    std::string comp = native.substr(i, j - i);
    i = j + 1;
    if (comp.empty()) continue;
    bool ok = false;
    std::string cp = Utf8ToCp932(comp, &ok);
    if (!ok || !IsSingleComponent(cp)) return false;
    out += '\\';
    out += cp;
  }
  internal = out.empty() ? "\\" : out;
  return true;
}

bool GetCurrentFolderPath(std::string& internal) {
  std::error_code ec;
  std::filesystem::path p = std::filesystem::absolute(Root(), ec);
  if (ec) return false;
  return NativeToInternalPath(p.lexically_normal().string(), internal);
}

bool NamesMatch(const std::string& a, const std::string& b) { return a == b || FoldCp932(a) == FoldCp932(b); }

bool RenamePath(const std::string& from, const std::string& to) {
  std::string src, dst;
  if (!ToNativePath(from, src) || !ToNativePath(to, dst, true)) return false;
  struct stat st {};
  if (lstat(dst.c_str(), &st) == 0) return false;
  int r = renameat2(AT_FDCWD, src.c_str(), AT_FDCWD, dst.c_str(), RENAME_NOREPLACE);
  if (r != 0 && (errno == EINVAL || errno == ENOSYS)) r = std::rename(src.c_str(), dst.c_str());
  ForgetFolderListings();
  return r == 0;
}

bool CopyFolderTree(const std::string& from, const std::string& to) {
  std::string src, dst;
  if (!ToNativePath(from, src) || !ToNativePath(to, dst, true)) return false;
  struct stat st {};
  if (stat(src.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return false;
  if (lstat(dst.c_str(), &st) == 0) return false;
  bool ok = CopyTree(src, dst, 0);
  ForgetFolderListings();
  return ok;
}

bool RemoveFolderTree(const std::string& path) {
  std::string native;
  if (!ToNativePath(path, native)) return false;
  std::error_code ec;
  std::filesystem::remove_all(native, ec);
  ForgetFolderListings();
  return !ec;
}

void ForgetFolderListings() {
  std::lock_guard<std::mutex> lock(g_cacheMutex);
  g_cache.clear();
}

void SetCopyFaultHook(std::function<bool(const std::string& nativeFile)> hook) {
  std::lock_guard<std::mutex> lock(g_hookMutex);
  g_copyFault = std::move(hook);
}

}  // namespace platform
