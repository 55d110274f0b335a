#include "app/scenes/MapMenuScene.h"

#include <algorithm>
#include <new>
#include <string>

#include "app/frame/PaletteVariants.h"
#include "app/frame/ProgramObjects.h"
#include "app/frame/SceneDirector.h"
#include "app/scenes/MenuCursor.h"
#include "app/scenes/MenuSceneFrame.h"
#include "app/scenes/MenuScenes.h"
#include "app/scenes/SceneMusic.h"
#include "base/Text.h"
#include "data/Cmd.h"
#include "data/SaveData.h"
#include "data/System.h"
#include "engine/Names.h"
#include "engine/Services.h"
#include "engine/World.h"
#include "media/graphics/Palette.h"
#include "media/graphics/Shape.h"
#include "media/input/Input.h"
#include "media/sound/DSound.h"

ScreenPos MapMenuPos{264, 192}, TotalScorePos{0, 260}, MapSlotPos{152, 160}, SaveBoxPos{0, 400},
    AutoSaveBoxPos{0, 224}, SaveMessagePos{0, 232}, TitleBoxPos{0, 224};

namespace {

constexpr int kMapMenuWindow = 45, kMapMenuSymbol = 50, kMapMenuAccessory = 49;
constexpr int kMapMenuPictures[] = {kMapMenuWindow, kMapMenuSymbol, kMapMenuAccessory};

bool MapMenuHasSurface(const DDSURFACEDATA& sd) { return HasPicture(sd); }
bool MapMenuCanDraw() { return HasPicture(BackBuffer); }

// Player 1's input record as the handlers read it (an empty one without).
cInput& MapMenuInput1() {
  static cInput none;
  return PlayerInput.empty() ? none : PlayerInput[0];
}

const std::string& MapMenuLabel(int k) {
  static const std::string empty;
  const cVector<std::string>& labels = nm::sys::Labels(SystemData);
  return k >= 0 && static_cast<size_t>(k) < labels.size() ? labels[static_cast<size_t>(k)] : empty;
}

// A story slot the list holds; a slot number from a damaged file is none.
bool IsStorySlot(int slot) { return slot >= 0 && static_cast<size_t>(slot) < StorySlots.size(); }

void Clear16() {
  if (MapMenuCanDraw()) DDFillRect(&BackBuffer, 0, 0, 640, 480, 16);
}

void Cursor() {
  if (MapMenuCanDraw()) DrawSmallCursor(MenuCursor.Current().nX, MenuCursor.Current().nY);
}

void LabelBox(const ScreenPos& pos, int first, int count, int cursorColumn) {
  if (MapMenuCanDraw()) DrawLabelBox(pos.x, pos.y, first, count, cursorColumn);
}

// Button 2 in a box: back to the map menu's own list, the cursor as it was.
int BackToList(cScene& scene) {
  MenuCursor.Pop(1);
  scene.m_nSubState = 0;
  scene.m_nState = cMapMenuScene::kMenu;
  return 0;
}

}  // namespace

cVector<int32_t> cMapMenuScene::EnabledItems(const cVector<cCmd>& menu) {
  cVector<int32_t> items;
  for (size_t i = 0; i < menu.size() && i < 4; ++i)
    if (nm::menu::Enabled(menu[i])) items.push_back(static_cast<int32_t>(i));
  if (items.empty()) items.push_back(0);
  return items;
}

cMapMenuScene::cMapMenuScene() = default;

// The map menu keeps no work surface.
cMapMenuScene::~cMapMenuScene() { ReleaseMenuPictures(kMapMenuPictures, 3, false); }

int cMapMenuScene::Step() {
  MenuInput(3);
  static int (cMapMenuScene::*const kHandlers[])() = {
      &cMapMenuScene::StFadeIn,  &cMapMenuScene::Menu,        &cMapMenuScene::SaveSlots, &cMapMenuScene::AutoSave,
      &cMapMenuScene::BackToMap, &cMapMenuScene::BackToTitle, &cMapMenuScene::StFadeOut};
  return RunHandlers(this, kHandlers);
}

void cMapMenuScene::Enter() {
  RequestSceneMusic(kMusicWorldMap);
  LoadMenuPictures(kMapMenuPictures, 3);
  const cVector<int32_t> items = EnabledItems(nm::sys::MapMenu(SystemData));
  m_nItemCount = static_cast<int32_t>(items.size());
  for (int32_t i = 0; i < m_nItemCount; ++i) m_Items[i] = items[static_cast<size_t>(i)];
  MenuCursor.Reset();
}

