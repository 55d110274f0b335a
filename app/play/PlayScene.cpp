#include "app/play/PlayScene.h"

#include <string>

#include "app/frame/MainWnd.h"
#include "app/frame/ProgramObjects.h"
#include "app/frame/SceneDirector.h"
#include "app/play/PlayDraw.h"
#include "app/play/PlayTransitions.h"
#include "app/play/ReplayRequests.h"
#include "app/scenes/MenuCursor.h"
#include "app/scenes/RankingDraw.h"
#include "base/Log.h"
#include "base/Text.h"
#include "data/Ranking.h"
#include "data/Replay.h"
#include "data/SaveData.h"
#include "data/Stage.h"
#include "data/System.h"
#include "engine/Names.h"
#include "engine/Services.h"
#include "engine/objects/ChipSheets.h"
#include "engine/rules/PlayStep.h"
#include "engine/rules/Rules.h"
#include "media/graphics/Effect.h"
#include "media/graphics/Palette.h"
#include "media/graphics/Shape.h"
#include "media/input/Input.h"
#include "media/sound/DSound.h"
#include "platform/Keyboard.h"

ScreenPos PauseMenuPos{320, 272}, ContinueMenuPos{320, 272}, RankingPanelPos{184, 64};

namespace {

// Surface-table entries of the play set and of the stage's backgrounds.
constexpr int kPlaySet[] = {2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12, 13, 14, 15, 16, 17, 18,
                            19, 20, 21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 31, 32, 33, 34, 35,
                            36, 37, 38, 39, 40, 41, 42, 43, 44, 45, 46, 47, 49, 50, 51, 55, 56,
                            57, 58, 59, 60, 61, 62, 63, 64, 65, 66, 67, 68, 69, 70};
static_assert(sizeof(kPlaySet) / sizeof(kPlaySet[0]) == 65, "the play set has 65 entries");
constexpr int kBackgroundSet[] = {55, 56, 57, 58, 59, 60, 61, 62};
constexpr int kPictures = 51;

bool Replaying() { return SceneDirector.m_nTitleItem == 4; }

cInput* Input1() { return PlayerInput.empty() ? nullptr : &PlayerInput[0]; }

bool HasSurface(const DDSURFACEDATA& sd) { return sd.lpDD || sd.lpDT; }

void BltPicture(int x, int y, int w, int h, int sx, int sy) {
  if (!HasSurface(SurfaceTable[kPictures])) return;
  DDBlt(&BackBuffer, x, y, w, h, &SurfaceTable[kPictures], sx, sy, 1);
}

void PostClose() { WindowRequests().RequestClose(); }

std::function<bool(const std::string&, int)>& StartFreeStageHook() {
  static std::function<bool(const std::string&, int)> hook;
  return hook;
}

}  // namespace

void SetPlayStartFreeStage(std::function<bool(const std::string&, int)> start) {
  StartFreeStageHook() = std::move(start);
}

// ---------------------------------------------------------------- decisions

ReadyShow DecideReady(bool editorStartFile, bool replay, bool showStageNumber, bool showSecondStart,
                      int32_t& stateFrames, int32_t& stateFrames2) {
  if (editorStartFile) return kReadyStart;
  if (replay) {
    if (++stateFrames < 80) return kReadyReplayLabel;
  } else if (showStageNumber) {
    if (++stateFrames < 80) return kReadyStageLabel;
  } else if (showSecondStart) {
    if (++stateFrames2 < 80) return kReadySecondPicture;
  }
  return kReadyStart;
}

void BuildPauseItems(cVector<cCmd>& items, const cVector<std::string>& labels, const PauseRules& r) {
  items.assign(4, cCmd());
  for (int i = 0; i < 4; ++i) {
    const size_t k = static_cast<size_t>(nm::sys::kPauseLabelFirst + i);
    items[i] = cCmd(1, k < labels.size() ? labels[k] : std::string());
  }
  switch (r.gameType) {
    case 0:
      if (!(r.retryInStory && r.stageCleared)) items[2].m_Enabled = 0;
      if (!(r.leaveInStory && r.stageCleared)) items[3].m_Enabled = 0;
      break;
    case 1:
      if (!(r.retryInChallenge && r.challengeFlag)) items[2].m_Enabled = 0;
      items[3].m_Enabled = 0;
      break;
    default: items[3].m_Enabled = 0; break;
  }
}

