#pragma once
// What an outside program is given to show a document: the document's own file while it is saved,
// else a copy of its current text in the private work folder.
#include <QString>

namespace kavrin {

class DocumentWindow;

// The path to hand over, "" (with the reason) when no copy could be written.
QString previewPathFor(DocumentWindow* doc, QString* error = nullptr);

// The text with a <base href> to `folderUrl` after its <head> start tag (or in front when it has
// none), so that a copy kept elsewhere still finds its pictures and style sheets. A page that has
// its own <base> is left as it is.
QString withBaseHref(const QString& html, const QString& folderUrl);

}  // namespace kavrin
