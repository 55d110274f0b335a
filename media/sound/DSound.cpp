#include "media/sound/DSound.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <memory>
#include <mutex>

#include "base/LoadTexts.h"
#include "base/Log.h"
#include "media/sound/SoundSystem.h"
#include "platform/FileSystem.h"

namespace {

// The game thread plays the cursor sound while the window thread plays the
// others, so the round-robin index and the tables are guarded.
std::recursive_mutex g_lock;
std::atomic<bool> g_started{false};
void* g_window = nullptr;
cVector<DSDATA>* g_entries = nullptr;
cVector<DSSOUNDDEF>* g_defs = nullptr;

// "%s の読み込みに失敗しました…\n不正なファイルです。"
const char kBadFile[] =
    "%s \x82\xCC\x93\xC7\x82\xDD\x8D\x9E\x82\xDD\x82\xC9\x8E\xB8\x94s\x82\xB5\x82\xDC\x82\xB5\x82\xBD\x81"
    "c\n\x95s\x90\xB3\x82\xC8\x83t\x83@\x83"
    "C\x83\x8B\x82\xC5\x82\xB7\x81"
    "B";
// "%s の読み込みに失敗しました…\n対応していない形式か、不正なwavファイルです。\n本ソフトではPCM形式のみ再生できます。"
const char kBadFormat[] =
    "%s \x82\xCC\x93\xC7\x82\xDD\x8D\x9E\x82\xDD\x82\xC9\x8E\xB8\x94s\x82\xB5\x82\xDC\x82\xB5\x82\xBD\x81"
    "c\n\x91\xCE\x89\x9E\x82\xB5\x82\xC4\x82\xA2\x82\xC8\x82\xA2\x8C`\x8E\xAE\x82\xA9\x81"
    "A\x95s\x90\xB3\x82\xC8wav\x83t\x83@\x83"
    "C\x83\x8B\x82\xC5\x82\xB7\x81"
    "B\n\x96{\x83\x5C\x83t\x83g\x82\xC5\x82\xCDPCM\x8C`\x8E\xAE\x82\xCC\x82\xDD\x8D\xC4\x90\xB6\x82\xC5\x82\xAB\x82\xDC\x82\xB7\x81"
    "B";
// "%s の読み込みに失敗しました…\nPCM形式以外の形式です。\n本ソフトではPCM形式のみ再生できます。"
const char kNotPcm[] =
    "%s \x82\xCC\x93\xC7\x82\xDD\x8D\x9E\x82\xDD\x82\xC9\x8E\xB8\x94s\x82\xB5\x82\xDC\x82\xB5\x82\xBD\x81"
    "c\nPCM\x8C`\x8E\xAE\x88\xC8\x8AO\x82\xCC\x8C`\x8E\xAE\x82\xC5\x82\xB7\x81"
    "B\n\x96{\x83\x5C\x83t\x83g\x82\xC5\x82\xCDPCM\x8C`\x8E\xAE\x82\xCC\x82\xDD\x8D\xC4\x90\xB6\x82\xC5\x82\xAB\x82\xDC\x82\xB7\x81"
    "B";

uint32_t Le32(const std::vector<uint8_t>& b, size_t at) {
  return static_cast<uint32_t>(b[at]) | static_cast<uint32_t>(b[at + 1]) << 8 |
         static_cast<uint32_t>(b[at + 2]) << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
}
uint16_t Le16(const std::vector<uint8_t>& b, size_t at) {
  return static_cast<uint16_t>(b[at] | b[at + 1] << 8);
}

// A chunk found by the search: where its body starts and its stated size.
struct Chunk {
  size_t body = 0;
  uint32_t size = 0;
};

// Walks the chunks in [from, end) as the multimedia file functions do
// (bodies padded to even sizes) and finds the first with this id.
bool FindChunk(const std::vector<uint8_t>& b, size_t from, size_t end, const char* id, Chunk& found) {
  size_t at = from;
  while (at + 8 <= end) {
    uint32_t size = Le32(b, at + 4);
    if (std::memcmp(&b[at], id, 4) == 0) {
      found = {at + 8, size};
      return true;
    }
    uint64_t nextAt = static_cast<uint64_t>(at) + 8 + size + (size & 1);
    if (nextAt > end) return false;
    at = static_cast<size_t>(nextAt);
  }
  return false;
}

bool ValidEntry(const DSDATA& entry) { return !entry.buffers.empty(); }

}  // namespace

bool DS_Init(void* window, int samplesPerSec, int bitsPerSample, int channels) {
  std::lock_guard<std::recursive_mutex> guard(g_lock);
  if (g_started) return true;
  // No device is no reason to stop: the mixer runs silently (logged once).
  sound::StartAudio();
  g_window = window;
  g_entries = nullptr;
  g_defs = nullptr;
  g_started = true;
  return true;
}

bool DS_IsStarted() { return g_started; }

