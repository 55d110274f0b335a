#include "app/play/PlayTransitions.h"

#include <algorithm>

#include "app/frame/MainWnd.h"
#include "app/frame/ProgramObjects.h"
#include "app/frame/SceneDirector.h"
#include "app/play/PlayScene.h"
#include "app/scenes/MenuCursor.h"
#include "base/Log.h"
#include "base/Paths.h"
#include "base/Thread.h"
#include "data/Database.h"
#include "data/Effect.h"
#include "data/Option.h"
#include "data/Ranking.h"
#include "data/Replay.h"
#include "data/SaveData.h"
#include "data/Stage.h"
#include "data/StageLoad.h"
#include "data/System.h"
#include "engine/Names.h"
#include "engine/Services.h"
#include "platform/Messages.h"

namespace {
constexpr const char* kStageExt = "stg4";
constexpr int kVideoMemory = 0, kSystemMemory = 1;

std::function<int()>& NodeClearAction() {
  static std::function<int()> action;
  return action;
}

void ClearRecordings() {
  Replay.Clear();
  PrevReplay.Clear();
}

std::string CutDot(std::string s) {
  if (!s.empty()) s.pop_back();
  return s;
}
}  // namespace

void SetStageNodeClearAction(std::function<int()> action) { NodeClearAction() = std::move(action); }

int BuildNextStagePathFor(std::string& out, int chaining, int clearDest, const std::string& explicitName,
                          const std::string& baseName, int part) {
  out.clear();
  if (chaining == 0 || clearDest == 0) return 0;
  std::string path;
  if (!explicitName.empty())
    path = CutDot(explicitName) + "." + kStageExt;
  else
    path = CutDot(baseName) + "-" + std::to_string(part) + "." + kStageExt;
  std::string found;
  if (FindLatestNumberedFileString(found, path, kStageExt)) {
    out = found;
    return 1;
  }
  return 0;
}

int cPlayScene::BuildNextStagePath(std::string& out, int part) {
  return BuildNextStagePathFor(out, nm::save::NextPartChain(SaveData), m_nClearDest, m_NextStageName,
                               nm::save::StageBaseName(SaveData), part);
}

int cPlayScene::IsFinalStage(int part) {
  std::string tmp;
  return BuildNextStagePath(tmp, part) ? 0 : 1;
}

int cPlayScene::LoadNextStage() {
  cSaveData& s = SaveData;
  if (nm::stage::GiveStatus(Stage)) {
    for (size_t i = 0; i < Player.size(); ++i) {
      cHero& h = Player[i];
      s.StoreCarriedStatus(static_cast<int>(i), h.m_Def, h.m_nHp, h.m_nSp, h.m_CharaEffect.m_nIndex,
                           h.m_CharaEffect.m_nMode, h.m_CharaEffect.m_bRepeat, m_nTime, nm::save::Lives(s),
                           nm::save::CurrentMusic(s));
    }
  }
  const int p = nm::save::nPart(s);
  // The next part, when chaining asks for one and its file loads.
  auto nextPart = [&]() -> bool {
    if (!nm::save::NextPartChain(s) || m_nClearDest == 0) return false;
    nm::save::nPart(s) = m_nClearDest;
    std::string path;
    BuildNextStagePath(path, m_nClearDest);
    if (path.empty() || !LoadStageForPlay(path, 1, &StageCopy)) return false;
    ClearRecordings();
    return true;
  };
  const int item = SceneDirector.m_nTitleItem;
  if (item == 0 || item == 1 || item == 2) {
    if (nextPart()) return kModePlay;
  }
  if (item == 0 || item == 1) {
    const int idx = nm::save::StageIndex(s);
    cVector<int32_t>& sw = nm::save::Switches(s);
    if (idx >= 0 && static_cast<size_t>(idx) < sw.size()) sw[idx] = 1;
    s.UpdateStageRecord(nm::save::StageBaseName(s), nm::save::SecondName(s), nm::save::StartVarFlag(s),
                        nm::save::StartVarNumber(s), nm::save::StartVarValue(s), nm::save::TotalScore(s));
    const int action = NodeClearAction() ? NodeClearAction()() : 0;
    if (action == 1) {
      s.StartNextRound();
      nm::save::nPart(s) = p;
      return kModeWorldMap;
    }
    if (action == 2) {
      MenuCursor.Current().nRow = item;
      return kModeTitle;
    }
    nm::save::nPart(s) = p;
    return kModeWorldMap;
  }
  if (item == 2) {
    const int n = nm::save::StageIndex(s);
    cVector<cChallengeRecord>& recs = nm::save::ChallengeRecords(s);
    if (n >= 1 && static_cast<size_t>(n - 1) < recs.size()) {
      cChallengeRecord& r = recs[n - 1];
      r.m_Cleared = 1;
      const int32_t total = nm::save::TotalScore(s);
      if (total > r.m_Best) {
        nm::save::ChallengeBestSum(s) += total - r.m_Best;
        r.m_Best = total;
      }
    }
    int32_t& open = nm::save::ChallengeOpenCount(s);
    if (n >= open) open = std::min<int32_t>(n + 1, nm::sys::ChallengeCount(SystemData));
    if (!s.Save("user_data\\challenge\\Challenge.dat")) WriteDebugLog("Challenge.dat not written");
    nm::save::nPart(s) = p;
    return kModeChallenge;
  }
  if (item == 3) {
    if (nm::save::NextPartChain(s) && !SceneDirector.m_Startup.m_bStartFilePlay.load()) {
      if (nextPart()) return kModePlay;
      nm::save::nPart(s) = p;
      return kModeTitle;
    }
    nm::save::bStartOverride(s) = 0;
    return kModePlay;
  }
  s.RestoreCheckpoint(true);
  return kModePlay;
}

