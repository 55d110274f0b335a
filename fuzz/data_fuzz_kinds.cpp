#include "fuzz/data_fuzz_kinds.h"

#include <unistd.h>

#include <filesystem>
#include <memory>

#include "base/SerialRecord.h"
#include "data/CommonPalette.h"
#include "data/Database.h"
#include "data/Option.h"
#include "data/Ranking.h"
#include "data/Replay.h"
#include "data/SaveData.h"
#include "data/Stage.h"
#include "data/System.h"
#include "data/WorldMap.h"
#include "media/input/Input.h"
#include "platform/FileSystem.h"
#include "tools/toolkit/AppRecords.h"

namespace fuzzdata {
namespace {

[[noreturn]] void Trap() { __builtin_trap(); }

Bytes FileBytes(const std::string& internalPath) {
  Bytes bytes;
  platform::ReadWholeFile(internalPath, bytes);
  return bytes;
}

// A scratch file of this process for the readers that only take paths.
std::string ScratchPath(const char* tag) {
  static const std::string dir = std::filesystem::temp_directory_path().string();
  std::string internal;
  platform::NativeToInternalPath(dir + "/brindle-fuzz-" + std::to_string(getpid()) + "-" + tag, internal);
  return internal;
}

// A refused input must have a reason.
void ExpectReason() {
  if (!LastReadFailure().Failed()) Trap();
}

template <class R>
void CheckRecord(const Bytes& input) {
  auto rec = std::make_unique<R>();
  ClearLastReadFailure();
  if (!rec->LoadFromBytes(input)) return ExpectReason();
  const Bytes saved = rec->SaveToBytes();
  auto again = std::make_unique<R>();
  if (!again->LoadFromBytes(saved) || again->SaveToBytes() != saved) Trap();
}

template <class R>
Kind RecordKind(const char* name, std::vector<std::string> files) {
  return {name, CheckRecord<R>, [files] {
            std::vector<Bytes> seeds;
            for (const std::string& f : files) seeds.push_back(FileBytes(f));
            return seeds;
          }};
}

template <class R>
Kind WrittenKind(const char* name, std::function<void(R&)> fill) {
  return {name, CheckRecord<R>, [fill] {
            auto rec = std::make_unique<R>();
            Bytes plain = rec->SaveToBytes();
            fill(*rec);
            return std::vector<Bytes>{plain, rec->SaveToBytes()};
          }};
}

Kind DbKind(const char* name, DbList list) {
  return {name,
          [list](const Bytes& input) {
            auto db = std::make_unique<cDatabase>();
            ClearLastReadFailure();
            if (!db->LoadListFromBytes(list, input)) return ExpectReason();
            const Bytes saved = db->ListToBytes(list);
            auto again = std::make_unique<cDatabase>();
            if (!again->LoadListFromBytes(list, saved) || again->ListToBytes(list) != saved) Trap();
          },
          [list] { return std::vector<Bytes>{FileBytes(DbFilePath(list))}; }};
}

std::vector<std::string> StageFiles() {
  std::vector<std::string> files;
  for (const std::string& name : platform::ListFolder("data\\stg4")) files.push_back("data\\stg4\\" + name);
  return files;
}

struct ReplayParts {
  cStage stage, scalars;
  cReplay replay;
  cSaveData save;
};

Kind ReplayKind() {
  return {"replay",
          [](const Bytes& input) {
            static const std::string in = ScratchPath("replay-in"), out = ScratchPath("replay-out");
            if (!platform::WriteWholeFileAtomic(in, input.data(), input.size())) Trap();
            auto p = std::make_unique<ReplayParts>();
            ClearLastReadFailure();
            if (!p->replay.LoadFile(in, p->stage, p->scalars, p->save)) return ExpectReason();
            if (!p->replay.SaveFile(out, p->stage, p->scalars, p->save)) Trap();
            auto q = std::make_unique<ReplayParts>();
            if (!q->replay.LoadFile(out, q->stage, q->scalars, q->save)) Trap();
          },
          [] {
            std::vector<Bytes> seeds;
            for (const std::string& file : StageFiles()) {
              auto p = std::make_unique<ReplayParts>();
              if (!p->stage.Load(file)) continue;
              p->scalars.AssignScalars(p->stage);
              for (int i = 0; i < 50; ++i) p->replay.RecordFrame(static_cast<uint16_t>(i / 7), static_cast<uint16_t>(i % 3));
              p->save.m_Score = 10;
              const std::string out = ScratchPath("replay-seed");
              if (p->replay.SaveFile(out, p->stage, p->scalars, p->save)) seeds.push_back(FileBytes(out));
              platform::RemoveFile(out);
              if (seeds.size() >= 2) break;
            }
            return seeds;
          }};
}

Kind KeyConfigKind() {
  return {"key-config",
          [](const Bytes& input) {
            static const std::string in = ScratchPath("keys");
            if (!platform::WriteWholeFileAtomic(in, input.data(), input.size())) Trap();
            KEYCONFIG config{};
            SetDefaultKeyConfig(config);
            LoadKeyConfig(in, config);
          },
          [] {
            KEYCONFIG config{};
            SetDefaultKeyConfig(config);
            const auto* p = reinterpret_cast<const unsigned char*>(&config);
            return std::vector<Bytes>{Bytes(p, p + sizeof config)};
          }};
}

std::vector<Kind> Build() {
  std::vector<Kind> kinds;
  const std::pair<const char*, DbList> lists[] = {
      {"anime-set", DbList::AnimeSet}, {"anime", DbList::Anime},           {"bmp-chara-exc", DbList::BmpCharaExc},
      {"sword-type", DbList::SwordType}, {"effect", DbList::Effect},       {"chara-effect", DbList::CharaEffect},
      {"scr-effect", DbList::ScrEffect}, {"picture", DbList::Picture},     {"sound", DbList::Sound},
      {"bgm", DbList::Bgm}};
  for (const auto& [name, list] : lists) kinds.push_back(DbKind(name, list));
  kinds.push_back(RecordKind<cSystem>("system", {"data\\System.dat"}));
  kinds.push_back(RecordKind<cWorldMap>("world-map", {"data\\WorldMap.dat"}));
  kinds.push_back(RecordKind<cCommonPalette>("common-palette", {"data\\CommonPalette.cplt4"}));
  kinds.push_back({"stage", CheckRecord<cStage>, [] {
                     std::vector<Bytes> seeds;
                     for (const std::string& f : StageFiles()) seeds.push_back(FileBytes(f));
                     return seeds;
                   }});
  kinds.push_back(WrittenKind<cSaveData>("save", [](cSaveData& s) {
    s.m_Score = 1234;
    s.m_Lives = 3;
    s.m_Vars[7] = 42;
    s.m_StageFile = "data\\stg4\\World1-1.stg4_000";
  }));
  kinds.push_back(ReplayKind());
  kinds.push_back(WrittenKind<cRanking>("ranking", [](cRanking& r) {
    r.m_Tables[0].Insert("abc", 500);
    r.m_Tables[1].Insert("xyz", 90);
  }));
  kinds.push_back(WrittenKind<cOption>("option", [](cOption& o) { o.m_SoundVolume = 4; }));
  kinds.push_back(KeyConfigKind());
  kinds.push_back(WrittenKind<tools::cBootRecord>("boot", [](tools::cBootRecord& b) { b.m_bDoNotAsk = 1; }));
  kinds.push_back(WrittenKind<tools::cWindowRecord>("window", [](tools::cWindowRecord& w) {
    w.m_nX = 10;
    w.m_nWidth = 640;
    w.m_nHeight = 480;
  }));
  return kinds;
}

}  // namespace

const std::vector<Kind>& Kinds() {
  static const std::vector<Kind> kinds = Build();
  return kinds;
}

const Kind* FindKind(const std::string& name) {
  for (const Kind& k : Kinds())
    if (name == k.name) return &k;
  return nullptr;
}

}  // namespace fuzzdata
