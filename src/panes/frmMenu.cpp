#include "panes/frmMenu.h"

#include <QPointer>

#include "documents/fileops.h"
#include "documents/globals.h"
#include "mainwindow/mdiMain.h"
#include "panes/filelistbox.h"
#include "panes/panetree.h"
#include "platform/files/filesystem.h"
#include "platform/forms/msgbox.h"
#include "platform/system/screen.h"

namespace kavrin {

frmMenu::frmMenu(QWidget* parent) : Form(parent) {
    setObjectName(QStringLiteral("frmMenu"));
    setCaption(QStringLiteral("menu"));

    mnuTree = new QMenu(this);
    mnuTree->setObjectName(QStringLiteral("mnuTree"));
    mnuTreeRename = mnuTree->addAction(QStringLiteral("&Rename"));
    mnuTreeProperties = mnuTree->addAction(QStringLiteral("&Properties"));
    mnuTree->addSeparator();
    mnuTreeRefresh = mnuTree->addAction(QStringLiteral("R&efresh"));
    connect(mnuTreeRename, &QAction::triggered, this, &frmMenu::mnuTreeRename_Click);
    connect(mnuTreeProperties, &QAction::triggered, this, &frmMenu::mnuTreeProperties_Click);
    connect(mnuTreeRefresh, &QAction::triggered, this, &frmMenu::mnuTreeRefresh_Click);
    buildTagNodeMenu();
    buildProjectMenu();
    buildDragDropMenu();
}

frmMenu* frmMenuInstance() {
    static QPointer<frmMenu> instance;
    if (!instance || instance->isUnloading()) instance = new frmMenu();
    instance->load();
    return instance;
}

void frmMenu::mnuTreeRename_Click() {
    if (mainWindow && mainWindow->treMain) mainWindow->treMain->startLabelEdit();
}

void frmMenu::mnuTreeProperties_Click() {
    if (!mainWindow || !mainWindow->treMain) return;
    const QString key = PaneTree::key(mainWindow->treMain->selectedNode());
    if (showFileProperties(key, mainWindow) < 33)
        msgBox("Unable to display property information for '" + key + "'.", vbExclamation, "Error");
}

void frmMenu::mnuTreeRefresh_Click() {
    mdiMain* main = mainWindow;
    if (!main || !main->treMain) return;
    setBusy(true);
    QString folder = PaneTree::key(main->treMain->selectedNode());
    main->treMain->clear();
    main->initTreMain();
    // Node keys that are not folders ("top") name nothing on disk.
    if (!folder.startsWith(QLatin1Char('/')) || !folderExistsBounded(folder)) folder = startupFolder.trimmed();
    if (!folder.startsWith(QLatin1Char('/')) || !folderExistsBounded(folder)) {
        setBusy(false);
        return;
    }
    main->setTreePath(folder);
    // The list keeps the filter whose menu item is checked.
    if (currentFilter >= 1 && currentFilter <= fileFilters.size())
        main->files->setPattern(fileFilters[currentFilter - 1].pattern);
    main->populateFileList();
    setBusy(false);
}

}  // namespace kavrin
