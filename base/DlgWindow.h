#pragma once
// The live window of a dialog and its control windows, as the dialog classes
// expect them of the system: item texts, selections, check states, focus,
// the dialog manager's keys (Tab, Enter, Esc, Space, arrows), the edit
// control's typing and the modal loop. A dialog is drawn into the main
// window's frame; there is no second operating-system window.
//
// Everything here runs on the window thread.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/DlgTemplate.h"
#include "platform/Messages.h"
#include "platform/Window.h"

namespace dlgmsg {
using platform::UINT;
constexpr UINT WM_SETREDRAW = 0x000B;
constexpr UINT WM_NOTIFY = 0x004E;
constexpr UINT WM_INITDIALOG = 0x0110;
constexpr UINT WM_HSCROLL = 0x0114;
constexpr UINT WM_VSCROLL = 0x0115;
// Posted by the keyboard hook for the special keys: handled as WM_KEYDOWN.
constexpr UINT WM_HOOKKEY = platform::WM_USER + 1000;

// Notification codes (high word of a WM_COMMAND's wParam).
constexpr int BN_CLICKED = 0;
constexpr int LBN_DBLCLK = 2;
constexpr int EN_KILLFOCUS = 0x0200;
constexpr int EN_UPDATE = 0x0400;

constexpr int SB_LINEUP = 0, SB_LINEDOWN = 1, SB_PAGEUP = 2, SB_PAGEDOWN = 3, SB_THUMBTRACK = 5, SB_TOP = 6,
              SB_BOTTOM = 7;
constexpr int SB_HORZ = 0, SB_VERT = 1, SB_CTL = 2;

inline platform::WPARAM MakeWParam(int lo, int hi) {
  return static_cast<platform::WPARAM>((static_cast<uint32_t>(hi & 0xFFFF) << 16) | static_cast<uint32_t>(lo & 0xFFFF));
}
inline int LoWord(platform::WPARAM w) { return static_cast<int>(w & 0xFFFF); }
inline int HiWord(platform::WPARAM w) { return static_cast<int>((w >> 16) & 0xFFFF); }
}  // namespace dlgmsg

class cDlgWindow;

// A control window of a dialog.
class cDlgItem {
 public:
  cDlgItem(cDlgWindow* window, const sDlgItemTemplate& tpl);

  int ID() const { return m_nID; }
  eDlgItemKind Kind() const { return m_Kind; }
  cDlgWindow* Window() const { return m_lpWindow; }
  bool IsButtonLike() const;

  // An edit reports the change with EN_UPDATE, as a typed change would.
  void SetText(const std::string& cp932);
  const std::string& Text() const { return m_strText; }
  // Byte positions, moved off the second byte of a double-byte character;
  // end -1 means the end of the text.
  void SetSel(int start, int end);
  void GetSel(int& start, int& end) const;
  int GetCheck() const { return m_nCheck; }
  void SetCheck(int check);
  void Enable(bool on);
  bool IsEnabled() const { return m_bEnabled; }
  void Show(bool on);
  bool IsVisible() const { return m_bVisible; }
  bool IsTabStop() const { return m_bTabStop; }

  // Edit: replaces the selection (what typing and pasting do) and reports EN_UPDATE.
  void ReplaceSel(const std::string& cp932);

  // List box.
  void SetEntries(std::vector<std::string> entries);
  const std::vector<std::string>& Entries() const { return m_Entries; }
  int GetCurSel() const { return m_nCurSel; }
  void SetCurSel(int index);
  int TopIndex() const { return m_nTop; }
  int VisibleRows() const;

  platform::RECT m_rc{0, 0, 0, 0};  // client pixels of the dialog
  bool m_bPressed = false;          // a button held down by the mouse
  int m_nScroll = 0;                // edit: first byte shown

 private:
  friend class cDlgWindow;
  void Notify(int code);
  void MakeSelVisible();

  cDlgWindow* m_lpWindow;
  int m_nID;
  eDlgItemKind m_Kind;
  std::string m_strText;
  bool m_bEnabled = true;
  bool m_bVisible = true;
  bool m_bTabStop = false;
  int m_nCheck = 0;
  int m_nSelStart = 0, m_nSelEnd = 0;  // the caret is at the end
  std::vector<std::string> m_Entries;
  int m_nCurSel = -1;
  int m_nTop = 0;
};

// The dialog window: created by RunDialogBox, alive until the modal loop ends.
class cDlgWindow {
 public:
  using HWND = platform::HWND;
  using UINT = platform::UINT;
  using WPARAM = platform::WPARAM;
  using LPARAM = platform::LPARAM;

  static cDlgWindow* Find(HWND hwnd);
  // The dialog being run modally, or null.
  static cDlgWindow* Active();

  HWND Handle() const { return m_hWnd; }
  HWND Owner() const { return m_hOwner; }
  cDlgItem* Item(int id) const;
  const std::vector<std::unique_ptr<cDlgItem>>& Items() const { return m_Items; }

