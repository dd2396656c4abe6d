#include "documents/colouring/colorcoding.h"

#include <QFile>

#include <functional>

#include "documents/colouring/colorrtf.h"
#include "documents/documentwindow.h"
#include "documents/globals.h"
#include "documents/progress.h"
#include "documents/colouring/tagclasses.h"
#include "mainwindow/mdiMain.h"
#include "platform/forms/msgbox.h"
#include "platform/files/ownfiles.h"
#include "platform/system/screen.h"
#include "platform/files/textfile.h"

namespace kavrin {

namespace {

void setColorMenus(bool on) {
    if (mdiMain* main = mainWindow) {
        main->mnuToolsColorCodeRefresh->setEnabled(on);
        main->mnuToolsColorCodeYes->setChecked(on);
        main->mnuToolsColorCodeNo->setChecked(!on);
    }
}

// The work files are the program's own scratch copies, rewritten on every pass: they are written
// without the sync to disk a user's file gets, and a piece at a time as they are made, so that
// neither is ever held whole beside the text (the RTF of a page of many tags is twice it and more).
bool writeWorkFile(const QString& path, const std::function<bool(const OwnBytesSink&)>& produce, QString* error) {
    return writeOwnFile(path, produce, error, 0600) == OwnWrite::Written;
}

// The text as UTF-8, a piece at a time.
bool putUtf8(QStringView text, const OwnBytesSink& put) {
    constexpr qsizetype kPiece = 1 << 18;
    for (qsizetype at = 0; at < text.size();) {
        qsizetype n = qMin(kPiece, text.size() - at);
        // A surrogate pair is one character, encoded whole.
        if (at + n < text.size() && text[at + n - 1].isHighSurrogate()) ++n;
        const QByteArray bytes = text.mid(at, n).toUtf8();
        if (!put(bytes.constData(), bytes.size())) return false;
        at += n;
    }
    return true;
}

}  // namespace

void colorCodeDocument(DocumentWindow* doc) {
    if (!doc) return;
    RichTextBox* editor = doc->txtMain;
    const QString original = editor->text();
    if (original.isEmpty()) return;

    setBusy(true);
    const int caret = editor->selStart();
    editor->tag = "T";
    colorCoding = true;

    QString failure;
    const QString htmPath = tempPath + "temp.htm";
    const QString rtfPath = tempPath + "temp.rtf";
    // The work copy is always UTF-8 with CR LF.
    if (!writeWorkFile(htmPath, [&original](const OwnBytesSink& put) { return putUtf8(original, put); }, &failure))
        failure = "temp.htm: " + failure;

    showProgress(true, int(qMin<qsizetype>(original.size(), INT_MAX)));
    setColorMenus(true);

    if (failure.isEmpty()) {
        // The file is what gets loaded: a pass never loads a file an earlier pass left behind.
        QFile::remove(rtfPath);
        const auto writeRtf = [&original](const OwnBytesSink& put) {
            return writeColorRtf(original, currentTagColors(), fontName, fontSize, put,
                                 [](qsizetype done) { updateProgress(int(qMin<qsizetype>(done, INT_MAX))); });
        };
        if (!writeWorkFile(rtfPath, writeRtf, &failure)) failure = "temp.rtf: " + failure;
    }

    ignoreChange = true;
    editor->setRedraw(false);
    bool loaded = false;
    if (failure.isEmpty()) {
        // Read back a piece at a time: the RTF of a long page is three times its size.
        QFile back(rtfPath);
        if (!back.open(QIODevice::ReadOnly)) failure = back.errorString();
        if (failure.isEmpty()) {
            loaded = editor->loadRtf(back);
            if (!loaded) failure = editor->lastError().isEmpty() ? QStringLiteral("Invalid file format") : editor->lastError();
            // The colours may change, the characters never: anything else counts as a failed load.
            else if (editor->text() != original) {
                loaded = false;
                failure = QStringLiteral("The colored text differs from the document");
            }
        }
    }

    if (!loaded) {
        msgBox("An error occurred while Kavrin was color coding this document.", vbExclamation,
               failure.isEmpty() ? QStringLiteral("Error") : failure);
        // The document's own text stays, unsaved edits included; never reloaded from disk.
        if (editor->text() != original) editor->setText(original);
        editor->select(0, editor->textLength());
        editor->setSelColor(0);
        editor->setSelStart(0);
        setColorMenus(false);
        editor->tag = "F";
        colorCoding = false;
    }

    showProgress(false);
    editor->setSelStart(qMin(caret, editor->textLength()));
    editor->setRedraw(true);
    editor->setFocus();
    ignoreChange = false;
    setBusy(false);
}

}  // namespace kavrin
