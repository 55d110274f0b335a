#include "app/scenes/ChallengeScene.h"

#include <algorithm>
#include <new>

#include "app/frame/AppTexts.h"
#include "app/frame/PaletteVariants.h"
#include "app/frame/ProgramObjects.h"
#include "app/frame/SceneDirector.h"
#include "app/scenes/MenuCursor.h"
#include "app/scenes/MenuSceneFrame.h"
#include "app/scenes/MenuScenes.h"
#include "app/scenes/RankingDraw.h"
#include "app/scenes/SceneMusic.h"
#include "base/Text.h"
#include "data/DataPaths.h"
#include "data/Ranking.h"
#include "data/SaveData.h"
#include "data/Stage.h"
#include "data/StageLoad.h"
#include "data/System.h"
#include "engine/Names.h"
#include "engine/Services.h"
#include "engine/World.h"
#include "media/graphics/Font.h"
#include "media/input/Input.h"
#include "media/sound/DSound.h"

namespace {

constexpr int kChallengePictures[] = {kPicAccessory, kPicWindow};
constexpr sMenuPos kRankingPos{292, 108};
constexpr int kListY = 160;
constexpr int kGameType = 1;

// "ステージファイル %s が読み込めません！" and "エラー".
constexpr const char* kChallengeStageUnreadable =
    "\x83\x58\x83\x65\x81\x5B\x83\x57\x83\x74\x83\x40\x83\x43\x83\x8B %s \x82\xAA\x93\xC7\x82\xDD\x8D\x9E\x82\xDF\x82\xDC"
    "\x82\xB9\x82\xF1\x81\x49";

const cInput& ChallengeInput1() {
  static const cInput none;
  return PlayerInput.empty() ? none : PlayerInput[0];
}

std::string ChallengeLabel(int i) {
  const cVector<std::string>& labels = nm::sys::Labels(SystemData);
  return i >= 0 && static_cast<size_t>(i) < labels.size() ? labels[static_cast<size_t>(i)] : std::string();
}

bool RankingMenuOn() {
  const cVector<cMenuSetting>& menus = nm::sys::RankingMenus(SystemData);
  return static_cast<size_t>(kGameType) < menus.size() && menus[kGameType].m_On != 0;
}

int32_t ChallengePerGameType(const cVector<int32_t>& list, int type) {
  return type >= 0 && static_cast<size_t>(type) < list.size() ? list[static_cast<size_t>(type)] : 0;
}

}  // namespace

std::string ChallengeStageName(int32_t n) {
  return FormatString("%s%02d-1.%s", PathTable[PATH_CHALLENGE_STAGE_PREFIX], n, ExtTable[EXT_STAGE]);
}

int32_t ChallengeListCount(const cSystem& system, const cSaveData& save) {
  const int32_t n = nm::sys::ChallengeAllOpen(system) ? nm::sys::ChallengeCount(system)
                                                      : nm::save::ChallengeOpenCount(save);
  return std::max(n, 0);
}

int32_t ChallengeRows(int32_t count, int32_t top) { return std::clamp(count - top, 0, 10); }

cScene* NewChallengeScene() { return new (std::nothrow) cChallengeScene(); }

cChallengeScene::~cChallengeScene() { ReleaseMenuPictures(kChallengePictures, 2, true); }

int cChallengeScene::Step() {
  MenuInput(15);
  static int (cChallengeScene::*const kHandlers[])() = {&cChallengeScene::StFadeIn, &cChallengeScene::Main,
                                                        &cChallengeScene::StFadeOut};
  return RunHandlers(this, kHandlers);
}

void cChallengeScene::Counts() {
  m_nCount = ChallengeListCount(SystemData, SaveData);
  m_nRows = ChallengeRows(m_nCount, m_nTop);
}

void cChallengeScene::Preview(int32_t n) {
  SaveData.SetStageName(ChallengeStageName(n), 0, 0, 0);
  if (SceneDirector.m_bRankings)
    Ranking.Load(SceneDirector.m_nGameType, nm::save::StageBaseName(SaveData), nm::save::StartVarFlag(SaveData),
                 nm::save::StartVarNumber(SaveData), nm::save::StartVarValue(SaveData));
}

void cChallengeScene::Enter() {
  RequestSceneMusic(kMusicChallenge);
  LoadMenuPictures(kChallengePictures, 2);
  MenuCursor.Reset();
  MenuCursor.Current().nRow = SceneDirector.m_nChallengeCursor;
  m_nTop = SceneDirector.m_nChallengeTop;
  Preview(MenuCursor.Current().nRow + 1);
  if (MakeWorkSurface(640, 480, 0)) DrawSurface();
  m_nSubState = 0;
}

