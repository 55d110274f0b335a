#include "app/scenes/TitleScene.h"

#include <algorithm>
#include <mutex>
#include <new>

#include "app/frame/MainWnd.h"
#include "app/frame/PaletteVariants.h"
#include "app/frame/ProgramObjects.h"
#include "app/frame/SceneDirector.h"
#include "app/play/PlayTransitions.h"
#include "app/play/ReplayRequests.h"
#include "app/scenes/MenuCursor.h"
#include "app/scenes/MenuSceneFrame.h"
#include "app/scenes/MenuScenes.h"
#include "app/scenes/SceneMusic.h"
#include "base/Paths.h"
#include "base/Text.h"
#include "data/Cmd.h"
#include "data/SaveData.h"
#include "data/Stage.h"
#include "data/StageLoad.h"
#include "data/System.h"
#include "data/WorldMap.h"
#include "engine/Names.h"
#include "engine/Services.h"
#include "engine/World.h"
#include "media/graphics/Font.h"
#include "media/graphics/Shape.h"
#include "media/input/Input.h"
#include "media/sound/DSound.h"

sMenuPos TitleMenuPos{192, 240}, TitleSlotPos{160, 160};

namespace {

constexpr int kTitlePictures[] = {kPicTitle, kPicGameMode, kPicAccessory, kPicWindow};

std::mutex g_requestMutex;
sTitleRequests g_requests;

sTitleRequests Requests() {
  std::lock_guard<std::mutex> lock(g_requestMutex);
  return g_requests;
}

int32_t PerGameType(const cVector<int32_t>& list, int type) {
  return type >= 0 && static_cast<size_t>(type) < list.size() ? list[static_cast<size_t>(type)] : 0;
}

int32_t RankingsOn(int type) {
  const cVector<cMenuSetting>& menus = nm::sys::RankingMenus(SystemData);
  return type >= 0 && static_cast<size_t>(type) < menus.size() && menus[static_cast<size_t>(type)].m_On != 0 ? 1 : 0;
}

// Lives at stage start and lives for a game type (infinite: 999999 both).
void SetLivesOf(int type, bool infinite) {
  if (infinite || PerGameType(nm::sys::InfiniteLives(SystemData), type) != 0) {
    nm::save::LivesAtStageStart(SaveData) = kInfiniteLives;
    nm::save::Lives(SaveData) = kInfiniteLives;
    return;
  }
  const int32_t n = PerGameType(nm::sys::InitialLives(SystemData), type);
  nm::save::LivesAtStageStart(SaveData) = n;
  nm::save::Lives(SaveData) = n - 1;
}

const cInput& TitleInput1() {
  static const cInput none;
  return PlayerInput.empty() ? none : PlayerInput[0];
}

std::string TitleLabel(int32_t item) {
  const cVector<cCmd>& menu = nm::sys::TitleMenu(SystemData);
  return item >= 0 && static_cast<size_t>(item) < menu.size() ? nm::menu::Label(menu[static_cast<size_t>(item)])
                                                               : std::string();
}

}  // namespace

// ------------------------------------------------------------ starting games

void SetTitleRequests(sTitleRequests requests) {
  std::lock_guard<std::mutex> lock(g_requestMutex);
  g_requests = std::move(requests);
}

void NewStoryGame() {
  cSaveData& s = SaveData;
  // Cleared record; 25 carried-status flags; one carried-status record; 1000
  // switches with switch 0 on; 1001 common variables; no stage or challenge
  // records; one challenge stage open; no story slot; player "aaa".
  s.Reset();
  nm::save::nMapX(s) = nm::wmap::StartX(WorldMap);
  nm::save::nMapY(s) = nm::wmap::StartY(WorldMap);
  nm::save::CycleCounter(s) = 0;
  SetLivesOf(0, false);
}

bool StartFreeStage(const std::string& path, int resolve) {
  std::string name = path;
  SaveData.Reset();
  if (!LoadStageForPlay(name, resolve, &StageCopy)) return false;
  nm::save::StageIndex(SaveData) = 1;
  nm::save::nPart(SaveData) = 1;
  SetLivesOf(2, SceneDirector.m_Startup.m_bStartFilePlay.load() != 0);
  MakeRelativePath(name);
  SaveData.SetStageName(name, 0, 0, 0);
  return true;
}

void SelectGameType(int32_t type) {
  SceneDirector.m_nGameType = type;
  SceneDirector.m_bRankings = RankingsOn(type);
}

bool RequestOpenStage() { return SendWindowRequest(kWmOpenStage, 0, 0, &bDialogDone) != 0; }

