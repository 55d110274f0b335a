// ctest-label: dialogs
// The open and save choosers over one folder of a project: what they list,
// the paths they answer with (code page 932, relative, the current folder
// untouched), a Japanese file name, the proposed and typed names of the save
// chooser and its overwrite question.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "base/DlgRender.h"
#include "base/FileDialog.h"
#include "platform/FileSystem.h"
#include "tests/base/dialog_test_support.h"
#include "tests/support/TestSupport.h"

namespace {

using namespace dlgtest;
namespace fs = std::filesystem;

// 日本語 in UTF-8 (the native name) and in code page 932.
const std::string kJapaneseUtf8 = "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E";
const std::string kJapaneseSjis = "\x93\xfa\x96\x7b\x8c\xea";
const char kStageFilter[] = "StageFile ( *.stg4_*;*.rpl4_* )\0*.stg4_*;*.rpl4_*\0";
const char kReplayFilter[] = "ReplayFile ( *.rpl4_791 )\0*.rpl4_791\0";

class Chooser : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(dir_.path() / "data" / "stg4" / "sub.stg4_1");
    fs::create_directories(dir_.path() / "user_data" / "rpl4");
    for (const std::string& name : {std::string("b.stg4_791"), std::string("A.STG4_791"), std::string("c.rpl4_791"),
                                    std::string("x.txt"), kJapaneseUtf8 + ".stg4_791"})
      std::ofstream(dir_.path() / "data" / "stg4" / name) << "x";
    platform::ForgetFolderListings();
  }
  void TearDown() override {
    EXPECT_EQ(fs::current_path(), dir_.startFolder()) << "the current folder never changes";
  }
  void Touch(const std::string& rel) {
    std::ofstream(dir_.path() / rel) << "old";
    platform::ForgetFolderListings();
  }

  testsupport::ProjectFolder dir_;
};

TEST_F(Chooser, OpenListsTheMatchingFilesOfTheFolderOnly) {
  // A save's temporary file matches the pattern but is never listed.
  Touch("data/stg4/c.rpl4_791.tmp4242_0");
  DialogHarness h;
  std::vector<std::string> shown;
  std::string path;
  SetDialogOpenedHook([&](HWND d) {
    shown = GetDlgItem(d, kFileDlgList)->Entries();
    h.Key(VK_ESCAPE);
  });
  EXPECT_FALSE(OpenFileDialog(&h.owner, path, 260, "data\\stg4\\", "Load", kStageFilter, "stg4_*;rpl4_*", false,
                              nullptr));
  SetDialogOpenedHook({});
  EXPECT_TRUE(path.empty()) << "cancel leaves the cleared buffer";
  std::vector<std::string> expected = {"A.STG4_791", "b.stg4_791", "c.rpl4_791", kJapaneseSjis + ".stg4_791"};
  std::sort(shown.begin(), shown.end());
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(shown, expected)
      << "case-insensitive patterns, files only, no save temporaries, Japanese names in code page 932";
}

TEST_F(Chooser, OpenAnswersWithTheRelativeCp932PathOfTheChoice) {
  for (const bool byMouse : {false, true}) {
    SCOPED_TRACE(byMouse ? "double click" : "keys");
    DialogHarness h;
    std::string path = "garbage";
    std::vector<std::string> list;
    SetDialogOpenedHook([&](HWND d) {
      cDlgItem* items = GetDlgItem(d, kFileDlgList);
      const auto& e = items->Entries();
      const int target = static_cast<int>(std::find(e.begin(), e.end(), kJapaneseSjis + ".stg4_791") - e.begin());
      if (byMouse) {
        items->SetCurSel(target);
        // Two presses at the selected row.
        cDlgWindow* w = cDlgWindow::Find(d);
        const POINT o = w->ClientOrigin();
        const int x = o.x + items->m_rc.left + 20;
        const int y = o.y + items->m_rc.top + 2 + (target - items->TopIndex()) * DlgListRowHeight() + 4;
        const LPARAM l = static_cast<LPARAM>((static_cast<uint32_t>(y) << 16) | static_cast<uint32_t>(x));
        for (int i = 0; i < 2; ++i) {
          PostMessage(h.owner.m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, l);
          PostMessage(h.owner.m_hWnd, WM_LBUTTONUP, 0, l);
        }
      } else {
        h.Key(VK_HOME);
        for (int i = 0; i < target; ++i) h.Key(VK_DOWN);
        h.Key(VK_RETURN);
      }
    });
    ASSERT_TRUE(OpenFileDialog(&h.owner, path, 260, "data\\stg4\\", "Load", kStageFilter, "stg4_*;rpl4_*", false,
                               &list));
    SetDialogOpenedHook({});
    EXPECT_EQ(path, "data\\stg4\\" + kJapaneseSjis + ".stg4_791");
    EXPECT_EQ(list, std::vector<std::string>{path});
    std::vector<unsigned char> bytes;
    EXPECT_TRUE(platform::ReadWholeFile(path, bytes)) << "the answer opens the file it names";
  }
}

TEST_F(Chooser, OpenRefusesAPathLongerThanTheBuffer) {
  DialogHarness h;
  std::string path;
  SetDialogOpenedHook([&](HWND) { h.Key(VK_RETURN); });
  EXPECT_FALSE(OpenFileDialog(&h.owner, path, 12, "data\\stg4\\", "Load", kStageFilter, "", false, nullptr));
  SetDialogOpenedHook({});
}

