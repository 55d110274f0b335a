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

// The same before the video system starts, where X may be used (DISPLAY
// set, no other video driver asked for): SDL then keeps the filter as the
// handler it passes errors on to and puts back when it shuts down, when its
// own connections are closed and a late BadWindow is read. Loads Xlib for
// that. True when the filter is in place; then InstallXErrorFilter is not
// needed (it would put the filter in front of SDL's handler, which leads
// back to it).
bool InstallXErrorFilterBeforeVideo();

}  // namespace platform