void InstallTitleScene() {
  SetPlayStartFreeStage(StartFreeStage);
  sStartupHooks startup = SceneDirector.m_Startup.Hooks();
  startup.StartFreeStage = StartFreeStage;
  SceneDirector.m_Startup.SetHooks(startup);
  sWindowRequestHooks window = GetWindowRequestHooks();
  window.StartFreeStage = StartFreeStage;
  SetWindowRequestHooks(window);
}

int32_t BuildTitleItems(const cVector<cCmd>& menu, int32_t (&items)[kTitleItems]) {
  int32_t n = 0;
  for (size_t i = 0; i < menu.size() && n < kTitleItems; ++i)
    if (nm::menu::Enabled(menu[i])) items[n++] = static_cast<int32_t>(i);
  if (n == 0) items[n++] = 0;
  return n;
}

int32_t TitleCursorRow(int32_t titleItem, const int32_t* items, int32_t count) {
  for (int32_t i = 0; i < count; ++i)
    if (items[i] == titleItem) return i;
  return titleItem;
}

int32_t TitleMenuWidth(bool pictureMenu, int32_t pictureWidth, int32_t longestLabel) {
  return pictureMenu ? pictureWidth + 32 : longestLabel * 32 + 34;
}

int32_t TitleMenuX(int32_t pictureWidth) { return 288 - pictureWidth / 2; }

// ------------------------------------------------------------ the scene

cScene* NewTitleScene() { return new (std::nothrow) cTitleScene(); }

cTitleScene::~cTitleScene() { ReleaseMenuPictures(kTitlePictures, 4, true); }

int cTitleScene::Step() {
  MenuInput(3);
  static int (cTitleScene::*const kHandlers[])() = {&cTitleScene::StFadeIn, &cTitleScene::MainMenu,
                                                    &cTitleScene::SlotMenu, &cTitleScene::StFadeOut};
  return RunHandlers(this, kHandlers);
}

void cTitleScene::Enter() {
  RequestSceneMusic(kMusicTitle);
  LoadMenuPictures(kTitlePictures, 4);
  MenuCursor.Reset();
  m_nItemCount = BuildTitleItems(nm::sys::TitleMenu(SystemData), m_Items);
  MenuCursor.Current().nRow = TitleCursorRow(SceneDirector.m_nTitleItem, m_Items, m_nItemCount);
  if (nm::sys::PictureMenu(SystemData)) TitleMenuPos.x = TitleMenuX(SurfaceTable[kPicGameMode].nWidth);
  BuildMenuSurface();
  m_nSubState = 0;
}

void cTitleScene::BuildMenuSurface() {
  int l = 0;
  for (int32_t i = 0; i < m_nItemCount; ++i) l = std::max(l, CountChars(TitleLabel(m_Items[i]).c_str()));
  const int32_t w = TitleMenuWidth(nm::sys::PictureMenu(SystemData) != 0, SurfaceTable[kPicGameMode].nWidth, l);
  if (MakeWorkSurface(w, m_nItemCount * 32 + 2, 1)) DrawMenuSurface();
}

void cTitleScene::DrawMenuSurface() {
  DDSURFACEDATA* work = WorkSurface();
  if (!work || !HasPicture(*work)) return;
  if (nm::sys::PictureMenu(SystemData)) {
    DDSURFACEDATA& strip = SurfaceTable[kPicGameMode];
    DDFillSurface(work, 0);
    if (!HasPicture(strip)) return;
    for (int32_t i = 0; i < m_nItemCount; ++i) DDBlt(work, 32, 32 * i, strip.nWidth, 32, &strip, 0, 32 * m_Items[i], 0);
    return;
  }
  DDDrawBox(work, 1, 1, work->nWidth - 2, work->nHeight - 2, &SurfaceTable[kPicWindow], 1, 240);
  for (int32_t i = 0; i < m_nItemCount; ++i) Fonts[2].DrawText(work, 32, 32 * i, TitleLabel(m_Items[i]).c_str());
}

void cTitleScene::DrawScreen() {
  DDSURFACEDATA& title = SurfaceTable[kPicTitle];
  if (HasPicture(title) && HasPicture(BackBuffer)) DDBlt(&BackBuffer, 0, 0, title.nWidth, title.nHeight, &title, 0, 0, 0);
  ShowWorkSurface(TitleMenuPos.x, TitleMenuPos.y, 1, [this] { DrawMenuSurface(); });
  CycleBlinkColors();
}

void cTitleScene::FadeIn() {
  if (SceneDirector.m_Startup.m_nScreenBpp == 8) DrawMenuSurface();
  DrawScreen();
  if (MenuFadeIn()) m_nState = kMainMenu;
}

void cTitleScene::FadeOut() { MenuFadeOut(kModeTitle, true); }

int cTitleScene::StFadeIn() {
  FadeIn();
  return 0;
}

