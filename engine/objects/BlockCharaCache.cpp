// The kept block characters of CharaList and the change count that says
// when to build them again.
#include "engine/objects/BlockCharaCache.h"

#include <atomic>
#include <cstdint>

#include "engine/Names.h"
#include "engine/World.h"

// Atomic, so that a character made or destroyed on another thread still
// marks the kept list stale.
std::atomic<uint64_t> CharaChanges{1};
BlockCharaKept KeptBlockCharas;

void NoteCharaChange() { CharaChanges.fetch_add(1, std::memory_order_relaxed); }

const std::vector<cChara*>& BlockCharaCandidates() {
  BlockCharaKept& k = KeptBlockCharas;
  const uint64_t now = CharaChanges.load(std::memory_order_relaxed);
  if (k.builtAt != now) {
    k.charas.clear();
    for (cChara& c : CharaList)
      if (nm::chara::BlockChara(c.m_Def) != 0) k.charas.push_back(&c);
    k.builtAt = now;
  }
  return k.charas;
}
