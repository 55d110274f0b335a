// ctest-label: sound
#include <gtest/gtest.h>

#include <filesystem>

#include "media/sound/MidiFile.h"
#include "tests/media/sound/SoundTestSupport.h"

namespace {

using soundtest::MakeSmf;
using Bytes = std::vector<uint8_t>;

Bytes Image(const Bytes& smf) {
  cMidiFile f;
  auto img = f.Init(smf);
  return img ? *img : Bytes{};
}

// The image's header with the event bytes appended and their length filled in.
Bytes Expected(uint16_t division, const Bytes& events) {
  Bytes out = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, static_cast<uint8_t>(division >> 8),
               static_cast<uint8_t>(division), 'M', 'T', 'r', 'k'};
  soundtest::Be32(out, static_cast<uint32_t>(events.size()));
  out.insert(out.end(), events.begin(), events.end());
  return out;
}

// Walks the image's events; returns their statuses (meta events as 0xFF00 | type).
std::vector<int> Walk(const Bytes& img) {
  std::vector<int> kinds;
  size_t p = cMidiFile::kImageHeader;
  while (p < img.size()) {
    uint32_t v;
    int n = cMidiFile::ReadVarLen(&img[p], img.size() - p, v);
    EXPECT_GT(n, 0);
    if (n == 0) break;
    p += static_cast<size_t>(n);
    uint8_t s = img[p++];
    if (s == 0xFF) {
      uint8_t type = img[p++];
      uint32_t len;
      p += static_cast<size_t>(cMidiFile::ReadVarLen(&img[p], img.size() - p, len)) + len;
      kinds.push_back(0xFF00 | type);
    } else if (s == 0xF0 || s == 0xF7) {
      uint32_t len;
      p += static_cast<size_t>(cMidiFile::ReadVarLen(&img[p], img.size() - p, len)) + len;
      kinds.push_back(s);
    } else {
      EXPECT_TRUE(s & 0x80) << "running status in the image";
      p += ((s & 0xF0) == 0xC0 || (s & 0xF0) == 0xD0) ? 1 : 2;
      kinds.push_back(s);
    }
  }
  EXPECT_EQ(p, img.size());
  return kinds;
}

TEST(MidiFile, TwoTrackFormat1GoldenImage) {
  Bytes conductor = {0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20,  // tempo 500000
                     0x00, 0xFF, 0x03, 0x04, 'T', 'e', 's', 't',  // name
                     0x60, 0xFF, 0x2F, 0x00};                     // ends at 96
  Bytes notes = {0x00, 0xC0, 0x05,           // program
                 0x00, 0x90, 0x3C, 0x64,     // note on
                 0x30, 0x3C, 0x00,           // running status, at 48
                 0x30, 0x90, 0x40, 0x64,     // at 96, with the other track's end
                 0x81, 0x40, 0x80, 0x40, 0x00,  // at 288
                 0x00, 0xFF, 0x2F, 0x00};
  cMidiFile f;
  auto img = f.Init(MakeSmf(1, 96, {conductor, notes}));
  ASSERT_TRUE(img);
  Bytes events = {0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20, 0x00, 0xFF, 0x03, 0x04, 'T', 'e', 's', 't',
                  0x00, 0xC0, 0x05, 0x00, 0x90, 0x3C, 0x64, 0x30, 0x90, 0x3C, 0x00, 0x30, 0x90, 0x40, 0x64,
                  0x81, 0x40, 0x80, 0x40, 0x00, 0x00, 0xFF, 0x2F, 0x00};
  EXPECT_EQ(*img, Expected(96, events));
  EXPECT_DOUBLE_EQ(f.m_dPlayTime, 1.5);  // 288 ticks at 96 a quarter, 0.5 s each
}

