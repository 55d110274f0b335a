// ctest-label: base
#include <gtest/gtest.h>
#include <sys/statvfs.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <thread>
#include <vector>

#include "base/Log.h"
#include "base/Thread.h"
#include "platform/CloseRequest.h"
#include "platform/MessageBox.h"
#include "tests/support/TestSupport.h"

namespace {

TEST(Log, InitTruncatesAndLinesAppend) {
  testsupport::TempDir dir;
  auto path = (dir.path() / "Report_Game.txt").string();
  std::ofstream(path) << "old contents\n";
  ASSERT_EQ(InitLog(path), 1);
  EXPECT_EQ(std::filesystem::file_size(path), 0u);
  EXPECT_EQ(WriteLog("App : ver %s", "791"), 1);
  EXPECT_EQ(WriteLogText("second"), 1);
  std::ifstream in(path);
  std::string all((std::istreambuf_iterator<char>(in)), {});
  EXPECT_EQ(all, "App : ver 791\nsecond\n");
  InitLog("");
}

TEST(Log, DeletedLogIsNotRecreated) {
  testsupport::LogCapture log;
  auto path = GetLogPath();
  std::filesystem::remove(path);
  EXPECT_EQ(WriteLog("lost"), 0);
  EXPECT_FALSE(std::filesystem::exists(path));
}

// A full disk (here /dev/full, which refuses every write) loses the line
// and says so on stderr once, not once per line; the log counts as open so
// boxes that go with lines still come up.
TEST(Log, UnwritableLogIsSaidOnStderrOnce) {
  if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  ASSERT_EQ(InitLog("/dev/full"), 1);
  testing::internal::CaptureStderr();
  EXPECT_EQ(WriteLog("first"), 1);
  EXPECT_EQ(WriteLog("second"), 1);
  const std::string err = testing::internal::GetCapturedStderr();
  InitLog("");
  EXPECT_EQ(err, "Cannot write the log /dev/full: " + std::string(std::strerror(ENOSPC)) + "\n");
}

TEST(Log, FailedInitDropsLines) {
  EXPECT_EQ(InitLog("/nonexistent-folder/x/Report_Game.txt"), 0);
  EXPECT_EQ(GetLogPath(), "");
  EXPECT_EQ(WriteLog("nowhere"), 0);
}

TEST(Log, TextsAreDataNotFormats) {
  testsupport::LogCapture log;
  int shown = 0;
  platform::SetMessageBoxHandler([&](const std::string&, const std::string&, unsigned) {
    ++shown;
    return platform::IDOK;
  });
  WriteLogText("100% %n %s");
  WriteLogBox("%s", "50% %n");
  long closes = platform::CloseRequestCount();
  FatalLog("%n%n%n");
  platform::SetMessageBoxHandler(nullptr);
  EXPECT_EQ(platform::CloseRequestCount(), closes + 1);
  EXPECT_EQ(shown, 1);
  auto lines = log.Lines();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], "100% %n %s");
  EXPECT_EQ(lines[1], "50% %n");
}

TEST(Log, LinesFromManyThreadsStayIntact) {
  testsupport::LogCapture log;
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([t] {
      for (int i = 0; i < 1000; ++i) WriteLog("thread %d line %04d end", t, i);
    });
  for (auto& th : threads) th.join();
  auto lines = log.Lines();
  ASSERT_EQ(lines.size(), 4000u);
  std::set<std::string> unique(lines.begin(), lines.end());
  EXPECT_EQ(unique.size(), 4000u);
  for (auto& l : lines) EXPECT_EQ(l.size(), std::string("thread 0 line 0000 end").size());
}

TEST(Log, ShiftJisIsWrittenAsUtf8) {
  testsupport::LogCapture log;
  WriteLogText("\x83\x47\x83\x89\x81\x5B");  // エラー
  EXPECT_EQ(log.Text(), "\xE3\x82\xA8\xE3\x83\xA9\xE3\x83\xBC\n");
}

