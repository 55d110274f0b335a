#include "media/sound/MidiStream.h"

#include "base/Log.h"
#include "media/sound/SoundSystem.h"
#include "platform/AudioSynth.h"

namespace {

// Sends the events to the program's synthesiser.
class cSynthSink final : public cMidiSink {
 public:
  void ShortMsg(uint8_t status, uint8_t d1, uint8_t d2) override {
    if (auto* s = platform::CurrentMidiSynth()) s->ShortMessage(status, d1, d2);
  }
  void LongMsg(const uint8_t* data, size_t size) override {
    auto* s = platform::CurrentMidiSynth();
    // Only complete F0 ... F7 messages mean something to the synthesiser.
    size_t from = data[0] == 0xF0 ? 1 : (size > 1 && data[1] == 0xF0 ? 2 : 0);
    if (!s || from == 0) return;
    size_t to = size;
    if (to > from && data[to - 1] == 0xF7) --to;
    if (to > from) s->SysEx(data + from, to - from);
  }
  void SoundOff() override {
    if (auto* s = platform::CurrentMidiSynth()) s->SoundOff();
  }
  void Render(float* out, int frames) override {
    if (auto* s = platform::CurrentMidiSynth()) s->Render(out, frames);
  }
};

}  // namespace

cMidiStream::cMidiStream(const std::string& path, cMidiSink* sink) : cMidiFile(path), m_lpSink(sink) {
  if (m_lpImage) Open();
}

cMidiStream::~cMidiStream() {
  if (!m_bOpen) return;
  platform::RemoveSource(this);  // from here on the mixer no longer calls us
  auto lock = platform::AudioLock();
  m_Seq.Stop(0, m_lpSink);
}

bool cMidiStream::Open() {
  if (!m_lpSink) {
    // The SoundFont loads beside the caller; the tune is held until it is
    // ready, and without one it still runs its course, silently.
    platform::StartMidiSynthLoad([name = m_strName](const std::string& error) {
      if (!error.empty()) WriteLog("Midi %s Open %s", name.c_str(), error.c_str());
    });
    m_OwnSink = std::make_unique<cSynthSink>();
    m_lpSink = m_OwnSink.get();
  }
  {
    auto lock = platform::AudioLock();
    m_Seq.SetImage(m_lpImage.get(), platform::AudioSampleRate());
  }
  m_bOpen = true;
  platform::AddSource(this);
  return true;
}

void cMidiStream::Restart(int loop) {
  if (!m_bOpen) return;
  auto lock = platform::AudioLock();
  m_Seq.Restart(loop != 0);
}

void cMidiStream::Stop(int mode) {
  if (!m_bOpen) return;
  auto lock = platform::AudioLock();
  m_Seq.Stop(mode, m_lpSink);
}

int cMidiStream::State() const {
  auto lock = platform::AudioLock();
  return m_Seq.State();
}

bool cMidiStream::Loop() const {
  auto lock = platform::AudioLock();
  return m_Seq.Loop();
}

size_t cMidiStream::Position() const {
  auto lock = platform::AudioLock();
  return m_Seq.Position();
}

void cMidiStream::Mix(float* out, int frames) {
  // Events sent before the synthesiser exists would be lost: hold the tune.
  if (m_OwnSink && platform::MidiSynthLoadState() == platform::SynthLoad::kLoading) return;
  auto lock = platform::AudioLock();
  m_Seq.Render(out, frames, m_lpSink);
}

cMidiPlayer::~cMidiPlayer() { Clear(); }

void cMidiPlayer::Clear() {
  for (cMidiStream*& s : m_Streams) {
    delete s;
    s = nullptr;
  }
  m_Streams.clear();
}

void cMidiPlayer::Resize(int channels) {
  if (channels < 0) channels = 0;
  for (size_t i = static_cast<size_t>(channels); i < m_Streams.size(); ++i) delete m_Streams[i];
  m_Streams.resize(static_cast<size_t>(channels), nullptr);
}

bool cMidiPlayer::Play(int channel, const std::string& path, int loop) {
  Stop(1);
  for (cMidiStream*& s : m_Streams) {
    delete s;
    s = nullptr;
  }
  std::string ext;
  if (!sound::PathExtension(path, ext) || ext != "mid") return false;
  if (channel < 0 || static_cast<size_t>(channel) >= m_Streams.size()) {
    m_Streams.At(channel);  // logs the bad index and asks for the close
    return false;
  }
  cMidiStream* stream = new cMidiStream(path);
  m_Streams[static_cast<size_t>(channel)] = stream;
  if (!stream->m_lpImage) return false;
  stream->Restart(loop);
  return true;
}

void cMidiPlayer::Stop(int mode) {
  for (cMidiStream* s : m_Streams)
    if (s) s->Stop(mode);
}
