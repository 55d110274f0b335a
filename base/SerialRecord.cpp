#include "base/SerialRecord.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <mutex>
#include <unordered_map>
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

// The tables of a record as places relative to the record. Records of one
// class and version register the same places, so they share one layout.
struct cRecordLayout {
  struct Field {
    ptrdiff_t offset;
    int32_t count;
    int8_t elementSize;
    cSerialRecord::ValueKind kind;
    const char* name;
  };
  struct String {
    ptrdiff_t offset;
    const char* name;
  };
  std::vector<Field> fields;
  std::vector<String> strings;
  size_t hash = 0;
};

namespace {
bool SameName(const char* a, const char* b) { return a == b || (a && b && std::strcmp(a, b) == 0); }

ptrdiff_t OffsetOf(const cSerialRecord* rec, const void* address) {
  return reinterpret_cast<const unsigned char*>(address) - reinterpret_cast<const unsigned char*>(rec);
}

// Whether the layout describes exactly these tables of this record.
bool Describes(const cRecordLayout& layout, const cSerialRecord* rec, const cVector<cSerialRecord::FieldEntry>& fields,
               const cVector<cSerialRecord::StringEntry>& strings) {
  if (layout.fields.size() != fields.size() || layout.strings.size() != strings.size()) return false;
  for (size_t i = 0; i < fields.size(); ++i) {
    const auto& a = layout.fields[i];
    const auto& b = fields[i];
    if (a.offset != OffsetOf(rec, b.address) || a.count != b.count || a.elementSize != b.elementSize ||
        a.kind != b.kind || !SameName(a.name, b.name))
      return false;
  }
  for (size_t i = 0; i < strings.size(); ++i)
    if (layout.strings[i].offset != OffsetOf(rec, strings[i].string) || !SameName(layout.strings[i].name, strings[i].name))
      return false;
  return true;
}

// One hash for a layout and for the tables it would be made from.
struct LayoutHash {
  size_t h = 1469598103934665603ull;
  void Mix(uint64_t v) { h = (h ^ v) * 1099511628211ull; }
  void Field(ptrdiff_t offset, int32_t count, int8_t elementSize) {
    Mix(static_cast<uint64_t>(offset));
    Mix(static_cast<uint64_t>(count) << 8 | static_cast<uint8_t>(elementSize));
  }
};

size_t HashTables(const cSerialRecord* rec, const cVector<cSerialRecord::FieldEntry>& fields,
                  const cVector<cSerialRecord::StringEntry>& strings) {
  LayoutHash h;
  for (const auto& f : fields) h.Field(OffsetOf(rec, f.address), f.count, f.elementSize);
  h.Mix(fields.size());
  for (const auto& s : strings) h.Mix(static_cast<uint64_t>(OffsetOf(rec, s.string)));
  return h.h;
}

// Layouts in use, by content. Entries die with the last record using them;
// dead ones are swept as the table grows.
class LayoutTable {
 public:
  // The layout of a record's registered tables: an existing one, or a new one.
  std::shared_ptr<const cRecordLayout> Intern(const cSerialRecord* rec, const cVector<cSerialRecord::FieldEntry>& fields,
                                              const cVector<cSerialRecord::StringEntry>& strings) {
    const size_t hash = HashTables(rec, fields, strings);
    std::lock_guard<std::mutex> lock(mutex_);
    auto& bucket = table_[hash];
    for (const auto& weak : bucket)
      if (auto shared = weak.lock(); shared && Describes(*shared, rec, fields, strings)) return shared;
    auto layout = std::make_shared<cRecordLayout>();
    layout->fields.reserve(fields.size());
    for (const auto& f : fields) layout->fields.push_back({OffsetOf(rec, f.address), f.count, f.elementSize, f.kind, f.name});
    layout->strings.reserve(strings.size());
    for (const auto& e : strings) layout->strings.push_back({OffsetOf(rec, e.string), e.name});
    layout->hash = hash;
    bucket.push_back(layout);
    if (++inserts_ % 4096 == 0) Sweep();
    return layout;
  }

 private:
  void Sweep() {
    for (auto it = table_.begin(); it != table_.end();) {
      std::erase_if(it->second, [](const std::weak_ptr<const cRecordLayout>& w) { return w.expired(); });
      it = it->second.empty() ? table_.erase(it) : std::next(it);
    }
  }
  std::mutex mutex_;
  std::unordered_map<size_t, std::vector<std::weak_ptr<const cRecordLayout>>> table_;  // looked up, never walked in order
  uint64_t inserts_ = 0;
};

LayoutTable& Layouts() {
  static auto* table = new LayoutTable;  // records may outlive static destruction order
  return *table;
}

// The layouts this thread settled last: lists of records (and the records
// inside them) find theirs here without locking.
constexpr size_t kRecentLayouts = 8;
thread_local std::shared_ptr<const cRecordLayout> t_recent[kRecentLayouts];
thread_local size_t t_recentNext = 0;
}  // namespace

