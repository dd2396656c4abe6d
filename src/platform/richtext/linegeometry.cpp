#include "platform/richtext/linegeometry.h"

#include <QTextDocument>
#include <QTextLayout>

#include <algorithm>

#include "platform/richtext/linechunks.h"

namespace kavrin {

void LineGeometry::refresh() const {
    if (!dirty_ && x_.size() == length.size() + 1) return;
    const size_t n = length.size();
    x_.resize(n + 1);
    start_.resize(n + 1);
    x_[0] = 0;
    start_[0] = 0;
    for (size_t i = 0; i < n; ++i) {
        x_[i + 1] = x_[i] + advance[i];
        start_[i + 1] = start_[i] + length[i] + 1;
    }
    dirty_ = false;
}

qreal LineGeometry::x(int i) const {
    refresh();
    return x_[size_t(qBound(0, i, pieces()))];
}

int LineGeometry::start(int i) const {
    refresh();
    return start_[size_t(qBound(0, i, pieces()))];
}

int LineGeometry::pieceAtX(qreal x) const {
    refresh();
    const auto it = std::upper_bound(x_.begin(), x_.end() - 1, x);
    return qBound(0, int(it - x_.begin()) - 1, pieces() - 1);
}

int LineGeometry::pieceAt(int relative) const {
    refresh();
    const auto it = std::upper_bound(start_.begin(), start_.end() - 1, relative);
    return qBound(0, int(it - start_.begin()) - 1, pieces() - 1);
}

qreal laidAdvance(const QTextBlock& block) {
    const QTextLayout* layout = block.layout();
    qreal width = 0;
    for (int i = 0; i < layout->lineCount(); ++i) width = qMax(width, layout->lineAt(i).naturalTextWidth());
    return width;
}

std::shared_ptr<LineGeometry> gatherLine(const QTextBlock& first, int caret, qreal charWidth, bool hide) {
    auto g = std::make_shared<LineGeometry>();
    int carried = -1, holding = -1;
    int i = 0;
    for (QTextBlock b = first; b.isValid() && (b == first || continuesLine(b)); b = b.next(), ++i) {
        PieceData* d = pieceData(b);
        if (!d) {
            d = new PieceData;
            b.setUserData(d);
        }
        d->line = g;
        d->index = i;
        const int length = b.length() - 1;
        g->length.push_back(length);
        g->advance.push_back(b.layout()->lineCount() > 0 ? laidAdvance(b) : length * charWidth);
        if (carried < 0 && b.isVisible()) carried = i;
        if (caret >= b.position() && caret < b.position() + b.length()) holding = i;
    }
    g->carrier = holding >= 0 ? holding : qMax(0, carried);
    i = 0;
    for (QTextBlock b = first; i < g->pieces(); b = b.next(), ++i) {
        const bool shown = !hide || i == g->carrier;
        b.setVisible(shown);
        b.setLineCount(shown ? qMax(1, b.layout()->lineCount()) : 0);
    }
    return g;
}

int lineStartOf(const QTextBlock& piece) {
    const PieceData* d = pieceData(piece);
    if (!d || !d->line) return piece.position();
    return piece.position() - d->line->start(d->index);
}

QTextBlock pieceBlock(const QTextBlock& piece, int i) {
    const PieceData* d = pieceData(piece);
    if (!d || !d->line) return piece;
    if (i == d->index) return piece;
    return piece.document()->findBlock(lineStartOf(piece) + d->line->start(i));
}

}  // namespace kavrin
