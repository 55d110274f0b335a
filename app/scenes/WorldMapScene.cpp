#include "app/scenes/WorldMapScene.h"

#include <algorithm>
#include <new>
#include <string>

#include "app/frame/AppTexts.h"
#include "app/frame/ProgramObjects.h"
#include "app/frame/SceneDirector.h"
#include "app/play/PlayTransitions.h"
#include "app/scenes/MenuSceneFrame.h"
#include "app/scenes/MenuScenes.h"
#include "app/scenes/RankingDraw.h"
#include "app/scenes/SceneMusic.h"
#include "base/Text.h"
#include "data/Cond.h"
#include "data/Ranking.h"
#include "data/SaveData.h"
#include "data/Stage.h"
#include "data/StageLoad.h"
#include "data/System.h"
#include "data/WorldMap.h"
#include "engine/Names.h"
#include "engine/Services.h"
#include "engine/World.h"
#include "media/graphics/Palette.h"
#include "media/input/Input.h"
#include "media/sound/DSound.h"

ScreenPos WorldConfirmPos{0, 260}, WorldRankingPos{367, 64};
int32_t HeroAnimCount = 0;
int32_t bNodeStageLoaded = 0;
ScreenPos LastViewOrigin{-1, -1};
sStageNodeRef CurrentStageNode;

namespace {

constexpr int kWorldBack = 54, kWorldChips = 52, kWorldEvents = 53, kAccessory = 49, kWindow = 45, kMapSurface = 67;
constexpr int kWorldMapPictures[] = {kWorldBack, kWorldChips, kWorldEvents, kAccessory, kWindow, kMapSurface};
constexpr int kHeroX = 288, kHeroY = 224;
// "ステージファイル %s が読み込めません！"
constexpr const char kStageUnreadable[] =
    "\x83X\x83" "e\x81[\x83W\x83t\x83@\x83" "C\x83\x8b %s \x82\xaa\x93\xc7\x82\xdd\x8d\x9e\x82\xdf\x82\xdc\x82\xb9\x82\xf1\x81I";
// "∞"
constexpr const char kInfinity[] = "\x81\x87";

bool WorldMapHasSurface(const DDSURFACEDATA& sd) { return HasPicture(sd); }
bool WorldMapCanDraw() { return HasPicture(BackBuffer); }

// Player 1's input record as the handlers read it (an empty one without).
cInput& WorldMapInput1() {
  static cInput none;
  return PlayerInput.empty() ? none : PlayerInput[0];
}

int Width() { return nm::wmap::Width(WorldMap); }
int Height() { return nm::wmap::Height(WorldMap); }

// The chip kind of a cell, the cell clamped to the map; null when the map is
// empty or the cell names no chip kind.
const cWorldChip* ChipAt(int col, int row) {
  const int w = Width(), h = Height();
  if (w <= 0 || h <= 0) return nullptr;
  col = std::clamp(col, 0, w - 1);
  row = std::clamp(row, 0, h - 1);
  const int shift = std::clamp<int>(nm::wmap::RowShift(WorldMap), 0, 30);
  const int64_t index = (int64_t{row} << shift) + col;
  const cVector<int32_t>& cells = nm::wmap::Cells(WorldMap);
  if (index < 0 || index >= static_cast<int64_t>(cells.size())) return nullptr;
  const int32_t kind = cells[static_cast<size_t>(index)];
  const cVector<cWorldChip>& chips = nm::wmap::Chips(WorldMap);
  if (kind < 0 || static_cast<size_t>(kind) >= chips.size()) return nullptr;
  return &chips[static_cast<size_t>(kind)];
}

bool SwitchOn(int s) { return nm::save::StoryStageCleared(SaveData, s); }

int32_t CommonVar(int v) {
  const cVector<int32_t>& vars = nm::save::CommonVars(SaveData);
  return v >= 0 && static_cast<size_t>(v) < vars.size() ? vars[static_cast<size_t>(v)] : 0;
}

bool StoryRankingMenuOn() {
  const cVector<cMenuSetting>& menus = nm::sys::RankingMenus(SystemData);
  return !menus.empty() && nm::sys::MenuOn(menus[0]) != 0;
}

int32_t StoryGameValue(const cVector<int32_t>& list) { return list.empty() ? 0 : list[0]; }

void WorldMapPostClose() { WindowRequests().RequestClose(); }

std::string StageUnreadableText(const std::string& file) { return FormatString(kStageUnreadable, file.c_str()); }

const std::string& WorldMapLabel(int k) {
  static const std::string empty;
  const cVector<std::string>& labels = nm::sys::Labels(SystemData);
  return k >= 0 && static_cast<size_t>(k) < labels.size() ? labels[static_cast<size_t>(k)] : empty;
}

}  // namespace

