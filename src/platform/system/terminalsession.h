#pragma once
// A program started from a terminal shares the terminal's hang-up with every process it starts:
// closing the terminal sends SIGHUP to the whole group, and the web engine's helper processes die
// of it while the main window is still asking whether to save a page that lives in them. So the
// program proper runs in a session of its own, and a small process stays behind in the terminal
// and hands Ctrl+C, Ctrl+\, a hang-up and a polite request to stop to the program alone, which
// closes as File > Exit does. Without a terminal nothing changes.
namespace kavrin {

// Returns in the process that goes on to run the program. The process that stays in the
// terminal never returns: it ends with the program's own exit status.
void leaveTerminalSession();

// The same, with the check for a controlling terminal left to the caller (tests). `hasTerminal`
// false returns at once.
void leaveTerminalSession(bool hasTerminal);

}  // namespace kavrin
