// The tag tree's pop-up commands: insert a node's text, open its tag's dialog, copy it, and add,
// edit and delete custom tags.
#include <QApplication>
#include <QClipboard>

#include "documents/documentwindow.h"
#include "documents/globals.h"
#include "documents/inserthtml.h"
#include "mainwindow/mdiMain.h"
#include "panes/frmMenu.h"
#include "panes/tagdata.h"
#include "panes/tagnodeedit.h"
#include "platform/forms/msgbox.h"
#include "platform/files/settingsstore.h"

namespace kavrin {

namespace {

QTreeWidgetItem* selectedTagNode() {
    return mainWindow && mainWindow->treTags ? mainWindow->treTags->selectedNode() : nullptr;
}

// The selected node when it is one of the custom tags, with its place among them.
QTreeWidgetItem* selectedCustomTag(int* index) {
    QTreeWidgetItem* node = selectedTagNode();
    QTreeWidgetItem* root = mainWindow ? mainWindow->customTagsRoot() : nullptr;
    if (!node || !root || node->parent() != root) return nullptr;
    *index = root->indexOfChild(node);
    return node;
}

void reportUnsavedCustomTags(bool saved) {
    if (saved) return;
    msgBox("The custom tags could not be written to '" + settingsFilePath(appTitle) +
               "'.\n\nThey are kept, and written again with the next change or when the program ends.",
           vbExclamation, QStringLiteral("Custom Tags"));
}

}  // namespace

void frmMenu::buildTagNodeMenu() {
    mnuTagNode = new QMenu(this);
    mnuTagNode->setObjectName(QStringLiteral("mnuTagNode"));
    mnuTagNodeInsert = mnuTagNode->addAction(QStringLiteral("&Insert"));
    mnuTagNodeEdit = mnuTagNode->addAction(QStringLiteral("&Edit..."));
    mnuTagNodeCopy = mnuTagNode->addAction(QStringLiteral("&Copy to Clipboard"));
    mnuTagNode->addSeparator();
    mnuTagNodeAddCustom = mnuTagNode->addAction(QStringLiteral("&Add Custom Tag"));
    mnuTagNodeEditCustom = mnuTagNode->addAction(QStringLiteral("E&dit Custom Tag"));
    mnuTagNodeDeleteCustom = mnuTagNode->addAction(QStringLiteral("&Delete Custom Tag"));
    connect(mnuTagNodeInsert, &QAction::triggered, this, &frmMenu::mnuTagNodeInsert_Click);
    connect(mnuTagNodeEdit, &QAction::triggered, this, &frmMenu::mnuTagNodeEdit_Click);
    connect(mnuTagNodeCopy, &QAction::triggered, this, &frmMenu::mnuTagNodeCopy_Click);
    connect(mnuTagNodeAddCustom, &QAction::triggered, this, &frmMenu::mnuTagNodeAddCustom_Click);
    connect(mnuTagNodeEditCustom, &QAction::triggered, this, &frmMenu::mnuTagNodeEditCustom_Click);
    connect(mnuTagNodeDeleteCustom, &QAction::triggered, this, &frmMenu::mnuTagNodeDeleteCustom_Click);
}

void frmMenu::mnuTagNodeInsert_Click() {
    DocumentWindow* doc = activeDocument();
    QTreeWidgetItem* node = selectedTagNode();
    if (!doc || doc->mode != 0 || !node) return;
    const TagNodeInsertion insertion = tagNodeInsertion(node->text(0), addEndingP);
    insertHtml(insertion.startTag, insertion.endTag, QString(), 1);
    // With nothing selected the caret lands between the two quotes.
    if (insertion.quoted) doc->txtMain->setSelStart(std::max(0, doc->txtMain->selStart() - 1));
    doc->txtMain->setFocus();
}

void frmMenu::mnuTagNodeEdit_Click() {
    if (QTreeWidgetItem* node = selectedTagNode()) showTagNodeDialog(node->text(0));
}

void frmMenu::mnuTagNodeCopy_Click() {
    QTreeWidgetItem* node = selectedTagNode();
    if (!node) return;
    QClipboard* clipboard = QApplication::clipboard();
    clipboard->clear();
    clipboard->setText(node->text(0));
}

void frmMenu::mnuTagNodeAddCustom_Click() {
    if (!mainWindow) return;
    const QString text = inputBox(QStringLiteral("Enter a start and end tag.\n\nFor example, <foo></foo>."),
                                  QStringLiteral("Add Custom Tag"));
    if (text.isEmpty()) return;
    const bool saved = mainWindow->customTags.add(text);
    if (QTreeWidgetItem* root = mainWindow->customTagsRoot()) {
        mainWindow->treTags->addLeaf(root, text, QStringLiteral("tag"));
        root->setExpanded(true);
    }
    reportUnsavedCustomTags(saved);
}

void frmMenu::mnuTagNodeEditCustom_Click() {
    int index = -1;
    QTreeWidgetItem* node = selectedCustomTag(&index);
    if (!node) return;
    const QString text = inputBox(QStringLiteral("Enter new start and end tags.\n\nFor example, <foo></foo>"),
                                  QStringLiteral("Edit Custom Tag"), node->text(0));
    if (text.isEmpty()) return;
    node->setText(0, text);
    reportUnsavedCustomTags(mainWindow->customTags.edit(index, text));
}

void frmMenu::mnuTagNodeDeleteCustom_Click() {
    int index = -1;
    QTreeWidgetItem* node = selectedCustomTag(&index);
    if (!node) return;
    if (msgBox(QStringLiteral("Delete selected tag?"), vbYesNo | vbExclamation, QStringLiteral("Comfirm Delete")) != vbYes)
        return;
    delete node;
    reportUnsavedCustomTags(mainWindow->customTags.remove(index));
}

}  // namespace kavrin
