#pragma once
// The main log Report_Game.txt, the switched-off debug log and error boxes.
// Texts are code-page-932; the main log is written in UTF-8 with "\n" ends.
#include <cstdint>
#include <functional>
#include <string>

// Creates or empties the main log. 1 on success, 0 otherwise (later lines are dropped).
int InitLog(const std::string& nativePath);
// Native path of the main log, empty when InitLog failed.
std::string GetLogPath();

// One line each. The file is never re-created: a deleted log stays deleted.
int WriteLog(const char* format, ...) __attribute__((format(printf, 1, 2)));
int WriteLogText(const std::string& text);
int WriteLogDebug(const char* format, ...) __attribute__((format(printf, 1, 2)));
int WriteLogBox(const char* format, ...) __attribute__((format(printf, 1, 2)));
// WriteLogBox whose main-log line also carries `detail` (in brackets, when
// not empty); the box shows it on a line of its own below the text.
int WriteLogBoxDetail(const std::string& detail, const char* format, ...) __attribute__((format(printf, 2, 3)));

// The debug log is always off in this program; these keep their call sites.
void SetDebugLog(int enable, const std::string& fileName);
int WriteDebugString(const std::string& text);
void WriteDebugText(const std::string& text);
void WriteDebugLog(const char* format, ...) __attribute__((format(printf, 1, 2)));
// A debug line, then WM_CLOSE to the main window. The text is data, never a format.
void FatalLog(const std::string& text);

// Boxes. In full screen the graphics library installs its own box.
int MessageBoxSafe(const std::string& text, const std::string& caption, unsigned type);
// The text of the last box asked for through MessageBoxSafe (code page 932;
// empty when none was since the last clear): what a failed start-up reports.
std::string LastBoxText();
void ClearLastBoxText();
void SetFullScreenMessageBox(std::function<int(const std::string&, const std::string&, unsigned)> box);
void ErrorBoxText(const std::string& text);
void ErrorBox(const char* format, ...) __attribute__((format(printf, 1, 2)));
void DebugErrorBox(const char* format, ...) __attribute__((format(printf, 1, 2)));
void OutOfMemoryExit();

// Machine facts for the system report.
struct CpuInfo {
  std::string vendor;
  std::string brand;
  double clockHz = 0;
};
std::string GetOSName(int* major = nullptr, int* minor = nullptr);
bool IsOSVersionAtLeast(int major, int minor);
void GetCpuInfo(CpuInfo& info);
int GetDiskFreeBytes(const char* nativeDirectory);
int WriteSystemReport();