void cChallengeScene::DrawSurface() {
  Counts();
  DDSURFACEDATA* work = WorkSurface();
  if (!work || !HasPicture(*work)) return;
  Font& big = Fonts[2];
  Font& small = Fonts[1];
  big.DrawBox(work, 1, 1, 638, 478);
  const cVector<cCmd>& title = nm::sys::TitleMenu(SystemData);
  const std::string heading = title.size() > 2 ? nm::menu::Label(title[2]) : std::string();
  Font::Printf(&big, work, 320 - 16 * CountChars(heading.c_str()), 32, "%s", heading.c_str());
  const int32_t total = nm::save::MapTotalScore(SaveData);
  if (nm::sys::ChallengeTotal(SystemData) && total > 0) {
    const std::string caption = ChallengeLabel(4);
    const int c = CountChars(caption.c_str());
    Font::Printf(&small, work, 320 - 8 * (c + CountDigits(total)), 88, "%s%d", caption.c_str(), total);
  }
  const bool showBest = nm::sys::ChallengeBest(SystemData) != 0;
  if (!nm::save::RankingDisplay(SaveData) && showBest)
    Font::Printf(&big, work, 32, 128, "         %s", ChallengeLabel(3).c_str());
  const std::string prefix = ChallengeLabel(0);
  const int g = CountChars(prefix.c_str());
  const cVector<cChallengeRecord>& records = nm::save::ChallengeRecords(SaveData);
  for (int32_t i = 0; i < m_nRows; ++i) {
    const int32_t f = m_nTop + i;
    const int y = kListY + 32 * i;
    Font::Printf(&big, work, 64, y, "%s%d", prefix.c_str(), f + 1);
    // A stage without a record in the progress shows as not played.
    const cChallengeRecord none;
    const cChallengeRecord& rec = f >= 0 && static_cast<size_t>(f) < records.size() ? records[static_cast<size_t>(f)] : none;
    if (rec.m_Cleared) DrawAccessoryCell(work, 32 * (g + 4), y, 96, 0, 32, 32);
    if (showBest) Font::Printf(&big, work, 32 * g + 192, y, "%d", rec.m_Best);
  }
  if (RankingMenuOn() && nm::save::RankingDisplay(SaveData))
    DrawRanking(Ranking, work, kRankingPos.x, kRankingPos.y, nm::save::RankingCategory(SaveData), -1);
}

void cChallengeScene::DrawScreen() {
  ShowWorkSurface(0, 0, 0, [this] { DrawSurface(); });
  CycleBlinkColors();
}

void cChallengeScene::FadeIn() {
  if (SceneDirector.m_Startup.m_nScreenBpp == 8) DrawSurface();
  DrawScreen();
  if (MenuFadeIn()) m_nState = kMain;
}

void cChallengeScene::FadeOut() { MenuFadeOut(kModeChallenge, true); }

int cChallengeScene::StFadeIn() {
  FadeIn();
  return 0;
}

int cChallengeScene::StFadeOut() {
  FadeOut();
  return 0;
}

int cChallengeScene::Main() {
  const cInput& in = ChallengeInput1();
  Counts();
  MenuCursor.MoveList(in, 1, m_nTop, kListY, 32, 32, m_nRows, m_nCount, 1);
  DS_PlayCursor(in.m_wDir, 3, 0);
  const int32_t row = MenuCursor.Current().nRow;
  if (in.m_wDir & 0x0F) {
    Preview(row + 1);
    DrawSurface();
  }
  cSceneDirector& d = SceneDirector;
  if (in.m_wButton & 1) {
    // An empty list starts nothing.
    if (m_nCount <= 0) {
      PlaySE(3);
      return 0;
    }
    Start(row);
    return 0;
  }
  if (in.m_wButton & 2) {
    PlaySE(2);
    d.m_nNextMode = kModeTitle;
    d.m_nPrevMode = kModeChallenge;
    m_nState = kFadeOut;
    return 0;
  }
  if (in.m_wButton & 4) {
    if (RankingMenuOn()) {
      PlaySE(6);
      int32_t& shown = nm::save::RankingDisplay(SaveData);
      shown = shown ? 0 : 1;
      DrawSurface();
    } else {
      nm::save::RankingDisplay(SaveData) = 0;
    }
  } else if ((in.m_wButton & 8) && RankingMenuOn()) {
    if (SystemData.GetMenuItemCount(d.m_nGameType) >= 2) {
      PlaySE(6);
      MoveSystemMenuCursor(SaveData, d.m_nGameType, 1);
    }
    DrawSurface();
  }
  DrawScreen();
  DrawLargeCursor(MenuCursor.Current().nX, MenuCursor.Current().nY);
  return 0;
}

void cChallengeScene::Start(int32_t row) {
  const std::string name = ChallengeStageName(row + 1);
  if (!LoadStageForPlay(name, 1, &StageCopy)) {
    PlaySE(3);
    ErrorReporter().ErrorBox(FormatString(kChallengeStageUnreadable, name.c_str()), apptext::kErrorCaption);
    return;
  }
  PlaySE(1);
  cSaveData& s = SaveData;
  s.SetStageName(nm::stage::Path(Stage), 0, 0, 0);
  nm::save::nPart(s) = 1;
  nm::save::StageIndex(s) = row + 1;
  if (ChallengePerGameType(nm::sys::InfiniteLives(SystemData), kGameType)) {
    nm::save::LivesAtStageStart(s) = kInfiniteLives;
    nm::save::Lives(s) = kInfiniteLives;
  } else {
    const int32_t n = ChallengePerGameType(nm::sys::InitialLives(SystemData), kGameType);
    nm::save::LivesAtStageStart(s) = n;
    nm::save::Lives(s) = n - 1;
  }
  nm::save::NextPartChain(s) = 1;
  cSceneDirector& d = SceneDirector;
  d.m_nChallengeCursor = row;
  d.m_nChallengeTop = m_nTop;
  d.m_nNextMode = kModePlay;
  d.m_nPrevMode = kModeChallenge;
  m_nState = kFadeOut;
}
