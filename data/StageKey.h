#pragma once
// The key under which a stage's records are kept in the story save data, and
// under which the world map finds the stage node that owns them. Both sides
// must derive it with this one function, byte for byte, or stored records
// stop matching their nodes.
#include <string>

// The key of a stage file name (code-page-932 bytes):
//   1. the extension is removed: the text from the last "." on;
//   2. then, searching from the end, the text from the last "-1" on is
//      replaced by a single "."; without a "-1", a "." is appended.
// So "Stage03-1.stg4_004" gives "Stage03." and "Bonus.stg4" gives "Bonus.".
//
// The "-1" rule is kept as it is although it looks odd: a stage of several
// parts is saved under the name of its first part ("-1"), and story slots
// written by other builds store exactly these keys. Any "-1" counts, so
// "Zone-10.stg4" gives "Zone." too; old slots rely on that as well.
// The extension is removed before the search, so a "-1" inside the
// extension never counts, and a name without "." keeps all of its text.
// A "-1" in a folder part of the name counts as well.
// The save data's base stage name (before its "_c" tag suffix) is exactly
// this key, and the world map compares node files through it.
// Neither "." nor "-1" can be the trail byte of a double-byte character, so
// a plain byte search is safe.
std::string StageKey(const std::string& stageFile);
