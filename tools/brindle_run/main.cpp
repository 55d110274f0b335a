// brindle-run: plays a stage of a project headless, as free play chosen
// from the title plays it, and prints the world after every frame as one
// JSON line.
//   brindle-run PROJECT_DIR STAGE_FILE --frames N [--input FILE] [--record FILE] [--until STATE:FRAME]
//   brindle-run PROJECT_DIR --replay FILE --frames N [--until STATE:FRAME]
// STAGE_FILE is a project path ("data\stg4\Name.stg4_000") or a native path
// inside the project. Each line of the input file is one frame: a direction
// made of the letters L, R, U, D ('.' for none) and the pressed buttons as
// digits 1..8 ('.' or nothing for none), e.g. "R 1". Frames past the end of
// the file have no input.
// The play scene runs every state: the fade-in, Ready, Play, StageEnd, the
// hero's defeat, restarts, the next part or the free-play restart, the
// game-over picture; it draws into an off-screen screen. Each line gives the
// scene's state after the frame ("state", see cPlayScene::State; -1 between
// two stages) and how many frames in a row it has been in it
// ("state_frame", from 1). --until STATE:FRAME ends the run with the frame
// that reaches that state's FRAMEth frame. The run also ends when the play
// would leave for another scene (the title, the map). "result" is what the
// rules of a Play frame reported (a PlayFrameResult: 0 done, 3 the replay
// restarted, 4 the stage ended, ...), -1 on frames without rules. "camera"
// is the scroll position; "events" the events raised on characters in the
// frame (trigger kind and character ID; the every-frame kind 0 left out).
// --record keeps the run's input as a replay file (the project's replay
// switch is turned on for the run); --replay plays such a file back instead
// of live input, as the player's replay playback does, and the run ends with
// the first frame after the recording (the replay restarts its stage).
#include <unistd.h>

#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "app/frame/App.h"
#include "app/frame/Descriptors.h"
#include "app/frame/MainWnd.h"
#include "app/frame/ProgramObjects.h"
#include "app/frame/SceneDirector.h"
#include "app/frame/StartupContext.h"
#include "app/play/PlayScene.h"
#include "app/scenes/TitleScene.h"
#include "base/Log.h"
#include "base/Text.h"
#include "data/CommonPalette.h"
#include "data/DataPaths.h"
#include "data/Database.h"
#include "data/Replay.h"
#include "data/SaveData.h"
#include "data/Stage.h"
#include "data/System.h"
#include "data/WorldMap.h"
#include "engine/EngineTables.h"
#include "engine/Names.h"
#include "engine/Services.h"
#include "engine/World.h"
#include "engine/WorldHash.h"
#include "engine/flow/FlowRuntimeParts.h"
#include "engine/flow/Triggers.h"
#include "engine/objects/ChipSheets.h"
#include "engine/rules/PlayStep.h"
#include "engine/rules/Rules.h"
#include "media/graphics/DDCore.h"
#include "media/graphics/Palette.h"
#include "media/input/Input.h"
#include "platform/Clock.h"
#include "tools/toolkit/DataKinds.h"
#include "tools/toolkit/ProjectScope.h"

