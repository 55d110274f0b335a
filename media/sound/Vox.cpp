#include "media/sound/Vox.h"

#include <atomic>
#include <new>

#include "base/Log.h"
#include "platform/AudioOgg.h"

namespace {

void LogOggFailure(const char* path, const std::string& reason) { WriteLog("Ogg %s : %s", path, reason.c_str()); }

class cOggVox final : public cVoxPlayer {
 public:
  bool Load(const char* path) override {
    if (!path) return false;
    std::string reason;
    if (player_.Load(path, &reason)) return true;
    LogOggFailure(path, reason);
    return false;
  }
  void Play() override { player_.Play(); }
  void Stop() override { player_.Stop(); }
  void Reset() override { player_.Unload(); }
  void SetLoop(int count) override { player_.SetLoop(count); }
  void Destroy() override { delete this; }

 private:
  platform::OggPlayer player_;
};

std::atomic<CREATEVOX> g_factory{&CreateVox};

}  // namespace

bool CheckOggTune(const std::string& path) {
  std::string reason;
  if (platform::OggPlayer::Check(path, reason)) return true;
  LogOggFailure(path.c_str(), reason);
  return false;
}

cVoxPlayer* CreateVox() { return new (std::nothrow) cOggVox; }
void SetVoxFactory(CREATEVOX factory) { g_factory = factory; }
CREATEVOX GetVoxFactory() { return g_factory; }

bool cVox::Init() {
  m_lpfnCreateVox = g_factory.load();
  m_hModule = m_lpfnCreateVox != nullptr;
  return m_hModule;
}

bool cVox::Create(int count) {
  for (cVoxPlayer* p : m_lpPlayers)
    if (p) p->Destroy();
  m_lpPlayers.clear();
  m_nCurrent = -1;
  m_nPlayers = count > 0 ? count : 0;
  m_lpPlayers.assign(static_cast<size_t>(m_nPlayers), nullptr);
  for (cVoxPlayer*& p : m_lpPlayers) {
    p = m_lpfnCreateVox ? m_lpfnCreateVox() : nullptr;
    if (!p) {
      OutOfMemoryExit();
      return false;
    }
  }
  return true;
}

bool cVox::Play(int channel, const char* path, int loop) {
  if (!path || !*path) return false;
  Stop();
  cVoxPlayer* player = m_lpPlayers.At(channel);
  if (!player) return false;
  player->Reset();
  if (!player->Load(path)) return false;
  player->SetLoop(loop ? cVoxPlayer::kEndless : 0);
  player->Play();
  m_nCurrent = channel;
  return true;
}

void cVox::Stop() {
  if (m_nCurrent >= 0) {
    if (cVoxPlayer* player = m_lpPlayers.At(m_nCurrent)) player->Stop();
  }
  m_nCurrent = -1;
}

void cVox::Release() {
  for (cVoxPlayer* p : m_lpPlayers)
    if (p) p->Destroy();
  m_lpPlayers.clear();
  m_nPlayers = 0;
  m_nCurrent = -1;
  m_hModule = false;
  m_lpfnCreateVox = nullptr;
}
