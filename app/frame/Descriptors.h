#pragma once
// The application's surface table and its three descriptor tables: 71 bitmap
// descriptors (one per surface-table entry), three font descriptors and the
// three digit-strip descriptors. Filled when the program-wide objects are
// built (ProgramObjects.cpp) and given to the graphics library at start-up.
#include "engine/World.h"  // kSurfaceTableSize, kFontCount
#include "media/graphics/DDCore.h"
#include "media/graphics/Font.h"

constexpr int kSurfaceCount = kSurfaceTableSize;
static_assert(kSurfaceCount == 71 && kFontCount == 3);

// Surface-table entries named elsewhere in the application.
enum : int {
  kSurfPalette = 0,
  kSurfDebug = 1,
  kSurfWindow = 45,
  kSurfSymbol = 50,
  kSurfBackFirst = 55,  // eight stage-background placeholders
};

void FillBitmapTable(DDBITMAPDATA (&table)[kSurfaceCount]);
void FillFontTable(FONTDATA (&table)[kFontCount]);
void FillDigitTable(DDBITMAPDATA (&table)[kFontCount]);

// The twin entry -> the entry whose texture it shares (Direct3D only).
struct sTwinLink {
  int twin;
  int source;
};
extern const sTwinLink kTwinLinks[];
extern const int kTwinLinkCount;
// Points each twin record's alias at its source record.
void LinkTwinSurfaces(DDSURFACEDATA* surfaceTable);
