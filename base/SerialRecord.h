#pragma once
// The base of every data record. A record registers its plain fields and
// strings, in file order, for a given data-format version; the base class
// then clears, copies, reads and writes it from those tables.
//
// Between operations a record keeps its tables as one shared layout (places
// relative to the record, interned by content, so every record of a class
// and version points at the same one): a record costs its members and three
// pointers. Registering builds the tables afresh in buffers that the thread
// reuses; each operation hands them back to the shared layout when it is done.
//
// Container: u32 version word, then the body: i32 n (field-table entries),
// each entry's raw little-endian bytes, i32 m (strings), each string as
// i32 L = length + 1 and, unless L is 1, the text and a NUL; then whatever
// extra data the derived record writes.
#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

#include "base/Containers.h"
#include "base/RecordIO.h"
#include "platform/Memory.h"

// The program's data-format version, the version of the file being read, and
// whether the last file opened for reading was refused as newer.
extern uint32_t dwDataVersion;
extern uint32_t dwFileVersion;
extern int bNewerFile;
extern int bStripCR;
constexpr uint32_t kDataVersion = 791;

struct cRecordTables;
struct cRecordLayout;

class cSerialRecord {
 public:
  // How a field's elements are to be read by tools that show a record
  // (the file holds raw bytes either way).
  enum class ValueKind : int8_t { Signed, Unsigned, Float };
  struct FieldEntry {
    cSerialRecord* owner = nullptr;
    void* address = nullptr;
    int32_t count = 0;
    int8_t elementSize = 0;
    ValueKind kind = ValueKind::Signed;
    const char* name = nullptr;  // the member's name, for tools; may be null
  };
  struct StringEntry {
    cSerialRecord* owner = nullptr;
    std::string* string = nullptr;
    const char* name = nullptr;
  };

  cSerialRecord() = default;
  virtual ~cSerialRecord() = default;
  // A copy's tables are never the source's: a copy-built record starts with
  // empty tables, an assigned one keeps its own (which point at its own
  // members), and every operation that walks them registers first. The
  // source's entries are not re-pointed by offset, since an entry may point
  // outside its record.
  cSerialRecord(const cSerialRecord&) {}
  cSerialRecord& operator=(const cSerialRecord&) { return *this; }
  // Moves follow the same rule; being noexcept, they let vectors of records
  // grow by moving their elements instead of copying them.
  cSerialRecord(cSerialRecord&&) noexcept {}
  cSerialRecord& operator=(cSerialRecord&&) noexcept { return *this; }

  virtual void VersionHook(uint32_t) {}
  virtual void RegisterFields(uint32_t version) {}
  // Read and Write of the body. Derived records call the base first, then
  // handle their extra data. Read returns false when the data is broken.
  virtual bool Read(cRecordReader& r);
  virtual bool Write(cRecordWriter& w);

  void Clear();
  // Copies what the tables describe from a record of the same class.
  void Assign(cSerialRecord& other);
  void StripCR();

  // Whole files. Load reads into a scratch copy and commits only when the
  // whole read succeeded; Save replaces the file atomically.
  bool Load(const std::string& path, cReadContext* context = nullptr);
  bool Save(const std::string& path);
  // Reads a whole file image (version word first) the same way.
  bool LoadFromBytes(std::vector<unsigned char> bytes, cReadContext* context = nullptr);
  std::vector<unsigned char> SaveToBytes();

  // Files that a reader or writer assembles itself (a count and a vector of
  // bodies after the version word, for example). OpenRead: false when the
  // file is missing, too short or newer (see OpenRecordFile). OpenWrite
  // starts the image with the version word; false for a path that can never
  // be written (empty, too long). Closing a writer replaces the file
  // atomically and reports whether that worked; closing a reader drops it.
  static bool OpenRead(const std::string& path, cRecordReader& r, cReadContext* context = nullptr);
  static bool OpenWrite(const std::string& path, cRecordWriter& w);
  static void Close(cRecordReader& r);
  static bool Close(cRecordWriter& w);

  // The tables as registered last (entries point at this record's members).
  cVector<FieldEntry> Fields() const;
  cVector<StringEntry> Strings() const;

  // For Load's scratch copy: records that are loaded as files override these
  // with SERIAL_RECORD_COPYABLE. Without them Load reads in place.
  virtual std::unique_ptr<cSerialRecord> CloneRecord() const { return nullptr; }
  virtual void CommitRecord(cSerialRecord&) {}