void cPlayScene::RegisterRanking() {
  if (!SceneDirector.m_bRankings || !m_bNewRank || m_bRankDone) return;
  // Once per stage end, even while F3 stays held.
  m_bRankDone = 1;
  const int mode = nm::opt::RankMode(OptionData);
  if (mode == 1 || mode == 3) {
    m_RankName = nm::opt::RankName(OptionData);
  } else {
    m_RankName = nm::save::LastRankingName(SaveData);
    SendWindowRequest(kWmNameEntry, 0, 0, &bNameEntryDone);
    nm::save::LastRankingName(SaveData) = m_RankName;
  }
  PlaySE(16);
  cVector<cRankTable>& tables = nm::rank::Tables(Ranking);
  for (size_t i = 0; i < tables.size() && i < m_RankPlaces.size(); ++i)
    if (m_RankPlaces[i] != -1) tables[i].Insert(m_RankName, m_RankValues[i]);
  Ranking.Save(SceneDirector.m_nGameType, nm::save::StageBaseName(SaveData), nm::save::StartVarFlag(SaveData),
               nm::save::StartVarNumber(SaveData), nm::save::StartVarValue(SaveData));
  if (!thRanking.Start(&cPlayScene::RankingLoop, this)) return;
  while (!platform::PostThreadMessage(thRanking.GetThreadId(), 0x8000, 0, 0)) ThreadSleep(0);
  thRanking.Wait();
}

void BuildChipSheets() {
  DDSURFACEDATA* dst[2] = {&SurfaceTable[63], &SurfaceTable[64]};
  DDSURFACEDATA* src[2] = {&SurfaceTable[20], &SurfaceTable[21]};
  for (int k = 0; k < 2; ++k) {
    if (!dst[k]->lpDD && !dst[k]->lpDT) continue;
    DDFillSurface(dst[k], 0);
    if (!src[k]->lpDD && !src[k]->lpDT) continue;
    for (int r = 0; r < 30; ++r) {
      const int y = 8 + 32 * r;
      for (int d = 0; d < 4; ++d) {
        DDBlt(dst[k], 8 + 64 * d, y, 16, 16, src[k], 32 * d, 16 * r, 0);
        DDBlt(dst[k], 40 + 64 * d, y, 16, 16, src[k], 16 + 32 * d, 16 * r, 0);
      }
    }
  }
}

