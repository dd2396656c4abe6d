#include "documents/tiphooks.h"

#include "documents/globals.h"
#include "mainwindow/mdiMain.h"

// The tips live in tips.cpp and tag completion in completion.cpp.

namespace kavrin {

void editorDragOver(DocumentWindow*, QDragMoveEvent*) {}

void editorDragDrop(DocumentWindow*, QDropEvent*) {}

}  // namespace kavrin
