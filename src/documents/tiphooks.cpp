#include "documents/tiphooks.h"

#include "documents/globals.h"
#include "mainwindow/mdiMain.h"

namespace kavrin {

void showValueTips(DocumentWindow*, const QString&, const QString&, bool) {}

void showAttributeTips(DocumentWindow*, const QString&, int) {}

void acceptTip(DocumentWindow*) {}

void closeAngleTyped(DocumentWindow*, int&) {}

void completeTagOnKey(DocumentWindow*, const QString&, int&) {}

void editorDragOver(DocumentWindow*, QDragMoveEvent*) {}

void editorDragDrop(DocumentWindow*, QDropEvent*) {}

}  // namespace kavrin
