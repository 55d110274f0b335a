#pragma once
// The player's long-lived program-wide objects. The application's are all
// defined in ProgramObjects.cpp, in one translation unit, because C++
// constructs the globals of one unit in the order of their definitions and
// destroys them in the reverse order; that file lists them in the order the
// program needs. The engine defines the input records, the surface table and
// the fonts (engine/World.h), the data layer the data records.
#include "app/frame/Descriptors.h"
#include "base/Containers.h"
#include "base/Dlg.h"
#include "base/Thread.h"
#include "media/graphics/DDCore.h"
#include "media/graphics/Font.h"
#include "media/input/Input.h"
#include "media/sound/BgmManager.h"
#include "media/sound/DSound.h"

class cMainWnd;

extern cWndList WindowUserData;
extern cMainWnd MainWnd;
extern cThread thGame, thPause, thRanking;
#include "data/StageLoad.h"  // thStageLoad
extern cVector<DDSURFACEDATA> StageBmpSurfaces;
extern cVector<DDBITMAPDATA> StageBmpBitmaps;
extern cVector<DDSURFACEDATA> SwordSurfaces;
extern cVector<DDBITMAPDATA> SwordBitmaps;
extern cVector<DDSURFACEDATA> EffectSurfaces;
extern cVector<DDBITMAPDATA> EffectBitmaps;
extern cVector<DDSURFACEDATA> SceneSurfaces;
extern cVector<DDBITMAPDATA> SceneBitmaps;
extern cList<DDSURFACEDATA> PictureSurfaces;
extern cList<DDBITMAPDATA> PictureBitmaps;
extern cList<DDSURFACEDATA> Off_Msg;
extern cList<DDBITMAPDATA> MessageBitmaps;
extern DDSURFACEDATA DigitSD[kFontCount];
extern DDBITMAPDATA BitmapTable[kSurfaceCount];
extern FONTDATA FontTable[kFontCount];
extern DDBITMAPDATA DigitTable[kFontCount];
extern cVector<DSDATA> SoundEntries;
extern cVector<DSSOUNDDEF> SoundDefs;
extern cBgmManager BgmManager;
