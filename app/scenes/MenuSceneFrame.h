#pragma once
// The frame the menu scenes share: player 1's input with key repeat and
// button triggers, the pictures each scene lists, the one pre-drawn work
// surface, the fades in and out, and the cursor pictures.
#include <cstdint>

#include "media/graphics/DDCore.h"

class cInput;

// A screen position in pixels.
struct sMenuPos {
  int32_t x, y;
};

// Surface-table entries of the menu pictures.
enum : int { kPicWindow = 45, kPicTitle = 47, kPicGameMode = 48, kPicAccessory = 49 };

// Player 1's input record after key repeat and the trigger of the buttons in
// `mask`; null when there is no player record.
cInput* MenuInput(uint16_t triggerMask);
// Loads the listed pictures; on failure asks the main window to close.
bool LoadMenuPictures(const int* entries, int count);
// Releases the listed pictures, and the work surface with `workSurface`.
void ReleaseMenuPictures(const int* entries, int count, bool workSurface);
// A surface that has a picture behind it (none without a graphics device).
bool HasPicture(const DDSURFACEDATA& sd);
// Replaces the work surface by a new one of w x h in system memory; null
// (and the main window asked to close) when it cannot be made.
DDSURFACEDATA* MakeWorkSurface(int w, int h, int transparent);
// The work surface, or null.
DDSURFACEDATA* WorkSurface();
// Blits the work surface to the back buffer at (x, y), redrawing it first
// when it was lost.
template <class Redraw>
void ShowWorkSurface(int x, int y, int transparent, Redraw&& redraw) {
  DDSURFACEDATA* work = WorkSurface();
  if (!work) return;
  if (work->bLost) {
    redraw();
    work = WorkSurface();
    if (!work) return;
    work->bLost = 0;
  }
  if (HasPicture(*work) && HasPicture(BackBuffer)) DDBlt(&BackBuffer, x, y, work->nWidth, work->nHeight, work, 0, 0, transparent);
}
// One frame of the fade from black; true when it has finished.
bool MenuFadeIn();
// One frame of the fade to black; when it has finished the back buffer is
// filled with colour 16, the menu cursor reset (with resetCursor), the
// previous mode becomes ownMode and the director switches to the next mode.
// True when finished.
bool MenuFadeOut(int32_t ownMode, bool resetCursor);
// Cursor pictures of the accessory sheet on the back buffer.
void DrawLargeCursor(int x, int y);
void DrawParkedCursor(int x, int y);
// A 32 x 32 cell of the accessory sheet on a surface, with the colour key.
void DrawAccessoryCell(DDSURFACEDATA* dst, int x, int y, int sx, int sy, int w, int h);
