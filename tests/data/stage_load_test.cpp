// ctest-label: data
#include "data/StageLoad.h"

#include <gtest/gtest.h>

#include "base/SerialRecord.h"
#include "data/CommonPalette.h"
#include "data/Stage.h"
#include "platform/CloseRequest.h"
#include "platform/CodePage.h"
#include "platform/FileSystem.h"
#include "platform/MessageBox.h"
#include "platform/Messages.h"
#include "tests/data/stage_test_bytes.h"
#include "tests/support/TestSupport.h"

// The file's own namespace keeps its helpers apart from other test files compiled with it.
namespace stage_load_test {

namespace {
using namespace stagetest;

// "ステージファイル " and the three messages' tails.
const std::string kStageFile = "\x83\x58\x83\x65\x81\x5B\x83\x57\x83\x74\x83\x40\x83\x43\x83\x8B ";
const std::string kReadFailedTail =
    " \x82\xCC\x93\xC7\x82\xDD\x8D\x9E\x82\xDD\x82\xC9\x8E\xB8\x94\x73\x82\xB5\x82\xDC\x82\xB5\x82\xBD\x81\x49";
const std::string kBrokenTail = " \x82\xAA\x94\x6A\x91\xB9\x82\xB5\x82\xC4\x82\xA2\x82\xDC\x82\xB7\x81\x49";
const std::string kNoHero =
    "\x8E\xE5\x90\x6C\x8C\xF6\x82\xAA\x94\x7A\x92\x75\x82\xB3\x82\xEA\x82\xC4\x82\xA2\x82\xC8\x82\xA2\x82\xCC\x82\xC5"
    "\x83\x76\x83\x8C\x83\x43\x82\xC5\x82\xAB\x82\xDC\x82\xB9\x82\xF1\x81\x49";
const std::string kNewerLine =
    "\x83\x5C\x83\x74\x83\x67\x82\xE6\x82\xE8\x8F\xE3\x88\xCA\x82\xCC\x83\x6F\x81\x5B\x83\x57\x83\x87\x83\x93\x82\xCC"
    "\x83\x74\x83\x40\x83\x43\x83\x8B\x82\xCD\x8E\x67\x97\x70\x82\xC5\x82\xAB\x82\xDC\x82\xB9\x82\xF1\x81\x42";

class StageLoad : public testing::Test {
 protected:
  void SetUp() override {
    platform::SetMessageBoxHandler([this](const std::string& text, const std::string&, unsigned) {
      boxes_.push_back(text);
      return platform::IDOK;
    });
    closes_ = platform::CloseRequestCount();
    context_.commonPalette = &common_;
    // A copy target and a stage that a failed load must leave alone.
    copy_.m_Name = "copy before";
    copy_.m_PlacedBlocks.resize(3);
    stage_.m_Name = "stage before";
    stage_.m_Path = "path before";
    stage_.m_PlacedItems.resize(2);
  }
  void TearDown() override {
    platform::SetMessageBoxHandler(nullptr);
  }

  void Write(const std::string& name, const Bytes& file) {
    testsupport::WriteFileBytes(dir_.path() / "data" / "stg4" / name, file.bytes());
  }
  bool Load(const std::string& name, int resolve) {
    return LoadStageForPlay(stage_, "data\\stg4\\" + name, resolve, &copy_, &context_);
  }
  long Closes() const { return platform::CloseRequestCount() - closes_; }
  void ExpectUntouched() {
    EXPECT_EQ(stage_.m_Name, "stage before");
    EXPECT_EQ(stage_.m_Path, "path before");
    EXPECT_EQ(stage_.m_PlacedItems.size(), 2u);
    EXPECT_EQ(copy_.m_Name, "copy before");
    EXPECT_EQ(copy_.m_PlacedBlocks.size(), 3u);
  }

