// ctest-label: tools engine
// brindle-run plays the sample project's stages headless: every frame gives
// one JSON line, the run is repeatable, and bad arguments are refused.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/tools/sample_fixture.h"

namespace {

struct RunResult {
  int status = -1;
  std::vector<std::string> lines;
};

RunResult RunTool(const std::string& args) {
  RunResult r;
  std::string cmd = std::string(BRINDLE_TOOLS_BIN) + "/brindle-run " + args + " 2>/dev/null";
  FILE* pipe = popen(cmd.c_str(), "r");
  if (!pipe) return r;
  std::string text;
  char buf[4096];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, pipe)) > 0) text.append(buf, n);
  r.status = pclose(pipe);
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) r.lines.push_back(line);
  return r;
}

std::string Quote(const std::string& s) { return "'" + s + "'"; }

TEST(BrindleRun, SampleStageRunsSixHundredFrames) {
  std::string project = sampletest::SampleDir().string();
  RunResult r = RunTool(Quote(project) + " 'data\\stg4\\Sample-1.stg4_000' --frames 600");
  ASSERT_EQ(r.status, 0);
  ASSERT_EQ(r.lines.size(), 600u);
  // The keys of a frame line, in order.
  const char* keys[] = {"\"result\":", "\"state\":2,", "\"hero\":{\"x\":", "\"y\":",      "\"vx\":",     "\"vy\":",
                        "\"hp\":",     "\"sp\":",      "\"dead\":",        "\"walls\":[", "\"charas\":", "\"shots\":",
                        "\"items\":",  "\"time\":",    "\"vars\":{",       "\"random\":", "\"hash\":\""};
  for (size_t i = 0; i < r.lines.size(); ++i) {
    const std::string& line = r.lines[i];
    SCOPED_TRACE(line);
    std::string head = "{\"frame\":" + std::to_string(i + 1) + ",";
    ASSERT_EQ(line.compare(0, head.size(), head), 0);
    size_t at = head.size();
    for (const char* key : keys) {
      at = line.find(key, at);
      ASSERT_NE(at, std::string::npos) << key;
    }
    EXPECT_EQ(line.back(), '}');
  }
}

TEST(BrindleRun, TheSameInputGivesTheSameFrames) {
  std::string project = sampletest::SampleDir().string();
  testsupport::TempDir dir;
  std::string input = (dir.path() / "input.txt").string();
  {
    std::ofstream out(input);
    for (int i = 0; i < 90; ++i) out << (i < 40 ? "R" : "L") << (i % 20 == 0 ? " 1" : "") << "\n";
  }
  std::string args = Quote(project) + " 'data\\stg4\\Sample-2.stg4_000' --frames 120 --input " + Quote(input);
  RunResult a = RunTool(args), b = RunTool(args);
  ASSERT_EQ(a.status, 0);
  ASSERT_EQ(a.lines.size(), 120u);
  EXPECT_EQ(a.lines, b.lines);
}

TEST(BrindleRun, RefusesBadArguments) {
  std::string project = sampletest::SampleDir().string();
  EXPECT_NE(RunTool("").status, 0);
  EXPECT_NE(RunTool(Quote(project) + " 'data\\stg4\\Sample-1.stg4_000' --frames").status, 0);
  EXPECT_NE(RunTool(Quote(project) + " 'data\\stg4\\Sample-1.stg4_000' --frames -3").status, 0);
  EXPECT_NE(RunTool(Quote(project) + " 'data\\stg4\\Missing.stg4_000' --frames 3").status, 0);
  EXPECT_NE(RunTool("/nonexistent 'data\\stg4\\Sample-1.stg4_000' --frames 3").status, 0);
  EXPECT_NE(RunTool(Quote(project) + " 'data\\stg4\\Sample-1.stg4_000' "
                                     "--frames 3 --input /nonexistent/in.txt")
                .status,
            0);
}

}  // namespace
