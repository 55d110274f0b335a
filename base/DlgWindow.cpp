#include "base/DlgWindow.h"

#include <algorithm>
#include <map>

#include "base/Dlg.h"
#include "base/DlgRender.h"
#include "base/Log.h"
#include "platform/Clock.h"
#include "platform/CodePage.h"
#include "platform/FrameMailbox.h"
#include "platform/Keyboard.h"
#include "platform/TextInput.h"

using namespace platform;
using namespace dlgmsg;

namespace {

std::map<HWND, cDlgWindow*> g_windows;  // window thread only
cDlgWindow* g_active = nullptr;
std::function<void(HWND)> g_openedHook;
std::map<int, sDlgTemplate>& Templates() {
  static std::map<int, sDlgTemplate> t;
  return t;
}

constexpr uint32_t kDoubleClickMs = 500;

// The character boundary at or before pos.
int Boundary(const std::string& s, int pos) {
  if (pos <= 0) return 0;
  if (pos >= static_cast<int>(s.size())) return static_cast<int>(s.size());
  size_t p = 0;
  while (p < s.size()) {
    const size_t next = p + static_cast<size_t>(Cp932CharSize(s, p));
    if (static_cast<int>(next) > pos) break;
    p = next;
  }
  return static_cast<int>(p);
}

int PrevBoundary(const std::string& s, int pos) { return pos <= 0 ? 0 : Boundary(s, pos - 1); }

int NextBoundary(const std::string& s, int pos) {
  if (pos >= static_cast<int>(s.size())) return static_cast<int>(s.size());
  return pos + Cp932CharSize(s, static_cast<size_t>(pos));
}

bool IsRadio(const cDlgItem* item) { return item && item->Kind() == eDlgItemKind::Radio; }

bool IsKeyboardMessage(UINT m) {
  return m == WM_KEYDOWN || m == WM_KEYUP || m == WM_SYSKEYDOWN || m == WM_SYSKEYUP || m == WM_CHAR;
}

bool IsMouseMessage(UINT m) {
  return m == WM_MOUSEMOVE || m == WM_LBUTTONDOWN || m == WM_LBUTTONUP || m == WM_LBUTTONDBLCLK ||
         m == WM_RBUTTONDOWN || m == WM_RBUTTONUP || m == WM_RBUTTONDBLCLK || m == WM_MBUTTONDOWN ||
         m == WM_MBUTTONUP;
}

// Client pixels of the main window to frame pixels (the frame may be scaled
// and letterboxed in the window or on the full screen).
POINT ClientToFrame(int x, int y) {
  RECT client;
  HWND main = GetMainWindow();
  if (!main || !GetClientRect(main, client) || client.right <= 0 || client.bottom <= 0) return {x, y};
  const PresentRect r = ComputePresentRect(client.right, client.bottom);
  if (r.w <= 0 || r.h <= 0) return {x, y};
  return {(x - r.x) * kFrameWidth / r.w, (y - r.y) * kFrameHeight / r.h};
}

}  // namespace

// ---------------------------------------------------------------- templates

void RegisterDialogTemplate(int id, const sDlgTemplate& tpl) { Templates()[id] = tpl; }

const sDlgTemplate* FindDialogTemplate(int id) {
  auto it = Templates().find(id);
  return it == Templates().end() ? nullptr : &it->second;
}

// ---------------------------------------------------------------- items

cDlgItem::cDlgItem(cDlgWindow* window, const sDlgItemTemplate& tpl)
    : m_lpWindow(window), m_nID(tpl.id), m_Kind(tpl.kind), m_strText(tpl.text), m_bVisible(!tpl.hidden),
      m_bTabStop(tpl.tabStop) {
  const int x = DluToPixelsX(tpl.x), y = DluToPixelsY(tpl.y);
  m_rc = {x, y, x + DluToPixelsX(tpl.cx), y + DluToPixelsY(tpl.cy)};
}

bool cDlgItem::IsButtonLike() const {
  return m_Kind == eDlgItemKind::Button || m_Kind == eDlgItemKind::DefButton || m_Kind == eDlgItemKind::CheckBox ||
         m_Kind == eDlgItemKind::Radio;
}

void cDlgItem::Notify(int code) {
  if (m_lpWindow && m_lpWindow->m_hWnd)
    SendMessage(m_lpWindow->m_hWnd, WM_COMMAND, MakeWParam(m_nID, code), 0);
}

