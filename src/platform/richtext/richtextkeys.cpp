// The keys that move or delete by characters, words and lines, where a line is held as several
// blocks: Qt sees only the block it stands in, and a soft break is a place it would stop at
// without the text having one.
#include "platform/richtext/richtextbox.h"

#include "platform/richtext/colorlayout.h"

#include <QKeyEvent>
#include <QTextBlock>
#include <QTextDocument>

namespace kavrin {

LineSpan RichTextBox::lineSpanAt(int position) const {
    const QTextBlock block = document()->findBlock(position);
    const QTextBlock first = lineFirstBlock(block), last = lineLastBlock(block);
    return {soft_.blockOffset(first), soft_.blockOffset(last) + last.length() - 1};
}

void RichTextBox::moveCaretTo(int offset, bool keep) {
    QTextCursor c = textCursor();
    c.setPosition(toPosition(offset), keep ? QTextCursor::KeepAnchor : QTextCursor::MoveAnchor);
    placeCursor(c);
}

void RichTextBox::keyAsQt(QKeyEvent* e) {
    if (!soft_.isEmpty() && layout_->sideBySide() && verticalAcrossPieces(e)) return;
    if (!soft_.isEmpty() && !layout_->sideBySide() && wrappedAcrossPieces(e)) return;
    if (!soft_.isEmpty() && keyAcrossPieces(e)) return;
    typeAsQt([&] { QPlainTextEdit::keyPressEvent(e); });
}

bool RichTextBox::keyAcrossPieces(QKeyEvent* e) {
    QTextCursor c = textCursor();
    const QTextBlock block = c.block();
    const bool selecting = e->modifiers() & Qt::ShiftModifier;
    const bool backspace = e->key() == Qt::Key_Backspace && !(e->modifiers() & ~Qt::ShiftModifier);
    const QTextCursor::MoveMode mode = selecting ? QTextCursor::KeepAnchor : QTextCursor::MoveAnchor;

    // A character move or delete that stands at a soft break steps over it first: Qt then moves
    // over, or deletes, the character beyond.
    const bool forward = e->matches(QKeySequence::MoveToNextChar) || e->matches(QKeySequence::SelectNextChar) ||
                         (e->matches(QKeySequence::Delete) && !c.hasSelection());
    const bool backward = e->matches(QKeySequence::MoveToPreviousChar) || e->matches(QKeySequence::SelectPreviousChar) ||
                          (backspace && !c.hasSelection());
    if (forward || backward) {
        if (c.hasSelection() && !selecting && !backspace) return false;  // Qt collapses the selection
        bool moved = false;
        for (;;) {
            const QTextBlock b = c.block();
            if (forward && c.position() == b.position() + b.length() - 1 && continuesLine(b.next()))
                c.setPosition(b.next().position(), forward && e->matches(QKeySequence::Delete) ? QTextCursor::MoveAnchor : mode);
            else if (backward && c.position() == b.position() && b.position() > 0 && continuesLine(b))
                c.setPosition(b.position() - 1, backspace ? QTextCursor::MoveAnchor : mode);
            else
                break;
            moved = true;
        }
        // Left from a line's start goes to the end of the line before, which may be held in pieces.
        const QTextBlock b = c.block();
        if (!moved && backward && !backspace && c.position() == b.position() && b.position() > 0 && isPiece(b.previous())) {
            c.setPosition(b.position() - 1, mode);
            placeCursor(c);
            return true;
        }
        if (moved) placeCursor(c);
        return false;
    }

    if (!isPiece(block)) return false;
    const LineSpan line = lineSpanAt(c.position());
    const int at = toOffset(c.position());
    const int lines = lineCount();
    const int lineNumber = lineFromChar(at);

    // Words: over the whole line, and from its ends into the lines beside it, as Qt goes.
    const bool wordRight = e->matches(QKeySequence::MoveToNextWord) || e->matches(QKeySequence::SelectNextWord) ||
                           e->matches(QKeySequence::DeleteEndOfWord);
    const bool wordLeft = e->matches(QKeySequence::MoveToPreviousWord) || e->matches(QKeySequence::SelectPreviousWord) ||
                          e->matches(QKeySequence::DeleteStartOfWord);
    if (wordRight || wordLeft) {
        const SplitText text = textParts();
        int target = at;
        if (wordRight)
            target = at < line.end ? int(nextWordStop(text, line, at)) : (lineNumber + 1 < lines ? at + 2 : at);
        else
            target = at > line.start ? int(previousWordStop(text, line, at)) : (lineNumber > 0 ? at - 2 : at);
        const bool deleting = e->matches(QKeySequence::DeleteEndOfWord) || e->matches(QKeySequence::DeleteStartOfWord);
        if (!deleting) {
            moveCaretTo(target, selecting);
            return true;
        }
        typeAsQt([&] {
            QTextCursor d = textCursor();
            if (!d.hasSelection()) d.setPosition(toPosition(target), QTextCursor::KeepAnchor);
            d.removeSelectedText();
            placeCursor(d);
        });
        return true;
    }
    if (e->matches(QKeySequence::DeleteEndOfLine)) {
        typeAsQt([&] {
            QTextCursor d = textCursor();
            d.setPosition(toPosition(line.end), QTextCursor::KeepAnchor);
            d.removeSelectedText();
            placeCursor(d);
        });
        return true;
    }
    // Home and End go to the ends of the line where it is shown as one row; wrapped, to those
    // of the row, as Qt has them.
    if (lineWrapMode() == QPlainTextEdit::NoWrap) {
        if (e->matches(QKeySequence::MoveToStartOfLine) || e->matches(QKeySequence::SelectStartOfLine)) {
            moveCaretTo(int(line.start), selecting);
            return true;
        }
        if (e->matches(QKeySequence::MoveToEndOfLine) || e->matches(QKeySequence::SelectEndOfLine)) {
            moveCaretTo(int(line.end), selecting);
            return true;
        }
    }
    return false;
}

}  // namespace kavrin
