#pragma once
// Effect definitions of the database: the character effects and screen
// effects that commands start by number, and the effect animations drawn in
// the play field (cEffect with its frame list).
#include <cstdint>
#include <string>

#include "base/SerialRecord.h"

// One parameter row of an effect kind: the authoring tool's label, the range
// and the default. Same shape as the rows of the shot parameter tables.
struct cEffectParamLabel {
  const char* label;
  int16_t minimum;
  int16_t maximum;
  int16_t defaultValue;
};

constexpr int kEffectParamCount = 5;
constexpr int kCharaEffectKindCount = 17;  // 0 none, 1..16
constexpr int kScrEffectKindCount = 14;    // 0 none, 1..13

// Five rows per kind, kind 0 included, in kind order.
extern const cEffectParamLabel kCharaEffectParams[kCharaEffectKindCount * kEffectParamCount];
extern const cEffectParamLabel kScrEffectParams[kScrEffectKindCount * kEffectParamCount];
// Wordings of kinds 1..n, then an empty entry.
extern const char* const kCharaEffectKindNames[kCharaEffectKindCount];
extern const char* const kScrEffectKindNames[kScrEffectKindCount];
// The authoring tool's drawing-speed note of kinds 1..n (two lines each), then an empty entry.
extern const char* const kCharaEffectSpeedNotes[kCharaEffectKindCount];
extern const char* const kScrEffectSpeedNotes[kScrEffectKindCount];

// Row `param` of `kind`; a kind or parameter outside the table gives an empty row.
const cEffectParamLabel& CharaEffectParam(int kind, int param);
const cEffectParamLabel& ScrEffectParam(int kind, int param);

// Members and layout shared by both definition kinds: the name, then two
// field entries, the kind (one int) and the parameters (five ints).
class cEffectDefBase : public cSerialRecord {
 public:
  std::string m_EffectName;
  int32_t m_EffectKind = 0;
  int32_t m_EffectParam[kEffectParamCount] = {};

  void RegisterFields(uint32_t version) override;
};

class cCharaEffect : public cEffectDefBase {
 public:
  cCharaEffect() { Clear(); }
  bool Read(cRecordReader& r) override;
  SERIAL_RECORD_COPYABLE(cCharaEffect)
};

class cScrEffect : public cEffectDefBase {
 public:
  cScrEffect() { Clear(); }
  bool Read(cRecordReader& r) override;
  SERIAL_RECORD_COPYABLE(cScrEffect)
};

// One frame of an effect animation.
class cEffectFrame : public cSerialRecord {
 public:
  int32_t m_Pattern = 0;
  int32_t m_Duration = 1;  // tenths of a second

  cEffectFrame() {
    Clear();
    m_Duration = 1;
  }
  void RegisterFields(uint32_t version) override;
};

// u32 count, then that many frame bodies; the vector is replaced only when
// the whole list was read.
bool ReadEffectFrameVector(cVector<cEffectFrame>& frames, cRecordReader& r);
void WriteEffectFrameVector(cVector<cEffectFrame>& frames, cRecordWriter& w);

// An effect animation drawn in the play field.
class cEffect : public cSerialRecord {
 public:
  std::string m_Name;
  std::string m_File;  // image file
  int32_t m_Tag = 0;   // kept for the editor; the player does not read it
  int32_t m_EffectW = 32;
  int32_t m_EffectH = 32;
  int32_t m_EffectMode = 0;  // the engine reads it as "scaling allowed"
  cVector<cEffectFrame> m_EffectFrames;

  cEffect() { SetDefaults(); }
  void SetDefaults();
  void RegisterFields(uint32_t version) override;
  bool Read(cRecordReader& r) override;
  bool Write(cRecordWriter& w) override;
  SERIAL_RECORD_COPYABLE(cEffect)
};
