// brindle-run: plays a stage of a project headless and prints the world
// after every frame as one JSON line.
//   brindle-run PROJECT_DIR STAGE_FILE --frames N [--input FILE]
// STAGE_FILE is a project path ("data\stg4\Name.stg4_000") or a native path
// inside the project. Each line of the input file is one frame: a direction
// made of the letters L, R, U, D ('.' for none) and the pressed buttons as
// digits 1..8 ('.' or nothing for none), e.g. "R 1". Frames past the end of
// the file have no input.
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
#include "data/SaveData.h"
#include "data/Stage.h"
#include "data/StageLoad.h"
#include "engine/Services.h"
#include "engine/World.h"
#include "engine/flow/Conditions.h"
#include "engine/rules/PlayStep.h"
#include "engine/rules/Rules.h"
#include "platform/Clock.h"
#include "platform/CodePage.h"
#include "tools/toolkit/DataKinds.h"
#include "tools/toolkit/ProjectScope.h"

namespace {

int Usage() {
  std::fprintf(stderr, "usage: brindle-run PROJECT_DIR STAGE_FILE --frames N [--input FILE]\n");
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

// The play runs as a stage file given at start-up, in free play.
class RunScene : public ISceneValues {
 public:
  int GameType() const override { return 2; }
  int FrameRate() const override { return 60; }
  bool StartedByEditor() const override { return false; }
  bool StartFilePlay() const override { return true; }
  void SetSceneMusic(int) override {}
};

// FNV-1a over the values that make up the running world.
class Hash {
 public:
  void Bytes(const void* p, size_t n) {
    const unsigned char* b = static_cast<const unsigned char*>(p);
    for (size_t i = 0; i < n; ++i) h_ = (h_ ^ b[i]) * 1099511628211ull;
  }
  template <class T>
  void Add(T v) {
    Bytes(&v, sizeof v);
  }
  void Object(const cGameObj& o) {
    Add(o.m_nID), Add(o.m_dX), Add(o.m_dY), Add(o.m_dRight), Add(o.m_dBottom), Add(o.m_dVX), Add(o.m_dVY);
    Add(o.m_bFaceRight), Add(o.m_bActive), Add(o.m_nLife), Add(o.m_bFly);
  }
  void Chara(const cCharaBase& c) {
    Object(c);
    Add(c.m_nHp), Add(c.m_nSp), Add(c.m_bDead), Add(c.m_WallL), Add(c.m_WallR), Add(c.m_WallU), Add(c.m_WallD);
    Add(c.m_ImpactX), Add(c.m_ImpactY), Add(c.m_nInvincible);
    for (int32_t v : c.m_Vars) Add(v);
    for (const cFlowRun& r : c.m_FlowRuns) Add(r.bRunning), Add(r.nCur), Add(r.nSteps);
  }
  uint64_t Value() const { return h_; }

 private:
  uint64_t h_ = 1469598103934665603ull;
};

uint64_t WorldHash(const cPlayWorld& w) {
  Hash h;
  for (const cHero& hero : Player) h.Chara(hero);
  for (const cChara& c : CharaList) h.Chara(c);
  for (const cItem& i : ItemList) h.Object(i);
  for (const cShot& s : w.m_Shots) h.Object(s);
  for (int32_t v : w.m_StageVars) h.Add(v);
  for (const cBlockCell& b : BlockMap) h.Add(b.m_GfxIndex), h.Add(b.m_Hit), h.Add(b.bCondLatched);
  h.Add(w.m_ScrollX.m_dPos), h.Add(w.m_ScrollY.m_dPos), h.Add(w.m_nTime), h.Add(w.m_nPlayTime);
  h.Add(RandomState());
  return h.Value();
}

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
  std::snprintf(buf, sizeof buf, "\"charas\":%zu,\"shots\":%zu,\"items\":%zu,\"time\":%d,\"vars\":{", CharaList.size(),
                w.m_Shots.size(), ItemList.size(), w.m_nTime);
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
  if (argc < 5) return Usage();
  std::string projectDir = argv[1], stageArg = argv[2], inputPath;
  long frames = -1;
  for (int i = 3; i < argc; ++i) {
    std::string a = argv[i];
    if (a == "--frames" && i + 1 < argc) {
      char* end = nullptr;
      frames = std::strtol(argv[++i], &end, 10);
      if (!end || *end || frames < 0) return Usage();
    } else if (a == "--input" && i + 1 < argc) {
      inputPath = argv[++i];
    } else {
      return Usage();
    }
  }
  if (frames < 0) return Usage();

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
  std::string stagePath = stageArg;
  if (std::filesystem::exists(stageArg, ec) && !tools::NativeToDataPath(stageArg, stagePath)) {
    std::fprintf(stderr, "brindle-run: bad path %s\n", stageArg.c_str());
    return 1;
  }
  if (!LoadStageForPlay(stagePath, 0, &StageCopy)) {
    std::fprintf(stderr, "brindle-run: cannot load the stage %s\n", stageArg.c_str());
    return 1;
  }
  if (Stage.m_PlacedCharas.empty()) {
    std::fprintf(stderr, "brindle-run: the stage %s places no character\n", stageArg.c_str());
    return 1;
  }

  RunScene scene;
  cEngineServices services;
  services.scene = &scene;
  SetEngineServices(services);
  InstallVariableConditions();

  cPlayWorld world;
  PlayScene = &world;
  PlayerInput.assign(1, cInput());
  world.SetSceneState(2, 0);
  // A recording stage seeds from the clock; a fixed clock makes runs
  // repeatable.
  platform::SetClockSource([]() -> uint64_t { return 0; });
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
    if (world.SceneState() == 4) break;  // the stage ended
  }
  PlayScene = nullptr;
  SetEngineServices(cEngineServices{});
  std::fflush(stdout);
  return 0;
}
