// Replay files: a stage body, the replay record and the save data.
#include "base/Log.h"
#include "data/Replay.h"
#include "data/SaveData.h"
#include "data/Stage.h"

cReplay Replay;
cReplay PrevReplay;

namespace {
// Files up to this version end after the replay record.
constexpr uint32_t kLastWithoutSaveData = 172;
}  // namespace

bool cReplay::SaveFile(const std::string& path, cStage& stage, cStage& scalars, const cSaveData& save) {
  cRecordWriter w;
  if (!OpenWrite(path, w)) return false;
  // Writing validates the stage; the stage being played (and the copy its
  // restarts come from) must not change under the game, so copies are written.
  cStage lists = stage;
  cStage scalarSource = scalars;
  if (!lists.WriteReplay(w, scalarSource)) return false;
  Write(w);
  cSaveData start = save;
  start.Write(w);
  return Close(w);
}

bool cReplay::LoadFile(const std::string& path, cStage& stage, cStage& copyTarget, cSaveData& save,
                       cReadContext* context) {
  cRecordReader r;
  if (!OpenRead(path, r, context)) return false;
  const uint32_t version = r.Version();

  cStage newStage;
  cReplay newReplay;
  cSaveData newSave = save;
  bool ok = newStage.Read(r) && r.Ok();
  ok = ok && newReplay.Read(r) && r.Ok();
  if (ok && version > kLastWithoutSaveData) ok = newSave.Read(r) && r.Ok();
  if (!ok) r.Fail();
  Close(r);
  if (!ok) {
    WriteLog("%s: broken replay file (%s).", path.c_str(), LastReadFailure().Text().c_str());
    return false;
  }

  cStage newCopy = copyTarget;
  newCopy.AssignScalars(newStage);
  newCopy.m_PlacedBlocks.clear();
  newCopy.m_PlacedCharas.clear();
  newCopy.m_PlacedItems.clear();
  newCopy.m_PaletteBlocks.clear();
  newCopy.m_PaletteCharas.clear();
  newCopy.m_PaletteItems.clear();

  // The loader's own state is not part of the file: a restart in playback
  // reads the file again by the stage's path.
  newStage.m_Path = stage.m_Path;
  newStage.m_Resolved = stage.m_Resolved;
  newStage.m_Loaded = stage.m_Loaded;
  stage = std::move(newStage);
  copyTarget = std::move(newCopy);
  *this = newReplay;
  if (version > kLastWithoutSaveData) save = std::move(newSave);
  return true;
}
