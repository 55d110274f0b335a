// ctest-label: sound
#include <gtest/gtest.h>

#include <filesystem>

#include "media/sound/DSound.h"
#include "tests/media/sound/SoundTestSupport.h"

namespace {

using soundtest::HeadlessAudio;
using soundtest::MakeWav;
using soundtest::WavSpec;

const std::string kBadFormat = "の読み込みに失敗しました…\n対応していない形式か、不正なwavファイルです。\n"
                               "本ソフトではPCM形式のみ再生できます。\n";
const std::string kNotPcm = "の読み込みに失敗しました…\nPCM形式以外の形式です。\n本ソフトではPCM形式のみ再生できます。\n";
const std::string kBadFile = "の読み込みに失敗しました…\n不正なファイルです。\n";
const std::string kFailed = "の読み込みに失敗しました！\n";

// Starts the layer on a headless mixer and ends it with the test.
class DSound : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(DS_Init(nullptr, 22050, 8, 1)); }
  void TearDown() override { DS_End(); }
  HeadlessAudio audio_{22050};
  // The layer keeps pointers to the tables until DS_End, as to the application's.
  cVector<DSDATA> entries;
  cVector<DSSOUNDDEF> defs;
};

struct WavCase {
  const char* name;
  WavSpec spec;
  bool loads;
  std::string log;  // after "x.wav " on the first line; empty: nothing
  size_t dataBytes;
};

WavSpec With(std::function<void(WavSpec&)> f) {
  WavSpec s;
  f(s);
  return s;
}

void PrintTo(const WavCase& c, std::ostream* os) { *os << c.name; }

class WavAcceptance : public DSound, public ::testing::WithParamInterface<WavCase> {};

