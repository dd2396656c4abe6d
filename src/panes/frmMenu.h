#pragma once
// The hidden window that holds the pop-up menus of the side panes. It is loaded once and never
// shown; the panes pop its menus up and its handlers work on the main window.
#include <QAction>
#include <QMenu>
#include <functional>

#include "platform/forms/form.h"

namespace kavrin {

class frmMenu : public Form {
    Q_OBJECT
public:
    explicit frmMenu(QWidget* parent = nullptr);

    // The folder tree's menu.
    QMenu* mnuTree = nullptr;
    QAction* mnuTreeRename = nullptr;
    QAction* mnuTreeProperties = nullptr;
    QAction* mnuTreeRefresh = nullptr;

    void mnuTreeRename_Click();
    void mnuTreeProperties_Click();
    void mnuTreeRefresh_Click();

    // The tag tree's menu (tagnodecommands.cpp); each command works on the tree's selected node.
    QMenu* mnuTagNode = nullptr;
    QAction* mnuTagNodeInsert = nullptr;
    QAction* mnuTagNodeEdit = nullptr;
    QAction* mnuTagNodeCopy = nullptr;
    QAction* mnuTagNodeAddCustom = nullptr;
    QAction* mnuTagNodeEditCustom = nullptr;
    QAction* mnuTagNodeDeleteCustom = nullptr;

    void mnuTagNodeInsert_Click();
    void mnuTagNodeEdit_Click();
    void mnuTagNodeCopy_Click();
    void mnuTagNodeAddCustom_Click();
    void mnuTagNodeEditCustom_Click();
    void mnuTagNodeDeleteCustom_Click();

    // The project list's menu (projectcommands.cpp).
    QMenu* mnuProject = nullptr;
    QAction* mnuProjectEdit = nullptr;
    QAction* mnuProjectAdd = nullptr;
    QAction* mnuProjectRemove = nullptr;

    void mnuProjectEdit_Click();
    void mnuProjectAdd_Click();
    void mnuProjectRemove_Click();

    // The menu a drop with the right button offers (dragdropcommands.cpp).
    QMenu* mnuDragDrop = nullptr;
    QAction* mnuDragDropMove = nullptr;
    QAction* mnuDragDropCopy = nullptr;
    QAction* mnuDragDropCancel = nullptr;

    void mnuDragDropMove_Click();
    void mnuDragDropCopy_Click();
    void mnuDragDropCancel_Click();

private:
    void buildTagNodeMenu();
    void buildProjectMenu();
    void buildDragDropMenu();
};

// The one frmMenu, loaded (not shown) the first time it is asked for.
frmMenu* frmMenuInstance();

// Pops a menu up at `where` and waits: the chosen item's handler has run when this returns.
void runPopupMenu(QMenu* menu, const QPoint& where);
// Chooses in place of the user in runPopupMenu (null: nothing chosen); tests set it.
inline std::function<QAction*(QMenu* menu)> popupChooser;

}  // namespace kavrin
