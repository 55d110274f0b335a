// ctest-label: sound
// A tune opened while the SoundFont still loads: held at its first event,
// then played from there once the synthesiser exists.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include "media/sound/MidiStream.h"
#include "platform/AudioSynth.h"
#include "tests/media/sound/SoundTestSupport.h"

namespace {

// A rate no other test uses, so the synthesiser is built afresh here.
constexpr int kMidiStreamTestRate = 37800;

TEST(MidiStreamSoundFontLoad, TuneWaitsForTheSynthesiserAndLosesNoEvent) {
  ASSERT_FALSE(platform::SoundFontCandidates().empty()) << "no General MIDI SoundFont installed";
  soundtest::HeadlessAudio audio(kMidiStreamTestRate);
  platform::AudioStart();
  // Program change to 0, then a loud chord for one quarter (0.5 s), then the end.
  audio.Write("bgm/t.mid", soundtest::MakeSmf(0, 96,
                                              {{0x00, 0xC0, 0x00, 0x00, 0x90, 0x3C, 0x70, 0x00, 0x90, 0x40, 0x70,
                                                0x60, 0x80, 0x3C, 0x00, 0x00, 0x80, 0x40, 0x00, 0x00, 0xFF, 0x2F,
                                                0x00}}));
  {
    // Holding the mixer's lock keeps the finished synthesiser from being
    // installed, so the load is still under way for as long as we like.
    auto lock = platform::AudioLock();
    cMidiStream tune("bgm\\t.mid");
    ASSERT_TRUE(tune.IsOpen());
    tune.Restart(0);
    const size_t first = tune.Position();
    EXPECT_EQ(platform::MidiSynthLoadState(), platform::SynthLoad::kLoading);
    for (int block = 0; block < 20; ++block) {
      auto out = soundtest::HeadlessAudio::Render(1024);
      EXPECT_EQ(soundtest::Rms(out.data(), out.size()), 0.0) << block;
    }
    EXPECT_EQ(tune.Position(), first);  // nothing was sent into the void
    EXPECT_EQ(tune.State(), cMidiSequencer::kPlaying);
    lock.unlock();
    platform::WaitMidiSynthLoad();
    ASSERT_EQ(platform::MidiSynthLoadState(), platform::SynthLoad::kReady);
    // 0.2 s after the tune really starts: the chord sounds.
    auto out = soundtest::HeadlessAudio::Render(kMidiStreamTestRate / 5);
    EXPECT_GT(soundtest::Rms(out.data(), out.size()), 0.01);
    EXPECT_GT(tune.Position(), first);
  }
  platform::AudioStop();
}

TEST(MidiStreamSoundFontLoad, LoadStartsOnceAndTellsEveryCaller) {
  ASSERT_FALSE(platform::SoundFontCandidates().empty()) << "no General MIDI SoundFont installed";
  soundtest::HeadlessAudio audio(kMidiStreamTestRate + 1);
  platform::AudioStart();
  std::vector<std::string> told;
  {
    auto lock = platform::AudioLock();  // the load cannot end meanwhile
    platform::StartMidiSynthLoad([&](const std::string& e) { told.push_back("a" + e); });
    platform::StartMidiSynthLoad([&](const std::string& e) { told.push_back("b" + e); });
    EXPECT_TRUE(told.empty());
  }
  platform::WaitMidiSynthLoad();
  EXPECT_EQ(told, (std::vector<std::string>{"a", "b"}));  // both told once, without an error
  platform::MidiSynth* built = platform::CurrentMidiSynth();
  ASSERT_TRUE(built);
  EXPECT_EQ(built->SampleRate(), kMidiStreamTestRate + 1);
  // Already built: told at once, and nothing is built again.
  platform::StartMidiSynthLoad([&](const std::string& e) { told.push_back("c" + e); });
  EXPECT_EQ(told.back(), "c");
  EXPECT_EQ(platform::AcquireMidiSynth(nullptr), built);
  platform::AudioStop();
}

bool FluidSynthMapped() {
  std::ifstream maps("/proc/self/maps");
  std::string line;
  while (std::getline(maps, line))
    if (line.find("libfluidsynth") != std::string::npos) return true;
  return false;
}

// The synthesiser library is opened by the first build, not at start-up. The
// check runs in a fresh copy of this program, which has opened nothing yet.
TEST(FluidSynthOpening, OpenedByTheFirstSynthesiserNotAtStartUp) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        if (FluidSynthMapped()) std::_Exit(2);
        soundtest::HeadlessAudio audio(kMidiStreamTestRate + 2);
        platform::AudioStart();
        if (FluidSynthMapped()) std::_Exit(3);
        platform::StartMidiSynthLoad(nullptr);
        platform::WaitMidiSynthLoad();
        const bool ready = platform::MidiSynthLoadState() == platform::SynthLoad::kReady;
        const bool mapped = FluidSynthMapped();
        platform::AudioStop();
        std::_Exit(!ready ? 4 : !mapped ? 5 : 0);
      },
      ::testing::ExitedWithCode(0), "");
}

}  // namespace
