#include "app/scenes/OptionScene.h"

#include <algorithm>
#include <new>

#include "app/frame/BgmDefaults.h"
#include "app/frame/MainWnd.h"
#include "app/frame/PaletteVariants.h"
#include "app/frame/ProgramObjects.h"
#include "app/frame/SceneDirector.h"
#include "app/scenes/MenuCursor.h"
#include "app/scenes/MenuSceneFrame.h"
#include "app/scenes/MenuScenes.h"
#include "app/scenes/SceneMusic.h"
#include "base/Text.h"
#include "data/Cmd.h"
#include "data/DataPaths.h"
#include "data/Option.h"
#include "data/System.h"
#include "engine/Names.h"
#include "engine/Services.h"
#include "engine/World.h"
#include "media/graphics/Font.h"
#include "media/input/Input.h"
#include "media/sound/DSound.h"

namespace {

constexpr int kOptionPictures[] = {kPicAccessory, kPicWindow};
constexpr int kOptionListX = 48, kOptionListY = 96;

const cInput& OptionInput1() {
  static const cInput none;
  return PlayerInput.empty() ? none : PlayerInput[0];
}

std::string CmdLabel(const cVector<cCmd>& list, int32_t i) {
  return i >= 0 && static_cast<size_t>(i) < list.size() ? nm::menu::Label(list[static_cast<size_t>(i)]) : std::string();
}

}  // namespace

int32_t* OptionField(cOption& option, int32_t item, int32_t& max) {
  switch (item) {
    case kOptPalette: max = cOption::kMaxPalette; return &nm::opt::PaletteVariant(option);
    case kOptMusic: max = cOption::kMaxMusic; return &nm::opt::MusicOn(option);
    case kOptVolume: max = cOption::kMaxSoundVolume; return &nm::opt::SoundVolume(option);
    case kOptRankMode: max = cOption::kMaxRankMode; return &nm::opt::RankMode(option);
    default: max = 0; return nullptr;
  }
}

int32_t StepOptionValue(int32_t value, uint16_t dir, int32_t min, int32_t max) {
  auto wrap = [min, max](int32_t v) { return v < min ? max : v > max ? min : v; };
  if (dir & cInput::DIR_UP) value = wrap(value + 1);
  if (dir & cInput::DIR_DOWN) value = wrap(value - 1);
  return value;
}

std::string OptionValueText(const cOption& option, const cSystem& system, int32_t item) {
  switch (item) {
    case kOptPalette: return std::to_string(nm::opt::PaletteVariant(option));
    case kOptMusic: return nm::opt::MusicOn(option) ? "ON" : "OFF";
    case kOptVolume: return std::to_string(nm::opt::SoundVolume(option));
    case kOptRankMode: {
      const cVector<std::string>& labels = nm::sys::RankModeLabels(system);
      const int32_t m = nm::opt::RankMode(option);
      return m >= 0 && static_cast<size_t>(m) < labels.size() ? labels[static_cast<size_t>(m)] : std::string();
    }
    case kOptRankName: return nm::opt::RankName(option);
    default: return std::string();
  }
}

void ApplyOptionItem(int32_t item, const cOption& option) {
  if (item == kOptPalette) {
    LoadHbtPalette(nm::opt::PaletteVariant(option));
  } else if (item == kOptVolume) {
    // The table value replaces each sound's own volume, full volume included.
    const int volume = cOption::VolumeAttenuation(nm::opt::SoundVolume(option));
    for (DSDATA& entry : SoundEntries)
      for (size_t i = 0; i < entry.buffers.size(); ++i) DS_SetVolume(entry, static_cast<int>(i), volume, 0);
  }
}

eMusicSwitch DecideMusicSwitch(bool running, bool musicOn) {
  if (running == musicOn) return kMusicKeep;
  return running ? kMusicRelease : kMusicRestart;
}

void ApplyMusicSwitch() {
  switch (DecideMusicSwitch(BgmManager.m_bEnabled != 0, nm::opt::MusicOn(OptionData) != 0)) {
    case kMusicKeep: return;
    case kMusicRelease: BgmManager.Release(); break;
    case kMusicRestart:
      BgmManager.Release();
      InitBgmManager();
      break;
  }
  SceneDirector.m_nSceneBgm = 0;
}

// ------------------------------------------------------------ the scene

cScene* NewOptionScene() { return new (std::nothrow) cOptionScene(); }

cOptionScene::~cOptionScene() { ReleaseMenuPictures(kOptionPictures, 2, true); }

int cOptionScene::Step() {
  MenuInput(3);
  static int (cOptionScene::*const kHandlers[])() = {&cOptionScene::StFadeIn, &cOptionScene::Main,
                                                     &cOptionScene::StFadeOut};
  return RunHandlers(this, kHandlers);
}

void cOptionScene::Enter() {
  RequestSceneMusic(kMusicOption);
  LoadMenuPictures(kOptionPictures, 2);
  MenuCursor.Reset();
  const cVector<cCmd>& menu = nm::sys::OptionMenu(SystemData);
  m_nItemCount = 0;
  for (size_t i = 0; i < menu.size() && m_nItemCount < kOptionItems; ++i)
    if (nm::menu::Enabled(menu[i])) m_Items[m_nItemCount++] = static_cast<int32_t>(i);
  if (m_nItemCount == 0) m_Items[m_nItemCount++] = 0;
  if (MakeWorkSurface(640, 480, 0)) DrawSurface();
  m_nSubState = 0;
}

