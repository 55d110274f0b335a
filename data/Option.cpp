#include "data/Option.h"

#include <algorithm>

cOption::cOption() {
  Clear();
  m_Music = 1;
  m_SoundVolume = 7;
  m_RankName = "aaa";
}

void cOption::RegisterFields(uint32_t) {
  ResetFields();
  AddInt(&m_Palette);
  AddInt(&m_Music);
  AddInt(&m_SoundVolume);
  AddInt(&m_RankMode);
  AddString(&m_RankName);
}

bool cOption::Read(cRecordReader& r) {
  if (!cSerialRecord::Read(r)) return false;
  // The values index the palette files and the volume table; a hand-edited
  // or broken file must not reach past them.
  m_Palette = std::clamp(m_Palette, 0, kMaxPalette);
  m_Music = std::clamp(m_Music, 0, kMaxMusic);
  m_SoundVolume = std::clamp(m_SoundVolume, 0, kMaxSoundVolume);
  m_RankMode = std::clamp(m_RankMode, 0, kMaxRankMode);
  return r.Ok();
}

int cOption::VolumeAttenuation(int step) {
  static constexpr int kTable[kMaxSoundVolume + 1] = {-10000, -3000, -2000, -1300, -800, -500, -300, -150, -80, -30, 0};
  return kTable[std::clamp(step, 0, kMaxSoundVolume)];
}
