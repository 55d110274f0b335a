// The kept block characters of CharaList and the change count that says
// when to build them again.
#include "engine/objects/BlockCharaCache.h"

#include <atomic>
#include <cstdint>

#include "engine/Names.h"
#include "engine/World.h"

namespace {

// Atomic, so that a character made or destroyed on another thread still
// marks the kept list stale.
std::atomic<uint64_t> changes{1};

struct Kept {
  uint64_t builtAt = 0;
  std::vector<cChara*> charas;
};

Kept& TheKept() {
  static Kept kept;
  return kept;
}

}  // namespace

void NoteCharaChange() { changes.fetch_add(1, std::memory_order_relaxed); }

const std::vector<cChara*>& BlockCharaCandidates() {
  Kept& k = TheKept();
  const uint64_t now = changes.load(std::memory_order_relaxed);
  if (k.builtAt != now) {
    k.charas.clear();
    for (cChara& c : CharaList)
      if (nm::chara::BlockChara(c.m_Def) != 0) k.charas.push_back(&c);
    k.builtAt = now;
  }
  return k.charas;
}
