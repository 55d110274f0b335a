// ctest-label: paths
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "data/DataPaths.h"
#include "data/Wording.h"
#include "platform/CodePage.h"
#include "platform/FileSystem.h"
#include "platform/MessageBox.h"
#include "tests/support/TestSupport.h"

// The file's own namespace keeps its helpers apart from other test files compiled with it.
namespace datapaths_test {

namespace fs = std::filesystem;

namespace {

template <typename T, size_t N>
constexpr size_t Count(T (&)[N]) {
  return N;
}

std::string Utf8(const char* cp932) { return platform::Cp932ToUtf8(cp932); }

TEST(DataTables, SizesAndEntries) {
  EXPECT_EQ(Count(PathTable), 48u);
  EXPECT_EQ(Count(ExtTable), 4u);
  EXPECT_EQ(Count(FontFaceTable), 123u);

  EXPECT_STREQ(PathTable[PATH_DATA], "data\\");
  EXPECT_STREQ(PathTable[PATH_DEFAULT], "default\\");
  EXPECT_STREQ(PathTable[PATH_COMMON_PALETTE], "data\\CommonPalette.cplt4");
  EXPECT_STREQ(PathTable[12], "default\\stg4\\Default.stg4_***");
  EXPECT_STREQ(PathTable[PATH_DB_BGM], "data\\database\\Bgm.dat");
  EXPECT_STREQ(PathTable[PATH_SYSTEM], "data\\System.dat");
  EXPECT_STREQ(PathTable[PATH_CHALLENGE_STAGE_PREFIX], "data\\stg4\\c");
  EXPECT_STREQ(PathTable[PATH_STORY_SLOT], "user_data\\story\\Story");
  EXPECT_STREQ(PathTable[PATH_CHALLENGE], "user_data\\challenge\\Challenge.dat");
  EXPECT_STREQ(PathTable[PATH_WINDOW], "user_data\\Window.dat");

  EXPECT_STREQ(ExtTable[EXT_COMMON_PALETTE], "cplt4");
  EXPECT_STREQ(ExtTable[EXT_STAGE], "stg4");
  EXPECT_STREQ(ExtTable[EXT_RANKING], "rkg");

  struct {
    int index;
    const char* utf8;
  } faces[] = {
      {0, "System"},           {24, "Courier New"},  {59, "ＭＳ ゴシック"},
      {60, "ＭＳ Ｐゴシック"}, {63, "ＭＳ Ｐ明朝"},  {86, "HGｺﾞｼｯｸE"},
      {96, "HG正楷書体-PRO"},  {100, "メイリオ"},    {119, "HGS創英ﾌﾟﾚｾﾞﾝｽEB"},
      {121, "Sydnie"},         {122, ""},
  };
  for (const auto& f : faces) EXPECT_EQ(Utf8(GetFontFace(f.index)), f.utf8) << f.index;
  EXPECT_STREQ(GetFontFace(-1), "");
  EXPECT_STREQ(GetFontFace(123), "");
  for (int i = 0; i < 122; ++i) EXPECT_NE(FontFaceTable[i][0], '\0') << i;
}

TEST(DataTables, WordingTablesEndWithAnEmptyText) {
  struct {
    const char* const* table;
    size_t size;
    int spot;
    const char* utf8;
  } tables[] = {
      {NodeKindWords, Count(NodeKindWords), 0, "ワールド"},
      {AfterClearWords, Count(AfterClearWords), 1, "2周目へ突入"},
      {ColourModeWords, Count(ColourModeWords), 1, "1677万色(24bit) カラーパレットなし"},
      {PaletteDepthWords, Count(PaletteDepthWords), 2, "8bit(256色)"},
      {FullColourDepthWords, Count(FullColourDepthWords), 1, "16bit(32768色)"},
      {ComparisonWords, Count(ComparisonWords), 7, "の倍数でない"},
      {ArithmeticWords, Count(ArithmeticWords), 5, "÷ X の余り"},
      {ConditionWords, Count(ConditionWords), 1, "でないなら"},
      {CharaVariableWords, Count(CharaVariableWords), 7, "8 キャラ変数-8"},
      {ColourWords, Count(ColourWords), 9, "4色"},
  };
  size_t sizes[] = {4, 4, 3, 4, 3, 9, 8, 3, 9, 11};
  for (size_t t = 0; t < std::size(tables); ++t) {
    EXPECT_EQ(tables[t].size, sizes[t]) << t;
    EXPECT_STREQ(tables[t].table[tables[t].size - 1], "") << t;
    for (size_t i = 0; i + 1 < tables[t].size; ++i) EXPECT_NE(tables[t].table[i][0], '\0') << t << ":" << i;
    EXPECT_EQ(Utf8(tables[t].table[tables[t].spot]), tables[t].utf8) << t;
  }
}

class DefaultData : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::SetMessageBoxHandler([this](const std::string& text, const std::string& caption, unsigned type) {
      ++questions_;
      text_ = text;
      caption_ = caption;
      type_ = type;
      return answer_;
    });
  }
  void TearDown() override {
    platform::SetMessageBoxHandler(nullptr);
    platform::SetCopyFaultHook(nullptr);
  }
  fs::path Native(const std::string& rel) const { return dir_.Native(rel); }
  void Write(const std::string& rel, const std::string& text) const {
    fs::create_directories(Native(rel).parent_path());
    std::ofstream(Native(rel), std::ios::binary) << text;
  }
  // Relative path -> contents of every file below `top`.
  std::map<std::string, std::string> Tree(const std::string& top) const {
    std::map<std::string, std::string> files;
    if (!fs::exists(Native(top))) return files;
    for (auto& e : fs::recursive_directory_iterator(Native(top))) {
      std::string rel = fs::relative(e.path(), Native(top)).string();
      if (e.is_directory()) {
        files[rel + "/"] = "";
      } else {
        auto b = testsupport::ReadFileBytes(e.path());
        files[rel] = std::string(b.begin(), b.end());
      }
    }
    return files;
  }
  void MakeDefault() const {
    Write("default/System.dat", "system");
    Write("default/database/Bgm.dat", "bgm");
    Write("default/stg4/\xE3\x82\xB9\xE3\x83\x86\xE3\x83\xBC\xE3\x82\xB8.stg4_001", "stage");  // ステージ.stg4_001
    fs::create_directories(Native("default/work"));
  }
  testsupport::ProjectFolder dir_;
  int answer_ = platform::IDYES;
  int questions_ = 0;
  std::string text_, caption_;
  unsigned type_ = 0;
};

