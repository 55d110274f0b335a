#include "base/SerialRecord.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "platform/FileSystem.h"

uint32_t dwDataVersion = kDataVersion;
uint32_t dwFileVersion = 0;
int bNewerFile = 0;
int bStripCR = 1;

namespace {
size_t EntryBytes(const cSerialRecord::FieldEntry& f) {
  if (f.count <= 0 || f.elementSize <= 0) return 0;
  return static_cast<size_t>(f.count) * static_cast<size_t>(f.elementSize);
}

// Cuts a string at its first NUL, as the C-string handling of stored texts does.
void CutAtNul(std::string& s) { s.resize(strnlen(s.c_str(), s.size())); }

// What the tables describe, kept so an in-place read that fails can be undone.
class TableSnapshot {
 public:
  void Take(const cSerialRecord& rec) {
    for (const auto& f : rec.Fields()) {
      const auto* p = static_cast<const unsigned char*>(f.address);
      fields_.emplace_back(f.address, std::vector<unsigned char>(p, p + EntryBytes(f)));
    }
    for (const auto& s : rec.Strings()) strings_.emplace_back(s.string, *s.string);
  }
  void Restore() {
    for (auto it = fields_.rbegin(); it != fields_.rend(); ++it)
      if (!it->second.empty()) std::memcpy(it->first, it->second.data(), it->second.size());
    for (auto it = strings_.rbegin(); it != strings_.rend(); ++it) *it->first = it->second;
  }

 private:
  std::vector<std::pair<void*, std::vector<unsigned char>>> fields_;
  std::vector<std::pair<std::string*, std::string>> strings_;
};
}  // namespace

void cSerialRecord::ResetFields() {
  m_Fields.clear();
  m_Strings.clear();
}

void cSerialRecord::Clear() {
  RegisterFields(dwDataVersion);
  for (auto& f : m_Fields)
    if (size_t n = EntryBytes(f)) std::memset(f.address, 0, n);
  for (auto& s : m_Strings) s.string->clear();
}

void cSerialRecord::Assign(cSerialRecord& other) {
  RegisterFields(dwDataVersion);
  other.RegisterFields(dwDataVersion);
  // Records of the same class have the same tables; the bounds only keep a
  // mismatched pair from reading past the other's members.
  size_t nf = std::min(m_Fields.size(), other.m_Fields.size());
  for (size_t i = 0; i < nf; ++i) {
    size_t n = std::min(EntryBytes(m_Fields[i]), EntryBytes(other.m_Fields[i]));
    if (n) std::memmove(m_Fields[i].address, other.m_Fields[i].address, n);
  }
  size_t ns = std::min(m_Strings.size(), other.m_Strings.size());
  for (size_t i = 0; i < ns; ++i) *m_Strings[i].string = *other.m_Strings[i].string;
}

void cSerialRecord::StripCR() {
  for (auto& s : m_Strings) {
    CutAtNul(*s.string);
    std::erase(*s.string, '\r');
  }
}

bool cSerialRecord::Read(cRecordReader& r) {
  RegisterFields(r.Version());
  int32_t n = 0;
  r.Label("field count");
  if (!r.ReadI32(n)) return false;
  // Surplus entries are refused: they would have no field to go to.
  if (n < 0 || static_cast<size_t>(n) > m_Fields.size())
    return r.Fail(std::to_string(n) + ", the record has " + std::to_string(m_Fields.size()) + " fields");
  for (int32_t i = 0; i < n; ++i) {
    const auto& f = m_Fields[static_cast<size_t>(i)];
    r.Label("field", i, f.name);
    if (!r.ReadBytes(f.address, EntryBytes(f))) return false;
  }
  if (!ReadStrings(r)) return false;
  if (r.Version() != dwDataVersion) RegisterFields(dwDataVersion);
  return true;
}

bool cSerialRecord::ReadStrings(cRecordReader& r) {
  int32_t m = 0;
  r.Label("string count");
  if (!r.ReadI32(m)) return false;
  if (m < 0 || static_cast<size_t>(m) > m_Strings.size())
    return r.Fail(std::to_string(m) + ", the record has " + std::to_string(m_Strings.size()) + " strings");
  for (int32_t i = 0; i < m; ++i) {
    const auto& e = m_Strings[static_cast<size_t>(i)];
    r.Label("string", i, e.name);
    if (!r.ReadString(*e.string)) return false;
  }
  r.Label(nullptr);
  if (bStripCR) StripCR();
  return true;
}

