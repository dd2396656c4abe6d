#pragma once
// The hidden window that holds the pop-up menus of the side panes. It is loaded once and never
// shown; the panes pop its menus up and its handlers work on the main window.
#include <QAction>
#include <QMenu>

#include "platform/form.h"

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

private:
    void buildTagNodeMenu();
};

// The one frmMenu, loaded (not shown) the first time it is asked for.
frmMenu* frmMenuInstance();

}  // namespace kavrin
