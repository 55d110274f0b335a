#include "base/DlgMessageBox.h"

#include <algorithm>

#include "base/Dlg.h"
#include "base/DlgWindow.h"
#include "base/Log.h"
#include "platform/CodePage.h"
#include "platform/MessageBox.h"
#include "platform/Window.h"

using namespace platform;
using namespace dlgmsg;

namespace {

int Up3(int px) { return (px + 2) / 3 * 3; }
int PxToDlu(int px) { return px * 2 / 3; }  // exact for multiples of 3

void WrapParagraph(const std::string& para, int maxWidth, std::vector<std::string>& out) {
  std::string line;
  int width = 0;
  for (size_t i = 0; i < para.size();) {
    const int n = Cp932CharSize(para, i);
    const std::string ch = para.substr(i, static_cast<size_t>(n));
    i += static_cast<size_t>(n);
    const int w = DlgTextWidth(ch);
    if (line.empty() || width + w <= maxWidth) {
      line += ch;
      width += w;
      continue;
    }
    if (ch == " ") {  // a space at the break is dropped
      out.push_back(line);
      line.clear();
      width = 0;
      continue;
    }
    // Break after the last space of the line when there is one inside it.
    size_t space = std::string::npos;
    for (size_t p = 0; p < line.size(); p += static_cast<size_t>(Cp932CharSize(line, p)))
      if (line[p] == ' ' && p > 0) space = p;
    if (space != std::string::npos) {
      out.push_back(line.substr(0, space));
      line = line.substr(space + 1) + ch;
    } else {
      out.push_back(line);
      line = ch;
    }
    width = DlgTextWidth(line);
  }
  out.push_back(line);
}

sDlgItemTemplate Item(int id, eDlgItemKind kind, const std::string& text, int x, int y, int w, int h, bool tab) {
  sDlgItemTemplate t;
  t.id = id;
  t.kind = kind;
  t.text = text;
  t.x = PxToDlu(x);
  t.y = PxToDlu(y);
  t.cx = PxToDlu(w);
  t.cy = PxToDlu(h);
  t.tabStop = tab;
  return t;
}

struct Button {
  int id;
  const char* label;
};

std::vector<Button> ButtonsOf(unsigned type) {
  switch (type & 0xF) {
    case MB_YESNO: return {{IDYES, "Yes"}, {IDNO, "No"}};
    case MB_OKCANCEL: return {{IDOK, "OK"}, {IDCANCEL, "Cancel"}};
    default: return {{IDOK, "OK"}};
  }
}

// The keyboard hook copies keys to the box window through this binding; its
// window is cleared when the box ends, so no later dialog is served by it.
cHook g_boxHook;

struct BoxRun {
  unsigned type;
  bool ownWindow;
};

LRESULT BoxProc(const BoxRun& run, HWND h, UINT m, WPARAM w, LPARAM) {
  switch (m) {
    case WM_INITDIALOG:
      // In a window of its own the box sits in the frame's corner that the window shows.
      if (cDlgWindow* win = cDlgWindow::Find(h); win && run.ownWindow) win->MoveTo(0, 0);
      g_boxHook.Install(h, 0);
      return 1;  // the focus goes to the first button
    case WM_COMMAND: {
      const int id = LoWord(w);
      for (const Button& b : ButtonsOf(run.type))
        if (b.id == id) EndDialog(h, id);
      return 0;
    }
    case WM_KEYDOWN:
      if ((run.type & 0xF) == MB_YESNO && (w == 'Y' || w == 'N')) EndDialog(h, w == 'Y' ? IDYES : IDNO);
      return 0;
    case WM_CLOSE: EndDialog(h, AnswerThatLosesNothing(run.type)); return 0;
    case WM_DESTROY:
      if (g_boxHook.m_hWnd == h) g_boxHook.m_hWnd = nullptr;
      return 0;
    default: return 0;
  }
}

}  // namespace

