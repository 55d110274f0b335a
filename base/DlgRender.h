#pragma once
// Drawing of a dialog into the 640x480 ARGB frame of the main window, in the
// plain grey look of the classic dialogs: caption bar, raised buttons, check
// boxes, radio buttons, group frames, sunken edit and list fields.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class cDlgWindow;

constexpr int kDlgFrame = 3;     // dialog frame thickness
constexpr int kDlgCaption = 19;  // caption bar height
constexpr int kDlgTextHeight = 12;

// Text drawing for the dialogs (code-page-932 text, one line, 12-pixel cells).
class cDlgTextPainter {
 public:
  virtual ~cDlgTextPainter() = default;
  virtual int Width(const std::string& cp932) = 0;
  // Draws with its cell's top-left at (x, y), clipped to the rectangle
  // [clipL, clipR) x [clipT, clipB) of the 640x480 frame.
  virtual void Draw(std::vector<uint32_t>& frame, int x, int y, const std::string& cp932, uint32_t argb, int clipL,
                    int clipT, int clipR, int clipB) = 0;
};

// The painter the dialogs draw with; by default one over an installed
// Japanese gothic face (none found: texts take room but show nothing).
cDlgTextPainter& DlgTextPainter();
// Tests and the program may put their own; null goes back to the default.
void SetDlgTextPainter(std::unique_ptr<cDlgTextPainter> painter);

int DlgTextWidth(const std::string& cp932);
int DlgListRowHeight();

// The dialog over `backdrop` (the frame it covers; empty: a plain backdrop).
void RenderDialogFrame(const cDlgWindow& window, const std::vector<uint32_t>& backdrop, std::vector<uint32_t>& frame);
