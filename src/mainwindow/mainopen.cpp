// Opening files into document windows.
#include <QFileInfo>
#include <QMdiArea>

#include "documents/docstate.h"
#include "documents/documentwindow.h"
#include "documents/fileops.h"
#include "documents/globals.h"
#include "mainwindow/mdiMain.h"
#include "platform/msgbox.h"

namespace kavrin {

void mdiMain::openFile(const QString& path) {
    if (!fileExists(path)) {
        msgBox("The file '" + path + "' does not exist.", vbExclamation, "File Not Found");
        return;
    }
    for (DocumentWindow* doc : documentWindows()) {
        if (samePath(doc->filePath, path)) {
            if (doc->subWindow()) mdiArea()->setActiveSubWindow(doc->subWindow());
            return;
        }
    }
    DocumentWindow* doc = createDocumentWindow();
    doc->load();
    QString error;
    if (!doc->loadDocumentFile(path, &error)) {
        // Opening an unreadable file as an empty document would let a later Save wipe it.
        doc->fileSaved = true;
        doc->unload();
        msgBox("The file '" + path + "' could not be opened.\r\n\r\n" + error, vbExclamation, "Error Opening File");
        return;
    }
    doc->setCaption(fileNameOf(path));
    doc->filePath = path;
    doc->show();
    setFileSaved(doc, true);
}

}  // namespace kavrin
