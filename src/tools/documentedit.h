#pragma once
// Program edits of a document's source that the user undoes in one step: the document's own
// change handling records them and marks the document unsaved, as for typing.
#include <QString>

namespace kavrin {

class DocumentWindow;

// Replaces `length` characters at `start` with `text` as one undoable edit, in the typing colour.
void replaceDocumentRange(DocumentWindow* doc, int start, int length, const QString& text);

// Makes the document's source `newText` by replacing only the stretch that differs, as one
// undoable edit; the caret stays where it was (within the new text). Nothing happens when the
// text is already the same. Returns true when the text changed.
bool replaceDocumentText(DocumentWindow* doc, const QString& newText);

}  // namespace kavrin
