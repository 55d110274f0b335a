#pragma once
// Upgrades a command read from a file older than 791: the fixed, ordered
// steps that move and fill its parameters and renumber its kind. Runs after
// the parameters are read and before validation.
#include <cstdint>

class cFlowCmd;

void MigrateFlowCmd(cFlowCmd& cmd, uint32_t fileVersion);
