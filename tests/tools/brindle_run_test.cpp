// ctest-label: tools engine
// brindle-run plays the sample project's stages headless as free play from
// the title: every frame gives one JSON line, the play scene's states run
// (fade-in, Ready, Play, StageEnd, the hero's defeat, restarts, game over),
// the run is repeatable, scripted input moves the hero, a recorded run plays
// back frame for frame (the chain of its world hashes is pinned), the
// sample's walker, shots and goal behave, and bad arguments are refused.
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
#include "data/Stage.h"
#include "data/System.h"
#include "tests/tools/sample_fixture.h"
#include "tools/toolkit/ProjectScope.h"
#include "tools/toolkit/SampleStages.h"
#include "tools/toolkit/SampleSystem.h"

namespace {

// The world hashes of every frame of the scripted run below, chained (see
// ChainHashes). Every build of the program (ASan, release) must reproduce
// it; a change of the rules that changes play changes it on purpose, and
// then it is updated here.
constexpr const char* kScriptedRunChain = "ec73b51365c9b208";

// Frames before the first frame of the rules, in which input is not read:
// the fade-in (90 degrees at 10 a frame: 9 frames, its 10th call ends it),
// the Ready state's "stage 1" picture (80 frames, the last of which hands
// over to Play). The play scene's states by number: 0 fade-in, 1 Ready,
// 2 Play, 4 StageEnd, 6 game over, 7 fade-out.
constexpr int kLead = 90;

struct RunResult {
  int status = -1;
  std::vector<std::string> lines;
};

// With `errors` the error output comes among the lines.
RunResult RunTool(const std::string& args, bool errors = false) {
  RunResult r;
  std::string cmd = std::string(BRINDLE_TOOLS_BIN) + "/brindle-run " + args + (errors ? " 2>&1" : " 2>/dev/null");
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
  int frame = 0, result = 0, state = 0, stateFrame = 0;
  double heroX = 0, heroY = 0;
  int heroHp = 0, heroDead = 0, shots = 0, items = 0, score = 0, clearDest = 0;
  int lives = 0, part = 0, time = 0, playTime = 0;
  double cameraX = 0;
  std::vector<Other> others;
  std::string events, hash;
};

Frame Parse(const std::string& line) {
  Frame f;
  f.frame = static_cast<int>(Num(line, "frame"));
  f.result = static_cast<int>(Num(line, "result"));
  f.state = static_cast<int>(Num(line, "state"));
  f.stateFrame = static_cast<int>(Num(line, "state_frame"));
  size_t hero = line.find("\"hero\":{");
  f.heroX = Num(line, "x", hero);
  f.heroY = Num(line, "y", hero);
  f.heroHp = static_cast<int>(Num(line, "hp", hero));
  f.heroDead = static_cast<int>(Num(line, "dead", hero));
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
  f.lives = static_cast<int>(Num(line, "lives", end));
  f.part = static_cast<int>(Num(line, "part", end));
  f.time = static_cast<int>(Num(line, "time", end));
  f.playTime = static_cast<int>(Num(line, "play_time", end));
  size_t camera = line.find("\"camera\":[", end);
  if (camera != std::string::npos) f.cameraX = std::strtod(line.c_str() + camera + 10, nullptr);
  size_t events = line.find("\"events\":[", end);
  if (events != std::string::npos) f.events = line.substr(events + 10, line.find(']', events) - events - 10);
  size_t h = line.find("\"hash\":\"");
  if (h != std::string::npos) f.hash = line.substr(h + 8, 16);
  return f;
}

// The world hashes of a run, each chained into the next: FNV-1a 64 over the
// hash texts of every frame in order.
std::string ChainHashes(const std::vector<Frame>& frames) {
  uint64_t h = 1469598103934665603ull;
  for (const Frame& f : frames)
    for (char c : f.hash) h = (h ^ static_cast<unsigned char>(c)) * 1099511628211ull;
  char text[17];
  std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(h));
  return text;
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

// The script's lines follow kLead idle lines, which the run spends before
// its first rules frame.
std::string WriteScript(const testsupport::TempDir& dir, const std::string& name, const std::vector<Segment>& script) {
  std::string path = (dir.path() / name).string();
  std::ofstream out(path);
  for (int i = 0; i < kLead; ++i) out << ".\n";
  for (const Segment& s : script)
    for (int i = 0; i < s.frames; ++i) out << s.input << "\n";
  return path;
}

const char* const kStage1 = "'data\\stg4\\Sample-1.stg4_000'";
const char* const kStage2 = "'data\\stg4\\Sample-2.stg4_000'";

// Scripts that reach the goal flag: over the first brick and the walker of
// stage 1; hopping all the way through stage 2.
const std::vector<Segment> kGoal1 = {{175, "R"}, {25, "R 1"}, {62, "R"}, {25, "R 1"}, {200, "R"}};
std::vector<Segment> Hops() {
  std::vector<Segment> s;
  for (int i = 0; i < 40; ++i) s.push_back({25, "R 1"}), s.push_back({10, "R"});
  return s;
}

// A copy of the sample project whose free play has `lives` lives (not
// infinite) and whose first stage has a time limit of `seconds`.
std::filesystem::path MortalCopy(const testsupport::TempDir& dir, int lives, int seconds) {
  std::filesystem::path project = dir.path() / "mortal";
  std::filesystem::copy(sampletest::SampleDir(), project, std::filesystem::copy_options::recursive);
  tools::cRootScope root(project.string());
  tools::cProjectScope scope(project.string());
  cSystem system = tools::SampleSystem();
  system.m_InitialLives = {5, 5, lives, 99};
  system.m_InfiniteLives = {1, 1, 0, 1};
  EXPECT_TRUE(system.Save("data\\System.dat"));
  CommonPalette = tools::SampleCommonPalette();
  for (tools::cSampleStage& st : tools::SampleStages()) {
    if (st.path != "data\\stg4\\Sample-1.stg4_000") continue;
    st.stage.m_TimeLimitOn = 1;
    st.stage.m_TimeLimit = seconds;
    EXPECT_TRUE(st.stage.Save(st.path));
  }
  return project;
}

TEST(BrindleRun, SampleStageRunsSixHundredFrames) {
  std::string project = sampletest::SampleDir().string();
  RunResult r = RunTool(Quote(project) + " " + kStage1 + " --frames 600");
  ASSERT_EQ(r.status, 0);
  ASSERT_EQ(r.lines.size(), 600u);
  // The keys of a frame line, in order.
  const char* keys[] = {
      "\"result\":", "\"state\":", "\"state_frame\":", "\"hero\":{\"x\":", "\"y\":",         "\"vx\":",
      "\"vy\":",     "\"hp\":",    "\"sp\":",          "\"dead\":",        "\"walls\":[",    "\"charas\":",
      "\"shots\":",  "\"items\":", "\"camera\":[",     "\"time\":",        "\"play_time\":", "\"score\":",
      "\"lives\":",  "\"part\":",  "\"clear\":",       "\"clear_dest\":",  "\"events\":[",   "\"vars\":{",
      "\"random\":", "\"hash\":\""};
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
  // The states: fade-in on frames 1-9, Ready on 10-89 and on 90, which hands
  // over to Play; the rules run from frame 91 (no result before).
  std::vector<Frame> f = ParseAll(r);
  for (const Frame& x : f) {
    SCOPED_TRACE(x.frame);
    const int state = x.frame < 10 ? 0 : x.frame < kLead ? 1 : 2;
    const int first = state == 0 ? 1 : state == 1 ? 10 : kLead;
    EXPECT_EQ(x.state, state);
    EXPECT_EQ(x.stateFrame, x.frame - first + 1);
    EXPECT_EQ(x.result, x.frame <= kLead ? -1 : 0);
    // Free play from the title: part 1; the sample's system data keeps the
    // default infinite lives of free play (999999).
    EXPECT_EQ(x.part, 1);
    EXPECT_EQ(x.lives, 999999);
  }
  // Play time counts hundredths of a second: 60 rules frames are 100.
  EXPECT_EQ(f[kLead - 1].playTime, 0);
  EXPECT_EQ(f[kLead + 59].playTime, 100);
  // Before the rules run, the stage's start events ("before the stage
  // starts", kind 21) reach the hero and the walker once, on the first frame.
  EXPECT_EQ(f[0].events, "{\"kind\":21,\"chara\":0},{\"kind\":21,\"chara\":1}");
  EXPECT_EQ(f[1].events, "");
}

TEST(BrindleRun, TheSameInputGivesTheSameFrames) {
  std::string project = sampletest::SampleDir().string();
  testsupport::TempDir dir;
  std::string input = (dir.path() / "input.txt").string();
  {
    std::ofstream out(input);
    for (int i = 0; i < kLead; ++i) out << ".\n";
    for (int i = 0; i < 90; ++i) out << (i < 40 ? "R" : "L") << (i % 20 == 0 ? " 1" : "") << "\n";
  }
  std::string args = Quote(project) + " 'data\\stg4\\Sample-2.stg4_000' --frames 210 --input " + Quote(input);
  RunResult a = RunTool(args), b = RunTool(args);
  ASSERT_EQ(a.status, 0);
  ASSERT_EQ(a.lines.size(), 210u);
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
    RunResult r =
        RunTool(Quote(project) + " " + kStage1 + " --frames " + std::to_string(kLead + 25) + " --input " + Quote(in));
    ASSERT_EQ(r.status, 0);
    ASSERT_EQ(r.lines.size(), static_cast<size_t>(kLead + 25));
    std::vector<Frame> f = ParseAll(r);
    const Frame &before = f[kLead + 4], &after = f[kLead + 24];
    EXPECT_NEAR(after.heroX - before.heroX, c.dx, 1e-6);
    double top = before.heroY;
    for (const Frame& x : f) top = std::min(top, x.heroY);
    if (c.rises)
      EXPECT_LT(top, before.heroY - 32.0);
    else
      EXPECT_GT(top, before.heroY - 2.0);
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
  const int frames = kLead + 600;
  RunResult live = RunTool(Quote(project) + " " + kStage1 + " --frames " + std::to_string(frames) + " --input " +
                           Quote(in) + " --record " + Quote(replay));
  ASSERT_EQ(live.status, 0);
  ASSERT_EQ(live.lines.size(), static_cast<size_t>(frames));

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
  RunResult back = RunTool(Quote(project) + " --replay " + Quote(replay) + " --frames " + std::to_string(frames + 1));
  ASSERT_EQ(back.status, 0);
  ASSERT_EQ(back.lines.size(), static_cast<size_t>(frames + 1));
  for (size_t i = 0; i < static_cast<size_t>(frames); ++i) ASSERT_EQ(back.lines[i], live.lines[i]) << "frame " << i + 1;
  const Frame restart = Parse(back.lines[static_cast<size_t>(frames)]);
  EXPECT_EQ(restart.result, 3);
  EXPECT_EQ(restart.state, 1);
  EXPECT_EQ(restart.heroX, f[0].heroX);  // back where the stage starts

  EXPECT_EQ(ChainHashes(f), kScriptedRunChain);
}

TEST(BrindleRun, SampleWalkerTurnsAtTheBrick) {
  // The hero walks up to the first brick; the walker behind it, woken by the
  // view, patrols left until that brick and turns round.
  std::string project = sampletest::SampleDir().string();
  testsupport::TempDir dir;
  std::string in = WriteScript(dir, "in.txt", {{300, "R"}});
  RunResult r =
      RunTool(Quote(project) + " " + kStage1 + " --frames " + std::to_string(kLead + 300) + " --input " + Quote(in));
  ASSERT_EQ(r.lines.size(), static_cast<size_t>(kLead + 300));
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

// Taking the flag ends the stage (the run stops at StageEnd's first frame);
// its clear "on to the next stage" names part 2, the one after free play's
// part 1.
TEST(BrindleRun, SampleGoalEndsTheStage) {
  std::string project = sampletest::SampleDir().string();
  testsupport::TempDir dir;
  struct Case {
    const char* stage;
    std::vector<Segment> script;
  } const cases[] = {{kStage1, kGoal1}, {kStage2, Hops()}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.stage);
    std::string in = WriteScript(dir, "in.txt", c.script);
    RunResult r = RunTool(Quote(project) + " " + c.stage + " --frames 1500 --until 4:1 --input " + Quote(in));
    ASSERT_EQ(r.status, 0);
    ASSERT_GT(r.lines.size(), 2u);
    ASSERT_LT(r.lines.size(), 1500u) << "the stage did not end";
    std::vector<Frame> f = ParseAll(r);
    const Frame& last = f.back();
    EXPECT_EQ(last.result, 4);  // the stage ended this frame
    EXPECT_EQ(last.state, 4);
    EXPECT_EQ(last.stateFrame, 1);
    EXPECT_EQ(last.items, f[f.size() - 2].items - 1);  // by taking the flag
    EXPECT_EQ(last.part, 1);
    EXPECT_EQ(last.clearDest, 2);
    EXPECT_EQ(last.lives, 999999);
    EXPECT_GT(last.heroX, (37 + 10) * 32 - 32);
  }
}

// Once StageEnd has shown "clear" (50 frames: 4 of its 200 a frame), button
// 1 ends it; free play of a file with no chain fades out and starts the same
// file again, from the fade-in.
TEST(BrindleRun, FreePlayRestartsTheFileAfterTheClear) {
  std::string project = sampletest::SampleDir().string();
  testsupport::TempDir dir;
  std::vector<Segment> script = kGoal1;
  script.push_back({100, "."});
  script.push_back({3, ". 1"});
  std::string in = WriteScript(dir, "in.txt", script);
  RunResult r = RunTool(Quote(project) + " " + kStage1 + " --frames 1000 --input " + Quote(in));
  ASSERT_EQ(r.status, 0);
  std::vector<Frame> f = ParseAll(r);
  ASSERT_EQ(f.size(), 1000u);
  // The run went through StageEnd, the fade-out and a second Ready into Play.
  std::vector<int> states;
  size_t again = 0;  // the second attempt's first Play frame
  for (size_t i = 0; i < f.size(); ++i) {
    if (!states.empty() && states.back() == f[i].state) continue;
    states.push_back(f[i].state);
    if (states.size() == 9) again = i;
  }
  EXPECT_EQ(states, (std::vector<int>{0, 1, 2, 4, 7, -1, 0, 1, 2}));
  ASSERT_GT(again, 0u);
  const Frame& last = f[again];
  EXPECT_EQ(last.heroX, f[0].heroX);
  EXPECT_EQ(last.score, 0);
  EXPECT_EQ(last.part, 1);
  EXPECT_EQ(last.clearDest, 0);
  EXPECT_EQ(last.playTime, 0);
}

// Lives: with 2 lives for free play, 1 is left while the first attempt
// runs (the start takes one). The 2-second time limit kills the hero; after
// his defeat animation the stage restarts from Ready with 0 lives left; the
// second death has no life to take and ends in the game-over picture.
TEST(BrindleRun, DeathRestartsTheStageUntilTheLivesRunOut) {
  testsupport::TempDir dir;
  std::filesystem::path project = MortalCopy(dir, 2, 2);
  RunResult r = RunTool(Quote(project.string()) + " " + kStage1 + " --frames 2000 --until 6:1");
  ASSERT_EQ(r.status, 0);
  std::vector<Frame> f = ParseAll(r);
  ASSERT_FALSE(f.empty());
  ASSERT_LT(f.size(), 2000u) << "no game over";
  std::vector<int> states;
  for (const Frame& x : f)
    if (states.empty() || states.back() != x.state) states.push_back(x.state);
  EXPECT_EQ(states, (std::vector<int>{0, 1, 2, 1, 2, 6}));
  EXPECT_EQ(f.back().stateFrame, 1);

  // The attempts: where Play starts and ends.
  std::vector<size_t> plays;
  for (size_t i = 1; i < f.size(); ++i)
    if (f[i].state == 2 && f[i - 1].state != 2) plays.push_back(i);
  ASSERT_EQ(plays.size(), 2u);
  EXPECT_EQ(f[plays[0]].lives, 1);
  EXPECT_EQ(f[plays[1]].lives, 0);
  EXPECT_EQ(f.back().lives, 0);
  for (size_t p : plays) {
    // Each attempt starts afresh: the hero where the stage puts him, the
    // clocks back at the limit and at 0.
    EXPECT_EQ(f[p].heroX, f[0].heroX);
    EXPECT_EQ(f[p].heroDead, 0);
    EXPECT_EQ(f[p].time, 2);
    EXPECT_EQ(f[p].playTime, 0);
  }
  // The time runs out after 2 seconds of rules frames, 120 frames from the
  // first; the hero dies there and his animation follows in Play.
  size_t death = plays[0];
  while (death < f.size() && f[death].heroDead == 0) ++death;
  ASSERT_LT(death, plays[1]);
  EXPECT_EQ(f[death].time, 0);
  EXPECT_NEAR(static_cast<double>(death - plays[0]), 120.0, 2.0);
  EXPECT_EQ(f[plays[1] - 1].state, 1);  // Ready again before the second attempt
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
  RunResult r = RunTool(Quote(project.string()) + " 'data\\stg4\\World1-1.stg4_000' --frames " +
                        std::to_string(kLead + 180) + " --input " + Quote(in));
  ASSERT_EQ(r.status, 0);
  ASSERT_EQ(r.lines.size(), static_cast<size_t>(kLead + 180));
  std::vector<Frame> f = ParseAll(r);
  ASSERT_EQ(f[0].others.size(), 1u);
  // Defeated (HP 0 or gone) and the score rises by the walker's worth.
  size_t hit = 0;
  while (hit < f.size() && !f[hit].others.empty() && f[hit].others[0].hp > 0) ++hit;
  ASSERT_LT(hit, f.size()) << "the walker was never hit";
  ASSERT_GT(hit, static_cast<size_t>(kLead + 20));
  EXPECT_GT(f[hit - 1].shots, 0);
  EXPECT_EQ(f[hit - 1].score, 0);
  EXPECT_EQ(f[hit].score, 50);
  EXPECT_EQ(f.back().score, 50);
  // Defeated, it leaves the list for good.
  EXPECT_TRUE(f.back().others.empty());
  EXPECT_GT(f.back().heroHp, 0);
}

// A play picture that is not there fails the run at once, and the error
// output names it.
TEST(BrindleRun, MissingPlayPictureFailsTheRun) {
  testsupport::TempDir dir;
  std::filesystem::path project = dir.path() / "nopictures";
  std::filesystem::copy(sampletest::SampleDir(), project, std::filesystem::copy_options::recursive);
  std::filesystem::remove(project / "bmp" / "Shot.bmp");
  RunResult r = RunTool(Quote(project.string()) + " " + kStage1 + " --frames 50", true);
  EXPECT_NE(r.status, 0);
  // The picture's own line names it; the run's last word names the project.
  auto has = [&](const std::string& text) {
    return std::any_of(r.lines.begin(), r.lines.end(),
                       [&](const std::string& l) { return l.find(text) != std::string::npos; });
  };
  EXPECT_TRUE(has("bmp\\Shot.bmp"));
  EXPECT_TRUE(has("brindle-run: cannot load the play pictures of " + project.string()));
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
      Quote(project) + stage + " --frames 3 --until 4",
      Quote(project) + stage + " --frames 3 --until x:1",
      Quote(project) + stage + " --frames 3 --until 4:0",
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
