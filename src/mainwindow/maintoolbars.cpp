// The tag toolbars and the headers that choose them, in the main window's toolbar area.
#include "documents/documentwindow.h"
#include "documents/globals.h"
#include "documents/inserthtml.h"
#include "mainwindow/colorbar.h"
#include "mainwindow/mdiMain.h"
#include "mainwindow/tagbuttons.h"
#include "mainwindow/toolbararea.h"
#include "tagdialogs/edittag.h"
#include "tagdialogs/structure/frmQuickTable.h"

namespace kavrin {

namespace {

constexpr int kColorHeader = 7;
constexpr int kFormToolbar = 3;

}  // namespace

void mdiMain::buildTagToolbars() {
    const ToolbarArea::TagRowParts parts = picTools->buildTagRows();
    picTab = parts.headers;
    for (TagTab* tab : picTab) connect(tab, &TagTab::MouseDown, this, &mdiMain::picTab_MouseDown);

    Toolbar** fields[] = {&tbrBasic, &tbrFont, &tbrList, &tbrForm, &tbrTable, &tbrFrame, &tbrAdvanced};
    void (mdiMain::*handlers[])(const QString&) = {
        &mdiMain::tbrBasic_ButtonClick, &mdiMain::tbrFont_ButtonClick,  &mdiMain::tbrList_ButtonClick,
        &mdiMain::tbrForm_ButtonClick,  &mdiMain::tbrTable_ButtonClick, &mdiMain::tbrFrame_ButtonClick,
        &mdiMain::tbrAdvanced_ButtonClick,
    };
    for (int t = 0; t < parts.toolbars.size() && t < 7; ++t) {
        *fields[t] = parts.toolbars[t];
        connect(parts.toolbars[t], &Toolbar::ButtonClick, this, handlers[t]);
    }

    picColor = parts.colorBar;
    connect(picColor, &ColorBar::lblColor_Click, this, [this](int index) { lblColor_Click(qint16(index)); });
    connect(picColor, &ColorBar::lblCustomColor_MouseUp, this,
            [this](int index, int button) { lblCustomColor_MouseUp(qint16(index), button); });
    tbrColor = parts.colorButtons;
    connect(tbrColor, &Toolbar::ButtonClick, this, &mdiMain::tbrColor_ButtonClick);
}

void mdiMain::arrangeToolbars() {
    // The start: the first header chosen and its toolbar shown, every other one hidden.
    for (int i = 0; i < picTab.size(); ++i) {
        picTab[i]->setSelected(i == 0);
        picTab[i]->show();
    }
    for (int i = 0; i < kColorHeader; ++i) tagToolbar(i)->hide();
    picColor->hide();
    tbrColor->hide();
    selectedTagTab = 0;
    showTagToolbar(true);
}

Toolbar* mdiMain::tagToolbar(int index) const {
    switch (index) {
    case 0: return tbrBasic;
    case 1: return tbrFont;
    case 2: return tbrList;
    case 3: return tbrForm;
    case 4: return tbrTable;
    case 5: return tbrFrame;
    case 6: return tbrAdvanced;
    default: return nullptr;
    }
}

void mdiMain::showTagToolbar(bool visible) {
    QWidget* shown = tagToolbar(selectedTagTab);
    if (selectedTagTab == kColorHeader) {
        picColor->setVisible(visible);
        shown = tbrColor;
    }
    if (!shown) return;
    shown->setVisible(visible);
    if (selectedTagTab > 0 && visible && !tagToolbarShown[selectedTagTab]) {
        shown->update();
        tagToolbarShown[selectedTagTab] = true;
    }
}

void mdiMain::picTab_MouseDown(int index) {
    if (index == selectedTagTab || index < 0 || index >= picTab.size()) return;
    picTab[selectedTagTab]->setSelected(false);
    showTagToolbar(false);
    selectedTagTab = quint8(index);
    showTagToolbar(true);
    picTab[index]->setSelected(true);
    if (DocumentWindow* doc = activeDocument()) doc->txtMain->setFocus();
}

// ---- The buttons ----------------------------------------------------------------------------------

void mdiMain::runTagButton(int toolbar, const QString& key) {
    const TagButton* button = tagButton(toolbar, key);
    if (!button && toolbar == kFormToolbar) {
        // Any other key of the Form toolbar opens the form element dialog on no tab in particular.
        button = tagButton(toolbar, QStringLiteral("checkbox"));
        if (button && button->opener) button->opener(0);
        return;
    }
    if (!button || !tagButtonAvailable(*button)) return;
    if (button->startTag) {
        insertHtml(QString::fromLatin1(button->startTag), QString::fromLatin1(button->endTag), QString(), 1);
    } else if (button->editableTag) {
        if (const EditableTag* row = editableTag(QString::fromLatin1(button->editableTag)))
            showEditableTagDialog(*row);
    } else if (button->handler) {
        (this->*(button->handler))();
    } else if (button->opener) {
        button->opener(button->openerArgument);
    }
}

void mdiMain::tbrBasic_ButtonClick(const QString& key) { runTagButton(0, key); }
void mdiMain::tbrFont_ButtonClick(const QString& key) { runTagButton(1, key); }
void mdiMain::tbrList_ButtonClick(const QString& key) { runTagButton(2, key); }
void mdiMain::tbrForm_ButtonClick(const QString& key) { runTagButton(3, key); }
void mdiMain::tbrTable_ButtonClick(const QString& key) { runTagButton(4, key); }
void mdiMain::tbrFrame_ButtonClick(const QString& key) { runTagButton(5, key); }
void mdiMain::tbrAdvanced_ButtonClick(const QString& key) { runTagButton(6, key); }

void mdiMain::tbrBasicBody_Click() {
    DocumentWindow* doc = activeDocument();
    if (!doc) return;
    const qsizetype at = doc->txtMain->text().indexOf(QLatin1String("<body"), 0, Qt::CaseInsensitive);
    if (at >= 0) {
        // The caret inside the tag's name, then Edit Tag on it.
        doc->txtMain->setSelStart(int(at) + 2);
        initEditTag();
        mnuPopupEditTag_Click();
        return;
    }
    if (const EditableTag* row = editableTag(QStringLiteral("BODY"))) showEditableTagDialog(*row);
}

void mdiMain::showQuickTable() {
    // One grid at a time: a new press starts it afresh.
    for (Form* form : Form::forms())
        if (auto* open = qobject_cast<frmQuickTable*>(form)) open->unload();
    auto* grid = new frmQuickTable(this);
    grid->load();
    // Under the right end of the Table toolbar, where its last button is.
    const QPoint at = tbrTable->mapToGlobal(QPoint(tbrTable->width() - 22, tbrTable->height()));
    grid->move(at);
    grid->show();
    grid->activateWindow();
    grid->chkLabelCells->setFocus();
}

}  // namespace kavrin
