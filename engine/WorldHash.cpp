#include "engine/WorldHash.h"

#include <cstddef>

#include "base/Text.h"
#include "data/SaveData.h"
#include "engine/Names.h"
#include "engine/World.h"
#include "engine/flow/FlowRun.h"

namespace {

// FNV-1a over the values in a fixed order. Values are fed one by one (never
// whole structures) so padding bytes never reach the hash.
class Hash {
 public:
  void Bytes(const void* p, size_t n) {
    const unsigned char* b = static_cast<const unsigned char*>(p);
    for (size_t i = 0; i < n; ++i) h_ = (h_ ^ b[i]) * 1099511628211ull;
  }
  template <class T>
  void Add(T v) {
    Bytes(&v, sizeof v);
  }
  void Object(const cGameObj& o) {
    Add(o.m_nID), Add(o.m_dX), Add(o.m_dY), Add(o.m_dRight), Add(o.m_dBottom), Add(o.m_dVX), Add(o.m_dVY);
    Add(o.m_bFaceRight), Add(o.m_bActive), Add(o.m_nLife), Add(o.m_bFly);
  }
  void Chara(const cCharaBase& c) {
    Object(c);
    Add(c.m_nHp), Add(c.m_nSp), Add(c.m_bDead), Add(c.m_WallL), Add(c.m_WallR), Add(c.m_WallU), Add(c.m_WallD);
    Add(c.m_ImpactX), Add(c.m_ImpactY), Add(c.m_nInvincible);
    for (int32_t v : c.m_Vars) Add(v);
    for (const cFlowRun& r : c.m_FlowRuns) {
      Add(r.bRunning), Add(r.nCur), Add(r.nSteps);
      for (const cCmdRun& cr : r.CmdRuns) Add(cr.bDone), Add(cr.nLeft);
    }
  }
  uint64_t Value() const { return h_; }

 private:
  uint64_t h_ = 1469598103934665603ull;
};

}  // namespace

uint64_t WorldHash(const cPlayWorld& w) {
  Hash h;
  // Counts first, so that objects moving from one list to another change it.
  h.Add(static_cast<uint64_t>(Player.size())), h.Add(static_cast<uint64_t>(CharaList.size()));
  h.Add(static_cast<uint64_t>(ItemList.size())), h.Add(static_cast<uint64_t>(w.m_Shots.size()));
  for (const cHero& hero : Player) h.Chara(hero);
  for (const cChara& c : CharaList) h.Chara(c);
  for (const cItem& i : ItemList) h.Object(i);
  for (const cShot& s : w.m_Shots) h.Object(s);
  for (int32_t v : w.m_StageVars) h.Add(v);
  for (const cBlockCell& b : BlockMap) h.Add(b.m_GfxIndex), h.Add(b.m_Hit), h.Add(b.bCondLatched);
  h.Add(w.m_ScrollX.m_dPos), h.Add(w.m_ScrollY.m_dPos), h.Add(w.m_nTime), h.Add(w.m_nPlayTime);
  h.Add(w.m_nPlayFrames), h.Add(w.m_nSubStepTotal), h.Add(w.m_nClearResult), h.Add(w.m_nClearDest);
  h.Add(w.m_nFrameCount), h.Add(w.m_dwSeed);
  // What history leaves behind even when its objects are gone: a volley
  // fired and vanished still moved the next shot ID.
  h.Add(w.m_nNextCharaId), h.Add(w.m_nNextItemId), h.Add(w.m_nNextShotId);
  h.Add(nm::save::StageScore(SaveData)), h.Add(nm::save::Lives(SaveData));
  for (int32_t v : nm::save::CommonVars(SaveData)) h.Add(v);
  h.Add(RandomState());
  return h.Value();
}
