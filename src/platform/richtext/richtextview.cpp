// The view of a text whose long lines are held as several blocks: painting, the mouse and the
// keys that go up and down. Qt's own paint and hit test see blocks one under another; lines
// that are not wrapped show their pieces side by side on one row (see linegeometry.h), and a
// soft break is no character to select.
#include "platform/richtext/richtextbox.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>

#include "platform/richtext/colorlayout.h"
#include "platform/richtext/linegeometry.h"

namespace kavrin {

// --- rows ------------------------------------------------------------------------------------

RichTextBox::ShownRow RichTextBox::rowAt(const QTextBlock& block, qreal top) const {
    ShownRow row;
    row.block = block;
    row.top = top;
    if (!block.isValid()) return row;
    if (layout_->sideBySide() && isPiece(block)) {
        const QRectF carrier = layout_->blockBoundingRect(pieceBlock(block, layout_->lineOf(block)->carrier));
        row.pieces = true;
        row.shift = layout_->rowShift(block);
        row.height = carrier.height();
        return row;
    }
    row.height = layout_->blockBoundingRect(block).height();
    return row;
}

RichTextBox::ShownRow RichTextBox::firstShownRow() const {
    const QTextBlock top = firstVisibleBlock();
    const qreal y = contentOffset().y();
    if (layout_->sideBySide() && isPiece(top)) {
        // A piece's rectangle puts its text in its row: the row starts that far above its text.
        const QRectF r = layout_->blockBoundingRect(top);
        return rowAt(top, y + r.y() - layout_->rowShift(top));
    }
    return rowAt(top, y);
}

RichTextBox::ShownRow RichTextBox::nextRow(const ShownRow& row) const {
    QTextBlock last = row.block;
    if (row.pieces) last = pieceBlock(row.block, layout_->lineOf(row.block)->pieces() - 1);
    return rowAt(last.next(), row.top + row.height);
}

RichTextBox::ShownRow RichTextBox::previousRow(const ShownRow& row) const {
    const QTextBlock first = row.pieces ? pieceBlock(row.block, 0) : row.block;
    ShownRow before = rowAt(first.previous(), 0);
    before.top = row.top - before.height;
    return before;
}

// --- painting --------------------------------------------------------------------------------

void RichTextBox::paintEvent(QPaintEvent* e) {
    if (soft_.isEmpty()) {
        QPlainTextEdit::paintEvent(e);
        return;
    }
    painting_ = true;
    struct Done {
        bool& flag;
        ~Done() { flag = false; }
    } done{painting_};
    QPainter painter(viewport());
    const QPointF offset = contentOffset();
    QRect exposed = e->rect();
    const QRect area = viewport()->rect();
    const qreal widest = document()->documentLayout()->documentSize().width();
    painter.setBrushOrigin(offset);
    // The right margin is kept clean of a selection that reaches across the whole width.
    const int maxX = int(offset.x() + qMax(qreal(area.width()), widest) - document()->documentMargin() + cursorWidth());
    exposed.setRight(qMin(exposed.right(), maxX));
    painter.setClipRect(exposed);
    const QAbstractTextDocumentLayout::PaintContext context = getPaintContext();
    painter.setPen(context.palette.text().color());
    ShownRow row = firstShownRow();
    // Wrapped, the last row of the piece above may be the first row shown.
    if (row.isValid() && !layout_->sideBySide() && isPiece(row.block)) layout_->refreshFlow(row.block);
    if (row.isValid() && layout_->flowsOn(row.block.previous())) {
        const QTextBlock before = row.block.previous();
        paintShownBlock(painter, before, QPointF(offset.x(), row.top - layout_->blockBoundingRect(before).height()), exposed,
                        context);
    }
    for (; row.isValid(); row = nextRow(row)) {
        if (row.top > area.height()) break;
        if (!row.pieces && isPiece(row.block)) {
            // Wrapped: laid out where the piece before ended, before it is shown; the next piece
            // too, as whether it goes on in this one's last row decides this one's height.
            layout_->refreshFlow(row.block);
            if (continuesLine(row.block.next())) layout_->refreshFlow(row.block.next());
            row = rowAt(row.block, row.top);
        }
        if (row.top + row.height < exposed.top() || row.top > exposed.bottom()) continue;
        if (!row.pieces) {
            if (row.block.isVisible()) paintShownBlock(painter, row.block, QPointF(offset.x(), row.top), exposed, context);
            continue;
        }
        // The pieces across the exposed stretch, each laid out as it comes into sight.
        const std::shared_ptr<const LineGeometry> line = layout_->lineOf(row.block);
        const qreal margin = document()->documentMargin();
        for (int i = line->pieceAtX(exposed.left() - offset.x() - margin); i < line->pieces(); ++i) {
            const QTextBlock piece = pieceBlock(row.block, i);
            layout_->ensureLaidOut(piece);
            const qreal x = offset.x() + layout_->pieceX(piece);
            if (x > exposed.right()) break;
            paintShownBlock(painter, piece, QPointF(x, row.top + row.shift), exposed, context);
        }
    }
}

void RichTextBox::paintShownBlock(QPainter& painter, const QTextBlock& block, const QPointF& at, const QRect& exposed,
                                  const QAbstractTextDocumentLayout::PaintContext& context) const {
    QTextLayout* layout = block.layout();
    const int position = block.position();
    const int length = block.length();
    // A soft break is no character: a selection over it shows no line end.
    const int selectable = continuesLine(block.next()) ? length - 1 : length;
    QList<QTextLayout::FormatRange> selections;
    for (const QAbstractTextDocumentLayout::Selection& range : context.selections) {
        const int start = range.cursor.selectionStart() - position;
        const int end = qMin(range.cursor.selectionEnd() - position, selectable);
        if (start < selectable && end > 0 && end > start) {
            QTextLayout::FormatRange o;
            o.start = start;
            o.length = end - start;
            o.format = range.format;
            selections.append(o);
        }
    }
    layout->draw(&painter, at, selections, exposed);
    const bool editable = !isReadOnly();
    const bool caretHere = editable && context.cursorPosition >= position && context.cursorPosition < position + length;
    if (caretHere || (editable && context.cursorPosition < -1 && !layout->preeditAreaText().isEmpty())) {
        int at0 = context.cursorPosition;
        at0 = at0 < -1 ? layout->preeditAreaPosition() - (at0 + 2) : at0 - position;
        layout->drawCursor(&painter, at, at0, cursorWidth());
    }
}

// --- hit test ----------------------------------------------------------------------------------

int RichTextBox::hitPosition(const QPointF& point) const {
    ShownRow row = firstShownRow();
    while (row.isValid() && point.y() >= row.top + row.height) {
        const ShownRow next = nextRow(row);
        if (!next.isValid()) break;
        row = next;
    }
    while (row.isValid() && point.y() < row.top) {
        const ShownRow before = previousRow(row);
        if (!before.isValid()) break;
        row = before;
    }
    if (!row.isValid()) return 0;
    const qreal originX = contentOffset().x();
    if (row.pieces) {
        const qreal x = point.x() - originX - document()->documentMargin();
        QTextBlock piece = pieceBlock(row.block, layout_->lineOf(row.block)->pieceAtX(x));
        layout_->ensureLaidOut(piece);
        // Laid out, the piece may reach less or further than estimated (and the line may have
        // been gathered anew meanwhile).
        piece = pieceBlock(row.block, layout_->lineOf(row.block)->pieceAtX(x));
        layout_->ensureLaidOut(piece);
        const QTextLine l = piece.layout()->lineAt(0);
        if (!l.isValid()) return piece.position();
        return piece.position() + l.xToCursor(point.x() - originX - layout_->pieceX(piece));
    }
    layout_->ensureLaidOut(row.block);
    layout_->refreshFlow(row.block);
    const QTextLayout* layout = row.block.layout();
    const QPointF at = point - QPointF(originX, row.top);
    int off = 0;
    for (int i = 0; i < layout->lineCount(); ++i) {
        const QTextLine line = layout->lineAt(i);
        const QRectF r = line.naturalTextRect();
        if (r.top() > at.y()) {
            off = qMin(off, line.textStart());
        } else if (r.bottom() <= at.y()) {
            off = qMax(off, line.textStart() + line.textLength());
        } else {
            // Wrapped, a piece's first row may go on from the last row of the piece before.
            const QTextBlock before = row.block.previous();
            if (i == 0 && at.x() < line.x() && layout_->flowsOn(before)) {
                const QTextLayout* previous = before.layout();
                return before.position() + previous->lineAt(previous->lineCount() - 1).xToCursor(at.x());
            }
            off = line.xToCursor(at.x());
            break;
        }
    }
    return row.block.position() + off;
}

// --- the caret -----------------------------------------------------------------------------------

void RichTextBox::placeCursor(const QTextCursor& c) {
    if (layout_->carry(c.position())) carryCaret();
    setTextCursor(c);
}

void RichTextBox::carryCaret() {
    // The first block shown may be a piece that carried the row: Qt starts again from the line
    // the scroll bar stands at, whose block is now the new carrier.
    if (isPiece(firstVisibleBlock())) QPlainTextEdit::scrollContentsBy(0, 0);
    viewport()->update();
}

qreal RichTextBox::caretX() const {
    const QTextCursor c = textCursor();
    const QTextBlock block = c.block();
    layout_->ensureLaidOut(block);
    const QTextLine line = block.layout()->lineForTextPosition(c.position() - block.position());
    if (!line.isValid()) return document()->documentMargin();
    const qreal x = line.cursorToX(c.position() - block.position());
    return layout_->lineOf(block) ? layout_->pieceX(block) + x : x;
}

int RichTextBox::positionInRow(int lineNumber, qreal x) const {
    const QTextBlock block = document()->findBlockByLineNumber(lineNumber);
    if (!block.isValid()) return textCursor().position();
    if (layout_->lineOf(block)) {
        const qreal across = x - document()->documentMargin();
        QTextBlock piece = pieceBlock(block, layout_->lineOf(block)->pieceAtX(across));
        layout_->ensureLaidOut(piece);
        piece = pieceBlock(block, layout_->lineOf(block)->pieceAtX(across));
        layout_->ensureLaidOut(piece);
        const QTextLine l = piece.layout()->lineAt(0);
        return piece.position() + (l.isValid() ? l.xToCursor(x - layout_->pieceX(piece)) : 0);
    }
    layout_->ensureLaidOut(block);
    const QTextLine l = block.layout()->lineAt(qMax(0, lineNumber - block.firstLineNumber()));
    return block.position() + (l.isValid() ? l.xToCursor(x) : 0);
}

bool RichTextBox::verticalAcrossPieces(QKeyEvent* e) {
    const bool down = e->matches(QKeySequence::MoveToNextLine) || e->matches(QKeySequence::SelectNextLine);
    const bool up = e->matches(QKeySequence::MoveToPreviousLine) || e->matches(QKeySequence::SelectPreviousLine);
    const bool pageDown = e->matches(QKeySequence::MoveToNextPage) || e->matches(QKeySequence::SelectNextPage);
    const bool pageUp = e->matches(QKeySequence::MoveToPreviousPage) || e->matches(QKeySequence::SelectPreviousPage);
    if (!(down || up || pageDown || pageUp)) return false;
    const bool keep = e->modifiers() & Qt::ShiftModifier;
    QTextCursor c = textCursor();
    const QTextBlock block = c.block();
    layout_->ensureLaidOut(block);
    // The caret's row as Qt counts lines: a line held side by side is one.
    int row = block.firstLineNumber();
    if (!layout_->lineOf(block)) {
        const QTextLine line = block.layout()->lineForTextPosition(c.position() - block.position());
        if (line.isValid()) row += line.lineNumber();
    }
    const int rows = document()->lineCount();
    if (goalX_ < 0) goalX_ = caretX();
    int target = row;
    if (down || up) {
        target = row + (down ? 1 : -1);
        if (target < 0 || target >= rows) {
            // As Qt: Shift+Down on the last line selects to the end, Shift+Up on the first to the
            // start; otherwise nothing moves.
            if (keep) {
                c.movePosition(down ? QTextCursor::End : QTextCursor::Start, QTextCursor::KeepAnchor);
                placeCursor(c);
            }
            return true;
        }
    } else {
        // A page, as Qt turns one: the view moves by the rows wholly shown, and the caret goes to
        // the row that stands where it stood; at either end of the text, to the first or last row.
        ensureCursorVisible();
        const qreal caretY = cursorRect().top();
        const int height = viewport()->height();
        QScrollBar* bar = verticalScrollBar();
        auto lineOfRow = [](const ShownRow& r) { return r.block.firstLineNumber(); };
        if (pageDown) {
            ShownRow r = firstShownRow();
            while (r.isValid() && r.top + r.height <= height && nextRow(r).isValid()) r = nextRow(r);
            const bool atEnd = !nextRow(r).isValid() && r.top + r.height <= height;
            if (atEnd) {
                target = rows - 1;
            } else {
                bar->setValue(lineOfRow(r));
                target = rows - 1;
                for (ShownRow t = firstShownRow(); t.isValid(); t = nextRow(t)) {
                    if (t.top + t.shift >= caretY && lineOfRow(t) >= row) {
                        target = lineOfRow(t);
                        break;
                    }
                }
            }
        } else if (bar->value() == 0) {
            target = 0;
        } else {
            // The new first row is the highest that stood within a view's height above.
            ShownRow r = firstShownRow();
            for (;;) {
                const ShownRow before = previousRow(r);
                if (!before.isValid()) break;
                if (before.top < -height) break;
                r = before;
            }
            bar->setValue(lineOfRow(r));
            target = firstShownRow().block.firstLineNumber();
            for (ShownRow t = firstShownRow(); t.isValid() && t.top <= height; t = nextRow(t)) {
                if (t.top + t.shift > caretY || lineOfRow(t) > row) break;
                target = lineOfRow(t);
            }
        }
    }
    const qreal x = goalX_;
    movingUpDown_ = true;
    c.setPosition(positionInRow(target, x), keep ? QTextCursor::KeepAnchor : QTextCursor::MoveAnchor);
    placeCursor(c);
    movingUpDown_ = false;
    goalX_ = x;
    return true;
}

// --- the mouse -------------------------------------------------------------------------------

void RichTextBox::pressAcrossPieces(QMouseEvent* e) {
    const QPointF point = e->position();
    const int position = hitPosition(point);
    QTextCursor c = textCursor();
    const int at = toOffset(position);
    const bool tripled = drag_ == DragUnit::Words && doubleClicked_.isValid() &&
                         doubleClicked_.elapsed() < QApplication::doubleClickInterval() &&
                         (point - doubleClickAt_).manhattanLength() < QApplication::startDragDistance();
    if (tripled) {
        // A third click takes the line and its break, as Qt takes a block.
        const LineSpan line = lineSpanAt(position);
        const int next = lineFromChar(int(line.end)) + 1 < lineCount() ? int(line.end) + 2 : int(line.end);
        dragFirst_ = {line.start, next};
        drag_ = DragUnit::Lines;
        c.setPosition(toPosition(int(line.start)));
        c.setPosition(toPosition(next), QTextCursor::KeepAnchor);
    } else if (e->modifiers() & Qt::ShiftModifier) {
        if (drag_ != DragUnit::Words && drag_ != DragUnit::Lines) drag_ = DragUnit::Characters;
        placeCursor(c);
        dragAcrossPieces(point);
        return;
    } else {
        drag_ = DragUnit::Characters;
        dragFirst_ = {at, at};
        c.setPosition(position);
    }
    placeCursor(c);
    dragAt_ = point;
}

void RichTextBox::dragAcrossPieces(const QPointF& point) {
    dragAt_ = point;
    const int position = hitPosition(point);
    const int at = toOffset(position);
    QTextCursor c = textCursor();
    if (drag_ == DragUnit::Characters) {
        c.setPosition(position, QTextCursor::KeepAnchor);
    } else {
        // Whole words or lines from the first one taken to the one under the mouse.
        LineSpan under;
        const LineSpan line = lineSpanAt(position);
        if (drag_ == DragUnit::Lines) {
            const int next = lineFromChar(int(line.end)) + 1 < lineCount() ? int(line.end) + 2 : int(line.end);
            under = {line.start, next};
        } else {
            const auto word = wordAt(textParts(), line, at);
            under = {word.first, word.second};
        }
        const bool before = at < dragFirst_.start;
        c.setPosition(toPosition(int(before ? dragFirst_.end : dragFirst_.start)));
        c.setPosition(toPosition(int(before ? qMin(under.start, dragFirst_.start) : qMax(under.end, dragFirst_.end))),
                      QTextCursor::KeepAnchor);
    }
    placeCursor(c);
    if (!viewport()->rect().contains(point.toPoint())) {
        if (!autoScroll_->isActive()) autoScroll_->start(100);
    } else {
        autoScroll_->stop();
    }
}

void RichTextBox::autoScroll() {
    if (drag_ == DragUnit::None || !(QApplication::mouseButtons() & Qt::LeftButton)) {
        autoScroll_->stop();
        return;
    }
    const QRect area = viewport()->rect();
    const QPoint p = dragAt_.toPoint();
    if (p.y() < area.top()) verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
    if (p.y() > area.bottom()) verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    if (p.x() < area.left()) horizontalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
    if (p.x() > area.right()) horizontalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    dragAcrossPieces(dragAt_);
}

}  // namespace kavrin
