// View > Toolbar, Status Bar and Resource Panel: each switches its part of the main window and
// its own check mark, and the choice is kept at exit.
#include "documents/globals.h"
#include "mainwindow/mdiMain.h"
#include "mainwindow/toolbararea.h"
#include "platform/system/screen.h"

namespace kavrin {

void mdiMain::mnuOptionsToolbar_Click() {
    showToolbar = !showToolbar;
    mnuOptionsToolbar->setChecked(showToolbar);
    picTools->setVisible(showToolbar);
}

void mdiMain::mnuOptionsStatusbar_Click() {
    showStatusbar = !showStatusbar;
    // The document task bar sits on the status bar and goes with it.
    if (!showStatusbar) picPop->hide();
    stbMain->setVisible(showStatusbar);
    mnuOptionsStatusbar->setChecked(showStatusbar);
    if (showStatusbar && showTaskBar) showTaskBarStrip(tbsPop->count() > 0);
}

void mdiMain::mnuOptionsFileList_Click() {
    showPanel = !showPanel;
    picFile->setVisible(showPanel);
    mnuOptionsFileList->setChecked(showPanel);
    if (QAction* panel = tbrMainB->button(QStringLiteral("panel"))) panel->setChecked(showPanel);
    // A panel dragged almost shut comes back at a usable width.
    if (picFileWidth() < 200) setPicFileWidth(pixelsToTwips(width()) / 5);
}

}  // namespace kavrin
