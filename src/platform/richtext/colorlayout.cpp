#include "platform/richtext/colorlayout.h"

#include <QFontMetricsF>
#include <QTextBlock>
#include <QTextDocument>

#include "platform/richtext/linegeometry.h"
#include "platform/richtext/linechunks.h"

namespace kavrin {

ColorLayout::ColorLayout(QTextDocument* doc, Painter painter)
    : QPlainTextDocumentLayout(doc), painter_(std::move(painter)) {}

bool ColorLayout::holdsCaret(const QTextBlock& block) const {
    if (!caret_) return false;
    const int at = caret_();
    return at >= block.position() && at < block.position() + block.length();
}

QRectF ColorLayout::blockBoundingRect(const QTextBlock& block) const {
    if (!block.isValid()) return {};
    if (sideBySide_ && isPiece(block)) return pieceRect(block);
    if (flowing(block)) return flowRect(block);
    if (deferred_ && block.layout()->lineCount() == 0 && !holdsCaret(block)) return QRectF(0, 0, 1, lineHeight_);
    if (!held_ && !painted(block)) {
        // Qt asks for a changed line's rectangle as it was before laying it out again: painted
        // now, the line keeps that rectangle and is laid out once, by Qt, and only it is drawn
        // again when its height stays.
        if (changing_ > 0 && block.layout()->lineCount() > 0) {
            const QRectF before = QPlainTextDocumentLayout::blockBoundingRect(block);
            paintNow(block);
            return before;
        }
        paintNow(block);
    }
    return QPlainTextDocumentLayout::blockBoundingRect(block);
}

QSizeF ColorLayout::documentSize() const {
    QSizeF size = QPlainTextDocumentLayout::documentSize();
    if (!sideBySide_) return size;
    qreal widest = 0;
    for (auto it = lines_.begin(); it != lines_.end();) {
        if (const std::shared_ptr<LineGeometry> line = it->lock()) {
            widest = qMax(widest, line->width());
            ++it;
        } else {
            it = lines_.erase(it);
        }
    }
    if (widest > 0) size.setWidth(qMax(size.width(), widest + 2 * document()->documentMargin()));
    return size;
}

void ColorLayout::setDeferred(bool deferred) {
    deferred_ = deferred;
    lineHeight_ = QFontMetricsF(document()->defaultFont()).height();
}

void ColorLayout::invalidate(int from, int to) {
    for (QTextBlock b = document()->findBlock(from); b.isValid() && b.position() <= to; b = b.next())
        b.setUserState(-1);
}

void ColorLayout::paintNow(const QTextBlock& block) const {
    QTextBlock b = block;
    // Marked first: laying the block out asks for its rectangle, which must not paint it again.
    b.setUserState(generation_);
    QList<QTextLayout::FormatRange> ranges;
    painter_(block, ranges);
    QTextLayout* layout = block.layout();
    if (ranges == layout->formats()) return;
    // New formats drop the block's lines, so Qt lays it out again when it next needs it. Setting
    // them also notes a change of the block with the document, which would be reported with the
    // next edit and stretch it over this block: it is handed in here and dropped, as the block
    // is laid out anew anyway. While the document reports a change it just joins that change.
    layout->setFormats(ranges);
    swallow_ = true;
    document()->markContentsDirty(block.position(), block.length());
    swallow_ = false;
}

void ColorLayout::documentChanged(int from, int charsRemoved, int charsAdded) {
    if (swallow_) return;
    QTextDocument* doc = document();
    const int blocks = doc->blockCount();
    const bool blocksChanged = blocks != blockCount_;
    blockCount_ = blocks;
    // A new text or a new font: the measures of a character and a row are taken again.
    if (from == 0 && charsAdded >= doc->characterCount() - 1) charWidth_ = rowHeight_ = -1;
    if (sideBySide_ && hasPieces_) {
        const QTextBlock first = doc->findBlock(from);
        const QTextBlock last = doc->findBlock(qMax(0, from + charsRemoved + charsAdded - 1));
        if (!blocksChanged && first == last && isPiece(first)) {
            // An edit within a piece: it alone is laid out again, in its colours.
            ++changing_;
            if (!held_ && !painted(first)) paintNow(first);
            lineOf(first);
            layOutPiece(first);
            --changing_;
            emit updateBlock(first);
            return;
        }
        if (blocksChanged || first != last || isPiece(first) || pieceData(first)) {
            ++changing_;
            QPlainTextDocumentLayout::documentChanged(from, charsRemoved, charsAdded);
            --changing_;
            // Lines may have been cut, joined, broken or run together.
            if (settleLines(first.previous(), last.next())) emit documentSizeChanged(documentSize());
            emit widthChanged();
            return;
        }
    }
    if (!sideBySide_ && hasPieces_) {
        const QTextBlock first = doc->findBlock(from);
        const QTextBlock last = doc->findBlock(qMax(0, from + charsRemoved + charsAdded - 1));
        if (!blocksChanged && first == last && isPiece(first)) {
            // An edit within a piece: it is laid out again where the piece before ended, and a
            // few pieces after it go on from its new end.
            ++changing_;
            if (!held_ && !painted(first)) paintNow(first);
            if (continuesLine(first)) refreshFlow(first.previous());
            layOutFlowing(first, !continuesLine(first) || flowExact(first.previous()), 2);
            --changing_;
            emit update(QRectF(0., -doc->documentMargin(), 1000000000., 1000000000.));
            return;
        }
        ++changing_;
        QPlainTextDocumentLayout::documentChanged(from, charsRemoved, charsAdded);
        --changing_;
        loosenFlow(first, last);
        return;
    }
    ++changing_;
    QPlainTextDocumentLayout::documentChanged(from, charsRemoved, charsAdded);
    --changing_;
}

// --- side by side ----------------------------------------------------------------------------

void ColorLayout::setSideBySide(bool on) {
    if (sideBySide_ == on) return;
    sideBySide_ = on;
    charWidth_ = rowHeight_ = -1;
    QTextDocument* doc = document();
    if (on) {
        if (hasPieces_) settleLines(doc->firstBlock(), doc->lastBlock());
        return;
    }
    for (QTextBlock b = doc->firstBlock(); b.isValid(); b = b.next()) {
        if (!b.isVisible()) b.setVisible(true);
        if (PieceData* d = pieceData(b)) d->line.reset();
    }
    lines_.clear();
}

bool ColorLayout::settleLines(QTextBlock from, QTextBlock to) {
    QTextDocument* doc = document();
    if (!from.isValid()) from = doc->firstBlock();
    if (!to.isValid()) to = doc->lastBlock();
    const int lines = doc->lineCount();
    const int caret = caret_ ? caret_() : -1;
    const int end = to.position();
    for (QTextBlock b = lineFirstBlock(from); b.isValid();) {
        const QTextBlock last = lineLastBlock(b);
        if (last != b) {
            lines_.push_back(gatherLine(b, caret, charWidth(), true));
        } else {
            if (!b.isVisible()) {
                b.setVisible(true);
                b.setLineCount(qMax(1, b.layout()->lineCount()));
            }
            if (PieceData* d = pieceData(b)) d->line.reset();
        }
        if (last.position() >= end) break;
        b = last.next();
    }
    return doc->lineCount() != lines;
}

std::shared_ptr<LineGeometry> ColorLayout::lineOf(const QTextBlock& block) const {
    if (!sideBySide_ || !isPiece(block)) return nullptr;
    const PieceData* d = pieceData(block);
    if (d && d->line && d->index < d->line->pieces()) return d->line;
    // Not gathered since it was cut: gathered now.
    lines_.push_back(gatherLine(lineFirstBlock(block), caret_ ? caret_() : -1, charWidth(), true));
    return pieceData(block)->line;
}

void ColorLayout::ensureLaidOut(const QTextBlock& block) const {
    if (!block.isValid()) return;
    if (lineOf(block)) {
        // A piece laid out before its colours changed (a page coloured after it first showed)
        // is painted anew: new colours drop its lines, and it is laid out again in them.
        if (!held_ && !painted(block)) paintNow(block);
        if (block.layout()->lineCount() == 0) layOutPiece(block);
        return;
    }
    if (block.layout()->lineCount() == 0 || (!held_ && !painted(block))) {
        const bool deferred = deferred_;
        const_cast<ColorLayout*>(this)->deferred_ = false;
        blockBoundingRect(block);
        const_cast<ColorLayout*>(this)->deferred_ = deferred;
    }
}

void ColorLayout::layOutPiece(const QTextBlock& block) const {
    QTextLayout* layout = block.layout();
    layout->setTextOption(document()->defaultTextOption());
    // Not wrapped: the line is as long as its text.
    const qreal width = qreal(INT_MAX) - 2 * document()->documentMargin();
    layout->beginLayout();
    qreal y = 0;
    for (;;) {
        QTextLine line = layout->createLine();
        if (!line.isValid()) break;
        line.setLeadingIncluded(true);
        line.setLineWidth(width);
        line.setPosition(QPointF(0, y));
        y += line.height();
    }
    layout->endLayout();
    QTextBlock b = block;
    b.setLineCount(b.isVisible() ? 1 : 0);
    const PieceData* d = pieceData(block);
    LineGeometry* line = d->line.get();
    const size_t i = size_t(d->index);
    const qreal before = line->advance[i];
    line->advance[i] = laidAdvance(block);
    line->length[i] = block.length() - 1;
    line->touch();
    if (line->advance[i] != before) emit const_cast<ColorLayout*>(this)->widthChanged();
}

QRectF ColorLayout::pieceRect(const QTextBlock& block) const {
    std::shared_ptr<LineGeometry> line = lineOf(block);
    // Qt reads the lines of the block that carries the row, and of the caret's, straight after.
    if (block.layout()->lineCount() == 0 && (holdsCaret(block) || (pieceData(block)->index == line->carrier && !deferred_))) {
        ensureLaidOut(block);
        // The view follows the line's new width at once, and may ask Qt about a piece an edit has
        // just cut: the line is then gathered anew, and its old geometry no longer says where
        // the pieces stand.
        line = lineOf(block);
    }
    const int i = pieceData(block)->index;
    const bool carrier = i == line->carrier;
    const qreal shift = rowShift(block);
    const qreal row = rowHeight();
    const bool lastLine = lineStartOf(block) + line->start(line->pieces()) >= document()->characterCount();
    const qreal bottom = lastLine ? document()->documentMargin() : 0;
    const qreal x = pieceX(block);
    if (carrier) return QRectF(x, shift, line->advance[size_t(i)], shift + row + bottom);
    // Of no height: before the carrier its top is the row's, after it the row below's.
    return QRectF(x, i < line->carrier ? shift : -(row + bottom), line->advance[size_t(i)], 0);
}

qreal ColorLayout::pieceX(const QTextBlock& piece) const {
    const std::shared_ptr<LineGeometry> line = lineOf(piece);
    if (!line) return 0;
    return document()->documentMargin() + line->x(pieceData(piece)->index);
}

qreal ColorLayout::rowShift(const QTextBlock& piece) const {
    // Qt keeps the top margin above the first block only: when another piece of the first line
    // carries the row, its block keeps it.
    const std::shared_ptr<LineGeometry> line = lineOf(piece);
    if (!line || line->carrier == 0 || lineStartOf(piece) != 0) return 0;
    return document()->documentMargin();
}

bool ColorLayout::carry(int position) {
    if (!sideBySide_) return false;
    const QTextBlock block = document()->findBlock(position);
    const std::shared_ptr<LineGeometry> line = lineOf(block);
    if (!line) return false;
    const int i = pieceData(block)->index;
    if (i == line->carrier) return false;
    QTextBlock old = pieceBlock(block, line->carrier);
    old.setVisible(false);
    old.setLineCount(0);
    QTextBlock now = block;
    now.setVisible(true);
    now.setLineCount(1);
    line->carrier = i;
    return true;
}

qreal ColorLayout::charWidth() const {
    if (charWidth_ < 0) {
        // Measured as Qt lays text out, so that an estimate of many characters adds up as theirs.
        QTextLayout sample(QString(64, u'x'), document()->defaultFont());
        sample.beginLayout();
        QTextLine line = sample.createLine();
        line.setLeadingIncluded(true);
        sample.endLayout();
        charWidth_ = line.naturalTextWidth() / 64;
        rowHeight_ = line.height();
    }
    return charWidth_;
}

qreal ColorLayout::rowHeight() const {
    if (rowHeight_ < 0) charWidth();
    return rowHeight_;
}

}  // namespace kavrin
