#include "documents/design/seqdiff.h"

#include <algorithm>
#include <QHash>
#include <climits>

namespace kavrin {

namespace {

struct Differ {
    const quint64* a;
    const quint64* b;
    std::vector<int> fd;  // furthest x reached forward on each diagonal x - y (offset by `shift`)
    std::vector<int> bd;  // ... backward
    int shift;
    int effort;
    std::vector<int>& out;

    // The point where a shortest edit script of a[xoff, xlim) into b[yoff, ylim) crosses its
    // middle, searched from both ends at once; past `effort` rounds, the most promising point.
    std::pair<int, int> middle(int xoff, int xlim, int yoff, int ylim) {
        int* const f = fd.data() + shift;
        int* const r = bd.data() + shift;
        const int dmin = xoff - ylim;
        const int dmax = xlim - yoff;
        const int fmid = xoff - yoff;
        const int bmid = xlim - ylim;
        int fmin = fmid, fmax = fmid, bmin = bmid, bmax = bmid;
        const bool odd = (fmid - bmid) & 1;
        f[fmid] = xoff;
        r[bmid] = xlim;
        for (int c = 1;; ++c) {
            if (fmin > dmin) f[--fmin - 1] = -1;
            else ++fmin;
            if (fmax < dmax) f[++fmax + 1] = -1;
            else --fmax;
            for (int d = fmax; d >= fmin; d -= 2) {
                const int tlo = f[d - 1];
                const int thi = f[d + 1];
                int x = tlo >= thi ? tlo + 1 : thi;
                int y = x - d;
                while (x < xlim && y < ylim && a[x] == b[y]) ++x, ++y;
                f[d] = x;
                if (odd && bmin <= d && d <= bmax && r[d] <= x) return {x, y};
            }
            if (bmin > dmin) r[--bmin - 1] = INT_MAX;
            else ++bmin;
            if (bmax < dmax) r[++bmax + 1] = INT_MAX;
            else --bmax;
            for (int d = bmax; d >= bmin; d -= 2) {
                const int tlo = r[d - 1];
                const int thi = r[d + 1];
                int x = tlo < thi ? tlo : thi - 1;
                int y = x - d;
                while (x > xoff && y > yoff && a[x - 1] == b[y - 1]) --x, --y;
                r[d] = x;
                if (!odd && fmin <= d && d <= fmax && x <= f[d]) return {x, y};
            }
            if (c < effort) continue;
            // Too costly for an exact answer: the forward or backward front that got furthest.
            int fBest = -1, fx = xoff;
            for (int d = fmax; d >= fmin; d -= 2) {
                int x = std::min(f[d], xlim);
                int y = x - d;
                if (y > ylim) x = ylim + d, y = ylim;
                if (x + y > fBest) fBest = x + y, fx = x;
            }
            int bBest = INT_MAX, bx = xlim;
            for (int d = bmax; d >= bmin; d -= 2) {
                int x = std::max(xoff, r[d]);
                int y = x - d;
                if (y < yoff) x = yoff + d, y = yoff;
                if (x + y < bBest) bBest = x + y, bx = x;
            }
            if ((xlim + ylim) - bBest < fBest - (xoff + yoff)) return {fx, fBest - fx};
            return {bx, bBest - bx};
        }
    }

    void run(int xoff, int xlim, int yoff, int ylim) {
        struct Span {
            int xoff, xlim, yoff, ylim;
        };
        std::vector<Span> todo{{xoff, xlim, yoff, ylim}};
        while (!todo.empty()) {
            Span s = todo.back();
            todo.pop_back();
            while (s.xoff < s.xlim && s.yoff < s.ylim && a[s.xoff] == b[s.yoff]) out[s.xoff++] = s.yoff++;
            while (s.xoff < s.xlim && s.yoff < s.ylim && a[s.xlim - 1] == b[s.ylim - 1]) out[--s.xlim] = --s.ylim;
            if (s.xoff == s.xlim || s.yoff == s.ylim) continue;
            const auto [x, y] = middle(s.xoff, s.xlim, s.yoff, s.ylim);
            // A split at either end would make no progress; the search never returns one for a
            // stretch that starts and ends with a difference, but a bound keeps that certain.
            if ((x == s.xoff && y == s.yoff) || (x == s.xlim && y == s.ylim)) continue;
            todo.push_back({x, s.xlim, y, s.ylim});
            todo.push_back({s.xoff, x, s.yoff, y});
        }
    }
};

}  // namespace

std::vector<int> pairSequences(const quint64* a, int n, const quint64* b, int m, int effort) {
    std::vector<int> out(size_t(std::max(n, 0)), -1);
    if (n <= 0 || m <= 0) return out;
    Differ differ{a, b, std::vector<int>(size_t(n) + m + 3), std::vector<int>(size_t(n) + m + 3), m + 1,
                  std::max(effort, 16), out};
    differ.run(0, n, 0, m);
    return out;
}

CommonStretch longestCommonStretch(QStringView a, QStringView b) {
    struct State {
        int length;
        int link;
        int end;  // where its first occurrence in `b` ends
    };
    std::vector<State> states{{0, -1, 0}};
    states.reserve(size_t(b.size()) * 2 + 1);
    // The moves, state and character in one key: pages' characters are spread too widely for
    // a table per state.
    QHash<quint64, int> next;
    next.reserve(int(b.size()) * 2);
    std::vector<std::vector<QChar>> leaves{{}};  // the characters each state has a move for
    auto key = [](int state, QChar c) { return quint64(state) << 16 | c.unicode(); };
    auto move = [&](int state, QChar c) { return next.value(key(state, c), -1); };
    auto add = [&](int state, QChar c, int to) {
        leaves[size_t(state)].push_back(c);
        next.insert(key(state, c), to);
    };
    int last = 0;
    for (qsizetype i = 0; i < b.size(); ++i) {
        const QChar c = b[i];
        const int made = int(states.size());
        states.push_back({states[size_t(last)].length + 1, 0, int(i) + 1});
        leaves.emplace_back();
        int s = last;
        for (; s >= 0 && move(s, c) < 0; s = states[size_t(s)].link) add(s, c, made);
        if (s >= 0) {
            const int t = move(s, c);
            if (states[size_t(s)].length + 1 == states[size_t(t)].length) {
                states[size_t(made)].link = t;
            } else {
                const int clone = int(states.size());
                states.push_back({states[size_t(s)].length + 1, states[size_t(t)].link, states[size_t(t)].end});
                leaves.emplace_back();
                // The clone leaves by the same moves as the state it was split from.
                for (const QChar d : std::vector<QChar>(leaves[size_t(t)])) add(clone, d, move(t, d));
                for (; s >= 0 && move(s, c) == t; s = states[size_t(s)].link) next.insert(key(s, c), clone);
                states[size_t(t)].link = clone;
                states[size_t(made)].link = clone;
            }
        }
        last = made;
    }
    CommonStretch best;
    int state = 0;
    int length = 0;
    for (qsizetype i = 0; i < a.size(); ++i) {
        const QChar c = a[i];
        while (state > 0 && move(state, c) < 0) {
            state = states[size_t(state)].link;
            length = states[size_t(state)].length;
        }
        const int t = move(state, c);
        if (t < 0) continue;
        state = t;
        ++length;
        if (length > best.length) best = {int(i) + 1 - length, states[size_t(state)].end - length, length};
    }
    return best;
}

}  // namespace kavrin
