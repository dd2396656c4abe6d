#include "tagdialogs/structure/tablebuilder.h"

#include <algorithm>
#include <cmath>

#include "platform/system/convert.h"

namespace kavrin {

namespace {

const QString kCrLf = QStringLiteral("\r\n");

}  // namespace

int tableCount(const QString& text) {
    const double value = val(text);
    if (!std::isfinite(value)) return 0;
    const long long n = roundHalfEven(value);
    return n < -32768 || n > 32767 ? 0 : int(n);
}

bool tableGridFits(int rows, int cols) {
    if (rows <= 0 || cols <= 0) return true;
    return static_cast<long long>(rows) * cols <= kMaxTableCells;
}

QString tableRows(int rows, int cols, bool labelCells, const QString& indent) {
    if (rows <= 0 && cols <= 0) return {};
    QString out = kCrLf;
    if (rows > 0 && cols > 0 && tableGridFits(rows, cols))
        out.reserve(qsizetype(rows) * (10 + qsizetype(cols) * (indent.size() + 24)));
    for (int r = 1; r <= rows; ++r) {
        out += QLatin1String("<tr>") + kCrLf;
        for (int c = 1; c <= cols; ++c) {
            out += indent + QLatin1String("<td>");
            if (labelCells) out += QStringLiteral("cell %1,%2").arg(r).arg(c);
            out += QLatin1String("</td>") + kCrLf;
        }
        out += QLatin1String("</tr>") + kCrLf;
    }
    return out;
}

QString tablePreviewPage(const QString& attributes, int rows, int cols, const QString& indent) {
    rows = std::min(rows, kPreviewMaxRows);
    cols = std::min(cols, kPreviewMaxCols);
    QString page = QLatin1String("<html><body><table") + attributes + QLatin1Char('>') + kCrLf;
    for (int r = 1; r <= rows; ++r) {
        page += QLatin1String("<tr>") + kCrLf;
        for (int c = 1; c <= cols; ++c)
            page += indent + QStringLiteral("<td><small>cell %1,%2</small></td>").arg(r).arg(c) + kCrLf;
        page += QLatin1String("</tr>") + kCrLf;
    }
    return page + QLatin1String("</table></body></html>") + kCrLf;
}

}  // namespace kavrin
