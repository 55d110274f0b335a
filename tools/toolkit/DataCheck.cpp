#include "tools/toolkit/DataCheck.h"

#include <filesystem>
#include <fstream>

#include "base/Log.h"
#include "base/SerialRecord.h"
#include "base/Text.h"
#include "data/CommonPalette.h"
#include "data/Database.h"
#include "data/Option.h"
#include "data/Stage.h"
#include "data/StageLoad.h"
#include "data/System.h"
#include "data/WorldMap.h"
#include "media/graphics/Bmp.h"
#include "media/input/Input.h"
#include "media/graphics/Effect.h"
#include "media/graphics/EffectMath.h"
#include "media/sound/DSound.h"
#include "media/sound/MidiFile.h"
#include "media/sound/Vox.h"
#include "platform/CodePage.h"
#include "platform/FileSystem.h"
#include "platform/MessageBox.h"
#include "app/frame/AppTexts.h"
#include "app/frame/IniSettings.h"
#include "app/frame/PaletteVariants.h"
#include "tools/toolkit/AppRecords.h"
#include "tools/toolkit/DataKinds.h"
#include "tools/toolkit/ProjectScope.h"

namespace tools {
namespace {

// "%s の読み込みに失敗…": the system data.
constexpr const char* kSystemFailed = "%s \x82\xCC\x93\xC7\x82\xDD\x8D\x9E\x82\xDD\x82\xC9\x8E\xB8\x94\x73\x81\x63";
// A user file start-up refuses without a word; the check still names it.
constexpr const char* kRefusedSilently = "refused; start-up keeps the defaults and shows nothing";
// "%s のロードに失敗！": the world map or the common palette.
constexpr const char* kLoadFailedShort = "%s \x82\xCC\x83\x8D\x81\x5B\x83\x68\x82\xC9\x8E\xB8\x94\x73\x81\x49";
// "System.ini の読み込みに失敗しました！"
constexpr const char* kIniFailed =
    "System.ini "
    "\x82\xCC\x93\xC7\x82\xDD\x8D\x9E\x82\xDD\x82\xC9\x8E\xB8\x94\x73\x82\xB5\x82\xDC\x82\xB5\x82\xBD\x81\x49";
// "%s の読み込みに失敗！": a bitmap of the surface table.
constexpr const char* kBitmapFailed = "%s \x82\xCC\x93\xC7\x82\xDD\x8D\x9E\x82\xDD\x82\xC9\x8E\xB8\x94\x73\x81\x49";

// Collects the boxes shown and the main-log lines written while it lives.
class MessageCapture {
 public:
  MessageCapture() {
    platform::SetMessageBoxHandler([this](const std::string& text, const std::string&, unsigned) {
      boxes_.push_back(platform::Cp932ToUtf8(text));
      return platform::IDOK;
    });
    logStart_ = LogLines().size();
  }
  ~MessageCapture() { platform::SetMessageBoxHandler(nullptr); }
  MessageCapture(const MessageCapture&) = delete;
  MessageCapture& operator=(const MessageCapture&) = delete;

  // What was shown since the last call: the boxes, or the new log lines
  // when no box came up (a box is logged too, so it is taken once).
  std::string Take() {
    std::vector<std::string> lines = LogLines();
    std::string text;
    auto join = [&text](const std::string& s) {
      if (s.empty()) return;
      if (!text.empty()) text += '\n';
      text += s;
    };
    if (!boxes_.empty()) {
      for (const std::string& b : boxes_) join(b);
    } else {
      for (size_t i = logStart_; i < lines.size(); ++i) join(lines[i]);
    }
    boxes_.clear();
    logStart_ = lines.size();
    return text;
  }

 private:
  static std::vector<std::string> LogLines() {
    std::vector<std::string> lines;
    std::string path = GetLogPath();
    if (path.empty()) return lines;
    std::ifstream in(path, std::ios::binary);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }

  std::vector<std::string> boxes_;
  size_t logStart_ = 0;
};

class Checker {
 public:
  explicit Checker(std::vector<cCheckFailure>& failures) : failures_(failures) {}