void cMapMenuScene::DrawScreen() {
  if (!MapMenuCanDraw()) return;
  DDFillRect(&BackBuffer, 0, 0, 640, 480, 16);
  const cVector<cCmd>& menu = nm::sys::MapMenu(SystemData);
  auto label = [&](int item) -> const std::string& {
    static const std::string empty;
    return item >= 0 && static_cast<size_t>(item) < menu.size() ? nm::menu::Label(menu[static_cast<size_t>(item)])
                                                                 : empty;
  };
  int l = 0;
  for (int32_t i = 0; i < m_nItemCount; ++i) l = std::max(l, CountChars(label(m_Items[i]).c_str()));
  if (MapMenuHasSurface(SurfaceTable[kMapMenuWindow]))
    DDDrawBox(&BackBuffer, MapMenuPos.x, MapMenuPos.y, (l + 1) * 16, m_nItemCount * 16, &SurfaceTable[kMapMenuWindow], 1,
              240);
  for (int32_t i = 0; i < m_nItemCount; ++i)
    Fonts[1].DrawText(&BackBuffer, MapMenuPos.x + 16, MapMenuPos.y + 16 * i, label(m_Items[i]).c_str());
  const int32_t total = nm::save::MapTotalScore(SaveData);
  if (nm::sys::MapMenuTotal(SystemData) && total > 0) {
    const std::string& caption = MapMenuLabel(4);
    const int w = 16 * (CountChars(caption.c_str()) + std::min(CountDigits(total), 10));
    TotalScorePos.x = 320 - w / 2;
    Fonts[1].DrawBox(&BackBuffer, TotalScorePos.x, TotalScorePos.y, w, 16);
    Font::Printf(&Fonts[1], &BackBuffer, TotalScorePos.x, TotalScorePos.y, "%s%d", caption.c_str(), total);
  }
  CycleBlinkColors();
}

void cMapMenuScene::FadeIn() {
  DrawScreen();
  if (MapMenuCanDraw()) DrawSmallCursor(MapMenuPos.x, MapMenuPos.y);
  if (MenuFadeIn()) m_nState = kMenu;
}

void cMapMenuScene::FadeOut() {
  // The cursor is left as it is; the next scene's Enter resets it.
  MenuFadeOut(kModeMapMenu, false);
}

int cMapMenuScene::StFadeIn() {
  FadeIn();
  return 0;
}

int cMapMenuScene::StFadeOut() {
  FadeOut();
  return 0;
}

int cMapMenuScene::Menu() {
  cInput& in = MapMenuInput1();
  MenuCursor.MoveGrid(in, MapMenuPos.x, MapMenuPos.y, 0, 16, 1, m_nItemCount);
  DS_PlayCursor(in.m_wDir, 2, 0);
  const uint16_t b = in.m_wButton;
  if (b & 1) {
    PlaySE(1);
    const int32_t row = std::clamp(MenuCursor.Current().nRow, 0, std::max(m_nItemCount - 1, 0));
    m_nState = m_Items[row] + kSaveSlots;
    MenuCursor.Push(0);
    return 0;
  }
  if (b & 2) {
    PlaySE(2);
    m_nState = kBackToMap;
    return 0;
  }
  DrawScreen();
  Cursor();
  return 0;
}

int cMapMenuScene::BackToMap() {
  m_nSubState = 0;
  SceneDirector.m_nNextMode = kModeWorldMap;
  m_nState = kFadeOut;
  return 0;
}

