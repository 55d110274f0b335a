#include "app/scenes/MenuCursor.h"

#include <algorithm>
#include <string>

#include "base/Text.h"
#include "data/Cmd.h"
#include "data/SaveData.h"
#include "data/System.h"
#include "engine/Names.h"
#include "engine/World.h"
#include "media/input/Input.h"

cMenuCursor MenuCursor;

void cMenuCursor::Reset() {
  m_Levels.resize(1);
  m_Levels[0] = MenuLevel();
}

void cMenuCursor::Push(int copy) {
  m_Levels.push_back(MenuLevel());
  if (copy == 1 && m_Levels.size() >= 2) m_Levels.back() = m_Levels[m_Levels.size() - 2];
}

void cMenuCursor::Pop(int mode) {
  if (m_Levels.size() < 2) return;
  const MenuLevel closed = m_Levels.back();
  m_Levels.pop_back();
  if (mode == 0) m_Levels.back() = MenuLevel();
  else if (mode == 2) m_Levels.back() = closed;
}

void cMenuCursor::MoveGrid(const cInput& input, int x0, int y0, int dx, int dy, int columns, int rows) {
  if (columns < 0 || rows < 0) return;
  MenuLevel& c = Current();
  const uint16_t d = input.m_wDir;
  if (d & cInput::DIR_LEFT) --c.nColumn;
  else if (d & cInput::DIR_RIGHT) ++c.nColumn;
  if (d & cInput::DIR_UP) --c.nRow;
  else if (d & cInput::DIR_DOWN) ++c.nRow;
  if (c.nRow < 0) c.nRow = rows - 1;
  else if (c.nRow >= rows) c.nRow = 0;
  if (c.nColumn < 0) c.nColumn = columns - 1;
  else if (c.nColumn >= columns) c.nColumn = 0;
  c.nX = x0 + dx * c.nColumn;
  c.nY = y0 + dy * c.nRow;
}

void cMenuCursor::MoveList(const cInput& input, int vertical, int32_t& top, int origin, int step, int across,
                           int visible, int count, int paging) {
  MenuLevel& c = Current();
  int32_t& i = vertical == 1 ? c.nRow : c.nColumn;
  const uint16_t d = input.m_wDir;
  if (d & cInput::DIR_UP) {
    if (i - top <= 0) --top;
    --i;
  } else if (d & cInput::DIR_DOWN) {
    if (i - top >= visible - 1) ++top;
    ++i;
  }
  if (paging == 1) {
    if (d & cInput::DIR_RIGHT) {
      if (top == count - visible) {
        i = count - 1;
      } else {
        top += visible - 1;
        i += visible - 1;
      }
    } else if (d & cInput::DIR_LEFT) {
      if (top == 0) {
        i = 0;
      } else {
        top -= visible - 1;
        i -= visible - 1;
      }
    }
  }
  if (i > count - 1) i = count - 1;
  if (i < 0) i = 0;
  if (top < 0) top = 0;
  else if (top > std::max(count - visible, 0)) top = std::max(count - visible, 0);
  if (vertical == 1) {
    c.nY = origin + step * (i - top);
    c.nX = across;
  } else {
    c.nX = origin + step * (i - top);
    c.nY = across;
  }
}

namespace {
int LargestEnabledLabel(const cVector<cCmd>& list, int* enabled) {
  int l = 0, n = 0;
  for (const cCmd& c : list) {
    if (!nm::menu::Enabled(c)) continue;
    ++n;
    l = std::max(l, CountChars(nm::menu::Label(c).c_str()));
  }
  if (enabled) *enabled = n;
  return l;
}
}  // namespace

int CalcMenuBoxX(int cx, const cVector<cCmd>& list) {
  const int l = LargestEnabledLabel(list, nullptr);
  return l == 0 ? cx : cx - ((l + 1) * 16) / 2;
}

void DrawMenuBox(DDSURFACEDATA* surface, int x, int y, const cVector<cCmd>& list) {
  int n = 0;
  const int l = LargestEnabledLabel(list, &n);
  if (l == 0 || !surface) return;
  Fonts[1].DrawBox(surface, x, y, (l + 1) * 16, n * 16);
  int k = 0;
  for (const cCmd& c : list) {
    if (!nm::menu::Enabled(c)) continue;
    Fonts[1].DrawText(surface, x + 16, y + 16 * k, nm::menu::Label(c).c_str());
    ++k;
  }
}

int CalcLabelBoxX(int cx, const cVector<std::string>& labels, int first, int count, int cursorColumn) {
  int l = 0;
  for (int k = first; k < first + count; ++k)
    if (k >= 0 && static_cast<size_t>(k) < labels.size()) l = std::max(l, CountChars(labels[k].c_str()));
  if (cursorColumn) ++l;
  return cx - (l * 16) / 2;
}

int CalcLabelBoxX(int cx, int first, int count, int cursorColumn) {
  return CalcLabelBoxX(cx, nm::sys::Labels(SystemData), first, count, cursorColumn);
}

void DrawLabelBox(int x, int y, int first, int count, int cursorColumn) {
  if (count <= 0) return;
  const cVector<std::string>& labels = nm::sys::Labels(SystemData);
  int l = 0;
  std::string text;
  for (int k = first; k < first + count; ++k) {
    const std::string label = k >= 0 && static_cast<size_t>(k) < labels.size() ? labels[k] : std::string();
    l = std::max(l, CountChars(label.c_str()));
    text += (cursorColumn ? " " : "") + label + "\n";
  }
  if (cursorColumn) ++l;
  Font::PrintfBox(&Fonts[1], &BackBuffer, x, y, l * 16, count * 16, "%s", text.c_str());
}

void DrawSmallCursor(int x, int y) {
  DDSURFACEDATA& sheet = SurfaceTable[49];
  if (!sheet.lpDD && !sheet.lpDT) return;
  DDBlt(&BackBuffer, x, y, 16, 16, &sheet, 64, 0, 1);
}

void DrawSlotList(DDSURFACEDATA* surface, int x, int y, const cVector<cSaveSlot>& slots, int top, int rows) {
  if (!surface) return;
  Fonts[1].DrawBox(surface, x, y, 320, rows * 16);
  for (int k = 0; k < rows; ++k) {
    const int yk = y + 16 * k;
    if (k != rows - 1) DDFillRect(surface, x, yk + 15, 320, 1, 240);
    const int64_t n = int64_t{top} + k;
    if (n < 0 || n >= static_cast<int64_t>(slots.size())) break;
    Font::Printf(&Fonts[1], surface, x + 16, yk, "%d", static_cast<int>(n + 1));
    DrawSlotDate(slots[static_cast<size_t>(n)], surface, x + 64, yk);
  }
}

void DrawSlotDate(const cSaveSlot& slot, DDSURFACEDATA* surface, int x, int y) {
  if (!nm::slot::Exists(slot) || !surface) return;
  const cSavedTime& t = nm::slot::SavedTime(slot);
  Font::Printf(&Fonts[1], surface, x, y, "%04d/%02d/%02d %02d:%02d\n", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute);
}
