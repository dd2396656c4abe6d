// Rows of wrapped text where a line is held in pieces: a row may begin in the last row of one
// piece and go on in the first row of the next (see colorflow.cpp), which Qt's own Up, Down,
// Home and End, seeing one block at a time, take for two rows. These keys go by the rows shown.
#include "platform/richtext/richtextbox.h"

#include <QKeyEvent>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>

#include "platform/richtext/colorlayout.h"

namespace kavrin {

namespace {
int linesOf(const QTextBlock& block) { return block.layout()->lineCount(); }
}  // namespace

RichTextBox::RowPart RichTextBox::laidPart(const QTextBlock& block, int line) const {
    if (!block.isValid()) return {};
    layout_->ensureLaidOut(block);
    layout_->refreshFlow(block);
    return {block, qBound(0, line < 0 ? linesOf(block) - 1 : line, qMax(0, linesOf(block) - 1))};
}

RichTextBox::RowPart RichTextBox::rowStart(RowPart part) const {
    // A first row that goes on from the piece before begins in that piece's last row.
    while (part.isValid() && part.line == 0 && layout_->flowsOn(part.block.previous()))
        part = laidPart(part.block.previous(), -1);
    return part;
}

QList<RichTextBox::RowPart> RichTextBox::rowParts(RowPart start) const {
    QList<RowPart> parts{start};
    while (parts.back().line == linesOf(parts.back().block) - 1 && layout_->flowsOn(parts.back().block))
        parts.append(laidPart(parts.back().block.next(), 0));
    return parts;
}

RichTextBox::RowPart RichTextBox::nextRowStart(const QList<RowPart>& row) const {
    const RowPart& last = row.back();
    return last.line + 1 < linesOf(last.block) ? laidPart(last.block, last.line + 1) : laidPart(last.block.next(), 0);
}

RichTextBox::RowPart RichTextBox::previousRowStart(const RowPart& first) const {
    return rowStart(first.line > 0 ? laidPart(first.block, first.line - 1) : laidPart(first.block.previous(), -1));
}

RichTextBox::RowPart RichTextBox::partAt(int position) const {
    const QTextBlock block = document()->findBlock(position);
    const RowPart part = laidPart(block, 0);
    const QTextLine line = block.layout()->lineForTextPosition(position - block.position());
    return rowStart({block, line.isValid() ? line.lineNumber() : part.line});
}

int RichTextBox::positionInRow(const QList<RowPart>& parts, qreal x) const {
    for (const RowPart& part : parts) {
        const QTextLine line = part.block.layout()->lineAt(part.line);
        if (&part == &parts.back() || x < line.x() + line.naturalTextWidth())
            return part.block.position() + line.xToCursor(x);
    }
    return parts.back().block.position();
}

bool RichTextBox::wrappedAcrossPieces(QKeyEvent* e) {
    const bool keep = e->modifiers() & Qt::ShiftModifier;
    const bool down = e->matches(QKeySequence::MoveToNextLine) || e->matches(QKeySequence::SelectNextLine);
    const bool up = e->matches(QKeySequence::MoveToPreviousLine) || e->matches(QKeySequence::SelectPreviousLine);
    const bool pageDown = e->matches(QKeySequence::MoveToNextPage) || e->matches(QKeySequence::SelectNextPage);
    const bool pageUp = e->matches(QKeySequence::MoveToPreviousPage) || e->matches(QKeySequence::SelectPreviousPage);
    const bool home = e->matches(QKeySequence::MoveToStartOfLine) || e->matches(QKeySequence::SelectStartOfLine);
    const bool end = e->matches(QKeySequence::MoveToEndOfLine) || e->matches(QKeySequence::SelectEndOfLine);
    if (!(down || up || pageDown || pageUp || home || end)) return false;
    QTextCursor c = textCursor();
    const QList<RowPart> row = rowParts(partAt(c.position()));
    const QTextCursor::MoveMode mode = keep ? QTextCursor::KeepAnchor : QTextCursor::MoveAnchor;
    if (home || end) {
        // The ends of the row shown, as Qt has them for a row of one block: End stops before
        // the blank a row broke at, but at the end of the line.
        int at;
        if (home) {
            at = row.front().block.position() + row.front().block.layout()->lineAt(row.front().line).textStart();
        } else {
            const RowPart& last = row.back();
            const QTextLine line = last.block.layout()->lineAt(last.line);
            at = last.block.position() + line.textStart() + line.textLength();
            const bool broke = last.line < linesOf(last.block) - 1 || continuesLine(last.block.next());
            if (broke && line.textLength() > 0 && last.block.text().at(line.textStart() + line.textLength() - 1).isSpace())
                --at;
        }
        c.setPosition(at, mode);
        placeCursor(c);
        return true;
    }
    if (goalX_ < 0) {
        const QTextBlock block = c.block();
        goalX_ = block.layout()->lineForTextPosition(c.position() - block.position()).cursorToX(c.position() - block.position());
    }
    const qreal x = goalX_;
    QList<RowPart> target;
    if (down || up) {
        const RowPart next = down ? nextRowStart(row) : previousRowStart(row.front());
        if (!next.isValid()) {
            // As Qt: Shift+Down on the last row selects to the end, Shift+Up on the first to
            // the start; otherwise nothing moves.
            if (keep) {
                c.movePosition(down ? QTextCursor::End : QTextCursor::Start, QTextCursor::KeepAnchor);
                placeCursor(c);
            }
            return true;
        }
        target = rowParts(next);
    } else {
        // A page, as Qt turns one: down, the first row not wholly shown becomes the top one; up,
        // the highest row within a view's height above it. The caret goes to the first row that
        // stands where it stood, or to the first or last row when the view was at that end.
        ensureCursorVisible();
        // Where a row stands in the view, unrounded, as Qt compares them.
        auto rowY = [this](const RowPart& p) {
            return blockBoundingGeometry(p.block).translated(contentOffset()).top() + p.block.layout()->lineAt(p.line).y();
        };
        // The line number Qt's scroll bar gives a row: a row that hangs below its block is the
        // first line of the next.
        auto lineNumber = [this](const RowPart& p) {
            if (p.line == linesOf(p.block) - 1 && layout_->flowsOn(p.block)) return p.block.next().firstLineNumber();
            return p.block.firstLineNumber() + p.line;
        };
        const qreal height = viewport()->height();
        const qreal caretY = rowY(row.front());
        QScrollBar* bar = verticalScrollBar();
        RowPart top;
        if (pageDown) {
            for (QList<RowPart> r = row;;) {
                const RowPart& first = r.front();
                if (rowY(first) + first.block.layout()->lineAt(first.line).height() > height) {
                    top = first;
                    break;
                }
                const RowPart next = nextRowStart(r);
                if (!next.isValid()) break;
                r = rowParts(next);
            }
        } else if (bar->value() > 0) {
            for (RowPart r = row.front(); r.isValid(); r = previousRowStart(r)) {
                if (rowY(r) < -height) break;
                top = r;
            }
        }
        if (!top.isValid()) {
            target = rowParts(pageDown ? partAt(document()->characterCount() - 1) : partAt(0));
        } else {
            bar->setValue(lineNumber(top));
            target = row;
            for (QList<RowPart> r = row;;) {
                const RowPart next = pageDown ? nextRowStart(r) : previousRowStart(r.front());
                if (!next.isValid()) break;
                r = rowParts(next);
                target = r;
                if (pageDown ? rowY(next) >= caretY : rowY(next) <= caretY) break;
            }
        }
    }
    movingUpDown_ = true;
    c.setPosition(positionInRow(target, x), mode);
    placeCursor(c);
    movingUpDown_ = false;
    goalX_ = x;
    return true;
}

}  // namespace kavrin
