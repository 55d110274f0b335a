#pragma once
// The generated sample project: a small, complete game made by code with
// the project's own writers. It is the example of how the data fits
// together and the end-to-end fixture of the tests.
#include <string>
#include <utility>
#include <vector>

#include "data/Database.h"

namespace tools {

// System sounds 0..16 and the database's sound effects, as project paths.
extern const char* const kSampleSystemSounds[17];

// The sample's database (animations, sounds, music).
cDatabase SampleDatabase();

// Every file that is not a data record: bitmaps, blend tables, sounds,
// music, System.ini.
std::vector<std::pair<std::string, std::vector<unsigned char>>> SampleMediaFiles();

// Writes the whole project into the native folder `dir` (created when
// missing; files of an earlier run are replaced). False with a reason when
// a file cannot be written.
bool MakeSampleProject(const std::string& dir, std::string* error);

}  // namespace tools
