// The main window's side of the tools: Edit > Find/Replace and Tools > Spell Check, and the
// toolbar buttons that stand for them.
#include "documents/documentwindow.h"
#include "mainwindow/mdiMain.h"
#include "platform/dhtmledit.h"
#include "tagdialogs/structure/frmTableWizard.h"
#include "tools/frmReplace.h"
#include "tools/spellcheck.h"

namespace kavrin {

void mdiMain::connectToolsCommands() {
    connect(mnuEditFindReplace, &QAction::triggered, this, &mdiMain::mnuEditFindReplace_Click);
    connect(mnuToolsSpell, &QAction::triggered, this, &mdiMain::mnuToolsSpell_Click);
    connect(mnuToolsTableWizard, &QAction::triggered, this, [] { showTableWizard(); });
}

void mdiMain::mnuEditFindReplace_Click() {
    DocumentWindow* doc = activeDocument();
    if (!doc) return;
    // The design view searches with its own find; this window works on the source.
    if (designCommand(DECMD_FINDTEXT)) return;
    if (frmReplace* open = replaceForm()) {
        // Already open: it only comes forward, keeping what its fields hold.
        open->raise();
        open->activateWindow();
        return;
    }
    replaceForm(true)->show();
}

void mdiMain::mnuToolsSpell_Click() { startSpellCheck(); }

}  // namespace kavrin