void cSerialRecord::Settle() {
  if (!m_Registered) return;
  m_Registered = false;
  if (m_Fields.empty() && m_Strings.empty()) {
    m_Layout.reset();
  } else if (m_Layout && Describes(*m_Layout, this, m_Fields, m_Strings)) {
    // Unchanged since the last time.
  } else {
    bool found = false;
    for (const auto& recent : t_recent)
      if (recent && Describes(*recent, this, m_Fields, m_Strings)) {
        m_Layout = recent;
        found = true;
        break;
      }
    if (!found) {
      m_Layout = Layouts().Intern(this, m_Fields, m_Strings);
      t_recent[t_recentNext] = m_Layout;
      t_recentNext = (t_recentNext + 1) % kRecentLayouts;
    }
  }
  cVector<FieldEntry>().swap(m_Fields);
  cVector<StringEntry>().swap(m_Strings);
}

void cSerialRecord::Materialise() {
  if (m_Registered) return;
  m_Registered = true;
  m_Fields.clear();
  m_Strings.clear();
  if (!m_Layout) return;
  auto* base = reinterpret_cast<unsigned char*>(this);
  m_Fields.reserve(m_Layout->fields.size());
  for (const auto& f : m_Layout->fields) m_Fields.push_back({this, base + f.offset, f.count, f.elementSize, f.kind, f.name});
  m_Strings.reserve(m_Layout->strings.size());
  for (const auto& e : m_Layout->strings)
    m_Strings.push_back({this, reinterpret_cast<std::string*>(base + e.offset), e.name});
}

cVector<cSerialRecord::FieldEntry> cSerialRecord::Fields() const {
  if (m_Registered || !m_Layout) return m_Fields;
  cVector<FieldEntry> out;
  auto* base = reinterpret_cast<unsigned char*>(const_cast<cSerialRecord*>(this));
  for (const auto& f : m_Layout->fields)
    out.push_back({const_cast<cSerialRecord*>(this), base + f.offset, f.count, f.elementSize, f.kind, f.name});
  return out;
}

cVector<cSerialRecord::StringEntry> cSerialRecord::Strings() const {
  if (m_Registered || !m_Layout) return m_Strings;
  cVector<StringEntry> out;
  auto* base = reinterpret_cast<unsigned char*>(const_cast<cSerialRecord*>(this));
  for (const auto& e : m_Layout->strings)
    out.push_back({const_cast<cSerialRecord*>(this), reinterpret_cast<std::string*>(base + e.offset), e.name});
  return out;
}

void cSerialRecord::ResetFields() {
  m_Fields.clear();
  m_Strings.clear();
  m_Registered = true;
}

void cSerialRecord::Clear() {
  RegisterFields(dwDataVersion);
  for (auto& f : m_Fields)
    if (size_t n = EntryBytes(f)) std::memset(f.address, 0, n);
  for (auto& s : m_Strings) s.string->clear();
  Settle();
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
  other.Settle();
  Settle();
}

void cSerialRecord::StripCR() {
  // Inside a read the tables are in use; called on its own it settles them again.
  const bool inUse = m_Registered;
  Materialise();
  for (auto& s : m_Strings) {
    CutAtNul(*s.string);
    std::erase(*s.string, '\r');
  }
  if (!inUse) Settle();
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
  Settle();
  return true;
}

bool cSerialRecord::ReadStrings(cRecordReader& r) {
  Materialise();
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
  Settle();
  return true;
}

void cSerialRecord::WriteStrings(cRecordWriter& w) {
  Materialise();
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
bool ReadIntoRecord(cSerialRecord& target, cRecordReader& r) {
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
  target.Settle();
  return ok;
}

bool cSerialRecord::Load(const std::string& path, cReadContext* context) {
  cRecordReader r;
  if (!OpenRead(path, r, context)) return false;
  return ReadIntoRecord(*this, r);
}

bool cSerialRecord::LoadFromBytes(std::vector<unsigned char> bytes, cReadContext* context) {
  cRecordReader r;
  if (!OpenRecordBytes(std::move(bytes), r)) return false;
  r.SetContext(context);
  return ReadIntoRecord(*this, r);
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
