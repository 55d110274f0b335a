#include "base/Paths.h"

#include <algorithm>
#include <vector>

#include "base/Text.h"
#include "platform/FileSystem.h"

namespace {

using platform::kMaxPath;

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// Position of the last separator that is not the second byte of a
// double-byte character, or npos. Scans forward: walking backward cannot
// tell a trail byte from a lead byte.
size_t LastSeparator(const std::string& path) {
  size_t last = std::string::npos;
  for (size_t i = 0; i < path.size(); ++i) {
    if (IsDoubleByteChar(path.c_str() + i)) {
      ++i;
    } else if (IsSeparator(path[i])) {
      last = i;
    }
  }
  return last;
}

// The last "." of the file name, or npos. A dot in a folder name does not count.
size_t ExtensionDot(const std::string& path) {
  size_t sep = LastSeparator(path);
  size_t start = sep == std::string::npos ? 0 : sep + 1;
  size_t dot = path.rfind('.');  // 0x2E is never a trail byte
  return (dot == std::string::npos || dot < start) ? std::string::npos : dot;
}

// Components of a path (lead-byte aware), empty ones and "." dropped.
std::vector<std::string> Components(const std::string& path) {
  std::vector<std::string> parts;
  std::string cur;
  for (size_t i = 0; i < path.size(); ++i) {
    if (IsDoubleByteChar(path.c_str() + i)) {
      cur += path[i];
      cur += path[++i];
    } else if (IsSeparator(path[i])) {
      if (!cur.empty() && cur != ".") parts.push_back(cur);
      cur.clear();
    } else {
      cur += path[i];
    }
  }
  if (!cur.empty() && cur != ".") parts.push_back(cur);
  return parts;
}

bool EndsWithSeparator(const std::string& path) {
  size_t sep = LastSeparator(path);
  return sep != std::string::npos && sep + 1 == path.size();
}

// Whether pos starts a character (lead-byte aware).
bool IsCharBoundary(const std::string& s, size_t pos) {
  size_t i = 0;
  while (i < pos) i += IsDoubleByteChar(s.c_str() + i) ? 2 : 1;
  return i == pos;
}

}  // namespace

int MakeRelativePath(std::string& path) {
  if (!platform::IsAbsolutePath(path)) return 1;
  if (path[0] != '\\' && path[0] != '/') return 0;  // a drive: no relative form here
  std::string current;
  if (!platform::GetCurrentFolderPath(current)) return 0;
  std::vector<std::string> from = Components(current);
  std::vector<std::string> to = Components(path);
  size_t common = 0;
  while (common < from.size() && common < to.size() && platform::NamesMatch(from[common], to[common])) ++common;
  std::string out;
  if (common == from.size()) {
    out = ".";
  } else {
    for (size_t i = common; i < from.size(); ++i) out += i == common ? ".." : "\\..";
  }
  for (size_t i = common; i < to.size(); ++i) out += "\\" + to[i];
  if (EndsWithSeparator(path) && common < to.size()) out += "\\";
  if (out.size() > kMaxPath) return 0;
  path = out;
  return 1;
}

int MakeRelativePathString(std::string& path) { return MakeRelativePath(path); }

int MakeAbsolutePath(std::string& path) {
  if (platform::IsAbsolutePath(path)) return 1;
  std::string current;
  if (!platform::GetCurrentFolderPath(current)) return 0;
  std::vector<std::string> parts = Components(current);
  for (const std::string& c : Components(path)) {
    if (c == "..") {
      if (!parts.empty()) parts.pop_back();  // the root's parent is the root
    } else {
      parts.push_back(c);
    }
  }
  std::string out;
  for (const std::string& c : parts) out += "\\" + c;
  if (out.empty() || EndsWithSeparator(path)) out += "\\";
  if (out.size() > kMaxPath) return 0;
  path = out;
  return 1;
}

void StripDirectory(std::string& path) {
  size_t sep = LastSeparator(path);
  if (sep != std::string::npos) path.erase(0, sep + 1);
}

int ChangeExtension(std::string& dest, const std::string& src, const char* ext) {
  std::string copy = src;  // dest may be src
  size_t dot = ExtensionDot(copy);
  if (dot == std::string::npos) {
    dest = copy;
    return 0;
  }
  std::string out = ext ? copy.substr(0, dot + 1) + ext : copy.substr(0, dot);
  if (out.size() > kMaxPath) {
    dest = copy;
    return 0;
  }
  dest = out;
  return 1;
}

int StripExtension(std::string& path) {
  size_t dot = ExtensionDot(path);
  if (dot == std::string::npos) return 0;
  path.resize(dot);
  return 1;
}

int StripExtensionString(std::string& path) { return StripExtension(path); }

int GetExtension(std::string& dest, const std::string& path) {
  size_t dot = ExtensionDot(path);
  if (dot == std::string::npos) return 0;
  dest = path.substr(dot + 1);
  return 1;
}

int InsertNumberSuffix(std::string& dest, const std::string& src, int a, int b) {
  std::string copy = src;
  dest = copy;
  size_t dot = ExtensionDot(copy);
  if (dot == std::string::npos || a < 0 || a > 9 || b < 0 || b > 9) return 0;
  std::string out = copy.substr(0, dot) + "_" + static_cast<char>('0' + a) + static_cast<char>('0' + b) + copy.substr(dot);
  if (out.size() > kMaxPath) return 0;
  dest = out;
  return 1;
}

int FindLatestNumberedFile(std::string& dest, const std::string& path, const char* ext) {
  std::string base;
  ChangeExtension(base, path, ext);  // without a dot the whole path is the base
  size_t sep = LastSeparator(base);
  std::string folder = sep == std::string::npos ? std::string(".") : base.substr(0, sep + 1);
  std::string name = sep == std::string::npos ? base : base.substr(sep + 1);
  if (name.empty() || base.size() + 4 > kMaxPath) return 0;

  // One listing instead of probing a thousand names.
  std::vector<int> numbers;
  for (const std::string& entry : platform::ListFolder(folder)) {
    size_t n = name.size();
    if (entry.size() != n + 4 || entry[n] != '_' || !IsCharBoundary(entry, n)) continue;
    if (!std::all_of(entry.begin() + static_cast<long>(n) + 1, entry.end(), [](char c) { return c >= '0' && c <= '9'; }))
      continue;
    if (!platform::NamesMatch(entry.substr(0, n), name)) continue;
    numbers.push_back((entry[n + 1] - '0') * 100 + (entry[n + 2] - '0') * 10 + (entry[n + 3] - '0'));
  }
  std::sort(numbers.begin(), numbers.end(), std::greater<int>());
  numbers.erase(std::unique(numbers.begin(), numbers.end()), numbers.end());

  auto candidate = [&](int number) { return FormatString("%s_%d%d%d", base.c_str(), number / 100, number / 10 % 10, number % 10); };
  for (int number : numbers) {
    std::string c = candidate(number);
    if (platform::IsRegularFile(c)) {
      dest = c;
      return 1;
    }
  }
  for (int number : numbers) {
    std::string c = candidate(number);
    if (platform::PathExists(c)) {
      dest = c;
      return 1;
    }
  }
  return 0;
}

int FindLatestNumberedFileString(std::string& out, const std::string& path, const char* ext) {
  return FindLatestNumberedFile(out, path, ext);
}