bool cSerialRecord::Write(cRecordWriter& w) {
  RegisterFields(dwDataVersion);
  w.WriteI32(static_cast<int32_t>(m_Fields.size()));
  for (const auto& f : m_Fields) w.WriteBytes(f.address, EntryBytes(f));
  WriteStrings(w);
  return true;
}

void cSerialRecord::WriteStrings(cRecordWriter& w) {
  w.WriteI32(static_cast<int32_t>(m_Strings.size()));
  for (auto& s : m_Strings) {
    CutAtNul(*s.string);  // an embedded NUL ends the text for good
    w.WriteString(*s.string);
  }
}

bool OpenRecordBytes(std::vector<unsigned char> bytes, cRecordReader& reader) {
  ClearLastReadFailure();
  reader = cRecordReader(std::move(bytes));
  uint32_t version = 0;
  reader.Label("version word");
  if (!reader.ReadU32(version)) {
    // Opened, but not a newer file: callers must not report it as one.
    bNewerFile = 0;
    return false;
  }
  dwFileVersion = version;
  reader.SetVersion(version);
  if (version > dwDataVersion) {
    bNewerFile = 1;
    reader.Fail(std::to_string(version) + " is newer than this program's " + std::to_string(dwDataVersion));
    return false;
  }
  reader.Label(nullptr);
  bNewerFile = 0;
  return true;
}

bool OpenRecordFile(const std::string& path, cRecordReader& reader) {
  std::vector<unsigned char> bytes;
  if (!platform::ReadWholeFile(path.empty() ? std::string("err") : path, bytes)) {
    ClearLastReadFailure();
    reader = cRecordReader();
    reader.Fail("file missing or unreadable");
    cReadFailure failure = reader.Failure();
    failure.hasOffset = false;
    SetLastReadFailure(failure);
    return false;
  }
  return OpenRecordBytes(std::move(bytes), reader);
}

void BeginRecordFile(cRecordWriter& w) { w.WriteU32(dwDataVersion); }

bool cSerialRecord::OpenRead(const std::string& path, cRecordReader& r, cReadContext* context) {
  bool ok = OpenRecordFile(path, r);
  r.SetContext(context);
  return ok;
}

bool cSerialRecord::OpenWrite(const std::string& path, cRecordWriter& w) {
  w = cRecordWriter();
  std::string native;
  if (path.empty() || !platform::ToNativePath(path, native, true)) return false;
  w.SetTargetPath(path);
  BeginRecordFile(w);
  return true;
}

void cSerialRecord::Close(cRecordReader& r) { r = cRecordReader(); }

bool cSerialRecord::Close(cRecordWriter& w) {
  bool ok = !w.TargetPath().empty() &&
            platform::WriteWholeFileAtomic(w.TargetPath(), w.Bytes().data(), w.Bytes().size());
  w = cRecordWriter();
  return ok;
}

// Reads a record from an opened reader. Records that can be cloned are read
// into a scratch copy and committed on success; the others are read in place
// and, on failure, get back what their tables describe (under the file's
// layout and the current one), so only extras read outside the tables could
// change, and ReadRecordVector commits those only when complete.
static bool ReadInto(cSerialRecord& target, cRecordReader& r) {
  std::unique_ptr<cSerialRecord> scratch = target.CloneRecord();
  bool ok = false;
  if (scratch) {
    ok = scratch->Read(r) && r.Ok();
    if (!ok) r.Fail();  // a record that refuses its contents without failing the reader
    if (ok) target.CommitRecord(*scratch);
  } else {
    TableSnapshot before;
    target.RegisterFields(r.Version());
    before.Take(target);
    target.RegisterFields(dwDataVersion);
    before.Take(target);
    ok = target.Read(r) && r.Ok();
    if (!ok) {
      r.Fail();
      before.Restore();
    }
  }
  target.RegisterFields(dwDataVersion);
  return ok;
}

bool cSerialRecord::Load(const std::string& path, cReadContext* context) {
  cRecordReader r;
  if (!OpenRead(path, r, context)) return false;
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
  cRecordWriter w;
  if (!OpenWrite(path, w)) return false;
  if (!Write(w)) return false;
  return Close(w);
}
