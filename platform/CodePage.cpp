#include "platform/CodePage.h"

#include <iconv.h>

#include <cerrno>
#include <mutex>

namespace platform {
namespace {

// iconv descriptors are not thread-safe; one pair guarded by a mutex is plenty
// for the rare conversions at the system boundary.
struct Converter {
  iconv_t cd;
  std::mutex mutex;
  Converter(const char* to, const char* from) : cd(iconv_open(to, from)) {}
  ~Converter() {
    if (cd != reinterpret_cast<iconv_t>(-1)) iconv_close(cd);
  }
};

Converter& ToUtf8() {
  static Converter c("UTF-8", "CP932");
  return c;
}
Converter& ToCp932() {
  static Converter c("CP932", "UTF-8");
  return c;
}

// Converts one piece; returns false on an invalid or unconvertible sequence at *in.
bool Run(Converter& c, const char*& in, size_t& inLeft, std::string& out) {
  char buf[256];
  while (inLeft > 0) {
    char* o = buf;
    size_t oLeft = sizeof buf;
    size_t r = iconv(c.cd, const_cast<char**>(&in), &inLeft, &o, &oLeft);
    out.append(buf, static_cast<size_t>(o - buf));
    if (r == static_cast<size_t>(-1)) {
      if (errno == E2BIG) continue;
      iconv(c.cd, nullptr, nullptr, nullptr, nullptr);
      return false;
    }
  }
  return true;
}

}  // namespace

std::string Cp932ToUtf8(std::string_view cp932) {
  Converter& c = ToUtf8();
  std::lock_guard<std::mutex> lock(c.mutex);
  std::string out;
  const char* in = cp932.data();
  size_t left = cp932.size();
  if (c.cd == reinterpret_cast<iconv_t>(-1)) return std::string(cp932);
  while (!Run(c, in, left, out)) {
    out += "\xEF\xBF\xBD";  // U+FFFD
    unsigned char b = static_cast<unsigned char>(*in);
    size_t skip = (IsCp932LeadByte(b) && left >= 2) ? 2 : 1;
    in += skip;
    left -= skip;
  }
  return out;
}

std::string Utf8ToCp932(std::string_view utf8, bool* ok) {
  Converter& c = ToCp932();
  std::lock_guard<std::mutex> lock(c.mutex);
  if (ok) *ok = true;
  std::string out;
  const char* in = utf8.data();
  size_t left = utf8.size();
  if (c.cd == reinterpret_cast<iconv_t>(-1)) return std::string(utf8);
  while (!Run(c, in, left, out)) {
    if (ok) {
      *ok = false;
      return {};
    }
    out += '?';
    // Skip one UTF-8 sequence.
    unsigned char b = static_cast<unsigned char>(*in);
    size_t skip = b < 0x80 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
    if (skip > left) skip = left;
    in += skip;
    left -= skip;
  }
  return out;
}

}  // namespace platform
