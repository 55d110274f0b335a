// ctest-label: app menus
// A whole story on the generated sample project, played with keys on a
// virtual X server: a new story from the title, a walk to the first stage
// point, the stage cleared, the story saved to slot 1 from the map menu,
// back to the title and continued from slot 1. Every step waits for the
// player's log (the scene it switched to, the cleared stage) or for the slot
// file before the next keys go out; the slot files are read back.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

#include "data/SaveData.h"
#include "tests/app/app_process.h"
#include "tests/support/TestSupport.h"
#include "tests/support/VirtualX.h"

namespace {

namespace fs = std::filesystem;
using namespace apptest;
using std::chrono::milliseconds;
using std::chrono::seconds;

// The sample's world map: the hero starts at (4, 7); the first stage point,
// "Green Hill", lies on the road at (8, 7) and sets switch 1 when cleared.
constexpr int kFirstPointX = 8, kFirstPointY = 7;
constexpr int kFirstStageSwitch = 1;
constexpr const char* kFirstStage = "World1-1.stg4_000";

void Sleep(milliseconds ms) { std::this_thread::sleep_for(ms); }

size_t Count(const std::string& text, const std::string& needle) {
  size_t n = 0;
  for (size_t at = text.find(needle); at != std::string::npos; at = text.find(needle, at + needle.size())) ++n;
  return n;
}

// The game reads the keyboard once a frame. A key is pressed and released
// by one xdotool command, so the hold does not grow by the start of a second
// program: a direction is held for about six frames, well inside the menus'
// key-repeat delay of 18 frames; button 1 (Z) and button 2 (X) act once per
// press however long they are held.
void Down(const std::string& key) { testsupport::Xdotool("keydown " + key); }
void Up(const std::string& key) { testsupport::Xdotool("keyup " + key); }
void Tap(const std::string& key, const char* hold = "0.1") {
  testsupport::Xdotool("keydown " + key + " sleep " + hold + " keyup " + key);
  Sleep(milliseconds(350));
}
void Button(const std::string& key) { Tap(key, "0.25"); }

// Whether the window's picture holds still and is lit: a scene whose fade-in
// has ended and that reads the keys. During a fade nearly every pixel changes
// from one frame to the next, and between scenes the screen is black.
bool ScreenSettled(testsupport::VirtualDisplay& x, testsupport::XWindowId window) {
  const testsupport::ScreenPixels a = x.ReadWindow(window, 640, 480);
  Sleep(milliseconds(150));
  const testsupport::ScreenPixels b = x.ReadWindow(window, 640, 480);
  if (a.empty() || b.empty()) return false;
  int lit = 0, changed = 0, seen = 0;
  for (int y = 0; y < b.height; y += 4)
    for (int xx = 0; xx < b.width; xx += 4) {
      ++seen;
      lit += (b.At(xx, y) & 0xF0F0F0) != 0;
      changed += a.At(xx, y) != b.At(xx, y);
    }
  return lit * 10 > seen * 3 && changed * 50 < seen;
}

class Story {
 public:
  Story(Process& p, fs::path log, testsupport::XWindowId window) : p_(p), log_(std::move(log)), window_(window) {}
  // Waits until the log holds `line` `n` times.
  bool WaitForLine(const std::string& line, size_t n, seconds limit) {
    const auto until = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < until) {
      if (Count(ReadText(log_), line) >= n) return true;
      if (!p_.Running()) break;
      Sleep(milliseconds(20));
    }
    return Count(ReadText(log_), line) >= n;
  }
  size_t Lines(const std::string& line) const { return Count(ReadText(log_), line); }
  // Waits for the `n`th switch to `scene`, then for its fade-in to end.
  bool NextScene(const std::string& scene, size_t n, seconds limit) {
    if (!WaitForLine("Scene : " + scene, n, limit)) return false;
    const auto until = std::chrono::steady_clock::now() + seconds(30);
    int still = 0;
    while (still < 3 && std::chrono::steady_clock::now() < until) still = ScreenSettled(x_, window_) ? still + 1 : 0;
    return still == 3;
  }

