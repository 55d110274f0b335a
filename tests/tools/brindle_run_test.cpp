// ctest-label: tools engine
// brindle-run plays the sample project's stages headless: every frame gives
// one JSON line, the run is repeatable, scripted input moves the hero, a
// recorded run plays back frame for frame (its last world hash is pinned),
// the sample's walker, shots and goal behave, and bad arguments are refused.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "data/CharaDef.h"
#include "data/CommonPalette.h"
#include "data/EdShot.h"
#include "data/Flow.h"
#include "tests/tools/sample_fixture.h"
#include "tools/toolkit/ProjectScope.h"
#include "tools/toolkit/SampleStages.h"

namespace {

// The hash of the last frame of the scripted run below. Every build of the
// program (ASan, release) must reproduce it; a change of the rules that
// changes play changes it on purpose, and then it is updated here.
constexpr const char* kScriptedRunLastHash = "b553e34fda9af859";

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

// The number after "key": at or after `from` (NaN when absent).
double Num(const std::string& line, const std::string& key, size_t from = 0) {
  size_t at = line.find("\"" + key + "\":", from);
  if (at == std::string::npos) return std::nan("");
  return std::strtod(line.c_str() + at + key.size() + 3, nullptr);
}

// The fields of a frame line the tests look at.
struct Other {
  int id = 0;
  double x = 0;
  int hp = 0, faceRight = 0;
};
struct Frame {
  int frame = 0, result = 0, state = 0;
  double heroX = 0, heroY = 0;
  int heroHp = 0, shots = 0, items = 0, score = 0, clearDest = 0;
  std::vector<Other> others;
  std::string hash;
};

Frame Parse(const std::string& line) {
  Frame f;
  f.frame = static_cast<int>(Num(line, "frame"));
  f.result = static_cast<int>(Num(line, "result"));
  f.state = static_cast<int>(Num(line, "state"));
  size_t hero = line.find("\"hero\":{");
  f.heroX = Num(line, "x", hero);
  f.heroY = Num(line, "y", hero);
  f.heroHp = static_cast<int>(Num(line, "hp", hero));
  size_t begin = line.find("\"others\":["), end = line.find(']', begin);
  for (size_t at = line.find('{', begin); at != std::string::npos && at < end; at = line.find('{', at + 1)) {
    Other o;
    o.id = static_cast<int>(Num(line, "id", at));
    o.x = Num(line, "x", at);
    o.hp = static_cast<int>(Num(line, "hp", at));
    o.faceRight = static_cast<int>(Num(line, "face_right", at));
    f.others.push_back(o);
  }
  f.shots = static_cast<int>(Num(line, "shots", end));
  f.items = static_cast<int>(Num(line, "items", end));
  f.score = static_cast<int>(Num(line, "score", end));
  f.clearDest = static_cast<int>(Num(line, "clear_dest", end));
  size_t h = line.find("\"hash\":\"");
  if (h != std::string::npos) f.hash = line.substr(h + 8, 16);
  return f;
}

std::vector<Frame> ParseAll(const RunResult& r) {
  std::vector<Frame> frames;
  for (const std::string& line : r.lines) frames.push_back(Parse(line));
  return frames;
}

// An input script: runs of frames with one input line ("R 1", "L", ".").
struct Segment {
  int frames;
  const char* input;
};

std::string WriteScript(const testsupport::TempDir& dir, const std::string& name, const std::vector<Segment>& script) {
  std::string path = (dir.path() / name).string();
  std::ofstream out(path);
  for (const Segment& s : script)
    for (int i = 0; i < s.frames; ++i) out << s.input << "\n";
  return path;
}

const char* const kStage1 = "'data\\stg4\\Sample-1.stg4_000'";

TEST(BrindleRun, SampleStageRunsSixHundredFrames) {
  std::string project = sampletest::SampleDir().string();
  RunResult r = RunTool(Quote(project) + " " + kStage1 + " --frames 600");
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

// The hero's walking and jumping flows run on key conditions: they need the
// command executors and the condition kinds that start-up installs.
TEST(BrindleRun, ScriptedInputMovesTheHero) {
  std::string project = sampletest::SampleDir().string();
  testsupport::TempDir dir;
  struct Case {
    const char* input;
    double dx;   // hero x after 20 frames of the input minus before (3 pixels a frame)
    bool rises;  // the hero leaves the ground
  } const cases[] = {
      {".", 0.0, false},
      {"R", 60.0, false},
      {"L", -60.0, false},
      {"R 1", 60.0, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.input);
    // Standing first, so that the jump starts from the ground.
    std::string in = WriteScript(dir, "in.txt", {{5, "."}, {20, c.input}});
    RunResult r = RunTool(Quote(project) + " " + kStage1 + " --frames 25 --input " + Quote(in));
    ASSERT_EQ(r.status, 0);
    ASSERT_EQ(r.lines.size(), 25u);
    std::vector<Frame> f = ParseAll(r);
    EXPECT_NEAR(f[24].heroX - f[4].heroX, c.dx, 1e-6);
    double top = f[4].heroY;
    for (const Frame& x : f) top = std::min(top, x.heroY);
    if (c.rises)
      EXPECT_LT(top, f[4].heroY - 32.0);
    else
      EXPECT_GT(top, f[4].heroY - 2.0);
  }
}

// Walk right, jump over the first brick, get hit once by the walker, jump
// back, walk about and stand: coins, damage, shots, the walker turning.
const std::vector<Segment> kScriptedRun = {
    {175, "R"}, {25, "R 1"}, {20, "R"},  {10, "L"},   {25, "L 1"}, {60, "L"},
    {30, "."},  {20, "L 1"}, {100, "L"}, {30, "R 1"}, {60, "R"},   {45, "."},
};

TEST(BrindleRun, RecordedRunPlaysBackFrameForFrame) {
  std::string project = sampletest::SampleDir().string();
  testsupport::TempDir dir;
  std::string in = WriteScript(dir, "in.txt", kScriptedRun);
  std::string replay = (dir.path() / "run.rpl4_791").string();
  RunResult live =
      RunTool(Quote(project) + " " + kStage1 + " --frames 600 --input " + Quote(in) + " --record " + Quote(replay));
  ASSERT_EQ(live.status, 0);
  ASSERT_EQ(live.lines.size(), 600u);

  // The run is worth comparing: the hero went right and came back, took a
  // coin and a hit, and the walker moved and fired.
  std::vector<Frame> f = ParseAll(live);
  double rightmost = 0;
  bool walkerMoved = false, shot = false;
  for (const Frame& x : f) {
    rightmost = std::max(rightmost, x.heroX);
    walkerMoved = walkerMoved || (x.others.size() == 1 && x.others[0].x != f[0].others[0].x);
    shot = shot || x.shots > 0;
  }
  EXPECT_GT(rightmost, 1050.0);
  EXPECT_LT(f.back().heroX, 1000.0);
  EXPECT_EQ(f.back().score, 100);
  EXPECT_EQ(f.back().heroHp, 2);
  EXPECT_TRUE(walkerMoved);
  EXPECT_TRUE(shot);

  // Played back (with no input of its own), the same frames; the frame after
  // the recording restarts the stage from its start picture.
  RunResult back = RunTool(Quote(project) + " --replay " + Quote(replay) + " --frames 601");
  ASSERT_EQ(back.status, 0);
  ASSERT_EQ(back.lines.size(), 601u);
  for (size_t i = 0; i < 600; ++i) ASSERT_EQ(back.lines[i], live.lines[i]) << "frame " << i + 1;
  const Frame restart = Parse(back.lines[600]);
  EXPECT_EQ(restart.result, 3);
  EXPECT_EQ(restart.state, 1);
  EXPECT_NEAR(restart.heroX, f[0].heroX - 3.0, 1e-9);  // before its first step

  EXPECT_EQ(f.back().hash, kScriptedRunLastHash);
}

TEST(BrindleRun, SampleWalkerTurnsAtTheBrick) {
  // The hero walks up to the first brick; the walker behind it, woken by the
  // view, patrols left until that brick and turns round.
  std::string project = sampletest::SampleDir().string();
  testsupport::TempDir dir;
  std::string in = WriteScript(dir, "in.txt", {{300, "R"}});
  RunResult r = RunTool(Quote(project) + " " + kStage1 + " --frames 300 --input " + Quote(in));
  ASSERT_EQ(r.lines.size(), 300u);
  std::vector<Frame> f = ParseAll(r);
  int turn = -1;
  for (size_t i = 1; i < f.size(); ++i) {
    ASSERT_EQ(f[i].others.size(), 1u);
    if (f[i - 1].others[0].faceRight == 0 && f[i].others[0].faceRight == 1) {
      turn = static_cast<int>(i);
      break;
    }
  }
  ASSERT_GT(turn, 0) << "the walker never turned";
  const double brickRight = (22 + 10 + 1) * 32;  // right edge of the brick in column 22
  EXPECT_LT(f[turn].others[0].x, f[0].others[0].x - 64);
  EXPECT_GE(f[turn].others[0].x, brickRight);
  EXPECT_LT(f[turn].others[0].x, brickRight + 8);
  // It walks right afterwards.
  EXPECT_GT(f[turn + 20].others[0].x, f[turn].others[0].x);
}

TEST(BrindleRun, SampleGoalEndsTheStage) {
  std::string project = sampletest::SampleDir().string();
  testsupport::TempDir dir;
  std::string in = WriteScript(dir, "in.txt", {{175, "R"}, {25, "R 1"}, {62, "R"}, {25, "R 1"}, {200, "R"}});
  RunResult r = RunTool(Quote(project) + " " + kStage1 + " --frames 600 --input " + Quote(in));
  ASSERT_EQ(r.status, 0);
  ASSERT_FALSE(r.lines.empty());
  ASSERT_LT(r.lines.size(), 600u) << "the stage did not end";
  std::vector<Frame> f = ParseAll(r);
  const Frame& last = f.back();
  EXPECT_EQ(last.result, 4);  // the stage ended this frame
  EXPECT_EQ(last.state, 4);
  EXPECT_EQ(last.items, f[f.size() - 2].items - 1);  // by taking the flag
  EXPECT_EQ(last.clearDest, 1);                     // on to part 1 of the chain
  EXPECT_GT(last.heroX, (37 + 10) * 32 - 32);
}

// The sample's hero cannot shoot: a copy of the project whose hero fires a
// ball ahead on button 2 shows a shot killing the walker and the score rise.
TEST(BrindleRun, HeroShotKillsTheWalkerAndScores) {
  testsupport::TempDir dir;
  std::filesystem::path project = dir.path() / "shooter";
  std::filesystem::copy(sampletest::SampleDir(), project, std::filesystem::copy_options::recursive);
  {
    tools::cRootScope root(project.string());
    tools::cProjectScope scope(project.string());
    cCommonPalette palette = tools::SampleCommonPalette();
    cFlowCmd shot;
    shot.m_CmdKind = 11;
    cEdShot::Reset(shot.m_pShot);
    cEdShot& s = *shot.m_pShot;
    s.m_ShotCount = 1;
    s.m_Graphic = 2;
    s.m_ShotFaction = 0;
    s.m_ShotSpeed = 60;
    s.m_Attack = 1;
    s.m_LifeLimited = 1;
    s.m_LifeTime = 20;
    shot.m_Time = 5;
    cKeyCond key;
    key.m_KeyStates[12] = 1;  // button 2
    key.m_AnyHold = 1;
    cFlow fire;
    fire.m_Trigger = 0;
    fire.m_KeyRepeat = 1;
    fire.m_KeyConds.push_back(key);
    fire.m_Cmds.push_back(shot);
    palette.m_Charas[tools::kCharaHero].m_Flows.push_back(fire);
    ASSERT_TRUE(palette.Save("data\\CommonPalette.cplt4"));
  }
  // Walk towards the walker of World1-1 (nothing between them) and fire.
  std::string in = WriteScript(dir, "in.txt", {{20, "R"}, {100, "R 2"}, {60, "."}});
  RunResult r =
      RunTool(Quote(project.string()) + " 'data\\stg4\\World1-1.stg4_000' --frames 180 --input " + Quote(in));
  ASSERT_EQ(r.status, 0);
  ASSERT_EQ(r.lines.size(), 180u);
  std::vector<Frame> f = ParseAll(r);
  ASSERT_EQ(f[0].others.size(), 1u);
  // Defeated: HP 0, the score rises by the walker's worth, and it moves no
  // more (its defeat animation would end it in the player's drawing).
  size_t hit = 0;
  while (hit < f.size() && f[hit].others[0].hp > 0) ++hit;
  ASSERT_LT(hit, f.size()) << "the walker was never hit";
  ASSERT_GT(hit, 20u);
  EXPECT_GT(f[hit - 1].shots, 0);
  EXPECT_EQ(f[hit - 1].score, 0);
  EXPECT_EQ(f[hit].score, 50);
  EXPECT_EQ(f.back().score, 50);
  EXPECT_EQ(f.back().others[0].x, f[hit].others[0].x);
  EXPECT_GT(f.back().heroHp, 0);
}

TEST(BrindleRun, RefusesBadArguments) {
  std::string project = sampletest::SampleDir().string();
  testsupport::TempDir dir;
  std::string junk = (dir.path() / "junk.rpl4_791").string();
  std::ofstream(junk) << "not a replay";
  const std::string stage = std::string(" ") + kStage1;
  const std::string cases[] = {
      "",
      Quote(project) + stage + " --frames",
      Quote(project) + stage + " --frames -3",
      Quote(project) + " 'data\\stg4\\Missing.stg4_000' --frames 3",
      "/nonexistent" + stage + " --frames 3",
      Quote(project) + stage + " --frames 3 --input /nonexistent/in.txt",
      Quote(project) + stage + " --frames 3 --bogus",
      // A playback takes no stage, no input and records nothing.
      Quote(project) + " --replay " + Quote(junk) + stage + " --frames 3",
      Quote(project) + " --replay " + Quote(junk) + " --frames 3 --input /dev/null",
      Quote(project) + " --replay " + Quote(junk) + " --frames 3 --record " + Quote(junk + "2"),
      // Not a replay, or none at all.
      Quote(project) + " --replay " + Quote(junk) + " --frames 3",
      Quote(project) + " --replay /nonexistent/x.rpl4_791 --frames 3",
      // A recording that cannot be written fails the run.
      Quote(project) + stage + " --frames 3 --record /nonexistent/x.rpl4_791",
  };
  for (const std::string& args : cases) EXPECT_NE(RunTool(args).status, 0) << args;
}

}  // namespace
