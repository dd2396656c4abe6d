#include "documents/designmerge.h"

#include <QHash>
#include <QSet>
#include <QStringView>
#include <algorithm>

namespace kavrin {

namespace {

// Stretches without a unique line are aligned exactly up to this many line pairs.
constexpr qint64 kSmallStretch = 250000;

struct Lines {
    QVector<int> starts;  // offset of each line; one more entry: the text's length
    QVector<int> ends;    // end of each line's content (before its break)
};

// Lines end at CR LF, LF or CR alone, as the HTML parser reads them.
Lines splitLines(const QString& text) {
    Lines lines;
    const int n = int(text.size());
    const QChar* data = text.constData();
    int start = 0;
    for (int i = 0; i < n; ++i) {
        const char16_t c = data[i].unicode();
        if (c != u'\n' && c != u'\r') continue;
        lines.starts << start;
        lines.ends << i;
        if (c == u'\r' && i + 1 < n && data[i + 1] == u'\n') ++i;
        start = i + 1;
    }
    lines.starts << start;
    lines.ends << n;
    lines.starts << n;
    return lines;
}

QVector<int> lineIds(const QString& text, const Lines& lines, QHash<QStringView, int>& ids) {
    QVector<int> out;
    const int count = int(lines.ends.size());
    out.reserve(count);
    for (int i = 0; i < count; ++i) {
        const QStringView line = QStringView(text).mid(lines.starts[i], lines.ends[i] - lines.starts[i]);
        auto it = ids.find(line);
        if (it == ids.end()) it = ids.insert(line, int(ids.size()));
        out << it.value();
    }
    return out;
}

// A longest common subsequence by the plain table: `same(i, j)` compares item i of the first
// side with item j of the second; `pair(i, j)` receives the matches in order.
template <class Same, class Pair>
void tableLcs(int n, int m, Same same, Pair pair) {
    std::vector<int> table(size_t(n + 1) * (m + 1), 0);
    auto at = [&](int i, int j) -> int& { return table[size_t(i) * (m + 1) + j]; };
    for (int i = n - 1; i >= 0; --i)
        for (int j = m - 1; j >= 0; --j) at(i, j) = same(i, j) ? at(i + 1, j + 1) + 1 : std::max(at(i + 1, j), at(i, j + 1));
    int i = 0;
    int j = 0;
    while (i < n && j < m) {
        if (same(i, j)) {
            pair(i, j);
            ++i;
            ++j;
        } else if (at(i + 1, j) >= at(i, j + 1)) {
            ++i;
        } else {
            ++j;
        }
    }
}

void smallLcs(const QVector<int>& a, int a0, int a1, const QVector<int>& b, int b0, int b1,
              QVector<QPair<int, int>>& out) {
    tableLcs(a1 - a0, b1 - b0, [&](int i, int j) { return a[a0 + i] == b[b0 + j]; },
             [&](int i, int j) { out.push_back({a0 + i, b0 + j}); });
}

void align(const QVector<int>& a, int a0, int a1, const QVector<int>& b, int b0, int b1,
           QVector<QPair<int, int>>& out) {
    while (a0 < a1 && b0 < b1 && a[a0] == b[b0]) out.push_back({a0++, b0++});
    QVector<QPair<int, int>> tail;
    while (a0 < a1 && b0 < b1 && a[a1 - 1] == b[b1 - 1]) tail.push_back({--a1, --b1});
    if (a0 < a1 && b0 < b1) {
        // Lines that occur once on each side anchor the alignment.
        QHash<int, QPair<int, int>> counts;  // id -> (count in a, index in a)
        for (int i = a0; i < a1; ++i) {
            auto& c = counts[a[i]];
            ++c.first;
            c.second = i;
        }
        QHash<int, QPair<int, int>> countsB;
        for (int j = b0; j < b1; ++j) {
            auto it = counts.constFind(b[j]);
            if (it == counts.cend() || it->first != 1) continue;
            auto& c = countsB[b[j]];
            ++c.first;
            c.second = j;
        }
        QVector<QPair<int, int>> unique;
        for (int i = a0; i < a1; ++i) {
            if (counts.value(a[i]).first != 1) continue;
            const auto it = countsB.constFind(a[i]);
            if (it != countsB.cend() && it->first == 1) unique.push_back({i, it->second});
        }
        if (unique.isEmpty()) {
            if (qint64(a1 - a0) * (b1 - b0) <= kSmallStretch) smallLcs(a, a0, a1, b, b0, b1, out);
        } else {
            // The longest run of anchors increasing on both sides (patience sorting).
            QVector<int> pileTops;
            QVector<int> previous(unique.size(), -1);
            for (int k = 0; k < unique.size(); ++k) {
                const int key = unique[k].second;
                const auto pos = std::lower_bound(pileTops.begin(), pileTops.end(), key,
                                                  [&](int top, int value) { return unique[top].second < value; });
                const int pile = int(pos - pileTops.begin());
                if (pile > 0) previous[k] = pileTops[pile - 1];
                if (pos == pileTops.end())
                    pileTops.push_back(k);
                else
                    *pos = k;
            }
            QVector<int> chain;
            for (int k = pileTops.isEmpty() ? -1 : pileTops.back(); k >= 0; k = previous[k]) chain.push_back(k);
            std::reverse(chain.begin(), chain.end());
            int pa = a0;
            int pb = b0;
            for (int k : chain) {
                align(a, pa, unique[k].first, b, pb, unique[k].second, out);
                out.push_back(unique[k]);
                pa = unique[k].first + 1;
                pb = unique[k].second + 1;
            }
            align(a, pa, a1, b, pb, b1, out);
        }
    }
    for (auto it = tail.crbegin(); it != tail.crend(); ++it) out.push_back(*it);
}

int lineOf(const Lines& lines, int offset) {
    // The last line starting at or before offset.
    const auto begin = lines.starts.cbegin();
    const auto end = begin + lines.ends.size();
    return int(std::upper_bound(begin, end, offset) - begin) - 1;
}

QString withCrLf(QStringView text) {
    QString out;
    out.reserve(text.size() + text.size() / 20);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'\n' && (i == 0 || text[i - 1] != u'\r')) out += u'\r';
        out += c;
    }
    return out;
}


