// The pop-up of a drop with the right button: move, copy or cancel.
#include "documents/globals.h"
#include "mainwindow/mdiMain.h"
#include "panes/frmMenu.h"

namespace kavrin {

void runPopupMenu(QMenu* menu, const QPoint& where) {
    if (!menu) return;
    if (popupChooser) {
        if (QAction* chosen = popupChooser(menu)) chosen->trigger();
        return;
    }
    menu->exec(where);
}

void frmMenu::buildDragDropMenu() {
    mnuDragDrop = new QMenu(this);
    mnuDragDrop->setObjectName(QStringLiteral("mnuDragDrop"));
    mnuDragDropMove = mnuDragDrop->addAction(QStringLiteral("&Move"));
    mnuDragDropCopy = mnuDragDrop->addAction(QStringLiteral("&Copy"));
    mnuDragDrop->addSeparator();
    mnuDragDropCancel = mnuDragDrop->addAction(QStringLiteral("C&ancel"));
    connect(mnuDragDropMove, &QAction::triggered, this, &frmMenu::mnuDragDropMove_Click);
    connect(mnuDragDropCopy, &QAction::triggered, this, &frmMenu::mnuDragDropCopy_Click);
    connect(mnuDragDropCancel, &QAction::triggered, this, &frmMenu::mnuDragDropCancel_Click);
}

void frmMenu::mnuDragDropMove_Click() {
    if (mainWindow) mainWindow->transferDraggedFiles(true);
}

void frmMenu::mnuDragDropCopy_Click() {
    if (mainWindow) mainWindow->transferDraggedFiles(false);
}

void frmMenu::mnuDragDropCancel_Click() {
    if (!mainWindow || !mainWindow->treMain) return;
    mainWindow->treMain->setDropHighlight(nullptr);
    mainWindow->treMain->setFocus();
}

}  // namespace kavrin
