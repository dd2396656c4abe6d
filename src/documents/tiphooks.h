#pragma once
// Where the source editor's key and mouse handling hands over to the attribute and value tips,
// tag completion, Edit Tag and the file list's drag and drop. Each of those modules fills in its
// own function here; until then they do nothing, so typing works without them.
#include <QString>

class QDragMoveEvent;
class QDropEvent;

namespace kavrin {

class DocumentWindow;

// The values the attribute accepts, after "=" inside the tag `tagName`.
void showValueTips(DocumentWindow* doc, const QString& tagName, const QString& attribute, bool fromKey);
// The attributes of the tag `tagText` ("<" and the name), after a blank; `caret` is the
// selection start before the key.
void showAttributeTips(DocumentWindow* doc, const QString& tagText, int caret);
// Puts the tip list's selected entry into the source.
void acceptTip(DocumentWindow* doc);
// ">" typed: may complete the tag or comment and then swallow the key (keyCode = 0).
void closeAngleTyped(DocumentWindow* doc, int& keyCode);
// Blank typed inside an unclosed start tag (`tagText` from its "<" up to the caret).
void completeTagOnKey(DocumentWindow* doc, const QString& tagText, int& keyCode);
// File list items dragged over or dropped on a document's editor.
void editorDragOver(DocumentWindow* doc, QDragMoveEvent* event);
void editorDragDrop(DocumentWindow* doc, QDropEvent* event);

}  // namespace kavrin
