#include "documents/tiphooks.h"

#include "documents/globals.h"
#include "mainwindow/mdiMain.h"

// The tips live in tips.cpp, tag completion in completion.cpp and the drop handlers in
// mainwindow/maindragdrop.cpp.
