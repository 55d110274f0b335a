#pragma once
// The sample's first stage running in the play scene with the graphics
// library up in one personality: the project's data loaded as start-up
// loads it, the play surfaces and the stage entered as the play scene enters
// them, then Play-state frames of scripted input. The clock reads 0 and the
// random generator starts from a fixed seed, so a run is the same every
// time. Shared by the play-field screenshots and the drawing benchmark.
#include <cstdint>
#include <cstring>
#include <memory>
#include <ostream>
#include <string>

#include "app/frame/Descriptors.h"
#include "app/frame/ProgramObjects.h"
#include "app/frame/SceneDirector.h"
#include "app/frame/StartupContext.h"
#include "app/play/PlayScene.h"
#include "base/Text.h"
#include "data/CommonPalette.h"
#include "data/DataPaths.h"
#include "data/Database.h"
#include "data/Stage.h"
#include "data/StageLoad.h"
#include "data/System.h"
#include "engine/World.h"
#include "engine/flow/Conditions.h"
#include "engine/flow/ParamTable.h"
#include "engine/instances/EffectPlayers.h"
#include "engine/objects/ChipSheets.h"
#include "media/graphics/DDCore.h"
#include "media/graphics/Palette.h"
#include "media/input/Input.h"
#include "platform/Clock.h"
#include "platform/FileSystem.h"

namespace playdraw {

struct Personality {
  const char* name;
  int d3d, bpp, windowed;
};
inline void PrintTo(const Personality& p, std::ostream* os) { *os << p.name; }
inline constexpr Personality kD3D32{"d3d32", 1, 32, 1};
inline constexpr Personality kDD8{"dd8", 0, 8, 0};

inline constexpr const char* kFirstStage = "data\\stg4\\Sample-1.stg4_000";

// The scripted run: 160 frames walking right, with button 1 held in frames
// 100 to 129 (a jump on the way), then standing; by frame 290 the walker
// ahead has fired its balls.
inline constexpr int kScriptFrames = 290;
inline void ScriptedInput(int frame, uint16_t* dir, uint16_t* buttons) {
  *dir = frame < 160 ? cInput::DIR_RIGHT : 0;
  *buttons = frame >= 100 && frame < 130 ? 1 : 0;
}

class StageRun {
 public:
  StageRun() = default;
  ~StageRun() { Close(); }
  StageRun(const StageRun&) = delete;
  StageRun& operator=(const StageRun&) = delete;

  // `window` is the main window to present into, or null.
  bool Open(const std::string& projectDir, const Personality& p, void* window, std::string* error) {
    oldRoot_ = platform::GetProjectRoot();
    platform::SetProjectRoot(projectDir);
    platform::ForgetFolderListings();
    platform::SetClockSource([]() -> uint64_t { return 0; });
    opened_ = true;
    SeedRandom(1);
    // The engine's tables as start-up fills them.
    InitParamTable();
    InstallVariableConditions();
    InstallStatusConditions();
    if (!Database.Load()) return Fail(error, "the database cannot be read");
    FillStartupReadContext();
    BuildRuntimeTables();
    if (!SystemData.Load(PathTable[PATH_SYSTEM])) return Fail(error, "the system data cannot be read");
    FillStartupReadContext();
    if (!CommonPalette.Load(PathTable[PATH_COMMON_PALETTE])) return Fail(error, "the common palette cannot be read");
    FillStartupReadContext();
    SceneDirector.m_nFrameRate = 60;
    SceneDirector.m_nGameType = 2;
    SceneDirector.m_nTitleItem = 3;
    SceneDirector.m_bRankings = 0;
    SceneDirector.m_nPrevMode = 0;
    PlayerInput.assign(1, cInput());
    PlayerInput[0].InitButtonMasks();
    PlayerInput[0].SetRepeat(18, 6);
    SceneDirector.m_Startup.m_bWindowed.store(p.windowed);
    SceneDirector.m_Startup.m_nScreenBpp = p.bpp;
    bChipVideoStretch = 0;
    if (!DDInit(p.d3d, window, 640, 480, p.bpp, 0, p.windowed, 1, 60, 0, SurfaceTable, BitmapTable, kSurfaceCount,
                0))
      return Fail(error, "the graphics library cannot start");
    ddUp_ = true;
    if (lpDTCon) LinkTwinSurfaces(SurfaceTable);
    const std::string& paletteFile = BitmapTable[kSurfPalette].strFile;
    if (!DDLoadPaletteFromFile(PalTable, paletteFile, p.windowed)) return Fail(error, "no palette");
    std::memcpy(PalWork, PalTable, sizeof PalTable);
    if (!SystemData.m_FullColour || p.bpp == 16) DDSetTransmit(paletteFile);
    else DDSetTransmit(SystemData.m_ColourKey[0], SystemData.m_ColourKey[1], SystemData.m_ColourKey[2]);
    if (lpDDPalette) lpDDPalette->SetEntries(0, 256, PalWork);
    if (!LoadStageForPlay(kFirstStage, 0, &StageCopy)) return Fail(error, "the first stage cannot be read");
    scene_ = std::make_unique<cPlayScene>();
    scene_->Enter();
    if (!SurfaceTable[4].lpDD && !SurfaceTable[4].lpDT) return Fail(error, "the play surfaces were not loaded");
    scene_->SetSceneState(cPlayScene::kPlay, 0);
    return true;
  }

  // One Play-state frame with this input (its rules and its drawing).
  void PlayFrame(uint16_t dir, uint16_t buttons) {
    cInput& in = PlayerInput[0];
    in.m_wDir = dir;
    in.m_wButton = buttons;
    in.m_nDirCode = cInput::GetDirection(dir);
    scene_->Play();
  }
  void RunScript() {
    for (int f = 0; f < kScriptFrames; ++f) {
      uint16_t dir = 0, buttons = 0;
      ScriptedInput(f, &dir, &buttons);
      PlayFrame(dir, buttons);
    }
  }

  cPlayScene& scene() { return *scene_; }

  void Close() {
    scene_.reset();
    if (ddUp_) DDEnd();
    ddUp_ = false;
    if (opened_) {
      platform::SetClockSource(nullptr);
      platform::SetProjectRoot(oldRoot_);
      platform::ForgetFolderListings();
    }
    opened_ = false;
  }

 private:
  bool Fail(std::string* error, const char* what) {
    if (error) *error = what;
    return false;
  }
  std::unique_ptr<cPlayScene> scene_;
  std::string oldRoot_;
  bool opened_ = false, ddUp_ = false;
};

}  // namespace playdraw