void cDlgItem::SetText(const std::string& cp932) {
  m_strText = cp932;
  m_nSelStart = m_nSelEnd = 0;
  m_nScroll = 0;
  if (m_lpWindow) m_lpWindow->Invalidate();
  if (m_Kind == eDlgItemKind::Edit) Notify(EN_UPDATE);
}

void cDlgItem::SetSel(int start, int end) {
  const int len = static_cast<int>(m_strText.size());
  if (start < 0) {  // (-1, ...) removes the selection
    m_nSelStart = m_nSelEnd;
  } else {
    if (end < 0 || end > len) end = len;
    m_nSelStart = Boundary(m_strText, std::min(start, len));
    m_nSelEnd = Boundary(m_strText, end);
  }
  MakeSelVisible();
  if (m_lpWindow) m_lpWindow->Invalidate();
}

void cDlgItem::GetSel(int& start, int& end) const {
  start = std::min(m_nSelStart, m_nSelEnd);
  end = std::max(m_nSelStart, m_nSelEnd);
}

void cDlgItem::SetCheck(int check) {
  m_nCheck = check;
  if (m_lpWindow) m_lpWindow->Invalidate();
}

void cDlgItem::Enable(bool on) {
  m_bEnabled = on;
  if (!on && m_lpWindow && m_lpWindow->m_lpFocus == this) m_lpWindow->m_lpFocus = nullptr;
  if (m_lpWindow) m_lpWindow->Invalidate();
}

void cDlgItem::Show(bool on) {
  m_bVisible = on;
  if (!on && m_lpWindow && m_lpWindow->m_lpFocus == this) m_lpWindow->m_lpFocus = nullptr;
  if (m_lpWindow) m_lpWindow->Invalidate();
}

void cDlgItem::ReplaceSel(const std::string& cp932) {
  int a, b;
  GetSel(a, b);
  m_strText.replace(static_cast<size_t>(a), static_cast<size_t>(b - a), cp932);
  m_nSelStart = m_nSelEnd = a + static_cast<int>(cp932.size());
  MakeSelVisible();
  if (m_lpWindow) m_lpWindow->Invalidate();
  Notify(EN_UPDATE);
}

void cDlgItem::MakeSelVisible() {
  if (m_Kind != eDlgItemKind::Edit) return;
  const int width = (m_rc.right - m_rc.left) - 6;
  m_nScroll = std::min(m_nScroll, m_nSelEnd);
  m_nScroll = Boundary(m_strText, m_nScroll);
  while (m_nScroll < m_nSelEnd &&
         DlgTextWidth(m_strText.substr(static_cast<size_t>(m_nScroll),
                                       static_cast<size_t>(m_nSelEnd - m_nScroll))) > width)
    m_nScroll = NextBoundary(m_strText, m_nScroll);
}

void cDlgItem::SetEntries(std::vector<std::string> entries) {
  m_Entries = std::move(entries);
  m_nCurSel = m_Entries.empty() ? -1 : std::clamp(m_nCurSel, -1, static_cast<int>(m_Entries.size()) - 1);
  m_nTop = 0;
  SetCurSel(m_nCurSel);
}

int cDlgItem::VisibleRows() const { return std::max(1, (m_rc.bottom - m_rc.top - 4) / DlgListRowHeight()); }

void cDlgItem::SetCurSel(int index) {
  const int n = static_cast<int>(m_Entries.size());
  m_nCurSel = (index < 0 || n == 0) ? -1 : std::min(index, n - 1);
  if (m_nCurSel >= 0) {
    const int rows = VisibleRows();
    if (m_nCurSel < m_nTop) m_nTop = m_nCurSel;
    if (m_nCurSel >= m_nTop + rows) m_nTop = m_nCurSel - rows + 1;
  }
  m_nTop = std::clamp(m_nTop, 0, std::max(0, n - VisibleRows()));
  if (m_lpWindow) m_lpWindow->Invalidate();
}

// ---------------------------------------------------------------- window

cDlgWindow* cDlgWindow::Find(HWND hwnd) {
  auto it = g_windows.find(hwnd);
  return it == g_windows.end() ? nullptr : it->second;
}

cDlgWindow* cDlgWindow::Active() { return g_active; }

