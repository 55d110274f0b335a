// brindle-run: plays a stage of a project headless and prints the world
// after every frame as one JSON line.
//   brindle-run PROJECT_DIR STAGE_FILE --frames N [--input FILE] [--record FILE]
//   brindle-run PROJECT_DIR --replay FILE --frames N
// STAGE_FILE is a project path ("data\stg4\Name.stg4_000") or a native path
// inside the project. Each line of the input file is one frame: a direction
// made of the letters L, R, U, D ('.' for none) and the pressed buttons as
// digits 1..8 ('.' or nothing for none), e.g. "R 1". Frames past the end of
// the file have no input.
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
#include <string>
#include <vector>

#include "base/FrameTimer.h"
#include "base/Log.h"
#include "base/Text.h"
#include "data/Database.h"
#include "data/ReadContext.h"
#include "data/Replay.h"
#include "data/SaveData.h"
#include "data/Stage.h"
#include "data/StageLoad.h"
#include "data/System.h"
#include "data/WorldMap.h"
#include "engine/EngineTables.h"
#include "engine/Names.h"
#include "engine/Services.h"
#include "engine/World.h"
#include "engine/WorldHash.h"
#include "engine/rules/PlayStep.h"
#include "engine/rules/Rules.h"
#include "platform/Clock.h"
#include "platform/CodePage.h"
#include "tools/toolkit/DataKinds.h"
#include "tools/toolkit/ProjectScope.h"

