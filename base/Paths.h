#pragma once
// Path helpers over code-page-932 paths with backslashes. Results that would
// not fit 260-byte buffers (paths are limited to 259 bytes) are refused with 0.
// Extensions are looked for in the last path component only, and separators
// are found with a lead-byte-aware scan, so a double-byte character whose
// second byte is 0x5C never splits a name.
#include <string>

// Turns an absolute path into the Windows relative form against the project
// folder (".\data\x", "..\other\x"); such text ends up in saved data.
// 1 when relative already or converted; 0 (unchanged) when it cannot be
// expressed, for example a path on a drive.
int MakeRelativePath(std::string& path);
int MakeRelativePathString(std::string& path);
// Turns a relative path into an absolute one ("\home\me\game\data\"),
// resolving "." and ".." and keeping a trailing backslash. 1/0.
int MakeAbsolutePath(std::string& path);

// Keeps the text after the last separator; unchanged without one.
void StripDirectory(std::string& path);

// dest = src with the text after the last "." replaced by ext (given without
// its dot), or cut at the dot when ext is null. Without a dot in the file
// name dest is the unchanged copy and the result is 0.
int ChangeExtension(std::string& dest, const std::string& src, const char* ext);
// Removes the last "." of the file name and what follows; 0 and unchanged without one.
int StripExtension(std::string& path);
int StripExtensionString(std::string& path);
// dest = text after the last "." (possibly empty); 0 and dest unchanged without one.
int GetExtension(std::string& dest, const std::string& path);

// "name.ext" -> "name_ab.ext" with the single digits a and b. 0 without an extension.
int InsertNumberSuffix(std::string& dest, const std::string& src, int a, int b);

// The highest-numbered existing file "<path with extension ext>_NNN"
// (999 down to 000); regular files are preferred over folders of such a
// name. The name is written as asked (case of path, not of the folder).
// 0 with dest unchanged when none exists.
int FindLatestNumberedFile(std::string& dest, const std::string& path, const char* ext);
int FindLatestNumberedFileString(std::string& out, const std::string& path, const char* ext);
