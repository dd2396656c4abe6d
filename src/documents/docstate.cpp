#include "documents/docstate.h"

#include <QLocale>
#include <cmath>

#include "documents/documentwindow.h"
#include "documents/globals.h"
#include "mainwindow/mdiMain.h"

namespace kavrin {

namespace {

void enable(QAction* item, bool on) {
    if (item) item->setEnabled(on);
}

QString twoDecimals(double value) {
    // Two decimals, a half going up, no trailing zeros, the locale's decimal separator.
    const double rounded = std::floor(value * 100 + 0.5) / 100;
    QString text = QLocale().toString(rounded, 'f', 2);
    const QChar point = QLocale().decimalPoint().at(0);
    if (text.contains(point)) {
        while (text.endsWith('0')) text.chop(1);
        if (text.endsWith(point)) text.chop(1);
    }
    return text;
}

}  // namespace

QString documentSizeText(qint64 n) {
    if (n < 1000) return QString::number(n) + " bytes";
    if (n < 1000000) return twoDecimals(double(n) / 1024) + " KB";
    return twoDecimals(double(n) / 1024000) + " MB";
}

QString caretPositionText(const RichTextBox* editor) {
    const int line = editor->lineFromChar(-1);
    const int lineStart = editor->lineIndex(-1);
    return "Ln " + QString::number(line + 1) + ", Col " + QString::number(editor->selStart() - lineStart + 1);
}

void setFileSaved(DocumentWindow* doc, bool saved) {
    activeDocSaved = saved;
    if (doc) doc->fileSaved = saved;
    mdiMain* main = mainWindow;
    if (!main) return;
    enable(main->mnuFileSave, !saved);
    main->tbrMainA->setButtonEnabled("save", !saved);
    if (doc) main->setDocumentTabSaved(doc, saved);
    // Every save path and every first change of a document ends here.
    if (doc) emit doc->stateChanged(doc);
}

void setFileSaved(bool saved) {
    setFileSaved(activeDocument(), saved);
}

void enableUndo(bool on) {
    if (mdiMain* main = mainWindow) {
        enable(main->mnuEditUndo, on);
        enable(main->mnuPopupUndo, on);
        main->tbrMainB->setButtonEnabled("undo", on);
    }
}

void enableRedo(bool on) {
    if (mdiMain* main = mainWindow) {
        enable(main->mnuEditRedo, on);
        enable(main->mnuPopupRedo, on);
        main->tbrMainB->setButtonEnabled("redo", on);
    }
}

void enableSaveAllButton(bool on) {
    if (mdiMain* main = mainWindow) {
        enable(main->mnuFileSaveAll, on);
        main->tbrMainA->setButtonEnabled("saveall", on);
    }
}

void enableEditButtons(bool on) {
    mdiMain* main = mainWindow;
    if (!main) return;
    for (QAction* item : {main->mnuFileClose, main->mnuFileSaveAs, main->mnuEditCut, main->mnuEditCopy,
                          main->mnuEditSelectAll, main->mnuEditIndent, main->mnuEditPaste,
                          main->mnuEditGotoLine, main->mnuPopupIndent, main->mnuPopupCut, main->mnuPopupCopy,
                          main->mnuEditUnindent, main->mnuPopupUnindent, main->mnuEditFindReplace,
                          main->mnuFilePrintSource, main->mnuWindowCascade, main->mnuWindowTileHorizontally,
                          main->mnuWindowTileVertically, main->mnuWindowArrangeIcons,
                          main->mnuToolsChangeTagCase, main->mnuToolsRemoveTags, main->mnuToolsColorCode,
                          main->mnuToolsSpell, main->mnuToolsFileDependencies, main->mnuToolsFormat})
        enable(item, on);
    for (const char* key : {"cut", "copy", "print", "paste"}) main->tbrMainA->setButtonEnabled(key, on);
    for (const char* key : {"indent", "unindent", "find", "spell"}) main->tbrMainB->setButtonEnabled(key, on);
    if (!on) {
        enableUndo(false);
        enableRedo(false);
    }
}

void showDocumentSize() {
    DocumentWindow* doc = activeDocument();
    if (!doc || !mainWindow) return;
    if (QLabel* panel = mainWindow->stbPanel(2)) panel->setText(documentSizeText(doc->txtMain->textLength()));
}

}  // namespace kavrin
