#include "data/StageRecord.h"

namespace {
constexpr uint32_t kKeyedRecords = 759;
}

void cStageRecord::RegisterFields(uint32_t version) {
  ResetFields();
  if (version >= kKeyedRecords) {
    // Three entries of one int each: the files count them so.
    AddInt(&m_Place[0]);
    AddInt(&m_Place[1]);
    AddInt(&m_Place[2]);
  }
  AddInt(&m_Best);
  AddString(&m_StageFile);
  if (version >= kKeyedRecords) AddString(&m_StageKey);
}

bool cStageRecord::Read(cRecordReader& r) {
  if (!cSerialRecord::Read(r)) return false;
  // Older records were found by their file name.
  if (r.Version() < kKeyedRecords) m_StageKey = m_StageFile;
  return r.Ok();
}
