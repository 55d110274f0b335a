#pragma once
// Animations and animation sets of the database: an animation is a named
// list of frames (pattern and display time); a set groups the animations of
// a character's basic motions with three pattern offsets.
#include <cstdint>
#include <string>

#include "base/SerialRecord.h"

class cAnimeFrame : public cSerialRecord {
 public:
  int32_t m_Pattern = 0;   // counted from the character's graphic base
  int32_t m_Duration = 1;  // tenths of a second
  // The engine cannot interrupt the animation from the first frame that
  // has this flag on (to its end).
  int32_t m_Uninterruptible = 0;

  cAnimeFrame() {
    Clear();
    m_Duration = 1;
  }
  void RegisterFields(uint32_t version) override;
};

class cAnime : public cSerialRecord {
 public:
  std::string m_Name;
  cVector<cAnimeFrame> m_Frames;
  // Editor options (files from version 55 on): kept and written back, not read by the player.
  int16_t m_Option1 = 0;
  int8_t m_Option2 = 1;
  int16_t m_Option3 = 0;

  cAnime() { Reset(); }
  // Cleared, one new frame, m_Option2 1.
  void Reset();
  void RegisterFields(uint32_t version) override;
  bool Read(cRecordReader& r) override;
  bool Write(cRecordWriter& w) override;
  // u32 count, then the frame bodies; replaces m_Frames.
  bool ReadAnimeFrames(cRecordReader& r);
  SERIAL_RECORD_COPYABLE(cAnime)
};

// Entries 0..3 of a set's animations are the basic motions.
constexpr int kBasicAnimeCount = 4;

class cAnimeSet : public cSerialRecord {
 public:
  std::string m_Name;
  int32_t m_PatternOffset1 = 4;
  int32_t m_PatternOffset2 = 8;
  int32_t m_FlyPatternOffset = 0;  // files from version 119 on
  cVector<cAnime> m_Animes;

  cAnimeSet() { SetDefaults(); }
  void SetDefaults();
  void RegisterFields(uint32_t version) override;
  bool Read(cRecordReader& r) override;
  bool Write(cRecordWriter& w) override;
  SERIAL_RECORD_COPYABLE(cAnimeSet)

 private:
  // Exactly the four basic motions: missing ones reset, the rest dropped.
  void KeepBasicAnimes();
};