int DS_LoadSounds(cVector<DSDATA>& entries, cVector<DSSOUNDDEF>& defs, int volume) {
  std::lock_guard<std::recursive_mutex> guard(g_lock);
  if (!g_started) return 1;
  g_entries = &entries;
  g_defs = &defs;
  for (int i = 0; static_cast<size_t>(i) < entries.size(); ++i) {
    DSDATA& entry = entries[static_cast<size_t>(i)];
    if (ValidEntry(entry)) continue;
    const DSSOUNDDEF& def = defs.At(i);
    DS_CreateSound(entry, def.path, def.count, volume != 0 ? volume : def.volume);
  }
  return 1;
}

bool DS_CreateSound(DSDATA& entry, const std::string& path, int count, int volume) {
  std::lock_guard<std::recursive_mutex> guard(g_lock);
  if (!g_started) return true;
  DS_ReleaseSound(entry);
  if (count < 1) {
    // The stored definitions are not validated; a slot needs at least one buffer.
    WriteLog("DS : %s buffer count %d refused", path.c_str(), count);
    return false;
  }
  std::vector<DSBUFFER> buffers(static_cast<size_t>(count), 0);
  if (!DS_CreateBuffer(&buffers[0], path)) return false;
  for (size_t i = 1; i < buffers.size(); ++i) {
    if (!DS_DuplicateBuffer(&buffers[i], buffers[0])) {
      // "%sのメモリ共用バッファの生成失敗！"
      WriteDebugLog("%s\x82\xCC\x83\x81\x83\x82\x83\x8A\x8B\xA4\x97p\x83o\x83"
                    "b\x83t\x83@\x82\xCC\x90\xB6\x90\xAC\x8E\xB8\x94s\x81I",
                    path.c_str());
      for (DSBUFFER b : buffers) platform::DestroyVoice(b);
      return false;
    }
  }
  entry.buffers = std::move(buffers);
  entry.count = count;
  entry.next = 0;
  entry.name = path;
  if (volume != 0)
    for (int i = 0; i < count; ++i) DS_SetVolume(entry, i, volume, 0);
  return true;
}

bool DS_CreateBuffer(DSBUFFER* buffer, const std::string& path) {
  if (!g_started) return true;
  WAVEDATA wave;
  if (!DS_LoadWave(path, wave)) {
    WriteLog(kFileLoadFailed, path.c_str());
    return false;
  }
  // Converted once here; the mixer only resamples.
  auto pcm = std::make_shared<platform::PcmData>();
  pcm->rate = static_cast<int>(wave.format.nSamplesPerSec);
  pcm->channels = wave.format.nChannels;
  if (wave.format.wBitsPerSample == 8) {
    pcm->samples.resize(wave.data.size());
    for (size_t i = 0; i < wave.data.size(); ++i) pcm->samples[i] = (static_cast<int>(wave.data[i]) - 128) / 128.0f;
  } else {
    pcm->samples.resize(wave.data.size() / 2);
    for (size_t i = 0; i < pcm->samples.size(); ++i)
      pcm->samples[i] = static_cast<int16_t>(Le16(wave.data, i * 2)) / 32768.0f;
  }
  DS_FreeWave(wave);
  *buffer = platform::CreateVoice(std::move(pcm));
  if (*buffer == 0) {
    WriteDebugLog("%s\x90\xB6\x90\xAC\x8E\xB8\x94s\x81I", path.c_str());  // "%s生成失敗！"
    return false;
  }
  return true;
}

bool DS_DuplicateBuffer(DSBUFFER* buffer, DSBUFFER source) {
  *buffer = platform::DuplicateVoice(source);
  return *buffer != 0;
}

bool DS_LoadWave(const std::string& path, WAVEDATA& wave) {
  std::vector<uint8_t> b;
  if (!platform::ReadWholeFile(path, b)) return false;

  // The RIFF chunk of form WAVE, searched among the top-level chunks.
  size_t at = 0;
  Chunk riff;
  bool found = false;
  while (FindChunk(b, at, b.size(), "RIFF", riff)) {
    if (riff.size >= 4 && riff.body + 4 <= b.size() && std::memcmp(&b[riff.body], "WAVE", 4) == 0) {
      found = true;
      break;
    }
    at = riff.body + riff.size + (riff.size & 1);
    if (riff.body + static_cast<uint64_t>(riff.size) > b.size()) break;
  }
  if (!found) {
    WriteLog(kBadFile, path.c_str());
    return false;
  }
  // Everything below is bounded by the RIFF chunk and by the file.
  size_t riffEnd = static_cast<size_t>(std::min<uint64_t>(b.size(), static_cast<uint64_t>(riff.body) + riff.size));

  Chunk fmt;
  if (!FindChunk(b, riff.body + 4, riffEnd, "fmt ", fmt)) return false;
  // A chunk shorter than the 16 bytes of a PCM format leaves fields unset;
  // refused like an oversized one.
  if (fmt.size > 18 || fmt.size < 16 || fmt.body + fmt.size > riffEnd) {
    WriteLog(kBadFormat, path.c_str());
    return false;
  }
  WAVEFORMATEX f;
  f.wFormatTag = Le16(b, fmt.body);
  f.nChannels = Le16(b, fmt.body + 2);
  f.nSamplesPerSec = Le32(b, fmt.body + 4);
  f.nAvgBytesPerSec = Le32(b, fmt.body + 8);
  f.nBlockAlign = Le16(b, fmt.body + 12);
  f.wBitsPerSample = Le16(b, fmt.body + 14);
  f.cbSize = fmt.size == 18 ? Le16(b, fmt.body + 16) : 0;
  if (f.wFormatTag != 1) {
    WriteLog(kNotPcm, path.c_str());
    return false;
  }
  // What a sound buffer could not be made of is refused here, with a reason.
  if ((f.nChannels != 1 && f.nChannels != 2) || (f.wBitsPerSample != 8 && f.wBitsPerSample != 16) ||
      f.nSamplesPerSec == 0 || f.nSamplesPerSec > 384000 || f.nBlockAlign != f.nChannels * f.wBitsPerSample / 8) {
    WriteLog(kBadFormat, path.c_str());
    return false;
  }

  // The data chunk is searched after the format chunk.
  Chunk data;
  size_t afterFmt = fmt.body + fmt.size + (fmt.size & 1);
  if (afterFmt > riffEnd || !FindChunk(b, afterFmt, riffEnd, "data", data) || data.size == 0) return false;
  // A data chunk that claims more than the file holds is cut to what is
  // there, in whole frames: nothing past the file is ever played.
  size_t avail = static_cast<size_t>(std::min<uint64_t>(data.size, riffEnd - std::min(data.body, riffEnd)));
  avail -= avail % f.nBlockAlign;
  if (avail == 0) return false;
  wave.format = f;
  wave.data.assign(b.begin() + static_cast<std::ptrdiff_t>(data.body),
                   b.begin() + static_cast<std::ptrdiff_t>(data.body + avail));
  return true;
}

