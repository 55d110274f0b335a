// The application's program-wide objects, defined here in construction
// order. Within one translation unit C++ constructs globals in the order of
// their definitions and destroys them in the reverse order, so keeping them
// all in this one file, in this order, is what fixes both orders: the
// director, the two user files and the settings first; then the dialog
// registry, the main window, the threads, the surface lists, the digit
// strips, the descriptor tables, the sound tables and the music manager. At
// program end the music manager goes first and the dialog registry last. Do
// not move a definition into another file.
//
// Defined elsewhere, in units of their own: the input records, the surface
// table, the fonts and the sword images (engine/ProgramObjects.cpp), thStageLoad and the data
// records (data/). Nothing here uses them while being built or destroyed:
// WinMain gives the input vector its one record, and ExitApp releases the
// fonts and surfaces before any destructor runs (a font destroyed twice is
// harmless).
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
// The per-stage collections of custom images, effects, message windows and
// pictures are the engine's (engine/instances/StageSurfaces.cpp), and so are
// the sword images (engine/ProgramObjects.cpp), which the swords draw.
cVector<DDSURFACEDATA> SceneSurfaces;
cVector<DDBITMAPDATA> SceneBitmaps;
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
