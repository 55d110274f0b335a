#include "tools/toolkit/SampleProject.h"

#include <filesystem>
#include <system_error>
#include <utility>

#include "platform/FileSystem.h"
#include "tools/toolkit/Audio.h"
#include "tools/toolkit/ProjectScope.h"
#include "tools/toolkit/SampleArt.h"
#include "tools/toolkit/SampleStages.h"
#include "tools/toolkit/SampleSystem.h"

namespace tools {
namespace {

using Files = std::vector<std::pair<std::string, std::vector<unsigned char>>>;

// --- sounds ---

struct SoundDef {
  const char* path;
  std::vector<cToneSegment> tones;
};

const std::vector<SoundDef>& SystemSoundDefs() {
  static const std::vector<SoundDef> defs = {
      {"wave\\Cursor.wav", {{880, 880, 0.04}}},
      {"wave\\Decide.wav", {{660, 1320, 0.12}}},
      {"wave\\Cancel.wav", {{660, 330, 0.12}}},
      {"wave\\Buzzer.wav", {{120, 110, 0.25}}},
      {"wave\\Pause.wav", {{990, 990, 0.08}, {1320, 1320, 0.08}}},
      {"wave\\Save.wav", {{523, 523, 0.06}, {659, 659, 0.06}, {784, 784, 0.1}}},
      {"wave\\Switch.wav", {{520, 780, 0.1}}},
      {"wave\\System07.wav", {{440, 440, 0.1}}},
      {"wave\\Miss.wav", {{880, 110, 0.6}}},
      {"wave\\Defeat.wav", {{0, 0, 0.2, true}}},
      {"wave\\Spring.wav", {{200, 900, 0.25}}},
      {"wave\\System11.wav", {{700, 700, 0.1}}},
      {"wave\\Message.wav", {{1200, 1200, 0.03}}},
      {"wave\\TimeWarning.wav", {{1000, 1000, 0.1}}},
      {"wave\\StageEnd.wav", {{523, 523, 0.1}, {659, 659, 0.1}, {784, 784, 0.1}, {1047, 1047, 0.3}}},
      {"wave\\ExtraLife.wav", {{784, 784, 0.07}, {988, 988, 0.07}, {1175, 1175, 0.07}, {1568, 1568, 0.2}}},
      {"wave\\System16.wav", {{600, 900, 0.15}}},
  };
  return defs;
}

struct NamedSound {
  const char* name;
  SoundDef def;
};

// Database sounds 1..; entry 0 is "none".
const std::vector<NamedSound>& DatabaseSoundDefs() {
  static const std::vector<NamedSound> defs = {
      {"Jump", {"wave\\Jump.wav", {{300, 700, 0.15}}}},
      {"Shot", {"wave\\Shot.wav", {{1200, 400, 0.1}, {0, 0, 0.05, true, 0.4}}}},
      {"Coin", {"wave\\Coin.wav", {{1320, 1320, 0.05}, {1760, 1760, 0.15}}}},
      {"Clear", {"wave\\Clear.wav", {{784, 784, 0.1}, {1047, 1047, 0.1}, {1568, 1568, 0.3}}}},
  };
  return defs;
}

// --- music ---

struct Tune {
  const char* name;
  const char* path;
  int bpm;
  int program;
  int bassProgram;
  std::vector<cNote> notes;
};

const std::vector<Tune>& Tunes() {
  // C major phrases in eighth notes; 60 is middle C.
  static const std::vector<Tune> tunes = {
      {"Title",
       "bgm\\Title.mid",
       112,
       80,
       38,
       {{72, 2},
        {76, 2},
        {79, 2},
        {84, 2},
        {83, 2},
        {79, 2},
        {76, 4},
        {77, 2},
        {81, 2},
        {84, 2},
        {81, 2},
        {79, 6},
        {-1, 2}}},
      {"World map",
       "bgm\\WorldMap.mid",
       100,
       73,
       32,
       {{67, 2}, {69, 2}, {71, 2}, {72, 4}, {71, 2}, {69, 2}, {67, 4}, {64, 2}, {65, 2}, {67, 8}}},
      {"Challenge",
       "bgm\\Challenge.mid",
       140,
       81,
       38,
       {{64, 1}, {64, 1}, {67, 2}, {64, 1}, {64, 1}, {69, 2}, {67, 2}, {64, 2}, {62, 4}, {-1, 2}}},
      {"Options", "bgm\\Option.mid", 90, 4, 32, {{60, 4}, {64, 4}, {67, 4}, {72, 8}, {67, 4}, {64, 4}, {60, 8}}},
      {"Stage",
       "bgm\\Stage.mid",
       132,
       80,
       33,
       {{60, 2},
        {64, 2},
        {67, 2},
        {64, 2},
        {65, 2},
        {69, 2},
        {72, 2},
        {69, 2},
        {67, 2},
        {71, 2},
        {74, 2},
        {71, 2},
        {72, 6},
        {-1, 2}}},
  };
  return tunes;
}

// System.ini: windowed, Direct3D, English dialogs; "Exit" ends the file.
constexpr const char kSystemIni[] =
    "Direct3D=1\n"
    "WindowMode=1\n"
    "Bpp=0\n"
    "VSync=1\n"
    "D3D_FontCache=0\n"
    "DD_FontCache=1\n"
    "DD_VideoStretch=0\n"
    "ShowFps=0\n"
    "English=1\n"
    "Exit\n";

// Folders of a project, as start-up creates them, so a fresh sample looks
// like a project that has been opened once.
const char* const kFolders[] = {
    "data",      "data\\database", "data\\stg4",  "data\\stg4\\old_ver", "data\\work", "data\\plt4",   "bmp",
    "bmp\\back", "bmp\\chara_sp",  "bmp\\effect", "bmp\\picture",        "bmp\\sword", "bmp\\convert", "bmp\\plt",
    "bmp\\hbt",  "wave",           "bgm",
};

bool FailWith(std::string* error, const std::string& what) {
  if (error) *error = what;
  return false;
}

}  // namespace

const char* const kSampleSystemSounds[17] = {
    "wave\\Cursor.wav",    "wave\\Decide.wav",   "wave\\Cancel.wav",   "wave\\Buzzer.wav",      "wave\\Pause.wav",
    "wave\\Save.wav",      "wave\\Switch.wav",   "wave\\System07.wav", "wave\\Miss.wav",        "wave\\Defeat.wav",
    "wave\\Spring.wav",    "wave\\System11.wav", "wave\\Message.wav",  "wave\\TimeWarning.wav", "wave\\StageEnd.wav",
    "wave\\ExtraLife.wav", "wave\\System16.wav",
};

cDatabase SampleDatabase() {
  cDatabase db;
  // Animation set 1: standing is pattern 0; walking and flying alternate
  // patterns 0 and 1 every two tenths of a second.
  cAnimeSet walker;
  walker.m_Name = "Walker";
  auto frames = [](std::initializer_list<int> patterns) {
    cVector<cAnimeFrame> v;
    for (int p : patterns) {
      cAnimeFrame f;
      f.m_Pattern = p;
      f.m_Duration = 2;
      v.push_back(f);
    }
    return v;
  };
  walker.m_Animes[0].m_Frames = frames({0});
  walker.m_Animes[1].m_Frames = frames({0, 1});
  walker.m_Animes[2].m_Frames = frames({0});
  walker.m_Animes[3].m_Frames = frames({0, 1});
  db.m_AnimeSets.push_back(walker);
  // Sounds: entry 0 means "no sound".
  db.m_Sounds.assign(1, cSound());
  for (const NamedSound& s : DatabaseSoundDefs()) {
    cSound e;
    e.m_Name = s.name;
    e.m_File = s.def.path;
    db.m_Sounds.push_back(e);
  }
  // Music: entry 0 means "no music".
  db.m_Bgms.assign(1, cBgm());
  for (const Tune& t : Tunes()) {
    cBgm e;
    e.m_Name = t.name;
    e.m_File = t.path;
    db.m_Bgms.push_back(e);
  }
  return db;
}

std::vector<std::pair<std::string, std::vector<unsigned char>>> SampleMediaFiles() {
  Files files = SampleBitmaps();
  for (auto& table : SampleBlendTables()) files.push_back(std::move(table));
  for (const SoundDef& s : SystemSoundDefs()) files.emplace_back(s.path, MakeWave(s.tones));
  for (const NamedSound& s : DatabaseSoundDefs()) files.emplace_back(s.def.path, MakeWave(s.def.tones));
  for (const Tune& t : Tunes()) files.emplace_back(t.path, MakeMidi(t.notes, t.bpm, t.program, t.bassProgram));
  files.emplace_back("System.ini", std::vector<unsigned char>(kSystemIni, kSystemIni + sizeof kSystemIni - 1));
  return files;
}

bool MakeSampleProject(const std::string& dir, std::string* error) {
  std::error_code ec;
  std::filesystem::create_directories(dir, ec);
  if (ec) return FailWith(error, "cannot create " + dir + ": " + ec.message());
  const std::string root = std::filesystem::absolute(dir).lexically_normal().string();
  cRootScope rootScope(root);

  for (const char* folder : kFolders)
    if (!platform::IsFolder(folder) && !platform::CreateFolder(folder))
      return FailWith(error, std::string("cannot create ") + folder);

  for (const auto& [path, bytes] : SampleMediaFiles())
    if (!platform::WriteWholeFileAtomic(path, bytes.data(), bytes.size())) return FailWith(error, "cannot write " + path);

  cDatabase db = SampleDatabase();
  if (!db.Save()) return FailWith(error, "cannot write the database");
  {
    // The system data keeps its music numbers inside the database's list.
    cProjectScope project(root);
    cSystem system = SampleSystem();
    if (!system.Save("data\\System.dat")) return FailWith(error, "cannot write the system data");
  }
  cWorldMap worldMap = SampleWorldMap();
  if (!worldMap.Save("data\\WorldMap.dat")) return FailWith(error, "cannot write the world map");

  {
    // The definitions are written against the project's own database and
    // common palette, as the player will read them.
    cProjectScope project(root);
    cCommonPalette palette = SampleCommonPalette();
    if (!palette.Save("data\\CommonPalette.cplt4")) return FailWith(error, "cannot write the common palette");
    CommonPalette = palette;
    for (cSampleStage& s : SampleStages())
      if (!s.stage.Save(s.path)) return FailWith(error, "cannot write " + s.path);
  }

  // default\ is the pristine copy of data\ that start-up restores from.
  if (platform::PathExists("default") && !platform::RemoveFolderTree("default"))
    return FailWith(error, "cannot replace default");
  if (!platform::CopyFolderTree("data", "default")) return FailWith(error, "cannot copy data to default");
  return true;
}

}  // namespace tools
