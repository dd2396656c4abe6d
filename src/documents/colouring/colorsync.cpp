#include "documents/colouring/colorsync.h"

#include <QtGlobal>

#include "documents/colouring/colorrange.h"
#include "documents/colouring/colorrtf.h"

namespace kavrin {

namespace {

// What the pass carries from one character to the next.
struct ScanState {
    bool inComment = false;
    int color = 0;
    bool operator==(const ScanState& o) const { return inComment == o.inComment && color == o.color; }
};

// The pass's colours as they show in the editor: the colour table's values, black for the rest.
struct ScanColors {
    const TagColors& colors;
    int comment;
    explicit ScanColors(const TagColors& c) : colors(c), comment(rtfTableColor(c.comment)) {}
};

// A text read through a function, so that the text as it was before a change can be read from
// the text now and the removed part without being put together.
template <typename At>
class Scanner {
public:
    Scanner(const At& at, qsizetype size, const ScanColors& colors) : at_(at), n_(size), colors_(colors) {}

    // Reads the token at `i` (a line break, a comment mark, or one character): its length, and
    // the colour its characters take, into `color`.
    qsizetype step(qsizetype i, ScanState& s, int& color) const {
        const char16_t c = at_(i);
        if (c == u'\r' || c == u'\n') {
            color = s.color;
            return (c == u'\r' && i + 1 < n_ && at_(i + 1) == u'\n') ? 2 : 1;
        }
        if (s.inComment) {
            if (c == u'-' && i + 2 < n_ && at_(i + 1) == u'-' && at_(i + 2) == u'>') {
                color = s.color;
                s = ScanState{};
                return 3;
            }
            color = s.color;
            return 1;
        }
        if (c == u'<') {
            if (i + 3 < n_ && at_(i + 1) == u'!' && at_(i + 2) == u'-' && at_(i + 3) == u'-') {
                s = ScanState{true, colors_.comment};
                color = s.color;
                return 4;
            }
            // The tag's class comes from the up to 12 characters after its "<".
            char16_t window[12];
            const qsizetype k = qMin<qsizetype>(12, n_ - i - 1);
            for (qsizetype j = 0; j < k; ++j) window[j] = at_(i + 1 + j);
            s.color = rtfTableColor(tagColorFor(QStringView(window, k), colors_.colors));
            color = s.color;
            return 1;
        }
        color = s.color;
        if (c == u'>') s.color = 0;
        return 1;
    }
    qsizetype size() const { return n_; }

private:
    const At& at_;
    qsizetype n_;
    const ScanColors& colors_;
};

void addRun(QVector<ColorPieceRun>& runs, qsizetype length, int color) {
    if (length <= 0) return;
    if (!runs.isEmpty() && runs.last().color == color)
        runs.last().length += length;
    else
        runs.append({length, color});
}

// A point at or before `limit` from which the pass can be read with a known state: after the last
// "-->" that leaves every reading outside a comment, then at the first comment opened after it,
// or else just after the last tag end or at the last tag start.
qsizetype knownPointBefore(QStringView t, qsizetype limit) {
    limit = qBound<qsizetype>(0, limit, t.size());
    // Every "-->" and "<!--" holds a "-": one walk back over the dashes, nearest first, finds the
    // last "-->" and every comment opened after it. A page without comments has few dashes, and
    // the walk skips the rest of its text four characters at a time.
    qsizetype after = 0;  // the pass is outside a comment here, with black next
    qsizetype opened = -1;
    for (qsizetype k = lastIndexBefore(t, u'-', qMin(t.size(), limit + 3)); k >= 0; k = lastIndexBefore(t, u'-', k)) {
        if (k + 3 <= limit && t[k + 1] == u'-' && t[k + 2] == u'>') {
            // A "-->" sharing its dashes with a "<!--" may be that comment's start and close nothing.
            const bool shared = (k >= 2 && t.mid(k - 2, 4) == u"<!--") || (k >= 3 && t.mid(k - 3, 4) == u"<!--");
            if (!shared) {
                after = k + 3;
                break;
            }
        }
        // Only an opener that starts before `limit` counts; the earliest after the "-->" decides.
        if (k >= 3 && k - 3 < limit && t[k - 1] == u'-' && t[k - 2] == u'!' && t[k - 3] == u'<') opened = k - 3;
    }
    if (opened >= 0) return opened;
    qsizetype point = after;
    if (limit > after) {
        const qsizetype lt = lastIndexBefore(t, u'<', limit);
        const qsizetype gt = lastIndexBefore(t, u'>', limit);
        if (lt >= after) point = qMax(point, lt);
        if (gt >= after) point = qMax(point, gt + 1);
    }
    return point;
}

}  // namespace

qsizetype PageColorStretch::length() const {
    qsizetype n = 0;
    for (const ColorPieceRun& r : runs) n += r.length;
    return n;
}

namespace {

// Where the reading of a change at `start` begins, found in the text before the change. A tag's
// colour looks 12 characters past its "<", so the reading starts before any "<" whose look
// reaches into the change.
qsizetype readingStart(const SplitText& t, qsizetype start) {
    const qsizetype limit = qMax<qsizetype>(0, start - 13);
    // The text before the change is looked through whole: it is the head when the editor's gap
    // lies after it, as it does after an edit there.
    if (t.head.size() >= limit) return knownPointBefore(t.head, limit);
    const QString before = t.mid(0, limit);
    return knownPointBefore(before, limit);
}

// Reads the text now from `from` through the change and on, in step with the text before it,
// until both readings agree again.
template <typename NowAt, typename BeforeAt>
PageColorStretch readAcross(const NowAt& nowAt, qsizetype n, const BeforeAt& beforeAt, qsizetype beforeSize,
                            qsizetype from, qsizetype start, qsizetype cut, qsizetype inserted,
                            const TagColors& colors) {
    const ScanColors scanColors(colors);
    const Scanner<NowAt> after(nowAt, n, scanColors);
    const Scanner<BeforeAt> before(beforeAt, beforeSize, scanColors);
    PageColorStretch out;
    out.from = from;
    ScanState s, old;
    qsizetype i = from, j = from;
    int color = 0;
    const qsizetype newEnd = start + inserted, oldEnd = start + cut;
    while (i < n && i < newEnd) {
        const qsizetype len = after.step(i, s, color);
        addRun(out.runs, qMin(len, n - i), color);
        i += len;
    }
    while (j < before.size() && j < oldEnd) j += before.step(j, old, color);
    // Past the change both texts are the same: read on in step until both readings stand at the
    // same character in the same state.
    while (i < n) {
        const qsizetype di = i - newEnd, dj = j - oldEnd;
        if (di == dj && s == old) break;
        if (di <= dj) {
            const qsizetype len = after.step(i, s, color);
            addRun(out.runs, qMin(len, n - i), color);
            i += len;
        } else if (j < before.size()) {
            j += before.step(j, old, color);
        } else {
            // The text before the change has ended: what is left of the text now is read to its end.
            const qsizetype len = after.step(i, s, color);
            addRun(out.runs, qMin(len, n - i), color);
            i += len;
        }
    }
    return out;
}

// Reads `text` with its `length` characters at `start` in place of `with`: the text on the other
// side of a change.
auto patched(const SplitText& text, qsizetype start, qsizetype length, QStringView with) {
    return [&text, start, length, with](qsizetype i) -> char16_t {
        if (i < start) return text.at(i).unicode();
        if (i < start + with.size()) return with[i - start].unicode();
        return text.at(i - with.size() + length).unicode();
    };
}

}  // namespace

PageColorStretch pageColorsAfterChange(const SplitText& now, qsizetype start, QStringView removed, qsizetype inserted,
                                       const TagColors& colors) {
    const qsizetype n = now.size();
    start = qBound<qsizetype>(0, start, n);
    inserted = qBound<qsizetype>(0, inserted, n - start);
    const qsizetype cut = removed.size();
    const auto nowAt = [&now](qsizetype i) { return now.at(i).unicode(); };
    return readAcross(nowAt, n, patched(now, start, inserted, removed), n - inserted + cut, readingStart(now, start),
                      start, cut, inserted, colors);
}

PageColorStretch pageColorsForChange(const SplitText& before, qsizetype start, qsizetype removed,
                                     QStringView inserted, const TagColors& colors) {
    const qsizetype size = before.size();
    start = qBound<qsizetype>(0, start, size);
    const qsizetype cut = qBound<qsizetype>(0, removed, size - start);
    const qsizetype added = inserted.size();
    const auto beforeAt = [&before](qsizetype i) { return before.at(i).unicode(); };
    return readAcross(patched(before, start, cut, inserted), size - cut + added, beforeAt, size,
                      readingStart(before, start), start, cut, added, colors);
}

PageColorStretch pageColors(QStringView text, const TagColors& colors) {
    const ScanColors scanColors(colors);
    const auto at = [text](qsizetype i) { return text[i].unicode(); };
    const Scanner<decltype(at)> scan(at, text.size(), scanColors);
    PageColorStretch out;
    ScanState s;
    int color = 0;
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype len = scan.step(i, s, color);
        addRun(out.runs, qMin(len, text.size() - i), color);
        i += len;
    }
    return out;
}

}  // namespace kavrin
