#pragma once
// The engine's dispatch tables that start-up fills once: the command
// executors, the condition evaluators of every kind and the arrange
// parameter table (none of them depends on the project), and the runtime
// animation and effect tables built from the loaded database. The player's
// start-up and the headless runner call the same two functions, so a stage
// plays alike in both.

// Command executors, condition evaluators (kinds 1..7), parameter table.
void InstallEngineTables();
// The tables built from Database; call again after loading another one.
void BuildEngineRuntimeTables();
