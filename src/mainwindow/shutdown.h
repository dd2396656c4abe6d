#pragma once
// The end of the desktop session and a polite request to stop (SIGTERM) close the program the
// way File > Exit does: each unsaved document asks first, and Cancel keeps the program running
// where the request allows it.
namespace kavrin {

// Installs the watchers once; call after the application object exists.
void watchShutdownRequests();
// Runs the main window's own close, as both requests do; false when the user kept the program.
bool closeOnRequest();

}  // namespace kavrin
