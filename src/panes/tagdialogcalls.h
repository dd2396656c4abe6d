#pragma once
// The tag dialogs that the file list opens: the image dialog (frmImage) and the hyperlink dialog
// (frmHrefAnchor). Both start from dialogKind, which the caller sets first.
#include <QStringList>

namespace kavrin {

// TODO(frmImage): show frmImage modally here once the tag dialogs exist.
void showImageDialog();
// TODO(frmHrefAnchor): show frmHrefAnchor modally here once the tag dialogs exist.
void showHyperlinkDialog();

// What each call above was started with ("frmImage: <dialogKind>"), oldest first, until the
// dialogs exist and can be watched themselves.
QStringList& tagDialogRequests();

}  // namespace kavrin
