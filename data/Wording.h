#pragma once
// The authoring tool's wording for values of the game data, value 0 first,
// each table ended by an empty text. The player keeps them but shows none.

// World-map node kinds (m_NodeKind)
extern const char* const NodeKindWords[4];
// What a cleared world-map node does next (m_AfterClear)
extern const char* const AfterClearWords[4];
// Colour modes (m_FullColour)
extern const char* const ColourModeWords[3];
// Depths of a palette game (m_DepthPalette)
extern const char* const PaletteDepthWords[4];
// Depths of a full-colour game (m_DepthFullColour)
extern const char* const FullColourDepthWords[3];
// Comparison operators, as m_CondOp of world-map nodes
extern const char* const ComparisonWords[9];
// Arithmetic operators
extern const char* const ArithmeticWords[8];
// A positive and a negated test
extern const char* const ConditionWords[3];
// The eight character variables
extern const char* const CharaVariableWords[9];
// Colour choices
extern const char* const ColourWords[11];
