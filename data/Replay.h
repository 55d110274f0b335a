#pragma once
// A replay: the seed of one attempt and player 1's input words, each of the
// two words coded as runs (a value and the number of frames it held). A
// replay file joins a stage body, this record and the save data the attempt
// started from.
#include <cstdint>
#include <string>

#include "base/SerialRecord.h"

class cSaveData;
class cStage;

class cReplay : public cSerialRecord {
 public:
  cVector<uint16_t> m_DirValues;
  cVector<uint16_t> m_ButtonValues;
  cVector<uint32_t> m_DirRuns;
  cVector<uint32_t> m_ButtonRuns;
  int32_t m_Seed = 0;
  // Playback positions: the current run of each channel and the frames of
  // it already played. Never stored.
  int32_t m_DirIndex = 0;
  int32_t m_ButtonIndex = 0;
  int32_t m_DirPos = 0;
  int32_t m_ButtonPos = 0;
  // Data version of the recording: the file's when loaded, ours when
  // recorded here. Playback picks legacy rules by it, never by whatever
  // file was opened last.
  uint32_t m_DataVersion = kDataVersion;

  cReplay() { Clear(); }
  cReplay(const cReplay& other) : cSerialRecord(other) { *this = other; }
  // Copies the recording; the positions stay as they were.
  cReplay& operator=(const cReplay& other);

  void RegisterFields(uint32_t version) override;
  bool Read(cRecordReader& r) override;
  bool Write(cRecordWriter& w) override;
  SERIAL_RECORD_COPYABLE(cReplay)

  // Seed 0, no frames, positions 0.
  void Clear();
  // Appends one frame of player 1's direction and button words.
  void RecordFrame(uint16_t dir, uint16_t button);
  // Writes the next frame's words and returns 0, or returns 1 when the
  // recording is over (nothing written).
  int PlayFrame(uint16_t& dir, uint16_t& button);
  void RewindPlayback() { m_DirIndex = m_ButtonIndex = m_DirPos = m_ButtonPos = 0; }
  bool Empty() const { return m_DirValues.empty() && m_ButtonValues.empty(); }
  // Both channels have a run length per value and no run of 0 frames.
  bool IsConsistent() const;

  // A replay file: the stage body (its lists from `stage`, the scalar part
  // from `scalars`, the stage as loaded), this record and the save data of
  // the attempt's start. Written atomically; false when it cannot be.
  bool SaveFile(const std::string& path, cStage& stage, cStage& scalars, const cSaveData& save);
  // Reads a replay file into scratch records and commits them only when the
  // whole file was read: the stage, the scalar part into `copyTarget` (whose
  // lists are emptied), this record and, for files from version 173 on, the
  // save data. False (and nothing changed) for a missing, newer or broken
  // file.
  bool LoadFile(const std::string& path, cStage& stage, cStage& copyTarget, cSaveData& save,
                cReadContext* context = nullptr);
};

// The two recordings: the attempt in progress and the one before it.
extern cReplay Replay;
extern cReplay PrevReplay;

// The replay file extension, "rpl4_791".
std::string ReplayExtension();
