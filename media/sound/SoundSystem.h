#pragma once
// Start and end of the audio device for the sound layer. Without a device
// everything still runs (silently); that is logged once per run.
#include <string>

namespace sound {

// True when a device plays; false when the mixer runs without one.
bool StartAudio();
void StopAudio();

// Text after the last '.' of the path, or false when it has none. A dot in
// a folder name counts as well when the file name has none.
bool PathExtension(const std::string& path, std::string& ext);

}  // namespace sound
