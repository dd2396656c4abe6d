#pragma once
// Recolouring the neighbourhood of a changed stretch of the source, and the text searches that
// colouring as you type shares with it.
#include <QString>
#include <QStringView>

#include "platform/richtext/splittext.h"

namespace kavrin {

class RichTextBox;

// Recolours the tags and comments from the last "<" before `start` through the end of the
// `length` characters at `start` (0-based offsets) in the active document.
void colorCodeRange(int start, int length);
// The same in a given editor.
void colorCodeRange(RichTextBox* editor, int start, int length);
// After a change (`inserted` characters at `start` in place of `removed`) recoloured by
// colorCodeRange, gives the text after it the colours a whole-page pass gives it as far as the
// change reaches: a comment the change opened or closed runs on past it, or stops running on.
void colorCodeRunOn(RichTextBox* editor, int start, QStringView removed, int inserted);
// After any change (`inserted` characters at `start` in place of `removed`) to a page coloured
// whole, gives the changed text and what follows it the colours a whole-page pass gives them, as
// far as they can differ; the rest of the page keeps its colours.
void colorCodeChanged(RichTextBox* editor, int start, QStringView removed, int inserted);
// Replaces the selection of a page coloured whole with `text` (CR LF breaks), the new text going
// in already in the colours a whole-page pass gives it, and the text around it as far as they
// can differ.
void pasteColored(RichTextBox* editor, const QString& text);

// Index of the last `c` in text before index `before` (-1 when there is none).
qsizetype lastIndexBefore(QStringView text, char16_t c, qsizetype before);
// Start of the comment that is open at `limit`: the last "<!--" lying wholly before index
// `limit` when no "-->" lying wholly before `limit` starts after it; -1 otherwise.
qsizetype openCommentBefore(QStringView text, qsizetype limit);

// What colour as you type looks at around the caret: the comment open at it, the tag it stands
// in, and where they end.
struct CaretSurroundings {
    qsizetype comment = -1;       // the "<" of the comment open at the caret
    qsizetype commentClose = -1;  // the first "-->" from just before the caret (with a comment)
    qsizetype lt = -1;            // the last "<" before the caret
    qsizetype gt = -1;            // the last ">" before the caret
    qsizetype prevGt = -1;        // the ">" before that, when gt is just before the caret
    qsizetype nextGt = -1;        // the first ">" at or after the caret
    qsizetype nextLt = -1;        // the first "<" at or after the caret
    QString tagText;              // the up to 12 characters after lt
    qsizetype closedComment = -1; // the "<" of the comment that a "-->" just before the caret closes
};
CaretSurroundings caretSurroundings(QStringView text, qsizetype caret);
// The same for a text split at the caret: the caret stands between `head` and `tail`.
CaretSurroundings caretSurroundings(const SplitText& text);

// What colour as you type does about it, given the colour at the caret: nothing, colour a range,
// or only set the typing colour.
struct CaretRecolor {
    enum Kind { Nothing, Range, TypingColor } kind = Nothing;
    qsizetype start = 0;
    qsizetype length = 0;
    int color = 0;
    // Where a comment closed at the caret now ends: the text after it may still show the colour
    // of the longer comment it was part of until then. -1 when no comment closed.
    qsizetype restoreFrom = -1;
};
CaretRecolor recolorAroundCaret(const CaretSurroundings& around, qsizetype caret, int caretColor);

// The same surroundings for a text that is being edited from its start to its end, as Replace
// All edits it: `edited` (the text up to the caret, which only ever grows at its end) followed by
// `rest` (the text after it, as it was, of which only ever less is left). What earlier calls
// looked at is not looked at again, so a whole pass costs as much as reading the text once.
class CaretScanner {
public:
    // `original` is the text before the first edit; `rest` is always a tail of it.
    explicit CaretScanner(QStringView original) : original_(original) {}
    CaretSurroundings at(QStringView edited, qsizetype restStart);

private:
    QStringView original_;
    qsizetype scanned_ = 0;   // edited text before this has been looked at
    qsizetype lastLt_ = -1, lastGt_ = -1, prevGt_ = -1;
    qsizetype settled_ = 0;   // "-" before this decide the comment state the same for every caret after
    qsizetype settledComment_ = -1;
    bool settledDecided_ = false;
    qsizetype nextGt_ = -2, nextLt_ = -2, nextClose_ = -2;  // in `original`; -2: not looked for
    qsizetype gtFrom_ = 0, ltFrom_ = 0, closeFrom_ = 0;
};

}  // namespace kavrin