  void SetTitle(const std::string& cp932);
  const std::string& Title() const { return m_strTitle; }
  bool HasCaption() const { return m_bCaption; }
  int ClientWidth() const { return m_nClientW; }
  int ClientHeight() const { return m_nClientH; }
  // Outer size (caption and frame included) and top-left corner in the frame.
  int OuterWidth() const;
  int OuterHeight() const;
  void MoveTo(int frameX, int frameY);
  int FrameX() const { return m_nX; }
  int FrameY() const { return m_nY; }
  // The client origin in frame pixels.
  platform::POINT ClientOrigin() const;

  cDlgItem* Focus() const { return m_lpFocus; }
  void SetFocus(cDlgItem* item);
  int DefaultID() const;

  const std::string& Composition() const { return m_strComposition; }
  int CompositionCursor() const { return m_nCompCursor; }
  bool IsComposing() const { return !m_strComposition.empty(); }

  void End(intptr_t result);
  bool Ended() const { return m_bEnded; }
  void Invalidate() { m_bDirty = true; }

  // Input, as the modal loop hands it over (tests may call these too).
  // A key pressed: the dialog manager and then the focused control.
  void KeyDown(int vk);
  void TextCommit(const std::string& utf8);
  void TextComposition(const std::string& utf8, int cursor);
  // Frame pixels.
  void MouseDown(int x, int y);
  void MouseUp(int x, int y);

 private:
  friend intptr_t RunDialogBox(const sDlgTemplate&, platform::HWND, platform::WNDPROC, platform::LPARAM);
  friend class cDlgItem;
  friend struct std::default_delete<cDlgWindow>;
  cDlgWindow(const sDlgTemplate& tpl, HWND owner);
  ~cDlgWindow();
  void RouteMessage(const platform::MSG& msg);
  void Render();
  cDlgItem* NextTabStop(cDlgItem* from, bool backwards) const;
  cDlgItem* HitTest(int x, int y) const;
  void Click(cDlgItem* item);
  void CheckRadio(cDlgItem* item);
  bool EditKey(cDlgItem* edit, int vk);
  bool ListKey(cDlgItem* list, int vk);
  bool RadioKey(cDlgItem* radio, int vk);

  HWND m_hWnd = nullptr;
  HWND m_hOwner = nullptr;
  std::string m_strTitle;
  bool m_bCaption = true;
  int m_nClientW = 0, m_nClientH = 0;
  int m_nX = 0, m_nY = 0;
  std::vector<std::unique_ptr<cDlgItem>> m_Items;
  cDlgItem* m_lpFocus = nullptr;
  cDlgItem* m_lpPressed = nullptr;
  std::string m_strComposition;  // code page 932
  int m_nCompCursor = 0;
  bool m_bEnded = false;
  platform::HWND m_hCloseAfter = nullptr;  // a signal's close request for this window waits
  intptr_t m_nResult = 0;
  bool m_bDirty = true;
  std::vector<uint32_t> m_Backdrop;  // the frame under the dialog
  uint32_t m_nLastClickTime = 0;
  int m_nLastClickIndex = -1;
};

// Runs a dialog modally on the calling (window) thread: creates its window
// with `proc` as its procedure, sends WM_INITDIALOG with `param`, then takes
// the thread's messages until the dialog ends. Keys, typed text, mouse clicks
// and WM_CLOSE meant for other windows of the thread go to the dialog
// instead; everything else is dispatched as usual, so sends from other
// threads are still served. Returns the value given to EndDialog, 0 when a
// WM_QUIT ended it (the quit is posted again), -1 without a template or while
// another dialog runs.
intptr_t RunDialogBox(const sDlgTemplate& tpl, platform::HWND owner, platform::WNDPROC proc, platform::LPARAM param);

// Windows-style access to a dialog's items. Unknown windows or ids do nothing.
cDlgItem* GetDlgItem(platform::HWND dlg, int id);
bool EndDialog(platform::HWND dlg, intptr_t result);
bool SetDlgItemText(platform::HWND dlg, int id, const std::string& cp932);
// At most maxCount - 1 bytes, never half of a double-byte character.
std::string GetDlgItemText(platform::HWND dlg, int id, int maxCount);
// The string forms the dialog code uses: a read takes at most maxChars
// (and never more than 5120) as the item-text query does.
void GetDlgItemString(platform::HWND dlg, int id, std::string& out, int maxChars);
void SetDlgItemString(platform::HWND dlg, int id, const std::string& s);
// The text cut to at most maxBytes bytes without splitting a double-byte character.
std::string CutCp932(const std::string& text, size_t maxBytes);

// Test seam: called with the dialog window after WM_INITDIALOG, before the
// modal loop takes its first message. Empty clears it.
void SetDialogOpenedHook(std::function<void(platform::HWND)> hook);
