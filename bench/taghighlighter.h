#pragma once
// The plain editor's colouring in the benchmarks: a QSyntaxHighlighter that colours tags by their
// name and comments in their own colour, the work the editor's own colouring does.
#include <QColor>
#include <QStringView>
#include <QSyntaxHighlighter>
#include <QTextCharFormat>
#include <QVector>

namespace {

class TagHighlighter : public QSyntaxHighlighter {
public:
    explicit TagHighlighter(QTextDocument* doc) : QSyntaxHighlighter(doc) {
        for (int c : {0x800000, 0x808000, 0x000080, 0xFF0000, 0x008000, 0xFF00FF, 0x800080, 0x0000FF}) {
            QTextCharFormat f;
            f.setForeground(QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF));
            formats_.append(f);
        }
    }

protected:
    void highlightBlock(const QString& text) override {
        // State: 0 text, 1 in a tag, 2 in a comment.
        int state = qMax(0, previousBlockState());
        int open = 0;
        const qsizetype n = text.size();
        for (qsizetype i = 0; i < n; ++i) {
            const QChar c = text[i];
            if (state == 2) {
                if (c == u'>' && i >= 2 && text[i - 1] == u'-' && text[i - 2] == u'-') {
                    setFormat(open, int(i - open + 1), formats_[4]);
                    state = 0;
                }
            } else if (c == u'<') {
                open = int(i);
                state = QStringView(text).mid(i, 4) == u"<!--" ? 2 : 1;
            } else if (c == u'>' && state == 1) {
                setFormat(open, int(i - open + 1), formats_[classOf(QStringView(text).mid(open + 1, 12))]);
                state = 0;
            }
        }
        if (state != 0) setFormat(open, int(n - open), formats_[state == 2 ? 4 : 0]);
        setCurrentBlockState(state);
    }

private:
    static int classOf(QStringView t) {
        if (t.startsWith(u'/')) t = t.mid(1);
        qsizetype e = 0;
        while (e < t.size() && t[e].isLetterOrNumber()) ++e;
        t = t.left(e);
        if (t.compare(u"a", Qt::CaseInsensitive) == 0) return 3;
        if (t.compare(u"img", Qt::CaseInsensitive) == 0) return 6;
        if (t.compare(u"td", Qt::CaseInsensitive) == 0 || t.compare(u"tr", Qt::CaseInsensitive) == 0 ||
            t.compare(u"table", Qt::CaseInsensitive) == 0)
            return 1;
        if (t.compare(u"b", Qt::CaseInsensitive) == 0 || t.compare(u"i", Qt::CaseInsensitive) == 0 ||
            t.compare(u"font", Qt::CaseInsensitive) == 0)
            return 2;
        return 0;
    }
    QVector<QTextCharFormat> formats_;
};

}  // namespace
