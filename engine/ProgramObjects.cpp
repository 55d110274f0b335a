// Program-wide surfaces, fonts and player-input records.
#include "engine/World.h"

cVector<cInput> PlayerInput;
DDSURFACEDATA SurfaceTable[kSurfaceTableSize];
DDSURFACEDATA SightDarkSD;
Font Fonts[kFontCount];
// Four images per sword type, loaded per stage by the play scene and drawn
// by the swords.
cVector<DDSURFACEDATA> SwordSurfaces;
cVector<DDBITMAPDATA> SwordBitmaps;