TEST(Log, ErrorBoxCaptionAndOutOfMemory) {
  testsupport::LogCapture log;
  std::vector<std::pair<std::string, std::string>> boxes;
  platform::SetMessageBoxHandler([&](const std::string& text, const std::string& caption, unsigned) {
    boxes.emplace_back(text, caption);
    return platform::IDOK;
  });
  ErrorBox("file %s", "a.dat");
  long closes = platform::CloseRequestCount();
  OutOfMemoryExit();
  platform::SetMessageBoxHandler(nullptr);
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0].first, "file a.dat");
  EXPECT_EQ(boxes[0].second, "\x83\x47\x83\x89\x81\x5B");
  EXPECT_EQ(platform::CloseRequestCount(), closes + 1);
}

TEST(Log, SystemReportLines) {
  testsupport::LogCapture log;
  ASSERT_EQ(WriteSystemReport(), 1);
  auto lines = log.Lines();
  ASSERT_EQ(lines.size(), 7u);
  const char* prefixes[] = {"OS : ", "CPU : ", "Mem Total : ", "Mem Free : ", "Vir Total : ", "Vir Free : ", "HD Free : "};
  for (size_t i = 0; i < 7; ++i) EXPECT_EQ(lines[i].rfind(prefixes[i], 0), 0u) << lines[i];
}

// The free bytes of the folder's file system, capped at 2^31 - 1; 0 for a
// folder that cannot be asked.
TEST(Log, DiskFreeBytesAreCappedAtTheIntRange) {
  struct statvfs st {};
  ASSERT_EQ(statvfs(".", &st), 0);
  const unsigned long long bytes = static_cast<unsigned long long>(st.f_bavail) * st.f_frsize;
  const long long slack = 64ll << 20;  // other programs write meanwhile
  const int got = GetDiskFreeBytes(".");
  if (bytes >= 2147483648ull + static_cast<unsigned long long>(slack))
    EXPECT_EQ(got, 2147483647);
  else
    EXPECT_NEAR(static_cast<double>(got), static_cast<double>(bytes), static_cast<double>(slack));
  EXPECT_EQ(GetDiskFreeBytes("/no/such/folder/at/all"), 0);
}

}  // namespace

namespace {
TEST(Log, BoxesNobodyCanSeeLeaveTheirTextInTheLog) {
  testsupport::LogCapture log;
  platform::SetMessageBoxHandler(nullptr);
  ErrorBox("%s", "no display here");
  EXPECT_EQ(MessageBoxSafe("copy?", "q", platform::MB_YESNO), platform::IDNO) << "nobody said yes";
  auto lines = log.Lines();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], "[\xE3\x82\xA8\xE3\x83\xA9\xE3\x83\xBC] no display here");
  EXPECT_EQ(lines[1], "[q] copy?");
}

// A thread being stopped for a close asks nobody: its boxes go to the log
// and are declined, so no question holds the close up or is answered Yes.
std::atomic<int> g_stoppingAnswer{0};
std::atomic<bool> g_stoppingRunning{false};
unsigned AskWhileStopping(void*) {
  g_stoppingRunning = true;
  while (!ThreadStopRequested()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  g_stoppingAnswer = MessageBoxSafe("overwrite?", "q", platform::MB_YESNO);
  return 0;
}

TEST(Log, BoxesOfAThreadBeingStoppedAreLoggedAndDeclined) {
  testsupport::LogCapture log;
  std::atomic<int> shown{0};
  platform::SetMessageBoxHandler([&](const std::string&, const std::string&, unsigned) {
    ++shown;
    return platform::IDYES;
  });
  g_stoppingAnswer = 0;
  g_stoppingRunning = false;
  cThread t;
  ASSERT_EQ(t.Start(&AskWhileStopping, nullptr), 1);
  while (!g_stoppingRunning) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  t.Exit();
  platform::SetMessageBoxHandler(nullptr);
  EXPECT_EQ(shown.load(), 0);
  EXPECT_EQ(g_stoppingAnswer.load(), platform::IDNO);
  EXPECT_NE(log.Text().find("[q] overwrite?"), std::string::npos) << log.Text();
}
}  // namespace
