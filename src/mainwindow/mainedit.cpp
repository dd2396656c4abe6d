// The Edit menu's undo, redo and clipboard commands on the active document.
#include <QApplication>
#include <QClipboard>
#include <QMimeData>

#include "documents/colorcoding.h"
#include "documents/colorrange.h"
#include "documents/colorrtf.h"
#include "documents/documentwindow.h"
#include "documents/editorevents.h"
#include "documents/globals.h"
#include "mainwindow/mdiMain.h"
#include "platform/richtextbox.h"

namespace kavrin {

namespace {

// Pastes of up to this many characters recolour only around themselves.
constexpr int kRangeRecolorLimit = 12000;

// The document an edit command works on in its source: none without a document, and none in
// the design view, whose own commands take over there once it can edit.
DocumentWindow* sourceDocument() {
    DocumentWindow* doc = activeDocument();
    if (!doc || doc->mode == 2) return nullptr;
    return doc;
}

// Other programs here expect line feeds alone between lines.
void putOnClipboard(const QString& crlfText) {
    QClipboard* clipboard = QApplication::clipboard();
    clipboard->clear();
    QString text = crlfText;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    clipboard->setText(text);
}

}  // namespace

void mdiMain::connectEditCommands() {
    // The shortcut texts stay in the menu, but the keys reach the editor, whose key handling
    // routes them (and sees letters typed while the tip list is open).
    for (QAction* item : {mnuEditUndo, mnuEditRedo, mnuEditCut, mnuEditCopy, mnuEditPaste})
        item->setShortcutContext(Qt::WidgetShortcut);
    connect(mnuEditUndo, &QAction::triggered, this, &mdiMain::mnuEditUndo_Click);
    connect(mnuEditRedo, &QAction::triggered, this, &mdiMain::mnuEditRedo_Click);
    connect(mnuEditCut, &QAction::triggered, this, &mdiMain::mnuEditCut_Click);
    connect(mnuEditCopy, &QAction::triggered, this, &mdiMain::mnuEditCopy_Click);
    connect(mnuEditPaste, &QAction::triggered, this, &mdiMain::mnuEditPaste_Click);
    connect(mnuPopupUndo, &QAction::triggered, this, &mdiMain::mnuEditUndo_Click);
    connect(mnuPopupRedo, &QAction::triggered, this, &mdiMain::mnuEditRedo_Click);
    connect(mnuPopupCut, &QAction::triggered, this, &mdiMain::mnuEditCut_Click);
    connect(mnuPopupCopy, &QAction::triggered, this, &mdiMain::mnuEditCopy_Click);
    connect(mnuPopupPaste, &QAction::triggered, this, &mdiMain::mnuEditPaste_Click);
}

void mdiMain::mnuEditUndo_Click() {
    if (DocumentWindow* doc = sourceDocument()) doc->undoChange();
}

void mdiMain::mnuEditRedo_Click() {
    if (DocumentWindow* doc = sourceDocument()) doc->redoChange();
}

void mdiMain::mnuEditCopy_Click() {
    DocumentWindow* doc = sourceDocument();
    if (!doc || doc->txtMain->selLength() == 0) return;
    putOnClipboard(doc->txtMain->selText());
}

void mdiMain::mnuEditCut_Click() {
    DocumentWindow* doc = sourceDocument();
    if (!doc || doc->txtMain->selLength() == 0) return;
    RichTextBox* editor = doc->txtMain;
    putOnClipboard(editor->selText());
    selStartBeforeChange = editor->selStart();
    selLengthBeforeChange = editor->selLength();
    editor->setSelText(QString());
}

void mdiMain::mnuEditPaste_Click() {
    DocumentWindow* doc = sourceDocument();
    if (!doc) return;
    // Something that is not text (a picture, files) pastes nothing, so the selection stays.
    const QMimeData* data = QApplication::clipboard()->mimeData();
    if (!data || !data->hasText()) return;
    const QString clip = withCrLfBreaks(data->text());
    if (clip.isEmpty()) return;
    RichTextBox* editor = doc->txtMain;
    const bool coded = colorCoding;
    if (coded) editor->setRedraw(false);

    const QString& text = editor->text();
    const int start = editor->selStart();
    if (!text.isEmpty()) {
        // Pasted text must not take the colour of the tag it is pasted against.
        ignoreChange = true;
        const bool beforeTag = start < text.size() && text[start] == u'<';
        const bool afterTag = start > 0 && start <= text.size() && text[start - 1] == u'>';
        if (beforeTag || afterTag) editor->setSelColor(editor->selColor() == commentColor ? commentColor : 0);
        ignoreChange = false;
    }
    const int n = int(clip.size());
    if (coded) {
        ignoreChange = true;
        editor->setSelColor(0);
        ignoreChange = false;
    }
    selStartBeforeChange = editor->selStart();
    selLengthBeforeChange = editor->selLength();
    editor->setSelText(clip);
    if (coded) {
        if (n > kRangeRecolorLimit)
            colorCodeDocument(doc);
        else
            colorCodeRange(editor, start, n);
        ignoreChange = true;
        editor->setSelStart(start + n);
        ignoreChange = false;
        editor->setRedraw(true);
        // The caret moved while its position was not being shown.
        doc->txtmain_SelChange();
    }
}

}  // namespace kavrin
