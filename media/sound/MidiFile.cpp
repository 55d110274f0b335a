#include "media/sound/MidiFile.h"

#include <algorithm>
#include <cstring>

#include "base/Log.h"
#include "platform/FileSystem.h"

namespace {

uint32_t Be32(const std::vector<uint8_t>& b, size_t at) {
  return static_cast<uint32_t>(b[at]) << 24 | static_cast<uint32_t>(b[at + 1]) << 16 |
         static_cast<uint32_t>(b[at + 2]) << 8 | b[at + 3];
}
uint16_t Be16(const std::vector<uint8_t>& b, size_t at) { return static_cast<uint16_t>(b[at] << 8 | b[at + 1]); }

// "Midi %s Init 標準MIDIでない(4)"
const char kNotSmf4[] = "Midi %s Init \x95W\x8F\x80MIDI\x82\xC5\x82\xC8\x82\xA2(4)";

}  // namespace

cMidiFile::cMidiFile(const std::string& path) { Create(path); }

bool cMidiFile::Create(const std::string& path) {
  m_strName = path;
  m_lpImage.reset();
  std::vector<uint8_t> bytes;
  if (!platform::ReadWholeFile(path, bytes)) {
    // "Midi %s Create ファイルが開けません"
    WriteLog("Midi %s Create \x83t\x83@\x83"
             "C\x83\x8B\x82\xAA\x8AJ\x82\xAF\x82\xDC\x82\xB9\x82\xF1",
             m_strName.c_str());
    return false;
  }
  m_lpImage = Init(bytes);
  return m_lpImage != nullptr;
}

std::unique_ptr<MidiImage> cMidiFile::Init(const std::vector<uint8_t>& file) {
  const char* name = m_strName.c_str();
  if (file.size() < 4 || std::memcmp(file.data(), "MThd", 4) != 0) {
    WriteLog(kNotSmf4, name);
    return nullptr;
  }
  if (file.size() < 8 || Be32(file, 4) != 6) {
    WriteLog("Midi %s Init \x95W\x8F\x80MIDI\x82\xC5\x82\xC8\x82\xA2(6)", name);  // 標準MIDIでない(6)
    return nullptr;
  }
  // The header says 6 bytes; a file cut inside them is no SMF either.
  if (file.size() < 14) {
    WriteLog("Midi %s Init \x95W\x8F\x80MIDI\x82\xC5\x82\xC8\x82\xA2(6)", name);
    return nullptr;
  }
  uint16_t format = Be16(file, 8);
  if (format == 2) {
    // "対応フォーマットが2でない"
    WriteLog("Midi %s Init \x91\xCE\x89\x9E\x83t\x83H\x81[\x83}\x83"
             "b\x83g\x82\xAA"
             "2\x82\xC5\x82\xC8\x82\xA2",
             name);
    return nullptr;
  }
  if (format > 2) {
    // "対応フォーマットが0または1でない"
    WriteLog("Midi %s Init \x91\xCE\x89\x9E\x83t\x83H\x81[\x83}\x83"
             "b\x83g\x82\xAA"
             "0\x82\xDC\x82\xBD\x82\xCD"
             "1\x82\xC5\x82\xC8\x82\xA2",
             name);
    return nullptr;
  }
  if (file.size() < 18 || std::memcmp(&file[14], "MTrk", 4) != 0) {
    WriteLog(kNotSmf4, name);
    return nullptr;
  }
  return Convert(file);
}

std::unique_ptr<MidiImage> cMidiFile::Convert(const std::vector<uint8_t>& file) {
  uint16_t division = Be16(file, 12);
  auto tracks = ParseTracks(file);
  auto merged = MergeTracks(tracks, division);
  return BuildFormat0(merged, division);
}

std::vector<std::vector<MidiEvent>> cMidiFile::ParseTracks(const std::vector<uint8_t>& file) {
  const size_t size = file.size();
  const int declared = Be16(file, 10);
  std::vector<std::vector<MidiEvent>> tracks;
  uint64_t longest = 0;
  // Every track is bounded by its chunk's length and by the file: data that
  // run on past either end the track there.
  size_t chunk = 14;
  for (int t = 0; t < declared; ++t) {
    // Chunks of other kinds between the tracks are passed over.
    while (chunk + 8 <= size && std::memcmp(&file[chunk], "MTrk", 4) != 0)
      chunk = static_cast<size_t>(std::min<uint64_t>(size, uint64_t{chunk} + 8 + Be32(file, chunk + 4)));
    if (chunk + 8 > size) break;
    const size_t start = chunk + 8;
    const size_t end = static_cast<size_t>(std::min<uint64_t>(size, uint64_t{start} + Be32(file, chunk + 4)));
    chunk = end;

    std::vector<MidiEvent>& events = tracks.emplace_back();
    uint64_t time = 0;
    uint8_t running = 0;
    size_t p = start;
    while (p < end) {
      uint32_t delta = 0;
      int n = ReadVarLen(&file[p], end - p, delta);
      if (n == 0) break;
      p += static_cast<size_t>(n);
      time += delta;
      if (p >= end) break;
      uint8_t status = running;
      if (file[p] & 0x80) status = file[p++];
      if (status == 0) break;  // data without any status: nothing sensible follows
      running = status;

      MidiEvent ev;
      ev.time = time;
      ev.bytes.push_back(status);
      size_t bodyEnd;
      if (status == 0xFF) {
        if (p + 2 <= end && file[p] == 0x2F && file[p + 1] == 0x00) {
          p += 2;
          break;  // this track's end; the merged tune gets one of its own
        }
        if (p >= end) break;
        uint32_t len = 0;
        int m = ReadVarLen(file.data() + p + 1, end - p - 1, len);
        if (m == 0) break;
        bodyEnd = p + 1 + static_cast<size_t>(m);
        if (len > end - bodyEnd) break;
        bodyEnd += len;
      } else if (status == 0xF0 || status == 0xF7) {
        uint32_t len = 0;
        int m = ReadVarLen(file.data() + p, end - p, len);
        if (m == 0) break;
        bodyEnd = p + static_cast<size_t>(m);
        if (len > end - bodyEnd) break;
        bodyEnd += len;
      } else {
        size_t dataBytes = ((status & 0xF0) == 0xC0 || (status & 0xF0) == 0xD0) ? 1 : 2;
        if (dataBytes > end - p) break;
        bodyEnd = p + dataBytes;
      }
      ev.bytes.insert(ev.bytes.end(), file.begin() + static_cast<std::ptrdiff_t>(p),
                      file.begin() + static_cast<std::ptrdiff_t>(bodyEnd));
      p = bodyEnd;
      events.push_back(std::move(ev));
    }
    longest = std::max(longest, time);
  }
  if (tracks.empty()) tracks.emplace_back();
  tracks.back().push_back(MidiEvent{longest, {0xFF, 0x2F, 0x00}});
  return tracks;
}