// Lines of a stretch that differ only in quoting, case and spacing are the same line rewritten.
QString normalizedLine(QStringView line) {
    QString out;
    out.reserve(line.size());
    for (const QChar c : line) {
        if (c == u'"' || c == u'\'' || c.isSpace()) continue;
        out += c.toLower();
    }
    return out;
}

// Where the source's own form of `loaded` from `from` on begins, when the source ends with it
// but for quoting, case and spacing (the engine joins "</body>" and "</html>" on one line); -1
// when it does not.
int sameTail(const QString& loaded, int from, const QString& source) {
    auto skip = [](QChar c) { return c.isSpace() || c == u'"' || c == u'\''; };
    int i = int(loaded.size()) - 1;
    int j = int(source.size()) - 1;
    int at = int(source.size());
    for (;;) {
        while (i >= from && skip(loaded[i])) --i;
        if (i < from) return at;
        while (j >= 0 && skip(source[j])) --j;
        if (j < 0 || loaded[i].toLower() != source[j].toLower()) return -1;
        at = j--;
        --i;
    }
}

// Character pairs of two versions of one line, increasing in both.
QVector<QPair<int, int>> alignChars(QStringView a, QStringView b) {
    QVector<QPair<int, int>> out;
    const int n = int(a.size());
    const int m = int(b.size());
    int pre = 0;
    while (pre < n && pre < m && a[pre] == b[pre]) out.push_back({pre, pre}), ++pre;
    int suf = 0;
    while (suf < n - pre && suf < m - pre && a[n - 1 - suf] == b[m - 1 - suf]) ++suf;
    const int rn = n - pre - suf;
    const int rm = m - pre - suf;
    if (rn > 0 && rm > 0 && qint64(rn) * rm <= kSmallStretch * 16)
        tableLcs(rn, rm, [&](int i, int j) { return a[pre + i] == b[pre + j]; },
                 [&](int i, int j) { out.push_back({pre + i, pre + j}); });
    for (int k = suf - 1; k >= 0; --k) out.push_back({n - 1 - k, m - 1 - k});
    return out;
}

// Where an offset of one version of a line falls in the other: a change starting at `offset`
// starts after the last character both share before it, and one ending there ends before the
// first shared character after it. Returns the offsets in both versions.
QPair<int, int> mapInLine(QStringView a, QStringView b, int offset, bool start) {
    const QVector<QPair<int, int>> pairs = alignChars(a, b);
    if (start) {
        for (int k = int(pairs.size()) - 1; k >= 0; --k)
            if (pairs[k].first < offset)
                return pairs[k].first == offset - 1 ? QPair<int, int>{offset, pairs[k].second + 1}
                                                    : QPair<int, int>{pairs[k].first + 1, pairs[k].second + 1};
        return {0, 0};
    }
    for (const auto& [i, j] : pairs)
        if (i >= offset) return {i, j};
    return {int(a.size()), int(b.size())};
}

}  // namespace

