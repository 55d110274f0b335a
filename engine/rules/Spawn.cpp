// Putting characters, items and blocks into the running world: from the
// stage map at set-up and from summons during play.
#include <cstdint>

#include "base/Text.h"
#include "data/CommonPalette.h"
#include "data/EdShot.h"
#include "data/Stage.h"
#include "data/System.h"
#include "engine/Names.h"
#include "engine/World.h"
#include "engine/rules/Rules.h"

namespace {

constexpr int kSpawnMarginChips = 10;

int SpawnCellCenter(int chip) { return (chip + kSpawnMarginChips) * 32 + 16; }

void MoveBox(cGameObj& obj, double dx, double dy) {
  obj.m_dX += dx;
  obj.m_dRight += dx;
  obj.m_dY += dy;
  obj.m_dBottom += dy;
}

// Sub-steps of a summon's lifetime in tenths of a second; 64 bits keep a
// large lifetime at a high sub-step count from overflowing.
int32_t LifeSteps(int tenths) {
  int64_t v = static_cast<int64_t>(tenths) * nm::stage::SubSteps(Stage) * 6;
  if (v > INT32_MAX - 1) v = INT32_MAX - 1;
  if (v < 0) v = 0;
  return static_cast<int32_t>(v);
}

int BoxesOverlap(const cGameObj& o, double left, double top, double right, double bottom) {
  return o.m_dX <= right && o.m_dRight >= left && o.m_dY <= bottom && o.m_dBottom >= top;
}

}  // namespace

void PlaceCharaAtCell(cList<cChara>& list, int col, int row, int32_t* idCounter, const cCharaDef* def,
                      const cItem* heldItem) {
  cCharaDef local = *def;
  for (int i = 0; i <= local.m_CopyCount; ++i) {
    cChara c;
    c.Setup(*idCounter, &local, heldItem, SpawnCellCenter(col), SpawnCellCenter(row), static_cast<int16_t>(i));
    c.PlaceAtBlock(col, row);
    double dx = local.CalcX(i, local.m_Facing), dy = local.CalcY(i, local.m_Facing);
    MoveBox(c, dx, dy);
    if (!nm::sys::KeepAnchors(SystemData)) {
      c.m_OriginX += dx;
      c.m_OriginY += dy;
    }
    if (!c.IsInStage(1)) continue;
    c.ClampX();
    c.ClampY();
    list.push_back(c);
    list.back().UpdateScreenPos();
    ++*idCounter;
  }
}

void PlaceItemAtCell(cList<cItem>& list, int col, int row, int32_t* idCounter, const cItemDef* def) {
  cItemDef local = *def;
  cItem item;
  item.InitFromDef(*idCounter, &local, 0);
  item.PlaceAtBlock(col, row);
  MoveBox(item, nm::item::OffsetX(local), nm::item::OffsetY(local));
  if (!item.IsInStage(1)) return;
  item.ClampStageX(2);
  item.ClampStageY(2);
  list.push_back(item);
  list.back().UpdateScreenPos();
  ++*idCounter;
}

void SpawnChara(cList<cChara>& list, double x, double y, int faction, int facing, int, const cEdShot* params,
                const cCharaDef* def, int32_t* idCounter, cCharaBase* summoner) {
  cPlayWorld& w = CurrentWorld();
  for (int i = 0; i <= def->m_CopyCount; ++i) {
    cCharaDef local = *def;
    local.m_Facing = static_cast<int8_t>(facing);
    nm::chara::Side(local) = static_cast<decltype(local.m_Faction)>(faction);
    if (nm::shot::NoScore(*params)) local.m_Score = 0;
    cChara c;
    c.Setup(*idCounter, &local, nullptr, x + 16, y + 16, static_cast<int16_t>(i));
    c.m_dX = x + c.m_nPicOfsX;
    c.m_dY = y + c.m_nPicOfsY;
    c.m_dRight = c.m_dX + c.m_nW - 1;
    c.m_dBottom = c.m_dY + c.m_nH - 1;
    double dx = local.CalcX(i, facing), dy = local.CalcY(i, facing);
    MoveBox(c, dx, dy);
    if (!nm::sys::KeepAnchors(SystemData)) {
      c.m_OriginX += dx;
      c.m_OriginY += dy;
    }
    if (!c.IsInStage(1)) continue;
    c.ClampX();
    c.ClampY();
    list.push_back(c);
    cChara& added = list.back();
    added.UpdateScreenPos();
    if (IsPlaceBlocked(&added)) {
      list.pop_back();
      continue;
    }
    added.InitTargets(summoner);
    if (nm::shot::SummonTimed(*params)) added.m_nLife = LifeSteps(nm::shot::wRange(*params));
    added.m_bForwardToParent = params->m_OptionI;
    added.m_nAttackNumber = params->m_OptionJ;
    int side = added.m_nBlockSide;
    if (side >= 0 && side < kFactions) w.m_FactionCharas[static_cast<size_t>(side)].push_back(&added);
    ++*idCounter;
  }
}

