#include "media/sound/BgmManager.h"

#include "base/Log.h"
#include "media/sound/SoundSystem.h"

int cBgmManager::Init(int channels, cVector<std::string>* oggNames, cVector<std::string>* midiNames, int count) {
  // A second Init without Release would leak the players and the device.
  if (m_bEnabled) Release();
  m_Midi.Clear();
  if (!m_Vox.Init()) {
    ErrorBox("%s", "ogg\x82\xCC\x8F\x89\x8A\xFA\x89\xBB\x82\xC9\x8E\xB8\x94s\x81I");  // "oggの初期化に失敗！"
    WriteDebugLog("%s", "m_Vox.Init\x8E\xB8\x94s\x81I");                                // "m_Vox.Init失敗！"
    return 0;
  }
  sound::StartAudio();
  m_bEnabled = 1;
  SetChannels(channels);
  m_lpOggNames = oggNames;
  m_lpMidiNames = midiNames;
  m_BgmKind.assign(static_cast<size_t>(count > 0 ? count : 0), kEither);
  return 1;
}

int cBgmManager::SetChannels(int channels) {
  if (channels < 0) channels = 0;
  m_Midi.Resize(channels);
  m_Vox.Create(channels);
  m_ChannelKind.assign(static_cast<size_t>(channels), 0);
  return 1;
}

namespace {
std::string& Name(cVector<std::string>* table, int tune) {
  static std::string none;
  if (!table) {
    none.clear();
    return none;
  }
  return table->At(tune);
}
}  // namespace

int cBgmManager::SetBgm(int tune, const std::string& path) {
  if (!m_bEnabled) return 0;
  std::string ext;
  if (!sound::PathExtension(path, ext)) {
    Name(m_lpOggNames, tune).clear();
    Name(m_lpMidiNames, tune).clear();
    m_BgmKind.At(tune) = kEither;
    return 0;
  }
  if (ext == "mid" || ext == "MID") {
    Name(m_lpMidiNames, tune) = path.substr(0, path.size() - ext.size()) + "mid";
    m_BgmKind.At(tune) = kMidi;
  } else if (ext == "ogg" || ext == "OGG") {
    Name(m_lpOggNames, tune) = path;
    m_BgmKind.At(tune) = kOgg;
  } else {
    Name(m_lpOggNames, tune) = path;
    Name(m_lpMidiNames, tune) = path;
    m_BgmKind.At(tune) = kEither;
    return 0;
  }
  return 1;
}

int cBgmManager::Play(int channel, int tune, int loop, int force) {
  if (!m_bEnabled) return 0;
  if (tune == m_nCurrentBgm && !force) return 1;
  m_nCurrentBgm = tune;
  int kind = m_BgmKind.At(tune);
  if (kind == kOgg || kind == kEither) {
    std::string path = Name(m_lpOggNames, tune);
    if (m_Vox.Play(channel, path.c_str(), loop)) {
      m_ChannelKind.At(channel) = kOgg;
      m_Midi.Stop(0);
      return 1;
    }
  }
  if (kind == kMidi || kind == kEither) {
    std::string path = Name(m_lpMidiNames, tune);
    if (m_Midi.Play(channel, path, loop)) {
      m_ChannelKind.At(channel) = kMidi;
      m_Vox.Stop();
      return 1;
    }
  }
  m_ChannelKind.At(channel) = 0;
  m_nCurrentBgm = -1;
  m_Vox.Stop();
  m_Midi.Stop(0);
  return 0;
}

void cBgmManager::Stop() {
  if (!m_bEnabled) return;
  m_Midi.Stop(0);
  m_Vox.Stop();
}

void cBgmManager::Release() {
  if (!m_bEnabled) return;
  m_Vox.Release();
  m_Midi.Clear();
  m_bEnabled = 0;
  sound::StopAudio();
}
