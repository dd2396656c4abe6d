// Wrapped lines held in pieces: each piece's first row goes on where the piece before ended, so
// that the line wraps as it would held whole. A piece whose first word does not fit in what is
// left of that row starts a row of its own, as the word would. Qt stacks blocks one under
// another: a piece whose last row the next piece goes on in lets that row hang below its block,
// counting one row less, and the next piece's block holds it.
//
// A piece laid out after the piece before as that one now stands is exact. An edit lays out
// again its piece and, while they move, a few after it; those further on are only marked, and
// laid out anew when they are shown or hold the caret. Qt's own questions about a piece not yet
// laid out (its height, while it scrolls or measures the page) are answered from a rough layout
// after whatever the piece before holds, so that a page opens without laying out every piece.
#include "platform/richtext/colorlayout.h"

#include <QElapsedTimer>
#include <QTextBoundaryFinder>
#include <QTextDocument>
#include <QTimer>

#include <cmath>
#include <vector>

#include "platform/richtext/linechunks.h"

namespace kavrin {

namespace {

PieceData* dataOf(const QTextBlock& block) {
    PieceData* d = pieceData(block);
    if (!d) {
        d = new PieceData;
        QTextBlock(block).setUserData(d);
    }
    return d;
}

bool laidOut(const QTextBlock& block) { return block.isValid() && block.layout()->lineCount() > 0; }

}  // namespace

bool ColorLayout::flowing(const QTextBlock& block) const { return !sideBySide_ && hasPieces_ && isPiece(block); }

bool ColorLayout::flowExact(const QTextBlock& block) const {
    if (!laidOut(block)) return false;
    const PieceData* d = pieceData(block);
    return !continuesLine(block) || (d && d->exact);
}

bool ColorLayout::flowsOn(const QTextBlock& block) const {
    const QTextBlock next = block.next();
    if (!flowing(block) || !continuesLine(next) || !laidOut(next) || !laidOut(block)) return false;
    return pieceData(next)->shares;
}

QRectF ColorLayout::flowRect(const QTextBlock& block) const {
    QTextLayout* layout = block.layout();
    // Laid out before its colours changed: new colours drop its lines, and it is laid out again
    // in them where it stood.
    if (layout->lineCount() > 0 && !held_ && !deferred_ && !painted(block)) paintNow(block);
    if (layout->lineCount() == 0) {
        if (deferred_ && !holdsCaret(block)) return QRectF(0, 0, 1, lineHeight_);
        if (holdsCaret(block)) {
            refreshFlow(block);
        } else {
            if (!held_ && !painted(block)) paintNow(block);
            layOutFlowing(block, flowExact(block.previous()) || !continuesLine(block), 0);
        }
    } else if (holdsCaret(block) && !flowExact(block)) {
        refreshFlow(block);
    }
    const qreal margin = document()->documentMargin();
    const QTextLine last = layout->lineAt(layout->lineCount() - 1);
    // The last row hangs below the block when the next piece goes on in it.
    const qreal height = flowsOn(block) ? last.y() : last.y() + last.height();
    QRectF r(0, 0, layout->boundingRect().right() + margin, height);
    if (!block.next().isValid()) r.adjust(0, 0, 0, margin);
    return r;
}

void ColorLayout::refreshFlow(const QTextBlock& block) const {
    if (!block.isValid() || !flowing(block) || flowExact(block)) return;
    // Back to the last piece that is exact, then on from there.
    std::vector<QTextBlock> chain;
    for (QTextBlock b = block; b.isValid(); b = b.previous()) {
        chain.push_back(b);
        if (!continuesLine(b) || flowExact(b.previous())) break;
    }
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        if (!held_ && !painted(*it)) paintNow(*it);
        layOutFlowing(*it, true, 0);
    }
}