TEST(MidiFile, EqualTimesKeepTrackOrderAndTheLongestTrackSetsTheEnd) {
  Bytes t0 = {0x0A, 0x90, 0x01, 0x01, 0x00, 0x90, 0x02, 0x02, 0x00, 0xFF, 0x2F, 0x00};
  Bytes t1 = {0x05, 0x90, 0x03, 0x03, 0x05, 0x90, 0x04, 0x04, 0x83, 0x00, 0xFF, 0x2F, 0x00};  // ends at 394
  Bytes t2 = {0x0A, 0x90, 0x05, 0x05, 0x00, 0xFF, 0x2F, 0x00};
  // Tracks listed so that content order and track order disagree.
  Bytes events = {0x05, 0x90, 0x03, 0x03,              // t=5 track 1
                  0x05, 0x90, 0x01, 0x01,              // t=10 track 0 first ...
                  0x00, 0x90, 0x02, 0x02,              // ... both of its events
                  0x00, 0x90, 0x04, 0x04,              // then track 1
                  0x00, 0x90, 0x05, 0x05,              // then track 2
                  0x83, 0x00, 0xFF, 0x2F, 0x00};       // t=394
  EXPECT_EQ(Image(MakeSmf(1, 480, {t0, t1, t2})), Expected(480, events));
}

TEST(MidiFile, Format0WithRunningStatusIsWrittenInFull) {
  Bytes track = {0x00, 0x90, 0x3C, 0x40, 0x10, 0x3E, 0x40, 0x10, 0x3C, 0x00,  // running note-ons
                 0x00, 0xB0, 0x07, 0x64, 0x00, 0x0A, 0x40,                    // running controllers
                 0x00, 0xD0, 0x20, 0x05, 0x21,                                // running channel pressure
                 0x00, 0xF0, 0x03, 0x7E, 0x09, 0xF7,                          // system exclusive
                 0x10, 0xFF, 0x2F, 0x00};
  Bytes events = {0x00, 0x90, 0x3C, 0x40, 0x10, 0x90, 0x3E, 0x40, 0x10, 0x90, 0x3C, 0x00,
                  0x00, 0xB0, 0x07, 0x64, 0x00, 0xB0, 0x0A, 0x40, 0x00, 0xD0, 0x20, 0x05, 0xD0, 0x21,
                  0x00, 0xF0, 0x03, 0x7E, 0x09, 0xF7, 0x10, 0xFF, 0x2F, 0x00};
  EXPECT_EQ(Image(MakeSmf(0, 96, {track})), Expected(96, events));
}

struct HeaderCase {
  const char* name;
  Bytes file;
  std::string log;  // after "Midi t.mid "
};

void PrintTo(const HeaderCase& c, std::ostream* os) { *os << c.name; }

Bytes Patched(size_t at, Bytes with) {
  Bytes f = MakeSmf(0, 96, {{0x00, 0xFF, 0x2F, 0x00}});
  std::copy(with.begin(), with.end(), f.begin() + static_cast<std::ptrdiff_t>(at));
  return f;
}

class MidiHeader : public ::testing::TestWithParam<HeaderCase> {};

