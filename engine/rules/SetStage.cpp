// Building the running world of a stage: SetStage and its helpers.
#include <cstdint>

#include "base/FrameTimer.h"
#include "base/LoadTexts.h"
#include "base/Log.h"
#include "base/Text.h"
#include "data/Replay.h"
#include "data/SaveData.h"
#include "data/Stage.h"
#include "data/System.h"
#include "engine/Names.h"
#include "engine/Services.h"
#include "engine/World.h"
#include "engine/flow/Triggers.h"
#include "engine/objects/Hits.h"
#include "engine/rules/Rules.h"
#include "engine/script/Expr.h"
#include "platform/Clock.h"

namespace {

constexpr int kMargin = 10;
constexpr int kTriggerBeforeStart = 21;

// Whether the play is the title screen's replay playback.
bool ReplayPlayback() { return SceneValues().GameType() == 3; }

int CellCenter(int chip) { return (chip + kMargin) * 32 + 16; }

}  // namespace

cList<cChara>::iterator RemoveCharaNode(cList<cChara>& list, cList<cChara>::iterator node) {
  node->DetachLinks();
  cPlayWorld& w = CurrentWorld();
  int side = node->m_nBlockSide;
  if (side >= 0 && side < kFactions) {
    CharaPtrList& faction = w.m_FactionCharas[static_cast<size_t>(side)];
    for (auto it = faction.begin(); it != faction.end(); ++it) {
      if (*it == &*node) {
        faction.erase(it);
        break;
      }
    }
  }
  return list.erase(node);
}

void BuildShotHitMask(cVector<int32_t>& mask, int k, int n) {
  // A negative count from broken data would step backwards out of the mask;
  // it checks every sub-step like 0.
  if (k < 0) k = 0;
  mask.assign(static_cast<size_t>(n < 0 ? 0 : n), k == 0 ? 1 : 0);
  if (k == 0 || n <= 0) return;
  double step = static_cast<double>(n) / k;
  double p = 0.0;
  int count = 0;
  while (TruncToInt(p) < n) {
    mask[static_cast<size_t>(TruncToInt(p))] = 1;
    count = count + 1;
    p = p + step;
  }
  if (count < k) mask.back() = 1;
}

