// Placeholder bodies of stage rules the map collision calls, so that the
// engine links before their own source exists. The stage-rule source
// replaces this file.
#include "data/Cond.h"
#include "engine/World.h"
#include "engine/flow/Conditions.h"
#include "engine/rules/Rules.h"

int CheckBlockCondition(cBlockCell* cell) {
  if (cell->m_Conds.empty()) return 1;
  if (cell->m_CondLatch && cell->bCondLatched) return 1;
  cCharaBase* hero = Player.empty() ? nullptr : &Player[0];
  if (!CheckCondList(cell->m_Conds, cell->m_CondMode, hero)) return 0;
  cell->bCondLatched = 1;
  return 1;
}

int OverlapsBlockChara(cGameObj*, cList<cChara>&) { return 0; }
