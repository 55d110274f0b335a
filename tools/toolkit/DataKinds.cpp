#include "tools/toolkit/DataKinds.h"

#include <cstring>
#include <filesystem>
#include <memory>

#include "data/Database.h"
#include "media/input/Input.h"
#include "platform/FileSystem.h"
#include "tools/toolkit/AppRecords.h"
#include "tools/toolkit/ProjectScope.h"
#include "tools/toolkit/RecordDump.h"

namespace tools {
namespace {

bool Fail(std::string* error, const std::string& text) {
  if (error) *error = text;
  return false;
}

void Header(cJsonWriter& j, const char* kind) {
  j.BeginObject();
  j.Key("kind");
  j.String(kind);
  j.Key("fileVersion");
  j.UInt(dwFileVersion);
}

// A record that is a file of its own. Records holding definitions are read
// and written against their project's database and common palette.
template <class T>
cDataKind RecordKind(const char* name, const char* what, bool withProject = false) {
  cDataKind k{name, what, nullptr, nullptr};
  k.dump = [name, withProject](const std::string& path, cJsonWriter& j, std::string* error) {
    cProjectScope project(withProject ? FindProjectRootOf(path) : std::string());
    T record;
    bNewerFile = 0;
    if (!record.cSerialRecord::Load(path)) return Fail(error, DescribeReadFailure(path));
    Header(j, name);
    j.Key("record");
    DumpRecord(j, record);
    j.EndObject();
    return true;
  };
  k.resave = [withProject](const std::string& path, const std::string& out, std::string* error) {
    cProjectScope project(withProject ? FindProjectRootOf(path) : std::string());
    T record;
    bNewerFile = 0;
    if (!record.cSerialRecord::Load(path)) return Fail(error, DescribeReadFailure(path));
    if (!record.cSerialRecord::Save(out)) return Fail(error, "cannot write " + out);
    return true;
  };
  return k;
}

template <class T>
cVector<T>& ListOf(cDatabase& db, DbList list);
template <>
cVector<cAnimeSet>& ListOf(cDatabase& db, DbList) {
  return db.m_AnimeSets;
}
template <>
cVector<cAnime>& ListOf(cDatabase& db, DbList) {
  return db.m_AnimeList;
}
template <>
cVector<cBmpCharaExc>& ListOf(cDatabase& db, DbList) {
  return db.m_BmpCharaExcs;
}
template <>
cVector<cSwordType>& ListOf(cDatabase& db, DbList) {
  return db.m_SwordTypes;
}
template <>
cVector<cEffect>& ListOf(cDatabase& db, DbList) {
  return db.m_Effects;
}
template <>
cVector<cCharaEffect>& ListOf(cDatabase& db, DbList) {
  return db.m_CharaEffects;
}
template <>
cVector<cScrEffect>& ListOf(cDatabase& db, DbList) {
  return db.m_ScrEffects;
}
template <>
cVector<cPicture>& ListOf(cDatabase& db, DbList) {
  return db.m_Pictures;
}
template <>
cVector<cSound>& ListOf(cDatabase& db, DbList) {
  return db.m_Sounds;
}
template <>
cVector<cBgm>& ListOf(cDatabase& db, DbList) {
  return db.m_Bgms;
}

// One of the ten database files: a count and the element bodies.
template <class T>
cDataKind DbListKind(const char* name, const char* what, DbList list) {
  cDataKind k{name, what, nullptr, nullptr};
  k.dump = [name, list](const std::string& path, cJsonWriter& j, std::string* error) {
    cDatabase db;
    bNewerFile = 0;
    if (!db.LoadList(list, path)) return Fail(error, DescribeReadFailure(path));
    Header(j, name);
    DumpVector(j, "elements", ListOf<T>(db, list));
    j.EndObject();
    return true;
  };
  k.resave = [list](const std::string& path, const std::string& out, std::string* error) {
    cDatabase db;
    bNewerFile = 0;
    if (!db.LoadList(list, path)) return Fail(error, DescribeReadFailure(path));
    if (!db.SaveList(list, out)) return Fail(error, "cannot write " + out);
    return true;
  };
  return k;
}

// A replay file: the stage body, the recording and the save data of the
// attempt's start.
cDataKind ReplayKind() {
  cDataKind k{"replay", "replay (user_data\\rpl4\\*.rpl4_791)", nullptr, nullptr};
  struct Loaded {
    cStage stage, scalars;
    cReplay replay;
    cSaveData save;
  };
  auto load = [](const std::string& path, Loaded& l, std::string* error) {
    bNewerFile = 0;
    return l.replay.LoadFile(path, l.stage, l.scalars, l.save) || Fail(error, DescribeReadFailure(path));
  };
  k.dump = [load](const std::string& path, cJsonWriter& j, std::string* error) {
    cProjectScope project(FindProjectRootOf(path));
    auto l = std::make_unique<Loaded>();
    if (!load(path, *l, error)) return false;
    Header(j, "replay");
    j.Key("stage");
    DumpRecord(j, l->stage);
    j.Key("replay");
    DumpRecord(j, l->replay);
    j.Key("save");
    DumpRecord(j, l->save);
    j.EndObject();
    return true;
  };
  k.resave = [load](const std::string& path, const std::string& out, std::string* error) {
    cProjectScope project(FindProjectRootOf(path));
    auto l = std::make_unique<Loaded>();
    if (!load(path, *l, error)) return false;
    if (!l->replay.SaveFile(out, l->stage, l->scalars, l->save)) return Fail(error, "cannot write " + out);
    return true;
  };
  return k;
}

// user_data\KeyConfig.dat: the raw 108-byte configuration.
cDataKind KeyConfigKind() {
  cDataKind k{"key-config", "key configuration (user_data\\KeyConfig.dat)", nullptr, nullptr};
  auto load = [](const std::string& path, KEYCONFIG& config, std::string* error) {
    std::vector<unsigned char> bytes;
    if (!platform::ReadWholeFile(path, bytes)) return Fail(error, path + ": missing or unreadable");
    if (bytes.size() != sizeof(KEYCONFIG))
      return Fail(error,
                  path + ": " + std::to_string(bytes.size()) + " bytes, not " + std::to_string(sizeof(KEYCONFIG)));
    SetDefaultKeyConfig(config);
    return LoadKeyConfig(path, config) != 0 || Fail(error, path + ": unreadable");
  };
  k.dump = [load](const std::string& path, cJsonWriter& j, std::string* error) {
    KEYCONFIG config{};
    if (!load(path, config, error)) return false;
    j.BeginObject();
    j.Key("kind");
    j.String("key-config");
    j.Key("Keys");
    j.BeginArray();
    for (const KEYASSIGN& key : config.Keys) {
      j.BeginObject();
      j.Key("nDevice");
      j.Int(key.nDevice);
      j.Key("wCode");
      j.UInt(key.wCode);
      j.EndObject();
    }
    j.EndArray();
    j.Key("nEntries");
    j.Int(config.nEntries);
    j.Key("nJoysticks");
    j.Int(config.nJoysticks);
    j.Key("bUse");
    j.Int(config.bUse);
    j.EndObject();
    return true;
  };
  k.resave = [load](const std::string& path, const std::string& out, std::string* error) {
    KEYCONFIG config{};
    if (!load(path, config, error)) return false;
    if (!platform::WriteWholeFileAtomic(out, &config, sizeof config)) return Fail(error, "cannot write " + out);
    return true;
  };
  return k;
}

std::vector<cDataKind> BuildKinds() {
  std::vector<cDataKind> kinds;
  kinds.push_back(DbListKind<cAnimeSet>("anime-set", "database: animation sets", DbList::AnimeSet));
  kinds.push_back(DbListKind<cAnime>("anime", "database: animations", DbList::Anime));
  kinds.push_back(DbListKind<cBmpCharaExc>("bmp-chara-exc", "database: extra character bitmaps", DbList::BmpCharaExc));
  kinds.push_back(DbListKind<cSwordType>("sword-type", "database: sword types", DbList::SwordType));
  kinds.push_back(DbListKind<cEffect>("effect", "database: effects", DbList::Effect));
  kinds.push_back(DbListKind<cCharaEffect>("chara-effect", "database: character effects", DbList::CharaEffect));
  kinds.push_back(DbListKind<cScrEffect>("scr-effect", "database: screen effects", DbList::ScrEffect));
  kinds.push_back(DbListKind<cPicture>("picture", "database: pictures", DbList::Picture));
  kinds.push_back(DbListKind<cSound>("sound", "database: sound effects", DbList::Sound));
  kinds.push_back(DbListKind<cBgm>("bgm", "database: music", DbList::Bgm));
  kinds.push_back(RecordKind<cCommonPalette>("common-palette", "common palette (data\\CommonPalette.cplt4)", true));
  kinds.push_back(RecordKind<cStage>("stage", "stage (data\\stg4\\*.stg4_NNN)", true));
  kinds.push_back(RecordKind<cSystem>("system", "system data (data\\System.dat)", true));
  kinds.push_back(RecordKind<cWorldMap>("world-map", "world map (data\\WorldMap.dat)"));
  kinds.push_back(RecordKind<cOption>("option", "options (user_data\\Option.dat)"));
  kinds.push_back(
      RecordKind<cSaveData>("save", "story slot or challenge progress (user_data\\story, user_data\\challenge)", true));
  kinds.push_back(RecordKind<cRanking>("ranking", "ranking (*.rkg)"));
  kinds.push_back(ReplayKind());
  kinds.push_back(RecordKind<cBootRecord>("boot", "launch choices (user_data\\Boot.dat)"));
  kinds.push_back(RecordKind<cWindowRecord>("window", "window placement (user_data\\Window.dat)"));
  kinds.push_back(KeyConfigKind());
  return kinds;
}

}  // namespace

const std::vector<cDataKind>& DataKinds() {
  static const std::vector<cDataKind> kinds = BuildKinds();
  return kinds;
}

const cDataKind* FindDataKind(const std::string& name) {
  for (const cDataKind& k : DataKinds())
    if (name == k.name) return &k;
  return nullptr;
}

std::vector<std::pair<std::string, std::string>> ProjectDataFiles() {
  static const char* const kDbKinds[] = {"anime-set",    "anime",      "bmp-chara-exc", "sword-type", "effect",
                                         "chara-effect", "scr-effect", "picture",       "sound",      "bgm"};
  std::vector<std::pair<std::string, std::string>> files;
  for (int i = 0; i < static_cast<int>(DbList::Count); ++i)
    files.emplace_back(DbFilePath(static_cast<DbList>(i)), kDbKinds[i]);
  files.emplace_back("data\\System.dat", "system");
  files.emplace_back("data\\WorldMap.dat", "world-map");
  files.emplace_back("data\\CommonPalette.cplt4", "common-palette");
  for (const std::string& name : platform::ListFolder("data\\stg4")) {
    // Stage files end in ".stg4_" and three digits.
    size_t dot = name.rfind('.');
    if (dot == std::string::npos) continue;
    std::string ext = name.substr(dot + 1);
    if (ext.size() == 8 && platform::NamesMatch(ext.substr(0, 5), "stg4_") &&
        ext.find_first_not_of("0123456789", 5) == std::string::npos)
      files.emplace_back("data\\stg4\\" + name, "stage");
  }
  const std::pair<const char*, const char*> kUserFiles[] = {
      {"user_data\\Boot.dat", "boot"}, {"user_data\\Window.dat", "window"}, {"user_data\\KeyConfig.dat", "key-config"}};
  for (const auto& [path, kind] : kUserFiles)
    if (platform::IsRegularFile(path)) files.emplace_back(path, kind);
  return files;
}

std::string DescribeReadFailure(const std::string& path) {
  if (!platform::IsRegularFile(path)) return path + ": missing";
  if (bNewerFile) return path + ": version " + std::to_string(dwFileVersion) + " is newer than this program";
  const cReadFailure& failure = LastReadFailure();
  return path + ": broken or truncated" + (failure.Failed() ? ": " + failure.Text() : std::string());
}

bool NativeToDataPath(const std::string& native, std::string& internal) {
  std::error_code ec;
  std::filesystem::path abs = std::filesystem::absolute(native, ec);
  if (ec) return false;
  return platform::NativeToInternalPath(abs.lexically_normal().string(), internal);
}

}  // namespace tools