QVector<QPair<int, int>> alignLines(const QVector<int>& a, const QVector<int>& b) {
    QVector<QPair<int, int>> out;
    align(a, 0, int(a.size()), b, 0, int(b.size()), out);
    return out;
}

namespace {

// One change: everything from the first difference between `loaded` and `edited` to the last.
QString designedSourceOne(const QString& source, const QString& loaded, const QString& edited) {
    if (loaded == edited) return source;
    const int n0 = int(loaded.size());
    const int n1 = int(edited.size());
    int p = 0;
    while (p < n0 && p < n1 && loaded[p] == edited[p]) ++p;
    int q = 0;
    while (q < n0 - p && q < n1 - p && loaded[n0 - 1 - q] == edited[n1 - 1 - q]) ++q;
    // A pure insertion or deletion can often be told at several places ("b</td>\n<" or
    // "<td>b</td>\n"); the one that starts a line keeps the neighbouring lines whole.
    if (n0 - q == p || n1 - q == p) {
        const QString& side = n0 - q == p ? edited : loaded;
        const int length = (n0 - q == p ? n1 : n0) - q - p;
        int best = -1;
        for (int at = p;; --at) {
            if (at == 0 || side[at - 1] == u'\n') {
                best = at;
                break;
            }
            if (side[at - 1] != side[at + length - 1]) break;
        }
        if (best >= 0) {
            q += p - best;
            p = best;
        }
    }
    const int e = n0 - q;

    const Lines l0 = splitLines(loaded);
    const Lines ls = splitLines(source);
    QHash<QStringView, int> ids;
    const QVector<int> a = lineIds(loaded, l0, ids);
    const QVector<int> b = lineIds(source, ls, ids);
    // A blank line matches any other blank line; it only counts where a neighbour agrees.
    QVector<QPair<int, int>> pairs;
    {
        const QVector<QPair<int, int>> all = alignLines(a, b);
        QSet<qint64> matched;
        for (const auto& [i, j] : all) matched.insert(qint64(i) << 32 | j);
        auto isMatch = [&](int i, int j) { return matched.contains(qint64(i) << 32 | j); };
        for (const auto& [i, j] : all) {
            const bool blank = l0.ends[i] == l0.starts[i] ||
                               QStringView(loaded).mid(l0.starts[i], l0.ends[i] - l0.starts[i]).trimmed().isEmpty();
            if (blank && !isMatch(i - 1, j - 1) && !isMatch(i + 1, j + 1)) continue;
            pairs.push_back({i, j});
        }
    }
    // Equal lines; between two of them, lines the engine rewrote: those that still read alike
    // without quotes, case and spacing, and where as many remain on each side, the rest in turn.
    QVector<int> same(a.size(), -1);
    QVector<int> counterpart(a.size(), -1);
    auto blankLine = [](const QString& text, const Lines& lines, int i) {
        return QStringView(text).mid(lines.starts[i], lines.ends[i] - lines.starts[i]).trimmed().isEmpty();
    };
    // A blank line the engine made (the parser gathers the breaks after </body> and </html>
    // into the body) is no rewriting of a line with text: taking it for one would stretch a
    // change at the end of the body over the closing tags and drop them.
    auto pairPositionally = [&](int a0, int a1, int b0, int b1) {
        if (a1 - a0 != b1 - b0) return;
        for (int i = a0; i < a1; ++i) {
            const int j = b0 + (i - a0);
            if (blankLine(loaded, l0, i) == blankLine(source, ls, j)) counterpart[i] = j;
        }
    };
    auto pairGap = [&](int a0, int a1, int b0, int b1) {
        if (a0 >= a1 || b0 >= b1) return;
        QHash<QString, int> keys;
        auto key = [&](const QString& text, const Lines& lines, int i) {
            const QString k = normalizedLine(QStringView(text).mid(lines.starts[i], lines.ends[i] - lines.starts[i]));
            auto it = keys.find(k);
            if (it == keys.end()) it = keys.insert(k, int(keys.size()));
            return it.value();
        };
        QVector<int> ka;
        QVector<int> kb;
        for (int i = a0; i < a1; ++i) ka << key(loaded, l0, i);
        for (int j = b0; j < b1; ++j) kb << key(source, ls, j);
        int lastA = a0 - 1;
        int lastB = b0 - 1;
        const int blank = keys.value(QString(), -1);
        for (const auto& [i, j] : alignLines(ka, kb)) {
            if (ka[i] == blank) continue;
            pairPositionally(lastA + 1, a0 + i, lastB + 1, b0 + j);
            counterpart[a0 + i] = b0 + j;
            lastA = a0 + i;
            lastB = b0 + j;
        }
        pairPositionally(lastA + 1, a1, lastB + 1, b1);
    };
    int lastA = -1;
    int lastB = -1;
    for (const auto& [i, j] : pairs) {
        pairGap(lastA + 1, i, lastB + 1, j);
        same[i] = counterpart[i] = j;
        lastA = i;
        lastB = j;
    }
    pairGap(lastA + 1, int(a.size()), lastB + 1, int(b.size()));
    auto lineText = [](const QString& text, const Lines& lines, int i) {
        return QStringView(text).mid(lines.starts[i], lines.ends[i] - lines.starts[i]);
    };

    // The start of the change: at the same place of an equal line, at the matching place of a
    // rewritten one, or else just after the last line that has its counterpart.
    int start0 = p;
    int startS = 0;
    const int la = lineOf(l0, p);
    if (same[la] >= 0) {
        startS = ls.starts[same[la]] + (p - l0.starts[la]);
    } else if (counterpart[la] >= 0) {
        const auto [off0, offS] =
            mapInLine(lineText(loaded, l0, la), lineText(source, ls, counterpart[la]), p - l0.starts[la], true);
        start0 = l0.starts[la] + off0;
        startS = ls.starts[counterpart[la]] + offS;
    } else {
        int k = la - 1;
        while (k >= 0 && counterpart[k] < 0) --k;
        start0 = k >= 0 ? l0.starts[k + 1] : 0;
        startS = k >= 0 ? ls.starts[counterpart[k] + 1] : 0;
    }
    // Its end, the same way forward. A change that ends with a line break ends in that line.
    int end0 = e;
    int endS = int(source.size());
    const int le = lineOf(l0, e > p ? e - 1 : e);
    const bool pastBreak = e - l0.starts[le] > l0.ends[le] - l0.starts[le];
    if (same[le] >= 0) {
        endS = pastBreak ? ls.starts[same[le] + 1] : ls.starts[same[le]] + (e - l0.starts[le]);
    } else if (counterpart[le] >= 0 && pastBreak) {
        endS = ls.starts[counterpart[le] + 1];
    } else if (counterpart[le] >= 0) {
        const auto [off0, offS] =
            mapInLine(lineText(loaded, l0, le), lineText(source, ls, counterpart[le]), e - l0.starts[le], false);
        end0 = l0.starts[le] + off0;
        endS = ls.starts[counterpart[le]] + offS;
    } else if (const int tail = sameTail(loaded, e, source); tail >= 0) {
        endS = tail;
    } else {
        int k = le + 1;
        while (k < a.size() && counterpart[k] < 0) ++k;
        end0 = k < a.size() ? l0.starts[k] : n0;
        endS = k < a.size() ? ls.starts[counterpart[k]] : int(source.size());
    }
    if (end0 < e) end0 = e;
    if (endS < startS) endS = startS;
    const QStringView replacement = QStringView(edited).mid(start0, n1 - (n0 - end0) - start0);
    return source.left(startS) + withCrLf(replacement) + source.mid(endS);
}

}  // namespace

