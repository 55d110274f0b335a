#pragma once
// Generated stages for property checks and the stage fuzzer: from a seed, a
// small map with the hero and a few characters and items whose flows are
// drawn from the command, condition and trigger tables. Every stage holds
// every command kind of both command sets, every trigger, every condition
// kind, every shot movement kind and formation, message windows, effects,
// pictures and status operations; parameters fall mostly inside their
// ranges and now and then just outside them.
//
// Deterministic: the same seed (and the same leading bytes) gives the same
// stage. Needs the data layer and the sizes of the engine's tables only, so
// the fuzz harness builds it from source.
#include <cstddef>
#include <cstdint>
#include <vector>

class cDatabase;
class cStage;

namespace stagegen {

// Kinds without a table of their own; the command and condition kinds come
// from the command tables and the engine's condition table.
constexpr int kTriggerKinds = 23;   // flow triggers 0..22
constexpr int kShotMoveKinds = 10;  // shot movements 0..9
constexpr int kFormationKinds = 6;  // shot formations 0..5

// The draws of the generator: the given bytes first (four per draw), then a
// generator seeded by `seed`. A fuzzer's mutations of the bytes steer the
// first choices; the seed varies the rest.
class Source {
 public:
  explicit Source(uint32_t seed, const uint8_t* bytes = nullptr, size_t size = 0);
  uint32_t Next();
  // Uniform in lo..hi (inclusive); hi < lo gives lo.
  int Range(int lo, int hi);
  bool Chance(int percent);
  // Mostly lo..hi; sometimes one step outside; seldom a far or extreme value.
  int32_t Param(int lo, int hi);

 private:
  uint64_t state_;
  const uint8_t* bytes_;
  size_t size_;
  size_t used_ = 0;
};

// Adds to the database the entries generated commands refer to (animation
// sets, animations, sword types, effects, character and screen effects,
// pictures, sounds and music), so that the references survive validation.
void AddDatabaseEntries(cDatabase& db);

// A generated stage. Needs nothing global: references are repaired when
// the stage is written and read against the program-wide read context.
cStage GenerateStage(Source& source);
cStage GenerateStage(uint32_t seed);

}  // namespace stagegen
