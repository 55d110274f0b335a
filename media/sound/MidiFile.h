#pragma once
// Standard MIDI files of format 0 and 1, converted once into the image of a
// single-track format-0 file with every track merged by time:
//   "MThd", 6, format 0, 1 track, the source's division, "MTrk", length L,
//   then L bytes of events (delta time + complete event, no running status),
//   the last one the only end of track, FF 2F 00.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

using MidiImage = std::vector<uint8_t>;

// One event of a parsed track: absolute time and the complete bytes (status included).
struct MidiEvent {
  uint64_t time = 0;
  std::vector<uint8_t> bytes;
};

class cMidiFile {
 public:
  // The image starts with this header; events follow at this offset.
  static constexpr size_t kImageHeader = 22;

  cMidiFile() = default;
  explicit cMidiFile(const std::string& path);
  virtual ~cMidiFile() = default;
  cMidiFile(const cMidiFile&) = delete;
  cMidiFile& operator=(const cMidiFile&) = delete;

  // Reads and converts the file (internal path); failures are logged and leave no image.
  bool Create(const std::string& path);
  // Checks the header and converts; the image, or null.
  std::unique_ptr<MidiImage> Init(const std::vector<uint8_t>& file);
  std::unique_ptr<MidiImage> Convert(const std::vector<uint8_t>& file);
  // One list per track; the end of track of the whole tune closes the last list.
  std::vector<std::vector<MidiEvent>> ParseTracks(const std::vector<uint8_t>& file);
  // All events by time, the lower track first on equal times; sets m_dPlayTime.
  std::vector<MidiEvent> MergeTracks(std::vector<std::vector<MidiEvent>>& tracks, int division);
  static double GetPlayTime(const std::vector<MidiEvent>& merged, int division);
  static std::unique_ptr<MidiImage> BuildFormat0(const std::vector<MidiEvent>& merged, uint16_t division);

  // Variable-length quantities: 7 bits a byte, at most 4 bytes. Read gives
  // the bytes used, 0 when the quantity is longer or runs past `size`.
  // Write gives the bytes written, 0 for values above 0x0FFFFFFF.
  static int ReadVarLen(const uint8_t* p, size_t size, uint32_t& value);
  static int WriteVarLen(uint32_t value, uint8_t* out);

  std::unique_ptr<MidiImage> m_lpImage;
  std::string m_strName;
  double m_dPlayTime = 0;
};