DeathOutcome DecideDeathOutcome(bool replay, int loseLifeResult, bool story, bool continueSwitch) {
  if (replay) return kDeathReplayRestart;
  if (loseLifeResult == 0) return kDeathGameOver;
  if (story && continueSwitch) return kDeathContinueMenu;
  return kDeathRetry;
}

// ---------------------------------------------------------------- the scene

cPlayScene::cPlayScene() {
  m_ScreenColor.m_nPrevAlpha = 255;
  nm::save::CurrentMusic(SaveData) = 0;
  PlayScene = this;
}

cPlayScene::~cPlayScene() {
  for (int i : kPlaySet) DDReleaseSurface(&SurfaceTable[i]);
  DDReleaseSurfaces(StageBmpSurfaces);
  DDReleaseSurfaces(SwordSurfaces);
  DDReleaseSurfaces(EffectSurfaces);
  DDReleaseSurfaceList(PictureSurfaces);
  PictureSurfaces.clear();
  PictureBitmaps.clear();
  DDReleaseSurfaces(SceneSurfaces);
  DDReleaseSurfaceList(Off_Msg);
  // The shots go with the scene; the characters, which outlive it, must not
  // keep pointing at them.
  for (cChara& c : CharaList) c.m_ShotLinks.clear();
  for (cHero& h : Player) h.m_ShotLinks.clear();
  if (PlayScene == this) PlayScene = nullptr;
}

int cPlayScene::Step() {
  static int (cPlayScene::*const kHandlers[])() = {&cPlayScene::StFadeIn,  &cPlayScene::Ready,
                                                   &cPlayScene::Play,      &cPlayScene::Pause,
                                                   &cPlayScene::StageEnd,  &cPlayScene::Continue,
                                                   &cPlayScene::GameOver,  &cPlayScene::StFadeOut};
  return RunHandlers(this, kHandlers);
}

void cPlayScene::Enter() {
  m_RankPlaces.resize(5, 0);
  m_RankValues.resize(5, 0);
  SelectChipSheets();
  const cVector<cBackLayer>& layers = Stage.m_BackLayers;
  for (int i = 0; i < 8; ++i) {
    DDBITMAPDATA& bd = BitmapTable[kBackgroundSet[i]];
    if (static_cast<size_t>(i) < layers.size() && !nm::layer::FillOnly(layers[i])) {
      bd.strFile = nm::layer::Image(layers[i]);
      DDIsBitmapLarger(&bd.nDDMemory, bd.strFile, 640, 480);
    } else {
      bd.strFile = "";
    }
  }
  if (SceneDirector.m_nPrevMode != kModePlay) {
    if (!DDLoadBitmaps(SurfaceTable, kPlaySet, 65)) {
      PostClose();
      return;
    }
    BuildChipSheets();
    LoadStageBitmaps();
    LoadSwordImages();
    LoadEffectImages();
    ResetTotals();
    LoseLife(SaveData);
    SetStage(this, 0, 1);
  } else {
    if (!DDLoadBitmaps(SurfaceTable, kBackgroundSet, 8)) {
      PostClose();
      return;
    }
    SetStage(this, 1, 1);
  }
  MenuCursor.Reset();
  m_nSubState = 0;
}

void cPlayScene::ResetTotals() {
  cSaveData& s = SaveData;
  if (SceneDirector.m_nTitleItem != 4 && nm::save::StartVarFlag(s)) {
    cVector<int32_t>& vars = nm::save::CommonVars(s);
    const int idx = nm::save::StartVarNumber(s);
    if (idx >= 0 && static_cast<size_t>(idx) < vars.size()) vars[idx] = nm::save::StartVarValue(s);
  }
  nm::save::Lives(s) = nm::save::LivesSetting(s);
  nm::save::StageScore(s) = 0;
  for (int k = 0; k < 5; ++k) nm::save::RankTotal(s, k) = 0;
  nm::save::bStartOverride(s) = 0;
  m_ScrollX.m_dPos = 0.0;
  m_ScrollY.m_dPos = 0.0;
  m_nSubState = 0;
  m_nStateFrames = m_nStateFrames2 = 0;
  m_bHoldButtons = 0;
  m_bRankDone = 0;
  m_Messages.clear();
  if (!Replaying()) {
    Replay.Clear();
    PrevReplay.Clear();
  }
  if (SceneDirector.m_Startup.m_bStartFilePlay.load()) nm::save::nPart(s) = 1;
  if (SceneDirector.m_bRankings)
    Ranking.Load(SceneDirector.m_nGameType, nm::save::StageBaseName(s), nm::save::StartVarFlag(s),
                 nm::save::StartVarNumber(s), nm::save::StartVarValue(s));
}

