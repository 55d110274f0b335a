// Placeholder bodies of the spawn operations the summons call, compiled only
// while the spawning source is absent, so that firing links before it lands.
#include "engine/rules/Rules.h"

#if !__has_include("engine/rules/Spawn.cpp")
void SpawnChara(cList<cChara>&, double, double, int, int, int, const cEdShot*, const cCharaDef*, int32_t*,
                cCharaBase*) {}
void SpawnItem(cList<cItem>&, double, double, int, const cEdShot*, const cItemDef*, int32_t*) {}
void SpawnBlock(double, double, int, const cEdShot*, const cBlockDef*) {}
#endif
