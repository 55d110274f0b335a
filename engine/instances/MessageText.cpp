#include "engine/instances/MessageText.h"

#include "base/Text.h"
#include "media/graphics/Font.h"
#include "platform/CodePage.h"

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Numbers longer than this are outside 1..1000 whatever their digits.
constexpr int kMaxNumberDigits = 9;

}  // namespace

void ExpandMessageVars(std::string& text, const MessageVarLookup& lookup) {
  size_t i = 0;
  while (i < text.size()) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (platform::IsCp932LeadByte(c)) {
      i += 2;  // the lead-byte rule: the next byte belongs to this character
      continue;
    }
    if (c != '#' || i + 1 >= text.size()) {
      ++i;
      continue;
    }
    char kind = 0;
    int number = 0, digits = 0, width = 0;
    bool format = false, zeroFill = false, plusSign = false;
    size_t end = i + 1;
    for (; end < text.size(); ++end) {
      const char d = text[end];
      if (!format) {
        if (IsDigit(d)) {
          if (digits < kMaxNumberDigits) number = number * 10 + (d - '0');
          ++digits;
        } else if (d == 'C' || d == 'c') {
          kind = 'C';
        } else if (d == 'S' || d == 's') {
          kind = 'S';
        } else if (d == '_') {
          format = true;
        } else {
          break;
        }
      } else if (IsDigit(d)) {
        width = d - '0';
      } else if (d == 'Z' || d == 'z') {
        zeroFill = true;
      } else if (d == 'P' || d == 'p') {
        plusSign = true;
      } else {
        break;
      }
    }
    if (end < text.size() && text[end] == '.') ++end;
    int value = 0;
    if (kind == 0 || digits == 0 || digits > kMaxNumberDigits || number < 1 || number > 1000 ||
        !lookup(kind, number, &value)) {
      ++i;  // unchanged; the bytes after "#" are scanned as text
      continue;
    }
    std::string printed;
    FormatNumber(printed, value, width, zeroFill, plusSign);
    text.replace(i, end - i, printed);
    i += printed.size();
  }
}

void MeasureMessageText(const Font& font, const std::string& text, int* width, int* height) {
  int w = 0, h = 0;
  // Measured the way the font lays the text out when drawing it.
  if (font.m_nPitch != 0)
    font.GetTextSize(text.c_str(), &w, &h);
  else
    font.MeasureText(text.c_str(), &w, &h);
  if (width) *width = w + 2;
  if (height) *height = h + 2;
}
