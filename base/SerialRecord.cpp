#include "base/SerialRecord.h"

#include <cstring>

#include "platform/FileSystem.h"

uint32_t dwDataVersion = kDataVersion;
uint32_t dwFileVersion = 0;
int bNewerFile = 0;
int bStripCR = 1;

void cSerialRecord::ResetFields() {
  m_Fields.clear();
  m_Strings.clear();
}

void cSerialRecord::Clear() {
  RegisterFields(dwDataVersion);
  for (auto& f : m_Fields) std::memset(f.address, 0, static_cast<size_t>(f.count) * static_cast<size_t>(f.elementSize));
  for (auto& s : m_Strings) s.string->clear();
}

void cSerialRecord::Assign(cSerialRecord& other) {
  RegisterFields(dwDataVersion);
  other.RegisterFields(dwDataVersion);
  size_t nf = std::min(m_Fields.size(), other.m_Fields.size());
  for (size_t i = 0; i < nf; ++i) {
    auto& f = m_Fields[i];
    std::memmove(f.address, other.m_Fields[i].address,
                 static_cast<size_t>(f.count) * static_cast<size_t>(f.elementSize));
  }
  size_t ns = std::min(m_Strings.size(), other.m_Strings.size());
  for (size_t i = 0; i < ns; ++i) *m_Strings[i].string = *other.m_Strings[i].string;
}

void cSerialRecord::StripCR() {
  for (auto& s : m_Strings) {
    std::string& str = *s.string;
    str.resize(strnlen(str.c_str(), str.size()));
    std::erase(str, '\r');
  }
}

bool cSerialRecord::Read(cRecordReader& r) {
  RegisterFields(r.Version());
  int32_t n = 0;
  if (!r.ReadI32(n)) return false;
  // Surplus entries are refused: the original read them into the first field.
  if (n < 0 || static_cast<size_t>(n) > m_Fields.size()) return r.Fail();
  for (int32_t i = 0; i < n; ++i) {
    auto& f = m_Fields[static_cast<size_t>(i)];
    if (!r.ReadBytes(f.address, static_cast<size_t>(f.count) * static_cast<size_t>(f.elementSize))) return false;
  }
  if (!ReadStrings(r)) return false;
  if (r.Version() != dwDataVersion) RegisterFields(dwDataVersion);
  return true;
}

bool cSerialRecord::ReadStrings(cRecordReader& r) {
  int32_t m = 0;
  if (!r.ReadI32(m)) return false;
  if (m < 0 || static_cast<size_t>(m) > m_Strings.size()) return r.Fail();
  for (int32_t i = 0; i < m; ++i)
    if (!r.ReadString(*m_Strings[static_cast<size_t>(i)].string)) return false;
  if (bStripCR) StripCR();
  return true;
}

bool cSerialRecord::Write(cRecordWriter& w) {
  RegisterFields(dwDataVersion);
  w.WriteI32(static_cast<int32_t>(m_Fields.size()));
  for (auto& f : m_Fields) w.WriteBytes(f.address, static_cast<size_t>(f.count) * static_cast<size_t>(f.elementSize));
  WriteStrings(w);
  return true;
}

void cSerialRecord::WriteStrings(cRecordWriter& w) {
  w.WriteI32(static_cast<int32_t>(m_Strings.size()));
  for (auto& s : m_Strings) {
    std::string& str = *s.string;
    str.resize(strnlen(str.c_str(), str.size()));  // an embedded NUL ends the text for good
    w.WriteString(str);
  }
}

bool OpenRecordBytes(std::vector<unsigned char> bytes, cRecordReader& reader) {
  reader = cRecordReader(std::move(bytes));
  uint32_t version = 0;
  if (!reader.ReadU32(version)) return false;
  dwFileVersion = version;
  reader.SetVersion(version);
  if (version > dwDataVersion) {
    bNewerFile = 1;
    reader.Fail();
    return false;
  }
  bNewerFile = 0;
  return true;
}

bool OpenRecordFile(const std::string& path, cRecordReader& reader) {
  std::vector<unsigned char> bytes;
  if (!platform::ReadWholeFile(path.empty() ? std::string("err") : path, bytes)) {
    reader = cRecordReader();
    reader.Fail();
    return false;
  }
  return OpenRecordBytes(std::move(bytes), reader);
}

void BeginRecordFile(cRecordWriter& w) { w.WriteU32(dwDataVersion); }

static bool ReadInto(cSerialRecord& target, cRecordReader& r) {
  std::unique_ptr<cSerialRecord> scratch = target.CloneRecord();
  if (!scratch) {
    bool ok = target.Read(r) && r.Ok();
    target.RegisterFields(dwDataVersion);
    return ok;
  }
  bool ok = scratch->Read(r) && r.Ok();
  if (ok) target.CommitRecord(*scratch);
  target.RegisterFields(dwDataVersion);
  return ok;
}

bool cSerialRecord::Load(const std::string& path, cReadContext* context) {
  cRecordReader r;
  if (!OpenRecordFile(path, r)) return false;
  r.SetContext(context);
  return ReadInto(*this, r);
}

bool cSerialRecord::LoadFromBytes(std::vector<unsigned char> bytes, cReadContext* context) {
  cRecordReader r;
  if (!OpenRecordBytes(std::move(bytes), r)) return false;
  r.SetContext(context);
  return ReadInto(*this, r);
}

std::vector<unsigned char> cSerialRecord::SaveToBytes() {
  cRecordWriter w;
  BeginRecordFile(w);
  Write(w);
  return std::move(w.Bytes());
}

bool cSerialRecord::Save(const std::string& path) {
  std::vector<unsigned char> bytes = SaveToBytes();
  return platform::WriteWholeFileAtomic(path.empty() ? std::string("err") : path, bytes.data(), bytes.size());
}