int32_t StoryStageStartLives(bool carry, bool infinite, int32_t lives, int32_t storyLives) {
  if (!carry) return storyLives;
  if (infinite) return kInfiniteLives;
  return lives >= kInfiniteLives ? kInfiniteLives : lives + 1;
}

int CurrentNodeClearAction() {
  if (nm::save::CurrentNodeFlag(SaveData) == 0) return 0;
  const cVector<cWorldPoint>& points = nm::wmap::Points(WorldMap);
  const sStageNodeRef r = CurrentStageNode;
  if (r.point < 0 || static_cast<size_t>(r.point) >= points.size()) return 0;
  const cVector<cWorldNode>& nodes = nm::wmap::PointNodes(points[static_cast<size_t>(r.point)]);
  if (r.node < 0 || static_cast<size_t>(r.node) >= nodes.size()) return 0;
  return nm::node::AfterClear(nodes[static_cast<size_t>(r.node)]);
}

// ---------------------------------------------------------------- node rules

cWorldNode* cWorldMapScene::SelectNode(cWorldPoint* point) {
  if (!point) return nullptr;
  for (cWorldNode& n : nm::wmap::PointNodes(*point)) {
    const int s = nm::node::NeedSwitch(n);
    if (s > 0 && !SwitchOn(s)) continue;
    const int v = nm::node::CondVar(n);
    if (v != 0 && !CompareCond(nm::node::CondOp(n), CommonVar(v), nm::node::CondValue(n))) continue;
    if (nm::save::MapTotalScore(SaveData) < nm::node::MinTotal(n)) continue;
    return &n;
  }
  return nullptr;
}

bool cWorldMapScene::IsCleared(const cWorldNode* node) {
  return node && SwitchOn(nm::node::ClearSwitch(*node));
}

bool cWorldMapScene::IsPassable(const cWorldNode* node) {
  return node && (nm::node::PassThrough(*node) != 0 || IsCleared(node));
}

bool cWorldMapScene::IsBlocked(int col, int row, const cWorldNode* node) {
  if (node) return nm::node::Kind(*node) == 2;
  const cWorldChip* chip = ChipAt(col, row);
  return chip && nm::wmap::ChipBlocked(*chip) != 0;
}

// ---------------------------------------------------------------- the scene

cWorldMapScene::cWorldMapScene() = default;

cWorldMapScene::~cWorldMapScene() { ReleaseMenuPictures(kWorldMapPictures, 6, true); }

int cWorldMapScene::Step() {
  MenuInput(15);
  static int (cWorldMapScene::*const kHandlers[])() = {&cWorldMapScene::StFadeIn, &cWorldMapScene::Main,
                                                       &cWorldMapScene::ConfirmBox, &cWorldMapScene::StFadeOut};
  return RunHandlers(this, kHandlers);
}

void cWorldMapScene::FindHereNode() {
  const MenuLevel& c = MenuCursor.Current();
  m_pPoint = nm::wmap::FindPointAt(WorldMap, c.nColumn, c.nRow);
  m_pNode = SelectNode(m_pPoint);
}

bool cWorldMapScene::OnStageNode() const { return m_pNode && nm::node::Kind(*m_pNode) == 0; }

void cWorldMapScene::SetHeroCell(int col, int row) {
  MenuLevel& c = MenuCursor.Current();
  c.nColumn = col;
  c.nRow = row;
  c.nX = kHeroX;
  c.nY = kHeroY;
  m_nViewX = col - 9;
  m_nViewY = row - 7;
}

void cWorldMapScene::RedrawMapSurface() {
  DrawMapSurface(&SurfaceTable[kMapSurface]);
  LastViewOrigin = {m_nViewX, m_nViewY};
}

