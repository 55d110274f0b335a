// Feeds arbitrary bytes to the stage reader and plays what it accepts: the
// stage is set up as a start of play and runs 60 frames headless with a
// fixed input. The project's other data (database, system data, common
// palette) come from the folder named by BRINDLE_FUZZ_PROJECT (the generated
// sample project); start it on that project's stage files and on the
// generated-stage inputs stage_fuzz_seeds writes.
//
// An input that starts with "GEN!" is no stage file: the next four bytes
// are a seed of the stage generator (tests/support/StageGen) and the bytes
// after them steer its first choices, so mutations make new valid commands
// instead of broken files. The generated stage is written and read back
// through the stage reader before it plays.
//
// Whatever the stage, the set-up and the frames must end; afterwards the
// world must hold exactly one hero and every faction-list entry must name
// the hero or a character of the list. Traps otherwise.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <vector>

#include "base/SerialRecord.h"
#include "base/Text.h"
#include "data/CommonPalette.h"
#include "data/Database.h"
#include "data/ReadContext.h"
#include "data/SaveData.h"
#include "data/Stage.h"
#include "data/System.h"
#include "engine/Services.h"
#include "engine/World.h"
#include "engine/flow/Conditions.h"
#include "engine/flow/ParamTable.h"
#include "engine/instances/EffectPlayers.h"
#include "engine/rules/PlayStep.h"
#include "engine/rules/Rules.h"
#include "platform/Clock.h"
#include "platform/FileSystem.h"
#include "tests/support/StageGen.h"

namespace {

constexpr int kFrames = 60;
constexpr unsigned char kGenMarker[4] = {'G', 'E', 'N', '!'};
constexpr int64_t kFuzzBlockCells = int64_t{1} << 20;
// Shots made in one run before it stops: a stage whose volleys make tens of
// thousands of shots a frame (most gone in the same sub-step) outlasts the
// timeout under the sanitizers and the coverage tracing, not in the player.
constexpr int64_t kFuzzShotsMade = 10000;

// The play runs as a stage file given at start-up, in free play.
class FuzzScene : public ISceneValues {
 public:
  int GameType() const override { return 2; }
  int FrameRate() const override { return 60; }
  bool StartedByEditor() const override { return false; }
  bool StartFilePlay() const override { return true; }
  void SetSceneMusic(int) override {}
};

// Error boxes must say something.
class FuzzErrors : public IErrorReporter {
 public:
  void ErrorBox(const std::string& text, const std::string&) override {
    if (text.empty()) __builtin_trap();
  }
};

FuzzScene g_scene;
FuzzErrors g_errors;
cSaveData* g_startSave = nullptr;

[[noreturn]] void Refuse(const char* what) {
  std::fprintf(stderr, "stage_fuzzer: %s\n", what);
  std::exit(2);
}

// Walks right, jumping and firing now and then, so that movement, map
// collision, flows keyed to buttons and shots all run.
void SetInput(cInput& in, int frame) {
  in.m_wDir = (frame / 20) % 3 == 2 ? cInput::DIR_LEFT : cInput::DIR_RIGHT;
  in.m_wButton = static_cast<uint16_t>((frame % 7 == 0 ? 1u : 0u) | (frame % 5 == 0 ? 2u : 0u));
  in.m_nDirCode = cInput::GetDirection(in.m_wDir);
}

void CheckWorld(const cPlayWorld& w) {
  if (Player.size() != 1) __builtin_trap();
  if (w.m_FactionCharas.size() != static_cast<size_t>(kFactions)) __builtin_trap();
  std::vector<const cCharaBase*> live;
  live.push_back(&Player[0]);
  for (const cChara& c : CharaList) live.push_back(&c);
  for (const CharaPtrList& side : w.m_FactionCharas)
    for (const cCharaBase* p : side) {
      bool found = false;
      for (const cCharaBase* q : live) found = found || q == p;
      if (!found) __builtin_trap();
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  const char* dir = std::getenv("BRINDLE_FUZZ_PROJECT");
  if (!dir || !*dir) Refuse("BRINDLE_FUZZ_PROJECT must name a project folder");
  namespace fs = std::filesystem;
  platform::SetProjectRoot(fs::absolute(dir).lexically_normal().string());
  dwDataVersion = kDataVersion;
  bStripCR = 1;
  if (!Database.Load()) Refuse("the project's database cannot be read");
  // The entries generated stages refer to.
  stagegen::AddDatabaseEntries(Database);
  FillReadContext(Database, DefaultReadContext());
  if (!SystemData.Load("data\\System.dat")) Refuse("the project's system data cannot be read");
  FillReadContext(SystemData, DefaultReadContext());
  if (!CommonPalette.Load("data\\CommonPalette.cplt4")) Refuse("the project's common palette cannot be read");
  DefaultReadContext().commonPaletteCounts = PaletteCountsOf(CommonPalette);
  SaveContext().system = &SystemData;
  SaveContext().startFilePlay = true;

  cEngineServices services;
  services.scene = &g_scene;
  services.errors = &g_errors;
  SetEngineServices(services);
  InstallVariableConditions();
  InitParamTable();
  BuildRuntimeTables();
  // A recording stage seeds from the clock; a fixed clock keeps runs repeatable.
  platform::SetClockSource([]() -> uint64_t { return 0; });
  g_startSave = new cSaveData(SaveData);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  dwDataVersion = kDataVersion;
  bStripCR = 1;
  std::vector<unsigned char> bytes(data, data + size);
  if (size >= 8 && std::equal(kGenMarker, kGenMarker + 4, data)) {
    const uint32_t seed = uint32_t{data[4]} | uint32_t{data[5]} << 8 | uint32_t{data[6]} << 16 | uint32_t{data[7]} << 24;
    stagegen::Source source(seed, data + 8, size - 8);
    bytes = stagegen::GenerateStage(source).SaveToBytes();
  }
  auto stage = std::make_unique<cStage>();
  if (!stage->LoadFromBytes(std::move(bytes), &DefaultReadContext())) return 0;
  stage->RegisterFields(dwDataVersion);
  // The player refuses a stage without hero before it plays.
  if (!stage->HasHero()) return 0;
  // Setting up a block map of millions of cells outlasts the timeout under
  // the sanitizers; the engine's tests cover the refusal of too large ones.
  int shift = 0;
  for (int64_t v = int64_t{stage->m_Width} + 19; v > 0; v >>= 1) ++shift;
  if ((int64_t{stage->m_Height} + 20) << shift > kFuzzBlockCells) return 0;
  Stage = std::move(*stage);
  StageCopy.AssignScalars(Stage);
  SaveData = *g_startSave;
  SeedRandom(0);

  auto world = std::make_unique<cPlayWorld>();
  PlayScene = world.get();
  PlayerInput.assign(1, cInput());
  world->SetSceneState(2, 0);
  SetStage(world.get(), 0, 1);
  CheckWorld(*world);
  const int64_t firstShotId = world->m_nNextShotId;
  for (int f = 0; f < kFrames && world->SceneState() == 2 && world->m_nNextShotId - firstShotId <= kFuzzShotsMade; ++f) {
    SetInput(PlayerInput[0], f);
    PlayFrame(world.get());
    CheckWorld(*world);
  }

  PlayScene = nullptr;
  Player.clear();
  CharaList.clear();
  ItemList.clear();
  BlockMap.clear();
  return 0;
}
