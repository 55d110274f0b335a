#pragma once
#include <string>
#include <string_view>

namespace platform {

// Code page 932 <-> UTF-8 at the boundary to the operating system.
// Undecodable bytes become U+FFFD; the result is never empty for non-empty input.
std::string Cp932ToUtf8(std::string_view cp932);
// Characters without a code-page-932 form become '?' unless `ok` is given,
// in which case *ok is set to false and the result is empty.
std::string Utf8ToCp932(std::string_view utf8, bool* ok = nullptr);

// True when byte b can start a double-byte character in code page 932.
inline bool IsCp932LeadByte(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }
inline bool IsCp932TrailByte(unsigned char b) { return b >= 0x40 && b <= 0xFC && b != 0x7F; }
// Bytes of the character at pos: 2 for a lead byte followed by a trail byte, else 1.
inline int Cp932CharSize(const std::string& s, size_t pos) {
  return (IsCp932LeadByte(static_cast<unsigned char>(s[pos])) && pos + 1 < s.size() &&
          IsCp932TrailByte(static_cast<unsigned char>(s[pos + 1])))
             ? 2
             : 1;
}

}  // namespace platform