QString designedSource(const QString& source, const QString& loaded, const QString& edited) {
    if (loaded == edited) return source;
    // Edits far apart are written back one by one, last first, so the engine's way of writing
    // what lies between them (quotes, implied elements) never reaches the source.
    const Lines l0 = splitLines(loaded);
    const Lines l1 = splitLines(edited);
    QHash<QStringView, int> ids;
    const QVector<int> a = lineIds(loaded, l0, ids);
    const QVector<int> b = lineIds(edited, l1, ids);
    struct Hunk {
        int a0, a1, b0, b1;
    };
    QVector<Hunk> hunks;
    int lastA = -1;
    int lastB = -1;
    auto gap = [&](int i, int j) {
        if (i > lastA + 1 || j > lastB + 1) hunks.push_back({lastA + 1, i, lastB + 1, j});
        lastA = i;
        lastB = j;
    };
    for (const auto& [i, j] : alignLines(a, b)) gap(i, j);
    gap(int(a.size()), int(b.size()));
    constexpr int kMostHunks = 64;
    if (hunks.size() <= 1 || hunks.size() > kMostHunks) return designedSourceOne(source, loaded, edited);
    QString result = source;
    QString before = loaded;
    for (auto it = hunks.crbegin(); it != hunks.crend(); ++it) {
        const int from = l0.starts[it->a0];
        const int to = l0.starts[it->a1];
        const QStringView with = QStringView(edited).mid(l1.starts[it->b0], l1.starts[it->b1] - l1.starts[it->b0]);
        QString after = before.left(from);
        after += with;
        after += QStringView(before).mid(to);
        result = designedSourceOne(result, before, after);
        before = after;
    }
    return result;
}

}  // namespace kavrin
