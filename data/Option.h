#pragma once
// The user's options, user_data\Option.dat: palette number, music switch,
// sound volume, ranking registration mode and registration name.
#include <cstdint>
#include <string>

#include "base/SerialRecord.h"

class cOption : public cSerialRecord {
 public:
  // Ranges the option scene keeps the values in; reading clamps to them.
  static constexpr int kMaxPalette = 23;
  static constexpr int kMaxMusic = 1;
  static constexpr int kMaxSoundVolume = 10;
  static constexpr int kMaxRankMode = 3;

  int32_t m_Palette = 0;
  int32_t m_Music = 1;
  int32_t m_SoundVolume = 7;
  int32_t m_RankMode = 0;
  std::string m_RankName = "aaa";

  cOption();
  void RegisterFields(uint32_t version) override;
  bool Read(cRecordReader& r) override;
  SERIAL_RECORD_COPYABLE(cOption)

  // Attenuation in hundredths of a decibel for volume steps 0..10; a step
  // outside that range is taken as the nearest end.
  static int VolumeAttenuation(int step);
};

// The program-wide record (defined in data/ProgramData.cpp).
extern cOption OptionData;
