#pragma once
// A message box drawn with the program's own dialog kit, for a display where
// the system box cannot be shown. The text is wrapped to the box; the buttons
// are those of MB_OK, MB_OKCANCEL or MB_YESNO with the first one the default
// (Return). Esc and the window's close button give the answer that loses
// nothing; Y and N answer a Yes/No question. It is drawn in the main window
// when there is one, otherwise in a small window of its own made for it.
// Window (main) thread only.
#include <string>
#include <vector>

#include "base/DlgRender.h"
#include "base/DlgTemplate.h"

// The id of the box's text item (the buttons carry IDOK, IDCANCEL, IDYES, IDNO).
constexpr int kBoxTextId = 100;

// Layout in pixels. Every size and place is a multiple of 3, so the dialog
// units of the template give these pixels exactly.
constexpr int kBoxMargin = 12;   // around the text and below the buttons
constexpr int kBoxTextGap = 12;  // between the text and the buttons
constexpr int kBoxButtonW = 75, kBoxButtonH = 21, kBoxButtonGap = 6;
constexpr int kBoxMaxTextWidth = 420;
constexpr int kBoxLineStep = kDlgTextHeight + 1;  // as a static item draws its lines
constexpr int kBoxMaxLines = 30;                  // the box with its caption stays on the 640x480 frame

// The text's lines: broken at its line breaks, then wrapped at `maxWidth`
// pixels of the dialog font, after the last space that fits or else between
// two characters (a double-byte character is never split).
std::vector<std::string> WrapBoxText(const std::string& cp932, int maxWidth);

// The dialog template of the box (with a drawn caption bar or without one,
// for a window whose own title shows the caption).
sDlgTemplate MakeMessageBoxTemplate(const std::string& text, const std::string& caption, unsigned type,
                                    bool drawCaption);

// Shows the box and returns the button's id; 0 when it cannot be shown
// (another dialog is open, no window can be made).
int RunDialogMessageBox(const std::string& text, const std::string& caption, unsigned type);

// Makes this box the window layer's own box for when the system box fails.
void InstallDialogMessageBox();
