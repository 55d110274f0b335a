// Every program-wide object of the player, defined here in construction
// order. Within one translation unit C++ constructs globals in the order of
// their definitions and destroys them in the reverse order, so keeping them
// all in this one file, in this order, is what fixes both orders: the
// director, the two user files and the settings first; then the dialog
// registry, the main window, the threads, the input records, the surface
// lists, the surface table, the fonts, the digit strips, the descriptor
// tables, the sound tables and the music manager. At program end the music
// manager goes first and the dialog registry last. Do not move a definition
// into another file.
#include "app/frame/ProgramObjects.h"

#include "app/dialogs/BootData.h"
#include "app/frame/IniSettings.h"
#include "app/frame/MainWnd.h"
#include "app/frame/SceneDirector.h"
#include "app/frame/WindowData.h"

cSceneDirector SceneDirector;
cBootData BootData;
cWindowData WindowData;
sIniSettings IniSettings;

cWndList WindowUserData;
cMainWnd MainWnd;
// A thread object's destructor ends its thread if it still runs.
cThread thGame, thPause, thRanking;  // thStageLoad belongs to the stage loader (data/)
// One record (player 1), copied from a freshly initialised record.
cVector<cInput> PlayerInput(std::vector<cInput>(1, cInput()));
cVector<DDSURFACEDATA> StageBmpSurfaces;
cVector<DDBITMAPDATA> StageBmpBitmaps;
cVector<DDSURFACEDATA> SwordSurfaces;
cVector<DDBITMAPDATA> SwordBitmaps;
cVector<DDSURFACEDATA> EffectSurfaces;
cVector<DDBITMAPDATA> EffectBitmaps;
cVector<DDSURFACEDATA> SceneSurfaces;
cVector<DDBITMAPDATA> SceneBitmaps;
cList<DDSURFACEDATA> PictureSurfaces;
cList<DDBITMAPDATA> PictureBitmaps;
cList<DDSURFACEDATA> Off_Msg;
cList<DDBITMAPDATA> MessageBitmaps;
DDSURFACEDATA SurfaceTable[kSurfaceCount];
Font Fonts[kFontCount];
DDSURFACEDATA DigitSD[kFontCount];
DDBITMAPDATA BitmapTable[kSurfaceCount];
FONTDATA FontTable[kFontCount];
DDBITMAPDATA DigitTable[kFontCount];
namespace {
// Fills the three descriptor tables right after they are built.
struct sTableFiller {
  sTableFiller() {
    FillBitmapTable(BitmapTable);
    FillFontTable(FontTable);
    FillDigitTable(DigitTable);
  }
} TableFiller;
}  // namespace
cVector<DSDATA> SoundEntries;
cVector<DSSOUNDDEF> SoundDefs;
cBgmManager BgmManager;
