#pragma once
// Bounded reading and checked writing of record files. A reader works on the
// whole file held in memory and knows how many bytes remain, so no count or
// length taken from a file can make us read or allocate past its end.
#include <bit>
#include <cstdint>
#include <cstring>
#include <string>
#include <type_traits>
#include <vector>

static_assert(std::endian::native == std::endian::little, "record files are little-endian images");

// The first failure of a read: where it happened (file offset of the byte the
// failed read started at) and why, e.g. "field 12 (m_Width): needs 4 bytes,
// 2 left". An empty reason means no failure.
struct cReadFailure {
  size_t offset = 0;
  std::string reason;
  bool hasOffset = true;  // false when the file could not be read at all
  bool Failed() const { return !reason.empty(); }
  // "REASON, at byte OFFSET", or the reason alone.
  std::string Text() const;
};

// The first failure of the last reader that failed on this thread since the
// last file was opened for reading (see OpenRecordBytes); readers on other
// threads keep their own.
const cReadFailure& LastReadFailure();
void ClearLastReadFailure();
// Hands a failure seen on another thread (a reader thread) to this one.
void SetLastReadFailure(const cReadFailure& failure);

// Whatever a reader of nested records needs from outside the file (the
// palettes, the stage being read, database counts, the editor flag). The
// data layer defines it; the framework only passes the pointer along.
struct cReadContext;

class cRecordReader {
 public:
  cRecordReader() = default;
  explicit cRecordReader(std::vector<unsigned char> bytes, size_t start = 0)
      : bytes_(std::move(bytes)), pos_(start) {}

  // Any failed read makes the reader fail for good; reads after a failure
  // return false and leave their destination alone.
  bool ReadBytes(void* dst, size_t n);
  bool Skip(size_t n);
  template <class T>
  bool ReadValue(T& value) {
    static_assert(std::is_trivially_copyable_v<T>);
    return ReadBytes(&value, sizeof(T));
  }
  bool ReadI32(int32_t& v) { return ReadValue(v); }
  bool ReadU32(uint32_t& v) { return ReadValue(v); }
  // A count of elements that each need at least minBytesEach bytes: refused
  // when the rest of the file cannot hold them.
  bool ReadCount(uint32_t& count, size_t minBytesEach);
  // A length word L followed by L bytes holding text and NUL (the record
  // string form); L must be at least 1.
  bool ReadString(std::string& s);
  // Makes the reader fail for good. The first failure's reason and offset
  // are kept (here and in LastReadFailure); the reason is prefixed with
  // what the current label names. An empty reason: the reader refused the
  // value it just read.
  bool Fail(const std::string& reason = {});
  const cReadFailure& Failure() const { return failure_; }
  // Names what the next reads are (a field, a string, a count of a list),
  // for the failure reason. `kind` and `name` must outlive the label; an
  // index below 0 is not shown.
  void Label(const char* kind, int32_t index = -1, const char* name = nullptr) {
    labelKind_ = kind;
    labelIndex_ = index;
    labelName_ = name;
  }

  bool Ok() const { return !failed_; }
  size_t Remaining() const { return failed_ ? 0 : bytes_.size() - pos_; }
  size_t Position() const { return pos_; }
  bool AtEnd() const { return pos_ >= bytes_.size(); }
  const std::vector<unsigned char>& Bytes() const { return bytes_; }

  // Version word of the file being read.
  uint32_t Version() const { return version_; }
  void SetVersion(uint32_t v) { version_ = v; }
  cReadContext* Context() const { return context_; }
  void SetContext(cReadContext* c) { context_ = c; }

 private:
  bool FailAt(size_t offset, const std::string& reason);

  std::vector<unsigned char> bytes_;
  size_t pos_ = 0;
  bool failed_ = false;
  cReadFailure failure_;
  const char* labelKind_ = nullptr;
  int32_t labelIndex_ = -1;
  const char* labelName_ = nullptr;
  uint32_t version_ = 0;
  cReadContext* context_ = nullptr;
};

class cRecordWriter {
 public:
  void WriteBytes(const void* src, size_t n) {
    const auto* p = static_cast<const unsigned char*>(src);
    bytes_.insert(bytes_.end(), p, p + n);
  }
  template <class T>
  void WriteValue(const T& value) {
    static_assert(std::is_trivially_copyable_v<T>);
    WriteBytes(&value, sizeof(T));
  }
  void WriteI32(int32_t v) { WriteValue(v); }
  void WriteU32(uint32_t v) { WriteValue(v); }
  // L = length + 1, then the text and a NUL unless the text is empty. The
  // text is cut at its first NUL.
  void WriteString(const std::string& s);

  const std::vector<unsigned char>& Bytes() const { return bytes_; }
  std::vector<unsigned char>& Bytes() { return bytes_; }

  // The file the image goes to when it is closed (see cSerialRecord::OpenWrite).
  const std::string& TargetPath() const { return path_; }
  void SetTargetPath(const std::string& path) { path_ = path; }

 private:
  std::vector<unsigned char> bytes_;
  std::string path_;
};
