// ctest-label: dialogs
// The edit binding's limits: the name-entry field (one line of 3 characters,
// a double-byte character counting 1) driven by typed input, and the line
// wrapping and first-fill rules of a multi-line binding.
#include <gtest/gtest.h>

#include "tests/base/dialog_test_support.h"

namespace {

using namespace dlgtest;

// Input steps for the name field: typed text (UTF-8) or a key.
struct Step {
  const char* text;
  int key;
};
Step T(const char* utf8) { return {utf8, 0}; }
Step K(int vk) { return {nullptr, vk}; }

TEST(NameEntryField, LimitsOfThreeCharactersOnOneLine) {
  // "アイウ" "エ" "aア" "イ" "aアイ" "アイ" "ウエ" "アイエ" "アxイ"
  const std::string aiu = "\x83\x41\x83\x43\x83\x45", e = "\x83\x47", aA = "a\x83\x41";
  struct Case {
    const char* name;
    std::string start;
    std::vector<Step> steps;
    std::string expected;
  } const cases[] = {
      {"a fourth double-byte character is refused", aiu, {K(VK_END), T("エ")}, aiu},
      {"a fourth single-byte character is refused", "abc", {K(VK_END), T("d")}, "abc"},
      {"pasting six characters over the name changes nothing", "xy", {T("abcdef")}, "xy"},
      {"a double-byte character counts one", aA, {K(VK_END), T("イ")}, aA + "\x83\x43"},
      {"two characters of which only one fits are refused whole", "\x83\x41\x83\x43", {K(VK_END), T("ウエ")},
       "\x83\x41\x83\x43"},
      {"after a refusal the caret stays at the end", "abc", {K(VK_END), T("d"), K(VK_BACK)}, "ab"},
      {"backspace removes a whole double-byte character", aiu, {K(VK_END), K(VK_BACK), T("エ")},
       "\x83\x41\x83\x43" + e},
      {"the caret moves over whole characters", "\x83\x41\x83\x43", {K(VK_END), K(VK_LEFT), T("x")},
       "\x83\x41x\x83\x43"},
      {"a character without a code-page-932 form is refused", "ab", {K(VK_END), T("\xF0\x9F\x98\x80")}, "ab"},
      {"a text with one such character is refused whole", "", {T("a\xF0\x9F\x98\x80")}, ""},
      {"typing replaces the selected name", "abc", {T("\xE5\x90\x8D")}, "\x96\xbc"},  // 名
      {"delete removes the character after the caret", "abc", {K(VK_HOME), K(VK_DELETE)}, "bc"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    DialogHarness h;
    std::string name = c.start;
    cNameDlg dlg(&h.owner, &name);
    const intptr_t r = h.Run(dlg, [&](HWND) {
      for (const Step& s : c.steps) {
        if (s.text) h.Type(s.text);
        else h.Key(s.key);
      }
      h.Key(VK_RETURN);
    });
    EXPECT_EQ(r, 1);
    EXPECT_EQ(name, c.expected);
  }
}

// Multi-line bindings, driven through the item's text as typing would change it.
class EditLimits : public ::testing::Test {
 protected:
  // Opens the name dialog with other limits and runs `body` while it is up.
  void WithEdit(EDITPARAM p, const std::function<void(cEditCtrl&, cDlgItem&)>& body) {
    DialogHarness h;
    std::string dummy;
    cNameDlg dlg(&h.owner, &dummy);
    p.id = 1003;
    if (!p.text) p.text = &bound;
    dlg.m_Param = p;
    h.Run(dlg, [&](HWND) {
      body(dlg.m_Edit, *dlg.m_Edit.m_hWnd);
      h.Close();
    });
  }
  std::string bound;
};

TEST_F(EditLimits, ZeroLimitsMeanTheDefaults) {
  WithEdit({}, [](cEditCtrl& e, cDlgItem&) {
    EXPECT_EQ(e.m_nMaxChars, 4096);
    EXPECT_EQ(e.m_nMaxLineLen, 1024);
    EXPECT_EQ(e.m_nMaxLines, 32);
  });
}

TEST_F(EditLimits, ALongLineWrapsIntoTheNextLine) {
  EDITPARAM p;
  p.maxLineLen = 3;
  p.maxLines = 3;
  WithEdit(p, [](cEditCtrl& e, cDlgItem& item) {
    item.SetText("xy");
    item.SetSel(0, 0);
    item.ReplaceSel("abcd\r\n");  // typed or pasted before "xy"
    // "d" runs on into the next line, whose own break is removed.
    EXPECT_EQ(item.Text(), "abc\r\ndxy");
    EXPECT_EQ(e.m_strLast, "abc\r\ndxy");

    item.SetText("");
    item.ReplaceSel("abcd");
    EXPECT_EQ(item.Text(), "abc\r\nd");
    int a, b;
    item.GetSel(a, b);
    EXPECT_EQ(a, 6) << "the caret moves past the inserted break";
  });
}

TEST_F(EditLimits, TooManyLinesGoBackToTheLastText) {
  EDITPARAM p;
  p.maxLineLen = 3;
  p.maxLines = 2;
  WithEdit(p, [](cEditCtrl& e, cDlgItem& item) {
    item.SetText("ab\r\ncd");
    e.OnChange();
    ASSERT_EQ(e.m_strLast, "ab\r\ncd");
    item.SetText("ab\r\ncd\r\nef");
    item.SetSel(10, 10);
    e.OnChange();
    EXPECT_EQ(item.Text(), "ab\r\ncd");
    int a, b;
    item.GetSel(a, b);
    EXPECT_EQ(b, 6) << "the caret is clamped to the end";
  });
}

TEST_F(EditLimits, FirstFillShortensATextWithTooManyLines) {
  bound = "abc\r\ndef";
  EDITPARAM p;
  p.maxLineLen = 5;
  p.maxLines = 1;
  p.sjis = 1;
  WithEdit(p, [](cEditCtrl& e, cDlgItem& item) {
    // The whole text is measured, its break included ("\r" counts, "\n" not).
    EXPECT_EQ(item.Text(), "abc\r\nd");
    EXPECT_EQ(e.m_strLast, "abc\r\nd");
  });
}

TEST_F(EditLimits, BackspaceDoesNotJoinAFullLineWithTheNext) {
  EDITPARAM p;
  p.maxLineLen = 3;
  p.maxLines = 2;
  p.sjis = 1;
  WithEdit(p, [](cEditCtrl& e, cDlgItem& item) {
    item.SetText("abc\r\nd");
    e.OnChange();
    SetKeyDown(VK_BACK, true);
    item.SetText("abcd");  // what Backspace at the start of the second line leaves
    item.SetSel(3, 3);
    e.OnChange();
    SetKeyDown(VK_BACK, false);
    EXPECT_EQ(item.Text(), "abc\r\nd");
    int a, b;
    item.GetSel(a, b);
    EXPECT_EQ(a, 3) << "the caret lands before the break";
  });
}

TEST_F(EditLimits, OkCopiesTheTextCutToTheByteLimitWithoutSplittingACharacter) {
  EDITPARAM p;
  p.maxChars = 3;  // byte mode: at most 2 bytes
  p.maxLineLen = 10;
  p.maxLines = 1;
  bound = "a\x83\x41";  // "aア": 3 bytes, shown shortened at the first fill
  WithEdit(p, [](cEditCtrl& e, cDlgItem& item) {
    EXPECT_EQ(item.Text(), "a") << "half of ア is never kept";
    e.FromControl();
    EXPECT_EQ(*e.m_lpText, "a");
  });
}

}  // namespace
