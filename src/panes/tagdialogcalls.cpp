#include "panes/tagdialogcalls.h"

#include "documents/globals.h"
#include "mainwindow/mdiMain.h"
#include "platform/system/screen.h"
#include "tagdialogs/tagdialog.h"
#include "tagdialogs/text/frmHrefAnchor.h"
#include "tagdialogs/text/frmImage.h"

namespace kavrin {

QStringList& tagDialogRequests() {
    static QStringList requests;
    return requests;
}

void showImageDialog() {
    // The image dialog puts the normal pointer back while it loads the picture.
    setBusy(false);
    tagDialogRequests() << QStringLiteral("frmImage: ") + dialogKind;
    // In its insert mode the dialog asks the list which picture is chosen.
    fileListSelectedPath = [] { return mainWindow ? mainWindow->selectedFileListPath() : QString(); };
    showModalDialog<frmImage>();
}

void showHyperlinkDialog() {
    tagDialogRequests() << QStringLiteral("frmHrefAnchor: ") + dialogKind;
    // With "Insert href" the dialog takes the chosen file from the list as its address.
    fileListSelectedPath = [] { return mainWindow ? mainWindow->selectedFileListPath() : QString(); };
    showModalDialog<frmHrefAnchor>();
}

}  // namespace kavrin
