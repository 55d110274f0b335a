#pragma once
// What the expression language and the status conditions and operations read
// and write of the running game. The evaluators see running characters only
// as opaque handles and reach their storage and the play scene through this
// interface, so they can be tested on a hand-built world; the play scene's
// binding implements it over the engine's own objects.
#include <cstdint>

class cCharaDef;

// A running character as the evaluators see it. A null m_pObj means "none".
struct cScriptChara {
  void* m_pObj = nullptr;
  cCharaDef* m_pDef = nullptr;  // the character's own copy of its definition
  int32_t* m_pHp = nullptr;
  int32_t* m_pSp = nullptr;
  int32_t* m_pVars = nullptr;  // the character variables, entries 0..m_nVars-1
  int m_nVars = 0;
  bool m_bHero = false;
  explicit operator bool() const { return m_pObj != nullptr; }
};

class cScriptWorld {
 public:
  virtual ~cScriptWorld() = default;

  // The view of a running character; an empty view for a null handle.
  virtual cScriptChara View(void* chara) = 0;
  // Target slot 0..3 of a character; null when empty.
  virtual void* Target(void* chara, int slot) = 0;
  // Player element 0, the hero of player 1; null when there is none.
  virtual void* Hero() = 0;

  // Common variables of the save data and stage variables of the play scene.
  virtual int32_t* CommonVars() = 0;
  virtual int CommonVarCount() = 0;
  virtual int32_t* StageVars() = 0;
  virtual int StageVarCount() = 0;

  // System values: the time counter, the stage's auto-scroll speeds (axis 0
  // horizontal, 1 vertical), the save data's score and lives.
  virtual int32_t& Time() = 0;
  virtual bool NoTimeLimit() = 0;
  virtual int32_t& AutoScrollSpeed(int axis) = 0;
  virtual int32_t& Score() = 0;
  virtual int32_t& Lives() = 0;

  // Side effects.
  virtual void SetAutoSpeed(int axis, int speed) = 0;  // the scroll axis takes the new speed
  virtual void RequestDeathCheck() = 0;
  virtual void SetHeroSight(void* hero, int sightHbl) = 0;  // m_nSight and the darkness overlay
  virtual void StartHpGauge(void* chara, int diff) = 0;
  virtual void StartSpGauge(void* chara, int diff) = 0;
  // HP and SP changes with invincibility ignored, clamped by the character.
  virtual void ChangeHp(void* chara, int diff, bool gauge) = 0;
  virtual void ChangeSp(void* chara, int diff, bool gauge) = 0;
  virtual void ScaleAccel(void* chara) = 0;  // friction from the ease of stopping
};

// Lives at this value are unlimited.
constexpr int32_t kUnlimitedLives = 999999;