cDlgWindow::cDlgWindow(const sDlgTemplate& tpl, HWND owner)
    : m_hOwner(owner), m_strTitle(tpl.title), m_bCaption(tpl.caption) {
  m_nClientW = DluToPixelsX(tpl.cx);
  m_nClientH = DluToPixelsY(tpl.cy);
  for (const sDlgItemTemplate& t : tpl.items) m_Items.push_back(std::make_unique<cDlgItem>(this, t));
  MoveTo((kFrameWidth - OuterWidth()) / 2, (kFrameHeight - OuterHeight()) / 2);
}

cDlgWindow::~cDlgWindow() = default;

cDlgItem* cDlgWindow::Item(int id) const {
  for (const auto& item : m_Items)
    if (item->m_nID == id) return item.get();
  return nullptr;
}

void cDlgWindow::SetTitle(const std::string& cp932) {
  m_strTitle = cp932;
  Invalidate();
}

int cDlgWindow::OuterWidth() const { return m_nClientW + 2 * kDlgFrame; }
int cDlgWindow::OuterHeight() const { return m_nClientH + 2 * kDlgFrame + (m_bCaption ? kDlgCaption : 0); }

void cDlgWindow::MoveTo(int frameX, int frameY) {
  // The whole dialog stays on the frame when it fits.
  m_nX = std::clamp(frameX, 0, std::max(0, kFrameWidth - OuterWidth()));
  m_nY = std::clamp(frameY, 0, std::max(0, kFrameHeight - OuterHeight()));
  Invalidate();
}

POINT cDlgWindow::ClientOrigin() const {
  return {m_nX + kDlgFrame, m_nY + kDlgFrame + (m_bCaption ? kDlgCaption : 0)};
}

void cDlgWindow::SetFocus(cDlgItem* item) {
  if (item && (!item->m_bEnabled || !item->m_bVisible)) return;
  cDlgItem* old = m_lpFocus;
  if (old == item) return;
  m_lpFocus = item;
  Invalidate();
  if (old && old->m_Kind == eDlgItemKind::Edit) old->Notify(EN_KILLFOCUS);
  if (item && item->m_Kind == eDlgItemKind::Edit) {
    const POINT o = ClientOrigin();
    SetTextInputRect(o.x + item->m_rc.left, o.y + item->m_rc.top, item->m_rc.right - item->m_rc.left,
                     item->m_rc.bottom - item->m_rc.top);
  }
}

int cDlgWindow::DefaultID() const {
  for (const auto& item : m_Items)
    if (item->m_Kind == eDlgItemKind::DefButton && item->m_bVisible) return item->m_nID;
  return 1;  // IDOK
}

void cDlgWindow::End(intptr_t result) {
  if (m_bEnded) return;
  m_bEnded = true;
  m_nResult = result;
}

cDlgItem* cDlgWindow::NextTabStop(cDlgItem* from, bool backwards) const {
  const int n = static_cast<int>(m_Items.size());
  if (n == 0) return nullptr;
  int start = -1;
  for (int i = 0; i < n; ++i)
    if (m_Items[static_cast<size_t>(i)].get() == from) start = i;
  for (int step = 1; step <= n; ++step) {
    int i = start < 0 ? (backwards ? n - step : step - 1) : (start + (backwards ? -step : step) + n * 2) % n;
    cDlgItem* c = m_Items[static_cast<size_t>(i)].get();
    if (!c->m_bTabStop || !c->m_bEnabled || !c->m_bVisible) continue;
    // A radio group is one stop: its checked button (or its first).
    if (IsRadio(c) && !c->m_nCheck) {
      bool otherChecked = false;
      for (int j = i - 1; j >= 0 && IsRadio(m_Items[static_cast<size_t>(j)].get()); --j)
        otherChecked |= m_Items[static_cast<size_t>(j)]->m_nCheck != 0;
      for (int j = i + 1; j < n && IsRadio(m_Items[static_cast<size_t>(j)].get()); ++j)
        otherChecked |= m_Items[static_cast<size_t>(j)]->m_nCheck != 0;
      const bool first = i == 0 || !IsRadio(m_Items[static_cast<size_t>(i - 1)].get());
      if (otherChecked || !first) continue;
    }
    return c;
  }
  return nullptr;
}

void cDlgWindow::CheckRadio(cDlgItem* item) {
  auto it = std::find_if(m_Items.begin(), m_Items.end(), [&](const auto& p) { return p.get() == item; });
  if (it == m_Items.end()) return;
  auto first = it, last = it;
  while (first != m_Items.begin() && IsRadio((first - 1)->get())) --first;
  while (last + 1 != m_Items.end() && IsRadio((last + 1)->get())) ++last;
  for (auto i = first; i <= last; ++i) (*i)->SetCheck(i == it ? 1 : 0);
}

