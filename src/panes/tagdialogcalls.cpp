#include "panes/tagdialogcalls.h"

#include "documents/globals.h"
#include "platform/screen.h"

namespace kavrin {

QStringList& tagDialogRequests() {
    static QStringList requests;
    return requests;
}

void showImageDialog() {
    // The image dialog puts the normal pointer back while it loads the picture.
    setBusy(false);
    tagDialogRequests() << QStringLiteral("frmImage: ") + dialogKind;
}

void showHyperlinkDialog() {
    tagDialogRequests() << QStringLiteral("frmHrefAnchor: ") + dialogKind;
}

}  // namespace kavrin
