#include "base/RecordIO.h"

namespace {
thread_local cReadFailure t_lastFailure;
}

const cReadFailure& LastReadFailure() { return t_lastFailure; }
void ClearLastReadFailure() { t_lastFailure = cReadFailure(); }
void SetLastReadFailure(const cReadFailure& failure) { t_lastFailure = failure; }

std::string cReadFailure::Text() const {
  return hasOffset ? reason + ", at byte " + std::to_string(offset) : reason;
}

bool cRecordReader::Fail(const std::string& reason) { return FailAt(pos_, reason); }

bool cRecordReader::FailAt(size_t offset, const std::string& reason) {
  if (failed_) return false;
  failed_ = true;
  std::string what;
  if (labelKind_) {
    what = labelKind_;
    if (labelIndex_ >= 0) {
      what += ' ';
      what += std::to_string(labelIndex_);
    }
    if (labelName_) what += std::string(" (") + labelName_ + ")";
    what += ": ";
  }
  failure_.offset = offset;
  failure_.reason = what + (reason.empty() ? std::string("value refused by the reader") : reason);
  t_lastFailure = failure_;
  return false;
}

namespace {
std::string Needs(size_t n, size_t left) {
  return "needs " + std::to_string(n) + " bytes, " + std::to_string(left) + " left";
}
}  // namespace

bool cRecordReader::ReadBytes(void* dst, size_t n) {
  if (failed_) return false;
  if (n > bytes_.size() - pos_) return Fail(Needs(n, bytes_.size() - pos_));
  if (n) std::memcpy(dst, bytes_.data() + pos_, n);
  pos_ += n;
  return true;
}

bool cRecordReader::Skip(size_t n) {
  if (failed_) return false;
  if (n > bytes_.size() - pos_) return Fail(Needs(n, bytes_.size() - pos_));
  pos_ += n;
  return true;
}

bool cRecordReader::ReadCount(uint32_t& count, size_t minBytesEach) {
  uint32_t c = 0;
  if (!ReadU32(c)) return false;
  if (minBytesEach && c > Remaining() / minBytesEach)
    return FailAt(pos_ - 4, "count " + std::to_string(c) + " of at least " + std::to_string(minBytesEach) +
                                " bytes each, " + std::to_string(Remaining()) + " bytes left after it");
  count = c;
  return true;
}

bool cRecordReader::ReadString(std::string& s) {
  int32_t length = 0;
  if (!ReadI32(length)) return false;
  if (length < 1) return FailAt(pos_ - 4, "string length word " + std::to_string(length) + ", at least 1 expected");
  if (length == 1) {
    s.clear();
    return true;
  }
  size_t n = static_cast<size_t>(length);
  if (n > Remaining()) return Fail("string text " + Needs(n, Remaining()));
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
