// The Edit menu's and the case commands on the active document.
#include <QApplication>
#include <QClipboard>
#include <QMimeData>

#include "documents/colouring/colorcoding.h"
#include "documents/colouring/coloredreplace.h"
#include "documents/colouring/colorrange.h"
#include "documents/colouring/colorrtf.h"
#include "documents/documentwindow.h"
#include "documents/editorevents.h"
#include "documents/globals.h"
#include "documents/indent.h"
#include "documents/progress.h"
#include "mainwindow/mdiMain.h"
#include "platform/system/convert.h"
#include "platform/web/dhtmledit.h"
#include "platform/forms/msgbox.h"
#include "platform/richtext/richtextbox.h"
#include "platform/system/screen.h"

#include <cmath>

namespace kavrin {

namespace {

// The document an edit command works on in its source: none without a document, and none in
// the design view, whose own commands take over there.
DocumentWindow* sourceDocument() {
    DocumentWindow* doc = activeDocument();
    if (!doc || doc->mode == 2) return nullptr;
    return doc;
}

// Go to Line and the case commands work on the source in every view.
DocumentWindow* anyDocument() {
    DocumentWindow* doc = activeDocument();
    return doc && doc->txtMain ? doc : nullptr;
}

// Lower case throughout, then upper case at the selection's start and after every white-space
// character; a word that starts with another character ("<b>word") keeps it.
QString properCase(const QString& text) {
    QString out = text.toLower();
    bool wordStart = true;
    for (QChar& c : out) {
        if (wordStart) c = c.toUpper();
        const char16_t u = c.unicode();
        wordStart = u == u' ' || u == u'\t' || u == u'\n' || u == u'\v' || u == u'\f' || u == u'\r' || u == 0;
    }
    return out;
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
    connect(mnuEditSelectAll, &QAction::triggered, this, &mdiMain::mnuEditSelectAll_Click);
    connect(mnuEditIndent, &QAction::triggered, this, &mdiMain::mnuEditIndent_Click);
    connect(mnuEditUnindent, &QAction::triggered, this, &mdiMain::mnuEditUnindent_Click);
    connect(mnuEditGotoLine, &QAction::triggered, this, &mdiMain::mnuEditGotoLine_Click);
    connect(mnuPopupIndent, &QAction::triggered, this, &mdiMain::mnuEditIndent_Click);
    connect(mnuPopupUnindent, &QAction::triggered, this, &mdiMain::mnuEditUnindent_Click);
    connect(mnuToolsFormatUppercase, &QAction::triggered, this, &mdiMain::mnuToolsFormatUppercase_Click);
    connect(mnuToolsFormatLowercase, &QAction::triggered, this, &mdiMain::mnuToolsFormatLowercase_Click);
    connect(mnuToolsFormatPropercase, &QAction::triggered, this, &mdiMain::mnuToolsFormatPropercase_Click);
}

void mdiMain::mnuEditUndo_Click() {
    if (designCommand(DECMD_UNDO)) return;
    // The browse view shows the page, not the source the history belongs to.
    if (DocumentWindow* doc = sourceDocument(); doc && doc->mode == 0) doc->undoChange();
}

void mdiMain::mnuEditRedo_Click() {
    if (designCommand(DECMD_REDO)) return;
    if (DocumentWindow* doc = sourceDocument(); doc && doc->mode == 0) doc->redoChange();
}

void mdiMain::mnuEditCopy_Click() {
    if (designCommand(DECMD_COPY)) return;
    DocumentWindow* doc = sourceDocument();
    if (!doc || doc->txtMain->selLength() == 0) return;
    putOnClipboard(doc->txtMain->selText());
}

void mdiMain::mnuEditCut_Click() {
    if (designCommand(DECMD_CUT)) return;
    DocumentWindow* doc = sourceDocument();
    if (!doc || doc->txtMain->selLength() == 0) return;
    RichTextBox* editor = doc->txtMain;
    putOnClipboard(editor->selText());
    selStartBeforeChange = editor->selStart();
    selLengthBeforeChange = editor->selLength();
    editor->setSelText(QString());
}

void mdiMain::mnuEditPaste_Click() {
    if (designCommand(DECMD_PASTE)) return;
    DocumentWindow* doc = sourceDocument();
    if (!doc) return;
    // Something that is not text (a picture, files) pastes nothing, so the selection stays.
    const QMimeData* data = QApplication::clipboard()->mimeData();
    if (!data || !data->hasText()) return;
    const QString clip = withCrLfBreaks(data->text());
    if (clip.isEmpty()) return;
    RichTextBox* editor = doc->txtMain;
    selStartBeforeChange = editor->selStart();
    selLengthBeforeChange = editor->selLength();
    replaceSelectionColored(editor, clip);
    // The caret moved while its position was not being shown.
    if (colorCoding) doc->txtmain_SelChange();
}

void mdiMain::mnuEditSelectAll_Click() {
    if (designCommand(DECMD_SELECTALL)) return;
    if (DocumentWindow* doc = sourceDocument()) selectRange(0, doc->txtMain->textLength());
}

void mdiMain::mnuEditIndent_Click() {
    if (designCommand(DECMD_INDENT)) return;
    if (sourceDocument()) indentSelection();
}

void mdiMain::mnuEditUnindent_Click() {
    if (designCommand(DECMD_OUTDENT)) return;
    if (sourceDocument()) unindentSelection();
}

void mdiMain::mnuEditGotoLine_Click() {
    DocumentWindow* doc = anyDocument();
    if (!doc) return;
    RichTextBox* editor = doc->txtMain;
    const int len = editor->textLength();
    const int lastLine = editor->lineFromChar(len);
    const QString answer = inputBox("Enter a line number (1-" + QString::number(lastLine + 1) + ")", "Go to line");
    int line = editor->lineFromChar(editor->selStart());
    if (const std::optional<double> number = cdbl(answer)) {
        // The line's start is looked up by its number, so the empty line after a final line
        // break is reachable too; numbers outside the text go to its first or last line.
        const double target = *number - 1;
        if (!std::isfinite(target) || target > lastLine + 1)
            line = lastLine;
        else if (target < -1)
            line = 0;
        else
            line = int(qBound<long long>(0LL, roundHalfEven(target), (long long)lastLine));
    }
    editor->setSelStart(editor->lineIndex(line));
    editor->setFocus();
}

void mdiMain::changeSelectionCase(quint8 kind) {
    DocumentWindow* doc = anyDocument();
    if (!doc || doc->txtMain->selLength() == 0) return;
    RichTextBox* editor = doc->txtMain;
    const int start = editor->selStart();
    const int length = editor->selLength();
    const QString text = editor->selText();
    QString changed = text;
    if (kind == 0)
        changed = text.toLower();
    else if (kind == 1)
        changed = text.toUpper();
    else if (kind == 2)
        changed = properCase(text);
    editor->setRedraw(false);
    setBusy(true);
    // Replacing a text by itself would still be recorded as a step that undoes nothing.
    if (changed != text) {
        EditProgress progress(editor, 2);
        selStartBeforeChange = start;
        selLengthBeforeChange = length;
        // A coded page has the selection blackened before it is replaced, so the new text goes
        // in black, to be recoloured.
        if (colorCoding)
            editor->setSelText(changed, {{start, int(changed.size()), 0}});
        else
            editor->setSelText(changed);
        progress.stage(1);
        // Some characters change length with their case ("ß" becomes "SS"); the recolour
        // covers what went in.
        if (colorCoding) colorCodeRange(editor, start, int(changed.size()));
    }
    setBusy(false);
    editor->setRedraw(true);
    editor->setSelStart(start);
}

void mdiMain::mnuToolsFormatUppercase_Click() { changeSelectionCase(1); }
void mdiMain::mnuToolsFormatLowercase_Click() { changeSelectionCase(0); }
void mdiMain::mnuToolsFormatPropercase_Click() { changeSelectionCase(2); }

}  // namespace kavrin
