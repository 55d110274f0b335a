#pragma once
// Helpers shared by the sound tests: a headless mixer, a project folder of
// our own, and builders for WAV and MIDI bytes.
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/Audio.h"
#include "platform/FileSystem.h"
#include "tests/support/TestSupport.h"

namespace soundtest {

// Mixer without a device at `rate`, pulled by the test; a temporary project folder.
class HeadlessAudio {
 public:
  explicit HeadlessAudio(int rate = 22050) { platform::AudioSetHeadless(rate); }
  ~HeadlessAudio() { platform::AudioSetHeadless(0); }
  const testsupport::ProjectFolder& dir() const { return dir_; }
  void Write(const std::string& name, const std::vector<uint8_t>& bytes) const {
    testsupport::WriteFileBytes(dir_.path() / name, bytes);
  }
  // Stereo frames from the mixer.
  static std::vector<float> Render(int frames) {
    std::vector<float> out(static_cast<size_t>(frames) * 2);
    platform::AudioRender(out.data(), frames);
    return out;
  }

 private:
  testsupport::ProjectFolder dir_;
};

inline double Rms(const float* s, size_t n) {
  double sum = 0;
  for (size_t i = 0; i < n; ++i) sum += static_cast<double>(s[i]) * s[i];
  return n ? std::sqrt(sum / static_cast<double>(n)) : 0;
}

inline void Le16(std::vector<uint8_t>& b, uint32_t v) {
  b.push_back(static_cast<uint8_t>(v));
  b.push_back(static_cast<uint8_t>(v >> 8));
}
inline void Le32(std::vector<uint8_t>& b, uint32_t v) {
  Le16(b, v & 0xFFFF);
  Le16(b, v >> 16);
}
inline void Tag(std::vector<uint8_t>& b, const char* id) { b.insert(b.end(), id, id + 4); }

struct WavSpec {
  uint32_t fmtSize = 16;
  uint16_t formatTag = 1;
  uint16_t channels = 1;
  uint32_t rate = 22050;
  uint16_t bits = 8;
  std::vector<uint8_t> samples = {128, 200, 56, 128};
  bool withData = true;
  int64_t declaredData = -1;  // -1: the real size
  const char* form = "WAVE";
};

inline std::vector<uint8_t> MakeWav(const WavSpec& s) {
  std::vector<uint8_t> body;
  Tag(body, s.form);
  Tag(body, "fmt ");
  Le32(body, s.fmtSize);
  std::vector<uint8_t> fmt;
  Le16(fmt, s.formatTag);
  Le16(fmt, s.channels);
  Le32(fmt, s.rate);
  uint16_t align = static_cast<uint16_t>(s.channels * s.bits / 8);
  Le32(fmt, s.rate * align);
  Le16(fmt, align);
  Le16(fmt, s.bits);
  fmt.resize(s.fmtSize, 0);
  body.insert(body.end(), fmt.begin(), fmt.end());
  if (s.fmtSize & 1) body.push_back(0);
  if (s.withData) {
    Tag(body, "data");
    Le32(body, s.declaredData < 0 ? static_cast<uint32_t>(s.samples.size()) : static_cast<uint32_t>(s.declaredData));
    body.insert(body.end(), s.samples.begin(), s.samples.end());
  }
  std::vector<uint8_t> file;
  Tag(file, "RIFF");
  Le32(file, static_cast<uint32_t>(body.size()));
  file.insert(file.end(), body.begin(), body.end());
  return file;
}

// ---- MIDI ----

inline void Be16(std::vector<uint8_t>& b, uint32_t v) {
  b.push_back(static_cast<uint8_t>(v >> 8));
  b.push_back(static_cast<uint8_t>(v));
}
inline void Be32(std::vector<uint8_t>& b, uint32_t v) {
  Be16(b, v >> 16);
  Be16(b, v & 0xFFFF);
}

// A standard MIDI file from raw track bodies (each should end in 00 FF 2F 00).
inline std::vector<uint8_t> MakeSmf(uint16_t format, uint16_t division, const std::vector<std::vector<uint8_t>>& tracks) {
  std::vector<uint8_t> f;
  Tag(f, "MThd");
  Be32(f, 6);
  Be16(f, format);
  Be16(f, static_cast<uint16_t>(tracks.size()));
  Be16(f, division);
  for (const auto& t : tracks) {
    Tag(f, "MTrk");
    Be32(f, static_cast<uint32_t>(t.size()));
    f.insert(f.end(), t.begin(), t.end());
  }
  return f;
}

}  // namespace soundtest
