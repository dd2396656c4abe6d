#pragma once
// Start-up of the program and the installed-font list.
#include <QStringList>

namespace kavrin {

// The program's start: records the screen's twips, shows the splash window, creates and shows
// the main window with the program's arguments (without the program itself), removes the
// splash window. The caller runs the event loop afterwards.
void startUp(const QStringList& arguments = {});

// Runs the whole program (QApplication, start-up, event loop); what src/main.cpp calls.
int runProgram(int argc, char** argv);

// Fills fontNames / fontCount from the installed fonts (at most 400), sorted.
void loadFontNames();
// Same, from a given list (the platform's order).
void loadFontNames(const QStringList& installed);

// Ascending, without regard to case (compared by character code of the lower-case forms);
// entries with equal lower-case forms keep their order.
void sortStringArray(QStringList& list);

}  // namespace kavrin