std::vector<MidiEvent> cMidiFile::MergeTracks(std::vector<std::vector<MidiEvent>>& tracks, int division) {
  // Order by time, ties to the lower track; a track's own order is kept.
  struct Ref {
    uint64_t time;
    size_t track;
    size_t index;
  };
  std::vector<Ref> refs;
  for (size_t t = 0; t < tracks.size(); ++t)
    for (size_t i = 0; i < tracks[t].size(); ++i) refs.push_back({tracks[t][i].time, t, i});
  std::stable_sort(refs.begin(), refs.end(), [](const Ref& a, const Ref& b) {
    return a.time != b.time ? a.time < b.time : a.track < b.track;
  });
  std::vector<MidiEvent> merged;
  merged.reserve(refs.size());
  for (const Ref& r : refs) merged.push_back(std::move(tracks[r.track][r.index]));
  tracks.clear();
  m_dPlayTime = GetPlayTime(merged, division);
  return merged;
}

double cMidiFile::GetPlayTime(const std::vector<MidiEvent>& merged, int division) {
  // A division of 0 would divide by zero; such a file counts one tick a quarter.
  const double div = division > 0 ? division : 1;
  double seconds = 0;
  double tempo = 500000;
  uint64_t last = 0;
  for (const MidiEvent& e : merged) {
    const auto& b = e.bytes;
    if (b.size() >= 6 && b[0] == 0xFF && b[1] == 0x51 && b[2] == 0x03) {
      seconds += static_cast<double>(e.time - last) * tempo * 0.000001 / div;
      tempo = (b[3] << 16) | (b[4] << 8) | b[5];
      last = e.time;
    } else if (b.size() == 3 && b[0] == 0xFF && b[1] == 0x2F && b[2] == 0x00) {
      seconds += static_cast<double>(e.time - last) * tempo * 0.000001 / div;
    }
  }
  return seconds;
}

std::unique_ptr<MidiImage> cMidiFile::BuildFormat0(const std::vector<MidiEvent>& merged, uint16_t division) {
  auto image = std::make_unique<MidiImage>();
  MidiImage& out = *image;
  const uint8_t header[] = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1,
                            static_cast<uint8_t>(division >> 8), static_cast<uint8_t>(division),
                            'M', 'T', 'r', 'k', 0, 0, 0, 0};
  out.assign(header, header + sizeof header);
  uint64_t previous = 0;
  for (const MidiEvent& e : merged) {
    // A gap longer than a quantity can hold is shortened rather than lost.
    uint32_t delta = static_cast<uint32_t>(std::min<uint64_t>(e.time - previous, 0x0FFFFFFF));
    previous = e.time;
    uint8_t vlq[4];
    int n = WriteVarLen(delta, vlq);
    out.insert(out.end(), vlq, vlq + n);
    out.insert(out.end(), e.bytes.begin(), e.bytes.end());
  }
  uint32_t length = static_cast<uint32_t>(out.size() - kImageHeader);
  for (int i = 0; i < 4; ++i) out[18 + static_cast<size_t>(i)] = static_cast<uint8_t>(length >> (24 - 8 * i));
  return image;
}

int cMidiFile::ReadVarLen(const uint8_t* p, size_t size, uint32_t& value) {
  value = 0;
  for (int i = 0; i < 4; ++i) {
    if (static_cast<size_t>(i) >= size) return 0;
    value = (value << 7) | (p[i] & 0x7F);
    if (!(p[i] & 0x80)) return i + 1;
  }
  value = 0;
  return 0;
}

int cMidiFile::WriteVarLen(uint32_t value, uint8_t* out) {
  if (value > 0x0FFFFFFF) return 0;
  uint8_t groups[4];
  int n = 0;
  do {
    groups[n++] = static_cast<uint8_t>(value & 0x7F);
    value >>= 7;
  } while (value);
  for (int i = 0; i < n; ++i) out[i] = static_cast<uint8_t>(groups[n - 1 - i] | (i + 1 < n ? 0x80 : 0));
  return n;
}
