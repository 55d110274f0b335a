#pragma once

namespace platform {

// Keeps an X error that a late wake-up can cause from ending the program.
// Other threads wake the window thread with an event that SDL sends to the
// window it waits on; when that window has just been closed, the server
// answers with BadWindow for the SendEvent, and Xlib's default handler would
// exit. That one error is dropped; every other error goes on to the handler
// that was in place before. Does nothing where X is not in use. Call on the
// window thread once the video system is up; calling again puts the filter
// in front of whatever handler is in place then.
void InstallXErrorFilter();

}  // namespace platform
