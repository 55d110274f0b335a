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

// The tables of a record in use. The pool below keeps their buffers.
struct cRecordTables {
  cVector<cSerialRecord::FieldEntry> fields;
  cVector<cSerialRecord::StringEntry> strings;
};

namespace {
// Cleared tables kept for reuse by this thread. Tables that grew very large
// are freed instead, so the pool stays small.
constexpr size_t kPooledTables = 32;
constexpr size_t kPooledEntries = 1024;
thread_local bool t_poolGone = false;  // set once the pool itself is destroyed at thread exit
struct TablesPool {
  std::vector<cRecordTables*> free;
  ~TablesPool() {
    for (cRecordTables* t : free) delete t;
    free.clear();
    t_poolGone = true;
  }
};
thread_local TablesPool t_pool;
}  // namespace

cRecordTables& cSerialRecord::Use() {
  if (!m_Tables) {
    cRecordTables* t = nullptr;
    if (!t_poolGone && !t_pool.free.empty()) {
      t = t_pool.free.back();
      t_pool.free.pop_back();
    } else {
      t = new cRecordTables;
    }
    m_Tables.reset(t);
  }
  return *m_Tables;
}

void cSerialRecord::TablesRecycler::operator()(cRecordTables* t) const {
  t->fields.clear();
  t->strings.clear();
  if (t_poolGone || t_pool.free.size() >= kPooledTables || t->fields.capacity() > kPooledEntries ||
      t->strings.capacity() > kPooledEntries) {
    delete t;
    return;
  }
  t_pool.free.push_back(t);
}

void cSerialRecord::AddString(std::string* s, const char* name) { Use().strings.push_back({this, s, name}); }

void cSerialRecord::AddField(void* address, int count, int elementSize, const char* name, ValueKind kind) {
  Use().fields.push_back({this, address, count, static_cast<int8_t>(elementSize), kind, name});
}

void cSerialRecord::Settle() {
  if (!m_Tables) return;
  const auto& fields = m_Tables->fields;
  const auto& strings = m_Tables->strings;
  if (fields.empty() && strings.empty()) {
    m_Layout.reset();
  } else if (m_Layout && Describes(*m_Layout, this, fields, strings)) {
    // Unchanged since the last time.
  } else {
    bool found = false;
    for (const auto& recent : t_recent)
      if (recent && Describes(*recent, this, fields, strings)) {
        m_Layout = recent;
        found = true;
        break;
      }
    if (!found) {
      m_Layout = Layouts().Intern(this, fields, strings);
      t_recent[t_recentNext] = m_Layout;
      t_recentNext = (t_recentNext + 1) % kRecentLayouts;
    }
  }
  m_Tables.reset();
}

void cSerialRecord::Materialise() {
  if (m_Tables) return;
  cRecordTables& t = Use();
  if (!m_Layout) return;
  auto* base = reinterpret_cast<unsigned char*>(this);
  t.fields.reserve(m_Layout->fields.size());
  for (const auto& f : m_Layout->fields) t.fields.push_back({this, base + f.offset, f.count, f.elementSize, f.kind, f.name});
  t.strings.reserve(m_Layout->strings.size());
  for (const auto& e : m_Layout->strings)
    t.strings.push_back({this, reinterpret_cast<std::string*>(base + e.offset), e.name});
}

cVector<cSerialRecord::FieldEntry> cSerialRecord::Fields() const {
  if (m_Tables) return m_Tables->fields;
  cVector<FieldEntry> out;
  if (!m_Layout) return out;
  auto* base = reinterpret_cast<unsigned char*>(const_cast<cSerialRecord*>(this));
  for (const auto& f : m_Layout->fields)
    out.push_back({const_cast<cSerialRecord*>(this), base + f.offset, f.count, f.elementSize, f.kind, f.name});
  return out;
}

cVector<cSerialRecord::StringEntry> cSerialRecord::Strings() const {
  if (m_Tables) return m_Tables->strings;
  cVector<StringEntry> out;
  if (!m_Layout) return out;
  auto* base = reinterpret_cast<unsigned char*>(const_cast<cSerialRecord*>(this));
  for (const auto& e : m_Layout->strings)
    out.push_back({const_cast<cSerialRecord*>(this), reinterpret_cast<std::string*>(base + e.offset), e.name});
  return out;
}

void cSerialRecord::ResetFields() {
  cRecordTables& t = Use();
  t.fields.clear();
  t.strings.clear();
}

void cSerialRecord::Clear() {
  RegisterFields(dwDataVersion);
  cRecordTables& t = Use();
  for (auto& f : t.fields)
    if (size_t n = EntryBytes(f)) std::memset(f.address, 0, n);
  for (auto& s : t.strings) s.string->clear();
  Settle();
}

