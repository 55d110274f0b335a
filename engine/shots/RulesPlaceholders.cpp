// Placeholder bodies of the stage rules that firing and the hit rules call
// (spawning, items, defeat and the end of a stage), each compiled only while
// its real source is absent, so that the engine links before it lands.
#include "engine/objects/Hits.h"
#include "engine/rules/Rules.h"

#if !__has_include("engine/rules/Spawn.cpp")
void SpawnChara(cList<cChara>&, double, double, int, int, int, const cEdShot*, const cCharaDef*, int32_t*,
                cCharaBase*) {}
void SpawnItem(cList<cItem>&, double, double, int, const cEdShot*, const cItemDef*, int32_t*) {}
void SpawnBlock(double, double, int, const cEdShot*, const cBlockDef*) {}
#endif

#if !__has_include("engine/rules/StageRules.cpp")
int ApplyItem(cItem*, cCharaBase*) { return 0; }
int DefeatAndCheckEnd(cCharaBase* chara, cList<cChara>&) { return KillChara(chara); }
void EndStage() {}
#endif
