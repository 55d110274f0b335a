#include "data/Anime.h"

namespace {
// 立ち, 立ち移動, 飛行, 飛行移動
const char* const kBasicAnimeNames[kBasicAnimeCount] = {
    "\x97\xA7\x82\xBF",
    "\x97\xA7\x82\xBF\x88\xDA\x93\xAE",
    "\x94\xF2\x8D\x73",
    "\x94\xF2\x8D\x73\x88\xDA\x93\xAE",
};

// An anime body is at least its two table counts and its frame count.
constexpr size_t kMinAnimeBody = 12;

// The four basic motions of a new set, built once and never changed. Kept
// for the whole run: sets may be destroyed during static destruction.
const std::shared_ptr<cVector<cAnime>>& BasicAnimes() {
  static const auto* basic = [] {
    auto list = std::make_shared<cVector<cAnime>>(static_cast<size_t>(kBasicAnimeCount));
    for (int i = 0; i < kBasicAnimeCount; ++i) (*list)[static_cast<size_t>(i)].m_Name = kBasicAnimeNames[i];
    return new std::shared_ptr<cVector<cAnime>>(std::move(list));
  }();
  return *basic;
}
}  // namespace

// --- the animations of a set ---

cAnimeList::cAnimeList() : m_List(BasicAnimes()) {}
cAnimeList::cAnimeList(cVector<cAnime> animes) : m_List(std::make_shared<cVector<cAnime>>(std::move(animes))) {}
cAnimeList::cAnimeList(const cAnimeList& other)
    : m_List(other.SharesBasic() ? other.m_List : std::make_shared<cVector<cAnime>>(*other.m_List)) {}

cAnimeList& cAnimeList::operator=(const cAnimeList& other) {
  if (this != &other) m_List = other.SharesBasic() ? other.m_List : std::make_shared<cVector<cAnime>>(*other.m_List);
  return *this;
}

cAnimeList::cAnimeList(cAnimeList&& other) noexcept : m_List(std::move(other.m_List)) { other.m_List = BasicAnimes(); }

cAnimeList& cAnimeList::operator=(cAnimeList&& other) noexcept {
  if (this != &other) {
    m_List = std::move(other.m_List);
    other.m_List = BasicAnimes();
  }
  return *this;
}

cAnimeList& cAnimeList::operator=(cVector<cAnime>&& animes) {
  m_List = std::make_shared<cVector<cAnime>>(std::move(animes));
  return *this;
}

void cAnimeList::ShareBasic() { m_List = BasicAnimes(); }
bool cAnimeList::SharesBasic() const { return m_List == BasicAnimes(); }

cVector<cAnime>& cAnimeList::Own() {
  if (SharesBasic()) m_List = std::make_shared<cVector<cAnime>>(*m_List);
  return *m_List;
}

void cAnimeFrame::RegisterFields(uint32_t) {
  ResetFields();
  AddInt(&m_Pattern, 1, "m_Pattern");
  AddInt(&m_Duration, 1, "m_Duration");
  AddInt(&m_Uninterruptible, 1, "m_Uninterruptible");
}

void cAnime::Reset() {
  Clear();
  m_Frames.assign(1, cAnimeFrame());
  m_Option2 = 1;
}

void cAnime::RegisterFields(uint32_t version) {
  ResetFields();
  AddString(&m_Name, "m_Name");
  if (version >= 55) {
    AddShort(&m_Option1, 1, "m_Option1");
    AddChar(&m_Option2, 1, "m_Option2");
    AddShort(&m_Option3, 1, "m_Option3");
  }
}

bool cAnime::Read(cRecordReader& r) {
  if (!cSerialRecord::Read(r)) return false;
  return ReadAnimeFrames(r);
}

bool cAnime::ReadAnimeFrames(cRecordReader& r) { return ReadRecordVector(r, m_Frames) && r.Ok(); }

bool cAnime::Write(cRecordWriter& w) {
  cSerialRecord::Write(w);
  WriteRecordVector(w, m_Frames);
  return true;
}

void cAnimeSet::SetDefaults() {
  Clear();
  m_PatternOffset1 = 4;
  m_PatternOffset2 = 8;
  m_FlyPatternOffset = 0;
  m_Animes.ShareBasic();
}

void cAnimeSet::RegisterFields(uint32_t version) {
  ResetFields();
  AddString(&m_Name, "m_Name");
  AddInt(&m_PatternOffset1, 1, "m_PatternOffset1");
  AddInt(&m_PatternOffset2, 1, "m_PatternOffset2");
  if (version >= 119) AddInt(&m_FlyPatternOffset, 1, "m_FlyPatternOffset");
}

void cAnimeSet::KeepBasicAnimes() { m_Animes.resize(kBasicAnimeCount); }

bool cAnimeSet::Read(cRecordReader& r) {
  if (!cSerialRecord::Read(r)) return false;
  uint32_t count = 0;
  if (!r.ReadCount(count, kMinAnimeBody)) return false;
  // An empty list in a current file ends up as exactly the basic motions.
  if (count == 0 && r.Version() >= 128) {
    m_Animes.ShareBasic();
    return r.Ok();
  }
  cVector<cAnime> animes;
  ReserveForRecords(animes, count, kMinAnimeBody);
  for (uint32_t i = 0; i < count; ++i) {
    animes.emplace_back();
    if (!animes.back().Read(r)) return false;
  }
  m_Animes = std::move(animes);
  // Sets before 119 had no flying motions, before 128 no names for them.
  if (r.Version() < 119) KeepBasicAnimes();
  if (r.Version() < 128) {
    KeepBasicAnimes();
    m_Animes[2].m_Name = kBasicAnimeNames[2];
    m_Animes[3].m_Name = kBasicAnimeNames[3];
  }
  // The engine takes the basic motions by position, so a newer set that
  // holds fewer gets the missing ones as a new set has them.
  for (size_t i = m_Animes.size(); i < static_cast<size_t>(kBasicAnimeCount); ++i) {
    m_Animes.emplace_back();
    m_Animes.back().m_Name = kBasicAnimeNames[i];
  }
  return r.Ok();
}

bool cAnimeSet::Write(cRecordWriter& w) {
  cSerialRecord::Write(w);
  if (m_Animes.SharesBasic()) {
    // Writing touches the records, and the shared list is never changed.
    cVector<cAnime> basic = m_Animes.Get();
    WriteRecordVector(w, basic);
  } else {
    WriteRecordVector(w, m_Animes.Own());
  }
  return true;
}
