// The side panel's tag tree and script tree, and the View menu's items that bring a pane to the
// front.
#include <QLabel>
#include <QSet>

#include "documents/documentwindow.h"
#include "documents/fileops.h"
#include "documents/globals.h"
#include "mainwindow/mdiMain.h"
#include "panes/frmMenu.h"
#include "panes/scriptdata.h"
#include "panes/tagnodeedit.h"
#include "platform/forms/msgbox.h"
#include "platform/system/screen.h"
#include "platform/files/textfile.h"
#include "tools/spellcheck.h"

namespace kavrin {

namespace {

// The text of a data file, or why it cannot be used.
bool readDataFile(const QString& path, QString* text, QString* error) {
    const TextFileResult file = readTextFile(path);
    if (!file.ok) {
        *error = file.error;
        return false;
    }
    *text = file.text;
    return true;
}

}  // namespace

void mdiMain::connectTreeCommands() {
    treTags->onDblClick = [this] { treTags_DblClick(); };
    treTags->onTypeAhead = [this](QChar typed) { treTags_KeyDown(typed); };
    treTags->onMouseUp = [this](int button, int shift, int x, int y) { treTags_MouseUp(button, shift, x, y); };
    treTags->onClick = [this] { treTags_Click(); };
    treTags->onLostFocus = [this] { treTags_LostFocus(); };
    treScript->onDblClick = [this] { treScript_DblClick(); };
    connect(mnuOptionsFileExplorer, &QAction::triggered, this, &mdiMain::mnuOptionsFileExplorer_Click);
    connect(mnuOptionsHtmlExplorer, &QAction::triggered, this, &mdiMain::mnuOptionsHtmlExplorer_Click);
    connect(mnuOptionsJavascriptExplorer, &QAction::triggered, this, &mdiMain::mnuOptionsJavascriptExplorer_Click);
    connect(mnuOptionsProjectExplorer, &QAction::triggered, this, &mdiMain::mnuOptionsProjectExplorer_Click);
}

// ---- Tag tree ------------------------------------------------------------------------------------

bool mdiMain::customTagsOfTagTree(QStringList* tags) const {
    // Every change is written when it is made; only one the store refused is left for the exit.
    if (customTags.saved()) return false;
    if (tags) {
        tags->clear();
        for (const CustomTags::Tag& tag : customTags.tags()) *tags << tag.text;
    }
    return true;
}

QTreeWidgetItem* mdiMain::customTagsRoot() const {
    if (!treTags || !treTags->topLevelItemCount()) return nullptr;
    QTreeWidgetItem* first = treTags->topLevelItem(0);
    return PaneTree::key(first) == kCustomRootKey ? first : nullptr;
}

void mdiMain::loadTagTree() {
    // Set first: a load that failed or was refused is not tried again in this run.
    if (tagTreeLoaded_) return;
    tagTreeLoaded_ = true;
    treTags->clear();

    QSet<QString> keys{kCustomRootKey};
    QVector<TreeNodeData> custom{
        TreeNodeData{-1, kCustomRootKey, kCustomRootText, QStringLiteral("closedfolder"), QStringLiteral("openfolder")}};
    for (const CustomTags::Tag& tag : customTags.tags()) {
        const QString key = tag.storedNumber > 0 ? "custom_" + QString::number(tag.storedNumber) : QString();
        if (!key.isEmpty()) keys.insert(key);
        custom.push_back(TreeNodeData{0, key, tag.text, QStringLiteral("tag"), QString()});
    }
    const QVector<QTreeWidgetItem*> customNodes = treTags->addNodes(custom);
    if (customTags.count() > 0) customNodes.first()->setExpanded(true);

    const QString path = installPath + QStringLiteral("html.dat");
    if (!fileExists(path)) {
        msgBox("The data file '" + path + "' was not found.", vbExclamation | vbOKOnly, QStringLiteral("File Not Found"));
        return;
    }
    setBusy(true);
    QString text;
    QString error;
    TreeBuild build;
    if (readDataFile(path, &text, &error)) {
        build = tagNodesFromData(text, &keys);
        error = build.error;
    } else {
        build = tagNodesFromData(QStringView(), &keys);  // the root and the comment
    }
    const QVector<QTreeWidgetItem*> tagNodes = treTags->addNodes(build.nodes);
    if (!tagNodes.isEmpty()) tagNodes.first()->setExpanded(true);
    setBusy(false);
    if (!error.isEmpty())
        msgBox("An error occurred while loading the HTML Explorer:\n\n" + error, vbExclamation, QStringLiteral("Error"));
}

void mdiMain::treTags_Click() {
    if (spellCheckRunning) focusSpellDialog();
}

void mdiMain::treTags_DblClick() {
    QTreeWidgetItem* node = treTags->selectedNode();
    if (!node) return;
    const bool underCustomRoot = node->parent() && node->parent() == customTagsRoot();
    if (tagNodeInsertsOnDoubleClick(node->text(0), !node->parent(), underCustomRoot))
        frmMenuInstance()->mnuTagNodeInsert_Click();
}

void mdiMain::treTags_KeyDown(QChar typed) {
    QTreeWidgetItem* root = nullptr;
    for (int i = 0; i < treTags->topLevelItemCount() && !root; ++i)
        if (PaneTree::key(treTags->topLevelItem(i)) == kTagRootKey) root = treTags->topLevelItem(i);
    if (!root) return;
    QStringList tags;
    tags.reserve(root->childCount());
    for (int i = 0; i < root->childCount(); ++i) tags << root->child(i)->text(0);
    const int hit = tagTypeAheadNext(tags, typed.toLower(), typeAhead_);
    if (hit >= 0) treTags->selectNode(root->child(hit));
}

void mdiMain::treTags_LostFocus() {
    if (QLabel* first = stbPanel(1)) first->clear();
}

void mdiMain::treTags_MouseUp(int button, int, int x, int y) {
    if (button == vbLeftButton) return;
    QTreeWidgetItem* node = treTags->selectedNode();
    frmMenu* menu = frmMenuInstance();
    const QString text = node ? node->text(0) : QString();
    const bool isRoot = !node || !node->parent();
    const bool underCustomRoot = node && node->parent() && node->parent() == customTagsRoot();
    const TagNodeMenuState state =
        tagNodeMenuState(text, isRoot, underCustomRoot, tagNodeDialogExists(text), activeDocument() != nullptr);
    menu->mnuTagNodeInsert->setEnabled(state.insert);
    menu->mnuTagNodeEdit->setEnabled(state.edit);
    menu->mnuTagNodeCopy->setEnabled(state.copy);
    menu->mnuTagNodeAddCustom->setEnabled(state.addCustom);
    menu->mnuTagNodeEditCustom->setEnabled(state.editCustom);
    menu->mnuTagNodeDeleteCustom->setEnabled(state.deleteCustom);
    menu->mnuTagNode->popup(treTags->viewport()->mapToGlobal(QPoint(x, y)));
}

// ---- Script tree ---------------------------------------------------------------------------------

void mdiMain::loadScriptTree() {
    if (scriptTreeLoaded_) return;
    const QString path = installPath + QStringLiteral("script.dat");
    if (!fileExists(path)) {
        msgBox("The data file '" + path + "' was not found.", vbExclamation | vbOKOnly, QStringLiteral("File Not Found"));
        return;
    }
    setBusy(true);
    treScript->clear();
    QString text;
    QString error;
    TreeBuild build;
    if (readDataFile(path, &text, &error)) {
        build = scriptNodesFromData(text);
        error = build.error;
    } else {
        build = scriptNodesFromData(QStringView());
        build.nodes.resize(1);  // the "Window" root alone
    }
    treScript->addNodes(build.nodes);
    setBusy(false);
    if (!error.isEmpty()) {
        // The flag stays clear: the next choice of the tab reads the file again.
        msgBox("An error occurred while loading the JavaScript Explorer:\n\n" + error, vbExclamation,
               QStringLiteral("Error"));
        return;
    }
    scriptTreeLoaded_ = true;
}

void mdiMain::treScript_DblClick() {
    QTreeWidgetItem* node = treScript->selectedNode();
    // A node with a key has children: the double-click only opens or closes it.
    if (!node || !PaneTree::key(node).isEmpty()) return;
    DocumentWindow* doc = activeDocument();
    if (!doc || doc->mode != 0) return;
    RichTextBox* editor = doc->txtMain;
    const ScriptInsertion insertion =
        scriptInsertion(node->text(0), PaneTree::image(node) == QLatin1String("method"));
    // One undo step for the whole insertion.
    selStartBeforeChange = editor->selStart();
    selLengthBeforeChange = editor->selLength();
    editor->setSelText(insertion.text);
    if (insertion.caretBack) editor->setSelStart(std::max(0, editor->selStart() - insertion.caretBack));
    editor->setFocus();
}

// ---- View menu: the panes ------------------------------------------------------------------------

void mdiMain::showPanelIfHidden() {
    if (showPanel) return;
    showPanel = true;
    picFile->setVisible(true);
    mnuOptionsFileList->setChecked(true);
    if (QAction* panel = tbrMainB ? tbrMainB->button(QStringLiteral("panel")) : nullptr) panel->setChecked(true);
    if (picFileWidth() < 200) setPicFileWidth(pixelsToTwips(width()) / 5);
}

void mdiMain::selectPanelTab(int tab) {
    showPanelIfHidden();
    // Choosing the tab that is already chosen still brings its pane to the front.
    if (tbsMain->currentIndex() == tab - 1)
        tbsMain_Click();
    else
        tbsMain->setCurrentIndex(tab - 1);
}

void mdiMain::mnuOptionsFileExplorer_Click() { selectPanelTab(1); }
void mdiMain::mnuOptionsHtmlExplorer_Click() { selectPanelTab(2); }
void mdiMain::mnuOptionsJavascriptExplorer_Click() { selectPanelTab(3); }
void mdiMain::mnuOptionsProjectExplorer_Click() { selectPanelTab(4); }

}  // namespace kavrin
