#include "tools/dependencies.h"

namespace kavrin {

namespace {

// Lower case character by character, so that offsets in it are offsets in the original.
QString lowerInPlace(const QString& text) {
    QString out = text;
    for (QChar& c : out) c = c.toLower();
    return out;
}

bool endsAsPicture(const QString& value) {
    const QString end = lowerInPlace(value.right(3));
    return end == u"gif" || end == u"jpg";
}

// The text being searched: the whole tag until a value has been cut, then that value.
struct WorkText {
    QString text;
    QString lower;

    // The value that starts at p: up to the first blank, else the first ">", trimmed, with one
    // double quote taken from each end. It becomes the work text.
    QString cut(qsizetype p) {
        qsizetype e = lower.indexOf(u' ', p);
        if (e < 0) e = lower.indexOf(u'>', p);
        if (e < 0) e = lower.size();
        QString value = text.mid(p, e - p).trimmed();
        if (value.startsWith(u'"')) value.remove(0, 1);
        if (value.endsWith(u'"')) value.chop(1);
        text = value;
        lower = lowerInPlace(value);
        return value;
    }
};

}  // namespace

QStringList tagLines(const QString& text) {
    QString out;
    QString pending;
    bool inComment = false, inTag = false;
    for (const QString& lineText : splitLines(text)) {
        const QStringView line(lineText);
        const qsizetype n = line.size();
        for (qsizetype i = 0; i < n; ++i) {
            if (inComment) {
                if (line.mid(i, 3) == u"-->") {
                    inComment = false;
                    i += 2;
                }
                continue;
            }
            const QChar c = line[i];
            if (c != u'<') {
                if (c == u'>') {
                    inTag = false;
                    pending += u">\r\n";
                } else if (inTag) {
                    pending += c;
                }
            } else if (line.mid(i, 4) == u"<!--") {
                i += 3;
                inTag = false;
                inComment = true;
            } else {
                inTag = true;
                pending += c;
            }
        }
        // A tag still open goes on with the next line, joined without anything between.
        if (inTag) continue;
        out += pending;
        out += u"\r\n";
        pending.clear();
    }
    if (!pending.isEmpty()) {
        out += pending;
        out += u"\r\n";
    }
    // Every record ends in CR LF, so the last one starts no further line.
    QStringList lines = out.split(QStringLiteral("\r\n"));
    if (!lines.isEmpty() && lines.back().isEmpty()) lines.removeLast();
    return lines;
}

QStringList scanDependencies(const QStringList& lines, const DependencyKinds& kinds, const ScanProgress& progress) {
    QStringList names;
    auto add = [&names](const QString& name) {
        if (!name.isEmpty() && !names.contains(name)) names << name;
    };
    qint64 position = 0;
    for (const QString& line : lines) {
        position += line.size() + 2;
        if (progress) progress(position);
        if (line.isEmpty()) continue;
        WorkText work{line, lowerInPlace(line)};
        if (kinds.pages) {
            const qsizetype q = work.lower.indexOf(u"href=");
            if (q >= 0 && !work.lower.contains(u"mailto")) {
                const QString value = work.cut(q + 5);
                if (!value.startsWith(u'#')) add(value);
            }
        }
        if (const qsizetype q = work.lower.indexOf(u" src="); q >= 0) {
            QString value;
            bool cut = false;
            if (kinds.images) {
                value = work.cut(q + 5);
                cut = true;
                if (endsAsPicture(value)) add(value);
            }
            if (kinds.other) {
                if (!cut) value = work.cut(q + 5);
                if (!endsAsPicture(value)) add(value);
            }
        }
        if (kinds.other) {
            if (const qsizetype q = work.lower.indexOf(u"code="); q >= 0) add(work.cut(q + 5));
        }
    }
    return names;
}

}  // namespace kavrin
