#pragma once
// Every file access of the program goes through here. Inside the program a
// path is code-page-932 text with backslashes, relative to the project
// folder (the current folder at start). This layer maps it to a native path:
// components are split with a lead-byte-aware scan (a trail byte can be 0x5C),
// converted with iconv CP932, and matched case-insensitively against cached
// folder listings (exact name first, then ASCII and full-width Latin folded,
// then the raw bytes), so projects made on Windows work unchanged.
//
// A path starting with '\' or '/' is absolute (from the native root); every
// other path is relative to the project folder and may not climb out of it.
// A path with a drive letter ("C:\...") names another machine's disk and is
// refused.
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace platform {

// Paths are limited to 259 bytes (they must fit 260-byte buffers with their NUL).
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
// then renamed over it. A failure leaves the old file as it was. A success
// also removes the temporary files "NAME.tmpPID_N" that saves of the same
// file left behind when their process died.
bool WriteWholeFileAtomic(const std::string& path, const void* data, size_t size);
// Whether a native name is the temporary file "NAME.tmpPID_N" of a save.
bool IsSaveTempName(const std::string& name);
// Removes from a folder (internal path) the temporary files of saves whose
// process is gone; those of live processes (a second copy saving) stay.
// The number removed.
int RemoveStaleSaveTemps(const std::string& folder);

bool PathExists(const std::string& path);
bool IsRegularFile(const std::string& path);
bool IsFolder(const std::string& path);
bool CreateFolder(const std::string& path);
bool RemoveFile(const std::string& path);
// Names (code-page-932) of the entries of a folder, sorted. A native name
// without a code-page-932 form is returned as its raw bytes, which this layer
// resolves back to the same entry. Names no internal path can reach (with a
// backslash of their own) are left out.
std::vector<std::string> ListFolder(const std::string& path);

// True for '\' or '/' at the start, and for a drive letter ("C:").
bool IsAbsolutePath(const std::string& path);
// A native absolute path as an internal one ("\home\x"); false when a
// component has no code-page-932 form.
bool NativeToInternalPath(const std::string& native, std::string& internal);
// The project folder as an internal absolute path.
bool GetCurrentFolderPath(std::string& internal);
// Whether two code-page-932 names denote the same entry for this layer
// (ASCII and full-width Latin letters compare without case).
bool NamesMatch(const std::string& a, const std::string& b);

// Renames a file or folder. Fails when the destination exists.
bool RenamePath(const std::string& from, const std::string& to);
// Copies folder `from` with all its files and subfolders to the new folder
// `to` (which must not exist). Names are copied byte for byte. False on the
// first failure; what was copied so far stays for the caller to remove.
bool CopyFolderTree(const std::string& from, const std::string& to);
// Removes a folder and everything below it.
bool RemoveFolderTree(const std::string& path);

// Folder listings are cached and checked against the folder's change time;
// this drops them all (for callers that changed files behind this layer).
void ForgetFolderListings();

// Test seam: called with the native path of every file CopyFolderTree is
// about to copy; returning true makes that copy fail.
void SetCopyFaultHook(std::function<bool(const std::string& nativeFile)> hook);

}  // namespace platform
