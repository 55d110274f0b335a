// ctest-label: engine
// The engine runs headless: no file under engine/ may include, directly or
// through the project headers it includes, a header of the windowing,
// audio, font or text-conversion libraries.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "tests/support/TestSupport.h"

namespace fs = std::filesystem;

namespace {

bool IsForbidden(const std::string& header) {
  for (const char* prefix : {"SDL", "ft2build.h", "freetype/", "fontconfig/", "vorbis/", "fluidsynth", "iconv.h"})
    if (header.rfind(prefix, 0) == 0) return true;
  return false;
}

// "#include <x>" or "#include "x"" (spaces allowed around '#'): the
// delimiter and the header name; false for any other line.
bool ParseInclude(const std::string& line, char& open, std::string& header) {
  size_t i = line.find_first_not_of(" \t");
  if (i == std::string::npos || line[i] != '#') return false;
  i = line.find_first_not_of(" \t", i + 1);
  if (i == std::string::npos || line.compare(i, 7, "include") != 0) return false;
  i = line.find_first_not_of(" \t", i + 7);
  if (i == std::string::npos || (line[i] != '<' && line[i] != '"')) return false;
  open = line[i];
  size_t end = line.find(open == '<' ? '>' : '"', i + 1);
  if (end == std::string::npos) return false;
  header = line.substr(i + 1, end - i - 1);
  return true;
}

// Follows the project's quoted includes from `file` (paths relative to
// `root`); returns "file: <header>" for each forbidden angle include met.
void Scan(const fs::path& root, const std::string& file, std::set<std::string>& seen,
          std::vector<std::string>& found) {
  if (!seen.insert(file).second) return;
  std::ifstream in(root / file);
  std::string line, header;
  char open = 0;
  while (std::getline(in, line)) {
    if (!ParseInclude(line, open, header)) continue;
    if (open == '<') {
      if (IsForbidden(header)) found.push_back(file + ": <" + header + ">");
    } else if (fs::exists(root / header)) {
      Scan(root, header, seen, found);
    }
  }
}

std::vector<std::string> ScanTree(const fs::path& root, const std::string& dir) {
  std::vector<std::string> found;
  std::set<std::string> seen;
  for (const auto& entry : fs::recursive_directory_iterator(root / dir)) {
    if (!entry.is_regular_file()) continue;
    std::string ext = entry.path().extension().string();
    if (ext != ".h" && ext != ".cpp") continue;
    Scan(root, fs::relative(entry.path(), root).generic_string(), seen, found);
  }
  return found;
}

}  // namespace

TEST(EngineHeadless, NoMediaLibraryHeaderReachesTheEngine) {
  const char* source = std::getenv("BRINDLE_SOURCE_DIR");
  ASSERT_NE(source, nullptr) << "BRINDLE_SOURCE_DIR is not set";
  std::vector<std::string> found = ScanTree(source, "engine");
  EXPECT_TRUE(found.empty()) << ::testing::PrintToString(found);
}

TEST(EngineHeadless, TheScanFindsDirectAndIndirectIncludes) {
  testsupport::TempDir dir;
  fs::create_directories(dir.path() / "engine");
  fs::create_directories(dir.path() / "media");
  std::ofstream(dir.path() / "engine/A.h") << "#include \"media/B.h\"\n#include <vector>\n";
  std::ofstream(dir.path() / "media/B.h") << "#pragma once\n#  include <SDL2/SDL.h>\n";
  std::ofstream(dir.path() / "engine/C.cpp") << "#include <ft2build.h>\n#include <fontconfig/fontconfig.h>\n";
  std::vector<std::string> found = ScanTree(dir.path(), "engine");
  std::sort(found.begin(), found.end());
  EXPECT_EQ(found, (std::vector<std::string>{"engine/C.cpp: <fontconfig/fontconfig.h>", "engine/C.cpp: <ft2build.h>",
                                             "media/B.h: <SDL2/SDL.h>"}));
}