int cPlayScene::LoseLife(cSaveData& save) {
  int32_t& lives = nm::save::Lives(save);
  if (SceneDirector.m_Startup.m_bStartFilePlay.load() || lives == 999999) return 1;
  if (lives <= 0) return 0;
  --lives;
  return 1;
}

void cPlayScene::DrawFrame(int bPlay, int bFreeze, int bTick, int bSysText) {
  DrawPlayFrame(*this, bPlay, bFreeze, bTick, bSysText);
}

void cPlayScene::FadeIn() {
  DrawFrame(0, 1, 0, 1);
  if (DDFadeIn(PalWork, 0, 255, 0, 0, 0, SceneDirector.m_nFadeSpeed, PalTable, 0)) m_nState = kReady;
}

void cPlayScene::FadeOut() {
  if (!DDFadeOut(PalWork, 0, 255, 0, 0, 0, SceneDirector.m_nFadeSpeed, PalTable, 0)) return;
  if (HasSurface(BackBuffer)) DDFillSurface(&BackBuffer, 16);
  if ((SceneDirector.m_nTitleItem == 3 && nm::save::NextPartChain(SaveData) == 0) ||
      SceneDirector.m_Startup.m_bStartFilePlay.load()) {
    nm::save::NextPartChain(SaveData) = 0;
    auto& start = StartFreeStageHook();
    if (!start || !start(nm::stage::Path(Stage), 0)) PostClose();
  }
  SceneDirector.m_nFrameRate = 60;
  SceneDirector.m_nMode = SceneDirector.m_nNextMode;
  SceneDirector.m_nPrevMode = kModePlay;
  m_nState = -1;
}

int cPlayScene::StFadeIn() {
  FadeIn();
  return 0;
}

int cPlayScene::StFadeOut() {
  FadeOut();
  return 0;
}

int cPlayScene::Ready() {
  DrawFrame(0, 1, 0, 1);
  const ReadyShow show = DecideReady(bStartedByEditor.load() && SceneDirector.m_Startup.m_bStartFilePlay.load(),
                                     Replaying(), nm::stage::ShowStageNumber(Stage) != 0,
                                     nm::stage::ShowSecondStart(Stage) != 0, m_nStateFrames, m_nStateFrames2);
  switch (show) {
    case kReadyReplayLabel: BltPicture(256, 224, 128, 32, 0, 32); return 0;
    case kReadyStageLabel:
      BltPicture(256, 224, 128, 32, 0, 0);
      if (HasSurface(SurfaceTable[kPictures]))
        DDDrawNumber(&BackBuffer, 384, 224, 32, 32, &SurfaceTable[kPictures], 0, 128, 1, nm::save::nPart(SaveData),
                     1, 0);
      return 0;
    case kReadySecondPicture: BltPicture(280, 224, 80, 32, 160, 0); return 0;
    case kReadyStart: break;
  }
  if (!Player.empty()) Player[0].m_Anim.Play(Player[0].m_bFly ? 2 : 0, 1);
  m_nStateFrames = 0;
  m_nState = kPlay;
  return 0;
}

int cPlayScene::Play() {
  // Quit, pause and the replay keys come before the frame's input.
  if (m_bQuit) {
    PostClose();
    return 0;
  }
  if (CheckPauseKey()) {
    SetSceneState(kPause, 0);
    return 0;
  }
  if (RequestSaveReplay()) return 0;
  const PlayFrameResult frame = PlayFrame(this);
  m_nLastFrameResult = frame;
  if (frame == kFrameDone) DrawFrame(1, 0, 1, 1);
  else if (frame == kFrameStageEnd) WriteLog("Stage : clear %s", nm::stage::Path(Stage).c_str());
  return 0;
}