void cDlgWindow::Click(cDlgItem* item) {
  if (!item || !item->m_bEnabled || !item->m_bVisible) return;
  switch (item->m_Kind) {
    case eDlgItemKind::CheckBox: item->SetCheck(item->m_nCheck ? 0 : 1); break;
    case eDlgItemKind::Radio: CheckRadio(item); break;
    case eDlgItemKind::Button:
    case eDlgItemKind::DefButton: break;
    default: return;
  }
  item->Notify(BN_CLICKED);
}

bool cDlgWindow::RadioKey(cDlgItem* radio, int vk) {
  if (vk != VK_LEFT && vk != VK_RIGHT && vk != VK_UP && vk != VK_DOWN) return false;
  const bool back = vk == VK_LEFT || vk == VK_UP;
  auto it = std::find_if(m_Items.begin(), m_Items.end(), [&](const auto& p) { return p.get() == radio; });
  std::vector<cDlgItem*> group;
  auto first = it;
  while (first != m_Items.begin() && IsRadio((first - 1)->get())) --first;
  for (auto i = first; i != m_Items.end() && IsRadio(i->get()); ++i)
    if ((*i)->m_bEnabled && (*i)->m_bVisible) group.push_back(i->get());
  auto pos = std::find(group.begin(), group.end(), radio);
  if (group.size() < 2 || pos == group.end()) return true;
  const size_t k = static_cast<size_t>(pos - group.begin());
  cDlgItem* next = group[(k + (back ? group.size() - 1 : 1)) % group.size()];
  SetFocus(next);
  Click(next);
  return true;
}

bool cDlgWindow::EditKey(cDlgItem* e, int vk) {
  const std::string& t = e->m_strText;
  const bool shift = IsKeyDown(VK_SHIFT) || IsKeyDown(VK_LSHIFT) || IsKeyDown(VK_RSHIFT);
  const bool ctrl = IsKeyDown(VK_CONTROL) || IsKeyDown(VK_LCONTROL) || IsKeyDown(VK_RCONTROL);
  auto moveCaret = [&](int to) {
    e->m_nSelEnd = to;
    if (!shift) e->m_nSelStart = to;
    e->MakeSelVisible();
    Invalidate();
  };
  int a, b;
  e->GetSel(a, b);
  switch (vk) {
    case VK_LEFT: moveCaret(!shift && a != b ? a : PrevBoundary(t, e->m_nSelEnd)); return true;
    case VK_RIGHT: moveCaret(!shift && a != b ? b : NextBoundary(t, e->m_nSelEnd)); return true;
    case VK_HOME: moveCaret(0); return true;
    case VK_END: moveCaret(static_cast<int>(t.size())); return true;
    case VK_BACK:
      if (a == b) {
        if (a == 0) return true;
        e->m_nSelStart = PrevBoundary(t, a);
        e->m_nSelEnd = a;
      }
      e->ReplaceSel("");
      return true;
    case VK_DELETE:
      if (a == b) {
        if (b >= static_cast<int>(t.size())) return true;
        e->m_nSelStart = a;
        e->m_nSelEnd = NextBoundary(t, a);
      }
      e->ReplaceSel("");
      return true;
    case 'V':
      if (!ctrl) return false;
      TextCommit(GetClipboardUtf8());
      return true;
    default:
      return false;
  }
}

bool cDlgWindow::ListKey(cDlgItem* list, int vk) {
  const int n = static_cast<int>(list->m_Entries.size());
  if (n == 0) return false;
  int sel = list->m_nCurSel;
  const int rows = list->VisibleRows();
  switch (vk) {
    case VK_UP: sel = sel < 0 ? 0 : sel - 1; break;
    case VK_DOWN: sel = sel < 0 ? 0 : sel + 1; break;
    case VK_PRIOR: sel = sel < 0 ? 0 : sel - (rows - 1); break;
    case VK_NEXT: sel = sel < 0 ? 0 : sel + (rows - 1); break;
    case VK_HOME: sel = 0; break;
    case VK_END: sel = n - 1; break;
    default: return false;
  }
  sel = std::clamp(sel, 0, n - 1);
  if (sel != list->m_nCurSel) {
    list->SetCurSel(sel);
    list->Notify(1);  // LBN_SELCHANGE
  }
  return true;
}

