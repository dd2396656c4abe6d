#pragma once
// Recolouring the neighbourhood of a changed stretch of the source, and the text searches that
// colouring as you type shares with it.
#include <QStringView>

namespace kavrin {

class RichTextBox;

// Recolours the tags and comments from the last "<" before `start` through the end of the
// `length` characters at `start` (0-based offsets) in the active document.
void colorCodeRange(int start, int length);
// The same in a given editor.
void colorCodeRange(RichTextBox* editor, int start, int length);

// Index of the last `c` in text before index `before` (-1 when there is none).
qsizetype lastIndexBefore(QStringView text, char16_t c, qsizetype before);
// Start of the comment that is open at `limit`: the last "<!--" lying wholly before index
// `limit` when no "-->" lying wholly before `limit` starts after it; -1 otherwise.
qsizetype openCommentBefore(QStringView text, qsizetype limit);

}  // namespace kavrin
