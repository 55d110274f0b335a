// ctest-label: dialogs
// The message box drawn with the dialog kit: its text wrapped to the box, its
// layout, and, in a window of its own on SDL's dummy driver, the answers of
// its keys, clicks and close button.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "base/DlgMessageBox.h"
#include "base/DlgWindow.h"
#include "platform/Keyboard.h"
#include "platform/MessageBox.h"
#include "platform/Window.h"

namespace {

using namespace platform;

// Widths that can be worked by hand: 6 pixels a byte (a double-byte
// character is 12). Nothing is drawn.
class FixedWidthPainter : public cDlgTextPainter {
 public:
  int Width(const std::string& s) override { return 6 * static_cast<int>(s.size()); }
  void Draw(std::vector<uint32_t>&, int, int, const std::string&, uint32_t, int, int, int, int) override {}
};

class BoxFixture : public ::testing::Test {
 protected:
  void SetUp() override { SetDlgTextPainter(std::make_unique<FixedWidthPainter>()); }
  void TearDown() override { SetDlgTextPainter(nullptr); }
};

using BoxWrap = BoxFixture;

TEST_F(BoxWrap, LinesBreakAtLineBreaksThenAtSpacesOrCharacters) {
  const std::string a = "\x82\xa0";  // a double-byte character, 12 pixels
  struct Case {
    const char* name;
    std::string text;
    int maxWidth;
    std::vector<std::string> lines;
  };
  const Case cases[] = {
      {"fits", "Restart?", 48, {"Restart?"}},
      {"the space at the break goes", "abc def ghi", 42, {"abc def", "ghi"}},
      {"after the last space that fits", "one two three", 48, {"one two", "three"}},
      {"no space: between characters", "abcdefghij", 24, {"abcd", "efgh", "ij"}},
      {"a long word after a space", "ab cdefghijk", 30, {"ab", "cdefg", "hijk"}},
      {"a leading space is no break", " abcdef", 24, {" abc", "def"}},
      {"double-byte characters stay whole", a + a + a + a + a, 42, {a + a + a, a + a}},
      {"line breaks, CR LF and empty lines", "a\r\nb\n\nc", 100, {"a", "b", "", "c"}},
      {"empty text", "", 100, {""}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(WrapBoxText(c.text, c.maxWidth), c.lines);
  }
}

struct PixelRect {
  int l, t, r, b;
  bool operator==(const PixelRect&) const = default;
};
std::ostream& operator<<(std::ostream& o, const PixelRect& r) {
  return o << "(" << r.l << "," << r.t << ")-(" << r.r << "," << r.b << ")";
}

PixelRect PixelsOf(const sDlgItemTemplate& t) {
  return {DluToPixelsX(t.x), DluToPixelsY(t.y), DluToPixelsX(t.x + t.cx), DluToPixelsY(t.y + t.cy)};
}

const sDlgItemTemplate* FindItem(const sDlgTemplate& tpl, int id) {
  for (const sDlgItemTemplate& t : tpl.items)
    if (t.id == id) return &t;
  return nullptr;
}

using BoxLayout = BoxFixture;

// "Restart?" is 48 pixels; Yes and No are 75 wide with 6 between: 156. The
// client is 156 + 2 x 12 = 180 wide; one line of 13 pixels takes 15 (a
// multiple of 3), so the buttons start at 12 + 15 + 12 = 39 and the client is
// 39 + 21 + 12 = 72 high. The buttons are centred: (180 - 156) / 2 = 12.
TEST_F(BoxLayout, YesNoQuestionWorkedByHand) {
  const sDlgTemplate tpl = MakeMessageBoxTemplate("Restart?", "Q", MB_YESNO | MB_ICONQUESTION, true);
  EXPECT_EQ(DluToPixelsX(tpl.cx), 180);
  EXPECT_EQ(DluToPixelsY(tpl.cy), 72);
  EXPECT_TRUE(tpl.caption);
  EXPECT_EQ(tpl.title, "Q");
  ASSERT_EQ(tpl.items.size(), 3u);
  const sDlgItemTemplate* text = FindItem(tpl, kBoxTextId);
  const sDlgItemTemplate* yes = FindItem(tpl, IDYES);
  const sDlgItemTemplate* no = FindItem(tpl, IDNO);
  ASSERT_TRUE(text && yes && no);
  EXPECT_EQ(text->kind, eDlgItemKind::Static);
  EXPECT_EQ(text->text, "Restart?");
  EXPECT_EQ(PixelsOf(*text), (PixelRect{12, 12, 168, 27}));
  EXPECT_EQ(yes->kind, eDlgItemKind::DefButton) << "Return answers Yes";
  EXPECT_EQ(yes->text, "Yes");
  EXPECT_EQ(PixelsOf(*yes), (PixelRect{12, 39, 87, 60}));
  EXPECT_EQ(no->kind, eDlgItemKind::Button);
  EXPECT_EQ(no->text, "No");
  EXPECT_EQ(PixelsOf(*no), (PixelRect{93, 39, 168, 60}));
  EXPECT_TRUE(yes->tabStop && no->tabStop);
}

TEST_F(BoxLayout, ButtonsOfEachTypeAndWhatSetsTheWidth) {
  struct Case {
    const char* name;
    std::string text, caption;
    unsigned type;
    bool drawCaption;
    int clientW, clientH;
    std::vector<int> ids;  // the buttons, the default first
    int firstButtonX;
  };
  const std::string a = "\x82\xa0";
  std::string kanji36, fortyLines;
  for (int i = 0; i < 36; ++i) kanji36 += a;
  for (int i = 0; i < 40; ++i) fortyLines += i ? "\nx" : "x";
  const Case cases[] = {
      // 75 + 24 = 99 wide; the one button at (99 - 75) / 2 = 12.
      {"OK", "Hi", "Error", MB_OK | MB_ICONERROR, true, 99, 72, {IDOK}, 12},
      {"OK and Cancel", "Hi", "", MB_OKCANCEL, true, 180, 72, {IDOK, IDCANCEL}, 12},
      // A 360-pixel caption needs 366: the buttons at (366 - 156) / 2 = 105.
      {"the caption widens the box", "Hi", std::string(60, 'c'), MB_YESNO, true, 366, 72, {IDYES, IDNO}, 105},
      {"a caption the box does not draw", "Hi", std::string(60, 'c'), MB_YESNO, false, 180, 72, {IDYES, IDNO}, 12},
      // 35 characters fill 420 pixels, the 36th wraps: 444 wide; two lines
      // are 26 high, 27 as a multiple of 3: 12 + 27 + 12 + 21 + 12 = 84.
      // The button pair at (444 - 156) / 2 = 144.
      {"wrapped at 420 pixels", kanji36, "", MB_YESNO, true, 444, 84, {IDYES, IDNO}, 144},
      // 30 lines kept: 390 high, 12 + 390 + 12 + 21 + 12 = 447; with the
      // frame and caption 447 + 6 + 19 = 472 still fits the 480-pixel frame.
      {"at most 30 lines", fortyLines, "", MB_OK, true, 99, 447, {IDOK}, 12},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const sDlgTemplate tpl = MakeMessageBoxTemplate(c.text, c.caption, c.type, c.drawCaption);
    EXPECT_EQ(DluToPixelsX(tpl.cx), c.clientW);
    EXPECT_EQ(DluToPixelsY(tpl.cy), c.clientH);
    EXPECT_EQ(tpl.caption, c.drawCaption);
    std::vector<int> ids;
    for (const sDlgItemTemplate& t : tpl.items)
      if (t.kind == eDlgItemKind::Button || t.kind == eDlgItemKind::DefButton) ids.push_back(t.id);
    EXPECT_EQ(ids, c.ids);
    const sDlgItemTemplate* first = FindItem(tpl, c.ids.front());
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->kind, eDlgItemKind::DefButton);
    EXPECT_EQ(PixelsOf(*first).l, c.firstButtonX);
    EXPECT_EQ(PixelsOf(*first).b, c.clientH - 12);
  }
}

// ---------------------------------------------------------------- running

// The box in a window of its own on the dummy driver, with input posted to
// that window as the window pump posts it. A box still open after 10 seconds
// is closed, so that a fault cannot hang the test.
class BoxRunFixture : public BoxFixture {
 protected:
  void SetUp() override {
    BoxFixture::SetUp();
    ASSERT_TRUE(InitWindowSystem()) << GetWindowError();
    ResetKeyboardState();
  }
  void TearDown() override {
    SetDialogOpenedHook({});
    ShutdownWindowSystem();
    BoxFixture::TearDown();
  }