void cWorldMapScene::Enter() {
  RequestSceneMusic(kMusicWorldMap);
  BitmapTable[kWorldBack].strFile = nm::wmap::BackPictureFile(WorldMap);
  LoadMenuPictures(kWorldMapPictures, 6);
  MenuCursor.Reset();
  SaveData.RecalcTotal();
  int col = nm::save::nMapX(SaveData), row = nm::save::nMapY(SaveData);
  // A position from a story slot may lie outside this map.
  if (Width() > 0) col = std::clamp(col, 0, Width() - 1);
  if (Height() > 0) row = std::clamp(row, 0, Height() - 1);
  SetHeroCell(col, row);
  m_nFacing = nm::save::MapFacing(SaveData);
  FindHereNode();
  m_SavedLevel = MenuCursor.Current();
  BuildRankingPanel();
  if (OnStageNode()) OnNodeChanged();
  const int slot = nm::save::LastStorySlot(SaveData);
  // A slot outside the list (a damaged story file) is never written.
  if (nm::save::AutoSave(SaveData) && SceneDirector.m_nPrevMode == kModePlay && slot >= 0 &&
      static_cast<size_t>(slot) < StorySlots.size())
    SaveData.SaveStory(slot);
  DrawMapSurface(&SurfaceTable[kMapSurface]);
  m_nSubState = 0;
}

void cWorldMapScene::FadeIn() {
  if (DDSettings.nBpp == 8) DrawRankingPanel();
  DrawScreen(nm::save::BackToMap(SaveData) ? 0 : 1);
  if (!MenuFadeIn()) return;
  m_nState = kMain;
  // The stage was left through the pause or continue menu. The flag is
  // cleared even off a stage node, so that it cannot send the hero back on a
  // later entry.
  const bool backToMap = nm::save::BackToMap(SaveData) != 0;
  nm::save::BackToMap(SaveData) = 0;
  if (!OnStageNode()) return;
  if (backToMap) {
    if (!IsCleared(m_pNode)) {
      SetHeroCell(nm::save::PrevCellX(SaveData), nm::save::PrevCellY(SaveData));
      FindHereNode();
      RedrawMapSurface();
    }
    return;
  }
  if (SceneDirector.m_nPrevMode == kModeMapMenu || IsPassable(m_pNode)) return;
  const std::string file = nm::node::StageFile(*m_pNode);
  if (!LoadStageForPlay(file, 1, &StageCopy)) {
    // The program closes; the scene waits in Main instead of retrying.
    ErrorReporter().ErrorBox(StageUnreadableText(file), apptext::kErrorCaption);
    WorldMapPostClose();
    return;
  }
  StartNodeStage();
  nm::save::PrevCellX(SaveData) = MenuCursor.Current().nColumn;
  nm::save::PrevCellY(SaveData) = MenuCursor.Current().nRow;
  m_nSubState = 0;
  SceneDirector.m_nNextMode = kModePlay;
  m_nState = kFadeOut;
}

void cWorldMapScene::FadeOut() {
  DrawScreen(1);
  MenuFadeOut(kModeWorldMap, true);
}

int cWorldMapScene::StFadeIn() {
  FadeIn();
  return 0;
}

int cWorldMapScene::StFadeOut() {
  FadeOut();
  return 0;
}

void cWorldMapScene::MoveOnMap(const cInput& input) {
  const uint16_t d = input.m_wDir;
  MenuLevel& c = MenuCursor.Current();
  if (d & (cInput::DIR_LEFT | cInput::DIR_RIGHT | cInput::DIR_UP | cInput::DIR_DOWN)) {
    nm::save::PrevCellX(SaveData) = c.nColumn;
    nm::save::PrevCellY(SaveData) = c.nRow;
    m_SavedLevel = c;
  }
  if (d & cInput::DIR_LEFT) {
    m_nFacing = 2;
    if (c.nColumn > 0) --c.nColumn;
  } else if (d & cInput::DIR_RIGHT) {
    m_nFacing = 3;
    if (c.nColumn < Width() - 1) ++c.nColumn;
  } else if (d & cInput::DIR_UP) {
    m_nFacing = 1;
    if (c.nRow > 0) --c.nRow;
  } else if (d & cInput::DIR_DOWN) {
    m_nFacing = 0;
    if (c.nRow < Height() - 1) ++c.nRow;
  }
  FindHereNode();
  if (IsBlocked(c.nColumn, c.nRow, m_pNode)) {
    // The hero stays but keeps the new facing.
    c = m_SavedLevel;
  } else {
    m_nViewX = c.nColumn - 9;
    m_nViewY = c.nRow - 7;
    nm::save::SetMapFacing(SaveData, m_nFacing);
    if (m_nViewX != LastViewOrigin.x || m_nViewY != LastViewOrigin.y) DrawMapSurface(&SurfaceTable[kMapSurface]);
    LastViewOrigin = {m_nViewX, m_nViewY};
  }
  c.nX = kHeroX;
  c.nY = kHeroY;
}

