// The runtime tables built once from the database at start-up: the pattern
// lists of the database animations and effects, and the normal and reversed
// motion tables of both effect families.
#include "data/Database.h"
#include "engine/Names.h"
#include "engine/instances/EffectPlayers.h"

cVector<Animation> AnimeTable;
cVector<Animation> EffectTable;
cVector<cCharaEffectMotion> CharaEffectMotions, CharaEffectMotionsRev;
cVector<cScrEffectMotion> ScrEffectMotions, ScrEffectMotionsRev;
cVector<cCharaEffect> CharaEffectDefsRev;
cVector<cScrEffect> ScrEffectDefsRev;

namespace {

// Frames of tenths of a second become entries of frames. Animation 0 is a
// still loop (durations 0, every entry uninterruptible); the others end.
template <class Frame, class FlagOf>
Animation BuildPatternList(const cVector<Frame>& frames, bool first, FlagOf flagOf) {
  Animation list;
  list.reserve(frames.size() + 1);
  int32_t flag = first ? 1 : 0;
  for (const Frame& f : frames) {
    if (!first && flagOf(f)) flag = 1;
    const int64_t duration = first ? 0 : static_cast<int64_t>(f.m_Duration) * 6;
    list.push_back({f.m_Pattern, static_cast<int32_t>(duration), flag});
  }
  if (first)
    list.push_back({kAnimLoop, 0, 1});
  else
    list.push_back({kAnimEnd, 0, 0});
  return list;
}

}  // namespace

void BuildAnimeTables(cVector<Animation>& table) {
  table.clear();
  const auto& animes = nm::db::Anime(Database);
  for (size_t i = 0; i < animes.size(); ++i)
    table.push_back(BuildPatternList(nm::db::Frames(animes[i]), i == 0,
                                     [](const cAnimeFrame& f) { return nm::db::Uninterruptible(f) != 0; }));
}

void BuildEffectTables(cVector<Animation>& table) {
  table.clear();
  const auto& effects = nm::db::Effect(Database);
  for (size_t i = 0; i < effects.size(); ++i)
    table.push_back(
        BuildPatternList(nm::db::EffectFrames(effects[i]), i == 0, [](const cEffectFrame&) { return false; }));
}

// The reversed motions swap values inside a fresh copy of the definitions,
// never in the database, so a second build gives the same tables.
void BuildCharaEffectTables(cVector<cCharaEffectMotion>& normal, cVector<cCharaEffectMotion>& reversed) {
  CharaEffectDefsRev = nm::db::CharaEffect(Database);
  const int count = static_cast<int>(CharaEffectDefsRev.size());
  normal.assign(static_cast<size_t>(count), cCharaEffectMotion{});
  reversed.assign(static_cast<size_t>(count), cCharaEffectMotion{});
  for (int i = 0; i < count; ++i) {
    normal.At(i).Init(i, 0);
    reversed.At(i).Init(i, 1);
  }
}

void BuildScrEffectTables(cVector<cScrEffectMotion>& normal, cVector<cScrEffectMotion>& reversed) {
  ScrEffectDefsRev = nm::db::ScrEffect(Database);
  const int count = static_cast<int>(ScrEffectDefsRev.size());
  normal.assign(static_cast<size_t>(count), cScrEffectMotion{});
  reversed.assign(static_cast<size_t>(count), cScrEffectMotion{});
  for (int i = 0; i < count; ++i) {
    normal.At(i).Init(i, 0);
    reversed.At(i).Init(i, 1);
  }
}

void BuildRuntimeTables() {
  BuildAnimeTables(AnimeTable);
  BuildEffectTables(EffectTable);
  BuildCharaEffectTables(CharaEffectMotions, CharaEffectMotionsRev);
  BuildScrEffectTables(ScrEffectMotions, ScrEffectMotionsRev);
}
