// ctest-label: paths
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "platform/FileSystem.h"
#include "tests/support/TestSupport.h"

namespace fs = std::filesystem;

namespace {

// A temporary project folder as the root of relative paths.
class ProjectDir : public ::testing::Test {
 protected:
  fs::path Native(const std::string& rel) const { return dir_.Native(rel); }
  void Touch(const std::string& rel, const std::string& text = "x") const {
    fs::create_directories(Native(rel).parent_path());
    std::ofstream(Native(rel), std::ios::binary) << text;
  }
  std::string Resolve(const std::string& internal, bool forCreate = false) const {
    std::string native;
    if (!platform::ToNativePath(internal, native, forCreate)) return "<refused>";
    std::string root = dir_.str() + "/";
    return native.compare(0, root.size(), root) == 0 ? native.substr(root.size()) : native;
  }
  testsupport::ProjectFolder dir_;
};

TEST_F(ProjectDir, ResolvesLikeWindows) {
  Touch("BMP/Plt/palette.BMP", "pal");
  Touch("img/\xE3\x82\xBD.bmp");                                         // img/ソ.bmp (UTF-8)
  Touch("\xE8\x83\x8C\xE6\x99\xAF\xE3\x81\x9D\xE3\x81\xAE" "1.bmp");     // 背景その1.bmp (UTF-8)
  Touch("Data/a.txt");
  Touch("Data/A.TXT");
  Touch("fw/\xEF\xBC\xA1\xEF\xBC\xA2.txt");  // fw/ＡＢ.txt
  Touch("raw/\x83\x5C\x82\xA0.dat");         // a name kept as raw code-page-932 bytes (ソあ)

  struct {
    const char* internal;
    const char* native;
  } cases[] = {
      {"bmp\\plt\\Palette.bmp", "BMP/Plt/palette.BMP"},
      {"bmp/plt/PALETTE.BMP", "BMP/Plt/palette.BMP"},
      {"IMG\\\x83\x5C.bmp", "img/\xE3\x82\xBD.bmp"},  // ソ = 83 5C is one character, not a folder
      {"\x94\x77\x8C\x69\x82\xBB\x82\xCC" "1.bmp", "\xE8\x83\x8C\xE6\x99\xAF\xE3\x81\x9D\xE3\x81\xAE" "1.bmp"},
      {"data\\a.txt", "Data/a.txt"},  // exact case wins over folded
      {"data\\A.TXT", "Data/A.TXT"},
      {"data\\A.txt", "Data/A.TXT"},  // neither exact: the first in byte order
      {"FW\\\x82\x81\x82\x82.TXT", "fw/\xEF\xBC\xA1\xEF\xBC\xA2.txt"},  // ａｂ.TXT finds ＡＢ.txt
      {"raw\\\x83\x5C\x82\xA0.DAT", "raw/\x83\x5C\x82\xA0.dat"},
      {"bmp\\.\\plt\\..\\plt\\\\palette.bmp", "BMP/Plt/palette.BMP"},
      {"bmp\\new\\File.txt", "BMP/new/File.txt"},  // missing parts keep their converted names
      {"..\\..\\x", "<refused>"},
      {"bmp\\..\\..\\x", "<refused>"},
      {"..", "<refused>"},
      {"C:\\game\\data\\x", "<refused>"},
      {"", "<refused>"},
  };
  for (const auto& c : cases) EXPECT_EQ(Resolve(c.internal), c.native) << c.internal;

  std::vector<unsigned char> bytes;
  ASSERT_TRUE(platform::ReadWholeFile("BMP\\PLT\\Palette.Bmp", bytes));
  EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "pal");
  EXPECT_TRUE(platform::IsRegularFile("raw\\\x83\x5C\x82\xA0.dat"));
  EXPECT_TRUE(platform::IsFolder("bmp\\PLT\\"));
  EXPECT_FALSE(platform::PathExists("bmp\\plt\\missing.bmp"));
}

TEST_F(ProjectDir, RefusesPathsOver259Bytes) {
  std::string ok(platform::kMaxPath, 'a');
  std::string tooLong(platform::kMaxPath + 1, 'a');
  EXPECT_NE(Resolve(ok), "<refused>");
  EXPECT_EQ(Resolve(tooLong), "<refused>");
  EXPECT_FALSE(platform::WriteWholeFileAtomic(tooLong, "x", 1));
  EXPECT_EQ(platform::OpenFile(tooLong, "wb"), nullptr);
  EXPECT_EQ(Resolve(std::string("a\0b", 3)), "<refused>");
}

