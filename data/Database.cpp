#include "data/Database.h"

#include <algorithm>
#include <limits>

#include "base/Log.h"
#include "data/StageLoad.h"
#include "data/System.h"
#include "platform/FileSystem.h"

namespace {
// The database's entries of the project's path table, in list order.
// TODO(paths): take these from the shared path table once it exists.
const char* const kDbFiles[static_cast<int>(DbList::Count)] = {
    "data\\database\\AnimeSet.dat",    "data\\database\\Anime.dat",       "data\\database\\Bmp_CharaExc.dat",
    "data\\database\\SwordType.dat",   "data\\database\\Effect.dat",      "data\\database\\CharaEffect.dat",
    "data\\database\\ScrEffect.dat",   "data\\database\\Picture.dat",     "data\\database\\Sound.dat",
    "data\\database\\Bgm.dat",
};

// "なし", "アクションA": the two default animations.
constexpr const char* kAnimeNone = "\x82\xC8\x82\xB5";
constexpr const char* kAnimeActionA = "\x83\x41\x83\x4E\x83\x56\x83\x87\x83\x93" "A";

// A data file that failed to load: log line and error box (the stage
// loader's shared report).
void ReportLoadError(const char* path) { ShowDataLoadError(path); }

// Smallest body of an element: its field and string counts, plus the count
// word of its frame or animation list where it has one.
constexpr size_t kPlainBody = 8;
constexpr size_t kBodyWithList = 12;

template <class T>
T NewEffectDef() {
  T e;
  e.m_EffectKind = 1;
  return e;
}

// Calls f(list, smallest element body, maker of a new element).
template <class F>
auto WithList(cDatabase& db, DbList which, F&& f) {
  switch (which) {
    case DbList::AnimeSet: return f(db.m_AnimeSets, kBodyWithList, [] { return cAnimeSet(); });
    case DbList::Anime: return f(db.m_AnimeList, kBodyWithList, [] { return cAnime(); });
    case DbList::BmpCharaExc: return f(db.m_BmpCharaExcs, kPlainBody, [] { return cBmpCharaExc(); });
    case DbList::SwordType: return f(db.m_SwordTypes, kBodyWithList, [] { return cSwordType(); });
    case DbList::Effect: return f(db.m_Effects, kBodyWithList, [] { return cEffect(); });
    case DbList::CharaEffect: return f(db.m_CharaEffects, kPlainBody, [] { return NewEffectDef<cCharaEffect>(); });
    case DbList::ScrEffect: return f(db.m_ScrEffects, kPlainBody, [] { return NewEffectDef<cScrEffect>(); });
    case DbList::Picture: return f(db.m_Pictures, kPlainBody, [] { return cPicture(); });
    case DbList::Sound: return f(db.m_Sounds, kPlainBody, [] { return cSound(); });
    case DbList::Bgm:
    case DbList::Count: break;
  }
  return f(db.m_Bgms, kPlainBody, [] { return cBgm(); });
}

// Reads a count and that many bodies into a scratch copy of the list and
// commits it only when all of them were read. Existing elements are reused,
// so members that an old file lacks keep the value the element had; new
// elements start as the list's default element.
template <class T, class Make>
bool ReadDbList(cVector<T>& list, cRecordReader& r, size_t minBody, Make make) {
  uint32_t count = 0;
  if (!r.ReadCount(count, minBody)) return false;
  cVector<T> scratch;
  ReserveForRecords(scratch, count, minBody);
  for (size_t i = 0; i < count; ++i) {
    if (i < list.size())
      scratch.push_back(list[i]);
    else
      scratch.push_back(make());
    if (!scratch.back().Read(r)) return false;
  }
  if (!r.Ok()) return false;
  if (bStripCR)
    // Every element was just read, so its layout is the current one: the
    // strings an older file lacks are cut too.
    for (auto& e : scratch) e.StripCR();
  list = std::move(scratch);
  return true;
}

bool ReadList(cDatabase& db, DbList which, cRecordReader& r) {
  return WithList(db, which, [&r](auto& list, size_t minBody, auto make) { return ReadDbList(list, r, minBody, make); });
}

template <class T>
int Size(const cVector<T>& v) {
  return static_cast<int>(std::min<size_t>(v.size(), std::numeric_limits<int>::max()));
}
}  // namespace

