// ctest-label: base
// Texts the program shows are code page 932 by construction: the sources of
// the program's layers hold no string literal with a byte above 0x7F (a UTF-8
// literal would show as garbage). Japanese texts are written as escaped
// code-page-932 bytes in the text headers; comments may say anything.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tests/support/TestSupport.h"

namespace fs = std::filesystem;

namespace {

bool IsIdentChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

// The run of identifier or number characters that ends just before `i`.
std::string RunBefore(const std::string& s, size_t i) {
  size_t b = i;
  while (b > 0 && IsIdentChar(s[b - 1])) --b;
  return s.substr(b, i - b);
}

// "name:line" for every string literal of `text` holding a byte above 0x7F.
// Comments, character literals and digit separators are passed over; raw
// string literals are read to their closing delimiter.
std::vector<std::string> NonAsciiLiterals(const std::string& name, const std::string& text) {
  std::vector<std::string> found;
  int line = 1;
  size_t i = 0;
  const size_t n = text.size();
  auto advance = [&](size_t to) {
    for (; i < to && i < n; ++i)
      if (text[i] == '\n') ++line;
  };
  auto report = [&](size_t from, size_t to, int at) {
    if (std::any_of(text.begin() + static_cast<long>(from), text.begin() + static_cast<long>(std::min(to, n)),
                    [](char c) { return static_cast<unsigned char>(c) > 0x7F; }))
      found.push_back(name + ":" + std::to_string(at));
  };
  while (i < n) {
    const char c = text[i];
    if (c == '/' && i + 1 < n && text[i + 1] == '/') {
      size_t end = text.find('\n', i);
      advance(end == std::string::npos ? n : end);
    } else if (c == '/' && i + 1 < n && text[i + 1] == '*') {
      size_t end = text.find("*/", i + 2);
      advance(end == std::string::npos ? n : end + 2);
    } else if (c == '"' && i > 0 && text[i - 1] == 'R' && RunBefore(text, i).size() <= 3) {
      // R"delim( ... )delim"
      size_t open = text.find('(', i);
      if (open == std::string::npos) break;
      const std::string close = ")" + text.substr(i + 1, open - i - 1) + "\"";
      size_t end = text.find(close, open);
      if (end == std::string::npos) end = n;
      const int at = line;
      report(open + 1, end, at);
      advance(end + close.size());
    } else if (c == '"' || (c == '\'' && [&] {
                 const std::string run = RunBefore(text, i);
                 return run.empty() || run == "L" || run == "u" || run == "U" || run == "u8";
               }())) {
      size_t j = i + 1;
      while (j < n && text[j] != c && text[j] != '\n') j += text[j] == '\\' ? 2 : 1;
      const int at = line;
      if (c == '"') report(i + 1, j, at);
      advance(j + 1);
    } else {
      advance(i + 1);
    }
  }
  return found;
}

std::vector<std::string> ScanTree(const fs::path& root, std::initializer_list<const char*> dirs) {
  std::vector<std::string> found;
  for (const char* dir : dirs) {
    for (const auto& entry : fs::recursive_directory_iterator(root / dir)) {
      if (!entry.is_regular_file()) continue;
      const std::string ext = entry.path().extension().string();
      if (ext != ".h" && ext != ".cpp") continue;
      std::ifstream in(entry.path(), std::ios::binary);
      const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
      std::vector<std::string> more = NonAsciiLiterals(fs::relative(entry.path(), root).generic_string(), text);
      found.insert(found.end(), more.begin(), more.end());
    }
  }
  std::sort(found.begin(), found.end());
  return found;
}

}  // namespace

TEST(SourceTexts, NoNonAsciiStringLiteralInTheProgramLayers) {
  const char* source = std::getenv("BRINDLE_SOURCE_DIR");
  ASSERT_NE(source, nullptr) << "BRINDLE_SOURCE_DIR is not set";
  const std::vector<std::string> found = ScanTree(source, {"app", "engine", "media", "base"});
  EXPECT_TRUE(found.empty()) << ::testing::PrintToString(found);
}

TEST(SourceTexts, TheScanSkipsCommentsAndFindsEveryLiteralForm) {
  testsupport::TempDir dir;
  fs::create_directories(dir.path() / "app");
  // "\xE3\x83\xA9" is "ラ" in UTF-8; "\x83\x89" the same in code page 932.
  std::ofstream(dir.path() / "app/A.cpp", std::ios::binary)
      << "// comment \xE3\x83\xA9 \"quoted \xE3\x83\xA9\"\n"                    // 1: comment only
      << "const char* a = \"\\x83\\x89 escaped\";  // \xE3\x83\xA9\n"              // 2: escaped bytes
      << "const char* b = \"\xE3\x83\xA9\";\n"                                    // 3: found
      << "/* block \xE3\x83\xA9\n \"\xE3\x83\xA9\" */ int n = 1'000'000;\n"        // 4-5: comment, separators
      << "char q = '\"'; const char* c = \"\\\" \xE3\x83\xA9\";\n"                // 6: found past an escaped quote
      << "const char* d = R\"x(\n) \" \xE3\x83\xA9)x\";\n"                       // 7: raw, found
      << "const char* e = u8\"\xE3\x83\xA9\";\n";                                 // 9: found
  std::ofstream(dir.path() / "app/B.h", std::ios::binary) << "#pragma once\n// \xE3\x83\xA9\n";
  EXPECT_EQ(ScanTree(dir.path(), {"app"}),
            (std::vector<std::string>{"app/A.cpp:3", "app/A.cpp:6", "app/A.cpp:7", "app/A.cpp:9"}));
}