TEST_F(ProjectDir, CreationReusesFoldersThatDifferOnlyInCase) {
  fs::create_directories(Native("User_Data"));
  ASSERT_TRUE(platform::WriteWholeFileAtomic("user_data\\x", "1", 1));
  EXPECT_TRUE(fs::is_regular_file(Native("User_Data/x")));
  EXPECT_TRUE(platform::CreateFolder("user_data\\"));
  EXPECT_TRUE(platform::CreateFolder("USER_DATA\\rpl4\\"));
  EXPECT_TRUE(fs::is_directory(Native("User_Data/rpl4")));
  // Writing X replaces x, as on Windows, instead of adding a second file.
  ASSERT_TRUE(platform::WriteWholeFileAtomic("user_data\\X", "2", 1));
  FILE* f = platform::OpenFile("User_data\\Log.TXT", "wb");
  ASSERT_NE(f, nullptr);
  std::fclose(f);
  std::vector<std::string> top, inner;
  for (auto& e : fs::directory_iterator(dir_.path())) top.push_back(e.path().filename().string());
  for (auto& e : fs::directory_iterator(Native("User_Data"))) inner.push_back(e.path().filename().string());
  std::sort(inner.begin(), inner.end());
  EXPECT_EQ(top, std::vector<std::string>{"User_Data"});
  EXPECT_EQ(inner, (std::vector<std::string>{"Log.TXT", "rpl4", "x"}));
  EXPECT_EQ(testsupport::ReadFileBytes(Native("User_Data/x")), std::vector<unsigned char>{'2'});
  EXPECT_TRUE(platform::RemoveFile("USER_DATA\\LOG.txt"));
  EXPECT_FALSE(fs::exists(Native("User_Data/Log.TXT")));
}

TEST_F(ProjectDir, NewNamesAreWrittenInUtf8) {
  ASSERT_TRUE(platform::CreateFolder("\x83\x5C\x83\x74\x83\x67"));  // ソフト
  ASSERT_TRUE(platform::WriteWholeFileAtomic("\x83\x5C\x83\x74\x83\x67\\\x95\x5C.txt", "t", 1));  // ソフト\表.txt
  EXPECT_TRUE(fs::is_regular_file(Native("\xE3\x82\xBD\xE3\x83\x95\xE3\x83\x88/\xE8\xA1\xA8.txt")));
  EXPECT_EQ(platform::ListFolder("\x83\x5C\x83\x74\x83\x67\\"), std::vector<std::string>{"\x95\x5C.txt"});
}

TEST_F(ProjectDir, ListFolderGivesCodePage932Names) {
  Touch("d/\xE8\x83\x8C\xE6\x99\xAF.bmp");  // 背景.bmp
  Touch("d/\x83\x5C.raw");                  // raw bytes stay raw
  Touch("d/b.txt");
  Touch("d/back\\slash");                 // unreachable through internal paths: left out
  auto names = platform::ListFolder("D\\");
  EXPECT_EQ(names, (std::vector<std::string>{"b.txt", "\x83\x5C.raw", "\x94\x77\x8C\x69.bmp"}));
  for (const auto& n : names) EXPECT_TRUE(platform::IsRegularFile("d\\" + n)) << n;
  EXPECT_TRUE(platform::ListFolder("missing\\").empty());
}

TEST_F(ProjectDir, SeesChangesMadeBehindItsBack) {
  Touch("bmp/a.bmp");
  // Make the folder look long unchanged, so its listing is kept.
  struct timespec old[2] = {{1000000000, 0}, {1000000000, 0}};
  ASSERT_EQ(utimensat(AT_FDCWD, Native("bmp").c_str(), old, 0), 0);
  EXPECT_TRUE(platform::PathExists("bmp\\A.bmp"));
  EXPECT_FALSE(platform::PathExists("bmp\\B.bmp"));
  Touch("bmp/b.BMP");
  EXPECT_TRUE(platform::PathExists("bmp\\B.bmp"));
  fs::remove(Native("bmp/a.bmp"));
  EXPECT_FALSE(platform::PathExists("bmp\\A.bmp"));
}

TEST_F(ProjectDir, AbsolutePaths) {
  Touch("Sub/File.txt");
  std::string internal;
  ASSERT_TRUE(platform::NativeToInternalPath(dir_.str(), internal));
  std::string root;
  ASSERT_TRUE(platform::GetCurrentFolderPath(root));
  EXPECT_EQ(root, internal);
  EXPECT_EQ(root[0], '\\');
  EXPECT_TRUE(platform::IsRegularFile(root + "\\sub\\file.TXT"));
  EXPECT_TRUE(platform::IsRegularFile(dir_.str() + "/Sub/File.txt"));  // native form too
  EXPECT_TRUE(platform::IsAbsolutePath("\\x"));
  EXPECT_TRUE(platform::IsAbsolutePath("/x"));
  EXPECT_TRUE(platform::IsAbsolutePath("c:\\x"));
  EXPECT_FALSE(platform::IsAbsolutePath("data\\x"));
  EXPECT_FALSE(platform::NativeToInternalPath("relative/x", internal));
  EXPECT_FALSE(platform::NativeToInternalPath("/tmp/\xF0\x9F\x98\x80", internal));  // no code-page-932 form
}

TEST_F(ProjectDir, NamesMatch) {
  EXPECT_TRUE(platform::NamesMatch("Stage.STG4", "stage.stg4"));
  EXPECT_TRUE(platform::NamesMatch("\x82\x60", "\x82\x81"));   // Ａ / ａ
  EXPECT_FALSE(platform::NamesMatch("\x83\x41", "\x83\x61"));  // ア / ヂ: trail bytes are not letters
  EXPECT_FALSE(platform::NamesMatch("a", "b"));
}