const char* DbFilePath(DbList list) {
  int i = static_cast<int>(list);
  if (i < 0 || i >= static_cast<int>(DbList::Count)) return "";
  return kDbFiles[i];
}

// --- element records ---

void cBmpCharaExc::RegisterFields(uint32_t version) {
  ResetFields();
  AddString(&m_Name, "m_Name");
  AddString(&m_File, "m_File");
  if (version >= 152) AddInt(&m_Tag, 1, "m_Tag");
  if (version >= 172) {
    AddInt(&m_DrawValue1, 1, "m_DrawValue1");
    AddInt(&m_DrawValue2, 1, "m_DrawValue2");
  }
}

bool cBmpCharaExc::Read(cRecordReader& r) {
  if (!cSerialRecord::Read(r)) return false;
  if (r.Version() < 153) m_Tag = 0;
  return r.Ok();
}

void cSwordFrame::RegisterFields(uint32_t version) {
  ResetFields();
  AddInt(&m_Param1, 1, "m_Param1");
  AddInt(&m_Param2, 1, "m_Param2");
  if (version >= 138) {
    AddInt(&m_Param3, 1, "m_Param3");
    AddInt(&m_Param4, 1, "m_Param4");
  }
  AddInt(&m_Position, 1, "m_Position");
  AddInt(&m_Param5, 1, "m_Param5");
  AddInt(&m_Param6, 1, "m_Param6");
  AddInt(&m_Width, 1, "m_Width");
  AddInt(&m_Height, 1, "m_Height");
  AddInt(&m_Param7, 1, "m_Param7");
}

void cSwordType::SetDefaults() {
  Clear();
  cSwordFrame frame;
  frame.m_Param7 = 1;
  m_SwordFrames.assign(1, frame);
}

void cSwordType::RegisterFields(uint32_t version) {
  ResetFields();
  AddString(&m_Name, "m_Name");
  AddString(&m_File, "m_File");
  AddString(&m_Text2, "m_Text2");
  if (version >= 151) AddInt(&m_Tag, 1, "m_Tag");
}

bool cSwordType::Read(cRecordReader& r) {
  if (!cSerialRecord::Read(r)) return false;
  if (!ReadRecordVector(r, m_SwordFrames)) return false;
  if (r.Version() < 153) m_Tag = 0;
  return r.Ok();
}

bool cSwordType::Write(cRecordWriter& w) {
  cSerialRecord::Write(w);
  WriteRecordVector(w, m_SwordFrames);
  return true;
}

void cNamedFile::RegisterFields(uint32_t version) {
  ResetFields();
  AddString(&m_Name, "m_Name");
  AddString(&m_File, "m_File");
  if (version >= 151) AddInt(&m_Tag, 1, "m_Tag");
}

bool cNamedFile::Read(cRecordReader& r) {
  if (!cSerialRecord::Read(r)) return false;
  if (r.Version() < 153) m_Tag = 0;
  return r.Ok();
}

// --- the database ---

void cDatabase::SetDefaults() {
  Clear();
  m_AnimeSets.assign(1, cAnimeSet());
  m_AnimeList.assign(2, cAnime());
  m_AnimeList[0].m_Name = kAnimeNone;
  m_AnimeList[1].m_Name = kAnimeActionA;
  m_BmpCharaExcs.assign(2, cBmpCharaExc());
  m_SwordTypes.assign(1, cSwordType());
  m_Effects.assign(2, cEffect());
  m_CharaEffects.assign(2, NewEffectDef<cCharaEffect>());
  m_ScrEffects.assign(2, NewEffectDef<cScrEffect>());
  m_Pictures.assign(2, cPicture());
  m_Sounds.assign(2, cSound());
  m_Bgms.assign(2, cBgm());
}

