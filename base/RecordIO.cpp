#include "base/RecordIO.h"

bool cRecordReader::ReadBytes(void* dst, size_t n) {
  if (failed_ || n > bytes_.size() - pos_) return Fail();
  if (n) std::memcpy(dst, bytes_.data() + pos_, n);
  pos_ += n;
  return true;
}

bool cRecordReader::Skip(size_t n) {
  if (failed_ || n > bytes_.size() - pos_) return Fail();
  pos_ += n;
  return true;
}

bool cRecordReader::ReadCount(uint32_t& count, size_t minBytesEach) {
  uint32_t c = 0;
  if (!ReadU32(c)) return false;
  if (minBytesEach && c > Remaining() / minBytesEach) return Fail();
  count = c;
  return true;
}

bool cRecordReader::ReadString(std::string& s) {
  int32_t length = 0;
  if (!ReadI32(length)) return false;
  if (length < 1) return Fail();
  if (length == 1) {
    s.clear();
    return true;
  }
  size_t n = static_cast<size_t>(length);
  if (n > Remaining()) return Fail();
  const char* p = reinterpret_cast<const char*>(bytes_.data() + pos_);
  s.assign(p, strnlen(p, n));
  pos_ += n;
  return true;
}

void cRecordWriter::WriteString(const std::string& s) {
  size_t len = strnlen(s.c_str(), s.size());
  WriteValue(static_cast<int32_t>(len + 1));
  if (len) {
    WriteBytes(s.data(), len);
    WriteValue<char>('\0');
  }
}
