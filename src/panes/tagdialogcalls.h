#pragma once
// The tag dialogs that the file list opens: the image dialog (frmImage) and the hyperlink dialog
// (frmHrefAnchor). Both start from dialogKind, which the caller sets first.
#include <QStringList>

namespace kavrin {

// Shows the image dialog modally.
void showImageDialog();
// The hyperlink dialog does not exist yet: the request is only recorded.
void showHyperlinkDialog();

// What each call above was started with ("frmImage: <dialogKind>"), oldest first.
QStringList& tagDialogRequests();

}  // namespace kavrin
