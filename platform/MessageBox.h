#pragma once
#include <functional>
#include <string>

namespace platform {

// Box types and results, with the values the game data and callers use.
enum : unsigned { MB_OK = 0x0, MB_OKCANCEL = 0x1, MB_YESNO = 0x4, MB_ICONERROR = 0x10, MB_ICONQUESTION = 0x20 };
enum : int { IDOK = 1, IDCANCEL = 2, IDYES = 6, IDNO = 7 };

// Texts are code-page-932. The window layer installs a handler that shows a
// real box on the main thread; without one the text goes to standard error
// and the box gets the answer that loses nothing.
using MessageBoxHandler = std::function<int(const std::string& text, const std::string& caption, unsigned type)>;
void SetMessageBoxHandler(MessageBoxHandler handler);
int ShowMessageBox(const std::string& text, const std::string& caption, unsigned type);

// Where no box can be shown (no display, no handler): the text goes to
// standard error and to the sink the log installs, and the box gets the
// answer that loses nothing.
int AnswerUnshownBox(const std::string& text, const std::string& caption, unsigned type);
// The answer of a box nobody could see: No to a Yes/No question, Cancel to
// OK/Cancel, OK to a notice. Nothing is ended or overwritten on a guess.
int AnswerThatLosesNothing(unsigned type);
void SetUnshownBoxSink(std::function<void(const std::string& line)> sink);

// The program's own box, drawn with its dialog kit, for a display where the
// system box cannot be shown. A layer above installs it; the window layer
// calls it on the main thread. It returns 0 when it could not show the box.
void SetOwnBoxHandler(MessageBoxHandler handler);
// The own box's answer, or 0 without a handler or when it could not be shown.
int ShowOwnBox(const std::string& text, const std::string& caption, unsigned type);

}  // namespace platform
