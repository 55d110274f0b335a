#pragma once
// Keeping a recording as a replay file (F1 the current attempt, F2 the
// previous one) and opening a replay for playback. The dialogs run on the
// window thread; these senders wait for them.
#include <cstdint>
#include <string>

// 1 when a save was carried out this call (the caller ends its frame).
int RequestSaveReplay();
// 1 when the user opened a replay.
int RequestOpenReplay();
// The window thread's save chooser proposing a free "_ab" name for the stage.
int ChooseReplaySaveFile(std::string& out, const std::string& baseName);
// The proposed replay file name (file part only), "" for an empty base name;
// `exists` tells whether a path is taken.
std::string ProposeReplayName(const std::string& baseName, int tagOn, int tagNo, int tagSub,
                              bool (*exists)(const std::string& path));

// The key state and cool-down of RequestSaveReplay, kept apart for tests.
struct ReplayKeyState {
  int32_t nCoolDown = 0;  // frames of the refusal sound's cool-down
  bool bSaveHeld = false;  // F1/F2 handled and not yet released
};
extern ReplayKeyState ReplayKeys;