namespace {

int Usage() {
  std::fprintf(stderr,
               "usage: brindle-run PROJECT_DIR STAGE_FILE --frames N [--input FILE] [--record FILE] "
               "[--until STATE:FRAME]\n"
               "       brindle-run PROJECT_DIR --replay FILE --frames N [--until STATE:FRAME]\n");
  return 2;
}

int Fail(const char* what, const std::string& name) {
  std::fprintf(stderr, "brindle-run: %s %s\n", what, name.c_str());
  return 1;
}

struct FrameInput {
  uint16_t dir = 0, buttons = 0;
};

bool ReadInput(const std::string& path, std::vector<FrameInput>& out) {
  std::ifstream in(path);
  if (!in) return false;
  std::string line;
  while (std::getline(in, line)) {
    FrameInput f;
    size_t space = line.find_first_of(" \t");
    std::string dir = line.substr(0, space);
    std::string buttons = space == std::string::npos ? "" : line.substr(space + 1);
    for (char c : dir) {
      if (c == 'L' || c == 'l') f.dir |= cInput::DIR_LEFT;
      if (c == 'R' || c == 'r') f.dir |= cInput::DIR_RIGHT;
      if (c == 'U' || c == 'u') f.dir |= cInput::DIR_UP;
      if (c == 'D' || c == 'd') f.dir |= cInput::DIR_DOWN;
    }
    for (char c : buttons)
      if (c >= '1' && c <= '8') f.buttons |= static_cast<uint16_t>(1u << (c - '1'));
    out.push_back(f);
  }
  return true;
}

// "STATE:FRAME" with FRAME >= 1.
bool ParseUntil(const char* text, int& state, long& frame) {
  char* end = nullptr;
  state = static_cast<int>(std::strtol(text, &end, 10));
  if (end == text || *end != ':') return false;
  const char* f = end + 1;
  frame = std::strtol(f, &end, 10);
  return end != f && !*end && frame >= 1;
}

// The window of a headless run: no sound or music; a close request (the
// player's answer to a quit or to pictures that do not load) ends the run.
class RunWindow : public IWindowRequests {
 public:
  void PlaySound(int) override {}
  void PlayMusic(int, int) override {}
  void RequestClose() override { closed = true; }
  bool closed = false;
};

// The director's values, as the player gives them to the engine.
class RunSceneValues : public ISceneValues {
 public:
  int GameType() const override { return SceneDirector.m_nGameType; }
  int FrameRate() const override { return SceneDirector.m_nFrameRate; }
  bool StartedByEditor() const override { return bStartedByEditor.load() != 0; }
  bool StartFilePlay() const override { return SceneDirector.m_Startup.m_bStartFilePlay.load() != 0; }
  void SetSceneMusic(int index) override { SceneDirector.m_nSceneBgm = index; }
  void SetFrameRate(int fps) override { SceneDirector.m_nFrameRate = fps; }
  void RestorePalette() override {
    std::memcpy(PalWork, PalTable, sizeof PalTable);
    if (lpDDPalette) lpDDPalette->SetEntries(0, 256, PalWork);
  }
};

// Faults in the game's data go to the error output instead of a box.
class RunErrors : public IErrorReporter {
 public:
  void ErrorBox(const std::string& text, const std::string& caption) override {
    std::fprintf(stderr, "brindle-run: %s: %s\n", caption.c_str(), text.c_str());
  }
};

// The events of the current frame: trigger kind and character ID. The
// every-frame kind (always) is left out: it says nothing about the frame.
struct Event {
  int kind, chara;
};
std::vector<Event> g_events;
void ObserveEvent(const cCharaBase& chara, int key) {
  if (key != kTriggerAlways) g_events.push_back({key, chara.m_nID});
}

void PrintFrame(int frame, int result, int stateFrame, const cPlayScene& w, cVector<int32_t>& lastVars) {
  std::string line;
  char buf[512];
  std::snprintf(buf, sizeof buf, "{\"frame\":%d,\"result\":%d,\"state\":%d,\"state_frame\":%d,", frame, result,
                w.SceneState(), stateFrame);
  line += buf;
  if (!Player.empty()) {
    const cHero& h = Player[0];
    std::snprintf(buf, sizeof buf,
                  "\"hero\":{\"x\":%.17g,\"y\":%.17g,\"vx\":%.17g,\"vy\":%.17g,"
                  "\"hp\":%d,\"sp\":%d,\"dead\":%d,"
                  "\"fly\":%d,\"face_right\":%d,\"walls\":[%d,%d,%d,%d]},",
                  h.m_dX, h.m_dY, h.m_dVX, h.m_dVY, h.m_nHp, h.m_nSp, h.m_bDead, h.m_bFly, h.m_bFaceRight, h.m_WallL,
                  h.m_WallR, h.m_WallU, h.m_WallD);
    line += buf;
  }
  std::snprintf(buf, sizeof buf, "\"charas\":%zu,\"others\":[", CharaList.size());
  line += buf;
  bool firstChara = true;
  for (const cChara& c : CharaList) {
    std::snprintf(buf, sizeof buf,
                  "%s{\"id\":%d,\"x\":%.17g,\"y\":%.17g,\"vx\":%.17g,\"hp\":%d,\"dead\":%d,\"face_right\":%d}",
                  firstChara ? "" : ",", c.m_nID, c.m_dX, c.m_dY, c.m_dVX, c.m_nHp, c.m_bDead, c.m_bFaceRight);
    line += buf;
    firstChara = false;
  }
  std::snprintf(buf, sizeof buf,
                "],\"shots\":%zu,\"items\":%zu,\"camera\":[%.17g,%.17g],\"time\":%d,\"play_time\":%d,\"score\":%d,"
                "\"lives\":%d,\"part\":%d,\"clear\":%d,\"clear_dest\":%d,\"events\":[",
                w.m_Shots.size(), ItemList.size(), w.m_ScrollX.m_dPos, w.m_ScrollY.m_dPos, w.m_nTime, w.m_nPlayTime,
                nm::save::StageScore(SaveData), nm::save::Lives(SaveData), nm::save::nPart(SaveData), w.m_nClearResult,
                w.m_nClearDest);
  line += buf;
  for (size_t i = 0; i < g_events.size(); ++i) {
    std::snprintf(buf, sizeof buf, "%s{\"kind\":%d,\"chara\":%d}", i ? "," : "", g_events[i].kind, g_events[i].chara);
    line += buf;
  }
  line += "],\"vars\":{";
  bool first = true;
  for (size_t i = 0; i < w.m_StageVars.size(); ++i) {
    if (i < lastVars.size() && w.m_StageVars[i] == lastVars[i]) continue;
    std::snprintf(buf, sizeof buf, "%s\"%zu\":%d", first ? "" : ",", i, w.m_StageVars[i]);
    line += buf;
    first = false;
  }
  lastVars = w.m_StageVars;
  std::snprintf(buf, sizeof buf, "},\"random\":%" PRIu32 ",\"hash\":\"%016" PRIx64 "\"}", RandomState(), WorldHash(w));
  line += buf;
  std::puts(line.c_str());
}

// The off-screen screen: the 8-bit DirectDraw personality without a window,
// its palette loaded as start-up loads it.
bool StartGraphics() {
  SceneDirector.m_Startup.m_bWindowed.store(0);
  SceneDirector.m_Startup.m_nScreenBpp = 8;
  bChipVideoStretch = 0;
  if (!DDInit(0, nullptr, 640, 480, 8, 0, 0, 1, 60, 0, SurfaceTable, BitmapTable, kSurfaceCount, 0)) return false;
  if (lpDTCon) LinkTwinSurfaces(SurfaceTable);
  const std::string& paletteFile = BitmapTable[kSurfPalette].strFile;
  if (!DDLoadPaletteFromFile(PalTable, paletteFile, 0)) return false;
  std::memcpy(PalWork, PalTable, sizeof PalTable);
  if (!SystemData.m_FullColour)
    DDSetTransmit(paletteFile);
  else
    DDSetTransmit(SystemData.m_ColourKey[0], SystemData.m_ColourKey[1], SystemData.m_ColourKey[2]);
  if (lpDDPalette) lpDDPalette->SetEntries(0, 256, PalWork);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> positional;
  std::string inputPath, recordPath, replayPath;
  long frames = -1, untilFrame = 0;
  int untilState = 0;
  bool until = false;
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    if (a == "--frames" && i + 1 < argc) {
      char* end = nullptr;
      frames = std::strtol(argv[++i], &end, 10);
      if (!end || *end || frames < 0) return Usage();
    } else if (a == "--until" && i + 1 < argc) {
      if (!ParseUntil(argv[++i], untilState, untilFrame)) return Usage();
      until = true;
    } else if (a == "--input" && i + 1 < argc) {
      inputPath = argv[++i];
    } else if (a == "--record" && i + 1 < argc) {
      recordPath = argv[++i];
    } else if (a == "--replay" && i + 1 < argc) {
      replayPath = argv[++i];
    } else if (a.rfind("--", 0) == 0) {
      return Usage();
    } else {
      positional.push_back(a);
    }
  }
  const bool replay = !replayPath.empty();
  // A playback takes its stage and input from the replay file alone.
  if (frames < 0 || positional.size() != (replay ? 1u : 2u)) return Usage();
  if (replay && (!inputPath.empty() || !recordPath.empty())) return Usage();
  const std::string projectDir = positional[0], stageArg = replay ? std::string() : positional[1];