namespace {

int Usage() {
  std::fprintf(stderr,
               "usage: brindle-run PROJECT_DIR STAGE_FILE --frames N [--input FILE] [--record FILE]\n"
               "       brindle-run PROJECT_DIR --replay FILE --frames N\n");
  return 2;
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

// The play runs as a stage file given at start-up, in free play, or as the
// playback of a replay (game type 3).
class RunScene : public ISceneValues {
 public:
  explicit RunScene(bool replay) : replay_(replay) {}
  int GameType() const override { return replay_ ? 3 : 2; }
  int FrameRate() const override { return 60; }
  bool StartedByEditor() const override { return false; }
  bool StartFilePlay() const override { return true; }
  void SetSceneMusic(int) override {}

 private:
  bool replay_;
};

void PrintFrame(int frame, PlayFrameResult result, const cPlayWorld& w, cVector<int32_t>& lastVars) {
  std::string line;
  char buf[512];
  std::snprintf(buf, sizeof buf, "{\"frame\":%d,\"result\":%d,\"state\":%d,", frame, static_cast<int>(result),
                w.SceneState());
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
                "],\"shots\":%zu,\"items\":%zu,\"time\":%d,\"score\":%d,\"lives\":%d,\"clear\":%d,\"clear_dest\":%d,"
                "\"vars\":{",
                w.m_Shots.size(), ItemList.size(), w.m_nTime, nm::save::StageScore(SaveData), nm::save::Lives(SaveData),
                w.m_nClearResult, w.m_nClearDest);
  line += buf;
  bool first = true;
  for (size_t i = 0; i < w.m_StageVars.size() && i < lastVars.size(); ++i) {
    if (w.m_StageVars[i] == lastVars[i]) continue;
    std::snprintf(buf, sizeof buf, "%s\"%zu\":%d", first ? "" : ",", i, w.m_StageVars[i]);
    line += buf;
    first = false;
  }
  lastVars = w.m_StageVars;
  std::snprintf(buf, sizeof buf, "},\"random\":%" PRIu32 ",\"hash\":\"%016" PRIx64 "\"}", RandomState(), WorldHash(w));
  line += buf;
  std::puts(line.c_str());
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> positional;
  std::string inputPath, recordPath, replayPath;
  long frames = -1;
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    if (a == "--frames" && i + 1 < argc) {
      char* end = nullptr;
      frames = std::strtol(argv[++i], &end, 10);
      if (!end || *end || frames < 0) return Usage();
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
  if (!inputPath.empty() && !ReadInput(inputPath, input)) {
    std::fprintf(stderr, "brindle-run: cannot read the input file %s\n", inputPath.c_str());
    return 1;
  }
  std::error_code ec;
  if (!std::filesystem::is_directory(std::filesystem::path(projectDir) / "data", ec)) {
    std::fprintf(stderr, "brindle-run: no project folder at %s\n", projectDir.c_str());
    return 1;
  }
  std::filesystem::path log =
      std::filesystem::temp_directory_path(ec) / ("brindle-run-" + std::to_string(getpid()) + ".txt");
  InitLog(log.string());

  std::string rootDir = std::filesystem::absolute(projectDir, ec).lexically_normal().string();
  tools::cRootScope root(rootDir);
  tools::cProjectScope scope(rootDir);
  // The program-wide records the engine reads, loaded as start-up loads
  // them (the scope keeps its own copies for the readers).
  Database = scope.Database();
  if (!SystemData.Load("data\\System.dat", &DefaultReadContext()) || !WorldMap.Load("data\\WorldMap.dat")) {
    std::fprintf(stderr, "brindle-run: cannot read the system data or the world map of %s\n", projectDir.c_str());
    return 1;
  }
  std::string recordFile, replayFile;
  if (!recordPath.empty() && !tools::NativeToDataPath(recordPath, recordFile)) {
    std::fprintf(stderr, "brindle-run: bad path %s\n", recordPath.c_str());
    return 1;
  }
  if (replay) {
    // As the player opens a replay: the stage, its restart copy and the save
    // data of the attempt's start all come from the file.
    if (!tools::NativeToDataPath(replayPath, replayFile) || !Replay.LoadFile(replayFile, Stage, StageCopy, SaveData)) {
      std::fprintf(stderr, "brindle-run: cannot read the replay %s\n", replayPath.c_str());
      return 1;
    }
    Stage.m_Path = replayFile;
  } else {
    std::string stagePath = stageArg;
    if (std::filesystem::exists(stageArg, ec) && !tools::NativeToDataPath(stageArg, stagePath)) {
      std::fprintf(stderr, "brindle-run: bad path %s\n", stageArg.c_str());
      return 1;
    }
    if (!LoadStageForPlay(stagePath, 0, &StageCopy)) {
      std::fprintf(stderr, "brindle-run: cannot load the stage %s\n", stageArg.c_str());
      return 1;
    }
  }
  if (Stage.m_PlacedCharas.empty()) {
    std::fprintf(stderr, "brindle-run: the stage %s places no character\n", replay ? replayPath.c_str() : stageArg.c_str());
    return 1;
  }
  if (!recordFile.empty()) nm::sys::ReplayRecording(SystemData) = 1;

  RunScene scene(replay);
  cEngineServices services;
  services.scene = &scene;
  SetEngineServices(services);
  // What the player's start-up fills before the first stage.
  InstallEngineTables();
  BuildEngineRuntimeTables();

  cPlayWorld world;
  PlayScene = &world;
  PlayerInput.assign(1, cInput());
  world.SetSceneState(2, 0);
  // A recording stage seeds from the clock; a fixed clock makes runs
  // repeatable (and gives a seed other than the default 0).
  platform::SetClockSource([]() -> uint64_t { return 0x2468ACE1u; });
  SetStage(&world, 0, 1);
  platform::SetClockSource(nullptr);

  cVector<int32_t> lastVars = world.m_StageVars;
  for (long f = 0; f < frames; ++f) {
    cInput& in = PlayerInput[0];
    FrameInput fi = static_cast<size_t>(f) < input.size() ? input[static_cast<size_t>(f)] : FrameInput{};
    in.m_wDir = fi.dir;
    in.m_wButton = fi.buttons;
    in.m_nDirCode = cInput::GetDirection(fi.dir);
    PlayFrameResult r = kFrameDone;
    if (world.SceneState() == 2) r = PlayFrame(&world);
    PrintFrame(static_cast<int>(f + 1), r, world, lastVars);
    if (world.SceneState() == 4) break;      // the stage ended
    if (r == kFrameReplayEnded) break;       // the recording is over
  }
  int status = 0;
  if (!recordFile.empty() && !Replay.SaveFile(recordFile, Stage, StageCopy, ReplaySave)) {
    std::fprintf(stderr, "brindle-run: cannot write the replay %s\n", recordPath.c_str());
    status = 1;
  }
  PlayScene = nullptr;
  SetEngineServices(cEngineServices{});
  std::fflush(stdout);
  return status;
}