std::vector<std::string> WrapBoxText(const std::string& cp932, int maxWidth) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (;;) {
    const size_t end = cp932.find('\n', start);
    std::string para = cp932.substr(start, end == std::string::npos ? std::string::npos : end - start);
    if (!para.empty() && para.back() == '\r') para.pop_back();
    WrapParagraph(para, maxWidth, lines);
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return lines;
}

sDlgTemplate MakeMessageBoxTemplate(const std::string& text, const std::string& caption, unsigned type,
                                    bool drawCaption) {
  std::vector<std::string> lines = WrapBoxText(text, kBoxMaxTextWidth);
  if (lines.size() > static_cast<size_t>(kBoxMaxLines)) lines.resize(static_cast<size_t>(kBoxMaxLines));
  int textW = 0;
  std::string joined;
  for (size_t i = 0; i < lines.size(); ++i) {
    textW = std::max(textW, DlgTextWidth(lines[i]));
    joined += (i ? "\n" : "") + lines[i];
  }
  const std::vector<Button> buttons = ButtonsOf(type);
  const int count = static_cast<int>(buttons.size());
  const int buttonsW = count * kBoxButtonW + (count - 1) * kBoxButtonGap;
  int clientW = std::max(textW, buttonsW) + 2 * kBoxMargin;
  // The caption bar shows its text from 4 pixels in and stops 2 before the edge.
  if (drawCaption) clientW = std::max(clientW, std::min(DlgTextWidth(caption) + 6, kBoxMaxTextWidth + 2 * kBoxMargin));
  clientW = Up3(clientW);
  const int textH = Up3(static_cast<int>(lines.size()) * kBoxLineStep);
  const int buttonY = kBoxMargin + textH + kBoxTextGap;

  sDlgTemplate tpl;
  tpl.title = caption;
  tpl.caption = drawCaption;
  tpl.cx = PxToDlu(clientW);
  tpl.cy = PxToDlu(buttonY + kBoxButtonH + kBoxMargin);
  tpl.items.push_back(
      Item(kBoxTextId, eDlgItemKind::Static, joined, kBoxMargin, kBoxMargin, clientW - 2 * kBoxMargin, textH, false));
  int x = (clientW - buttonsW) / 2 / 3 * 3;
  for (int i = 0; i < count; ++i) {
    const Button& b = buttons[static_cast<size_t>(i)];
    tpl.items.push_back(Item(b.id, i == 0 ? eDlgItemKind::DefButton : eDlgItemKind::Button, b.label, x, buttonY,
                             kBoxButtonW, kBoxButtonH, true));
    x += kBoxButtonW + kBoxButtonGap;
  }
  return tpl;
}

int RunDialogMessageBox(const std::string& text, const std::string& caption, unsigned type) {
  if (cDlgWindow::Active()) return 0;  // one modal dialog at a time
  const bool ownWindow = GetMainWindow() == nullptr;
  const sDlgTemplate tpl = MakeMessageBoxTemplate(text, caption, type, !ownWindow);
  HWND own = nullptr;
  if (ownWindow) {
    const int w = DluToPixelsX(tpl.cx) + 2 * kDlgFrame, h = DluToPixelsY(tpl.cy) + 2 * kDlgFrame;
    own = CreateBoxWindow([](HWND, UINT, WPARAM, LPARAM) -> LRESULT { return 0; }, caption, w, h);
    if (!own) {
      WriteLog("Dialog : no window for the box %s", GetWindowError().c_str());
      return 0;
    }
  }
  const BoxRun run{type, ownWindow};
  const intptr_t result = RunDialogBox(
      tpl, GetMainWindow(), [&run](HWND h, UINT m, WPARAM w, LPARAM l) { return BoxProc(run, h, m, w, l); }, 0);
  if (own) DestroyWindow(own);
  return result > 0 ? static_cast<int>(result) : 0;
}

void InstallDialogMessageBox() { SetOwnBoxHandler(RunDialogMessageBox); }