 private:
  Process& p_;
  fs::path log_;
  testsupport::XWindowId window_;
  testsupport::VirtualDisplay x_;
};

// The slot file read back once it is complete.
bool ReadSlot(const fs::path& file, cSaveData& out, seconds limit) {
  const auto until = std::chrono::steady_clock::now() + limit;
  do {
    if (fs::exists(file)) {
      const std::string bytes = ReadText(file);
      if (out.LoadFromBytes(std::vector<unsigned char>(bytes.begin(), bytes.end()))) return true;
    }
    Sleep(milliseconds(50));
  } while (std::chrono::steady_clock::now() < until);
  return false;
}

// In the slot list: the slot under the cursor, "Save here" (the question
// opens on "no"), and the file read back. A lost or doubled key answers "no",
// which goes back to the list on the same slot, so it is asked again.
bool SaveHere(const fs::path& file, cSaveData& out) {
  for (int round = 0; round < 4; ++round) {
    Button("z");
    Tap("Up");
    Button("z");
    if (ReadSlot(file, out, seconds(round == 3 ? 20 : 4))) return true;
  }
  return false;
}

TEST(StoryOnX, NewGameClearSaveAndContinue) {
  if (testsupport::RerunUnderVirtualX({.width = 1024, .height = 768, .blackRoot = true, .keyRepeat = false})) return;
  ASSERT_FALSE(SampleProject().empty()) << "make-sample-project failed";
  testsupport::TempDir tmp;
  const fs::path project = tmp.path() / "game";
  const fs::path runtime = tmp.path() / "runtime";
  CopyTree(SampleProject(), project);
  fs::create_directories(runtime);
  const fs::path log = project / "Report_Game.txt";
  const fs::path slot1 = project / "user_data" / "story" / "Story01.dat";
  const fs::path slot2 = project / "user_data" / "story" / "Story02.dat";

  Process game({project.string()}, XEnv(runtime), tmp.path() / "err.txt");
  ASSERT_TRUE(WaitForText(game, log, "Start-up : done", 60)) << ReadText(log) << game.Stderr();
  const testsupport::XWindowId window = testsupport::FindWindowOfProcess(game.Pid());
  ASSERT_NE(window, 0u) << "no window";
  ASSERT_TRUE(testsupport::FocusWindow(window));
  Story story(game, log, window);
  ASSERT_TRUE(story.NextScene("title", 1, seconds(30))) << ReadText(log);

  // New game: the first title entry.
  for (int i = 0; i < 4 && story.Lines("Scene : world map") == 0; ++i) {
    Button("z");
    story.WaitForLine("Scene : world map", 1, seconds(4));
  }
  ASSERT_TRUE(story.NextScene("world map", 1, seconds(1))) << ReadText(log);

  // Walk right until the stage point stops the hero and asks; move to
  // "Play this stage" and confirm. Walking right does nothing in the
  // question box, and a question answered "no" puts the hero back one cell,
  // so a lost key only costs another round.
  for (int round = 0; round < 4 && story.Lines("Scene : play") == 0; ++round) {
    Down("Right");
    Sleep(milliseconds(4000));
    Up("Right");
    Sleep(milliseconds(300));
    Tap("Up");
    Button("z");
    story.WaitForLine("Scene : play", 1, seconds(8));
  }
  ASSERT_EQ(story.Lines("Scene : play"), 1u) << ReadText(log);

  // The stage: walk right to the brick wall, jump it, reach the flag. The
  // hero waits at the wall as long as needed; a jump that came too soon only
  // lands him short of it, and the next one goes over.
  Down("Right");
  const auto stageUntil = std::chrono::steady_clock::now() + seconds(120);
  Sleep(milliseconds(3000));
  while (!story.WaitForLine("Stage : clear", 1, seconds(6)) && std::chrono::steady_clock::now() < stageUntil) {
    Down("z");
    Sleep(milliseconds(400));
    Up("z");
  }
  Up("Right");
  ASSERT_EQ(story.Lines("Stage : clear"), 1u) << ReadText(log);
  EXPECT_NE(ReadText(log).find(kFirstStage), std::string::npos);
  // The clear screen takes button 1 after a while; on the map, button 1 on a
  // cleared point does nothing.
  for (int i = 0; i < 20 && story.Lines("Scene : world map") < 2; ++i) {
    Button("z");
    story.WaitForLine("Scene : world map", 2, seconds(1));
  }
  ASSERT_TRUE(story.NextScene("world map", 2, seconds(10))) << ReadText(log);

  // The map menu, "Save", slot 1, "Save here".
  for (int i = 0; i < 4 && story.Lines("Scene : map menu") == 0; ++i) {
    Button("x");
    story.WaitForLine("Scene : map menu", 1, seconds(4));
  }
  ASSERT_TRUE(story.NextScene("map menu", 1, seconds(1))) << ReadText(log);
  Button("z");  // Save: the slot list, on slot 1
  cSaveData saved;
  ASSERT_TRUE(SaveHere(slot1, saved)) << "slot 1 was not saved";
  ASSERT_GT(saved.m_Switches.size(), static_cast<size_t>(kFirstStageSwitch));
  EXPECT_EQ(saved.m_Switches[kFirstStageSwitch], 1) << "the first stage is not cleared";
  EXPECT_EQ(saved.m_Switches[0], 1);
  EXPECT_EQ(saved.m_MapX, kFirstPointX);
  EXPECT_EQ(saved.m_MapY, kFirstPointY);
  EXPECT_EQ(saved.m_StorySlot, 0);
  EXPECT_NE(saved.m_StageFile.find("World1"), std::string::npos) << saved.m_StageFile;

  // Back to the menu, up to its last entry "To the title" and confirm.
  Button("x");
  Tap("Up");
  Button("z");
  Tap("Up");
  Button("z");
  ASSERT_TRUE(story.NextScene("title", 2, seconds(15))) << ReadText(log);

  // Continue, slot 1.
  Tap("Down");
  Button("z");
  Button("z");
  ASSERT_TRUE(story.NextScene("world map", 3, seconds(15))) << ReadText(log);

  // The continued story is the saved one: saved again into slot 2, it holds
  // the same progress and place.
  for (int i = 0; i < 4 && story.Lines("Scene : map menu") < 2; ++i) {
    Button("x");
    story.WaitForLine("Scene : map menu", 2, seconds(4));
  }
  ASSERT_TRUE(story.NextScene("map menu", 2, seconds(1))) << ReadText(log);
  Button("z");  // the slot list opens on the slot last saved, slot 1
  Tap("Down");
  cSaveData again;
  ASSERT_TRUE(SaveHere(slot2, again)) << "slot 2 was not saved";
  EXPECT_EQ(again.m_Switches, saved.m_Switches);
  EXPECT_EQ(again.m_Vars, saved.m_Vars);
  EXPECT_EQ(again.m_MapX, saved.m_MapX);
  EXPECT_EQ(again.m_MapY, saved.m_MapY);
  EXPECT_EQ(again.m_StageFile, saved.m_StageFile);
  EXPECT_EQ(again.m_Lives, saved.m_Lives);
  EXPECT_EQ(again.m_Score, saved.m_Score);
  EXPECT_EQ(again.m_StorySlot, 1);

  kill(game.Pid(), SIGTERM);
  game.Wait(30);
  EXPECT_FALSE(game.signalled);
  EXPECT_EQ(game.exitCode, 0) << game.Stderr();
  EXPECT_NE(ReadText(log).find("Exit : done"), std::string::npos) << ReadText(log);
}

}  // namespace
