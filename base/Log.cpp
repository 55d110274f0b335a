#include "base/Log.h"

#include <cstdarg>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <mutex>

#include "base/Text.h"
#include "base/Thread.h"
#include "platform/CloseRequest.h"
#include "platform/CodePage.h"
#include "platform/MessageBox.h"
#include "platform/SystemInfo.h"

namespace {
std::mutex g_logMutex;
std::string g_logPath;
std::mutex g_boxMutex;
std::function<int(const std::string&, const std::string&, unsigned)> g_fullScreenBox;

constexpr size_t kBoxBuffer = 1024;
// Set once a write to the current log failed and was reported on stderr.
bool g_writeFailReported = false;

// A log that cannot be written is said once on stderr, so a full disk does
// not leave an empty log without a word. Called with g_logMutex held.
void ReportWriteFailure(int error) {
  if (g_writeFailReported) return;
  g_writeFailReported = true;
  std::fprintf(stderr, "Cannot write the log %s: %s\n", g_logPath.c_str(), std::strerror(error));
}

std::string VFormat(const char* format, va_list args, size_t bufferSize) {
  std::string buf(bufferSize, '\0');
  int n = std::vsnprintf(buf.data(), buf.size(), format, args);
  if (n < 0) return {};
  buf.resize(static_cast<size_t>(n) < bufferSize ? static_cast<size_t>(n) : bufferSize - 1);
  return buf;
}

// Appends one line; the file must exist already.
int AppendLine(const std::string& text) {
  std::lock_guard<std::mutex> lock(g_logMutex);
  if (g_logPath.empty()) return 0;
  FILE* f = std::fopen(g_logPath.c_str(), "r+b");
  if (!f) {
    ReportWriteFailure(errno);
    return 0;
  }
  std::fseek(f, 0, SEEK_END);
  std::string line = platform::Cp932ToUtf8(text);
  line += '\n';
  bool ok = std::fwrite(line.data(), 1, line.size(), f) == line.size();
  ok = std::fflush(f) == 0 && ok;
  const int error = errno;
  ok = std::fclose(f) == 0 && ok;
  if (!ok) ReportWriteFailure(errno != 0 ? errno : error);
  // An opened log counts as written, so the error box that goes with a line
  // still comes up on a full disk.
  return 1;
}
}  // namespace

int InitLog(const std::string& nativePath) {
  // A box that nobody can see still leaves its text in the log.
  static const bool sinkInstalled = [] {
    platform::SetUnshownBoxSink([](const std::string& line) { AppendLine(line); });
    return true;
  }();
  (void)sinkInstalled;
  std::lock_guard<std::mutex> lock(g_logMutex);
  g_logPath.clear();
  g_writeFailReported = false;
  FILE* f = std::fopen(nativePath.c_str(), "wb");
  if (!f) return 0;
  std::fclose(f);
  g_logPath = nativePath;
  return 1;
}

std::string GetLogPath() {
  std::lock_guard<std::mutex> lock(g_logMutex);
  return g_logPath;
}

int WriteLogText(const std::string& text) { return AppendLine(text); }

int WriteLog(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string text = VFormat(format, args, kFormatBufferSize);
  va_end(args);
  return AppendLine(text);
}

namespace {
// The main-log line, its debug copy and, for WriteLogBox, the box; nothing
// of it when the main log cannot be written.
int LogDebugLine(const std::string& text, bool box) {
  if (!AppendLine(text)) return 0;
  WriteDebugString(text);
  if (box) ErrorBoxText(text);
  return 1;
}
}  // namespace

int WriteLogDebug(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string text = VFormat(format, args, kBoxBuffer);
  va_end(args);
  return LogDebugLine(text, false);
}

int WriteLogBox(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string text = VFormat(format, args, kBoxBuffer);
  va_end(args);
  return LogDebugLine(text, true);
}

int WriteLogBoxDetail(const std::string& detail, const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string text = VFormat(format, args, kBoxBuffer);
  va_end(args);
  if (!AppendLine(detail.empty() ? text : text + " (" + detail + ")")) return 0;
  WriteDebugString(text);
  // The box names the reason too, on a line of its own.
  ErrorBoxText(detail.empty() ? text : text + "\n" + detail);
  return 1;
}

