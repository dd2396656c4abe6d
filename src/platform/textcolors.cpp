#include "platform/textcolors.h"

#include <QBrush>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include "platform/textstore.h"

namespace kavrin {

QColor colorToQt(int color) { return QColor(color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF); }

int formatColor(const QTextCharFormat& f) {
    if (!f.hasProperty(QTextFormat::ForegroundBrush)) return 0;
    const QBrush b = f.foreground();
    if (b.style() == Qt::NoBrush) return 0;
    const QColor c = b.color();
    return c.red() | (c.green() << 8) | (c.blue() << 16);
}

const QTextCharFormat& FormatCache::operator()(int color) {
    auto it = formats_.find(color);
    if (it == formats_.end()) {
        QTextCharFormat f;
        f.setForeground(colorToQt(color));
        it = formats_.insert(color, f);
    }
    return *it;
}

void addPiece(ColorPieces& pieces, qsizetype length, int color) {
    if (length <= 0) return;
    if (!pieces.empty() && pieces.back().color == color)
        pieces.back().length += length;
    else
        pieces.push_back({length, color});
}

bool flattenRanges(const QVector<ColorRange>& ranges, qsizetype len, qsizetype* from, ColorPieces* wanted) {
    qsizetype lo = len, hi = 0;
    for (qsizetype i = 0; i < ranges.size(); ++i) {
        const ColorRange& r = ranges[i];
        if (r.length <= 0) continue;
        lo = qMin(lo, qBound<qsizetype>(0, qsizetype(r.start), len));
        hi = qMax(hi, qBound<qsizetype>(0, qsizetype(r.start) + r.length, len));
        if (i >= 2 && r.start < ranges[i - 1].start + qMax(0, ranges[i - 1].length)) return false;
    }
    *from = lo;
    wanted->clear();
    // Each range adds at most two pieces: the stretch under it and itself.
    wanted->reserve(size_t(2 * ranges.size() + 1));
    if (hi <= lo) return true;
    const ColorRange& base = ranges.first();
    const qsizetype baseStart = qBound<qsizetype>(0, qsizetype(base.start), len);
    const qsizetype baseEnd = qBound<qsizetype>(0, qsizetype(base.start) + qMax(0, base.length), len);
    auto under = [&](qsizetype a0, qsizetype b0) {  // [a0, b0) outside every later range
        const qsizetype a = qMax(a0, baseStart), b = qMin(b0, baseEnd);
        if (a >= b) {
            addPiece(*wanted, b0 - a0, -1);
            return;
        }
        addPiece(*wanted, a - a0, -1);
        addPiece(*wanted, b - a, base.color);
        addPiece(*wanted, b0 - b, -1);
    };
    qsizetype at = lo;
    for (qsizetype i = 1; i < ranges.size(); ++i) {
        const ColorRange& r = ranges[i];
        const qsizetype start = qBound<qsizetype>(at, qsizetype(r.start), hi);
        const qsizetype end = qBound<qsizetype>(start, qsizetype(r.start) + qMax(0, r.length), hi);
        if (end == start) continue;
        under(at, start);
        addPiece(*wanted, end - start, r.color);
        at = end;
    }
    under(at, hi);
    return true;
}

namespace {

// Colours of the document's character formats by format index.
class FormatColors {
public:
    explicit FormatColors(const QTextDocument* doc) : doc_(doc) {}
    int operator()(int index) {
        if (index < 0) return 0;
        if (index >= colors_.size()) {
            const QList<QTextFormat> formats = doc_->allFormats();
            colors_.resize(formats.size());
            for (qsizetype i = 0; i < formats.size(); ++i) colors_[i] = formatColor(formats[i].toCharFormat());
            if (index >= colors_.size()) return 0;
        }
        return colors_[index];
    }

private:
    const QTextDocument* doc_;
    QVector<int> colors_;
};

}  // namespace

ColorPieces shownPieces(const QTextDocument* doc, qsizetype from, qsizetype to, qsizetype expected) {
    ColorPieces pieces;
    pieces.reserve(size_t(qMax<qsizetype>(0, expected)));
    FormatColors colors(doc);
    QTextBlock b = doc->findBlock(documentPosition(doc, int(from)));
    qsizetype blockOffset = b.position() + b.blockNumber();
    qsizetype at = from;
    while (b.isValid() && at < to) {
        // A block's fragments follow each other without gaps: their offsets are added up rather
        // than asked for, which would search the document for each.
        qsizetype fs = blockOffset;
        for (auto it = b.begin(); !it.atEnd() && at < to; ++it) {
            const QTextFragment f = it.fragment();
            if (!f.isValid()) continue;
            const qsizetype fe = fs + f.length();
            if (fe > at) {
                const qsizetype e = qMin<qsizetype>(fe, to);
                addPiece(pieces, e - qMax(fs, at), colors(f.charFormatIndex()));
                at = e;
            }
            fs = fe;
        }
        const QTextBlock next = b.next();
        const qsizetype breakAt = blockOffset + b.length() - 1;
        if (next.isValid() && at < to && at < breakAt + 2) {
            // A line break's colour is the one the next block records as its own.
            const qsizetype e = qMin<qsizetype>(breakAt + 2, to);
            addPiece(pieces, e - qMax(breakAt, at), colors(next.charFormatIndex()));
            at = e;
        }
        blockOffset += b.length() + 1;
        b = next;
    }
    return pieces;
}

QVector<ColorRange> colorChanges(const ColorPieces& shown, const ColorPieces& wanted, qsizetype from) {
    QVector<ColorRange> changes;
    size_t i = 0, j = 0;
    qsizetype inShown = 0, inWanted = 0, pos = from;
    while (i < shown.size() && j < wanted.size()) {
        const qsizetype step = qMin(shown[i].length - inShown, wanted[j].length - inWanted);
        if (wanted[j].color >= 0 && shown[i].color != wanted[j].color) {
            if (!changes.isEmpty() && changes.last().start + changes.last().length == pos &&
                changes.last().color == wanted[j].color)
                changes.last().length += int(step);
            else
                changes.append({int(pos), int(step), wanted[j].color});
        }
        pos += step;
        inShown += step;
        inWanted += step;
        if (inShown == shown[i].length) ++i, inShown = 0;
        if (inWanted == wanted[j].length) ++j, inWanted = 0;
    }
    return changes;
}

void setColorRanges(QTextDocument* doc, const QVector<ColorRange>& ranges, FormatCache& formats,
                    const std::function<void(qsizetype)>& done) {
    if (ranges.isEmpty()) return;
    OffsetWalker walker(doc);
    QTextCursor w(doc);
    // Inside an edit block a cursor that moves does not lay its line out, and the changed
    // blocks are laid out once when it ends.
    w.beginEditBlock();
    for (qsizetype k = 0; k < ranges.size(); ++k) {
        const ColorRange& r = ranges[k];
        if (r.length > 0) {
            w.setPosition(walker.position(r.start));
            w.setPosition(walker.position(r.start + r.length), QTextCursor::KeepAnchor);
            w.setCharFormat(formats(r.color));
        }
        if (done) done(k);
    }
    w.endEditBlock();
}

}  // namespace kavrin