int cTitleScene::StFadeOut() {
  FadeOut();
  return 0;
}

int cTitleScene::MainMenu() {
  const cInput& in = TitleInput1();
  MenuCursor.MoveGrid(in, TitleMenuPos.x, TitleMenuPos.y, 0, 32, 1, m_nItemCount);
  DS_PlayCursor(in.m_wDir, 2, 0);
  if (!(in.m_wButton & 1)) {
    DrawScreen();
    DrawLargeCursor(MenuCursor.Current().nX, MenuCursor.Current().nY);
    return 0;
  }
  PlaySE(1);
  const int32_t row = std::clamp(MenuCursor.Current().nRow, 0, m_nItemCount - 1);
  const int32_t item = m_Items[row];
  SceneDirector.m_nTitleItem = item;
  Confirm(item);
  return 0;
}

void cTitleScene::Confirm(int32_t item) {
  cSceneDirector& d = SceneDirector;
  const sTitleRequests requests = Requests();
  switch (item) {
    case kTitleNewStory:
      SelectGameType(0);
      NewStoryGame();
      d.m_nNextMode = kModeWorldMap;
      m_nState = kFadeOut;
      break;
    case kTitleContinue:
      SelectGameType(0);
      MenuCursor.Push(0);
      m_nState = kSlotMenu;
      m_nSubState = 0;
      break;
    case kTitleChallenge:
      SelectGameType(1);
      if (!SaveData.LoadChallenge()) {
        // No progress yet: fresh progress over the project's challenge stages.
        SaveData.Reset();
        const int32_t n = std::max(nm::sys::ChallengeCount(SystemData), 0);
        nm::save::ChallengeRecords(SaveData).assign(static_cast<size_t>(n), cChallengeRecord());
      }
      d.m_nNextMode = kModeChallenge;
      m_nState = kFadeOut;
      break;
    case kTitleFree:
      SelectGameType(2);
      if (requests.OpenStage ? requests.OpenStage() : RequestOpenStage()) {
        d.m_nNextMode = kModePlay;
        m_nState = kFadeOut;
      }
      break;
    case kTitleReplay:
      SelectGameType(3);
      if (requests.OpenReplay ? requests.OpenReplay() : RequestOpenReplay() != 0) {
        d.m_nNextMode = kModePlay;
        m_nState = kFadeOut;
      }
      break;
    case kTitleOptions:
      d.m_nNextMode = kModeOption;
      m_nState = kFadeOut;
      break;
    case kTitleQuit: WindowRequests().RequestClose(); break;
    default: break;
  }
}

int cTitleScene::SlotMenu() {
  const cInput& in = TitleInput1();
  if (m_nSubState == 0) {
    MenuCursor.Current() = MenuLevel();
    m_nSlotTop = 0;
    m_nSubState = 1;
    ScanStorySlots(StorySlots);
  }
  const int32_t slots = static_cast<int32_t>(StorySlots.size());
  m_nSlotRows = std::min(slots, 10);
  MenuCursor.MoveList(in, 1, m_nSlotTop, TitleSlotPos.y, 16, TitleSlotPos.x, m_nSlotRows, slots, 1);
  DS_PlayCursor(in.m_wDir, 3, 0);
  if (in.m_wButton & 1) {
    const int32_t slot = MenuCursor.Current().nRow;
    const bool exists = slot >= 0 && slot < slots && nm::slot::Exists(StorySlots[static_cast<size_t>(slot)]) != 0;
    // A slot that no longer reads completely is refused like an empty one,
    // and the game in memory stays as it was.
    if (!exists || !SaveData.LoadStory(slot)) {
      if (exists) StorySlots[static_cast<size_t>(slot)].m_Exists = 0;
      PlaySE(3);
      return 0;
    }
    PlaySE(1);
    SceneDirector.m_nNextMode = kModeWorldMap;
    m_nState = kFadeOut;
    return 0;
  }
  if (in.m_wButton & 2) {
    PlaySE(2);
    MenuCursor.Pop(1);
    m_nState = kMainMenu;
    m_nSubState = 0;
    return 0;
  }
  DDSURFACEDATA& title = SurfaceTable[kPicTitle];
  if (HasPicture(title) && HasPicture(BackBuffer)) DDBlt(&BackBuffer, 0, 0, title.nWidth, title.nHeight, &title, 0, 0, 0);
  CycleBlinkColors();
  if (HasPicture(BackBuffer)) DrawSlotList(&BackBuffer, TitleSlotPos.x, TitleSlotPos.y, StorySlots, m_nSlotTop, m_nSlotRows);
  DrawSmallCursor(MenuCursor.Current().nX, MenuCursor.Current().nY);
  return 0;
}
