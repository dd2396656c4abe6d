#pragma once
// The end of the desktop session, a polite request to stop (SIGTERM), Ctrl+C in the terminal the
// program was started from (SIGINT) and the closing of that terminal (SIGHUP) close the program
// the way File > Exit does: each unsaved document asks first, and Cancel keeps the program
// running where the request allows it. A program started to ignore hang-ups or interrupts
// (nohup, a background job) keeps ignoring them.
namespace kavrin {

// Installs the watchers once; call after the application object exists.
void watchShutdownRequests();
// Runs the main window's own close, as both requests do; false when the user kept the program
// or the close waits on a design view (it then goes on by itself).
bool closeOnRequest();
// The same for the end of the desktop session, which must hear at once whether the program
// ends: a close that waits on a design view is waited for. False when the user kept the program.
bool closeForSession();

}  // namespace kavrin
