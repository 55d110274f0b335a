#pragma once
// The option scene (director mode 5): the palette variant, music on or off,
// the sound-effect volume, the ranking registration mode and the ranking
// name. The palette and the volume take effect at once, the music switch
// when the scene is left; the options are written each time it is left.
#include <cstdint>
#include <string>

#include "app/frame/Scene.h"

class cOption;
class cSystem;

constexpr int kOptionItems = 6;
enum eOptionItem : int32_t { kOptPalette = 0, kOptMusic, kOptVolume, kOptRankMode, kOptRankName, kOptBack };

class cOptionScene : public cScene {
 public:
  enum State : int32_t { kFadeIn = 0, kMain, kFadeOut };

  cOptionScene() = default;
  ~cOptionScene() override;

  int Step() override;
  void Enter() override;
  void FadeIn() override;
  void FadeOut() override;

  int StFadeIn();
  int Main();
  int StFadeOut();

  int32_t m_nItemCount = 1;
  int32_t m_Items[kOptionItems] = {};
  int32_t m_nEditItem = 0;
  int32_t m_nSavedValue = 0;
  int32_t* m_pValue = nullptr;
  int32_t m_nMin = 0;
  int32_t m_nMax = 0;

 private:
  int ChooseItem();
  int EditValue();
  void Apply();
  void DrawSurface();
  void DrawScreen();
};

// The option field an item edits and its largest value (the smallest is 0);
// null for the name and back items.
int32_t* OptionField(cOption& option, int32_t item, int32_t& max);
// One frame of editing: up adds 1, then down takes 1; each wraps within
// min..max.
int32_t StepOptionValue(int32_t value, uint16_t dir, int32_t min, int32_t max);
// The value column of an item: a number, "ON" / "OFF", the ranking mode's
// label, the ranking name, or nothing.
std::string OptionValueText(const cOption& option, const cSystem& system, int32_t item);
// Takes the palette (item 0) or the volume (item 2) into use.
void ApplyOptionItem(int32_t item, const cOption& option);

// The music switch taken into use when the scene is left.
enum eMusicSwitch { kMusicKeep, kMusicRelease, kMusicRestart };
eMusicSwitch DecideMusicSwitch(bool running, bool musicOn);
// Releases or restarts the music manager by the switch; the scene music is
// then requested afresh by the next scene.
void ApplyMusicSwitch();
