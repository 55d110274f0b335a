#pragma once
// The parameter table of the arrange command: per command kind, the numeric
// parameters an arrange entry may change, with their labels and ranges, and
// per kind a getter and a setter that reach the parameter of a row in the
// command record. Item commands use the character kinds, item kind + 15.
#include <cstdint>
#include <string>
#include <vector>

#include "base/Containers.h"
#include "engine/script/ScriptWorld.h"

class cCharaBase;
class cFlowCmd;
class cFlowRun;
class cHero;

struct ParamDesc {
  std::string m_Label;  // code page 932
  int32_t m_nMin = 0;
  int32_t m_nMax = 0;
  void Set(const std::string& label, int32_t min, int32_t max) {
    m_Label = label;
    m_nMin = min;
    m_nMax = max;
  }
};

constexpr int kParamTableKinds = 40;
// The arrange command itself (item commands: item kind 23).
constexpr int kArrangeKind = 38;
extern cVector<cVector<ParamDesc>> ParamTable;
// Sizes the table to 40 kinds and fills the rows; called once at start-up.
void InitParamTable();

// A pending arrange: a copy of the five integer parameters of an arrange
// command (target kind, row, operation, value source, variable index).
struct ArrangeEntry {
  int32_t m_nKind = 0;
  int32_t m_nRow = 0;
  int32_t m_nOp = 0;      // 0 set, 1 add, 2 subtract, 3 multiply, 4 divide, 5 remainder, 6 percent
  int32_t m_nSource = 0;  // 0 common variable, 1 stage variable, 2 character variable
  int32_t m_nIndex = 0;
  static ArrangeEntry FromParams(const cVector<int32_t>& params);  // missing parameters read 0
  static ArrangeEntry FromCmd(const cFlowCmd& cmd);
};

// Getter: 1 and the value (sign-extended from the field's width) when the row
// reaches a field of this command, else 0. Setter: writes the value cut to the
// field's width. Kinds 3, 4 and 7 have functions that do nothing; kinds
// without rows have none.
using ArrangeGetFn = int (*)(int32_t& out, int row, const cFlowCmd& cmd);
using ArrangeSetFn = void (*)(int32_t value, int row, cFlowCmd& cmd);
extern const ArrangeGetFn ArrangeGetTable[kParamTableKinds];
extern const ArrangeSetFn ArrangeSetTable[kParamTableKinds];

// The kind an arrange entry must name to change this command.
int ArrangeKindOf(const cFlowCmd& cmd);
int GetArrangeParam(int32_t& out, int row, const cFlowCmd& cmd);
void SetArrangeParam(int32_t value, int row, cFlowCmd& cmd);
// The range of a row: its own, or for the formation and movement rows of the
// shot parameters the formation's or movement kind's. False when there is none.
bool ArrangeBounds(int kind, int row, const cFlowCmd& cmd, int32_t& min, int32_t& max);

// Applies one entry to the command record (which keeps the change). Entries
// naming another kind, a row past the kind's list, a variable index out of
// bounds or an unknown value source change nothing.
void ApplyArrange(cScriptWorld& world, cFlowCmd& cmd, const ArrangeEntry& entry, void* chara);
// Applies every pending entry in order, then drops them all: they serve the
// next command only, matching or not. An arrange command leaves them pending.
void ApplyArranges(cScriptWorld& world, cFlowCmd& cmd, std::vector<ArrangeEntry>& pending, void* chara);

// On the running play scene. DoArrange appends a copy of the arrange
// command's five integers to the pending list: the hero of player 1's for an
// item command, else the current flow run's (none: nothing).
void DoArrange(cCharaBase* chara, cFlowCmd* cmd);
// Apply a flow run's or the hero's pending entries to the next command and
// drop them (an arrange command keeps them).
void ApplyFlowArranges(cFlowCmd* cmd, cCharaBase* chara, cFlowRun* run);
void ApplyHeroArranges(cFlowCmd* cmd, cHero* hero);