// The debug log is compiled in but never switched on.
void SetDebugLog(int, const std::string&) {}
int WriteDebugString(const std::string&) { return 0; }
void WriteDebugText(const std::string&) {}
void WriteDebugLog(const char*, ...) {}

void FatalLog(const std::string& text) {
  WriteDebugString(text);
  platform::RequestMainWindowClose();
}

void SetFullScreenMessageBox(std::function<int(const std::string&, const std::string&, unsigned)> box) {
  std::lock_guard<std::mutex> lock(g_boxMutex);
  g_fullScreenBox = std::move(box);
}

namespace {
std::mutex g_lastBoxMutex;
std::string g_lastBoxText;
}  // namespace

std::string LastBoxText() {
  std::lock_guard<std::mutex> lock(g_lastBoxMutex);
  return g_lastBoxText;
}

void ClearLastBoxText() {
  std::lock_guard<std::mutex> lock(g_lastBoxMutex);
  g_lastBoxText.clear();
}

int MessageBoxSafe(const std::string& text, const std::string& caption, unsigned type) {
  {
    std::lock_guard<std::mutex> lock(g_lastBoxMutex);
    g_lastBoxText = text;
  }
  // A thread being stopped for a close has nobody to answer it: the text
  // goes to the log and the box answers as if it had been declined.
  if (ThreadStopRequested()) {
    WriteLog("[%s] %s", caption.c_str(), text.c_str());
    return platform::AnswerThatLosesNothing(type);
  }
  std::function<int(const std::string&, const std::string&, unsigned)> box;
  {
    std::lock_guard<std::mutex> lock(g_boxMutex);
    box = g_fullScreenBox;
  }
  if (box) return box(text, caption, type);
  return platform::ShowMessageBox(text, caption, type);
}

void ErrorBoxText(const std::string& text) { MessageBoxSafe(text, "\x83\x47\x83\x89\x81\x5B", platform::MB_OK); }

void ErrorBox(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string text = VFormat(format, args, kBoxBuffer);
  va_end(args);
  ErrorBoxText(text);
}

void DebugErrorBox(const char*, ...) {}

void OutOfMemoryExit() {
  // "メモリが不足しています！"
  ErrorBoxText("\x83\x81\x83\x82\x83\x8A\x82\xAA\x95\x73\x91\xAB\x82\xB5\x82\xC4\x82\xA2\x82\xDC\x82\xB7\x81\x49");
  platform::RequestMainWindowClose();
}

std::string GetOSName(int* major, int* minor) {
  const platform::OsFacts os = platform::QueryOs();
  if (major) *major = os.major;
  if (minor) *minor = os.minor;
  return FormatString("%s %s", os.name.c_str(), os.kernel.c_str());
}

bool IsOSVersionAtLeast(int major, int minor) {
  int maj = 0, min = 0;
  GetOSName(&maj, &min);
  return maj > major || (maj == major && min >= minor);
}

void GetCpuInfo(CpuInfo& info) {
  const platform::CpuFacts cpu = platform::QueryCpu();
  info = CpuInfo{};
  info.vendor = cpu.vendor;
  info.brand = cpu.brand;
  info.clockHz = cpu.clockHz;
}

int GetDiskFreeBytes(const char* nativeDirectory) {
  uint64_t bytes = 0;
  if (!platform::QueryDiskFree(nativeDirectory ? nativeDirectory : ".", bytes)) return 0;
  return bytes >= 2147483648ull ? 2147483647 : static_cast<int>(bytes);
}

int WriteSystemReport() {
  if (GetLogPath().empty()) return 0;
  CpuInfo cpu;
  GetCpuInfo(cpu);
  const platform::MemoryFacts memory = platform::QueryMemory();
  const double mb = 1048576.0;
  WriteLog("OS : %s", GetOSName().c_str());
  WriteLog("CPU : %s %s %d", cpu.vendor.c_str(), cpu.brand.c_str(), static_cast<int>(cpu.clockHz * 0.000001));
  WriteLog("Mem Total : %.3fMB", memory.total / mb);
  WriteLog("Mem Free : %3.fMB", memory.free / mb);
  WriteLog("Vir Total : %.3fMB", memory.virtualTotal / mb);
  WriteLog("Vir Free : %3.fMB", memory.virtualFree / mb);
  WriteLog("HD Free : %3.fMB", GetDiskFreeBytes(nullptr) / mb);
  return 1;
}
