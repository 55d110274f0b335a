#include "platform/AudioOgg.h"

#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/Audio.h"
#include "platform/FileSystem.h"

namespace platform {
namespace {

constexpr int kChunkFrames = 1024;
constexpr uint64_t kOne = uint64_t{1} << 32;

// The Ogg file in memory, read by vorbisfile through these callbacks.
struct Decoder {
  std::vector<unsigned char> bytes;
  size_t pos = 0;
  OggVorbis_File vf{};
  bool open = false;

  ~Decoder() {
    if (open) ov_clear(&vf);
  }

  static size_t Read(void* ptr, size_t size, size_t count, void* src) {
    auto* d = static_cast<Decoder*>(src);
    if (size == 0) return 0;
    size_t avail = d->bytes.size() - d->pos;
    size_t n = std::min(count, avail / size);
    std::memcpy(ptr, d->bytes.data() + d->pos, n * size);
    d->pos += n * size;
    return n;
  }
  static int Seek(void* src, ogg_int64_t offset, int whence) {
    auto* d = static_cast<Decoder*>(src);
    ogg_int64_t base = whence == SEEK_SET ? 0 : whence == SEEK_CUR ? static_cast<ogg_int64_t>(d->pos)
                                                                     : static_cast<ogg_int64_t>(d->bytes.size());
    ogg_int64_t p = base + offset;
    if (p < 0 || p > static_cast<ogg_int64_t>(d->bytes.size())) return -1;
    d->pos = static_cast<size_t>(p);
    return 0;
  }
  static long Tell(void* src) { return static_cast<long>(static_cast<Decoder*>(src)->pos); }
};

}  // namespace

struct OggPlayer::Impl : AudioSource {
  std::unique_ptr<Decoder> dec;
  int loops = 0;      // repeats set by SetLoop
  int loopsLeft = 0;  // repeats still to come in this play
  bool playing = false;
  // Resampler state: output lies between prev and cur at phase (32.32).
  float prev[2] = {0, 0};
  float cur[2] = {0, 0};
  uint64_t phase = 0;
  uint64_t step = kOne;
  int linkRate = 0;
  std::vector<float> chunk;  // decoded stereo frames
  size_t chunkPos = 0;
  size_t chunkLen = 0;
  uint64_t decodedSinceRewind = 0;

  Impl() { AddSource(this); }
  ~Impl() override { RemoveSource(this); }

  void Rewind() {
    if (dec) ov_pcm_seek(&dec->vf, 0);
    chunkPos = chunkLen = 0;
    prev[0] = prev[1] = cur[0] = cur[1] = 0;
    phase = 2 * kOne;  // pulls the first two frames before the first output
    decodedSinceRewind = 0;
    loopsLeft = loops;
  }

  bool Refill() {
    for (int tries = 0; tries < 64; ++tries) {
      float** pcm = nullptr;
      int link = 0;
      long n = ov_read_float(&dec->vf, &pcm, kChunkFrames, &link);
      if (n > 0) {
        vorbis_info* info = ov_info(&dec->vf, link);
        if (!info || info->channels < 1 || info->rate <= 0) return false;
        if (info->rate != linkRate) {
          linkRate = static_cast<int>(info->rate);
          step = (static_cast<uint64_t>(linkRate) << 32) / static_cast<uint64_t>(AudioSampleRate());
        }
        chunk.resize(static_cast<size_t>(n) * 2);
        const float* l = pcm[0];
        const float* r = info->channels > 1 ? pcm[1] : pcm[0];
        for (long i = 0; i < n; ++i) {
          chunk[static_cast<size_t>(i) * 2] = l[i];
          chunk[static_cast<size_t>(i) * 2 + 1] = r[i];
        }
        chunkPos = 0;
        chunkLen = static_cast<size_t>(n);
        decodedSinceRewind += static_cast<uint64_t>(n);
        return true;
      }
      if (n == OV_HOLE) continue;  // a gap in the data: go on with what follows
      if (n < 0) return false;
      // End of the file: loop from the start unless the repeats are used up.
      // A file that gives no samples at all ends here too, instead of spinning.
      if (loopsLeft == 0 || decodedSinceRewind == 0) return false;
      if (ov_pcm_seek(&dec->vf, 0) != 0) return false;
      if (loopsLeft != kEndless) --loopsLeft;
      decodedSinceRewind = 0;
    }
    return false;
  }