TEST_P(MidiHeader, IsRefusedWithItsLogLine) {
  soundtest::HeadlessAudio project;
  project.Write("t.mid", GetParam().file);
  testsupport::LogCapture log;
  cMidiFile f("t.mid");
  EXPECT_FALSE(f.m_lpImage);
  EXPECT_EQ(log.Text(), "Midi t.mid " + GetParam().log + "\n");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MidiHeader,
    ::testing::Values(HeaderCase{"NoMThd", Patched(0, {'R', 'I', 'F', 'F'}), "Init 標準MIDIでない(4)"},
                      HeaderCase{"Length7", Patched(4, {0, 0, 0, 7}), "Init 標準MIDIでない(6)"},
                      HeaderCase{"Format2", Patched(8, {0, 2}), "Init 対応フォーマットが2でない"},
                      HeaderCase{"Format3", Patched(8, {0, 3}), "Init 対応フォーマットが0または1でない"},
                      HeaderCase{"NoMTrk", Patched(14, {'X', 'T', 'r', 'k'}), "Init 標準MIDIでない(4)"},
                      HeaderCase{"Empty", Bytes{}, "Init 標準MIDIでない(4)"},
                      HeaderCase{"CutHeader", Bytes{'M', 'T', 'h', 'd', 0, 0, 0, 6, 0}, "Init 標準MIDIでない(6)"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(MidiFile, MissingFileIsLogged) {
  soundtest::HeadlessAudio project;
  testsupport::LogCapture log;
  cMidiFile f("none.mid");
  EXPECT_FALSE(f.m_lpImage);
  EXPECT_EQ(log.Text(), "Midi none.mid Create ファイルが開けません\n");
}

TEST(MidiFile, VariableLengthQuantities) {
  struct Case {
    uint32_t value;
    Bytes bytes;
  } cases[] = {{0, {0x00}},
               {0x40, {0x40}},
               {0x7F, {0x7F}},
               {0x80, {0x81, 0x00}},
               {0x2000, {0xC0, 0x00}},
               {0x3FFF, {0xFF, 0x7F}},
               {0x4000, {0x81, 0x80, 0x00}},
               {0x1FFFFF, {0xFF, 0xFF, 0x7F}},
               {0x200000, {0x81, 0x80, 0x80, 0x00}},
               {0x0FFFFFFF, {0xFF, 0xFF, 0xFF, 0x7F}}};
  for (const Case& c : cases) {
    uint8_t out[4] = {};
    ASSERT_EQ(cMidiFile::WriteVarLen(c.value, out), static_cast<int>(c.bytes.size())) << c.value;
    EXPECT_EQ(Bytes(out, out + c.bytes.size()), c.bytes);
    uint32_t v = 1;
    EXPECT_EQ(cMidiFile::ReadVarLen(c.bytes.data(), c.bytes.size(), v), static_cast<int>(c.bytes.size()));
    EXPECT_EQ(v, c.value);
  }
  uint8_t out[4];
  EXPECT_EQ(cMidiFile::WriteVarLen(0x10000000, out), 0);
  EXPECT_EQ(cMidiFile::WriteVarLen(0xFFFFFFFF, out), 0);
  uint32_t v;
  const uint8_t five[] = {0xFF, 0xFF, 0xFF, 0xFF, 0x7F};
  EXPECT_EQ(cMidiFile::ReadVarLen(five, 5, v), 0);
  EXPECT_EQ(v, 0u);
  const uint8_t cut[] = {0x81, 0x80};
  EXPECT_EQ(cMidiFile::ReadVarLen(cut, 2, v), 0);
}

TEST(MidiFile, PlayTimeFollowsTempoChanges) {
  struct Case {
    Bytes track;
    uint16_t division;
    double seconds;
  } cases[] = {
      // No tempo: 120 beats a minute.
      {{0x60, 0xFF, 0x2F, 0x00}, 96, 0.5},
      // 192 ticks at 0.5 s a quarter, then 192 at 0.25 s.
      {{0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20, 0x81, 0x40, 0xFF, 0x51, 0x03, 0x03, 0xD0, 0x90, 0x81, 0x40,
        0xFF, 0x2F, 0x00},
       96,
       1.5},
      // A tempo event with a wrong length is no tempo change.
      {{0x00, 0xFF, 0x51, 0x02, 0x03, 0xD0, 0x60, 0xFF, 0x2F, 0x00}, 96, 0.5},
      // A first tempo after some time: the time before it runs at the default.
      {{0x60, 0xFF, 0x51, 0x03, 0x0F, 0x42, 0x40, 0x60, 0xFF, 0x2F, 0x00}, 96, 1.5},
  };
  for (const Case& c : cases) {
    cMidiFile f;
    ASSERT_TRUE(f.Init(MakeSmf(0, c.division, {c.track})));
    EXPECT_DOUBLE_EQ(f.m_dPlayTime, c.seconds);
  }
}

TEST(MidiFile, SkippedMetaEventsKeepTheirTimeInTheImage) {
  // A marker between two notes: the note after it keeps its full distance.
  Bytes track = {0x00, 0x90, 0x3C, 0x64, 0x60, 0xFF, 0x06, 0x01, 'A', 0x60, 0x80, 0x3C, 0x00, 0x00, 0xFF, 0x2F, 0x00};
  Bytes img = Image(MakeSmf(0, 96, {track}));
  Bytes events = {0x00, 0x90, 0x3C, 0x64, 0x60, 0xFF, 0x06, 0x01, 'A', 0x60, 0x80, 0x3C, 0x00, 0x00, 0xFF, 0x2F, 0x00};
  EXPECT_EQ(img, Expected(96, events));
}

TEST(MidiFile, TrackDataStayWithinChunksAndFile) {
  // Track 0 has no end of track; its chunk length stops it before track 1.
  Bytes t0 = {0x00, 0x90, 0x3C, 0x64, 0x10, 0x80, 0x3C, 0x00};
  Bytes t1 = {0x20, 0x90, 0x40, 0x64, 0x00, 0xFF, 0x2F, 0x00};
  Bytes f = MakeSmf(1, 96, {t0, t1});
  Bytes events = {0x00, 0x90, 0x3C, 0x64, 0x10, 0x80, 0x3C, 0x00, 0x10, 0x90, 0x40, 0x64, 0x00, 0xFF, 0x2F, 0x00};
  EXPECT_EQ(Image(f), Expected(96, events));

  // Every cut of a file converts without reading past it, ending in one end of track.
  Bytes full = MakeSmf(1, 96, {{0x00, 0xFF, 0x03, 0x03, 'a', 'b', 'c', 0x00, 0xF0, 0x02, 0x01, 0xF7, 0x00, 0x90,
                                0x3C, 0x64, 0x81, 0x00, 0x80, 0x3C, 0x00, 0x00, 0xFF, 0x2F, 0x00},
                               t1});
  for (size_t n = 18; n <= full.size(); ++n) {
    Bytes cut(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(n));
    Bytes img = Image(cut);
    ASSERT_FALSE(img.empty()) << n;
    auto kinds = Walk(img);
    ASSERT_FALSE(kinds.empty());
    EXPECT_EQ(kinds.back(), 0xFF2F) << n;
    EXPECT_EQ(std::count(kinds.begin(), kinds.end(), 0xFF2F), 1) << n;
  }

  // Lengths far past the end, unknown chunks between tracks, more tracks declared than present.
  Bytes odd = MakeSmf(1, 96, {t1});
  odd[11] = 5;  // five tracks declared
  Bytes alien = {'X', 'F', 'I', 'H', 0, 0, 0, 2, 0xAA, 0xBB};
  odd.insert(odd.begin() + 14, alien.begin(), alien.end());
  Bytes img = Image(odd);
  // The header check wants "MTrk" first; an alien chunk there is refused.
  EXPECT_TRUE(img.empty());
  Bytes odd2 = MakeSmf(1, 96, {t1, t1});
  odd2.insert(odd2.begin() + 14 + 8 + static_cast<std::ptrdiff_t>(t1.size()), alien.begin(), alien.end());
  odd2[11] = 5;
  odd2[18] = 0x7F;  // first track claims far more bytes than the file has
  EXPECT_FALSE(Image(odd2).empty());
}

TEST(MidiFile, EveryDebianMidiFileConverts) {
  std::string media = testsupport::TestMediaDir();
  if (media.empty()) GTEST_SKIP() << "BRINDLE_TEST_MEDIA not set";
  auto root = std::filesystem::path(media) / "openttd-openmsx";
  ASSERT_TRUE(std::filesystem::exists(root));
  int count = 0;
  for (const auto& e : std::filesystem::recursive_directory_iterator(root)) {
    if (e.path().extension() != ".mid") continue;
    cMidiFile f;
    auto img = f.Init(testsupport::ReadFileBytes(e.path()));
    ASSERT_TRUE(img) << e.path();
    uint32_t length = static_cast<uint32_t>((*img)[18]) << 24 | (*img)[19] << 16 | (*img)[20] << 8 | (*img)[21];
    EXPECT_EQ(length + cMidiFile::kImageHeader, img->size());
    auto kinds = Walk(*img);
    EXPECT_EQ(kinds.back(), 0xFF2F) << e.path();
    EXPECT_EQ(std::count(kinds.begin(), kinds.end(), 0xFF2F), 1) << e.path();
    EXPECT_GT(f.m_dPlayTime, 10.0) << e.path();
    ++count;
  }
  EXPECT_GT(count, 20);
}

}  // namespace
