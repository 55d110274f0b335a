#include "data/Replay.h"

#include "base/Text.h"

namespace {
template <class T>
bool ReadWords(cRecordReader& r, cVector<T>& v) {
  uint32_t count = 0;
  if (!r.ReadCount(count, sizeof(T))) return false;
  cVector<T> fresh(count);
  if (count && !r.ReadBytes(fresh.data(), count * sizeof(T))) return false;
  v = std::move(fresh);
  return true;
}

template <class T>
void WriteWords(cRecordWriter& w, const cVector<T>& v) {
  w.WriteU32(static_cast<uint32_t>(v.size()));
  if (!v.empty()) w.WriteBytes(v.data(), v.size() * sizeof(T));
}

bool ChannelOk(const cVector<uint16_t>& values, const cVector<uint32_t>& runs) {
  if (values.size() != runs.size()) return false;
  for (uint32_t run : runs)
    if (run == 0) return false;
  return true;
}

// One channel of RecordFrame: extend the current run or start a new one. A
// run that would pass 2^32 - 1 frames starts a new run of the same value.
void RecordWord(cVector<uint16_t>& values, cVector<uint32_t>& runs, uint16_t word) {
  if (!values.empty() && values.back() == word && runs.size() == values.size() && runs.back() != UINT32_MAX) {
    ++runs.back();
    return;
  }
  values.push_back(word);
  runs.push_back(1);
}

void PlayWord(const cVector<uint16_t>& values, const cVector<uint32_t>& runs, int32_t& index, int32_t& pos,
              uint16_t& out) {
  out = values.At(index);
  ++pos;
  if (static_cast<uint32_t>(pos) >= runs.At(index)) {
    pos = 0;
    ++index;
  }
}
}  // namespace

std::string ReplayExtension() { return FormatString("rpl4_%u", kDataVersion); }

cReplay& cReplay::operator=(const cReplay& other) {
  if (this == &other) return *this;
  m_DirValues = other.m_DirValues;
  m_ButtonValues = other.m_ButtonValues;
  m_DirRuns = other.m_DirRuns;
  m_ButtonRuns = other.m_ButtonRuns;
  m_Seed = other.m_Seed;
  m_DataVersion = other.m_DataVersion;
  return *this;
}

void cReplay::RegisterFields(uint32_t) {
  ResetFields();
  AddInt(&m_Seed, 1, "m_Seed");
}

void cReplay::Clear() {
  cSerialRecord::Clear();
  m_DirValues.clear();
  m_ButtonValues.clear();
  m_DirRuns.clear();
  m_ButtonRuns.clear();
  RewindPlayback();
  m_DataVersion = dwDataVersion;
}

bool cReplay::Read(cRecordReader& r) {
  if (!cSerialRecord::Read(r)) return false;
  if (!ReadWords(r, m_DirValues) || !ReadWords(r, m_ButtonValues) || !ReadWords(r, m_DirRuns) ||
      !ReadWords(r, m_ButtonRuns))
    return false;
  // Playback indexes a run per value and must move on every frame.
  if (!IsConsistent()) return r.Fail("input runs do not match their values");
  m_DataVersion = r.Version();
  return r.Ok();
}

bool cReplay::Write(cRecordWriter& w) {
  cSerialRecord::Write(w);
  WriteWords(w, m_DirValues);
  WriteWords(w, m_ButtonValues);
  WriteWords(w, m_DirRuns);
  WriteWords(w, m_ButtonRuns);
  return true;
}

bool cReplay::IsConsistent() const {
  return ChannelOk(m_DirValues, m_DirRuns) && ChannelOk(m_ButtonValues, m_ButtonRuns);
}

void cReplay::RecordFrame(uint16_t dir, uint16_t button) {
  RecordWord(m_DirValues, m_DirRuns, dir);
  RecordWord(m_ButtonValues, m_ButtonRuns, button);
}

int cReplay::PlayFrame(uint16_t& dir, uint16_t& button) {
  if (m_DirIndex < 0 || m_ButtonIndex < 0 || static_cast<uint32_t>(m_DirIndex) >= m_DirValues.size() ||
      static_cast<uint32_t>(m_ButtonIndex) >= m_ButtonValues.size())
    return 1;
  PlayWord(m_DirValues, m_DirRuns, m_DirIndex, m_DirPos, dir);
  PlayWord(m_ButtonValues, m_ButtonRuns, m_ButtonIndex, m_ButtonPos, button);
  return 0;
}