void DS_FreeWave(WAVEDATA& wave) {
  wave.data.clear();
  wave.data.shrink_to_fit();
}

void DS_Play(DSDATA& entry, uint32_t flags) {
  std::lock_guard<std::recursive_mutex> guard(g_lock);
  if (!g_started || !ValidEntry(entry)) return;
  if (entry.next < 0 || static_cast<size_t>(entry.next) >= entry.buffers.size()) entry.next = 0;
  DSBUFFER b = entry.buffers[static_cast<size_t>(entry.next)];
  if (b == 0) return;
  platform::VoicePlay(b, false);
  if (++entry.next >= entry.count || static_cast<size_t>(entry.next) >= entry.buffers.size()) entry.next = 0;
}

int DS_SetVolume(DSDATA& entry, int index, int volume, int relative) {
  std::lock_guard<std::recursive_mutex> guard(g_lock);
  if (!g_started || index < 0 || static_cast<size_t>(index) >= entry.buffers.size()) return 0;
  DSBUFFER b = entry.buffers[static_cast<size_t>(index)];
  if (b == 0) return 0;
  int64_t v = volume;
  if (relative == 1) v += platform::VoiceGetVolume(b);
  int set = static_cast<int>(std::clamp<int64_t>(v, -10000, 0));
  platform::VoiceSetVolume(b, set);
  return set;
}

int DS_GetVolume(DSDATA& entry, int index) {
  std::lock_guard<std::recursive_mutex> guard(g_lock);
  if (!g_started || index < 0 || static_cast<size_t>(index) >= entry.buffers.size()) return 0;
  return platform::VoiceGetVolume(entry.buffers[static_cast<size_t>(index)]);
}

void DS_PlayCursor(uint16_t bits, int axes, int index) {
  std::lock_guard<std::recursive_mutex> guard(g_lock);
  if (!g_started || !g_entries) return;
  if ((axes & 1) && (bits & (1 | 2))) DS_Play(g_entries->At(index), 0);
  if ((axes & 2) && (bits & (4 | 8))) DS_Play(g_entries->At(index), 0);
}

void DS_SetAllVolumes(int volume) {
  std::lock_guard<std::recursive_mutex> guard(g_lock);
  if (!g_started || !g_entries || !g_defs) return;
  for (int i = 0; static_cast<size_t>(i) < g_entries->size(); ++i) {
    DSDATA& entry = (*g_entries)[static_cast<size_t>(i)];
    if (!ValidEntry(entry)) continue;
    int v = volume != 0 ? volume : g_defs->At(i).volume;
    for (int b = 0; static_cast<size_t>(b) < entry.buffers.size(); ++b) DS_SetVolume(entry, b, v, 0);
  }
}

void DS_ReleaseSound(DSDATA& entry) {
  std::lock_guard<std::recursive_mutex> guard(g_lock);
  // Duplicates first, then the buffer they share their samples with.
  for (size_t i = entry.buffers.size(); i-- > 0;) platform::DestroyVoice(entry.buffers[i]);
  entry.buffers.clear();
  entry.count = 0;
  entry.next = 0;
}

void DS_End() {
  std::lock_guard<std::recursive_mutex> guard(g_lock);
  if (!g_started) return;
  // Works also when DS_LoadSounds never ran: then there is no table.
  if (g_entries)
    for (DSDATA& entry : *g_entries) DS_ReleaseSound(entry);
  g_entries = nullptr;
  g_defs = nullptr;
  g_window = nullptr;
  g_started = false;
  sound::StopAudio();
}