TEST_F(Chooser, SaveTakesTheProposedNameOrATypedOne) {
  {
    DialogHarness h;
    std::string buffer = "r_00.rpl4_791";
    SetDialogOpenedHook([&](HWND) { h.Key(VK_RETURN); });
    ASSERT_TRUE(SaveFileDialog(&h.owner, buffer, "user_data\\rpl4\\", "Save", kReplayFilter, "rpl4_791", true));
    SetDialogOpenedHook({});
    EXPECT_EQ(buffer, "user_data\\rpl4\\r_00.rpl4_791");
  }
  {
    DialogHarness h;
    std::string buffer = "r_00.rpl4_791";
    SetDialogOpenedHook([&](HWND) {
      h.Type(kJapaneseUtf8);  // replaces the selected proposal
      h.Key(VK_RETURN);
    });
    ASSERT_TRUE(SaveFileDialog(&h.owner, buffer, "user_data\\rpl4", "Save", kReplayFilter, "rpl4_791", true));
    SetDialogOpenedHook({});
    EXPECT_EQ(buffer, "user_data\\rpl4\\" + kJapaneseSjis + ".rpl4_791") << "the default extension is added";
    ASSERT_TRUE(platform::WriteWholeFileAtomic(buffer, "r", 1));
    EXPECT_TRUE(fs::exists(dir_.path() / "user_data" / "rpl4" / (kJapaneseUtf8 + ".rpl4_791")))
        << "the Japanese name round-trips to the native file name";
  }
  {
    DialogHarness h;
    std::string buffer = "ignored";
    std::string shown = "?";
    SetDialogOpenedHook([&](HWND d) {
      shown = GetDlgItem(d, kFileDlgName)->Text();
      h.Type("bad/name");  // refused: the dialog stays
      h.Key(VK_RETURN);
      h.Key(VK_ESCAPE);
    });
    EXPECT_FALSE(SaveFileDialog(&h.owner, buffer, "user_data\\rpl4\\", "Save", kReplayFilter, "rpl4_791", false));
    SetDialogOpenedHook({});
    EXPECT_EQ(shown, "") << "without bKeepName the buffer starts empty";
  }
}

TEST_F(Chooser, SaveAsksBeforeOverwriting) {
  Touch("user_data/rpl4/r_88.rpl4_791");
  // No, then Esc: nothing chosen.
  {
    DialogHarness h;
    std::string buffer = "r_88.rpl4_791";
    SetDialogOpenedHook([&](HWND) {
      h.Key(VK_RETURN);  // the question; "No" has the focus
      h.Key(VK_RETURN);  // No: back to the name
      h.Key(VK_ESCAPE);
    });
    EXPECT_FALSE(SaveFileDialog(&h.owner, buffer, "user_data\\rpl4\\", "Save", kReplayFilter, "rpl4_791", true));
    SetDialogOpenedHook({});
  }
  // Yes: the existing file is chosen.
  {
    DialogHarness h;
    std::string buffer = "r_88.rpl4_791";
    bool yesShown = false;
    SetDialogOpenedHook([&](HWND d) {
      yesShown = GetDlgItem(d, kFileDlgYes)->IsVisible();
      h.Key(VK_RETURN);
      h.Key(VK_TAB);  // from No to Yes
      h.Key(VK_RETURN);
    });
    EXPECT_TRUE(SaveFileDialog(&h.owner, buffer, "user_data\\rpl4\\", "Save", kReplayFilter, "rpl4_791", true));
    SetDialogOpenedHook({});
    EXPECT_FALSE(yesShown) << "the question appears only for an existing file";
    EXPECT_EQ(buffer, "user_data\\rpl4\\r_88.rpl4_791");
  }
  // The question names the file; Esc on it means No.
  {
    DialogHarness h;
    std::string buffer = "r_88.rpl4_791";
    std::string question;
    bool nameShown = true;
    HWND dlg = nullptr;
    h.onOwnerMessage = [&](UINT m) {
      if (m != WM_APP + 1) return;
      question = GetDlgItem(dlg, kFileDlgQuestion)->Text();
      nameShown = GetDlgItem(dlg, kFileDlgName)->IsVisible();
    };
    SetDialogOpenedHook([&](HWND d) {
      dlg = d;
      h.Key(VK_RETURN);
      PostMessage(h.owner.m_hWnd, WM_APP + 1, 0, 0);
      h.Key(VK_ESCAPE);  // No
      h.Key(VK_ESCAPE);  // then the chooser closes
    });
    EXPECT_FALSE(SaveFileDialog(&h.owner, buffer, "user_data\\rpl4\\", "Save", kReplayFilter, "rpl4_791", true));
    SetDialogOpenedHook({});
    EXPECT_NE(question.find("r_88.rpl4_791"), std::string::npos) << question;
    EXPECT_FALSE(nameShown) << "the question takes the chooser's place";
  }
}

TEST(FilePattern, WildcardsAndCase) {
  struct {
    const char* patterns;
    std::string name;
    bool match;
  } const cases[] = {
      {"*.stg4_*;*.rpl4_*", "a.stg4_791", true},
      {"*.stg4_*;*.rpl4_*", "A.RPL4_791", true},
      {"*.stg4_*;*.rpl4_*", "a.txt", false},
      {"*.rpl4_791", "x.rpl4_79", false},
      {"*.*", "noext", true},
      {"?.txt", "\x83\x41.txt", true},  // one double-byte character is one "?"
      {"?.txt", "ab.txt", false},
      {"\x83\x41*", "\x83\x41\x83\x43", true},
      {"*\x5c", "\x83\x5c", false},  // the trail byte 0x5C is not a character of its own
      {" *.txt ; *.ini", "s.INI", true},
  };
  for (const auto& c : cases) EXPECT_EQ(MatchFilePattern(c.patterns, c.name), c.match) << c.patterns << " " << c.name;
}

}  // namespace
