#pragma once
// The command tables: row k describes command kind k of its set, with the
// authoring tool's label (CP932) and the number of integer parameters that
// validation gives the command. Character commands use the first table,
// item commands (a non-zero command set) the second; item kind k >= 2 is
// character kind k + 15.
#include <cstdint>

struct cCmdTableRow {
  const char* label;
  int32_t params;
};

constexpr int kCharaCmdKinds = 40;
constexpr int kItemCmdKinds = 25;

extern const cCmdTableRow CharaCmdTable[kCharaCmdKinds];
extern const cCmdTableRow ItemCmdTable[kItemCmdKinds];

// The row of a command, or null for a kind outside its table.
const cCmdTableRow* FindCmdRow(uint8_t cmdSet, int kind);
// Its parameter count; a kind outside the table gets none.
int CmdParamCount(uint8_t cmdSet, int kind);
