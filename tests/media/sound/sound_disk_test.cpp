// ctest-label: sound
// Plays music through SDL's "disk" audio driver and checks what was written.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "media/sound/BgmManager.h"
#include "platform/Audio.h"
#include "platform/AudioOgg.h"
#include "platform/AudioSynth.h"
#include "tests/media/sound/SoundTestSupport.h"

namespace {

class DiskAudio : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* d = std::getenv("SDL_AUDIODRIVER");
    previousDriver_ = d ? d : "";
    file_ = (out_.path() / "audio.raw").string();
    // Before SDL starts its audio: every start reads them again.
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", file_.c_str(), 1);
    setenv("SDL_DISKAUDIODELAY", "1", 1);  // about twenty times faster than real time
  }
  void TearDown() override {
    bgm_.Release();
    if (previousDriver_.empty())
      unsetenv("SDL_AUDIODRIVER");
    else
      setenv("SDL_AUDIODRIVER", previousDriver_.c_str(), 1);
    unsetenv("SDL_DISKAUDIOFILE");
    unsetenv("SDL_DISKAUDIODELAY");
  }

  // Plays tune 0 from `path` and records until `seconds` have been written.
  // Returns the recording as stereo floats.
  std::vector<float> Record(const std::string& path, int loop, double seconds) {
    ogg_ = {""};
    midi_ = {""};
    EXPECT_EQ(bgm_.Init(1, &ogg_, &midi_, 1), 1);
    EXPECT_TRUE(platform::AudioHasDevice()) << platform::AudioError();
    rate_ = platform::AudioSampleRate();
    bgm_.SetBgm(0, path);
    EXPECT_EQ(bgm_.Play(0, 0, loop, 1), 1);
    platform::WaitMidiSynthLoad();  // a MIDI tune is held until its SoundFont is ready
    // The device kept writing while the tune was loaded; count from here.
    std::error_code ec;
    auto want = std::filesystem::file_size(file_, ec) + static_cast<std::uintmax_t>(seconds * rate_) * 4;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(120);
    while (std::filesystem::file_size(file_, ec) < want && std::chrono::steady_clock::now() < deadline)
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    bgm_.Release();  // closes the device and the file
    auto bytes = testsupport::ReadFileBytes(file_);
    std::vector<float> s(bytes.size() / 2);
    for (size_t i = 0; i < s.size(); ++i)
      s[i] = static_cast<int16_t>(bytes[i * 2] | bytes[i * 2 + 1] << 8) / 32768.0f;
    EXPECT_GE(s.size() * 2, want);
    return s;
  }

  // First frame with sound: the device ran a little before the tune started.
  static size_t Onset(const std::vector<float>& s) {
    for (size_t i = 0; i < s.size(); ++i)
      if (std::fabs(s[i]) > 1e-3f) return i / 2;
    return s.size() / 2;
  }
  double WindowRms(const std::vector<float>& s, double from, double to) const {
    size_t a = std::min(s.size(), static_cast<size_t>(from * rate_) * 2);
    size_t b = std::min(s.size(), static_cast<size_t>(to * rate_) * 2);
    return b > a ? soundtest::Rms(s.data() + a, b - a) : 0;
  }

  testsupport::TempDir out_;
  std::string file_, previousDriver_;
  int rate_ = 0;
  cVector<std::string> ogg_, midi_;
  cBgmManager bgm_;
};

TEST_F(DiskAudio, OggLoopsForEver) {
  std::string media = testsupport::TestMediaDir();
  if (media.empty()) GTEST_SKIP() << "BRINDLE_TEST_MEDIA not set";
  testsupport::ProjectRootScope root(media + "/sound-theme-freedesktop/usr/share/sounds/freedesktop/stereo");
  double length;
  {
    platform::OggPlayer probe;
    ASSERT_TRUE(probe.Load("complete.oga"));
    length = probe.Length();
  }
  ASSERT_GT(length, 0.2);
  ASSERT_LT(length, 5.0);
  // ".oga" is neither kind: tried as Ogg first, which plays it.
  auto s = Record("complete.oga", 1, 2.5 * length + 1.0);
  double onset = static_cast<double>(Onset(s)) / rate_;
  double window = std::min(length / 2, 0.5);
  double first = WindowRms(s, onset, onset + window);
  double again = WindowRms(s, onset + length, onset + length + window);
  EXPECT_GT(first, 0.01);
  EXPECT_GT(again, first * 0.5);  // the second pass sounds like the first
  EXPECT_GT(WindowRms(s, onset + 2 * length, onset + 2 * length + window), first * 0.5);
}

std::vector<uint8_t> Chord() {
  // Piano chord for one quarter (0.5 s at the default tempo), then the end.
  return soundtest::MakeSmf(
      0, 96,
      {{0x00, 0xC0, 0x00, 0x00, 0x90, 0x3C, 0x70, 0x00, 0x90, 0x40, 0x70, 0x00, 0x90, 0x43, 0x70, 0x60, 0x80,
        0x3C, 0x00, 0x00, 0x80, 0x40, 0x00, 0x00, 0x80, 0x43, 0x00, 0x00, 0xFF, 0x2F, 0x00}});
}

TEST_F(DiskAudio, MidiLoopsForEverAndStopsWithoutLoop) {
  testsupport::ProjectRootScope root(out_.path());
  testsupport::WriteFileBytes(out_.path() / "bgm" / "t.mid", Chord());
  auto looped = Record("bgm\\t.mid", 1, 3.0);
  double onset = static_cast<double>(Onset(looped)) / rate_;
  double first = WindowRms(looped, onset, onset + 0.4);
  EXPECT_GT(first, 0.01);
  for (int pass = 1; pass <= 3; ++pass)
    EXPECT_GT(WindowRms(looped, onset + 0.5 * pass + 0.02, onset + 0.5 * pass + 0.4), first * 0.5) << pass;

  std::filesystem::remove(file_);
  auto once = Record("bgm\\t.mid", 0, 3.0);
  onset = static_cast<double>(Onset(once)) / rate_;
  EXPECT_GT(WindowRms(once, onset, onset + 0.4), 0.01);
  EXPECT_LT(WindowRms(once, onset + 1.0, onset + 2.0), 1e-4);  // rewound and silent
}

}  // namespace