void cWorldMapScene::OpenConfirmBox() {
  nm::save::nMapX(SaveData) = MenuCursor.Current().nColumn;
  nm::save::nMapY(SaveData) = MenuCursor.Current().nRow;
  MenuCursor.Push(0);
  m_nSubState = 0;
  m_nState = kConfirmBox;
}

void cWorldMapScene::CloseConfirmBox() {
  // The box's level is closed either way, so the cursor stack never grows
  // with boxes opened and closed.
  MenuCursor.Pop(1);
  // On a point that blocks the way the hero goes back to the cell he came from.
  if (!IsPassable(m_pNode)) MenuCursor.Current() = m_SavedLevel;
  m_nSubState = 0;
  m_nState = kMain;
}

void cWorldMapScene::RankingButtons(uint16_t buttons) {
  if (buttons & 4) {
    if (StoryRankingMenuOn()) {
      PlaySE(6);
      int32_t& shown = nm::save::RankingDisplay(SaveData);
      shown = shown ? 0 : 1;
      DrawRankingPanel();
    } else if (nm::save::RankingDisplay(SaveData)) {
      nm::save::RankingDisplay(SaveData) = 0;
      DrawRankingPanel();
    }
  } else if ((buttons & 8) && StoryRankingMenuOn()) {
    if (SystemData.GetMenuItemCount(SceneDirector.m_nGameType) >= 2) {
      PlaySE(6);
      MoveSystemMenuCursor(SaveData, SceneDirector.m_nGameType, 1);
    }
    DrawRankingPanel();
  }
}

int cWorldMapScene::Main() {
  cInput& in = WorldMapInput1();
  MoveOnMap(in);
  DS_PlayCursor(in.m_wDir, 3, 0);
  FindHereNode();
  const uint16_t b = in.m_wButton;
  if (OnStageNode()) {
    const MenuLevel& c = MenuCursor.Current();
    if (c.nColumn != m_NodeLevel.nColumn || c.nRow != m_NodeLevel.nRow) {
      OnNodeChanged();
      m_NodeLevel = c;
    }
    if (!IsPassable(m_pNode)) {
      OpenConfirmBox();
      return 0;
    }
    if (b & 1) {
      if (!(IsCleared(m_pNode) && nm::node::Replay(*m_pNode) == 0)) {
        OpenConfirmBox();
        return 0;
      }
    } else {
      RankingButtons(b);
    }
  }
  if (b & 2) {
    PlaySE(4);
    nm::save::nMapX(SaveData) = MenuCursor.Current().nColumn;
    nm::save::nMapY(SaveData) = MenuCursor.Current().nRow;
    m_nSubState = 0;
    SceneDirector.m_nNextMode = kModeMapMenu;
    m_nState = kFadeOut;
    return 0;
  }
  DrawScreen(1);
  return 0;
}

int cWorldMapScene::ConfirmBox() {
  cInput& in = WorldMapInput1();
  if (m_nSubState == 0) {
    PlaySE(1);
    const std::string file = m_pNode ? nm::node::StageFile(*m_pNode) : std::string();
    bNodeStageLoaded = LoadStageForPlay(file, 1, &StageCopy) ? 1 : 0;
    if (!bNodeStageLoaded) ErrorReporter().ErrorBox(StageUnreadableText(file), apptext::kErrorCaption);
    MenuCursor.Current().nRow = 1;
    m_nSubState = 1;
  }
  WorldConfirmPos.x = CalcLabelBoxX(304, 10, 2, 1);
  MenuCursor.MoveGrid(in, WorldConfirmPos.x, WorldConfirmPos.y, 0, 16, 1, 2);
  DS_PlayCursor(in.m_wDir, 2, 0);
  const uint16_t b = in.m_wButton;
  if (b & 1) {
    PlaySE(1);
    if (MenuCursor.Current().nRow == 0 && bNodeStageLoaded) {
      nm::save::SetMapFacing(SaveData, m_nFacing);
      StartNodeStage();
      m_nSubState = 0;
      SceneDirector.m_nNextMode = kModePlay;
      m_nState = kFadeOut;
      return 0;
    }
    CloseConfirmBox();
    return 0;
  }
  if (b & 2) {
    PlaySE(2);
    CloseConfirmBox();
    return 0;
  }
  RankingButtons(b);
  DrawScreen(1);
  if (WorldMapCanDraw()) {
    DrawLabelBox(WorldConfirmPos.x, WorldConfirmPos.y, 10, 2, 1);
    DrawSmallCursor(MenuCursor.Current().nX, MenuCursor.Current().nY);
  }
  return 0;
}

