// The main window's side of the tools: File > Open From Web, Edit > Find/Replace and Extended
// Replace, the Tools menu's spell check, tag case, strip tags, file dependencies and image
// browser, and the toolbar buttons that stand for them.
#include "documents/documentwindow.h"
#include "mainwindow/mdiMain.h"
#include "platform/web/dhtmledit.h"
#include "tagdialogs/structure/frmTableWizard.h"
#include "tagdialogs/tagdialog.h"
#include "tools/frmDependencies.h"
#include "tools/frmGlobalReplace.h"
#include "tools/frmImgBrowser.h"
#include "tools/frmOpenFromWeb.h"
#include "tools/frmReplace.h"
#include "tools/spellcheck.h"
#include "tools/tagtools.h"
#include "tools/toolwindow.h"

namespace kavrin {

void mdiMain::connectToolsCommands() {
    connect(mnuEditFindReplace, &QAction::triggered, this, &mdiMain::mnuEditFindReplace_Click);
    connect(mnuToolsSpell, &QAction::triggered, this, &mdiMain::mnuToolsSpell_Click);
    connect(mnuToolsTableWizard, &QAction::triggered, this, [] { showTableWizard(); });
    connect(mnuFileOpenFromWeb, &QAction::triggered, this, &mdiMain::mnuFileOpenFromWeb_Click);
    connect(mnuEditExtendedReplace, &QAction::triggered, this, &mdiMain::mnuEditExtendedReplace_Click);
    connect(mnuToolsFileDependencies, &QAction::triggered, this, &mdiMain::mnuToolsFileDependencies_Click);
    connect(mnuToolsImageBrowser, &QAction::triggered, this, &mdiMain::mnuToolsImageBrowser_Click);
    connect(mnuToolsChangeTagCase, &QAction::triggered, this, &mdiMain::mnuToolsChangeTagCase_Click);
    connect(mnuToolsRemoveTags, &QAction::triggered, this, &mdiMain::mnuToolsRemoveTags_Click);
}

void mdiMain::mnuEditFindReplace_Click() {
    DocumentWindow* doc = activeDocument();
    if (!doc) return;
    // The design view searches with its own find; this window works on the source.
    if (designCommand(DECMD_FINDTEXT)) return;
    // Already open, it only comes forward, keeping what its fields hold.
    frmReplace* form = replaceForm();
    if (!form) (form = replaceForm(true))->show();
    bringForward(form);
}

void mdiMain::mnuEditExtendedReplace_Click() {
    // In every view: the replacement always goes to the source.
    frmGlobalReplace* form = globalReplaceForm();
    // Closed during a run, it stays loaded until the run has stopped: it comes back as it is.
    if (!form || form->isHidden()) (form = globalReplaceForm(true))->show();
    bringForward(form);
}

void mdiMain::mnuFileOpenFromWeb_Click() { showModalDialog<frmOpenFromWeb>(); }

void mdiMain::mnuToolsFileDependencies_Click() { showModalDialog<frmDependencies>(); }

void mdiMain::mnuToolsImageBrowser_Click() { showModalDialog<frmImgBrowser>(); }

void mdiMain::mnuToolsSpell_Click() { startSpellCheck(); }

void mdiMain::mnuToolsChangeTagCase_Click() { changeTagCaseOfActiveDocument(); }

void mdiMain::mnuToolsRemoveTags_Click() { removeTagsFromSelection(); }

}  // namespace kavrin
