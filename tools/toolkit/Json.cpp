#include "tools/toolkit/Json.h"

#include <charconv>
#include <cmath>
#include <cstdio>

#include "platform/CodePage.h"

namespace tools {

void cJsonWriter::NewLine() {
  out_ += '\n';
  out_.append(stack_.size() * 2, ' ');
}

void cJsonWriter::BeforeValue() {
  if (afterKey_) {
    afterKey_ = false;
    return;
  }
  if (stack_.empty()) return;
  Level& level = stack_.back();
  if (!level.empty) out_ += level.inlineArray ? ", " : ",";
  if (!level.inlineArray) NewLine();
  level.empty = false;
}

void cJsonWriter::BeginObject() {
  BeforeValue();
  out_ += '{';
  stack_.push_back({false, false, true});
}

void cJsonWriter::EndObject() {
  bool empty = stack_.back().empty;
  stack_.pop_back();
  if (!empty) NewLine();
  out_ += '}';
  if (stack_.empty()) out_ += '\n';
}

void cJsonWriter::BeginArray(bool inlineArray) {
  BeforeValue();
  out_ += '[';
  // An array inside an inline array stays inline.
  bool parentInline = !stack_.empty() && stack_.back().inlineArray;
  stack_.push_back({true, inlineArray || parentInline, true});
}

void cJsonWriter::EndArray() {
  Level level = stack_.back();
  stack_.pop_back();
  if (!level.empty && !level.inlineArray) NewLine();
  out_ += ']';
  if (stack_.empty()) out_ += '\n';
}

void cJsonWriter::Key(std::string_view key) {
  BeforeValue();
  Quoted(key);
  out_ += ": ";
  afterKey_ = true;
}

void cJsonWriter::Int(int64_t v) {
  BeforeValue();
  out_ += std::to_string(v);
}

void cJsonWriter::UInt(uint64_t v) {
  BeforeValue();
  out_ += std::to_string(v);
}

void cJsonWriter::Double(double v) {
  BeforeValue();
  if (!std::isfinite(v)) {
    // JSON has no form for these; a string keeps the dump readable.
    out_ += std::isnan(v) ? "\"nan\"" : (v > 0 ? "\"inf\"" : "\"-inf\"");
    return;
  }
  char buf[64];
  auto r = std::to_chars(buf, buf + sizeof buf, v);
  out_.append(buf, r.ptr);
}

void cJsonWriter::Bool(bool v) {
  BeforeValue();
  out_ += v ? "true" : "false";
}

void cJsonWriter::String(std::string_view utf8) {
  BeforeValue();
  Quoted(utf8);
}

void cJsonWriter::Quoted(std::string_view utf8) {
  out_ += '"';
  for (unsigned char c : utf8) {
    switch (c) {
      case '"':
        out_ += "\\\"";
        break;
      case '\\':
        out_ += "\\\\";
        break;
      case '\n':
        out_ += "\\n";
        break;
      case '\r':
        out_ += "\\r";
        break;
      case '\t':
        out_ += "\\t";
        break;
      default:
        if (c < 0x20) {
          char buf[8];
          std::snprintf(buf, sizeof buf, "\\u%04x", c);
          out_ += buf;
        } else {
          out_ += static_cast<char>(c);
        }
    }
  }
  out_ += '"';
}

void cJsonWriter::Cp932String(std::string_view cp932) {
  if (cp932.empty()) {
    String("");
    return;
  }
  String(platform::Cp932ToUtf8(cp932));
}

}  // namespace tools
