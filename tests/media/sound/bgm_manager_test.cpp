// ctest-label: sound
#include <gtest/gtest.h>

#include "media/sound/BgmManager.h"
#include "platform/MessageBox.h"
#include "tests/media/sound/SoundTestSupport.h"

namespace {

// Players that log their calls; a path loads when it contains "good".
std::vector<std::string> g_calls;
int g_live = 0;

class FakeVox : public cVoxPlayer {
 public:
  FakeVox() { ++g_live; }
  bool Load(const char* path) override {
    g_calls.push_back(std::string("load ") + path);
    return std::string(path).find("good") != std::string::npos;
  }
  void Play() override { g_calls.push_back("play"); }
  void Stop() override { g_calls.push_back("stop"); }
  void Reset() override { g_calls.push_back("reset"); }
  void SetLoop(int count) override { g_calls.push_back("loop " + std::to_string(count)); }
  void Destroy() override {
    --g_live;
    delete this;
  }
};

cVoxPlayer* MakeFake() { return new FakeVox; }

class BgmManager : public ::testing::Test {
 protected:
  void SetUp() override {
    SetVoxFactory(&MakeFake);
    g_calls.clear();
    ogg_ = {"o0", "o1", "o2"};
    midi_ = {"m0", "m1", "m2"};
    auto smf = soundtest::MakeSmf(0, 96, {{0x00, 0x90, 0x3C, 0x64, 0x60, 0x80, 0x3C, 0x00, 0x00, 0xFF, 0x2F, 0x00}});
    audio_.Write("bgm/tune.mid", smf);
    ASSERT_EQ(bgm_.Init(1, &ogg_, &midi_, 3), 1);
  }
  void TearDown() override {
    bgm_.Release();
    SetVoxFactory(&CreateVox);
    EXPECT_EQ(g_live, 0);
  }
  int MidiState() { return bgm_.m_Midi.m_Streams[0] ? bgm_.m_Midi.m_Streams[0]->State() : -1; }