  // Runs one load step; on failure records the shown message, or `fallback`
  // (code page 932) when the step shows nothing itself.
  template <class F>
  bool Step(const std::string& file, F&& load, const std::string& fallback = {}, const std::string& referrer = {}) {
    capture_.Take();
    ClearLastReadFailure();
    bool ok = load();
    std::string shown = capture_.Take();
    if (!ok) {
      if (shown.empty()) shown = platform::Cp932ToUtf8(fallback);
      const cReadFailure& failure = LastReadFailure();
      std::string reason = failure.Failed() ? platform::Cp932ToUtf8(failure.Text()) : std::string();
      // The shown text carries the reason in brackets (a main-log line) or on
      // a line of its own (a box): keep it apart.
      if (!reason.empty()) {
        for (const std::string& tail : {" (" + reason + ")", "\n" + reason}) {
          if (shown.size() >= tail.size() && shown.compare(shown.size() - tail.size(), tail.size(), tail) == 0) {
            shown.resize(shown.size() - tail.size());
            break;
          }
        }
      }
      failures_.push_back({platform::Cp932ToUtf8(file), shown, reason, platform::Cp932ToUtf8(referrer)});
    }
    return ok;
  }

 private:
  std::vector<cCheckFailure>& failures_;
  MessageCapture capture_;
};

// The palette counts that command references are checked against.
void FillPaletteCounts(const cCommonPalette& palette, cReadContext& context) {
  context.commonPaletteCounts = PaletteCountsOf(palette);
}

// Reads System.ini as start-up does: it must end with a line "Exit" or a NUL.
bool SystemIniReadable(const std::string& path, const cSystem& system) {
  sIniSettings settings;
  LoadSystemIniDefaults(settings, system.m_IniKeys);
  return LoadSystemIni(path, settings, system.m_IniKeys) == 1;
}

// Whether the graphics library's bitmap reader takes the file.
bool BitmapReadable(const std::string& path) {
  cBitmapImage image;
  return LoadBmpFile(path, image);
}

// "DDLoadPaletteFromFile失敗": the debug line of a palette bitmap that cannot be read.
constexpr const char* kPaletteFailed = "DDLoadPaletteFromFile\x8E\xB8\x94\x73";

// Bitmaps the start-up and the scenes cannot do without; the palette first.
const char* const kRequiredBitmaps[] = {
    "bmp\\plt\\Palette.bmp", "bmp\\Debug.bmp",        "bmp\\Block.bmp",        "bmp\\Character1.bmp",
    "bmp\\Shot.bmp",         "bmp\\Item.bmp",         "bmp\\Item_Mini.bmp",    "bmp\\Mark.bmp",
    "bmp\\Window.bmp",       "bmp\\StatusWindow.bmp", "bmp\\Title.bmp",        "bmp\\Accessory.bmp",
    "bmp\\Symbol.bmp",       "bmp\\Word.bmp",         "bmp\\WorldMapChip.bmp", "bmp\\WorldEvent.bmp",
};

// Whether `name` ends in "." and `ext` (either case).
bool HasExtension(const std::string& name, const char* ext) {
  const size_t dot = name.rfind('.');
  return dot != std::string::npos && platform::NamesMatch(name.substr(dot + 1), ext);
}

// Loads a tune as the music manager does; its loader logs why it failed.
bool TuneLoads(const std::string& file) {
  if (HasExtension(file, "mid")) {
    cMidiFile midi(file);
    return midi.m_lpImage != nullptr;
  }
  return CheckOggTune(file);
}

}  // namespace

bool CheckProject(const std::string& dir, std::vector<cCheckFailure>& failures) {
  std::error_code ec;
  if (!std::filesystem::is_directory(dir, ec)) return false;
  cRootScope root(std::filesystem::absolute(dir).lexically_normal().string());
  Checker check(failures);
  const uint32_t savedNewer = bNewerFile;

  // The database, list by list; every list is tried so each broken file is named.
  cDatabase db;
  for (int i = 0; i < static_cast<int>(DbList::Count); ++i) {
    const std::string path = DbFilePath(static_cast<DbList>(i));
    check.Step(path, [&] {
      bNewerFile = 0;
      if (db.LoadList(static_cast<DbList>(i), path)) return true;
      ShowDataLoadError(path.c_str());
      return false;
    });
  }
  db.FixAfterLoad();
  cReadContext context;
  FillReadContext(db, context);

  // The system data, read against the database.
  cSystem system;
  check.Step("data\\System.dat", [&] {
    bNewerFile = 0;
    if (system.Load("data\\System.dat", &context)) return true;
    WriteLogBox(kSystemFailed, "data\\System.dat");
    return false;
  });
  FillReadContext(system, context);

  // System.ini falls back to the defaults, with a box.
  check.Step("System.ini", [&system] {
    if (SystemIniReadable("System.ini", system)) return true;
    WriteLogBox("%s", kIniFailed);
    return false;
  });

  // Files of user_data\ that start-up reads: a missing one keeps the
  // defaults; a present one that is refused is passed over in silence.
  auto userFile = [&check](const char* path, auto load) {
    if (platform::IsRegularFile(path)) check.Step(path, load, kRefusedSilently);
  };
  userFile("user_data\\Boot.dat", [] { return cBootRecord().Load("user_data\\Boot.dat"); });
  userFile("user_data\\Window.dat", [] { return cWindowRecord().Load("user_data\\Window.dat"); });

  // The palette bitmap and the debug picture are loaded at start-up, the
  // other bitmaps by the scenes; a missing one stops with a box.
  for (const char* bmp : kRequiredBitmaps) {
    if (bmp == kRequiredBitmaps[0]) {
      // The palette is read without a box: start-up only writes its debug line.
      check.Step(
          bmp, [bmp] { return BitmapReadable(bmp); }, kPaletteFailed);
      continue;
    }
    check.Step(bmp, [bmp] {
      if (BitmapReadable(bmp)) return true;
      ErrorBox(kBitmapFailed, bmp);
      return false;
    });
  }

  userFile("user_data\\KeyConfig.dat", [] {
    std::vector<unsigned char> bytes;
    return platform::ReadWholeFile("user_data\\KeyConfig.dat", bytes) && bytes.size() == sizeof(KEYCONFIG);
  });
  userFile("user_data\\Option.dat", [] { return cOption().Load("user_data\\Option.dat"); });

  // Sound effects: the 17 system sounds, then the database's sounds, each
  // with the data file that names it.
  std::vector<std::pair<std::string, std::string>> sounds;
  for (const std::string& file : system.m_SystemSounds) sounds.emplace_back(file, "data\\System.dat");
  for (size_t i = 1; i < db.m_Sounds.size(); ++i)
    sounds.emplace_back(db.m_Sounds[i].m_File, DbFilePath(DbList::Sound));
  for (const auto& [file, referrer] : sounds) {
    if (file.empty()) continue;
    check.Step(
        file,
        [&file] {
          WAVEDATA wave;
          bool ok = DS_LoadWave(file, wave);
          DS_FreeWave(wave);
          if (!ok) WriteLog(kDataLoadFailed, file.c_str());
          return ok;
        },
        {}, referrer);
  }

  // Music: the database's tunes, then every other tune in bgm\.
  std::vector<std::pair<std::string, std::string>> tunes;
  for (size_t i = 1; i < db.m_Bgms.size(); ++i)
    if (!db.m_Bgms[i].m_File.empty()) tunes.emplace_back(db.m_Bgms[i].m_File, DbFilePath(DbList::Bgm));
  for (const std::string& name : platform::ListFolder("bgm")) {
    const std::string file = "bgm\\" + name;
    if (!HasExtension(name, "mid") && !HasExtension(name, "ogg")) continue;
    bool named = false;
    for (const auto& tune : tunes) named = named || platform::NamesMatch(tune.first, file);
    if (!named && platform::IsRegularFile(file)) tunes.emplace_back(file, std::string());
  }
  for (const auto& [file, referrer] : tunes)
    if (HasExtension(file, "mid") || HasExtension(file, "ogg"))
      check.Step(file, [&file] { return TuneLoads(file); }, {}, referrer);

  // The 8-bit blend tables present; a screen of 256 colours stops on one it refuses.
  for (int n = 0; n <= 23; ++n) {
    const std::string file = HbtFileName(n);
    if (!platform::IsRegularFile(file)) continue;
    check.Step(file, [&file] {
      static uint8_t table[kBlendTableSize];
      if (DDLoadBlendTable(table, file)) return true;
      ErrorBox("%s", (file + apptext::kTableLoadFailed).c_str());
      return false;
    });
  }

  // The world map, then the common palette, read against the database.
  check.Step("data\\WorldMap.dat", [] {
    if (cWorldMap().Load("data\\WorldMap.dat")) return true;
    WriteLogBox(kLoadFailedShort, "data\\WorldMap.dat");
    return false;
  });
  cCommonPalette palette;
  context.commonPalette = &palette;
  check.Step("data\\CommonPalette.cplt4", [&] {
    if (palette.Load("data\\CommonPalette.cplt4", &context)) return true;
    WriteLogBox(kLoadFailedShort, "data\\CommonPalette.cplt4");
    return false;
  });
  FillPaletteCounts(palette, context);

  // Every stage file, loaded for play as a stage start does.
  for (const auto& [path, kind] : ProjectDataFiles()) {
    if (kind != std::string("stage")) continue;
    check.Step(path, [&] {
      cStage stage;
      return LoadStageForPlay(stage, path, 0, nullptr, &context);
    });
  }

  bNewerFile = static_cast<int>(savedNewer);
  return true;
}

}  // namespace tools
