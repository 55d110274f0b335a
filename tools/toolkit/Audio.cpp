#include "tools/toolkit/Audio.h"

#include <algorithm>
#include <cmath>
#include <string_view>

namespace tools {
namespace {

void PutU16(std::vector<unsigned char>& out, uint32_t v) {
  out.push_back(static_cast<unsigned char>(v));
  out.push_back(static_cast<unsigned char>(v >> 8));
}
void PutU32(std::vector<unsigned char>& out, uint32_t v) {
  PutU16(out, v & 0xFFFF);
  PutU16(out, v >> 16);
}
void PutBE32(std::vector<unsigned char>& out, uint32_t v) {
  for (int s = 24; s >= 0; s -= 8) out.push_back(static_cast<unsigned char>(v >> s));
}
// Four-character chunk tags and other short byte runs.
void PutBytes(std::vector<unsigned char>& out, std::string_view bytes) {
  for (char c : bytes) out.push_back(static_cast<unsigned char>(c));
}
void PutVarLen(std::vector<unsigned char>& out, uint32_t v) {
  unsigned char bytes[5];
  int n = 0;
  bytes[n++] = static_cast<unsigned char>(v & 0x7F);
  while (v >>= 7) bytes[n++] = static_cast<unsigned char>(0x80 | (v & 0x7F));
  while (n) out.push_back(bytes[--n]);
}

}  // namespace

std::vector<unsigned char> MakeWave(const std::vector<cToneSegment>& segments) {
  std::vector<unsigned char> samples;
  uint32_t noise = 0x12345678;  // fixed seed: the files are the same every time
  for (const cToneSegment& seg : segments) {
    int count = std::max(1, static_cast<int>(seg.seconds * kWaveRate));
    double phase = 0;
    for (int i = 0; i < count; ++i) {
      double t = static_cast<double>(i) / count;
      double hz = seg.startHz + (seg.endHz - seg.startHz) * t;
      phase += hz / kWaveRate;
      double v;
      if (seg.noise) {
        noise = noise * 1103515245u + 12345u;
        v = ((noise >> 16) & 0x7FFF) / 16383.5 - 1.0;
      } else {
        v = (phase - std::floor(phase)) < 0.5 ? 1.0 : -1.0;
      }
      double amp = seg.volume * (1.0 - t) * 100.0;
      samples.push_back(static_cast<unsigned char>(std::clamp(128.0 + v * amp, 0.0, 255.0)));
    }
  }
  std::vector<unsigned char> out;
  PutBytes(out, "RIFF");
  PutU32(out, static_cast<uint32_t>(36 + samples.size() + (samples.size() & 1)));
  PutBytes(out, "WAVEfmt ");
  PutU32(out, 16);
  PutU16(out, 1);  // PCM
  PutU16(out, 1);  // mono
  PutU32(out, kWaveRate);
  PutU32(out, kWaveRate);  // bytes per second
  PutU16(out, 1);          // block align
  PutU16(out, 8);          // bits per sample
  PutBytes(out, "data");
  PutU32(out, static_cast<uint32_t>(samples.size()));
  out.insert(out.end(), samples.begin(), samples.end());
  if (samples.size() & 1) out.push_back(0x80);  // chunks are word-aligned
  return out;
}

std::vector<unsigned char> MakeMidi(const std::vector<cNote>& melody, int bpm, int program, int bassProgram) {
  constexpr int kDivision = 96;
  constexpr int kEighth = kDivision / 2;
  std::vector<unsigned char> track;
  auto event = [&track](uint32_t delta, std::initializer_list<int> bytes) {
    PutVarLen(track, delta);
    for (int b : bytes) track.push_back(static_cast<unsigned char>(b));
  };
  uint32_t tempo = 60000000u / static_cast<uint32_t>(std::max(bpm, 1));
  event(0, {0xFF, 0x51, 0x03, static_cast<int>(tempo >> 16) & 0xFF, static_cast<int>(tempo >> 8) & 0xFF,
            static_cast<int>(tempo) & 0xFF});
  event(0, {0xC0, program & 0x7F});
  event(0, {0xC1, bassProgram & 0x7F});
  event(0, {0xB0, 7, 100});
  event(0, {0xB1, 7, 90});
  uint32_t pending = 0;  // ticks of rest before the next event
  for (const cNote& n : melody) {
    uint32_t length = static_cast<uint32_t>(n.beats * kEighth);
    if (n.key < 0) {
      pending += length;
      continue;
    }
    int bass = n.key - 24;
    event(pending, {0x90, n.key, 96});
    event(0, {0x91, bass, 80});
    event(length - length / 8, {0x80, n.key, 0});
    event(0, {0x81, bass, 0});
    pending = length / 8;
  }
  event(pending, {0xFF, 0x2F, 0x00});

  std::vector<unsigned char> out;
  PutBytes(out, "MThd");
  PutBE32(out, 6);
  for (int b : {0, 0, 0, 1, 0, kDivision}) out.push_back(static_cast<unsigned char>(b));
  PutBytes(out, "MTrk");
  PutBE32(out, static_cast<uint32_t>(track.size()));
  out.insert(out.end(), track.begin(), track.end());
  return out;
}

}  // namespace tools
