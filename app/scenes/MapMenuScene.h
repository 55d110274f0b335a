#pragma once
// The map menu (director mode 2), opened from the world map: saving the
// story into one of the story slots, switching auto-save on or off, going
// back to the map, and going back to the title after a confirmation. It
// leaves the menu cursor as it is when it fades out.
#include <cstdint>

#include "app/frame/Scene.h"
#include "app/play/PlayScene.h"
#include "base/Containers.h"

class cMapMenuScene : public cScene {
 public:
  enum State : int32_t { kFadeIn = 0, kMenu, kSaveSlots, kAutoSave, kBackToMap, kBackToTitle, kFadeOut };

  cMapMenuScene();
  ~cMapMenuScene() override;

  int Step() override;
  void Enter() override;
  void FadeIn() override;
  void FadeOut() override;

  int StFadeIn();
  int Menu();
  int SaveSlots();
  int AutoSave();
  int BackToMap();
  int BackToTitle();
  int StFadeOut();

  // The numbers of the enabled map-menu entries; {0} when none is enabled.
  static cVector<int32_t> EnabledItems(const cVector<cCmd>& menu);
  void DrawScreen();

  int32_t m_nItemCount = 0;
  int32_t m_Items[4] = {0, 0, 0, 0};
  int32_t m_nSlotTop = 0;
  int32_t m_nSlotRows = 0;
};

extern ScreenPos MapMenuPos, TotalScorePos, MapSlotPos, SaveBoxPos, AutoSaveBoxPos, SaveMessagePos, TitleBoxPos;
