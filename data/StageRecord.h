#pragma once
// The best value of one played stage, kept in the save data.
#include <cstdint>
#include <string>

#include "base/SerialRecord.h"

class cStageRecord : public cSerialRecord {
 public:
  std::string m_StageFile;
  std::string m_StageKey;  // files from 759 on; the record is found by it
  int32_t m_Place[3] = {0, 0, 0};  // the stage's place on the world map; files from 759 on
  int32_t m_Best = 0;

  cStageRecord() = default;
  void RegisterFields(uint32_t version) override;
  bool Read(cRecordReader& r) override;
};
