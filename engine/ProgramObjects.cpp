// Program-wide surfaces, fonts and player-input records.
#include "engine/World.h"

cVector<cInput> PlayerInput;
DDSURFACEDATA SurfaceTable[kSurfaceTableSize];
DDSURFACEDATA SightDarkSD;
Font Fonts[kFontCount];
