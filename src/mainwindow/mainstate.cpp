// The status bar's caret place and size and the Undo and Redo items and buttons follow the
// active document: its window reports each change of its state, and only the active one is shown.
#include "documents/docstate.h"
#include "documents/documentwindow.h"
#include "mainwindow/mdiMain.h"

namespace kavrin {

void mdiMain::followDocument(DocumentWindow* doc) {
    if (!doc) return;
    connect(doc, &DocumentWindow::stateChanged, this, &mdiMain::showDocumentState, Qt::UniqueConnection);
    showDocumentState(doc);
}

void mdiMain::showDocumentState(DocumentWindow* doc) {
    if (!doc || doc != activeDocument() || doc->isUnloading()) return;
    if (QLabel* size = stbPanel(2)) size->setText(documentSizeText(doc->txtMain->textLength()));
    // The design view has a history of its own, and the browse view none: their view states
    // set the items.
    if (doc->mode != 0) return;
    if (lblCursorPos) lblCursorPos->setText(caretPositionText(doc->txtMain));
    enableUndo(doc->undoI >= 1);
    enableRedo(doc->redoI >= 1);
}

}  // namespace kavrin