  soundtest::HeadlessAudio audio_{48000};
  cVector<std::string> ogg_, midi_;
  cBgmManager bgm_;
};

TEST_F(BgmManager, SetBgmByExtension) {
  struct Case {
    const char* path;
    int result;
    int kind;
    const char* ogg;
    const char* midi;
  } cases[] = {
      {"bgm\\a.mid", 1, 2, "o1", "bgm\\a.mid"},
      {"bgm\\a.MID", 1, 2, "o1", "bgm\\a.mid"},
      {"bgm\\a.ogg", 1, 1, "bgm\\a.ogg", "m1"},
      {"bgm\\a.OGG", 1, 1, "bgm\\a.OGG", "m1"},
      {"bgm\\a.Mid", 0, 0, "bgm\\a.Mid", "bgm\\a.Mid"},
      {"bgm\\a.wav", 0, 0, "bgm\\a.wav", "bgm\\a.wav"},
      {"bgm\\a.", 0, 0, "bgm\\a.", "bgm\\a."},
      {"bgm\\noext", 0, 0, "", ""},
      {"bgm.d\\noext", 0, 0, "bgm.d\\noext", "bgm.d\\noext"},  // the folder's dot counts
  };
  for (const Case& c : cases) {
    ogg_[1] = "o1";
    midi_[1] = "m1";
    bgm_.m_BgmKind[1] = 0;
    EXPECT_EQ(bgm_.SetBgm(1, c.path), c.result) << c.path;
    EXPECT_EQ(bgm_.m_BgmKind[1], c.kind) << c.path;
    EXPECT_EQ(ogg_[1], c.ogg) << c.path;
    EXPECT_EQ(midi_[1], c.midi) << c.path;
  }
}

TEST_F(BgmManager, CurrentTuneIsKeptUnlessForced) {
  bgm_.SetBgm(0, "bgm\\good.ogg");
  EXPECT_EQ(bgm_.Play(0, 0, 1, 1), 1);
  EXPECT_EQ(g_calls, (std::vector<std::string>{"reset", "load bgm\\good.ogg", "loop 2147483647", "play"}));
  EXPECT_EQ(bgm_.m_ChannelKind[0], cBgmManager::kOgg);
  EXPECT_EQ(bgm_.m_nCurrentBgm, 0);

  g_calls.clear();
  EXPECT_EQ(bgm_.Play(0, 0, 1, 0), 1);
  EXPECT_TRUE(g_calls.empty());

  EXPECT_EQ(bgm_.Play(0, 0, 0, 1), 1);  // forced: from the start, once
  EXPECT_EQ(g_calls, (std::vector<std::string>{"stop", "reset", "load bgm\\good.ogg", "loop 0", "play"}));
}

TEST_F(BgmManager, FailureResetsSoTheSameTuneIsTriedAgain) {
  bgm_.SetBgm(2, "bgm\\bad.wav");  // either kind: the Ogg player, then the MIDI player
  EXPECT_EQ(bgm_.Play(0, 2, 1, 0), 0);
  EXPECT_EQ(bgm_.m_nCurrentBgm, -1);
  EXPECT_EQ(bgm_.m_ChannelKind[0], 0);
  EXPECT_EQ(std::count(g_calls.begin(), g_calls.end(), "load bgm\\bad.wav"), 1);
  EXPECT_EQ(MidiState(), -1);  // the MIDI player refused the extension

  EXPECT_EQ(bgm_.Play(0, 2, 1, 0), 0);  // no force needed to try again
  EXPECT_EQ(std::count(g_calls.begin(), g_calls.end(), "load bgm\\bad.wav"), 2);

  // An empty path is not even offered to the player.
  bgm_.SetBgm(1, "bgm\\noext");
  g_calls.clear();
  EXPECT_EQ(bgm_.Play(0, 1, 1, 0), 0);
  EXPECT_EQ(g_calls, (std::vector<std::string>{}));
}

TEST_F(BgmManager, OggStopsMidiAndMidiStopsOgg) {
  bgm_.SetBgm(0, "bgm\\tune.MID");  // played as bgm\tune.mid
  bgm_.SetBgm(1, "bgm\\good.ogg");
  ASSERT_EQ(bgm_.Play(0, 0, 1, 1), 1);
  EXPECT_EQ(bgm_.m_ChannelKind[0], cBgmManager::kMidi);
  EXPECT_EQ(MidiState(), cMidiSequencer::kPlaying);

  g_calls.clear();
  ASSERT_EQ(bgm_.Play(0, 1, 1, 1), 1);
  EXPECT_EQ(bgm_.m_ChannelKind[0], cBgmManager::kOgg);
  EXPECT_EQ(MidiState(), cMidiSequencer::kStopped);

  g_calls.clear();
  ASSERT_EQ(bgm_.Play(0, 0, 1, 1), 1);
  EXPECT_EQ(g_calls.front(), "stop");  // the Ogg player was stopped
  EXPECT_EQ(std::count(g_calls.begin(), g_calls.end(), "stop"), 1);
  EXPECT_EQ(MidiState(), cMidiSequencer::kPlaying);

  bgm_.Stop();
  EXPECT_EQ(MidiState(), cMidiSequencer::kStopped);
}

TEST_F(BgmManager, KindEitherFallsBackFromOggToMidi) {
  ogg_[2] = "bgm\\tune.mid";
  midi_[2] = "bgm\\tune.mid";
  EXPECT_EQ(bgm_.Play(0, 2, 0, 1), 1);
  EXPECT_EQ(bgm_.m_ChannelKind[0], cBgmManager::kMidi);
  EXPECT_EQ(std::count(g_calls.begin(), g_calls.end(), "load bgm\\tune.mid"), 1);
  EXPECT_FALSE(bgm_.m_Midi.m_Streams[0]->Loop());
}

TEST_F(BgmManager, ReleaseAndInitAgain) {
  bgm_.Release();
  EXPECT_EQ(bgm_.m_bEnabled, 0);
  EXPECT_EQ(g_live, 0);
  bgm_.Release();  // off: nothing
  EXPECT_EQ(bgm_.SetBgm(0, "bgm\\good.ogg"), 0);
  EXPECT_EQ(bgm_.Play(0, 0, 1, 1), 0);
  ASSERT_EQ(bgm_.Init(1, &ogg_, &midi_, 3), 1);
  EXPECT_EQ(g_live, 1);
  EXPECT_EQ(bgm_.SetBgm(0, "bgm\\good.ogg"), 1);
  EXPECT_EQ(bgm_.Play(0, 0, 1, 1), 1);
}

TEST_F(BgmManager, MissingOggLibraryLeavesTheManagerOff) {
  bgm_.Release();
  SetVoxFactory(nullptr);
  std::vector<std::string> boxes;
  platform::SetMessageBoxHandler([&](const std::string& text, const std::string&, unsigned) {
    boxes.push_back(text);
    return platform::IDOK;
  });
  EXPECT_EQ(bgm_.Init(1, &ogg_, &midi_, 3), 0);
  platform::SetMessageBoxHandler(nullptr);
  EXPECT_EQ(bgm_.m_bEnabled, 0);
  EXPECT_EQ(boxes, (std::vector<std::string>{"ogg\x82\xCC\x8F\x89\x8A\xFA\x89\xBB\x82\xC9\x8E\xB8\x94s\x81I"}));
}

}  // namespace