void ColorLayout::layOutFlowing(const QTextBlock& block, bool exact, int budget) const {
    PieceData* d = dataOf(block);
    const qreal margin = document()->documentMargin();
    const qreal available = flowWidth();
    const QTextBlock previous = block.previous();
    const bool continues = continuesLine(block);
    // Where the piece before ended: its first row goes on there when any of it fits.
    qreal start = 0;
    bool shares = false;
    if (continues && laidOut(previous)) {
        start = pieceData(previous)->endX;
        shares = start < available;
    }
    QTextLayout* layout = block.layout();
    layout->setTextOption(document()->defaultTextOption());
    auto layOut = [&](qreal first) {
        layout->beginLayout();
        qreal y = 0;
        for (bool isFirst = true;; isFirst = false) {
            QTextLine line = layout->createLine();
            if (!line.isValid()) break;
            line.setLeadingIncluded(true);
            line.setLineWidth(isFirst ? available - first : available);
            line.setPosition(QPointF(margin + (isFirst ? first : 0), y));
            y += line.height();
        }
        layout->endLayout();
    };
    layOut(shares ? start : 0);
    if (shares) {
        // The line held whole breaks where a blank let it: when the piece begins after a blank
        // and its first word does not fit what is left of the row, the word begins a row.
        const QTextLine first = layout->lineAt(0);
        bool fits = first.naturalTextWidth() <= available - start + 0.01;
        const int end = first.textStart() + first.textLength();
        if (fits && end < block.length() - 1) {
            const QString before = previous.text();
            if (!before.isEmpty() && before.back().isSpace()) {
                QTextBoundaryFinder breaks(QTextBoundaryFinder::Line, block.text());
                breaks.setPosition(end);
                fits = breaks.isAtBoundary();
            }
        }
        if (!fits) {
            shares = false;
            layOut(0);
        }
    }
    const int lines = document()->lineCount();
    const QTextLine last = layout->lineAt(layout->lineCount() - 1);
    const qreal oldEnd = d->endX;
    d->endX = last.x() - margin + last.naturalTextWidth();
    d->exact = exact;
    d->shares = shares;
    // Its last row hangs when the next piece goes on in it; so does the last row of the piece
    // before when this one goes on in that.
    QTextBlock(block).setLineCount(layout->lineCount() - (flowsOn(block) ? 1 : 0));
    if (continues && laidOut(previous)) QTextBlock(previous).setLineCount(previous.layout()->lineCount() - (shares ? 1 : 0));
    // The pieces after it stood on its old end: the next one is laid out again while the
    // budget lasts, and it goes on in turn; those beyond are marked to be laid out when shown.
    const QTextBlock next = block.next();
    if ((d->endX != oldEnd || !exact) && continuesLine(next) && laidOut(next)) {
        if (exact && budget > 0) {
            if (!held_ && !painted(next)) paintNow(next);
            layOutFlowing(next, true, budget - 1);
        } else {
            for (QTextBlock b = next; continuesLine(b) && laidOut(b) && pieceData(b)->exact; b = b.next())
                pieceData(b)->exact = false;
            flowLater();
        }
    }
    if (!exact) flowLater();
    if (document()->lineCount() != lines) sizeChangedLater();
}

qreal ColorLayout::flowWidth() const {
    const qreal width = QPlainTextDocumentLayout::frameBoundingRect(document()->rootFrame()).width();
    return (width > 0 ? width : qreal(INT_MAX)) - 2 * document()->documentMargin();
}

void ColorLayout::estimateRows(QTextBlock from, const QTextBlock& to) {
    // Qt counts a block not laid out as one row; a piece of thousands of characters wraps into
    // many, and the scroll bar would show a page a fraction of its length until every piece had
    // been laid out.
    if (sideBySide_ || !hasPieces_) return;
    const qreal perRow = qMax(1.0, std::floor(flowWidth() / charWidth()));
    for (QTextBlock b = from.isValid() ? from : document()->firstBlock(); b.isValid(); b = b.next()) {
        if (isPiece(b) && !laidOut(b)) b.setLineCount(qMax(1, int(std::ceil((b.length() - 1) / perRow))));
        if (b == to) break;
    }
    sizeChangedLater();
    flowLater();
}

void ColorLayout::loosenFlow(QTextBlock from, const QTextBlock& to) {
    // The pieces Qt dropped are laid out again when asked for; the piece after them in their
    // line no longer stands where it was laid out, and the piece before no longer goes on into
    // them. Those further on move only if that one's end moves, which its layout finds out.
    if (continuesLine(from) && laidOut(from.previous()))
        QTextBlock(from.previous()).setLineCount(from.previous().layout()->lineCount());
    if (const QTextBlock next = to.next(); continuesLine(next)) dataOf(next)->exact = false;
    estimateRows(from, to);
}

void ColorLayout::flowLater() const {
    if (flowPending_ || sideBySide_ || !hasPieces_) return;
    flowPending_ = true;
    // A timer, not a posted call: the repaint of the edit that asked for it, and the keys and
    // clicks waiting, go first.
    QTimer::singleShot(1, Qt::PreciseTimer, const_cast<ColorLayout*>(this), [this] { const_cast<ColorLayout*>(this)->flowSome(); });
}

void ColorLayout::flowSome() {
    flowPending_ = false;
    if (sideBySide_ || !hasPieces_) return;
    // Not while the owner's edit is open or a page waits for its colours: later.
    if (held_ || deferred_) {
        flowLater();
        return;
    }
    QElapsedTimer slice;
    slice.start();
    QTextBlock b = document()->findBlockByNumber(flowScan_);
    while (slice.elapsed() < 6) {
        if (!b.isValid()) {
            // A pass that laid nothing out finds everything exact: done until something changes.
            if (!flowFound_) {
                flowScan_ = 0;
                return;
            }
            flowFound_ = false;
            b = document()->firstBlock();
        }
        if (isPiece(b) && !flowExact(b)) {
            refreshFlow(b);
            flowFound_ = true;
        }
        b = b.next();
    }
    flowScan_ = b.isValid() ? b.blockNumber() : 0;
    flowLater();
}

void ColorLayout::sizeChangedLater() const {
    // Qt measures the page while it asks for these rows: it hears of the new size once done.
    if (sizeChangePending_) return;
    sizeChangePending_ = true;
    QTimer::singleShot(0, const_cast<ColorLayout*>(this), [this] {
        sizeChangePending_ = false;
        emit const_cast<ColorLayout*>(this)->documentSizeChanged(documentSize());
    });
}

}  // namespace kavrin
