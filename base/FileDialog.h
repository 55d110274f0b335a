#pragma once
// The open and save file choosers, drawn in the game window like the other
// dialogs. Each shows the files of one folder that match the first pattern
// list of the filter (";"-separated, case-insensitive) and answers with a
// code-page-932 path made of that folder and the chosen name, relative to
// the project folder as the folder was given; the current folder never
// changes. Window thread only.
#include <string>
#include <vector>

class cWnd;

// filter: pairs of NUL-terminated description and pattern texts, ended by an
// empty text ("Text ( *.txt )\0*.txt\0"), as the callers write them.
// On a choice the path is in `buffer` (at most bufferSize - 1 bytes); with a
// list, the chosen paths are appended to it as well. One file is chosen even
// when several are allowed. False when cancelled or when the path would not
// fit the buffer.
bool OpenFileDialog(cWnd* owner, std::string& buffer, size_t bufferSize, const std::string& initialDir,
                    const std::string& title, const char* filter, const std::string& defExt, bool multiSelect,
                    std::vector<std::string>* list);

// `buffer` proposes a file name when bKeepName is set (otherwise it starts
// empty); a new name may be typed. A name without an extension gets the
// default one (when it has no wildcard). Choosing an existing file asks before
// overwriting it. True with the path in `buffer` when a name was chosen.
bool SaveFileDialog(cWnd* owner, std::string& buffer, const std::string& initialDir, const std::string& title,
                    const char* filter, const std::string& defExt, bool bKeepName);

// The choosers' own labels in English instead of Japanese.
void SetFileDialogEnglish(bool english);

// Whether a file name matches a pattern list ("*.stg4_*;*.rpl4_*"): "*" any
// run of characters, "?" one character; ASCII letters without case.
bool MatchFilePattern(const std::string& patterns, const std::string& name);

// Item ids of the chooser (tests drive it with them).
enum : int {
  kFileDlgFolder = 1100,
  kFileDlgList = 1101,
  kFileDlgNameLabel = 1102,
  kFileDlgName = 1103,
  kFileDlgQuestion = 1200,
  kFileDlgYes = 1201,
  kFileDlgNo = 1202,
};
