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

void cEditCtrl::OnChange() {
  if (m_bBusy || !m_hWnd) return;
  m_bBusy = 1;  // setting the item's text below reports a change again

  const std::string& full = m_hWnd->Text();
  std::string text = CutCp932(full, MaxBytes());
  int start, end;
  m_hWnd->GetSel(start, end);
  m_nSelStart = start;
  m_nSelEnd = end;
  const size_t byteLimit = static_cast<size_t>(m_bSJIS ? 2 * m_nMaxLineLen : m_nMaxLineLen);

  auto finish = [&](bool setSel) {
    m_hWnd->SetText(text);
    if (setSel && !m_bInitFill) m_hWnd->SetSel(start, end);
    m_strLast = text;
    m_bBusy = 0;
  };
  auto revert = [&] {
    // The text goes back to the last accepted one; the caret stays where the
    // typing left it, kept inside the text and off a line break's "\n".
    text = m_strLast;
    start = m_nSelStart;
    end = m_nSelEnd;
    if (start >= 0 && static_cast<size_t>(start) < text.size() && text[static_cast<size_t>(start)] == '\n') ++start;
    if (end >= 0 && static_cast<size_t>(end) < text.size() && text[static_cast<size_t>(end)] == '\n') ++end;
    start = std::min(start, static_cast<int>(text.size()));
    end = std::min(end, static_cast<int>(text.size()));
    finish(true);
  };

  // Input that would not fit is refused whole rather than cut (a cut paste
  // could end in half a character).
  if (text.size() < full.size() && !m_bInitFill) {
    revert();
    return;
  }
  if (m_nMaxLines <= 0 && m_nMaxLineLen <= 0) {
    finish(true);
    return;
  }

  // Backspace that would join a full line to the next keeps the break.
  if ((platform::GetAsyncKeyState(platform::VK_BACK) & 0x8000) && start == end &&
      m_strLast.size() == text.size() + 2 && LineCount(text) < LineCount(m_strLast)) {
    std::string part = m_strLast.substr(0, std::min(static_cast<size_t>(std::max(start, 0)), m_strLast.size()));
    const size_t r = part.rfind('\r');
    if (r != std::string::npos) part = part.substr(r);
    if (Width(part) >= m_nMaxLineLen) {
      text = m_strLast;
      finish(true);
      return;
    }
  }

  // Wrapping: a line wider than the limit is broken; what is cut off runs on
  // into the next line.
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
      if (start >= static_cast<int>(b)) start += 2;
      if (end >= static_cast<int>(b)) end += 2;
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

  if (LineCount(text) > m_nMaxLines) {
    if (m_bInitFill) {
      // A bound text with too many lines is shown shortened from its end.
      text = m_strLast;
      size_t removed = 0;
      while (Width(text) > m_nMaxLineLen && removed < byteLimit) removed += PopChar(text);
      finish(false);
      return;
    }
    revert();
    return;
  }

  if (start >= 0 && static_cast<size_t>(start) < text.size() && text[static_cast<size_t>(start)] == '\n') ++start;
  if (end >= 0 && static_cast<size_t>(end) < text.size() && text[static_cast<size_t>(end)] == '\n') ++end;
  start = std::min(start, static_cast<int>(text.size()));
  end = std::min(end, static_cast<int>(text.size()));
  finish(true);
}
