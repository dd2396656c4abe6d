// The main window's side of the tools: Edit > Find/Replace, and the toolbar button that stands for it.
#include "documents/documentwindow.h"
#include "mainwindow/mdiMain.h"
#include "tools/frmReplace.h"

namespace kavrin {

void mdiMain::connectToolsCommands() {
    connect(mnuEditFindReplace, &QAction::triggered, this, &mdiMain::mnuEditFindReplace_Click);
}

void mdiMain::mnuEditFindReplace_Click() {
    DocumentWindow* doc = activeDocument();
    if (!doc) return;
    // The design view searches with its own find; this window works on the source.
    if (doc->mode == 2) return;
    if (frmReplace* open = replaceForm()) {
        // Already open: it only comes forward, keeping what its fields hold.
        open->raise();
        open->activateWindow();
        return;
    }
    replaceForm(true)->show();
}

}  // namespace kavrin