int cPlayScene::Pause() {
  if (RequestSaveReplay()) return 0;
  PauseRules rules;
  rules.gameType = SceneDirector.m_nGameType;
  rules.retryInStory = nm::sys::PauseRetryStory(SystemData) != 0;
  rules.leaveInStory = nm::sys::PauseLeaveStory(SystemData) != 0;
  rules.stageCleared = nm::save::StoryStageCleared(SaveData, nm::save::StageIndex(SaveData));
  rules.retryInChallenge = nm::sys::RetryChallenge(SystemData) != 0;
  {
    const int n = nm::save::StageIndex(SaveData);
    const cVector<cChallengeRecord>& recs = nm::save::ChallengeRecords(SaveData);
    rules.challengeFlag = n >= 1 && static_cast<size_t>(n - 1) < recs.size() && recs[n - 1].m_Cleared != 0;
  }
  BuildPauseItems(m_PauseItems, nm::sys::Labels(SystemData), rules);
  if (m_nSubState == 0) {
    MenuCursor.Current().nRow = 1;
    m_nSubState = 1;
  }
  if (m_nSubState != 1) return 0;
  cInput* in = Input1();
  if (!in) return 0;
  in->Trigger(0);
  in->ApplyRepeat();
  PauseMenuPos.x = CalcMenuBoxX(320, m_PauseItems);
  MenuCursor.MoveGrid(*in, PauseMenuPos.x, PauseMenuPos.y, 0, 16, 1, cCmd::GetCmdCount(m_PauseItems));
  DS_PlayCursor(in->m_wDir, 2, 0);
  auto resume = [this] {
    m_nState = m_nSavedState;
    m_nSubState = m_nSavedSubState;
    m_bHoldButtons = 1;
  };
  if (in->m_wButton & 1) {
    const int item = cCmd::GetCmdNum(MenuCursor.Current().nRow, m_PauseItems);
    PlaySE(1);
    switch (item) {
      case 0:
        m_nState = kFadeOut;
        if (SceneDirector.m_Startup.m_bStartFilePlay.load()) {
          PostClose();
        } else {
          SceneDirector.m_nNextMode = kModeTitle;
          MenuCursor.Current().nRow = SceneDirector.m_nTitleItem;
          m_nSubState = 0;
        }
        break;
      case 1: resume(); break;
      case 2:
        m_bHoldButtons = 1;
        SaveData.RestoreCheckpoint(true);
        SetStage(this, 1, 0);
        m_nState = kReady;
        m_nSubState = 0;
        break;
      case 3:
        m_bHoldButtons = 1;
        SaveData.RestoreCheckpoint(false);
        nm::save::BackToMap(SaveData) = 1;
        SceneDirector.m_nNextMode = kModeWorldMap;
        m_nSubState = 0;
        m_nState = kFadeOut;
        break;
      default: break;
    }
    return 0;
  }
  if (in->m_wButton & 2) {
    PlaySE(2);
    resume();
    return 0;
  }
  DrawFrame(0, 1, 0, 1);
  DrawMenuBox(&BackBuffer, PauseMenuPos.x, PauseMenuPos.y, m_PauseItems);
  DrawSmallCursor(MenuCursor.Current().nX, MenuCursor.Current().nY);
  return 0;
}

