#pragma once
// Loading a stage for play: the numbered file is found, its trailer tested,
// and it is read on thStageLoad while the calling thread keeps dispatching
// its messages. Also the report of a data file that failed to load.
#include <string>

#include "base/LoadTexts.h"
#include "base/Thread.h"

class cStage;
struct cReadContext;

// The stage reader's thread for the whole run; the application stops it at
// shutdown (after the other threads' requests are done).
extern cThread thStageLoad;

// False only when the file opens, is of version 174 or later and does not
// end with the stage trailer; then it shows the broken-file box and asks the
// main window to close. A missing, short or newer file passes: the read
// reports it.
bool CheckStageTrailer(const std::string& path);

// Loads a stage file into `Stage`. With resolve set, name is replaced by the
// highest-numbered "<name>.stg4_NNN" that exists (none: false, no message).
// On success Stage holds the file (m_Path, m_Resolved, m_Loaded set) and the
// copy target, if any, its scalar part with six empty lists. Every failure
// leaves Stage and the copy target as they were. A WM_QUIT taken from the
// caller's queue during the read stops the reader, is posted again for the
// caller's own loop, and makes the load fail.
bool LoadStageForPlay(const std::string& name, int resolve, cStage* copyTarget);
// The same into any stage record, with the palettes and counts of a context
// (null: the program-wide one).
bool LoadStageForPlay(cStage& stage, const std::string& name, int resolve, cStage* copyTarget,
                      const cReadContext* context = nullptr);

// The message of a data file that cannot be read.
inline constexpr const char* kDataLoadFailed = kFileLoadFailed;

// Log line and error box for a data file that failed to load; the two-line
// form when it was refused as newer than this program.
// The main-log line also names the reason and offset of the read failure
// (LastReadFailure); the box shows the message alone.
void ShowDataLoadError(const char* fileName);
// LastReadFailure's text, or empty when no reader failed.
std::string LoadFailureDetail();
