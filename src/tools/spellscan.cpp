#include "tools/spellscan.h"

namespace kavrin {

namespace {

const QString kLeading = QStringLiteral("({[\"'\\/`");
const QString kTrailing = QStringLiteral("!\"'()*,-./:;<>?[]_`{}");

constexpr char16_t kRightSingleQuote = u'\u2019';

}  // namespace

QString trimPunctuation(const QString& word, int& trailing) {
    qsizetype from = 0;
    while (from < word.size() && kLeading.contains(word[from])) ++from;
    qsizetype to = word.size();
    while (to > from && kTrailing.contains(word[to - 1])) {
        --to;
        ++trailing;
    }
    return word.mid(from, to - from);
}

bool isWebOrFileAddress(const QString& w) {
    const qsizetype n = w.size();
    if (n < 5) return false;
    if (w[n - 4] == u'.' || w[n - 5] == u'.') return true;
    if (w.contains(QLatin1String(":/")) || w.contains(QLatin1String(":\\"))) return true;
    for (const char* domain : {".com", ".edu", ".org", ".net", ".gov"})
        if (w.contains(QLatin1String(domain), Qt::CaseInsensitive)) return true;
    return false;
}

bool isAllUpperCase(const QString& word) {
    for (const QChar c : word)
        if (c >= u'a' && c <= u'z') return false;
    return true;
}

void SpellScanner::start(const QString& crlfText) {
    clear();
    // Line by line as a text file reads: a final line break ends the last line.
    lines_ = crlfText.split(QStringLiteral("\r\n"));
    if (!lines_.isEmpty() && lines_.back().isEmpty()) lines_.removeLast();
}

void SpellScanner::clear() {
    lines_.clear();
    lineOffset = 0;
    resumeLine = 1;
    resumeColumn = 1;
    lastDelimiter = 0;
    inTag = inComment = false;
}

bool SpellScanner::scanWords(const SpellWordCheck& check) { return scan(false, check); }
bool SpellScanner::scanWordsSkipTags(const SpellWordCheck& check) { return scan(true, check); }

bool SpellScanner::scan(bool skipTags, const SpellWordCheck& check) {
    const int lineTotal = int(lines_.size());
    for (int L = resumeLine; L <= lineTotal; ++L) {
        if (L > 1 && resumeColumn == 1) {
            lineOffset += int(lines_[L - 2].size()) + 2;
            lastDelimiter = 0;
        }
        QString& line = lines_[L - 1];
        const int len = int(line.size());
        for (int c = resumeColumn; c <= len; ++c) {
            const QChar ch = line[c - 1];
            if (skipTags && inComment) {
                if (QStringView(line).mid(c - 1, 3) == u"-->") {
                    inComment = false;
                    lastDelimiter = c + 2;
                    c += 2;
                }
                continue;
            }
            if (ch == kRightSingleQuote) {
                line[c - 1] = u'\'';
                continue;
            }
            bool isBoundary = false;
            if (ch == u' ' || ch == u'-' || ch == u'\t') {
                // Inside a tag the tag-skipping scan looks at nothing but its end.
                if (skipTags && inTag) continue;
                isBoundary = true;
            } else if (ch == u'<') {
                if (skipTags) inTag = true;
                isBoundary = true;
            } else if (ch == u'>') {
                if (skipTags) {
                    inTag = false;
                    lastDelimiter = c;
                    continue;
                }
                isBoundary = true;
            } else if (ch == u'!' && skipTags) {
                if (c >= 2 && QStringView(line).mid(c - 2, 4) == u"<!--") {
                    inComment = true;
                    inTag = false;
                    c += 2;
                }
                continue;
            }
            if (!isBoundary) continue;
            if (c > lastDelimiter + 1) {
                const QString word = line.mid(lastDelimiter, c - 1 - lastDelimiter);
                lastDelimiter = c;
                if (!check(word, c)) {
                    resumeLine = L;
                    resumeColumn = c + 1;
                    return false;
                }
            } else {
                lastDelimiter = c;
            }
        }
        resumeColumn = 1;
        resumeLine = L + 1;
        if (skipTags && (inTag || inComment)) continue;
        if (lastDelimiter < len) {
            if (!check(line.mid(lastDelimiter), len + 1)) return false;
        }
    }
    resumeLine = lineTotal + 1;
    resumeColumn = 1;
    return true;
}

}  // namespace kavrin
