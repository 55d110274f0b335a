#pragma once
// Every file access of the program goes through here. Inside the program a
// path is code-page-932 text with backslashes, relative to the project
// folder (the current folder at start). This layer maps it to a native path.
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace platform {

// Longest internal path the original accepted (260-byte buffers).
constexpr size_t kMaxPath = 259;

// The folder that relative internal paths start from; defaults to the current folder.
void SetProjectRoot(const std::string& nativeFolder);
std::string GetProjectRoot();

// Maps an internal path to a native path. With forCreate the last component
// may be missing (and folders that differ only in case are reused).
// False when the path is too long or would leave the project folder.
bool ToNativePath(const std::string& path, std::string& native, bool forCreate = false);

FILE* OpenFile(const std::string& path, const char* mode);
bool ReadWholeFile(const std::string& path, std::vector<unsigned char>& bytes);
// Atomic replace: written to a temporary file beside the target, checked,
// then renamed over it. A failure leaves the old file as it was.
bool WriteWholeFileAtomic(const std::string& path, const void* data, size_t size);

bool PathExists(const std::string& path);
bool IsRegularFile(const std::string& path);
bool IsFolder(const std::string& path);
bool CreateFolder(const std::string& path);
bool RemoveFile(const std::string& path);
// Names (code-page-932) of the entries of a folder.
std::vector<std::string> ListFolder(const std::string& path);

}  // namespace platform