void SetStage(cPlayWorld* world, int bLoadStage, int bRequestMusic) {
  cPlayWorld& w = *world;
  WriteDebugLog("In SetStage bLoadStage = %d", bLoadStage);
  w.m_nPlayFrames = 0;

  // 2. Containers.
  w.m_FactionShots.assign(kFactions, ShotPtrList());
  // Shots leave their owners' and targets' links first: the hero and the
  // characters are destroyed after them and would reach into freed shots.
  for (cShot& s : w.m_Shots) s.Unlink();
  w.m_Shots.clear();
  w.m_FactionCharas.assign(kFactions, CharaPtrList());
  CharaList.clear();
  ItemList.clear();

  // 3. Restore the stage.
  if (bLoadStage) {
    if (ReplayPlayback()) {
      cStage scratch;
      if (!Replay.LoadFile(Stage.m_Path, Stage, scratch, SaveData)) WindowRequests().RequestClose();
    }
    std::string path = Stage.m_Path;
    int resolved = Stage.m_Resolved, loaded = Stage.m_Loaded;
    Stage.AssignScalars(StageCopy);
    Stage.m_Path = path;
    Stage.m_Resolved = resolved;
    Stage.m_Loaded = loaded;
  }

  // 4. Seed and recordings. Without playback or recording the seed keeps
  // its value from the previous set-up (0 at the first).
  if (ReplayPlayback()) {
    w.m_dwSeed = nm::replay::Seed(Replay);
    Replay.RewindPlayback();
  } else if (nm::sys::ReplayRecording(SystemData)) {
    PrevReplaySave = ReplaySave;
    ReplaySave = SaveData;
    PrevReplay = Replay;
    Replay.Clear();
    Replay.m_DataVersion = kDataVersion;
    w.m_dwSeed = platform::GetTickCount32();
    nm::replay::SetSeed(Replay, w.m_dwSeed);
  }
  SeedRandom(w.m_dwSeed);

  // 5. Carried status.
  if (nm::stage::TakeStatus(Stage) && !Stage.m_PlacedCharas.empty()) {
    SaveData.ApplyCarriedStatus(0, Stage.m_PlacedCharas.At(Stage.FindHero()));
  }

  // 6. Music.
  {
    int m = nm::stage::Bgm(Stage), v = nm::stage::BgmExtra(Stage), k = nm::stage::BgmKeep(Stage);
    int c = nm::save::CurrentMusic(SaveData);
    if (bRequestMusic) {
      if (!(k && c == m))
        RequestStageBgm(m, v);
      else if (m == 0)
        RequestStageBgm(0, v);
    } else if (c != m) {
      RequestStageBgm(m, v);
    }
  }

  // 7.
  SceneValues().SetSceneMusic(0);
  w.m_nNextCharaId = w.m_nNextItemId = w.m_nNextShotId = 0;
  Stage.SetHitLevel(nm::stage::HitLevel(Stage));
  const int n = nm::stage::SubSteps(Stage);

  // 8. Scroll axes.
  const int W = nm::stage::MapW(Stage), H = nm::stage::MapH(Stage);
  w.m_ScrollX = cScrollAxis{};
  w.m_ScrollX.Layout(0, W, nm::stage::ExtentValueX(Stage));
  w.m_ScrollX.SetAutoSpeed(nm::stage::AutoScrollX(Stage), nm::stage::AutoSpeedX(Stage));
  w.m_ScrollX.SetBounds(nm::stage::LimitLeftCol(Stage), nm::stage::LimitRightCol(Stage), nm::stage::LimitLeftOn(Stage),
                        nm::stage::LimitRightOn(Stage));
  w.m_ScrollY = cScrollAxis{};
  w.m_ScrollY.Layout(1, H, nm::stage::ExtentValueY(Stage));
  w.m_ScrollY.SetAutoSpeed(nm::stage::AutoScrollY(Stage), nm::stage::AutoSpeedY(Stage));
  w.m_ScrollY.SetBounds(nm::stage::LimitTopRow(Stage), nm::stage::LimitBottomRow(Stage), nm::stage::LimitTopOn(Stage),
                        nm::stage::LimitBottomOn(Stage));

  // 9. Block map. Its rows are padded to a power of two and carry the
  // margins, so it holds more cells than the map; it may hold at most as
  // many as the largest map the stage reader accepts (about 800 MB), and a
  // larger one is refused like a failed allocation.
  const int s = w.m_ScrollX.m_nShift;
  BlockMap.clear();
  int64_t rows = w.m_ScrollY.m_nCells < 0 ? 0 : w.m_ScrollY.m_nCells;
  int64_t cells = s >= 0 && s < 40 ? rows << s : -1;
  if (cells > kMaxStageCells || cells <= 0) {
    ErrorReporter().ErrorBox(kStageOutOfMemory, kErrorBoxCaption);
    WindowRequests().RequestClose();
    return;
  }
  {
    cBlockCell empty;
    nm::block::Chip(empty) = 0;
    nm::block::HitKind(empty) = 0;
    nm::block::Protection(empty) = 0;
    BlockMap.assign(static_cast<size_t>(cells), empty);
  }
  for (const cBlockDef& b : Stage.m_PlacedBlocks) {
    int64_t index = (b.m_Col + kMargin) + (static_cast<int64_t>(b.m_Row + kMargin) << s);
    if (index < 0 || index >= cells || b.m_Col < -kMargin || b.m_Col + kMargin >= (1 << s)) index = -1;
    cBlockCell& cell = BlockMap.At(static_cast<int>(index));
    static_cast<cBlockDef&>(cell) = b;
    cell.bCondLatched = 0;
  }

  // 10. Hero. A stage without any placed character has nothing to play;
  // an empty hero stands at cell 0 instead of indexing an empty list.
  w.m_nHeroes = 1;
  Player.assign(1, cHero());
  cHero& hero = Player[0];
  if (!PlayerInput.empty()) hero.m_lpInput = &PlayerInput[0];
  cCharaDef fallback;
  cCharaDef& d = Stage.m_PlacedCharas.empty() ? fallback : Stage.m_PlacedCharas.At(Stage.FindHero());
  if (Stage.m_PlacedCharas.empty()) WriteDebugLog("The stage has no placed character.");
  bool override = nm::save::bStartOverride(SaveData) != 0;
  if (override && nm::save::nStartFacing(SaveData) != 2)
    d.m_Facing = static_cast<int8_t>(nm::save::nStartFacing(SaveData));
  hero.Setup(w.m_nNextCharaId++, &d, CellCenter(d.m_Col), CellCenter(d.m_Row), 0);
  if (override) {
    d.m_Col = static_cast<int16_t>(nm::save::nStartX(SaveData));
    d.m_Row = static_cast<int16_t>(nm::save::nStartY(SaveData));
  }
  hero.PlaceAtBlock(d.m_Col, d.m_Row);
  {
    double dx = d.CalcX(0, d.m_Facing), dy = d.CalcY(0, d.m_Facing);
    hero.m_dX += dx;
    hero.m_dRight += dx;
    hero.m_dY += dy;
    hero.m_dBottom += dy;
  }
  if (nm::stage::TakeStatus(Stage)) SaveData.GetCarriedValues(0, hero.m_nHp, hero.m_nSp);
  hero.m_Anim.Play(hero.m_bFly ? 2 : 0, 1);

  // 11. Camera.
  w.m_ScrollX.m_dPos = hero.m_dX - 320 + hero.m_nW / 2;
  w.m_ScrollX.Clamp();
  w.m_ScrollY.m_dPos = hero.m_dY - 240 + hero.m_nH / 2;
  w.m_ScrollY.Clamp();
  hero.UpdateScreenPos();

  // 12. Sight changes made during play rebuild the overlay too.
  if (!SightRebuildHook) SightRebuildHook = RebuildHeroSight;
  if (nm::chara::SightMode(hero.m_Def) != 0) CreateSightSurfaces(&SightDarkSD, &SightCircleSD);

  // 13.
  w.m_StageVars.assign(kStageVars, 0);

  // 14. Characters; 15. free items.
  cVector<uint8_t> held(Stage.m_PlacedItems.size(), 0);
  for (cCharaDef& c : Stage.m_PlacedCharas) {
    if (nm::chara::Kind(c) != 1) continue;
    int i = c.m_HeldItem;
    if (i == -1) {
      PlaceCharaAtCell(CharaList, c.m_Col, c.m_Row, &w.m_nNextCharaId, &c, nullptr);
      continue;
    }
    cItem item;
    item.InitFromDef(w.m_nNextItemId, &Stage.m_PlacedItems.At(i), 1);
    w.m_nNextItemId++;
    PlaceCharaAtCell(CharaList, c.m_Col, c.m_Row, &w.m_nNextCharaId, &c, &item);
    if (i >= 0 && static_cast<size_t>(i) < held.size()) held[static_cast<size_t>(i)] = 1;
  }
  for (size_t i = 0; i < Stage.m_PlacedItems.size(); ++i) {
    if (held[i]) continue;
    cItemDef& def = Stage.m_PlacedItems[i];
    PlaceItemAtCell(ItemList, def.m_Col, def.m_Row, &w.m_nNextItemId, &def);
  }

  // 17. Factions.
  auto addFaction = [&w](cCharaBase* c) {
    int side = c->m_nBlockSide;
    if (side >= 0 && side < kFactions) w.m_FactionCharas[static_cast<size_t>(side)].push_back(c);
  };
  addFaction(&hero);
  for (cChara& c : CharaList) addFaction(&c);

  // 18.
  w.m_bRemoveCharas = nm::area::AnyEdgeOn(Stage.m_RemoveAreas[0]);
  w.m_bRemoveBlockCharas = nm::area::AnyEdgeOn(Stage.m_RemoveAreas[1]);
  w.m_bRemoveItems = nm::area::AnyEdgeOn(Stage.m_RemoveAreas[2]);

  // 19.
  w.m_Messages.clear();
  w.m_Effects.clear();
  w.m_ScrEffect = cScrEffectPlayer{};
  w.m_ScreenColor.Reset();
  w.m_ModalWait.nCount = 0;
  ClearStagePictures(&w);
  ClearMessageSurfaces();

  // 20.
  BuildShotHitMask(w.m_ShotHitMask, nm::stage::ShotHitChecks(Stage), n);

  // 21.
  w.m_nClearResult = 0;
  w.m_nStateFrames = w.m_nStateFrames2 = 0;
  if (nm::stage::TimeLimitOn(Stage)) {
    w.m_bNoTimeLimit = 0;
    w.m_nTime = nm::stage::TimeLimit(Stage);
  } else {
    w.m_nTime = 999;
    w.m_bNoTimeLimit = 1;
  }
  w.m_nFrameCount = w.m_nPlayTime = 0;
  w.m_GroupActive.assign(kActivityGroups, 0);
  w.m_nClearDest = 0;
  w.m_nSubStep = w.m_nSubStepTotal = 0;

  // 22.
  nm::save::StageScore(SaveData) = 0;
  if (ReplayPlayback() || (SceneValues().StartedByEditor() && SceneValues().StartFilePlay()))
    for (int i = 0; i < kRankCategories; ++i) nm::save::RankTotal(SaveData, i) = 0;
  SaveData.SaveCheckpoint();

  // 23.
  for (cInput& in : PlayerInput) {
    in.ClearHistory();
    in.ResetCommandHistory();
  }

  // 24.-27. The shared second counter restarts; background layers keep no
  // scroll state apart from their offsets, which a restart leaves as they are.
  CountCycle(0, static_cast<uint32_t>(nm::stage::FrameRate(Stage)));
  SceneValues().RestorePalette();
  SceneValues().SetFrameRate(nm::stage::FrameRate(Stage));

  // 28. Targets.
  hero.InitTargets(nullptr);
  for (cChara& c : CharaList) c.InitTargets(nullptr);

  // 29. Flows before the stage starts.
  bool all = nm::sys::StartFlowsOfInactive(SystemData);
  if (!all) UpdateActiveObjects();
  RaiseEvent(&hero, kTriggerBeforeStart);
  for (auto it = CharaList.begin(); it != CharaList.end();) {
    if (!all && !it->m_bActive) {
      ++it;
      continue;
    }
    RaiseEvent(&*it, kTriggerBeforeStart);
    if (it->m_bVanished) {
      it = RemoveCharaNode(CharaList, it);
    } else if (it->m_nHp <= 0) {
      DefeatAndCheckEnd(&*it, CharaList);
      it = RemoveCharaNode(CharaList, it);
    } else {
      ++it;
    }
  }

  // 30.
  UpdateActiveObjects();
  w.m_nStatusStyle = nm::stage::StatusWindow(Stage);
  WriteDebugLog("Out SetStage");
}
