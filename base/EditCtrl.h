#pragma once
// The edit binding: a one-line (or multi-line) edit item tied to a string,
// with limits on the number of lines and on the width of a line. In
// Shift-JIS mode widths are counted in characters (a double-byte character
// counts 1). Every change of the item's text passes OnChange, which puts a
// text that breaks the limits back to the last accepted one.
#include <string>

#include "base/Ctrl.h"

struct EDITPARAM {
  int id = 0;
  std::string* text = nullptr;
  int maxChars = 0;    // 0: 4096
  int maxLineLen = 0;  // 0: 1024
  int maxLines = 0;    // 0: 32
  int sjis = 0;
};

class cEditCtrl : public cCtrl {
 public:
  cEditCtrl() : cCtrl(3) {}
  void Bind(cDlg* dlg, const EDITPARAM& param);
  void ToControl() override;
  void FromControl() override;
  void OnChange() override;

  std::string* m_lpText = nullptr;
  int m_nMaxChars = 4096;
  int m_bSJIS = 0;
  int m_nMaxLineLen = 1024;
  int m_nMaxLines = 32;
  int m_bInitFill = 0;
  std::string m_strLast;
  int m_nSelStart = 0, m_nSelEnd = 0;

 private:
  int Width(const std::string& text) const;
  // Bytes the item's text may have (what the text query reads, less one).
  size_t MaxBytes() const;

  // The text being checked and its selection.
  struct Edit {
    std::string text;
    int start = 0, end = 0;
  };
  // Shows the text (and the selection), and takes it as the last accepted one.
  void Accept(const Edit& e, bool setSel);
  // Goes back to the last accepted text, keeping the caret where typing left it.
  void Revert(Edit& e);
  // Backspace at the start of a line after a full one: joining the lines would not fit.
  bool BackspaceJoinsFullLine(const Edit& e) const;
  // Breaks lines wider than the limit; what is cut off runs on into the next line.
  void WrapLines(Edit& e, size_t byteLimit) const;
};
