#pragma once
// Shared between the library's own files; not for callers.
#include <string>

#include "media/graphics/DDCore.h"

// Format of DirectDraw surfaces: the display's format (the desktop's in window mode).
DDFORMAT DDDisplayFormat();
// The display format of a depth: 8 palette, 16 R5G6B5, 32 X8R8G8B8; unknown otherwise.
DDFORMAT DDFormatOfDepth(int bpp);
// A texture could not be made: the application's box (when it set a text), then WM_CLOSE.
void DDTextureErrorBox();
// Forgets the sprite batch (library end).
void DDResetSpriteBatch();
// Under Direct3D: the palette map of a freshly loaded surface.
bool DDBuildPaletteMap(DDSURFACEDATA* lpSD);