void cWorldMapScene::OnNodeChanged() {
  if (!m_pNode) return;
  cWorldNode& n = *m_pNode;
  SaveData.SetStageName(nm::node::StageFile(n), nm::node::StartVarFlag(n), nm::node::StartVarNumber(n),
                        nm::node::StartVarValue(n));
  m_nNodeBest = SaveData.GetStageBest(nm::save::CurrentStageFile(SaveData));
  if (SceneDirector.m_bRankings) {
    Ranking.Load(SceneDirector.m_nGameType, nm::save::StageBaseName(SaveData), nm::save::StartVarFlag(SaveData),
                 nm::save::StartVarNumber(SaveData), nm::save::StartVarValue(SaveData));
    MoveSystemMenuCursor(SaveData, SceneDirector.m_nGameType, 0);
    if (WorkSurface()) DrawRankingPanel();
  }
}

void cWorldMapScene::StartNodeStage() {
  if (!m_pNode) return;
  cSaveData& s = SaveData;
  const cVector<cWorldPoint>& points = nm::wmap::Points(WorldMap);
  CurrentStageNode = sStageNodeRef();
  if (m_pPoint && !points.empty() && m_pPoint >= &points[0] && m_pPoint < &points[0] + points.size()) {
    CurrentStageNode.point = static_cast<int32_t>(m_pPoint - &points[0]);
    const cVector<cWorldNode>& nodes = nm::wmap::PointNodes(*m_pPoint);
    if (!nodes.empty() && m_pNode >= &nodes[0] && m_pNode < &nodes[0] + nodes.size())
      CurrentStageNode.node = static_cast<int32_t>(m_pNode - &nodes[0]);
  }
  nm::save::CurrentNodeFlag(s) = CurrentStageNode.node >= 0 ? 1 : 0;
  SetStageNodeClearAction(&CurrentNodeClearAction);
  const cWorldNode& n = *m_pNode;
  s.SetStageName(nm::stage::Path(Stage), nm::node::StartVarFlag(n), nm::node::StartVarNumber(n),
                 nm::node::StartVarValue(n));
  nm::save::nPart(s) = 1;
  nm::save::StageIndex(s) = nm::node::ClearSwitch(n);
  // A story stage of several parts goes on to its next part when its clear
  // command names one.
  nm::save::NextPartChain(s) = 1;
  nm::save::LivesAtStageStart(s) =
      StoryStageStartLives(nm::sys::CarryLives(SystemData) != 0,
                           StoryGameValue(nm::sys::InfiniteLives(SystemData)) != 0, nm::save::Lives(s),
                           StoryGameValue(nm::sys::InitialLives(SystemData)));
}

// ---------------------------------------------------------------- drawing

void cWorldMapScene::BuildRankingPanel() {
  ReleaseMenuPictures(nullptr, 0, true);
  // Without a graphics device (headless) there is no panel to make.
  if (!WorldMapCanDraw()) return;
  if (MakeWorkSurface(272, 352, 1)) DrawRankingPanel();
}

void cWorldMapScene::DrawRankingPanel() {
  DDSURFACEDATA* work = WorkSurface();
  if (!work || !WorldMapHasSurface(*work)) return;
  DDSURFACEDATA& panel = *work;
  DDFillSurface(&panel, 0);
  DrawRanking(Ranking, &panel, 0, 0, nm::save::RankingCategory(SaveData), -1);
  panel.bLost = 0;
}

