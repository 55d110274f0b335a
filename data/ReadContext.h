#pragma once
// What the readers of nested records consult outside the file being read.
// Passed down through cRecordReader::Context(); when a reader has none, the
// program-wide defaults are used, so tests and scratch reads can supply
// their own without touching globals.
#include <atomic>
#include <functional>
#include <vector>

#include "base/RecordIO.h"

class cCommonPalette;
class cStage;

enum class DbList { AnimeSet, Anime, BmpCharaExc, SwordType, Effect, CharaEffect, ScrEffect, Picture, Sound, Bgm, Count };

struct cReadContext {
  // The editor started the player: test-play flows are kept.
  bool startedByEditor = false;

  // Element count of each database list; -1 when unknown (no repair).
  int dbCount[static_cast<int>(DbList::Count)] = {-1, -1, -1, -1, -1, -1, -1, -1, -1, -1};

  // --- conditions, flows and commands ---
  // The system data keeps test-play flows even when the editor did not start us.
  bool keepTestFlows = false;
  // Frame durations of one sword type of the database, in frame-list order.
  // Sword commands take their time from it. It may be asked for any type
  // number when the sword-type count is unknown: answer empty then.
  std::function<std::vector<int>(int swordType)> swordFrameDurations;
  // Entry counts of a palette, for the palette references inside commands;
  // -1 when unknown (no repair).
  struct PaletteCounts {
    int blocks = -1;
    int charas = -1;
    int items = -1;
  };
  PaletteCounts commonPaletteCounts;
  PaletteCounts stagePaletteCounts;
  bool KeepTestPlayFlows() const { return startedByEditor || keepTestFlows; }

  // --- definitions, common palette and stage ---
  // The palettes that definitions inherit from and whose sizes bound their
  // palette references; null means the program-wide CommonPalette and Stage
  // (see CommonPaletteOf and StageOf). A palette or stage being read puts
  // itself here for its own entries.
  const cCommonPalette* commonPalette = nullptr;
  const cStage* stage = nullptr;
  // Set by the stage loader when the load is abandoned: a stage read that
  // sees it set stops and fails.
  const std::atomic<bool>* cancel = nullptr;
  bool Cancelled() const { return cancel && cancel->load(std::memory_order_acquire); }

  // --- database ---
  // dbCount above is filled from a loaded database by FillReadContext (data/Database.h).

  int DbCount(DbList list) const { return dbCount[static_cast<int>(list)]; }
};

// The program-wide context: the application fills it at start-up.
cReadContext& DefaultReadContext();
// The reader's context, or the program-wide one.
inline const cReadContext& ContextOf(const cRecordReader& r) {
  return r.Context() ? *r.Context() : DefaultReadContext();
}
