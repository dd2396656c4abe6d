#include "tagdialogs/structure/wizardgrid.h"

#include <algorithm>

#include "tagdialogs/tagparse.h"

namespace kavrin {

namespace {

void addAttribute(QString& tag, const char* name, const QString& value) {
    if (!value.isEmpty()) tag += attributeText(QString::fromLatin1(name), value);
}

}  // namespace

void WizardGrid::build(int rows, int cols) {
    rows_ = std::clamp(rows, 1, kWizardMaxCells);
    cols_ = std::clamp(cols, 1, kWizardMaxCells / rows_);
    cells_ = QVector<WizardCell>(rows_ * cols_);
    covered_ = QVector<bool>(rows_ * cols_, false);
}

int WizardGrid::anchorAt(int r, int c) const {
    // A covered place's anchor lies up and to the left of it; the nearest block reaching over
    // it is the one (blocks never overlap).
    for (int ar = r; ar >= 0; --ar)
        for (int ac = c; ac >= 0; --ac) {
            const int a = indexAt(ar, ac);
            if (isCovered(a)) continue;
            const WizardCell& anchor = cell(a);
            if (ar + anchor.rowspan > r && ac + anchor.colspan > c) return a;
        }
    return indexAt(r, c);
}

QVector<int> WizardGrid::blocksToTake(int index, bool across) const {
    const WizardCell& block = cell(index);
    const int r0 = rowOf(index) - 1;
    const int c0 = columnOf(index) - 1;
    // The line of places just right of the block (across) or just below it.
    const int line = across ? c0 + block.colspan : r0 + block.rowspan;
    if (line >= (across ? cols_ : rows_)) return {};
    const int first = across ? r0 : c0;
    const int last = first + (across ? block.rowspan : block.colspan);
    QVector<int> anchors;
    int depth = 0;  // how far every met block reaches beyond the line's start
    for (int p = first; p < last; ++p) {
        const int a = across ? anchorAt(p, line) : anchorAt(line, p);
        if (anchors.contains(a)) continue;
        const WizardCell& met = cell(a);
        const int start = across ? rowOf(a) - 1 : columnOf(a) - 1;
        const int length = across ? met.rowspan : met.colspan;
        const int reach = across ? met.colspan : met.rowspan;
        // It must stay within the block's rows (columns), and all must reach as far.
        if (start < first || start + length > last) return {};
        if (depth != 0 && reach != depth) return {};
        depth = reach;
        anchors << a;
    }
    return anchors;
}

bool WizardGrid::canWiden(int index) const { return !blocksToTake(index, true).isEmpty(); }
bool WizardGrid::canDeepen(int index) const { return !blocksToTake(index, false).isEmpty(); }

void WizardGrid::take(const QVector<int>& anchors) {
    for (int a : anchors) {
        WizardCell& met = cell(a);
        const int r = rowOf(a) - 1;
        const int c = columnOf(a) - 1;
        for (int dr = 0; dr < met.rowspan; ++dr)
            for (int dc = 0; dc < met.colspan; ++dc) covered_[indexAt(r + dr, c + dc) - 1] = true;
        met.colspan = 1;
        met.rowspan = 1;
    }
}

void WizardGrid::widen(int index) {
    const QVector<int> anchors = blocksToTake(index, true);
    if (anchors.isEmpty()) return;
    const int reach = cell(anchors.first()).colspan;
    take(anchors);
    cell(index).colspan += reach;
}

void WizardGrid::deepen(int index) {
    const QVector<int> anchors = blocksToTake(index, false);
    if (anchors.isEmpty()) return;
    const int reach = cell(anchors.first()).rowspan;
    take(anchors);
    cell(index).rowspan += reach;
}

void WizardGrid::narrow(int index) {
    WizardCell& block = cell(index);
    if (block.colspan <= 1) return;
    --block.colspan;
    const int r0 = rowOf(index) - 1;
    const int c = columnOf(index) - 1 + block.colspan;
    for (int dr = 0; dr < block.rowspan; ++dr) covered_[indexAt(r0 + dr, c) - 1] = false;
}

void WizardGrid::shorten(int index) {
    WizardCell& block = cell(index);
    if (block.rowspan <= 1) return;
    --block.rowspan;
    const int r = rowOf(index) - 1 + block.rowspan;
    const int c0 = columnOf(index) - 1;
    for (int dc = 0; dc < block.colspan; ++dc) covered_[indexAt(r, c0 + dc) - 1] = false;
}

QString wizardTableStart(const WizardTable& t) {
    QString tag = QStringLiteral("<table");
    addAttribute(tag, "align", t.align);
    addAttribute(tag, "valign", t.valign);
    addAttribute(tag, "width", t.width);
    addAttribute(tag, "height", t.height);
    addAttribute(tag, "cellpadding", t.cellpadding);
    addAttribute(tag, "cellspacing", t.cellspacing);
    addAttribute(tag, "frame", t.frame);
    addAttribute(tag, "rules", t.rules);
    addAttribute(tag, "border", t.border);
    addAttribute(tag, "bgcolor", t.bgcolor);
    tag += QStringLiteral(">\r\n");
    if (!t.caption.isEmpty()) {
        tag += QStringLiteral("<caption");
        addAttribute(tag, "align", t.captionAlign);
        tag += QLatin1Char('>') + t.caption + QStringLiteral("</caption>\r\n");
    }
    return tag;
}

QString wizardTableBody(const WizardGrid& grid, const QString& indent) {
    QString body;
    int index = 0;
    for (int r = 0; r < grid.rowCount(); ++r) {
        body += QStringLiteral("<tr>\r\n");
        for (int c = 0; c < grid.colCount(); ++c) {
            if (grid.isCovered(++index)) continue;
            const WizardCell& cell = grid.cell(index);
            const QString name = cell.heading ? QStringLiteral("th") : QStringLiteral("td");
            QString line = indent + QLatin1Char('<') + name;
            addAttribute(line, "width", cell.width);
            addAttribute(line, "height", cell.height);
            addAttribute(line, "align", cell.align);
            addAttribute(line, "valign", cell.valign);
            addAttribute(line, "bgcolor", colorWithHash(cell.bgcolor));
            if (cell.colspan > 1) addAttribute(line, "colspan", QString::number(cell.colspan));
            if (cell.rowspan > 1) addAttribute(line, "rowspan", QString::number(cell.rowspan));
            body += line + QLatin1Char('>') + cell.content + QStringLiteral("</") + name + QStringLiteral(">\r\n");
        }
        body += QStringLiteral("</tr>\r\n");
    }
    return body + QStringLiteral("</table>");
}

}  // namespace kavrin