TEST_F(ProjectDir, CopyRenameAndRemoveTrees) {
  Touch("src/a.txt", "A");
  Touch("src/sub/\xE8\xA1\xA8.txt", "B");  // 表.txt
  ASSERT_TRUE(platform::CopyFolderTree("SRC\\", "dst\\"));
  EXPECT_EQ(testsupport::ReadFileBytes(Native("dst/sub/\xE8\xA1\xA8.txt")), std::vector<unsigned char>{'B'});
  EXPECT_FALSE(platform::CopyFolderTree("src\\", "dst\\"));  // never merges into an existing folder
  EXPECT_FALSE(platform::RenamePath("dst\\", "SRC\\"));      // never replaces
  ASSERT_TRUE(platform::RenamePath("dst\\", "moved\\"));
  EXPECT_TRUE(platform::IsRegularFile("moved\\sub\\\x95\x5C.txt"));
  ASSERT_TRUE(platform::RemoveFolderTree("MOVED\\"));
  EXPECT_FALSE(fs::exists(Native("moved")));
  EXPECT_TRUE(fs::exists(Native("src/a.txt")));

  platform::SetCopyFaultHook([](const std::string& file) { return file.find("a.txt") != std::string::npos; });
  EXPECT_FALSE(platform::CopyFolderTree("src\\", "dst2\\"));
  platform::SetCopyFaultHook(nullptr);
}

// The stage loader reads while the game thread saves: lookups and writes in
// one folder from several threads.
// A save killed before its rename leaves its temporary file; the next save
// of that file removes it. Those of live processes and of other files stay.
TEST_F(ProjectDir, SaveRemovesStaleTemporaryFilesOfItsFile) {
  pid_t dead = fork();
  ASSERT_GE(dead, 0);
  if (dead == 0) _exit(0);
  ASSERT_EQ(waitpid(dead, nullptr, 0), dead);
  const std::string d = std::to_string(dead), live = std::to_string(getppid());
  Touch("s/Save.dat.tmp" + d + "_0");
  Touch("s/Save.dat.tmp" + d + "_17");
  Touch("s/Save.dat.tmp" + live + "_1");
  Touch("s/Other.dat.tmp" + d + "_0");
  Touch("s/Save.dat.tmpx_0");
  ASSERT_TRUE(platform::WriteWholeFileAtomic("s\\Save.dat", "abc", 3));
  std::set<std::string> names;
  for (const auto& e : fs::directory_iterator(Native("s"))) names.insert(e.path().filename().string());
  EXPECT_EQ(names, (std::set<std::string>{"Save.dat", "Save.dat.tmp" + live + "_1", "Other.dat.tmp" + d + "_0",
                                          "Save.dat.tmpx_0"}));
}

// The start-up sweep of a folder removes the temporary files of every save
// whose process is gone, whatever file they were for; those of live
// processes (this one, a second copy) and names that only look alike stay.
TEST_F(ProjectDir, StartupSweepRemovesOnlyStaleSaveTemporaries) {
  pid_t dead = fork();
  ASSERT_GE(dead, 0);
  if (dead == 0) _exit(0);
  ASSERT_EQ(waitpid(dead, nullptr, 0), dead);
  const std::string d = std::to_string(dead), live = std::to_string(getppid()), self = std::to_string(getpid());
  const struct {
    std::string name;
    bool isTemp;
    bool stays;
  } cases[] = {
      {"World1_00.rpl4_791.tmp" + d + "_0", true, false},
      {"Save.dat.tmp" + d + "_12", true, false},
      {"Save.dat.tmp" + live + "_1", true, true},
      {"Save.dat.tmp" + self + "_3", true, true},
      {"Save.dat.tmpx_0", false, true},
      {"Save.dat.tmp" + d, false, true},
      {"Save.dat.tmp" + d + "_", false, true},
      {"Save.dat", false, true},
  };
  for (const auto& c : cases) Touch("s/" + c.name);
  EXPECT_EQ(platform::RemoveStaleSaveTemps("s"), 2);
  for (const auto& c : cases) {
    EXPECT_EQ(fs::exists(Native("s") / c.name), c.stays) << c.name;
    EXPECT_EQ(platform::IsSaveTempName(c.name), c.isTemp) << c.name;
  }
}

TEST_F(ProjectDir, ConcurrentLookupsAndWrites) {
  Touch("Save/Base.dat");
  std::vector<std::thread> threads;
  std::atomic<int> misses{0};
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([t, &misses] {
      for (int i = 0; i < 50; ++i) {
        std::string name = "save\\T" + std::to_string(t) + "_" + std::to_string(i) + ".dat";
        if (!platform::WriteWholeFileAtomic(name, "x", 1)) ++misses;
        if (!platform::IsRegularFile("SAVE\\base.DAT")) ++misses;
        if (!platform::IsRegularFile(name)) ++misses;
        platform::ListFolder("save\\");
      }
    });
  }
  for (auto& th : threads) th.join();
  EXPECT_EQ(misses.load(), 0);
  EXPECT_EQ(platform::ListFolder("save").size(), 201u);
}

}  // namespace
