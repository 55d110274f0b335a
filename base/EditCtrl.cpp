#include "base/EditCtrl.h"

#include <algorithm>

#include "base/Dlg.h"
#include "base/Text.h"
#include "platform/CodePage.h"
#include "platform/Keyboard.h"

namespace {

int LineCount(const std::string& text) {
  return text.empty() ? 0 : 1 + static_cast<int>(std::count(text.begin(), text.end(), '\n'));
}

// Removes the last character (both bytes of a double-byte one); its size.
size_t PopChar(std::string& text) {
  if (text.empty()) return 0;
  size_t p = 0, last = 0;
  while (p < text.size()) {
    last = p;
    const bool dbcs = platform::IsCp932LeadByte(static_cast<unsigned char>(text[p])) && p + 1 < text.size();
    p += dbcs ? 2 : 1;
  }
  const size_t n = text.size() - last;
  text.resize(last);
  return n;
}

}  // namespace

int cEditCtrl::Width(const std::string& text) const {
  return m_bSJIS ? CountChars(text.c_str()) : static_cast<int>(text.size());
}

size_t cEditCtrl::MaxBytes() const {
  const int max = m_bSJIS ? 2 * m_nMaxChars - 1 : m_nMaxChars;
  return static_cast<size_t>(std::max(max - 1, 0));
}

void cEditCtrl::Bind(cDlg* dlg, const EDITPARAM& param) {
  cCtrl::Bind(dlg, param.id);
  m_lpText = param.text;
  m_nMaxChars = param.maxChars ? param.maxChars : 4096;
  m_nMaxLineLen = param.maxLineLen ? param.maxLineLen : 1024;
  m_nMaxLines = param.maxLines ? param.maxLines : 32;
  m_bSJIS = param.sjis;
  const std::string text = m_lpText ? *m_lpText : std::string();
  if (m_hWnd) m_hWnd->SetText(text);
  m_strLast = text;
  m_bInitFill = 1;
  OnChange();
  m_bInitFill = 0;
}

void cEditCtrl::ToControl() {
  if (m_hWnd && m_lpText) m_hWnd->SetText(*m_lpText);
}

void cEditCtrl::FromControl() {
  if (!m_hWnd || !m_lpText || (m_lpDlg && m_lpDlg->m_bUpdating)) return;
  *m_lpText = CutCp932(m_hWnd->Text(), MaxBytes());
}

namespace {

// Keeps the caret inside the text and off a line break's "\n".
void KeepCaretInText(const std::string& text, int& start, int& end) {
  if (start >= 0 && static_cast<size_t>(start) < text.size() && text[static_cast<size_t>(start)] == '\n') ++start;
  if (end >= 0 && static_cast<size_t>(end) < text.size() && text[static_cast<size_t>(end)] == '\n') ++end;
  start = std::min(start, static_cast<int>(text.size()));
  end = std::min(end, static_cast<int>(text.size()));
}

}  // namespace

void cEditCtrl::Accept(const Edit& e, bool setSel) {
  m_hWnd->SetText(e.text);
  if (setSel && !m_bInitFill) m_hWnd->SetSel(e.start, e.end);
  m_strLast = e.text;
  m_bBusy = 0;
}

void cEditCtrl::Revert(Edit& e) {
  e.text = m_strLast;
  e.start = m_nSelStart;
  e.end = m_nSelEnd;
  KeepCaretInText(e.text, e.start, e.end);
  Accept(e, true);
}

bool cEditCtrl::BackspaceJoinsFullLine(const Edit& e) const {
  if (!(platform::GetAsyncKeyState(platform::VK_BACK) & 0x8000) || e.start != e.end ||
      m_strLast.size() != e.text.size() + 2 || LineCount(e.text) >= LineCount(m_strLast))
    return false;
  std::string part = m_strLast.substr(0, std::min(static_cast<size_t>(std::max(e.start, 0)), m_strLast.size()));
  const size_t r = part.rfind('\r');
  if (r != std::string::npos) part = part.substr(r);
  return Width(part) >= m_nMaxLineLen;
}

void cEditCtrl::WrapLines(Edit& e, size_t byteLimit) const {
  std::string& text = e.text;
  size_t pos = 0;
  bool lastPass = false;
  for (int pass = 0; pass < m_nMaxLines; ++pass) {
    pos = std::min(pos, text.size());
    size_t lineEnd = text.find('\r', pos);
    if (lineEnd == std::string::npos) lineEnd = text.size();
    std::string line = text.substr(pos, lineEnd - pos);
    if (Width(line) > m_nMaxLineLen) {
      if (m_nMaxLineLen >= 1) {
        size_t removed = 0;
        while (Width(line) > m_nMaxLineLen && removed < byteLimit) removed += PopChar(line);
      }
      const size_t b = pos + line.size();
      text.insert(b, "\r\n");
      if (e.start >= static_cast<int>(b)) e.start += 2;
      if (e.end >= static_cast<int>(b)) e.end += 2;
      const size_t k = text.find("\r\n", b + 2);
      if (k != std::string::npos) text.erase(k, 2);
    }
    if (lastPass) break;
    const size_t r = text.find('\r', pos);
    if (r != std::string::npos) {
      pos = r + 2;
    } else {
      const size_t last = text.rfind('\r');
      pos = last == std::string::npos ? 1 : last + 2;
      lastPass = true;
    }
  }
}

void cEditCtrl::OnChange() {
  if (m_bBusy || !m_hWnd) return;
  m_bBusy = 1;  // setting the item's text below reports a change again

  const std::string& full = m_hWnd->Text();
  Edit e;
  e.text = CutCp932(full, MaxBytes());
  m_hWnd->GetSel(e.start, e.end);
  m_nSelStart = e.start;
  m_nSelEnd = e.end;
  const size_t byteLimit = static_cast<size_t>(m_bSJIS ? 2 * m_nMaxLineLen : m_nMaxLineLen);

  // Input that would not fit is refused whole rather than cut (a cut paste
  // could end in half a character).
  if (e.text.size() < full.size() && !m_bInitFill) return Revert(e);
  if (m_nMaxLines <= 0 && m_nMaxLineLen <= 0) return Accept(e, true);
  if (BackspaceJoinsFullLine(e)) {
    e.text = m_strLast;  // the break stays
    return Accept(e, true);
  }
  WrapLines(e, byteLimit);
  if (LineCount(e.text) > m_nMaxLines) {
    if (!m_bInitFill) return Revert(e);
    // A bound text with too many lines is shown shortened from its end.
    e.text = m_strLast;
    size_t removed = 0;
    while (Width(e.text) > m_nMaxLineLen && removed < byteLimit) removed += PopChar(e.text);
    return Accept(e, false);
  }
  KeepCaretInText(e.text, e.start, e.end);
  Accept(e, true);
}