void cWorldMapScene::DrawMapSurface(DDSURFACEDATA* surface) {
  if (!surface || !WorldMapHasSurface(*surface)) return;
  DDFillSurface(surface, static_cast<uint32_t>(nm::wmap::BackColour(WorldMap)));
  if (nm::wmap::BackPicture(WorldMap) && WorldMapHasSurface(SurfaceTable[kWorldBack])) {
    const int dx = m_nViewX < 0 ? -32 * m_nViewX : 0, dy = m_nViewY < 0 ? -32 * m_nViewY : 0;
    DDBlt(surface, dx, dy, 640, 480, &SurfaceTable[kWorldBack], std::max(0, 32 * m_nViewX),
          std::max(0, 32 * m_nViewY), 0);
  }
  if (WorldMapHasSurface(SurfaceTable[kWorldChips])) {
    DDBeginSpriteBatch(0);
    for (int i = 0; i < 15; ++i)
      for (int j = 0; j < 20; ++j) {
        const int col = m_nViewX + j, row = m_nViewY + i;
        if (col < 0 || row < 0 || col >= Width() || row >= Height()) continue;
        const cWorldChip* chip = ChipAt(col, row);
        if (!chip) continue;
        const int p = std::max(0, nm::wmap::ChipPicture(*chip));
        DDBlt(surface, 32 * j, 32 * i, 32, 32, &SurfaceTable[kWorldChips], (p % 5) * 32, (p / 5) * 32, 1);
      }
    DDEndSpriteBatch();
  }
  if (WorldMapHasSurface(SurfaceTable[kWorldEvents])) {
    DDBeginSpriteBatch(0);
    for (cWorldPoint& pt : nm::wmap::Points(WorldMap)) {
      const int x = nm::wmap::PointX(pt), y = nm::wmap::PointY(pt);
      if (x < m_nViewX || x >= m_nViewX + 20 || y < m_nViewY || y >= m_nViewY + 15) continue;
      const cWorldNode* node = SelectNode(&pt);
      if (!node) continue;
      DDBlt(surface, 32 * (x - m_nViewX), 32 * (y - m_nViewY), 32, 32, &SurfaceTable[kWorldEvents],
            IsCleared(node) ? 32 : 0, 32 * nm::node::PictureRow(*node), 1);
    }
    DDEndSpriteBatch();
  }
  surface->bLost = 0;
}

void cWorldMapScene::DrawHero() {
  static const int kCells[4][2] = {{0, 64}, {64, 64}, {64, 96}, {0, 96}};
  const int* cell = kCells[std::clamp(m_nFacing, 0, 3)];
  const int step = HeroAnimCount < 40 ? 0 : 32;
  HeroAnimCount = (HeroAnimCount + 1) % 80;
  DrawAccessoryCell(&BackBuffer, kHeroX, kHeroY, cell[0] + step, cell[1], 32, 32);
}

void cWorldMapScene::DrawScreen(int withInfo) {
  if (!WorldMapCanDraw()) return;
  DDSURFACEDATA& map = SurfaceTable[kMapSurface];
  if (map.bLost) DrawMapSurface(&map);
  if (WorldMapHasSurface(map)) DDBlt(&BackBuffer, 0, 0, 640, 480, &map, 0, 0, 0);
  DrawHero();
  if (nm::sys::ShowLives(SystemData)) {
    const int32_t lives = nm::save::Lives(SaveData);
    const int n = lives == kInfiniteLives ? 1 : std::min(CountDigits(lives), 10);
    const int x = 605 - 16 * n;
    Fonts[1].DrawBox(&BackBuffer, x, 17, 16 * (n + 1), 20);
    DrawAccessoryCell(&BackBuffer, x, 19, 0, 48, 16, 16);
    if (lives == kInfiniteLives) Font::Printf(&Fonts[1], &BackBuffer, x + 16, 19, "%s", kInfinity);
    else Font::Printf(&Fonts[1], &BackBuffer, x + 16, 19, "%d", lives);
  }
  if (!withInfo || !OnStageNode()) return;
  if (StoryRankingMenuOn() && nm::save::RankingDisplay(SaveData))
    ShowWorkSurface(WorldRankingPos.x, WorldRankingPos.y, 0, [this] { DrawRankingPanel(); });
  const bool best = nm::sys::NodeBest(SystemData) && m_nNodeBest > 0;
  const int y = best ? 184 : 204;
  const std::string& caption = nm::node::Caption(*m_pNode);
  const int c = CountChars(caption.c_str());
  if (c > 0) Font::PrintfBox(&Fonts[1], &BackBuffer, 304 - 8 * c, y, 16 * c, 16, "%s", caption.c_str());
  if (best) {
    const std::string& label = WorldMapLabel(2);
    const int w = 16 * (CountChars(label.c_str()) + CountDigits(m_nNodeBest));
    Font::PrintfBox(&Fonts[1], &BackBuffer, 304 - w / 2, y + 20, w, 16, "%s%d", label.c_str(), m_nNodeBest);
  }
}

cScene* NewWorldMapScene() { return new (std::nothrow) cWorldMapScene(); }
