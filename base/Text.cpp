#include "base/Text.h"

#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <limits>

#include "platform/CodePage.h"

namespace {
std::string VFormat(const char* format, va_list args) {
  char buf[kFormatBufferSize];
  int n = std::vsnprintf(buf, sizeof buf, format, args);
  if (n < 0) return {};
  return std::string(buf, static_cast<size_t>(n) < sizeof buf ? static_cast<size_t>(n) : sizeof buf - 1);
}

thread_local uint32_t t_randomState = 1;
}  // namespace

std::string FormatString(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string s = VFormat(format, args);
  va_end(args);
  return s;
}

std::string& AppendFormat(std::string& out, const char* format, ...) {
  va_list args;
  va_start(args, format);
  out += VFormat(format, args);
  va_end(args);
  return out;
}

int cString::GetLength() {
  size_t nul = find('\0');
  if (nul != npos) resize(nul);
  if (size() > kFormatBufferSize - 1) resize(kFormatBufferSize - 1);
  return static_cast<int>(size());
}

cString cString::Mid(int start, int count) {
  if (start < 0) {
    count += start;
    start = 0;
  } else if (start > GetLength()) {
    return {};
  }
  if (count == 0) return {};
  int length = GetLength();
  if (static_cast<int64_t>(start) + count > length || count < 0) count = length - start;
  if (count <= 0) return {};
  return cString(substr(static_cast<size_t>(start), static_cast<size_t>(count)));
}

int CountDigits(int value) {
  int n = 1;
  while (value / 10 != 0 && n < 10) {
    value /= 10;
    ++n;
  }
  return n;
}

void FormatNumber(std::string& out, int value, int minimumDigits, bool leadingZeros, bool plusSign) {
  int width = CountDigits(value);
  if (minimumDigits <= 0 || minimumDigits < width) minimumDigits = width;
  out.clear();
  bool negative = value < 0;
  // 64 bits so that the smallest int has a magnitude.
  int64_t magnitude = negative ? -static_cast<int64_t>(value) : value;
  for (int i = 0; i < minimumDigits; ++i) {
    out.insert(out.begin(), static_cast<char>('0' + magnitude % 10));
    magnitude /= 10;
  }
  if (!leadingZeros) {
    for (size_t i = 0; i + 1 < out.size() && out[i] == '0'; ++i) out[i] = ' ';
  }
  if (negative) out.insert(out.begin(), '-');
  if (plusSign && value >= 0) out.insert(out.begin(), '+');
}

int IsDoubleByteChar(const char* text) {
  if (!text) return 0;
  auto lead = static_cast<unsigned char>(text[0]);
  if (!platform::IsCp932LeadByte(lead)) return 0;
  return platform::IsCp932TrailByte(static_cast<unsigned char>(text[1])) ? 1 : 0;
}

int CountChars(const char* text) {
  int n = 0;
  if (!text) return 0;
  for (const char* p = text; *p;) {
    if (IsDoubleByteChar(p)) {
      p += 2;
      ++n;
    } else {
      if (*p != '\n') ++n;
      ++p;
    }
  }
  return n;
}

void SeedRandom(uint32_t seed) { t_randomState = seed; }

uint32_t RandomState() { return t_randomState; }

int RandomRaw() {
  t_randomState = t_randomState * 214013u + 2531011u;
  return static_cast<int>((t_randomState >> 16) & 0x7FFF);
}

int Random(int a, int b) {
  if (b < a) std::swap(a, b);
  int64_t range = static_cast<int64_t>(b) - a + 1;
  return static_cast<int>(a + RandomRaw() % range);
}

const double Sqrt2 = 1.4142135623730951;
const double OneOverSqrt2 = 0.7071067811865476;
