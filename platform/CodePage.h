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

}  // namespace platform
