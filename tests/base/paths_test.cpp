// ctest-label: paths
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "base/Paths.h"
#include "platform/FileSystem.h"
#include "tests/support/TestSupport.h"

namespace fs = std::filesystem;

namespace {

TEST(Paths, ExtensionsLookAtTheFileNameOnly) {
  struct {
    const char* path;
    int hasDot;
    const char* ext;       // GetExtension
    const char* changed;   // ChangeExtension(..., "txt")
    const char* stripped;  // StripExtension
  } cases[] = {
      {"file.bmp", 1, "bmp", "file.txt", "file"},
      {"dir\\file.tar.gz", 1, "gz", "dir\\file.tar.txt", "dir\\file.tar"},
      {"file.", 1, "", "file.txt", "file"},
      {"noext", 0, "", "noext", "noext"},
      {"a.b\\c", 0, "", "a.b\\c", "a.b\\c"},  // the dot belongs to the folder
      {"a.b/c", 0, "", "a.b/c", "a.b/c"},
      {".hidden", 1, "hidden", ".txt", ""},
      {"data\\stg4\\Stage.stg4_003", 1, "stg4_003", "data\\stg4\\Stage.txt", "data\\stg4\\Stage"},
      {"\x83\x5C.bmp", 1, "bmp", "\x83\x5C.txt", "\x83\x5C"},  // ソ.bmp
      {"\x94\x77\x8C\x69.d\\\x83\x5C", 0, "", "\x94\x77\x8C\x69.d\\\x83\x5C", "\x94\x77\x8C\x69.d\\\x83\x5C"},
  };
  for (const auto& c : cases) {
    std::string ext = "unchanged";
    EXPECT_EQ(GetExtension(ext, c.path), c.hasDot) << c.path;
    EXPECT_EQ(ext, c.hasDot ? c.ext : "unchanged") << c.path;

    std::string changed = "garbage";
    EXPECT_EQ(ChangeExtension(changed, c.path, "txt"), c.hasDot) << c.path;
    EXPECT_EQ(changed, c.changed) << c.path;

    std::string s = c.path;
    EXPECT_EQ(StripExtension(s), c.hasDot) << c.path;
    EXPECT_EQ(s, c.stripped) << c.path;
    std::string s2 = c.path;
    EXPECT_EQ(StripExtensionString(s2), c.hasDot) << c.path;
    EXPECT_EQ(s2, c.stripped) << c.path;
  }
  std::string cut;
  EXPECT_EQ(ChangeExtension(cut, "dir\\file.bmp", nullptr), 1);
  EXPECT_EQ(cut, "dir\\file");
  std::string same = "x.a";
  EXPECT_EQ(ChangeExtension(same, same, "bb"), 1);  // in place
  EXPECT_EQ(same, "x.bb");
  std::string tooLong = "x." + std::string(250, 'e');
  EXPECT_EQ(ChangeExtension(cut, tooLong, std::string(260, 'f').c_str()), 0);
  EXPECT_EQ(cut, tooLong);
}

TEST(Paths, StripDirectoryFindsRealSeparators) {
  struct {
    const char* path;
    const char* file;
  } cases[] = {
      {"a\\b\\c.txt", "c.txt"},
      {"noext", "noext"},
      {"a\\", ""},
      {"a.b\\c", "c"},
      {"a/b", "b"},
      {"\x83\x5C.bmp", "\x83\x5C.bmp"},                  // ソ.bmp: 5C is a trail byte
      {"dir\\\x83\x5C\x83\x5C", "\x83\x5C\x83\x5C"},     // dir\ソソ
      {"\x81\x81\\x.bmp", "x.bmp"},                      // ＝\x.bmp: 81 5C would look like a character backward
      {"\x83\x5C\\\x94\x5C.txt", "\x94\x5C.txt"},        // ソ\能.txt
  };
  for (const auto& c : cases) {
    std::string s = c.path;
    StripDirectory(s);
    EXPECT_EQ(s, c.file) << c.path;
  }
}

TEST(Paths, InsertNumberSuffix) {
  std::string out = "old";
  EXPECT_EQ(InsertNumberSuffix(out, "user_data\\rpl4\\Stage.rpl4_791", 0, 3), 1);
  EXPECT_EQ(out, "user_data\\rpl4\\Stage_03.rpl4_791");
  EXPECT_EQ(InsertNumberSuffix(out, "a.b\\c", 1, 2), 0);
  EXPECT_EQ(out, "a.b\\c");
  EXPECT_EQ(InsertNumberSuffix(out, "x.y", 10, 0), 0);
  // Extensions longer than 31 bytes are handled, not overrun.
  std::string longExt = "s." + std::string(40, 'e');
  EXPECT_EQ(InsertNumberSuffix(out, longExt, 8, 8), 1);
  EXPECT_EQ(out, "s_88." + std::string(40, 'e'));
}

class NumberedFiles : public ::testing::Test {
 protected:
  void Touch(const std::string& rel) const {
    fs::create_directories((dir_.path() / rel).parent_path());
    std::ofstream(dir_.path() / rel) << "s";
  }
  testsupport::ProjectFolder dir_;
};

TEST_F(NumberedFiles, HighestNumberWins) {
  Touch("data/stg4/Stage.stg4_001");
  Touch("data/stg4/Stage.stg4_004");
  // Near misses that must not count.
  for (const char* n : {"Stage.stg4_01", "Stage.stg4_0009", "Stage.stg4_9x9", "XStage.stg4_999", "Stage.stg4_999.bak",
                        "Stage.rkg_999"})
    Touch(std::string("data/stg4/") + n);
  std::string out;
  EXPECT_EQ(FindLatestNumberedFile(out, "data\\stg4\\Stage.stg4_001", "stg4"), 1);
  EXPECT_EQ(out, "data\\stg4\\Stage.stg4_004");
  std::string s;
  EXPECT_EQ(FindLatestNumberedFileString(s, "data\\stg4\\Stage.stg4", "stg4"), 1);
  EXPECT_EQ(s, "data\\stg4\\Stage.stg4_004");
}

TEST_F(NumberedFiles, SingleNoneAndCase) {
  Touch("Only.stg4_000");
  Touch("data/A.STG4_002");
  Touch("data/\xE3\x82\xBD.stg4_010");  // ソ.stg4_010
  std::string out;
  EXPECT_EQ(FindLatestNumberedFile(out, "Only.stg4", "stg4"), 1);
  EXPECT_EQ(out, "Only.stg4_000");
  // Found case-insensitively, written as asked so derived names stay the same.
  EXPECT_EQ(FindLatestNumberedFile(out, "data\\a.stg4", "stg4"), 1);
  EXPECT_EQ(out, "data\\a.stg4_002");
  EXPECT_EQ(FindLatestNumberedFile(out, "DATA\\\x83\x5C.stg4_001", "stg4"), 1);
  EXPECT_EQ(out, "DATA\\\x83\x5C.stg4_010");

  out = "unchanged";
  EXPECT_EQ(FindLatestNumberedFile(out, "data\\Missing.stg4", "stg4"), 0);
  EXPECT_EQ(out, "unchanged");
  EXPECT_EQ(FindLatestNumberedFileString(out, "nofolder\\x.stg4", "stg4"), 0);
  EXPECT_EQ(out, "unchanged");
}

TEST_F(NumberedFiles, RegularFilesBeforeFolders) {
  Touch("s/X.stg4_003");
  fs::create_directories(dir_.path() / "s/X.stg4_009");
  fs::create_directories(dir_.path() / "t/Y.stg4_005");
  std::string out;
  EXPECT_EQ(FindLatestNumberedFile(out, "s\\X.stg4", "stg4"), 1);
  EXPECT_EQ(out, "s\\X.stg4_003");
  EXPECT_EQ(FindLatestNumberedFile(out, "t\\Y.stg4", "stg4"), 1);  // a folder still counts when alone
  EXPECT_EQ(out, "t\\Y.stg4_005");
}

TEST_F(NumberedFiles, AbsoluteAndRelativeForms) {
  std::string root;
  ASSERT_TRUE(platform::GetCurrentFolderPath(root));

  std::string p = "data\\stg4\\..\\x.stg4";
  EXPECT_EQ(MakeAbsolutePath(p), 1);
  EXPECT_EQ(p, root + "\\data\\x.stg4");
  EXPECT_EQ(MakeRelativePath(p), 1);
  EXPECT_EQ(p, ".\\data\\x.stg4");
  EXPECT_EQ(MakeRelativePath(p), 1);  // relative already: unchanged
  EXPECT_EQ(p, ".\\data\\x.stg4");

  std::string folder = "data\\";
  EXPECT_EQ(MakeAbsolutePath(folder), 1);
  EXPECT_EQ(folder, root + "\\data\\");

  // A sibling of the project folder and a case-different spelling of it.
  std::string parent = root.substr(0, root.rfind('\\'));
  std::string sibling = parent + "\\other\\x.bmp";
  EXPECT_EQ(MakeRelativePathString(sibling), 1);
  EXPECT_EQ(sibling, "..\\other\\x.bmp");
  std::string upper = root + "\\Stage";
  for (auto& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  EXPECT_EQ(MakeRelativePath(upper), 1);
  EXPECT_EQ(upper, ".\\STAGE");

  std::string drive = "D:\\game\\x.stg4_001";
  EXPECT_EQ(MakeRelativePath(drive), 0);
  EXPECT_EQ(drive, "D:\\game\\x.stg4_001");

  std::string deep = std::string(250, 'd');
  EXPECT_EQ(MakeAbsolutePath(deep), 0);  // would not fit 259 bytes
  EXPECT_EQ(deep, std::string(250, 'd'));
}

}  // namespace
