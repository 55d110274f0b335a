#pragma once
// The block characters of CharaList, kept between the many scans of one
// sub-step (every walker looks for them several times) and built again only
// after something changed which characters could be block characters or in
// what order they are listed.
#include <atomic>
#include <cstdint>
#include <vector>

class cChara;

// Marks the kept list stale. Every character's construction, copy,
// destruction and set-up from a definition calls it, which covers adding
// to and removing from CharaList; code that writes the block field of a
// listed character's definition in place must call it too.
void NoteCharaChange();

// The characters of CharaList whose definition makes them block characters,
// in list order. Whether one is active, alive or the asking object is left
// to the caller, as those change without notice.
const std::vector<cChara*>& BlockCharaCandidates();

// The kept list and the change count it was built at (read by the inline
// test below; written only by BlockCharaCandidates and NoteCharaChange).
struct BlockCharaKept {
  uint64_t builtAt = 0;
  std::vector<cChara*> charas;
};
extern BlockCharaKept KeptBlockCharas;
extern std::atomic<uint64_t> CharaChanges;

// BlockCharaCandidates().empty(), without the call while the kept list is
// up to date.
inline bool NoBlockCharas() {
  if (KeptBlockCharas.builtAt == CharaChanges.load(std::memory_order_relaxed)) return KeptBlockCharas.charas.empty();
  return BlockCharaCandidates().empty();
}

// The same characters as references, for range loops.
class BlockCharaRange {
 public:
  using Base = std::vector<cChara*>::const_iterator;
  class iterator {
   public:
    explicit iterator(Base it) : it_(it) {}
    cChara& operator*() const { return **it_; }
    iterator& operator++() {
      ++it_;
      return *this;
    }
    bool operator!=(const iterator& other) const { return it_ != other.it_; }

   private:
    Base it_;
  };
  iterator begin() const { return iterator(list_.begin()); }
  iterator end() const { return iterator(list_.end()); }

 private:
  const std::vector<cChara*>& list_ = BlockCharaCandidates();
};
inline BlockCharaRange BlockCharas() { return {}; }