int cPlayScene::StageEnd() {
  const bool autoEnd = nm::stage::AutoEnd(Stage) != 0;
  const int rankMode = nm::opt::RankMode(OptionData);
  if (!autoEnd) {
    if (CheckPauseKey()) {
      SetSceneState(kPause, 0);
      return 0;
    }
    RequestSaveReplay();
    if ((rankMode == 0 || rankMode == 1) && KeyState().IsDown(IKeyState::kF3)) RegisterRanking();
  }
  if (m_nSubState == 0) {
    m_nStateFrames = 0;
    m_nSubState = 1;
  }
  if (m_nSubState != 1) return 0;
  cInput* in = Input1();
  if (in) {
    in->Trigger(0);
    in->ApplyRepeat();
  }
  const bool pressed = in && (in->m_wButton & 1);
  if ((autoEnd && m_nStateFrames >= 200) || (!autoEnd && pressed && m_nStateFrames >= 200)) {
    if (!autoEnd) {
      if (m_bNewRank && (rankMode == 2 || rankMode == 3)) RegisterRanking();
      else PlaySE(1);
    }
    SceneDirector.m_nNextMode = LoadNextStage();
    m_nStateFrames = 0;
    m_nSubState = 0;
    m_nState = kFadeOut;
    return 0;
  }
  bool hint = false;
  if (!autoEnd && m_bRankDone == 0 && (rankMode == 0 || rankMode == 1))
    for (int32_t p : m_RankPlaces)
      if (p != -1) hint = true;
  if (hint) {
    DrawFrame(0, 1, 0, 0);
    const cVector<std::string>& labels = nm::sys::Labels(SystemData);
    const std::string text = labels.size() > 28 ? labels[28] : std::string();
    Fonts[1].DrawText(&BackBuffer, 320 - 8 * CountChars(text.c_str()), 456, text.c_str());
  } else {
    DrawFrame(0, 1, 0, 1);
  }
  if (nm::stage::ShowClear(Stage)) {
    m_nStateFrames += 4;
    if (HasSurface(SurfaceTable[kPictures])) {
      if (m_nStateFrames < 100)
        DDSplit(&BackBuffer, 256, 192, 128, 32, 4, 100 - m_nStateFrames, &SurfaceTable[kPictures], 0, 64, 1, 0);
      else
        BltPicture(256, 192, 128, 32, 0, 64);
    }
  } else {
    m_nStateFrames = 200;
  }
  if (m_nStateFrames >= 200 && SceneDirector.m_bRankings && !autoEnd) DrawResultsBox(&BackBuffer, 336, 224, m_RankPlaces);
  return 0;
}

int cPlayScene::Continue() {
  if (RequestSaveReplay()) return 0;
  if (m_nSubState == 0) {
    MenuCursor.Current().nRow = 0;
    m_nSubState = 1;
  }
  cInput* in = Input1();
  if (!in) return 0;
  in->Trigger(0);
  in->ApplyRepeat();
  ContinueMenuPos.x = CalcLabelBoxX(320, 23, 2, 1);
  MenuCursor.MoveGrid(*in, ContinueMenuPos.x, ContinueMenuPos.y, 0, 16, 1, 2);
  DS_PlayCursor(in->m_wDir, 2, 0);
  if (in->m_wButton & 1) {
    PlaySE(1);
    if (MenuCursor.Current().nRow == 0) {
      SetStage(this, 1, 0);
      m_nState = kReady;
    } else {
      nm::save::BackToMap(SaveData) = 1;
      SceneDirector.m_nNextMode = kModeWorldMap;
      m_nSubState = 0;
      m_nState = kFadeOut;
    }
    return 0;
  }
  DrawFrame(0, 1, 0, 1);
  DrawLabelBox(ContinueMenuPos.x, 272, 23, 2, 1);
  DrawSmallCursor(MenuCursor.Current().nX, MenuCursor.Current().nY);
  return 0;
}

int cPlayScene::GameOver() {
  if (CheckPauseKey()) {
    SetSceneState(kPause, 0);
    return 0;
  }
  if (RequestSaveReplay()) return 0;
  cInput* in = Input1();
  if (in && (in->m_wButton & 1)) {
    PlaySE(1);
    m_nState = kFadeOut;
    SceneDirector.m_nNextMode = kModeTitle;
    return 0;
  }
  DrawFrame(0, 1, 0, 1);
  if (nm::stage::ShowGameOver(Stage)) BltPicture(248, 224, 144, 32, 0, 96);
  return 0;
}

void cPlayScene::HeroDeathEnd() {
  int lose = 1;
  if (!Replaying()) lose = LoseLife(SaveData);
  const DeathOutcome o = DecideDeathOutcome(Replaying(), lose, SceneDirector.m_nGameType == 0,
                                            nm::sys::ContinueInStory(SystemData) != 0);
  switch (o) {
    case kDeathReplayRestart:
      SaveData.RestoreCheckpoint(true);
      SetStage(this, 1, 1);
      m_nState = kReady;
      return;
    case kDeathGameOver: m_nState = kGameOver; return;
    default: break;
  }
  if (nm::stage::ClearCarriedOnDeath(Stage)) SaveData.ClearCarriedFlags();
  SaveData.RestoreCheckpoint(false);
  if (o == kDeathContinueMenu) {
    m_nSubState = 0;
    m_nState = kContinue;
  } else {
    SetStage(this, 1, 0);
    m_nState = kReady;
  }
}