  bool NextFrame() {
    if (chunkPos >= chunkLen && !Refill()) return false;
    prev[0] = cur[0];
    prev[1] = cur[1];
    cur[0] = chunk[chunkPos * 2];
    cur[1] = chunk[chunkPos * 2 + 1];
    ++chunkPos;
    return true;
  }

  void Mix(float* out, int frames) override {
    if (!playing || !dec) return;
    for (int i = 0; i < frames; ++i) {
      while (phase >= kOne) {
        if (!NextFrame()) {
          playing = false;
          return;
        }
        phase -= kOne;
      }
      float f = static_cast<float>(phase) * (1.0f / 4294967296.0f);
      out[i * 2] += prev[0] + (cur[0] - prev[0]) * f;
      out[i * 2 + 1] += prev[1] + (cur[1] - prev[1]) * f;
      phase += step;
    }
  }
};

OggPlayer::OggPlayer() : impl_(std::make_unique<Impl>()) {}
OggPlayer::~OggPlayer() = default;

namespace {
// Reads and opens the whole file; null with `reason` set when it is no
// playable Ogg Vorbis stream.
std::unique_ptr<Decoder> OpenDecoder(const std::string& path, std::string& reason) {
  auto dec = std::make_unique<Decoder>();
  if (!ReadWholeFile(path, dec->bytes)) {
    reason = "cannot be read";
    return nullptr;
  }
  if (dec->bytes.empty()) {
    reason = "empty file";
    return nullptr;
  }
  ov_callbacks cb{&Decoder::Read, &Decoder::Seek, nullptr, &Decoder::Tell};
  const int err = ov_open_callbacks(dec.get(), &dec->vf, nullptr, 0, cb);
  if (err != 0) {
    reason = err == OV_ENOTVORBIS ? "not Ogg Vorbis data"
             : err == OV_EVERSION ? "Vorbis version not supported"
             : err == OV_EBADHEADER ? "bad Vorbis header"
                                    : "not an Ogg stream";
    return nullptr;
  }
  dec->open = true;
  vorbis_info* info = ov_info(&dec->vf, -1);
  if (!info || info->channels < 1 || info->rate <= 0) {
    reason = "no channels or no sample rate";
    return nullptr;
  }
  return dec;
}
}  // namespace

bool OggPlayer::Check(const std::string& path, std::string& reason) { return OpenDecoder(path, reason) != nullptr; }

bool OggPlayer::Load(const std::string& path, std::string* reason) {
  Unload();
  std::string why;
  auto dec = OpenDecoder(path, why);
  if (!dec) {
    if (reason) *reason = why;
    return false;
  }
  vorbis_info* info = ov_info(&dec->vf, -1);
  auto lock = AudioLock();
  impl_->dec = std::move(dec);
  impl_->playing = false;
  impl_->linkRate = static_cast<int>(info->rate);
  impl_->step = (static_cast<uint64_t>(info->rate) << 32) / static_cast<uint64_t>(AudioSampleRate());
  return true;
}

void OggPlayer::Unload() {
  std::unique_ptr<Decoder> old;
  {
    auto lock = AudioLock();
    impl_->playing = false;
    old = std::move(impl_->dec);
  }
}

void OggPlayer::SetLoop(int count) {
  auto lock = AudioLock();
  impl_->loops = std::max(count, 0);
  impl_->loopsLeft = impl_->loops;
}

void OggPlayer::Play() {
  auto lock = AudioLock();
  if (!impl_->dec) return;
  if (impl_->linkRate > 0)
    impl_->step = (static_cast<uint64_t>(impl_->linkRate) << 32) / static_cast<uint64_t>(AudioSampleRate());
  impl_->Rewind();
  impl_->playing = true;
}

void OggPlayer::Stop() {
  auto lock = AudioLock();
  impl_->playing = false;
}

bool OggPlayer::IsPlaying() const {
  auto lock = AudioLock();
  return impl_->playing;
}

bool OggPlayer::IsLoaded() const {
  auto lock = AudioLock();
  return impl_->dec != nullptr;
}

double OggPlayer::Length() const {
  auto lock = AudioLock();
  if (!impl_->dec) return 0;
  double t = ov_time_total(&impl_->dec->vf, -1);
  return t > 0 ? t : 0;
}

}  // namespace platform
