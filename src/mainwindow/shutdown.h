#pragma once
// The end of the desktop session, a polite request to stop (SIGTERM), Ctrl+C in the terminal the
// program was started from (SIGINT) and the closing of that terminal (SIGHUP) close the program
// the way File > Exit does: each unsaved document asks first, and Cancel keeps the program
// running where the request allows it. A program started to ignore hang-ups or interrupts
// (nohup, a background job) keeps ignoring them.
namespace kavrin {

// Installs the watchers once; call after the application object exists.
void watchShutdownRequests();
// Runs the main window's own close, as both requests do; false when the user kept the program.
bool closeOnRequest();

}  // namespace kavrin
