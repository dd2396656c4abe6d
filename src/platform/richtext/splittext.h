#pragma once
// A text held in two pieces, `head` followed by `tail`, as the editor keeps its text while it is
// being typed in: the gap between them takes the next keystroke without moving the rest.
#include <QString>
#include <QStringView>

namespace kavrin {

struct SplitText {
    QStringView head;
    QStringView tail;

    SplitText() = default;
    SplitText(QStringView whole) : head(whole) {}      // NOLINT: a whole text is a split one
    SplitText(const QString& whole) : head(whole) {}   // NOLINT
    template <qsizetype N>
    SplitText(const char16_t (&whole)[N]) : head(whole) {}  // NOLINT
    SplitText(QStringView h, QStringView t) : head(h), tail(t) {}

    qsizetype size() const { return head.size() + tail.size(); }
    bool isEmpty() const { return size() == 0; }
    QChar at(qsizetype i) const { return i < head.size() ? head[i] : tail[i - head.size()]; }
    QChar operator[](qsizetype i) const { return at(i); }

    // Appends the `n` characters at `pos`, clipped to the text like QString::mid.
    void appendTo(QString* out, qsizetype pos, qsizetype n = -1) const {
        const qsizetype total = size();
        if (pos < 0) {
            if (n >= 0) n = qMax<qsizetype>(0, n + pos);
            pos = 0;
        }
        pos = qMin(pos, total);
        const qsizetype end = n < 0 ? total : qBound<qsizetype>(pos, pos + n, total);
        const qsizetype h = head.size();
        if (pos < h) out->append(head.mid(pos, qMin(end, h) - pos));
        if (end > h) out->append(tail.mid(qMax(pos, h) - h, end - qMax(pos, h)));
    }
    QString mid(qsizetype pos, qsizetype n = -1) const {
        QString out;
        out.reserve(qMax<qsizetype>(0, n < 0 ? size() - pos : n));
        appendTo(&out, pos, n);
        return out;
    }
    // Whether the `what.size()` characters at `pos` are `what`.
    bool matches(qsizetype pos, QStringView what) const {
        if (pos < 0 || pos + what.size() > size()) return false;
        const qsizetype h = head.size();
        const qsizetype inHead = qBound<qsizetype>(0, h - pos, what.size());
        return head.mid(qMin(pos, h), inHead) == what.left(inHead) &&
               tail.mid(qMax<qsizetype>(0, pos - h), what.size() - inHead) == what.mid(inHead);
    }
};

}  // namespace kavrin
