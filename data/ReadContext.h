#pragma once
// What the readers of nested records consult outside the file being read.
// Passed down through cRecordReader::Context(); when a reader has none, the
// program-wide defaults are used, so tests and scratch reads can supply
// their own without touching globals.
#include <functional>

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

  // --- definitions, common palette and stage ---
  const cCommonPalette* commonPalette = nullptr;
  const cStage* stage = nullptr;

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
