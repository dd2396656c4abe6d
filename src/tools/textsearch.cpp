#include "tools/textsearch.h"

namespace kavrin {

bool isSearchWordChar(QChar c) { return c.isLetterOrNumber() || c == u'_'; }

qsizetype findText(QStringView text, QStringView what, qsizetype from, qsizetype to, int flags,
                   std::optional<QChar> before) {
    if (what.isEmpty()) return -1;
    if (to < 0 || to > text.size()) to = text.size();
    from = qBound(qsizetype(0), from, to);
    const Qt::CaseSensitivity cs = (flags & searchMatchCase) ? Qt::CaseSensitive : Qt::CaseInsensitive;
    const bool wholeWord = flags & searchWholeWord;
    const qsizetype n = what.size();
    const bool checkStart = wholeWord && isSearchWordChar(what.front());
    const bool checkEnd = wholeWord && isSearchWordChar(what.back());
    for (qsizetype at = from;; ++at) {
        at = text.indexOf(what, at, cs);
        if (at < 0 || at + n > to) return -1;
        if (checkStart) {
            const QChar prev = at == from && before ? *before : at > 0 ? text[at - 1] : QChar();
            if (!prev.isNull() && isSearchWordChar(prev)) continue;
        }
        if (checkEnd && at + n < text.size() && isSearchWordChar(text[at + n])) continue;
        return at;
    }
}

QVector<qsizetype> replacementHits(QStringView text, QStringView find, QStringView replacement, int flags) {
    QVector<qsizetype> hits;
    if (find.isEmpty()) return hits;
    qsizetype from = 0;
    // What stands in front of `from` in the text as it is after the replacements so far.
    QChar before;
    for (;;) {
        const qsizetype at = findText(text, find, from, -1, flags, before);
        if (at < 0) break;
        hits << at;
        const QChar beforeHit = at == from ? before : text[at - 1];
        before = replacement.isEmpty() ? beforeHit : replacement.back();
        from = at + find.size();
    }
    return hits;
}

QString applyReplacements(QStringView text, const QVector<qsizetype>& hits, qsizetype findLength,
                          QStringView replacement) {
    QString out;
    out.reserve(text.size() + hits.size() * (replacement.size() - findLength));
    qsizetype copied = 0;
    for (qsizetype at : hits) {
        out.append(text.mid(copied, at - copied));
        out.append(replacement);
        copied = at + findLength;
    }
    out.append(text.mid(copied));
    return out;
}

}  // namespace kavrin
