// ctest-label: sound
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "platform/Audio.h"
#include "platform/AudioOgg.h"
#include "platform/AudioSynth.h"
#include "platform/FileSystem.h"
#include "tests/support/TestSupport.h"

namespace {

class Mixer : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::AudioSetHeadless(rate_);
    EXPECT_FALSE(platform::AudioStart());  // no device, by request
  }
  void TearDown() override {
    for (auto v : voices_) platform::DestroyVoice(v);
    platform::AudioStop();
    platform::AudioSetHeadless(0);
  }
  platform::VoiceId Voice(int rate, int channels, std::vector<float> samples) {
    auto d = std::make_shared<platform::PcmData>();
    d->rate = rate;
    d->channels = channels;
    d->samples = std::move(samples);
    auto v = platform::CreateVoice(d);
    voices_.push_back(v);
    return v;
  }
  static std::vector<float> Render(int frames) {
    std::vector<float> out(static_cast<size_t>(frames) * 2);
    platform::AudioRender(out.data(), frames);
    return out;
  }
  int rate_ = 48000;
  std::vector<platform::VoiceId> voices_;
};

TEST_F(Mixer, VolumeIsTenToTheVolumeOverTwoThousand) {
  struct Case {
    int volume;
    double gain;
  } cases[] = {{0, 1.0}, {-2000, 0.1}, {-4000, 0.01}, {-600, std::pow(10.0, -0.3)}, {-9999, std::pow(10.0, -4.9995)},
               {-10000, 0.0}, {-20000, 0.0}, {500, 1.0}};
  for (const Case& c : cases) EXPECT_NEAR(platform::VolumeToGain(c.volume), c.gain, 1e-7) << c.volume;
  EXPECT_EQ(platform::VolumeToGain(-10000), 0.0f);  // exactly silent
}

TEST_F(Mixer, EqualRatesCopyAndOtherRatesInterpolate) {
  auto same = Voice(48000, 1, {0.5f, -0.25f, 0.125f});
  platform::VoicePlay(same);
  auto out = Render(4);
  EXPECT_EQ(out, (std::vector<float>{0.5f, 0.5f, -0.25f, -0.25f, 0.125f, 0.125f, 0, 0}));
  EXPECT_FALSE(platform::VoiceIsPlaying(same));

  // Half the rate: every source frame lasts two output frames, midpoints interpolated.
  auto half = Voice(24000, 2, {0.0f, 1.0f, 0.5f, -1.0f});
  platform::VoicePlay(half);
  out = Render(4);
  EXPECT_EQ(out, (std::vector<float>{0.0f, 1.0f, 0.25f, 0.0f, 0.5f, -1.0f, 0.5f, -1.0f}));
}

TEST_F(Mixer, PanAttenuatesTheOtherSideAndLoopsWrap) {
  auto v = Voice(48000, 1, {1.0f, 0.5f});
  platform::VoiceSetPan(v, -2000);  // left: right side down 20 dB
  platform::VoicePlay(v, true);
  auto out = Render(5);
  EXPECT_FLOAT_EQ(out[0], 1.0f);
  EXPECT_NEAR(out[1], 0.1f, 1e-6);
  EXPECT_FLOAT_EQ(out[4], 1.0f);  // frame 2 is frame 0 again
  EXPECT_FLOAT_EQ(out[8], 1.0f);
  EXPECT_TRUE(platform::VoiceIsPlaying(v));
  platform::VoiceStop(v);
  EXPECT_EQ(Render(1)[0], 0.0f);
}

TEST_F(Mixer, DuplicatesShareSamplesButNotState) {
  auto a = Voice(48000, 1, {0.25f, 0.25f, 0.25f, 0.25f});
  platform::VoiceSetVolume(a, -2000);
  auto b = platform::DuplicateVoice(a);
  voices_.push_back(b);
  EXPECT_EQ(platform::VoiceGetVolume(b), -2000);
  platform::VoiceSetVolume(b, 0);
  platform::VoicePlay(a);
  Render(2);
  platform::VoicePlay(b);
  EXPECT_EQ(platform::VoicePosition(a), 2u);
  EXPECT_EQ(platform::VoicePosition(b), 0u);
  auto out = Render(1);
  EXPECT_NEAR(out[0], 0.025f + 0.25f, 1e-6);
  EXPECT_EQ(platform::DuplicateVoice(999999), 0u);
  EXPECT_EQ(platform::CreateVoice(nullptr), 0u);
  EXPECT_EQ(platform::CreateVoice(std::make_shared<platform::PcmData>()), 0u);
}

TEST_F(Mixer, MissingOrBrokenOggFilesDoNotLoad) {
  platform::OggPlayer p;
  EXPECT_FALSE(p.Load("/nonexistent/x.ogg"));
  EXPECT_FALSE(p.IsLoaded());
  p.Play();  // nothing loaded: nothing happens
  EXPECT_FALSE(p.IsPlaying());
  EXPECT_EQ(p.Length(), 0.0);
}

TEST_F(Mixer, SoundFontSearchFindsTheInstalledGeneralMidiFont) {
  auto fonts = platform::SoundFontCandidates();
  ASSERT_FALSE(fonts.empty());
  std::string error;
  auto* synth = platform::AcquireMidiSynth(&error);
  ASSERT_TRUE(synth) << error;
  EXPECT_EQ(synth->SampleRate(), rate_);
  EXPECT_EQ(platform::AcquireMidiSynth(nullptr), synth);  // loaded once
  synth->ShortMessage(0x90, 60, 100);
  std::vector<float> out(2 * 4800, 0.0f);
  synth->Render(out.data(), 4800);
  double sum = 0;
  for (float x : out) sum += x * x;
  EXPECT_GT(sum, 0.0);
  synth->SoundOff();
}

TEST_F(Mixer, AProjectSoundFontComesFirst) {
  testsupport::TempDir project;
  testsupport::WriteFileBytes(project.path() / "bgm" / "zz.SF2", {1});
  testsupport::WriteFileBytes(project.path() / "bgm" / "mine.sf2", {1});
  testsupport::WriteFileBytes(project.path() / "bgm" / "notes.txt", {1});
  std::vector<std::string> fonts;
  {
    testsupport::ProjectRootScope root(project.path());
    fonts = platform::SoundFontCandidates();
  }
  ASSERT_GE(fonts.size(), 2u);
  EXPECT_EQ(fonts[0], (project.path() / "bgm" / "mine.sf2").string());
  EXPECT_NE(fonts[1].find("/usr/share/"), std::string::npos);  // then the installed ones
  EXPECT_EQ(std::count_if(fonts.begin(), fonts.end(), [](const std::string& f) { return f.find("zz.SF2") != f.npos; }), 0);
}

}  // namespace