  std::vector<FrameInput> input;
  if (!inputPath.empty() && !ReadInput(inputPath, input)) return Fail("cannot read the input file", inputPath);
  std::error_code ec;
  if (!std::filesystem::is_directory(std::filesystem::path(projectDir) / "data", ec))
    return Fail("no project folder at", projectDir);
  // Headless unless the caller chose the drivers.
  setenv("SDL_VIDEODRIVER", "dummy", 0);
  setenv("SDL_AUDIODRIVER", "dummy", 0);
  std::filesystem::path log =
      std::filesystem::temp_directory_path(ec) / ("brindle-run-" + std::to_string(getpid()) + ".txt");
  InitLog(log.string());

  std::string rootDir = std::filesystem::absolute(projectDir, ec).lexically_normal().string();
  tools::cRootScope root(rootDir);
  // The program-wide records and tables, loaded and filled as start-up does.
  InstallEngineTables();
  if (!Database.Load()) return Fail("cannot read the database of", projectDir);
  FillStartupReadContext();
  BuildEngineRuntimeTables();
  if (!SystemData.Load(PathTable[PATH_SYSTEM])) return Fail("cannot read the system data of", projectDir);
  FillStartupReadContext();
  if (!WorldMap.Load(PathTable[PATH_WORLD_MAP])) return Fail("cannot read the world map of", projectDir);
  if (!CommonPalette.Load(PathTable[PATH_COMMON_PALETTE])) return Fail("cannot read the common palette of", projectDir);
  FillStartupReadContext();