  struct Input {
    enum Kind { Key, Click, Close } kind;
    int value;  // the key, or the click's x in window pixels
    int y = 0;
  };

  int Run(const std::string& text, unsigned type, const std::vector<Input>& script) {
    std::atomic<HWND> box{nullptr};
    SetDialogOpenedHook([&](HWND dlg) {
      openedWindow = GetMainWindow();
      box = openedWindow;
      if (cDlgWindow* w = cDlgWindow::Find(dlg)) origin = w->ClientOrigin();
      RECT r{};
      if (GetWindowRect(openedWindow, r)) {
        const RECT in = GetFrameInsets(static_cast<uint32_t>(GetWindowLong(openedWindow, GWL_STYLE)), false);
        windowW = r.right - r.left - in.left - in.right;
        windowH = r.bottom - r.top - in.top - in.bottom;
      }
      if (onOpened) onOpened();
      for (const Input& in : script) {
        switch (in.kind) {
          case Input::Key:
            PostMessage(openedWindow, WM_KEYDOWN, static_cast<WPARAM>(in.value), 1);
            PostMessage(openedWindow, WM_KEYUP, static_cast<WPARAM>(in.value), static_cast<LPARAM>(0xC0000001u));
            break;
          case Input::Click: {
            const LPARAM l = static_cast<LPARAM>((static_cast<uint32_t>(in.y) << 16) | static_cast<uint32_t>(in.value));
            PostMessage(openedWindow, WM_LBUTTONDOWN, MK_LBUTTON, l);
            PostMessage(openedWindow, WM_LBUTTONUP, 0, l);
            break;
          }
          case Input::Close: PostMessage(openedWindow, WM_CLOSE, 0, 0); break;
        }
      }
    });
    std::atomic<bool> done{false};
    std::thread watchdog([&] {
      const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
      while (!done && std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
      if (!done) {
        timedOut = true;
        PostMessage(box.load(), WM_CLOSE, 0, 0);
      }
    });
    const int answer = RunDialogMessageBox(text, "Q", type);
    done = true;
    watchdog.join();
    SetDialogOpenedHook({});
    return answer;
  }

  HWND openedWindow = nullptr;
  POINT origin{-1, -1};
  int windowW = 0, windowH = 0;
  bool timedOut = false;
  std::function<void()> onOpened;
};

using BoxRun = BoxRunFixture;

TEST_F(BoxRun, KeysClicksAndClosingAnswerThatButton) {
  // "Restart?" in a window of its own: no caption bar is drawn (the window's
  // title is the caption), so the client starts 3 pixels in, and the window
  // shows the frame's corner. Yes (12,39)-(87,60) and No (93,39)-(168,60) of
  // the client have their centres at (52, 52) and (133, 52) of the window.
  using I = Input;
  struct Case {
    const char* name;
    unsigned type;
    std::vector<Input> script;
    int answer;
  };
  const Case cases[] = {
      {"Return: Yes", MB_YESNO, {{I::Key, VK_RETURN}}, IDYES},
      {"Y: Yes", MB_YESNO, {{I::Key, 'Y'}}, IDYES},
      {"N: No", MB_YESNO, {{I::Key, 'N'}}, IDNO},
      {"Esc: No", MB_YESNO, {{I::Key, VK_ESCAPE}}, IDNO},
      {"closing the window: No", MB_YESNO, {{I::Close, 0}}, IDNO},
      {"Tab to No, then Return", MB_YESNO, {{I::Key, VK_TAB}, {I::Key, VK_RETURN}}, IDNO},
      {"Tab to No, then Space", MB_YESNO, {{I::Key, VK_TAB}, {I::Key, VK_SPACE}}, IDNO},
      {"a click on No", MB_YESNO, {{I::Click, 133, 52}}, IDNO},
      {"a click on Yes", MB_YESNO, {{I::Click, 52, 52}}, IDYES},
      {"a click beside the buttons, then Esc", MB_YESNO, {{I::Click, 90, 52}, {I::Key, VK_ESCAPE}}, IDNO},
      {"OK/Cancel, Return: OK", MB_OKCANCEL, {{I::Key, VK_RETURN}}, IDOK},
      {"OK/Cancel, Esc: Cancel", MB_OKCANCEL, {{I::Key, VK_ESCAPE}}, IDCANCEL},
      {"OK/Cancel, Y is no answer", MB_OKCANCEL, {{I::Key, 'Y'}, {I::Close, 0}}, IDCANCEL},
      {"OK, Esc: OK", MB_OK, {{I::Key, VK_ESCAPE}}, IDOK},
      {"OK, closing: OK", MB_OK, {{I::Close, 0}}, IDOK},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    timedOut = false;
    EXPECT_EQ(Run("Restart?", c.type, c.script), c.answer);
    EXPECT_FALSE(timedOut) << "the box did not end by itself";
    EXPECT_NE(openedWindow, nullptr);
    EXPECT_EQ(GetMainWindow(), nullptr) << "the box's own window outlived it";
  }
}

TEST_F(BoxRun, OwnWindowIsTheBoxsSizeWithTheBoxInItsCorner) {
  // 180 x 72 of client, a 3-pixel frame around it and no caption bar.
  Run("Restart?", MB_YESNO, {{Input::Key, VK_ESCAPE}});
  EXPECT_EQ(windowW, 186);
  EXPECT_EQ(windowH, 78);
  EXPECT_EQ(origin, (POINT{3, 3}));
}

TEST_F(BoxRun, DrawnInTheMainWindowWhenThereIsOne) {
  const HWND main = CreateMainWindow([](HWND, UINT, WPARAM, LPARAM) -> LRESULT { return 0; }, "", WS_POPUP | WS_CAPTION,
                                     100, 100, 646, 505);
  ASSERT_NE(main, nullptr) << GetWindowError();
  EXPECT_EQ(Run("Restart?", MB_YESNO, {{Input::Key, 'N'}}), IDNO);
  EXPECT_EQ(openedWindow, main);
  // Centred on the 640x480 frame with its caption bar: 186 x 97 outer, at
  // ((640 - 186) / 2, (480 - 97) / 2) = (227, 191); the client 3 and 3 + 19 in.
  EXPECT_EQ(origin, (POINT{230, 213}));
  EXPECT_EQ(GetMainWindow(), main) << "the main window is the program's, not the box's";
  DestroyWindow(main);
}

TEST_F(BoxRun, NoSecondBoxWhileADialogIsOpen) {
  int nested = -1;
  onOpened = [&] { nested = RunDialogMessageBox("again", "Q", MB_YESNO); };
  EXPECT_EQ(Run("Restart?", MB_YESNO, {{Input::Key, VK_ESCAPE}}), IDNO);
  EXPECT_EQ(nested, 0) << "a box inside a running dialog cannot be shown";
}

}  // namespace
