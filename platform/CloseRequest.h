#pragma once
#include <functional>

namespace platform {

// Posting WM_CLOSE to the main window from code below the application.
// The application installs the handler once its window exists; until then
// requests are only counted.
void SetCloseRequestHandler(std::function<void()> handler);
void RequestMainWindowClose();
// Number of close requests made so far (tests).
long CloseRequestCount();

}  // namespace platform
