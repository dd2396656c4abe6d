#include "documents/design/designmerge.h"

#include <QHash>
#include <QRegularExpression>
#include <algorithm>
#include <climits>
#include <cstring>
#include <deque>
#include <functional>

#include "documents/design/htmltokens.h"
#include "documents/design/seqdiff.h"

namespace kavrin {

namespace {

using Tokens = HtmlTokens;

int count(const Tokens& tokens) { return int(tokens.size()); }

// Stretches of the source and of the engine's page that stand for the same part of the page,
// [s0, s1) and [l0, l1); each starts outside any tag, `sPre` and `lPre` when inside <pre>.
struct Window {
    int s0 = 0, s1 = 0, l0 = 0, l1 = 0;
    bool sPre = false, lPre = false;
};

constexpr quint64 kTagBit = 1ULL << 63;
// Outside <pre>, a run of spaces, tabs, line breaks and no-break spaces counts as one piece when
// the engine's page before and after the edit are compared: beside the caret the engine rewrites
// such a run (no-break spaces for plain ones, one for many) without changing what shows. A run
// that shows nothing (at the start or end of a line) is told apart from one that does: the
// engine drops those beside typed text, and a typed space is never one.
constexpr quint64 kSpaceRunKey = 0x110000;
constexpr quint64 kHiddenRunKey = 0x110001;

bool collapsible(QChar c) { return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f'; }

bool isText(const HtmlToken& t) { return t.kind == HtmlToken::Text; }

// How many characters two texts share at their start, and at their end: compared a block at a
// time, as these pages run to megabytes and differ in a few places.
int commonPrefix(QStringView a, QStringView b) {
    constexpr qsizetype kBlock = 256;
    const qsizetype n = std::min(a.size(), b.size());
    qsizetype i = 0;
    while (i + kBlock <= n && std::memcmp(a.data() + i, b.data() + i, kBlock * sizeof(QChar)) == 0) i += kBlock;
    while (i < n && a[i] == b[i]) ++i;
    return int(i);
}

int commonSuffix(QStringView a, QStringView b) {
    constexpr qsizetype kBlock = 256;
    const qsizetype n = std::min(a.size(), b.size());
    const QChar* ae = a.data() + a.size();
    const QChar* be = b.data() + b.size();
    qsizetype i = 0;
    while (i + kBlock <= n && std::memcmp(ae - i - kBlock, be - i - kBlock, kBlock * sizeof(QChar)) == 0) i += kBlock;
    while (i < n && ae[-1 - i] == be[-1 - i]) ++i;
    return int(i);
}

// The first token that ends after `offset` (the one holding it, or the next).
int tokenAt(const Tokens& tokens, int offset) {
    const auto it = std::upper_bound(tokens.cbegin(), tokens.cend(), offset,
                                     [](int value, const HtmlToken& t) { return value < t.end; });
    return int(it - tokens.cbegin());
}

// A piece of an engine page compared as one: a tag or comment, one character of text, or a run
// of spaces.
struct Unit {
    int begin;
    int end;
    quint64 key;
    int length = 0;      // of a run: its characters
    int shows = 0;       // ... the spaces it shows
    bool plain = false;  // ... made of plain spaces, tabs and line breaks alone
};

bool spaceHidden(QStringView text, int at);

void appendUnits(QStringView text, const HtmlToken& t, QVector<Unit>& units) {
    if (!isText(t)) {
        units.push_back({t.begin, t.end, t.key | kTagBit});
        return;
    }
    QVector<int> offsets;
    const QString chars = decodeHtmlText(text.mid(t.begin, t.end - t.begin), &offsets, false, !(t.flags & HtmlToken::Raw));
    const bool pre = t.flags & (HtmlToken::Pre | HtmlToken::Raw);
    const int n = int(chars.size());
    for (int i = 0; i < n;) {
        const QChar c = chars[i];
        const bool nbsp = c == QChar(0xA0);
        if (pre || !(collapsible(c) || nbsp)) {
            units.push_back({t.begin + offsets[i], t.begin + offsets[i + 1], c.unicode()});
            ++i;
            continue;
        }
        Unit run{t.begin + offsets[i], 0, 0, 0, 0, true};
        bool afterPlain = false;
        for (; i < n && (collapsible(chars[i]) || chars[i] == QChar(0xA0)); ++i) {
            const bool plain = chars[i] != QChar(0xA0);
            if (!plain || !afterPlain) ++run.shows;
            run.plain = run.plain && plain;
            afterPlain = plain;
            ++run.length;
        }
        run.end = t.begin + offsets[i];
        run.key = run.plain && spaceHidden(text, run.begin) ? kHiddenRunKey : kSpaceRunKey;
        units.push_back(run);
    }
}

// ---- Where a space shows --------------------------------------------------------------------

// The layout's view of the page around a place: scanning from `at` one way, past inline tags and
// comments, what comes first.
enum class Neighbour { Text, Space, Boundary };

Neighbour neighbour(QStringView text, int at, int step, int* space = nullptr, bool emptyShows = true) {
    const int n = int(text.size());
    for (int i = at; i >= 0 && i < n;) {
        const QChar c = text[i];
        if (collapsible(c)) {
            if (space) *space = i;
            return Neighbour::Space;
        }
        int tagBegin = -1;
        int tagEnd = -1;
        if (step > 0 && c == u'<') {
            if (text.mid(i).startsWith(u"<!--")) {
                const qsizetype close = text.indexOf(u"-->", i + 4);
                if (close < 0) return Neighbour::Boundary;
                i = int(close) + 3;
                continue;
            }
            tagBegin = i;
            tagEnd = int(text.indexOf(u'>', i));
        } else if (step < 0 && c == u'>') {
            if (i >= 2 && text[i - 1] == u'-' && text[i - 2] == u'-') {
                const qsizetype open = text.lastIndexOf(u"<!--", i);
                if (open < 0) return Neighbour::Text;
                i = int(open) - 1;
                continue;
            }
            tagEnd = i;
            tagBegin = int(text.lastIndexOf(u'<', i));
        }
        // A "<" or ">" that opens or closes no tag is text.
        if (tagBegin < 0 || tagEnd < 0 || text.indexOf(u'>', tagBegin) != tagEnd) return Neighbour::Text;
        int nameBegin = tagBegin + 1;
        if (nameBegin < tagEnd && text[nameBegin] == u'/') ++nameBegin;
        int nameEnd = nameBegin;
        while (nameEnd < tagEnd && text[nameEnd].isLetterOrNumber()) ++nameEnd;
        if (nameEnd == nameBegin || !text[nameBegin].isLetter()) return Neighbour::Text;
        const QStringView name = text.mid(nameBegin, nameEnd - nameBegin);
        switch (htmlTagRole(name.toString().toLower())) {
        case HtmlTagRole::Block: return Neighbour::Boundary;
        case HtmlTagRole::Content: return Neighbour::Text;
        case HtmlTagRole::Inline: break;
        }
        // An inline element with nothing in it is there for what a style sheet shows in it (an
        // icon, an arrow): it counts as text.
        const bool closing = text[tagBegin + 1] == u'/';
        if (emptyShows && step < 0 && closing && tagBegin > 0 && text[tagBegin - 1] == u'>') {
            const qsizetype open = text.lastIndexOf(u'<', tagBegin - 1);
            if (open >= 0 && text.mid(open + 1).startsWith(name, Qt::CaseInsensitive) &&
                !text[open + 1 + name.size()].isLetterOrNumber())
                return Neighbour::Text;
        }
        if (emptyShows && step > 0 && !closing && text.mid(tagEnd + 1).startsWith(u"</") &&
            text.mid(tagEnd + 3).startsWith(name, Qt::CaseInsensitive))
            return Neighbour::Text;
        i = step > 0 ? tagEnd + 1 : tagBegin - 1;
    }
    return Neighbour::Boundary;
}

bool spaceHidden(QStringView text, int at);

// A plain space at `at` shows as one space: text on both sides, no other space beside it. Or a
// space follows it that showed nothing before the edit (it stood at the start of a line), text
// comes after that, and `hiddenBefore` says so of it: the two then show as the one space typed,
// where a no-break one would show beside it as a second.
bool plainSpaceShows(QStringView text, int at, const std::function<bool(int)>& hiddenBefore = {}) {
    if (neighbour(text, at - 1, -1) != Neighbour::Text) return false;
    int space = -1;
    const Neighbour next = neighbour(text, at + 1, 1, &space);
    if (next == Neighbour::Text) return true;
    return next == Neighbour::Space && hiddenBefore && hiddenBefore(space) && !spaceHidden(text, at);
}

// The space, tab or line break at `at` of an engine page shows nothing: it follows a boundary or
// another space, or nothing but spaces lie between it and a boundary.
bool spaceHidden(QStringView text, int at) {
    if (neighbour(text, at - 1, -1) != Neighbour::Text) return true;
    int i = at + 1;
    for (;;) {
        const Neighbour next = neighbour(text, i, 1);
        if (next == Neighbour::Text) return false;
        if (next == Neighbour::Boundary) return true;
        // Past this space (and any tags before it) to what follows.
        while (i < text.size() && !collapsible(text[i])) {
            const qsizetype close = text.indexOf(u'>', i);
            i = close < 0 ? int(text.size()) : int(close) + 1;
        }
        ++i;
    }
}

// ---- The source's ways of writing ---------------------------------------------------------------

struct Spelling {
    QHash<char32_t, QString> entities;  // characters the source writes as entities, as it does
    bool rawGreaterThan = false;        // its text has ">" unescaped
    PageCharset charset = PageCharset::Unicode;

    QString nbsp() const { return entities.value(0xA0, QStringLiteral("&nbsp;")); }

    bool holds(char32_t c) const {
        if (c < 0x80 || charset == PageCharset::Unicode) return true;
        if (charset == PageCharset::Ascii) return false;
        QByteArray bytes;
        return encodeWindows1252(QString::fromUcs4(&c, 1), &bytes);
    }
};

// Read from the part of the source around the change (its neighbourhood writes as the change should).
Spelling sourceSpelling(const QString& source, const Window& w, const Tokens& tokens, PageCharset charset) {
    Spelling spelling;
    spelling.charset = charset;
    constexpr int kAround = 65536;
    const qsizetype end = std::min<qsizetype>(source.size(), qsizetype(w.s1) + kAround);
    int seen = 0;
    for (qsizetype at = source.indexOf(u'&', std::max(0, w.s0 - kAround)); at >= 0 && at < end && seen < 20000;
         at = source.indexOf(u'&', at + 1), ++seen) {
        QVector<int> offsets;
        const QString first = decodeHtmlText(QStringView(source).mid(at, 40), &offsets);
        if (offsets.size() < 2 || offsets[1] <= 1) continue;
        const char32_t code = first.isEmpty() ? 0 : first.toUcs4().value(0);
        if (code && !spelling.entities.contains(code))
            spelling.entities.insert(code, source.mid(at, offsets[first[0].isHighSurrogate() ? 2 : 1]));
    }
    for (const HtmlToken& t : tokens)
        if (isText(t) && !(t.flags & HtmlToken::Raw) && QStringView(source).mid(t.begin, t.end - t.begin).contains(u'>')) {
            spelling.rawGreaterThan = true;
            break;
        }
    return spelling;
}

// ---- Matching the source to the engine's page ------------------------------------------------------

// For each token of the engine's page, the token of the source it stands for, or -1: matched by
// what the parser reads (tags the parser supplies by itself left aside), then, between two
// matches, by kind and name alone.
std::vector<int> matchSource(const Tokens& loaded, const Tokens& source) {
    std::vector<int> li;
    std::vector<int> si;
    std::vector<quint64> lk;
    std::vector<quint64> sk;
    for (int i = 0; i < count(loaded); ++i)
        if (!(loaded[i].flags & HtmlToken::Optional)) li.push_back(i), lk.push_back(loaded[i].key);
    for (int i = 0; i < count(source); ++i)
        if (!(source[i].flags & HtmlToken::Optional)) si.push_back(i), sk.push_back(source[i].key);
    const std::vector<int> pairs = pairSequences(lk.data(), int(lk.size()), sk.data(), int(sk.size()));
    std::vector<int> match(size_t(count(loaded)), -1);
    for (size_t k = 0; k < pairs.size(); ++k)
        if (pairs[k] >= 0) match[size_t(li[k])] = si[size_t(pairs[k])];
    auto loosely = [&](int l0, int l1, int s0, int s1) {
        if (l0 >= l1 || s0 >= s1) return;
        std::vector<quint64> a;
        std::vector<quint64> b;
        for (int i = l0; i < l1; ++i) a.push_back(loaded[i].loose);
        for (int j = s0; j < s1; ++j) b.push_back(source[j].loose);
        const std::vector<int> p = pairSequences(a.data(), int(a.size()), b.data(), int(b.size()), 256);
        for (int i = 0; i < int(p.size()); ++i)
            if (p[size_t(i)] >= 0) match[size_t(l0 + i)] = s0 + p[size_t(i)];
    };
    int lastL = -1;
    int lastS = -1;
    for (int i = 0; i < count(loaded); ++i) {
        if (match[size_t(i)] < 0) continue;
        loosely(lastL + 1, i, lastS + 1, match[size_t(i)]);
        lastL = i;
        lastS = match[size_t(i)];
    }
    loosely(lastL + 1, int(count(loaded)), lastS + 1, int(count(source)));
    return match;
}

// ---- The stretch worth comparing ------------------------------------------------------------

// A page's tokens one by one, those the parser supplies by itself left out, with room to read
// some again.
class StepReader {
public:
    StepReader(QStringView text, int from, bool pre) : stream_(text, from, pre) {}
    bool next(HtmlToken& t) {
        for (;;) {
            if (!again_.empty()) {
                t = again_.front();
                again_.pop_front();
            } else if (!stream_.next(t)) {
                return false;
            }
            if (!(t.flags & HtmlToken::Optional)) return true;
        }
    }
    template <class It>
    void readAgain(It from, It to) {
        again_.insert(again_.begin(), from, to);
    }

private:
    HtmlTokenStream stream_;
    std::deque<HtmlToken> again_;
};

using AlignPoint = DesignAlignment::Point;

constexpr int kMargin = 512;  // characters of the engine's page kept on each side of a change

// The source and the engine's page read in step from `start` (a place where they read alike):
// where they last agree some way before `from` (an offset of the engine's page) and first agree
// again some way after `to`. Only that stretch needs comparing in detail, and nothing of either
// page is kept. False when the two drift so far apart that they are not found in step again
// nearby. `points`, when given, receives a tag where they agree every `spacing` characters of
// the engine's page, as far as they are read.
bool stepWindow(QStringView source, QStringView loaded, int from, int to, Window& w, const AlignPoint& start = {},
                std::vector<AlignPoint>* points = nullptr, int spacing = 0) {
    constexpr int kAhead = 256;   // tokens read ahead to find the pages in step again
    constexpr int kSteady = 4;    // tokens alike in a row that count as in step
    StepReader s(source, start.s, start.sPre);
    StepReader l(loaded, start.l, start.lPre);
    w = Window{start.s, int(source.size()), start.l, int(loaded.size()), start.sPre, start.lPre};
    HtmlToken st;
    HtmlToken lt;
    bool haveS = s.next(st);
    bool haveL = l.next(lt);
    bool past = false;
    int alike = 0;
    int nextPoint = start.l + spacing;
    while (haveS && haveL) {
        if (st.key == lt.key) {
            const bool raw = (lt.flags | st.flags) & HtmlToken::Raw;
            if (!past && lt.begin <= from - kMargin && !raw)
                w = Window{st.begin, w.s1, lt.begin, w.l1, bool(st.flags & HtmlToken::Pre), bool(lt.flags & HtmlToken::Pre)};
            // A tag, not text: how text reads can depend on what came before it (the line break
            // that opens a <pre>), and reading starts afresh at a point.
            if (points && lt.begin >= nextPoint && !raw && !isText(lt)) {
                points->push_back({st.begin, lt.begin, bool(st.flags & HtmlToken::Pre), bool(lt.flags & HtmlToken::Pre)});
                nextPoint = lt.begin + spacing;
            }
            if (!past && lt.begin >= to + kMargin) past = true;
            if (past && ++alike >= kSteady) {
                w.s1 = st.end;
                w.l1 = lt.end;
                return true;
            }
            haveS = s.next(st);
            haveL = l.next(lt);
            continue;
        }
        alike = 0;
        std::vector<HtmlToken> sa{st};
        std::vector<HtmlToken> la{lt};
        HtmlToken t;
        while (int(sa.size()) < kAhead && s.next(t)) sa.push_back(t);
        while (int(la.size()) < kAhead && l.next(t)) la.push_back(t);
        std::vector<quint64> sk;
        std::vector<quint64> lk;
        for (const HtmlToken& x : sa) sk.push_back(x.key);
        for (const HtmlToken& x : la) lk.push_back(x.key);
        const std::vector<int> pairs = pairSequences(lk.data(), int(lk.size()), sk.data(), int(sk.size()));
        int k0 = -1;
        for (int k = 0; k < int(la.size()) && k0 < 0; ++k) {
            if (pairs[size_t(k)] < 0) continue;
            int r = 1;
            while (r < kSteady && k + r < int(la.size()) && pairs[size_t(k + r)] == pairs[size_t(k)] + r) ++r;
            if (r >= kSteady || (k + r == int(la.size()) && int(la.size()) < kAhead)) k0 = k;
        }
        if (k0 < 0) return past;  // past the change, the rest of both pages serves as well
        s.readAgain(sa.begin() + pairs[size_t(k0)], sa.end());
        l.readAgain(la.begin() + k0, la.end());
        haveS = s.next(st);
        haveL = l.next(lt);
    }
    return true;
}

enum class Role { Start, End, Insert };

class SourceMap {
public:
    SourceMap(QStringView loaded, const Tokens& lt, QStringView source, const Tokens& st, const Window& w)
        : loaded_(loaded), lt_(lt), source_(source), st_(st), window_(w), match_(matchSource(lt, st)) {}

    // The place in the source of `offset` of the engine's page, for the start or end of a change
    // or for an insertion; -1 when the offset lies inside text the source has no counterpart for.
    int map(int offset, Role role) const {
        const int t = tokenAt(lt_, offset);
        if (t < count(lt_) && lt_[t].begin < offset) return inText(t, offset, role);
        // Between tokens t - 1 and t.
        int previous = t - 1;
        while (previous >= 0 && match_[size_t(previous)] < 0) --previous;
        int next = t;
        while (next < count(lt_) && match_[size_t(next)] < 0) ++next;
        const int afterPrevious = previous >= 0 ? st_[match_[size_t(previous)]].end : window_.s0;
        const int beforeNext = next < count(lt_) ? st_[match_[size_t(next)]].begin : window_.s1;
        switch (role) {
        case Role::Start: return beforeNext;
        case Role::End: return afterPrevious;
        case Role::Insert: return previous == t - 1 && previous >= 0 ? afterPrevious : beforeNext;
        }
        return beforeNext;
    }

    const HtmlToken& loadedToken(int offset) const { return lt_[tokenAt(lt_, offset)]; }

private:
    QStringView loaded_;
    const Tokens& lt_;
    QStringView source_;
    const Tokens& st_;
    Window window_;
    std::vector<int> match_;

    int inText(int t, int offset, Role role) const {
        const int s = match_[size_t(t)];
        if (s < 0 || !isText(st_[s])) return -1;
        const HtmlToken& l = lt_[t];
        const HtmlToken& src = st_[s];
        const bool entities = !(l.flags & HtmlToken::Raw);
        QVector<int> lo;
        QVector<int> so;
        const QString lc = decodeHtmlText(loaded_.mid(l.begin, l.end - l.begin), &lo, false, entities);
        const QString sc = decodeHtmlText(source_.mid(src.begin, src.end - src.begin), &so, false, entities);
        const int at = int(std::lower_bound(lo.cbegin(), lo.cend(), offset - l.begin) - lo.cbegin());
        if (at >= lo.size() || lo[at] != offset - l.begin) return -1;
        if (lc == sc) return src.begin + so[at];
        // Paired a character at a time, but a run of spaces and line breaks as one piece: the
        // source may break its lines elsewhere than the engine's page, and a line break paired
        // with one of another run would pull the words on either side of it apart.
        const bool pre = l.flags & (HtmlToken::Pre | HtmlToken::Raw);
        std::vector<int> lp;
        std::vector<int> sp;
        std::vector<quint64> a;
        std::vector<quint64> b;
        auto pieces = [pre](const QString& chars, std::vector<int>& starts, std::vector<quint64>& keys) {
            for (qsizetype i = 0; i < chars.size();) {
                starts.push_back(int(i));
                if (pre || !collapsible(chars[i])) {
                    keys.push_back(chars[i++].unicode());
                    continue;
                }
                while (i < chars.size() && collapsible(chars[i])) ++i;
                keys.push_back(kSpaceRunKey);
            }
            starts.push_back(int(chars.size()));
        };
        pieces(lc, lp, a);
        pieces(sc, sp, b);
        const std::vector<int> p = pairSequences(a.data(), int(a.size()), b.data(), int(b.size()));
        // The piece that holds `at`; inside a run of spaces the place in the run it pairs with,
        // a CR LF counting as one line break.
        int k = int(std::upper_bound(lp.cbegin(), lp.cend(), at) - lp.cbegin()) - 1;
        if (lp[size_t(k)] < at) {
            if (p[size_t(k)] >= 0) {
                int j = sp[size_t(p[size_t(k)])];
                const int runEnd = sp[size_t(p[size_t(k)] + 1)];
                for (int d = at - lp[size_t(k)]; d > 0 && j < runEnd; --d)
                    j += sc[j] == u'\r' && j + 1 < runEnd && sc[j + 1] == u'\n' ? 2 : 1;
                return src.begin + so[j];
            }
            if (role == Role::End) ++k;
        }
        auto after = [&](int i) { return src.begin + so[sp[size_t(p[size_t(i)] + 1)]]; };
        auto before = [&](int i) { return src.begin + so[sp[size_t(p[size_t(i)])]]; };
        int previous = k - 1;
        while (previous >= 0 && p[size_t(previous)] < 0) --previous;
        int next = k;
        while (next < int(p.size()) && p[size_t(next)] < 0) ++next;
        const int afterPrevious = previous >= 0 ? after(previous) : src.begin;
        const int beforeNext = next < int(p.size()) ? before(next) : src.end;
        switch (role) {
        case Role::Start: return beforeNext;
        case Role::End: return afterPrevious;
        case Role::Insert: return previous == k - 1 && previous >= 0 ? afterPrevious : beforeNext;
        }
        return beforeNext;
    }
};

// ---- The user's changes ---------------------------------------------------------------------

// The stretches between the pairs of two sequences (`pairs` for each item of the first, the
// item of the second or -1; `m` items in the second): [i0, i1) of the first and [j0, j1) of the
// second. `each` may pair items of the stretch it is given.
template <class Each>
void forEachStretch(const std::vector<int>& pairs, int m, Each each) {
    const int n = int(pairs.size());
    int i = 0;
    int j = 0;
    while (i < n || j < m) {
        if (i < n && pairs[size_t(i)] == j) {
            ++i, ++j;
            continue;
        }
        const int i0 = i;
        const int j0 = j;
        while (i < n && pairs[size_t(i)] < 0) ++i;
        j = i < n ? pairs[size_t(i)] : m;
        each(i0, i, j0, j);
    }
}

struct Change {
    int la, lb;  // in the engine's page before
    int ea, eb;  // and after
    int lead = 0;   // spaces typed before the engine's text
    int trail = 0;  // ... and after it
};

// The tokens of the engine's page before that a comparison of its stretch [l0, l1) reads,
// [t0, t1], the stretch they cover, [wl0, wl1), and whether <pre> holds its start.
struct Reach {
    int t0 = 0, t1 = -1;
    int wl0 = 0, wl1 = 0;
    bool pre = false;
};

Reach reachOf(QStringView loaded, const Tokens& lt, int l0, int l1) {
    const int nL = int(loaded.size());
    Reach r;
    int& t0 = r.t0;
    int& t1 = r.t1;
    t0 = tokenAt(lt, l0);
    if (t0 < count(lt) && t0 > 0 && (lt[t0].flags & HtmlToken::Raw)) --t0;
    t1 = tokenAt(lt, std::max(l1 - 1, 0));
    if (l1 <= (t0 < count(lt) ? lt[t0].begin : nL)) t1 = t0 - 1;
    t1 = std::min<int>(t1, int(count(lt)) - 1);
    r.wl0 = t0 < count(lt) ? lt[t0].begin : nL;
    r.wl1 = t1 >= t0 ? lt[t1].end : r.wl0;
    // A token's flag tells whether <pre> holds the place where it starts (a </pre> is inside, a
    // <pre> is not), which is what the edited page is read from. Past the last token, what the
    // last one leaves.
    if (t0 < count(lt)) {
        r.pre = lt[t0].flags & HtmlToken::Pre;
    } else if (t0 > 0) {
        const HtmlToken& last = lt[t0 - 1];
        const QString name = last.kind == HtmlToken::Text ? QString() : htmlTagName(loaded, last);
        const bool preLike = name == u"pre" || name == u"listing" || name == u"textarea";
        r.pre = preLike ? last.kind == HtmlToken::StartTag : bool(last.flags & HtmlToken::Pre);
    }
    return r;
}

// The changes that turned [l0, l1) of the engine's page before into [e0, e1) of it after (what
// precedes and follows each reads alike on both): tags whole, text character by character,
// with the spaces the engine dropped out of sight beside an edit left out of them.
void rangeChanges(QStringView loaded, const Tokens& lt, QStringView edited, int l0, int l1, int e0, int e1,
                  QVector<Change>& changes) {
    const Reach r = reachOf(loaded, lt, l0, l1);
    const int t0 = r.t0;
    const int t1 = r.t1;
    const int wl1 = r.wl1;
    const int we1 = wl1 + (e1 - l1);
    const Tokens et = tokenizeHtml(edited, r.wl0 + (e0 - l0), we1, r.pre);

    std::vector<quint64> a;
    std::vector<quint64> b;
    for (int i = t0; i <= t1; ++i) a.push_back(lt[i].key);
    for (const HtmlToken& t : et) b.push_back(t.key);
    const std::vector<int> pairs = pairSequences(a.data(), int(a.size()), b.data(), int(b.size()));

    auto refine = [&](int la0, int la1, int eb0, int eb1) {
        QVector<Unit> lu;
        QVector<Unit> eu;
        for (int i = la0; i < la1; ++i) appendUnits(loaded, lt[t0 + i], lu);
        for (int j = eb0; j < eb1; ++j) appendUnits(edited, et[j], eu);
        const int lStart = la0 < la1 ? lt[t0 + la0].begin : (t0 + la0 < count(lt) ? lt[t0 + la0].begin : wl1);
        const int eStart = eb0 < eb1 ? et[eb0].begin : (eb0 < count(et) ? et[eb0].begin : we1);
        // Text put in at one place (typing, mostly) is that insertion wherever it falls, even
        // inside a run of spaces, as long as it falls between two characters or tags.
        {
            const int lEnd = lu.isEmpty() ? lStart : lu.back().end;
            const int eEnd = eu.isEmpty() ? eStart : eu.back().end;
            const QStringView lText = loaded.mid(lStart, lEnd - lStart);
            const QStringView eText = edited.mid(eStart, eEnd - eStart);
            if (eText.size() > lText.size()) {
                int pre = 0;
                while (pre < lText.size() && lText[pre] == eText[pre]) ++pre;
                int suf = 0;
                while (suf < lText.size() - pre && lText[lText.size() - 1 - suf] == eText[eText.size() - 1 - suf]) ++suf;
                const int at = lStart + pre;
                // Between two units, or between two characters of a run of spaces.
                const auto unit = std::upper_bound(lu.cbegin(), lu.cend(), at, [](int x, const Unit& u) { return x < u.begin; });
                bool between = at == lEnd || (unit != lu.cbegin() && (unit - 1)->begin == at);
                if (!between && unit != lu.cbegin() && (unit - 1)->length > 0 && at < (unit - 1)->end) {
                    const QStringView before = loaded.mid((unit - 1)->begin, at - (unit - 1)->begin);
                    between = before.lastIndexOf(u'&') <= before.lastIndexOf(u';');
                }
                if (pre + suf == lText.size() && between) {
                    changes.push_back({at, at, eStart + pre, eStart + pre + int(eText.size() - lText.size())});
                    return;
                }
            }
        }
        std::vector<quint64> ka(size_t(lu.size()));
        std::vector<quint64> kb(size_t(eu.size()));
        for (int i = 0; i < lu.size(); ++i) ka[size_t(i)] = lu[i].key;
        for (int j = 0; j < eu.size(); ++j) kb[size_t(j)] = eu[j].key;
        const int n = int(lu.size());
        const int m = int(eu.size());
        // What the two share at their start and end pairs as it stands: text a delete moved
        // sits whole at one end, and the characters in between would pair it piecemeal with
        // what was deleted.
        int same0 = 0;
        while (same0 < n && same0 < m && ka[size_t(same0)] == kb[size_t(same0)]) ++same0;
        int same1 = 0;
        while (same1 < n - same0 && same1 < m - same0 && ka[size_t(n - 1 - same1)] == kb[size_t(m - 1 - same1)]) ++same1;
        std::vector<int> up(size_t(n), -1);
        for (int k = 0; k < same0; ++k) up[size_t(k)] = k;
        for (int k = 1; k <= same1; ++k) up[size_t(n - k)] = m - k;
        const std::vector<int> middle = pairSequences(ka.data() + same0, n - same0 - same1, kb.data() + same0, m - same0 - same1);
        for (int k = 0; k < int(middle.size()); ++k)
            if (middle[size_t(k)] >= 0) up[size_t(same0 + k)] = same0 + middle[size_t(k)];
        auto lOff = [&](int k) { return k < n ? lu[k].begin : (n ? lu[n - 1].end : lStart); };
        auto eOff = [&](int k) { return k < m ? eu[k].begin : (m ? eu[m - 1].end : eStart); };
        // The stretches between pairs; `inserted` tells, for each unit of the edited side,
        // which of them it belongs to.
        const int first = int(changes.size());
        std::vector<int> inserted(size_t(m), -1);
        // A run of spaces written the same before and after is the same run, though text typed
        // beside it now makes it show, or text deleted beside it hides it.
        auto same = [&](int a, int b) {
            return lu[a].length && eu[b].length &&
                   loaded.mid(lu[a].begin, lu[a].end - lu[a].begin) == edited.mid(eu[b].begin, eu[b].end - eu[b].begin);
        };
        forEachStretch(up, m, [&](int i0, int i1, int j0, int j1) {
            for (; i0 < i1 && j0 < j1 && same(i0, j0); ++i0, ++j0) up[size_t(i0)] = j0;
            for (; i1 > i0 && j1 > j0 && same(i1 - 1, j1 - 1); --i1, --j1) up[size_t(i1 - 1)] = j1 - 1;
            if (i1 - i0 == 1)
                for (int k = j0; k < j1; ++k)
                    if (same(i0, k)) {
                        up[size_t(i0)] = k;
                        break;
                    }
        });
        forEachStretch(up, m, [&](int i0, int i1, int j0, int j1) {
            int la = lOff(i0);
            int lb = lOff(i1);
            // Spaces out of sight are all that went: the engine dropped them beside what was
            // typed, and they stay in the source. What was typed goes before them when they end
            // a line, after them when they start one.
            // So are spaces that show only for an empty element before them (an icon a style sheet
            // draws) when they went and nothing came in their place: the engine takes such an
            // element for nothing, and the spaces for the start of a line.
            const auto outOfSight = [&](const Unit& u) {
                return u.key == kHiddenRunKey ||
                       (j0 == j1 && u.length && neighbour(loaded, u.begin - 1, -1, nullptr, false) != Neighbour::Text);
            };
            if (i0 < i1 && std::all_of(lu.cbegin() + i0, lu.cbegin() + i1, outOfSight))
                la = lb = neighbour(loaded, lOff(i1), 1) == Neighbour::Boundary ? lOff(i0) : lOff(i1);
            if (la == lb && j0 == j1) return;
            for (int k = j0; k < j1; ++k) inserted[size_t(k)] = int(changes.size());
            changes.push_back({la, lb, eOff(j0), eOff(j1)});
        });
        // A run of spaces the engine kept may have grown by spaces typed beside it: those come
        // back beside what was typed, the run itself as the source writes it.
        for (int k = 0; k < n; ++k) {
            const int e = up[size_t(k)];
            if (e < 0 || lu[k].key != kSpaceRunKey) continue;
            const int typed = lu[k].plain ? eu[e].shows - 1 : eu[e].length - lu[k].length;
            if (typed <= 0) continue;
            // Text deleted between two runs of spaces joins them: the run the delete took along
            // is what the kept one grew by, and it stays in the source where it was written.
            const auto joined = [&](int la, bool after) {
                for (int c = first; c < changes.size(); ++c) {
                    Change& d = changes[c];
                    if (d.ea != d.eb || (after ? d.la : d.lb) != la) continue;
                    for (int r = 0; r < n; ++r) {
                        const Unit& u = lu[r];
                        if ((after ? u.end != d.lb : u.begin != d.la) || u.key != kSpaceRunKey || u.length != typed ||
                            (after ? u.begin : u.end) == (after ? d.la : d.lb))
                            continue;
                        (after ? d.lb : d.la) = after ? u.begin : u.end;
                        return true;
                    }
                }
                return false;
            };
            if (joined(lu[k].end, true) || joined(lu[k].begin, false)) continue;
            if (e > 0 && inserted[size_t(e - 1)] >= 0) changes[inserted[size_t(e - 1)]].trail += typed;
            else if (e + 1 < m && inserted[size_t(e + 1)] >= 0) changes[inserted[size_t(e + 1)]].lead += typed;
            else changes.push_back({lu[k].end, lu[k].end, eu[e].end, eu[e].end, typed, 0});
        }
        std::stable_sort(changes.begin() + first, changes.end(), [](const Change& x, const Change& y) { return x.la < y.la; });
    };

    forEachStretch(pairs, int(b.size()), refine);
}

// The longest stretch the two sides of a change share is taken as kept (text a delete moved
// into another block) from this length on; a shorter one is left to the comparison above.
constexpr int kKeptStretch = 12;
constexpr int kMostSplit = 1 << 16;  // characters on the smaller side searched for one
constexpr int kMostRead = 1 << 22;   // ... and on the larger (a search reads it once, ~10 ms a MB)

// The changes between [l0, l1) of the engine's page before and [e0, e1) of it after, read
// alike on both sides back to `lo` and on to `hi` of the page before. The longest stretch the
// two share is kept as it is, and what lies on either side of it compared apart: text a delete
// moved from one block into another is found where it was, not paired a character at a time
// with the text deleted around it.
void splitChanges(QStringView loaded, const Tokens& lt, QStringView edited, const Tokens& et, int l0, int l1,
                  int e0, int e1, int lo, int hi, int depth, QVector<Change>& changes) {
    const int nl = l1 - l0;
    const int ne = e1 - e0;
    if (depth < 8 && std::min(nl, ne) >= kKeptStretch && std::min(nl, ne) <= kMostSplit && std::max(nl, ne) <= kMostRead) {
        const bool shorter = ne <= nl;
        const CommonStretch c = shorter ? longestCommonStretch(loaded.mid(l0, nl), edited.mid(e0, ne))
                                        : longestCommonStretch(edited.mid(e0, ne), loaded.mid(l0, nl));
        const int x = l0 + (shorter ? c.a : c.b);
        const int y = e0 + (shorter ? c.b : c.a);
        const int x1 = x + c.length;
        const int y1 = y + c.length;
        const bool left = x > l0 || y > e0;
        const bool right = x1 < l1 || y1 < e1;
        const Reach rl = reachOf(loaded, lt, l0, x);
        const Reach rr = reachOf(loaded, lt, x1, l1);
        // The edited page read from (or up to) a place of the page before: outside any tag and
        // any entity there too, and in the same kind of text.
        const auto inStep = [&](int l, int e) {
            const int lk = tokenAt(lt, l);
            const int ek = tokenAt(et, e);
            if (lk >= count(lt) || ek >= count(et)) return lk >= count(lt) && ek >= count(et);
            const HtmlToken& a = lt[lk];
            const HtmlToken& b = et[ek];
            if (((a.flags | b.flags) & HtmlToken::Raw) || (a.flags & HtmlToken::Pre) != (b.flags & HtmlToken::Pre))
                return false;
            if (b.begin == e) return a.begin == l;
            const QStringView before = edited.mid(std::max(b.begin, e - 32), e - std::max(b.begin, e - 32));
            return isText(b) && before.lastIndexOf(u'&') <= before.lastIndexOf(u';');
        };
        const bool fits = c.length >= kKeptStretch && (left || right) &&
                          (!left || (rl.wl0 >= lo && rl.wl1 <= (right ? x1 : hi) && inStep(rl.wl1, rl.wl1 + (y - x)))) &&
                          (!right || (rr.wl0 >= (left ? x : lo) && rr.wl1 <= hi && inStep(rr.wl0, rr.wl0 + (y - x)))) &&
                          (!left || !right || rl.wl1 <= rr.wl0);
        if (fits) {
            if (left) splitChanges(loaded, lt, edited, et, l0, x, e0, y, lo, x1, depth + 1, changes);
            if (right) splitChanges(loaded, lt, edited, et, x1, l1, y1, e1, x, hi, depth + 1, changes);
            return;
        }
    }
    rangeChanges(loaded, lt, edited, l0, l1, e0, e1, changes);
}

// The changes between the two engine pages, in their stretch [p, end - q); `et` receives the
// tokens of the edited page they are read from.
QVector<Change> engineChanges(QStringView loaded, const Tokens& lt, QStringView edited, int p, int q, Tokens& et) {
    const int nL = int(loaded.size());
    const int nE = int(edited.size());
    const Reach r = reachOf(loaded, lt, p, nL - q);
    et = tokenizeHtml(edited, r.wl0, r.wl1 + (nE - nL), r.pre);
    QVector<Change> changes;
    splitChanges(loaded, lt, edited, et, p, nL - q, p, nE - q, 0, nL, 0, changes);
    return changes;
}

// ---- Writing a change in the source's way -----------------------------------------------------------

class Writer {
public:
    // `replaced`: what the edit replaced of the engine's page before.
    Writer(QStringView edited, const Tokens& tokens, const Spelling& spelling, QStringView replaced)
        : edited_(edited), tokens_(tokens), spelling_(spelling), replaced_(replaced) {}

    // The engine's text of [from, to) as the source writes it; `spaces` receives the places of
    // the spaces whose spelling depends on what ends up beside them.
    QString write(int from, int to, QVector<int>* spaces) const {
        QString out;
        // A no-break space the page had, with the same word beside it, in what the edit
        // replaced: the author's, carried over (text a delete moved), not one the engine made
        // beside the edit, and it stays one.
        const auto authors = [&](const QList<uint>& chars, qsizetype at) {
            qsizetype b = at;
            while (b > 0 && !collapsible(QChar(char16_t(chars[b - 1]))) && chars[b - 1] != 0xA0) --b;
            qsizetype e = at + 1;
            while (e < chars.size() && !collapsible(QChar(char16_t(chars[e]))) && chars[e] != 0xA0) ++e;
            if (b == at && e == at + 1) return false;
            if (!decoded_) {
                replacedText_ = decodeHtmlText(replaced_);
                decoded_ = true;
            }
            // Each look reads what was replaced: past a bound (a large paste over a large
            // selection) the spaces are settled as any other.
            constexpr qint64 kMostRead = 64 << 20;
            if (read_ + replacedText_.size() > kMostRead) return false;
            read_ += replacedText_.size();
            const QList<uint> word = chars.mid(b, e - b);
            return replacedText_.contains(QString::fromUcs4(reinterpret_cast<const char32_t*>(word.constData()), word.size()));
        };
        for (int k = tokenAt(tokens_, from); k < count(tokens_) && tokens_[k].begin < to; ++k) {
            const HtmlToken& t = tokens_[k];
            const int b = std::max(t.begin, from);
            const int e = std::min(t.end, to);
            if (b >= e) continue;
            const QStringView part = edited_.mid(b, e - b);
            if (!isText(t)) {
                for (const uint c : part.toUcs4()) writeMarkupChar(out, c);
                continue;
            }
            if (t.flags & HtmlToken::Raw) {
                for (const QChar c : part) c == u'\n' ? void(out += QStringLiteral("\r\n")) : void(out += c);
                continue;
            }
            const bool pre = t.flags & HtmlToken::Pre;
            const QList<uint> chars = decodeHtmlText(part).toUcs4();
            for (qsizetype i = 0; i < chars.size(); ++i) {
                const uint c = chars[i];
                if (c == u'\n') out += QStringLiteral("\r\n");
                else if (c == 0xA0 && !pre && authors(chars, i)) out += spelling_.nbsp();
                else if (c == 0xA0) {
                    // Every space shows in <pre>; elsewhere a plain one only between text.
                    if (!pre && spaces) spaces->push_back(int(out.size()));
                    out += u' ';
                } else if (c == u' ') {
                    // A plain space of the page's shows as it does there, or not at all: a no-break
                    // one in its place would show where it showed nothing (text moved with its
                    // line breaks and indents, from one block into another).
                    out += u' ';
                } else if (c == u'&') out += QStringLiteral("&amp;");
                else if (c == u'<') out += QStringLiteral("&lt;");
                else if (c == u'>') out += spelling_.rawGreaterThan ? QStringLiteral(">") : QStringLiteral("&gt;");
                else if (const auto it = spelling_.entities.constFind(c); it != spelling_.entities.cend()) out += *it;
                else if (spelling_.holds(c)) out += QString::fromUcs4(reinterpret_cast<const char32_t*>(&c), 1);
                else out += QStringLiteral("&#%1;").arg(c);
            }
        }
        return out;
    }

private:
    QStringView edited_;
    const Tokens& tokens_;
    const Spelling& spelling_;
    QStringView replaced_;
    mutable QString replacedText_;  // decoded when first needed
    mutable bool decoded_ = false;
    mutable qint64 read_ = 0;

    void writeMarkupChar(QString& out, uint c) const {
        if (c == u'\n') out += QStringLiteral("\r\n");
        else if (!spelling_.holds(c)) out += QStringLiteral("&#%1;").arg(c);
        else out += QString::fromUcs4(reinterpret_cast<const char32_t*>(&c), 1);
    }
};

// `text` is the source around a change with the change written in; the source's own text
// resumes at `untouched`, which stood at `sourceAt` of `source`.
QString withSpaces(QString text, int from, const QVector<int>& spaces, const QString& nbsp, int untouched,
                   QStringView source, int sourceAt) {
    // `spaces` are places in the part of `text` from `from` on.
    // Left to right, so each space sees what its neighbours became.
    int shift = 0;
    const auto hiddenBefore = [&](int at) {
        const int k = at - (untouched + shift);
        return k >= 0 && spaceHidden(source, sourceAt + k);
    };
    for (const int at : spaces) {
        const int i = from + at + shift;
        if (plainSpaceShows(text, i, hiddenBefore)) continue;
        text.replace(i, 1, nbsp);
        shift += int(nbsp.size()) - 1;
    }
    return text;
}

}  // namespace

PageCharset pageCharset(const QString& source, const TextFormat& format) {
    switch (format.encoding) {
    case TextFormat::Encoding::Windows1252: return PageCharset::Windows1252;
    case TextFormat::Encoding::Utf8: break;
    default: return PageCharset::Unicode;
    }
    if (format.utf8Bom) return PageCharset::Unicode;
    static const QRegularExpression meta(QStringLiteral("<meta\\b[^>]*?charset\\s*=\\s*[\"']?([A-Za-z0-9._:-]+)"),
                                         QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch declared = meta.match(QStringView(source).left(8192));
    if (declared.hasMatch()) {
        const QString name = declared.captured(1).toLower();
        return name == u"utf-8" || name == u"utf8" ? PageCharset::Unicode : PageCharset::Ascii;
    }
    for (const QChar c : source)
        if (c.unicode() >= 0x80) return PageCharset::Unicode;
    return PageCharset::Ascii;
}

DesignAlignment::DesignAlignment(const QString& source, const QString& loaded) : source_(source), loaded_(loaded) {
    // A point every few thousand characters: the write-back then reads about that much before
    // a change, a small part of what it compares in detail anyway.
    constexpr int kSpacing = 4096;
    Window w;
    stepWindow(source, loaded, INT_MAX - kMargin, INT_MAX - kMargin, w, {}, &points_, kSpacing);
}

bool DesignAlignment::fits(const QString& source, const QString& loaded) const {
    auto same = [](const QString& a, const QString& b) { return a.isSharedWith(b) || a == b; };
    return !points_.empty() && same(loaded_, loaded) && same(source_, source);
}

DesignAlignment::Point DesignAlignment::before(int offset) const {
    const auto it = std::upper_bound(points_.cbegin(), points_.cend(), offset,
                                     [](int value, const Point& p) { return value < p.l; });
    return it == points_.cbegin() ? Point{} : *(it - 1);
}

QString designedSource(const QString& source, const QString& loaded, const QString& edited, PageCharset charset,
                       const DesignAlignment* alignment) {
    const int nL = int(loaded.size());
    const int nE = int(edited.size());
    const int p = commonPrefix(loaded, edited);
    if (p == nL && p == nE) return source;
    const int q = commonSuffix(QStringView(loaded).mid(p), QStringView(edited).mid(p));

    // Only the stretch around the changes is compared in detail; when the source and the
    // engine's page cannot be read in step, the whole of them.
    Window w;
    const AlignPoint start = alignment && alignment->fits(source, loaded) ? alignment->before(p - kMargin) : AlignPoint{};
    if (!stepWindow(source, loaded, p, nL - q, w, start)) w = Window{0, int(source.size()), 0, nL};
    const Tokens lt = tokenizeHtml(loaded, w.l0, w.l1, w.lPre);
    Tokens et;
    QVector<Change> changes = engineChanges(loaded, lt, edited, p, q, et);
    if (changes.isEmpty()) return source;
    // Text typed before a space that showed nothing (at the start of a line, or the second of
    // two) and shows now, just before a word: the engine dropped the space typed last and lets
    // that one stand for it. The source keeps its spaces as they were, and what was typed goes
    // after them, space included. (A line break the engine keeps beside text typed before it.)
    for (Change& c : changes) {
        if (c.la != c.lb || c.la <= 0 || c.la + 1 >= nL || c.eb >= nE) continue;
        if (loaded[c.la] != u' ' || collapsible(loaded[c.la + 1])) continue;
        const int t = tokenAt(lt, c.la);
        if (t >= count(lt) || (lt[t].flags & (HtmlToken::Pre | HtmlToken::Raw))) continue;  // every space shows
        if (edited[c.eb] != u' ' || !spaceHidden(loaded, c.la) || spaceHidden(edited, c.eb)) continue;
        ++c.la, ++c.lb, ++c.trail;
    }
    const Tokens st = tokenizeHtml(source, w.s0, w.s1, w.sPre);
    const SourceMap map(loaded, lt, source, st, w);

    // A change that starts or ends inside text the source has no counterpart for takes that
    // text whole; changes that then meet become one.
    for (Change& c : changes) {
        if (map.map(c.la, c.la == c.lb ? Role::Insert : Role::Start) < 0) {
            const HtmlToken& t = map.loadedToken(c.la);
            c.ea -= c.la - t.begin;
            c.la = t.begin;
        }
        if (c.lb > c.la && map.map(c.lb, Role::End) < 0) {
            const HtmlToken& t = map.loadedToken(c.lb);
            c.eb += t.end - c.lb;
            c.lb = t.end;
        } else if (c.la == c.lb && map.map(c.lb, Role::Insert) < 0) {
            const HtmlToken& t = map.loadedToken(c.lb);
            c.eb += t.end - c.lb;
            c.lb = t.end;
        }
    }
    QVector<Change> merged;
    for (const Change& c : changes) {
        if (!merged.isEmpty() && c.la <= merged.back().lb) {
            Change& last = merged.back();
            const int end = std::max(last.lb, c.lb);
            last.eb = end + (c.eb - c.lb);
            last.lb = end;
            last.trail = c.trail;
            continue;
        }
        merged.push_back(c);
    }

    struct Splice {
        int sa, sb, ea, eb, lead, trail;
    };
    QVector<Splice> splices;
    std::pair<int, int> replaced{merged.front().la, merged.back().lb};
    int lastEnd = 0;
    for (const Change& c : merged) {
        int sa = map.map(c.la, c.la == c.lb ? Role::Insert : Role::Start);
        int sb = c.la == c.lb ? sa : map.map(c.lb, Role::End);
        if (sa < 0 || sb < 0) {
            // Not to be placed more closely (it never is once widened): the whole stretch
            // compared comes back in the engine's form rather than losing the edit.
            splices = {{w.s0, w.s1, w.l0, w.l1 + (nE - nL), 0, 0}};
            replaced = {w.l0, w.l1};
            et = tokenizeHtml(edited, w.l0, w.l1 + (nE - nL), w.lPre);
            break;
        }
        if (sb < sa) sa = sb = map.map(c.la, Role::Insert);
        sa = std::max(sa, lastEnd);
        sb = std::max(sb, sa);
        lastEnd = sb;
        splices.push_back({sa, sb, c.ea, c.eb, c.lead, c.trail});
    }

    const Spelling spelling = sourceSpelling(source, w, st, charset);
    const Writer writer(edited, et, spelling, QStringView(loaded).mid(replaced.first, replaced.second - replaced.first));
    // Each change written as the source writes, its spaces settled against what stands beside
    // it; then the source put together once around them.
    constexpr int kBeside = 1024;
    QStringList texts;
    for (const Splice& sp : splices) {
        QVector<int> spaces;
        const QString text = writer.write(sp.ea, sp.eb, &spaces);
        for (int& at : spaces) at += sp.lead;
        for (int k = 0; k < sp.lead; ++k) spaces.prepend(sp.lead - 1 - k);
        for (int k = 0; k < sp.trail; ++k) spaces.append(int(text.size()) + sp.lead + k);
        const int from = std::max(0, sp.sa - kBeside);
        const QString before = source.mid(from, sp.sa - from);
        const QString after = source.mid(sp.sb, kBeside);
        const QString written = QString(sp.lead, u' ') + text + QString(sp.trail, u' ');
        const QString settled = withSpaces(before + written + after, int(before.size()), spaces, spelling.nbsp(),
                                           int(before.size() + written.size()), source, sp.sb);
        texts << settled.mid(before.size(), settled.size() - before.size() - after.size());
    }
    qsizetype size = source.size();
    for (int k = 0; k < splices.size(); ++k) size += texts[k].size() - (splices[k].sb - splices[k].sa);
    QString result;
    result.reserve(size);
    int at = 0;
    for (int k = 0; k < splices.size(); ++k) {
        result += QStringView(source).mid(at, splices[k].sa - at);
        result += texts[k];
        at = splices[k].sb;
    }
    result += QStringView(source).mid(at);
    return result;
}

}  // namespace kavrin
