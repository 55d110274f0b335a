#pragma once
// Little-endian byte images built by hand, independently of the record
// writers, for tests that state a file layout on their own.
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

namespace testsupport {

using Bytes = std::vector<unsigned char>;

class ByteBuilder {
 public:
  ByteBuilder() = default;
  // Starts from bytes made elsewhere.
  explicit ByteBuilder(Bytes start) : v_(std::move(start)) {}
  ByteBuilder& U8(unsigned v) {
    v_.push_back(static_cast<unsigned char>(v));
    return *this;
  }
  ByteBuilder& I8(int v) { return U8(static_cast<unsigned>(v) & 0xFF); }
  ByteBuilder& I16(int v) { return Put(static_cast<int16_t>(v)); }
  ByteBuilder& U16(unsigned v) { return Put(static_cast<uint16_t>(v)); }
  ByteBuilder& I32(int32_t v) { return Put(v); }
  ByteBuilder& U32(uint32_t v) { return Put(v); }
  ByteBuilder& F64(double v) { return Put(v); }
  // n bytes, each `value`.
  ByteBuilder& Fill(size_t n, unsigned char value) {
    v_.insert(v_.end(), n, value);
    return *this;
  }
  // A record string: L = length + 1, then the text and a NUL unless it is empty.
  ByteBuilder& Str(const std::string& s) {
    I32(static_cast<int32_t>(s.size() + 1));
    if (!s.empty()) {
      v_.insert(v_.end(), s.begin(), s.end());
      v_.push_back(0);
    }
    return *this;
  }
  // A count word, then the items.
  ByteBuilder& Ints(const std::vector<int32_t>& values) {
    U32(static_cast<uint32_t>(values.size()));
    for (int32_t x : values) I32(x);
    return *this;
  }
  ByteBuilder& Strings(const std::vector<std::string>& texts) {
    U32(static_cast<uint32_t>(texts.size()));
    for (const std::string& t : texts) Str(t);
    return *this;
  }
  ByteBuilder& Bytes8(const std::vector<uint8_t>& b) {
    U32(static_cast<uint32_t>(b.size()));
    v_.insert(v_.end(), b.begin(), b.end());
    return *this;
  }
  ByteBuilder& Raw(const Bytes& b) {
    v_.insert(v_.end(), b.begin(), b.end());
    return *this;
  }
  ByteBuilder& Raw(std::initializer_list<unsigned char> b) {
    v_.insert(v_.end(), b);
    return *this;
  }
  ByteBuilder& Raw(const ByteBuilder& other) { return Raw(other.v_); }
  ByteBuilder& Raw(const void* p, size_t n) {
    const auto* c = static_cast<const unsigned char*>(p);
    v_.insert(v_.end(), c, c + n);
    return *this;
  }
  const Bytes& bytes() const { return v_; }
  // For tests that cut or damage what was built.
  Bytes& bytes() { return v_; }
  size_t size() const { return v_.size(); }

 private:
  template <class T>
  ByteBuilder& Put(T v) {
    unsigned char tmp[sizeof(T)];
    std::memcpy(tmp, &v, sizeof(T));
    v_.insert(v_.end(), tmp, tmp + sizeof(T));
    return *this;
  }
  Bytes v_;
};

}  // namespace testsupport
