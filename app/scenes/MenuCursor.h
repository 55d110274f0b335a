#pragma once
// The menu cursor shared by every menu: a stack of levels, one per open
// sub-menu, moved over wrapping grids and scrolling lists; and the boxes
// that list menu commands and system labels.
#include <cstdint>

#include "base/Containers.h"

class cCmd;
class cInput;
struct DDSURFACEDATA;

struct MenuLevel {
  int32_t nColumn = 0;
  int32_t nRow = 0;
  int32_t nX = 0, nY = 0;
};

class cMenuCursor {
 public:
  cMenuCursor() { Reset(); }
  cMenuCursor(const cMenuCursor&) = delete;
  cMenuCursor& operator=(const cMenuCursor&) = delete;

  // One zeroed level.
  void Reset();
  // Opens a sub-level; copy = 1 takes the values of the level below.
  void Push(int copy);
  // Closes the top level (nothing with one level): mode 0 zeroes the new top,
  // 1 keeps it, 2 gives it the closed level's values.
  void Pop(int mode);
  // A wrapping grid; columns or rows below 0 change nothing.
  void MoveGrid(const cInput& input, int x0, int y0, int dx, int dy, int columns, int rows);
  // A scrolling list that never wraps; `top` is the first visible row.
  void MoveList(const cInput& input, int vertical, int32_t& top, int origin, int step, int across, int visible,
                int count, int paging);

  MenuLevel& Current() { return m_Levels.back(); }
  const MenuLevel& Current() const { return m_Levels.back(); }
  // The level below the top, or null with one level.
  MenuLevel* Previous() { return m_Levels.size() >= 2 ? &m_Levels[m_Levels.size() - 2] : nullptr; }
  size_t Depth() const { return m_Levels.size(); }

 private:
  cVector<MenuLevel> m_Levels;
};

extern cMenuCursor MenuCursor;

// Left x of the box of the enabled entries of a command list centred on cx.
int CalcMenuBoxX(int cx, const cVector<cCmd>& list);
void DrawMenuBox(DDSURFACEDATA* surface, int x, int y, const cVector<cCmd>& list);
// Left x of the box of system labels first .. first + count - 1 centred on cx.
int CalcLabelBoxX(int cx, int first, int count, int cursorColumn);
// The same with the labels given (the system data's label list).
int CalcLabelBoxX(int cx, const cVector<std::string>& labels, int first, int count, int cursorColumn);
void DrawLabelBox(int x, int y, int first, int count, int cursorColumn);
// The story save-slot list: rows of slot number and saved date from slot
// `top` on, with separator lines; a missing or empty slot shows its number
// only (missing slots end the list).
class cSaveSlot;
void DrawSlotList(DDSURFACEDATA* surface, int x, int y, const cVector<cSaveSlot>& slots, int top, int rows);
// The saved local time of a slot that exists, "yyyy/mm/dd hh:mm".
void DrawSlotDate(const cSaveSlot& slot, DDSURFACEDATA* surface, int x, int y);
// The small cursor (16x16 from the accessory sheet) at (x, y) on the back buffer.
void DrawSmallCursor(int x, int y);
