#pragma once
// Replace All's sweep over one document: every hit of the pass replaced in one run over the text.
#include <QString>

namespace kavrin {

class DocumentWindow;

// A pass of the find and replace window, as its own variables hold it.
struct FindPass {
    QString find;
    int flags = 0;        // rtfMatchCase, rtfWholeWord
    int searchStart = 0;  // where the next search begins
    int searchEnd = 0;    // where the searches end; -1: within the remembered selection
    int rangeStart = 0;   // the remembered selection
    int rangeLength = 0;
};

// Replaces the pass's hits from searchStart on with `replacement`, just as selecting each hit in
// turn and replacing the selection would: one undo step per replacement (none for a hit replaced
// by the very same text), the document marked unsaved, and the tag or comment around each
// replacement coloured as typing colours it; the inserted text is not searched again. The pass
// moves on as the hits are made. Returns the number of replacements.
int replaceAllHits(DocumentWindow* doc, FindPass& pass, const QString& replacement);

}  // namespace kavrin