TEST_F(DefaultData, PresentDataAsksNothing) {
  fs::create_directories(Native("Data"));  // any case
  EXPECT_TRUE(CreateDefaultData());
  EXPECT_EQ(questions_, 0);
}

TEST_F(DefaultData, NeitherFolderFailsWithoutAQuestion) {
  EXPECT_FALSE(CreateDefaultData());
  EXPECT_EQ(questions_, 0);
  Write("default", "a file, not a folder");
  EXPECT_FALSE(CreateDefaultData());
  EXPECT_EQ(questions_, 0);
}

TEST_F(DefaultData, YesCopiesTheWholeTree) {
  MakeDefault();
  auto before = Tree("default");
  ASSERT_TRUE(CreateDefaultData());
  EXPECT_EQ(questions_, 1);
  EXPECT_EQ(Utf8(text_.c_str()), "データが存在しません！デフォルトデータを作成しますか？\n");
  EXPECT_EQ(Utf8(caption_.c_str()), "デフォルトデータ作成の確認");
  EXPECT_EQ(type_ & 0xF, platform::MB_YESNO);
  EXPECT_EQ(Tree("data"), before);
  EXPECT_EQ(Tree("default"), before);
  EXPECT_FALSE(fs::exists(Native("data.partial")));
  // The next start finds data\ and asks nothing.
  EXPECT_TRUE(CreateDefaultData());
  EXPECT_EQ(questions_, 1);
}

TEST_F(DefaultData, NoLeavesEverythingAlone) {
  MakeDefault();
  answer_ = platform::IDNO;
  EXPECT_FALSE(CreateDefaultData());
  EXPECT_EQ(questions_, 1);
  EXPECT_FALSE(fs::exists(Native("data")));
}

TEST_F(DefaultData, FailedCopyLeavesNoDataAndKeepsDefault) {
  MakeDefault();
  auto before = Tree("default");
  // Fail on the last file copied, after others are in place.
  platform::SetCopyFaultHook([](const std::string& file) { return file.find("stg4_001") != std::string::npos; });
  EXPECT_FALSE(CreateDefaultData());
  EXPECT_FALSE(fs::exists(Native("data")));
  EXPECT_FALSE(fs::exists(Native("data.partial")));
  EXPECT_EQ(Tree("default"), before);
  EXPECT_EQ(Utf8(kDefaultDataFailed), "「data」フォルダの作成に失敗…\n「default」フォルダに問題がある可能性があります。");

  // A later attempt starts afresh from the leftover-free state.
  platform::SetCopyFaultHook(nullptr);
  EXPECT_TRUE(CreateDefaultData());
  EXPECT_EQ(Tree("data"), before);
}

TEST_F(DefaultData, LeftoverOfAnInterruptedCopyIsReplaced) {
  MakeDefault();
  Write("data.partial/stale.txt", "old");
  ASSERT_TRUE(CreateDefaultData());
  EXPECT_FALSE(fs::exists(Native("data/stale.txt")));
  EXPECT_EQ(Tree("data"), Tree("default"));
}

}  // namespace

}  // namespace datapaths_test
