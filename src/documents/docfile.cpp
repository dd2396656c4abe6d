#include "documents/docfile.h"

#include <QPointer>

#include <QFileInfo>

#include "documents/colouring/colorops.h"
#include "documents/docstate.h"
#include "documents/documentwindow.h"
#include "documents/fileops.h"
#include "documents/globals.h"
#include "mainwindow/mdiMain.h"
#include "platform/forms/commondialog.h"
#include "platform/forms/msgbox.h"
#include "platform/files/textfile.h"

namespace kavrin {

namespace {

constexpr int kMaxDocuments = 99;

bool isUntitled(const QString& path) { return path.left(8) == QLatin1String("Untitled"); }

// Pages a browser reads as HTML, where a character reference stands for the character itself.
bool isHtmlPage(const QString& path) {
    static const QStringList pages = {"htm", "html", "shtml", "shtm", "xhtml", "hta", "asp", "aspx", "php", "jsp"};
    return pages.contains(QFileInfo(path).suffix().toLower());
}

DocumentWindow* orActive(DocumentWindow* doc) { return doc ? doc : activeDocument(); }

// The second half of Save As: writes the document under `path` and renames it.
void saveOnto(const QPointer<DocumentWindow>& doc, const QString& path);

}  // namespace

QString nextUntitledName() {
    // Reusing a number that an open document still has would give two windows one name.
    QSet<QString> used;
    for (DocumentWindow* doc : documentWindows()) used.insert(doc->filePath);
    for (int n = 0;; ++n) {
        const QString name = "Untitled_" + trimNumber(n);
        if (!used.contains(name)) return name;
    }
}

void newDocument() {
    if (Form::documentCount() >= kMaxDocuments) {
        msgBox("You already have 99 documents open.", vbExclamation, "Error: Too Many Documents Open.");
        return;
    }
    const QString name = nextUntitledName();
    DocumentWindow* doc = createDocumentWindow();
    doc->filePath = name;
    doc->load();
    doc->setCaption("Untitled");
    doc->show();
    doc->focusCurrentView();
    setFileSaved(doc, true);
}

bool writeDocumentFile(DocumentWindow* doc, const QString& path) {
    // Another program (a second editor, a checkout, a sync tool) may have written the file since
    // it was read or last saved here; what it wrote is replaced only when the user says so.
    if (samePath(path, doc->filePath) && doc->diskStamp.known) {
        const FileStamp now = fileStampOf(path);
        if (now.known && now != doc->diskStamp &&
            msgBox("'" + fileTitle(doc->filePath) +
                       "' has been changed by another program since it was opened. Save over it?",
                   vbYesNo + vbExclamation + vbDefaultButton2) != vbYes)
            return false;
    }
    RichTextBox* editor = doc->txtMain;
    const TextFormat format = editor->textFormat();
    // A file's encoding never changes behind the user's back. In a page a browser reads, a
    // character the encoding lacks becomes a character reference, which shows the same; any
    // other file becomes UTF-8 only when the user says so.
    Unencodable unencodable = Unencodable::Refuse;
    if (const qsizetype at = firstUnencodable(editor->text(), format); at >= 0) {
        if (isHtmlPage(path)) {
            unencodable = Unencodable::CharacterReferences;
        } else {
            const QString& text = editor->text();
            const qsizetype n = text[at].isHighSurrogate() && at + 1 < text.size() ? 2 : 1;
            if (msgBox("The file '" + path + "' is kept in the " + encodingName(format.encoding) +
                           " encoding, which cannot hold some of the characters it now contains (the first is \"" +
                           text.mid(at, n) + "\").\r\n\r\nChoose OK to save the file as UTF-8 instead, or Cancel " +
                           "to leave it unsaved.",
                       vbOKCancel + vbExclamation, "Save as UTF-8?") != vbOK)
                return false;
            unencodable = Unencodable::Utf8;
        }
    }
    QString error;
    TextFormat written;
    FileStamp stamp;
    if (writeTextFile(path, editor->text(), format, &error, &written, unencodable, &stamp)) {
        editor->setTextFormat(written);
        doc->diskStamp = stamp;
        return true;
    }
    msgBox("The file '" + path + "' could not be saved.\r\n\r\n" + error, vbExclamation, "Error Saving File");
    return false;
}

void saveDocument(DocumentWindow* target) {
    DocumentWindow* doc = orActive(target);
    if (!doc) return;
    // What the design view shows is what gets saved, once the page has told all of it.
    const QPointer<DocumentWindow> later(doc);
    if (!doc->whenDesignCurrent([later] {
            if (later) saveDocument(later);
        }))
        return;
    if (doc->mode == 2 && doc->applyDesignToSource()) setFileSaved(doc, false);
    if (isUntitled(doc->filePath)) {
        saveDocumentAs(doc);
        return;
    }
    if (!writeDocumentFile(doc, doc->filePath)) return;
    setFileSaved(doc, true);
    showDocumentSize();
}

void saveDocumentAs(DocumentWindow* target, const QString& title) {
    DocumentWindow* doc = orActive(target);
    if (!doc) return;
    const QPointer<DocumentWindow> later(doc);
    if (!doc->whenDesignCurrent([later, title] {
            if (later) saveDocumentAs(later, title);
        }))
        return;
    if (doc->mode == 2) doc->applyDesignToSource();

    CommonDialog dialog;
    dialog.dialogTitle = title.isEmpty() ? QStringLiteral("Save Filen As") : title;
    dialog.filter = fileDialogFilter;
    dialog.flags = 0x200804;
    dialog.owner = mainWindow;
    if (!dialog.showSave()) return;
    const QString path = dialog.fileName;
    if (path.isEmpty()) return;

    if (fileExists(path)) {
        if (msgBox("The file '" + path + "' already exists.\n\nDo you want to replace it?", vbYesNo + vbExclamation,
                   "Confirm File Replace") == vbNo)
            return;
    }

    saveOnto(doc, path);
}

namespace {

void saveOnto(const QPointer<DocumentWindow>& doc, const QString& path) {
    if (!doc || doc->isUnloading()) return;
    // Another window showing the target closes first; if the user keeps it open, writing the file
    // under it would leave that window's unsaved text and the file disagreeing, so stop. Its
    // design view may first have to tell what was typed into it: the save goes on after.
    for (DocumentWindow* other : documentWindows()) {
        if (other == doc || other->isUnloading() || !samePath(other->filePath, path)) continue;
        unloadCancelled = false;
        other->closeThen([doc, path](bool closed) {
            unloadCancelled = false;
            if (closed) saveOnto(doc, path);
        });
        return;
    }
    // While that window was being asked, the saving one may have been typed into.
    if (!doc->whenDesignCurrent([doc, path] { saveOnto(doc, path); })) return;
    if (doc->mode == 2) doc->applyDesignToSource();

    if (!writeDocumentFile(doc, path)) return;
    doc->filePath = path;
    if (mainWindow) mainWindow->renameDocumentTab(doc);
    setFileSaved(doc, true);
    doc->setCaption(fileNameOf(path));
    // The design view takes its pictures and links from the new folder.
    if (doc->mode == 2) doc->reloadDesign(path);
    // A save that waited on another window may end with a third one active.
    if (doc == activeDocument()) documentFolder = folderOf(QString(path).replace('\\', '/'));
    showDocumentSize();
    if (mainWindow) mainWindow->populateFileList();
}

}  // namespace

}  // namespace kavrin