void cDlgWindow::KeyDown(int vk) {
  if (m_bEnded) return;
  // While a composition is open the input method has the keys; Enter above
  // all confirms the composition, not the dialog.
  if (IsComposing()) return;
  const bool shift = IsKeyDown(VK_SHIFT) || IsKeyDown(VK_LSHIFT) || IsKeyDown(VK_RSHIFT);
  switch (vk) {
    case VK_TAB:
      if (cDlgItem* next = NextTabStop(m_lpFocus, shift)) {
        SetFocus(next);
        if (next->m_Kind == eDlgItemKind::Edit) next->SetSel(0, -1);
      }
      return;
    case VK_RETURN: {
      int id = DefaultID();
      if (m_lpFocus && (m_lpFocus->m_Kind == eDlgItemKind::Button || m_lpFocus->m_Kind == eDlgItemKind::DefButton))
        id = m_lpFocus->m_nID;
      cDlgItem* button = Item(id);
      if (button && (!button->m_bEnabled || !button->m_bVisible)) return;
      SendMessage(m_hWnd, WM_COMMAND, MakeWParam(id, BN_CLICKED), 0);
      return;
    }
    case VK_ESCAPE:
      SendMessage(m_hWnd, WM_CLOSE, 0, 0);
      return;
    default:
      break;
  }
  cDlgItem* f = m_lpFocus;
  if (!f || !f->m_bEnabled) return;
  switch (f->m_Kind) {
    case eDlgItemKind::Edit: EditKey(f, vk); break;
    case eDlgItemKind::ListBox: ListKey(f, vk); break;
    case eDlgItemKind::Radio:
      if (!RadioKey(f, vk) && vk == VK_SPACE) Click(f);
      break;
    case eDlgItemKind::Button:
    case eDlgItemKind::DefButton:
    case eDlgItemKind::CheckBox:
      if (vk == VK_SPACE) Click(f);
      break;
    default: break;
  }
}

void cDlgWindow::TextCommit(const std::string& utf8) {
  if (m_bEnded) return;
  m_strComposition.clear();
  Invalidate();
  cDlgItem* f = m_lpFocus;
  if (!f || f->m_Kind != eDlgItemKind::Edit || !f->m_bEnabled || utf8.empty()) return;
  bool ok = true;
  std::string text = Utf8ToCp932(utf8, &ok);
  // A character code page 932 cannot hold would be lost in every file: refuse the input.
  if (!ok) return;
  // One line: a pasted text ends at its first line break; other control characters go.
  const size_t cut = text.find_first_of("\r\n");
  if (cut != std::string::npos) text.resize(cut);
  std::string clean;
  for (size_t i = 0; i < text.size();) {
    const int n = Cp932CharSize(text, i);
    if (n == 2 || static_cast<unsigned char>(text[i]) >= 0x20) clean.append(text, i, static_cast<size_t>(n));
    i += static_cast<size_t>(n);
  }
  if (!clean.empty()) f->ReplaceSel(clean);
}

void cDlgWindow::TextComposition(const std::string& utf8, int cursor) {
  m_strComposition = utf8.empty() ? std::string() : Utf8ToCp932(utf8);
  m_nCompCursor = std::max(0, cursor);
  Invalidate();
}

cDlgItem* cDlgWindow::HitTest(int x, int y) const {
  const POINT o = ClientOrigin();
  const int cx = x - o.x, cy = y - o.y;
  for (auto it = m_Items.rbegin(); it != m_Items.rend(); ++it) {
    cDlgItem* c = it->get();
    if (!c->m_bVisible || !c->m_bEnabled) continue;
    if (c->m_Kind == eDlgItemKind::Static || c->m_Kind == eDlgItemKind::GroupBox || c->m_Kind == eDlgItemKind::Picture)
      continue;
    if (cx >= c->m_rc.left && cx < c->m_rc.right && cy >= c->m_rc.top && cy < c->m_rc.bottom) return c;
  }
  return nullptr;
}

