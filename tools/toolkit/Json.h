#pragma once
// A small streaming JSON writer for the data dumps: objects keep the order
// in which keys are written, so a dump reads in the file's field order and
// can be compared line by line.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tools {

class cJsonWriter {
 public:
  void BeginObject();
  void EndObject();
  // An inline array is written on one line (lists of numbers).
  void BeginArray(bool inlineArray = false);
  void EndArray();
  void Key(std::string_view key);
  void Int(int64_t v);
  void UInt(uint64_t v);
  void Double(double v);
  void Bool(bool v);
  // Text already in UTF-8.
  void String(std::string_view utf8);
  // Text in code page 932, as the data holds it.
  void Cp932String(std::string_view cp932);

  const std::string& Text() const { return out_; }

 private:
  struct Level {
    bool array = false;
    bool inlineArray = false;
    bool empty = true;
  };
  void BeforeValue();
  void NewLine();
  void Quoted(std::string_view utf8);

  std::string out_;
  std::vector<Level> stack_;
  bool afterKey_ = false;
};

}  // namespace tools