  std::string recordFile, replayFile;
  if (!recordPath.empty() && !tools::NativeToDataPath(recordPath, recordFile)) return Fail("bad path", recordPath);

  RunWindow window;
  RunSceneValues sceneValues;
  RunErrors errors;
  cEngineServices services;
  services.window = &window;
  services.scene = &sceneValues;
  services.errors = &errors;
  SetEngineServices(services);
  // The free-play restart after a clear starts the file again as the title did.
  InstallTitleScene();
  SceneDirector.m_nFrameRate = 60;
  SceneDirector.m_nFadeSpeed = 10;
  PlayerInput.assign(1, cInput());
  PlayerInput[0].SetRepeat(18, 6);
  PlayerInput[0].InitButtonMasks();
  SceneDirector.m_Startup.m_bStartFilePlay.store(0);
  bStartedByEditor.store(0);

  if (replay) {
    // As the title's replay item opens a replay: the stage, its restart copy
    // and the save data of the attempt's start all come from the file.
    SceneDirector.m_nTitleItem = kTitleReplay;
    SelectGameType(3);
    if (!tools::NativeToDataPath(replayPath, replayFile) || !Replay.LoadFile(replayFile, Stage, StageCopy, SaveData))
      return Fail("cannot read the replay", replayPath);
    Stage.m_Path = replayFile;
  } else {
    // As the title's free-play item starts the chosen file.
    std::string stagePath = stageArg;
    if (std::filesystem::exists(stageArg, ec) && !tools::NativeToDataPath(stageArg, stagePath))
      return Fail("bad path", stageArg);
    SceneDirector.m_nTitleItem = kTitleFree;
    SelectGameType(2);
    if (!StartFreeStage(stagePath, 0)) return Fail("cannot load the stage", stageArg);
  }
  if (Stage.m_PlacedCharas.empty()) return Fail("the stage places no character:", replay ? replayPath : stageArg);
  if (!recordFile.empty()) nm::sys::ReplayRecording(SystemData) = 1;
  if (!StartGraphics()) return Fail("cannot start the off-screen screen for", projectDir);

  SceneDirector.m_nPrevMode = kModeTitle;
  SceneDirector.m_nMode = SceneDirector.m_nNextMode = kModePlay;
  // A recording stage seeds from the clock; a fixed clock makes runs
  // repeatable (and gives a seed other than the default 0).
  platform::SetClockSource([]() -> uint64_t { return 0x2468ACE1u; });
  SetEventObserver(ObserveEvent);

  int status = 0;
  {
    auto scene = std::make_unique<cPlayScene>();
    cVector<int32_t> lastVars = scene->m_StageVars;
    int lastState = scene->SceneState(), stateFrame = 0;
    for (long f = 0; f < frames; ++f) {
      cInput& in = PlayerInput[0];
      FrameInput fi = static_cast<size_t>(f) < input.size() ? input[static_cast<size_t>(f)] : FrameInput{};
      in.m_wDir = fi.dir;
      in.m_wButton = fi.buttons;
      in.m_nDirCode = cInput::GetDirection(fi.dir);
      g_events.clear();
      scene->m_nLastFrameResult = -1;
      scene->Step();
      const int state = scene->SceneState();
      stateFrame = state == lastState ? stateFrame + 1 : 1;
      lastState = state;
      const int result = scene->m_nLastFrameResult;
      PrintFrame(static_cast<int>(f + 1), result, stateFrame, *scene, lastVars);
      if (window.closed) {
        // No quit reaches a headless run: the play closes only on pictures
        // that do not load or a stage that cannot be started again.
        // The graphics layer has named the picture and why on the error output.
        if (f == 0) {
          status = Fail("cannot load the play pictures of", projectDir);
        } else {
          status = Fail("cannot start the stage again (see", log.string() + ")");
        }
        break;
      }
      if (SceneDirector.m_nMode != kModePlay) break;  // on to the title or the map
      if (until && state == untilState && stateFrame == untilFrame) break;
      if (result == kFrameReplayEnded) break;  // the recording is over
    }
    SetEventObserver(nullptr);
    if (!recordFile.empty() && !Replay.SaveFile(recordFile, Stage, StageCopy, ReplaySave))
      status = Fail("cannot write the replay", recordPath);
  }
  platform::SetClockSource(nullptr);
  PlayScene = nullptr;
  DDEnd();
  SetEngineServices(cEngineServices{});
  std::fflush(stdout);
  return status;
}
