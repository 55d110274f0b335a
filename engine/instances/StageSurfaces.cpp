// The per-stage surface collections of custom character images, effect
// images, message windows and pictures.
#include "engine/World.h"

cVector<DDSURFACEDATA> StageBmpSurfaces;
cVector<DDBITMAPDATA> StageBmpBitmaps;
cVector<DDSURFACEDATA> EffectSurfaces;
cVector<DDBITMAPDATA> EffectBitmaps;
cList<DDSURFACEDATA> Off_Msg;
cList<DDBITMAPDATA> MessageBitmaps;
cList<DDSURFACEDATA> PictureSurfaces;
cList<DDBITMAPDATA> PictureBitmaps;
