#include "tools/spellscan.h"

namespace kavrin {

namespace {

constexpr char16_t kRightSingleQuote = u'\u2019';

bool isLeadingPunctuation(char16_t c) {
    switch (c) {
    case u'(': case u'{': case u'[': case u'"': case u'\'': case u'\\': case u'/': case u'`':
        return true;
    default:
        return false;
    }
}

bool isTrailingPunctuation(char16_t c) {
    switch (c) {
    case u'!': case u'"': case u'\'': case u'(': case u')': case u'*': case u',': case u'-': case u'.':
    case u'/': case u':': case u';': case u'<': case u'>': case u'?': case u'[': case u']': case u'_':
    case u'`': case u'{': case u'}':
        return true;
    default:
        return false;
    }
}

}  // namespace

QStringView trimPunctuation(QStringView word, int& trailing) {
    qsizetype from = 0;
    while (from < word.size() && isLeadingPunctuation(word[from].unicode())) ++from;
    qsizetype to = word.size();
    while (to > from && isTrailingPunctuation(word[to - 1].unicode())) {
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

void SpellScanner::start(QString crlfText) {
    clear();
    text_ = std::move(crlfText);
    // Line by line as a text file reads: a final line break ends the last line.
    const QStringView all(text_);
    qsizetype from = 0;
    for (qsizetype at; (at = all.indexOf(u"\r\n", from)) >= 0; from = at + 2) lineStarts_.push_back(at + 2);
    if (from < all.size()) lineStarts_.push_back(all.size() + 2);
}

void SpellScanner::clear() {
    text_.clear();
    lineStarts_.assign(1, 0);
    lineOffset = 0;
    resumeLine = 1;
    resumeColumn = 1;
    lastDelimiter = 0;
    inTag = inComment = false;
}

bool SpellScanner::scanWords(const SpellWordCheck& check) { return scan(false, check); }
bool SpellScanner::scanWordsSkipTags(const SpellWordCheck& check) { return scan(true, check); }

bool SpellScanner::scan(bool skipTags, const SpellWordCheck& check) {
    const int lineTotal = lineCount();
    for (int L = resumeLine; L <= lineTotal; ++L) {
        if (L > 1 && resumeColumn == 1) {
            lineOffset += lineLength(L - 1) + 2;
            lastDelimiter = 0;
        }
        const qsizetype at = lineStart(L);
        const int len = lineLength(L);
        const char16_t* line = reinterpret_cast<const char16_t*>(text_.constData()) + at;
        for (int c = resumeColumn; c <= len; ++c) {
            const char16_t ch = line[c - 1];
            if (skipTags && inComment) {
                if (ch == u'-' && c + 2 <= len && line[c] == u'-' && line[c + 1] == u'>') {
                    inComment = false;
                    lastDelimiter = c + 2;
                    c += 2;
                }
                continue;
            }
            switch (ch) {
            case u' ':
            case u'-':
            case u'\t':
                // Inside a tag the tag-skipping scan looks at nothing but its end.
                if (skipTags && inTag) continue;
                break;
            case u'<':
                if (skipTags) inTag = true;
                break;
            case u'>':
                if (skipTags) {
                    inTag = false;
                    lastDelimiter = c;
                    continue;
                }
                break;
            case u'!':
                if (skipTags && c >= 2 && c + 2 <= len && line[c - 2] == u'<' && line[c] == u'-' &&
                    line[c + 1] == u'-') {
                    inComment = true;
                    inTag = false;
                    c += 2;
                }
                continue;
            case kRightSingleQuote: {
                // The copy is written only here, so a page without such quotes is never copied.
                reinterpret_cast<char16_t*>(text_.data())[at + c - 1] = u'\'';
                line = reinterpret_cast<const char16_t*>(text_.constData()) + at;
                continue;
            }
            default:
                continue;
            }
            if (c > lastDelimiter + 1) {
                const QStringView word(line + lastDelimiter, c - 1 - lastDelimiter);
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
            if (!check(QStringView(line + lastDelimiter, len - lastDelimiter), len + 1)) return false;
        }
    }
    resumeLine = lineTotal + 1;
    resumeColumn = 1;
    return true;
}

}  // namespace kavrin
