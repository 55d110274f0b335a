#pragma once
// Animations and animation sets of the database: an animation is a named
// list of frames (pattern and display time); a set groups the animations of
// a character's basic motions with three pattern offsets.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "base/SerialRecord.h"

class cAnimeFrame : public cSerialRecord {
 public:
  int32_t m_Pattern = 0;   // counted from the character's graphic base
  int32_t m_Duration = 1;  // tenths of a second
  // The engine cannot interrupt the animation from the first frame that
  // has this flag on (to its end).
  int32_t m_Uninterruptible = 0;

  cAnimeFrame() {
    Clear();
    m_Duration = 1;
  }
  void RegisterFields(uint32_t version) override;
};

class cAnime : public cSerialRecord {
 public:
  std::string m_Name;
  cVector<cAnimeFrame> m_Frames;
  // Editor options (files from version 55 on): kept and written back, not read by the player.
  int16_t m_Option1 = 0;
  int8_t m_Option2 = 1;
  int16_t m_Option3 = 0;

  cAnime() { Reset(); }
  // Cleared, one new frame, m_Option2 1.
  void Reset();
  void RegisterFields(uint32_t version) override;
  bool Read(cRecordReader& r) override;
  bool Write(cRecordWriter& w) override;
  // u32 count, then the frame bodies; replaces m_Frames.
  bool ReadAnimeFrames(cRecordReader& r);
  SERIAL_RECORD_COPYABLE(cAnime)
};

// Entries 0..3 of a set's animations are the basic motions.
constexpr int kBasicAnimeCount = 4;

// The animations of a set. Every set that holds exactly the four basic
// motions of a new set points at one shared, never changed list; any access
// that may change the list first gives the set its own copy. Lists of their
// own are never shared: copying a set copies them.
class cAnimeList {
 public:
  cAnimeList();  // the shared basic motions
  cAnimeList(cVector<cAnime> animes);
  cAnimeList(const cAnimeList& other);
  cAnimeList& operator=(const cAnimeList& other);
  cAnimeList(cAnimeList&& other) noexcept;
  cAnimeList& operator=(cAnimeList&& other) noexcept;
  cAnimeList& operator=(cVector<cAnime>&& animes);

  // Back to the shared basic motions.
  void ShareBasic();
  bool SharesBasic() const;

  const cVector<cAnime>& Get() const { return *m_List; }
  // The set's own list, copied from the shared one first when needed.
  cVector<cAnime>& Own();

  size_t size() const { return m_List->size(); }
  bool empty() const { return m_List->empty(); }
  const cAnime& operator[](size_t i) const { return (*m_List)[i]; }
  cAnime& operator[](size_t i) { return Own()[i]; }
  const cAnime& At(int i) const { return m_List->At(i); }
  cAnime& At(int i) { return Own().At(i); }
  auto begin() const { return m_List->cbegin(); }
  auto end() const { return m_List->cend(); }
  auto begin() { return Own().begin(); }
  auto end() { return Own().end(); }
  const cAnime& front() const { return m_List->front(); }
  const cAnime& back() const { return m_List->back(); }
  cAnime& front() { return Own().front(); }
  cAnime& back() { return Own().back(); }
  void resize(size_t n) { Own().resize(n); }
  void clear() { Own().clear(); }
  cAnime& emplace_back() { return Own().emplace_back(); }
  void push_back(const cAnime& a) { Own().push_back(a); }

 private:
  std::shared_ptr<cVector<cAnime>> m_List;
};

class cAnimeSet : public cSerialRecord {
 public:
  std::string m_Name;
  int32_t m_PatternOffset1 = 4;
  int32_t m_PatternOffset2 = 8;
  int32_t m_FlyPatternOffset = 0;  // files from version 119 on
  cAnimeList m_Animes;

  cAnimeSet() { SetDefaults(); }
  void SetDefaults();
  void RegisterFields(uint32_t version) override;
  bool Read(cRecordReader& r) override;
  bool Write(cRecordWriter& w) override;
  SERIAL_RECORD_COPYABLE(cAnimeSet)

 private:
  // Exactly the four basic motions: missing ones reset, the rest dropped.
  void KeepBasicAnimes();
};