bool cDatabase::LoadListFromBytes(DbList list, std::vector<unsigned char> bytes) {
  cRecordReader r;
  if (!OpenRecordBytes(std::move(bytes), r)) return false;
  if (ReadList(*this, list, r)) return true;
  return r.Fail();
}

bool cDatabase::LoadList(DbList list, const std::string& path) {
  cRecordReader r;
  if (!OpenRecordFile(path, r)) return false;
  if (ReadList(*this, list, r)) return true;
  return r.Fail();
}

bool cDatabase::Load() {
  for (int i = 0; i < static_cast<int>(DbList::Count); ++i) {
    // A missing file leaves bNewerFile as it was; clear it so a refusal
    // left over from an earlier file cannot turn this message into the
    // "newer version" one. A broken file was opened, so it stays 0.
    bNewerFile = 0;
    if (!LoadList(static_cast<DbList>(i), kDbFiles[i])) {
      ReportLoadError(kDbFiles[i]);
      return false;
    }
  }
  FixAfterLoad();
  return true;
}

void cDatabase::FixAfterLoad() {
  // An empty list would leave nothing to fix and every lookup of effect 0
  // out of range: it gets one element.
  if (m_CharaEffects.empty()) m_CharaEffects.push_back(NewEffectDef<cCharaEffect>());
  if (m_ScrEffects.empty()) m_ScrEffects.push_back(NewEffectDef<cScrEffect>());
  m_CharaEffects[0].m_EffectKind = 0;
  m_ScrEffects[0].m_EffectKind = 0;
}

std::vector<unsigned char> cDatabase::ListToBytes(DbList list) {
  cRecordWriter w;
  BeginRecordFile(w);
  WithList(*this, list, [&w](auto& elements, size_t, auto) {
    WriteRecordVector(w, elements);
    return 0;
  });
  return std::move(w.Bytes());
}

bool cDatabase::SaveList(DbList list, const std::string& path) {
  std::vector<unsigned char> bytes = ListToBytes(list);
  return platform::WriteWholeFileAtomic(path.empty() ? std::string("err") : path, bytes.data(), bytes.size());
}

bool cDatabase::Save() {
  bool ok = true;
  for (int i = 0; i < static_cast<int>(DbList::Count); ++i) ok = SaveList(static_cast<DbList>(i), kDbFiles[i]) && ok;
  return ok;
}

int cDatabase::Count(DbList list) const {
  return WithList(const_cast<cDatabase&>(*this), list, [](auto& elements, size_t, auto) { return Size(elements); });
}

int cDatabase::SwordTime(int swordType) const {
  if (swordType < 0 || static_cast<size_t>(swordType) >= m_SwordTypes.size()) return 0;
  // The sum is kept wide and inside the 16-bit range, capped at 9999 after
  // each addition, so a long frame cannot wrap it.
  int64_t sum = 0;
  for (const auto& frame : m_SwordTypes[static_cast<size_t>(swordType)].m_SwordFrames) {
    sum = std::clamp<int64_t>(sum + frame.Duration(), std::numeric_limits<int16_t>::min(), 9999);
  }
  return static_cast<int>(sum);
}

void FillReadContext(const cSystem& system, cReadContext& context) {
  context.keepTestFlows = system.m_KeepTestFlows != 0;
}

void FillReadContext(const cDatabase& database, cReadContext& context) {
  for (int i = 0; i < static_cast<int>(DbList::Count); ++i) context.dbCount[i] = database.Count(static_cast<DbList>(i));
  // The database outlives every read that uses the context.
  const cDatabase* db = &database;
  context.swordFrameDurations = [db](int swordType) {
    std::vector<int> durations;
    if (swordType < 0 || static_cast<size_t>(swordType) >= db->m_SwordTypes.size()) return durations;
    for (const auto& frame : db->m_SwordTypes[static_cast<size_t>(swordType)].m_SwordFrames)
      durations.push_back(frame.Duration());
    return durations;
  };
}