TEST_P(WavAcceptance, LoadsOrRefusesWithTheExactLogText) {
  const WavCase& c = GetParam();
  audio_.Write("x.wav", MakeWav(c.spec));
  testsupport::LogCapture log;
  WAVEDATA wave;
  EXPECT_EQ(DS_LoadWave("x.wav", wave), c.loads);
  EXPECT_EQ(log.Text(), c.log.empty() ? "" : "x.wav " + c.log);
  if (c.loads) {
    EXPECT_EQ(wave.data.size(), c.dataBytes);
  }

  // Through a buffer a refusal adds the general failure line.
  testsupport::LogCapture log2;
  DSBUFFER b = 0;
  EXPECT_EQ(DS_CreateBuffer(&b, "x.wav"), c.loads);
  EXPECT_EQ(log2.Text(), c.loads ? "" : (c.log.empty() ? "" : "x.wav " + c.log) + "x.wav " + kFailed);
  platform::DestroyVoice(b);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, WavAcceptance,
    ::testing::Values(
        WavCase{"fmt16", WavSpec{}, true, "", 4},
        WavCase{"fmt18", With([](WavSpec& s) { s.fmtSize = 18; }), true, "", 4},
        WavCase{"fmt20", With([](WavSpec& s) { s.fmtSize = 20; }), false, kBadFormat, 0},
        WavCase{"fmt14", With([](WavSpec& s) { s.fmtSize = 14; }), false, kBadFormat, 0},
        WavCase{"adpcm", With([](WavSpec& s) { s.formatTag = 2; }), false, kNotPcm, 0},
        WavCase{"float", With([](WavSpec& s) { s.formatTag = 3; s.bits = 32; }), false, kNotPcm, 0},
        WavCase{"bits24", With([](WavSpec& s) { s.bits = 24; s.samples.resize(6); }), false, kBadFormat, 0},
        WavCase{"channels3", With([](WavSpec& s) { s.channels = 3; s.samples.resize(6); }), false, kBadFormat, 0},
        WavCase{"rate0", With([](WavSpec& s) { s.rate = 0; }), false, kBadFormat, 0},
        WavCase{"noData", With([](WavSpec& s) { s.withData = false; }), false, "", 0},
        WavCase{"emptyData", With([](WavSpec& s) { s.samples.clear(); }), false, "", 0},
        WavCase{"truncatedData", With([](WavSpec& s) { s.declaredData = 1000; }), true, "", 4},
        WavCase{"truncated16bit", With([](WavSpec& s) { s.bits = 16; s.samples = {1, 2, 3, 4, 5}; }), true, "", 4},
        WavCase{"stereo16", With([](WavSpec& s) { s.bits = 16; s.channels = 2; s.samples.assign(8, 0); }), true, "", 8},
        WavCase{"notWave", With([](WavSpec& s) { s.form = "AVI "; }), false, kBadFile, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(DSound, GarbageAndMissingFilesAreRefused) {
  audio_.Write("junk.wav", {'R', 'I', 'F'});
  testsupport::LogCapture log;
  WAVEDATA wave;
  EXPECT_FALSE(DS_LoadWave("junk.wav", wave));
  EXPECT_FALSE(DS_LoadWave("missing.wav", wave));
  // Only the unreadable-format line for the garbage; a missing file says nothing here.
  EXPECT_EQ(log.Text(), "junk.wav " + kBadFile);
}

TEST_F(DSound, ChunkSizesPastTheFileStayInBounds) {
  // A chunk before "fmt " claiming 4 GB, and a RIFF size far past the end.
  std::vector<uint8_t> f;
  soundtest::Tag(f, "RIFF");
  soundtest::Le32(f, 0xFFFFFFF0u);
  soundtest::Tag(f, "WAVE");
  soundtest::Tag(f, "LIST");
  soundtest::Le32(f, 0xFFFFFF00u);
  f.resize(f.size() + 10, 0);
  audio_.Write("big.wav", f);
  WAVEDATA wave;
  EXPECT_FALSE(DS_LoadWave("big.wav", wave));
}

TEST_F(DSound, EveryDebianSoundEffectLoads) {
  std::string media = testsupport::TestMediaDir();
  if (media.empty()) GTEST_SKIP() << "BRINDLE_TEST_MEDIA not set";
  auto sfx = std::filesystem::path(media) / "pekka-kana-2-data";
  ASSERT_TRUE(std::filesystem::exists(sfx));
  testsupport::ProjectRootScope root(sfx);
  testsupport::LogCapture log;
  int count = 0;
  for (const auto& e : std::filesystem::recursive_directory_iterator(sfx)) {
    if (e.path().extension() != ".wav") continue;
    std::string rel = std::filesystem::relative(e.path(), sfx).string();
    for (char& c : rel)
      if (c == '/') c = '\\';
    WAVEDATA wave;
    ASSERT_TRUE(DS_LoadWave(rel, wave)) << rel;
    EXPECT_EQ(wave.format.wBitsPerSample, 8) << rel;
    EXPECT_EQ(wave.format.nChannels, 1) << rel;
    EXPECT_EQ(wave.format.nSamplesPerSec, 22050u) << rel;
    DSDATA entry;
    ASSERT_TRUE(DS_CreateSound(entry, rel, 2, -500)) << rel;
    EXPECT_EQ(DS_GetVolume(entry, 1), -500);
    DS_ReleaseSound(entry);
    ++count;
  }
  EXPECT_GT(count, 50);
  EXPECT_EQ(log.Text(), "");
}

// A one-frame click at full scale: easy to find in the mix.
std::vector<uint8_t> Click(uint8_t value, size_t frames = 8) {
  WavSpec s;
  s.samples.assign(frames, 128);
  s.samples[0] = value;
  return MakeWav(s);
}

TEST_F(DSound, RoundRobinOverThreeBuffersAndOverlappingPlaysAddUp) {
  audio_.Write("click.wav", Click(192));  // +0.5
  entries.resize(1);
  defs.resize(1);
  defs[0].path = "click.wav";
  defs[0].count = 3;
  ASSERT_EQ(DS_LoadSounds(entries, defs, 0), 1);
  ASSERT_EQ(entries[0].count, 3);
  ASSERT_EQ(entries[0].buffers.size(), 3u);
  EXPECT_EQ(entries[0].name, "click.wav");

  std::vector<int> used;
  for (int i = 0; i < 4; ++i) {
    used.push_back(entries[0].next);
    DS_Play(entries[0], 0);
  }
  EXPECT_EQ(used, (std::vector<int>{0, 1, 2, 0}));
  // Buffer 0 was restarted by the fourth play; all three sound at once.
  for (DSBUFFER b : entries[0].buffers) EXPECT_TRUE(platform::VoiceIsPlaying(b));
  auto out = HeadlessAudio::Render(4);
  EXPECT_FLOAT_EQ(out[0], 1.5f);  // three clicks on the same frame
  EXPECT_FLOAT_EQ(out[1], 1.5f);
  EXPECT_FLOAT_EQ(out[2], 0.0f);
}

TEST_F(DSound, PlaysStartedAtDifferentTimesOverlap) {
  WavSpec s;
  s.samples = {192, 128, 160, 128, 128, 128};  // +0.5, 0, +0.25
  audio_.Write("two.wav", MakeWav(s));
  DSDATA e;
  ASSERT_TRUE(DS_CreateSound(e, "two.wav", 2, 0));
  DS_Play(e, 0);
  HeadlessAudio::Render(2);
  DS_Play(e, 0);
  auto out = HeadlessAudio::Render(3);
  EXPECT_FLOAT_EQ(out[0], 0.75f);  // the first play's third frame plus the second's first
  EXPECT_FLOAT_EQ(out[2], 0.0f);
  EXPECT_FLOAT_EQ(out[4], 0.25f);
  DS_ReleaseSound(e);
}

TEST_F(DSound, CursorSoundPlaysOncePerMovingAxis) {
  audio_.Write("c.wav", Click(192));
  entries.resize(1);
  defs.resize(1);
  defs[0] = {"c.wav", 4, 0, 0};
  DS_LoadSounds(entries, defs, 0);
  struct Case {
    uint16_t bits;
    int axes;
    int plays;
  } cases[] = {{1, 1, 1}, {2, 1, 1}, {4, 1, 0}, {4, 2, 1}, {8, 2, 1}, {1, 2, 0}, {1 | 4, 3, 2}, {0, 3, 0}};
  for (const Case& c : cases) {
    entries[0].next = 0;
    DS_PlayCursor(c.bits, c.axes, 0);
    EXPECT_EQ(entries[0].next, c.plays) << c.bits << " " << c.axes;
  }
}

TEST_F(DSound, SetVolumeClampsAndAddsRelativeVolumes) {
  audio_.Write("c.wav", Click(192));
  DSDATA e;
  ASSERT_TRUE(DS_CreateSound(e, "c.wav", 2, 0));
  struct Case {
    int start, volume, relative, expected;
  } cases[] = {
      {-10000, -2000, 1, -10000}, {0, 300, 0, 0}, {-1000, -500, 1, -1500}, {-1000, -500, 0, -500},
      {-9000, -2000, 1, -10000},  {-100, 300, 1, 0}, {0, -20000, 0, -10000}, {-3000, 0, 1, -3000},
  };
  for (const Case& c : cases) {
    DS_SetVolume(e, 1, c.start, 0);
    EXPECT_EQ(DS_SetVolume(e, 1, c.volume, c.relative), c.expected);
    EXPECT_EQ(DS_GetVolume(e, 1), c.expected);
  }
  EXPECT_EQ(DS_GetVolume(e, 0), 0);     // the other buffer is untouched
  EXPECT_EQ(DS_SetVolume(e, 2, -100, 0), 0);  // no such buffer
  DS_ReleaseSound(e);
}

TEST_F(DSound, VolumeIsAGainInHundredthsOfADecibel) {
  audio_.Write("c.wav", Click(255, 4));
  DSDATA e;
  ASSERT_TRUE(DS_CreateSound(e, "c.wav", 1, 0));
  for (int v : {0, -600, -2000, -9999, -10000}) {
    DS_SetVolume(e, 0, v, 0);
    DS_Play(e, 0);
    auto out = HeadlessAudio::Render(1);
    float expected = v <= -10000 ? 0.0f : static_cast<float>(127.0 / 128.0 * std::pow(10.0, v / 2000.0));
    EXPECT_NEAR(out[0], expected, 1e-6) << v;
  }
  EXPECT_EQ(HeadlessAudio::Render(1)[0], 0.0f);
  DS_ReleaseSound(e);
}

TEST_F(DSound, OptionVolumesZeroAndTenAtLoadAndWhenChanged) {
  audio_.Write("a.wav", Click(192));
  audio_.Write("b.wav", Click(192));
  auto load = [this](int volume) {
    entries.assign(2, DSDATA{});
    defs.assign(2, DSSOUNDDEF{});
    defs[0] = {"a.wav", 2, -700, 0};
    defs[1] = {"b.wav", 3, 0, 0};
    DS_LoadSounds(entries, defs, volume);
  };
  // Option 0 -> -10000: every buffer silent.
  load(-10000);
  for (auto& e : entries)
    for (int b = 0; b < e.count; ++b) EXPECT_EQ(DS_GetVolume(e, b), -10000);
  DS_Play(entries[0], 0);
  EXPECT_EQ(HeadlessAudio::Render(1)[0], 0.0f);
  for (auto& e : entries) DS_ReleaseSound(e);

  // Option 10 -> 0: each sound at its own volume.
  load(0);
  for (int b = 0; b < 2; ++b) EXPECT_EQ(DS_GetVolume(entries[0], b), -700);
  for (int b = 0; b < 3; ++b) EXPECT_EQ(DS_GetVolume(entries[1], b), 0);

  // Changing the option reaches every buffer, with the same rule.
  DS_SetAllVolumes(-2000);
  for (auto& e : entries)
    for (int b = 0; b < e.count; ++b) EXPECT_EQ(DS_GetVolume(e, b), -2000);
  DS_SetAllVolumes(0);
  for (int b = 0; b < 2; ++b) EXPECT_EQ(DS_GetVolume(entries[0], b), -700);
  for (int b = 0; b < 3; ++b) EXPECT_EQ(DS_GetVolume(entries[1], b), 0);
}

TEST_F(DSound, LoadSoundsSkipsLoadedEntriesAndRefusesBufferCountsBelowOne) {
  audio_.Write("a.wav", Click(192));
  entries.resize(3);
  defs.resize(3);
  defs[0] = {"a.wav", 1, 0, 0};
  defs[1] = {"a.wav", 0, 0, 0};
  defs[2] = {"a.wav", -3, 0, 0};
  testsupport::LogCapture log;
  DS_LoadSounds(entries, defs, 0);
  EXPECT_EQ(entries[0].count, 1);
  EXPECT_TRUE(entries[1].buffers.empty());
  EXPECT_TRUE(entries[2].buffers.empty());
  EXPECT_EQ(log.Lines().size(), 2u);
  DSBUFFER first = entries[0].buffers[0];
  size_t voices = platform::VoiceCount();
  DS_LoadSounds(entries, defs, 0);
  EXPECT_EQ(entries[0].buffers[0], first);
  EXPECT_EQ(platform::VoiceCount(), voices);
  DS_Play(entries[1], 0);  // an unloaded entry plays nothing
}

TEST_F(DSound, EndReleasesEveryBuffer) {
  audio_.Write("a.wav", Click(192));
  size_t before = platform::VoiceCount();
  entries.resize(2);
  defs.assign(2, DSSOUNDDEF{"a.wav", 3, 0, 0});
  DS_LoadSounds(entries, defs, 0);
  EXPECT_EQ(platform::VoiceCount(), before + 6);
  DS_End();
  EXPECT_EQ(platform::VoiceCount(), before);
  EXPECT_TRUE(entries[0].buffers.empty());
  EXPECT_FALSE(DS_IsStarted());
}

TEST(DSoundLifecycle, EverythingIsANoOpWithoutInitAndEndWorksWithoutLoad) {
  HeadlessAudio audio;
  audio.Write("a.wav", {});
  DSDATA e;
  EXPECT_TRUE(DS_CreateSound(e, "a.wav", 2, 0));  // success, nothing loaded
  EXPECT_TRUE(e.buffers.empty());
  DSBUFFER b = 0;
  EXPECT_TRUE(DS_CreateBuffer(&b, "a.wav"));
  EXPECT_EQ(DS_SetVolume(e, 0, -100, 0), 0);
  DS_Play(e, 0);
  DS_End();

  ASSERT_TRUE(DS_Init(nullptr, 22050, 8, 1));
  EXPECT_TRUE(platform::AudioIsStarted());
  DS_End();  // no DS_LoadSounds in between
  EXPECT_FALSE(platform::AudioIsStarted());
  EXPECT_EQ(DS_SetVolume(e, 0, -100, 0), 0);
}

}  // namespace

namespace {

TEST(DSoundNoDevice, RunsSilentlyWithOneLogLine) {
  const char* d = std::getenv("SDL_AUDIODRIVER");
  std::string previous = d ? d : "";
  setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
  testsupport::ProjectFolder dir;
  testsupport::WriteFileBytes(dir.path() / "a.wav", MakeWav(WavSpec{}));
  testsupport::LogCapture log;
  {
    cVector<DSDATA> entries(1);
    cVector<DSSOUNDDEF> defs(1, DSSOUNDDEF{"a.wav", 2, 0, 0});
    for (int run = 0; run < 2; ++run) {
      ASSERT_TRUE(DS_Init(nullptr, 22050, 8, 1));
      EXPECT_FALSE(platform::AudioHasDevice());
      DS_LoadSounds(entries, defs, 0);
      EXPECT_EQ(entries[0].count, 2);
      DS_Play(entries[0], 0);
      DS_PlayCursor(1, 1, 0);
      DS_End();
    }
  }
  auto lines = log.Lines();
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].rfind("Sound : no audio device", 0), 0u) << lines[0];
  if (previous.empty())
    unsetenv("SDL_AUDIODRIVER");
  else
    setenv("SDL_AUDIODRIVER", previous.c_str(), 1);
}

}  // namespace
