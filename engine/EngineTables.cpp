#include "engine/EngineTables.h"

#include "engine/flow/Commands.h"
#include "engine/flow/Conditions.h"
#include "engine/flow/ParamTable.h"
#include "engine/instances/EffectPlayers.h"

void InstallEngineTables() {
  InstallCommandExecutors();
  InstallVariableConditions();
  InstallStatusConditions();
  InitParamTable();
}

void BuildEngineRuntimeTables() { BuildRuntimeTables(); }
