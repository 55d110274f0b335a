#pragma once
// Text, number and code-page helpers. Every text is code-page-932 bytes.
#include <cmath>
#include <cstdint>
#include <string>

class cString : public std::string {
 public:
  using std::string::string;
  cString() = default;
  cString(const std::string& s) : std::string(s) {}
  cString(std::string&& s) : std::string(std::move(s)) {}

  // Cuts the string at its first NUL and returns the new length.
  int GetLength();
  // Substring. A negative start counts from 0 and shortens the count; a
  // negative count, or one past the end, takes the rest; a start past the
  // end or a count of 0 gives an empty string.
  cString Mid(int start, int count);
};

// printf-style formatting; texts are cut at 5119 bytes and never overflow.
std::string FormatString(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string& AppendFormat(std::string& out, const char* format, ...) __attribute__((format(printf, 2, 3)));
constexpr int kFormatBufferSize = 5120;

int CountDigits(int value);
void FormatNumber(std::string& out, int value, int minimumDigits, bool leadingZeros, bool plusSign);

// 1 when text[0] is a lead byte and text[1] a trail byte. Reads text[1] only
// when text[0] is a lead byte (a NUL there stops it).
int IsDoubleByteChar(const char* text);
int CountChars(const char* text);

// The runtime's linear congruential generator (state * 214013 + 2531011,
// bits 16..30 returned), one state per thread, starting at 1.
void SeedRandom(uint32_t seed);
// The calling thread's generator state (tools print it to compare runs).
uint32_t RandomState();
int RandomRaw();  // 0..32767
int Random(int a, int b);

extern const double Sqrt2;
extern const double OneOverSqrt2;

// Truncates toward zero; NaN and values outside int map to 0. Inline: the
// play step calls it for every coordinate it rounds.
inline int TruncToInt(double value) {
#if defined(__x86_64__) && defined(__GNUC__)
  // The processor's truncation gives INT_MIN only for NaN, values outside
  // int and values that truncate to INT_MIN: any other result is exact.
  // As an asm statement, because compilers fold the intrinsic on constants
  // by other rules.
  int fast;
  asm("cvttsd2si %1, %0" : "=r"(fast) : "x"(value));
  if (fast != INT32_MIN) [[likely]]
    return fast;
#endif
  // One range test: NaN fails both comparisons.
  if (value > -2147483649.0 && value < 2147483648.0) return static_cast<int>(value);
  return 0;
}