namespace {
DDBITMAPDATA Descriptor(const std::string& file, int memory, int cell, int alias) {
  DDBITMAPDATA bd;
  bd.strFile = file;
  bd.bTransparent = 1;
  bd.nDDMemory = memory;
  bd.bAlias = alias;
  bd.nMirrorW = bd.nMirrorH = cell;
  return bd;
}

void CreateFrom(cVector<DDSURFACEDATA>& surfaces, cVector<DDBITMAPDATA>& bitmaps, const DDBITMAPDATA& bd,
                const char* kind) {
  bitmaps.push_back(bd);
  surfaces.emplace_back();
  if (!DDCreateSurfaceFromFile(&surfaces.back(), bd.strFile, bd.bTransparent, DDSettings.nBpp, bd.nDDMemory,
                               bd.nD3DType, bd.bAlias, bd.bPaletteMap, bd.nMirrorW, bd.nMirrorH, 0))
    WriteDebugLog("%s %s \x93\xc7\x82\xdd\x8d\x9e\x82\xdd\x8e\xb8\x94\x73\x81\x49", kind, bd.strFile.c_str());
}

void Restart(cVector<DDSURFACEDATA>& surfaces, cVector<DDBITMAPDATA>& bitmaps, size_t n) {
  DDReleaseSurfaces(surfaces);
  surfaces.clear();
  bitmaps.clear();
  surfaces.reserve(n);
  bitmaps.reserve(n);
}
}  // namespace

void LoadStageBitmaps() {
  const cVector<cBmpCharaExc>& list = Database.m_BmpCharaExcs;
  Restart(StageBmpSurfaces, StageBmpBitmaps, list.size() * 4);
  for (size_t b = 1; b < list.size(); ++b) {
    const cBmpCharaExc& e = list[b];
    const int cell = e.m_DrawValue1 ? 32 * std::max(1, e.m_DrawValue2) : 32;
    const char* fail = "\x90\xea\x97\x70" "bmp";
    CreateFrom(StageBmpSurfaces, StageBmpBitmaps, Descriptor(e.m_File, kVideoMemory, 0, 0), fail);
    CreateFrom(StageBmpSurfaces, StageBmpBitmaps, Descriptor(e.m_File, kVideoMemory, cell, 0), fail);
    CreateFrom(StageBmpSurfaces, StageBmpBitmaps, Descriptor(e.m_File, kSystemMemory, 0, 0), fail);
    CreateFrom(StageBmpSurfaces, StageBmpBitmaps, Descriptor(e.m_File, kSystemMemory, cell, 0), fail);
  }
}

void LoadSwordImages() {
  const cVector<cSwordType>& list = Database.m_SwordTypes;
  Restart(SwordSurfaces, SwordBitmaps, list.size() * 4);
  const char* fail = "\x83\x5c\x81\x5b\x83\x68";
  for (const cSwordType& s : list) {
    CreateFrom(SwordSurfaces, SwordBitmaps, Descriptor(s.m_File, kVideoMemory, 0, 0), fail);
    CreateFrom(SwordSurfaces, SwordBitmaps, Descriptor(s.m_Text2, kVideoMemory, 0, 0), fail);
    CreateFrom(SwordSurfaces, SwordBitmaps, Descriptor(s.m_File, kSystemMemory, 0, 0), fail);
    CreateFrom(SwordSurfaces, SwordBitmaps, Descriptor(s.m_Text2, kSystemMemory, 0, 0), fail);
  }
}

void LoadEffectImages() {
  const cVector<cEffect>& list = Database.m_Effects;
  Restart(EffectSurfaces, EffectBitmaps, list.size() * 2);
  const char* fail = "\x83\x47\x83\x74\x83\x46\x83\x4e\x83\x67";
  for (size_t e = 1; e < list.size(); ++e) {
    CreateFrom(EffectSurfaces, EffectBitmaps, Descriptor(list[e].m_File, kVideoMemory, 0, 0), fail);
    CreateFrom(EffectSurfaces, EffectBitmaps, Descriptor(list[e].m_File, kSystemMemory, 0, 1), fail);
  }
}
