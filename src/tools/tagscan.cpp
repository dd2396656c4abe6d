#include "tools/tagscan.h"

namespace kavrin {

namespace {

bool opensComment(QStringView line, qsizetype i) {
    // The "!" of "<!--".
    return i > 0 && line[i - 1] == u'<' && line.mid(i + 1, 2) == u"--";
}

bool closesComment(QStringView line, qsizetype i) { return line.mid(i, 3) == u"-->"; }

}  // namespace

QStringList splitLines(const QString& text) {
    QStringList lines;
    const qsizetype n = text.size();
    qsizetype start = 0;
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text[i];
        if (c != u'\r' && c != u'\n') continue;
        lines << text.mid(start, i - start);
        if (c == u'\r' && i + 1 < n && text[i + 1] == u'\n') ++i;
        start = i + 1;
    }
    if (start < n) lines << text.mid(start);
    return lines;
}

QString changeTagCase(const QString& text, bool upper, const ScanProgress& progress) {
    bool inComment = false, inTag = false, inQuote = false;
    QString out;
    out.reserve(text.size() + 2);
    qint64 position = 0;
    for (const QString& lineText : splitLines(text)) {
        const QStringView line(lineText);
        const qsizetype n = line.size();
        for (qsizetype i = 0; i < n; ++i) {
            const QChar c = line[i];
            if (inComment) {
                if (closesComment(line, i)) {
                    out += u"-->";
                    inComment = false;
                    i += 2;
                } else {
                    out += c;
                }
            } else if (c == u'<') {
                out += c;
                inTag = true;
            } else if (c == u'!' && opensComment(line, i)) {
                out += u"!--";
                inComment = true;
                inTag = false;
                i += 2;
            } else if (c == u'>') {
                out += c;
                inTag = false;
            } else if (c == u'"') {
                out += c;
                inQuote = !inQuote;
            } else if (inTag && !inQuote) {
                out += upper ? c.toUpper() : c.toLower();
            } else {
                out += c;
            }
        }
        out += u"\r\n";
        position += n + 2;
        if (progress) progress(position);
    }
    return out;
}

QString stripTags(const QString& text, const ScanProgress& progress) {
    bool inComment = false, inTag = false;
    QString out;
    out.reserve(text.size() + 2);
    qint64 position = 0;
    for (const QString& lineText : splitLines(text + QStringLiteral("\r\n"))) {
        const QStringView line(lineText);
        const qsizetype n = line.size();
        for (qsizetype i = 0; i < n; ++i) {
            const QChar c = line[i];
            if (inComment) {
                if (closesComment(line, i)) {
                    inComment = false;
                    i += 2;
                }
            } else if (c == u'<') {
                inTag = true;
            } else if (c == u'!' && opensComment(line, i)) {
                inComment = true;
                inTag = false;
                i += 2;
            } else if (c == u'>') {
                inTag = false;
            } else if (!inTag) {
                out += c;
            }
        }
        out += u"\r\n";
        position += n + 2;
        if (progress) progress(position);
    }
    return out;
}

}  // namespace kavrin