int cMapMenuScene::SaveSlots() {
  cInput& in = MapMenuInput1();
  const int count = static_cast<int>(StorySlots.size());
  if (m_nSubState == 0) {
    MenuCursor.Current() = MenuLevel();
    MenuCursor.Current().nRow = nm::save::LastStorySlot(SaveData);
    m_nSubState = 1;
    ScanStorySlots(StorySlots);
    m_nSlotRows = std::min(count, 10);
    m_nSlotTop = MenuCursor.Current().nRow;
  }
  if (m_nSubState == 1) {
    // A row or top of -1 (never saved) is clamped to 0 by the move.
    MenuCursor.MoveList(in, 1, m_nSlotTop, MapSlotPos.y, 16, MapSlotPos.x, m_nSlotRows, count, 1);
    DS_PlayCursor(in.m_wDir, 3, 0);
    const uint16_t b = in.m_wButton;
    if (b & 1) {
      PlaySE(1);
      MenuCursor.Push(0);
      MenuCursor.Current().nRow = 1;
      m_nSubState = 2;
      return 0;
    }
    if (b & 2) {
      PlaySE(2);
      return BackToList(*this);
    }
    Clear16();
    if (MapMenuCanDraw()) DrawSlotList(&BackBuffer, MapSlotPos.x, MapSlotPos.y, StorySlots, m_nSlotTop, m_nSlotRows);
    Cursor();
    return 0;
  }
  if (m_nSubState != 2) return 0;
  SaveBoxPos.x = CalcLabelBoxX(320, 12, 2, 1);
  MenuCursor.MoveGrid(in, SaveBoxPos.x, SaveBoxPos.y, 0, 16, 1, 2);
  DS_PlayCursor(in.m_wDir, 2, 0);
  const uint16_t b = in.m_wButton;
  if (b & 1) {
    if (MenuCursor.Current().nRow == 0) {
      PlaySE(5);
      const MenuLevel* list = MenuCursor.Previous();
      const int slot = list ? list->nRow : 0;
      nm::save::LastStorySlot(SaveData) = slot;
      SaveData.SaveStory(slot);
    } else {
      PlaySE(1);
    }
    MenuCursor.Pop(1);
    m_nSubState = 1;
    return 0;
  }
  if (b & 2) {
    PlaySE(2);
    MenuCursor.Pop(1);
    m_nSubState = 1;
    return 0;
  }
  Clear16();
  if (MapMenuCanDraw()) {
    DrawSlotList(&BackBuffer, MapSlotPos.x, MapSlotPos.y, StorySlots, m_nSlotTop, m_nSlotRows);
    DrawLabelBox(SaveBoxPos.x, SaveBoxPos.y, 12, 2, 1);
    if (const MenuLevel* list = MenuCursor.Previous()) DrawParkedCursor(list->nX, list->nY);
  }
  Cursor();
  return 0;
}

int cMapMenuScene::AutoSave() {
  cInput& in = MapMenuInput1();
  const int slot = nm::save::LastStorySlot(SaveData);
  if (m_nSubState == 0) {
    MenuCursor.Current() = MenuLevel();
    MenuCursor.Current().nRow = nm::save::AutoSave(SaveData) ? 0 : 1;
    m_nSubState = IsStorySlot(slot) ? 1 : 2;
    return 0;
  }
  if (m_nSubState == 1) {
    AutoSaveBoxPos.x = CalcLabelBoxX(320, 14, 2, 1);
    MenuCursor.MoveGrid(in, AutoSaveBoxPos.x, AutoSaveBoxPos.y, 0, 16, 1, 2);
    DS_PlayCursor(in.m_wDir, 2, 0);
    const uint16_t b = in.m_wButton;
    if (b & 1) {
      PlaySE(1);
      if (MenuCursor.Current().nRow == 0) {
        // Switched on before the slot is written, so that the slot keeps it.
        nm::save::AutoSave(SaveData) = 1;
        SaveData.SaveStory(slot);
      } else {
        nm::save::AutoSave(SaveData) = 0;
      }
      return BackToList(*this);
    }
    if (b & 2) {
      PlaySE(2);
      return BackToList(*this);
    }
    Clear16();
    LabelBox(AutoSaveBoxPos, 14, 2, 1);
    Cursor();
    return 0;
  }
  if (m_nSubState != 2) return 0;
  SaveMessagePos.x = CalcLabelBoxX(320, 16, 1, 0);
  const uint16_t b = in.m_wButton;
  if (b & 3) {
    PlaySE(b & 1 ? 1 : 2);
    return BackToList(*this);
  }
  Clear16();
  LabelBox(SaveMessagePos, 16, 1, 0);
  return 0;
}

int cMapMenuScene::BackToTitle() {
  cInput& in = MapMenuInput1();
  if (m_nSubState == 0) {
    MenuCursor.Current() = MenuLevel();
    MenuCursor.Current().nRow = 1;
    m_nSubState = 1;
  }
  TitleBoxPos.x = CalcLabelBoxX(320, 17, 2, 1);
  MenuCursor.MoveGrid(in, TitleBoxPos.x, TitleBoxPos.y, 0, 16, 1, 2);
  DS_PlayCursor(in.m_wDir, 2, 0);
  const uint16_t b = in.m_wButton;
  if (b & 1) {
    PlaySE(1);
    if (MenuCursor.Current().nRow == 0) {
      SceneDirector.m_nNextMode = kModeTitle;
      m_nState = kFadeOut;
      return 0;
    }
    return BackToList(*this);
  }
  if (b & 2) {
    PlaySE(2);
    return BackToList(*this);
  }
  Clear16();
  LabelBox(TitleBoxPos, 17, 2, 1);
  Cursor();
  return 0;
}

cScene* NewMapMenuScene() { return new (std::nothrow) cMapMenuScene(); }