void cDlgWindow::MouseDown(int x, int y) {
  if (m_bEnded) return;
  cDlgItem* c = HitTest(x, y);
  if (!c) return;
  SetFocus(c);
  const POINT o = ClientOrigin();
  if (c->m_Kind == eDlgItemKind::Edit) {
    // The caret goes to the character boundary nearest to the click.
    const int want = x - o.x - c->m_rc.left - 3;
    int pos = c->m_nScroll;
    while (pos < static_cast<int>(c->m_strText.size())) {
      const int next = NextBoundary(c->m_strText, pos);
      const int wNext = DlgTextWidth(c->m_strText.substr(static_cast<size_t>(c->m_nScroll),
                                                         static_cast<size_t>(next - c->m_nScroll)));
      const int wHere = DlgTextWidth(c->m_strText.substr(static_cast<size_t>(c->m_nScroll),
                                                         static_cast<size_t>(pos - c->m_nScroll)));
      if (want < (wHere + wNext) / 2) break;
      pos = next;
    }
    c->m_nSelStart = c->m_nSelEnd = pos;
    Invalidate();
  } else if (c->m_Kind == eDlgItemKind::ListBox) {
    const int row = (y - o.y - c->m_rc.top - 2) / DlgListRowHeight();
    const int index = c->m_nTop + row;
    if (index < 0 || index >= static_cast<int>(c->m_Entries.size())) return;
    const uint32_t now = GetTickCount32();
    const bool twice = index == m_nLastClickIndex && now - m_nLastClickTime < kDoubleClickMs;
    m_nLastClickIndex = twice ? -1 : index;
    m_nLastClickTime = now;
    if (index != c->m_nCurSel) {
      c->SetCurSel(index);
      c->Notify(1);  // LBN_SELCHANGE
    }
    if (twice) c->Notify(LBN_DBLCLK);
  } else if (c->IsButtonLike()) {
    m_lpPressed = c;
    c->m_bPressed = true;
    Invalidate();
  }
}

void cDlgWindow::MouseUp(int x, int y) {
  cDlgItem* pressed = m_lpPressed;
  m_lpPressed = nullptr;
  if (!pressed) return;
  pressed->m_bPressed = false;
  Invalidate();
  if (HitTest(x, y) == pressed) Click(pressed);
}

void cDlgWindow::Render() {
  if (!m_bDirty) return;
  m_bDirty = false;
  std::vector<uint32_t> frame;
  RenderDialogFrame(*this, m_Backdrop, frame);
  MainFrameMailbox().Post(frame.data(), kFrameWidth * 4);
}

void cDlgWindow::RouteMessage(const MSG& m) {
  // Left over for a window that is gone (such as the copies of the key that
  // ended an earlier dialog): nobody's input any more.
  if (m.hwnd && !IsMessageWindow(m.hwnd)) return;
  if (m.hwnd == m_hWnd || (!IsKeyboardMessage(m.message) && !IsMouseMessage(m.message) && m.message != WM_CLOSE &&
                           m.message != WM_TEXT_COMMIT && m.message != WM_TEXT_COMPOSITION)) {
    if (m.message == WM_PAINT) Invalidate();
    DispatchMessage(&m);
    return;
  }
  switch (m.message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_KEYUP:
    case WM_SYSKEYUP: {
      const bool down = m.message == WM_KEYDOWN || m.message == WM_SYSKEYDOWN;
      LPARAM l = m.lParam;
      if (!down) l |= LPARAM{1} << 31;
      // The hook copies the key to the dialog first; then the key goes on to
      // the dialog manager and the focused control.
      cHook::HookProc(0, m.wParam, l);
      if (down) KeyDown(static_cast<int>(m.wParam));
      return;
    }
    case WM_TEXT_COMMIT:
    case WM_TEXT_COMPOSITION: {
      TextInputEntry e;
      if (!TakeTextInput(m.wParam, e)) return;
      if (m.message == WM_TEXT_COMMIT) TextCommit(e.utf8);
      else TextComposition(e.utf8, e.cursor);
      return;
    }
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP: {
      const POINT p = ClientToFrame(static_cast<int16_t>(m.lParam & 0xFFFF), static_cast<int16_t>((m.lParam >> 16) & 0xFFFF));
      if (m.message == WM_LBUTTONDOWN) MouseDown(p.x, p.y);
      else MouseUp(p.x, p.y);
      return;
    }
    case WM_CLOSE:
      // The window's close button closes the dialog; the program stays. A
      // signal's close request ends the dialog and then the program.
      if (m.hwnd == m_hOwner || m.hwnd == GetMainWindow()) {
        if (m.wParam == kCloseBySignal) m_hCloseAfter = m.hwnd;
        SendMessage(m_hWnd, WM_CLOSE, 0, 0);
        // A procedure that keeps its dialog open on WM_CLOSE still gives way.
        if (m_hCloseAfter && !m_bEnded) End(0);
      } else {
        DispatchMessage(&m);
      }
      return;
    default:
      return;  // other mouse and key messages belong to the dialog now
  }
}

