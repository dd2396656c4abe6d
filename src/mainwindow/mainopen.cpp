// Opening files into document windows, File > Open and the recent-files list of File > Reopen.
#include <QDir>
#include <QFileInfo>
#include <QMdiArea>
#include <QPointer>

#include "documents/docstate.h"
#include "documents/documentwindow.h"
#include "documents/fileops.h"
#include "documents/globals.h"
#include "documents/progress.h"
#include "mainwindow/mdiMain.h"
#include "platform/forms/commondialog.h"
#include "platform/forms/msgbox.h"
#include "platform/system/screen.h"

namespace kavrin {

namespace {

// The most documents open at once.
constexpr int kMaxDocuments = 99;

// A path shows in a menu as it is: "&" is not an accelerator there.
QString menuText(const QString& path) {
    return QString(path).replace('&', QStringLiteral("&&"));
}

}  // namespace

void mdiMain::openFile(const QString& path) {
    // Anything that is there but is no file (a folder, a FIFO) is refused further on with the
    // reason, not called missing.
    if (!QFileInfo::exists(path)) {
        msgBox("The file '" + path + "' does not exist.", vbExclamation, "File Not Found");
        return;
    }
    if (Form::documentCount() >= kMaxDocuments) {
        msgBox("You already have 99 documents open.", vbExclamation, appTitle);
        return;
    }
    for (DocumentWindow* doc : documentWindows()) {
        if (samePath(doc->filePath, path)) {
            bringDocumentForward(doc);
            return;
        }
    }

    // A lone untouched new document gives way to the file (below); one in Design is judged by
    // what its page holds, which it may first have to tell.
    const QPointer<mdiMain> self(this);
    if (!whenLoneUntitledKnown([self, path] {
            if (self) self->openFile(path);
        }))
        return;

    setBusy(true);
    ignoreChange = true;
    QPointer<DocumentWindow> doc = createDocumentWindow();
    doc->load();
    QString error;
    bool loaded = false;
    if (doc) {
        // The colouring that follows on opening shows a bar of its own.
        EditProgress progress(doc->txtMain, 1, QFileInfo(path).size());
        loaded = doc->loadDocumentFile(path, &error);
    }
    if (!loaded) {
        // An empty window under this path would let a later Save wipe the real file.
        if (doc) {
            doc->fileSaved = true;
            doc->unload();
        }
        ignoreChange = false;
        setBusy(false);
        msgBox("The file '" + path + "' could not be opened.\r\n\r\n" +
                   (error.isEmpty() ? QStringLiteral("It could not be read.") : error),
               vbExclamation, "Error Opening File");
        return;
    }

    // A lone new document that was never touched gives way to the opened file.
    const QVector<DocumentWindow*> open = documentWindows();
    if (open.size() == 2) {
        DocumentWindow* first = open.first() == doc ? open.last() : open.first();
        if (first->filePath == QLatin1String("Untitled_0") && first->fileSaved) first->unload();
    }

    doc->setCaption(path);
    doc->filePath = path;
    doc->show();
    doc->focusCurrentView();
    setFileSaved(doc, true);
    ignoreChange = false;
    setBusy(false);

    addRecentFile(path);
}

void mdiMain::openFilesInTurn(const QStringList& paths, std::function<bool(const QString&)> each,
                              std::function<void()> done) {
    const QPointer<mdiMain> self(this);
    setBusy(true);
    runInTurns(
        this, paths.size(),
        [self, paths, each](std::ptrdiff_t i) {
            // A window on its way out opens nothing more.
            if (!self->isLoaded() || self->isUnloading()) return false;
            setBusy(true);
            return each(paths[i]);
        },
        [self, done] {
            setBusy(false);
            if (done && self->isLoaded() && !self->isUnloading()) done();
        });
}

void mdiMain::mnuFileOpen_Click() {
    CommonDialog dialog;
    dialog.owner = this;
    dialog.dialogTitle = QStringLiteral("Open File");
    dialog.filter = fileDialogFilter;
    dialog.flags = cdlOFNHideReadOnly | cdlOFNFileMustExist | cdlOFNLongNames;
    if (!dialog.showOpen()) return;
    if (dialog.fileName.isEmpty()) return;
    openFile(dialog.fileName);
}

void mdiMain::mnuFileReopenArr_Click(int index) {
    if (index < 0 || index >= mnuFileReopenArr.size()) return;
    const QString path = mnuFileReopenArr[index]->data().toString();
    if (path.isEmpty()) return;
    if (fileExists(path)) {
        openFile(path);
        return;
    }
    // The entry goes before the message, so the list is right whatever the user does next.
    for (int k = index; k + 1 < mnuFileReopenArr.size(); ++k)
        mnuFileReopenArr[k]->setData(mnuFileReopenArr[k + 1]->data());
    mnuFileReopenArr.last()->setData(QString());
    showRecentItems();
    msgBox("The file '" + path + "' no longer exists.", vbOKOnly, appTitle);
}

QStringList mdiMain::recentFiles() const {
    QStringList files;
    for (QAction* item : mnuFileReopenArr) {
        const QString path = item->data().toString();
        if (!path.isEmpty()) files << path;
    }
    return files;
}

void mdiMain::addRecentFile(const QString& path) {
    const int count = int(mnuFileReopenArr.size());
    if (count == 0) return;
    if (samePath(mnuFileReopenArr[0]->data().toString(), path)) return;
    int from = count - 1;  // with no match the last entry drops out
    for (int k = 1; k < count; ++k) {
        if (samePath(mnuFileReopenArr[k]->data().toString(), path)) {
            from = k;
            break;
        }
    }
    for (int j = from; j >= 1; --j) mnuFileReopenArr[j]->setData(mnuFileReopenArr[j - 1]->data());
    mnuFileReopenArr[0]->setData(path);
    showRecentItems();
}

void mdiMain::showRecentItems() {
    // The submenu keeps its first entry, empty while there are no recent files.
    for (int i = 0; i < mnuFileReopenArr.size(); ++i) {
        QAction* item = mnuFileReopenArr[i];
        const QString path = item->data().toString();
        item->setText(menuText(path));
        item->setVisible(i == 0 || !path.isEmpty());
    }
}

}  // namespace kavrin
