#include "platform/richtext/textcolors.h"


namespace kavrin {

QColor colorToQt(int color) { return QColor(color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF); }

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

}  // namespace kavrin