void cOptionScene::DrawSurface() {
  DDSURFACEDATA* work = WorkSurface();
  if (!work || !HasPicture(*work)) return;
  Font& big = Fonts[2];
  Font& small = Fonts[1];
  big.DrawBox(work, 1, 1, 638, 478);
  const std::string heading = CmdLabel(nm::sys::TitleMenu(SystemData), 5);
  Font::Printf(&big, work, 320 - 16 * CountChars(heading.c_str()), 32, "%s", heading.c_str());
  const cVector<cCmd>& menu = nm::sys::OptionMenu(SystemData);
  for (int32_t i = 0; i < m_nItemCount; ++i) {
    const int y = kOptionListY + 16 * i;
    small.DrawText(work, 64, y, CmdLabel(menu, m_Items[i]).c_str());
    small.DrawText(work, 208, y, OptionValueText(OptionData, SystemData, m_Items[i]).c_str());
  }
}

void cOptionScene::DrawScreen() {
  ShowWorkSurface(0, 0, 0, [this] { DrawSurface(); });
  CycleBlinkColors();
}

void cOptionScene::Apply() {
  ApplyOptionItem(m_nEditItem, OptionData);
  DrawSurface();
}

void cOptionScene::FadeIn() {
  if (SceneDirector.m_Startup.m_nScreenBpp == 8) DrawSurface();
  DrawScreen();
  if (MenuFadeIn()) m_nState = kMain;
}

void cOptionScene::FadeOut() {
  if (!MenuFadeOut(kModeOption, true)) return;
  ApplyMusicSwitch();
  OptionData.Save(PathTable[PATH_OPTION]);  // a failed write keeps the values for this run
}

int cOptionScene::StFadeIn() {
  FadeIn();
  return 0;
}

int cOptionScene::StFadeOut() {
  FadeOut();
  return 0;
}

int cOptionScene::Main() {
  if (m_nSubState == 0) {
    MenuCursor.Current() = MenuLevel();
    m_nSubState = 1;
  }
  if (m_nSubState == 1) return ChooseItem();
  if (m_nSubState == 2) return EditValue();
  return 0;
}

int cOptionScene::ChooseItem() {
  const cInput& in = OptionInput1();
  MenuCursor.MoveGrid(in, kOptionListX, kOptionListY, 0, 16, 1, m_nItemCount);
  DS_PlayCursor(in.m_wDir, 2, 0);
  if (in.m_wButton & 1) {
    PlaySE(1);
    const int32_t row = std::clamp(MenuCursor.Current().nRow, 0, m_nItemCount - 1);
    m_nEditItem = m_Items[row];
    int32_t max = 0;
    if (int32_t* field = OptionField(OptionData, m_nEditItem, max)) {
      m_pValue = field;
      m_nMin = 0;
      m_nMax = max;
      m_nSavedValue = *field;
      MenuCursor.Push(0);
      m_nSubState = 2;
    } else if (m_nEditItem == kOptRankName) {
      SendWindowRequest(kWmNameEntry, 0, 0, &bNameEntryDone);
      DrawSurface();
      DrawScreen();
      DrawSmallCursor(MenuCursor.Current().nX, MenuCursor.Current().nY);
    } else if (m_nEditItem == kOptBack) {
      SceneDirector.m_nNextMode = kModeTitle;
      m_nSubState = 0;
      m_nState = kFadeOut;
    }
    return 0;
  }
  if (in.m_wButton & 2) {
    PlaySE(2);
    SceneDirector.m_nNextMode = kModeTitle;
    m_nSubState = 0;
    m_nState = kFadeOut;
    return 0;
  }
  DrawScreen();
  DrawSmallCursor(MenuCursor.Current().nX, MenuCursor.Current().nY);
  return 0;
}

int cOptionScene::EditValue() {
  const cInput& in = OptionInput1();
  if (!m_pValue) {
    m_nSubState = 1;
    return 0;
  }
  if (in.m_wDir & cInput::DIR_UP) {
    *m_pValue = StepOptionValue(*m_pValue, cInput::DIR_UP, m_nMin, m_nMax);
    Apply();
  }
  if (in.m_wDir & cInput::DIR_DOWN) {
    *m_pValue = StepOptionValue(*m_pValue, cInput::DIR_DOWN, m_nMin, m_nMax);
    Apply();
  }
  DS_PlayCursor(in.m_wDir, 2, 0);
  if (in.m_wButton & 1) {
    PlaySE(1);
    MenuCursor.Pop(1);
    m_nSubState = 1;
    return 0;
  }
  if (in.m_wButton & 2) {
    PlaySE(2);
    *m_pValue = m_nSavedValue;
    Apply();
    MenuCursor.Pop(1);
    m_nSubState = 1;
    return 0;
  }
  DrawScreen();
  const MenuLevel* item = MenuCursor.Previous();
  const MenuLevel& level = item ? *item : MenuCursor.Current();
  DrawParkedCursor(level.nX, level.nY);
  DrawSmallCursor(192, level.nY);
  return 0;
}
