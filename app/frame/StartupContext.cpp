#include "app/frame/StartupContext.h"

#include "app/frame/DataGlobals.h"
#include "app/frame/SceneDirector.h"
#include "app/frame/WindowFlags.h"
#include "data/ReadContext.h"

void FillStartupReadContext() {
  cReadContext& read = DefaultReadContext();
  FillReadContext(Database, read);
  read.startedByEditor = bStartedByEditor.load() != 0;
  read.keepTestFlows = SystemData.m_KeepTestFlows != 0;
  read.commonPalette = nullptr;  // the program-wide CommonPalette
  read.stage = nullptr;          // the program-wide Stage
  read.commonPaletteCounts = PaletteCountsOf(CommonPalette);

  cSaveContext& save = SaveContext();
  save.system = &SystemData;
  save.worldMap = &WorldMap;
  save.stage = nullptr;
  save.playMode = SceneDirector.m_nGameType;
  save.startFilePlay = SceneDirector.m_Startup.m_bStartFilePlay.load() != 0;
}