void cSerialRecord::Assign(cSerialRecord& other) {
  RegisterFields(dwDataVersion);
  other.RegisterFields(dwDataVersion);
  cRecordTables& mine = Use();
  cRecordTables& theirs = other.Use();
  // Records of the same class have the same tables; the bounds only keep a
  // mismatched pair from reading past the other's members.
  size_t nf = std::min(mine.fields.size(), theirs.fields.size());
  for (size_t i = 0; i < nf; ++i) {
    size_t n = std::min(EntryBytes(mine.fields[i]), EntryBytes(theirs.fields[i]));
    if (n) std::memmove(mine.fields[i].address, theirs.fields[i].address, n);
  }
  size_t ns = std::min(mine.strings.size(), theirs.strings.size());
  for (size_t i = 0; i < ns; ++i) *mine.strings[i].string = *theirs.strings[i].string;
  other.Settle();
  Settle();
}

void cSerialRecord::StripCR() {
  // Inside a read the tables are in use; called on its own it settles them again.
  const bool inUse = m_Tables != nullptr;
  Materialise();
  for (auto& s : m_Tables->strings) {
    CutAtNul(*s.string);
    std::erase(*s.string, '\r');
  }
  if (!inUse) Settle();
}

bool cSerialRecord::Read(cRecordReader& r) {
  RegisterFields(r.Version());
  const auto& fields = Use().fields;
  int32_t n = 0;
  r.Label("field count");
  if (!r.ReadI32(n)) return false;
  // Surplus entries are refused: they would have no field to go to.
  if (n < 0 || static_cast<size_t>(n) > fields.size())
    return r.Fail(std::to_string(n) + ", the record has " + std::to_string(fields.size()) + " fields");
  size_t total = 0;
  for (int32_t i = 0; i < n; ++i) total += EntryBytes(fields[static_cast<size_t>(i)]);
  if (total <= r.Remaining()) {
    // The file holds every entry: copy them in one pass with one bounds check.
    const unsigned char* p = r.Bytes().data() + r.Position();
    for (int32_t i = 0; i < n; ++i) {
      const auto& f = fields[static_cast<size_t>(i)];
      const size_t bytes = EntryBytes(f);
      switch (bytes) {
        case 1: std::memcpy(f.address, p, 1); break;
        case 2: std::memcpy(f.address, p, 2); break;
        case 4: std::memcpy(f.address, p, 4); break;
        case 8: std::memcpy(f.address, p, 8); break;
        default:
          if (bytes) std::memcpy(f.address, p, bytes);
          break;
      }
      p += bytes;
    }
    r.Skip(total);
  } else {
    // Field by field, so the failure names the entry that is cut short.
    for (int32_t i = 0; i < n; ++i) {
      const auto& f = fields[static_cast<size_t>(i)];
      r.Label("field", i, f.name);
      if (!r.ReadBytes(f.address, EntryBytes(f))) return false;
    }
  }
  if (!ReadStrings(r)) return false;
  if (r.Version() != dwDataVersion) RegisterFields(dwDataVersion);
  Settle();
  return true;
}

bool cSerialRecord::ReadStrings(cRecordReader& r) {
  Materialise();
  const auto& strings = m_Tables->strings;
  int32_t m = 0;
  r.Label("string count");
  if (!r.ReadI32(m)) return false;
  if (m < 0 || static_cast<size_t>(m) > strings.size())
    return r.Fail(std::to_string(m) + ", the record has " + std::to_string(strings.size()) + " strings");
  for (int32_t i = 0; i < m; ++i) {
    const auto& e = strings[static_cast<size_t>(i)];
    r.Label("string", i, e.name);
    if (!r.ReadString(*e.string)) return false;
  }
  r.Label(nullptr);
  if (bStripCR) StripCR();
  return true;
}

bool cSerialRecord::Write(cRecordWriter& w) {
  RegisterFields(dwDataVersion);
  const auto& fields = Use().fields;
  w.WriteI32(static_cast<int32_t>(fields.size()));
  for (const auto& f : fields) w.WriteBytes(f.address, EntryBytes(f));
  WriteStrings(w);
  Settle();
  return true;
}

void cSerialRecord::WriteStrings(cRecordWriter& w) {
  Materialise();
  const auto& strings = m_Tables->strings;
  w.WriteI32(static_cast<int32_t>(strings.size()));
  for (auto& s : strings) {
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

void BeginRecordFile(cRecordWriter& w) {
  // The version word, copied in by hand: GCC's overflow check misreads an
  // insert into the still-empty image.
  std::vector<unsigned char>& bytes = w.Bytes();
  const uint32_t version = dwDataVersion;
  const size_t at = bytes.size();
  bytes.resize(at + sizeof version);
  std::memcpy(bytes.data() + at, &version, sizeof version);
}

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
