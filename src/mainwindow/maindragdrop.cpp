// Dragging files out of the file list: onto a folder of the folder tree to move or copy them,
// onto a document or the document area to open them. Files dragged in from a file manager open
// the same way.
#include <QDrag>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMdiArea>
#include <QMimeData>
#include <QPainter>

#include "documents/documentwindow.h"
#include "documents/fileops.h"
#include "documents/globals.h"
#include "documents/tiphooks.h"
#include "mainwindow/mdiMain.h"
#include "panes/fileitems.h"
#include "panes/filedrag.h"
#include "panes/frmMenu.h"
#include "platform/forms/eventwatcher.h"
#include "platform/files/filesystem.h"
#include "platform/forms/msgbox.h"
#include "platform/system/screen.h"
#include "platform/files/textfile.h"

namespace kavrin {

namespace {

constexpr int kMaxDocuments = 99;

QString withSlash(const QString& folder) {
    return folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
}

// The drag's picture: one file, or a small stack for several.
QPixmap dragPicture(int count) {
    const QPixmap file = paneImage(QStringLiteral("xxx")).pixmap(32, 32);
    if (count == 1) return file;
    QPixmap stack(40, 40);
    stack.fill(Qt::transparent);
    QPainter p(&stack);
    p.drawPixmap(8, 0, file);
    p.drawPixmap(0, 8, file);
    return stack;
}

DocumentWindow* documentShowing(const QString& path) {
    for (DocumentWindow* doc : documentWindows())
        if (samePath(doc->filePath, path)) return doc;
    return nullptr;
}

// What a document or the document area takes: the program's own file list items, or local
// files from elsewhere.
bool acceptsDocumentDrop(const QMimeData* data) {
    return readFileListDrag(data, nullptr) || !droppedLocalFiles(data).isEmpty();
}

QStringList documentDropPaths(const QMimeData* data) {
    FileListDrag drag;
    if (!readFileListDrag(data, &drag)) return droppedLocalFiles(data);
    QStringList paths;
    for (const QString& name : drag.names) paths << drag.folder + name;
    return paths;
}

// Opens what a drop on a document or the document area brought, once the drop has finished.
void takeDocumentDrop(QDropEvent* event) {
    if (!mainWindow || !acceptsDocumentDrop(event->mimeData())) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    const QStringList paths = documentDropPaths(event->mimeData());
    QMetaObject::invokeMethod(mainWindow, [paths] {
        if (mainWindow) mainWindow->openDroppedFiles(paths);
    }, Qt::QueuedConnection);
}

void answerDocumentDrag(QDragMoveEvent* event) {
    if (acceptsDocumentDrop(event->mimeData()))
        event->acceptProposedAction();
    else
        event->ignore();
}

}  // namespace

// ---- The editor's drop handlers -----------------------------------------------------------------

void editorDragOver(DocumentWindow*, QDragMoveEvent* event) { answerDocumentDrag(event); }

void editorDragDrop(DocumentWindow*, QDropEvent* event) { takeDocumentDrop(event); }

// ---- Starting a drag ----------------------------------------------------------------------------

void mdiMain::connectDragAndDrop() {
    filList->onStartDrag = [this](int button) { filList_StartDrag(button); };
    treMain->setAcceptDrops(true);
    treMain->onDragOver = [this](QDragMoveEvent* event) { treMain_DragOver(event); };
    treMain->onDragLeave = [this] { treMain->setDropHighlight(nullptr); };
    treMain->onDragDrop = [this](QDropEvent* event) { treMain_DragDrop(event); };
}

void mdiMain::watchDocumentAreaDrops() {
    if (!mdi_ || mdi_->viewport()->property("kavrinDrops").toBool()) return;
    QWidget* area = mdi_->viewport();
    area->setProperty("kavrinDrops", true);
    area->setAcceptDrops(true);
    auto* watcher = new EventWatcher(area);
    watcher->filter = [this](QObject*, QEvent* event) {
        switch (event->type()) {
        case QEvent::DragEnter:
        case QEvent::DragMove:
            MDIForm_DragOver(static_cast<QDragMoveEvent*>(event));
            return true;
        case QEvent::Drop:
            MDIForm_DragDrop(static_cast<QDropEvent*>(event));
            return true;
        default:
            return false;
        }
    };
    area->installEventFilter(watcher);
}

void mdiMain::filList_StartDrag(int button) {
    FileListDrag drag;
    drag.folder = withSlash(files->path());
    drag.button = button;
    for (int row : filList->selectedRows()) drag.names << filList->text(row);
    if (drag.names.isEmpty() || files->path().isEmpty()) return;
    draggedFileNames = drag.names;
    dragButton = button;
    auto* qdrag = new QDrag(filList);
    qdrag->setMimeData(fileListDragData(drag));
    qdrag->setPixmap(dragPicture(int(drag.names.size())));
    qdrag->exec(Qt::MoveAction | Qt::CopyAction, Qt::MoveAction);
}

// ---- Dropping on the folder tree ----------------------------------------------------------------

void mdiMain::treMain_DragOver(QDragMoveEvent* event) {
    if (!readFileListDrag(event->mimeData(), nullptr)) {
        event->ignore();
        return;
    }
    QTreeWidgetItem* node = treMain->itemAt(event->position().toPoint());
    treMain->setDropHighlight(node);
    if (node)
        event->acceptProposedAction();
    else
        event->ignore();
}

void mdiMain::treMain_DragDrop(QDropEvent* event) {
    FileListDrag drag;
    if (!readFileListDrag(event->mimeData(), &drag)) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    QTreeWidgetItem* target = treMain->itemAt(event->position().toPoint());
    treMain->setDropHighlight(target);
    const QPoint where = QCursor::pos();
    const QString targetKey = PaneTree::key(target);
    const bool onNode = target != nullptr;
    // Questions and the pop-up come once the drag itself has ended.
    QMetaObject::invokeMethod(this, [this, drag, targetKey, onNode, where] {
        QTreeWidgetItem* remembered = treMain->selectedNode();
        auto finish = [this, remembered] {
            treMain->setDropHighlight(nullptr);
            if (remembered) treMain->selectNode(remembered);
            treMain->setFocus();
        };
        if (!onNode) {
            finish();
            return;
        }
        if (!targetKey.startsWith(QLatin1Char('/')) || !folderExistsBounded(targetKey)) {
            msgBox(QStringLiteral("Unable to move file(s) to the specified location."), vbExclamation,
                   QStringLiteral("Error Moving File"));
            finish();
            return;
        }
        dragButton = drag.button;
        draggedFileNames = drag.names;
        dragDropPath1 = withSlash(drag.folder);
        dragDropPath2 = withSlash(targetKey);
        if (dragButton == 2) {
            if (QTreeWidgetItem* node = treMain->findKey(targetKey)) treMain->selectNode(node);
            runPopupMenu(frmMenuInstance()->mnuDragDrop, where);
        } else if (dragButton == 1) {
            transferDraggedFiles(true);
        }
        finish();
    }, Qt::QueuedConnection);
}

void mdiMain::transferDraggedFiles(bool move) {
    const QString errorTitle = move ? QStringLiteral("Error Moving File") : QStringLiteral("Error Copying File");
    // The same folder, also by another path (a link, a bind mount): every file would be
    // "replaced" by itself.
    if (dragDropPath1 == dragDropPath2 || sameFileOnDisk(dragDropPath1, dragDropPath2)) {
        msgBox(QStringLiteral("Cannot move the selected file(s):  The source and destination filenames are the same."),
               vbExclamation, QStringLiteral("Error Moving File"));
        return;
    }
    for (qsizetype i = draggedFileNames.size() - 1; i >= 0; --i) {
        const QString name = draggedFileNames[i];
        const QString from = dragDropPath1 + name;
        const QString to = dragDropPath2 + name;
        auto fail = [&](const QString& why) {
            msgBox("Unable to " + QString(move ? "move" : "copy") + " '" + from + "' to '" + dragDropPath2 +
                       "'.\n\n" + why,
                   vbExclamation, errorTitle);
        };
        if (!fileExists(from)) {
            fail(QStringLiteral("The file no longer exists."));
            return;
        }
        bool replace = false;
        if (entryExists(to)) {
            if (sameFileOnDisk(from, to)) {
                msgBox(QStringLiteral(
                           "Cannot move the selected file(s):  The source and destination filenames are the same."),
                       vbExclamation, QStringLiteral("Error Moving File"));
                return;
            }
            const QFileInfo existing(to);
            if (existing.isDir()) {
                fail(QStringLiteral("A folder of that name is already there."));
                return;
            }
            // The document would go on showing, and saving, the file this one replaces.
            if (documentShowing(to)) {
                fail("'" + to + "' is open in a document. Close it before you replace it.");
                return;
            }
            const QFileInfo source(from);
            const int answer = msgBox(replaceQuestion(name, existing.size(), existing.lastModified(), source.size(),
                                                      source.lastModified()),
                                      vbYesNoCancel | vbDefaultButton2 | vbExclamation,
                                      QStringLiteral("Confirm File Replace"));
            if (answer == vbCancel) return;
            if (answer != vbYes) continue;
            replace = true;
        }
        DocumentWindow* following = move ? documentShowing(from) : nullptr;
        // A document whose file is as it read it goes on knowing it at its new place (a move to
        // another disk makes a new file of it); one that another program has written since
        // still asks before it saves.
        const bool asRead = following && fileStampOf(from) == following->diskStamp;
        QString why;
        const bool done = move ? moveFileSafely(from, to, replace, &why) : copyFileAtomically(from, to, replace, &why);
        if (!done) {
            fail(why);
            return;
        }
        if (!move) continue;
        if (following) documentFollowsFile(following, to);
        if (following && asRead) following->diskStamp = fileStampOf(to);
        if (files && withSlash(files->path()) == dragDropPath1) filList->removeItem(filList->findText(name));
    }
}

// ---- Dropping on the document area --------------------------------------------------------------

void mdiMain::MDIForm_DragOver(QDragMoveEvent* event) { answerDocumentDrag(event); }

void mdiMain::MDIForm_DragDrop(QDropEvent* event) { takeDocumentDrop(event); }

void mdiMain::openDroppedFiles(const QStringList& paths) {
    setBusy(true);
    const QPointer<mdiMain> self(this);
    closeLoneUntitledDocument([self, paths] {
        if (!self) return;
        self->openFilesInTurn(paths, [self](const QString& path) {
            if (QFileInfo(path).isDir()) return true;
            if (Form::documentCount() >= kMaxDocuments) {
                setBusy(false);
                msgBox(QStringLiteral("You already have 99 documents open."), vbInformation,
                       QStringLiteral("Error: Too Many Open Documents."));
                return false;
            }
            self->openFile(path);
            return true;
        });
    });
}

void mdiMain::documentFollowsFile(DocumentWindow* doc, const QString& newPath) {
    if (!doc) return;
    doc->filePath = newPath;
    renameDocumentTab(doc);
    doc->setCaption(fileNameOf(newPath));
    if (doc == activeDocument()) documentFolder = documentFolderOf(newPath);
}

}  // namespace kavrin