 protected:
  void ResetFields();
  // Hands the tables just registered to the shared layout and frees them.
  void Settle();
  template <class T>
  void AddInt(T* address, int count = 1, const char* name = nullptr) {
    static_assert(sizeof(T) == 4 && std::is_trivially_copyable_v<T>);
    AddField(address, count, 4, name, KindOf<T>());
  }
  template <class T>
  void AddShort(T* address, int count = 1, const char* name = nullptr) {
    static_assert(sizeof(T) == 2 && std::is_trivially_copyable_v<T>);
    AddField(address, count, 2, name, KindOf<T>());
  }
  template <class T>
  void AddChar(T* address, int count = 1, const char* name = nullptr) {
    static_assert(sizeof(T) == 1 && std::is_trivially_copyable_v<T>);
    AddField(address, count, 1, name, KindOf<T>());
  }
  template <class T>
  void AddQuad(T* address, int count = 1, const char* name = nullptr) {
    static_assert(sizeof(T) == 8 && std::is_trivially_copyable_v<T>);
    AddField(address, count, 8, name, KindOf<T>());
  }
  void AddString(std::string* s, const char* name = nullptr);
  void AddField(void* address, int count, int elementSize, const char* name = nullptr,
                ValueKind kind = ValueKind::Signed);

  bool ReadStrings(cRecordReader& r);
  void WriteStrings(cRecordWriter& w);

 private:
  template <class T>
  static constexpr ValueKind KindOf() {
    using E = std::remove_cv_t<std::remove_all_extents_t<T>>;
    if constexpr (std::is_floating_point_v<E>) return ValueKind::Float;
    else if constexpr (std::is_unsigned_v<E> || std::is_same_v<E, char8_t>) return ValueKind::Unsigned;
    else return ValueKind::Signed;
  }

  // The tables being used: rebuilt from the shared layout when an operation
  // walks them without registering first.
  void Materialise();
  friend bool ReadIntoRecord(cSerialRecord& target, cRecordReader& r);

  // The tables while registered and in use; between operations none are
  // held. Their buffers come from and go back to a per-thread pool, so
  // registering allocates nothing once the pool is warm.
  struct TablesRecycler {
    void operator()(cRecordTables* t) const;
  };
  cRecordTables& Use();

  std::unique_ptr<cRecordTables, TablesRecycler> m_Tables;
  std::shared_ptr<const cRecordLayout> m_Layout;
};

#define SERIAL_RECORD_COPYABLE(T)                                                                  \
  std::unique_ptr<cSerialRecord> CloneRecord() const override { return std::make_unique<T>(*this); } \
  void CommitRecord(cSerialRecord& from) override { *this = static_cast<T&>(from); }

// Opens a file for reading: fills a reader positioned after the version
// word, or a failed reader (Ok() false) and false when the file is missing
// (bNewerFile and dwFileVersion unchanged), shorter than the version word
// (bNewerFile 0) or newer than this program (bNewerFile 1, dwFileVersion
// holds its version; compared unsigned).
bool OpenRecordFile(const std::string& path, cRecordReader& reader);
bool OpenRecordBytes(std::vector<unsigned char> bytes, cRecordReader& reader);
// Starts a file image with the version word.
void BeginRecordFile(cRecordWriter& w);

// Room for `count` records whose bodies take at least minBytesEach bytes
// each (the reader has checked that the file holds them), for lists that
// are read whole into place. The whole count is reserved when a record is at
// most 16 times its smallest body, so a list costs a bounded multiple of the
// file; larger records grow as they are read. A large list is filled
// through large pages.
template <class T>
void ReserveForRecords(cVector<T>& v, size_t count, size_t minBytesEach) {
  constexpr size_t kReserveBytes = size_t{64} << 10;
  if (sizeof(T) <= 16 * std::max<size_t>(minBytesEach, 1))
    v.reserve(count);
  else
    v.reserve(std::min<size_t>(count, kReserveBytes / sizeof(T) + 1));
  if (v.empty()) platform::AdviseLargeBlock(v.data(), v.capacity() * sizeof(T));
}

// Vectors of records: a u32 count, then each element's body.
template <class T>
bool ReadRecordVector(cRecordReader& r, cVector<T>& v, size_t minBytesEach = 8) {
  uint32_t count = 0;
  // Every body holds at least its two count words; records with more fixed
  // counts pass a larger minimum.
  r.Label("element count");
  if (!r.ReadCount(count, minBytesEach)) return false;
  cVector<T> fresh;
  // The count only bounds the file bytes; an element in memory can be far
  // bigger than its 8 bytes in the file, so grow as elements actually read.
  constexpr size_t kReserveBytes = size_t{64} << 10;
  fresh.reserve(std::min<size_t>(count, kReserveBytes / sizeof(T) + 1));
  for (uint32_t i = 0; i < count; ++i) {
    fresh.emplace_back();
    if (!fresh.back().Read(r)) return false;
  }
  v = std::move(fresh);
  return true;
}

template <class T>
void WriteRecordVector(cRecordWriter& w, cVector<T>& v) {
  w.WriteU32(static_cast<uint32_t>(v.size()));
  for (auto& e : v) e.Write(w);
}