void SpawnItem(cList<cItem>& list, double x, double y, int, const cEdShot* params, const cItemDef* def,
               int32_t* idCounter) {
  cItem item;
  item.InitFromDef(*idCounter, def, 0);
  item.m_dX = x + item.m_nPicOfsX;
  item.m_dY = y + item.m_nPicOfsY;
  item.m_dRight = item.m_dX + item.m_nW - 1;
  item.m_dBottom = item.m_dY + item.m_nH - 1;
  MoveBox(item, nm::item::OffsetX(*def), nm::item::OffsetY(*def));
  if (!item.IsInStage(1)) return;
  item.ClampStageX(2);
  item.ClampStageY(2);
  if (nm::shot::SummonTimed(*params)) item.m_nLife = LifeSteps(nm::shot::wRange(*params));
  list.emplace_back();
  list.back() = item;
  ++*idCounter;
}

int BlockSpawnBlocked(int cell, int col, int row, const cEdShot* params) {
  cBlockCell* target = BlockCellAt(cell);
  if (!target) return 0;
  double left = col * 32.0, top = row * 32.0, right = (col + 1) * 32 - 0.1, bottom = (row + 1) * 32 - 0.1;
  for (cHero& hero : Player) {
    if (hero.m_bDead) continue;
    if (!target->HitType(hero.m_nBlockSide)) continue;
    if (!BoxesOverlap(hero, left, top, right, bottom)) continue;
    hero.m_nCrushGrace = 2;
    if (nm::shot::RefuseIfHero(*params)) return 1;
  }
  for (cChara& c : CharaList) {
    if (c.m_bDead || !c.m_bActive) continue;
    if (!target->HitType(c.m_nBlockSide)) continue;
    if (!BoxesOverlap(c, left, top, right, bottom)) continue;
    c.m_nCrushGrace = 2;
    if (nm::shot::RefuseIfChara(*params)) return 1;
  }
  return 0;
}

namespace {

// Places a block with the blocking tests; false when the old cell was put back.
bool PlaceBlock(int index, int col, int row, const cEdShot* params, const cBlockDef* def) {
  cBlockCell& cell = BlockMap[static_cast<size_t>(index)];
  bool tests = nm::shot::RefuseIfHero(*params) || nm::shot::RefuseIfChara(*params);
  cBlockCell saved = cell;
  static_cast<cBlockDef&>(cell) = *def;
  cell.bCondLatched = 0;
  if (BlockSpawnBlocked(index, col, row, params) && tests) {
    cell = saved;
    return false;
  }
  return true;
}

void EraseBlock(cBlockCell& cell) {
  const cVector<cBlockDef>& blocks = CommonPalette.m_Blocks;
  static_cast<cBlockDef&>(cell) = blocks.empty() ? cBlockDef() : blocks[0];
  cell.bCondLatched = 0;
}

}  // namespace

void SpawnBlock(double x, double y, int, const cEdShot* params, const cBlockDef* def) {
  cPlayWorld& w = CurrentWorld();
  int c = TruncToInt(x + 16.5) >> 5, r = TruncToInt(y + 16.5) >> 5;
  int64_t index = c + (static_cast<int64_t>(r) << w.m_ScrollX.m_nShift);
  if (index < 0 || index >= static_cast<int64_t>(BlockMap.size())) return;
  cBlockCell& cell = BlockMap[static_cast<size_t>(index)];
  bool holds = nm::block::Chip(cell) != 0 && CheckBlockCondition(&cell);
  if (nm::sys::StrictSummonProtection(SystemData) ? nm::block::Protection(cell) != 0
                                                  : holds && nm::block::Protection(cell) != 0)
    return;
  int i = static_cast<int>(index);
  switch (nm::shot::bySummonMode(*params)) {
    case 0:
      PlaceBlock(i, c, r, params, def);
      break;
    case 1:
      EraseBlock(cell);
      break;
    case 2: {
      for (int32_t done : w.m_SwitchedCells)
        if (done == i) return;
      if (holds) {
        EraseBlock(cell);
        w.m_SwitchedCells.push_back(i);
      } else if (PlaceBlock(i, c, r, params, def)) {
        w.m_SwitchedCells.push_back(i);
      }
      break;
    }
    default:
      break;
  }
}
