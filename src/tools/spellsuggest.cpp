#include "tools/spellsuggest.h"

#include <cstdlib>
#include <vector>

#include "tools/spelllists.h"

namespace kavrin {

namespace {

struct LikeToken {
    enum Kind { Star, AnyOne, Digit, Set, Literal } kind = Literal;
    QChar ch;          // Literal, in lower case
    QString set;       // Set: single characters, in lower case
    QString ranges;    // Set: pairs of first and last character, in lower case
    bool negate = false;

    bool matches(QChar c) const {
        switch (kind) {
        case AnyOne: return true;
        case Digit: return c >= u'0' && c <= u'9';
        case Literal: return c == ch;
        case Set: {
            bool in = set.contains(c);
            for (qsizetype i = 0; !in && i + 1 < ranges.size(); i += 2)
                in = c >= ranges[i] && c <= ranges[i + 1];
            return in != negate;
        }
        case Star: break;
        }
        return false;
    }
};

// False when the pattern is malformed (an open "[").
bool tokenize(const QString& pattern, std::vector<LikeToken>& tokens) {
    const QString p = pattern.toLower();
    for (qsizetype i = 0; i < p.size(); ++i) {
        LikeToken t;
        const QChar c = p[i];
        if (c == u'*') {
            t.kind = LikeToken::Star;
        } else if (c == u'?') {
            t.kind = LikeToken::AnyOne;
        } else if (c == u'#') {
            t.kind = LikeToken::Digit;
        } else if (c == u'[') {
            const qsizetype close = p.indexOf(u']', i + 1);
            if (close < 0) return false;
            t.kind = LikeToken::Set;
            qsizetype j = i + 1;
            if (j < close && p[j] == u'!') {
                t.negate = true;
                ++j;
            }
            for (; j < close; ++j) {
                if (j + 2 < close && p[j + 1] == u'-') {
                    t.ranges += p[j];
                    t.ranges += p[j + 2];
                    j += 2;
                } else {
                    t.set += p[j];
                }
            }
            i = close;
        } else {
            t.ch = c;
        }
        tokens.push_back(t);
    }
    return true;
}

bool matchTokens(const QString& text, const std::vector<LikeToken>& tokens) {
    const QString t = text.toLower();
    const qsizetype n = t.size();
    const qsizetype m = qsizetype(tokens.size());
    qsizetype ti = 0, pi = 0, starP = -1, starT = 0;
    while (ti < n) {
        if (pi < m && tokens[size_t(pi)].kind == LikeToken::Star) {
            starP = pi++;
            starT = ti;
        } else if (pi < m && tokens[size_t(pi)].matches(t[ti])) {
            ++ti;
            ++pi;
        } else if (starP >= 0) {
            // Let the last "*" take one more character and try again from there.
            pi = starP + 1;
            ti = ++starT;
        } else {
            return false;
        }
    }
    while (pi < m && tokens[size_t(pi)].kind == LikeToken::Star) ++pi;
    return pi == m;
}

QChar lastLower(QStringView s) { return s.isEmpty() ? QChar() : s.back().toLower(); }

QString pattern(const QString& w, int left, int right) {
    return w.left(left) + u'*' + (right > 0 ? w.right(right) : QString());
}

// Visits the candidates in order; each match is listed and blanked.
void listPattern(const QString& pat, QStringList& candidates, QStringList& out) {
    std::vector<LikeToken> tokens;
    if (!tokenize(pat, tokens)) return;
    for (QString& c : candidates) {
        if (c.isEmpty() || !matchTokens(c, tokens)) continue;
        out << c;
        c.clear();
    }
}

}  // namespace

bool likeMatch(const QString& text, const QString& pattern) {
    std::vector<LikeToken> tokens;
    return tokenize(pattern, tokens) && matchTokens(text, tokens);
}

QStringList suggestionCandidates(const MainWordList& list, const QString& lowerWord) {
    QStringList candidates;
    const int count = list.count();
    if (count == 0 || lowerWord.isEmpty()) return candidates;
    const QChar c = lowerWord.front();
    const HalvingBounds bounds = list.halve(lowerWord);

    // Block start: sample every 100th entry, then walk back to the block's first entry.
    int guess = -1;
    for (int i = 0; i < count; i += 100)
        if (list.firstLower(i) == c) {
            guess = i;
            break;
        }
    if (guess < 0) guess = bounds.lo;
    int start = guess;
    for (int i = guess; i >= 0; --i)
        if (list.firstLower(i) != c) {
            start = i + 1;
            break;
        }

    // Block end: the entry before the next letter's block, or the list's end after "z".
    int end = -1;
    if (c == u'z') {
        end = count - 1;
    } else {
        const QChar d(c.unicode() + 1);
        guess = -1;
        for (int i = start; i < count; i += 10)
            if (list.firstLower(i) == d) {
                guess = i;
                break;
            }
        if (guess < 0) guess = bounds.hi;
        for (int i = qMin(guess, count - 1); i >= 0; --i)
            if (list.firstLower(i) != d) {
                end = i;
                break;
            }
    }

    const int length = int(lowerWord.size());
    const int tolerance = length <= 4 ? 1 : length <= 9 ? 2 : 3;
    const QChar last = lastLower(lowerWord);
    for (int i = qMax(start, 0); i <= end && i < count; ++i) {
        const QStringView entry = list.word(i);
        if (entry.isEmpty() || std::abs(int(entry.size()) - length) > tolerance) continue;
        if (lastLower(entry) != last) continue;
        candidates << entry.toString();
    }
    return candidates;
}

QStringList fillSuggestions(const QString& w, QStringList& candidates) {
    QStringList out;
    const int n = int(w.size());
    auto full = [&out] { return out.size() >= 10; };

    if (n >= 6) {
        for (const QString& p : {pattern(w, 6, 4), pattern(w, 6, 3), pattern(w, 6, 2), pattern(w, 6, 0)})
            listPattern(p, candidates, out);
    }
    if (full()) return out;
    if (n >= 5) {
        for (const QString& p : {pattern(w, 5, 4), pattern(w, 5, 3), pattern(w, 5, 2), pattern(w, 2, 5)})
            listPattern(p, candidates, out);
        if (full()) return out;
        listPattern(pattern(w, 5, 0), candidates, out);
    }
    if (full()) return out;
    if (n >= 4) {
        listPattern(pattern(w, 4, 3), candidates, out);
        listPattern(pattern(w, 4, 2), candidates, out);
        if (full()) return out;
        listPattern(pattern(w, 4, 0), candidates, out);
    }
    if (full()) return out;
    if (n >= 3) {
        listPattern(pattern(w, 3, 2), candidates, out);
        if (full()) return out;
        listPattern(pattern(w, 3, 0), candidates, out);
    }
    if (full()) return out;
    for (QString& c : candidates) {
        if (!c.isEmpty() && c.size() == n) {
            out << c;
            c.clear();
        }
        if (full()) return out;
    }
    return out;
}

QStringList suggestionsFor(const MainWordList& list, const QString& lowerWord) {
    if (lowerWord.isEmpty() || lowerWord.size() > 255) return {};
    const QChar c = lowerWord.front();
    if (c < u'a' || c > u'z') return {};
    QStringList candidates = suggestionCandidates(list, lowerWord);
    return fillSuggestions(lowerWord, candidates);
}

}  // namespace kavrin
