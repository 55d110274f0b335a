#pragma once
// The two small record files of user_data\ that the application keeps: the
// launch choices (Boot.dat) and the window placement (Window.dat). The tools
// read them with the player's own records.
#include "app/dialogs/BootData.h"
#include "app/frame/WindowData.h"

namespace tools {

using cBootRecord = ::cBootData;
using cWindowRecord = ::cWindowData;

}  // namespace tools
