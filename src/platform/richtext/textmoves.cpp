#include "platform/richtext/textmoves.h"

namespace kavrin {

namespace {

// The characters Qt's cursor stops at as blanks and as word separators.
bool isSpace(QChar c) {
    const char16_t u = c.unicode();
    return u == u'\t' || u == u' ' || u == 0x00A0 || u == 0x2028;
}

bool isSeparator(QChar c) {
    switch (c.unicode()) {
    case u'.': case u',': case u'?': case u'!': case u'@': case u'#': case u'$': case u':':
    case u';': case u'-': case u'<': case u'>': case u'[': case u']': case u'(': case u')':
    case u'{': case u'}': case u'=': case u'/': case u'+': case u'%': case u'&': case u'^':
    case u'*': case u'\'': case u'"': case u'`': case u'~': case u'|':
        return true;
    default: return false;
    }
}

}  // namespace

qsizetype nextWordStop(const SplitText& text, LineSpan line, qsizetype at) {
    if (at >= line.end) return at;
    if (isSeparator(text[at])) {
        ++at;
        while (at < line.end && isSeparator(text[at])) ++at;
    } else {
        while (at < line.end && !isSpace(text[at]) && !isSeparator(text[at])) ++at;
    }
    while (at < line.end && isSpace(text[at])) ++at;
    return at;
}

qsizetype previousWordStop(const SplitText& text, LineSpan line, qsizetype at) {
    if (at <= line.start) return at;
    while (at > line.start && isSpace(text[at - 1])) --at;
    if (at > line.start && isSeparator(text[at - 1])) {
        --at;
        while (at > line.start && isSeparator(text[at - 1])) --at;
    } else {
        while (at > line.start && !isSpace(text[at - 1]) && !isSeparator(text[at - 1])) --at;
    }
    return at;
}

std::pair<qsizetype, qsizetype> wordAt(const SplitText& text, LineSpan line, qsizetype at) {
    if (line.end == line.start) return {at, at};
    qsizetype start = at;
    if (at > line.start) {
        // At the end of a line that ends in a blank or separator there is no word to take.
        if (at == line.end && (isSpace(text[at - 1]) || isSeparator(text[at - 1]))) return {at, at};
        start = previousWordStop(text, line, at < line.end ? at + 1 : at);
    }
    qsizetype end = start;
    if (end < line.end) {
        if (isSeparator(text[end])) {
            ++end;
            while (end < line.end && isSeparator(text[end])) ++end;
        } else {
            while (end < line.end && !isSpace(text[end]) && !isSeparator(text[end])) ++end;
        }
    }
    return {start, end};
}

}  // namespace kavrin