  testsupport::ProjectFolder dir_{"data/stg4"};
  std::vector<std::string> boxes_;
  long closes_ = 0;
  cCommonPalette common_;
  cReadContext context_;
  cStage stage_;
  cStage copy_;
};

StageSpec Named(const std::string& name, uint32_t version = 791) {
  StageSpec s = PlayableStage(version);
  s.name = name;
  return s;
}

TEST_F(StageLoad, ResolvesTheHighestNumber) {
  Write("Level.stg4_003", StageFile(Named("three")));
  Write("Level.stg4_010", StageFile(Named("ten")));
  Write("Other.stg4_999", StageFile(Named("other")));
  for (const char* asked : {"Level.stg4", "Level.stg4_003", "Level.stg4_999", "level.stg4_000"}) {
    SCOPED_TRACE(asked);
    ASSERT_TRUE(Load(asked, 1));
    EXPECT_EQ(stage_.m_Name, "ten");
    EXPECT_EQ(stage_.m_Path.substr(stage_.m_Path.size() - 8), "stg4_010");
    EXPECT_EQ(stage_.m_Resolved, 1);
  }
  // Not resolved: the name as given.
  ASSERT_TRUE(Load("Level.stg4_003", 0));
  EXPECT_EQ(stage_.m_Name, "three");
  EXPECT_EQ(stage_.m_Path, "data\\stg4\\Level.stg4_003");
  EXPECT_TRUE(boxes_.empty());
}

TEST_F(StageLoad, NoNumberedFileFailsSilently) {
  Write("Level.stg4", StageFile(Named("unnumbered")));
  EXPECT_FALSE(Load("Level.stg4", 1));
  EXPECT_FALSE(Load("Missing.stg4_001", 1));
  EXPECT_TRUE(boxes_.empty());
  EXPECT_EQ(Closes(), 0);
  ExpectUntouched();
}

TEST_F(StageLoad, SuccessFillsTheStageAndTheScalarCopy) {
  StageSpec s = Named("played");
  s.fields = With(StageValues(), {{"TimeLimit", 321}});
  s.varNames[5] = "five";
  Write("Play.stg4_001", StageFile(s));
  ASSERT_TRUE(Load("Play.stg4_001", 0));
  EXPECT_EQ(stage_.m_Loaded, 1);
  EXPECT_EQ(stage_.m_PlacedCharas.size(), 1u);
  EXPECT_EQ(stage_.m_PlacedBlocks.size(), 1u);
  EXPECT_EQ(stage_.m_PaletteBlocks.size(), 2u);
  EXPECT_EQ(copy_.m_Name, "played");
  EXPECT_EQ(copy_.m_TimeLimit, 321);
  EXPECT_EQ(copy_.m_VarNames[5].m_Name, "five");
  EXPECT_EQ(copy_.m_RemoveAreas[4].m_RightDist, 10);
  EXPECT_TRUE(copy_.m_PlacedBlocks.empty());
  EXPECT_TRUE(copy_.m_PlacedCharas.empty());
  EXPECT_TRUE(copy_.m_PlacedItems.empty());
  EXPECT_TRUE(copy_.m_PaletteBlocks.empty());
  EXPECT_TRUE(copy_.m_PaletteCharas.empty());
  EXPECT_TRUE(copy_.m_PaletteItems.empty());
  EXPECT_TRUE(boxes_.empty());
}

TEST_F(StageLoad, TrailerAndVersion) {
  struct Row {
    const char* what;
    uint32_t version;
    bool trailer;
    uint32_t word;
    bool loads;
    std::string box;
    long closes;
  };
  const Row rows[] = {
      {"173 without trailer", 173, false, 0, true, "", 0},
      {"173 with a wrong word", 173, true, 7, true, "", 0},
      {"174 with the trailer", 174, true, 123456789, true, "", 0},
      {"174 with a wrong word", 174, true, 123456788, false, kStageFile + "data\\stg4\\T.stg4_001" + kBrokenTail, 1},
      {"791 without trailer", 791, false, 0, false, kStageFile + "data\\stg4\\T.stg4_001" + kBrokenTail, 1},
      {"792 is newer", 792, true, 123456789, false, kStageFile + "data\\stg4\\T.stg4_001" + kReadFailedTail, 0},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    copy_.m_Name = "copy before";
    StageSpec s = Named("loaded", r.version);
    s.trailer = r.trailer;
    s.trailerWord = r.word;
    Write("T.stg4_001", StageFile(s));
    EXPECT_EQ(CheckStageTrailer("data\\stg4\\T.stg4_001"), r.box.empty() || r.version > 791);
    boxes_.clear();
    closes_ = platform::CloseRequestCount();
    EXPECT_EQ(Load("T.stg4_001", 1), r.loads);
    if (r.box.empty()) {
      EXPECT_TRUE(boxes_.empty());
    } else {
      ASSERT_EQ(boxes_.size(), 1u);
      EXPECT_EQ(boxes_[0], r.box);
    }
    EXPECT_EQ(Closes(), r.closes);
    if (!r.loads) {
      EXPECT_EQ(copy_.m_Name, "copy before");
    }
    if (r.version > 791) {
      EXPECT_EQ(bNewerFile, 1);
    }
  }
}

// Only the version word and the last four bytes are looked at; in a file of
// fewer than eight bytes the two overlap.
TEST_F(StageLoad, TrailerOfVeryShortFiles) {
  struct Row {
    const char* what;
    std::vector<unsigned char> bytes;
    bool passes;
  };
  auto word = [](std::vector<unsigned char> v, uint32_t w) {
    for (int i = 0; i < 4; ++i) v.push_back(static_cast<unsigned char>(w >> (8 * i)));
    return v;
  };
  const Row rows[] = {
      {"empty", {}, true},
      {"three bytes", {0x17, 0x03, 0}, true},
      {"version word only, 791: it is its own last word", word({}, 791), false},
      {"version word only, 173", word({}, 173), true},
      {"five bytes, version 791", {0x17, 0x03, 0, 0, 0}, false},
      {"version word and the trailer", word(word({}, 791), 123456789), true},
      {"version word and another word", word(word({}, 791), 123456788), false},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    boxes_.clear();
    Bytes file(r.bytes);
    Write("S.stg4_001", file);
    EXPECT_EQ(CheckStageTrailer("data\\stg4\\S.stg4_001"), r.passes);
    EXPECT_EQ(boxes_.size(), r.passes ? 0u : 1u);
  }
}

TEST_F(StageLoad, MissingOrBrokenFileIsReportedWithoutClosing) {
  EXPECT_TRUE(CheckStageTrailer("data\\stg4\\Gone.stg4_001"));
  EXPECT_FALSE(Load("Gone.stg4_001", 0));
  ASSERT_EQ(boxes_.size(), 1u);
  EXPECT_EQ(boxes_[0], kStageFile + "data\\stg4\\Gone.stg4_001" + kReadFailedTail);

  // A body that ends early but still carries the trailer word at its end.
  Bytes broken = StageFile(Named("x"));
  broken.bytes().erase(broken.bytes().begin() + 600, broken.bytes().end() - 4);
  Write("Broken.stg4_001", broken);
  EXPECT_FALSE(Load("Broken.stg4_001", 0));
  EXPECT_EQ(boxes_.size(), 2u);
  EXPECT_EQ(Closes(), 0);
  ExpectUntouched();
}

TEST_F(StageLoad, StageWithoutHeroIsRefusedAndClosesTheProgram) {
  StageSpec s = Named("no hero");
  // Ordinary characters, and a player character without a picture.
  s.placedCharas = {CharaBody(791, With(CharaValues(), {{"GfxIndex", 3}})),
                    CharaBody(791, With(CharaValues(), {{"Control", 0}}))};
  Write("NoHero.stg4_001", StageFile(s));
  EXPECT_FALSE(Load("NoHero.stg4_001", 0));
  ASSERT_EQ(boxes_.size(), 1u);
  EXPECT_EQ(boxes_[0], kNoHero);
  EXPECT_EQ(Closes(), 1);
  ExpectUntouched();
}

TEST_F(StageLoad, QuitDuringTheLoadStopsItAndIsKept) {
  Write("Q.stg4_001", StageFile(Named("quit")));
  platform::PostQuitMessage(3);
  EXPECT_FALSE(Load("Q.stg4_001", 0));
  ExpectUntouched();
  EXPECT_TRUE(boxes_.empty());
  EXPECT_FALSE(thStageLoad.HasThread());
  // The quit is there again for the caller's own loop.
  platform::MSG msg{};
  ASSERT_TRUE(platform::PeekMessage(&msg, nullptr, 0, 0, platform::PM_REMOVE));
  EXPECT_EQ(msg.message, platform::WM_QUIT);
  EXPECT_EQ(msg.wParam, 3u);
  // The next load works.
  EXPECT_TRUE(Load("Q.stg4_001", 0));
}

TEST_F(StageLoad, MessagesAreDispatchedWhileWaiting) {
  Write("M.stg4_001", StageFile(Named("m")));
  int handled = 0;
  platform::HWND window = platform::CreateMessageWindow(
      [&](platform::HWND, platform::UINT msg, platform::WPARAM, platform::LPARAM) -> platform::LRESULT {
        if (msg == platform::WM_USER + 7) ++handled;
        return 0;
      });
  platform::PostMessage(window, platform::WM_USER + 7, 0, 0);
  EXPECT_TRUE(Load("M.stg4_001", 0));
  EXPECT_EQ(handled, 1);
  platform::DestroyMessageWindow(window);
}

TEST_F(StageLoad, ProgramWideStageAndCopy) {
  Write("G.stg4_002", StageFile(Named("global")));
  cStage savedStage = Stage, savedCopy = StageCopy;
  ASSERT_TRUE(LoadStageForPlay("data\\stg4\\G.stg4", 1, &StageCopy));
  EXPECT_EQ(Stage.m_Name, "global");
  EXPECT_EQ(StageCopy.m_Name, "global");
  EXPECT_EQ(Stage.FindHero(), 0);
  EXPECT_TRUE(StageCopy.m_PlacedCharas.empty());
  // Without a copy target the copy is left alone.
  StageCopy.m_Name = "untouched";
  ASSERT_TRUE(LoadStageForPlay("data\\stg4\\G.stg4_002", 0, nullptr));
  EXPECT_EQ(StageCopy.m_Name, "untouched");
  Stage = savedStage;
  StageCopy = savedCopy;
}

TEST(DataLoadError, OneLineOrNewerFileLines) {
  std::vector<std::string> boxes;
  platform::SetMessageBoxHandler([&](const std::string& text, const std::string&, unsigned) {
    boxes.push_back(text);
    return platform::IDOK;
  });
  testsupport::LogCapture log;
  bNewerFile = 1;
  ShowDataLoadError("data\\x.dat");
  bNewerFile = 0;
  ShowDataLoadError("data\\y.dat");
  platform::SetMessageBoxHandler(nullptr);
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0], "data\\x.dat" + kReadFailedTail + "\n" + kNewerLine);
  EXPECT_EQ(boxes[1], "data\\y.dat" + kReadFailedTail);
  EXPECT_EQ(log.Lines().size(), 3u);  // the two-line text and the one-line text
}

// The main-log line and the box name why the read failed and where: the
// 6-byte file holds the version word and 2 of the 4 bytes of the field count.
TEST(DataLoadError, LogLineCarriesTheReadFailure) {
  std::vector<std::string> boxes;
  platform::SetMessageBoxHandler([&](const std::string& text, const std::string&, unsigned) {
    boxes.push_back(text);
    return platform::IDOK;
  });
  testsupport::LogCapture log;
  cStage stage;
  bNewerFile = 0;
  std::vector<unsigned char> cut = {0x17, 0x03, 0x00, 0x00, 0x01, 0x00};
  EXPECT_FALSE(stage.LoadFromBytes(cut));
  ShowDataLoadError("data\\z.dat");
  platform::SetMessageBoxHandler(nullptr);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0], "data\\z.dat" + kReadFailedTail + "\nfield count: needs 4 bytes, 2 left, at byte 4");
  ASSERT_EQ(log.Lines().size(), 1u);
  EXPECT_EQ(log.Lines()[0],
            platform::Cp932ToUtf8("data\\z.dat" + kReadFailedTail) + " (field count: needs 4 bytes, 2 left, at byte 4)");
}

}  // namespace

}  // namespace stage_load_test
