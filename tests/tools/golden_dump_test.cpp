// ctest-label: tools
// The sample's dumps match the reviewed golden files in tests/tools/golden/
// (regenerate.sh there rewrites them after an intended change).
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>

#include "tests/tools/sample_fixture.h"
#include "tools/toolkit/DataKinds.h"

namespace {

std::string ReadText(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), {});
}

// The first line where two texts differ, for a readable failure.
std::string FirstDifference(const std::string& a, const std::string& b) {
  size_t line = 1, i = 0;
  for (; i < a.size() && i < b.size() && a[i] == b[i]; ++i)
    if (a[i] == '\n') ++line;
  auto lineAt = [](const std::string& s, size_t at) {
    size_t start = s.rfind('\n', at == 0 ? 0 : at - 1);
    start = start == std::string::npos ? 0 : start + 1;
    return s.substr(start, s.find('\n', start) - start);
  };
  return "line " + std::to_string(line) + ":\n  golden: " + lineAt(a, i) + "\n  dumped: " + lineAt(b, i);
}

void ExpectGolden(const char* kind, const char* projectPath, const char* golden) {
  const char* source = std::getenv("BRINDLE_SOURCE_DIR");
  ASSERT_NE(source, nullptr) << "BRINDLE_SOURCE_DIR is not set";
  std::string internal;
  ASSERT_TRUE(tools::NativeToDataPath(sampletest::Native(sampletest::SampleDir(), projectPath).string(), internal));
  tools::cJsonWriter json;
  std::string error;
  ASSERT_TRUE(tools::FindDataKind(kind)->dump(internal, json, &error)) << error;
  std::string expected = ReadText(std::filesystem::path(source) / "tests/tools/golden" / golden);
  ASSERT_FALSE(expected.empty()) << golden << " is missing";
  EXPECT_TRUE(json.Text() == expected) << golden << " differs at " << FirstDifference(expected, json.Text())
                                       << "\n(tests/tools/golden/regenerate.sh rewrites it after an intended change)";
}

TEST(GoldenDump, SystemData) { ExpectGolden("system", "data\\System.dat", "System.dat.json"); }

TEST(GoldenDump, StoryStage) { ExpectGolden("stage", "data\\stg4\\World1-1.stg4_000", "World1-1.stg4_000.json"); }

}  // namespace
