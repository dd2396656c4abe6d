#include "documents/linediff.h"

namespace kavrin {

QVector<TextEdit> lineEdits(QStringView now, QStringView wanted, int base) {
    if (now.count(u"\r\n") != wanted.count(u"\r\n")) return {};
    QVector<TextEdit> edits;
    qsizetype replaced = 0;
    qsizetype a = 0, b = 0;  // starts of the current lines
    for (;;) {
        qsizetype ae = now.indexOf(u"\r\n", a), be = wanted.indexOf(u"\r\n", b);
        if (ae < 0) ae = now.size();
        if (be < 0) be = wanted.size();
        const QStringView x = now.mid(a, ae - a), y = wanted.mid(b, be - b);
        if (x != y) {
            const qsizetype shorter = qMin(x.size(), y.size());
            qsizetype head = 0;
            while (head < shorter && x[head] == y[head]) ++head;
            // An edit never starts or ends inside a surrogate pair.
            if (head > 0 && x[head - 1].isHighSurrogate()) --head;
            qsizetype tail = 0;
            while (tail < shorter - head && x[x.size() - 1 - tail] == y[y.size() - 1 - tail]) ++tail;
            if (tail > 0 && x[x.size() - tail].isLowSurrogate()) --tail;
            const qsizetype cut = x.size() - head - tail;
            replaced += cut + 1;  // each edit costs something, even one that only inserts
            if (2 * replaced > now.size()) return {};
            edits.append({int(base + a + head), int(cut), y.mid(head, y.size() - head - tail).toString()});
        }
        if (ae == now.size()) break;
        a = ae + 2;
        b = be + 2;
    }
    return edits;
}

}  // namespace kavrin