// ---------------------------------------------------------------- modal run

intptr_t RunDialogBox(const sDlgTemplate& tpl, HWND owner, WNDPROC proc, LPARAM param) {
  if (g_active) {
    WriteLog("%s", "Dialog : another dialog is open");
    return -1;
  }
  auto window = std::unique_ptr<cDlgWindow>(new cDlgWindow(tpl, owner));
  cDlgWindow* w = window.get();
  w->m_hWnd = CreateMessageWindow(proc);
  g_windows[w->m_hWnd] = w;
  g_active = w;
  CopyShownFrame(w->m_Backdrop);
  EnableTextInput(true);
  // The dialog is drawn in the main window, which start-up keeps hidden
  // until late: it must be on screen and take the keys while the dialog runs.
  const bool revealed = RevealMainWindowForModal();

  if (SendMessage(w->m_hWnd, WM_INITDIALOG, 0, param) != 0 && !w->m_lpFocus)
    w->SetFocus(w->NextTabStop(nullptr, false));
  w->Render();
  if (g_openedHook) g_openedHook(w->m_hWnd);

  bool quit = false;
  WPARAM quitCode = 0;
  while (!w->m_bEnded) {
    MSG m;
    while (!w->m_bEnded && PeekWindowMessage(&m)) {
      if (m.message == WM_QUIT) {
        quit = true;
        quitCode = m.wParam;
        w->End(0);
        break;
      }
      w->RouteMessage(m);
    }
    if (w->m_bEnded) break;
    w->Render();
    WaitWindowMessage(100);
  }

  SendMessage(w->m_hWnd, WM_DESTROY, 0, 0);
  DestroyMessageWindow(w->m_hWnd);
  g_windows.erase(w->m_hWnd);
  g_active = nullptr;
  EnableTextInput(false);
  if (revealed) ShowWindow(GetMainWindow(), SW_HIDE);
  // Keys still queued were typed into the dialog: none reaches the program.
  // The keys still down (the one that ended the dialog) keep their repeats
  // and releases from it.
  DropQueuedKeys();
  if (!w->m_Backdrop.empty()) MainFrameMailbox().Post(w->m_Backdrop.data(), kFrameWidth * 4);
  if (w->m_hCloseAfter) PostMessage(w->m_hCloseAfter, WM_CLOSE, kCloseBySignal, 0);
  if (quit) PostQuitMessage(static_cast<int>(quitCode));
  return w->m_nResult;
}

cDlgItem* GetDlgItem(HWND dlg, int id) {
  cDlgWindow* w = cDlgWindow::Find(dlg);
  return w ? w->Item(id) : nullptr;
}

bool EndDialog(HWND dlg, intptr_t result) {
  cDlgWindow* w = cDlgWindow::Find(dlg);
  if (!w) return false;
  w->End(result);
  return true;
}

std::string CutCp932(const std::string& text, size_t maxBytes) {
  if (text.size() <= maxBytes) return text;
  size_t p = 0;
  while (p < text.size()) {
    const size_t next = p + static_cast<size_t>(Cp932CharSize(text, p));
    if (next > maxBytes) break;
    p = next;
  }
  return text.substr(0, p);
}

bool SetDlgItemText(HWND dlg, int id, const std::string& cp932) {
  cDlgItem* item = GetDlgItem(dlg, id);
  if (!item) return false;
  item->SetText(cp932);
  return true;
}

std::string GetDlgItemText(HWND dlg, int id, int maxCount) {
  cDlgItem* item = GetDlgItem(dlg, id);
  if (!item || maxCount <= 0) return {};
  return CutCp932(item->Text(), static_cast<size_t>(maxCount - 1));
}

void GetDlgItemString(HWND dlg, int id, std::string& out, int maxChars) {
  out = GetDlgItemText(dlg, id, std::min(maxChars, 5120));
}

void SetDlgItemString(HWND dlg, int id, const std::string& s) { SetDlgItemText(dlg, id, s); }

void SetDialogOpenedHook(std::function<void(HWND)> hook) { g_openedHook = std::move(hook); }
