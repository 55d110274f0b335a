#pragma once
// Dialog templates: what a resource dialog used to describe. Positions and
// sizes are dialog units, turned into pixels with the base units of the
// 9-point dialog font (6 x 12 pixels: one unit is 1.5 pixels either way).
#include <cstdint>
#include <string>
#include <vector>

enum class eDlgItemKind {
  Static,      // text
  Picture,     // picture frame (drawn as an empty frame)
  GroupBox,    // frame with a caption
  Button,      // push button
  DefButton,   // default push button (Enter)
  CheckBox,    // automatic check box
  Radio,       // automatic radio button; consecutive ones form a group
  Edit,        // one-line edit
  ListBox,     // list of texts with one selection (the file chooser's)
};

struct sDlgItemTemplate {
  int id = 0;
  eDlgItemKind kind = eDlgItemKind::Static;
  std::string text;  // code page 932
  int x = 0, y = 0, cx = 0, cy = 0;
  bool tabStop = false;
  bool hidden = false;
};

struct sDlgTemplate {
  std::string title;  // code page 932; the dialog usually sets its own
  int cx = 0, cy = 0;
  bool caption = true;
  std::vector<sDlgItemTemplate> items;
};

constexpr int kDlgBaseUnitX = 6;
constexpr int kDlgBaseUnitY = 12;
inline int DluToPixelsX(int dlu) { return dlu * kDlgBaseUnitX / 4; }
inline int DluToPixelsY(int dlu) { return dlu * kDlgBaseUnitY / 8; }

// The templates a dialog's id names (cDlg::DoModal looks its template up here).
void RegisterDialogTemplate(int id, const sDlgTemplate& tpl);
const sDlgTemplate* FindDialogTemplate(int id);
